#pragma once

// The library's lookup field. Its LookupResultField names several columns of the lookup
// dataset ("id;Name"): the field gives the text of all of them, of one, or their values.
// With StoreLookupData the looked-up values are kept in the owning dataset's record, so
// showing a record does not search the lookup dataset again. The field also carries the
// settings the lookup combo and the grid's lookup editor read from it: the column shown,
// a header line, a filter, a hierarchy inside the lookup table and a chain of parent lists
// (levels).

#include <QPointer>
#include <dataset/KroDB.h>
#include <db/Fields.h>
#include <rtl/Collection.h>
#include <rtl/Color.h>

class TKroLookField;

PUBLISHED_ENUM(TKroLookFieldOption, foAutoCodeName, foAutoDropDown, foAutoDropDownWidth,
               foEditWindow, foEditOnEnter, foKeyFieldEdit, foUpDownInClose, foValueNotInLookup,
               foUserOption)
using TKroLookFieldOptions = TSet<TKroLookFieldOption>;
// The options fit in two bytes.
static_assert(foUserOption < 16);
inline constexpr TKroLookFieldOptions KroLookFieldDefaultOptions{foEditWindow, foKeyFieldEdit,
                                                                 foUpDownInClose};

// Supplies the filter value for LookupFilterField (the result).
using TOnFieldFilterEvent = TEvent<TObject*, QString&>;
// Text the user typed into a lookup combo, given to the application.
using TOnFieldSetEditEvent = TEvent<TField*, const QString&>;

// One parent list of a lookup: a dataset (cleared when it goes), its key field and the
// fields it shows.
class TKroLookupLevelItem : public TDataSetColItem {
    Q_OBJECT
    Q_PROPERTY(QString FilterField READ FilterField WRITE SetFilterField)
    Q_PROPERTY(QString KeyField READ KeyField WRITE SetKeyField)
    Q_PROPERTY(QString ResultFields READ ResultFields WRITE SetResultFields)
public:
    Q_INVOKABLE explicit TKroLookupLevelItem(TCollection* Collection = nullptr);

    QString FilterField() const { return FFilterField; }
    void SetFilterField(const QString& Value) { FFilterField = Value; }
    QString KeyField() const { return FKeyField; }
    void SetKeyField(const QString& Value) { FKeyField = Value; }
    QString ResultFields() const { return FResultFields; }
    void SetResultFields(const QString& Value) { FResultFields = Value; }

private:
    QString FFilterField;
    QString FKeyField;
    QString FResultFields;
};

// The levels of a lookup field or combo, which owns the collection. The accessors by index
// give nil or "" for an index beyond the items, and setting a dataset there does nothing.
class TKroLookupLevelCol : public TDataSetCol {
    Q_OBJECT
public:
    explicit TKroLookupLevelCol(TPersistent* Owner);

    TKroLookupLevelItem* Items(int Index) const {
        return static_cast<TKroLookupLevelItem*>(TCollection::Items(Index));
    }
    TDataSet* DataSet(int Index) const;
    void SetDataSet(int Index, TDataSet* Value);
    QString FilterField(int Index) const;
    QString KeyField(int Index) const;
    QString ResultFields(int Index) const;
    // Clears the dataset of every level that names Component.
    void Forget(const TComponent* Component);

private:
    TKroLookupLevelItem* ItemOrNull(int Index) const;
};

// A lookup list entry of a field with StoreLookupData: the record data of the key's
// columns, laid out in the field's stored slots once when the list is filled.
struct TKroStoredLookupData {
    QByteArray Data;
};

// A string field that, as a lookup field, returns several columns of its lookup dataset.
//
// At every open of its dataset (DataSetOpening) the platform's own LookupResultField is cut
// to the first result column and a designed LookupCache is held back; the library's
// after-open hook (PrepareLookupFields, for TKroTable and TKroQuery) then sets it to all the
// columns the field reads (result, additional and grid fields), so that the platform's
// lookup returns them as an array, and fills the cache itself. Between opens the platform
// property holds that combined list.
class TKroLookField : public TStringField {
    Q_OBJECT
    Q_PROPERTY(QString LookupResultField READ LookupResultField WRITE SetLookupResultField)
    Q_PROPERTY(int ListFieldIndex READ ListFieldIndex WRITE SetListFieldIndex)
    // Stored as "LookupLevelsData", the collection's items.
    Q_PROPERTY(TKroLookupLevelCol* LookupLevels READ LookupLevels STORED false)
    Q_PROPERTY(QString LookupFilterField READ LookupFilterField WRITE SetLookupFilterField)
    Q_PROPERTY(QString LookupLevelUp READ LookupLevelUp WRITE SetLookupLevelUp)
    Q_PROPERTY(QString LookupFilterKey READ LookupFilterKey WRITE SetLookupFilterKey)
    Q_PROPERTY(QString LookupLevelDown READ LookupLevelDown WRITE SetLookupLevelDown)
    Q_PROPERTY(QString LookupAddFields READ LookupAddFields WRITE SetLookupAddFields)
    Q_PROPERTY(QString LookupGridFields READ LookupGridFields WRITE SetLookupGridFields)
    Q_PROPERTY(int LookupResultIndex READ LookupResultIndex WRITE SetLookupResultIndex)
    Q_PROPERTY(bool HeadLine READ HeadLine WRITE SetHeadLine)
    Q_PROPERTY(TColor HeadColor READ HeadColor WRITE SetHeadColor)
    Q_PROPERTY(TKroLookFieldOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TOnEditDataEvent OnEditData READ OnEditData WRITE SetOnEditData)
    Q_PROPERTY(TOnFieldFilterEvent OnFilter READ OnFilter WRITE SetOnFilter)
    Q_PROPERTY(TOnFieldSetEditEvent SetEditValue READ SetEditValue WRITE SetSetEditValue)
    Q_PROPERTY(bool OnlyEqualInFilter READ OnlyEqualInFilter WRITE SetOnlyEqualInFilter)
    Q_PROPERTY(bool StoreLookupData READ StoreLookupData WRITE SetStoreLookupData)
public:
    // The largest record data of the stored columns.
    static constexpr int MaxStoredDataSize = 8192;
    // The characters of a memo column kept with StoreLookupData; the rest is cut.
    static constexpr int MemoStoredLength = 255;

    Q_INVOKABLE explicit TKroLookField(TComponent* AOwner = nullptr);

    // The whole list of result columns; the platform's own property may hold less.
    QString LookupResultField() const;
    void SetLookupResultField(const QString& Value);
    int ListFieldIndex() const { return FListFieldIndex; }
    void SetListFieldIndex(int Value) { FListFieldIndex = Value; }
    TKroLookupLevelCol* LookupLevels() const { return FLookupLevels; }
    QString LookupFilterField() const { return FLookupFilterField; }
    void SetLookupFilterField(const QString& Value) { FLookupFilterField = Value; }
    QString LookupLevelUp() const { return FLookupLevelUp; }
    void SetLookupLevelUp(const QString& Value) { FLookupLevelUp = Value; }
    QString LookupFilterKey() const { return FLookupFilterKey; }
    void SetLookupFilterKey(const QString& Value) { FLookupFilterKey = Value; }
    QString LookupLevelDown() const { return FLookupLevelDown; }
    void SetLookupLevelDown(const QString& Value) { FLookupLevelDown = Value; }
    // These three change the record layout: the dataset must be closed.
    QString LookupAddFields() const { return FLookupAddFields; }
    void SetLookupAddFields(const QString& Value);
    QString LookupGridFields() const { return FLookupGridFields; }
    void SetLookupGridFields(const QString& Value);
    bool StoreLookupData() const { return FStoreLookupData; }
    void SetStoreLookupData(bool Value);
    int LookupResultIndex() const { return FLookupResultIndex; }
    void SetLookupResultIndex(int Value) { FLookupResultIndex = qint16(Value); }
    bool HeadLine() const { return FHeadLine; }
    void SetHeadLine(bool Value) { FHeadLine = Value; }
    TColor HeadColor() const { return FHeadColor; }
    void SetHeadColor(TColor Value) { FHeadColor = Value; }
    TKroLookFieldOptions Options() const { return FOptions; }
    void SetOptions(TKroLookFieldOptions Value) { FOptions = Value; }
    TOnEditDataEvent OnEditData() const { return FOnEditData; }
    void SetOnEditData(const TOnEditDataEvent& Value) { FOnEditData = Value; }
    TOnFieldFilterEvent OnFilter() const { return FOnFilter; }
    void SetOnFilter(const TOnFieldFilterEvent& Value) { FOnFilter = Value; }
    TOnFieldSetEditEvent SetEditValue() const { return FSetEditValue; }
    void SetSetEditValue(const TOnFieldSetEditEvent& Value) { FSetEditValue = Value; }
    bool OnlyEqualInFilter() const { return FOnlyEqualInFilter; }
    void SetOnlyEqualInFilter(bool Value) { FOnlyEqualInFilter = Value; }

    // The result columns, then the additional fields, then the grid fields not named
    // before them.
    QString GetLookupFieldNames() const;
    // Finds the lookup dataset's fields of GetLookupFieldNames and LookupGridFields; raises
    // for an unknown name.
    void BuildFieldLists();
    // The texts of the named columns of ResultFieldList, joined by a blank; names not in
    // the list are left out.
    QString GetFieldsText(const QString& FieldNames) const;
    // The sum of the result columns' display widths (0 without a lookup dataset), after
    // BuildFieldLists.
    int LookupDisplayWidth();
    // Checks the lookup and level fields and opens the level datasets; raises for an
    // unknown name or an incomplete level.
    void CheckLookupInfo();
    // Loads the cache: each key of the lookup dataset with the values of all the columns.
    void FillLookupList();

    // The fields of GetLookupFieldNames (nullptr once a closed lookup dataset's own fields
    // went), the first ResultCount of them the result columns.
    int ResultFieldCount() const { return int(FResultFieldList.size()); }
    TField* ResultField(int Index) const;
    TField* GridField(int Index) const;
    int GridFieldCount() const { return int(FGridFieldList.size()); }
    int ResultCount() const { return FResultCount; }
    // The column AsString and Value read; -1: all result columns.
    int CurrentIndex() const { return FCurrentIndex; }
    void SetCurrentIndex(int Value) { FCurrentIndex = Value; }

    // The after-open hook's part: the platform property takes all the columns and the
    // held-back cache is filled, or the lookup is checked.
    void PrepareAfterOpen();

    Variant GetAsVariant() const override;
    void SetAsVariant(const Variant& Value) override;
    QString GetAsString() const override;
    void SetAsString(const QString& Value) override;
    bool GetIsNull() const override;
    void GetText(QString& Text, bool DisplayText) const override;
    void DataSetOpening() override;
    void DefineProperties(TFiler& Filer) override;

protected:
    int GetDataSize() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // How one column is kept in the record: 2 bytes of type code, then Size bytes.
    struct TStoredSlot {
        QString Name;
        TFieldType DataType = ftUnknown;
        quint16 Code = 0; // the variant type code of the column's values
        int Size = 0;     // StoredDataSize
        int Offset = 0;   // of the type code in the record data
    };

    bool IsLookupField() const { return FieldKind() == fkLookup; }
    // The slots of the columns; fixed at each open, so that records read keep one layout.
    void BuildStoredSlots();
    int StoredSize() const { return FStoredSize; }
    // Slot at At (2 + Slot.Size bytes, zeroed) takes Value.
    static void WriteSlot(char* At, const TStoredSlot& Slot, const Variant& Value);
    QByteArray StoredRecord(const Variant& Value) const;
    // With StoreLookupData outside key state: the record's data in Data (empty when it
    // holds none); false otherwise.
    bool KeptData(QByteArray& Data) const;
    // The payload of slot Index in Data, with its type code; nullptr for a null slot or
    // data of another layout.
    const char* SlotPayload(const QByteArray& Data, int Index, quint16& Code) const;
    Variant SlotValue(const QByteArray& Data, int Index) const;
    // Appends slot Index's text; false for a null slot.
    bool AppendKeptText(QString& Text, const QByteArray& Data, int Index) const;
    // Column Index of the lookup dataset's record with the owning record's key.
    Variant LocatedValue(int Index) const;
    bool InKeyState() const;
    // Column Index's value, stored or located, and its text (the key for a missing key
    // column); the texts of the result columns joined by a blank.
    Variant ColumnValue(int Index) const;
    // Appends column Index's text: from Kept (KeptData) where given, else its value.
    void AppendColumnText(QString& Text, int Index, const QByteArray* Kept) const;
    QString ColumnText(int Index) const;
    QString AllColumnsText() const;
    QString ColumnName(int Index) const;
    // The owning dataset's key field as text, for a key column the lookup lacks.
    QString KeyText() const;

    mutable QString FFullResultField;
    int FListFieldIndex = 0;
    TKroLookupLevelCol* FLookupLevels;
    QString FLookupFilterField;
    QString FLookupLevelUp;
    QString FLookupFilterKey;
    QString FLookupLevelDown;
    QString FLookupAddFields;
    QString FLookupGridFields;
    qint16 FLookupResultIndex = 0;
    bool FHeadLine = true;
    TColor FHeadColor = TColor(10930928);
    TKroLookFieldOptions FOptions = KroLookFieldDefaultOptions;
    TOnEditDataEvent FOnEditData;
    TOnFieldFilterEvent FOnFilter;
    TOnFieldSetEditEvent FSetEditValue;
    bool FOnlyEqualInFilter = false;
    bool FStoreLookupData = false;

    // Fields of the lookup dataset, not owned; cleared when a closed dataset's fields go.
    QList<QPointer<TField>> FResultFieldList;
    QList<QPointer<TField>> FGridFieldList;
    QList<TStoredSlot> FSlots;
    int FStoredSize = 0; // of all slots
    int FResultCount = 0;
    mutable int FCurrentIndex = -1;
    bool FSavedLookupCache = false;
};

// The after-open hook of the library's datasets: prepares their lookup fields.
void PrepareLookupFields(TDataSet* DataSet);
