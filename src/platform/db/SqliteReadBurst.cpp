#include "SqliteReadBurst.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
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
    if (IsQuery(Statement))
        Join();
    else
        End();
}

bool TSqliteReadBurst::Join() {
    // An explicit transaction holds its own snapshot.
    if (FMaxAge.count() <= 0 || !sqlite3_get_autocommit(FDb))
        return false;
    if (FHeld && std::chrono::steady_clock::now() - FStarted < FMaxAge)
        return true;
    End();
    Start();
    return FHeld;
}

void TSqliteReadBurst::Start() {
    if (!FHold && sqlite3_prepare_v3(FDb, "PRAGMA data_version", -1, SQLITE_PREPARE_PERSISTENT,
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
    FDataVersion = sqlite3_column_int64(FHold, 0);
    FStarted = std::chrono::steady_clock::now();
    HookEventLoop();
}

void TSqliteReadBurst::HookEventLoop() {
    // Only the thread the burst belongs to may end it from its event loop; a connection
    // used from another thread ends its bursts by age. The loop's dispatcher tells when it
    // runs without an event posted per burst (a posted event wakes the loop: a system call).
    if (FEndHooked || !QCoreApplication::instance() ||
        QThread::currentThread() != FEndContext.thread())
        return;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return;
    FEndHooked = true;
    const auto end = [this] { End(); };
    QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &FEndContext, end);
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &FEndContext, end);
}

void TSqliteReadBurst::End() {
    if (!FHeld)
        return;
    sqlite3_reset(FHold);
    FHeld = false;
}
