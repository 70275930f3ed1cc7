#include "CupsTestServer.h"
#include "PdfFile.h"
#include "TestForms.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/Printers.h>
#include <ui/RichEdit.h>
#include <ui/RtfReader.h>

namespace {

// A shown form with a rich edit holding Text.
class RichEdit : public ::testing::Test {
protected:
    void SetUp() override {
        Edit = new TRichEdit(&Form);
        Edit->SetParent(&Form);
        Edit->SetText(QStringLiteral("Hello world"));
        Form.Show();
    }

    void Select(int Start, int Length) {
        Edit->SetSelStart(Start);
        Edit->SetSelLength(Length);
    }

    QTextCharFormat FormatAt(int Position) const {
        QTextCursor cursor(Edit->Document());
        cursor.setPosition(Position + 1);
        return cursor.charFormat();
    }

    // Saves the text as rich text and loads it into a new rich edit.
    std::unique_ptr<TRichEdit> Reloaded() const {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        Edit->SaveToStream(&buffer);
        buffer.seek(0);
        auto copy = std::make_unique<TRichEdit>();
        copy->LoadFromStream(&buffer);
        return copy;
    }

    TForm Form;
    TRichEdit* Edit = nullptr;
};

TNotifyEvent Counter(int& Count) {
    return TNotifyEvent([&Count](TObject*) { ++Count; });
}

} // namespace

TEST_F(RichEdit, SelectionAttributesFormatTheSelection) {
    Select(6, 5);
    EXPECT_EQ(Edit->SelText(), QStringLiteral("world"));
    TTextAttributes* attributes = Edit->SelAttributes();
    attributes->SetStyle({fsBold, fsUnderline});
    attributes->SetColor(clRed);
    attributes->SetSize(14);
    attributes->SetName(QStringLiteral("Courier New"));

    EXPECT_EQ(attributes->Style(), TFontStyles({fsBold, fsUnderline}));
    EXPECT_EQ(attributes->Color(), clRed);
    EXPECT_EQ(attributes->Size(), 14);
    EXPECT_EQ(attributes->Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(FormatAt(10).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatAt(10).foreground().color(), QColor(Qt::red));

    // The text before keeps the control's font.
    Select(0, 5);
    EXPECT_EQ(attributes->Style(), TFontStyles());
    EXPECT_EQ(attributes->Size(), Edit->Font()->Size());
    EXPECT_EQ(attributes->Name(), Edit->Font()->Name());
    EXPECT_EQ(attributes->Color(), Edit->Font()->Color());

    // Formatting survives rich text.
    const auto copy = Reloaded();
    copy->SetSelStart(6);
    copy->SetSelLength(5);
    EXPECT_EQ(copy->SelAttributes()->Style(), TFontStyles({fsBold, fsUnderline}));
    EXPECT_EQ(copy->SelAttributes()->Color(), clRed);
    EXPECT_EQ(copy->SelAttributes()->Size(), 14);
    EXPECT_EQ(copy->SelAttributes()->Name(), QStringLiteral("Courier New"));
}

TEST_F(RichEdit, AttributesAssignToAndFromFonts) {
    TFont font;
    font.SetName(QStringLiteral("Times New Roman"));
    font.SetSize(18);
    font.SetStyle({fsItalic, fsStrikeOut});
    font.SetColor(clBlue);
    Select(0, 5);
    Edit->SelAttributes()->Assign(&font);

    TFont back;
    back.Assign(Edit->SelAttributes());
    EXPECT_EQ(back.Name(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(back.Size(), 18);
    EXPECT_EQ(back.Style(), TFontStyles({fsItalic, fsStrikeOut}));
    EXPECT_EQ(back.Color(), clBlue);

    // The default attributes are the control's font, which is the document's.
    Edit->DefAttributes()->Assign(Edit->SelAttributes());
    EXPECT_EQ(Edit->Font()->Name(), QStringLiteral("Times New Roman"));
    EXPECT_EQ(Edit->Font()->Style(), TFontStyles({fsItalic, fsStrikeOut}));
    EXPECT_EQ(Edit->Document()->defaultFont().pixelSize(), 24);
    Edit->DefAttributes()->SetSize(9);
    EXPECT_EQ(Edit->Font()->Size(), 9);
}

TEST_F(RichEdit, TypingContinuesWithTheAttributesSet) {
    auto* widget = qobject_cast<QTextEdit*>(Edit->Widget());
    ASSERT_TRUE(widget);
    Edit->SetSelStart(11);
    Edit->SelAttributes()->SetStyle({fsItalic});
    QTest::keyClicks(widget, QStringLiteral("!!"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("Hello world!!"));
    EXPECT_TRUE(FormatAt(12).fontItalic());
    EXPECT_FALSE(FormatAt(10).fontItalic());
}

TEST_F(RichEdit, ParagraphAttributes) {
    Edit->SetText(QStringLiteral("one\ntwo\nthree"));
    Select(0, 5); // the first two paragraphs
    TParaAttributes* paragraph = Edit->Paragraph();
    paragraph->SetAlignment(taCenter);
    paragraph->SetFirstIndent(30);
    paragraph->SetLeftIndent(-12);
    paragraph->SetRightIndent(6);
    EXPECT_EQ(paragraph->Alignment(), taCenter);
    EXPECT_EQ(paragraph->FirstIndent(), 30);
    EXPECT_EQ(paragraph->LeftIndent(), -12);
    EXPECT_EQ(paragraph->RightIndent(), 6);
    const QTextBlockFormat second = Edit->Document()->findBlockByNumber(1).blockFormat();
    EXPECT_EQ(second.leftMargin(), 24) << "18 points";
    EXPECT_EQ(second.textIndent(), 16) << "12 points further right";
    EXPECT_EQ(Edit->Document()->lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);

    paragraph->SetNumbering(nsBullet);
    EXPECT_EQ(paragraph->Numbering(), nsBullet);
    const QTextList* list = Edit->Document()->begin().textList();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(paragraph->FirstIndent(), 30) << "a bullet keeps the indents";

    const auto copy = Reloaded();
    copy->SetSelStart(4);
    EXPECT_EQ(copy->Paragraph()->Alignment(), taCenter);
    EXPECT_EQ(copy->Paragraph()->FirstIndent(), 30);
    EXPECT_EQ(copy->Paragraph()->LeftIndent(), -12);
    EXPECT_EQ(copy->Paragraph()->RightIndent(), 6);
    EXPECT_EQ(copy->Paragraph()->Numbering(), nsBullet);
    copy->SetSelStart(9);
    EXPECT_EQ(copy->Paragraph()->Numbering(), nsNone);

    Select(4, 0);
    paragraph->SetNumbering(nsNone);
    EXPECT_EQ(paragraph->Numbering(), nsNone);
    EXPECT_EQ(list->count(), 1);

    // A paragraph at the margin that gets a bullet is indented so the bullet shows.
    Select(9, 0);
    paragraph->SetNumbering(nsBullet);
    EXPECT_GT(paragraph->FirstIndent(), 0);
}

TEST_F(RichEdit, FindTextHonoursRangeAndOptions) {
    Edit->SetText(QStringLiteral("The cat scattered cats. CAT"));
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 0, -1, {}), 4);
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 5, -1, {}), 9);
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 5, -1, {stWholeWord}), 24);
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 5, -1, {stWholeWord, stMatchCase}), -1);
    EXPECT_EQ(Edit->FindText(QStringLiteral("CAT"), 0, -1, {stMatchCase}), 24);
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 0, 6, {}), -1) << "past the range";
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 0, 7, {}), 4);
    EXPECT_EQ(Edit->FindText(QStringLiteral("cat"), 100, -1, {}), -1);
    EXPECT_EQ(Edit->FindText(QString(), 0, -1, {}), -1);
}

TEST_F(RichEdit, LinesAreTheParagraphs) {
    TStrings* lines = Edit->Lines();
    ASSERT_EQ(lines->Count(), 1);
    lines->Add(QStringLiteral("second"));
    lines->Insert(0, QStringLiteral("first"));
    lines->SetStrings(1, QStringLiteral("Hello"));
    EXPECT_EQ(lines->ToStringList(), QStringList({QStringLiteral("first"), QStringLiteral("Hello"),
                                                  QStringLiteral("second")}));
    EXPECT_EQ(Edit->Text(), QStringLiteral("first\nHello\nsecond"));
    lines->Delete(2);
    lines->Delete(0);
    EXPECT_EQ(Edit->Text(), QStringLiteral("Hello"));
    lines->Delete(0);
    EXPECT_EQ(lines->Count(), 0);
    EXPECT_THROW(lines->Strings(0), EListError);
    lines->SetText(QStringLiteral("a\nb\n"));
    EXPECT_EQ(lines->Count(), 2);
}

TEST_F(RichEdit, EventsModifiedAndEditing) {
    int changes = 0;
    int selections = 0;
    Edit->SetOnChange(Counter(changes));
    Edit->SetOnSelectionChange(Counter(selections));
    Edit->SetModified(false);

    Select(0, 5);
    EXPECT_GE(selections, 1);
    const int selectionsBefore = selections;
    Edit->SetSelText(QStringLiteral("Goodbye"));
    EXPECT_EQ(Edit->Text(), QStringLiteral("Goodbye world"));
    EXPECT_GE(changes, 1);
    EXPECT_GT(selections, selectionsBefore);
    EXPECT_TRUE(Edit->Modified());

    ASSERT_TRUE(Edit->CanUndo());
    Edit->Undo();
    EXPECT_EQ(Edit->Text(), QStringLiteral("Hello world"));

    Select(6, 5);
    Edit->CopyToClipboard();
    Edit->SetSelStart(0);
    Edit->PasteFromClipboard();
    EXPECT_EQ(Edit->Text(), QStringLiteral("worldHello world"));
    Edit->SelectAll();
    EXPECT_EQ(Edit->SelLength(), 16);
    Edit->CutToClipboard();
    EXPECT_TRUE(Edit->Text().isEmpty());

    Edit->SetReadOnly(true);
    QTest::keyClicks(Edit->Widget(), QStringLiteral("x"));
    EXPECT_TRUE(Edit->Text().isEmpty());
    changes = 0;
    Edit->SetText(QStringLiteral("a"));
    Edit->Clear();
    EXPECT_EQ(changes, 2);
}

TEST_F(RichEdit, StreamsHoldRichOrPlainText) {
    Select(0, 5);
    Edit->SelAttributes()->SetStyle({fsBold});
    QBuffer rich;
    rich.open(QIODevice::ReadWrite);
    Edit->SaveToStream(&rich);
    EXPECT_TRUE(IsRtf(rich.data()));

    Edit->SetPlainText(true);
    EXPECT_FALSE(qobject_cast<QTextEdit*>(Edit->Widget())->acceptRichText());
    QBuffer plain;
    plain.open(QIODevice::ReadWrite);
    Edit->SaveToStream(&plain);
    EXPECT_EQ(plain.data(), QByteArray("Hello world"));

    // A plain text edit reads rich text as the characters it is made of.
    rich.seek(0);
    Edit->LoadFromStream(&rich);
    EXPECT_TRUE(Edit->Text().startsWith(QLatin1String("{\\rtf1")));
    EXPECT_FALSE(Edit->Modified());

    Edit->SetPlainText(false);
    rich.seek(0);
    int changes = 0;
    Edit->SetOnChange(Counter(changes));
    Edit->LoadFromStream(&rich);
    EXPECT_EQ(Edit->Text(), QStringLiteral("Hello world"));
    EXPECT_EQ(changes, 1);
    Select(0, 1);
    EXPECT_EQ(Edit->SelAttributes()->Style(), TFontStyles({fsBold}));

    QBuffer closed;
    EXPECT_THROW(Edit->LoadFromStream(&closed), EInOutError);
    EXPECT_THROW(Edit->SaveToStream(&closed), EInOutError);
}

// The application's printer replaced by a new one for the test's life.
class OwnPrinter {
public:
    OwnPrinter() : FPrevious(SetPrinter(new TPrinter)) {}
    ~OwnPrinter() { delete SetPrinter(FPrevious); }

private:
    TPrinter* FPrevious;
};

TEST_F(RichEdit, PrintsThroughTheApplicationsPrinter) {
    QTemporaryDir dir;
    OwnPrinter own;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    Printer()->SetOutputFileName(pdf);
    QStringList lines;
    for (int i = 1; i <= 120; ++i)
        lines << QStringLiteral("Line %1 of the notes").arg(i);
    Edit->SetText(lines.join('\n'));

    Edit->Print(QStringLiteral("Notes"));

    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("Notes"));
    EXPECT_GE(PdfPages(pdf), 2) << "120 lines take more than one page";
    const QString first = PdfText(pdf, 1);
    EXPECT_TRUE(first.contains(QStringLiteral("Line 1 of the notes")));
    EXPECT_FALSE(first.contains(QStringLiteral("Line 120 of")));
    const QString all = PdfText(pdf);
    for (const QString& line : lines)
        EXPECT_EQ(all.count(line + QLatin1Char('\n')), 1)
            << "each line printed once: " << line.toStdString();
}

TEST_F(RichEdit, PrintingWithoutAPrinterRaisesThePrintersError) {
    // A spooler that is not there hides the printers of this system and of the tests.
    const QByteArray server = qgetenv("CUPS_SERVER");
    SetCupsServer("/nonexistent/kro/cups.sock");
    QString error;
    {
        OwnPrinter own;
        try {
            Edit->Print(QStringLiteral("Notes"));
        } catch (const EPrinterError& e) {
            error = e.Message();
        }
        EXPECT_FALSE(Printer()->Printing());
    }
    SetCupsServer(server);
    EXPECT_EQ(error, QStringLiteral("There is no default printer currently selected"));
}

TEST(RichEditForm, LoadsFromAFormFile) {
    RegisterTestClasses();
    const QString text = QStringLiteral("object Notes: TRichEdit\n"
                                        "  Left = 8\n"
                                        "  WordWrap = False\n"
                                        "  ScrollBars = ssVertical\n"
                                        "  Lines.Strings = (\n"
                                        "    'first'\n"
                                        "    'second')\n"
                                        "end\n");
    std::unique_ptr<TComponent> component(ReadComponentFromText(text, QStringLiteral("rich.form")));
    auto* edit = qobject_cast<TRichEdit*>(component.get());
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->Text(), QStringLiteral("first\nsecond"));
    EXPECT_FALSE(edit->WordWrap());
    EXPECT_EQ(edit->ScrollBars(), ssVertical);
    EXPECT_TRUE(WriteComponentToText(edit).contains(QLatin1String("'second'")));
}
