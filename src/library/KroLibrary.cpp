#include "KroLibrary.h"

#include <clone/CloneClasses.h>
#include <controls/ControlClasses.h>
#include <dataset/DatasetClasses.h>
#include <fields/FieldsClasses.h>
#include <filter/KroFilt.h>
#include <forms/FormsClasses.h>
#include <grid/GridClasses.h>
#include <rich/RichClasses.h>
#include <search/SearchClasses.h>

void RegisterKroLibrary() {
    RegisterDatasetClasses();
    RegisterFieldsClasses();
    RegisterControlClasses();
    RegisterGridClasses();
    RegisterFilterClasses();
    RegisterSearchClasses();
    RegisterFormsClasses();
    RegisterCloneClasses();
    RegisterRichClasses();
}
