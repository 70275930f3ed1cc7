#pragma once

#include "Controls.h"

#include <rtl/Alignment.h>

PUBLISHED_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)

// A container with up to two bevels (outer, then inner) and a caption drawn inside.
// Children are aligned within the bevels and the border.
class TPanel : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
public:
    Q_INVOKABLE explicit TPanel(TComponent* AOwner = nullptr);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value) { SetBorder(FBevelOuter, Value); }
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value) { SetBorder(FBevelInner, Value); }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value) { SetBorder(FBevelWidth, Value); }
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value) { SetBorder(FBorderWidth, Value); }

protected:
    QWidget* CreateWidget() override;
    void Paint() override;
    void TextChanged() override;
    void AdjustClientRect(QRect& Rect) const override;

private:
    template <class T> void SetBorder(T& Field, T Value) {
        Field = Value;
        Realign();
        Invalidate();
    }

    TAlignment FAlignment = taCenter;
    TBevelCut FBevelOuter = bvRaised;
    TBevelCut FBevelInner = bvNone;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
};

// Shows a picture: at its own size in the top-left corner, centred, or stretched to the
// control (keeping its proportions when Proportional, which also shrinks a picture larger
// than the control). With AutoSize the control takes the picture's size.
class TImage : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Center READ Center WRITE SetCenter)
    Q_PROPERTY(bool Proportional READ Proportional WRITE SetProportional)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
public:
    Q_INVOKABLE explicit TImage(TComponent* AOwner = nullptr);

    TPicture* Picture() const { return FPicture; }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value) { SetOption(FCenter, Value); }
    bool Proportional() const { return FProportional; }
    void SetProportional(bool Value) { SetOption(FProportional, Value); }
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value) { SetOption(FStretch, Value); }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);

    // Where the picture is drawn in the client area.
    QRect DestRect() const;

protected:
    void Paint() override;

private:
    void SetOption(bool& Field, bool Value);
    void PictureChanged(TObject* Sender);
    void AdjustSize();

    TPicture* FPicture;
    bool FAutoSize = false;
    bool FCenter = false;
    bool FProportional = false;
    bool FStretch = false;
    bool FTransparent = false;
};
