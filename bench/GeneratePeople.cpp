// generate_people DIR N: makes DIR/tables.sqlite3 with the demo's tables (countries,
// languages, professions, people, jobs), created by the dataset layer, and fills it with N
// people through the C API.

#include "RawSqlite.h"

#include <QDir>
#include <QFile>
#include <array>
#include <chrono>
#include <cstdio>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <db/Session.h>
#include <db/Table.h>
#include <exception>
#include <memory>

namespace {

constexpr int CountryCount = 200;
constexpr int PeopleWithJobs = 10000;
constexpr int LanguageCount = 20; // of the Lang column
constexpr int LangRows = 50;      // the Language column's keys
// The profession tree: 4 roots, 5 children each, then 96 leaves under those 20.
constexpr int ProfRoots = 4;
constexpr int ProfMiddle = 20;
constexpr int ProfRows = 120; // the Profession column's keys

// A deterministic sequence (splitmix64), the same on every platform.
class TRandom {
public:
    std::uint64_t Next() {
        std::uint64_t z = (FState += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // A number in [Low, High].
    int Between(int Low, int High) { return Low + int(Next() % std::uint64_t(High - Low + 1)); }

private:
    std::uint64_t FState = 20240601;
};

// A capitalized word of Syllables syllables.
std::string Word(TRandom& Random, int Syllables) {
    static const std::array<const char*, 32> syllables{
        "ka",  "lo",  "mi",  "ra",  "te", "su",  "do", "ven", "mar", "li",  "no",
        "sa",  "ber", "tu",  "gor", "el", "an",  "vi", "zo",  "pe",  "qua", "ri",
        "mon", "da",  "fel", "ha",  "jo", "cas", "ti", "wen", "or",  "bu"};
    std::string word;
    for (int i = 0; i < Syllables; ++i)
        word += syllables[Random.Next() % syllables.size()];
    word[0] = char(word[0] - 'a' + 'A');
    return word;
}

// Country, People and Job as the demo declares them, made by the dataset layer.
void CreateTables(const QString& Alias) {
    RegisterFieldClasses();
    const auto newTable = [&](const char* Name) {
        auto table = std::make_unique<TTable>();
        table->SetDatabaseName(Alias);
        table->SetTableName(QString::fromLatin1(Name));
        return table;
    };
    auto country = newTable("Country");
    country->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    country->FieldDefs()->Add(QStringLiteral("Continent"), ftInteger);
    country->CreateTable();

    auto lang = newTable("Lang");
    lang->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    lang->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    lang->FieldDefs()->Add(QStringLiteral("Font"), ftString, 30);
    lang->CreateTable();

    auto prof = newTable("Prof");
    prof->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    prof->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
    prof->FieldDefs()->Add(QStringLiteral("IdUp"), ftInteger);
    prof->FieldDefs()->Add(QStringLiteral("AmountDown"), ftInteger);
    prof->CreateTable();

    auto people = newTable("People");
    people->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    people->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
    people->FieldDefs()->Add(QStringLiteral("Country"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Language"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Profession"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Birth"), ftDate);
    people->FieldDefs()->Add(QStringLiteral("Salary"), ftCurrency);
    people->FieldDefs()->Add(QStringLiteral("Active"), ftBoolean);
    people->FieldDefs()->Add(QStringLiteral("Sex"), ftSmallint);
    people->FieldDefs()->Add(QStringLiteral("Lang"), ftInteger);
    people->FieldDefs()->Add(QStringLiteral("Notes"), ftMemo);
    people->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
    people->IndexDefs()->Add(QStringLiteral("ByCountry"), QStringLiteral("Country;Name"), {});
    people->IndexDefs()->Add(QStringLiteral("ByNameNoCase"), QStringLiteral("Name"),
                             {ixCaseInsensitive});
    people->CreateTable();

    auto job = newTable("Job");
    job->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    job->FieldDefs()->Add(QStringLiteral("People"), ftInteger);
    job->FieldDefs()->Add(QStringLiteral("Title"), ftString, 40);
    job->IndexDefs()->Add(QStringLiteral("ByPeople"), QStringLiteral("People;Title"), {});
    job->CreateTable();
}

void FillCountries(TRawDatabase& Db, TRandom& Random) {
    TRawStatement insert(Db.Handle(), "INSERT INTO Country (Id, Name, Continent) VALUES (?, ?, ?)");
    for (int id = 1; id <= CountryCount; ++id) {
        insert.Reset();
        insert.Bind(1, std::int64_t(id));
        insert.Bind(2, Word(Random, Random.Between(2, 3)));
        insert.Bind(3, std::int64_t(Random.Between(1, 6)));
        insert.Step();
    }
}

void FillLanguages(TRawDatabase& Db, TRandom& Random) {
    static const std::array<const char*, 4> fonts{"Arial", "Courier New", "Times New Roman",
                                                  "Tahoma"};
    TRawStatement insert(Db.Handle(), "INSERT INTO Lang (Id, Name, Font) VALUES (?, ?, ?)");
    for (int id = 1; id <= LangRows; ++id) {
        insert.Reset();
        insert.Bind(1, std::int64_t(id));
        insert.Bind(2, Word(Random, Random.Between(2, 3)) + "ish");
        insert.Bind(3, std::string(fonts[Random.Next() % fonts.size()]));
        insert.Step();
    }
}

// Three levels: each row's IdUp is its parent, AmountDown the number of its children.
void FillProfessions(TRawDatabase& Db, TRandom& Random) {
    const auto parentOf = [](int Id) {
        if (Id <= ProfRoots)
            return 0;
        if (Id <= ProfRoots + ProfMiddle)
            return (Id - ProfRoots - 1) % ProfRoots + 1;
        return (Id - ProfRoots - ProfMiddle - 1) % ProfMiddle + ProfRoots + 1;
    };
    std::array<int, ProfRows + 1> children{};
    for (int id = 1; id <= ProfRows; ++id)
        ++children[parentOf(id)];
    TRawStatement insert(Db.Handle(),
                         "INSERT INTO Prof (Id, Name, IdUp, AmountDown) VALUES (?, ?, ?, ?)");
    for (int id = 1; id <= ProfRows; ++id) {
        insert.Reset();
        insert.Bind(1, std::int64_t(id));
        insert.Bind(2, Word(Random, Random.Between(2, 4)) + "er");
        if (parentOf(id) == 0)
            insert.BindNull(3);
        else
            insert.Bind(3, std::int64_t(parentOf(id)));
        insert.Bind(4, std::int64_t(children[id]));
        insert.Step();
    }
}

void FillPeople(TRawDatabase& Db, TRandom& Random, int Count) {
    TRawStatement insert(
        Db.Handle(), "INSERT INTO People (Id, Name, Country, Language, Profession, Birth, "
                     "Salary, Active, Sex, Lang, Notes) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    char birth[16];
    for (int id = 1; id <= Count; ++id) {
        insert.Reset();
        insert.Bind(1, std::int64_t(id));
        if (Random.Between(1, 1000) == 1)
            insert.BindNull(2);
        else
            insert.Bind(2, Word(Random, Random.Between(2, 3)) + ' ' +
                               Word(Random, Random.Between(2, 4)));
        insert.Bind(3, std::int64_t(Random.Between(1, CountryCount)));
        insert.Bind(4, std::int64_t(Random.Between(1, LangRows)));
        insert.Bind(5, std::int64_t(Random.Between(1, ProfRows)));
        std::snprintf(birth, sizeof birth, "%04d-%02d-%02d", Random.Between(1940, 2005),
                      Random.Between(1, 12), Random.Between(1, 28));
        insert.Bind(6, std::string(birth));
        insert.Bind(7, Random.Between(100000, 900000) / 100.0);
        insert.Bind(8, std::int64_t(Random.Between(0, 3) != 0));
        insert.Bind(9, std::int64_t(Random.Between(1, 2)));
        insert.Bind(10, std::int64_t(Random.Between(1, LanguageCount)));
        if (id % 20 == 0)
            insert.Bind(11, "Notes on person " + std::to_string(id));
        else
            insert.BindNull(11);
        insert.Step();
    }
}

// One to three jobs for each of the first people; returns how many.
int FillJobs(TRawDatabase& Db, TRandom& Random, int People) {
    static const std::array<const char*, 24> titles{
        "Accountant", "Architect", "Baker",    "Carpenter",  "Chemist", "Clerk",
        "Cook",       "Designer",  "Doctor",   "Driver",     "Editor",  "Electrician",
        "Engineer",   "Farmer",    "Gardener", "Journalist", "Lawyer",  "Librarian",
        "Mechanic",   "Musician",  "Nurse",    "Painter",    "Pilot",   "Teacher"};
    TRawStatement insert(Db.Handle(), "INSERT INTO Job (People, Title) VALUES (?, ?)");
    int count = 0;
    for (int person = 1; person <= People; ++person) {
        for (int jobs = Random.Between(1, 3); jobs > 0; --jobs, ++count) {
            insert.Reset();
            insert.Bind(1, std::int64_t(person));
            insert.Bind(2, std::string(titles[Random.Next() % titles.size()]));
            insert.Step();
        }
    }
    return count;
}

double SecondsSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: generate_people DIR N   (N > 0 people)\n");
        return 2;
    }
    try {
        const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
        if (!QDir().mkpath(dir))
            throw std::runtime_error("cannot create " + dir.toStdString());
        const QString file = QDir(dir).filePath(QLatin1String(StandardDatabaseFile));
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(file + QLatin1String(suffix));

        const auto start = std::chrono::steady_clock::now();
        Session()->SetConfigMode({cmSession});
        Session()->AddStandardAlias(QStringLiteral("GeneratePeople"), dir,
                                    QStringLiteral("STANDARD"));
        CreateTables(QStringLiteral("GeneratePeople"));
        const double schemaSeconds = SecondsSince(start);

        TRawDatabase db(file.toStdString());
        db.Execute("PRAGMA cache_size=-262144");
        db.Execute("BEGIN");
        TRandom random;
        FillCountries(db, random);
        FillLanguages(db, random);
        FillProfessions(db, random);
        FillPeople(db, random, count);
        const int jobs = FillJobs(db, random, std::min(count, PeopleWithJobs));
        db.Execute("COMMIT");
        db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        std::printf("%s: %d people, %d countries, %d jobs in %.2f s (schema %.3f s)\n",
                    qPrintable(file), count, CountryCount, jobs, SecondsSince(start),
                    schemaSeconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "generate_people: %s\n", e.what());
        return 1;
    }
    return 0;
}
