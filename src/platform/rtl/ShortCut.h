#pragma once

#include "Keys.h"

#include <QKeySequence>

class QKeyEvent;

// A key with its modifiers in one word, as menu items and actions store it: the
// virtual-key code in the low byte plus scShift, scCtrl and scAlt.
using TShortCut = quint16;

constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// scNone when Key is not a virtual-key code (above 255).
TShortCut ShortCut(quint16 Key, TShiftState Shift);
void ShortCutToKey(TShortCut Value, quint16& Key, TShiftState& Shift);
// "Ctrl+Num +", "Shift+F5"; empty when the key has no name.
QString ShortCutToText(TShortCut Value);
// The inverse of ShortCutToText, ignoring case; scNone for text it does not know.
TShortCut TextToShortCut(const QString& Text);

// The Qt key of a virtual key; Keypad tells whether it is on the numeric pad. 0 when none.
int VirtualKeyToQtKey(quint16 Key, bool& Keypad);
// The virtual key of a Qt key; numeric-pad keys carry Qt::KeypadModifier. 0 when none.
quint16 QtKeyToVirtualKey(int QtKey, Qt::KeyboardModifiers Modifiers);
// Shift, Alt and Ctrl from the modifiers; Left, Right and Middle from the buttons.
TShiftState ShiftStateFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
QKeySequence ShortCutToKeySequence(TShortCut Value);
TShortCut ShortCutFromKeyEvent(const QKeyEvent& Event);
