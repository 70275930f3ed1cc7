#pragma once

#include <memory>

class TComponent;

// Writes Root as a form and puts in its place what reading the text back gives; aborts,
// showing the text, when it does not read back.
void ReadBackWritten(std::unique_ptr<TComponent>& Root);
