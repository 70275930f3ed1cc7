#include "KroLibrary.h"

#include <clone/CloneClasses.h>
#include <dataset/DatasetClasses.h>
#include <forms/FormsClasses.h>
#include <rich/RichClasses.h>

void RegisterKroLibrary() {
    RegisterDatasetClasses();
    RegisterFormsClasses();
    RegisterCloneClasses();
    RegisterRichClasses();
}
