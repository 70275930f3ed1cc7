#include <QIcon>
#include <forms/ToolGlyphs.h>
#include <gtest/gtest.h>
#include <rtl/Color.h>
#include <ui/Buttons.h>
#include <ui/Graphics.h>
#include <ui/IconTheme.h>

namespace {

constexpr TToolGlyph AllGlyphs[] = {tgSearch,    tgFilterPanel, tgTools,    tgFilterBasic,
                                    tgFilterOff, tgFilterEdit,  tgFilterOn, tgPrior,
                                    tgNext,      tgInsert,      tgDelete,   tgRestore};

bool HasPixel(const QImage& Image, TColor Color) {
    const QColor wanted = ColorToQColor(Color);
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (Image.pixelColor(x, y).rgb() == wanted.rgb())
                return true;
    return false;
}

// The glyphs drawn while the desktop has no icon theme, in the order of AllGlyphs.
QList<QImage> DrawnGlyphs() {
    TBitmap probe;
    LoadThemeIcon(&probe, QStringLiteral("edit-find"), 16); // themes are looked up once
    const QString theme = QIcon::themeName();
    const QString fallback = QIcon::fallbackThemeName();
    QIcon::setThemeName(QStringLiteral("kro-no-theme"));
    QIcon::setFallbackThemeName(QStringLiteral("kro-no-theme"));
    QList<QImage> pictures;
    for (TToolGlyph glyph : AllGlyphs) {
        TSpeedButton button;
        SetToolGlyph(&button, glyph);
        pictures << button.Glyph()->Image();
    }
    QIcon::setThemeName(theme);
    QIcon::setFallbackThemeName(fallback);
    return pictures;
}

} // namespace

TEST(ToolGlyphs, WithoutAThemeEachGlyphIsDrawnAPictureOfItsOwn) {
    const QList<QImage> pictures = DrawnGlyphs();
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        EXPECT_EQ(pictures[i].size(), QSize(16, 16)) << i;
        EXPECT_FALSE(pictures.mid(0, i).contains(pictures[i])) << i << " looks like another";
    }
    EXPECT_TRUE(HasPixel(pictures[tgInsert], clGreen));
    EXPECT_TRUE(HasPixel(pictures[tgDelete], clRed));
    EXPECT_FALSE(HasPixel(pictures[tgDelete], clGreen));
}

TEST(ToolGlyphs, AGlyphTheFormFileGaveIsKept) {
    TSpeedButton designed, plain;
    TBitmap own;
    own.SetSize(8, 8);
    designed.SetGlyph(&own);
    SetToolGlyphs({{&designed, tgInsert}, {&plain, tgDelete}});
    EXPECT_EQ(designed.Glyph()->Width(), 8);
    EXPECT_FALSE(plain.Glyph()->Empty());
}
