#include "DbClasses.h"

#include "DataSource.h"
#include "Database.h"
#include "Fields.h"
#include "Table.h"

#include <rtl/ClassRegistry.h>

void RegisterDbClasses() {
    RegisterClass<TTable>();
    RegisterClass<TDataSource>();
    RegisterClass<TDatabase>();
    RegisterFieldClasses();
}
