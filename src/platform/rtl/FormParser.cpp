#include "FormParser.h"

#include "Exceptions.h"

namespace {

class TFormParser {
public:
    TFormParser(const QString& text, const QString& fileName) : FText(text), FFile(fileName) {}

    TFormObject ParseRoot() {
        SkipBlanks();
        TFormObject root = ParseObject();
        SkipBlanks();
        if (!AtEnd())
            Error(QStringLiteral("text after the final 'end'"));
        return root;
    }

private:
    static constexpr int MaxDepth = 200;

    [[noreturn]] void Error(const QString& what) const {
        throw EReadError(QStringLiteral("%1(%2): %3").arg(FFile).arg(FLine).arg(what));
    }

    bool AtEnd() const { return FPos >= FText.size(); }
    QChar Peek(qsizetype ahead = 0) const {
        return FPos + ahead < FText.size() ? FText[FPos + ahead] : QChar();
    }
    QChar Take() {
        const QChar c = FText[FPos++];
        if (c == QLatin1Char('\n'))
            ++FLine;
        return c;
    }

    void SkipBlanks() {
        while (!AtEnd() && Peek().isSpace())
            Take();
    }

    static bool IsHexDigit(QChar c) {
        return c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    }
    static bool IsIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
    static bool IsIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    QString ReadIdent() {
        SkipBlanks();
        if (!IsIdentStart(Peek()))
            Error(AtEnd() ? QStringLiteral("unexpected end of file")
                          : QStringLiteral("identifier expected but '%1' found").arg(Peek()));
        const qsizetype start = FPos;
        while (!AtEnd() && IsIdentChar(Peek()))
            Take();
        return FText.mid(start, FPos - start);
    }

    // An identifier with dotted parts: Font.Name, FormPeople.DataSource1.
    QString ReadDottedIdent() {
        QString name = ReadIdent();
        while (Peek() == QLatin1Char('.') && IsIdentStart(Peek(1))) {
            Take();
            name += QLatin1Char('.') + ReadIdent();
        }
        return name;
    }

    void Expect(QChar c) {
        SkipBlanks();
        if (AtEnd())
            Error(QStringLiteral("'%1' expected but end of file found").arg(c));
        if (Peek() != c)
            Error(QStringLiteral("'%1' expected but '%2' found").arg(c, Peek()));
        Take();
    }

    bool IsKeyword(const QString& word, const char* keyword) const {
        return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }

    TFormObject ParseObject() {
        if (++FDepth > MaxDepth)
            Error(QStringLiteral("objects nested too deeply"));
        TFormObject object;
        object.Line = FLine;
        const QString keyword = ReadIdent();
        if (IsKeyword(keyword, "inherited"))
            object.Inherited = true;
        else if (!IsKeyword(keyword, "object"))
            Error(QStringLiteral("'object' expected but '%1' found").arg(keyword));
        object.Name = ReadIdent();
        SkipBlanks();
        if (Peek() == QLatin1Char(':')) {
            Take();
            object.ClassName = ReadIdent();
        } else {
            object.ClassName = object.Name; // an unnamed object: "object TClass"
            object.Name.clear();
        }
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                Error(QStringLiteral("'end' expected for object %1 begun at line %2")
                          .arg(object.Name)
                          .arg(object.Line));
            const qsizetype mark = FPos;
            const int markLine = FLine;
            const QString word = ReadDottedIdent();
            if (IsKeyword(word, "end"))
                break;
            if (IsKeyword(word, "object") || IsKeyword(word, "inherited")) {
                FPos = mark;
                FLine = markLine;
                object.Children.append(ParseObject());
            } else {
                object.Properties.append(ParsePropertyAfterName(word, markLine));
            }
        }
        --FDepth;
        return object;
    }

    TFormProperty ParsePropertyAfterName(const QString& name, int line) {
        TFormProperty property;
        property.Name = name;
        property.Line = line;
        Expect(QLatin1Char('='));
        property.Value = ParseValue();
        return property;
    }

    TFormValue ParseValue() {
        SkipBlanks();
        if (AtEnd())
            Error(QStringLiteral("value expected but end of file found"));
        if (++FDepth > MaxDepth)
            Error(QStringLiteral("values nested too deeply"));
        TFormValue value;
        const int line = FLine;
        const QChar c = Peek();
        if (c == QLatin1Char('\'') || c == QLatin1Char('#'))
            value = TFormValue::OfString(ParseString());
        else if (c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('+') ||
                 c == QLatin1Char('$'))
            value = ParseNumber();
        else if (c == QLatin1Char('['))
            value = ParseSet();
        else if (c == QLatin1Char('('))
            value = ParseList();
        else if (c == QLatin1Char('<'))
            value = ParseCollection();
        else if (c == QLatin1Char('{'))
            value = ParseBinary();
        else if (IsIdentStart(c))
            value = TFormValue::OfIdent(ReadDottedIdent());
        else
            Error(QStringLiteral("invalid value beginning with '%1'").arg(c));
        value.Line = line;
        --FDepth;
        return value;
    }

    // 'text' with '' for a quote, #13 for a character by code, joined by + across lines.
    QString ParseString() {
        QString result;
        for (;;) {
            if (Peek() == QLatin1Char('\'')) {
                Take();
                for (;;) {
                    if (AtEnd() || Peek() == QLatin1Char('\n'))
                        Error(QStringLiteral("unterminated string"));
                    const QChar ch = Take();
                    if (ch == QLatin1Char('\'')) {
                        if (Peek() != QLatin1Char('\''))
                            break;
                        Take();
                    }
                    result += ch;
                }
            } else if (Peek() == QLatin1Char('#')) {
                Take();
                const qsizetype start = FPos;
                while (!AtEnd() && Peek().isDigit())
                    Take();
                bool ok = false;
                const uint code = FText.mid(start, FPos - start).toUInt(&ok);
                if (!ok || code > 0x10FFFF)
                    Error(QStringLiteral("invalid character code"));
                result += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            } else {
                break;
            }
            // A + continues the string on the next line.
            const qsizetype mark = FPos;
            const int markLine = FLine;
            SkipBlanks();
            if (Peek() == QLatin1Char('+')) {
                Take();
                SkipBlanks();
                if (Peek() != QLatin1Char('\'') && Peek() != QLatin1Char('#'))
                    Error(QStringLiteral("string expected after '+'"));
            } else {
                FPos = mark;
                FLine = markLine;
                if (Peek() != QLatin1Char('\'') && Peek() != QLatin1Char('#'))
                    break;
            }
        }
        return result;
    }

    TFormValue ParseNumber() {
        const qsizetype start = FPos;
        if (Peek() == QLatin1Char('-') || Peek() == QLatin1Char('+'))
            Take();
        if (Peek() == QLatin1Char('$')) {
            Take();
            const qsizetype digits = FPos;
            while (!AtEnd() && IsHexDigit(Peek()))
                Take();
            bool ok = false;
            const quint64 v = FText.mid(digits, FPos - digits).toULongLong(&ok, 16);
            if (!ok)
                Error(QStringLiteral("invalid hexadecimal number"));
            // Hexadecimal digits give the bits of a 64-bit integer; a sign negates them.
            return TFormValue::OfInteger(qint64(FText[start] == QLatin1Char('-') ? 0 - v : v));
        }
        bool isFloat = false;
        while (!AtEnd()) {
            const QChar c = Peek();
            if (c.isDigit()) {
                Take();
            } else if (c == QLatin1Char('.') || c == QLatin1Char('e') || c == QLatin1Char('E')) {
                isFloat = true;
                Take();
                if ((c == QLatin1Char('e') || c == QLatin1Char('E')) &&
                    (Peek() == QLatin1Char('-') || Peek() == QLatin1Char('+')))
                    Take();
            } else {
                break;
            }
        }
        const QString text = FText.mid(start, FPos - start);
        if (IsIdentChar(Peek()))
            Error(QStringLiteral("invalid number '%1'").arg(text + Peek()));
        bool ok = false;
        if (isFloat) {
            const double v = text.toDouble(&ok);
            if (!ok)
                Error(QStringLiteral("invalid number '%1'").arg(text));
            return TFormValue::OfFloat(v);
        }
        const qint64 v = text.toLongLong(&ok);
        if (!ok)
            Error(QStringLiteral("invalid number '%1'").arg(text));
        return TFormValue::OfInteger(v);
    }

    TFormValue ParseSet() {
        Take();
        QStringList members;
        SkipBlanks();
        if (Peek() == QLatin1Char(']')) {
            Take();
            return TFormValue::OfSet(members);
        }
        for (;;) {
            members << ReadIdent();
            SkipBlanks();
            if (Peek() == QLatin1Char(']')) {
                Take();
                return TFormValue::OfSet(members);
            }
            Expect(QLatin1Char(','));
        }
    }

    TFormValue ParseList() {
        Take();
        QList<TFormValue> items;
        for (;;) {
            SkipBlanks();
            if (Peek() == QLatin1Char(')')) {
                Take();
                return TFormValue::OfList(items);
            }
            items << ParseValue();
        }
    }

    TFormValue ParseCollection() {
        Take();
        TFormValue value;
        value.Kind = TFormValue::vkCollection;
        for (;;) {
            SkipBlanks();
            if (Peek() == QLatin1Char('>')) {
                Take();
                return value;
            }
            TFormValue::TItem item;
            item.Line = FLine;
            const QString keyword = ReadIdent();
            if (!IsKeyword(keyword, "item"))
                Error(QStringLiteral("'item' expected but '%1' found").arg(keyword));
            for (;;) {
                SkipBlanks();
                if (AtEnd())
                    Error(
                        QStringLiteral("'end' expected for item begun at line %1").arg(item.Line));
                const int line = FLine;
                const QString word = ReadDottedIdent();
                if (IsKeyword(word, "end"))
                    break;
                item.Properties.append(ParsePropertyAfterName(word, line));
            }
            value.CollectionItems.append(item);
        }
    }

    TFormValue ParseBinary() {
        Take();
        QByteArray hex;
        for (;;) {
            if (AtEnd())
                Error(QStringLiteral("'}' expected but end of file found"));
            const QChar c = Take();
            if (c == QLatin1Char('}'))
                break;
            if (c.isSpace())
                continue;
            if (!IsHexDigit(c))
                Error(QStringLiteral("invalid binary data"));
            hex += c.toLatin1();
        }
        if (hex.size() % 2 != 0)
            Error(QStringLiteral("odd number of hexadecimal digits in binary data"));
        return TFormValue::OfBinary(QByteArray::fromHex(hex));
    }

    const QString& FText;
    const QString FFile;
    qsizetype FPos = 0;
    int FLine = 1;
    int FDepth = 0;
};

} // namespace

TFormObject ParseForm(const QString& text, const QString& fileName) {
    return TFormParser(text, fileName).ParseRoot();
}
