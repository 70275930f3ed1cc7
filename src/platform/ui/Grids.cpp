#include "Grids.h"

#include "Forms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QWheelEvent>

namespace {

constexpr int EditButtonWidth = 16;

int ScrollBarExtent(const QWidget* Widget) {
    return Widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Widget);
}

} // namespace

// TPopupListbox: the drop-down list of an editor; Return or a click accepts an item,
// Escape or a click elsewhere closes it without. Typing selects the first item beginning
// with the characters typed (the editor's PickListSearch); Backspace and Escape forget them.
class TPopupListbox : public QListWidget {
public:
    explicit TPopupListbox(TInplaceEdit* Editor, QWidget* Parent)
        : QListWidget(Parent), FEditor(Editor) {
        setWindowFlags(Qt::Popup);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void keyPressEvent(QKeyEvent* Event) override {
        TIncrementalSearch& search = FEditor->PickListSearch();
        if (Event->key() == Qt::Key_Escape || Event->key() == Qt::Key_Backspace)
            search.Clear();
        if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter ||
            Event->key() == Qt::Key_Escape) {
            const bool accept = Event->key() != Qt::Key_Escape;
            HandleExceptions([&] { FEditor->CloseUp(accept); });
            return;
        }
        const QString typed = Event->text();
        if (typed.size() == 1 && typed[0].isPrint()) {
            search.Type(typed[0]);
            if (const int found = search.Find(FEditor->PickList()); found >= 0)
                setCurrentRow(found);
            return;
        }
        QListWidget::keyPressEvent(Event);
    }
    void mouseReleaseEvent(QMouseEvent* Event) override {
        QListWidget::mouseReleaseEvent(Event);
        if (rect().contains(Event->position().toPoint()))
            HandleExceptions([this] { FEditor->CloseUp(true); });
    }

private:
    TInplaceEdit* FEditor;
};

// TInplaceEdit

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TEdit(AOwner) {
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetVisible(false);
}

TInplaceEdit::~TInplaceEdit() {
    Destroying();
    delete FPopup;
}

QWidget* TInplaceEdit::CreateWidget() {
    QWidget* widget = TEdit::CreateWidget();
    FButton = new QToolButton(widget);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setCursor(Qt::ArrowCursor);
    FButton->hide();
    connect(FButton, &QToolButton::clicked, this,
            [this] { HandleExceptions([this] { ButtonClicked(); }); });
    return widget;
}

void TInplaceEdit::InitWidget() {
    TEdit::InitWidget();
    ApplyAlignment();
    BoundsChanged();
}

void TInplaceEdit::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    ApplyAlignment();
}

void TInplaceEdit::ApplyAlignment() {
    if (HandleAllocated())
        static_cast<QLineEdit*>(Widget())->setAlignment(AlignmentToQt(FAlignment) |
                                                        Qt::AlignVCenter);
}

void TInplaceEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (HandleAllocated())
        BoundsChanged();
}

void TInplaceEdit::BoundsChanged() {
    const bool button = FEditStyle != esSimple;
    FButton->setVisible(button);
    FButton->setText(FEditStyle == esEllipsis ? QStringLiteral("...") : QStringLiteral("\u25BE"));
    const int width = qMin(EditButtonWidth, Width());
    FButton->setGeometry(Width() - width, 0, width, Height());
    SetTextMargins(QMargins(2, 0, button ? width : 0, 0));
}

void TInplaceEdit::SetEditStyle(TEditStyle Value) {
    if (FEditStyle == Value)
        return;
    if (ListVisible())
        CloseUp(false);
    FEditStyle = Value;
    if (HandleAllocated())
        BoundsChanged();
}

QListWidget* TInplaceEdit::ListWidget() {
    if (!FPopup)
        FPopup = new TPopupListbox(this, Widget());
    return FPopup;
}

bool TInplaceEdit::ListVisible() const {
    return FPopup && FPopup->isVisible();
}

void TInplaceEdit::UpdateContents() {
    if (!FGrid)
        return;
    QScopedValueRollback loading(FLoading, true);
    const int col = FGrid->Col(), row = FGrid->Row();
    SetMaxLength(FGrid->GetEditLimit());
    SetEditStyle(FGrid->GetEditStyle(col, row));
    SetAlignment(FGrid->GetEditAlignment(col, row));
    FPickList = FGrid->GetPickList(col, row);
    SetText(FGrid->GetEditText(col, row));
    FModified = false;
}

void TInplaceEdit::DropDown() {
    if (FEditStyle != esPickList || ListVisible() || FPickList.isEmpty())
        return;
    QListWidget* list = ListWidget();
    list->clear();
    list->addItems(FPickList);
    FPickListSearch.Clear();
    const int current = int(FPickList.indexOf(Text()));
    list->setCurrentRow(qMax(current, 0));
    const int rows = qMin(FDropDownRows, int(FPickList.size()));
    const int height = rows * qMax(list->sizeHintForRow(0), 1) + 2 * list->frameWidth();
    const QPoint below = Widget()->mapToGlobal(QPoint(0, Height()));
    list->setGeometry(below.x(), below.y(), Width(), height);
    list->show();
    list->setFocus(Qt::PopupFocusReason);
}

void TInplaceEdit::CloseUp(bool Accept) {
    if (!FPopup || !FPopup->isVisible())
        return;
    QListWidgetItem* item = FPopup->currentItem();
    FPopup->hide();
    if (Accept && item && FGrid && FGrid->CanEditModify()) {
        SetText(item->text());
        SelectAll();
    }
    if (Visible() && Widget()->window()->isActiveWindow())
        Widget()->setFocus(Qt::PopupFocusReason);
}

void TInplaceEdit::ButtonClicked() {
    if (FEditStyle == esEllipsis)
        DoEditButtonClick();
    else if (ListVisible())
        CloseUp(false);
    else
        DropDown();
}

void TInplaceEdit::DoEditButtonClick() {
    if (FGrid)
        FGrid->EditButtonClick();
}

void TInplaceEdit::Move(const QRect& Rect) {
    SetBounds(Rect.x(), Rect.y(), Rect.width(), Rect.height());
    Show();
    BringToFront();
}

void TInplaceEdit::Hide() {
    CloseUp(false);
    TEdit::Hide();
}

void TInplaceEdit::Deselect() {
    if (HandleAllocated())
        static_cast<QLineEdit*>(Widget())->deselect();
}

bool TInplaceEdit::IsGridKey(quint16 Key, TShiftState Shift) const {
    switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
    case VK_RETURN:
    case VK_INSERT:
    case VK_TAB:
        return true;
    case VK_DELETE:
        return Shift.Contains(ssCtrl);
    case VK_HOME:
    case VK_END:
        return Shift.Contains(ssCtrl);
    case VK_LEFT:
        return SelLength() == 0 && SelStart() == 0;
    case VK_RIGHT:
        return SelLength() == 0 && SelStart() >= Text().size();
    default:
        return false;
    }
}

void TInplaceEdit::KeyDown(quint16& Key, TShiftState Shift) {
    TEdit::KeyDown(Key, Shift);
    if (!Key || !FGrid)
        return;
    const bool dropKey = (Key == VK_DOWN && Shift == TShiftState{ssAlt}) || Key == VK_F4;
    if (FEditStyle == esPickList && dropKey) {
        DropDown();
        Key = 0;
        return;
    }
    if (FEditStyle == esEllipsis && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
        DoEditButtonClick();
        Key = 0;
        return;
    }
    if ((Key == VK_DELETE || Key == VK_BACK) && !Shift.Contains(ssCtrl) &&
        !FGrid->CanEditModify()) {
        Key = 0;
        return;
    }
    if (IsGridKey(Key, Shift)) {
        FGrid->KeyDown(Key, Shift);
        Key = 0;
    }
}

void TInplaceEdit::KeyPress(QChar& Key) {
    TEdit::KeyPress(Key);
    if (Key.isNull() || !FGrid)
        return;
    if (Key.isPrint() && (!FGrid->CanEditAcceptKey(Key) || !FGrid->CanEditModify()))
        Key = QChar();
}

void TInplaceEdit::Change() {
    TEdit::Change();
    if (FLoading || !FGrid)
        return;
    FModified = true;
    FGrid->EditorTextChanged();
}

void TInplaceEdit::DoExit() {
    CloseUp(false);
    TEdit::DoExit();
}

bool TInplaceEdit::WantKey(quint16 Key) const {
    return Key == VK_RETURN || Key == VK_ESCAPE || (Key == VK_TAB && FGrid && FGrid->WantKey(Key));
}

// TCustomGrid

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 320, 120);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TCustomGrid::~TCustomGrid() {
    Destroying();
}

QWidget* TCustomGrid::CreateWidget() {
    QWidget* widget = TCustomControl::CreateWidget();
    widget->setAttribute(Qt::WA_OpaquePaintEvent);
    FVertBar = new QScrollBar(Qt::Vertical, widget);
    FHorzBar = new QScrollBar(Qt::Horizontal, widget);
    for (QScrollBar* bar : {FVertBar, FHorzBar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->installEventFilter(this);
    }
    connect(FVertBar, &QScrollBar::actionTriggered, this, [this](int Action) {
        if (!FUpdatingScrollBars)
            HandleExceptions([&] { VerticalScroll(Action); });
    });
    connect(FHorzBar, &QScrollBar::valueChanged, this, [this](int Value) {
        if (!FUpdatingScrollBars)
            HandleExceptions([&] { HorizontalScrolled(Value); });
    });
    return widget;
}

void TCustomGrid::InitWidget() {
    TCustomControl::InitWidget();
    PlaceScrollBars();
    UpdateScrollBars();
}

int TCustomGrid::FrameWidth() const {
    return FBorderStyle == bsSingle ? 2 : 0;
}

QRect TCustomGrid::ToWidget(const QRect& Rect) const {
    return Rect.translated(FrameWidth(), FrameWidth());
}

void TCustomGrid::SetBorderStyle(TFormBorderStyle Value) {
    if (Value != bsNone && Value != bsSingle)
        throw EInvalidOperation(QStringLiteral("A grid's border is bsSingle or bsNone"));
    FBorderStyle = Value;
    ClientResized();
    Invalidate();
}

int TCustomGrid::ScrollBarSize() const {
    const QWidget* widget = AllocatedWidget();
    return widget ? ScrollBarExtent(widget) : 16;
}

bool TCustomGrid::HorizontalBarShown() const {
    if (FScrollBars != ssHorizontal && FScrollBars != ssBoth)
        return false;
    int room = TCustomControl::ClientRect().width() - 2 * FrameWidth();
    if (FScrollBars == ssBoth)
        room -= ScrollBarSize();
    const int line = FGridOptions.Contains(goVertLine) ? FGridLineWidth : 0;
    int width = -line;
    for (int c = 0; c < FColCount; ++c)
        width += ColWidths(c) + line;
    return width > room;
}

QRect TCustomGrid::ClientRect() const {
    QRect rect = TCustomControl::ClientRect();
    rect.setSize(rect.size() - QSize(2, 2) * FrameWidth());
    const int extent = ScrollBarSize();
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        rect.setWidth(qMax(0, rect.width() - extent));
    if (HorizontalBarShown())
        rect.setHeight(qMax(0, rect.height() - extent));
    return rect;
}

void TCustomGrid::PlaceScrollBars() {
    if (!FVertBar)
        return;
    // Along the edges of the whole client area, below any band a descendant keeps.
    const QRect client = TCustomGrid::ClientRect();
    const bool vertical = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool horizontal = HorizontalBarShown();
    const int extent = ScrollBarSize();
    FVertBar->setVisible(vertical);
    FHorzBar->setVisible(horizontal);
    FVertBar->setGeometry(ToWidget(QRect(client.right() + 1, 0, extent, client.height())));
    FHorzBar->setGeometry(ToWidget(QRect(0, client.bottom() + 1, client.width(), extent)));
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
    FScrollBars = Value;
    ClientResized();
    Invalidate();
}

void TCustomGrid::Resize() {
    TCustomControl::Resize();
    ClientResized();
}

void TCustomGrid::ClientResized() {
    PlaceScrollBars();
    if (ClampTopLeft())
        TopLeftChanged();
    UpdateScrollBars();
    UpdateEdit();
}

void TCustomGrid::CheckHorizontalBar() {
    if (FHorzBar && FHorzBar->isHidden() == HorizontalBarShown())
        ClientResized();
}

void TCustomGrid::SetColCount(int Value) {
    Value = qMax(1, Value);
    if (Value == FColCount)
        return;
    const int old = FColCount;
    FColCount = Value;
    FColWidths.resize(qMin(FColWidths.size(), qsizetype(Value)));
    FTabStops.resize(qMin(FTabStops.size(), qsizetype(Value)));
    FFixedCols = qMin(FFixedCols, Value - 1);
    SizeChanged(old, FRowCount);
}

void TCustomGrid::SetRowCount(int Value) {
    Value = qMax(1, Value);
    if (Value == FRowCount)
        return;
    const int old = FRowCount;
    FRowCount = Value;
    FRowHeights.resize(qMin(FRowHeights.size(), qsizetype(Value)));
    FFixedRows = qMin(FFixedRows, Value - 1);
    SizeChanged(FColCount, old);
}

void TCustomGrid::SetFixedCols(int Value) {
    if (Value < 0 || Value >= FColCount)
        throw EInvalidOperation(
            QStringLiteral("Fixed column count must be less than column count"));
    FFixedCols = Value;
    SizeChanged(FColCount, FRowCount);
}

void TCustomGrid::SetFixedRows(int Value) {
    if (Value < 0 || Value >= FRowCount)
        throw EInvalidOperation(QStringLiteral("Fixed row count must be less than row count"));
    FFixedRows = Value;
    SizeChanged(FColCount, FRowCount);
}

void TCustomGrid::SizeChanged(int, int) {
    FCol = qBound(FFixedCols, FCol, FColCount - 1);
    FRow = qBound(FFixedRows, FRow, FRowCount - 1);
    CheckHorizontalBar();
    if (ClampTopLeft())
        TopLeftChanged();
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int Value) {
    FDefaultColWidth = Value;
    FColWidths.clear();
    ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int Value) {
    FDefaultRowHeight = Value;
    FRowHeights.clear();
    RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int Value) {
    FGridLineWidth = qMax(0, Value);
    ColWidthsChanged();
}

int TCustomGrid::ColWidths(int Index) const {
    if (Index < 0 || Index >= FColCount)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    return Index < FColWidths.size() && FColWidths[Index] >= 0 ? FColWidths[Index]
                                                               : FDefaultColWidth;
}

void TCustomGrid::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index >= FColCount)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    if (FColWidths.size() <= Index)
        FColWidths.resize(Index + 1, -1);
    FColWidths[Index] = qMax(0, Value);
    ColWidthsChanged();
}

int TCustomGrid::RowHeights(int Index) const {
    if (Index < 0 || Index >= FRowCount)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    return Index < FRowHeights.size() && FRowHeights[Index] >= 0 ? FRowHeights[Index]
                                                                 : FDefaultRowHeight;
}

void TCustomGrid::SetRowHeights(int Index, int Value) {
    if (Index < 0 || Index >= FRowCount)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    if (FRowHeights.size() <= Index)
        FRowHeights.resize(Index + 1, -1);
    FRowHeights[Index] = qMax(0, Value);
    RowHeightsChanged();
}

bool TCustomGrid::TabStops(int Index) const {
    if (Index < 0 || Index >= FColCount)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    return Index >= FTabStops.size() || FTabStops[Index];
}

void TCustomGrid::SetTabStops(int Index, bool Value) {
    if (Index < 0 || Index >= FColCount)
        throw EInvalidOperation(QStringLiteral("Grid index out of range"));
    if (FTabStops.size() <= Index)
        FTabStops.resize(Index + 1, true);
    FTabStops[Index] = Value;
}

int TCustomGrid::TabStopBeside(int ACol, bool Forward) const {
    const int step = Forward ? 1 : -1;
    for (int c = qBound(FFixedCols - 1, ACol, FColCount) + step; c >= FFixedCols && c < FColCount;
         c += step)
        if (TabStops(c))
            return c;
    return -1;
}

void TCustomGrid::SetFixedColor(TColor Value) {
    FFixedColor = Value;
    Invalidate();
}

void TCustomGrid::ColWidthsChanged() {
    CheckHorizontalBar();
    if (ClampTopLeft())
        TopLeftChanged();
    UpdateScrollBars();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
    if (ClampTopLeft())
        TopLeftChanged();
    UpdateScrollBars();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::SetGridOptions(TGridOptions Value) {
    if (Value == FGridOptions)
        return;
    FGridOptions = Value;
    if (!Value.Contains(goEditing))
        HideEditor();
    else if (Value.Contains(goAlwaysShowEditor))
        ShowEditor();
    Invalidate();
}

// ---- Geometry ------------------------------------------------------------------------

int TCustomGrid::RowTop(int ARow) const {
    const int line = FGridOptions.Contains(goHorzLine) ? FGridLineWidth : 0;
    if (ARow >= FFixedRows && ARow < FTopRow)
        return -1;
    int y = 0;
    for (int r = 0; r < qMin(ARow, FFixedRows); ++r)
        y += RowHeights(r) + line;
    for (int r = FTopRow; r < ARow; ++r)
        y += RowHeights(r) + line;
    return y;
}

int TCustomGrid::ColLeft(int ACol) const {
    const int line = FGridOptions.Contains(goVertLine) ? FGridLineWidth : 0;
    if (ACol >= FFixedCols && ACol < FLeftCol)
        return -1;
    int x = 0;
    for (int c = 0; c < qMin(ACol, FFixedCols); ++c)
        x += ColWidths(c) + line;
    for (int c = FLeftCol; c < ACol; ++c)
        x += ColWidths(c) + line;
    return x;
}

int TCustomGrid::ScrolledColumnsLeft() const {
    return ColLeft(FFixedCols < FColCount ? qMax(FFixedCols, FLeftCol) : FColCount - 1);
}

QRect TCustomGrid::CellRect(int ACol, int ARow) const {
    if (ACol < 0 || ACol >= FColCount || ARow < 0 || ARow >= FRowCount)
        return {};
    const int x = ColLeft(ACol), y = RowTop(ARow);
    if (x < 0 || y < 0)
        return {};
    return QRect(x, y, ColWidths(ACol), RowHeights(ARow)) & ClientRect();
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
    if (!ClientRect().contains(X, Y))
        return {};
    // The fixed items, then the scrolled ones from First, each ending where the next starts.
    auto find = [](int count, int fixed, int first, int pos, auto start, auto size) {
        for (int i = fixed > 0 ? 0 : first; i < count; i = i + 1 == fixed ? first : i + 1) {
            const int s = start(i);
            if (s > pos)
                break;
            if (pos < s + size(i))
                return i;
        }
        return -1;
    };
    const int vline = FGridOptions.Contains(goVertLine) ? FGridLineWidth : 0;
    const int hline = FGridOptions.Contains(goHorzLine) ? FGridLineWidth : 0;
    TGridCoord coord;
    coord.X = find(
        FColCount, FFixedCols, FLeftCol, X, [this](int c) { return ColLeft(c); },
        [&](int c) { return ColWidths(c) + vline; });
    coord.Y = find(
        FRowCount, FFixedRows, FTopRow, Y, [this](int r) { return RowTop(r); },
        [&](int r) { return RowHeights(r) + hline; });
    if (coord.X < 0 || coord.Y < 0)
        return {};
    return coord;
}

int TCustomGrid::VisibleColCount() const {
    const int width = ClientRect().width();
    int count = 0;
    for (int c = FLeftCol; c < FColCount; ++c) {
        const int left = ColLeft(c);
        if (left + ColWidths(c) > width)
            break;
        ++count;
    }
    return FColCount > FFixedCols ? qMax(1, count) : 0;
}

int TCustomGrid::VisibleRowCount() const {
    const int height = ClientRect().height();
    int count = 0;
    for (int r = FTopRow; r < FRowCount; ++r) {
        if (RowTop(r) + RowHeights(r) > height)
            break;
        ++count;
    }
    return FRowCount > FFixedRows ? qMax(1, count) : 0;
}

bool TCustomGrid::ClampTopLeft() {
    const QRect client = ClientRect();
    // The last column and row that can be first in view with everything after them.
    auto maxFirst = [](int count, int fixed, int room, auto size) {
        int first = count - 1;
        int used = size(first);
        while (first > fixed && used + size(first - 1) <= room) {
            --first;
            used += size(first);
        }
        return qMax(fixed, first);
    };
    const int vline = FGridOptions.Contains(goVertLine) ? FGridLineWidth : 0;
    const int hline = FGridOptions.Contains(goHorzLine) ? FGridLineWidth : 0;
    int fixedWidth = 0, fixedHeight = 0;
    for (int c = 0; c < FFixedCols; ++c)
        fixedWidth += ColWidths(c) + vline;
    for (int r = 0; r < FFixedRows; ++r)
        fixedHeight += RowHeights(r) + hline;
    const int maxLeft = maxFirst(FColCount, FFixedCols, client.width() - fixedWidth,
                                 [&](int c) { return ColWidths(c) + vline; });
    const int maxTop = maxFirst(FRowCount, FFixedRows, client.height() - fixedHeight,
                                [&](int r) { return RowHeights(r) + hline; });
    const int left = qBound(FFixedCols, FLeftCol, maxLeft);
    const int top = qBound(FFixedRows, FTopRow, maxTop);
    const bool changed = left != FLeftCol || top != FTopRow;
    FLeftCol = left;
    FTopRow = top;
    return changed;
}

void TCustomGrid::SetLeftCol(int Value) {
    if (Value == FLeftCol)
        return;
    FLeftCol = qBound(FFixedCols, Value, FColCount - 1);
    ClampTopLeft();
    TopLeftChanged();
    UpdateScrollBars();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::SetTopRow(int Value) {
    if (Value == FTopRow)
        return;
    FTopRow = qBound(FFixedRows, Value, FRowCount - 1);
    ClampTopLeft();
    TopLeftChanged();
    UpdateScrollBars();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::TopLeftChanged() {}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
    if (QWidget* widget = AllocatedWidget())
        widget->update(ToWidget(CellRect(ACol, ARow)));
}

void TCustomGrid::InvalidateRow(int ARow) {
    if (QWidget* widget = AllocatedWidget()) {
        const int y = RowTop(ARow);
        if (y >= 0)
            widget->update(
                ToWidget(QRect(0, y, ClientRect().width(), RowHeights(ARow) + FGridLineWidth)));
    }
}

void TCustomGrid::InvalidateCol(int ACol) {
    if (QWidget* widget = AllocatedWidget()) {
        const int x = ColLeft(ACol);
        if (x >= 0)
            widget->update(
                ToWidget(QRect(x, 0, ColWidths(ACol) + FGridLineWidth, ClientRect().height())));
    }
}

// ---- Scroll bars ---------------------------------------------------------------------

void TCustomGrid::UpdateScrollBars() {
    if (!FVertBar)
        return;
    QScopedValueRollback updating(FUpdatingScrollBars, true);
    const int rows = qMax(0, FRowCount - FFixedRows - VisibleRowCount());
    FVertBar->setRange(0, rows);
    FVertBar->setPageStep(qMax(1, VisibleRowCount()));
    FVertBar->setValue(FTopRow - FFixedRows);
    const int cols = qMax(0, FColCount - FFixedCols - VisibleColCount());
    FHorzBar->setRange(0, cols);
    FHorzBar->setPageStep(qMax(1, VisibleColCount()));
    FHorzBar->setValue(FLeftCol - FFixedCols);
}

void TCustomGrid::VerticalScroll(int) {
    SetTopRow(FFixedRows + FVertBar->sliderPosition());
}

void TCustomGrid::HorizontalScrolled(int Value) {
    SetLeftCol(FFixedCols + Value);
}

// ---- Painting ------------------------------------------------------------------------

bool TCustomGrid::IsHighlighted(int ACol, int ARow) const {
    if (ARow != FRow)
        return false;
    return FGridOptions.Contains(goRowSelect) || ACol == FCol;
}

void TCustomGrid::Paint() {
    TCanvas* canvas = Canvas();
    QPainter& painter = canvas->Handle();
    const QRect client = ClientRect();
    // The corner between the scroll bars, and any band a descendant keeps, start plain.
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(Widget()->rect());
    if (FBorderStyle == bsSingle) {
        QStyleOptionFrame frame;
        frame.initFrom(Widget());
        frame.rect = Widget()->rect();
        frame.lineWidth = FrameWidth();
        frame.state |= QStyle::State_Sunken;
        Widget()->style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, Widget());
    }
    // Cells are drawn in client coordinates, inside the frame.
    painter.translate(FrameWidth(), FrameWidth());
    painter.setClipRect(client);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
    const bool focused = GridFocused();
    auto nextRow = [this](int r) { return r + 1 == FFixedRows ? FTopRow : r + 1; };
    auto nextCol = [this](int c) { return c + 1 == FFixedCols ? FLeftCol : c + 1; };
    for (int r = FFixedRows > 0 ? 0 : FTopRow; r < FRowCount; r = nextRow(r)) {
        const int y = RowTop(r);
        if (y >= client.height())
            break;
        for (int c = FFixedCols > 0 ? 0 : FLeftCol; c < FColCount; c = nextCol(c)) {
            const int x = ColLeft(c);
            if (x >= client.width())
                break;
            const QRect rect(x, y, ColWidths(c), RowHeights(r));
            TGridDrawState state;
            if (c < FFixedCols || r < FFixedRows)
                state.Include(gdFixed);
            else {
                if (IsHighlighted(c, r))
                    state.Include(gdSelected);
                if (focused && c == FCol && r == FRow)
                    state.Include(gdFocused);
            }
            canvas->Font()->Assign(Font());
            canvas->Brush()->SetColor(state.Contains(gdFixed) ? FFixedColor : Color());
            DrawCell(c, r, rect, state);
            DrawCellEdges(c, r, rect, state);
        }
    }
    painter.setClipping(false);
}

void TCustomGrid::DrawCell(int, int, const QRect& ARect, TGridDrawState) {
    Canvas()->FillRect(ARect);
}

void TCustomGrid::DrawCellEdges(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    const int left = ARect.x(), top = ARect.y();
    const int right = left + ARect.width();
    const int bottom = top + ARect.height();
    const bool fixed = AState.Contains(gdFixed);
    if (fixed) {
        // Lit along the top and left, shaded along the bottom and right.
        canvas->Pen()->SetColor(clBtnHighlight);
        canvas->Polyline({QPoint(left, bottom - 1), QPoint(left, top), QPoint(right, top)});
        canvas->Pen()->SetColor(clBtnShadow);
        canvas->Polyline(
            {QPoint(left, bottom - 1), QPoint(right - 1, bottom - 1), QPoint(right - 1, top)});
    }
    if (FGridLineWidth == 0)
        return;
    canvas->Brush()->SetColor(fixed ? clBlack : clSilver);
    const bool fixedColOrRow = ACol < FFixedCols || ARow < FFixedRows;
    if (FGridOptions.Contains(fixedColOrRow ? goFixedVertLine : goVertLine))
        canvas->FillRect(QRect(right, top, FGridLineWidth, ARect.height() + FGridLineWidth));
    if (FGridOptions.Contains(fixedColOrRow ? goFixedHorzLine : goHorzLine))
        canvas->FillRect(QRect(left, bottom, ARect.width() + FGridLineWidth, FGridLineWidth));
}

void TCustomGrid::FontChanged() {
    TCustomControl::FontChanged();
    Invalidate();
}

void TCustomGrid::ColorChanged() {
    TCustomControl::ColorChanged();
    Invalidate();
}

bool TCustomGrid::GridFocused() const {
    const QWidget* widget = AllocatedWidget();
    const QWidget* focus = QApplication::focusWidget();
    return widget && focus && (focus == widget || widget->isAncestorOf(focus));
}

// ---- Moving --------------------------------------------------------------------------

bool TCustomGrid::SelectCell(int, int) {
    return true;
}

void TCustomGrid::CellChanged(int, int) {}

void TCustomGrid::FocusCell(int ACol, int ARow) {
    ACol = qBound(FFixedCols, ACol, FColCount - 1);
    ARow = qBound(FFixedRows, ARow, FRowCount - 1);
    if (ACol == FCol && ARow == FRow)
        return;
    if (!SelectCell(ACol, ARow))
        return;
    const int oldCol = FCol, oldRow = FRow;
    FCol = ACol;
    FRow = ARow;
    // Scroll the cell into view.
    if (FCol < FLeftCol)
        FLeftCol = FCol;
    while (FLeftCol < FCol && ColLeft(FCol) + ColWidths(FCol) > ClientRect().width())
        ++FLeftCol;
    if (FRow < FTopRow)
        FTopRow = FRow;
    while (FTopRow < FRow && RowTop(FRow) + RowHeights(FRow) > ClientRect().height())
        ++FTopRow;
    CellChanged(oldCol, oldRow);
    TopLeftChanged();
    UpdateScrollBars();
    UpdateEdit();
    Invalidate();
}

void TCustomGrid::MoveColumn(int Delta) {
    if (FGridOptions.Contains(goRowSelect)) {
        SetLeftCol(FLeftCol + Delta);
        return;
    }
    FocusCell(FCol + Delta, FRow);
}

void TCustomGrid::TabMove(bool Forward) {
    if (FGridOptions.Contains(goRowSelect)) {
        MoveColumn(Forward ? 1 : -1);
        return;
    }
    // To the next tab stop of the row, else to the first (last) one of the next (previous)
    // row.
    if (const int col = TabStopBeside(FCol, Forward); col >= 0) {
        FocusCell(col, FRow);
        return;
    }
    const int row = FRow + (Forward ? 1 : -1);
    const int col = TabStopBeside(Forward ? -1 : FColCount, Forward);
    if (col >= 0 && row >= FFixedRows && row < FRowCount)
        FocusCell(col, row);
}

// ---- Editor --------------------------------------------------------------------------

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

QString TCustomGrid::GetEditText(int, int) {
    return {};
}

void TCustomGrid::SetEditText(int, int, const QString&) {}

bool TCustomGrid::CanEditShow() const {
    return FGridOptions.Contains(goEditing) && !FGridOptions.Contains(goRowSelect) &&
           FCol >= FFixedCols && FRow >= FFixedRows && Visible();
}

bool TCustomGrid::CanEditModify() {
    return FGridOptions.Contains(goEditing);
}

bool TCustomGrid::CanEditAcceptKey(QChar) const {
    return true;
}

TEditStyle TCustomGrid::GetEditStyle(int, int) {
    return esSimple;
}

TAlignment TCustomGrid::GetEditAlignment(int, int) {
    return taLeftJustify;
}

QStringList TCustomGrid::GetPickList(int, int) {
    return {};
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value)
        ShowEditor();
    else
        HideEditor();
}

void TCustomGrid::ShowEditor() {
    if (!CanEditShow())
        return;
    if (!FInplaceEdit) {
        FInplaceEdit = CreateEditor();
        FInplaceEdit->SetGrid(this);
        FInplaceEdit->SetParent(this);
    }
    FEditorMode = true;
    FInplaceEdit->UpdateContents();
    // The editor may hand the cell to another control, turning editor mode off.
    if (!FEditorMode)
        return;
    FInplaceEdit->Move(ToWidget(CellRect(FCol, FRow)));
    if (GridFocused() && FInplaceEdit->CanFocus()) {
        FInplaceEdit->SetFocus();
        FInplaceEdit->SelectAll();
    }
}

void TCustomGrid::HideEditor() {
    if (!FEditorMode && (!FInplaceEdit || !FInplaceEdit->Visible()))
        return;
    FEditorMode = false;
    if (!FInplaceEdit)
        return;
    const bool hadFocus = FInplaceEdit->Focused();
    FInplaceEdit->Hide();
    if (hadFocus && CanFocus())
        SetFocus();
}

void TCustomGrid::ShowEditorChar(QChar Ch) {
    ShowEditor();
    if (!FInplaceEdit || !FEditorMode)
        return;
    FInplaceEdit->SetText(QString(Ch));
    FInplaceEdit->SetSelStart(1);
}

void TCustomGrid::UpdateEdit() {
    if (!FInplaceEdit)
        return;
    if (FEditorMode && CanEditShow()) {
        FInplaceEdit->UpdateContents();
        if (FEditorMode)
            FInplaceEdit->Move(ToWidget(CellRect(FCol, FRow)));
    } else if (FInplaceEdit->Visible()) {
        HideEditor();
    }
}

void TCustomGrid::InvalidateEditor() {
    if (FInplaceEdit && FEditorMode)
        FInplaceEdit->UpdateContents();
}

void TCustomGrid::EditorTextChanged() {
    SetEditText(FCol, FRow, FInplaceEdit->Text());
}

// ---- Keys and mouse ------------------------------------------------------------------

bool TCustomGrid::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    switch (Event->type()) {
    case QEvent::Wheel:
        WheelTurned(static_cast<QWheelEvent*>(Event)->angleDelta().y());
        Event->accept();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (FrameWidth() > 0) {
            // The control sees the mouse in client coordinates, inside the frame.
            auto* mouse = static_cast<QMouseEvent*>(Event);
            QMouseEvent inside(mouse->type(),
                               mouse->position() - QPointF(FrameWidth(), FrameWidth()),
                               mouse->scenePosition(), mouse->globalPosition(), mouse->button(),
                               mouse->buttons(), mouse->modifiers(), mouse->pointingDevice());
            TCustomControl::WidgetEvent(&inside, Default);
            Event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return TCustomControl::WidgetEvent(Event, Default);
}

bool TCustomGrid::eventFilter(QObject* Watched, QEvent* Event) {
    // The scroll bars would scroll lines of their own; the wheel moves the row.
    if (Event->type() != QEvent::Wheel || (Watched != FVertBar && Watched != FHorzBar))
        return TCustomControl::eventFilter(Watched, Event);
    HandleExceptions([&] { WheelTurned(static_cast<QWheelEvent*>(Event)->angleDelta().y()); });
    return true;
}

void TCustomGrid::WheelTurned(int Delta) {
    FWheelDelta += Delta;
    const int notches = FWheelDelta / QWheelEvent::DefaultDeltasPerStep;
    FWheelDelta %= QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0)
        MouseWheel(notches);
}

void TCustomGrid::MouseWheel(int Notches) {
    FocusCell(FCol, qBound(FFixedRows, FRow - Notches, FRowCount - 1));
}

bool TCustomGrid::WantKey(quint16 Key) const {
    switch (Key) {
    case VK_TAB:
        return FGridOptions.Contains(goTabs);
    case VK_RETURN:
        return FGridOptions.Contains(goEditing);
    case VK_ESCAPE:
        return FEditorMode;
    default:
        return false;
    }
}

void TCustomGrid::KeyDown(quint16& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const bool ctrl = Shift.Contains(ssCtrl);
    const int page = qMax(1, VisibleRowCount());
    switch (Key) {
    case VK_UP:
        FocusCell(FCol, FRow - 1);
        break;
    case VK_DOWN:
        FocusCell(FCol, FRow + 1);
        break;
    case VK_PRIOR:
        FocusCell(FCol, FRow - page);
        break;
    case VK_NEXT:
        FocusCell(FCol, FRow + page);
        break;
    case VK_LEFT:
        MoveColumn(-1);
        break;
    case VK_RIGHT:
        MoveColumn(1);
        break;
    case VK_HOME:
        FocusCell(FFixedCols, ctrl ? FFixedRows : FRow);
        break;
    case VK_END:
        FocusCell(FColCount - 1, ctrl ? FRowCount - 1 : FRow);
        break;
    case VK_TAB:
        if (!FGridOptions.Contains(goTabs))
            return;
        TabMove(!Shift.Contains(ssShift));
        break;
    case VK_F2:
        ShowEditor();
        break;
    case VK_ESCAPE:
        if (!FEditorMode)
            return;
        HideEditor();
        break;
    case VK_RETURN:
        if (!FGridOptions.Contains(goEditing))
            return;
        if (FEditorMode)
            HideEditor();
        else
            ShowEditor();
        break;
    default:
        return;
    }
    Key = 0;
}

void TCustomGrid::KeyPress(QChar& Key) {
    TCustomControl::KeyPress(Key);
    if (Key.isNull() || !Key.isPrint() || FEditorMode || !CanEditShow())
        return;
    if (!CanEditAcceptKey(Key) || !CanEditModify()) {
        Key = QChar();
        return;
    }
    ShowEditorChar(Key);
    Key = QChar();
}

int TCustomGrid::ColumnEdgeAt(int X, int Y) const {
    if (!FGridOptions.Contains(goColSizing) || FFixedRows == 0 || Y >= RowTop(FFixedRows))
        return -1;
    for (int c = FFixedCols; c < FColCount; ++c) {
        const int left = ColLeft(c);
        if (left < 0)
            continue;
        const int right = left + ColWidths(c);
        if (qAbs(X - right) <= 2)
            return c;
        if (right > X + 2)
            break;
    }
    return -1;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (!GridFocused() && CanFocus())
        SetFocus();
    FSizingCol = ColumnEdgeAt(X, Y);
    if (FSizingCol >= 0) {
        FSizingStart = X - ColWidths(FSizingCol);
        return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < FFixedCols || cell.Y < FFixedRows)
        return;
    const bool current = cell.X == FCol && cell.Y == FRow;
    FocusCell(cell.X, cell.Y);
    if (current && FGridOptions.Contains(goEditing))
        ShowEditor();
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (FSizingCol >= 0) {
        if (FColWidths.size() <= FSizingCol)
            FColWidths.resize(FSizingCol + 1, -1);
        FColWidths[FSizingCol] = qMax(1, X - FSizingStart);
        Invalidate();
    } else if (QWidget* widget = AllocatedWidget()) {
        widget->setCursor(ColumnEdgeAt(X, Y) >= 0 ? Qt::SplitHCursor : CursorToQt(Cursor()));
    }
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FSizingCol >= 0) {
        FSizingCol = -1;
        ColWidthsChanged();
    }
}
