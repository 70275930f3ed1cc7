#include "Forms.h"

#include "Application.h"
#include "Dialogs.h"
#include "FormFile.h"
#include "Screen.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <rtl/ClassRegistry.h>
#include <rtl/GlobalRoots.h>
#include <rtl/Reference.h>

namespace {

// The area to centre Form in: the form Position names when it is visible, else the screen.
QRect CentringArea(TForm* Form, TPosition Position) {
    TForm* over = nullptr;
    if (Position == poOwnerFormCenter)
        over = qobject_cast<TForm*>(Form->Owner());
    if (!over && (Position == poMainFormCenter || Position == poOwnerFormCenter))
        over = Application()->MainForm();
    if (over && over != Form && over->Visible())
        return over->BoundsRect();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

TForm* GetParentForm(const TControl* Control) {
    const TControl* top = Control;
    while (top && top->Parent())
        top = top->Parent();
    return qobject_cast<TForm*>(const_cast<TControl*>(top));
}

TForm::TForm(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle({csAcceptsControls, csClickEvents});
    TWinControl::SetVisible(false);
    SetParentFont(false);
    SetColor(clBtnFace);
    SetBounds(0, 0, 320, 240);
    if (IsCreatingPrototype())
        return;
    GlobalRoots::Add(this);
    Screen()->AddForm(this);
}

TForm::~TForm() {
    Destroying();
    if (FModalLoop)
        FModalLoop->quit();
    Screen()->RemoveForm(this);
    HandleExceptions([this] { FOnDestroy(this); });
}

void TForm::InitForm() {
    if (IsCreatingPrototype())
        return;
    InitInheritedComponent(this, &TForm::staticMetaObject);
    HandleExceptions([this] { FOnCreate(this); });
    if (Visible()) {
        DoShow();
        ApplyVisible();
    }
}

QWidget* TForm::CreateWidget() {
    auto* window = new TControlWidget<QWidget>(this);
    FClientArea = new QWidget(window);
    return window;
}

QWidget* TForm::ClientWidget() {
    Widget();
    return FClientArea;
}

void TForm::InitWidget() {
    ApplyWindowFlags();
    TWinControl::InitWidget();
    Widget()->setWindowTitle(Caption());
    ApplyWindowState();
    ApplyMenu();
}

void TForm::TextChanged() {
    if (HandleAllocated())
        Widget()->setWindowTitle(Caption());
}

bool TForm::Sizeable() const {
    return FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin;
}

void TForm::ApplyWindowFlags() {
    if (!HandleAllocated())
        return;
    Qt::WindowFlags flags = Qt::Window;
    if (FBorderStyle == bsDialog)
        flags = Qt::Dialog;
    else if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        flags = Qt::Tool;
    if (FBorderStyle == bsNone) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biSystemMenu))
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons.Contains(biMinimize) && FBorderStyle != bsDialog)
            flags |= Qt::WindowMinimizeButtonHint;
        if (FBorderIcons.Contains(biMaximize) && FBorderStyle != bsDialog)
            flags |= Qt::WindowMaximizeButtonHint;
        if (FBorderIcons.Contains(biHelp))
            flags |= Qt::WindowContextHelpButtonHint;
    }
    if (FFormStyle == fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    QWidget* window = Widget();
    const bool shown = window->isVisible();
    window->setWindowFlags(flags);
    ApplyBounds();
    if (shown)
        window->show();
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
    FBorderStyle = Value;
    ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons Value) {
    FBorderIcons = Value;
    ApplyWindowFlags();
}

void TForm::SetFormStyle(TFormStyle Value) {
    FFormStyle = Value;
    ApplyWindowFlags();
}

void TForm::SetWindowState(TWindowState Value) {
    FWindowState = Value;
    ApplyWindowState();
}

void TForm::ApplyWindowState() {
    if (!HandleAllocated())
        return;
    const Qt::WindowStates state = FWindowState == wsMinimized   ? Qt::WindowMinimized
                                   : FWindowState == wsMaximized ? Qt::WindowMaximized
                                                                 : Qt::WindowNoState;
    Widget()->setWindowState(state);
}

void TForm::ApplyBounds() {
    if (!HandleAllocated())
        return;
    QWidget* window = Widget();
    window->move(Left(), Top());
    // The menu bar lies above the client area, outside it.
    const QSize size(ClientWidth(), ClientHeight() + MenuHeight());
    if (Sizeable()) {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        window->resize(size);
    } else {
        window->setFixedSize(size);
    }
    PlaceClientArea();
}

int TForm::MenuHeight() const {
    return FMenuBar ? FMenuBar->height() : 0;
}

void TForm::PlaceClientArea() {
    if (!FClientArea)
        return;
    if (FMenuBar)
        FMenuBar->setGeometry(0, 0, ClientWidth(), FMenuBar->height());
    FClientArea->setGeometry(0, MenuHeight(), ClientWidth(), ClientHeight());
}

void TForm::ApplyPosition() {
    FPositioned = true;
    if (FPosition != poScreenCenter && FPosition != poDesktopCenter &&
        FPosition != poMainFormCenter && FPosition != poOwnerFormCenter)
        return;
    const QRect area = CentringArea(this, FPosition);
    SetBounds(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2,
              Width(), Height());
}

void TForm::SetVisible(bool Value) {
    if (Value == Visible())
        return;
    if (!IsLoading()) {
        if (Value)
            DoShow();
        else
            DoHide();
    }
    TWinControl::SetVisible(Value);
    if (!Value && !IsLoading())
        Screen()->FormHidden(this);
}

void TForm::ApplyVisible() {
    if (IsLoading())
        return;
    if (Visible()) {
        QWidget* window = Widget();
        if (!FPositioned)
            ApplyPosition();
        window->show();
    } else if (HandleAllocated()) {
        Widget()->hide();
    }
}

void TForm::Show() {
    // A window being shown comes to the front by itself.
    if (Visible())
        BringToFront();
    else
        SetVisible(true);
}

void TForm::DoShow() {
    FOnShow(this);
}

void TForm::DoHide() {
    FOnHide(this);
}

void TForm::DoClose(TCloseAction& Action) {
    FOnClose(this, Action);
}

void TForm::Paint() {
    FOnPaint(this);
}

void TForm::SetActiveControl(TWinControl* Control) {
    if (Control == FActiveControl)
        return;
    if (Control && (Control == this || GetParentForm(Control) != this ||
                    (!IsLoading() && !Control->CanFocus())))
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    FActiveControl = Control;
    if (Control && FActive)
        Control->Widget()->setFocus(Qt::OtherFocusReason);
}

void TForm::FocusControl(TWinControl* Control) {
    SetActiveControl(Control);
    if (Control && FActive && !Control->Focused())
        Control->Widget()->setFocus(Qt::OtherFocusReason);
    if (!FActive && Visible())
        Widget()->activateWindow();
}

void TForm::DefocusControl(TControl* Control) {
    auto inside = [Control](const TControl* c) {
        for (; c; c = c->Parent())
            if (c == Control)
                return true;
        return false;
    };
    if (inside(FActiveControl))
        FActiveControl = nullptr;
    if (inside(FFocusedControl))
        FFocusedControl = nullptr;
}

void TForm::SetFocus() {
    if (!Visible() || !Enabled())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    Widget()->activateWindow();
}

void TForm::SetFocusedControl(TWinControl* Control) {
    // The focused control shows its focus mark however the focus came to it.
    Widget()->setAttribute(Qt::WA_KeyboardFocusChange);
    FActiveControl = Control;
    if (Control == FFocusedControl)
        return;
    QPointer<TWinControl> previous = FFocusedControl;
    FFocusedControl = Control;
    if (previous)
        HandleExceptions([&] { previous->DoExit(); });
    QPointer<TWinControl> entered = Control;
    if (entered && !entered->IsDestroying())
        HandleExceptions([&] { entered->DoEnter(); });
}

void TForm::Activate() {
    FActive = true;
    FOnActivate(this);
    TWinControl* target = FActiveControl && FActiveControl->CanFocus()
                              ? FActiveControl
                              : FindNextControl(nullptr, true, true, false);
    if (target)
        target->Widget()->setFocus(Qt::ActiveWindowFocusReason);
}

void TForm::Deactivate() {
    FActive = false;
    FOnDeactivate(this);
}

bool TForm::CloseQuery() {
    bool canClose = true;
    FOnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close() {
    if (FModal) {
        SetModalResult(mrCancel);
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application()->MainForm() == this)
        Application()->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TForm::Release() {
    PostToWindow([this] { delete this; });
}

void TForm::SetModalResult(int Value) {
    FModalResult = Value;
    if (FModalLoop && Value != mrNone)
        FModalLoop->quit();
}

int TForm::ShowModal() {
    if (Visible() || !Enabled() || FModal)
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    FModalResult = mrNone;
    FModal = true;
    Widget()->setWindowModality(Qt::ApplicationModal);
    try {
        Show();
        do {
            if (TModalResponder* responder = ModalResponder())
                FModalResult = responder->ShowModal(this);
            else if (!WaitForModalResult())
                return mrCancel;
            if (FModalResult != mrNone)
                CloseModal();
        } while (FModalResult == mrNone);
    } catch (...) {
        EndModal();
        throw;
    }
    EndModal();
    return FModalResult;
}

bool TForm::WaitForModalResult() {
    QPointer<TForm> guard(this);
    QEventLoop loop;
    FModalLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    if (!guard)
        return false;
    FModalLoop = nullptr;
    // The loop also ends when the application terminates.
    if (FModalResult == mrNone)
        FModalResult = mrCancel;
    return true;
}

void TForm::CloseModal() {
    TCloseAction action = caNone;
    const bool handled = HandleExceptions([&] {
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
    });
    if (!handled || action == caNone)
        FModalResult = mrNone;
    else if (action == caFree)
        Release();
}

void TForm::EndModal() {
    FModal = false;
    Hide();
    Widget()->setWindowModality(Qt::NonModal);
}

bool TForm::WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) {
    switch (Event->type()) {
    case QEvent::Close:
        // The window system asks; the form decides.
        Event->ignore();
        Close();
        return true;
    case QEvent::WindowActivate: {
        const bool result = Default(Event);
        Screen()->UpdateActiveForm();
        return result;
    }
    case QEvent::WindowStateChange: {
        const bool result = Default(Event);
        const Qt::WindowStates state = Widget()->windowState();
        FWindowState = state & Qt::WindowMinimized   ? wsMinimized
                       : state & Qt::WindowMaximized ? wsMaximized
                                                     : wsNormal;
        return result;
    }
    case QEvent::Move:
    case QEvent::Resize: {
        const bool result = Default(Event);
        if (Widget()->isVisible())
            UpdateBounds(QRect(Widget()->pos(), Widget()->size() - QSize(0, MenuHeight())));
        return result;
    }
    default:
        return TCustomControl::WidgetEvent(Event, Default);
    }
}

void TForm::SetMenu(TMainMenu* Value) {
    if (ReplaceReference(this, FMenu, Value))
        ApplyMenu();
}

void TForm::ApplyMenu() {
    if (!HandleAllocated())
        return;
    delete FMenuBar;
    FMenuBar = nullptr;
    if (FMenu && !FMenu->IsDestroying()) {
        FMenuBar = new QMenuBar(Widget());
        FMenu->AttachBar(FMenuBar);
        FMenuBar->setGeometry(0, 0, ClientWidth(), FMenuBar->sizeHint().height());
        FMenuBar->show();
    }
    ApplyBounds();
}

void TForm::Resize() {
    PlaceClientArea();
    TWinControl::Resize();
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMenu) {
        FMenu = nullptr;
        if (!IsDestroying())
            ApplyMenu();
    }
}

bool TForm::IsShortCut(TShortCut Value) {
    return FMenu && FMenu->IsShortCut(Value);
}

void TForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    TComponent::GetChildren(Proc, Root);
    TWinControl::GetChildren(Proc, Root);
}

bool TForm::IsStoredProp(const QString& Name) const {
    // A form keeps the size of its client area.
    if (Name == QLatin1String("Width") || Name == QLatin1String("Height"))
        return false;
    if (Name == QLatin1String("ClientWidth") || Name == QLatin1String("ClientHeight"))
        return true;
    return TWinControl::IsStoredProp(Name);
}
