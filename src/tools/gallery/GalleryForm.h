#pragma once

// The control gallery: one form with every kind of control of the platform, over a small
// database of parts of its own.

#include <QImage>
#include <QTemporaryDir>
#include <ui/Forms.h>

// The Part and Kind tables that the gallery's data-aware controls show, in an SQLite
// database in a temporary directory under the session alias "KroGallery", which goes with
// it. Parts have names, kinds, sizes, prices, notes, descriptions and photos.
class TGalleryDatabase {
public:
    TGalleryDatabase();
    ~TGalleryDatabase();
    TGalleryDatabase(const TGalleryDatabase&) = delete;
    TGalleryDatabase& operator=(const TGalleryDatabase&) = delete;

private:
    QTemporaryDir FDir;
};

// The gallery as its form file has it; its tables open as it is read, so a
// TGalleryDatabase must exist first.
class TGalleryForm : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/gallery/Gallery.form")
public:
    Q_INVOKABLE explicit TGalleryForm(TComponent* AOwner = nullptr);

    // The edit commands act on the focused text control.
    Q_INVOKABLE void CutItemClick(TObject* Sender);
    Q_INVOKABLE void CopyItemClick(TObject* Sender);
    Q_INVOKABLE void PasteItemClick(TObject* Sender);
    Q_INVOKABLE void MemoClearItemClick(TObject* Sender);
};

// Registers the classes the gallery's form file names.
void RegisterGalleryClasses();

// The shown Form with each page of its page control active in turn, one picture below
// the other.
QImage RenderGalleryPages(TGalleryForm* Form);
