#include "KroLibrary.h"

#include <clone/CloneClasses.h>
#include <dataset/DatasetClasses.h>
#include <fields/FieldsClasses.h>
#include <forms/FormsClasses.h>

void RegisterKroLibrary() {
    RegisterDatasetClasses();
    RegisterFieldsClasses();
    RegisterFormsClasses();
    RegisterCloneClasses();
}
