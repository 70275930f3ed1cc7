#include "DeclaredTypes.h"

#include <gtest/gtest.h>
#include <rtl/Enums.h>

void ExpectDeclaredTypes(const TDbConnection& Connection, const QList<TDeclaredTypeCase>& Cases) {
    for (int pass = 0; pass < 2; ++pass)
        for (const TDeclaredTypeCase& c : Cases) {
            TColumnInfo column;
            column.DeclaredType = QString::fromLatin1(c.Declared);
            int size = -1;
            EXPECT_EQ(EnumName(Connection.FieldTypeOf(column, size)), EnumName(c.Type))
                << c.Declared;
            EXPECT_EQ(size, c.Size) << c.Declared;
        }
}
