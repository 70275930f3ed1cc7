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

void CopyToServer(const QString& Source, const QString& Target, std::int64_t People) {
    QMap<QString, QString> params = Session()->GetAliasParams(Target);
    const QString schema = params.take(QStringLiteral("SCHEMA"));
    TPostgresConnection(params).Execute(
        QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(schema));
    TDatabase database;
    database.SetDatabaseName(Target);
    database.Open();
    if (database.Connection()->TableExists(QStringLiteral("People")) &&
        database.Connection()
                ->Scalar(QStringLiteral("SELECT COUNT(*) FROM \"People\""))
                .toLongLong() == People)
        return;
    database.Close();
    std::printf("copying %lld people to the server...\n", static_cast<long long>(People));
    std::fflush(stdout);
    TCopyOptions options;
    options.Replace = true;
    options.BatchRows = 500;
    CopyDatabase(Source, Target, options);
}
