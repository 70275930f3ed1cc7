#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <gtest/gtest.h>
#ifdef KRO_REGISTER_LIBRARY
#include <library/KroLibrary.h>
#endif

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Configuration files the tests write go to a test location, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    // Texts shown to the user follow the locale: the tests fix one, whatever the machine's.
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);
#ifdef KRO_REGISTER_LIBRARY
    RegisterKroLibrary();
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
