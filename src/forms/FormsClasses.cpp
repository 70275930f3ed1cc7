#include "FormsClasses.h"

#include "DiAdv.h"
#include "DiDual.h"
#include "fBase.h"

#include <filter/KroFilt.h>
#include <grid/GridClasses.h>
#include <rtl/ClassRegistry.h>
#include <search/SearchClasses.h>

void RegisterFormsClasses() {
    // What the base form's file is made of.
    RegisterSearchClasses();
    RegisterGridClasses();
    RegisterFilterClasses();
    RegisterClass<TKroDualListDlg>();
    RegisterClass<TDlgErrorAdv>();
    RegisterClass<TFormBase>();
    DefaultEditFormHook = ShowDataSetInFormBase;
}
