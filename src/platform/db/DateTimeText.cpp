#include "DateTimeText.h"

#include <QDateTime>
#include <rtl/FormatSettings.h>

namespace {

void AppendNumber(QString& Text, int Value, int Width) {
    if (Value < 0) {
        Text += QLatin1Char('-');
        Value = -Value;
    }
    char digits[12];
    int count = 0;
    do {
        digits[count++] = char('0' + Value % 10);
        Value /= 10;
    } while (Value > 0);
    for (int i = count; i < Width; ++i)
        Text += QLatin1Char('0');
    while (count > 0)
        Text += QLatin1Char(digits[--count]);
}

// The milliseconds of "z": without trailing zeroes.
void AppendShortMilliseconds(QString& Text, int Milliseconds) {
    QString digits;
    AppendNumber(digits, Milliseconds, 3);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    Text += digits;
}

} // namespace

std::optional<QString> NumericDateTimeText(QStringView Format, QDate Date, QTime Time) {
    QString text;
    text.reserve(Format.size() + 4);
    qsizetype i = 0;
    while (i < Format.size()) {
        const QChar c = Format[i];
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes stand for one.
            const qsizetype end = Format.indexOf(QLatin1Char('\''), i + 1);
            if (end == i + 1) {
                text += QLatin1Char('\'');
                i += 2;
                continue;
            }
            if (end < 0 || (end + 1 < Format.size() && Format[end + 1] == QLatin1Char('\'')))
                return std::nullopt; // a quote inside quoted text: left to Qt
            text += Format.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (!c.isLetter()) {
            text += c;
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < Format.size() && Format[i + run] == c)
            ++run;
        const char letter = c.unicode() < 0x80 ? char(c.unicode()) : '\0';
        switch (letter) {
        case 'd':
            if (run > 2)
                return std::nullopt;
            AppendNumber(text, Date.day(), int(run));
            break;
        case 'M':
            if (run > 2)
                return std::nullopt;
            AppendNumber(text, Date.month(), int(run));
            break;
        case 'y':
            if (Date.year() < 0 || Date.year() > 9999)
                return std::nullopt;
            if (run == 2)
                AppendNumber(text, Date.year() % 100, 2);
            else if (run == 4)
                AppendNumber(text, Date.year(), 4);
            else
                return std::nullopt;
            break;
        case 'h':
        case 'H':
            if (run > 2)
                return std::nullopt;
            AppendNumber(text, Time.hour(), int(run));
            break;
        case 'm':
            if (run > 2)
                return std::nullopt;
            AppendNumber(text, Time.minute(), int(run));
            break;
        case 's':
            if (run > 2)
                return std::nullopt;
            AppendNumber(text, Time.second(), int(run));
            break;
        case 'z':
            if (run == 1)
                AppendShortMilliseconds(text, Time.msec());
            else if (run == 3)
                AppendNumber(text, Time.msec(), 3);
            else
                return std::nullopt;
            break;
        default:
            return std::nullopt;
        }
        i += run;
    }
    return text;
}

QString DateTimeText(const Variant& Value, const QString& Format) {
    QDate date;
    QTime time(0, 0);
    switch (Value.typeId()) {
    case QMetaType::QDate:
        date = Value.toDate();
        break;
    case QMetaType::QTime:
        date = TimeOnlyDate;
        time = Value.toTime();
        break;
    default: {
        const QDateTime dateTime = VarToDateTime(Value);
        date = dateTime.date();
        time = dateTime.time();
    }
    }
    if (date.isValid() && time.isValid())
        if (std::optional<QString> text = NumericDateTimeText(Format, date, time))
            return *std::move(text);
    return VarToDateTime(Value).toString(Format);
}

QString DefaultDateTimeFormat(TFieldType Type) {
    switch (Type) {
    case ftDate:
        return FormatSettings().ShortDateFormat;
    case ftTime:
        return FormatSettings().LongTimeFormat;
    default:
        return FormatSettings().ShortDateFormat + QLatin1Char(' ') +
               FormatSettings().LongTimeFormat;
    }
}
