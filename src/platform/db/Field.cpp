#include "Field.h"

#include "DataSet.h"
#include "FieldDefs.h"

#include <QDataStream>
#include <QIODevice>
#include <cstring>
#include <iterator>
#include <rtl/Exceptions.h>

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    if (FDataSet)
        FDataSet->Fields()->Remove(this);
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet)
        return;
    if (FDataSet) {
        FDataSet->CheckInactive();
        FDataSet->Fields()->Remove(this);
    }
    if (Value) {
        Value->CheckInactive();
        Value->Fields()->Add(this);
    }
}

bool TField::IsStoredProp(const QString& Name) const {
    if (Name == QLatin1String("DisplayLabel"))
        return !FDisplayLabel.isEmpty();
    if (Name == QLatin1String("DisplayWidth"))
        return FDisplayWidth > 0;
    return TComponent::IsStoredProp(Name);
}

TComponent* TField::GetParentComponent() const {
    return FDataSet;
}

void TField::SetParentComponent(TComponent* Value) {
    if (auto* dataSet = qobject_cast<TDataSet*>(Value))
        SetDataSet(dataSet);
}

void TField::CheckInactive() const {
    if (FDataSet)
        FDataSet->CheckInactive();
}

bool TField::CanModify() const {
    if (FReadOnly || FFieldKind != fkData || !FDataSet)
        return false;
    return FDataSet->CanModify();
}

int TField::Index() const {
    return FDataSet ? FDataSet->Fields()->IndexOf(this) : -1;
}

void TField::SetIndex(int Value) {
    if (!FDataSet)
        return;
    const int count = FDataSet->Fields()->Count();
    FDataSet->Fields()->Move(Index(), qBound(0, Value, count - 1));
    if (FDataSet->Active())
        FDataSet->DataEvent(deLayoutChange);
}

void TField::SetAlignment(TAlignment Value) {
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(deLayoutChange);
}

void TField::SetDisplayLabel(const QString& Value) {
    FDisplayLabel = Value == FFieldName ? QString() : Value;
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(deLayoutChange);
}

void TField::SetDisplayWidth(int Value) {
    FDisplayWidth = Value;
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(deLayoutChange);
}

void TField::SetVisible(bool Value) {
    if (FVisible == Value)
        return;
    FVisible = Value;
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(deLayoutChange);
}

void TField::SetFieldKind(TFieldKind Value) {
    if (FFieldKind == Value)
        return;
    CheckInactive();
    FFieldKind = Value;
}

void TField::SetFieldName(const QString& Value) {
    CheckInactive();
    if (FDataSet && !Value.isEmpty()) {
        TField* other = FDataSet->Fields()->FindField(Value);
        if (other && other != this)
            throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(Value));
    }
    FFieldName = Value;
    if (FDataSet)
        FDataSet->Fields()->NamesChanged();
}

void TField::SetKeyFields(const QString& Value) {
    CheckInactive();
    FKeyFields = Value;
}

void TField::SetLookupDataSet(TDataSet* Value) {
    CheckInactive();
    if (FLookupDataSet)
        FLookupDataSet->RemoveFreeNotification(this);
    FLookupDataSet = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TField::SetLookupKeyFields(const QString& Value) {
    CheckInactive();
    FLookupKeyFields = Value;
}

void TField::SetLookupResultField(const QString& Value) {
    CheckInactive();
    FLookupResultField = Value;
}

void TField::SetLookupCache(bool Value) {
    FLookupCache = Value;
    if (!Value)
        ClearLookupList();
}

void TField::SetSize(int Value) {
    CheckInactive();
    FSize = Value;
}

void TField::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FLookupDataSet)
        FLookupDataSet = nullptr;
}

void TField::BindToDef(const TFieldDef* Def) {
    if (FSize == 0 && Def->Size() > 0)
        FSize = Def->Size();
}

QString TField::DisplayName() const {
    return DisplayLabel();
}

// ---- Values --------------------------------------------------------------------------

Variant TField::StoredValue() const {
    return FDataSet ? FDataSet->GetFieldValue(this) : Null();
}

int TField::GetDataSize() const {
    return 0;
}

Variant TField::GetAsVariant() const {
    return StoredValue();
}

void TField::SetAsVariant(const Variant& Value) {
    if (!FDataSet)
        throw EDatabaseError(QStringLiteral("Field '%1' has no dataset").arg(DisplayName()));
    const Variant converted = CheckedValue(Value);
    const TDataSetState state = FDataSet->State();
    if (state != dsCalcFields && state != dsSetKey && !CanModify() && FFieldKind == fkData)
        throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(DisplayName()));
    FDataSet->SetFieldValue(this, converted);
}

Variant TField::CheckedValue(const Variant& Value) const {
    return VarIsNull(Value) ? Null() : ConvertValue(Value);
}

Variant TField::ConvertValue(const Variant& Value) const {
    return Value;
}

namespace {

// The decimal text of an integer, without the general number formatting.
QString IntegerText(qint64 Value) {
    char16_t digits[20]; // a sign and 19 digits
    qsizetype at = std::size(digits);
    quint64 magnitude = Value < 0 ? 0 - quint64(Value) : quint64(Value);
    do {
        digits[--at] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (Value < 0)
        digits[--at] = u'-';
    return QString(reinterpret_cast<const QChar*>(digits + at), qsizetype(std::size(digits)) - at);
}

} // namespace

QString TField::GetAsString() const {
    const Variant v = GetAsVariant();
    const int type = v.metaType().id();
    // A text needs no null test: a null one holds the empty text.
    if (type == QMetaType::QString)
        return *static_cast<const QString*>(v.constData());
    if (VarIsNull(v))
        return {};
    switch (type) {
    case QMetaType::Int:
        return IntegerText(*static_cast<const int*>(v.constData()));
    case QMetaType::LongLong:
        return IntegerText(*static_cast<const qint64*>(v.constData()));
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        return VarToStr(v);
    }
}

void TField::SetAsString(const QString& Value) {
    SetAsVariant(Value);
}

bool TField::GetIsNull() const {
    return VarIsNull(GetAsVariant());
}

qint64 TField::AsInteger() const {
    return VarToInt(GetAsVariant());
}

double TField::AsFloat() const {
    return VarToFloat(GetAsVariant());
}

bool TField::AsBoolean() const {
    return VarToBool(GetAsVariant());
}

QDateTime TField::AsDateTime() const {
    return VarToDateTime(GetAsVariant());
}

QByteArray TField::AsBytes() const {
    const Variant v = GetAsVariant();
    return v.metaType().id() == QMetaType::QString ? v.toString().toUtf8() : v.toByteArray();
}

void TField::GetText(QString& Text, bool) const {
    Text = GetAsString();
}

void TField::SetTextValue(const QString& Value) {
    SetAsString(Value);
}

int TField::DefaultDisplayWidth() const {
    return FSize > 0 ? FSize : 10;
}

QString TField::Text() const {
    QString text;
    if (FOnGetText)
        FOnGetText(const_cast<TField*>(this), text, false);
    else
        GetText(text, false);
    return text;
}

QString TField::DisplayText() const {
    QString text;
    if (FOnGetText)
        FOnGetText(const_cast<TField*>(this), text, true);
    else
        GetText(text, true);
    return text;
}

void TField::SetText(const QString& Value) {
    if (FOnSetText)
        FOnSetText(this, Value);
    else
        SetTextValue(Value);
}

bool TField::GetData(QByteArray& Buffer) const {
    const Variant v = StoredValue();
    if (VarIsNull(v))
        return false;
    Buffer = v.toByteArray();
    return true;
}

void TField::SetData(const QByteArray* Buffer) {
    if (!FDataSet)
        return;
    if (Buffer && DataSize() > 0 && Buffer->size() > DataSize())
        throw EDatabaseError(
            QStringLiteral("Data of field '%1' exceed its size").arg(DisplayName()));
    FDataSet->SetFieldValue(this, Buffer ? Variant(*Buffer) : Null());
}

void TField::Changed() {
    FOnChange(this);
}

void TField::FocusControl() {
    if (FDataSet && FDataSet->Active())
        FDataSet->DataEvent(deFocusControl, reinterpret_cast<qintptr>(this));
}

void TField::RangeError(const QString& Value, const QString& Min, const QString& Max) const {
    throw EDatabaseError(
        QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
            .arg(Value, DisplayName(), Min, Max));
}

void TField::ConvertError(const QString& Value, const char* TypeName) const {
    throw EConvertError(
        QStringLiteral("'%1' is not a valid %2 value").arg(Value, QString::fromLatin1(TypeName)));
}

namespace {

// Appends the form of Key that LookupKeyOf gives.
void AppendLookupKey(QByteArray& Out, const Variant& Key) {
    if (VarIsNull(Key)) {
        Out += 'N';
    } else if (VarIsArray(Key)) {
        const QVariantList items = Key.toList();
        Out += 'A' + QByteArray::number(items.size()) + ':';
        for (const QVariant& item : items)
            AppendLookupKey(Out, item);
    } else if (VarIsNumeric(Key)) {
        double number = Key.toDouble();
        if (number == 0)
            number = 0; // -0 is 0
        Out += 'D';
        Out.append(reinterpret_cast<const char*>(&number), sizeof number);
    } else if (Key.metaType().id() == QMetaType::QString) {
        const QString text = Key.toString();
        Out += 'S' + QByteArray::number(text.size()) + ':';
        Out.append(reinterpret_cast<const char*>(text.constData()), text.size() * 2);
    } else {
        QByteArray value;
        QDataStream stream(&value, QIODevice::WriteOnly);
        stream << Key;
        Out += 'V' + QByteArray::number(value.size()) + ':' + value;
    }
}

// A form of Key equal for keys VarSameValue finds the same: numbers by their value
// whatever their type, arrays element by element, any other value by type and content.
QByteArray LookupKeyOf(const Variant& Key) {
    QByteArray key;
    AppendLookupKey(key, Key);
    return key;
}

// The bits of a number key's value, -0 taken as 0.
quint64 NumberKeyOf(const Variant& Key) {
    double number = Key.toDouble();
    if (number == 0)
        number = 0;
    quint64 bits;
    memcpy(&bits, &number, sizeof bits);
    return bits;
}

} // namespace

void TField::ClearLookupList() {
    FLookupList.clear();
    FLookupIndex.clear();
    FLookupNumberIndex.clear();
    FLookupListFilled = false;
}

void TField::AddLookupListItem(const Variant& Key, const Variant& Value) {
    // The first pair of a key is the one found.
    if (VarIsNumeric(Key)) {
        const quint64 key = NumberKeyOf(Key);
        if (!FLookupNumberIndex.contains(key))
            FLookupNumberIndex.insert(key, FLookupList.size());
    } else if (const QByteArray key = LookupKeyOf(Key); !FLookupIndex.contains(key)) {
        FLookupIndex.insert(key, FLookupList.size());
    }
    FLookupList.append({Key, Value});
}

std::optional<Variant> TField::FindLookupListItem(const Variant& Key) const {
    qsizetype index = -1;
    if (VarIsNumeric(Key))
        index = FLookupNumberIndex.value(NumberKeyOf(Key), -1);
    else
        index = FLookupIndex.value(LookupKeyOf(Key), -1);
    if (index < 0)
        return std::nullopt;
    return FLookupList[index].second;
}

// ---- Field lists ---------------------------------------------------------------------

TField* TFields::Fields(int Index) const {
    if (Index < 0 || Index >= FList.size())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return FList[Index];
}

namespace {

// Writes Name with its ASCII letters in lower case to Out (Name.size() units); false when
// Name holds a character beyond ASCII, which takes the general case mapping.
bool FoldAscii(const QString& Name, char16_t* Out) {
    for (qsizetype i = 0; i < Name.size(); ++i) {
        const char16_t c = Name[i].unicode();
        if (c >= 0x80)
            return false;
        Out[i] = c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
    }
    return true;
}

// Looks Name up in a map by lower-case names; a short name is folded on the stack, so
// that a lookup by a literal name allocates nothing.
TField* ByLowerCaseName(const QHash<QString, TField*>& Map, const QString& Name) {
    constexpr qsizetype Short = 64;
    char16_t folded[Short];
    if (Name.size() > Short || !FoldAscii(Name, folded))
        return Map.value(Name.toLower());
    return Map.value(QString::fromRawData(reinterpret_cast<const QChar*>(folded), Name.size()));
}

// The key of Name in such a map.
QString LowerCaseName(const QString& Name) {
    QString lower(Name.size(), Qt::Uninitialized);
    return FoldAscii(Name, reinterpret_cast<char16_t*>(lower.data())) ? lower : Name.toLower();
}

} // namespace

TField* TFields::FindField(const QString& Name) const {
    if (FByName.isEmpty() && !FList.isEmpty())
        for (qsizetype i = FList.size() - 1; i >= 0; --i) // the first of a name wins
            FByName.insert(LowerCaseName(FList[i]->FieldName()), FList[i]);
    return ByLowerCaseName(FByName, Name);
}

TField* TFields::FieldByName(const QString& Name) const {
    TField* field = FindField(Name);
    if (!field) {
        const QString owner = FDataSet ? FDataSet->Name() : QString();
        throw EDatabaseError(owner.isEmpty()
                                 ? QStringLiteral("Field '%1' not found").arg(Name)
                                 : QStringLiteral("%1: Field '%2' not found").arg(owner, Name));
    }
    return field;
}

QList<TField*> TFields::GetFieldList(const QString& Names) const {
    if (const auto known = FLists.constFind(Names); known != FLists.cend())
        return *known;
    QList<TField*> result;
    for (const QString& name : SplitFieldNames(Names))
        result << FieldByName(name);
    FLists.insert(Names, result);
    return result;
}

Variant ValuesOf(const QList<TField*>& Fields) {
    if (Fields.size() == 1)
        return Fields.first()->Value();
    QVariantList values;
    for (const TField* field : Fields)
        values << field->Value();
    return values;
}

void TFields::Add(TField* Field) {
    const QString name = Field->FieldName();
    if (!name.isEmpty() && FindField(name))
        throw EDatabaseError(QStringLiteral("Duplicate field name '%1'").arg(name));
    FList.append(Field);
    Field->FDataSet = FDataSet;
    // The search above built the name map: it takes the new name rather than being built
    // again for every field a dataset adds while it opens.
    if (!name.isEmpty() && !FByName.isEmpty())
        FByName.insert(LowerCaseName(name), Field);
    FLists.clear();
    ++FGeneration;
}

void TFields::Remove(TField* Field) {
    if (FList.removeOne(Field))
        Field->FDataSet = nullptr;
    NamesChanged();
}

void TFields::Move(int CurIndex, int NewIndex) {
    if (CurIndex < 0 || CurIndex >= FList.size() || NewIndex == CurIndex)
        return;
    FList.move(CurIndex, NewIndex);
}

QString ExtractFieldName(const QString& Fields, int& Pos) {
    int end = Pos;
    while (end < Fields.size() && Fields[end] != QLatin1Char(';'))
        ++end;
    const QString name = Fields.mid(Pos, end - Pos).trimmed();
    Pos = end < Fields.size() ? end + 1 : end;
    return name;
}

QStringList SplitFieldNames(const QString& Fields) {
    QStringList names;
    int pos = 0;
    while (pos < Fields.size()) {
        const QString name = ExtractFieldName(Fields, pos);
        if (!name.isEmpty())
            names << name;
    }
    return names;
}
