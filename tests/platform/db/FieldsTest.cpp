#include "MemoryDataSet.h"

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <db/DataLink.h>
#include <db/DataSource.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/FormatSettings.h>
#include <rtl/Streaming.h>

static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// The message of the E an action raises, or a note that it raised none.
template <class E, class Action> QString MessageOf(Action action) {
    try {
        action();
    } catch (const E& e) {
        return e.Message();
    }
    return QStringLiteral("(no exception)");
}

// Fields on the columns of an in-memory dataset, written on a new record.
class Fields : public ::testing::Test {
protected:
    template <class T> T* AddField(const QString& Name, TFieldType Type, int Size = 0) {
        Data.FieldDefs()->Add(Name, Type, Size);
        auto* field = new T(&Data);
        field->SetFieldName(Name);
        field->SetDataSet(&Data);
        return field;
    }
    void StartRecord() {
        Data.Open();
        Data.Append();
    }

    TMemoryDataSet Data;
};

TEST_F(Fields, FieldListsAskedAgainFollowRenamedAndRemovedFields) {
    auto* name = AddField<TStringField>(QStringLiteral("Name"), ftString, 10);
    auto* code = AddField<TIntegerField>(QStringLiteral("Code"), ftInteger);
    const QString names = QStringLiteral("code;NAME");
    EXPECT_EQ(Data.Fields()->GetFieldList(names), (QList<TField*>{code, name}));
    EXPECT_EQ(Data.Fields()->GetFieldList(names), (QList<TField*>{code, name}));
    name->SetFieldName(QStringLiteral("Title"));
    EXPECT_THROW(Data.Fields()->GetFieldList(names), EDatabaseError);
    EXPECT_EQ(Data.Fields()->GetFieldList(QStringLiteral("Code;Title")),
              (QList<TField*>{code, name}));
    delete code;
    EXPECT_THROW(Data.Fields()->GetFieldList(QStringLiteral("Code;Title")), EDatabaseError);
}

TEST_F(Fields, FieldsAddedAfterASearchAreFoundAndNamesStayUnique) {
    auto* name = AddField<TStringField>(QStringLiteral("Name"), ftString, 10);
    EXPECT_EQ(Data.FindField(QStringLiteral("name")), name); // the name map is built now
    auto* code = AddField<TIntegerField>(QStringLiteral("Code"), ftInteger);
    auto* unnamed = new TIntegerField(&Data);
    unnamed->SetDataSet(&Data);
    EXPECT_EQ(Data.FindField(QStringLiteral("CODE")), code);
    EXPECT_EQ(Data.FindField(QStringLiteral("Name")), name);
    EXPECT_EQ(Data.Fields()->Count(), 3);

    auto* twin = new TIntegerField(&Data);
    twin->SetFieldName(QStringLiteral("code"));
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { twin->SetDataSet(&Data); }),
              QStringLiteral("Duplicate field name 'code'"));
    EXPECT_EQ(Data.Fields()->Count(), 3);
    EXPECT_EQ(Data.FindField(QStringLiteral("code")), code);
    // A name given after the field joined is found too.
    unnamed->SetFieldName(QStringLiteral("Level"));
    EXPECT_EQ(Data.FindField(QStringLiteral("level")), unnamed);
    // Names beyond ASCII and long names are found in any case too; a part of a name is not.
    auto* umlaut = AddField<TIntegerField>(QStringLiteral("Ärger"), ftInteger);
    EXPECT_EQ(Data.FindField(QStringLiteral("äRGER")), umlaut);
    const QString longName = QString(70, QLatin1Char('x')) + QStringLiteral("End");
    auto* longField = AddField<TIntegerField>(longName, ftInteger);
    EXPECT_EQ(Data.FindField(longName.toUpper()), longField);
    EXPECT_EQ(Data.FindField(QStringLiteral("Nam")), nullptr);
    EXPECT_EQ(Data.FindField(QStringLiteral("Names")), nullptr);
}

TEST_F(Fields, StringFieldKeepsTextUpToItsSize) {
    auto* name = AddField<TStringField>(QStringLiteral("Name"), ftString);
    EXPECT_EQ(name->Size(), 20);
    EXPECT_EQ(name->Alignment(), taLeftJustify);
    name->SetSize(5);
    name->SetDisplayLabel(QStringLiteral("Customer name"));
    StartRecord();

    name->SetAsString(QStringLiteral("Alice"));
    EXPECT_EQ(name->Value().typeId(), QMetaType::QString);
    EXPECT_EQ(name->AsString(), QStringLiteral("Alice"));
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { name->SetText(QStringLiteral("Bernadette")); }),
              QStringLiteral("Value too long for field 'Customer name' (at most 5 characters)"));
    EXPECT_EQ(name->AsString(), QStringLiteral("Alice"));

    name->SetAsVariant(12345);
    EXPECT_EQ(name->Value(), Variant(QStringLiteral("12345")));
    name->SetText(QString());
    EXPECT_FALSE(name->IsNull());
    EXPECT_EQ(name->Value(), Variant(QString()));
    name->Clear();
    EXPECT_TRUE(name->IsNull());
    EXPECT_EQ(name->DisplayText(), QString());
}

TEST_F(Fields, IntegerFieldsConvertNumbersAndNumericText) {
    auto* qty = AddField<TIntegerField>(QStringLiteral("Qty"), ftInteger);
    StartRecord();

    qty->SetText(QStringLiteral(" 42 "));
    EXPECT_EQ(qty->Value().typeId(), QMetaType::Int);
    EXPECT_EQ(qty->AsInteger(), 42);
    qty->SetAsVariant(7.0);
    EXPECT_EQ(qty->Value(), Variant(7));
    qty->SetAsVariant(QStringLiteral("1e3"));
    EXPECT_EQ(qty->AsInteger(), 1000);
    qty->SetAsVariant(qint64(-5));
    EXPECT_EQ(qty->Value(), Variant(-5));

    EXPECT_EQ(MessageOf<EConvertError>([&] { qty->SetText(QStringLiteral("abc")); }),
              QStringLiteral("'abc' is not a valid integer value"));
    EXPECT_EQ(MessageOf<EConvertError>([&] { qty->SetAsVariant(2.5); }),
              QStringLiteral("'2.5' is not a valid integer value"));
    EXPECT_EQ(MessageOf<EConvertError>([&] { qty->SetText(QStringLiteral("1,5")); }),
              QStringLiteral("'1,5' is not a valid integer value"));
    EXPECT_EQ(qty->AsInteger(), -5);

    qty->SetText(QStringLiteral("  "));
    EXPECT_TRUE(qty->IsNull());
}

TEST_F(Fields, IntegersReadAsTextInEveryDigitAndSign) {
    auto* qty = AddField<TIntegerField>(QStringLiteral("Qty"), ftInteger);
    auto* big = AddField<TLargeintField>(QStringLiteral("Big"), ftLargeint);
    StartRecord();
    for (const int value :
         {0, 7, -5, 1000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
        qty->SetAsVariant(value);
        EXPECT_EQ(qty->AsString(), QString::number(value));
    }
    for (const qint64 value : {qint64(-1), qint64(10000000000), std::numeric_limits<qint64>::min(),
                               std::numeric_limits<qint64>::max()}) {
        big->SetAsVariant(value);
        EXPECT_EQ(big->AsString(), QString::number(value));
    }
}

TEST_F(Fields, IntegerRangesFollowTheTypeAndMinMaxValue) {
    auto* qty = AddField<TIntegerField>(QStringLiteral("Qty"), ftInteger);
    auto* small = AddField<TSmallintField>(QStringLiteral("Small"), ftSmallint);
    auto* code = AddField<TWordField>(QStringLiteral("Code"), ftWord);
    auto* big = AddField<TLargeintField>(QStringLiteral("Big"), ftLargeint);
    StartRecord();

    qty->SetAsInteger(2147483647);
    EXPECT_EQ(qty->AsInteger(), 2147483647);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { qty->SetAsInteger(2147483648LL); }),
              QStringLiteral("2147483648 is not a valid value for field 'Qty'. The allowed range "
                             "is -2147483648 to 2147483647"));
    small->SetAsInteger(-32768);
    EXPECT_EQ(small->AsInteger(), -32768);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { small->SetText(QStringLiteral("32768")); }),
              QStringLiteral("32768 is not a valid value for field 'Small'. The allowed range is "
                             "-32768 to 32767"));
    code->SetAsInteger(65535);
    EXPECT_EQ(code->AsInteger(), 65535);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { code->SetAsInteger(-1); }),
              QStringLiteral("-1 is not a valid value for field 'Code'. The allowed range is 0 "
                             "to 65535"));

    // MinValue..MaxValue narrow the type's range, never widen it.
    qty->SetMinValue(1);
    qty->SetMaxValue(10);
    qty->SetAsInteger(10);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { qty->SetAsInteger(0); }),
              QStringLiteral("0 is not a valid value for field 'Qty'. The allowed range is 1 to "
                             "10"));
    code->SetMaxValue(100000);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { code->SetAsInteger(70000); }),
              QStringLiteral("70000 is not a valid value for field 'Code'. The allowed range is 0 "
                             "to 65535"));

    big->SetText(QStringLiteral("9223372036854775807"));
    EXPECT_EQ(big->Value().typeId(), QMetaType::LongLong);
    EXPECT_EQ(big->AsInteger(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(
        MessageOf<EDatabaseError>([&] { big->SetText(QStringLiteral("9223372036854775808")); }),
        QStringLiteral("9223372036854775808 is not a valid value for field 'Big'. The "
                       "allowed range is -9223372036854775808 to 9223372036854775807"));
    // Integers of every width and signedness keep their value or are refused whole.
    big->SetAsVariant(QVariant::fromValue<quint64>(9223372036854775807ULL));
    EXPECT_EQ(big->AsInteger(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(MessageOf<EDatabaseError>(
                  [&] { big->SetAsVariant(QVariant::fromValue<quint64>(9223372036854775808ULL)); }),
              QStringLiteral("9223372036854775808 is not a valid value for field 'Big'. The "
                             "allowed range is -9223372036854775808 to 9223372036854775807"));
    small->SetAsVariant(QVariant::fromValue<qint16>(-7));
    EXPECT_EQ(small->Value(), Variant(-7));
    code->SetAsVariant(QVariant::fromValue<quint16>(65535));
    EXPECT_EQ(code->Value(), Variant(65535));
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { qty->SetAsVariant(4294967295U); }),
              QStringLiteral("4294967295 is not a valid value for field 'Qty'. The allowed range "
                             "is 1 to 10"));
    EXPECT_EQ(MessageOf<EConvertError>([&] { qty->SetAsVariant(true); }),
              QStringLiteral("'True' is not a valid integer value"));

    // With one of them set, the other 0 is a bound too.
    big->SetMinValue(-100);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { big->SetAsInteger(1); }),
              QStringLiteral("1 is not a valid value for field 'Big'. The allowed range is -100 "
                             "to 0"));
}

TEST_F(Fields, FloatFieldsConvertAndShowNumbers) {
    auto* price = AddField<TFloatField>(QStringLiteral("Price"), ftFloat);
    auto* total = AddField<TCurrencyField>(QStringLiteral("Total"), ftCurrency);
    EXPECT_FALSE(price->Currency());
    EXPECT_TRUE(total->Currency());
    StartRecord();

    price->SetText(QStringLiteral(" 2.5 "));
    EXPECT_EQ(price->Value(), Variant(2.5));
    price->SetAsVariant(3);
    EXPECT_EQ(price->Value().typeId(), QMetaType::Double);
    EXPECT_EQ(MessageOf<EConvertError>([&] { price->SetText(QStringLiteral("abc")); }),
              QStringLiteral("'abc' is not a valid floating point value"));
    EXPECT_THROW(price->SetText(QStringLiteral("inf")), EConvertError);
    price->SetText(QString());
    EXPECT_TRUE(price->IsNull());

    price->SetAsFloat(1.0 / 3);
    EXPECT_EQ(price->Text(), QStringLiteral("0.333333333333333"));
    price->SetPrecision(4);
    EXPECT_EQ(price->DisplayText(), QStringLiteral("0.3333"));
    price->SetAsFloat(0.1 + 0.2);
    EXPECT_EQ(price->AsString(), QStringLiteral("0.3"));

    price->SetMinValue(0);
    price->SetMaxValue(100);
    EXPECT_EQ(MessageOf<EDatabaseError>([&] { price->SetAsFloat(100.5); }),
              QStringLiteral("100.5 is not a valid value for field 'Price'. The allowed range is "
                             "0 to 100"));

    total->SetAsFloat(1234.5);
    EXPECT_EQ(total->DisplayText(), QStringLiteral("1,234.50"));
    EXPECT_EQ(total->Text(), QStringLiteral("1234.50"));
    total->SetAsFloat(-0.5);
    EXPECT_EQ(total->DisplayText(), QStringLiteral("-0.50"));
}

TEST_F(Fields, NumericFieldsShowDisplayFormatAndEditFormat) {
    auto* qty = AddField<TIntegerField>(QStringLiteral("Qty"), ftInteger);
    auto* rate = AddField<TFloatField>(QStringLiteral("Rate"), ftFloat);
    EXPECT_EQ(qty->Alignment(), taRightJustify);
    qty->SetDisplayFormat(QStringLiteral("#,##0 'pcs'"));
    rate->SetDisplayFormat(QStringLiteral("0.0 %"));
    rate->SetEditFormat(QStringLiteral("0.000"));
    StartRecord();
    EXPECT_EQ(qty->DisplayText(), QString());

    qty->SetAsInteger(1234);
    EXPECT_EQ(qty->DisplayText(), QStringLiteral("1,234 pcs"));
    EXPECT_EQ(qty->Text(), QStringLiteral("1234"));
    qty->SetEditFormat(QStringLiteral("000000"));
    EXPECT_EQ(qty->Text(), QStringLiteral("001234"));

    rate->SetAsFloat(2.26);
    EXPECT_EQ(rate->DisplayText(), QStringLiteral("2.3 %"));
    EXPECT_EQ(rate->Text(), QStringLiteral("2.260"));
}

TEST(FieldFormats, DigitPlaceholdersSeparatorsAndLiterals) {
    EXPECT_EQ(FormatNumber(QStringLiteral("0"), 42), QStringLiteral("42"));
    EXPECT_EQ(FormatNumber(QStringLiteral("0000"), 42), QStringLiteral("0042"));
    EXPECT_EQ(FormatNumber(QStringLiteral("#,##0"), 1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(FormatNumber(QStringLiteral("#,##0"), 999), QStringLiteral("999"));
    EXPECT_EQ(FormatNumber(QStringLiteral("#,##0"), 0), QStringLiteral("0"));
    EXPECT_EQ(FormatNumber(QStringLiteral("#,##0.00"), 1234.5), QStringLiteral("1,234.50"));
    EXPECT_EQ(FormatNumber(QStringLiteral("0.##"), 2.5), QStringLiteral("2.5"));
    EXPECT_EQ(FormatNumber(QStringLiteral("0.##"), 2.0), QStringLiteral("2"));
    EXPECT_EQ(FormatNumber(QStringLiteral("#.##"), 0.5), QStringLiteral(".5"));
    EXPECT_EQ(FormatNumber(QStringLiteral("0"), 2.6), QStringLiteral("3"));
    EXPECT_EQ(FormatNumber(QStringLiteral("0.00"), qint64(5)), QStringLiteral("5.00"));
    EXPECT_EQ(FormatNumber(QStringLiteral("#,##0"), std::numeric_limits<qint64>::min()),
              QStringLiteral("-9,223,372,036,854,775,808"));
}

TEST(FieldFormats, LiteralsSignsAndSections) {
    EXPECT_EQ(FormatNumber(QStringLiteral("$#,##0.00 'USD'"), 1234.5),
              QStringLiteral("$1,234.50 USD"));
    EXPECT_EQ(FormatNumber(QStringLiteral("$#,##0.00 'USD'"), -1234.5),
              QStringLiteral("-$1,234.50 USD"));
    // Quoted text may hold the placeholder characters.
    EXPECT_EQ(FormatNumber(QStringLiteral("'No. '0"), 7), QStringLiteral("No. 7"));
    EXPECT_EQ(FormatNumber(QStringLiteral("\"#\"0"), 7), QStringLiteral("#7"));
    // A negative value that rounds to zero loses its sign.
    EXPECT_EQ(FormatNumber(QStringLiteral("0.00"), -0.001), QStringLiteral("0.00"));

    const QString sections = QStringLiteral("0.00;(0.00);'nil; none'");
    EXPECT_EQ(FormatNumber(sections, 3), QStringLiteral("3.00"));
    EXPECT_EQ(FormatNumber(sections, -3.5), QStringLiteral("(3.50)"));
    EXPECT_EQ(FormatNumber(sections, 0.0), QStringLiteral("nil; none"));
    // An empty negative section leaves negative values to the first one.
    EXPECT_EQ(FormatNumber(QStringLiteral("0.0;;'zero'"), -1.25), QStringLiteral("-1.3"));
}

TEST_F(Fields, BooleanFieldsReadTheirDisplayValuesAndLetters) {
    auto* paid = AddField<TBooleanField>(QStringLiteral("Paid"), ftBoolean);
    EXPECT_EQ(paid->DisplayValues(), QStringLiteral("True;False"));
    StartRecord();

    paid->SetText(QStringLiteral("true"));
    EXPECT_EQ(paid->Value(), Variant(true));
    EXPECT_EQ(paid->Text(), QStringLiteral("True"));
    paid->SetAsVariant(0);
    EXPECT_EQ(paid->Value(), Variant(false));
    EXPECT_EQ(paid->DisplayText(), QStringLiteral("False"));

    paid->SetDisplayValues(QStringLiteral("Ja;Nein"));
    EXPECT_EQ(paid->DisplayText(), QStringLiteral("Nein"));
    paid->SetText(QStringLiteral(" JA "));
    EXPECT_TRUE(paid->AsBoolean());
    EXPECT_EQ(paid->AsString(), QStringLiteral("Ja"));
    paid->SetText(QStringLiteral("nein"));
    EXPECT_FALSE(paid->AsBoolean());

    for (const char* text : {"T", "y", "1", "TRUE"}) {
        paid->SetAsBoolean(false);
        paid->SetText(QLatin1String(text));
        EXPECT_TRUE(paid->AsBoolean()) << text;
    }
    for (const char* text : {"f", "N", "0", "false"}) {
        paid->SetAsBoolean(true);
        paid->SetText(QLatin1String(text));
        EXPECT_FALSE(paid->AsBoolean()) << text;
    }
    EXPECT_EQ(MessageOf<EConvertError>([&] { paid->SetText(QStringLiteral("maybe")); }),
              QStringLiteral("'maybe' is not a valid boolean value"));
    paid->SetText(QString());
    EXPECT_TRUE(paid->IsNull());
    EXPECT_EQ(paid->Text(), QString());
}

TEST_F(Fields, DateFieldsAcceptIsoAndDayFirstDates) {
    auto* day = AddField<TDateField>(QStringLiteral("Day"), ftDate);
    StartRecord();

    day->SetText(QStringLiteral("2024-02-29"));
    EXPECT_EQ(day->Value(), Variant(QDate(2024, 2, 29)));
    EXPECT_EQ(day->Text(), QStringLiteral("29.02.2024"));
    EXPECT_EQ(day->AsString(), QStringLiteral("29.02.2024"));
    day->SetText(QStringLiteral("1/2/2024"));
    EXPECT_EQ(day->Value(), Variant(QDate(2024, 2, 1)));
    day->SetText(QStringLiteral("31.12.1999"));
    EXPECT_EQ(day->Value(), Variant(QDate(1999, 12, 31)));
    day->SetAsDateTime(QDateTime(QDate(2023, 7, 4), QTime(23, 59)));
    EXPECT_EQ(day->Value(), Variant(QDate(2023, 7, 4)));

    day->SetDisplayFormat(QStringLiteral("d MMM yyyy"));
    EXPECT_EQ(day->DisplayText(), QStringLiteral("4 Jul 2023"));
    EXPECT_EQ(day->Text(), QStringLiteral("04.07.2023"));

    EXPECT_EQ(MessageOf<EConvertError>([&] { day->SetText(QStringLiteral("2024-02-30")); }),
              QStringLiteral("'2024-02-30' is not a valid date"));
    EXPECT_EQ(MessageOf<EConvertError>([&] { day->SetText(QStringLiteral("10:30")); }),
              QStringLiteral("'10:30' is not a valid date"));
    EXPECT_THROW(day->SetAsVariant(QTime(10, 30)), EConvertError);
    EXPECT_EQ(day->Value(), Variant(QDate(2023, 7, 4)));
    day->SetText(QString());
    EXPECT_TRUE(day->IsNull());
}

// The user's locale in force while it lives.
class TLocaleInForce {
public:
    explicit TLocaleInForce(const QLocale& Locale) : FSaved(FormatSettings()) {
        SetFormatSettings(TFormatSettings::FromLocale(Locale));
    }
    ~TLocaleInForce() { SetFormatSettings(FSaved); }

private:
    TFormatSettings FSaved;
};

TEST_F(Fields, ValuesAreShownAndReadInTheUsersLocale) {
    auto* day = AddField<TDateField>(QStringLiteral("Day"), ftDate);
    auto* stamp = AddField<TDateTimeField>(QStringLiteral("Stamp"), ftDateTime);
    auto* total = AddField<TCurrencyField>(QStringLiteral("Total"), ftCurrency);
    auto* rate = AddField<TFloatField>(QStringLiteral("Rate"), ftFloat);
    auto* qty = AddField<TIntegerField>(QStringLiteral("Qty"), ftInteger);
    qty->SetDisplayFormat(QStringLiteral("#,##0.0"));
    StartRecord();
    day->SetAsDateTime(QDateTime(QDate(2024, 2, 9), QTime()));
    stamp->SetAsDateTime(QDateTime(QDate(2024, 2, 9), QTime(7, 5)));
    total->SetAsFloat(-1234.5);
    rate->SetAsFloat(2.25);
    qty->SetAsInteger(12345);
    {
        TLocaleInForce german(QLocale(QLocale::German, QLocale::Germany));
        EXPECT_EQ(day->DisplayText(), QStringLiteral("09.02.2024"));
        EXPECT_EQ(stamp->Text(), QStringLiteral("09.02.2024 07:05:00"));
        EXPECT_EQ(total->DisplayText(), QStringLiteral("-1.234,50\u00A0€"));
        EXPECT_EQ(total->Text(), QStringLiteral("-1234,50"));
        EXPECT_EQ(rate->DisplayText(), QStringLiteral("2,25"));
        EXPECT_EQ(qty->DisplayText(), QStringLiteral("12.345,0"));
        // What is shown to edit reads back; the program's own form still reads.
        total->SetText(QStringLiteral("1.234,75"));
        EXPECT_EQ(total->AsFloat(), 1234.75);
        rate->SetText(QStringLiteral("0,5"));
        EXPECT_EQ(rate->AsFloat(), 0.5);
        rate->SetText(QStringLiteral("0.25"));
        EXPECT_EQ(rate->AsFloat(), 0.25);
        day->SetText(QStringLiteral("1.3.2024"));
        EXPECT_EQ(day->Value(), Variant(QDate(2024, 3, 1)));
    }
    {
        TLocaleInForce american(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(day->DisplayText(), QStringLiteral("3/1/2024"));
        EXPECT_EQ(total->DisplayText(), QStringLiteral("$1,234.75"));
        day->SetText(QStringLiteral("2/9/2024")); // month first
        EXPECT_EQ(day->Value(), Variant(QDate(2024, 2, 9)));
    }
    // The classic defaults again.
    EXPECT_EQ(day->DisplayText(), QStringLiteral("09.02.2024"));
    EXPECT_EQ(total->DisplayText(), QStringLiteral("1,234.75"));
}

TEST_F(Fields, TimeFieldsAcceptHoursMinutesAndSeconds) {
    auto* start = AddField<TTimeField>(QStringLiteral("Start"), ftTime);
    StartRecord();

    start->SetText(QStringLiteral("10:30"));
    EXPECT_EQ(start->Value(), Variant(QTime(10, 30)));
    start->SetText(QStringLiteral("7:05:09"));
    EXPECT_EQ(start->Value(), Variant(QTime(7, 5, 9)));
    EXPECT_EQ(start->Text(), QStringLiteral("07:05:09"));
    start->SetAsDateTime(QDateTime(QDate(2024, 1, 1), QTime(18, 15)));
    EXPECT_EQ(start->Value(), Variant(QTime(18, 15)));
    start->SetDisplayFormat(QStringLiteral("h:mm"));
    EXPECT_EQ(start->DisplayText(), QStringLiteral("18:15"));

    EXPECT_EQ(MessageOf<EConvertError>([&] { start->SetText(QStringLiteral("25:00")); }),
              QStringLiteral("'25:00' is not a valid time"));
    EXPECT_THROW(start->SetText(QStringLiteral("2024-02-29")), EConvertError);
}

TEST_F(Fields, DateTimeFieldsCombineDateAndTime) {
    auto* stamp = AddField<TDateTimeField>(QStringLiteral("Stamp"), ftDateTime);
    StartRecord();

    const QDateTime leapMorning(QDate(2024, 2, 29), QTime(10, 30));
    stamp->SetText(QStringLiteral("2024-02-29 10:30:00"));
    EXPECT_EQ(stamp->Value(), Variant(leapMorning));
    EXPECT_EQ(stamp->Text(), QStringLiteral("29.02.2024 10:30:00"));
    stamp->Clear();
    stamp->SetText(QStringLiteral("2024-02-29T10:30"));
    EXPECT_EQ(stamp->Value(), Variant(leapMorning));
    stamp->Clear();
    stamp->SetText(QStringLiteral("29/02/2024 10:30"));
    EXPECT_EQ(stamp->Value(), Variant(leapMorning));

    stamp->SetText(QStringLiteral("2024-02-29"));
    EXPECT_EQ(stamp->Value(), Variant(QDateTime(QDate(2024, 2, 29), QTime(0, 0))));
    stamp->SetAsVariant(QDate(2000, 1, 1));
    EXPECT_EQ(stamp->Value().typeId(), QMetaType::QDateTime);
    EXPECT_EQ(stamp->AsDateTime(), QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    stamp->SetDisplayFormat(QStringLiteral("yyyy-MM-dd hh:mm"));
    EXPECT_EQ(stamp->DisplayText(), QStringLiteral("2000-01-01 00:00"));

    EXPECT_EQ(MessageOf<EConvertError>([&] { stamp->SetText(QStringLiteral("2024-02-29 25:00")); }),
              QStringLiteral("'2024-02-29 25:00' is not a valid date and time"));
    EXPECT_THROW(stamp->SetText(QStringLiteral("yesterday")), EConvertError);
    EXPECT_THROW(stamp->SetAsVariant(5), EConvertError);
}

TEST_F(Fields, BlobFieldsRoundTripThroughFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto* data = AddField<TBlobField>(QStringLiteral("Data"), ftBlob);
    auto* notes = AddField<TMemoField>(QStringLiteral("Notes"), ftMemo);
    auto* photo = AddField<TGraphicField>(QStringLiteral("Photo"), ftGraphic);
    StartRecord();
    EXPECT_EQ(data->DisplayText(), QStringLiteral("(blob)"));
    EXPECT_EQ(notes->DisplayText(), QStringLiteral("(memo)"));
    EXPECT_EQ(photo->DisplayText(), QStringLiteral("(graphic)"));

    const QByteArray bytes("\x00\x01\xFFpicture\x00", 11);
    data->SetAsVariant(bytes);
    const QString dataPath = dir.filePath(QStringLiteral("data.bin"));
    data->SaveToFile(dataPath);
    data->Clear();
    data->LoadFromFile(dataPath);
    EXPECT_EQ(data->Value().typeId(), QMetaType::QByteArray);
    EXPECT_EQ(data->AsBytes(), bytes);
    EXPECT_EQ(data->DisplayText(), QStringLiteral("(BLOB)"));

    const QString text = QStringLiteral("Grüße\nzweite Zeile");
    notes->SetAsString(text);
    const QString notesPath = dir.filePath(QStringLiteral("notes.txt"));
    notes->SaveToFile(notesPath);
    QFile saved(notesPath);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), text.toUtf8());
    notes->SetAsString(QString());
    EXPECT_FALSE(notes->IsNull());
    EXPECT_EQ(notes->DisplayText(), QStringLiteral("(memo)"));
    notes->LoadFromFile(notesPath);
    EXPECT_EQ(notes->Value(), Variant(text));
    EXPECT_EQ(notes->Text(), text);
    EXPECT_EQ(notes->DisplayText(), QStringLiteral("(MEMO)"));

    photo->LoadFromFile(dataPath);
    EXPECT_EQ(photo->AsBytes(), bytes);
    EXPECT_EQ(photo->DisplayText(), QStringLiteral("(GRAPHIC)"));
}

TEST_F(Fields, BlobFilesThatCannotBeReadOrWrittenRaise) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto* data = AddField<TBlobField>(QStringLiteral("Data"), ftBlob);
    StartRecord();
    data->SetAsVariant(QByteArray("kept"));

    const QString missing = dir.filePath(QStringLiteral("missing.bin"));
    EXPECT_TRUE(MessageOf<EInOutError>([&] { data->LoadFromFile(missing); }).contains(missing));
    const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/out.bin"));
    EXPECT_TRUE(MessageOf<EInOutError>([&] { data->SaveToFile(unwritable); }).contains(unwritable));
    EXPECT_FALSE(QFile::exists(unwritable));
    EXPECT_THROW(data->LoadFromFile(dir.path()), EInOutError);
    EXPECT_EQ(data->AsBytes(), QByteArray("kept"));
}

TEST_F(Fields, BlobFieldsReadAndWriteDevices) {
    auto* data = AddField<TBlobField>(QStringLiteral("Data"), ftBlob);
    StartRecord();

    QByteArray source("first\0second", 12);
    QBuffer in(&source);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    data->LoadFromStream(&in);
    QByteArray target;
    QBuffer out(&target);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    data->SaveToStream(&out);
    EXPECT_EQ(target, source);

    QBuffer closed;
    EXPECT_THROW(data->LoadFromStream(&closed), EInOutError);
    EXPECT_THROW(data->SaveToStream(&closed), EInOutError);
    EXPECT_EQ(data->AsBytes(), source);
}

TEST(FieldBlobTypes, BlobTypeIsTheDataTypeAndMustBeBinary) {
    TBlobField field;
    EXPECT_EQ(field.BlobType(), ftBlob);
    field.SetBlobType(ftTypedBinary);
    EXPECT_EQ(field.DataType(), ftTypedBinary);
    EXPECT_TRUE(field.IsBlob());
    EXPECT_THROW(field.SetBlobType(ftInteger), EDatabaseError);
    EXPECT_EQ(field.DataType(), ftTypedBinary);
}

TEST(FieldSizes, DataSizeAndDefaultDisplayWidthByClass) {
    struct TExpected {
        std::unique_ptr<TField> Field;
        int DataSize;
        int DisplayWidth;
    };
    TExpected expected[] = {
        {std::make_unique<TStringField>(), 42, 20}, {std::make_unique<TIntegerField>(), 4, 10},
        {std::make_unique<TSmallintField>(), 2, 6}, {std::make_unique<TWordField>(), 2, 6},
        {std::make_unique<TAutoIncField>(), 4, 10}, {std::make_unique<TLargeintField>(), 8, 20},
        {std::make_unique<TFloatField>(), 8, 15},   {std::make_unique<TCurrencyField>(), 8, 15},
        {std::make_unique<TBooleanField>(), 2, 5},  {std::make_unique<TDateTimeField>(), 8, 18},
        {std::make_unique<TDateField>(), 4, 10},    {std::make_unique<TTimeField>(), 4, 8},
        {std::make_unique<TBlobField>(), 0, 10},    {std::make_unique<TMemoField>(), 0, 10},
        {std::make_unique<TGraphicField>(), 0, 10},
    };
    for (const TExpected& e : expected) {
        SCOPED_TRACE(e.Field->ClassName().toStdString());
        EXPECT_EQ(e.Field->DataSize(), e.DataSize);
        EXPECT_EQ(e.Field->DisplayWidth(), e.DisplayWidth);
        e.Field->SetDisplayWidth(3);
        EXPECT_EQ(e.Field->DisplayWidth(), 3);
    }
    TStringField name;
    name.SetSize(50);
    EXPECT_EQ(name.DataSize(), 102);
    EXPECT_EQ(name.DisplayWidth(), 50);
}

TEST(FieldClasses, DefaultFieldClassForEveryType) {
    struct TExpected {
        TFieldType Type;
        const char* ClassName; // nullptr: no field class
    };
    const TExpected expected[] = {
        {ftUnknown, nullptr},
        {ftString, "TStringField"},
        {ftSmallint, "TSmallintField"},
        {ftInteger, "TIntegerField"},
        {ftWord, "TWordField"},
        {ftBoolean, "TBooleanField"},
        {ftFloat, "TFloatField"},
        {ftCurrency, "TCurrencyField"},
        {ftBCD, "TFloatField"},
        {ftDate, "TDateField"},
        {ftTime, "TTimeField"},
        {ftDateTime, "TDateTimeField"},
        {ftBytes, "TBlobField"},
        {ftVarBytes, "TBlobField"},
        {ftAutoInc, "TAutoIncField"},
        {ftBlob, "TBlobField"},
        {ftMemo, "TMemoField"},
        {ftGraphic, "TGraphicField"},
        {ftFmtMemo, "TMemoField"},
        {ftParadoxOle, "TBlobField"},
        {ftDBaseOle, "TBlobField"},
        {ftTypedBinary, "TBlobField"},
        {ftCursor, nullptr},
        {ftFixedChar, "TStringField"},
        {ftWideString, "TStringField"},
        {ftLargeint, "TLargeintField"},
    };
    ASSERT_EQ(std::size(expected), size_t(ftLargeint) + 1);
    for (const TExpected& e : expected) {
        SCOPED_TRACE(EnumName(e.Type).toStdString());
        const QMetaObject* fieldClass = DefaultFieldClass(e.Type);
        if (!e.ClassName) {
            EXPECT_EQ(fieldClass, nullptr);
            continue;
        }
        ASSERT_NE(fieldClass, nullptr);
        EXPECT_STREQ(fieldClass->className(), e.ClassName);
        // A field of the class has a type the same class stands for.
        std::unique_ptr<TComponent> made(CreateComponent(fieldClass, nullptr));
        auto* field = qobject_cast<TField*>(made.get());
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(DefaultFieldClass(field->DataType()), fieldClass);
    }
}

TEST(FieldClasses, PublishedPropertiesSurviveFormText) {
    RegisterFieldClasses();
    for (const char* name : {"TStringField", "TIntegerField", "TFloatField", "TCurrencyField",
                             "TBooleanField", "TDateField", "TMemoField", "TGraphicField"})
        EXPECT_NE(GetClass(QLatin1String(name)), nullptr) << name;

    TIntegerField qty;
    qty.SetName(QStringLiteral("TbQty"));
    qty.SetFieldName(QStringLiteral("Qty"));
    qty.SetDisplayFormat(QStringLiteral("#,##0 'pcs'"));
    qty.SetMaxValue(99);
    const QString text = WriteComponentToText(&qty);
    EXPECT_FALSE(text.contains(QStringLiteral("Alignment"))) << text.toStdString();
    std::unique_ptr<TComponent> read(ReadComponentFromText(text, QStringLiteral("qty.form")));
    auto* copy = qobject_cast<TIntegerField*>(read.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->DisplayFormat(), qty.DisplayFormat());
    EXPECT_EQ(copy->MaxValue(), 99);
    EXPECT_EQ(copy->Alignment(), taRightJustify);

    const QString form = QStringLiteral("object TbTotal: TCurrencyField\n"
                                        "  FieldName = 'Total'\n"
                                        "  Precision = 6\n"
                                        "  EditFormat = '0.0000'\n"
                                        "end\n");
    read.reset(ReadComponentFromText(form, QStringLiteral("total.form")));
    ASSERT_NE(qobject_cast<TCurrencyField*>(read.get()), nullptr);
    EXPECT_EQ(read->property("Precision"), Variant(6));
    EXPECT_EQ(read->property("Currency"), Variant(true));
    EXPECT_EQ(read->property("EditFormat"), Variant(QStringLiteral("0.0000")));

    const QString paidForm = QStringLiteral("object TbPaid: TBooleanField\n"
                                            "  DisplayValues = 'Yes;No'\n"
                                            "end\n");
    read.reset(ReadComponentFromText(paidForm, QStringLiteral("paid.form")));
    EXPECT_EQ(read->property("DisplayValues"), Variant(QStringLiteral("Yes;No")));

    TBlobField data;
    data.SetName(QStringLiteral("TbData"));
    data.SetBlobType(ftTypedBinary);
    EXPECT_TRUE(WriteComponentToText(&data).contains(QStringLiteral("BlobType = ftTypedBinary")));
    read.reset(ReadComponentFromText(WriteComponentToText(&data), QStringLiteral("data.form")));
    EXPECT_EQ(qobject_cast<TBlobField*>(read.get())->DataType(), ftTypedBinary);
}

// Counts the times the controls are told to show the dataset anew.
class TRedrawCounter : public TDataLink {
public:
    int Count = 0;

protected:
    void DataSetChanged() override { ++Count; }
};

TEST_F(Fields, DisplayPropertiesRedrawTheControls) {
    auto* qty = AddField<TIntegerField>(QStringLiteral("Qty"), ftInteger);
    auto* paid = AddField<TBooleanField>(QStringLiteral("Paid"), ftBoolean);
    auto* day = AddField<TDateField>(QStringLiteral("Day"), ftDate);
    TDataSource source;
    source.SetDataSet(&Data);
    TRedrawCounter link;
    link.SetDataSource(&source);
    Data.Open();

    const int before = link.Count;
    qty->SetDisplayFormat(QStringLiteral("0.0"));
    EXPECT_EQ(link.Count, before + 1);
    paid->SetDisplayValues(QStringLiteral("Y;N"));
    EXPECT_EQ(link.Count, before + 2);
    day->SetDisplayFormat(QStringLiteral("yyyy"));
    EXPECT_EQ(link.Count, before + 3);
}

} // namespace
