#include "DirectOperations.h"

#include <stdexcept>

namespace {

const char* const PeopleColumns =
    "Id, Name, Country, Language, Profession, Birth, Salary, Active, Sex, Lang, Notes";

std::string Sql(std::string Text) {
    const auto at = Text.find("%COLUMNS%");
    if (at != std::string::npos)
        Text.replace(at, 9, PeopleColumns);
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

TDirectOperations::TDirectOperations(TDirectConnection& Connection, TDirectKeys Keys)
    : FKeys(std::move(Keys)), FPrefixEnd(PrefixEnd(FKeys.NamePrefix)) {
    const auto prepare = [&](const char* Text) { return Connection.Prepare(Sql(Text)); };
    FFirstRows = prepare("SELECT %COLUMNS% FROM People ORDER BY Name, rowid LIMIT 50");
    FSelectFirstPage = prepare("SELECT * FROM People ORDER BY Name LIMIT 50");
    FLastRow = prepare("SELECT %COLUMNS% FROM People ORDER BY Name DESC, rowid DESC LIMIT 1");
    FAfterRow = prepare("SELECT %COLUMNS% FROM People WHERE (Name, rowid) > (?, ?) "
                        "ORDER BY Name, rowid LIMIT 50");
    FByRowId = prepare("SELECT %COLUMNS% FROM People WHERE rowid = ?");
    FMasterRows = prepare("SELECT %COLUMNS% FROM People WHERE Id >= ? ORDER BY Id LIMIT ?");
    FJobs = prepare("SELECT Id, People, Title FROM Job WHERE People = ? ORDER BY Title, rowid");
    FCount = prepare("SELECT COUNT(*) FROM People");
    FWithPrefix = prepare("SELECT %COLUMNS% FROM People WHERE Name COLLATE NOCASE >= ? AND "
                          "Name COLLATE NOCASE < ? ORDER BY Name, rowid LIMIT 1");
    FFilteredCount = prepare("SELECT COUNT(*) FROM People WHERE Sex = 2 AND Lang = 3");
    FAtOrAfter =
        prepare("SELECT %COLUMNS% FROM People WHERE Name >= ? ORDER BY Name, rowid LIMIT 1");
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

void TDirectOperations::FirstWithPrefix(TVisited& Visited) {
    FWithPrefix->Reset();
    FWithPrefix->Bind(1, FKeys.NamePrefix);
    FWithPrefix->Bind(2, FPrefixEnd);
    ReadRows(*FWithPrefix, Visited);
}

void TDirectOperations::FilteredCount(TVisited& Visited) {
    AddCount(*FFilteredCount, Visited);
}

void TDirectOperations::NearestName(TVisited& Visited) {
    FAtOrAfter->Reset();
    FAtOrAfter->Bind(1, FKeys.MiddleName);
    ReadRows(*FAtOrAfter, Visited);
}
