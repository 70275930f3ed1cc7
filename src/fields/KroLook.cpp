#include "KroLook.h"

#include <QScopeGuard>
#include <QtEndian>
#include <charconv>
#include <db/DataSet.h>
#include <db/DateTimeText.h>
#include <forms/DiAdv.h>
#include <rtl/Exceptions.h>
#include <rtl/Filer.h>
#include <rtl/VariantRecord.h>

// ---- Levels ---------------------------------------------------------------------------

TKroLookupLevelItem::TKroLookupLevelItem(TCollection* Collection) : TDataSetColItem(Collection) {}

TKroLookupLevelCol::TKroLookupLevelCol(TPersistent* Owner)
    : TDataSetCol(Owner, &TKroLookupLevelItem::staticMetaObject) {}

TKroLookupLevelItem* TKroLookupLevelCol::ItemOrNull(int Index) const {
    return Index >= 0 && Index < Count() ? Items(Index) : nullptr;
}

TDataSet* TKroLookupLevelCol::DataSet(int Index) const {
    const TKroLookupLevelItem* item = ItemOrNull(Index);
    return item ? item->DataSet() : nullptr;
}

void TKroLookupLevelCol::SetDataSet(int Index, TDataSet* Value) {
    if (TKroLookupLevelItem* item = ItemOrNull(Index))
        item->SetDataSet(Value);
}

QString TKroLookupLevelCol::FilterField(int Index) const {
    const TKroLookupLevelItem* item = ItemOrNull(Index);
    return item ? item->FilterField() : QString();
}

QString TKroLookupLevelCol::KeyField(int Index) const {
    const TKroLookupLevelItem* item = ItemOrNull(Index);
    return item ? item->KeyField() : QString();
}

QString TKroLookupLevelCol::ResultFields(int Index) const {
    const TKroLookupLevelItem* item = ItemOrNull(Index);
    return item ? item->ResultFields() : QString();
}

void TKroLookupLevelCol::Forget(const TComponent* Component) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Names(Component))
            Items(i)->SetDataSet(nullptr);
}

// ---- Stored columns -------------------------------------------------------------------

namespace {

// The variant type code of a column's values; text for strings and blobs.
quint16 SlotCode(TFieldType Type) {
    switch (Type) {
    case ftSmallint:
        return varSmallint;
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return varInteger;
    case ftLargeint:
        return varInt64;
    case ftBoolean:
        return varBoolean;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return varDouble;
    case ftDate:
    case ftTime:
    case ftDateTime:
        return varDate;
    default:
        return varString;
    }
}

// The bytes a column takes in the record after its type code: its data size, but 8 for
// dates and times, which are kept as the 8-byte date-time number, and room for the first
// MemoStoredLength characters of a memo, whose field has no data size of its own.
int StoredDataSize(const TField* Field) {
    if (SlotCode(Field->DataType()) == varDate)
        return 8;
    if (Field->DataType() == ftMemo || Field->DataType() == ftFmtMemo)
        return (TKroLookField::MemoStoredLength + 1) * 2;
    return Field->DataSize();
}

// The 8 data bytes of a number slot's record (little-endian; a date as the day number).
void NumberData(const Variant& Value, quint16 Code, char* Data) {
    switch (Code) {
    case varSmallint:
        qToLittleEndian<qint16>(qint16(VarToInt(Value)), Data);
        return;
    case varInteger:
        qToLittleEndian<qint32>(qint32(VarToInt(Value)), Data);
        return;
    case varInt64:
        qToLittleEndian<qint64>(qint64(VarToInt(Value)), Data);
        return;
    case varBoolean:
        qToLittleEndian<qint16>(VarToBool(Value) ? -1 : 0, Data);
        return;
    case varDouble:
        qToLittleEndian<double>(VarToFloat(Value), Data);
        return;
    default: { // varDate
        const int type = Value.metaType().id();
        const bool dated =
            type == QMetaType::QDate || type == QMetaType::QTime || type == QMetaType::QDateTime;
        const QByteArray record = VariantToRecord(dated ? Value : VarToDateTime(Value));
        memcpy(Data, record.constData() + 8, 8);
    }
    }
}

// The value of a number slot's 8 data bytes, as the value record of Code gives it.
Variant NumberValue(const char* Data, quint16 Code) {
    switch (Code) {
    case varSmallint:
        return QVariant::fromValue<short>(qFromLittleEndian<qint16>(Data));
    case varInteger:
        return int(qFromLittleEndian<qint32>(Data));
    case varInt64:
        return qlonglong(qFromLittleEndian<qint64>(Data));
    case varBoolean:
        return qFromLittleEndian<qint16>(Data) != 0;
    case varDouble:
        return qFromLittleEndian<double>(Data);
    default: {
        QByteArray record(VariantRecordSize, '\0');
        qToLittleEndian<quint16>(Code, record.data());
        memcpy(record.data() + 8, Data, 8);
        return VariantFromRecord(record);
    }
    }
}

// A value read from its record, in the type the column's field gives.
Variant ValueOfType(const Variant& Value, TFieldType Type) {
    if (VarIsNull(Value))
        return Value;
    switch (Type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return Value.toInt();
    case ftDate:
        return VarToDateTime(Value).date();
    case ftTime:
        return VarToDateTime(Value).time();
    case ftDateTime:
        return VarToDateTime(Value);
    default:
        return Value;
    }
}

// Value as a field of Type writes it (dates and times without a display format).
QString TextOf(const Variant& Value, TFieldType Type = ftString) {
    if (Value.metaType().id() == QMetaType::QString)
        return *static_cast<const QString*>(Value.constData());
    if (VarIsNull(Value))
        return {};
    if (Type == ftDate || Type == ftTime || Type == ftDateTime)
        return DateTimeText(Value, DefaultDateTimeFormat(Type));
    if (Value.metaType().id() == QMetaType::QByteArray)
        return QString::fromUtf8(Value.toByteArray());
    return VarToStr(Value);
}

} // namespace

// ---- TKroLookField --------------------------------------------------------------------

TKroLookField::TKroLookField(TComponent* AOwner)
    : TStringField(AOwner), FLookupLevels(new TKroLookupLevelCol(this)) {}

QString TKroLookField::LookupResultField() const {
    if (FFullResultField.isEmpty())
        FFullResultField = TField::LookupResultField();
    return FFullResultField;
}

void TKroLookField::SetLookupResultField(const QString& Value) {
    TField::SetLookupResultField(Value);
    FFullResultField = Value;
}

void TKroLookField::SetLookupAddFields(const QString& Value) {
    CheckInactive();
    FLookupAddFields = Value;
}

void TKroLookField::SetLookupGridFields(const QString& Value) {
    CheckInactive();
    FLookupGridFields = Value;
}

void TKroLookField::SetStoreLookupData(bool Value) {
    CheckInactive();
    FStoreLookupData = Value;
}

QString TKroLookField::GetLookupFieldNames() const {
    QString names = LookupResultField();
    if (!FLookupAddFields.isEmpty())
        names += QLatin1Char(';') + FLookupAddFields;
    const QStringList before = SplitFieldNames(names);
    for (const QString& name : SplitFieldNames(FLookupGridFields))
        if (!before.contains(name, Qt::CaseInsensitive))
            names += QLatin1Char(';') + name;
    return names;
}

void TKroLookField::BuildFieldLists() {
    FResultFieldList.clear();
    FGridFieldList.clear();
    FResultCount = 0;
    TDataSet* lookup = LookupDataSet();
    const QString resultFields = LookupResultField();
    if (!lookup || resultFields.isEmpty())
        return;
    FResultCount = int(SplitFieldNames(resultFields).size());
    for (TField* field : lookup->Fields()->GetFieldList(GetLookupFieldNames()))
        FResultFieldList.append(field);
    for (TField* field : lookup->Fields()->GetFieldList(FLookupGridFields))
        FGridFieldList.append(field);
}

TField* TKroLookField::ResultField(int Index) const {
    return Index >= 0 && Index < FResultFieldList.size() ? FResultFieldList[Index].data() : nullptr;
}

TField* TKroLookField::GridField(int Index) const {
    return Index >= 0 && Index < FGridFieldList.size() ? FGridFieldList[Index].data() : nullptr;
}

QString TKroLookField::ColumnName(int Index) const {
    if (const TField* column = ResultField(Index))
        return column->FieldName();
    return Index >= 0 && Index < FSlots.size() ? FSlots[Index].Name : QString();
}

QString TKroLookField::GetFieldsText(const QString& FieldNames) const {
    QStringList texts;
    for (const QString& name : SplitFieldNames(FieldNames)) {
        for (int i = 0; i < FResultFieldList.size(); ++i) {
            if (ColumnName(i).compare(name, Qt::CaseInsensitive) == 0) {
                texts << (IsLookupField() ? ColumnText(i) : GetAsString());
                break;
            }
        }
    }
    return texts.join(QLatin1Char(' '));
}

int TKroLookField::LookupDisplayWidth() {
    BuildFieldLists();
    if (!LookupDataSet())
        return 0;
    int width = 0;
    for (int i = 0; i < FResultCount; ++i)
        if (const TField* column = ResultField(i))
            width += column->DisplayWidth();
    return width;
}

void TKroLookField::CheckLookupInfo() {
    TDataSet* lookup = LookupDataSet();
    if (!lookup)
        return;
    CheckFieldsExist(lookup, GetLookupFieldNames());
    if (!FLookupLevelUp.isEmpty())
        lookup->FieldByName(FLookupLevelUp);
    if (!FLookupLevelDown.isEmpty())
        lookup->FieldByName(FLookupLevelDown);
    for (int i = 0; i < FLookupLevels->Count(); ++i) {
        const TKroLookupLevelItem* level = FLookupLevels->Items(i);
        TDataSet* dataSet = level->DataSet();
        if (!dataSet || level->KeyField().isEmpty() || level->ResultFields().isEmpty())
            throw EDatabaseError(QStringLiteral("Lookup information for field '%1' is incomplete")
                                     .arg(DisplayName()));
        if (!dataSet->Active())
            dataSet->Open();
        dataSet->FieldByName(level->KeyField());
        CheckFieldsExist(dataSet, level->ResultFields());
    }
}

void TKroLookField::FillLookupList() {
    TDataSet* lookup = LookupDataSet();
    if (!lookup)
        return;
    const bool wasActive = lookup->Active();
    CheckLookupInfo();
    ClearLookupList();
    lookup->Open();
    const TBookmark position = lookup->GetBookmark();
    lookup->DisableControls();
    const auto restore = qScopeGuard([&] {
        if (!wasActive)
            lookup->Close();
        else if (!VarIsNull(position))
            lookup->GotoBookmark(position);
        lookup->EnableControls();
    });
    const QString names = GetLookupFieldNames();
    // Stored values are kept as the record data they give, laid out once per key.
    for (lookup->First(); !lookup->Eof(); lookup->Next()) {
        const Variant values = lookup->FieldValues(names);
        AddLookupListItem(lookup->FieldValues(LookupKeyFields()),
                          FStoreLookupData
                              ? QVariant::fromValue(TKroStoredLookupData{StoredRecord(values)})
                              : values);
    }
    SetLookupListFilled();
}

void TKroLookField::DataSetOpening() {
    TStringField::DataSetOpening();
    if (!IsLookupField())
        return;
    const QString platformFields = TField::LookupResultField();
    if (!platformFields.isEmpty()) {
        const qsizetype length = std::min(platformFields.size(), FFullResultField.size());
        if (length == 0 || platformFields.left(length) != FFullResultField.left(length))
            FFullResultField = platformFields; // the plain property was edited
    }
    int pos = 0;
    TField::SetLookupResultField(ExtractFieldName(FFullResultField, pos));
    // A cache held back by an open that did not reach the after-open hook stays designed.
    FSavedLookupCache = FSavedLookupCache || LookupCache();
    SetLookupCache(false);
    BuildFieldLists();
    BuildStoredSlots();
    if (FStoreLookupData && StoredSize() > MaxStoredDataSize) {
        ShowKroMessage(QStringLiteral("Out Limit"));
        Abort();
    }
}

void TKroLookField::PrepareAfterOpen() {
    TField::SetLookupResultField(GetLookupFieldNames());
    if (FSavedLookupCache) {
        SetLookupCache(true);
        FSavedLookupCache = false;
        FillLookupList();
    } else {
        CheckLookupInfo();
    }
}

void PrepareLookupFields(TDataSet* DataSet) {
    for (TField* field : *DataSet->Fields()) {
        auto* lookField = qobject_cast<TKroLookField*>(field);
        if (lookField && lookField->FieldKind() == fkLookup)
            lookField->PrepareAfterOpen();
    }
}

// ---- The record's data ----------------------------------------------------------------

void TKroLookField::BuildStoredSlots() {
    FSlots.clear();
    FStoredSize = 0;
    for (const QPointer<TField>& field : std::as_const(FResultFieldList)) {
        const TStoredSlot slot{field->FieldName(), field->DataType(), SlotCode(field->DataType()),
                               StoredDataSize(field), FStoredSize};
        FSlots.append(slot);
        FStoredSize += 2 + slot.Size;
    }
}

int TKroLookField::GetDataSize() const {
    if (IsLookupField() && FStoreLookupData)
        return StoredSize();
    return TStringField::GetDataSize();
}

void TKroLookField::WriteSlot(char* At, const TStoredSlot& Slot, const Variant& Value) {
    if (VarIsNull(Value)) {
        qToLittleEndian<quint16>(varNull, At);
        return;
    }
    qToLittleEndian<quint16>(Slot.Code, At);
    char* payload = At + 2;
    if (Slot.Code == varString) {
        // Zero-terminated UTF-16, cut to the slot.
        const QString text = TextOf(Value);
        const qsizetype units =
            std::max<qsizetype>(0, std::min<qsizetype>(text.size(), Slot.Size / 2 - 1));
        qToLittleEndian<quint16>(text.utf16(), units, payload);
        return;
    }
    char data[8] = {};
    NumberData(Value, Slot.Code, data);
    memcpy(payload, data, std::min(Slot.Size, 8));
}

QByteArray TKroLookField::StoredRecord(const Variant& Value) const {
    const QVariantList items = VarIsArray(Value) ? Value.toList() : QVariantList{Value};
    QByteArray data(StoredSize(), '\0');
    for (qsizetype i = 0; i < FSlots.size(); ++i)
        WriteSlot(data.data() + FSlots[i].Offset, FSlots[i], i < items.size() ? items[i] : Null());
    return data;
}

bool TKroLookField::KeptData(QByteArray& Data) const {
    if (!FStoreLookupData || InKeyState())
        return false;
    if (!GetData(Data))
        Data.clear();
    return true;
}

const char* TKroLookField::SlotPayload(const QByteArray& Data, int Index, quint16& Code) const {
    if (Index < 0 || Index >= FSlots.size() || Data.size() != StoredSize())
        return nullptr;
    const char* slotData = Data.constData() + FSlots[Index].Offset;
    Code = qFromLittleEndian<quint16>(slotData);
    return Code == varNull || Code == varEmpty ? nullptr : slotData + 2;
}

namespace {

// The UTF-16 units of a zero-terminated text slot of Size bytes.
qsizetype SlotTextLength(const char* Payload, int Size) {
    qsizetype length = 0;
    while (2 * length + 1 < Size && qFromLittleEndian<quint16>(Payload + 2 * length) != 0)
        ++length;
    return length;
}

void AppendSlotText(QString& Text, const char* Payload, qsizetype Length) {
    const qsizetype at = Text.size();
    Text.resize(at + Length);
    qFromLittleEndian<quint16>(Payload, Length, Text.data() + at);
}

} // namespace

Variant TKroLookField::SlotValue(const QByteArray& Data, int Index) const {
    quint16 code = varNull;
    const char* payload = SlotPayload(Data, Index, code);
    if (!payload)
        return Null();
    const TStoredSlot& slot = FSlots[Index];
    if (code == varString) {
        QString text;
        AppendSlotText(text, payload, SlotTextLength(payload, slot.Size));
        return text;
    }
    char number[8] = {};
    memcpy(number, payload, std::min(slot.Size, 8));
    return ValueOfType(NumberValue(number, code), slot.DataType);
}

bool TKroLookField::AppendKeptText(QString& Text, const QByteArray& Data, int Index) const {
    quint16 code = varNull;
    const char* payload = SlotPayload(Data, Index, code);
    if (!payload)
        return false;
    const TStoredSlot& slot = FSlots[Index];
    switch (code) {
    case varString:
        AppendSlotText(Text, payload, SlotTextLength(payload, slot.Size));
        return true;
    case varSmallint:
    case varInteger:
    case varInt64: {
        // Written straight into the text: no number text of its own.
        char number[8] = {};
        memcpy(number, payload, std::min(slot.Size, 8));
        const qint64 value = code == varSmallint  ? qFromLittleEndian<qint16>(number)
                             : code == varInteger ? qFromLittleEndian<qint32>(number)
                                                  : qFromLittleEndian<qint64>(number);
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        Text += QLatin1StringView(digits, end - digits);
        return true;
    }
    default:
        Text += TextOf(SlotValue(Data, Index), slot.DataType);
        return true;
    }
}

Variant TKroLookField::LocatedValue(int Index) const {
    TDataSet* owner = DataSet();
    TDataSet* lookup = LookupDataSet();
    if (!owner || !lookup || !lookup->Active() || KeyFields().isEmpty() ||
        Index >= FResultFieldList.size())
        return Null();
    const Variant keys = owner->FieldValues(KeyFields());
    if (VarIsNull(keys))
        return Null();
    // Locate would post a record being edited in the lookup dataset: read it without moving.
    if (lookup->IsEditing())
        return lookup->Lookup(LookupKeyFields(), keys, ColumnName(Index));
    if (!lookup->Locate(LookupKeyFields(), keys, {}))
        return Null();
    const TField* column = ResultField(Index);
    return column ? column->Value() : Null();
}

QString TKroLookField::KeyText() const {
    const TField* key = DataSet() ? DataSet()->FindField(KeyFields()) : nullptr;
    return key ? key->AsString() : QString();
}

Variant TKroLookField::GetAsVariant() const {
    if (!IsLookupField() || InKeyState())
        return TStringField::GetAsVariant();
    const int index = FCurrentIndex < 0 ? FLookupResultIndex : FCurrentIndex;
    if (index < 0)
        return AllColumnsText();
    return ColumnValue(index);
}

QString TKroLookField::GetAsString() const {
    if (!IsLookupField())
        return TStringField::GetAsString();
    return FCurrentIndex < 0 ? AllColumnsText() : ColumnText(FCurrentIndex);
}

bool TKroLookField::InKeyState() const {
    return DataSet() && DataSet()->State() == dsSetKey;
}

Variant TKroLookField::ColumnValue(int Index) const {
    if (!FStoreLookupData)
        return LocatedValue(Index);
    QByteArray data;
    return GetData(data) ? SlotValue(data, Index) : Null();
}

void TKroLookField::AppendColumnText(QString& Text, int Index, const QByteArray* Kept) const {
    if (Kept) {
        if (AppendKeptText(Text, *Kept, Index))
            return;
    } else if (const Variant value =
                   InKeyState() ? TStringField::GetAsVariant() : ColumnValue(Index);
               !VarIsNull(value)) {
        Text += TextOf(value, Index < FSlots.size() ? FSlots[Index].DataType : ftString);
        return;
    }
    if (!KeyFields().isEmpty() &&
        ColumnName(Index).compare(LookupKeyFields(), Qt::CaseInsensitive) == 0)
        Text += KeyText();
}

QString TKroLookField::ColumnText(int Index) const {
    QByteArray data;
    QString text;
    AppendColumnText(text, Index, KeptData(data) ? &data : nullptr);
    return text;
}

QString TKroLookField::AllColumnsText() const {
    QByteArray data;
    const QByteArray* kept = KeptData(data) ? &data : nullptr;
    QString text;
    for (int i = 0; i < FResultCount; ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        AppendColumnText(text, i, kept);
    }
    return text;
}

void TKroLookField::GetText(QString& Text, bool DisplayText) const {
    if (!IsLookupField()) {
        TStringField::GetText(Text, DisplayText);
        return;
    }
    const int saved = FCurrentIndex;
    const auto restore = qScopeGuard([&] { FCurrentIndex = saved; });
    if (DisplayText && FCurrentIndex < 0)
        FCurrentIndex = FLookupResultIndex;
    Text = GetAsString();
    if (!DisplayText || FCurrentIndex < 0)
        return;
    if (const TField* column = ResultField(FCurrentIndex))
        Text = PadString(Text, column->DisplayWidth(), column->Alignment());
}

bool TKroLookField::GetIsNull() const {
    const bool null = TStringField::GetIsNull();
    if (!null || !IsLookupField() || !FOptions.Contains(foValueNotInLookup) ||
        KeyFields().isEmpty() || !DataSet())
        return null;
    const QList<TField*> keys = DataSet()->Fields()->GetFieldList(KeyFields());
    return std::all_of(keys.begin(), keys.end(), [](const TField* key) { return key->IsNull(); });
}

void TKroLookField::SetAsVariant(const Variant& Value) {
    if (!IsLookupField()) {
        TStringField::SetAsVariant(Value);
        return;
    }
    if (FStoreLookupData && Value.metaType() == QMetaType::fromType<TKroStoredLookupData>()) {
        SetData(&static_cast<const TKroStoredLookupData*>(Value.constData())->Data);
    } else if (FStoreLookupData && !VarIsNull(Value)) {
        const QByteArray data = StoredRecord(Value);
        SetData(&data);
    } else {
        SetData(nullptr);
    }
}

void TKroLookField::SetAsString(const QString& Value) {
    if (!IsLookupField())
        TStringField::SetAsString(Value);
}

// ---- Streaming and notification -------------------------------------------------------

void TKroLookField::DefineProperties(TFiler& Filer) {
    TStringField::DefineProperties(Filer);
    DefineCollectionProperty(Filer, QStringLiteral("LookupLevelsData"), FLookupLevels);
}

void TKroLookField::Notification(TComponent* AComponent, TOperation Operation) {
    TStringField::Notification(AComponent, Operation);
    if (Operation == opRemove)
        FLookupLevels->Forget(AComponent);
}
