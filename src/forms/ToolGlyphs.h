#pragma once

// The pictures of the library's tool buttons: the base form's tool bar and the filter
// dialog's list buttons.

#include <initializer_list>
#include <utility>

class TSpeedButton;

// The glyphs of the tool buttons.
enum TToolGlyph {
    tgSearch,      // a magnifier
    tgFilterPanel, // a funnel
    tgTools,       // a gear
    tgFilterBasic, // a funnel with a dot
    tgFilterOff,   // a crossed-out funnel
    tgFilterEdit,  // a pencil
    tgFilterOn,    // a filled funnel
    tgPrior,       // an arrow to the left
    tgNext,        // an arrow to the right
    tgInsert,      // a plus
    tgDelete,      // a minus
    tgRestore,     // an arrow turning back
};

// Gives Button the glyph: the desktop theme's icon where the theme has one, else a small
// drawn picture on the button face.
void SetToolGlyph(TSpeedButton* Button, TToolGlyph Glyph);

// Gives each button its glyph unless its form file gave it one.
void SetToolGlyphs(std::initializer_list<std::pair<TSpeedButton*, TToolGlyph>> Glyphs);
