#include "TestForms.h"
#include "platform/db/PeopleDatabase.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <db/DataLink.h>
#include <db/DataSource.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <ui/Clipbrd.h>
#include <ui/DBRichEdit.h>
#include <ui/RtfReader.h>

namespace {

const QString BoldNotes = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0{\\b Bold} plain}");

// A rich edit that shows saved data while the dataset enters edit state, as descendants
// that keep their own formatting do.
class TKeepingRichEdit : public TDBRichEdit {
public:
    using TDBRichEdit::TDBRichEdit;

    void EditKeeping(const QString& Shown) {
        SetDataSave(Shown);
        DataLink()->Edit();
        SetDataSave(QString());
    }
};

// People with rich notes on the first record, plain notes on the second and none on the
// third, shown in a rich edit on an active form beside an edit.
class DBRichEdit : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        People = Database.NewTable(QStringLiteral("People.db"), &Form);
        People->Open();
        SetNotes(BoldNotes);
        People->Next();
        SetNotes(QStringLiteral("just text"));
        People->First();

        Source = new TDataSource(&Form);
        Source->SetDataSet(People);
        Rich = new TKeepingRichEdit(&Form);
        Rich->SetParent(&Form);
        Rich->SetDataSource(Source);
        Rich->SetDataField(QStringLiteral("Notes"));
        Other = new TEdit(&Form);
        Other->SetParent(&Form);
        Other->SetTop(100);
        Form.Show();
        Activate(&Form);
        Rich->SetFocus();
    }

    void SetNotes(const QString& Value) {
        People->Edit();
        Notes()->SetAsString(Value);
        People->Post();
    }

    TField* Notes() const { return People->FieldByName(QStringLiteral("Notes")); }

    void Type(const QString& Text) { QTest::keyClicks(Rich->Widget(), Text); }

    bool BoldAt(int Position) {
        Rich->SetSelStart(Position);
        Rich->SetSelLength(1);
        return Rich->SelAttributes()->Style().Contains(fsBold);
    }

    TPeopleDatabase Database{3};
    TForm Form;
    TTable* People = nullptr;
    TDataSource* Source = nullptr;
    TKeepingRichEdit* Rich = nullptr;
    TEdit* Other = nullptr;
};

} // namespace

TEST_F(DBRichEdit, ShowsTheFieldOfEachRecord) {
    EXPECT_EQ(Rich->Field(), Notes());
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));
    EXPECT_TRUE(BoldAt(0));
    EXPECT_FALSE(BoldAt(6));
    EXPECT_FALSE(Rich->Modified());

    People->Next();
    EXPECT_EQ(Rich->Text(), QStringLiteral("just text"));
    People->Next();
    EXPECT_TRUE(Rich->Text().isEmpty());
    People->First();
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));

    Rich->SetDataField(QString());
    EXPECT_TRUE(Rich->Text().isEmpty());
    Rich->SetDataField(QStringLiteral("Notes"));
    Source->SetDataSet(nullptr);
    EXPECT_TRUE(Rich->Text().isEmpty());
}

TEST_F(DBRichEdit, TheSameValueShownAgainKeepsTheDocumentAndTheCaret) {
    const QTextDocument* shown = Rich->Document();
    Rich->SetSelStart(3);
    const int revision = shown->revision();
    People->Refresh();
    EXPECT_EQ(shown->revision(), revision) << "the same notes were read again";
    EXPECT_EQ(Rich->SelStart(), 3);
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));

    // Changed by the program since, the document shows the field again.
    Rich->SetText(QStringLiteral("changed here"));
    People->Refresh();
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));
    // Changed in the field, it shows the new value.
    SetNotes(QStringLiteral("new notes"));
    EXPECT_EQ(Rich->Text(), QStringLiteral("new notes"));
    EXPECT_FALSE(Rich->Modified());
}

TEST_F(DBRichEdit, TypingEditsTheRecordAndPostingWritesRichText) {
    Rich->SetSelStart(10);
    Type(QStringLiteral("X"));
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plainX"));
    EXPECT_EQ(Rich->SelStart(), 11) << "entering edit state keeps the cursor";
    EXPECT_TRUE(BoldAt(0));

    People->Post();
    const QString stored = Notes()->AsString();
    EXPECT_TRUE(IsRtf(stored));
    QTextDocument document;
    ReadRtf(&document, stored);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Bold plainX"));
    EXPECT_EQ(document.begin().begin().fragment().text(), QStringLiteral("Bold"));
    EXPECT_EQ(document.begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);

    // Read back from the table.
    People->Close();
    People->Open();
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plainX"));
    EXPECT_TRUE(BoldAt(0));
}

TEST_F(DBRichEdit, DeletingAndReturnStartEditingToo) {
    Rich->SetSelStart(4);
    QTest::keyClick(Rich->Widget(), Qt::Key_Backspace);
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bol plain"));
    People->Cancel();
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));

    Rich->SetSelStart(4);
    QTest::keyClick(Rich->Widget(), Qt::Key_Return);
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold\n plain"));
}

TEST_F(DBRichEdit, PastingAndCuttingInCodeStartEditingFirst) {
    Clipboard()->SetAsText(QStringLiteral("pasted "));
    Rich->SetSelStart(0);
    Rich->PasteFromClipboard();
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->Text(), QStringLiteral("pasted Bold plain"));
    People->Cancel();

    Rich->SetSelStart(0);
    Rich->SetSelLength(5);
    Rich->CutToClipboard();
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_EQ(Rich->Text(), QStringLiteral("plain"));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("Bold "));
    People->Cancel();

    // A field that cannot change keeps its text and the record its state.
    Notes()->SetReadOnly(true);
    Rich->SetSelStart(0);
    Rich->PasteFromClipboard();
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));
}

TEST_F(DBRichEdit, ReadOnlyAndAutoEditRefuseTyping) {
    const auto expectRefused = [this](const char* Why) {
        Rich->SetSelStart(0);
        Type(QStringLiteral("X"));
        QTest::keyClick(Rich->Widget(), Qt::Key_Delete);
        EXPECT_EQ(People->State(), dsBrowse) << Why;
        EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain")) << Why;
    };
    Rich->SetReadOnly(true);
    expectRefused("read-only control");
    Rich->SetReadOnly(false);
    Source->SetAutoEdit(false);
    expectRefused("no AutoEdit");
    Source->SetAutoEdit(true);
    Notes()->SetReadOnly(true);
    expectRefused("read-only field");
    Notes()->SetReadOnly(false);

    // Edit state entered otherwise allows typing without AutoEdit.
    Source->SetAutoEdit(false);
    People->Edit();
    Rich->SetSelStart(0);
    Type(QStringLiteral("Y"));
    EXPECT_EQ(Rich->Text(), QStringLiteral("YBold plain"));
}

TEST_F(DBRichEdit, LeavingWritesBackAndEscapeReverts) {
    Rich->SetSelStart(0);
    Type(QStringLiteral("Z"));
    QTest::keyClick(Rich->Widget(), Qt::Key_Escape);
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));

    Rich->SetSelStart(10);
    Type(QStringLiteral("!"));
    EXPECT_EQ(Notes()->AsString(), BoldNotes) << "not written before leaving";
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(People->State(), dsEdit);
    QTextDocument document;
    ReadRtf(&document, Notes()->AsString());
    EXPECT_EQ(document.toPlainText(), QStringLiteral("Bold plain!"));
}

TEST_F(DBRichEdit, SavedDataShowsWhileEnteringEditState) {
    People->Last();
    EXPECT_TRUE(Rich->Text().isEmpty());
    Rich->EditKeeping(QStringLiteral("{}"));
    EXPECT_EQ(People->State(), dsEdit);
    EXPECT_TRUE(Rich->Text().isEmpty()) << "an empty group is empty rich text";
    People->Cancel();

    People->First();
    Rich->EditKeeping(QStringLiteral("{\\rtf1 kept}"));
    EXPECT_EQ(Rich->Text(), QStringLiteral("kept"));
    People->Cancel();
    EXPECT_EQ(Rich->Text(), QStringLiteral("Bold plain"));
}

TEST_F(DBRichEdit, PlainTextWritesPlainText) {
    Rich->SetPlainText(true);
    Rich->SetSelStart(10);
    Type(QStringLiteral("?"));
    People->Post();
    EXPECT_EQ(Notes()->AsString(), QStringLiteral("Bold plain?"));
    EXPECT_TRUE(FindClass(QStringLiteral("TDBRichEdit")));
}
