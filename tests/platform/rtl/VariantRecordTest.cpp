#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <rtl/VariantRecord.h>

namespace {

// A record as the classic platform writes it: the code, zero reserved words, then Data.
QByteArray Record(quint16 Type, std::initializer_list<quint8> Data) {
    QByteArray record(VariantRecordSize, '\0');
    record[0] = char(Type & 0xFF);
    record[1] = char(Type >> 8);
    int at = 8;
    for (quint8 byte : Data)
        record[at++] = char(byte);
    return record;
}

TEST(VariantRecords, EveryKindRoundTripsWithItsType) {
    const QList<Variant> values = {
        Null(),
        true,
        false,
        QVariant::fromValue<short>(-1234),
        QVariant::fromValue<uchar>(200),
        -2000000000,
        qlonglong(-9000000000000000000LL),
        2.5f,
        -1.0 / 3.0,
        QDate(2024, 2, 29),
        QDate(1899, 12, 30),
        QDate(1066, 10, 14),
        QTime(13, 5, 30, 250),
        QDateTime(QDate(2001, 9, 11), QTime(8, 46)),
        QDateTime(QDate(1899, 12, 29), QTime(6, 0)),
    };
    for (const Variant& value : values) {
        const QByteArray record = VariantToRecord(value);
        ASSERT_EQ(record.size(), VariantRecordSize) << qPrintable(value.toString());
        EXPECT_EQ(record.mid(2, 6), QByteArray(6, '\0')) << "reserved words stay zero";
        const Variant back = VariantFromRecord(record);
        EXPECT_EQ(back.metaType(), value.metaType()) << qPrintable(value.toString());
        EXPECT_EQ(back, value) << qPrintable(value.toString());
    }
}

TEST(VariantRecords, HandWrittenRecordsDecode) {
    EXPECT_TRUE(VarIsNull(VariantFromRecord(Record(varEmpty, {}))));
    EXPECT_TRUE(VarIsNull(VariantFromRecord(Record(varNull, {}))));
    EXPECT_EQ(VariantFromRecord(Record(varSmallint, {0xFE, 0xFF})), QVariant::fromValue<short>(-2));
    EXPECT_EQ(VariantFromRecord(Record(varInteger, {0x40, 0xE2, 0x01, 0x00})), 123456);
    EXPECT_EQ(VariantFromRecord(Record(varSingle, {0x00, 0x00, 0x20, 0x40})), 2.5f);
    EXPECT_EQ(VariantFromRecord(Record(varDouble, {0, 0, 0, 0, 0, 0, 0xF8, 0xBF})), -1.5);
    // 12.3456 as currency: 123456 in units of 1/10000.
    EXPECT_DOUBLE_EQ(
        VariantFromRecord(Record(varCurrency, {0x40, 0xE2, 0x01, 0, 0, 0, 0, 0})).toDouble(),
        12.3456);
    // 45351.0 = 2024-02-29; 36000.5 = 1998-07-24 12:00; 0.25 = 06:00.
    EXPECT_EQ(VariantFromRecord(Record(varDate, {0, 0, 0, 0, 0xE0, 0x24, 0xE6, 0x40})),
              QDate(2024, 2, 29));
    EXPECT_EQ(VariantFromRecord(Record(varDate, {0, 0, 0, 0, 0x10, 0x94, 0xE1, 0x40})),
              QDateTime(QDate(1998, 7, 24), QTime(12, 0)));
    EXPECT_EQ(VariantFromRecord(Record(varDate, {0, 0, 0, 0, 0, 0, 0xD0, 0x3F})), QTime(6, 0));
    // -1.25: the day before day zero, 06:00.
    EXPECT_EQ(VariantFromRecord(Record(varDate, {0, 0, 0, 0, 0, 0, 0xF4, 0xBF})),
              QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_EQ(VariantFromRecord(Record(varBoolean, {0xFF, 0xFF})), true);
    EXPECT_EQ(VariantFromRecord(Record(varBoolean, {0, 0})), false);
    EXPECT_EQ(VariantFromRecord(Record(varByte, {0xC8})), QVariant::fromValue<uchar>(200));
    EXPECT_EQ(VariantFromRecord(Record(varInt64, {0, 0, 0, 0, 0, 0, 0, 0x80})),
              qlonglong(std::numeric_limits<qint64>::min()));
}

TEST(VariantRecords, WrittenBytesAreTheClassicOnes) {
    EXPECT_EQ(VariantToRecord(true), Record(varBoolean, {0xFF, 0xFF}));
    EXPECT_EQ(VariantToRecord(123456), Record(varInteger, {0x40, 0xE2, 0x01, 0x00}));
    EXPECT_EQ(VariantToRecord(QDate(2024, 2, 29)),
              Record(varDate, {0, 0, 0, 0, 0xE0, 0x24, 0xE6, 0x40}));
    EXPECT_EQ(VariantToRecord(Null()), Record(varNull, {}));
    EXPECT_EQ(VariantToRecord(-1.5), Record(varDouble, {0, 0, 0, 0, 0, 0, 0xF8, 0xBF}));
    // Unsigned values go into the smallest signed kind that holds them.
    EXPECT_EQ(VariantToRecord(QVariant::fromValue<uint>(7)), Record(varInteger, {7, 0, 0, 0}));
    EXPECT_EQ(VariantToRecord(QVariant::fromValue<uint>(3000000000u)),
              Record(varInt64, {0x00, 0x5E, 0xD0, 0xB2, 0, 0, 0, 0}));
}

TEST(VariantRecords, WhatHasNoRecordIsRefused) {
    EXPECT_THROW(VariantToRecord(QStringLiteral("text")), EConvertError);
    EXPECT_THROW(VariantToRecord(QByteArray("bytes")), EConvertError);
    EXPECT_THROW(VariantToRecord(VarArrayOf({1, 2})), EConvertError);
    EXPECT_THROW(VariantToRecord(QDate()), EConvertError);
    EXPECT_THROW(VariantToRecord(QVariant::fromValue<qulonglong>(~0ULL)), EConvertError);

    EXPECT_THROW(VariantFromRecord(QByteArray(15, '\0')), EConvertError);
    EXPECT_THROW(VariantFromRecord(QByteArray(17, '\0')), EConvertError);
    EXPECT_THROW(VariantFromRecord(Record(varString, {})), EConvertError);
    EXPECT_THROW(VariantFromRecord(Record(9, {})), EConvertError);
    // A date far beyond the platform's calendar, and no number at all.
    EXPECT_THROW(VariantFromRecord(Record(varDate, {0, 0, 0, 0, 0, 0, 0xF0, 0x7F})), EConvertError);
    EXPECT_THROW(VariantFromRecord(Record(varDate, {0, 0, 0, 0, 0, 0, 0xF8, 0x7F})), EConvertError);
}

} // namespace
