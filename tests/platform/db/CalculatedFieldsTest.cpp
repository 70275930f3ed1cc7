#include "MemoryDataSet.h"

#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <gtest/gtest.h>

namespace {

// A lookup dataset in memory that counts the lookups asked of it.
class TCountingLookups : public TMemoryDataSet {
public:
    using TMemoryDataSet::TMemoryDataSet;
    int Asked = 0;

    Variant Lookup(const QString& KeyFields, const Variant& KeyValues,
                   const QString& ResultFields) override {
        ++Asked;
        return TMemoryDataSet::Lookup(KeyFields, KeyValues, ResultFields);
    }
};

// People in memory whose new records take language 2 as the engine's default would.
class TPeopleInMemory : public TMemoryDataSet {
public:
    using TMemoryDataSet::TMemoryDataSet;

protected:
    void InternalInitRecord(TRecord& Record) override { Record.Values[2] = 2; }
};

// People with a country and a language, each looked up by its own key, and a calculated
// label of both.
class CalculatedFields : public ::testing::Test {
protected:
    void SetUp() override {
        for (TCountingLookups* names : {Countries, Languages}) {
            names->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
            names->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
        }
        Countries->AppendRecord({1, QStringLiteral("Spain")});
        Countries->AppendRecord({2, QStringLiteral("France")});
        Languages->AppendRecord({1, QStringLiteral("Spanish")});
        Languages->AppendRecord({2, QStringLiteral("French")});
        for (const char* name : {"Id", "Country", "Lang"})
            People->FieldDefs()->Add(QString::fromLatin1(name), ftInteger);
        People->AppendRecord({7, 1, 1});
        for (const char* name : {"Id", "Country", "Lang"}) {
            auto* field = new TIntegerField(&Form);
            field->SetFieldName(QString::fromLatin1(name));
            field->SetDataSet(People);
        }
        CountryName = AddLookup("CountryName", "Country", Countries);
        LangName = AddLookup("LangName", "Lang", Languages);
        Label = new TStringField(&Form);
        Label->SetFieldName(QStringLiteral("Label"));
        Label->SetFieldKind(fkCalculated);
        Label->SetSize(60);
        Label->SetDataSet(People);
        People->SetOnCalcFields([this](TDataSet*) {
            ++Calculations;
            Label->SetAsString(CountryName->AsString() + QLatin1Char('/') + LangName->AsString());
        });
        Countries->Open();
        Languages->Open();
        People->Open();
    }

    TStringField* AddLookup(const char* Name, const char* Key, TDataSet* Names) {
        auto* field = new TStringField(&Form);
        field->SetFieldName(QString::fromLatin1(Name));
        field->SetFieldKind(fkLookup);
        field->SetLookupDataSet(Names);
        field->SetKeyFields(QString::fromLatin1(Key));
        field->SetLookupKeyFields(QStringLiteral("Id"));
        field->SetLookupResultField(QStringLiteral("Name"));
        field->SetDataSet(People);
        return field;
    }
    TField* Field(const char* Name) const { return People->FieldByName(QString::fromLatin1(Name)); }
    void ResetCounts() { Countries->Asked = Languages->Asked = Calculations = 0; }

    TComponent Form;
    TCountingLookups* Countries = new TCountingLookups(&Form);
    TCountingLookups* Languages = new TCountingLookups(&Form);
    TPeopleInMemory* People = new TPeopleInMemory(&Form);
    TStringField* CountryName = nullptr;
    TStringField* LangName = nullptr;
    TStringField* Label = nullptr;
    int Calculations = 0;
};

TEST_F(CalculatedFields, AChangedFieldLooksUpAgainOnlyWhatItIsTheKeyOf) {
    EXPECT_EQ(Label->AsString(), QStringLiteral("Spain/Spanish"));
    People->Edit();
    ResetCounts();
    Field("Country")->SetAsInteger(2);
    EXPECT_EQ(CountryName->AsString(), QStringLiteral("France"));
    EXPECT_EQ(LangName->AsString(), QStringLiteral("Spanish"));
    EXPECT_EQ(Label->AsString(), QStringLiteral("France/Spanish"));
    EXPECT_EQ(Countries->Asked, 1);
    EXPECT_EQ(Languages->Asked, 0);
    EXPECT_EQ(Calculations, 1);

    Field("Id")->SetAsInteger(8);
    EXPECT_EQ(Countries->Asked + Languages->Asked, 1) << "no lookup by Id";
    EXPECT_EQ(Calculations, 2) << "calculated fields follow every change";
    EXPECT_EQ(Label->AsString(), QStringLiteral("France/Spanish"));
    Field("Lang")->SetAsInteger(2);
    EXPECT_EQ(Label->AsString(), QStringLiteral("France/French"));
    Field("Lang")->Clear();
    EXPECT_TRUE(LangName->IsNull());
    People->Post();
    EXPECT_EQ(Label->AsString(), QStringLiteral("France/"));
}

TEST_F(CalculatedFields, ANewRecordsFirstChangeLooksUpTheValuesItWasGiven) {
    People->Append();
    EXPECT_EQ(Field("Lang")->AsInteger(), 2);
    EXPECT_TRUE(LangName->IsNull()) << "nothing is calculated before a change";
    Field("Id")->SetAsInteger(9);
    EXPECT_EQ(LangName->AsString(), QStringLiteral("French")) << "the default's lookup";
    EXPECT_TRUE(CountryName->IsNull());
    EXPECT_EQ(Label->AsString(), QStringLiteral("/French"));
    People->Post();
    EXPECT_EQ(LangName->AsString(), QStringLiteral("French"));
}

} // namespace
