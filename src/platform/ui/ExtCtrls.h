#pragma once

#include "Forms.h"
#include "StdCtrls.h"

#include <rtl/Alignment.h>

class QScrollArea;

PUBLISHED_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
PUBLISHED_ENUM(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine,
               bsSpacer)
PUBLISHED_ENUM(TBevelStyle, bsLowered, bsRaised)
PUBLISHED_ENUM(TScrollBarKind, sbHorizontal, sbVertical)

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
    // A border or bevel width as it is laid out and painted: none below zero, none wider
    // than the panel (the values stay as they were set).
    int Fitted(int Value) const;
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

// A group box of radio buttons, one for each line of Items, laid out in Columns columns
// filled one after the other. ItemIndex is the checked button, -1 for none; OnClick fires
// whenever it changes, by mouse, keys or when set.
class TRadioGroup : public TGroupBox {
    Q_OBJECT
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
public:
    Q_INVOKABLE explicit TRadioGroup(TComponent* AOwner = nullptr);

    TStrings* Items() const;
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int Columns() const { return FColumns; }
    // At least 1.
    void SetColumns(int Value);
    // The button of the line at Index.
    TRadioButton* Buttons(int Index) const;

    void Loaded() override;

protected:
    void AlignControls() override;

private:
    void ItemsChanged(TObject* Sender);
    void ButtonClicked(TObject* Sender);
    void CheckButtons();
    void ArrangeButtons();

    TStringList* FItems;
    QList<TRadioButton*> FButtons;
    int FItemIndex = -1;
    int FColumns = 1;
    bool FCheckingButtons = false;
};

// A frame or line drawn to set controls apart: a box, an etched frame, a line along one
// edge, or nothing (bsSpacer). Lowered, the darker line comes first (top or left).
class TBevel : public TControl {
    Q_OBJECT
    Q_PROPERTY(TBevelShape Shape READ Shape WRITE SetShape)
    Q_PROPERTY(TBevelStyle Style READ Style WRITE SetStyle)
public:
    Q_INVOKABLE explicit TBevel(TComponent* AOwner = nullptr);

    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape Value);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle Value);

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

class TScrollBox;

// A scroll bar of a scroll box. The scrolled area is as large as Range, the child
// controls and the view each require; Position is the offset of the view in it.
class TControlScrollBar : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int Range READ Range WRITE SetRange)
    Q_PROPERTY(int Position READ Position WRITE SetPosition)
public:
    TControlScrollBar(TScrollBox* Box, TScrollBarKind Kind);

    TScrollBarKind Kind() const { return FKind; }
    int Range() const { return FRange; }
    void SetRange(int Value);
    int Position() const { return FPosition; }
    void SetPosition(int Value);

    void Assign(TPersistent* Source) override;

private:
    friend class TScrollBox;

    TScrollBox* FBox;
    TScrollBarKind FKind;
    int FRange = 0;
    int FPosition = 0;
};

// A container whose child controls scroll in a view. Child bounds are positions in the
// scrolled area and do not change as it scrolls; aligned children fill the view.
// BorderStyle is bsSingle or bsNone.
class TScrollBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TControlScrollBar* HorzScrollBar READ HorzScrollBar)
    Q_PROPERTY(TControlScrollBar* VertScrollBar READ VertScrollBar)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
public:
    Q_INVOKABLE explicit TScrollBox(TComponent* AOwner = nullptr);

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar; }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);

    // The view.
    QRect ClientRect() const override;

protected:
    QWidget* CreateWidget() override;
    void InitWidget() override;
    QWidget* ClientWidget() override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    friend class TControlScrollBar;

    QScrollArea* ScrollArea();
    // Sizes the scrolled area and scrolls to the positions of the scroll bars.
    void UpdateScrollArea();
    int FrameWidth() const;

    TControlScrollBar* FHorzScrollBar;
    TControlScrollBar* FVertScrollBar;
    TFormBorderStyle FBorderStyle = bsSingle;
};

// Where a picture of Size goes in Client: as TImage places its picture.
QRect PlacePicture(QSize Size, const QRect& Client, bool Stretch, bool Center, bool Proportional);

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
