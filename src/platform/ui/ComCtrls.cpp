#include "ComCtrls.h"

#include "Forms.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QTabBar>
#include <algorithm>

namespace {

// The space between the pages and the control's edges.
constexpr int PageMargin = 2;

// The tabs of a page control: the control keeps the focus, and its active tab shows it.
class TPageTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    void paintEvent(QPaintEvent* Event) override {
        QTabBar::paintEvent(Event);
        if (!parentWidget()->hasFocus() || currentIndex() < 0)
            return;
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.state |= QStyle::State_KeyboardFocusChange;
        option.rect = tabRect(currentIndex()).adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
};

} // namespace

// TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csAcceptsControls, csClickEvents});
    // The page control shows the active page and places every page in its client area.
    SetVisible(false);
    SetAlign(alClient);
}

TTabSheet::~TTabSheet() {
    Destroying();
    if (TPageControl* pageControl = PageControl())
        pageControl->RemovePage(this);
}

QWidget* TTabSheet::CreateWidget() {
    QWidget* sheet = TWinControl::CreateWidget();
    sheet->setAutoFillBackground(true);
    return sheet;
}

void TTabSheet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    // The sheet itself takes no focus: its page control does, so the keys switch pages.
    if (TPageControl* pageControl = PageControl(); pageControl && pageControl->CanFocus())
        pageControl->SetFocus();
    TWinControl::MouseDown(Button, Shift, X, Y);
}

TPageControl* TTabSheet::PageControl() const {
    return qobject_cast<TPageControl*>(Parent());
}

void TTabSheet::SetPageControl(TPageControl* Value) {
    SetParent(Value);
}

void TTabSheet::SetTabVisible(bool Value) {
    if (FTabVisible == Value)
        return;
    TPageControl* pageControl = PageControl();
    if (!pageControl) {
        FTabVisible = Value;
        return;
    }
    // Hiding the tab of the active page shows the page whose tab takes its place.
    const QList<TTabSheet*> before = pageControl->VisibleTabs();
    FTabVisible = Value;
    if (!Value && pageControl->ActivePage() == this && !pageControl->IsLoading()) {
        const QList<TTabSheet*> after = pageControl->VisibleTabs();
        const int index = std::min(int(before.indexOf(this)), int(after.size()) - 1);
        pageControl->SetActivePage(index >= 0 ? after[index] : nullptr);
    }
    pageControl->UpdateTabs();
}

int TTabSheet::PageIndex() const {
    const TPageControl* pageControl = PageControl();
    if (!pageControl)
        return -1;
    pageControl->SyncPages();
    return int(pageControl->FPages.indexOf(const_cast<TTabSheet*>(this)));
}

void TTabSheet::SetPageIndex(int Value) {
    TPageControl* pageControl = PageControl();
    if (!pageControl)
        return;
    pageControl->SyncPages();
    QList<TTabSheet*>& pages = pageControl->FPages;
    pages.move(pages.indexOf(this), std::clamp(Value, 0, int(pages.size()) - 1));
    pageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
    const TPageControl* pageControl = PageControl();
    return pageControl && FTabVisible
               ? int(pageControl->VisibleTabs().indexOf(const_cast<TTabSheet*>(this)))
               : -1;
}

void TTabSheet::TextChanged() {
    if (TPageControl* pageControl = PageControl())
        pageControl->UpdateTabs();
}

void TTabSheet::DoShow() {
    FOnShow(this);
}

void TTabSheet::DoHide() {
    FOnHide(this);
}

bool TTabSheet::IsStoredProp(const QString& Name) const {
    // The page control decides where a page is and whether it shows.
    for (const char* placed : {"Left", "Top", "Width", "Height", "Align", "Visible"})
        if (Name == QLatin1String(placed))
            return false;
    return TWinControl::IsStoredProp(Name);
}

// TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csAcceptsControls, csClickEvents});
    SetColor(clBtnFace);
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

void TPageControl::SyncPages() const {
    QList<TTabSheet*> pages;
    for (TTabSheet* page : std::as_const(FPages))
        if (page->Parent() == this && !page->IsDestroying())
            pages.append(page);
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* page = qobject_cast<TTabSheet*>(Controls(i));
            page && !page->IsDestroying() && !pages.contains(page))
            pages.append(page);
    FPages = pages;
    if (!FPages.contains(FActivePage))
        FActivePage = nullptr;
}

int TPageControl::PageCount() const {
    SyncPages();
    return int(FPages.size());
}

TTabSheet* TPageControl::Pages(int Index) const {
    SyncPages();
    if (Index < 0 || Index >= FPages.size())
        throw EListError(QStringLiteral("Page index out of bounds (%1)").arg(Index));
    return FPages[Index];
}

QList<TTabSheet*> TPageControl::VisibleTabs() const {
    SyncPages();
    QList<TTabSheet*> tabs;
    for (TTabSheet* page : std::as_const(FPages))
        if (page->TabVisible())
            tabs.append(page);
    return tabs;
}

void TPageControl::RemovePage(TTabSheet* Page) {
    if (IsDestroying())
        return;
    const bool active = Page == FActivePage;
    if (active)
        FActivePage = nullptr;
    SyncPages();
    if (active) {
        TTabSheet* next = FindNextPage(nullptr, true, true);
        SetActivePage(next);
    }
    UpdateTabs();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
    if (Page && Page->Parent() != this)
        return;
    SyncPages();
    if (Page == FActivePage)
        return;
    TTabSheet* previous = FActivePage;
    FActivePage = Page;
    // Once loaded, ActivePage shows whichever order the form file gave the sheets in.
    if (!IsLoading())
        ShowActivePage(previous);
}

void TPageControl::ShowActivePage(TTabSheet* Previous) {
    TForm* form = GetParentForm(this);
    const bool focusWasOnPage = Previous && form && form->ActiveControl() &&
                                Previous->ContainsControl(form->ActiveControl());
    ApplyPageVisibility();
    if (Previous)
        Previous->DoHide();
    if (FActivePage)
        FActivePage->DoShow();
    if (!focusWasOnPage || !FActivePage)
        return;
    TWinControl* first = FActivePage->FindNextControl(nullptr, true, true, false);
    if (first)
        first->SetFocus();
    else if (CanFocus())
        SetFocus();
}

void TPageControl::ApplyPageVisibility() {
    DisableAlign();
    for (TTabSheet* page : std::as_const(FPages))
        page->SetVisible(page == FActivePage);
    if (FActivePage)
        FActivePage->BringToFront();
    EnableAlign();
    UpdateTabs();
}

void TPageControl::SetTabIndex(int Value) {
    const QList<TTabSheet*> tabs = VisibleTabs();
    if (Value < -1 || Value >= tabs.size())
        throw EListError(QStringLiteral("Tab index out of bounds (%1)").arg(Value));
    SetActivePage(Value < 0 ? nullptr : tabs[Value]);
}

void TPageControl::SetMultiLine(bool Value) {
    FMultiLine = Value;
    if (FTabBar)
        FTabBar->setUsesScrollButtons(!Value);
    Realign();
}

void TPageControl::SetTabPosition(TTabPosition Value) {
    FTabPosition = Value;
    if (FTabBar)
        FTabBar->setShape(Value == tpBottom ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    Realign();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* CurPage, bool GoForward,
                                      bool CheckTabVisible) const {
    SyncPages();
    const int count = int(FPages.size());
    if (count == 0)
        return nullptr;
    int start = int(FPages.indexOf(CurPage));
    if (start < 0)
        start = GoForward ? count - 1 : 0;
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        if (!CheckTabVisible || FPages[i]->TabVisible())
            return FPages[i];
    } while (i != start);
    return nullptr;
}

void TPageControl::SelectNextPage(bool GoForward) {
    ChangeTo(FindNextPage(FActivePage, GoForward, true));
}

bool TPageControl::ChangeTo(TTabSheet* Page) {
    if (!Page || Page == FActivePage)
        return true;
    if (!CanChange())
        return false;
    SetActivePage(Page);
    Change();
    return true;
}

bool TPageControl::CanChange() {
    bool allowChange = true;
    FOnChanging(this, allowChange);
    return allowChange;
}

void TPageControl::Change() {
    FOnChange(this);
}

void TPageControl::ShowControl(TControl* AControl) {
    if (auto* page = qobject_cast<TTabSheet*>(AControl); page && page->PageControl() == this)
        SetActivePage(page);
}

void TPageControl::Loaded() {
    TWinControl::Loaded();
    SyncPages();
    ApplyPageVisibility();
}

QWidget* TPageControl::CreateWidget() {
    QWidget* control = TWinControl::CreateWidget();
    FTabBar = new TPageTabBar(control);
    FTabBar->setFocusPolicy(Qt::NoFocus);
    FTabBar->setDrawBase(true);
    connect(FTabBar, &QTabBar::currentChanged, this, [this](int Index) {
        if (!FUpdatingTabs && !IsDestroying())
            HandleExceptions([this, Index] { TabBarChanged(Index); });
    });
    return control;
}

void TPageControl::InitWidget() {
    TWinControl::InitWidget();
    FTabBar->setUsesScrollButtons(!FMultiLine);
    FTabBar->setShape(FTabPosition == tpBottom ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    Realign();
}

void TPageControl::TabBarChanged(int Index) {
    const QList<TTabSheet*> tabs = VisibleTabs();
    if (Index < 0 || Index >= tabs.size() || !ChangeTo(tabs[Index]))
        UpdateTabs();
}

void TPageControl::UpdateTabs() {
    if (!FTabBar || IsDestroying())
        return;
    const QList<TTabSheet*> tabs = VisibleTabs();
    FUpdatingTabs = true;
    while (FTabBar->count() > tabs.size())
        FTabBar->removeTab(FTabBar->count() - 1);
    for (int i = 0; i < tabs.size(); ++i) {
        if (i == FTabBar->count())
            FTabBar->addTab(QString());
        FTabBar->setTabText(i, tabs[i]->Caption());
    }
    FTabBar->setCurrentIndex(int(tabs.indexOf(FActivePage)));
    FUpdatingTabs = false;
}

int TPageControl::TabBarHeight() const {
    if (VisibleTabs().isEmpty())
        return 0;
    return QFontMetrics(Font()->ToQFont()).height() + 10;
}

void TPageControl::AdjustClientRect(QRect& Rect) const {
    const int tabs = TabBarHeight();
    if (FTabPosition == tpBottom)
        Rect.setBottom(Rect.bottom() - tabs);
    else
        Rect.setTop(Rect.top() + tabs);
    Rect.adjust(PageMargin, PageMargin, -PageMargin, -PageMargin);
}

void TPageControl::AlignControls() {
    SyncPages();
    if (FTabBar) {
        const int height = TabBarHeight();
        FTabBar->setGeometry(0, FTabPosition == tpBottom ? Height() - height : 0, Width(), height);
        UpdateTabs();
    }
    TWinControl::AlignControls();
}

void TPageControl::DoEnter() {
    if (FTabBar)
        FTabBar->update();
    TWinControl::DoEnter();
}

void TPageControl::DoExit() {
    if (FTabBar)
        FTabBar->update();
    TWinControl::DoExit();
}

void TPageControl::KeyDown(quint16& Key, TShiftState Shift) {
    TWinControl::KeyDown(Key, Shift);
    if ((Key == VK_LEFT || Key == VK_RIGHT) && Shift.IsEmpty()) {
        SelectNextPage(Key == VK_RIGHT);
        Key = 0;
    }
}

bool TPageControl::DialogKey(quint16 Key, TShiftState Shift) {
    if (TWinControl::DialogKey(Key, Shift))
        return true;
    if (Key != VK_TAB || !Shift.Contains(ssCtrl))
        return false;
    const TForm* form = GetParentForm(this);
    if (!Focused() && !(form && ContainsControl(form->ActiveControl())))
        return false;
    SelectNextPage(!Shift.Contains(ssShift));
    return true;
}
