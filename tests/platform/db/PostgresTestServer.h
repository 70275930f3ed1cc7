#pragma once

// The PostgreSQL server of the tests, named by the environment that
// scripts/pg-test-server.sh prints: KRO_PG_HOST, KRO_PG_PORT, KRO_PG_USER, KRO_PG_DATABASE.

#include <QMap>
#include <QString>
#include <gtest/gtest.h>
#include <optional>

// The connection parameters of the test server with SCHEMA set to Schema followed by the
// process id, so that test programs running at once keep apart; nothing when the
// environment names no server.
std::optional<QMap<QString, QString>> PostgresTestParams(const QString& Schema);
// True where the tests must reach the server (KRO_PG_REQUIRED or CI set): there a missing
// server fails them instead of skipping them.
bool PostgresTestRequired();
// Makes the schema anew, empty, on the test server.
void RecreatePostgresSchema(const QMap<QString, QString>& Params);

inline constexpr const char* NoPostgresMessage =
    "no PostgreSQL test server: run the tests through scripts/test.sh, or start one with "
    "eval \"$(scripts/pg-test-server.sh start)\"";

// Ends the current test or SetUp when the environment names no server: as a failure where
// the server is required, else as skipped.
#define SKIP_OR_FAIL_WITHOUT_POSTGRES()                                                            \
    if (!PostgresTestParams(QString())) {                                                          \
        if (PostgresTestRequired())                                                                \
            GTEST_FAIL() << NoPostgresMessage;                                                     \
        GTEST_SKIP() << NoPostgresMessage;                                                         \
    }
