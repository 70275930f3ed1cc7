#include <db/Fields.h>
#include <gtest/gtest.h>
#include <rtl/Variant.h>

namespace {

QString Found(const TField& Field, const Variant& Key) {
    const std::optional<Variant> value = Field.FindLookupListItem(Key);
    return value ? value->toString() : QStringLiteral("(none)");
}

TEST(LookupList, KeysAreFoundByValueWhateverTheirType) {
    TStringField field;
    field.AddLookupListItem(1, QStringLiteral("Spain"));
    field.AddLookupListItem(2.5, QStringLiteral("half"));
    field.AddLookupListItem(QStringLiteral("ES"), QStringLiteral("Spain by code"));
    field.AddLookupListItem(QVariantList{1, QStringLiteral("a")}, QStringLiteral("pair"));
    field.AddLookupListItem(Null(), QStringLiteral("nothing"));
    field.AddLookupListItem(0, QStringLiteral("zero"));

    EXPECT_EQ(Found(field, 1), QStringLiteral("Spain"));
    EXPECT_EQ(Found(field, qint64(1)), QStringLiteral("Spain"));
    EXPECT_EQ(Found(field, 1.0), QStringLiteral("Spain"));
    EXPECT_EQ(Found(field, short(1)), QStringLiteral("Spain"));
    EXPECT_EQ(Found(field, 2.5), QStringLiteral("half"));
    EXPECT_EQ(Found(field, 2), QStringLiteral("(none)"));
    EXPECT_EQ(Found(field, -0.0), QStringLiteral("zero"));
    EXPECT_EQ(Found(field, QStringLiteral("ES")), QStringLiteral("Spain by code"));
    EXPECT_EQ(Found(field, QStringLiteral("es")), QStringLiteral("(none)")) << "text is exact";
    EXPECT_EQ(Found(field, QStringLiteral("1")), QStringLiteral("(none)"))
        << "a text finds texts only";
    EXPECT_EQ(Found(field, QVariantList{1.0, QStringLiteral("a")}), QStringLiteral("pair"));
    EXPECT_EQ(Found(field, QVariantList{1, QStringLiteral("a"), 3}), QStringLiteral("(none)"));
    EXPECT_EQ(Found(field, QVariantList{QStringLiteral("a"), 1}), QStringLiteral("(none)"));
    EXPECT_EQ(Found(field, Null()), QStringLiteral("nothing"));
}

TEST(LookupList, TheFirstPairOfAKeyWinsAndClearingForgetsAll) {
    TStringField field;
    field.AddLookupListItem(7, QStringLiteral("first"));
    field.AddLookupListItem(7.0, QStringLiteral("second"));
    EXPECT_EQ(Found(field, 7), QStringLiteral("first"));
    field.ClearLookupList();
    EXPECT_EQ(Found(field, 7), QStringLiteral("(none)"));
    field.AddLookupListItem(7, QStringLiteral("again"));
    EXPECT_EQ(Found(field, 7), QStringLiteral("again"));
    field.SetLookupCache(true);
    field.SetLookupCache(false); // switching the cache off drops the pairs
    EXPECT_EQ(Found(field, 7), QStringLiteral("(none)"));
}

TEST(LookupList, EveryKeyOfALargeListIsFound) {
    TStringField field;
    constexpr int count = 20000;
    for (int i = 0; i < count; ++i)
        field.AddLookupListItem(QVariantList{i, QString::number(i % 7)}, i);
    int found = 0;
    for (int i = 0; i < count; ++i)
        found +=
            Found(field, QVariantList{qint64(i), QString::number(i % 7)}) == QString::number(i);
    EXPECT_EQ(found, count);
    EXPECT_EQ(Found(field, QVariantList{count, QStringLiteral("0")}), QStringLiteral("(none)"));
}

} // namespace
