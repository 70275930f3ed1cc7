#include "SqliteDataVersions.h"

#include <algorithm>
#include <cstring>
#include <sqlite3.h>

TSqliteDataVersions::TSqliteDataVersions(sqlite3* Db) : FDb(Db) {
    // Zero is no version: the numbers start at 1.
    FLatest = FAllChanged = 1;
    sqlite3_update_hook(FDb, &TSqliteDataVersions::RowChanged, this);
}

TSqliteDataVersions::~TSqliteDataVersions() {
    sqlite3_update_hook(FDb, nullptr, nullptr);
}

void TSqliteDataVersions::RowChanged(void* Self, int, const char*, const char* Table, long long) {
    auto* versions = static_cast<TSqliteDataVersions*>(Self);
    ++versions->FReported;
    if (!versions->FVersionRead && versions->FLastReported == Table)
        return;
    versions->FLastReported = Table;
    versions->FVersionRead = false;
    versions->FTables.insert(Folded(QString::fromUtf8(Table, qsizetype(std::strlen(Table)))),
                             ++versions->FLatest);
}

void TSqliteDataVersions::ChangeAll() {
    FAllChanged = ++FLatest;
    FTables.clear(); // every table's number is below FAllChanged now
    FLastReported.clear();
}

void TSqliteDataVersions::Seen(qint64 DataVersion) {
    if (FDataVersion && *FDataVersion != DataVersion)
        ChangeAll();
    FDataVersion = DataVersion;
}

void TSqliteDataVersions::BeforeWrite() {
    FReportedBefore = FReported;
}

void TSqliteDataVersions::AfterWrite(qint64 ChangedRows) {
    const qint64 reported = FReported - FReportedBefore;
    if (reported == 0 || ChangedRows > reported)
        ChangeAll();
}

quint64 TSqliteDataVersions::Of(const QString& Table, const std::function<bool()>& Followed) {
    FVersionRead = true;
    for (const TAnswer& answer : FAnswers)
        if (answer.Latest == FLatest && answer.Table == Table)
            return answer.Version;
    const quint64 version = Table.isEmpty() || !Followed()
                                ? FLatest
                                : std::max(FAllChanged, FTables.value(Folded(Table), 0));
    FAnswers[FNextAnswer] = {Table, FLatest, version};
    FNextAnswer = (FNextAnswer + 1) % FAnswers.size();
    return version;
}

QString TSqliteDataVersions::Folded(QString Name) {
    for (QChar& c : Name)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(char16_t(c.unicode() + ('a' - 'A')));
    return Name;
}
