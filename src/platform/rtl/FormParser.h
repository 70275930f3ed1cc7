#pragma once

#include "FormTree.h"

// Parses the text of a form file. Raises EReadError naming the file, the line and what
// is wrong for any malformed input; nothing is created before the whole text parsed.
TFormObject ParseForm(const QString& text, const QString& fileName);
