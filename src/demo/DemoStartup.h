#pragma once

// Where the demonstration program finds its database, from its command line:
//   Example                    the embedded database in the data folder (DemoDataFolder)
//   Example --database DIR     the embedded database in DIR
//   Example --postgres URL     a PostgreSQL database, postgresql://[user@][host][:port]/db
//                              [?schema=name], filled from the embedded one when empty
// The alias is added for this session only, and only when the session does not know it.
// StartExample then makes the database when missing and creates the data module and the
// main form.

#include <QString>
#include <QStringList>
#include <optional>

struct TDemoPlace {
    QString Folder;   // the embedded database's folder, also for the filter files
    QString Postgres; // the server database's URL, or empty
};

// The place the command-line Arguments (after the program's name) name; nullopt when they
// name none (an unknown option or a missing value). ProgramFolder is where the program
// lies.
std::optional<TDemoPlace> DemoPlaceOf(const QStringList& Arguments, const QString& ProgramFolder);

// ProgramFolder when the program may write there (as when it runs from its build tree),
// else its folder in the user's data directory.
QString DemoDataFolder(const QString& ProgramFolder);

// Adds the demo's alias for this session, pointing at Place, unless the session has an
// alias of that name already; true when it added one. The session's configuration mode is
// what it was afterwards, also when adding fails.
bool RegisterDemoAlias(const TDemoPlace& Place);

// Makes the demo database where the alias points when it has none: on the embedded engine
// directly; on a server by copying the embedded database of Place.Folder (made first when
// missing). True when it made or copied one.
bool EnsureDemoDatabase(const TDemoPlace& Place);

// The start-up before the event loop: registers the alias for Place, makes the database
// when missing, keeps the filter files in Place.Folder, creates the data module DM1 and
// the main form Form1 and opens the datasets marked for opening at start-up.
void StartExample(const TDemoPlace& Place);
