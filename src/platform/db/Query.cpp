#include "Query.h"

#include "DataSource.h"
#include "Database.h"
#include "Field.h"
#include "FieldDefinition.h"
#include "FieldDefs.h"
#include "LocalSql.h"

#include <algorithm>
#include <optional>
#include <rtl/Exceptions.h>

namespace {

// A token of an SQL text, as much as the planning needs.
struct TToken {
    enum TKind { tkWord, tkQuoted, tkString, tkNumber, tkSymbol } Kind;
    QString Text;
    qsizetype Start, End; // in the text
    int Depth;            // parentheses around it
};

QList<TToken> Tokenize(const QString& Sql) {
    QList<TToken> tokens;
    int depth = 0;
    const qsizetype n = Sql.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = Sql[i];
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && Sql[i + 1] == QLatin1Char('-')) {
            const qsizetype end = Sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end;
        } else if (c == QLatin1Char('/') && i + 1 < n && Sql[i + 1] == QLatin1Char('*')) {
            const qsizetype end = Sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n && !(Sql[j] == c && (j + 1 >= n || Sql[j + 1] != c)))
                j += Sql[j] == c ? 2 : 1;
            const qsizetype end = qMin(j + 1, n);
            tokens.append({c == QLatin1Char('"') ? TToken::tkQuoted : TToken::tkString,
                           Sql.mid(i + 1, end - i - 2).replace(QString(2, c), QString(c)), i, end,
                           depth});
            i = end;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < n && (Sql[j].isLetterOrNumber() || Sql[j] == QLatin1Char('_')))
                ++j;
            tokens.append({TToken::tkWord, Sql.mid(i, j - i), i, j, depth});
            i = j;
        } else if (c.isDigit()) {
            qsizetype j = i;
            while (j < n && (Sql[j].isLetterOrNumber() || Sql[j] == QLatin1Char('.')))
                ++j;
            tokens.append({TToken::tkNumber, Sql.mid(i, j - i), i, j, depth});
            i = j;
        } else {
            if (c == QLatin1Char(')'))
                --depth;
            tokens.append({TToken::tkSymbol, QString(c), i, i + 1, depth});
            if (c == QLatin1Char('('))
                ++depth;
            ++i;
        }
    }
    return tokens;
}

bool IsWord(const TToken& t, const char* word) {
    return t.Kind == TToken::tkWord &&
           t.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool IsName(const TToken& t) {
    return t.Kind == TToken::tkWord || t.Kind == TToken::tkQuoted;
}

int SerialOfResults = 0;

} // namespace

// How an open query reads its result.
struct TQuery::TPlan {
    bool Direct = false;
    QString Table;         // the one table of a direct plan
    bool OneTable = false; // a direct plan without a subquery: it reads no other table
    QString From;          // the FROM text: table (and alias), the result table or the held row
    QString RowKey;
    QList<TColumnInfo> Columns;
    QString Where;
    QVariantList WhereValues; // the condition's values, or the held row's
    QList<int> OrderColumns;
    QList<bool> Descending;
    QString ResultTable;  // the temporary table of a written result
    QStringList Selected; // the quoted names of the fields' columns
};

// A straight plan as an open made it, and what it depends on: the statement as written,
// the names the connection stores (which translate it), the connection and the columns
// of the table. The analysis of the text is not made again while they stay.
struct TQuery::TKeptPlan {
    QString Text;
    QHash<QString, QString> StoredNames;
    quint64 Connection = 0;
    QList<TColumnInfo> TableColumns;
    QStringList ParamNames; // one per "?" of the engine's text
    TPlan Plan;             // without the condition's values
    QList<TFieldDefinition> Definitions;
};

// ---- Data link ----------------------------------------------------------------------

void TQueryDataLink::ActiveChanged() {
    if (FQuery->Active())
        FQuery->MasterChanged();
}

void TQueryDataLink::RecordChanged(TField*) {
    if (FQuery->Active())
        FQuery->MasterChanged();
}

// ---- Query --------------------------------------------------------------------------

TQuery::TQuery(TComponent* AOwner)
    : TSqlDataSet(AOwner), FSQL(new TStringList(this)), FParams(new TParams(this)),
      FDataLink(this) {
    FSQL->SetOnChange([this](TObject*) { SqlChanged(); });
}

TQuery::~TQuery() {
    FDataLink.SetDataSource(nullptr);
    CloseOnDestroy();
}

void TQuery::SqlChanged() {
    if (!IsLoading())
        Close();
    FPrepared = false;
    FParams->SetNames(ParseSqlParams(FSQL->Text()).Names);
}

TDataSource* TQuery::DataSource() const {
    return FDataLink.DataSource();
}

void TQuery::SetDataSource(TDataSource* Value) {
    if (Value && Value->IsLinkedTo(this))
        throw EDatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    if (DataSource())
        DataSource()->RemoveFreeNotification(this);
    FDataLink.SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

void TQuery::Notification(TComponent* AComponent, TOperation Operation) {
    TSqlDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == DataSource())
        FDataLink.SetDataSource(nullptr);
}

void TQuery::SetRequestLive(bool Value) {
    CheckInactive();
    FRequestLive = Value;
}

bool TQuery::CanModify() const {
    return TSqlDataSet::CanModify() && FRequestLive && FPlan && FPlan->Direct;
}

QString TQuery::UpdateTableName() const {
    return CanModify() ? FPlan->Table : QString();
}

QString TQuery::ReadTable() const {
    return FPlan && FPlan->OneTable ? FPlan->Table : QString();
}

void TQuery::Prepare() {
    OpenDatabase();
    QVariantList values;
    Connection()->Prepare(EngineSql(values)); // checks the text now
    FPrepared = true;
}

void TQuery::ParamsFromMaster() {
    TDataSet* master = DataSource() ? DataSource()->DataSet() : nullptr;
    if (!master || !master->Active())
        return;
    for (int i = 0; i < FParams->Count(); ++i)
        if (TField* field = master->FindField(FParams->Items(i)->Name()))
            FParams->Items(i)->SetValue(field->Value());
}

TParsedSql TQuery::ParsedSql() const {
    return ParseSqlParams(TranslateLocalSql(FSQL->Text(), Connection()->StoredNames()));
}

QString TQuery::EngineSql(QVariantList& Values) const {
    const TParsedSql parsed = ParsedSql();
    Values << ParamValues(parsed.Names);
    return parsed.Sql;
}

QVariantList TQuery::ParamValues(const QStringList& Names) const {
    QVariantList values;
    values.reserve(Names.size());
    for (const QString& name : Names)
        values << FParams->ParamByName(name)->EngineValue();
    return values;
}

void TQuery::ExecSQL() {
    CheckInactive();
    OpenDatabase();
    try {
        ParamsFromMaster();
        QVariantList values;
        const QString sql = EngineSql(values);
        FRowsAffected = Connection()->Execute(sql, values);
    } catch (...) {
        CloseDatabase();
        throw;
    }
    CloseDatabase();
}

void TQuery::MasterChanged() {
    if (!Active())
        return;
    const QVariantList before = [this] {
        QVariantList v;
        for (int i = 0; i < FParams->Count(); ++i)
            v << FParams->Items(i)->Value();
        return v;
    }();
    ParamsFromMaster();
    QVariantList after;
    for (int i = 0; i < FParams->Count(); ++i)
        after << FParams->Items(i)->Value();
    if (after == before)
        return;
    if (FPlan->Direct) {
        // The same statement with other values: the prepared queries stay.
        QVariantList values;
        EngineSql(values);
        FPlan->WhereValues = values;
        if (IsEditing())
            Cancel();
        SetSourceParams(values);
        First(); // a detail starts at its first record, as a detail table does
    } else {
        Close();
        Open();
    }
}

// ---- Opening -------------------------------------------------------------------------

namespace {

// The engine's reason in a connection's message 'Cannot prepare|run "statement": reason',
// or nothing for a message of another form.
QString EngineReason(const QString& Message) {
    for (const QLatin1String prefix :
         {QLatin1String("Cannot prepare \""), QLatin1String("Cannot run \"")})
        if (Message.startsWith(prefix)) {
            const qsizetype end = Message.indexOf(QLatin1String("\": "), prefix.size());
            if (end >= 0)
                return Message.mid(end + 3);
        }
    return QString();
}

} // namespace

void TQuery::InternalOpen() {
    OpenDatabase();
    try {
        if (FSQL->Text().trimmed().isEmpty())
            throw EDatabaseError(QStringLiteral("%1: No SQL statement available").arg(Name()));
        ParamsFromMaster();
        TSqlDataSet::InternalOpen(); // the plan is made with the field definitions
        Reposition();
        FPrepared = true;
    } catch (...) {
        DropResultTable();
        FPlan.reset();
        CloseDatabase();
        RaiseForTheUsersStatement();
    }
}

QList<TRecord> TQuery::InternalFetch(TFetchDirection Direction, const TRecord* From, int Count) {
    // An engine error while reading (a condition it refuses shows at the first read) quotes
    // the statement the user wrote.
    try {
        return TSqlDataSet::InternalFetch(Direction, From, Count);
    } catch (...) {
        RaiseForTheUsersStatement();
    }
}

void TQuery::RaiseForTheUsersStatement() const {
    try {
        throw;
    } catch (const EDatabaseError& e) {
        // The engine's reason with the statement as the user wrote it, not as it was run.
        const QString reason = EngineReason(e.Message());
        if (reason.isEmpty())
            throw;
        throw EDatabaseError(
            QStringLiteral("%1: %2 in \"%3\"").arg(Name(), reason, FSQL->Text().trimmed()));
    }
}

void TQuery::InternalClose() {
    DropResultTable();
    FPlan.reset();
    TSqlDataSet::InternalClose();
}

void TQuery::DropResultTable() {
    if (FPlan && !FPlan->ResultTable.isEmpty() && Database() && Database()->Connected()) {
        try {
            Connection()->Execute(
                QStringLiteral("DROP TABLE IF EXISTS %1").arg(QuoteSqlName(FPlan->ResultTable)));
        } catch (const EDatabaseError&) {
            // A connection that is going takes its temporary tables with it.
        }
        FPlan->ResultTable.clear();
    }
}

// ---- Planning ------------------------------------------------------------------------
//
// A statement is read straight from its table when it is a SELECT of columns of one table
// ("*" or names, each perhaps qualified), with at most an alias, a WHERE condition that holds
// every parameter, and an ORDER BY on selected columns, each ASC or DESC. Its records are
// the table's rows, in keyset windows, editable with RequestLive. Any other statement (joins,
// grouping, DISTINCT, LIMIT, set operations, expressions or sub-queries in the list or the
// order) is run once into a temporary table, in its own order with nulls placed as the
// datasets place them (first ascending, last descending), and read from there read-only;
// unless it gives one row whatever the data: that row is held in the statements that read
// it (as parameters of a one-row sub-select), and the schema stays as it was.

namespace {

// Where the top-level clauses of a statement stand among its tokens (-1: absent), and
// whether it has any that only a written result can give.
struct TClauses {
    qsizetype From = -1, Where = -1, Order = -1;
    bool Other = false; // grouping, joins, DISTINCT, LIMIT, set operations
};

TClauses FindClauses(const QList<TToken>& Tokens) {
    TClauses clauses;
    for (qsizetype i = 1; i < Tokens.size(); ++i) {
        const TToken& t = Tokens[i];
        if (t.Depth != 0)
            continue;
        if (IsWord(t, "from") && clauses.From < 0)
            clauses.From = i;
        else if (IsWord(t, "where") && clauses.Where < 0 && clauses.From > 0)
            clauses.Where = i;
        else if (IsWord(t, "order") && i + 1 < Tokens.size() && IsWord(Tokens[i + 1], "by"))
            clauses.Order = i;
        else if (IsWord(t, "group") || IsWord(t, "having") || IsWord(t, "union") ||
                 IsWord(t, "join") || IsWord(t, "limit") || IsWord(t, "distinct") ||
                 IsWord(t, "intersect") || IsWord(t, "except"))
            clauses.Other = true;
    }
    return clauses;
}

// The FROM clause names one table, perhaps with an alias, and parameters stand only in the
// condition.
bool HasOneTableShape(const QList<TToken>& Tokens, const TClauses& C, bool WithParams) {
    const qsizetype fromEnd = C.Where > 0 ? C.Where : (C.Order > 0 ? C.Order : Tokens.size());
    if (C.Other || C.From <= 1 || fromEnd - C.From < 2 || fromEnd - C.From > 4 ||
        !IsName(Tokens[C.From + 1]) || (C.Order >= 0 && C.Order < C.Where))
        return false;
    for (qsizetype i = C.From + 2; i < fromEnd; ++i)
        if (!IsName(Tokens[i]) || (i != C.From + 2 && !IsWord(Tokens[i - 1], "as")))
            return false;
    if (!WithParams)
        return true;
    const qsizetype whereStart = C.Where > 0 ? Tokens[C.Where].End : -1;
    const qsizetype whereEnd = C.Order > 0 ? Tokens[C.Order].Start : Tokens.last().End;
    return std::all_of(Tokens.begin(), Tokens.end(), [&](const TToken& t) {
        return !(t.Kind == TToken::tkSymbol && t.Text == QLatin1String("?")) ||
               (t.Start >= whereStart && whereStart >= 0 && t.Start < whereEnd);
    });
}

// Whether Tokens[From..To) name a column, perhaps qualified: its name, else empty.
QString ColumnName(const QList<TToken>& Tokens, qsizetype From, qsizetype To) {
    const qsizetype parts = To - From;
    if ((parts == 1 || (parts == 3 && Tokens[From + 1].Text == QLatin1String("."))) &&
        IsName(Tokens[To - 1]))
        return Tokens[To - 1].Text;
    return QString();
}

int IndexOfColumn(const QList<TColumnInfo>& Columns, const QString& Name) {
    for (qsizetype c = 0; c < Columns.size(); ++c)
        if (!Name.isEmpty() && Columns[c].Name.compare(Name, Qt::CaseInsensitive) == 0)
            return int(c);
    return -1;
}

// The end of the comma-separated item that starts at From, before Limit.
qsizetype ItemEnd(const QList<TToken>& Tokens, qsizetype From, qsizetype Limit) {
    qsizetype end = From;
    while (end < Limit && !(Tokens[end].Kind == TToken::tkSymbol &&
                            Tokens[end].Text == QLatin1String(",") && Tokens[end].Depth == 0))
        ++end;
    return end;
}

// The columns of the select list, when it is "*" or columns of the table.
std::optional<QList<TColumnInfo>> SelectedColumns(const QList<TToken>& Tokens, const TClauses& C,
                                                  const QList<TColumnInfo>& TableColumns) {
    QList<TColumnInfo> columns;
    for (qsizetype i = 1; i < C.From; i = ItemEnd(Tokens, i, C.From) + 1) {
        const qsizetype end = ItemEnd(Tokens, i, C.From);
        const int column = IndexOfColumn(TableColumns, ColumnName(Tokens, i, end));
        if (end - i == 1 && Tokens[i].Text == QLatin1String("*"))
            columns << TableColumns;
        else if (column >= 0)
            columns << TableColumns[column];
        else
            return std::nullopt;
    }
    return columns;
}

// The order, when each of its terms is a selected column, ascending or descending.
bool ReadOrder(const QList<TToken>& Tokens, const TClauses& C, const QList<TColumnInfo>& Columns,
               QList<int>& OrderColumns, QList<bool>& Descending) {
    if (C.Order < 0)
        return true;
    for (qsizetype i = C.Order + 2; i < Tokens.size(); i = ItemEnd(Tokens, i, Tokens.size()) + 1) {
        const qsizetype end = ItemEnd(Tokens, i, Tokens.size());
        qsizetype nameEnd = end;
        bool descending = false;
        if (nameEnd - i > 1 &&
            (IsWord(Tokens[nameEnd - 1], "desc") || IsWord(Tokens[nameEnd - 1], "asc"))) {
            descending = IsWord(Tokens[nameEnd - 1], "desc");
            --nameEnd;
        }
        const int column = IndexOfColumn(Columns, ColumnName(Tokens, i, nameEnd));
        if (column < 0)
            return false;
        OrderColumns << column;
        Descending << descending;
    }
    return true;
}

// The statement with its top-level order placing nulls as the datasets do: first in an
// ascending term, last in a descending one, unless the term says otherwise.
QString WithNullsPlaced(const QString& Sql, const QList<TToken>& Tokens, const TClauses& C) {
    if (C.Order < 0)
        return Sql;
    QList<std::pair<qsizetype, QString>> insertions;
    for (qsizetype i = C.Order + 2; i < Tokens.size();) {
        qsizetype end = i;
        bool nulls = false;
        while (
            end < Tokens.size() &&
            !(Tokens[end].Depth == 0 &&
              ((Tokens[end].Kind == TToken::tkSymbol && (Tokens[end].Text == QLatin1String(",") ||
                                                         Tokens[end].Text == QLatin1String(";"))) ||
               IsWord(Tokens[end], "limit") || IsWord(Tokens[end], "offset") ||
               IsWord(Tokens[end], "fetch")))) {
            nulls = nulls || IsWord(Tokens[end], "nulls");
            ++end;
        }
        if (end > i && !nulls)
            insertions.prepend({Tokens[end - 1].End, IsWord(Tokens[end - 1], "desc")
                                                         ? QStringLiteral(" NULLS LAST")
                                                         : QStringLiteral(" NULLS FIRST")});
        if (end >= Tokens.size() || Tokens[end].Text != QLatin1String(","))
            break;
        i = end + 1;
    }
    QString sql = Sql;
    for (const auto& [at, text] : insertions)
        sql.insert(at, text);
    return sql;
}

// The field types of a result's columns: a column named as one of the source table's
// takes that column's type; the others the kinds of the values they hold, every value
// deciding (a later one may need a wider type than the first ones).
class TResultTypes {
public:
    TResultTypes(TDbConnection* Connection, const QList<TColumnInfo>& Columns,
                 const QList<TColumnInfo>& SourceColumns)
        : FTypes(Columns.size(), {ftUnknown, 1}), FKnown(Columns.size(), false) {
        for (qsizetype c = 0; c < Columns.size(); ++c) {
            const int source = IndexOfColumn(SourceColumns, Columns[c].Name);
            if (source < 0)
                continue;
            int size = 0;
            const TFieldType type = Connection->FieldTypeOf(SourceColumns[source], size);
            FTypes[c] = {type == ftAutoInc ? ftInteger : type, size};
            FKnown[c] = true;
        }
    }
    // Whether some column takes its type from its values.
    bool NeedsValues() const { return FKnown.contains(false); }
    // Widens the type of column C, when its values type it, to hold Value.
    void Take(qsizetype C, const Variant& Value) {
        if (FKnown[C] || VarIsNull(Value))
            return;
        const int id = Value.metaType().id();
        const TFieldType type =
            id == QMetaType::Double       ? ftFloat
            : id == QMetaType::QByteArray ? ftBlob
            : id == QMetaType::QString
                ? ftString
                : (Value.toLongLong() == qint64(int(Value.toLongLong())) ? ftInteger : ftLargeint);
        auto& [was, size] = FTypes[C];
        if (was == ftUnknown || (was == ftInteger && type != ftInteger) ||
            (was == ftLargeint && type != ftInteger && type != ftLargeint))
            was = type;
        if (type == ftString)
            size = qMax(size, int(Value.toString().size()));
    }
    QList<std::pair<TFieldType, int>> Types() const {
        QList<std::pair<TFieldType, int>> types = FTypes;
        for (qsizetype c = 0; c < types.size(); ++c)
            if (!FKnown[c] && (types[c].first == ftUnknown || types[c].first == ftString))
                types[c] = {ftString, qMax(types[c].second, 20)};
            else if (!FKnown[c])
                types[c].second = 0;
        return types;
    }

private:
    QList<std::pair<TFieldType, int>> FTypes;
    QList<bool> FKnown;
};

// The types of the columns of the written result Result.
QList<std::pair<TFieldType, int>> WrittenResultTypes(TDbConnection* Connection,
                                                     const QString& Result,
                                                     const QList<TColumnInfo>& Columns,
                                                     const QList<TColumnInfo>& SourceColumns) {
    TResultTypes types(Connection, Columns, SourceColumns);
    if (types.NeedsValues()) {
        QStringList quoted;
        for (const TColumnInfo& column : Columns)
            quoted << QuoteSqlName(column.Name);
        auto values = Connection->Prepare(
            QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(QStringLiteral(", ")), Result));
        while (values->Step())
            for (int c = 0; c < Columns.size(); ++c)
                types.Take(c, values->Column(c));
    }
    return types.Types();
}

// Whether a statement gives one row whatever the data: its select list calls an aggregate
// at the top level, and it has no grouping, condition on groups, window, set operation or
// limit. A scalar function of an aggregate's name (SQLite's two-argument max) still gives
// a row per source row: the rows read tell.
bool GivesOneRow(const QList<TToken>& Tokens, const TClauses& C) {
    static const char* const other[] = {"group", "having", "union", "intersect", "except",
                                        "limit", "offset", "fetch", "over",      "window"};
    static const char* const aggregates[] = {"count", "sum", "total",        "avg",
                                             "min",   "max", "group_concat", "string_agg"};
    const auto isOneOf = [](const TToken& t, const auto& Words) {
        return std::any_of(std::begin(Words), std::end(Words),
                           [&t](const char* w) { return IsWord(t, w); });
    };
    const qsizetype listEnd = C.From > 0 ? C.From : Tokens.size();
    bool aggregate = false;
    for (qsizetype i = 1; i < Tokens.size(); ++i) {
        const TToken& t = Tokens[i];
        if (t.Depth != 0)
            continue;
        if (isOneOf(t, other))
            return false;
        aggregate =
            aggregate || (i + 1 < listEnd && Tokens[i + 1].Kind == TToken::tkSymbol &&
                          Tokens[i + 1].Text == QLatin1String("(") && isOneOf(t, aggregates));
    }
    return aggregate;
}

// The parameter that holds Value in the select list of a held row. A server types a
// parameter by its value, but texts and nulls not: they are texts, and a date or time named
// as a column Source of the source table is of that column's type, compared as it is.
QString HeldValueSql(TDbConnection* Connection, const TColumnInfo* Source, const Variant& Value) {
    if (!VarIsNull(Value) && !VarIsStr(Value))
        return QStringLiteral("?");
    int size = 0;
    const TFieldType type = Source ? Connection->FieldTypeOf(*Source, size) : ftUnknown;
    if (Connection->IsSQLBased() && (type == ftDate || type == ftTime || type == ftDateTime))
        return QStringLiteral("CAST(? AS %1)").arg(Source->DeclaredType);
    return QStringLiteral("CAST(? AS TEXT)");
}

// The one row of a statement, as the engine gives it, and its columns' names.
struct TOneRow {
    QList<TColumnInfo> Columns;
    QVariantList Values;
};

// Runs Sql and gives its row when it gives exactly one, whose columns have distinct names
// other than the hidden row key's.
std::optional<TOneRow> ReadOneRow(TDbConnection* Connection, const QString& Sql,
                                  const QVariantList& Params) {
    const std::unique_ptr<TDbStatement> statement = Connection->Prepare(Sql);
    for (qsizetype i = 0; i < Params.size(); ++i)
        statement->Bind(int(i), Params[i]);
    if (!statement->Step())
        return std::nullopt;
    TOneRow row;
    for (int c = 0; c < statement->ColumnCount(); ++c) {
        const QString name = statement->ColumnName(c);
        if (name.compare(QLatin1String(HiddenRowKey), Qt::CaseInsensitive) == 0 ||
            IndexOfColumn(row.Columns, name) >= 0)
            return std::nullopt;
        row.Columns << TColumnInfo{name, {}, false, false, false, {}};
        row.Values << statement->Column(c);
    }
    if (statement->Step())
        return std::nullopt;
    return row;
}

// The last token of a statement that cannot end there (a clause or an operator waiting for
// what follows), or null. Read straight from a table, such a statement would lose the
// unfinished part instead of failing.
const TToken* UnfinishedEnd(const QList<TToken>& Tokens) {
    qsizetype last = Tokens.size() - 1;
    while (last >= 0 && Tokens[last].Kind == TToken::tkSymbol &&
           Tokens[last].Text == QLatin1String(";"))
        --last;
    if (last < 0)
        return nullptr;
    const TToken& t = Tokens[last];
    static const char* const words[] = {"select", "from",  "where",  "and",     "or", "not",
                                        "by",     "order", "group",  "having",  "on", "join",
                                        "as",     "like",  "in",     "between", "is", "distinct",
                                        "union",  "limit", "offset", "escape"};
    static const char* const symbols[] = {",", "=", "<", ">", "!", "+",
                                          "-", "*", "/", "(", "|", "."};
    if (t.Kind == TToken::tkWord)
        return std::any_of(std::begin(words), std::end(words),
                           [&t](const char* w) { return IsWord(t, w); })
                   ? &t
                   : nullptr;
    if (t.Kind == TToken::tkSymbol)
        return std::any_of(std::begin(symbols), std::end(symbols),
                           [&t](const char* s) { return t.Text == QLatin1String(s); })
                   ? &t
                   : nullptr;
    return nullptr;
}

// The FROM text of a straight read (the table and its alias) and its condition, up to the
// end of the condition's last token: a comment after it would hide what the reader adds.
QString StraightFrom(const QString& Sql, const QList<TToken>& Tokens, const TClauses& C) {
    const qsizetype fromEnd = C.Where > 0 ? C.Where : (C.Order > 0 ? C.Order : Tokens.size());
    return Sql.mid(Tokens[C.From + 1].Start, Tokens[fromEnd - 1].End - Tokens[C.From + 1].Start);
}

QString StraightWhere(const QString& Sql, const QList<TToken>& Tokens, const TClauses& C) {
    if (C.Where < 0)
        return QString();
    const TToken& last = Tokens[(C.Order > 0 ? C.Order : Tokens.size()) - 1];
    return Sql.mid(Tokens[C.Where].End, last.End - Tokens[C.Where].End).trimmed();
}

} // namespace

bool TQuery::ReuseKeptPlan() {
    if (!FKeptPlan)
        return false;
    TDbConnection* connection = Connection();
    const TKeptPlan& kept = *FKeptPlan;
    if (kept.Connection != connection->Serial() || kept.Text != FSQL->Text() ||
        kept.StoredNames != connection->StoredNames() ||
        !connection->TableExists(kept.Plan.Table) ||
        connection->TableColumns(kept.Plan.Table) != kept.TableColumns) {
        FKeptPlan.reset();
        return false;
    }
    FPlan = std::make_unique<TPlan>(kept.Plan);
    FPlan->WhereValues = ParamValues(kept.ParamNames);
    FPlan->RowKey = connection->RowIdColumn(FPlan->Table);
    AssignFieldDefs(*FieldDefs(), kept.Definitions);
    return true;
}

void TQuery::KeepPlan(const QStringList& ParamNames, const QList<TColumnInfo>& TableColumns,
                      const QList<TFieldDefinition>& Definitions) {
    if (!FPlan->Direct) {
        FKeptPlan.reset();
        return;
    }
    TDbConnection* connection = Connection();
    FKeptPlan = std::make_unique<TKeptPlan>(TKeptPlan{FSQL->Text(), connection->StoredNames(),
                                                      connection->Serial(), TableColumns,
                                                      ParamNames, *FPlan, Definitions});
    FKeptPlan->Plan.WhereValues.clear();
}

void TQuery::InternalInitFieldDefs() {
    if (ReuseKeptPlan())
        return;
    const TParsedSql parsed = ParsedSql();
    const QString& sql = parsed.Sql;
    const QVariantList values = ParamValues(parsed.Names);
    const QList<TToken> tokens = Tokenize(sql);
    if (tokens.isEmpty() || !IsWord(tokens.first(), "select"))
        throw EDatabaseError(QStringLiteral("%1: The statement gives no records: %2")
                                 .arg(Name(), FSQL->Text().trimmed()));
    if (const TToken* end = UnfinishedEnd(tokens))
        throw EDatabaseError(QStringLiteral("%1: Syntax error: the statement ends at \"%2\": %3")
                                 .arg(Name(), end->Text, FSQL->Text().trimmed()));
    FPlan = std::make_unique<TPlan>();
    TDbConnection* connection = Connection();
    const TClauses clauses = FindClauses(tokens);
    QList<TColumnInfo> tableColumns;
    if (clauses.From > 0 && clauses.From + 1 < tokens.size() && IsName(tokens[clauses.From + 1]) &&
        connection->TableExists(tokens[clauses.From + 1].Text)) {
        FPlan->Table = tokens[clauses.From + 1].Text;
        tableColumns = connection->TableColumns(FPlan->Table);
    }
    std::optional<QList<TColumnInfo>> selected;
    if (!FPlan->Table.isEmpty() && HasOneTableShape(tokens, clauses, !values.isEmpty()))
        selected = SelectedColumns(tokens, clauses, tableColumns);
    FPlan->Direct =
        selected && ReadOrder(tokens, clauses, *selected, FPlan->OrderColumns, FPlan->Descending);
    QList<std::pair<TFieldType, int>> types;
    if (FPlan->Direct) {
        FPlan->Columns = *selected;
        FPlan->From = StraightFrom(sql, tokens, clauses);
        FPlan->Where = StraightWhere(sql, tokens, clauses);
        FPlan->WhereValues = values;
        for (const TColumnInfo& column : std::as_const(FPlan->Columns)) {
            int size = 0;
            const TFieldType type = connection->FieldTypeOf(column, size);
            types << std::pair{type, size};
        }
        FPlan->RowKey = connection->RowIdColumn(FPlan->Table);
        FPlan->OneTable = std::count_if(tokens.begin(), tokens.end(),
                                        [](const TToken& t) { return IsWord(t, "select"); }) == 1;
    } else {
        FPlan->OrderColumns.clear();
        FPlan->Descending.clear();
        std::optional<TOneRow> row;
        if (GivesOneRow(tokens, clauses))
            row = ReadOneRow(connection, sql, values);
        if (row) {
            // The row is held by the statements that read it, as their first parameters.
            QStringList held;
            for (qsizetype c = 0; c < row->Columns.size(); ++c) {
                const int source = IndexOfColumn(tableColumns, row->Columns[c].Name);
                held << HeldValueSql(connection, source < 0 ? nullptr : &tableColumns[source],
                                     row->Values[c]) +
                            QStringLiteral(" AS ") + QuoteSqlName(row->Columns[c].Name);
            }
            FPlan->From = QStringLiteral("(SELECT %1, 1 AS %2) AS kro_held")
                              .arg(held.join(QStringLiteral(", ")), QLatin1String(HiddenRowKey));
            FPlan->RowKey = QLatin1String(HiddenRowKey);
            FPlan->WhereValues = row->Values;
            FPlan->Columns = row->Columns;
            TResultTypes typing(connection, FPlan->Columns, tableColumns);
            for (qsizetype c = 0; c < row->Values.size(); ++c)
                typing.Take(c, row->Values[c]);
            types = typing.Types();
        } else {
            FPlan->ResultTable = QStringLiteral("kro_result_%1").arg(++SerialOfResults);
            FPlan->From = QuoteSqlName(FPlan->ResultTable);
            // The statement's own order numbers the row keys, which order the result.
            connection->Execute(QStringLiteral("CREATE TEMP TABLE %1 AS %2")
                                    .arg(FPlan->From, WithNullsPlaced(sql, tokens, clauses)),
                                values);
            connection->EnsureRowKey(FPlan->ResultTable);
            FPlan->RowKey = connection->RowIdColumn(FPlan->ResultTable);
            FPlan->Columns = connection->TableColumns(FPlan->ResultTable);
            types = WrittenResultTypes(connection, FPlan->From, FPlan->Columns, tableColumns);
        }
    }
    // A name given twice defines its first column.
    QList<TFieldDefinition> definitions;
    for (qsizetype c = 0; c < FPlan->Columns.size(); ++c) {
        const QString& name = FPlan->Columns[c].Name;
        if (std::none_of(definitions.cbegin(), definitions.cend(),
                         [&name](const TFieldDefinition& Known) {
                             return Known.Name.compare(name, Qt::CaseInsensitive) == 0;
                         }))
            definitions << TFieldDefinition{name, types[c].first, types[c].second};
    }
    AssignFieldDefs(*FieldDefs(), definitions);
    for (const TFieldDefinition& definition : std::as_const(definitions))
        FPlan->Selected << QuoteSqlName(definition.Name);
    KeepPlan(parsed.Names, tableColumns, definitions);
}

void TQuery::DefineSource(TKeysetSource& Source) {
    Source.From = FPlan->From;
    Source.Columns = FPlan->Selected;
    Source.RowKey = FPlan->RowKey;
    Source.Where = FPlan->Where;
    Source.WhereParams = FPlan->WhereValues;
    Source.OrderColumns = FPlan->OrderColumns;
    Source.Descending = FPlan->Descending;
}
