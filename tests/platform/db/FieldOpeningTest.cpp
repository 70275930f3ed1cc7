#include "EngineTest.h"
#include "MemoryDataSet.h"

#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Query.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

// What a field saw each time its dataset asked it to prepare for an open.
struct TOpeningSeen {
    TDataSetState State = dsInactive;
    int FieldCount = 0;
    int HeldRecords = 0;
    bool LookupListFilled = false;
};

// A field of class Base that notes every call of the opening hook.
template <class Base> class TProbe : public Base {
public:
    using Base::Base;
    QList<TOpeningSeen> Seen;

protected:
    void DataSetOpening() override {
        TDataSet* dataSet = this->DataSet();
        Seen.append({dataSet->State(), dataSet->FieldCount(), dataSet->BufferedRecordCount(),
                     this->FindLookupListItem(1).has_value()});
    }
};

using TIntegerProbe = TProbe<TIntegerField>;
using TStringProbe = TProbe<TStringField>;

template <class T> T* AddProbe(TDataSet* DataSet, TComponent* Owner, const QString& Name) {
    auto* field = new T(Owner);
    field->SetFieldName(Name);
    field->SetDataSet(DataSet);
    return field;
}

// The key fields Id, Name, Country and a cached lookup of the country's name.
struct TPeopleProbes {
    QList<TOpeningSeen>* Id;
    QList<TOpeningSeen>* Name;
    QList<TOpeningSeen>* Country;
    QList<TOpeningSeen>* CountryName;

    QList<QList<TOpeningSeen>*> All() const { return {Id, Name, Country, CountryName}; }
};

TPeopleProbes AddPeopleProbes(TDataSet* People, TDataSet* CountryTable, TComponent* Owner) {
    auto* id = AddProbe<TIntegerProbe>(People, Owner, QStringLiteral("Id"));
    auto* name = AddProbe<TStringProbe>(People, Owner, QStringLiteral("Name"));
    auto* country = AddProbe<TIntegerProbe>(People, Owner, QStringLiteral("Country"));
    auto* countryName = new TStringProbe(Owner);
    countryName->SetFieldName(QStringLiteral("CountryName"));
    countryName->SetFieldKind(fkLookup);
    countryName->SetLookupDataSet(CountryTable);
    countryName->SetKeyFields(QStringLiteral("Country"));
    countryName->SetLookupKeyFields(QStringLiteral("Id"));
    countryName->SetLookupResultField(QStringLiteral("Name"));
    countryName->SetLookupCache(true);
    countryName->SetDataSet(People);
    return {&id->Seen, &name->Seen, &country->Seen, &countryName->Seen};
}

// Every field was asked once per open, in dsOpening, with all fields made, no record read
// and the lookup list still empty.
void ExpectPreparedBeforeReading(const TPeopleProbes& Probes, int Opens) {
    for (const QList<TOpeningSeen>* seen : Probes.All()) {
        ASSERT_EQ(seen->size(), Opens);
        for (const TOpeningSeen& call : *seen) {
            EXPECT_EQ(call.State, dsOpening);
            EXPECT_EQ(call.FieldCount, 4);
            EXPECT_EQ(call.HeldRecords, 0);
        }
    }
    EXPECT_FALSE(Probes.CountryName->first().LookupListFilled);
}

ON_EVERY_ENGINE(FieldOpening);

TEST_P(FieldOpening, TableAsksEveryFieldOncePerOpen) {
    TPeopleDatabase db(3, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    const TPeopleProbes probes = AddPeopleProbes(people, country, &form);
    people->Open();
    EXPECT_EQ(people->FieldByName(QStringLiteral("CountryName"))->AsString(),
              QStringLiteral("Spain"));
    people->Close();
    people->Open();
    ExpectPreparedBeforeReading(probes, 2);
}

TEST_P(FieldOpening, QueryAsksEveryFieldOncePerOpen) {
    TPeopleDatabase db(3, Engine());
    TComponent form;
    TTable* country = db.NewTable(QStringLiteral("Country.db"), &form);
    auto* people = new TQuery(&form);
    people->SetDatabaseName(db.Alias());
    people->SQL()->SetText(QStringLiteral("select Id, Name, Country from People.db"));
    const TPeopleProbes probes = AddPeopleProbes(people, country, &form);
    people->Open();
    people->Close();
    people->Open();
    people->Close();
    people->Open();
    ExpectPreparedBeforeReading(probes, 3);
    // A failed open asks again on the next one.
    people->Close();
    people->SQL()->SetText(QStringLiteral("select Id, Name from People.db"));
    EXPECT_ANY_THROW(people->Open());
    EXPECT_EQ(probes.Id->size(), 3); // the missing column fails before any field is asked
}

TEST(FieldOpeningInMemory, AnyDataSetClassAsksItsFields) {
    TComponent form;
    auto* country = new TMemoryDataSet(&form);
    country->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
    country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    country->AppendRecord({1, QStringLiteral("Spain")});
    auto* people = new TMemoryDataSet(&form);
    people->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    people->FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    people->AppendRecord({7, QStringLiteral("Ann"), 1});
    const TPeopleProbes probes = AddPeopleProbes(people, country, &form);
    people->Open();
    EXPECT_EQ(people->FieldByName(QStringLiteral("CountryName"))->AsString(),
              QStringLiteral("Spain"));
    ExpectPreparedBeforeReading(probes, 1);
}

// A cached lookup field that fills its list itself while the dataset opens.
class TSelfFilledLookup : public TStringField {
public:
    using TStringField::TStringField;
    bool MarkFilled = true;
    int Fills = 0;

protected:
    void DataSetOpening() override {
        ++Fills;
        AddLookupListItem(1, QStringLiteral("Own Spain"));
        if (MarkFilled)
            SetLookupListFilled();
    }
};

TEST(FieldOpeningInMemory, AListItsFieldFilledIsNotFilledAgainAndEachOpenStartsEmpty) {
    TComponent form;
    auto* country = new TMemoryDataSet(&form);
    country->FieldDefs()->Add(QStringLiteral("Id"), ftInteger);
    country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    country->AppendRecord({1, QStringLiteral("Spain")});
    country->AppendRecord({2, QStringLiteral("France")});
    auto* people = new TMemoryDataSet(&form);
    people->FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    people->AppendRecord({1});
    auto* key = new TIntegerField(&form);
    key->SetFieldName(QStringLiteral("Country"));
    key->SetDataSet(people);
    auto* name = new TSelfFilledLookup(&form);
    name->SetFieldName(QStringLiteral("CountryName"));
    name->SetFieldKind(fkLookup);
    name->SetLookupDataSet(country);
    name->SetKeyFields(QStringLiteral("Country"));
    name->SetLookupKeyFields(QStringLiteral("Id"));
    name->SetLookupResultField(QStringLiteral("Name"));
    name->SetLookupCache(true);
    name->SetDataSet(people);
    people->Open();
    EXPECT_EQ(name->AsString(), QStringLiteral("Own Spain"));
    EXPECT_FALSE(name->FindLookupListItem(2).has_value()) << "the dataset left the list";
    people->Close();
    people->Open();
    EXPECT_EQ(name->Fills, 2);
    EXPECT_EQ(name->AsString(), QStringLiteral("Own Spain"));
    // Unmarked, the dataset fills the list anew from the lookup dataset.
    people->Close();
    name->MarkFilled = false;
    people->Open();
    EXPECT_EQ(name->AsString(), QStringLiteral("Spain"));
    EXPECT_TRUE(name->LookupListFilled());
    name->ClearLookupList();
    EXPECT_FALSE(name->LookupListFilled());
}

} // namespace
