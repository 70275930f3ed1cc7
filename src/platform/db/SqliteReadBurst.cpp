#include "SqliteReadBurst.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <sqlite3.h>

namespace {

// A statement that only reads and gives rows: it may run in a shared read transaction.
bool IsQuery(sqlite3_stmt* Statement) {
    return sqlite3_stmt_readonly(Statement) && sqlite3_column_count(Statement) > 0;
}

} // namespace

TSqliteReadBurst::~TSqliteReadBurst() {
    sqlite3_finalize(FHold);
}

void TSqliteReadBurst::SetMaxAge(std::chrono::milliseconds Age) {
    FMaxAge = Age;
    if (FMaxAge.count() <= 0)
        End();
}

void TSqliteReadBurst::BeforeStatement(sqlite3_stmt* Statement) {
    if (!IsQuery(Statement))
        return End();
    // An explicit transaction holds its own snapshot.
    if (FMaxAge.count() <= 0 || !sqlite3_get_autocommit(FDb))
        return;
    if (FHeld && std::chrono::steady_clock::now() - FStarted < FMaxAge)
        return;
    End();
    Start();
}

void TSqliteReadBurst::Start() {
    if (!FHold && sqlite3_prepare_v3(FDb, "PRAGMA schema_version", -1, SQLITE_PREPARE_PERSISTENT,
                                     &FHold, nullptr) != SQLITE_OK) {
        FHold = nullptr;
        return;
    }
    // Without a row (the file busy, say) the query reads on its own.
    if (sqlite3_step(FHold) != SQLITE_ROW) {
        sqlite3_reset(FHold);
        return;
    }
    FHeld = true;
    ++FSerial;
    FStarted = std::chrono::steady_clock::now();
    // Only the thread the burst belongs to may end it from its event loop; a connection
    // used from another thread ends its bursts by age.
    if (!FEndPosted && QCoreApplication::instance() &&
        QThread::currentThread() == FEndContext.thread()) {
        FEndPosted = true;
        QTimer::singleShot(0, &FEndContext, [this] {
            FEndPosted = false;
            End();
        });
    }
}

quint64 TSqliteReadBurst::Snapshot() const {
    // The conditions of BeforeStatement under which a query joins the burst held.
    if (!FHeld || !sqlite3_get_autocommit(FDb) ||
        std::chrono::steady_clock::now() - FStarted >= FMaxAge)
        return 0;
    return FSerial;
}

void TSqliteReadBurst::End() {
    if (!FHeld)
        return;
    sqlite3_reset(FHold);
    FHeld = false;
}
