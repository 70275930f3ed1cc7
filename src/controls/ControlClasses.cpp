#include "ControlClasses.h"

#include "KroContr.h"
#include "KroPages.h"
#include "KroPopup.h"
#include "KroSort.h"

#include <dataset/DatasetClasses.h>
#include <rtl/ClassRegistry.h>
#include <ui/UiClasses.h>

void RegisterControlClasses() {
    RegisterUiClasses();
    RegisterDatasetClasses();
    RegisterClass<TKroDBEdit>();
    RegisterClass<TKroScrollBoxForGrid>();
    RegisterClass<TKroDBSortingCombo>();
    RegisterClass<TKroPageControl>();
    RegisterClass<TKroTabSheet>();
    RegisterClass<TPopupMenuKroDBControls>();
    RegisterClass<TPopupMenuKroDBFieldControls>();
    RegisterClass<TPopupMenuKroDBMemo>();
    RegisterClass<TPopupMenuKroDBImage>();
}
