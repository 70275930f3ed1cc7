#include "Shell.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace {

TShellOpenHandler& Handler() {
    static TShellOpenHandler handler;
    return handler;
}

} // namespace

bool ShellOpen(const QString& Target) {
    if (Handler())
        return Handler()(Target);
    const QUrl url = QUrl::fromUserInput(Target);
    return url.isValid() && QDesktopServices::openUrl(url);
}

TShellOpenHandler SetShellOpenHandler(TShellOpenHandler Value) {
    return std::exchange(Handler(), std::move(Value));
}
