#include "RawPrintJob.h"

#include <cups/cups.h>
#include <utility>

namespace {

// How long connecting to the spooler may take.
constexpr int ConnectTimeoutMs = 30000;

http_t* Http(void* Handle) {
    return static_cast<http_t*>(Handle);
}

QString SpoolerReason() {
    return QString::fromUtf8(cupsLastErrorString());
}

} // namespace

TRawPrintJob::TRawPrintJob() = default;

TRawPrintJob::~TRawPrintJob() {
    Abort();
    Disconnect();
}

void TRawPrintJob::Connect() {
    if (FHttp)
        return;
    FHttp = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         ConnectTimeoutMs, nullptr);
    if (!FHttp)
        throw EPrinterError(QStringLiteral("Cannot reach the print spooler at %1")
                                .arg(QString::fromUtf8(cupsServer())));
}

void TRawPrintJob::Disconnect() {
    if (FHttp)
        httpClose(Http(std::exchange(FHttp, nullptr)));
}

void TRawPrintJob::Open(const QString& Queue) {
    Abort();
    Disconnect();
    FQueue.clear();
    // CUPS keeps the spooler it found first; read the environment again.
    cupsSetServer(nullptr);
    Connect();
    const QByteArray name = Queue.toUtf8();
    cups_dest_t* dest =
        cupsGetNamedDest(Http(FHttp), Queue.isEmpty() ? nullptr : name.constData(), nullptr);
    if (!dest) {
        Disconnect();
        throw EPrinterError(Queue.isEmpty()
                                ? QStringLiteral("There is no default printer")
                                : QStringLiteral("There is no printer named \"%1\"").arg(Queue));
    }
    FQueue = QString::fromUtf8(dest->name);
    cupsFreeDests(1, dest);
}

void TRawPrintJob::BeginDoc(const QString& Title) {
    if (!Opened())
        throw EPrinterError(QStringLiteral("No printer queue is open"));
    if (Printing())
        throw EPrinterError(QStringLiteral("Printing in progress"));
    Connect();
    const QByteArray queue = FQueue.toUtf8();
    const QByteArray title = Title.toUtf8();
    const int job = cupsCreateJob(Http(FHttp), queue.constData(), title.constData(), 0, nullptr);
    if (job <= 0)
        throw EPrinterError(
            QStringLiteral("The printer \"%1\" refuses the job: %2").arg(FQueue, SpoolerReason()));
    FJobId = FLastJobId = job;
    if (cupsStartDocument(Http(FHttp), queue.constData(), job, title.constData(), CUPS_FORMAT_RAW,
                          1) != HTTP_STATUS_CONTINUE)
        Fail(QStringLiteral("Cannot send the job to the printer \"%1\"").arg(FQueue));
}

void TRawPrintJob::Write(const QByteArray& Bytes) {
    if (!Printing())
        throw EPrinterError(QStringLiteral("Printer is not currently printing"));
    if (cupsWriteRequestData(Http(FHttp), Bytes.constData(), size_t(Bytes.size())) !=
        HTTP_STATUS_CONTINUE)
        Fail(QStringLiteral("Cannot send the job to the printer \"%1\"").arg(FQueue));
}

void TRawPrintJob::EndDoc() {
    if (!Printing())
        throw EPrinterError(QStringLiteral("Printer is not currently printing"));
    if (cupsFinishDocument(Http(FHttp), FQueue.toUtf8().constData()) != IPP_STATUS_OK)
        Fail(QStringLiteral("The printer \"%1\" did not take the job").arg(FQueue));
    FJobId = 0;
}

void TRawPrintJob::Abort() {
    if (!Printing())
        return;
    // The document's request is cut off with its connection, then the job is cancelled
    // on a connection of its own.
    Disconnect();
    cupsCancelJob2(CUPS_HTTP_DEFAULT, FQueue.toUtf8().constData(), std::exchange(FJobId, 0), 0);
}

void TRawPrintJob::Fail(const QString& What) {
    const QString reason = SpoolerReason();
    Abort();
    throw EPrinterError(QStringLiteral("%1: %2").arg(What, reason));
}
