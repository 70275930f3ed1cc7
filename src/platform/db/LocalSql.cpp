#include "LocalSql.h"

#include <QDateTime>
#include <QList>
#include <QSet>

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

// Words that keep their meaning as keywords even where a table or column has their name.
bool IsKeyword(QStringView Word) {
    static const QSet<QString> keywords = {
        QStringLiteral("all"),    QStringLiteral("and"),     QStringLiteral("as"),
        QStringLiteral("asc"),    QStringLiteral("between"), QStringLiteral("by"),
        QStringLiteral("case"),   QStringLiteral("create"),  QStringLiteral("cross"),
        QStringLiteral("delete"), QStringLiteral("desc"),    QStringLiteral("distinct"),
        QStringLiteral("drop"),   QStringLiteral("else"),    QStringLiteral("end"),
        QStringLiteral("escape"), QStringLiteral("exists"),  QStringLiteral("false"),
        QStringLiteral("from"),   QStringLiteral("full"),    QStringLiteral("group"),
        QStringLiteral("having"), QStringLiteral("in"),      QStringLiteral("index"),
        QStringLiteral("inner"),  QStringLiteral("insert"),  QStringLiteral("into"),
        QStringLiteral("is"),     QStringLiteral("join"),    QStringLiteral("left"),
        QStringLiteral("like"),   QStringLiteral("limit"),   QStringLiteral("not"),
        QStringLiteral("null"),   QStringLiteral("offset"),  QStringLiteral("on"),
        QStringLiteral("or"),     QStringLiteral("order"),   QStringLiteral("outer"),
        QStringLiteral("right"),  QStringLiteral("select"),  QStringLiteral("set"),
        QStringLiteral("table"),  QStringLiteral("then"),    QStringLiteral("true"),
        QStringLiteral("union"),  QStringLiteral("update"),  QStringLiteral("values"),
        QStringLiteral("when"),   QStringLiteral("where"),
    };
    return keywords.contains(Word.toString().toLower());
}

// The next token that is not blank or a comment, or nullptr.
const TToken* NextSignificant(const QList<TToken>& Tokens, qsizetype After) {
    for (qsizetype i = After + 1; i < Tokens.size(); ++i)
        if (Tokens[i].Kind != TTokenKind::Blank && Tokens[i].Kind != TTokenKind::Comment)
            return &Tokens[i];
    return nullptr;
}

// The stored name for which the unquoted name at Tokens[I] stands, or an empty string.
QString StoredNameOf(const QList<TToken>& Tokens, qsizetype I,
                     const QHash<QString, QString>& StoredNames) {
    const TToken& token = Tokens[I];
    if (token.Kind != TTokenKind::Name || StoredNames.isEmpty() || IsKeyword(token.Text))
        return {};
    const TToken* next = NextSignificant(Tokens, I);
    if (next && IsSymbol(*next, QLatin1Char('('))) // a function
        return {};
    if (I > 0 && IsSymbol(Tokens[I - 1], QLatin1Char(':'))) // a parameter
        return {};
    return StoredNames.value(token.Text.toString().toLower());
}

} // namespace

QString TranslateLocalSql(const QString& Sql, const QHash<QString, QString>& StoredNames) {
    QList<TToken> tokens = TSqlScanner(Sql).Tokens();
    while (!tokens.isEmpty() &&
           (tokens.last().Kind == TTokenKind::Blank || IsSymbol(tokens.last(), QLatin1Char(';'))))
        tokens.removeLast();

    QString translated;
    translated.reserve(Sql.size());
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const TToken& token = tokens[i];
        if (token.Kind == TTokenKind::QuotedName) {
            translated += QuotedTableName(token.Text);
        } else if (const QString stored = StoredNameOf(tokens, i, StoredNames); !stored.isEmpty()) {
            translated += QLatin1Char('"') +
                          QString(stored).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                          QLatin1Char('"');
        } else {
            translated += token.Text.toString();
        }
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
