#pragma once

// The data grid's popup menu: the grid commands (visible fields, printing, the one-record
// page, fitting the field widths to the data) in front of the record commands. It serves
// any data grid and the one-record page of a grid, and always works on that grid.

#include <controls/KroPopup.h>

class TDBGrid;
class TKroScrollBoxForGrid;

// The menu every library grid gets unless its form gives it another.
class TPopupMenuKroDBGrid : public TPopupMenuKroDBControls {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenuKroDBGrid(TComponent* AOwner = nullptr);

    // The grid the menu opened on, or the grid behind the page it opened on.
    TDBGrid* Grid() const;

protected:
    void UpdateItems(int Offset) override;
    TDataSource* ControlDataSource() const override;

private:
    // The page the menu opened on; nullptr when it opened on a grid.
    TKroScrollBoxForGrid* Page() const;
    void FieldsVisibility();
    void PrintTable();
    void PrintRecord();
    void SwitchPage();
    void PickLengths();
};

// The shared grid menu, made on first use and owned by the application.
TPopupMenuKroDBGrid* PopupMenuKroDBGrid();

// Sizes the fields of Component (a dataset, or a grid's dataset) to their longest display
// text in the first MaxRecords records (at most 255 characters; BLOB and lookup fields are
// left alone): DisplayWidth becomes L + 1 + L div 20. A grid that lets the user resize its
// columns also gets the first column of each field sized to it in the column's font, and
// never narrower than the widest of the texts read.
void PickFieldLengths(TComponent* Component, int MaxRecords);
