#include "rtl/ShortCut.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

const TShiftState Ctrl{ssCtrl};
const TShiftState Shift{ssShift};
const TShiftState Alt{ssAlt};

TEST(ShortCutTest, CodesPackKeyAndModifiers) {
    EXPECT_EQ(ShortCut(VK_ADD, Ctrl), 16491);
    EXPECT_EQ(ShortCut('X', Alt), scAlt | 'X');
    EXPECT_EQ(ShortCut(VK_F5, Shift), scShift | 116);
    EXPECT_EQ(ShortCut('A', {ssShift, ssCtrl, ssAlt, ssLeft}), scShift | scCtrl | scAlt | 'A');
    EXPECT_EQ(ShortCut(0x100, Ctrl), scNone);

    quint16 key = 0;
    TShiftState shift;
    ShortCutToKey(16491, key, shift);
    EXPECT_EQ(key, VK_ADD);
    EXPECT_EQ(shift, Ctrl);
    ShortCutToKey(scShift | scAlt | VK_F2, key, shift);
    EXPECT_EQ(key, VK_F2);
    EXPECT_EQ(shift, TShiftState({ssShift, ssAlt}));
}

TEST(ShortCutTest, TextsBothWays) {
    const std::pair<TShortCut, const char*> cases[] = {
        {16491, "Ctrl+Num +"},
        {ShortCut(VK_DELETE, Ctrl), "Ctrl+Del"},
        {ShortCut(VK_F5, Shift), "Shift+F5"},
        {ShortCut('X', Alt), "Alt+X"},
        {ShortCut(VK_INSERT, Ctrl), "Ctrl+Ins"},
        {VK_F2, "F2"},
        {VK_F12, "F12"},
        {ShortCut('7', Ctrl), "Ctrl+7"},
        {ShortCut('A', {ssShift, ssCtrl, ssAlt}), "Shift+Ctrl+Alt+A"},
        {ShortCut(VK_BACK, Alt), "Alt+BkSp"},
        {VK_RETURN, "Enter"},
        {VK_ESCAPE, "Esc"},
        {VK_SPACE, "Space"},
        {VK_PRIOR, "PgUp"},
        {VK_NEXT, "PgDn"},
        {ShortCut(VK_HOME, Ctrl), "Ctrl+Home"},
        {VK_DOWN, "Down"},
        {VK_NUMPAD0, "Num 0"},
        {ShortCut(VK_NUMPAD9, Shift), "Shift+Num 9"},
        {VK_SUBTRACT, "Num -"},
        {VK_MULTIPLY, "Num *"},
        {VK_DIVIDE, "Num /"},
    };
    for (const auto& [shortCut, text] : cases) {
        EXPECT_EQ(ShortCutToText(shortCut), QLatin1String(text)) << shortCut;
        EXPECT_EQ(TextToShortCut(QLatin1String(text)), shortCut) << text;
    }
}

TEST(ShortCutTest, TextIgnoresCaseAndModifierOrder) {
    EXPECT_EQ(TextToShortCut(QStringLiteral("ctrl+num +")), 16491);
    EXPECT_EQ(TextToShortCut(QStringLiteral("CTRL+DEL")), ShortCut(VK_DELETE, Ctrl));
    EXPECT_EQ(TextToShortCut(QStringLiteral("Alt+Shift+x")), ShortCut('X', {ssShift, ssAlt}));
}

TEST(ShortCutTest, UnknownTextAndKeysHaveNoShortCut) {
    for (const char* text : {"", "Ctrl+", "Hyper+X", "F13", "Ctrl+XY", "Num+", "X+Ctrl"})
        EXPECT_EQ(TextToShortCut(QLatin1String(text)), scNone) << text;
    EXPECT_TRUE(ShortCutToText(scNone).isEmpty());
    EXPECT_TRUE(ShortCutToText(ShortCut(VK_SHIFT, Ctrl)).isEmpty());
}

TEST(ShortCutTest, EveryNamedKeyRoundTripsWithEveryModifierSet) {
    int named = 0;
    for (quint16 key = 0; key <= 0xFF; ++key)
        for (TShortCut modifiers :
             {scNone, scShift, scCtrl, scAlt, TShortCut(scShift | scCtrl | scAlt)}) {
            const TShortCut shortCut = TShortCut(key | modifiers);
            const QString text = ShortCutToText(shortCut);
            if (text.isEmpty())
                continue;
            ++named;
            EXPECT_EQ(TextToShortCut(text), shortCut) << text.toStdString();
        }
    // 15 named keys, 10 digits, 26 letters, 10 numeric-pad digits, 5 numeric-pad operators,
    // 12 function keys; each with 5 modifier sets.
    EXPECT_EQ(named, (15 + 10 + 26 + 10 + 5 + 12) * 5);
}

TEST(ShortCutTest, VirtualKeysMapToQtKeys) {
    bool keypad = true;
    EXPECT_EQ(VirtualKeyToQtKey('A', keypad), Qt::Key_A);
    EXPECT_FALSE(keypad);
    EXPECT_EQ(VirtualKeyToQtKey('5', keypad), Qt::Key_5);
    EXPECT_FALSE(keypad);
    EXPECT_EQ(VirtualKeyToQtKey(VK_F12, keypad), Qt::Key_F12);
    EXPECT_EQ(VirtualKeyToQtKey(VK_PRIOR, keypad), Qt::Key_PageUp);
    EXPECT_EQ(VirtualKeyToQtKey(VK_MENU, keypad), Qt::Key_Alt);
    EXPECT_FALSE(keypad);
    EXPECT_EQ(VirtualKeyToQtKey(VK_ADD, keypad), Qt::Key_Plus);
    EXPECT_TRUE(keypad);
    EXPECT_EQ(VirtualKeyToQtKey(VK_NUMPAD5, keypad), Qt::Key_5);
    EXPECT_TRUE(keypad);
    EXPECT_EQ(VirtualKeyToQtKey(108, keypad), 0);
    EXPECT_EQ(VirtualKeyToQtKey(0x100, keypad), 0);
}

TEST(ShortCutTest, QtKeysMapToVirtualKeys) {
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Plus, Qt::KeypadModifier), VK_ADD);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Plus, Qt::NoModifier), 0);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_7, Qt::KeypadModifier), VK_NUMPAD7);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_7, Qt::NoModifier), '7');
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Comma, Qt::KeypadModifier), VK_DECIMAL);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Home, Qt::KeypadModifier), VK_HOME);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Enter, Qt::KeypadModifier), VK_RETURN);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Backtab, Qt::ShiftModifier), VK_TAB);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_Z, Qt::ControlModifier), 'Z');
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_F1, Qt::NoModifier), VK_F1);
    EXPECT_EQ(QtKeyToVirtualKey(Qt::Key_F13, Qt::NoModifier), 0);

    // Every virtual key with a Qt key comes back from it.
    int mapped = 0;
    for (quint16 key = 1; key <= 0xFF; ++key) {
        bool keypad = false;
        const int qtKey = VirtualKeyToQtKey(key, keypad);
        if (!qtKey)
            continue;
        ++mapped;
        EXPECT_EQ(QtKeyToVirtualKey(qtKey, keypad ? Qt::KeypadModifier : Qt::NoModifier), key)
            << key;
    }
    // 18 named keys, digits, letters, function keys, numeric-pad digits and operators.
    EXPECT_EQ(mapped, 18 + 10 + 26 + 12 + 10 + 5);
}

TEST(ShortCutTest, ShiftStateFromModifiersAndButtons) {
    EXPECT_TRUE(ShiftStateFromQt(Qt::NoModifier, Qt::NoButton).IsEmpty());
    EXPECT_EQ(ShiftStateFromQt(Qt::ShiftModifier | Qt::ControlModifier | Qt::KeypadModifier,
                               Qt::NoButton),
              TShiftState({ssShift, ssCtrl}));
    EXPECT_EQ(ShiftStateFromQt(Qt::AltModifier, Qt::LeftButton | Qt::MiddleButton),
              TShiftState({ssAlt, ssLeft, ssMiddle}));
    EXPECT_EQ(ShiftStateFromQt(Qt::NoModifier, Qt::RightButton), TShiftState{ssRight});
}

TEST(ShortCutTest, KeyEventsGiveShortCuts) {
    const auto shortCutOf = [](int key, Qt::KeyboardModifiers modifiers) {
        return ShortCutFromKeyEvent(QKeyEvent(QEvent::KeyPress, key, modifiers));
    };
    EXPECT_EQ(shortCutOf(Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier), 16491);
    EXPECT_EQ(shortCutOf(Qt::Key_Delete, Qt::ControlModifier), ShortCut(VK_DELETE, Ctrl));
    EXPECT_EQ(shortCutOf(Qt::Key_F5, Qt::ShiftModifier), ShortCut(VK_F5, Shift));
    EXPECT_EQ(shortCutOf(Qt::Key_X, Qt::AltModifier), ShortCut('X', Alt));
    EXPECT_EQ(shortCutOf(Qt::Key_Backtab, Qt::ShiftModifier), ShortCut(VK_TAB, Shift));
    EXPECT_EQ(shortCutOf(Qt::Key_F2, Qt::NoModifier), VK_F2);
    EXPECT_EQ(shortCutOf(Qt::Key_Plus, Qt::ControlModifier), scNone);
}

TEST(ShortCutTest, KeySequencesCarryTheNumericPad) {
    EXPECT_EQ(ShortCutToKeySequence(16491),
              QKeySequence(Qt::ControlModifier | Qt::KeypadModifier | Qt::Key_Plus));
    EXPECT_EQ(ShortCutToKeySequence(ShortCut(VK_DELETE, Ctrl)),
              QKeySequence(Qt::ControlModifier | Qt::Key_Delete));
    EXPECT_EQ(ShortCutToKeySequence(ShortCut('S', {ssShift, ssAlt})),
              QKeySequence(Qt::ShiftModifier | Qt::AltModifier | Qt::Key_S));
    EXPECT_TRUE(ShortCutToKeySequence(scNone).isEmpty());
    EXPECT_TRUE(ShortCutToKeySequence(0x100 | scCtrl).isEmpty());
}

} // namespace
