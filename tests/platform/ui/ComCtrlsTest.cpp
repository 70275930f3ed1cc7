#include "TestForms.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <rtl/Streaming.h>
#include <ui/ComCtrls.h>
#include <ui/ExtCtrls.h>
#include <ui/StdCtrls.h>

namespace {

// ActivePage names a sheet that the file reads only later; the third sheet's tab is
// hidden and the first sheet holds a panel with a page control of its own.
const char* const PagesFormText = R"(object PagesForm: TForm
  ClientWidth = 400
  ClientHeight = 300
  object OutsideEdit: TEdit
    Left = 8
    Top = 270
    TabOrder = 1
  end
  object Pages: TPageControl
    Left = 0
    Top = 0
    Width = 400
    Height = 260
    ActivePage = SecondSheet
    TabOrder = 0
    object FirstSheet: TTabSheet
      Caption = '&First'
      object FirstPanel: TPanel
        Align = alClient
        object FirstEdit: TEdit
          Left = 8
          Top = 8
          TabOrder = 0
        end
        object InnerPages: TPageControl
          Left = 8
          Top = 40
          ActivePage = InnerB
          TabOrder = 1
          object InnerA: TTabSheet
            Caption = 'A'
          end
          object InnerB: TTabSheet
            Caption = 'B'
          end
        end
      end
    end
    object SecondSheet: TTabSheet
      Caption = 'Second'
      object SecondEdit: TEdit
        Left = 8
        Top = 8
        TabOrder = 0
      end
    end
    object HiddenSheet: TTabSheet
      Caption = 'Hidden'
      TabVisible = False
    end
    object FourthSheet: TTabSheet
      Caption = 'Fourth'
    end
  end
end
)";

template <class T> T* Find(TComponent* Root, const char* Name) {
    return qobject_cast<T*>(Root->FindComponent(QString::fromLatin1(Name)));
}

QStringList TabTexts(QTabBar* Bar) {
    QStringList texts;
    for (int i = 0; i < Bar->count(); ++i)
        texts << Bar->tabText(i);
    return texts;
}

// The pages form read from PagesFormText, shown and active.
class PageControl : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        ReadComponentFromText(QString::fromUtf8(PagesFormText), QStringLiteral("pages.form"),
                              &Form);
        Pages = Find<TPageControl>(&Form, "Pages");
        ASSERT_TRUE(Pages);
        First = Find<TTabSheet>(&Form, "FirstSheet");
        Second = Find<TTabSheet>(&Form, "SecondSheet");
        Hidden = Find<TTabSheet>(&Form, "HiddenSheet");
        Fourth = Find<TTabSheet>(&Form, "FourthSheet");
        ASSERT_TRUE(First && Second && Hidden && Fourth);
        Form.Show();
        Activate(&Form);
        TabBar = Pages->Widget()->findChild<QTabBar*>();
        ASSERT_TRUE(TabBar);
        Pages->SetOnChanging(TTabChangingEvent([this](TObject*, bool& AllowChange) {
            Log << QStringLiteral("changing from %1").arg(Pages->ActivePage()->Name());
            AllowChange = Allow;
        }));
        Pages->SetOnChange(TNotifyEvent([this](TObject*) {
            Log << QStringLiteral("change to %1").arg(Pages->ActivePage()->Name());
        }));
    }

    void ClickTab(int Index) {
        QTest::mouseClick(TabBar, Qt::LeftButton, Qt::NoModifier, TabBar->tabRect(Index).center());
    }

    TForm Form;
    TPageControl* Pages = nullptr;
    TTabSheet* First = nullptr;
    TTabSheet* Second = nullptr;
    TTabSheet* Hidden = nullptr;
    TTabSheet* Fourth = nullptr;
    QTabBar* TabBar = nullptr;
    QStringList Log;
    bool Allow = true;
};

} // namespace

TEST_F(PageControl, FormFileNestsSheetsAndShowsTheActivePage) {
    EXPECT_EQ(Pages->PageCount(), 4);
    EXPECT_EQ(Pages->Pages(0), First);
    EXPECT_EQ(Pages->Pages(3), Fourth);
    EXPECT_EQ(First->PageControl(), Pages);
    EXPECT_EQ(Find<TPanel>(&Form, "FirstPanel")->Parent(), First);
    EXPECT_EQ(Pages->ActivePage(), Second);
    EXPECT_EQ(Pages->ActivePageIndex(), 1);
    EXPECT_TRUE(Second->Widget()->isVisible());
    EXPECT_FALSE(First->Widget()->isVisible());
    EXPECT_FALSE(Fourth->Visible());
    EXPECT_EQ(TabTexts(TabBar), QStringList({"&First", "Second", "Fourth"}));
    EXPECT_EQ(TabBar->currentIndex(), 1);
    EXPECT_EQ(Hidden->TabIndex(), -1);
    EXPECT_EQ(Fourth->TabIndex(), 2);
    EXPECT_EQ(Fourth->PageIndex(), 3);

    // Pages fill the client area below the tabs.
    EXPECT_GT(Second->Top(), 0);
    EXPECT_EQ(Second->Top() + Second->Height() < Pages->Height(), true);
    EXPECT_GT(Second->Width(), Pages->Width() - 10);

    const int pageTop = Second->Top();
    Pages->SetTabPosition(tpBottom);
    EXPECT_LT(Second->Top(), pageTop);
    EXPECT_EQ(TabBar->geometry().bottom(), Pages->Height() - 1);
    EXPECT_LT(Second->Top() + Second->Height(), TabBar->geometry().top());

    auto* inner = Find<TPageControl>(&Form, "InnerPages");
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->ActivePage(), Find<TTabSheet>(&Form, "InnerB"));
    EXPECT_EQ(Pages->PageCount(), 4) << "the inner sheets belong to the inner control";
    EXPECT_THROW(Pages->Pages(4), EListError);
}

TEST_F(PageControl, WrittenAndReadAgainKeepsPagesAndTheActivePage) {
    Pages->SetActivePage(Fourth);
    const QString text = WriteComponentToText(&Form);
    EXPECT_FALSE(text.contains(QStringLiteral("PageIndex"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("ActivePage = FourthSheet"))) << text.toStdString();

    TForm copy;
    ReadComponentFromText(text, QStringLiteral("copy.form"), &copy);
    auto* pages = Find<TPageControl>(&copy, "Pages");
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->PageCount(), 4);
    EXPECT_EQ(pages->ActivePage(), Find<TTabSheet>(&copy, "FourthSheet"));
    EXPECT_FALSE(Find<TTabSheet>(&copy, "HiddenSheet")->TabVisible());
    EXPECT_EQ(Find<TTabSheet>(&copy, "FirstSheet")->Caption(), QStringLiteral("&First"));
}

TEST_F(PageControl, ClickingATabAsksOnChangingWhichCanRefuse) {
    ClickTab(2);
    EXPECT_EQ(Pages->ActivePage(), Fourth) << "the third tab is the fourth page";
    EXPECT_TRUE(Fourth->Widget()->isVisible());
    EXPECT_FALSE(Second->Widget()->isVisible());
    EXPECT_EQ(Log, QStringList({"changing from SecondSheet", "change to FourthSheet"}));

    Log.clear();
    Allow = false;
    ClickTab(0);
    EXPECT_EQ(Pages->ActivePage(), Fourth);
    EXPECT_EQ(TabBar->currentIndex(), 2) << "the tab row goes back to the page shown";
    EXPECT_EQ(Log, QStringList({"changing from FourthSheet"}));

    // Code changes the page without asking.
    Log.clear();
    Pages->SetActivePage(First);
    Pages->SetTabIndex(1);
    EXPECT_EQ(Pages->ActivePage(), Second);
    EXPECT_EQ(TabBar->currentIndex(), 1);
    EXPECT_TRUE(Log.isEmpty());
    EXPECT_THROW(Pages->SetTabIndex(3), EListError);
}

TEST_F(PageControl, CtrlTabChangesPagesWhileTheFocusIsInside) {
    auto* secondEdit = Find<TEdit>(&Form, "SecondEdit");
    secondEdit->SetFocus();
    ASSERT_TRUE(secondEdit->Focused());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Pages->ActivePage(), Fourth) << "the page with a hidden tab is skipped";
    EXPECT_TRUE(Pages->Focused()) << "a page without controls leaves the focus on the tabs";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Pages->ActivePage(), First) << "wraps around";
    EXPECT_TRUE(Pages->Focused());
    EXPECT_EQ(Log, QStringList({"changing from SecondSheet", "change to FourthSheet",
                                "changing from FourthSheet", "change to FirstSheet"}));

    // The focus on a page moves to the first control of the next one.
    Pages->SetActivePage(Second);
    secondEdit->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Pages->ActivePage(), First);
    EXPECT_TRUE(Find<TEdit>(&Form, "FirstEdit")->Focused());

    // The arrow keys on the control itself change pages as well, through OnChanging.
    Allow = false;
    QTest::keyClick(Pages->Widget(), Qt::Key_Left);
    EXPECT_EQ(Pages->ActivePage(), First);
    Allow = true;
    QTest::keyClick(Pages->Widget(), Qt::Key_Left);
    EXPECT_EQ(Pages->ActivePage(), Fourth);

    // Outside the page control Ctrl+Tab changes nothing.
    auto* outside = Find<TEdit>(&Form, "OutsideEdit");
    outside->SetFocus();
    QTest::keyClick(outside->Widget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Pages->ActivePage(), Fourth);
    EXPECT_TRUE(outside->Focused());
}

TEST_F(PageControl, AltAndATabsAcceleratorChangeThePage) {
    auto* outside = Find<TEdit>(&Form, "OutsideEdit");
    outside->SetFocus();
    ASSERT_EQ(Pages->ActivePage(), Second);
    QTest::keyClick(outside->Widget(), Qt::Key_F, Qt::AltModifier); // '&First'
    EXPECT_EQ(Pages->ActivePage(), First);
    EXPECT_EQ(Log, QStringList({"changing from SecondSheet", "change to FirstSheet"}));
    EXPECT_TRUE(First->Widget()->isVisible());

    // OnChanging may refuse; a letter no caption marks changes nothing.
    Pages->SetActivePage(Second);
    Log.clear();
    Allow = false;
    QTest::keyClick(outside->Widget(), Qt::Key_F, Qt::AltModifier);
    EXPECT_EQ(Pages->ActivePage(), Second);
    EXPECT_EQ(Log, QStringList({"changing from SecondSheet"}));
    Allow = true;
    QTest::keyClick(outside->Widget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(Pages->ActivePage(), Second);
}

TEST_F(PageControl, AClickOnTheEmptyAreaOfASheetFocusesThePageControl) {
    auto* outside = Find<TEdit>(&Form, "OutsideEdit");
    outside->SetFocus();
    ASSERT_EQ(Pages->ActivePage(), Second);
    QTest::mouseClick(Second->Widget(), Qt::LeftButton, {},
                      QPoint(Second->Width() - 4, Second->Height() - 4));
    EXPECT_TRUE(Pages->Focused());
    // A click on a control of the sheet focuses that control.
    auto* secondEdit = Find<TEdit>(&Form, "SecondEdit");
    QTest::mouseClick(secondEdit->Widget(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_TRUE(secondEdit->Focused());
}

TEST_F(PageControl, HiddenTabsKeepTheirPages) {
    EXPECT_EQ(Pages->FindNextPage(Second, true, true), Fourth);
    EXPECT_EQ(Pages->FindNextPage(Second, true, false), Hidden);
    EXPECT_EQ(Pages->FindNextPage(nullptr, false, true), Fourth);

    // Hiding the active page's tab shows the page of the tab taking its place.
    Second->SetTabVisible(false);
    EXPECT_EQ(Pages->ActivePage(), Fourth);
    EXPECT_EQ(TabTexts(TabBar), QStringList({"&First", "Fourth"}));
    EXPECT_EQ(Pages->PageCount(), 4);
    EXPECT_EQ(Second->PageIndex(), 1);

    Hidden->SetTabVisible(true);
    Hidden->SetPageIndex(0);
    EXPECT_EQ(TabTexts(TabBar), QStringList({"Hidden", "&First", "Fourth"}));
    EXPECT_EQ(Pages->Pages(0), Hidden);
    EXPECT_EQ(Pages->TabIndex(), 2);

    // A hidden-tab page can still be shown from code.
    Pages->SetActivePage(Second);
    EXPECT_TRUE(Second->Widget()->isVisible());
    EXPECT_EQ(Pages->TabIndex(), -1);
}

TEST_F(PageControl, SheetsReportShowAndHideAndLeaveWhenDestroyed) {
    QStringList shown;
    for (TTabSheet* sheet : {First, Second, Fourth}) {
        sheet->SetOnShow(TNotifyEvent([&shown](TObject* s) {
            shown << QStringLiteral("show %1").arg(qobject_cast<TComponent*>(s)->Name());
        }));
        sheet->SetOnHide(TNotifyEvent([&shown](TObject* s) {
            shown << QStringLiteral("hide %1").arg(qobject_cast<TComponent*>(s)->Name());
        }));
    }
    Pages->SelectNextPage(false);
    EXPECT_EQ(shown, QStringList({"hide SecondSheet", "show FirstSheet"}));

    delete First;
    EXPECT_EQ(Pages->PageCount(), 3);
    EXPECT_EQ(Pages->ActivePage(), Second) << "the first page with a visible tab";
    EXPECT_EQ(TabTexts(TabBar), QStringList({"Second", "Fourth"}));

    // A sheet made in code joins through its PageControl; another control's sheet is ignored.
    auto* added = new TTabSheet(&Form);
    added->SetCaption(QStringLiteral("Added"));
    added->SetPageControl(Pages);
    EXPECT_EQ(Pages->Pages(3), added);
    EXPECT_EQ(TabTexts(TabBar), QStringList({"Second", "Fourth", "Added"}));
    auto* other = new TPageControl(&Form);
    other->SetParent(&Form);
    auto* foreign = new TTabSheet(&Form);
    foreign->SetPageControl(other);
    Pages->SetActivePage(foreign);
    EXPECT_EQ(Pages->ActivePage(), Second);
    EXPECT_EQ(foreign->PageControl(), other);
}

namespace {

// Switches a log on and off around the inherited page change, as a library control does.
class TGuardedPageControl : public TPageControl {
public:
    using TPageControl::TPageControl;
    QStringList Steps;
    bool Refuse = false;

protected:
    bool CanChange() override {
        Steps << QStringLiteral("can change");
        return !Refuse && TPageControl::CanChange();
    }
    void Change() override {
        Steps << QStringLiteral("changed to %1").arg(ActivePage()->Caption());
        TPageControl::Change();
    }

public:
    // Code and the user both change the page through here, once per change.
    void SetActivePage(TTabSheet* Page) override {
        Steps << QStringLiteral("set %1").arg(Page ? Page->Caption() : QStringLiteral("none"));
        TPageControl::SetActivePage(Page);
    }
};

} // namespace

TEST(PageControlSubclass, OverridesDecideAndFollowUserChanges) {
    TForm form;
    auto* pages = new TGuardedPageControl(&form);
    pages->SetParent(&form);
    for (const char* caption : {"One", "Two"}) {
        auto* sheet = new TTabSheet(&form);
        sheet->SetCaption(QString::fromLatin1(caption));
        sheet->SetPageControl(pages);
    }
    pages->SetActivePageIndex(0);
    form.Show();
    EXPECT_EQ(pages->Steps, QStringList({"set One"})) << "setting the page in code asks nobody";
    pages->Steps.clear();

    pages->Refuse = true;
    pages->SelectNextPage(true);
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    pages->Refuse = false;
    pages->SelectNextPage(true);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(pages->Steps, QStringList({"can change", "can change", "set Two", "changed to Two"}));

    // A click on a tab goes the same way.
    pages->Steps.clear();
    auto* tabs = pages->Widget()->findChild<QTabBar*>();
    ASSERT_TRUE(tabs);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(pages->ActivePageIndex(), 0);
    EXPECT_EQ(pages->Steps, QStringList({"can change", "set One", "changed to One"}));
}

TEST(PageColours, SheetsAndControlsShowTheFormsFaceColour) {
    RegisterTestClasses();
    TForm form;
    form.SetBounds(100, 100, 300, 220);
    auto* pages = new TPageControl(&form);
    pages->SetBounds(0, 0, 300, 180);
    pages->SetParent(&form);
    auto* sheet = new TTabSheet(&form);
    sheet->SetCaption(QStringLiteral("Sheet"));
    sheet->SetPageControl(pages);
    auto* panel = new TPanel(&form);
    panel->SetBounds(20, 20, 100, 60);
    panel->SetParent(sheet);
    auto* check = new TCheckBox(&form);
    check->SetBounds(20, 100, 100, 20);
    check->SetParent(sheet);
    auto* edit = new TEdit(&form);
    edit->SetBounds(150, 20, 100, 22);
    edit->SetParent(sheet);
    auto* formCheck = new TCheckBox(&form);
    formCheck->SetBounds(8, 190, 100, 20);
    formCheck->SetParent(&form);
    pages->SetActivePage(sheet);
    form.Show();
    ProcessEvents();

    EXPECT_EQ(pages->Color(), clBtnFace);
    EXPECT_EQ(sheet->Color(), clBtnFace);
    EXPECT_EQ(check->Color(), clBtnFace);
    EXPECT_EQ(edit->Color(), clWindow) << "edits keep the window colour";
    const QImage sheetImage = sheet->Widget()->grab().toImage();
    EXPECT_EQ(sheetImage.pixelColor(5, 5), ColorToQColor(clBtnFace));
    // The panel's bevel shows its light edge against the sheet.
    const QImage panelImage = panel->Widget()->grab().toImage();
    EXPECT_EQ(panelImage.pixelColor(0, 0), ColorToQColor(clBtnHighlight));
    EXPECT_NE(sheetImage.pixelColor(5, 5), ColorToQColor(clBtnHighlight));

    form.SetColor(clAqua);
    EXPECT_EQ(formCheck->Color(), clAqua) << "a control takes its parent's colour";
    EXPECT_EQ(pages->Color(), clBtnFace);
}
