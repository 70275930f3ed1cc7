#include "FilterExpression.h"

#include <QLocale>
#include <algorithm>
#include <rtl/Exceptions.h>
#include <vector>

namespace {

constexpr int MaxNesting = 200;
constexpr std::size_t MaxFlatTerms = 32;

[[noreturn]] void Fail(const QString& What, int Pos) {
    throw EDatabaseError(
        QStringLiteral("Filter expression: %1 at %2").arg(What, QString::number(Pos)));
}

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// --- Tokens -------------------------------------------------------------------------------

enum class TTokenKind { Name, QuotedName, String, Number, Operator, LeftParen, RightParen, End };

struct TToken {
    TTokenKind Kind;
    QString Text; // a name, a string's value, a number or an operator as written
    int Pos;      // 1-based
};

class TFilterLexer {
public:
    explicit TFilterLexer(const QString& Text) : FText(Text) {}

    // All tokens of the text, the last being End.
    std::vector<TToken> Tokens() {
        std::vector<TToken> tokens;
        do
            tokens.push_back(Next());
        while (tokens.back().Kind != TTokenKind::End);
        return tokens;
    }

private:
    QChar At(qsizetype Index) const { return Index < FText.size() ? FText[Index] : QChar(); }
    int Pos() const { return int(FPos) + 1; }

    TToken Next() {
        while (FPos < FText.size() && FText[FPos].isSpace())
            ++FPos;
        if (FPos == FText.size())
            return {TTokenKind::End, {}, Pos()};
        const QChar c = FText[FPos];
        if (c.isLetter() || c == QLatin1Char('_'))
            return Name();
        if (IsDigit(c) || (c == QLatin1Char('-') && IsDigit(At(FPos + 1))))
            return Number();
        switch (c.unicode()) {
        case '\'':
            return String();
        case '[':
            return QuotedName(QLatin1Char(']'));
        case '"':
            return QuotedName(QLatin1Char('"'));
        case '(':
            return Single(TTokenKind::LeftParen);
        case ')':
            return Single(TTokenKind::RightParen);
        case '=':
        case '<':
        case '>':
            return Operator();
        default:
            Fail(QStringLiteral("unexpected character '%1'").arg(c), Pos());
        }
    }

    TToken Single(TTokenKind Kind) {
        const int pos = Pos();
        return {Kind, QString(FText[FPos++]), pos};
    }

    TToken Name() {
        const qsizetype start = FPos;
        while (IsWordChar(At(FPos)))
            ++FPos;
        return {TTokenKind::Name, FText.mid(start, FPos - start), int(start) + 1};
    }

    // Bracketed or double-quoted: everything up to the closing character.
    TToken QuotedName(QChar Close) {
        const int pos = Pos();
        const qsizetype end = FText.indexOf(Close, FPos + 1);
        if (end < 0)
            Fail(QStringLiteral("unterminated field name"), pos);
        const QString name = FText.mid(FPos + 1, end - FPos - 1);
        if (name.trimmed().isEmpty())
            Fail(QStringLiteral("empty field name"), pos);
        FPos = end + 1;
        return {TTokenKind::QuotedName, name, pos};
    }

    TToken String() {
        const int pos = Pos();
        QString value;
        for (++FPos; FPos < FText.size(); ++FPos) {
            if (FText[FPos] == QLatin1Char('\'')) {
                if (At(FPos + 1) != QLatin1Char('\'')) {
                    ++FPos;
                    return {TTokenKind::String, value, pos};
                }
                ++FPos;
            }
            value += FText[FPos];
        }
        Fail(QStringLiteral("unterminated string"), pos);
    }

    // -?digits(.digits)?, not running into a letter, digit, '_' or '.'.
    TToken Number() {
        const qsizetype start = FPos;
        if (FText[FPos] == QLatin1Char('-'))
            ++FPos;
        const auto digits = [this] {
            const qsizetype from = FPos;
            while (IsDigit(At(FPos)))
                ++FPos;
            return FPos > from;
        };
        bool valid = digits();
        if (At(FPos) == QLatin1Char('.')) {
            ++FPos;
            valid = digits();
        }
        for (; IsWordChar(At(FPos)) || At(FPos) == QLatin1Char('.'); ++FPos)
            valid = false;
        const QString text = FText.mid(start, FPos - start);
        if (!valid)
            Fail(QStringLiteral("invalid number '%1'").arg(text), int(start) + 1);
        return {TTokenKind::Number, text, int(start) + 1};
    }

    TToken Operator() {
        const int pos = Pos();
        const QChar c = FText[FPos++];
        QString op(c);
        if ((c == QLatin1Char('<') &&
             (At(FPos) == QLatin1Char('>') || At(FPos) == QLatin1Char('='))) ||
            (c == QLatin1Char('>') && At(FPos) == QLatin1Char('=')))
            op += FText[FPos++];
        return {TTokenKind::Operator, op, pos};
    }

    const QString& FText;
    qsizetype FPos = 0;
};

// --- Comparisons --------------------------------------------------------------------------

enum class TCompareOp { Eq, Ne, Lt, Gt, Le, Ge };

TCompareOp CompareOpOf(const QString& Text) {
    static const QStringList texts{QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("<"),
                                   QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
    return TCompareOp(texts.indexOf(Text));
}

QString SqlOf(TCompareOp Op) {
    static const char* const texts[] = {"=", "<>", "<", ">", "<=", ">="};
    return QLatin1String(texts[int(Op)]);
}

// The operator that holds with the operands swapped.
TCompareOp Mirrored(TCompareOp Op) {
    switch (Op) {
    case TCompareOp::Lt:
        return TCompareOp::Gt;
    case TCompareOp::Gt:
        return TCompareOp::Lt;
    case TCompareOp::Le:
        return TCompareOp::Ge;
    case TCompareOp::Ge:
        return TCompareOp::Le;
    default:
        return Op;
    }
}

bool Holds(TCompareOp Op, int Order) {
    switch (Op) {
    case TCompareOp::Eq:
        return Order == 0;
    case TCompareOp::Ne:
        return Order != 0;
    case TCompareOp::Lt:
        return Order < 0;
    case TCompareOp::Gt:
        return Order > 0;
    case TCompareOp::Le:
        return Order <= 0;
    case TCompareOp::Ge:
        return Order >= 0;
    }
    return false;
}

// How a field's values compare; Integer and Float are both numbers.
enum class TValueKind { Text, Integer, Float, Boolean, Date, Time, DateTime };

std::optional<TValueKind> ValueKindOf(TFieldType Type) {
    switch (Type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        return TValueKind::Text;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return TValueKind::Integer;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return TValueKind::Float;
    case ftBoolean:
        return TValueKind::Boolean;
    case ftDate:
        return TValueKind::Date;
    case ftTime:
        return TValueKind::Time;
    case ftDateTime:
        return TValueKind::DateTime;
    default:
        return std::nullopt;
    }
}

bool Comparable(TValueKind A, TValueKind B) {
    const auto family = [](TValueKind k) {
        return k == TValueKind::Integer ? TValueKind::Float : k;
    };
    return family(A) == family(B);
}

struct TComparison {
    TCompareOp Op = TCompareOp::Eq;
    TFilterField Left;
    TValueKind Kind = TValueKind::Text; // of Left
    std::optional<TFilterField> Right;  // a comparison of two fields
    Variant Value;                      // the constant in Left's type; Null for a Null test
    bool Partial = false;               // Value is a prefix
    bool IgnoreCase = false;
};

} // namespace

struct TFilterNode {
    enum TKind { Or, And, Not, Compare };
    explicit TFilterNode(TKind Kind) : Kind(Kind) {}

    TKind Kind;
    std::vector<std::unique_ptr<TFilterNode>> Children; // or, and: two or more; not: one
    TComparison Comparison;
};

namespace {

// --- Constants ----------------------------------------------------------------------------

const QLocale& NumberLocale() {
    static const QLocale locale = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::RejectGroupSeparator);
        return c;
    }();
    return locale;
}

template <class T, class Parse>
std::optional<T> FirstValid(const QString& Text, std::initializer_list<const char*> Formats,
                            Parse parse) {
    for (const char* format : Formats) {
        const T value = parse(Text, QLatin1String(format));
        if (value.isValid())
            return value;
    }
    return std::nullopt;
}

// The constant Text as a value of a field of Kind, or nullopt when it is none.
std::optional<Variant> ConstantOf(const QString& Text, TValueKind Kind) {
    bool ok = false;
    switch (Kind) {
    case TValueKind::Text:
        return Text;
    case TValueKind::Integer: {
        const qint64 integer = NumberLocale().toLongLong(Text, &ok);
        if (ok)
            return integer;
        [[fallthrough]];
    }
    case TValueKind::Float: {
        const double number = NumberLocale().toDouble(Text, &ok);
        if (ok && qIsFinite(number))
            return number;
        break;
    }
    case TValueKind::Boolean:
        if (Text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || Text == u"1")
            return true;
        if (Text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || Text == u"0")
            return false;
        break;
    case TValueKind::Date:
        if (const QDate date = QDate::fromString(Text, u"yyyy-MM-dd"); date.isValid())
            return date;
        break;
    case TValueKind::Time:
        if (auto time = FirstValid<QTime>(
                Text, {"HH:mm", "HH:mm:ss", "HH:mm:ss.zzz"},
                [](const QString& t, QLatin1String f) { return QTime::fromString(t, f); }))
            return *time;
        break;
    case TValueKind::DateTime:
        if (auto stamp = FirstValid<QDateTime>(
                Text,
                {"yyyy-MM-dd", "yyyy-MM-dd HH:mm", "yyyy-MM-dd HH:mm:ss",
                 "yyyy-MM-dd HH:mm:ss.zzz"},
                [](const QString& t, QLatin1String f) { return QDateTime::fromString(t, f); }))
            return *stamp;
        break;
    }
    return std::nullopt;
}

QString KindName(TValueKind Kind) {
    static const char* const names[] = {"text", "integer", "number",   "logical value",
                                        "date", "time",    "date-time"};
    return QLatin1String(names[int(Kind)]);
}

// --- Parser -------------------------------------------------------------------------------
//
//   or-expr   := and-expr ('or' and-expr)*
//   and-expr  := not-expr ('and' not-expr)*
//   not-expr  := 'not' not-expr | '(' or-expr ')' | operand op operand
//   operand   := field | string | number | 'null'
//
// Chains of and/or are read in loops into one node each; only parentheses and 'not'
// recurse, at most MaxNesting deep.

class TFilterParser {
public:
    TFilterParser(const QString& Text, const TFilterFieldResolver& Resolve, TFilterOptions Options)
        : FTokens(TFilterLexer(Text).Tokens()), FResolve(Resolve), FOptions(Options) {}

    // The condition, or nullptr for an empty text.
    std::unique_ptr<TFilterNode> Parse() {
        if (Peek().Kind == TTokenKind::End)
            return nullptr;
        auto root = Disjunction();
        if (Peek().Kind != TTokenKind::End)
            Fail(QStringLiteral("unexpected %1").arg(Described(Peek())), Peek().Pos);
        return root;
    }

    const QStringList& FieldNames() const { return FFieldNames; }

private:
    struct TOperand {
        enum TRole { orField, orConstant, orNull } Role;
        TToken Token;
        TFilterField Field;
        TValueKind Kind = TValueKind::Text; // of a field
    };

    const TToken& Peek() const { return FTokens[FIndex]; }
    const TToken& Take() {
        const TToken& token = FTokens[FIndex];
        if (token.Kind != TTokenKind::End)
            ++FIndex;
        return token;
    }
    bool IsKeyword(const TToken& Token, const char* Word) const {
        return Token.Kind == TTokenKind::Name &&
               Token.Text.compare(QLatin1String(Word), Qt::CaseInsensitive) == 0;
    }
    bool AtKeyword(const char* Word) const { return IsKeyword(Peek(), Word); }

    static QString Described(const TToken& Token) {
        return Token.Kind == TTokenKind::String ? QStringLiteral("string")
                                                : QStringLiteral("'%1'").arg(Token.Text);
    }

    void Enter(const TToken& At) {
        if (++FDepth > MaxNesting)
            Fail(QStringLiteral("nesting deeper than %1 levels").arg(MaxNesting), At.Pos);
    }
    void Leave() { --FDepth; }

    std::unique_ptr<TFilterNode> Chain(TFilterNode::TKind Kind, const char* Keyword,
                                       std::unique_ptr<TFilterNode> (TFilterParser::*Operand)()) {
        auto first = (this->*Operand)();
        if (!AtKeyword(Keyword))
            return first;
        auto node = std::make_unique<TFilterNode>(Kind);
        node->Children.push_back(std::move(first));
        while (AtKeyword(Keyword)) {
            Take();
            node->Children.push_back((this->*Operand)());
        }
        return node;
    }

    std::unique_ptr<TFilterNode> Disjunction() {
        return Chain(TFilterNode::Or, "or", &TFilterParser::Conjunction);
    }

    std::unique_ptr<TFilterNode> Conjunction() {
        return Chain(TFilterNode::And, "and", &TFilterParser::Negation);
    }

    std::unique_ptr<TFilterNode> Negation() {
        if (AtKeyword("not")) {
            Enter(Take());
            auto node = std::make_unique<TFilterNode>(TFilterNode::Not);
            node->Children.push_back(Negation());
            Leave();
            return node;
        }
        if (Peek().Kind == TTokenKind::LeftParen) {
            Enter(Take());
            auto inner = Disjunction();
            if (Peek().Kind != TTokenKind::RightParen)
                Fail(QStringLiteral("')' expected"), Peek().Pos);
            Take();
            Leave();
            return inner;
        }
        return Comparison();
    }

    std::unique_ptr<TFilterNode> Comparison() {
        TOperand left = Operand();
        if (Peek().Kind != TTokenKind::Operator)
            Fail(QStringLiteral("comparison operator expected"), Peek().Pos);
        TCompareOp op = CompareOpOf(Take().Text);
        TOperand right = Operand();
        if (left.Role != TOperand::orField) {
            if (right.Role != TOperand::orField)
                Fail(QStringLiteral("a comparison needs a field"), left.Token.Pos);
            std::swap(left, right);
            op = Mirrored(op);
        }
        auto node = std::make_unique<TFilterNode>(TFilterNode::Compare);
        TComparison& c = node->Comparison;
        c.Op = op;
        c.Left = left.Field;
        c.Kind = left.Kind;
        c.IgnoreCase = left.Kind == TValueKind::Text && FOptions.Contains(foCaseInsensitive);
        if (right.Role == TOperand::orField) {
            if (!Comparable(left.Kind, right.Kind))
                Fail(QStringLiteral("fields '%1' and '%2' cannot be compared")
                         .arg(left.Field.Name, right.Field.Name),
                     std::min(left.Token.Pos, right.Token.Pos));
            c.Right = right.Field;
        } else if (right.Role == TOperand::orConstant) {
            SetConstant(c, right.Token);
        }
        return node;
    }

    void SetConstant(TComparison& C, const TToken& Constant) const {
        QString text = Constant.Text;
        C.Partial = C.Kind == TValueKind::Text && Constant.Kind == TTokenKind::String &&
                    (C.Op == TCompareOp::Eq || C.Op == TCompareOp::Ne) &&
                    !FOptions.Contains(foNoPartialCompare) && text.endsWith(QLatin1Char('*'));
        if (C.Partial)
            text.chop(1);
        const std::optional<Variant> value = ConstantOf(text, C.Kind);
        if (!value)
            Fail(QStringLiteral("'%1' is not a valid %2 for field '%3'")
                     .arg(Constant.Text, KindName(C.Kind), C.Left.Name),
                 Constant.Pos);
        C.Value = *value;
    }

    TOperand Operand() {
        const TToken& token = Peek();
        const bool keyword =
            IsKeyword(token, "and") || IsKeyword(token, "or") || IsKeyword(token, "not");
        if (IsKeyword(token, "null"))
            return {TOperand::orNull, Take(), {}};
        if (token.Kind == TTokenKind::String || token.Kind == TTokenKind::Number)
            return {TOperand::orConstant, Take(), {}};
        if ((token.Kind == TTokenKind::Name && !keyword) || token.Kind == TTokenKind::QuotedName)
            return Field(Take());
        Fail(QStringLiteral("field or value expected"), token.Pos);
    }

    TOperand Field(const TToken& Name) {
        const std::optional<TFilterField> field = FResolve(Name.Text);
        if (!field)
            Fail(QStringLiteral("unknown field '%1'").arg(Name.Text), Name.Pos);
        const std::optional<TValueKind> kind = ValueKindOf(field->DataType);
        if (!kind)
            Fail(QStringLiteral("field '%1' cannot be compared").arg(field->Name), Name.Pos);
        if (!FFieldNames.contains(field->Name))
            FFieldNames.append(field->Name);
        return {TOperand::orField, Name, *field, *kind};
    }

    std::vector<TToken> FTokens;
    std::size_t FIndex = 0;
    int FDepth = 0;
    const TFilterFieldResolver& FResolve;
    TFilterOptions FOptions;
    QStringList FFieldNames;
};

// --- SQL ----------------------------------------------------------------------------------

} // namespace

// Prefix with its last code point incremented, skipping surrogates and, when the comparison
// folds case, code points that Fold changes (they compare as their folded form); a last
// code point that is the highest is dropped and the one before it incremented.
std::optional<QString> PrefixSuccessor(const QString& Prefix,
                                       const std::function<QString(const QString&)>* Fold) {
    QList<uint> points = Prefix.toUcs4();
    const auto isFixed = [Fold](char32_t point) {
        const QString text = QString::fromUcs4(&point, 1);
        return (*Fold)(text) == text;
    };
    while (!points.isEmpty()) {
        char32_t c = char32_t(points.takeLast());
        do {
            ++c;
            if (c >= 0xD800 && c < 0xE000)
                c = 0xE000;
        } while (c <= 0x10FFFF && Fold && !isFixed(c));
        if (c <= 0x10FFFF) {
            points << uint(c);
            return QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData()),
                                     points.size());
        }
    }
    return std::nullopt;
}

// Surrogates (the code points above U+FFFF) rank above U+E000..U+FFFF.
int CompareCodePoints(const QString& A, const QString& B) {
    const auto rank = [](char16_t u) {
        return u >= 0xE000 ? u - 0x800 : (u >= 0xD800 ? u + 0x2000 : int(u));
    };
    const qsizetype common = std::min(A.size(), B.size());
    for (qsizetype i = 0; i < common; ++i)
        if (A[i] != B[i])
            return rank(A[i].unicode()) < rank(B[i].unicode()) ? -1 : 1;
    return A.size() < B.size() ? -1 : (A.size() > B.size() ? 1 : 0);
}

namespace {

class TFilterSqlWriter {
public:
    explicit TFilterSqlWriter(const TFilterDialect& Dialect) : FDialect(Dialect) {}

    TFilterSql Write(const TFilterNode& Root) {
        TFilterSql sql;
        sql.Sql = Node(Root);
        sql.Params = std::move(FParams);
        return sql;
    }

private:
    QString Node(const TFilterNode& N) {
        switch (N.Kind) {
        case TFilterNode::Compare:
            return Comparison(N.Comparison);
        case TFilterNode::Not:
            return QStringLiteral("NOT (%1)").arg(Node(*N.Children.front()));
        case TFilterNode::And:
        case TFilterNode::Or:
            break;
        }
        return Junction(N, 0, N.Children.size());
    }

    // The children From..To of an and/or. Engines parse a chain of n terms n deep (SQLite
    // refuses more than 1000), so long chains are split into parenthesized halves.
    QString Junction(const TFilterNode& N, std::size_t From, std::size_t To) {
        const QLatin1String junction(N.Kind == TFilterNode::And ? " AND " : " OR ");
        if (To - From > MaxFlatTerms) {
            const std::size_t middle = From + (To - From) / 2;
            const QString first = Junction(N, From, middle);
            return Parenthesized(first) + junction + Parenthesized(Junction(N, middle, To));
        }
        QStringList parts;
        for (std::size_t i = From; i < To; ++i) {
            const TFilterNode& child = *N.Children[i];
            const bool compound = child.Kind == TFilterNode::And || child.Kind == TFilterNode::Or;
            parts.append(compound ? Parenthesized(Node(child)) : Node(child));
        }
        return parts.join(junction);
    }

    static QString Parenthesized(const QString& Sql) {
        return QLatin1Char('(') + Sql + QLatin1Char(')');
    }

    QString Comparison(const TComparison& C) {
        const QString op = QLatin1Char(' ') + SqlOf(C.Op) + QLatin1Char(' ');
        const bool ordered =
            IsTextType(C.Left.DataType) && C.Op != TCompareOp::Eq && C.Op != TCompareOp::Ne;
        if (C.Right)
            return Column(C.Left, C.IgnoreCase, ordered) + op +
                   Column(*C.Right, C.IgnoreCase, ordered);
        if (VarIsNull(C.Value)) {
            const QString column = FDialect.QuoteName(C.Left.Name);
            if (C.Op == TCompareOp::Eq)
                return column + QLatin1String(" IS NULL");
            if (C.Op == TCompareOp::Ne)
                return column + QLatin1String(" IS NOT NULL");
            return QStringLiteral("1 = 0");
        }
        if (C.Partial)
            return PartialMatch(C);
        const Variant value = C.IgnoreCase ? FDialect.FoldCase(C.Value.toString()) : C.Value;
        return Column(C.Left, C.IgnoreCase, ordered) + op + Parameter(value);
    }

    // A range on the prefix, so that an index serves it; a Null field is in no range.
    QString PartialMatch(const TComparison& C) {
        const QString column = Column(C.Left, C.IgnoreCase, true);
        const QString prefix =
            C.IgnoreCase ? FDialect.FoldCase(C.Value.toString()) : C.Value.toString();
        const QString from = Parameter(prefix);
        const auto next =
            prefix.isEmpty() ? std::nullopt
                             : PrefixSuccessor(prefix, C.IgnoreCase ? &FDialect.FoldCase : nullptr);
        // Parameters in the order of their "?": operands of + are not sequenced.
        const QString match =
            next ? QStringLiteral("(%1 >= %2 AND %1 < %3)").arg(column, from, Parameter(*next))
                 : column + QLatin1String(" >= ") + from;
        return C.Op == TCompareOp::Eq ? match : QStringLiteral("NOT (%1)").arg(match);
    }

    // A column, in code point order where Ordered.
    QString Column(const TFilterField& Field, bool IgnoreCase, bool Ordered = false) const {
        const QString quoted = FDialect.QuoteName(Field.Name);
        const QString column = IgnoreCase ? FDialect.CaseInsensitive(quoted) : quoted;
        return Ordered && FDialect.CodePointOrdered ? FDialect.CodePointOrdered(column) : column;
    }

    QString Parameter(const Variant& Value) {
        FParams.append(Value);
        return QStringLiteral("?");
    }

    const TFilterDialect& FDialect;
    QVariantList FParams;
};

// --- Evaluation ---------------------------------------------------------------------------

// SQL's three-valued logic, ordered so that and is the minimum and or the maximum.
enum class TTruth { False, Unknown, True };

TTruth TruthOf(bool Value) {
    return Value ? TTruth::True : TTruth::False;
}

template <class T> int Order(const T& A, const T& B) {
    return A < B ? -1 : (B < A ? 1 : 0);
}

bool IsIntegral(const Variant& V) {
    switch (V.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

QDate DateOf(const Variant& V) {
    return V.metaType().id() == QMetaType::QDate ? V.toDate() : VarToDateTime(V).date();
}

QTime TimeOf(const Variant& V) {
    switch (V.metaType().id()) {
    case QMetaType::QTime:
        return V.toTime();
    case QMetaType::QDateTime:
        return V.toDateTime().time();
    default:
        if (const QTime time = QTime::fromString(VarToStr(V), Qt::ISODateWithMs); time.isValid())
            return time;
        throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(VarToStr(V)));
    }
}

class TFilterEvaluator {
public:
    explicit TFilterEvaluator(const std::function<Variant(const QString&)>& FieldValue)
        : FFieldValue(FieldValue) {}

    TTruth Truth(const TFilterNode& N) const {
        switch (N.Kind) {
        case TFilterNode::Compare:
            return Comparison(N.Comparison);
        case TFilterNode::Not: {
            const TTruth inner = Truth(*N.Children.front());
            return inner == TTruth::Unknown ? inner : TruthOf(inner == TTruth::False);
        }
        case TFilterNode::And:
        case TFilterNode::Or:
            break;
        }
        const bool isAnd = N.Kind == TFilterNode::And;
        const TTruth decisive = isAnd ? TTruth::False : TTruth::True;
        TTruth result = isAnd ? TTruth::True : TTruth::False;
        for (const auto& child : N.Children) {
            const TTruth t = Truth(*child);
            result = isAnd ? std::min(result, t) : std::max(result, t);
            if (result == decisive)
                break;
        }
        return result;
    }

private:
    TTruth Comparison(const TComparison& C) const {
        const Variant left = FFieldValue(C.Left.Name);
        if (!C.Right && VarIsNull(C.Value)) {
            if (C.Op == TCompareOp::Eq || C.Op == TCompareOp::Ne)
                return TruthOf(VarIsNull(left) == (C.Op == TCompareOp::Eq));
            return TTruth::False;
        }
        const Variant right = C.Right ? FFieldValue(C.Right->Name) : C.Value;
        if (VarIsNull(left) || VarIsNull(right))
            return TTruth::Unknown;
        if (C.Partial) {
            const bool starts = Text(left, C.IgnoreCase).startsWith(Text(right, C.IgnoreCase));
            return TruthOf(starts == (C.Op == TCompareOp::Eq));
        }
        return TruthOf(Holds(C.Op, Compare(left, right, C)));
    }

    static QString Text(const Variant& V, bool IgnoreCase) {
        return IgnoreCase ? VarToStr(V).toLower() : VarToStr(V);
    }

    static int Compare(const Variant& A, const Variant& B, const TComparison& C) {
        switch (C.Kind) {
        case TValueKind::Text:
            return CompareCodePoints(Text(A, C.IgnoreCase), Text(B, C.IgnoreCase));
        case TValueKind::Integer:
        case TValueKind::Float:
            if (IsIntegral(A) && IsIntegral(B))
                return Order(A.toLongLong(), B.toLongLong());
            return Order(VarToFloat(A), VarToFloat(B));
        case TValueKind::Boolean:
            return Order(VarToBool(A), VarToBool(B));
        case TValueKind::Date:
            return Order(DateOf(A), DateOf(B));
        case TValueKind::Time:
            return Order(TimeOf(A), TimeOf(B));
        case TValueKind::DateTime:
            return Order(VarToDateTime(A), VarToDateTime(B));
        }
        return 0;
    }

    const std::function<Variant(const QString&)>& FFieldValue;
};

QString DoubleQuoted(const QString& Name) {
    QString quoted = Name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

TFilterFieldResolver FilterFieldsResolver(const QList<TFilterField>& Fields) {
    return [Fields](const QString& Name) -> std::optional<TFilterField> {
        for (const TFilterField& field : Fields)
            if (field.Name.compare(Name, Qt::CaseInsensitive) == 0)
                return field;
        return std::nullopt;
    };
}

TFilterDialect SqliteFilterDialect() {
    return {DoubleQuoted,
            [](const QString& Column) { return Column + QLatin1String(" COLLATE NOCASE"); },
            [](const QString& Value) {
                QString folded = Value;
                for (QChar& c : folded)
                    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                        c = QChar(c.unicode() + ('a' - 'A'));
                return folded;
            },
            {}};
}

TFilterDialect LowerCaseFilterDialect() {
    return {DoubleQuoted,
            [](const QString& Column) { return QStringLiteral("lower(%1)").arg(Column); },
            [](const QString& Value) { return Value.toLower(); },
            {}};
}

TFilterExpression::TFilterExpression(const QString& Text, const TFilterFieldResolver& Resolve,
                                     TFilterOptions Options) {
    TFilterParser parser(Text, Resolve, Options);
    FRoot = parser.Parse();
    FFieldNames = parser.FieldNames();
}

TFilterSql TFilterExpression::ToSql(const TFilterDialect& Dialect) const {
    return FRoot ? TFilterSqlWriter(Dialect).Write(*FRoot) : TFilterSql{};
}

bool TFilterExpression::Evaluate(const std::function<Variant(const QString&)>& FieldValue) const {
    return !FRoot || TFilterEvaluator(FieldValue).Truth(*FRoot) == TTruth::True;
}
