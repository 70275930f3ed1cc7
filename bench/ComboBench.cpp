// combo_bench DIR [runs]: the library's lookup combo over a list table of 100,000 rows
// (made in DIR when absent, kept for later runs) shown in Name order, on the offscreen
// platform: dropping the list down on a key in the middle, scrolling it a page, and typing
// a three-letter prefix, each beside the raw SQLite statements that give the same rows (a
// seek and a window of the rows shown), and beside a plain window painting the rows those
// statements read. KRO_BENCH_ONLY runs only the operations whose name starts with it; the
// timed steps run inside TimedStep, for a callgrind count (--toggle-collect='*::TimedStep*').

#include "BenchMain.h"
#include "MedianTimer.h"
#include "RawSqlite.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/IndexDefs.h>
#include <db/Session.h>
#include <db/Table.h>
#include <fields/KroLookCombo.h>
#include <library/KroLibrary.h>
#include <stdexcept>
#include <string>
#include <ui/Forms.h>
#include <vector>

namespace {

constexpr int ShownRows = 7; // the drop-down's rows
constexpr int TableRows = 100000;
constexpr int CentreRow = (ShownRows - 1) / 2; // the row of a key the list goes to

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

// The raw statements: the rows the list shows around a row (as many before it as the list
// centres on, then the row and those after it), and the first row with a prefix. A step's
// statements read in one read transaction (InTransaction), as the library's burst reads a step's;
// no statement is left open between steps, which would hold a read transaction that spares
// both connections the file's locks.
class TRawList {
public:
    explicit TRawList(const std::string& File)
        : FDb(File), FBegin(FDb.Handle(), "BEGIN"), FCommit(FDb.Handle(), "COMMIT"),
          FNameOfKey(FDb.Handle(), "SELECT \"Name\" FROM \"Big\" WHERE \"Id\" = ?"),
          FBefore(FDb.Handle(), "SELECT \"Id\", \"Name\" FROM \"Big\" WHERE (\"Name\", \"Id\") < "
                                "(?, ?) ORDER BY \"Name\" DESC, \"Id\" DESC LIMIT ?"),
          FFrom(FDb.Handle(), "SELECT \"Id\", \"Name\" FROM \"Big\" WHERE (\"Name\", \"Id\") >= "
                              "(?, ?) ORDER BY \"Name\", \"Id\" LIMIT ?"),
          FPrefix(FDb.Handle(), "SELECT \"Id\", \"Name\" FROM \"Big\" WHERE \"Name\" >= ? COLLATE "
                                "NOCASE AND \"Name\" < ? COLLATE NOCASE ORDER BY \"Name\", \"Id\" "
                                "LIMIT 1") {}

    // Reads into Names the rows shown with the row of Name and Key the Row-th of them.
    void Window(const std::string& Name, std::int64_t Key, int Row) {
        Names.clear();
        if (Row > 0) {
            Read(FBefore, Name, Key, Row);
            std::reverse(Names.begin(), Names.end());
        }
        Read(FFrom, Name, Key, ShownRows - Row);
    }
    std::string NameOfKey(std::int64_t Key) {
        FNameOfKey.Reset();
        FNameOfKey.Bind(1, Key);
        FNameOfKey.Step();
        std::string name(FNameOfKey.Text(0));
        FNameOfKey.Reset();
        return name;
    }
    // Runs Reads in one read transaction.
    void InTransaction(const std::function<void()>& Reads) {
        FBegin.Reset();
        FBegin.Step();
        Reads();
        FCommit.Reset();
        FCommit.Step();
    }
    // The first row in the list's order starting with Prefix (ignoring case) and the rows
    // shown around it.
    void Find(const std::string& Prefix) {
        FPrefix.Reset();
        FPrefix.Bind(1, Prefix);
        FPrefix.Bind(2, Prefix + char(0x7f));
        if (!FPrefix.Step())
            return;
        const std::string name(FPrefix.Text(1));
        const std::int64_t key = FPrefix.Integer(0);
        FPrefix.Reset();
        Window(name, key, CentreRow);
    }

    // The names of the rows read last, in the list's order.
    std::vector<std::string> Names;

private:
    void Read(TRawStatement& Statement, const std::string& Name, std::int64_t Key, int Count) {
        Statement.Reset();
        Statement.Bind(1, Name);
        Statement.Bind(2, Key);
        Statement.Bind(3, std::int64_t(Count));
        while (Statement.Step())
            Names.emplace_back(Statement.Text(1));
    }

    TRawDatabase FDb;
    TRawStatement FBegin;
    TRawStatement FCommit;
    TRawStatement FNameOfKey;
    TRawStatement FBefore;
    TRawStatement FFrom;
    TRawStatement FPrefix;
};

// The painting peer of the drop-down list: a window of the list's place and font that
// draws a frame, a title line and the names the raw statements read, one of them
// highlighted, as plain Qt code would.
class TRawListWindow : public QWidget {
public:
    TRawListWindow(const QRect& Geometry, const QFont& Font, const QString& Title)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
          FTitle(Title) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAutoFillBackground(true);
        setFont(Font);
        setGeometry(Geometry);
    }

    void SetRows(const std::vector<std::string>& Names, int Selected) {
        FSelected = Selected;
        FRows.clear();
        for (const std::string& name : Names)
            FRows << QString::fromStdString(name);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect inside = rect().adjusted(1, 1, -1, -1);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const int height = fontMetrics().height() + 4;
        const QRect title(inside.left(), inside.top(), inside.width(), height);
        painter.fillRect(title, QColor(0xb0, 0xcb, 0xa6));
        painter.drawText(title, Qt::AlignCenter, FTitle);
        for (int row = 0; row < FRows.size(); ++row) {
            const QRect line(inside.left(), title.bottom() + 1 + row * height, inside.width(),
                             height);
            const bool selected = row == FSelected;
            painter.fillRect(line,
                             palette().color(selected ? QPalette::Highlight : QPalette::Base));
            painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
            const QRect text = line.adjusted(2, 0, -2, 0);
            painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                             fontMetrics().elidedText(FRows[row], Qt::ElideRight, text.width()));
        }
    }

private:
    QString FTitle;
    QStringList FRows;
    int FSelected = 0;
};

// The names the open list shows, top down.
std::vector<std::string> ShownNames(TKroDBLookupCombo* Combo) {
    TListSourceLink* link = Combo->DataList()->ListLink();
    const int active = link->ActiveRecord();
    std::vector<std::string> names;
    for (int row = 0; row < link->RecordCount(); ++row) {
        link->SetActiveRecord(row);
        names.push_back(Combo->DataList()->SearchField()->AsString().toStdString());
    }
    link->SetActiveRecord(active);
    return names;
}

// Throws unless the open list shows the rows the raw statements read last.
void CheckSameRows(TKroDBLookupCombo* Combo, const TRawList& Raw, const char* After) {
    if (ShownNames(Combo) != Raw.Names)
        throw std::runtime_error(std::string("the list and the statements differ after ") + After);
}

// Whether KRO_BENCH_ONLY leaves the operation Name in.
bool Selected(const std::string& Name) {
    const char* only = std::getenv("KRO_BENCH_ONLY");
    return !only || Name.compare(0, std::strlen(only), only) == 0;
}

// The measured step, a function of its own for callgrind's --toggle-collect.
[[gnu::noinline]] void TimedStep(const std::function<void()>& Measured) {
    Measured();
}

// The median of Measured, or 0 when KRO_BENCH_ONLY leaves Name out.
double Time(const std::string& Name, int Repeat, const std::function<void()>& Prepare,
            const std::function<void()>& Measured) {
    if (!Selected(Name))
        return 0;
    return MedianMicroseconds(Repeat, Prepare, [&] { TimedStep(Measured); });
}

// The list table in DIR, made there on the first run.
void EnsureTable(const QString& Alias, const QString& File) {
    if (QFile::exists(File))
        return;
    std::printf("making the list table of %d rows in %s\n", TableRows, qPrintable(File));
    MakeTable(Alias, File, TableRows);
}

int Bench(const QString& Dir, int Repeat) {
    QDir().mkpath(Dir);
    const QString alias = QStringLiteral("ComboBench");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, Dir, QStringLiteral("STANDARD"));
    RegisterKroLibrary();
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    EnsureTable(alias, file);
    const int rows = TableRows;

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

    const std::int64_t middle = rows / 2;
    const std::string prefix = NameOf(int(middle), rows).substr(0, 3);
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
    const auto none = [] {};

    const double open = Time("drop down", Repeat, close, [&] {
        combo->DropDown();
        settle();
    });
    const auto rawOpenWindow = [&] { raw.Window(raw.NameOfKey(middle), middle, CentreRow); };
    const double rawOpen =
        Time("raw drop down", Repeat, none, [&] { raw.InTransaction(rawOpenWindow); });
    const double page = Time("page down", Repeat, reopen, [&] {
        QTest::keyClick(combo->Widget(), Qt::Key_PageDown);
        settle();
    });
    // A page moves the highlight to the bottom row: the list shows the key's row on.
    const std::string middleName = raw.NameOfKey(middle);
    const auto rawPageWindow = [&] { raw.Window(middleName, middle, 0); };
    const double rawPage =
        Time("raw page down", Repeat, none, [&] { raw.InTransaction(rawPageWindow); });
    const double typed = Time("type", Repeat, reopen, [&] {
        QTest::keyClicks(combo->Widget(), QString::fromStdString(prefix));
        settle();
    });
    if (Selected("type") &&
        !combo->DataList()->SearchField()->AsString().startsWith(QString::fromStdString(prefix)))
        throw std::runtime_error("the typed prefix was not found");
    const auto rawFind = [&] {
        for (std::size_t length = 1; length <= prefix.size(); ++length)
            raw.Find(prefix.substr(0, length));
    };
    const double rawTyped = Time("raw type", Repeat, none, [&] { raw.InTransaction(rawFind); });
    const double openUnpainted =
        Time("unpainted drop down", Repeat, close, [&] { combo->DropDown(); });
    const double pageUnpainted = Time("unpainted page down", Repeat, reopen,
                                      [&] { QTest::keyClick(combo->Widget(), Qt::Key_PageDown); });
    const double typedUnpainted = Time("unpainted type", Repeat, reopen, [&] {
        QTest::keyClicks(combo->Widget(), QString::fromStdString(prefix));
    });

    // The statements read what the list shows.
    reopen();
    raw.Window(middleName, middle, CentreRow);
    CheckSameRows(combo, raw, "dropping down");
    QTest::keyClick(combo->Widget(), Qt::Key_PageDown);
    raw.Window(middleName, middle, 0);
    CheckSameRows(combo, raw, "a page down");
    reopen();
    QTest::keyClicks(combo->Widget(), QString::fromStdString(prefix));
    rawFind();
    CheckSameRows(combo, raw, "typing");

    // The painting peer, in the list's place and font.
    reopen();
    TRawListWindow peer(combo->DataList()->Widget()->geometry(),
                        combo->DataList()->Font()->ToQFont(), QStringLiteral("Name"));
    combo->CloseUp(false);
    settle();
    const double rawOpenPainted = Time(
        "raw painted drop down", Repeat,
        [&] {
            peer.hide();
            settle();
        },
        [&] {
            raw.InTransaction(rawOpenWindow);
            peer.SetRows(raw.Names, CentreRow);
            peer.show();
            settle();
        });
    // The peer shown on the key's row, as the list drops down.
    const auto peerOpen = [&] {
        raw.Window(middleName, middle, CentreRow);
        peer.SetRows(raw.Names, CentreRow);
        peer.show();
        settle();
    };
    const double rawPagePainted = Time("raw painted page down", Repeat, peerOpen, [&] {
        raw.InTransaction(rawPageWindow);
        peer.SetRows(raw.Names, ShownRows - 1);
        settle();
    });
    const double rawTypedPainted = Time("raw painted type", Repeat, peerOpen, [&] {
        for (std::size_t length = 1; length <= prefix.size(); ++length) {
            raw.InTransaction([&] { raw.Find(prefix.substr(0, length)); });
            peer.SetRows(raw.Names, CentreRow);
            settle();
        }
    });
    peer.hide();
    // The dataset's share: the searches alone, on the list table.
    const double located = Time(
        "locate", Repeat, [&] { table->First(); },
        [&] {
            for (std::size_t length = 1; length <= prefix.size(); ++length)
                table->Locate(QStringLiteral("Name"),
                              QString::fromStdString(prefix.substr(0, length)),
                              {loCaseInsensitive, loPartialKey});
        });

    std::printf("lookup combo over %d rows in Name order, median of %d runs\n", rows, Repeat);
    std::printf("%-34s %10s %10s %7s\n", "", "combo us", "raw us", "ratio");
    const auto line = [](const std::string& What, double Ours, double Raw) {
        if (Ours > 0 && Raw > 0)
            std::printf("%-34s %10.1f %10.1f %7.1f\n", What.c_str(), Ours, Raw, Ours / Raw);
    };
    line("drop down on a key in the middle", openUnpainted, rawOpen);
    line("  painted, beside a painted window", open, rawOpenPainted);
    line("scroll a page down", pageUnpainted, rawPage);
    line("  painted, beside a painted window", page, rawPagePainted);
    line("type the prefix \"" + prefix + "\"", typedUnpainted, rawTyped);
    line("  painted, beside a painted window", typed, rawTypedPainted);
    line("  its Locate calls alone", located, rawTyped);
    line("painted against the statements alone: drop down", open, rawOpen);
    line("  page down", page, rawPage);
    line("  type", typed, rawTyped);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMain(argc, argv, "combo_bench", 21, Bench);
}
