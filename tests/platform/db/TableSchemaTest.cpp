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
