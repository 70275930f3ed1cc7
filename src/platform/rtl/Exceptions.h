#pragma once

#include <QString>
#include <exception>
#include <functional>

// The exception hierarchy of the component runtime. Every error the system reports
// to the user is an Exception with a message; EAbort cancels an operation silently.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString& Message() const { return FMessage; }
    void SetMessage(const QString& message);
    const char* what() const noexcept override { return FWhat.constData(); }

private:
    QString FMessage;
    QByteArray FWhat;
};

#define DECLARE_EXCEPTION(Name, Base)                                                              \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    };

DECLARE_EXCEPTION(EAbort, Exception)
DECLARE_EXCEPTION(EDatabaseError, Exception)
DECLARE_EXCEPTION(EConvertError, Exception)
DECLARE_EXCEPTION(EInOutError, Exception)
DECLARE_EXCEPTION(EPrinterError, Exception)
DECLARE_EXCEPTION(EListError, Exception)
DECLARE_EXCEPTION(EComponentError, Exception)
DECLARE_EXCEPTION(EPropertyError, Exception)
DECLARE_EXCEPTION(EClassNotFound, Exception)
DECLARE_EXCEPTION(EFilerError, Exception)
DECLARE_EXCEPTION(EReadError, EFilerError)

#undef DECLARE_EXCEPTION

// Cancels the current operation without a message.
[[noreturn]] void Abort();

// The application-wide place where an exception's message reaches the user. The user
// interface installs the handler that shows it; without one the message goes to stderr.
// EAbort never reaches the handler.
using TExceptionHandler = std::function<void(const Exception&)>;
void SetExceptionHandler(TExceptionHandler handler);
void ShowException(const Exception& e);

// Runs action and hands any exception it throws to ShowException; returns whether it
// completed. Exceptions that are not Exceptions are reported with their what() text.
bool HandleExceptions(const std::function<void()>& action);
