#include "GridFixture.h"

#include <grid/KroGridEditors.h>

namespace {

class GridEditorsFixture : public GridFixture {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_EQ(Look->ResultCount(), 3);
        // Before Sex, so that Enter on the lookup moves on within the record.
        Look->SetIndex(3);
        // Wide enough for every sub-cell of the lookup.
        ColumnOf("LangLook")->SetWidth(420);
        Other = new TEdit(&Form);
        Other->SetParent(&Form);
        Other->SetBounds(0, 230, 100, 20);
        ProcessEvents();
    }

    QString FocusedName() const {
        const QWidget* focus = QApplication::focusWidget();
        if (Grid->EditWindow() && focus == Grid->EditWindow()->Widget())
            return QStringLiteral("window");
        if (Grid->LookupCombo() && focus == Grid->LookupCombo()->Widget())
            return QStringLiteral("lookup");
        if (Grid->ListCombo() && focus == Grid->ListCombo()->Widget())
            return QStringLiteral("list");
        if (focus == Grid->Widget())
            return QStringLiteral("grid");
        return QStringLiteral("other");
    }
    Variant LangKey() const { return Person->FieldByName(QStringLiteral("Lang"))->Value(); }
    // The current cell in the form's coordinates.
    QRect CellOnForm() const {
        return Grid->CellRect(Grid->Col(), Grid->Row()).translated(Grid->Left(), Grid->Top());
    }
    QRect Bounds(const TControl* Control) const {
        return QRect(Control->Left(), Control->Top(), Control->Width(), Control->Height());
    }
    int Zero() {
        Grid->Canvas()->Font()->Assign(Grid->Font());
        return Grid->Canvas()->TextWidth(QStringLiteral("0"));
    }
    void SetOptions(TKroLookFieldOptions Options) { Look->SetOptions(Options); }
    QStringList Messages() const {
        QStringList texts;
        for (const auto& shown : Responder.Shown())
            texts << shown.Text;
        return texts;
    }

    TEdit* Other = nullptr;
};

ON_EVERY_ENGINE_WITH(KroGridEditors, GridEditorsFixture);

} // namespace

TEST_P(KroGridEditors, TheDefaultOptionsOpenTheEditWindowOnTheKeyColumn) {
    SelectColumn("LangLook");
    ASSERT_EQ(Grid->ColumnKind(), ckLookup);
    ASSERT_EQ(Name(), QStringLiteral("Ann"));

    Key(Qt::Key_F2);
    TKroLookupEditGrid* window = Grid->EditWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Visible());
    EXPECT_TRUE(window->IsOpen());
    EXPECT_EQ(FocusedName(), QStringLiteral("window"));
    EXPECT_EQ(Grid->EditColumn(), 0) << "the key column";
    EXPECT_EQ(window->Text(), QStringLiteral("3"));
    EXPECT_EQ(window->SelLength(), 1) << "the whole text selected";
    EXPECT_FALSE(Grid->EditorMode()) << "the cell editor handed the cell over";
    EXPECT_EQ(window->Parent(), Grid->Parent());

    Key(Qt::Key_Escape);
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(FocusedName(), QStringLiteral("grid"));
    EXPECT_EQ(Person->State(), dsBrowse);

    // Space does the same.
    Key(Qt::Key_Space);
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(window->Text(), QStringLiteral("3"));
    Key(Qt::Key_Escape);

    // A typed character starts the text.
    Type(QStringLiteral("1"));
    EXPECT_TRUE(window->Visible());
    EXPECT_EQ(window->Text(), QStringLiteral("1"));
    EXPECT_EQ(window->SelStart(), 1);
    EXPECT_EQ(window->SelLength(), 0);
    Type(QStringLiteral("2"));
    EXPECT_EQ(window->Text(), QStringLiteral("12"));
    Key(Qt::Key_Escape);
    EXPECT_EQ(LangKey(), Variant(3)) << "Esc writes nothing";
}

TEST_P(KroGridEditors, AutoDropDownAndCodeNameChooseTheSearchColumnByTheTypedCharacter) {
    // A language whose name starts with "a".
    Lang->Append();
    Lang->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Arabic"));
    Lang->Post();
    SetOptions({foEditWindow, foKeyFieldEdit, foAutoDropDown, foAutoCodeName});
    SelectColumn("LangLook");
    ASSERT_EQ(Look->ListFieldIndex(), 0);

    Type(QStringLiteral("a"));
    TKroInplaceLookupCombo* combo = Grid->LookupCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(Look->ListFieldIndex(), 1);
    EXPECT_TRUE(combo->Visible());
    EXPECT_EQ(FocusedName(), QStringLiteral("lookup"));
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->DataList()->SearchText(), QStringLiteral("a"));
    EXPECT_EQ(combo->DataList()->KeyValue(),
              Lang->Lookup(QStringLiteral("Name"), QStringLiteral("Arabic"), QStringLiteral("Id")));
    EXPECT_EQ(Grid->EditWindow(), nullptr) << "the edit window is not used";

    Key(Qt::Key_Escape); // closes the list
    EXPECT_TRUE(combo->Visible());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(LangKey(), Variant(3));

    Type(QStringLiteral("7"));
    EXPECT_EQ(Look->ListFieldIndex(), 0);
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->DataList()->SearchText(), QStringLiteral("7"));
}

TEST_P(KroGridEditors, CtrlEnterOpensTheListOfALookupAndOfAListColumn) {
    SelectColumn("LangLook");
    Key(Qt::Key_Return, Qt::ControlModifier);
    TKroInplaceLookupCombo* combo = Grid->LookupCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->Visible());
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->DataField(), QStringLiteral("LangLook"));
    EXPECT_EQ(combo->KeyValue(), Variant(3));
    // Over the cell: one pixel further left and as high.
    const QRect cell = CellOnForm();
    EXPECT_EQ(Bounds(combo), cell.adjusted(-1, 0, 0, 0));

    // Down and Enter choose the next language, and the grid moves on.
    Key(Qt::Key_Up);
    Key(Qt::Key_Return);
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(LangKey(), Variant(2));
    EXPECT_EQ(Person->State(), dsEdit);
    EXPECT_EQ(FocusedName(), QStringLiteral("grid"));
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("Sex"));
    Person->Cancel();

    SelectColumn("Sex");
    Key(Qt::Key_Return, Qt::ControlModifier);
    TKroDBInplaceCombo* list = Grid->ListCombo();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->Visible());
    EXPECT_TRUE(list->DroppedDown());
    EXPECT_EQ(list->ItemCount(), 3);
    EXPECT_EQ(Bounds(list), CellOnForm().adjusted(-3, -3, 3, 3));
}

TEST_P(KroGridEditors, PrefixTypedOnTheNameColumnWritesTheKeyOrSaysIncorrectValue) {
    SetOptions({foEditWindow});
    Look->SetListFieldIndex(1);
    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    TKroLookupEditGrid* window = Grid->EditWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Grid->EditColumn(), 1);
    EXPECT_EQ(window->Text(), QStringLiteral("English"));

    Type(QStringLiteral("fr"));
    Key(Qt::Key_Return);
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(LangKey(), Variant(2));
    EXPECT_EQ(Person->State(), dsEdit);
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("Sex")) << "Enter moves on";

    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    EXPECT_EQ(window->Text(), QStringLiteral("French"));
    Type(QStringLiteral("xy"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Incorrect value")});
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(LangKey(), Variant(2));

    // On the key column a prefix of a number finds it too.
    SetOptions({foEditWindow, foKeyFieldEdit});
    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    EXPECT_EQ(Grid->EditColumn(), 0);
    Type(QStringLiteral("1"));
    Key(Qt::Key_Return);
    EXPECT_EQ(LangKey(), Variant(1));
}

TEST_P(KroGridEditors, AnEmptyTextClearsTheKeyAndAKeyNotInTheLookupNeedsValueNotInLookup) {
    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(Grid->EditWindow()->Text().isEmpty());
    Key(Qt::Key_Return);
    EXPECT_TRUE(VarIsNull(LangKey()));
    EXPECT_EQ(Person->State(), dsEdit);
    Person->Cancel();

    // A key the lookup lacks is refused...
    SelectColumn("LangLook");
    Type(QStringLiteral("9"));
    Key(Qt::Key_Return);
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Incorrect value")});
    EXPECT_EQ(LangKey(), Variant(3));

    // ...unless the field takes values that are not in the lookup.
    SetOptions({foEditWindow, foKeyFieldEdit, foValueNotInLookup});
    SelectColumn("LangLook");
    Type(QStringLiteral("9"));
    Key(Qt::Key_Return);
    EXPECT_EQ(LangKey(), Variant(9));
    Person->Post();
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Lang"))->AsInteger(), 9);
}

TEST_P(KroGridEditors, AReadOnlyGridOpensTheWindowReadOnlyAndWritesNothing) {
    Grid->SetReadOnly(true);
    SelectColumn("LangLook");
    Type(QStringLiteral("1"));
    TKroLookupEditGrid* window = Grid->EditWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->Visible());
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_EQ(window->Text(), QStringLiteral("3")) << "the typed key is dropped";
    Type(QStringLiteral("2"));
    EXPECT_EQ(window->Text(), QStringLiteral("3"));
    Key(Qt::Key_Return);
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(LangKey(), Variant(3));
    EXPECT_EQ(Person->State(), dsBrowse);

    // A key field that cannot be written makes the window read-only too.
    Grid->SetReadOnly(false);
    Person->FieldByName(QStringLiteral("Lang"))->SetReadOnly(true);
    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    EXPECT_TRUE(window->ReadOnly());
}

TEST_P(KroGridEditors, TheWindowCoversItsSubCellTheLastReachesTheCellEdge) {
    SetOptions({foEditWindow});
    SelectColumn("LangLook");
    const int zero = Zero();
    const int idWidth = Look->ResultField(0)->DisplayWidth() * zero + 5;
    const int nameWidth = Look->ResultField(1)->DisplayWidth() * zero + 4;

    Look->SetListFieldIndex(1);
    Key(Qt::Key_F2);
    TKroLookupEditGrid* window = Grid->EditWindow();
    QRect cell = CellOnForm();
    EXPECT_EQ(Bounds(window), QRect(cell.left() + idWidth, cell.top(), nameWidth, cell.height()));
    Key(Qt::Key_Escape);

    // The last result column reaches the cell's right edge.
    Look->SetListFieldIndex(2);
    Key(Qt::Key_F2);
    EXPECT_EQ(Grid->EditColumn(), 2);
    EXPECT_EQ(Bounds(window).right(), cell.right());
    EXPECT_GT(Bounds(window).left(), cell.left() + idWidth + nameWidth);
    Key(Qt::Key_Escape);

    // A column too narrow for the sub-cell: the window covers the whole cell.
    ColumnOf("LangLook")->SetWidth(idWidth + nameWidth / 2);
    ProcessEvents();
    SelectColumn("LangLook");
    Look->SetListFieldIndex(1);
    Key(Qt::Key_F2);
    cell = CellOnForm();
    EXPECT_EQ(Bounds(window), cell);
    EXPECT_EQ(window->TextMargins(), QMargins(2, 2, 2, 0));
}

TEST_P(KroGridEditors, TabReturnsFromTheLookupComboAndMovesOnFromTheListCombo) {
    SelectColumn("LangLook");
    Key(Qt::Key_Return, Qt::ControlModifier);
    TKroInplaceLookupCombo* combo = Grid->LookupCombo();
    ASSERT_NE(combo, nullptr);
    Key(Qt::Key_Escape); // the list only
    ASSERT_EQ(FocusedName(), QStringLiteral("lookup"));
    Key(Qt::Key_Tab);
    EXPECT_FALSE(combo->Visible());
    EXPECT_EQ(FocusedName(), QStringLiteral("grid"));
    EXPECT_EQ(Grid->SelectedField()->FieldName(), QStringLiteral("LangLook"));

    SelectColumn("Sex");
    Key(Qt::Key_Return, Qt::ControlModifier);
    TKroDBInplaceCombo* list = Grid->ListCombo();
    ASSERT_NE(list, nullptr);
    list->SetDroppedDown(false);
    ProcessEvents();
    ASSERT_EQ(FocusedName(), QStringLiteral("list"));
    Key(Qt::Key_Tab);
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(FocusedName(), QStringLiteral("grid"));
    EXPECT_NE(Grid->SelectedField()->FieldName(), QStringLiteral("Sex"));
}

TEST_P(KroGridEditors, LeavingAnEditorHidesItAndRaisesTheGridsEvents) {
    QList<TObject*> exits;
    QList<TObject*> clicks;
    Grid->SetOnExit(TNotifyEvent([&](TObject* Sender) { exits << Sender; }));
    Grid->SetOnClick(TNotifyEvent([&](TObject* Sender) { clicks << Sender; }));

    // The edit window: the grid's own exit is held back while the window is open.
    SetOptions({foEditWindow});
    Look->SetListFieldIndex(1);
    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    TKroLookupEditGrid* window = Grid->EditWindow();
    EXPECT_TRUE(exits.isEmpty());
    Type(QStringLiteral("ge"));
    Other->SetFocus();
    ProcessEvents();
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(LangKey(), Variant(1)) << "leaving writes the text";
    EXPECT_EQ(exits, QList<TObject*>{window});
    EXPECT_EQ(clicks, QList<TObject*>{window});
    Person->Cancel();

    // Focus back to the grid, and away: the grid's own exit is there again.
    exits.clear();
    clicks.clear();
    Grid->SetFocus();
    ProcessEvents();
    Other->SetFocus();
    ProcessEvents();
    EXPECT_EQ(exits, QList<TObject*>{Grid});
    Grid->SetFocus();
    ProcessEvents();

    // The lookup combo.
    exits.clear();
    SelectColumn("LangLook");
    Key(Qt::Key_Return, Qt::ControlModifier);
    TKroInplaceLookupCombo* combo = Grid->LookupCombo();
    Other->SetFocus();
    ProcessEvents();
    EXPECT_FALSE(combo->Visible());
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_TRUE(exits.contains(combo));
    EXPECT_EQ(LangKey(), Variant(3));
    Grid->SetFocus();
    ProcessEvents();

    // The list combo: Esc returns to the grid, leaving raises OnExit and OnClick.
    SelectColumn("Sex");
    Key(Qt::Key_F2);
    TKroDBInplaceCombo* list = Grid->ListCombo();
    ASSERT_TRUE(list->Visible());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(FocusedName(), QStringLiteral("grid"));
    EXPECT_TRUE(clicks.contains(list));

    // Enter on the list combo moves the grid on.
    Key(Qt::Key_F2);
    ASSERT_TRUE(list->Visible());
    Type(QStringLiteral("1"));
    Key(Qt::Key_Return);
    EXPECT_FALSE(list->Visible());
    EXPECT_EQ(Person->FieldByName(QStringLiteral("Sex"))->AsInteger(), 1);
    EXPECT_NE(Grid->SelectedField()->FieldName(), QStringLiteral("Sex"));
}

TEST_P(KroGridEditors, MovingOrHidingTheGridHidesTheEditors) {
    SelectColumn("LangLook");
    Key(Qt::Key_F2);
    TKroLookupEditGrid* window = Grid->EditWindow();
    ASSERT_TRUE(window->Visible());
    Person->Next();
    EXPECT_FALSE(window->Visible());
    EXPECT_EQ(Person->State(), dsBrowse) << "nothing was changed";

    Key(Qt::Key_Return, Qt::ControlModifier);
    TKroInplaceLookupCombo* combo = Grid->LookupCombo();
    ASSERT_TRUE(combo->Visible());
    Grid->Hide();
    EXPECT_FALSE(combo->Visible());
    EXPECT_FALSE(window->Visible());
}

TEST_P(KroGridEditors, ANewRecordStaysWhileAnEditorHasTheCell) {
    SelectColumn("LangLook");
    Person->Append();
    ProcessEvents();
    Key(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(Grid->LookupCombo()->Visible());
    EXPECT_EQ(Person->State(), dsInsert) << "the grid's exit did not drop the new record";
    EXPECT_TRUE(Grid->DataLink()->IsModified());
    Key(Qt::Key_Down);
    Key(Qt::Key_Return);
    EXPECT_EQ(Person->State(), dsInsert);
    EXPECT_FALSE(VarIsNull(LangKey()));
}

namespace {

TEdit* CustomEdit = nullptr;
TField* AskedField = nullptr;
QChar AskedKey;

TWinControl* CustomEditorFor(TKroDbGrid*, TField* Field, QChar Key) {
    AskedField = Field;
    AskedKey = Key;
    return Field->FieldName() == QLatin1String("Name") ? CustomEdit : nullptr;
}

} // namespace

TEST_P(KroGridEditors, TheHookGivesAPlainColumnItsOwnEditor) {
    TEdit edit(&Form);
    CustomEdit = &edit;
    GridCustomEditorHook = CustomEditorFor;
    const auto reset = qScopeGuard([] { GridCustomEditorHook = nullptr; });
    QList<TField*> layouts;
    Grid->SetOnSetLayout(TSetLayoutEvent([&](TObject* Sender, TField* Field) {
        EXPECT_EQ(Sender, Grid->InplaceEditor());
        layouts << Field;
    }));

    SelectColumn("Name");
    Type(QStringLiteral("x"));
    EXPECT_EQ(AskedField, Person->FieldByName(QStringLiteral("Name")));
    EXPECT_EQ(AskedKey, QLatin1Char('x'));
    EXPECT_TRUE(edit.Visible());
    EXPECT_EQ(edit.Parent(), Grid->Parent());
    EXPECT_EQ(Bounds(&edit), CellOnForm().adjusted(-1, 0, 0, 0));
    EXPECT_EQ(edit.Text(), QStringLiteral("x")) << "the typed key is posted to it";
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(layouts, QList<TField*>{Person->FieldByName(QStringLiteral("Name"))});
    Grid->SetFocus();
    ProcessEvents();

    // No control from the hook: the plain cell editor.
    SelectColumn("Lang");
    Key(Qt::Key_F2);
    EXPECT_EQ(AskedKey, QChar());
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_TRUE(Grid->InplaceEditor()->Visible());
    EXPECT_NE(dynamic_cast<TKroDBGridInplaceEdit*>(Grid->InplaceEditor()), nullptr);
}
