// kro-copydb [--replace] SOURCE TARGET: copies a database into another, of any engine.

#include "CopyDatabaseCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunCopyCommand(QCoreApplication::arguments().mid(1), out, err);
}
