#include "AppendedRow.h"
#include "DeclaredTypes.h"
#include "PostgresTestServer.h"

#include <QDateTime>
#include <atomic>
#include <chrono>
#include <db/LikePattern.h>
#include <db/PostgresConnection.h>
#include <rtl/Exceptions.h>
#include <signal.h>
#include <thread>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The message of the EDatabaseError an action raises, or "" when it raises none.
template <class Action> QString DatabaseErrorOf(Action action) {
    try {
        action();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return {};
}

// Each test works in a schema of its own, made anew.
class PostgresConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_OR_FAIL_WITHOUT_POSTGRES();
        Params = *PostgresTestParams(QStringLiteral("kro_connection_test"));
        RecreatePostgresSchema(Params);
    }

    std::unique_ptr<TPostgresConnection> Open(const QMap<QString, QString>& Extra = {}) const {
        QMap<QString, QString> params = Params;
        params.insert(Extra);
        return std::make_unique<TPostgresConnection>(params);
    }

    QMap<QString, QString> Params;
};

// --- Statements ---------------------------------------------------------------------------

class PostgresValuesTest : public PostgresConnectionTest {
protected:
    void SetUp() override {
        PostgresConnectionTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure())
            Db = Open();
    }

    // A value bound to a parameter and read back, typed as bound.
    Variant RoundTrip(const Variant& Value) {
        return Db->Scalar(QStringLiteral("SELECT ?"), {Value});
    }

    std::unique_ptr<TPostgresConnection> Db;
};

TEST_F(PostgresValuesTest, NullAndTextKeepTheirDifference) {
    EXPECT_FALSE(RoundTrip(Null()).isValid());

    const Variant empty = RoundTrip(QString(""));
    ASSERT_EQ(empty.typeId(), QMetaType::QString);
    EXPECT_TRUE(empty.toString().isEmpty());

    Db->Execute(QStringLiteral("CREATE TABLE v (x varchar(60))"));
    const QString text = QStringLiteral("Grüße, 世界 'quoted' \"double\" ? $1");
    Db->Execute(QStringLiteral("INSERT INTO v VALUES (?)"), {text});
    EXPECT_EQ(Db->Scalar(QStringLiteral("SELECT x FROM v")).toString(), text);

    // The server's text has no character 0: refused, not cut short.
    const QString withZero = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const QString message = DatabaseErrorOf([&] { RoundTrip(withZero); });
    EXPECT_TRUE(message.contains(QStringLiteral("U+0000"))) << message.toStdString();
}

TEST_F(PostgresValuesTest, NumbersReadBackAsInt64OrDouble) {
    const Variant yes = RoundTrip(true);
    EXPECT_EQ(yes.typeId(), QMetaType::LongLong);
    EXPECT_EQ(yes.toLongLong(), 1);
    EXPECT_EQ(RoundTrip(false).toLongLong(), 0);

    EXPECT_EQ(RoundTrip(42).typeId(), QMetaType::LongLong);
    EXPECT_EQ(RoundTrip(42).toLongLong(), 42);
    EXPECT_EQ(RoundTrip(qint64(-1) << 40).toLongLong(), -(qint64(1) << 40));
    EXPECT_EQ(RoundTrip(4000000000u).toLongLong(), 4000000000LL);
    EXPECT_EQ(RoundTrip(QVariant::fromValue(short(-7))).toLongLong(), -7);

    const Variant real = RoundTrip(2.5);
    EXPECT_EQ(real.typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(real.toDouble(), 2.5);
    EXPECT_DOUBLE_EQ(RoundTrip(0.1).toDouble(), 0.1);

    // numeric: whole values as integers, others as doubles.
    const Variant whole = Db->Scalar(QStringLiteral("SELECT 12::numeric(10,0)"));
    EXPECT_EQ(whole.typeId(), QMetaType::LongLong);
    EXPECT_EQ(whole.toLongLong(), 12);
    const Variant fraction = Db->Scalar(QStringLiteral("SELECT 2.5::numeric(19,4)"));
    EXPECT_EQ(fraction.typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(fraction.toDouble(), 2.5);
}

TEST_F(PostgresValuesTest, BlobsKeepEveryByte) {
    Db->Execute(QStringLiteral("CREATE TABLE v (x bytea)"));
    const QByteArray bytes("\0a\0\xff", 4);
    for (const QByteArray& value : {bytes, QByteArray()}) {
        Db->Execute(QStringLiteral("DELETE FROM v"));
        Db->Execute(QStringLiteral("INSERT INTO v VALUES (?)"), {value});
        const Variant read = Db->Scalar(QStringLiteral("SELECT x FROM v"));
        ASSERT_EQ(read.typeId(), QMetaType::QByteArray);
        EXPECT_EQ(read.toByteArray(), value);
    }
    EXPECT_EQ(Db->Scalar(QStringLiteral("SELECT octet_length(x) FROM v")).toLongLong(), 0);
}

TEST_F(PostgresValuesTest, DatesAndTimesReadAsIsoText) {
    EXPECT_EQ(RoundTrip(QDate(2024, 2, 29)).toString(), QStringLiteral("2024-02-29"));
    EXPECT_EQ(RoundTrip(QTime(13, 5, 7, 89)).toString(), QStringLiteral("13:05:07.089"));
    EXPECT_EQ(RoundTrip(QTime(13, 5, 7)).toString(), QStringLiteral("13:05:07.000"));
    EXPECT_EQ(RoundTrip(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 7, 89))).toString(),
              QStringLiteral("2024-02-29 13:05:07.089"));
    // Finer fractions stay whole: bound again, the text is the same value.
    EXPECT_EQ(Db->Scalar(QStringLiteral("SELECT '13:05:07.123456'::time")).toString(),
              QStringLiteral("13:05:07.123456"));

    // Another zone is bound as the same moment in local time; a timestamp with a zone
    // reads in local time.
    const QDateTime utc(QDate(2023, 7, 1), QTime(23, 30), Qt::UTC);
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    EXPECT_EQ(QDateTime::fromString(RoundTrip(utc).toString(), format), utc);
    const QString zoned =
        Db->Scalar(QStringLiteral("SELECT '2023-07-02 01:30:00+02'::timestamptz")).toString();
    EXPECT_EQ(QDateTime::fromString(zoned, format), utc);

    EXPECT_FALSE(RoundTrip(QDate()).isValid());
}

TEST_F(PostgresValuesTest, ErrorsNameTheStatementTheReasonAndTheDatabase) {
    const QString message =
        DatabaseErrorOf([&] { Db->Execute(QStringLiteral("SELECT y FROM nowhere")); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"SELECT y FROM nowhere\"")))
        << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("nowhere"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(
        QStringLiteral("database \"%1\"").arg(Params.value(QStringLiteral("DATABASE")))))
        << qPrintable(message);
}

TEST_F(PostgresValuesTest, UnsupportedValuesAndPositionsRaise) {
    EXPECT_THROW(RoundTrip(QVariantList{1, 2}), EDatabaseError);
    const auto statement = Db->Prepare(QStringLiteral("SELECT ?"));
    EXPECT_NE(DatabaseErrorOf([&] { statement->Bind(1, 5); }), QString());
}

TEST_F(PostgresValuesTest, QuestionMarksInStringsNamesAndCommentsAreNoParameters) {
    const auto statement = Db->Prepare(QStringLiteral(
        "SELECT '?''?' AS \"a?\", E'\\'?', $$?$$, ? /* ? /* ? */ ? */ -- ?\n, ?::int + 1"));
    statement->Bind(0, QStringLiteral("first"));
    statement->Bind(1, 41);
    EXPECT_THROW(statement->Bind(2, 0), EDatabaseError);
    ASSERT_EQ(statement->ColumnCount(), 5);
    EXPECT_EQ(statement->ColumnName(0), QStringLiteral("a?"));
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toString(), QStringLiteral("?'?"));
    EXPECT_EQ(statement->Column(1).toString(), QStringLiteral("'?"));
    EXPECT_EQ(statement->Column(2).toString(), QStringLiteral("?"));
    EXPECT_EQ(statement->Column(3).toString(), QStringLiteral("first"));
    EXPECT_EQ(statement->Column(4).toLongLong(), 42);
}

TEST_F(PostgresConnectionTest, StatementsWithTheSameTextAreIndependent) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v integer); INSERT INTO t VALUES (1), (2), (3)"));
    const QString sql = QStringLiteral("SELECT v FROM t WHERE v >= ? ORDER BY v");

    const auto first = db->Prepare(sql);
    first->Bind(0, 1);
    ASSERT_TRUE(first->Step());
    EXPECT_EQ(first->Column(0).toLongLong(), 1);

    const auto second = db->Prepare(sql);
    second->Bind(0, 3);
    ASSERT_TRUE(second->Step());
    EXPECT_EQ(second->Column(0).toLongLong(), 3);
    EXPECT_FALSE(second->Step());

    ASSERT_TRUE(first->Step());
    EXPECT_EQ(first->Column(0).toLongLong(), 2);
}

TEST_F(PostgresConnectionTest, AReusedStatementStartsAfresh) {
    const auto db = Open();
    const QString sql = QStringLiteral("SELECT ?");
    {
        const auto statement = db->Prepare(sql);
        statement->Bind(0, 5);
        ASSERT_TRUE(statement->Step());
    }
    const auto statement = db->Prepare(sql);
    ASSERT_TRUE(statement->Step());
    EXPECT_FALSE(statement->Column(0).isValid());

    statement->Reset();
    statement->Bind(0, 6);
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toLongLong(), 6);
    statement->Reset();
    statement->ClearBindings();
    ASSERT_TRUE(statement->Step());
    EXPECT_FALSE(statement->Column(0).isValid());
}

TEST_F(PostgresConnectionTest, ARowAppendsEveryColumnAsColumnReadsIt) {
    const auto db = Open();
    const auto statement = db->Prepare(QStringLiteral(
        "SELECT 7::bigint, 2.5::float8, 'Grüße'::text, '\\x00ff'::bytea, NULL::text"));
    ASSERT_TRUE(statement->Step());
    const QList<Variant> row = AppendedRow(*statement);
    ASSERT_EQ(row.size(), 5);
    EXPECT_EQ(row[0].toLongLong(), 7);
    EXPECT_EQ(row[2].toString(), QStringLiteral("Grüße"));
    EXPECT_EQ(row[3].toByteArray(), QByteArray("\0\xff", 2));
    EXPECT_FALSE(row[4].isValid());
}

TEST_F(PostgresConnectionTest, ColumnsRowsAffectedAndLastInsertId) {
    const auto db = Open();
    EXPECT_EQ(db->Execute(QStringLiteral("CREATE TABLE t (\"Id\" serial PRIMARY KEY, "
                                         "\"Name\" text)")),
              0);
    EXPECT_EQ(db->Execute(QStringLiteral("INSERT INTO t (\"Name\") VALUES ('a'); "
                                         "INSERT INTO t (\"Name\") VALUES ('b'), ('c');")),
              3);
    EXPECT_EQ(db->LastInsertId(), 3);
    EXPECT_EQ(db->Execute(QStringLiteral("INSERT INTO t (\"Name\") VALUES (?)"), {"d"}), 1);
    EXPECT_EQ(db->LastInsertId(), 4);
    EXPECT_EQ(db->Execute(QStringLiteral("UPDATE t SET \"Name\" = ? WHERE \"Id\" < ?"), {"x", 3}),
              2);

    const auto query =
        db->Prepare(QStringLiteral("SELECT \"Id\", \"Name\" AS \"Label\" FROM t ORDER BY \"Id\""));
    ASSERT_EQ(query->ColumnCount(), 2); // known before the first row
    EXPECT_EQ(query->ColumnName(0), QStringLiteral("Id"));
    EXPECT_EQ(query->ColumnName(1), QStringLiteral("Label"));
    EXPECT_THROW(query->Column(0), EDatabaseError); // not on a row yet
    int rows = 0;
    while (query->Step())
        ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(query->RowsAffected(), 0);
    EXPECT_THROW(query->Column(0), EDatabaseError); // past the last row

    const auto statement = db->Prepare(QStringLiteral("SELECT 1"));
    ASSERT_TRUE(statement->Step());
    EXPECT_THROW(statement->Column(1), EDatabaseError);
    EXPECT_FALSE(db->Scalar(QStringLiteral("SELECT \"Id\" FROM t WHERE \"Id\" = 99")).isValid());
}

TEST_F(PostgresConnectionTest, AStatementOutlivesItsConnection) {
    auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v text); INSERT INTO t VALUES ('kept')"));
    const auto statement = db->Prepare(QStringLiteral("SELECT v FROM t"));
    db.reset();
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toString(), QStringLiteral("kept"));
}

TEST_F(PostgresConnectionTest, LikeNullsFirstAndABoundLimit) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (\"Name\" text); INSERT INTO t VALUES "
                               "('Anna'), ('anton'), (NULL), ('Bert'), ('50% off')"));
    const auto names = [&](const QString& sql, const QVariantList& params) {
        const auto statement = db->Prepare(sql);
        for (int i = 0; i < params.size(); ++i)
            statement->Bind(i, params[i]);
        QStringList result;
        while (statement->Step())
            result << (statement->Column(0).isValid() ? statement->Column(0).toString()
                                                      : QStringLiteral("<null>"));
        return result;
    };
    EXPECT_EQ(names(QStringLiteral("SELECT \"Name\" FROM t ORDER BY \"Name\" ASC NULLS FIRST "
                                   "LIMIT ?"),
                    {3}),
              (QStringList{"<null>", "50% off", "Anna"}));
    EXPECT_EQ(names(QStringLiteral("SELECT \"Name\" FROM t ORDER BY \"Name\" DESC NULLS LAST"), {}),
              (QStringList{"anton", "Bert", "Anna", "50% off", "<null>"}));
    EXPECT_EQ(
        names(QStringLiteral("SELECT \"Name\" FROM t WHERE \"Name\" LIKE ? ORDER BY 1"), {"An%"}),
        QStringList{"Anna"});
    EXPECT_EQ(
        names(QStringLiteral("SELECT \"Name\" FROM t WHERE \"Name\" ILIKE ? ORDER BY 1"), {"an%"}),
        (QStringList{"Anna", "anton"}));
    // LIKE is local SQL's: a backslash escapes only when ESCAPE says so.
    EXPECT_EQ(names(QStringLiteral("SELECT \"Name\" FROM t WHERE \"Name\" LIKE '%\\%%'"), {}),
              QStringList{});
    EXPECT_EQ(
        names(QStringLiteral("SELECT \"Name\" FROM t WHERE \"Name\" LIKE '%\\%%' ESCAPE '\\'"), {}),
        QStringList{"50% off"});
}

TEST_F(PostgresConnectionTest, EachRunTakesTheLimitBoundForIt) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v integer); "
                               "INSERT INTO t VALUES (1), (2), (3), (4), (5)"));
    const auto values = [](TDbStatement& Statement) {
        QList<qint64> result;
        while (Statement.Step())
            result << Statement.Column(0).toLongLong();
        return result;
    };
    const auto limited = db->Prepare(QStringLiteral("SELECT v FROM t WHERE v > ? ORDER BY v "
                                                    "LIMIT ? "));
    const QList<std::pair<int, QList<qint64>>> runs = {
        {3, {2, 3, 4}}, {1, {2}}, {10, {2, 3, 4, 5}}, {0, {}}, {3, {2, 3, 4}}};
    for (const auto& [limit, expected] : runs) {
        limited->Reset();
        limited->Bind(0, 1);
        limited->Bind(1, limit);
        EXPECT_EQ(values(*limited), expected) << "LIMIT " << limit;
    }
    // A null limit is none; a limit in a text is typed by the server.
    limited->Reset();
    limited->Bind(1, Null());
    EXPECT_EQ(values(*limited), (QList<qint64>{2, 3, 4, 5}));
    limited->Reset();
    limited->Bind(1, QStringLiteral("2"));
    EXPECT_EQ(values(*limited), (QList<qint64>{2, 3}));
    limited->Reset();
    limited->Bind(1, -1);
    EXPECT_FALSE(DatabaseErrorOf([&] { values(*limited); }).isEmpty());

    // A limit followed by a comment, and a last parameter that is not a limit.
    const auto commented =
        db->Prepare(QStringLiteral("SELECT v FROM t ORDER BY v DESC LIMIT ? -- a page"));
    commented->Bind(0, 2);
    EXPECT_EQ(values(*commented), (QList<qint64>{5, 4}));
    const auto bounded = db->Prepare(QStringLiteral("SELECT v FROM t WHERE v < ? ORDER BY v"));
    bounded->Bind(0, 3);
    EXPECT_EQ(values(*bounded), (QList<qint64>{1, 2}));
}

// --- Errors -------------------------------------------------------------------------------

TEST_F(PostgresConnectionTest, BadSqlNamesTheStatement) {
    const auto db = Open();
    const QString sql = QStringLiteral("SELEC 1 FROM nowhere");
    const QString message = DatabaseErrorOf([&] { db->Scalar(sql); });
    EXPECT_TRUE(message.contains(sql)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("syntax error"))) << message.toStdString();

    const QString missing =
        DatabaseErrorOf([&] { db->Execute(QStringLiteral("SELECT * FROM x")); });
    EXPECT_TRUE(missing.contains(QStringLiteral("relation \"x\" does not exist")))
        << missing.toStdString();
    EXPECT_THROW(db->Scalar(QStringLiteral("  -- nothing\n")), EDatabaseError);
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT 1")).toLongLong(), 1); // still usable
}

TEST_F(PostgresConnectionTest, ConstraintViolationsCarryTheServerMessage) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE \"Parent\" (\"Id\" integer PRIMARY KEY);"
                               "CREATE TABLE t (\"Code\" text UNIQUE, \"Name\" text NOT NULL, "
                               "\"ParentId\" integer REFERENCES \"Parent\" (\"Id\"));"
                               "INSERT INTO \"Parent\" VALUES (1)"));
    const auto insert = db->Prepare(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"));
    insert->Bind(0, "A");
    insert->Bind(1, "first");
    insert->Bind(2, 1);
    EXPECT_FALSE(insert->Step());
    EXPECT_EQ(insert->RowsAffected(), 1);

    insert->Reset();
    const QString unique = DatabaseErrorOf([&] { insert->Step(); });
    EXPECT_TRUE(unique.contains(QStringLiteral("duplicate key value violates unique constraint "
                                               "\"t_Code_key\"")))
        << unique.toStdString();
    EXPECT_TRUE(unique.contains(QStringLiteral("Key (\"Code\")=(A) already exists")))
        << unique.toStdString();

    // The failed statement is ready for other values.
    insert->Bind(0, "B");
    EXPECT_FALSE(insert->Step());
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 2);

    const QString notNull = DatabaseErrorOf([&] {
        db->Execute(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"), {"C", Null(), 1});
    });
    EXPECT_TRUE(notNull.contains(QStringLiteral("null value in column \"Name\"")))
        << notNull.toStdString();

    const QString foreignKey = DatabaseErrorOf([&] {
        db->Execute(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"), {"D", "d", 7});
    });
    EXPECT_TRUE(foreignKey.contains(QStringLiteral("violates foreign key constraint")))
        << foreignKey.toStdString();
}

TEST_F(PostgresConnectionTest, ConnectingNamesTheDatabaseAndChecksTheParameters) {
    const QString message = DatabaseErrorOf([&] {
        Open({{QStringLiteral("DATABASE"), QStringLiteral("kro_no_such_db")}});
    });
    EXPECT_TRUE(message.contains(QStringLiteral("kro_no_such_db"))) << message.toStdString();
    EXPECT_THROW(Open({{QStringLiteral("STATEMENTTIMEOUT"), QStringLiteral("soon")}}),
                 EDatabaseError);

    // The same server over TCP, and a database named DBNAME.
    QMap<QString, QString> tcp = Params;
    tcp.remove(QStringLiteral("DATABASE"));
    tcp.insert(QStringLiteral("DBNAME"), Params.value(QStringLiteral("DATABASE")));
    tcp.insert(QStringLiteral("HOST"), QStringLiteral("127.0.0.1"));
    TPostgresConnection overTcp(tcp);
    EXPECT_EQ(overTcp.Scalar(QStringLiteral("SELECT current_database()")).toString(),
              Params.value(QStringLiteral("DATABASE")));
    EXPECT_TRUE(overTcp.IsSQLBased());
}

TEST_F(PostgresConnectionTest, AStatementRunningPastTheTimeoutRaises) {
    const auto db = Open({{QStringLiteral("STATEMENTTIMEOUT"), QStringLiteral("200")}});
    const QString message =
        DatabaseErrorOf([&] { db->Scalar(QStringLiteral("SELECT pg_sleep(20)")); });
    EXPECT_TRUE(message.contains(QStringLiteral("statement timeout"))) << message.toStdString();
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT 1")).toLongLong(), 1);
    EXPECT_EQ(Open()->Scalar(QStringLiteral("SHOW statement_timeout")).toString(),
              QStringLiteral("30s"));
}

TEST_F(PostgresConnectionTest, ALostConnectionRaisesAndTheNextOperationReconnects) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v integer); INSERT INTO t VALUES (7)"));
    const QString sql = QStringLiteral("SELECT v FROM t WHERE v = ?");
    EXPECT_EQ(db->Scalar(sql, {7}).toLongLong(), 7); // prepared on the first server process
    const qint64 pid = db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong();

    EXPECT_EQ(
        Open()->Scalar(QStringLiteral("SELECT pg_terminate_backend(?::int)"), {pid}).toLongLong(),
        1);
    const QString message = DatabaseErrorOf([&] { db->Scalar(sql, {7}); });
    EXPECT_TRUE(message.contains(QStringLiteral("connection to the server was lost")))
        << message.toStdString();

    // Reconnected, with the schema and the statements prepared again.
    EXPECT_EQ(db->Scalar(sql, {7}).toLongLong(), 7);
    EXPECT_NE(db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong(), pid);
}

// Nothing after the loss may commit on its own, and the application can still finish.
TEST_F(PostgresConnectionTest, AConnectionLostInATransactionFailsItUntilRolledBack) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v integer)"));
    const qint64 pid = db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong();
    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {1});

    const auto other = Open();
    other->Scalar(QStringLiteral("SELECT pg_terminate_backend(?::int)"), {pid});
    EXPECT_THROW(db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {2}), EDatabaseError);
    const QString later =
        DatabaseErrorOf([&] { db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {3}); });
    EXPECT_TRUE(later.contains(QStringLiteral("lost inside a transaction"))) << later.toStdString();
    EXPECT_TRUE(db->InTransaction());
    const QString commit = DatabaseErrorOf([&] { db->Commit(); });
    EXPECT_TRUE(commit.contains(QStringLiteral("roll it back"))) << commit.toStdString();
    EXPECT_TRUE(db->InTransaction());

    EXPECT_NO_THROW(db->Rollback());
    EXPECT_FALSE(db->InTransaction());
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {4}); // reconnects, commits alone
    EXPECT_EQ(other->Scalar(QStringLiteral("SELECT string_agg(v::text, ',') FROM t")).toString(),
              QStringLiteral("4"));

    db->StartTransaction(); // and transactions work again
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {5});
    db->Rollback();
    EXPECT_EQ(other->Scalar(QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 1);
}

// A server process that stops answering (here: stopped by a signal) ends in an error after
// the client's limit instead of blocking the caller.
TEST_F(PostgresConnectionTest, AFrozenServerEndsInAnErrorAfterTheClientTimeout) {
    const auto db = Open({{QStringLiteral("CLIENTTIMEOUT"), QStringLiteral("300")}});
    db->Execute(QStringLiteral("CREATE TABLE t (v integer)"));
    const pid_t pid = pid_t(db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong());
    ASSERT_EQ(kill(pid, SIGSTOP), 0) << "the test server runs on this machine as this user or "
                                        "root";
    const QString message = DatabaseErrorOf([&] { db->Scalar(QStringLiteral("SELECT 1")); });
    kill(pid, SIGCONT);
    EXPECT_TRUE(message.contains(QStringLiteral("did not answer within 300 ms")))
        << message.toStdString();
    // The connection is made again for the next statement.
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT 2")).toLongLong(), 2);
    EXPECT_NE(db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong(), qint64(pid));

    // Inside a transaction the loss fails the transaction as a lost connection does.
    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO t VALUES (1)"));
    const pid_t second = pid_t(db->Scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong());
    ASSERT_EQ(kill(second, SIGSTOP), 0);
    EXPECT_THROW(db->Execute(QStringLiteral("INSERT INTO t VALUES (2)")), EDatabaseError);
    kill(second, SIGCONT);
    EXPECT_THROW(db->Commit(), EDatabaseError);
    EXPECT_NO_THROW(db->Rollback());
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 0);
    EXPECT_THROW(Open({{QStringLiteral("CLIENTTIMEOUT"), QStringLiteral("soon")}}), EDatabaseError);
}

// --- Transactions -------------------------------------------------------------------------

TEST_F(PostgresConnectionTest, TransactionsCommitOrDiscard) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v text)"));
    EXPECT_FALSE(db->InTransaction());

    db->StartTransaction();
    EXPECT_TRUE(db->InTransaction());
    EXPECT_THROW(db->StartTransaction(), EDatabaseError);
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"kept"});
    db->Commit();
    EXPECT_FALSE(db->InTransaction());

    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"discarded"});
    db->Rollback();
    EXPECT_FALSE(db->InTransaction());

    const auto other = Open();
    EXPECT_EQ(other->Scalar(QStringLiteral("SELECT string_agg(v, ',') FROM t")).toString(),
              QStringLiteral("kept"));
    EXPECT_THROW(db->Commit(), EDatabaseError);
    EXPECT_THROW(db->Rollback(), EDatabaseError);
}

TEST_F(PostgresConnectionTest, AFailedStatementUndoesOnlyItselfInATransaction) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v integer UNIQUE)"));
    db->StartTransaction();
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {1});
    EXPECT_THROW(db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {1}), EDatabaseError);
    EXPECT_THROW(db->Execute(QStringLiteral("INSERT INTO t VALUES (1)")), EDatabaseError);
    EXPECT_THROW(db->Scalar(QStringLiteral("SELECT v / 0 FROM t")), EDatabaseError);
    EXPECT_TRUE(db->InTransaction());
    db->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {2});
    db->Commit();
    EXPECT_FALSE(db->InTransaction());
    EXPECT_EQ(
        db->Scalar(QStringLiteral("SELECT string_agg(v::text, ',' ORDER BY v) FROM t")).toString(),
        QStringLiteral("1,2"));
}

// --- Two clients --------------------------------------------------------------------------

class PostgresClientsTest : public PostgresConnectionTest {
protected:
    void SetUp() override {
        PostgresConnectionTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        First = Open();
        Second = Open();
        First->Execute(QStringLiteral("CREATE TABLE t (\"Id\" integer PRIMARY KEY, v text);"
                                      "INSERT INTO t VALUES (1, 'one'), (2, 'two')"));
    }

    QString Values() const {
        return First->Scalar(QStringLiteral("SELECT string_agg(v, ',' ORDER BY \"Id\") FROM t"))
            .toString();
    }

    std::unique_ptr<TPostgresConnection> First;
    std::unique_ptr<TPostgresConnection> Second;
};

TEST_F(PostgresClientsTest, EditsOfDifferentRecordsAtOnceAreBothKept) {
    const QString update = QStringLiteral("UPDATE t SET v = ? WHERE \"Id\" = ?");
    First->StartTransaction();
    Second->StartTransaction();
    EXPECT_EQ(First->Execute(update, {"first", 1}), 1);
    EXPECT_EQ(Second->Execute(update, {"second", 2}), 1); // no wait: another row
    First->Commit();
    Second->Commit();
    EXPECT_EQ(Values(), QStringLiteral("first,second"));
}

TEST_F(PostgresClientsTest, ASecondEditOfTheSameRecordFailsAfterTheLockTimeout) {
    const QString update = QStringLiteral("UPDATE t SET v = ? WHERE \"Id\" = ?");
    Second->Execute(QStringLiteral("SET lock_timeout = 200"));
    First->StartTransaction();
    First->Execute(update, {"first", 1});
    const QString message = DatabaseErrorOf([&] { Second->Execute(update, {"second", 1}); });
    EXPECT_TRUE(message.contains(QStringLiteral("lock timeout"))) << message.toStdString();
    First->Commit();
    EXPECT_EQ(Values(), QStringLiteral("first,two"));
}

TEST_F(PostgresClientsTest, ASecondEditOfTheSameRecordWaitsForTheFirstToCommit) {
    const QString update = QStringLiteral("UPDATE t SET v = v || ? WHERE \"Id\" = ?");
    First->StartTransaction();
    First->Execute(update, {"+first", 1});
    std::atomic<bool> written = false;
    QString error;
    std::thread writer([&] {
        error = DatabaseErrorOf([&] { Second->Execute(update, {"+second", 1}); });
        written = error.isEmpty();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(written);
    First->Commit();
    writer.join();
    EXPECT_TRUE(written) << error.toStdString();
    EXPECT_EQ(Values(), QStringLiteral("one+first+second,two")); // neither change is lost
}

// --- Schema -------------------------------------------------------------------------------

class PostgresSchemaTest : public PostgresConnectionTest {
protected:
    void SetUp() override {
        PostgresConnectionTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Db = Open();
        Db->Execute(QStringLiteral(
            "CREATE TABLE \"People\" (\"Id\" serial PRIMARY KEY,"
            " \"Name\" varchar(30) NOT NULL DEFAULT 'it''s', \"Age\" smallint DEFAULT 5,"
            " \"Score\" double precision DEFAULT -1.5, \"Born\" date DEFAULT CURRENT_DATE,"
            " \"Note\" text, \"Photo\" bytea, \"Code\" integer GENERATED ALWAYS AS IDENTITY);"
            "CREATE UNIQUE INDEX \"PeopleName\" ON \"People\" (lower(\"Name\"));"
            "CREATE INDEX \"PeopleAge\" ON \"People\" (\"Age\" DESC, \"Name\");"
            "CREATE INDEX \"PeopleNote\" ON \"People\" (length(\"Note\"));"
            "CREATE TABLE alpha (a bigint PRIMARY KEY, b text UNIQUE);"
            "CREATE TABLE \"Beta\" (x text, y int, PRIMARY KEY (x, y));"
            "CREATE TABLE gamma (k text PRIMARY KEY, v text);"
            "CREATE TABLE delta (v text);"
            "CREATE TABLE \"DELTA\" (w text);"
            "CREATE VIEW epsilon AS SELECT 1 AS one"));
    }

    std::unique_ptr<TPostgresConnection> Db;
};

TEST_F(PostgresSchemaTest, TableNamesAreUserTablesSortedIgnoringCase) {
    EXPECT_EQ(Db->TableNames(),
              (QStringList{"alpha", "Beta", "DELTA", "delta", "gamma", "People"}));
    EXPECT_TRUE(Db->TableExists(QStringLiteral("PEOPLE")));
    EXPECT_TRUE(Db->TableExists(QStringLiteral("beta")));
    EXPECT_FALSE(Db->TableExists(QStringLiteral("Persons")));
    // Of two names differing in case, the exact one.
    EXPECT_EQ(Db->TableColumns(QStringLiteral("DELTA"))[0].Name, QStringLiteral("w"));
    EXPECT_EQ(Db->TableColumns(QStringLiteral("delta"))[0].Name, QStringLiteral("v"));
}

TEST_F(PostgresSchemaTest, ColumnsAsDeclared) {
    const QList<TColumnInfo> columns = Db->TableColumns(QStringLiteral("people"));
    ASSERT_EQ(columns.size(), 8);

    EXPECT_EQ(columns[0].Name, QStringLiteral("Id"));
    EXPECT_EQ(columns[0].DeclaredType, QStringLiteral("integer"));
    EXPECT_TRUE(columns[0].PrimaryKey);
    EXPECT_TRUE(columns[0].AutoIncrement);
    EXPECT_FALSE(columns[0].Default.isValid());

    EXPECT_EQ(columns[1].Name, QStringLiteral("Name"));
    EXPECT_EQ(columns[1].DeclaredType, QStringLiteral("character varying(30)"));
    EXPECT_TRUE(columns[1].NotNull);
    EXPECT_FALSE(columns[1].PrimaryKey);
    EXPECT_FALSE(columns[1].AutoIncrement);
    EXPECT_EQ(columns[1].Default, Variant(QStringLiteral("it's")));

    EXPECT_EQ(columns[2].DeclaredType, QStringLiteral("smallint"));
    EXPECT_FALSE(columns[2].NotNull);
    EXPECT_EQ(columns[2].Default, Variant(qint64(5)));
    EXPECT_EQ(columns[3].Default, Variant(-1.5));
    EXPECT_EQ(columns[4].Default, Variant(QStringLiteral("CURRENT_DATE")));
    EXPECT_EQ(columns[5].DeclaredType, QStringLiteral("text"));
    EXPECT_FALSE(columns[5].Default.isValid());
    EXPECT_EQ(columns[6].DeclaredType, QStringLiteral("bytea"));
    EXPECT_TRUE(columns[7].AutoIncrement); // an identity column

    const QList<TColumnInfo> beta = Db->TableColumns(QStringLiteral("Beta"));
    EXPECT_TRUE(beta[0].PrimaryKey && beta[1].PrimaryKey);
    EXPECT_FALSE(beta[1].AutoIncrement);

    const QString missing = DatabaseErrorOf([&] { Db->TableColumns(QStringLiteral("Persons")); });
    EXPECT_TRUE(missing.contains(QStringLiteral("Persons"))) << missing.toStdString();
    EXPECT_THROW(Db->TableColumns(QStringLiteral("epsilon")), EDatabaseError); // a view
}

TEST_F(PostgresSchemaTest, IndexesWithTheirKinds) {
    const QList<TIndexInfo> indexes = Db->TableIndexes(QStringLiteral("People"));
    ASSERT_EQ(indexes.size(), 4);

    EXPECT_EQ(indexes[0].Name, QStringLiteral("PRIMARY"));
    EXPECT_EQ(indexes[0].Fields, QStringList{"Id"});
    EXPECT_TRUE(indexes[0].Primary && indexes[0].Unique);

    // lower(column) reads back as the column compared ignoring case.
    EXPECT_EQ(indexes[1].Name, QStringLiteral("PeopleName"));
    EXPECT_EQ(indexes[1].Fields, QStringList{"Name"});
    EXPECT_TRUE(indexes[1].Unique && indexes[1].CaseInsensitive);
    EXPECT_FALSE(indexes[1].Primary || indexes[1].Descending || indexes[1].Expression);

    EXPECT_EQ(indexes[2].Name, QStringLiteral("PeopleAge"));
    EXPECT_EQ(indexes[2].Fields, (QStringList{"Age", "Name"}));
    EXPECT_TRUE(indexes[2].Descending);
    EXPECT_FALSE(indexes[2].Unique || indexes[2].CaseInsensitive || indexes[2].Expression);

    EXPECT_EQ(indexes[3].Name, QStringLiteral("PeopleNote"));
    EXPECT_TRUE(indexes[3].Expression);
    EXPECT_TRUE(indexes[3].Fields.isEmpty());

    EXPECT_THROW(Db->TableIndexes(QStringLiteral("Persons")), EDatabaseError);
    EXPECT_TRUE(Db->TableIndexes(QStringLiteral("delta")).isEmpty());
}

TEST_F(PostgresSchemaTest, RowsAreIdentifiedByASingleIntegerKey) {
    EXPECT_EQ(Db->RowIdColumn(QStringLiteral("PEOPLE")), QStringLiteral("\"Id\""));
    EXPECT_EQ(Db->RowIdColumn(QStringLiteral("alpha")), QStringLiteral("\"a\""));
    for (const QString& table :
         {QStringLiteral("Beta"), QStringLiteral("gamma"), QStringLiteral("delta")}) {
        const QString message = DatabaseErrorOf([&] { Db->RowIdColumn(table); });
        EXPECT_TRUE(message.contains(QStringLiteral("needs an integer key")))
            << message.toStdString();
    }
    const QString missing = DatabaseErrorOf([&] { Db->RowIdColumn(QStringLiteral("Persons")); });
    EXPECT_TRUE(missing.contains(QStringLiteral("does not exist"))) << missing.toStdString();

    const QList<TIndexInfo> alpha = Db->TableIndexes(QStringLiteral("alpha"));
    ASSERT_EQ(alpha.size(), 2);
    EXPECT_TRUE(alpha[0].Primary);
    EXPECT_TRUE(alpha[1].Unique && !alpha[1].Primary);
    EXPECT_EQ(alpha[1].Fields, QStringList{"b"});
    EXPECT_EQ(Db->TableIndexes(QStringLiteral("Beta"))[0].Fields, (QStringList{"x", "y"}));
}

TEST_F(PostgresSchemaTest, TheSchemaReadIsKeptUntilTheConnectionChangesIt) {
    ASSERT_EQ(Db->TableColumns(QStringLiteral("delta")).size(), 1);
    ASSERT_TRUE(Db->TableIndexes(QStringLiteral("delta")).isEmpty());
    ASSERT_TRUE(Db->TableExists(QStringLiteral("gamma")));
    ASSERT_FALSE(Db->TableExists(QStringLiteral("zeta")));
    Db->Execute(QStringLiteral("ALTER TABLE delta ADD COLUMN k bigint PRIMARY KEY"));
    const QList<TColumnInfo> columns = Db->TableColumns(QStringLiteral("delta"));
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns[1].Name, QStringLiteral("k"));
    EXPECT_EQ(Db->TableIndexes(QStringLiteral("delta")).size(), 1);
    EXPECT_EQ(Db->RowIdColumn(QStringLiteral("delta")), QStringLiteral("\"k\""));
    Db->Execute(QStringLiteral("DROP TABLE gamma; CREATE TABLE zeta (z text)"));
    EXPECT_FALSE(Db->TableExists(QStringLiteral("gamma")));
    EXPECT_TRUE(Db->TableExists(QStringLiteral("zeta")));
}

// --- Field types and column types ---------------------------------------------------------

struct TTypeCase {
    TFieldType Type;
    int Size;
    Variant Value;          // stored in a column of the type
    QMetaType::Type ReadAs; // the type of the value read back
};

TEST_F(PostgresConnectionTest, EveryFieldTypeSurvivesTheSchema) {
    const QList<TTypeCase> cases = {
        {ftString, 30, QStringLiteral("0012"), QMetaType::QString},
        {ftSmallint, 0, 12, QMetaType::LongLong},
        {ftInteger, 0, 12, QMetaType::LongLong},
        {ftWord, 0, 65535, QMetaType::LongLong},
        {ftLargeint, 0, qint64(1) << 40, QMetaType::LongLong},
        {ftAutoInc, 0, Variant(), QMetaType::LongLong},
        {ftFloat, 0, 2.5, QMetaType::Double},
        {ftCurrency, 0, 2.25, QMetaType::Double},
        {ftBCD, 4, QStringLiteral("2.50"), QMetaType::Double},
        {ftBoolean, 0, true, QMetaType::LongLong},
        {ftDate, 0, QDate(2024, 1, 2), QMetaType::QString},
        {ftTime, 0, QTime(12, 0), QMetaType::QString},
        {ftDateTime, 0, QDateTime(QDate(2024, 1, 2), QTime(12, 0)), QMetaType::QString},
        {ftMemo, 0, QStringLiteral("0012"), QMetaType::QString},
        {ftFmtMemo, 0, QStringLiteral("0012"), QMetaType::QString},
        {ftBlob, 0, QByteArray("\0\1", 2), QMetaType::QByteArray},
        {ftGraphic, 0, QByteArray("\0\1", 2), QMetaType::QByteArray},
        {ftTypedBinary, 0, QByteArray("\0\1", 2), QMetaType::QByteArray},
        {ftBytes, 16, QByteArray("\0\1", 2), QMetaType::QByteArray},
        {ftVarBytes, 40, QByteArray("\0\1", 2), QMetaType::QByteArray},
    };
    {
        const auto db = Open();
        QStringList definitions;
        for (int i = 0; i < cases.size(); ++i) {
            const QString name = QStringLiteral("c%1").arg(i);
            definitions.append(cases[i].Type == ftAutoInc
                                   ? db->AutoIncrementColumnSql(name)
                                   : name + QLatin1Char(' ') +
                                         db->ColumnTypeSql(cases[i].Type, cases[i].Size));
        }
        db->Execute(QStringLiteral("CREATE TABLE \"Types\" (%1)").arg(definitions.join(", ")));
    }

    const auto db = Open();
    const QList<TColumnInfo> columns = db->TableColumns(QStringLiteral("Types"));
    ASSERT_EQ(columns.size(), cases.size());
    QVariantList values;
    QStringList names;
    for (int i = 0; i < cases.size(); ++i) {
        int size = -1;
        EXPECT_EQ(EnumName(db->FieldTypeOf(columns[i], size)), EnumName(cases[i].Type))
            << columns[i].DeclaredType.toStdString();
        EXPECT_EQ(size, cases[i].Size) << columns[i].DeclaredType.toStdString();
        if (cases[i].Type != ftAutoInc) {
            values.append(cases[i].Value);
            names.append(columns[i].Name);
        }
    }
    db->Execute(
        QStringLiteral("INSERT INTO \"Types\" (%1) VALUES (%2)")
            .arg(names.join(", "), QStringList(values.size(), QStringLiteral("?")).join(", ")),
        values);
    const auto row = db->Prepare(QStringLiteral("SELECT * FROM \"Types\""));
    ASSERT_TRUE(row->Step());
    for (int i = 0; i < cases.size(); ++i)
        EXPECT_EQ(row->Column(i).typeId(), cases[i].ReadAs)
            << EnumName(cases[i].Type).toStdString();
    EXPECT_EQ(row->Column(10).toString(), QStringLiteral("2024-01-02"));
    EXPECT_EQ(row->Column(12).toString(), QStringLiteral("2024-01-02 12:00:00.000"));
    EXPECT_EQ(row->Column(19).toByteArray(), QByteArray("\0\1", 2));

    // The driver's own types keep their limits.
    EXPECT_THROW(db->Execute(QStringLiteral("UPDATE \"Types\" SET c3 = ?"), {65536}),
                 EDatabaseError);
    EXPECT_THROW(db->Execute(QStringLiteral("UPDATE \"Types\" SET c18 = ?"), {QByteArray(17, 'x')}),
                 EDatabaseError);
    EXPECT_EQ(db->Execute(QStringLiteral("UPDATE \"Types\" SET c18 = ?"), {QByteArray(16, 'x')}),
              1);
}

TEST_F(PostgresConnectionTest, OtherDeclaredTypesMapByKind) {
    const auto db = Open();
    const QList<TDeclaredTypeCase> cases = {
        {"text", ftMemo, 0},
        {"character(10)", ftString, 10},
        {"VARCHAR ( 12 )", ftString, 12},
        {"character varying", ftMemo, 0},
        {"int", ftInteger, 0},
        {"int8", ftInteger, 0},
        {"real", ftFloat, 0},
        {"numeric", ftFloat, 0},
        {"numeric(10,2)", ftBCD, 2},
        {"time(3) with time zone", ftTime, 0},
        {"timestamp(0) with time zone", ftDateTime, 0},
        {"uuid", ftMemo, 0},
        {"public.kro_word", ftWord, 0},
        {"Numeric(19, 4)", ftCurrency, 0},
    };
    ExpectDeclaredTypes(*db, cases);
    EXPECT_THROW(db->ColumnTypeSql(ftCursor, 0), EDatabaseError);
}

TEST_F(PostgresConnectionTest, QuotedNamesKeepTheirCaseAndQuotes) {
    const auto db = Open();
    const QString odd = QStringLiteral("my \"Odd\" table");
    db->Execute(QStringLiteral("CREATE TABLE %1 (%2 integer PRIMARY KEY)")
                    .arg(db->QuoteName(odd), db->QuoteName(odd)));
    EXPECT_EQ(db->TableColumns(odd)[0].Name, odd);
    EXPECT_EQ(db->RowIdColumn(odd.toUpper()), db->QuoteName(odd));
    EXPECT_EQ(db->TableNames(), QStringList{odd});
}

} // namespace

namespace {

// --- LIKE as local SQL has it ---------------------------------------------------------------

TEST(PostgresLikeSql, RewritesEveryLikeWithItsOperand) {
    EXPECT_EQ(
        PostgresLikeSql(QStringLiteral("SELECT * FROM t WHERE Name LIKE '%[Ss]m%' AND x = 1")),
        QStringLiteral("SELECT * FROM t WHERE Name ~ kro_like_regex('%[Ss]m%') AND x = 1"));
    EXPECT_EQ(PostgresLikeSql(QStringLiteral("a NOT like ? || 'x' escape '!'")),
              QStringLiteral("a !~ kro_like_regex(? || 'x', '!')"));
    EXPECT_EQ(PostgresLikeSql(QStringLiteral("Upper(Name) Like Upper('%o''b%') or not b LIKE c.d")),
              QStringLiteral(
                  "Upper(Name) ~ kro_like_regex(Upper('%o''b%')) or not b ~ kro_like_regex(c.d)"));
    EXPECT_EQ(PostgresLikeSql(QStringLiteral("f(a LIKE (b LIKE 'c')::text) LIKE E'a\\'b' x")),
              QStringLiteral("f(a ~ kro_like_regex((b ~ kro_like_regex('c'))::text)) ~ "
                             "kro_like_regex(E'a\\'b') x"));
    // Not rewritten: the word in strings, names and comments, and operands of other forms.
    for (const char* kept : {"SELECT 'a LIKE b', \"LIKE\" -- x LIKE y", "SELECT likes FROM t",
                             "a LIKE CASE WHEN b THEN 'x' END", "a LIKE"})
        EXPECT_EQ(PostgresLikeSql(QString::fromLatin1(kept)), QString::fromLatin1(kept));
}

// The server's answers for patterns and values against the local SQL rules.
TEST_F(PostgresConnectionTest, LikeMatchesAsLocalSqlDoes) {
    const auto db = Open();
    const QStringList patterns = {
        "%",      "",     "a%",    "%b_",    "[a-c]%",     "[^a-c]x", "[!a]%",       "[]]",
        "[-a]",   "[a-]", "[z-a]", "[^z-a]", "[a",         "a[b]c",   "%.%",         "a.c",
        "(x)|y*", "%\\%", "\\_",   "$^",     "{1}",        "[\\]",    "[[:alpha:]]", "%é%",
        "[à-ü]",  "😀_",   "100!%", "a!_!!",  "%[Ss][Mm]%", "_%_",     "ab!",         "[^]]%"};
    const QStringList values = {"",    "a",     "abc",   "xa",   "ax",         "b", "]",   "-",
                                "[a",  "abc",   "a.c",   "abc.", "(x)|y*",     "%", "\\x", "\\",
                                "_",   "$^",    "{1}",   "x",    "café",       "ü", "😀x",  "100%",
                                "a_!", "Smith", "SMITH", "ab!",  "line\nbreak"};
    const QChar escape = QLatin1Char('!');
    for (const QString& pattern : patterns) {
        for (const QString& value : values) {
            const bool local = LikeMatch(pattern, value);
            const bool withEscape = LikeMatch(pattern, value, escape);
            EXPECT_EQ(db->Scalar(QStringLiteral("SELECT ? LIKE ?"), {value, pattern}).toBool(),
                      local)
                << qPrintable(value) << " LIKE " << qPrintable(pattern);
            EXPECT_EQ(db->Scalar(QStringLiteral("SELECT ? NOT LIKE ? ESCAPE '!'"), {value, pattern})
                          .toBool(),
                      !withEscape)
                << qPrintable(value) << " LIKE " << qPrintable(pattern) << " ESCAPE '!'";
        }
    }
    EXPECT_TRUE(VarIsNull(db->Scalar(QStringLiteral("SELECT 'a' LIKE NULL"))));
    EXPECT_FALSE(DatabaseErrorOf([&] {
                     db->Scalar(QStringLiteral("SELECT 'a' LIKE 'a' ESCAPE '!!'"));
                 }).isEmpty());
}

} // namespace
