#include <QDateTime>
#include <db/DateTimeText.h>
#include <gtest/gtest.h>
#include <rtl/FormatSettings.h>

namespace {

// Qt's own text is the measure: every numeric format gives what QDateTime::toString gives.
TEST(DateTimeText, NumericFormatsWriteWhatQtWrites) {
    const QList<QDateTime> moments{
        {QDate(2024, 2, 29), QTime(9, 5, 7, 40)},  {QDate(1999, 12, 31), QTime(23, 59, 59, 999)},
        {QDate(2001, 1, 1), QTime(0, 0)},          {QDate(5, 7, 8), QTime(12, 30, 0, 100)},
        {QDate(1899, 12, 30), QTime(13, 1, 2, 3)},
    };
    const QStringList formats{
        QStringLiteral("dd.MM.yyyy"),
        QStringLiteral("d.M.yy"),
        QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"),
        QStringLiteral("hh:mm:ss"),
        QStringLiteral("h:m:s.z"),
        QStringLiteral("'at' H 'o''clock'"),
        QStringLiteral("dd/MM/yyyy 'T' hh"),
        QStringLiteral("'' d ''"),
        QStringLiteral("MM-dd, yy"),
    };
    for (const QDateTime& moment : moments)
        for (const QString& format : formats) {
            SCOPED_TRACE(format.toStdString() + " " + moment.toString(Qt::ISODate).toStdString());
            const auto text = NumericDateTimeText(format, moment.date(), moment.time());
            if (format.contains(QStringLiteral("o''c"))) {
                EXPECT_FALSE(text); // a quote within quotes is left to Qt
                continue;
            }
            ASSERT_TRUE(text);
            EXPECT_EQ(text->toStdString(), moment.toString(format).toStdString());
        }
}

TEST(DateTimeText, NamesAndOtherPartsAreLeftToQt) {
    const QDate date(2024, 2, 29);
    const QTime time(9, 5);
    for (const char* format : {"ddd d", "dddd", "MMM yyyy", "MMMM", "hh:mm AP", "h ap", "yyy",
                               "yyyyy", "zz", "t", "dd 'open", "HHH"})
        EXPECT_FALSE(NumericDateTimeText(QString::fromLatin1(format), date, time)) << format;
    EXPECT_FALSE(NumericDateTimeText(u"yyyy", QDate(10000, 1, 1), time));
}

// The date, time and date-time fields write their values without a display format in the
// format settings in force; times stand on the day of time-only values.
TEST(DateTimeText, DefaultFormatsFollowTheSettingsForEachType) {
    const TFormatSettings saved = FormatSettings();
    TFormatSettings settings = saved;
    settings.ShortDateFormat = QStringLiteral("yyyy/M/d");
    settings.LongTimeFormat = QStringLiteral("H-mm");
    SetFormatSettings(settings);
    const QDateTime moment(QDate(2024, 2, 9), QTime(7, 5));
    EXPECT_EQ(DateTimeText(moment, DefaultDateTimeFormat(ftDateTime)),
              QStringLiteral("2024/2/9 7-05"));
    EXPECT_EQ(DateTimeText(moment.date(), DefaultDateTimeFormat(ftDate)),
              QStringLiteral("2024/2/9"));
    EXPECT_EQ(DateTimeText(moment.time(), DefaultDateTimeFormat(ftTime)), QStringLiteral("7-05"));
    EXPECT_EQ(DateTimeText(moment.time(), DefaultDateTimeFormat(ftDateTime)),
              QStringLiteral("1899/12/30 7-05"));
    SetFormatSettings(saved);
}

} // namespace
