#pragma once

// Named, stored filters of one dataset. A filter is a list of conditions (field, operation,
// value) joined by "and" or by a link expression ("#1 and (#2 or #4)"); conditions may name
// fields of detail datasets. Conditions on the main dataset alone become the dataset's
// Filter; a "contains" condition or one on a detail dataset becomes an extract query with
// "Exists(...)" sub-selects, which takes the dataset's place in the data source. The
// filters of a dataset live in a filter file of their own.

#include <QIODevice>
#include <dataset/KroDB.h>
#include <db/DataLink.h>
#include <db/DataSource.h>
#include <rtl/List.h>

class TControl;
class TKroFilter;

PUBLISHED_ENUM(TDateFieldKind, dfNoQuotes, dfQuotes, dfBraces)
PUBLISHED_ENUM(TFieldNameKind, fnNoQuotes, fnQuotes)
PUBLISHED_ENUM(TFilterSetAs, fsFilter, fsFilterQuery, fsQuery, fsQueryFilter, fsTryFilter)
PUBLISHED_ENUM(TLikeKind, lkNormal, lkToUpper, lkAsAaBbCc)
PUBLISHED_ENUM(TTableNameKind, tnNoQuotes, tnQuotes, tnQuotesCreator)

using TFilterEditValueEvent = TEvent<TObject*, TField*, TControl*>;
using TConstructConditionEvent = TEvent<TObject*, QString&, TField*, QString, Variant>;
using TDataSetFilterEvent = TEvent<TObject*, QString&, TDataSet*>;

// Texts of the filter's string table.
inline const QString FilterTextOr = QStringLiteral("OR");       // 65211
inline const QString FilterTextAnd = QStringLiteral("AND");     // 65212
inline const QString FilterTextNot = QStringLiteral("NOT");     // 65213
inline const QString FilterTextReference = QStringLiteral("#"); // 65214
inline const QString FilterTextNull = QStringLiteral("Null");   // 65215
inline const QString FilterLikeOperation = QStringLiteral("~"); // 65184

// One condition of a filter.
struct TConditionItem {
    QString DataSetName;     // table name of the detail dataset; empty: the main dataset
    QString FieldName;       // for a lookup field, its key field
    QString LookupFieldName; // the lookup field chosen in the dialog, else empty
    QString Operation = QStringLiteral("=");
    quint8 Flag = 0; // kept for the dialog
    QString Text;    // kept for the dialog
    Variant Value;
};

// The part of a filter that concerns one dataset.
struct TDataSetItem {
    QString Name; // table name of the detail dataset; empty for the main dataset
    QString LinkText;
    bool ForAll = false; // a detail dataset's records must all satisfy the conditions
    QString Text;        // kept for the dialog
};

// One named filter.
class TFilterItem {
public:
    QString Name;
    bool AndForAll = true;
    QString Text; // kept for the dialog
    TListObj<TConditionItem> Conditions;
    TListObj<TDataSetItem> DataSets;

    // The item of the dataset of that table name (ignoring case), made on first use.
    TDataSetItem* DataSetItem(const QString& TableName);
    // The item or nullptr.
    TDataSetItem* FindDataSetItem(const QString& TableName) const;
};

// A detail dataset of a filter.
class TKroFilterDataSetColItem : public TDataSetColItem {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_PROPERTY(QString ExternalInfo READ ExternalInfo WRITE SetExternalInfo)
public:
    Q_INVOKABLE explicit TKroFilterDataSetColItem(TCollection* Collection = nullptr)
        : TDataSetColItem(Collection) {}

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }
    QString TableName() const { return FTableName; }
    void SetTableName(const QString& Value) { FTableName = Value; }
    QString ExternalInfo() const { return FExternalInfo; }
    void SetExternalInfo(const QString& Value) { FExternalInfo = Value; }

    // Caption, else the dataset's "Caption", else the table name.
    QString EffectiveCaption() const;
    // TableName, else the dataset's "TableName".
    QString EffectiveTableName() const;

private:
    QString FCaption, FTableName, FExternalInfo;
};

// The detail datasets whose fields a filter's conditions may name.
class TKroFilterDataSetCol : public TDataSetCol {
    Q_OBJECT
public:
    explicit TKroFilterDataSetCol(TPersistent* Owner)
        : TDataSetCol(Owner, &TKroFilterDataSetColItem::staticMetaObject) {}

    TKroFilterDataSetColItem* Items(int Index) const {
        return static_cast<TKroFilterDataSetColItem*>(TCollection::Items(Index));
    }
};

// Tells the filter when its data source shows another dataset.
class TFilterDataLink : public TDataLink {
public:
    explicit TFilterDataLink(TKroFilter* Filter) : FFilter(Filter) {}

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;

private:
    TKroFilter* FFilter; // owns the link
};

// The filter dialog: shows the filters of Filter with the given column widths and returns
// its modal result (1 set the filter, 7 switch it off, anything else cancel). The dialog's
// unit assigns it.
using TFilterDialogProc = int (*)(TKroFilter* Filter, int WidthDataSetName, int WidthFieldName);
extern TFilterDialogProc FilterDialogHook;
// When assigned, they replace the reading and the writing of the filter file of every filter.
using TFilterFileProc = void (*)(TKroFilter* Filter);
extern TFilterFileProc FilterLoadHook;
extern TFilterFileProc FilterSaveHook;

// Registers the filter, and the dataset layer's classes, for form files.
void RegisterFilterClasses();

// The directory filter files go to unless a descendant or the hooks choose another.
QString DefaultFilterDirectory();

// The named filters of the dataset its DataSource shows: kept in the dataset's filter file,
// edited in the filter dialog, applied one at a time.
class TKroFilter : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TDateFieldKind DateFieldKind READ DateFieldKind WRITE SetDateFieldKind)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(QString ExternalInfo READ ExternalInfo WRITE SetExternalInfo)
    Q_PROPERTY(TFieldNameKind FieldNameKind READ FieldNameKind WRITE SetFieldNameKind)
    Q_PROPERTY(TFilterSetAs FilterSetAs READ FilterSetAs WRITE SetFilterSetAs)
    Q_PROPERTY(TLikeKind LikeKind READ LikeKind WRITE SetLikeKind)
    Q_PROPERTY(bool NotUseOldFilter READ NotUseOldFilter WRITE SetNotUseOldFilter)
    Q_PROPERTY(bool OneFilter READ OneFilter WRITE SetOneFilter)
    Q_PROPERTY(TDataSet* QExtracts READ QExtracts WRITE SetQExtracts)
    // Stored as "SubDataSetData", the collection's items.
    Q_PROPERTY(TKroFilterDataSetCol* SubDataSets READ SubDataSets STORED false)
    Q_PROPERTY(QString TableCaption READ TableCaption WRITE SetTableCaption)
    Q_PROPERTY(QString TableName READ TableName WRITE SetTableName)
    Q_PROPERTY(TTableNameKind TableNameKind READ TableNameKind WRITE SetTableNameKind)
    Q_PROPERTY(int WidthDataSetName READ WidthDataSetName WRITE SetWidthDataSetName)
    Q_PROPERTY(int WidthFieldName READ WidthFieldName WRITE SetWidthFieldName)
    Q_PROPERTY(TNotifyEvent OnSet READ OnSet WRITE SetOnSet)
    Q_PROPERTY(TNotifyEvent OnUnset READ OnUnset WRITE SetOnUnset)
    Q_PROPERTY(TFilterEditValueEvent OnCreateValue READ OnCreateValue WRITE SetOnCreateValue)
    Q_PROPERTY(TConstructConditionEvent OnConstructCondition READ OnConstructCondition WRITE
                   SetOnConstructCondition)
    Q_PROPERTY(TDataSetFilterEvent OnDataSetLink READ OnDataSetLink WRITE SetOnDataSetLink)
    Q_PROPERTY(TNotifyEvent OnCreateQExtracts READ OnCreateQExtracts WRITE SetOnCreateQExtracts)
    Q_PROPERTY(
        TDataSetFilterEvent OnConstructFilter READ OnConstructFilter WRITE SetOnConstructFilter)
    Q_PROPERTY(TNotifyEvent OnVisualizeFilters READ OnVisualizeFilters WRITE SetOnVisualizeFilters)
    Q_PROPERTY(
        TNotifyEvent OnGetFromEditWindow READ OnGetFromEditWindow WRITE SetOnGetFromEditWindow)
    Q_PROPERTY(TNotifyEvent OnSetToEditWindow READ OnSetToEditWindow WRITE SetOnSetToEditWindow)
    Q_MOC_INCLUDE("ui/Controls.h")
public:
    Q_INVOKABLE explicit TKroFilter(TComponent* AOwner = nullptr);
    ~TKroFilter() override;

    TDateFieldKind DateFieldKind() const { return FDateFieldKind; }
    void SetDateFieldKind(TDateFieldKind Value) { FDateFieldKind = Value; }
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value);
    QString ExternalInfo() const { return FExternalInfo; }
    void SetExternalInfo(const QString& Value) { FExternalInfo = Value; }
    TFieldNameKind FieldNameKind() const { return FFieldNameKind; }
    void SetFieldNameKind(TFieldNameKind Value) { FFieldNameKind = Value; }
    TFilterSetAs FilterSetAs() const { return FFilterSetAs; }
    // Refused while a filter is set.
    void SetFilterSetAs(TFilterSetAs Value);
    TLikeKind LikeKind() const { return FLikeKind; }
    void SetLikeKind(TLikeKind Value) { FLikeKind = Value; }
    bool NotUseOldFilter() const { return FNotUseOldFilter; }
    void SetNotUseOldFilter(bool Value) { FNotUseOldFilter = Value; }
    bool OneFilter() const { return FOneFilter; }
    // True keeps exactly one filter: the last, made when there is none.
    void SetOneFilter(bool Value);
    TDataSet* QExtracts() const { return FQExtracts; }
    // Refused for the dataset being filtered.
    void SetQExtracts(TDataSet* Value);
    TKroFilterDataSetCol* SubDataSets() const { return FSubDataSets; }
    QString TableCaption() const { return FTableCaption; }
    void SetTableCaption(const QString& Value) { FTableCaption = Value; }
    QString TableName() const { return FTableName; }
    void SetTableName(const QString& Value) { FTableName = Value; }
    TTableNameKind TableNameKind() const { return FTableNameKind; }
    void SetTableNameKind(TTableNameKind Value) { FTableNameKind = Value; }
    int WidthDataSetName() const { return FWidthDataSetName; }
    // Outside 50..300 the default 175.
    void SetWidthDataSetName(int Value);
    int WidthFieldName() const { return FWidthFieldName; }
    // Outside 50..300 the default 150.
    void SetWidthFieldName(int Value);

#define FILTER_EVENT(Type, Name)                                                                   \
    Type Name() const {                                                                            \
        return F##Name;                                                                            \
    }                                                                                              \
    void Set##Name(const Type& Value) {                                                            \
        F##Name = Value;                                                                           \
    }
    FILTER_EVENT(TNotifyEvent, OnSet)
    FILTER_EVENT(TNotifyEvent, OnUnset)
    FILTER_EVENT(TFilterEditValueEvent, OnCreateValue)
    FILTER_EVENT(TConstructConditionEvent, OnConstructCondition)
    FILTER_EVENT(TDataSetFilterEvent, OnDataSetLink)
    FILTER_EVENT(TNotifyEvent, OnCreateQExtracts)
    FILTER_EVENT(TDataSetFilterEvent, OnConstructFilter)
    FILTER_EVENT(TNotifyEvent, OnVisualizeFilters)
    FILTER_EVENT(TNotifyEvent, OnGetFromEditWindow)
    FILTER_EVENT(TNotifyEvent, OnSetToEditWindow)
#undef FILTER_EVENT

    // Applying: Mode 1 the current filter, 2 the basic filters only, 0 off.
    void SetFilter(int Mode);
    void SwitchOff();
    int FilterMode() const {
        return FFilterMode;
    }
    // 0 nothing, 1 the data source went back from the query to the dataset, 2 it moved to
    // the query.
    int DataSetSwitched() const {
        return FDataSetSwitched;
    }
    // Runs the filter dialog, then sets the filter, switches it off or throws the edits
    // away as the dialog ends.
    void EditFilters();

    // The filter list.
    int FilterCount() const {
        return FFilters.Count();
    }
    TFilterItem* Filters(int Index) const {
        return FFilters.Items(Index);
    }
    bool HasFilters() const {
        return FFilters.Count() > 0;
    }
    int CurrentFilter() const {
        return FCurrentFilter;
    }
    // Outside 0..count-1 ignored; a valid index re-applies the present mode.
    void SetCurrentFilter(int Value);
    TFilterItem* Current() const;
    void PriorFilter();
    void NextFilter();
    // False when OneFilter is set and a filter exists; the new filter becomes current.
    bool AddFilter();
    void DeleteFilter();
    void ClearFilters();
    int FindFilter(const QString& Name) const;

    // Conditions of the current filter.
    void AddCondition();
    void DeleteCondition(int Index);

    // Datasets: 0 the main dataset, i+1 item i of SubDataSets.
    bool HasSubDataSets() const {
        return FSubDataSets->Count() > 0;
    }
    bool HasExternalInfo() const;
    // The dataset being filtered (also while the extract query shows in its place).
    TDataSet* MainDataSet() const;
    TDataSet* DataSetOf(int Index) const;
    int IndexOfDataSet(const TDataSet* DataSet) const;
    QString DataSetCaption(int Index) const;
    QString DataSetTableName(int Index) const;
    // The dataset index of condition Index of the current filter, -1 when none has its name.
    int ConditionDataSet(int Index) const;
    QString LinkText(int DataSetIndex) const;
    bool ForAll(int DataSetIndex) const;
    // From the dialog: the current filter's name, AndForAll, link texts (line 0 the main
    // dataset, line i+1 item i) and ForAll flags (a character per detail dataset, "0"
    // setting it).
    void SetFromDialog(const QString& Name, bool AndForAll, const QStringList& LinkTexts,
                       const QString& ForAllFlags);

    // Texts.
    QString BuildConditionText(int DataSetIndex, int ConditionIndex, bool ForSql);
    QString BuildDataSetFilterText(int DataSetIndex, bool ForSql, int Mode);
    QString BuildQueryWhere(int Mode);
    QString QuoteTableName(const QString& Name) const;
    QString BuildSelect(int Mode);
    bool NeedsQuery(int Mode);
    // The current filter for display, per dataset.
    QString FilterDescription(int DataSetIndex) const;

    // The filter file.
    virtual QString GetFilterFileName(TDataSet* DataSet) const;
    virtual void LoadFilters();
    virtual void SaveFilters();
    // The filters of the file FileName, when it exists; the folder is made for writing.
    void LoadFiltersFrom(const QString& FileName);
    void SaveFiltersTo(const QString& FileName) const;
    // Reading replaces the filters only when the whole stream is sound; else raises
    // EInOutError "Error loading filter data" and keeps them.
    void LoadFromStream(QIODevice& Stream);
    void SaveToStream(QIODevice& Stream) const;

    void DefineProperties(TFiler& Filer) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The data source shows another dataset: the old one gets its state back, the new
    // one's filters are read.
    virtual void DataSetChanged();

private:
    friend class TFilterDataLink;

    // What the filtered dataset had before the filter touched it.
    struct TSavedState {
        TDataSet* DataSet = nullptr;
        QString Filter;
        bool Filtered = false;
        TFilterRecordEvent OnFilterRecord;
    };

    QString FieldNameText(const QString& Name, bool ForSql) const;
    QString ValueText(TField* Field, const Variant& Value) const;
    QString LikeText(const QString& Field, QString Value) const;
    QString ConditionDescription(int ConditionIndex) const;
    QString DetailWhere(int Index, int Mode);
    QString JoinOf(TDataSet* Detail) const;
    void ApplyAsFilter(int Mode);
    void ApplyAsQuery(int Mode);
    TDataSet* EnsureQuery();
    QString SelectText(const QString& Where) const;
    void ShowIncorrectFilter(const QString& Detail);
    // After a failure: the dataset gets its state back and its place in the data source.
    void SwitchOffAfterError();
    // Puts the dataset back into the data source in the query's order and on its record.
    void ReturnFromQuery();
    void RestoreDataSet();
    void SaveDataSet(TDataSet* DataSet);
    void ForgetSavedDataSet();
    bool ShowsQuery() const;

    TDateFieldKind FDateFieldKind = dfQuotes;
    QString FExternalInfo;
    TFieldNameKind FFieldNameKind = fnNoQuotes;
    TFilterSetAs FFilterSetAs = fsFilterQuery;
    TLikeKind FLikeKind = lkNormal;
    bool FNotUseOldFilter = false;
    bool FOneFilter = false;
    TDataSet* FQExtracts = nullptr;
    TKroFilterDataSetCol* FSubDataSets;
    QString FTableCaption, FTableName;
    TTableNameKind FTableNameKind = tnNoQuotes;
    int FWidthDataSetName = 175;
    int FWidthFieldName = 150;
    TNotifyEvent FOnSet, FOnUnset, FOnCreateQExtracts, FOnVisualizeFilters, FOnGetFromEditWindow,
        FOnSetToEditWindow;
    TFilterEditValueEvent FOnCreateValue;
    TConstructConditionEvent FOnConstructCondition;
    TDataSetFilterEvent FOnDataSetLink, FOnConstructFilter;

    TFilterDataLink FDataLink;
    TListObj<TFilterItem> FFilters;
    int FCurrentFilter = -1;
    int FFilterMode = 0;
    bool FBusy = false;
    TSavedState FSaved;
    bool FLikeUsed = false;
    int FDataSetSwitched = 0;
};
