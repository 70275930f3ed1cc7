#pragma once

#include <QString>

// The alias the form's tables name.
inline const QString CustomersAlias = QStringLiteral("Customers");

// Points the alias at the SQLite database in Folder and creates the database there, with a
// few countries and customers, when it has no customer table yet.
void OpenCustomersDatabase(const QString& Folder);
