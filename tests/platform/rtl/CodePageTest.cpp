#include <QLocale>
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

    // A converter that waits for combining marks after each letter gives the last one too.
    const TCodePage vietnamese(1258);
    EXPECT_EQ(vietnamese.Decode("a\xa3"), QStringLiteral("a\u00a3"));
    EXPECT_EQ(vietnamese.Decode("a\xec"
                                "b"),
              QStringLiteral("\u00e1b"))
        << "a with its acute";

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

TEST(CodePage, EncodesLossilyWithAReplacementForWhatItLacks) {
    const TCodePage us(437);
    EXPECT_EQ(us.EncodeLossy(QStringLiteral("Gr\u00fc\u00dfe")), QByteArray("Gr\x81\xe1"
                                                                            "e"));
    EXPECT_EQ(us.EncodeLossy(QStringLiteral("a\u0416b\u2713c\U0001F600d")), QByteArray("a?b?c?d"))
        << "one replacement for each character, whatever its UTF-8 length";
    EXPECT_EQ(us.EncodeLossy(QStringLiteral("\u20ac"), '#'), QByteArray("#"));

    const TCodePage russian(866);
    EXPECT_EQ(russian.EncodeLossy(QStringLiteral("\u0416\u0443\u043a \u00fc")),
              QByteArray("\x86\xe3\xaa ?"));
}

TEST(CodePage, OemCodePageFollowsTheUserLanguage) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(OemCodePage(), 866);
    QLocale::setDefault(QLocale(QLocale::Ukrainian, QLocale::Ukraine));
    EXPECT_EQ(OemCodePage(), 866);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(OemCodePage(), 437);
    QLocale::setDefault(previous);
}
