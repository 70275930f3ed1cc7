#include "TestForms.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
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
    delete Dialog->NameEdit;
    EXPECT_EQ(Dialog->ActiveControl(), nullptr);
    EXPECT_EQ(Dialog->NameLabel->FocusControl(), nullptr);
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
