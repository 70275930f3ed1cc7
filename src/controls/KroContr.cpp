#include "KroContr.h"

TKroControlFactory KroTextFactory = nullptr;
TKroControlFactory KroLookupComboFactory = nullptr;
TKroControlFactory KroPlainLookupComboFactory = nullptr;
TKroControlFactory KroComboFactory = nullptr;
TKroControlFactory KroDBComboFactory = nullptr;
