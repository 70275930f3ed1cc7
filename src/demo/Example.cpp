// Example [--database DIR | --postgres URL]   the demonstration program (DemoStartup.h)
// Example --generate PEOPLE DIR                 makes the demo database with PEOPLE people
//                                               in DIR, for benchmarks

#include "DemoDatabase.h"
#include "DemoStartup.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <library/KroLibrary.h>
#include <rtl/Exceptions.h>
#include <ui/Application.h>

namespace {

int Generate(const QString& People, const QString& Folder) {
    bool number = false;
    const int count = People.toInt(&number);
    if (!number || count < 0) {
        std::fprintf(stderr, "Example: the number of people is not a number: %s\n",
                     qPrintable(People));
        return 2;
    }
    RegisterDemoAlias({QDir(Folder).absolutePath(), {}});
    if (!GenerateDemoDatabase(DemoAlias, count)) {
        std::fprintf(stderr, "Example: %s holds a demo database already\n", qPrintable(Folder));
        return 1;
    }
    std::printf("Example: the demo database with %d people is in %s\n", count, qPrintable(Folder));
    return 0;
}

int Run(const QStringList& Arguments) {
    if (Arguments.value(0) == QLatin1String("--generate")) {
        if (Arguments.size() != 3) {
            std::fprintf(stderr, "usage: Example --generate PEOPLE DIR\n");
            return 2;
        }
        return Generate(Arguments[1], Arguments[2]);
    }
    const std::optional<TDemoPlace> place =
        DemoPlaceOf(Arguments, QApplication::applicationDirPath());
    if (!place) {
        std::fprintf(stderr, "usage: Example [--database DIR | --postgres URL]\n");
        return 2;
    }
    StartExample(*place);
    Application()->Run();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RegisterKroLibrary();
    try {
        return Run(QApplication::arguments().mid(1));
    } catch (const Exception& e) {
        std::fprintf(stderr, "Example: %s\n", qPrintable(e.Message()));
        return 1;
    }
}
