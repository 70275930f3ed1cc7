#pragma once

#include <QMap>
#include <QStringList>
#include <rtl/Component.h>

class TDatabase;

PUBLISHED_ENUM(TConfigModeItem, cmVirtual, cmPersistent, cmSession)
using TConfigMode = TSet<TConfigModeItem>;
inline const TConfigMode cmAll{cmVirtual, cmPersistent, cmSession};

// A named database: its driver ("STANDARD" or "PARADOX" for the embedded engine, whose
// tables live in one file in the directory PATH; "POSTGRESQL" for a server) and its
// parameters (PATH=..., HOST=..., ...).
struct TAlias {
    QString Name;
    QString Driver;
    QMap<QString, QString> Params; // names upper-case
    bool Persistent = false;
};

// The aliases and open databases of the program. Aliases added while ConfigMode holds
// only cmSession live for the process; the others are persistent and kept in the
// engine's configuration file in the user's configuration directory, read at start.
class TSession : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TConfigMode ConfigMode READ ConfigMode WRITE SetConfigMode)
public:
    Q_INVOKABLE explicit TSession(TComponent* AOwner = nullptr);
    ~TSession() override;

    TConfigMode ConfigMode() const { return FConfigMode; }
    void SetConfigMode(TConfigMode Value) { FConfigMode = Value; }

    bool IsAlias(const QString& Name) const;
    void AddStandardAlias(const QString& Name, const QString& Path, const QString& DefaultDriver);
    void AddAlias(const QString& Name, const QString& Driver, const QMap<QString, QString>& Params);
    void DeleteAlias(const QString& Name);
    QStringList GetAliasNames() const;
    QString GetAliasDriverName(const QString& Name) const;
    QMap<QString, QString> GetAliasParams(const QString& Name) const;
    // The tables of a database or alias, without extensions.
    QStringList GetTableNames(const QString& DatabaseName);

    // The configuration file and its reading and writing; the session reads it when made.
    QString ConfigFileName() const;
    void LoadConfigFile();
    void SaveConfigFile() const;

    int DatabaseCount() const { return int(FDatabases.size()); }
    TDatabase* Databases(int Index) const { return FDatabases[Index]; }
    TDatabase* FindDatabase(const QString& DatabaseName) const;
    // The database of that name, made (temporary) and connected when there is none.
    TDatabase* OpenDatabase(const QString& DatabaseName);
    // Lets a temporary database go once no dataset uses it.
    void CloseDatabase(TDatabase* Database);

private:
    friend class TDatabase;
    const TAlias* FindAlias(const QString& Name) const;
    void AddDatabase(TDatabase* Database);
    void RemoveDatabase(TDatabase* Database);

    TConfigMode FConfigMode = cmAll;
    QList<TAlias> FAliases;
    QList<TDatabase*> FDatabases;
};

// The program's session.
TSession* Session();
