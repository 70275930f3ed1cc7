#include "GridClasses.h"

#include "KroGrid.h"

#include <rtl/ClassRegistry.h>

void RegisterGridClasses() {
    RegisterClass<TKroDbGrid>();
}
