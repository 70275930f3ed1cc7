// Form text: parsed into a tree, or refused with EReadError.

#include "FuzzInput.h"

#include <rtl/Exceptions.h>
#include <rtl/FormParser.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    try {
        ParseForm(FuzzText(Data, Size), QStringLiteral("fuzz.form"));
    } catch (const Exception&) {
    }
    return 0;
}
