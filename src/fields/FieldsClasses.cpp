#include "FieldsClasses.h"

#include "KroList.h"
#include "KroListCombo.h"
#include "KroLook.h"
#include "KroLookCombo.h"

#include <controls/KroContr.h>
#include <dataset/KroTable.h>
#include <rtl/ClassRegistry.h>

void RegisterFieldsClasses() {
    RegisterClass<TKroLookField>();
    RegisterClass<TKroListField>();
    KroAfterOpenHook = PrepareLookupFields;
    RegisterClass<TKroDBCombo>();
    RegisterClass<TKroDBLookupCombo>();
    RegisterClass<TKroDBText>();
    RegisterClass<TPopupMenuKroDBLookup>();
    KroComboFactory = CreateListCombo;
    KroDBComboFactory = CreateListDBCombo;
    KroTextFactory = CreateLookupText;
    KroLookupComboFactory = CreateLookupCombo;
    KroPlainLookupComboFactory = CreatePlainLookupCombo;
}
