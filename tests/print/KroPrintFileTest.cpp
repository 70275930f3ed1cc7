#include "PrintFixture.h"

#include <QFile>
#include <db/Field.h>
#include <db/Table.h>
#include <rtl/Strings.h>

namespace {

const QString CrLf = QStringLiteral("\r\n");

QString Lines(int Count) {
    return CrLf.repeated(Count);
}

// File mode on small pages: 60 × 30 mm with margins of 10 mm left, top and right and 5 mm
// at the bottom give columns 3 to 19 and lines 2 to 4 of 7 (6 lines an inch, 10
// characters an inch).
class FileMode : public PrintFixture {
protected:
    void SetUp() override {
        PrintFixture::SetUp();
        Set.Mode = pmFile;
        Set.FileName = Dir.filePath(QStringLiteral("out.txt"));
        Page(60, 30, 10, 10, 10, 5);
    }
    QString Output() const {
        QFile file(Set.FileName);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void PrintDocument(const QStringList& Lines) {
        ASSERT_TRUE(Engine->BeginDoc(&Set)) << Shown.join(';').toStdString();
        for (const QString& line : Lines)
            Engine->Print(line);
        Engine->EndDoc();
    }
};

TEST_F(FileMode, LaysOutMarginsInColumnsAndLines) {
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Engine->LeftEdge(), 3);
    EXPECT_EQ(Engine->RightEdge(), 19);
    EXPECT_EQ(Engine->TopLine(), 2);
    EXPECT_EQ(Engine->BottomLine(), 5);
    EXPECT_EQ(Engine->PageLength(), 7);
    Engine->EndDoc();

    Page(210, 297, 20, 20, 15, 20);
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Engine->LeftEdge(), 7);
    EXPECT_EQ(Engine->RightEdge(), 76);
    EXPECT_EQ(Engine->TopLine(), 4);
    EXPECT_EQ(Engine->BottomLine(), 65);
    EXPECT_EQ(Engine->PageLength(), 70) << "an A4 page of 6 lines an inch";
    Engine->EndDoc();
}

TEST_F(FileMode, NumbersTwoPagesAtTheTop) {
    PrintDocument({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                   QStringLiteral("a line longer than the page is wide, kept whole")});
    EXPECT_EQ(Output(), CrLf + QStringLiteral("a\r\nb\r\nc\r\n\f") +
                            QStringLiteral("        - 2 -\r\n") +
                            QStringLiteral("a line longer than the page is wide, kept whole\r\n\f"))
        << "page 1 unnumbered; the number of page 2 centred over columns 3 to 19";
}

TEST_F(FileMode, NumbersPagesAtTheBottomLeftAndRight) {
    Page(60, 60, 10, 10, 10, 20); // lines 2 to 8 of 14; the number on line 10
    Set.NumberAtTop = false;
    Set.NumberOnFirstPage = true;
    Set.NumberPosition = npLeft;
    Set.NumberFormat = QStringLiteral("Page #");
    Set.FirstPageNumber = 41;
    PrintDocument({QStringLiteral("one\ftwo")});
    EXPECT_EQ(Output(), CrLf + QStringLiteral("one\r\n") + Lines(7) +
                            QStringLiteral("  Page 41\r\n\f") + CrLf + QStringLiteral("two\r\n") +
                            Lines(7) + QStringLiteral("  Page 42\r\n\f"));

    Set.NumberPosition = npRight;
    Set.NumberFormat = QStringLiteral("No");
    PrintDocument({QStringLiteral("x")});
    EXPECT_TRUE(Output().endsWith(QStringLiteral("x\r\n") + Lines(7) + QString(13, ' ') +
                                  QStringLiteral("- 41 -\r\n\f")))
        << "ends at column 19; without \"#\" the number between hyphens";
}

TEST_F(FileMode, WithoutPagesPrintsOneContinuousText) {
    Set.WithoutPages = true;
    Set.NumberOnFirstPage = true;
    PrintDocument({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                   QStringLiteral("4"), QStringLiteral("5")});
    EXPECT_EQ(Output(), QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n"));
}

TEST_F(FileMode, SplitsTextAtLineBreaksAndFormFeeds) {
    Set.Numbering = false;
    PrintDocument({QStringLiteral("a\r\nb\n\rc\nd"), QStringLiteral("\fe")});
    EXPECT_EQ(Output(), CrLf + QStringLiteral("a\r\nb\r\nc\r\n\f") + CrLf +
                            QStringLiteral("d\r\n\f") + CrLf + QStringLiteral("e\r\n\f"));
}

TEST_F(FileMode, PrintsOnlyTheListedPagesAndStopsAfterTheLast) {
    Set.Numbering = false;
    Set.RangeKind = 1;
    Set.Pages = QStringLiteral("1,3,5-12");
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    for (int page = 1; page <= 15; ++page) {
        Engine->Print(QStringLiteral("page %1").arg(page));
        if (page < 15)
            Engine->NewPage();
    }
    EXPECT_FALSE(Engine->PageSelected()) << "page 15 is beyond the list";
    Engine->EndDoc();
    QStringList printed;
    for (const QString& page : Output().split('\f', Qt::SkipEmptyParts))
        printed << page.trimmed();
    EXPECT_EQ(printed, QStringList({"page 1", "page 3", "page 5", "page 6", "page 7", "page 8",
                                    "page 9", "page 10", "page 11", "page 12"}));
}

TEST_F(FileMode, APageListThatSelectsNothingPrintsNothing) {
    Set.RangeKind = 1;
    for (const char* pages : {"abc", "", "0", "3-4"}) {
        Set.FirstPageNumber = 5;
        Set.Pages = QString::fromLatin1(pages);
        Shown.clear();
        EXPECT_FALSE(Engine->BeginDoc(&Set)) << pages;
        EXPECT_EQ(Shown, QStringList{QStringLiteral("Nothing to print")}) << pages;
        EXPECT_FALSE(Engine->InDoc());
    }
    EXPECT_FALSE(QFile::exists(Set.FileName)) << "no file made for nothing";
}

TEST_F(FileMode, WritesPrinterDotWithoutAFileName) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    Set.FileName.clear();
    Set.Numbering = false;
    Set.WithoutPages = true;
    const bool begun = Engine->BeginDoc(&Set);
    if (begun) {
        Engine->Print(QStringLiteral("here"));
        Engine->EndDoc();
    }
    QDir::setCurrent(previous);
    ASSERT_TRUE(begun);
    QFile file(Dir.filePath(QStringLiteral("Printer.")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("here\r\n"));
}

TEST_F(FileMode, ReportsFilesItCannotWriteAndGoesOn) {
    Set.FileName = Dir.filePath(QStringLiteral("missing/folder/out.txt"));
    EXPECT_FALSE(Engine->BeginDoc(&Set));
    EXPECT_EQ(Shown, QStringList{QStringLiteral("Error opening document file")});
    EXPECT_FALSE(Engine->InDoc());

    Set.FileName = QStringLiteral("/dev/full");
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    Engine->Print(QStringLiteral("buffered"));
    EXPECT_EQ(ErrorOf([&] { Engine->EndDoc(); }), QStringLiteral("Error saving document"));
    EXPECT_FALSE(Engine->InDoc());

    ASSERT_TRUE(Engine->BeginDoc(&Set));
    EXPECT_EQ(ErrorOf([&] { Engine->Print(QString(1 << 20, 'x')); }),
              QStringLiteral("Error saving document"));
    EXPECT_FALSE(Engine->InDoc()) << "a failed write ends the document";

    Set.FileName = Dir.filePath(QStringLiteral("after.txt"));
    Set.WithoutPages = true;
    PrintDocument({QStringLiteral("fine")});
    EXPECT_EQ(Output(), QStringLiteral("fine\r\n"));
}

TEST_F(FileMode, RaisesForCallsOutsideADocument) {
    EXPECT_EQ(ErrorOf([&] { Engine->EndDoc(); }), QStringLiteral("EndDoc without BeginDoc"));
    EXPECT_EQ(ErrorOf([&] { Engine->Abort(); }), QStringLiteral("EndDoc without BeginDoc"));
    EXPECT_EQ(ErrorOf([&] { Engine->Print(QStringLiteral("x")); }),
              QStringLiteral("Print without BeginDoc"));
    TStringList lines;
    EXPECT_EQ(ErrorOf([&] { Engine->Print(&lines); }), QStringLiteral("Print without BeginDoc"));
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    EXPECT_EQ(ErrorOf([&] { Engine->BeginDoc(&Set); }), QStringLiteral("Double BeginDoc"));
    EXPECT_TRUE(Engine->InDoc()) << "the open document goes on";
    Engine->Abort();
    EXPECT_FALSE(Engine->InDoc());
}

TEST_F(FileMode, ChangingTheModeOrDestroyingEndsTheDocument) {
    Set.WithoutPages = true;
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    Engine->Print(QStringLiteral("first"));
    Engine->SetMode(pmText);
    EXPECT_FALSE(Engine->InDoc());
    EXPECT_EQ(Output(), QStringLiteral("first\r\n"));

    ASSERT_TRUE(Engine->BeginDoc(&Set));
    Engine->Print(QStringLiteral("second"));
    Engine.reset();
    EXPECT_EQ(Output(), QStringLiteral("second\r\n"));
}

TEST_F(FileMode, PrintsTheTitleAndStringListsAndDashes) {
    Set.Title = QStringLiteral("People\r\nof 2024");
    Set.WithoutPages = true;
    ASSERT_TRUE(Engine->BeginDoc(&Set));
    TStringList lines;
    lines.Add(QStringLiteral("Ann"));
    lines.Add(QStringLiteral("Bob"));
    Engine->PrintDashes(6);
    Engine->Print(&lines);
    Engine->EndDoc();
    EXPECT_EQ(Output(), QStringLiteral("People\r\nof 2024\r\n------\r\nAnn\r\nBob\r\n"));
}

TEST(KroPageList, SelectsNumbersAndRanges) {
    const TKroPageList list(QStringLiteral("1,3,5-12"));
    QList<int> selected;
    for (int page = 0; page <= 14; ++page)
        if (list.Contains(page))
            selected << page;
    EXPECT_EQ(selected, QList<int>({1, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(list.LastPage(), 12);

    const TKroPageList loose(QStringLiteral("  7 ; 2-3x20"));
    EXPECT_TRUE(loose.Contains(7));
    EXPECT_TRUE(loose.Contains(3));
    EXPECT_TRUE(loose.Contains(20));
    EXPECT_FALSE(loose.Contains(4));
    EXPECT_EQ(loose.LastPage(), 20);

    EXPECT_EQ(TKroPageList(QStringLiteral("1-2-3 -4 5-")).LastPage(), 0) << "malformed ranges";
    EXPECT_EQ(TKroPageList(QStringLiteral("99999999999")).LastPage(), 0) << "too large";
    EXPECT_EQ(TKroPageList(QStringLiteral("abc")).LastPage(), 0);
}

TEST(KroPageNumberText, ReplacesTheFirstHash) {
    EXPECT_EQ(KroPageNumberText(QStringLiteral("- # -"), 7), QStringLiteral("- 7 -"));
    EXPECT_EQ(KroPageNumberText(QStringLiteral("Page #/#"), 12), QStringLiteral("Page 12/#"));
    EXPECT_EQ(KroPageNumberText(QStringLiteral("Page"), 7), QStringLiteral("- 7 -"));
    EXPECT_EQ(KroPageNumberText(QString(), 7), QStringLiteral("- 7 -"));
}

} // namespace
