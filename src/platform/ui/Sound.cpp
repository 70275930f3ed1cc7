#include "Sound.h"

#include <QApplication>
#include <utility>

namespace {

TBeepHandler& Handler() {
    static TBeepHandler handler;
    return handler;
}

} // namespace

void Beep() {
    if (Handler())
        Handler()();
    else
        QApplication::beep();
}

TBeepHandler SetBeepHandler(TBeepHandler Value) {
    return std::exchange(Handler(), std::move(Value));
}
