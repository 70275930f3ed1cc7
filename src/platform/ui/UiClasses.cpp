#include "UiClasses.h"

#include "Buttons.h"
#include "ComCtrls.h"
#include "DBCtrls.h"
#include "DBGrids.h"
#include "DBLookup.h"
#include "DBRichEdit.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Mask.h"
#include "Menus.h"
#include "Spin.h"
#include "StdCtrls.h"

#include <rtl/ClassRegistry.h>

void RegisterUiClasses() {
    static const bool registered = [] {
        RegisterClass(&TForm::staticMetaObject);
        RegisterClass(&TDataModule::staticMetaObject);
        RegisterClass(&TLabel::staticMetaObject);
        RegisterClass(&TEdit::staticMetaObject);
        RegisterClass(&TButton::staticMetaObject);
        RegisterClass(&TCheckBox::staticMetaObject);
        RegisterClass(&TGroupBox::staticMetaObject);
        RegisterClass(&TMemo::staticMetaObject);
        RegisterClass(&TPanel::staticMetaObject);
        RegisterClass(&TPageControl::staticMetaObject);
        RegisterClass(&TTabSheet::staticMetaObject);
        RegisterClass(&TSpinButton::staticMetaObject);
        RegisterClass(&TSpinEdit::staticMetaObject);
        RegisterClass(&TMenuItem::staticMetaObject);
        RegisterClass(&TPopupMenu::staticMetaObject);
        RegisterClass(&TMainMenu::staticMetaObject);
        RegisterClass(&TDBLookupComboBox::staticMetaObject);
        RegisterClass(&TComboBox::staticMetaObject);
        RegisterClass(&TMaskEdit::staticMetaObject);
        RegisterClass(&TDBEdit::staticMetaObject);
        RegisterClass(&TDBText::staticMetaObject);
        RegisterClass(&TDBMemo::staticMetaObject);
        RegisterClass(&TDBCheckBox::staticMetaObject);
        RegisterClass(&TDBComboBox::staticMetaObject);
        RegisterClass(&TDBNavigator::staticMetaObject);
        RegisterClass(&TDBImage::staticMetaObject);
        RegisterClass(&TRichEdit::staticMetaObject);
        RegisterClass(&TDBRichEdit::staticMetaObject);
        RegisterClass(&TBitBtn::staticMetaObject);
        RegisterClass(&TSpeedButton::staticMetaObject);
        RegisterClass(&TRadioButton::staticMetaObject);
        RegisterClass(&TListBox::staticMetaObject);
        RegisterClass(&TRadioGroup::staticMetaObject);
        RegisterClass(&TBevel::staticMetaObject);
        RegisterClass(&TScrollBox::staticMetaObject);
        RegisterClass(&TImage::staticMetaObject);
        RegisterClass(&TOpenDialog::staticMetaObject);
        RegisterClass(&TSaveDialog::staticMetaObject);
        RegisterClass(&TFontDialog::staticMetaObject);
        RegisterClass(&TPrinterSetupDialog::staticMetaObject);
        RegisterClass(&TPrintDialog::staticMetaObject);
        RegisterClass(&TDBGrid::staticMetaObject);
        return true;
    }();
    (void)registered;
}
