#pragma once

#include "DataLink.h"
#include "FieldDefinition.h"
#include "Params.h"
#include "SqlDataSet.h"

#include <rtl/Strings.h>

class TQuery;

// Follows the data source whose fields give a query's parameters.
class TQueryDataLink : public TDataLink {
public:
    explicit TQueryDataLink(TQuery* Query) : FQuery(Query) {}

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* Field) override;
    void DataSetChanged() override { RecordChanged(nullptr); }
    void DataSetScrolled(int) override { RecordChanged(nullptr); }

private:
    TQuery* FQuery;
};

// A dataset of the result of an SQL statement. The text may be written for the older
// desktop engine (table names with extensions); ":Name" marks a parameter. A query that
// selects columns of one table, with a condition and an order on selected columns, is
// read a window at a time straight from that table, and can be edited when RequestLive
// is set. A statement that gives one row whatever the data (aggregates without grouping,
// "select Max(id)+1 from People.db") is run once and its row held, read-only, without
// changing the schema. Any other result is first written to a temporary table of the
// engine (on disk for large results, never whole in the process) and read from there,
// read-only.
class TQuery : public TSqlDataSet {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(TCollection* Params READ Params)
    Q_PROPERTY(bool RequestLive READ RequestLive WRITE SetRequestLive)
    Q_PROPERTY(TStrings* SQL READ SQL)
    Q_MOC_INCLUDE("db/DataSource.h")
public:
    Q_INVOKABLE explicit TQuery(TComponent* AOwner = nullptr);
    ~TQuery() override;

    TStrings* SQL() const { return FSQL; }
    TParams* Params() const { return FParams; }
    TParam* ParamByName(const QString& Name) const { return FParams->ParamByName(Name); }
    int ParamCount() const { return FParams->Count(); }
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TDataSource* GetDataSource() const override { return DataSource(); }
    bool RequestLive() const { return FRequestLive; }
    void SetRequestLive(bool Value);
    // True when the result is read straight from one table and RequestLive is set.
    bool CanModify() const override;
    bool Prepared() const { return FPrepared; }
    void Prepare();
    void Unprepare() { FPrepared = false; }
    // Runs a statement that gives no records (insert, update, delete, create ...).
    void ExecSQL();
    qint64 RowsAffected() const { return FRowsAffected; }

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    QList<TRecord> InternalFetch(TFetchDirection Direction, const TRecord* From,
                                 int Count) override;
    void DefineSource(TKeysetSource& Source) override;
    QString UpdateTableName() const override;
    QString ReadTable() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TQueryDataLink;
    struct TPlan;
    struct TKeptPlan;
    void SqlChanged();
    // The engine's text of the SQL and the names of its parameters, in order.
    TParsedSql ParsedSql() const;
    // The engine's text of the SQL and the values of its parameters, in order.
    QString EngineSql(QVariantList& Values) const;
    // The engine values of the parameters named, in order.
    QVariantList ParamValues(const QStringList& Names) const;
    // Takes the plan and field definitions kept from an earlier open when they still hold
    // (same text, connection and columns of the table); false when they must be made.
    bool ReuseKeptPlan();
    // Keeps the plan just made, when it reads straight from a table, with what it was
    // made from and the definitions it gave.
    void KeepPlan(const QStringList& ParamNames, const QList<TColumnInfo>& TableColumns,
                  const QList<TFieldDefinition>& Definitions);
    void ParamsFromMaster();
    void MasterChanged();
    void DropResultTable();
    // Rethrows the exception being handled; an engine error quotes the statement as the
    // user wrote it instead of the one run.
    [[noreturn]] void RaiseForTheUsersStatement() const;

    TStringList* FSQL;
    TParams* FParams;
    TQueryDataLink FDataLink;
    bool FRequestLive = false;
    bool FPrepared = false;
    qint64 FRowsAffected = -1;
    std::unique_ptr<TPlan> FPlan; // how the open query reads its result
    std::unique_ptr<TKeptPlan> FKeptPlan;
};
