#pragma once

// People with the lookup fields of their language, profession and country ("Id;Name",
// kept in the records with StoreLookupData), for the grid benchmark and picture.

#include <QString>

class TComponent;
class TDataSource;
class TKroTable;

struct TLookupPeople {
    // Tables, fields and the source, owned by Owner; People opened in Id order.
    TLookupPeople(TComponent* Owner, const QString& Alias);

    TKroTable* People;
    TDataSource* Source;
};
