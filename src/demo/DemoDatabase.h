#pragma once

// The demonstration program's database: continents, countries with their flags, languages
// with a font each, a three-level tree of professions, people and their jobs. The rows come
// from the text files of the program's resources (data/*.txt); people and jobs are made up
// from them by a seeded generator, so every database made with the same counts is the same.

#include <QString>

// The alias the demonstration program's datasets name.
inline const QString DemoAlias = QStringLiteral("KroExample");

// The number of people of the database the program makes on its first start.
inline constexpr int DemoPeopleCount = 300;

// Creates and fills the six tables in the database of Alias unless it has a people table
// already; true when it created them. The first people get notes, pictures and rich text.
bool CreateDemoDatabase(const QString& Alias, int People = DemoPeopleCount);

// Adds Count people with their jobs, without pictures, in one transaction: the large
// variants of the database for benchmarks.
void AddDemoPeople(const QString& Alias, int Count);

// Creates the database of Alias with People people: the first ones as the program's first
// start makes them, the rest by AddDemoPeople. False when it holds a people table already.
bool GenerateDemoDatabase(const QString& Alias, int People);
