#include "PostgresConnection.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <libpq-fe.h>
#include <poll.h>
#include <rtl/Exceptions.h>
#include <vector>

namespace {

// The built-in types whose values the driver converts.
constexpr Oid BoolOid = 16;
constexpr Oid ByteaOid = 17;
constexpr Oid Int8Oid = 20;
constexpr Oid Int2Oid = 21;
constexpr Oid Int4Oid = 23;
constexpr Oid OidOid = 26;
constexpr Oid Float4Oid = 700;
constexpr Oid Float8Oid = 701;
constexpr Oid DateOid = 1082;
constexpr Oid TimeOid = 1083;
constexpr Oid TimestampOid = 1114;
constexpr Oid TimestampTzOid = 1184;
constexpr Oid NumericOid = 1700;
constexpr Oid UnknownOid = 0; // typed by the server from the parameter's place

struct TResultDeleter {
    void operator()(PGresult* Result) const { PQclear(Result); }
};
using TResult = std::unique_ptr<PGresult, TResultDeleter>;

// A bound value as libpq sends it.
struct TParameter {
    Oid Type = UnknownOid;
    QByteArray Value;
    bool IsNull = true;
    bool Binary = false;
};

bool IsIdentifierChar(QChar C) {
    return C.isLetterOrNumber() || C == QLatin1Char('_') || C == QLatin1Char('$');
}

// The length of the quoted string or identifier at Start of Sql, closing quote included.
qsizetype QuotedLength(const QString& Sql, qsizetype Start) {
    const QChar quote = Sql[Start];
    const bool backslashes = quote == QLatin1Char('\'') && Start > 0 &&
                             Sql[Start - 1].toLower() == QLatin1Char('e') &&
                             (Start == 1 || !IsIdentifierChar(Sql[Start - 2]));
    qsizetype i = Start + 1;
    while (i < Sql.size()) {
        if (backslashes && Sql[i] == QLatin1Char('\\')) {
            i += 2;
        } else if (Sql[i] != quote) {
            ++i;
        } else if (i + 1 < Sql.size() && Sql[i + 1] == quote) {
            i += 2;
        } else {
            return i + 1 - Start;
        }
    }
    return Sql.size() - Start;
}

// The length of the comment or dollar-quoted string at Start of Sql, or 0 if none starts there.
qsizetype SkippedLength(const QString& Sql, qsizetype Start) {
    const QStringView rest = QStringView(Sql).mid(Start);
    if (rest.startsWith(u"--")) {
        const qsizetype end = rest.indexOf(QLatin1Char('\n'));
        return end < 0 ? rest.size() : end + 1;
    }
    if (rest.startsWith(u"/*")) {
        int depth = 0;
        for (qsizetype i = 0; i + 1 < rest.size(); ++i) {
            if (rest.mid(i, 2) == u"/*") {
                ++depth;
                ++i;
            } else if (rest.mid(i, 2) == u"*/") {
                ++i;
                if (--depth == 0)
                    return i + 1;
            }
        }
        return rest.size();
    }
    if (rest.startsWith(u'$') && (Start == 0 || !IsIdentifierChar(Sql[Start - 1]))) {
        static const QRegularExpression tag(QStringLiteral(R"(^\$(?:[A-Za-z_]\w*)?\$)"));
        const QRegularExpressionMatch match = tag.match(rest);
        if (match.hasMatch()) {
            const qsizetype end = rest.indexOf(match.capturedView(), match.capturedLength());
            return end < 0 ? rest.size() : end + match.capturedLength();
        }
    }
    return 0;
}

// A statement with its parameters numbered.
struct TNumberedSql {
    QByteArray Text;
    int Count = 0;
    // Where the last parameter's "$n" starts when the statement ends in "LIMIT $n"; else -1.
    qsizetype LimitAt = -1;
};

// Whether Text before At ends in the word LIMIT and a space.
bool LimitBefore(const QString& Text, qsizetype At) {
    const QStringView head = QStringView(Text).left(At);
    const QStringView word = head.trimmed();
    if (word.size() == head.size() || !word.endsWith(u"limit", Qt::CaseInsensitive))
        return false;
    return word.size() == 5 || !IsIdentifierChar(word[word.size() - 6]);
}

// Sql with each "?" outside strings, quoted identifiers and comments numbered $1, $2...
TNumberedSql NumberedParameters(const QString& Sql) {
    QString text;
    text.reserve(Sql.size() + 16);
    TNumberedSql numbered;
    qsizetype lastMark = -1, lastMarkEnd = -1; // in text
    qsizetype i = 0;
    while (i < Sql.size()) {
        const QChar c = Sql[i];
        qsizetype length = 0;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            length = QuotedLength(Sql, i);
        else
            length = SkippedLength(Sql, i);
        if (length > 0) {
            text += QStringView(Sql).mid(i, length);
            i += length;
        } else if (c == QLatin1Char('?')) {
            lastMark = text.size();
            text += QStringLiteral("$%1").arg(++numbered.Count);
            lastMarkEnd = text.size();
            ++i;
        } else {
            text += c;
            ++i;
        }
    }
    const bool trailing = lastMark >= 0 && QStringView(text).mid(lastMarkEnd).trimmed().isEmpty();
    numbered.Text = text.toUtf8();
    if (trailing && LimitBefore(text, lastMark))
        numbered.LimitAt = QStringView(text).left(lastMark).toUtf8().size();
    return numbered;
}

// ---- LIKE as local SQL has it ----------------------------------------------------------------

// The server's own LIKE knows no bracket classes and takes "\" as its escape; local SQL's
// (LikePattern.h) is run as a regular expression match against the pattern turned into one
// by kro_like_regex, which the driver creates on first use. The translation follows
// LikeMatch element by element; class members become \u or \U escapes, so no character of
// the pattern is special in the expression.
const char* const LikeRegexFunction = R"sql(
CREATE FUNCTION kro_like_regex(pattern text, escape_char text DEFAULT '')
RETURNS text LANGUAGE plpgsql IMMUTABLE STRICT PARALLEL SAFE AS $body$
DECLARE
    n int := char_length(pattern);
    i int := 1;
    k int;
    closing int;
    lo int;
    hi int;
    c text;
    members text;
    members_length int;
    class text;
    negated boolean;
    literal boolean;
    result text := '^';
BEGIN
    IF char_length(escape_char) > 1 THEN
        RAISE EXCEPTION 'ESCAPE expression must be a single character';
    END IF;
    WHILE i <= n LOOP
        c := substr(pattern, i, 1);
        closing := 0;
        literal := false;
        IF c = escape_char THEN
            literal := true;
            IF i < n THEN
                i := i + 1;
                c := substr(pattern, i, 1);
            END IF;
        ELSIF c = '[' THEN
            k := i + 1;
            negated := k <= n AND substr(pattern, k, 1) IN ('^', '!');
            IF negated THEN
                k := k + 1;
            END IF;
            closing := strpos(substr(pattern, k + 1), ']');
            IF closing > 0 THEN
                closing := k + closing;
            END IF;
        END IF;
        IF literal OR (closing = 0 AND c NOT IN ('%', '_')) THEN
            result := result || CASE WHEN c ~ '^[[:alnum:]]$' THEN c ELSE '\' || c END;
        ELSIF c = '%' THEN
            result := result || '.*';
        ELSIF c = '_' THEN
            result := result || '.';
        ELSE
            members := substr(pattern, k, closing - k);
            members_length := char_length(members);
            class := '';
            k := 1;
            WHILE k <= members_length LOOP
                lo := ascii(substr(members, k, 1));
                hi := lo;
                k := k + 1;
                IF k + 1 <= members_length AND substr(members, k, 1) = '-' THEN
                    hi := ascii(substr(members, k + 1, 1));
                    k := k + 2;
                END IF;
                IF lo <= hi THEN
                    class := class || CASE WHEN lo > 65535 THEN '\U' || lpad(to_hex(lo), 8, '0')
                                      ELSE '\u' || lpad(to_hex(lo), 4, '0') END;
                    IF hi > lo THEN
                        class := class || '-' || CASE WHEN hi > 65535
                            THEN '\U' || lpad(to_hex(hi), 8, '0')
                            ELSE '\u' || lpad(to_hex(hi), 4, '0') END;
                    END IF;
                END IF;
            END LOOP;
            IF class = '' THEN
                result := result || CASE WHEN negated THEN '.' ELSE '(?!)' END;
            ELSE
                result := result || '[' || CASE WHEN negated THEN '^' ELSE '' END || class || ']';
            END IF;
            i := closing;
        END IF;
        i := i + 1;
    END LOOP;
    RETURN result || '$';
END $body$)sql";

// A token of a statement, as the rewriting of LIKE reads it.
struct TSqlToken {
    enum TKind { Word, String, QuotedName, Number, Parameter, Symbol } Kind;
    qsizetype Start, End;
};

QList<TSqlToken> SqlTokens(const QString& Sql) {
    QList<TSqlToken> tokens;
    const qsizetype n = Sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = Sql[i];
        const qsizetype start = i;
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (const qsizetype skipped = SkippedLength(Sql, i); skipped > 0) {
            i += skipped;
            if (c == QLatin1Char('$'))
                tokens.append({TSqlToken::String, start, i});
            continue;
        }
        TSqlToken::TKind kind = TSqlToken::Symbol;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            i += QuotedLength(Sql, i);
            kind = c == QLatin1Char('"') ? TSqlToken::QuotedName : TSqlToken::String;
        } else if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && i + 1 < n &&
                   Sql[i + 1] == QLatin1Char('\'')) {
            i += 1 + QuotedLength(Sql, i + 1);
            kind = TSqlToken::String;
        } else if (c.isDigit()) {
            while (i < n && (Sql[i].isLetterOrNumber() || Sql[i] == QLatin1Char('.')))
                ++i;
            kind = TSqlToken::Number;
        } else if (c == QLatin1Char('?') ||
                   (c == QLatin1Char('$') && i + 1 < n && Sql[i + 1].isDigit())) {
            ++i;
            while (i < n && Sql[i].isDigit())
                ++i;
            kind = TSqlToken::Parameter;
        } else if (IsIdentifierChar(c)) {
            while (i < n && IsIdentifierChar(Sql[i]))
                ++i;
            kind = TSqlToken::Word;
        } else {
            static const QStringList pairs = {QStringLiteral("||"), QStringLiteral("::"),
                                              QStringLiteral("<="), QStringLiteral(">="),
                                              QStringLiteral("<>"), QStringLiteral("!=")};
            i += pairs.contains(QStringView(Sql).mid(i, 2).toString()) ? 2 : 1;
        }
        tokens.append({kind, start, i});
    }
    return tokens;
}

// Reads the operand of a LIKE: primaries joined by operators that bind more tightly.
class TLikeOperand {
public:
    TLikeOperand(const QString& Sql, const QList<TSqlToken>& Tokens) : FSql(Sql), FTokens(Tokens) {}

    // The token after the operand starting at K, or -1 when none starts there.
    qsizetype End(qsizetype K) const {
        qsizetype end = Primary(K);
        while (end > 0 && end < FTokens.size() &&
               IsOneOf(end, {"||", "+", "-", "*", "/", "%", "^"}))
            end = Primary(end + 1);
        return end;
    }
    bool IsWord(qsizetype K, const char* Word) const {
        return K < FTokens.size() && FTokens[K].Kind == TSqlToken::Word &&
               Text(K).compare(QLatin1String(Word), Qt::CaseInsensitive) == 0;
    }
    QStringView Text(qsizetype K) const {
        return QStringView(FSql).mid(FTokens[K].Start, FTokens[K].End - FTokens[K].Start);
    }

private:
    bool IsOneOf(qsizetype K, std::initializer_list<const char*> Symbols) const {
        if (K >= FTokens.size() || FTokens[K].Kind != TSqlToken::Symbol)
            return false;
        for (const char* symbol : Symbols)
            if (Text(K) == QLatin1String(symbol))
                return true;
        return false;
    }
    // The token after the parenthesis that closes the one at K, or -1.
    qsizetype AfterParentheses(qsizetype K) const {
        int depth = 0;
        for (qsizetype i = K; i < FTokens.size(); ++i) {
            if (IsOneOf(i, {"("}))
                ++depth;
            else if (IsOneOf(i, {")"}) && --depth == 0)
                return i + 1;
        }
        return -1;
    }
    qsizetype Primary(qsizetype K) const {
        if (K >= FTokens.size())
            return -1;
        if (IsOneOf(K, {"+", "-"}))
            return Primary(K + 1);
        qsizetype end = -1;
        switch (FTokens[K].Kind) {
        case TSqlToken::String:
        case TSqlToken::Number:
        case TSqlToken::Parameter:
            end = K + 1;
            break;
        case TSqlToken::Symbol:
            end = IsOneOf(K, {"("}) ? AfterParentheses(K) : -1;
            break;
        case TSqlToken::Word:
            if (IsReserved(Text(K)))
                return -1;
            [[fallthrough]];
        case TSqlToken::QuotedName:
            end = K + 1;
            while (IsOneOf(end, {"."}) && end + 1 < FTokens.size() &&
                   FTokens[end + 1].Kind != TSqlToken::Symbol)
                end += 2;
            if (IsOneOf(end, {"("}))
                end = AfterParentheses(end);
            break;
        }
        // Casts: "::type", "::type(n)".
        while (end > 0 && IsOneOf(end, {"::"}) && end + 1 < FTokens.size()) {
            end += 2;
            if (IsOneOf(end, {"("}))
                end = AfterParentheses(end);
        }
        return end;
    }
    static bool IsReserved(QStringView Word) {
        static const QSet<QString> reserved = {
            QStringLiteral("and"),       QStringLiteral("or"),     QStringLiteral("not"),
            QStringLiteral("escape"),    QStringLiteral("like"),   QStringLiteral("ilike"),
            QStringLiteral("similar"),   QStringLiteral("is"),     QStringLiteral("in"),
            QStringLiteral("between"),   QStringLiteral("case"),   QStringLiteral("when"),
            QStringLiteral("then"),      QStringLiteral("else"),   QStringLiteral("end"),
            QStringLiteral("from"),      QStringLiteral("where"),  QStringLiteral("group"),
            QStringLiteral("order"),     QStringLiteral("having"), QStringLiteral("limit"),
            QStringLiteral("offset"),    QStringLiteral("union"),  QStringLiteral("except"),
            QStringLiteral("intersect"), QStringLiteral("as"),     QStringLiteral("select")};
        return reserved.contains(Word.toString().toLower());
    }

    const QString& FSql;
    const QList<TSqlToken>& FTokens;
};

} // namespace

QString PostgresLikeSql(const QString& Sql) {
    if (!Sql.contains(QLatin1String("like"), Qt::CaseInsensitive))
        return Sql;
    const QList<TSqlToken> tokens = SqlTokens(Sql);
    const TLikeOperand operand(Sql, tokens);
    QString result;
    qsizetype copied = 0; // of Sql
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        if (!operand.IsWord(k, "like"))
            continue;
        const qsizetype patternEnd = operand.End(k + 1);
        if (patternEnd < 0)
            continue;
        qsizetype end = patternEnd;
        qsizetype escapeEnd = -1;
        if (operand.IsWord(patternEnd, "escape")) {
            escapeEnd = operand.End(patternEnd + 1);
            if (escapeEnd < 0)
                continue;
            end = escapeEnd;
        }
        const bool negated = k > 0 && operand.IsWord(k - 1, "not");
        const qsizetype from = tokens[negated ? k - 1 : k].Start;
        const auto span = [&](qsizetype First, qsizetype After) {
            return Sql.mid(tokens[First].Start, tokens[After - 1].End - tokens[First].Start);
        };
        result += QStringView(Sql).mid(copied, from - copied);
        result +=
            negated ? QStringLiteral("!~ kro_like_regex(") : QStringLiteral("~ kro_like_regex(");
        result += PostgresLikeSql(span(k + 1, patternEnd));
        if (escapeEnd >= 0)
            result += QStringLiteral(", ") + PostgresLikeSql(span(patternEnd + 1, escapeEnd));
        result += QLatin1Char(')');
        copied = tokens[end - 1].End;
        k = end - 1;
    }
    if (copied == 0)
        return Sql;
    result += QStringView(Sql).mid(copied);
    return result;
}

namespace {

QByteArray FloatText(double Value) {
    if (std::isnan(Value))
        return "NaN";
    if (std::isinf(Value))
        return Value > 0 ? "Infinity" : "-Infinity";
    return QByteArray::number(Value, 'g', 17);
}

double FloatOf(QByteArrayView Text) {
    if (Text == "NaN")
        return std::nan("");
    if (Text == "Infinity")
        return INFINITY;
    if (Text == "-Infinity")
        return -INFINITY;
    return Text.toDouble();
}

// An integer as the server writes it; false for any other text (a fraction, a number
// beyond 64 bits).
bool IntegerOf(QByteArrayView Text, qint64& Value) {
    const auto [end, error] = std::from_chars(Text.begin(), Text.end(), Value);
    return error == std::errc() && end == Text.end();
}

TParameter Typed(Oid Type, QByteArray Value) {
    return {Type, std::move(Value), false, false};
}

// The parameter of a value; false for a value of no bindable type.
bool ParameterOf(const Variant& Value, TParameter& Parameter) {
    switch (Value.metaType().id()) {
    case QMetaType::UnknownType:
        Parameter = {};
        return true;
    case QMetaType::Bool:
        Parameter = Typed(BoolOid, Value.toBool() ? "t" : "f");
        return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        Parameter = Typed(Int8Oid, QByteArray::number(Value.toLongLong()));
        return true;
    case QMetaType::ULongLong:
        Parameter = Typed(NumericOid, QByteArray::number(Value.toULongLong()));
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        Parameter = Typed(Float8Oid, FloatText(Value.toDouble()));
        return true;
    case QMetaType::QString:
        Parameter = Typed(UnknownOid, Value.toString().toUtf8());
        return true;
    case QMetaType::QByteArray:
        Parameter = Typed(ByteaOid, Value.toByteArray());
        Parameter.Binary = true;
        return true;
    case QMetaType::QDate:
        Parameter = Value.toDate().isValid()
                        ? Typed(DateOid, Value.toDate().toString(u"yyyy-MM-dd").toLatin1())
                        : TParameter();
        return true;
    case QMetaType::QTime:
        Parameter = Value.toTime().isValid()
                        ? Typed(TimeOid, Value.toTime().toString(u"HH:mm:ss.zzz").toLatin1())
                        : TParameter();
        return true;
    case QMetaType::QDateTime: {
        const QDateTime local = Value.toDateTime().toLocalTime();
        Parameter = local.isValid()
                        ? Typed(TimestampOid, local.toString(u"yyyy-MM-dd HH:mm:ss.zzz").toLatin1())
                        : TParameter();
        return true;
    }
    default:
        return false;
    }
}

// A time or timestamp as the server writes it, with at least three digits of fraction: the
// same value, so that it compares equal to the column's when bound again.
QString WithMilliseconds(const QString& Text) {
    static const QRegularExpression pattern(QStringLiteral(R"(^(.*:\d\d)(?:\.(\d+))?$)"));
    const QRegularExpressionMatch match = pattern.match(Text);
    if (!match.hasMatch())
        return Text;
    const QString fraction = match.captured(2);
    return match.captured(1) + QLatin1Char('.') +
           (fraction.size() >= 3 ? fraction : (fraction + QStringLiteral("000")).left(3));
}

// A timestamp with a zone offset ("2024-01-02 10:00:00.5+01", "...+05:30") in local time.
QString LocalTimestamp(const QString& Text) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(.*:\d\d(?:\.\d+)?)([+-])(\d\d)(?::(\d\d))?(?::(\d\d))?$)"));
    const QRegularExpressionMatch match = pattern.match(Text);
    if (!match.hasMatch())
        return Text;
    const QDateTime plain = QDateTime::fromString(WithMilliseconds(match.captured(1)).left(23),
                                                  QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    if (!plain.isValid())
        return Text;
    const int offset = (match.captured(2) == QLatin1String("-") ? -1 : 1) *
                       (match.captured(3).toInt() * 3600 + match.captured(4).toInt() * 60 +
                        match.captured(5).toInt());
    return QDateTime(plain.date(), plain.time(), Qt::OffsetFromUTC, offset)
        .toLocalTime()
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

Variant ValueAt(const PGresult* Result, int Row, int Column) {
    if (PQgetisnull(Result, Row, Column))
        return Null();
    const char* value = PQgetvalue(Result, Row, Column);
    const int length = PQgetlength(Result, Row, Column);
    switch (PQftype(Result, Column)) {
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid: {
        qint64 integer = 0;
        IntegerOf(QByteArrayView(value, length), integer);
        return integer;
    }
    case BoolOid:
        return qint64(value[0] == 't' ? 1 : 0);
    case Float4Oid:
    case Float8Oid:
        return FloatOf(QByteArrayView(value, length));
    case NumericOid: {
        const QByteArrayView text(value, length);
        qint64 integer = 0;
        return IntegerOf(text, integer) ? Variant(integer) : Variant(FloatOf(text));
    }
    case ByteaOid: {
        size_t size = 0;
        unsigned char* bytes =
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(value), &size);
        if (!bytes)
            throw EDatabaseError(QStringLiteral("Out of memory reading a bytea value"));
        const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
        PQfreemem(bytes);
        return data;
    }
    case TimeOid:
    case TimestampOid:
        return WithMilliseconds(QString::fromLatin1(value, length));
    case TimestampTzOid:
        return LocalTimestamp(QString::fromLatin1(value, length));
    default:
        return QString::fromUtf8(value, length);
    }
}

// The settings of a session as libpq passes them to the server, where spaces and
// backslashes in values are escaped with backslashes.
// A parameter giving milliseconds, Default when absent.
int MillisecondsParam(const QMap<QString, QString>& Params, const QString& Name, int Default) {
    const QString text = Params.value(Name, QString::number(Default));
    bool valid = false;
    const int value = text.trimmed().toInt(&valid);
    if (!valid || value < 0)
        throw EDatabaseError(
            QStringLiteral("%1 must be a number of milliseconds, not \"%2\"").arg(Name, text));
    return value;
}

QString ServerOptions(int StatementTimeout, const QString& Schema) {
    QString options =
        QStringLiteral("-c statement_timeout=%1 -c DateStyle=ISO").arg(StatementTimeout);
    if (!Schema.isEmpty()) {
        QString path = QLatin1Char('"') +
                       QString(Schema).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                       QLatin1Char('"');
        path.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char(' '), QStringLiteral("\\ "));
        options += QStringLiteral(" -c search_path=") + path;
    }
    return options;
}

// The rows a command changed; none for a query.
qint64 RowsAffectedOf(PGresult* Result) {
    const QByteArray tag = PQcmdStatus(Result);
    if (tag.startsWith("SELECT") || tag.startsWith("FETCH") || tag.startsWith("MOVE"))
        return 0;
    return QByteArray(PQcmdTuples(Result)).toLongLong();
}

} // namespace

// The connection to the server and the statements prepared on it. Statements share it
// with their connection, so they may outlive the connection.
class TPostgresSession {
public:
    explicit TPostgresSession(const QMap<QString, QString>& Params);
    ~TPostgresSession() { PQfinish(FConn); }
    TPostgresSession(const TPostgresSession&) = delete;
    TPostgresSession& operator=(const TPostgresSession&) = delete;

    // Runs Text, whose parameters are $1..$n, as a prepared statement; Sql names it in
    // messages.
    TResult Run(const QString& Sql, const QByteArray& Text, const QList<TParameter>& Params);
    // The columns Run would give.
    std::shared_ptr<PGresult> Describe(const QString& Sql, const QByteArray& Text,
                                       const QList<TParameter>& Params);
    // Runs statements separated by ";" without parameters; the rows they changed.
    qint64 RunScript(const QString& Sql);
    // Runs Statement in a savepoint while a transaction is open, so that its failure
    // undoes what it did, as on the embedded engine, and leaves the transaction usable.
    template <class TStatement> auto InSavepoint(TStatement&& Statement);
    PGTransactionStatusType TransactionStatus() const { return PQtransactionStatus(FConn); }
    bool Connected() const { return !FAbandoned && PQstatus(FConn) == CONNECTION_OK; }
    // A transaction is open, or was when the connection was lost: then every statement
    // raises until the application rolls back.
    bool InTransaction() const;
    bool LostInTransaction() const { return FInTransaction && !Connected(); }
    // After a rollback of a transaction the server undid with the lost connection.
    void ForgetLostTransaction() { FInTransaction = false; }
    // Creates the domain Name AS Definition unless a type of that name exists.
    void EnsureDomain(const QString& Name, const QString& Definition);
    // Creates kro_like_regex unless it exists.
    void EnsureLikeFunction();

private:
    struct TPrepared {
        QByteArray Name;
        std::shared_ptr<PGresult> Description;
    };
    TPrepared& Prepared(const QString& Sql, const QByteArray& Text,
                        const QList<TParameter>& Params);
    // Reconnects once when the connection was lost outside a transaction.
    void EnsureConnected();
    struct TAnswer {
        TResult Result; // the first failed result, else the last
        qint64 RowsAffected = 0;
    };
    // Collects the answer to what was sent; raises for a failure or a lost connection.
    TAnswer Collect(const QString& Sql);
    // The next result of what was sent, giving the connection up when the server stays
    // silent for FAnswerTimeout.
    PGresult* NextResult(const QString& Sql);
    void Check(PGresult* Result, const QString& Sql) const;
    [[noreturn]] void Raise(const QString& Sql, const PGresult* Result) const;
    QString ConnectionMessage() const {
        return QString::fromUtf8(PQerrorMessage(FConn)).simplified();
    }

    static constexpr int MaxPrepared = 200;
    PGconn* FConn = nullptr;
    int FAnswerTimeout = 0;      // ms of silence before the connection is given up; 0: none
    bool FAbandoned = false;     // given up while waiting; made again like a lost one
    bool FInTransaction = false; // as the server last said
    QString FTarget;             // the database and server, for messages
    QHash<QByteArray, TPrepared> FPrepared;
    qint64 FSerial = 0;
    QSet<QString> FDomains;
    bool FLikeFunction = false;
};

TPostgresSession::TPostgresSession(const QMap<QString, QString>& Params) {
    const int timeout = MillisecondsParam(Params, QStringLiteral("STATEMENTTIMEOUT"), 30000);
    // The server ends a statement past its timeout; the client waits a little longer for
    // that answer before it takes the server for frozen.
    FAnswerTimeout = MillisecondsParam(Params, QStringLiteral("CLIENTTIMEOUT"),
                                       timeout > 0 ? timeout + 10000 : 0);
    const QString host = Params.value(QStringLiteral("HOST"));
    const QString database =
        Params.value(QStringLiteral("DATABASE"), Params.value(QStringLiteral("DBNAME")));
    const QList<std::pair<const char*, QString>> settings = {
        {"host", host},
        {"port", Params.value(QStringLiteral("PORT"))},
        {"dbname", database},
        {"user", Params.value(QStringLiteral("USER"))},
        {"client_encoding", QStringLiteral("UTF8")},
        {"connect_timeout", QStringLiteral("10")},
        // A server that goes away without closing the connection is noticed over TCP.
        {"keepalives", QStringLiteral("1")},
        {"keepalives_idle", QStringLiteral("30")},
        {"keepalives_interval", QStringLiteral("10")},
        {"keepalives_count", QStringLiteral("3")},
        {"tcp_user_timeout", QStringLiteral("60000")},
        {"options", ServerOptions(timeout, Params.value(QStringLiteral("SCHEMA")))},
    };
    QList<QByteArray> values;
    std::vector<const char*> keywords;
    for (const auto& [keyword, value] : settings)
        if (!value.isEmpty()) {
            keywords.push_back(keyword);
            values.append(value.toUtf8());
        }
    std::vector<const char*> valuePointers;
    for (const QByteArray& value : std::as_const(values))
        valuePointers.push_back(value.constData());
    keywords.push_back(nullptr);
    valuePointers.push_back(nullptr);

    FTarget = QStringLiteral("database \"%1\" on %2")
                  .arg(database, host.isEmpty() ? QStringLiteral("the local server") : host);
    FConn = PQconnectdbParams(keywords.data(), valuePointers.data(), 0);
    if (!FConn)
        throw EDatabaseError(QStringLiteral("Cannot connect to %1: out of memory").arg(FTarget));
    if (PQstatus(FConn) != CONNECTION_OK) {
        const QString message =
            QStringLiteral("Cannot connect to %1: %2").arg(FTarget, ConnectionMessage());
        PQfinish(FConn);
        throw EDatabaseError(message);
    }
    PQsetNoticeProcessor(
        FConn, [](void*, const char*) {}, nullptr);
}

bool TPostgresSession::InTransaction() const {
    if (!Connected())
        return FInTransaction;
    switch (TransactionStatus()) {
    case PQTRANS_ACTIVE:
    case PQTRANS_INTRANS:
    case PQTRANS_INERROR:
        return true;
    default:
        return false;
    }
}

void TPostgresSession::EnsureConnected() {
    if (Connected())
        return;
    if (FInTransaction)
        throw EDatabaseError(
            QStringLiteral("The connection to %1 was lost inside a transaction, which the "
                           "server has undone: roll the transaction back to go on")
                .arg(FTarget));
    FPrepared.clear();
    FAbandoned = false;
    PQreset(FConn);
    if (!Connected())
        throw EDatabaseError(
            QStringLiteral("The connection to %1 was lost and cannot be made again: %2")
                .arg(FTarget, ConnectionMessage()));
}

void TPostgresSession::Check(PGresult* Result, const QString& Sql) const {
    const ExecStatusType status = Result ? PQresultStatus(Result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        Raise(Sql, Result);
}

void TPostgresSession::Raise(const QString& Sql, const PGresult* Result) const {
    const QString what = QStringLiteral("Cannot run \"%1\"").arg(Sql);
    if (!Connected())
        throw EDatabaseError(QStringLiteral("%1: connection to the server was lost (%2)")
                                 .arg(what, ConnectionMessage()));
    if (Result && PQresultStatus(Result) == PGRES_EMPTY_QUERY)
        throw EDatabaseError(QStringLiteral("No SQL statement in \"%1\"").arg(Sql));
    const char* primary = Result ? PQresultErrorField(Result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    QString reason = primary ? QString::fromUtf8(primary) : ConnectionMessage();
    if (const char* detail = primary ? PQresultErrorField(Result, PG_DIAG_MESSAGE_DETAIL) : nullptr)
        reason += QStringLiteral(" (%1)").arg(QString::fromUtf8(detail));
    throw EDatabaseError(QStringLiteral("%1: %2 (%3)").arg(what, reason, FTarget));
}

TPostgresSession::TPrepared& TPostgresSession::Prepared(const QString& Sql, const QByteArray& Text,
                                                        const QList<TParameter>& Params) {
    QByteArray key = Text;
    std::vector<Oid> types;
    for (const TParameter& p : Params) {
        key += '\0' + QByteArray::number(p.Type);
        types.push_back(p.Type);
    }
    const auto cached = FPrepared.find(key);
    if (cached != FPrepared.end())
        return *cached;
    if (FPrepared.size() >= MaxPrepared) {
        RunScript(QStringLiteral("DEALLOCATE ALL"));
        FPrepared.clear();
    }
    const QByteArray name = "kro_" + QByteArray::number(++FSerial);
    if (!PQsendPrepare(FConn, name.constData(), Text.constData(), int(types.size()), types.data()))
        Raise(Sql, nullptr);
    Check(Collect(Sql).Result.get(), Sql);
    return *FPrepared.insert(key, {name, nullptr});
}

template <class TStatement> auto TPostgresSession::InSavepoint(TStatement&& Statement) {
    if (TransactionStatus() != PQTRANS_INTRANS)
        return Statement();
    RunScript(QStringLiteral("SAVEPOINT kro_statement"));
    try {
        auto result = Statement();
        RunScript(QStringLiteral("RELEASE SAVEPOINT kro_statement"));
        return result;
    } catch (const EDatabaseError&) {
        if (Connected()) {
            try {
                RunScript(QStringLiteral(
                    "ROLLBACK TO SAVEPOINT kro_statement; RELEASE SAVEPOINT kro_statement"));
            } catch (const EDatabaseError&) {
                // The statement's own error is the one to report.
            }
        }
        throw;
    }
}

TResult TPostgresSession::Run(const QString& Sql, const QByteArray& Text,
                              const QList<TParameter>& Params) {
    EnsureConnected();
    return InSavepoint([&] {
        const QByteArray name = Prepared(Sql, Text, Params).Name;
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
        for (const TParameter& p : Params) {
            values.push_back(p.IsNull ? nullptr : p.Value.constData());
            lengths.push_back(int(p.Value.size()));
            formats.push_back(p.Binary ? 1 : 0);
        }
        if (!PQsendQueryPrepared(FConn, name.constData(), int(values.size()), values.data(),
                                 lengths.data(), formats.data(), 0))
            Raise(Sql, nullptr);
        TResult result = Collect(Sql).Result;
        Check(result.get(), Sql);
        return result;
    });
}

std::shared_ptr<PGresult> TPostgresSession::Describe(const QString& Sql, const QByteArray& Text,
                                                     const QList<TParameter>& Params) {
    EnsureConnected();
    TPrepared& prepared = Prepared(Sql, Text, Params);
    if (!prepared.Description) {
        if (!PQsendDescribePrepared(FConn, prepared.Name.constData()))
            Raise(Sql, nullptr);
        TResult result = Collect(Sql).Result;
        Check(result.get(), Sql);
        prepared.Description = std::shared_ptr<PGresult>(result.release(), PQclear);
    }
    return prepared.Description;
}

qint64 TPostgresSession::RunScript(const QString& Sql) {
    EnsureConnected();
    if (!PQsendQuery(FConn, Sql.toUtf8().constData()))
        Raise(Sql, nullptr);
    return Collect(Sql).RowsAffected;
}

TPostgresSession::TAnswer TPostgresSession::Collect(const QString& Sql) {
    TAnswer answer;
    bool failed = false;
    while (PGresult* next = NextResult(Sql)) {
        TResult result(next);
        const ExecStatusType status = PQresultStatus(next);
        const bool succeeded = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
        if (succeeded)
            answer.RowsAffected += RowsAffectedOf(next);
        if (!failed) {
            failed = !succeeded && status != PGRES_EMPTY_QUERY;
            answer.Result = std::move(result);
        }
    }
    if (Connected())
        FInTransaction = TransactionStatus() != PQTRANS_IDLE;
    if (failed || !Connected())
        Raise(Sql, failed ? answer.Result.get() : nullptr);
    return answer;
}

PGresult* TPostgresSession::NextResult(const QString& Sql) {
    if (FAnswerTimeout > 0) {
        QDeadlineTimer silence(FAnswerTimeout);
        while (PQisBusy(FConn)) {
            pollfd socket{PQsocket(FConn), POLLIN, 0};
            if (socket.fd < 0)
                break; // PQgetResult reports the broken connection
            const int ready = poll(&socket, 1, int(silence.remainingTime()));
            if (ready == 0) {
                FAbandoned = true;
                throw EDatabaseError(
                    QStringLiteral("Cannot run \"%1\": %2 did not answer within %3 ms, so the "
                                   "connection was given up")
                        .arg(Sql, FTarget)
                        .arg(FAnswerTimeout));
            }
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0 || !PQconsumeInput(FConn))
                break;
            silence.setRemainingTime(FAnswerTimeout);
        }
    }
    return PQgetResult(FConn);
}

void TPostgresSession::EnsureDomain(const QString& Name, const QString& Definition) {
    if (FDomains.contains(Name))
        return;
    // The block's handler runs in a subtransaction: losing a race to create the domain
    // leaves an enclosing transaction intact.
    RunScript(QStringLiteral("DO $$ BEGIN IF to_regtype('%1') IS NULL THEN "
                             "CREATE DOMAIN %1 AS %2; END IF; "
                             "EXCEPTION WHEN duplicate_object OR unique_violation THEN NULL; "
                             "END $$")
                  .arg(Name, Definition));
    // A transaction that made it may still be rolled back.
    if (TransactionStatus() == PQTRANS_IDLE)
        FDomains.insert(Name);
}

void TPostgresSession::EnsureLikeFunction() {
    if (FLikeFunction)
        return;
    RunScript(
        QStringLiteral("DO $kro$ BEGIN IF to_regprocedure('kro_like_regex(text,text)') IS NULL "
                       "THEN %1; END IF; EXCEPTION WHEN duplicate_function OR "
                       "unique_violation THEN NULL; END $kro$")
            .arg(QString::fromLatin1(LikeRegexFunction)));
    // A transaction that made it may still be rolled back.
    if (TransactionStatus() == PQTRANS_IDLE)
        FLikeFunction = true;
}

namespace {

class TPostgresStatement : public TDbStatement {
public:
    TPostgresStatement(std::shared_ptr<TPostgresSession> Session, const QString& Sql)
        : FSession(std::move(Session)), FSql(Sql) {
        const TNumberedSql numbered = NumberedParameters(Sql);
        FText = numbered.Text;
        FLimitAt = numbered.LimitAt;
        FParams.resize(numbered.Count);
    }

    void Bind(int Index, const Variant& Value) override;
    void ClearBindings() override;
    bool Step() override;
    void Reset() override {
        FResult.reset();
        FRow = -1;
    }
    int ColumnCount() const override { return PQnfields(Shape()); }
    QString ColumnName(int Index) const override;
    Variant Column(int Index) const override;
    qint64 RowsAffected() const override { return FRowsAffected; }

private:
    // The result being read, or else the description of the columns of a run.
    const PGresult* Shape() const;

    // Runs the statement; a bound integer limit at its end is written into the text.
    TResult Run();

    std::shared_ptr<TPostgresSession> FSession;
    QString FSql;
    QByteArray FText;
    // A trailing "LIMIT $n" starts here (or -1). The value bound is written there: the
    // server keeps a plan for a statement with its limit written out, where it plans a
    // range or an order with a limit left a parameter anew at every run (a kept plan
    // cannot be sized to an unknown number of rows).
    qsizetype FLimitAt = -1;
    QList<TParameter> FParams;
    TResult FResult;
    int FRow = -1;
    qint64 FRowsAffected = 0;
    mutable std::shared_ptr<PGresult> FDescription;
};

void TPostgresStatement::Bind(int Index, const Variant& Value) {
    const auto fail = [&](const QString& Reason) {
        throw EDatabaseError(QStringLiteral("Cannot bind parameter %1 of \"%2\": %3")
                                 .arg(QString::number(Index), FSql, Reason));
    };
    if (Index < 0 || Index >= FParams.size())
        fail(QStringLiteral("it has %1 parameters").arg(FParams.size()));
    TParameter parameter;
    if (!ParameterOf(Value, parameter))
        fail(QStringLiteral("values of type %1 cannot be bound")
                 .arg(QString::fromLatin1(Value.metaType().name())));
    if (parameter.Type == UnknownOid && parameter.Value.contains('\0'))
        fail(QStringLiteral("PostgreSQL text cannot hold the character U+0000"));
    if (parameter.Type != FParams[Index].Type)
        FDescription.reset();
    FParams[Index] = std::move(parameter);
}

void TPostgresStatement::ClearBindings() {
    for (TParameter& parameter : FParams)
        parameter = {};
    FDescription.reset();
}

TResult TPostgresStatement::Run() {
    if (FLimitAt < 0 || FParams.last().Type != Int8Oid || FParams.last().IsNull)
        return FSession->Run(FSql, FText, FParams);
    return FSession->Run(FSql, FText.left(FLimitAt) + FParams.last().Value,
                         FParams.first(FParams.size() - 1));
}

bool TPostgresStatement::Step() {
    if (FResult) {
        ++FRow;
    } else {
        FResult = Run();
        FRow = 0;
        FRowsAffected = RowsAffectedOf(FResult.get());
    }
    if (FRow < PQntuples(FResult.get()))
        return true;
    Reset();
    return false;
}

const PGresult* TPostgresStatement::Shape() const {
    if (FResult)
        return FResult.get();
    if (!FDescription)
        FDescription = FSession->Describe(FSql, FText, FParams);
    return FDescription.get();
}

QString TPostgresStatement::ColumnName(int Index) const {
    const PGresult* shape = Shape();
    if (Index < 0 || Index >= PQnfields(shape))
        throw EDatabaseError(
            QStringLiteral("No column %1 in \"%2\"").arg(QString::number(Index), FSql));
    return QString::fromUtf8(PQfname(shape, Index));
}

Variant TPostgresStatement::Column(int Index) const {
    if (!FResult || Index < 0 || Index >= PQnfields(FResult.get()))
        throw EDatabaseError(QStringLiteral("No column %1 in the current row of \"%2\"")
                                 .arg(QString::number(Index), FSql));
    return ValueAt(FResult.get(), FRow, Index);
}

// ---- Schema ----------------------------------------------------------------------------

// The oid of the table named by the parameter ignoring case, an exact match first; the
// parameter is given twice.
const char* const TableOidSql =
    "(SELECT c.oid FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
    "WHERE c.relkind IN ('r', 'p') AND lower(c.relname) = lower(?) "
    "AND n.nspname NOT IN ('pg_catalog', 'information_schema') AND pg_table_is_visible(c.oid) "
    "ORDER BY c.relname = ? DESC, c.relname LIMIT 1)";

QString WithTableOid(const char* Sql) {
    return QString::fromLatin1(Sql).arg(QLatin1String(TableOidSql));
}

[[noreturn]] void RaiseNoTable(const QString& Table) {
    throw EDatabaseError(QStringLiteral("Table \"%1\" does not exist").arg(Table));
}

QString Unquoted(const QString& Name) {
    if (Name.size() < 2 || !Name.startsWith(QLatin1Char('"')))
        return Name;
    return Name.mid(1, Name.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

bool IsNumberType(const QString& Type) {
    static const QRegularExpression numeric(
        QStringLiteral(R"(^(smallint|integer|bigint|numeric|real|double precision)\b)"));
    return numeric.match(Type).hasMatch();
}

Variant NumberOrText(const QString& Text) {
    bool ok = false;
    const qint64 integer = Text.toLongLong(&ok);
    if (ok)
        return integer;
    const double number = Text.toDouble(&ok);
    return ok ? Variant(number) : Variant(Text);
}

// The value of a column default as the catalog writes it: 'it''s'::character varying,
// '-1.5'::numeric, 5, NULL::text, CURRENT_DATE...
Variant DefaultValue(const Variant& Expression) {
    if (VarIsNull(Expression))
        return Null();
    const QString text = Expression.toString().trimmed();
    static const QRegularExpression literal(QStringLiteral(R"(^'((?:[^']|'')*)'(?:::(.+))?$)"));
    const QRegularExpressionMatch match = literal.match(text);
    if (match.hasMatch()) {
        const QString value = match.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
        return IsNumberType(match.captured(2)) ? NumberOrText(value) : Variant(value);
    }
    static const QRegularExpression null(QStringLiteral(R"(^NULL(::.+)?$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (null.match(text).hasMatch())
        return Null();
    return NumberOrText(text);
}

struct TColumnType {
    TFieldType Type;
    const char* Declared; // as the catalog gives it back; "%1" stands for the size
    const char* Domain;   // the definition of a domain of the driver, or null
};

// The table of the header. Where a declared type serves two field types the first one
// is the type it maps back to.
constexpr TColumnType ColumnTypes[] = {
    {ftString, "character varying(%1)", nullptr},
    {ftSmallint, "smallint", nullptr},
    {ftInteger, "integer", nullptr},
    {ftWord, "kro_word", "integer CHECK (VALUE BETWEEN 0 AND 65535)"},
    {ftAutoInc, "integer", nullptr},
    {ftLargeint, "bigint", nullptr},
    {ftFloat, "double precision", nullptr},
    {ftCurrency, "numeric(19,4)", nullptr},
    {ftBCD, "numeric(32,%1)", nullptr},
    {ftBoolean, "boolean", nullptr},
    {ftDate, "date", nullptr},
    {ftTime, "time without time zone", nullptr},
    {ftDateTime, "timestamp without time zone", nullptr},
    {ftMemo, "text", nullptr},
    {ftFmtMemo, "kro_fmtmemo", "text"},
    {ftBlob, "bytea", nullptr},
    {ftGraphic, "kro_graphic", "bytea"},
    {ftTypedBinary, "kro_typedbinary", "bytea"},
    {ftBytes, "kro_bytes_%1", "bytea CHECK (octet_length(VALUE) <= %1)"},
    {ftVarBytes, "kro_varbytes_%1", "bytea CHECK (octet_length(VALUE) <= %1)"},
};

// Whether Declared is of the column type, with its size if it has one.
bool Matches(const TColumnType& Type, const QString& Declared, int& Size) {
    const QString pattern = QString::fromLatin1(Type.Declared);
    const qsizetype mark = pattern.indexOf(QLatin1String("%1"));
    if (mark < 0)
        return Declared == pattern;
    const QString prefix = pattern.left(mark);
    const QString suffix = pattern.mid(mark + 2);
    if (!Declared.startsWith(prefix) || !Declared.endsWith(suffix) ||
        Declared.size() <= prefix.size() + suffix.size())
        return false;
    bool number = false;
    const int size =
        Declared.mid(prefix.size(), Declared.size() - prefix.size() - suffix.size()).toInt(&number);
    if (!number || size < 0)
        return false;
    Size = size;
    return true;
}

// A declared type in the catalog's spelling: lower case, single spaces, no spaces around
// parentheses and commas, without a schema.
QString Normalized(const QString& Declared) {
    QString type = Declared.toLower().simplified();
    static const QRegularExpression open(QStringLiteral(R"(\s*\(\s*)"));
    static const QRegularExpression comma(QStringLiteral(R"(\s*,\s*)"));
    static const QRegularExpression close(QStringLiteral(R"(\s*\))"));
    type.replace(open, QStringLiteral("("))
        .replace(comma, QStringLiteral(","))
        .replace(close, QStringLiteral(")"));
    static const QRegularExpression schema(QStringLiteral(R"(^(?:"[^"]*"|\w+)\.)"));
    return type.remove(schema);
}

// The field type nearest to a declared type of another origin.
TFieldType FieldTypeByKind(const QString& Declared, int& Size) {
    static const QRegularExpression character(
        QStringLiteral(R"(^(?:character varying|varchar|character|char|bpchar)\((\d+)\)$)"));
    static const QRegularExpression numeric(
        QStringLiteral(R"(^(?:numeric|decimal)\(\d+,(\d+)\)$)"));
    static const QRegularExpression integer(QStringLiteral(R"(^(?:int[248]?|oid)$)"));
    static const QRegularExpression real(
        QStringLiteral(R"(^(?:real|float[48]?|double precision|numeric|decimal)$)"));
    QRegularExpressionMatch match = character.match(Declared);
    if (match.hasMatch()) {
        Size = match.captured(1).toInt();
        return ftString;
    }
    match = numeric.match(Declared);
    if (match.hasMatch()) {
        Size = match.captured(1).toInt();
        return ftBCD;
    }
    if (integer.match(Declared).hasMatch())
        return ftInteger;
    if (real.match(Declared).hasMatch())
        return ftFloat;
    if (Declared == QLatin1String("bool"))
        return ftBoolean;
    if (Declared.startsWith(QLatin1String("timestamp")))
        return ftDateTime;
    if (Declared.startsWith(QLatin1String("time")))
        return ftTime;
    return ftMemo;
}

// The field type of a declared type in the catalog's spelling: the driver's own column
// type it matches, else the nearest one.
TFieldType MappedFieldType(const QString& Declared, int& Size) {
    for (const TColumnType& columnType : ColumnTypes)
        if (Matches(columnType, Declared, Size))
            return columnType.Type;
    return FieldTypeByKind(Declared, Size);
}

// Index keys that compare a column ignoring case: lower("Name"::text) and the like.
const QRegularExpression& LowerColumn() {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^lower\(\(?("(?:[^"]|"")*"|\w+)(?:\)?::text)?\)$)"));
    return pattern;
}

// Whether Sql makes, changes or drops a table or another object of the schema.
bool ChangesSchema(const QString& Sql) {
    const QString first = Sql.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
    return first == QLatin1String("create") || first == QLatin1String("drop") ||
           first == QLatin1String("alter");
}

} // namespace

// ---- Connection ------------------------------------------------------------------------

TPostgresConnection::TPostgresConnection(const QMap<QString, QString>& Params)
    : FSession(std::make_shared<TPostgresSession>(Params)) {}

TPostgresConnection::~TPostgresConnection() {
    // Statements still alive keep the connection: leave no transaction open for them.
    if (InTransaction()) {
        try {
            FSession->RunScript(QStringLiteral("ROLLBACK"));
        } catch (const EDatabaseError&) {
            // The connection is gone, and the transaction with it.
        }
    }
}

QString TPostgresConnection::CodePointOrdered(const QString& Expression) const {
    return QStringLiteral("(%1)::text COLLATE \"%2\"")
        .arg(Expression, CodePointCollation() ? QStringLiteral("default") : QStringLiteral("C"));
}

bool TPostgresConnection::CodePointCollation() const {
    if (FCodePointCollation)
        return *FCodePointCollation;
    // The provider's column exists from version 15 on; before, every collation is libc's.
    TPostgresStatement database(
        FSession, QStringLiteral("SELECT d.datcollate, to_jsonb(d) ->> 'datlocprovider' "
                                 "FROM pg_database d WHERE d.datname = current_database()"));
    try {
        if (!database.Step())
            return false;
    } catch (const EDatabaseError&) {
        return false; // asked again next time (a failed transaction, a lost connection)
    }
    static const QRegularExpression codePoint(QStringLiteral(R"(^(C|POSIX|C\.UTF-?8)$)"),
                                              QRegularExpression::CaseInsensitiveOption);
    const Variant provider = database.Column(1);
    FCodePointCollation = (VarIsNull(provider) || provider.toString() == QLatin1String("c")) &&
                          codePoint.match(database.Column(0).toString()).hasMatch();
    return *FCodePointCollation;
}

QString TPostgresConnection::ServerSql(const QString& Sql) {
    QString text = PostgresLikeSql(Sql);
    if (text != Sql)
        FSession->EnsureLikeFunction();
    return text;
}

std::unique_ptr<TDbStatement> TPostgresConnection::Prepare(const QString& Sql) {
    return std::make_unique<TPostgresStatement>(FSession, ServerSql(Sql));
}

qint64 TPostgresConnection::Execute(const QString& Sql, const QVariantList& Params) {
    if (ChangesSchema(Sql))
        ForgetSchema();
    if (Params.isEmpty()) {
        const QString text = ServerSql(Sql);
        return FSession->InSavepoint([&] { return FSession->RunScript(text); });
    }
    const std::unique_ptr<TDbStatement> statement = PrepareWith(Sql, Params);
    while (statement->Step()) {
    }
    return statement->RowsAffected();
}

Variant TPostgresConnection::Scalar(const QString& Sql, const QVariantList& Params) {
    const std::unique_ptr<TDbStatement> statement = PrepareWith(Sql, Params);
    return statement->Step() ? statement->Column(0) : Null();
}

qint64 TPostgresConnection::LastInsertId() {
    return Scalar(QStringLiteral("SELECT lastval()")).toLongLong();
}

void TPostgresConnection::StartTransaction() {
    if (InTransaction())
        throw EDatabaseError(
            QStringLiteral("Cannot start a transaction: a transaction is already active"));
    FSession->RunScript(QStringLiteral("BEGIN"));
}

void TPostgresConnection::Commit() {
    if (FSession->LostInTransaction())
        throw EDatabaseError(QStringLiteral(
            "Cannot commit: the connection was lost inside the transaction, which the server "
            "has undone; roll it back to go on"));
    switch (FSession->TransactionStatus()) {
    case PQTRANS_INTRANS:
        FSession->RunScript(QStringLiteral("COMMIT"));
        return;
    case PQTRANS_INERROR:
        FSession->RunScript(QStringLiteral("ROLLBACK"));
        throw EDatabaseError(QStringLiteral(
            "Cannot commit: a statement of the transaction failed, so it was rolled back"));
    default:
        throw EDatabaseError(QStringLiteral("Cannot commit: no transaction is active"));
    }
}

void TPostgresConnection::Rollback() {
    if (!FSession->Connected()) {
        FSession->ForgetLostTransaction(); // the server discarded it with the connection
        return;
    }
    if (!InTransaction())
        throw EDatabaseError(QStringLiteral("Cannot roll back: no transaction is active"));
    FSession->RunScript(QStringLiteral("ROLLBACK"));
}

bool TPostgresConnection::InTransaction() const {
    return FSession->InTransaction();
}

QStringList TPostgresConnection::TableNames() {
    const std::unique_ptr<TDbStatement> statement = Prepare(QStringLiteral(
        "SELECT c.relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r', 'p') AND n.nspname NOT IN ('pg_catalog', "
        "'information_schema') AND pg_table_is_visible(c.oid) ORDER BY lower(c.relname), "
        "c.relname"));
    QStringList names;
    while (statement->Step())
        names.append(statement->Column(0).toString());
    return names;
}

qint64 TPostgresConnection::FindTable(const QString& Table) {
    return Scalar(QStringLiteral("SELECT %1").arg(QLatin1String(TableOidSql)), {Table, Table})
        .toLongLong();
}

bool TPostgresConnection::TableExists(const QString& Table) {
    return FSchema.Exists(Table, [&] { return FindTable(Table) != 0; });
}

void TPostgresConnection::ForgetSchema() {
    FStoredNames.reset();
    FSchema.Clear();
}

QList<TColumnInfo> TPostgresConnection::TableColumns(const QString& Table) {
    return FSchema.Columns(Table, [&] { return ReadTableColumns(Table); });
}

QList<TIndexInfo> TPostgresConnection::TableIndexes(const QString& Table) {
    return FSchema.Indexes(Table, [&] { return ReadTableIndexes(Table); });
}

QString TPostgresConnection::RowIdColumn(const QString& Table) {
    return FSchema.RowId(Table, [&] { return ReadRowIdColumn(Table); });
}

QList<TColumnInfo> TPostgresConnection::ReadTableColumns(const QString& Table) {
    const std::unique_ptr<TDbStatement> statement = PrepareWith(
        WithTableOid(
            "SELECT a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
            "EXISTS (SELECT 1 FROM pg_index i WHERE i.indrelid = a.attrelid AND i.indisprimary "
            "AND a.attnum = ANY (i.indkey)), pg_get_expr(d.adbin, d.adrelid), "
            "a.attidentity <> '' "
            "FROM pg_attribute a LEFT JOIN pg_attrdef d "
            "ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
            "WHERE a.attrelid = %1 AND a.attnum > 0 AND NOT a.attisdropped AND a.attname <> ? "
            "ORDER BY a.attnum"),
        {Table, Table, QLatin1String(HiddenRowKey)});
    QList<TColumnInfo> columns;
    while (statement->Step()) {
        TColumnInfo column;
        column.Name = statement->Column(0).toString();
        column.DeclaredType = statement->Column(1).toString();
        column.NotNull = statement->Column(2).toLongLong() != 0;
        column.PrimaryKey = statement->Column(3).toLongLong() != 0;
        const Variant defaultExpression = statement->Column(4);
        column.AutoIncrement = statement->Column(5).toLongLong() != 0 ||
                               defaultExpression.toString().startsWith(QLatin1String("nextval("));
        column.Default = column.AutoIncrement ? Null() : DefaultValue(defaultExpression);
        columns.append(column);
    }
    if (columns.isEmpty() && !TableExists(Table))
        RaiseNoTable(Table);
    return columns;
}

QList<TIndexInfo> TPostgresConnection::ReadTableIndexes(const QString& Table) {
    const std::unique_ptr<TDbStatement> keys = PrepareWith(
        WithTableOid("SELECT i.indexrelid, ic.relname, i.indisprimary, i.indisunique, a.attname, "
                     "pg_get_indexdef(i.indexrelid, k.n, true), i.indoption[k.n - 1] & 1 "
                     "FROM pg_index i JOIN pg_class ic ON ic.oid = i.indexrelid "
                     "CROSS JOIN LATERAL generate_series(1, i.indnkeyatts) AS k(n) "
                     "LEFT JOIN pg_attribute a "
                     "ON a.attrelid = i.indrelid AND a.attnum = i.indkey[k.n - 1] "
                     "WHERE i.indrelid = %1 AND NOT EXISTS (SELECT 1 FROM pg_attribute h "
                     "WHERE h.attrelid = i.indrelid AND h.attnum = ANY (i.indkey) "
                     "AND h.attname = ?) "
                     "ORDER BY i.indisprimary DESC, i.indexrelid, k.n"),
        {Table, Table, QLatin1String(HiddenRowKey)});
    QList<TIndexInfo> indexes;
    qint64 current = 0;
    while (keys->Step()) {
        if (indexes.isEmpty() || keys->Column(0).toLongLong() != current) {
            current = keys->Column(0).toLongLong();
            TIndexInfo index;
            index.Primary = keys->Column(2).toLongLong() != 0;
            index.Name = index.Primary ? QStringLiteral("PRIMARY") : keys->Column(1).toString();
            index.Unique = keys->Column(3).toLongLong() != 0;
            indexes.append(index);
        }
        TIndexInfo& index = indexes.last();
        const Variant column = keys->Column(4);
        if (!VarIsNull(column)) {
            index.Fields.append(column.toString());
        } else {
            const QRegularExpressionMatch lower = LowerColumn().match(keys->Column(5).toString());
            if (lower.hasMatch()) {
                index.Fields.append(Unquoted(lower.captured(1)));
                index.CaseInsensitive = true;
            } else {
                index.Expression = true;
            }
        }
        index.Descending = index.Descending || keys->Column(6).toLongLong() != 0;
    }
    if (indexes.isEmpty() && !TableExists(Table))
        RaiseNoTable(Table);
    return indexes;
}

QHash<QString, QString> TPostgresConnection::StoredNames() {
    if (!FStoredNames) {
        const std::unique_ptr<TDbStatement> statement = Prepare(
            QStringLiteral("SELECT c.relname, a.attname FROM pg_class c "
                           "JOIN pg_namespace n ON n.oid = c.relnamespace "
                           "LEFT JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
                           "AND NOT a.attisdropped "
                           "WHERE c.relkind IN ('r', 'p', 'v') AND n.nspname NOT IN ('pg_catalog', "
                           "'information_schema') AND pg_table_is_visible(c.oid)"));
        QHash<QString, QString> names;
        while (statement->Step())
            for (int c = 0; c < 2; ++c) {
                const QString name = statement->Column(c).toString();
                if (name != name.toLower())
                    names.insert(name.toLower(), name);
            }
        FStoredNames = std::move(names);
    }
    return *FStoredNames;
}

void TPostgresConnection::EnsureRowKey(const QString& Table) {
    const qint64 oid = FindTable(Table);
    if (oid == 0)
        RaiseNoTable(Table);
    const Variant keyed = Scalar(
        QStringLiteral("SELECT i.indisprimary FROM pg_index i JOIN pg_attribute a "
                       "ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
                       "WHERE i.indrelid = ? AND i.indisprimary AND i.indnkeyatts = 1 "
                       "AND a.atttypid IN ('int2'::regtype, 'int4'::regtype, 'int8'::regtype)"),
        {oid});
    if (keyed.isValid())
        return;
    const bool hasPrimary =
        Scalar(QStringLiteral("SELECT 1 FROM pg_index WHERE indrelid = ? AND indisprimary"), {oid})
            .isValid();
    Execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 bigint GENERATED BY DEFAULT AS "
                           "IDENTITY %3")
                .arg(QuoteName(Table), QuoteName(QLatin1String(HiddenRowKey)),
                     hasPrimary ? QStringLiteral("UNIQUE") : QStringLiteral("PRIMARY KEY")));
}

QString TPostgresConnection::ReadRowIdColumn(const QString& Table) {
    const Variant column = Scalar(
        WithTableOid("SELECT a.attname FROM pg_index i JOIN pg_attribute a "
                     "ON a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
                     "WHERE i.indrelid = %1 AND i.indisprimary AND i.indnkeyatts = 1 "
                     "AND a.atttypid IN ('int2'::regtype, 'int4'::regtype, 'int8'::regtype)"),
        {Table, Table});
    if (!VarIsNull(column))
        return QuoteName(column.toString());
    if (Scalar(WithTableOid("SELECT 1 FROM pg_attribute WHERE attrelid = %1 AND attname = ? "
                            "AND NOT attisdropped"),
               {Table, Table, QLatin1String(HiddenRowKey)})
            .isValid())
        return QuoteName(QLatin1String(HiddenRowKey));
    if (!TableExists(Table))
        RaiseNoTable(Table);
    throw EDatabaseError(QStringLiteral("Table \"%1\" needs an integer key: a primary key of one "
                                        "integer column identifies its rows")
                             .arg(Table));
}

void TPostgresConnection::ContinueAutoIncrement(const QString& Table, const QString& Column) {
    // The sequence's next value is the largest one plus 1, or 1 for an empty table.
    Scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), coalesce(max(%1), 0) + 1, "
                          "false) FROM %2")
               .arg(QuoteName(Column), QuoteName(Table)),
           {QuoteName(Table), Column});
}

QString TPostgresConnection::ColumnTypeSql(TFieldType Type, int Size) const {
    for (const TColumnType& columnType : ColumnTypes)
        if (columnType.Type == Type) {
            const QString declared = QString::fromLatin1(columnType.Declared);
            const bool sized = declared.contains(QLatin1String("%1"));
            const QString name = sized ? declared.arg(Size) : declared;
            if (columnType.Domain) {
                const QString definition = QString::fromLatin1(columnType.Domain);
                FSession->EnsureDomain(name, sized ? definition.arg(Size) : definition);
            }
            return name;
        }
    throw EDatabaseError(
        QStringLiteral("PostgreSQL has no column type for fields of type %1").arg(EnumName(Type)));
}

TFieldType TPostgresConnection::FieldTypeOf(const TColumnInfo& Column, int& Size) const {
    Size = 0;
    if (Column.AutoIncrement)
        return ftAutoInc;
    // Every open of a table asks for its columns' types: each text is mapped once.
    struct TMapped {
        TFieldType Type;
        int Size;
    };
    thread_local QHash<QString, TMapped> mapped;
    const auto known = mapped.constFind(Column.DeclaredType);
    if (known != mapped.cend()) {
        Size = known->Size;
        return known->Type;
    }
    const TFieldType type = MappedFieldType(Normalized(Column.DeclaredType), Size);
    mapped.insert(Column.DeclaredType, {type, Size});
    return type;
}

Variant TPostgresConnection::Insert(const QString& Sql, const QVariantList& Params,
                                    const QString& RowKey) {
    return Scalar(Sql + QStringLiteral(" RETURNING ") + RowKey, Params);
}
