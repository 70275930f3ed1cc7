// kro-gallery: shows the control gallery as a window to try by hand.
// kro-gallery OUT.png: shows it on the current platform and writes its pages, one below
// the other, to OUT.png.

#include "GalleryForm.h"

#include <QApplication>
#include <cstdio>
#include <rtl/Exceptions.h>
#include <ui/Application.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 2) {
        std::fprintf(stderr, "usage: kro-gallery [OUT.png]\n");
        return 2;
    }
    try {
        RegisterGalleryClasses();
        TGalleryDatabase database;
        if (argc == 1) {
            Application()->Initialize();
            Application()->CreateForm<TGalleryForm>();
            Application()->Run();
            // The form's tables close before their database goes.
            delete Application()->MainForm();
            return 0;
        }
        TGalleryForm form;
        form.Show();
        QApplication::setActiveWindow(form.Widget());
        QApplication::processEvents();
        const QString out = QString::fromLocal8Bit(argv[1]);
        if (!RenderGalleryPages(&form).save(out)) {
            std::fprintf(stderr, "kro-gallery: cannot write %s\n", argv[1]);
            return 1;
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "kro-gallery: %s\n", e.what());
        return 1;
    }
    return 0;
}
