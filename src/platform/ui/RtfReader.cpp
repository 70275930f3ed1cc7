#include "RtfReader.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <rtl/CodePage.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int DefaultCodePage = 1252;
// Groups nested deeper than this are read as ignored groups, so the state stack stays small.
constexpr int MaxGroupDepth = 4096;
constexpr int MaxTwips = 31680; // 22 inches
constexpr int TwipsPerPixel = 15;

enum class TDestination {
    Text,       // the document's text
    FontTable,  // font numbers, character sets and names
    ColorTable, // colour entries separated by ";"
    Marker,     // the text standing for a list item's bullet or number
    Numbering,  // how a paragraph is numbered
    Skip        // ignored with everything inside
};

enum class TNumbering { None, Bullet, Numbered };

enum class TKeyword {
    // destinations
    FontTable,
    ColorTable,
    Marker,
    Numbering,
    SkippedDestination,
    // document
    AnsiCodePage,
    DefaultFont,
    UnicodeSkip,
    Unicode,
    // special characters
    Par,
    Line,
    Tab,
    Character,
    // character formatting
    Plain,
    Font,
    FontSize,
    FontCharset,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    StrikeOut,
    Foreground,
    Background,
    Red,
    Green,
    Blue,
    // paragraph formatting
    ParagraphDefault,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    FirstIndent,
    LeftIndent,
    RightIndent,
    SpaceBefore,
    SpaceAfter,
    // numbering
    BulletLevel,
    NumberedLevel,
};

struct TKeywordInfo {
    TKeyword Keyword;
    char16_t Character = 0; // for TKeyword::Character
};

// The control words the reader knows, found by a hash of their letters in open addressing,
// so that looking up a word read makes no string of it.
class TKeywordTable {
public:
    void Insert(std::string_view Word, TKeywordInfo Info) {
        size_t slot = Hash(Word);
        while (!FSlots[slot].Word.empty())
            slot = (slot + 1) % Slots;
        FSlots[slot] = {Word, Info};
    }
    const TKeywordInfo* Find(std::string_view Word) const {
        for (size_t slot = Hash(Word); !FSlots[slot].Word.empty(); slot = (slot + 1) % Slots)
            if (FSlots[slot].Word == Word)
                return &FSlots[slot].Info;
        return nullptr;
    }

private:
    static constexpr size_t Slots = 512; // a power of two, several times the words
    static size_t Hash(std::string_view Word) {
        std::uint32_t hash = 2166136261u; // FNV-1a
        for (const char c : Word)
            hash = (hash ^ std::uint8_t(c)) * 16777619u;
        return hash % Slots;
    }
    struct TSlot {
        std::string_view Word;
        TKeywordInfo Info;
    };
    std::array<TSlot, Slots> FSlots{};
};

const TKeywordTable& Keywords() {
    static const TKeywordTable keywords = [] {
        TKeywordTable k;
        k.Insert("fonttbl", {TKeyword::FontTable});
        k.Insert("colortbl", {TKeyword::ColorTable});
        for (const char* word : {"pntext", "listtext"})
            k.Insert(word, {TKeyword::Marker});
        k.Insert("pn", {TKeyword::Numbering});
        constexpr std::string_view skipped =
            "stylesheet info pict object header headerl headerr headerf footer footerl footerr "
            "footerf footnote listtable listoverridetable revtbl filetbl private fldinst pntxtb "
            "pntxta annotation xe tc themedata colorschememapping latentstyles datastore xmlnstbl "
            "rsidtbl generator bkmkstart bkmkend";
        for (size_t start = 0; start < skipped.size();) {
            const size_t end = std::min(skipped.find(' ', start), skipped.size());
            k.Insert(skipped.substr(start, end - start), {TKeyword::SkippedDestination});
            start = end + 1;
        }
        k.Insert("ansicpg", {TKeyword::AnsiCodePage});
        k.Insert("deff", {TKeyword::DefaultFont});
        k.Insert("uc", {TKeyword::UnicodeSkip});
        k.Insert("u", {TKeyword::Unicode});
        for (const char* word : {"par", "sect", "page", "row"})
            k.Insert(word, {TKeyword::Par});
        k.Insert("line", {TKeyword::Line});
        for (const char* word : {"tab", "cell"})
            k.Insert(word, {TKeyword::Tab});
        const std::pair<const char*, char16_t> characters[] = {
            {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
            {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"emspace", 0x2003},
            {"enspace", 0x2002}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C}};
        for (const auto& [word, character] : characters)
            k.Insert(word, {TKeyword::Character, character});
        k.Insert("plain", {TKeyword::Plain});
        k.Insert("f", {TKeyword::Font});
        k.Insert("fs", {TKeyword::FontSize});
        k.Insert("fcharset", {TKeyword::FontCharset});
        k.Insert("b", {TKeyword::Bold});
        k.Insert("i", {TKeyword::Italic});
        for (const char* word : {"ul", "uld", "uldb", "uldash", "uldashd", "uldashdd", "ulhair",
                                 "ulth", "ulw", "ulwave", "ululdbwave", "ulthd", "ulthdash"})
            k.Insert(word, {TKeyword::Underline});
        k.Insert("ulnone", {TKeyword::UnderlineNone});
        for (const char* word : {"strike", "striked"})
            k.Insert(word, {TKeyword::StrikeOut});
        k.Insert("cf", {TKeyword::Foreground});
        for (const char* word : {"highlight", "cb", "chcbpat"})
            k.Insert(word, {TKeyword::Background});
        k.Insert("red", {TKeyword::Red});
        k.Insert("green", {TKeyword::Green});
        k.Insert("blue", {TKeyword::Blue});
        k.Insert("pard", {TKeyword::ParagraphDefault});
        k.Insert("ql", {TKeyword::AlignLeft});
        k.Insert("qc", {TKeyword::AlignCenter});
        k.Insert("qr", {TKeyword::AlignRight});
        k.Insert("qj", {TKeyword::AlignJustify});
        k.Insert("fi", {TKeyword::FirstIndent});
        for (const char* word : {"li", "lin"})
            k.Insert(word, {TKeyword::LeftIndent});
        for (const char* word : {"ri", "rin"})
            k.Insert(word, {TKeyword::RightIndent});
        k.Insert("sb", {TKeyword::SpaceBefore});
        k.Insert("sa", {TKeyword::SpaceAfter});
        k.Insert("pnlvlblt", {TKeyword::BulletLevel});
        for (const char* word :
             {"pnlvlbody", "pnlvl", "pndec", "pnlcltr", "pnucltr", "pnlcrm", "pnucrm"})
            k.Insert(word, {TKeyword::NumberedLevel});
        return k;
    }();
    return keywords;
}

struct TCharState {
    int Font = -1;      // the font table's number; -1 for the document's font
    int HalfPoints = 0; // 0 for the document's size
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Foreground = -1; // colour table index; -1 for the default colour
    int Background = -1;
    bool operator==(const TCharState&) const = default;
};

struct TParaState {
    Qt::Alignment Alignment = Qt::AlignLeft;
    int FirstIndent = 0; // twips
    int LeftIndent = 0;
    int RightIndent = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    TNumbering Numbering = TNumbering::None;
};

struct TGroupState {
    TDestination Destination = TDestination::Text;
    TCharState Char;
    TParaState Para;
    int UnicodeSkip = 1;
    bool Ignorable = false; // "\*" began the group
};

struct TFontEntry {
    QString Name;
    int CodePage = 0; // 0: the document's
};

qreal TwipsToPixels(int Twips) {
    return qreal(Twips) / TwipsPerPixel;
}

// A list marker that stands for a bullet rather than a number or letter.
bool LooksLikeBullet(const QString& Marker) {
    const QString text = Marker.trimmed();
    return text.size() == 1 && (!text[0].isLetterOrNumber() || text[0] == QLatin1Char('o'));
}

// The characters Run handles itself; any other byte of the text body is text.
bool IsSyntax(char C) {
    return C == '{' || C == '}' || C == '\\' || C == '\r' || C == '\n' || C == '\t';
}

// UTF-8 text with a byte order mark at its start kept: text bytes are decoded a run at a
// time, and a run may begin with the character.
QString Utf8Text(const QByteArray& Bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return utf8.decode(Bytes);
}

// A string made valid UTF-16: unpaired surrogates become U+FFFD.
QString WithoutLoneSurrogates(QString Text) {
    // Read through a constant view, so that a text without faults is not copied.
    const QString& view = Text;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (view[i].isHighSurrogate() && i + 1 < view.size() && view[i + 1].isLowSurrogate())
            ++i;
        else if (view[i].isSurrogate())
            Text[i] = QChar::ReplacementCharacter;
    }
    return Text;
}

// Reads rich text into a document. Text bytes wait in FBytes until something else comes,
// so that characters of several bytes decode together; decoded text waits in FText until
// the character formatting changes or the paragraph ends.
class TRtfParser {
public:
    TRtfParser(QTextDocument* Document, const QByteArray& Data, bool Utf8Text)
        : FData(Data), FUtf8Text(Utf8Text), FCursor(Document) {}
    // Reads the text alone into Plain, paragraphs ended by "\n", without a document.
    TRtfParser(QString* Plain, const QByteArray& Data, bool Utf8Text)
        : FData(Data), FUtf8Text(Utf8Text), FPlain(Plain) {}

    void Run();

private:
    enum class TByteKind { Escaped, Raw };

    TGroupState& State() { return FStates.back(); }
    bool Skipping() const {
        return FSkippedDepth > 0 || FStates.back().Destination == TDestination::Skip;
    }

    void ReadControl();
    int ReadParameter(bool& HasParameter);
    void GroupStart();
    void GroupEnd();
    void ControlWord(std::string_view Word, bool HasParameter, int Parameter);
    void ControlSymbol(char Symbol);
    void SetDestination(TDestination Destination);
    void Keyword(const TKeywordInfo& Info, bool HasParameter, int Parameter);
    void CharacterKeyword(TKeyword Keyword, bool HasParameter, int Parameter);
    void ParagraphKeyword(TKeyword Keyword, int Parameter);
    void TableKeyword(TKeyword Keyword, int Parameter);
    // False, counting down, while the fallback characters after \u are being skipped.
    bool ConsumeFallback();
    void Byte(char Value, TByteKind Kind);
    void AppendBytes(const char* Data, qsizetype Size, TByteKind Kind);
    // The text bytes from the one just read up to the next character of the syntax.
    void TextRun();
    void Character(QChar Value);
    void FlushBytes();
    void AppendText(const QString& Text);
    void FlushText();
    // Text made valid UTF-16; only \u can have brought a surrogate without its pair.
    QString Valid(QString Text) const {
        return FSurrogates ? WithoutLoneSurrogates(std::move(Text)) : Text;
    }
    void ResolveMarker();
    void EndParagraph();
    void ApplyParagraph();
    void Finish();
    void CommitFont();
    void CommitColor();
    int CodePageOfState();
    const TCodePage& CodePage(int Number);
    QTextCharFormat CharFormat(const TCharState& State) const;
    QColor TableColor(int Index) const;

    const QByteArray FData;
    const bool FUtf8Text;
    qsizetype FPos = 0;
    bool FFinished = false;
    QTextCursor FCursor;
    QString* FPlain = nullptr; // the text alone is read into it; no document then
    std::vector<TGroupState> FStates{TGroupState()};
    int FSkippedDepth = 0;    // groups opened beyond MaxGroupDepth
    int FFallbackLeft = 0;    // characters still to skip after \u
    bool FSurrogates = false; // \u gave a surrogate

    int FDocumentCodePage = DefaultCodePage;
    int FDefaultFont = -1;
    std::map<int, TFontEntry> FFonts;
    std::map<int, std::unique_ptr<TCodePage>> FCodePages;
    QList<QColor> FColors;

    // The font table entry being read.
    int FFontNumber = -1;
    int FFontCharset = 0;
    QString FFontName;
    // The colour table entry being read.
    int FRed = 0, FGreen = 0, FBlue = 0;
    bool FColorGiven = false;

    std::string FBytes; // appended to a few bytes at a time: cheaper than a QByteArray
    TByteKind FBytesKind = TByteKind::Raw;
    int FBytesCodePage = DefaultCodePage;
    QString FText;
    TCharState FTextState;

    QString FMarker;
    bool FHasMarker = false;
    bool FBulletByMarker = false;
    QTextList* FList = nullptr;
    // The current paragraph was begun by \par and holds nothing yet.
    bool FAfterParagraphEnd = false;
};

void TRtfParser::Run() {
    FCursor.beginEditBlock();
    while (FPos < FData.size() && !FFinished) {
        const char c = FData[FPos++];
        switch (c) {
        case '{':
            GroupStart();
            break;
        case '}':
            GroupEnd();
            break;
        case '\\':
            ReadControl();
            break;
        case '\r':
        case '\n':
            break;
        case '\t':
            if (!Skipping() && ConsumeFallback())
                Character(QLatin1Char('\t'));
            break;
        default:
            if (Skipping())
                break;
            // Text is taken a run at a time, unless characters are being skipped.
            if (FFallbackLeft == 0 && State().Destination == TDestination::Text)
                TextRun();
            else
                Byte(c, TByteKind::Raw);
        }
    }
    Finish();
    FCursor.endEditBlock();
}

void TRtfParser::ReadControl() {
    if (FPos >= FData.size())
        return;
    const char first = FData[FPos];
    if (!QChar::isLetter(uchar(first)) || uchar(first) >= 0x80) {
        ++FPos;
        if (first == '\'') {
            bool ok = false;
            const int value = FData.mid(FPos, 2).toInt(&ok, 16);
            FPos = qMin(FPos + 2, FData.size());
            if (ok && !Skipping() && ConsumeFallback())
                Byte(char(value), TByteKind::Escaped);
        } else {
            ControlSymbol(first);
        }
        return;
    }
    char word[32]; // longer words are known by their first letters
    size_t length = 0;
    while (FPos < FData.size() && QChar::isLetter(uchar(FData[FPos])) &&
           uchar(FData[FPos]) < 0x80) {
        if (length < sizeof word)
            word[length++] = FData[FPos];
        ++FPos;
    }
    bool hasParameter = false;
    const int parameter = ReadParameter(hasParameter);
    if (FPos < FData.size() && FData[FPos] == ' ')
        ++FPos;
    ControlWord(std::string_view(word, length), hasParameter, parameter);
}

// Digits after an optional "-", saturated to the range of int.
int TRtfParser::ReadParameter(bool& HasParameter) {
    const bool negative =
        FPos + 1 < FData.size() && FData[FPos] == '-' && QChar::isDigit(uchar(FData[FPos + 1]));
    if (negative)
        ++FPos;
    qint64 value = 0;
    while (FPos < FData.size() && FData[FPos] >= '0' && FData[FPos] <= '9') {
        HasParameter = true;
        value = qMin<qint64>(value * 10 + (FData[FPos] - '0'), qint64(1) << 32);
        ++FPos;
    }
    return int(qBound(qint64(INT_MIN), negative ? -value : value, qint64(INT_MAX)));
}

// Text bytes wait across groups and control words while only plain text is read: they
// belong to the formatting in force only when a document is made. A change of destination
// or code page flushes them still.
void TRtfParser::GroupStart() {
    if (!FPlain)
        FlushBytes();
    FFallbackLeft = 0;
    if (FSkippedDepth > 0 || int(FStates.size()) >= MaxGroupDepth) {
        ++FSkippedDepth;
        return;
    }
    TGroupState state = State();
    state.Ignorable = false;
    FStates.push_back(state);
}

void TRtfParser::GroupEnd() {
    if (!FPlain || FSkippedDepth > 0 || FStates.size() <= 2 ||
        FStates[FStates.size() - 2].Destination != State().Destination)
        FlushBytes();
    FFallbackLeft = 0;
    if (FSkippedDepth > 0) {
        --FSkippedDepth;
        return;
    }
    const TDestination ending = State().Destination;
    if (ending == TDestination::FontTable && !FFontName.isEmpty())
        CommitFont();
    if (FStates.size() <= 2) {
        // The document's own group ends: what follows is not part of it.
        FFinished = FStates.size() == 2;
        return;
    }
    FStates.pop_back();
}

void TRtfParser::SetDestination(TDestination Destination) {
    FlushBytes();
    State().Destination = Destination;
    if (Destination == TDestination::Marker) {
        FMarker.clear();
        FHasMarker = true;
    }
}

void TRtfParser::ControlSymbol(char Symbol) {
    if (Skipping())
        return;
    FlushBytes();
    switch (Symbol) {
    case '*':
        State().Ignorable = true;
        return;
    case '\\':
    case '{':
    case '}':
        if (ConsumeFallback())
            Byte(Symbol, TByteKind::Raw);
        return;
    case '\r':
    case '\n':
        if (ConsumeFallback())
            EndParagraph();
        return;
    case '~':
        if (ConsumeFallback())
            Character(QChar(0x00A0));
        return;
    case '_':
        if (ConsumeFallback())
            Character(QChar(0x2011));
        return;
    default:
        return;
    }
}

void TRtfParser::ControlWord(std::string_view Word, bool HasParameter, int Parameter) {
    if (Word == "bin") {
        // Binary data follows: skip it without looking at it.
        FPos += qBound(qsizetype(0), qsizetype(HasParameter ? Parameter : 0), FData.size() - FPos);
        return;
    }
    if (Skipping())
        return;
    if (!FPlain)
        FlushBytes();
    // "\*" makes only the word right after it a destination the reader may skip.
    const bool ignorable = std::exchange(State().Ignorable, false);
    const TKeywordInfo* found = Keywords().Find(Word);
    if (!found) {
        if (ignorable)
            SetDestination(TDestination::Skip);
        else
            ConsumeFallback();
        return;
    }
    Keyword(*found, HasParameter, Parameter);
}

void TRtfParser::Keyword(const TKeywordInfo& Info, bool HasParameter, int Parameter) {
    const TDestination destination = State().Destination;
    switch (Info.Keyword) {
    case TKeyword::FontTable:
        SetDestination(TDestination::FontTable);
        return;
    case TKeyword::ColorTable:
        SetDestination(TDestination::ColorTable);
        FColors.clear();
        return;
    case TKeyword::Marker:
        FlushText();
        SetDestination(TDestination::Marker);
        return;
    case TKeyword::Numbering:
        SetDestination(TDestination::Numbering);
        return;
    case TKeyword::SkippedDestination:
        SetDestination(TDestination::Skip);
        return;
    case TKeyword::AnsiCodePage:
        FlushBytes();
        FDocumentCodePage = Parameter > 0 ? Parameter : DefaultCodePage;
        return;
    case TKeyword::DefaultFont:
        FDefaultFont = Parameter;
        if (FStates.size() > 1 && State().Char.Font < 0)
            State().Char.Font = Parameter;
        return;
    case TKeyword::UnicodeSkip:
        State().UnicodeSkip = qBound(0, Parameter, 8);
        return;
    case TKeyword::Unicode:
        Character(QChar(char16_t(Parameter < 0 ? Parameter + 65536 : Parameter)));
        FFallbackLeft = State().UnicodeSkip;
        return;
    default:
        break;
    }
    if (!ConsumeFallback())
        return;
    if (destination == TDestination::FontTable || destination == TDestination::ColorTable) {
        TableKeyword(Info.Keyword, Parameter);
        return;
    }
    if (destination == TDestination::Numbering) {
        // The numbering belongs to the paragraph around the \pn group.
        TParaState& para = FStates[FStates.size() - 2].Para;
        if (Info.Keyword == TKeyword::BulletLevel)
            para.Numbering = TNumbering::Bullet;
        else if (Info.Keyword == TKeyword::NumberedLevel && para.Numbering != TNumbering::Bullet)
            para.Numbering = TNumbering::Numbered;
        return;
    }
    switch (Info.Keyword) {
    case TKeyword::Par:
        if (destination == TDestination::Text)
            EndParagraph();
        return;
    case TKeyword::Line:
        Character(QChar::LineSeparator);
        return;
    case TKeyword::Tab:
        Character(QLatin1Char('\t'));
        return;
    case TKeyword::Character:
        Character(QChar(Info.Character));
        return;
    default:
        break;
    }
    CharacterKeyword(Info.Keyword, HasParameter, Parameter);
    ParagraphKeyword(Info.Keyword, Parameter);
}

void TRtfParser::TableKeyword(TKeyword Keyword, int Parameter) {
    switch (Keyword) {
    case TKeyword::Font:
        FlushBytes();
        if (!FFontName.isEmpty())
            CommitFont();
        FFontNumber = Parameter;
        FFontCharset = 0;
        return;
    case TKeyword::FontCharset:
        FFontCharset = Parameter;
        return;
    case TKeyword::Red:
        FRed = qBound(0, Parameter, 255);
        FColorGiven = true;
        return;
    case TKeyword::Green:
        FGreen = qBound(0, Parameter, 255);
        FColorGiven = true;
        return;
    case TKeyword::Blue:
        FBlue = qBound(0, Parameter, 255);
        FColorGiven = true;
        return;
    default:
        return;
    }
}

void TRtfParser::CharacterKeyword(TKeyword Keyword, bool HasParameter, int Parameter) {
    TCharState& state = State().Char;
    const bool on = !HasParameter || Parameter != 0;
    switch (Keyword) {
    case TKeyword::Plain:
        FlushBytes();
        state = TCharState();
        state.Font = FDefaultFont;
        return;
    case TKeyword::Font:
        FlushBytes();
        state.Font = Parameter;
        return;
    case TKeyword::FontSize:
        state.HalfPoints = HasParameter ? qBound(2, Parameter, 3276) : 24;
        return;
    case TKeyword::Bold:
        state.Bold = on;
        return;
    case TKeyword::Italic:
        state.Italic = on;
        return;
    case TKeyword::Underline:
        state.Underline = on;
        return;
    case TKeyword::UnderlineNone:
        state.Underline = false;
        return;
    case TKeyword::StrikeOut:
        state.StrikeOut = on;
        return;
    case TKeyword::Foreground:
        state.Foreground = Parameter;
        return;
    case TKeyword::Background:
        state.Background = Parameter;
        return;
    default:
        return;
    }
}

void TRtfParser::ParagraphKeyword(TKeyword Keyword, int Parameter) {
    TParaState& para = State().Para;
    const int indent = qBound(-MaxTwips, Parameter, MaxTwips);
    const int margin = qBound(0, Parameter, MaxTwips);
    switch (Keyword) {
    case TKeyword::ParagraphDefault:
        para = TParaState();
        return;
    case TKeyword::AlignLeft:
        para.Alignment = Qt::AlignLeft;
        return;
    case TKeyword::AlignCenter:
        para.Alignment = Qt::AlignHCenter;
        return;
    case TKeyword::AlignRight:
        para.Alignment = Qt::AlignRight;
        return;
    case TKeyword::AlignJustify:
        para.Alignment = Qt::AlignJustify;
        return;
    case TKeyword::FirstIndent:
        para.FirstIndent = indent;
        return;
    case TKeyword::LeftIndent:
        para.LeftIndent = margin;
        return;
    case TKeyword::RightIndent:
        para.RightIndent = margin;
        return;
    case TKeyword::SpaceBefore:
        para.SpaceBefore = margin;
        return;
    case TKeyword::SpaceAfter:
        para.SpaceAfter = margin;
        return;
    default:
        return;
    }
}

bool TRtfParser::ConsumeFallback() {
    if (FFallbackLeft == 0)
        return true;
    --FFallbackLeft;
    return false;
}

void TRtfParser::Byte(char Value, TByteKind Kind) {
    if (Kind == TByteKind::Raw && !ConsumeFallback())
        return;
    const TDestination destination = State().Destination;
    if (destination == TDestination::FontTable && Value == ';') {
        FlushBytes();
        CommitFont();
        return;
    }
    if (destination == TDestination::ColorTable) {
        if (Value == ';')
            CommitColor();
        return;
    }
    AppendBytes(&Value, 1, Kind);
}

void TRtfParser::AppendBytes(const char* Data, qsizetype Size, TByteKind Kind) {
    // Plain text bytes wait across groups, so the marker is settled where they arrive.
    if (State().Destination == TDestination::Text)
        ResolveMarker();
    // Text taken as UTF-8 reads alike in every code page.
    const bool utf8 = Kind == TByteKind::Raw && FUtf8Text;
    const int codePage = utf8 ? FBytesCodePage : CodePageOfState();
    if (!FBytes.empty() && (Kind != FBytesKind || codePage != FBytesCodePage))
        FlushBytes();
    FBytesKind = Kind;
    FBytesCodePage = codePage;
    FBytes.append(Data, Size);
}

void TRtfParser::TextRun() {
    const qsizetype start = FPos - 1;
    while (FPos < FData.size() && !IsSyntax(FData[FPos]))
        ++FPos;
    AppendBytes(FData.constData() + start, FPos - start, TByteKind::Raw);
}

void TRtfParser::Character(QChar Value) {
    FSurrogates = FSurrogates || Value.isSurrogate();
    FlushBytes();
    AppendText(QString(Value));
}

void TRtfParser::FlushBytes() {
    if (FBytes.empty())
        return;
    const auto bytes = QByteArray::fromRawData(FBytes.data(), qsizetype(FBytes.size()));
    const QString text = FBytesKind == TByteKind::Raw && FUtf8Text
                             ? Utf8Text(bytes)
                             : CodePage(FBytesCodePage).Decode(bytes);
    FBytes.clear(); // keeps the buffer for the next bytes
    AppendText(text);
}

void TRtfParser::AppendText(const QString& Text) {
    switch (State().Destination) {
    case TDestination::Text:
        // A marker is settled by the numbering in force where its item's text begins.
        ResolveMarker();
        // Plain text runs on through changes of formatting.
        if (!FPlain && !(State().Char == FTextState))
            FlushText();
        FTextState = State().Char;
        FText += Text;
        return;
    case TDestination::FontTable:
        FFontName += Text;
        return;
    case TDestination::Marker:
        FMarker += Text;
        return;
    default:
        return;
    }
}

void TRtfParser::FlushText() {
    FlushBytes();
    if (FText.isEmpty())
        return;
    ResolveMarker();
    const QString text = Valid(std::exchange(FText, QString()));
    if (FPlain)
        *FPlain += text;
    else
        FCursor.insertText(text, CharFormat(FTextState));
    FAfterParagraphEnd = false;
}

// The marker before a list item's text is dropped when the item is a bullet; a number
// stays in the text, as the list is not kept.
void TRtfParser::ResolveMarker() {
    if (!FHasMarker)
        return;
    FHasMarker = false;
    const TNumbering numbering = State().Para.Numbering;
    if (numbering == TNumbering::Bullet)
        return;
    if (numbering == TNumbering::None && LooksLikeBullet(FMarker)) {
        FBulletByMarker = true;
        return;
    }
    if (FPlain)
        *FPlain += Valid(FMarker);
    else
        FCursor.insertText(Valid(FMarker), CharFormat(State().Char));
    FAfterParagraphEnd = false;
}

void TRtfParser::EndParagraph() {
    FlushText();
    ResolveMarker();
    ApplyParagraph();
    if (FPlain) {
        *FPlain += QLatin1Char('\n');
    } else {
        FCursor.setBlockCharFormat(CharFormat(State().Char));
        FCursor.insertBlock(QTextBlockFormat(), CharFormat(State().Char));
    }
    FAfterParagraphEnd = true;
}

// A list renumbers all its items whenever one is added, so a single list of n paragraphs
// takes n² steps to build. Bullets carry no numbers: a run of them is read as a sequence of
// lists of at most this many items, which looks the same and keeps reading linear.
constexpr int BulletsPerList = 64;

void TRtfParser::ApplyParagraph() {
    if (FPlain) {
        FBulletByMarker = false;
        return;
    }
    const TParaState& para = State().Para;
    QTextBlockFormat format;
    format.setAlignment(para.Alignment);
    format.setLeftMargin(TwipsToPixels(para.LeftIndent));
    format.setTextIndent(TwipsToPixels(para.FirstIndent));
    format.setRightMargin(TwipsToPixels(para.RightIndent));
    format.setTopMargin(TwipsToPixels(para.SpaceBefore));
    format.setBottomMargin(TwipsToPixels(para.SpaceAfter));
    FCursor.setBlockFormat(format);
    const bool bullet = para.Numbering == TNumbering::Bullet || FBulletByMarker;
    FBulletByMarker = false;
    if (!bullet) {
        FList = nullptr;
    } else if (FList && FList->count() < BulletsPerList) {
        FList->add(FCursor.block());
    } else {
        QTextListFormat listFormat;
        listFormat.setStyle(QTextListFormat::ListDisc);
        listFormat.setIndent(0);
        FList = FCursor.createList(listFormat);
    }
}

void TRtfParser::Finish() {
    FlushText();
    if (FAfterParagraphEnd) {
        // A final \par ends the last paragraph rather than beginning another.
        if (FPlain)
            FPlain->chop(1);
        else
            FCursor.deletePreviousChar();
    } else {
        ResolveMarker();
        ApplyParagraph();
    }
}

void TRtfParser::CommitFont() {
    QString name = FFontName.trimmed();
    FFontName.clear();
    if (FFontNumber < 0)
        return;
    FFonts[FFontNumber] = {name, CodePageOfCharset(FFontCharset)};
}

void TRtfParser::CommitColor() {
    FColors.append(FColorGiven ? QColor(FRed, FGreen, FBlue) : QColor());
    FRed = FGreen = FBlue = 0;
    FColorGiven = false;
}

int TRtfParser::CodePageOfState() {
    const int font = State().Destination == TDestination::FontTable ? -1 : State().Char.Font;
    const auto found = FFonts.find(font);
    if (found != FFonts.end() && found->second.CodePage > 0)
        return found->second.CodePage;
    if (State().Destination == TDestination::FontTable && CodePageOfCharset(FFontCharset) > 0)
        return CodePageOfCharset(FFontCharset);
    return FDocumentCodePage;
}

const TCodePage& TRtfParser::CodePage(int Number) {
    std::unique_ptr<TCodePage>& codePage = FCodePages[Number];
    if (!codePage)
        codePage = std::make_unique<TCodePage>(Number);
    return *codePage;
}

QColor TRtfParser::TableColor(int Index) const {
    return Index >= 0 && Index < FColors.size() ? FColors[Index] : QColor();
}

QTextCharFormat TRtfParser::CharFormat(const TCharState& State) const {
    QTextCharFormat format;
    const auto font = FFonts.find(State.Font);
    if (font != FFonts.end() && !font->second.Name.isEmpty())
        format.setFontFamilies(QStringList{font->second.Name});
    if (State.HalfPoints > 0)
        format.setFontPointSize(State.HalfPoints / 2.0);
    format.setFontWeight(State.Bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(State.Italic);
    format.setFontUnderline(State.Underline);
    format.setFontStrikeOut(State.StrikeOut);
    if (const QColor color = TableColor(State.Foreground); color.isValid())
        format.setForeground(color);
    if (const QColor color = TableColor(State.Background); color.isValid())
        format.setBackground(color);
    return format;
}

qsizetype SkipWhiteSpace(const QByteArray& Data) {
    qsizetype pos = Data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < Data.size() && QChar::isSpace(uchar(Data[pos])))
        ++pos;
    return pos;
}

QString PlainText(const QByteArray& Data) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(Data);
    return utf8.hasError() ? TCodePage(DefaultCodePage).Decode(Data) : text;
}

void ReadPlainText(QTextDocument* Document, const QString& Text) {
    Document->setPlainText(QString(Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

} // namespace

bool IsRtf(const QByteArray& Data) {
    const QByteArray rest = Data.mid(SkipWhiteSpace(Data));
    return rest.startsWith("{\\rtf") || rest.trimmed() == "{}";
}

bool IsRtf(const QString& Text) {
    return IsRtf(Text.left(16).toUtf8());
}

void ReadRtf(QTextDocument* Document, const QByteArray& Data) {
    if (!IsRtf(Data)) {
        ReadPlainText(Document, PlainText(Data));
        return;
    }
    Document->clear();
    TRtfParser(Document, Data, false).Run();
}

void ReadRtf(QTextDocument* Document, const QString& Text) {
    if (!IsRtf(Text)) {
        ReadPlainText(Document, Text);
        return;
    }
    Document->clear();
    TRtfParser(Document, Text.toUtf8(), true).Run();
}

QString RtfPlainText(const QString& Text) {
    QString plain;
    if (IsRtf(Text))
        TRtfParser(&plain, Text.toUtf8(), true).Run();
    else
        plain = QString(Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); // as read
    // As the document takes text: CR LF, a lone CR and the frame marks break the paragraph;
    // and as toPlainText gives it: separators as LF, a no-break space as a space.
    if (plain.contains(QLatin1Char('\r'))) // rare: spares searching for the pair
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const char16_t breaking : {u'\r', char16_t(QChar::LineSeparator),
                                    char16_t(QChar::ParagraphSeparator), u'\xfdd0', u'\xfdd1'})
        plain.replace(QChar(breaking), QLatin1Char('\n'));
    return plain.replace(QChar::Nbsp, QLatin1Char(' '));
}
