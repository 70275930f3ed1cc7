#pragma once

#include <QColor>
#include <QString>

// A colour as form files store it: an RGB value packed blue << 16 | green << 8 | red, or a
// system colour (0x80000000 | index of the display element), or one of clNone/clDefault.
enum TColor : qint32 {
    clScrollBar = qint32(0x80000000u | 0),
    clBackground = qint32(0x80000000u | 1),
    clActiveCaption = qint32(0x80000000u | 2),
    clInactiveCaption = qint32(0x80000000u | 3),
    clMenu = qint32(0x80000000u | 4),
    clWindow = qint32(0x80000000u | 5),
    clWindowFrame = qint32(0x80000000u | 6),
    clMenuText = qint32(0x80000000u | 7),
    clWindowText = qint32(0x80000000u | 8),
    clCaptionText = qint32(0x80000000u | 9),
    clActiveBorder = qint32(0x80000000u | 10),
    clInactiveBorder = qint32(0x80000000u | 11),
    clAppWorkSpace = qint32(0x80000000u | 12),
    clHighlight = qint32(0x80000000u | 13),
    clHighlightText = qint32(0x80000000u | 14),
    clBtnFace = qint32(0x80000000u | 15),
    clBtnShadow = qint32(0x80000000u | 16),
    clGrayText = qint32(0x80000000u | 17),
    clBtnText = qint32(0x80000000u | 18),
    clInactiveCaptionText = qint32(0x80000000u | 19),
    clBtnHighlight = qint32(0x80000000u | 20),
    cl3DDkShadow = qint32(0x80000000u | 21),
    cl3DLight = qint32(0x80000000u | 22),
    clInfoText = qint32(0x80000000u | 23),
    clInfoBk = qint32(0x80000000u | 24),

    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clMoneyGreen = 0xC0DCC0,
    clSkyBlue = 0xF0CAA6,
    clCream = 0xF0FBFF,
    clMedGray = 0xA4A0A0,

    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
};

constexpr TColor RGB(quint8 r, quint8 g, quint8 b) {
    return TColor(qint32(r) | qint32(g) << 8 | qint32(b) << 16);
}
constexpr quint8 GetRValue(TColor c) {
    return quint8(c);
}
constexpr quint8 GetGValue(TColor c) {
    return quint8(c >> 8);
}
constexpr quint8 GetBValue(TColor c) {
    return quint8(c >> 16);
}

// The colour's name ("clBtnFace"); false when it has none.
bool ColorToIdent(TColor Color, QString& Ident);
// The colour called Ident, ignoring case; false when no colour has that name.
bool IdentToColor(const QString& Ident, TColor& Color);
// The name, or "$" and eight hex digits ("$00A6CAF0").
QString ColorToString(TColor Color);
// A name, "$" and hex digits, or a decimal integer; raises EConvertError otherwise.
TColor StringToColor(const QString& S);

// The RGB value of a system colour from the application's palette; other colours as they are.
TColor ColorToRGB(TColor Color);
// clNone is transparent and clDefault an invalid QColor (the widget's own colour).
QColor ColorToQColor(TColor Color);
// A transparent or invalid QColor gives clNone.
TColor QColorToColor(const QColor& Color);
