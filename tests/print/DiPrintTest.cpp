#include <QApplication>
#include <QComboBox>
#include <QPageSize>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <print/DiPrint.h>
#include <print/KroPrint.h>
#include <rtl/Font.h>
#include <ui/Buttons.h>
#include <ui/ComCtrls.h>
#include <ui/ExtCtrls.h>
#include <ui/Printers.h>
#include <ui/ScriptedResponder.h>
#include <ui/Spin.h>
#include <ui/StdCtrls.h>

namespace {

void Click(QWidget* Widget) {
    QTest::mouseClick(Widget, Qt::LeftButton);
}

void Click(TControl* Control) {
    Click(Control->Widget());
}

// Replaces the text of Edit as typing does.
void Type(TWinControl* Edit, const QString& Text) {
    QTest::keyClick(Edit->Widget(), Qt::Key_End);
    for (qsizetype i = Edit->Text().size(); i > 0; --i)
        QTest::keyClick(Edit->Widget(), Qt::Key_Backspace);
    QTest::keyClicks(Edit->Widget(), Text);
}

// Clicks the circle of the group's button Index.
void ChooseItem(TRadioGroup* Group, int Index) {
    QTest::mouseClick(Group->Buttons(Index)->Widget(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(6, 8));
}

// Moves the choice of a drop-down list Steps items down (up when negative) with keys.
void StepCombo(TComboBox* Combo, int Steps) {
    for (int i = 0; i < qAbs(Steps); ++i)
        QTest::keyClick(Combo->Widget(), Steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

// The dialog on a set of its own, the platform printer printing to a PDF file, so that
// its papers are the standard ones from A3 to Tabloid.
class PrintDialog : public ::testing::Test {
protected:
    PrintDialog() { Printer()->SetOutputFileName(QStringLiteral("/tmp/kro-dialog.pdf")); }
    ~PrintDialog() override { delete SetPrinter(FPrevious); }

    // Shows the dialog, runs Action on it as the user, then presses Button; Nested
    // answers the dialogs Action opens.
    bool Run(const std::function<void(TDialPrint&)>& Action, TBitBtn* TDialPrint::*Button,
             const std::function<void()>& Nested = {}) {
        Responder.Answer([&](TForm* Form) {
            auto* dialog = static_cast<TDialPrint*>(Form);
            QApplication::setActiveWindow(dialog->Widget());
            Action(*dialog);
            Click(dialog->*Button);
        });
        if (Nested)
            Nested();
        return Dialog.Execute(&Set);
    }
    QString PaperName() const { return Dialog.ComboBoxPapers->Text(); }
    int PaperWidth() const { return Dialog.SpinEditPageWidth->Value(); }
    int PaperHeight() const { return Dialog.SpinEditPageHeight->Value(); }

    TPrinter* FPrevious = SetPrinter(new TPrinter);
    TScriptedResponder Responder;
    TKroPrintSet Set;
    TDialPrint Dialog;
};

TEST_F(PrintDialog, ShowsTheSetOnFourPagesWithTheirCaptions) {
    Set.Title = QStringLiteral("People");
    Set.Mode = pmText;
    Set.RangeKind = 1;
    Set.Pages = QStringLiteral("2-4");
    Set.NumberPosition = npRight;
    Set.Interval = 1.5;
    Set.Pitch = ptElite;
    QStringList pages;
    ASSERT_FALSE(Run(
        [&](TDialPrint& D) {
            for (int i = 0; i < D.PageControl1->PageCount(); ++i)
                pages << D.PageControl1->Pages(i)->Caption();
            EXPECT_EQ(D.Caption(), QStringLiteral("Print setup"));
            EXPECT_EQ(D.MemoTitle->Text(), QStringLiteral("People"));
            EXPECT_EQ(D.RadioGroupMode->ItemIndex(), 0);
            EXPECT_TRUE(D.RadioButtonPages->Checked()) << "the range kind wins over the edit";
            EXPECT_EQ(D.EditPages->Text(), QStringLiteral("2-4"));
            EXPECT_EQ(D.ComboBoxV->Text(), QStringLiteral("Top"));
            EXPECT_EQ(D.ComboBoxH->Text(), QStringLiteral("Right"));
            EXPECT_EQ(D.RadioGroupText->ItemIndex(), 2);
            EXPECT_EQ(D.EditInterval->Text(), QStringLiteral("1.5"));
            EXPECT_EQ(D.EditNumFormat->Text(), QStringLiteral("- # -"));
            EXPECT_EQ(D.LabelTitleFont->Caption(), QStringLiteral("Arial, 14, Bold, Italic"));
            EXPECT_EQ(D.LabelTextFont->Caption(), QStringLiteral("Courier New, 12"));
            EXPECT_EQ(D.LabelPrinter->Caption(), Printer()->PrinterName());
            EXPECT_EQ(D.CheckBoxWOPages->Caption(),
                      QStringLiteral("Without pages (text and file mode only)"));
            EXPECT_EQ(D.LabelExamplePages->Caption(), QStringLiteral("For example 1,3,5-12"));
        },
        &TDialPrint::CancelBtn));
    EXPECT_EQ(pages, QStringList({"Common", "Page Setup", "Numbering", "Text"}));
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown()[0].Caption, QStringLiteral("Print setup"));
}

TEST_F(PrintDialog, OkWritesEveryControlBackAndCancelNothing) {
    auto edit = [](TDialPrint& D) {
        Type(D.MemoTitle, QStringLiteral("Staff"));
        Type(D.SpinEditCopies, QStringLiteral("3"));
        Type(D.EditFilename, QStringLiteral("/tmp/out.txt"));
        Type(D.EditPages, QStringLiteral("1,3"));
        D.PageControl1->SetActivePage(D.TabSheetPage);
        Type(D.SpinEditLeft, QStringLiteral("25"));
        Click(D.CheckBoxWOPages);
        ChooseItem(D.RadioGroupOrient, 1);
        D.PageControl1->SetActivePage(D.TabSheetNumbering);
        Click(D.CheckBoxNumFirstPage);
        Type(D.SpinEditNumPage, QStringLiteral("5"));
        Type(D.EditNumFormat, QStringLiteral("p. #"));
        StepCombo(D.ComboBoxV, 1);
        StepCombo(D.ComboBoxH, 1);
        Click(D.BitBtnTextFont);
        D.PageControl1->SetActivePage(D.TabSheetText);
        ChooseItem(D.RadioGroupText, 3);
        Type(D.EditInterval, QStringLiteral("2"));
    };
    auto chooseFont = [this] {
        Responder.AnswerDialog([](TCommonDialog* Dialog) {
            TFont* font = static_cast<TFontDialog*>(Dialog)->Font();
            font->SetName(QStringLiteral("Arial"));
            font->SetSize(16);
            font->SetStyle({fsBold});
            return true;
        });
    };
    ASSERT_FALSE(Run(edit, &TDialPrint::CancelBtn, chooseFont));
    EXPECT_EQ(Responder.PendingAnswers(), 0);
    EXPECT_EQ(Set.Title, QString());
    EXPECT_EQ(Set.Mode, pmGraphics);
    EXPECT_EQ(Set.LeftMargin, 20);
    EXPECT_TRUE(Set.Portrait);
    EXPECT_EQ(Set.TextFont->Name(), QStringLiteral("Courier New")) << "fonts too stay";
    EXPECT_EQ(Set.Interval, 1);

    ASSERT_TRUE(Run(edit, &TDialPrint::OKBtn, chooseFont));
    EXPECT_EQ(Dialog.LabelTextFont->Caption(), QStringLiteral("Arial, 16, Bold"));
    EXPECT_EQ(Set.Title, QStringLiteral("Staff"));
    EXPECT_EQ(Set.Copies, 3);
    EXPECT_EQ(Set.Mode, pmFile) << "a file name chooses file mode";
    EXPECT_EQ(Set.FileName, QStringLiteral("/tmp/out.txt"));
    EXPECT_EQ(Set.RangeKind, 1) << "page numbers choose \"Numbers\"";
    EXPECT_EQ(Set.Pages, QStringLiteral("1,3"));
    EXPECT_EQ(Set.LeftMargin, 25);
    EXPECT_TRUE(Set.WithoutPages);
    EXPECT_FALSE(Set.Portrait);
    EXPECT_EQ(Set.PaperWidth, 297) << "landscape exchanges the sizes";
    EXPECT_EQ(Set.PaperHeight, 210);
    EXPECT_TRUE(Set.NumberOnFirstPage);
    EXPECT_EQ(Set.FirstPageNumber, 5);
    EXPECT_EQ(Set.NumberFormat, QStringLiteral("p. #"));
    EXPECT_FALSE(Set.NumberAtTop);
    EXPECT_EQ(Set.NumberPosition, npRight) << "\"Right\" after \"Center\"";
    EXPECT_EQ(Set.Pitch, ptCondensed);
    EXPECT_EQ(Set.Interval, 2);
    EXPECT_EQ(Set.TextFont->Size(), 16);
    EXPECT_EQ(Set.TextFont->Style(), TFontStyles{fsBold});
}

TEST_F(PrintDialog, HoldsTheIntervalWithinItsBounds) {
    QStringList seen;
    ASSERT_TRUE(Run(
        [&](TDialPrint& D) {
            D.PageControl1->SetActivePage(D.TabSheetText);
            QToolButton* up = D.SpinButton1->UpButton();
            QToolButton* down = D.SpinButton1->DownButton();
            Type(D.EditInterval, QStringLiteral("abc"));
            Click(up);
            seen << D.EditInterval->Text();
            Type(D.EditInterval, QStringLiteral("0.2"));
            Click(down);
            seen << D.EditInterval->Text();
            Type(D.EditInterval, QStringLiteral("250"));
            Click(up);
            seen << D.EditInterval->Text();
            Click(down);
            seen << D.EditInterval->Text();
            Type(D.EditInterval, QStringLiteral("0.2"));
            D.EditInterval->SetFocus();
            QTest::keyClick(D.EditInterval->Widget(), Qt::Key_Tab);
            seen << D.EditInterval->Text();
            Type(D.EditInterval, QStringLiteral("x"));
        },
        &TDialPrint::OKBtn));
    EXPECT_EQ(seen, QStringList({"1", "0.5", "100", "99.5", "0.5"}));
    EXPECT_EQ(Set.Interval, 1) << "an interval that is no number is 1";
}

TEST_F(PrintDialog, MatchesPapersToTheSizeAndTheOrientation) {
    Set.PaperWidth = 100;
    Set.PaperHeight = 100;
    ASSERT_TRUE(Run(
        [&](TDialPrint& D) {
            EXPECT_EQ(D.ComboBoxPapers->Items()->Count(), Printer()->Papers().size());
            EXPECT_EQ(PaperName(),
                      D.ComboBoxPapers->Items()->Strings(D.ComboBoxPapers->Items()->Count() - 1))
                << "no paper of that size: the last one";
            D.PageControl1->SetActivePage(D.TabSheetPage);
            Type(D.SpinEditPageWidth, QStringLiteral("210"));
            Type(D.SpinEditPageHeight, QStringLiteral("297"));
            EXPECT_EQ(PaperName(), QStringLiteral("A4"));
            ChooseItem(D.RadioGroupOrient, 1);
            EXPECT_EQ(PaperWidth(), 297);
            EXPECT_EQ(PaperHeight(), 210);
            EXPECT_EQ(PaperName(), QStringLiteral("A4")) << "A4 turned";
            const int letter =
                D.ComboBoxPapers->Items()->IndexOf(QPageSize(QPageSize::Letter).name());
            ASSERT_GE(letter, 0);
            StepCombo(D.ComboBoxPapers, letter - D.ComboBoxPapers->ItemIndex());
            EXPECT_EQ(D.ComboBoxPapers->ItemIndex(), letter);
            EXPECT_EQ(PaperWidth(), 279) << "11 inches across in landscape";
            EXPECT_EQ(PaperHeight(), 216);
            ChooseItem(D.RadioGroupOrient, 0);
            EXPECT_EQ(PaperWidth(), 216);
            EXPECT_EQ(D.ComboBoxPapers->ItemIndex(), letter);
            const int last = D.ComboBoxPapers->Items()->Count() - 1;
            StepCombo(D.ComboBoxPapers, last - 1 - D.ComboBoxPapers->ItemIndex());
            const QSize beforeLast(PaperWidth(), PaperHeight());
            StepCombo(D.ComboBoxPapers, 1);
            EXPECT_EQ(D.ComboBoxPapers->ItemIndex(), last);
            EXPECT_EQ(QSize(PaperWidth(), PaperHeight()), beforeLast)
                << "the last entry leaves the sizes";
            Type(D.SpinEditPageWidth, QStringLiteral("216"));
            Type(D.SpinEditPageHeight, QStringLiteral("279"));
            EXPECT_EQ(D.ComboBoxPapers->ItemIndex(), letter) << "within a millimetre";
            Type(D.SpinEditPageWidth, QStringLiteral("217"));
            EXPECT_EQ(D.ComboBoxPapers->ItemIndex(), last);
        },
        &TDialPrint::OKBtn));
    EXPECT_EQ(Set.PaperWidth, 217);
    EXPECT_EQ(Set.PaperHeight, 279);
    EXPECT_TRUE(Set.Portrait);
}

TEST_F(PrintDialog, ConvenienceRulesFollowTheUsersTyping) {
    auto nested = [this] {
        Responder.AnswerDialog([](TCommonDialog* Dialog) {
            static_cast<TSaveDialog*>(Dialog)->SetFileName(QStringLiteral("/tmp/chosen.txt"));
            return true;
        });
        Responder.Answer(mrOk); // the printer setup
    };
    ASSERT_TRUE(Run(
        [&](TDialPrint& D) {
            Type(D.EditPages, QStringLiteral("5"));
            EXPECT_TRUE(D.RadioButtonPages->Checked());
            Type(D.EditPages, QString());
            EXPECT_TRUE(D.RadioButtonAll->Checked());
            ChooseItem(D.RadioGroupMode, 0);
            Type(D.EditFilename, QStringLiteral("f"));
            EXPECT_EQ(D.RadioGroupMode->ItemIndex(), pmFile);
            Type(D.EditFilename, QString());
            EXPECT_EQ(D.RadioGroupMode->ItemIndex(), pmGraphics);
            Click(D.SpeedButton1);
            EXPECT_EQ(D.EditFilename->Text(), QStringLiteral("/tmp/chosen.txt"));
            D.ComboBoxPapers->Items()->Clear();
            Click(D.BitBtnPrinter);
            EXPECT_EQ(D.ComboBoxPapers->Items()->Count(), Printer()->Papers().size())
                << "the papers read again";
        },
        &TDialPrint::OKBtn, nested));
    EXPECT_EQ(Set.Mode, pmFile);
    EXPECT_EQ(Set.FileName, QStringLiteral("/tmp/chosen.txt"));
    EXPECT_EQ(Set.RangeKind, 0);
    QStringList classes;
    for (const auto& shown : Responder.Shown())
        classes << shown.FormClass;
    EXPECT_EQ(classes, QStringList({"TDialPrint", "TSaveDialog", "TPrinterSetupDialog"}));
}

} // namespace
