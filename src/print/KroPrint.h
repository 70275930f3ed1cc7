#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <rtl/Exceptions.h>

class QFile;
class TCodePage;
class TDataSet;
class TFont;
class TKroLineOutput;
class TStrings;

// Print modes (TKroPrintSet::Mode).
inline constexpr quint8 pmText = 0;
inline constexpr quint8 pmGraphics = 1;
inline constexpr quint8 pmFile = 2;

// Places of the page number (TKroPrintSet::NumberPosition).
inline constexpr quint8 npLeft = 0;
inline constexpr quint8 npRight = 1;
inline constexpr quint8 npCenter = 2;

// Pitches of text mode (TKroPrintSet::Pitch).
inline constexpr quint8 ptDefault = 0;
inline constexpr quint8 ptNormal = 1;
inline constexpr quint8 ptElite = 2;
inline constexpr quint8 ptCondensed = 3;
inline constexpr quint8 ptCondensedElite = 4;

// What the user chose for printing a document. Sizes are in millimetres.
class TKroPrintSet {
public:
    TKroPrintSet();
    ~TKroPrintSet();
    TKroPrintSet(const TKroPrintSet&) = delete;
    TKroPrintSet& operator=(const TKroPrintSet&) = delete;

    quint8 Mode = pmGraphics;
    qint16 Copies = 1;
    // 0 every page, 1 the pages listed in Pages ("1,3,5-12").
    qint16 RangeKind = 0;
    QString Pages;
    // Printed at the start of the document.
    QString Title;
    // The output of file mode; empty for "Printer." in the current directory.
    QString FileName;
    qint16 PaperHeight = 297;
    qint16 PaperWidth = 210;
    bool Portrait = true;
    qint16 TopMargin = 20;
    qint16 LeftMargin = 20;
    qint16 RightMargin = 15;
    qint16 BottomMargin = 20;
    // No page ends, page heads or numbers in text and file mode: one continuous text.
    bool WithoutPages = false;
    bool Numbering = true;
    bool NumberOnFirstPage = false;
    bool NumberAtTop = true;
    quint8 NumberPosition = npCenter;
    qint32 FirstPageNumber = 1;
    // "#" stands for the number.
    QString NumberFormat = QStringLiteral("- # -");
    const std::unique_ptr<TFont> NumberFont;
    quint8 Pitch = ptNormal;
    const std::unique_ptr<TFont> TitleFont;
    const std::unique_ptr<TFont> TextFont;
    // Line spacing in standard lines: sixths of an inch in text mode, a factor on the
    // font's line height in graphics mode.
    double Interval = 1;
};

// The program's print set, made on first use.
TKroPrintSet* KroPrintSet();

// The pages a page list such as "1,3,5-12" selects: numbers and ranges of two numbers
// joined by "-"; any other character separates them.
class TKroPageList {
public:
    explicit TKroPageList(const QString& Pages);
    bool Contains(int Page) const;
    // The largest page listed; 0 when the list names none.
    int LastPage() const { return FLastPage; }

private:
    QList<std::pair<int, int>> FRanges;
    int FLastPage = 0;
};

// The text of page Page: Format with its first "#" replaced by the number, or "- Page -"
// when it has none.
QString KroPageNumberText(const QString& Format, int Page);

// The current record of DataSet as lines of at most Width characters (0: one field a
// line), for the fields Fields names: "AllFields", "UserFields" (those whose Tag does not
// end in 8), "VisibleFields" (those of UserFields that are visible) or a ";"-separated
// list of names. With a Separator each field is "label separator value" (record layout);
// without one the fields are columns, a line of labels above a line of values (table
// layout). Fields on one line stand a blank apart.
QStringList KroFormatRecord(TDataSet* DataSet, const QString& Fields, const QString& Separator,
                            int Width);

// Prints documents of lines: raw text with ESC/P control codes to a spooler queue (text
// mode), drawn on the platform printer (graphics mode), or to a text file (file mode),
// with margins, page numbers and a page selection from a print set. Errors are
// EPrinterError; a failure closes what the document opened and ends it.
class TKroPrinter {
public:
    TKroPrinter();
    // Ends an open document.
    virtual ~TKroPrinter();
    TKroPrinter(const TKroPrinter&) = delete;
    TKroPrinter& operator=(const TKroPrinter&) = delete;

    // The mode of documents begun without a print set; changing it ends an open document.
    quint8 Mode() const { return FMode; }
    void SetMode(quint8 Value);
    // The code page text mode converts to; the user's OEM code page at first.
    int OemCodePage() const { return FOemCodePage; }
    void SetOemCodePage(int Value) { FOemCodePage = Value; }

    // Opens a document with Set's choices (not owned; it must outlive the document) or,
    // without one, with the defaults of the printer in Mode. Raises "Double BeginDoc" in a
    // document; any other failure is shown through the application's exception handler,
    // leaves nothing open and gives false.
    virtual bool BeginDoc(TKroPrintSet* Set = nullptr);
    virtual void EndDoc();
    // Ends the document without ending its page: the job or the printer's document is
    // cancelled, the file closed.
    virtual void Abort();
    virtual void NewPage();

    // Prints Text: a form feed starts a new page, line breaks start new lines.
    void Print(const QString& Text);
    void Print(const TStrings* Lines);
    // A line of Count "-".
    void PrintDashes(int Count);

    bool InDoc() const { return FInDoc; }
    // The spooler's number of the last text-mode document; 0 before the first.
    int JobId() const { return FJobId; }
    int PageNumber() const { return FPage; }
    bool PageSelected() const { return FSelected; }
    // Columns (or pixels) of the text area and its lines (or pixels) on the page.
    int LeftEdge() const { return FLeft; }
    int RightEdge() const { return FRight; }
    int TopLine() const { return FTop; }
    int BottomLine() const { return FBottom; }
    int PageLength() const { return FPageLength; }

private:
    void CheckInDoc(const char* Message) const;
    void OpenDocument();
    void SetUpLayout();
    bool Selects(int Page) const;
    void StartPage();
    void EndPage();
    void PrintLine(const QString& Line);
    void PrintGraphicsLine(const QString& Line);
    int GraphicsLineHeight();
    void DrawNumber();
    // Writes to the output of text or file mode.
    void Write(const QString& Text);
    void WriteLines(int Count);
    // The page number's line in text and file mode.
    QString NumberLine() const;
    // Runs Action; on an error closes the output and leaves the document before passing
    // the error on.
    template <class F> void Guarded(F Action);
    // Closes the output, cancelling an unfinished job, and leaves the document.
    void CloseDocument() noexcept;

    quint8 FMode = pmGraphics;
    int FOemCodePage;
    bool FInDoc = false;
    quint8 FDocMode = pmGraphics;
    TKroPrintSet* FSet = nullptr;              // the document's set; not owned unless FDefaultSet
    std::unique_ptr<TKroPrintSet> FDefaultSet; // the set of a document begun without one
    std::unique_ptr<TKroLineOutput> FOutput;   // text and file mode
    std::unique_ptr<TKroPageList> FPageList;   // with RangeKind 1
    int FPage = 0;
    int FLine = 0; // a line in text and file mode, a pixel in graphics mode
    int FLeft = 0;
    int FRight = 0;
    int FTop = 0;
    int FBottom = 0;
    int FPageLength = 0;
    bool FSelected = false;
    bool FPageStarted = false;
    QString FNumberText;
    int FJobId = 0;
};

// The program's printer, made on first use.
TKroPrinter* KroPrinter();
