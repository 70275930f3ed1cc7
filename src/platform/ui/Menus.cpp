#include "Menus.h"

#include <QAction>
#include <QMenu>
#include <QRegularExpression>
#include <rtl/Reference.h>

namespace {

// The caption without accelerator marks: "&&" is "&", a single "&" disappears.
QString WithoutAccelerator(const QString& Caption) {
    static const QRegularExpression mark(QStringLiteral("&(.)"));
    return QString(Caption).replace(mark, QStringLiteral("\\1"));
}

// The text of an item's action: the caption, then its shortcut in the menu's second column.
QString ActionText(const TMenuItem* Item) {
    const QString shortCut = ShortCutToText(Item->ShortCut());
    return shortCut.isEmpty() ? Item->Caption() : Item->Caption() + QLatin1Char('\t') + shortCut;
}

} // namespace

// TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    SetComponentState(ComponentState() + TComponentState{csDestroying});
    Clear();
    if (FParent)
        FParent->Remove(this);
}

void TMenuItem::Changed() {
    if (TMenu* menu = GetParentMenu(); menu && !menu->IsDestroying())
        menu->MenuChanged();
}

void TMenuItem::SetCaption(const QString& Value) {
    FCaption = Value;
    Changed();
}

void TMenuItem::SetEnabled(bool Value) {
    FEnabled = Value;
    Changed();
}

void TMenuItem::SetChecked(bool Value) {
    FChecked = Value;
    if (Value && FRadioItem)
        UncheckGroup();
    Changed();
}

void TMenuItem::UncheckGroup() {
    if (!FParent)
        return;
    for (TMenuItem* sibling : std::as_const(FParent->FItems))
        if (sibling != this && sibling->FRadioItem && sibling->FGroupIndex == FGroupIndex)
            sibling->FChecked = false;
}

void TMenuItem::SetVisible(bool Value) {
    FVisible = Value;
    Changed();
}

void TMenuItem::SetRadioItem(bool Value) {
    FRadioItem = Value;
    if (Value && FChecked)
        UncheckGroup();
    Changed();
}

void TMenuItem::SetGroupIndex(int Value) {
    FGroupIndex = Value;
    if (FRadioItem && FChecked)
        UncheckGroup();
}

void TMenuItem::SetShortCut(TShortCut Value) {
    FShortCut = Value;
    Changed();
}

TMenuItem* TMenuItem::Items(int Index) const {
    if (Index < 0 || Index >= FItems.size())
        throw EListError(QStringLiteral("Menu index out of bounds (%1)").arg(Index));
    return FItems[Index];
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* root = this;
    while (root->FParent)
        root = root->FParent;
    return root->FMenu;
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
    if (!Item)
        throw EMenuError(QStringLiteral("Cannot insert a nil menu item"));
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == Item)
            throw EMenuError(QStringLiteral("A menu item cannot hold itself"));
    if (Item->FMenu)
        throw EMenuError(QStringLiteral("The items of a menu cannot be a subitem"));
    if (Index < 0 || Index > FItems.size())
        throw EListError(QStringLiteral("Menu index out of bounds (%1)").arg(Index));
    if (Item->FParent) {
        if (Item->FParent == this && FItems.indexOf(Item) < Index)
            --Index;
        Item->FParent->Remove(Item);
    }
    FItems.insert(Index, Item);
    Item->FParent = this;
    if (Item->FRadioItem && Item->FChecked)
        Item->UncheckGroup();
    Changed();
}

void TMenuItem::Delete(int Index) {
    TMenuItem* item = Items(Index);
    FItems.removeAt(Index);
    item->FParent = nullptr;
    if (!IsDestroying())
        Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
    const int index = IndexOf(Item);
    if (index < 0)
        throw EMenuError(QStringLiteral("Menu item %1 is not a subitem").arg(Item->Name()));
    Delete(index);
}

void TMenuItem::Clear() {
    while (!FItems.isEmpty())
        delete FItems.last();
}

TMenuItem* TMenuItem::Find(const QString& ACaption) const {
    const QString wanted = WithoutAccelerator(ACaption);
    for (TMenuItem* item : FItems)
        if (WithoutAccelerator(item->FCaption).compare(wanted, Qt::CaseInsensitive) == 0)
            return item;
    return nullptr;
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Value) const {
    if (Value == scNone)
        return nullptr;
    for (TMenuItem* item : FItems) {
        if (item->FShortCut == Value)
            return item;
        if (TMenuItem* found = item->FindShortCut(Value))
            return found;
    }
    return nullptr;
}

bool TMenuItem::IsReachable() const {
    for (const TMenuItem* item = this; item; item = item->FParent)
        if (!item->FEnabled)
            return false;
    return true;
}

void TMenuItem::Click() {
    if (FEnabled)
        FOnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
    if (FParent && FParent->FMenu)
        return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
    if (auto* menu = qobject_cast<TMenu*>(Value))
        menu->Items()->Add(this);
    else if (auto* item = qobject_cast<TMenuItem*>(Value))
        item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TMenuItem* item : std::as_const(FItems))
        if (item->Owner() == Root)
            Proc(item);
}

// TMenu

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem) {
    FItems->FMenu = this;
}

TMenu::~TMenu() {
    SetComponentState(ComponentState() + TComponentState{csDestroying});
    delete FItems;
}

bool TMenu::IsShortCut(TShortCut Value) {
    TMenuItem* item = FItems->FindShortCut(Value);
    if (!item || !item->IsReachable())
        return false;
    item->Click();
    return true;
}

void TMenu::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    FItems->GetChildren(Proc, Root);
}

void TMenu::AddActions(QWidget* Target, TMenuItem* Parent) {
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        if (!item->Visible())
            continue;
        // A separator is a line: its caption "-" is not drawn.
        auto* action = new QAction(item->IsLine() ? QString() : ActionText(item), Target);
        if (item->IsLine()) {
            action->setSeparator(true);
        } else if (item->Count() > 0) {
            auto* submenu = new QMenu(Target);
            AddActions(submenu, item);
            action->setMenu(submenu);
        } else {
            action->setCheckable(item->Checked() || item->RadioItem());
            action->setChecked(item->Checked());
            // Queued, as a command that arrives once the menu has closed.
            QObject::connect(
                action, &QAction::triggered, item,
                [item] { HandleExceptions([item] { item->Click(); }); }, Qt::QueuedConnection);
        }
        action->setEnabled(item->Enabled());
        action->setStatusTip(item->Hint());
        Target->addAction(action);
    }
}

// TPopupMenu

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::~TPopupMenu() {
    delete FMenu.data();
}

void TPopupMenu::SetPopupComponent(TComponent* Value) {
    ReplaceReference(this, FPopupComponent, Value);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
    TMenu::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::DoPopup() {
    FOnPopup(this);
}

void TPopupMenu::Popup(int X, int Y) {
    DoPopup();
    delete FMenu.data();
    FMenu = new QMenu;
    AddActions(FMenu, Items());
    const int width = FMenu->sizeHint().width();
    if (FAlignment == paRight)
        X -= width;
    else if (FAlignment == paCenter)
        X -= width / 2;
    FMenu->popup(QPoint(X, Y));
}

void TPopupMenu::CloseMenu() {
    if (FMenu && FMenu->isVisible())
        FMenu->close();
}

bool TPopupMenu::IsOpen() const {
    return FMenu && FMenu->isVisible();
}

// TMainMenu

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TMainMenu::AttachBar(QWidget* Bar) {
    FBar = Bar;
    FillBar();
}

void TMainMenu::MenuChanged() {
    FillBar();
}

void TMainMenu::FillBar() {
    if (!FBar)
        return;
    for (QAction* action : FBar->actions()) {
        FBar->removeAction(action);
        delete action->menu();
        delete action;
    }
    AddActions(FBar, Items());
}
