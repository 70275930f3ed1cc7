#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <rtl/Exceptions.h>

class QTextStream;

// Arguments that do not make a command.
class EUsageError : public Exception {
public:
    using Exception::Exception;
};

// A database named on the command line, as the driver that opens it and its parameters.
struct TDatabaseLocation {
    QString Driver;                // "STANDARD" or "POSTGRESQL"
    QMap<QString, QString> Params; // PATH; or HOST, PORT, DATABASE, USER, SCHEMA
    bool operator==(const TDatabaseLocation&) const = default;
};

struct TCopyCommand {
    bool Replace = false;
    TDatabaseLocation Source;
    TDatabaseLocation Target;
};

// A directory (of the embedded engine's tables), or a PostgreSQL database as
// postgresql://[user@][host][:port]/dbname[?schema=name], whose query may also give host
// (such as a socket directory) and port; the password comes from libpq's own sources,
// never from the URL. Raises EUsageError.
TDatabaseLocation ParseDatabaseLocation(const QString& Text);
// The arguments after the program's name: [--replace] SOURCE TARGET. Raises EUsageError,
// also when both name the same database.
TCopyCommand ParseCopyArguments(const QStringList& Arguments);

// The command: copies, printing progress to Out and warnings and errors to Err. Returns
// the exit code: 0 done, 1 failed (nothing written), 2 bad arguments (with the usage).
int RunCopyCommand(const QStringList& Arguments, QTextStream& Out, QTextStream& Err);
