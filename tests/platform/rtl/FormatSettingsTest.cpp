#include <QLocale>
#include <gtest/gtest.h>
#include <rtl/FormatSettings.h>

namespace {

TEST(FormatSettings, TheCLocaleGivesTheClassicDefaults) {
    const TFormatSettings c = TFormatSettings::FromLocale(QLocale::c());
    EXPECT_EQ(c.ShortDateFormat, QStringLiteral("dd.MM.yyyy"));
    EXPECT_EQ(c.LongTimeFormat, QStringLiteral("hh:mm:ss"));
    EXPECT_EQ(c.DecimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(c.ThousandSeparator, QLatin1Char(','));
    EXPECT_TRUE(c.CurrencyString.isEmpty());
    EXPECT_EQ(c.PlaceCurrency(QStringLiteral("1.00")), QStringLiteral("1.00"));
}

TEST(FormatSettings, ALocaleGivesItsDateSeparatorsAndCurrency) {
    const TFormatSettings de =
        TFormatSettings::FromLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.ShortDateFormat, QStringLiteral("dd.MM.yyyy")); // the locale's "yy" widened
    EXPECT_EQ(de.DecimalSeparator, QLatin1Char(','));
    EXPECT_EQ(de.ThousandSeparator, QLatin1Char('.'));
    EXPECT_EQ(de.CurrencyString, QStringLiteral("€"));
    EXPECT_EQ(de.PlaceCurrency(QStringLiteral("1,00")), QStringLiteral("1,00\u00A0€"));

    const TFormatSettings us =
        TFormatSettings::FromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.ShortDateFormat, QStringLiteral("M/d/yyyy"));
    EXPECT_EQ(us.DecimalSeparator, QLatin1Char('.'));
    EXPECT_EQ(us.ThousandSeparator, QLatin1Char(','));
    EXPECT_EQ(us.PlaceCurrency(QStringLiteral("1.00")), QStringLiteral("$1.00"));

    const TFormatSettings nl =
        TFormatSettings::FromLocale(QLocale(QLocale::Dutch, QLocale::Netherlands));
    EXPECT_EQ(nl.ShortDateFormat, QStringLiteral("dd-MM-yyyy"));
    EXPECT_EQ(nl.PlaceCurrency(QStringLiteral("1,00")), QStringLiteral("€\u00A01,00"));
    // The thousands separator as the locale has it, a narrow no-break space here.
    const TFormatSettings fr =
        TFormatSettings::FromLocale(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(fr.ThousandSeparator, QChar(0x202F));
    EXPECT_EQ(fr.DecimalSeparator, QLatin1Char(','));
}

} // namespace
