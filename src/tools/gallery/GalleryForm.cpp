#include "GalleryForm.h"

#include <QApplication>
#include <QPainter>
#include <db/Database.h>
#include <db/DbClasses.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <ui/ComCtrls.h>
#include <ui/StdCtrls.h>
#include <ui/UiClasses.h>

namespace {

const QString GalleryAlias = QStringLiteral("KroGallery");

// A 120x90 photo of a part: a shape of Colour on a light background.
QByteArray PartPhoto(TColor Colour, bool Round) {
    TBitmap photo;
    photo.SetSize(120, 90);
    TCanvas* canvas = photo.Canvas();
    canvas->Brush()->SetColor(TColor(0xF0E8E0));
    canvas->FillRect(QRect(0, 0, 120, 90));
    canvas->Brush()->SetColor(Colour);
    canvas->Pen()->SetWidth(2);
    if (Round)
        canvas->Ellipse(25, 10, 95, 80);
    else
        canvas->Rectangle(20, 15, 100, 75);
    return photo.SaveToBytes("PNG");
}

TTable* NewTable(const QString& Name) {
    auto* table = new TTable;
    table->SetDatabaseName(GalleryAlias);
    table->SetTableName(Name);
    return table;
}

void CreateTables() {
    std::unique_ptr<TTable> kind(NewTable(QStringLiteral("Kind")));
    kind->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    kind->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    kind->CreateTable();

    std::unique_ptr<TTable> part(NewTable(QStringLiteral("Part")));
    part->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    part->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    part->FieldDefs()->Add(QStringLiteral("Kind"), ftInteger);
    part->FieldDefs()->Add(QStringLiteral("Size"), ftString, 10);
    part->FieldDefs()->Add(QStringLiteral("Price"), ftCurrency);
    part->FieldDefs()->Add(QStringLiteral("InStock"), ftBoolean);
    part->FieldDefs()->Add(QStringLiteral("Notes"), ftMemo);
    part->FieldDefs()->Add(QStringLiteral("Description"), ftMemo);
    part->FieldDefs()->Add(QStringLiteral("Photo"), ftGraphic);
    part->CreateTable();
}

void FillTables() {
    TDbConnection* connection = Session()->OpenDatabase(GalleryAlias)->Connection();
    connection->StartTransaction();
    for (const char* name : {"Fitting", "Pipe", "Valve"})
        connection->Execute(QStringLiteral("INSERT INTO \"Kind\" (\"Name\") VALUES (?)"),
                            {QString::fromLatin1(name)});
    struct TPart {
        const char* Name;
        int Kind;
        const char* Size;
        double Price;
        bool InStock;
        const char* Notes;
        TColor Colour;
        bool Round;
    };
    const TPart parts[] = {
        {"Brass elbow", 1, "Small", 4.5, true, "Sold in boxes of ten.", TColor(0x30A0D0), true},
        {"Copper pipe", 2, "Large", 12.9, true, "Cut to length on request.", TColor(0x2060C0),
         false},
        {"Ball valve", 3, "Medium", 18.25, false, "Back in stock next month.", clRed, true},
        {"Steel tee", 1, "Medium", 6.1, true, "", clGray, false},
    };
    for (const TPart& part : parts)
        connection->Execute(
            QStringLiteral("INSERT INTO \"Part\" (\"Name\", \"Kind\", \"Size\", \"Price\", "
                           "\"InStock\", \"Notes\", \"Description\", \"Photo\") "
                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
            {QString::fromLatin1(part.Name), part.Kind, QString::fromLatin1(part.Size), part.Price,
             part.InStock, QString::fromLatin1(part.Notes),
             QStringLiteral("The %1 comes with a two-year guarantee.")
                 .arg(QString::fromLatin1(part.Name).toLower()),
             PartPhoto(part.Colour, part.Round)});
    connection->Commit();
    Session()->CloseDatabase(Session()->FindDatabase(GalleryAlias));
}

} // namespace

TGalleryDatabase::TGalleryDatabase() {
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(GalleryAlias, FDir.path(), QStringLiteral("STANDARD"));
    Session()->SetConfigMode(saved);
    RegisterFieldClasses();
    CreateTables();
    FillTables();
}

TGalleryDatabase::~TGalleryDatabase() {
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    Session()->DeleteAlias(GalleryAlias);
    Session()->SetConfigMode(saved);
}

TGalleryForm::TGalleryForm(TComponent* AOwner) : TForm(AOwner) {
    InitForm();
}

namespace {

// Runs the edit command Slot ("cut", "copy", "paste") of the focused text widget; other
// widgets have no such slot and ignore it.
void EditFocused(const char* Slot) {
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->metaObject()->indexOfSlot(
                     QMetaObject::normalizedSignature(QByteArray(Slot) + "()")) >= 0)
        QMetaObject::invokeMethod(focus, Slot);
}

} // namespace

void TGalleryForm::CutItemClick(TObject*) {
    EditFocused("cut");
}

void TGalleryForm::CopyItemClick(TObject*) {
    EditFocused("copy");
}

void TGalleryForm::PasteItemClick(TObject*) {
    EditFocused("paste");
}

void TGalleryForm::MemoClearItemClick(TObject*) {
    if (auto* memo = qobject_cast<TMemo*>(FindComponent(QStringLiteral("NotesMemo"))))
        memo->Lines()->Clear();
}

void RegisterGalleryClasses() {
    Q_INIT_RESOURCE(Gallery);
    RegisterUiClasses();
    RegisterDbClasses();
    RegisterClass<TGalleryForm>();
}

QImage RenderGalleryPages(TGalleryForm* Form) {
    auto* pages = qobject_cast<TPageControl*>(Form->FindComponent(QStringLiteral("Pages")));
    QList<QImage> shots;
    for (int i = 0; i < pages->PageCount(); ++i) {
        pages->SetActivePageIndex(i);
        QApplication::processEvents();
        shots.append(Form->Widget()->window()->grab().toImage());
    }
    int height = 0;
    for (const QImage& shot : std::as_const(shots))
        height += shot.height();
    QImage result(shots.first().width(), height, QImage::Format_RGB32);
    result.fill(Qt::darkGray);
    QPainter painter(&result);
    int top = 0;
    for (const QImage& shot : std::as_const(shots)) {
        painter.drawImage(0, top, shot);
        top += shot.height();
    }
    return result;
}
