#pragma once

#include <QString>

// Opens Url in the program the user has for it: a web address in the browser, a
// "mailto:" address in the mail program, a local path in its viewer. Raises EConvertError
// for an empty or malformed address and EInOutError when no program takes it.
void ShellOpen(const QString& Url);
