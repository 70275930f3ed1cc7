#include "OpenMenu.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

QMenu* OpenMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList ShownItems() {
    QStringList texts;
    for (const QAction* action : OpenMenu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

QStringList EnabledItems() {
    QStringList texts;
    for (const QAction* action : OpenMenu()->actions())
        if (!action->isSeparator() && action->isEnabled())
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

void Choose(const QString& Caption) {
    QMenu* menu = OpenMenu();
    ASSERT_TRUE(menu);
    for (QAction* action : menu->actions())
        if (action->text().section(QLatin1Char('\t'), 0, 0) == Caption) {
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
            // The command runs from the event loop once the menu has closed.
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            return;
        }
    FAIL() << "no item " << Caption.toStdString();
}
