#include "KeysetReader.h"

#include <algorithm>

namespace {
// The rows a statement is made room for at once: those read are usually few, and a larger
// count is only an upper bound.
constexpr int MaxReservedRows = 64;
} // namespace

TKeysetReader::TKeysetReader(TDbConnection* Connection, TKeysetSource Source)
    : FConnection(Connection), FSource(std::move(Source)) {
    FSelectList = (FSource.Columns + QStringList{FSource.RowKey}).join(QStringLiteral(", "));
    for (const bool reverse : {false, true}) {
        QStringList terms;
        for (qsizetype i = 0; i < FSource.OrderColumns.size(); ++i) {
            const bool desc = FSource.Descending.value(i) != reverse;
            // The row key is never null: without a place for nulls the primary key's index
            // (nulls last on PostgreSQL) serves the order.
            const bool nulls = FSource.Columns[FSource.OrderColumns[i]] != FSource.RowKey;
            terms << OrderTerm(int(i)) + (desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC")) +
                         (!nulls ? QString()
                          : desc ? QStringLiteral(" NULLS LAST")
                                 : QStringLiteral(" NULLS FIRST"));
        }
        terms << FSource.RowKey + (reverse ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
        FOrderBy[reverse] = QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
    }
}

QString TKeysetReader::OrderTerm(int I) const {
    const QString& column = FSource.Columns[FSource.OrderColumns[I]];
    return FSource.IgnoreCase.value(I) ? FConnection->CaseInsensitiveIndexColumn(column) : column;
}

Variant TKeysetReader::OrderParam(int I, const Variant& Value) const {
    return FSource.IgnoreCase.value(I) && !VarIsNull(Value)
               ? Variant(FConnection->FoldCase(Value.toString()))
               : Value;
}

QString TKeysetReader::WhereWith(const QString& Condition) const {
    QStringList parts;
    if (!FSource.Where.isEmpty())
        parts << QLatin1Char('(') + FSource.Where + QLatin1Char(')');
    if (!Condition.isEmpty())
        parts << Condition;
    return parts.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

QString TKeysetReader::SelectSql(const QString& Condition, bool Reverse) const {
    return QStringLiteral("SELECT ") + FSelectList + QStringLiteral(" FROM ") + FSource.From +
           WhereWith(Condition) + FOrderBy[Reverse] + QStringLiteral(" LIMIT ?");
}

TDbStatement* TKeysetReader::Statement(const QString& Sql) {
    auto it = FStatements.find(Sql);
    if (it == FStatements.end())
        it = FStatements.insert(Sql, std::shared_ptr<TDbStatement>(FConnection->Prepare(Sql)));
    return it.value().get();
}

int TKeysetReader::BindSource(TDbStatement* Prepared) const {
    Prepared->Reset();
    return BindList(Prepared, 0, FSource.WhereParams);
}

int TKeysetReader::BindList(TDbStatement* Prepared, int Index, const QVariantList& Params) {
    for (const QVariant& p : Params)
        Prepared->Bind(Index++, p);
    return Index;
}

QList<TKeysetReader::TRow> TKeysetReader::Rows(TDbStatement* Prepared, int Index, int Count) {
    Prepared->Bind(Index, Count);
    QList<TRow> rows;
    rows.reserve(std::min(Count, MaxReservedRows));
    while (Prepared->Step())
        Prepared->AppendRow(rows.emplace_back());
    Prepared->Reset();
    return rows;
}

QList<TKeysetReader::TRow> TKeysetReader::Query(TDbStatement* Prepared, const QVariantList& Params,
                                                int Count) {
    return Rows(Prepared, BindList(Prepared, BindSource(Prepared), Params), Count);
}

qint64 TKeysetReader::CountRows(TDbStatement* Prepared) {
    Prepared->Step();
    const qint64 count = VarToInt(Prepared->Column(0));
    Prepared->Reset();
    return count;
}

// The ranges beyond Row, nearest first. At each order column the side that lies beyond
// is the greater values when moving forward over an ascending column (or backward over a
// descending one), where nulls, which sort lowest, are never beyond a value.
QList<TKeysetReader::TRange> TKeysetReader::Ranges(const TRow& Row, bool After) const {
    const int n = int(FSource.OrderColumns.size());
    // Over ascending columns a row of non-null values is passed in one row-value
    // comparison. Backward that holds for one column, the nulls (first) read after it:
    // over more, it would skip the rows with a null in a later column and equal before it.
    bool plain = n > 0 && (After || n == 1);
    for (int i = 0; i < n && plain; ++i)
        plain = !FSource.Descending.value(i) && !VarIsNull(Row[FSource.OrderColumns[i]]);
    const auto nullable = [this](int Column) { return !FSource.NotNull.value(Column); };
    if (plain)
        return After || !nullable(0) ? QList<TRange>{{n, rkRowValue}}
                                     : QList<TRange>{{n, rkRowValue}, {0, rkNull}};
    QList<TRange> ranges{{n, rkBeyond}};
    for (int j = n - 1; j >= 0; --j) {
        const bool greater = After != FSource.Descending.value(j);
        const bool null = VarIsNull(Row[FSource.OrderColumns[j]]);
        if (greater) {
            ranges << TRange{j, null ? rkNotNull : rkBeyond};
        } else if (!null) {
            ranges << TRange{j, rkBeyond};
            if (nullable(j))
                ranges << TRange{j, rkNull};
        }
    }
    return ranges;
}

QString TKeysetReader::RangeSql(const TRow& Row, const TRange& Range, bool After,
                                bool Counting) const {
    QStringList conditions;
    const int n = int(FSource.OrderColumns.size());
    auto column = [&](int i) { return OrderTerm(i); };
    if (Range.Kind == rkRowValue) {
        QStringList names, marks;
        for (int i = 0; i < n; ++i) {
            names << column(i);
            marks << QStringLiteral("?");
        }
        conditions << QStringLiteral("(%1, %2) %3 (%4, ?)")
                          .arg(names.join(QStringLiteral(", ")), FSource.RowKey,
                               After ? QStringLiteral(">") : QStringLiteral("<"),
                               marks.join(QStringLiteral(", ")));
    } else {
        for (int i = 0; i < Range.Prefix; ++i)
            conditions << column(i) + (VarIsNull(Row[FSource.OrderColumns[i]])
                                           ? QStringLiteral(" IS NULL")
                                           : QStringLiteral(" = ?"));
        if (Range.Prefix == n) {
            conditions << FSource.RowKey +
                              (After ? QStringLiteral(" > ?") : QStringLiteral(" < ?"));
        } else if (Range.Kind == rkNull) {
            conditions << column(Range.Prefix) + QStringLiteral(" IS NULL");
        } else if (Range.Kind == rkNotNull) {
            conditions << column(Range.Prefix) + QStringLiteral(" IS NOT NULL");
        } else {
            const bool greater = After != FSource.Descending.value(Range.Prefix);
            conditions << column(Range.Prefix) +
                              (greater ? QStringLiteral(" > ?") : QStringLiteral(" < ?"));
        }
    }
    const QString condition = conditions.join(QStringLiteral(" AND "));
    if (Counting)
        return QStringLiteral("SELECT COUNT(*) FROM ") + FSource.From + WhereWith(condition);
    return SelectSql(condition, !After);
}

void TKeysetReader::BindOrderParam(TDbStatement* Prepared, int Index, int I,
                                   const Variant& Value) const {
    if (FSource.IgnoreCase.value(I) && !VarIsNull(Value))
        Prepared->Bind(Index, OrderParam(I, Value));
    else
        Prepared->Bind(Index, Value);
}

int TKeysetReader::BindRange(TDbStatement* Prepared, int Index, const TRow& Row,
                             const TRange& Range) const {
    const int n = int(FSource.OrderColumns.size());
    const int equal = Range.Kind == rkRowValue ? n : Range.Prefix;
    for (int i = 0; i < equal; ++i) {
        const Variant& v = Row[FSource.OrderColumns[i]];
        if (!VarIsNull(v) || Range.Kind == rkRowValue)
            BindOrderParam(Prepared, Index++, i, v);
    }
    if (Range.Kind == rkRowValue || Range.Prefix == n)
        Prepared->Bind(Index++, Row.last());
    else if (Range.Kind == rkBeyond)
        BindOrderParam(Prepared, Index++, Range.Prefix, Row[FSource.OrderColumns[Range.Prefix]]);
    return Index;
}

TDbStatement* TKeysetReader::RangeStatement(const TRow& Row, const TRange& Range, bool After,
                                            bool Counting) {
    quint64 key = quint64(After) | quint64(Counting) << 1 | quint64(Range.Kind) << 2 |
                  quint64(Range.Prefix) << 4;
    for (int i = 0; i < Range.Prefix && i < 48; ++i)
        if (VarIsNull(Row[FSource.OrderColumns[i]]))
            key |= quint64(1) << (16 + i);
    return Kept(FRangeStatements[key], [&] { return RangeSql(Row, Range, After, Counting); });
}

QList<TKeysetReader::TRow> TKeysetReader::First(int Count) {
    return Query(Kept(FFirst[0], [this] { return SelectSql(QString(), false); }), {}, Count);
}

QList<TKeysetReader::TRow> TKeysetReader::Last(int Count) {
    QList<TRow> rows =
        Query(Kept(FFirst[1], [this] { return SelectSql(QString(), true); }), {}, Count);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

QList<TKeysetReader::TRow> TKeysetReader::Beyond(const TRow& From, bool After, int Count) {
    QList<TRow> rows;
    for (const TRange& range : Ranges(From, After)) {
        if (rows.size() >= Count)
            break;
        TDbStatement* prepared = RangeStatement(From, range, After, false);
        QList<TRow> read = Rows(prepared, BindRange(prepared, BindSource(prepared), From, range),
                                Count - int(rows.size()));
        if (rows.isEmpty())
            rows = std::move(read);
        else
            rows.append(std::move(read));
    }
    return rows;
}

QList<TKeysetReader::TRow> TKeysetReader::After(const TRow& From, int Count) {
    return Beyond(From, true, Count);
}

QList<TKeysetReader::TRow> TKeysetReader::Before(const TRow& From, int Count) {
    QList<TRow> rows = Beyond(From, false, Count); // nearest first
    std::reverse(rows.begin(), rows.end());
    return rows;
}

std::optional<TKeysetReader::TRow> TKeysetReader::ByKey(const Variant& Key) {
    if (VarIsNull(Key))
        return std::nullopt;
    TDbStatement* byKey = Kept(FByKey, [this] {
        return QStringLiteral("SELECT ") + FSelectList + QStringLiteral(" FROM ") + FSource.From +
               WhereWith(FSource.RowKey + QStringLiteral(" = ?")) + QStringLiteral(" LIMIT ?");
    });
    QList<TRow> rows = Query(byKey, {Key}, 1);
    if (rows.isEmpty())
        return std::nullopt;
    return std::move(rows.first());
}

std::optional<TKeysetReader::TRow>
TKeysetReader::FirstMatching(const QString& Condition, const QVariantList& Params, bool Fenced) {
    TDbStatement* matching = Kept(FMatching[Fenced][Condition], [&] {
        const QString condition = QLatin1Char('(') + Condition + QLatin1Char(')');
        return Fenced ? QStringLiteral("SELECT ") + FSelectList +
                            QStringLiteral(" FROM (SELECT * FROM ") + FSource.From +
                            WhereWith(condition) + QStringLiteral(" OFFSET 0) AS kro_fenced") +
                            FOrderBy[0] + QStringLiteral(" LIMIT ?")
                      : SelectSql(condition, false);
    });
    QList<TRow> rows = Query(matching, Params, 1);
    if (rows.isEmpty())
        return std::nullopt;
    return std::move(rows.first());
}

qint64 TKeysetReader::Count() {
    TDbStatement* prepared = Kept(FCount, [this] {
        return QStringLiteral("SELECT COUNT(*) FROM ") + FSource.From + WhereWith(QString());
    });
    BindSource(prepared);
    return CountRows(prepared);
}

qint64 TKeysetReader::CountBefore(const TRow& Row) {
    qint64 count = 0;
    for (const TRange& range : Ranges(Row, false)) {
        TDbStatement* prepared = RangeStatement(Row, range, false, true);
        BindRange(prepared, BindSource(prepared), Row, range);
        count += CountRows(prepared);
    }
    return count;
}
