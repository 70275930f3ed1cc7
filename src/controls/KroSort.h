#pragma once

// The sorting combo: offers the orderings of a dataset and switches the dataset to the one
// the user picks, keeping the current record; when the order changes elsewhere, the combo
// shows the matching entry.

#include <db/DataLink.h>
#include <filter/KroFilt.h>
#include <ui/StdCtrls.h>

class TIndexDefs;
class TKroDBSortingCombo;

// The sorting combo's link to its dataset.
class TSortingDataLink : public TDataLink {
public:
    explicit TSortingDataLink(TKroDBSortingCombo* Combo) : FCombo(Combo) {}
    TKroDBSortingCombo* Combo() const { return FCombo; }

protected:
    void ActiveChanged() override;
    // Only re-selects for a table's index definitions, else refills.
    void DataSetChanged() override;
    void DataSetScrolled(int) override {}

private:
    TKroDBSortingCombo* FCombo;
};

// A drop-down list of a dataset's orderings, each shown by the display labels of its
// fields. The orderings are the combo's own Items when SelfList is set and Items has lines,
// else the dataset's "SortingList" when it has lines, else Items; without any, the
// dataset's index definitions. A disabled combo shows none.
class TKroDBSortingCombo : public TCustomComboBox {
    Q_OBJECT
    Q_MOC_INCLUDE("db/DataSource.h")
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(TFieldNameKind FieldNameKind READ FieldNameKind WRITE SetFieldNameKind)
    Q_PROPERTY(bool SelfList READ SelfList WRITE SetSelfList)
    // The combo's own orderings, one ";"-separated field list a line.
    Q_PROPERTY(TStrings* Items READ SortingItems WRITE SetSortingItems)
    Q_PROPERTY(int DropDownCount READ DropDownCount WRITE SetDropDownCount)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(TNotifyEvent OnDropDown READ OnDropDown WRITE SetOnDropDown)
    Q_PROPERTY(TDrawItemEvent OnDrawItem READ OnDrawItem WRITE SetOnDrawItem)
    Q_PROPERTY(TMeasureItemEvent OnMeasureItem READ OnMeasureItem WRITE SetOnMeasureItem)
public:
    Q_INVOKABLE explicit TKroDBSortingCombo(TComponent* AOwner = nullptr);
    ~TKroDBSortingCombo() override;

    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* Value);
    TFieldNameKind FieldNameKind() const { return FFieldNameKind; }
    void SetFieldNameKind(TFieldNameKind Value) { FFieldNameKind = Value; }
    bool SelfList() const { return FSelfList; }
    void SetSelfList(bool Value);
    TStrings* SortingItems() const { return FSortingItems; }
    // Copies the lines and refills.
    void SetSortingItems(TStrings* Value);

    // The orderings the entries stand for, in entry order.
    const QStringList& Orderings() const { return FOrderings; }
    // Shows the entries anew from the sources, then the current one.
    void Refill();
    // Selects the entry of the dataset's current order (none when no entry matches).
    void SelectCurrent();
    // Whether the entries are the dataset's index definitions.
    bool FromIndexDefs() const { return FIndexDefs != nullptr; }

protected:
    void Select() override;
    void ParentChanged() override;
    void EnabledChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDataSet* DataSet() const { return FDataLink.DataSet(); }
    // The ordering lines the sources give, or none.
    QStringList SourceOrderings() const;
    TIndexDefs* IndexDefsOf(TDataSet* DataSet) const;

    TSortingDataLink FDataLink{this};
    TFieldNameKind FFieldNameKind = fnNoQuotes;
    bool FSelfList = false;
    TStringList* FSortingItems;
    QStringList FOrderings;
    TIndexDefs* FIndexDefs = nullptr; // the dataset's, while the entries are them
    int FUpdating = 0;                // the combo's own changes of its entries
};
