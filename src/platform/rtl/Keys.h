#pragma once

#include "Enums.h"

// Virtual-key codes as key events and shortcuts carry them. Digits and letters are their
// upper-case character codes ('0'..'9', 'A'..'Z').
constexpr quint16 VK_BACK = 8;
constexpr quint16 VK_TAB = 9;
constexpr quint16 VK_RETURN = 13;
constexpr quint16 VK_SHIFT = 16;
constexpr quint16 VK_CONTROL = 17;
constexpr quint16 VK_MENU = 18;
constexpr quint16 VK_ESCAPE = 27;
constexpr quint16 VK_SPACE = 32;
constexpr quint16 VK_PRIOR = 33;
constexpr quint16 VK_NEXT = 34;
constexpr quint16 VK_END = 35;
constexpr quint16 VK_HOME = 36;
constexpr quint16 VK_LEFT = 37;
constexpr quint16 VK_UP = 38;
constexpr quint16 VK_RIGHT = 39;
constexpr quint16 VK_DOWN = 40;
constexpr quint16 VK_INSERT = 45;
constexpr quint16 VK_DELETE = 46;
constexpr quint16 VK_NUMPAD0 = 96;
constexpr quint16 VK_NUMPAD1 = 97;
constexpr quint16 VK_NUMPAD2 = 98;
constexpr quint16 VK_NUMPAD3 = 99;
constexpr quint16 VK_NUMPAD4 = 100;
constexpr quint16 VK_NUMPAD5 = 101;
constexpr quint16 VK_NUMPAD6 = 102;
constexpr quint16 VK_NUMPAD7 = 103;
constexpr quint16 VK_NUMPAD8 = 104;
constexpr quint16 VK_NUMPAD9 = 105;
constexpr quint16 VK_MULTIPLY = 106;
constexpr quint16 VK_ADD = 107;
constexpr quint16 VK_SUBTRACT = 109;
constexpr quint16 VK_DECIMAL = 110;
constexpr quint16 VK_DIVIDE = 111;
constexpr quint16 VK_F1 = 112;
constexpr quint16 VK_F2 = 113;
constexpr quint16 VK_F3 = 114;
constexpr quint16 VK_F4 = 115;
constexpr quint16 VK_F5 = 116;
constexpr quint16 VK_F6 = 117;
constexpr quint16 VK_F7 = 118;
constexpr quint16 VK_F8 = 119;
constexpr quint16 VK_F9 = 120;
constexpr quint16 VK_F10 = 121;
constexpr quint16 VK_F11 = 122;
constexpr quint16 VK_F12 = 123;

// The modifier keys and mouse buttons held during a key or mouse event.
PUBLISHED_ENUM(TShiftStateItem, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateItem>;
