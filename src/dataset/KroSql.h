#pragma once

// SQL texts of the library's datasets: the "order by" clause read and rewritten, the order
// of a query or a table set and read through one interface, and a one-value SQL runner.

#include <QString>
#include <rtl/Variant.h>

class TDataSet;

// Positions are 1-based; 0 means none.
// The "order by" clause outside quotes: the position of its "order" (ReturnStart) or the
// one just after its "by".
int FindOrderBy(const QString& SQL, bool ReturnStart);
// The field names of the clause, ";"-separated; direction words are left out.
QString GetOrderByFields(const QString& SQL);
// SQL with its clause replaced by one on FieldList (";"-separated), each name in double
// quotes when Quotes; an empty list drops the clause.
QString BuildOrderBySQL(const QString& SQL, const QString& FieldList, bool Quotes);
// "(A) and (B)", or the one that is not empty.
QString AndConditions(const QString& A, const QString& B);

// Orders a query (rewriting its text) or a table (setting IndexFieldNames); an open one
// stays on its current record when KeepPosition and the dataset has a key.
void SetOrderBy(TDataSet* DataSet, const QString& FieldList, bool KeepPosition, bool Quotes);
// The dataset's order as ";"-separated field names.
QString GetCurrentOrder(TDataSet* DataSet);

// The first column of the first row of the statement, or Null. Errors of the statement
// propagate unless IgnoreErrors.
Variant GetFromSQLText(const QString& DatabaseName, const QString& SQL, bool IgnoreErrors);
