#pragma once

#include "FieldType.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>
#include <rtl/Variant.h>

// The day that times without a date belong to.
inline const QDate TimeOnlyDate(1899, 12, 30);

// A date and time written in a Qt date-time format without going through the locale: the
// numeric parts (d dd M MM yy yyyy h hh H HH m mm s ss z zzz), quoted text and other
// characters as they stand. Nothing for a format with any other part (names of days and
// months, AM/PM, time zones), which the caller leaves to Qt.
std::optional<QString> NumericDateTimeText(QStringView Format, QDate Date, QTime Time);

// A date, time or both (Value) in Format: the numeric formats directly, others through Qt.
QString DateTimeText(const Variant& Value, const QString& Format);
// The format the date (ftDate), time (ftTime) and date-time fields write their values in
// when no display format is set, from the format settings in force.
QString DefaultDateTimeFormat(TFieldType Type);
