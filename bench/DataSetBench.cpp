// dataset_bench [--postgres] DIR [repeat]: times common dataset operations on the demo
// database that bench_database made in DIR, each against the same logical operation
// written directly on the SQLite C API (and through Qt SQL when built with it), and prints
// the medians, their ratios and the memory used. With --postgres the database is first
// copied to the PostgreSQL server the KRO_PG_* variables name (unless it holds it already)
// and both sides run there, the direct one on libpq.

#include "DirectOperations.h"
#include "MedianTimer.h"
#include "PeopleServer.h"
#include "ProcessMemory.h"
#include "RawPostgres.h"
#include "RawSqlite.h"
#ifdef KRO_BENCH_QT_SQL
#include "QtSqlClient.h"
#endif

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <db/Query.h>
#include <db/Session.h>
#include <db/Table.h>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

namespace {

// The dataset filter of the filtered count (TDirectOperations::FilteredCount in SQL).
const char* const PeopleFilter = "Sex = 2 and Lang = 3";
// The share of the names written in ASCII, in their order (in percent), where the located
// name prefix is taken.
constexpr int PrefixPercent = 95;
constexpr std::size_t PrefixLength = 3;
constexpr std::size_t RarePrefixLength = 6;

// Reads every field of the current record as text, as a grid shows it.
void ReadRecord(const TDataSet& DataSet, TVisited& Visited) {
    const TFields& fields = *DataSet.Fields();
    for (int i = 0; i < fields.Count(); ++i)
        Visited.Characters += size_t(fields[i]->AsString().size());
    Visited.Add(DataSet.FieldByName(QStringLiteral("Id"))->AsInteger());
}

// Moves Count records forward, reading each.
void ReadNext(TDataSet& DataSet, int Count, TVisited& Visited) {
    for (int i = 0; i < Count; ++i) {
        DataSet.Next();
        if (DataSet.Eof())
            return;
        ReadRecord(DataSet, Visited);
    }
}

// Opens the dataset, reads a window of records from the first, and closes it.
void ReadFirstWindow(TDataSet& DataSet, TVisited& Visited) {
    DataSet.Open();
    ReadRecord(DataSet, Visited);
    ReadNext(DataSet, WindowRows - 1, Visited);
    DataSet.Close();
}

// One operation, done through the datasets and by hand in SQL; the preparation of the
// dataset is not timed.
struct TOperation {
    const char* Name;
    std::function<void()> DataSetPrepare;
    std::function<void(TVisited&)> DataSetMeasured;
    void (TDirectOperations::*Direct)(TVisited&);
};

// Times operations on every side and prints a line for each: the dataset and the C API,
// and the peer library when there is one.
class TRunner {
public:
    TRunner(int Repeat, TDirectOperations& Raw, TDirectOperations* Peer, const char* PeerName)
        : FRepeat(Repeat), FRaw(Raw), FPeer(Peer), FPeerName(PeerName) {}

    void PrintHeader() const {
        std::printf("%-34s %14s %14s %9s", "operation", "dataset", "raw", "ratio");
        if (FPeer)
            std::printf(" %14s %9s", FPeerName, "vs raw");
        std::printf("\n");
    }

    void Run(const TOperation& Operation) {
        // KRO_BENCH_ONLY runs only the operations whose name starts with it (for a profile).
        const char* only = std::getenv("KRO_BENCH_ONLY");
        if (only && std::strncmp(Operation.Name, only, std::strlen(only)) != 0)
            return;
        TVisited dataSet, raw, peer;
        const auto none = [] {};
        // The sides take turns, so that a drift of the machine's speed reaches each alike.
        std::vector<TTimedStep> steps = {
            {Operation.DataSetPrepare, [&] { Operation.DataSetMeasured(dataSet); }},
            {none, [&] { (FRaw.*Operation.Direct)(raw); }}};
        if (FPeer)
            steps.push_back({none, [&] { (FPeer->*Operation.Direct)(peer); }});
        const std::vector<double> times = AlternatedMedianMicroseconds(FRepeat, steps);
        const double dataSetTime = times[0];
        const double rawTime = times[1];
        const double peerTime = FPeer ? times[2] : 0;
        const bool same = dataSet.Ids == raw.Ids && (!FPeer || peer.Ids == raw.Ids);
        FAllSame = FAllSame && same;
        FLargestAnonymous = std::max(FLargestAnonymous, CurrentResidentMiB().Anonymous);
        const THeapInUse heap = HeapInUseMiB();
        FLargestSqliteHeap = std::max(FLargestSqliteHeap, heap.Sqlite);
        FLargestOwnHeap = std::max(FLargestOwnHeap, heap.Total - heap.Sqlite);
        std::printf("%-34s %11.1f us %11.1f us %8.1fx", Operation.Name, dataSetTime, rawTime,
                    dataSetTime / rawTime);
        if (FPeer)
            std::printf(" %11.1f us %8.1fx", peerTime, peerTime / rawTime);
        std::printf("%s\n", same ? "" : "  MISMATCH: different records");
    }
    // Whether every side visited the same records in every operation.
    bool AllSame() const { return FAllSame; }
    // The largest anonymous memory (heap) seen after an operation.
    double LargestAnonymousMiB() const { return FLargestAnonymous; }
    // The largest heap in use after an operation: SQLite's, and the rest (the dataset's,
    // the clients' and the peer's).
    double LargestSqliteHeapMiB() const { return FLargestSqliteHeap; }
    double LargestOwnHeapMiB() const { return FLargestOwnHeap; }

private:
    int FRepeat;
    TDirectOperations& FRaw;
    TDirectOperations* FPeer;
    const char* FPeerName;
    bool FAllSame = true;
    double FLargestAnonymous = 0;
    double FLargestSqliteHeap = 0;
    double FLargestOwnHeap = 0;
};

// The other client library the operations run through, when the benchmark is built with
// one.
constexpr const char* PeerName = "Qt SQL";
// KRO_BENCH_NO_PEER leaves the peer out, so that a profile of the run counts the
// dataset and the C API alone.
std::unique_ptr<TDirectConnection> OpenPeer(const std::string& File) {
#ifdef KRO_BENCH_QT_SQL
    if (std::getenv("KRO_BENCH_NO_PEER"))
        return nullptr;
    return std::make_unique<TQtSqlDatabase>(File);
#else
    (void)File;
    return nullptr;
#endif
}

std::unique_ptr<TTable> NewTable(const QString& DatabaseName, const char* TableName,
                                 const char* IndexFieldNames) {
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(DatabaseName);
    table->SetTableName(QString::fromLatin1(TableName));
    table->SetIndexFieldNames(QString::fromLatin1(IndexFieldNames));
    return table;
}

std::unique_ptr<TQuery> NewQuery(const QString& DatabaseName, const char* Sql) {
    auto query = std::make_unique<TQuery>();
    query->SetDatabaseName(DatabaseName);
    query->SQL()->SetText(QString::fromLatin1(Sql));
    return query;
}

// The named person at Offset in the Name order: name and row.
std::pair<std::string, std::int64_t> NamedAt(TRawDatabase& Db, std::int64_t Offset) {
    TRawStatement row(Db.Handle(),
                      "SELECT Name, rowid FROM People ORDER BY Name, rowid LIMIT 1 OFFSET ?");
    row.Bind(1, Offset);
    if (!row.Step() || row.IsNull(0))
        throw std::runtime_error("no named person at " + std::to_string(Offset) + " by Name");
    return {std::string(row.Text(0)), row.Integer(1)};
}

std::int64_t Scalar(TRawDatabase& Db, const char* Sql) {
    TRawStatement statement(Db.Handle(), Sql);
    statement.Step();
    return statement.Integer(0);
}

// The name at Percent of the names written in ASCII alone, in their order.
std::string AsciiNameAt(TRawDatabase& Db, int Percent) {
    const char* const ascii = " FROM People WHERE Name NOT GLOB '*[^ -~]*'";
    const std::int64_t count = Scalar(Db, (std::string("SELECT COUNT(*)") + ascii).c_str());
    TRawStatement row(Db.Handle(),
                      std::string("SELECT Name") + ascii + " ORDER BY Name LIMIT 1 OFFSET ?");
    row.Bind(1, count * Percent / 100);
    if (!row.Step())
        throw std::runtime_error("no name written in ASCII alone");
    return std::string(row.Text(0));
}

TDirectKeys FindKeys(TRawDatabase& Db, std::int64_t People) {
    TDirectKeys keys;
    std::tie(keys.MiddleName, keys.MiddleId) = NamedAt(Db, People / 2);
    keys.FirstPerson = Scalar(Db, "SELECT id FROM People ORDER BY id LIMIT 1");
    std::string name = AsciiNameAt(Db, PrefixPercent);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    keys.NamePrefix = name.substr(0, PrefixLength);
    keys.RarePrefix = name.substr(0, RarePrefixLength);
    return keys;
}

int Bench(const QString& Dir, int Repeat, bool OnServer) {
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: run bench_database");
    const QString fileAlias = QStringLiteral("BenchPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(fileAlias, Dir, QStringLiteral("STANDARD"));
    RegisterFieldClasses();
    // The keys come from the file, which holds the same rows as the server's copy.
    TRawDatabase fileRaw(file.toStdString());
    const std::int64_t people = Scalar(fileRaw, "SELECT COUNT(*) FROM People");
    const TDirectKeys keys = FindKeys(fileRaw, people);

    const QString alias = OnServer ? ServerCopy(fileAlias, people) : fileAlias;
    // A database kept connected, as an application keeps it, so that opening a table does
    // not connect again.
    TDatabase database;
    database.SetDatabaseName(alias);
    database.Open();

    std::unique_ptr<TDirectConnection> raw;
    std::unique_ptr<TDirectConnection> peer;
    if (OnServer) {
        auto server = std::make_unique<TPgDatabase>();
        server->Execute("SET search_path TO " + ServerSchema(people).toStdString());
        raw = std::move(server);
    } else {
        // The other connections read with the same page cache and memory mapping.
        raw = std::make_unique<TRawDatabase>(file.toStdString());
        peer = OpenPeer(file.toStdString());
        for (const char* pragma : {"mmap_size", "cache_size"}) {
            const std::string setting =
                std::string("PRAGMA ") + pragma + "=" +
                VarToStr(database.Connection()->Scalar(QStringLiteral("PRAGMA ") +
                                                       QLatin1String(pragma)))
                    .toStdString();
            raw->Execute(setting);
            if (peer)
                peer->Execute(setting);
        }
    }
    const TDirectSqlTexts& texts = OnServer ? PostgresTexts : SqliteTexts;
    TDirectOperations rawOperations(*raw, keys, texts);
    std::optional<TDirectOperations> peerOperations;
    if (peer)
        peerOperations.emplace(*peer, keys, texts);

    std::printf("%s%s: %lld people, median of %d runs; prefixes '%s' and '%s'\n", qPrintable(file),
                OnServer ? " copied to PostgreSQL" : "", static_cast<long long>(people), Repeat,
                keys.NamePrefix.c_str(), keys.RarePrefix.c_str());
    TRunner runner(Repeat, rawOperations, peerOperations ? &*peerOperations : nullptr, PeerName);
    runner.PrintHeader();

    const auto none = [] {};
    const auto reopen = [](TDataSet& DataSet) {
        return [&DataSet] {
            DataSet.Close();
            DataSet.Open();
        };
    };
    const TBookmark middle = qint64(keys.MiddleId);
    auto byName = NewTable(alias, "People", "Name");
    auto opened = NewTable(alias, "People", "Name");
    opened->Open();

    runner.Run({"open + first 50 (Name)", none, [&](TVisited& v) { ReadFirstWindow(*byName, v); },
                &TDirectOperations::FirstByName});
    runner.Run({"Last (Name)", [&] { opened->First(); },
                [&](TVisited& v) {
                    opened->Last();
                    ReadRecord(*opened, v);
                },
                &TDirectOperations::LastByName});
    runner.Run({"50 Next from the middle (Name)", [&] { opened->GotoBookmark(middle); },
                [&](TVisited& v) { ReadNext(*opened, WindowRows, v); },
                &TDirectOperations::NextFromMiddle});
    opened->GotoBookmark(middle);
    runner.Run({"switch Name <-> Country;Name", none,
                [&](TVisited& v) {
                    opened->SetIndexFieldNames(opened->IndexFieldNames() == QLatin1String("Name")
                                                   ? QStringLiteral("Country;Name")
                                                   : QStringLiteral("Name"));
                    ReadRecord(*opened, v);
                },
                &TDirectOperations::MiddleRow});
    opened->SetIndexFieldNames(QStringLiteral("Name"));

    auto master = NewTable(alias, "People", "");
    TDataSource masterSource;
    masterSource.SetDataSet(master.get());
    auto detail = NewTable(alias, "Job", "People;DateBe");
    detail->SetMasterSource(&masterSource);
    detail->SetMasterFields(QStringLiteral("Id"));
    master->Open();
    detail->Open();
    runner.Run({"detail Job over 100 master Next", [&] { master->First(); },
                [&](TVisited& v) {
                    for (int i = 0; i < MasterMoves; ++i) {
                        master->Next();
                        v.Add(master->FieldByName(QStringLiteral("Id"))->AsInteger());
                        for (; !detail->Eof(); detail->Next())
                            ReadRecord(*detail, v);
                    }
                },
                &TDirectOperations::MasterDetail});
    detail->Close();
    master->Close();

    runner.Run({"RecordCount", reopen(*byName), [&](TVisited& v) { v.Add(byName->RecordCount()); },
                &TDirectOperations::Count});
    byName->Close();

    auto query = NewQuery(alias, "select * from People.db order by Name");
    runner.Run({"query open + first 50 (Name)", none,
                [&](TVisited& v) { ReadFirstWindow(*query, v); },
                &TDirectOperations::SelectFirstPage});
    query->Open();
    runner.Run({"query Last (Name)", [&] { query->First(); },
                [&](TVisited& v) {
                    query->Last();
                    ReadRecord(*query, v);
                },
                &TDirectOperations::LastByName});
    query->Close();

    const auto locate = [&](const std::string& Prefix) {
        return [&opened, prefix = QString::fromStdString(Prefix)](TVisited& v) {
            opened->Locate(QStringLiteral("Name"), prefix, {loCaseInsensitive, loPartialKey});
            ReadRecord(*opened, v);
        };
    };
    runner.Run({"Locate prefix, no case (Name)", [&] { opened->First(); }, locate(keys.NamePrefix),
                &TDirectOperations::FirstWithPrefix});
    runner.Run({"Locate rare prefix, no case (Name)", [&] { opened->First(); },
                locate(keys.RarePrefix), &TDirectOperations::FirstWithRarePrefix});
    const QString middleName = QString::fromStdString(keys.MiddleName);
    runner.Run({"FindNearest (Name)", [&] { opened->First(); },
                [&](TVisited& v) {
                    opened->FindNearest({middleName});
                    ReadRecord(*opened, v);
                },
                &TDirectOperations::NearestName});
    opened->Close();

    auto filtered = NewTable(alias, "People", "");
    filtered->SetFilter(QString::fromLatin1(PeopleFilter));
    filtered->SetFiltered(true);
    runner.Run({"filtered RecordCount", reopen(*filtered),
                [&](TVisited& v) { v.Add(filtered->RecordCount()); },
                &TDirectOperations::FilteredCount});
    filtered->Close();

    std::printf("peak resident memory: %.1f MiB (ru_maxrss, counting the database pages that "
                "every connection maps)\n",
                PeakResidentMiB());
    std::printf("heap after an operation: at most %.1f MiB resident; in use at most %.1f MiB by "
                "SQLite (its page caches, every connection) and %.1f MiB besides\n",
                runner.LargestAnonymousMiB(), runner.LargestSqliteHeapMiB(),
                runner.LargestOwnHeapMiB());
    return runner.AllSame() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool onServer = argc > 1 && std::string(argv[1]) == "--postgres";
    const int first = onServer ? 2 : 1;
    const int repeat = argc == first + 2 ? std::atoi(argv[first + 1]) : 20;
    if ((argc != first + 1 && argc != first + 2) || repeat <= 0) {
        std::fprintf(stderr,
                     "usage: dataset_bench [--postgres] DIR [repeat]   (default 20 runs)\n");
        return 2;
    }
    try {
        return Bench(QDir(QString::fromLocal8Bit(argv[first])).absolutePath(), repeat, onServer);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dataset_bench: %s\n", e.what());
        return 1;
    }
}
