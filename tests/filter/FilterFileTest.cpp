#include "FilterFixture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtEndian>
#include <rtl/DataPaths.h>
#include <rtl/VariantRecord.h>

namespace {

// Bytes of a filter file written by hand, field by field, as the format table says.
class THandWritten {
public:
    THandWritten& Text(const QByteArray& Text) {
        Int16(qint16(Text.size()));
        FData += Text;
        return *this;
    }
    THandWritten& Byte(quint8 Value) {
        FData += char(Value);
        return *this;
    }
    THandWritten& Int16(qint16 Value) {
        FData += char(Value & 0xFF);
        FData += char((Value >> 8) & 0xFF);
        return *this;
    }
    THandWritten& Int32(qint32 Value) {
        for (int shift = 0; shift < 32; shift += 8)
            FData += char((Value >> shift) & 0xFF);
        return *this;
    }
    THandWritten& Record(quint16 Type, const QByteArray& Data) {
        Byte(0).Int16(16).Int16(qint16(Type)).Int16(0).Int16(0).Int16(0);
        FData += Data.leftJustified(8, '\0');
        return *this;
    }
    const QByteArray& Data() const { return FData; }

private:
    QByteArray FData;
};

class FilterFiles : public FilterFixture {
protected:
    QByteArray Saved() const {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        Filter->SaveToStream(buffer);
        return buffer.data();
    }
    void Load(const QByteArray& Data) {
        QBuffer buffer;
        buffer.setData(Data);
        buffer.open(QIODevice::ReadOnly);
        Filter->LoadFromStream(buffer);
    }
    // Two filters holding every kind of value and every field of the format.
    void MakeFilters() {
        NewFilter({{"Name", "=", QStringLiteral("Zoë O'Brien")},
                   {"Country", ">=", 2},
                   {"Birth", "<", QDate(2024, 2, 29)},
                   {"Salary", "<>", 1000.5},
                   {"Active", "=", true},
                   {"Notes", "=", Null()},
                   {"Job.db.Title", "~", QStringLiteral("Cook")},
                   {"Id", "=", qlonglong(1) << 40}});
        Filter->Current()->Name = QStringLiteral("Everything");
        Filter->Current()->Text = QStringLiteral("kept");
        SetLink(0, QStringLiteral("#1 or (#2 and #3)"));
        SetLink(1, QStringLiteral("#7"));
        Filter->Current()->DataSetItem(QStringLiteral("Job.db"))->ForAll = true;
        Filter->Current()->Conditions[0]->Flag = 3;
        Filter->Current()->Conditions[0]->Text = QStringLiteral("row text");
        Filter->Current()->Conditions[1]->LookupFieldName = QStringLiteral("CountryName");
        NewFilter({});
        Filter->SetCurrentFilter(0);
    }
};

INSTANTIATE_TEST_SUITE_P(Sqlite, FilterFiles, ::testing::Values(SqliteEngine),
                         [](const auto&) { return std::string("sqlite"); });

TEST_P(FilterFiles, WrittenAndReadBackByteForByte) {
    MakeFilters();
    const QByteArray first = Saved();
    Filter->ClearFilters();
    Load(first);
    EXPECT_EQ(Filter->FilterCount(), 2);
    EXPECT_EQ(Filter->CurrentFilter(), 0);
    const TFilterItem* filter = Filter->Current();
    EXPECT_EQ(filter->Name, QStringLiteral("Everything"));
    EXPECT_FALSE(filter->AndForAll);
    EXPECT_EQ(filter->Text, QStringLiteral("kept"));
    EXPECT_EQ(Filter->LinkText(0), QStringLiteral("#1 or (#2 and #3)"));
    EXPECT_TRUE(Filter->ForAll(1));
    ASSERT_EQ(filter->Conditions.Count(), 8);
    EXPECT_EQ(filter->Conditions[0]->Value, QStringLiteral("Zoë O'Brien"));
    EXPECT_EQ(filter->Conditions[0]->Flag, 3);
    EXPECT_EQ(filter->Conditions[0]->Text, QStringLiteral("row text"));
    EXPECT_EQ(filter->Conditions[1]->LookupFieldName, QStringLiteral("CountryName"));
    EXPECT_EQ(filter->Conditions[2]->Value, QDate(2024, 2, 29));
    EXPECT_EQ(filter->Conditions[3]->Value, 1000.5);
    EXPECT_EQ(filter->Conditions[4]->Value, true);
    EXPECT_TRUE(VarIsNull(filter->Conditions[5]->Value));
    EXPECT_EQ(filter->Conditions[6]->DataSetName, QStringLiteral("Job.db"));
    EXPECT_EQ(filter->Conditions[6]->Operation, FilterLikeOperation);
    EXPECT_EQ(filter->Conditions[7]->Value, qlonglong(1) << 40);
    EXPECT_EQ(Saved(), first);
}

TEST_P(FilterFiles, AFileWrittenByHandFromTheFormatReads) {
    THandWritten file;
    file.Text("c:\\People_db.flt").Int16(1).Int32(2);
    file.Text("Empty").Byte(1).Text("").Int32(0).Int32(0);
    file.Text("Cooks born late").Byte(0).Text("second");
    file.Int32(1).Text("Job.db").Text("#1").Byte(1).Text("further");
    file.Int32(2);
    file.Text("Job.db").Text("Title").Text("").Text("=").Byte(0).Byte(1).Text("Cook").Text("");
    // 45351.0: 2024-02-29 as days since 1899-12-30.
    file.Text("")
        .Text("Birth")
        .Text("")
        .Text(">")
        .Byte(2)
        .Record(varDate, QByteArray::fromHex("00000000e024e640"))
        .Text("t");
    Load(file.Data());

    ASSERT_EQ(Filter->FilterCount(), 2);
    EXPECT_EQ(Filter->CurrentFilter(), 1);
    EXPECT_EQ(Filter->Filters(0)->Name, QStringLiteral("Empty"));
    EXPECT_TRUE(Filter->Filters(0)->AndForAll);
    const TFilterItem* filter = Filter->Current();
    EXPECT_EQ(filter->Name, QStringLiteral("Cooks born late"));
    EXPECT_EQ(filter->Text, QStringLiteral("second"));
    EXPECT_EQ(filter->DataSets[0]->Text, QStringLiteral("further"));
    EXPECT_TRUE(Filter->ForAll(1));
    EXPECT_EQ(filter->Conditions[1]->Flag, 2);
    EXPECT_EQ(filter->Conditions[1]->Value, QDate(2024, 2, 29));
    EXPECT_EQ(Filter->BuildQueryWhere(1),
              QStringLiteral("((Birth>'2024-02-29')) and Exists(select * from Job.db where "
                             "(EFilter.Id=People)) and (Not Exists(select * from Job.db where "
                             "(EFilter.Id=People) and (not ((Title='Cook')))))"));
    // Written again, only the file name at the front differs.
    const QByteArray written = Saved();
    const int ours = qFromLittleEndian<quint16>(written.constData()) + 2;
    EXPECT_EQ(written.mid(ours), file.Data().mid(2 + 16));
    EXPECT_EQ(written.mid(2, ours - 2), Filter->GetFilterFileName(People).toUtf8());

    // Text of the classic platform in Windows-1252 reads too.
    THandWritten classic;
    classic.Text("").Int16(0).Int32(1).Text("Caf\xe9").Byte(1).Text("").Int32(0).Int32(0);
    Load(classic.Data());
    EXPECT_EQ(Filter->Current()->Name, QStringLiteral("Café"));
}

// What a damaged file does: the error, and the filters as they were.
class DamagedFilterFiles : public FilterFiles {
protected:
    void SetUp() override {
        FilterFiles::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        MakeFilters();
        Before = Saved();
    }
    void ExpectRefused(const QByteArray& Data, const char* What) {
        try {
            Load(Data);
            ADD_FAILURE() << What << ": read";
        } catch (const EInOutError& E) {
            EXPECT_EQ(E.Message(), QStringLiteral("Error loading filter data")) << What;
        }
        EXPECT_EQ(Saved(), Before) << What;
    }
    QByteArray Before;
};

INSTANTIATE_TEST_SUITE_P(Sqlite, DamagedFilterFiles, ::testing::Values(SqliteEngine),
                         [](const auto&) { return std::string("sqlite"); });

TEST_P(DamagedFilterFiles, AreRefusedWithoutLosingTheFilters) {
    for (qsizetype length = 0; length < Before.size(); ++length)
        ExpectRefused(Before.left(length), "truncated");
    const auto oneFilter = [](qint16 Current, qint32 Count) {
        THandWritten file;
        file.Text("").Int16(Current).Int32(Count);
        return file;
    };
    ExpectRefused(oneFilter(0, -1).Data(), "negative count");
    ExpectRefused(oneFilter(0, 65536).Data(), "too many filters");
    ExpectRefused(oneFilter(0, 0).Data(), "current filter without filters");
    THandWritten file = oneFilter(1, 1);
    file.Text("a").Byte(1).Text("").Int32(0).Int32(0);
    ExpectRefused(file.Data(), "current filter out of range");
    file = oneFilter(-1, 1);
    file.Text("a").Byte(1).Text("").Int32(0).Int32(0);
    ExpectRefused(file.Data(), "no current filter among filters");
    file = oneFilter(0, 1);
    file.Text("a").Byte(1).Text("").Int32(256);
    ExpectRefused(file.Data(), "too many datasets");
    file = oneFilter(0, 1);
    file.Text("a").Byte(1).Text("").Int32(0).Int32(-1);
    ExpectRefused(file.Data(), "negative conditions");
    const auto withValue = [&](const std::function<void(THandWritten&)>& Value) {
        THandWritten f = oneFilter(0, 1);
        f.Text("a").Byte(1).Text("").Int32(0).Int32(1);
        f.Text("").Text("Name").Text("").Text("=").Byte(0);
        Value(f);
        f.Text("");
        return f.Data();
    };
    ExpectRefused(
        withValue([](THandWritten& f) {
            f.Byte(0).Int16(15).Int16(3).Int16(0).Int16(0).Int16(0).Int32(1).Int16(0).Byte(0);
        }),
        "a record of 15 bytes");
    ExpectRefused(withValue([](THandWritten& f) { f.Byte(0).Int16(17).Record(3, "").Byte(0); }),
                  "a record of 17 bytes");
    ExpectRefused(withValue([](THandWritten& f) { f.Record(9, ""); }), "an unknown type");
    ExpectRefused(withValue([](THandWritten& f) { f.Record(varString, ""); }), "a string record");
    ExpectRefused(withValue([](THandWritten& f) { f.Byte(2).Text("x"); }), "a value of kind 2");
    ExpectRefused(Before + "x", "bytes after the filters");
    // The sound file still reads.
    Load(withValue([](THandWritten& f) { f.Record(varInteger, QByteArray::fromHex("2a")); }));
    EXPECT_EQ(Filter->Current()->Conditions[0]->Value, 42);
}

TEST_P(DamagedFilterFiles, RandomDamageNeverCrashesNorLosesFilters) {
    QRandomGenerator random(20261209);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray data = Before;
        const int flips = 1 + int(random.bounded(4));
        for (int i = 0; i < flips; ++i)
            data[random.bounded(int(data.size()))] ^= char(1 << random.bounded(8));
        if (random.bounded(3) == 0)
            data.truncate(random.bounded(int(data.size())));
        try {
            Load(data);
        } catch (const EInOutError&) {
            ++refused;
            EXPECT_EQ(Saved(), Before);
            continue;
        }
        // What was read writes again, and the sound filters come back.
        Saved();
        Load(Before);
    }
    EXPECT_GT(refused, 100);
}

TEST_P(DamagedFilterFiles, RandomLinkTextsTranslateOrFailCleanly) {
    QRandomGenerator random(4711);
    const QString alphabet = QStringLiteral("#0123456789 oOrRaAnNdDtT()'|=x");
    int failed = 0;
    for (int round = 0; round < 3000; ++round) {
        QString link;
        for (int i = int(random.bounded(24)); i > 0; --i)
            link += alphabet[random.bounded(int(alphabet.size()))];
        Filter->Current()->DataSetItem(QString())->LinkText = link;
        Filter->Current()->DataSetItem(QStringLiteral("Job.db"))->LinkText = link;
        try {
            Filter->BuildQueryWhere(1);
            Filter->FilterDescription(0);
        } catch (const EConvertError&) {
            ++failed;
        }
    }
    EXPECT_GT(failed, 100);
    EXPECT_EQ(Filter->FilterCount(), 2);
}

TEST_P(FilterFiles, LiveInTheUsersDataDirectoryUnlessTheHooksSayOtherwise) {
    const QString name = Filter->GetFilterFileName(People);
    EXPECT_EQ(name, UserDataDirectory() + QStringLiteral("/filters/People_db.flt"));
    Filter->SetTableName(QStringLiteral("sys.Persons"));
    EXPECT_TRUE(Filter->GetFilterFileName(People).endsWith(QStringLiteral("/sys_Persons.flt")));
    Filter->SetTableName(QString());
    TKroQuery query;
    query.SetName(QStringLiteral("QuPeople"));
    EXPECT_TRUE(Filter->GetFilterFileName(&query).endsWith(QStringLiteral("/QuPeople.flt")));

    MakeFilters();
    Filter->SaveFilters();
    ASSERT_TRUE(QFileInfo::exists(name));
    Filter->ClearFilters();
    Filter->LoadFilters();
    EXPECT_EQ(Filter->FilterCount(), 2);

    static int loads = 0, saves = 0;
    FilterLoadHook = [](TKroFilter*) { ++loads; };
    FilterSaveHook = [](TKroFilter*) { ++saves; };
    QFile::remove(name);
    Filter->SaveFilters();
    Filter->LoadFilters();
    FilterLoadHook = nullptr;
    FilterSaveHook = nullptr;
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(loads, 1);
    EXPECT_FALSE(QFileInfo::exists(name));
}

TEST_P(FilterFiles, ADamagedFileOnAttachingIsReportedAndKeepsTheFilters) {
    MakeFilters();
    {
        QFile file(Filter->GetFilterFileName(People));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x05\x00garbage");
    }
    EXPECT_THROW(Filter->LoadFilters(), EInOutError);
    EXPECT_EQ(Filter->FilterCount(), 2);
    PeopleSource->SetDataSet(nullptr);
    ExpectError();
    PeopleSource->SetDataSet(People);
    EXPECT_EQ(ErrorMessage, QStringLiteral("Error loading filter data"));
    EXPECT_EQ(ErrorDetail, Filter->GetFilterFileName(People));
    EXPECT_EQ(Filter->FilterCount(), 2);
}

TEST_P(FilterFiles, EditingSavesAndSetsOrSwitchesOffOrThrowsTheEditsAway) {
    static int result = 0;
    FilterDialogHook = [](TKroFilter* Filter, int WidthDataSetName, int WidthFieldName) {
        EXPECT_EQ(WidthDataSetName, 175);
        EXPECT_EQ(WidthFieldName, 150);
        Filter->AddFilter();
        Filter->AddCondition();
        Filter->Current()->Conditions[0]->FieldName = QStringLiteral("Country");
        Filter->Current()->Conditions[0]->Value = 3;
        return result;
    };
    const auto restore = qScopeGuard([] { FilterDialogHook = nullptr; });
    result = 1;
    Filter->EditFilters();
    EXPECT_EQ(Filter->FilterMode(), 1);
    EXPECT_EQ(People->RecordCount(), 10);
    result = 7;
    Filter->EditFilters();
    EXPECT_EQ(Filter->FilterMode(), 0);
    EXPECT_EQ(Filter->FilterCount(), 2);
    result = 2;
    Filter->EditFilters();
    EXPECT_EQ(Filter->FilterCount(), 2) << "the third filter is thrown away";
}

} // namespace
