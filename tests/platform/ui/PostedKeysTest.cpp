#include "TestForms.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ui/ExtCtrls.h>
#include <ui/StdCtrls.h>

namespace {

// The test dialog shown and active, its name edit focused.
class PostedKeys : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        Dialog = std::make_unique<TTestDialog>();
        Dialog->Show();
        Activate(Dialog.get());
    }

    TWinControl* Focused() const {
        return qobject_cast<TWinControl*>(TWidgetLink::ControlOf(QApplication::focusWidget()));
    }

    // Where a typed Tab, with Modifiers, takes the focus from Control.
    TWinControl* TypedTabFrom(TWinControl* Control, Qt::KeyboardModifiers Modifiers) {
        Control->SetFocus();
        QTest::keyClick(Control->Widget(), Qt::Key_Tab, Modifiers);
        return Focused();
    }

    std::unique_ptr<TTestDialog> Dialog;
};

TEST_F(PostedKeys, APostedTabMovesTheFocusAsATypedOne) {
    const QList<TWinControl*> controls = {Dialog->NameEdit, Dialog->Notes, Dialog->OkButton,
                                          Dialog->CancelButton};
    for (TWinControl* control : controls) {
        for (const bool back : {false, true}) {
            SCOPED_TRACE(control->Name().toStdString() + (back ? " Shift+Tab" : " Tab"));
            TWinControl* typed = TypedTabFrom(control, back ? Qt::ShiftModifier : Qt::NoModifier);
            ASSERT_NE(typed, control);
            control->SetFocus();
            control->PostKeyDown(VK_TAB, back ? TShiftState{ssShift} : TShiftState{});
            EXPECT_EQ(Focused(), control) << "nothing happens before the event loop runs";
            ProcessEvents();
            EXPECT_EQ(Focused(), typed);
        }
    }
}

TEST_F(PostedKeys, KeysAndCharactersGoThroughTheControlsHandlers) {
    TEdit* edit = Dialog->NameEdit;
    edit->SetText(QStringLiteral("ab"));
    edit->SetSelStart(2);
    QList<quint16> keys;
    QString chars;
    edit->SetOnKeyDown(TKeyEvent([&](TObject*, quint16& Key, TShiftState Shift) {
        keys << (Shift.Contains(ssShift) ? Key | 0x1000 : Key);
        if (Key == VK_DELETE)
            Key = 0; // consumed: the text keeps its last letter
    }));
    edit->SetOnKeyPress(TKeyPressEvent([&](TObject*, QChar& Key) {
        chars += Key;
        if (Key == QLatin1Char('x'))
            Key = QLatin1Char('y');
    }));
    edit->PostKeyDown(VK_LEFT, {ssShift});
    edit->PostKeyDown(VK_DELETE);
    edit->PostKeyPress(QLatin1Char('x'));
    ProcessEvents();
    EXPECT_EQ(keys, QList<quint16>({VK_LEFT | 0x1000, VK_DELETE}));
    EXPECT_EQ(chars, QStringLiteral("x"));
    // Shift+Left selected the "b", which the replaced character then overwrote.
    EXPECT_EQ(edit->Text(), QStringLiteral("ay"));
}

TEST_F(PostedKeys, AKeyForADestroyedControlIsDropped) {
    auto* edit = new TEdit(Dialog.get());
    edit->SetParent(Dialog->ClientPanel);
    int seen = 0;
    edit->SetOnKeyPress(TKeyPressEvent([&](TObject*, QChar&) { ++seen; }));
    edit->PostKeyPress(QLatin1Char('a'));
    delete edit;
    ProcessEvents();
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(Focused(), Dialog->NameEdit);
}

} // namespace
