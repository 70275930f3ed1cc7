#include "SqlDataSet.h"

#include "Database.h"
#include "Field.h"
#include "FieldDefs.h"

#include <algorithm>
#include <rtl/Exceptions.h>

QString QuoteSqlName(const QString& Name) {
    if (Name.contains(QLatin1Char('"')))
        return QLatin1Char('"') + QString(Name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    // The common case in one allocation.
    QString quoted(Name.size() + 2, Qt::Uninitialized);
    QChar* out = quoted.data();
    out[0] = QLatin1Char('"');
    std::copy(Name.cbegin(), Name.cend(), out + 1);
    out[Name.size() + 1] = QLatin1Char('"');
    return quoted;
}

namespace {
template <class T> Variant ValidOrInvalid(const T& Value) {
    return Value.isValid() ? Variant(Value) : Variant();
}

// A text in lower case, as the engine's LowerCaseColumn compares it.
QString Lowered(const QString& Text) {
    return Text.toLower();
}

// Whether Letter (ASCII) is the lower case of a letter beyond ASCII (k of the Kelvin sign,
// i of the dotted capital I), which an index folding ASCII only keeps apart from it.
bool IsLowerCaseOfNonAscii(QChar Letter) {
    static const QString letters = [] {
        QString found;
        for (char32_t c = 0x80; c <= QChar::LastValidCodePoint; ++c)
            if (QChar::isUpper(c) || QChar::isTitleCase(c))
                if (const QString lower = QString::fromUcs4(&c, 1).toLower();
                    lower[0].unicode() < 0x80 && !found.contains(lower[0]))
                    found += lower[0];
        return found;
    }();
    return letters.contains(Letter);
}
} // namespace

TSqlDataSet::TSqlDataSet(TComponent* AOwner) : TDBDataSet(AOwner) {}

QString TSqlDataSet::QuotedUpdateTable() const {
    const QString table = UpdateTableName();
    if (table.isEmpty())
        throw EDatabaseError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(Name()));
    return QuoteSqlName(table);
}

namespace {

// What tells the readers of one condition apart: the source, its row key and its order.
QString OrderKey(const TKeysetSource& Source) {
    QString order = Source.From + QLatin1Char(' ') + Source.RowKey;
    for (qsizetype i = 0; i < Source.OrderColumns.size(); ++i) {
        order += QLatin1Char(' ') + QString::number(Source.OrderColumns[i]);
        order += QLatin1Char(Source.Descending.value(i) ? 'D' : 'A');
        order += QLatin1Char(Source.IgnoreCase.value(i) ? 'I' : 'C');
    }
    return order;
}

// What a reader kept by the connection is taken back for: everything its statements
// depend on but the condition's values.
QString KeptKey(const TKeysetSource& Source, const QString& Order) {
    return Source.Where + QChar(0) + Order + QChar(0) + Source.Columns.join(QLatin1Char(','));
}

} // namespace

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
    FLookups.Clear();
    // A reader per order is kept while the condition's text stays, so that switching the
    // order back prepares nothing again; the condition's values are set anew. Those of the
    // condition before are kept too: a filter laid and removed again reads with its
    // readers.
    if (source.Where != FReaders.Where) {
        std::swap(FReaders, FFormerReaders);
        if (source.Where != FReaders.Where)
            FReaders = {source.Where, {}};
    }
    const QString order = OrderKey(source);
    std::shared_ptr<TOrderReader>& kept = FReaders.ByOrder[order];
    if (!kept) {
        const QString key = KeptKey(source, order);
        kept = std::static_pointer_cast<TOrderReader>(Connection()->Take(key));
        if (!kept)
            kept =
                std::make_shared<TOrderReader>(TOrderReader{{Connection(), source}, {}, key, {}});
    }
    kept->Reader.SetWhereParams(source.WhereParams);
    FOrder = kept.get();
}

void TSqlDataSet::SetSourceParams(const QVariantList& Params) {
    InvalidateReadAhead();
    FCount.reset();
    FLookups.Clear();
    FOrder->Reader.SetWhereParams(Params + FFilterSql.Params);
}

bool TSqlDataSet::InternalSetFilter(const TFilterExpression* Expression) {
    // Columns are named as the reader names them once there is one.
    const bool keeps = Expression && FOrder;
    const auto kept =
        keeps ? std::find_if(FFiltersInEngine.begin(), FFiltersInEngine.end(),
                             [Expression](const TFilterInEngine& Kept) {
                                 return Kept.Expression && Kept.Expression->SameParse(*Expression);
                             })
              : FFiltersInEngine.end();
    if (kept != FFiltersInEngine.end()) {
        UseFilterSql(kept->Sql);
        return kept->InEngine;
    }
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
                return connection->LowerCaseColumn(column);
            };
            dialect.FoldCase = Lowered;
            dialect.CodePointOrdered = [connection](const QString& expression) {
                return connection->CodePointOrdered(expression);
            };
            dialect.QuoteName = [this](const QString& name) {
                return FOrder ? FOrder->Reader.Source().Columns[FieldDefs()->IndexOf(name)]
                              : QuoteSqlName(name);
            };
            sql = Expression->ToSql(dialect);
        }
    }
    if (keeps) {
        FFiltersInEngine[FNextFilterInEngine] = {*Expression, inEngine, sql};
        FNextFilterInEngine = (FNextFilterInEngine + 1) % FFiltersInEngine.size();
    }
    UseFilterSql(sql);
    return inEngine;
}

void TSqlDataSet::UseFilterSql(const TFilterSql& Sql) {
    if (Sql.Sql == FFilterSql.Sql && Sql.Params == FFilterSql.Params)
        return;
    FFilterSql = Sql;
    if (FOrder)
        Reposition();
}

void TSqlDataSet::InternalClose() {
    // The readers wait in the connection for the next open of the same source, with their
    // prepared statements.
    if (Database() && Database()->Connected())
        for (const TConditionReaders* readers : {&FReaders, &FFormerReaders})
            for (const std::shared_ptr<TOrderReader>& reader : readers->ByOrder)
                Connection()->Keep(reader->KeptKey, reader);
    FOrder = nullptr;
    FReaders = {};
    FFormerReaders = {};
    FCount.reset();
    FLookups.Clear();
    FFiltersInEngine = {}; // the next open may be on another connection
    CloseDatabase();
}

void TSqlDataSet::InternalRefresh() {
    FCount.reset();
    FLookups.Clear();
}

Variant TSqlDataSet::Lookup(const QString& KeyFields, const Variant& KeyValues,
                            const QString& ResultFields) {
    // A found record's calculated fields (and OnCalcFields) are calculated anew each time.
    const bool calculated = std::any_of(Fields()->begin(), Fields()->end(),
                                        [](const TField* f) { return f->FieldKind() != fkData; });
    TDbConnection* connection =
        Active() && !calculated && !SearchesInProcess() ? Connection() : nullptr;
    if (!connection)
        return TDataSet::Lookup(KeyFields, KeyValues, ResultFields);
    const quint64 version = connection->ReadVersion(ReadTable());
    if (const Variant* kept = FLookups.Find(version, KeyFields, KeyValues, ResultFields))
        return *kept;
    const Variant result = TDataSet::Lookup(KeyFields, KeyValues, ResultFields);
    FLookups.Keep(version, KeyFields, KeyValues, ResultFields, result);
    return result;
}

namespace {

// An integer of a narrower field type, which another program may have written beyond it.
std::optional<int> NarrowInteger(const TFieldDef* Def, qint64 Value) {
    const auto [min, max] = Def->DataType() == ftSmallint ? std::pair<qint64, qint64>(-32768, 32767)
                            : Def->DataType() == ftWord
                                ? std::pair<qint64, qint64>(0, 65535)
                                : std::pair<qint64, qint64>(std::numeric_limits<int>::min(),
                                                            std::numeric_limits<int>::max());
    if (Value < min || Value > max)
        return std::nullopt;
    return int(Value);
}

// A date written as YYYY-MM-DD, read without the general parser; invalid for other texts.
QDate IsoDate(const QString& Text) {
    if (Text.size() != 10 || Text[4] != QLatin1Char('-') || Text[7] != QLatin1Char('-'))
        return {};
    int digits[8];
    int n = 0;
    for (const int at : {0, 1, 2, 3, 5, 6, 8, 9}) {
        const char16_t c = Text[at].unicode();
        if (c < u'0' || c > u'9')
            return {};
        digits[n++] = c - u'0';
    }
    return QDate(digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3],
                 digits[4] * 10 + digits[5], digits[6] * 10 + digits[7]);
}

// The value the engine gives a column of the field's type, as the field holds it, when
// that needs no conversion; an invalid value for another type (a null among them).
Variant Passed(const TFieldDef* Def, const Variant& Value) {
    const int given = Value.metaType().id();
    int same = QMetaType::UnknownType; // the engine's type of the field's values, taken as given
    switch (Def->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
        if (given == QMetaType::LongLong)
            if (const std::optional<int> value =
                    NarrowInteger(Def, *static_cast<const qint64*>(Value.constData())))
                return Variant(*value);
        return {};
    case ftBoolean:
        if (given != QMetaType::LongLong)
            return {};
        return Variant(*static_cast<const qint64*>(Value.constData()) != 0);
    case ftDate:
        if (given == QMetaType::QString)
            if (const QDate date = IsoDate(*static_cast<const QString*>(Value.constData()));
                date.isValid())
                return Variant(date);
        return {};
    case ftLargeint:
        same = QMetaType::LongLong;
        break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        same = QMetaType::Double;
        break;
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        same = QMetaType::QString;
        break;
    default:
        break;
    }
    if (same == QMetaType::UnknownType || given != same)
        return {};
    return Value;
}

// A value of the field's type; an invalid one when Value does not convert to it.
Variant Converted(const TFieldDef* Def, const Variant& Value) {
    switch (Def->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc: {
        const std::optional<int> value = NarrowInteger(Def, VarToInt(Value));
        return value ? Variant(*value) : Variant();
    }
    case ftLargeint:
        return VarToInt(Value);
    case ftBoolean:
        return VarToBool(Value);
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return VarToFloat(Value);
    case ftDate:
        return ValidOrInvalid(QDate::fromString(Value.toString(), Qt::ISODate));
    case ftTime:
        return ValidOrInvalid(QTime::fromString(Value.toString(), Qt::ISODateWithMs));
    case ftDateTime:
        return ValidOrInvalid(QDateTime::fromString(Value.toString(), Qt::ISODateWithMs));
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

} // namespace

// A value another program wrote that the field's type cannot hold (SQLite keeps any value
// in any column) is shown as the engine's text: nothing cut, and the rows after it read.
Variant TSqlDataSet::FromEngine(const TFieldDef* Def, const Variant& Value) const {
    if (Variant passed = Passed(Def, Value); passed.isValid())
        return passed;
    if (!Value.isValid() || VarIsNull(Value))
        return Value;
    Variant converted;
    try {
        converted = Converted(Def, Value);
    } catch (const EConvertError&) {
    }
    return converted.isValid() ? converted : Variant(VarToStr(Value));
}

Variant TSqlDataSet::ToEngine(TFieldType, const Variant& Value) const {
    return Value;
}

TRecord TSqlDataSet::RecordOf(QVariantList Row) const {
    TRecord record;
    const TFieldDefs* defs = FieldDefs();
    const int columns = defs->Count();
    record.Values.reserve(columns);
    for (int i = 0; i < columns; ++i)
        record.Values.append(FromEngine(defs->Items(i), std::as_const(Row)[i]));
    record.Bookmark = std::as_const(Row).last();
    record.EngineRow = std::move(Row);
    return record;
}

QVariantList TSqlDataSet::RowOf(const TRecord& Record) const {
    if (!Record.EngineRow.isEmpty())
        return Record.EngineRow;
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
        rows = FOrder->Reader.First(Count);
        break;
    case fdLast:
        rows = FOrder->Reader.Last(Count);
        break;
    case fdAfter:
        rows = From ? FOrder->Reader.After(RowOf(*From), Count) : FOrder->Reader.First(Count);
        break;
    case fdBefore:
        rows = From ? FOrder->Reader.Before(RowOf(*From), Count) : FOrder->Reader.Last(Count);
        break;
    }
    QList<TRecord> records;
    records.reserve(rows.size());
    for (TKeysetReader::TRow& row : rows)
        records.append(RecordOf(std::move(row)));
    return records;
}

std::optional<TRecord> TSqlDataSet::InternalFetchBookmark(const TBookmark& Bookmark) {
    if (!IsRowKey(Bookmark))
        return std::nullopt;
    auto row = FOrder->Reader.ByKey(Bookmark);
    if (!row)
        return std::nullopt;
    return RecordOf(std::move(*row));
}

qint64 TSqlDataSet::InternalRecordCount() {
    if (!FCount)
        FCount = FOrder->Reader.Count();
    return *FCount;
}

qint64 TSqlDataSet::InternalRecNo(const TRecord& Record) {
    return FOrder->Reader.CountBefore(RowOf(Record)) + 1;
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
                // The engine's own value as read compares equal to the column's.
                unchanged << QuoteSqlName(def->Name()) + QStringLiteral(" = ?");
                originals << (Original->EngineRow.isEmpty() ? ToEngine(def->DataType(), was)
                                                            : Original->EngineRow.value(i));
            }
        }
    }
    if (!Original) {
        QStringList marks;
        for (qsizetype i = 0; i < names.size(); ++i)
            marks << QStringLiteral("?");
        const TBookmark bookmark = connection->Insert(
            names.isEmpty()
                ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuotedUpdateTable())
                : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(QuotedUpdateTable(), names.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", "))),
            values, connection->RowIdColumn(UpdateTableName()));
        CountPosted(bookmark, false);
        return bookmark;
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
        if (changed == 0) {
            FCount.reset();
            throw EDatabaseError(QStringLiteral(
                "The record was changed or deleted by another user; refresh it and try again"));
        }
        CountPosted(Original->Bookmark, true);
    }
    return Original->Bookmark;
}

void TSqlDataSet::CountPosted(const TBookmark& Bookmark, bool WasRead) {
    if (FCount)
        *FCount += int(FOrder->Reader.ByKey(Bookmark).has_value()) - int(WasRead);
}

void TSqlDataSet::InternalDelete(const TRecord& Record) {
    const qint64 deleted = Connection()->Execute(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?")
            .arg(QuotedUpdateTable(), Connection()->RowIdColumn(UpdateTableName())),
        {Record.Bookmark});
    // A record another user deleted first leaves the count unknown.
    if (FCount && deleted == 1)
        --*FCount;
    else
        FCount.reset();
}

QString TSqlDataSet::ColumnOf(const TField* Field) const {
    if (Field->FieldNo() <= 0)
        throw EDatabaseError(
            QStringLiteral("%1: Field '%2' is not a column").arg(Name(), Field->FieldName()));
    return FOrder->Reader.Source().Columns[Field->FieldNo() - 1];
}

void TSqlDataSet::AddTextRange(const QString& Column, const QString& Prefix,
                               const std::function<QString(const QString&)>* Fold,
                               QStringList& Conditions, QVariantList& Params) const {
    Conditions << Column + QStringLiteral(" >= ?");
    Params << Prefix;
    if (Prefix.isEmpty())
        return;
    if (const auto successor = PrefixSuccessor(Prefix, Fold)) {
        Conditions << Column + QStringLiteral(" < ?");
        Params << *successor;
    }
}

namespace {

// The shape of a search for exact values, on which alone its condition depends: the
// fields' numbers and which values are null, 16 bits a field. None for a search of text
// ignoring case or by its start, whose condition depends on the text, or beyond the bits.
std::optional<quint64> ExactSearchShape(const QList<TField*>& Fields, const QVariantList& Values,
                                        TLocateOptions Options) {
    if (Fields.isEmpty() || Fields.size() > 4)
        return std::nullopt;
    const bool textMatch = Options.Contains(loCaseInsensitive) || Options.Contains(loPartialKey);
    quint64 shape = 0;
    for (qsizetype i = 0; i < Fields.size(); ++i) {
        const int number = Fields[i]->FieldNo();
        const bool null = VarIsNull(Values[i]);
        if (number <= 0 || number >= 0x8000 ||
            (!null && textMatch && IsTextType(Fields[i]->DataType())))
            return std::nullopt;
        shape |= quint64(number << 1 | int(null)) << (16 * i);
    }
    return shape;
}

} // namespace

std::optional<TRecord> TSqlDataSet::InternalLocate(const QList<TField*>& Fields,
                                                   const QVariantList& Values,
                                                   TLocateOptions Options) {
    const std::optional<quint64> exact = ExactSearchShape(Fields, Values, Options);
    if (exact)
        if (const auto known = FOrder->ExactSearchSql.constFind(*exact);
            known != FOrder->ExactSearchSql.constEnd()) {
            QVariantList params;
            for (qsizetype i = 0; i < Fields.size(); ++i)
                if (!VarIsNull(Values[i]))
                    params << ToEngine(Fields[i]->DataType(), Values[i]);
            auto row = FOrder->Reader.FirstMatching(*known, params);
            if (!row)
                return std::nullopt;
            return RecordOf(std::move(*row));
        }
    TDbConnection* connection = Connection();
    const std::function<QString(const QString&)> indexFold = [connection](const QString& value) {
        return connection->FoldCase(value);
    };
    const std::function<QString(const QString&)> lowered = Lowered;
    QStringList conditions;
    QVariantList params;
    // A server's planner walks the order's index for a condition on a text's lower case
    // form, filtering every row before the first match: fenced, its own index serves it.
    bool fenced = false;
    for (qsizetype i = 0; i < Fields.size(); ++i) {
        const TField* field = Fields[i];
        const QString column = ColumnOf(field);
        const Variant& value = Values[i];
        if (VarIsNull(value)) {
            conditions << column + QStringLiteral(" IS NULL");
            continue;
        }
        const bool text = IsTextType(field->DataType());
        const bool partial = text && Options.Contains(loPartialKey);
        if (!text || !Options.Contains(loCaseInsensitive)) {
            if (partial)
                AddTextRange(connection->CodePointOrdered(column), value.toString(), nullptr,
                             conditions, params);
            else {
                conditions << column + QStringLiteral(" = ?");
                params << ToEngine(field->DataType(), value);
            }
            continue;
        }
        // Ignoring case: every letter in lower case; where the engine's index form folds
        // fewer letters, a range of it on the leading ASCII part lets the index serve.
        const QString lower = connection->LowerCaseColumn(column);
        const QString indexed = connection->CaseInsensitiveIndexColumn(column);
        const QString wanted = Lowered(value.toString());
        fenced = fenced ||
                 (connection->IsSQLBased() && (FOrder->Reader.Source().OrderColumns.isEmpty() ||
                                               FOrder->Reader.OrderTerm(0) != indexed));
        if (lower != indexed) {
            qsizetype ascii = 0;
            while (ascii < wanted.size() && wanted[ascii].unicode() < 0x80 &&
                   !IsLowerCaseOfNonAscii(wanted[ascii]))
                ++ascii;
            if (ascii == wanted.size() && ascii > 0) {
                // Every letter of the value is one the index form folds alike: the index
                // form alone gives the same rows.
                if (partial) {
                    AddTextRange(indexed, indexFold(wanted), &indexFold, conditions, params);
                } else {
                    conditions << indexed + QStringLiteral(" = ?");
                    params << indexFold(wanted);
                }
                continue;
            }
            if (ascii > 0)
                AddTextRange(indexed, indexFold(wanted.left(ascii)), &indexFold, conditions,
                             params);
        }
        if (partial) {
            AddTextRange(connection->CodePointOrdered(lower), wanted, &lowered, conditions, params);
        } else {
            conditions << lower + QStringLiteral(" = ?");
            params << wanted;
        }
    }
    if (conditions.isEmpty())
        conditions << QStringLiteral("1 = 1");
    const QString condition = conditions.join(QStringLiteral(" AND "));
    if (exact)
        FOrder->ExactSearchSql.insert(*exact, condition);
    auto row = FOrder->Reader.FirstMatching(condition, params, fenced);
    if (!row)
        return std::nullopt;
    return RecordOf(std::move(*row));
}

// At or after (v1..vk) in the order. Over ascending columns and values without nulls that
// is one row-value comparison, which an index serves; otherwise: beyond v1, or equal to v1
// and beyond v2, ..., or equal in all. Beyond is greater ascending, less descending; nulls
// come first ascending and last descending.
TSqlDataSet::TSearchSql TSqlDataSet::NearestSql(int Count, quint64 Nulls) const {
    const auto isNull = [Nulls](int i) { return (Nulls >> i & 1) != 0; };
    TSearchSql sql;
    bool plain = Nulls == 0;
    for (int i = 0; i < Count && plain; ++i)
        plain = !FOrder->Reader.Source().Descending.value(i);
    if (plain) {
        QStringList columns, marks;
        for (int i = 0; i < Count; ++i) {
            columns << FOrder->Reader.OrderTerm(i);
            marks << QStringLiteral("?");
            sql.Values << i;
        }
        sql.Condition = Count == 1 ? columns[0] + QStringLiteral(" >= ?")
                                   : QStringLiteral("(%1) >= (%2)")
                                         .arg(columns.join(QStringLiteral(", ")),
                                              marks.join(QStringLiteral(", ")));
        return sql;
    }
    QStringList alternatives;
    QStringList equal;
    QList<int> equalValues;
    for (int i = 0; i < Count; ++i) {
        const QString column = FOrder->Reader.OrderTerm(i);
        QString beyond;
        if (isNull(i)) {
            if (!FOrder->Reader.Source().Descending.value(i))
                beyond = column + QStringLiteral(" IS NOT NULL");
        } else {
            beyond = FOrder->Reader.Source().Descending.value(i)
                         ? QStringLiteral("(%1 < ? OR %1 IS NULL)").arg(column)
                         : column + QStringLiteral(" > ?");
        }
        if (!beyond.isEmpty()) {
            alternatives << (equal + QStringList{beyond}).join(QStringLiteral(" AND "));
            sql.Values << equalValues;
            if (!isNull(i))
                sql.Values << i;
        }
        equal << column + (isNull(i) ? QStringLiteral(" IS NULL") : QStringLiteral(" = ?"));
        if (!isNull(i))
            equalValues << i;
    }
    alternatives << equal.join(QStringLiteral(" AND "));
    sql.Values << equalValues;
    sql.Condition =
        QLatin1Char('(') + alternatives.join(QStringLiteral(") OR (")) + QLatin1Char(')');
    return sql;
}

std::optional<TRecord> TSqlDataSet::InternalNearest(const QList<TField*>& Fields,
                                                    const QVariantList& Values) {
    const int count = int(std::min<qsizetype>(Fields.size(), 56));
    QVariantList values;
    quint64 nulls = 0;
    for (int i = 0; i < count; ++i) {
        values << FOrder->Reader.OrderParam(i, ToEngine(Fields[i]->DataType(), Values[i]));
        if (VarIsNull(values.last()))
            nulls |= quint64(1) << i;
    }
    // The SQL depends only on the number of values and which are null: built once each.
    const quint64 shape = quint64(count) << 56 | nulls;
    auto it = FOrder->NearestSql.constFind(shape);
    if (it == FOrder->NearestSql.constEnd())
        it = FOrder->NearestSql.insert(shape, NearestSql(count, nulls));
    QVariantList params;
    params.reserve(it->Values.size());
    for (const int i : it->Values)
        params << values[i];
    auto row = FOrder->Reader.FirstMatching(it->Condition, params);
    if (!row)
        return std::nullopt;
    return RecordOf(std::move(*row));
}
