#pragma once

// The People database on the PostgreSQL server the KRO_PG_* variables name (KRO_PG_HOST,
// KRO_PG_PORT, KRO_PG_USER, KRO_PG_DATABASE), for the benchmarks run with --postgres.

#include <QMap>
#include <QString>
#include <cstdint>

// The server's connection parameters, in schema Schema; throws without KRO_PG_HOST.
QMap<QString, QString> ServerParams(const QString& Schema);
// The schema that holds the copy of a demo database of that many people (named with the
// data version of bench/run.sh).
QString ServerSchema(std::int64_t People);
// Copies the SQLite alias Source to Target unless Target's People has People rows already.
void CopyToServer(const QString& Source, const QString& Target, std::int64_t People);
