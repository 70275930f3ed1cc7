#include "UiClasses.h"

#include "ComCtrls.h"
#include "DBCtrls.h"
#include "DBLookup.h"
#include "DBRichEdit.h"
#include "DataModule.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Mask.h"
#include "Menus.h"
#include "Spin.h"
#include "StdCtrls.h"

#include <rtl/ClassRegistry.h>

void RegisterUiClasses() {
    static const bool registered = [] {
        for (TComponentClass componentClass : {&TForm::staticMetaObject,
                                               &TDataModule::staticMetaObject,
                                               &TLabel::staticMetaObject,
                                               &TEdit::staticMetaObject,
                                               &TButton::staticMetaObject,
                                               &TCheckBox::staticMetaObject,
                                               &TGroupBox::staticMetaObject,
                                               &TMemo::staticMetaObject,
                                               &TPanel::staticMetaObject,
                                               &TPageControl::staticMetaObject,
                                               &TTabSheet::staticMetaObject,
                                               &TSpinButton::staticMetaObject,
                                               &TSpinEdit::staticMetaObject,
                                               &TMenuItem::staticMetaObject,
                                               &TPopupMenu::staticMetaObject,
                                               &TMainMenu::staticMetaObject,
                                               &TDBLookupComboBox::staticMetaObject,
                                               &TComboBox::staticMetaObject,
                                               &TMaskEdit::staticMetaObject,
                                               &TDBEdit::staticMetaObject,
                                               &TDBText::staticMetaObject,
                                               &TDBMemo::staticMetaObject,
                                               &TDBCheckBox::staticMetaObject,
                                               &TDBComboBox::staticMetaObject,
                                               &TDBNavigator::staticMetaObject,
                                               &TRichEdit::staticMetaObject,
                                               &TDBRichEdit::staticMetaObject})
            RegisterClass(componentClass);
        return true;
    }();
    (void)registered;
}
