#include "BenchMain.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <exception>

int BenchMain(int argc, char** argv, const char* Name, int DefaultRepeat,
              const std::function<int(const QString& Dir, int Repeat)>& Bench) {
    const int repeat = argc == 3 ? std::atoi(argv[2]) : DefaultRepeat;
    if ((argc != 2 && argc != 3) || repeat <= 0) {
        std::fprintf(stderr, "usage: %s DIR [repeat]   (default %d runs)\n", Name, DefaultRepeat);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    try {
        return Bench(QDir(QString::fromLocal8Bit(argv[1])).absolutePath(), repeat);
    } catch (const std::exception& e) {
        // The library's exceptions too: their text is their message.
        std::fprintf(stderr, "%s: %s\n", Name, e.what());
        return 1;
    }
}
