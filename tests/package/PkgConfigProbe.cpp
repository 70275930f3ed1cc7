// Built with the flags of `pkg-config --static kro` alone: the library registers its classes
// and a table class is found by name, as a form file would find it.
#include <QApplication>
#include <cstdio>
#include <library/KroLibrary.h>
#include <rtl/ClassRegistry.h>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    RegisterKroLibrary();
    if (!GetClass(QStringLiteral("TKroTable"))) {
        std::fprintf(stderr, "TKroTable is not registered\n");
        return 1;
    }
    std::printf("pkg-config build: the library is registered\n");
    return 0;
}
