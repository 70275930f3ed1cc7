#include "DBDataSet.h"

#include "Database.h"
#include "Session.h"

#include <rtl/Exceptions.h>

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() {
    CloseDatabase();
}

void TDBDataSet::SetDatabaseName(const QString& Value) {
    CheckInactive();
    FDatabaseName = Value;
}

TDatabase* TDBDataSet::OpenDatabase() {
    if (!FDatabase) {
        FDatabase = Session()->OpenDatabase(FDatabaseName);
        FDatabase->RegisterDataSet(this);
    }
    return FDatabase;
}

void TDBDataSet::CloseDatabase() {
    if (!FDatabase)
        return;
    TDatabase* database = FDatabase;
    FDatabase = nullptr;
    database->UnregisterDataSet(this);
    Session()->CloseDatabase(database);
}

TDbConnection* TDBDataSet::Connection() const {
    if (!FDatabase)
        throw EDatabaseError(QStringLiteral("%1: database not open").arg(Name()));
    return FDatabase->Connection();
}

bool TDBDataSet::CanModify() const {
    return TDataSet::CanModify() && !Connection()->ReadOnly();
}

void TDBDataSet::InternalApplyUpdates(const std::function<void()>& Writes) {
    TDbConnection* connection = Connection();
    if (connection->InTransaction()) {
        Writes(); // the caller's transaction decides
        return;
    }
    connection->StartTransaction();
    try {
        Writes();
    } catch (...) {
        connection->Rollback();
        throw;
    }
    connection->Commit();
}
