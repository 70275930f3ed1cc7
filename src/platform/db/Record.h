#pragma once

#include <QList>
#include <rtl/Variant.h>

// One record as a dataset holds it: the values of its data columns (by field number),
// the calculated and looked-up values (by calculated slot), and its bookmark, which is
// Null for a record not yet posted. An SQL dataset also keeps the row as the engine gave
// it: the record's position is those values, which compare equal to themselves in the
// engine whatever the typed values became (converted, or edited since).
struct TRecord {
    QList<Variant> Values;
    QList<Variant> Calculated;
    Variant Bookmark;
    QList<Variant> EngineRow; // empty where the record was not read from an engine
};

using TBookmark = Variant;
