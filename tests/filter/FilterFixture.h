#pragma once

// People with their jobs on one engine, a filter on the people and their jobs as its detail
// dataset, filter files kept in the test location of the user's data, and the error
// dialog answered by a responder that notes what it said.

#include "EngineTest.h"

#include <QStandardPaths>
#include <dataset/KroTable.h>
#include <db/Database.h>
#include <db/Session.h>
#include <filter/KroFilt.h>
#include <forms/DiAdv.h>
#include <memory>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

class FilterFixture : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QStandardPaths::setTestModeEnabled(true);
        RegisterFilterClasses();
        FDb = std::make_unique<TPeopleDatabase>(30, Engine());
        People = NewTable(QStringLiteral("People.db"), QStringLiteral("People"));
        People->SetName(QStringLiteral("TbPeople"));
        People->SetIndexFieldNames(QStringLiteral("Name"));
        PeopleSource->SetDataSet(People);
        Jobs = NewTable(QStringLiteral("Job.db"), QStringLiteral("Jobs"));
        Jobs->SetIndexFieldNames(QStringLiteral("People;Title"));
        Jobs->SetMasterSource(PeopleSource);
        Jobs->SetMasterFields(QStringLiteral("Id"));
        // Person n has the jobs of the titles n is a multiple of: 2 Cook, 3 Baker, 5 Smith.
        Execute(QStringLiteral("INSERT INTO \"Job\" (\"People\", \"Title\") SELECT \"Id\", "
                               "'Cook' FROM \"People\" WHERE \"Id\" % 2 = 0"));
        Execute(QStringLiteral("INSERT INTO \"Job\" (\"People\", \"Title\") SELECT \"Id\", "
                               "'Baker' FROM \"People\" WHERE \"Id\" % 3 = 0"));
        Execute(QStringLiteral("INSERT INTO \"Job\" (\"People\", \"Title\") SELECT \"Id\", "
                               "'Smith' FROM \"People\" WHERE \"Id\" % 5 = 0"));
        Execute(QStringLiteral("UPDATE \"People\" SET \"Name\" = 'O''Brien' WHERE \"Id\" = 7"));
        Filter->SubDataSets()->Add();
        Filter->SubDataSets()->Items(0)->SetDataSet(Jobs);
        QFile::remove(Filter->GetFilterFileName(People));
        Filter->SetDataSource(PeopleSource);
        People->Open();
        Jobs->Open();
    }
    void TearDown() override {
        if (People)
            QFile::remove(Filter->GetFilterFileName(People));
        QStandardPaths::setTestModeEnabled(false);
    }

    TKroTable* NewTable(const QString& TableName, const QString& Caption) {
        auto* table = new TKroTable(&Module);
        table->SetDatabaseName(FDb->Alias());
        table->SetTableName(TableName);
        table->SetCaption(Caption);
        return table;
    }
    void Execute(const QString& Sql) const {
        TDatabase* database = Session()->OpenDatabase(FDb->Alias());
        database->Connection()->Execute(Sql);
        Session()->CloseDatabase(database);
    }
    qint64 Count(const QString& Sql) const {
        TDatabase* database = Session()->OpenDatabase(FDb->Alias());
        const qint64 count = database->Connection()->Scalar(Sql).toLongLong();
        Session()->CloseDatabase(database);
        return count;
    }

    // A new filter, current, with one condition per (field, operation, value); detail
    // fields are written "Job.db.Title".
    void NewFilter(const QList<std::tuple<QString, QString, Variant>>& Conditions) {
        Filter->AddFilter();
        for (const auto& [field, operation, value] : Conditions) {
            Filter->AddCondition();
            TConditionItem* condition = Filter->Current()->Conditions.Last();
            const qsizetype dot = field.lastIndexOf(QLatin1Char('.'));
            condition->DataSetName = dot < 0 ? QString() : field.left(dot);
            condition->FieldName = field.mid(dot + 1);
            condition->Operation = operation;
            condition->Value = value;
        }
    }
    void SetLink(int DataSetIndex, const QString& Link) {
        Filter->Current()->AndForAll = false;
        Filter->Current()
            ->DataSetItem(DataSetIndex == 0 ? QString() : Filter->DataSetTableName(DataSetIndex))
            ->LinkText = Link;
    }
    // The next error dialog is answered; its message and detail are noted.
    void ExpectError() {
        Responder.Answer([this](TForm* Form) {
            auto* dialog = qobject_cast<TDlgErrorAdv*>(Form);
            ASSERT_NE(dialog, nullptr);
            ErrorMessage = dialog->LabelError->Caption();
            ErrorDetail = dialog->MemoDetail->Lines()->Text().trimmed();
            Form->SetModalResult(mrOk);
        });
    }
    TDataSet* Shown() const { return PeopleSource->DataSet(); }
    QStringList ShownNames() const {
        QStringList names;
        TDataSet* dataSet = Shown();
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next())
            names << dataSet->FieldByName(QStringLiteral("Name"))->AsString();
        return names;
    }

    std::unique_ptr<TPeopleDatabase> FDb;
    TComponent Module;
    TDataSource* PeopleSource = new TDataSource(&Module);
    TKroTable* People = nullptr;
    TKroTable* Jobs = nullptr;
    TKroFilter* Filter = new TKroFilter(&Module);
    TScriptedResponder Responder;
    QString ErrorMessage, ErrorDetail;
};
