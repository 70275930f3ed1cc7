#pragma once

// Icons of the desktop's icon theme, looked up by their freedesktop names.

class QString;
class TBitmap;

// Loads the icon Name of the desktop's icon theme into Bitmap at Size x Size pixels, with
// its transparency. Without a desktop naming a theme, the first of Adwaita and hicolor
// found in the data folders serves. False, leaving Bitmap as it was, when no theme has
// the icon.
bool LoadThemeIcon(TBitmap* Bitmap, const QString& Name, int Size);
