#pragma once

// What the programs that draw a window to a PNG for review share.

#include <QStringList>
#include <functional>

class QPixmap;
class QWidget;

// Writes Picture to Out and prints Out; raises std::runtime_error when it cannot.
void SavePicture(const QPixmap& Picture, const QString& Out);

// Window grabbed with the window Popup (a drop-down above it) drawn where it shows.
QPixmap GrabWithPopup(QWidget* Window, QWidget* Popup);

// The main routine of such a program called Name: checks that Count arguments follow the
// program's name (else prints "usage: Name Usage"), starts an application on the offscreen
// platform unless QT_QPA_PLATFORM names another, and runs Render with the arguments;
// an exception is printed under Name.
int RenderMain(int argc, char** argv, const char* Name, int Count, const char* Usage,
               const std::function<int(const QStringList& Arguments)>& Render);
