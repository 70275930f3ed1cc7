#include "TestForms.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <ui/ExtCtrls.h>
#include <ui/Menus.h>
#include <ui/RichEdit.h>
#include <ui/StdCtrls.h>

namespace {

// Two edits on a panel and one beside it; the first edit and the panel have popup menus,
// the form a main menu. Ctrl+S (16467) is on the edit's menu and on the main menu.
const char* const MenuFormText = R"(object MenuForm: TForm
  ClientWidth = 300
  ClientHeight = 200
  Menu = MainMenu
  object EditMenu: TPopupMenu
    object OpenItem: TMenuItem
      Caption = '&Open'
    end
    object Line1: TMenuItem
      Caption = '-'
    end
    object GreyItem: TMenuItem
      Caption = '&Grey'
      Enabled = False
      ShortCut = 16455
    end
    object HiddenItem: TMenuItem
      Caption = 'Hidden'
      Visible = False
    end
    object MoreItem: TMenuItem
      Caption = '&More'
      object DeepItem: TMenuItem
        Caption = '&Deep'
        ShortCut = 16452
      end
    end
    object SaveItem: TMenuItem
      Caption = '&Save'
      Checked = True
      ShortCut = 16467
    end
  end
  object PanelMenu: TPopupMenu
    object PanelItem: TMenuItem
      Caption = 'Panel item'
      ShortCut = 16464
    end
  end
  object MainMenu: TMainMenu
    object FileItem: TMenuItem
      Caption = '&File'
      object MainSave: TMenuItem
        Caption = 'Save all'
        ShortCut = 16467
      end
      object MainQuit: TMenuItem
        Caption = 'Quit'
        ShortCut = 16465
      end
    end
  end
  object Panel: TPanel
    Align = alClient
    PopupMenu = PanelMenu
    TabOrder = 0
    object MenuEdit: TEdit
      Left = 8
      Top = 8
      PopupMenu = EditMenu
      TabOrder = 0
    end
    object PlainEdit: TEdit
      Left = 8
      Top = 40
      TabOrder = 1
    end
  end
  object OutsideEdit: TEdit
    Left = 150
    Top = 8
    TabOrder = 1
  end
end
)";

QMenu* OpenMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList ActionTexts(const QMenu* Menu) {
    QStringList texts;
    for (const QAction* action : Menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

// The menu form read, shown and active; every item click is logged by name.
class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        ReadComponentFromText(QString::fromUtf8(MenuFormText), QStringLiteral("menu.form"), &Form);
        EditMenu = Find<TPopupMenu>("EditMenu");
        MenuEdit = Find<TEdit>("MenuEdit");
        ASSERT_TRUE(EditMenu && MenuEdit);
        for (int i = 0; i < Form.ComponentCount(); ++i)
            if (auto* item = qobject_cast<TMenuItem*>(Form.Components(i)))
                item->SetOnClick(TNotifyEvent(
                    [this](TObject* Sender) { Log << qobject_cast<TComponent*>(Sender)->Name(); }));
        EditMenu->SetOnPopup(TNotifyEvent([this](TObject*) { Log << QStringLiteral("popup"); }));
        Form.Show();
        Activate(&Form);
    }

    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    template <class T> T* Find(const char* Name) {
        return qobject_cast<T*>(Form.FindComponent(QString::fromLatin1(Name)));
    }

    void Press(TWinControl* Control, Qt::Key Key, Qt::KeyboardModifiers Modifiers) {
        Control->SetFocus();
        QTest::keyClick(QApplication::focusWidget(), Key, Modifiers);
    }

    TForm Form;
    TPopupMenu* EditMenu = nullptr;
    TEdit* MenuEdit = nullptr;
    QStringList Log;
};

} // namespace

TEST_F(Menus, ItemsNestInTheFormFile) {
    TMenuItem* items = EditMenu->Items();
    EXPECT_EQ(items->Count(), 6);
    EXPECT_EQ(items->GetParentMenu(), EditMenu);
    TMenuItem* more = items->Find(QStringLiteral("more"));
    ASSERT_TRUE(more);
    EXPECT_EQ(more->Parent(), items);
    EXPECT_EQ(more->Count(), 1);
    EXPECT_EQ(more->Items(0)->GetParentMenu(), EditMenu);
    EXPECT_TRUE(items->Items(1)->IsLine());
    EXPECT_EQ(Find<TMenuItem>("SaveItem")->ShortCut(), ShortCut('S', {ssCtrl}));
    EXPECT_EQ(Find<TPanel>("Panel")->PopupMenu(), Find<TPopupMenu>("PanelMenu"));
    EXPECT_EQ(Form.Menu(), Find<TMainMenu>("MainMenu"));

    const QString text = WriteComponentToText(&Form);
    const qsizetype menuAt = text.indexOf(QStringLiteral("object EditMenu: TPopupMenu"));
    const qsizetype deepAt = text.indexOf(QStringLiteral("object DeepItem: TMenuItem"));
    const qsizetype panelAt = text.indexOf(QStringLiteral("object PanelMenu"));
    EXPECT_TRUE(menuAt >= 0 && menuAt < deepAt && deepAt < panelAt) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ShortCut = 16452"))) << text.toStdString();

    TForm copy;
    ReadComponentFromText(text, QStringLiteral("copy.form"), &copy);
    auto* deep = qobject_cast<TMenuItem*>(copy.FindComponent(QStringLiteral("DeepItem")));
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->Parent()->Caption(), QStringLiteral("&More"));
    EXPECT_EQ(deep->GetParentMenu(), copy.FindComponent(QStringLiteral("EditMenu")));
}

TEST_F(Menus, RightClickOpensTheControlsMenuAndKeysChooseAnItem) {
    QTest::mouseClick(MenuEdit->Widget(), Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
    QMenu* menu = OpenMenu();
    ASSERT_TRUE(menu);
    EXPECT_EQ(EditMenu->PopupComponent(), MenuEdit);
    EXPECT_TRUE(EditMenu->IsOpen());
    EXPECT_EQ(Log, QStringList({"popup"}));
    EXPECT_EQ(ActionTexts(menu),
              QStringList({"&Open", "|", "&Grey\tCtrl+G", "&More", "&Save\tCtrl+S"}))
        << "separators stay, invisible items are left out";
    EXPECT_FALSE(menu->actions()[2]->isEnabled());
    EXPECT_TRUE(menu->actions()[4]->isChecked());
    EXPECT_TRUE(menu->actions()[3]->menu());

    QTest::keyClick(menu, Qt::Key_Down);
    QTest::keyClick(menu, Qt::Key_Return);
    EXPECT_FALSE(OpenMenu());
    ProcessEvents();
    EXPECT_EQ(Log, QStringList({"popup", "OpenItem"}));

    // The accelerator letter picks an item, not a disabled one.
    QTest::mouseClick(MenuEdit->Widget(), Qt::RightButton);
    QTest::keyClick(OpenMenu(), Qt::Key_G);
    ProcessEvents();
    EXPECT_EQ(Log.last(), QStringLiteral("popup"));
    QTest::keyClick(OpenMenu(), Qt::Key_S);
    ProcessEvents();
    EXPECT_EQ(Log.last(), QStringLiteral("SaveItem"));
}

TEST_F(Menus, SeparatorsAreDrawnAsLinesAlone) {
    QTest::mouseClick(MenuEdit->Widget(), Qt::RightButton);
    QMenu* menu = OpenMenu();
    ASSERT_TRUE(menu);
    QAction* line = menu->actions()[1];
    ASSERT_TRUE(line->isSeparator());
    const QImage image = menu->grab().toImage();
    const QRect rect = menu->actionGeometry(line);
    int dark = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x < rect.left() + 24; ++x)
            if (qGray(image.pixel(x, y)) < 100)
                ++dark;
    EXPECT_EQ(dark, 0) << "no dash at the left of the separator";
}

TEST_F(Menus, SubmenusOpenFromTheKeyboard) {
    MenuEdit->SetFocus();
    QTest::keyClick(MenuEdit->Widget(), Qt::Key_Menu);
    QMenu* menu = OpenMenu();
    ASSERT_TRUE(menu);
    QTest::keyClick(menu, Qt::Key_M);
    QMenu* submenu = OpenMenu();
    ASSERT_TRUE(submenu);
    ASSERT_NE(submenu, menu);
    EXPECT_EQ(ActionTexts(submenu), QStringList({"&Deep\tCtrl+D"}));
    QTest::keyClick(submenu, Qt::Key_Return);
    ProcessEvents();
    EXPECT_EQ(Log, QStringList({"popup", "DeepItem"}));
    EXPECT_FALSE(OpenMenu());
}

TEST_F(Menus, ParentsMenuOpensOverAChildWithoutOne) {
    auto* plain = Find<TEdit>("PlainEdit");
    auto* panelMenu = Find<TPopupMenu>("PanelMenu");
    QTest::mouseClick(plain->Widget(), Qt::RightButton);
    ASSERT_TRUE(OpenMenu());
    EXPECT_EQ(panelMenu->PopupComponent(), Find<TPanel>("Panel"));
    EXPECT_EQ(ActionTexts(OpenMenu()), QStringList({"Panel item\tCtrl+P"}));
    QTest::keyClick(OpenMenu(), Qt::Key_Escape);
    EXPECT_FALSE(OpenMenu());

    panelMenu->SetAutoPopup(false);
    QTest::mouseClick(plain->Widget(), Qt::RightButton);
    EXPECT_FALSE(OpenMenu());
}

TEST_F(Menus, PopupShortcutsWorkOnlyWhileTheirControlHasTheFocus) {
    Press(MenuEdit, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Log, QStringList({"DeepItem"})) << "an item of a submenu";
    Press(MenuEdit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Log.last(), QStringLiteral("SaveItem")) << "the control's menu before the form's";
    EXPECT_EQ(EditMenu->PopupComponent(), MenuEdit);
    EXPECT_EQ(MenuEdit->Text(), QString()) << "the key does not reach the edit";

    Log.clear();
    Press(MenuEdit, Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(Log.isEmpty()) << "a disabled item";
    Press(MenuEdit, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(Log, QStringList({"PanelItem"})) << "the parent's menu";

    Log.clear();
    auto* outside = Find<TEdit>("OutsideEdit");
    Press(outside, Qt::Key_D, Qt::ControlModifier);
    Press(outside, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(Log.isEmpty());
    Press(outside, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Log, QStringList({"MainSave"}));

    // A disabled submenu disables its items' shortcuts.
    Log.clear();
    Find<TMenuItem>("MoreItem")->SetEnabled(false);
    Press(MenuEdit, Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(Log.isEmpty());
}

TEST_F(Menus, MainMenuIsABarAboveTheClientArea) {
    auto* bar = Form.Widget()->findChild<QMenuBar*>();
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(ActionTexts(bar->actions()[0]->menu()),
              QStringList({"Save all\tCtrl+S", "Quit\tCtrl+Q"}));
    // The bar lies outside the client area: the window is as much higher, and a control
    // at the bottom of the client area shows whole.
    auto* panel = Find<TPanel>("Panel");
    EXPECT_EQ(panel->Top(), 0);
    EXPECT_EQ(panel->Height(), Form.ClientHeight());
    EXPECT_EQ(Form.ClientHeight(), 200);
    EXPECT_EQ(Form.Widget()->height(), 200 + bar->height());
    QWidget* panelWidget = panel->Widget();
    const QRect shown(panelWidget->mapTo(Form.Widget(), QPoint(0, 0)), panelWidget->size());
    EXPECT_EQ(shown.top(), bar->geometry().bottom() + 1);
    EXPECT_EQ(shown.bottom(), Form.Widget()->rect().bottom());
    EXPECT_EQ(Form.Widget()->childAt(10, bar->height() + 5), panelWidget)
        << "what lies just below the bar is the panel";

    // The bar follows changes of the items.
    Find<TMenuItem>("MainQuit")->SetCaption(QStringLiteral("Exit"));
    bar = Form.Widget()->findChild<QMenuBar*>();
    EXPECT_EQ(ActionTexts(bar->actions()[0]->menu()),
              QStringList({"Save all\tCtrl+S", "Exit\tCtrl+Q"}));

    Press(Find<TEdit>("PlainEdit"), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(Log, QStringList({"MainQuit"}));

    delete Find<TMainMenu>("MainMenu");
    EXPECT_EQ(Form.Menu(), nullptr);
    EXPECT_FALSE(Form.Widget()->findChild<QMenuBar*>());
    EXPECT_EQ(panel->Top(), 0);
    EXPECT_EQ(Form.Widget()->height(), 200);
}

TEST_F(Menus, ReferencesAreClearedWhenTheOtherGoes) {
    QTest::mouseClick(MenuEdit->Widget(), Qt::RightButton);
    ASSERT_EQ(EditMenu->PopupComponent(), MenuEdit);
    EditMenu->CloseMenu();
    EXPECT_FALSE(OpenMenu());
    delete MenuEdit;
    EXPECT_EQ(EditMenu->PopupComponent(), nullptr);

    auto* panel = Find<TPanel>("Panel");
    delete Find<TPopupMenu>("PanelMenu");
    EXPECT_EQ(panel->PopupMenu(), nullptr);
}

namespace {

// The widget a person clicks at Pos inside Control (a text area's viewport).
QWidget* WidgetAt(TControl* Control, const QPoint& Pos) {
    QWidget* child = Control->Widget()->childAt(Pos);
    return child ? child : Control->Widget();
}

// A right click as the window system delivers it: the press, its request for a context
// menu, the release.
void RightClick(QWidget* Widget, const QPoint& Pos) {
    QTest::mousePress(Widget, Qt::RightButton, {}, Pos);
    QContextMenuEvent request(QContextMenuEvent::Mouse, Pos, Widget->mapToGlobal(Pos));
    QApplication::sendEvent(Widget, &request);
    QTest::mouseRelease(Widget, Qt::RightButton, {}, Pos);
}

void CloseOpenMenu() {
    if (QMenu* menu = OpenMenu())
        menu->close();
}

} // namespace

TEST_F(Menus, EveryWayOfAskingOpensTheControlsOwnMenu) {
    auto* memo = new TMemo(&Form);
    memo->SetBounds(150, 40, 120, 80);
    memo->SetParent(&Form);
    memo->SetPopupMenu(EditMenu);
    auto* rich = new TRichEdit(&Form);
    rich->SetBounds(150, 125, 120, 40);
    rich->SetParent(&Form);
    rich->SetPopupMenu(EditMenu);
    const QStringList own({"&Open", "|", "&Grey\tCtrl+G", "&More", "&Save\tCtrl+S"});

    for (TWinControl* control : QList<TWinControl*>{memo, rich, MenuEdit}) {
        SCOPED_TRACE(control->ClassName().toStdString());
        RightClick(WidgetAt(control, QPoint(20, 10)), QPoint(5, 5));
        ASSERT_TRUE(OpenMenu()) << "a right click";
        EXPECT_EQ(ActionTexts(OpenMenu()), own);
        EXPECT_EQ(EditMenu->PopupComponent(), control);
        CloseOpenMenu();
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
            Press(control, key, modifiers);
            ASSERT_TRUE(OpenMenu()) << QKeySequence(key | modifiers).toString().toStdString();
            EXPECT_EQ(ActionTexts(OpenMenu()), own);
            CloseOpenMenu();
        }
    }

    // Without a menu of their own or a parent's, edits and text areas show the edit menu.
    memo->SetPopupMenu(nullptr);
    auto* outside = Find<TEdit>("OutsideEdit");
    RightClick(WidgetAt(memo, QPoint(20, 10)), QPoint(5, 5));
    ASSERT_TRUE(OpenMenu());
    EXPECT_NE(ActionTexts(OpenMenu()), own);
    EXPECT_TRUE(ActionTexts(OpenMenu()).filter(QStringLiteral("Select All")).size() == 1);
    CloseOpenMenu();
    Press(outside, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(OpenMenu());
    EXPECT_TRUE(ActionTexts(OpenMenu()).filter(QStringLiteral("Select All")).size() == 1);
    CloseOpenMenu();
    Press(outside, Qt::Key_F10, Qt::NoModifier);
    EXPECT_FALSE(OpenMenu()) << "F10 alone";
}

namespace {

// Enables its items as a shortcut arrives, for the control it belongs to.
class TEnablingPopupMenu : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    QList<TComponent*> Asked;

    bool IsShortCut(TShortCut Value) override {
        Asked << PopupComponent();
        Items()->Items(0)->SetEnabled(true);
        return TPopupMenu::IsShortCut(Value);
    }
};

} // namespace

TEST_F(Menus, AMenuCanEnableItsItemsWhenAShortcutArrives) {
    auto* menu = new TEnablingPopupMenu(&Form);
    auto* item = new TMenuItem(&Form);
    item->SetShortCut(ShortCut('E', {ssCtrl}));
    item->SetEnabled(false);
    item->SetOnClick(TNotifyEvent([this](TObject*) { Log << QStringLiteral("enabled"); }));
    menu->Items()->Add(item);
    auto* plain = Find<TEdit>("PlainEdit");
    plain->SetPopupMenu(menu);
    Press(plain, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(menu->Asked, QList<TComponent*>({plain}));
    EXPECT_EQ(Log, QStringList({"enabled"}));
}

TEST(MenuItem, TreeOperations) {
    TPopupMenu menu;
    TMenuItem* root = menu.Items();
    auto* a = new TMenuItem(&menu);
    auto* b = new TMenuItem(&menu);
    auto* c = new TMenuItem(&menu);
    a->SetCaption(QStringLiteral("&Alpha"));
    b->SetCaption(QStringLiteral("Fish && &Chips"));
    root->Add(a);
    root->Add(c);
    root->Insert(1, b);
    EXPECT_EQ(root->IndexOf(b), 1);
    EXPECT_EQ(root->Find(QStringLiteral("alpha")), a);
    EXPECT_EQ(root->Find(QStringLiteral("fish && chips")), b);
    EXPECT_EQ(root->Find(QStringLiteral("Nothing")), nullptr);

    // Moving an item under another takes it from its old parent.
    a->Add(c);
    EXPECT_EQ(root->Count(), 2);
    EXPECT_EQ(c->Parent(), a);
    EXPECT_THROW(c->Add(a), EMenuError);
    EXPECT_THROW(a->Add(a), EMenuError);
    EXPECT_THROW(root->Insert(5, new TMenuItem(&menu)), EListError);
    EXPECT_THROW(root->Items(2), EListError);
    EXPECT_THROW(a->Remove(b), EMenuError);

    root->Remove(b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(root->Count(), 1);
    delete b;

    const int components = menu.ComponentCount();
    a->Clear();
    EXPECT_EQ(a->Count(), 0);
    EXPECT_EQ(menu.ComponentCount(), components - 1) << "the subitem was destroyed";
}

TEST(MenuItem, RadioItemsOfAGroupCheckOneAtATime) {
    TPopupMenu menu;
    QList<TMenuItem*> items;
    for (int group : {1, 1, 2}) {
        auto* item = new TMenuItem(&menu);
        item->SetRadioItem(true);
        item->SetGroupIndex(group);
        menu.Items()->Add(item);
        items << item;
    }
    items[0]->SetChecked(true);
    items[2]->SetChecked(true);
    items[1]->SetChecked(true);
    EXPECT_FALSE(items[0]->Checked());
    EXPECT_TRUE(items[1]->Checked());
    EXPECT_TRUE(items[2]->Checked()) << "another group";

    int clicks = 0;
    items[0]->SetOnClick(TNotifyEvent([&clicks](TObject*) { ++clicks; }));
    items[0]->SetEnabled(false);
    items[0]->Click();
    EXPECT_EQ(clicks, 0);
}

TEST(PopupMenu, OpensAtTheGivenPointAsAligned) {
    TPopupMenu menu;
    auto* item = new TMenuItem(&menu);
    item->SetCaption(QStringLiteral("A rather long caption"));
    menu.Items()->Add(item);
    menu.SetAlignment(paRight);
    menu.Popup(400, 100);
    QMenu* open = OpenMenu();
    ASSERT_TRUE(open);
    EXPECT_EQ(menu.PopupComponent(), nullptr);
    EXPECT_NEAR(open->geometry().right(), 400, 2);
    EXPECT_EQ(open->geometry().top(), 100);
    menu.SetAlignment(paLeft);
    menu.Popup(100, 100);
    EXPECT_EQ(OpenMenu()->geometry().left(), 100);
    menu.CloseMenu();
    EXPECT_FALSE(OpenMenu());
}
