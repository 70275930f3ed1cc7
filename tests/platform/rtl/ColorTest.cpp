#include "rtl/Color.h"

#include "rtl/Exceptions.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

constexpr TColor LightBlue = TColor(10930928); // $00A6CAF0

TEST(ColorTest, NamedColorsRoundTripThroughTheirNames) {
    const std::pair<TColor, const char*> cases[] = {
        {clBlack, "clBlack"},           {clMaroon, "clMaroon"},         {clSkyBlue, "clSkyBlue"},
        {clMedGray, "clMedGray"},       {clWhite, "clWhite"},           {clNone, "clNone"},
        {clDefault, "clDefault"},       {clScrollBar, "clScrollBar"},   {clBtnFace, "clBtnFace"},
        {clWindowText, "clWindowText"}, {cl3DDkShadow, "cl3DDkShadow"}, {clInfoBk, "clInfoBk"},
    };
    for (const auto& [color, name] : cases) {
        EXPECT_EQ(ColorToString(color), QLatin1String(name));
        EXPECT_EQ(StringToColor(QLatin1String(name)), color) << name;
    }
}

TEST(ColorTest, NamesIgnoreCase) {
    TColor color = clBlack;
    ASSERT_TRUE(IdentToColor(QStringLiteral("CLBTNFACE"), color));
    EXPECT_EQ(color, clBtnFace);
    EXPECT_EQ(StringToColor(QStringLiteral("clskyblue")), clSkyBlue);
    EXPECT_FALSE(IdentToColor(QStringLiteral("clNoSuchColor"), color));
    EXPECT_EQ(color, clBtnFace);
}

TEST(ColorTest, UnnamedColorsAreWrittenInHex) {
    EXPECT_EQ(ColorToString(LightBlue), QStringLiteral("$00A6CAF0"));
    EXPECT_EQ(ColorToString(TColor(0x80000019)), QStringLiteral("$80000019"));
    EXPECT_EQ(ColorToString(TColor(-1)), QStringLiteral("$FFFFFFFF"));
    QString ident;
    EXPECT_FALSE(ColorToIdent(LightBlue, ident));
}

TEST(ColorTest, NumbersAreReadInHexOrDecimal) {
    EXPECT_EQ(StringToColor(QStringLiteral("$00A6CAF0")), LightBlue);
    EXPECT_EQ(StringToColor(QStringLiteral("$a6caf0")), LightBlue);
    EXPECT_EQ(StringToColor(QStringLiteral("10930928")), LightBlue);
    EXPECT_EQ(StringToColor(QStringLiteral("-2147483633")), clBtnFace);
    EXPECT_EQ(StringToColor(QStringLiteral("$8000000F")), clBtnFace);
    EXPECT_EQ(StringToColor(QStringLiteral("$FFFFFFFF")), TColor(-1));
    EXPECT_EQ(StringToColor(QStringLiteral("0")), clBlack);
    EXPECT_EQ(StringToColor(ColorToString(TColor(0x80000019))), TColor(0x80000019));
}

TEST(ColorTest, BadTextRaisesConvertError) {
    for (const char* text :
         {"", "clNoSuchColor", "$", "$G0", "$-1", "$123456789", "12abc", "99999999999", "1.5"})
        EXPECT_THROW(StringToColor(QLatin1String(text)), EConvertError) << text;
    try {
        StringToColor(QStringLiteral("x"));
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'x' is not a valid color value"));
    }
}

TEST(ColorTest, ValuesAreBlueGreenRed) {
    EXPECT_EQ(RGB(0xF0, 0xCA, 0xA6), LightBlue);
    EXPECT_EQ(GetRValue(LightBlue), 0xF0);
    EXPECT_EQ(GetGValue(LightBlue), 0xCA);
    EXPECT_EQ(GetBValue(LightBlue), 0xA6);
    EXPECT_EQ(RGB(255, 0, 0), clRed);
    EXPECT_EQ(RGB(0, 0, 255), clBlue);

    EXPECT_EQ(ColorToQColor(LightBlue), QColor(0xF0, 0xCA, 0xA6));
    EXPECT_EQ(ColorToQColor(clNavy), QColor(0, 0, 0x80));
    EXPECT_EQ(QColorToColor(QColor(0xF0, 0xCA, 0xA6)), LightBlue);
    EXPECT_EQ(QColorToColor(QColor(0, 0x80, 0x80)), clTeal);
    EXPECT_EQ(ColorToRGB(LightBlue), LightBlue);
}

TEST(ColorTest, NoneIsTransparentAndDefaultHasNoColor) {
    EXPECT_EQ(ColorToQColor(clNone).alpha(), 0);
    EXPECT_EQ(QColorToColor(QColor(Qt::transparent)), clNone);
    EXPECT_EQ(QColorToColor(QColor()), clNone);
    EXPECT_FALSE(ColorToQColor(clDefault).isValid());
}

// Every role in a palette of distinct colours, so a system colour read from the wrong role
// is caught.
class ColorPaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = QGuiApplication::palette();
        QPalette palette;
        int shade = 0;
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            for (int role = 0; role < QPalette::NColorRoles; ++role, shade += 3)
                palette.setColor(group, QPalette::ColorRole(role),
                                 QColor(shade % 256, (shade * 7) % 256, 40 + shade / 256));
        QGuiApplication::setPalette(palette);
    }
    void TearDown() override { QGuiApplication::setPalette(FSaved); }

    static TColor Expected(QPalette::ColorGroup group, QPalette::ColorRole role) {
        return QColorToColor(QGuiApplication::palette().color(group, role));
    }

private:
    QPalette FSaved;
};

TEST_F(ColorPaletteTest, SystemColorsResolveThroughTheApplicationPalette) {
    struct TCase {
        TColor Color;
        QPalette::ColorGroup Group;
        QPalette::ColorRole Role;
    };
    const TCase cases[] = {
        {clWindow, QPalette::Active, QPalette::Base},
        {clWindowText, QPalette::Active, QPalette::Text},
        {clBtnFace, QPalette::Active, QPalette::Button},
        {clBtnText, QPalette::Active, QPalette::ButtonText},
        {clHighlight, QPalette::Active, QPalette::Highlight},
        {clHighlightText, QPalette::Active, QPalette::HighlightedText},
        {clInfoBk, QPalette::Active, QPalette::ToolTipBase},
        {clInfoText, QPalette::Active, QPalette::ToolTipText},
        {clGrayText, QPalette::Disabled, QPalette::Text},
        {clBtnShadow, QPalette::Active, QPalette::Mid},
        {clBtnHighlight, QPalette::Active, QPalette::Light},
        {cl3DDkShadow, QPalette::Active, QPalette::Shadow},
        {cl3DLight, QPalette::Active, QPalette::Midlight},
        {clMenuText, QPalette::Active, QPalette::WindowText},
    };
    for (const TCase& c : cases) {
        const TColor expected = Expected(c.Group, c.Role);
        EXPECT_EQ(ColorToRGB(c.Color), expected) << ColorToString(c.Color).toStdString();
        EXPECT_EQ(ColorToQColor(c.Color), ColorToQColor(expected));
    }
}

TEST_F(ColorPaletteTest, EverySystemColorResolvesToAnRGBValue) {
    for (quint32 index = 0; index <= 24; ++index) {
        const TColor rgb = ColorToRGB(TColor(0x80000000u | index));
        EXPECT_EQ(quint32(rgb) & 0xFF000000u, 0u) << index;
    }
}

} // namespace
