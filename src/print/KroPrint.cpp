#include "KroPrint.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <db/DataSet.h>
#include <db/Field.h>
#include <forms/DiAdv.h>
#include <rtl/CodePage.h>
#include <rtl/Font.h>
#include <rtl/Strings.h>
#include <ui/Printers.h>
#include <ui/RawPrintJob.h>
#include <utility>

namespace {

// Tenths of a millimetre in an inch, the denominator of every margin conversion.
constexpr qint64 TenthsOfMmPerInch = 254;
// Text mode moves the paper in 1/216 inch; a standard line is 36 of them.
constexpr int UnitsPerInch = 216;
constexpr int StandardLine = 36;
// Text mode sends at most this many characters at once and prints no longer line.
constexpr int MaxTextChunk = 255;
// The bottom page number stands this many lines above the end of the page.
constexpr int BottomNumberLines = 4;

const QString PrintDocumentName = QStringLiteral("KroPrint");
const QString LineBreak = QStringLiteral("\r\n");

// Characters per 10 inches and the control codes of each pitch.
struct TPitch {
    int Cpi10;
    QByteArray Codes;
};

TPitch PitchOf(quint8 Pitch) {
    switch (Pitch) {
    case ptElite:
        return {120, QByteArray("\x1bM\x12")};
    case ptCondensed:
        return {170, QByteArray("\x1bP\x0f")};
    case ptCondensedElite:
        return {200, QByteArray("\x1bM\x0f")};
    case ptDefault:
        return {100, QByteArray()};
    default:
        return {100, QByteArray("\x1bP\x12")};
    }
}

// The line spacing of text mode in 1/216 inch: ESC "3" takes one byte.
int LineSpacing(double Interval) {
    return qBound(1, int(qRound(Interval * StandardLine)), 255);
}

// Millimetres in Pixels pixels at Dpi.
qint16 Millimetres(int Pixels, int Dpi) {
    return qint16(qRound(Pixels * 25.4 / qMax(Dpi, 1)));
}

void SetFont(TFont* Font, const char* Name, int Size, TFontStyles Style = {}) {
    Font->SetName(QString::fromLatin1(Name));
    Font->SetSize(Size);
    Font->SetStyle(Style);
}

// Any Exception of Action becomes an EPrinterError with Message.
template <class F> void Translated(const char* Message, F Action) {
    try {
        Action();
    } catch (const Exception&) {
        throw EPrinterError(QString::fromLatin1(Message));
    }
}

} // namespace

// The output of text and file mode.
class TKroLineOutput {
public:
    virtual ~TKroLineOutput() = default;
    virtual void Write(const QString& Text) = 0;
    // Hands the document over; raises when it cannot.
    virtual void Finish() = 0;
    // Closes the output, cancelling what was not finished.
    virtual void Cancel() noexcept = 0;
};

namespace {

// Raw text to a spooler queue, in an OEM code page, after the pitch's control codes.
class TTextOutput : public TKroLineOutput {
public:
    TTextOutput(const QString& Queue, int CodePage) : FCodePage(CodePage) {
        Translated("Error connecting to printer", [&] { FJob.Open(Queue); });
        Translated("Error opening document print", [&] { FJob.BeginDoc(PrintDocumentName); });
    }
    void WriteBytes(const QByteArray& Bytes) {
        Translated("Error printing document", [&] { FJob.Write(Bytes); });
    }
    void Write(const QString& Text) override {
        for (qsizetype start = 0; start < Text.size(); start += MaxTextChunk)
            WriteBytes(FCodePage.EncodeLossy(Text.mid(start, MaxTextChunk)));
    }
    void Finish() override {
        WriteBytes(QByteArray("\x1b@"));
        Translated("Error closing document", [&] { FJob.EndDoc(); });
    }
    void Cancel() noexcept override { FJob.Abort(); }
    int JobId() const { return FJob.JobId(); }

private:
    TRawPrintJob FJob;
    TCodePage FCodePage;
};

// A text file in UTF-8.
class TFileOutput : public TKroLineOutput {
public:
    explicit TFileOutput(const QString& FileName) : FFile(FileName) {
        if (!FFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EPrinterError(QStringLiteral("Error opening document file"));
    }
    void Write(const QString& Text) override {
        const QByteArray bytes = Text.toUtf8();
        if (FFile.write(bytes) != bytes.size())
            throw EPrinterError(QStringLiteral("Error saving document"));
    }
    void Finish() override {
        const bool flushed = FFile.flush();
        FFile.close();
        if (!flushed || FFile.error() != QFileDevice::NoError)
            throw EPrinterError(QStringLiteral("Error saving document"));
    }
    void Cancel() noexcept override { FFile.close(); }

private:
    QFile FFile;
};

} // namespace

// TKroPrintSet

TKroPrintSet::TKroPrintSet()
    : NumberFont(std::make_unique<TFont>()), TitleFont(std::make_unique<TFont>()),
      TextFont(std::make_unique<TFont>()) {
    SetFont(NumberFont.get(), "Arial", 10);
    SetFont(TitleFont.get(), "Arial", 14, {fsBold, fsItalic});
    SetFont(TextFont.get(), "Courier New", 12);
}

TKroPrintSet::~TKroPrintSet() = default;

// TKroPageList

TKroPageList::TKroPageList(const QString& Pages) {
    static const QRegularExpression token(QStringLiteral("[0-9-]+"));
    static const QRegularExpression range(QStringLiteral("^(\\d+)-(\\d+)$"));
    static const QRegularExpression number(QStringLiteral("^\\d+$"));
    for (auto it = token.globalMatch(Pages); it.hasNext();) {
        const QString text = it.next().captured();
        std::pair<int, int> pages;
        if (const auto match = range.match(text); match.hasMatch())
            pages = {match.captured(1).toInt(), match.captured(2).toInt()};
        else if (number.match(text).hasMatch())
            pages = {text.toInt(), text.toInt()};
        else
            continue;
        // A number too large for an int reads as 0 and selects nothing.
        if (pages.first <= 0 && pages.second <= 0)
            continue;
        FRanges.append(pages);
        FLastPage = qMax(FLastPage, pages.second);
    }
}

bool TKroPageList::Contains(int Page) const {
    return std::any_of(FRanges.begin(), FRanges.end(), [Page](const std::pair<int, int>& Range) {
        return Range.first <= Page && Page <= Range.second;
    });
}

QString KroPageNumberText(const QString& Format, int Page) {
    const qsizetype hash = Format.indexOf(QLatin1Char('#'));
    if (hash < 0)
        return QStringLiteral("- %1 -").arg(Page);
    return QString(Format).replace(hash, 1, QString::number(Page));
}

// KroFormatRecord

namespace {

QList<TField*> SelectedFields(TDataSet* DataSet, const QString& Fields) {
    QList<TField*> result;
    const bool all = Fields.compare(QStringLiteral("AllFields"), Qt::CaseInsensitive) == 0;
    const bool user = Fields.compare(QStringLiteral("UserFields"), Qt::CaseInsensitive) == 0;
    const bool visible = Fields.compare(QStringLiteral("VisibleFields"), Qt::CaseInsensitive) == 0;
    if (all || user || visible) {
        for (int i = 0; i < DataSet->FieldCount(); ++i) {
            TField* field = DataSet->Fields()->Fields(i);
            if (all || (field->Tag() % 10 != 8 && (user || field->Visible())))
                result.append(field);
        }
        return result;
    }
    for (const QString& name : Fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        result.append(DataSet->FieldByName(name.trimmed()));
    return result;
}

// Lines of pieces put side by side, a blank apart, within Width (0: a piece a line); a
// table piece has a heading above it.
class TPieceLines {
public:
    explicit TPieceLines(int Width) : FWidth(Width) {}
    void Add(const QString& Piece, const QString& Heading = QString()) {
        if (!FLine.isEmpty() && (FWidth <= 0 || FLine.size() + 1 + Piece.size() > FWidth))
            Flush();
        // A blank between pieces keeps values that fill their width apart.
        if (!FLine.isEmpty()) {
            FLine += QLatin1Char(' ');
            FHeading += QLatin1Char(' ');
        }
        FLine += Piece;
        FHeading += Heading;
    }
    QStringList Finish(bool Headings) {
        FHeadings = Headings;
        Flush();
        return FLines;
    }
    void SetHeadings(bool Value) { FHeadings = Value; }

private:
    void Flush() {
        if (FLine.isEmpty())
            return;
        if (FHeadings)
            FLines.append(std::exchange(FHeading, QString()));
        FLines.append(std::exchange(FLine, QString()));
    }

    int FWidth;
    bool FHeadings = false;
    QString FLine;
    QString FHeading;
    QStringList FLines;
};

} // namespace

QStringList KroFormatRecord(TDataSet* DataSet, const QString& Fields, const QString& Separator,
                            int Width) {
    const QList<TField*> fields = SelectedFields(DataSet, Fields);
    qsizetype labelWidth = 0;
    for (TField* field : fields)
        labelWidth = qMax(labelWidth, field->DisplayLabel().size());
    const bool table = Separator.isEmpty();
    TPieceLines lines(Width);
    lines.SetHeadings(table);
    for (TField* field : fields) {
        const QString label = field->DisplayLabel();
        const int width = int(qMax(label.size(), qsizetype(field->DisplayWidth())));
        const QString value = PadString(field->DisplayText(), width, taLeftJustify);
        if (table)
            lines.Add(value, PadString(label, width, taCenter));
        else
            lines.Add((Width <= 0 ? PadString(label, int(labelWidth), taLeftJustify) : label) +
                      QLatin1Char(' ') + Separator + QLatin1Char(' ') + value);
    }
    return lines.Finish(table);
}

// TKroPrinter

TKroPrinter::TKroPrinter() : FOemCodePage(::OemCodePage()) {}

TKroPrinter::~TKroPrinter() {
    if (!FInDoc)
        return;
    try {
        EndDoc();
    } catch (const Exception&) {
        // Nothing to tell the user from here; the document is closed either way.
    }
}

void TKroPrinter::SetMode(quint8 Value) {
    if (FInDoc && Value != FMode)
        EndDoc();
    FMode = Value;
}

void TKroPrinter::CheckInDoc(const char* Message) const {
    if (!FInDoc)
        throw EPrinterError(QString::fromLatin1(Message));
}

template <class F> void TKroPrinter::Guarded(F Action) {
    try {
        Action();
    } catch (...) {
        CloseDocument();
        throw;
    }
}

void TKroPrinter::CloseDocument() noexcept {
    if (FOutput)
        FOutput->Cancel();
    FOutput.reset();
    if (FDocMode == pmGraphics && Printer()->Printing()) {
        try {
            Printer()->Abort();
        } catch (const Exception&) {
            // The printer is left outside its document either way.
        }
    }
    FInDoc = false;
    FSet = nullptr;
}

bool TKroPrinter::BeginDoc(TKroPrintSet* Set) {
    if (FInDoc)
        throw EPrinterError(QStringLiteral("Double BeginDoc"));
    try {
        FDefaultSet.reset();
        if (!Set) {
            FDefaultSet = std::make_unique<TKroPrintSet>();
            Set = FDefaultSet.get();
            Set->Mode = FMode;
            Set->Numbering = false;
            Set->TopMargin = Set->LeftMargin = Set->RightMargin = Set->BottomMargin = 10;
            const QSize paper = Printer()->PaperSizePixels();
            Set->PaperWidth = Millimetres(paper.width(), Printer()->XDpi());
            Set->PaperHeight = Millimetres(paper.height(), Printer()->YDpi());
        }
        FSet = Set;
        FMode = FDocMode = Set->Mode;
        FInDoc = true;
        OpenDocument();
        return true;
    } catch (const Exception& e) {
        CloseDocument();
        ShowException(e);
        return false;
    }
}

void TKroPrinter::OpenDocument() {
    FPage = FSet->FirstPageNumber;
    FPageList.reset(FSet->RangeKind == 1 ? new TKroPageList(FSet->Pages) : nullptr);
    if (FPageList && FPage > FPageList->LastPage())
        throw EPrinterError(QStringLiteral("Nothing to print"));
    TPrinter* printer = Printer();
    if (FDocMode == pmGraphics) {
        printer->SetOrientation(FSet->Portrait ? poPortrait : poLandscape);
        if (!FDefaultSet)
            printer->SetCopies(qMax<int>(FSet->Copies, 1));
        printer->SetTitle(FSet->Title.isEmpty() ? PrintDocumentName : FSet->Title);
    }
    SetUpLayout();
    if (FDocMode == pmText) {
        auto output = std::make_unique<TTextOutput>(printer->PrinterName(), FOemCodePage);
        QByteArray spacing("\x1b"
                           "3");
        spacing.append(char(LineSpacing(FDefaultSet ? 1 : FSet->Interval)));
        FJobId = output->JobId();
        output->WriteBytes(PitchOf(FDefaultSet ? ptNormal : FSet->Pitch).Codes + spacing);
        FOutput = std::move(output);
    } else if (FDocMode == pmFile) {
        FOutput = std::make_unique<TFileOutput>(
            FSet->FileName.isEmpty() ? QDir::current().filePath(QStringLiteral("Printer."))
                                     : FSet->FileName);
    } else {
        printer->BeginDoc();
        printer->Canvas()->Brush()->SetStyle(bsClear);
        printer->Canvas()->SetFont(FSet->TextFont.get());
    }
    FLine = FTop;
    FPageStarted = false;
    FSelected = Selects(FPage);
    if (FSelected)
        StartPage();
    if (FSet->Title.isEmpty())
        return;
    if (FDocMode == pmGraphics)
        printer->Canvas()->SetFont(FSet->TitleFont.get());
    Print(FSet->Title);
    if (FDocMode == pmGraphics)
        printer->Canvas()->SetFont(FSet->TextFont.get());
}

void TKroPrinter::SetUpLayout() {
    TPrinter* printer = Printer();
    const QPoint offset = printer->PhysicalOffset();
    const int xDpi = qMax(printer->XDpi(), 1);
    const int yDpi = qMax(printer->YDpi(), 1);
    // Units across and down per 254 mm (ten inches), and the offsets in those units.
    qint64 across = 100;
    qint64 down = qint64(UnitsPerInch) * 10 / StandardLine;
    qint64 columnOffset = 0;
    qint64 lineOffset = 0;
    if (FDocMode == pmText) {
        const int spacing = LineSpacing(FDefaultSet ? 1 : FSet->Interval);
        across = PitchOf(FDefaultSet ? ptNormal : FSet->Pitch).Cpi10;
        columnOffset = offset.x() * across / xDpi / 10;
        lineOffset = qint64(offset.y()) * UnitsPerInch / yDpi / spacing;
        down = qint64(UnitsPerInch) * 10;
        // Margins convert with 2160 / (spacing × 254): fold the spacing into the divisor.
        auto lines = [&](qint64 Millimetres) {
            return int(Millimetres * down / (spacing * TenthsOfMmPerInch) - lineOffset);
        };
        FTop = lines(FSet->TopMargin);
        FBottom = lines(FSet->PaperHeight - FSet->BottomMargin);
        FPageLength = lines(FSet->PaperHeight);
    } else {
        if (FDocMode == pmGraphics) {
            across = qint64(xDpi) * 10;
            down = qint64(yDpi) * 10;
            columnOffset = offset.x();
            lineOffset = offset.y();
        }
        auto lines = [&](qint64 Millimetres) {
            return int(Millimetres * down / TenthsOfMmPerInch - lineOffset);
        };
        FTop = lines(FSet->TopMargin);
        FBottom = lines(FSet->PaperHeight - FSet->BottomMargin);
        FPageLength = lines(FSet->PaperHeight);
    }
    FLeft = int(FSet->LeftMargin * across / TenthsOfMmPerInch - columnOffset);
    FRight =
        int((FSet->PaperWidth - FSet->RightMargin) * across / TenthsOfMmPerInch - columnOffset);
}

bool TKroPrinter::Selects(int Page) const {
    return !FPageList || FPageList->Contains(Page);
}

void TKroPrinter::EndDoc() {
    CheckInDoc("EndDoc without BeginDoc");
    Guarded([&] {
        if (FDocMode == pmGraphics) {
            Printer()->EndDoc();
            return;
        }
        if (FSelected)
            EndPage();
        FOutput->Finish();
    });
    FOutput.reset();
    FInDoc = false;
    FSet = nullptr;
}

void TKroPrinter::Abort() {
    CheckInDoc("EndDoc without BeginDoc");
    CloseDocument();
}

void TKroPrinter::NewPage() {
    CheckInDoc("Print without BeginDoc");
    Guarded([&] {
        if (FSelected)
            EndPage();
        FLine = FTop;
        ++FPage;
        FSelected = Selects(FPage);
        if (FSelected)
            StartPage();
    });
}

void TKroPrinter::StartPage() {
    const bool numbered =
        FSet->Numbering && (FSet->NumberOnFirstPage || FPage > FSet->FirstPageNumber);
    FNumberText = numbered ? KroPageNumberText(FSet->NumberFormat, FPage) : QString();
    if (FDocMode == pmGraphics) {
        if (FPageStarted)
            Printer()->NewPage();
        FPageStarted = true;
        DrawNumber();
        return;
    }
    FPageStarted = true;
    if (FSet->WithoutPages)
        return;
    const int breaks = qMax(FTop - 1, 0);
    if (FSet->NumberAtTop && !FNumberText.isEmpty() && breaks > 0) {
        const int before = breaks >= 2 ? 1 : 0;
        WriteLines(before);
        Write(NumberLine());
        WriteLines(breaks - before);
    } else {
        WriteLines(breaks);
    }
}

void TKroPrinter::EndPage() {
    if (FDocMode == pmGraphics || FSet->WithoutPages)
        return;
    if (!FSet->NumberAtTop && !FNumberText.isEmpty()) {
        WriteLines(qMax(FPageLength - BottomNumberLines - FLine, 0));
        FLine = qMax(FLine, FPageLength - BottomNumberLines);
        Write(NumberLine() + LineBreak);
    }
    Write(QStringLiteral("\f"));
}

QString TKroPrinter::NumberLine() const {
    const int length = int(FNumberText.size());
    int blanks = FLeft - 1;
    if (FSet->NumberPosition == npRight)
        blanks = FRight - length;
    else if (FSet->NumberPosition == npCenter)
        blanks = FLeft - 1 + (FRight - FLeft + 1 - length) / 2;
    return QString(qMax(blanks, 0), QLatin1Char(' ')) + FNumberText;
}

void TKroPrinter::DrawNumber() {
    if (FNumberText.isEmpty())
        return;
    TCanvas* canvas = Printer()->Canvas();
    TFont previous;
    previous.Assign(canvas->Font());
    canvas->SetFont(FSet->NumberFont.get());
    const QSize size = canvas->TextExtent(FNumberText);
    int x = FLeft;
    if (FSet->NumberPosition == npRight)
        x = FRight - size.width();
    else if (FSet->NumberPosition == npCenter)
        x = FLeft + (FRight - FLeft - size.width()) / 2;
    const int y = FSet->NumberAtTop ? qMax(FTop - 2 * size.height(), 0)
                                    : qMax(FPageLength - 2 * size.height(), FBottom);
    canvas->TextRect(QRect(QPoint(x, y), QPoint(FRight - 1, FPageLength - 1)), x, y, FNumberText);
    canvas->SetFont(&previous);
}

void TKroPrinter::Write(const QString& Text) {
    FOutput->Write(Text);
}

void TKroPrinter::WriteLines(int Count) {
    if (Count > 0)
        Write(LineBreak.repeated(Count));
}

void TKroPrinter::Print(const QString& Text) {
    CheckInDoc("Print without BeginDoc");
    Guarded([&] {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n\r|\n|\r"));
        const QStringList pages = Text.split(QLatin1Char('\f'));
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0)
                NewPage();
            // The parts a form feed makes print nothing when empty.
            if (pages.size() > 1 && pages[i].isEmpty())
                continue;
            for (const QString& line : pages[i].split(lineBreak))
                PrintLine(line);
        }
    });
}

void TKroPrinter::Print(const TStrings* Lines) {
    CheckInDoc("Print without BeginDoc");
    for (int i = 0; i < Lines->Count(); ++i)
        Print(Lines->Strings(i));
}

void TKroPrinter::PrintDashes(int Count) {
    Print(QString(qMax(Count, 0), QLatin1Char('-')));
}

void TKroPrinter::PrintLine(const QString& Line) {
    if (FDocMode == pmGraphics) {
        PrintGraphicsLine(Line);
        return;
    }
    if (FLine >= FBottom)
        NewPage();
    if (FSelected) {
        QString text = Line;
        if (FDocMode == pmText) {
            text = QString(qMax(FLeft - 1, 0), QLatin1Char(' ')) + Line;
            text.truncate(qBound(0, FRight, MaxTextChunk));
        }
        Write(text + LineBreak);
    }
    ++FLine;
}

void TKroPrinter::PrintGraphicsLine(const QString& Line) {
    TCanvas* canvas = Printer()->Canvas();
    const TTextMetric metric = canvas->TextMetric();
    if (FLine + metric.tmHeight > FBottom)
        NewPage();
    if (FSelected)
        canvas->TextRect(QRect(QPoint(FLeft, FLine), QPoint(FRight - 1, FBottom - 1)), FLeft, FLine,
                         Line);
    const int height = metric.tmHeight + metric.tmExternalLeading;
    FLine += FDefaultSet ? height : int(qRound(height * FSet->Interval));
}

// The accessors

namespace {

template <class T> T* Singleton() {
    static T* instance = nullptr;
    if (!instance) {
        instance = new T;
        qAddPostRoutine([] { delete std::exchange(instance, nullptr); });
    }
    return instance;
}

} // namespace

TKroPrintSet* KroPrintSet() {
    return Singleton<TKroPrintSet>();
}

TKroPrinter* KroPrinter() {
    return Singleton<TKroPrinter>();
}
