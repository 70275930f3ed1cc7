#pragma once

#include "ControlWidget.h"
#include "Graphics.h"
#include "Menus.h"

#include <QList>
#include <QRect>
#include <functional>
#include <rtl/Color.h>
#include <rtl/Component.h>
#include <rtl/Exceptions.h>
#include <rtl/Font.h>
#include <rtl/Keys.h>

class QContextMenuEvent;
class QEvent;
class QWidget;
class TWinControl;

// How a control is placed inside its parent: docked to a side or filling what is left.
PUBLISHED_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient)
PUBLISHED_ENUM(TMouseButton, mbLeft, mbRight, mbMiddle)
PUBLISHED_ENUM(TCursor, crDefault, crNone, crArrow, crCross, crIBeam, crSize, crSizeNESW, crSizeNS,
               crSizeNWSE, crSizeWE, crUpArrow, crHourGlass, crDrag, crNoDrop, crHSplit, crVSplit,
               crMultiDrag, crSQLWait, crNo, crAppStart, crHelp, crHandPoint, crSizeAll)

// What a control does by itself: hold child controls, turn a mouse press and release into
// a click.
enum TControlStyleItem { csAcceptsControls, csClickEvents };
using TControlStyle = TSet<TControlStyleItem>;

// The result of a modal form or message box: which button closed it.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
// Key is a virtual-key code; a handler that sets it to 0 consumes the key.
using TKeyEvent = TEvent<TObject*, quint16&, TShiftState>;
// A handler that sets Key to a null character consumes it.
using TKeyPressEvent = TEvent<TObject*, QChar&>;

// Dragging a control with the mouse onto another control of the program.
PUBLISHED_ENUM(TDragMode, dmManual, dmAutomatic)
PUBLISHED_ENUM(TDragState, dsDragEnter, dsDragLeave, dsDragMove)
// Sender is the control under the mouse, Source the one dragged, X and Y are in Sender's
// client coordinates. Accept comes in true; a handler that sets it to false refuses the drop.
using TDragOverEvent = TEvent<TObject*, TObject*, int, int, TDragState, bool&>;
using TDragDropEvent = TEvent<TObject*, TObject*, int, int>;
// Target is the control that took the drop; nullptr when the drag was cancelled or refused.
using TEndDragEvent = TEvent<TObject*, TObject*, int, int>;

class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

Qt::CursorShape CursorToQt(TCursor Cursor);

// A visual component. It owns a Qt widget, made by CreateWidget when first needed, and
// keeps the authoritative state itself: properties set before the widget exists are
// applied when it is made. The widget forwards mouse events and painting to the virtual
// methods below. Geometry is relative to the parent's client area.
class TControl : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE SetClientHeight)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(TCursor Cursor READ Cursor WRITE SetCursor)
    Q_PROPERTY(TNotifyEvent OnClick READ OnClick WRITE SetOnClick)
    Q_PROPERTY(TNotifyEvent OnDblClick READ OnDblClick WRITE SetOnDblClick)
    Q_PROPERTY(TMouseEvent OnMouseDown READ OnMouseDown WRITE SetOnMouseDown)
    Q_PROPERTY(TMouseEvent OnMouseUp READ OnMouseUp WRITE SetOnMouseUp)
    Q_PROPERTY(TMouseMoveEvent OnMouseMove READ OnMouseMove WRITE SetOnMouseMove)
    Q_PROPERTY(TNotifyEvent OnResize READ OnResize WRITE SetOnResize)
    Q_PROPERTY(TPopupMenu* PopupMenu READ PopupMenu WRITE SetPopupMenu)
    Q_PROPERTY(TDragMode DragMode READ DragMode WRITE SetDragMode)
    Q_PROPERTY(TCursor DragCursor READ DragCursor WRITE SetDragCursor)
    Q_PROPERTY(TDragOverEvent OnDragOver READ OnDragOver WRITE SetOnDragOver)
    Q_PROPERTY(TDragDropEvent OnDragDrop READ OnDragDrop WRITE SetOnDragDrop)
    Q_PROPERTY(TNotifyEvent OnStartDrag READ OnStartDrag WRITE SetOnStartDrag)
    Q_PROPERTY(TEndDragEvent OnEndDrag READ OnEndDrag WRITE SetOnEndDrag)
public:
    Q_INVOKABLE explicit TControl(TComponent* AOwner = nullptr);
    ~TControl() override;

    // The widget, made on first use.
    QWidget* Widget();
    bool HandleAllocated() const { return FWidget != nullptr; }

    TWinControl* Parent() const { return FParent; }
    void SetParent(TWinControl* AParent);

    int Left() const { return FLeft; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    int Top() const { return FTop; }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    QRect BoundsRect() const { return QRect(FLeft, FTop, FWidth, FHeight); }
    // The area inside the control's borders, at (0, 0).
    virtual QRect ClientRect() const;
    int ClientWidth() const { return ClientRect().width(); }
    void SetClientWidth(int Value) { SetWidth(FWidth - ClientWidth() + Value); }
    int ClientHeight() const { return ClientRect().height(); }
    void SetClientHeight(int Value) { SetHeight(FHeight - ClientHeight() + Value); }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);

    TFont* Font() const { return FFont; }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    // The text a control shows; descendants publish it as Caption or Text.
    virtual QString Text() const { return FText; }
    virtual void SetText(const QString& Value);
    QString Caption() const { return Text(); }
    void SetCaption(const QString& Value) { SetText(Value); }

    TControlStyle ControlStyle() const { return FControlStyle; }

    void Invalidate();
    void Repaint();
    void BringToFront();
    void SendToBack();

    // Runs Call on the event loop after the current event, unless the control is
    // destroyed first. Exceptions it raises are shown.
    void PostToWindow(std::function<void()> Call);

    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
    const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(const TNotifyEvent& Value) { FOnDblClick = Value; }
    const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
    void SetOnMouseDown(const TMouseEvent& Value) { FOnMouseDown = Value; }
    const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
    void SetOnMouseUp(const TMouseEvent& Value) { FOnMouseUp = Value; }
    const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
    void SetOnMouseMove(const TMouseMoveEvent& Value) { FOnMouseMove = Value; }
    const TNotifyEvent& OnResize() const { return FOnResize; }
    void SetOnResize(const TNotifyEvent& Value) { FOnResize = Value; }

    // Dragging -------------------------------------------------------------------------
    // With DragMode dmAutomatic, pressing the left button on the control begins a drag.
    // A drag follows the mouse at once when Immediate, else once the mouse has moved
    // Threshold pixels with the button down (the system's distance when negative); a
    // drag released before it began is abandoned without events. See DragDrop.h.
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    // The cursor shown while the control is dragged over one that accepts it.
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    void BeginDrag(bool Immediate, int Threshold = -1);
    // Drops on the control under the mouse when Drop and it accepts; else cancels.
    void EndDrag(bool Drop);
    // From BeginDrag until the drag ends or is abandoned.
    bool Dragging() const;
    QPoint ScreenToClient(const QPoint& Global);
    QPoint ClientToScreen(const QPoint& Client);

    const TDragOverEvent& OnDragOver() const { return FOnDragOver; }
    void SetOnDragOver(const TDragOverEvent& Value) { FOnDragOver = Value; }
    const TDragDropEvent& OnDragDrop() const { return FOnDragDrop; }
    void SetOnDragDrop(const TDragDropEvent& Value) { FOnDragDrop = Value; }
    const TNotifyEvent& OnStartDrag() const { return FOnStartDrag; }
    void SetOnStartDrag(const TNotifyEvent& Value) { FOnStartDrag = Value; }
    const TEndDragEvent& OnEndDrag() const { return FOnEndDrag; }
    void SetOnEndDrag(const TEndDragEvent& Value) { FOnEndDrag = Value; }
    // ----------------------------------------------------------------------------------

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    bool IsStoredProp(const QString& Name) const override;

    // Popup menu: opened by a right click or the context-menu key over the control or a
    // child without a menu of its own (with the control as PopupComponent); its shortcuts
    // work while the focus is in the control.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);

protected:
    // Opens the popup menu of the control or its nearest parent with one, when AutoPopup,
    // at ScreenPos; false when there is none.
    virtual bool DoContextPopup(const QPoint& ScreenPos);
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // The widget of this class, without parent; the control applies its state to it.
    virtual QWidget* CreateWidget();
    // Applies the whole state to the new widget; descendants add what is their own.
    virtual void InitWidget();
    // Every event of the widget; Default runs the widget's own handling.
    virtual bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default);

    virtual void Paint() {}
    // Enabled changed.
    virtual void EnabledChanged() {}
    // The control went into another parent, or out of its parent (Parent() nullptr).
    virtual void ParentChanged() {}
    // A press of a mouse button (a double click has ssDouble) before the widget handles it;
    // true takes the press, so neither the widget nor MouseDown sees it.
    virtual bool TakeMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void Resize();
    // Return or Escape reached the form unhandled; true when this control acted on it.
    virtual bool DialogKey(quint16 Key, TShiftState Shift);

    virtual void TextChanged() {}
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void ShowHintChanged();
    // Takes the font, colour and hint setting from the parent where told to.
    void SyncWithParent();
    // Marks the control as being destroyed; destructors call it first.
    void Destroying();
    // The widget when it exists; nullptr before.
    QWidget* AllocatedWidget() const { return FWidget; }
    // Sets the text without TextChanged, for a widget that changed it itself.
    void StoreText(const QString& Value) { FText = Value; }
    // Takes the geometry a window was given by the window system.
    void UpdateBounds(const QRect& Bounds);

    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    virtual void ApplyBounds();
    virtual void ApplyVisible();

    // Dragging -------------------------------------------------------------------------
    // The widget whose coordinates are the client coordinates (of the mouse and of the
    // child controls) and that holds the widgets of the child controls.
    virtual QWidget* ClientWidget() { return Widget(); }
    virtual void DoStartDrag();
    // Accept comes in as whether OnDragOver is assigned.
    virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, int X, int Y);
    virtual void DoEndDrag(TObject* Target, int X, int Y);
    // The cursor shown while dragged over an accepting control: DragCursor.
    virtual TCursor DraggingCursor() const { return FDragCursor; }
    // ----------------------------------------------------------------------------------

private:
    friend class TWidgetLink;
    friend class TWinControl;
    friend class TDragTracker;

    void FontChangeNotified(TObject* Sender);
    void WidgetDestroyed() { FWidget = nullptr; }
    QWidget* ParentWidget() const;
    void ApplyFont();
    void ApplyColor();
    void ApplyHint();
    void ApplyCursor();
    void RequestAlign();
    bool HandleMouseEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default);
    // True when the event was used, or held back for a popup menu of the control.
    bool HandleContextMenu(QContextMenuEvent* Event);

    QWidget* FWidget = nullptr;
    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    TFont* FFont;
    bool FParentFont = true;
    TColor FColor = clWindow;
    bool FParentColor = true;
    QString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    QString FText;
    TControlStyle FControlStyle{csClickEvents};
    bool FSyncingWithParent = false;
    bool FMousePressed = false;
    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TMouseEvent FOnMouseDown;
    TMouseEvent FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnResize;
    TPopupMenu* FPopupMenu = nullptr;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    TDragOverEvent FOnDragOver;
    TDragDropEvent FOnDragDrop;
    TNotifyEvent FOnStartDrag;
    TEndDragEvent FOnEndDrag;
};

// A control that can hold child controls and take the keyboard focus. Children are laid
// out by their Align (top, bottom, left, right, then client, each in the order of their
// position) and destroyed with their parent. Key events reach KeyDown, KeyPress and
// KeyUp, after the form's when the form has KeyPreview; Tab moves the focus in TabOrder.
class TWinControl : public TControl {
    Q_OBJECT
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(TNotifyEvent OnEnter READ OnEnter WRITE SetOnEnter)
    Q_PROPERTY(TNotifyEvent OnExit READ OnExit WRITE SetOnExit)
    Q_PROPERTY(TKeyEvent OnKeyDown READ OnKeyDown WRITE SetOnKeyDown)
    Q_PROPERTY(TKeyEvent OnKeyUp READ OnKeyUp WRITE SetOnKeyUp)
    Q_PROPERTY(TKeyPressEvent OnKeyPress READ OnKeyPress WRITE SetOnKeyPress)
public:
    Q_INVOKABLE explicit TWinControl(TComponent* AOwner = nullptr);
    ~TWinControl() override;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int Index) const;
    bool ContainsControl(const TControl* Control) const;

    // The position among the parent's children in the focus order; -1 without parent.
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // Whether Tab stops at the control now: TabStop, narrowed by descendants that share
    // one stop (a group of radio buttons).
    virtual bool IsTabStop() const { return FTabStop; }

    bool Focused() const;
    // Visible and enabled, as are all its parents up to a form.
    bool CanFocus() const;
    // Raises EInvalidOperation when the control cannot take the focus.
    virtual void SetFocus();

    // The descendants in focus order: each child followed by its own descendants.
    void GetTabOrderList(QList<TWinControl*>& List) const;
    // The control after (or before) CurControl in focus order among the descendants,
    // wrapping around; only tab stops when CheckTabStop, only children when CheckParent.
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                 bool CheckParent) const;
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    // Queue a key for the control, as typed: from the event loop a key-down of Key (a
    // virtual key) with Shift, or the character Key, goes through the control's own key
    // handling (shortcuts, KeyDown or KeyPress, dialog keys, then the widget, which moves
    // the focus on Tab). Dropped when the control goes first.
    void PostKeyDown(quint16 Key, TShiftState Shift = {});
    void PostKeyPress(QChar Key);

    void DisableAlign();
    void EnableAlign();
    void Realign();
    // Nested: while any lock is held the control and its children are not painted; the
    // last unlock repaints them.
    void LockUpdates();
    void UnlockUpdates();
    bool UpdatesLocked() const { return FUpdateLocks > 0; }

    const TNotifyEvent& OnEnter() const { return FOnEnter; }
    void SetOnEnter(const TNotifyEvent& Value) { FOnEnter = Value; }
    const TNotifyEvent& OnExit() const { return FOnExit; }
    void SetOnExit(const TNotifyEvent& Value) { FOnExit = Value; }
    const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
    void SetOnKeyDown(const TKeyEvent& Value) { FOnKeyDown = Value; }
    const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
    void SetOnKeyUp(const TKeyEvent& Value) { FOnKeyUp = Value; }
    const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(const TKeyPressEvent& Value) { FOnKeyPress = Value; }

    // Child controls whose owner is Root, so form files nest controls in their parents.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void Loaded() override;

protected:
    void InitWidget() override;
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;
    void Resize() override;

    virtual void KeyDown(quint16& Key, TShiftState Shift);
    virtual void KeyUp(quint16& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void DoEnter();
    virtual void DoExit();
    // Keys the control handles itself instead of the form (Return in a memo).
    virtual bool WantKey(quint16 Key) const;
    // Offers Key to every child control.
    bool DialogKey(quint16 Key, TShiftState Shift) override;
    // The area children are aligned in: the client area less borders.
    virtual void AdjustClientRect(QRect& Rect) const;
    virtual void AlignControls();
    // The focus policy the widget gets when the control is a tab stop.
    virtual Qt::FocusPolicy FocusPolicy() const;

    void FontChanged() override;
    void ColorChanged() override;
    void ShowHintChanged() override;

private:
    friend class TControl;
    friend class TForm;
    friend class TWidgetLink;

    void InsertControl(TControl* Control);
    void RemoveControl(TControl* Control);
    void NotifyChildren();
    void FixupTabList();
    void ApplyFocusPolicy();
    bool HandleKeyEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default);
    // With the form's preview first; true when the key was consumed.
    bool DoKeyDown(quint16& Key, TShiftState Shift);
    bool DoKeyUp(quint16& Key, TShiftState Shift);
    bool DoKeyPress(QChar& Key);
    bool MoveFocusByTab(bool Next);
    // Runs the menu item with this key's shortcut: the popup menus of the control and its
    // parents first, then the form's menu.
    bool IsMenuKey(quint16 Key, TShiftState Shift);

    QList<TControl*> FControls;
    QList<TWinControl*> FTabList;
    int FLoadedTabOrder = -1;
    bool FTabStop = false;
    int FAlignLevel = 0;
    int FUpdateLocks = 0;
    bool FAligning = false;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
    TKeyEvent FOnKeyDown;
    TKeyEvent FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
};

// Drawing on a control: the canvas draws on the control's widget only while the control
// paints; at the start of each painting it takes the control's font and colour. It
// measures text at any time.
class TControlCanvas : public TCanvas {
    Q_OBJECT
public:
    explicit TControlCanvas(TControl* Control);

    // Runs Paint with the canvas open for drawing on the control.
    bool Painting(const std::function<bool()>& Paint);

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    bool FPainting = false;
};

// A control without children that draws itself: Paint draws through Canvas.
class TGraphicControl : public TControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TGraphicControl(TComponent* AOwner = nullptr);

    TCanvas* Canvas() const { return FCanvas; }

protected:
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;

private:
    TControlCanvas* FCanvas;
};

// A control with children that draws itself: Paint draws through Canvas.
class TCustomControl : public TWinControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCustomControl(TComponent* AOwner = nullptr);

    TCanvas* Canvas() const { return FCanvas; }

protected:
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;

private:
    TControlCanvas* FCanvas;
};
