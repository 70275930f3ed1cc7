#include "PostgresTestServer.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <db/PostgresConnection.h>

std::optional<QMap<QString, QString>> PostgresTestParams(const QString& Schema) {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString host = environment.value(QStringLiteral("KRO_PG_HOST"));
    if (host.isEmpty())
        return std::nullopt;
    return QMap<QString, QString>{
        {QStringLiteral("HOST"), host},
        {QStringLiteral("PORT"), environment.value(QStringLiteral("KRO_PG_PORT"))},
        {QStringLiteral("USER"), environment.value(QStringLiteral("KRO_PG_USER"))},
        {QStringLiteral("DATABASE"), environment.value(QStringLiteral("KRO_PG_DATABASE"))},
        {QStringLiteral("SCHEMA"),
         QStringLiteral("%1_%2").arg(Schema).arg(QCoreApplication::applicationPid())},
    };
}

bool PostgresTestRequired() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    return !environment.value(QStringLiteral("KRO_PG_REQUIRED")).isEmpty() ||
           !environment.value(QStringLiteral("CI")).isEmpty();
}

void RecreatePostgresSchema(const QMap<QString, QString>& Params) {
    TPostgresConnection connection(Params);
    const QString schema = connection.QuoteName(Params.value(QStringLiteral("SCHEMA")));
    connection.Execute(
        QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE; CREATE SCHEMA %1").arg(schema));
}
