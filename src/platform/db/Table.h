#pragma once

#include "DataLink.h"
#include "IndexDefs.h"
#include "SqlDataSet.h"

#include <QPointer>
#include <optional>

class TTable;

// Follows the master dataset of a detail table.
class TMasterDataLink : public TDataLink {
public:
    explicit TMasterDataLink(TTable* Detail) : FDetail(Detail) {}

protected:
    void ActiveChanged() override;
    void RecordChanged(TField* Field) override;
    void DataSetChanged() override;
    void DataSetScrolled(int) override { DataSetChanged(); }

private:
    TTable* FDetail;
};

// A table of a database. TableName may carry a file extension ("People.db"), which names
// the table People. The records are read in the order of IndexFieldNames (";"-separated
// fields), else of the index IndexName, else of the primary key; with a MasterSource,
// only those whose first index fields equal the master's MasterFields.
class TTable : public TSqlDataSet {
    Q_OBJECT
    Q_PROPERTY(QString IndexFieldNames READ IndexFieldNames WRITE SetIndexFieldNames)
    Q_PROPERTY(QString IndexName READ IndexName WRITE SetIndexName)
    Q_PROPERTY(TIndexDefs* IndexDefs READ IndexDefs)
    Q_PROPERTY(QString MasterFields READ MasterFields WRITE SetMasterFields)
    Q_PROPERTY(TDataSource* MasterSource READ MasterSource WRITE SetMasterSource)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool StoreDefs READ StoreDefs WRITE SetStoreDefs)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_MOC_INCLUDE("db/DataSource.h")
public:
    Q_INVOKABLE explicit TTable(TComponent* AOwner = nullptr);
    ~TTable() override;

    QString TableName() const { return FTableName; }
    void SetTableName(const QString& Value);
    // The table's name in the database: TableName without an extension.
    QString BaseTableName() const;
    QString IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const QString& Value);
    QString IndexName() const { return FIndexName; }
    void SetIndexName(const QString& Value);
    TIndexDefs* IndexDefs() const { return FIndexDefs; }
    QString MasterFields() const { return FMasterFields; }
    void SetMasterFields(const QString& Value);
    TDataSource* MasterSource() const;
    void SetMasterSource(TDataSource* Value);
    // Whether the index definitions are kept in the form file; else the engine gives them.
    bool StoreDefs() const { return FStoreDefs; }
    void SetStoreDefs(bool Value) { FStoreDefs = Value; }
    bool IsStoredProp(const QString& Name) const override;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    TDataSource* GetDataSource() const override { return MasterSource(); }
    QStringList IndexFields() const override;
    bool IndexIgnoresCase() const override;
    QList<bool> IndexDescending() const override;
    bool CanModify() const override;

    bool Exists();
    // Makes the table from FieldDefs and IndexDefs; an ftAutoInc field becomes the key.
    void CreateTable();
    void EmptyTable();
    void DeleteTable();

protected:
    void InternalOpen() override;
    void InternalInitFieldDefs() override;
    void InternalInitRecord(TRecord& Record) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void DefineSource(TKeysetSource& Source) override;
    bool InternalAdmits(const TRecord& Record) override;
    QString UpdateTableName() const override { return BaseTableName(); }
    QString ReadTable() const override { return BaseTableName(); }

private:
    friend class TMasterDataLink;
    void ReadIndexDefs(TIndexDefs& Defs);
    // The order fields and their directions (and whether they ignore case) for the
    // current settings.
    QStringList OrderFields(QList<bool>& Descending, QList<bool>* IgnoreCase = nullptr) const;
    // Reads in another order; a refused order raises and leaves the previous one in force.
    void ChangeOrder(const QString& FieldNames, const QString& IndexName);
    void MasterChanged();
    QVariantList MasterValues() const;
    QString QuotedTable() const;

    QString FTableName;
    QString FIndexFieldNames;
    QString FIndexName;
    QString FMasterFields;
    bool FReadOnly = false;
    bool FStoreDefs = false;
    TIndexDefs* FIndexDefs;
    TMasterDataLink FMasterLink;
    QVariantList FMasterValues;
    // The quoted table, columns and row key, read once per open for every source defined
    // while the table stays open (an order switched, a master moved).
    struct TSourceNames {
        QString From;
        QStringList Columns;
        QString RowKey;
        QList<bool> NotNull; // per column, as the table declares it
    };
    std::optional<TSourceNames> FSourceNames;
    // The master's fields named by MasterFields, found once while the master stays open.
    mutable QList<QPointer<TField>> FMasterFieldList;
};
