#include "FieldsFixture.h"

#include <controls/KroContr.h>
#include <db/DataLink.h>
#include <db/DataSource.h>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/TypeInfo.h>
#include <ui/StdCtrls.h>

namespace {

// Counts the repaints a control of the dataset is asked for.
class TRepaintCounter : public TDataLink {
public:
    int Repaints = 0;

protected:
    void DataSetChanged() override { ++Repaints; }
};

class ListFieldFixture : public FieldsFixture {
protected:
    void SetUp() override {
        FieldsFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        AddPersonFields();
        Person->Open();
    }

    // The message of what Action raises, "" when it raises nothing.
    static QString ErrorOf(const std::function<void()>& Action) {
        try {
            Action();
        } catch (const EDatabaseError& error) {
            return error.Message();
        }
        return {};
    }
};

ON_EVERY_ENGINE_WITH(KroListField, ListFieldFixture);

TEST_P(KroListField, ShowsTheLineOfTheStoredValueAndNothingOutsideTheList) {
    ASSERT_EQ(Sex->Values()->Count(), 3);
    EXPECT_EQ(Sex->MaxValue(), 2);
    const QList<QPair<const char*, const char*>> shown{
        {"Ann", "Female"}, {"Bob", "Male"}, {"Cid", ""}, {"Dan", ""}};
    for (const auto& [name, text] : shown) {
        GoTo(name);
        EXPECT_EQ(Sex->AsString(), QString::fromLatin1(text)) << name;
        EXPECT_EQ(Sex->DisplayText(), QString::fromLatin1(text)) << name;
        EXPECT_EQ(Sex->Text(), QString::fromLatin1(text)) << name;
    }
    GoTo("Dan");
    EXPECT_EQ(Sex->AsInteger(), 7) << "the stored number stays readable";
    Person->Edit();
    Sex->Clear();
    EXPECT_EQ(Sex->AsString(), QString());
    Person->Cancel();
}

TEST_P(KroListField, TextsAreFoundIgnoringCaseAndAnEmptyLineStoresNull) {
    GoTo("Cid");
    Person->Edit();
    Sex->SetAsString(QStringLiteral("fEMALE"));
    EXPECT_EQ(Sex->AsInteger(), 2);
    Sex->SetText(QStringLiteral("male"));
    EXPECT_EQ(Sex->AsInteger(), 1);
    Sex->SetAsString(QString());
    EXPECT_TRUE(Sex->IsNull());
    Sex->SetAsInteger(1);
    Sex->SetAsInteger(0); // line 0 is empty
    EXPECT_TRUE(Sex->IsNull());
    Person->Post();
    GoTo("Cid");
    EXPECT_TRUE(Sex->IsNull()) << "stored as null";

    // Wrong texts and numbers raise and leave the value.
    Person->Edit();
    Sex->SetAsInteger(2);
    EXPECT_EQ(ErrorOf([&] { Sex->SetAsString(QStringLiteral("Other")); }),
              QStringLiteral("Invalid value for field 'Sex'"));
    EXPECT_EQ(
        ErrorOf([&] { Sex->SetAsInteger(3); }),
        QStringLiteral("3 is not a valid value for field 'Sex'. The allowed range is 0 to 2"));
    EXPECT_FALSE(ErrorOf([&] { Sex->SetAsInteger(-1); }).isEmpty());
    EXPECT_EQ(Sex->AsString(), QStringLiteral("Female"));
    Person->Cancel();
}

TEST_P(KroListField, ALongerListAtRunTimeWidensTheRangeAndRepaints) {
    TDataSource source;
    source.SetDataSet(Person);
    TRepaintCounter link;
    link.SetDataSource(&source);
    GoTo("Dan");
    TStringList longer;
    longer.SetText(QStringLiteral("\nMale\nFemale\nDiverse\nUnknown\nNone\nOther\nSeven"));
    const int before = link.Repaints;
    Sex->SetValues(&longer);
    EXPECT_GT(link.Repaints, before);
    EXPECT_EQ(Sex->MaxValue(), 7);
    EXPECT_EQ(Sex->AsString(), QStringLiteral("Seven"));
    Person->Edit();
    Sex->SetAsInteger(6);
    EXPECT_EQ(Sex->AsString(), QStringLiteral("Other"));
    Person->Cancel();

    // Lines changed in place count as much as a new list.
    const int beforeAdd = link.Repaints;
    Sex->Values()->Add(QStringLiteral("Eight"));
    EXPECT_EQ(Sex->MaxValue(), 8);
    EXPECT_GT(link.Repaints, beforeAdd);
    // One line: the range 0..0 still holds although the platform ignores a range of 0 to 0.
    TStringList one;
    one.Add(QStringLiteral("Only"));
    Sex->SetValues(&one);
    Person->Edit();
    Sex->SetAsInteger(0);
    EXPECT_EQ(Sex->AsString(), QStringLiteral("Only"));
    EXPECT_THROW(Sex->SetAsInteger(1), EDatabaseError);
    Person->Cancel();
}

TEST(KroListFieldProperties, RangeAndFormatsArePublishedWithoutASetter) {
    TKroListField field;
    EXPECT_EQ(field.Alignment(), taLeftJustify);
    EXPECT_EQ(field.MinValue(), 0);
    EXPECT_EQ(field.MaxValue(), -1);
    for (const char* name : {"DisplayFormat", "EditFormat", "MinValue", "MaxValue"}) {
        const TPropInfo info = GetPropInfo(&field, QString::fromLatin1(name));
        ASSERT_TRUE(info) << name;
        EXPECT_FALSE(info.IsWritable()) << name;
    }
    EXPECT_TRUE(GetPropInfo(&field, QStringLiteral("Values")).IsWritable());
    EXPECT_THROW(field.SetAsInteger(0), EDatabaseError) << "no line, no value";
}

TEST(KroListFieldFactories, ThePlainComboListsTheTextsOfListFieldsOnly) {
    ASSERT_EQ(KroComboFactory, &CreateListCombo) << "installed by the library's registration";
    TComponent owner;
    TKroListField sex;
    sex.Values()->SetText(QStringLiteral("\nMale\nFemale"));
    auto* combo = qobject_cast<TComboBox*>(KroComboFactory(&owner, &sex));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->Owner(), &owner);
    EXPECT_EQ(combo->Style(), csDropDownList);
    EXPECT_EQ(combo->Items()->Text(), sex.Values()->Text());
    TSmallintField plain;
    EXPECT_EQ(KroComboFactory(&owner, &plain), nullptr);
}

} // namespace
