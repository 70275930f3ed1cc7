#include "PrintFixture.h"

#include <CupsTestServer.h>
#include <QLocale>
#include <QPrinter>
#include <cups/ipp.h>
#include <optional>

namespace {

const QByteArray Normal("\x1bP\x12");
const QByteArray Reset("\x1b@");

QByteArray Spacing(int Units) {
    return QByteArray("\x1b"
                      "3") +
           char(Units);
}

// Text mode to the queues of the test scheduler, on the small pages of the file-mode
// tests: 60 × 30 mm at 10 characters and 6 lines an inch, columns 3 to 19, lines 2 to 4.
class TextMode : public PrintFixture {
protected:
    void SetUp() override {
        PrintFixture::SetUp();
        SKIP_OR_FAIL_WITHOUT_CUPS();
        Printer()->SetOutputFileName(QString());
        ASSERT_TRUE(UseQueue(CupsTestQueue()));
        SetPrintableMargin(0);
        Set.Mode = pmText;
        Page(60, 30, 10, 10, 10, 5);
        Engine->SetOemCodePage(437);
    }
    void TearDown() override {
        SetCupsServer(FServer);
        PrintFixture::TearDown();
    }

    // Makes Queue the printer the user chose.
    static bool UseQueue(const QString& Queue) {
        const int index = Printer()->Printers().indexOf(Queue);
        if (index >= 0)
            Printer()->SetPrinterIndex(index);
        SetPrintableMargin(0);
        return index >= 0 && Printer()->PrinterName() == Queue &&
               Printer()->PhysicalOffset() == QPoint();
    }
    // A printer whose printable area starts Millimetres from the sheet's edges.
    static void SetPrintableMargin(double Millimetres) {
        const QMarginsF margins(Millimetres, Millimetres, Millimetres, Millimetres);
        Printer()->Handle()->setPageMargins(margins, QPageLayout::Millimeter);
    }
    // Prints Lines as one document and gives what the queue received.
    std::optional<QByteArray> PrintDocument(const QStringList& Lines) {
        if (!Engine->BeginDoc(&Set)) {
            ADD_FAILURE() << Shown.join(';').toStdString();
            return std::nullopt;
        }
        for (const QString& line : Lines)
            Engine->Print(line);
        Engine->EndDoc();
        return CupsJobOutput(Engine->JobId());
    }

    const QByteArray FServer = qgetenv("CUPS_SERVER");
};

TEST_F(TextMode, SendsTwoPagesNumberedAtTheTopInEscPAndTheOemCodePage) {
    const auto bytes =
        PrintDocument({QStringLiteral("a"), QStringLiteral("Gr\u00fc\u00dfe"), QStringLiteral("c"),
                       QStringLiteral("a line longer than the page is wide")});
    EXPECT_EQ(bytes, Normal + Spacing(36) + "\r\n" + "  a\r\n" +
                         "  Gr\x81\xe1"
                         "e\r\n" +
                         "  c\r\n" + "\f" + "        - 2 -\r\n" + "  a line longer tha\r\n" + "\f" +
                         Reset)
        << "text from column 3 cut at column 19; the number of page 2 centred over them";
}

TEST_F(TextMode, NumbersAtTheBottomInTheCyrillicCodePage) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    TKroPrinter russian;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(russian.OemCodePage(), 866);
    Engine->SetOemCodePage(russian.OemCodePage());

    Page(60, 60, 10, 10, 10, 20); // lines 2 to 8 of 14; the number on line 10
    Set.NumberAtTop = false;
    Set.NumberOnFirstPage = true;
    Set.NumberPosition = npRight;
    Set.Pitch = ptDefault;
    const auto bytes = PrintDocument({QStringLiteral("\u0416\u0443\u043a \u00fc\fend")});
    const QByteArray blanks(7, '\n');
    EXPECT_EQ(bytes, Spacing(36) + "\r\n" + "  \x86\xe3\xaa ?\r\n" +
                         QByteArray("\r\n").repeated(7) + "              - 1 -\r\n\f" + "\r\n" +
                         "  end\r\n" + QByteArray("\r\n").repeated(7) +
                         "              - 2 -\r\n\f" + Reset)
        << "no pitch codes for the default pitch; what the code page lacks becomes \"?\"";
}

TEST_F(TextMode, PitchAndIntervalSetTheControlCodesAndTheLayout) {
    Set.Pitch = ptCondensedElite;
    Set.Interval = 2;
    Set.Numbering = false;
    Page(420, 297, 0, 0, 0, 0);
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Engine->RightEdge(), 330) << "20 characters an inch";
    EXPECT_EQ(Engine->PageLength(), 35) << "3 lines an inch";
    Engine->Print(QString(300, 'x'));
    Engine->EndDoc();
    EXPECT_EQ(CupsJobOutput(Engine->JobId()),
              QByteArray("\x1bM\x0f") + Spacing(72) + QByteArray(255, 'x') + "\r\n\f" + Reset)
        << "a line cut at 255 characters";

    Set.Pitch = ptElite;
    Set.Interval = 100;
    Set.WithoutPages = true;
    EXPECT_EQ(PrintDocument({QStringLiteral("e")}),
              QByteArray("\x1bM\x12") + Spacing(255) + "e\r\n" + Reset)
        << "the spacing held to what one byte takes";
    Set.Pitch = ptCondensed;
    Set.Interval = 0;
    EXPECT_EQ(PrintDocument({QStringLiteral("c")}),
              QByteArray("\x1bP\x0f") + Spacing(1) + "c\r\n" + Reset);
}

TEST_F(TextMode, ThePrintableAreaOfThePrinterShiftsTheLayout) {
    SetPrintableMargin(5); // a column and a line at 10 characters and 6 lines an inch
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Engine->LeftEdge(), 2);
    EXPECT_EQ(Engine->RightEdge(), 18);
    EXPECT_EQ(Engine->TopLine(), 1);
    EXPECT_EQ(Engine->BottomLine(), 4);
    EXPECT_EQ(Engine->PageLength(), 6);
    Engine->Print(QStringLiteral("x"));
    Engine->EndDoc();
    EXPECT_EQ(CupsJobOutput(Engine->JobId()), Normal + Spacing(36) + " x\r\n\f" + Reset)
        << "no line above the top line";
}

TEST_F(TextMode, PrintsOnlyTheSelectedPages) {
    Set.RangeKind = 1;
    Set.Pages = QStringLiteral("2");
    Set.Numbering = false;
    EXPECT_EQ(PrintDocument({QStringLiteral("one\ftwo\fthree")}),
              Normal + Spacing(36) + "\r\n  two\r\n\f" + Reset);

    Set.FirstPageNumber = 3;
    Shown.clear();
    EXPECT_FALSE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Shown, QStringList{QStringLiteral("Nothing to print")});
    EXPECT_EQ(CupsActiveJobs(CupsTestQueue()), 0);
}

TEST_F(TextMode, WithoutAPrintSetPrintsWithTheDefaults) {
    Engine->SetMode(pmText);
    ASSERT_TRUE(Engine->BeginDoc());
    EXPECT_EQ(Engine->LeftEdge(), 3) << "10 mm margins";
    EXPECT_EQ(Engine->TopLine(), 2);
    Engine->Print(QStringLiteral("plain"));
    Engine->EndDoc();
    const auto bytes = CupsJobOutput(Engine->JobId());
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->startsWith(Normal + Spacing(36) + "\r\n  plain\r\n"))
        << bytes->toStdString();
    EXPECT_TRUE(bytes->endsWith("\f" + Reset));
}

TEST_F(TextMode, AbortingCancelsTheJob) {
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    Engine->Print(QStringLiteral("half"));
    Engine->Abort();
    EXPECT_FALSE(Engine->InDoc());
    EXPECT_EQ(CupsJobState(Engine->JobId()), IPP_JSTATE_CANCELED);
}

TEST_F(TextMode, ReportsPrintersItCannotReachOrThatRefuseTheJob) {
    SetCupsServer("/nonexistent/kro/cups.sock");
    EXPECT_FALSE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Shown, QStringList{QStringLiteral("Error connecting to printer")});
    EXPECT_FALSE(Engine->InDoc());
    SetCupsServer(FServer);

    ASSERT_TRUE(UseQueue(CupsRefusingQueue()));
    Shown.clear();
    EXPECT_FALSE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Shown, QStringList{QStringLiteral("Error opening document print")});
    EXPECT_FALSE(Engine->InDoc());
    EXPECT_EQ(CupsActiveJobs(CupsRefusingQueue()), 0);
}

TEST_F(TextMode, AQueueThatGoesInTheMiddleEndsTheDocumentAndTheNextOnePrints) {
    const QString queue = QStringLiteral("kro-text-vanishing");
    ASSERT_TRUE(AddCupsQueue(queue));
    ASSERT_TRUE(UseQueue(queue));
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    Engine->Print(QStringLiteral("first"));
    const int orphan = Engine->JobId();
    ASSERT_TRUE(DeleteCupsQueue(queue));
    const QString error = ErrorOf([&] {
        Engine->Print(QStringLiteral("second"));
        Engine->EndDoc();
    });
    EXPECT_TRUE(error == QStringLiteral("Error printing document") ||
                error == QStringLiteral("Error closing document"))
        << error.toStdString();
    EXPECT_FALSE(Engine->InDoc());
    const int state = CupsJobState(orphan);
    EXPECT_TRUE(state == 0 || state == IPP_JSTATE_CANCELED || state == IPP_JSTATE_ABORTED)
        << "state " << state;

    ASSERT_TRUE(UseQueue(CupsTestQueue()));
    Set.WithoutPages = true;
    EXPECT_EQ(PrintDocument({QStringLiteral("again")}),
              Normal + Spacing(36) + "  again\r\n" + Reset);
}

} // namespace
