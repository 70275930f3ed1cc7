#pragma once

#include "DirectSql.h"
#include "Visited.h"

#include <memory>

// Records read by the window operations, and master moves of the master-detail one.
constexpr int WindowRows = 50;
constexpr int MasterMoves = 100;

// The values the operations start from or look for, taken from the data.
struct TDirectKeys {
    std::string MiddleName;       // of the person in the middle of the Name order
    std::int64_t MiddleId = 0;    // that person's row
    std::int64_t FirstPerson = 0; // the smallest Id
    std::string NamePrefix;       // the lower-case leading part of a name near the end
    std::string RarePrefix;       // a longer leading part of that name, which few names share
};

// The statements of the operations as one writes them by hand for an engine, in the
// datasets' order (nulls first, ties by row key); "%COLUMNS%" stands for Columns.
struct TDirectSqlTexts {
    const char* Columns;
    const char* FirstRows;
    const char* SelectFirstPage;
    const char* LastRow;
    const char* AfterRow;
    const char* ByRowId;
    const char* MasterRows;
    const char* Jobs;
    const char* Count;
    const char* WithPrefix;
    const char* FilteredCount;
    const char* AtOrAfter;
};
extern const TDirectSqlTexts SqliteTexts;
extern const TDirectSqlTexts PostgresTexts;

// The benchmark's operations as SQL written by hand on a connection: each statement
// prepared once, every column of every row read as text, the Id (first column) recorded.
class TDirectOperations {
public:
    TDirectOperations(TDirectConnection& Connection, TDirectKeys Keys,
                      const TDirectSqlTexts& Texts);

    // The first people by Name, the columns named.
    void FirstByName(TVisited& Visited);
    // The first people of "SELECT * ... ORDER BY Name".
    void SelectFirstPage(TVisited& Visited);
    void LastByName(TVisited& Visited);
    // The people after the middle one by Name.
    void NextFromMiddle(TVisited& Visited);
    // The middle one, by rowid.
    void MiddleRow(TVisited& Visited);
    // The people after the first one by Id, and the jobs of each.
    void MasterDetail(TVisited& Visited);
    void Count(TVisited& Visited);
    // The first person by Name whose name starts with the prefix, ignoring case.
    void FirstWithPrefix(TVisited& Visited);
    // The same for the rare prefix.
    void FirstWithRarePrefix(TVisited& Visited);
    // The people of one sex and one language.
    void FilteredCount(TVisited& Visited);
    // The first person by Name at or after the middle name.
    void NearestName(TVisited& Visited);

private:
    static void ReadRows(TDirectStatement& Statement, TVisited& Visited);
    static void AddCount(TDirectStatement& Statement, TVisited& Visited);
    void FirstStartingWith(const std::string& Prefix, const std::string& End, TVisited& Visited);

    TDirectKeys FKeys;
    std::string FPrefixEnd; // the least text above every text that starts with the prefix
    std::string FRarePrefixEnd;
    std::unique_ptr<TDirectStatement> FFirstRows, FSelectFirstPage, FLastRow, FAfterRow, FByRowId,
        FMasterRows, FJobs, FCount, FWithPrefix, FFilteredCount, FAtOrAfter;
};
