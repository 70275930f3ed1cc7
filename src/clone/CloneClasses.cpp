#include "CloneClasses.h"

#include "KroClone.h"

#include <rtl/ClassRegistry.h>

void RegisterCloneClasses() {
    RegisterClass<TKroRecordCloner>();
}
