#pragma once

// The library's table and query classes. They publish the properties the rest of the
// library reads by name from any dataset, number auto-increment fields themselves on SQL
// servers, and let the lookup unit prepare lookup fields after every open. TListObj, the
// list that owns its items, is the runtime's (rtl/List.h).

#include "KroDB.h"

#include <db/Query.h>
#include <db/Table.h>
#include <rtl/List.h>
#include <rtl/Strings.h>

// Called with the dataset after every open of a library dataset, when assigned.
using TKroAfterOpenProc = void (*)(TDataSet* DataSet);
extern TKroAfterOpenProc KroAfterOpenHook;

// The shared properties of TKroTable and TKroQuery, which publish them.
class TKroDataSetProperties {
public:
    TKroDataSetActions Actions() const { return FActions; }
    void SetActions(TKroDataSetActions Value) { FActions = Value; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }
    // The orderings offered, one ";"-separated field list per line.
    TStrings* SortingList() const { return FSortingList; }
    // Copies the lines and tells the dataset's controls, which rebuild.
    void SetSortingList(TStrings* Value);
    QString UniqueFields() const { return FUniqueFields; }
    void SetUniqueFields(const QString& Value) { FUniqueFields = Value; }
    TOnEditDataEvent OnEditData() const { return FOnEditData; }
    void SetOnEditData(const TOnEditDataEvent& Value) { FOnEditData = Value; }
    TOnDataSetActionEvent OnAction() const { return FOnAction; }
    void SetOnAction(const TOnDataSetActionEvent& Value) { FOnAction = Value; }

protected:
    explicit TKroDataSetProperties(TDataSet* DataSet);
    ~TKroDataSetProperties();
    TKroDataSetProperties(const TKroDataSetProperties&) = delete;
    TKroDataSetProperties& operator=(const TKroDataSetProperties&) = delete;

private:
    TDataSet* FDataSet;
    TKroDataSetActions FActions = KroDefaultActions;
    QString FCaption;
    TStringList* FSortingList;
    QString FUniqueFields;
    TOnEditDataEvent FOnEditData;
    TOnDataSetActionEvent FOnAction;
};

// A table that refuses to insert a detail record while its master has none.
class TKroTable : public TTable, public TKroDataSetProperties {
    Q_OBJECT
    Q_PROPERTY(TKroDataSetActions Actions READ Actions WRITE SetActions)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TStrings* SortingList READ SortingList WRITE SetSortingList)
    Q_PROPERTY(QString UniqueFields READ UniqueFields WRITE SetUniqueFields)
    Q_PROPERTY(TOnEditDataEvent OnEditData READ OnEditData WRITE SetOnEditData)
    Q_PROPERTY(TOnDataSetActionEvent OnAction READ OnAction WRITE SetOnAction)
public:
    Q_INVOKABLE explicit TKroTable(TComponent* AOwner = nullptr);

protected:
    void InternalOpen() override;
    // Posts a master that is being inserted; aborts while the master has no record.
    void DoBeforeInsert() override;
    void DoBeforePost() override;
};

// A query; TableName names the table it reads, for numbering and the sorting list, which
// an open fills from that table's indexes while it is empty.
class TKroQuery : public TQuery, public TKroDataSetProperties {
    Q_OBJECT
    Q_PROPERTY(TKroDataSetActions Actions READ Actions WRITE SetActions)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TStrings* SortingList READ SortingList WRITE SetSortingList)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_PROPERTY(QString UniqueFields READ UniqueFields WRITE SetUniqueFields)
    Q_PROPERTY(TOnEditDataEvent OnEditData READ OnEditData WRITE SetOnEditData)
    Q_PROPERTY(TOnDataSetActionEvent OnAction READ OnAction WRITE SetOnAction)
public:
    Q_INVOKABLE explicit TKroQuery(TComponent* AOwner = nullptr);

    QString TableName() const { return FTableName; }
    void SetTableName(const QString& Value) { FTableName = Value; }

protected:
    void InternalOpen() override;
    void DoBeforePost() override;

private:
    void FillSortingList();

    QString FTableName;
};
