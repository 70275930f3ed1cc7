// render_combos OUT.png: draws a form with the library's lookup combo on the offscreen
// platform into a picture: the combo passed the continents' level (the path line), its
// multi-column drop-down open on the countries of the chosen continent with the header
// line, and a tree list of professions beside it with the marks of rows that have children.

#include "RenderPicture.h"
#include "RenderTables.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <db/DataSource.h>
#include <db/Session.h>
#include <db/Table.h>
#include <exception>
#include <fields/KroLookCombo.h>
#include <library/KroLibrary.h>
#include <ui/Forms.h>

namespace {

void MakeTables(const QString& Alias) {
    MakeRenderTable(Alias, "Cont", {{"Id", ftAutoInc}, {"Name", ftString}});
    MakeRenderTable(
        Alias, "Land",
        {{"Id", ftAutoInc}, {"Name", ftString}, {"Capital", ftString}, {"Continent", ftInteger}});
    InsertRenderRows(
        Alias, QStringLiteral("INSERT INTO \"Cont\" (\"Name\") VALUES (?)"),
        {{QStringLiteral("Europe")}, {QStringLiteral("Asia")}, {QStringLiteral("Africa")}});
    InsertRenderRows(
        Alias,
        QStringLiteral("INSERT INTO \"Land\" (\"Name\", \"Capital\", \"Continent\") VALUES "
                       "(?, ?, ?)"),
        {{"Spain", "Madrid", 1},
         {"France", "Paris", 1},
         {"Italy", "Rome", 1},
         {"Norway", "Oslo", 1},
         {"Japan", "Tokyo", 2},
         {"Kenya", "Nairobi", 3}});
}

int Render(const QString& Out) {
    QTemporaryDir dir;
    const QString alias = QStringLiteral("RenderCombos");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, dir.path(), QStringLiteral("STANDARD"));
    MakeTables(alias);

    TForm form;
    form.SetCaption(QStringLiteral("Lookup combo"));
    form.SetBounds(0, 0, 420, 260);
    auto table = [&](const char* Name) {
        auto* result = new TTable(&form);
        result->SetDatabaseName(alias);
        result->SetTableName(QString::fromLatin1(Name));
        result->Open();
        return result;
    };
    TTable* cont = table("Cont");
    auto* source = new TDataSource(&form);
    source->SetDataSet(table("Land"));
    auto* combo = new TKroDBLookupCombo(&form);
    combo->SetParent(&form);
    combo->SetBounds(20, 20, 300, 24);
    combo->SetListSource(source);
    combo->SetKeyField(QStringLiteral("Id"));
    combo->SetListField(QStringLiteral("Id;Name;Capital"));
    combo->SetListFieldIndex(1);
    combo->SetLookupFilterField(QStringLiteral("Continent"));
    auto* level = static_cast<TKroLookupLevelItem*>(combo->LookupLevels()->Add());
    level->SetDataSet(cont);
    level->SetKeyField(QStringLiteral("Id"));
    level->SetResultFields(QStringLiteral("Id;Name"));
    form.Show();
    combo->SetFocus();
    QApplication::processEvents();

    // Continents first: Europe is chosen, then the list shows its countries.
    QTest::keyClick(combo->Widget(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(combo->Widget(), Qt::Key_Home);
    QTest::keyClick(combo->Widget(), Qt::Key_Return);
    QTest::keyClick(combo->Widget(), Qt::Key_Down);
    QTest::keyClick(combo->Widget(), Qt::Key_Down);
    QApplication::processEvents();
    if (!combo->DroppedDown() || combo->Path().isEmpty())
        throw std::runtime_error("the countries' list is not shown");

    SavePicture(GrabWithPopup(form.Widget(), combo->DataList()->Widget()), Out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RenderMain(argc, argv, "render_combos", 1, "OUT.png", [](const QStringList& Arguments) {
        RegisterKroLibrary();
        return Render(Arguments[0]);
    });
}
