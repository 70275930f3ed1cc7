#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <rtl/DataPaths.h>

namespace {

TEST(DataPaths, TheUserDataDirectoryIsTheProgramsAndExists) {
    QStandardPaths::setTestModeEnabled(true);
    const QString directory = UserDataDirectory();
    EXPECT_EQ(directory, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    EXPECT_TRUE(QDir::isAbsolutePath(directory));
    EXPECT_FALSE(directory.startsWith(QStringLiteral("c:"), Qt::CaseInsensitive));
    // Made when missing, and writable.
    QDir(directory).removeRecursively();
    ASSERT_EQ(UserDataDirectory(), directory);
    QFile file(directory + QStringLiteral("/probe"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.remove();
    QStandardPaths::setTestModeEnabled(false);
}

} // namespace
