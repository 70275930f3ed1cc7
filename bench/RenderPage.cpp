// render_page OUT.png: draws a form with the library's grid on the offscreen platform into
// a picture: people with a lookup column of countries (three sub-cells) and a list column,
// the lookup combo open over the current cell with its drop-down list of countries.

#include "RenderPicture.h"
#include "RenderTables.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Session.h>
#include <exception>
#include <fields/KroList.h>
#include <fields/KroLook.h>
#include <grid/KroGrid.h>
#include <grid/KroGridEditors.h>
#include <library/KroLibrary.h>
#include <ui/Forms.h>

namespace {

void MakeTables(const QString& Alias) {
    MakeRenderTable(Alias, "Land", {{"Id", ftAutoInc}, {"Name", ftString}, {"Capital", ftString}});
    MakeRenderTable(
        Alias, "People",
        {{"Id", ftAutoInc}, {"Name", ftString}, {"Country", ftInteger}, {"Sex", ftSmallint}});
    InsertRenderRows(Alias,
                     QStringLiteral("INSERT INTO \"Land\" (\"Name\", \"Capital\") VALUES (?, ?)"),
                     {{"Spain", "Madrid"},
                      {"France", "Paris"},
                      {"Italy", "Rome"},
                      {"Norway", "Oslo"},
                      {"Japan", "Tokyo"},
                      {"Kenya", "Nairobi"},
                      {"Peru", "Lima"},
                      {"Chile", "Santiago"}});
    InsertRenderRows(
        Alias,
        QStringLiteral("INSERT INTO \"People\" (\"Name\", \"Country\", \"Sex\") VALUES "
                       "(?, ?, ?)"),
        {{"Ann Berg", 4, 2},
         {"Bob Marin", 1, 1},
         {"Carla Rossi", 3, 2},
         {"Dan Sato", 5, 1},
         {"Eve Dubois", 2, 2},
         {"Femi Otieno", 6, 1}});
}

template <class T> T* AddField(TDataSet* DataSet, TComponent* Owner, const char* Name) {
    auto* field = new T(Owner);
    field->SetFieldName(QString::fromLatin1(Name));
    if constexpr (std::is_same_v<T, TStringField>)
        field->SetSize(16);
    field->SetDataSet(DataSet);
    return field;
}

int Render(const QString& Out) {
    QTemporaryDir dir;
    const QString alias = QStringLiteral("RenderPage");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, dir.path(), QStringLiteral("STANDARD"));
    MakeTables(alias);

    TForm form;
    form.SetCaption(QStringLiteral("People"));
    form.SetBounds(0, 0, 640, 330);
    auto table = [&](const char* Name) {
        auto* result = new TKroTable(&form);
        result->SetDatabaseName(alias);
        result->SetTableName(QString::fromLatin1(Name));
        return result;
    };
    TKroTable* land = table("Land");
    TKroTable* people = table("People");
    AddField<TAutoIncField>(people, &form, "Id");
    AddField<TStringField>(people, &form, "Name");
    AddField<TIntegerField>(people, &form, "Country")->SetVisible(false);
    auto* look = new TKroLookField(&form);
    look->SetFieldName(QStringLiteral("CountryLook"));
    look->SetDisplayLabel(QStringLiteral("Country"));
    look->SetFieldKind(fkLookup);
    look->SetLookupDataSet(land);
    look->SetKeyFields(QStringLiteral("Country"));
    look->SetLookupKeyFields(QStringLiteral("Id"));
    look->SetLookupResultField(QStringLiteral("Id;Name;Capital"));
    look->SetListFieldIndex(1);
    look->SetStoreLookupData(true);
    look->SetOptions(look->Options() + TKroLookFieldOptions{foAutoDropDownWidth});
    look->SetDataSet(people);
    auto* sex = AddField<TKroListField>(people, &form, "Sex");
    sex->Values()->SetText(QStringLiteral("\nMale\nFemale"));
    land->Open();
    people->Open();
    for (const char* name : {"Id", "Name"})
        land->FieldByName(QString::fromLatin1(name))->SetDisplayWidth(name[0] == 'I' ? 3 : 10);
    land->FieldByName(QStringLiteral("Capital"))->SetDisplayWidth(10);

    auto* source = new TDataSource(&form);
    source->SetDataSet(people);
    auto* grid = new TKroDbGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(10, 10, 620, 210);
    grid->SetDataSource(source);
    form.Show();
    QApplication::setActiveWindow(form.Widget());
    grid->SetFocus();
    QApplication::processEvents();
    grid->SetSelectedField(look);
    people->Next();
    people->Next();

    // Ctrl+Enter opens the lookup combo over the cell with its list down.
    QTest::keyClick(grid->Widget(), Qt::Key_Return, Qt::ControlModifier);
    QApplication::processEvents();
    TKroInplaceLookupCombo* combo = grid->LookupCombo();
    if (!combo || !combo->Visible() || !combo->DroppedDown())
        throw std::runtime_error("the lookup combo is not open over the cell");
    QTest::keyClick(combo->Widget(), Qt::Key_Down);
    QApplication::processEvents();

    SavePicture(GrabWithPopup(form.Widget(), combo->DataList()->Widget()), Out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RenderMain(argc, argv, "render_page", 1, "OUT.png", [](const QStringList& Arguments) {
        RegisterKroLibrary();
        return Render(Arguments[0]);
    });
}
