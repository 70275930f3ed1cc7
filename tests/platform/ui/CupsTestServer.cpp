#include "CupsTestServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <cups/cups.h>

namespace {

constexpr int PatienceMs = 30000;
constexpr int PollMs = 20;

QString Env(const char* Name) {
    return QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(Name));
}

bool RunLpadmin(const QStringList& Arguments) {
    QProcess process;
    process.start(QStringLiteral("lpadmin"),
                  QStringList{QStringLiteral("-h"), Env("CUPS_SERVER")} + Arguments);
    return process.waitForFinished(PatienceMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

bool CupsTestServerPresent() {
    return !Env("CUPS_SERVER").isEmpty() && !Env("KRO_CUPS_JOBS").isEmpty();
}

bool CupsTestRequired() {
    return !Env("KRO_CUPS_REQUIRED").isEmpty() || !Env("CI").isEmpty();
}

QString CupsTestQueue() {
    return Env("KRO_CUPS_QUEUE");
}

QString CupsRefusingQueue() {
    return Env("KRO_CUPS_REFUSING");
}

int CupsJobState(int JobId, bool Settled) {
    QDeadlineTimer deadline(PatienceMs);
    for (;;) {
        cupsSetServer(nullptr);
        cups_job_t* jobs = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        int state = 0;
        for (int i = 0; i < count; ++i)
            if (jobs[i].id == JobId)
                state = jobs[i].state;
        cupsFreeJobs(count, jobs);
        const bool active = state == IPP_JSTATE_PENDING || state == IPP_JSTATE_PROCESSING;
        if (!Settled || !active || deadline.hasExpired())
            return state;
        QThread::msleep(PollMs);
    }
}

std::optional<QByteArray> CupsJobOutput(int JobId) {
    if (CupsJobState(JobId) != IPP_JSTATE_COMPLETED)
        return std::nullopt;
    QFile file(QStringLiteral("%1/job-%2.raw").arg(Env("KRO_CUPS_JOBS")).arg(JobId));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

int CupsActiveJobs(const QString& Queue) {
    cupsSetServer(nullptr);
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, Queue.toUtf8().constData(), 0,
                                   CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(count, jobs);
    return qMax(count, 0);
}

void SetCupsServer(const QByteArray& Socket) {
    qputenv("CUPS_SERVER", Socket);
    cupsSetServer(nullptr);
}

bool AddCupsQueue(const QString& Queue) {
    return RunLpadmin({QStringLiteral("-p"), Queue, QStringLiteral("-E"), QStringLiteral("-v"),
                       QStringLiteral("kroraw:") + Env("KRO_CUPS_JOBS")});
}

bool DeleteCupsQueue(const QString& Queue) {
    return RunLpadmin({QStringLiteral("-x"), Queue});
}
