// render_grid DIR OUT.png: draws a form with two data grids over the People and Country
// tables that bench_database made in DIR, on the offscreen platform, into a picture: the
// people in Name order with an open cell editor, the countries with multi-selected rows.

#include "RenderPicture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <cstdio>
#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <exception>
#include <ui/DBGrids.h>
#include <ui/Forms.h>

namespace {

// A grid on Form over the table TableName of Alias, showing Fields (";"-separated).
TDBGrid* NewGrid(TForm& Form, const QString& Alias, const QString& TableName, const QString& Fields,
                 const QString& Order, const QRect& Bounds) {
    auto* table = new TTable(&Form);
    table->SetDatabaseName(Alias);
    table->SetTableName(TableName);
    table->SetIndexFieldNames(Order);
    auto* source = new TDataSource(&Form);
    source->SetDataSet(table);
    auto* grid = new TDBGrid(&Form);
    grid->SetParent(&Form);
    grid->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    table->Open();
    grid->BeginLayout();
    for (const QString& name : Fields.split(QLatin1Char(';')))
        grid->Columns()->Add()->SetFieldName(name);
    grid->EndLayout();
    grid->SetDataSource(source);
    return grid;
}

int Render(const QString& Dir, const QString& Out) {
    if (!QFile::exists(QDir(Dir).filePath(QLatin1String(StandardDatabaseFile))))
        throw std::runtime_error(Dir.toStdString() + " holds no database: run bench_database");
    const QString alias = QStringLiteral("RenderPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, Dir, QStringLiteral("STANDARD"));
    RegisterFieldClasses();

    TForm form;
    form.SetCaption(QStringLiteral("People"));
    form.SetBounds(0, 0, 760, 520);
    TDBGrid* people = NewGrid(form, alias, QStringLiteral("People"),
                              QStringLiteral("Name;Sex;Lang;Pasport;Country"),
                              QStringLiteral("Name"), QRect(8, 8, 744, 300));
    TDBGrid* countries =
        NewGrid(form, alias, QStringLiteral("Country"), QStringLiteral("Id;Name;Continent"),
                QString(), QRect(8, 316, 744, 196));
    people->Columns()->Items(0)->Title()->SetCaption(QStringLiteral("Person"));
    people->Columns()->Items(3)->SetColor(TColor(10930928));
    countries->SetOptions(countries->Options() + TDBGridOptions{dgMultiSelect, dgRowSelect});
    form.Show();
    QApplication::setActiveWindow(form.Widget());
    QApplication::processEvents();

    TDataSet* countryTable = countries->DataSource()->DataSet();
    for (int i = 0; i < 3; ++i) {
        countries->SelectedRows()->SetCurrentRowSelected(true);
        countryTable->MoveBy(2);
    }
    TDataSet* peopleTable = people->DataSource()->DataSet();
    peopleTable->MoveBy(8);
    people->SetFocus();
    people->SetSelectedIndex(0);
    people->SetEditorMode(true);
    QApplication::processEvents();

    SavePicture(form.Widget()->grab(), Out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RenderMain(
        argc, argv, "render_grid", 2, "DIR OUT.png",
        [](const QStringList& Arguments) { return Render(Arguments[0], Arguments[1]); });
}
