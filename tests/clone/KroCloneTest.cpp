#include "EngineTest.h"

#include <QSet>
#include <clone/KroClone.h>
#include <dataset/KroTable.h>
#include <db/Database.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/GlobalRoots.h>
#include <rtl/Streaming.h>
#include <ui/ScriptedResponder.h>

namespace {

using TStoredJob = QPair<int, QString>; // person, title

// A person with two jobs and one without any, the people table as master of the jobs, and
// a cloner of people that asks nothing unless a test says so.
class ClonerFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        FDb = std::make_unique<TPeopleDatabase>(2, Engine());
        People = NewTable(QStringLiteral("People.db"), QStringLiteral("People"));
        PeopleSource->SetDataSet(People);
        Jobs = NewTable(QStringLiteral("Job.db"), QStringLiteral("Jobs"));
        Jobs->SetIndexFieldNames(QStringLiteral("People;Title"));
        Jobs->SetMasterSource(PeopleSource);
        Jobs->SetMasterFields(QStringLiteral("Id"));
        People->Open();
        Jobs->Open();
        for (const char* title : {"Cook", "Baker"}) {
            Jobs->Insert();
            Jobs->FieldByName(QStringLiteral("Title"))->SetAsString(QString::fromLatin1(title));
            Jobs->Post();
        }
        Cloner->SetDataSource(PeopleSource);
        Cloner->SetConfirmDataSet(false);
        Cloner->SubDataSets()->Add();
        Cloner->SubDataSets()->Items(0)->SetDataSet(Jobs);
        Cloner->SetOnCloneDataSet(TDataSetNotifyEvent([this](TDataSet* Master) {
            ++MasterCopies;
            Master->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("Copy"));
        }));
        Cloner->SetOnCloneSubDataSet(TDataSetNotifyEvent([this](TDataSet* Job) {
            TField* person = Job->FieldByName(QStringLiteral("People"));
            PeopleOfCopiedJobs << person->AsInteger();
            person->SetAsInteger(People->FieldByName(QStringLiteral("Id"))->AsInteger());
        }));
    }

    TKroTable* NewTable(const QString& TableName, const QString& Caption) {
        auto* table = new TKroTable(&Module);
        table->SetDatabaseName(FDb->Alias());
        table->SetTableName(TableName);
        table->SetCaption(Caption);
        return table;
    }

    QString NameOfPerson() const { return People->FieldByName(QStringLiteral("Name"))->AsString(); }
    int PersonId() const { return People->FieldByName(QStringLiteral("Id"))->AsInteger(); }

    // What the database holds, read anew.
    QStringList StoredPeople() const {
        std::unique_ptr<TTable> table(FDb->NewTable(QStringLiteral("People.db")));
        table->SetIndexFieldNames(QStringLiteral("Id"));
        table->Open();
        QStringList names;
        for (; !table->Eof(); table->Next())
            names << table->FieldByName(QStringLiteral("Name"))->AsString();
        return names;
    }
    QList<TStoredJob> StoredJobs() const {
        std::unique_ptr<TTable> table(FDb->NewTable(QStringLiteral("Job.db")));
        table->SetIndexFieldNames(QStringLiteral("People;Title"));
        table->Open();
        QList<TStoredJob> jobs;
        for (; !table->Eof(); table->Next())
            jobs << TStoredJob(table->FieldByName(QStringLiteral("People"))->AsInteger(),
                               table->FieldByName(QStringLiteral("Title"))->AsString());
        return jobs;
    }
    QList<int> StoredJobIds() const {
        std::unique_ptr<TTable> table(FDb->NewTable(QStringLiteral("Job.db")));
        table->Open();
        QList<int> ids;
        for (; !table->Eof(); table->Next())
            ids << table->FieldByName(QStringLiteral("Id"))->AsInteger();
        return ids;
    }

    const QList<TStoredJob> OriginalJobs{{1, QStringLiteral("Baker")}, {1, QStringLiteral("Cook")}};
    std::unique_ptr<TPeopleDatabase> FDb;
    TComponent Module;
    TDataSource* PeopleSource = new TDataSource(&Module);
    TKroRecordCloner* Cloner = new TKroRecordCloner(&Module);
    TKroTable* People = nullptr;
    TKroTable* Jobs = nullptr;
    TScriptedResponder Responder;
    int MasterCopies = 0;
    QList<int> PeopleOfCopiedJobs; // the person each copied job had before the event
};

ON_EVERY_ENGINE_WITH(RecordCloner, ClonerFixture);

TEST_P(RecordCloner, WithoutDetailsCopiesTheRecordAndLeavesItToTheApplication) {
    Cloner->SubDataSets()->Clear();
    Cloner->SetConfirmDataSet(true);
    Responder.Answer(mrOk);
    People->Last();
    QString nameCopied;
    Cloner->SetOnCloneDataSet(TDataSetNotifyEvent([&](TDataSet* Master) {
        EXPECT_EQ(Master, People);
        EXPECT_EQ(Master->State(), dsInsert);
        EXPECT_TRUE(Master->FieldByName(QStringLiteral("Id"))->IsNull());
        nameCopied = NameOfPerson();
    }));

    Cloner->Clone();
    ASSERT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(Responder.Shown()[0].Text, QStringLiteral("People\nClone?"));
    EXPECT_EQ(Responder.Shown()[0].Buttons, mbOKCancel);
    EXPECT_EQ(nameCopied, QStringLiteral("Person 0002"));
    EXPECT_EQ(People->State(), dsInsert) << "the copy is the application's to post";
    People->Post();
    EXPECT_EQ(PersonId(), 3);
    EXPECT_EQ(StoredPeople(),
              QStringList({QStringLiteral("Person 0001"), QStringLiteral("Person 0002"),
                           QStringLiteral("Person 0002")}));
}

TEST_P(RecordCloner, CancellingTheQuestionLeavesTheDataUntouched) {
    Cloner->SetConfirmDataSet(true);
    Cloner->SetConfirmSubDataSet(true);
    Responder.Answer(mrCancel);
    People->First();

    Cloner->Clone();
    EXPECT_EQ(Responder.Shown().size(), 1);
    EXPECT_EQ(MasterCopies, 0);
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(Jobs->State(), dsBrowse);
    EXPECT_FALSE(People->Database()->InTransaction());
    EXPECT_EQ(StoredPeople().size(), 2);
    EXPECT_EQ(StoredJobs(), OriginalJobs);
}

TEST_P(RecordCloner, CopiesTheDetailsUnderTheNewMasterInOneTransaction) {
    People->First();
    const TDataSetNotifyEvent rename = Cloner->OnCloneDataSet();
    Cloner->SetOnCloneDataSet(TDataSetNotifyEvent([&](TDataSet* Master) {
        EXPECT_TRUE(Master->ControlsDisabled()) << "the controls follow the posted copy";
        rename(Master);
    }));
    int masterChanges = 0;
    PeopleSource->SetOnDataChange([&](TObject*, TField*) { ++masterChanges; });
    bool inTransaction = false;
    const TDataSetNotifyEvent pointAtMaster = Cloner->OnCloneSubDataSet();
    Cloner->SetOnCloneSubDataSet(TDataSetNotifyEvent([&](TDataSet* Job) {
        inTransaction = People->Database()->InTransaction();
        EXPECT_EQ(Job->State(), dsInsert);
        EXPECT_TRUE(Job->ControlsDisabled());
        pointAtMaster(Job);
    }));

    Cloner->Clone();
    EXPECT_EQ(MasterCopies, 1);
    EXPECT_TRUE(inTransaction);
    EXPECT_FALSE(People->Database()->InTransaction()) << "committed";
    EXPECT_EQ(PeopleOfCopiedJobs, QList<int>({1, 1})) << "key fields are copied";
    EXPECT_FALSE(Jobs->ControlsDisabled());
    EXPECT_FALSE(People->ControlsDisabled());
    EXPECT_EQ(masterChanges, 1) << "told once of the posted copy";
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(NameOfPerson(), QStringLiteral("Copy"));
    EXPECT_EQ(PersonId(), 3);
    EXPECT_EQ(Jobs->RecordCount(), 2) << "the details follow the new master";
    EXPECT_EQ(StoredJobs(), OriginalJobs + QList<TStoredJob>({{3, QStringLiteral("Baker")},
                                                              {3, QStringLiteral("Cook")}}));
    const QList<int> ids = StoredJobIds();
    EXPECT_EQ(QSet<int>(ids.begin(), ids.end()).size(), 4) << "auto-increment fields are new";
}

TEST_P(RecordCloner, StartsNoTransactionWhenToldNotToOrWhenOneIsRunning) {
    bool inTransaction = true;
    const TDataSetNotifyEvent pointAtMaster = Cloner->OnCloneSubDataSet();
    Cloner->SetOnCloneSubDataSet(TDataSetNotifyEvent([&](TDataSet* Job) {
        inTransaction = People->Database()->InTransaction();
        pointAtMaster(Job);
    }));
    Cloner->SetTransaction(false);
    People->First();
    Cloner->Clone();
    EXPECT_FALSE(inTransaction);
    EXPECT_EQ(StoredJobs().size(), 4);

    // The caller's transaction is left to the caller.
    Cloner->SetTransaction(true);
    People->First();
    People->Database()->StartTransaction();
    Cloner->Clone();
    EXPECT_TRUE(inTransaction);
    EXPECT_TRUE(People->Database()->InTransaction());
    People->Database()->Rollback();
    EXPECT_EQ(StoredJobs().size(), 4);
}

TEST_P(RecordCloner, AMasterWithoutDetailsIsCopiedWithoutAskingForThem) {
    Cloner->SetConfirmSubDataSet(true);
    People->Last();
    ASSERT_EQ(Jobs->RecordCount(), 0);

    Cloner->Clone();
    EXPECT_TRUE(Responder.Shown().isEmpty());
    EXPECT_EQ(MasterCopies, 1);
    EXPECT_EQ(StoredPeople().size(), 3);
    EXPECT_EQ(StoredJobs(), OriginalJobs);
}

TEST_P(RecordCloner, TheDetailQuestionDecidesWhetherTheirRecordsAreCopied) {
    Cloner->SetConfirmDataSet(true);
    Cloner->SetConfirmSubDataSet(true);
    Responder.Answer(mrOk);
    Responder.Answer(mrCancel);
    People->First();
    Cloner->Clone();
    ASSERT_EQ(Responder.Shown().size(), 2);
    EXPECT_EQ(Responder.Shown()[1].Text, QStringLiteral("Jobs\nClone?"));
    EXPECT_EQ(StoredPeople().size(), 3) << "the master is copied all the same";
    EXPECT_EQ(StoredJobs(), OriginalJobs);

    Responder.Answer(mrOk);
    Responder.Answer(mrOk);
    People->First();
    Cloner->Clone();
    EXPECT_EQ(Responder.Shown().size(), 4);
    EXPECT_EQ(StoredJobs().size(), 4);

    // Details without a caption are not offered.
    Jobs->SetCaption(QString());
    Responder.Answer(mrOk);
    People->First();
    Cloner->Clone();
    EXPECT_EQ(Responder.Shown().size(), 5);
    EXPECT_EQ(StoredPeople().size(), 5);
    EXPECT_EQ(StoredJobs().size(), 4);
}

TEST_P(RecordCloner, AFailingDetailUndoesTheCloneAndGivesTheControlsBack) {
    People->First();
    const TDataSetNotifyEvent pointAtMaster = Cloner->OnCloneSubDataSet();
    Cloner->SetOnCloneSubDataSet(TDataSetNotifyEvent([&](TDataSet* Job) {
        pointAtMaster(Job);
        if (PeopleOfCopiedJobs.size() == 2)
            Job->FieldByName(QStringLiteral("People"))->Clear(); // required
    }));

    EXPECT_THROW(Cloner->Clone(), Exception);
    EXPECT_FALSE(Jobs->ControlsDisabled());
    EXPECT_FALSE(People->Database()->InTransaction());
    EXPECT_EQ(StoredPeople().size(), 2);
    EXPECT_EQ(StoredJobs(), OriginalJobs);
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(Jobs->State(), dsBrowse);
    EXPECT_EQ(People->RecordCount(), 2) << "the undone copy is no longer shown";

    // Without a transaction what was posted stays, and the failed record awaits a fix.
    Cloner->SetTransaction(false);
    PeopleOfCopiedJobs.clear();
    People->First();
    EXPECT_THROW(Cloner->Clone(), Exception);
    EXPECT_FALSE(Jobs->ControlsDisabled());
    EXPECT_EQ(Jobs->State(), dsInsert);
    Jobs->Cancel();
    EXPECT_EQ(StoredPeople().size(), 3);
    EXPECT_EQ(StoredJobs().size(), 3);
}

// Answers OK, noting whether the library counted its message box as showing.
class TCountingResponder : public TModalResponder {
public:
    TCountingResponder() : FPrevious(SetModalResponder(this)) {}
    ~TCountingResponder() override { SetModalResponder(FPrevious); }
    TModalResult MessageDlg(const TMessageRequest&) override {
        Counted = KroMessageShowing();
        return mrOk;
    }
    TModalResult ShowModal(TForm*) override { return mrCancel; }
    bool ExecuteDialog(TCommonDialog*) override { return false; }
    bool Counted = false;

private:
    TModalResponder* FPrevious;
};

TEST_P(RecordCloner, TheQuestionIsALibraryMessage) {
    Cloner->SetConfirmDataSet(true);
    TCountingResponder responder;
    Cloner->Clone();
    EXPECT_TRUE(responder.Counted);
    EXPECT_FALSE(KroMessageShowing());
    EXPECT_EQ(MasterCopies, 1);
}

// ---- Without a database -------------------------------------------------------------------

TEST(RecordClonerLinks, DoesNothingWithoutAnActiveDataSet) {
    TScriptedResponder responder; // any question would find no answer
    TKroRecordCloner cloner;
    cloner.Clone();
    TDataSource source;
    TKroTable table;
    source.SetDataSet(&table);
    cloner.SetDataSource(&source);
    cloner.Clone();
    EXPECT_TRUE(responder.Shown().isEmpty());
}

TEST(RecordClonerLinks, ForgetsTheSourceAndTheSubDataSetsThatGo) {
    TKroRecordCloner cloner;
    auto source = std::make_unique<TDataSource>();
    cloner.SetDataSource(source.get());
    auto first = std::make_unique<TKroTable>();
    auto second = std::make_unique<TKroTable>();
    for (TKroTable* table : {first.get(), second.get(), first.get()})
        static_cast<TDataSetColItem*>(cloner.SubDataSets()->Add())->SetDataSet(table);

    first.reset();
    ASSERT_EQ(cloner.SubDataSets()->Count(), 1);
    EXPECT_EQ(cloner.SubDataSets()->Items(0)->DataSet(), second.get());
    source.reset();
    EXPECT_EQ(cloner.DataSource(), nullptr);

    // A cloner that goes first leaves nothing behind in the datasets it named.
    auto other = std::make_unique<TKroRecordCloner>();
    static_cast<TDataSetColItem*>(other->SubDataSets()->Add())->SetDataSet(second.get());
    other.reset();
    second.reset();
    EXPECT_EQ(cloner.SubDataSets()->Count(), 0);
}

TEST(RecordClonerForms, KeepTheSubDataSetsAsSubDataSetData) {
    RegisterClass<TComponent>();
    std::unique_ptr<TComponent> other(
        ReadComponentFromText(QStringLiteral("object ClonerOtherModule: TComponent\n"
                                             "  object TbExtra: TKroTable\n"
                                             "  end\n"
                                             "end\n"),
                              QStringLiteral("other.form")));
    // The cloner comes before the datasets it names.
    const QString text = QStringLiteral("object ClonerModule: TComponent\n"
                                        "  object Cloner: TKroRecordCloner\n"
                                        "    ConfirmDataSet = False\n"
                                        "    DataSource = DsPeople\n"
                                        "    SubDataSetData = <\n"
                                        "      item\n"
                                        "        DataSet = TbJob\n"
                                        "      end\n"
                                        "      item\n"
                                        "        DataSet = ClonerOtherModule.TbExtra\n"
                                        "      end>\n"
                                        "  end\n"
                                        "  object TbPeople: TKroTable\n"
                                        "  end\n"
                                        "  object DsPeople: TDataSource\n"
                                        "    DataSet = TbPeople\n"
                                        "  end\n"
                                        "  object TbJob: TKroTable\n"
                                        "  end\n"
                                        "end\n");
    std::unique_ptr<TComponent> module(ReadComponentFromText(text, QStringLiteral("m.form")));
    auto* cloner = qobject_cast<TKroRecordCloner*>(module->FindComponent(QStringLiteral("Cloner")));
    ASSERT_NE(cloner, nullptr);
    EXPECT_FALSE(cloner->ConfirmDataSet());
    EXPECT_EQ(cloner->DataSource(), module->FindComponent(QStringLiteral("DsPeople")));
    ASSERT_EQ(cloner->SubDataSets()->Count(), 2);
    EXPECT_EQ(cloner->SubDataSets()->Items(0)->DataSet(),
              module->FindComponent(QStringLiteral("TbJob")));
    EXPECT_EQ(cloner->SubDataSets()->Items(1)->DataSet(),
              other->FindComponent(QStringLiteral("TbExtra")));

    const QString written = WriteComponentToText(module.get());
    EXPECT_EQ(written, text);
    EXPECT_FALSE(written.contains(QStringLiteral("SubDataSets")));

    // A dataset of another module that goes leaves the collection.
    other.reset();
    ASSERT_EQ(cloner->SubDataSets()->Count(), 1);
    cloner->SubDataSets()->Clear();
    EXPECT_FALSE(WriteComponentToText(module.get()).contains(QStringLiteral("SubDataSetData")));
}

} // namespace
