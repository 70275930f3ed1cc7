#include "DbClasses.h"

#include "DataSource.h"
#include "Database.h"
#include "Fields.h"
#include "Query.h"
#include "Table.h"

#include <rtl/ClassRegistry.h>

void RegisterDbClasses() {
    RegisterClass<TTable>();
    RegisterClass<TQuery>();
    RegisterClass<TDataSource>();
    RegisterClass<TDatabase>();
    RegisterFieldClasses();
}
