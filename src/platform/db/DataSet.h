#pragma once

#include "FieldType.h"
#include "FilterExpression.h"
#include "UpdateCache.h"

#include <QList>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <rtl/Component.h>
#include <rtl/Variant.h>

class TField;
class TFields;
class TFieldDefs;
class TDataSource;
class TDataLink;

PUBLISHED_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields,
               dsFilter, dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening)

PUBLISHED_ENUM(TLocateOption, loCaseInsensitive, loPartialKey)
using TLocateOptions = TSet<TLocateOption>;

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll
};

class TDataSet;
using TDataSetNotifyEvent = TEvent<TDataSet*>;
using TFilterRecordEvent = TEvent<TDataSet*, bool&>;

// A set of records with a current record, browsed and edited through its fields. The
// dataset keeps only the records its data links show (BufferCount of the largest link)
// and asks its descendant for more through the Internal... operations, which read in the
// dataset's order relative to a known record: a table never enters memory whole.
class TDataSet : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(bool AutoCalcFields READ AutoCalcFields WRITE SetAutoCalcFields)
    Q_PROPERTY(bool CachedUpdates READ CachedUpdates WRITE SetCachedUpdates)
    Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(bool Filtered READ Filtered WRITE SetFiltered)
    Q_PROPERTY(TFilterOptions FilterOptions READ FilterOptions WRITE SetFilterOptions)
    Q_PROPERTY(TFilterRecordEvent OnFilterRecord READ OnFilterRecord WRITE SetOnFilterRecord)
    Q_PROPERTY(TDataSetNotifyEvent BeforeOpen READ BeforeOpen WRITE SetBeforeOpen)
    Q_PROPERTY(TDataSetNotifyEvent AfterOpen READ AfterOpen WRITE SetAfterOpen)
    Q_PROPERTY(TDataSetNotifyEvent BeforeClose READ BeforeClose WRITE SetBeforeClose)
    Q_PROPERTY(TDataSetNotifyEvent AfterClose READ AfterClose WRITE SetAfterClose)
    Q_PROPERTY(TDataSetNotifyEvent BeforeInsert READ BeforeInsert WRITE SetBeforeInsert)
    Q_PROPERTY(TDataSetNotifyEvent AfterInsert READ AfterInsert WRITE SetAfterInsert)
    Q_PROPERTY(TDataSetNotifyEvent BeforeEdit READ BeforeEdit WRITE SetBeforeEdit)
    Q_PROPERTY(TDataSetNotifyEvent AfterEdit READ AfterEdit WRITE SetAfterEdit)
    Q_PROPERTY(TDataSetNotifyEvent BeforePost READ BeforePost WRITE SetBeforePost)
    Q_PROPERTY(TDataSetNotifyEvent AfterPost READ AfterPost WRITE SetAfterPost)
    Q_PROPERTY(TDataSetNotifyEvent BeforeCancel READ BeforeCancel WRITE SetBeforeCancel)
    Q_PROPERTY(TDataSetNotifyEvent AfterCancel READ AfterCancel WRITE SetAfterCancel)
    Q_PROPERTY(TDataSetNotifyEvent BeforeDelete READ BeforeDelete WRITE SetBeforeDelete)
    Q_PROPERTY(TDataSetNotifyEvent AfterDelete READ AfterDelete WRITE SetAfterDelete)
    Q_PROPERTY(TDataSetNotifyEvent BeforeScroll READ BeforeScroll WRITE SetBeforeScroll)
    Q_PROPERTY(TDataSetNotifyEvent AfterScroll READ AfterScroll WRITE SetAfterScroll)
    Q_PROPERTY(TDataSetNotifyEvent OnNewRecord READ OnNewRecord WRITE SetOnNewRecord)
    Q_PROPERTY(TDataSetNotifyEvent OnCalcFields READ OnCalcFields WRITE SetOnCalcFields)
public:
    explicit TDataSet(TComponent* AOwner = nullptr);
    ~TDataSet() override;

    // Opening and closing.
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const { return FState; }
    bool IsEditing() const { return FState == dsEdit || FState == dsInsert; }

    // Navigation.
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const;
    void First();
    void Last();
    void Next();
    void Prior();
    // Moves Distance records (negative: back); returns how many it moved.
    int MoveBy(int Distance);
    // The 1-based position of the current record in the dataset's order; -1 when none.
    qint64 RecNo() const;
    void SetRecNo(qint64 Value);
    // The number of records; for an SQL dataset the engine counts them.
    qint64 RecordCount() const;

    // Editing.
    bool Modified() const { return FModified; }
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Re-reads the records shown, keeping the current one when it still exists.
    void Refresh();
    void Resync();
    // Posts a changed record and cancels an unchanged one.
    void CheckBrowseMode();
    virtual bool CanModify() const;
    void CheckActive() const;
    void CheckInactive() const;

    // Filtering: with Filtered set, only the records that pass the Filter expression (see
    // FilterExpression.h) and the OnFilterRecord handler are seen. An SQL dataset has its
    // engine apply the expression; OnFilterRecord runs in the process. A malformed
    // expression raises and leaves the dataset unfiltered.
    QString Filter() const { return FFilter; }
    void SetFilter(const QString& Value);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);
    // Puts Value in force as the filter (Filtered on). When that changes the filter, the
    // dataset goes to the first record whose KeyFields hold KeyValues (as Locate finds it),
    // or to the first record when none does or no KeyFields are given: one search instead
    // of reading the first records and then searching.
    void SetFilterLocating(const QString& Value, const QString& KeyFields,
                           const Variant& KeyValues);
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    void SetFilterOptions(TFilterOptions Value);
    TFilterRecordEvent OnFilterRecord() const { return FOnFilterRecord; }
    void SetOnFilterRecord(const TFilterRecordEvent& Value);

    // With cached updates, posts and deletions are kept in the dataset until ApplyUpdates
    // writes them all at once (in one transaction where the engine has them) or
    // CancelUpdates drops them.
    bool CachedUpdates() const { return FCachedUpdates; }
    void SetCachedUpdates(bool Value);
    bool UpdatesPending() const;
    void ApplyUpdates();
    void CancelUpdates();

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Bookmarks name a record whatever the order or the records around it.
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& Bookmark);
    void FreeBookmark(TBookmark& Bookmark);
    bool BookmarkValid(const TBookmark& Bookmark) const;
    // Negative, 0 or positive as Bookmark1 stands before, at or after Bookmark2.
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const;

    // Searching. Locate makes the first record (in the current order) whose KeyFields
    // (";"-separated) have KeyValues (one value, or an array for several fields) the
    // current one; text fields may match ignoring case or by a leading part.
    bool Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    // The key search on the fields of the current index order: SetKey (or EditKey, which
    // keeps the key) puts the dataset into dsSetKey, where the fields write a key buffer;
    // GotoKey goes to the record with that key in the first KeyFieldCount fields,
    // GotoNearest to the first record at or after it.
    void SetKey();
    void EditKey();
    bool GotoKey();
    void GotoNearest();
    bool FindKey(const QVariantList& KeyValues);
    void FindNearest(const QVariantList& KeyValues);
    int KeyFieldCount() const;
    void SetKeyFieldCount(int Value) { FKeyFieldCount = Value; }
    // The fields of the current index order (none for a dataset without one).
    virtual QStringList IndexFields() const { return {}; }
    // Whether the current index order compares texts ignoring case (and so the key search).
    virtual bool IndexIgnoresCase() const { return false; }
    // Per field of the index order, whether it runs descending.
    virtual QList<bool> IndexDescending() const { return {}; }

    // Fields.
    TFields* Fields() const { return FFields; }
    int FieldCount() const;
    TField* FindField(const QString& FieldName) const;
    TField* FieldByName(const QString& FieldName) const;
    TFieldDefs* FieldDefs() const { return FFieldDefs; }
    // The values of several fields (names separated by ";"), as one value or an array.
    Variant FieldValues(const QString& FieldNames) const;
    // The result fields' values of the first record whose key fields have KeyValues, or
    // Null; the current record does not move.
    virtual Variant Lookup(const QString& KeyFields, const Variant& KeyValues,
                           const QString& ResultFields);

    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool Value) { FAutoCalcFields = Value; }
    // The data source this dataset follows (a table's master, a query's parameters).
    virtual TDataSource* GetDataSource() const { return nullptr; }

    // The fields the root owns are written inside the dataset's block of a form file.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

    // Sends Event to every data link of every data source of this dataset.
    void DataEvent(TDataEvent Event, qintptr Info = 0);
    // Reading of field values: from the record the current state points at.
    Variant GetFieldValue(const TField* Field) const;
    void SetFieldValue(TField* Field, const Variant& Value);
    // The records held for the data links, and the one active among them.
    int BufferCount() const { return FBufferCount; }
    int ActiveRecord() const { return FActiveRecord; }
    int BufferedRecordCount() const { return int(FBuffers.size()); }
    // Makes another held record active for reading, without events; returns the old index.
    int SetTempActiveRecord(int Index);

#define DATASET_EVENT(Name)                                                                        \
    TDataSetNotifyEvent Name() const {                                                             \
        return F##Name;                                                                            \
    }                                                                                              \
    void Set##Name(const TDataSetNotifyEvent& Value) {                                             \
        F##Name = Value;                                                                           \
    }
    DATASET_EVENT(BeforeOpen)
    DATASET_EVENT(AfterOpen)
    DATASET_EVENT(BeforeClose)
    DATASET_EVENT(AfterClose)
    DATASET_EVENT(BeforeInsert)
    DATASET_EVENT(AfterInsert)
    DATASET_EVENT(BeforeEdit)
    DATASET_EVENT(AfterEdit)
    DATASET_EVENT(BeforePost)
    DATASET_EVENT(AfterPost)
    DATASET_EVENT(BeforeCancel)
    DATASET_EVENT(AfterCancel)
    DATASET_EVENT(BeforeDelete)
    DATASET_EVENT(AfterDelete)
    DATASET_EVENT(BeforeScroll)
    DATASET_EVENT(AfterScroll)
    DATASET_EVENT(OnNewRecord)
    DATASET_EVENT(OnCalcFields)
#undef DATASET_EVENT

protected:
    enum TFetchDirection { fdFirst, fdLast, fdAfter, fdBefore };

    // The descendant's part. InternalOpen opens the cursor and creates the fields
    // (overrides call it first and then do their own work); reading gives records in
    // the dataset's order: the first or last Count, or those just after or before From.
    virtual void InternalOpen();
    virtual void InternalClose() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual QList<TRecord> InternalFetch(TFetchDirection Direction, const TRecord* From,
                                         int Count) = 0;
    virtual std::optional<TRecord> InternalFetchBookmark(const TBookmark& Bookmark) = 0;
    virtual qint64 InternalRecordCount() = 0;
    virtual qint64 InternalRecNo(const TRecord& Record) = 0;
    // Writes the record (Original is the record before editing, nullptr for a new one)
    // and returns its bookmark.
    virtual TBookmark InternalPost(const TRecord& Record, const TRecord* Original) = 0;
    virtual void InternalDelete(const TRecord& Record) = 0;
    // Fills a new record's values with the columns' defaults.
    virtual void InternalInitRecord(TRecord& Record);
    virtual void InternalRefresh() {}
    // The filter changed: the descendant takes the expression it can apply (its engine's
    // condition) and says so; the dataset applies the rest in the process.
    virtual bool InternalSetFilter(const TFilterExpression* Expression) {
        (void)Expression;
        return false;
    }
    // The first record (in the order) whose Fields have Values; the default reads the
    // records one window after another.
    virtual std::optional<TRecord> InternalLocate(const QList<TField*>& Fields,
                                                  const QVariantList& Values,
                                                  TLocateOptions Options);
    // The first record whose Fields (leading index fields) are at or after Values.
    virtual std::optional<TRecord> InternalNearest(const QList<TField*>& Fields,
                                                   const QVariantList& Values);
    // Whether Record meets the descendant's own condition (a detail's master key).
    virtual bool InternalAdmits(const TRecord& Record) {
        (void)Record;
        return true;
    }
    // Whether searches read the records instead of asking the descendant: the process
    // filters, or cached changes stand between the descendant's records and those shown.
    bool SearchesInProcess() const;
    // Runs Writes, the cached changes being written; engines wrap them in a transaction.
    virtual void InternalApplyUpdates(const std::function<void()>& Writes) {
        Writes();
    }

    // Override points around the operations; DoBefore... run before the operation acts
    // and call the Before event; an EAbort there cancels silently.
    virtual void DoBeforeInsert();
    virtual void DoBeforePost();
    virtual void DoOnNewRecord();
    virtual void DoAfterOpen();
    virtual void DoOnCalcFields();

    void SetState(TDataSetState Value);
    // Makes a field per column unless fields were declared, binds them to the columns,
    // then lets each field prepare for the open (TField::DataSetOpening).
    void CreateFields();
    void DestroyFields();
    // Calculates the lookup and calculated values of Record; after a change of the field Changed,
    // the lookups by other fields keep their values.
    void CalculateFields(TRecord& Record, const TField* Changed = nullptr);
    // Re-reads the held records around the current one (or its neighbours when gone).
    void ResyncCentered(std::optional<TRecord> Current);
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetBufferCount(int Value);
    // Forgets the records read ahead: the descendant's order, range or data changed.
    void InvalidateReadAhead() {
        LearnFirstReadAhead();
        FAhead = TReadAhead();
    }
    // For the destructor of a concrete dataset: releases the cursor without events.
    void CloseOnDestroy();

private:
    friend class TDataSource;
    friend class TDataLink;
    friend class TField;
    friend class TFields;

    // Reading and writing through the cache of updates when there is one.
    // Without ReadAhead a forward read takes only the records asked for, and the reads that
    // go on from them start reading ahead afresh.
    QList<TRecord> Fetch(TFetchDirection Direction, const TRecord* From, int Count,
                         bool ReadAhead = true);
    std::optional<TRecord> FetchBookmark(const TBookmark& Bookmark);
    qint64 CountRecords();
    qint64 PositionOf(const TRecord& Record);
    TUpdateCache::TSource CacheSource();
    // Whether Record meets what the descendant applies: its condition and the filter
    // expression it took.
    bool MeetsEngineCondition(const TRecord& Record);

    void GoTo(const TRecord& Record);
    void BeginInsert(bool AtEnd);
    QList<TField*> KeyFields(int Count) const;
    // The searched values of Fields, in the fields' types.
    QVariantList SearchValues(const QList<TField*>& Fields, const Variant& KeyValues) const;
    // The first record in the order whose Fields match Values.
    std::optional<TRecord> FindFirst(const QList<TField*>& Fields, const QVariantList& Values,
                                     TLocateOptions Options);
    QVariantList KeyValuesOf(const QList<TField*>& Fields);
    // Enters dsSetKey with the leading index fields set to KeyValues; gives those fields.
    QList<TField*> PrepareKey(const QVariantList& KeyValues);

    void OpenCursor();
    // Loads the key and value pairs of the lookup fields that cache them.
    void FillLookupLists();
    void CloseCursor();
    void CheckBrowse() const;
    void ClearBuffers();
    void FillBuffersFrom(TFetchDirection Direction, const TRecord* From);
    void DoBeforeScroll();
    void DoAfterScroll();
    const TRecord* ActiveBuffer() const;
    TRecord* ActiveBuffer();
    void AddDataSource(TDataSource* Source);
    void RemoveDataSource(TDataSource* Source);
    void UpdateBufferCount();
    void Call(const TDataSetNotifyEvent& Event) {
        Event(this);
    }

    TDataSetState FState = dsInactive;
    bool FBOF = true;
    bool FEOF = true;
    bool FModified = false;
    bool FAutoCalcFields = true;
    bool FStreamedActive = false;
    int FDisableCount = 0;
    bool FEventWhileDisabled = false;
    bool FLayoutWhileDisabled = false;
    bool FStateWhileDisabled = false;
    int FBufferCount = 1;
    QList<TRecord> FBuffers;
    int FActiveRecord = -1;
    TRecord FEditOriginal;          // the record as it was before Edit
    TRecord FKeyBuffer;             // the key of the key search (dsSetKey)
    int FKeyFieldCount = 0;         // 0: all index fields
    TRecord* FCalcRecord = nullptr; // the record being calculated
    TFields* FFields;
    TFieldDefs* FFieldDefs;
    QList<TDataSource*> FDataSources;
    int FCalcSlotCount = 0;
    // The lookup fields with a lookup dataset and their key fields, resolved on the first
    // calculation after the fields last changed (FLookupKeysOf: the fields' generation then;
    // 0 after an open), so that records are calculated without parsing the key names again.
    struct TLookupKeys {
        TField* Field;
        QList<TField*> Keys;
    };
    QList<TLookupKeys> FLookupKeys;
    quint64 FLookupKeysOf = 0;
    const QList<TLookupKeys>& LookupKeys();
    // Records read beyond those asked for, following the record with bookmark After: the
    // next moves forward take them instead of asking the engine row by row.
    struct TReadAhead {
        TBookmark After;
        QList<TRecord> Records;
        bool AtEnd = false;     // nothing follows the records
        int RunLength = 0;      // records read since the reads last jumped
        bool FirstRead = false; // read by a first read, and no forward move took any yet
        int FirstAsked = 0;     // records the read that began the run asked for
        int Served = 0;         // records the run gave, that read's included
    };
    static constexpr int ReadAheadCount = 64;
    static constexpr int FirstReadAheadCount = 16;
    TReadAhead FAhead;
    // Whether a first read takes FirstReadAheadCount records more than asked: not once the
    // records a first read took ahead were dropped untouched (the dataset jumps, by
    // searches or to its end, rather than moving on), again once a forward move follows a
    // first read.
    bool FFirstReadAhead = true;
    // The records a first read takes ahead: as many as the moves forward after the last one
    // took, between FirstReadAheadCount and ReadAheadCount. A dataset opened again and read
    // on (a report, a detail of many rows per master) then reads them in one statement.
    int FFirstAhead = FirstReadAheadCount;
    void LearnFirstReadAhead();
    // Drops the records read ahead on a jump, learning whether first reads should read ahead.
    void DropReadAhead();
    // The records a forward read takes beyond those asked for.
    int AheadCount(bool Continuing, bool ReadAhead) const;
    QList<TRecord> FetchForward(const TRecord* From, int Count, bool ReadAhead);
    // Reading with the records the process filters out left out.
    bool FiltersInProcess() const;
    bool Accepts(TRecord& Record);
    QList<TRecord> FetchAccepted(TFetchDirection Direction, const TRecord* From, int Count);
    QList<TRecord> FetchUnfiltered(TFetchDirection Direction, const TRecord* From, int Count,
                                   bool ReadAhead = true);
    void ApplyFilter();
    // The filter in force parsed, or taken from the last ones parsed.
    const TFilterExpression& ParsedFilter();
    // Makes Change to the filter settings and applies them, then goes to the first record
    // (or where Position goes); a refused filter raises and leaves the settings as they were.
    void ChangeFilter(const std::function<void()>& Change,
                      const std::function<void()>& Position = {});
    QString FFilter;
    bool FFiltered = false;
    TFilterOptions FFilterOptions;
    TFilterRecordEvent FOnFilterRecord;
    std::unique_ptr<TFilterExpression> FExpression; // parsed while filtered and open
    bool FExpressionInEngine = false;
    // The last filters parsed, with what they were parsed from: a filter laid again (a
    // combo's list filter, say) is not parsed again.
    struct TParsedFilter {
        QString Text;
        TFilterOptions Options;
        quint64 FieldsGeneration = 0;
        std::optional<TFilterExpression> Expression;
    };
    std::array<TParsedFilter, 2> FParsedFilters;
    std::size_t FNextParsedFilter = 0;
    bool FCachedUpdates = false;
    std::unique_ptr<TUpdateCache> FUpdates;

    TDataSetNotifyEvent FBeforeOpen, FAfterOpen, FBeforeClose, FAfterClose, FBeforeInsert,
        FAfterInsert, FBeforeEdit, FAfterEdit, FBeforePost, FAfterPost, FBeforeCancel, FAfterCancel,
        FBeforeDelete, FAfterDelete, FBeforeScroll, FAfterScroll, FOnNewRecord, FOnCalcFields;
};
