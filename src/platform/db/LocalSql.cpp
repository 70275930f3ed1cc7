#include "LocalSql.h"

#include <QDateTime>
#include <QList>

namespace {

enum class TTokenKind { Blank, Comment, String, QuotedName, Name, Number, Symbol };

struct TToken {
    TTokenKind Kind;
    QStringView Text;
};

bool IsNameChar(QChar C) {
    return C.isLetterOrNumber() || C == QLatin1Char('_') || C == QLatin1Char('$');
}

// Splits a statement into tokens whose texts, put together, give the statement back. An
// unterminated string, quoted name or comment runs to the end.
class TSqlScanner {
public:
    explicit TSqlScanner(QStringView Sql) : FSql(Sql) {}

    QList<TToken> Tokens() {
        QList<TToken> tokens;
        while (FPos < FSql.size()) {
            const qsizetype start = FPos;
            const TTokenKind kind = Scan();
            tokens.append({kind, FSql.sliced(start, FPos - start)});
        }
        return tokens;
    }

private:
    QChar At(qsizetype Pos) const { return Pos < FSql.size() ? FSql[Pos] : QChar(); }

    TTokenKind Scan() {
        const QChar c = FSql[FPos];
        if (c.isSpace()) {
            SkipWhile([](QChar x) { return x.isSpace(); });
            return TTokenKind::Blank;
        }
        if (c == QLatin1Char('-') && At(FPos + 1) == QLatin1Char('-')) {
            SkipWhile([](QChar x) { return x != QLatin1Char('\n'); });
            return TTokenKind::Comment;
        }
        if (c == QLatin1Char('/') && At(FPos + 1) == QLatin1Char('*')) {
            const qsizetype end = FSql.indexOf(QLatin1String("*/"), FPos + 2);
            FPos = end < 0 ? FSql.size() : end + 2;
            return TTokenKind::Comment;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            SkipQuoted(c);
            return c == QLatin1Char('"') ? TTokenKind::QuotedName : TTokenKind::String;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && At(FPos + 1).isDigit())) {
            SkipWhile([](QChar x) { return IsNameChar(x) || x == QLatin1Char('.'); });
            return TTokenKind::Number;
        }
        if (IsNameChar(c)) {
            SkipWhile(IsNameChar);
            return TTokenKind::Name;
        }
        ++FPos;
        return TTokenKind::Symbol;
    }

    template <class Predicate> void SkipWhile(Predicate P) {
        while (FPos < FSql.size() && P(FSql[FPos]))
            ++FPos;
    }

    // Moves past a text in Quote, where a doubled quote stands for one.
    void SkipQuoted(QChar Quote) {
        ++FPos;
        while (FPos < FSql.size()) {
            if (FSql[FPos++] == Quote) {
                if (At(FPos) != Quote)
                    return;
                ++FPos;
            }
        }
    }

    QStringView FSql;
    qsizetype FPos = 0;
};

bool IsExtension(QStringView Name) {
    return Name.compare(QLatin1String("db"), Qt::CaseInsensitive) == 0 ||
           Name.compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0;
}

// A double-quoted name without the extension of a table file, or as it is.
QString QuotedTableName(QStringView Quoted) {
    const qsizetype dot = Quoted.lastIndexOf(QLatin1Char('.'));
    const bool closed = Quoted.size() > 1 && Quoted.endsWith(QLatin1Char('"'));
    if (!closed || dot <= 1 || !IsExtension(Quoted.sliced(dot + 1).chopped(1)))
        return Quoted.toString();
    return Quoted.first(dot).toString() + QLatin1Char('"');
}

bool IsName(const TToken& Token) {
    return Token.Kind == TTokenKind::Name || Token.Kind == TTokenKind::QuotedName;
}

bool IsSymbol(const TToken& Token, QChar Symbol) {
    return Token.Kind == TTokenKind::Symbol && Token.Text.front() == Symbol;
}

} // namespace

QString TranslateLocalSql(const QString& Sql) {
    QList<TToken> tokens = TSqlScanner(Sql).Tokens();
    while (!tokens.isEmpty() &&
           (tokens.last().Kind == TTokenKind::Blank || IsSymbol(tokens.last(), QLatin1Char(';'))))
        tokens.removeLast();

    QString translated;
    translated.reserve(Sql.size());
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const TToken& token = tokens[i];
        translated += token.Kind == TTokenKind::QuotedName ? QuotedTableName(token.Text)
                                                           : token.Text.toString();
        // name "." extension: the tokens are maximal, so no name character follows.
        if (IsName(token) && i + 2 < tokens.size() && IsSymbol(tokens[i + 1], QLatin1Char('.')) &&
            tokens[i + 2].Kind == TTokenKind::Name && IsExtension(tokens[i + 2].Text))
            i += 2;
    }
    return translated;
}

QString SqlDateLiteral(const QDate& Date) {
    return Date.isValid() ? Date.toString(u"''yyyy-MM-dd''") : QStringLiteral("NULL");
}

QString SqlDateTimeLiteral(const QDateTime& DateTime) {
    return DateTime.isValid() ? DateTime.toLocalTime().toString(u"''yyyy-MM-dd HH:mm:ss.zzz''")
                              : QStringLiteral("NULL");
}
