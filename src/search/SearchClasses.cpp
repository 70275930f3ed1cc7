#include "SearchClasses.h"

#include "KroFind.h"

#include <controls/ControlClasses.h>
#include <rtl/ClassRegistry.h>

void RegisterSearchClasses() {
    RegisterControlClasses();
    RegisterClass<TKroFindDlg>();
}
