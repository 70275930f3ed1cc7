#include "FormsClasses.h"

#include "DiAdv.h"
#include "DiDual.h"

#include <rtl/ClassRegistry.h>

void RegisterFormsClasses() {
    RegisterClass<TKroDualListDlg>();
    RegisterClass<TDlgErrorAdv>();
}
