#include <gtest/gtest.h>
#include <ui/TextCache.h>

namespace {

TEST(TextCache, KeepsOneEntryPerFontAndText) {
    TTextCache cache;
    QFont plain(QStringLiteral("Arial"));
    plain.setPixelSize(12);
    QFont bold = plain;
    bold.setBold(true);
    TTextCache::TShapedText* first = cache.Find(plain, QStringLiteral("Madrid"));
    ASSERT_NE(first, nullptr);
    first->Width = 40;
    EXPECT_EQ(cache.Find(plain, QStringLiteral("Madrid")), first);
    EXPECT_EQ(cache.Find(QFont(plain), QStringLiteral("Madrid"))->Width, 40)
        << "an equal font finds the same entry";
    TTextCache::TShapedText* other = cache.Find(bold, QStringLiteral("Madrid"));
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);
    EXPECT_EQ(other->Width, -1) << "measured anew in another font";
    EXPECT_EQ(other->Text.text(), QStringLiteral("Madrid"));
    EXPECT_EQ(other->Text.textFormat(), Qt::PlainText) << "markup is shown as typed";
    EXPECT_EQ(cache.Count(), 2);
}

TEST(TextCache, LeavesOutBreaksTabsAndLongTextsAndStaysBounded) {
    TTextCache cache;
    const QFont font;
    for (const QString& text :
         {QStringLiteral("a\nb"), QStringLiteral("a\tb"), QStringLiteral("a\rb"),
          QStringLiteral("a") + QChar(QChar::LineSeparator) + QStringLiteral("b"),
          QString(TTextCache::MaxLength + 1, u'x')})
        EXPECT_EQ(cache.Find(font, text), nullptr);
    EXPECT_NE(cache.Find(font, QString(TTextCache::MaxLength, u'x')), nullptr);
    QFont lined;
    lined.setUnderline(true);
    EXPECT_EQ(cache.Find(lined, QStringLiteral("a")), nullptr);
    lined.setUnderline(false);
    lined.setStrikeOut(true);
    EXPECT_EQ(cache.Find(lined, QStringLiteral("a")), nullptr);
    EXPECT_NE(cache.Find(font, QString()), nullptr);

    for (int i = 0; cache.Count() < TTextCache::Capacity; ++i)
        cache.Find(font, QString::number(i));
    TTextCache::TShapedText* beyond = cache.Find(font, QStringLiteral("beyond"));
    ASSERT_NE(beyond, nullptr);
    EXPECT_EQ(cache.Count(), 1) << "a full cache starts again";
    EXPECT_EQ(cache.Find(font, QStringLiteral("beyond")), beyond);
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0);
}

} // namespace
