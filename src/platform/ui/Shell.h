#pragma once

#include <QString>
#include <functional>

// Opens Target, a web address or a "mailto:" link, with the user's preferred program
// through the handler in place: the desktop's unless a program (or a test) installs
// another. False when nothing could open it.
bool ShellOpen(const QString& Target);

using TShellOpenHandler = std::function<bool(const QString& Target)>;
// Installs Value (an empty handler restores the desktop's) and returns the former one.
TShellOpenHandler SetShellOpenHandler(TShellOpenHandler Value);
