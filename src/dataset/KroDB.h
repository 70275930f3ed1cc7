#pragma once

// The library's toolbox for datasets: shared types, the start-up routine and the refresh
// of the datasets a form shows, the library's message boxes, field lists and key-field
// discovery, positioning, record cloning and key handlers. The routines on SQL texts and
// orders are in KroSql.h, included here. Every routine serves any dataset; properties that
// only some classes have ("SQL", "IndexFieldNames", "UniqueFields", ...) are reached by
// name.

#include "KroSql.h"

#include <QPointer>
#include <db/DataSet.h>
#include <rtl/Collection.h>
#include <rtl/Events.h>
#include <rtl/Keys.h>
#include <rtl/Sets.h>

class TField;
class TFont;
class TForm;

// The dataset actions the library's menus offer.
PUBLISHED_ENUM(TKroDataSetAction, daInsert, daDelete, daClone, daPrint, daPrintRecord,
               daUserAction1, daUserAction2, daUserAction3)
using TKroDataSetActions = TSet<TKroDataSetAction>;
inline constexpr TKroDataSetActions KroDefaultActions{daInsert, daDelete, daClone, daPrint,
                                                      daPrintRecord};

// How an edit form is to be shown: created (or found) only, shown modelessly, or shown
// modally for the user to pick a record.
PUBLISHED_ENUM(TTypeShow, tsCreate, tsShow, tsSelect)

// Carries a key into an edit form opened for selection and the picked key back.
class TFieldReturn : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString KeyFieldName READ KeyFieldName WRITE SetKeyFieldName)
    Q_PROPERTY(Variant Value READ Value WRITE SetValue)
public:
    Q_INVOKABLE explicit TFieldReturn(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    QString KeyFieldName() const { return FKeyFieldName; }
    void SetKeyFieldName(const QString& Value) { FKeyFieldName = Value; }
    Variant Value() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }

private:
    QString FKeyFieldName;
    Variant FValue;
};

using TOnEditDataEvent = TEvent<TObject*, TTypeShow, TFieldReturn*>;
// Lets the application set the font a field's value is shown in (Sender, Field, Font).
using TSetFontEvent = TEvent<TObject*, TField*, TFont*>;
// A handler that sets ActionNeed to false stops the action.
using TOnDataSetActionEvent = TEvent<TObject*, TDataSet*, TKroDataSetAction, bool&>;

// A free-text note placed on a data module.
class TKroDMInfo : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    Q_INVOKABLE explicit TKroDMInfo(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& Value) { FCaption = Value; }

private:
    QString FCaption;
};

// An item of a TDataSetCol: one dataset, cleared when the dataset goes. The component that
// holds the collection is told (Notification) when an item's dataset is destroyed.
class TDataSetColItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(TDataSet* DataSet READ DataSet WRITE SetDataSet)
public:
    Q_INVOKABLE explicit TDataSetColItem(TCollection* Collection = nullptr);

    TDataSet* DataSet() const { return qobject_cast<TDataSet*>(FDataSet.data()); }
    void SetDataSet(TDataSet* Value);
    // Whether the item names Component, also while Component is being destroyed.
    bool Names(const TComponent* Component) const { return FDataSet == Component; }
    QString DisplayName() const override;

private:
    QPointer<QObject> FDataSet; // not TDataSet: compared while the dataset is destroyed
};

// A collection of datasets, owned by a component.
class TDataSetCol : public TOwnedCollection {
    Q_OBJECT
public:
    explicit TDataSetCol(TPersistent* Owner, const QMetaObject* ItemClass = nullptr);

    TDataSetColItem* Items(int Index) const {
        return static_cast<TDataSetColItem*>(TCollection::Items(Index));
    }
};

// Tag conventions.
// A dataset opened by InitKroApplication.
inline bool IsOpenedAtStartUp(const TComponent* DataSet) {
    return DataSet->Tag() % 10 == 9;
}
// The tens digit: 9 re-reads a dataset when a form with Tag 9 becomes active, 8 keeps the
// form refresh from opening it.
inline int RefreshDigit(const TComponent* DataSet) {
    return DataSet->Tag() % 100 / 10;
}
inline constexpr int RefreshOnActivation = 9;
inline constexpr int NeverOpenedByRefresh = 8;

// A query is re-executed keeping the position; any other dataset is refreshed.
void RefreshDataSet(TDataSet* DataSet);

// Field lists.
// The data fields' names, without blobs unless WithBlobs: ForSQL joins them with "," (in
// double quotes when Quotes; "*" when none), else with ";".
QString GetFieldList(TDataSet* DataSet, bool ForSQL, bool WithBlobs, bool Quotes);
// The fields that identify a record: "UniqueFields", else the first primary or unique
// index, else every non-blob data field.
QString GetUniqueFields(TDataSet* DataSet);
// The display labels of the named fields (the name when there is no such field), ",".
QString GetDisplayLabels(TDataSet* DataSet, const QString& FieldList);
int SumDisplayWidths(TDataSet* DataSet, const QString& FieldList);
// The width of a lookup field's result fields in its lookup dataset.
int LookupResultWidth(TField* Field);
// Raises the field-not-found error for the first unknown name.
void CheckFieldsExist(TDataSet* DataSet, const QString& FieldList);

// Positioning.
// Moves to the bookmark's record, centred in the records shown; when it is gone, to the
// first record. A Null bookmark does nothing.
void GotoBookmarkCentered(TDataSet* DataSet, const TBookmark& Bookmark);
// Locate for database datasets; false for any other.
bool LocateKey(TDataSet* DataSet, const QString& KeyFields, const Variant& KeyValues,
               TLocateOptions Options);

// Assigns Value to Field even when the field is read-only.
void ForceFieldValue(TField* Field, const Variant& Value);

// The copied fields of a dataset's current record: every data field but the
// auto-increment ones, in field order, blobs whole.
class TRecordCopy {
public:
    explicit TRecordCopy(TDataSet* DataSet);

    // Inserts a record into the dataset copied from, filled with the copied values before
    // the dataset's own OnNewRecord handler runs.
    void Insert() const;

private:
    TDataSet* FDataSet;
    QList<QPair<QString, Variant>> FValues; // by field name
};

// Inserts a copy of the current record (auto-increment fields left to the engine).
void CloneCurrentRecord(TDataSet* DataSet);

// Start-up: installs the active-form handler and, with OpenDataSets, opens the datasets of
// the data modules whose Tag marks them (those that fail stay closed); refreshes the main
// form's datasets; hooks the last data module's OnDestroy so that pending edits are posted
// before it goes.
void InitKroApplication(bool OpenDataSets);
// Opens the datasets a form's controls show (lookup datasets first) and re-reads those
// marked for it, or all of them with RefreshAll. Form nullptr: the active form.
void RefreshFormDataSets(TForm* Form, bool RefreshAll);
// CheckBrowseMode on every active dataset of every database of the session.
void CheckBrowseModeAll();

// Library message boxes raise a nesting counter while they show, so that the form they
// return to does not refresh its data on becoming active again.
class TKroMessageScope {
public:
    TKroMessageScope();
    ~TKroMessageScope();
    TKroMessageScope(const TKroMessageScope&) = delete;
    TKroMessageScope& operator=(const TKroMessageScope&) = delete;
};
// Whether a library message box is showing.
bool KroMessageShowing();
// A plain message box (no icon, an OK button) inside a TKroMessageScope.
void ShowKroMessage(const QString& Text);
// The library's error dialog (DiAdv.h) with Message and Detail behind its "Detail" button,
// inside a TKroMessageScope. Without a screen both go to standard error.
void ShowKroError(const QString& Message, const QString& Detail);

// Key handlers for OnKeyDown. EnterAsTab: Enter also moves the focus to the next control.
void EnterAsTab(TObject* Sender, quint16& Key);
// Ctrl+Enter on a combo box (a control with a "DroppedDown" property) opens or closes its
// list and is consumed; then EnterAsTab.
void ComboKeyDown(TObject* Sender, quint16& Key, TShiftState Shift);
