#pragma once

#include <QFont>
#include <QHash>
#include <QList>
#include <QStaticText>
#include <QString>

// Texts shaped once and kept for drawing and measuring, per font: a kept text is shaped
// when first drawn (QStaticText) and measured when first asked, and drawing it again places
// its glyphs without shaping. It holds at most Capacity texts and empties itself when full;
// texts with line breaks or tabs, long ones and those of underlined or struck-out fonts are
// not kept.
class TTextCache {
public:
    static constexpr int Capacity = 4096;
    static constexpr int MaxLength = 256;

    // A shaped text; Width is its advance in pixels, -1 until measured.
    struct TShapedText {
        QStaticText Text;
        int Width = -1;
    };

    // The entry of Text in Font, made on first use; nullptr when the cache does not keep it.
    TShapedText* Find(const QFont& Font, const QString& Text);
    int Count() const { return FCount; }
    void Clear();

private:
    struct TFontTexts {
        QFont Font;
        QHash<QString, TShapedText> Texts;
    };

    QList<TFontTexts> FFonts;
    int FCount = 0;
};
