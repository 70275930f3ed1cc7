#include "CloneClasses.h"

#include "KroClone.h"

#include <dataset/DatasetClasses.h>
#include <rtl/ClassRegistry.h>

void RegisterCloneClasses() {
    RegisterDatasetClasses();
    RegisterClass<TKroRecordCloner>();
}
