#pragma once

#include <rtl/Exceptions.h>
#include <rtl/Persistent.h>

class EClipboardError : public Exception {
public:
    using Exception::Exception;
};

// The kinds of data the clipboard can hold.
using TClipboardFormat = int;
constexpr TClipboardFormat CF_TEXT = 1;
constexpr TClipboardFormat CF_BITMAP = 2;
constexpr TClipboardFormat CF_PICTURE = 3;

// The system clipboard. Pictures (TPicture, TBitmap) go in with Assign and come out with
// their own Assign given the clipboard.
class TClipboard : public TPersistent {
    Q_OBJECT
public:
    using TPersistent::TPersistent;

    QString AsText() const;
    void SetAsText(const QString& Value);
    // CF_BITMAP and CF_PICTURE both ask for an image.
    bool HasFormat(TClipboardFormat Format) const;
    void Clear();
    // Puts a picture or bitmap on the clipboard.
    void Assign(TPersistent* Source) override;

protected:
    // Gives a picture or bitmap the clipboard's image; raises EInvalidGraphic when the
    // clipboard holds none.
    void AssignTo(TPersistent* Dest) override;
};

// The application's clipboard, made on first use.
TClipboard* Clipboard();
