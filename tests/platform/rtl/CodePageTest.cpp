#include <gtest/gtest.h>
#include <rtl/CodePage.h>

TEST(CodePage, DecodesAndEncodesItsCharacters) {
    const TCodePage western(1252);
    EXPECT_EQ(western.Decode("caf\xe9 \x80"), QStringLiteral("caf\u00e9 \u20ac"));
    EXPECT_EQ(western.Encode(QStringLiteral("\u00e9\u20ac")), QByteArray("\xe9\x80"));
    EXPECT_FALSE(western.Encode(QStringLiteral("\u0416")).has_value());
    EXPECT_EQ(western.Decode("a\x81z"), QStringLiteral("a\ufffdz")) << "no character there";

    const TCodePage japanese(932);
    EXPECT_EQ(japanese.Decode("\x82\xa0!"), QStringLiteral("\u3042!"));
    EXPECT_EQ(japanese.Decode("x\x82"), QStringLiteral("x\ufffd")) << "a pair cut short";

    const TCodePage unknown(4242);
    EXPECT_EQ(unknown.CodePage(), 1252);
    EXPECT_EQ(unknown.Decode("\xe9"), QStringLiteral("\u00e9"));
}

TEST(CodePage, OfCharacterSets) {
    EXPECT_EQ(CodePageOfCharset(0), 1252);
    EXPECT_EQ(CodePageOfCharset(204), 1251);
    EXPECT_EQ(CodePageOfCharset(238), 1250);
    EXPECT_EQ(CodePageOfCharset(2), 0) << "symbol fonts have none";
}
