#pragma once

#include "DBDataSet.h"
#include "DataLink.h"
#include "IndexDefs.h"

#include <memory>

class TKeysetReader;
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
class TTable : public TDBDataSet {
    Q_OBJECT
    Q_PROPERTY(QString IndexFieldNames READ IndexFieldNames WRITE SetIndexFieldNames)
    Q_PROPERTY(QString IndexName READ IndexName WRITE SetIndexName)
    Q_PROPERTY(TIndexDefs* IndexDefs READ IndexDefs)
    Q_PROPERTY(QString MasterFields READ MasterFields WRITE SetMasterFields)
    Q_PROPERTY(TDataSource* MasterSource READ MasterSource WRITE SetMasterSource)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool StoreDefs READ StoreDefs WRITE SetStoreDefs)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_MOC_INCLUDE(<db / DataSource.h>)
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
    bool CanModify() const override;

    bool Exists();
    // Makes the table from FieldDefs and IndexDefs; an ftAutoInc field becomes the key.
    void CreateTable();
    void EmptyTable();
    void DeleteTable();

    Variant Lookup(const QString& KeyFields, const Variant& KeyValues,
                   const QString& ResultFields) override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    QList<TRecord> InternalFetch(TFetchDirection Direction, const TRecord* From,
                                 int Count) override;
    std::optional<TRecord> InternalFetchBookmark(const TBookmark& Bookmark) override;
    qint64 InternalRecordCount() override;
    qint64 InternalRecNo(const TRecord& Record) override;
    TBookmark InternalPost(const TRecord& Record, const TRecord* Original) override;
    void InternalDelete(const TRecord& Record) override;
    void InternalInitRecord(TRecord& Record) override;
    void InternalRefresh() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TMasterDataLink;
    void ReadIndexDefs(TIndexDefs& Defs);
    // The order fields and their directions for the current settings.
    QStringList OrderFields(QList<bool>& Descending) const;
    // Builds the reader for the current order and master values.
    void Reposition();
    void MasterChanged();
    QVariantList MasterValues() const;
    TRecord RecordOf(const QVariantList& Row) const;
    QVariantList RowOf(const TRecord& Record) const;
    QString QuotedTable() const;
    Variant ToEngine(TFieldType Type, const Variant& Value) const;
    Variant FromEngine(TFieldType Type, const Variant& Value) const;

    QString FTableName;
    QString FIndexFieldNames;
    QString FIndexName;
    QString FMasterFields;
    bool FReadOnly = false;
    bool FStoreDefs = false;
    TIndexDefs* FIndexDefs;
    TMasterDataLink FMasterLink;
    QVariantList FMasterValues;
    std::unique_ptr<TKeysetReader> FReader;
    std::optional<qint64> FCount; // cached until the data change
};
