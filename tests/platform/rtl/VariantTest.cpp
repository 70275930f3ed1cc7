#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/Variant.h>

namespace {

TEST(Variants, NullIsDistinctFromEmptyTextAndZero) {
    EXPECT_TRUE(VarIsNull(Null()));
    EXPECT_FALSE(VarIsNull(QString()));
    EXPECT_FALSE(VarIsNull(QStringLiteral("")));
    EXPECT_FALSE(VarIsNull(0));
    EXPECT_FALSE(VarSameValue(Null(), QString()));
    EXPECT_FALSE(VarSameValue(Null(), 0));
    EXPECT_TRUE(VarSameValue(Null(), Null()));
    EXPECT_EQ(VarToStr(Null()), QString());
    EXPECT_EQ(VarToInt(Null()), 0);
}

TEST(Variants, ConversionsOfTextAndNumbers) {
    EXPECT_EQ(VarToInt(QStringLiteral(" 42 ")), 42);
    EXPECT_EQ(VarToInt(2.6), 3);
    EXPECT_DOUBLE_EQ(VarToFloat(QStringLiteral("2.5")), 2.5);
    EXPECT_EQ(VarToStr(true), QStringLiteral("True"));
    EXPECT_EQ(VarToStr(12), QStringLiteral("12"));
    EXPECT_TRUE(VarToBool(QStringLiteral("true")));
    EXPECT_FALSE(VarToBool(QStringLiteral("0")));
    EXPECT_THROW(VarToInt(QStringLiteral("abc")), EConvertError);
    EXPECT_THROW(VarToFloat(QStringLiteral("1,5x")), EConvertError);
    EXPECT_THROW(VarToBool(QStringLiteral("maybe")), EConvertError);
    EXPECT_THROW(VarToStr(VarArrayOf({1, 2})), EConvertError);
}

TEST(Variants, DatesFromTextAndDateValues) {
    EXPECT_EQ(VarToDateTime(QStringLiteral("2024-02-29")).date(), QDate(2024, 2, 29));
    EXPECT_EQ(VarToDateTime(QStringLiteral("2024-02-29T10:30:00")).time(), QTime(10, 30));
    EXPECT_EQ(VarToDateTime(QDate(2000, 1, 1)).date(), QDate(2000, 1, 1));
    EXPECT_THROW(VarToDateTime(QStringLiteral("2024-02-30")), EConvertError);
}

TEST(Variants, NumbersCompareByValueWholeNumbersExactly) {
    EXPECT_TRUE(VarSameValue(2, qint64(2)));
    EXPECT_TRUE(VarSameValue(short(7), 7u));
    EXPECT_TRUE(VarSameValue(3, 3.0));
    EXPECT_FALSE(VarSameValue(3, 3.5));
    EXPECT_FALSE(VarSameValue(-1, 4294967295u)) << "not the same bits";
    // Beyond 2^53 doubles no longer tell neighbours apart; the integers still do.
    const qint64 big = (qint64(1) << 53) + 1;
    EXPECT_FALSE(VarSameValue(big, big - 1));
    EXPECT_TRUE(VarSameValue(big, big));
}

TEST(Variants, ArraysHoldSeveralValues) {
    const Variant keys = VarArrayOf({1, QStringLiteral("Smith"), Null()});
    EXPECT_TRUE(VarIsArray(keys));
    EXPECT_EQ(VarArrayHighBound(keys), 2);
    EXPECT_TRUE(VarSameValue(keys, VarArrayOf({1.0, QStringLiteral("Smith"), Null()})));
    EXPECT_FALSE(VarSameValue(keys, VarArrayOf({1, QStringLiteral("Smith"), 0})));
    EXPECT_FALSE(VarSameValue(keys, VarArrayOf({1, QStringLiteral("Smith")})));
    EXPECT_THROW(VarArrayHighBound(1), EConvertError);
}

} // namespace
