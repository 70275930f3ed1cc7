#pragma once

#include "DBDataSet.h"
#include "KeysetReader.h"
#include "LookupMemo.h"

#include <array>
#include <memory>

class TFieldDef;

// A dataset whose records an SQL engine gives: it reads them through a keyset reader over
// the source its descendant defines (a table, or a query), writes posted records to the
// descendant's update table by row key, and has the engine search, count and look up.
class TSqlDataSet : public TDBDataSet {
    Q_OBJECT
public:
    explicit TSqlDataSet(TComponent* AOwner = nullptr);

    // A lookup asked again while the engine's version of the rows read stays the same
    // (TDbConnection::ReadVersion of ReadTable) gives the result it gave, without a query,
    // while the dataset has no calculated fields and searches in the engine (no filter in
    // the process, no cached changes).
    Variant Lookup(const QString& KeyFields, const Variant& KeyValues,
                   const QString& ResultFields) override;

protected:
    // The descendant's source: table, selected columns (one per field definition, in
    // order), row key, order and its own condition with parameters.
    virtual void DefineSource(TKeysetSource& Source) = 0;
    // The table posted records are written to, as the engine names it; empty when the
    // records cannot be written.
    virtual QString UpdateTableName() const = 0;
    // The one table the source reads rows of, as the engine names it; empty when it may
    // read others.
    virtual QString ReadTable() const { return QString(); }
    // Builds the reader for the current source.
    void Reposition();
    // New values for the parameters of the descendant's own condition: same queries.
    void SetSourceParams(const QVariantList& Params);
    int SourceParamCount() const { return FSourceParamCount; }
    bool InternalSetFilter(const TFilterExpression* Expression) override;
    TKeysetReader* Reader() const { return FOrder ? &FOrder->Reader : nullptr; }

    void InternalClose() override;
    void InternalRefresh() override;
    QList<TRecord> InternalFetch(TFetchDirection Direction, const TRecord* From,
                                 int Count) override;
    std::optional<TRecord> InternalFetchBookmark(const TBookmark& Bookmark) override;
    qint64 InternalRecordCount() override;
    qint64 InternalRecNo(const TRecord& Record) override;
    TBookmark InternalPost(const TRecord& Record, const TRecord* Original) override;
    void InternalDelete(const TRecord& Record) override;
    std::optional<TRecord> InternalLocate(const QList<TField*>& Fields, const QVariantList& Values,
                                          TLocateOptions Options) override;
    std::optional<TRecord> InternalNearest(const QList<TField*>& Fields,
                                           const QVariantList& Values) override;

    // A value of the engine in the field's type; one the type cannot hold as its text.
    Variant FromEngine(const TFieldDef* Def, const Variant& Value) const;
    Variant ToEngine(TFieldType Type, const Variant& Value) const;
    // The record of an engine's row, which it keeps.
    TRecord RecordOf(QVariantList Row) const;
    QVariantList RowOf(const TRecord& Record) const;
    QString QuotedUpdateTable() const;

private:
    // Puts Sql in force as the filter's condition, reading anew when it differs.
    void UseFilterSql(const TFilterSql& Sql);
    // Keeps the cached count across a post of the record with Bookmark: one more when it
    // came into the rows read, one less when it left them (WasRead: it was among them).
    void CountPosted(const TBookmark& Bookmark, bool WasRead);
    // The column expression of a field in the source.
    QString ColumnOf(const TField* Field) const;
    // Column within the texts that start with Prefix (all texts but Null when it is empty),
    // compared in code point order of their forms folded by Fold.
    void AddTextRange(const QString& Column, const QString& Prefix,
                      const std::function<QString(const QString&)>* Fold, QStringList& Conditions,
                      QVariantList& Params) const;

    // The condition of a search and, for each of its parameters, the value it takes.
    struct TSearchSql {
        QString Condition;
        QList<int> Values;
    };
    // The condition of the key search for Count values, those in the bit set Nulls null.
    TSearchSql NearestSql(int Count, quint64 Nulls) const;

    // The reader of an order and the search conditions built for it, by shape; the
    // connection keeps it under KeptKey while the dataset is closed.
    struct TOrderReader {
        TKeysetReader Reader;
        QHash<quint64, TSearchSql> NearestSql;
        QString KeptKey;
        QHash<quint64, QString> ExactSearchSql; // the conditions of Locate by shape
    };

    // The readers kept for one condition, by order.
    struct TConditionReaders {
        QString Where;
        QHash<QString, std::shared_ptr<TOrderReader>> ByOrder;
    };

    TConditionReaders FReaders;       // of the current condition
    TConditionReaders FFormerReaders; // of the one before, which a filter often comes back to
    TOrderReader* FOrder = nullptr;   // the current order's
    std::optional<qint64> FCount;     // cached, kept across this dataset's own changes
    TFilterSql FFilterSql;            // the filter's condition, added to the source's
    // The engine's forms of the last filters, by parse: a filter laid again is not
    // translated again.
    struct TFilterInEngine {
        std::optional<TFilterExpression> Expression;
        bool InEngine = false;
        TFilterSql Sql;
    };
    std::array<TFilterInEngine, 2> FFiltersInEngine;
    std::size_t FNextFilterInEngine = 0;
    TLookupMemo FLookups; // emptied whenever the source changes
    int FSourceParamCount = 0;
};

QString QuoteSqlName(const QString& Name);
