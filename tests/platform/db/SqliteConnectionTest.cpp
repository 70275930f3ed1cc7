#include "AppendedRow.h"
#include "DeclaredTypes.h"
#include "ReadOnlyFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
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

class SqliteConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    QString Path() const { return Dir.filePath(QStringLiteral("test.db")); }
    std::unique_ptr<TSqliteConnection> Open() const {
        return std::make_unique<TSqliteConnection>(Path());
    }

    QTemporaryDir Dir;
};

// --- Statements ---------------------------------------------------------------------------

class SqliteValuesTest : public SqliteConnectionTest {
protected:
    void SetUp() override {
        SqliteConnectionTest::SetUp();
        Db = Open();
        Db->Execute(QStringLiteral("CREATE TABLE v (x)"));
    }

    // Stores a value in an untyped column and reads it back.
    Variant RoundTrip(const Variant& Value) {
        Db->Execute(QStringLiteral("DELETE FROM v"));
        Db->Execute(QStringLiteral("INSERT INTO v VALUES (?)"), {Value});
        return Db->Scalar(QStringLiteral("SELECT x FROM v"));
    }

    std::unique_ptr<TSqliteConnection> Db;
};

TEST_F(SqliteValuesTest, NullAndTextKeepTheirDifference) {
    EXPECT_FALSE(RoundTrip(Null()).isValid());

    const Variant empty = RoundTrip(QString(""));
    ASSERT_EQ(empty.typeId(), QMetaType::QString);
    EXPECT_TRUE(empty.toString().isEmpty());

    const QString text = QStringLiteral("Grüße, 世界 'quoted' \"double\"");
    EXPECT_EQ(RoundTrip(text).toString(), text);
    const QString withZero = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(RoundTrip(withZero).toString(), withZero);
}

TEST_F(SqliteValuesTest, NumbersReadBackAsInt64OrDouble) {
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
}

TEST_F(SqliteValuesTest, BlobsKeepEveryByte) {
    const QByteArray bytes("\0a\0\xff", 4);
    const Variant blob = RoundTrip(bytes);
    ASSERT_EQ(blob.typeId(), QMetaType::QByteArray);
    EXPECT_EQ(blob.toByteArray(), bytes);

    const Variant empty = RoundTrip(QByteArray());
    ASSERT_EQ(empty.typeId(), QMetaType::QByteArray);
    EXPECT_TRUE(empty.toByteArray().isEmpty());
}

TEST_F(SqliteValuesTest, DatesAndTimesAreStoredAsText) {
    EXPECT_EQ(RoundTrip(QDate(2024, 2, 29)).toString(), QStringLiteral("2024-02-29"));
    EXPECT_EQ(RoundTrip(QTime(13, 5, 7, 89)).toString(), QStringLiteral("13:05:07.089"));
    EXPECT_EQ(RoundTrip(QDateTime(QDate(2024, 2, 29), QTime(13, 5, 7, 89))).toString(),
              QStringLiteral("2024-02-29 13:05:07.089"));

    // Another zone is stored as the same moment in local time.
    const QDateTime utc(QDate(2023, 7, 1), QTime(23, 30), Qt::UTC);
    const QString stored = RoundTrip(utc).toString();
    EXPECT_EQ(QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), utc);

    EXPECT_FALSE(RoundTrip(QDate()).isValid());
}

TEST_F(SqliteValuesTest, UnsupportedValuesAndPositionsRaise) {
    EXPECT_THROW(RoundTrip(QVariantList{1, 2}), EDatabaseError);
    const auto statement = Db->Prepare(QStringLiteral("SELECT ?"));
    EXPECT_NE(DatabaseErrorOf([&] { statement->Bind(1, 5); }), QString());
}

TEST_F(SqliteValuesTest, ErrorsNameTheStatementTheReasonAndTheDatabaseFile) {
    const QString message =
        DatabaseErrorOf([&] { Db->Execute(QStringLiteral("SELECT y FROM v")); });
    EXPECT_TRUE(message.contains(QStringLiteral("\"SELECT y FROM v\""))) << qPrintable(message);
    EXPECT_TRUE(message.contains(QStringLiteral("no such column"))) << qPrintable(message);
    EXPECT_TRUE(message.contains(Path())) << qPrintable(message);
}

TEST_F(SqliteConnectionTest, StatementsWithTheSameTextAreIndependent) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v INTEGER); INSERT INTO t VALUES (1), (2), (3)"));
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

TEST_F(SqliteConnectionTest, AReusedStatementStartsAfresh) {
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

// A text stays bound across runs and the binding of other parameters until it is bound
// again; a binding that fails leaves the one before it.
TEST_F(SqliteConnectionTest, ABoundTextStaysUntilItsParameterIsBoundAgain) {
    const auto db = Open();
    const auto statement = db->Prepare(QStringLiteral("SELECT ?, ?"));
    const QString long1 = QString(300, QChar(u'\u00e9')) + QStringLiteral("end");
    statement->Bind(0, QStringLiteral("short"));
    statement->Bind(1, long1);
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toString(), QStringLiteral("short"));
    EXPECT_EQ(statement->Column(1).toString(), long1);

    statement->Reset();
    const QString long0 = QString(400, QChar(u'x')) + QStringLiteral("\u4e16");
    statement->Bind(0, long0);
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toString(), long0);
    EXPECT_EQ(statement->Column(1).toString(), long1);

    // Bound while running, or to no parameter: refused, and the texts bound stay.
    EXPECT_NE(DatabaseErrorOf([&] { statement->Bind(0, QStringLiteral("running")); }), QString());
    EXPECT_NE(DatabaseErrorOf([&] { statement->Bind(2, QStringLiteral("none")); }), QString());
    statement->Reset();
    statement->Bind(1, QString());
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toString(), long0);
    EXPECT_EQ(statement->Column(1).typeId(), QMetaType::QString);
    EXPECT_TRUE(statement->Column(1).toString().isEmpty());

    statement->Reset();
    statement->ClearBindings();
    ASSERT_TRUE(statement->Step());
    EXPECT_FALSE(statement->Column(0).isValid());
}

TEST_F(SqliteConnectionTest, ATextBoundBeforeTheStatementWasReusedIsGone) {
    const auto db = Open();
    const QString sql = QStringLiteral("SELECT ?");
    {
        const auto statement = db->Prepare(sql);
        statement->Bind(0, QStringLiteral("first user"));
        ASSERT_TRUE(statement->Step());
    }
    const auto statement = db->Prepare(sql);
    ASSERT_TRUE(statement->Step());
    EXPECT_FALSE(statement->Column(0).isValid());
}

TEST_F(SqliteConnectionTest, ARowAppendsEveryColumnAsColumnReadsIt) {
    const auto db = Open();
    const auto statement = db->Prepare(QStringLiteral("SELECT 7, 2.5, 'Grüße', x'00ff', NULL, ''"));
    ASSERT_TRUE(statement->Step());
    const QList<Variant> row = AppendedRow(*statement);
    ASSERT_EQ(row.size(), 6);
    EXPECT_EQ(row[0].toLongLong(), 7);
    EXPECT_EQ(row[2].toString(), QStringLiteral("Grüße"));
    EXPECT_EQ(row[3].toByteArray(), QByteArray("\0\xff", 2));
    EXPECT_FALSE(row[4].isValid());
    EXPECT_EQ(row[5].typeId(), QMetaType::QString);
}

TEST_F(SqliteConnectionTest, ColumnsRowsAffectedAndLastInsertId) {
    const auto db = Open();
    EXPECT_EQ(db->Execute(QStringLiteral("CREATE TABLE t (Id INTEGER PRIMARY KEY, Name TEXT)")), 0);
    EXPECT_EQ(db->Execute(QStringLiteral("INSERT INTO t (Name) VALUES ('a'); "
                                         "INSERT INTO t (Name) VALUES ('b'), ('c');")),
              3);
    EXPECT_EQ(db->LastInsertId(), 3);
    EXPECT_EQ(db->Execute(QStringLiteral("INSERT INTO t (Id, Name) VALUES (?, ?)"), {10, "d"}), 1);
    EXPECT_EQ(db->LastInsertId(), 10);
    EXPECT_EQ(db->Execute(QStringLiteral("UPDATE t SET Name = ? WHERE Id < ?"), {"x", 3}), 2);

    const auto query = db->Prepare(QStringLiteral("SELECT Id, Name AS Label FROM t ORDER BY Id"));
    ASSERT_EQ(query->ColumnCount(), 2);
    EXPECT_EQ(query->ColumnName(0), QStringLiteral("Id"));
    EXPECT_EQ(query->ColumnName(1), QStringLiteral("Label"));
    EXPECT_THROW(query->Column(0), EDatabaseError); // not on a row yet
    int rows = 0;
    while (query->Step())
        ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(query->RowsAffected(), 0);

    const auto statement = db->Prepare(QStringLiteral("SELECT 1"));
    ASSERT_TRUE(statement->Step());
    EXPECT_THROW(statement->Column(1), EDatabaseError);
    EXPECT_FALSE(db->Scalar(QStringLiteral("SELECT Id FROM t WHERE Id = 99")).isValid());
}

TEST_F(SqliteConnectionTest, AStatementOutlivesItsConnection) {
    auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v); INSERT INTO t VALUES ('kept')"));
    const auto statement = db->Prepare(QStringLiteral("SELECT v FROM t"));
    db.reset();
    ASSERT_TRUE(statement->Step());
    EXPECT_EQ(statement->Column(0).toString(), QStringLiteral("kept"));
}

// --- Errors -------------------------------------------------------------------------------

TEST_F(SqliteConnectionTest, BadSqlNamesTheStatement) {
    const auto db = Open();
    const QString sql = QStringLiteral("SELEC 1 FROM nowhere");
    const QString message = DatabaseErrorOf([&] { db->Prepare(sql); });
    EXPECT_TRUE(message.contains(sql)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("syntax error"))) << message.toStdString();

    const QString missing =
        DatabaseErrorOf([&] { db->Execute(QStringLiteral("SELECT * FROM x")); });
    EXPECT_TRUE(missing.contains(QStringLiteral("no such table: x"))) << missing.toStdString();
    EXPECT_THROW(db->Prepare(QStringLiteral("  -- nothing\n")), EDatabaseError);
}

TEST_F(SqliteConnectionTest, ConstraintViolationsCarryTheEngineMessage) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE Parent (Id INTEGER PRIMARY KEY);"
                               "CREATE TABLE t (Code TEXT UNIQUE, Name TEXT NOT NULL, "
                               "ParentId INTEGER REFERENCES Parent (Id));"
                               "INSERT INTO Parent VALUES (1)"));
    const auto insert = db->Prepare(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"));
    insert->Bind(0, "A");
    insert->Bind(1, "first");
    insert->Bind(2, 1);
    EXPECT_FALSE(insert->Step());

    insert->Reset();
    const QString unique = DatabaseErrorOf([&] { insert->Step(); });
    EXPECT_TRUE(unique.contains(QStringLiteral("UNIQUE constraint failed: t.Code")))
        << unique.toStdString();

    // The failed statement is ready for other values.
    insert->Bind(0, "B");
    EXPECT_FALSE(insert->Step());
    EXPECT_EQ(db->Scalar(QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 2);

    const QString notNull = DatabaseErrorOf([&] {
        db->Execute(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"), {"C", Null(), 1});
    });
    EXPECT_TRUE(notNull.contains(QStringLiteral("NOT NULL constraint failed: t.Name")))
        << notNull.toStdString();

    const QString foreignKey = DatabaseErrorOf([&] {
        db->Execute(QStringLiteral("INSERT INTO t VALUES (?, ?, ?)"), {"D", "d", 7});
    });
    EXPECT_TRUE(foreignKey.contains(QStringLiteral("FOREIGN KEY constraint failed")))
        << foreignKey.toStdString();
}

TEST_F(SqliteConnectionTest, OpeningInAMissingDirectoryNamesThePath) {
    const QString path = Dir.filePath(QStringLiteral("missing/test.db"));
    const QString message = DatabaseErrorOf([&] { TSqliteConnection db(path); });
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
}

TEST_F(SqliteConnectionTest, ADatabaseThatCannotBeWrittenOpensToBrowse) {
    {
        const auto db = Open();
        db->Execute(QStringLiteral("CREATE TABLE t (v)"));
        db->Execute(QStringLiteral("INSERT INTO t VALUES (1)"));
    }
    {
        TReadOnlyFolder folder(Dir.path());
        const auto db = Open();
        EXPECT_TRUE(db->ReadOnly());
        EXPECT_EQ(db->Scalar(QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 1);
        const QString refused =
            DatabaseErrorOf([&] { db->Execute(QStringLiteral("INSERT INTO t VALUES (2)")); });
        EXPECT_TRUE(refused.contains(QStringLiteral("is read-only"))) << refused.toStdString();
    }
    EXPECT_FALSE(Open()->ReadOnly());
}

TEST_F(SqliteConnectionTest, ADatabaseOnlyLookedIntoLeavesNoFile) {
    EXPECT_FALSE(Open()->TableExists(QStringLiteral("t")));
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());
    Open()->Execute(QStringLiteral("CREATE TABLE t (v)"));
    EXPECT_TRUE(QFileInfo::exists(Path()));
    EXPECT_TRUE(Open()->TableExists(QStringLiteral("t")));
}

// --- Transactions -------------------------------------------------------------------------

TEST_F(SqliteConnectionTest, TransactionsCommitOrDiscard) {
    const auto db = Open();
    db->Execute(QStringLiteral("CREATE TABLE t (v)"));
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

    const auto reopened = Open();
    const auto rows = reopened->Prepare(QStringLiteral("SELECT v FROM t"));
    ASSERT_TRUE(rows->Step());
    EXPECT_EQ(rows->Column(0).toString(), QStringLiteral("kept"));
    EXPECT_FALSE(rows->Step());

    EXPECT_THROW(db->Commit(), EDatabaseError);
}

TEST_F(SqliteConnectionTest, TheFileIsWrittenAheadWithForeignKeysOn) {
    const auto db = Open();
    EXPECT_EQ(db->Scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(db->Scalar(QStringLiteral("PRAGMA foreign_keys")).toLongLong(), 1);
    EXPECT_FALSE(db->IsSQLBased());
    EXPECT_EQ(db->RowIdColumn(QStringLiteral("t")), QStringLiteral("rowid"));
}

// --- Two connections to one file ----------------------------------------------------------

TEST_F(SqliteConnectionTest, AWriterGivesUpAfterTheBusyTimeout) {
    const auto first = Open();
    const auto second = Open();
    first->Execute(QStringLiteral("CREATE TABLE t (v)"));
    second->SetBusyTimeout(200);
    EXPECT_EQ(second->BusyTimeout(), 200);

    first->StartTransaction();
    first->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"first"});
    const QString message = DatabaseErrorOf(
        [&] { second->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"second"}); });
    EXPECT_TRUE(message.contains(QStringLiteral("database is locked"))) << message.toStdString();
    EXPECT_THROW(second->StartTransaction(), EDatabaseError);
    EXPECT_FALSE(second->InTransaction());
    first->Commit();

    EXPECT_EQ(second->Scalar(QStringLiteral("SELECT group_concat(v) FROM t")).toString(),
              QStringLiteral("first"));
    second->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"second"});
    EXPECT_EQ(first->Scalar(QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 2);
}

TEST_F(SqliteConnectionTest, AWriterWaitsForTheLockToBeReleased) {
    const auto first = Open();
    const auto second = Open();
    first->Execute(QStringLiteral("CREATE TABLE t (v)"));

    first->StartTransaction();
    first->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"first"});
    std::atomic<bool> written = false;
    QString error;
    std::thread writer([&] {
        error = DatabaseErrorOf(
            [&] { second->Execute(QStringLiteral("INSERT INTO t VALUES (?)"), {"second"}); });
        written = error.isEmpty();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(written);
    first->Commit();
    writer.join();
    EXPECT_TRUE(written) << error.toStdString();
    EXPECT_EQ(first->Scalar(QStringLiteral("SELECT group_concat(v) FROM t")).toString(),
              QStringLiteral("first,second"));
}

// --- Reads in bursts ----------------------------------------------------------------------

// A reader and a writer connection to one file with a table t holding "old".
class SqliteReadBurstTest : public SqliteConnectionTest {
protected:
    void SetUp() override {
        SqliteConnectionTest::SetUp();
        Reader = Open();
        Writer = Open();
        Writer->Execute(QStringLiteral("CREATE TABLE t (v)"));
        Writer->Execute(QStringLiteral("INSERT INTO t VALUES ('old')"));
    }

    QString ReadValues() const {
        return Reader->Scalar(QStringLiteral("SELECT group_concat(v) FROM t")).toString();
    }
    void Write(TSqliteConnection& Connection, const char* Value) const {
        Connection.Execute(QStringLiteral("INSERT INTO t VALUES (?)"),
                           {QString::fromLatin1(Value)});
    }

    std::unique_ptr<TSqliteConnection> Reader;
    std::unique_ptr<TSqliteConnection> Writer;
};

TEST_F(SqliteReadBurstTest, QueriesOfABurstReadOneSnapshotUntilTheEventLoopRuns) {
    EXPECT_EQ(Reader->ReadBurstAge(), 50);
    EXPECT_EQ(ReadValues(), QStringLiteral("old"));
    Write(*Writer, "new");
    const auto rows = Reader->Prepare(QStringLiteral("SELECT v FROM t ORDER BY rowid"));
    ASSERT_TRUE(rows->Step());
    EXPECT_FALSE(rows->Step()) << "a query of the burst saw a later commit";
    EXPECT_EQ(ReadValues(), QStringLiteral("old"));

    QCoreApplication::processEvents();
    EXPECT_EQ(ReadValues(), QStringLiteral("old,new"));
    rows->Reset();
    ASSERT_TRUE(rows->Step());
    EXPECT_TRUE(rows->Step());
}

TEST_F(SqliteReadBurstTest, ARunningLoopEndsTheBurstWithoutAnEventPostedForIt) {
    // Counts the queued calls and timer events the application's objects receive.
    class TQueuedCalls : public QObject {
    public:
        int Count = 0;

    protected:
        bool eventFilter(QObject*, QEvent* Event) override {
            Count += Event->type() == QEvent::MetaCall || Event->type() == QEvent::Timer;
            return false;
        }
    } queued;
    QCoreApplication::instance()->installEventFilter(&queued);
    EXPECT_EQ(ReadValues(), QStringLiteral("old"));
    Write(*Writer, "new");
    QString seen;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        seen = ReadValues();
        loop.quit();
    });
    queued.Count = 0;
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&queued);
    EXPECT_EQ(seen, QStringLiteral("old,new"));
    EXPECT_LE(queued.Count, 1) << "the timer's call alone";
}

TEST_F(SqliteReadBurstTest, ABurstEndsAtItsAgeOrIsNotKeptAtAll) {
    Reader->SetReadBurstAge(30);
    EXPECT_EQ(Reader->ReadBurstAge(), 30);
    EXPECT_EQ(ReadValues(), QStringLiteral("old"));
    Write(*Writer, "new");
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(ReadValues(), QStringLiteral("old,new"));

    Reader->SetReadBurstAge(-5);
    EXPECT_EQ(Reader->ReadBurstAge(), 0);
    Write(*Writer, "newer");
    EXPECT_EQ(ReadValues(), QStringLiteral("old,new,newer"));
}

TEST_F(SqliteReadBurstTest, TheReadersOwnWritesAndTransactionsEndTheBurst) {
    // Each write below would meet a snapshot older than the writer's commit and fail.
    EXPECT_EQ(ReadValues(), QStringLiteral("old"));
    Write(*Writer, "a");
    Write(*Reader, "b");
    EXPECT_EQ(ReadValues(), QStringLiteral("old,a,b"));

    Write(*Writer, "c");
    Reader->StartTransaction();
    EXPECT_EQ(ReadValues(), QStringLiteral("old,a,b,c"));
    Write(*Reader, "d");
    Reader->Commit();
    EXPECT_EQ(ReadValues(), QStringLiteral("old,a,b,c,d"));

    Write(*Writer, "e");
    Reader->Execute(QStringLiteral("BEGIN IMMEDIATE; INSERT INTO t VALUES ('f')"));
    EXPECT_TRUE(Reader->InTransaction());
    Reader->Rollback();
    EXPECT_EQ(ReadValues(), QStringLiteral("old,a,b,c,d,e"));

    // Inside a transaction no burst outlives it.
    Reader->StartTransaction();
    EXPECT_EQ(ReadValues(), QStringLiteral("old,a,b,c,d,e"));
    Reader->Commit();
    Write(*Writer, "g");
    EXPECT_EQ(ReadValues(), QStringLiteral("old,a,b,c,d,e,g"));
}

TEST_F(SqliteReadBurstTest, ATablesVersionChangesWhenItsRowsMayHaveChanged) {
    const QString t = QStringLiteral("t");
    const QString u = QStringLiteral("u");
    Reader->Execute(QStringLiteral("CREATE TABLE u (w)"));
    const quint64 first = Reader->ReadVersion(t);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(Reader->ReadVersion(QStringLiteral("T")), first) << "names compare as SQLite's";
    QCoreApplication::processEvents(); // a new burst, nothing changed
    EXPECT_EQ(Reader->ReadVersion(t), first);

    Write(*Writer, "a");
    EXPECT_EQ(Reader->ReadVersion(t), first) << "the burst held does not see the commit";
    QCoreApplication::processEvents();
    const quint64 committed = Reader->ReadVersion(t);
    EXPECT_NE(committed, first) << "another connection's commit";

    const quint64 ofU = Reader->ReadVersion(u);
    const quint64 ofAny = Reader->ReadVersion(QString());
    Reader->Execute(QStringLiteral("INSERT INTO u VALUES (1), (2)"));
    EXPECT_EQ(Reader->ReadVersion(t), committed) << "a write to another table";
    EXPECT_NE(Reader->ReadVersion(u), ofU);
    EXPECT_NE(Reader->ReadVersion(QString()), ofAny) << "any table";
    const quint64 beforeOwn = Reader->ReadVersion(t);
    Write(*Reader, "b");
    const quint64 own = Reader->ReadVersion(t);
    EXPECT_NE(own, beforeOwn) << "a write of the connection";
    Write(*Reader, "c");
    EXPECT_NE(Reader->ReadVersion(t), own) << "a second write after the version was read";

    Reader->StartTransaction();
    EXPECT_EQ(Reader->ReadVersion(t), 0u) << "a transaction reads and writes in its own";
    Reader->Rollback();

    // Another file attached changes unseen by the main file's data version.
    Reader->Execute(
        QStringLiteral("ATTACH DATABASE '%1' AS other").arg(Dir.filePath(QStringLiteral("o.db"))));
    EXPECT_EQ(Reader->ReadVersion(t), 0u);
    Reader->Execute(QStringLiteral("DETACH DATABASE other"));
    EXPECT_NE(Reader->ReadVersion(t), 0u);
}

TEST_F(SqliteReadBurstTest, WritesTheUpdateHookDoesNotReportChangeEveryVersion) {
    const QString t = QStringLiteral("t");
    Reader->Execute(QStringLiteral("CREATE TABLE u (w); CREATE TABLE k (id PRIMARY KEY, w) "
                                   "WITHOUT ROWID; CREATE VIEW tv AS SELECT v FROM t; "
                                   "CREATE TRIGGER copy AFTER INSERT ON u BEGIN "
                                   "INSERT INTO t VALUES (new.w); END"));
    quint64 version = Reader->ReadVersion(t);
    const auto changed = [&] {
        const quint64 now = Reader->ReadVersion(t);
        const bool differs = now != version;
        version = now;
        return differs;
    };
    Reader->Execute(QStringLiteral("INSERT INTO u VALUES ('by trigger')"));
    EXPECT_TRUE(changed()) << "a trigger's write";
    Reader->Execute(QStringLiteral("INSERT INTO k VALUES (1, 'x')"));
    EXPECT_TRUE(changed()) << "a table without rowid";
    Reader->Execute(QStringLiteral("UPDATE k SET w = 'y'"));
    EXPECT_TRUE(changed());
    const quint64 ofU = Reader->ReadVersion(QStringLiteral("u"));
    Reader->Execute(QStringLiteral("DELETE FROM u"));
    EXPECT_NE(Reader->ReadVersion(QStringLiteral("u")), ofU) << "a table emptied at once";
    changed();

    // A view is versioned as the whole database: its rows come from other tables.
    const quint64 view = Reader->ReadVersion(QStringLiteral("tv"));
    Write(*Reader, "d");
    EXPECT_NE(Reader->ReadVersion(QStringLiteral("tv")), view);
    EXPECT_EQ(Reader->ReadVersion(QStringLiteral("k")), Reader->ReadVersion(QString()));

    changed();
    Reader->Execute(QStringLiteral("ALTER TABLE t ADD COLUMN extra DEFAULT 5"));
    EXPECT_TRUE(changed()) << "a schema change";
    EXPECT_FALSE(changed());
}

TEST_F(SqliteReadBurstTest, AHeldBurstBlocksNoOtherWriter) {
    Writer->SetBusyTimeout(0);
    EXPECT_EQ(ReadValues(), QStringLiteral("old"));
    Write(*Writer, "new");
    Writer->StartTransaction();
    Writer->Execute(QStringLiteral("UPDATE t SET v = 'changed' WHERE v = 'old'"));
    Writer->Commit();
    Writer->Execute(QStringLiteral("CREATE TABLE u (w)"));
    QCoreApplication::processEvents();
    EXPECT_EQ(ReadValues(), QStringLiteral("changed,new"));
    EXPECT_TRUE(Reader->TableExists(QStringLiteral("u")));
}

// --- Schema -------------------------------------------------------------------------------

class SqliteSchemaTest : public SqliteConnectionTest {
protected:
    void SetUp() override {
        SqliteConnectionTest::SetUp();
        Db = Open();
        Db->Execute(QStringLiteral(
            "CREATE TABLE People (Id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " Name VARCHAR(30) NOT NULL DEFAULT 'it''s', Age smallint DEFAULT 5,"
            " Score DOUBLE DEFAULT -1.5, Born DATE DEFAULT CURRENT_DATE, Note MEMO TEXT, Photo);"
            "CREATE UNIQUE INDEX PeopleName ON People (Name COLLATE NOCASE);"
            "CREATE INDEX PeopleAge ON People (Age DESC, Name);"
            "CREATE INDEX PeopleNote ON People (lower(Note));"
            "CREATE TABLE alpha (a INTEGER PRIMARY KEY, b TEXT UNIQUE);"
            "CREATE TABLE Beta (x TEXT, y INT, PRIMARY KEY (x, y));"
            "CREATE TABLE gamma (k TEXT PRIMARY KEY, v) WITHOUT ROWID;"
            "CREATE TABLE delta (v);"));
    }

    std::unique_ptr<TSqliteConnection> Db;
};

TEST_F(SqliteSchemaTest, TableNamesAreUserTablesSortedIgnoringCase) {
    EXPECT_EQ(Db->TableNames(), (QStringList{"alpha", "Beta", "delta", "gamma", "People"}));
    EXPECT_TRUE(Db->TableExists(QStringLiteral("PEOPLE")));
    EXPECT_TRUE(Db->TableExists(QStringLiteral("beta")));
    EXPECT_FALSE(Db->TableExists(QStringLiteral("Persons")));
}

TEST_F(SqliteSchemaTest, ColumnsAsDeclared) {
    const QList<TColumnInfo> columns = Db->TableColumns(QStringLiteral("people"));
    ASSERT_EQ(columns.size(), 7);

    EXPECT_EQ(columns[0].Name, QStringLiteral("Id"));
    EXPECT_EQ(columns[0].DeclaredType, QStringLiteral("INTEGER"));
    EXPECT_TRUE(columns[0].PrimaryKey);
    EXPECT_TRUE(columns[0].AutoIncrement);

    EXPECT_EQ(columns[1].Name, QStringLiteral("Name"));
    EXPECT_EQ(columns[1].DeclaredType, QStringLiteral("VARCHAR(30)"));
    EXPECT_TRUE(columns[1].NotNull);
    EXPECT_FALSE(columns[1].PrimaryKey);
    EXPECT_FALSE(columns[1].AutoIncrement);
    EXPECT_EQ(columns[1].Default, Variant(QStringLiteral("it's")));

    EXPECT_EQ(columns[2].DeclaredType, QStringLiteral("smallint"));
    EXPECT_FALSE(columns[2].NotNull);
    EXPECT_EQ(columns[2].Default, Variant(qint64(5)));
    EXPECT_EQ(columns[3].Default, Variant(-1.5));
    EXPECT_EQ(columns[4].Default, Variant(QStringLiteral("CURRENT_DATE")));
    EXPECT_EQ(columns[5].DeclaredType, QStringLiteral("MEMO TEXT"));
    EXPECT_FALSE(columns[5].Default.isValid());
    EXPECT_EQ(columns[6].DeclaredType, QString());

    const QList<TColumnInfo> alpha = Db->TableColumns(QStringLiteral("alpha"));
    EXPECT_TRUE(alpha[0].PrimaryKey);
    EXPECT_FALSE(alpha[0].AutoIncrement);
    const QList<TColumnInfo> beta = Db->TableColumns(QStringLiteral("Beta"));
    EXPECT_TRUE(beta[0].PrimaryKey && beta[1].PrimaryKey);
    EXPECT_FALSE(beta[1].AutoIncrement);

    const QString missing = DatabaseErrorOf([&] { Db->TableColumns(QStringLiteral("Persons")); });
    EXPECT_TRUE(missing.contains(QStringLiteral("Persons"))) << missing.toStdString();
}

TEST_F(SqliteSchemaTest, IndexesWithTheirKinds) {
    const QList<TIndexInfo> indexes = Db->TableIndexes(QStringLiteral("People"));
    ASSERT_EQ(indexes.size(), 4);

    EXPECT_EQ(indexes[0].Name, QStringLiteral("PRIMARY"));
    EXPECT_EQ(indexes[0].Fields, QStringList{"Id"});
    EXPECT_TRUE(indexes[0].Primary && indexes[0].Unique);

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
}

TEST_F(SqliteSchemaTest, EveryTableWithAKeyShowsItsPrimaryIndex) {
    const QList<TIndexInfo> alpha = Db->TableIndexes(QStringLiteral("alpha"));
    ASSERT_EQ(alpha.size(), 2);
    EXPECT_EQ(alpha[0].Name, QStringLiteral("PRIMARY"));
    EXPECT_EQ(alpha[0].Fields, QStringList{"a"});
    EXPECT_TRUE(alpha[1].Unique && !alpha[1].Primary);
    EXPECT_EQ(alpha[1].Fields, QStringList{"b"});

    for (const QString& table : {QStringLiteral("Beta"), QStringLiteral("gamma")}) {
        const QList<TIndexInfo> indexes = Db->TableIndexes(table);
        ASSERT_EQ(indexes.size(), 1) << table.toStdString();
        EXPECT_TRUE(indexes[0].Primary && indexes[0].Unique);
        EXPECT_NE(indexes[0].Name, QStringLiteral("PRIMARY"));
    }
    EXPECT_EQ(Db->TableIndexes(QStringLiteral("Beta"))[0].Fields, (QStringList{"x", "y"}));
    EXPECT_EQ(Db->TableIndexes(QStringLiteral("gamma"))[0].Fields, QStringList{"k"});

    EXPECT_TRUE(Db->TableIndexes(QStringLiteral("delta")).isEmpty());
}

TEST_F(SqliteSchemaTest, TheSchemaReadIsKeptUntilAnyConnectionChangesIt) {
    ASSERT_EQ(Db->TableColumns(QStringLiteral("delta")).size(), 1);
    ASSERT_TRUE(Db->TableIndexes(QStringLiteral("delta")).isEmpty());
    ASSERT_EQ(Db->RowIdColumn(QStringLiteral("delta")), QStringLiteral("rowid"));
    ASSERT_FALSE(Db->TableExists(QStringLiteral("epsilon")));

    // Another connection changes the file: every answer follows once the read burst ends.
    const auto other = Open();
    other->Execute(QStringLiteral("ALTER TABLE delta ADD COLUMN rowid TEXT;"
                                  "CREATE INDEX DeltaV ON delta (v);"
                                  "CREATE TABLE epsilon (e)"));
    QCoreApplication::processEvents();
    const QList<TColumnInfo> columns = Db->TableColumns(QStringLiteral("DELTA"));
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns[1].Name, QStringLiteral("rowid"));
    ASSERT_EQ(Db->TableIndexes(QStringLiteral("delta")).size(), 1);
    EXPECT_EQ(Db->RowIdColumn(QStringLiteral("delta")), QStringLiteral("_rowid_"));
    EXPECT_TRUE(Db->TableExists(QStringLiteral("epsilon")));

    other->Execute(QStringLiteral("DROP TABLE epsilon"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(Db->TableExists(QStringLiteral("epsilon")));

    // A change rolled back is forgotten with it, even when another connection's later
    // change gives the file the same schema version again.
    Db->StartTransaction();
    Db->Execute(QStringLiteral("ALTER TABLE alpha ADD COLUMN c TEXT"));
    ASSERT_EQ(Db->TableColumns(QStringLiteral("alpha")).size(), 3);
    Db->Rollback();
    other->Execute(QStringLiteral("ALTER TABLE alpha ADD COLUMN d TEXT"));
    QCoreApplication::processEvents();
    const QList<TColumnInfo> alpha = Db->TableColumns(QStringLiteral("alpha"));
    ASSERT_EQ(alpha.size(), 3);
    EXPECT_EQ(alpha[2].Name, QStringLiteral("d"));
}

// --- Field types and column types ---------------------------------------------------------

struct TTypeCase {
    TFieldType Type;
    int Size;
    Variant Value;       // stored in a column of the type
    const char* Storage; // the storage class SQLite gives it there
};

TEST_F(SqliteConnectionTest, EveryFieldTypeSurvivesTheSchemaWithItsAffinity) {
    const QList<TTypeCase> cases = {
        {ftString, 30, QStringLiteral("0012"), "text"},
        {ftSmallint, 0, QStringLiteral("12"), "integer"},
        {ftInteger, 0, QStringLiteral("12"), "integer"},
        {ftWord, 0, QStringLiteral("12"), "integer"},
        {ftLargeint, 0, QStringLiteral("12"), "integer"},
        {ftAutoInc, 0, Variant(), "integer"},
        {ftFloat, 0, 2, "real"},
        {ftCurrency, 0, 2, "real"},
        {ftBCD, 4, QStringLiteral("2.50"), "real"},
        {ftBoolean, 0, true, "integer"},
        {ftDate, 0, QDate(2024, 1, 2), "text"},
        {ftTime, 0, QTime(12, 0), "text"},
        {ftDateTime, 0, QDateTime(QDate(2024, 1, 2), QTime(12, 0)), "text"},
        {ftMemo, 0, QStringLiteral("0012"), "text"},
        {ftFmtMemo, 0, QStringLiteral("0012"), "text"},
        {ftBlob, 0, QStringLiteral("0012"), "text"},
        {ftGraphic, 0, QStringLiteral("0012"), "text"},
        {ftTypedBinary, 0, QStringLiteral("0012"), "text"},
        {ftBytes, 16, QStringLiteral("0012"), "text"},
        {ftVarBytes, 40, QStringLiteral("0012"), "text"},
    };
    {
        const auto db = Open();
        QStringList definitions;
        for (int i = 0; i < cases.size(); ++i) {
            QString definition = QStringLiteral("c%1 %2").arg(i).arg(
                db->ColumnTypeSql(cases[i].Type, cases[i].Size));
            if (cases[i].Type == ftAutoInc)
                definition += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
            definitions.append(definition);
        }
        db->Execute(QStringLiteral("CREATE TABLE Types (%1)").arg(definitions.join(", ")));
    }

    const auto db = Open();
    const QList<TColumnInfo> columns = db->TableColumns(QStringLiteral("Types"));
    ASSERT_EQ(columns.size(), cases.size());
    QVariantList values;
    QStringList storage;
    for (int i = 0; i < cases.size(); ++i) {
        int size = -1;
        EXPECT_EQ(EnumName(db->FieldTypeOf(columns[i], size)), EnumName(cases[i].Type))
            << columns[i].DeclaredType.toStdString();
        EXPECT_EQ(size, cases[i].Size) << columns[i].DeclaredType.toStdString();
        values.append(cases[i].Value);
        storage.append(QStringLiteral("typeof(c%1)").arg(i));
    }

    db->Execute(QStringLiteral("INSERT INTO Types VALUES (%1)")
                    .arg(QStringList(cases.size(), QStringLiteral("?")).join(", ")),
                values);
    const auto row = db->Prepare(QStringLiteral("SELECT %1 FROM Types").arg(storage.join(", ")));
    ASSERT_TRUE(row->Step());
    for (int i = 0; i < cases.size(); ++i)
        EXPECT_EQ(row->Column(i).toString(), QLatin1String(cases[i].Storage))
            << EnumName(cases[i].Type).toStdString();
}

TEST_F(SqliteConnectionTest, OtherDeclaredTypesMapByAffinity) {
    const auto db = Open();
    const QList<TDeclaredTypeCase> cases = {
        {"TEXT", ftMemo, 0},
        {"char( 10 )", ftString, 10},
        {"nvarchar(8)", ftString, 8},
        {"CLOB", ftMemo, 0},
        {"INT", ftInteger, 0},
        {"INTEGER", ftLargeint, 0}, // SQLite's own integer, 64 bits
        {"unsigned big int", ftInteger, 0},
        {"REAL", ftFloat, 0},
        {"FLOAT", ftFloat, 0},
        {"NUMERIC(10,2)", ftFloat, 0},
        {"BLOB", ftBlob, 0},
        {"", ftBlob, 0},
        {"varchar ( 12 )", ftString, 12},
        {"Money  Real", ftCurrency, 0},
    };
    ExpectDeclaredTypes(*db, cases);

    TColumnInfo autoIncrement;
    autoIncrement.DeclaredType = QStringLiteral("INTEGER");
    autoIncrement.AutoIncrement = true;
    int size = -1;
    EXPECT_EQ(db->FieldTypeOf(autoIncrement, size), ftAutoInc);
    EXPECT_EQ(size, 0);

    EXPECT_THROW(db->ColumnTypeSql(ftCursor, 0), EDatabaseError);
}

TEST_F(SqliteConnectionTest, QuoteNameDoublesInnerQuotes) {
    const auto db = Open();
    EXPECT_EQ(db->QuoteName(QStringLiteral("Order")), QStringLiteral("\"Order\""));
    EXPECT_EQ(db->QuoteName(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));

    const QString odd = QStringLiteral("my \"odd\" table");
    db->Execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(db->QuoteName(odd), db->QuoteName(odd)));
    EXPECT_EQ(db->TableColumns(odd)[0].Name, odd);
}

} // namespace
