#pragma once

#include <QSize>
#include <QString>
#include <rtl/Alignment.h>

class QObject;
class TComponent;
class TFont;

// General routines shared across the library.

// S placed in exactly Width characters: cut when not shorter, else padded with spaces
// on the right (left alignment), on the left (right) or on both sides (centre).
QString PadString(const QString& S, int Width, TAlignment Alignment);

// The object's published string property of that name, or "" when it has none.
QString GetStrPropByName(const QObject* Object, const QString& Name);
// Sets it and returns true; false when the object has no such string property.
bool SetStrPropByName(QObject* Object, const QString& Name, const QString& Value);

// Gives Dest, for every published event of Source, Source's handler when Dest has an
// event property of that name and the same type.
void CopyEventHandlers(const QObject* Source, QObject* Dest);

// Width and height of Text in Font measured on an off-screen image; for an empty Text
// the width of "0" and the height of "W".
QSize GetFontMetrics(const TFont* Font, const QString& Text);

// A new component of the same class with the same stored properties and children, made
// by writing Component as a form and reading it back; the caller owns it. Names and
// handlers resolve in Component's owner.
TComponent* CloneComponent(TComponent* Component);
