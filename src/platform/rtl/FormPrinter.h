#pragma once

#include "FormTree.h"

// Prints a parsed form as the text of a form file, two spaces of indent a level.
QString PrintForm(const TFormObject& root);
