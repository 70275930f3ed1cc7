#include "TestForms.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ui/ComCtrls.h>
#include <ui/DBCtrls.h>
#include <ui/DBLookup.h>
#include <ui/ExtCtrls.h>
#include <ui/Screen.h>
#include <ui/StdCtrls.h>

namespace {

// The test dialog shown and active, its name edit focused.
class Focus : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Dialog = std::make_unique<TTestDialog>();
        Dialog->Show();
        Activate(Dialog.get());
    }

    void PressTab(Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Modifiers);
    }

    TWinControl* Focused() const {
        return qobject_cast<TWinControl*>(TWidgetLink::ControlOf(QApplication::focusWidget()));
    }

    TNotifyEvent Logger(const char* What) {
        return TNotifyEvent([this, What](TObject* Sender) {
            Log << QStringLiteral("%1 %2").arg(QLatin1String(What),
                                               qobject_cast<TComponent*>(Sender)->Name());
        });
    }

    std::unique_ptr<TTestDialog> Dialog;
    QStringList Log;
};

using Keys = Focus;

} // namespace

TEST_F(Focus, ActivationFocusesTheActiveControl) {
    EXPECT_EQ(Focused(), Dialog->NameEdit);
    EXPECT_EQ(Dialog->ActiveControl(), Dialog->NameEdit);
    EXPECT_EQ(Screen()->ActiveForm(), Dialog.get());
    EXPECT_EQ(Screen()->ActiveControl(), Dialog->NameEdit);
}

TEST_F(Focus, TabFollowsTabOrderAcrossPanels) {
    // The panels' order in the form file is top, bottom, client; their TabOrder puts the
    // client panel before the bottom one.
    EXPECT_EQ(Dialog->ClientPanel->TabOrder(), 1);
    EXPECT_EQ(Dialog->BottomPanel->TabOrder(), 2);

    const QList<TWinControl*> forward = {Dialog->Notes, Dialog->OkButton, Dialog->CancelButton,
                                         Dialog->NameEdit};
    for (TWinControl* expected : forward) {
        PressTab();
        EXPECT_EQ(Focused(), expected) << expected->Name().toStdString();
        EXPECT_EQ(Dialog->ActiveControl(), expected);
    }
    PressTab(Qt::ShiftModifier);
    EXPECT_EQ(Focused(), Dialog->CancelButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Focused(), Dialog->OkButton);

    Dialog->CancelButton->SetTabOrder(0);
    PressTab();
    EXPECT_EQ(Focused(), Dialog->NameEdit) << "the cancel button now comes before OK";
}

TEST_F(Focus, TabSkipsDisabledHiddenAndNonTabStopControls) {
    Dialog->Notes->SetEnabled(false);
    Dialog->OkButton->SetTabStop(false);
    PressTab();
    EXPECT_EQ(Focused(), Dialog->CancelButton);

    Dialog->Notes->SetEnabled(true);
    Dialog->ClientPanel->Hide();
    PressTab();
    EXPECT_EQ(Focused(), Dialog->NameEdit);
    PressTab();
    EXPECT_EQ(Focused(), Dialog->CancelButton);
    EXPECT_FALSE(Dialog->Notes->CanFocus());
    EXPECT_THROW(Dialog->Notes->SetFocus(), EInvalidOperation);
}

TEST_F(Focus, EnterAndExitFollowTheFocus) {
    for (TWinControl* control :
         {static_cast<TWinControl*>(Dialog->NameEdit), static_cast<TWinControl*>(Dialog->Notes),
          static_cast<TWinControl*>(Dialog->OkButton)}) {
        control->SetOnEnter(Logger("enter"));
        control->SetOnExit(Logger("exit"));
    }
    PressTab();
    Dialog->OkButton->SetFocus();
    QTest::mouseClick(Dialog->NameEdit->Widget(), Qt::LeftButton);
    EXPECT_EQ(Log, QStringList({"exit NameEdit", "enter Notes", "exit Notes", "enter OkButton",
                                "exit OkButton", "enter NameEdit"}));
    EXPECT_TRUE(Dialog->NameEdit->Focused());
}

TEST_F(Focus, DestroyingTheActiveControlClearsIt) {
    QList<TWinControl*> before;
    Dialog->GetTabOrderList(before);
    delete Dialog->NameEdit;
    EXPECT_EQ(Dialog->ActiveControl(), nullptr);
    EXPECT_EQ(Dialog->NameLabel->FocusControl(), nullptr);
    // Tab goes on among the others.
    QList<TWinControl*> after;
    Dialog->GetTabOrderList(after);
    EXPECT_EQ(after.size(), before.size() - 1);
    Dialog->Notes->SetFocus();
    PressTab();
    PressTab();
    EXPECT_EQ(Focused(), Dialog->CancelButton);
}

TEST_F(Keys, KeyPreviewShowsTheFormKeysFirst) {
    Dialog->SetOnKeyDown(TKeyEvent([this](TObject*, quint16& Key, TShiftState) {
        Log << QStringLiteral("form %1").arg(Key);
        if (Key == VK_F2)
            Key = 0;
    }));
    Dialog->SetOnKeyPress(TKeyPressEvent([](TObject*, QChar& Key) {
        if (Key == QLatin1Char('x'))
            Key = QChar();
    }));
    Dialog->NameEdit->SetOnKeyDown(TKeyEvent([this](TObject*, quint16& Key, TShiftState) {
        Log << QStringLiteral("edit %1").arg(Key);
    }));
    QWidget* edit = Dialog->NameEdit->Widget();

    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(Log, QStringList({"edit 65"})) << "without KeyPreview the form sees nothing";

    Log.clear();
    Dialog->SetKeyPreview(true);
    QTest::keyClick(edit, Qt::Key_B);
    QTest::keyClick(edit, Qt::Key_F2);
    QTest::keyClick(edit, Qt::Key_X);
    EXPECT_EQ(Log, QStringList({"form 66", "edit 66", "form 113", "form 88", "edit 88"}));
    EXPECT_EQ(Dialog->NameEdit->Text(), QStringLiteral("ab"));
}

TEST_F(Keys, HandlersCanReplaceOrConsumeKeys) {
    Dialog->NameEdit->SetOnKeyPress(TKeyPressEvent(
        [](TObject*, QChar& Key) { Key = Key.isDigit() ? QChar() : Key.toUpper(); }));
    QTest::keyClicks(Dialog->NameEdit->Widget(), QStringLiteral("ab1c"));
    EXPECT_EQ(Dialog->NameEdit->Text(), QStringLiteral("ABC"));

    // Return as Tab moves to the next control.
    Dialog->NameEdit->SetOnKeyDown(TKeyEvent([](TObject*, quint16& Key, TShiftState) {
        if (Key == VK_RETURN)
            Key = VK_TAB;
    }));
    QTest::keyClick(Dialog->NameEdit->Widget(), Qt::Key_Return);
    EXPECT_EQ(Focused(), Dialog->Notes);
    EXPECT_EQ(Dialog->ModalResult(), mrNone);
}

TEST_F(Keys, ReturnAndEscapeClickTheDefaultAndCancelButtons) {
    QTest::keyClick(Dialog->NameEdit->Widget(), Qt::Key_Return);
    EXPECT_EQ(Dialog->ModalResult(), mrOk);
    EXPECT_EQ(Dialog->Log.last(), QStringLiteral("ok clicked"));

    QTest::keyClick(Dialog->NameEdit->Widget(), Qt::Key_Escape);
    EXPECT_EQ(Dialog->ModalResult(), mrCancel);

    // Return on a focused button clicks that button.
    Dialog->CancelButton->SetFocus();
    Dialog->SetModalResult(mrNone);
    QTest::keyClick(Dialog->CancelButton->Widget(), Qt::Key_Return);
    EXPECT_EQ(Dialog->ModalResult(), mrCancel);

    // The memo keeps Return for a new line.
    Dialog->SetModalResult(mrNone);
    Dialog->Notes->SetFocus();
    QTest::keyClick(Dialog->Notes->Widget(), Qt::Key_Return);
    EXPECT_EQ(Dialog->ModalResult(), mrNone);
    EXPECT_EQ(Dialog->Notes->Lines()->Count(), 3);
}

namespace {

// A form of controls that show the focus themselves, after an edit where the focus starts.
class FocusMarks : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Form.SetBounds(100, 100, 420, 300);
        int top = 8;
        auto place = [&top, this](TWinControl* Control, int Height = 24) {
            Control->SetBounds(8, top, 180, Height);
            Control->SetParent(&Form);
            top += Height + 6;
        };
        place(Edit);
        Check->SetCaption(QStringLiteral("Check"));
        place(Check);
        Radio->SetCaption(QStringLiteral("Radio"));
        Radio->SetChecked(true);
        place(Radio);
        Button->SetCaption(QStringLiteral("Button"));
        place(Button);
        place(Combo);
        place(Image, 60);
        Pages->SetBounds(200, 8, 200, 150);
        Pages->SetParent(&Form);
        for (const char* caption : {"One", "Two"}) {
            auto* sheet = new TTabSheet(&Form);
            sheet->SetCaption(QString::fromLatin1(caption));
            sheet->SetPageControl(Pages);
        }
        Pages->SetActivePage(Pages->Pages(0));
        Form.Show();
        Activate(&Form);
        Edit->SetFocus();
        ProcessEvents();
    }

    // The control as drawn now.
    static QImage Look(TControl* Control) {
        ProcessEvents();
        return Control->Widget()->grab().toImage();
    }

    TForm Form;
    TEdit* Edit = new TEdit(&Form);
    TCheckBox* Check = new TCheckBox(&Form);
    TRadioButton* Radio = new TRadioButton(&Form);
    TButton* Button = new TButton(&Form);
    TDBLookupComboBox* Combo = new TDBLookupComboBox(&Form);
    TDBImage* Image = new TDBImage(&Form);
    TPageControl* Pages = new TPageControl(&Form);
};

} // namespace

TEST_F(FocusMarks, TabShowsAFocusMarkOnEachControl) {
    const QList<TWinControl*> order{Check, Radio, Button, Combo, Image, Pages};
    QList<QImage> unfocused;
    for (TWinControl* control : order)
        unfocused << Look(control);
    for (qsizetype i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(order[i]->Focused()) << order[i]->ClassName().toStdString();
        EXPECT_NE(Look(order[i]), unfocused[i])
            << order[i]->ClassName().toStdString() << " shows no focus";
    }
}

TEST_F(FocusMarks, AClickFocusesAndMarksTheControl) {
    const QImage before = Look(Check);
    QTest::mouseClick(Check->Widget(), Qt::LeftButton, {}, QPoint(5, 12));
    ASSERT_TRUE(Check->Focused());
    EXPECT_TRUE(Check->Checked());
    Check->SetChecked(false);
    EXPECT_NE(Look(Check), before);

    // A click on a tab focuses the page control; the arrows then switch its pages.
    auto* tabs = qobject_cast<QTabBar*>(Pages->Widget()->childAt(5, 5));
    ASSERT_TRUE(tabs);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_TRUE(Pages->Focused());
    EXPECT_EQ(Pages->ActivePage(), Pages->Pages(1));
    const QImage focused = Look(Pages);
    Edit->SetFocus();
    EXPECT_NE(Look(Pages), focused);
    Pages->SetFocus();
    QTest::keyClick(Pages->Widget(), Qt::Key_Left);
    EXPECT_EQ(Pages->ActivePage(), Pages->Pages(0));
}

TEST_F(FocusMarks, TheLookupComboHighlightsItsTextWhileFocused) {
    auto highlighted = [](const QImage& Image) {
        const QColor highlight = ColorToQColor(clHighlight);
        for (int x = 0; x < Image.width(); ++x)
            if (Image.pixelColor(x, Image.height() / 2) == highlight)
                return true;
        return false;
    };
    EXPECT_FALSE(highlighted(Look(Combo)));
    Combo->SetFocus();
    EXPECT_TRUE(highlighted(Look(Combo)));
    Edit->SetFocus();
    EXPECT_FALSE(highlighted(Look(Combo)));
}

TEST(RadioGroup, IsOneTabStopMovedInWithTheArrows) {
    RegisterTestClasses();
    TForm form;
    auto add = [&form](TWinControl* Control, int Top) {
        Control->SetBounds(8, Top, 150, 22);
        Control->SetParent(&form);
        return Control;
    };
    auto* edit = static_cast<TEdit*>(add(new TEdit(&form), 8));
    QList<TRadioButton*> radios;
    for (int i = 0; i < 3; ++i)
        radios << static_cast<TRadioButton*>(add(new TRadioButton(&form), 40 + 26 * i));
    auto* button = add(new TButton(&form), 130);
    form.Show();
    Activate(&form);
    edit->SetFocus();
    auto tab = [](Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Modifiers);
    };

    // None checked: the first button is the group's stop.
    tab();
    EXPECT_TRUE(radios[0]->Focused());
    tab();
    EXPECT_TRUE(button->Focused());

    radios[1]->SetChecked(true);
    edit->SetFocus();
    tab();
    EXPECT_TRUE(radios[1]->Focused()) << "the checked button";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(radios[2]->Focused());
    EXPECT_TRUE(radios[2]->Checked());
    EXPECT_FALSE(radios[1]->Checked());
    tab();
    EXPECT_TRUE(button->Focused());
    tab(Qt::ShiftModifier);
    EXPECT_TRUE(radios[2]->Focused());
    tab(Qt::ShiftModifier);
    EXPECT_TRUE(edit->Focused());
}
