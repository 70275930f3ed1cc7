#include "PeopleServer.h"

#include <cstdio>
#include <db/Database.h>
#include <db/DatabaseCopy.h>
#include <db/PostgresConnection.h>
#include <db/Session.h>
#include <stdexcept>
#include <string>

QString ServerSchema(std::int64_t People) {
    return QStringLiteral("bench_demo1_%1").arg(People);
}

namespace {

// The server's connection parameters, in schema Schema; throws without KRO_PG_HOST.
QMap<QString, QString> ServerParams(const QString& Schema) {
    QMap<QString, QString> params;
    for (const char* name : {"HOST", "PORT", "USER", "DATABASE"})
        params.insert(QLatin1String(name),
                      qEnvironmentVariable((std::string("KRO_PG_") + name).c_str()));
    if (params.value(QStringLiteral("HOST")).isEmpty())
        throw std::runtime_error("--postgres needs the server in KRO_PG_HOST, KRO_PG_PORT, "
                                 "KRO_PG_USER and KRO_PG_DATABASE");
    params.insert(QStringLiteral("SCHEMA"), Schema);
    return params;
}

} // namespace

QString ServerCopy(const QString& Source, std::int64_t People) {
    const QString target = Source + QStringLiteral("Server");
    const QString schema = ServerSchema(People);
    QMap<QString, QString> params = ServerParams(schema);
    Session()->AddAlias(target, QStringLiteral("POSTGRESQL"), params);
    params.remove(QStringLiteral("SCHEMA"));
    TPostgresConnection(params).Execute(
        QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(schema));
    TDatabase database;
    database.SetDatabaseName(target);
    database.Open();
    if (database.Connection()->TableExists(QStringLiteral("People")) &&
        database.Connection()
                ->Scalar(QStringLiteral("SELECT COUNT(*) FROM \"People\""))
                .toLongLong() == People)
        return target;
    database.Close();
    std::printf("copying %lld people to the server...\n", static_cast<long long>(People));
    std::fflush(stdout);
    TCopyOptions options;
    options.Replace = true;
    options.BatchRows = 500;
    CopyDatabase(Source, target, options);
    return target;
}
