#pragma once

#include <QString>

class TComponent;

// Form files: reading components from text and writing them as text. Form files use
// the extension ".form"; the program's own are compiled in as Qt resources (":/...").

// Reads a form into instance, or into a new component of the class the form names,
// owned by owner. Names and handlers the form does not define resolve in lookupRoot
// when given. Raises EReadError naming the file and line.
TComponent* ReadComponentFromText(const QString& text, const QString& fileName,
                                  TComponent* instance = nullptr, TComponent* owner = nullptr,
                                  TComponent* lookupRoot = nullptr);
// The same from a file or a resource path; EInOutError when it cannot be read.
TComponent* ReadComponentFromFile(const QString& path, TComponent* instance = nullptr,
                                  TComponent* owner = nullptr);

// The form text of component and its children; names are relative to root (by default
// the component's owner, or the component itself).
QString WriteComponentToText(TComponent* component, TComponent* root = nullptr);
void WriteComponentToFile(TComponent* component, const QString& path);
