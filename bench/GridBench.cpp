// grid_bench DIR [repeat]: times a data grid of 10 columns and 40 visible rows over the
// People table that bench_database made in DIR, on the offscreen platform: a repaint of
// one screen, Last and a page down each followed by a repaint, and 200 consecutive Next
// with the grid attached against the same without it. Then the library's grid with three
// lookup columns of two sub-cells each (StoreLookupData on) beside the platform grid over
// the same fields: a repaint after Last and after a page down. Prints the medians and the
// memory. KRO_BENCH_ONLY runs only the operations whose name starts with it ("library grid"
// or "platform grid" for the lookup columns), for a profile.

#include "BenchMain.h"
#include "LookupPeople.h"
#include "MedianTimer.h"
#include "ProcessMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <grid/KroGrid.h>
#include <library/KroLibrary.h>
#include <memory>
#include <ui/DBGrids.h>
#include <ui/Forms.h>

namespace {

constexpr int VisibleRows = 40;
constexpr int ShownColumns = 10;
constexpr int NextCount = 200;

// The form of the benchmark: a grid of the first ten fields of People in Name order.
class TGridBench {
public:
    explicit TGridBench(const QString& Alias) {
        Table = new TTable(&Form);
        Table->SetDatabaseName(Alias);
        Table->SetTableName(QStringLiteral("People"));
        Table->SetIndexFieldNames(QStringLiteral("Name"));
        Source = new TDataSource(&Form);
        Source->SetDataSet(Table);
        Grid = new TDBGrid(&Form);
        Grid->SetParent(&Form);
        Table->Open();
        Grid->BeginLayout();
        for (int i = 0; i < ShownColumns; ++i)
            Grid->Columns()->Add()->SetFieldName(Table->Fields()->Fields(i)->FieldName());
        Grid->EndLayout();
        Form.SetBounds(0, 0, 1600, 1000);
        Grid->SetBounds(0, 0, 1580, 900);
        Grid->SetDataSource(Source);
        Form.Show();
        // The window must be exposed before a repaint draws anything.
        QCoreApplication::processEvents();
        FitRows();
    }

    // How many data cells one repaint draws: the check that the figures time drawing.
    int CellsPainted() {
        int cells = 0;
        Grid->SetOnDrawColumnCell(TDrawColumnCellEvent(
            [&](TObject*, const QRect&, int, TColumn*, TGridDrawState) { ++cells; }));
        Repaint();
        Grid->SetOnDrawColumnCell(nullptr);
        return cells;
    }

    // Sizes the grid to show VisibleRows rows.
    void FitRows() {
        for (int tries = 0; tries < 8 && Grid->VisibleRowCount() != VisibleRows; ++tries)
            Grid->SetHeight(Grid->Height() + (VisibleRows - Grid->VisibleRowCount()) *
                                                 (Grid->DefaultRowHeight() + 1));
    }
    void Repaint() { Grid->Widget()->repaint(); }

    TForm Form;
    TTable* Table;
    TDataSource* Source;
    TDBGrid* Grid;
};

// The lookup people shown by a platform grid and by the library's grid of the same size.
class TLookupGrids {
public:
    explicit TLookupGrids(const QString& Alias) : Data(&Form, Alias) {
        Form.SetBounds(0, 0, 1600, 1000);
        Form.Show();
    }

    // The repaint of Grid after Last and after a page down, shown alone on the form.
    std::pair<double, double> Time(TDBGrid* Grid, int Repeat) {
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 1580, 900);
        Grid->SetDataSource(Data.Source);
        QCoreApplication::processEvents();
        const auto repaint = [Grid] { Grid->Widget()->repaint(); };
        // The repaint alone, of the rows Last or a page down brought.
        const double last = MedianMicroseconds(
            Repeat,
            [&] {
                Data.People->First();
                Data.People->Last();
            },
            repaint);
        const double page = MedianMicroseconds(
            Repeat,
            [&] {
                Data.People->First();
                QTest::keyClick(Grid->Widget(), Qt::Key_PageDown);
            },
            repaint);
        Grid->SetDataSource(nullptr);
        Grid->Hide();
        return {last, page};
    }

    TForm Form;
    TLookupPeople Data;
};

// Whether KRO_BENCH_ONLY leaves the operation Name in.
bool Selected(const char* Name) {
    const char* only = std::getenv("KRO_BENCH_ONLY");
    return !only || std::strncmp(Name, only, std::strlen(only)) == 0;
}

void Print(const char* Name, double Microseconds, int Operations = 1) {
    std::printf("%-40s %10.1f us", Name, Microseconds / Operations);
    if (Operations > 1)
        std::printf("   (%d operations: %.1f ms)", Operations, Microseconds / 1000);
    std::printf("\n");
}

// Times and prints the operation Name unless KRO_BENCH_ONLY leaves it out.
void Time(const char* Name, int Repeat, const std::function<void()>& Prepare,
          const std::function<void()>& Measured, int Operations = 1) {
    if (Selected(Name))
        Print(Name, MedianMicroseconds(Repeat, Prepare, Measured), Operations);
}

int Bench(const QString& Dir, int Repeat) {
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: run bench_database");
    const QString alias = QStringLiteral("GridBenchPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, Dir, QStringLiteral("STANDARD"));
    RegisterFieldClasses();
    RegisterKroLibrary();
    TDatabase database;
    database.SetDatabaseName(alias);
    database.Open();

    TGridBench bench(alias);
    TDBGrid* grid = bench.Grid;
    TTable* table = bench.Table;
    std::printf("%s: %lld people, grid of %d columns and %d rows (%d held), median of %d runs\n",
                qPrintable(file), static_cast<long long>(table->RecordCount()),
                grid->Columns()->Count(), grid->VisibleRowCount(), grid->DataLink()->BufferCount(),
                Repeat);
    const int cells = bench.CellsPainted();
    if (cells == 0)
        throw std::runtime_error("the grid does not paint: no window to paint on");
    std::printf("one repaint draws %d data cells\n", cells);
    std::printf("%-40s %13s\n", "operation", "time");

    const auto none = [] {};
    Time("repaint one screen", Repeat, none, [&] { bench.Repaint(); });
    Time(
        "Last + repaint", Repeat, [&] { table->First(); },
        [&] {
            table->Last();
            bench.Repaint();
        });
    Time(
        "page down (key) + repaint", Repeat, [&] { table->First(); },
        [&] {
            QTest::keyClick(grid->Widget(), Qt::Key_PageDown);
            bench.Repaint();
        });
    Time(
        "page up from the end (key) + repaint", Repeat, [&] { table->Last(); },
        [&] {
            QTest::keyClick(grid->Widget(), Qt::Key_PageUp);
            bench.Repaint();
        });
    const auto nextTimes = [&] {
        for (int i = 0; i < NextCount; ++i)
            table->Next();
    };
    Time(
        "Next, grid attached (+ final repaint)", Repeat, [&] { table->First(); },
        [&] {
            nextTimes();
            bench.Repaint();
        },
        NextCount);
    grid->SetDataSource(nullptr);
    Time(
        "Next, no grid", Repeat, [&] { table->First(); }, nextTimes, NextCount);

    bench.Form.Hide();

    TLookupGrids lookups(alias);
    std::pair<double, double> plain{}, kro{};
    if (Selected("platform grid"))
        plain = lookups.Time(new TDBGrid(&lookups.Form), Repeat);
    if (Selected("library grid"))
        kro = lookups.Time(new TKroDbGrid(&lookups.Form), Repeat);
    std::printf("three lookup columns of two sub-cells (StoreLookupData):\n");
    Print("platform grid: repaint after Last", plain.first);
    Print("library grid: repaint after Last", kro.first);
    Print("platform grid: repaint after a page down", plain.second);
    Print("library grid: repaint after a page down", kro.second);
    std::printf("library / platform: Last %.2f, page down %.2f\n", kro.first / plain.first,
                kro.second / plain.second);

    const TResidentMemory now = CurrentResidentMiB();
    std::printf("memory: peak resident %.1f MiB; now heap %.1f MiB, mapped files %.1f MiB\n",
                PeakResidentMiB(), now.Anonymous, now.File);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMain(argc, argv, "grid_bench", 11, Bench);
}
