// dataset_bench DIR [repeat]: times common dataset operations on the People database that
// generate_people made in DIR, each against the same logical operation written directly on
// the SQLite C API, and prints the medians, their ratio and the memory used.

#include "MedianTimer.h"
#include "ProcessMemory.h"
#include "RawSqlite.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace {

const char* const PeopleColumns =
    "Id, Name, Country, Language, Profession, Birth, Salary, Active, Notes";
constexpr int WindowRows = 50;
constexpr int MasterMoves = 100;

// What an operation visited: the Ids in order, which both sides must agree on, and the
// length of the text read, which keeps the reads from being optimized away.
struct TVisited {
    std::uint64_t Ids = 0;
    std::size_t Characters = 0;
    void Add(std::int64_t Id) { Ids = Ids * 1000003 + std::uint64_t(Id); }
};

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

void ReadRow(const TRawStatement& Statement, TVisited& Visited) {
    for (int c = 0; c < Statement.ColumnCount(); ++c)
        Visited.Characters += Statement.Text(c).size();
    Visited.Add(Statement.Integer(0));
}

void ReadRows(TRawStatement& Statement, TVisited& Visited) {
    while (Statement.Step())
        ReadRow(Statement, Visited);
}

// One operation done both ways; Prepare steps are not timed.
struct TOperation {
    const char* Name;
    std::function<void()> DataSetPrepare;
    std::function<void(TVisited&)> DataSetMeasured;
    std::function<void()> RawPrepare;
    std::function<void(TVisited&)> RawMeasured;
};

// Times operations both ways and prints a line for each.
class TRunner {
public:
    explicit TRunner(int Repeat) : FRepeat(Repeat) {}

    void Run(const TOperation& Operation) {
        TVisited dataSet, raw;
        const double dataSetTime = MedianMicroseconds(FRepeat, Operation.DataSetPrepare,
                                                      [&] { Operation.DataSetMeasured(dataSet); });
        const double rawTime =
            MedianMicroseconds(FRepeat, Operation.RawPrepare, [&] { Operation.RawMeasured(raw); });
        const bool same = dataSet.Ids == raw.Ids;
        FAllSame = FAllSame && same;
        FLargestAnonymous = std::max(FLargestAnonymous, CurrentResidentMiB().Anonymous);
        std::printf("%-34s %11.1f us %11.1f us %8.1fx%s\n", Operation.Name, dataSetTime, rawTime,
                    dataSetTime / rawTime, same ? "" : "  MISMATCH: different records");
    }
    // Whether both sides visited the same records in every operation.
    bool AllSame() const { return FAllSame; }
    // The largest anonymous memory (heap) seen after an operation.
    double LargestAnonymousMiB() const { return FLargestAnonymous; }

private:
    int FRepeat;
    bool FAllSame = true;
    double FLargestAnonymous = 0;
};

std::unique_ptr<TTable> NewTable(const QString& DatabaseName, const char* TableName,
                                 const char* IndexFieldNames) {
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(DatabaseName);
    table->SetTableName(QString::fromLatin1(TableName));
    table->SetIndexFieldNames(QString::fromLatin1(IndexFieldNames));
    return table;
}

std::string Sql(const char* Format) {
    std::string sql = Format;
    sql.replace(sql.find("%COLUMNS%"), 9, PeopleColumns);
    return sql;
}

int Bench(const QString& Dir, int Repeat) {
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: run generate_people");
    const QString alias = QStringLiteral("BenchPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, Dir, QStringLiteral("STANDARD"));
    RegisterFieldClasses();
    // A database kept connected, as an application keeps it, so that opening a table does
    // not open the file.
    TDatabase database;
    database.SetDatabaseName(alias);
    database.Open();

    // The raw connection reads with the same page cache and memory mapping.
    TRawDatabase raw(file.toStdString());
    for (const char* pragma : {"mmap_size", "cache_size"})
        raw.Execute(std::string("PRAGMA ") + pragma + "=" +
                    VarToStr(database.Connection()->Scalar(QStringLiteral("PRAGMA ") +
                                                           QLatin1String(pragma)))
                        .toStdString());

    TRawStatement count(raw.Handle(), "SELECT COUNT(*) FROM People");
    count.Step();
    const std::int64_t people = count.Integer(0);
    TRawStatement middleRow(raw.Handle(),
                            "SELECT Name, rowid FROM People ORDER BY Name, rowid LIMIT 1 OFFSET ?");
    middleRow.Bind(1, people / 2);
    if (!middleRow.Step() || middleRow.IsNull(0))
        throw std::runtime_error("no named person in the middle of People");
    const std::string middleName(middleRow.Text(0));
    const std::int64_t middleId = middleRow.Integer(1);
    const TBookmark middle = qint64(middleId);
    TRawStatement firstId(raw.Handle(), "SELECT Id FROM People ORDER BY Id LIMIT 1");
    firstId.Step();
    const std::int64_t firstPerson = firstId.Integer(0);

    std::printf("%s: %lld people, median of %d runs\n", qPrintable(file),
                static_cast<long long>(people), Repeat);
    std::printf("%-34s %14s %14s %9s\n", "operation", "dataset", "raw", "ratio");

    auto byName = NewTable(alias, "People", "Name");
    auto opened = NewTable(alias, "People", "Name");
    opened->Open();
    const auto reopen = [&] {
        byName->Close();
        byName->Open();
    };

    TRawStatement firstRows(raw.Handle(),
                            Sql("SELECT %COLUMNS% FROM People ORDER BY Name, rowid LIMIT 50"));
    TRawStatement lastRow(
        raw.Handle(), Sql("SELECT %COLUMNS% FROM People ORDER BY Name DESC, rowid DESC LIMIT 1"));
    TRawStatement afterRow(raw.Handle(), Sql("SELECT %COLUMNS% FROM People WHERE (Name, rowid) > "
                                             "(?, ?) ORDER BY Name, rowid LIMIT 50"));
    TRawStatement byRowId(raw.Handle(), Sql("SELECT %COLUMNS% FROM People WHERE rowid = ?"));
    TRawStatement masterRows(raw.Handle(),
                             Sql("SELECT %COLUMNS% FROM People WHERE Id >= ? ORDER BY Id LIMIT ?"));
    TRawStatement jobs(raw.Handle(),
                       "SELECT Id, People, Title FROM Job WHERE People = ? ORDER BY Title, rowid");

    const auto none = [] {};
    TRunner runner(Repeat);
    runner.Run({"open + first 50 (Name)", none,
                [&](TVisited& v) {
                    byName->Open();
                    ReadRecord(*byName, v);
                    ReadNext(*byName, WindowRows - 1, v);
                    byName->Close();
                },
                none,
                [&](TVisited& v) {
                    firstRows.Reset();
                    ReadRows(firstRows, v);
                }});
    runner.Run({"Last (Name)", [&] { opened->First(); },
                [&](TVisited& v) {
                    opened->Last();
                    ReadRecord(*opened, v);
                },
                none,
                [&](TVisited& v) {
                    lastRow.Reset();
                    ReadRows(lastRow, v);
                }});
    runner.Run({"50 Next from the middle (Name)", [&] { opened->GotoBookmark(middle); },
                [&](TVisited& v) { ReadNext(*opened, WindowRows, v); }, none,
                [&](TVisited& v) {
                    afterRow.Reset();
                    afterRow.Bind(1, middleName);
                    afterRow.Bind(2, middleId);
                    ReadRows(afterRow, v);
                }});
    opened->GotoBookmark(middle);
    runner.Run({"switch Name <-> Country;Name", none,
                [&](TVisited& v) {
                    opened->SetIndexFieldNames(opened->IndexFieldNames() == QLatin1String("Name")
                                                   ? QStringLiteral("Country;Name")
                                                   : QStringLiteral("Name"));
                    ReadRecord(*opened, v);
                },
                none,
                [&](TVisited& v) {
                    byRowId.Reset();
                    byRowId.Bind(1, middleId);
                    ReadRows(byRowId, v);
                }});

    auto master = NewTable(alias, "People", "");
    TDataSource masterSource;
    masterSource.SetDataSet(master.get());
    auto detail = NewTable(alias, "Job", "People;Title");
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
                none,
                [&](TVisited& v) {
                    masterRows.Reset();
                    masterRows.Bind(1, firstPerson + 1);
                    masterRows.Bind(2, std::int64_t(MasterMoves));
                    while (masterRows.Step()) {
                        const std::int64_t person = masterRows.Integer(0);
                        v.Add(person);
                        jobs.Reset();
                        jobs.Bind(1, person);
                        ReadRows(jobs, v);
                    }
                }});
    detail->Close();
    master->Close();

    runner.Run({"RecordCount", reopen, [&](TVisited& v) { v.Add(byName->RecordCount()); }, none,
                [&](TVisited& v) {
                    count.Reset();
                    count.Step();
                    v.Add(count.Integer(0));
                }});
    byName->Close();
    opened->Close();

    std::printf("peak resident memory: %.1f MiB (ru_maxrss, counting the database pages that "
                "both connections map)\n",
                PeakResidentMiB());
    std::printf("heap after an operation: at most %.1f MiB\n", runner.LargestAnonymousMiB());
    return runner.AllSame() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const int repeat = argc == 3 ? std::atoi(argv[2]) : 20;
    if ((argc != 2 && argc != 3) || repeat <= 0) {
        std::fprintf(stderr, "usage: dataset_bench DIR [repeat]   (default 20 runs)\n");
        return 2;
    }
    try {
        return Bench(QDir(QString::fromLocal8Bit(argv[1])).absolutePath(), repeat);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "dataset_bench: %s\n", e.what());
        return 1;
    }
}
