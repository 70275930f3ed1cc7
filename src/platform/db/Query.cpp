#include "Query.h"

#include "DataSource.h"
#include "Database.h"
#include "Field.h"
#include "FieldDefs.h"
#include "LocalSql.h"

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
    return Active() && FRequestLive && FPlan && FPlan->Direct;
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
        Refresh();
    } else {
        Close();
        Open();
    }
}

// ---- Opening -------------------------------------------------------------------------

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
        throw;
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

// Plans the statement: one table read directly, or the result written to a table first.
void TQuery::InternalInitFieldDefs() {
    QVariantList values;
    const QString sql = EngineSql(values);
    const QList<TToken> tokens = Tokenize(sql);
    if (tokens.isEmpty() || !IsWord(tokens.first(), "select"))
        throw EDatabaseError(QStringLiteral("%1: The statement gives no records: %2")
                                 .arg(Name(), FSQL->Text().trimmed()));
    FPlan = std::make_unique<TPlan>();
    TDbConnection* connection = Connection();

    // Top-level clauses of a direct plan: SELECT list FROM table [alias] [WHERE ...]
    // [ORDER BY ...]; anything else is written to a table first.
    qsizetype from = -1, where = -1, order = -1;
    bool direct = true;
    for (qsizetype i = 1; i < tokens.size() && direct; ++i) {
        const TToken& t = tokens[i];
        if (t.Depth != 0)
            continue;
        if (IsWord(t, "from") && from < 0)
            from = i;
        else if (IsWord(t, "where") && where < 0 && from > 0)
            where = i;
        else if (IsWord(t, "order") && i + 1 < tokens.size() && IsWord(tokens[i + 1], "by"))
            order = i;
        else if (IsWord(t, "group") || IsWord(t, "having") || IsWord(t, "union") ||
                 IsWord(t, "join") || IsWord(t, "limit") || IsWord(t, "distinct") ||
                 IsWord(t, "intersect") || IsWord(t, "except"))
            direct = false;
    }
    const qsizetype fromEnd = where > 0 ? where : (order > 0 ? order : tokens.size());
    direct = direct && from > 1 && fromEnd - from >= 2 && fromEnd - from <= 4 &&
             IsName(tokens[from + 1]) && (order < 0 || order > where);
    if (direct)
        for (qsizetype i = from + 2; i < fromEnd; ++i)
            direct =
                direct && (IsName(tokens[i]) && (i == from + 2 || IsWord(tokens[i - 1], "as")));
    // Parameters of a direct plan may stand only in its condition.
    if (direct && !values.isEmpty()) {
        const qsizetype whereStart = where > 0 ? tokens[where].End : sql.size();
        const qsizetype whereEnd = order > 0 ? tokens[order].Start : sql.size();
        for (const TToken& t : tokens)
            if (t.Kind == TToken::tkSymbol && t.Text == QLatin1String("?") &&
                (t.Start < whereStart || t.Start >= whereEnd))
                direct = false;
    }
    QList<TColumnInfo> tableColumns;
    if (direct) {
        FPlan->Table = tokens[from + 1].Text;
        direct = connection->TableExists(FPlan->Table);
        if (direct)
            tableColumns = connection->TableColumns(FPlan->Table);
    }
    auto columnNamed = [&](const QString& name) -> int {
        for (qsizetype c = 0; c < tableColumns.size(); ++c)
            if (tableColumns[c].Name.compare(name, Qt::CaseInsensitive) == 0)
                return int(c);
        return -1;
    };
    if (direct) {
        // The select list: "*" or columns of the table.
        for (qsizetype i = 1; i < from && direct;) {
            qsizetype end = i;
            while (end < from && !(tokens[end].Text == QLatin1String(",") &&
                                   tokens[end].Kind == TToken::tkSymbol))
                ++end;
            const qsizetype parts = end - i;
            const TToken& last = tokens[end - 1];
            if (parts == 1 && last.Text == QLatin1String("*")) {
                FPlan->Columns << tableColumns;
            } else if ((parts == 1 || (parts == 3 && tokens[i + 1].Text == QLatin1String("."))) &&
                       IsName(last) && columnNamed(last.Text) >= 0) {
                FPlan->Columns << tableColumns[columnNamed(last.Text)];
            } else {
                direct = false;
            }
            i = end + 1;
        }
    }
    if (direct && order > 0) {
        // The order: selected columns, each ascending or descending.
        for (qsizetype i = order + 2; i < tokens.size() && direct;) {
            qsizetype end = i;
            while (end < tokens.size() && tokens[end].Text != QLatin1String(","))
                ++end;
            qsizetype nameEnd = end;
            bool descending = false;
            if (nameEnd - i > 1 &&
                (IsWord(tokens[nameEnd - 1], "desc") || IsWord(tokens[nameEnd - 1], "asc"))) {
                descending = IsWord(tokens[nameEnd - 1], "desc");
                --nameEnd;
            }
            const qsizetype parts = nameEnd - i;
            int column = -1;
            if ((parts == 1 || (parts == 3 && tokens[i + 1].Text == QLatin1String("."))) &&
                IsName(tokens[nameEnd - 1]))
                for (qsizetype c = 0; c < FPlan->Columns.size() && column < 0; ++c)
                    if (FPlan->Columns[c].Name.compare(tokens[nameEnd - 1].Text,
                                                       Qt::CaseInsensitive) == 0)
                        column = int(c);
            if (column < 0)
                direct = false;
            FPlan->OrderColumns << column;
            FPlan->Descending << descending;
            i = end + 1;
        }
    }
    FPlan->Direct = direct;
    if (direct) {
        FPlan->From =
            sql.mid(tokens[from + 1].Start, tokens[fromEnd - 1].End - tokens[from + 1].Start);
        if (where > 0)
            FPlan->Where =
                sql.mid(tokens[where].End,
                        (order > 0 ? tokens[order].Start : sql.size()) - tokens[where].End)
                    .trimmed();
        FPlan->WhereValues = values;
    } else {
        // Written to a temporary table, in the statement's order, and read from there.
        FPlan->Columns.clear();
        FPlan->OrderColumns.clear();
        FPlan->Descending.clear();
        FPlan->ResultTable = QStringLiteral("kro_result_%1").arg(++SerialOfResults);
        FPlan->From = QuoteSqlName(FPlan->ResultTable);
        connection->Execute(QStringLiteral("CREATE TEMP TABLE %1 AS %2").arg(FPlan->From, sql),
                            values);
        connection->EnsureRowKey(FPlan->ResultTable);
        QStringList resultColumns;
        for (const TColumnInfo& column : connection->TableColumns(FPlan->ResultTable))
            resultColumns << QuoteSqlName(column.Name);
        auto sample =
            connection->Prepare(QStringLiteral("SELECT %1 FROM %2 LIMIT 100")
                                    .arg(resultColumns.join(QStringLiteral(", ")), FPlan->From));
        QList<TFieldType> types;
        QList<int> sizes;
        bool first = true;
        while (sample->Step()) {
            if (first) {
                for (int c = 0; c < sample->ColumnCount(); ++c) {
                    TColumnInfo info;
                    info.Name = sample->ColumnName(c);
                    FPlan->Columns << info;
                    types << ftUnknown;
                    sizes << 1;
                }
                first = false;
            }
            for (int c = 0; c < sample->ColumnCount(); ++c) {
                const Variant v = sample->Column(c);
                if (VarIsNull(v))
                    continue;
                const int id = v.metaType().id();
                TFieldType type =
                    id == QMetaType::Double       ? ftFloat
                    : id == QMetaType::QByteArray ? ftBlob
                    : id == QMetaType::QString
                        ? ftString
                        : (v.toLongLong() == qint64(int(v.toLongLong())) ? ftInteger : ftLargeint);
                if (types[c] == ftUnknown || (types[c] == ftInteger && type != ftInteger))
                    types[c] = type;
                if (type == ftString)
                    sizes[c] = qMax(sizes[c], int(v.toString().size()));
            }
        }
        if (first) {
            for (int c = 0; c < sample->ColumnCount(); ++c) {
                TColumnInfo info;
                info.Name = sample->ColumnName(c);
                FPlan->Columns << info;
                types << ftString;
                sizes << 20;
            }
        }
        FieldDefs()->BeginUpdate();
        FieldDefs()->Clear();
        for (qsizetype c = 0; c < FPlan->Columns.size(); ++c) {
            const TFieldType type = types[c] == ftUnknown ? ftString : types[c];
            FieldDefs()->Add(FPlan->Columns[c].Name, type,
                             type == ftString ? qMax(sizes[c], 20) : 0);
        }
        FieldDefs()->EndUpdate();
        return;
    }
    FieldDefs()->BeginUpdate();
    FieldDefs()->Clear();
    for (const TColumnInfo& column : std::as_const(FPlan->Columns)) {
        if (FieldDefs()->IndexOf(column.Name) >= 0)
            continue;
        int size = 0;
        const TFieldType type = connection->FieldTypeOf(column, size);
        FieldDefs()->Add(column.Name, type, size, false);
    }
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
