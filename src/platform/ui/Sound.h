#pragma once

#include <functional>

// Sounds the system's warning beep through the handler in place: the window system's
// beep unless a program (or a test that counts beeps) installs another.
void Beep();

using TBeepHandler = std::function<void()>;
// Installs Value (an empty handler restores the system's beep) and returns the former one.
TBeepHandler SetBeepHandler(TBeepHandler Value);
