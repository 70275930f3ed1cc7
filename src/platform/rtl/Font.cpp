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

void TFont::Assign(TPersistent* Source) {
    if (auto* font = qobject_cast<TFont*>(Source))
        SetData(font->FData);
    else
        TPersistent::Assign(Source);
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
    FData = Value;
    FOnChange(this);
}

QFont TFont::ToQFont() const {
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
