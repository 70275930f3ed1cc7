// The demonstration program's people form on a demo database, driven headless as a person
// uses it, beside the SQLite statements that do the same work: opening the form, Last in
// its grid, a filter by language with the people counted, dropping down the countries of
// a continent, cloning a person with jobs. The operations that paint the grid are compared
// with the statements reading the same rows into a plain platform grid of the same size,
// painted too (the statements alone are shown beside). Under callgrind
// (--collect-atstart=no) each measured step is counted alone and dumped under its name.
//
//   people_form_bench DIR [repeat]   (DIR: a demo database, Example --generate N DIR)

#include "BenchMain.h"
#include "MedianTimer.h"
#include "RawSqlite.h"
#include "TextRowsGrid.h"

#include <DMod1.h>
#include <DemoDatabase.h>
#include <DemoStartup.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <Unit1.h>
#include <Unit2.h>
#include <clone/KroClone.h>
#include <controls/KroPages.h>
#include <cstdio>
#include <dataset/KroTable.h>
#include <db/Database.h>
#include <fields/KroLookCombo.h>
#include <filter/KroFilt.h>
#include <grid/KroGrid.h>
#include <library/KroLibrary.h>
#include <string>
#include <ui/Forms.h>
#include <valgrind/callgrind.h>

namespace {

// The columns a grid row shows, with the texts of the three lookups.
const std::string Row = "SELECT p.id, p.Name, p.Sex, p.Lang, l.Name, p.Pasport, p.Prof, f.Name, "
                        "p.Country, c.Name FROM People p LEFT JOIN Lang l ON l.Id = p.Lang "
                        "LEFT JOIN Prof f ON f.Id = p.Prof LEFT JOIN Country c ON c.Id = "
                        "p.Country ";

// The rows of a statement without parameters, from its first.
std::size_t ReadAll(TRawStatement& Statement) {
    Statement.Reset();
    return Statement.ReadRows();
}

void Paint(TFormPeople* Form) {
    Form->KroDbGrid->Widget()->repaint();
}

// The median of Measured as MedianMicroseconds gives it; under callgrind the counts of the
// measured calls alone, dumped under Name.
double Measure(const char* Name, int Repeat, const std::function<void()>& Prepare,
               const std::function<void()>& Measured) {
    const double median = MedianMicroseconds(Repeat, Prepare, [&] {
        CALLGRIND_TOGGLE_COLLECT;
        Measured();
        CALLGRIND_TOGGLE_COLLECT;
    });
    CALLGRIND_DUMP_STATS_AT(Name);
    return median;
}

// A plain platform grid as large as the people grid, showing as many rows.
class TPaintedPeer {
public:
    explicit TPaintedPeer(TKroDbGrid* Shown) {
        Form.SetBounds(0, 0, Shown->Width() + 20, Shown->Height() + 20);
        Grid = new TTextRowsGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, Shown->Width(), Shown->Height());
        Grid->SetColCount(Columns);
        Grid->SetDefaultColWidth(Shown->ClientWidth() / Columns);
        Grid->SetRowCount(Shown->VisibleRowCount() + 1);
        Form.Show();
        QCoreApplication::processEvents();
    }
    // The rows of Statement read into the grid and painted.
    void Show(TRawStatement& Statement) {
        Grid->ReadRows(Statement);
        Grid->Widget()->repaint();
    }
    int Rows() const { return Grid->RowCount() - 1; }

private:
    static constexpr int Columns = 10; // those of Row
    TForm Form;
    TTextRowsGrid* Grid;
};

int Bench(const QString& Dir, int Repeat) {
    RegisterKroLibrary();
    const QString file = QDir(Dir).filePath(QLatin1String(StandardDatabaseFile));
    if (!QFile::exists(file))
        throw std::runtime_error(file.toStdString() + " does not exist: Example --generate");
    StartExample({Dir, {}});
    Form1->Show();
    TRawDatabase raw(file.toStdString());
    std::printf("%s: the people form, median of %d runs\n", qPrintable(file), Repeat);
    std::printf("%-34s %12s %12s %7s\n", "operation", "form (ms)", "C API (ms)", "ratio");
    const auto line = [](const char* Name, double Ours, double Direct) {
        std::printf("%-34s %12.2f %12.2f %7.2f\n", Name, Ours / 1000, Direct / 1000, Ours / Direct);
    };

    TRawStatement count(raw.Handle(), "SELECT count(*) FROM People");
    const double open = Measure(
        "open", Repeat, [] { delete FormPeople; },
        [] {
            Form1->SpeedButton1Click(nullptr);
            Paint(FormPeople);
        });
    TFormPeople* form = FormPeople;
    TPaintedPeer peer(form->KroDbGrid);
    // The peers of an operation that paints (Ours): the count if any and Rows read into the
    // plain grid and painted, and the statements alone.
    const auto painting = [&](const char* Name, TRawStatement* Count, TRawStatement& Rows,
                              double Ours) {
        const std::string name = Name;
        const double painted = Measure((name + ": painted peer").c_str(), Repeat, [] {},
                                       [&] {
                                           if (Count)
                                               ReadAll(*Count);
                                           peer.Show(Rows);
                                       });
        const double direct = Measure((name + ": statements").c_str(), Repeat, [] {},
                                      [&] {
                                          if (Count)
                                              ReadAll(*Count);
                                          ReadAll(Rows);
                                      });
        line(Name, Ours, painted);
        std::printf("  %-32s %12s %12.2f\n", "(statements, not painted)", "", direct / 1000);
    };
    const std::string rows = " LIMIT " + std::to_string(peer.Rows());
    TRawStatement first(raw.Handle(), Row + "ORDER BY p.Name, p.rowid" + rows);
    painting("open the form (count, first rows)", &count, first, open);

    // Becoming active, the form reads its datasets, the jobs among them.
    QApplication::setActiveWindow(form->Widget());
    QCoreApplication::processEvents();
    TKroTable* people = DM1->TbPeople;
    TRawStatement last(raw.Handle(), Row + "ORDER BY p.Name DESC, p.rowid DESC" + rows);
    const double lastOurs = Measure(
        "Last", Repeat,
        [&] {
            people->First();
            Paint(form);
        },
        [&] {
            people->Last();
            Paint(form);
        });
    painting("Last in the grid", nullptr, last, lastOurs);

    TKroFilter* filter = form->EFilter;
    filter->AddFilter();
    filter->AddCondition();
    filter->Current()->Conditions[0]->FieldName = QStringLiteral("Lang");
    filter->Current()->Conditions[0]->Value = 2;
    form->UpdateFilterControls();
    TRawStatement countLang(raw.Handle(), "SELECT count(*) FROM People WHERE Lang = 2");
    TRawStatement firstLang(raw.Handle(), Row + "WHERE p.Lang = 2 ORDER BY p.Name, p.rowid" + rows);
    const double filterOurs = Measure(
        "filter", Repeat, [&] { form->SBFilterNoneClick(nullptr); },
        [&] {
            form->SBFilterSetClick(nullptr);
            Paint(form);
        });
    painting("filter by language, count", &countLang, firstLang, filterOurs);
    std::printf("  total row: %s\n",
                qPrintable(form->KroDbGrid->TotalList()->Value(QStringLiteral("Name"))));
    form->SBFilterNoneClick(nullptr);

    form->PageControl1->SetActivePage(form->TabSheet1);
    TKroDBLookupCombo* countries = form->LookupCountryOfContinent;
    TRawStatement continent(raw.Handle(), "SELECT Id, Name FROM Country WHERE Continent = ?");
    const std::int64_t continentId = people->FieldByName(QStringLiteral("Continent"))->AsInteger();
    const double dropOurs = Measure(
        "drop down", Repeat, [&] { countries->CloseUp(false); }, [&] { countries->DropDown(); });
    countries->CloseUp(false);
    const double dropDirect = Measure(
        "drop down: statement", Repeat, [] {},
        [&] {
            continent.Reset();
            continent.Bind(1, continentId);
            while (continent.Step())
                continent.TextLength(1);
        });
    line("drop down the continent's countries", dropOurs, dropDirect);

    const Variant person = DM1->TbPeople->FieldByName(QStringLiteral("id"))->AsVariant();
    form->KroRecordCloner1->SetConfirmDataSet(false);
    form->KroRecordCloner1->SetConfirmSubDataSet(false);
    const double cloneOurs = Measure(
        "clone", Repeat, [&] { people->Locate(QStringLiteral("id"), person, {}); },
        [&] { form->KroRecordCloner1->Clone(); });
    TRawStatement next(raw.Handle(), "SELECT Max(id) + 1 FROM People");
    TRawStatement copyPerson(
        raw.Handle(), "INSERT INTO People (id, Name, Sex, Lang, Pasport, Prof, Continent, "
                      "Country, Info, Image, Rich) SELECT ?, Name, Sex, Lang, Pasport, "
                      "Prof, Continent, Country, Info, Image, Rich FROM People WHERE id = ?");
    TRawStatement copyJobs(raw.Handle(),
                           "INSERT INTO Job (People, DateBe, DateEn, Company, JobPosition) "
                           "SELECT ?, DateBe, DateEn, Company, JobPosition FROM Job WHERE People "
                           "= ?");
    // What the form shows of the copy: the grid's rows around it and its jobs.
    const int before = (peer.Rows() - 1) / 2;
    TRawStatement rowsBefore(raw.Handle(), Row +
                                               "WHERE (p.Name, p.rowid) < (?, ?) ORDER BY p.Name "
                                               "DESC, p.rowid DESC LIMIT " +
                                               std::to_string(before));
    TRawStatement rowsFrom(raw.Handle(), Row +
                                             "WHERE (p.Name, p.rowid) >= (?, ?) ORDER BY p.Name, "
                                             "p.rowid LIMIT " +
                                             std::to_string(peer.Rows() - before));
    TRawStatement jobs(raw.Handle(), "SELECT Id, People, DateBe, DateEn, Company, JobPosition "
                                     "FROM Job WHERE People = ? ORDER BY DateBe");
    const std::string name = people->FieldByName(QStringLiteral("Name"))->AsString().toStdString();
    const double cloneDirect = Measure(
        "clone: statements", Repeat, [] {},
        [&] {
            next.Reset();
            next.Step();
            const std::int64_t id = next.Integer(0);
            copyPerson.Reset();
            copyPerson.Bind(1, id);
            copyPerson.Bind(2, std::int64_t(person.toLongLong()));
            copyPerson.Step();
            copyJobs.Reset();
            copyJobs.Bind(1, id);
            copyJobs.Bind(2, std::int64_t(person.toLongLong()));
            copyJobs.Step();
            for (TRawStatement* shown : {&rowsBefore, &rowsFrom}) {
                shown->Reset();
                shown->Bind(1, name);
                shown->Bind(2, id);
                shown->ReadRows();
            }
            jobs.Reset();
            jobs.Bind(1, id);
            jobs.ReadRows();
        });
    line("clone a person with jobs", cloneOurs, cloneDirect);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMain(argc, argv, "people_form_bench", 15, Bench);
}
