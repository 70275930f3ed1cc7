#include "EngineTest.h"
#include "MemoryDataSet.h"

#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>

namespace {

QString NameOf(TDataSet* people) {
    return people->FieldByName(QStringLiteral("Name"))->AsString();
}

class TableSearchFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FDb = std::make_unique<TPeopleDatabase>(60, Engine());
        FPeople.reset(FDb->NewTable(QStringLiteral("People.db")));
        FPeople->SetIndexFieldNames(QStringLiteral("Name"));
        FPeople->Open();
        // A few names that differ only in case, and one without a name.
        for (const char* name : {"smith", "SMITHSON", "Smyth"}) {
            FPeople->Append();
            FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QString::fromLatin1(name));
            FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(3);
            FPeople->Post();
        }
        FPeople->Append();
        FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(2);
        FPeople->Post();
        FPeople->First();
    }
    std::unique_ptr<TPeopleDatabase> FDb;
    std::unique_ptr<TTable> FPeople;
};

ON_EVERY_ENGINE_WITH(TableSearch, TableSearchFixture);

TEST_P(TableSearch, LocateWithAndWithoutOptions) {
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 0042"), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0042"));
    EXPECT_FALSE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("person 0042"), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0042")); // not found: no move
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("person 0042"),
                                {loCaseInsensitive}));
    EXPECT_TRUE(
        FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Person 005"), {loPartialKey}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0050")); // the first in the order
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("SMITH"),
                                {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON")); // first in the (binary) order
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("smi"), {loPartialKey}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("smith"));
    EXPECT_FALSE(
        FPeople->Locate(QStringLiteral("Name"), QStringLiteral("smithson"), {loPartialKey}));
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), Null(), {}));
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull());
}

TEST_P(TableSearch, LocateOnSeveralFieldsAndValuesOfOtherTypes) {
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Country;Name"),
                                VarArrayOf({3, QStringLiteral("Smyth")}), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Smyth"));
    EXPECT_FALSE(FPeople->Locate(QStringLiteral("Country;Name"),
                                 VarArrayOf({1, QStringLiteral("Smyth")}), {}));
    EXPECT_TRUE(
        FPeople->Locate(QStringLiteral("Country"), QStringLiteral("2"), {})); // text → number
    EXPECT_THROW(FPeople->Locate(QStringLiteral("Country"), QStringLiteral("two"), {}), Exception);
    EXPECT_THROW(FPeople->Locate(QStringLiteral("Country;Name"), 3, {}), EDatabaseError);
    EXPECT_THROW(FPeople->Locate(QStringLiteral("Nope"), 3, {}), EDatabaseError);
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Birth"), QDate(1970, 1, 11), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0010"));
}

// The conditions of searches for exact values are built once per shape: each search
// finds what its own fields, nulls, options, order and filter name.
TEST_P(TableSearch, RepeatedLocatesOfEveryShapeFindWhatTheirValuesName) {
    const QString countryName = QStringLiteral("Country;Name");
    const QString nameCountry = QStringLiteral("Name;Country");
    EXPECT_TRUE(FPeople->Locate(countryName, VarArrayOf({3, QStringLiteral("Smyth")}), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Smyth"));
    EXPECT_TRUE(FPeople->Locate(countryName, VarArrayOf({2, Null()}), {}));
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull());
    EXPECT_TRUE(FPeople->Locate(countryName, VarArrayOf({3, QStringLiteral("smith")}), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("smith"));
    EXPECT_FALSE(FPeople->Locate(countryName, VarArrayOf({3, Null()}), {}));
    EXPECT_TRUE(FPeople->Locate(nameCountry, VarArrayOf({QStringLiteral("Smyth"), 3}), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Smyth"));
    EXPECT_FALSE(FPeople->Locate(nameCountry, VarArrayOf({QStringLiteral("Smyth"), 2}), {}));
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Smy"), {loPartialKey}));
    EXPECT_FALSE(FPeople->Locate(QStringLiteral("Name"), QStringLiteral("Smy"), {}));
    // Another number than a text compares exactly whatever the options.
    EXPECT_TRUE(FPeople->Locate(QStringLiteral("Country"), 2, {loCaseInsensitive}));
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 2);

    FPeople->SetIndexFieldNames(countryName);
    EXPECT_TRUE(FPeople->Locate(countryName, VarArrayOf({2, Null()}), {}));
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull());
    FPeople->SetFilter(QStringLiteral("Country = 3"));
    FPeople->SetFiltered(true);
    EXPECT_FALSE(FPeople->Locate(countryName, VarArrayOf({2, Null()}), {}));
    EXPECT_TRUE(FPeople->Locate(countryName, VarArrayOf({3, QStringLiteral("SMITHSON")}), {}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON"));
}

TEST_P(TableSearch, LocateIgnoringCaseInATableWithoutAKeyOrInTheFoldedOrder) {
    std::unique_ptr<TTable> words(FDb->NewTable(QStringLiteral("Words")));
    words->FieldDefs()->Add(QStringLiteral("Text"), ftString, 10);
    words->IndexDefs()->Add(QStringLiteral("ByText"), QStringLiteral("Text"), {});
    words->IndexDefs()->Add(QStringLiteral("ByFolded"), QStringLiteral("Text"),
                            {ixCaseInsensitive});
    words->CreateTable();
    words->SetIndexFieldNames(QStringLiteral("Text"));
    words->Open();
    for (const char* text : {"bat", "ABC", "Ab", "abd", "b"}) {
        words->Append();
        words->FieldByName(QStringLiteral("Text"))->SetAsString(QString::fromLatin1(text));
        words->Post();
    }
    const QString field = QStringLiteral("Text");
    const auto found = [&] { return words->FieldByName(field)->AsString(); };
    EXPECT_TRUE(words->Locate(field, QStringLiteral("ab"), {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(found(), QStringLiteral("ABC")); // first in code point order
    EXPECT_TRUE(words->Locate(field, QStringLiteral("B"), {loCaseInsensitive}));
    EXPECT_EQ(found(), QStringLiteral("b"));
    EXPECT_FALSE(words->Locate(field, QStringLiteral("abe"), {loCaseInsensitive, loPartialKey}));

    words->SetIndexName(QStringLiteral("ByFolded"));
    EXPECT_TRUE(words->Locate(field, QStringLiteral("AB"), {loCaseInsensitive, loPartialKey}));
    EXPECT_EQ(found(), QStringLiteral("Ab")); // first in the folded order: ab, abc, abd
}

TEST_P(TableSearch, KeySearchOnTheIndexOrder) {
    FPeople->SetKey();
    EXPECT_EQ(FPeople->State(), dsSetKey);
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Person 0030"));
    EXPECT_TRUE(FPeople->GotoKey());
    EXPECT_EQ(FPeople->State(), dsBrowse);
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0030"));
    EXPECT_FALSE(FPeople->FindKey({QStringLiteral("Person 0030x")}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0030"));
    FPeople->FindNearest({QStringLiteral("Person 0030x")});
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0031"));
    FPeople->FindNearest({QStringLiteral("Q")});
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON")); // upper case sorts first
    FPeople->FindNearest({QStringLiteral("zzz")});
    EXPECT_TRUE(FPeople->Eof()); // past every key: the last record
    // The key buffer is its own: the record's values are untouched.
    FPeople->First();
    const QString first = NameOf(FPeople.get());
    FPeople->SetKey();
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Person 0002"));
    FPeople->EditKey();
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0002")); // EditKey keeps the key
    EXPECT_TRUE(FPeople->GotoKey());
    EXPECT_NE(NameOf(FPeople.get()), first);
    // Browse mode ends the key state where it is and keeps the key for EditKey.
    FPeople->First();
    FPeople->EditKey();
    FPeople->CheckBrowseMode();
    EXPECT_EQ(FPeople->State(), dsBrowse);
    EXPECT_EQ(NameOf(FPeople.get()), first);
    FPeople->EditKey();
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0002"));
    FPeople->CheckBrowseMode();
}

// A search repeated after the filter or the order changed finds what they give now.
TEST_P(TableSearch, RepeatedKeySearchesFollowTheFilterAndTheOrder) {
    const auto country = [this] {
        return FPeople->FieldByName(QStringLiteral("Country"))->AsInteger();
    };
    FPeople->FindNearest({QStringLiteral("Person 0030x")});
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0031"));
    const qint64 countryOf31 = country();
    const qint64 other = countryOf31 % 3 + 1; // the countries cycle through 1, 2 and 3
    FPeople->SetFilter(QStringLiteral("Country = %1").arg(other));
    FPeople->SetFiltered(true);
    FPeople->FindNearest({QStringLiteral("Person 0030x")});
    EXPECT_EQ(country(), other);
    EXPECT_GT(NameOf(FPeople.get()), QStringLiteral("Person 0031"));
    EXPECT_LE(NameOf(FPeople.get()), QStringLiteral("Person 0033"));
    FPeople->SetFiltered(false);

    FPeople->SetIndexFieldNames(QStringLiteral("Country;Name"));
    FPeople->FindNearest({2});
    EXPECT_EQ(country(), 2);
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull()); // nulls first
    FPeople->SetIndexFieldNames(QStringLiteral("Name"));
    FPeople->FindNearest({QStringLiteral("Person 0030x")});
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("Person 0031"));
    EXPECT_EQ(country(), countryOf31);
}

TEST_P(TableSearch, CompoundKeysAndKeyFieldCount) {
    FPeople->SetIndexFieldNames(QStringLiteral("Country;Name"));
    EXPECT_EQ(FPeople->KeyFieldCount(), 2);
    EXPECT_TRUE(FPeople->FindKey({3, QStringLiteral("SMITHSON")}));
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("SMITHSON"));
    EXPECT_TRUE(FPeople->FindKey({2})); // the first record of country 2
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 2);
    EXPECT_TRUE(FPeople->FieldByName(QStringLiteral("Name"))->IsNull()); // nulls first
    FPeople->SetKey();
    FPeople->FieldByName(QStringLiteral("Country"))->SetAsInteger(3);
    FPeople->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Smz"));
    FPeople->SetKeyFieldCount(1);
    EXPECT_TRUE(FPeople->GotoKey()); // only the country counts
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);
    FPeople->SetKeyFieldCount(0);
    FPeople->FindNearest({3, QStringLiteral("Smz")});
    EXPECT_EQ(FPeople->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);
    EXPECT_EQ(NameOf(FPeople.get()), QStringLiteral("smith")); // lower case after upper
}

// A table of words with a case-insensitive and a descending index on them.
std::unique_ptr<TTable> WordTable(const TPeopleDatabase& db, const QStringList& words) {
    std::unique_ptr<TTable> word(db.NewTable(QStringLiteral("Word")));
    word->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    word->FieldDefs()->Add(QStringLiteral("Text"), ftString, 8);
    word->IndexDefs()->Add(QStringLiteral("Folded"), QStringLiteral("Text"), {ixCaseInsensitive});
    word->IndexDefs()->Add(QStringLiteral("Down"), QStringLiteral("Text"), {ixDescending});
    word->CreateTable();
    word->Open();
    for (const QString& text : words) {
        word->Append();
        if (!text.isNull()) // a null text stays Null
            word->FieldByName(QStringLiteral("Text"))->SetAsString(text);
        word->Post();
    }
    return word;
}

QStringList Texts(TDataSet* word) {
    QStringList texts;
    for (word->First(); !word->Eof(); word->Next())
        texts << word->FieldByName(QStringLiteral("Text"))->AsString();
    return texts;
}

// An OnFilterRecord that passes every record: the dataset searches by reading records.
void SearchInProcess(TDataSet* word) {
    word->SetOnFilterRecord(TFilterRecordEvent([](TDataSet*, bool& accept) { accept = true; }));
    word->SetFiltered(true);
}

QString TextOf(TDataSet* word) {
    return word->FieldByName(QStringLiteral("Text"))->AsString();
}

ON_EVERY_ENGINE(IndexSearch);

TEST_P(IndexSearch, ACaseInsensitiveIndexOrdersAndFindsIgnoringCase) {
    TPeopleDatabase db(0, Engine());
    auto word = WordTable(db, {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c"),
                               QStringLiteral("a"), QStringLiteral("B")});
    word->SetIndexName(QStringLiteral("Folded"));
    EXPECT_EQ(Texts(word.get()),
              (QStringList{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b"),
                           QStringLiteral("B"), QStringLiteral("c")}));
    EXPECT_TRUE(word->FindKey({QStringLiteral("C")}));
    EXPECT_EQ(TextOf(word.get()), QStringLiteral("c"));
    EXPECT_TRUE(word->FindKey({QStringLiteral("b")}));
    EXPECT_EQ(word->RecNo(), 3);
    word->FindNearest({QStringLiteral("AB")});
    EXPECT_EQ(TextOf(word.get()), QStringLiteral("b"));
    word->Last();
    QStringList back;
    for (; !word->Bof(); word->Prior())
        back.prepend(TextOf(word.get()));
    EXPECT_EQ(back, Texts(word.get()));
}

TEST_P(IndexSearch, FindNearestOnADescendingIndex) {
    TPeopleDatabase db(0, Engine());
    auto word = WordTable(db, {QStringLiteral("apple"), QStringLiteral("cherry"), QString(),
                               QStringLiteral("banana"), QStringLiteral("date")});
    word->SetIndexName(QStringLiteral("Down"));
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "in process" : "in the engine");
        if (inProcess)
            SearchInProcess(word.get());
        EXPECT_EQ(Texts(word.get()),
                  (QStringList{QStringLiteral("date"), QStringLiteral("cherry"),
                               QStringLiteral("banana"), QStringLiteral("apple"), QString()}));
        word->FindNearest({QStringLiteral("c")});
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("banana"));
        word->FindNearest({QStringLiteral("cherry")});
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("cherry"));
        word->FindNearest({QStringLiteral("zebra")});
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("date"));
        word->FindNearest({QStringLiteral("Apple")}); // 'A' is below every lower-case letter
        EXPECT_TRUE(word->FieldByName(QStringLiteral("Text"))->IsNull());
    }
}

TEST_P(IndexSearch, LeadingPartsEndAtTheirSuccessor) {
    TPeopleDatabase db(0, Engine());
    auto word = WordTable(db, {QString::fromUtf8("a😁x"), QStringLiteral("x_z"),
                               QString::fromUtf8("a😀b"), QStringLiteral("X@1")});
    const QString text = QStringLiteral("Text");
    EXPECT_TRUE(word->Locate(text, QString::fromUtf8("a😀"), {loPartialKey}));
    EXPECT_EQ(TextOf(word.get()), QString::fromUtf8("a😀b"));
    EXPECT_FALSE(word->Locate(text, QString::fromUtf8("a😀b1"), {loPartialKey}));
    word->Delete(); // a😀b
    EXPECT_FALSE(word->Locate(text, QString::fromUtf8("a😀"), {loPartialKey}));
    EXPECT_TRUE(word->Locate(text, QStringLiteral("x@"), {loPartialKey, loCaseInsensitive}));
    EXPECT_EQ(TextOf(word.get()), QStringLiteral("X@1"));
    word->Delete();
    EXPECT_FALSE(word->Locate(text, QStringLiteral("X@"), {loPartialKey, loCaseInsensitive}));
}

TEST_P(IndexSearch, ALeadingPartEndingInTheHighestCodePointHasAnUpperBound) {
    TPeopleDatabase db(0, Engine());
    auto word = WordTable(db, {QStringLiteral("b"), QString::fromUtf8("a\U0010FFFFz")});
    const QString text = QStringLiteral("Text");
    for (const TLocateOptions options :
         {TLocateOptions{loPartialKey}, TLocateOptions{loPartialKey, loCaseInsensitive}}) {
        EXPECT_TRUE(word->Locate(text, QString::fromUtf8("a\U0010FFFF"), options));
        EXPECT_EQ(TextOf(word.get()), QString::fromUtf8("a\U0010FFFFz"));
    }
    word->SetFilter(QString::fromUtf8("Text = 'a\U0010FFFF*'"));
    word->SetFiltered(true);
    EXPECT_EQ(Texts(word.get()), QStringList{QString::fromUtf8("a\U0010FFFFz")});
}

// Letters beyond ASCII whose lower case is an ASCII letter: the Kelvin sign is k, the
// dotted capital I is i. A search ignoring case finds them on every path.
TEST_P(IndexSearch, LettersThatLowerCaseToAsciiAreFoundIgnoringCase) {
    TPeopleDatabase db(0, Engine());
    auto word = WordTable(db, {QStringLiteral("kz"), QString::fromUtf8("\u212Aelvin"),
                               QString::fromUtf8("\u0130zmir")});
    const QString text = QStringLiteral("Text");
    const TLocateOptions ci{loCaseInsensitive};
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "in process" : "in the engine");
        if (inProcess)
            SearchInProcess(word.get());
        EXPECT_TRUE(word->Locate(text, QStringLiteral("KELVIN"), ci));
        EXPECT_EQ(TextOf(word.get()), QString::fromUtf8("\u212Aelvin"));
        EXPECT_TRUE(word->Locate(text, QStringLiteral("ke"), {loCaseInsensitive, loPartialKey}));
        EXPECT_EQ(TextOf(word.get()), QString::fromUtf8("\u212Aelvin"));
        EXPECT_TRUE(word->Locate(text, QStringLiteral("i"), {loCaseInsensitive, loPartialKey}));
        EXPECT_EQ(TextOf(word.get()), QString::fromUtf8("\u0130zmir"));
    }
}

// Values of ASCII letters only are searched on the index form alone: names with other
// letters in those places must not come in, nor names of other lengths.
TEST_P(IndexSearch, AsciiValuesIgnoringCaseFindOnlyWhatTheyName) {
    TPeopleDatabase db(0, Engine());
    auto word =
        WordTable(db, {QString::fromUtf8("WÉN"), QStringLiteral("wenzel"), QStringLiteral("wEn"),
                       QStringLiteral("Wendy"), QString::fromUtf8("weñ")});
    word->SetIndexFieldNames(QStringLiteral("Text"));
    const QString text = QStringLiteral("Text");
    const TLocateOptions ci{loCaseInsensitive};
    const TLocateOptions leading{loCaseInsensitive, loPartialKey};
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "in process" : "in the engine");
        if (inProcess)
            SearchInProcess(word.get());
        EXPECT_TRUE(word->Locate(text, QStringLiteral("WEN"), ci));
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("wEn"));
        EXPECT_TRUE(word->Locate(text, QStringLiteral("wen"), leading));
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("Wendy"));
        EXPECT_TRUE(word->Locate(text, QStringLiteral("WENZ"), leading));
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("wenzel"));
        EXPECT_TRUE(word->Locate(text, QString::fromUtf8("wén"), ci));
        EXPECT_EQ(TextOf(word.get()), QString::fromUtf8("WÉN"));
        EXPECT_FALSE(word->Locate(text, QStringLiteral("wendyx"), leading));
        EXPECT_FALSE(word->Locate(text, QStringLiteral("wens"), ci));
        EXPECT_FALSE(word->Locate(text, QStringLiteral("we"), ci));
    }
}

TEST_P(IndexSearch, TheEngineAndTheProcessGiveOneAnswer) {
    TPeopleDatabase db(0, Engine());
    auto word = WordTable(
        db, {QStringLiteral("b"), QString(), QStringLiteral("Apfel"), QStringLiteral("a")});
    // SQLite keeps a text longer than its column's declared size, as another program wrote it.
    const bool sqlite = Engine() == QLatin1String(SqliteEngine);
    if (sqlite)
        Session()
            ->OpenDatabase(db.Alias())
            ->Connection()
            ->Execute(
                QStringLiteral("INSERT INTO \"Word\" (\"Text\") VALUES ('longer than eight')"));
    word->SetIndexFieldNames(QStringLiteral("Text"));
    const QString text = QStringLiteral("Text");
    for (const bool inProcess : {false, true}) {
        SCOPED_TRACE(inProcess ? "in process" : "in the engine");
        if (inProcess)
            SearchInProcess(word.get());
        // An empty leading part matches every value, and no Null.
        EXPECT_TRUE(word->Locate(text, QString(), {loPartialKey}));
        EXPECT_EQ(TextOf(word.get()), QStringLiteral("Apfel"));
        // Lookup answers with the first record in the order, as Locate does.
        EXPECT_EQ(word->Lookup(text, QStringLiteral("b"), text).toString(), QStringLiteral("b"));
        EXPECT_EQ(word->Lookup(QStringLiteral("Id"), 2, text).toString(), QString());
        // A value longer than the field finds what another program wrote, or nothing.
        EXPECT_EQ(word->Locate(text, QStringLiteral("longer than eight"), {}), sqlite);
        EXPECT_FALSE(word->Locate(text, QStringLiteral("longer than nine"), {}));
    }
}

TEST_P(IndexSearch, LocateOnACalculatedFieldReadsTheRecords) {
    TPeopleDatabase db(7, Engine());
    TComponent form;
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    people->SetIndexFieldNames(QStringLiteral("Name"));
    for (const char* name : {"Id", "Name"}) {
        TField* field = QString::fromLatin1(name) == QLatin1String("Id")
                            ? static_cast<TField*>(new TIntegerField(&form))
                            : static_cast<TField*>(new TStringField(&form));
        field->SetFieldName(QString::fromLatin1(name));
        field->SetDataSet(people);
    }
    auto* code = new TStringField(&form);
    code->SetFieldName(QStringLiteral("Code"));
    code->SetFieldKind(fkCalculated);
    code->SetSize(10);
    code->SetDataSet(people);
    people->SetOnCalcFields([](TDataSet* d) {
        d->FieldByName(QStringLiteral("Code"))
            ->SetAsString(QStringLiteral("P") + d->FieldByName(QStringLiteral("Id"))->AsString());
    });
    people->Open();
    EXPECT_TRUE(people->Locate(QStringLiteral("Code"), QStringLiteral("p5"), {loCaseInsensitive}));
    EXPECT_EQ(people->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0005"));
    EXPECT_FALSE(people->Locate(QStringLiteral("Code"), QStringLiteral("P8"), {}));
    EXPECT_EQ(people->Lookup(QStringLiteral("Code"), QStringLiteral("P6"), QStringLiteral("Name"))
                  .toString(),
              QStringLiteral("Person 0006"));
}

TEST(MemorySearch, ADatasetWithoutAnEngineSearchesItsRecords) {
    TMemoryDataSet data;
    data.FieldDefs()->Add(QStringLiteral("Code"), ftInteger);
    data.FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    data.Open();
    for (int i = 0; i < 200; ++i) {
        data.Append();
        data.FieldByName(QStringLiteral("Code"))->SetAsInteger(i);
        data.FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Item %1").arg(i));
        data.Post();
    }
    EXPECT_TRUE(
        data.Locate(QStringLiteral("Name"), QStringLiteral("item 150"), {loCaseInsensitive}));
    EXPECT_EQ(data.FieldByName(QStringLiteral("Code"))->AsInteger(), 150);
    EXPECT_TRUE(data.Locate(QStringLiteral("Name"), QStringLiteral("Item 19"), {loPartialKey}));
    EXPECT_EQ(data.FieldByName(QStringLiteral("Code"))->AsInteger(), 19);
    EXPECT_FALSE(data.Locate(QStringLiteral("Code"), 999, {}));
    EXPECT_THROW(data.SetKey(), EDatabaseError); // no index order
    EXPECT_EQ(data.State(), dsBrowse);
}

} // namespace
