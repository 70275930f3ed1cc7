#include "QtSqlClient.h"

#include <QSqlError>
#include <QSqlRecord>
#include <stdexcept>

namespace {
[[noreturn]] void Fail(const QSqlError& Error, const std::string& Sql) {
    throw std::runtime_error(Error.text().toStdString() + " in " + Sql);
}
} // namespace

TQtSqlStatement::TQtSqlStatement(const QSqlDatabase& Db, const std::string& Sql) : FQuery(Db) {
    FQuery.setForwardOnly(true);
    if (!FQuery.prepare(QString::fromStdString(Sql)))
        Fail(FQuery.lastError(), Sql);
}

void TQtSqlStatement::Reset() {
    FQuery.finish();
    FRun = false;
}

void TQtSqlStatement::Bind(int Index, std::int64_t Value) {
    FQuery.bindValue(Index - 1, qint64(Value));
}

void TQtSqlStatement::Bind(int Index, const std::string& Value) {
    FQuery.bindValue(Index - 1, QString::fromStdString(Value));
}

bool TQtSqlStatement::Step() {
    if (!FRun) {
        if (!FQuery.exec())
            Fail(FQuery.lastError(), FQuery.lastQuery().toStdString());
        FRun = true;
        FColumns = FQuery.record().count();
    }
    return FQuery.next();
}

int TQtSqlStatement::ColumnCount() const {
    return FColumns;
}

std::int64_t TQtSqlStatement::Integer(int Column) const {
    return FQuery.value(Column).toLongLong();
}

std::size_t TQtSqlStatement::TextLength(int Column) const {
    return std::size_t(FQuery.value(Column).toString().size());
}

TQtSqlDatabase::TQtSqlDatabase(const std::string& FileName)
    : FName(QStringLiteral("bench-%1").arg(quintptr(this), 0, 16)) {
    FDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FName);
    FDb.setDatabaseName(QString::fromStdString(FileName));
    if (!FDb.open())
        Fail(FDb.lastError(), "opening " + FileName);
}

TQtSqlDatabase::~TQtSqlDatabase() {
    FDb.close();
    FDb = QSqlDatabase();
    QSqlDatabase::removeDatabase(FName);
}

std::unique_ptr<TDirectStatement> TQtSqlDatabase::Prepare(const std::string& Sql) {
    return std::make_unique<TQtSqlStatement>(FDb, Sql);
}

void TQtSqlDatabase::Execute(const std::string& Sql) {
    QSqlQuery query(FDb);
    if (!query.exec(QString::fromStdString(Sql)))
        Fail(query.lastError(), Sql);
}
