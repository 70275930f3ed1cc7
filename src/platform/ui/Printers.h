#pragma once

#include "Graphics.h"

#include <QPageSize>
#include <QStringList>
#include <memory>

class QPrinter;

PUBLISHED_ENUM(TPrinterOrientation, poPortrait, poLandscape)

// The printer documents go to: one of the system's printers or, with an output file set,
// a PDF file. A document is drawn on Canvas between BeginDoc and EndDoc (or Abort), page
// after page; sizes are in device pixels at the printer's resolution.
class TPrinter : public QObject {
    Q_OBJECT
public:
    TPrinter();
    ~TPrinter() override;

    // The names of the system's printers.
    QStringList Printers() const;
    // The current printer's position in Printers; -1 when there is none. Setting -1
    // chooses the system's default printer.
    int PrinterIndex() const;
    void SetPrinterIndex(int Value);
    // The current printer's name; empty when the system has none.
    QString PrinterName() const;
    // A PDF file the document goes to instead of the printer; empty for the printer.
    QString OutputFileName() const;
    void SetOutputFileName(const QString& Value);

    TCanvas* Canvas() const { return FCanvas.get(); }
    // Starts a document on page 1; raises EPrinterError when there is nowhere to print.
    void BeginDoc();
    void EndDoc();
    void NewPage();
    // Ends the document and discards it (an output file is removed).
    void Abort();
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }

    int Copies() const;
    void SetCopies(int Value);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation Value);
    // The document's name in the print queue.
    QString Title() const;
    void SetTitle(const QString& Value);

    // The printable area of a page and the whole sheet.
    int PageWidth() const;
    int PageHeight() const;
    QSize PaperSizePixels() const;
    // Where the printable area starts on the sheet.
    QPoint PhysicalOffset() const;
    int XDpi() const;
    int YDpi() const;

    // The papers the printer takes (the standard ones when printing to a file).
    QList<QPageSize> Papers() const;
    QPageSize Paper() const;
    // Raises EPrinterError for a paper the printer does not take.
    void SetPaper(const QPageSize& Value);

    QPrinter* Handle() const { return FPrinter.get(); }

private:
    void CheckPrinting(bool Expected) const;

    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<TCanvas> FCanvas;
    bool FPrinting = false;
    bool FAborted = false;
    int FPageNumber = 0;
};

// The application's printer, made on first use.
TPrinter* Printer();
// Replaces the application's printer by Value (nullptr: a new one on next use) and
// returns the former one, which the caller then owns.
TPrinter* SetPrinter(TPrinter* Value);
