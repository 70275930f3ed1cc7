#include "FormsClasses.h"

#include "DiAdv.h"
#include "DiDual.h"
#include "fBase.h"

#include <rtl/ClassRegistry.h>

void RegisterFormsClasses() {
    RegisterClass<TKroDualListDlg>();
    RegisterClass<TDlgErrorAdv>();
    RegisterClass<TFormBase>();
    DefaultEditFormHook = ShowDataSetInFormBase;
}
