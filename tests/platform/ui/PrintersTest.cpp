#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <ui/Printers.h>

namespace {

// A printer of its own for each test, printing to a PDF file in a temporary folder.
class Printers : public ::testing::Test {
protected:
    void SetUp() override {
        FPrevious = SetPrinter(new TPrinter);
        Printer()->SetOutputFileName(FPdf);
    }
    void TearDown() override { delete SetPrinter(FPrevious); }

    // What pdfinfo tells about the file.
    QString Info() const {
        QProcess pdfinfo;
        pdfinfo.start(QStringLiteral("pdfinfo"), {FPdf});
        pdfinfo.waitForFinished();
        return QString::fromUtf8(pdfinfo.readAllStandardOutput());
    }
    int Pages() const {
        const auto match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(Info());
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    }
    // Page Page of the file rendered at 18 pixels per inch.
    QImage Render(int Page) const {
        const QString prefix = FDir.filePath(QStringLiteral("page"));
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("18"), QStringLiteral("-f"),
                           QString::number(Page), QStringLiteral("-l"), QString::number(Page),
                           QStringLiteral("-singlefile"), QStringLiteral("-png"), FPdf, prefix});
        return QImage(prefix + QStringLiteral(".png"));
    }

    QTemporaryDir FDir;
    const QString FPdf = FDir.filePath(QStringLiteral("out.pdf"));

private:
    TPrinter* FPrevious = nullptr;
};

TEST_F(Printers, PrintsPagesOfDrawingToAFile) {
    TPrinter* printer = Printer();
    printer->SetTitle(QStringLiteral("Two pages"));
    EXPECT_FALSE(printer->Printing());
    printer->BeginDoc();
    EXPECT_TRUE(printer->Printing());
    EXPECT_EQ(printer->PageNumber(), 1);
    TCanvas* canvas = printer->Canvas();
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(QRect(0, 0, printer->PageWidth() / 2, printer->PageHeight() / 2));
    printer->NewPage();
    EXPECT_EQ(printer->PageNumber(), 2);
    canvas->Font()->SetSize(12);
    canvas->TextOut(0, 0, QStringLiteral("Second page"));
    printer->EndDoc();
    EXPECT_FALSE(printer->Printing());
    EXPECT_FALSE(printer->Aborted());

    EXPECT_EQ(Pages(), 2);
    EXPECT_TRUE(Info().contains(QStringLiteral("Two pages"))) << "the title names the document";
    const QImage first = Render(1);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.width(), qRound(210 / 25.4 * 18)) << "A4 portrait";
    const QPoint paintOrigin = printer->PhysicalOffset() * 18 / printer->XDpi();
    EXPECT_LT(qGray(first.pixel(paintOrigin + QPoint(20, 20))), 64) << "the black quarter";
    EXPECT_GT(qGray(first.pixel(first.width() - 5, first.height() - 5)), 192);
}

TEST_F(Printers, MeasuresPagesInDevicePixels) {
    TPrinter* printer = Printer();
    EXPECT_EQ(printer->XDpi(), printer->YDpi());
    EXPECT_GE(printer->XDpi(), 300);
    const QSize paper = printer->PaperSizePixels();
    // Paper sizes are kept in whole points.
    const double point = printer->XDpi() / 72.0;
    EXPECT_NEAR(paper.width(), 210 / 25.4 * printer->XDpi(), point);
    EXPECT_LE(printer->PageWidth(), paper.width());
    EXPECT_GE(printer->PhysicalOffset().x(), 0);
    EXPECT_LE(printer->PageWidth() + printer->PhysicalOffset().x(), paper.width());

    printer->SetOrientation(poLandscape);
    EXPECT_EQ(printer->Orientation(), poLandscape);
    EXPECT_GT(printer->PageWidth(), printer->PageHeight());

    const QList<QPageSize> papers = printer->Papers();
    const auto a5 = std::find_if(papers.begin(), papers.end(), [](const QPageSize& Paper) {
        return Paper.id() == QPageSize::A5;
    });
    ASSERT_NE(a5, papers.end());
    EXPECT_EQ(a5->size(QPageSize::Millimeter), QSizeF(148, 210));
    printer->SetPaper(*a5);
    EXPECT_EQ(printer->Paper().id(), QPageSize::A5);
    EXPECT_NEAR(printer->PaperSizePixels().height(), 148 / 25.4 * printer->YDpi(), point);
    EXPECT_THROW(printer->SetPaper(QPageSize()), EPrinterError);
}

TEST_F(Printers, LandscapeAndCopiesReachTheDocument) {
    TPrinter* printer = Printer();
    printer->SetOrientation(poLandscape);
    printer->SetCopies(3);
    EXPECT_EQ(printer->Copies(), 3);
    EXPECT_EQ(printer->Handle()->copyCount(), 3);
    EXPECT_THROW(printer->SetCopies(0), EPrinterError);
    printer->BeginDoc();
    printer->Canvas()->TextOut(10, 10, QStringLiteral("Wide"));
    printer->EndDoc();
    EXPECT_EQ(Pages(), 1);
    const QImage page = Render(1);
    EXPECT_GT(page.width(), page.height());
}

TEST_F(Printers, RefusesWhatDoesNotFitItsState) {
    TPrinter* printer = Printer();
    EXPECT_THROW(printer->EndDoc(), EPrinterError);
    EXPECT_THROW(printer->NewPage(), EPrinterError);
    EXPECT_THROW(printer->Canvas()->TextOut(0, 0, QStringLiteral("x")), EPrinterError)
        << "no drawing outside a document";
    printer->BeginDoc();
    EXPECT_THROW(printer->BeginDoc(), EPrinterError);
    EXPECT_THROW(printer->SetOutputFileName(QString()), EPrinterError);
    printer->Abort();
    EXPECT_TRUE(printer->Aborted());
    EXPECT_FALSE(printer->Printing());
    EXPECT_FALSE(QFile::exists(FPdf)) << "an aborted document is discarded";
    EXPECT_THROW(printer->SetPrinterIndex(printer->Printers().size()), EPrinterError);

    printer->SetOutputFileName(FDir.filePath(QStringLiteral("missing/folder/out.pdf")));
    EXPECT_THROW(printer->BeginDoc(), EPrinterError);
    EXPECT_FALSE(printer->Printing());
}

TEST_F(Printers, WithoutPrinterOrFileThereIsNothingToPrintOn) {
    // A spooler that is not there hides the printers of this system and of the tests.
    const QByteArray server = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", "/nonexistent/kro/cups.sock");
    cupsSetServer(nullptr);
    TPrinter printer;
    const QString name = printer.PrinterName();
    const int index = printer.PrinterIndex();
    QString error;
    try {
        printer.BeginDoc();
    } catch (const EPrinterError& e) {
        error = e.Message();
    }
    qputenv("CUPS_SERVER", server);
    cupsSetServer(nullptr);
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(index, -1);
    EXPECT_EQ(error, QStringLiteral("There is no default printer currently selected"));
    EXPECT_FALSE(printer.Printing());
}

} // namespace
