#pragma once

#include "FieldType.h"

#include <rtl/Collection.h>
#include <rtl/Variant.h>

PUBLISHED_ENUM(TParamType, ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult)

// A parameter of a query: ":Name" in its SQL text.
class TParam : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TFieldType DataType READ DataType WRITE SetDataType)
    Q_PROPERTY(TParamType ParamType READ ParamType WRITE SetParamType)
    Q_PROPERTY(QVariant Value READ Value WRITE SetValue)
public:
    Q_INVOKABLE explicit TParam(TCollection* Collection = nullptr);

    QString Name() const { return FName; }
    void SetName(const QString& Value) { FName = Value; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType Value) { FDataType = Value; }
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType Value) { FParamType = Value; }
    // Setting a value of a known type gives an untyped parameter that type.
    Variant Value() const { return FValue; }
    void SetValue(const Variant& Value);
    bool IsNull() const { return VarIsNull(FValue); }
    void Clear() { FValue = Null(); }
    QString AsString() const { return VarToStr(FValue); }
    void SetAsString(const QString& Value);
    void SetAsInteger(qint64 Value);
    void SetAsFloat(double Value);
    void SetAsDate(const QDate& Value);
    // The value converted to the parameter's type for the engine.
    Variant EngineValue() const;
    QString DisplayName() const override { return FName; }

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptInput;
    Variant FValue;
};

class TParams : public TOwnedCollection {
    Q_OBJECT
public:
    explicit TParams(TPersistent* Owner);

    TParam* Items(int Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
    TParam* FindParam(const QString& Name) const; // ignores case
    TParam* ParamByName(const QString& Name) const;
    TParam* CreateParam(const QString& Name, TFieldType DataType = ftUnknown);
    // Makes the list the names given, in order and once each, keeping the types and values
    // of the parameters that stay.
    void SetNames(const QStringList& Names);
};

// The SQL text with each ":Name" outside quotes replaced by "?", and the names in order.
struct TParsedSql {
    QString Sql;
    QStringList Names; // one per "?", a name as often as it occurs
};
TParsedSql ParseSqlParams(const QString& Sql);
