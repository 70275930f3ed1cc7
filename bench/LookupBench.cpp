// lookup_bench DIR [repeat]: times a scan of every record of the People table that
// bench_database made in DIR, in primary key order, reading the country's name through a
// lookup field that caches the Country table, against the same scan without the lookup
// field. The difference is what the cached lookup costs per record.

#include "BenchMain.h"
#include "MedianTimer.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <db/Database.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <memory>
#include <stdexcept>

namespace {

// People with the fields Id and Country, and with a cached lookup of the country's name.
class TLookupScan {
public:
    TLookupScan(const QString& Alias, bool WithLookup) {
        Country = NewTable(Alias, QStringLiteral("Country"));
        People = NewTable(Alias, QStringLiteral("People"));
        for (const char* name : {"Id", "Country"}) {
            auto* field = new TIntegerField(&Owner);
            field->SetFieldName(QString::fromLatin1(name));
            field->SetDataSet(People);
        }
        if (WithLookup) {
            CountryName = new TStringField(&Owner);
            CountryName->SetFieldName(QStringLiteral("CountryName"));
            CountryName->SetFieldKind(fkLookup);
            CountryName->SetLookupDataSet(Country);
            CountryName->SetKeyFields(QStringLiteral("Country"));
            CountryName->SetLookupKeyFields(QStringLiteral("Id"));
            CountryName->SetLookupResultField(QStringLiteral("Name"));
            CountryName->SetLookupCache(true);
            CountryName->SetDataSet(People);
        }
        People->Open();
    }

    // Reads every record; gives the number of records and of lookup values found.
    std::pair<qint64, qint64> Scan() {
        qint64 records = 0, found = 0;
        TField* id = People->FieldByName(QStringLiteral("Id"));
        for (People->First(); !People->Eof(); People->Next()) {
            ++records;
            id->AsInteger();
            if (CountryName && !CountryName->IsNull())
                ++found;
        }
        return {records, found};
    }

private:
    TTable* NewTable(const QString& Alias, const QString& Name) {
        auto* table = new TTable(&Owner);
        table->SetDatabaseName(Alias);
        table->SetTableName(Name);
        return table;
    }

    TComponent Owner;
    TTable* Country;
    TTable* People;
    TStringField* CountryName = nullptr;
};

int Bench(const QString& Dir, int Repeat) {
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: run bench_database");
    const QString alias = QStringLiteral("LookupBenchPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, Dir, QStringLiteral("STANDARD"));
    RegisterFieldClasses();
    TDatabase database;
    database.SetDatabaseName(alias);
    database.Open();

    TLookupScan plain(alias, false);
    TLookupScan looked(alias, true);
    const auto [records, none] = plain.Scan();
    const auto [scanned, found] = looked.Scan();
    if (scanned != records || found != records)
        throw std::runtime_error("the scans read different records or missed lookup values");
    std::printf("%s: scan of %lld people in Id order, median of %d runs\n", qPrintable(file),
                static_cast<long long>(records), Repeat);
    const auto nothing = [] {};
    const double withoutLookup = MedianMicroseconds(Repeat, nothing, [&] { plain.Scan(); });
    const double withLookup = MedianMicroseconds(Repeat, nothing, [&] { looked.Scan(); });
    std::printf("%-44s %10.1f ms\n", "scan, no lookup field", withoutLookup / 1000);
    std::printf("%-44s %10.1f ms\n", "scan, cached lookup of Country (200 rows)",
                withLookup / 1000);
    std::printf("%-44s %10.3f us\n", "cached lookup per record",
                (withLookup - withoutLookup) / double(records));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMain(argc, argv, "lookup_bench", 5, Bench);
}
