#pragma once

// The People database on the PostgreSQL server the KRO_PG_* variables name (KRO_PG_HOST,
// KRO_PG_PORT, KRO_PG_USER, KRO_PG_DATABASE), for the benchmarks run with --postgres.

#include <QString>
#include <cstdint>

// The schema that holds the copy of a demo database of that many people (named with the
// data version of bench/run.sh).
QString ServerSchema(std::int64_t People);
// The alias of the server's copy of the SQLite alias Source, whose People has that many
// rows: Source followed by "Server", made for the session; the copy is made unless the
// server holds it already.
QString ServerCopy(const QString& Source, std::int64_t People);
