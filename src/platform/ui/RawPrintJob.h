#pragma once

#include <QByteArray>
#include <QString>
#include <rtl/Exceptions.h>

// A job of bytes sent unchanged to a queue of the system's print spooler (CUPS), for
// printers driven by their own control codes. Open finds the queue, BeginDoc starts a job,
// Write sends bytes, EndDoc hands the job over to be printed; Abort cancels it. Every
// failure raises EPrinterError; a job that failed or was aborted is cancelled in the
// spooler, so no unfinished job stays in the queue. The spooler is the one CUPS_SERVER
// names (read at each Open), else the system's.
class TRawPrintJob {
public:
    TRawPrintJob();
    // Aborts a job not ended.
    ~TRawPrintJob();
    TRawPrintJob(const TRawPrintJob&) = delete;
    TRawPrintJob& operator=(const TRawPrintJob&) = delete;

    // Connects to the spooler and finds Queue, or the default queue when Queue is empty.
    void Open(const QString& Queue);
    bool Opened() const { return !FQueue.isEmpty(); }
    // The queue found by Open; empty before.
    const QString& Queue() const { return FQueue; }

    // Starts a job named Title on the queue found by Open.
    void BeginDoc(const QString& Title);
    void Write(const QByteArray& Bytes);
    void EndDoc();
    // Cancels the job; does nothing without one. Never raises.
    void Abort();
    bool Printing() const { return FJobId > 0; }
    // The spooler's number of the job begun last; 0 before the first.
    int JobId() const { return FLastJobId; }

private:
    void Connect();
    void Disconnect();
    // Cancels the job and raises EPrinterError with What and the spooler's reason.
    [[noreturn]] void Fail(const QString& What);

    void* FHttp = nullptr; // the connection to the spooler, owned
    QString FQueue;
    int FJobId = 0;
    int FLastJobId = 0;
};
