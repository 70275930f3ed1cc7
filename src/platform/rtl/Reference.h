#pragma once

#include "Component.h"

// Points Field, a reference of Owner's, at Value and moves Owner's free notification from
// the component it pointed at to Value, so that Owner hears when Value is destroyed.
// False when Field pointed at Value already.
template <class T> bool ReplaceReference(TComponent* Owner, T*& Field, T* Value) {
    if (Field == Value)
        return false;
    if (Field)
        Field->RemoveFreeNotification(Owner);
    Field = Value;
    if (Value)
        Value->FreeNotification(Owner);
    return true;
}
