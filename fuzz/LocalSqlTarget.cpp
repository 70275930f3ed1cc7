// Local SQL and LIKE patterns: the text translated for the engines, and, split at its
// first line break, matched as a pattern against a value (with and without an escape).

#include "FuzzInput.h"

#include <db/LikePattern.h>
#include <db/LocalSql.h>
#include <rtl/Exceptions.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const QString text = FuzzText(Data, Size);
    try {
        TranslateLocalSql(text, {{QStringLiteral("people"), QStringLiteral("People")}});
    } catch (const Exception&) {
    }
    const qsizetype split = text.indexOf(QLatin1Char('\n'));
    const QString pattern = split < 0 ? text : text.left(split);
    const QString value = split < 0 ? text : text.mid(split + 1);
    LikeMatch(pattern, value);
    LikeMatch(pattern, value, QLatin1Char('\\'));
    return 0;
}
