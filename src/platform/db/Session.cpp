#include "Session.h"

#include "Database.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <rtl/Exceptions.h>

TSession::TSession(TComponent* AOwner) : TComponent(AOwner) {
    LoadConfigFile();
}

TSession::~TSession() {
    // Databases owned elsewhere outlive the session's list of them.
    for (TDatabase* database : std::as_const(FDatabases))
        database->FSession = nullptr;
}

TSession* Session() {
    static TSession session;
    return &session;
}

const TAlias* TSession::FindAlias(const QString& Name) const {
    for (const TAlias& alias : FAliases) {
        const bool visible =
            alias.Persistent ? FConfigMode.Contains(cmPersistent) : FConfigMode.Contains(cmSession);
        if (visible && alias.Name.compare(Name, Qt::CaseInsensitive) == 0)
            return &alias;
    }
    return nullptr;
}

bool TSession::IsAlias(const QString& Name) const {
    return FindAlias(Name) != nullptr;
}

void TSession::AddStandardAlias(const QString& Name, const QString& Path,
                                const QString& DefaultDriver) {
    const QString driver = DefaultDriver.isEmpty() ? QStringLiteral("STANDARD") : DefaultDriver;
    if (driver.compare(QLatin1String("STANDARD"), Qt::CaseInsensitive) != 0 &&
        driver.compare(QLatin1String("PARADOX"), Qt::CaseInsensitive) != 0)
        throw EDatabaseError(QStringLiteral("Unknown driver %1 for a standard alias").arg(driver));
    AddAlias(Name, driver.toUpper(), {{QStringLiteral("PATH"), Path}});
}

void TSession::AddAlias(const QString& Name, const QString& Driver,
                        const QMap<QString, QString>& Params) {
    if (!IsValidIdent(Name) && Name.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("Invalid alias name '%1'").arg(Name));
    for (const TAlias& alias : std::as_const(FAliases))
        if (alias.Name.compare(Name, Qt::CaseInsensitive) == 0)
            throw EDatabaseError(QStringLiteral("Alias '%1' already exists").arg(Name));
    TAlias alias;
    alias.Name = Name;
    alias.Driver = Driver.toUpper();
    for (auto it = Params.begin(); it != Params.end(); ++it)
        alias.Params.insert(it.key().toUpper(), it.value());
    // Only a session configuration keeps an alias out of the file.
    alias.Persistent = FConfigMode.Contains(cmPersistent);
    FAliases.append(alias);
    if (alias.Persistent)
        SaveConfigFile();
}

void TSession::DeleteAlias(const QString& Name) {
    for (qsizetype i = 0; i < FAliases.size(); ++i) {
        if (FAliases[i].Name.compare(Name, Qt::CaseInsensitive) != 0)
            continue;
        const bool persistent = FAliases[i].Persistent;
        FAliases.removeAt(i);
        if (persistent)
            SaveConfigFile();
        return;
    }
    throw EDatabaseError(QStringLiteral("Alias '%1' not found").arg(Name));
}

QStringList TSession::GetAliasNames() const {
    QStringList names;
    for (const TAlias& alias : FAliases)
        if (FindAlias(alias.Name) == &alias)
            names << alias.Name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

QString TSession::GetAliasDriverName(const QString& Name) const {
    const TAlias* alias = FindAlias(Name);
    if (!alias)
        throw EDatabaseError(QStringLiteral("Alias '%1' not found").arg(Name));
    return alias->Driver;
}

QMap<QString, QString> TSession::GetAliasParams(const QString& Name) const {
    const TAlias* alias = FindAlias(Name);
    if (!alias)
        throw EDatabaseError(QStringLiteral("Alias '%1' not found").arg(Name));
    return alias->Params;
}

QStringList TSession::GetTableNames(const QString& DatabaseName) {
    TDatabase* database = OpenDatabase(DatabaseName);
    QStringList names = database->Connection()->TableNames();
    CloseDatabase(database);
    return names;
}

QString TSession::ConfigFileName() const {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kro/aliases.conf");
}

void TSession::LoadConfigFile() {
    FAliases.removeIf([](const TAlias& a) { return a.Persistent; });
    QSettings file(ConfigFileName(), QSettings::IniFormat);
    for (const QString& group : file.childGroups()) {
        file.beginGroup(group);
        TAlias alias;
        alias.Name = file.value(QStringLiteral("Name"), group).toString();
        alias.Driver = file.value(QStringLiteral("Driver")).toString().toUpper();
        alias.Persistent = true;
        for (const QString& key : file.childKeys())
            if (key != QLatin1String("Name") && key != QLatin1String("Driver"))
                alias.Params.insert(key.toUpper(), file.value(key).toString());
        file.endGroup();
        if (!alias.Name.isEmpty() && !alias.Driver.isEmpty())
            FAliases.append(alias);
    }
}

void TSession::SaveConfigFile() const {
    QDir().mkpath(QFileInfo(ConfigFileName()).absolutePath());
    QSettings file(ConfigFileName(), QSettings::IniFormat);
    file.clear();
    for (const TAlias& alias : FAliases) {
        if (!alias.Persistent)
            continue;
        file.beginGroup(alias.Name.toUpper());
        file.setValue(QStringLiteral("Name"), alias.Name);
        file.setValue(QStringLiteral("Driver"), alias.Driver);
        for (auto it = alias.Params.begin(); it != alias.Params.end(); ++it)
            file.setValue(it.key(), it.value());
        file.endGroup();
    }
    file.sync();
    if (file.status() != QSettings::NoError)
        throw EInOutError(
            QStringLiteral("Cannot write the configuration file %1").arg(ConfigFileName()));
}

TDatabase* TSession::FindDatabase(const QString& DatabaseName) const {
    for (TDatabase* database : FDatabases)
        if (database->DatabaseName().compare(DatabaseName, Qt::CaseInsensitive) == 0)
            return database;
    return nullptr;
}

TDatabase* TSession::OpenDatabase(const QString& DatabaseName) {
    TDatabase* database = FindDatabase(DatabaseName);
    if (!database) {
        if (DatabaseName.isEmpty())
            throw EDatabaseError(QStringLiteral("Missing DatabaseName"));
        database = new TDatabase(this);
        database->SetDatabaseName(DatabaseName);
        database->FTemporary = true;
    }
    try {
        database->Open();
    } catch (...) {
        if (database->Temporary())
            delete database;
        throw;
    }
    return database;
}

void TSession::CloseDatabase(TDatabase* Database) {
    if (Database && Database->Temporary() && Database->DataSetCount() == 0)
        delete Database;
}

void TSession::AddDatabase(TDatabase* Database) {
    if (!FDatabases.contains(Database))
        FDatabases.append(Database);
}

void TSession::RemoveDatabase(TDatabase* Database) {
    FDatabases.removeAll(Database);
}
