#include "LikePattern.h"

namespace {

// The code point at Pos of Text, moving Pos past it; a lone surrogate is a code point of
// its own.
char32_t ReadCodePoint(QStringView Text, qsizetype& Pos) {
    const QChar first = Text[Pos++];
    if (first.isHighSurrogate() && Pos < Text.size() && Text[Pos].isLowSurrogate())
        return QChar::surrogateToUcs4(first, Text[Pos++]);
    return first.unicode();
}

enum class TElementKind { AnyRun, AnyChar, Class, Literal };

// One element of a pattern, read where it starts. A class keeps the span of its members
// in the pattern and is read again for every character it is compared with, so matching
// allocates nothing.
struct TElement {
    TElementKind Kind = TElementKind::Literal;
    qsizetype End = 0; // the position after the element
    char32_t Char = 0; // of a literal
    qsizetype MembersBegin = 0;
    qsizetype MembersEnd = 0;
    bool Negated = false;
};

// The class that opens at Pos (a "["), or false when no "]" closes it.
bool ReadClass(QStringView Pattern, qsizetype Pos, TElement& Class) {
    qsizetype members = Pos + 1;
    const bool negated = members < Pattern.size() && (Pattern[members] == QLatin1Char('^') ||
                                                      Pattern[members] == QLatin1Char('!'));
    if (negated)
        ++members;
    // A "]" in the first place is a member, so the search for the closing one starts after.
    const qsizetype close = Pattern.indexOf(QLatin1Char(']'), members + 1);
    if (close < 0)
        return false;
    Class.Kind = TElementKind::Class;
    Class.End = close + 1;
    Class.MembersBegin = members;
    Class.MembersEnd = close;
    Class.Negated = negated;
    return true;
}

TElement ReadElement(QStringView Pattern, qsizetype Pos, QChar Escape) {
    TElement element;
    const QChar c = Pattern[Pos];
    if (!Escape.isNull() && c == Escape) {
        if (Pos + 1 < Pattern.size())
            ++Pos;
    } else if (c == QLatin1Char('%') || c == QLatin1Char('_')) {
        element.Kind = c == QLatin1Char('%') ? TElementKind::AnyRun : TElementKind::AnyChar;
        element.End = Pos + 1;
        return element;
    } else if (c == QLatin1Char('[') && ReadClass(Pattern, Pos, element)) {
        return element;
    }
    element.Char = ReadCodePoint(Pattern, Pos);
    element.End = Pos;
    return element;
}

bool ClassContains(QStringView Members, char32_t C) {
    qsizetype pos = 0;
    while (pos < Members.size()) {
        const char32_t low = ReadCodePoint(Members, pos);
        char32_t high = low;
        // A "-" between two members makes a range; first or last it is a member.
        if (pos + 1 < Members.size() && Members[pos] == QLatin1Char('-')) {
            ++pos;
            high = ReadCodePoint(Members, pos);
        }
        if (low <= C && C <= high)
            return true;
    }
    return false;
}

// Whether an element other than % matches the character C.
bool ElementMatches(const TElement& Element, QStringView Pattern, char32_t C) {
    switch (Element.Kind) {
    case TElementKind::AnyChar:
        return true;
    case TElementKind::Class:
        return ClassContains(
                   Pattern.sliced(Element.MembersBegin, Element.MembersEnd - Element.MembersBegin),
                   C) != Element.Negated;
    default:
        return Element.Char == C;
    }
}

} // namespace

// Every element but % matches exactly one character, so on a mismatch it is enough to let
// the last % seen take one more character and go on from there: earlier % need never
// take back what they matched.
bool LikeMatch(QStringView Pattern, QStringView Value, QChar Escape) {
    qsizetype p = 0;
    qsizetype v = 0;
    qsizetype retryPattern = -1; // after the last %
    qsizetype retryValue = 0;    // where the rest of the pattern is tried next
    while (v < Value.size()) {
        if (p < Pattern.size()) {
            const TElement element = ReadElement(Pattern, p, Escape);
            if (element.Kind == TElementKind::AnyRun) {
                p = retryPattern = element.End;
                retryValue = v;
                continue;
            }
            qsizetype next = v;
            if (ElementMatches(element, Pattern, ReadCodePoint(Value, next))) {
                p = element.End;
                v = next;
                continue;
            }
        }
        if (retryPattern < 0)
            return false;
        ReadCodePoint(Value, retryValue);
        p = retryPattern;
        v = retryValue;
    }
    while (p < Pattern.size()) {
        const TElement element = ReadElement(Pattern, p, Escape);
        if (element.Kind != TElementKind::AnyRun)
            return false;
        p = element.End;
    }
    return true;
}
