#pragma once

#include "Forms.h"
#include "IncrementalSearch.h"
#include "StdCtrls.h"

#include <QPoint>
#include <rtl/Alignment.h>

class QListWidget;
class QScrollBar;
class QToolButton;
class TCustomGrid;

PUBLISHED_ENUM(TGridOption, goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
               goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving, goEditing,
               goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking)
using TGridOptions = TSet<TGridOption>;
PUBLISHED_ENUM(TGridDrawStateItem, gdSelected, gdFocused, gdFixed)
using TGridDrawState = TSet<TGridDrawStateItem>;
// How a cell editor offers more than typing: nothing, a button, or a list to pick from.
PUBLISHED_ENUM(TEditStyle, esSimple, esEllipsis, esPickList)

// A cell by column (X) and row (Y); -1 for none.
struct TGridCoord {
    int X = -1;
    int Y = -1;
    bool operator==(const TGridCoord&) const = default;
};

// The pick list a cell editor drops down: a click's release or Return accepts an item,
// Escape closes it; typing selects the first item beginning with what was typed.
class TPopupListbox;

// The editor of a grid's cell: a single-line editor laid over the cell. It takes its text
// and edit style from the grid (UpdateContents), gives navigation keys back to the grid,
// and with esEllipsis shows a button raising the grid's edit-button click, with
// esPickList a button dropping down the grid's pick list for the cell.
class TInplaceEdit : public TEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit(TComponent* AOwner = nullptr);
    ~TInplaceEdit() override;

    TCustomGrid* Grid() const { return FGrid; }
    // The text being edited.
    QString EditText() const { return Text(); }
    void SetEditText(const QString& Value) { SetText(Value); }
    bool Modified() const { return FModified; }
    void SetModified(bool Value) { FModified = Value; }

    TEditStyle EditStyle() const { return FEditStyle; }
    void SetEditStyle(TEditStyle Value);
    // Where the text stands, as the grid shows the cell.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    QStringList PickList() const { return FPickList; }
    void SetPickList(const QStringList& Value) { FPickList = Value; }
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int Value) { FDropDownRows = Value; }
    bool ListVisible() const;
    // The pick list as a widget, for tests and for descendants that draw it.
    QListWidget* ListWidget();
    // The characters typed into the open pick list to find an item.
    TIncrementalSearch& PickListSearch() { return FPickListSearch; }

    // Reloads text, limit and style from the grid's current cell.
    virtual void UpdateContents();
    virtual void DropDown();
    // Closes the list; Accept takes the selected item as the text.
    virtual void CloseUp(bool Accept);
    // Places the editor over Rect of the grid, shows it and optionally focuses it.
    void Move(const QRect& Rect);
    void Hide();
    void Deselect();

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void Change() override;
    void DoExit() override;
    bool WantKey(quint16 Key) const override;
    // The editor's size or style changed: the button and the text margin follow.
    virtual void BoundsChanged();
    virtual void DoEditButtonClick();

private:
    friend class TCustomGrid;
    void SetGrid(TCustomGrid* Value) { FGrid = Value; }
    // Keys the grid handles even while editing.
    bool IsGridKey(quint16 Key, TShiftState Shift) const;
    void ButtonClicked();
    void ApplyAlignment();

    TCustomGrid* FGrid = nullptr;
    TEditStyle FEditStyle = esSimple;
    TAlignment FAlignment = taLeftJustify;
    QStringList FPickList;
    int FDropDownRows = 7;
    bool FModified = false;
    bool FLoading = false;
    QToolButton* FButton = nullptr;
    TPopupListbox* FPopup = nullptr;
    TIncrementalSearch FPickListSearch;
};

// A grid of cells the control draws itself: fixed rows and columns at the top and left,
// scrolled ones after them, a current cell, and an in-place editor over it. Descendants
// draw the cells (DrawCell) on the Canvas and give the editor its text.
class TCustomGrid : public TCustomControl {
    Q_OBJECT
public:
    explicit TCustomGrid(TComponent* AOwner = nullptr);
    ~TCustomGrid() override;

    int ColCount() const { return FColCount; }
    void SetColCount(int Value);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int Value);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int Value);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int Value);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int Value);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int GridLineWidth() const { return FGridLineWidth; }
    void SetGridLineWidth(int Value);
    int ColWidths(int Index) const;
    void SetColWidths(int Index, int Value);
    int RowHeights(int Index) const;
    void SetRowHeights(int Index, int Value);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor Value);
    // Whether Tab (with goTabs) stops at a column; every column does until told otherwise.
    bool TabStops(int Index) const;
    void SetTabStops(int Index, bool Value);

    int Col() const { return FCol; }
    void SetCol(int Value) { FocusCell(Value, FRow); }
    int Row() const { return FRow; }
    void SetRow(int Value) { FocusCell(FCol, Value); }
    // The first scrolled column and row in view.
    int LeftCol() const { return FLeftCol; }
    void SetLeftCol(int Value);
    int TopRow() const { return FTopRow; }
    void SetTopRow(int Value);
    // Scrolled columns and rows wholly in view.
    int VisibleColCount() const;
    int VisibleRowCount() const;

    TGridOptions GridOptions() const { return FGridOptions; }
    void SetGridOptions(TGridOptions Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    // bsSingle draws a sunken frame round the grid; bsNone none.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);

    // Whether the in-place editor shows over the current cell.
    bool EditorMode() const { return FEditorMode; }
    void SetEditorMode(bool Value);
    TInplaceEdit* InplaceEditor() const { return FInplaceEdit; }

    // A cell's area in client coordinates, grid lines left out; empty when out of view.
    // Client coordinates start inside the frame.
    QRect CellRect(int ACol, int ARow) const;
    // The cell at a client point; X and Y are -1 outside every cell.
    TGridCoord MouseCoord(int X, int Y) const;
    // The client area less the scroll bars.
    QRect ClientRect() const override;

    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateCol(int ACol);
    void InvalidateGrid() { Invalidate(); }
    // The editor's text, limit and style come from the current cell again.
    void InvalidateEditor();

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    // Draws the frame and the cells; the canvas then draws in client coordinates, anywhere
    // inside the frame, for what a descendant adds.
    void Paint() override;
    void Resize() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool WantKey(quint16 Key) const override;
    void FontChanged() override;
    void ColorChanged() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;
    // The wheel over the grid or its scroll bars turned Notches notches, away from the
    // user when positive: the current row moves one row a notch.
    virtual void MouseWheel(int Notches);

    virtual void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState);
    // Draws the bevel of a fixed cell and the grid lines around a cell.
    void DrawCellEdges(int ACol, int ARow, const QRect& ARect, TGridDrawState AState);
    // Whether the cell may become current.
    virtual bool SelectCell(int ACol, int ARow);
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void RowHeightsChanged();
    // The column Col or row Row was left for another.
    virtual void CellChanged(int OldCol, int OldRow);
    virtual void SizeChanged(int OldColCount, int OldRowCount);
    virtual bool IsHighlighted(int ACol, int ARow) const;

    // The in-place editor: made by CreateEditor on first show, fed by the cell's text.
    virtual TInplaceEdit* CreateEditor();
    virtual QString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    virtual bool CanEditShow() const;
    virtual bool CanEditModify();
    virtual bool CanEditAcceptKey(QChar Key) const;
    // 0: no limit.
    virtual int GetEditLimit() { return 0; }
    virtual TEditStyle GetEditStyle(int ACol, int ARow);
    // The alignment of the text in the editor over a cell: as the cell is drawn.
    virtual TAlignment GetEditAlignment(int ACol, int ARow);
    virtual QStringList GetPickList(int ACol, int ARow);
    virtual void EditButtonClick() {}
    void ShowEditor();
    void HideEditor();
    // Shows the editor with Ch typed over the cell's text.
    void ShowEditorChar(QChar Ch);
    void UpdateEdit();

    // Makes a cell current (SelectCell permitting) and scrolls it into view.
    void FocusCell(int ACol, int ARow);
    void MoveColumn(int Delta);
    // The scrolled column after ACol (before it unless Forward) where Tab stops; -1 when
    // there is none in that direction. ACol may lie outside the columns to search from an
    // end of the row.
    int TabStopBeside(int ACol, bool Forward) const;
    // Keeps LeftCol and TopRow where the grid is filled; true when they moved.
    bool ClampTopLeft();
    // The client area changed its size (with the control or a scroll bar shown or hidden).
    virtual void ClientResized();
    // The vertical scroll bar: how it shows the position and what its actions do.
    virtual void UpdateScrollBars();
    virtual void VerticalScroll(int Action);
    QScrollBar* VerticalScrollBar() const { return FVertBar; }
    QScrollBar* HorizontalScrollBar() const { return FHorzBar; }
    // The grid's own focus (not the editor's).
    bool GridFocused() const;
    // The width of the frame: where client coordinates start in the widget.
    int FrameWidth() const;
    // The horizontal position the first scrolled column starts at.
    int ScrolledColumnsLeft() const;

private:
    friend class TInplaceEdit;
    int RowTop(int ARow) const;
    int ColLeft(int ACol) const;
    int ColumnEdgeAt(int X, int Y) const;
    // Tab: to the next tab stop, wrapping to the next row.
    void TabMove(bool Forward);
    void PlaceScrollBars();
    // A client rectangle in the widget's coordinates.
    QRect ToWidget(const QRect& Rect) const;
    int ScrollBarSize() const;
    // The horizontal bar shows only while the columns do not fit.
    bool HorizontalBarShown() const;
    void CheckHorizontalBar();
    void HorizontalScrolled(int Value);
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void WheelTurned(int Delta);
    void EditorTextChanged();

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    int FGridLineWidth = 1;
    QList<int> FColWidths;
    QList<int> FRowHeights;
    QList<bool> FTabStops; // columns beyond the list are tab stops
    TColor FFixedColor = clBtnFace;
    int FCol = 1;
    int FRow = 1;
    int FLeftCol = 1;
    int FTopRow = 1;
    TGridOptions FGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine,
                              goRangeSelect};
    TScrollStyle FScrollBars = ssBoth;
    TFormBorderStyle FBorderStyle = bsSingle;
    bool FEditorMode = false;
    TInplaceEdit* FInplaceEdit = nullptr;
    QScrollBar* FVertBar = nullptr;
    QScrollBar* FHorzBar = nullptr;
    bool FUpdatingScrollBars = false;
    int FWheelDelta = 0; // the part of a notch turned so far
    int FSizingCol = -1; // the column whose width the mouse drags
    int FSizingStart = 0;
};
