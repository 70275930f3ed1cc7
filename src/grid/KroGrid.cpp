#include "KroGrid.h"

#include "KroGridEditors.h"
#include "KroGridMenu.h"

#include <dataset/KroSql.h>
#include <db/DataSource.h>
#include <db/Field.h>
#include <fields/KroList.h>
#include <fields/KroLook.h>
#include <forms/DiAdv.h>
#include <forms/DiDual.h>
#include <forms/KroForms.h>
#include <print/DiPrint.h>
#include <print/KroPrint.h>
#include <rtl/Strings.h>
#include <rtl/TypeInfo.h>
#include <ui/Sound.h>
#include <ui/StdCtrls.h>

TGridPrintHook PrintTableHook = nullptr;
TGridPrintHook PrintRecordHook = nullptr;
TGridCustomEditorHook GridCustomEditorHook = nullptr;

namespace {

// The Tag that keeps a dataset from being opened or re-read by a form refresh.
constexpr int EditingChainTag = 80;

// Whether Shift holds exactly the modifier Key.
bool OnlyModifier(TShiftState Shift, TShiftStateItem Key) {
    return Shift * TShiftState{ssShift, ssCtrl, ssAlt} == TShiftState{Key};
}

// The dataset DataSet follows: the one of its master source, else of its data source.
TDataSet* MasterOf(TDataSet* DataSet) {
    for (const QString& name : {QStringLiteral("MasterSource"), QStringLiteral("DataSource")})
        if (PropIsType(DataSet, name, tkClass))
            if (const auto* source = qobject_cast<TDataSource*>(GetObjectProp(DataSet, name)))
                if (source->DataSet())
                    return source->DataSet();
    return nullptr;
}

// Sets Tag 80 on a dataset and its masters and gives them their own tags back.
class TChainTags {
public:
    explicit TChainTags(TDataSet* DataSet) {
        for (TDataSet* d = DataSet; d && !Contains(d); d = MasterOf(d)) {
            FSaved.append({d, d->Tag()});
            d->SetTag(EditingChainTag);
        }
    }
    ~TChainTags() {
        for (const auto& [dataSet, tag] : FSaved)
            if (dataSet)
                dataSet->SetTag(tag);
    }
    TChainTags(const TChainTags&) = delete;
    TChainTags& operator=(const TChainTags&) = delete;

private:
    bool Contains(const TDataSet* DataSet) const {
        return std::any_of(FSaved.begin(), FSaved.end(),
                           [DataSet](const auto& Saved) { return Saved.first == DataSet; });
    }
    QList<std::pair<QPointer<TDataSet>, int>> FSaved;
};

// DisableControls for the life of the scope.
class TControlsOff {
public:
    explicit TControlsOff(TDataSet* DataSet) : FDataSet(DataSet) { DataSet->DisableControls(); }
    ~TControlsOff() { FDataSet->EnableControls(); }
    TControlsOff(const TControlsOff&) = delete;
    TControlsOff& operator=(const TControlsOff&) = delete;

private:
    TDataSet* FDataSet;
};

// Whether a query's order starts with a descending term.
bool QueryOrderDescending(const TDataSet* DataSet) {
    const QString sql = QStringLiteral("SQL");
    if (!PropIsType(DataSet, sql, tkClass))
        return false;
    const auto* lines = qobject_cast<const TStrings*>(GetObjectProp(DataSet, sql));
    const QString text = lines ? lines->Text() : QString();
    const int position = FindOrderBy(text, false);
    if (position == 0)
        return false;
    const QString first = text.mid(position - 1).section(QLatin1Char(','), 0, 0);
    const QStringList words = first.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return words.size() > 1 &&
           words.last().compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
}

// The dataset printed last, whose title the user may have changed.
QPointer<TDataSet> LastPrinted;

// A sub-cell's display text, padded to its column's width, without the blanks on the side
// its alignment leaves empty: they draw nothing, and the text ends where it would end.
QString WithoutPadding(const QString& Text, TAlignment Alignment) {
    qsizetype from = 0;
    qsizetype to = Text.size();
    if (Alignment == taRightJustify)
        while (from < to && Text[from] == QLatin1Char(' '))
            ++from;
    else if (Alignment == taLeftJustify)
        while (to > from && Text[to - 1] == QLatin1Char(' '))
            --to;
    return from == 0 && to == Text.size() ? Text : Text.mid(from, to - from);
}

} // namespace

QString TitleWrapPiece(TCanvas* Canvas, const QString& Caption, int Width, int& Position) {
    const int zero = Canvas->TextWidth(QStringLiteral("0"));
    const int length = int(Caption.size());
    if (zero <= 0 || zero > Width || Position >= length) {
        Position = length;
        return {};
    }
    QString piece = Caption.mid(Position, Width / zero);
    while (Position + piece.size() < length && Canvas->TextWidth(piece) < Width - zero)
        piece += Caption[Position + piece.size()];
    while (piece.size() > 1 && Canvas->TextWidth(piece) > Width)
        piece.chop(1);
    const int next = Position + int(piece.size());
    if (next < length && !piece.endsWith(QLatin1Char(' ')) && Caption[next] != QLatin1Char(' ')) {
        // Break after the last space that fits rather than inside a word.
        const qsizetype space = piece.lastIndexOf(QLatin1Char(' '));
        if (space >= 0)
            piece.truncate(space + 1);
    }
    Position += int(piece.size());
    while (Position < length && Caption[Position] == QLatin1Char(' '))
        ++Position;
    return piece.trimmed();
}

// TListTotal

void TListTotal::SetValue(const QString& Name, const QString& Value) {
    for (TItemTotal& item : FItems)
        if (item.Name == Name) {
            item.Value = Value;
            return;
        }
    FItems.append({Name, Value});
}

QString TListTotal::Value(const QString& Name) const {
    for (const TItemTotal& item : FItems)
        if (item.Name == Name)
            return item.Value;
    return {};
}

// TKroGridDataLink

TKroGridDataLink::TKroGridDataLink(TKroDbGrid* Grid) : TGridDataLink(Grid), FKroGrid(Grid) {}

void TKroGridDataLink::ActiveChanged() {
    FKroGrid->HideAfterMove();
    TGridDataLink::ActiveChanged();
}

void TKroGridDataLink::DataSetChanged() {
    FKroGrid->HideAfterMove();
    TGridDataLink::DataSetChanged();
}

void TKroGridDataLink::DataSetScrolled(int Distance) {
    FKroGrid->HideAfterMove();
    TGridDataLink::DataSetScrolled(Distance);
}

void TKroGridDataLink::UpdateData() {
    if (const TKroLookupEditGrid* window = FKroGrid->EditWindow(); window && window->IsOpen())
        FKroGrid->HideInplaceControls();
    TGridDataLink::UpdateData();
}

// TKroDbGrid

TKroDbGrid::TKroDbGrid(TComponent* AOwner) : TDBGrid(AOwner), FTotalFont(new TFont(this)) {
    FTotalFont->Assign(Font());
    FTotalFont->SetOnChange(TNotifyEvent([this](TObject*) {
        if (FTotal)
            Invalidate();
    }));
}

TKroDbGrid::~TKroDbGrid() {
    // The link reaches this grid's members: it goes inactive while they are whole.
    Destroying();
    SetDataSource(nullptr);
}

void TKroDbGrid::Loaded() {
    TDBGrid::Loaded();
    if (!IsDesigning() && !PopupMenu())
        SetPopupMenu(PopupMenuKroDBGrid());
}

TGridDataLink* TKroDbGrid::CreateDataLink() {
    return new TKroGridDataLink(this);
}

void TKroDbGrid::LayoutProperty(const std::function<void()>& Change) {
    BeginLayout();
    Change();
    EndLayout();
}

void TKroDbGrid::SetTotal(bool Value) {
    if (Value != FTotal)
        LayoutProperty([&] { FTotal = Value; });
}

void TKroDbGrid::SetTotalFont(TFont* Value) {
    FTotalFont->Assign(Value);
}

void TKroDbGrid::SetTitleAlignment(TAlignment Value) {
    if (Value != FTitleAlignment)
        LayoutProperty([&] { FTitleAlignment = Value; });
}

void TKroDbGrid::SetTitleRows(int Value) {
    Value = qMax(0, Value);
    if (Value != FTitleRows)
        LayoutProperty([&] { FTitleRows = Value; });
}

// ---- Layout --------------------------------------------------------------------------

QRect TKroDbGrid::ClientRect() const {
    QRect rect = TDBGrid::ClientRect();
    if (FTotal)
        rect.setHeight(qMax(0, rect.height() - DefaultRowHeight() - GridLineWidth()));
    return rect;
}

QRect TKroDbGrid::TotalRect() const {
    if (!FTotal)
        return {};
    const QRect client = TDBGrid::ClientRect();
    const int height = qMin(client.height(), DefaultRowHeight() + GridLineWidth());
    return QRect(client.left(), client.bottom() + 1 - height, client.width(), height);
}

void TKroDbGrid::SetColumnAttributes() {
    FTitleLines = 1;
    if (Options().Contains(dgTitles) && FTitleRows > 0) {
        for (int i = IndicatorOffset(); i < ColCount() && FTitleLines < FTitleRows; ++i) {
            const TColumn* column = ColumnAt(i);
            if (!column || !column->Field())
                continue;
            Canvas()->Font()->Assign(column->Title()->Font());
            const QString caption = column->Title()->Caption();
            int lines = 0;
            for (int position = 0; position < caption.size() && lines < FTitleRows;)
                if (!TitleWrapPiece(Canvas(), caption, column->Width() - 4, position).isEmpty())
                    ++lines;
            FTitleLines = qMax(FTitleLines, lines);
        }
        if (FTitleLines > 1)
            SetRowHeights(0, (RowHeights(0) - 3) * FTitleLines + 4);
    }
    TDBGrid::SetColumnAttributes();
    UpdateColumnKind();
}

QStringList TKroDbGrid::TitlePieces(const TColumn* Column) {
    Canvas()->Font()->Assign(Column->Title()->Font());
    const QString caption = Column->Title()->Caption();
    QStringList pieces;
    int position = 0;
    for (int line = 0; line < FTitleLines; ++line) {
        QString piece = TitleWrapPiece(Canvas(), caption, Column->Width() - 4, position);
        if (line == FTitleLines - 1 && position < caption.size())
            piece += QStringLiteral("...");
        pieces << piece;
    }
    return pieces;
}

// ---- Column kind and keys ------------------------------------------------------------

void TKroDbGrid::UpdateColumnKind() {
    FColumnKind = ckPlain;
    if (!Options().Contains(dgEditing))
        return;
    const TField* field = SelectedField();
    if (qobject_cast<const TKroLookField*>(field))
        FColumnKind = ckLookup;
    else if (qobject_cast<const TKroListField*>(field))
        FColumnKind = ckList;
}

void TKroDbGrid::ColEnter() {
    UpdateColumnKind();
    TDBGrid::ColEnter();
}

TKroLookField* TKroDbGrid::SelectedLookField() const {
    auto* field = qobject_cast<TKroLookField*>(SelectedField());
    return field && field->FieldKind() == fkLookup ? field : nullptr;
}

bool TKroDbGrid::CanEditModify() {
    if (!SelectedLookField())
        return TDBGrid::CanEditModify();
    // A lookup is typed into when its key fields can be written.
    const TColumn* column = ColumnAt(Col());
    if (ReadOnly() || !Options().Contains(dgEditing) || !DataLink()->Active() ||
        !DataLink()->DataSet()->CanModify() || !ColumnIsTabStop(column))
        return false;
    return AcquireEdit();
}

void TKroDbGrid::KeyDown(quint16& Key, TShiftState Shift) {
    FLastShift = Shift;
    FLastKey = Key;
    FLastKeyChar = false;
    if (Key == VK_RETURN && Shift.Contains(ssCtrl)) {
        Key = 0;
        if (Options().Contains(dgEditing))
            ShowEditor();
        return;
    }
    if (Key == VK_RETURN && !Shift.Contains(ssAlt)) {
        // The program's handler sees Enter first and may take it.
        TWinControl::KeyDown(Key, Shift);
        if (Key == VK_RETURN)
            EnterToNextColumn();
        Key = 0;
        return;
    }
    if (Key == VK_F1 && OnlyModifier(Shift, ssAlt) && FColumnKind == ckLookup) {
        Key = 0;
        EditData();
        return;
    }
    if (Key == 'Z' && OnlyModifier(Shift, ssCtrl)) {
        Key = 0;
        if (TKroLookField* field = qobject_cast<TKroLookField*>(SelectedField());
            field && FColumnKind == ckLookup && field->ResultCount() > 0) {
            field->SetListFieldIndex((field->ListFieldIndex() + 1) % field->ResultCount());
            Invalidate();
        }
        return;
    }
    TDBGrid::KeyDown(Key, Shift);
}

void TKroDbGrid::EnterToNextColumn() {
    const bool committed = HandleExceptions([this] {
        if (EditorMode())
            DataLink()->UpdateRecord();
    });
    if (!committed)
        return;
    quint16 key = VK_RETURN;
    EnterAsTab(this, key);
}

void TKroDbGrid::KeyPress(QChar& Key) {
    FLastKey = Key.unicode();
    FLastKeyChar = true;
    const bool selecting = Options().Contains(dgMultiSelect) && Key == QLatin1Char(' ');
    if (FColumnKind == ckLookup && Key.isPrint() && !selecting && !EditorMode() && CanEditShow()) {
        // The cell editor hands the cell to the lookup's editor, which takes the key (or,
        // in a read-only grid, drops it).
        Key = QChar();
        ShowEditor();
        return;
    }
    if (FColumnKind != ckList || !Key.isDigit() || Key > QLatin1Char('9') ||
        !FLastShift.IsEmpty()) {
        TDBGrid::KeyPress(Key);
        return;
    }
    auto* field = qobject_cast<TKroListField*>(SelectedField());
    const int digit = Key.digitValue();
    Key = QChar();
    if (!field || digit > field->MaxValue()) {
        Beep();
        return;
    }
    if (ReadOnly())
        return;
    DataSource()->Edit();
    if (DataLink()->Editing())
        field->SetAsInteger(digit);
}

void TKroDbGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft && Shift.Contains(ssAlt)) {
        EditData();
        return;
    }
    TDBGrid::MouseDown(Button, Shift, X, Y);
}

void TKroDbGrid::Resize() {
    HideInplaceControls();
    TDBGrid::Resize();
}

void TKroDbGrid::TopLeftChanged() {
    TDBGrid::TopLeftChanged();
    if (LeftCol() != FLastLeftCol) {
        FLastLeftCol = LeftCol();
        if (FTotal)
            Invalidate();
    }
}

// ---- Auxiliary editors -----------------------------------------------------------------

void TKroDbGrid::AddInplaceControl(TWinControl* Control) {
    if (Control && !FInplaceControls.contains(Control))
        FInplaceControls.append(Control);
}

TKroLookupEditGrid* TKroDbGrid::EditWindow() const {
    return FEditWindow;
}

TKroInplaceLookupCombo* TKroDbGrid::LookupCombo() const {
    return FLookupCombo;
}

TKroDBInplaceCombo* TKroDbGrid::ListCombo() const {
    return FListCombo;
}

TInplaceEdit* TKroDbGrid::CreateEditor() {
    return new TKroDBGridInplaceEdit(this);
}

TKroInplaceLookupCombo* TKroDbGrid::CreateLookupCombo() {
    return new TKroInplaceLookupCombo(this);
}

void TKroDbGrid::SetVisible(bool Value) {
    if (!Value && Visible())
        for (TWinControl* editor :
             {static_cast<TWinControl*>(EditWindow()), static_cast<TWinControl*>(LookupCombo()),
              static_cast<TWinControl*>(ListCombo())})
            if (editor && editor->Visible())
                editor->Hide();
    TDBGrid::SetVisible(Value);
}

bool TKroDbGrid::CtrlEnterLed() const {
    return FLastKey == VK_RETURN && !FLastKeyChar && FLastShift.Contains(ssCtrl);
}

QRect TKroDbGrid::CellInParent() const {
    const int border = FrameWidth();
    return CellRect(Col(), Row()).translated(Left() + border, Top() + border);
}

void TKroDbGrid::ShowOverCell(TWinControl* Control, const QRect& Bounds) {
    Control->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    Control->Invalidate();
    Control->Show();
    Control->BringToFront();
    if (Control->CanFocus())
        Control->SetFocus();
}

void TKroDbGrid::TakeBack(quint16 Key) {
    if (CanFocus())
        SetFocus();
    if (Key)
        KeyDown(Key, {});
}

void TKroDbGrid::HandOverCell() {
    SetEditorMode(false);
    if (DataSource() && DataSource()->State() == dsInsert)
        DataLink()->Modified();
}

void TKroDbGrid::ShowLookupCombo() {
    TKroLookField* field = SelectedLookField();
    if (!field || !Parent())
        return;
    if (!FLookupCombo) {
        try {
            TKroInplaceLookupCombo* combo = CreateLookupCombo();
            combo->SetGrid(this);
            combo->SetParent(Parent());
            combo->Font()->Assign(Font());
            combo->SetDataSource(DataSource());
            combo->BringToFront();
            if (FOnSetFont)
                combo->SetOnSetFont(FOnSetFont);
            AddInplaceControl(combo);
            FLookupCombo = combo;
        } catch (const Exception&) {
            ShowKroMessage(QStringLiteral("Error create LookupCombo!"));
            return;
        }
    }
    TKroInplaceLookupCombo* combo = FLookupCombo;
    combo->SetDataField(QString());
    combo->SetListField(field->LookupResultField());
    combo->SetListFieldIndex(field->ListFieldIndex());
    combo->SetDataField(field->FieldName());
    combo->SetReadOnly(ReadOnly());
    int width = 0;
    if (field->Options().Contains(foAutoDropDownWidth) || field->GridFieldCount() > 0) {
        Canvas()->Font()->Assign(Font());
        width = (field->LookupDisplayWidth() + 3) * Canvas()->TextWidth(QStringLiteral("0"));
    }
    combo->SetDropDownWidth(width);
    if (TDataSet* list = combo->ListDataSet(); list && !VarIsNull(combo->KeyValue()))
        list->Locate(combo->KeyFieldInUse(), combo->KeyValue(), {});
    ShowOverCell(combo, CellInParent().adjusted(-1, 0, 0, 0));
    if (CtrlEnterLed())
        combo->DropDown();
}

void TKroDbGrid::ShowListCombo() {
    TField* field = SelectedField();
    if (!field || !Parent())
        return;
    if (!FListCombo) {
        try {
            auto* combo = new TKroDBInplaceCombo(this);
            combo->SetGrid(this);
            combo->SetParent(Parent());
            combo->Font()->Assign(Font());
            combo->SetKroDataSource(DataSource());
            combo->BringToFront();
            AddInplaceControl(combo);
            FListCombo = combo;
        } catch (const Exception&) {
            ShowKroMessage(QStringLiteral("Error create Combo!"));
            return;
        }
    }
    TKroDBInplaceCombo* combo = FListCombo;
    combo->SetKroDataField(field->FieldName());
    combo->SetReadOnly(ReadOnly());
    ShowOverCell(combo, CellInParent().adjusted(-3, -3, 3, 3));
    if (CtrlEnterLed())
        combo->SetDroppedDown(true);
}

void TKroDbGrid::ShowCustomEditor(QChar Key) {
    if (!GridCustomEditorHook || !Parent())
        return;
    FCustomEditor = GridCustomEditorHook(this, SelectedField(), Key);
    TWinControl* control = FCustomEditor;
    if (!control)
        return;
    HandOverCell();
    control->SetParent(Parent());
    control->BringToFront();
    AddInplaceControl(control);
    ShowOverCell(control, CellInParent().adjusted(-1, 0, 0, 0));
    if (auto* edit = qobject_cast<TEdit*>(control); edit && !edit->ReadOnly())
        edit->SetTextMargins(QMargins(2, 2, 2, 0));
    if (!Key.isNull())
        control->PostKeyPress(Key);
}

namespace {

// The letters that choose a lookup's name column: Latin ones and those from code 192 on.
bool IsNameLetter(QChar Key) {
    return (Key >= QLatin1Char('A') && Key <= QLatin1Char('Z')) ||
           (Key >= QLatin1Char('a') && Key <= QLatin1Char('z')) || Key.unicode() >= 192;
}

bool IsDigitKey(QChar Key) {
    return Key >= QLatin1Char('0') && Key <= QLatin1Char('9');
}

// The first of Field's result columns that is the lookup's key field; -1 when none is.
int KeyColumnOf(const TKroLookField* Field) {
    for (int i = 0; i < qMin(Field->ResultCount(), Field->ResultFieldCount()); ++i)
        if (const TField* column = Field->ResultField(i);
            column &&
            column->FieldName().compare(Field->LookupKeyFields(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

void TKroDbGrid::ShowEditWindow(QChar Key) {
    TKroLookField* field = SelectedLookField();
    if (!field || field->ResultFieldCount() == 0 || !Parent())
        return;
    if (!FEditWindow) {
        try {
            auto* window = new TKroLookupEditGrid(this);
            window->Font()->Assign(Font());
            window->SetParent(Parent());
            window->BringToFront();
            AddInplaceControl(window);
            FEditWindow = window;
        } catch (const Exception&) {
            ShowKroMessage(QStringLiteral("Error create EditCode!"));
            return;
        }
    }
    TKroLookupEditGrid* window = FEditWindow;
    TDataSet* dataSet = field->DataSet();
    TField* keyField = dataSet->FindField(field->KeyFields());
    const bool readOnly = ReadOnly() || !keyField || !keyField->CanModify();
    window->SetReadOnly(readOnly);
    if (readOnly)
        Key = QChar();
    window->SetEditMask(QString());
    window->SetText(QString());

    const int last = field->ResultFieldCount() - 1;
    FEditColumn = -1;
    if (!field->Options().Contains(foKeyFieldEdit))
        FEditColumn = qBound(0, field->ListFieldIndex(), last);
    if (field->Options().Contains(foAutoCodeName) && !Key.isNull()) {
        if (IsDigitKey(Key))
            FEditColumn = 0;
        else if (IsNameLetter(Key) && field->ResultCount() >= 2)
            FEditColumn = 1;
    }
    QString text;
    const int keyColumn = KeyColumnOf(field);
    if (keyColumn >= 0 && FEditColumn == -1)
        FEditColumn = keyColumn;
    if (keyColumn >= 0 && FEditColumn == keyColumn) {
        window->SetEditMask(field->ResultField(keyColumn)->EditMask());
        if (Key.isNull() && keyField)
            text = keyField->Text();
    } else {
        if (FEditColumn == -1)
            FEditColumn = qBound(0, field->ListFieldIndex(), last);
        const TField* column = field->ResultField(FEditColumn);
        window->SetEditMask(column->EditMask());
        TDataSet* lookup = field->LookupDataSet();
        const Variant key = keyField ? keyField->Value() : Null();
        if (Key.isNull() && lookup && !VarIsNull(key) &&
            lookup->Locate(field->LookupKeyFields(), key, {}) && !column->IsNull())
            text = column->Text();
    }
    window->SetText(text);

    // Over the sub-cell of the column edited; the last one and one too wide for the cell
    // reach the cell's right edge.
    Canvas()->Font()->Assign(Font());
    const int zero = Canvas()->TextWidth(QStringLiteral("0"));
    const QRect cell = CellInParent();
    const int cellRight = cell.left() + cell.width();
    int left = cell.left();
    for (int j = 0; j < FEditColumn; ++j)
        left += field->ResultField(j)->DisplayWidth() * zero + 5;
    int right = left + field->ResultField(FEditColumn)->DisplayWidth() * zero + 4;
    if (right > cellRight) {
        left = cell.left();
        right = cellRight;
    }
    if (FEditColumn == field->ResultCount() - 1)
        right = cellRight;
    window->SetBounds(left, cell.top(), right - left, cell.height());
    window->Open(field, FEditColumn);
    if (!Key.isNull()) {
        window->SetText(QString(Key));
        window->SetSelStart(1);
    }
}

void TKroDbGrid::HideAfterMove() {
    if (AutoHideEditors && FEditWindow && FEditWindow->IsOpen())
        FEditWindow->Discard();
    HideInplaceControls();
}

void TKroDbGrid::HideInplaceControls() {
    if (!AutoHideEditors || IsDestroying())
        return;
    for (const QPointer<TWinControl>& control : std::as_const(FInplaceControls))
        if (control && control->Visible() && control->Focused()) {
            control->Hide();
            if (CanFocus())
                SetFocus();
        }
}

// ---- Drawing -------------------------------------------------------------------------

void TKroDbGrid::Paint() {
    FOrderField.clear();
    FOrderDescending = false;
    if (FOrderByTitle && DataLink()->Active()) {
        TDataSet* dataSet = DataLink()->DataSet();
        FOrderField = GetCurrentOrder(dataSet).section(QLatin1Char(';'), 0, 0);
        FOrderDescending = QueryOrderDescending(dataSet);
    }
    TDBGrid::Paint();
    DrawTotal();
}

void TKroDbGrid::DrawDataCell(const QRect& ARect, int DataCol, TColumn* Column,
                              TGridDrawState AState) {
    TField* field = Column->Field();
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(Column->Font());
    FOnSetFont(this, field, canvas->Font());
    const bool highlighted = HighlightCell(DataCol, DataLink()->ActiveRecord(), QString(), AState);
    if (highlighted) {
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
    } else {
        TColor color = Column->Color();
        FOnSetColor(this, field, color);
        canvas->Brush()->SetColor(color);
    }
    if (DefaultDrawing()) {
        auto* look = qobject_cast<TKroLookField*>(field);
        if (look && look->ResultCount() > 0)
            DrawLookupCell(ARect, look, highlighted);
        else
            DefaultDrawColumnCell(ARect, DataCol, Column, AState);
    }
    OnDrawColumnCell()(this, ARect, DataCol, Column, AState);
}

void TKroDbGrid::DrawLookupCell(const QRect& ARect, TKroLookField* Field, bool Highlighted) {
    TCanvas* canvas = Canvas();
    const int charWidth = canvas->TextWidth(QStringLiteral("0"));
    // The columns shown: the grid fields, else the result columns, as indexes into the
    // field's result list.
    QList<int> entries;
    for (int i = 0; i < Field->GridFieldCount(); ++i) {
        int index = 0;
        for (int j = 0; j < Field->ResultFieldCount(); ++j)
            if (Field->ResultField(j) == Field->GridField(i)) {
                index = j;
                break;
            }
        entries << index;
    }
    if (entries.isEmpty())
        for (int i = 0; i < Field->ResultCount(); ++i)
            entries << i;
    const TColor separator = ColorToRGB(Color()) == ColorToRGB(clBtnFace) ? clBtnShadow : clBtnFace;
    const TColor textColor = canvas->Font()->Color();
    int left = ARect.left();
    for (int k = 0; k < entries.size() && left <= ARect.right(); ++k) {
        const int index = entries[k];
        const TField* column = Field->ResultField(index);
        const bool last = k == entries.size() - 1;
        const int width = (column ? column->DisplayWidth() : 0) * charWidth + 4;
        const int right = last ? ARect.right() : qMin(ARect.right(), left + width - 1);
        const QRect cell(QPoint(left, ARect.top()), QPoint(right, ARect.bottom()));
        Field->SetCurrentIndex(index);
        const TAlignment alignment = column ? column->Alignment() : taLeftJustify;
        WriteText(cell, 2, 2, WithoutPadding(Field->DisplayText(), alignment), alignment);
        if (!last && right + 1 <= ARect.right()) {
            canvas->Pen()->SetColor(separator);
            canvas->MoveTo(right + 1, ARect.top());
            canvas->LineTo(right + 1, ARect.bottom() + 1);
        }
        if (index == Field->ListFieldIndex() && Highlighted) {
            // The mark under the column the incremental search uses.
            canvas->Pen()->SetColor(textColor);
            canvas->MoveTo(left + 1, ARect.bottom() - 3);
            canvas->LineTo(qMin(left + 13, right + 1), ARect.bottom() - 3);
        }
        left = right + 2;
    }
    Field->SetCurrentIndex(-1);
}

void TKroDbGrid::DrawTitleCell(int DataCol, const QRect& ARect) {
    const TColumn* column = ColumnAt(DataCol + IndicatorOffset());
    if (!column) {
        TDBGrid::DrawTitleCell(DataCol, ARect);
        return;
    }
    TCanvas* canvas = Canvas();
    const TAlignment alignment = column->AssignedValues().Contains(cvTitleAlignment)
                                     ? column->Title()->Alignment()
                                     : FTitleAlignment;
    canvas->Font()->Assign(column->Title()->Font());
    canvas->Brush()->SetColor(column->Title()->Color());
    if (FTitleLines < 2) {
        WriteText(ARect, 2, 2, column->Title()->Caption(), alignment);
    } else {
        const QStringList pieces = TitlePieces(column);
        const int band = (ARect.height() - 3) / FTitleLines;
        int top = ARect.top();
        for (int i = 0; i < pieces.size(); ++i) {
            const int height = i == pieces.size() - 1 ? ARect.bottom() + 1 - top : band;
            WriteText(QRect(ARect.left(), top, ARect.width(), height), 2, 2, pieces[i], alignment);
            top += band;
        }
    }
    DrawOrderMark(column, ARect);
}

void TKroDbGrid::DrawOrderMark(const TColumn* Column, const QRect& ARect) {
    if (FOrderField.isEmpty() || ARect.width() < 16 ||
        Column->FieldName().compare(FOrderField, Qt::CaseInsensitive) != 0)
        return;
    // A small triangle at the right: pointing up ascending, down descending.
    TCanvas* canvas = Canvas();
    const int x = ARect.right() - 7;
    const int y = ARect.top() + ARect.height() / 2;
    canvas->Pen()->SetColor(clBtnShadow);
    canvas->Brush()->SetColor(clBtnShadow);
    if (FOrderDescending)
        canvas->Polygon({QPoint(x - 3, y - 2), QPoint(x + 3, y - 2), QPoint(x, y + 2)});
    else
        canvas->Polygon({QPoint(x - 3, y + 2), QPoint(x + 3, y + 2), QPoint(x, y - 2)});
}

// ---- Total row -----------------------------------------------------------------------

void TKroDbGrid::SetTotalText(const QString& FieldName, const QString& Text) {
    if (!FTotalList)
        FTotalList = std::make_unique<TListTotal>();
    FTotalList->SetValue(FieldName, Text);
    if (TotalUpdate == 0 && FTotal)
        Invalidate();
}

bool TKroDbGrid::GetTotalText(int, QString&) {
    return false;
}

void TKroDbGrid::DrawTotal() {
    if (!FTotal)
        return;
    TCanvas* canvas = Canvas();
    const QRect band = TotalRect();
    canvas->Font()->Assign(FTotalFont);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(band);
    const TDBGridColumns* columns = Columns();
    if (!FTotalList) {
        for (int i = 0; i < columns->Count(); ++i)
            if (QString text; GetTotalText(i, text))
                WriteTotalUnder(i, text, band);
        return;
    }
    for (int k = 0; k < FTotalList->Count(); ++k) {
        const TItemTotal& item = FTotalList->Items(k);
        for (int i = 0; i < columns->Count(); ++i)
            if (columns->Items(i)->FieldName().compare(item.Name, Qt::CaseInsensitive) == 0) {
                WriteTotalUnder(i, item.Value, band);
                break;
            }
    }
}

void TKroDbGrid::WriteTotalUnder(int Index, const QString& Text, const QRect& Band) {
    const int col = GridColumnOf(Index);
    const QRect cell = col >= 0 ? CellRect(col, TopRow()) : QRect();
    if (cell.isEmpty())
        return;
    Canvas()->Brush()->SetColor(Color());
    WriteText(QRect(cell.left(), Band.top(), cell.width(), Band.height()), 2, 2, Text,
              Columns()->Items(Index)->Alignment());
}

QString TKroDbGrid::TotalTextOf(int Index) {
    QString text;
    if (!FTotalList) {
        GetTotalText(Index, text);
        return text;
    }
    const QString name = Columns()->Items(Index)->FieldName();
    for (int k = 0; k < FTotalList->Count(); ++k)
        if (FTotalList->Items(k).Name.compare(name, Qt::CaseInsensitive) == 0)
            text = FTotalList->Items(k).Value;
    return text;
}

// ---- Ordering by a title -------------------------------------------------------------

void TKroDbGrid::TitleClick(TColumn* Column) {
    TDBGrid::TitleClick(Column);
    if (FOrderByTitle)
        OrderByColumn(Column);
}

void TKroDbGrid::OrderByColumn(TColumn* Column) {
    TDataSet* dataSet = DataLink()->Active() ? DataLink()->DataSet() : nullptr;
    const TField* field = Column ? Column->Field() : nullptr;
    if (!dataSet || !field || field->FieldKind() != fkData || field->IsBlob())
        return;
    const bool query = PropIsType(dataSet, QStringLiteral("SQL"), tkClass);
    if (!query && !PropIsType(dataSet, QStringLiteral("IndexFieldNames"), tkString))
        return;
    dataSet->CheckBrowseMode();
    // A query's engine orders either way; a table follows its index ascending.
    const bool same =
        GetCurrentOrder(dataSet).compare(field->FieldName(), Qt::CaseInsensitive) == 0;
    QString order = field->FieldName();
    if (query && same && !QueryOrderDescending(dataSet))
        order += QStringLiteral(" desc");
    SetOrderBy(dataSet, order, true, false);
    Invalidate();
}

// ---- Edit form of a lookup -----------------------------------------------------------

void TKroDbGrid::EditData() {
    TKroLookField* field = SelectedLookField();
    TDataSet* lookupDataSet = field ? field->LookupDataSet() : nullptr;
    if (!lookupDataSet)
        return;
    TOnEditDataEvent handler = field->OnEditData();
    const QString onEditData = QStringLiteral("OnEditData");
    if (!handler && PropIsType(lookupDataSet, onEditData, tkMethod))
        handler = GetPropValue(lookupDataSet, onEditData).value<TOnEditDataEvent>();
    if (!handler)
        return;
    TDataSet* dataSet = field->DataSet();
    TFieldReturn fieldReturn;
    fieldReturn.SetKeyFieldName(field->LookupKeyFields());
    fieldReturn.SetValue(dataSet->FieldValues(field->KeyFields()));
    FormDBReturn = false;
    {
        std::unique_ptr<TChainTags> tags;
        if (dataSet->IsEditing())
            tags = std::make_unique<TChainTags>(dataSet);
        handler(this, tsSelect, &fieldReturn);
    }
    if (!FormDBReturn || ReadOnly() || !ColumnIsTabStop(ColumnAt(Col())))
        return;
    if (!dataSet->IsEditing())
        dataSet->Edit();
    const QStringList keys = SplitFieldNames(field->KeyFields());
    const Variant value = fieldReturn.Value();
    const QVariantList values = keys.size() > 1 ? value.toList() : QVariantList{value};
    for (int i = 0; i < keys.size(); ++i)
        dataSet->FieldByName(keys[i])->SetAsVariant(values.value(i));
}

// ---- Fields visibility ---------------------------------------------------------------

void TKroDbGrid::FieldsVisibility() {
    TDataSet* dataSet = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!dataSet)
        return;
    const auto listed = [](const TField* Field) {
        return Field->Tag() % 10 != 8 && !Field->IsBlob();
    };
    std::unique_ptr<TKroDualListDlg> dialog(new TKroDualListDlg);
    dialog->SetCaption(QStringLiteral("Fields visibility"));
    dialog->SrcLabel->SetCaption(QStringLiteral("Visible fields"));
    dialog->DstLabel->SetCaption(QStringLiteral("Invisible fields"));
    QStringList labels;
    for (const TField* field : *dataSet->Fields())
        if (listed(field) && !labels.contains(field->DisplayLabel())) {
            labels << field->DisplayLabel();
            (field->Visible() ? dialog->SrcList : dialog->DstList)->Items()->Add(labels.last());
        }
    dialog->SetButtons();
    if (dialog->ShowModal() != mrOk)
        return;
    const TControlsOff off(dataSet);
    const auto place = [&](const TStrings* Labels, bool Visible, int First) {
        for (int j = 0; j < Labels->Count(); ++j) {
            // Placing a field reorders the list: walk a copy.
            const QList<TField*> fields(dataSet->Fields()->begin(), dataSet->Fields()->end());
            for (TField* field : fields)
                if (listed(field) && field->DisplayLabel() == Labels->Strings(j)) {
                    field->SetVisible(Visible);
                    field->SetIndex(First + j);
                }
        }
    };
    place(dialog->SrcList->Items(), true, 0);
    place(dialog->DstList->Items(), false, dialog->SrcList->Items()->Count());
}

// ---- Printing ------------------------------------------------------------------------

namespace {

// The dataset to print: open and not empty.
TDataSet* PrintedDataSet(const TDBGrid* Grid) {
    TDataSet* dataSet = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
    return dataSet && dataSet->Active() && !(dataSet->Bof() && dataSet->Eof()) ? dataSet : nullptr;
}

// Whether the pages chosen to print go on beyond the printer's current page.
bool PagesRemain(const TKroPrinter* Printer, const TKroPrintSet* Set) {
    return Set->RangeKind != 1 || Printer->PageNumber() <= TKroPageList(Set->Pages).LastPage();
}

} // namespace

void TKroDbGrid::PrintTable() {
    TDataSet* dataSet = PrintedDataSet(this);
    if (!dataSet)
        return;
    if (PrintTableHook) {
        try {
            PrintTableHook(this);
        } catch (const Exception&) {
            ShowKroMessage(QStringLiteral("Error printing table"));
        }
        return;
    }
    TKroPrintSet* set = KroPrintSet();
    const QString caption = GetStrPropByName(dataSet, QStringLiteral("Caption"));
    if (!caption.isEmpty() && LastPrinted != dataSet)
        set->Title = caption;
    LastPrinted = dataSet;
    if (!std::make_unique<TDialPrint>()->Execute(set))
        return;
    Canvas()->Font()->Assign(Font());
    const int charWidth = qMax(1, Canvas()->TextWidth(QStringLiteral("0")));
    QList<int> widths;
    for (int col = IndicatorOffset(); col < ColCount(); ++col)
        if (const TColumn* column = ColumnAt(col))
            widths << column->Width() / charWidth + 1;
    const TBookmark bookmark = dataSet->GetBookmark();
    {
        const TControlsOff off(dataSet);
        const int copies = set->Mode == pmText ? qMax<int>(1, set->Copies) : 1;
        try {
            for (int copy = 0; copy < copies && PrintTableCopy(widths); ++copy) {
            }
        } catch (const Exception&) {
            if (KroPrinter()->InDoc())
                KroPrinter()->Abort();
            ShowKroMessage(QStringLiteral("Error printing table"));
        }
        if (dataSet->BookmarkValid(bookmark))
            dataSet->GotoBookmark(bookmark);
    }
}

bool TKroDbGrid::PrintTableCopy(const QList<int>& Widths) {
    TDataSet* dataSet = DataSource()->DataSet();
    TKroPrinter* printer = KroPrinter();
    const TKroPrintSet* set = KroPrintSet();
    dataSet->First();
    if (!printer->BeginDoc(KroPrintSet()))
        return false;
    const auto line = [&](const std::function<QString(const TColumn*, int)>& Text, bool Centred) {
        QStringList cells;
        for (int i = 0; i < Widths.size(); ++i) {
            const TColumn* column = ColumnAt(IndicatorOffset() + i);
            cells << PadString(Text(column, column->Index()), Widths[i],
                               Centred ? taCenter : column->Alignment());
        }
        return cells.join(QLatin1Char('|'));
    };
    const QString header =
        line([](const TColumn* Column, int) { return Column->Title()->Caption(); }, true);
    printer->Print(header);
    printer->PrintDashes(int(header.size()));
    for (; !dataSet->Eof() && PagesRemain(printer, set); dataSet->Next())
        printer->Print(line(
            [](const TColumn* Column, int) {
                const TField* field = Column->Field();
                return field ? field->DisplayText() : QString();
            },
            false));
    if (FTotal && PagesRemain(printer, set))
        printer->Print(
            line([this](const TColumn*, int Index) { return TotalTextOf(Index); }, false));
    printer->EndDoc();
    return true;
}

void TKroDbGrid::PrintRecord() {
    TDataSet* dataSet = PrintedDataSet(this);
    if (!dataSet)
        return;
    TKroPrinter* printer = KroPrinter();
    try {
        if (PrintRecordHook) {
            PrintRecordHook(this);
            return;
        }
        if (!printer->BeginDoc())
            return;
        if (const QString caption = GetStrPropByName(dataSet, QStringLiteral("Caption"));
            !caption.isEmpty())
            printer->Print(QStringLiteral("     ") + caption);
        TStringList lines;
        for (const QString& text :
             KroFormatRecord(dataSet, QStringLiteral("VisibleFields"), QStringLiteral(">"), 0))
            lines.Add(text);
        printer->Print(&lines);
        printer->EndDoc();
    } catch (const Exception&) {
        if (printer->InDoc())
            printer->Abort();
        ShowKroMessage(QStringLiteral("Error printing record"));
    }
}
