#include "AppendedRow.h"

#include <gtest/gtest.h>

QList<Variant> AppendedRow(const TDbStatement& Statement) {
    const QString before = QStringLiteral("before");
    QList<Variant> row{before};
    Statement.AppendRow(row);
    EXPECT_EQ(row.size(), Statement.ColumnCount() + 1);
    EXPECT_EQ(row.value(0).toString(), before);
    for (int i = 0; i < Statement.ColumnCount(); ++i) {
        const Variant column = Statement.Column(i);
        EXPECT_EQ(row.value(i + 1).typeId(), column.typeId()) << i;
        EXPECT_EQ(row.value(i + 1), column) << i;
    }
    return row.mid(1);
}
