#pragma once

#include "Controls.h"

class QEventLoop;
class QMenuBar;

PUBLISHED_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly,
               poScreenCenter, poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
PUBLISHED_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow,
               bsSizeToolWin)
PUBLISHED_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
using TBorderIcons = TSet<TBorderIcon>;
PUBLISHED_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop)
PUBLISHED_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)
PUBLISHED_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize)

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

// A top-level window. A form class with a form file names it with
// Q_CLASSINFO("FormFile", ":/forms/Name.form") and ends its constructor with InitForm(),
// which reads the files of the class and of its ancestors and then fires OnCreate. A form
// class that others derive from with files of their own offers them a constructor that
// does not call InitForm.
//
// Width and Height of a form are those of its client area. Screen (Screen.h) follows the
// window system's activation: OnActivate and OnDeactivate fire as forms become active,
// OnEnter and OnExit of the controls as the focus moves. ShowModal goes through the modal
// responder (Dialogs.h) when one is installed.
class TForm : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(TBorderIcons BorderIcons READ BorderIcons WRITE SetBorderIcons)
    Q_PROPERTY(TFormStyle FormStyle READ FormStyle WRITE SetFormStyle)
    Q_PROPERTY(TWindowState WindowState READ WindowState WRITE SetWindowState)
    Q_PROPERTY(bool KeyPreview READ KeyPreview WRITE SetKeyPreview)
    Q_PROPERTY(TWinControl* ActiveControl READ ActiveControl WRITE SetActiveControl)
    Q_PROPERTY(TMainMenu* Menu READ Menu WRITE SetMenu)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult STORED false)
    Q_PROPERTY(TNotifyEvent OnCreate READ OnCreate WRITE SetOnCreate)
    Q_PROPERTY(TNotifyEvent OnDestroy READ OnDestroy WRITE SetOnDestroy)
    Q_PROPERTY(TNotifyEvent OnShow READ OnShow WRITE SetOnShow)
    Q_PROPERTY(TNotifyEvent OnHide READ OnHide WRITE SetOnHide)
    Q_PROPERTY(TNotifyEvent OnActivate READ OnActivate WRITE SetOnActivate)
    Q_PROPERTY(TNotifyEvent OnDeactivate READ OnDeactivate WRITE SetOnDeactivate)
    Q_PROPERTY(TNotifyEvent OnPaint READ OnPaint WRITE SetOnPaint)
    Q_PROPERTY(TCloseEvent OnClose READ OnClose WRITE SetOnClose)
    Q_PROPERTY(TCloseQueryEvent OnCloseQuery READ OnCloseQuery WRITE SetOnCloseQuery)
public:
    Q_INVOKABLE explicit TForm(TComponent* AOwner = nullptr);
    ~TForm() override;

    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle Value);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }

    // The control that has the focus while the form is active, or gets it when it becomes so.
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    // Makes Control the active control and activates the form.
    void FocusControl(TWinControl* Control);
    // Forgets the active control when it is Control or inside it.
    void DefocusControl(TControl* Control);
    bool Active() const { return FActive; }
    void SetFocus() override;

    // The menu bar, above the client area.
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    // Runs the item of the form's menu with this shortcut; false when there is none.
    virtual bool IsShortCut(TShortCut Value);

    // Setting a result other than mrNone ends ShowModal.
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int Value);

    void SetVisible(bool Value) override;
    void Show();
    // Asks OnCloseQuery, then OnClose, and hides, minimises or releases the form as
    // OnClose decides. The main form ends the application instead; a modal form only
    // sets ModalResult to mrCancel.
    void Close();
    bool CloseQuery();
    // Destroys the form on the event loop, after the current event.
    void Release();
    // Shows the form and waits until ModalResult is set and the form agrees to close;
    // returns ModalResult.
    int ShowModal();
    // Whether the form is being shown by ShowModal.
    bool Modal() const { return FModal; }

    const TNotifyEvent& OnCreate() const { return FOnCreate; }
    void SetOnCreate(const TNotifyEvent& Value) { FOnCreate = Value; }
    const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
    void SetOnDestroy(const TNotifyEvent& Value) { FOnDestroy = Value; }
    const TNotifyEvent& OnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
    const TNotifyEvent& OnHide() const { return FOnHide; }
    void SetOnHide(const TNotifyEvent& Value) { FOnHide = Value; }
    const TNotifyEvent& OnActivate() const { return FOnActivate; }
    void SetOnActivate(const TNotifyEvent& Value) { FOnActivate = Value; }
    const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
    void SetOnDeactivate(const TNotifyEvent& Value) { FOnDeactivate = Value; }
    const TNotifyEvent& OnPaint() const { return FOnPaint; }
    void SetOnPaint(const TNotifyEvent& Value) { FOnPaint = Value; }
    const TCloseEvent& OnClose() const { return FOnClose; }
    void SetOnClose(const TCloseEvent& Value) { FOnClose = Value; }
    const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
    void SetOnCloseQuery(const TCloseQueryEvent& Value) { FOnCloseQuery = Value; }

    // Components without parent first, then the controls.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    bool IsStoredProp(const QString& Name) const override;

protected:
    // Reads the form files of the class and its ancestors, then fires OnCreate and shows
    // the form when the files made it visible. Does nothing while a prototype is made.
    void InitForm();

    QWidget* CreateWidget() override;
    void InitWidget() override;
    bool WidgetEvent(QEvent* Event, const TWidgetLink::TDefaultHandler& Default) override;
    void ApplyBounds() override;
    void ApplyVisible() override;
    void TextChanged() override;
    void Paint() override;
    void Resize() override;
    // The area below the menu bar that holds the controls.
    QWidget* ClientWidget() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void Activate();
    virtual void Deactivate();

private:
    friend class TScreen;

    // Fires OnExit of the control that had the focus and OnEnter of Control.
    void SetFocusedControl(TWinControl* Control);
    void ApplyWindowFlags();
    void ApplyWindowState();
    void ApplyPosition();
    void ApplyMenu();
    int MenuHeight() const;
    void PlaceClientArea();
    bool Sizeable() const;
    // Runs the event loop until ModalResult is set; false when the form was destroyed.
    bool WaitForModalResult();
    void CloseModal();
    void EndModal();

    TPosition FPosition = poDesigned;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TWindowState FWindowState = wsNormal;
    bool FKeyPreview = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TMainMenu* FMenu = nullptr;
    QMenuBar* FMenuBar = nullptr;
    QWidget* FClientArea = nullptr;
    bool FActive = false;
    bool FPositioned = false;
    bool FModal = false;
    int FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
    TNotifyEvent FOnActivate;
    TNotifyEvent FOnDeactivate;
    TNotifyEvent FOnPaint;
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
};

// The form Control is on (or is); nullptr when it is on none.
TForm* GetParentForm(const TControl* Control);
