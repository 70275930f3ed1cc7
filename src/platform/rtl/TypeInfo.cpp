#include "TypeInfo.h"

#include "Enums.h"
#include "Exceptions.h"
#include "Persistent.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace {

[[noreturn]] void PropertyNotFound(const QObject* instance, const QString& name) {
    throw EPropertyError(QStringLiteral("Property %1 does not exist in %2")
                             .arg(name, QString::fromLatin1(instance->metaObject()->className())));
}

[[noreturn]] void InvalidValue(const TPropInfo& info) {
    throw EPropertyError(QStringLiteral("Invalid property value for %1").arg(info.Name()));
}

// The ordinals a type holds, or nothing where any 64-bit value fits.
std::optional<std::pair<qint64, qint64>> OrdinalBounds(QMetaType type) {
    if (const auto* set = EnumRegistry::SetOf(type)) {
        const qsizetype members = set->Names.size();
        return std::pair<qint64, qint64>(0, members >= 63 ? std::numeric_limits<qint64>::max()
                                                          : (qint64(1) << members) - 1);
    }
    if (const auto* enumeration = EnumRegistry::EnumOf(type))
        return std::pair<qint64, qint64>(0, enumeration->Names.size() - 1);
    const auto bounds = [](auto sample) {
        using T = decltype(sample);
        return std::pair<qint64, qint64>(std::numeric_limits<T>::min(),
                                         std::numeric_limits<T>::max());
    };
    if (type.flags() & QMetaType::IsEnumeration) {
        switch (type.sizeOf()) {
        case 1:
            return bounds(qint8());
        case 2:
            return bounds(qint16());
        case 4:
            return bounds(qint32());
        default:
            return std::nullopt;
        }
    }
    switch (type.id()) {
    case QMetaType::Int:
        return bounds(qint32());
    case QMetaType::UInt:
        return bounds(quint32());
    case QMetaType::Short:
        return bounds(qint16());
    case QMetaType::UShort:
    case QMetaType::QChar:
        return bounds(quint16());
    case QMetaType::Char:
    case QMetaType::SChar:
        return bounds(qint8());
    case QMetaType::UChar:
        return bounds(quint8());
    default:
        return std::nullopt;
    }
}

TPropInfo Require(const QObject* instance, const QString& name) {
    TPropInfo info = GetPropInfo(instance, name);
    if (!info)
        PropertyNotFound(instance, name);
    return info;
}

TPropInfo RequireKind(const QObject* instance, const QString& name,
                      std::initializer_list<TTypeKind> kinds) {
    TPropInfo info = Require(instance, name);
    for (TTypeKind k : kinds)
        if (info.Kind() == k)
            return info;
    throw EPropertyError(QStringLiteral("Property %1 of %2 has another type")
                             .arg(name, QString::fromLatin1(instance->metaObject()->className())));
}

bool IsOrdinalKind(TTypeKind kind) {
    return kind == tkInteger || kind == tkInt64 || kind == tkChar || kind == tkEnumeration ||
           kind == tkSet;
}

} // namespace

TTypeKind KindOf(QMetaType type) {
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return tkInteger;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
        return tkInt64;
    case QMetaType::QChar:
    case QMetaType::Char:
        return tkChar;
    case QMetaType::Bool:
        return tkEnumeration;
    case QMetaType::Double:
    case QMetaType::Float:
        return tkFloat;
    case QMetaType::QString:
        return tkString;
    case QMetaType::QVariant:
        return tkVariant;
    case QMetaType::QByteArray:
        return tkBinary;
    case QMetaType::QDateTime:
    case QMetaType::QDate:
    case QMetaType::QTime:
        return tkDateTime;
    default:
        break;
    }
    if (EnumRegistry::EnumOf(type))
        return tkEnumeration;
    if (EnumRegistry::SetOf(type))
        return tkSet;
    if (EventRegistry::Find(type))
        return tkMethod;
    if (type.flags() & QMetaType::PointerToQObject)
        return tkClass;
    if (type.flags() & QMetaType::IsEnumeration)
        return tkInteger; // an enumeration without names, such as TColor
    return tkRecord;
}

TPropInfo::TPropInfo(const QMetaProperty& property)
    : FProperty(property), FKind(KindOf(property.metaType())) {}

bool TPropInfo::IsStored(const QObject* instance) const {
    if (!FProperty.isStored())
        return false;
    const auto* persistent = qobject_cast<const TPersistent*>(instance);
    return !persistent || persistent->IsStoredProp(Name());
}

TPropInfo GetPropInfo(const QMetaObject* meta, const QString& name) {
    if (!meta || name.isEmpty())
        return {};
    // Names are matched ignoring case, as property names in form files are.
    const int first = QObject::staticMetaObject.propertyCount();
    const int exact = meta->indexOfProperty(name.toLatin1().constData());
    if (exact >= first)
        return TPropInfo(meta->property(exact));
    // From the most derived class up, as indexOfProperty finds a re-declared property.
    for (int i = meta->propertyCount() - 1; i >= first; --i)
        if (QString::fromLatin1(meta->property(i).name()).compare(name, Qt::CaseInsensitive) == 0)
            return TPropInfo(meta->property(i));
    return {};
}

TPropInfo GetPropInfo(const QObject* instance, const QString& name) {
    return instance ? GetPropInfo(instance->metaObject(), name) : TPropInfo();
}

QList<TPropInfo> GetPropInfos(const QMetaObject* meta) {
    QList<TPropInfo> result;
    for (int i = QObject::staticMetaObject.propertyCount(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        // A property a descendant declares again is that descendant's only.
        if (meta->indexOfProperty(property.name()) == i)
            result.append(TPropInfo(property));
    }
    return result;
}

QList<TPropInfo> GetPropInfos(const QObject* instance) {
    return GetPropInfos(instance->metaObject());
}

bool IsPublishedProp(const QObject* instance, const QString& name) {
    return GetPropInfo(instance, name).IsValid();
}

bool PropIsType(const QObject* instance, const QString& name, TTypeKind kind) {
    const TPropInfo info = GetPropInfo(instance, name);
    return info && info.Kind() == kind;
}

qint64 OrdValue(const Variant& value) {
    const QMetaType type = value.metaType();
    if (EnumRegistry::SetOf(type)) {
        quint64 bits = 0;
        std::memcpy(&bits, value.constData(), sizeof bits);
        return qint64(bits);
    }
    if (type.flags() & QMetaType::IsEnumeration) {
        switch (type.sizeOf()) {
        case 1:
            return *static_cast<const qint8*>(value.constData());
        case 2:
            return *static_cast<const qint16*>(value.constData());
        case 8:
            return *static_cast<const qint64*>(value.constData());
        default:
            return *static_cast<const qint32*>(value.constData());
        }
    }
    if (type.id() == QMetaType::QChar)
        return value.toChar().unicode();
    return VarToInt(value);
}

Variant OrdVariant(QMetaType type, qint64 ordinal) {
    if (EnumRegistry::SetOf(type)) {
        const quint64 bits = quint64(ordinal);
        return QVariant(type, &bits);
    }
    if (type.flags() & QMetaType::IsEnumeration) {
        switch (type.sizeOf()) {
        case 1: {
            const qint8 v = qint8(ordinal);
            return QVariant(type, &v);
        }
        case 2: {
            const qint16 v = qint16(ordinal);
            return QVariant(type, &v);
        }
        case 8:
            return QVariant(type, &ordinal);
        default: {
            const qint32 v = qint32(ordinal);
            return QVariant(type, &v);
        }
        }
    }
    switch (type.id()) {
    case QMetaType::Bool:
        return QVariant(ordinal != 0);
    case QMetaType::QChar:
        return QVariant(QChar(char16_t(ordinal)));
    default: {
        QVariant v(ordinal);
        v.convert(type);
        return v;
    }
    }
}

TMethod MethodValue(const Variant& value) {
    if (!EventRegistry::Find(value.metaType()))
        return {};
    // Every event type is a TMethod with no members of its own.
    return *static_cast<const TMethod*>(value.constData());
}

void CheckOrdinalRange(const TPropInfo& info, qint64 ordinal) {
    const auto bounds = OrdinalBounds(info.Type());
    if (bounds && (ordinal < bounds->first || ordinal > bounds->second))
        throw EPropertyError(QStringLiteral("Value %1 is out of range for property %2 (%3 to %4)")
                                 .arg(ordinal)
                                 .arg(info.Name())
                                 .arg(bounds->first)
                                 .arg(bounds->second));
}

Variant ReadProp(const QObject* instance, const TPropInfo& info) {
    return info.Property().read(instance);
}

void WriteProp(QObject* instance, const TPropInfo& info, const Variant& value) {
    if (!info.IsWritable())
        throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(info.Name()));
    QVariant converted = value;
    if (value.metaType() != info.Type() && info.Kind() != tkVariant) {
        if (info.Kind() == tkMethod) {
            converted = EventRegistry::Find(info.Type())->ToVariant(MethodValue(value));
        } else if (IsOrdinalKind(info.Kind()) &&
                   (VarIsNumeric(value) || value.metaType().id() == QMetaType::Bool ||
                    (value.metaType().flags() & QMetaType::IsEnumeration) ||
                    EnumRegistry::SetOf(value.metaType()))) {
            const qint64 ordinal = OrdValue(value);
            CheckOrdinalRange(info, ordinal);
            converted = OrdVariant(info.Type(), ordinal);
        } else if (info.Kind() == tkClass && VarIsNull(value)) {
            converted = QVariant(info.Type(), nullptr);
        } else if (!converted.convert(info.Type())) {
            InvalidValue(info);
        }
    }
    // Not a number and the infinities cannot be stored in a form file.
    if (info.Kind() == tkFloat && !std::isfinite(converted.toDouble()))
        InvalidValue(info);
    if (!info.Property().write(instance, converted))
        InvalidValue(info);
}

Variant GetPropValue(const QObject* instance, const QString& name) {
    return ReadProp(instance, Require(instance, name));
}

void SetPropValue(QObject* instance, const QString& name, const Variant& value) {
    WriteProp(instance, Require(instance, name), value);
}

qint64 GetOrdProp(const QObject* instance, const QString& name) {
    const TPropInfo info =
        RequireKind(instance, name, {tkInteger, tkInt64, tkChar, tkEnumeration, tkSet});
    return OrdValue(ReadProp(instance, info));
}

void SetOrdProp(QObject* instance, const QString& name, qint64 value) {
    const TPropInfo info =
        RequireKind(instance, name, {tkInteger, tkInt64, tkChar, tkEnumeration, tkSet});
    CheckOrdinalRange(info, value);
    WriteProp(instance, info, OrdVariant(info.Type(), value));
}

QString GetStrProp(const QObject* instance, const QString& name) {
    return ReadProp(instance, RequireKind(instance, name, {tkString})).toString();
}

void SetStrProp(QObject* instance, const QString& name, const QString& value) {
    WriteProp(instance, RequireKind(instance, name, {tkString}), value);
}

double GetFloatProp(const QObject* instance, const QString& name) {
    return ReadProp(instance, RequireKind(instance, name, {tkFloat})).toDouble();
}

void SetFloatProp(QObject* instance, const QString& name, double value) {
    WriteProp(instance, RequireKind(instance, name, {tkFloat}), value);
}

QObject* GetObjectProp(const QObject* instance, const QString& name) {
    return ReadProp(instance, RequireKind(instance, name, {tkClass})).value<QObject*>();
}

void SetObjectProp(QObject* instance, const QString& name, QObject* value) {
    const TPropInfo info = RequireKind(instance, name, {tkClass});
    if (value && !value->metaObject()->inherits(info.ClassType()))
        InvalidValue(info);
    // A pointer to the property's own class, as QMetaProperty::write expects it.
    WriteProp(instance, info, QVariant(info.Type(), &value));
}

TMethod GetMethodProp(const QObject* instance, const QString& name) {
    return MethodValue(ReadProp(instance, RequireKind(instance, name, {tkMethod})));
}

void SetMethodProp(QObject* instance, const QString& name, const TMethod& value) {
    const TPropInfo info = RequireKind(instance, name, {tkMethod});
    const QVariant typed = EventRegistry::Find(info.Type())->ToVariant(value);
    if (value.IsAssigned() && !MethodValue(typed).IsAssigned())
        throw EPropertyError(QStringLiteral("Incompatible handler for %1: %2")
                                 .arg(name, QString::fromLatin1(value.MethodName())));
    WriteProp(instance, info, typed);
}

QString GetEnumProp(const QObject* instance, const QString& name) {
    const TPropInfo info = RequireKind(instance, name, {tkEnumeration});
    const qint64 ordinal = OrdValue(ReadProp(instance, info));
    if (info.Type().id() == QMetaType::Bool)
        return ordinal ? QStringLiteral("True") : QStringLiteral("False");
    return EnumRegistry::NameOf(*EnumRegistry::EnumOf(info.Type()), int(ordinal));
}

void SetEnumProp(QObject* instance, const QString& name, const QString& value) {
    const TPropInfo info = RequireKind(instance, name, {tkEnumeration});
    std::optional<int> ordinal;
    if (info.Type().id() == QMetaType::Bool) {
        if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            ordinal = 1;
        else if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            ordinal = 0;
    } else {
        ordinal = EnumRegistry::OrdinalOf(*EnumRegistry::EnumOf(info.Type()), value);
    }
    if (!ordinal)
        throw EPropertyError(QStringLiteral("Invalid property value %1 for %2").arg(value, name));
    WriteProp(instance, info, OrdVariant(info.Type(), *ordinal));
}
