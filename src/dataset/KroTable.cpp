#include "KroTable.h"

#include <db/DataSource.h>
#include <db/Database.h>
#include <db/Fields.h>
#include <rtl/Exceptions.h>

TKroAfterOpenProc KroAfterOpenHook = nullptr;

TKroDataSetProperties::TKroDataSetProperties(TDataSet* DataSet)
    : FDataSet(DataSet), FSortingList(new TStringList(DataSet)) {}

TKroDataSetProperties::~TKroDataSetProperties() {
    delete FSortingList;
}

void TKroDataSetProperties::SetSortingList(TStrings* Value) {
    FSortingList->Assign(Value);
    FDataSet->DataEvent(deDataSetChange);
}

namespace {

void RunAfterOpenHook(TDataSet* DataSet) {
    if (KroAfterOpenHook)
        KroAfterOpenHook(DataSet);
}

// The query that reads the largest value of an auto-increment column, shared by every
// dataset, with its one persistent field.
class TNumberingQuery {
public:
    TNumberingQuery() : FMaximum(new TIntegerField(&FQuery)) {
        FMaximum->SetFieldName(QStringLiteral("MaxNumAutoIncQuery"));
        FMaximum->SetDataSet(&FQuery);
    }

    // The largest value of Field in TableName plus one (1 for an empty table). The names
    // go as written: local SQL quotes those the server stores in mixed case and drops a
    // table file's extension, so a folded or schema-qualified name is found as in any
    // other statement.
    qint64 NextNumber(const QString& DatabaseName, const QString& TableName, const TField* Field) {
        FQuery.SetDatabaseName(DatabaseName);
        FQuery.SQL()->Add(QStringLiteral("select max(%1) as \"MaxNumAutoIncQuery\" from %2")
                              .arg(Field->FieldName(), TableName));
        qint64 number = 0;
        try {
            FQuery.Open();
            number = FMaximum->AsInteger() + 1;
        } catch (...) {
            Reset();
            throw;
        }
        Reset();
        return number;
    }

private:
    void Reset() {
        FQuery.Close();
        FQuery.SQL()->Clear();
    }

    TQuery FQuery;
    TIntegerField* FMaximum; // owned by the query
};

TNumberingQuery& NumberingQuery() {
    static TNumberingQuery query;
    return query;
}

// Gives the auto-increment fields of a record being inserted the next numbers of the
// table, on SQL servers (a desktop engine numbers them itself).
void NumberAutoIncFields(TDBDataSet* DataSet, const QString& TableName) {
    if (DataSet->State() != dsInsert || !DataSet->Database() || !DataSet->Database()->IsSQLBased())
        return;
    for (TField* field : *DataSet->Fields()) {
        if (field->DataType() != ftAutoInc)
            continue;
        const qint64 number =
            NumberingQuery().NextNumber(DataSet->DatabaseName(), TableName, field);
        ForceFieldValue(field, number);
    }
}

} // namespace

// ---- TKroTable ----------------------------------------------------------------------------

TKroTable::TKroTable(TComponent* AOwner) : TTable(AOwner), TKroDataSetProperties(this) {}

void TKroTable::InternalOpen() {
    TTable::InternalOpen();
    RunAfterOpenHook(this);
}

void TKroTable::DoBeforeInsert() {
    TDataSource* source = GetDataSource();
    if (TDataSet* master = source ? source->DataSet() : nullptr) {
        if (master->State() == dsInsert) {
            master->Post();
            if (master->State() == dsInsert)
                Abort();
        }
        if (master->Bof() && master->Eof())
            Abort();
    }
    TTable::DoBeforeInsert();
}

void TKroTable::DoBeforePost() {
    NumberAutoIncFields(this, TableName());
    TTable::DoBeforePost();
}

// ---- TKroQuery ----------------------------------------------------------------------------

TKroQuery::TKroQuery(TComponent* AOwner) : TQuery(AOwner), TKroDataSetProperties(this) {}

void TKroQuery::InternalOpen() {
    TQuery::InternalOpen();
    RunAfterOpenHook(this);
    if (!FTableName.isEmpty() && SortingList()->Count() == 0 && !IsDesigning())
        FillSortingList();
}

void TKroQuery::FillSortingList() {
    TTable table;
    table.SetDatabaseName(DatabaseName());
    table.SetTableName(FTableName);
    TIndexDefs* defs = table.IndexDefs();
    defs->Update();
    for (int i = 0; i < defs->Count(); ++i)
        SortingList()->Add(defs->Items(i)->Options().Contains(ixExpression)
                               ? QString()
                               : defs->Items(i)->Fields());
}

void TKroQuery::DoBeforePost() {
    NumberAutoIncFields(this, FTableName);
    TQuery::DoBeforePost();
}
