// The demonstration program's people form on a demo database, driven headless as a person
// uses it, beside the SQLite statements that do the same work: opening the form, Last in
// its grid, a filter by language with the people counted, dropping down the countries of
// a continent, cloning a person with jobs.
//
//   people_form_bench DIR [repeat]   (DIR: a demo database, Example --generate N DIR)

#include "BenchMain.h"
#include "MedianTimer.h"
#include "RawSqlite.h"

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

namespace {

// The columns a grid row shows, with the texts of the three lookups.
const std::string Row = "SELECT p.id, p.Name, p.Sex, p.Lang, l.Name, p.Pasport, p.Prof, f.Name, "
                        "p.Country, c.Name FROM People p LEFT JOIN Lang l ON l.Id = p.Lang "
                        "LEFT JOIN Prof f ON f.Id = p.Prof LEFT JOIN Country c ON c.Id = "
                        "p.Country ";

std::size_t ReadRows(TRawStatement& Statement) {
    std::size_t length = 0;
    Statement.Reset();
    while (Statement.Step())
        for (int c = 0; c < Statement.ColumnCount(); ++c)
            length += Statement.TextLength(c);
    return length;
}

void Paint(TFormPeople* Form) {
    Form->KroDbGrid->Widget()->repaint();
}

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
    TRawStatement first(raw.Handle(), Row + "ORDER BY p.Name, p.rowid LIMIT 25");
    const double open = MedianMicroseconds(
        Repeat, [] { delete FormPeople; },
        [] {
            Form1->SpeedButton1Click(nullptr);
            Paint(FormPeople);
        });
    const double openDirect = MedianMicroseconds(
        Repeat, [] {},
        [&] {
            ReadRows(count);
            ReadRows(first);
        });
    line("open the form (count, first rows)", open, openDirect);

    TFormPeople* form = FormPeople;
    // Becoming active, the form reads its datasets, the jobs among them.
    QApplication::setActiveWindow(form->Widget());
    QCoreApplication::processEvents();
    TKroTable* people = DM1->TbPeople;
    TRawStatement last(raw.Handle(), Row + "ORDER BY p.Name DESC, p.rowid DESC LIMIT 25");
    const double lastOurs = MedianMicroseconds(
        Repeat,
        [&] {
            people->First();
            Paint(form);
        },
        [&] {
            people->Last();
            Paint(form);
        });
    const double lastDirect = MedianMicroseconds(
        Repeat, [] {}, [&] { ReadRows(last); });
    line("Last in the grid", lastOurs, lastDirect);

    TKroFilter* filter = form->EFilter;
    filter->AddFilter();
    filter->AddCondition();
    filter->Current()->Conditions[0]->FieldName = QStringLiteral("Lang");
    filter->Current()->Conditions[0]->Value = 2;
    form->UpdateFilterControls();
    TRawStatement countLang(raw.Handle(), "SELECT count(*) FROM People WHERE Lang = 2");
    TRawStatement firstLang(raw.Handle(),
                            Row + "WHERE p.Lang = 2 ORDER BY p.Name, p.rowid LIMIT 25");
    const double filterOurs = MedianMicroseconds(
        Repeat, [&] { form->SBFilterNoneClick(nullptr); },
        [&] {
            form->SBFilterSetClick(nullptr);
            Paint(form);
        });
    const double filterDirect = MedianMicroseconds(
        Repeat, [] {},
        [&] {
            ReadRows(countLang);
            ReadRows(firstLang);
        });
    line("filter by language, count", filterOurs, filterDirect);
    std::printf("  total row: %s\n",
                qPrintable(form->KroDbGrid->TotalList()->Value(QStringLiteral("Name"))));
    form->SBFilterNoneClick(nullptr);

    form->PageControl1->SetActivePage(form->TabSheet1);
    TKroDBLookupCombo* countries = form->LookupCountryOfContinent;
    TRawStatement continent(raw.Handle(), "SELECT Id, Name FROM Country WHERE Continent = ?");
    const std::int64_t continentId = people->FieldByName(QStringLiteral("Continent"))->AsInteger();
    const double dropOurs = MedianMicroseconds(
        Repeat, [&] { countries->CloseUp(false); }, [&] { countries->DropDown(); });
    countries->CloseUp(false);
    const double dropDirect = MedianMicroseconds(
        Repeat, [] {},
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
    const double cloneOurs = MedianMicroseconds(
        Repeat, [&] { people->Locate(QStringLiteral("id"), person, {}); },
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
    const double cloneDirect = MedianMicroseconds(
        Repeat, [] {},
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
        });
    line("clone a person with jobs", cloneOurs, cloneDirect);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return BenchMain(argc, argv, "people_form_bench", 15, Bench);
}
