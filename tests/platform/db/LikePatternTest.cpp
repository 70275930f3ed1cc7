#include <QTemporaryDir>
#include <db/LikePattern.h>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>

namespace {

bool Like(const QString& Value, const QString& Pattern, QChar Escape = QChar()) {
    return LikeMatch(Pattern, Value, Escape);
}

// --- The matcher ---------------------------------------------------------------------------

TEST(LikePatternTest, PercentMatchesAnyRunAndUnderscoreOneCharacter) {
    EXPECT_TRUE(Like("", ""));
    EXPECT_FALSE(Like("a", ""));
    EXPECT_TRUE(Like("", "%"));
    EXPECT_TRUE(Like("Smith", "%"));
    EXPECT_TRUE(Like("Smith", "S%"));
    EXPECT_TRUE(Like("Smith", "%h"));
    EXPECT_TRUE(Like("Smith", "%mi%"));
    EXPECT_TRUE(Like("Smith", "S%i%h"));
    EXPECT_TRUE(Like("Smith", "Smith%"));
    EXPECT_FALSE(Like("Smith", "%x%"));
    EXPECT_FALSE(Like("Smith", "Smit"));
    EXPECT_FALSE(Like("Smit", "Smith"));
    EXPECT_TRUE(Like("abcabd", "%abd"));
    EXPECT_TRUE(Like("Smith", "S___h"));
    EXPECT_FALSE(Like("Smith", "S__h"));
    EXPECT_FALSE(Like("Smith", "S____h"));
    EXPECT_TRUE(Like("Smith", "_%_"));
    EXPECT_FALSE(Like("S", "_%_"));
    EXPECT_TRUE(Like("Smith", "%%%"));
    EXPECT_TRUE(Like("Smith", "S%%h"));
}

TEST(LikePatternTest, IsCaseSensitive) {
    EXPECT_FALSE(Like("smith", "S%"));
    EXPECT_FALSE(Like("SMITH", "Smith"));
    EXPECT_TRUE(Like("Smith", "Smith"));
}

TEST(LikePatternTest, ClassesListRangesAndNegations) {
    EXPECT_TRUE(Like("Smith", "[Ss]mith"));
    EXPECT_TRUE(Like("smith", "[Ss]mith"));
    EXPECT_FALSE(Like("Xmith", "[Ss]mith"));
    EXPECT_TRUE(Like("Osmond", "%[Ss][Mm]%"));
    EXPECT_FALSE(Like("Jones", "%[Ss][Mm]%"));
    EXPECT_TRUE(Like("k", "[a-z]"));
    EXPECT_FALSE(Like("K", "[a-z]"));
    EXPECT_TRUE(Like("K7", "[a-cK-M][0-9]"));
    EXPECT_FALSE(Like("d7", "[a-cK-M][0-9]"));
    EXPECT_FALSE(Like("Ka", "[a-cK-M][0-9]"));
    EXPECT_TRUE(Like("b", "[^a]"));
    EXPECT_FALSE(Like("a", "[^a]"));
    EXPECT_TRUE(Like("b", "[!a]"));
    EXPECT_FALSE(Like("a", "[!a]"));
    EXPECT_FALSE(Like("5", "[!0-9]"));
    EXPECT_FALSE(Like("", "[^a]"));
    EXPECT_FALSE(Like("ab", "[ab]"));
}

TEST(LikePatternTest, ClassMembersThatStandForThemselves) {
    EXPECT_TRUE(Like("-", "[-a]"));
    EXPECT_TRUE(Like("-", "[a-]"));
    EXPECT_FALSE(Like("b", "[-a]"));
    EXPECT_TRUE(Like("]", "[]a]"));
    EXPECT_TRUE(Like("a", "[]a]"));
    EXPECT_FALSE(Like("]", "[^]a]"));
    EXPECT_TRUE(Like("%", "[%_]"));
    EXPECT_FALSE(Like("x", "[%_]"));
    EXPECT_TRUE(Like("^", "[a^]"));
    // A range with its ends reversed is empty.
    EXPECT_FALSE(Like("m", "[z-a]"));
}

TEST(LikePatternTest, UnclosedBracketIsALiteral) {
    EXPECT_TRUE(Like("a[b", "a[b"));
    EXPECT_FALSE(Like("ab", "a[b"));
    EXPECT_TRUE(Like("[", "["));
    EXPECT_TRUE(Like("x[^", "%[^"));
    EXPECT_TRUE(Like("[]", "[]"));
    EXPECT_TRUE(Like("a[bc", "a[b%"));
}

TEST(LikePatternTest, EscapeMakesTheNextCharacterLiteral) {
    const QChar escape(u'\\');
    EXPECT_TRUE(Like("10%", "10\\%", escape));
    EXPECT_FALSE(Like("100", "10\\%", escape));
    EXPECT_TRUE(Like("a_b", "a\\_b", escape));
    EXPECT_FALSE(Like("axb", "a\\_b", escape));
    EXPECT_TRUE(Like("[a]", "\\[a]", escape));
    EXPECT_FALSE(Like("a", "\\[a]", escape));
    EXPECT_TRUE(Like("a\\b", "a\\\\b", escape));
    // At the end the escape stands for itself.
    EXPECT_TRUE(Like("a\\", "a\\", escape));
    // Without an escape the backslash is ordinary.
    EXPECT_TRUE(Like("a\\100", "a\\%"));
    // Any character may escape, also a wildcard.
    EXPECT_TRUE(Like("50%", "50%%", QChar(u'%')));
    EXPECT_FALSE(Like("500", "50%%", QChar(u'%')));
}

TEST(LikePatternTest, NonAsciiCharactersAreSingleCharacters) {
    EXPECT_TRUE(Like(QStringLiteral("Élise"), QStringLiteral("É%")));
    EXPECT_FALSE(Like(QStringLiteral("élise"), QStringLiteral("É%")));
    EXPECT_TRUE(Like(QStringLiteral("Müller"), QStringLiteral("M_ller")));
    EXPECT_TRUE(Like(QStringLiteral("Çelik"), QStringLiteral("[ÇC]elik")));
    EXPECT_TRUE(Like(QStringLiteral("ø"), QStringLiteral("[à-ÿ]")));
    EXPECT_FALSE(Like(QStringLiteral("z"), QStringLiteral("[à-ÿ]")));
    // Outside the basic plane: one character of two UTF-16 units.
    const QString grin = QString::fromUcs4(U"a\U0001F600b");
    EXPECT_TRUE(Like(grin, QStringLiteral("a_b")));
    EXPECT_FALSE(Like(grin, QStringLiteral("a__b")));
    EXPECT_TRUE(Like(grin, QString::fromUcs4(U"a[\U0001F600\U0001F601]b")));
    EXPECT_TRUE(Like(grin, QString::fromUcs4(U"a[\U0001F5FF-\U0001F64F]b")));
    EXPECT_FALSE(Like(grin, QString::fromUcs4(U"a[^\U0001F600]b")));
}

TEST(LikePatternTest, ManyPercentsOnALongTextFinish) {
    const QString text(100000, QLatin1Char('a'));
    EXPECT_FALSE(Like(text, "%a%a%a%a%a%b"));
    EXPECT_TRUE(Like(text + "b", "%a%a%a%a%a%b"));
    EXPECT_FALSE(Like(text, "%a%_%[a]%a%a%[^a]%"));
    EXPECT_TRUE(Like(text + "xa", "%a%_%[a]%a%a%[^a]%"));
}

// --- As SQLite's LIKE ----------------------------------------------------------------------

class LikeInSqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Db = std::make_unique<TSqliteConnection>(Dir.filePath(QStringLiteral("like.sqlite3")));
        Db->Execute(
            QStringLiteral("CREATE TABLE People (id INTEGER PRIMARY KEY, Name VARCHAR(30))"));
        Db->Execute(QStringLiteral("INSERT INTO People (Name) VALUES ('Smith'), ('smith'), "
                                   "('Osmond'), ('Élise'), ('élan'), (NULL), ('10%')"));
    }

    Variant Eval(const QString& Expression, const QVariantList& Params = {}) {
        return Db->Scalar(QStringLiteral("SELECT ") + Expression, Params);
    }
    qint64 Count(const QString& Condition) {
        return Db->Scalar(QStringLiteral("SELECT count(*) FROM People WHERE ") + Condition)
            .toLongLong();
    }

    QTemporaryDir Dir;
    std::unique_ptr<TSqliteConnection> Db;
};

TEST_F(LikeInSqliteTest, LikeFollowsTheLocalRules) {
    EXPECT_EQ(Count("Name LIKE 'S%'"), 1);
    EXPECT_EQ(Count("Name LIKE '%[Ss][Mm]%'"), 3);
    EXPECT_EQ(Count("Name NOT LIKE '%[Ss][Mm]%'"), 3); // the Null row is neither
    EXPECT_EQ(Count("Name LIKE 'É%'"), 1);
    EXPECT_EQ(Count("Name LIKE '[Éé]%'"), 2);
    EXPECT_EQ(Count("Name LIKE ?"), 0); // an unbound parameter is Null
    EXPECT_EQ(Db->Scalar(QStringLiteral("SELECT count(*) FROM People WHERE Name LIKE ?"),
                         {QStringLiteral("_mith")})
                  .toLongLong(),
              2);
    EXPECT_EQ(Count("id LIKE '1'"), 1); // numbers compare as their text
}

TEST_F(LikeInSqliteTest, EscapeClause) {
    EXPECT_EQ(Count("Name LIKE '%\\%' ESCAPE '\\'"), 1);
    EXPECT_EQ(Count("Name LIKE '%!%' ESCAPE '!'"), 1);
    EXPECT_EQ(Count("Name LIKE '%\\%'"), 0);
    EXPECT_THROW(Count("Name LIKE '%' ESCAPE 'ab'"), EDatabaseError);
    EXPECT_THROW(Count("Name LIKE '%' ESCAPE ''"), EDatabaseError);
}

TEST_F(LikeInSqliteTest, NullGivesNull) {
    EXPECT_TRUE(Eval("1").isValid());
    EXPECT_FALSE(Eval("NULL LIKE 'a'").isValid());
    EXPECT_FALSE(Eval("'a' LIKE NULL").isValid());
    EXPECT_FALSE(Eval("'a' LIKE 'a' ESCAPE NULL").isValid());
    EXPECT_EQ(Eval("'a' LIKE 'a'").toLongLong(), 1);
    EXPECT_EQ(Eval("'a' LIKE 'A'").toLongLong(), 0);
}

TEST_F(LikeInSqliteTest, EveryConnectionHasIt) {
    TSqliteConnection second(Db->FileName());
    EXPECT_EQ(second
                  .Scalar(QStringLiteral("SELECT count(*) FROM People WHERE Name LIKE "
                                         "'[Ss]mith'"))
                  .toLongLong(),
              2);
}

} // namespace
