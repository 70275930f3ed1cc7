#include "ControlClasses.h"

#include "KroPages.h"

#include <dataset/DatasetClasses.h>
#include <rtl/ClassRegistry.h>
#include <ui/UiClasses.h>

void RegisterControlClasses() {
    RegisterUiClasses();
    RegisterDatasetClasses();
    RegisterClass<TKroPageControl>();
    RegisterClass<TKroTabSheet>();
}
