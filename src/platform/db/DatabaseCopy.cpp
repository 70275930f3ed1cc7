#include "DatabaseCopy.h"

#include "Database.h"
#include "FieldDefs.h"
#include "Session.h"
#include "Table.h"

#include <algorithm>
#include <memory>
#include <rtl/Exceptions.h>
#include <vector>

namespace {

// Rows read from the source per statement.
constexpr int PageRows = 1000;
// Parameters of one statement: SQLite's default limit, the lowest of the engines.
constexpr int MaxParameters = 32766;
// Bytes of text and blobs held for an insert, past which the rows are written at once.
constexpr qsizetype MaxPendingBytes = 16 * 1024 * 1024;

void Report(const TCopyOptions& Options, const TCopyStep& Step) {
    if (Options.Progress)
        Options.Progress(Step);
}

bool IsNumber(const Variant& Value) {
    const int type = Value.metaType().id();
    return type == QMetaType::LongLong || type == QMetaType::Double;
}

// A value read from the source in the form the target's column of the field type takes:
// engines store booleans, numbers, text and blobs each in their own way, and SQLite keeps
// any value in any column. Numbers of one type keep the parameter types of a statement,
// which PostgreSQL prepares per type, the same from row to row.
Variant CopiedValue(TFieldType Type, const Variant& Value) {
    switch (Type) {
    case ftBoolean:
        return IsNumber(Value) ? Variant(Value.toDouble() != 0) : Value;
    case ftFloat:
    case ftCurrency:
        return IsNumber(Value) ? Variant(Value.toDouble()) : Value;
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftMemo:
    case ftFmtMemo:
        return Value.metaType().id() == QMetaType::QByteArray
                   ? Variant(QString::fromUtf8(Value.toByteArray()))
                   : Value;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return Value.metaType().id() == QMetaType::QString ? Variant(Value.toString().toUtf8())
                                                           : Value;
    default:
        return Value;
    }
}

qsizetype ByteSize(const Variant& Value) {
    switch (Value.metaType().id()) {
    case QMetaType::QString:
        return Value.toString().size() * qsizetype(sizeof(QChar));
    case QMetaType::QByteArray:
        return Value.toByteArray().size();
    default:
        return qsizetype(sizeof(Variant));
    }
}

// Writes rows into a table by prepared inserts of BatchRows rows each; the rows that do
// not fill a batch are inserted one by one.
class TBatchInsert {
public:
    TBatchInsert(TDbConnection* Connection, const QString& Table, const TFieldDefs* Fields,
                 int BatchRows);
    // Takes the current row of Row, whose first columns are those of the fields.
    void Add(const TDbStatement& Row);
    void Flush();

private:
    std::unique_ptr<TDbStatement> Prepare(int Rows) const;
    void Insert(TDbStatement& Statement, int FirstRow, int Rows);

    TDbConnection* FConnection;
    QString FTable;
    const TFieldDefs* FFields;
    int FBatchRows;
    std::unique_ptr<TDbStatement> FBatch;
    std::unique_ptr<TDbStatement> FSingle;
    QVariantList FPending; // the values of the pending rows, row after row
    qsizetype FPendingBytes = 0;
};

TBatchInsert::TBatchInsert(TDbConnection* Connection, const QString& Table,
                           const TFieldDefs* Fields, int BatchRows)
    : FConnection(Connection), FTable(Table), FFields(Fields),
      FBatchRows(
          std::clamp(MaxParameters / std::max(1, Fields->Count()), 1, std::max(1, BatchRows))) {
    FPending.reserve(FBatchRows * Fields->Count());
}

std::unique_ptr<TDbStatement> TBatchInsert::Prepare(int Rows) const {
    QStringList columns;
    QStringList marks;
    for (int i = 0; i < FFields->Count(); ++i) {
        columns << FConnection->QuoteName(FFields->Items(i)->Name());
        marks << QStringLiteral("?");
    }
    const QString row = QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    QStringList rows;
    for (int i = 0; i < Rows; ++i)
        rows << row;
    return FConnection->Prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                    .arg(FConnection->QuoteName(FTable),
                                         columns.join(QStringLiteral(", ")),
                                         rows.join(QStringLiteral(", "))));
}

void TBatchInsert::Add(const TDbStatement& Row) {
    for (int i = 0; i < FFields->Count(); ++i) {
        FPending << CopiedValue(FFields->Items(i)->DataType(), Row.Column(i));
        FPendingBytes += ByteSize(FPending.last());
    }
    const int rows = int(FPending.size() / FFields->Count());
    if (rows == FBatchRows) {
        if (!FBatch)
            FBatch = Prepare(FBatchRows);
        Insert(*FBatch, 0, rows);
        FPending.clear();
        FPendingBytes = 0;
    } else if (FPendingBytes > MaxPendingBytes) {
        Flush();
    }
}

void TBatchInsert::Flush() {
    const int rows = int(FPending.size() / FFields->Count());
    if (rows > 0 && !FSingle)
        FSingle = Prepare(1);
    for (int row = 0; row < rows; ++row)
        Insert(*FSingle, row, 1);
    FPending.clear();
    FPendingBytes = 0;
}

void TBatchInsert::Insert(TDbStatement& Statement, int FirstRow, int Rows) {
    const int columns = FFields->Count();
    Statement.Reset();
    for (int i = 0; i < Rows * columns; ++i)
        Statement.Bind(i, FPending[FirstRow * columns + i]);
    while (Statement.Step()) {
    }
}

// One table of the copy: its definitions read from the source as those of a table of the
// target, which it then makes and fills.
class TTableCopy {
public:
    TTableCopy(TDatabase* Source, TDatabase* Target, const QString& Name);

    const QString& Name() const { return FResult.Name; }
    // Reads the definitions; writes nothing. ExistingName is the target's table of the
    // same name, which Write drops, or empty.
    void Prepare(const QString& ExistingName);
    // Drops the existing table, makes the table and copies the rows.
    TCopiedTable Write(const TCopyOptions& Options);

private:
    void ReadFieldDefs();
    void ReadIndexDefs();
    void CopyRows(TCopyStep& Step, const TCopyOptions& Options);

    TDatabase* FSource;
    TDatabase* FTarget;
    TTable FTable; // of the target
    QString FExistingName;
    QString FRowKey; // of the source
    TCopiedTable FResult;
};

TTableCopy::TTableCopy(TDatabase* Source, TDatabase* Target, const QString& Name)
    : FSource(Source), FTarget(Target) {
    FResult.Name = Name;
    FTable.SetDatabaseName(Target->DatabaseName());
    FTable.SetTableName(Name);
}

void TTableCopy::Prepare(const QString& ExistingName) {
    FExistingName = ExistingName;
    FRowKey = FSource->Connection()->RowIdColumn(Name());
    ReadFieldDefs();
    ReadIndexDefs();
}

void TTableCopy::ReadFieldDefs() {
    TDbConnection* source = FSource->Connection();
    for (const TColumnInfo& column : source->TableColumns(Name())) {
        int size = 0;
        const TFieldType type = source->FieldTypeOf(column, size);
        FTable.FieldDefs()->Add(column.Name, type, size, column.NotNull && type != ftAutoInc);
    }
}

void TTableCopy::ReadIndexDefs() {
    TTable source;
    source.SetDatabaseName(FSource->DatabaseName());
    source.SetTableName(Name());
    source.IndexDefs()->Update();
    TIndexDefs* indexes = FTable.IndexDefs();
    indexes->Assign(source.IndexDefs());
    for (int i = indexes->Count() - 1; i >= 0; --i) {
        const TIndexDef* index = indexes->Items(i);
        if (index->Options().Contains(ixExpression)) {
            FResult.SkippedIndexes.prepend(index->Name());
            indexes->Delete(i);
        }
    }
}

TCopiedTable TTableCopy::Write(const TCopyOptions& Options) {
    TCopyStep step;
    step.Table = Name();
    step.TotalRows = FSource->Connection()
                         ->Scalar(QStringLiteral("SELECT count(*) FROM %1")
                                      .arg(FSource->Connection()->QuoteName(Name())))
                         .toLongLong();
    Report(Options, step);
    for (const QString& index : std::as_const(FResult.SkippedIndexes)) {
        TCopyStep skipped = step;
        skipped.Kind = TCopyStep::IndexSkipped;
        skipped.Index = index;
        skipped.Reason = QStringLiteral("an index on an expression cannot be made again");
        Report(Options, skipped);
    }

    TDbConnection* target = FTarget->Connection();
    if (!FExistingName.isEmpty())
        target->Execute(QStringLiteral("DROP TABLE %1").arg(target->QuoteName(FExistingName)));
    FTable.CreateTable();
    CopyRows(step, Options);
    for (int i = 0; i < FTable.FieldDefs()->Count(); ++i)
        if (FTable.FieldDefs()->Items(i)->DataType() == ftAutoInc)
            target->ContinueAutoIncrement(Name(), FTable.FieldDefs()->Items(i)->Name());
    return FResult;
}

void TTableCopy::CopyRows(TCopyStep& Step, const TCopyOptions& Options) {
    TDbConnection* source = FSource->Connection();
    const TFieldDefs* fields = FTable.FieldDefs();
    QStringList columns;
    for (int i = 0; i < fields->Count(); ++i)
        columns << source->QuoteName(fields->Items(i)->Name());
    const QString table = source->QuoteName(Name());
    // Pages in the order of the row key, so that no statement holds more than a page.
    const QString select = QStringLiteral("SELECT %1, %2 FROM %3 ")
                               .arg(columns.join(QStringLiteral(", ")), FRowKey, table);
    const QString order = QStringLiteral(" ORDER BY %1 LIMIT %2").arg(FRowKey).arg(PageRows);
    const std::unique_ptr<TDbStatement> first = source->Prepare(select + order);
    const std::unique_ptr<TDbStatement> next =
        source->Prepare(select + QStringLiteral("WHERE %1 > ?").arg(FRowKey) + order);
    TBatchInsert insert(FTarget->Connection(), Name(), fields, Options.BatchRows);
    TDbStatement* page = first.get();
    for (;;) {
        int rows = 0;
        Variant lastKey;
        while (page->Step()) {
            insert.Add(*page);
            lastKey = page->Column(int(columns.size()));
            ++rows;
        }
        FResult.Rows += rows;
        if (rows < PageRows)
            break;
        Step.Kind = TCopyStep::RowsCopied;
        Step.Rows = FResult.Rows;
        Report(Options, Step);
        page = next.get();
        page->Reset();
        page->Bind(0, lastKey);
    }
    insert.Flush();
    Step.Kind = TCopyStep::TableCopied;
    Step.Rows = FResult.Rows;
    Report(Options, Step);
}

// The table of Names named Name ignoring case, or an empty string.
QString FindName(const QStringList& Names, const QString& Name) {
    for (const QString& name : Names)
        if (name.compare(Name, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

// The tables of the copy reach a database by its name, and a temporary one would go with
// the first of them that closes.
void CheckDatabase(TDatabase* Database, const char* Role) {
    if (Database->DatabaseName().isEmpty() ||
        Session()->FindDatabase(Database->DatabaseName()) != Database || Database->Temporary())
        throw EDatabaseError(QStringLiteral("Cannot copy: the %1 database needs a DatabaseName "
                                            "of its own in the session, and not be temporary")
                                 .arg(QLatin1String(Role)));
    Database->Open();
}

// Names Database for a copy, uniquely in the session, and connects it to Alias.
void UseAlias(TDatabase& Database, const QString& Alias) {
    static int serial = 0;
    QString name;
    do
        name = QStringLiteral("%1 (copy %2)").arg(Alias).arg(++serial);
    while (Session()->FindDatabase(name));
    Database.SetDatabaseName(name);
    Database.SetAliasName(Alias);
}

} // namespace

QList<TCopiedTable> CopyDatabase(TDatabase* Source, TDatabase* Target,
                                 const TCopyOptions& Options) {
    if (Source == Target)
        throw EDatabaseError(QStringLiteral("Cannot copy a database into itself"));
    CheckDatabase(Source, "source");
    CheckDatabase(Target, "target");
    TDbConnection* target = Target->Connection();

    const QStringList names = Source->Connection()->TableNames();
    const QStringList targetNames = target->TableNames();
    QStringList existing; // per source table: the target's table of its name, or empty
    QStringList clashes;
    for (const QString& name : names) {
        existing << FindName(targetNames, name);
        if (!existing.last().isEmpty())
            clashes << existing.last();
    }
    if (!clashes.isEmpty() && !Options.Replace)
        throw EDatabaseError(
            QStringLiteral("Cannot copy: the target database already has the table(s) %1; "
                           "nothing was copied")
                .arg(clashes.join(QStringLiteral(", "))));
    std::vector<std::unique_ptr<TTableCopy>> tables;
    for (qsizetype i = 0; i < names.size(); ++i) {
        tables.push_back(std::make_unique<TTableCopy>(Source, Target, names[i]));
        tables.back()->Prepare(existing[i]);
    }

    QList<TCopiedTable> copied;
    target->StartTransaction();
    try {
        for (const std::unique_ptr<TTableCopy>& table : tables) {
            try {
                copied << table->Write(Options);
            } catch (const EDatabaseError& e) {
                throw EDatabaseError(
                    QStringLiteral("Cannot copy table %1: %2").arg(table->Name(), e.Message()));
            }
        }
        target->Commit();
    } catch (...) {
        if (target->InTransaction())
            target->Rollback();
        throw;
    }
    return copied;
}

QList<TCopiedTable> CopyDatabase(const QString& SourceAlias, const QString& TargetAlias,
                                 const TCopyOptions& Options) {
    if (SourceAlias.compare(TargetAlias, Qt::CaseInsensitive) == 0)
        throw EDatabaseError(QStringLiteral("Cannot copy a database into itself"));
    TDatabase source;
    TDatabase target;
    UseAlias(source, SourceAlias);
    UseAlias(target, TargetAlias);
    return CopyDatabase(&source, &target, Options);
}
