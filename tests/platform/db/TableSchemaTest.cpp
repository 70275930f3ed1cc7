#include "EngineTest.h"

#include <db/BlobStream.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/SqliteConnection.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Exceptions.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

ON_EVERY_ENGINE(TableSchema);
ON_EVERY_ENGINE(TableBlobs);
ON_EVERY_ENGINE(TableCalcFields);

TEST_P(TableSchema, CreateEmptyAndDeleteTables) {
    TPeopleDatabase db(0, Engine());
    std::unique_ptr<TTable> items(db.NewTable(QStringLiteral("Items.DB")));
    items->FieldDefs()->Add(QStringLiteral("Code"), ftString, 8, true);
    items->FieldDefs()->Add(QStringLiteral("Amount"), ftSmallint);
    items->FieldDefs()->Add(QStringLiteral("Picture"), ftGraphic);
    items->IndexDefs()->Add(QStringLiteral("Key"), QStringLiteral("Code"), {ixPrimary});
    items->IndexDefs()->Add(QStringLiteral("ByAmount"), QStringLiteral("Amount"), {ixDescending});
    items->CreateTable();
    EXPECT_TRUE(items->Exists());
    EXPECT_THROW(items->CreateTable(), EDatabaseError); // it exists

    items->SetIndexName(QStringLiteral("ByAmount"));
    items->Open();
    for (int amount : {5, 30, 12}) {
        items->Append();
        items->FieldByName(QStringLiteral("Code"))->SetAsString(QStringLiteral("C%1").arg(amount));
        items->FieldByName(QStringLiteral("Amount"))->SetAsInteger(amount);
        items->Post();
    }
    QList<qint64> amounts;
    for (items->First(); !items->Eof(); items->Next())
        amounts << items->FieldByName(QStringLiteral("Amount"))->AsInteger();
    EXPECT_EQ(amounts, (QList<qint64>{30, 12, 5})); // the descending index's order
    EXPECT_EQ(items->FieldByName(QStringLiteral("Picture"))->DataType(), ftGraphic);
    items->EmptyTable();
    EXPECT_TRUE(items->IsEmpty());
    EXPECT_EQ(items->RecordCount(), 0);
    EXPECT_THROW(items->DeleteTable(), EDatabaseError); // still open
    items->Close();
    items->DeleteTable();
    EXPECT_FALSE(items->Exists());
}

// A reopened table keeps its definitions while the columns stay and takes the new ones
// after another dataset made the table again with one thing of a column changed (its
// type, size, requirement, name), or when it names another table.
TEST_P(TableSchema, DefinitionsFollowTheColumnsAcrossOpens) {
    TPeopleDatabase db(2, Engine());
    struct TShape {
        int CodeSize;
        bool CodeRequired;
        const char* Second;
        TFieldType SecondType;
    };
    const auto makeItems = [&db](const TShape& Shape) {
        std::unique_ptr<TTable> maker(db.NewTable(QStringLiteral("Items.DB")));
        if (maker->Exists())
            maker->DeleteTable();
        maker->FieldDefs()->Add(QStringLiteral("Code"), ftString, Shape.CodeSize,
                                Shape.CodeRequired);
        maker->FieldDefs()->Add(QLatin1String(Shape.Second), Shape.SecondType);
        maker->CreateTable();
    };
    std::unique_ptr<TTable> items(db.NewTable(QStringLiteral("Items.DB")));
    const auto reopened = [&items] {
        items->Close();
        items->Open();
        return items->FieldDefs();
    };
    makeItems({8, true, "Amount", ftSmallint});
    items->Open();
    const TFieldDef* code = items->FieldDefs()->Items(0);
    EXPECT_EQ(reopened()->Items(0), code); // the same columns: kept
    EXPECT_EQ(items->FieldByName(QStringLiteral("Amount"))->DataType(), ftSmallint);
    items->Close();

    makeItems({8, true, "Amount", ftFloat});
    EXPECT_EQ(reopened()->Items(1)->DataType(), ftFloat);
    EXPECT_EQ(items->FieldByName(QStringLiteral("Amount"))->DataType(), ftFloat);
    items->Close();
    makeItems({12, true, "Amount", ftFloat});
    EXPECT_EQ(reopened()->Items(0)->Size(), 12);
    EXPECT_EQ(items->FieldByName(QStringLiteral("Code"))->Size(), 12);
    items->Close();
    makeItems({12, false, "Amount", ftFloat});
    EXPECT_FALSE(reopened()->Items(0)->Required());
    EXPECT_FALSE(items->FieldByName(QStringLiteral("Code"))->Required());
    items->Close();
    makeItems({12, false, "Price", ftFloat});
    EXPECT_EQ(reopened()->Items(1)->Name(), QStringLiteral("Price"));
    EXPECT_EQ(items->FindField(QStringLiteral("Amount")), nullptr);
    EXPECT_NE(items->FindField(QStringLiteral("Price")), nullptr);
    items->Close();

    items->SetTableName(QStringLiteral("People.db"));
    items->Open();
    EXPECT_EQ(items->FindField(QStringLiteral("Code")), nullptr);
    EXPECT_EQ(items->FieldByName(QStringLiteral("Name"))->AsString(),
              QStringLiteral("Person 0001"));
    EXPECT_EQ(items->FieldDefs()->Count(), items->FieldCount());
}

TEST_P(TableBlobs, StreamsReadAndWriteBlobAndMemoFields) {
    TPeopleDatabase db(1, Engine());
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    auto* notes = qobject_cast<TBlobField*>(people->FieldByName(QStringLiteral("Notes")));
    ASSERT_NE(notes, nullptr);
    EXPECT_THROW(TBlobStream(notes, bmWrite), EDatabaseError); // not editing
    people->Edit();
    {
        TBlobStream out(notes, bmWrite);
        out.write("first line\nsecond ");
        out.write(QStringLiteral("línea").toUtf8());
    }
    people->Post();
    TBlobStream in(notes, bmRead);
    EXPECT_EQ(QString::fromUtf8(in.readAll()), QStringLiteral("first line\nsecond línea"));
    EXPECT_EQ(notes->AsString(), QStringLiteral("first line\nsecond línea"));
}

TEST_P(TableCalcFields, AutoCalcFieldsOffCalculatesOnlyWhenRecordsAreRead) {
    TPeopleDatabase db(2, Engine());
    TComponent form;
    TTable* people = db.NewTable(QStringLiteral("People.db"), &form);
    auto* name = new TStringField(&form);
    name->SetFieldName(QStringLiteral("Name"));
    name->SetDataSet(people);
    auto* upper = new TStringField(&form);
    upper->SetFieldName(QStringLiteral("Upper"));
    upper->SetFieldKind(fkCalculated);
    upper->SetDataSet(people);
    int calls = 0;
    people->SetOnCalcFields([&calls, name, upper](TDataSet*) {
        ++calls;
        upper->SetAsString(name->AsString().toUpper());
    });
    people->SetAutoCalcFields(false);
    people->Open();
    EXPECT_EQ(upper->AsString(), QStringLiteral("PERSON 0001"));
    const int afterOpen = calls;
    people->Edit();
    name->SetAsString(QStringLiteral("changed"));
    EXPECT_EQ(calls, afterOpen); // not while editing
    EXPECT_EQ(upper->AsString(), QStringLiteral("PERSON 0001"));
    people->Post();
    EXPECT_EQ(upper->AsString(), QStringLiteral("CHANGED")); // read again after posting
    people->SetAutoCalcFields(true);
    people->Edit();
    name->SetAsString(QStringLiteral("again"));
    EXPECT_EQ(upper->AsString(), QStringLiteral("AGAIN"));
    people->Cancel();
}

TEST(TableFaults, AWriterThatDiesMidTransactionLeavesTheFileConsistent) {
    TPeopleDatabase db(3);
    const QString file = db.Path() + QStringLiteral("/tables.sqlite3");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The writer: changes rows inside a transaction and dies before committing.
        TSqliteConnection connection(file);
        connection.StartTransaction();
        connection.Execute(QStringLiteral("DELETE FROM People"));
        connection.Execute(QStringLiteral("INSERT INTO People (Name) VALUES ('half')"));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    TSqliteConnection check(file);
    EXPECT_EQ(check.Scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
              QStringLiteral("ok"));
    EXPECT_EQ(check.Scalar(QStringLiteral("SELECT COUNT(*) FROM People")).toLongLong(), 3);
    std::unique_ptr<TTable> people(db.NewTable(QStringLiteral("People.db")));
    people->Open();
    EXPECT_EQ(people->RecordCount(), 3);
}

} // namespace
