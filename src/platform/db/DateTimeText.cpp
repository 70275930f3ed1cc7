#include "DateTimeText.h"

#include <QDateTime>
#include <iterator>
#include <rtl/FormatSettings.h>

namespace {

// Value in decimal, its digits padded with zeroes to Width, appended at once.
void AppendNumber(QString& Text, int Value, int Width) {
    char16_t text[24];
    qsizetype at = std::size(text);
    unsigned magnitude = Value < 0 ? 0u - unsigned(Value) : unsigned(Value);
    do {
        text[--at] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude > 0);
    while (qsizetype(std::size(text)) - at < Width && at > 1)
        text[--at] = u'0';
    if (Value < 0)
        text[--at] = u'-';
    Text.append(QStringView(text + at, qsizetype(std::size(text)) - at));
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
    int year = 0, month = 0, day = 0;
    Date.getDate(&year, &month, &day); // one conversion from the day number for all three
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
            AppendNumber(text, day, int(run));
            break;
        case 'M':
            if (run > 2)
                return std::nullopt;
            AppendNumber(text, month, int(run));
            break;
        case 'y':
            if (year < 0 || year > 9999)
                return std::nullopt;
            if (run == 2)
                AppendNumber(text, year % 100, 2);
            else if (run == 4)
                AppendNumber(text, year, 4);
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
