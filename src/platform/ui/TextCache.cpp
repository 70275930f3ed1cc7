#include "TextCache.h"

#include <algorithm>

namespace {

bool Keepable(const QFont& Font, const QString& Text) {
    // Qt places the lines of a kept text a pixel off those of text shaped afresh.
    if (Font.underline() || Font.strikeOut() || Font.overline())
        return false;
    return Text.size() <= TTextCache::MaxLength &&
           std::none_of(Text.cbegin(), Text.cend(), [](QChar c) {
               return c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator ||
                      c == QChar::ParagraphSeparator;
           });
}

} // namespace

TTextCache::TShapedText* TTextCache::Find(const QFont& Font, const QString& Text) {
    if (!Keepable(Font, Text))
        return nullptr;
    auto fonts = std::find_if(FFonts.begin(), FFonts.end(),
                              [&](const TFontTexts& Entry) { return Entry.Font == Font; });
    if (fonts != FFonts.end())
        if (const auto found = fonts->Texts.find(Text); found != fonts->Texts.end())
            return &found.value();
    if (FCount >= Capacity) {
        Clear();
        fonts = FFonts.end();
    }
    if (fonts == FFonts.end()) {
        FFonts.append({Font, {}});
        fonts = FFonts.end() - 1;
    }
    TShapedText shaped;
    shaped.Text.setText(Text);
    shaped.Text.setTextFormat(Qt::PlainText);
    ++FCount;
    return &fonts->Texts.insert(Text, shaped).value();
}

void TTextCache::Clear() {
    FFonts.clear();
    FCount = 0;
}
