#include "KeysetReader.h"

#include <algorithm>

TKeysetReader::TKeysetReader(TDbConnection* Connection, TKeysetSource Source)
    : FConnection(Connection), FSource(std::move(Source)) {}

QString TKeysetReader::SelectList() const {
    return (FSource.Columns + QStringList{FSource.RowKey}).join(QStringLiteral(", "));
}

QString TKeysetReader::OrderBy(bool Reverse) const {
    QStringList terms;
    for (qsizetype i = 0; i < FSource.OrderColumns.size(); ++i) {
        const bool desc = FSource.Descending.value(i) != Reverse;
        terms << FSource.Columns[FSource.OrderColumns[i]] +
                     (desc ? QStringLiteral(" DESC NULLS LAST")
                           : QStringLiteral(" ASC NULLS FIRST"));
    }
    terms << FSource.RowKey + (Reverse ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    return QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
}

QString TKeysetReader::WhereWith(const QString& Condition) const {
    QStringList parts;
    if (!FSource.Where.isEmpty())
        parts << QLatin1Char('(') + FSource.Where + QLatin1Char(')');
    if (!Condition.isEmpty())
        parts << QLatin1Char('(') + Condition + QLatin1Char(')');
    return parts.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

TDbStatement* TKeysetReader::Statement(const QString& Sql) {
    auto it = FStatements.find(Sql);
    if (it == FStatements.end())
        it = FStatements.insert(Sql, std::shared_ptr<TDbStatement>(FConnection->Prepare(Sql)));
    return it.value().get();
}

QList<TKeysetReader::TRow> TKeysetReader::Query(const QString& Sql, const QVariantList& Params,
                                                int Count) {
    TDbStatement* statement = Statement(Sql);
    statement->Reset();
    statement->ClearBindings();
    int index = 0;
    for (const QVariant& p : FSource.WhereParams)
        statement->Bind(index++, p);
    for (const QVariant& p : Params)
        statement->Bind(index++, p);
    statement->Bind(index, Count);
    QList<TRow> rows;
    const int columns = statement->ColumnCount();
    while (statement->Step()) {
        TRow row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row << statement->Column(c);
        rows << row;
    }
    statement->Reset();
    return rows;
}

// The rows beyond Row: for order columns c1..cn with Row's values v1..vn and key k,
// those with c1..ci-1 equal and ci beyond vi, for each i, or all equal and the key beyond.
TKeysetReader::TCondition TKeysetReader::Beyond(const TRow& Row, bool After) const {
    TCondition result;
    QStringList alternatives;
    QStringList equalPrefix;
    QVariantList prefixParams;
    for (qsizetype i = 0; i < FSource.OrderColumns.size(); ++i) {
        const int column = FSource.OrderColumns[i];
        const QString& name = FSource.Columns[column];
        const Variant& v = Row[column];
        const bool forward = After != FSource.Descending.value(i);
        // In ascending order nulls come first: forward of a null is any value.
        QString beyond;
        QVariantList beyondParams;
        if (VarIsNull(v)) {
            if (forward)
                beyond = name + QStringLiteral(" IS NOT NULL");
        } else if (forward) {
            beyond = name + QStringLiteral(" > ?");
            beyondParams << v;
        } else {
            beyond = QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(name);
            beyondParams << v;
        }
        if (!beyond.isEmpty()) {
            alternatives << (equalPrefix + QStringList{beyond}).join(QStringLiteral(" AND "));
            result.Params << prefixParams << beyondParams;
        }
        if (VarIsNull(v)) {
            equalPrefix << name + QStringLiteral(" IS NULL");
        } else {
            equalPrefix << name + QStringLiteral(" = ?");
            prefixParams << v;
        }
    }
    equalPrefix << FSource.RowKey + (After ? QStringLiteral(" > ?") : QStringLiteral(" < ?"));
    prefixParams << Row.last();
    alternatives << equalPrefix.join(QStringLiteral(" AND "));
    result.Params << prefixParams;
    result.Sql =
        alternatives.size() == 1
            ? alternatives.first()
            : QLatin1Char('(') + alternatives.join(QStringLiteral(") OR (")) + QLatin1Char(')');
    return result;
}

QList<TKeysetReader::TRow> TKeysetReader::First(int Count) {
    return Query(QStringLiteral("SELECT %1 FROM %2%3%4 LIMIT ?")
                     .arg(SelectList(), FSource.From, WhereWith(QString()), OrderBy(false)),
                 {}, Count);
}

QList<TKeysetReader::TRow> TKeysetReader::Last(int Count) {
    QList<TRow> rows =
        Query(QStringLiteral("SELECT %1 FROM %2%3%4 LIMIT ?")
                  .arg(SelectList(), FSource.From, WhereWith(QString()), OrderBy(true)),
              {}, Count);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

QList<TKeysetReader::TRow> TKeysetReader::After(const TRow& From, int Count) {
    const TCondition beyond = Beyond(From, true);
    return Query(QStringLiteral("SELECT %1 FROM %2%3%4 LIMIT ?")
                     .arg(SelectList(), FSource.From, WhereWith(beyond.Sql), OrderBy(false)),
                 beyond.Params, Count);
}

QList<TKeysetReader::TRow> TKeysetReader::Before(const TRow& From, int Count) {
    const TCondition beyond = Beyond(From, false);
    QList<TRow> rows =
        Query(QStringLiteral("SELECT %1 FROM %2%3%4 LIMIT ?")
                  .arg(SelectList(), FSource.From, WhereWith(beyond.Sql), OrderBy(true)),
              beyond.Params, Count);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

std::optional<TKeysetReader::TRow> TKeysetReader::ByKey(const Variant& Key) {
    if (VarIsNull(Key))
        return std::nullopt;
    const QList<TRow> rows = Query(
        QStringLiteral("SELECT %1 FROM %2%3 LIMIT ?")
            .arg(SelectList(), FSource.From, WhereWith(FSource.RowKey + QStringLiteral(" = ?"))),
        {Key}, 1);
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first();
}

qint64 TKeysetReader::Count() {
    TDbStatement* statement = Statement(
        QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(FSource.From, WhereWith(QString())));
    statement->Reset();
    statement->ClearBindings();
    for (int i = 0; i < FSource.WhereParams.size(); ++i)
        statement->Bind(i, FSource.WhereParams[i]);
    statement->Step();
    const qint64 count = VarToInt(statement->Column(0));
    statement->Reset();
    return count;
}

qint64 TKeysetReader::CountBefore(const TRow& Row) {
    const TCondition before = Beyond(Row, false);
    TDbStatement* statement = Statement(
        QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(FSource.From, WhereWith(before.Sql)));
    statement->Reset();
    statement->ClearBindings();
    int index = 0;
    for (const QVariant& p : FSource.WhereParams)
        statement->Bind(index++, p);
    for (const QVariant& p : before.Params)
        statement->Bind(index++, p);
    statement->Step();
    const qint64 count = VarToInt(statement->Column(0));
    statement->Reset();
    return count;
}
