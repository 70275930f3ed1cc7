// The extract query of a filter with a detail condition (people who have worked as surgeons)
// beside the same statement run directly on the SQLite C API: opening and reading the
// first 50 records, and counting. Prints the engine's plan of both statements.
//
//   filter_bench DIR [repeat]

#include "BenchMain.h"
#include "MedianTimer.h"
#include "RawSqlite.h"
#include "SamePragmas.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Session.h>
#include <filter/KroFilt.h>
#include <string>

namespace {

const char* const Condition = "JobPosition";
const char* const Position = "Surgeon";

void PrintPlan(TRawDatabase& Db, const std::string& Sql) {
    TRawStatement plan(Db.Handle(), "EXPLAIN QUERY PLAN " + Sql);
    while (plan.Step())
        std::printf("    %.*s\n", int(plan.Text(3).size()), plan.Text(3).data());
}

// Reads every field of Count records from the current one as text.
std::size_t ReadRecords(TDataSet* DataSet, int Count) {
    std::size_t length = 0;
    for (int i = 0; i < Count && !DataSet->Eof(); ++i, DataSet->Next())
        for (TField* field : *DataSet->Fields())
            length += field->AsString().size();
    return length;
}

int Bench(const QString& Dir, int Repeat) {
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: run bench_database");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(QStringLiteral("BenchFilter"), Dir, QStringLiteral("STANDARD"));
    RegisterFilterClasses();
    TDatabase database;
    database.SetDatabaseName(QStringLiteral("BenchFilter"));
    database.Open();

    TComponent module;
    auto* people = new TKroTable(&module);
    people->SetDatabaseName(QStringLiteral("BenchFilter"));
    people->SetTableName(QStringLiteral("People"));
    people->SetIndexFieldNames(QStringLiteral("Name"));
    auto* source = new TDataSource(&module);
    source->SetDataSet(people);
    auto* jobs = new TKroTable(&module);
    jobs->SetDatabaseName(QStringLiteral("BenchFilter"));
    jobs->SetTableName(QStringLiteral("Job"));
    jobs->SetIndexFieldNames(QStringLiteral("People;DateBe"));
    jobs->SetMasterSource(source);
    jobs->SetMasterFields(QStringLiteral("Id"));
    auto* filter = new TKroFilter(&module);
    FilterLoadHook = [](TKroFilter*) {};
    filter->SubDataSets()->Add();
    filter->SubDataSets()->Items(0)->SetDataSet(jobs);
    filter->SetDataSource(source);
    people->Open();
    jobs->Open();
    filter->AddFilter();
    filter->AddCondition();
    TConditionItem* condition = filter->Current()->Conditions[0];
    condition->DataSetName = QStringLiteral("Job");
    condition->FieldName = QString::fromLatin1(Condition);
    condition->Value = QString::fromLatin1(Position);

    const std::string select =
        filter->BuildSelect(1).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).toStdString();
    const std::string where =
        select.substr(select.find(" Where "), select.find(" order by") - select.find(" Where "));
    const std::string first50 = select + ", rowid LIMIT 50";
    const std::string count = "SELECT count(*) FROM People EFilter" + where;

    TRawDatabase raw(file.toStdString());
    UseSamePragmas(raw, database);
    std::printf("%s: extract query of the filter Job.JobPosition = '%s', median of %d runs\n",
                qPrintable(file), Position, Repeat);
    std::printf("  %s\n  plan of the first 50:\n", first50.c_str());
    PrintPlan(raw, first50);
    std::printf("  plan of the count:\n");
    PrintPlan(raw, count);

    std::printf("%-32s %12s %12s %7s\n", "operation", "filter (ms)", "C API (ms)", "ratio");
    const auto line = [](const char* Name, double Ours, double Direct) {
        std::printf("%-32s %12.2f %12.2f %7.2f\n", Name, Ours / 1000, Direct / 1000, Ours / Direct);
    };
    TRawStatement firstRows(raw.Handle(), first50);
    TRawStatement countRows(raw.Handle(), count);
    qint64 counted = 0;
    const double open = MedianMicroseconds(
        Repeat,
        [&] {
            filter->SwitchOff();
            people->First(); // the query opens at its first record, not at the last one read
        },
        [&] {
            filter->SetFilter(1);
            ReadRecords(source->DataSet(), 50);
        });
    const double openDirect = MedianMicroseconds(
        Repeat, [] {},
        [&] {
            firstRows.Reset();
            firstRows.ReadRows();
        });
    line("open + first 50", open, openDirect);
    const double countOurs = MedianMicroseconds(
        Repeat, [&] { filter->SetFilter(1); }, [&] { counted = source->DataSet()->RecordCount(); });
    std::int64_t countedDirect = 0;
    const double countDirect = MedianMicroseconds(
        Repeat, [] {},
        [&] {
            countRows.Reset();
            countRows.Step();
            countedDirect = countRows.Integer(0);
        });
    line("RecordCount", countOurs, countDirect);
    std::printf("records: %lld by the filter, %lld by the C API\n", static_cast<long long>(counted),
                static_cast<long long>(countedDirect));
    return counted == countedDirect ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMain(argc, argv, "filter_bench", 20, Bench);
}
