#pragma once

// The popup menu a test opened, found as the application's active popup, and its items.

#include <QStringList>

class QMenu;

QMenu* OpenMenu();
// What the open menu shows: its items, "|" for a separator, each with its shortcut.
QStringList ShownItems();
// The captions of the open menu's enabled items.
QStringList EnabledItems();
// Clicks the open menu's item with this caption; its command runs once the menu closed.
void Choose(const QString& Caption);
