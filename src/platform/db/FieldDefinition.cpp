#include "FieldDefinition.h"

#include "FieldDefs.h"

void AssignFieldDefs(TFieldDefs& Defs, const QList<TFieldDefinition>& Definitions) {
    bool same = Defs.Count() == Definitions.size();
    for (int i = 0; i < Defs.Count() && same; ++i) {
        const TFieldDef* def = Defs.Items(i);
        const TFieldDefinition& definition = Definitions[i];
        same = def->Name() == definition.Name && def->DataType() == definition.Type &&
               def->Size() == definition.Size && def->Required() == definition.Required;
    }
    if (same)
        return;
    Defs.BeginUpdate();
    Defs.Clear();
    for (const TFieldDefinition& definition : Definitions)
        Defs.Add(definition.Name, definition.Type, definition.Size, definition.Required);
    Defs.EndUpdate();
}
