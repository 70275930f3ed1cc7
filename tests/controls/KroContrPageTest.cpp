#include "PeopleDatabase.h"

#include <QApplication>
#include <controls/KroContr.h>
#include <controls/KroPopup.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <fields/KroLook.h>
#include <fields/KroLookCombo.h>
#include <forms/DiAdv.h>
#include <gtest/gtest.h>
#include <ui/ExtCtrls.h>
#include <ui/Forms.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

namespace {

void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// Three people with persistent fields: Id, Name (30), Country, Birth (a date), Notes (a memo),
// the lookup field CountryName of Country in Country's Id, and the calculated Initial.
class KroFieldControls : public ::testing::Test {
protected:
    void SetUp() override {
        Country->SetDatabaseName(Db.Alias());
        Country->SetTableName(QStringLiteral("Country.db"));
        People->SetDatabaseName(Db.Alias());
        People->SetTableName(QStringLiteral("People.db"));
        People->SetIndexFieldNames(QStringLiteral("Id"));
        AddField<TAutoIncField>("Id");
        AddField<TStringField>("Name")->SetSize(30);
        AddField<TIntegerField>("Country");
        AddField<TDateField>("Birth");
        AddField<TMemoField>("Notes");
        Look = AddField<TKroLookField>("CountryName");
        Look->SetSize(30);
        Look->SetFieldKind(fkLookup);
        Look->SetLookupDataSet(Country);
        Look->SetKeyFields(QStringLiteral("Country"));
        Look->SetLookupKeyFields(QStringLiteral("Id"));
        Look->SetLookupResultField(QStringLiteral("Name"));
        AddField<TStringField>("Initial")->SetFieldKind(fkCalculated);
        Source->SetDataSet(People);
        Country->Open();
        People->Open();
        Form.SetBounds(0, 0, 900, 500);
        Form.Show();
        ProcessEvents();
    }

    template <class T> T* AddField(const char* Name) {
        auto* field = new T(&Form);
        field->SetFieldName(QString::fromLatin1(Name));
        field->SetDataSet(People);
        return field;
    }
    TField* Field(const char* Name) const { return People->FieldByName(QString::fromLatin1(Name)); }
    TControl* ControlOf(const char* Name, int CharWidth = 7) {
        return CreateFieldControl(&Form, Field(Name), Source, CharWidth);
    }
    static QString DataField(const TControl* Control) {
        return Control->property("DataField").toString();
    }

    TPeopleDatabase Db{3};
    TForm Form;
    TKroTable* Country = new TKroTable(&Form);
    TKroTable* People = new TKroTable(&Form);
    TDataSource* Source = new TDataSource(&Form);
    TKroLookField* Look = nullptr;
};

// A scroll box on the form for the pages the tests build.
class KroBuildControls : public KroFieldControls {
protected:
    void SetUp() override {
        KroFieldControls::SetUp();
        Box->SetParent(&Form);
        Box->SetBorderStyle(bsNone);
        Box->SetBounds(0, 0, 880, 480);
    }

    // The labels and controls the box holds, paired by the label's focus control or, for
    // a text, by being inserted just before it.
    struct TPair {
        TLabel* Label;
        TControl* Control;
    };
    QList<TPair> Pairs() const {
        QList<TPair> pairs;
        for (int i = 1; i < Box->ControlCount(); i += 2)
            pairs << TPair{qobject_cast<TLabel*>(Box->Controls(i)), Box->Controls(i - 1)};
        return pairs;
    }
    QStringList Captions() const {
        QStringList captions;
        for (const TPair& pair : Pairs())
            captions << pair.Label->Caption();
        return captions;
    }
    // Only the fields named stay visible, in this order.
    void ShowOnly(const QStringList& Names) {
        for (int i = 0; i < People->FieldCount(); ++i)
            People->Fields()->Fields(i)->SetVisible(false);
        for (int i = 0; i < Names.size(); ++i) {
            TField* field = People->FieldByName(Names[i]);
            field->SetVisible(true);
            field->SetIndex(i);
        }
    }
    void Build(bool Aligned = false, bool OnlyVisible = true, TFont* LabelFont = nullptr,
               TColor Color = TColor(0)) {
        Box->DestroyComponents();
        BuildControls(Box, Source, LabelFont, Color, Aligned, OnlyVisible);
    }
    int CharWidth() const { return GetFontMetrics(Box->Font(), QStringLiteral("0")).width(); }

    TScrollBox* Box = new TScrollBox(&Form);
};

} // namespace

TEST_F(KroFieldControls, EachKindOfFieldGetsItsControlBoundAndSizedInCharacters) {
    TControl* name = ControlOf("Name");
    ASSERT_TRUE(qobject_cast<TKroDBEdit*>(name));
    EXPECT_EQ(name->property("DataSource").value<TDataSource*>(), Source);
    EXPECT_EQ(DataField(name), QStringLiteral("Name"));
    EXPECT_EQ(name->Width(), (30 + 2) * 7);
    EXPECT_EQ(name->PopupMenu(), PopupMenuKroDBFieldControls());

    TControl* country = ControlOf("Country");
    EXPECT_TRUE(qobject_cast<TKroDBEdit*>(country));
    EXPECT_EQ(country->Width(), (Field("Country")->DisplayWidth() + 2) * 7);

    // A date edit leaves room for a drop-down button.
    TControl* birth = ControlOf("Birth");
    EXPECT_TRUE(qobject_cast<TKroDBEdit*>(birth));
    EXPECT_EQ(birth->Width(),
              (Field("Birth")->DisplayWidth() + 2) * 7 + Screen()->VScrollBarWidth());
    Field("Birth")->SetDisplayWidth(4);
    EXPECT_EQ(ControlOf("Birth")->Width(), 6 * 7 + Screen()->VScrollBarWidth());

    // A memo is bound to its field only once it has a parent.
    auto* notes = qobject_cast<TDBMemo*>(ControlOf("Notes"));
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->ScrollBars(), ssVertical);
    EXPECT_EQ(notes->PopupMenu(), PopupMenuKroDBMemo());
    EXPECT_EQ(notes->DataSource(), Source);
    EXPECT_TRUE(DataField(notes).isEmpty());
    EXPECT_FALSE(notes->ReadOnly());

    auto* look = qobject_cast<TKroDBLookupCombo*>(ControlOf("CountryName"));
    ASSERT_TRUE(look);
    EXPECT_EQ(DataField(look), QStringLiteral("CountryName"));
    EXPECT_EQ(look->Width(), (30 + 2) * 7 + Screen()->VScrollBarWidth());

    // Values the user cannot change are texts: a calculated field, a read-only field, a
    // read-only lookup field.
    TControl* initial = ControlOf("Initial");
    EXPECT_TRUE(qobject_cast<TKroDBText*>(initial));
    EXPECT_EQ(DataField(initial), QStringLiteral("Initial"));
    Field("Name")->SetReadOnly(true);
    EXPECT_TRUE(qobject_cast<TKroDBText*>(ControlOf("Name")));
    Look->SetReadOnly(true);
    EXPECT_TRUE(qobject_cast<TKroDBText*>(ControlOf("CountryName")));

    // No character width counts as 6 pixels.
    EXPECT_EQ(ControlOf("Name", 0)->Width(), 32 * 6);
    EXPECT_EQ(ControlOf("Name", -3)->Width(), 32 * 6);
}

TEST_F(KroFieldControls, AReadOnlyDatasetGivesTextsAndAMemoThatCannotBeEdited) {
    People->Close();
    People->SetReadOnly(true);
    People->Open();
    for (const char* name : {"Id", "Name", "Country", "Birth", "CountryName"})
        EXPECT_TRUE(qobject_cast<TKroDBText*>(ControlOf(name))) << name;
    auto* notes = qobject_cast<TDBMemo*>(ControlOf("Notes"));
    ASSERT_TRUE(notes);
    EXPECT_TRUE(notes->ReadOnly());
    EXPECT_EQ(notes->Color(), clBtnFace);
}

TEST_F(KroFieldControls, AnApplicationsFactoryReplacesTheDefaultControlOfItsKind) {
    KroPageMemoFactory = [](TComponent* Owner, TField* Field) -> TControl* {
        if (Field->FieldName() != QLatin1String("Notes"))
            return nullptr;
        auto* memo = new TDBMemo(Owner);
        memo->SetPopupMenu(PopupMenuKroDBFieldControls());
        memo->SetHeight(30);
        return memo;
    };
    TControl* notes = ControlOf("Notes");
    KroPageMemoFactory = nullptr;
    ASSERT_TRUE(qobject_cast<TDBMemo*>(notes));
    EXPECT_EQ(notes->Height(), 30);
    EXPECT_EQ(notes->PopupMenu(), PopupMenuKroDBFieldControls()) << "its own menu stays";
    EXPECT_EQ(notes->property("DataSource").value<TDataSource*>(), Source);
    EXPECT_EQ(notes->Width(), 12 * 7);

    // A factory that gives nothing leaves the default.
    KroPageEditFactory = [](TComponent*, TField*) -> TControl* { return nullptr; };
    TControl* name = ControlOf("Name");
    KroPageEditFactory = nullptr;
    EXPECT_TRUE(qobject_cast<TKroDBEdit*>(name));
}

TEST_F(KroBuildControls, FieldsFollowOneAnotherAndWrapIntoRowsAsHighAsTheirTallestControl) {
    ShowOnly({"Name", "Notes", "Birth", "Country"});
    Build();
    QList<TPair> pairs = Pairs();
    ASSERT_EQ(pairs.size(), 4);
    EXPECT_EQ(Captions(), QStringList({"Name", "Notes", "Birth", "Country"}));
    // One row on a wide page: each label 3 pixels below its row's top, its control 4
    // pixels after it, the next label 5 pixels after that.
    int x = 5;
    for (const TPair& pair : pairs) {
        EXPECT_EQ(pair.Label->Left(), x) << pair.Label->Caption().toStdString();
        EXPECT_EQ(pair.Label->Top(), 6);
        EXPECT_EQ(pair.Control->Top(), 3);
        EXPECT_EQ(pair.Control->Left(), pair.Label->Left() + pair.Label->Width() + 4);
        EXPECT_EQ(pair.Label->FocusControl(), pair.Control);
        x = pair.Control->Left() + pair.Control->Width() + 5;
    }
    // The memo got its field once on the page, and shows the record.
    EXPECT_EQ(DataField(pairs[1].Control), QStringLiteral("Notes"));
    EXPECT_EQ(pairs[0].Control->Text(), QStringLiteral("Person 0001"));

    // A page just too narrow for the third field: it starts a second row below the memo.
    const int memoHeight = pairs[1].Control->Height();
    Box->SetWidth(pairs[1].Control->Left() + pairs[1].Control->Width() + 1);
    Build();
    pairs = Pairs();
    ASSERT_EQ(pairs.size(), 4);
    EXPECT_EQ(pairs[1].Control->Top(), 3);
    EXPECT_EQ(pairs[2].Label->Left(), 5);
    EXPECT_EQ(pairs[2].Control->Top(), 3 + memoHeight + 5);
    EXPECT_EQ(pairs[2].Label->Top(), 3 + memoHeight + 5 + 3);
    EXPECT_EQ(pairs[3].Control->Top(), pairs[2].Control->Top()) << "the fourth still fits";

    // Narrower than any field: one row each, a row as high as its control + 5.
    Box->SetWidth(60);
    Build();
    pairs = Pairs();
    int top = 3;
    for (const TPair& pair : pairs) {
        EXPECT_EQ(pair.Label->Left(), 5);
        EXPECT_EQ(pair.Control->Top(), top) << pair.Label->Caption().toStdString();
        top += pair.Control->Height() + 5;
    }
}

TEST_F(KroBuildControls, HiddenFieldsAndFieldsTaggedForNoPageAreLeftOut) {
    ShowOnly({"Name", "Birth", "Country"});
    Field("Birth")->SetTag(28);
    Build();
    EXPECT_EQ(Captions(), QStringList({"Name", "Country"}));
    // Without OnlyVisible the hidden fields come too, never the tagged one.
    Build(false, false);
    EXPECT_FALSE(Captions().contains(QStringLiteral("Birth")));
    EXPECT_TRUE(Captions().contains(QStringLiteral("Notes")));
    EXPECT_TRUE(Captions().contains(QStringLiteral("CountryName")));

    // Nothing happens without a dataset.
    Source->SetDataSet(nullptr);
    Build();
    EXPECT_EQ(Box->ControlCount(), 0);
}

TEST_F(KroBuildControls, AlignedPutsEachFieldOnItsRowWithTheControlsInOneColumn) {
    ShowOnly({"Name", "Notes", "CountryName"});
    auto font = std::make_unique<TFont>();
    font->SetStyle({fsItalic});
    Build(true, true, font.get(), clYellow);
    const QList<TPair> pairs = Pairs();
    ASSERT_EQ(pairs.size(), 3);
    const int column = 5 + GetFontMetrics(font.get(), QStringLiteral("CountryName")).width() + 8;
    int top = 3;
    for (const TPair& pair : pairs) {
        EXPECT_EQ(pair.Label->Left(), 5);
        EXPECT_EQ(pair.Control->Left(), column);
        EXPECT_EQ(pair.Control->Top(), top);
        top += pair.Control->Height() + 5;
        // Labels in the font given, controls in the page's font and the colour given.
        EXPECT_TRUE(pair.Label->Font()->Style().Contains(fsItalic));
        EXPECT_FALSE(pair.Control->Font()->Style().Contains(fsItalic));
        EXPECT_EQ(pair.Control->Color(), clYellow);
    }
    // The width of "0" in the page's font sizes the controls.
    EXPECT_EQ(pairs[0].Control->Width(), 32 * CharWidth());
}
