#include "Connection.h"

void TDbStatement::AppendRow(QList<Variant>& Row) const {
    const int count = ColumnCount();
    Row.reserve(Row.size() + count);
    for (int i = 0; i < count; ++i)
        Row.append(Column(i));
}

QString TDbConnection::QuoteName(const QString& Name) const {
    QString quoted = Name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Variant TDbConnection::Insert(const QString& Sql, const QVariantList& Params, const QString&) {
    Execute(Sql, Params);
    return LastInsertId();
}

std::unique_ptr<TDbStatement> TDbConnection::PrepareWith(const QString& Sql,
                                                         const QVariantList& Params) {
    std::unique_ptr<TDbStatement> statement = Prepare(Sql);
    for (int i = 0; i < Params.size(); ++i)
        statement->Bind(i, Params[i]);
    return statement;
}
