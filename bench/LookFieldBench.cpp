// look_field_bench DIR [runs]: the People table that bench_database made in DIR with the
// library's lookup fields of the language, the profession and the country ("Id;Name" each,
// the language with its Font), shown as a grid of 50 rows shows it: Last, then the three
// fields' texts of each of the 50 records held. Once with StoreLookupData (the texts kept
// in the records), once without (every read locates the key), once with StoreLookupData and
// LookupCache, and once without the lookup fields; beside the SQLite statement that joins
// the same texts. With --postgres the database is first copied to the PostgreSQL server the
// KRO_PG_* variables name (unless it holds it already) and both sides run there, the join
// on libpq.

#include "BenchMain.h"
#include "MedianTimer.h"
#include "PeopleServer.h"
#include "RawPostgres.h"
#include "RawSqlite.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dataset/KroTable.h>
#include <db/DataLink.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Session.h>
#include <fields/KroLook.h>
#include <library/KroLibrary.h>
#include <memory>
#include <stdexcept>

namespace {

constexpr int RecordsRead = 50;

struct TLookSettings {
    const char* Name;
    bool Looks;
    bool Store;
    bool Cache;
};

// People with its key fields and the three lookup fields.
class TPeopleWithLookups {
public:
    TPeopleWithLookups(const QString& Alias, const TLookSettings& Settings) {
        People = NewTable(Alias, QStringLiteral("People"));
        People->SetIndexFieldNames(QStringLiteral("id"));
        for (const char* name : {"id", "Country", "Lang", "Prof"}) {
            auto* field = new TIntegerField(&Owner);
            field->SetFieldName(QString::fromLatin1(name));
            field->SetDataSet(People);
        }
        if (Settings.Looks) {
            Looks.append(AddLook(Alias, "Lang", "Lang", Settings));
            Looks.last()->SetLookupAddFields(QStringLiteral("Font"));
            Looks.append(AddLook(Alias, "Prof", "Prof", Settings));
            Looks.last()->SetLookupLevelUp(QStringLiteral("IdUp"));
            Looks.last()->SetLookupLevelDown(QStringLiteral("AmountDown"));
            Looks.append(AddLook(Alias, "Country", "Country", Settings));
        }
        Source.SetDataSet(People);
        Rows.SetDataSource(&Source);
        Rows.SetBufferCount(RecordsRead);
        People->Open();
    }

    // Last and the texts of the rows held; gives the length of all texts read.
    qint64 ReadLast() {
        qint64 length = 0;
        People->Last();
        TField* id = People->FieldByName(QStringLiteral("id"));
        for (int row = 0; row < People->BufferedRecordCount(); ++row) {
            const int current = People->SetTempActiveRecord(row);
            length += id->AsString().size();
            for (TKroLookField* look : std::as_const(Looks))
                length += look->AsString().size();
            People->SetTempActiveRecord(current);
        }
        return length;
    }
    void First() { People->First(); }

private:
    TKroTable* NewTable(const QString& Alias, const QString& Name) {
        auto* table = new TKroTable(&Owner);
        table->SetDatabaseName(Alias);
        table->SetTableName(Name);
        return table;
    }
    TKroLookField* AddLook(const QString& Alias, const char* Table, const char* Key,
                           const TLookSettings& Settings) {
        TKroTable* lookup = NewTable(Alias, QString::fromLatin1(Table));
        lookup->Open();
        auto* look = new TKroLookField(&Owner);
        look->SetFieldName(QString::fromLatin1(Table) + QStringLiteral("Look"));
        look->SetFieldKind(fkLookup);
        look->SetLookupDataSet(lookup);
        look->SetKeyFields(QString::fromLatin1(Key));
        look->SetLookupKeyFields(QStringLiteral("Id"));
        look->SetLookupResultField(QStringLiteral("Id;Name"));
        look->SetStoreLookupData(Settings.Store);
        look->SetLookupCache(Settings.Cache);
        look->SetDataSet(People);
        return look;
    }

    TComponent Owner;
    TKroTable* People;
    TDataSource Source;
    TDataLink Rows; // the grid's rows
    QList<TKroLookField*> Looks;
};

// The same texts through one statement: the last 50 people with their three joined rows.
qint64 ReadJoined(TDirectStatement& Join) {
    qint64 length = 0;
    Join.Reset();
    while (Join.Step())
        for (int column = 0; column < Join.ColumnCount(); ++column)
            length += qint64(Join.TextLength(column));
    return length;
}

// The engine's own connection for the join: the file's, or the server's in the copy's
// schema.
std::unique_ptr<TDirectConnection> RawConnection(const std::string& File, bool OnServer,
                                                 std::int64_t People) {
    if (OnServer) {
        auto server = std::make_unique<TPgDatabase>();
        server->Execute("SET search_path TO " + ServerSchema(People).toStdString());
        return server;
    }
    auto file = std::make_unique<TRawDatabase>(File);
    file->Execute("PRAGMA mmap_size=67108864");
    return file;
}

int Bench(const QString& Dir, int Runs, bool OnServer) {
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: run bench_database");
    RegisterKroLibrary();
    const QString fileAlias = QStringLiteral("LookFieldBenchPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(fileAlias, Dir, QStringLiteral("STANDARD"));
    std::int64_t people = 0;
    {
        TRawDatabase counter(file.toStdString());
        TRawStatement count(counter.Handle(), "SELECT COUNT(*) FROM People");
        count.Step();
        people = count.Integer(0);
    }
    const QString alias = OnServer ? ServerCopy(fileAlias, people) : fileAlias;
    TDatabase database;
    database.SetDatabaseName(alias);
    database.Open();

    const std::unique_ptr<TDirectConnection> raw =
        RawConnection(file.toStdString(), OnServer, people);
    const std::unique_ptr<TDirectStatement> join =
        raw->Prepare("SELECT p.\"id\", l.\"Id\", l.\"Name\", l.\"Font\", pr.\"Id\", pr.\"Name\", "
                     "pr.\"IdUp\", pr.\"AmountDown\", c.\"Id\", c.\"Name\" FROM \"People\" p "
                     "LEFT JOIN \"Lang\" l ON l.\"Id\" = p.\"Lang\" "
                     "LEFT JOIN \"Prof\" pr ON pr.\"Id\" = p.\"Prof\" "
                     "LEFT JOIN \"Country\" c ON c.\"Id\" = p.\"Country\" "
                     "ORDER BY p.\"id\" DESC LIMIT 50");
    const double joined = MedianMicroseconds(
        Runs, [] {}, [&] { ReadJoined(*join); });
    std::printf("%s%s: Last, then the lookup texts of the %d rows held, median of %d runs\n",
                qPrintable(file), OnServer ? " on the PostgreSQL server" : "", RecordsRead, Runs);
    std::printf("%-36s %10.1f us %8.2f us/record\n",
                OnServer ? "PostgreSQL join (libpq)" : "SQLite join (C API)", joined,
                joined / RecordsRead);
    const TLookSettings settings[] = {{"no lookup fields", false, false, false},
                                      {"StoreLookupData", true, true, false},
                                      {"without StoreLookupData", true, false, false},
                                      {"StoreLookupData + LookupCache", true, true, true}};
    // KRO_BENCH_ONLY runs only the settings whose name starts with it (for a profile).
    const char* only = std::getenv("KRO_BENCH_ONLY");
    for (const TLookSettings& setting : settings) {
        if (only && std::strncmp(setting.Name, only, std::strlen(only)) != 0)
            continue;
        TPeopleWithLookups people(alias, setting);
        const double time = MedianMicroseconds(
            Runs, [&] { people.First(); }, [&] { people.ReadLast(); });
        std::printf("%-36s %10.1f us %8.2f us/record %6.1fx\n", setting.Name, time,
                    time / RecordsRead, time / joined);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMainOnEngines(argc, argv, "look_field_bench", 20, Bench);
}
