// A global search of the data-aware rich edit through a table of rich texts of a few
// kilobytes each, the only match in the last record, beside a plain scan that reads the
// same texts with the SQLite C API and searches them ignoring case.
//
//   rich_bench DIR [records [repeat]]   (DIR/tables.sqlite3 is made when missing)

#include "MedianTimer.h"
#include "RawSqlite.h"
#include "SamePragmas.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Session.h>
#include <library/KroLibrary.h>
#include <rich/KroRich.h>
#include <string>
#include <string_view>

namespace {

const char* const Alias = "BenchRich";
const char* const Needle = "needle";
// About this many paragraphs of twelve words make a text of three kilobytes.
constexpr int Paragraphs = 30;

// Words of syllables that never spell the needle.
std::string Word(std::uint32_t& Seed) {
    static const char* const syllables[] = {"ka", "lo", "mi", "ru", "te", "sa", "po", "vu"};
    std::string word;
    Seed = Seed * 1664525u + 1013904223u;
    for (std::uint32_t n = 2 + (Seed >> 28) % 3, s = Seed; n > 0; --n, s >>= 3)
        word += syllables[s % 8];
    return word;
}

// A rich text of Paragraphs paragraphs, some words bold or italic; the needle ends it when
// Last.
std::string RichText(std::uint32_t& Seed, bool Last) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ";
    for (int p = 0; p < Paragraphs; ++p) {
        for (int w = 0; w < 12; ++w) {
            const std::string word = Word(Seed);
            rtf += w % 5 == 1   ? "{\\b " + word + "} "
                   : w % 7 == 3 ? "{\\i " + word + "} "
                                : word + ' ';
        }
        if (Last && p == Paragraphs - 1)
            rtf += "Needle";
        rtf += "\\par\n";
    }
    return rtf + '}';
}

void CreateDatabase(const QString& Dir, int Records) {
    QDir().mkpath(Dir);
    TTable table;
    table.SetDatabaseName(QLatin1String(Alias));
    table.SetTableName(QStringLiteral("Notes"));
    table.FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    table.FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    table.FieldDefs()->Add(QStringLiteral("Rich"), ftMemo);
    table.CreateTable();
    Session()->CloseDatabase(Session()->FindDatabase(QLatin1String(Alias)));

    TRawDatabase raw(QDir(Dir).filePath(QLatin1String(StandardDatabaseFile)).toStdString());
    raw.Execute("BEGIN");
    TRawStatement insert(raw.Handle(), "INSERT INTO Notes (Id, Name, Rich) VALUES (?, ?, ?)");
    std::uint32_t seed = 1;
    for (int id = 1; id <= Records; ++id) {
        insert.Reset();
        insert.Bind(1, std::int64_t(id));
        insert.Bind(2, "Note " + std::to_string(id));
        insert.Bind(3, RichText(seed, id == Records));
        insert.Step();
    }
    raw.Execute("COMMIT");
}

// The first row whose text holds the needle in any case, read in rowid order; 0 for none.
std::int64_t ScanDirectly(TRawStatement& Rows) {
    const std::string_view needle(Needle);
    Rows.Reset();
    while (Rows.Step()) {
        const std::string_view text = Rows.Text(1);
        const auto found =
            std::search(text.begin(), text.end(), needle.begin(), needle.end(), [](char A, char B) {
                return std::tolower(static_cast<unsigned char>(A)) == B;
            });
        if (found != text.end())
            return Rows.Integer(0);
    }
    return 0;
}

int Bench(const QString& Dir, int Records, int Repeat) {
    RegisterKroLibrary();
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(QLatin1String(Alias), Dir, QStringLiteral("STANDARD"));
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file)) {
        std::printf("making %s with %d records\n", qPrintable(file), Records);
        CreateDatabase(Dir, Records);
    }
    TDatabase database;
    database.SetDatabaseName(QLatin1String(Alias));
    database.Open();

    TForm form;
    auto* table = new TKroTable(&form);
    table->SetDatabaseName(QLatin1String(Alias));
    table->SetTableName(QStringLiteral("Notes"));
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    auto* edit = new TKroDBRichEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(0, 0, 400, 300);
    edit->SetDataSource(source);
    edit->SetDataField(QStringLiteral("Rich"));
    edit->SetSearchGlobal(true);
    table->Open();
    form.Show();

    TRichSearchSettings settings;
    settings.Scope = rsGlobal;
    settings.FindText = QLatin1String(Needle);
    TRichTextSearch search(edit, settings);
    qint64 foundOurs = 0;
    const double ours = MedianMicroseconds(
        Repeat,
        [&] {
            table->First();
            edit->SetSelStart(0);
        },
        [&] {
            if (search.FindInRecords(false, false, true) >= 0)
                foundOurs = table->FieldByName(QStringLiteral("Id"))->AsInteger();
        });

    TRawDatabase raw(file.toStdString());
    UseSamePragmas(raw, database);
    TRawStatement rows(raw.Handle(), "SELECT Id, Rich FROM Notes ORDER BY Id");
    std::int64_t foundDirect = 0;
    const double direct = MedianMicroseconds(
        Repeat, [] {}, [&] { foundDirect = ScanDirectly(rows); });

    std::printf("%s: global search for '%s', median of %d runs\n", qPrintable(file), Needle,
                Repeat);
    std::printf("%-28s %12s %12s %7s\n", "operation", "rich (ms)", "C API (ms)", "ratio");
    std::printf("%-28s %12.1f %12.1f %7.2f\n", "global search, last record", ours / 1000,
                direct / 1000, ours / direct);
    std::printf("found in record %lld by the rich edit, %lld by the scan\n",
                static_cast<long long>(foundOurs), static_cast<long long>(foundDirect));
    return foundOurs == foundDirect && foundOurs > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const int records = argc >= 3 ? std::atoi(argv[2]) : 100000;
    const int repeat = argc >= 4 ? std::atoi(argv[3]) : 5;
    if (argc < 2 || argc > 4 || records <= 0 || repeat <= 0) {
        std::fprintf(stderr, "usage: rich_bench DIR [records [repeat]]   (100000, 5)\n");
        return 2;
    }
    try {
        return Bench(QString::fromLocal8Bit(argv[1]), records, repeat);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "rich_bench: %s\n", e.what());
        return 1;
    }
}
