#include "BenchMain.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

int Run(int argc, char** argv, const char* Name, int DefaultRepeat, bool Engines,
        const std::function<int(const QString& Dir, int Repeat, bool OnServer)>& Bench) {
    const bool onServer = Engines && argc > 1 && std::strcmp(argv[1], "--postgres") == 0;
    const int first = onServer ? 2 : 1;
    const int repeat = argc == first + 2 ? std::atoi(argv[first + 1]) : DefaultRepeat;
    if ((argc != first + 1 && argc != first + 2) || repeat <= 0) {
        std::fprintf(stderr, "usage: %s %sDIR [repeat]   (default %d runs)\n", Name,
                     Engines ? "[--postgres] " : "", DefaultRepeat);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    try {
        return Bench(QDir(QString::fromLocal8Bit(argv[first])).absolutePath(), repeat, onServer);
    } catch (const std::exception& e) {
        // The library's exceptions too: their text is their message.
        std::fprintf(stderr, "%s: %s\n", Name, e.what());
        return 1;
    }
}

} // namespace

int BenchMain(int argc, char** argv, const char* Name, int DefaultRepeat,
              const std::function<int(const QString& Dir, int Repeat)>& Bench) {
    return Run(argc, argv, Name, DefaultRepeat, false,
               [&](const QString& Dir, int Repeat, bool) { return Bench(Dir, Repeat); });
}

int BenchMainOnEngines(
    int argc, char** argv, const char* Name, int DefaultRepeat,
    const std::function<int(const QString& Dir, int Repeat, bool OnServer)>& Bench) {
    return Run(argc, argv, Name, DefaultRepeat, true, Bench);
}
