#include "CopyDatabaseCommand.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>
#include <QUrlQuery>
#include <db/Database.h>
#include <db/DatabaseCopy.h>

namespace {

const char* const Usage =
    "usage: kro-copydb [--replace] SOURCE TARGET\n"
    "Copies every table of SOURCE into TARGET: columns, indexes and rows.\n"
    "SOURCE and TARGET are each a directory of the embedded engine or a PostgreSQL URL:\n"
    "  postgresql://[user@][host][:port]/dbname[?schema=name]\n"
    "  (the query may also give host, such as a socket directory, and port)\n"
    "The password comes from PGPASSWORD or the password file, never from the command line.\n"
    "  --replace  drop the tables of TARGET that have the name of a table of SOURCE\n";

// Milliseconds between two progress lines of the same table.
constexpr int ProgressInterval = 1000;

TDatabaseLocation ParseUrl(const QString& Text) {
    const QUrl url(Text, QUrl::StrictMode);
    if (!url.isValid())
        throw EUsageError(QStringLiteral("Invalid URL %1: %2").arg(Text, url.errorString()));
    if (url.userInfo().contains(QLatin1Char(':')))
        throw EUsageError(QStringLiteral("No password in the URL: libpq reads it from PGPASSWORD "
                                         "or the password file"));
    const QString path = url.path(QUrl::FullyDecoded);
    const QString database = path.mid(1);
    if (!path.startsWith(QLatin1Char('/')) || database.isEmpty() ||
        database.contains(QLatin1Char('/')))
        throw EUsageError(QStringLiteral("The URL %1 names no database (.../dbname)").arg(Text));

    TDatabaseLocation location{QStringLiteral("POSTGRESQL"), {}};
    location.Params.insert(QStringLiteral("DATABASE"), database);
    if (!url.userName().isEmpty())
        location.Params.insert(QStringLiteral("USER"), url.userName(QUrl::FullyDecoded));
    if (!url.host().isEmpty())
        location.Params.insert(QStringLiteral("HOST"), url.host(QUrl::FullyDecoded));
    if (url.port() >= 0)
        location.Params.insert(QStringLiteral("PORT"), QString::number(url.port()));
    static const QStringList known{QStringLiteral("SCHEMA"), QStringLiteral("HOST"),
                                   QStringLiteral("PORT")};
    const QList<QPair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto& [name, value] : items) {
        const QString key = name.toUpper();
        if (!known.contains(key))
            throw EUsageError(
                QStringLiteral("Unknown URL parameter %1 (schema, host and port are known)")
                    .arg(name));
        if (location.Params.contains(key))
            throw EUsageError(QStringLiteral("The URL %1 gives %2 twice").arg(Text, name));
        location.Params.insert(key, value);
    }
    return location;
}

// A directory as an absolute path, its links resolved where it exists.
QString DirectoryPath(const QString& Text) {
    const QFileInfo info(Text);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

// Whether two locations name one database (whoever connects).
bool SameDatabase(TDatabaseLocation A, TDatabaseLocation B) {
    A.Params.remove(QStringLiteral("USER"));
    B.Params.remove(QStringLiteral("USER"));
    return A == B;
}

// Makes Database reach Location under Name.
void Locate(TDatabase& Database, const QString& Name, const TDatabaseLocation& Location) {
    Database.SetDatabaseName(Name);
    Database.SetDriverName(Location.Driver);
    for (auto param = Location.Params.cbegin(); param != Location.Params.cend(); ++param)
        Database.Params()->SetValues(param.key(), param.value());
}

// The source directory must hold a database; the target's is made when missing.
void CheckDirectories(const TCopyCommand& Command) {
    const QString source = Command.Source.Params.value(QStringLiteral("PATH"));
    if (!source.isEmpty() &&
        !QFileInfo(QDir(source).filePath(QLatin1String(StandardDatabaseFile))).isFile())
        throw EDatabaseError(QStringLiteral("No database in %1 (no file %2)")
                                 .arg(source, QLatin1String(StandardDatabaseFile)));
    const QString target = Command.Target.Params.value(QStringLiteral("PATH"));
    if (!target.isEmpty() && !QDir().mkpath(target))
        throw EDatabaseError(QStringLiteral("Cannot make the directory %1").arg(target));
}

// Prints the steps of a copy: each table's start and end, and its rows at most once per
// ProgressInterval on the way.
class TProgressPrinter {
public:
    TProgressPrinter(QTextStream& Out, QTextStream& Err) : FOut(Out), FErr(Err) {}
    void operator()(const TCopyStep& Step);

private:
    QTextStream& FOut;
    QTextStream& FErr;
    QElapsedTimer FSinceLine;
};

void TProgressPrinter::operator()(const TCopyStep& Step) {
    switch (Step.Kind) {
    case TCopyStep::TableStarted:
        FOut << Step.Table << ": copying " << Step.TotalRows << " rows" << Qt::endl;
        FSinceLine.start();
        break;
    case TCopyStep::RowsCopied:
        if (FSinceLine.elapsed() >= ProgressInterval) {
            FOut << Step.Table << ": " << Step.Rows << " of " << Step.TotalRows << " rows"
                 << Qt::endl;
            FSinceLine.start();
        }
        break;
    case TCopyStep::TableCopied:
        FOut << Step.Table << ": " << Step.Rows << " rows copied" << Qt::endl;
        break;
    case TCopyStep::IndexSkipped:
        FErr << "kro-copydb: warning: " << Step.Table << ": index " << Step.Index
             << " skipped: " << Step.Reason << Qt::endl;
        break;
    }
}

} // namespace

TDatabaseLocation ParseDatabaseLocation(const QString& Text) {
    if (Text.isEmpty())
        throw EUsageError(QStringLiteral("An empty database name"));
    const qsizetype scheme = Text.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return {QStringLiteral("STANDARD"), {{QStringLiteral("PATH"), DirectoryPath(Text)}}};
    const QString name = Text.left(scheme).toLower();
    if (name != QLatin1String("postgresql") && name != QLatin1String("postgres"))
        throw EUsageError(
            QStringLiteral("Unknown kind of database %1:// (postgresql:// is known)").arg(name));
    return ParseUrl(Text);
}

TCopyCommand ParseCopyArguments(const QStringList& Arguments) {
    TCopyCommand command;
    QStringList databases;
    for (const QString& argument : Arguments) {
        if (argument == QLatin1String("--replace"))
            command.Replace = true;
        else if (argument.startsWith(QLatin1Char('-')))
            throw EUsageError(QStringLiteral("Unknown option %1").arg(argument));
        else
            databases << argument;
    }
    if (databases.size() != 2)
        throw EUsageError(QStringLiteral("Give a SOURCE and a TARGET database"));
    command.Source = ParseDatabaseLocation(databases[0]);
    command.Target = ParseDatabaseLocation(databases[1]);
    if (SameDatabase(command.Source, command.Target))
        throw EUsageError(QStringLiteral("SOURCE and TARGET are the same database"));
    return command;
}

int RunCopyCommand(const QStringList& Arguments, QTextStream& Out, QTextStream& Err) {
    if (Arguments == QStringList{QStringLiteral("--help")}) {
        Out << Usage;
        return 0;
    }
    TCopyCommand command;
    try {
        command = ParseCopyArguments(Arguments);
    } catch (const EUsageError& e) {
        Err << "kro-copydb: " << e.Message() << "\n" << Usage << Qt::flush;
        return 2;
    }
    try {
        CheckDirectories(command);
        TDatabase source;
        TDatabase target;
        Locate(source, QStringLiteral("kro-copydb source"), command.Source);
        Locate(target, QStringLiteral("kro-copydb target"), command.Target);
        TCopyOptions options;
        options.Replace = command.Replace;
        options.Progress = TProgressPrinter(Out, Err);
        const QList<TCopiedTable> tables = CopyDatabase(&source, &target, options);
        qint64 rows = 0;
        for (const TCopiedTable& table : tables)
            rows += table.Rows;
        Out << "Copied " << tables.size() << " tables, " << rows << " rows" << Qt::endl;
        return 0;
    } catch (const Exception& e) {
        Err << "kro-copydb: error: " << e.Message() << Qt::endl;
        return 1;
    }
}
