#include "DataPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString UserDataDirectory() {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (directory.isEmpty())
        directory =
            QDir::tempPath() + QStringLiteral("/kro-") +
            (QCoreApplication::applicationName().isEmpty() ? QStringLiteral("data")
                                                           : QCoreApplication::applicationName());
    QDir().mkpath(directory);
    return directory;
}
