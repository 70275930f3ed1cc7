#include "Database.h"

#include "DataSet.h"
#include "PostgresConnection.h"
#include "Session.h"
#include "SqliteConnection.h"

#include <QDir>
#include <QHash>
#include <rtl/Exceptions.h>

namespace {

QHash<QString, TDriverFactory>& Drivers() {
    static QHash<QString, TDriverFactory> drivers = [] {
        QHash<QString, TDriverFactory> builtIn;
        const TDriverFactory standard = [](const QMap<QString, QString>& params) {
            const QString path = params.value(QStringLiteral("PATH"));
            if (path.isEmpty())
                throw EDatabaseError(QStringLiteral("The alias names no directory (PATH)"));
            if (!QDir(path).exists())
                throw EDatabaseError(QStringLiteral("Directory %1 does not exist").arg(path));
            auto connection = std::make_unique<TSqliteConnection>(
                QDir(path).filePath(QLatin1String(StandardDatabaseFile)));
            if (params.contains(QStringLiteral("BUSYTIMEOUT")))
                connection->SetBusyTimeout(params.value(QStringLiteral("BUSYTIMEOUT")).toInt());
            return std::unique_ptr<TDbConnection>(std::move(connection));
        };
        builtIn.insert(QStringLiteral("STANDARD"), standard);
        builtIn.insert(QStringLiteral("PARADOX"), standard);
        builtIn.insert(QStringLiteral("POSTGRESQL"), [](const QMap<QString, QString>& params) {
            return std::unique_ptr<TDbConnection>(std::make_unique<TPostgresConnection>(params));
        });
        return builtIn;
    }();
    return drivers;
}

} // namespace

void RegisterDriver(const QString& Driver, TDriverFactory Factory) {
    Drivers().insert(Driver.toUpper(), std::move(Factory));
}

TDatabase::TDatabase(TComponent* AOwner)
    : TComponent(AOwner), FParams(new TStringList(this)), FSession(Session()) {
    FSession->AddDatabase(this);
}

TDatabase::~TDatabase() {
    for (TDataSet* dataSet : std::as_const(FDataSets))
        dataSet->Close();
    FConnection.reset();
    if (FSession)
        FSession->RemoveDatabase(this);
}

void TDatabase::SetAliasName(const QString& Value) {
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change the alias of a connected database"));
    FAliasName = Value;
    FDriverName.clear();
}

void TDatabase::SetDatabaseName(const QString& Value) {
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot rename a connected database"));
    FDatabaseName = Value;
}

void TDatabase::SetDriverName(const QString& Value) {
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change the driver of a connected database"));
    FDriverName = Value;
    FAliasName.clear();
}

void TDatabase::Loaded() {
    TComponent::Loaded();
    if (FStreamedConnected)
        Open();
}

void TDatabase::ResolveDriver(QString& Driver, QMap<QString, QString>& Params) const {
    if (!FAliasName.isEmpty()) {
        Driver = Session()->GetAliasDriverName(FAliasName);
        Params = Session()->GetAliasParams(FAliasName);
    } else if (!FDriverName.isEmpty()) {
        Driver = FDriverName.toUpper();
    } else if (Session()->IsAlias(FDatabaseName)) {
        Driver = Session()->GetAliasDriverName(FDatabaseName);
        Params = Session()->GetAliasParams(FDatabaseName);
    } else if (QDir(FDatabaseName).exists() && !FDatabaseName.isEmpty()) {
        Driver = QStringLiteral("STANDARD");
        Params.insert(QStringLiteral("PATH"), FDatabaseName);
    } else {
        throw EDatabaseError(
            QStringLiteral("Unknown database alias or directory: %1").arg(FDatabaseName));
    }
    // The database's own parameters override the alias's.
    for (int i = 0; i < FParams->Count(); ++i)
        if (!FParams->Names(i).isEmpty())
            Params.insert(FParams->Names(i).toUpper(), FParams->ValueFromIndex(i));
}

void TDatabase::SetConnected(bool Value) {
    if (IsLoading()) {
        FStreamedConnected = Value;
        return;
    }
    if (Value == Connected())
        return;
    if (Value) {
        QString driver;
        QMap<QString, QString> params;
        ResolveDriver(driver, params);
        const auto factory = Drivers().constFind(driver);
        if (factory == Drivers().cend())
            throw EDatabaseError(QStringLiteral("Unknown driver %1").arg(driver));
        FConnection = (*factory)(params);
    } else {
        for (TDataSet* dataSet : QList<TDataSet*>(FDataSets))
            dataSet->Close();
        FConnection.reset();
    }
}

TDbConnection* TDatabase::Connection() const {
    if (!FConnection)
        throw EDatabaseError(QStringLiteral("Database %1 is not connected").arg(FDatabaseName));
    return FConnection.get();
}

bool TDatabase::IsSQLBased() const {
    if (FConnection)
        return FConnection->IsSQLBased();
    QString driver;
    QMap<QString, QString> params;
    ResolveDriver(driver, params);
    return driver != QLatin1String("STANDARD") && driver != QLatin1String("PARADOX");
}

bool TDatabase::InTransaction() const {
    return FConnection && FConnection->InTransaction();
}

void TDatabase::StartTransaction() {
    Connection()->StartTransaction();
}

void TDatabase::Commit() {
    Connection()->Commit();
}

void TDatabase::Rollback() {
    Connection()->Rollback();
}

void TDatabase::RegisterDataSet(TDataSet* DataSet) {
    if (!FDataSets.contains(DataSet))
        FDataSets.append(DataSet);
}

void TDatabase::UnregisterDataSet(TDataSet* DataSet) {
    FDataSets.removeAll(DataSet);
}
