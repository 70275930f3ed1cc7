#pragma once

#include <QHash>
#include <QString>

class QDate;
class QDateTime;

// Local SQL: statements written for a desktop database whose tables are files, so table
// names carry the extension ".db" or ".dbf". TranslateLocalSql gives the statement the
// engines run: a bare or double-quoted name ending in ".db" or ".dbf" (any case) and not
// followed by another identifier character loses the extension ("People.db" -> People,
// "\"People.DB\"" -> "\"People\""), wherever it stands; a qualified column such as T.Name
// stays. String literals and comments are kept as they are, and so is everything else
// but the trailing ";" and blanks, which are dropped.
//
// StoredNames (TDbConnection::StoredNames) maps names from lower case to the case stored:
// an unquoted name found there, neither a keyword nor a function called, is written
// quoted in the stored case.
QString TranslateLocalSql(const QString& Sql, const QHash<QString, QString>& StoredNames = {});

// Date constants for SQL texts, in the form the engines store dates in, so that comparing
// them with stored values as text compares the dates: '2024-02-29' and
// '2024-02-29 13:05:00.000' (local time, as TSqliteConnection binds date-times). An invalid
// date gives NULL.
QString SqlDateLiteral(const QDate& Date);
QString SqlDateTimeLiteral(const QDateTime& DateTime);
