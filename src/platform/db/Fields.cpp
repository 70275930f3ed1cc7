#include "Fields.h"

#include "DataSet.h"
#include "DateTimeText.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <rtl/ClassRegistry.h>
#include <rtl/Exceptions.h>
#include <rtl/FormatSettings.h>

namespace {

// Tells the controls of an open dataset to show a field's values anew.
void Redisplay(const TField* Field) {
    if (TDataSet* dataSet = Field->DataSet(); dataSet && dataSet->Active())
        dataSet->DataEvent(deDataSetChange);
}

// Text with nothing but blanks: a Null value for the fields that are not text.
bool IsBlankText(const Variant& Value) {
    return VarIsStr(Value) && Value.toString().trimmed().isEmpty();
}

// The value of an integer of a signed type, or of an unsigned one within qint64; none for
// other values, which are read through their text.
std::optional<qint64> WholeValue(const Variant& Value) {
    switch (Value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::UShort:
        return Value.toLongLong();
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        if (const quint64 value = Value.toULongLong();
            value <= quint64(std::numeric_limits<qint64>::max()))
            return qint64(value);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

QString FloatText(double Value) {
    return QString::number(Value, 'g', QLocale::FloatingPointShortest);
}

// ---- Number formats ------------------------------------------------------------------

// One section of a number format.
struct TNumberPattern {
    QString Prefix;
    QString Suffix;
    int MinIntegerDigits = 0;
    int MinDecimals = 0;
    int MaxDecimals = 0;
    bool Thousands = false;
};

bool IsQuote(QChar C) {
    return C == QLatin1Char('\'') || C == QLatin1Char('"');
}

// The sections of a format, split at the ";" outside quotes.
QStringList FormatSections(const QString& Format) {
    QStringList sections(1);
    QChar quote;
    for (const QChar c : Format) {
        if (quote.isNull() && c == QLatin1Char(';')) {
            sections.append(QString());
            continue;
        }
        if (c == quote)
            quote = QChar();
        else if (quote.isNull() && IsQuote(c))
            quote = c;
        sections.last() += c;
    }
    return sections;
}

TNumberPattern ParsePattern(const QString& Section) {
    TNumberPattern pattern;
    bool digitsSeen = false;
    bool afterPoint = false;
    for (qsizetype i = 0; i < Section.size(); ++i) {
        const QChar c = Section[i];
        QString& literal = digitsSeen ? pattern.Suffix : pattern.Prefix;
        if (IsQuote(c)) {
            qsizetype end = Section.indexOf(c, i + 1);
            if (end < 0)
                end = Section.size();
            literal += Section.mid(i + 1, end - i - 1);
            i = end;
            continue;
        }
        const char ch = c.toLatin1();
        if (ch != '0' && ch != '#' && ch != ',' && ch != '.') {
            literal += c;
            continue;
        }
        digitsSeen = true;
        if (ch == '.')
            afterPoint = true;
        else if (ch == ',')
            pattern.Thousands = pattern.Thousands || !afterPoint;
        else if (afterPoint) {
            ++pattern.MaxDecimals;
            pattern.MinDecimals += ch == '0';
        } else {
            pattern.MinIntegerDigits += ch == '0';
        }
    }
    return pattern;
}

// The digits of the magnitude of a number, with Decimals places after a ".".
QString MagnitudeDigits(const Variant& Value, int Decimals) {
    const int type = Value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float)
        return QString::number(std::fabs(Value.toDouble()), 'f', Decimals);
    const qint64 number = Value.toLongLong();
    const quint64 magnitude = number < 0 ? 0 - quint64(number) : quint64(number);
    QString digits = QString::number(magnitude);
    if (Decimals > 0)
        digits += QLatin1Char('.') + QString(Decimals, QLatin1Char('0'));
    return digits;
}

// Digits with the user's decimal and thousands separators.
QString ApplyPattern(const TNumberPattern& Pattern, const QString& Digits) {
    const TFormatSettings& settings = FormatSettings();
    const qsizetype point = Digits.indexOf(QLatin1Char('.'));
    QString integer = Digits.left(point);
    QString fraction = point < 0 ? QString() : Digits.mid(point + 1);
    while (fraction.size() > Pattern.MinDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QLatin1String("0"))
        integer.clear();
    integer = integer.rightJustified(Pattern.MinIntegerDigits, QLatin1Char('0'));
    if (Pattern.Thousands)
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, settings.ThousandSeparator);
    if (!fraction.isEmpty())
        integer += settings.DecimalSeparator + fraction;
    return Pattern.Prefix + integer + Pattern.Suffix;
}

bool HasSignificantDigit(const QString& Digits) {
    return std::any_of(Digits.begin(), Digits.end(),
                       [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
}

// ---- Dates and times -----------------------------------------------------------------

// The user's short date with days and months of one digit or two.
QString LenientShortDate() {
    return QString(FormatSettings().ShortDateFormat)
        .replace(QLatin1String("dd"), QLatin1String("d"))
        .replace(QLatin1String("MM"), QLatin1String("M"));
}

QDate ParseDate(const QString& Text) {
    for (const QString& format : {LenientShortDate(), QStringLiteral("yyyy-MM-dd"),
                                  QStringLiteral("d.M.yyyy"), QStringLiteral("d/M/yyyy")})
        if (const QDate date = QDate::fromString(Text, format); date.isValid())
            return date;
    return {};
}

QTime ParseTime(const QString& Text) {
    for (const char* format : {"h:mm", "h:mm:ss", "h:mm:ss.zzz"})
        if (const QTime time = QTime::fromString(Text, QLatin1String(format)); time.isValid())
            return time;
    return {};
}

// A date, a time, or a date and a time separated by a blank or "T".
QDateTime ParseDateTime(const QString& Text) {
    qsizetype split = Text.indexOf(QLatin1Char(' '));
    if (split < 0)
        split = Text.indexOf(QLatin1Char('T'));
    if (split >= 0) {
        const QDate date = ParseDate(Text.left(split).trimmed());
        const QTime time = ParseTime(Text.mid(split + 1).trimmed());
        return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
    }
    if (const QDate date = ParseDate(Text); date.isValid())
        return date.startOfDay();
    const QTime time = ParseTime(Text);
    return time.isValid() ? QDateTime(TimeOnlyDate, time) : QDateTime();
}

// A number written in the program's form ("1234.5") or the user's ("1.234,5").
double ParseFloat(const QString& Text, bool& Ok) {
    const double number = Text.toDouble(&Ok);
    const TFormatSettings& settings = FormatSettings();
    if (Ok || settings.DecimalSeparator == QLatin1Char('.'))
        return number;
    QString text = Text;
    text.remove(settings.ThousandSeparator);
    return text.replace(settings.DecimalSeparator, QLatin1Char('.')).toDouble(&Ok);
}

template <class T> Variant ValidOrNull(const T& Value) {
    return Value.isValid() ? Variant(Value) : Null();
}

[[noreturn]] void DateError(const Variant& Value, const char* What) {
    throw EConvertError(
        QStringLiteral("'%1' is not a valid %2").arg(VarToStr(Value), QLatin1String(What)));
}

} // namespace

QString FormatNumber(const QString& Format, const Variant& Value) {
    const QStringList sections = FormatSections(Format);
    const double number = Value.toDouble();
    int section = 0;
    if (number < 0 && sections.size() > 1 && !sections[1].isEmpty())
        section = 1;
    else if (number == 0 && sections.size() > 2 && !sections[2].isEmpty())
        section = 2;
    const TNumberPattern pattern = ParsePattern(sections[section]);
    const QString digits = MagnitudeDigits(Value, pattern.MaxDecimals);
    const QString text = ApplyPattern(pattern, digits);
    // A negative value that rounds to zero shows no sign.
    if (section == 0 && number < 0 && HasSignificantDigit(digits))
        return QLatin1Char('-') + text;
    return text;
}

// ---- TStringField --------------------------------------------------------------------

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftString);
    SetSize(20);
}

Variant TStringField::ConvertValue(const Variant& Value) const {
    const QString text = VarToStr(Value);
    if (Size() > 0 && text.size() > Size())
        throw EDatabaseError(QStringLiteral("Value too long for field '%1' (at most %2 characters)")
                                 .arg(DisplayName())
                                 .arg(Size()));
    return text;
}

// ---- TNumericField -------------------------------------------------------------------

TNumericField::TNumericField(TComponent* AOwner) : TField(AOwner) {
    SetAlignment(taRightJustify);
}

void TNumericField::SetDisplayFormat(const QString& Value) {
    FDisplayFormat = Value;
    Redisplay(this);
}

void TNumericField::SetEditFormat(const QString& Value) {
    FEditFormat = Value;
    Redisplay(this);
}

void TNumericField::GetText(QString& Text, bool DisplayText) const {
    const Variant value = GetAsVariant();
    const QString& format = DisplayText ? FDisplayFormat : FEditFormat;
    if (VarIsNull(value))
        Text.clear();
    else if (VarIsStr(value)) // as another program stored it, beyond the field's type
        Text = value.toString();
    else if (format.isEmpty())
        Text = UnformattedText(value, DisplayText);
    else
        Text = FormatNumber(format, value);
}

QString TNumericField::UnformattedText(const Variant& Value, bool) const {
    return VarToStr(Value);
}

qint64 TNumericField::ConvertInteger(const Variant& Value, qint64 Min, qint64 Max) const {
    qint64 result = 0;
    if (const std::optional<qint64> whole = WholeValue(Value)) {
        result = *whole;
    } else {
        const QString text = VarToStr(Value).trimmed();
        bool ok = false;
        result = text.toLongLong(&ok);
        if (!ok) {
            // A whole number written otherwise ("2.0", "1e3"), or one beyond 64 bits.
            const double number = text.toDouble(&ok);
            if (!ok || !std::isfinite(number) || number != std::trunc(number))
                ConvertError(VarToStr(Value), "integer");
            if (number < -0x1p63 || number >= 0x1p63)
                RangeError(text, QString::number(Min), QString::number(Max));
            result = qint64(number);
        }
    }
    if (result < Min || result > Max)
        RangeError(QString::number(result), QString::number(Min), QString::number(Max));
    return result;
}

// ---- Integer fields ------------------------------------------------------------------

namespace {

// The range of a type, narrowed by MinValue..MaxValue unless both are 0.
std::pair<qint64, qint64> NarrowedRange(qint64 Min, qint64 Max, qint64 MinValue, qint64 MaxValue) {
    if (MinValue == 0 && MaxValue == 0)
        return {Min, Max};
    return {std::max(Min, MinValue), std::min(Max, MaxValue)};
}

} // namespace

TIntegerField::TIntegerField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftInteger);
}

void TIntegerField::SetTypeRange(qint64 Min, qint64 Max) {
    FMinRange = Min;
    FMaxRange = Max;
}

Variant TIntegerField::ConvertValue(const Variant& Value) const {
    if (IsBlankText(Value))
        return Null();
    const auto [min, max] = NarrowedRange(FMinRange, FMaxRange, FMinValue, FMaxValue);
    return int(ConvertInteger(Value, min, max));
}

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftSmallint);
    SetTypeRange(std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
}

TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftWord);
    SetTypeRange(0, std::numeric_limits<quint16>::max());
}

TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner) {
    SetDataType(ftAutoInc);
}

TLargeintField::TLargeintField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftLargeint);
}

Variant TLargeintField::ConvertValue(const Variant& Value) const {
    if (IsBlankText(Value))
        return Null();
    const auto [min, max] = NarrowedRange(std::numeric_limits<qint64>::min(),
                                          std::numeric_limits<qint64>::max(), FMinValue, FMaxValue);
    return ConvertInteger(Value, min, max);
}

// ---- TFloatField ---------------------------------------------------------------------

TFloatField::TFloatField(TComponent* AOwner) : TNumericField(AOwner) {
    SetDataType(ftFloat);
}

void TFloatField::SetCurrency(bool Value) {
    FCurrency = Value;
    Redisplay(this);
}

void TFloatField::SetPrecision(int Value) {
    FPrecision = qBound(1, Value, 17);
    Redisplay(this);
}

QString TFloatField::GetAsString() const {
    const Variant value = GetAsVariant();
    return VarIsNull(value) ? QString() : QString::number(VarToFloat(value), 'g', 15);
}

Variant TFloatField::ConvertValue(const Variant& Value) const {
    if (IsBlankText(Value))
        return Null();
    bool ok = VarIsNumeric(Value);
    const double number = ok ? Value.toDouble() : ParseFloat(VarToStr(Value).trimmed(), ok);
    if (!ok || !std::isfinite(number))
        ConvertError(VarToStr(Value), "floating point");
    if ((FMinValue != 0 || FMaxValue != 0) && (number < FMinValue || number > FMaxValue))
        RangeError(FloatText(number), FloatText(FMinValue), FloatText(FMaxValue));
    return number;
}

QString TFloatField::UnformattedText(const Variant& Value, bool DisplayText) const {
    const double number = VarToFloat(Value);
    if (!FCurrency)
        return QString::number(number, 'g', FPrecision)
            .replace(QLatin1Char('.'), FormatSettings().DecimalSeparator);
    // Money: the user's currency format when shown, the bare amount to edit.
    const TFormatSettings& settings = FormatSettings();
    const QString decimals(settings.CurrencyDecimals, QLatin1Char('0'));
    const QString pattern = (DisplayText ? QStringLiteral("#,##0") : QStringLiteral("0")) +
                            (decimals.isEmpty() ? QString() : QLatin1Char('.') + decimals);
    const QString amount = FormatNumber(pattern, std::fabs(number));
    const QString sign =
        number < 0 && HasSignificantDigit(amount) ? QStringLiteral("-") : QString();
    return sign + (DisplayText ? settings.PlaceCurrency(amount) : amount);
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner) {
    SetDataType(ftCurrency);
    SetCurrency(true);
}

// ---- TBooleanField -------------------------------------------------------------------

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBoolean);
    SetDisplayValues(QStringLiteral("True;False"));
}

void TBooleanField::SetDisplayValues(const QString& Value) {
    FDisplayValues = Value;
    const qsizetype split = Value.indexOf(QLatin1Char(';'));
    FTrueText = Value.left(split);
    FFalseText = split < 0 ? QString() : Value.mid(split + 1);
    Redisplay(this);
}

QString TBooleanField::GetAsString() const {
    const Variant value = GetAsVariant();
    if (VarIsNull(value))
        return {};
    return VarToBool(value) ? FTrueText : FFalseText;
}

Variant TBooleanField::ConvertValue(const Variant& Value) const {
    if (Value.typeId() == QMetaType::Bool)
        return Value;
    if (VarIsNumeric(Value))
        return Value.toDouble() != 0;
    if (IsBlankText(Value))
        return Null();
    if (VarIsStr(Value)) {
        const QString text = Value.toString().trimmed();
        const auto matches = [&text](const QString& Word) {
            return !Word.isEmpty() && text.compare(Word, Qt::CaseInsensitive) == 0;
        };
        if (matches(FTrueText))
            return true;
        if (matches(FFalseText))
            return false;
        for (const char* word : {"True", "T", "Y", "1"})
            if (matches(QLatin1String(word)))
                return true;
        for (const char* word : {"False", "F", "N", "0"})
            if (matches(QLatin1String(word)))
                return false;
    }
    ConvertError(VarToStr(Value), "boolean");
}

// ---- Date and time fields ------------------------------------------------------------

TDateTimeField::TDateTimeField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftDateTime);
}

void TDateTimeField::SetDisplayFormat(const QString& Value) {
    FDisplayFormat = Value;
    Redisplay(this);
}

QString TDateTimeField::GetAsString() const {
    QString text;
    GetText(text, false);
    return text;
}

void TDateTimeField::GetText(QString& Text, bool DisplayText) const {
    const Variant value = GetAsVariant();
    const QString format = DisplayText && !FDisplayFormat.isEmpty()
                               ? FDisplayFormat
                               : DefaultDateTimeFormat(DataType());
    if (VarIsNull(value))
        Text.clear();
    else if (VarIsStr(value)) // as another program stored it, not a date
        Text = value.toString();
    else
        Text = DateTimeText(value, format);
}

Variant TDateTimeField::ConvertValue(const Variant& Value) const {
    switch (Value.typeId()) {
    case QMetaType::QDateTime:
        return ValidOrNull(Value.toDateTime());
    case QMetaType::QDate:
        return ValidOrNull(Value.toDate().startOfDay());
    case QMetaType::QTime: {
        const QTime time = Value.toTime();
        return time.isValid() ? Variant(QDateTime(TimeOnlyDate, time)) : Null();
    }
    case QMetaType::QString:
        if (IsBlankText(Value))
            return Null();
        if (const QDateTime dateTime = ParseDateTime(Value.toString().trimmed());
            dateTime.isValid())
            return dateTime;
        break;
    default:
        break;
    }
    DateError(Value, "date and time");
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftDate);
}

Variant TDateField::ConvertValue(const Variant& Value) const {
    switch (Value.typeId()) {
    case QMetaType::QDate:
        return ValidOrNull(Value.toDate());
    case QMetaType::QDateTime:
        return ValidOrNull(Value.toDateTime().date());
    case QMetaType::QString:
        if (IsBlankText(Value))
            return Null();
        if (const QDate date = ParseDate(Value.toString().trimmed()); date.isValid())
            return date;
        break;
    default:
        break;
    }
    DateError(Value, "date");
}

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner) {
    SetDataType(ftTime);
}

Variant TTimeField::ConvertValue(const Variant& Value) const {
    switch (Value.typeId()) {
    case QMetaType::QTime:
        return ValidOrNull(Value.toTime());
    case QMetaType::QDateTime:
        return ValidOrNull(Value.toDateTime().time());
    case QMetaType::QString:
        if (IsBlankText(Value))
            return Null();
        if (const QTime time = ParseTime(Value.toString().trimmed()); time.isValid())
            return time;
        break;
    default:
        break;
    }
    DateError(Value, "time");
}

// ---- Blob fields ---------------------------------------------------------------------

TBlobField::TBlobField(TComponent* AOwner) : TField(AOwner) {
    SetDataType(ftBlob);
}

void TBlobField::SetBlobType(TFieldType Value) {
    if (!IsBlobType(Value) && Value != ftBytes && Value != ftVarBytes)
        throw EDatabaseError(QStringLiteral("%1 is not a binary field type").arg(EnumName(Value)));
    SetDataType(Value);
}

void TBlobField::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(
            QStringLiteral("Cannot open file '%1': %2").arg(FileName, file.errorString()));
    LoadFromStream(&file);
}

void TBlobField::SaveToFile(const QString& FileName) const {
    const QByteArray data = AsBytes();
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw EInOutError(
            QStringLiteral("Cannot write file '%1': %2").arg(FileName, file.errorString()));
}

void TBlobField::LoadFromStream(QIODevice* Stream) {
    if (!Stream->isReadable())
        throw EInOutError(
            QStringLiteral("Cannot read the value of field '%1': the stream is not readable")
                .arg(DisplayName()));
    SetAsVariant(Stream->readAll());
}

void TBlobField::SaveToStream(QIODevice* Stream) const {
    if (!Stream->isWritable())
        throw EInOutError(
            QStringLiteral("Cannot write the value of field '%1': the stream is not writable")
                .arg(DisplayName()));
    const QByteArray data = AsBytes();
    if (Stream->write(data) != data.size())
        throw EInOutError(QStringLiteral("Cannot write the value of field '%1': %2")
                              .arg(DisplayName(), Stream->errorString()));
}

void TBlobField::GetText(QString& Text, bool) const {
    const QString kind = AsBytes().isEmpty() ? KindName().toLower() : KindName();
    Text = QLatin1Char('(') + kind + QLatin1Char(')');
}

Variant TBlobField::ConvertValue(const Variant& Value) const {
    if (Value.typeId() == QMetaType::QByteArray)
        return Value;
    return VarToStr(Value).toUtf8();
}

TMemoField::TMemoField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftMemo);
}

void TMemoField::GetText(QString& Text, bool DisplayText) const {
    if (DisplayText)
        TBlobField::GetText(Text, DisplayText);
    else
        Text = GetAsString();
}

Variant TMemoField::ConvertValue(const Variant& Value) const {
    return VarToStr(Value);
}

TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner) {
    SetDataType(ftGraphic);
}

// ---- Classes -------------------------------------------------------------------------

const QMetaObject* DefaultFieldClass(TFieldType Type) {
    switch (Type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return &TStringField::staticMetaObject;
    case ftSmallint:
        return &TSmallintField::staticMetaObject;
    case ftInteger:
        return &TIntegerField::staticMetaObject;
    case ftWord:
        return &TWordField::staticMetaObject;
    case ftAutoInc:
        return &TAutoIncField::staticMetaObject;
    case ftLargeint:
        return &TLargeintField::staticMetaObject;
    case ftBoolean:
        return &TBooleanField::staticMetaObject;
    case ftFloat:
    case ftBCD:
        return &TFloatField::staticMetaObject;
    case ftCurrency:
        return &TCurrencyField::staticMetaObject;
    case ftDate:
        return &TDateField::staticMetaObject;
    case ftTime:
        return &TTimeField::staticMetaObject;
    case ftDateTime:
        return &TDateTimeField::staticMetaObject;
    case ftMemo:
    case ftFmtMemo:
        return &TMemoField::staticMetaObject;
    case ftGraphic:
        return &TGraphicField::staticMetaObject;
    case ftBlob:
    case ftBytes:
    case ftVarBytes:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
        return &TBlobField::staticMetaObject;
    case ftUnknown:
    case ftCursor:
        break;
    }
    return nullptr;
}

void RegisterFieldClasses() {
    for (const QMetaObject* fieldClass :
         {&TStringField::staticMetaObject, &TIntegerField::staticMetaObject,
          &TSmallintField::staticMetaObject, &TWordField::staticMetaObject,
          &TAutoIncField::staticMetaObject, &TLargeintField::staticMetaObject,
          &TFloatField::staticMetaObject, &TCurrencyField::staticMetaObject,
          &TBooleanField::staticMetaObject, &TDateTimeField::staticMetaObject,
          &TDateField::staticMetaObject, &TTimeField::staticMetaObject,
          &TBlobField::staticMetaObject, &TMemoField::staticMetaObject,
          &TGraphicField::staticMetaObject})
        RegisterClass(fieldClass);
}
