#pragma once

// How numbers, money and dates are written for the user: taken from the user's locale,
// with the classic defaults where the locale gives none (the "C" locale gives none).

#include <QChar>
#include <QString>

class QLocale;

// Where the currency symbol stands: before or after the amount, with or without a blank.
enum class TCurrencyPlacement { Before, After, BeforeSpaced, AfterSpaced };

struct TFormatSettings {
    QString ShortDateFormat = QStringLiteral("dd.MM.yyyy"); // a QDate format
    QString LongTimeFormat = QStringLiteral("hh:mm:ss");    // a QTime format
    QChar DecimalSeparator = QLatin1Char('.');
    QChar ThousandSeparator = QLatin1Char(',');
    QString CurrencyString; // none by default
    TCurrencyPlacement CurrencyFormat = TCurrencyPlacement::AfterSpaced;
    int CurrencyDecimals = 2;

    // The settings of Locale; the classic defaults for what it does not give.
    static TFormatSettings FromLocale(const QLocale& Locale);
    // Amount (digits and separators, without a sign) with the currency symbol placed.
    QString PlaceCurrency(const QString& Amount) const;
};

// The settings in force: those of the default locale (QLocale()) until replaced.
const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& Settings);
