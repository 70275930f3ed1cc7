#include "PrintFixture.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <rtl/Font.h>

namespace {

// Graphics mode printing to the PDF file of the platform printer, read back with poppler.
class GraphicsMode : public PrintFixture {
protected:
    void SetUp() override {
        PrintFixture::SetUp();
        Set.Mode = pmGraphics;
    }
    QString Run(const QString& Program, const QStringList& Arguments) const {
        QProcess process;
        process.start(Program, Arguments);
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    // The text of each page, lines trimmed, empty lines left out.
    QList<QStringList> PageTexts() const {
        QList<QStringList> pages;
        for (const QString& page :
             Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), Pdf, QStringLiteral("-")})
                 .split(QLatin1Char('\f'), Qt::SkipEmptyParts)) {
            QStringList lines;
            for (const QString& line : page.split(QLatin1Char('\n')))
                if (!line.trimmed().isEmpty())
                    lines << line.trimmed();
            if (!lines.isEmpty())
                pages << lines;
        }
        return pages;
    }
    QString Info() const { return Run(QStringLiteral("pdfinfo"), {Pdf}); }
    QString Fonts() const { return Run(QStringLiteral("pdffonts"), {Pdf}); }
    // Prints Count numbered lines after the title.
    void PrintDocument(int Count) {
        ASSERT_TRUE(Engine->BeginDoc(&Set)) << Shown.join(';').toStdString();
        for (int i = 1; i <= Count; ++i)
            Engine->Print(QStringLiteral("Line %1").arg(i));
        Engine->EndDoc();
    }
};

TEST_F(GraphicsMode, DrawsTitleTextAndNumbersOnPages) {
    Page(210, 100, 20, 20, 15, 20); // about 60 mm of text: 13 lines of Courier New 12
    Set.Title = QStringLiteral("People");
    Set.NumberPosition = npRight;
    PrintDocument(20);
    const QList<QStringList> pages = PageTexts();
    ASSERT_EQ(pages.size(), 2) << Info().toStdString();
    EXPECT_EQ(pages[0].first(), QStringLiteral("People"));
    EXPECT_EQ(pages[0].at(1), QStringLiteral("Line 1"));
    EXPECT_FALSE(pages[0].join(' ').contains(QStringLiteral("- 1 -")))
        << "the first page unnumbered";
    EXPECT_EQ(QString(pages[1].first()).remove(QLatin1Char(' ')), QStringLiteral("-2-"))
        << "the number above the text";
    EXPECT_EQ(pages[1].last(), QStringLiteral("Line 20"));
    const qsizetype onFirst = pages[0].size() - 1;
    EXPECT_EQ(pages[1].at(1), QStringLiteral("Line %1").arg(onFirst + 1)) << "no line lost";
    EXPECT_GT(onFirst, 8);
    EXPECT_LT(onFirst, 16);

    const QString fonts = Fonts();
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans-BoldItalic"))) << fonts.toStdString();
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationMono"))) << fonts.toStdString();
    EXPECT_TRUE(Info().contains(QStringLiteral("People"))) << "the title names the document";
}

TEST_F(GraphicsMode, NumbersAtTheBottomAndSpacesByTheInterval) {
    Page(210, 100, 20, 20, 15, 20);
    Set.NumberAtTop = false;
    Set.NumberOnFirstPage = true;
    Set.NumberFormat = QStringLiteral("Page #");
    Set.FirstPageNumber = 7;
    Set.Interval = 2;
    PrintDocument(10);
    const QList<QStringList> pages = PageTexts();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0].last(), QStringLiteral("Page 7"));
    EXPECT_EQ(pages[1].last(), QStringLiteral("Page 8"));
    EXPECT_EQ(pages[0].size() - 1 + pages[1].size() - 1, 10);
    EXPECT_LT(pages[0].size(), 9) << "double spacing halves the lines of a page";
}

TEST_F(GraphicsMode, MeasuresMarginsInPixelsOfThePrinter) {
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    const QPoint offset = Printer()->PhysicalOffset();
    const double perMm = Printer()->XDpi() / 25.4;
    EXPECT_NEAR(Engine->LeftEdge() + offset.x(), 20 * perMm, 1);
    EXPECT_NEAR(Engine->RightEdge() + offset.x(), 195 * perMm, 1);
    EXPECT_NEAR(Engine->TopLine() + offset.y(), 20 * perMm, 1);
    EXPECT_NEAR(Engine->PageLength() + offset.y(), 297 * perMm, 1);
    Engine->EndDoc();
}

TEST_F(GraphicsMode, PrintsTheSelectedPagesInTheChosenOrientation) {
    Set.Portrait = false;
    Page(297, 210, 20, 20, 15, 20);
    Set.Numbering = false;
    Set.RangeKind = 1;
    Set.Pages = QStringLiteral("2-3");
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    for (const char* text : {"first", "second", "third", "fourth"}) {
        Engine->Print(QString::fromLatin1(text));
        Engine->NewPage();
    }
    Engine->EndDoc();
    const QList<QStringList> pages = PageTexts();
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[0], QStringList{QStringLiteral("second")});
    EXPECT_EQ(pages[1], QStringList{QStringLiteral("third")});
    EXPECT_TRUE(Info().contains(QRegularExpression(QStringLiteral("Page size:\\s+842 x 595"))))
        << Info().toStdString();
}

TEST_F(GraphicsMode, WithoutAPrintSetPrintsCourierNewUnderItsOwnName) {
    Engine->SetMode(pmGraphics);
    ASSERT_TRUE(Engine->BeginDoc());
    Engine->Print(QStringLiteral("plain"));
    Engine->EndDoc();
    EXPECT_EQ(PageTexts(), QList<QStringList>{QStringList{QStringLiteral("plain")}});
    EXPECT_TRUE(Info().contains(QStringLiteral("KroPrint")));
    EXPECT_TRUE(Fonts().contains(QStringLiteral("LiberationMono")));
}

TEST_F(GraphicsMode, AbortingDiscardsTheDocumentAndFailuresLeaveNothingOpen) {
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    Engine->Print(QStringLiteral("gone"));
    Engine->Abort();
    EXPECT_FALSE(Engine->InDoc());
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_FALSE(QFile::exists(Pdf));

    Printer()->SetOutputFileName(Dir.filePath(QStringLiteral("missing/out.pdf")));
    EXPECT_FALSE(Engine->BeginDoc(&Set));
    ASSERT_EQ(Shown.size(), 1);
    EXPECT_TRUE(Shown[0].startsWith(QStringLiteral("Cannot start printing on")))
        << Shown[0].toStdString();
    EXPECT_FALSE(Engine->InDoc());
    EXPECT_FALSE(Printer()->Printing());

    Printer()->SetOutputFileName(Pdf);
    PrintDocument(1);
    EXPECT_EQ(PageTexts(), QList<QStringList>{QStringList{QStringLiteral("Line 1")}});
}

} // namespace
