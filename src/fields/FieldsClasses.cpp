#include "FieldsClasses.h"

#include "KroList.h"
#include "KroLook.h"

#include <controls/KroContr.h>
#include <dataset/KroTable.h>
#include <rtl/ClassRegistry.h>

void RegisterFieldsClasses() {
    RegisterClass<TKroLookField>();
    RegisterClass<TKroListField>();
    KroAfterOpenHook = PrepareLookupFields;
    KroComboFactory = CreateListCombo;
}
