#include "Font.h"

#include <QFontMetricsF>
#include <cstdlib>

namespace {

// Families the forms name, mapped to installed fonts with the same metrics.
const bool SubstitutionsRegistered = [] {
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    return true;
}();

// The pixel size whose ascent plus descent is CellHeight.
int PixelSizeForCellHeight(const QFont& Font, int CellHeight) {
    QFont probe(Font);
    probe.setPixelSize(CellHeight);
    const qreal cell = QFontMetricsF(probe).height();
    return cell > 0 ? qMax(1, qRound(CellHeight * CellHeight / cell)) : CellHeight;
}

} // namespace

int MulDiv(int Number, int Numerator, int Denominator) {
    if (Denominator == 0)
        return -1;
    const qint64 product = qint64(Number) * Numerator;
    const qint64 magnitude = (std::llabs(product) + std::llabs(qint64(Denominator)) / 2) /
                             std::llabs(qint64(Denominator));
    return int((product < 0) != (Denominator < 0) ? -magnitude : magnitude);
}

TFont::TFont(QObject* parent) : TPersistent(parent) {}

bool TFont::TFontData::SameFace(const TFontData& Other) const {
    return Charset == Other.Charset && Height == Other.Height && Name == Other.Name &&
           Pitch == Other.Pitch && Style == Other.Style;
}

void TFont::Assign(TPersistent* Source) {
    auto* font = qobject_cast<TFont*>(Source);
    if (!font) {
        TPersistent::Assign(Source);
        return;
    }
    const bool newFace = !FData.SameFace(font->FData);
    SetData(font->FData);
    if (newFace && font->FQFontValid) {
        FQFont = font->FQFont;
        FQFontValid = true;
    }
}

int TFont::Size() const {
    return -MulDiv(FData.Height, 72, PixelsPerInch);
}

void TFont::SetSize(int Value) {
    SetHeight(-MulDiv(Value, PixelsPerInch, 72));
}

void TFont::SetData(const TFontData& Value) {
    if (Value == FData)
        return;
    if (!Value.SameFace(FData))
        FQFontValid = false;
    FData = Value;
    FOnChange(this);
}

QFont TFont::ToQFont() const {
    if (FQFontValid)
        return FQFont;
    QFont font(FData.Name);
    if (FData.Height < 0)
        font.setPixelSize(-FData.Height);
    else if (FData.Height > 0)
        font.setPixelSize(PixelSizeForCellHeight(font, FData.Height));
    font.setBold(FData.Style.Contains(fsBold));
    font.setItalic(FData.Style.Contains(fsItalic));
    font.setUnderline(FData.Style.Contains(fsUnderline));
    font.setStrikeOut(FData.Style.Contains(fsStrikeOut));
    if (FData.Pitch == fpFixed) {
        font.setFixedPitch(true);
        font.setStyleHint(QFont::TypeWriter);
    }
    FQFont = font;
    FQFontValid = true;
    return font;
}

void TFont::SetFromQFont(const QFont& Font) {
    TFontData data = FData;
    data.Name = Font.family();
    if (Font.pixelSize() > 0)
        data.Height = -Font.pixelSize();
    else if (Font.pointSizeF() > 0)
        data.Height = -qRound(Font.pointSizeF() * PixelsPerInch / 72);
    if (Font.fixedPitch())
        data.Pitch = fpFixed;
    else if (data.Pitch == fpFixed)
        data.Pitch = fpDefault;
    TFontStyles style;
    if (Font.bold())
        style.Include(fsBold);
    if (Font.italic())
        style.Include(fsItalic);
    if (Font.underline())
        style.Include(fsUnderline);
    if (Font.strikeOut())
        style.Include(fsStrikeOut);
    data.Style = style;
    SetData(data);
}
