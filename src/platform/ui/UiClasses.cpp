#include "UiClasses.h"

#include "DBGrids.h"
#include "DataModule.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

#include <rtl/ClassRegistry.h>

void RegisterUiClasses() {
    static const bool registered = [] {
        for (TComponentClass componentClass :
             {&TForm::staticMetaObject, &TDataModule::staticMetaObject, &TLabel::staticMetaObject,
              &TEdit::staticMetaObject, &TButton::staticMetaObject, &TCheckBox::staticMetaObject,
              &TGroupBox::staticMetaObject, &TMemo::staticMetaObject, &TPanel::staticMetaObject,
              &TDBGrid::staticMetaObject})
            RegisterClass(componentClass);
        return true;
    }();
    (void)registered;
}
