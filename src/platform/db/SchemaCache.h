#pragma once

#include "Connection.h"

#include <functional>
#include <memory>
#include <optional>

// What a connection's schema calls read about each table, kept until the schema changes:
// the connection forgets it when it changes the schema itself, or when the engine's
// schema version (another connection's change) differs from the one it was read at. What
// closed datasets leave for their next open is kept with it.
class TSchemaCache {
public:
    // Forgets everything unless Version is the one the kept entries were read at.
    void Check(qint64 Version);
    void Clear();

    // Each gives what is kept for Key, or what Read gives, kept.
    bool Exists(const QString& Key, const std::function<bool()>& Read);
    QList<TColumnInfo> Columns(const QString& Key, const std::function<QList<TColumnInfo>()>& Read);
    QList<TIndexInfo> Indexes(const QString& Key, const std::function<QList<TIndexInfo>()>& Read);
    QString RowId(const QString& Key, const std::function<QString()>& Read);
    bool RowIdTable(const QString& Key, const std::function<bool()>& Read);

    // Keeps Object under Key among the latest few; Take gives it back once.
    void Keep(const QString& Key, std::shared_ptr<void> Object);
    std::shared_ptr<void> Take(const QString& Key);

private:
    struct TTableSchema {
        bool Exists = false; // only a table found is kept: it may be made any time
        std::optional<QList<TColumnInfo>> Columns;
        std::optional<QList<TIndexInfo>> Indexes;
        std::optional<QString> RowId;
        std::optional<bool> RowIdTable;
    };

    // Read may itself ask the cache (for another entry), so what it gives is stored after.
    template <class T>
    T Kept(const QString& Key, std::optional<T> TTableSchema::*Slot,
           const std::function<T()>& Read);

    static constexpr qsizetype KeptObjects = 16;

    QHash<QString, TTableSchema> FTables;
    std::optional<qint64> FVersion;
    QList<std::pair<QString, std::shared_ptr<void>>> FKept; // the oldest first
};
