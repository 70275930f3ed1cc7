// render_record_page OUT.png: draws a form with the library's grid over people on the
// offscreen platform, switched to its one-record page through the grid's menu as a user
// does: a label and a control per field (the country as a lookup combo, the sex as a list
// combo, the notes in a memo) for the current person.

#include "RenderPicture.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <controls/KroContr.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <fields/KroList.h>
#include <fields/KroLook.h>
#include <grid/KroGrid.h>
#include <grid/KroGridMenu.h>
#include <library/KroLibrary.h>
#include <stdexcept>
#include <ui/Forms.h>

namespace {

void MakeTables(const QString& Alias) {
    TTable country;
    country.SetDatabaseName(Alias);
    country.SetTableName(QStringLiteral("Country"));
    country.FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    country.FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    country.CreateTable();
    TTable people;
    people.SetDatabaseName(Alias);
    people.SetTableName(QStringLiteral("People"));
    people.FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    people.FieldDefs()->Add(QStringLiteral("Name"), ftString, 24);
    people.FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    people.FieldDefs()->Add(QStringLiteral("Birth"), ftDate);
    people.FieldDefs()->Add(QStringLiteral("Salary"), ftCurrency);
    people.FieldDefs()->Add(QStringLiteral("Sex"), ftSmallint);
    people.FieldDefs()->Add(QStringLiteral("Notes"), ftMemo);
    people.CreateTable();
    TDbConnection* connection = Session()->OpenDatabase(Alias)->Connection();
    for (const char* name : {"Spain", "France", "Italy"})
        connection->Execute(QStringLiteral("INSERT INTO \"Country\" (\"Name\") VALUES (?)"),
                            {QString::fromLatin1(name)});
    const QList<QVariantList> rows{
        {QStringLiteral("Ann Smith"), 1, QDate(1984, 5, 12), 2500.0, 2,
         QStringLiteral("Speaks three languages.\nTeam lead since 2019.")},
        {QStringLiteral("Bob Brown"), 2, QDate(1979, 11, 3), 3100.5, 1, QString()}};
    for (const QVariantList& row : rows)
        connection->Execute(QStringLiteral("INSERT INTO \"People\" (\"Name\", \"Country\", "
                                           "\"Birth\", \"Salary\", \"Sex\", \"Notes\") VALUES "
                                           "(?, ?, ?, ?, ?, ?)"),
                            row);
}

template <class T> T* AddField(TComponent* Owner, TDataSet* DataSet, const char* Name) {
    auto* field = new T(Owner);
    field->SetFieldName(QString::fromLatin1(Name));
    field->SetDataSet(DataSet);
    return field;
}

// People's fields: the key hidden, the country's name looked up from its key.
void AddPeopleFields(TComponent* Owner, TKroTable* People, TKroTable* Country) {
    AddField<TAutoIncField>(Owner, People, "Id")->SetVisible(false);
    AddField<TStringField>(Owner, People, "Name")->SetSize(24);
    AddField<TIntegerField>(Owner, People, "Country")->SetVisible(false);
    auto* look = AddField<TKroLookField>(Owner, People, "CountryName");
    look->SetDisplayLabel(QStringLiteral("Country"));
    look->SetSize(20);
    look->SetFieldKind(fkLookup);
    look->SetLookupDataSet(Country);
    look->SetKeyFields(QStringLiteral("Country"));
    look->SetLookupKeyFields(QStringLiteral("Id"));
    look->SetLookupResultField(QStringLiteral("Name"));
    AddField<TDateField>(Owner, People, "Birth");
    AddField<TCurrencyField>(Owner, People, "Salary");
    auto* sex = AddField<TKroListField>(Owner, People, "Sex");
    sex->Values()->SetText(QStringLiteral("\nMale\nFemale"));
    AddField<TMemoField>(Owner, People, "Notes")->SetDisplayWidth(40);
}

// Opens the grid's menu with a right click and chooses Caption in it.
void ChooseInMenu(TControl* Control, const QString& Caption) {
    QTest::mouseClick(Control->Widget(), Qt::RightButton, {}, QPoint(40, 40));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        throw std::runtime_error("the grid's menu did not open");
    for (QAction* action : menu->actions())
        if (action->text() == Caption && action->isEnabled()) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            QApplication::processEvents();
            return;
        }
    throw std::runtime_error("the menu has no enabled item " + Caption.toStdString());
}

int Render(const QString& Out) {
    QTemporaryDir dir;
    const QString alias = QStringLiteral("RenderRecordPage");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, dir.path(), QStringLiteral("STANDARD"));
    MakeTables(alias);

    TForm form;
    form.SetCaption(QStringLiteral("People"));
    form.SetBounds(0, 0, 620, 240);
    auto* country = new TKroTable(&form);
    country->SetDatabaseName(alias);
    country->SetTableName(QStringLiteral("Country"));
    auto* people = new TKroTable(&form);
    people->SetDatabaseName(alias);
    people->SetTableName(QStringLiteral("People"));
    people->SetIndexFieldNames(QStringLiteral("Id"));
    AddPeopleFields(&form, people, country);
    auto* source = new TDataSource(&form);
    source->SetDataSet(people);
    auto* grid = new TKroDbGrid(&form);
    grid->SetParent(&form);
    grid->SetAlign(alClient);
    grid->SetDataSource(source);
    grid->SetPopupMenu(PopupMenuKroDBGrid());
    country->Open();
    people->Open();
    form.Show();
    QApplication::setActiveWindow(form.Widget());
    grid->SetFocus();
    QApplication::processEvents();

    ChooseInMenu(grid, QStringLiteral("Grid / One record"));
    if (grid->Widget()->isVisible())
        throw std::runtime_error("the page did not take the grid's place");
    SavePicture(form.Widget()->grab(), Out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RenderMain(argc, argv, "render_record_page", 1, "OUT.png",
                      [](const QStringList& Arguments) {
                          RegisterKroLibrary();
                          return Render(Arguments[0]);
                      });
}
