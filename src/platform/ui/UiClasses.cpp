#include "UiClasses.h"

#include "DBCtrls.h"
#include "DataModule.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Mask.h"
#include "StdCtrls.h"

#include <rtl/ClassRegistry.h>

void RegisterUiClasses() {
    static const bool registered = [] {
        for (TComponentClass componentClass :
             {&TForm::staticMetaObject, &TDataModule::staticMetaObject, &TLabel::staticMetaObject,
              &TEdit::staticMetaObject, &TButton::staticMetaObject, &TCheckBox::staticMetaObject,
              &TGroupBox::staticMetaObject, &TMemo::staticMetaObject, &TPanel::staticMetaObject,
              &TComboBox::staticMetaObject, &TMaskEdit::staticMetaObject,
              &TDBEdit::staticMetaObject, &TDBText::staticMetaObject, &TDBMemo::staticMetaObject,
              &TDBCheckBox::staticMetaObject, &TDBComboBox::staticMetaObject,
              &TDBNavigator::staticMetaObject})
            RegisterClass(componentClass);
        return true;
    }();
    (void)registered;
}
