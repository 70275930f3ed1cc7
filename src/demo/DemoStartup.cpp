#include "DemoStartup.h"

#include "DMod1.h"
#include "DemoDatabase.h"
#include "Unit1.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <db/Database.h>
#include <db/DatabaseCopy.h>
#include <db/Session.h>
#include <tools/CopyDatabaseCommand.h>
#include <ui/Application.h>

namespace {

// Runs Change with the session adding aliases for this process only.
template <class F> void ForThisSession(F Change) {
    const TConfigMode saved = Session()->ConfigMode();
    Session()->SetConfigMode({cmSession});
    try {
        Change();
    } catch (...) {
        Session()->SetConfigMode(saved);
        throw;
    }
    Session()->SetConfigMode(saved);
}

// Folders of installed programs, where nobody should write, even the one who could.
bool IsSystemFolder(const QString& Folder) {
    for (const char* prefix : {"/usr/", "/opt/", "/bin", "/sbin", "/snap/"})
        if (Folder.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

// The embedded demo database of a folder under an alias of its own while it is copied.
class TEmbeddedSource {
public:
    explicit TEmbeddedSource(const QString& Folder) {
        ForThisSession([&] {
            QDir().mkpath(Folder);
            Session()->AddStandardAlias(Alias, Folder, QStringLiteral("STANDARD"));
        });
        CreateDemoDatabase(Alias);
    }
    ~TEmbeddedSource() {
        Session()->CloseDatabase(Session()->FindDatabase(Alias));
        ForThisSession([] { Session()->DeleteAlias(Alias); });
    }
    TEmbeddedSource(const TEmbeddedSource&) = delete;
    TEmbeddedSource& operator=(const TEmbeddedSource&) = delete;

    static inline const QString Alias = QStringLiteral("KroExampleEmbedded");
};

} // namespace

std::optional<TDemoPlace> DemoPlaceOf(const QStringList& Arguments, const QString& ProgramFolder) {
    TDemoPlace place{DemoDataFolder(ProgramFolder), {}};
    for (int i = 0; i + 1 < Arguments.size(); i += 2) {
        const QString& value = Arguments[i + 1];
        if (Arguments[i] == QLatin1String("--database"))
            place.Folder = QDir(value).absolutePath();
        else if (Arguments[i] == QLatin1String("--postgres"))
            place.Postgres = value;
        else
            return std::nullopt;
    }
    if (Arguments.size() % 2)
        return std::nullopt;
    return place;
}

QString DemoDataFolder(const QString& ProgramFolder) {
    const QFileInfo program(ProgramFolder);
    const bool holdsDatabase =
        QFileInfo::exists(QDir(ProgramFolder).filePath(QLatin1String(StandardDatabaseFile)));
    if (holdsDatabase || (program.isDir() && program.isWritable() &&
                          !IsSystemFolder(program.absoluteFilePath() + QLatin1Char('/'))))
        return program.absoluteFilePath();
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kro-example");
}

bool RegisterDemoAlias(const TDemoPlace& Place) {
    if (Session()->IsAlias(DemoAlias))
        return false;
    const std::optional<TDatabaseLocation> server =
        Place.Postgres.isEmpty() ? std::nullopt
                                 : std::optional(ParseDatabaseLocation(Place.Postgres));
    if (server && server->Driver != QLatin1String("POSTGRESQL"))
        throw EUsageError(QStringLiteral("%1 is no PostgreSQL database").arg(Place.Postgres));
    ForThisSession([&] {
        if (server) {
            Session()->AddAlias(DemoAlias, server->Driver, server->Params);
        } else {
            QDir().mkpath(Place.Folder);
            Session()->AddStandardAlias(DemoAlias, Place.Folder, QStringLiteral("STANDARD"));
        }
    });
    return true;
}

bool EnsureDemoDatabase(const TDemoPlace& Place) {
    if (Place.Postgres.isEmpty())
        return CreateDemoDatabase(DemoAlias);
    if (!Session()->GetTableNames(DemoAlias).isEmpty())
        return false;
    const TEmbeddedSource source(Place.Folder);
    CopyDatabase(TEmbeddedSource::Alias, DemoAlias);
    return true;
}

void StartExample(const TDemoPlace& Place) {
    Application()->Initialize();
    RegisterDemoAlias(Place);
    EnsureDemoDatabase(Place);
    DemoFilterFolder = Place.Folder;
    InstallDemoFilterHooks();
    Application()->CreateForm(&DM1);
    Application()->CreateForm(&Form1);
    InitKroApplication(true);
}
