#include "PeopleForm.h"
#include "ReadOnlyFolder.h"
#include "TestForms.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <db/DbClasses.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <ui/DBCtrls.h>
#include <ui/ScriptedResponder.h>

namespace {

class DBCtrls : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        RegisterDbClasses();
    }

    TField* FieldOf(const char* Name) const {
        return On.People->FieldByName(QString::fromLatin1(Name));
    }
    static void Type(const QString& Keys) { QTest::keyClicks(TPeopleForm::FocusWidget(), Keys); }
    static void Press(Qt::Key Key) { QTest::keyClick(TPeopleForm::FocusWidget(), Key); }

    TPeopleForm On;
};

QLineEdit* LineEdit(TDBEdit* Edit) {
    return qobject_cast<QLineEdit*>(Edit->Widget());
}

// Clicks the box of a check box, whatever its caption.
void Toggle(TDBCheckBox* Check) {
    QWidget* box = Check->Widget();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

} // namespace

TEST_F(DBCtrls, TypingIntoAnEditStartsEditingAndEnterPosts) {
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    EXPECT_EQ(edit->Field(), FieldOf("Name"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001"));
    EXPECT_EQ(edit->MaxLength(), 30) << "a string field's size limits the text";
    On.Focus(edit);
    LineEdit(edit)->end(false);

    Type(QStringLiteral("X"));
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001X"));
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0001")) << "the field waits for the record";

    Press(Qt::Key_Return);
    EXPECT_EQ(On.People->State(), dsBrowse);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0001X"));
    On.People->Refresh();
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0001X"));
}

TEST_F(DBCtrls, EditTakesTheFieldsMaskAndValidatesBeforeWriting) {
    QStringList shown;
    SetExceptionHandler([&shown](const Exception& E) { shown << E.Message(); });
    FieldOf("Name")->SetEditMask(QStringLiteral("Person 0000;1;_"));
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    EXPECT_TRUE(edit->IsMasked());
    On.Focus(edit);
    LineEdit(edit)->home(false);

    Type(QStringLiteral("42"));
    EXPECT_EQ(edit->EditText(), QStringLiteral("Person 4201"));
    Press(Qt::Key_Return);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 4201"));

    Press(Qt::Key_End);
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Return);
    SetExceptionHandler(nullptr);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Invalid input value")));
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 4201"));
}

TEST_F(DBCtrls, ReadOnlyAutoEditOffAndFieldsThatCannotChangeRefuseTyping) {
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    On.Focus(edit);
    auto refused = [&](const char* Why) {
        Type(QStringLiteral("Z"));
        EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001")) << Why;
    };

    edit->SetReadOnly(true);
    refused("read-only control");
    EXPECT_EQ(On.People->State(), dsBrowse);
    edit->SetReadOnly(false);

    On.Source->SetAutoEdit(false);
    refused("AutoEdit off");
    EXPECT_EQ(On.People->State(), dsBrowse);
    On.Source->SetAutoEdit(true);

    FieldOf("Name")->SetReadOnly(true);
    refused("read-only field");
    EXPECT_EQ(On.People->State(), dsBrowse);
    On.People->Edit();
    refused("read-only field of a record in edit state");
    FieldOf("Name")->SetReadOnly(false);
    On.People->Cancel();

    Type(QStringLiteral("Z"));
    EXPECT_EQ(On.People->State(), dsEdit) << "typing works again";
}

TEST_F(DBCtrls, ADatabaseOpenedForReadingRefusesTyping) {
    On.People->Close();
    TReadOnlyFolder folder(On.Database.Path());
    On.People->Open();
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    On.Focus(edit);
    Type(QStringLiteral("Z"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001"));
    EXPECT_EQ(On.People->State(), dsBrowse);
}

TEST_F(DBCtrls, EscapeShowsTheFieldAgainAndLeavingWritesTheValue) {
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    auto* other = On.Add<TDBEdit>(QStringLiteral("Country"));
    On.Focus(edit);
    LineEdit(edit)->selectAll();
    Type(QStringLiteral("Somebody"));
    EXPECT_EQ(edit->Text(), QStringLiteral("Somebody"));

    Press(Qt::Key_Escape);
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001"));
    EXPECT_EQ(On.People->State(), dsEdit);
    other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0001")) << "nothing changed is written";

    edit->SetFocus();
    ProcessEvents();
    LineEdit(edit)->selectAll();
    Type(QStringLiteral("Somebody"));
    other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(On.Name(), QStringLiteral("Somebody"));
    EXPECT_EQ(On.People->State(), dsEdit);
}

TEST_F(DBCtrls, ControlsFollowTheRecordAndShowDisplayTextUnlessFocused) {
    FieldOf("Name")->SetOnGetText(
        TFieldGetTextEvent([](TField* Field, QString& Text, bool Display) {
            Text = Field->AsString() + (Display ? QStringLiteral(" (shown)") : QString());
        }));
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    auto* label = On.Add<TDBText>(QStringLiteral("Name"));
    auto* check = On.Add<TDBCheckBox>(QStringLiteral("Active"));
    auto* memo = On.Add<TDBMemo>(QStringLiteral("Notes"));
    auto* combo = On.Add<TDBComboBox>(QStringLiteral("Name"));

    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001 (shown)"));
    EXPECT_EQ(label->Caption(), QStringLiteral("Person 0001 (shown)"));
    EXPECT_EQ(check->State(), cbUnchecked);
    EXPECT_EQ(combo->Text(), QStringLiteral("Person 0001"));

    On.Focus(edit);
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001")) << "the editing text while focused";

    On.People->Edit();
    FieldOf("Notes")->SetAsString(QStringLiteral("first\nsecond"));
    On.People->Post();
    EXPECT_EQ(memo->Lines()->Count(), 2);

    On.People->Next();
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0002"));
    EXPECT_EQ(label->Caption(), QStringLiteral("Person 0002 (shown)"));
    EXPECT_EQ(check->State(), cbChecked);
    EXPECT_EQ(memo->Text(), QString());
    EXPECT_EQ(combo->Text(), QStringLiteral("Person 0002"));

    On.People->Close();
    EXPECT_EQ(edit->Text(), QString());
    EXPECT_EQ(label->Caption(), QString());
    EXPECT_EQ(check->State(), cbGrayed);
}

TEST_F(DBCtrls, MemoEditsTheMemoField) {
    auto* memo = On.Add<TDBMemo>(QStringLiteral("Notes"));
    auto* edit = On.Add<TDBEdit>(QStringLiteral("Name"));
    On.Focus(memo);
    Type(QStringLiteral("line"));
    Press(Qt::Key_Return);
    Type(QStringLiteral("next"));
    EXPECT_EQ(On.People->State(), dsEdit);
    edit->SetFocus();
    ProcessEvents();
    On.People->Post();
    EXPECT_EQ(FieldOf("Notes")->AsString(), QStringLiteral("line\nnext"));

    FieldOf("Notes")->FocusControl();
    ProcessEvents();
    EXPECT_TRUE(memo->Focused()) << "the field asks its control for the focus";

    // The record read again with the same notes keeps the caret; other notes show.
    memo->SetSelStart(6);
    On.People->Refresh();
    EXPECT_EQ(memo->SelStart(), 6);
    EXPECT_EQ(memo->Text(), QStringLiteral("line\nnext"));
    On.People->Edit();
    FieldOf("Notes")->SetAsString(QStringLiteral("other"));
    EXPECT_EQ(memo->Text(), QStringLiteral("other"));
    On.People->Cancel();
    EXPECT_EQ(memo->Text(), QStringLiteral("line\nnext"));
}

TEST_F(DBCtrls, CheckBoxWritesItsValues) {
    auto* active = On.Add<TDBCheckBox>(QStringLiteral("Active"));
    On.Focus(active);
    Toggle(active);
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_TRUE(active->Checked());
    On.People->Post();
    EXPECT_TRUE(FieldOf("Active")->AsBoolean());

    auto* named = On.Add<TDBCheckBox>(QStringLiteral("Name"));
    named->SetValueChecked(QStringLiteral("Yes;Y"));
    named->SetValueUnchecked(QStringLiteral("No"));
    auto setName = [&](const char* Value) {
        On.People->Edit();
        FieldOf("Name")->SetAsString(QString::fromLatin1(Value));
        On.People->Post();
    };
    setName("y");
    EXPECT_EQ(named->State(), cbChecked);
    setName("Maybe");
    EXPECT_EQ(named->State(), cbGrayed);
    setName("No");
    EXPECT_EQ(named->State(), cbUnchecked);

    On.Source->SetAutoEdit(false);
    Toggle(named);
    EXPECT_EQ(named->State(), cbUnchecked) << "a record that cannot be edited keeps the box";
    EXPECT_EQ(On.People->State(), dsBrowse);
    On.Source->SetAutoEdit(true);

    Toggle(named);
    On.People->Post();
    EXPECT_EQ(On.Name(), QStringLiteral("Yes")) << "the first of the checked values";
}

TEST_F(DBCtrls, ComboBoxWritesTheChosenOrTypedText) {
    auto* combo = On.Add<TDBComboBox>(QStringLiteral("Name"));
    combo->Items()->SetText(QStringLiteral("Alpha\nBeta\n"));
    combo->SetStyle(csDropDownList);
    EXPECT_EQ(combo->ItemIndex(), -1);
    On.Focus(combo);

    On.Source->SetAutoEdit(false);
    Press(Qt::Key_Down);
    EXPECT_EQ(combo->ItemIndex(), -1) << "no choice without editing";
    On.Source->SetAutoEdit(true);

    Press(Qt::Key_Down);
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(combo->Text(), QStringLiteral("Alpha"));
    On.People->Post();
    EXPECT_EQ(On.Name(), QStringLiteral("Alpha"));
    EXPECT_EQ(combo->ItemIndex(), 0);

    combo->SetStyle(csDropDown);
    auto* edit = qobject_cast<QComboBox*>(combo->Widget())->lineEdit();
    ASSERT_TRUE(edit);
    edit->selectAll();
    Type(QStringLiteral("Gamma"));
    EXPECT_EQ(On.People->State(), dsEdit);
    Press(Qt::Key_Escape);
    EXPECT_EQ(combo->Text(), QStringLiteral("Alpha"));
    edit->selectAll();
    Type(QStringLiteral("Gamma"));
    On.People->Post();
    EXPECT_EQ(On.Name(), QStringLiteral("Gamma"));
}

namespace {

class Navigator : public DBCtrls {
protected:
    void SetUp() override {
        DBCtrls::SetUp();
        Nav = On.Add<TDBNavigator>();
        Nav->SetOnClick(
            TNavClickEvent([this](TObject*, TNavigateBtn Button) { Clicked << EnumName(Button); }));
        On.Form.Show();
    }

    QToolButton* Button(TNavigateBtn Which) const {
        return Nav->Widget()->findChild<QToolButton*>(EnumName(Which));
    }
    void Click(TNavigateBtn Which) const { QTest::mouseClick(Button(Which), Qt::LeftButton); }
    // The buttons whose widgets are enabled, checked against EnabledButtons.
    TButtonSet Enabled() const {
        TButtonSet set;
        for (int i = nbFirst; i <= nbRefresh; ++i)
            if (Button(TNavigateBtn(i))->isEnabled())
                set.Include(TNavigateBtn(i));
        EXPECT_EQ(set, Nav->EnabledButtons());
        return set;
    }

    TDBNavigator* Nav = nullptr;
    QStringList Clicked;
};

} // namespace

TEST_F(Navigator, ButtonsFollowTheDataSetAndAct) {
    EXPECT_EQ(Enabled(), TButtonSet{}) << "no data source";
    Nav->SetDataSource(On.Source);
    EXPECT_EQ(Enabled(), (TButtonSet{nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbRefresh}));

    Click(nbNext);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0002"));
    EXPECT_EQ(Enabled(), (TButtonSet{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit,
                                     nbRefresh}));
    Click(nbLast);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0005"));
    EXPECT_FALSE(Enabled().Contains(nbNext) || Enabled().Contains(nbLast));
    Click(nbPrior);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0004"));
    Click(nbFirst);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0001"));

    Click(nbEdit);
    EXPECT_EQ(On.People->State(), dsEdit);
    EXPECT_EQ(Enabled() * TButtonSet({nbEdit, nbPost, nbCancel, nbRefresh}),
              TButtonSet({nbPost, nbCancel}));
    FieldOf("Name")->SetAsString(QStringLiteral("Changed"));
    Click(nbCancel);
    EXPECT_EQ(On.Name(), QStringLiteral("Person 0001"));
    Click(nbInsert);
    EXPECT_EQ(On.People->State(), dsInsert);
    FieldOf("Name")->SetAsString(QStringLiteral("Inserted"));
    Click(nbPost);
    EXPECT_EQ(On.People->State(), dsBrowse);
    EXPECT_EQ(On.People->RecordCount(), 6);
    Click(nbRefresh);
    EXPECT_EQ(Clicked, QStringList({"nbNext", "nbLast", "nbPrior", "nbFirst", "nbEdit", "nbCancel",
                                    "nbInsert", "nbPost", "nbRefresh"}));

    On.People->Close();
    EXPECT_EQ(Enabled(), TButtonSet{});
}

TEST_F(Navigator, DeleteAsksFirst) {
    Nav->SetDataSource(On.Source);
    TScriptedResponder responder;
    responder.Answer(mrCancel);
    Click(nbDelete);
    EXPECT_EQ(On.People->RecordCount(), 5);
    responder.Answer(mrOk);
    Click(nbDelete);
    EXPECT_EQ(On.People->RecordCount(), 4);
    ASSERT_EQ(responder.Shown().size(), 2);
    EXPECT_EQ(responder.Shown()[0].Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(responder.Shown()[0].DlgType, mtConfirmation);
    EXPECT_EQ(responder.Shown()[0].Buttons, mbOKCancel);

    Nav->SetConfirmDelete(false);
    Click(nbDelete);
    EXPECT_EQ(On.People->RecordCount(), 3);
    EXPECT_EQ(responder.Shown().size(), 2);

    for (int i = 0; i < 3; ++i)
        On.People->Delete();
    EXPECT_FALSE(Enabled().Contains(nbDelete)) << "nothing left to delete";
}

TEST_F(Navigator, VisibleButtonsHintsAndFlat) {
    Nav->SetVisibleButtons({nbFirst, nbLast});
    Nav->SetFlat(true);
    Nav->SetShowHint(true);
    Nav->Hints()->SetText(QStringLiteral("\nBack one\n"));
    EXPECT_TRUE(Button(nbFirst)->isVisible());
    EXPECT_FALSE(Button(nbNext)->isVisible());
    EXPECT_TRUE(Button(nbLast)->autoRaise());
    EXPECT_EQ(Button(nbFirst)->toolTip(), QStringLiteral("First record"));
    EXPECT_EQ(Button(nbPrior)->toolTip(), QStringLiteral("Back one"));
    EXPECT_EQ(Button(nbRefresh)->toolTip(), QStringLiteral("Refresh data"));
}

TEST_F(DBCtrls, DataControlsLoadFromFormFiles) {
    const QString text = QStringLiteral(R"(object Form1: TForm
  object Source1: TDataSource
  end
  object Edit1: TDBEdit
    DataSource = Source1
    DataField = 'Name'
    ReadOnly = True
  end
  object Check1: TDBCheckBox
    DataSource = Source1
    DataField = 'Active'
    ValueChecked = 'Yes'
  end
  object Combo1: TDBComboBox
    DataSource = Source1
    DataField = 'Name'
    Style = csDropDownList
    Items.Strings = (
      'One'
      'Two')
  end
  object Nav1: TDBNavigator
    DataSource = Source1
    VisibleButtons = [nbFirst, nbNext]
    ConfirmDelete = False
  end
  object Text1: TDBText
    DataSource = Source1
    DataField = 'Name'
  end
  object Memo1: TDBMemo
    DataSource = Source1
    DataField = 'Notes'
  end
end
)");
    std::unique_ptr<TComponent> form(ReadComponentFromText(text, QStringLiteral("data.form")));
    auto* source = qobject_cast<TDataSource*>(form->FindComponent(QStringLiteral("Source1")));
    auto* edit = qobject_cast<TDBEdit*>(form->FindComponent(QStringLiteral("Edit1")));
    auto* check = qobject_cast<TDBCheckBox*>(form->FindComponent(QStringLiteral("Check1")));
    auto* combo = qobject_cast<TDBComboBox*>(form->FindComponent(QStringLiteral("Combo1")));
    auto* nav = qobject_cast<TDBNavigator*>(form->FindComponent(QStringLiteral("Nav1")));
    ASSERT_TRUE(source && edit && check && combo && nav);
    ASSERT_TRUE(form->FindComponent(QStringLiteral("Text1")) &&
                form->FindComponent(QStringLiteral("Memo1")));
    EXPECT_EQ(edit->DataSource(), source);
    EXPECT_EQ(edit->DataField(), QStringLiteral("Name"));
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_EQ(check->ValueChecked(), QStringLiteral("Yes"));
    EXPECT_EQ(combo->Style(), csDropDownList);
    EXPECT_EQ(combo->Items()->Count(), 2);
    EXPECT_EQ(nav->VisibleButtons(), (TButtonSet{nbFirst, nbNext}));
    EXPECT_FALSE(nav->ConfirmDelete());

    source->SetDataSet(On.People);
    EXPECT_EQ(edit->Text(), QStringLiteral("Person 0001"));
    EXPECT_EQ(nav->EnabledButtons() * TButtonSet({nbFirst, nbNext}), TButtonSet({nbNext}));
}
