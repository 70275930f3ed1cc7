#include "KroOther.h"

#include <db/Query.h>
#include <rtl/Exceptions.h>

TComponentClass OtherQueryClass = nullptr;

TComponentClass EffectiveQueryClass() {
    return OtherQueryClass ? OtherQueryClass : &TQuery::staticMetaObject;
}

TDataSet* NewOtherQuery(TComponent* Owner) {
    TComponent* made = nullptr;
    try {
        made = CreateComponent(EffectiveQueryClass(), Owner);
    } catch (const EClassNotFound&) {
        return nullptr;
    }
    auto* query = qobject_cast<TDataSet*>(made);
    if (!query)
        delete made;
    return query;
}
