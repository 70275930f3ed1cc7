// Example                          the demonstration program
// Example --generate PEOPLE DIR    makes the demo database with PEOPLE people in DIR (for
//                                  benchmarks: a million people take about a minute)

#include "DemoDatabase.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <cstdio>
#include <db/Session.h>
#include <library/KroLibrary.h>
#include <rtl/Exceptions.h>

namespace {

int Generate(const QString& People, const QString& Folder) {
    bool number = false;
    const int count = People.toInt(&number);
    if (!number || count < 0) {
        std::fprintf(stderr, "Example: the number of people is not a number: %s\n",
                     qPrintable(People));
        return 2;
    }
    QDir().mkpath(Folder);
    Session()->SetConfigMode({cmSession});
    Session()->AddStandardAlias(DemoAlias, QDir(Folder).absolutePath(), QStringLiteral("STANDARD"));
    if (!CreateDemoDatabase(DemoAlias, qMin(count, DemoPeopleCount))) {
        std::fprintf(stderr, "Example: %s holds a demo database already\n", qPrintable(Folder));
        return 1;
    }
    AddDemoPeople(DemoAlias, count - qMin(count, DemoPeopleCount));
    std::printf("Example: the demo database with %d people is in %s\n", count, qPrintable(Folder));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    RegisterKroLibrary();
    const QStringList arguments = QApplication::arguments();
    if (arguments.value(1) == QLatin1String("--generate")) {
        if (arguments.size() != 4) {
            std::fprintf(stderr, "usage: Example --generate PEOPLE DIR\n");
            return 2;
        }
        try {
            return Generate(arguments[2], arguments[3]);
        } catch (const Exception& e) {
            std::fprintf(stderr, "Example: %s\n", qPrintable(e.Message()));
            return 1;
        }
    }
    QMainWindow window;
    window.setWindowTitle("Example");
    auto* label = new QLabel("The demonstration program is under construction.");
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(640, 400);
    window.show();
    return app.exec();
}
