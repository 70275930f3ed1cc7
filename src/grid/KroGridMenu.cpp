#include "KroGridMenu.h"

#include "KroGrid.h"

#include <QPointer>
#include <controls/KroContr.h>
#include <db/DataSource.h>
#include <fields/KroLook.h>
#include <rtl/Exceptions.h>
#include <ui/Application.h>

namespace {

// The grid items and their separator, in front of the record items.
enum TGridItem { giFields, giPrint, giPrintRecord, giSwitch, giPickLengths, giLine, giCount };

// The texts longer than this count as this long.
constexpr int LongestText = 255;

// Runs Hook on Grid when its dataset is open and not empty; a failure is reported as Error.
void RunPrintHook(TGridPrintHook Hook, TDBGrid* Grid, const QString& Error) {
    TDataSet* dataSet = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
    if (!Hook || !dataSet || !dataSet->Active() || dataSet->IsEmpty())
        return;
    try {
        Hook(Grid);
    } catch (const Exception&) {
        ShowKroMessage(Error);
    }
}

// The display texts of each field (by field index) in the first MaxRecords records, cut
// at LongestText characters; none for BLOB and lookup fields.
QList<QStringList> DisplayTexts(TDataSet* DataSet, int MaxRecords) {
    QList<QStringList> texts(DataSet->FieldCount());
    DataSet->First();
    for (int record = 0; record < MaxRecords && !DataSet->Eof(); ++record) {
        for (int i = 0; i < DataSet->FieldCount(); ++i) {
            const TField* field = DataSet->Fields()->Fields(i);
            if (!field->IsBlob() && !qobject_cast<const TKroLookField*>(field))
                texts[i] << field->DisplayText().left(LongestText);
        }
        DataSet->Next();
    }
    return texts;
}

int LongestLength(const QStringList& Texts) {
    int length = 0;
    for (const QString& text : Texts)
        length = qMax(length, int(text.size()));
    return length;
}

// The first of Grid's columns that shows Field; nullptr when none does.
TColumn* FirstColumnOf(const TDBGrid* Grid, const TField* Field) {
    for (int i = 0; i < Grid->Columns()->Count(); ++i)
        if (Grid->Columns()->Items(i)->Field() == Field)
            return Grid->Columns()->Items(i);
    return nullptr;
}

// Sizes Column for Length characters of its font, the font's overhang counted once, and
// at least as wide as the widest of Texts: letters may be wider than "0".
void FitColumn(TDBGrid* Grid, TColumn* Column, int Length, const QStringList& Texts) {
    TCanvas* canvas = Grid->Canvas();
    canvas->Font()->Assign(Column->Font());
    const int overhang = GetTextMetrics(canvas).tmOverhang;
    const int zero = canvas->TextWidth(QStringLiteral("0"));
    int width = (zero - overhang) * (Length / 20 + Length + 1) + overhang + 4;
    for (const QString& text : Texts)
        width = qMax(width, canvas->TextWidth(text) + 4);
    Column->SetWidth(width);
}

// Puts the dataset back as it was found: on its record, closed when it was, its controls
// enabled.
class TPickRestore {
public:
    TPickRestore(TDataSet* DataSet, bool WasActive)
        : FDataSet(DataSet), FWasActive(WasActive),
          FBookmark(WasActive ? DataSet->GetBookmark() : TBookmark()) {
        FDataSet->DisableControls();
    }
    ~TPickRestore() {
        if (FWasActive) {
            if (FDataSet->BookmarkValid(FBookmark))
                FDataSet->GotoBookmark(FBookmark);
            FDataSet->FreeBookmark(FBookmark);
        } else {
            FDataSet->Close();
        }
        FDataSet->EnableControls();
    }
    TPickRestore(const TPickRestore&) = delete;
    TPickRestore& operator=(const TPickRestore&) = delete;

private:
    TDataSet* FDataSet;
    bool FWasActive;
    TBookmark FBookmark;
};

} // namespace

TPopupMenuKroDBGrid::TPopupMenuKroDBGrid(TComponent* AOwner) : TPopupMenuKroDBControls(AOwner) {
    NewItem(giFields, QStringLiteral("Fields visibility"), scNone,
            OnDataSet([this](TDataSet*) { FieldsVisibility(); }));
    NewItem(giPrint, QStringLiteral("Print"), scNone,
            OnDataSet([this](TDataSet*) { PrintTable(); }));
    NewItem(giPrintRecord, QStringLiteral("Print record"), scNone,
            OnDataSet([this](TDataSet*) { PrintRecord(); }));
    NewItem(giSwitch, QStringLiteral("Grid / One record"), scNone,
            OnDataSet([this](TDataSet*) { SwitchPage(); }));
    NewItem(giPickLengths, QStringLiteral("Pick length of fields"), scNone,
            OnDataSet([this](TDataSet*) { PickLengths(); }));
    NewItem(giLine, QStringLiteral("-"), scNone, nullptr);
}

TKroScrollBoxForGrid* TPopupMenuKroDBGrid::Page() const {
    return qobject_cast<TKroScrollBoxForGrid*>(PopupComponent());
}

TDBGrid* TPopupMenuKroDBGrid::Grid() const {
    if (auto* grid = qobject_cast<TDBGrid*>(PopupComponent()))
        return grid;
    const TKroScrollBoxForGrid* page = Page();
    return page ? page->Grid() : nullptr;
}

TDataSource* TPopupMenuKroDBGrid::ControlDataSource() const {
    const TDBGrid* grid = Grid();
    return grid ? grid->DataSource() : nullptr;
}

void TPopupMenuKroDBGrid::UpdateItems(int Offset) {
    TPopupMenuKroDBControls::UpdateItems(Offset + giCount);
    if (!DataSet())
        return;
    const bool hasRecords = !DataSet()->IsEmpty();
    if (qobject_cast<TKroDbGrid*>(Grid())) {
        Item(Offset + giFields)->SetEnabled(true);
        Item(Offset + giPrint)->SetEnabled(hasRecords);
        Item(Offset + giPrintRecord)->SetEnabled(hasRecords);
    } else {
        Item(Offset + giPrint)->SetEnabled(hasRecords && PrintTableHook);
        Item(Offset + giPrintRecord)->SetEnabled(hasRecords && PrintRecordHook);
    }
    Item(Offset + giSwitch)->SetEnabled(true);
    Item(Offset + giPickLengths)->SetEnabled(true);
}

void TPopupMenuKroDBGrid::FieldsVisibility() {
    auto* grid = qobject_cast<TKroDbGrid*>(Grid());
    if (!grid)
        return;
    grid->FieldsVisibility();
    if (TKroScrollBoxForGrid* page = Page())
        page->Rebuild();
}

void TPopupMenuKroDBGrid::PrintTable() {
    if (auto* grid = qobject_cast<TKroDbGrid*>(Grid()))
        grid->PrintTable();
    else if (TDBGrid* other = Grid())
        RunPrintHook(PrintTableHook, other, QStringLiteral("Error printing table"));
}

void TPopupMenuKroDBGrid::PrintRecord() {
    if (auto* grid = qobject_cast<TKroDbGrid*>(Grid()))
        grid->PrintRecord();
    else if (TDBGrid* other = Grid())
        RunPrintHook(PrintRecordHook, other, QStringLiteral("Error printing record"));
}

void TPopupMenuKroDBGrid::SwitchPage() {
    if (TKroScrollBoxForGrid* page = Page()) {
        page->Toggle();
        delete page;
        return;
    }
    TDBGrid* grid = Grid();
    if (!grid)
        return;
    auto* page = new TKroScrollBoxForGrid(grid->Owner());
    page->SetGrid(grid);
    page->SetPopupMenu(this);
    page->Toggle();
    if (!page->Showing())
        delete page;
}

void TPopupMenuKroDBGrid::PickLengths() {
    if (TDBGrid* grid = Grid())
        PickFieldLengths(grid, 300);
    if (TKroScrollBoxForGrid* page = Page())
        page->Rebuild();
}

TPopupMenuKroDBGrid* PopupMenuKroDBGrid() {
    static QPointer<TPopupMenuKroDBGrid> menu;
    if (!menu)
        menu = new TPopupMenuKroDBGrid(Application());
    return menu;
}

void PickFieldLengths(TComponent* Component, int MaxRecords) {
    auto* grid = qobject_cast<TDBGrid*>(Component);
    TDataSet* dataSet = qobject_cast<TDataSet*>(Component);
    if (grid && grid->DataSource())
        dataSet = grid->DataSource()->DataSet();
    if (!dataSet)
        return;
    const bool wasActive = dataSet->Active();
    if (wasActive)
        dataSet->CheckBrowseMode();
    else
        dataSet->Open();
    if (dataSet->IsEmpty()) {
        if (!wasActive)
            dataSet->Close();
        return;
    }
    const TPickRestore restore(dataSet, wasActive);
    const QList<QStringList> texts = DisplayTexts(dataSet, MaxRecords);
    const bool resizeColumns = grid && grid->Options().Contains(dgColumnResize);
    for (int i = 0; i < texts.size(); ++i) {
        const int length = LongestLength(texts[i]);
        if (length <= 0)
            continue;
        TField* field = dataSet->Fields()->Fields(i);
        if (TColumn* column = resizeColumns ? FirstColumnOf(grid, field) : nullptr)
            FitColumn(grid, column, length, texts[i]);
        field->SetDisplayWidth(length + 1 + length / 20);
    }
}
