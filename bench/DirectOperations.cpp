#include "DirectOperations.h"

#include <stdexcept>

const TDirectSqlTexts SqliteTexts = {
    "id, Name, Sex, Lang, Pasport, Prof, Continent, Country, Info, Image, Rich",
    "SELECT %COLUMNS% FROM People ORDER BY Name, rowid LIMIT 50",
    "SELECT * FROM People ORDER BY Name LIMIT 50",
    "SELECT %COLUMNS% FROM People ORDER BY Name DESC, rowid DESC LIMIT 1",
    "SELECT %COLUMNS% FROM People WHERE (Name, rowid) > (?, ?) ORDER BY Name, rowid LIMIT 50",
    "SELECT %COLUMNS% FROM People WHERE rowid = ?",
    "SELECT %COLUMNS% FROM People WHERE id >= ? ORDER BY id LIMIT ?",
    "SELECT Id, People, DateBe, DateEn, Company, JobPosition FROM Job WHERE People = ? "
    "ORDER BY DateBe, rowid",
    "SELECT COUNT(*) FROM People",
    "SELECT %COLUMNS% FROM People WHERE Name COLLATE NOCASE >= ? AND Name COLLATE NOCASE < ? "
    "ORDER BY Name, rowid LIMIT 1",
    "SELECT COUNT(*) FROM People WHERE Sex = 2 AND Lang = 3",
    "SELECT %COLUMNS% FROM People WHERE Name >= ? ORDER BY Name, rowid LIMIT 1",
};

// The tables as the datasets make them on the server: names quoted in their case, nulls
// first in ascending indexes, lower(Name) indexed for comparisons ignoring case.
const TDirectSqlTexts PostgresTexts = {
    R"("id", "Name", "Sex", "Lang", "Pasport", "Prof", "Continent", "Country", "Info", "Image", )"
    R"("Rich")",
    R"(SELECT %COLUMNS% FROM "People" ORDER BY "Name" NULLS FIRST, "id" LIMIT 50)",
    R"(SELECT * FROM "People" ORDER BY "Name" NULLS FIRST, "id" LIMIT 50)",
    R"(SELECT %COLUMNS% FROM "People" ORDER BY "Name" DESC NULLS LAST, "id" DESC LIMIT 1)",
    R"(SELECT %COLUMNS% FROM "People" WHERE ("Name", "id") > (?, ?) )"
    R"(ORDER BY "Name" NULLS FIRST, "id" LIMIT 50)",
    R"(SELECT %COLUMNS% FROM "People" WHERE "id" = ?)",
    R"(SELECT %COLUMNS% FROM "People" WHERE "id" >= ? ORDER BY "id" LIMIT ?)",
    R"(SELECT "Id", "People", "DateBe", "DateEn", "Company", "JobPosition" FROM "Job" )"
    R"(WHERE "People" = ? ORDER BY "DateBe" NULLS FIRST, "Id")",
    R"(SELECT COUNT(*) FROM "People")",
    // The range fenced in a subquery: the planner takes the lower("Name") index for it
    // instead of walking the Name order and filtering.
    R"(SELECT * FROM (SELECT %COLUMNS% FROM "People" WHERE lower("Name") >= ? )"
    R"(AND lower("Name") < ? OFFSET 0) AS p ORDER BY "Name" NULLS FIRST, "id" LIMIT 1)",
    R"(SELECT COUNT(*) FROM "People" WHERE "Sex" = 2 AND "Lang" = 3)",
    R"(SELECT %COLUMNS% FROM "People" WHERE "Name" >= ? ORDER BY "Name" NULLS FIRST, "id" LIMIT 1)",
};

namespace {

std::string Sql(std::string Text, const char* Columns) {
    const auto at = Text.find("%COLUMNS%");
    if (at != std::string::npos)
        Text.replace(at, 9, Columns);
    return Text;
}

// The prefix with its last character raised by one: ASCII names only.
std::string PrefixEnd(std::string Prefix) {
    if (Prefix.empty() || static_cast<unsigned char>(Prefix.back()) >= 0x7f)
        throw std::runtime_error("the name prefix must be non-empty ASCII");
    ++Prefix.back();
    return Prefix;
}

} // namespace

TDirectOperations::TDirectOperations(TDirectConnection& Connection, TDirectKeys Keys,
                                     const TDirectSqlTexts& Texts)
    : FKeys(std::move(Keys)), FPrefixEnd(PrefixEnd(FKeys.NamePrefix)),
      FRarePrefixEnd(PrefixEnd(FKeys.RarePrefix)) {
    const auto prepare = [&](const char* Text) {
        return Connection.Prepare(Sql(Text, Texts.Columns));
    };
    FFirstRows = prepare(Texts.FirstRows);
    FSelectFirstPage = prepare(Texts.SelectFirstPage);
    FLastRow = prepare(Texts.LastRow);
    FAfterRow = prepare(Texts.AfterRow);
    FByRowId = prepare(Texts.ByRowId);
    FMasterRows = prepare(Texts.MasterRows);
    FJobs = prepare(Texts.Jobs);
    FCount = prepare(Texts.Count);
    FWithPrefix = prepare(Texts.WithPrefix);
    FFilteredCount = prepare(Texts.FilteredCount);
    FAtOrAfter = prepare(Texts.AtOrAfter);
}

void TDirectOperations::ReadRows(TDirectStatement& Statement, TVisited& Visited) {
    while (Statement.Step()) {
        for (int c = 0; c < Statement.ColumnCount(); ++c)
            Visited.Characters += Statement.TextLength(c);
        Visited.Add(Statement.Integer(0));
    }
}

void TDirectOperations::AddCount(TDirectStatement& Statement, TVisited& Visited) {
    Statement.Reset();
    Statement.Step();
    Visited.Add(Statement.Integer(0));
}

void TDirectOperations::FirstByName(TVisited& Visited) {
    FFirstRows->Reset();
    ReadRows(*FFirstRows, Visited);
}

void TDirectOperations::SelectFirstPage(TVisited& Visited) {
    FSelectFirstPage->Reset();
    ReadRows(*FSelectFirstPage, Visited);
}

void TDirectOperations::LastByName(TVisited& Visited) {
    FLastRow->Reset();
    ReadRows(*FLastRow, Visited);
}

void TDirectOperations::NextFromMiddle(TVisited& Visited) {
    FAfterRow->Reset();
    FAfterRow->Bind(1, FKeys.MiddleName);
    FAfterRow->Bind(2, FKeys.MiddleId);
    ReadRows(*FAfterRow, Visited);
}

void TDirectOperations::MiddleRow(TVisited& Visited) {
    FByRowId->Reset();
    FByRowId->Bind(1, FKeys.MiddleId);
    ReadRows(*FByRowId, Visited);
}

void TDirectOperations::MasterDetail(TVisited& Visited) {
    FMasterRows->Reset();
    FMasterRows->Bind(1, FKeys.FirstPerson + 1);
    FMasterRows->Bind(2, std::int64_t(MasterMoves));
    while (FMasterRows->Step()) {
        const std::int64_t person = FMasterRows->Integer(0);
        Visited.Add(person);
        FJobs->Reset();
        FJobs->Bind(1, person);
        ReadRows(*FJobs, Visited);
    }
}

void TDirectOperations::Count(TVisited& Visited) {
    AddCount(*FCount, Visited);
}

void TDirectOperations::FirstStartingWith(const std::string& Prefix, const std::string& End,
                                          TVisited& Visited) {
    FWithPrefix->Reset();
    FWithPrefix->Bind(1, Prefix);
    FWithPrefix->Bind(2, End);
    ReadRows(*FWithPrefix, Visited);
}

void TDirectOperations::FirstWithPrefix(TVisited& Visited) {
    FirstStartingWith(FKeys.NamePrefix, FPrefixEnd, Visited);
}

void TDirectOperations::FirstWithRarePrefix(TVisited& Visited) {
    FirstStartingWith(FKeys.RarePrefix, FRarePrefixEnd, Visited);
}

void TDirectOperations::FilteredCount(TVisited& Visited) {
    AddCount(*FFilteredCount, Visited);
}

void TDirectOperations::NearestName(TVisited& Visited) {
    FAtOrAfter->Reset();
    FAtOrAfter->Bind(1, FKeys.MiddleName);
    ReadRows(*FAtOrAfter, Visited);
}
