#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

// A date and time written in a Qt date-time format without going through the locale: the
// numeric parts (d dd M MM yy yyyy h hh H HH m mm s ss z zzz), quoted text and other
// characters as they stand. Nothing for a format with any other part (names of days and
// months, AM/PM, time zones), which the caller leaves to Qt.
std::optional<QString> NumericDateTimeText(QStringView Format, QDate Date, QTime Time);
