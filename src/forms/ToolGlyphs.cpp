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
    case tgPrior:
        return QStringLiteral("go-previous");
    case tgNext:
        return QStringLiteral("go-next");
    case tgInsert:
        return QStringLiteral("list-add");
    case tgDelete:
        return QStringLiteral("list-remove");
    case tgRestore:
        return QStringLiteral("edit-undo");
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
    case tgPrior:
    case tgNext:
        Canvas->Brush()->SetColor(clNavy);
        Canvas->Polygon(Glyph == tgPrior ? QList<QPoint>{{11, 3}, {11, 12}, {5, 7}}
                                         : QList<QPoint>{{5, 3}, {5, 12}, {11, 7}});
        break;
    case tgInsert:
    case tgDelete:
        Canvas->Brush()->SetColor(Glyph == tgInsert ? clGreen : clRed);
        Canvas->Pen()->SetColor(Glyph == tgInsert ? clGreen : clRed);
        Canvas->Rectangle(3, 7, 13, 9);
        if (Glyph == tgInsert)
            Canvas->Rectangle(7, 3, 9, 13);
        break;
    case tgRestore:
        Canvas->Pen()->SetWidth(2);
        Canvas->Polyline({{4, 7}, {10, 7}, {12, 9}, {12, 11}, {10, 13}, {6, 13}});
        Canvas->Brush()->SetColor(clNavy);
        Canvas->Pen()->SetWidth(1);
        Canvas->Polygon({{6, 3}, {6, 11}, {2, 7}});
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

void SetToolGlyphs(std::initializer_list<std::pair<TSpeedButton*, TToolGlyph>> Glyphs) {
    for (const auto& [button, glyph] : Glyphs)
        if (button->Glyph()->Empty())
            SetToolGlyph(button, glyph);
}
