#pragma once

// The controls of lookup fields: the lookup combo with its drop-down list and code window,
// a label of chosen lookup columns, the combos' links and their popup menu.
//
// The combo adds to the platform's lookup combo a header line, a search column the user
// switches, a filter of the list by a field of the edited record or by an event, a walk
// down a tree kept in the list table itself (a row's parent in LookupLevelUp, its number
// of children in LookupLevelDown) and parent lists (levels) passed through before the
// real list. Filters it lays on a list dataset are laid over the dataset's own Filter and
// Filtered, which come back when the list closes.

#include "KroLook.h"

#include <QPointer>
#include <controls/KroPopup.h>
#include <ui/DBCtrls.h>
#include <ui/DBLookup.h>
#include <ui/Mask.h>

class TFont;
class TKroCustomDBLookupCombo;
class TKroDBLookupCombo;
class TKroLookupEdit;

// The record link of a lookup combo, carrying the combo.
class TKroCustomDataSourceLink : public TDataSourceLink {
public:
    explicit TKroCustomDataSourceLink(TKroCustomDBLookupCombo* Combo);
    TKroCustomDBLookupCombo* Combo() const { return FCombo; }

private:
    TKroCustomDBLookupCombo* FCombo;
};

// The record link the library's lookup combos make.
class TKroDataSourceLink : public TKroCustomDataSourceLink {
public:
    using TKroCustomDataSourceLink::TKroCustomDataSourceLink;
};

// The list link of a lookup combo, carrying the combo.
class TKroListSourceLink : public TListSourceLink {
public:
    explicit TKroListSourceLink(TKroCustomDBLookupCombo* Combo);
    TKroCustomDBLookupCombo* Combo() const { return FCombo; }

private:
    TKroCustomDBLookupCombo* FCombo;
};

// The drop-down list of a lookup combo: the path chosen on the way down, a header line of
// column titles in the combo's HeadColor, the rows with a mark on those that have children.
class TKroPopupDataList : public TPopupDataList {
    Q_OBJECT
public:
    explicit TKroPopupDataList(TKroCustomDBLookupCombo* Combo);

    bool HeadLine() const { return FHeadLine; }
    void SetHeadLine(bool Value) { FHeadLine = Value; }
    int HeadLineCount() const { return FHeadLineCount; }
    void SetHeadLineCount(int Value) { FHeadLineCount = Value; }
    // Whether the list's current record has child rows (the combo's level-down field).
    bool HasChildren() const;

protected:
    int HeaderHeight() const override;
    void PaintHeader(QPainter& Painter, const QRect& Rect) override;
    void PaintRow(QPainter& Painter, const QRect& Rect, bool Selected) override;
    void KeyPress(QChar& Key) override;

private:
    TKroCustomDBLookupCombo* FKroCombo;
    bool FHeadLine = true;
    int FHeadLineCount = 1;
};

// The library's lookup combo (see the unit's comment). Its effective settings come from
// the data field when that is a TKroLookField, else from the combo's own properties.
class TKroCustomDBLookupCombo : public TDBLookupComboBox {
    Q_OBJECT
    Q_PROPERTY(bool HeadLine READ HeadLine WRITE SetHeadLine)
    Q_PROPERTY(TColor HeadColor READ HeadColor WRITE SetHeadColor)
    Q_PROPERTY(int HeadLineCount READ HeadLineCount WRITE SetHeadLineCount)
    // Stored as "LookupLevelsData", the collection's items.
    Q_PROPERTY(TKroLookupLevelCol* LookupLevels READ LookupLevels STORED false)
    Q_PROPERTY(QString LookupFilterField READ LookupFilterField WRITE SetLookupFilterField)
    Q_PROPERTY(QString LookupLevelUp READ LookupLevelUp WRITE SetLookupLevelUp)
    Q_PROPERTY(QString LookupLevelDown READ LookupLevelDown WRITE SetLookupLevelDown)
    Q_PROPERTY(QString LookupFilterKey READ LookupFilterKey WRITE SetLookupFilterKey)
    Q_PROPERTY(TKroLookFieldOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(TOnEditDataEvent OnEditData READ OnEditData WRITE SetOnEditData)
    Q_PROPERTY(TOnFieldFilterEvent OnFilter READ OnFilter WRITE SetOnFilter)
    Q_PROPERTY(TSetFontEvent OnSetFont READ OnSetFont WRITE SetOnSetFont)
public:
    Q_INVOKABLE explicit TKroCustomDBLookupCombo(TComponent* AOwner = nullptr);
    ~TKroCustomDBLookupCombo() override;

    bool HeadLine() const { return FHeadLine; }
    void SetHeadLine(bool Value) { FHeadLine = Value; }
    TColor HeadColor() const { return FHeadColor; }
    void SetHeadColor(TColor Value) { FHeadColor = Value; }
    int HeadLineCount() const { return FHeadLineCount; }
    // A value below 1 is ignored.
    void SetHeadLineCount(int Value);
    TKroLookupLevelCol* LookupLevels() const { return FLookupLevels; }
    QString LookupFilterField() const { return FLookupFilterField; }
    void SetLookupFilterField(const QString& Value) { FLookupFilterField = Value; }
    QString LookupLevelUp() const { return FLookupLevelUp; }
    void SetLookupLevelUp(const QString& Value) { FLookupLevelUp = Value; }
    QString LookupLevelDown() const { return FLookupLevelDown; }
    void SetLookupLevelDown(const QString& Value) { FLookupLevelDown = Value; }
    QString LookupFilterKey() const { return FLookupFilterKey; }
    void SetLookupFilterKey(const QString& Value) { FLookupFilterKey = Value; }
    TKroLookFieldOptions Options() const { return FOptions; }
    void SetOptions(TKroLookFieldOptions Value) { FOptions = Value; }
    TOnEditDataEvent OnEditData() const { return FOnEditData; }
    void SetOnEditData(const TOnEditDataEvent& Value) { FOnEditData = Value; }
    TOnFieldFilterEvent OnFilter() const { return FOnFilter; }
    void SetOnFilter(const TOnFieldFilterEvent& Value) { FOnFilter = Value; }
    TSetFontEvent OnSetFont() const { return FOnSetFont; }
    void SetOnSetFont(const TSetFontEvent& Value) { FOnSetFont = Value; }

    // Effective settings: the TKroLookField's, else the combo's.
    bool EffectiveHeadLine() const;
    TColor EffectiveHeadColor() const;
    TKroLookFieldOptions EffectiveOptions() const;
    // Those of a level list are empty; a filter field of a level list is the level's.
    QString EffectiveLevelUp() const;
    QString EffectiveLevelDown() const;
    QString EffectiveFilterField() const;
    QString EffectiveFilterKey() const;
    TKroLookupLevelCol* EffectiveLevels() const;

    // A value beyond the last list field becomes 0; a TKroLookField takes it too.
    void SetListFieldIndex(int Value) override;

    void DropDown() override;
    void CloseUp(bool Accept) override;
    // Opens the edit form of the list data for a choice (tsSelect) and writes the key it
    // returns; nothing without a handler.
    void EditData();

    // The level shown (-1: the combo's own list), the texts of the rows chosen on the way
    // down, and whether the tree filter is laid.
    int CurrentLevel() const { return FLevel; }
    const QStringList& Path() const { return FPath; }
    bool TreeFiltered() const { return FTreeFilter.Active; }

    // An empty text of an unbound combo whose key the list lacks shows the key itself
    // (foValueNotInLookup).
    void SetText(const QString& Value) override;
    void DefineProperties(TFiler& Filer) override;

protected:
    TDataSourceLink* CreateDataSourceLink() override;
    TListSourceLink* CreateListSourceLink() override;
    TPopupDataList* CreateDataList() override;
    void UpdateDataFields() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The data field as the library's lookup field: the one in use while the list is
    // down, else DataField's when it is one.
    TKroLookField* KroField() const;

private:
    friend class TKroLookupEdit;

    // A filter the combo laid on a list dataset, with what it replaced.
    struct TLaidFilter {
        bool Active = false;
        QPointer<TDataSet> DataSet;
        QString Filter;
        bool Filtered = false;
    };

    bool LevelShown() const;
    TOnEditDataEvent EditDataHandler() const;
    void ApplyListFilter(const QString& Value);
    void ApplyTreeFilter(const QString& Value);
    // Lays Filter on the list dataset over its own filter, saved in Laid the first time.
    void LayFilter(TLaidFilter& Laid, const QString& Filter);
    static void RemoveFilter(TLaidFilter& Laid);
    void ShowLevel(int Index);
    void RestoreBaseList();
    // The chosen row's list fields joined by ":", each cut to its display width.
    QString ChosenText(const Variant& Key) const;
    bool UpDownAllowed() const;
    void NextSearchColumn();

    bool FHeadLine = true;
    TColor FHeadColor = TColor(10930928);
    int FHeadLineCount = 1;
    TKroLookupLevelCol* FLookupLevels;
    QString FLookupFilterField;
    QString FLookupLevelUp;
    QString FLookupLevelDown;
    QString FLookupFilterKey;
    TKroLookFieldOptions FOptions = KroLookFieldDefaultOptions;
    TOnEditDataEvent FOnEditData;
    TOnFieldFilterEvent FOnFilter;
    TSetFontEvent FOnSetFont;

    QPointer<TKroLookField> FLookField; // in use while the list is down
    int FLevel = -1;
    bool FBaseSaved = false;
    QString FSavedListField;
    QString FSavedKeyField;
    QPointer<TDataSource> FSavedListSource;
    QPointer<TDataSource> FSavedDataSource;
    TDataSource* FLevelSource; // owned: the list source of a level list
    Variant FDropKey;
    TLaidFilter FListFilter;
    TLaidFilter FTreeFilter;
    QStringList FPath;
    bool FSwitchingList = false;
    bool FEnterClosing = false;
    bool FCtrlEnterClosing = false;
};

// The lookup combo with its data field published; typing opens the code window.
class TKroDBLookupCombo : public TKroCustomDBLookupCombo {
    Q_OBJECT
    Q_PROPERTY(QString DataField READ DataField WRITE SetKroDataField)
public:
    Q_INVOKABLE explicit TKroDBLookupCombo(TComponent* AOwner = nullptr);
    ~TKroDBLookupCombo() override;

    // A different non-empty name first clears the current data field.
    void SetKroDataField(const QString& Value);
    // The code window, made on first use; nullptr before.
    TKroLookupEdit* EditWindow() const { return FEditWindow; }
    // Opens the code window over the combo, starting from Start (a typed character) or
    // from the current value.
    void ShowEditWindow(const QString& Start = QString());

    void Loaded() override;

protected:
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;

private:
    TKroLookupEdit* FEditWindow = nullptr; // a child control, owned by the combo
};

// The code window of a lookup combo: a value of one list column (the code column) typed
// directly. Leaving it after a change selects the row with that value.
class TKroLookupEdit : public TMaskEdit {
    Q_OBJECT
public:
    explicit TKroLookupEdit(TKroDBLookupCombo* Combo);

    // The combo the window belongs to; nullptr for a window of another control.
    TKroDBLookupCombo* Combo() const { return FCombo; }
    // The list column typed into: the search column.
    TField* CodeField() const;
    // Shows the window over the combo with Text, focused, in the code column's edit mask.
    void Start(const QString& Text);

protected:
    // A window of another control than a combo (Owner), which handles the window's keys
    // and its leaving itself.
    explicit TKroLookupEdit(TComponent* Owner);

    void KeyDown(quint16& Key, TShiftState Shift) override;
    void DoExit() override;

private:
    // The key the text stands for; false (with the message shown) when it stands for none.
    bool Accept(const QString& Text);
    // The caret position behind the characters the text filled in.
    int EndOfText() const;

    TKroDBLookupCombo* FCombo;
    QString FStartText;
};

// A label of a field; for a TKroLookField the texts of the lookup columns LookField names.
class TKroDBText : public TDBText {
    Q_OBJECT
    Q_PROPERTY(QString LookField READ LookField WRITE SetLookField)
public:
    Q_INVOKABLE explicit TKroDBText(TComponent* AOwner = nullptr);

    QString LookField() const { return FLookField; }
    void SetLookField(const QString& Value);

protected:
    QString FieldText() const override;

private:
    QString FLookField;
};

// The context menu of lookup combos: the field items, then "Search by", "Order by" and
// "Search and order by" over the list fields of a TKroDBLookupCombo with two or more.
class TPopupMenuKroDBLookup : public TPopupMenuKroDBFieldControls {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenuKroDBLookup(TComponent* AOwner = nullptr);

protected:
    void UpdateItems(int Offset) override;

private:
    // Fills the three submenus for Combo, or leaves them empty and hidden.
    void FillSubmenus(TKroDBLookupCombo* Combo);

    TMenuItem* FSearchBy;
    TMenuItem* FOrderBy;
    TMenuItem* FSearchOrderBy;
};

// The shared lookup menu, made on first use and owned by the application.
TPopupMenuKroDBLookup* PopupMenuKroDBLookup();

// The one-record page's factories (KroContr).
TControl* CreateLookupText(TComponent* Owner, TField* Field);
TControl* CreateLookupCombo(TComponent* Owner, TField* Field);
TControl* CreatePlainLookupCombo(TComponent* Owner, TField* Field);
