#include "ComboFixture.h"
#include "OpenMenu.h"

#include <controls/KroContr.h>
#include <fields/KroLookCombo.h>
#include <forms/KroForms.h>
#include <ui/StdCtrls.h>

namespace {

// A lookup combo on a field of Pers, followed by an edit that takes the focus next.
class KroLookComboFixture : public ComboFixture, public ::testing::WithParamInterface<const char*> {
protected:
    QString Engine() const override { return QString::fromLatin1(GetParam()); }
    KroLookComboFixture() {
        Combo->SetParent(&Form);
        Combo->SetBounds(10, 10, 200, 24);
        Next->SetParent(&Form);
        Next->SetBounds(10, 50, 100, 24);
    }

    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    void Bind(const char* DataField) {
        Combo->SetDataSource(PersSource);
        Combo->SetDataField(QString::fromLatin1(DataField));
    }

    // Binds the combo to the countries, listed for the record's continent.
    void BindCountriesOfContinent() {
        CountryLook->SetLookupFilterField(QStringLiteral("Continent"));
        CountryLook->SetLookupFilterKey(QStringLiteral("Continent"));
        Bind("CountryLook");
    }

    // The texts of the list's search column as the drop-down shows them.
    QStringList Rows() { return ListRows(Combo); }

    // Moves the drop-down's highlight onto the row with this text.
    void Highlight(const char* Text) {
        Key(Combo, Qt::Key_Home);
        for (int i = 0;
             i < 10 && Combo->DataList()->SearchField()->AsString() != QString::fromLatin1(Text);
             ++i)
            Key(Combo, Qt::Key_Down);
        ASSERT_EQ(Combo->DataList()->SearchField()->AsString(), QString::fromLatin1(Text));
    }

    TKroDBLookupCombo* Combo = new TKroDBLookupCombo(&Form);
    TEdit* Next = new TEdit(&Form);
};

ON_EVERY_ENGINE_WITH(KroLookCombo, KroLookComboFixture);

TEST_P(KroLookCombo, TheFilterKeyShowsTheCountriesOfTheRecordsContinentOverTheListsOwnFilter) {
    BindCountriesOfContinent();
    OpenAll();
    Land->SetFilter(QStringLiteral("Name<>'France'"));
    Land->SetFiltered(true);
    Land->SetFilter(QStringLiteral("Name<>'Japan'")); // replaced, still in force
    GoTo("Ann");
    ShowFocused(Combo);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain"));
    QStringList dropped;
    Combo->SetOnDropDown(TNotifyEvent([&](TObject*) { dropped << Land->Filter(); }));

    Key(Combo, Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(Rows(), (QStringList{QStringLiteral("Spain"), QStringLiteral("France")}));
    EXPECT_EQ(dropped, QStringList{QStringLiteral("Name<>'Japan'")})
        << "once, before the combo's filter";
    Key(Combo, Qt::Key_Escape);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Land->Filter(), QStringLiteral("Name<>'Japan'"));
    EXPECT_TRUE(Land->Filtered());

    // An empty continent filters with null; the list's own filter is joined to it.
    Land->SetFilter(QStringLiteral("Name<>'Spain'"));
    GoTo("Cid");
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Atlantis")});
    Key(Combo, Qt::Key_Down);
    Key(Combo, Qt::Key_Return);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Value("Country").toInt(), 4);
    EXPECT_EQ(Pers->State(), dsEdit);
    EXPECT_EQ(Land->Filter(), QStringLiteral("Name<>'Spain'"));
    ProcessEvents();
    EXPECT_TRUE(Next->Focused()) << "Enter on the list moves on";

    // A filter text that is not in force stays out of the list's condition.
    Pers->Cancel();
    Land->SetFiltered(false);
    GoTo("Bob");
    Combo->SetFocus();
    Key(Combo, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Japan")});
    Key(Combo, Qt::Key_Escape);
    EXPECT_FALSE(Land->Filtered());
    EXPECT_EQ(Land->Filter(), QStringLiteral("Name<>'Spain'"));
}

TEST_P(KroLookCombo, EachDropDownFiltersByTheContinentAndTheListAsTheyAreThen) {
    BindCountriesOfContinent();
    OpenAll();
    GoTo("Ann");
    ShowFocused(Combo);
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Rows(), (QStringList{QStringLiteral("Spain"), QStringLiteral("France")}));
    Key(Combo, Qt::Key_Escape);

    // The continent changed: the same filter text with another value.
    Pers->Edit();
    Pers->FieldByName(QStringLiteral("Continent"))->SetAsInteger(2);
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Japan")});
    Key(Combo, Qt::Key_Escape);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain")) << "the key the list lacked";
    EXPECT_FALSE(Land->Filtered());
    Pers->Cancel();

    // The list edited between two drop-downs: a country moved to Europe, one added.
    ASSERT_TRUE(Land->Locate(QStringLiteral("Name"), QStringLiteral("Japan"), {}));
    Land->Edit();
    Land->FieldByName(QStringLiteral("Continent"))->SetAsInteger(1);
    Land->Post();
    Land->Append();
    Land->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Portugal"));
    Land->FieldByName(QStringLiteral("Continent"))->SetAsInteger(1);
    Land->Post();
    Combo->SetFocus();
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Rows(), (QStringList{QStringLiteral("Spain"), QStringLiteral("France"),
                                   QStringLiteral("Japan"), QStringLiteral("Portugal")}));
    EXPECT_EQ(Combo->DataList()->SearchField()->AsString(), QStringLiteral("Spain"))
        << "the list stands on the record's key";
    Key(Combo, Qt::Key_Down);
    Key(Combo, Qt::Key_Return);
    EXPECT_EQ(Value("Country").toInt(), 2);
    EXPECT_EQ(Combo->Text(), QStringLiteral("France"));
}

TEST_P(KroLookCombo, TheProfessionTreeDescendsToAChildlessRow) {
    ProfLook->SetLookupLevelUp(QStringLiteral("IdUp"));
    ProfLook->SetLookupLevelDown(QStringLiteral("AmountDown"));
    Bind("ProfLook");
    OpenAll();
    GoTo("Bob");
    ShowFocused(Combo);

    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(Combo->TreeFiltered());
    EXPECT_EQ(Rows(), (QStringList{QStringLiteral("Science"), QStringLiteral("Arts")}));
    auto* list = static_cast<TKroPopupDataList*>(Combo->DataList());
    Highlight("Science");
    EXPECT_TRUE(list->HasChildren());
    Key(Combo, Qt::Key_Return);
    ASSERT_TRUE(Combo->DroppedDown()) << "a row with children shows them";
    EXPECT_EQ(Rows(), (QStringList{QStringLiteral("Physics"), QStringLiteral("Chemistry")}));
    ASSERT_EQ(Combo->Path().size(), 1);
    EXPECT_TRUE(Combo->Path().first().endsWith(QStringLiteral(":Science")));
    EXPECT_TRUE(VarIsNull(Value("Prof")));
    Highlight("Chemistry");
    EXPECT_FALSE(list->HasChildren());
    Key(Combo, Qt::Key_Return);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Value("Prof").toInt(), 3);
    EXPECT_FALSE(Prof->Filtered());
    EXPECT_TRUE(Combo->Path().isEmpty());

    // Escape among the children leaves the value; Ctrl+Enter takes a parent itself.
    Combo->SetFocus();
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    Highlight("Arts");
    Key(Combo, Qt::Key_Return);
    ASSERT_EQ(Rows(), QStringList{QStringLiteral("Music")});
    Key(Combo, Qt::Key_Escape);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Value("Prof").toInt(), 3);
    EXPECT_FALSE(Prof->Filtered());
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    Highlight("Arts");
    Key(Combo, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Value("Prof").toInt(), 4);
    EXPECT_FALSE(Combo->TreeFiltered());
}

TEST_P(KroLookCombo, TheContinentLevelComesFirstAndEscapeLeavesTheComboUnchanged) {
    CountryLook->SetLookupFilterField(QStringLiteral("Continent"));
    auto* level = static_cast<TKroLookupLevelItem*>(CountryLook->LookupLevels()->Add());
    level->SetDataSet(Cont);
    level->SetKeyField(QStringLiteral("Id"));
    level->SetResultFields(QStringLiteral("Id;Name"));
    Bind("CountryLook");
    OpenAll();
    GoTo("Ann");
    ShowFocused(Combo);

    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(Combo->CurrentLevel(), 0);
    EXPECT_EQ(Combo->ListDataSet(), Cont);
    EXPECT_EQ(Combo->DataSource(), nullptr) << "detached while a parent list shows";
    Highlight("Asia");
    Key(Combo, Qt::Key_Escape);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->CurrentLevel(), -1);
    EXPECT_EQ(Combo->DataSource(), PersSource);
    EXPECT_EQ(Combo->ListDataSet(), Land);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Spain"));
    EXPECT_EQ(Pers->State(), dsBrowse);

    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    Highlight("Asia");
    Key(Combo, Qt::Key_Return);
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ListDataSet(), Land);
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("Japan")});
    ASSERT_EQ(Combo->Path().size(), 1);
    EXPECT_TRUE(Combo->Path().first().endsWith(QStringLiteral(":Asia")));
    Key(Combo, Qt::Key_Down);
    Key(Combo, Qt::Key_Return);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Value("Country").toInt(), 3);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));
    EXPECT_FALSE(Land->Filtered());
    EXPECT_EQ(Combo->CurrentLevel(), -1);

    // A level without its key field is refused, naming the field, and nothing changes.
    level->SetKeyField(QString());
    Combo->SetFocus();
    EXPECT_THROW(Combo->DropDown(), EDatabaseError);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->DataSource(), PersSource);
}

TEST_P(KroLookCombo, HeaderLinesAndSearchColumns) {
    Combo->SetListSource(LandSource);
    Combo->SetKeyField(QStringLiteral("Id"));
    Combo->SetListField(QStringLiteral("Id;Name"));
    OpenAll();
    Combo->SetKeyValue(3);
    ShowFocused(Combo);

    EXPECT_EQ(Combo->HeadLineCount(), 1);
    Combo->SetHeadLineCount(2);
    Combo->SetHeadLineCount(0);
    EXPECT_EQ(Combo->HeadLineCount(), 2) << "a count below 1 is ignored";
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    TPopupDataList* list = Combo->DataList();
    EXPECT_EQ(list->ListHeight(), (2 + list->RowCount()) * list->RowHeight() + 2);
    // A click on a header line chooses nothing.
    QTest::mouseClick(list->Widget(), Qt::LeftButton, {}, QPoint(20, list->RowHeight()));
    EXPECT_TRUE(Combo->DroppedDown());
    Key(Combo, Qt::Key_Escape);
    Combo->SetHeadLine(false);
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(list->ListHeight(), list->RowCount() * list->RowHeight() + 2);
    Key(Combo, Qt::Key_Escape);

    // Ctrl+Z alternates the two columns, also with the list open.
    EXPECT_EQ(Combo->Text(), QStringLiteral("3"));
    Key(Combo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Combo->ListFieldIndex(), 1);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));
    Key(Combo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Combo->ListFieldIndex(), 0);
    Key(Combo, Qt::Key_Down, Qt::AltModifier);
    Key(Combo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(list->ListFieldIndex(), 1);
    Key(Combo, Qt::Key_Escape);
    Combo->SetListFieldIndex(7);
    EXPECT_EQ(Combo->ListFieldIndex(), 0) << "beyond the last column: the first";
}

TEST_P(KroLookCombo, TheSearchColumnOfALookFieldFollowsTheCombo) {
    Bind("CountryLook");
    OpenAll();
    GoTo("Bob");
    ShowFocused(Combo);
    EXPECT_EQ(Combo->ListFieldIndex(), 1);
    EXPECT_EQ(Combo->Text(), QStringLiteral("Japan"));
    Key(Combo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CountryLook->ListFieldIndex(), 0);
    EXPECT_EQ(Combo->Text(), QStringLiteral("3"));

    // Closed, Up and Down are dropped unless the options allow them.
    CountryLook->SetOptions({foEditWindow});
    Key(Combo, Qt::Key_Down);
    EXPECT_EQ(Value("Country").toInt(), 3);
    CountryLook->SetOptions({foUpDownInClose});
    Key(Combo, Qt::Key_Down);
    EXPECT_NE(Value("Country").toInt(), 3);
}

TEST_P(KroLookCombo, TheCodeWindowFindsTheTypedValueOrSaysItIsIncorrect) {
    Bind("CountryLook");
    OpenAll();
    GoTo("Cid");
    ShowFocused(Combo);
    EXPECT_EQ(Combo->EditWindow(), nullptr);

    Type(Combo, "j");
    TKroLookupEdit* edit = Combo->EditWindow();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->Visible());
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(edit->Text(), QStringLiteral("j"));
    EXPECT_EQ(Pers->State(), dsEdit) << "the record is edited as the window opens";
    Key(edit, Qt::Key_Return);
    ProcessEvents();
    EXPECT_FALSE(edit->Visible());
    EXPECT_EQ(Value("Country").toInt(), 3);
    EXPECT_TRUE(Next->Focused()) << "Enter moves on";

    // F2 opens it on the current text; a value the list lacks is refused.
    Combo->SetFocus();
    Key(Combo, Qt::Key_F2);
    ASSERT_TRUE(edit->Visible());
    EXPECT_EQ(edit->Text(), QStringLiteral("Japan"));
    edit->SetText(QStringLiteral("Mars"));
    Combo->SetFocus();
    ProcessEvents();
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown().last().Text, QStringLiteral("Incorrect value"));
    EXPECT_TRUE(edit->Visible());
    EXPECT_TRUE(edit->Focused()) << "the window keeps the focus to be corrected";
    EXPECT_EQ(Value("Country").toInt(), 3);

    // Space opens it too; an empty text clears the key.
    edit->SetText(QString());
    Combo->SetFocus();
    ProcessEvents();
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(VarIsNull(Value("Country")));
    Key(Combo, Qt::Key_Space);
    EXPECT_TRUE(edit->Visible());
    Key(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->Visible());
    EXPECT_TRUE(VarIsNull(Value("Country")));
}

TEST_P(KroLookCombo, TheCodeWindowTakesTheEditMaskOfItsColumn) {
    Bind("CountryLook");
    OpenAll();
    Land->FieldByName(QStringLiteral("Name"))->SetEditMask(QStringLiteral(">L<lllllll;0;_"));
    GoTo("Cid");
    ShowFocused(Combo);

    Type(Combo, "f");
    TKroLookupEdit* edit = Combo->EditWindow();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->EditMask(), QStringLiteral(">L<lllllll;0;_"));
    EXPECT_EQ(edit->EditText(), QStringLiteral("F_______")) << "the mask capitalises";
    Type(edit, "RANCE7");
    EXPECT_EQ(edit->EditText(), QStringLiteral("France__")) << "letters only, lower case";
    Key(edit, Qt::Key_Return);
    ProcessEvents();
    EXPECT_FALSE(edit->Visible());
    EXPECT_EQ(Value("Country").toInt(), 2);

    // The key column has no mask: the window opened on it has none either.
    Combo->SetFocus();
    Combo->SetListFieldIndex(0);
    Key(Combo, Qt::Key_F2);
    ASSERT_TRUE(edit->Visible());
    EXPECT_FALSE(edit->IsMasked());
    Key(edit, Qt::Key_Escape);
    EXPECT_FALSE(edit->Visible());
}

TEST_P(KroLookCombo, TypingDropsTheListDownOnTheColumnTheCharacterSuits) {
    Bind("CountryLook");
    CountryLook->SetOptions({foAutoDropDown, foAutoCodeName});
    OpenAll();
    GoTo("Cid");
    ShowFocused(Combo);
    Type(Combo, "fr");
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ListFieldIndex(), 1) << "a letter searches the names";
    EXPECT_EQ(Combo->DataList()->SearchText(), QStringLiteral("fr"));
    EXPECT_EQ(Combo->DataList()->KeyValue(), QVariant(2));
    Key(Combo, Qt::Key_Backspace);
    Key(Combo, Qt::Key_Backspace);
    Key(Combo, Qt::Key_Escape);
    EXPECT_TRUE(VarIsNull(Value("Country")));
    Type(Combo, "3");
    EXPECT_EQ(Combo->ListFieldIndex(), 0) << "a digit searches the keys";
    EXPECT_EQ(Combo->DataList()->KeyValue(), QVariant(3));
    Key(Combo, Qt::Key_Return);
    EXPECT_EQ(Value("Country").toInt(), 3);

    // A read-only combo opens its list but typing there chooses nothing.
    Combo->SetFocus();
    Combo->SetReadOnly(true);
    Type(Combo, "s");
    ASSERT_TRUE(Combo->DroppedDown());
    EXPECT_TRUE(Combo->DataList()->SearchText().isEmpty());
    EXPECT_EQ(Combo->DataList()->KeyValue(), QVariant(3));
}

TEST_P(KroLookCombo, AnUnboundComboShowsAKeyTheListLacksWhenAllowed) {
    Combo->SetListSource(LandSource);
    Combo->SetKeyField(QStringLiteral("Id"));
    Combo->SetListField(QStringLiteral("Id;Name"));
    OpenAll();
    Combo->SetKeyValue(99);
    EXPECT_EQ(Combo->Text(), QString());
    Combo->SetOptions({foEditWindow, foValueNotInLookup});
    Combo->SetKeyValue(98);
    EXPECT_EQ(Combo->Text(), QStringLiteral("98"));
    Combo->SetKeyValue(1);
    EXPECT_EQ(Combo->Text(), QStringLiteral("1"));

    // The code window on the key column takes any key of the key's type.
    ShowFocused(Combo);
    Key(Combo, Qt::Key_F2);
    TKroLookupEdit* edit = Combo->EditWindow();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->CodeField()->FieldName(), QStringLiteral("Id"));
    edit->SetText(QStringLiteral("77"));
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(Combo->KeyValue(), QVariant(77));
    EXPECT_EQ(Combo->Text(), QStringLiteral("77"));
    Combo->SetFocus();
    Key(Combo, Qt::Key_F2);
    edit->SetText(QStringLiteral("x1"));
    Combo->SetFocus();
    ProcessEvents();
    ASSERT_FALSE(Responder.Shown().isEmpty());
    EXPECT_EQ(Responder.Shown().last().Text, QStringLiteral("Incorrect information"));
    EXPECT_EQ(Combo->KeyValue(), QVariant(77));
}

TEST_P(KroLookCombo, EditDataPicksAKeyWithTheEditedChainKeptFromRefreshes) {
    Bind("CountryLook");
    OpenAll();
    GoTo("Ann");
    Pers->SetTag(9);
    Pers->Edit();
    int tagSeen = 0;
    QString keySeen;
    Variant valueSeen;
    CountryLook->SetOnEditData(
        TOnEditDataEvent([&](TObject*, TTypeShow TypeShow, TFieldReturn* Return) {
            EXPECT_EQ(TypeShow, tsSelect);
            tagSeen = int(Pers->Tag());
            keySeen = Return->KeyFieldName();
            valueSeen = Return->Value();
            Return->SetValue(2);
            FormDBReturn = true;
        }));
    ShowFocused(Combo);
    Key(Combo, Qt::Key_F1, Qt::AltModifier);
    EXPECT_EQ(tagSeen, 80);
    EXPECT_EQ(Pers->Tag(), 9);
    EXPECT_EQ(keySeen, QStringLiteral("Id"));
    EXPECT_EQ(valueSeen, QVariant(1));
    EXPECT_EQ(Value("Country").toInt(), 2);
    EXPECT_EQ(Combo->Text(), QStringLiteral("France"));

    // A cancelled choice or a read-only combo writes nothing.
    CountryLook->SetOnEditData(
        TOnEditDataEvent([](TObject*, TTypeShow, TFieldReturn* Return) { Return->SetValue(3); }));
    Combo->EditData();
    EXPECT_EQ(Value("Country").toInt(), 2);
}

TEST_P(KroLookCombo, ThePopupMenuSearchesAndOrdersByTheListFields) {
    Combo->SetListSource(LandSource);
    Combo->SetKeyField(QStringLiteral("Id"));
    Combo->SetListField(QStringLiteral("Id;Name"));
    Combo->Loaded();
    ASSERT_EQ(Combo->PopupMenu(), PopupMenuKroDBLookup());
    Land->SetIndexFieldNames(QStringLiteral("Id"));
    OpenAll();
    Combo->SetKeyValue(2);
    ShowFocused(Combo);
    QTest::mouseClick(Combo->Widget(), Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_TRUE(OpenMenu());
    const QStringList shown = ShownItems();
    EXPECT_TRUE(shown.contains(QStringLiteral("Search by")));
    auto* items = PopupMenuKroDBLookup()->Items();
    TMenuItem* searchBy = items->Find(QStringLiteral("Search by"));
    TMenuItem* orderBy = items->Find(QStringLiteral("Order by"));
    TMenuItem* both = items->Find(QStringLiteral("Search and order by"));
    ASSERT_EQ(searchBy->Count(), 2);
    EXPECT_TRUE(searchBy->Items(0)->Checked());
    EXPECT_TRUE(orderBy->Items(0)->Checked());
    EXPECT_TRUE(both->Items(0)->Checked());
    EXPECT_FALSE(both->Items(1)->Checked());
    QApplication::activePopupWidget()->close();

    both->Items(1)->Click();
    EXPECT_EQ(Combo->ListFieldIndex(), 1);
    EXPECT_EQ(GetCurrentOrder(Land).toLower(), QStringLiteral("name"));
    EXPECT_EQ(Combo->Text(), QStringLiteral("France"));

    // One list field: no submenus.
    Combo->SetListField(QStringLiteral("Name"));
    QTest::mouseClick(Combo->Widget(), Qt::RightButton, {}, QPoint(5, 5));
    ASSERT_TRUE(OpenMenu());
    EXPECT_FALSE(ShownItems().contains(QStringLiteral("Search by")));
}

TEST_P(KroLookCombo, TheOneRecordPageFactoriesTakeTheFieldsSettings) {
    CountryLook->SetLookupFilterField(QStringLiteral("Continent"));
    CountryLook->SetHeadColor(TColor(0x123456));
    CountryLook->SetOptions({foAutoDropDown});
    auto* level = static_cast<TKroLookupLevelItem*>(CountryLook->LookupLevels()->Add());
    level->SetDataSet(Cont);
    level->SetKeyField(QStringLiteral("Id"));
    level->SetResultFields(QStringLiteral("Name"));

    EXPECT_EQ(KroLookupComboFactory(&Form, Pers->FieldByName(QStringLiteral("Name"))), nullptr);
    auto* combo = qobject_cast<TKroDBLookupCombo*>(KroLookupComboFactory(&Form, CountryLook));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->ListField(), QStringLiteral("Id;Name"));
    EXPECT_EQ(combo->ListFieldIndex(), 1);
    EXPECT_EQ(combo->HeadColor(), TColor(0x123456));
    EXPECT_EQ(combo->LookupFilterField(), QStringLiteral("Continent"));
    EXPECT_EQ(combo->Options(), TKroLookFieldOptions{foAutoDropDown});
    ASSERT_EQ(combo->LookupLevels()->Count(), 1);
    EXPECT_EQ(combo->LookupLevels()->DataSet(0), Cont);
    EXPECT_EQ(combo->PopupMenu(), PopupMenuKroDBLookup());

    auto* plain = qobject_cast<TKroDBLookupCombo*>(KroPlainLookupComboFactory(&Form, CountryLook));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->HeadColor(), TColor(0x123456));
    EXPECT_TRUE(plain->ListField().isEmpty());
    EXPECT_EQ(plain->LookupLevels()->Count(), 0);

    // The label shows the lookup columns the field names.
    auto* text = qobject_cast<TKroDBText*>(KroTextFactory(&Form, CountryLook));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->LookField(), QStringLiteral("Id;Name"));
    text->SetParent(&Form);
    text->SetDataSource(PersSource);
    text->SetDataField(QStringLiteral("CountryLook"));
    OpenAll();
    GoTo("Bob");
    EXPECT_EQ(text->Caption(), QStringLiteral("3 Japan"));
    text->SetLookField(QStringLiteral("Name"));
    EXPECT_EQ(text->Caption(), QStringLiteral("Japan"));
}

} // namespace
