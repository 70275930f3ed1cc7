#pragma once

#include <QList>
#include <db/Connection.h>

// The current row of Statement as AppendRow gives it, expected after what the list held
// and equal, in value and type, to what Column reads of each column.
QList<Variant> AppendedRow(const TDbStatement& Statement);
