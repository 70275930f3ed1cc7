#include "Table.h"

#include "DataSource.h"
#include "Database.h"
#include "Field.h"
#include "FieldDefinition.h"
#include "FieldDefs.h"
#include "KeysetReader.h"

#include <algorithm>
#include <rtl/Exceptions.h>

// ---- Master link ---------------------------------------------------------------------

void TMasterDataLink::ActiveChanged() {
    FDetail->FMasterFieldList.clear();
    if (FDetail->Active())
        FDetail->MasterChanged();
}

void TMasterDataLink::RecordChanged(TField* Field) {
    if (Field == nullptr ||
        FDetail->FMasterFields.contains(Field->FieldName(), Qt::CaseInsensitive))
        DataSetChanged();
}

void TMasterDataLink::DataSetChanged() {
    if (FDetail->Active() && FDetail->MasterValues() != FDetail->FMasterValues)
        FDetail->MasterChanged();
}

// ---- Table ---------------------------------------------------------------------------

TTable::TTable(TComponent* AOwner)
    : TSqlDataSet(AOwner), FIndexDefs(new TIndexDefs(this)), FMasterLink(this) {
    FIndexDefs->SetReader([this](TIndexDefs& defs) { ReadIndexDefs(defs); });
}

TTable::~TTable() {
    FMasterLink.SetDataSource(nullptr);
    CloseOnDestroy();
}

void TTable::SetTableName(const QString& Value) {
    CheckInactive();
    FTableName = Value;
    FIndexDefs->SetUpdated(false);
}

QString TTable::BaseTableName() const {
    static const QStringList extensions{QStringLiteral(".db"), QStringLiteral(".dbf")};
    for (const QString& ext : extensions)
        if (FTableName.endsWith(ext, Qt::CaseInsensitive))
            return FTableName.left(FTableName.size() - ext.size());
    return FTableName;
}

QString TTable::QuotedTable() const {
    return QuoteSqlName(BaseTableName());
}

void TTable::SetIndexFieldNames(const QString& Value) {
    if (FIndexFieldNames != Value)
        ChangeOrder(Value, Value.isEmpty() ? FIndexName : QString());
}

void TTable::SetIndexName(const QString& Value) {
    if (FIndexName != Value)
        ChangeOrder(Value.isEmpty() ? FIndexFieldNames : QString(), Value);
}

void TTable::ChangeOrder(const QString& FieldNames, const QString& IndexName) {
    if (Active())
        CheckBrowseMode();
    const QString fieldNames = FIndexFieldNames;
    const QString indexName = FIndexName;
    FIndexFieldNames = FieldNames;
    FIndexName = IndexName;
    if (!Active())
        return;
    try {
        Reposition();
    } catch (...) {
        // A refused order leaves the previous one in force.
        FIndexFieldNames = fieldNames;
        FIndexName = indexName;
        Reposition();
        throw;
    }
    Resync();
}

void TTable::SetMasterFields(const QString& Value) {
    FMasterFields = Value;
    FMasterFieldList.clear();
    if (Active())
        MasterChanged();
}

TDataSource* TTable::MasterSource() const {
    return FMasterLink.DataSource();
}

void TTable::SetMasterSource(TDataSource* Value) {
    if (Value && Value->IsLinkedTo(this))
        throw EDatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    if (MasterSource())
        MasterSource()->RemoveFreeNotification(this);
    FMasterLink.SetDataSource(Value);
    FMasterFieldList.clear();
    if (Value)
        Value->FreeNotification(this);
    if (Active())
        MasterChanged();
}

void TTable::Notification(TComponent* AComponent, TOperation Operation) {
    TSqlDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == MasterSource())
        FMasterLink.SetDataSource(nullptr);
}

void TTable::SetReadOnly(bool Value) {
    CheckInactive();
    FReadOnly = Value;
}

bool TTable::IsStoredProp(const QString& Name) const {
    if (Name == QLatin1String("IndexDefs"))
        return FStoreDefs;
    return TSqlDataSet::IsStoredProp(Name);
}

bool TTable::CanModify() const {
    return TSqlDataSet::CanModify() && !FReadOnly;
}

bool TTable::Exists() {
    const bool wasOpen = Database() != nullptr;
    OpenDatabase();
    const bool exists = Connection()->TableExists(BaseTableName());
    if (!wasOpen)
        CloseDatabase();
    return exists;
}

void TTable::ReadIndexDefs(TIndexDefs& Defs) {
    const bool wasOpen = Database() != nullptr;
    OpenDatabase();
    QList<TIndexInfo> indexes;
    try {
        indexes = Connection()->TableIndexes(BaseTableName());
    } catch (...) {
        if (!wasOpen)
            CloseDatabase();
        throw;
    }
    if (!wasOpen)
        CloseDatabase();
    Defs.BeginUpdate();
    Defs.Clear();
    for (const TIndexInfo& info : indexes) {
        TIndexOptions options;
        if (info.Primary)
            options.Include(ixPrimary);
        if (info.Unique)
            options.Include(ixUnique);
        if (info.Descending)
            options.Include(ixDescending);
        if (info.CaseInsensitive)
            options.Include(ixCaseInsensitive);
        if (info.Expression)
            options.Include(ixExpression);
        // CreateTable prefixes index names with the table's, as engines share one name
        // space for the indexes of all tables; the definitions carry the names as given.
        const QString prefix = BaseTableName() + QLatin1Char('_');
        const QString name = info.Name.startsWith(prefix, Qt::CaseInsensitive)
                                 ? info.Name.mid(prefix.size())
                                 : info.Name;
        Defs.Add(name, info.Fields.join(QLatin1Char(';')), options);
    }
    Defs.EndUpdate();
}

// ---- Schema --------------------------------------------------------------------------

void TTable::CreateTable() {
    CheckInactive();
    OpenDatabase();
    TDbConnection* connection = Connection();
    QStringList columns;
    QStringList primary;
    bool autoKey = false;
    for (int i = 0; i < FieldDefs()->Count(); ++i) {
        const TFieldDef* def = FieldDefs()->Items(i);
        QString column;
        if (def->DataType() == ftAutoInc) {
            if (autoKey)
                throw EDatabaseError(QStringLiteral("A table can have one autoincrement field"));
            column = connection->AutoIncrementColumnSql(QuoteSqlName(def->Name()));
            autoKey = true;
        } else {
            column = QuoteSqlName(def->Name()) + QLatin1Char(' ') +
                     connection->ColumnTypeSql(def->DataType(), def->Size());
        }
        if (def->Required() && def->DataType() != ftAutoInc) {
            column += QStringLiteral(" NOT NULL");
        }
        columns << column;
    }
    QStringList statements;
    for (int i = 0; i < FIndexDefs->Count(); ++i) {
        const TIndexDef* index = FIndexDefs->Items(i);
        if (index->Options().Contains(ixExpression))
            throw EDatabaseError(QStringLiteral("Index %1: expression indexes cannot be created")
                                     .arg(index->Name()));
        QStringList fields;
        for (const QString& name : SplitFieldNames(index->Fields())) {
            const QString field = index->Options().Contains(ixCaseInsensitive)
                                      ? connection->CaseInsensitiveIndexColumn(QuoteSqlName(name))
                                      : QuoteSqlName(name);
            fields << field + connection->IndexOrderSql(index->Options().Contains(ixDescending));
        }
        if (index->Options().Contains(ixPrimary)) {
            // A key's columns are plain names: its order is the engine's own.
            if (!autoKey)
                for (const QString& name : SplitFieldNames(index->Fields()))
                    primary << QuoteSqlName(name);
            continue;
        }
        const QString name = index->Name().isEmpty()
                                 ? QStringLiteral("%1_%2").arg(BaseTableName()).arg(i)
                                 : QStringLiteral("%1_%2").arg(BaseTableName(), index->Name());
        statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                          .arg(index->Options().Contains(ixUnique) ? QStringLiteral("UNIQUE ")
                                                                   : QString(),
                               QuoteSqlName(name), QuotedTable(),
                               fields.join(QStringLiteral(", ")));
    }
    if (!primary.isEmpty())
        columns << QStringLiteral("PRIMARY KEY (%1)").arg(primary.join(QStringLiteral(", ")));
    statements.prepend(QStringLiteral("CREATE TABLE %1 (%2)")
                           .arg(QuotedTable(), columns.join(QStringLiteral(", "))));
    const bool ownTransaction = !connection->InTransaction();
    if (ownTransaction)
        connection->StartTransaction();
    try {
        for (const QString& sql : statements)
            connection->Execute(sql);
        connection->EnsureRowKey(BaseTableName());
        if (ownTransaction)
            connection->Commit();
    } catch (...) {
        if (ownTransaction)
            connection->Rollback();
        CloseDatabase();
        throw;
    }
    CloseDatabase();
    FIndexDefs->SetUpdated(false);
}

void TTable::EmptyTable() {
    const bool wasActive = Active();
    if (wasActive)
        CheckBrowseMode();
    OpenDatabase();
    Connection()->Execute(QStringLiteral("DELETE FROM %1").arg(QuotedTable()));
    if (wasActive) {
        Refresh();
    } else {
        CloseDatabase();
    }
}

void TTable::DeleteTable() {
    CheckInactive();
    OpenDatabase();
    try {
        Connection()->Execute(QStringLiteral("DROP TABLE %1").arg(QuotedTable()));
    } catch (...) {
        CloseDatabase();
        throw;
    }
    CloseDatabase();
}

// ---- Opening -------------------------------------------------------------------------

namespace {

// Raises for a missing table, naming the database too when it holds no table at all.
void CheckTableExists(TDbConnection* Connection, const QString& Table, const QString& Written,
                      const QString& Database) {
    if (Connection->TableExists(Table))
        return;
    throw EDatabaseError(Connection->TableNames().isEmpty()
                             ? QStringLiteral("Table '%1' does not exist: %2 holds no database")
                                   .arg(Written, Database)
                             : QStringLiteral("Table '%1' does not exist").arg(Written));
}

} // namespace

void TTable::InternalInitFieldDefs() {
    TDbConnection* connection = Connection();
    CheckTableExists(connection, BaseTableName(), FTableName, DatabaseName());
    QList<TFieldDefinition> definitions;
    for (const TColumnInfo& column : connection->TableColumns(BaseTableName())) {
        TFieldDefinition definition{column.Name};
        definition.Type = connection->FieldTypeOf(column, definition.Size);
        definition.Required = column.NotNull && definition.Type != ftAutoInc;
        definitions << definition;
    }
    AssignFieldDefs(*FieldDefs(), definitions);
}

void TTable::InternalOpen() {
    OpenDatabase();
    try {
        if (FTableName.isEmpty())
            throw EDatabaseError(QStringLiteral("%1: Missing TableName").arg(Name()));
        CheckTableExists(Connection(), BaseTableName(), FTableName, DatabaseName());
        if (!FIndexDefs->Updated())
            FIndexDefs->Update();
        TSqlDataSet::InternalOpen();
        FSourceNames.reset();
        FMasterValues = MasterValues();
        Reposition();
    } catch (...) {
        CloseDatabase();
        throw;
    }
}

QStringList TTable::IndexFields() const {
    QList<bool> descending;
    return OrderFields(descending);
}

bool TTable::IndexIgnoresCase() const {
    QList<bool> descending, ignoreCase;
    OrderFields(descending, &ignoreCase);
    return ignoreCase.contains(true);
}

QList<bool> TTable::IndexDescending() const {
    QList<bool> descending;
    OrderFields(descending);
    return descending;
}

QStringList TTable::OrderFields(QList<bool>& Descending, QList<bool>* IgnoreCase) const {
    Descending.clear();
    if (IgnoreCase)
        IgnoreCase->clear();
    if (!FIndexFieldNames.isEmpty()) {
        const QStringList fields = SplitFieldNames(FIndexFieldNames);
        for (qsizetype i = 0; i < fields.size(); ++i)
            Descending << false;
        return fields;
    }
    const TIndexDef* index = nullptr;
    if (!FIndexName.isEmpty()) {
        const int i = FIndexDefs->IndexOf(FIndexName);
        if (i < 0)
            throw EDatabaseError(QStringLiteral("Index '%1' not found").arg(FIndexName));
        index = FIndexDefs->Items(i);
    } else {
        for (int i = 0; i < FIndexDefs->Count() && !index; ++i)
            if (FIndexDefs->Items(i)->Options().Contains(ixPrimary))
                index = FIndexDefs->Items(i);
    }
    if (!index)
        return {};
    const QStringList fields = SplitFieldNames(index->Fields());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        Descending << index->Options().Contains(ixDescending);
        if (IgnoreCase)
            *IgnoreCase << index->Options().Contains(ixCaseInsensitive);
    }
    return fields;
}

void TTable::DefineSource(TKeysetSource& source) {
    if (!FSourceNames) {
        TSourceNames names{QuotedTable(), {}, Connection()->RowIdColumn(BaseTableName()), {}};
        const QList<TColumnInfo> declared = Connection()->TableColumns(BaseTableName());
        for (int i = 0; i < FieldDefs()->Count(); ++i) {
            const QString& name = FieldDefs()->Items(i)->Name();
            names.Columns << QuoteSqlName(name);
            names.NotNull << std::any_of(declared.cbegin(), declared.cend(),
                                         [&name](const TColumnInfo& Column) {
                                             return Column.NotNull && Column.Name == name;
                                         });
        }
        FSourceNames = std::move(names);
    }
    source.From = FSourceNames->From;
    source.Columns = FSourceNames->Columns;
    source.RowKey = FSourceNames->RowKey;
    const QStringList order = OrderFields(source.Descending, &source.IgnoreCase);
    for (const QString& name : order) {
        const int column = FieldDefs()->IndexOf(name);
        if (column < 0)
            throw EDatabaseError(QStringLiteral("%1: Field '%2' not found").arg(Name(), name));
        source.OrderColumns << column;
        source.NotNull << FSourceNames->NotNull[column];
    }
    if (MasterSource() && !FMasterFields.isEmpty()) {
        const QStringList masterFields = SplitFieldNames(FMasterFields);
        if (order.size() < masterFields.size())
            throw EDatabaseError(
                QStringLiteral("%1: the index has fewer fields than MasterFields").arg(Name()));
        QStringList conditions;
        for (qsizetype i = 0; i < masterFields.size(); ++i) {
            const Variant value = FMasterValues.value(i);
            if (VarIsNull(value)) {
                conditions = {QStringLiteral("1 = 0")}; // a master without a key has no details
                source.WhereParams.clear();
                break;
            }
            conditions << source.Columns[source.OrderColumns[i]] + QStringLiteral(" = ?");
            source.NotNull[i] = true;
            source.WhereParams << ToEngine(FieldDefs()->Find(order[i])->DataType(), value);
        }
        source.Where = conditions.join(QStringLiteral(" AND "));
    }
}

bool TTable::InternalAdmits(const TRecord& Record) {
    if (!MasterSource() || FMasterFields.isEmpty())
        return true;
    QList<bool> descending;
    const QStringList order = OrderFields(descending);
    const qsizetype count = SplitFieldNames(FMasterFields).size();
    for (qsizetype i = 0; i < count; ++i) {
        const Variant master = FMasterValues.value(i);
        const Variant value = Record.Values.value(FieldDefs()->IndexOf(order.value(i)));
        if (VarIsNull(master) || !VarSameValue(master, value))
            return false;
    }
    return true;
}

QVariantList TTable::MasterValues() const {
    QVariantList values;
    TDataSource* master = MasterSource();
    if (!master || !master->DataSet() || !master->DataSet()->Active())
        return values;
    const auto gone = [](const QPointer<TField>& field) {
        return field.isNull() || field->DataSet() == nullptr;
    };
    if (FMasterFieldList.isEmpty() ||
        std::any_of(FMasterFieldList.begin(), FMasterFieldList.end(), gone) ||
        FMasterFieldList.first()->DataSet() != master->DataSet()) {
        FMasterFieldList.clear();
        for (const QString& name : SplitFieldNames(FMasterFields))
            FMasterFieldList << master->DataSet()->FieldByName(name);
    }
    values.reserve(FMasterFieldList.size());
    for (const TField* field : std::as_const(FMasterFieldList))
        values << field->Value();
    return values;
}

void TTable::MasterChanged() {
    if (IsEditing())
        Cancel();
    const QVariantList values = MasterValues();
    auto keyed = [](const QVariantList& v) {
        return !v.isEmpty() && std::none_of(v.begin(), v.end(), VarIsNull);
    };
    // Another master record with a key: only the condition's values change.
    const bool sameQueries =
        Reader() && keyed(values) && keyed(FMasterValues) && SourceParamCount() == values.size();
    FMasterValues = values;
    if (sameQueries) {
        SetSourceParams(values);
    } else {
        Reposition();
    }
    First();
}

// ---- Reading -------------------------------------------------------------------------

// ---- Writing -------------------------------------------------------------------------

void TTable::InternalInitRecord(TRecord& Record) {
    // A new detail record belongs to the master's current record.
    if (!MasterSource() || FMasterFields.isEmpty())
        return;
    QList<bool> descending;
    const QStringList order = OrderFields(descending);
    for (qsizetype i = 0; i < FMasterValues.size() && i < order.size(); ++i)
        Record.Values[FieldDefs()->IndexOf(order[i])] = FMasterValues[i];
}
