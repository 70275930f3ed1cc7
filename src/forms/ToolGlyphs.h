#pragma once

// The pictures of the base form's tool-bar buttons.

class TSpeedButton;

// The glyphs of the base form's buttons.
enum TToolGlyph {
    tgSearch,      // a magnifier
    tgFilterPanel, // a funnel
    tgTools,       // a gear
    tgFilterBasic, // a funnel with a dot
    tgFilterOff,   // a crossed-out funnel
    tgFilterEdit,  // a pencil
    tgFilterOn,    // a filled funnel
};

// Gives Button the glyph: the desktop theme's icon where the theme has one, else a small
// drawn picture on the button face.
void SetToolGlyph(TSpeedButton* Button, TToolGlyph Glyph);
