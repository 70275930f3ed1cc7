// bench_database DIR N: makes the demonstration program's database with N people in DIR
// (DIR/tables.sqlite3, as "Example --generate N DIR" does) and adds what the benchmarks
// search by beyond the program's own indexes: People's names ignoring case.

#include <DemoDatabase.h>
#include <QDir>
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <db/Connection.h>
#include <db/Database.h>
#include <db/Session.h>
#include <exception>

namespace {

void AddNameIgnoringCaseIndex(const QString& Alias) {
    TDatabase database;
    database.SetDatabaseName(Alias);
    database.Open();
    TDbConnection* connection = database.Connection();
    connection->Execute(QStringLiteral("CREATE INDEX %1 ON %2 (%3)")
                            .arg(connection->QuoteName(QStringLiteral("People_ByNameNoCase")),
                                 connection->QuoteName(QStringLiteral("People")),
                                 connection->CaseInsensitiveIndexColumn(
                                     connection->QuoteName(QStringLiteral("Name")))));
    // The planner's statistics take the new index in.
    connection->Execute(
        QStringLiteral("ANALYZE %1").arg(connection->QuoteName(QStringLiteral("People"))));
}

} // namespace

int main(int argc, char* argv[]) {
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_database DIR N   (N > 0 people)\n");
        return 2;
    }
    // The first people's pictures are drawn with the program's fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    try {
        const QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
        if (!QDir().mkpath(dir))
            throw std::runtime_error("cannot create " + dir.toStdString());
        const auto start = std::chrono::steady_clock::now();
        Session()->SetConfigMode({cmSession});
        Session()->AddStandardAlias(DemoAlias, dir, QStringLiteral("STANDARD"));
        if (!GenerateDemoDatabase(DemoAlias, count))
            throw std::runtime_error(dir.toStdString() + " holds a database already");
        AddNameIgnoringCaseIndex(DemoAlias);
        std::printf(
            "%s: the demo database with %d people in %.1f s\n", qPrintable(dir), count,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    } catch (const std::exception& e) {
        // The library's exceptions too: their text is their message.
        std::fprintf(stderr, "bench_database: %s\n", e.what());
        return 1;
    }
    return 0;
}
