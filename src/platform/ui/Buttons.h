#pragma once

#include "Graphics.h"
#include "StdCtrls.h"

class QToolButton;

PUBLISHED_ENUM(TBitBtnKind, bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort,
               bkRetry, bkIgnore, bkAll)
PUBLISHED_ENUM(TButtonLayout, blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom)

// A push button with a picture. A Kind other than bkCustom gives the button the kind's
// caption (a form file's caption is kept), modal result and standard icon, and makes an
// OK or Yes button the default button and a Cancel or No button the cancel button. A
// Close button closes its form after OnClick. The picture stands left of the caption,
// or right of it with Layout blGlyphRight; Margin and Spacing are kept for form files
// and not applied. A Glyph, when it is not empty, takes the place of the kind's icon: it
// holds NumGlyphs (1 to 4) images side by side, for the up, disabled, down and held states;
// only the first is shown, in every state.
class TBitBtn : public TButton {
    Q_OBJECT
    Q_PROPERTY(TBitBtnKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Margin READ Margin WRITE SetMargin)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
public:
    Q_INVOKABLE explicit TBitBtn(TComponent* AOwner = nullptr);

    TBitmap* Glyph() const { return FGlyph; }
    // Takes a copy of Value.
    void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
    int NumGlyphs() const { return FNumGlyphs; }
    // Raises EPropertyError outside 1 to 4.
    void SetNumGlyphs(int Value);

    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return FMargin; }
    void SetMargin(int Value) { FMargin = Value; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value) { FSpacing = Value; }

    void Click() override;
    // Caption and ModalResult are stored only where they differ from the kind's.
    bool IsStoredProp(const QString& Name) const override;

protected:
    void InitWidget() override;

private:
    void ApplyPicture();

    TBitmap* FGlyph;
    int FNumGlyphs = 1;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FSpacing = 4;
};

// A button that takes no focus, for tool bars. Buttons with the same parent and the same
// GroupIndex other than 0 form a group in which at most one is Down: clicking one puts it
// down and the others up; clicking the one that is down leaves it down, or with
// AllowAllUp (shared by the group) puts it up. A button with GroupIndex 0 is never down.
// OnClick fires on every click. A Flat button shows its frame only under the mouse. Its
// Glyph stands left of the caption, as the first of NumGlyphs images, as TBitBtn's does.
class TSpeedButton : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool AllowAllUp READ AllowAllUp WRITE SetAllowAllUp)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
public:
    Q_INVOKABLE explicit TSpeedButton(TComponent* AOwner = nullptr);

    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);

    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Down() const { return FDown; }
    // Putting up the button that is down takes AllowAllUp.
    void SetDown(bool Value);

    void Click() override;
    void Loaded() override;

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    void TextChanged() override;

private:
    QToolButton* ButtonWidget();
    void ApplyDown();
    // The other buttons of the group.
    QList<TSpeedButton*> GroupMates() const;
    void ReleaseMates();
    void ApplyGlyph();

    TBitmap* FGlyph;
    int FNumGlyphs = 1;
    bool FFlat = false;
    int FGroupIndex = 0;
    bool FAllowAllUp = false;
    bool FDown = false;
};
