#pragma once

#include <QObject>
#include <chrono>

struct sqlite3;
struct sqlite3_stmt;

// Keeps one read transaction of an SQLite connection open across a burst of queries, so
// that only the first of them takes the file's locks. The burst holds a stepped statement
// (which keeps the transaction open in autocommit mode) until the thread's event loop
// next runs, until a statement that is not a query starts (a write, a transaction, a
// script), or, when a query starts, once the burst is older than MaxAge; so the queries
// of a burst read one snapshot, and another connection's commit is seen after it. Used
// in WAL mode only, where an open reader blocks no writer.
class TSqliteReadBurst {
public:
    explicit TSqliteReadBurst(sqlite3* Db) : FDb(Db) {}
    ~TSqliteReadBurst();
    TSqliteReadBurst(const TSqliteReadBurst&) = delete;
    TSqliteReadBurst& operator=(const TSqliteReadBurst&) = delete;

    // Zero keeps no burst.
    std::chrono::milliseconds MaxAge() const { return FMaxAge; }
    void SetMaxAge(std::chrono::milliseconds Age);
    // To be called before Statement starts: a query joins the burst (starting it, or a new
    // one when it is too old), any other statement ends it.
    void BeforeStatement(sqlite3_stmt* Statement);
    // Holds a burst for a query starting now, as BeforeStatement does; false when the
    // query would read on its own (no bursts, an explicit transaction, the file busy).
    bool Join();
    void End();
    // The file's data version (PRAGMA data_version) the burst held reads.
    qint64 DataVersion() const { return FDataVersion; }
    // The number of the burst held, counted from 1.
    quint64 Serial() const { return FSerial; }

private:
    void Start();
    // Ends the bursts whenever the thread's event loop runs, from the first burst on.
    void HookEventLoop();

    sqlite3* FDb;
    sqlite3_stmt* FHold = nullptr;
    bool FHeld = false;
    qint64 FDataVersion = 0; // of the burst held
    quint64 FSerial = 0;
    std::chrono::milliseconds FMaxAge{0};
    std::chrono::steady_clock::time_point FStarted;
    // Receives the event loop's signals that end the burst; disconnected with it.
    QObject FEndContext;
    bool FEndHooked = false;
};
