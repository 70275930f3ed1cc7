#include "Exceptions.h"

#include <cstdio>
#include <utility>

Exception::Exception(QString message) : FMessage(std::move(message)), FWhat(FMessage.toUtf8()) {}

void Exception::SetMessage(const QString& message) {
    FMessage = message;
    FWhat = message.toUtf8();
}

void Abort() {
    throw EAbort(QStringLiteral("Operation aborted"));
}

namespace {
TExceptionHandler& Handler() {
    static TExceptionHandler handler;
    return handler;
}
} // namespace

void SetExceptionHandler(TExceptionHandler handler) {
    Handler() = std::move(handler);
}

void ShowException(const Exception& e) {
    if (dynamic_cast<const EAbort*>(&e))
        return;
    if (Handler())
        Handler()(e);
    else
        std::fprintf(stderr, "%s\n", e.what());
}

bool HandleExceptions(const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        ShowException(e);
    } catch (const std::exception& e) {
        ShowException(Exception(QString::fromLocal8Bit(e.what())));
    }
    return false;
}
