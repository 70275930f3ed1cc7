#pragma once

// The small tables the picture programs make in a temporary database.

#include <QList>
#include <QVariantList>
#include <db/Field.h>
#include <utility>

// Makes the table Name of the database Alias with Fields (text fields 16 characters).
void MakeRenderTable(const QString& Alias, const char* Name,
                     const QList<std::pair<const char*, TFieldType>>& Fields);
// Runs the statement Sql once per row of Rows in the database Alias.
void InsertRenderRows(const QString& Alias, const QString& Sql, const QList<QVariantList>& Rows);
