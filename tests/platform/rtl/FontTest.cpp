#include "rtl/Font.h"

#include "rtl/Exceptions.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMetaProperty>
#include <gtest/gtest.h>

namespace {

// Counts the OnChange notifications of a font.
struct TChangeCounter {
    explicit TChangeCounter(TFont& font) {
        font.SetOnChange([this, &font](TObject* sender) {
            EXPECT_EQ(sender, &font);
            ++Count;
        });
    }
    int Count = 0;
};

TEST(FontTest, DefaultsAreTheFormDefaults) {
    TFont font;
    EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(font.Color(), clWindowText);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(font.Pitch(), fpDefault);
    EXPECT_TRUE(font.Style().IsEmpty());
}

TEST(FontTest, SizeAndHeightConvertAt96PixelsPerInch) {
    const std::pair<int, int> heightAndSize[] = {{-11, 8}, {-13, 10}, {-16, 12}, {-12, 9}};
    for (const auto& [height, size] : heightAndSize) {
        TFont font;
        font.SetHeight(height);
        EXPECT_EQ(font.Size(), size) << height;
        font.SetHeight(-1);
        font.SetSize(size);
        EXPECT_EQ(font.Height(), height) << size;
    }
}

TEST(FontTest, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(8, 96, 72), 11);
    EXPECT_EQ(MulDiv(3, 1, 2), 2);
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(3, 1, -2), -2);
    EXPECT_EQ(MulDiv(5, 1, 4), 1);
    EXPECT_EQ(MulDiv(0x40000000, 8, 16), 0x20000000); // no overflow in the product
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(FontTest, OnChangeFiresOncePerEffectiveChange) {
    TFont font;
    TChangeCounter changes(font);
    font.SetHeight(-11);
    font.SetSize(8);
    font.SetName(QStringLiteral("MS Sans Serif"));
    font.SetStyle({});
    EXPECT_EQ(changes.Count, 0);

    font.SetHeight(-13);
    font.SetSize(12);
    font.SetName(QStringLiteral("Arial"));
    font.SetColor(clRed);
    font.SetCharset(0);
    font.SetPitch(fpFixed);
    font.SetStyle({fsBold, fsUnderline});
    EXPECT_EQ(changes.Count, 7);
    font.SetStyle({fsUnderline, fsBold});
    EXPECT_EQ(changes.Count, 7);
}

TEST(FontTest, AssignCopiesEverythingAndFiresOnce) {
    TFont source;
    source.SetCharset(0);
    source.SetColor(clNavy);
    source.SetHeight(-16);
    source.SetName(QStringLiteral("Courier New"));
    source.SetPitch(fpFixed);
    source.SetStyle({fsItalic, fsStrikeOut});
    TChangeCounter sourceChanges(source);

    TFont font;
    TChangeCounter changes(font);
    font.Assign(&source);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_EQ(font.Charset(), 0);
    EXPECT_EQ(font.Color(), clNavy);
    EXPECT_EQ(font.Height(), -16);
    EXPECT_EQ(font.Size(), 12);
    EXPECT_EQ(font.Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(font.Pitch(), fpFixed);
    EXPECT_EQ(font.Style(), TFontStyles({fsItalic, fsStrikeOut}));

    font.Assign(&source);
    EXPECT_EQ(changes.Count, 1);
    EXPECT_EQ(sourceChanges.Count, 0);

    // The handler belongs to the font, not to what it was assigned from.
    font.SetColor(clRed);
    EXPECT_EQ(changes.Count, 2);
    EXPECT_EQ(sourceChanges.Count, 0);
}

TEST(FontTest, AssignFromAnotherClassRaises) {
    TFont font;
    TPersistent other;
    EXPECT_THROW(font.Assign(&other), EConvertError);
}

TEST(FontTest, PropertiesWorkThroughTheMetaObject) {
    TFont font;
    TChangeCounter changes(font);
    ASSERT_TRUE(font.setProperty("Style", QVariant::fromValue(TFontStyles{fsBold})));
    ASSERT_TRUE(font.setProperty("Pitch", QVariant::fromValue(fpVariable)));
    ASSERT_TRUE(font.setProperty("Color", QVariant::fromValue(clBlue)));
    EXPECT_EQ(font.Style(), TFontStyles{fsBold});
    EXPECT_EQ(font.Pitch(), fpVariable);
    EXPECT_EQ(font.Color(), clBlue);
    EXPECT_EQ(changes.Count, 3);

    const QMetaObject* meta = font.metaObject();
    const QMetaProperty style = meta->property(meta->indexOfProperty("Style"));
    const auto* styles = EnumRegistry::SetOf(style.metaType());
    ASSERT_NE(styles, nullptr);
    EXPECT_EQ(styles->Names, QStringList({"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}));
    const QMetaProperty pitch = meta->property(meta->indexOfProperty("Pitch"));
    ASSERT_NE(EnumRegistry::EnumOf(pitch.metaType()), nullptr);
    EXPECT_FALSE(meta->property(meta->indexOfProperty("Size")).isStored());
    EXPECT_TRUE(meta->property(meta->indexOfProperty("Height")).isStored());
}

TEST(FontTest, ToQFontCarriesHeightStyleAndPitch) {
    TFont font;
    font.SetHeight(-13);
    font.SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
    QFont qfont = font.ToQFont();
    EXPECT_EQ(qfont.pixelSize(), 13);
    EXPECT_TRUE(qfont.bold());
    EXPECT_TRUE(qfont.italic());
    EXPECT_TRUE(qfont.underline());
    EXPECT_TRUE(qfont.strikeOut());
    EXPECT_FALSE(qfont.fixedPitch());

    font.SetStyle({fsUnderline});
    font.SetPitch(fpFixed);
    qfont = font.ToQFont();
    EXPECT_FALSE(qfont.bold());
    EXPECT_FALSE(qfont.italic());
    EXPECT_TRUE(qfont.underline());
    EXPECT_TRUE(qfont.fixedPitch());
}

TEST(FontTest, ToQFontFollowsAssignedFacesWhateverTheColour) {
    TFont large;
    large.SetHeight(-20);
    large.SetStyle({fsBold});
    const QFont largeFont = large.ToQFont();
    TFont font;
    EXPECT_EQ(font.ToQFont().pixelSize(), 11);
    font.Assign(&large);
    EXPECT_EQ(font.ToQFont(), largeFont);
    EXPECT_TRUE(font.ToQFont().bold());
    font.SetColor(clRed);
    EXPECT_EQ(font.ToQFont(), largeFont) << "the colour is not part of the face";

    TFont plain; // never turned into a QFont
    font.Assign(&plain);
    EXPECT_EQ(font.ToQFont().pixelSize(), 11);
    EXPECT_FALSE(font.ToQFont().bold());
    large.SetStyle({fsItalic});
    font.Assign(&large);
    EXPECT_TRUE(font.ToQFont().italic());
    EXPECT_FALSE(font.ToQFont().bold());
}

TEST(FontTest, PositiveHeightIsTheCellHeight) {
    TFont font;
    font.SetName(QStringLiteral("Arial"));
    for (int cell : {13, 16, 24, 40}) {
        font.SetHeight(cell);
        const QFont qfont = font.ToQFont();
        EXPECT_LT(qfont.pixelSize(), cell);
        EXPECT_NEAR(QFontMetrics(qfont).height(), cell, 1) << cell;
    }
}

TEST(FontTest, FormFontNamesResolveToInstalledLookAlikes) {
    TFont font;
    font.SetName(QStringLiteral("Courier New"));
    const QFontInfo courier(font.ToQFont());
    EXPECT_TRUE(courier.fixedPitch());
    EXPECT_TRUE(courier.family().startsWith(QStringLiteral("Liberation Mono")))
        << courier.family().toStdString();

    for (const char* name : {"Arial", "MS Sans Serif"}) {
        font.SetName(QLatin1String(name));
        const QFontInfo sans(font.ToQFont());
        EXPECT_TRUE(sans.family().startsWith(QStringLiteral("Liberation Sans")))
            << name << " -> " << sans.family().toStdString();
        EXPECT_FALSE(sans.fixedPitch());
    }

    font.SetName(QStringLiteral("Times New Roman"));
    EXPECT_TRUE(QFontInfo(font.ToQFont()).family().startsWith(QStringLiteral("Liberation Serif")));
}

TEST(FontTest, SetFromQFontTakesTheQFontsValuesInOneChange) {
    TFont original;
    original.SetName(QStringLiteral("Courier New"));
    original.SetHeight(-16);
    original.SetPitch(fpFixed);
    original.SetStyle({fsBold, fsStrikeOut});

    TFont font;
    font.SetColor(clMaroon);
    TChangeCounter changes(font);
    font.SetFromQFont(original.ToQFont());
    EXPECT_EQ(changes.Count, 1);
    EXPECT_EQ(font.Name(), QStringLiteral("Courier New"));
    EXPECT_EQ(font.Height(), -16);
    EXPECT_EQ(font.Pitch(), fpFixed);
    EXPECT_EQ(font.Style(), TFontStyles({fsBold, fsStrikeOut}));
    EXPECT_EQ(font.Color(), clMaroon);

    font.SetFromQFont(original.ToQFont());
    EXPECT_EQ(changes.Count, 1);

    font.SetFromQFont(QFont(QStringLiteral("Arial"), 12));
    EXPECT_EQ(font.Height(), -16);
    EXPECT_EQ(font.Size(), 12);
    EXPECT_EQ(font.Pitch(), fpDefault);
    EXPECT_TRUE(font.Style().IsEmpty());
}

} // namespace
