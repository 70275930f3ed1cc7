#include "DatasetClasses.h"

#include "KroTable.h"

#include <db/DbClasses.h>
#include <rtl/ClassRegistry.h>

void RegisterDatasetClasses() {
    RegisterDbClasses();
    RegisterClass<TKroTable>();
    RegisterClass<TKroQuery>();
    RegisterClass<TKroDMInfo>();
}
