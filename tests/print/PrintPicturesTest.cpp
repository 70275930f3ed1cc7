#include <PeopleDatabase.h>
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QProcess>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <print/DiPrint.h>
#include <print/KroPrint.h>
#include <rtl/Font.h>
#include <ui/ComCtrls.h>
#include <ui/Printers.h>
#include <ui/ScriptedResponder.h>

// Pictures of printing for review, written when KRO_PRINT_PICTURES names a directory
// (scripts/render-print.sh): the first page of a people table printed in graphics mode,
// and the pages of the print settings dialog.

namespace {

QString PictureDirectory() {
    return qEnvironmentVariable("KRO_PRINT_PICTURES");
}

QString PicturePath(const QString& Name) {
    return QDir(PictureDirectory()).filePath(Name);
}

// Prints the people of Table as a table: the headings once, then a line a person.
void PrintTable(TDataSet* Table, const QString& Fields, int Width) {
    bool first = true;
    for (Table->First(); !Table->Eof(); Table->Next()) {
        const QStringList lines = KroFormatRecord(Table, Fields, QString(), Width);
        for (qsizetype i = first ? 0 : 1; i < lines.size(); i += first ? 1 : 2) {
            KroPrinter()->Print(lines[i]);
            if (first && i == 0)
                KroPrinter()->PrintDashes(int(lines[i].size()));
        }
        first = false;
    }
}

} // namespace

TEST(PrintPictures, PeopleTableInGraphicsMode) {
    if (PictureDirectory().isEmpty())
        GTEST_SKIP() << "KRO_PRINT_PICTURES names no directory";
    ASSERT_TRUE(QDir().mkpath(PictureDirectory()));
    TPrinter* previous = SetPrinter(new TPrinter);
    const QString pdf = PicturePath(QStringLiteral("people.pdf"));
    Printer()->SetOutputFileName(pdf);

    TPeopleDatabase db(80);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    people->FieldByName(QStringLiteral("Id"))->SetDisplayWidth(5);
    people->FieldByName(QStringLiteral("Name"))->SetDisplayWidth(22);
    people->FieldByName(QStringLiteral("Country"))->SetDisplayWidth(8);

    TKroPrintSet set;
    set.Mode = pmGraphics;
    set.Title = QStringLiteral("People");
    set.NumberOnFirstPage = true;
    set.NumberAtTop = false;
    set.TextFont->SetSize(10);
    ASSERT_TRUE(KroPrinter()->BeginDoc(&set));
    PrintTable(people.get(), QStringLiteral("Id;Name;Country;Birth;Salary;Active"), 80);
    KroPrinter()->EndDoc();
    delete SetPrinter(previous);

    const QString prefix = PicturePath(QStringLiteral("people-page1"));
    EXPECT_EQ(
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-f"),
                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                           QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, prefix}),
        0);
    EXPECT_TRUE(QFile::exists(prefix + QStringLiteral(".png")));
}

TEST(PrintPictures, PrintSettingsDialog) {
    if (PictureDirectory().isEmpty())
        GTEST_SKIP() << "KRO_PRINT_PICTURES names no directory";
    ASSERT_TRUE(QDir().mkpath(PictureDirectory()));
    TPrinter* previous = SetPrinter(new TPrinter);
    Printer()->SetOutputFileName(PicturePath(QStringLiteral("dialog.pdf")));
    TScriptedResponder responder;
    responder.Answer([](TForm* Form) {
        auto* dialog = static_cast<TDialPrint*>(Form);
        QApplication::setActiveWindow(dialog->Widget());
        for (int i = 0; i < dialog->PageControl1->PageCount(); ++i) {
            dialog->PageControl1->SetActivePageIndex(i);
            QCoreApplication::processEvents();
            const QString path = PicturePath(QStringLiteral("print-dialog-%1.png").arg(i + 1));
            EXPECT_TRUE(dialog->Widget()->grab().save(path)) << path.toStdString();
        }
        dialog->SetModalResult(mrCancel);
    });
    TDialPrint dialog;
    TKroPrintSet set;
    set.Title = QStringLiteral("People");
    dialog.Execute(&set);
    delete SetPrinter(previous);
}
