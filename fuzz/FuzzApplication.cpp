#include "FuzzApplication.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <db/DbClasses.h>
#include <ui/UiClasses.h>

void StartFuzzApplication(int* argc, char*** argv) {
    static QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale::c());
    // Left to the end of the process: destroyed by the exit handlers, it would outlive
    // statics of the Gui module that its destruction uses.
    new QApplication(*argc, *argv);
    RegisterUiClasses();
    RegisterDbClasses();
}
