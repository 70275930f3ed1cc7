#include "RichClasses.h"

#include "DiPara.h"
#include "DiReplace.h"
#include "KroRich.h"

#include <controls/ControlClasses.h>
#include <rtl/ClassRegistry.h>

void RegisterRichClasses() {
    RegisterControlClasses();
    RegisterClass<TKroDBRichEdit>();
    RegisterClass<TPopupMenuKroDBRichEdit>();
    RegisterClass<TRichEditSearch>();
    RegisterClass<TDialParagraph>();
    RegisterClass<TDialReplace>();
}
