#include "DBGrids.h"

#include "Dialogs.h"

#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <db/DataSource.h>
#include <db/Field.h>
#include <db/Fields.h>
#include <rtl/Strings.h>

namespace {

bool SameFont(const TFont* A, const TFont* B) {
    return A->Name() == B->Name() && A->Height() == B->Height() && A->Style() == B->Style() &&
           A->Color() == B->Color() && A->Pitch() == B->Pitch() && A->Charset() == B->Charset();
}

} // namespace

// TColumnTitle

TColumnTitle::TColumnTitle(TColumn* Column)
    : TPersistent(Column), FColumn(Column), FFont(new TFont(this)) {
    FFont->SetOnChange(TNotifyEvent([this](TObject*) { FColumn->Assigned(cvTitleFont); }));
}

QString TColumnTitle::Caption() const {
    if (FColumn->FAssigned.Contains(cvTitleCaption))
        return FCaption;
    const TField* field = FColumn->Field();
    return field ? field->DisplayLabel() : FColumn->FieldName();
}

void TColumnTitle::SetCaption(const QString& Value) {
    FCaption = Value;
    FColumn->Assigned(cvTitleCaption);
}

TAlignment TColumnTitle::Alignment() const {
    return FColumn->FAssigned.Contains(cvTitleAlignment) ? FAlignment : taLeftJustify;
}

void TColumnTitle::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    FColumn->Assigned(cvTitleAlignment);
}

TColor TColumnTitle::Color() const {
    if (FColumn->FAssigned.Contains(cvTitleColor))
        return FColor;
    const TDBGrid* grid = FColumn->Grid();
    return grid ? grid->FixedColor() : clBtnFace;
}

void TColumnTitle::SetColor(TColor Value) {
    FColor = Value;
    FColumn->Assigned(cvTitleColor);
}

TFont* TColumnTitle::Font() const {
    const TDBGrid* grid = FColumn->Grid();
    FColumn->SyncFont(FFont, grid ? grid->TitleFont() : nullptr, cvTitleFont);
    return FFont;
}

void TColumnTitle::RestoreDefaults() {
    FColumn->FAssigned -= {cvTitleCaption, cvTitleAlignment, cvTitleColor, cvTitleFont};
}

bool TColumnTitle::IsStoredProp(const QString& Name) const {
    const TColumnValues assigned = FColumn->FAssigned;
    if (Name == QLatin1String("Caption"))
        return assigned.Contains(cvTitleCaption);
    if (Name == QLatin1String("Alignment"))
        return assigned.Contains(cvTitleAlignment);
    if (Name == QLatin1String("Color"))
        return assigned.Contains(cvTitleColor);
    if (Name == QLatin1String("Font"))
        return assigned.Contains(cvTitleFont);
    return TPersistent::IsStoredProp(Name);
}

// TColumn

TColumn::TColumn(TCollection* Collection)
    : TCollectionItem(Collection), FFont(new TFont(this)), FPickList(new TStringList(this)),
      FTitle(new TColumnTitle(this)) {
    FFont->SetOnChange(TNotifyEvent([this](TObject*) { Assigned(cvFont); }));
    FPickList->SetOnChange(TNotifyEvent([this](TObject*) { Changed(false); }));
}

TColumn::~TColumn() = default;

TDBGrid* TColumn::Grid() const {
    const auto* columns = qobject_cast<const TDBGridColumns*>(Collection());
    return columns ? columns->Grid() : nullptr;
}

TField* TColumn::Field() const {
    if (!FField && !FFieldName.isEmpty())
        if (const TDBGrid* grid = Grid())
            if (const TDataSet* dataSet = grid->ActiveDataSet())
                FField = dataSet->FindField(FFieldName);
    return FField;
}

void TColumn::Assigned(TColumnValue Value) {
    if (FSyncingFont)
        return;
    FAssigned.Include(Value);
    Changed(false);
}

void TColumn::SyncFont(TFont* Font, const TFont* Source, TColumnValue Value) const {
    if (FAssigned.Contains(Value) || !Source || SameFont(Font, Source))
        return;
    QScopedValueRollback syncing(FSyncingFont, true);
    Font->Assign(const_cast<TFont*>(Source));
}

void TColumn::SetFieldName(const QString& Value) {
    FFieldName = Value;
    FField = nullptr;
    Changed(false);
}

TAlignment TColumn::Alignment() const {
    if (FAssigned.Contains(cvAlignment))
        return FAlignment;
    const TField* field = Field();
    return field ? field->Alignment() : taLeftJustify;
}

void TColumn::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Assigned(cvAlignment);
}

void TColumn::SetButtonStyle(TColumnButtonStyle Value) {
    FButtonStyle = Value;
    Changed(false);
}

TColor TColumn::Color() const {
    if (FAssigned.Contains(cvColor))
        return FColor;
    const TDBGrid* grid = Grid();
    return grid ? grid->Color() : clWindow;
}

void TColumn::SetColor(TColor Value) {
    FColor = Value;
    Assigned(cvColor);
}

TFont* TColumn::Font() const {
    const TDBGrid* grid = Grid();
    SyncFont(FFont, grid ? grid->Font() : nullptr, cvFont);
    return FFont;
}

bool TColumn::ReadOnly() const {
    if (FAssigned.Contains(cvReadOnly))
        return FReadOnly;
    const TField* field = Field();
    return field && field->ReadOnly();
}

void TColumn::SetReadOnly(bool Value) {
    FReadOnly = Value;
    Assigned(cvReadOnly);
}

void TColumn::SetVisible(bool Value) {
    FVisible = Value;
    Changed(true);
}

int TColumn::Width() const {
    return FAssigned.Contains(cvWidth) ? FWidth : DefaultWidth();
}

void TColumn::SetWidth(int Value) {
    FWidth = qMax(0, Value);
    Assigned(cvWidth);
}

int TColumn::DefaultWidth() const {
    const TDBGrid* grid = Grid();
    const TField* field = Field();
    if (!grid || !field)
        return 64;
    TCanvas* canvas = grid->Canvas();
    canvas->Font()->Assign(Font());
    int width = field->DisplayWidth() * canvas->TextWidth(QStringLiteral("0")) + 4;
    if (grid->Options().Contains(dgTitles)) {
        canvas->Font()->Assign(FTitle->Font());
        width = qMax(width, canvas->TextWidth(FTitle->Caption()) + 4);
    }
    return width;
}

void TColumn::RestoreDefaults() {
    FAssigned = {};
    FTitle->RestoreDefaults();
    Changed(false);
}

QString TColumn::DisplayName() const {
    return FFieldName.isEmpty() ? TCollectionItem::DisplayName() : FFieldName;
}

bool TColumn::IsStoredProp(const QString& Name) const {
    static const QList<std::pair<QLatin1String, TColumnValue>> assignable{
        {QLatin1String("Alignment"), cvAlignment},
        {QLatin1String("Color"), cvColor},
        {QLatin1String("Font"), cvFont},
        {QLatin1String("ReadOnly"), cvReadOnly},
        {QLatin1String("Width"), cvWidth}};
    for (const auto& [name, value] : assignable)
        if (Name == name)
            return FAssigned.Contains(value);
    if (Name == QLatin1String("PickList"))
        return FPickList->Count() > 0;
    return TCollectionItem::IsStoredProp(Name);
}

// TDBGridColumns

TDBGridColumns::TDBGridColumns(TDBGrid* Grid, const QMetaObject* ColumnClass)
    : TCollection(ColumnClass, Grid), FGrid(Grid) {}

TPersistent* TDBGridColumns::GetOwner() const {
    return FGrid;
}

TDBGridColumnsState TDBGridColumns::State() const {
    return Count() == 0 || !Items(0)->IsStored() ? csDefault : csCustomized;
}

void TDBGridColumns::SetState(TDBGridColumnsState Value) {
    if (Value == State())
        return;
    if (Value == csDefault) {
        RebuildColumns();
        return;
    }
    for (int i = 0; i < Count(); ++i)
        Items(i)->FStored = true;
}

void TDBGridColumns::RebuildColumns() {
    BeginUpdate();
    Clear();
    if (const TDataSet* dataSet = FGrid->ActiveDataSet())
        for (TField* field : *dataSet->Fields())
            if (field->Visible()) {
                TColumn* column = Add();
                column->FStored = false;
                column->FFieldName = field->FieldName();
            }
    EndUpdate();
}

bool TDBGridColumns::MatchFields() const {
    const TDataSet* dataSet = FGrid->ActiveDataSet();
    if (!dataSet)
        return Count() == 0;
    int index = 0;
    for (const TField* field : *dataSet->Fields())
        if (field->Visible() &&
            (index >= Count() || Items(index++)->FieldName() != field->FieldName()))
            return false;
    return index == Count();
}

void TDBGridColumns::RestoreDefaults() {
    BeginUpdate();
    for (int i = 0; i < Count(); ++i)
        Items(i)->RestoreDefaults();
    EndUpdate();
}

void TDBGridColumns::Update(TCollectionItem*) {
    FGrid->LayoutChanged();
}

// TGridDataLink

TGridDataLink::TGridDataLink(TDBGrid* Grid) : FGrid(Grid) {}

void TGridDataLink::Reset() {
    if (FModified) {
        FModified = false;
        FGrid->RecordChanged(nullptr);
    } else if (TDataSet* dataSet = DataSet()) {
        dataSet->Cancel();
    }
}

int TGridDataLink::FieldCount() const {
    return FGrid->Columns()->Count();
}

TField* TGridDataLink::Fields(int Index) const {
    return FGrid->Columns()->Items(Index)->Field();
}

void TGridDataLink::ActiveChanged() {
    FModified = false;
    FGrid->LinkActive(Active());
}

void TGridDataLink::DataSetChanged() {
    FModified = false;
    FGrid->DataChanged();
}

void TGridDataLink::DataSetScrolled(int Distance) {
    FGrid->Scroll(Distance);
}

void TGridDataLink::EditingChanged() {
    FGrid->EditingChanged();
}

void TGridDataLink::FocusControl(TField** Field) {
    for (int i = 0; i < FieldCount(); ++i)
        if (*Field && Fields(i) == *Field && FGrid->GridColumnOf(i) >= 0) {
            FGrid->SetSelectedIndex(i);
            if (FGrid->CanFocus())
                FGrid->SetFocus();
            *Field = nullptr;
            return;
        }
}

void TGridDataLink::LayoutChanged() {
    FGrid->LayoutChanged();
}

void TGridDataLink::RecordChanged(TField* Field) {
    FGrid->RecordChanged(Field);
    FModified = false;
}

void TGridDataLink::UpdateData() {
    if (!FModified)
        return;
    FGrid->UpdateData();
    FModified = false;
}

// TBookmarkList

TDataSet* TBookmarkList::DataSet() const {
    return FGrid->ActiveDataSet();
}

// Bookmarks of one dataset are equal values; comparing them reads nothing.
int TBookmarkList::IndexOf(const TBookmark& Bookmark) const {
    for (int i = 0; i < FList.size(); ++i)
        if (VarSameValue(FList[i], Bookmark))
            return i;
    return -1;
}

bool TBookmarkList::CurrentRowSelected() const {
    const TDataSet* dataSet = DataSet();
    return dataSet && !dataSet->IsEmpty() && dataSet->State() != dsInsert &&
           IndexOf(dataSet->GetBookmark()) >= 0;
}

void TBookmarkList::SetCurrentRowSelected(bool Value) {
    const TDataSet* dataSet = DataSet();
    if (!dataSet || dataSet->IsEmpty() || dataSet->State() == dsInsert)
        return;
    const TBookmark current = dataSet->GetBookmark();
    const int index = IndexOf(current);
    if (Value && index < 0)
        FList.append(current);
    else if (!Value && index >= 0)
        FList.removeAt(index);
    else
        return;
    FGrid->InvalidateRow(FGrid->Row());
}

void TBookmarkList::Clear() {
    if (FList.isEmpty())
        return;
    FList.clear();
    FGrid->Invalidate();
}

void TBookmarkList::Delete() {
    TDataSet* dataSet = DataSet();
    if (!dataSet)
        return;
    dataSet->DisableControls();
    try {
        while (!FList.isEmpty()) {
            const TBookmark bookmark = FList.takeLast();
            if (dataSet->BookmarkValid(bookmark)) {
                dataSet->GotoBookmark(bookmark);
                dataSet->Delete();
            }
        }
    } catch (...) {
        dataSet->EnableControls();
        throw;
    }
    dataSet->EnableControls();
}

// TDBGrid

TDBGrid::TDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner), FTitleFont(new TFont(this)),
      FSelectedRows(std::make_unique<TBookmarkList>(this)) {
    FColumns = CreateColumns();
    FTitleFont->SetOnChange(TNotifyEvent([this](TObject*) { TitleFontChanged(); }));
    SetBounds(0, 0, 320, 120);
    ApplyGridOptions();
    LayoutChanged();
}

TDBGrid::~TDBGrid() {
    Destroying();
    // The columns tell the grid of their removal: while it is still whole.
    delete FColumns;
    FDataLink.reset();
}

TGridDataLink* TDBGrid::CreateDataLink() {
    return new TGridDataLink(this);
}

TDBGridColumns* TDBGrid::CreateColumns() {
    return new TDBGridColumns(this, &TColumn::staticMetaObject);
}

TGridDataLink* TDBGrid::DataLink() const {
    if (!FDataLink)
        FDataLink.reset(const_cast<TDBGrid*>(this)->CreateDataLink());
    return FDataLink.get();
}

TDataSet* TDBGrid::ActiveDataSet() const {
    return FDataLink && FDataLink->Active() ? FDataLink->DataSet() : nullptr;
}

TDataSource* TDBGrid::DataSource() const {
    return FDataLink ? FDataLink->DataSource() : nullptr;
}

void TDBGrid::SetDataSource(TDataSource* Value) {
    TDataSource* old = DataSource();
    if (Value == old)
        return;
    if (old)
        old->RemoveFreeNotification(this);
    FSelectedRows->Clear();
    DataLink()->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
    LayoutChanged();
}

void TDBGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomGrid::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
        SetDataSource(nullptr);
}

bool TDBGrid::IsStoredProp(const QString& Name) const {
    if (Name == QLatin1String("Columns"))
        return FColumns->State() == csCustomized;
    return TCustomGrid::IsStoredProp(Name);
}

void TDBGrid::SetOptions(TDBGridOptions Value) {
    if (Value == FOptions)
        return;
    if (!Value.Contains(dgMultiSelect))
        FSelectedRows->Clear();
    FOptions = Value;
    LayoutChanged();
}

void TDBGrid::SetReadOnly(bool Value) {
    FReadOnly = Value;
    if (Value)
        HideEditor();
    LayoutChanged();
}

void TDBGrid::ApplyGridOptions() {
    TGridOptions options{goFixedVertLine, goFixedHorzLine};
    const std::pair<TDBGridOption, TGridOption> mapped[]{{dgColLines, goVertLine},
                                                         {dgRowLines, goHorzLine},
                                                         {dgColumnResize, goColSizing},
                                                         {dgEditing, goEditing},
                                                         {dgAlwaysShowEditor, goAlwaysShowEditor},
                                                         {dgTabs, goTabs},
                                                         {dgRowSelect, goRowSelect}};
    for (const auto& [option, gridOption] : mapped)
        if (FOptions.Contains(option))
            options.Include(gridOption);
    SetGridOptions(options);
}

void TDBGrid::TitleFontChanged() {
    LayoutChanged();
}

void TDBGrid::FontChanged() {
    TCustomGrid::FontChanged();
    LayoutChanged();
}

// ---- Layout --------------------------------------------------------------------------

void TDBGrid::BeginLayout() {
    ++FLayoutLock;
}

void TDBGrid::EndLayout() {
    if (FLayoutLock > 0 && --FLayoutLock == 0)
        LayoutChanged();
}

void TDBGrid::LayoutChanged() {
    if (FLayoutLock > 0 || FInLayout || IsLoading() || IsDestroying())
        return;
    QScopedValueRollback inLayout(FInLayout, true);
    InternalLayout();
}

void TDBGrid::InternalLayout() {
    HideEditor();
    const bool active = ActiveDataSet() != nullptr;
    if (FColumns->State() == csDefault && !FColumns->MatchFields())
        FColumns->RebuildColumns();
    FShown.clear();
    for (int i = 0; i < FColumns->Count(); ++i) {
        TColumn* column = FColumns->Items(i);
        column->FieldChanged();
        if (column->Visible())
            FShown.append(column);
    }
    FIndicatorOffset = FOptions.Contains(dgIndicator) ? 1 : 0;
    ApplyGridOptions();
    SetColCount(FIndicatorOffset + qMax(1, int(FShown.size())));
    SetFixedCols(FIndicatorOffset);
    const int titleRows = FOptions.Contains(dgTitles) ? 1 : 0;
    SetRowCount(qMax(RowCount(), titleRows + 1));
    SetFixedRows(titleRows);

    Canvas()->Font()->Assign(Font());
    int rowHeight = Canvas()->TextHeight(QStringLiteral("Wg")) + 3;
    if (FOptions.Contains(dgRowLines))
        rowHeight += GridLineWidth();
    SetDefaultRowHeight(rowHeight);
    if (titleRows > 0) {
        Canvas()->Font()->Assign(FTitleFont);
        int titleHeight = Canvas()->TextHeight(QStringLiteral("Wg")) + 4;
        for (const TColumn* column : std::as_const(FShown)) {
            Canvas()->Font()->Assign(column->Title()->Font());
            titleHeight = qMax(titleHeight, Canvas()->TextHeight(QStringLiteral("Wg")) + 4);
        }
        SetRowHeights(0, titleHeight);
    }
    SetColumnAttributes();
    if (active)
        UpdateBufferCount();
    else
        FSelectedRows->Clear();
    UpdateRows();
}

void TDBGrid::SetColumnAttributes() {
    if (FIndicatorOffset > 0)
        SetColWidths(0, IndicatorWidth);
    for (int i = 0; i < FShown.size(); ++i) {
        SetColWidths(FIndicatorOffset + int(i), FShown[i]->Width());
        SetTabStops(FIndicatorOffset + int(i), ColumnIsTabStop(FShown[i]));
    }
}

bool TDBGrid::ColumnIsTabStop(const TColumn* Column) const {
    const TField* field = Column->Field();
    if (!DataLink()->Active() || !field || Column->ReadOnly() || field->ReadOnly())
        return false;
    if (field->FieldKind() == fkCalculated)
        return Column->ButtonStyle() == cbsEllipsis;
    if (field->FieldKind() == fkLookup) {
        // A lookup is edited through its key fields.
        const QStringList keys = SplitFieldNames(field->KeyFields());
        return !keys.isEmpty() && std::all_of(keys.begin(), keys.end(), [field](const QString& N) {
            const TField* key = field->DataSet()->FindField(N);
            return key && !key->ReadOnly();
        });
    }
    return true;
}

// The data rows that fit wholly in the client area make the link's window.
void TDBGrid::UpdateBufferCount() {
    const int line = FOptions.Contains(dgRowLines) ? GridLineWidth() : 0;
    int room = ClientRect().height();
    for (int r = 0; r < FixedRows(); ++r)
        room -= RowHeights(r) + line;
    const int rows = qMax(1, room / qMax(1, DefaultRowHeight() + line));
    DataLink()->SetBufferCount(rows);
}

// Rows and the current row follow the link's window.
void TDBGrid::UpdateRows() {
    const bool active = ActiveDataSet() != nullptr;
    SetRowCount(FixedRows() + qMax(1, active ? FDataLink->RecordCount() : 0));
    if (active)
        FocusCell(Col(), FixedRows() + qMax(0, FDataLink->ActiveRecord()));
    UpdateScrollBars();
    UpdateEdit();
    Invalidate();
}

void TDBGrid::ClientResized() {
    TCustomGrid::ClientResized();
    if (ActiveDataSet() && FLayoutLock == 0) {
        UpdateBufferCount();
        UpdateRows();
    }
}

void TDBGrid::ColWidthsChanged() {
    // A column widened with the mouse keeps its width.
    if (!FInLayout)
        for (int i = 0; i < FShown.size(); ++i) {
            TColumn* column = FShown[i];
            const int width = ColWidths(FIndicatorOffset + int(i));
            if (width != column->Width()) {
                QScopedValueRollback inLayout(FInLayout, true);
                column->SetWidth(width);
            }
        }
    TCustomGrid::ColWidthsChanged();
}

void TDBGrid::Loaded() {
    TCustomGrid::Loaded();
    LayoutChanged();
}

TColumn* TDBGrid::ColumnAt(int ACol) const {
    const int index = ACol - FIndicatorOffset;
    return index >= 0 && index < FShown.size() ? FShown[index] : nullptr;
}

int TDBGrid::GridColumnOf(int Index) const {
    if (Index < 0 || Index >= FColumns->Count())
        return -1;
    const int shown = int(FShown.indexOf(FColumns->Items(Index)));
    return shown < 0 ? -1 : FIndicatorOffset + shown;
}

// ---- Selection -----------------------------------------------------------------------

int TDBGrid::SelectedIndex() const {
    const TColumn* column = ColumnAt(Col());
    return column ? column->Index() : -1;
}

void TDBGrid::SetSelectedIndex(int Value) {
    const int col = GridColumnOf(Value);
    if (col < 0)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    FocusCell(col, Row());
}

TField* TDBGrid::SelectedField() const {
    const TColumn* column = ColumnAt(Col());
    return column ? column->Field() : nullptr;
}

void TDBGrid::SetSelectedField(TField* Value) {
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Field() == Value && GridColumnOf(i) >= 0) {
            SetSelectedIndex(i);
            return;
        }
}

bool TDBGrid::SelectCell(int ACol, int ARow) {
    (void)ARow;
    if (ACol != Col() && !FInLayout)
        ColExit();
    return true;
}

void TDBGrid::CellChanged(int OldCol, int OldRow) {
    TCustomGrid::CellChanged(OldCol, OldRow);
    if (OldCol != Col() && !FInLayout)
        ColEnter();
}

void TDBGrid::ColEnter() {
    FOnColEnter(this);
}

void TDBGrid::ColExit() {
    // The edited text goes into the record before another column is shown.
    if (EditorMode())
        DataLink()->UpdateRecord();
    FOnColExit(this);
}

// ---- Data link events ----------------------------------------------------------------

void TDBGrid::LinkActive(bool Value) {
    if (!Value)
        HideEditor();
    FSelectedRows->Clear();
    LayoutChanged();
}

void TDBGrid::DataChanged() {
    if (FLayoutLock > 0)
        return;
    UpdateRows();
    if (FOptions.Contains(dgAlwaysShowEditor))
        ShowEditor();
}

void TDBGrid::Scroll(int Distance) {
    (void)Distance;
    DataChanged();
}

void TDBGrid::EditingChanged() {
    InvalidateCol(0);
    if (FIndicatorOffset > 0)
        InvalidateCell(0, Row());
}

void TDBGrid::RecordChanged(TField* Field) {
    if (!HandleAllocated())
        return;
    Invalidate();
    TField* selected = SelectedField();
    if ((!Field || Field == selected) && selected && selected->Text() != FEditText) {
        InvalidateEditor();
        if (InplaceEditor())
            InplaceEditor()->Deselect();
    }
}

void TDBGrid::UpdateData() {
    TField* field = SelectedField();
    if (field)
        field->SetText(FEditText);
}

// ---- Editing -------------------------------------------------------------------------

bool TDBGrid::CanModifyData() const {
    const TGridDataLink* link = DataLink();
    return link->Active() && !FReadOnly && link->DataSet()->CanModify();
}

bool TDBGrid::CanEditShow() const {
    if (!TCustomGrid::CanEditShow() || !DataLink()->Active() || !FOptions.Contains(dgEditing))
        return false;
    const TColumn* column = ColumnAt(Col());
    return column && column->Field();
}

bool TDBGrid::AcquireEdit() {
    TGridDataLink* link = DataLink();
    if (!link->Active())
        return false;
    link->Edit();
    return link->Editing();
}

bool TDBGrid::CanEditModify() {
    if (!CanModifyData() || !FOptions.Contains(dgEditing))
        return false;
    const TColumn* column = ColumnAt(Col());
    const TField* field = column ? column->Field() : nullptr;
    if (!field || column->ReadOnly() || !field->CanModify())
        return false;
    return AcquireEdit();
}

QString TDBGrid::GetEditText(int ACol, int) {
    const TColumn* column = ColumnAt(ACol);
    const TField* field = column ? column->Field() : nullptr;
    FEditText = field ? field->Text() : QString();
    return FEditText;
}

void TDBGrid::SetEditText(int, int, const QString& Value) {
    FEditText = Value;
    DataLink()->Modified();
}

int TDBGrid::GetEditLimit() {
    const TField* field = SelectedField();
    return field && field->DataType() == ftString ? field->Size() : 0;
}

TAlignment TDBGrid::GetEditAlignment(int ACol, int) {
    const TColumn* column = ColumnAt(ACol);
    return column ? column->Alignment() : taLeftJustify;
}

TEditStyle TDBGrid::GetEditStyle(int ACol, int) {
    const TColumn* column = ColumnAt(ACol);
    if (!column)
        return esSimple;
    switch (column->ButtonStyle()) {
    case cbsEllipsis:
        return esEllipsis;
    case cbsAuto:
        return column->PickList()->Count() > 0 ? esPickList : esSimple;
    case cbsNone:
        break;
    }
    return esSimple;
}

QStringList TDBGrid::GetPickList(int ACol, int) {
    const TColumn* column = ColumnAt(ACol);
    return column ? column->PickList()->ToStringList() : QStringList();
}

void TDBGrid::EditButtonClick() {
    FOnEditButtonClick(this);
}

void TDBGrid::CancelEdit() {
    TGridDataLink* link = DataLink();
    if (!link->Active())
        return;
    link->Reset();
    if (!FOptions.Contains(dgAlwaysShowEditor))
        HideEditor();
}

void TDBGrid::DeleteRecord() {
    TDataSet* dataSet = DataLink()->DataSet();
    if (!CanModifyData() || dataSet->IsEmpty())
        return;
    const bool several = FOptions.Contains(dgMultiSelect) && FSelectedRows->Count() > 0;
    const QString question =
        several ? QStringLiteral("Delete all selected records?") : QStringLiteral("Delete record?");
    if (FOptions.Contains(dgConfirmDelete) &&
        MessageDlg(question, mtConfirmation, mbOKCancel) != mrOk)
        return;
    if (several)
        FSelectedRows->Delete();
    else
        dataSet->Delete();
}

// ---- Keys and mouse ------------------------------------------------------------------

bool TDBGrid::WantKey(quint16 Key) const {
    if (Key == VK_ESCAPE && DataLink()->Active() && DataLink()->DataSet()->IsEditing())
        return true;
    return TCustomGrid::WantKey(Key);
}

void TDBGrid::MoveRecord(int Distance, TShiftState Shift, bool MayAppend) {
    TGridDataLink* link = DataLink();
    TDataSet* dataSet = link->DataSet();
    const bool extend = FOptions.Contains(dgMultiSelect) && Shift.Contains(ssShift);
    if (extend)
        FSelectedRows->SetCurrentRowSelected(true);
    else
        FSelectedRows->Clear();
    // A new record left untouched is dropped rather than posted.
    if (dataSet->State() == dsInsert && !dataSet->Modified() && !link->IsModified()) {
        dataSet->Cancel();
        if (Distance < 0)
            return;
    }
    const int moved = link->MoveBy(Distance);
    if (MayAppend && moved == 0 && Distance == 1 && dataSet->Eof() && CanModifyData() &&
        FOptions.Contains(dgEditing) && dataSet->State() != dsInsert)
        dataSet->Append();
    if (extend)
        FSelectedRows->SetCurrentRowSelected(true);
}

void TDBGrid::TabMove(bool Forward) {
    // To the next tab stop of the record, else to the first (last) one of the next
    // (previous) record.
    if (const int col = TabStopBeside(Col(), Forward); col >= 0) {
        FocusCell(col, Row());
        return;
    }
    const int col = TabStopBeside(Forward ? -1 : ColCount(), Forward);
    TDataSet* dataSet = DataLink()->DataSet();
    if (col < 0 || (Forward ? dataSet->Eof() : dataSet->Bof()))
        return;
    MoveRecord(Forward ? 1 : -1, {});
    FocusCell(col, Row());
}

void TDBGrid::KeyDown(quint16& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if (!Key)
        return;
    TGridDataLink* link = DataLink();
    if (!link->Active()) {
        TCustomGrid::KeyDown(Key, Shift);
        return;
    }
    TDataSet* dataSet = link->DataSet();
    const bool ctrl = Shift.Contains(ssCtrl);
    const int page = qMax(1, VisibleRowCount());
    switch (Key) {
    case VK_UP:
        MoveRecord(-1, Shift);
        break;
    case VK_DOWN:
        MoveRecord(1, Shift);
        break;
    case VK_PRIOR:
        MoveRecord(-page, Shift);
        break;
    case VK_NEXT:
        MoveRecord(page, Shift);
        break;
    case VK_HOME:
        if (ctrl) {
            FSelectedRows->Clear();
            dataSet->First();
        } else {
            FocusCell(FIndicatorOffset, Row());
        }
        break;
    case VK_END:
        if (ctrl) {
            FSelectedRows->Clear();
            dataSet->Last();
        } else {
            FocusCell(ColCount() - 1, Row());
        }
        break;
    case VK_LEFT:
        MoveColumn(-1);
        break;
    case VK_RIGHT:
        MoveColumn(1);
        break;
    case VK_TAB:
        if (!FOptions.Contains(dgTabs))
            return;
        TabMove(!Shift.Contains(ssShift));
        break;
    case VK_INSERT:
        if (ctrl || !CanModifyData() || !FOptions.Contains(dgEditing))
            return;
        dataSet->Insert();
        break;
    case VK_DELETE:
        if (!ctrl)
            return;
        DeleteRecord();
        break;
    case VK_ESCAPE:
        CancelEdit();
        break;
    case VK_RETURN:
        if (!FOptions.Contains(dgEditing))
            return;
        if (EditorMode()) {
            link->UpdateRecord();
            if (!FOptions.Contains(dgAlwaysShowEditor))
                HideEditor();
        } else {
            ShowEditor();
        }
        break;
    case VK_F2:
        ShowEditor();
        break;
    default:
        return;
    }
    Key = 0;
}

void TDBGrid::KeyPress(QChar& Key) {
    if (FOptions.Contains(dgMultiSelect) && Key == QLatin1Char(' ') && !EditorMode()) {
        TWinControl::KeyPress(Key);
        if (!Key.isNull())
            FSelectedRows->SetCurrentRowSelected(!FSelectedRows->CurrentRowSelected());
        Key = QChar();
        return;
    }
    TCustomGrid::KeyPress(Key);
}

void TDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridCoord cell = MouseCoord(X, Y);
    FPressedCell = cell;
    TGridDataLink* link = DataLink();
    if (Button != mbLeft || !link->Active() || cell.Y < FixedRows() || cell.X < 0) {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
        return;
    }
    TWinControl::MouseDown(Button, Shift, X, Y);
    if (!GridFocused() && CanFocus())
        SetFocus();
    const bool current = cell.Y == Row() && cell.X == Col();
    const bool multi = FOptions.Contains(dgMultiSelect);
    if (!(multi && Shift.Contains(ssCtrl)))
        FSelectedRows->Clear();
    if (cell.Y != Row())
        link->MoveBy(cell.Y - Row());
    if (cell.X >= FIndicatorOffset)
        FocusCell(cell.X, Row());
    if (multi && Shift.Contains(ssCtrl))
        FSelectedRows->SetCurrentRowSelected(!FSelectedRows->CurrentRowSelected());
    else if (current && cell.X >= FIndicatorOffset && FOptions.Contains(dgEditing))
        ShowEditor();
}

void TDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomGrid::MouseUp(Button, Shift, X, Y);
    const TGridCoord cell = MouseCoord(X, Y);
    if (Button != mbLeft || !(cell == FPressedCell))
        return;
    TColumn* column = ColumnAt(cell.X);
    if (!column)
        return;
    if (cell.Y < FixedRows())
        TitleClick(column);
    else
        CellClick(column);
}

void TDBGrid::CellClick(TColumn* Column) {
    FOnCellClick(Column);
}

void TDBGrid::TitleClick(TColumn* Column) {
    FOnTitleClick(Column);
}

void TDBGrid::DoExit() {
    TCustomGrid::DoExit();
    if (GridFocused() || !FOptions.Contains(dgCancelOnExit))
        return;
    TGridDataLink* link = DataLink();
    TDataSet* dataSet = link->Active() ? link->DataSet() : nullptr;
    if (dataSet && dataSet->State() == dsInsert && !dataSet->Modified() && !link->IsModified())
        dataSet->Cancel();
}

// ---- Scroll bar ----------------------------------------------------------------------

void TDBGrid::UpdateScrollBars() {
    QScrollBar* bar = VerticalScrollBar();
    if (!bar || !FDataLink || !FDataLink->Active()) {
        TCustomGrid::UpdateScrollBars();
        return;
    }
    TCustomGrid::UpdateScrollBars();
    TDataSet* dataSet = FDataLink->DataSet();
    const QSignalBlocker blocker(bar);
    if (dataSet->IsEmpty()) {
        bar->setRange(0, 0);
        return;
    }
    const qint64 count = dataSet->State() == dsInsert ? -1 : dataSet->RecordCount();
    if (count > 0 && count <= PositionalScrollLimit) {
        bar->setRange(0, int(count) - 1);
        bar->setPageStep(qMax(1, VisibleRowCount()));
        bar->setValue(int(qMax<qint64>(1, dataSet->RecNo())) - 1);
        return;
    }
    // Too many records to count positions cheaply: top, middle or bottom.
    bar->setRange(0, 4);
    bar->setPageStep(1);
    bar->setValue(dataSet->Bof() ? 0 : dataSet->Eof() ? 4 : 2);
}

void TDBGrid::VerticalScroll(int Action) {
    TGridDataLink* link = DataLink();
    if (!link->Active())
        return;
    TDataSet* dataSet = link->DataSet();
    QScrollBar* bar = VerticalScrollBar();
    const int page = qMax(1, VisibleRowCount());
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd:
        MoveRecord(1, {});
        break;
    case QAbstractSlider::SliderSingleStepSub:
        MoveRecord(-1, {});
        break;
    case QAbstractSlider::SliderPageStepAdd:
        MoveRecord(page, {});
        break;
    case QAbstractSlider::SliderPageStepSub:
        MoveRecord(-page, {});
        break;
    case QAbstractSlider::SliderToMinimum:
        dataSet->First();
        break;
    case QAbstractSlider::SliderToMaximum:
        dataSet->Last();
        break;
    case QAbstractSlider::SliderMove: {
        const int position = bar->sliderPosition();
        if (position <= bar->minimum())
            dataSet->First();
        else if (position >= bar->maximum())
            dataSet->Last();
        else if (bar->maximum() > 4 || bar->pageStep() > 1)
            link->MoveBy(int(position + 1 - dataSet->RecNo()));
        break;
    }
    default:
        break;
    }
    UpdateScrollBars();
}

void TDBGrid::MouseWheel(int Notches) {
    if (DataLink()->Active())
        MoveRecord(-Notches, {}, false);
}

// ---- Drawing -------------------------------------------------------------------------

TGridIndicator TDBGrid::RowIndicator(int DataRow) const {
    const TGridDataLink* link = DataLink();
    if (!link->Active() || DataRow < 0 || DataRow >= link->RecordCount())
        return giNone;
    const bool current = DataRow == link->ActiveRecord();
    bool selected = false;
    if (FOptions.Contains(dgMultiSelect) && FSelectedRows->Count() > 0) {
        TGridDataLink* mutableLink = const_cast<TGridDataLink*>(link);
        const int old = link->ActiveRecord();
        mutableLink->SetActiveRecord(DataRow);
        selected = FSelectedRows->CurrentRowSelected();
        mutableLink->SetActiveRecord(old);
    }
    if (!current)
        return selected ? giMultiSelect : giNone;
    switch (link->DataSet()->State()) {
    case dsEdit:
        return giEdit;
    case dsInsert:
        return giInsert;
    default:
        return selected ? giCurrentSelected : giCurrent;
    }
}

void TDBGrid::DrawIndicatorCell(int DataRow, const QRect& ARect) {
    TCanvas* canvas = Canvas();
    canvas->FillRect(ARect);
    const TGridIndicator mark = RowIndicator(DataRow);
    const QPoint c = ARect.center();
    const int x = c.x(), y = c.y();
    canvas->Pen()->SetColor(clWindowText);
    canvas->Brush()->SetColor(clWindowText);
    // Lines leave out their end points.
    auto line = [canvas](int X1, int Y1, int X2, int Y2) {
        canvas->MoveTo(X1, Y1);
        canvas->LineTo(X2, Y2);
    };
    switch (mark) {
    case giCurrent:
    case giCurrentSelected:
        canvas->Polygon({QPoint(x - 2, y - 4), QPoint(x + 2, y), QPoint(x - 2, y + 4)});
        break;
    case giEdit: // a caret: the record is being changed
        line(x, y - 4, x, y + 5);
        line(x - 2, y - 4, x + 3, y - 4);
        line(x - 2, y + 4, x + 3, y + 4);
        break;
    case giInsert: // a star: a new record
        line(x - 3, y, x + 4, y);
        line(x, y - 3, x, y + 4);
        line(x - 2, y - 2, x + 3, y + 3);
        line(x - 2, y + 2, x + 3, y - 3);
        break;
    case giMultiSelect:
        canvas->FillRect(QRect(x - 1, y - 1, 3, 3));
        break;
    case giNone:
        break;
    }
}

void TDBGrid::DrawTitleCell(int DataCol, const QRect& ARect) {
    TCanvas* canvas = Canvas();
    const TColumn* column = DataCol >= 0 && DataCol < FShown.size() ? FShown[DataCol] : nullptr;
    if (!column) {
        canvas->FillRect(ARect);
        return;
    }
    canvas->Font()->Assign(column->Title()->Font());
    canvas->Brush()->SetColor(column->Title()->Color());
    WriteText(ARect, 2, 2, column->Title()->Caption(), column->Title()->Alignment());
}

bool TDBGrid::HighlightCell(int, int, const QString&, TGridDrawState AState) {
    if (FOptions.Contains(dgMultiSelect) && DataLink()->Active() &&
        FSelectedRows->CurrentRowSelected())
        return true;
    return AState.Contains(gdSelected) &&
           (FOptions.Contains(dgAlwaysShowSelection) || GridFocused());
}

void TDBGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    const int dataCol = ACol - FIndicatorOffset;
    const int dataRow = ARow - FixedRows();
    if (ARow < FixedRows()) {
        if (dataCol < 0)
            canvas->FillRect(ARect);
        else
            DrawTitleCell(dataCol, ARect);
        return;
    }
    if (dataCol < 0) {
        DrawIndicatorCell(dataRow, ARect);
        return;
    }
    TGridDataLink* link = DataLink();
    TColumn* column = ColumnAt(ACol);
    if (!column || !link->Active() || dataRow >= link->RecordCount()) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ARect);
        return;
    }
    const int old = link->ActiveRecord();
    link->SetActiveRecord(dataRow);
    DrawDataCell(ARect, dataCol, column, AState);
    if (FDefaultDrawing && AState.Contains(gdSelected) && !FOptions.Contains(dgRowSelect) &&
        (GridFocused() || FOptions.Contains(dgAlwaysShowSelection))) {
        canvas->DrawFocusRect(ARect);
    }
    link->SetActiveRecord(old);
}

void TDBGrid::DrawDataCell(const QRect& ARect, int DataCol, TColumn* Column,
                           TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Column->Font());
    canvas->Brush()->SetColor(Column->Color());
    if (HighlightCell(DataCol, DataLink()->ActiveRecord(), QString(), AState)) {
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
    }
    if (FDefaultDrawing)
        DefaultDrawColumnCell(ARect, DataCol, Column, AState);
    FOnDrawColumnCell(this, ARect, DataCol, Column, AState);
}

void TDBGrid::DefaultDrawColumnCell(const QRect& Rect, int, TColumn* Column, TGridDrawState) {
    const TField* field = Column ? Column->Field() : nullptr;
    WriteText(Rect, 2, 2, field ? field->DisplayText() : QString(),
              Column ? Column->Alignment() : taLeftJustify);
}

void TDBGrid::WriteText(const QRect& ARect, int DX, int DY, const QString& Text,
                        TAlignment Alignment) {
    TCanvas* canvas = Canvas();
    int x = ARect.x() + DX;
    if (Alignment == taRightJustify)
        x = ARect.x() + ARect.width() - canvas->TextWidth(Text) - 3;
    else if (Alignment == taCenter)
        x = ARect.x() + (ARect.width() - canvas->TextWidth(Text)) / 2;
    canvas->TextRect(ARect, x, ARect.y() + DY, Text);
}
