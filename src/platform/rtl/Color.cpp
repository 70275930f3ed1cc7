#include "Color.h"

#include "Exceptions.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

namespace {

struct TColorName {
    TColor Value;
    const char* Name;
};

constexpr TColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
};

struct TPaletteEntry {
    QPalette::ColorGroup Group;
    QPalette::ColorRole Role;
};

// The palette entry of each system colour, by index.
constexpr TPaletteEntry SystemColors[] = {
    {QPalette::Active, QPalette::Button},          // clScrollBar
    {QPalette::Active, QPalette::Window},          // clBackground
    {QPalette::Active, QPalette::Highlight},       // clActiveCaption
    {QPalette::Inactive, QPalette::Mid},           // clInactiveCaption
    {QPalette::Active, QPalette::Window},          // clMenu
    {QPalette::Active, QPalette::Base},            // clWindow
    {QPalette::Active, QPalette::Shadow},          // clWindowFrame
    {QPalette::Active, QPalette::WindowText},      // clMenuText
    {QPalette::Active, QPalette::Text},            // clWindowText
    {QPalette::Active, QPalette::HighlightedText}, // clCaptionText
    {QPalette::Active, QPalette::Button},          // clActiveBorder
    {QPalette::Inactive, QPalette::Button},        // clInactiveBorder
    {QPalette::Active, QPalette::Dark},            // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},       // clHighlight
    {QPalette::Active, QPalette::HighlightedText}, // clHighlightText
    {QPalette::Active, QPalette::Button},          // clBtnFace
    {QPalette::Active, QPalette::Mid},             // clBtnShadow
    {QPalette::Disabled, QPalette::Text},          // clGrayText
    {QPalette::Active, QPalette::ButtonText},      // clBtnText
    {QPalette::Disabled, QPalette::WindowText},    // clInactiveCaptionText
    {QPalette::Active, QPalette::Light},           // clBtnHighlight
    {QPalette::Active, QPalette::Shadow},          // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},        // cl3DLight
    {QPalette::Active, QPalette::ToolTipText},     // clInfoText
    {QPalette::Active, QPalette::ToolTipBase},     // clInfoBk
};

constexpr quint32 SystemColorFlag = 0x80000000u;

bool IsHexDigit(QChar c) {
    return c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
}

[[noreturn]] void InvalidColor(const QString& S) {
    throw EConvertError(QStringLiteral("'%1' is not a valid color value").arg(S));
}

} // namespace

bool ColorToIdent(TColor Color, QString& Ident) {
    for (const TColorName& entry : ColorNames)
        if (entry.Value == Color) {
            Ident = QString::fromLatin1(entry.Name);
            return true;
        }
    return false;
}

bool IdentToColor(const QString& Ident, TColor& Color) {
    for (const TColorName& entry : ColorNames)
        if (Ident.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0) {
            Color = entry.Value;
            return true;
        }
    return false;
}

QString ColorToString(TColor Color) {
    QString ident;
    if (ColorToIdent(Color, ident))
        return ident;
    return QStringLiteral("$%1").arg(quint32(Color), 8, 16, QLatin1Char('0')).toUpper();
}

TColor StringToColor(const QString& S) {
    TColor color;
    if (IdentToColor(S, color))
        return color;
    const QString text = S.trimmed();
    bool ok = false;
    if (text.startsWith(QLatin1Char('$'))) {
        const QStringView digits = QStringView(text).mid(1);
        const bool hex =
            digits.size() <= 8 && std::all_of(digits.begin(), digits.end(), IsHexDigit);
        const quint32 value = hex ? digits.toUInt(&ok, 16) : 0;
        if (ok)
            return TColor(qint32(value));
    } else {
        const qint32 value = text.toInt(&ok);
        if (ok)
            return TColor(value);
    }
    InvalidColor(S);
}

TColor ColorToRGB(TColor Color) {
    if (!(quint32(Color) & SystemColorFlag))
        return Color;
    const quint32 index = quint32(Color) & 0xFF;
    if (index >= std::size(SystemColors))
        return clBlack;
    const TPaletteEntry entry = SystemColors[index];
    return QColorToColor(QGuiApplication::palette().color(entry.Group, entry.Role));
}

QColor ColorToQColor(TColor Color) {
    if (Color == clNone)
        return QColor(Qt::transparent);
    if (Color == clDefault)
        return QColor();
    const TColor rgb = ColorToRGB(Color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor QColorToColor(const QColor& Color) {
    if (!Color.isValid() || Color.alpha() == 0)
        return clNone;
    return RGB(quint8(Color.red()), quint8(Color.green()), quint8(Color.blue()));
}
