#include "KroLibrary.h"

#include <clone/CloneClasses.h>
#include <dataset/DatasetClasses.h>
#include <forms/FormsClasses.h>

void RegisterKroLibrary() {
    RegisterDatasetClasses();
    RegisterFormsClasses();
    RegisterCloneClasses();
}
