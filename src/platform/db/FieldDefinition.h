#pragma once

#include "FieldType.h"

#include <QList>
#include <QString>

class TFieldDefs;

// What a dataset defines a column as: its name, type, size and whether it needs a value.
struct TFieldDefinition {
    QString Name;
    TFieldType Type = ftUnknown;
    int Size = 0;
    bool Required = false;
};

// Makes Defs hold Definitions, in order. When they already do, the definitions stay as
// they are: a dataset reopened on the same columns builds none of them again.
void AssignFieldDefs(TFieldDefs& Defs, const QList<TFieldDefinition>& Definitions);
