// combo_bench [rows] [repeat]: the library's lookup combo over a list table of ROWS rows
// (default 100,000) shown in Name order, on the offscreen platform: dropping the list down
// on a key in the middle, scrolling it a page, and typing a three-letter prefix, each
// beside the raw SQLite statements that give the same rows (a seek and a window of the
// rows shown). The table is made in a temporary directory.

#include "MedianTimer.h"
#include "RawSqlite.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/IndexDefs.h>
#include <db/Session.h>
#include <db/Table.h>
#include <exception>
#include <fields/KroLookCombo.h>
#include <library/KroLibrary.h>
#include <memory>
#include <string>
#include <ui/Forms.h>

namespace {

constexpr int ShownRows = 7; // the drop-down's rows

// Names in an order unrelated to the key: four letters and the row's number.
std::string NameOf(int Row, int Rows) {
    const int scrambled = int((qint64(Row) * 48271) % Rows);
    std::string name;
    for (int i = 0, v = scrambled; i < 4; ++i, v /= 26)
        name += char('a' + v % 26);
    return name + ' ' + std::to_string(Row);
}

void MakeTable(const QString& Alias, const QString& File, int Rows) {
    TTable table;
    table.SetDatabaseName(Alias);
    table.SetTableName(QStringLiteral("Big"));
    table.FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    table.FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    table.IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
    table.IndexDefs()->Add(QStringLiteral("ByNameFolded"), QStringLiteral("Name"),
                           {ixCaseInsensitive});
    table.CreateTable();
    Session()->CloseDatabase(Session()->FindDatabase(Alias));
    TRawDatabase raw(File.toStdString());
    raw.Execute("BEGIN");
    TRawStatement insert(raw.Handle(), "INSERT INTO \"Big\" (\"Name\") VALUES (?)");
    for (int row = 0; row < Rows; ++row) {
        insert.Reset();
        insert.Bind(1, NameOf(row, Rows));
        insert.Step();
    }
    raw.Execute("COMMIT");
}

// The raw statements: the window of rows from a name on, and the first row with a prefix.
class TRawList {
public:
    explicit TRawList(const std::string& File)
        : FDb(File), FNameOfKey(FDb.Handle(), "SELECT \"Name\" FROM \"Big\" WHERE \"Id\" = ?"),
          FWindow(FDb.Handle(), "SELECT \"Id\", \"Name\" FROM \"Big\" WHERE (\"Name\", \"Id\") >= "
                                "(?, ?) ORDER BY \"Name\", \"Id\" LIMIT " +
                                    std::to_string(ShownRows)),
          FPrefix(FDb.Handle(), "SELECT \"Id\", \"Name\" FROM \"Big\" WHERE \"Name\" >= ? COLLATE "
                                "NOCASE AND \"Name\" < ? COLLATE NOCASE ORDER BY \"Name\", \"Id\" "
                                "LIMIT 1") {}

    // The rows shown from the key's row on; gives the last one's name and key.
    std::pair<std::string, std::int64_t> Window(const std::string& Name, std::int64_t Key) {
        FWindow.Reset();
        FWindow.Bind(1, Name);
        FWindow.Bind(2, Key);
        std::pair<std::string, std::int64_t> last;
        while (FWindow.Step())
            last = {std::string(FWindow.Text(1)), FWindow.Integer(0)};
        return last;
    }
    std::string NameOfKey(std::int64_t Key) {
        FNameOfKey.Reset();
        FNameOfKey.Bind(1, Key);
        FNameOfKey.Step();
        return std::string(FNameOfKey.Text(0));
    }
    // The first row in the list's order starting with Prefix (ignoring case) and the window
    // from it.
    void Find(const std::string& Prefix) {
        FPrefix.Reset();
        FPrefix.Bind(1, Prefix);
        FPrefix.Bind(2, Prefix + char(0x7f));
        if (FPrefix.Step())
            Window(std::string(FPrefix.Text(1)), FPrefix.Integer(0));
    }

private:
    TRawDatabase FDb;
    TRawStatement FNameOfKey;
    TRawStatement FWindow;
    TRawStatement FPrefix;
};

int Bench(int Rows, int Repeat) {
    QTemporaryDir dir;
    const QString alias = QStringLiteral("ComboBench");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, dir.path(), QStringLiteral("STANDARD"));
    const QString file = dir.filePath(QLatin1String(StandardDatabaseFile));
    MakeTable(alias, file, Rows);

    TForm form;
    form.SetBounds(0, 0, 400, 300);
    auto* table = new TTable(&form);
    table->SetDatabaseName(alias);
    table->SetTableName(QStringLiteral("Big"));
    table->SetIndexFieldNames(QStringLiteral("Name"));
    auto* source = new TDataSource(&form);
    source->SetDataSet(table);
    auto* combo = new TKroDBLookupCombo(&form);
    combo->SetParent(&form);
    combo->SetBounds(10, 10, 250, 24);
    combo->SetListSource(source);
    combo->SetKeyField(QStringLiteral("Id"));
    combo->SetListField(QStringLiteral("Name"));
    combo->SetDropDownRows(ShownRows);
    table->Open();
    form.Show();
    combo->SetFocus();
    QApplication::processEvents();

    const std::int64_t middle = Rows / 2;
    const std::string prefix = NameOf(int(middle), Rows).substr(0, 3);
    TRawList raw(file.toStdString());
    const auto settle = [] { QApplication::processEvents(); };
    const auto reopen = [&] {
        combo->CloseUp(false);
        combo->SetKeyValue(qint64(middle));
        table->First();
        combo->DropDown();
        settle();
    };
    const auto close = [&] {
        combo->CloseUp(false);
        combo->SetKeyValue(qint64(middle));
        table->First();
        settle();
    };

    const double open = MedianMicroseconds(Repeat, close, [&] {
        combo->DropDown();
        settle();
    });
    const double rawOpen = MedianMicroseconds(
        Repeat, [] {}, [&] { raw.Window(raw.NameOfKey(middle), middle); });
    const double page = MedianMicroseconds(Repeat, reopen, [&] {
        QTest::keyClick(combo->Widget(), Qt::Key_PageDown);
        settle();
    });
    const std::string middleName = raw.NameOfKey(middle);
    const auto lastShown = raw.Window(middleName, middle);
    const double rawPage = MedianMicroseconds(
        Repeat, [] {}, [&] { raw.Window(lastShown.first, lastShown.second); });
    const double typed = MedianMicroseconds(Repeat, reopen, [&] {
        QTest::keyClicks(combo->Widget(), QString::fromStdString(prefix));
        settle();
    });
    if (!combo->DataList()->SearchField()->AsString().startsWith(QString::fromStdString(prefix)))
        throw std::runtime_error("the typed prefix was not found");
    const double rawTyped = MedianMicroseconds(
        Repeat, [] {},
        [&] {
            for (std::size_t length = 1; length <= prefix.size(); ++length)
                raw.Find(prefix.substr(0, length));
        });
    const double openUnpainted = MedianMicroseconds(Repeat, close, [&] { combo->DropDown(); });
    const double pageUnpainted = MedianMicroseconds(
        Repeat, reopen, [&] { QTest::keyClick(combo->Widget(), Qt::Key_PageDown); });
    const double typedUnpainted = MedianMicroseconds(
        Repeat, reopen, [&] { QTest::keyClicks(combo->Widget(), QString::fromStdString(prefix)); });
    combo->CloseUp(false);
    // The dataset's share: the searches alone, on the list table.
    const double located = MedianMicroseconds(
        Repeat, [&] { table->First(); },
        [&] {
            for (std::size_t length = 1; length <= prefix.size(); ++length)
                table->Locate(QStringLiteral("Name"),
                              QString::fromStdString(prefix.substr(0, length)),
                              {loCaseInsensitive, loPartialKey});
        });

    std::printf("lookup combo over %d rows in Name order, median of %d runs\n", Rows, Repeat);
    std::printf("%-34s %10s %10s %7s\n", "", "combo us", "raw us", "ratio");
    const auto line = [](const char* What, double Ours, double Raw) {
        std::printf("%-34s %10.1f %10.1f %7.1f\n", What, Ours, Raw, Ours / Raw);
    };
    line("drop down on a key in the middle", open, rawOpen);
    line("  the same, not painted", openUnpainted, rawOpen);
    line("scroll a page down", page, rawPage);
    line("  the same, not painted", pageUnpainted, rawPage);
    line(("type the prefix \"" + prefix + "\"").c_str(), typed, rawTyped);
    line("  the same, not painted", typedUnpainted, rawTyped);
    line("  its Locate calls alone", located, rawTyped);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        RegisterKroLibrary();
        return Bench(argc > 1 ? std::atoi(argv[1]) : 100000, argc > 2 ? std::atoi(argv[2]) : 21);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "combo_bench: %s\n", e.what());
        return 1;
    }
}
