#pragma once

#include "Events.h"
#include "Variant.h"

#include <QMetaProperty>
#include <QString>

class TComponent;
class TPersistent;

// Property access by name on any object through the meta-object system: the published
// properties are the Q_PROPERTYs a class declares (QObject's own objectName excluded).
// An absent property is a normal answer: GetPropInfo gives an invalid TPropInfo. A
// property a descendant declares again (read-only, with a getter of its own or of another
// type) is that declaration only: lookups and GetPropInfos never see the hidden one.

enum TTypeKind {
    tkUnknown,
    tkInteger,
    tkInt64,
    tkChar,
    tkEnumeration,
    tkSet,
    tkFloat,
    tkString,
    tkClass,
    tkMethod,
    tkVariant,
    tkBinary,
    tkDateTime,
    tkRecord
};

class TPropInfo {
public:
    TPropInfo() = default;
    explicit TPropInfo(const QMetaProperty& property);

    bool IsValid() const { return FProperty.isValid(); }
    explicit operator bool() const { return IsValid(); }
    QString Name() const { return QString::fromLatin1(FProperty.name()); }
    TTypeKind Kind() const { return FKind; }
    QMetaType Type() const { return FProperty.metaType(); }
    // For tkClass: the meta-object of the property's declared class.
    const QMetaObject* ClassType() const { return FProperty.metaType().metaObject(); }
    bool IsWritable() const { return FProperty.isWritable(); }
    // Whether the instance's current value belongs in a form file at all.
    bool IsStored(const QObject* instance) const;
    const QMetaProperty& Property() const { return FProperty; }

private:
    QMetaProperty FProperty;
    TTypeKind FKind = tkUnknown;
};

TTypeKind KindOf(QMetaType type);

TPropInfo GetPropInfo(const QObject* instance, const QString& name);
TPropInfo GetPropInfo(const QMetaObject* meta, const QString& name);
QList<TPropInfo> GetPropInfos(const QObject* instance);
QList<TPropInfo> GetPropInfos(const QMetaObject* meta);
bool IsPublishedProp(const QObject* instance, const QString& name);
bool PropIsType(const QObject* instance, const QString& name, TTypeKind kind);

// Typed access. Reading or writing a property that does not exist, or one of another
// kind, raises EPropertyError; GetPropInfo asks first without raising.
Variant GetPropValue(const QObject* instance, const QString& name);
void SetPropValue(QObject* instance, const QString& name, const Variant& value);
qint64 GetOrdProp(const QObject* instance, const QString& name);
void SetOrdProp(QObject* instance, const QString& name, qint64 value);
QString GetStrProp(const QObject* instance, const QString& name);
void SetStrProp(QObject* instance, const QString& name, const QString& value);
double GetFloatProp(const QObject* instance, const QString& name);
void SetFloatProp(QObject* instance, const QString& name, double value);
QObject* GetObjectProp(const QObject* instance, const QString& name);
void SetObjectProp(QObject* instance, const QString& name, QObject* value);
TMethod GetMethodProp(const QObject* instance, const QString& name);
void SetMethodProp(QObject* instance, const QString& name, const TMethod& value);
QString GetEnumProp(const QObject* instance, const QString& name);
void SetEnumProp(QObject* instance, const QString& name, const QString& value);

// The same, on a property already looked up.
Variant ReadProp(const QObject* instance, const TPropInfo& info);
void WriteProp(QObject* instance, const TPropInfo& info, const Variant& value);
qint64 OrdValue(const Variant& value);              // of an ordinal-kind property value
Variant OrdVariant(QMetaType type, qint64 ordinal); // a value of an ordinal-kind type
// Raises EPropertyError when ordinal does not fit the property's type (an integer of its
// width, an enumeration's members, a set's members), instead of storing it cut.
void CheckOrdinalRange(const TPropInfo& info, qint64 ordinal);
TMethod MethodValue(const Variant& value); // of a method-kind property value
