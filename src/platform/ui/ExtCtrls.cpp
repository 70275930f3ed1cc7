#include "ExtCtrls.h"

#include <QChildEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <rtl/List.h>

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

int TPanel::Fitted(int Value) const {
    return std::clamp(Value, 0, std::max({Width(), Height(), 0}));
}

void TPanel::AdjustClientRect(QRect& Rect) const {
    const int bevel = Fitted(FBevelWidth);
    const int inset =
        BevelSpace(FBevelOuter, bevel) + Fitted(FBorderWidth) + BevelSpace(FBevelInner, bevel);
    Rect.adjust(inset, inset, -inset, -inset);
}

void TPanel::Paint() {
    QPainter painter(Widget());
    QRect rect = ClientRect();
    const int bevel = Fitted(FBevelWidth);
    const int border = Fitted(FBorderWidth);
    DrawBevel(painter, rect, FBevelOuter, BevelSpace(FBevelOuter, bevel));
    rect.adjust(border, border, -border, -border);
    DrawBevel(painter, rect, FBevelInner, BevelSpace(FBevelInner, bevel));
    if (Caption().isEmpty())
        return;
    painter.setFont(Font()->ToQFont());
    painter.setPen(ColorToQColor(Font()->Color()));
    painter.drawText(rect, int(AlignmentToQt(FAlignment) | Qt::AlignVCenter), Caption());
}

// TRadioGroup

TRadioGroup::TRadioGroup(TComponent* AOwner) : TGroupBox(AOwner), FItems(new TStringList(this)) {
    SetControlStyle({});
    FItems->SetOnChange(TNotifyEvent(this, &TRadioGroup::ItemsChanged));
}

TStrings* TRadioGroup::Items() const {
    return FItems;
}

TRadioButton* TRadioGroup::Buttons(int Index) const {
    if (Index < 0 || Index >= FButtons.size())
        ListIndexError(Index);
    return FButtons[Index];
}

void TRadioGroup::ItemsChanged(TObject*) {
    while (FButtons.size() > FItems->Count())
        delete FButtons.takeLast();
    while (FButtons.size() < FItems->Count()) {
        auto* button = new TRadioButton(this);
        button->SetOnClick(TNotifyEvent(this, &TRadioGroup::ButtonClicked));
        button->SetParent(this);
        FButtons.append(button);
    }
    for (int i = 0; i < FButtons.size(); ++i)
        FButtons[i]->SetCaption(FItems->Strings(i));
    if (FItemIndex >= FButtons.size() && !IsLoading())
        FItemIndex = -1;
    CheckButtons();
    ArrangeButtons();
}

void TRadioGroup::ButtonClicked(TObject* Sender) {
    if (FCheckingButtons)
        return;
    FItemIndex = int(FButtons.indexOf(static_cast<TRadioButton*>(Sender)));
    Click();
}

void TRadioGroup::SetItemIndex(int Value) {
    if (IsLoading()) {
        FItemIndex = Value;
        return;
    }
    if (Value < -1 || Value >= FButtons.size())
        ListIndexError(Value);
    if (Value == FItemIndex)
        return;
    FItemIndex = Value;
    CheckButtons();
    Click();
}

void TRadioGroup::CheckButtons() {
    QScopedValueRollback checking(FCheckingButtons, true);
    for (int i = 0; i < FButtons.size(); ++i)
        FButtons[i]->SetChecked(i == FItemIndex);
}

void TRadioGroup::SetColumns(int Value) {
    if (Value < 1)
        throw EInvalidOperation(QStringLiteral("A radio group has at least one column"));
    FColumns = Value;
    ArrangeButtons();
}

void TRadioGroup::Loaded() {
    TGroupBox::Loaded();
    if (FItemIndex < -1 || FItemIndex >= FButtons.size())
        FItemIndex = -1;
    CheckButtons();
}

void TRadioGroup::AlignControls() {
    TGroupBox::AlignControls();
    ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
    if (FButtons.isEmpty())
        return;
    QRect area = ClientRect();
    AdjustClientRect(area);
    const int count = int(FButtons.size());
    const int rows = (count + FColumns - 1) / FColumns;
    const int width = area.width() / FColumns;
    const int height = area.height() / rows;
    for (int i = 0; i < count; ++i)
        FButtons[i]->SetBounds(area.left() + i / rows * width + 4, area.top() + i % rows * height,
                               width - 4, height);
}

// TBevel

TBevel::TBevel(TComponent* AOwner) : TControl(AOwner) {
    SetControlStyle({});
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() {
    QPainter painter(Widget());
    const QColor light = ColorToQColor(clBtnHighlight);
    const QColor dark = ColorToQColor(clBtnShadow);
    const QColor& first = FStyle == bsLowered ? dark : light;
    const QColor& second = FStyle == bsLowered ? light : dark;
    const int right = Width() - 1;
    const int bottom = Height() - 1;
    // Two lines side by side: the first colour from From to To, the second Step further.
    auto pair = [&](QPoint From, QPoint To, QPoint Step) {
        painter.setPen(first);
        painter.drawLine(From, To);
        painter.setPen(second);
        painter.drawLine(From + Step, To + Step);
    };
    switch (FShape) {
    case bsBox:
        painter.setPen(first);
        painter.drawLine(0, 0, right, 0);
        painter.drawLine(0, 0, 0, bottom);
        painter.setPen(second);
        painter.drawLine(0, bottom, right, bottom);
        painter.drawLine(right, 0, right, bottom);
        break;
    case bsFrame:
        painter.setPen(first);
        painter.drawRect(0, 0, right - 1, bottom - 1);
        painter.setPen(second);
        painter.drawRect(1, 1, right - 1, bottom - 1);
        break;
    case bsTopLine:
        pair({0, 0}, {right, 0}, {0, 1});
        break;
    case bsBottomLine:
        pair({0, bottom - 1}, {right, bottom - 1}, {0, 1});
        break;
    case bsLeftLine:
        pair({0, 0}, {0, bottom}, {1, 0});
        break;
    case bsRightLine:
        pair({right - 1, 0}, {right - 1, bottom}, {1, 0});
        break;
    case bsSpacer:
        break;
    }
}

// TControlScrollBar

TControlScrollBar::TControlScrollBar(TScrollBox* Box, TScrollBarKind Kind)
    : TPersistent(Box), FBox(Box), FKind(Kind) {}

void TControlScrollBar::SetRange(int Value) {
    FRange = std::max(Value, 0);
    FBox->UpdateScrollArea();
}

void TControlScrollBar::SetPosition(int Value) {
    FPosition = std::max(Value, 0);
    FBox->UpdateScrollArea();
}

void TControlScrollBar::Assign(TPersistent* Source) {
    auto* source = qobject_cast<TControlScrollBar*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    FRange = source->FRange;
    FPosition = source->FPosition;
    FBox->UpdateScrollArea();
}

// TScrollBox

TScrollBox::TScrollBox(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(new TControlScrollBar(this, sbHorizontal)),
      FVertScrollBar(new TControlScrollBar(this, sbVertical)) {
    SetControlStyle({csAcceptsControls, csClickEvents});
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

QWidget* TScrollBox::CreateWidget() {
    auto* area = new TControlWidget<QScrollArea>(this);
    area->setWidget(new QWidget);
    // The view's size, the child controls' bounds and their number decide the area's size.
    area->viewport()->installEventFilter(this);
    area->widget()->installEventFilter(this);
    connect(area->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int Value) { FHorzScrollBar->FPosition = Value; });
    connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int Value) { FVertScrollBar->FPosition = Value; });
    return area;
}

QScrollArea* TScrollBox::ScrollArea() {
    return static_cast<QScrollArea*>(Widget());
}

QWidget* TScrollBox::ClientWidget() {
    return ScrollArea()->widget();
}

void TScrollBox::InitWidget() {
    TWinControl::InitWidget();
    SetBorderStyle(FBorderStyle);
    UpdateScrollArea();
}

int TScrollBox::FrameWidth() const {
    if (const auto* area = static_cast<const QScrollArea*>(AllocatedWidget()))
        return area->frameWidth();
    return FBorderStyle == bsSingle ? 2 : 0;
}

QRect TScrollBox::ClientRect() const {
    if (const auto* area = static_cast<const QScrollArea*>(AllocatedWidget());
        area && area->isVisible())
        return area->viewport()->rect();
    const int frame = FrameWidth();
    return QRect(0, 0, std::max(Width() - 2 * frame, 0), std::max(Height() - 2 * frame, 0));
}

void TScrollBox::SetBorderStyle(TFormBorderStyle Value) {
    if (Value != bsNone && Value != bsSingle)
        throw EInvalidOperation(QStringLiteral("A scroll box's border is bsSingle or bsNone"));
    FBorderStyle = Value;
    if (HandleAllocated())
        ScrollArea()->setFrameShape(Value == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    Realign();
}

void TScrollBox::UpdateScrollArea() {
    if (!HandleAllocated() || IsDestroying())
        return;
    QRect extent;
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->Visible())
            extent |= Controls(i)->BoundsRect();
    QScrollArea* area = ScrollArea();
    area->widget()->resize(std::max({FHorzScrollBar->FRange, extent.right() + 1, 0}),
                           std::max({FVertScrollBar->FRange, extent.bottom() + 1, 0}));
    // Until shown the scroll bars have no range: the positions wait for it.
    const int horz = FHorzScrollBar->FPosition;
    const int vert = FVertScrollBar->FPosition;
    area->horizontalScrollBar()->setValue(horz);
    area->verticalScrollBar()->setValue(vert);
    if (area->isVisible()) {
        FHorzScrollBar->FPosition = area->horizontalScrollBar()->value();
        FVertScrollBar->FPosition = area->verticalScrollBar()->value();
    }
}

bool TScrollBox::eventFilter(QObject* Watched, QEvent* Event) {
    if (IsDestroying() || !HandleAllocated())
        return false;
    QScrollArea* area = ScrollArea();
    // The scrolled area tells of its children coming and going, they of their bounds.
    if (Watched == area->widget() && Event->type() != QEvent::ChildAdded &&
        Event->type() != QEvent::ChildRemoved)
        return false;
    switch (Event->type()) {
    case QEvent::Resize:
        if (Watched == area->viewport())
            Realign();
        UpdateScrollArea();
        break;
    case QEvent::ChildAdded:
        if (Watched == area->widget())
            if (QObject* child = static_cast<QChildEvent*>(Event)->child(); child->isWidgetType())
                child->installEventFilter(this);
        UpdateScrollArea();
        break;
    case QEvent::ChildRemoved:
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::Hide:
        UpdateScrollArea();
        break;
    default:
        break;
    }
    return false;
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

QRect PlacePicture(QSize Size, const QRect& Client, bool Stretch, bool Center, bool Proportional) {
    const bool larger = Size.width() > Client.width() || Size.height() > Client.height();
    if (Proportional && !Size.isEmpty() && (Stretch || larger))
        Size.scale(Client.size(), Qt::KeepAspectRatio);
    else if (Stretch)
        Size = Client.size();
    QRect result(Client.topLeft(), Size);
    if (Center)
        result.moveCenter(Client.center());
    return result;
}

QRect TImage::DestRect() const {
    return PlacePicture(QSize(FPicture->Width(), FPicture->Height()), ClientRect(), FStretch,
                        FCenter, FProportional);
}

void TImage::Paint() {
    Canvas()->StretchDraw(DestRect(), FPicture->Graphic());
}
