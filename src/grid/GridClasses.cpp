#include "GridClasses.h"

#include "KroGrid.h"
#include "KroGridMenu.h"

#include <rtl/ClassRegistry.h>

void RegisterGridClasses() {
    RegisterClass<TKroDbGrid>();
    RegisterClass<TPopupMenuKroDBGrid>();
}
