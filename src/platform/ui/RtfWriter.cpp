#include "RtfWriter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <rtl/CodePage.h>

namespace {

constexpr int TwipsPerPixel = 15;
constexpr qreal PointsPerPixel = 72.0 / 96.0;

int PixelsToTwips(qreal Pixels) {
    return qRound(Pixels * TwipsPerPixel);
}

bool IsBulletList(const QTextList* List) {
    switch (List->format().style()) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return true;
    default:
        return false;
    }
}

// Character formatting as the writer numbers it: indexes into its tables.
struct TCharProps {
    int Font = -1;
    int HalfPoints = -1;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Foreground = -1; // 0: the default colour
    int Background = -1;
};

class TRtfWriter {
public:
    explicit TRtfWriter(const QTextDocument* Document) : FDocument(Document), FCodePage(1252) {}

    QByteArray Rtf();

private:
    TCharProps PropsOf(const QTextCharFormat& Format);
    int FontIndex(const QString& Family);
    int ColorIndex(const QBrush& Brush);
    void CollectTables();
    void WriteHeader();
    void WriteBlock(const QTextBlock& Block);
    void WriteParagraph(const QTextBlock& Block);
    void WriteListMarker(const QTextBlock& Block);
    void WriteCharProps(const TCharProps& Props);
    void WriteText(const QString& Text);
    void Word(const char* Name);
    void Word(const char* Name, int Parameter);
    void Toggle(const char* Name, const char* OffName, bool On, bool Was);
    void Raw(const QByteArray& Text);

    const QTextDocument* FDocument;
    TCodePage FCodePage;
    QByteArray FOut;
    bool FNeedsDelimiter = false;
    QStringList FFonts;
    QList<QRgb> FColors;
    int FSymbolFont = -1;
    TCharProps FCurrent;
};

QByteArray TRtfWriter::Rtf() {
    CollectTables();
    WriteHeader();
    for (QTextBlock block = FDocument->begin(); block.isValid(); block = block.next())
        WriteBlock(block);
    Raw("}\n");
    return FOut;
}

TCharProps TRtfWriter::PropsOf(const QTextCharFormat& Format) {
    const QFont font = Format.font().resolve(FDocument->defaultFont());
    TCharProps props;
    props.Font = FontIndex(font.family());
    const qreal points =
        font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * PointsPerPixel;
    props.HalfPoints = qMax(2, qRound(points * 2));
    props.Bold = font.bold();
    props.Italic = font.italic();
    props.Underline = font.underline();
    props.StrikeOut = font.strikeOut();
    props.Foreground = ColorIndex(Format.foreground());
    props.Background = ColorIndex(Format.background());
    return props;
}

int TRtfWriter::FontIndex(const QString& Family) {
    const int index = int(FFonts.indexOf(Family));
    if (index >= 0)
        return index;
    FFonts.append(Family);
    return int(FFonts.size()) - 1;
}

int TRtfWriter::ColorIndex(const QBrush& Brush) {
    if (Brush.style() == Qt::NoBrush)
        return 0;
    const QRgb rgb = Brush.color().rgb();
    const int index = int(FColors.indexOf(rgb));
    if (index >= 0)
        return index + 1;
    FColors.append(rgb);
    return int(FColors.size());
}

void TRtfWriter::CollectTables() {
    for (QTextBlock block = FDocument->begin(); block.isValid(); block = block.next()) {
        // As WriteBlock writes them: the block's own format only for an empty block.
        if (block.begin().atEnd())
            PropsOf(block.charFormat());
        for (auto it = block.begin(); !it.atEnd(); ++it)
            PropsOf(it.fragment().charFormat());
        if (block.textList() && IsBulletList(block.textList()) && FSymbolFont < 0) {
            FFonts.append(QStringLiteral("Symbol"));
            FSymbolFont = int(FFonts.size()) - 1;
        }
    }
}

void TRtfWriter::WriteHeader() {
    Raw("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl");
    for (int i = 0; i < FFonts.size(); ++i) {
        Raw("{");
        Word("f", i);
        Word("fnil");
        Word("fcharset", i == FSymbolFont ? 2 : 0);
        WriteText(FFonts[i]);
        Raw(";}");
    }
    Raw("}\n{\\colortbl ;");
    for (QRgb rgb : FColors) {
        Word("red", qRed(rgb));
        Word("green", qGreen(rgb));
        Word("blue", qBlue(rgb));
        Raw(";");
    }
    Raw("}\n");
}

void TRtfWriter::WriteBlock(const QTextBlock& Block) {
    WriteParagraph(Block);
    bool empty = true;
    for (auto it = Block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.charFormat().objectType() != QTextFormat::NoObject)
            continue; // pictures and other embedded objects are not kept
        WriteCharProps(PropsOf(fragment.charFormat()));
        WriteText(fragment.text());
        empty = false;
    }
    if (empty)
        WriteCharProps(PropsOf(Block.charFormat()));
    Word("par");
    Raw("\n");
}

void TRtfWriter::WriteParagraph(const QTextBlock& Block) {
    const QTextBlockFormat format = Block.blockFormat();
    Word("pard");
    switch (int(format.alignment() & Qt::AlignHorizontal_Mask)) {
    case Qt::AlignHCenter:
        Word("qc");
        break;
    case Qt::AlignRight:
    case int(Qt::AlignRight | Qt::AlignAbsolute):
        Word("qr");
        break;
    case Qt::AlignJustify:
        Word("qj");
        break;
    default:
        break;
    }
    int levels = format.indent();
    if (const QTextList* list = Block.textList())
        levels += list->format().indent();
    const int left = PixelsToTwips(format.leftMargin() + levels * FDocument->indentWidth());
    const std::pair<const char*, int> values[] = {{"fi", PixelsToTwips(format.textIndent())},
                                                  {"li", left},
                                                  {"ri", PixelsToTwips(format.rightMargin())},
                                                  {"sb", PixelsToTwips(format.topMargin())},
                                                  {"sa", PixelsToTwips(format.bottomMargin())}};
    for (const auto& [name, twips] : values)
        if (twips != 0)
            Word(name, twips);
    if (Block.textList())
        WriteListMarker(Block);
}

// The marker text as readers without lists show it, then, for bullets, the numbering
// description that marks the paragraph as a bullet item.
void TRtfWriter::WriteListMarker(const QTextBlock& Block) {
    const bool bullet = IsBulletList(Block.textList());
    Raw("{");
    Word("pntext");
    if (bullet) {
        Word("f", FSymbolFont);
        Raw("\\'b7");
    } else {
        WriteText(Block.textList()->itemText(Block));
    }
    Word("tab");
    Raw("}");
    if (!bullet)
        return;
    Raw("{\\*");
    Word("pn");
    Word("pnlvlblt");
    Word("pnf", FSymbolFont);
    Word("pnindent", 0);
    Raw("{");
    Word("pntxtb");
    Raw("\\'b7}}");
}

void TRtfWriter::Toggle(const char* Name, const char* OffName, bool On, bool Was) {
    if (On != Was)
        Word(On ? Name : OffName);
}

void TRtfWriter::WriteCharProps(const TCharProps& Props) {
    if (Props.Font != FCurrent.Font)
        Word("f", Props.Font);
    if (Props.HalfPoints != FCurrent.HalfPoints)
        Word("fs", Props.HalfPoints);
    Toggle("b", "b0", Props.Bold, FCurrent.Bold);
    Toggle("i", "i0", Props.Italic, FCurrent.Italic);
    Toggle("ul", "ulnone", Props.Underline, FCurrent.Underline);
    Toggle("strike", "strike0", Props.StrikeOut, FCurrent.StrikeOut);
    if (Props.Foreground != FCurrent.Foreground)
        Word("cf", Props.Foreground);
    if (Props.Background != FCurrent.Background)
        Word("highlight", Props.Background);
    FCurrent = Props;
}

void TRtfWriter::WriteText(const QString& Text) {
    for (const QChar c : Text) {
        const char16_t unicode = c.unicode();
        if (unicode == '\t') {
            Word("tab");
        } else if (c == QChar::LineSeparator) {
            Word("line");
        } else if (unicode == 0xA0) {
            Raw("\\~");
        } else if (unicode >= 0x20 && unicode < 0x80) {
            const char ascii = char(unicode);
            const bool escaped = ascii == '\\' || ascii == '{' || ascii == '}';
            Raw(escaped ? QByteArray("\\") + ascii : QByteArray(1, ascii));
        } else if (const auto byte = c.isSurrogate() ? std::nullopt : FCodePage.Encode(QString(c));
                   byte && byte->size() == 1) {
            Raw("\\'" + byte->toHex());
        } else {
            Word("u", qint16(unicode));
            Raw("?");
        }
    }
}

void TRtfWriter::Word(const char* Name) {
    FOut += '\\';
    FOut += Name;
    FNeedsDelimiter = true;
}

void TRtfWriter::Word(const char* Name, int Parameter) {
    Word(Name);
    FOut += QByteArray::number(Parameter);
}

// Text after a control word gets the space that ends the word.
void TRtfWriter::Raw(const QByteArray& Text) {
    if (FNeedsDelimiter && !Text.startsWith('\\') && !Text.startsWith('{') &&
        !Text.startsWith('}') && !Text.startsWith('\n'))
        FOut += ' ';
    FNeedsDelimiter = false;
    FOut += Text;
}

} // namespace

QByteArray WriteRtf(const QTextDocument* Document) {
    return TRtfWriter(Document).Rtf();
}
