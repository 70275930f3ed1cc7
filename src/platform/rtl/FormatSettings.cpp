#include "FormatSettings.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

// One character of a locale's text, or Default when the text is not one character.
QChar SingleChar(const QString& Text, QChar Default) {
    return Text.size() == 1 ? Text[0] : Default;
}

// A short date with a two-digit year would lose the century on the way back: four digits.
QString WithFullYear(const QString& Format) {
    if (Format.contains(QLatin1String("yyyy")))
        return Format;
    static const QRegularExpression twoDigits(QStringLiteral("(?<!y)yy(?!y)"));
    return QString(Format).replace(twoDigits, QStringLiteral("yyyy"));
}

TCurrencyPlacement PlacementOf(const QLocale& Locale, const QString& Symbol) {
    const QString one = Locale.toCurrencyString(1.0, Symbol);
    const qsizetype at = one.indexOf(Symbol);
    if (at == 0)
        return one.size() > Symbol.size() && one[Symbol.size()].isSpace()
                   ? TCurrencyPlacement::BeforeSpaced
                   : TCurrencyPlacement::Before;
    return at > 0 && one[at - 1].isSpace() ? TCurrencyPlacement::AfterSpaced
                                           : TCurrencyPlacement::After;
}

TFormatSettings& Current() {
    static TFormatSettings settings = TFormatSettings::FromLocale(QLocale());
    return settings;
}

} // namespace

TFormatSettings TFormatSettings::FromLocale(const QLocale& Locale) {
    TFormatSettings settings;
    if (Locale.language() == QLocale::C)
        return settings;
    if (const QString date = Locale.dateFormat(QLocale::ShortFormat); !date.isEmpty())
        settings.ShortDateFormat = WithFullYear(date);
    settings.DecimalSeparator = SingleChar(Locale.decimalPoint(), settings.DecimalSeparator);
    settings.ThousandSeparator = SingleChar(Locale.groupSeparator(), settings.ThousandSeparator);
    if (settings.ThousandSeparator == settings.DecimalSeparator)
        settings.ThousandSeparator = TFormatSettings().ThousandSeparator;
    settings.CurrencyString = Locale.currencySymbol(QLocale::CurrencySymbol);
    if (!settings.CurrencyString.isEmpty())
        settings.CurrencyFormat = PlacementOf(Locale, settings.CurrencyString);
    return settings;
}

QString TFormatSettings::PlaceCurrency(const QString& Amount) const {
    if (CurrencyString.isEmpty())
        return Amount;
    switch (CurrencyFormat) {
    case TCurrencyPlacement::Before:
        return CurrencyString + Amount;
    case TCurrencyPlacement::After:
        return Amount + CurrencyString;
    case TCurrencyPlacement::BeforeSpaced:
        return CurrencyString + QChar(0xA0) + Amount;
    case TCurrencyPlacement::AfterSpaced:
        break;
    }
    return Amount + QChar(0xA0) + CurrencyString;
}

const TFormatSettings& FormatSettings() {
    return Current();
}

void SetFormatSettings(const TFormatSettings& Settings) {
    Current() = Settings;
}
