#pragma once

// Letting a shown form become the active window, as the window system would.

#include <QApplication>
#include <ui/Forms.h>

inline void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

inline void Activate(TForm* Form) {
    QApplication::setActiveWindow(Form->Widget());
    ProcessEvents();
}
