#pragma once

#include <rtl/Enums.h>

// The data types of fields. The column types of the tables (alpha of a size, short, long
// integer, autoincrement, number, money, logical, date, time, timestamp, memo, formatted
// memo, graphic, binary) map onto these.
PUBLISHED_ENUM(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat,
               ftCurrency, ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc,
               ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary,
               ftCursor, ftFixedChar, ftWideString, ftLargeint)

inline bool IsBlobType(TFieldType Type) {
    return Type >= ftBlob && Type <= ftTypedBinary;
}

// Text compared as text: searched by leading part and ignoring case.
inline bool IsTextType(TFieldType Type) {
    return Type == ftString || Type == ftFixedChar || Type == ftWideString || Type == ftMemo ||
           Type == ftFmtMemo;
}
