#include <QImage>
#include <gtest/gtest.h>
#include <ui/Graphics.h>
#include <ui/IconTheme.h>

TEST(IconTheme, ThemeIconsLoadWithTheirTransparency) {
    TBitmap bitmap;
    ASSERT_TRUE(LoadThemeIcon(&bitmap, QStringLiteral("edit-find"), 16))
        << "the test machine has the Adwaita theme";
    const QImage& image = bitmap.Image();
    EXPECT_EQ(image.size(), QSize(16, 16));
    int clear = 0;
    int drawn = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            (qAlpha(image.pixel(x, y)) == 0 ? clear : drawn)++;
    EXPECT_GT(clear, 0) << "the background stays transparent";
    EXPECT_GT(drawn, 16) << "the icon is drawn";

    // An icon no theme has leaves the bitmap as it was.
    TBitmap other;
    other.SetSize(3, 3);
    EXPECT_FALSE(LoadThemeIcon(&other, QStringLiteral("kro-no-such-icon"), 16));
    EXPECT_EQ(other.Image().size(), QSize(3, 3));
}
