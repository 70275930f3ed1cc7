#pragma once

#include <functional>
#include <rtl/Collection.h>
#include <rtl/Enums.h>

PUBLISHED_ENUM(TIndexOption, ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression,
               ixNonMaintained)
using TIndexOptions = TSet<TIndexOption>;

// An index of a table: its fields (";"-separated) and options.
class TIndexDef : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(QString Fields READ Fields WRITE SetFields)
    Q_PROPERTY(TIndexOptions Options READ Options WRITE SetOptions)
public:
    Q_INVOKABLE explicit TIndexDef(TCollection* Collection = nullptr);

    QString Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }
    QString Fields() const { return FFields; }
    void SetFields(const QString& Value) { FFields = Value; }
    TIndexOptions Options() const { return FOptions; }
    void SetOptions(TIndexOptions Value) { FOptions = Value; }
    QString DisplayName() const override { return FName; }

private:
    QString FName;
    QString FFields;
    TIndexOptions FOptions;
};

class TIndexDefs : public TOwnedCollection {
    Q_OBJECT
public:
    explicit TIndexDefs(TPersistent* Owner);

    TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
    TIndexDef* Add(const QString& Name, const QString& Fields, TIndexOptions Options);
    // Reads the definitions from the engine without opening the dataset (a table's).
    void Update();
    int IndexOf(const QString& Name) const; // ignores case
    // The index whose fields are exactly Fields (";"-separated, case ignored), or nullptr.
    TIndexDef* FindIndexForFields(const QString& Fields) const;
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool Value) { FUpdated = Value; }
    // What Update runs: the owning dataset reads its engine's index definitions.
    void SetReader(std::function<void(TIndexDefs&)> Reader) { FReader = std::move(Reader); }

private:
    bool FUpdated = false;
    std::function<void(TIndexDefs&)> FReader;
};
