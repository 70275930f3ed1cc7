#pragma once

#include <QPointer>
#include <rtl/Component.h>
#include <rtl/Events.h>
#include <rtl/Exceptions.h>
#include <rtl/ShortCut.h>

class QMenu;
class QWidget;
class TMenu;

PUBLISHED_ENUM(TPopupAlignment, paLeft, paRight, paCenter)

// A command of a menu, or a submenu when it has items of its own. A Caption of "-" makes
// it a separator; "&" marks the accelerator letter ("&&" is a plain "&"). ShortCut runs the
// item from the keyboard while its menu is in reach (TControl::PopupMenu, TForm::Menu),
// when it and its parents are enabled; an invisible item keeps its shortcut.
// Checking a RadioItem unchecks the other radio items of its GroupIndex under the same
// parent. An item destroys its subitems; form files nest them in the item's block.
class TMenuItem : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool RadioItem READ RadioItem WRITE SetRadioItem)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(quint16 ShortCut READ ShortCut WRITE SetShortCut)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(TNotifyEvent OnClick READ OnClick WRITE SetOnClick)
public:
    Q_INVOKABLE explicit TMenuItem(TComponent* AOwner = nullptr);
    ~TMenuItem() override;

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool IsLine() const { return FCaption == QLatin1String("-"); }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }

    int Count() const { return int(FItems.size()); }
    // Raises EListError outside 0 .. Count - 1.
    TMenuItem* Items(int Index) const;
    TMenuItem* Parent() const { return FParent; }
    // The menu the item is in, through its parents; nullptr when none.
    TMenu* GetParentMenu() const;
    int IndexOf(const TMenuItem* Item) const { return int(FItems.indexOf(Item)); }
    void Add(TMenuItem* Item) { Insert(Count(), Item); }
    // Moves Item here from another parent; raises EMenuError for an item of its own chain.
    void Insert(int Index, TMenuItem* Item);
    // Takes the item out without destroying it.
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    // Destroys the subitems.
    void Clear();
    // The subitem with this caption, ignoring case and accelerator marks; nullptr when none.
    TMenuItem* Find(const QString& ACaption) const;
    // The first item with this shortcut among the subitems, at any depth, enabled or not;
    // nullptr when none.
    TMenuItem* FindShortCut(TShortCut Value) const;
    // Enabled, as are its parents.
    bool IsReachable() const;

    // Fires OnClick when the item is enabled.
    virtual void Click();

    const TNotifyEvent& OnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

private:
    friend class TMenu;

    void Changed();
    void UncheckGroup();

    QString FCaption;
    bool FEnabled = true;
    bool FChecked = false;
    bool FVisible = true;
    bool FRadioItem = false;
    int FGroupIndex = 0;
    TShortCut FShortCut = scNone;
    QString FHint;
    TMenuItem* FParent = nullptr;
    TMenu* FMenu = nullptr; // set on the root item of a menu
    QList<TMenuItem*> FItems;
    TNotifyEvent FOnClick;
};

class EMenuError : public Exception {
public:
    using Exception::Exception;
};

// A tree of menu items under Items. Form files write the items nested in the menu.
class TMenu : public TComponent {
    Q_OBJECT
public:
    explicit TMenu(TComponent* AOwner = nullptr);
    ~TMenu() override;

    TMenuItem* Items() const { return FItems; }
    // Clicks the item with this shortcut (TMenuItem::FindShortCut) when it is reachable;
    // false when there is none or it is disabled. A menu that enables its items as it
    // opens overrides this to do so first.
    virtual bool IsShortCut(TShortCut Value);

    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

protected:
    friend class TMenuItem;
    // An item of the menu changed, came or went.
    virtual void MenuChanged() {}

    // Fills Target (a menu or a menu bar) with actions for the visible subitems of Parent;
    // choosing one clicks its item.
    static void AddActions(QWidget* Target, TMenuItem* Parent);

private:
    TMenuItem* FItems;
};

// A menu that opens at a point of the screen, on a right click or the context-menu key
// over a control whose PopupMenu it is (PopupComponent is then that control). Popup shows
// the menu and returns at once; the item chosen is clicked from the event loop. A test
// finds the open menu with QApplication::activePopupWidget() (a QMenu) and picks an item
// with keys (Down, Return) or the mouse.
class TPopupMenu : public TMenu {
    Q_OBJECT
    Q_PROPERTY(bool AutoPopup READ AutoPopup WRITE SetAutoPopup)
    Q_PROPERTY(TPopupAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TNotifyEvent OnPopup READ OnPopup WRITE SetOnPopup)
public:
    Q_INVOKABLE explicit TPopupMenu(TComponent* AOwner = nullptr);
    ~TPopupMenu() override;

    // Whether a right click or the context-menu key opens the menu.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    // Where the menu stands against the point it opens at.
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    // The component the menu was last opened on; nullptr when it was opened in code.
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);

    // Fires OnPopup, then shows the items at (X, Y) in screen coordinates.
    virtual void Popup(int X, int Y);
    // Closes the menu when it is open.
    void CloseMenu();
    bool IsOpen() const;

    const TNotifyEvent& OnPopup() const { return FOnPopup; }
    void SetOnPopup(const TNotifyEvent& Value) { FOnPopup = Value; }

protected:
    virtual void DoPopup();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
    TComponent* FPopupComponent = nullptr;
    QPointer<QMenu> FMenu;
    TNotifyEvent FOnPopup;
};

// The menu bar of a form (TForm::Menu): top-level items with subitems open menus, the
// others are commands. Its shortcuts work anywhere in the form.
class TMainMenu : public TMenu {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMainMenu(TComponent* AOwner = nullptr);

    // Makes Bar show the items, now and whenever they change, until Bar goes.
    void AttachBar(QWidget* Bar);

protected:
    void MenuChanged() override;

private:
    void FillBar();

    QPointer<QWidget> FBar;
};
