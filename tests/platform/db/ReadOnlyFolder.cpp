#include "ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

TReadOnlyFolder::TReadOnlyFolder(const QString& Path) : FPath(Path), FWasRoot(geteuid() == 0) {
    SetWritable(false);
    if (FWasRoot)
        setfsuid(65534);
}

TReadOnlyFolder::~TReadOnlyFolder() {
    if (FWasRoot)
        setfsuid(0);
    SetWritable(true);
}

void TReadOnlyFolder::SetWritable(bool Writable) const {
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto write = Writable ? QFile::WriteOwner : QFile::Permissions();
    const auto enter = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    const QDir folder(FPath);
    for (const QString& file : folder.entryList(QDir::Files | QDir::Hidden))
        ASSERT_TRUE(QFile::setPermissions(folder.filePath(file), readable | write));
    ASSERT_TRUE(QFile::setPermissions(FPath, readable | enter | write));
}
