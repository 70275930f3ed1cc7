#include "ExtCtrls.h"

#include <QPainter>

namespace {

// Draws Width lines of a bevel around Rect and shrinks Rect inside them.
void DrawBevel(QPainter& Painter, QRect& Rect, TBevelCut Cut, int Width) {
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor dark = ColorToQColor(clBtnShadow);
    const QColor& topLeft = Cut == bvRaised ? light : dark;
    const QColor& bottomRight = Cut == bvRaised ? dark : light;
    for (int i = 0; i < Width; ++i) {
        if (Cut == bvRaised || Cut == bvLowered) {
            Painter.setPen(topLeft);
            Painter.drawLine(Rect.topLeft(), Rect.topRight());
            Painter.drawLine(Rect.topLeft(), Rect.bottomLeft());
            Painter.setPen(bottomRight);
            Painter.drawLine(Rect.bottomLeft(), Rect.bottomRight());
            Painter.drawLine(Rect.topRight(), Rect.bottomRight());
        }
        Rect.adjust(1, 1, -1, -1);
    }
}

int BevelSpace(TBevelCut Cut, int Width) {
    return Cut == bvNone ? 0 : Width;
}

} // namespace

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({csAcceptsControls, csClickEvents});
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

QWidget* TPanel::CreateWidget() {
    QWidget* panel = TWinControl::CreateWidget();
    panel->setAutoFillBackground(true);
    return panel;
}

void TPanel::SetAlignment(TAlignment Value) {
    FAlignment = Value;
    Invalidate();
}

void TPanel::TextChanged() {
    Invalidate();
}

void TPanel::AdjustClientRect(QRect& Rect) const {
    const int inset =
        BevelSpace(FBevelOuter, FBevelWidth) + FBorderWidth + BevelSpace(FBevelInner, FBevelWidth);
    Rect.adjust(inset, inset, -inset, -inset);
}

void TPanel::Paint() {
    QPainter painter(Widget());
    QRect rect = ClientRect();
    DrawBevel(painter, rect, FBevelOuter, BevelSpace(FBevelOuter, FBevelWidth));
    rect.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    DrawBevel(painter, rect, FBevelInner, BevelSpace(FBevelInner, FBevelWidth));
    if (Caption().isEmpty())
        return;
    painter.setFont(Font()->ToQFont());
    painter.setPen(ColorToQColor(Font()->Color()));
    painter.drawText(rect, int(AlignmentToQt(FAlignment) | Qt::AlignVCenter), Caption());
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture(this)) {
    SetBounds(0, 0, 105, 105);
    FPicture->SetOnChange(TNotifyEvent(this, &TImage::PictureChanged));
}

void TImage::SetAutoSize(bool Value) {
    FAutoSize = Value;
    AdjustSize();
}

void TImage::SetTransparent(bool Value) {
    FTransparent = Value;
    if (FPicture->Graphic())
        FPicture->Graphic()->SetTransparent(Value);
    Invalidate();
}

void TImage::SetOption(bool& Field, bool Value) {
    Field = Value;
    Invalidate();
}

void TImage::PictureChanged(TObject*) {
    if (TGraphic* graphic = FPicture->Graphic(); graphic && graphic->Transparent() != FTransparent)
        graphic->SetTransparent(FTransparent);
    AdjustSize();
    Invalidate();
}

void TImage::AdjustSize() {
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
}

QRect TImage::DestRect() const {
    const QRect client = ClientRect();
    QSize size(FPicture->Width(), FPicture->Height());
    const bool larger = size.width() > client.width() || size.height() > client.height();
    if (FProportional && !size.isEmpty() && (FStretch || larger))
        size.scale(client.size(), Qt::KeepAspectRatio);
    else if (FStretch)
        size = client.size();
    QRect result(client.topLeft(), size);
    if (FCenter)
        result.moveCenter(client.center());
    return result;
}

void TImage::Paint() {
    Canvas()->StretchDraw(DestRect(), FPicture->Graphic());
}
