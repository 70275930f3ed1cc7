#include "RenderTables.h"

#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Session.h>
#include <db/Table.h>

void MakeRenderTable(const QString& Alias, const char* Name,
                     const QList<std::pair<const char*, TFieldType>>& Fields) {
    TTable table;
    table.SetDatabaseName(Alias);
    table.SetTableName(QString::fromLatin1(Name));
    for (const auto& [field, type] : Fields)
        table.FieldDefs()->Add(QString::fromLatin1(field), type, type == ftString ? 16 : 0);
    table.CreateTable();
}

void InsertRenderRows(const QString& Alias, const QString& Sql, const QList<QVariantList>& Rows) {
    TDbConnection* connection = Session()->OpenDatabase(Alias)->Connection();
    for (const QVariantList& row : Rows)
        connection->Execute(Sql, row);
}
