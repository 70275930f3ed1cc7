#include "VariantRecord.h"

#include "Exceptions.h"

#include <QtEndian>
#include <cmath>
#include <cstring>

namespace {

const QDate DayZero(1899, 12, 30);
constexpr qint64 MillisecondsPerDay = 86400000;

template <class T> QByteArray RecordOf(TVarType Type, T Data) {
    static_assert(sizeof(T) <= 8);
    QByteArray record(VariantRecordSize, '\0');
    qToLittleEndian<quint16>(Type, record.data());
    qToLittleEndian<T>(Data, record.data() + 8);
    return record;
}

template <class T> T DataOf(const QByteArray& Record) {
    return qFromLittleEndian<T>(Record.constData() + 8);
}

double DaysOf(const QDate& Date, qint64 Milliseconds) {
    const qint64 days = DayZero.daysTo(Date);
    const double fraction = double(Milliseconds) / MillisecondsPerDay;
    // Before day zero the fraction still counts forward from midnight: -1.25 is 06:00 of
    // the day before.
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

Variant DateOf(double Days) {
    if (!std::isfinite(Days) || std::fabs(Days) > 3.0e6)
        throw EConvertError(QStringLiteral("Invalid date in a value record"));
    const double whole = std::trunc(Days);
    const qint64 milliseconds = qRound64(std::fabs(Days - whole) * MillisecondsPerDay);
    const QDate date = DayZero.addDays(qint64(whole));
    if (milliseconds == 0)
        return date;
    const QTime time =
        QTime::fromMSecsSinceStartOfDay(int(qMin(milliseconds, MillisecondsPerDay - 1)));
    if (date == DayZero)
        return time;
    return QDateTime(date, time);
}

[[noreturn]] void NotStorable(const Variant& Value) {
    throw EConvertError(QStringLiteral("A value of type %1 has no record")
                            .arg(QString::fromLatin1(Value.metaType().name())));
}

} // namespace

QByteArray VariantToRecord(const Variant& Value) {
    if (VarIsNull(Value))
        return RecordOf<quint64>(varNull, 0);
    switch (Value.metaType().id()) {
    case QMetaType::Bool:
        return RecordOf<qint16>(varBoolean, Value.toBool() ? -1 : 0);
    case QMetaType::Short:
        return RecordOf<qint16>(varSmallint, Value.value<short>());
    case QMetaType::UChar:
        return RecordOf<quint8>(varByte, Value.value<uchar>());
    case QMetaType::Int:
        return RecordOf<qint32>(varInteger, Value.toInt());
    case QMetaType::UShort:
    case QMetaType::UInt:
        if (Value.toLongLong() <= std::numeric_limits<qint32>::max())
            return RecordOf<qint32>(varInteger, qint32(Value.toLongLong()));
        return RecordOf<qint64>(varInt64, Value.toLongLong());
    case QMetaType::LongLong:
        return RecordOf<qint64>(varInt64, Value.toLongLong());
    case QMetaType::ULongLong:
        if (Value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            NotStorable(Value);
        return RecordOf<qint64>(varInt64, qint64(Value.toULongLong()));
    case QMetaType::Float:
        return RecordOf<float>(varSingle, Value.toFloat());
    case QMetaType::Double:
        return RecordOf<double>(varDouble, Value.toDouble());
    case QMetaType::QDate:
        if (!Value.toDate().isValid())
            NotStorable(Value);
        return RecordOf<double>(varDate, DaysOf(Value.toDate(), 0));
    case QMetaType::QTime:
        if (!Value.toTime().isValid())
            NotStorable(Value);
        return RecordOf<double>(varDate, DaysOf(DayZero, Value.toTime().msecsSinceStartOfDay()));
    case QMetaType::QDateTime: {
        const QDateTime dateTime = Value.toDateTime();
        if (!dateTime.isValid())
            NotStorable(Value);
        return RecordOf<double>(varDate,
                                DaysOf(dateTime.date(), dateTime.time().msecsSinceStartOfDay()));
    }
    default:
        NotStorable(Value);
    }
}

Variant VariantFromRecord(const QByteArray& Record) {
    if (Record.size() != VariantRecordSize)
        throw EConvertError(QStringLiteral("A value record has %1 bytes, not %2")
                                .arg(Record.size())
                                .arg(VariantRecordSize));
    const quint16 type = qFromLittleEndian<quint16>(Record.constData());
    switch (type) {
    case varEmpty:
    case varNull:
        return Null();
    case varSmallint:
        return QVariant::fromValue<short>(DataOf<qint16>(Record));
    case varInteger:
        return int(DataOf<qint32>(Record));
    case varSingle:
        return DataOf<float>(Record);
    case varDouble:
        return DataOf<double>(Record);
    case varCurrency:
        return double(DataOf<qint64>(Record)) / 10000.0;
    case varDate:
        return DateOf(DataOf<double>(Record));
    case varBoolean:
        return DataOf<qint16>(Record) != 0;
    case varByte:
        return QVariant::fromValue<uchar>(DataOf<quint8>(Record));
    case varInt64:
        return qlonglong(DataOf<qint64>(Record));
    case varString:
        throw EConvertError(QStringLiteral("A string is not held in a value record"));
    default:
        throw EConvertError(QStringLiteral("Unknown value type code %1").arg(type));
    }
}
