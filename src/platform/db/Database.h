#pragma once

#include "Connection.h"

#include <functional>
#include <memory>
#include <rtl/Component.h>
#include <rtl/Strings.h>

class TDataSet;
class TSession;

// Makes the connection of a driver from a database's parameters (PATH, HOST, ...; for
// the embedded engine also BUSYTIMEOUT, the milliseconds a writer waits for a lock).
using TDriverFactory =
    std::function<std::unique_ptr<TDbConnection>(const QMap<QString, QString>& Params)>;
void RegisterDriver(const QString& Driver, TDriverFactory Factory);

// The file that holds the tables of a standard alias's directory.
inline constexpr const char* StandardDatabaseFile = "tables.sqlite3";

// A connection to one database, named for the datasets that use it. Its alias (or its
// driver with parameters, or a directory) says where the data live.
class TDatabase : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString AliasName READ AliasName WRITE SetAliasName)
    Q_PROPERTY(bool Connected READ Connected WRITE SetConnected)
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(QString DriverName READ DriverName WRITE SetDriverName)
    Q_PROPERTY(bool KeepConnection READ KeepConnection WRITE SetKeepConnection)
    Q_PROPERTY(TStrings* Params READ Params)
public:
    Q_INVOKABLE explicit TDatabase(TComponent* AOwner = nullptr);
    ~TDatabase() override;

    QString AliasName() const { return FAliasName; }
    void SetAliasName(const QString& Value);
    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& Value);
    QString DriverName() const { return FDriverName; }
    void SetDriverName(const QString& Value);
    bool KeepConnection() const { return FKeepConnection; }
    void SetKeepConnection(bool Value) { FKeepConnection = Value; }
    TStrings* Params() const { return FParams; }
    bool Temporary() const { return FTemporary; }

    bool Connected() const { return FConnection != nullptr; }
    void SetConnected(bool Value);
    void Open() { SetConnected(true); }
    // Closes the datasets that use the database, then the connection.
    void Close() { SetConnected(false); }
    TDbConnection* Connection() const;

    bool IsSQLBased() const;
    bool InTransaction() const;
    void StartTransaction();
    void Commit();
    void Rollback();

    int DataSetCount() const { return int(FDataSets.size()); }
    TDataSet* DataSets(int Index) const { return FDataSets[Index]; }
    void RegisterDataSet(TDataSet* DataSet);
    void UnregisterDataSet(TDataSet* DataSet);

protected:
    void Loaded() override;

private:
    friend class TSession;
    // The driver and parameters the alias, the driver name or the name itself gives.
    void ResolveDriver(QString& Driver, QMap<QString, QString>& Params) const;

    QString FAliasName;
    QString FDatabaseName;
    QString FDriverName;
    bool FKeepConnection = true;
    bool FTemporary = false;
    bool FStreamedConnected = false;
    TStringList* FParams;
    TSession* FSession;
    std::unique_ptr<TDbConnection> FConnection;
    QList<TDataSet*> FDataSets;
};
