#include <QDebug>
#include <QTemporaryDir>
#include <db/FilterExpression.h>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

static void PrintTo(const QVariant& v, std::ostream* os) {
    QString text;
    QDebug(&text) << v;
    *os << text.toStdString();
}

namespace {

const QList<TFilterField> Fields{
    {QStringLiteral("Id"), ftAutoInc},        {QStringLiteral("Name"), ftString},
    {QStringLiteral("Nick"), ftString},       {QStringLiteral("Age"), ftInteger},
    {QStringLiteral("Price"), ftFloat},       {QStringLiteral("Active"), ftBoolean},
    {QStringLiteral("Born"), ftDate},         {QStringLiteral("Wakes"), ftTime},
    {QStringLiteral("Seen"), ftDateTime},     {QStringLiteral("First name"), ftString},
    {QStringLiteral("Odd\"Name"), ftInteger}, {QStringLiteral("Photo"), ftGraphic},
    {QStringLiteral("Notes"), ftMemo}};

TFilterExpression Parse(const QString& Text, TFilterOptions Options = {}) {
    return TFilterExpression(Text, FilterFieldsResolver(Fields), Options);
}

TFilterSql SqlOf(const QString& Text, TFilterOptions Options = {},
                 const TFilterDialect& Dialect = SqliteFilterDialect()) {
    return Parse(Text, Options).ToSql(Dialect);
}

QString ErrorOf(const QString& Text) {
    try {
        Parse(Text);
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return {};
}

bool Accepts(const QString& Text, const QVariantMap& Record, TFilterOptions Options = {}) {
    return Parse(Text, Options).Evaluate([&](const QString& Name) { return Record.value(Name); });
}

struct TSqlCase {
    const char* Text;
    const char* Sql;
    QVariantList Params;
};

void ExpectSql(const std::vector<TSqlCase>& Cases, TFilterOptions Options = {},
               const TFilterDialect& Dialect = SqliteFilterDialect()) {
    for (const TSqlCase& c : Cases) {
        SCOPED_TRACE(c.Text);
        const TFilterSql sql = SqlOf(QString::fromUtf8(c.Text), Options, Dialect);
        EXPECT_EQ(sql.Sql, QString::fromUtf8(c.Sql));
        ASSERT_EQ(sql.Params.size(), c.Params.size());
        for (qsizetype i = 0; i < c.Params.size(); ++i) {
            EXPECT_EQ(sql.Params[i].typeId(), c.Params[i].typeId()) << "parameter " << i;
            EXPECT_EQ(sql.Params[i], c.Params[i]) << "parameter " << i;
        }
    }
}

const QDateTime Noon(QDate(2024, 2, 29), QTime(12, 0));

// --- SQL ----------------------------------------------------------------------------------

TEST(FilterSqlTest, EveryOperatorComparesWithAParameter) {
    ExpectSql({{"Age = 30", R"("Age" = ?)", {qint64(30)}},
               {"Age <> 30", R"("Age" <> ?)", {qint64(30)}},
               {"Age < 30", R"("Age" < ?)", {qint64(30)}},
               {"Age > 30", R"("Age" > ?)", {qint64(30)}},
               {"Age <= 30", R"("Age" <= ?)", {qint64(30)}},
               {"Age>=-30", R"("Age" >= ?)", {qint64(-30)}}});
}

TEST(FilterSqlTest, ConstantsTakeTheTypeOfTheirField) {
    ExpectSql({{"Age = '30'", R"("Age" = ?)", {qint64(30)}},
               {"Age > 29.5", R"("Age" > ?)", {29.5}},
               {"Price < 10.5", R"("Price" < ?)", {10.5}},
               {"Price < 10", R"("Price" < ?)", {10.0}},
               {"Price < '-0.25'", R"("Price" < ?)", {-0.25}},
               {"Active = 'True'", R"("Active" = ?)", {true}},
               {"Active = 'false'", R"("Active" = ?)", {false}},
               {"Active = 1", R"("Active" = ?)", {true}},
               {"Name = 12", R"("Name" = ?)", {QStringLiteral("12")}},
               {"Notes = 'x'", R"("Notes" = ?)", {QStringLiteral("x")}},
               {"Born > '2024-02-29'", R"("Born" > ?)", {QDate(2024, 2, 29)}},
               {"Wakes < '07:30'", R"("Wakes" < ?)", {QTime(7, 30)}},
               {"Wakes < '07:30:15.250'", R"("Wakes" < ?)", {QTime(7, 30, 15, 250)}},
               {"Seen >= '2024-02-29 12:00:00'", R"("Seen" >= ?)", {Noon}},
               {"Seen >= '2024-02-29 12:00'", R"("Seen" >= ?)", {Noon}},
               {"Seen >= '2024-02-29'", R"("Seen" >= ?)", {QDate(2024, 2, 29).startOfDay()}}});
}

TEST(FilterSqlTest, NullTests) {
    ExpectSql({{"Name = Null", R"("Name" IS NULL)", {}},
               {"Name <> NULL", R"("Name" IS NOT NULL)", {}},
               {"null = Name", R"("Name" IS NULL)", {}},
               {"Age < Null", "1 = 0", {}},
               {"Null >= Age", "1 = 0", {}},
               {"Name = 'Null'", R"("Name" = ?)", {QStringLiteral("Null")}}});
}

TEST(FilterSqlTest, PartialMatchesAreRangesOnThePrefix) {
    const QString sm = QStringLiteral("Sm"), sn = QStringLiteral("Sn");
    ExpectSql({{"Name = 'Sm*'", R"(("Name" >= ? AND "Name" < ?))", {sm, sn}},
               {"'Sm*' = Name", R"(("Name" >= ? AND "Name" < ?))", {sm, sn}},
               {"Name <> 'Sm*'", R"(NOT (("Name" >= ? AND "Name" < ?)))", {sm, sn}},
               {"Name = '*'", R"("Name" >= ?)", {QString("")}},
               {"Name < 'Sm*'", R"("Name" < ?)", {QStringLiteral("Sm*")}},
               {"Name = 'S*m'", R"("Name" = ?)", {QStringLiteral("S*m")}}});
    ExpectSql({{"Name = 'Sm*'", R"("Name" = ?)", {QStringLiteral("Sm*")}},
               {"Name <> 'Sm*'", R"("Name" <> ?)", {QStringLiteral("Sm*")}}},
              {foNoPartialCompare});
}

TEST(FilterSqlTest, PartialMatchSuccessorsFollowCodePoints) {
    const auto upper = [](const QString& Text) {
        return SqlOf(QStringLiteral("Name = '%1*'").arg(Text)).Params.value(1).toString();
    };
    EXPECT_EQ(upper(QStringLiteral("a\U0001F600")), QStringLiteral("a\U0001F601"));
    EXPECT_EQ(upper(QStringLiteral("a\uFFFF")), QStringLiteral("a\U00010000"));
    EXPECT_EQ(upper(QStringLiteral("a\uD7FF")), QStringLiteral("a\uE000"));

    // The highest code point is dropped and the one before it incremented; a prefix of
    // nothing else has no upper bound.
    ExpectSql({{"Name = 'ab\U0010FFFF*'",
                R"(("Name" >= ? AND "Name" < ?))",
                {QStringLiteral("ab\U0010FFFF"), QStringLiteral("ac")}},
               {"Name = 'a\U0010FFFF\U0010FFFF*'",
                R"(("Name" >= ? AND "Name" < ?))",
                {QStringLiteral("a\U0010FFFF\U0010FFFF"), QStringLiteral("b")}},
               {"Name <> '\U0010FFFF*'", R"(NOT ("Name" >= ?))", {QStringLiteral("\U0010FFFF")}}});
}

TEST(FilterSqlTest, TextsAreOrderedByTheDialectsCodePointOrder) {
    TFilterDialect binary = SqliteFilterDialect();
    binary.CodePointOrdered = [](const QString& Column) { return Column + " COLLATE C"; };
    ExpectSql({{"Name = 'Sm*'",
                R"(("Name" COLLATE C >= ? AND "Name" COLLATE C < ?))",
                {QStringLiteral("Sm"), QStringLiteral("Sn")}},
               {"Name < 'b'", R"("Name" COLLATE C < ?)", {QStringLiteral("b")}},
               {"Name >= Nick", R"("Name" COLLATE C >= "Nick" COLLATE C)", {}},
               // Equality is the same in every collation; numbers have none.
               {"Name = 'b'", R"("Name" = ?)", {QStringLiteral("b")}},
               {"Name <> 'b'", R"("Name" <> ?)", {QStringLiteral("b")}},
               {"Age > 1", R"("Age" > ?)", {qint64(1)}}},
              {}, binary);
}

TEST(FilterSqlTest, CaseInsensitiveComparisonsFoldTextColumnsAndParameters) {
    const TFilterOptions ci{foCaseInsensitive};
    ExpectSql(
        {{"Name = 'SMITH'", R"("Name" COLLATE NOCASE = ?)", {QStringLiteral("smith")}},
         {"Name = 'Sm*'",
          R"(("Name" COLLATE NOCASE >= ? AND "Name" COLLATE NOCASE < ?))",
          {QStringLiteral("sm"), QStringLiteral("sn")}},
         // The successor is taken among folded characters: 'z' + 1, and '[' after '@'
         // because 'A' compares as 'a'.
         {"Name = 'SmZ*'",
          R"(("Name" COLLATE NOCASE >= ? AND "Name" COLLATE NOCASE < ?))",
          {QStringLiteral("smz"), QStringLiteral("sm{")}},
         {"Name = 'X@*'",
          R"(("Name" COLLATE NOCASE >= ? AND "Name" COLLATE NOCASE < ?))",
          {QStringLiteral("x@"), QStringLiteral("x[")}},
         {"Name = 'Ä'", R"("Name" COLLATE NOCASE = ?)", {QStringLiteral("Ä")}},
         {"Name = '\U0010FFFF*'", R"("Name" COLLATE NOCASE >= ?)", {QStringLiteral("\U0010FFFF")}},
         {"Name < Nick", R"("Name" COLLATE NOCASE < "Nick" COLLATE NOCASE)", {}},
         {"Age = 1", R"("Age" = ?)", {qint64(1)}},
         {"Name = Null", R"("Name" IS NULL)", {}}},
        ci);
    ExpectSql({{"Name = 'ÄPFEL'", R"(lower("Name") = ?)", {QStringLiteral("äpfel")}},
               {"Name = 'Ä*'",
                R"((lower("Name") >= ? AND lower("Name") < ?))",
                {QStringLiteral("ä"), QStringLiteral("å")}},
               {"Name = 'X@*'",
                R"((lower("Name") >= ? AND lower("Name") < ?))",
                {QStringLiteral("x@"), QStringLiteral("x[")}}},
              ci, LowerCaseFilterDialect());
}

TEST(FilterSqlTest, NotBindsTighterThanAndThanOr) {
    const QVariantList p123{qint64(1), qint64(2), qint64(3)};
    ExpectSql(
        {{"Age = 1 or Age = 2 and Age = 3", R"("Age" = ? OR ("Age" = ? AND "Age" = ?))", p123},
         {"(Age = 1 OR Age = 2) AND Age = 3", R"(("Age" = ? OR "Age" = ?) AND "Age" = ?)", p123},
         {"Age = 1 and Age = 2 or Age = 3", R"(("Age" = ? AND "Age" = ?) OR "Age" = ?)", p123},
         {"not Age = 1 and Age = 2", R"(NOT ("Age" = ?) AND "Age" = ?)", {qint64(1), qint64(2)}},
         {"NOT (Age = 1 Or Age = 2)", R"(NOT ("Age" = ? OR "Age" = ?))", {qint64(1), qint64(2)}},
         {"not not Age = 1", R"(NOT (NOT ("Age" = ?)))", {qint64(1)}},
         {"((Age = 1))", R"("Age" = ?)", {qint64(1)}}});
}

TEST(FilterSqlTest, FieldNamesAreResolvedIgnoringCaseAndQuoted) {
    ExpectSql({{"[First name] = 'Ann'", R"("First name" = ?)", {QStringLiteral("Ann")}},
               {"\"first NAME\" = 'Ann'", R"("First name" = ?)", {QStringLiteral("Ann")}},
               {"NAME = 'x'", R"("Name" = ?)", {QStringLiteral("x")}},
               {"[Odd\"name] = 1", R"("Odd""Name" = ?)", {qint64(1)}}});

    TFilterDialect backticks = SqliteFilterDialect();
    backticks.QuoteName = [](const QString& Name) { return '`' + Name + '`'; };
    ExpectSql({{"name = Nick", "`Name` = `Nick`", {}}}, {}, backticks);

    EXPECT_EQ(
        Parse(QStringLiteral("name = 'a' or AGE = 1 or Name = 'b' or Price < Age")).FieldNames(),
        QStringList({"Name", "Age", "Price"}));
}

TEST(FilterSqlTest, ConstantsOnTheLeftMirrorTheOperator) {
    ExpectSql({{"'A' < Name", R"("Name" > ?)", {QStringLiteral("A")}},
               {"30 >= Age", R"("Age" <= ?)", {qint64(30)}},
               {"30 > Age", R"("Age" < ?)", {qint64(30)}},
               {"30 <= Age", R"("Age" >= ?)", {qint64(30)}},
               {"1 <> Age", R"("Age" <> ?)", {qint64(1)}}});
}

TEST(FilterSqlTest, FieldsCompareWithFieldsOfTheirKind) {
    ExpectSql({{"Age < Price", R"("Age" < "Price")", {}},
               {"Name <> [First name]", R"("Name" <> "First name")", {}},
               {"Seen >= Seen", R"("Seen" >= "Seen")", {}}});
}

TEST(FilterSqlTest, InjectionAttemptsStayParameterValues) {
    ExpectSql({{"Name = 'x''; DROP TABLE t; --'",
                R"("Name" = ?)",
                {QStringLiteral("x'; DROP TABLE t; --")}},
               {"Name = '1'' OR ''1''=''1'", R"("Name" = ?)", {QStringLiteral("1' OR '1'='1")}}});
    EXPECT_EQ(ErrorOf(QStringLiteral("Name = 'x'; DROP TABLE t")),
              "Filter expression: unexpected character ';' at 11");
    EXPECT_EQ(ErrorOf(QStringLiteral("[Name] = 1; --]")),
              "Filter expression: unexpected character ';' at 11");
}

TEST(FilterSqlTest, AnEmptyTextIsNoFilter) {
    for (const QString& text : {QString(), QStringLiteral(" \t\n ")}) {
        const TFilterExpression filter = Parse(text);
        EXPECT_TRUE(filter.IsEmpty());
        EXPECT_TRUE(filter.ToSql().Sql.isEmpty());
        EXPECT_TRUE(filter.ToSql().Params.isEmpty());
        EXPECT_TRUE(filter.FieldNames().isEmpty());
        EXPECT_TRUE(filter.Evaluate([](const QString&) { return Variant(); }));
    }
    EXPECT_FALSE(Parse(QStringLiteral("Age = 1")).IsEmpty());
}

// --- Evaluation ---------------------------------------------------------------------------

const QVariantMap Smith{{"Name", QStringLiteral("Smith")},
                        {"Nick", QStringLiteral("smith")},
                        {"First name", QString("")},
                        {"Age", 30},
                        {"Price", 10.5},
                        {"Active", true},
                        {"Born", QDate(1990, 1, 15)},
                        {"Wakes", QTime(7, 30)},
                        {"Seen", Noon}};

struct TEvalCase {
    const char* Text;
    bool Expected;
};

void ExpectAccepts(const std::vector<TEvalCase>& Cases, const QVariantMap& Record,
                   TFilterOptions Options = {}) {
    for (const TEvalCase& c : Cases)
        EXPECT_EQ(Accepts(QString::fromUtf8(c.Text), Record, Options), c.Expected) << c.Text;
}

TEST(FilterEvaluateTest, NumbersCompareAsNumbers) {
    ExpectAccepts({{"Age = 30", true},
                   {"Age <> 30", false},
                   {"Age < 31", true},
                   {"Age > 30", false},
                   {"Age <= 30", true},
                   {"Age >= 30.5", false},
                   {"Age < 30.5", true},
                   {"Age = '30'", true},
                   {"Age > -1", true},
                   {"Price = 10.5", true},
                   {"Price > 10", true},
                   {"Price < 9", false},
                   {"Age > Price", true},
                   {"Price >= Age", false}},
                  Smith);
    // 9 < 10 as numbers, '9' > '10' as text
    ExpectAccepts({{"Age < 10", true}, {"Name < '10'", false}},
                  {{"Age", 9}, {"Name", QStringLiteral("9")}});
    // beyond a double's precision
    ExpectAccepts({{"Age = 9007199254740993", false}, {"Age < 9007199254740993", true}},
                  {{"Age", qint64(9007199254740992)}});
}

TEST(FilterEvaluateTest, TextComparesAsTextInCodePointOrder) {
    ExpectAccepts({{"Name = 'Smith'", true},
                   {"Name = 'smith'", false},
                   {"Name <> 'Smyth'", true},
                   {"Name < 'Smyth'", true},
                   {"Name > 'Sm'", true},
                   {"Name >= 'Smith'", true},
                   {"Name <= 'Smit'", false},
                   {"Name = Nick", false},
                   {"Name < Nick", true},
                   {"[First name] = ''", true},
                   {"[First name] = Null", false}},
                  Smith);
    // U+1F600 ranks above U+FFFD, though its UTF-16 units rank below
    ExpectAccepts({{"Name > 'a\uFFFD'", true}}, {{"Name", QStringLiteral("a\U0001F600")}});
}

TEST(FilterEvaluateTest, DatesAndTimesCompareAsSuch) {
    ExpectAccepts({{"Born = '1990-01-15'", true},
                   {"Born < '1990-01-16'", true},
                   {"Born > '1989-12-31'", true},
                   {"Born <> '1990-01-15'", false},
                   {"Wakes = '07:30'", true},
                   {"Wakes < '07:30:00.001'", true},
                   {"Wakes > '10:00'", false},
                   {"Seen = '2024-02-29 12:00:00'", true},
                   {"Seen > '2024-02-29'", true},
                   {"Seen < '2024-03-01'", true},
                   {"Seen <= '2024-02-29 11:59:59'", false},
                   {"Active = 'True'", true},
                   {"Active = 0", false},
                   {"Active > 'False'", true}},
                  Smith);
    // Values as an engine returns them: dates and times as ISO text, logicals as integers
    ExpectAccepts({{"Born = '1990-01-15'", true},
                   {"Born > '2000-01-01'", false},
                   {"Wakes < '08:00'", true},
                   {"Active = 'False'", true}},
                  {{"Born", QStringLiteral("1990-01-15")},
                   {"Wakes", QStringLiteral("07:30:00.000")},
                   {"Active", qint64(0)}});
}

TEST(FilterEvaluateTest, ComparisonsWithNullAreUnknown) {
    const QVariantMap nobody{{"Age", 30}, {"Name", Null()}, {"Nick", QString("")}};
    ExpectAccepts({{"Name = 'x'", false},
                   {"Name <> 'x'", false},
                   {"not Name = 'x'", false},
                   {"not (Name = 'x' and Age = 30)", false},
                   {"not (Name = 'x' and Age = 1)", true},
                   {"Name = 'x' or Age = 30", true},
                   {"Name = 'x' or Age = 1", false},
                   {"Name = Null", true},
                   {"Name <> Null", false},
                   {"not Name = Null", false},
                   {"Nick = Null", false},
                   {"Nick <> Null", true},
                   {"Nick = ''", true},
                   {"Age < Null", false},
                   {"not Age < Null", true},
                   {"Name = Nick", false},
                   {"Name <> Nick", false},
                   {"Price = 0", false}},
                  nobody);
}

TEST(FilterEvaluateTest, PartialMatches) {
    ExpectAccepts({{"Name = 'Sm*'", true},
                   {"Name = 'Smith*'", true},
                   {"Name = '*'", true},
                   {"Name = 'Smy*'", false},
                   {"Name = 'sm*'", false},
                   {"Name <> 'Sm*'", false},
                   {"Name <> 'Smy*'", true},
                   {"Name < 'Sm*'", false}},
                  Smith);
    ExpectAccepts({{"Name = 'Sm*'", false}, {"Name = 'Smith'", true}}, Smith, {foNoPartialCompare});
    ExpectAccepts({{"Name = 'Sm*'", true}}, {{"Name", QStringLiteral("Sm*")}},
                  {foNoPartialCompare});
    // A Null field neither matches nor mismatches
    ExpectAccepts({{"Name = 'Sm*'", false}, {"Name <> 'Sm*'", false}, {"Name = '*'", false}},
                  {{"Name", Null()}});
}

TEST(FilterEvaluateTest, CaseInsensitiveComparisons) {
    const TFilterOptions ci{foCaseInsensitive};
    ExpectAccepts({{"Name = 'SMITH'", true},
                   {"Name = 'sm*'", true},
                   {"Name <> 'SM*'", false},
                   {"Name < 'SMYTH'", true},
                   {"Name = Nick", true},
                   {"Name > 'smith'", false}},
                  Smith, ci);
    ExpectAccepts({{"Name = 'äpfel'", true}, {"Name = 'ÄP*'", true}},
                  {{"Name", QStringLiteral("Äpfel")}}, ci);
}

TEST(FilterEvaluateTest, NotBindsTighterThanAndThanOr) {
    ExpectAccepts({{"Age = 30 or Age = 1 and Price = 0", true},
                   {"(Age = 30 or Age = 1) and Price = 0", false},
                   {"not Age = 30 and Age = 1", false},
                   {"not (Age = 30 and Age = 1)", true},
                   {"Age = 1 and Price = 0 or Name = 'Smith'", true},
                   {"Age = 1 AND (Price = 0 OR Name = 'Smith')", false}},
                  Smith);
}

// --- Errors -------------------------------------------------------------------------------

TEST(FilterErrorsTest, MalformedTextNamesWhatAndWhere) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"Name = 'Smith", "unterminated string at 8"},
        {"Name = 'it''s", "unterminated string at 8"},
        {"[First name = 'x'", "unterminated field name at 1"},
        {"\"Name = 'x'", "unterminated field name at 1"},
        {"[] = 1", "empty field name at 1"},
        {"(Age = 1 or Age = 2", "')' expected at 20"},
        {"Age = 1 and (Age = 2 Age = 3)", "')' expected at 22"},
        {"Age = 12abc", "invalid number '12abc' at 7"},
        {"Age = 1.2.3", "invalid number '1.2.3' at 7"},
        {"Age > 1.", "invalid number '1.' at 7"},
        {"Age = -", "unexpected character '-' at 7"},
        {"Age # 3", "unexpected character '#' at 5"},
        {"Age != 3", "unexpected character '!' at 5"},
        {"Age = 3 and", "field or value expected at 12"},
        {"Age = 3 or", "field or value expected at 11"},
        {"Age = 1 and or Age = 2", "field or value expected at 13"},
        {"not", "field or value expected at 4"},
        {"Age =", "field or value expected at 6"},
        {"Age == 1", "field or value expected at 6"},
        {"()", "field or value expected at 2"},
        {"Age", "comparison operator expected at 4"},
        {"Age 3", "comparison operator expected at 5"},
        {"Age = 1)", "unexpected ')' at 8"},
        {"Age = 1 Name = 'x'", "unexpected 'Name' at 9"},
        {"Age = 1 'x'", "unexpected string at 9"},
        {"1 = 2", "a comparison needs a field at 1"},
        {"'a' = Null", "a comparison needs a field at 1"},
        {"Age = 1 and Nmae = 'x'", "unknown field 'Nmae' at 13"},
        {"[Last name] = 'x'", "unknown field 'Last name' at 1"},
        {"[a%1b] = 'x'", "unknown field 'a%1b' at 1"},
        {"Photo = 'x'", "field 'Photo' cannot be compared at 1"},
        {"Name = Age", "fields 'Name' and 'Age' cannot be compared at 1"},
        {"Born = Seen", "fields 'Born' and 'Seen' cannot be compared at 1"}};
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf(QString::fromUtf8(text)), "Filter expression: " + QString(message))
            << text;
}

TEST(FilterErrorsTest, ValuesMustFitTheirField) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"Age = 'abc'", "'abc' is not a valid integer for field 'Age' at 7"},
        {"Age = '3*'", "'3*' is not a valid integer for field 'Age' at 7"},
        {"Price < 'cheap'", "'cheap' is not a valid number for field 'Price' at 9"},
        {"Price < '1,000'", "'1,000' is not a valid number for field 'Price' at 9"},
        {"Active = 'yes'", "'yes' is not a valid logical value for field 'Active' at 10"},
        {"Active = 2", "'2' is not a valid logical value for field 'Active' at 10"},
        {"born = '2023-02-29'", "'2023-02-29' is not a valid date for field 'Born' at 8"},
        {"Born = '2024-02-29 10:00'",
         "'2024-02-29 10:00' is not a valid date for field 'Born' at 8"},
        {"Born > 20240229", "'20240229' is not a valid date for field 'Born' at 8"},
        {"Wakes = '25:00'", "'25:00' is not a valid time for field 'Wakes' at 9"},
        {"Seen = '2024-13-01 10:00'",
         "'2024-13-01 10:00' is not a valid date-time for field 'Seen' at 8"}};
    for (const auto& [text, message] : cases)
        EXPECT_EQ(ErrorOf(QString::fromUtf8(text)), "Filter expression: " + QString(message))
            << text;
}

TEST(FilterErrorsTest, NestingIsLimitedTo200Levels) {
    const auto parens = [](int n) {
        return QString(n, '(') + QStringLiteral("Age = 1") + QString(n, ')');
    };
    EXPECT_EQ(SqlOf(parens(200)).Sql, R"("Age" = ?)");
    EXPECT_EQ(ErrorOf(parens(201)), "Filter expression: nesting deeper than 200 levels at 201");
    EXPECT_EQ(ErrorOf(parens(5000)), "Filter expression: nesting deeper than 200 levels at 201");

    const auto nots = [](int n) { return QStringLiteral("not ").repeated(n) + "Age = 1"; };
    EXPECT_TRUE(Parse(nots(200)).Evaluate([](const QString&) { return 1; }));
    EXPECT_EQ(ErrorOf(nots(201)), "Filter expression: nesting deeper than 200 levels at 801");
}

TEST(FilterExpressionTest, LongFlatChainsParse) {
    QStringList terms;
    for (int i = 0; i < 2000; ++i)
        terms << QStringLiteral("Age = %1").arg(i);
    const QString text = terms.join(QLatin1String(" or "));
    ASSERT_GT(text.size(), 10000);

    const TFilterExpression filter = Parse(text);
    const TFilterSql sql = filter.ToSql();
    EXPECT_EQ(sql.Sql.count('?'), 2000);
    ASSERT_EQ(sql.Params.size(), 2000);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(sql.Params[i], qint64(i));
    EXPECT_EQ(filter.FieldNames(), QStringList{"Age"});
    EXPECT_TRUE(filter.Evaluate([](const QString&) { return 1999; }));
    EXPECT_FALSE(filter.Evaluate([](const QString&) { return 2000; }));

    const TFilterExpression all = Parse(terms.join(QLatin1String(" AND ")).replace('=', "<>"));
    EXPECT_TRUE(all.Evaluate([](const QString&) { return 2000; }));
    EXPECT_FALSE(all.Evaluate([](const QString&) { return 0; }));
}

// --- SQLite -------------------------------------------------------------------------------

// The rows of a table whose columns are Fields' first nine, in that order.
const QStringList Columns{"Id", "Name", "Nick", "Age", "Price", "Active", "Born", "Wakes", "Seen"};

QList<QVariantList> PeopleRows() {
    const Variant null;
    const auto at = [](int y, int m, int d, int h = 0, int min = 0, int s = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s));
    };
    QList<QVariantList> rows{
        {1, "Smith", "smith", 30, 10.5, true, QDate(1990, 1, 15), QTime(7, 30),
         at(2024, 2, 29, 10)},
        {2, "smyth", "SMYTH", 45, 99.99, false, QDate(1979, 12, 31), QTime(6, 0), at(2024, 3, 1)},
        {3, "Smz", null, 30, 10.0, true, QDate(2024, 2, 29), QTime(23, 59, 59), at(2024, 2, 29)},
        {4, "SmZebra", "smz", 29, null, null, null, null, null},
        {5, "", "", 0, 0.0, false, QDate(2000, 1, 1), QTime(0, 0), at(2000, 1, 1, 12)},
        {6, null, "Nobody", null, 1.5, true, QDate(1990, 1, 15), QTime(12, 0), at(2024, 2, 29, 10)},
        {7, "O'Brien", "x@y", -5, -2.25, false, QDate(1985, 6, 30), QTime(12, 0, 1),
         at(2023, 12, 31, 23, 59, 59)},
        {8, "x@1", "X@1"},
        {9, "x[z", "x[Z"},
        {10, "xa", "XA"},
        {11, QStringLiteral("Äpfel"), QStringLiteral("Äpfel")},
        {12, QStringLiteral("a\U0010FFFFb"), "a"},
        {13, QStringLiteral("a\U0001F600"), QStringLiteral("a\uFFFD")},
        {14, "Sm*", null}};
    for (QVariantList& row : rows) {
        if (row.size() == 3)
            row << row[0].toInt(); // Age
        while (row.size() < Columns.size())
            row << null;
    }
    return rows;
}

class FilterSqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        Db = std::make_unique<TSqliteConnection>(Dir.filePath(QStringLiteral("filter.db")));
        Db->Execute(QStringLiteral(
            R"(CREATE TABLE people ("Id" INTEGER PRIMARY KEY, "Name" VARCHAR(30),
               "Nick" VARCHAR(30), "Age" INTEGER, "Price" DOUBLE, "Active" BOOLEAN,
               "Born" DATE, "Wakes" TIME, "Seen" TIMESTAMP))"));
        for (const QVariantList& row : Rows)
            Db->Execute(QStringLiteral("INSERT INTO people VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                        row);
    }

    QList<qint64> Selected(const TFilterSql& Sql) const {
        auto statement = Db->Prepare(
            QStringLiteral(R"(SELECT "Id" FROM people WHERE %1 ORDER BY "Id")").arg(Sql.Sql));
        for (qsizetype i = 0; i < Sql.Params.size(); ++i)
            statement->Bind(int(i), Sql.Params[i]);
        QList<qint64> ids;
        while (statement->Step())
            ids << statement->Column(0).toLongLong();
        return ids;
    }

    QList<qint64> Accepted(const TFilterExpression& Filter) const {
        QList<qint64> ids;
        for (const QVariantList& row : Rows)
            if (Filter.Evaluate([&](const QString& Name) { return row[Columns.indexOf(Name)]; }))
                ids << row[0].toLongLong();
        return ids;
    }

    // The rows the engine selects, after checking that Evaluate accepts the same ones.
    QList<qint64> Agreed(const QString& Text, TFilterOptions Options = {},
                         const TFilterDialect& Dialect = SqliteFilterDialect()) const {
        const TFilterExpression filter = Parse(Text, Options);
        const QList<qint64> selected = Selected(filter.ToSql(Dialect));
        EXPECT_EQ(selected, Accepted(filter)) << Text.toStdString();
        return selected;
    }

    QTemporaryDir Dir;
    std::unique_ptr<TSqliteConnection> Db;
    const QList<QVariantList> Rows = PeopleRows();
};

TEST_F(FilterSqliteTest, EngineAndEvaluateSelectTheSameRows) {
    const char* const texts[] = {"Age = 30",
                                 "Age <> 30",
                                 "Age < 30",
                                 "Age > 29.5",
                                 "Age <= -5",
                                 "Age >= '30'",
                                 "30 > Age",
                                 "Price < 10.5",
                                 "Price >= 10",
                                 "Price = 0",
                                 "Age < Price",
                                 "Age >= Price",
                                 "Active = 'True'",
                                 "Active <> 1",
                                 "Active = Null",
                                 "Born > '1990-01-15'",
                                 "Born = '2024-02-29'",
                                 "Born <= '1990-01-15'",
                                 "Wakes < '07:30'",
                                 "Wakes >= '12:00:00'",
                                 "Wakes > '12:00'",
                                 "Seen > '2024-02-29'",
                                 "Seen = '2024-02-29 10:00:00'",
                                 "Seen < '2024-03-01'",
                                 "Name = 'Smith'",
                                 "Name <> 'Smith'",
                                 "Name < 'Sm'",
                                 "Name >= 'x['",
                                 "Name = ''",
                                 "Name <> ''",
                                 "Name = Null",
                                 "Name <> Null",
                                 "Name < Null",
                                 "not Name < Null",
                                 "Name = 'Sm*'",
                                 "Name <> 'Sm*'",
                                 "Name = '*'",
                                 "Name <> '*'",
                                 "Name = 'a\U0010FFFF*'",
                                 "Name <> 'a\U0010FFFF*'",
                                 "Name = 'Äp*'",
                                 "Name = 'O''Brien'",
                                 "Name = Nick",
                                 "Name <> Nick",
                                 "Name > Nick",
                                 "not (Age = 30 or Name = 'Smith')",
                                 "not Age = 30 and not Name = Null",
                                 "Age = 30 or Age = 45 and Price > 50",
                                 "(Age = 30 or Age = 45) and Price > 50",
                                 "not (Name = 'Sm*' and Active = 'True') or Price < 0"};
    for (const char* text : texts)
        Agreed(QString::fromUtf8(text));
    for (const char* text : texts)
        Agreed(QString::fromUtf8(text), {foNoPartialCompare});

    // Beyond ASCII, SQLite's NOCASE compares case-sensitively; these stay within ASCII.
    const char* const insensitive[] = {"Name = 'smith'", "Name = 'SM*'",    "Name = 'smz*'",
                                       "Name = 'X@*'",   "Name <> 'sm*'",   "Name < 'SMZ'",
                                       "Name >= 'X['",   "Name = Nick",     "Name <> Nick",
                                       "Name > Nick",    "not Name = 'S*'", "Name = 'x*'"};
    for (const char* text : insensitive) {
        Agreed(QString::fromUtf8(text), {foCaseInsensitive});
        Agreed(QString::fromUtf8(text), {foCaseInsensitive}, LowerCaseFilterDialect());
    }
}

TEST_F(FilterSqliteTest, SelectsTheExpectedRows) {
    using Ids = QList<qint64>;
    EXPECT_EQ(Agreed("Age = 30"), Ids({1, 3}));
    EXPECT_EQ(Agreed("Name = 'Sm*'"), Ids({1, 3, 4, 14}));
    EXPECT_EQ(Agreed("Name = 'Sm*'", {foNoPartialCompare}), Ids({14}));
    EXPECT_EQ(Agreed("Name <> 'Sm*'"), Ids({2, 5, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(Agreed("not Name <> 'Sm*'"), Ids({1, 3, 4, 14}));
    EXPECT_EQ(Agreed("Name = 'sm*'", {foCaseInsensitive}), Ids({1, 2, 3, 4, 14}));
    EXPECT_EQ(Agreed("Name = 'X@*'", {foCaseInsensitive}), Ids({8}));
    EXPECT_EQ(Agreed("Name = 'smz*'", {foCaseInsensitive}), Ids({3, 4}));
    EXPECT_EQ(Agreed("Name = 'a\U0010FFFF*'"), Ids({12}));
    EXPECT_EQ(Agreed("Name > 'a\uFFFD'"), Ids({2, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(Agreed("Name = Null"), Ids({6}));
    EXPECT_EQ(Agreed("Seen >= '2024-02-29'"), Ids({1, 2, 3, 6}));
    EXPECT_EQ(Agreed("Born = '2024-02-29'"), Ids({3}));
    EXPECT_EQ(Agreed("Wakes > '12:00'"), Ids({3, 7}));
    EXPECT_EQ(Agreed("Age = 30 or Age = 45 and Price > 50"), Ids({1, 2, 3}));
    EXPECT_EQ(Agreed("(Age = 30 or Age = 45) and Price > 50"), Ids({2}));
}

TEST_F(FilterSqliteTest, InjectedTextIsAValue) {
    EXPECT_TRUE(Agreed("Name = 'x''; DROP TABLE people; --'").isEmpty());
    EXPECT_TRUE(Agreed("Name = 'x'' OR ''1''=''1'").isEmpty());
    EXPECT_EQ(Db->Scalar(QStringLiteral("SELECT count(*) FROM people")).toLongLong(), Rows.size());
}

TEST_F(FilterSqliteTest, LongChainsRunOnTheEngine) {
    QStringList terms;
    for (int i = 1; i <= 2000; ++i)
        terms << QStringLiteral("Age = %1").arg(i);
    EXPECT_EQ(Agreed(terms.join(" or ")), QList<qint64>({1, 2, 3, 4, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(Agreed(terms.join(" and ").replace('=', "<>")), QList<qint64>({5, 7}));
}

} // namespace
