#pragma once

#include <rtl/ClassRegistry.h>

class TComponent;
class TDataSet;

// The query class the library instantiates for its own queries: a dataset class that
// publishes "DatabaseName" and "SQL". nullptr (the default) means the platform's TQuery.
extern TComponentClass OtherQueryClass;

// A new query of OtherQueryClass owned by Owner; nullptr when that class cannot make one.
TDataSet* NewOtherQuery(TComponent* Owner = nullptr);
// The class NewOtherQuery instantiates.
TComponentClass EffectiveQueryClass();
