// render_kro_grid DIR OUT.png: draws the library's grid over the People table that
// bench_database made in DIR, on the offscreen platform, into a picture: lookup columns
// as sub-cells, titles on two lines, a coloured column, rows coloured by a handler, the
// order mark of the Name title and the total row.

#include "LookupPeople.h"
#include "RenderPicture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <cstdio>
#include <dataset/KroTable.h>
#include <db/Database.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <exception>
#include <grid/KroGrid.h>
#include <library/KroLibrary.h>
#include <ui/Forms.h>

namespace {

int Render(const QString& Dir, const QString& Out) {
    if (!QFile::exists(QDir(Dir).filePath(QLatin1String(StandardDatabaseFile))))
        throw std::runtime_error(Dir.toStdString() + " holds no database: run bench_database");
    const QString alias = QStringLiteral("RenderKroPeople");
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(alias, Dir, QStringLiteral("STANDARD"));
    RegisterFieldClasses();
    RegisterKroLibrary();

    TForm form;
    form.SetCaption(QStringLiteral("People"));
    form.SetBounds(0, 0, 900, 420);
    TLookupPeople data(&form, alias);
    data.People->SetIndexFieldNames(QStringLiteral("Name"));
    auto* grid = new TKroDbGrid(&form);
    grid->SetParent(&form);
    grid->SetBounds(8, 8, 884, 404);
    grid->SetTitleRows(2);
    grid->SetTotal(true);
    grid->TotalFont()->SetStyle({fsBold});
    grid->SetDataSource(data.Source);
    grid->Columns()->Items(0)->SetColor(TColor(10930928));
    grid->Columns()->Items(2)->Title()->SetCaption(QStringLiteral("Language of the person"));
    grid->Columns()->Items(2)->SetWidth(96);
    grid->SetOnSetColor(TSetColorEvent([](TObject*, TField* Field, TColor& Color) {
        if (Field->DataSet()->FieldByName(QStringLiteral("Id"))->AsInteger() % 5 == 0)
            Color = clInfoBk;
    }));
    grid->SetTotalText(QStringLiteral("name"),
                       QStringLiteral("%1 people").arg(data.People->RecordCount()));
    form.Show();
    QApplication::setActiveWindow(form.Widget());
    grid->SetFocus();
    grid->SetSelectedIndex(3);
    QApplication::processEvents();

    SavePicture(form.Widget()->grab(), Out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RenderMain(
        argc, argv, "render_kro_grid", 2, "DIR OUT.png",
        [](const QStringList& Arguments) { return Render(Arguments[0], Arguments[1]); });
}
