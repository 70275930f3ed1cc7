#pragma once

#include "FieldType.h"

#include <QHash>
#include <rtl/Alignment.h>
#include <rtl/Component.h>
#include <rtl/Variant.h>

class TDataSet;
class TField;

PUBLISHED_ENUM(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)

using TFieldNotifyEvent = TEvent<TField*>;
using TFieldGetTextEvent = TEvent<TField*, QString&, bool>;
using TFieldSetTextEvent = TEvent<TField*, const QString&>;

// A column of a dataset's records, or a value calculated or looked up for each record.
// The value of the dataset's active record is read and written through the field; the
// typed descendants convert between their type and text. Calculated and lookup fields
// keep their values per record in the dataset's calculated slots, which a field class
// may also fill with raw bytes (up to DataSize) through GetData and SetData.
class TField : public TComponent {
    Q_OBJECT
    Q_MOC_INCLUDE("db/DataSet.h")
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(QString DisplayLabel READ DisplayLabel WRITE SetDisplayLabel)
    Q_PROPERTY(int DisplayWidth READ DisplayWidth WRITE SetDisplayWidth)
    Q_PROPERTY(QString EditMask READ EditMask WRITE SetEditMask)
    Q_PROPERTY(TFieldKind FieldKind READ FieldKind WRITE SetFieldKind)
    Q_PROPERTY(QString FieldName READ FieldName WRITE SetFieldName)
    Q_PROPERTY(int Index READ Index WRITE SetIndex STORED false)
    Q_PROPERTY(QString KeyFields READ KeyFields WRITE SetKeyFields)
    Q_PROPERTY(TDataSet* LookupDataSet READ LookupDataSet WRITE SetLookupDataSet)
    Q_PROPERTY(QString LookupKeyFields READ LookupKeyFields WRITE SetLookupKeyFields)
    Q_PROPERTY(QString LookupResultField READ LookupResultField WRITE SetLookupResultField)
    Q_PROPERTY(bool LookupCache READ LookupCache WRITE SetLookupCache)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(bool Required READ Required WRITE SetRequired)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool Calculated READ Calculated WRITE SetCalculated STORED false)
    Q_PROPERTY(bool Lookup READ Lookup WRITE SetLookup STORED false)
    Q_PROPERTY(TDataSet* DataSet READ DataSet WRITE SetDataSet STORED false)
    Q_PROPERTY(TFieldNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TFieldNotifyEvent OnValidate READ OnValidate WRITE SetOnValidate)
    Q_PROPERTY(TFieldGetTextEvent OnGetText READ OnGetText WRITE SetOnGetText)
    Q_PROPERTY(TFieldSetTextEvent OnSetText READ OnSetText WRITE SetOnSetText)
public:
    Q_INVOKABLE explicit TField(TComponent* AOwner = nullptr);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    TFieldType DataType() const { return FDataType; }
    // 1-based column of the dataset's records for a data field; 0 for the others.
    int FieldNo() const { return FFieldNo; }
    int DataSize() const { return GetDataSize(); }
    bool CanModify() const;
    bool IsBlob() const { return IsBlobType(FDataType); }

    // The value of the dataset's current record.
    Variant Value() const { return GetAsVariant(); }
    void SetValue(const Variant& V) { SetAsVariant(V); }
    Variant AsVariant() const { return GetAsVariant(); }
    QString AsString() const { return GetAsString(); }
    qint64 AsInteger() const;
    void SetAsInteger(qint64 V) { SetAsVariant(V); }
    double AsFloat() const;
    void SetAsFloat(double V) { SetAsVariant(V); }
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double V) { SetAsFloat(V); }
    bool AsBoolean() const;
    void SetAsBoolean(bool V) { SetAsVariant(V); }
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime& V) { SetAsVariant(V); }
    QByteArray AsBytes() const;
    bool IsNull() const { return GetIsNull(); }
    void Clear() { SetAsVariant(Null()); }

    // Text for editing (DisplayText false) or for showing; OnGetText takes precedence.
    QString Text() const;
    QString DisplayText() const;
    void SetText(const QString& Value);
    QString DisplayName() const;

    // The raw bytes of a calculated or lookup field's slot: false when it holds nothing.
    bool GetData(QByteArray& Buffer) const;
    void SetData(const QByteArray* Buffer);

    // Checks a value against the field without storing it; raises as storing would.
    Variant CheckedValue(const Variant& V) const;
    void FocusControl();

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& Value);
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
    void SetDisplayWidth(int Value);
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& Value) { FEditMask = Value; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    int Index() const;
    void SetIndex(int Value);
    QString KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& Value);
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* Value);
    QString LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const QString& Value);
    QString LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const QString& Value);
    bool LookupCache() const { return FLookupCache; }
    void SetLookupCache(bool Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Calculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool Value) { SetFieldKind(Value ? fkCalculated : fkData); }
    bool Lookup() const { return FFieldKind == fkLookup; }
    void SetLookup(bool Value) { SetFieldKind(Value ? fkLookup : fkData); }
    TFieldNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(const TFieldNotifyEvent& V) { FOnChange = V; }
    TFieldNotifyEvent OnValidate() const { return FOnValidate; }
    void SetOnValidate(const TFieldNotifyEvent& V) { FOnValidate = V; }
    TFieldGetTextEvent OnGetText() const { return FOnGetText; }
    void SetOnGetText(const TFieldGetTextEvent& V) { FOnGetText = V; }
    TFieldSetTextEvent OnSetText() const { return FOnSetText; }
    void SetOnSetText(const TFieldSetTextEvent& V) { FOnSetText = V; }

    // Pairs of key and looked-up value kept when LookupCache is set. Each open empties the
    // list and fills it once: a field class that fills it itself while the dataset opens
    // marks it filled, and the dataset leaves it as it is. Clearing makes it unfilled.
    void ClearLookupList();
    void AddLookupListItem(const Variant& Key, const Variant& Value);
    std::optional<Variant> FindLookupListItem(const Variant& Key) const;
    bool LookupListFilled() const { return FLookupListFilled; }
    void SetLookupListFilled() { FLookupListFilled = true; }

    bool HasParent() const override { return true; }
    // A label or width that only repeats the default is not stored.
    bool IsStoredProp(const QString& Name) const override;
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    // The operations typed fields and the library's field classes override.
    virtual Variant GetAsVariant() const;
    virtual void SetAsVariant(const Variant& Value);
    virtual QString GetAsString() const;
    virtual void SetAsString(const QString& Value);
    virtual bool GetIsNull() const;
    virtual void GetText(QString& Text, bool DisplayText) const;
    // Called once per open of the dataset, in dsOpening, once all its fields exist and
    // before lookup lists are filled or any record is read: a field prepares itself here.
    virtual void DataSetOpening() {}

protected:
    virtual int GetDataSize() const;
    virtual void SetTextValue(const QString& Value);
    virtual int DefaultDisplayWidth() const;
    // Converts a value to the field's stored form; raises EConvertError or
    // EDatabaseError for a value that does not fit.
    virtual Variant ConvertValue(const Variant& Value) const;
    void SetDataType(TFieldType Value) { FDataType = Value; }
    void Notification(TComponent* AComponent, TOperation Operation) override;
    [[noreturn]] void RangeError(const QString& Value, const QString& Min,
                                 const QString& Max) const;
    [[noreturn]] void ConvertError(const QString& Value, const char* TypeName) const;
    void CheckInactive() const;

private:
    friend class TDataSet;
    friend class TFields;
    // Raw value of the active record, as stored.
    Variant StoredValue() const;
    void Changed();
    // Takes the size of the column the field shows.
    void BindToDef(const class TFieldDef* Def);

    TDataSet* FDataSet = nullptr;
    TFieldType FDataType = ftUnknown;
    int FFieldNo = 0;
    int FCalcSlot = -1;
    bool FDefaultField = false; // created from a column, destroyed at close
    TAlignment FAlignment = taLeftJustify;
    QString FDisplayLabel;
    int FDisplayWidth = 0;
    QString FEditMask;
    TFieldKind FFieldKind = fkData;
    QString FFieldName;
    QString FKeyFields;
    TDataSet* FLookupDataSet = nullptr;
    QString FLookupKeyFields;
    QString FLookupResultField;
    bool FLookupCache = false;
    bool FReadOnly = false;
    bool FRequired = false;
    int FSize = 0;
    bool FVisible = true;
    // The lookup pairs in the order added, and the place of each key's first pair by its
    // normalised form (LookupKeyOf; a single number by its value's bits), so that finding a
    // key costs the same however many.
    QList<QPair<Variant, Variant>> FLookupList;
    QHash<QByteArray, qsizetype> FLookupIndex;
    QHash<quint64, qsizetype> FLookupNumberIndex;
    bool FLookupListFilled = false;
    TFieldNotifyEvent FOnChange, FOnValidate;
    TFieldGetTextEvent FOnGetText;
    TFieldSetTextEvent FOnSetText;
};

// The fields of a dataset, in their order. Fields are owned by the dataset's owner when
// declared in a form file, and by the dataset when created from its columns.
class TFields {
public:
    explicit TFields(TDataSet* DataSet) : FDataSet(DataSet) {}
    int Count() const { return int(FList.size()); }
    TField* Fields(int Index) const;
    TField* operator[](int Index) const { return Fields(Index); }
    TField* FindField(const QString& Name) const; // ignores case
    TField* FieldByName(const QString& Name) const;
    // Fields named in a ";"-separated list, in its order; raises for an unknown name.
    QList<TField*> GetFieldList(const QString& Names) const;
    int IndexOf(const TField* Field) const { return int(FList.indexOf(Field)); }
    // Changes whenever a field joins or leaves the list or a name changes.
    quint64 Generation() const { return FGeneration; }
    void Add(TField* Field);
    void Remove(TField* Field);
    void Move(int CurIndex, int NewIndex);
    auto begin() const { return FList.begin(); }
    auto end() const { return FList.end(); }

private:
    friend class TField;
    void NamesChanged() {
        FByName.clear();
        FLists.clear();
        ++FGeneration;
    }

    TDataSet* FDataSet;
    QList<TField*> FList;
    mutable QHash<QString, TField*> FByName; // lower-case name; built on first search
    // GetFieldList's answers by the text asked: lookups ask for the same keys every record.
    mutable QHash<QString, QList<TField*>> FLists;
    quint64 FGeneration = 1;
};

// The values of Fields in the current record: one value, or the list of the values of
// several (as TDataSet::FieldValues gives them).
Variant ValuesOf(const QList<TField*>& Fields);

// The next name of a ";"-separated field list, from Pos on; Pos moves past it.
QString ExtractFieldName(const QString& Fields, int& Pos);
QStringList SplitFieldNames(const QString& Fields);
