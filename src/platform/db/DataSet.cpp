#include "DataSet.h"

#include "DataLink.h"
#include "DataSource.h"
#include "Field.h"
#include "FieldDefs.h"

#include <QVarLengthArray>
#include <algorithm>
#include <iterator>
#include <rtl/Exceptions.h>

namespace {

// Whether two bookmarks of the same type name the same record; row keys compare as
// integers, without the general comparison.
bool SameBookmark(const TBookmark& A, const TBookmark& B) {
    if (A.metaType() != B.metaType())
        return false;
    if (A.metaType().id() == QMetaType::LongLong)
        return *static_cast<const qint64*>(A.constData()) ==
               *static_cast<const qint64*>(B.constData());
    return VarSameValue(A, B);
}

// Restores a value when the scope ends, whatever happens.
template <class T> class TRestore {
public:
    TRestore(T& target, T value) : FTarget(target), FSaved(target) { target = value; }
    ~TRestore() { FTarget = FSaved; }

private:
    T& FTarget;
    T FSaved;
};

// Moves the first Count records of From to the end of To.
void TakeFront(QList<TRecord>& From, qsizetype Count, QList<TRecord>& To) {
    To.reserve(To.size() + Count);
    std::move(From.begin(), From.begin() + Count, std::back_inserter(To));
    From.remove(0, Count);
}

} // namespace

TDataSet::TDataSet(TComponent* AOwner)
    : TComponent(AOwner), FFields(new TFields(this)), FFieldDefs(new TFieldDefs(this)) {}

TDataSet::~TDataSet() {
    while (!FDataSources.isEmpty())
        FDataSources.last()->SetDataSet(nullptr);
    DestroyFields();
    for (TField* field : std::as_const(*FFields))
        field->FDataSet = nullptr;
    delete FFields;
}

void TDataSet::CloseOnDestroy() {
    if (!Active())
        return;
    ClearBuffers();
    try {
        InternalClose();
    } catch (const Exception&) {
        // The dataset is going; a failure to release the cursor changes nothing for it.
    }
    FState = dsInactive;
    DataEvent(deUpdateState);
}

[[noreturn]] static void Fail(const TDataSet* DataSet, const QString& Message) {
    throw EDatabaseError(DataSet->Name().isEmpty()
                             ? Message
                             : QStringLiteral("%1: %2").arg(DataSet->Name(), Message));
}

void TDataSet::CheckActive() const {
    if (!Active())
        Fail(this, QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::CheckInactive() const {
    if (Active() && FState != dsOpening)
        Fail(this, QStringLiteral("Cannot perform this operation on an open dataset"));
}

void TDataSet::CheckBrowse() const {
    CheckActive();
    if (FState != dsBrowse)
        Fail(this, QStringLiteral("Dataset not in browse mode"));
}

// ---- Opening and closing -------------------------------------------------------------

void TDataSet::SetActive(bool Value) {
    if (IsLoading()) {
        FStreamedActive = Value;
        return;
    }
    if (Value == Active())
        return;
    if (Value) {
        Call(FBeforeOpen);
        OpenCursor();
        DoAfterOpen();
    } else {
        if (!IsDestroying())
            Call(FBeforeClose);
        CloseCursor();
        if (!IsDestroying())
            Call(FAfterClose);
    }
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        Open();
    }
}

void TDataSet::OpenCursor() {
    FState = dsOpening;
    try {
        InternalOpen();
        FillLookupLists();
        ApplyFilter();
        FState = dsBrowse;
        FillBuffersFrom(fdFirst, nullptr);
    } catch (...) {
        FState = dsInactive;
        ClearBuffers();
        try {
            InternalClose();
        } catch (const Exception&) {
        }
        DestroyFields();
        throw;
    }
    DataEvent(deUpdateState);
}

void TDataSet::CloseCursor() {
    InvalidateReadAhead();
    if (IsEditing())
        Cancel();
    if (FUpdates)
        FUpdates->Clear(); // unapplied changes go with the cursor
    ClearBuffers();
    FState = dsInactive;
    InternalClose();
    DestroyFields();
    DataEvent(deUpdateState);
}

void TDataSet::InternalOpen() {
    InternalInitFieldDefs();
    CreateFields();
}

void TDataSet::DoAfterOpen() {
    Call(FAfterOpen);
    if (!IsEmpty())
        DoAfterScroll();
}

void TDataSet::CreateFields() {
    // Persistent fields (declared in a form file) stay; without any, one per column.
    if (FFields->Count() == 0) {
        for (int i = 0; i < FFieldDefs->Count(); ++i)
            FFieldDefs->Items(i)->CreateField(this, this);
        for (TField* field : std::as_const(*FFields))
            field->FDefaultField = true;
    }
    FCalcSlotCount = 0;
    FLookupKeysOf = 0;
    for (int i = 0; i < FFields->Count(); ++i) {
        TField* field = FFields->Fields(i);
        if (field->FieldKind() == fkData) {
            // A default field stands at its definition's place (names are unique).
            const bool inPlace = field->FDefaultField && i < FFieldDefs->Count() &&
                                 FFieldDefs->Items(i)->Name() == field->FieldName();
            const int def = inPlace ? i : FFieldDefs->IndexOf(field->FieldName());
            if (def < 0)
                Fail(this, QStringLiteral("Field '%1' not found").arg(field->FieldName()));
            field->FFieldNo = def + 1;
            field->FCalcSlot = -1;
            field->BindToDef(FFieldDefs->Items(def));
        } else {
            field->FFieldNo = 0;
            field->FCalcSlot = FCalcSlotCount++;
        }
    }
    for (TField* field : std::as_const(*FFields)) {
        field->ClearLookupList();
        field->DataSetOpening();
    }
}

void TDataSet::FillLookupLists() {
    for (TField* field : std::as_const(*FFields)) {
        TDataSet* lookup = field->LookupDataSet();
        if (field->FieldKind() != fkLookup || !field->LookupCache() || !lookup ||
            field->LookupListFilled())
            continue;
        field->ClearLookupList();
        const bool wasActive = lookup->Active();
        lookup->Open();
        const TBookmark position = lookup->GetBookmark();
        lookup->DisableControls();
        try {
            for (lookup->First(); !lookup->Eof(); lookup->Next())
                field->AddLookupListItem(lookup->FieldValues(field->LookupKeyFields()),
                                         lookup->FieldValues(field->LookupResultField()));
        } catch (...) {
            lookup->EnableControls();
            throw;
        }
        if (!wasActive)
            lookup->Close();
        else if (!VarIsNull(position))
            lookup->GotoBookmark(position);
        lookup->EnableControls();
        field->SetLookupListFilled();
    }
}

void TDataSet::DestroyFields() {
    for (int i = FFields->Count() - 1; i >= 0; --i) {
        TField* field = FFields->Fields(i);
        if (field->FDefaultField)
            delete field; // removes itself from the list
    }
}

// ---- Buffers -------------------------------------------------------------------------

void TDataSet::ClearBuffers() {
    FBuffers.clear();
    FActiveRecord = -1;
    FBOF = FEOF = true;
}

void TDataSet::FillBuffersFrom(TFetchDirection Direction, const TRecord* From) {
    QList<TRecord> records = Fetch(Direction, From, FBufferCount);
    for (TRecord& record : records)
        CalculateFields(record);
    FBuffers = std::move(records);
    if (FBuffers.isEmpty()) {
        FActiveRecord = -1;
        FBOF = FEOF = true;
        return;
    }
    FActiveRecord = Direction == fdLast || Direction == fdBefore ? int(FBuffers.size()) - 1 : 0;
    FBOF = Direction == fdFirst;
    FEOF = Direction == fdLast;
}

void TDataSet::ResyncCentered(std::optional<TRecord> Current) {
    if (!Current) {
        FillBuffersFrom(fdFirst, nullptr);
        return;
    }
    CalculateFields(*Current);
    const int before = (FBufferCount - 1) / 2;
    QList<TRecord> prior = Fetch(fdBefore, &*Current, before);
    // The window alone: where the user goes from a record found is not known yet.
    QList<TRecord> after = Fetch(fdAfter, &*Current, FBufferCount - 1 - int(prior.size()), false);
    if (prior.size() + after.size() + 1 < FBufferCount && prior.size() == before) {
        // Near the end: fill the window with records before the current one.
        const int more = FBufferCount - 1 - int(after.size());
        prior = Fetch(fdBefore, &*Current, more);
    }
    for (TRecord& r : prior)
        CalculateFields(r);
    for (TRecord& r : after)
        CalculateFields(r);
    FActiveRecord = int(prior.size());
    prior.reserve(prior.size() + 1 + after.size());
    prior.append(std::move(*Current));
    prior.append(std::move(after));
    FBuffers = std::move(prior);
    FBOF = FEOF = false;
}

const TRecord* TDataSet::ActiveBuffer() const {
    if (FState == dsCalcFields || FState == dsFilter)
        return FCalcRecord;
    if (FState == dsSetKey)
        return &FKeyBuffer;
    if (FActiveRecord < 0 || FActiveRecord >= FBuffers.size())
        return nullptr;
    return &FBuffers[FActiveRecord];
}

TRecord* TDataSet::ActiveBuffer() {
    return const_cast<TRecord*>(static_cast<const TDataSet*>(this)->ActiveBuffer());
}

int TDataSet::SetTempActiveRecord(int Index) {
    const int old = FActiveRecord;
    if (Index >= 0 && Index < FBuffers.size())
        FActiveRecord = Index;
    return old;
}

void TDataSet::SetBufferCount(int Value) {
    Value = qMax(1, Value);
    if (Value == FBufferCount)
        return;
    FBufferCount = Value;
    if (FState != dsBrowse || FBuffers.isEmpty())
        return;
    const bool bof = FBOF, eof = FEOF;
    if (bof && FActiveRecord == 0) {
        // On the first record the window is it and those after it, as centred: only the
        // records missing are read.
        const int missing = Value - int(FBuffers.size());
        if (missing < 0) {
            FBuffers.remove(Value, -missing);
        } else {
            QList<TRecord> more = Fetch(fdAfter, &FBuffers.last(), missing, false);
            for (TRecord& record : more)
                CalculateFields(record);
            FBuffers.append(std::move(more));
        }
    } else {
        ResyncCentered(FBuffers[FActiveRecord]);
    }
    FBOF = bof;
    FEOF = eof;
}

void TDataSet::UpdateBufferCount() {
    int count = 1;
    for (TDataSource* source : std::as_const(FDataSources))
        for (TDataLink* link : std::as_const(source->FLinks))
            count = qMax(count, link->BufferCount());
    SetBufferCount(count);
}

// ---- Navigation ----------------------------------------------------------------------

bool TDataSet::IsEmpty() const {
    return FBuffers.isEmpty() && FState != dsInsert;
}

void TDataSet::DoBeforeScroll() {
    CheckBrowseMode();
    Call(FBeforeScroll);
}

void TDataSet::DoAfterScroll() {
    Call(FAfterScroll);
}

void TDataSet::First() {
    CheckActive();
    DoBeforeScroll();
    FillBuffersFrom(fdFirst, nullptr);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Last() {
    CheckActive();
    DoBeforeScroll();
    FillBuffersFrom(fdLast, nullptr);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Next() {
    if (!Eof())
        MoveBy(1);
    else
        CheckActive();
}

void TDataSet::Prior() {
    if (!Bof())
        MoveBy(-1);
    else
        CheckActive();
}

int TDataSet::MoveBy(int Distance) {
    CheckActive();
    if (Distance == 0 || (Distance > 0 && FEOF) || (Distance < 0 && FBOF))
        return 0;
    DoBeforeScroll();
    FBOF = FEOF = false;
    int moved = 0;
    int scrolled = 0; // records the window moved by
    while (moved != Distance) {
        const int step = Distance > 0 ? 1 : -1;
        const int target = FActiveRecord + step;
        if (target >= 0 && target < FBuffers.size()) {
            FActiveRecord = target;
            moved += step;
            continue;
        }
        const int wanted = qMin(qAbs(Distance - moved), qMax(FBufferCount, 1));
        QList<TRecord> more = Fetch(step > 0 ? fdAfter : fdBefore,
                                    FBuffers.isEmpty() ? nullptr : &FBuffers[FActiveRecord],
                                    qMin(wanted, FBufferCount));
        if (more.isEmpty()) {
            (step > 0 ? FEOF : FBOF) = true;
            break;
        }
        for (TRecord& r : more)
            CalculateFields(r);
        if (step > 0) {
            FBuffers.append(std::move(more));
            const int excess = int(FBuffers.size()) - FBufferCount;
            if (excess > 0) {
                FBuffers.remove(0, excess);
                FActiveRecord -= excess;
                scrolled -= excess;
            }
        } else {
            FBuffers = more + FBuffers;
            FActiveRecord += int(more.size());
            scrolled += int(more.size());
            const int excess = int(FBuffers.size()) - FBufferCount;
            if (excess > 0)
                FBuffers.remove(FBufferCount, excess);
        }
    }
    if (moved != 0 || scrolled != 0)
        DataEvent(deDataSetScroll, scrolled);
    if (moved != 0)
        DoAfterScroll();
    return moved;
}

qint64 TDataSet::RecNo() const {
    CheckActive();
    if (FState == dsInsert || FBuffers.isEmpty())
        return -1;
    return const_cast<TDataSet*>(this)->PositionOf(FBuffers[FActiveRecord]);
}

void TDataSet::SetRecNo(qint64 Value) {
    const qint64 current = RecNo();
    if (current > 0 && Value > 0 && Value != current)
        MoveBy(int(Value - current));
}

qint64 TDataSet::RecordCount() const {
    CheckActive();
    return const_cast<TDataSet*>(this)->CountRecords();
}

// ---- Editing -------------------------------------------------------------------------

bool TDataSet::CanModify() const {
    return Active();
}

void TDataSet::Edit() {
    if (IsEditing())
        return;
    CheckBrowse();
    if (!CanModify())
        Fail(this, QStringLiteral("Cannot modify a read-only dataset"));
    if (FBuffers.isEmpty()) {
        Insert();
        return;
    }
    Call(FBeforeEdit);
    FEditOriginal = FBuffers[FActiveRecord];
    SetState(dsEdit);
    FModified = false;
    DataEvent(deRecordChange);
    Call(FAfterEdit);
}

void TDataSet::Insert() {
    BeginInsert(false);
}

void TDataSet::Append() {
    BeginInsert(true);
}

void TDataSet::BeginInsert(bool AtEnd) {
    CheckBrowseMode();
    CheckBrowse();
    if (!CanModify())
        Fail(this, QStringLiteral("Cannot modify a read-only dataset"));
    DoBeforeInsert();
    TRecord record;
    record.Values.resize(FFieldDefs->Count());
    // Its calculated values are made whole at the first change of a field.
    InternalInitRecord(record);
    if (AtEnd) {
        // The new record follows the last one: the window shows the end of the data.
        FillBuffersFrom(fdLast, nullptr);
        FBuffers.append(record);
        if (FBuffers.size() > FBufferCount)
            FBuffers.removeFirst();
        FActiveRecord = int(FBuffers.size()) - 1;
    } else {
        // The new record stands before the current one.
        const int at = FBuffers.isEmpty() ? 0 : FActiveRecord;
        FBuffers.insert(at, record);
        FActiveRecord = at;
        if (FBuffers.size() > FBufferCount)
            FBuffers.removeLast();
    }
    FEditOriginal = TRecord();
    FBOF = FEOF = false;
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        Cancel();
        throw;
    }
    FModified = false; // the values OnNewRecord gives are not the user's changes
    DataEvent(deDataSetChange);
    Call(FAfterInsert);
}

void TDataSet::InternalInitRecord(TRecord&) {}

void TDataSet::DoBeforeInsert() {
    Call(FBeforeInsert);
}

void TDataSet::DoBeforePost() {
    Call(FBeforePost);
}

void TDataSet::DoOnNewRecord() {
    Call(FOnNewRecord);
}

void TDataSet::DoOnCalcFields() {
    Call(FOnCalcFields);
}

void TDataSet::Post() {
    InvalidateReadAhead();
    DataEvent(deCheckBrowseMode);
    if (!IsEditing())
        return;
    DataEvent(deUpdateRecord);
    DoBeforePost();
    for (TField* field : std::as_const(*FFields))
        if (field->Required() && field->FieldKind() == fkData && !field->ReadOnly() &&
            field->IsNull() && field->DataType() != ftAutoInc)
            Fail(this, QStringLiteral("Field '%1' must have a value").arg(field->DisplayName()));
    TRecord& record = FBuffers[FActiveRecord];
    const bool inserting = FState == dsInsert;
    // A failing write leaves the dataset editing with the values intact.
    const TRecord* original = inserting ? nullptr : &FEditOriginal;
    const TBookmark bookmark =
        FUpdates ? FUpdates->Post(record, original) : InternalPost(record, original);
    std::optional<TRecord> posted = FetchBookmark(bookmark);
    SetState(dsBrowse);
    FModified = false;
    FEditOriginal = TRecord();
    ResyncCentered(posted);
    DataEvent(deDataSetChange);
    Call(FAfterPost);
}

void TDataSet::Cancel() {
    InvalidateReadAhead();
    if (!IsEditing())
        return;
    DataEvent(deCheckBrowseMode);
    Call(FBeforeCancel);
    const bool inserting = FState == dsInsert;
    if (inserting) {
        FBuffers.removeAt(FActiveRecord);
        SetState(dsBrowse);
        if (FBuffers.isEmpty()) {
            FillBuffersFrom(fdFirst, nullptr);
        } else {
            FActiveRecord = qMin(FActiveRecord, int(FBuffers.size()) - 1);
            ResyncCentered(FBuffers[FActiveRecord]);
        }
    } else {
        FBuffers[FActiveRecord] = FEditOriginal;
        SetState(dsBrowse);
    }
    FEditOriginal = TRecord();
    FModified = false;
    DataEvent(deDataSetChange);
    Call(FAfterCancel);
}

void TDataSet::Delete() {
    InvalidateReadAhead();
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FBuffers.isEmpty())
        Fail(this, QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!CanModify())
        Fail(this, QStringLiteral("Cannot modify a read-only dataset"));
    DataEvent(deCheckBrowseMode);
    Call(FBeforeDelete);
    const TRecord record = FBuffers[FActiveRecord];
    if (FUpdates)
        FUpdates->Delete(record);
    else
        InternalDelete(record);
    SetState(dsBrowse);
    FModified = false;
    // The record after the deleted one becomes current, or the one before at the end.
    QList<TRecord> after = Fetch(fdAfter, &record, 1);
    if (!after.isEmpty()) {
        ResyncCentered(after.first());
    } else {
        QList<TRecord> before = Fetch(fdBefore, &record, 1);
        if (before.isEmpty())
            FillBuffersFrom(fdFirst, nullptr);
        else {
            ResyncCentered(before.first());
            FEOF = true;
        }
    }
    DataEvent(deDataSetChange);
    Call(FAfterDelete);
    DoAfterScroll();
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (FState == dsSetKey)
        SetState(dsBrowse); // the key buffer stays for EditKey
    if (IsEditing()) {
        DataEvent(deUpdateRecord);
        if (FModified)
            Post();
        else
            Cancel();
    }
}

void TDataSet::Refresh() {
    InvalidateReadAhead();
    CheckBrowseMode();
    InternalRefresh();
    Resync();
}

void TDataSet::Resync() {
    InvalidateReadAhead();
    CheckActive();
    if (FBuffers.isEmpty()) {
        FillBuffersFrom(fdFirst, nullptr);
    } else {
        const TRecord current = FBuffers[FActiveRecord];
        std::optional<TRecord> fresh = FetchBookmark(current.Bookmark);
        if (fresh) {
            ResyncCentered(fresh);
        } else {
            // The current record is gone: its neighbour in the order takes its place.
            QList<TRecord> after = Fetch(fdAfter, &current, 1);
            if (after.isEmpty())
                FillBuffersFrom(fdLast, nullptr);
            else
                ResyncCentered(after.first());
        }
    }
    DataEvent(deDataSetChange);
}

void TDataSet::SetState(TDataSetState Value) {
    if (FState == Value)
        return;
    FState = Value;
    DataEvent(deUpdateState);
}

void TDataSet::DisableControls() {
    ++FDisableCount;
}

void TDataSet::EnableControls() {
    if (FDisableCount == 0)
        return;
    if (--FDisableCount > 0)
        return;
    if (std::exchange(FStateWhileDisabled, false))
        DataEvent(deUpdateState);
    if (FEventWhileDisabled) {
        FEventWhileDisabled = false;
        // A layout changed meanwhile (fields shown, hidden or moved) is told as such.
        const bool layout = std::exchange(FLayoutWhileDisabled, false);
        DataEvent(layout ? deLayoutChange : deDataSetChange);
    }
}

// ---- Cached updates ------------------------------------------------------------------

void TDataSet::SetCachedUpdates(bool Value) {
    if (Value == FCachedUpdates)
        return;
    if (Active()) {
        CheckBrowseMode();
        if (!Value && UpdatesPending())
            Fail(this, QStringLiteral("Apply or cancel the cached updates first"));
    }
    FCachedUpdates = Value;
    FUpdates = Value ? std::make_unique<TUpdateCache>() : nullptr;
}

bool TDataSet::UpdatesPending() const {
    return FUpdates && !FUpdates->IsEmpty();
}

void TDataSet::ApplyUpdates() {
    InvalidateReadAhead();
    CheckActive();
    CheckBrowseMode();
    if (!UpdatesPending())
        return;
    const QList<TUpdateCache::TChange> changes = FUpdates->Changes();
    InternalApplyUpdates([&] {
        for (const TUpdateCache::TChange& change : changes) {
            switch (change.Kind) {
            case TUpdateCache::TChange::ckDelete:
                InternalDelete(change.Record);
                break;
            case TUpdateCache::TChange::ckEdit:
                InternalPost(change.Record, &change.Original);
                break;
            case TUpdateCache::TChange::ckInsert:
                InternalPost(change.Record, nullptr);
                break;
            }
        }
    });
    // Written: the records now come from the engine, in its order.
    FUpdates->Clear();
    InternalRefresh();
    Resync();
}

void TDataSet::CancelUpdates() {
    InvalidateReadAhead();
    CheckActive();
    if (IsEditing())
        Cancel();
    if (!UpdatesPending())
        return;
    FUpdates->Clear();
    Resync();
}

TUpdateCache::TSource TDataSet::CacheSource() {
    return {[this](bool After, const TRecord* From, int Count) {
                return InternalFetch(
                    From ? (After ? fdAfter : fdBefore) : (After ? fdFirst : fdLast), From, Count);
            },
            [this](const TBookmark& Bookmark) { return InternalFetchBookmark(Bookmark); },
            [this] { return InternalRecordCount(); },
            [this](const TRecord& Record) { return InternalRecNo(Record); },
            [this](const TRecord& Record) { return MeetsEngineCondition(Record); }};
}

bool TDataSet::MeetsEngineCondition(const TRecord& Record) {
    if (FFiltered && FExpression && FExpressionInEngine) {
        TRecord record = Record;
        TRestore<TRecord*> calc(FCalcRecord, &record);
        TRestore<TDataSetState> state(FState, dsFilter);
        if (!FExpression->Evaluate([&](const QString& name) { return FieldByName(name)->Value(); }))
            return false;
    }
    return InternalAdmits(Record);
}

bool TDataSet::SearchesInProcess() const {
    return FiltersInProcess() || UpdatesPending();
}

QList<TRecord> TDataSet::Fetch(TFetchDirection Direction, const TRecord* From, int Count,
                               bool ReadAhead) {
    return FiltersInProcess() ? FetchAccepted(Direction, From, Count)
                              : FetchUnfiltered(Direction, From, Count, ReadAhead);
}

QList<TRecord> TDataSet::FetchUnfiltered(TFetchDirection Direction, const TRecord* From, int Count,
                                         bool ReadAhead) {
    if (Direction == fdFirst || (Direction == fdAfter && From))
        return FetchForward(Direction == fdFirst ? nullptr : From, Count, ReadAhead);
    DropReadAhead();
    if (!FUpdates)
        return InternalFetch(Direction, From, Count);
    const TUpdateCache::TSource source = CacheSource();
    switch (Direction) {
    case fdFirst:
        return FUpdates->First(source, Count);
    case fdLast:
        return FUpdates->Last(source, Count);
    case fdAfter:
        return From ? FUpdates->After(source, *From, Count) : FUpdates->First(source, Count);
    case fdBefore:
        return From ? FUpdates->Before(source, *From, Count) : FUpdates->Last(source, Count);
    }
    return {};
}

void TDataSet::LearnFirstReadAhead() {
    if (FAhead.FirstAsked > 0 && !FAhead.FirstRead)
        FFirstAhead =
            qBound(FirstReadAheadCount, FAhead.Served - FAhead.FirstAsked, ReadAheadCount);
}

void TDataSet::DropReadAhead() {
    if (FAhead.FirstRead && !FAhead.Records.isEmpty())
        FFirstReadAhead = false;
    LearnFirstReadAhead();
    FAhead = TReadAhead();
}

int TDataSet::AheadCount(bool Continuing, bool ReadAhead) const {
    if (!ReadAhead)
        return 0;
    // A first read takes a few more than asked (all the rows of a typical detail, in the
    // one statement a master move runs) unless such records went unused before.
    if (!Continuing)
        return FFirstReadAhead ? FFirstAhead : 0;
    // Moving on reads ahead twice what the run has read, up to ReadAheadCount, so that a
    // short run reads little beyond its end and a long one few statements. A run that began
    // without reading ahead (a window centred on a record) counts from nothing: a page
    // beyond it reads the page.
    if (FAhead.RunLength == 0)
        return 0;
    return qBound(FirstReadAheadCount, 2 * FAhead.RunLength, ReadAheadCount);
}

QList<TRecord> TDataSet::FetchForward(const TRecord* From, int Count, bool ReadAhead) {
    QList<TRecord> result;
    if (Count <= 0)
        return result;
    const bool continuing = From && SameBookmark(FAhead.After, From->Bookmark);
    if (continuing) {
        FFirstReadAhead = true;
        FAhead.FirstRead = false;
        const int taken = qMin(Count, int(FAhead.Records.size()));
        TakeFront(FAhead.Records, taken, result);
        if (result.size() == Count || FAhead.AtEnd) {
            if (!result.isEmpty())
                FAhead.After = result.last().Bookmark;
            FAhead.Served += int(result.size());
            return result; // served without asking the engine
        }
    }
    if (!continuing)
        DropReadAhead();
    const int ahead = AheadCount(continuing, ReadAhead);
    const TRecord* after = result.isEmpty() ? From : &result.last();
    const int wanted = Count - int(result.size());
    const int reading = wanted + ahead;
    QList<TRecord> read;
    if (FUpdates) {
        const TUpdateCache::TSource source = CacheSource();
        read = after ? FUpdates->After(source, *after, reading) : FUpdates->First(source, reading);
    } else {
        read = InternalFetch(after ? fdAfter : fdFirst, after, reading);
    }
    const int readCount = int(read.size());
    const int kept = qMin(wanted, readCount);
    TakeFront(read, kept, result);
    FAhead.Records = std::move(read);
    FAhead.AtEnd = readCount < reading; // the engine has no more after these
    FAhead.RunLength = !ReadAhead ? 0 : (continuing ? FAhead.RunLength : 0) + readCount;
    FAhead.FirstRead = !continuing;
    if (!continuing)
        FAhead.FirstAsked = Count;
    FAhead.Served = (continuing ? FAhead.Served : 0) + int(result.size());
    FAhead.After = !result.isEmpty() ? result.last().Bookmark : (after ? after->Bookmark : Null());
    return result;
}

std::optional<TRecord> TDataSet::FetchBookmark(const TBookmark& Bookmark) {
    std::optional<TRecord> record =
        FUpdates ? FUpdates->Find(CacheSource(), Bookmark) : InternalFetchBookmark(Bookmark);
    if (record && FiltersInProcess() && !Accepts(*record))
        return std::nullopt; // filtered out
    return record;
}

qint64 TDataSet::CountRecords() {
    if (FiltersInProcess()) {
        qint64 count = 0;
        for (QList<TRecord> window = Fetch(fdFirst, nullptr, 256); !window.isEmpty();
             window = Fetch(fdAfter, &window.last(), 256))
            count += window.size();
        return count;
    }
    return FUpdates ? FUpdates->Count(CacheSource()) : InternalRecordCount();
}

qint64 TDataSet::PositionOf(const TRecord& Record) {
    if (FiltersInProcess()) {
        qint64 position = 0;
        for (QList<TRecord> window = Fetch(fdFirst, nullptr, 256); !window.isEmpty();
             window = Fetch(fdAfter, &window.last(), 256))
            for (const TRecord& r : window) {
                ++position;
                if (SameBookmark(r.Bookmark, Record.Bookmark))
                    return position;
            }
        return -1;
    }
    return FUpdates ? FUpdates->Position(CacheSource(), Record) : InternalRecNo(Record);
}

// ---- Filtering -----------------------------------------------------------------------

bool TDataSet::FiltersInProcess() const {
    return FFiltered && ((FExpression && !FExpressionInEngine) || FOnFilterRecord.IsAssigned());
}

bool TDataSet::Accepts(TRecord& Record) {
    CalculateFields(Record);
    TRestore<TRecord*> record(FCalcRecord, &Record);
    TRestore<TDataSetState> state(FState, dsFilter);
    bool accept = true;
    if (FExpression && !FExpressionInEngine)
        accept =
            FExpression->Evaluate([&](const QString& name) { return FieldByName(name)->Value(); });
    if (accept)
        FOnFilterRecord(this, accept);
    return accept;
}

QList<TRecord> TDataSet::FetchAccepted(TFetchDirection Direction, const TRecord* From, int Count) {
    QList<TRecord> accepted;
    if (Count <= 0)
        return accepted;
    const bool forward = Direction == fdFirst || Direction == fdAfter;
    std::optional<TRecord> cursor;
    if (From)
        cursor = *From;
    TFetchDirection direction = Direction;
    while (accepted.size() < Count) {
        const int reading = qMax(Count, ReadAheadCount);
        QList<TRecord> batch = FetchUnfiltered(direction, cursor ? &*cursor : nullptr, reading);
        if (batch.isEmpty())
            break;
        cursor = forward ? batch.last() : batch.first();
        direction = forward ? fdAfter : fdBefore;
        if (!forward)
            std::reverse(batch.begin(), batch.end());
        for (TRecord& record : batch)
            if (accepted.size() < Count && Accepts(record))
                accepted << record;
        if (batch.size() < reading)
            break;
    }
    if (!forward)
        std::reverse(accepted.begin(), accepted.end());
    return accepted;
}

void TDataSet::ApplyFilter() {
    FExpression.reset();
    FExpressionInEngine = false;
    try {
        if (FFiltered && !FFilter.trimmed().isEmpty())
            FExpression = std::make_unique<TFilterExpression>(ParsedFilter());
        FExpressionInEngine = InternalSetFilter(FExpression.get());
    } catch (...) {
        // A filter that cannot be applied leaves the dataset unfiltered.
        FExpression.reset();
        FExpressionInEngine = InternalSetFilter(nullptr);
        throw;
    }
}

const TFilterExpression& TDataSet::ParsedFilter() {
    const quint64 generation = FFields->Generation();
    for (const TParsedFilter& parsed : FParsedFilters)
        if (parsed.Expression && parsed.Text == FFilter && parsed.Options == FFilterOptions &&
            parsed.FieldsGeneration == generation)
            return *parsed.Expression;
    QList<TFilterField> fields;
    for (const TField* field : std::as_const(*FFields))
        fields << TFilterField{field->FieldName(), field->DataType()};
    TParsedFilter& parsed = FParsedFilters[FNextParsedFilter];
    FNextParsedFilter = (FNextParsedFilter + 1) % FParsedFilters.size();
    parsed = {FFilter, FFilterOptions, generation,
              TFilterExpression(FFilter, FilterFieldsResolver(fields), FFilterOptions)};
    return *parsed.Expression;
}

void TDataSet::ChangeFilter(const std::function<void()>& Change,
                            const std::function<void()>& Position) {
    if (Active())
        CheckBrowseMode();
    const QString filter = FFilter;
    const bool filtered = FFiltered;
    const TFilterOptions options = FFilterOptions;
    Change();
    if (!Active())
        return;
    try {
        ApplyFilter();
    } catch (...) {
        // A refused filter leaves the previous one in force.
        FFilter = filter;
        FFiltered = filtered;
        FFilterOptions = options;
        ApplyFilter();
        throw;
    }
    if (!Position) {
        First();
        return;
    }
    try {
        Position();
    } catch (...) {
        // The window must not keep records of the previous filter.
        First();
        throw;
    }
}

void TDataSet::SetFilter(const QString& Value) {
    if (FFilter == Value)
        return;
    if (!FFiltered || !Active()) {
        FFilter = Value;
        return;
    }
    ChangeFilter([this, &Value] { FFilter = Value; });
}

void TDataSet::SetFiltered(bool Value) {
    if (FFiltered != Value)
        ChangeFilter([this, Value] { FFiltered = Value; });
}

void TDataSet::SetFilterLocating(const QString& Value, const QString& KeyFields,
                                 const Variant& KeyValues) {
    if (FFiltered && FFilter == Value)
        return;
    ChangeFilter(
        [this, &Value] {
            FFilter = Value;
            FFiltered = true;
        },
        [&] {
            if (KeyFields.isEmpty() || VarIsNull(KeyValues) || !Locate(KeyFields, KeyValues, {}))
                First();
        });
}

void TDataSet::SetFilterOptions(TFilterOptions Value) {
    if (FFilterOptions == Value)
        return;
    if (!FFiltered || !Active()) {
        FFilterOptions = Value;
        return;
    }
    ChangeFilter([this, Value] { FFilterOptions = Value; });
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value) {
    FOnFilterRecord = Value;
    if (Active() && FFiltered) {
        CheckBrowseMode();
        First();
    }
}

// ---- Bookmarks -----------------------------------------------------------------------

TBookmark TDataSet::GetBookmark() const {
    if (!Active() || FBuffers.isEmpty() || FState == dsInsert)
        return Null();
    return FBuffers[FActiveRecord].Bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
    CheckBrowseMode();
    std::optional<TRecord> record = FetchBookmark(Bookmark);
    if (!record)
        Fail(this, QStringLiteral("Record not found"));
    DoBeforeScroll();
    ResyncCentered(record);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::FreeBookmark(TBookmark& Bookmark) {
    Bookmark = Null();
}

bool TDataSet::BookmarkValid(const TBookmark& Bookmark) const {
    return Active() && !VarIsNull(Bookmark) &&
           const_cast<TDataSet*>(this)->FetchBookmark(Bookmark).has_value();
}

int TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const {
    if (VarIsNull(Bookmark1) || VarIsNull(Bookmark2))
        return VarIsNull(Bookmark1) ? (VarIsNull(Bookmark2) ? 0 : -1) : 1;
    if (VarSameValue(Bookmark1, Bookmark2))
        return 0;
    auto* self = const_cast<TDataSet*>(this);
    const auto r1 = self->FetchBookmark(Bookmark1);
    const auto r2 = self->FetchBookmark(Bookmark2);
    if (!r1 || !r2)
        Fail(this, QStringLiteral("Invalid bookmark"));
    const qint64 p1 = self->PositionOf(*r1), p2 = self->PositionOf(*r2);
    return p1 < p2 ? -1 : (p1 > p2 ? 1 : 0);
}

// ---- Searching -----------------------------------------------------------------------

namespace {

bool IsTextField(const TField* Field) {
    return IsTextType(Field->DataType());
}

// Whether a record's value matches a searched one as Locate compares them.
bool Matches(const TField* Field, const Variant& Stored, const Variant& Wanted,
             TLocateOptions Options) {
    if (VarIsNull(Wanted) || VarIsNull(Stored))
        return VarIsNull(Wanted) && VarIsNull(Stored);
    if (!IsTextField(Field))
        return VarSameValue(Stored, Wanted);
    // Ignoring case is comparing in lower case, as the engines are asked to.
    const bool lower = Options.Contains(loCaseInsensitive);
    const QString stored = lower ? Stored.toString().toLower() : Stored.toString();
    const QString wanted = lower ? Wanted.toString().toLower() : Wanted.toString();
    return Options.Contains(loPartialKey) ? stored.startsWith(wanted) : stored == wanted;
}

} // namespace

void TDataSet::GoTo(const TRecord& Record) {
    DoBeforeScroll();
    ResyncCentered(Record);
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

QVariantList TDataSet::SearchValues(const QList<TField*>& Fields, const Variant& KeyValues) const {
    QVariantList values =
        Fields.size() == 1 && !VarIsArray(KeyValues) ? QVariantList{KeyValues} : KeyValues.toList();
    if (values.size() != Fields.size())
        Fail(this, QStringLiteral("%1 values for %2 fields").arg(values.size()).arg(Fields.size()));
    // Values take the fields' types; texts stay whole, as a longer one finds nothing (or
    // what another program wrote longer than the field).
    for (qsizetype i = 0; i < Fields.size(); ++i)
        if (!VarIsNull(values[i]))
            values[i] = IsTextField(Fields[i]) ? Variant(VarToStr(values[i]))
                                               : Fields[i]->CheckedValue(values[i]);
    return values;
}

std::optional<TRecord> TDataSet::FindFirst(const QList<TField*>& Fields, const QVariantList& Values,
                                           TLocateOptions Options) {
    // Records the process filters out, cached changes and the values of calculated fields
    // are only seen by reading the records.
    const bool calculated = std::any_of(Fields.begin(), Fields.end(),
                                        [](const TField* f) { return f->FieldNo() <= 0; });
    return SearchesInProcess() || calculated ? TDataSet::InternalLocate(Fields, Values, Options)
                                             : InternalLocate(Fields, Values, Options);
}

bool TDataSet::Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
    CheckBrowseMode();
    const QList<TField*> fields = FFields->GetFieldList(KeyFields);
    const std::optional<TRecord> found =
        FindFirst(fields, SearchValues(fields, KeyValues), Options);
    if (!found)
        return false;
    GoTo(*found);
    return true;
}

std::optional<TRecord> TDataSet::InternalLocate(const QList<TField*>& Fields,
                                                const QVariantList& Values,
                                                TLocateOptions Options) {
    const bool calculated = std::any_of(Fields.begin(), Fields.end(),
                                        [](const TField* f) { return f->FieldNo() <= 0; });
    for (QList<TRecord> window = Fetch(fdFirst, nullptr, 64); !window.isEmpty();
         window = Fetch(fdAfter, &window.last(), 64)) {
        for (TRecord& record : window) {
            if (calculated)
                CalculateFields(record);
            bool all = true;
            for (qsizetype i = 0; i < Fields.size() && all; ++i) {
                const TField* field = Fields[i];
                const Variant& stored = field->FieldNo() > 0
                                            ? record.Values.value(field->FieldNo() - 1)
                                            : record.Calculated.value(field->FCalcSlot);
                all = Matches(field, stored, Values[i], Options);
            }
            if (all)
                return record;
        }
    }
    return std::nullopt;
}

std::optional<TRecord> TDataSet::InternalNearest(const QList<TField*>& Fields,
                                                 const QVariantList& Values) {
    // As the engines order: texts by code point (folded for an index ignoring case), nulls
    // first ascending and last descending.
    const QList<bool> descending = IndexDescending();
    const bool fold = IndexIgnoresCase();
    const auto compare = [fold](const TField* Field, const Variant& A, const Variant& B) {
        if (VarIsNull(A) || VarIsNull(B))
            return VarIsNull(A) == VarIsNull(B) ? 0 : (VarIsNull(A) ? -1 : 1);
        if (IsTextField(Field))
            return fold ? CompareCodePoints(A.toString().toLower(), B.toString().toLower())
                        : CompareCodePoints(A.toString(), B.toString());
        if (VarSameValue(A, B))
            return 0;
        return QVariant::compare(A, B) == QPartialOrdering::Less ? -1 : 1;
    };
    const auto atOrAfter = [&](const TRecord& record) {
        for (qsizetype i = 0; i < Fields.size(); ++i) {
            const int order =
                compare(Fields[i], record.Values.value(Fields[i]->FieldNo() - 1), Values[i]);
            if (order != 0)
                return descending.value(i) ? order < 0 : order > 0;
        }
        return true;
    };
    for (QList<TRecord> window = Fetch(fdFirst, nullptr, 64); !window.isEmpty();
         window = Fetch(fdAfter, &window.last(), 64))
        for (const TRecord& record : window)
            if (atOrAfter(record))
                return record;
    return std::nullopt;
}

int TDataSet::KeyFieldCount() const {
    const int all = int(IndexFields().size());
    return FKeyFieldCount > 0 ? qMin(FKeyFieldCount, all) : all;
}

QList<TField*> TDataSet::KeyFields(int Count) const {
    const QStringList names = IndexFields();
    if (names.isEmpty())
        Fail(this, QStringLiteral("No index order for a key search"));
    QList<TField*> fields;
    for (int i = 0; i < Count && i < names.size(); ++i)
        fields << FieldByName(names[i]);
    return fields;
}

void TDataSet::SetKey() {
    CheckBrowseMode();
    KeyFields(0); // raises without an index order
    FKeyBuffer = TRecord();
    FKeyBuffer.Values.resize(FFieldDefs->Count());
    SetState(dsSetKey);
}

void TDataSet::EditKey() {
    CheckBrowseMode();
    KeyFields(0);
    FKeyBuffer.Values.resize(FFieldDefs->Count());
    SetState(dsSetKey);
}

QVariantList TDataSet::KeyValuesOf(const QList<TField*>& Fields) {
    QVariantList values;
    for (const TField* field : Fields)
        values << FKeyBuffer.Values.value(field->FieldNo() - 1);
    return values;
}

bool TDataSet::GotoKey() {
    if (FState != dsSetKey)
        Fail(this, QStringLiteral("Dataset not in set-key mode"));
    const QList<TField*> fields = KeyFields(KeyFieldCount());
    const QVariantList values = KeyValuesOf(fields);
    SetState(dsBrowse);
    TLocateOptions options;
    if (IndexIgnoresCase())
        options.Include(loCaseInsensitive);
    const std::optional<TRecord> found = FindFirst(fields, values, options);
    if (!found)
        return false;
    GoTo(*found);
    return true;
}

void TDataSet::GotoNearest() {
    if (FState != dsSetKey)
        Fail(this, QStringLiteral("Dataset not in set-key mode"));
    const QList<TField*> fields = KeyFields(KeyFieldCount());
    const QVariantList values = KeyValuesOf(fields);
    SetState(dsBrowse);
    std::optional<TRecord> found = SearchesInProcess() ? TDataSet::InternalNearest(fields, values)
                                                       : InternalNearest(fields, values);
    if (found) {
        GoTo(*found);
    } else {
        Last();
    }
}

QList<TField*> TDataSet::PrepareKey(const QVariantList& KeyValues) {
    SetKey();
    const QList<TField*> fields = KeyFields(int(KeyValues.size()));
    try {
        for (qsizetype i = 0; i < fields.size(); ++i)
            fields[i]->SetAsVariant(KeyValues[i]);
    } catch (...) {
        SetState(dsBrowse);
        throw;
    }
    return fields;
}

bool TDataSet::FindKey(const QVariantList& KeyValues) {
    const QList<TField*> fields = PrepareKey(KeyValues);
    TRestore<int> count(FKeyFieldCount, int(fields.size()));
    return GotoKey();
}

void TDataSet::FindNearest(const QVariantList& KeyValues) {
    const QList<TField*> fields = PrepareKey(KeyValues);
    TRestore<int> count(FKeyFieldCount, int(fields.size()));
    GotoNearest();
}

// ---- Fields --------------------------------------------------------------------------

int TDataSet::FieldCount() const {
    return FFields->Count();
}

TField* TDataSet::FindField(const QString& FieldName) const {
    return FFields->FindField(FieldName);
}

TField* TDataSet::FieldByName(const QString& FieldName) const {
    return FFields->FieldByName(FieldName);
}

Variant TDataSet::FieldValues(const QString& FieldNames) const {
    return ValuesOf(FFields->GetFieldList(FieldNames));
}

Variant TDataSet::Lookup(const QString& KeyFields, const Variant& KeyValues,
                         const QString& ResultFields) {
    CheckActive();
    const QList<TField*> keys = FFields->GetFieldList(KeyFields);
    std::optional<TRecord> found = FindFirst(keys, SearchValues(keys, KeyValues), {});
    if (!found)
        return Null();
    CalculateFields(*found);
    TRestore<TRecord*> record(FCalcRecord, &*found);
    TRestore<TDataSetState> state(FState, dsCalcFields);
    return FieldValues(ResultFields);
}

Variant TDataSet::GetFieldValue(const TField* Field) const {
    const TRecord* record = ActiveBuffer();
    if (!record)
        return Null();
    if (Field->FFieldNo > 0)
        return Field->FFieldNo <= record->Values.size() ? record->Values[Field->FFieldNo - 1]
                                                        : Null();
    if (Field->FCalcSlot >= 0 && Field->FCalcSlot < record->Calculated.size())
        return record->Calculated[Field->FCalcSlot];
    return Null();
}

void TDataSet::SetFieldValue(TField* Field, const Variant& Value) {
    if (FState == dsSetKey) {
        if (Field->FFieldNo > 0)
            FKeyBuffer.Values[Field->FFieldNo - 1] = Value;
        return;
    }
    const bool calculating = FState == dsCalcFields;
    if (!calculating) {
        if (!IsEditing())
            Fail(this, QStringLiteral("Dataset not in edit or insert mode"));
        if (Field->FieldKind() != fkData)
            Fail(this, QStringLiteral("Field '%1' cannot be modified").arg(Field->DisplayName()));
    }
    TRecord* record = ActiveBuffer();
    if (!record)
        return;
    if (Field->FFieldNo > 0)
        record->Values[Field->FFieldNo - 1] = Value;
    else if (Field->FCalcSlot >= 0 && Field->FCalcSlot < record->Calculated.size())
        record->Calculated[Field->FCalcSlot] = Value;
    if (calculating)
        return;
    FModified = true;
    // Lookup and calculated values of the edited record follow its data.
    if (FAutoCalcFields)
        CalculateFields(*record, Field);
    DataEvent(deFieldChange, reinterpret_cast<qintptr>(Field));
}

void TDataSet::CalculateFields(TRecord& Record, const TField* Changed) {
    if (FCalcSlotCount == 0)
        return;
    const bool partial = Changed && Record.Calculated.size() == FCalcSlotCount;
    // A lookup is kept when its keys are data fields other than the one changed.
    const auto kept = [partial, Changed](const TLookupKeys& Lookup) {
        return partial &&
               std::none_of(Lookup.Keys.cbegin(), Lookup.Keys.cend(), [Changed](const TField* Key) {
                   return Key == Changed || Key->FieldKind() != fkData;
               });
    };
    QVarLengthArray<std::pair<int, Variant>, 8> keptValues;
    for (const TLookupKeys& lookup : LookupKeys())
        if (lookup.Field->FCalcSlot >= 0 && kept(lookup))
            keptValues.append(
                {lookup.Field->FCalcSlot, Record.Calculated[lookup.Field->FCalcSlot]});
    Record.Calculated.fill(Null(), FCalcSlotCount);
    for (auto& [slot, value] : keptValues)
        Record.Calculated[slot] = std::move(value);
    TRestore<TRecord*> record(FCalcRecord, &Record);
    TRestore<TDataSetState> state(FState, dsCalcFields);
    for (const TLookupKeys& lookupKeys : LookupKeys()) {
        if (kept(lookupKeys))
            continue;
        const auto& [field, keyFields] = lookupKeys;
        TDataSet* lookup = field->LookupDataSet(); // gone when destroyed since
        if (!lookup)
            continue;
        const Variant keys = ValuesOf(keyFields);
        if (VarIsNull(keys))
            continue;
        if (field->LookupCache()) {
            if (auto cached = field->FindLookupListItem(keys))
                field->SetAsVariant(*cached);
        } else if (lookup->Active()) { // a closed lookup dataset leaves the value empty
            field->SetAsVariant(
                lookup->Lookup(field->LookupKeyFields(), keys, field->LookupResultField()));
        }
    }
    DoOnCalcFields();
}

const QList<TDataSet::TLookupKeys>& TDataSet::LookupKeys() {
    if (FLookupKeysOf != FFields->Generation()) {
        FLookupKeys.clear();
        for (TField* field : std::as_const(*FFields))
            if (field->FieldKind() == fkLookup && field->LookupDataSet())
                FLookupKeys.append({field, FFields->GetFieldList(field->KeyFields())});
        FLookupKeysOf = FFields->Generation();
    }
    return FLookupKeys;
}

void TDataSet::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TField* field : std::as_const(*FFields))
        if (field->Owner() == Root)
            Proc(field);
}

// ---- Events to links -----------------------------------------------------------------

void TDataSet::DataEvent(TDataEvent Event, qintptr Info) {
    if (Event == deFieldChange) {
        auto* field = reinterpret_cast<TField*>(Info);
        if (field)
            field->Changed();
    }
    if (FDisableCount > 0 && Event != deCheckBrowseMode && Event != deUpdateRecord &&
        Event != deFocusControl) {
        if (Event != deUpdateState) {
            FEventWhileDisabled = true;
            FLayoutWhileDisabled = FLayoutWhileDisabled || Event == deLayoutChange;
            return;
        }
        // A move between active states (browse, edit, insert) reaches the controls when
        // they are enabled again; an open or a close reaches them at once, so that they
        // let go of the fields.
        const bool opensOrCloses =
            FState == dsInactive ||
            std::any_of(FDataSources.cbegin(), FDataSources.cend(),
                        [](const TDataSource* Source) { return Source->State() == dsInactive; });
        if (!opensOrCloses) {
            FStateWhileDisabled = true;
            return;
        }
    }
    const QList<TDataSource*> sources = FDataSources;
    for (TDataSource* source : sources)
        source->DataEvent(Event, Info);
}

void TDataSet::AddDataSource(TDataSource* Source) {
    if (!FDataSources.contains(Source))
        FDataSources.append(Source);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* Source) {
    FDataSources.removeAll(Source);
    UpdateBufferCount();
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        if (auto* field = qobject_cast<TField*>(AComponent); field && field->DataSet() == this)
            FFields->Remove(field);
}
