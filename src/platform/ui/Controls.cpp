#include "Controls.h"

#include "DragDrop.h"
#include "Forms.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <algorithm>
#include <optional>
#include <rtl/Reference.h>
#include <rtl/ShortCut.h>

namespace {

std::optional<TMouseButton> MouseButtonOf(Qt::MouseButton Button) {
    switch (Button) {
    case Qt::LeftButton:
        return mbLeft;
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return std::nullopt;
    }
}

// Where a docked control comes among those docked to the same side: nearest the side first.
int DockOrder(const TControl* Control, TAlign Align) {
    switch (Align) {
    case alTop:
        return Control->Top();
    case alBottom:
        return -(Control->Top() + Control->Height());
    case alLeft:
        return Control->Left();
    case alRight:
        return -(Control->Left() + Control->Width());
    default:
        return 0;
    }
}

// The Menu key and Shift+F10 ask for the context menu.
bool IsContextMenuKey(const QKeyEvent* Event) {
    const Qt::KeyboardModifiers modifiers =
        Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return (Event->key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
           (Event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

bool Accepted(QEvent* Event) {
    Event->accept();
    return true;
}

// Where the left button was last pressed on a control: where a drag that is not
// immediate starts from.
QPoint LastPressPos;

} // namespace

Qt::CursorShape CursorToQt(TCursor Cursor) {
    switch (Cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSize:
    case crSizeAll:
        return Qt::SizeAllCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
        return Qt::DragMoveCursor;
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crDefault:
    case crArrow:
        break;
    }
    return Qt::ArrowCursor;
}

// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont(this)) {
    FFont->SetOnChange(TNotifyEvent(this, &TControl::FontChangeNotified));
}

TControl::~TControl() {
    Destroying();
    if (FParent)
        FParent->RemoveControl(this);
    if (FWidget) {
        if (auto* link = dynamic_cast<TWidgetLink*>(FWidget))
            link->Detach();
        QWidget* focus = QApplication::focusWidget();
        if (focus && (focus == FWidget || FWidget->isAncestorOf(focus)))
            focus->clearFocus();
        delete FWidget;
    }
}

void TControl::Destroying() {
    SetComponentState(ComponentState() + TComponentState{csDestroying});
}

QWidget* TControl::Widget() {
    if (!FWidget) {
        FWidget = CreateWidget();
        InitWidget();
        ApplyVisible();
    }
    return FWidget;
}

QWidget* TControl::CreateWidget() {
    return new TControlWidget<QWidget>(this);
}

void TControl::InitWidget() {
    if (QWidget* parent = ParentWidget())
        FWidget->setParent(parent);
    ApplyBounds();
    ApplyFont();
    ApplyColor();
    ApplyHint();
    ApplyCursor();
    FWidget->setEnabled(FEnabled);
}

QWidget* TControl::ParentWidget() const {
    return FParent ? FParent->ClientWidget() : nullptr;
}

void TControl::SetParent(TWinControl* AParent) {
    if (FParent == AParent)
        return;
    if (AParent == this)
        throw EInvalidOperation(QStringLiteral("A control cannot be its own parent"));
    if (auto* self = qobject_cast<TWinControl*>(this); self && self->ContainsControl(AParent))
        throw EInvalidOperation(
            QStringLiteral("%1 cannot be the parent of a control it contains").arg(Name()));
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
    if (FWidget) {
        FWidget->setParent(ParentWidget());
        ApplyBounds();
        ApplyVisible();
    } else if (AParent && AParent->HandleAllocated()) {
        Widget();
    }
    SyncWithParent();
    if (FParent && FAlign != alNone)
        FParent->Realign();
    ParentChanged();
}

TComponent* TControl::GetParentComponent() const {
    return FParent;
}

void TControl::SetParentComponent(TComponent* Value) {
    if (auto* parent = qobject_cast<TWinControl*>(Value))
        SetParent(parent);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    ApplyBounds();
    if (resized)
        Resize();
    RequestAlign();
}

void TControl::UpdateBounds(const QRect& Bounds) {
    const bool resized = Bounds.width() != FWidth || Bounds.height() != FHeight;
    FLeft = Bounds.x();
    FTop = Bounds.y();
    FWidth = Bounds.width();
    FHeight = Bounds.height();
    if (resized)
        Resize();
}

QRect TControl::ClientRect() const {
    return QRect(0, 0, FWidth, FHeight);
}

void TControl::ApplyBounds() {
    if (FWidget)
        FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
}

void TControl::RequestAlign() {
    if (FAlign != alNone && FParent && !FParent->FAligning)
        FParent->Realign();
}

void TControl::SetAlign(TAlign Value) {
    if (FAlign == Value)
        return;
    FAlign = Value;
    if (FParent)
        FParent->Realign();
}

void TControl::SetVisible(bool Value) {
    if (FVisible == Value)
        return;
    FVisible = Value;
    ApplyVisible();
    RequestAlign();
}

void TControl::ApplyVisible() {
    // A control without parent never becomes a window of its own.
    if (FWidget && FWidget->parentWidget())
        FWidget->setVisible(FVisible);
}

void TControl::SetEnabled(bool Value) {
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    if (FWidget)
        FWidget->setEnabled(Value);
    EnabledChanged();
}

void TControl::FontChangeNotified(TObject*) {
    if (!FSyncingWithParent)
        FParentFont = false;
    FontChanged();
}

void TControl::FontChanged() {
    ApplyFont();
}

void TControl::ApplyFont() {
    if (!FWidget)
        return;
    FWidget->setFont(FFont->ToQFont());
    const QColor color = ColorToQColor(FFont->Color());
    if (color.isValid()) {
        QPalette palette = FWidget->palette();
        palette.setColor(FWidget->foregroundRole(), color);
        FWidget->setPalette(palette);
    }
}

void TControl::SetParentFont(bool Value) {
    FParentFont = Value;
    if (Value)
        SyncWithParent();
}

void TControl::SetColor(TColor Value) {
    if (!FSyncingWithParent)
        FParentColor = false;
    if (FColor == Value)
        return;
    FColor = Value;
    ColorChanged();
}

void TControl::ColorChanged() {
    ApplyColor();
}

void TControl::ApplyColor() {
    if (!FWidget)
        return;
    const QColor color = ColorToQColor(FColor);
    if (!color.isValid())
        return;
    QPalette palette = FWidget->palette();
    palette.setColor(FWidget->backgroundRole(), color);
    FWidget->setPalette(palette);
}

void TControl::SetParentColor(bool Value) {
    FParentColor = Value;
    if (Value)
        SyncWithParent();
}

void TControl::SetHint(const QString& Value) {
    FHint = Value;
    ApplyHint();
}

void TControl::SetShowHint(bool Value) {
    if (!FSyncingWithParent)
        FParentShowHint = false;
    if (FShowHint == Value)
        return;
    FShowHint = Value;
    ShowHintChanged();
}

void TControl::ShowHintChanged() {
    ApplyHint();
}

void TControl::ApplyHint() {
    // "Short|long": the tooltip shows the short part.
    if (FWidget)
        FWidget->setToolTip(FShowHint ? FHint.section(QLatin1Char('|'), 0, 0) : QString());
}

void TControl::SetParentShowHint(bool Value) {
    FParentShowHint = Value;
    if (Value)
        SyncWithParent();
}

void TControl::SetCursor(TCursor Value) {
    FCursor = Value;
    ApplyCursor();
}

void TControl::ApplyCursor() {
    if (!FWidget)
        return;
    if (FCursor == crDefault)
        FWidget->unsetCursor();
    else
        FWidget->setCursor(CursorToQt(FCursor));
}

void TControl::SyncWithParent() {
    if (!FParent)
        return;
    QScopedValueRollback syncing(FSyncingWithParent, true);
    if (FParentFont)
        FFont->Assign(FParent->Font());
    if (FParentColor)
        SetColor(FParent->Color());
    if (FParentShowHint)
        SetShowHint(FParent->ShowHint());
}

void TControl::SetText(const QString& Value) {
    if (FText == Value)
        return;
    FText = Value;
    TextChanged();
}

void TControl::Invalidate() {
    if (FWidget)
        FWidget->update();
}

void TControl::Repaint() {
    if (FWidget)
        FWidget->repaint();
}

void TControl::BringToFront() {
    if (!FWidget)
        return;
    FWidget->raise();
    if (FWidget->isWindow() && FWidget->isVisible())
        FWidget->activateWindow();
}

void TControl::SendToBack() {
    if (FWidget)
        FWidget->lower();
}

void TControl::PostToWindow(std::function<void()> Call) {
    // Queued calls to a QObject are discarded when it is destroyed; the check covers
    // events processed while the destructors run.
    QMetaObject::invokeMethod(
        this,
        [this, Call = std::move(Call)] {
            if (!IsDestroying())
                HandleExceptions(Call);
        },
        Qt::QueuedConnection);
}

bool TControl::IsStoredProp(const QString& Name) const {
    if (Name == QLatin1String("Font"))
        return !FParentFont;
    if (Name == QLatin1String("Color"))
        return !FParentColor;
    if (Name == QLatin1String("ShowHint"))
        return !FParentShowHint;
    if (Name == QLatin1String("ClientWidth") || Name == QLatin1String("ClientHeight"))
        return false;
    return TComponent::IsStoredProp(Name);
}

bool TControl::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (FWidget && FWidget->isEnabled())
            return HandleMouseEvent(Event, Default);
        break;
    case QEvent::ContextMenu:
        if (HandleContextMenu(static_cast<QContextMenuEvent*>(Event)))
            return Accepted(Event);
        break;
    default:
        break;
    }
    return Default(Event);
}

bool TControl::HandleMouseEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    auto* mouse = static_cast<QMouseEvent*>(Event);
    const QPoint pos = mouse->position().toPoint();
    TShiftState shift = ShiftStateFromQt(mouse->modifiers(), mouse->buttons());
    const std::optional<TMouseButton> button = MouseButtonOf(mouse->button());
    const bool press =
        Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::MouseButtonDblClick;
    if (press && button) {
        const TShiftState pressShift =
            Event->type() == QEvent::MouseButtonDblClick ? shift + TShiftState{ssDouble} : shift;
        if (TakeMouseDown(*button, pressShift, pos.x(), pos.y()))
            return Accepted(Event);
    }
    QPointer<TControl> guard(this);
    Default(Event);
    if (!guard || IsDestroying())
        return Accepted(Event);
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
        if (button) {
            FMousePressed = *button == mbLeft;
            if (FMousePressed)
                LastPressPos = mouse->globalPosition().toPoint();
            MouseDown(*button, shift, pos.x(), pos.y());
            if (FMousePressed && FDragMode == dmAutomatic && guard && !IsDestroying())
                BeginDrag(false);
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (button) {
            if (*button == mbLeft)
                DblClick();
            if (guard && !IsDestroying())
                MouseDown(*button, shift + TShiftState{ssDouble}, pos.x(), pos.y());
        }
        break;
    case QEvent::MouseButtonRelease:
        if (button) {
            const bool click = *button == mbLeft && FMousePressed &&
                               FControlStyle.Contains(csClickEvents) && ClientRect().contains(pos);
            if (*button == mbLeft)
                FMousePressed = false;
            if (click)
                Click();
            if (guard && !IsDestroying())
                MouseUp(*button, shift, pos.x(), pos.y());
            if (*button == mbRight && guard && !IsDestroying())
                DoContextPopup(mouse->globalPosition().toPoint());
        }
        break;
    default:
        MouseMove(shift, pos.x(), pos.y());
        break;
    }
    return Accepted(Event);
}

void TControl::Click() {
    FOnClick(this);
}

void TControl::DblClick() {
    FOnDblClick(this);
}

bool TControl::TakeMouseDown(TMouseButton, TShiftState, int, int) {
    return false;
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FOnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FOnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    FOnMouseMove(this, Shift, X, Y);
}

void TControl::Resize() {
    if (!IsLoading())
        FOnResize(this);
}

bool TControl::DialogKey(quint16, TShiftState) {
    return false;
}

// TControl: dragging

void TControl::BeginDrag(bool Immediate, int Threshold) {
    TDragTracker::Begin(this, LastPressPos, Immediate,
                        Threshold < 0 ? QApplication::startDragDistance() : Threshold);
}

void TControl::EndDrag(bool Drop) {
    if (Dragging())
        TDragTracker::End(Drop);
}

bool TControl::Dragging() const {
    return TDragTracker::Source() == this;
}

QPoint TControl::ScreenToClient(const QPoint& Global) {
    return ClientWidget()->mapFromGlobal(Global);
}

QPoint TControl::ClientToScreen(const QPoint& Client) {
    return ClientWidget()->mapToGlobal(Client);
}

void TControl::DoStartDrag() {
    FOnStartDrag(this);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
    Accept = FOnDragOver.IsAssigned();
    FOnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
    FOnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
    FOnEndDrag(this, Target, X, Y);
}

// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    Destroying();
    while (!FControls.isEmpty())
        delete FControls.last();
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= FControls.size())
        throw EListError(QStringLiteral("Control index out of bounds (%1)").arg(Index));
    return FControls[Index];
}

bool TWinControl::ContainsControl(const TControl* Control) const {
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

void TWinControl::InsertControl(TControl* Control) {
    FControls.append(Control);
    if (auto* child = qobject_cast<TWinControl*>(Control))
        FTabList.append(child);
    Control->FParent = this;
}

void TWinControl::RemoveControl(TControl* Control) {
    if (TForm* form = GetParentForm(this))
        form->DefocusControl(Control);
    FControls.removeOne(Control);
    // A control being destroyed is no longer of its class: compare addresses only.
    FTabList.removeIf([Control](const TWinControl* Child) { return Child == Control; });
    Control->FParent = nullptr;
    if (Control->FAlign != alNone)
        Realign();
}

void TWinControl::InitWidget() {
    TControl::InitWidget();
    ApplyFocusPolicy();
    for (TControl* child : std::as_const(FControls))
        child->Widget();
}

Qt::FocusPolicy TWinControl::FocusPolicy() const {
    return Qt::NoFocus;
}

void TWinControl::ApplyFocusPolicy() {
    if (!HandleAllocated())
        return;
    const Qt::FocusPolicy policy = FocusPolicy();
    Widget()->setFocusPolicy(policy == Qt::NoFocus ? Qt::NoFocus
                             : FTabStop            ? policy
                                                   : Qt::ClickFocus);
}

int TWinControl::TabOrder() const {
    return FParent ? int(FParent->FTabList.indexOf(const_cast<TWinControl*>(this))) : -1;
}

void TWinControl::SetTabOrder(int Value) {
    // Form files give the final positions; FixupTabList applies them once all are read.
    if (IsLoading()) {
        FLoadedTabOrder = Value;
        return;
    }
    if (!FParent)
        return;
    QList<TWinControl*>& list = FParent->FTabList;
    const qsizetype current = list.indexOf(this);
    list.move(current, std::clamp<qsizetype>(Value, 0, list.size() - 1));
}

void TWinControl::FixupTabList() {
    const qsizetype count = FTabList.size();
    QList<TWinControl*> ordered(count, nullptr);
    QList<TWinControl*> rest;
    for (TWinControl* child : std::as_const(FTabList)) {
        const int wanted = std::exchange(child->FLoadedTabOrder, -1);
        if (wanted >= 0 && wanted < count && !ordered[wanted])
            ordered[wanted] = child;
        else
            rest.append(child);
    }
    auto next = rest.cbegin();
    for (TWinControl*& slot : ordered)
        if (!slot)
            slot = *next++;
    FTabList = ordered;
}

void TWinControl::SetTabStop(bool Value) {
    FTabStop = Value;
    ApplyFocusPolicy();
}

bool TWinControl::Focused() const {
    return FWidget && FWidget->hasFocus();
}

bool TWinControl::CanFocus() const {
    const TForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (const TWinControl* c = this; c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus() {
    TForm* form = GetParentForm(this);
    if (!form || !CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    form->FocusControl(this);
}

void TWinControl::GetTabOrderList(QList<TWinControl*>& List) const {
    for (TWinControl* child : FTabList) {
        List.append(child);
        child->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) const {
    QList<TWinControl*> list;
    GetTabOrderList(list);
    const qsizetype count = list.size();
    if (count == 0)
        return nullptr;
    qsizetype start = list.indexOf(CurControl);
    if (start < 0)
        start = GoForward ? count - 1 : 0;
    qsizetype i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* candidate = list[i];
        if (candidate != CurControl && candidate->CanFocus() &&
            (!CheckTabStop || candidate->IsTabStop()) &&
            (!CheckParent || candidate->Parent() == this))
            return candidate;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, false))
        next->SetFocus();
}

bool TWinControl::MoveFocusByTab(bool Next) {
    if (WantKey(VK_TAB))
        return false;
    TForm* form = GetParentForm(this);
    if (!form)
        return false;
    form->SelectNext(form == this ? form->ActiveControl() : this, Next, true);
    return true;
}

void TWinControl::DisableAlign() {
    ++FAlignLevel;
}

void TWinControl::EnableAlign() {
    if (--FAlignLevel == 0)
        Realign();
}

void TWinControl::LockUpdates() {
    if (FUpdateLocks++ == 0)
        Widget()->setUpdatesEnabled(false);
}

void TWinControl::UnlockUpdates() {
    if (FUpdateLocks > 0 && --FUpdateLocks == 0)
        Widget()->setUpdatesEnabled(true);
}

void TWinControl::Realign() {
    if (FAlignLevel > 0 || FAligning || IsLoading() || IsDestroying())
        return;
    AlignControls();
}

void TWinControl::AdjustClientRect(QRect&) const {}

void TWinControl::AlignControls() {
    QRect area = ClientRect();
    AdjustClientRect(area);
    int left = area.x();
    int top = area.y();
    int right = area.x() + area.width();
    int bottom = area.y() + area.height();
    QScopedValueRollback aligning(FAligning, true);
    for (const TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        QList<TControl*> docked;
        for (TControl* child : std::as_const(FControls))
            if (child->Align() == align && child->Visible())
                docked.append(child);
        std::stable_sort(docked.begin(), docked.end(), [align](TControl* a, TControl* b) {
            return DockOrder(a, align) < DockOrder(b, align);
        });
        for (TControl* child : std::as_const(docked)) {
            const int width = std::max(right - left, 0);
            const int height = std::max(bottom - top, 0);
            switch (align) {
            case alTop:
                child->SetBounds(left, top, width, child->Height());
                top += child->Height();
                break;
            case alBottom:
                child->SetBounds(left, bottom - child->Height(), width, child->Height());
                bottom -= child->Height();
                break;
            case alLeft:
                child->SetBounds(left, top, child->Width(), height);
                left += child->Width();
                break;
            case alRight:
                child->SetBounds(right - child->Width(), top, child->Width(), height);
                right -= child->Width();
                break;
            default:
                child->SetBounds(left, top, width, height);
                break;
            }
        }
    }
}

void TWinControl::Resize() {
    Realign();
    TControl::Resize();
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    NotifyChildren();
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    NotifyChildren();
}

void TWinControl::ShowHintChanged() {
    TControl::ShowHintChanged();
    NotifyChildren();
}

void TWinControl::NotifyChildren() {
    for (TControl* child : std::as_const(FControls))
        child->SyncWithParent();
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TControl* child : std::as_const(FControls))
        if (child->Owner() == Root)
            Proc(child);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    FixupTabList();
    Realign();
}

bool TWinControl::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    if (Event->type() == QEvent::KeyPress && IsContextMenuKey(static_cast<QKeyEvent*>(Event))) {
        // As the window system asks for a menu from the keyboard: the control's popup
        // menu, else the widget's own (an edit's).
        QWidget* widget = Widget();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, widget->rect().center(),
                                  widget->mapToGlobal(widget->rect().center()));
        QApplication::sendEvent(widget, &request);
        return Accepted(Event);
    }
    if (Event->type() == QEvent::KeyPress || Event->type() == QEvent::KeyRelease)
        return HandleKeyEvent(Event, Default);
    return TControl::WidgetEvent(Event, Default);
}

bool TWinControl::HandleKeyEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    auto* keyEvent = static_cast<QKeyEvent*>(Event);
    if (!Widget()->isEnabled())
        return Default(Event);
    QPointer<TWinControl> guard(this);
    auto gone = [&] { return !guard || IsDestroying(); };
    const TShiftState shift = ShiftStateFromQt(keyEvent->modifiers(), Qt::NoButton);
    const quint16 originalKey = QtKeyToVirtualKey(keyEvent->key(), keyEvent->modifiers());
    quint16 key = originalKey;
    if (Event->type() == QEvent::KeyRelease) {
        if ((key && DoKeyUp(key, shift)) || gone())
            return Accepted(Event);
        Default(Event);
        return Accepted(Event);
    }
    if (key) {
        if (IsMenuKey(key, shift) || gone())
            return Accepted(Event);
        if (DoKeyDown(key, shift) || gone())
            return Accepted(Event);
        // Return and Escape go to the form's default and cancel buttons, Ctrl+Tab to the
        // page control around the focus.
        if ((key == VK_RETURN || key == VK_ESCAPE || (key == VK_TAB && shift.Contains(ssCtrl))) &&
            !WantKey(key))
            if (TForm* form = GetParentForm(this);
                form && static_cast<TWinControl*>(form)->DialogKey(key, shift))
                return Accepted(Event);
        if (gone())
            return Accepted(Event);
    }
    QString text = keyEvent->text();
    const bool navigation = key == VK_TAB && !WantKey(VK_TAB);
    if (!text.isEmpty() && !navigation && text[0] != QChar(0x7F)) {
        QChar ch = text[0];
        if (DoKeyPress(ch) || gone())
            return Accepted(Event);
        text[0] = ch;
    }
    if (key == originalKey && text == keyEvent->text()) {
        Default(Event);
        return Accepted(Event);
    }
    bool keypad = false;
    const int qtKey = key == originalKey ? keyEvent->key() : VirtualKeyToQtKey(key, keypad);
    QKeyEvent replaced(keyEvent->type(), qtKey,
                       keypad ? keyEvent->modifiers() | Qt::KeypadModifier : keyEvent->modifiers(),
                       text, keyEvent->isAutoRepeat(), quint16(keyEvent->count()));
    Default(&replaced);
    return Accepted(Event);
}

namespace {

Qt::KeyboardModifiers ModifiersOf(TShiftState Shift) {
    Qt::KeyboardModifiers modifiers;
    if (Shift.Contains(ssShift))
        modifiers |= Qt::ShiftModifier;
    if (Shift.Contains(ssCtrl))
        modifiers |= Qt::ControlModifier;
    if (Shift.Contains(ssAlt))
        modifiers |= Qt::AltModifier;
    return modifiers;
}

} // namespace

void TWinControl::PostKeyDown(quint16 Key, TShiftState Shift) {
    PostToWindow([this, Key, Shift] {
        bool keypad = false;
        const int qtKey = VirtualKeyToQtKey(Key, keypad);
        QKeyEvent press(QEvent::KeyPress, qtKey,
                        ModifiersOf(Shift) | (keypad ? Qt::KeypadModifier : Qt::NoModifier));
        QCoreApplication::sendEvent(Widget(), &press);
    });
}

void TWinControl::PostKeyPress(QChar Key) {
    PostToWindow([this, Key] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(Key));
        QCoreApplication::sendEvent(Widget(), &press);
    });
}

bool TWinControl::DoKeyDown(quint16& Key, TShiftState Shift) {
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        static_cast<TWinControl*>(form)->KeyDown(Key, Shift);
        if (!Key)
            return true;
    }
    KeyDown(Key, Shift);
    return Key == 0;
}

bool TWinControl::DoKeyUp(quint16& Key, TShiftState Shift) {
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        static_cast<TWinControl*>(form)->KeyUp(Key, Shift);
        if (!Key)
            return true;
    }
    KeyUp(Key, Shift);
    return Key == 0;
}

bool TWinControl::DoKeyPress(QChar& Key) {
    TForm* form = GetParentForm(this);
    if (form && form != this && form->KeyPreview()) {
        static_cast<TWinControl*>(form)->KeyPress(Key);
        if (Key.isNull())
            return true;
    }
    KeyPress(Key);
    return Key.isNull();
}

void TWinControl::KeyDown(quint16& Key, TShiftState Shift) {
    FOnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(quint16& Key, TShiftState Shift) {
    FOnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(QChar& Key) {
    FOnKeyPress(this, Key);
}

void TWinControl::DoEnter() {
    FOnEnter(this);
}

void TWinControl::DoExit() {
    FOnExit(this);
}

bool TWinControl::WantKey(quint16) const {
    return false;
}

bool TWinControl::DialogKey(quint16 Key, TShiftState Shift) {
    for (TControl* child : std::as_const(FControls))
        if (child->Visible() && child->Enabled() && child->DialogKey(Key, Shift))
            return true;
    return false;
}

// Popup menus

void TControl::SetPopupMenu(TPopupMenu* Value) {
    ReplaceReference(this, FPopupMenu, Value);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenu)
        FPopupMenu = nullptr;
}

bool TControl::DoContextPopup(const QPoint& ScreenPos) {
    for (TControl* c = this; c; c = c->Parent()) {
        TPopupMenu* menu = c->FPopupMenu;
        if (!menu)
            continue;
        if (!menu->AutoPopup())
            return false;
        menu->SetPopupComponent(c);
        menu->Popup(ScreenPos.x(), ScreenPos.y());
        return true;
    }
    return false;
}

bool TControl::HandleContextMenu(QContextMenuEvent* Event) {
    // One menu at a time: the window system may ask again for a key already answered.
    if (QApplication::activePopupWidget())
        return true;
    // A right click opens the menu as the button is released (MouseUp); the window
    // system's request counts only when it comes from the keyboard.
    if (Event->reason() == QContextMenuEvent::Keyboard)
        return DoContextPopup(Event->globalPos());
    for (const TControl* c = this; c; c = c->Parent())
        if (c->FPopupMenu)
            return true;
    return false;
}

bool TWinControl::IsMenuKey(quint16 Key, TShiftState Shift) {
    const TShortCut shortCut = ShortCut(Key, Shift);
    if (shortCut == scNone)
        return false;
    for (TControl* c = this; c; c = c->Parent())
        if (TPopupMenu* menu = c->FPopupMenu; menu && menu->Items()->FindShortCut(shortCut)) {
            menu->SetPopupComponent(c);
            if (menu->IsShortCut(shortCut))
                return true;
        }
    TForm* form = GetParentForm(this);
    return form && form->IsShortCut(shortCut);
}

// Drawing

TControlCanvas::TControlCanvas(TControl* Control) : TCanvas(nullptr, Control), FControl(Control) {}

bool TControlCanvas::Painting(const std::function<bool()>& Paint) {
    Font()->Assign(FControl->Font());
    Brush()->SetColor(FControl->Color());
    SetDevice(FControl->Widget());
    FPainting = true;
    const auto paintEnd = qScopeGuard([this] {
        FPainting = false;
        ReleaseHandle();
    });
    return Paint();
}

void TControlCanvas::CreateHandle() {
    if (!FPainting)
        throw EInvalidGraphicOperation(
            QStringLiteral("%1 can be drawn on only while it paints").arg(FControl->Name()));
    TCanvas::CreateHandle();
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(new TControlCanvas(this)) {}

bool TGraphicControl::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    if (Event->type() != QEvent::Paint)
        return TControl::WidgetEvent(Event, Default);
    return FCanvas->Painting([&] { return TControl::WidgetEvent(Event, Default); });
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(new TControlCanvas(this)) {}

bool TCustomControl::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    if (Event->type() != QEvent::Paint)
        return TWinControl::WidgetEvent(Event, Default);
    return FCanvas->Painting([&] { return TWinControl::WidgetEvent(Event, Default); });
}
