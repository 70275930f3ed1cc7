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
