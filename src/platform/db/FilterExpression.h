#pragma once

#include "FieldType.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <rtl/Variant.h>

// The filter expression language of datasets:
//
//   Name = 'Smith' and (Age >= 30 or [First name] <> Null) and not Born > '2024-02-29'
//
// A comparison relates a field to a constant (either side) or to another field with =, <>,
// <, >, <=, >=; comparisons combine with not, and, or (that precedence, keywords in any
// case) and parentheses. Field names are identifiers (letters, digits, _), or any text in
// [brackets] or "double quotes"; the resolver matches them, ignoring case. Constants are
// strings in single quotes ('' for a quote), numbers (-12, 10.5) and Null. A string is
// converted to the field's type: a number, 'True'/'False' (or 1/0) for a logical field,
// yyyy-MM-dd for a date, HH:mm[:ss[.zzz]] for a time, yyyy-MM-dd[ HH:mm[:ss[.zzz]]] for a
// date-time. A string compared with = or <> to a text field that ends in * matches the
// values starting with what precedes the * (unless foNoPartialCompare).
//
// Null follows SQL: Name = Null and Name <> Null test for Null; an ordering comparison with
// the constant Null is false; any other comparison involving a Null value is unknown, and
// unknown stays unknown through not and decides and/or only where SQL's three-valued logic
// says so. A record passes when the whole condition is true. So a Null field neither
// matches nor mismatches a partial pattern: Name <> 'Sm*' leaves out Null names.
//
// Parentheses and not nest at most 200 deep; and/or chains may be of any length.
//
// Errors in the text, unknown fields, fields that cannot be compared (binary data) and
// constants that do not fit their field raise EDatabaseError "Filter expression: ... at N",
// N being the 1-based position of the offending character in the text.

PUBLISHED_ENUM(TFilterOption, foCaseInsensitive, foNoPartialCompare)
using TFilterOptions = TSet<TFilterOption>;

struct TFilterField {
    QString Name; // canonical
    TFieldType DataType = ftUnknown;
};

// Resolves a name as written in a filter to its field, or nullopt for an unknown name.
using TFilterFieldResolver = std::function<std::optional<TFilterField>(const QString& Name)>;
// A resolver over a list of fields, matching names ignoring case.
TFilterFieldResolver FilterFieldsResolver(const QList<TFilterField>& Fields);

// How an engine is written to. Text compared ignoring case uses CaseInsensitive(column) and
// parameters passed through FoldCase, which must fold the way the engine's comparison does.
// Texts are ordered (ranges, <, >) through CodePointOrdered, where a column's collation may
// order otherwise; none leaves the column's own order.
struct TFilterDialect {
    std::function<QString(const QString& Name)> QuoteName;
    std::function<QString(const QString& QuotedColumn)> CaseInsensitive;
    std::function<QString(const QString& Value)> FoldCase;
    std::function<QString(const QString& Expression)> CodePointOrdered;
};
// SQLite: "Name" COLLATE NOCASE, which folds ASCII letters only (so beyond ASCII the engine
// compares case-sensitively where Evaluate does not).
TFilterDialect SqliteFilterDialect();
// Engines that compare lower("Name") with lowered parameters (PostgreSQL). Partial matches
// are ranges that hold under a collation ordering by code point ("C").
TFilterDialect LowerCaseFilterDialect();

// The smallest text above every text that starts with Prefix, in code point order of the
// texts or, with Fold, of their folded forms; nullopt when every code point is the highest
// (no text above the prefix fails to start with it). The upper bound of a leading-part range.
std::optional<QString> PrefixSuccessor(const QString& Prefix,
                                       const std::function<QString(const QString&)>* Fold);

// The order of two texts by code point (as the engines' binary collation orders UTF-8):
// negative, zero or positive.
int CompareCodePoints(const QString& A, const QString& B);

// A condition for a WHERE clause: every constant is a "?" parameter, in order, of the
// field's type (qint64 or double, double, bool, QString, QDate, QTime, QDateTime). Partial
// matches are index ranges on code point order (binary collation, or the folded one).
// Long and/or chains are grouped into parenthesized halves, so engines that limit the depth
// of an expression take thousands of terms. Parenthesize Sql when combining it with other
// conditions.
struct TFilterSql {
    QString Sql;
    QVariantList Params;
};

struct TFilterNode;

// A parsed filter. An empty (or blank) text is no filter: IsEmpty, an empty Sql, and every
// record passes Evaluate.
class TFilterExpression {
public:
    TFilterExpression(const QString& Text, const TFilterFieldResolver& Resolve,
                      TFilterOptions Options = {});

    bool IsEmpty() const { return !FRoot; }
    // Copies of one parse (which a kept copy keeps distinct from any later one).
    bool SameParse(const TFilterExpression& Other) const { return FRoot == Other.FRoot; }
    // The canonical names of the fields used, in order of first use.
    const QStringList& FieldNames() const { return FFieldNames; }
    TFilterSql ToSql(const TFilterDialect& Dialect = SqliteFilterDialect()) const;
    // Whether the record whose field values FieldValue gives (by canonical name) passes.
    // Values compare as their field's kind (QString, numbers, bool, QDate, QTime, QDateTime,
    // or the ISO text of those); one that does not convert raises EConvertError. Case is
    // ignored by Unicode lower case.
    bool Evaluate(const std::function<Variant(const QString& Name)>& FieldValue) const;

private:
    std::shared_ptr<const TFilterNode> FRoot;
    QStringList FFieldNames;
};
