#include "TestForms.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <ui/Spin.h>

namespace {

// A shown, active form with a spin edit and a plain edit to move the focus to.
class SpinEdit : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Spin = new TSpinEdit(&Form);
        Spin->SetParent(&Form);
        Other = new TEdit(&Form);
        Other->SetParent(&Form);
        Other->SetTop(40);
        Spin->SetOnChange(TNotifyEvent([this](TObject*) { ++Changes; }));
        Form.Show();
        Activate(&Form);
        Spin->SetFocus();
    }

    QLineEdit* Line() { return qobject_cast<QLineEdit*>(Spin->Widget()); }
    void Press(Qt::Key Key) { QTest::keyClick(Spin->Widget(), Key); }

    TForm Form;
    TSpinEdit* Spin = nullptr;
    TEdit* Other = nullptr;
    int Changes = 0;
};

} // namespace

TEST_F(SpinEdit, ArrowKeysStepWithinTheLimits) {
    EXPECT_EQ(Spin->Value(), 0);
    EXPECT_EQ(Spin->Text(), QStringLiteral("0"));
    Spin->SetMinValue(-2);
    Spin->SetMaxValue(10);
    Spin->SetIncrement(4);

    Press(Qt::Key_Up);
    Press(Qt::Key_Up);
    EXPECT_EQ(Spin->Value(), 8);
    Press(Qt::Key_Up);
    EXPECT_EQ(Spin->Value(), 10) << "stops at MaxValue";
    EXPECT_EQ(Changes, 3);
    for (int i = 0; i < 4; ++i)
        Press(Qt::Key_Down);
    EXPECT_EQ(Spin->Value(), -2) << "stops at MinValue";
    EXPECT_EQ(Line()->text(), QStringLiteral("-2"));

    Spin->SetValue(50);
    EXPECT_EQ(Spin->Value(), 10);
}

TEST_F(SpinEdit, WithoutLimitsAnyNumberGoes) {
    Spin->SetValue(-12345);
    EXPECT_EQ(Spin->Value(), -12345);
    Press(Qt::Key_Down);
    EXPECT_EQ(Spin->Value(), -12346);
}

TEST_F(SpinEdit, TypedTextIsANumberBroughtIntoRangeOnExit) {
    Spin->SetMaxValue(100);
    Line()->selectAll();
    QTest::keyClicks(Line(), QStringLiteral("1x5y0"));
    EXPECT_EQ(Spin->Text(), QStringLiteral("150")) << "only digits are taken";
    EXPECT_EQ(Spin->Value(), 150) << "typing is not checked until the focus leaves";

    Other->SetFocus();
    EXPECT_EQ(Spin->Text(), QStringLiteral("100"));

    // Text that is no number reads as MinValue.
    Spin->SetMinValue(5);
    Spin->SetText(QStringLiteral("-"));
    EXPECT_EQ(Spin->Value(), 5);
}

TEST_F(SpinEdit, EditorDisabledStillSteps) {
    Spin->SetEditorEnabled(false);
    QTest::keyClicks(Line(), QStringLiteral("7"));
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Delete);
    EXPECT_EQ(Spin->Text(), QStringLiteral("0"));
    Press(Qt::Key_Up);
    EXPECT_EQ(Spin->Value(), 1);

    Spin->SetReadOnly(true);
    Press(Qt::Key_Up);
    EXPECT_EQ(Spin->Value(), 1) << "a read-only edit does not step";
}

TEST_F(SpinEdit, ButtonsStepAndTakeTheFocus) {
    Other->SetFocus();
    QToolButton* up = Spin->Button()->UpButton();
    QToolButton* down = Spin->Button()->DownButton();
    ASSERT_TRUE(up && down);
    QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(Spin->Value(), 1);
    EXPECT_TRUE(Spin->Focused());
    QTest::mouseClick(down, Qt::LeftButton);
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(Spin->Value(), -1);
    EXPECT_EQ(Spin->Button()->Parent(), Spin);
    EXPECT_FALSE(Form.FindComponent(QStringLiteral("Button"))) << "the button is no component";
}

TEST(SpinButton, FiresItsEventsAndForgetsAFreedFocusControl) {
    TForm form;
    auto* button = new TSpinButton(&form);
    button->SetParent(&form);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    button->SetFocusControl(edit);
    QStringList log;
    button->SetOnUpClick(TNotifyEvent([&log](TObject*) { log << QStringLiteral("up"); }));
    button->SetOnDownClick(TNotifyEvent([&log](TObject*) { log << QStringLiteral("down"); }));
    form.Show();
    Activate(&form);

    QTest::mouseClick(button->DownButton(), Qt::LeftButton);
    QTest::mouseClick(button->UpButton(), Qt::LeftButton);
    EXPECT_EQ(log, QStringList({"down", "up"}));
    EXPECT_TRUE(edit->Focused());
    EXPECT_LT(button->UpButton()->geometry().bottom(), button->DownButton()->geometry().top());

    delete edit;
    EXPECT_EQ(button->FocusControl(), nullptr);
    QTest::mouseClick(button->UpButton(), Qt::LeftButton);
    EXPECT_EQ(log.size(), 3);
}

TEST(SpinEditFile, LimitsAndValueLoadFromAFormFile) {
    RegisterTestClasses();
    TForm form;
    ReadComponentFromText(QStringLiteral("object F: TForm\n"
                                         "  object Count: TSpinEdit\n"
                                         "    MaxValue = -1\n"
                                         "    Value = -7\n"
                                         "    MinValue = -9\n"
                                         "    Increment = 2\n"
                                         "    EditorEnabled = False\n"
                                         "  end\n"
                                         "  object Arrows: TSpinButton\n"
                                         "    FocusControl = Count\n"
                                         "  end\n"
                                         "end\n"),
                          QStringLiteral("spin.form"), &form);
    auto* spin = qobject_cast<TSpinEdit*>(form.FindComponent(QStringLiteral("Count")));
    auto* arrows = qobject_cast<TSpinButton*>(form.FindComponent(QStringLiteral("Arrows")));
    ASSERT_TRUE(spin && arrows);
    EXPECT_EQ(spin->Value(), -7) << "read before its limits";
    EXPECT_EQ(spin->Increment(), 2);
    EXPECT_FALSE(spin->EditorEnabled());
    EXPECT_EQ(arrows->FocusControl(), spin);
    const QString text = WriteComponentToText(&form);
    EXPECT_TRUE(text.contains(QStringLiteral("Value = -7"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Text ="))) << text.toStdString();
}
