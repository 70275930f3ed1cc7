#include "Printers.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <utility>

namespace {

// The printer's canvas opens only while a document is printed, and then on the printer.
class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter* Printer) : TCanvas(Printer->Handle()), FPrinter(Printer) {}

protected:
    void CreateHandle() override {
        if (!FPrinter->Printing())
            throw EPrinterError(QStringLiteral("Printer is not currently printing"));
        if (!Painter().begin(Device())) {
            const QString target = FPrinter->OutputFileName().isEmpty()
                                       ? FPrinter->PrinterName()
                                       : FPrinter->OutputFileName();
            throw EPrinterError(QStringLiteral("Cannot start printing on %1").arg(target));
        }
    }

private:
    TPrinter* FPrinter;
};

const QList<QPageSize::PageSizeId> StandardPapers = {
    QPageSize::A3,     QPageSize::A4,    QPageSize::A5,        QPageSize::B4,     QPageSize::B5,
    QPageSize::Letter, QPageSize::Legal, QPageSize::Executive, QPageSize::Tabloid};

// The application's printer; deleted when the application ends.
TPrinter*& Installed() {
    static TPrinter* printer = nullptr;
    static const bool cleanupRegistered = [] {
        qAddPostRoutine([] { delete std::exchange(Installed(), nullptr); });
        return true;
    }();
    (void)cleanupRegistered;
    return printer;
}

} // namespace

TPrinter::TPrinter()
    : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      FCanvas(std::make_unique<TPrinterCanvas>(this)) {}

TPrinter::~TPrinter() = default;

void TPrinter::CheckPrinting(bool Expected) const {
    if (FPrinting == Expected)
        return;
    throw EPrinterError(Expected ? QStringLiteral("Printer is not currently printing")
                                 : QStringLiteral("Printing in progress"));
}

QStringList TPrinter::Printers() const {
    return QPrinterInfo::availablePrinterNames();
}

int TPrinter::PrinterIndex() const {
    return Printers().indexOf(PrinterName());
}

void TPrinter::SetPrinterIndex(int Value) {
    CheckPrinting(false);
    const QStringList printers = Printers();
    if (Value < -1 || Value >= printers.size())
        throw EPrinterError(QStringLiteral("Printer index out of range"));
    FPrinter->setPrinterName(Value < 0 ? QPrinterInfo::defaultPrinterName() : printers[Value]);
}

QString TPrinter::PrinterName() const {
    return FPrinter->printerName();
}

QString TPrinter::OutputFileName() const {
    return FPrinter->outputFileName();
}

void TPrinter::SetOutputFileName(const QString& Value) {
    CheckPrinting(false);
    FPrinter->setOutputFileName(Value);
    if (!Value.isEmpty())
        FPrinter->setOutputFormat(QPrinter::PdfFormat);
}

void TPrinter::BeginDoc() {
    CheckPrinting(false);
    if (OutputFileName().isEmpty() && PrinterName().isEmpty())
        throw EPrinterError(QStringLiteral("There is no default printer currently selected"));
    FCanvas->SetPixelsPerInch(FPrinter->resolution());
    FCanvas->SetPenPos(QPoint());
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
    try {
        FCanvas->Handle();
    } catch (...) {
        FPrinting = false;
        throw;
    }
}

void TPrinter::EndDoc() {
    CheckPrinting(true);
    FCanvas->ReleaseHandle();
    FPrinting = false;
}

void TPrinter::NewPage() {
    CheckPrinting(true);
    if (!FPrinter->newPage())
        throw EPrinterError(QStringLiteral("Cannot start a new page"));
    ++FPageNumber;
    FCanvas->SetPenPos(QPoint());
}

void TPrinter::Abort() {
    CheckPrinting(true);
    FPrinter->abort();
    FCanvas->ReleaseHandle();
    if (!OutputFileName().isEmpty())
        QFile::remove(OutputFileName());
    FPrinting = false;
    FAborted = true;
}

int TPrinter::Copies() const {
    return FPrinter->copyCount();
}

void TPrinter::SetCopies(int Value) {
    if (Value < 1)
        throw EPrinterError(QStringLiteral("Invalid number of copies: %1").arg(Value));
    FPrinter->setCopyCount(Value);
}

TPrinterOrientation TPrinter::Orientation() const {
    return FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? poLandscape
                                                                          : poPortrait;
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
    FPrinter->setPageOrientation(Value == poLandscape ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
}

QString TPrinter::Title() const {
    return FPrinter->docName();
}

void TPrinter::SetTitle(const QString& Value) {
    FPrinter->setDocName(Value);
}

int TPrinter::PageWidth() const {
    return FPrinter->width();
}

int TPrinter::PageHeight() const {
    return FPrinter->height();
}

QSize TPrinter::PaperSizePixels() const {
    return FPrinter->pageLayout().fullRectPixels(FPrinter->resolution()).size();
}

QPoint TPrinter::PhysicalOffset() const {
    return FPrinter->pageLayout().paintRectPixels(FPrinter->resolution()).topLeft();
}

int TPrinter::XDpi() const {
    return FPrinter->logicalDpiX();
}

int TPrinter::YDpi() const {
    return FPrinter->logicalDpiY();
}

QList<QPageSize> TPrinter::Papers() const {
    if (OutputFileName().isEmpty())
        if (const QPrinterInfo info(*FPrinter);
            !info.isNull() && !info.supportedPageSizes().isEmpty())
            return info.supportedPageSizes();
    QList<QPageSize> result;
    for (QPageSize::PageSizeId id : StandardPapers)
        result.append(QPageSize(id));
    return result;
}

QPageSize TPrinter::Paper() const {
    return FPrinter->pageLayout().pageSize();
}

void TPrinter::SetPaper(const QPageSize& Value) {
    const QList<QPageSize> papers = Papers();
    const bool known = std::any_of(papers.begin(), papers.end(), [&](const QPageSize& Paper) {
        return Paper.isEquivalentTo(Value);
    });
    if (!Value.isValid() || (OutputFileName().isEmpty() && !known) || !FPrinter->setPageSize(Value))
        throw EPrinterError(
            QStringLiteral("The printer does not take the paper %1").arg(Value.name()));
}

TPrinter* Printer() {
    if (!Installed())
        Installed() = new TPrinter;
    return Installed();
}

TPrinter* SetPrinter(TPrinter* Value) {
    return std::exchange(Installed(), Value);
}
