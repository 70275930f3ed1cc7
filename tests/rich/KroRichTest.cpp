#include "PdfFile.h"
#include "RichFixture.h"

#include <QTemporaryDir>
#include <QTextDocument>
#include <rich/DiPara.h>
#include <rich/RichClasses.h>
#include <rtl/Font.h>
#include <rtl/Streaming.h>
#include <ui/Buttons.h>
#include <ui/Menus.h>
#include <ui/Printers.h>
#include <ui/RtfReader.h>
#include <ui/RtfWriter.h>
#include <ui/Spin.h>

namespace {

class KroRich : public RichFixture {
protected:
    bool BoldAt(int Position) {
        Select(Position, 1);
        return Rich->SelAttributes()->Style().Contains(fsBold);
    }
};

TEST_F(KroRich, TypingIntoABrowsedRecordKeepsTheFormatting) {
    SetNotes({BoldNotes});
    ASSERT_EQ(People->State(), dsBrowse);
    Select(int(NotesText().size()), 0);
    QTest::keyClicks(Rich->Widget(), QStringLiteral("!"));
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(NotesText(), QStringLiteral("Bold plain!"));
    EXPECT_TRUE(BoldAt(0));
    EXPECT_FALSE(BoldAt(6));
    People->Post();

    EXPECT_EQ(StoredText(1), QStringLiteral("Bold plain!"));
    EXPECT_TRUE(IsRtf(Notes()->AsString()));
    EXPECT_TRUE(BoldAt(0)) << "the stored text keeps the bold word";
}

TEST_F(KroRich, AnEmptyFieldStartsEditingWithEmptyRichText) {
    ASSERT_TRUE(Notes()->IsNull());
    QTest::keyClicks(Rich->Widget(), QStringLiteral("new"));
    EXPECT_EQ(People->State(), dsEdit);
    People->Post();
    EXPECT_TRUE(IsRtf(Notes()->AsString())) << Notes()->AsString().toStdString();
    EXPECT_EQ(StoredText(1), QStringLiteral("new"));
}

TEST_F(KroRich, StartingToEditKeepsTheTextShownAndItsSelection) {
    SetNotes({BoldNotes});
    Select(5, 5);
    Rich->StartEditKeepText();
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->SelText(), QStringLiteral("plain"));
    EXPECT_TRUE(BoldAt(0));
    People->Cancel();

    // A read-only field stays in browse state.
    Notes()->SetReadOnly(true);
    Rich->StartEditKeepText();
    EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(KroRich, TheTextWrittenByTheControlReadsBackEqual) {
    SetNotes({BoldNotes});
    Select(0, 4);
    Key(Qt::Key_A);
    Rich->Paragraph()->SetAlignment(taCenter);
    Select(5, 5);
    Rich->SelAttributes()->SetStyle({fsItalic, fsUnderline});
    Rich->SelAttributes()->SetSize(14);
    People->Post();

    const QString stored = Notes()->AsString();
    QTextDocument document;
    ReadRtf(&document, stored);
    EXPECT_EQ(QString::fromLatin1(WriteRtf(&document)), stored);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Bold plain"));
    EXPECT_EQ(Rich->Paragraph()->Alignment(), taCenter);
    Select(6, 1);
    EXPECT_EQ(Rich->SelAttributes()->Style(), TFontStyles({fsItalic, fsUnderline}));
    EXPECT_EQ(Rich->SelAttributes()->Size(), 14);
}

TEST_F(KroRich, TheMenuPutsTheTextCommandsInFrontOfTheMemoItems) {
    SetNotes({BoldNotes});
    RightClick();
    const QStringList items = ShownItems();
    ASSERT_GE(items.size(), 13);
    EXPECT_EQ(items.mid(0, 13),
              QStringList({"Font", "Basic font\tCtrl+A", "Paragraph", "|",
                           "Search / replace\tCtrl+F", "Search/replace next\tCtrl+L", "|", "Print",
                           "|", "Copy", "Insert", "Select All", "|"}));
    EXPECT_TRUE(items.contains(QStringLiteral("Post edit\tCtrl+S")));
    const QStringList enabled = EnabledItems();
    for (const char* item : {"Font", "Basic font", "Paragraph", "Search / replace", "Print"})
        EXPECT_TRUE(enabled.contains(QLatin1String(item))) << item;
    OpenMenu()->close();
}

TEST_F(KroRich, APlainRichEditFormatsOnlyWhileTheRecordIsEdited) {
    SetNotes({BoldNotes});
    auto* plain = new TDBRichEdit(&Form);
    plain->SetParent(&Form);
    plain->SetBounds(0, 130, 300, 60);
    plain->SetDataSource(Source);
    plain->SetDataField(QStringLiteral("Notes"));
    plain->SetPopupMenu(PopupMenuKroDBRichEdit());
    plain->SetFocus();
    ProcessEvents();
    QTest::mouseClick(plain->Widget(), Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_TRUE(OpenMenu());
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Font")));
    EXPECT_TRUE(EnabledItems().contains(QStringLiteral("Search / replace")));
    OpenMenu()->close();

    People->Edit();
    QTest::mouseClick(plain->Widget(), Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_TRUE(OpenMenu());
    EXPECT_TRUE(EnabledItems().contains(QStringLiteral("Font")));
    EXPECT_TRUE(EnabledItems().contains(QStringLiteral("Paragraph")));
    OpenMenu()->close();

    // A read-only dataset offers neither formatting nor replacing.
    People->Cancel();
    People->Close();
    People->SetReadOnly(true);
    People->Open();
    RightClick();
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Font")));
    Responder.Answer([](TForm* Form) {
        auto* search = qobject_cast<TRichEditSearch*>(Form);
        ASSERT_TRUE(search);
        EXPECT_EQ(search->Caption(), QStringLiteral("Search"));
        EXPECT_FALSE(search->ButtonReplace->Visible());
        Form->SetModalResult(mrCancel);
    });
    Choose(QStringLiteral("Search / replace"));
}

TEST_F(KroRich, BasicFontAndFontFormatTheSelection) {
    SetNotes({BoldNotes});
    Rich->Font()->SetName(QStringLiteral("Liberation Serif"));
    Select(0, 4);
    Key(Qt::Key_A);
    EXPECT_EQ(People->State(), dsEdit) << "the shortcut starts editing";
    EXPECT_FALSE(BoldAt(1));
    Select(0, 4);
    EXPECT_EQ(Rich->SelAttributes()->Name(), QStringLiteral("Liberation Serif"));

    Select(5, 5);
    Responder.AnswerDialog([](TCommonDialog* Dialog) {
        auto* dialog = qobject_cast<TFontDialog*>(Dialog);
        EXPECT_FALSE(dialog->Font()->Style().Contains(fsBold)) << "starts with the selection's";
        dialog->Font()->SetStyle({fsBold, fsItalic});
        dialog->Font()->SetSize(16);
        return true;
    });
    RightClick();
    Choose(QStringLiteral("Font"));
    Select(6, 1);
    EXPECT_EQ(Rich->SelAttributes()->Style(), TFontStyles({fsBold, fsItalic}));
    EXPECT_EQ(Rich->SelAttributes()->Size(), 16);

    // A font dialog cancelled changes nothing.
    People->Cancel();
    Responder.Answer(mrCancel);
    Select(0, 4);
    RightClick();
    Choose(QStringLiteral("Font"));
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_TRUE(BoldAt(0));
}

TEST_F(KroRich, TheParagraphDialogShowsAndSetsTheParagraph) {
    SetNotes({BoldNotes});
    Rich->Paragraph()->SetAlignment(taRightJustify);
    Rich->Paragraph()->SetNumbering(nsBullet);
    Responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TDialParagraph*>(Form);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->Caption(), QStringLiteral("Paragraph"));
        EXPECT_TRUE(dialog->SpeedButtonRight->Down());
        EXPECT_FALSE(dialog->SpeedButtonLeft->Down());
        EXPECT_TRUE(dialog->SpeedButtonBullet->Down());
        for (TSpinEdit* spin :
             {dialog->SpinEditFirst, dialog->SpinEditLeft, dialog->SpinEditRight}) {
            QTest::keyClick(spin->Widget(), Qt::Key_End);
            for (qsizetype i = spin->Text().size(); i > 0; --i)
                QTest::keyClick(spin->Widget(), Qt::Key_Backspace);
            QTest::keyClicks(spin->Widget(), QStringLiteral("36"));
        }
        QTest::mouseClick(dialog->SpeedButtonCenter->Widget(), Qt::LeftButton);
        QTest::mouseClick(dialog->SpeedButtonBullet->Widget(), Qt::LeftButton);
        QTest::mouseClick(dialog->ButtonOk->Widget(), Qt::LeftButton);
    });
    RightClick();
    Choose(QStringLiteral("Paragraph"));
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->Paragraph()->Alignment(), taCenter);
    EXPECT_EQ(Rich->Paragraph()->Numbering(), nsNone);
    EXPECT_EQ(Rich->Paragraph()->FirstIndent(), 36);
    EXPECT_EQ(Rich->Paragraph()->LeftIndent(), 36);
    EXPECT_EQ(Rich->Paragraph()->RightIndent(), 36);

    // Cancelled, it changes nothing.
    People->Post();
    Responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TDialParagraph*>(Form);
        QTest::mouseClick(dialog->SpeedButtonLeft->Widget(), Qt::LeftButton);
        QTest::mouseClick(dialog->ButtonCancel->Widget(), Qt::LeftButton);
    });
    RightClick();
    Choose(QStringLiteral("Paragraph"));
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(Rich->Paragraph()->Alignment(), taCenter);
}

TEST_F(KroRich, PrintsTheTextTitledWithTheRecordsName) {
    SetNotes({BoldNotes});
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("notes.pdf"));
    TPrinter* previous = SetPrinter(new TPrinter);
    Printer()->SetOutputFileName(pdf);
    RightClick();
    Choose(QStringLiteral("Print"));
    delete SetPrinter(previous);
    EXPECT_EQ(PdfTitle(pdf), Name()->AsString());
    EXPECT_EQ(PdfText(pdf).trimmed(), QStringLiteral("Bold plain"));
}

TEST(KroRichForm, ReadFromAFormFileTheSharedMenuComesOnlyWithoutAnOwnMenu) {
    RegisterRichClasses();
    const QString text = QStringLiteral("object Notes: TForm\n"
                                        "  object OwnMenu: TPopupMenu\n"
                                        "  end\n"
                                        "  object Shared: TKroDBRichEdit\n"
                                        "    RecordName = 'person'\n"
                                        "    SearchGlobal = True\n"
                                        "  end\n"
                                        "  object Own: TKroDBRichEdit\n"
                                        "    PopupMenu = OwnMenu\n"
                                        "  end\n"
                                        "end\n");
    std::unique_ptr<TComponent> form(ReadComponentFromText(text, QStringLiteral("rich.form")));
    auto* shared = qobject_cast<TKroDBRichEdit*>(form->FindComponent(QStringLiteral("Shared")));
    auto* own = qobject_cast<TKroDBRichEdit*>(form->FindComponent(QStringLiteral("Own")));
    ASSERT_TRUE(shared && own);
    EXPECT_EQ(shared->PopupMenu(), PopupMenuKroDBRichEdit());
    EXPECT_EQ(shared->RecordName(), QStringLiteral("person"));
    EXPECT_TRUE(shared->SearchGlobal());
    EXPECT_EQ(own->PopupMenu(), form->FindComponent(QStringLiteral("OwnMenu")));

    // Made in code, a rich edit has no menu until given one.
    TKroDBRichEdit made;
    EXPECT_EQ(made.PopupMenu(), nullptr);
    EXPECT_FALSE(made.SearchGlobal());
    EXPECT_TRUE(made.RecordName().isEmpty());
}

} // namespace
