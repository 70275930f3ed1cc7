#pragma once

// The CUPS scheduler of the tests, named by the environment that scripts/cups-test-server.sh
// prints: CUPS_SERVER, KRO_CUPS_JOBS (where its backend writes job-ID.raw), KRO_CUPS_QUEUE
// (the default queue) and KRO_CUPS_REFUSING (a queue that refuses jobs).

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <optional>

bool CupsTestServerPresent();
// True where the tests must reach the scheduler (KRO_CUPS_REQUIRED or CI set): there a
// missing scheduler fails them instead of skipping them.
bool CupsTestRequired();
QString CupsTestQueue();
QString CupsRefusingQueue();

// The bytes the backend wrote for job JobId, once it has written them; nothing when the
// job ends otherwise or the output does not come within half a minute.
std::optional<QByteArray> CupsJobOutput(int JobId);
// The state of job JobId (IPP_JSTATE_...), waiting while it is pending or printing when
// Settled; 0 for a job the scheduler does not know.
int CupsJobState(int JobId, bool Settled = true);
// The jobs of Queue waiting or printing.
int CupsActiveJobs(const QString& Queue);
// Points this process, Qt's printers included, at the scheduler of Socket.
void SetCupsServer(const QByteArray& Socket);
// Makes a raw queue writing to the backend's directory, or removes a queue; true on success.
bool AddCupsQueue(const QString& Queue);
bool DeleteCupsQueue(const QString& Queue);

inline constexpr const char* NoCupsMessage =
    "no CUPS test scheduler: run the tests through scripts/test.sh, or start one with "
    "eval \"$(scripts/cups-test-server.sh start)\"";

// Ends the current test or SetUp when the environment names no scheduler: as a failure
// where it is required, else as skipped.
#define SKIP_OR_FAIL_WITHOUT_CUPS()                                                                \
    if (!CupsTestServerPresent()) {                                                                \
        if (CupsTestRequired())                                                                    \
            GTEST_FAIL() << NoCupsMessage;                                                         \
        GTEST_SKIP() << NoCupsMessage;                                                             \
    }
