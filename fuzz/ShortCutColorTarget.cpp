// Shortcut texts and colour texts: read, written back and read again to the same value.

#include "FuzzInput.h"

#include <cstdlib>
#include <rtl/Color.h>
#include <rtl/Exceptions.h>
#include <rtl/ShortCut.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QString text = FuzzText(Data, Size);
    if (const TShortCut shortCut = TextToShortCut(text)) {
        const QString written = ShortCutToText(shortCut);
        if (!written.isEmpty() && TextToShortCut(written) != shortCut)
            std::abort();
    }
    try {
        const TColor color = StringToColor(text);
        if (StringToColor(ColorToString(color)) != color)
            std::abort();
    } catch (const Exception&) {
    }
    return 0;
}
