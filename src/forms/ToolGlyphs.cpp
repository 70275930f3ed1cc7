#include "ToolGlyphs.h"

#include <rtl/Color.h>
#include <ui/Buttons.h>
#include <ui/Graphics.h>
#include <ui/IconTheme.h>

namespace {

constexpr int GlyphSize = 16;

// The theme's name for a glyph, empty when themes have none that fits.
QString ThemeName(TToolGlyph Glyph) {
    switch (Glyph) {
    case tgSearch:
        return QStringLiteral("edit-find");
    case tgTools:
        return QStringLiteral("emblem-system");
    case tgFilterOff:
        return QStringLiteral("edit-clear");
    default:
        return QString();
    }
}

void DrawFunnel(TCanvas* Canvas, bool Filled) {
    Canvas->Brush()->SetColor(Filled ? clNavy : clWhite);
    Canvas->Polygon({{2, 3}, {13, 3}, {9, 8}, {9, 13}, {6, 11}, {6, 8}});
}

void DrawGlyph(TCanvas* Canvas, TToolGlyph Glyph) {
    Canvas->Pen()->SetColor(clNavy);
    switch (Glyph) {
    case tgSearch:
        Canvas->Brush()->SetColor(clWhite);
        Canvas->Ellipse(2, 2, 11, 11);
        Canvas->Pen()->SetWidth(2);
        Canvas->MoveTo(10, 10);
        Canvas->LineTo(14, 14);
        break;
    case tgTools:
        Canvas->Brush()->SetColor(clGray);
        Canvas->Ellipse(3, 3, 13, 13);
        Canvas->Brush()->SetColor(clBtnFace);
        Canvas->Ellipse(6, 6, 10, 10);
        break;
    case tgFilterPanel:
    case tgFilterBasic:
    case tgFilterOff:
    case tgFilterOn:
        DrawFunnel(Canvas, Glyph == tgFilterOn);
        if (Glyph == tgFilterBasic) {
            Canvas->Brush()->SetColor(clGreen);
            Canvas->Ellipse(10, 10, 15, 15);
        } else if (Glyph == tgFilterOff) {
            Canvas->Pen()->SetColor(clRed);
            Canvas->Pen()->SetWidth(2);
            Canvas->MoveTo(2, 14);
            Canvas->LineTo(14, 2);
        }
        break;
    case tgFilterEdit:
        DrawFunnel(Canvas, false);
        Canvas->Pen()->SetColor(clMaroon);
        Canvas->Pen()->SetWidth(2);
        Canvas->MoveTo(8, 14);
        Canvas->LineTo(14, 8);
        break;
    }
}

} // namespace

void SetToolGlyph(TSpeedButton* Button, TToolGlyph Glyph) {
    TBitmap bitmap;
    const QString name = ThemeName(Glyph);
    if (name.isEmpty() || !LoadThemeIcon(&bitmap, name, GlyphSize)) {
        bitmap.SetSize(GlyphSize, GlyphSize);
        TCanvas* canvas = bitmap.Canvas();
        canvas->Brush()->SetColor(clBtnFace);
        canvas->FillRect(QRect(0, 0, GlyphSize, GlyphSize));
        DrawGlyph(canvas, Glyph);
    }
    Button->SetGlyph(&bitmap);
}
