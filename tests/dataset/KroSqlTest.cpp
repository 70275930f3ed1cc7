#include "EngineTest.h"

#include <dataset/KroOther.h>
#include <dataset/KroSql.h>
#include <dataset/KroTable.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>
#include <stdexcept>
#include <ui/ScriptedResponder.h>

namespace {

// ---- Order-by clauses of texts ------------------------------------------------------------

TEST(OrderByText, FindsTheClauseOutsideQuotes) {
    const QString sql = QStringLiteral("select * from T order by A");
    EXPECT_EQ(FindOrderBy(sql, true), 17);
    EXPECT_EQ(FindOrderBy(sql, false), 25) << "just after \"by\"";
    EXPECT_EQ(FindOrderBy(QStringLiteral("SELECT * FROM T ORDER BY A"), true), 17);
    EXPECT_EQ(FindOrderBy(QStringLiteral("select * from T"), true), 0);
    EXPECT_EQ(FindOrderBy(QString(), true), 0);
    // Quoted texts hide the words.
    EXPECT_EQ(FindOrderBy(QStringLiteral("select 'order by x' from T"), true), 0);
    EXPECT_EQ(FindOrderBy(QStringLiteral("select \"order by\" from T"), true), 0);
    EXPECT_EQ(
        FindOrderBy(QStringLiteral("select 'it''s' from T where N = 'order by' order by N"), true),
        44);
    // A double quote inside a single-quoted text does not open a quoted name.
    EXPECT_EQ(FindOrderBy(QStringLiteral("select '\"' from T order by A"), true), 19);
}

TEST(OrderByText, BlanksBetweenTheWordsAndTheWordsWrittenTogether) {
    EXPECT_EQ(FindOrderBy(QStringLiteral("select * from T order \t\r\n  by A"), true), 17);
    EXPECT_EQ(FindOrderBy(QStringLiteral("select * from T order \t\r\n  by A"), false), 30);
    EXPECT_EQ(FindOrderBy(QStringLiteral("select * from T orderby A"), true), 0);
    // An "order" that is not followed by "by" is passed over for the next one.
    EXPECT_EQ(FindOrderBy(QStringLiteral("select OrderNo from T order by OrderNo"), true), 23);
}

TEST(OrderByText, TextsThatEndEarly) {
    for (const char* text : {"order", "order ", "order b", "x order", "'", "\"", "'order by",
                             "select * from T order by"}) {
        const QString sql = QString::fromLatin1(text);
        const int found = FindOrderBy(sql, false);
        EXPECT_LE(found, sql.size() + 1) << text;
        EXPECT_TRUE(GetOrderByFields(sql).isEmpty()) << text;
    }
    EXPECT_EQ(FindOrderBy(QStringLiteral("order by"), false), 9);
}

TEST(OrderByText, FieldNamesOfTheClause) {
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T order by Name desc, Sex")),
              QStringLiteral("Name;Sex"));
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T order by A,B ,  C asc")),
              QStringLiteral("A;B;C"));
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T order by A;")), QStringLiteral("A"));
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T order by A; drop table T")),
              QStringLiteral("A"));
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T")), QString());
    // Quoted names, also with blanks inside and an unclosed quote at the end.
    EXPECT_EQ(
        GetOrderByFields(QStringLiteral("select * from T order by \"First Name\" desc,\"B\"")),
        QStringLiteral("First Name;B"));
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T order by \"A\",\"B")),
              QStringLiteral("A;B"));
    EXPECT_EQ(GetOrderByFields(QStringLiteral("select * from T order by ,,A")),
              QStringLiteral("A"));
}

TEST(OrderByText, BuildingTheClause) {
    EXPECT_EQ(
        BuildOrderBySQL(QStringLiteral("select * from T order by A"), QStringLiteral("B;C"), false),
        QStringLiteral("select * from T\r\norder by B,C"));
    EXPECT_EQ(
        BuildOrderBySQL(QStringLiteral("select * from T order by A"), QStringLiteral("B;C"), true),
        QStringLiteral("select * from T\r\norder by \"B\",\"C\""));
    EXPECT_EQ(BuildOrderBySQL(QStringLiteral("select * from T;"), QString(), false),
              QStringLiteral("select * from T"));
    EXPECT_EQ(BuildOrderBySQL(QStringLiteral("  select * from T ;  "), QStringLiteral("A"), false),
              QStringLiteral("select * from T\r\norder by A"));
    // Everything from "order" on goes, also what followed the clause.
    EXPECT_EQ(BuildOrderBySQL(QStringLiteral("select * from T order by A desc;"), QString(), false),
              QStringLiteral("select * from T"));
    // A quoted "order by" is text, not the clause.
    EXPECT_EQ(
        BuildOrderBySQL(QStringLiteral("select 'order by' from T"), QStringLiteral("X"), false),
        QStringLiteral("select 'order by' from T\r\norder by X"));
    EXPECT_EQ(GetOrderByFields(
                  BuildOrderBySQL(QStringLiteral("select * from T"), QStringLiteral("A;B"), true)),
              QStringLiteral("A;B"));
}

TEST(OrderByText, AndConditions) {
    EXPECT_EQ(AndConditions(QString(), QStringLiteral("B = 1")), QStringLiteral("B = 1"));
    EXPECT_EQ(AndConditions(QStringLiteral("A = 1"), QString()), QStringLiteral("A = 1"));
    EXPECT_EQ(AndConditions(QStringLiteral("A = 1 or C = 2"), QStringLiteral("B = 1")),
              QStringLiteral("(A = 1 or C = 2) and (B = 1)"));
    EXPECT_EQ(AndConditions(QString(), QString()), QString());
}

// ---- Order of datasets on the engines -----------------------------------------------------

ON_EVERY_ENGINE(DataSetOrder);

QString NameOf(TDataSet* DataSet) {
    return DataSet->FieldByName(QStringLiteral("Name"))->AsString();
}

TEST_P(DataSetOrder, QueryTextIsRewrittenAndThePositionKept) {
    TPeopleDatabase db(6, Engine());
    TKroQuery query;
    query.SetDatabaseName(db.Alias());
    query.SQL()->SetText(QStringLiteral("select * from \"People\" order   by \"Name\";"));
    query.Open();
    ASSERT_TRUE(query.Locate(QStringLiteral("Name"), QStringLiteral("Person 0002"), {}));
    EXPECT_EQ(GetCurrentOrder(&query), QStringLiteral("Name"));

    SetOrderBy(&query, QStringLiteral("Country;Name"), true, true);
    EXPECT_TRUE(query.Active());
    EXPECT_EQ(query.SQL()->Text().trimmed(),
              QStringLiteral("select * from \"People\"\norder by \"Country\",\"Name\""));
    EXPECT_EQ(GetCurrentOrder(&query), QStringLiteral("Country;Name"));
    EXPECT_EQ(NameOf(&query), QStringLiteral("Person 0002")) << "the record was found again";
    query.First();
    EXPECT_EQ(NameOf(&query), QStringLiteral("Person 0001"));
    query.Next();
    EXPECT_EQ(NameOf(&query), QStringLiteral("Person 0004")) << "country 1 first";

    SetOrderBy(&query, QStringLiteral("Name"), false, true);
    EXPECT_EQ(NameOf(&query), QStringLiteral("Person 0001")) << "without keeping: the first";

    query.Close();
    SetOrderBy(&query, QString(), true, true);
    EXPECT_FALSE(query.Active()) << "a closed query only gets its text";
    EXPECT_EQ(query.SQL()->Text().trimmed(), QStringLiteral("select * from \"People\""));
    EXPECT_EQ(GetCurrentOrder(&query), QString());
}

TEST_P(DataSetOrder, AnErrorInTheNewTextLeavesTheQueryClosed) {
    TPeopleDatabase db(2, Engine());
    TKroQuery query;
    query.SetDatabaseName(db.Alias());
    query.SQL()->SetText(QStringLiteral("select * from \"People\""));
    query.Open();
    EXPECT_THROW(SetOrderBy(&query, QStringLiteral("NoSuchField"), true, false), EDatabaseError);
    EXPECT_FALSE(query.Active());
    EXPECT_TRUE(query.SQL()->Text().contains(QStringLiteral("order by NoSuchField")));
    EXPECT_FALSE(query.ControlsDisabled());
}

TEST_P(DataSetOrder, TableIndexFieldNamesAndThePositionKept) {
    TPeopleDatabase db(6, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    EXPECT_EQ(GetCurrentOrder(people.get()), QStringLiteral("Id")) << "the primary key";
    ASSERT_TRUE(people->Locate(QStringLiteral("Name"), QStringLiteral("Person 0005"), {}));

    SetOrderBy(people.get(), QStringLiteral("Country,Name"), true, false);
    EXPECT_EQ(people->IndexFieldNames(), QStringLiteral("Country;Name"));
    EXPECT_EQ(GetCurrentOrder(people.get()), QStringLiteral("Country;Name"));
    EXPECT_EQ(NameOf(people.get()), QStringLiteral("Person 0005"));
    EXPECT_FALSE(people->ControlsDisabled());

    people->Close();
    SetOrderBy(people.get(), QStringLiteral("Name"), true, false);
    EXPECT_EQ(GetCurrentOrder(people.get()), QStringLiteral("Name"));
}

// ---- One value of a statement -------------------------------------------------------------

// Puts OtherQueryClass back when a test ends.
class OtherQuery : public ::testing::Test {
protected:
    void TearDown() override { OtherQueryClass = nullptr; }
};

TEST_F(OtherQuery, FirstColumnOfTheFirstRow) {
    TPeopleDatabase db(3);
    const QString count = QStringLiteral("select count(*) from People.db");
    EXPECT_EQ(GetFromSQLText(db.Alias(), count, false).toInt(), 3);
    EXPECT_EQ(GetFromSQLText(db.Alias(), QStringLiteral("select Name, Id from People where Id = 2"),
                             false)
                  .toString(),
              QStringLiteral("Person 0002"));
    EXPECT_TRUE(VarIsNull(GetFromSQLText(
        db.Alias(), QStringLiteral("select Name from People where Id = 99"), false)));
    OtherQueryClass = &TKroQuery::staticMetaObject;
    EXPECT_EQ(GetFromSQLText(db.Alias(), count, false).toInt(), 3);
}

TEST_F(OtherQuery, StatementErrorsFollowIgnoreErrors) {
    TPeopleDatabase db;
    const QString wrong = QStringLiteral("select nothing from Nowhere");
    EXPECT_THROW(GetFromSQLText(db.Alias(), wrong, false), EDatabaseError);
    EXPECT_TRUE(VarIsNull(GetFromSQLText(db.Alias(), wrong, true)));
    // The query was closed after the error: the next statement runs.
    EXPECT_EQ(
        GetFromSQLText(db.Alias(), QStringLiteral("select count(*) from Country"), true).toInt(),
        3);
}

// A query whose reading fails with an error that is not the database's; with FailOpening
// its opening does.
class TMisreadingQuery : public TQuery {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMisreadingQuery(TComponent* AOwner = nullptr) : TQuery(AOwner) {}
    static inline bool FailOpening = false;

protected:
    void InternalOpen() override {
        if (FailOpening)
            throw std::runtime_error("no memory for the statement");
        TQuery::InternalOpen();
    }
    QList<TRecord> InternalFetch(TFetchDirection, const TRecord*, int) override {
        throw EConvertError(QStringLiteral("'x' is not a valid integer value"));
    }
};

TEST_F(OtherQuery, AnyErrorWhileOpeningOrReadingIsIgnoredOnRequest) {
    TPeopleDatabase db(3);
    OtherQueryClass = &TMisreadingQuery::staticMetaObject;
    const QString count = QStringLiteral("select count(*) from People.db");
    for (const bool opening : {false, true}) {
        TMisreadingQuery::FailOpening = opening;
        EXPECT_ANY_THROW(GetFromSQLText(db.Alias(), count, false));
        EXPECT_TRUE(VarIsNull(GetFromSQLText(db.Alias(), count, true)));
    }
    TMisreadingQuery::FailOpening = false;
    OtherQueryClass = nullptr;
    EXPECT_EQ(GetFromSQLText(db.Alias(), count, true).toInt(), 3);
}

// A component class that is no query: it has neither "SQL" nor a dataset's behaviour.
class TNotAQuery : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TNotAQuery(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
};

// A dataset class without "SQL".
class TNoSqlDataSet : public TDBDataSet {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TNoSqlDataSet(TComponent* AOwner = nullptr) : TDBDataSet(AOwner) {}

protected:
    void InternalClose() override {}
    void InternalInitFieldDefs() override {}
    QList<TRecord> InternalFetch(TFetchDirection, const TRecord*, int) override { return {}; }
    std::optional<TRecord> InternalFetchBookmark(const TBookmark&) override { return {}; }
    qint64 InternalRecordCount() override { return 0; }
    qint64 InternalRecNo(const TRecord&) override { return -1; }
    TBookmark InternalPost(const TRecord&, const TRecord*) override { return Null(); }
    void InternalDelete(const TRecord&) override {}
};

TEST_F(OtherQuery, ConfigurationFaultsAreShownAndGiveNull) {
    TPeopleDatabase db;
    TScriptedResponder responder;
    OtherQueryClass = &TNotAQuery::staticMetaObject;
    EXPECT_TRUE(VarIsNull(GetFromSQLText(db.Alias(), QStringLiteral("select 1"), false)));
    OtherQueryClass = &TNoSqlDataSet::staticMetaObject;
    EXPECT_TRUE(VarIsNull(GetFromSQLText(db.Alias(), QStringLiteral("select 1"), false)));
    ASSERT_EQ(responder.Shown().size(), 2);
    EXPECT_TRUE(responder.Shown()[0].Text.startsWith(
        QStringLiteral("Function GetFromSQLText:\nYou must define \"OtherQueryClass\"")));
    EXPECT_EQ(responder.Shown()[1].Text,
              QStringLiteral("Property \"SQL\" is absent in the dataset"));
    EXPECT_EQ(responder.Shown()[1].Buttons, TMsgDlgButtons{mbOK});
}

} // namespace

#include "KroSqlTest.moc"
