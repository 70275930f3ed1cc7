#pragma once

// The library's data grid: the platform's data grid with the library's lookup and list
// fields in it (a lookup field as sub-cells, one per result column; a list field typed as a
// digit), colour, font and layout hooks per cell, titles on several lines, a total row
// under the data, ordering by a click on a column title, and the table and record printing,
// the field choice and the lookup edit form of the grid's menu.

#include <QPointer>
#include <dataset/KroDB.h>
#include <ui/DBGrids.h>

class TKroDbGrid;
class TKroDBInplaceCombo;
class TKroInplaceLookupCombo;
class TKroLookField;
class TKroLookupEditGrid;

// What the selected column holds, as far as editing is concerned.
PUBLISHED_ENUM(TKroColumnKind, ckPlain, ckLookup, ckList)

using TSetColorEvent = TEvent<TObject*, TField*, TColor&>;
using TSetLayoutEvent = TEvent<TObject*, TField*>;

// One text of the total row: the field under whose column it stands.
struct TItemTotal {
    QString Name;
    QString Value;
};

// The texts of the total row by field name. Names are compared exactly here; the grid
// matches them to columns ignoring case.
class TListTotal {
public:
    // Replaces the value of the first item named Name, or appends one.
    void SetValue(const QString& Name, const QString& Value);
    // The value of the first item named Name; "" when there is none.
    QString Value(const QString& Name) const;
    int Count() const { return int(FItems.size()); }
    const TItemTotal& Items(int Index) const { return FItems.at(Index); }

private:
    QList<TItemTotal> FItems;
};

// Procedures that replace the grid's own printing of the table and of the record.
using TGridPrintHook = void (*)(TDBGrid* Grid);
extern TGridPrintHook PrintTableHook;
extern TGridPrintHook PrintRecordHook;

// Gives the control that edits Field's cell of a plain column, Key being the character
// typed to open it (null when none), or nullptr for the grid's own cell editor. The grid
// parents, places, shows, hides and focuses the control; its owner keeps it.
using TGridCustomEditorHook = TWinControl* (*)(TKroDbGrid* Grid, TField* Field, QChar Key);
extern TGridCustomEditorHook GridCustomEditorHook;

// The grid's data link: a change, a scroll or a new state of the dataset first hides the
// auxiliary editors that have the focus.
class TKroGridDataLink : public TGridDataLink {
public:
    explicit TKroGridDataLink(TKroDbGrid* Grid);

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    // An open edit window writes its text first.
    void UpdateData() override;

private:
    TKroDbGrid* FKroGrid;
};

// The library's data grid.
class TKroDbGrid : public TDBGrid {
    Q_OBJECT
    Q_PROPERTY(bool Total READ Total WRITE SetTotal)
    Q_PROPERTY(TFont* TotalFont READ TotalFont WRITE SetTotalFont)
    Q_PROPERTY(TAlignment TitleAlignment READ TitleAlignment WRITE SetTitleAlignment)
    Q_PROPERTY(int TitleRows READ TitleRows WRITE SetTitleRows)
    Q_PROPERTY(bool OrderByTitle READ OrderByTitle WRITE SetOrderByTitle)
    Q_PROPERTY(TSetColorEvent OnSetColor READ OnSetColor WRITE SetOnSetColor)
    Q_PROPERTY(TSetFontEvent OnSetFont READ OnSetFont WRITE SetOnSetFont)
    Q_PROPERTY(TSetLayoutEvent OnSetLayout READ OnSetLayout WRITE SetOnSetLayout)
public:
    Q_INVOKABLE explicit TKroDbGrid(TComponent* AOwner = nullptr);
    ~TKroDbGrid() override;

    bool Total() const { return FTotal; }
    void SetTotal(bool Value);
    TFont* TotalFont() const { return FTotalFont; }
    void SetTotalFont(TFont* Value);
    TAlignment TitleAlignment() const { return FTitleAlignment; }
    void SetTitleAlignment(TAlignment Value);
    // The most lines a title wraps into; 0: one line.
    int TitleRows() const { return FTitleRows; }
    void SetTitleRows(int Value);
    // A click on a column title orders the dataset by the column's field.
    bool OrderByTitle() const { return FOrderByTitle; }
    void SetOrderByTitle(bool Value) { FOrderByTitle = Value; }
    TSetColorEvent OnSetColor() const { return FOnSetColor; }
    void SetOnSetColor(const TSetColorEvent& Value) { FOnSetColor = Value; }
    TSetFontEvent OnSetFont() const { return FOnSetFont; }
    void SetOnSetFont(const TSetFontEvent& Value) { FOnSetFont = Value; }
    // Called by the in-place editors when they are prepared for a cell.
    TSetLayoutEvent OnSetLayout() const { return FOnSetLayout; }
    void SetOnSetLayout(const TSetLayoutEvent& Value) { FOnSetLayout = Value; }

    TKroColumnKind ColumnKind() const { return FColumnKind; }
    // The title lines of the layout: 1 unless titles wrap.
    int TitleLines() const { return FTitleLines; }
    // The pieces of Column's title as drawn on TitleLines lines, the last ending in "..."
    // when text remains.
    QStringList TitlePieces(const TColumn* Column);

    // The total row: texts by field name (drawn under the first column of that field),
    // or, without any, the texts GetTotalText gives per column.
    void SetTotalText(const QString& FieldName, const QString& Text);
    const TListTotal* TotalList() const { return FTotalList.get(); }
    // While above 0, SetTotalText does not repaint the total row.
    int TotalUpdate = 0;
    // The band of the total row in client coordinates; empty without Total.
    QRect TotalRect() const;
    // The text under the column at Columns index Index; false when there is none.
    virtual bool GetTotalText(int Index, QString& Text);

    // Whether data link changes hide the auxiliary editors that have the focus.
    bool AutoHideEditors = true;
    // The controls that edit a cell in the grid's place; HideInplaceControls hides them.
    void AddInplaceControl(TWinControl* Control);
    void HideInplaceControls();
    // The record changed under the editors: they go, and an edit window writes nothing.
    void HideAfterMove();
    // The auxiliary editors, made on first use (nullptr before), and the custom editor
    // GridCustomEditorHook gave last.
    TKroLookupEditGrid* EditWindow() const;
    TKroInplaceLookupCombo* LookupCombo() const;
    TKroDBInplaceCombo* ListCombo() const;
    TWinControl* CustomEditor() const { return FCustomEditor; }
    // The result column of the lookup that the edit window edits; -1 before it opens.
    int EditColumn() const { return FEditColumn; }
    // Hiding the grid hides its auxiliary editors.
    void SetVisible(bool Value) override;

    // Opens the edit form of the lookup dataset behind the selected lookup column for a
    // selection and writes the chosen key into the record. While it shows, the datasets of
    // the edited record's master chain carry Tag 80.
    virtual void EditData();
    // Lets the user choose the visible fields and their order in the dual list.
    void FieldsVisibility();
    // Prints the table as columns, or the current record, through the library's printer.
    void PrintTable();
    void PrintRecord();
    // Orders the dataset by Column's field; a second time by the same field reverses the
    // order where the dataset can. Nothing for a field the dataset cannot order by.
    void OrderByColumn(TColumn* Column);

    QRect ClientRect() const override;
    // A grid without a menu of its own gets the shared grid menu.
    void Loaded() override;

protected:
    TGridDataLink* CreateDataLink() override;
    void Paint() override;
    void DrawDataCell(const QRect& ARect, int DataCol, TColumn* Column,
                      TGridDrawState AState) override;
    void DrawTitleCell(int DataCol, const QRect& ARect) override;
    void SetColumnAttributes() override;
    void ColEnter() override;
    void TopLeftChanged() override;
    // The grid moved or was resized: the auxiliary editors no longer stand over their cell.
    void Resize() override;
    TInplaceEdit* CreateEditor() override;
    // Makes the in-place lookup combo, owned by the grid; descendants may make another.
    virtual TKroInplaceLookupCombo* CreateLookupCombo();
    void TitleClick(TColumn* Column) override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool CanEditModify() override;
    virtual void DrawTotal();

private:
    friend class TKroDBGridInplaceEdit;
    friend class TKroInplaceLookupCombo;
    friend class TKroDBInplaceCombo;
    friend class TKroLookupEditGrid;

    // The auxiliary editors on the current cell; Key is the character typed to open it,
    // null when none.
    void ShowEditWindow(QChar Key);
    void ShowLookupCombo();
    void ShowListCombo();
    void ShowCustomEditor(QChar Key);
    // Whether the key that opened the editor was Ctrl+Enter.
    bool CtrlEnterLed() const;
    // The current cell in the parent's coordinates, where the auxiliary editors lie.
    QRect CellInParent() const;
    // Places Control over Bounds (the parent's coordinates), shows and focuses it.
    void ShowOverCell(TWinControl* Control, const QRect& Bounds);
    // Takes the focus and handles Key as if typed on the grid (an editor left with it).
    void TakeBack(quint16 Key);
    // Before another control takes the cell: a new record stays although untouched.
    void HandOverCell();
    void LayoutProperty(const std::function<void()>& Change);
    void UpdateColumnKind();
    TKroLookField* SelectedLookField() const;
    // Enter: the edited text goes into the record, then Tab moves on. A text the field
    // refuses is shown as an error and stays in the editor.
    void EnterToNextColumn();
    // Draws the sub-cells of a lookup column, one per column of the lookup.
    void DrawLookupCell(const QRect& ARect, TKroLookField* Field, bool Highlighted);
    void WriteTotalUnder(int Index, const QString& Text, const QRect& Band);
    void DrawOrderMark(const TColumn* Column, const QRect& ARect);
    // The text under the column in the total row, for printing.
    QString TotalTextOf(int Index);
    // One copy of the table; false when the document did not open (the printer told why).
    bool PrintTableCopy(const QList<int>& Widths);

    bool FTotal = false;
    TFont* FTotalFont;
    TAlignment FTitleAlignment = taLeftJustify;
    int FTitleRows = 0;
    int FTitleLines = 1;
    bool FOrderByTitle = true;
    TKroColumnKind FColumnKind = ckPlain;
    TShiftState FLastShift;
    // The last key seen: its code and whether it came as a character.
    quint16 FLastKey = 0;
    bool FLastKeyChar = false;
    QPointer<TKroLookupEditGrid> FEditWindow;
    QPointer<TKroInplaceLookupCombo> FLookupCombo;
    QPointer<TKroDBInplaceCombo> FListCombo;
    QPointer<TWinControl> FCustomEditor;
    int FEditColumn = -1;
    int FLastLeftCol = -1;
    std::unique_ptr<TListTotal> FTotalList;
    QList<QPointer<TWinControl>> FInplaceControls;
    // The first field of the dataset's order and its direction, read once a paint.
    QString FOrderField;
    bool FOrderDescending = false;
    TSetColorEvent FOnSetColor;
    TSetFontEvent FOnSetFont;
    TSetLayoutEvent FOnSetLayout;
};

// The piece of Caption that a title line of Width pixels takes from Position (0-based)
// on, measured with Canvas's font: whole words when they fit, else cut inside a word.
// Position moves past the piece and the spaces after it.
QString TitleWrapPiece(TCanvas* Canvas, const QString& Caption, int Width, int& Position);
