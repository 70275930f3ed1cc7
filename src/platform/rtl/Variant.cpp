#include "Variant.h"

#include "Exceptions.h"

namespace {
[[noreturn]] void ConversionFailed(const Variant& v, const char* target) {
    throw EConvertError(
        QStringLiteral("Could not convert variant of type (%1) into type (%2)")
            .arg(QString::fromLatin1(v.metaType().name()), QString::fromLatin1(target)));
}
} // namespace

bool VarIsNull(const Variant& v) {
    return v.isNull();
}

bool VarIsArray(const Variant& v) {
    return v.metaType().id() == QMetaType::QVariantList;
}

bool VarIsNumeric(const Variant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool VarIsStr(const Variant& v) {
    return v.metaType().id() == QMetaType::QString;
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
    return QVariantList(values);
}

int VarArrayHighBound(const Variant& v) {
    if (!VarIsArray(v))
        throw EConvertError(QStringLiteral("Variant is not an array"));
    return int(v.toList().size()) - 1;
}

QString VarToStr(const Variant& v) {
    if (VarIsNull(v))
        return {};
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (VarIsArray(v))
        ConversionFailed(v, "String");
    if (!v.canConvert<QString>())
        ConversionFailed(v, "String");
    return v.toString();
}

qint64 VarToInt(const Variant& v) {
    if (VarIsNull(v))
        return 0;
    bool ok = false;
    qint64 result = 0;
    if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float) {
        const double d = v.toDouble();
        ok = d >= -9.2e18 && d <= 9.2e18;
        if (ok)
            result = qRound64(d);
    } else if (VarIsStr(v)) {
        result = v.toString().trimmed().toLongLong(&ok);
    } else {
        result = v.toLongLong(&ok);
    }
    if (!ok)
        ConversionFailed(v, "Integer");
    return result;
}

double VarToFloat(const Variant& v) {
    if (VarIsNull(v))
        return 0;
    bool ok = false;
    const double result = VarIsStr(v) ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok)
        ConversionFailed(v, "Double");
    return result;
}

bool VarToBool(const Variant& v) {
    if (VarIsNull(v))
        return false;
    if (VarIsStr(v)) {
        const QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        return VarToInt(v) != 0;
    }
    if (VarIsNumeric(v) || v.metaType().id() == QMetaType::Bool)
        return v.toBool();
    ConversionFailed(v, "Boolean");
}

QDateTime VarToDateTime(const Variant& v) {
    if (VarIsNull(v))
        return {};
    switch (v.metaType().id()) {
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QDate:
        return v.toDate().startOfDay();
    case QMetaType::QTime:
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
        if (!dt.isValid())
            dt = QDate::fromString(s, Qt::ISODate).startOfDay();
        if (dt.isValid())
            return dt;
        break;
    }
    default:
        break;
    }
    ConversionFailed(v, "Date");
}

namespace {

// A whole number that a 64-bit signed integer holds whatever its value.
bool IsSignedWhole(const Variant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

} // namespace

bool VarSameValue(const Variant& a, const Variant& b) {
    if (VarIsNull(a) || VarIsNull(b))
        return VarIsNull(a) && VarIsNull(b);
    if (VarIsArray(a) || VarIsArray(b)) {
        if (!VarIsArray(a) || !VarIsArray(b))
            return false;
        const QVariantList la = a.toList(), lb = b.toList();
        if (la.size() != lb.size())
            return false;
        for (qsizetype i = 0; i < la.size(); ++i)
            if (!VarSameValue(la[i], lb[i]))
                return false;
        return true;
    }
    if (VarIsNumeric(a) && VarIsNumeric(b)) {
        // Whole numbers compare exactly, without a detour through floating point.
        if (IsSignedWhole(a) && IsSignedWhole(b))
            return a.toLongLong() == b.toLongLong();
        return a.toDouble() == b.toDouble();
    }
    return a == b;
}
