#pragma once

// Checks of the field types a connection reads from declared column types.

#include <QList>
#include <db/Connection.h>

// A declared column type and the field type and size it maps to.
struct TDeclaredTypeCase {
    const char* Declared;
    TFieldType Type;
    int Size;
};

// Expects Connection to map each declared type as its case says, twice over: the second
// pass takes what the connection remembers of the first.
void ExpectDeclaredTypes(const TDbConnection& Connection, const QList<TDeclaredTypeCase>& Cases);
