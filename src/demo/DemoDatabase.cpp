#include "DemoDatabase.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <db/Connection.h>
#include <db/Database.h>
#include <db/FieldDefs.h>
#include <db/Session.h>
#include <db/Table.h>
#include <memory>
#include <random>
#include <rtl/Exceptions.h>
#include <ui/Graphics.h>

// The data files are a resource of a static library: they are registered on first use.
static void RegisterDemoData() {
    Q_INIT_RESOURCE(DemoData);
}

namespace {

// The lines of a data file of the resources, without comments and empty lines.
QStringList DataLines(const QString& Name) {
    QFile file(QStringLiteral(":/demo/data/") + Name);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("The demo data file %1 is missing").arg(Name));
    QStringList lines;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1Char('#')))
            lines << line;
    return lines;
}

struct TCountry {
    QString Name;
    int Continent = 0;
    QString Capital;
    QString Currency;
    QString Flag;
};

struct TLanguage {
    QString Name;
    QString Font;
    int FontSize = 10;
    QString Layout;
    QList<int> Countries; // ids
    QStringList MaleNames;
    QStringList FemaleNames;
    QStringList Surnames;
};

struct TProfession {
    QString Name;
    int Up = 0; // id of the parent; 0 at the top
    int Down = 0;
    int Level = 0;
};

const char* const Continents[] = {"Africa",        "Asia",          "Europe",
                                  "North America", "South America", "Oceania"};

const char* const Companies[] = {
    "Northwind Timber", "Blue Harbour Shipping", "Meridian Clinics",  "Quarry & Stone",
    "Lantern Software", "Green Valley Farms",    "Atlas Bridges",     "Silver Spoon Catering",
    "Keystone Academy", "Orchard Pharmacy",      "Polar Light Media", "Copperfield Audit",
    "Sunrise Bakery",   "Granite Builders",      "Windmill Energy",   "City Symphony"};

// Everything the data files hold, with the ids the rows get in the tables (1, 2, ...).
class TDemoData {
public:
    TDemoData() {
        RegisterDemoData();
        for (const QString& line : DataLines(QStringLiteral("countries.txt"))) {
            const QStringList f = line.split(QLatin1Char('|'));
            if (f.size() != 5)
                throw Exception(QStringLiteral("Bad country line: %1").arg(line));
            Countries << TCountry{f[0], f[1].toInt(), f[2], f[3], f[4]};
            FCountryIds.insert(f[0], int(Countries.size()));
        }
        for (const QString& line : DataLines(QStringLiteral("languages.txt"))) {
            const QStringList f = line.split(QLatin1Char('|'));
            if (f.size() != 8)
                throw Exception(QStringLiteral("Bad language line: %1").arg(line));
            TLanguage language{f[0],
                               f[1],
                               f[2].toInt(),
                               f[3],
                               {},
                               f[5].split(QLatin1Char(',')),
                               f[6].split(QLatin1Char(',')),
                               f[7].split(QLatin1Char(','))};
            for (const QString& country : f[4].split(QLatin1Char(',')))
                language.Countries << FCountryIds.value(country);
            if (language.Countries.contains(0))
                throw Exception(
                    QStringLiteral("A language names an unknown country: %1").arg(line));
            Languages << language;
        }
        ReadProfessions();
    }

    QList<TCountry> Countries;
    QList<TLanguage> Languages;
    QList<TProfession> Professions;
    QList<int> LeafProfessions; // ids of the professions at the third level

private:
    void ReadProfessions() {
        int parents[3] = {0, 0, 0};
        for (const QString& line : DataLines(QStringLiteral("professions.txt"))) {
            const int level = int(line.size() - line.trimmed().size()) / 2;
            if (level > 2)
                throw Exception(QStringLiteral("Bad profession line: %1").arg(line));
            const int up = level == 0 ? 0 : parents[level - 1];
            Professions << TProfession{line.trimmed(), up, 0, level};
            const int id = int(Professions.size());
            parents[level] = id;
            if (up)
                ++Professions[up - 1].Down;
            if (level == 2)
                LeafProfessions << id;
        }
    }

    QHash<QString, int> FCountryIds;
};

// A colour written RRGGBB.
TColor ColorOf(const QString& Hex) {
    const uint rgb = Hex.toUInt(nullptr, 16);
    return RGB(quint8(rgb >> 16), quint8(rgb >> 8), quint8(rgb));
}

// Draws a flag of the country file's notation on a 24x16 picture.
class TFlagPainter {
public:
    static constexpr int Width = 24;
    static constexpr int Height = 16;

    QByteArray Paint(const QString& Notation) {
        FBitmap.SetSize(Width, Height);
        FCanvas = FBitmap.Canvas();
        const QStringList parts = Notation.split(QLatin1Char(';'));
        PaintBands(parts[0].split(QLatin1Char(' '), Qt::SkipEmptyParts));
        for (int i = 1; i < parts.size(); ++i)
            PaintMark(parts[i].split(QLatin1Char(' '), Qt::SkipEmptyParts));
        return FBitmap.SaveToBytes("PNG");
    }

private:
    void Fill(const QRect& Rect, TColor Colour) {
        FCanvas->Brush()->SetColor(Colour);
        FCanvas->FillRect(Rect);
    }

    void PaintBands(const QStringList& Words) {
        const bool vertical = Words.value(0) == QLatin1String("v");
        const int count = int(Words.size()) - 1;
        const int extent = vertical ? Width : Height;
        for (int i = 0; i < count; ++i) {
            const int from = extent * i / count;
            const int to = extent * (i + 1) / count;
            Fill(vertical ? QRect(from, 0, to - from, Height) : QRect(0, from, Width, to - from),
                 ColorOf(Words[i + 1]));
        }
    }

    void PaintMark(const QStringList& Words) {
        if (Words.size() < 2)
            return;
        const QString& mark = Words[0];
        const TColor colour = ColorOf(Words[1]);
        if (mark == QLatin1String("disc")) {
            FCanvas->Brush()->SetColor(colour);
            FCanvas->Pen()->SetColor(colour);
            FCanvas->Ellipse(Width / 2 - 4, Height / 2 - 4, Width / 2 + 4, Height / 2 + 4);
        } else if (mark == QLatin1String("tri")) {
            const int depth = Words.value(2) == QLatin1String("wide") ? Width / 2 : Width / 3;
            for (int y = 0; y < Height; ++y) {
                const int fromMiddle = qAbs(2 * y + 1 - Height);
                Fill(QRect(0, y, depth * (Height - fromMiddle) / Height, 1), colour);
            }
        } else if (mark == QLatin1String("bar")) {
            Fill(QRect(0, 0, Width / 4, Height), colour);
        } else if (mark == QLatin1String("cross")) {
            Fill(QRect(6, 0, 3, Height), colour);
            Fill(QRect(0, Height / 2 - 1, Width, 3), colour);
        } else if (mark == QLatin1String("plus")) {
            Fill(QRect(Width / 2 - 2, 2, 4, Height - 4), colour);
            Fill(QRect(Width / 2 - 7, Height / 2 - 2, 14, 4), colour);
        } else if (mark == QLatin1String("canton")) {
            Fill(QRect(0, 0, Width / 2, Height / 2), colour);
        }
    }

    TBitmap FBitmap;
    TCanvas* FCanvas = nullptr;
};

// A 48x60 head-and-shoulders picture in colours chosen by Seed.
QByteArray Portrait(quint32 Seed) {
    static const TColor backgrounds[] = {RGB(0xDD, 0xE8, 0xF0), RGB(0xF0, 0xE6, 0xD8),
                                         RGB(0xE0, 0xF0, 0xE0), RGB(0xEE, 0xE0, 0xEE)};
    static const TColor clothes[] = {RGB(0x30, 0x50, 0x80), RGB(0x80, 0x30, 0x30),
                                     RGB(0x30, 0x70, 0x40), RGB(0x50, 0x50, 0x50)};
    static const TColor skins[] = {RGB(0xF1, 0xC2, 0x9E), RGB(0xC6, 0x8E, 0x64),
                                   RGB(0x8D, 0x5A, 0x3B), RGB(0xE8, 0xB9, 0x90)};
    TBitmap picture;
    picture.SetSize(48, 60);
    TCanvas* canvas = picture.Canvas();
    canvas->Brush()->SetColor(backgrounds[Seed % 4]);
    canvas->FillRect(QRect(0, 0, 48, 60));
    canvas->Pen()->SetColor(clothes[Seed / 4 % 4]);
    canvas->Brush()->SetColor(clothes[Seed / 4 % 4]);
    canvas->Ellipse(4, 40, 44, 80);
    canvas->Pen()->SetColor(skins[Seed / 16 % 4]);
    canvas->Brush()->SetColor(skins[Seed / 16 % 4]);
    canvas->Ellipse(13, 10, 35, 38);
    return picture.SaveToBytes("PNG");
}

// Text for rich-text (RTF) markup: the markup's own characters escaped, others than ASCII
// as Unicode escapes.
QString RtfText(const QString& Text) {
    QString result;
    for (const QChar c : Text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'))
            result += QLatin1Char('\\') + c;
        else if (c.unicode() < 128)
            result += c;
        else
            result += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
    }
    return result;
}

// Makes people and their jobs and writes them through prepared statements.
class TPeopleWriter {
public:
    TPeopleWriter(TDbConnection* Connection, const TDemoData& Data, quint32 Seed)
        : FConnection(Connection), FData(Data), FRandom(Seed),
          FPerson(Connection->Prepare(QStringLiteral(
              "INSERT INTO \"People\" (\"Name\", \"Sex\", \"Lang\", \"Pasport\", \"Prof\", "
              "\"Continent\", \"Country\", \"Info\", \"Image\", \"Rich\") "
              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))),
          FJob(Connection->Prepare(QStringLiteral(
              "INSERT INTO \"Job\" (\"People\", \"DateBe\", \"DateEn\", \"Company\", "
              "\"JobPosition\") VALUES (?, ?, ?, ?, ?)"))) {}

    // Adds the Number-th person with jobs; people "with extras" get a note, a picture or
    // rich text now and then.
    void Add(int Number, bool WithExtras) {
        const int languageIndex = Pick(int(FData.Languages.size()));
        const TLanguage& language = FData.Languages[languageIndex];
        const int sex = Pick(20) == 0 ? 0 : 1 + Pick(2);
        const QStringList& firstNames = sex == 2 ? language.FemaleNames : language.MaleNames;
        const QString first = firstNames[Pick(int(firstNames.size()))];
        const QString surname = language.Surnames[Pick(int(language.Surnames.size()))];
        // Hungarian puts the family name first.
        const QString name = language.Name == QLatin1String("Hungarian")
                                 ? surname + QLatin1Char(' ') + first
                                 : first + QLatin1Char(' ') + surname;
        const int country = language.Countries[Pick(int(language.Countries.size()))];
        const int profession = FData.LeafProfessions[Pick(int(FData.LeafProfessions.size()))];
        const TCountry& home = FData.Countries[country - 1];
        const QString professionName = FData.Professions[profession - 1].Name;

        QVariant info, image, rich;
        if (WithExtras && Number % 4 == 1)
            info = QStringLiteral("%1 speaks %2 and lives in %3, %4. Best reached by e-mail "
                                  "in the morning.")
                       .arg(first, language.Name, home.Capital, home.Name);
        if (WithExtras && Number % 6 == 2)
            image = Portrait(FRandom());
        if (WithExtras && Number % 5 == 3)
            rich =
                QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 %1;}{\\f1 Liberation Sans;}}"
                               "{\\colortbl;\\red32\\green64\\blue128;\\red160\\green32\\blue32;}"
                               "\\f0\\fs24 {\\b %2} works as {\\i %3}.\\par "
                               "\\f1\\fs20 Home: {\\cf1 %4}, %5.\\par "
                               "Language: {\\cf2\\ul %6}.\\par}")
                    .arg(RtfText(language.Font), RtfText(name), RtfText(professionName),
                         RtfText(home.Capital), RtfText(home.Name), RtfText(language.Name));
        const QVariantList values{name,
                                  sex,
                                  languageIndex + 1,
                                  (surname + QLatin1Char(' ') + first).toUpper(),
                                  profession,
                                  home.Continent,
                                  country,
                                  info,
                                  image,
                                  rich};
        Run(*FPerson, values);
        AddJobs(FConnection->LastInsertId(), professionName);
    }

private:
    int Pick(int Count) { return int(FRandom() % quint32(Count)); }

    static void Run(TDbStatement& Statement, const QVariantList& Values) {
        Statement.Reset();
        for (int i = 0; i < Values.size(); ++i)
            Statement.Bind(i, Values[i]);
        Statement.Step();
    }

    void AddJobs(qint64 Person, const QString& Profession) {
        const int count = Pick(4);
        QDate start(1985 + Pick(30), 1 + Pick(12), 1);
        for (int i = 0; i < count; ++i) {
            const bool current = i == count - 1 && Pick(2) == 0;
            const QDate end = start.addMonths(6 + Pick(72));
            const QString position = i == count - 1 ? Profession
                                                    : (Pick(2) ? QStringLiteral("Assistant")
                                                               : QStringLiteral("Trainee"));
            Run(*FJob, {Person, start, current ? QVariant() : QVariant(end),
                        QString::fromUtf8(Companies[Pick(std::size(Companies))]), position});
            start = end.addDays(1 + Pick(90));
        }
    }

    TDbConnection* FConnection;
    const TDemoData& FData;
    std::mt19937 FRandom;
    std::unique_ptr<TDbStatement> FPerson;
    std::unique_ptr<TDbStatement> FJob;
};

std::unique_ptr<TTable> NewTable(const QString& Alias, const QString& Name) {
    auto table = std::make_unique<TTable>();
    table->SetDatabaseName(Alias);
    table->SetTableName(Name);
    return table;
}

void CreateTables(const QString& Alias) {
    auto cont = NewTable(Alias, QStringLiteral("Cont.db"));
    cont->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    cont->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    cont->CreateTable();

    auto prof = NewTable(Alias, QStringLiteral("Prof.db"));
    prof->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    prof->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    prof->FieldDefs()->Add(QStringLiteral("IdUp"), ftSmallint);
    prof->FieldDefs()->Add(QStringLiteral("AmountDown"), ftSmallint);
    prof->IndexDefs()->Add(QStringLiteral("ByUp"), QStringLiteral("IdUp;Name"), {});
    prof->CreateTable();

    auto country = NewTable(Alias, QStringLiteral("Country.DB"));
    country->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    country->FieldDefs()->Add(QStringLiteral("Name"), ftString, 30);
    country->FieldDefs()->Add(QStringLiteral("Continent"), ftSmallint);
    country->FieldDefs()->Add(QStringLiteral("Description"), ftString, 40);
    country->FieldDefs()->Add(QStringLiteral("Info"), ftString, 60);
    country->FieldDefs()->Add(QStringLiteral("Picture"), ftGraphic);
    country->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
    country->IndexDefs()->Add(QStringLiteral("ByContinent"), QStringLiteral("Continent;Name"), {});
    country->CreateTable();

    auto lang = NewTable(Alias, QStringLiteral("Lang.DB"));
    lang->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    lang->FieldDefs()->Add(QStringLiteral("Name"), ftString, 20);
    lang->FieldDefs()->Add(QStringLiteral("Font"), ftString, 20);
    lang->FieldDefs()->Add(QStringLiteral("FontSize"), ftSmallint);
    lang->FieldDefs()->Add(QStringLiteral("Layout"), ftString, 8);
    lang->CreateTable();

    auto people = NewTable(Alias, QStringLiteral("People.db"));
    people->FieldDefs()->Add(QStringLiteral("id"), ftAutoInc);
    people->FieldDefs()->Add(QStringLiteral("Name"), ftString, 40);
    people->FieldDefs()->Add(QStringLiteral("Sex"), ftSmallint);
    people->FieldDefs()->Add(QStringLiteral("Lang"), ftSmallint);
    people->FieldDefs()->Add(QStringLiteral("Pasport"), ftString, 40);
    people->FieldDefs()->Add(QStringLiteral("Prof"), ftSmallint);
    people->FieldDefs()->Add(QStringLiteral("Continent"), ftSmallint);
    people->FieldDefs()->Add(QStringLiteral("Country"), ftSmallint);
    people->FieldDefs()->Add(QStringLiteral("Info"), ftMemo);
    people->FieldDefs()->Add(QStringLiteral("Image"), ftGraphic);
    people->FieldDefs()->Add(QStringLiteral("Rich"), ftMemo);
    people->IndexDefs()->Add(QStringLiteral("ByName"), QStringLiteral("Name"), {});
    people->IndexDefs()->Add(QStringLiteral("ByLang"), QStringLiteral("Lang;Name"), {});
    people->IndexDefs()->Add(QStringLiteral("ByCountry"), QStringLiteral("Country;Name"), {});
    people->IndexDefs()->Add(QStringLiteral("ByProf"), QStringLiteral("Prof;Name"), {});
    people->CreateTable();

    auto job = NewTable(Alias, QStringLiteral("Job.db"));
    job->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
    job->FieldDefs()->Add(QStringLiteral("People"), ftInteger, 0, true);
    job->FieldDefs()->Add(QStringLiteral("DateBe"), ftDate);
    job->FieldDefs()->Add(QStringLiteral("DateEn"), ftDate);
    job->FieldDefs()->Add(QStringLiteral("Company"), ftString, 40);
    job->FieldDefs()->Add(QStringLiteral("JobPosition"), ftString, 40);
    job->IndexDefs()->Add(QStringLiteral("ByPeople"), QStringLiteral("People;DateBe"), {});
    job->CreateTable();
}

void FillReferenceTables(TDbConnection* Connection, const TDemoData& Data) {
    for (const char* name : Continents)
        Connection->Execute(QStringLiteral("INSERT INTO \"Cont\" (\"Name\") VALUES (?)"),
                            {QString::fromLatin1(name)});
    TFlagPainter flags;
    for (const TCountry& country : Data.Countries)
        Connection->Execute(
            QStringLiteral("INSERT INTO \"Country\" (\"Name\", \"Continent\", \"Description\", "
                           "\"Info\", \"Picture\") VALUES (?, ?, ?, ?, ?)"),
            {country.Name, country.Continent, QStringLiteral("Capital: ") + country.Capital,
             QStringLiteral("Currency: ") + country.Currency, flags.Paint(country.Flag)});
    for (const TLanguage& language : Data.Languages)
        Connection->Execute(QStringLiteral("INSERT INTO \"Lang\" (\"Name\", \"Font\", "
                                           "\"FontSize\", \"Layout\") VALUES (?, ?, ?, ?)"),
                            {language.Name, language.Font, language.FontSize, language.Layout});
    for (const TProfession& profession : Data.Professions)
        Connection->Execute(QStringLiteral("INSERT INTO \"Prof\" (\"Name\", \"IdUp\", "
                                           "\"AmountDown\") VALUES (?, ?, ?)"),
                            {profession.Name, profession.Up ? QVariant(profession.Up) : QVariant(),
                             profession.Down});
}

// Runs Fill in one transaction of the database of Alias.
template <class F> void InTransaction(const QString& Alias, F Fill) {
    TDbConnection* connection = Session()->OpenDatabase(Alias)->Connection();
    connection->StartTransaction();
    try {
        Fill(connection);
        connection->Commit();
    } catch (...) {
        connection->Rollback();
        throw;
    }
}

// Gathers the statistics the engine's planner chooses its plans by: after a bulk load it
// would otherwise guess, and sort a continent's countries through an index where reading
// the table in key order finds the few rows wanted at once.
void GatherStatistics(const QString& Alias) {
    Session()->OpenDatabase(Alias)->Connection()->Execute(QStringLiteral("ANALYZE"));
}

} // namespace

bool CreateDemoDatabase(const QString& Alias, int People) {
    if (Session()->OpenDatabase(Alias)->Connection()->TableExists(QStringLiteral("People")))
        return false;
    const TDemoData data;
    CreateTables(Alias);
    InTransaction(Alias, [&](TDbConnection* connection) {
        FillReferenceTables(connection, data);
        TPeopleWriter writer(connection, data, 1);
        for (int number = 1; number <= People; ++number)
            writer.Add(number, true);
    });
    GatherStatistics(Alias);
    return true;
}

void AddDemoPeople(const QString& Alias, int Count) {
    const TDemoData data;
    InTransaction(Alias, [&](TDbConnection* connection) {
        // Another seed than the first people's: more of them are not the same again.
        const qint64 before =
            connection->Scalar(QStringLiteral("SELECT count(*) FROM \"People\"")).toLongLong();
        TPeopleWriter writer(connection, data, quint32(before + 1));
        for (int number = 1; number <= Count; ++number)
            writer.Add(number, false);
    });
    GatherStatistics(Alias);
}

bool GenerateDemoDatabase(const QString& Alias, int People) {
    const int first = qMin(People, DemoPeopleCount);
    if (!CreateDemoDatabase(Alias, first))
        return false;
    AddDemoPeople(Alias, People - first);
    return true;
}
