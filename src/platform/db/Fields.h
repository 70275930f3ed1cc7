#pragma once

#include "Field.h"

#include <limits>

class QIODevice;

// Text of at most Size characters. Empty text is a value of its own, not Null.
class TStringField : public TField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TStringField(TComponent* AOwner = nullptr);

protected:
    // Room for the text as zero-terminated UTF-16.
    int GetDataSize() const override { return (Size() + 1) * 2; }
    int DefaultDisplayWidth() const override { return Size(); }
    Variant ConvertValue(const Variant& Value) const override;
};

// The base of the numeric fields: right-aligned, shown by DisplayFormat and edited by
// EditFormat, patterns of "0" and "#" digits with "," and "." (see FormatNumber).
class TNumericField : public TField {
    Q_OBJECT
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
    Q_PROPERTY(QString EditFormat READ EditFormat WRITE SetEditFormat)
public:
    Q_INVOKABLE explicit TNumericField(TComponent* AOwner = nullptr);

    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);
    QString EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& Value);

    void GetText(QString& Text, bool DisplayText) const override;

protected:
    // The text of a value when no format applies.
    virtual QString UnformattedText(const Variant& Value, bool DisplayText) const;
    // The whole number a value or a numeric text stands for, checked against Min..Max.
    qint64 ConvertInteger(const Variant& Value, qint64 Min, qint64 Max) const;

private:
    QString FDisplayFormat;
    QString FEditFormat;
};

// A 32-bit integer, or a narrower one in the descendants. MinValue and MaxValue, when
// not both 0, narrow the range of the type.
class TIntegerField : public TNumericField {
    Q_OBJECT
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
public:
    Q_INVOKABLE explicit TIntegerField(TComponent* AOwner = nullptr);

    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }

protected:
    int GetDataSize() const override { return 4; }
    int DefaultDisplayWidth() const override { return 10; }
    Variant ConvertValue(const Variant& Value) const override;
    // For the narrower descendants: the range of their type.
    void SetTypeRange(qint64 Min, qint64 Max);

private:
    qint64 FMinRange = std::numeric_limits<qint32>::min();
    qint64 FMaxRange = std::numeric_limits<qint32>::max();
    int FMinValue = 0;
    int FMaxValue = 0;
};

class TSmallintField : public TIntegerField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSmallintField(TComponent* AOwner = nullptr);

protected:
    int GetDataSize() const override { return 2; }
    int DefaultDisplayWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TWordField(TComponent* AOwner = nullptr);

protected:
    int GetDataSize() const override { return 2; }
    int DefaultDisplayWidth() const override { return 6; }
};

// A number the database assigns to each new record.
class TAutoIncField : public TIntegerField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TAutoIncField(TComponent* AOwner = nullptr);
};

class TLargeintField : public TNumericField {
    Q_OBJECT
    Q_PROPERTY(qint64 MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(qint64 MaxValue READ MaxValue WRITE SetMaxValue)
public:
    Q_INVOKABLE explicit TLargeintField(TComponent* AOwner = nullptr);

    qint64 MinValue() const { return FMinValue; }
    void SetMinValue(qint64 Value) { FMinValue = Value; }
    qint64 MaxValue() const { return FMaxValue; }
    void SetMaxValue(qint64 Value) { FMaxValue = Value; }

protected:
    int GetDataSize() const override { return 8; }
    int DefaultDisplayWidth() const override { return 20; }
    Variant ConvertValue(const Variant& Value) const override;

private:
    qint64 FMinValue = 0;
    qint64 FMaxValue = 0;
};

// A double. Without a format it shows Precision significant digits (1 to 17), or 2
// decimals when Currency is set.
class TFloatField : public TNumericField {
    Q_OBJECT
    Q_PROPERTY(bool Currency READ Currency WRITE SetCurrency)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
public:
    Q_INVOKABLE explicit TFloatField(TComponent* AOwner = nullptr);

    bool Currency() const { return FCurrency; }
    void SetCurrency(bool Value);
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }

    QString GetAsString() const override;

protected:
    int GetDataSize() const override { return 8; }
    int DefaultDisplayWidth() const override { return 15; }
    Variant ConvertValue(const Variant& Value) const override;
    QString UnformattedText(const Variant& Value, bool DisplayText) const override;

private:
    bool FCurrency = false;
    int FPrecision = 15;
    double FMinValue = 0;
    double FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TCurrencyField(TComponent* AOwner = nullptr);
};

// True or false, shown as the parts of DisplayValues ("Yes;No").
class TBooleanField : public TField {
    Q_OBJECT
    Q_PROPERTY(QString DisplayValues READ DisplayValues WRITE SetDisplayValues)
public:
    Q_INVOKABLE explicit TBooleanField(TComponent* AOwner = nullptr);

    QString DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const QString& Value);

    QString GetAsString() const override;

protected:
    int GetDataSize() const override { return 2; }
    int DefaultDisplayWidth() const override { return 5; }
    Variant ConvertValue(const Variant& Value) const override;

private:
    QString FDisplayValues;
    QString FTrueText;
    QString FFalseText;
};

// A date and time (QDateTime); the descendants keep a date (QDate) or a time (QTime).
// Text is in a fixed format; DisplayText follows DisplayFormat (Qt's date format syntax)
// when set.
class TDateTimeField : public TField {
    Q_OBJECT
    Q_PROPERTY(QString DisplayFormat READ DisplayFormat WRITE SetDisplayFormat)
public:
    Q_INVOKABLE explicit TDateTimeField(TComponent* AOwner = nullptr);

    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);

    QString GetAsString() const override;
    void GetText(QString& Text, bool DisplayText) const override;

protected:
    int GetDataSize() const override { return 8; }
    int DefaultDisplayWidth() const override { return 18; }
    Variant ConvertValue(const Variant& Value) const override;

private:
    QString FDisplayFormat;
};

class TDateField : public TDateTimeField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDateField(TComponent* AOwner = nullptr);

protected:
    int GetDataSize() const override { return 4; }
    int DefaultDisplayWidth() const override { return 10; }
    Variant ConvertValue(const Variant& Value) const override;
};

class TTimeField : public TDateTimeField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTimeField(TComponent* AOwner = nullptr);

protected:
    int GetDataSize() const override { return 4; }
    int DefaultDisplayWidth() const override { return 8; }
    Variant ConvertValue(const Variant& Value) const override;
};

// Binary data (QByteArray) of any size, held by the record itself. BlobType is the field's
// data type: ftBlob or another binary type.
class TBlobField : public TField {
    Q_OBJECT
    Q_PROPERTY(TFieldType BlobType READ BlobType WRITE SetBlobType)
public:
    Q_INVOKABLE explicit TBlobField(TComponent* AOwner = nullptr);

    TFieldType BlobType() const { return DataType(); }
    void SetBlobType(TFieldType Value);

    // Replace the value with the whole content of the file or device, or write the value
    // there; raise EInOutError when that fails.
    void LoadFromFile(const QString& FileName);
    void SaveToFile(const QString& FileName) const;
    void LoadFromStream(QIODevice* Stream);
    void SaveToStream(QIODevice* Stream) const;

    // "(BLOB)" and the like; in lower case when the value is empty.
    void GetText(QString& Text, bool DisplayText) const override;

protected:
    int GetDataSize() const override { return 0; }
    int DefaultDisplayWidth() const override { return 10; }
    Variant ConvertValue(const Variant& Value) const override;
    // The kind of data the text names.
    virtual QString KindName() const { return QStringLiteral("BLOB"); }
};

// Text of any length (QString); edited as itself and shown as "(MEMO)".
class TMemoField : public TBlobField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMemoField(TComponent* AOwner = nullptr);

    void GetText(QString& Text, bool DisplayText) const override;

protected:
    Variant ConvertValue(const Variant& Value) const override;
    QString KindName() const override { return QStringLiteral("MEMO"); }
};

// A picture's bytes.
class TGraphicField : public TBlobField {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TGraphicField(TComponent* AOwner = nullptr);

protected:
    QString KindName() const override { return QStringLiteral("GRAPHIC"); }
};

// The field class that shows a column of Type, or nullptr when there is none.
const QMetaObject* DefaultFieldClass(TFieldType Type);

// Registers the field classes, so that form files name them.
void RegisterFieldClasses();

// Formats a number by a pattern: "0" is a digit always shown, "#" a digit shown when
// significant, "," groups the integer digits by thousands, "." is the decimal point.
// Other text before and after the digits is kept; quoted text ('...' or "...") is literal.
// Sections separated by ";" format positive, negative (without its sign) and zero values.
QString FormatNumber(const QString& Format, const Variant& Value);
