#pragma once

#include "Color.h"
#include "Enums.h"
#include "Persistent.h"

#include <QFont>

PUBLISHED_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)
PUBLISHED_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
using TFontStyles = TSet<TFontStyle>;

constexpr int DEFAULT_CHARSET = 1;

// Rounds Number * Numerator / Denominator to the nearest integer, halves away from zero.
int MulDiv(int Number, int Numerator, int Denominator);

// The font of a control. Height is in pixels: negative for the character height without
// internal leading, positive for the cell height. Size is in points at 96 pixels per inch.
// OnChange fires once for every change that alters a value.
class TFont : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(TFontPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(int Size READ Size WRITE SetSize STORED false)
    Q_PROPERTY(TFontStyles Style READ Style WRITE SetStyle)
    Q_PROPERTY(TNotifyEvent OnChange READ OnChange WRITE SetOnChange STORED false)
public:
    static constexpr int PixelsPerInch = 96;

    Q_INVOKABLE explicit TFont(QObject* parent = nullptr);

    void Assign(TPersistent* Source) override;

    int Charset() const { return FData.Charset; }
    void SetCharset(int Value) { SetField(&TFontData::Charset, Value); }
    TColor Color() const { return FData.Color; }
    void SetColor(TColor Value) { SetField(&TFontData::Color, Value); }
    int Height() const { return FData.Height; }
    void SetHeight(int Value) { SetField(&TFontData::Height, Value); }
    const QString& Name() const { return FData.Name; }
    void SetName(const QString& Value) { SetField(&TFontData::Name, Value); }
    TFontPitch Pitch() const { return FData.Pitch; }
    void SetPitch(TFontPitch Value) { SetField(&TFontData::Pitch, Value); }
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const { return FData.Style; }
    void SetStyle(TFontStyles Value) { SetField(&TFontData::Style, Value); }

    const TNotifyEvent& OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

    // The QFont to draw with; the names the forms use map to installed look-alikes. It is
    // made once per face (everything but the colour), so the copies share Qt's font data
    // and the glyph caches behind it.
    QFont ToQFont() const;
    // Takes name, height, pitch and style from Font; Charset and Color stay.
    void SetFromQFont(const QFont& Font);

private:
    struct TFontData {
        int Charset = DEFAULT_CHARSET;
        TColor Color = clWindowText;
        int Height = -11;
        QString Name = QStringLiteral("MS Sans Serif");
        TFontPitch Pitch = fpDefault;
        TFontStyles Style;
        bool operator==(const TFontData&) const = default;
        // Equal but for the colour.
        bool SameFace(const TFontData& Other) const;
    };

    template <class T> void SetField(T TFontData::*Field, const T& Value) {
        TFontData data = FData;
        data.*Field = Value;
        SetData(data);
    }
    void SetData(const TFontData& Value);

    TFontData FData;
    TNotifyEvent FOnChange;
    mutable QFont FQFont; // of FData's face while FQFontValid
    mutable bool FQFontValid = false;
};
