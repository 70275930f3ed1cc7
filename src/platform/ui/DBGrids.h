#pragma once

#include "Grids.h"

#include <db/DataLink.h>
#include <rtl/Collection.h>

class TDataSource;
class TDBGrid;
class TField;
class TStringList;

PUBLISHED_ENUM(TColumnButtonStyle, cbsAuto, cbsEllipsis, cbsNone)
// The column values set on the column itself rather than taken from its field or grid.
PUBLISHED_ENUM(TColumnValue, cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor,
               cvTitleCaption, cvTitleAlignment, cvTitleFont)
using TColumnValues = TSet<TColumnValue>;
// Default columns follow the dataset's fields; customised ones are stored with the form.
PUBLISHED_ENUM(TDBGridColumnsState, csDefault, csCustomized)
PUBLISHED_ENUM(TDBGridOption, dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize,
               dgColLines, dgRowLines, dgTabs, dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete,
               dgCancelOnExit, dgMultiSelect)
using TDBGridOptions = TSet<TDBGridOption>;
// The mark the indicator column shows for a row.
enum TGridIndicator { giNone, giCurrent, giEdit, giInsert, giMultiSelect, giCurrentSelected };

class TColumn;

// The title of a column: caption, alignment, colour and font; each follows the field or
// the grid until set.
class TColumnTitle : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TFont* Font READ Font)
public:
    explicit TColumnTitle(TColumn* Column);

    TColumn* Column() const { return FColumn; }
    QString Caption() const;
    void SetCaption(const QString& Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void RestoreDefaults();
    bool IsStoredProp(const QString& Name) const override;

private:
    TColumn* FColumn;
    QString FCaption;
    TAlignment FAlignment = taLeftJustify;
    TColor FColor = clBtnFace;
    TFont* FFont;
};

// A column of a data grid: the field it shows and how. Values not set on the column
// itself come from the field (alignment, caption, width) or the grid (colour, font).
class TColumn : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TColumnButtonStyle ButtonStyle READ ButtonStyle WRITE SetButtonStyle)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QString FieldName READ FieldName WRITE SetFieldName)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(TStringList* PickList READ PickList)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TColumnTitle* Title READ Title)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
public:
    Q_INVOKABLE explicit TColumn(TCollection* Collection = nullptr);
    ~TColumn() override;

    TDBGrid* Grid() const;
    // The dataset's field named FieldName; nullptr when none or the dataset is closed.
    TField* Field() const;

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TColumnButtonStyle Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    TStringList* PickList() const { return FPickList; }
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    TColumnTitle* Title() const { return FTitle; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Width() const;
    void SetWidth(int Value);

    int DefaultWidth() const;
    TColumnValues AssignedValues() const { return FAssigned; }
    // Forgets the values set on the column: they follow the field and grid again.
    void RestoreDefaults();
    // Whether the column belongs in a form file: false for the grid's default columns.
    bool IsStored() const { return FStored; }
    QString DisplayName() const override;
    bool IsStoredProp(const QString& Name) const override;

private:
    friend class TColumnTitle;
    friend class TDBGridColumns;
    friend class TDBGrid;
    void Assigned(TColumnValue Value);
    // A font that follows Source while not set on the column.
    void SyncFont(TFont* Font, const TFont* Source, TColumnValue Value) const;
    void FieldChanged() const { FField = nullptr; }

    QString FFieldName;
    mutable TField* FField = nullptr;
    TAlignment FAlignment = taLeftJustify;
    TColumnButtonStyle FButtonStyle = cbsAuto;
    TColor FColor = clWindow;
    TFont* FFont;
    TStringList* FPickList;
    bool FReadOnly = false;
    TColumnTitle* FTitle;
    bool FVisible = true;
    int FWidth = 64;
    TColumnValues FAssigned;
    bool FStored = true;
    mutable bool FSyncingFont = false;
};

// The columns of a data grid.
class TDBGridColumns : public TCollection {
    Q_OBJECT
public:
    TDBGridColumns(TDBGrid* Grid, const QMetaObject* ColumnClass);

    TDBGrid* Grid() const { return FGrid; }
    TColumn* Items(int Index) const { return static_cast<TColumn*>(TCollection::Items(Index)); }
    TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
    TDBGridColumnsState State() const;
    // csDefault replaces the columns by the default ones; csCustomized keeps them and
    // stores them.
    void SetState(TDBGridColumnsState Value);
    // Replaces the columns by one for each visible field of the dataset.
    void RebuildColumns();
    void RestoreDefaults();
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;

private:
    friend class TDBGrid;
    // Whether the columns are those of the visible fields, in order.
    bool MatchFields() const;

    TDBGrid* FGrid;
};

// The data grid's link: it keeps the grid's rows in the dataset's buffers and tells the
// grid of every change. A grid of a derived class may make a derived link (CreateDataLink).
class TGridDataLink : public TDataLink {
public:
    explicit TGridDataLink(TDBGrid* Grid);

    TDBGrid* Grid() const { return FGrid; }
    // The editor's text differs from the field; UpdateData writes it.
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    // Drops an edited text, or cancels the record when none is pending.
    void Reset();
    int FieldCount() const;
    TField* Fields(int Index) const;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    TDBGrid* FGrid;
    bool FModified = false;
};

// The bookmarks of the rows selected in a multi-select grid.
class TBookmarkList {
public:
    explicit TBookmarkList(TDBGrid* Grid) : FGrid(Grid) {}

    int Count() const { return int(FList.size()); }
    const TBookmark& Items(int Index) const { return FList.at(Index); }
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool Value);
    // The position of Bookmark in the list; -1 when it is not selected.
    int IndexOf(const TBookmark& Bookmark) const;
    void Clear();
    // Deletes the selected records from the dataset.
    void Delete();

private:
    TDataSet* DataSet() const;

    TDBGrid* FGrid;
    QList<TBookmark> FList;
};

using TDrawColumnCellEvent = TEvent<TObject*, const QRect&, int, TColumn*, TGridDrawState>;
using TDBGridClickEvent = TEvent<TColumn*>;

// A grid of the records of a data source: a title row, an indicator column and a column
// per field or customised column. It shows the rows its data link holds in the dataset's
// buffers (one per visible row) and moves the dataset only when the user moves; the
// vertical scroll bar shows the record's position where the dataset counts it cheaply.
class TDBGrid : public TCustomGrid {
    Q_OBJECT
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TDBGridColumns* Columns READ Columns)
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(bool DefaultDrawing READ DefaultDrawing WRITE SetDefaultDrawing)
    Q_PROPERTY(TColor FixedColor READ FixedColor WRITE SetFixedColor)
    Q_PROPERTY(TDBGridOptions Options READ Options WRITE SetOptions)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(TFont* TitleFont READ TitleFont)
    Q_PROPERTY(
        TDrawColumnCellEvent OnDrawColumnCell READ OnDrawColumnCell WRITE SetOnDrawColumnCell)
    Q_PROPERTY(TNotifyEvent OnEditButtonClick READ OnEditButtonClick WRITE SetOnEditButtonClick)
    Q_PROPERTY(TNotifyEvent OnColEnter READ OnColEnter WRITE SetOnColEnter)
    Q_PROPERTY(TNotifyEvent OnColExit READ OnColExit WRITE SetOnColExit)
    Q_PROPERTY(TDBGridClickEvent OnCellClick READ OnCellClick WRITE SetOnCellClick)
    Q_PROPERTY(TDBGridClickEvent OnTitleClick READ OnTitleClick WRITE SetOnTitleClick)
public:
    // Indicator column width, and the largest count the scroll bar shows positions for.
    static constexpr int IndicatorWidth = 11;
    static constexpr qint64 PositionalScrollLimit = 10000;

    Q_INVOKABLE explicit TDBGrid(TComponent* AOwner = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TGridDataLink* DataLink() const;
    TDBGridColumns* Columns() const { return FColumns; }
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    TFont* TitleFont() const { return FTitleFont; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
    // The grid columns before the first data column: 1 with the indicator.
    int IndicatorOffset() const { return FIndicatorOffset; }

    // The column of the current cell, as an index into Columns; -1 without columns.
    int SelectedIndex() const;
    void SetSelectedIndex(int Value);
    TField* SelectedField() const;
    void SetSelectedField(TField* Value);
    TBookmarkList* SelectedRows() const { return FSelectedRows.get(); }
    // The indicator mark of the data row DataRow (0: the first row shown).
    TGridIndicator RowIndicator(int DataRow) const;

    // Changes between the two calls make one new layout.
    void BeginLayout();
    void EndLayout();
    // Columns, row heights and the link's window follow the fields and options again.
    void LayoutChanged();

    void DefaultDrawColumnCell(const QRect& Rect, int DataCol, TColumn* Column,
                               TGridDrawState State);
    void Loaded() override;

    TDrawColumnCellEvent OnDrawColumnCell() const { return FOnDrawColumnCell; }
    void SetOnDrawColumnCell(const TDrawColumnCellEvent& V) { FOnDrawColumnCell = V; }
    TNotifyEvent OnEditButtonClick() const { return FOnEditButtonClick; }
    void SetOnEditButtonClick(const TNotifyEvent& V) { FOnEditButtonClick = V; }
    TNotifyEvent OnColEnter() const { return FOnColEnter; }
    void SetOnColEnter(const TNotifyEvent& V) { FOnColEnter = V; }
    TNotifyEvent OnColExit() const { return FOnColExit; }
    void SetOnColExit(const TNotifyEvent& V) { FOnColExit = V; }
    TDBGridClickEvent OnCellClick() const { return FOnCellClick; }
    void SetOnCellClick(const TDBGridClickEvent& V) { FOnCellClick = V; }
    TDBGridClickEvent OnTitleClick() const { return FOnTitleClick; }
    void SetOnTitleClick(const TDBGridClickEvent& V) { FOnTitleClick = V; }

    bool IsStoredProp(const QString& Name) const override;

protected:
    // The link this grid uses; a derived grid returns a derived link.
    virtual TGridDataLink* CreateDataLink();
    virtual TDBGridColumns* CreateColumns();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;
    // Sets the grid columns' widths and tab stops from the columns after a layout.
    virtual void SetColumnAttributes();
    // Whether Tab stops at Column: one the user can edit (a calculated field only with an
    // ellipsis button, a lookup field through key fields that are all present and
    // writable).
    virtual bool ColumnIsTabStop(const TColumn* Column) const;
    virtual void ColEnter();
    virtual void ColExit();
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual bool HighlightCell(int DataCol, int DataRow, const QString& Value,
                               TGridDrawState AState);
    virtual void DrawIndicatorCell(int DataRow, const QRect& ARect);
    // Draws a data cell of Column with the link's active record set to its row: the
    // column's font and colour (the highlight's when HighlightCell), the default text and
    // OnDrawColumnCell. The focus mark is drawn after it.
    virtual void DrawDataCell(const QRect& ARect, int DataCol, TColumn* Column,
                              TGridDrawState AState);
    // Writes Text on the canvas into ARect, which it fills with the brush first, clipped:
    // left-aligned DX pixels in from the left, right-aligned ending 3 pixels before the
    // right edge, centred in the middle; DY pixels down.
    void WriteText(const QRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment);
    virtual void DrawTitleCell(int DataCol, const QRect& ARect);
    virtual void CellClick(TColumn* Column);
    virtual void TitleClick(TColumn* Column);
    void DoExit() override;
    void ClientResized() override;
    void FontChanged() override;
    bool WantKey(quint16 Key) const override;

    bool SelectCell(int ACol, int ARow) override;
    void CellChanged(int OldCol, int OldRow) override;
    void ColWidthsChanged() override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    bool CanEditShow() const override;
    bool CanEditModify() override;
    int GetEditLimit() override;
    TEditStyle GetEditStyle(int ACol, int ARow) override;
    TAlignment GetEditAlignment(int ACol, int ARow) override;
    QStringList GetPickList(int ACol, int ARow) override;
    void EditButtonClick() override;
    void UpdateScrollBars() override;
    void VerticalScroll(int Action) override;
    // A notch moves the current record by one, never appending one.
    void MouseWheel(int Notches) override;

    // The data link's events.
    virtual void LinkActive(bool Value);
    virtual void DataChanged();
    virtual void EditingChanged();
    virtual void RecordChanged(TField* Field);
    virtual void UpdateData();
    virtual void Scroll(int Distance);

    // The column shown in grid column ACol; nullptr for the indicator.
    TColumn* ColumnAt(int ACol) const;
    // The grid column of Columns[Index]; -1 when hidden.
    int GridColumnOf(int Index) const;
    bool AcquireEdit();

private:
    friend class TBookmarkList;
    friend class TColumn;
    friend class TDBGridColumns;
    friend class TGridDataLink;
    // The linked dataset when the link is active; the link is not made for asking.
    TDataSet* ActiveDataSet() const;
    void InternalLayout();
    void UpdateRows();
    void UpdateBufferCount();
    bool CanModifyData() const;
    // Moving down from the last record appends one when MayAppend and editing is allowed.
    void MoveRecord(int Distance, TShiftState Shift, bool MayAppend = true);
    void TabMove(bool Forward);
    void DeleteRecord();
    void CancelEdit();
    void TitleFontChanged();
    void ApplyGridOptions();

    mutable std::unique_ptr<TGridDataLink> FDataLink;
    TDBGridColumns* FColumns;
    TDBGridOptions FOptions{dgEditing,  dgTitles, dgIndicator,     dgColumnResize, dgColLines,
                            dgRowLines, dgTabs,   dgConfirmDelete, dgCancelOnExit};
    TFont* FTitleFont;
    bool FReadOnly = false;
    bool FDefaultDrawing = true;
    int FIndicatorOffset = 1;
    int FLayoutLock = 0;
    bool FInLayout = false;
    QString FEditText;
    QList<TColumn*> FShown; // the visible columns, in grid order
    std::unique_ptr<TBookmarkList> FSelectedRows;
    TGridCoord FPressedCell;
    TDrawColumnCellEvent FOnDrawColumnCell;
    TNotifyEvent FOnEditButtonClick, FOnColEnter, FOnColExit;
    TDBGridClickEvent FOnCellClick, FOnTitleClick;
};
