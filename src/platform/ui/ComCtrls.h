#pragma once

#include "Controls.h"

class QTabBar;
class TPageControl;

PUBLISHED_ENUM(TTabPosition, tpTop, tpBottom)

using TTabChangingEvent = TEvent<TObject*, bool&>;

// A page of a TPageControl: a container shown while it is the active page. Its Parent is
// its PageControl, which places it; TabVisible hides its tab while the page stays among
// the Pages.
class TTabSheet : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool TabVisible READ TabVisible WRITE SetTabVisible)
    Q_PROPERTY(int PageIndex READ PageIndex WRITE SetPageIndex STORED false)
    Q_PROPERTY(TNotifyEvent OnShow READ OnShow WRITE SetOnShow)
    Q_PROPERTY(TNotifyEvent OnHide READ OnHide WRITE SetOnHide)
public:
    Q_INVOKABLE explicit TTabSheet(TComponent* AOwner = nullptr);
    ~TTabSheet() override;

    TPageControl* PageControl() const;
    void SetPageControl(TPageControl* Value);
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool Value);
    // The position among the pages of the page control; -1 without one.
    int PageIndex() const;
    void SetPageIndex(int Value);
    // The position among the visible tabs; -1 when the tab is hidden.
    int TabIndex() const;

    const TNotifyEvent& OnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
    const TNotifyEvent& OnHide() const { return FOnHide; }
    void SetOnHide(const TNotifyEvent& Value) { FOnHide = Value; }

    bool IsStoredProp(const QString& Name) const override;

protected:
    friend class TPageControl;

    QWidget* CreateWidget() override;
    void TextChanged() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void DoShow();
    virtual void DoHide();

private:
    bool FTabVisible = true;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
};

// Pages with a row of tabs, one per page whose tab is visible. Clicking a tab, Ctrl+Tab
// and Ctrl+Shift+Tab (while the focus is in the control), and the arrow keys (while the
// control has the focus) change the page: CanChange asks OnChanging, which can refuse;
// then the page changes and Change fires OnChange. Setting ActivePage or TabIndex in code
// fires neither. The sheets are the control's children; in a form file ActivePage may
// name a sheet read before or after it.
class TPageControl : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TTabSheet* ActivePage READ ActivePage WRITE SetActivePage)
    Q_PROPERTY(int TabIndex READ TabIndex WRITE SetTabIndex STORED false)
    Q_PROPERTY(bool MultiLine READ MultiLine WRITE SetMultiLine)
    Q_PROPERTY(TTabPosition TabPosition READ TabPosition WRITE SetTabPosition)
    Q_PROPERTY(TTabChangingEvent OnChanging READ OnChanging WRITE SetOnChanging)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
public:
    Q_INVOKABLE explicit TPageControl(TComponent* AOwner = nullptr);

    int PageCount() const;
    // Raises EListError outside 0 .. PageCount - 1.
    TTabSheet* Pages(int Index) const;
    TTabSheet* ActivePage() const { return FActivePage; }
    // Shows Page, a sheet of this control or nullptr; a sheet of another control is
    // ignored.
    virtual void SetActivePage(TTabSheet* Page);
    int ActivePageIndex() const { return FActivePage ? FActivePage->PageIndex() : -1; }
    void SetActivePageIndex(int Value) { SetActivePage(Value < 0 ? nullptr : Pages(Value)); }
    // The index of the active page among the visible tabs; -1 when none.
    int TabIndex() const { return FActivePage ? FActivePage->TabIndex() : -1; }
    void SetTabIndex(int Value);
    // The tabs stay in view all together instead of scrolling.
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool Value);
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);

    // The page after (or before) CurPage, wrapping around, with a visible tab when
    // CheckTabVisible; the first (or last) page when CurPage is nullptr; nullptr when none.
    TTabSheet* FindNextPage(TTabSheet* CurPage, bool GoForward, bool CheckTabVisible) const;
    // Changes to the next page with a visible tab as the user would, through CanChange
    // and Change.
    void SelectNextPage(bool GoForward);
    // Makes AControl's page active when AControl is one of the sheets.
    virtual void ShowControl(TControl* AControl);

    const TTabChangingEvent& OnChanging() const { return FOnChanging; }
    void SetOnChanging(const TTabChangingEvent& Value) { FOnChanging = Value; }
    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

    void Loaded() override;

protected:
    friend class TTabSheet;

    // Whether the page may change now; asks OnChanging.
    virtual bool CanChange();
    // The page changed at the user's request; fires OnChange.
    virtual void Change();

    QWidget* CreateWidget() override;
    void InitWidget() override;
    void AlignControls() override;
    void AdjustClientRect(QRect& Rect) const override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    bool DialogKey(quint16 Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    Qt::FocusPolicy FocusPolicy() const override { return Qt::StrongFocus; }

private:
    // The sheets among the children, in page order.
    void SyncPages() const;
    void RemovePage(TTabSheet* Page);
    // Switches to Page at the user's request; false when CanChange refused.
    bool ChangeTo(TTabSheet* Page);
    void ApplyPageVisibility();
    void ShowActivePage(TTabSheet* Previous);
    void UpdateTabs();
    void TabBarChanged(int Index);
    // The height of the row of tabs; 0 when no tab is visible.
    int TabBarHeight() const;
    QList<TTabSheet*> VisibleTabs() const;

    // The order of the pages; SyncPages brings it in line with the children.
    mutable QList<TTabSheet*> FPages;
    mutable TTabSheet* FActivePage = nullptr;
    bool FMultiLine = false;
    TTabPosition FTabPosition = tpTop;
    QTabBar* FTabBar = nullptr;
    bool FUpdatingTabs = false;
    TTabChangingEvent FOnChanging;
    TNotifyEvent FOnChange;
};
