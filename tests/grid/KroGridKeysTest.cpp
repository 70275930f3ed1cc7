#include "GridFixture.h"

#include <forms/KroForms.h>
#include <grid/KroGridEditors.h>

namespace {

ON_EVERY_ENGINE_WITH(KroGridKeys, GridFixture);

QString SexText(TDataSet* Person) {
    return Person->FieldByName(QStringLiteral("Sex"))->AsString();
}

} // namespace

TEST_P(KroGridKeys, ADigitOnAListColumnStoresTheValueOrBeepsBeyondTheList) {
    SelectColumn("Sex");
    EXPECT_EQ(Grid->ColumnKind(), ckList);
    ASSERT_EQ(Name(), QStringLiteral("Ann"));
    Type(QStringLiteral("5"));
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(SexText(Person), QStringLiteral("Female"));
    EXPECT_EQ(Person->State(), dsBrowse);

    Type(QStringLiteral("1"));
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(Person->State(), dsEdit);
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Sex"))->AsInteger(), 1);
    EXPECT_FALSE(Grid->EditorMode()) << "the digit does not reach the cell editor";
    Person->Cancel();

    // Without editing a list column is a plain one.
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgEditing});
    EXPECT_EQ(Grid->ColumnKind(), ckPlain);
    Type(QStringLiteral("9"));
    Type(QStringLiteral("0"));
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(SexText(Person), QStringLiteral("Female"));
    EXPECT_EQ(Person->State(), dsBrowse);
}

TEST_P(KroGridKeys, EnterCommitsTheCellAndMovesToTheNextColumn) {
    SelectColumn("Name");
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("Lang"));

    // Ctrl+Enter opens the editor; Enter then writes the text and moves on.
    SelectColumn("Name");
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(Grid->EditorMode());
    Key(Qt::Key_End);
    Type(QStringLiteral("a"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Name(), QStringLiteral("Anna"));
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("Lang"));
    EXPECT_EQ(Person->State(), dsEdit);
    EXPECT_TRUE(Errors.isEmpty());

    // The program's handler sees Enter first and may take it.
    Grid->SetOnKeyDown(TKeyEvent([](TObject*, quint16& Key, TShiftState) {
        if (Key == VK_RETURN)
            Key = 0;
    }));
    Key(Qt::Key_Return);
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("Lang"));
}

TEST_P(KroGridKeys, ARefusedTextAfterEnterIsShownAndStaysInTheEditor) {
    SelectColumn("Lang");
    Type(QStringLiteral("x1"));
    Key(Qt::Key_Return);
    ASSERT_EQ(Errors.size(), 1) << "the field's refusal, through the application's handler";
    EXPECT_TRUE(Errors[0].contains(QStringLiteral("x1"))) << Errors[0].toStdString();
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("Lang")) << "no move";
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Grid->InplaceEditor()->EditText(), QStringLiteral("x1"));
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Lang"))->AsInteger(), 3);
}

TEST_P(KroGridKeys, AFailedPostAfterEnterKeepsTheRecordAndItsEdits) {
    Person->SetBeforePost(TDataSetNotifyEvent(
        [](TDataSet*) { throw Exception(QStringLiteral("Refused by the server")); }));
    SelectColumn("Name");
    Type(QStringLiteral("Zoe"));
    Key(Qt::Key_Return);
    ASSERT_TRUE(Errors.isEmpty());
    // Enter on the last column moves to the next record, which posts.
    SelectColumn("LangLook");
    Key(Qt::Key_Return);
    EXPECT_EQ(Errors, QStringList({"Refused by the server"}));
    EXPECT_EQ(Person->State(), dsEdit);
    EXPECT_EQ(Name(), QStringLiteral("Zoe"));
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Id"))->AsInteger(), 1);
    EXPECT_EQ(Grid->Row(), Grid->FixedRows());
}

TEST_P(KroGridKeys, TypingOnALookupColumnReachesItsEditWindowWhileTheKeyCanBeWritten) {
    SelectColumn("LangLook");
    Type(QStringLiteral("x"));
    const TKroLookupEditGrid* window = Grid->EditWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(window->Text(), QStringLiteral("x"));
    Key(Qt::Key_Escape);
    ASSERT_EQ(Person->State(), dsBrowse);

    Person->FieldByName(QStringLiteral("Lang"))->SetReadOnly(true);
    Type(QStringLiteral("y"));
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_FALSE(window->Text().contains(QLatin1Char('y')));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Person->State(), dsBrowse);
}

TEST_P(KroGridKeys, EditDataMarksTheMasterChainAndWritesThePickedKey) {
    auto* contSource = new TDataSource(&Module);
    contSource->SetDataSet(Cont);
    Cont->Open();
    Person->SetMasterSource(contSource);
    Person->SetTag(5);
    Cont->SetTag(19);
    struct {
        QList<int> Tags;
        QString KeyField;
        Variant Key;
        TObject* Sender = nullptr;
        TTypeShow TypeShow = tsCreate;
    } seen;
    Look->SetOnEditData(
        TOnEditDataEvent([&](TObject* Sender, TTypeShow TypeShow, TFieldReturn* Return) {
            seen = {{Person->Tag(), Cont->Tag()},
                    Return->KeyFieldName(),
                    Return->Value(),
                    Sender,
                    TypeShow};
            Return->SetValue(2);
            FormDBReturn = true;
        }));
    SelectColumn("LangLook");
    Person->Edit();
    Key(Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(seen.Tags, QList<int>({80, 80}));
    EXPECT_EQ(seen.KeyField, QStringLiteral("Id"));
    EXPECT_EQ(seen.Key.toInt(), 3);
    EXPECT_EQ(seen.Sender, Grid);
    EXPECT_EQ(seen.TypeShow, tsSelect);
    EXPECT_EQ(Person->Tag(), 5);
    EXPECT_EQ(Cont->Tag(), 19);
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Lang"))->AsInteger(), 2);
    Person->Cancel();

    // Without a handler of its own the lookup dataset's is used; browsing, no tags change,
    // and a form left without a choice changes nothing.
    Look->SetOnEditData(nullptr);
    int calls = 0;
    Lang->SetOnEditData(TOnEditDataEvent([&](TObject*, TTypeShow, TFieldReturn*) {
        seen.Tags = {Person->Tag(), Cont->Tag()};
        ++calls;
    }));
    const QRect cell = Grid->CellRect(Grid->Col(), Grid->FixedRows() + 1);
    QTest::mouseClick(Grid->Widget(), Qt::LeftButton, Qt::AltModifier, cell.center());
    ProcessEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen.Tags, QList<int>({5, 19}));
    EXPECT_EQ(Person->State(), dsBrowse);
    EXPECT_EQ(Name(), QStringLiteral("Ann")) << "Alt+click does not move";

    // Alt+F1 elsewhere than on a lookup column does nothing.
    SelectColumn("Name");
    Key(Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(calls, 1);
}

TEST_P(KroGridKeys, TheLinkHidesAFocusedAuxiliaryEditorOnEveryChange) {
    EXPECT_NE(dynamic_cast<TKroGridDataLink*>(Grid->DataLink()), nullptr);
    auto* editor = new TEdit(&Form);
    editor->SetParent(&Form);
    editor->SetBounds(0, 230, 100, 20);
    Grid->AddInplaceControl(editor);
    editor->SetFocus();
    ProcessEvents();
    Person->Next();
    EXPECT_FALSE(editor->Visible());
    EXPECT_TRUE(Grid->Focused());

    // Unless told not to.
    editor->Show();
    editor->SetFocus();
    ProcessEvents();
    Grid->AutoHideEditors = false;
    Person->Next();
    EXPECT_TRUE(editor->Visible());

    ASSERT_TRUE(editor->Focused());
    // Resizing the grid leaves the editor away from its cell: it goes too.
    Grid->AutoHideEditors = true;
    Grid->SetWidth(500);
    ProcessEvents();
    EXPECT_FALSE(editor->Visible());
}
