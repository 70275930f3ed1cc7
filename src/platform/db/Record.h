#pragma once

#include <QList>
#include <rtl/Variant.h>

// One record as a dataset holds it: the values of its data columns (by field number),
// the calculated and looked-up values (by calculated slot), and its bookmark, which is
// Null for a record not yet posted.
struct TRecord {
    QList<Variant> Values;
    QList<Variant> Calculated;
    Variant Bookmark;
};

using TBookmark = Variant;
