#include "PeopleForm.h"
#include "TestForms.h"

#include <db/DbClasses.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <ui/Clipbrd.h>
#include <ui/DBCtrls.h>

namespace {

TEST(TextSelection, EditSelectsCopiesCutsAndPastes) {
    TEdit edit;
    edit.SetText(QStringLiteral("Hello world"));
    edit.SetSelStart(6);
    edit.SetSelLength(5);
    EXPECT_EQ(edit.SelStart(), 6);
    EXPECT_EQ(edit.SelLength(), 5);
    EXPECT_EQ(edit.SelText(), QStringLiteral("world"));
    edit.CopyToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("world"));

    edit.SetSelStart(0);
    edit.SetSelLength(6);
    edit.CutToClipboard();
    EXPECT_EQ(edit.Text(), QStringLiteral("world"));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("Hello "));
    edit.SetSelStart(5);
    edit.PasteFromClipboard();
    EXPECT_EQ(edit.Text(), QStringLiteral("worldHello "));
    EXPECT_EQ(edit.SelStart(), 11) << "the cursor follows the pasted text";

    edit.SelectAll();
    EXPECT_EQ(edit.SelLength(), 11);
    edit.SetSelText(QStringLiteral("new"));
    EXPECT_EQ(edit.Text(), QStringLiteral("new"));
    edit.SelectAll();
    edit.ClearSelection();
    EXPECT_EQ(edit.Text(), QString());
}

TEST(TextSelection, MemoCountsLineBreaksAsOneCharacter) {
    TMemo memo;
    memo.SetText(QStringLiteral("first\nsecond\nthird"));
    memo.SetSelStart(3);
    memo.SetSelLength(6);
    EXPECT_EQ(memo.SelText(), QStringLiteral("st\nsec"));
    memo.CutToClipboard();
    EXPECT_EQ(memo.Lines()->Count(), 2);
    EXPECT_EQ(memo.Text(), QStringLiteral("firond\nthird"));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("st\nsec"));
    memo.SetSelStart(100); // beyond the end: at the end
    EXPECT_EQ(memo.SelStart(), 12);
    memo.PasteFromClipboard();
    EXPECT_EQ(memo.Lines()->Count(), 3);
    EXPECT_EQ(memo.Lines()->Strings(2), QStringLiteral("sec"));
    memo.SelectAll();
    EXPECT_EQ(memo.SelLength(), int(memo.Text().size()));
}

TEST(TextSelection, ReadOnlyControlsCopyButKeepTheirText) {
    TEdit edit;
    edit.SetText(QStringLiteral("fixed"));
    edit.SetReadOnly(true);
    TMemo memo;
    memo.SetText(QStringLiteral("fixed"));
    memo.SetReadOnly(true);
    for (TTextSelection* control :
         {static_cast<TTextSelection*>(&edit), static_cast<TTextSelection*>(&memo)}) {
        Clipboard()->SetAsText(QStringLiteral("other"));
        control->SelectAll();
        control->CutToClipboard();
        EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("fixed"));
        control->PasteFromClipboard();
        control->ClearSelection();
        control->SetSelText(QStringLiteral("x"));
    }
    EXPECT_EQ(edit.Text(), QStringLiteral("fixed"));
    EXPECT_EQ(memo.Text(), QStringLiteral("fixed"));
}

class DataAwareSelection : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        RegisterDbClasses();
    }

    TField* FieldOf(const char* Name) const {
        return On.People->FieldByName(QString::fromLatin1(Name));
    }

    TPeopleForm On;
};

TEST_F(DataAwareSelection, CutAndPasteEditTheFieldOfAnEdit) {
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    On.Focus(edit);
    edit->SetSelStart(0);
    edit->SetSelLength(7);
    edit->CopyToClipboard();
    EXPECT_EQ(On.People->State(), dsBrowse) << "copying changes nothing";
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("Person "));

    edit->CutToClipboard();
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(edit->Text(), QStringLiteral("0001"));
    edit->SetSelStart(4);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->Text(), QStringLiteral("0001Person "));
    On.People->Post();
    EXPECT_EQ(On.Name(), QStringLiteral("0001Person "));

    // A read-only control leaves the record alone, but still copies.
    edit->SetReadOnly(true);
    edit->SelectAll();
    edit->CutToClipboard();
    edit->PasteFromClipboard();
    EXPECT_EQ(On.People->State(), dsBrowse);
    EXPECT_EQ(edit->Text(), QStringLiteral("0001Person "));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("0001Person "));
}

TEST_F(DataAwareSelection, MaskedEditBlanksTheCutPositions) {
    FieldOf("Name")->SetEditMask(QStringLiteral("Person 0000;1;_"));
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    On.Focus(edit);
    edit->SetSelStart(7);
    edit->SetSelLength(2);
    edit->CutToClipboard();
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(edit->EditText(), QStringLiteral("Person __01"));
    Clipboard()->SetAsText(QStringLiteral("42"));
    edit->SetSelStart(7);
    edit->PasteFromClipboard();
    EXPECT_EQ(edit->EditText(), QStringLiteral("Person 4201"));
    On.People->Post();
    EXPECT_EQ(On.Name(), QStringLiteral("Person 4201"));
}

TEST_F(DataAwareSelection, ClearAndPasteEditTheFieldOfAMemo) {
    auto* memo = On.Add<TDBMemo>(QStringLiteral("Notes"));
    On.People->Edit();
    FieldOf("Notes")->SetAsString(QStringLiteral("first\nsecond"));
    On.People->Post();
    On.Focus(memo);
    memo->SetSelStart(5);
    memo->SetSelLength(7);
    memo->ClearSelection();
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(memo->Text(), QStringLiteral("first"));
    Clipboard()->SetAsText(QStringLiteral(" and\nthird"));
    memo->PasteFromClipboard();
    On.People->Post();
    EXPECT_EQ(FieldOf("Notes")->AsString(), QStringLiteral("first and\nthird"));
}

} // namespace
