#include "fields/FieldsFixture.h"

#include <controls/KroContr.h>
#include <db/DataSource.h>
#include <rtl/Strings.h>
#include <ui/DBLookup.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

// The unbound editors of the persons' and languages' fields.
class ValueEditors : public FieldsFixture {
protected:
    void SetUp() override {
        FieldsFixture::SetUp();
        AddPersonFields();
        Look = NewLangLook(QStringLiteral("Name;Font"));
        Look->SetDataSet(Person);
        Lang->Open();
        Person->Open();
    }
    TField* PersonField(const char* Name) const {
        return Person->FieldByName(QString::fromLatin1(Name));
    }
    int Width(TField* Field, int CharWidth) const {
        return (Field->DisplayWidth() + 2) * CharWidth;
    }

    TComponent Owner;
    TKroLookField* Look = nullptr;
};

INSTANTIATE_TEST_SUITE_P(Sqlite, ValueEditors, ::testing::Values(SqliteEngine));

TEST_P(ValueEditors, EachKindOfFieldGetsItsEditorSizedInCharacters) {
    TField* name = PersonField("Name");
    auto* edit = qobject_cast<TEdit*>(CreateValueEditor(&Owner, name, 7));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->Width(), Width(name, 7));
    EXPECT_EQ(CreateValueEditor(&Owner, name, 0)->Width(), Width(name, 6)) << "0 counts as 6";
    EXPECT_EQ(CreateValueEditor(&Owner, name, -3)->Width(), Width(name, 6));
    EXPECT_EQ(edit->Owner(), &Owner);

    auto* sex = qobject_cast<TComboBox*>(CreateValueEditor(&Owner, Sex, 7));
    ASSERT_NE(sex, nullptr) << "a list field gets its texts in a combo";
    EXPECT_EQ(sex->Items()->Count(), 3);
    EXPECT_GT(sex->Width(), Width(Sex, 7) + Screen()->VScrollBarWidth())
        << "wider than the field's display width for its widest text";
    EXPECT_GE(sex->Widget()->width(), sex->Widget()->sizeHint().width());

    TField* added = Lang->FieldByName(QStringLiteral("Added"));
    auto* date = qobject_cast<TEdit*>(CreateValueEditor(&Owner, added, 7));
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->Width(), Width(added, 7) + Screen()->VScrollBarWidth());

    auto* combo = qobject_cast<TDBLookupComboBox*>(CreateValueEditor(&Owner, Look, 7));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Width(), Width(Look, 7) + Screen()->VScrollBarWidth());
    ASSERT_NE(combo->ListSource(), nullptr) << "a data source of its own";
    EXPECT_EQ(combo->ListSource()->DataSet(), Lang);
    EXPECT_EQ(combo->ListSource()->Owner(), &Owner);
    EXPECT_EQ(combo->KeyField(), QStringLiteral("Id"));
    EXPECT_EQ(combo->ListField(), QStringLiteral("Name;Font"));
    EXPECT_TRUE(combo->DataSource() == nullptr && combo->DataField().isEmpty()) << "unbound";
    TDataSource shared;
    shared.SetDataSet(Lang);
    auto* sharing = qobject_cast<TDBLookupComboBox*>(CreateValueEditor(&Owner, Look, 7, &shared));
    EXPECT_EQ(sharing->ListSource(), &shared);

    auto* calculated = new TStringField(&Module);
    calculated->SetFieldName(QStringLiteral("Calc"));
    calculated->SetFieldKind(fkCalculated);
    EXPECT_NE(qobject_cast<TLabel*>(CreateValueEditor(&Owner, calculated, 7)), nullptr);
}

TEST_P(ValueEditors, ValuesGoInAndComeBackOut) {
    TField* name = PersonField("Name");
    TControl* edit = CreateValueEditor(&Owner, name, 7);
    EXPECT_TRUE(VarIsNull(GetEditorValue(edit, name)));
    SetEditorValue(edit, QStringLiteral("Ann"), name);
    EXPECT_EQ(qobject_cast<TEdit*>(edit)->Text(), QStringLiteral("Ann"));
    EXPECT_EQ(GetEditorValue(edit, name), Variant(QStringLiteral("Ann")));
    SetEditorValue(edit, Null(), name);
    EXPECT_TRUE(VarIsNull(GetEditorValue(edit, name))) << "an empty text is no value";

    TField* id = PersonField("Id");
    TControl* number = CreateValueEditor(&Owner, id, 7);
    SetEditorValue(number, 42, id);
    EXPECT_EQ(GetEditorValue(number, id), Variant(QStringLiteral("42")));

    TField* added = Lang->FieldByName(QStringLiteral("Added"));
    TControl* date = CreateValueEditor(&Owner, added, 7);
    SetEditorValue(date, QDate(2003, 3, 4), added);
    EXPECT_EQ(qobject_cast<TEdit*>(date)->Text(), QStringLiteral("04.03.2003"));

    auto* sex = qobject_cast<TComboBox*>(CreateValueEditor(&Owner, Sex, 7));
    EXPECT_TRUE(VarIsNull(GetEditorValue(sex, Sex))) << "nothing chosen";
    SetEditorValue(sex, 2, Sex);
    EXPECT_EQ(sex->Text(), QStringLiteral("Female"));
    EXPECT_EQ(GetEditorValue(sex, Sex), Variant(2));
    SetEditorValue(sex, 0, Sex);
    EXPECT_EQ(sex->ItemIndex(), 0);
    EXPECT_TRUE(VarIsNull(GetEditorValue(sex, Sex))) << "the list's empty entry";
    SetEditorValue(sex, Null(), Sex);
    EXPECT_EQ(sex->ItemIndex(), -1);

    auto* combo = qobject_cast<TDBLookupComboBox*>(CreateValueEditor(&Owner, Look, 7));
    SetEditorValue(combo, 2, Look);
    EXPECT_EQ(combo->KeyValue(), Variant(2));
    EXPECT_EQ(combo->Text(), QStringLiteral("French"));
    EXPECT_EQ(GetEditorValue(combo, Look), Variant(2));
    SetEditorValue(combo, Null(), Look);
    EXPECT_TRUE(VarIsNull(GetEditorValue(combo, Look)));
}
