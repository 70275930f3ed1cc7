#include "FieldsFixture.h"

#include <db/DataLink.h>
#include <db/DataSource.h>
#include <fields/KroLook.h>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/FormatSettings.h>
#include <ui/ScriptedResponder.h>

namespace {

// Person with a lookup field LangLook of Lang by "id;Name" (Lang's Id written in lower case).
class LookFieldFixture : public FieldsFixture {
protected:
    void SetUp() override {
        FieldsFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        AddPersonFields();
        Look = NewLangLook(QStringLiteral("id;Name"));
        Look->SetName(QStringLiteral("LangLook"));
        Look->SetDataSet(Person);
    }

    // The texts of LangLook for each person, in Id order.
    QStringList Texts() {
        QStringList texts;
        for (Person->First(); !Person->Eof(); Person->Next())
            texts << Look->AsString();
        return texts;
    }

    // The raw record data of LangLook, empty when it holds none.
    QByteArray Data() const {
        QByteArray data;
        Look->GetData(data);
        return data;
    }

    TKroLookField* Look = nullptr;
    TScriptedResponder Responder;
};

ON_EVERY_ENGINE_WITH(KroLookField, LookFieldFixture);

// Date and time formats in force while it lives.
class TDateFormatsInForce {
public:
    TDateFormatsInForce(const QString& ShortDate, const QString& LongTime) {
        TFormatSettings settings = FSaved;
        settings.ShortDateFormat = ShortDate;
        settings.LongTimeFormat = LongTime;
        SetFormatSettings(settings);
    }
    ~TDateFormatsInForce() { SetFormatSettings(FSaved); }

private:
    const TFormatSettings FSaved = FormatSettings();
};

TEST_P(KroLookField, GivesAllResultColumnsOneOrItsValueStoredOrLocated) {
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "stored" : "located");
        Person->Close();
        Look->SetStoreLookupData(stored);
        Lang->Open();
        Person->Open();
        GoTo("Ann");
        EXPECT_EQ(Look->AsString(), QStringLiteral("3 English"));
        EXPECT_EQ(Look->Text(), QStringLiteral("3 English"));
        // The id column at the width of Lang's Id field, aligned as it is.
        const TField* id = Lang->FieldByName(QStringLiteral("Id"));
        EXPECT_EQ(Look->DisplayText(), QString(id->DisplayWidth() - 1, QLatin1Char(' ')) + '3');
        EXPECT_EQ(Look->Value().toInt(), 3);
        Look->SetLookupResultIndex(1);
        EXPECT_EQ(Look->Value().toString(), QStringLiteral("English"));
        EXPECT_EQ(Look->DisplayText(), QStringLiteral("English").leftJustified(20));
        Look->SetLookupResultIndex(0);
        EXPECT_EQ(Look->CurrentIndex(), -1);
        EXPECT_EQ(Look->ResultCount(), 2);

        // A key Lang lacks shows itself in its own column, the name stays empty.
        GoTo("Bob");
        EXPECT_EQ(Look->AsString(), QStringLiteral("7 "));
        Look->SetCurrentIndex(1);
        EXPECT_EQ(Look->AsString(), QString());
        Look->SetCurrentIndex(-1);
        EXPECT_TRUE(Look->IsNull());
        GoTo("Cid");
        EXPECT_EQ(Look->AsString(), QStringLiteral(" "));
        EXPECT_TRUE(Look->IsNull());
        EXPECT_EQ(Texts(), QStringList({QStringLiteral("3 English"), QStringLiteral("7 "),
                                        QStringLiteral(" "), QStringLiteral("1 German")}));
        // Writing text changes nothing.
        Person->Edit();
        Look->SetAsString(QStringLiteral("2 French"));
        EXPECT_EQ(Look->AsString(), QStringLiteral("1 German"));
        Person->Cancel();
    }
}

TEST_P(KroLookField, StoresOneSlotPerColumnWithItsTypeCodeFirst) {
    Look->SetStoreLookupData(true);
    Look->SetLookupAddFields(QStringLiteral("Font"));
    Lang->Open();
    Person->Open();
    EXPECT_EQ(Look->GetLookupFieldNames(), QStringLiteral("id;Name;Font"));
    EXPECT_EQ(Look->ResultCount(), 2);
    ASSERT_EQ(Look->ResultFieldCount(), 3);
    // Id: 2 + 4; Name: 2 + 21 UTF-16 units; Font: 2 + 31 units.
    EXPECT_EQ(Look->DataSize(), 6 + 44 + 64);
    GoTo("Ann");
    const QByteArray data = Data();
    ASSERT_EQ(data.size(), Look->DataSize());
    EXPECT_EQ(data.mid(0, 6), QByteArray::fromHex("0300"
                                                  "03000000")); // varInteger 3
    EXPECT_EQ(data.mid(6, 2), QByteArray::fromHex("0001"));     // varString
    EXPECT_EQ(data.mid(8, 16), QByteArray::fromHex("45006e0067006c006900730068000000"));
    EXPECT_EQ(data.mid(50, 2), QByteArray::fromHex("0001"));
    EXPECT_EQ(Look->GetFieldsText(QStringLiteral("Font;Nothing;NAME")),
              QStringLiteral("Courier New English"));
    EXPECT_EQ(Look->AsString(), QStringLiteral("3 English")) << "Font is no result column";

    // A missing key stores nothing: every column reads null.
    GoTo("Bob");
    EXPECT_TRUE(Data().isEmpty());
    EXPECT_EQ(Look->GetFieldsText(QStringLiteral("Font")), QString());
}

TEST_P(KroLookField, ADateColumnTakesTenBytesAndReadsBackAsADate) {
    Look->SetStoreLookupData(true);
    Look->SetLookupResultField(QStringLiteral("Added"));
    Lang->Open();
    Person->Open();
    EXPECT_EQ(Look->DataSize(), 10);
    GoTo("Ann");
    EXPECT_EQ(Data().size(), 10);
    EXPECT_EQ(Data().left(2), QByteArray::fromHex("0700")); // varDate
    EXPECT_EQ(Look->Value(), Variant(QDate(2003, 3, 3)));
    const TDateFormatsInForce formats(QStringLiteral("d/M/yy"), QStringLiteral("hh:mm"));
    EXPECT_EQ(Look->AsString(), QStringLiteral("3/3/03")) << "a date without a time";
}

TEST_P(KroLookField, NumberColumnsOfEveryKindReadBackStoredAndCached) {
    const QDateTime stamp(QDate(2004, 4, 4), QTime(10, 30));
    TKroTable* lookup = NewLookupTable(
        QStringLiteral("Kinds"),
        {{QStringLiteral("Small"), ftSmallint},
         {QStringLiteral("Flag"), ftBoolean},
         {QStringLiteral("Ratio"), ftFloat},
         {QStringLiteral("Big"), ftLargeint},
         {QStringLiteral("Stamp"), ftDateTime}},
        {{3, -7, true, 2.5, qint64(5000000000), stamp}, {1, 0, false, -0.125, qint64(-1), Null()}});
    Look->SetLookupDataSet(lookup);
    Look->SetLookupResultField(QStringLiteral("Small;Flag;Ratio;Big;Stamp"));
    Look->SetStoreLookupData(true);
    const QList<Variant> ann{-7, true, 2.5, qint64(5000000000), stamp};
    const QList<Variant> dan{0, false, -0.125, qint64(-1), Null()};
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "looked up");
        Person->Close();
        Look->SetLookupCache(cached);
        lookup->Open();
        Person->Open();
        EXPECT_EQ(Look->DataSize(), 4 + 4 + 10 + 10 + 10);
        for (const auto& [name, values] : {std::pair{"Ann", ann}, std::pair{"Dan", dan}}) {
            GoTo(name);
            for (int i = 0; i < values.size(); ++i) {
                Look->SetCurrentIndex(i);
                EXPECT_EQ(Look->Value(), values[i]) << name << " column " << i;
                EXPECT_EQ(Look->Value().metaType(), values[i].metaType()) << name << " " << i;
            }
            Look->SetCurrentIndex(-1);
        }
        GoTo("Ann");
        EXPECT_EQ(Data().mid(4, 4), QByteArray::fromHex("0b00ffff")) << "true is -1";
        // The date-time column reads as the date-time field writes it, in the settings in force.
        ASSERT_TRUE(lookup->Locate(QStringLiteral("Id"), 3, {}));
        EXPECT_EQ(Look->AsString(), QStringLiteral("-7 True 2.5 5000000000 ") +
                                        lookup->FieldByName(QStringLiteral("Stamp"))->AsString());
        const TDateFormatsInForce formats(QStringLiteral("yyyy/MM/dd"), QStringLiteral("H.mm"));
        EXPECT_EQ(Look->AsString(), QStringLiteral("-7 True 2.5 5000000000 2004/04/04 10.30"));
        Look->SetCurrentIndex(4);
        EXPECT_EQ(Look->AsString(), QStringLiteral("2004/04/04 10.30"));
        Look->SetCurrentIndex(-1);
    }
}

TEST_P(KroLookField, AMemoColumnKeepsItsFirstCharactersInTheRecord) {
    // 320 characters, beyond the ASCII range.
    const QString longNote = QStringLiteral("Fl\u00fcgel ").repeated(40);
    TKroTable* notes = NewLookupTable(QStringLiteral("Notes"), {{QStringLiteral("Note"), ftMemo}},
                                      {{3, QStringLiteral("Short note")}, {1, longNote}});
    Look->SetLookupDataSet(notes);
    Look->SetLookupResultField(QStringLiteral("Id;Note"));
    Look->SetStoreLookupData(true);
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "looked up");
        Person->Close();
        Look->SetLookupCache(cached);
        notes->Open();
        Person->Open();
        ASSERT_EQ(notes->FieldByName(QStringLiteral("Note"))->DataType(), ftMemo);
        EXPECT_EQ(Look->DataSize(), 2 + 4 + 2 + (TKroLookField::MemoStoredLength + 1) * 2);
        GoTo("Ann");
        EXPECT_EQ(Look->AsString(), QStringLiteral("3 Short note"));
        GoTo("Dan");
        Look->SetCurrentIndex(1);
        EXPECT_EQ(Look->Value(), Variant(longNote.left(TKroLookField::MemoStoredLength)));
        Look->SetCurrentIndex(-1);
        // The slot ends with the terminating zero: nothing beyond it.
        EXPECT_EQ(Data().size(), Look->DataSize());
        EXPECT_EQ(Data().right(2), QByteArray(2, '\0'));
    }
}

TEST_P(KroLookField, GridFieldsAlreadyReadAreNotAddedTwice) {
    Look->SetLookupAddFields(QStringLiteral("Font"));
    Look->SetLookupGridFields(QStringLiteral("NAME;Added;font"));
    EXPECT_EQ(Look->GetLookupFieldNames(), QStringLiteral("id;Name;Font;Added"));
    Lang->Open();
    Person->Open();
    ASSERT_EQ(Look->ResultFieldCount(), 4);
    ASSERT_EQ(Look->GridFieldCount(), 3);
    EXPECT_EQ(Look->GridField(1), Lang->FieldByName(QStringLiteral("Added")));
    EXPECT_EQ(Look->ResultField(3), Lang->FieldByName(QStringLiteral("Added")));
    EXPECT_EQ(Look->LookupDisplayWidth(),
              Lang->FieldByName(QStringLiteral("Id"))->DisplayWidth() +
                  Lang->FieldByName(QStringLiteral("Name"))->DisplayWidth());
}

TEST_P(KroLookField, ThePlatformPropertyIsCutWhileOpeningAndHoldsAllColumnsAfter) {
    Look->SetLookupAddFields(QStringLiteral("Font"));
    QString seenWhileOpening;
    Lang->Open();
    // Another field's opening hook sees what the platform has at that moment.
    struct TSpy : TStringField {
        using TStringField::TStringField;
        std::function<void()> OnOpening;
        void DataSetOpening() override { OnOpening(); }
    };
    auto* spy = new TSpy(&Module);
    spy->SetFieldName(QStringLiteral("Spy"));
    spy->SetFieldKind(fkCalculated);
    spy->SetDataSet(Person);
    spy->OnOpening = [&] { seenWhileOpening = Look->TField::LookupResultField(); };
    Person->Open();
    EXPECT_EQ(seenWhileOpening, QStringLiteral("id"));
    EXPECT_EQ(Look->TField::LookupResultField(), QStringLiteral("id;Name;Font"));
    EXPECT_EQ(Look->LookupResultField(), QStringLiteral("id;Name"));
    Person->Close();
    Person->Open();
    EXPECT_EQ(Look->LookupResultField(), QStringLiteral("id;Name")) << "kept over a re-open";

    // An edit of the plain platform property is taken over at the next open.
    Person->Close();
    static_cast<TField*>(Look)->SetLookupResultField(QStringLiteral("Name"));
    Person->Open();
    EXPECT_EQ(Look->LookupResultField(), QStringLiteral("Name"));
    GoTo("Ann");
    EXPECT_EQ(Look->AsString(), QStringLiteral("English"));
}

TEST_P(KroLookField, AnOtherDatasetClassKeepsTheFirstColumnOnly) {
    {
        std::unique_ptr<TTable> plain(FDb->NewTable(QStringLiteral("Person.db")));
        Look->SetDataSet(nullptr);
        auto* key = new TIntegerField(plain.get());
        key->SetFieldName(QStringLiteral("Lang"));
        key->SetDataSet(plain.get());
        Look->SetDataSet(plain.get());
        Lang->Open();
        plain->Open();
        EXPECT_EQ(Look->TField::LookupResultField(), QStringLiteral("id"));
        EXPECT_EQ(plain->FieldByName(QStringLiteral("Lang"))->AsInteger(), 3);
        EXPECT_EQ(Look->Value().toInt(), 3);
        plain->Close();
        Look->SetDataSet(nullptr);
    }
}

TEST_P(KroLookField, ALibraryQueryPreparesItsLookupFieldsToo) {
    auto* query = new TKroQuery(&Module);
    query->SetDatabaseName(FDb->Alias());
    query->SQL()->SetText(QStringLiteral("select Id, Name, Lang from Person.db order by Id"));
    Look->SetDataSet(nullptr);
    AddField<TIntegerField>(query, "Id");
    AddField<TStringField>(query, "Name", 20);
    AddField<TIntegerField>(query, "Lang");
    Look->SetDataSet(query);
    Look->SetStoreLookupData(true);
    Look->SetLookupCache(true);
    Lang->Open();
    query->Open();
    EXPECT_EQ(Look->TField::LookupResultField(), QStringLiteral("id;Name"));
    EXPECT_TRUE(Look->LookupListFilled());
    EXPECT_EQ(Look->AsString(), QStringLiteral("3 English"));
    query->Last();
    EXPECT_EQ(Look->AsString(), QStringLiteral("1 German"));
}

TEST_P(KroLookField, ALevelWithoutResultFieldsStopsTheOpen) {
    Lang->Open();
    auto* level = static_cast<TKroLookupLevelItem*>(Look->LookupLevels()->Add());
    level->SetDataSet(Cont);
    level->SetKeyField(QStringLiteral("Id"));
    try {
        Person->Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("Lookup information for field 'LangLook' is incomplete"));
    }
    EXPECT_FALSE(Person->Active());
    // Complete, the level's dataset is opened with the owning dataset.
    level->SetResultFields(QStringLiteral("Id;Name"));
    Person->Open();
    EXPECT_TRUE(Cont->Active());
    // Unknown names of the level or of the hierarchy fail as unknown fields.
    Person->Close();
    level->SetResultFields(QStringLiteral("Id;Title"));
    EXPECT_THROW(Person->Open(), EDatabaseError);
    level->SetResultFields(QStringLiteral("Id;Name"));
    Look->SetLookupLevelUp(QStringLiteral("IdUp"));
    EXPECT_THROW(Person->Open(), EDatabaseError);
    Look->SetLookupLevelUp(QString());
    Look->SetLookupAddFields(QStringLiteral("Colour"));
    EXPECT_THROW(Person->Open(), EDatabaseError);
    EXPECT_FALSE(Person->Active());
}

TEST_P(KroLookField, AKeyTheLookupLacksCountsAsAValueWithValueNotInLookup) {
    Look->SetOptions(Look->Options() + TKroLookFieldOptions{foValueNotInLookup});
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored ? "stored" : "located");
        Person->Close();
        Look->SetStoreLookupData(stored);
        Lang->Open();
        Person->Open();
        GoTo("Bob");
        EXPECT_FALSE(Look->IsNull());
        GoTo("Cid");
        EXPECT_TRUE(Look->IsNull()) << "no key";
        GoTo("Ann");
        EXPECT_FALSE(Look->IsNull());
    }
}

TEST_P(KroLookField, SlotsBeyondTheLimitRefuseTheOpenAfterTellingSo) {
    Look->SetStoreLookupData(true);
    Look->SetLookupAddFields(QStringLiteral("Descr")); // 2 + 4101 UTF-16 units
    Lang->Open();
    EXPECT_THROW(Person->Open(), EAbort);
    EXPECT_FALSE(Person->Active());
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown()[0].Text, QStringLiteral("Out Limit"));
    // Without keeping the data the same field opens.
    Look->SetStoreLookupData(false);
    Person->Open();
    GoTo("Ann");
    EXPECT_EQ(Look->AsString(), QStringLiteral("3 English"));
}

TEST_P(KroLookField, LayoutPropertiesChangeOnlyWhileClosed) {
    Lang->Open();
    Person->Open();
    EXPECT_THROW(Look->SetLookupAddFields(QStringLiteral("Font")), EDatabaseError);
    EXPECT_THROW(Look->SetLookupGridFields(QStringLiteral("Font")), EDatabaseError);
    EXPECT_THROW(Look->SetStoreLookupData(true), EDatabaseError);
    EXPECT_EQ(Look->LookupAddFields(), QString());
    EXPECT_EQ(Look->LookupGridFields(), QString());
    EXPECT_FALSE(Look->StoreLookupData());
}

TEST_P(KroLookField, ACacheHeldBackWhileOpeningIsFilledOnceByTheLibrary) {
    // Lang closed, with fields of its own: the cache opens it once and closes it again.
    AddField<TAutoIncField>(Lang, "Id");
    AddField<TStringField>(Lang, "Name", 20);
    AddField<TStringField>(Lang, "Font", 30);
    int langOpens = 0;
    Lang->SetBeforeOpen(TDataSetNotifyEvent([&](TDataSet*) { ++langOpens; }));
    Look->SetLookupCache(true);
    Look->SetStoreLookupData(true);
    Look->SetLookupAddFields(QStringLiteral("Font"));
    Person->Open();
    EXPECT_EQ(langOpens, 1);
    EXPECT_FALSE(Lang->Active());
    EXPECT_TRUE(Look->LookupCache());
    EXPECT_TRUE(Look->LookupListFilled());
    const std::optional<Variant> english = Look->FindLookupListItem(3);
    ASSERT_TRUE(english.has_value());
    EXPECT_FALSE(Look->FindLookupListItem(7).has_value()) << "Lang has no 7";
    EXPECT_EQ(Texts(), QStringList({QStringLiteral("3 English"), QStringLiteral("7 "),
                                    QStringLiteral(" "), QStringLiteral("1 German")}));
    // The entry is the record data Ann keeps, with the three columns.
    ASSERT_EQ(english->metaType(), QMetaType::fromType<TKroStoredLookupData>());
    GoTo("Ann");
    EXPECT_EQ(english->value<TKroStoredLookupData>().Data, Data());
    EXPECT_EQ(Look->GetFieldsText(QStringLiteral("Id;Name;Font")),
              QStringLiteral("3 English Courier New"));
    GoTo("Dan");
    EXPECT_EQ(Look->GetFieldsText(QStringLiteral("Font")), QStringLiteral("Arial"));
    Person->Close();
    Person->Open();
    EXPECT_EQ(langOpens, 2);
    EXPECT_TRUE(Look->LookupCache());
}

// What a person sees after another user of the program renamed English while the persons
// were open: without kept data every read locates the language and follows at once; with
// kept data the records follow when re-read; a cache keeps the texts of the open.
TEST_P(KroLookField, AnEditedLookupDatasetShowsAsTheSettingsSay) {
    struct TCase {
        bool Stored;
        bool Cache;
        const char* BeforeRefresh;
        const char* AfterRefresh;
    };
    const TCase cases[] = {{false, false, "3 British", "3 British"},
                           {true, false, "3 English", "3 British"},
                           {true, true, "3 English", "3 English"},
                           {false, true, "3 British", "3 British"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(
            QStringLiteral("stored %1, cache %2").arg(c.Stored).arg(c.Cache).toStdString());
        Person->Close();
        Lang->Open();
        ASSERT_TRUE(Lang->Locate(QStringLiteral("Id"), 3, {}));
        Lang->Edit();
        Lang->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("English"));
        Lang->Post();
        Look->SetStoreLookupData(c.Stored);
        Look->SetLookupCache(c.Cache);
        Person->Open();
        GoTo("Ann");
        EXPECT_EQ(Look->AsString(), QStringLiteral("3 English"));
        ASSERT_TRUE(Lang->Locate(QStringLiteral("Id"), 3, {}));
        Lang->Edit();
        Lang->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("British"));
        Lang->Post();
        EXPECT_EQ(Look->AsString(), QString::fromLatin1(c.BeforeRefresh));
        Person->Refresh();
        EXPECT_EQ(Look->AsString(), QString::fromLatin1(c.AfterRefresh));
        Person->Close();
        Person->Open();
        GoTo("Ann");
        EXPECT_EQ(Look->AsString(), QStringLiteral("3 British")) << "a re-open reads anew";
    }
}

TEST_P(KroLookField, ReadingWhileTheLookupIsEditedNeitherPostsNorMovesIt) {
    Lang->Open();
    Person->Open();
    ASSERT_TRUE(Lang->Locate(QStringLiteral("Id"), 2, {}));
    Lang->Edit();
    Lang->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Breton"));
    GoTo("Ann");
    EXPECT_EQ(Look->AsString(), QStringLiteral("3 English"));
    EXPECT_EQ(Lang->State(), dsEdit);
    EXPECT_EQ(Lang->FieldByName(QStringLiteral("Name"))->AsString(), QStringLiteral("Breton"));
    Lang->Cancel();
    // In browse mode a read locates the key: the lookup dataset moves to it.
    GoTo("Dan");
    EXPECT_EQ(Look->AsString(), QStringLiteral("1 German"));
    EXPECT_EQ(Lang->FieldByName(QStringLiteral("Id"))->AsInteger(), 1);
    // A closed lookup dataset leaves the texts empty but the key.
    Lang->Close();
    EXPECT_EQ(Look->AsString(), QStringLiteral("1 "));
}

TEST(KroLookFieldLevels, LevelsForgetADestroyedDatasetAndCopyEachOther) {
    TComponent module;
    auto* look = new TKroLookField(&module);
    auto first = std::make_unique<TKroTable>(&module);
    auto* second = new TKroTable(&module);
    auto* level = static_cast<TKroLookupLevelItem*>(look->LookupLevels()->Add());
    level->SetDataSet(first.get());
    level->SetFilterField(QStringLiteral("Continent"));
    level->SetKeyField(QStringLiteral("Id"));
    level->SetResultFields(QStringLiteral("Id;Name"));
    look->LookupLevels()->SetDataSet(1, second); // beyond the items: nothing
    look->LookupLevels()->Add();
    look->LookupLevels()->SetDataSet(1, second);
    EXPECT_EQ(look->LookupLevels()->DataSet(0), first.get());
    EXPECT_EQ(look->LookupLevels()->DataSet(1), second);
    EXPECT_EQ(look->LookupLevels()->DataSet(2), nullptr);
    EXPECT_EQ(look->LookupLevels()->KeyField(5), QString());
    EXPECT_EQ(look->LookupLevels()->FilterField(0), QStringLiteral("Continent"));
    EXPECT_EQ(look->LookupLevels()->ResultFields(0), QStringLiteral("Id;Name"));

    TKroLookupLevelCol copy(look);
    copy.Assign(look->LookupLevels());
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.DataSet(0), first.get());
    EXPECT_EQ(copy.KeyField(0), QStringLiteral("Id"));
    EXPECT_EQ(copy.FilterField(0), QStringLiteral("Continent"));

    first.reset();
    EXPECT_EQ(look->LookupLevels()->DataSet(0), nullptr);
    EXPECT_EQ(look->LookupLevels()->KeyField(0), QStringLiteral("Id")) << "the level stays";
    EXPECT_EQ(look->LookupLevels()->DataSet(1), second);
    delete second;
    EXPECT_EQ(look->LookupLevels()->DataSet(1), nullptr);
}

TEST(KroLookFieldDefaults, ANewFieldHasTheDesignedSettings) {
    TKroLookField look;
    EXPECT_EQ(look.Options().Bits(), 104u);
    EXPECT_TRUE(look.HeadLine());
    EXPECT_EQ(look.HeadColor(), TColor(0xA6CAF0));
    EXPECT_EQ(look.CurrentIndex(), -1);
    EXPECT_EQ(look.LookupResultIndex(), 0);
    EXPECT_EQ(look.ListFieldIndex(), 0);
    EXPECT_EQ(look.ResultCount(), 0);
    EXPECT_EQ(look.LookupDisplayWidth(), 0) << "no lookup dataset";
    EXPECT_FALSE(look.StoreLookupData());
    // Not a lookup field: a plain string field.
    EXPECT_EQ(look.DataSize(), (look.Size() + 1) * 2);
}

} // namespace
