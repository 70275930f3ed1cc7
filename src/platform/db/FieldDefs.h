#pragma once

#include "FieldType.h"

#include <rtl/Collection.h>

class TDataSet;
class TField;
class TComponent;

// The definition of a column: what the engine's schema says, and what CreateTable makes.
class TFieldDef : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TFieldType DataType READ DataType WRITE SetDataType)
    Q_PROPERTY(int Size READ Size WRITE SetSize)
    Q_PROPERTY(bool Required READ Required WRITE SetRequired)
public:
    Q_INVOKABLE explicit TFieldDef(TCollection* Collection = nullptr);

    QString Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value) { FDataType = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    bool Required() const { return FRequired; }
    void SetRequired(bool Value) { FRequired = Value; }
    int FieldNo() const { return Index() + 1; }
    QString DisplayName() const override { return FName; }

    // A field of the class that shows this column, owned by Owner, in DataSet.
    TField* CreateField(TComponent* Owner, TDataSet* DataSet) const;

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    bool FRequired = false;
};

class TFieldDefs : public TOwnedCollection {
    Q_OBJECT
public:
    explicit TFieldDefs(TPersistent* Owner);

    TFieldDef* Items(int Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
    TFieldDef* Add(const QString& Name, TFieldType DataType, int Size = 0, bool Required = false);
    TFieldDef* AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }
    int IndexOf(const QString& Name) const; // ignores case
    TFieldDef* Find(const QString& Name) const;
};
