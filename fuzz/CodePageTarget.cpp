// Code pages: the first two bytes pick a code page (or a font character set), the rest is
// decoded; text decoded without a replacement character encodes back to the same bytes,
// and whatever a code page encodes decodes back to the text, up to canonical equivalence
// (the Vietnamese code page stores letters with their marks apart and decodes them
// composed where Unicode has the composed letter).

#include "FuzzInput.h"

#include <cstdlib>
#include <rtl/CodePage.h>

namespace {

void Check(bool Condition) {
    if (!Condition)
        std::abort();
}

bool SameText(const QString& A, const QString& B) {
    return A.normalized(QString::NormalizationForm_C) == B.normalized(QString::NormalizationForm_C);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    if (Size < 2)
        return 0;
    static const int pages[] = {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257,
                                1258, 874,  932,  936,  949,  950,  437,  866};
    const int page = Data[0] < 128 ? pages[Data[0] % 16] : CodePageOfCharset(Data[1]);
    const TCodePage codePage(page);
    const QByteArray bytes(reinterpret_cast<const char*>(Data + 2), qsizetype(Size - 2));
    const QString decoded = codePage.Decode(bytes);
    if (!decoded.contains(QChar::ReplacementCharacter)) {
        const std::optional<QByteArray> encoded = codePage.Encode(decoded);
        Check(encoded.has_value() && SameText(codePage.Decode(*encoded), decoded));
    }
    const QString text = FuzzText(Data + 2, Size - 2);
    if (const std::optional<QByteArray> encoded = codePage.Encode(text))
        Check(SameText(codePage.Decode(*encoded), text));
    codePage.EncodeLossy(text);
    return 0;
}
