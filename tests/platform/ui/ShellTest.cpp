#include <QStringList>
#include <gtest/gtest.h>
#include <ui/Shell.h>

TEST(ShellOpen, GoesThroughTheInstalledHandlerUntilItIsRemoved) {
    QStringList opened;
    const TShellOpenHandler former = SetShellOpenHandler([&opened](const QString& Target) {
        opened << Target;
        return Target.startsWith(QLatin1String("mailto:"));
    });
    EXPECT_TRUE(ShellOpen(QStringLiteral("mailto:someone@example.org")));
    EXPECT_FALSE(ShellOpen(QStringLiteral("https://example.org")));
    EXPECT_EQ(opened, (QStringList{QStringLiteral("mailto:someone@example.org"),
                                   QStringLiteral("https://example.org")}));
    SetShellOpenHandler(former);
    EXPECT_FALSE(ShellOpen(QString())) << "the desktop opens nothing for an empty target";
    EXPECT_EQ(opened.size(), 2);
}
