#include "SqlDataSet.h"

#include "Field.h"
#include "FieldDefs.h"

#include <rtl/Exceptions.h>

QString QuoteSqlName(const QString& Name) {
    return QLatin1Char('"') + QString(Name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

TSqlDataSet::TSqlDataSet(TComponent* AOwner) : TDBDataSet(AOwner) {}

QString TSqlDataSet::QuotedUpdateTable() const {
    const QString table = UpdateTableName();
    if (table.isEmpty())
        throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(Name()));
    return QuoteSqlName(table);
}

void TSqlDataSet::Reposition() {
    TKeysetSource source;
    DefineSource(source);
    FSourceParamCount = int(source.WhereParams.size());
    if (!FFilterSql.Sql.isEmpty()) {
        source.Where = source.Where.isEmpty()
                           ? FFilterSql.Sql
                           : QStringLiteral("(%1) AND (%2)").arg(source.Where, FFilterSql.Sql);
        source.WhereParams += FFilterSql.Params;
    }
    InvalidateReadAhead();
    FCount.reset();
    FReader = std::make_unique<TKeysetReader>(Connection(), source);
}

void TSqlDataSet::SetSourceParams(const QVariantList& Params) {
    InvalidateReadAhead();
    FCount.reset();
    FReader->SetWhereParams(Params + FFilterSql.Params);
}

bool TSqlDataSet::InternalSetFilter(const TFilterExpression* Expression) {
    TFilterSql sql;
    bool inEngine = true;
    if (Expression && !Expression->IsEmpty()) {
        // The engine takes expressions over its columns; others are left to the process.
        for (const QString& name : Expression->FieldNames())
            inEngine = inEngine && FieldDefs()->IndexOf(name) >= 0;
        if (inEngine) {
            // The engine's own forms of case-insensitive comparison.
            TDbConnection* connection = Connection();
            TFilterDialect dialect = SqliteFilterDialect();
            dialect.CaseInsensitive = [connection](const QString& column) {
                return connection->CaseInsensitiveIndexColumn(column);
            };
            dialect.FoldCase = [connection](const QString& value) {
                return connection->FoldCase(value);
            };
            dialect.QuoteName = [this](const QString& name) {
                return FReader ? FReader->Source().Columns[FieldDefs()->IndexOf(name)]
                               : QuoteSqlName(name);
            };
            sql = Expression->ToSql(dialect);
        }
    }
    if (sql.Sql != FFilterSql.Sql || sql.Params != FFilterSql.Params) {
        FFilterSql = sql;
        if (FReader)
            Reposition();
    }
    return inEngine;
}

void TSqlDataSet::InternalClose() {
    FReader.reset();
    FCount.reset();
    CloseDatabase();
}

void TSqlDataSet::InternalRefresh() {
    FCount.reset();
}

Variant TSqlDataSet::FromEngine(TFieldType Type, const Variant& Value) const {
    if (VarIsNull(Value))
        return Value;
    switch (Type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        return int(VarToInt(Value));
    case ftLargeint:
        return VarToInt(Value);
    case ftBoolean:
        return VarToBool(Value);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return VarToFloat(Value);
    case ftDate:
        return QDate::fromString(Value.toString(), Qt::ISODate);
    case ftTime:
        return QTime::fromString(Value.toString(), Qt::ISODateWithMs);
    case ftDateTime:
        return QDateTime::fromString(Value.toString(), Qt::ISODateWithMs);
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        return Value.metaType().id() == QMetaType::QByteArray
                   ? Variant(QString::fromUtf8(Value.toByteArray()))
                   : Variant(Value.toString());
    default:
        return Value;
    }
}

Variant TSqlDataSet::ToEngine(TFieldType, const Variant& Value) const {
    return Value;
}

TRecord TSqlDataSet::RecordOf(const QVariantList& Row) const {
    TRecord record;
    const int columns = FieldDefs()->Count();
    record.Values.reserve(columns);
    for (int i = 0; i < columns; ++i)
        record.Values << FromEngine(FieldDefs()->Items(i)->DataType(), Row[i]);
    record.Bookmark = Row.last();
    return record;
}

QVariantList TSqlDataSet::RowOf(const TRecord& Record) const {
    QVariantList row;
    row.reserve(Record.Values.size() + 1);
    for (int i = 0; i < Record.Values.size(); ++i)
        row << ToEngine(FieldDefs()->Items(i)->DataType(), Record.Values[i]);
    row << Record.Bookmark;
    return row;
}

namespace {

// Row keys are integers: any other bookmark (one of a cancelled cached insertion, say)
// names no row of the engine's. Such a record stands after every row.
bool IsRowKey(const TBookmark& Bookmark) {
    bool isKey = false;
    Bookmark.toLongLong(&isKey);
    return isKey;
}

} // namespace

QList<TRecord> TSqlDataSet::InternalFetch(TFetchDirection Direction, const TRecord* From,
                                          int Count) {
    QList<TKeysetReader::TRow> rows;
    if (Count <= 0)
        return {};
    if (From && !IsRowKey(From->Bookmark)) {
        if (Direction == fdAfter)
            return {};
        if (Direction == fdBefore)
            From = nullptr;
    }
    switch (Direction) {
    case fdFirst:
        rows = FReader->First(Count);
        break;
    case fdLast:
        rows = FReader->Last(Count);
        break;
    case fdAfter:
        rows = From ? FReader->After(RowOf(*From), Count) : FReader->First(Count);
        break;
    case fdBefore:
        rows = From ? FReader->Before(RowOf(*From), Count) : FReader->Last(Count);
        break;
    }
    QList<TRecord> records;
    records.reserve(rows.size());
    for (const auto& row : rows)
        records << RecordOf(row);
    return records;
}

std::optional<TRecord> TSqlDataSet::InternalFetchBookmark(const TBookmark& Bookmark) {
    if (!IsRowKey(Bookmark))
        return std::nullopt;
    const auto row = FReader->ByKey(Bookmark);
    if (!row)
        return std::nullopt;
    return RecordOf(*row);
}

qint64 TSqlDataSet::InternalRecordCount() {
    if (!FCount)
        FCount = FReader->Count();
    return *FCount;
}

qint64 TSqlDataSet::InternalRecNo(const TRecord& Record) {
    return FReader->CountBefore(RowOf(Record)) + 1;
}

TBookmark TSqlDataSet::InternalPost(const TRecord& Record, const TRecord* Original) {
    TDbConnection* connection = Connection();
    QStringList names;
    QVariantList values;
    // An update also requires the changed columns to hold what this record read, so that
    // a change another user made meanwhile is not silently overwritten.
    QStringList unchanged;
    QVariantList originals;
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        const TFieldDef* def = FieldDefs()->Items(i);
        const Variant& value = Record.Values[i];
        if (Original ? VarSameValue(value, Original->Values.value(i)) &&
                           value.metaType() == Original->Values.value(i).metaType()
                     : (def->DataType() == ftAutoInc && VarIsNull(value)))
            continue;
        names << QuoteSqlName(def->Name());
        values << ToEngine(def->DataType(), value);
        if (Original && !IsBlobType(def->DataType())) {
            const Variant& was = Original->Values.value(i);
            if (VarIsNull(was)) {
                unchanged << QuoteSqlName(def->Name()) + QStringLiteral(" IS NULL");
            } else {
                unchanged << QuoteSqlName(def->Name()) + QStringLiteral(" = ?");
                originals << ToEngine(def->DataType(), was);
            }
        }
    }
    FCount.reset();
    if (!Original) {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        return connection->Insert(
            names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuotedUpdateTable())
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(QuotedUpdateTable(), names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", "))),
            values, connection->RowIdColumn(UpdateTableName()));
    }
    if (!names.isEmpty()) {
        for (QString& name : names)
            name += QStringLiteral(" = ?");
        values << Original->Bookmark << originals;
        unchanged.prepend(connection->RowIdColumn(UpdateTableName()) + QStringLiteral(" = ?"));
        const qint64 changed =
            connection->Execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                    .arg(QuotedUpdateTable(), names.join(QStringLiteral(", ")),
                                         unchanged.join(QStringLiteral(" AND "))),
                                values);
        if (changed == 0)
            throw EDatabaseError(QStringLiteral(
                "The record was changed or deleted by another user; refresh it and try again"));
    }
    return Original->Bookmark;
}

void TSqlDataSet::InternalDelete(const TRecord& Record) {
    FCount.reset();
    Connection()->Execute(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
            .arg(QuotedUpdateTable(), Connection()->RowIdColumn(UpdateTableName())),
        {Record.Bookmark});
}

Variant TSqlDataSet::Lookup(const QString& KeyFields, const Variant& KeyValues,
                            const QString& ResultFields) {
    CheckActive();
    const QStringList keys = SplitFieldNames(KeyFields);
    const QStringList results = SplitFieldNames(ResultFields);
    const QVariantList keyValues = keys.size() == 1 ? QVariantList{KeyValues} : KeyValues.toList();
    if (keyValues.size() != keys.size() || results.isEmpty())
        throw EDatabaseError(QStringLiteral("%1: Lookup with mismatched keys").arg(Name()));
    QStringList conditions;
    QVariantList params;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const TFieldDef* def = FieldDefs()->Find(keys[i]);
        if (VarIsNull(keyValues[i])) {
            conditions << FReader->Source().Columns[def->Index()] + QStringLiteral(" IS NULL");
        } else {
            conditions << FReader->Source().Columns[def->Index()] + QStringLiteral(" = ?");
            params << ToEngine(def->DataType(), keyValues[i]);
        }
    }
    QStringList columns;
    for (const QString& name : results)
        columns << FReader->Source().Columns[FieldDefs()->IndexOf(FieldDefs()->Find(name)->Name())];
    const QString where =
        FReader->Source().Where.isEmpty()
            ? conditions.join(QStringLiteral(" AND "))
            : QStringLiteral("(%1) AND %2")
                  .arg(FReader->Source().Where, conditions.join(QStringLiteral(" AND ")));
    auto statement = Connection()->Prepare(
        QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
            .arg(columns.join(QStringLiteral(", ")), FReader->Source().From, where));
    int index = 0;
    for (const QVariant& p : FReader->Source().WhereParams)
        statement->Bind(index++, p);
    for (const QVariant& p : params)
        statement->Bind(index++, p);
    if (!statement->Step())
        return Null();
    if (results.size() == 1)
        return FromEngine(FieldDefs()->Find(results[0])->DataType(), statement->Column(0));
    QVariantList values;
    for (qsizetype i = 0; i < results.size(); ++i)
        values << FromEngine(FieldDefs()->Find(results[i])->DataType(), statement->Column(int(i)));
    return values;
}

QString TSqlDataSet::ColumnOf(const TField* Field) const {
    if (Field->FieldNo() <= 0)
        throw EDatabaseError(
            QStringLiteral("%1: Field '%2' is not a column").arg(Name(), Field->FieldName()));
    return FReader->Source().Columns[Field->FieldNo() - 1];
}

namespace {
// The smallest text greater than every text that starts with Prefix, or "" when none.
QString PrefixSuccessor(QString Prefix) {
    while (!Prefix.isEmpty()) {
        const char16_t last = Prefix.back().unicode();
        if (last < 0xFFFF && !QChar::isSurrogate(last + 1)) {
            Prefix.back() = QChar(char16_t(last + 1));
            return Prefix;
        }
        Prefix.chop(1);
    }
    return Prefix;
}
} // namespace

std::optional<TRecord> TSqlDataSet::InternalLocate(const QList<TField*>& Fields,
                                                   const QVariantList& Values,
                                                   TLocateOptions Options) {
    QStringList conditions;
    QVariantList params;
    for (qsizetype i = 0; i < Fields.size(); ++i) {
        const TField* field = Fields[i];
        QString column = ColumnOf(field);
        const Variant& value = Values[i];
        if (VarIsNull(value)) {
            conditions << column + QStringLiteral(" IS NULL");
            continue;
        }
        const bool text = field->DataType() == ftString || field->DataType() == ftMemo ||
                          field->DataType() == ftFixedChar || field->DataType() == ftWideString;
        const bool ignoreCase = text && Options.Contains(loCaseInsensitive);
        if (ignoreCase)
            column = Connection()->CaseInsensitiveIndexColumn(column);
        if (text && Options.Contains(loPartialKey)) {
            // A range, so that an index on the field serves a leading-part search.
            const QString prefix =
                ignoreCase ? Connection()->FoldCase(value.toString()) : value.toString();
            if (prefix.isEmpty())
                continue;
            const QString successor = PrefixSuccessor(prefix);
            conditions << column + QStringLiteral(" >= ?");
            params << prefix;
            if (!successor.isEmpty()) {
                conditions << column + QStringLiteral(" < ?");
                params << successor;
            }
            continue;
        }
        conditions << column + QStringLiteral(" = ?");
        params << (ignoreCase ? Variant(Connection()->FoldCase(value.toString()))
                              : ToEngine(field->DataType(), value));
    }
    if (conditions.isEmpty())
        conditions << QStringLiteral("1 = 1");
    const auto row = FReader->FirstMatching(conditions.join(QStringLiteral(" AND ")), params);
    if (!row)
        return std::nullopt;
    return RecordOf(*row);
}

std::optional<TRecord> TSqlDataSet::InternalNearest(const QList<TField*>& Fields,
                                                    const QVariantList& Values) {
    // At or after (v1..vk): c1 > v1, or c1 = v1 and c2 > v2, ..., or all equal. Nulls
    // sort first: a null key value is passed by every value.
    QStringList alternatives;
    QVariantList params;
    QStringList equal;
    QVariantList equalParams;
    for (qsizetype i = 0; i < Fields.size(); ++i) {
        const QString column = ColumnOf(Fields[i]);
        const Variant value = ToEngine(Fields[i]->DataType(), Values[i]);
        const bool last = i == Fields.size() - 1;
        if (VarIsNull(value)) {
            alternatives << (equal + QStringList{column + QStringLiteral(" IS NOT NULL")})
                                .join(QStringLiteral(" AND "));
            params << equalParams;
            equal << column + QStringLiteral(" IS NULL");
        } else {
            alternatives << (equal + QStringList{column + (last ? QStringLiteral(" >= ?")
                                                                : QStringLiteral(" > ?"))})
                                .join(QStringLiteral(" AND "));
            params << equalParams << value;
            equal << column + QStringLiteral(" = ?");
            equalParams << value;
        }
        if (last && VarIsNull(value)) {
            alternatives << equal.join(QStringLiteral(" AND "));
            params << equalParams;
        }
    }
    const auto row = FReader->FirstMatching(
        QLatin1Char('(') + alternatives.join(QStringLiteral(") OR (")) + QLatin1Char(')'), params);
    if (!row)
        return std::nullopt;
    return RecordOf(*row);
}
