#include "Query.h"

#include "DataSource.h"
#include "Database.h"
#include "Field.h"
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
    QString Table; // the one table of a direct plan
    QString From;  // the FROM text: table (and alias), or the result table
    QList<TColumnInfo> Columns;
    QString Where;
    QVariantList WhereValues;
    QList<int> OrderColumns;
    QList<bool> Descending;
    QString ResultTable; // the temporary table of a written result
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

QString TQuery::EngineSql(QVariantList& Values) const {
    const TParsedSql parsed =
        ParseSqlParams(TranslateLocalSql(FSQL->Text(), Connection()->StoredNames()));
    for (const QString& name : parsed.Names)
        Values << FParams->ParamByName(name)->EngineValue();
    return parsed.Sql;
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
        // A condition the engine refuses shows here, where its error can quote the user.
        Reader()->First(1);
        FPrepared = true;
    } catch (...) {
        DropResultTable();
        FPlan.reset();
        CloseDatabase();
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
// datasets place them (first ascending, last descending), and read from there read-only.

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

// The field types of a written result's columns: a column named as one of the source
// table's takes that column's type; the others the kinds of the values they hold.
QList<std::pair<TFieldType, int>> ResultTypes(TDbConnection* Connection, const QString& Result,
                                              const QList<TColumnInfo>& Columns,
                                              const QList<TColumnInfo>& SourceColumns) {
    QStringList quoted;
    for (const TColumnInfo& column : Columns)
        quoted << QuoteSqlName(column.Name);
    QList<std::pair<TFieldType, int>> types(Columns.size(), {ftUnknown, 1});
    QList<bool> known(Columns.size(), false);
    for (qsizetype c = 0; c < Columns.size(); ++c) {
        const int source = IndexOfColumn(SourceColumns, Columns[c].Name);
        if (source < 0)
            continue;
        int size = 0;
        const TFieldType type = Connection->FieldTypeOf(SourceColumns[source], size);
        types[c] = {type == ftAutoInc ? ftInteger : type, size};
        known[c] = true;
    }
    if (known.contains(false)) {
        // Every value decides: a later one may need a wider type than the first ones.
        auto values = Connection->Prepare(
            QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(QStringLiteral(", ")), Result));
        while (values->Step())
            for (int c = 0; c < Columns.size(); ++c) {
                const Variant v = values->Column(c);
                if (known[c] || VarIsNull(v))
                    continue;
                const int id = v.metaType().id();
                const TFieldType type =
                    id == QMetaType::Double       ? ftFloat
                    : id == QMetaType::QByteArray ? ftBlob
                    : id == QMetaType::QString
                        ? ftString
                        : (v.toLongLong() == qint64(int(v.toLongLong())) ? ftInteger : ftLargeint);
                auto& [was, size] = types[c];
                if (was == ftUnknown || (was == ftInteger && type != ftInteger) ||
                    (was == ftLargeint && type != ftInteger && type != ftLargeint))
                    was = type;
                if (type == ftString)
                    size = qMax(size, int(v.toString().size()));
            }
    }
    for (qsizetype c = 0; c < Columns.size(); ++c)
        if (!known[c] && (types[c].first == ftUnknown || types[c].first == ftString))
            types[c] = {ftString, qMax(types[c].second, 20)};
        else if (!known[c])
            types[c].second = 0;
    return types;
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

void TQuery::InternalInitFieldDefs() {
    QVariantList values;
    const QString sql = EngineSql(values);
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
    } else {
        FPlan->OrderColumns.clear();
        FPlan->Descending.clear();
        FPlan->ResultTable = QStringLiteral("kro_result_%1").arg(++SerialOfResults);
        FPlan->From = QuoteSqlName(FPlan->ResultTable);
        // The statement's own order numbers the row keys, which order the result.
        connection->Execute(QStringLiteral("CREATE TEMP TABLE %1 AS %2")
                                .arg(FPlan->From, WithNullsPlaced(sql, tokens, clauses)),
                            values);
        connection->EnsureRowKey(FPlan->ResultTable);
        FPlan->Columns = connection->TableColumns(FPlan->ResultTable);
        types = ResultTypes(connection, FPlan->From, FPlan->Columns, tableColumns);
    }
    FieldDefs()->BeginUpdate();
    FieldDefs()->Clear();
    for (qsizetype c = 0; c < FPlan->Columns.size(); ++c)
        if (FieldDefs()->IndexOf(FPlan->Columns[c].Name) < 0)
            FieldDefs()->Add(FPlan->Columns[c].Name, types[c].first, types[c].second);
    FieldDefs()->EndUpdate();
}

void TQuery::DefineSource(TKeysetSource& Source) {
    Source.From = FPlan->From;
    for (int i = 0; i < FieldDefs()->Count(); ++i)
        Source.Columns << QuoteSqlName(FieldDefs()->Items(i)->Name());
    Source.RowKey = Connection()->RowIdColumn(FPlan->Direct ? FPlan->Table : FPlan->ResultTable);
    Source.Where = FPlan->Where;
    Source.WhereParams = FPlan->WhereValues;
    Source.OrderColumns = FPlan->OrderColumns;
    Source.Descending = FPlan->Descending;
}
