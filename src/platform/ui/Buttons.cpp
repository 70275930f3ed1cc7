#include "Buttons.h"

#include "Forms.h"

#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace {

// What a kind of bit button brings. The icons are ones every style draws.
struct TKindInfo {
    const char* Caption;
    TModalResult ModalResult;
    QStyle::StandardPixmap Icon;
};

const TKindInfo& KindInfo(TBitBtnKind Kind) {
    // By kind, from bkCustom, whose entry is not used.
    static const TKindInfo Infos[] = {
        {"", mrNone, QStyle::SP_CustomBase},
        {"OK", mrOk, QStyle::SP_DialogOkButton},
        {"Cancel", mrCancel, QStyle::SP_DialogCancelButton},
        {"&Help", mrNone, QStyle::SP_DialogHelpButton},
        {"&Yes", mrYes, QStyle::SP_DialogYesButton},
        {"&No", mrNo, QStyle::SP_DialogNoButton},
        {"&Close", mrNone, QStyle::SP_DialogCloseButton},
        {"Abort", mrAbort, QStyle::SP_BrowserStop},
        {"&Retry", mrRetry, QStyle::SP_BrowserReload},
        {"&Ignore", mrIgnore, QStyle::SP_DialogDiscardButton},
        {"&All", mrAll, QStyle::SP_DialogApplyButton},
    };
    return Infos[Kind];
}

int CheckedNumGlyphs(int Value) {
    if (Value < 1 || Value > 4)
        throw EPropertyError(QStringLiteral("NumGlyphs must be from 1 to 4, not %1").arg(Value));
    return Value;
}

// Shows the first of the NumGlyphs images of Glyph on Button, at its own size.
void ShowGlyph(QAbstractButton* Button, TBitmap* Glyph, int NumGlyphs) {
    const QImage& image = Glyph->Image();
    const QImage first = image.copy(0, 0, image.width() / NumGlyphs, image.height());
    Button->setIcon(first.isNull() ? QIcon() : QIcon(QPixmap::fromImage(first)));
    Button->setIconSize(first.isNull() ? QSize() : first.size());
}

} // namespace

// TBitBtn

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap(this)) {
    FGlyph->SetOnChange([this](TObject*) { ApplyPicture(); });
}

void TBitBtn::SetNumGlyphs(int Value) {
    FNumGlyphs = CheckedNumGlyphs(Value);
    ApplyPicture();
}

void TBitBtn::InitWidget() {
    TButton::InitWidget();
    ApplyPicture();
}

void TBitBtn::SetKind(TBitBtnKind Value) {
    if (FKind == Value)
        return;
    FKind = Value;
    if (Value != bkCustom) {
        const TKindInfo& info = KindInfo(Value);
        SetDefault(Value == bkOK || Value == bkYes);
        SetCancel(Value == bkCancel || Value == bkNo);
        if (!IsLoading() || Caption().isEmpty())
            SetCaption(QString::fromLatin1(info.Caption));
        if (!IsLoading() || ModalResult() == mrNone)
            SetModalResult(info.ModalResult);
    }
    ApplyPicture();
}

void TBitBtn::SetLayout(TButtonLayout Value) {
    FLayout = Value;
    ApplyPicture();
}

void TBitBtn::ApplyPicture() {
    if (!HandleAllocated())
        return;
    auto* button = static_cast<QPushButton*>(Widget());
    if (!FGlyph->Empty() || FKind == bkCustom) {
        ShowGlyph(button, FGlyph, FNumGlyphs);
    } else {
        button->setIcon(button->style()->standardIcon(KindInfo(FKind).Icon, nullptr, button));
        button->setIconSize(QSize());
    }
    button->setLayoutDirection(FLayout == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::Click() {
    QPointer<TBitBtn> guard(this);
    TButton::Click();
    if (FKind == bkClose && guard && !IsDestroying())
        if (TForm* form = GetParentForm(this))
            form->Close();
}

bool TBitBtn::IsStoredProp(const QString& Name) const {
    if (FKind != bkCustom) {
        const TKindInfo& info = KindInfo(FKind);
        if (Name == QLatin1String("Caption"))
            return Caption() != QLatin1String(info.Caption);
        if (Name == QLatin1String("ModalResult"))
            return ModalResult() != info.ModalResult;
    }
    return TButton::IsStoredProp(Name);
}

// TSpeedButton

TSpeedButton::TSpeedButton(TComponent* AOwner) : TControl(AOwner), FGlyph(new TBitmap(this)) {
    SetBounds(0, 0, 23, 22);
    FGlyph->SetOnChange([this](TObject*) { ApplyGlyph(); });
}

void TSpeedButton::SetNumGlyphs(int Value) {
    FNumGlyphs = CheckedNumGlyphs(Value);
    ApplyGlyph();
}

void TSpeedButton::ApplyGlyph() {
    if (HandleAllocated())
        ShowGlyph(ButtonWidget(), FGlyph, FNumGlyphs);
}

QWidget* TSpeedButton::CreateWidget() {
    auto* button = new TControlWidget<QToolButton>(this);
    button->setFocusPolicy(Qt::NoFocus);
    // Checked shows Down; the button sets it back after the widget's own toggling.
    button->setCheckable(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

QToolButton* TSpeedButton::ButtonWidget() {
    return static_cast<QToolButton*>(Widget());
}

void TSpeedButton::InitWidget() {
    TControl::InitWidget();
    ButtonWidget()->setText(Caption());
    ButtonWidget()->setAutoRaise(FFlat);
    ApplyGlyph();
    ApplyDown();
}

void TSpeedButton::TextChanged() {
    if (HandleAllocated())
        ButtonWidget()->setText(Caption());
}

void TSpeedButton::SetFlat(bool Value) {
    FFlat = Value;
    if (HandleAllocated())
        ButtonWidget()->setAutoRaise(Value);
}

void TSpeedButton::ApplyDown() {
    if (HandleAllocated())
        ButtonWidget()->setChecked(FDown);
}

QList<TSpeedButton*> TSpeedButton::GroupMates() const {
    QList<TSpeedButton*> mates;
    if (!Parent() || FGroupIndex == 0)
        return mates;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* button = qobject_cast<TSpeedButton*>(Parent()->Controls(i));
            button && button != this && button->FGroupIndex == FGroupIndex)
            mates.append(button);
    return mates;
}

void TSpeedButton::ReleaseMates() {
    for (TSpeedButton* mate : GroupMates()) {
        mate->FDown = false;
        mate->ApplyDown();
    }
}

void TSpeedButton::SetGroupIndex(int Value) {
    FGroupIndex = Value;
    if (IsLoading())
        return;
    if (Value == 0)
        FDown = false;
    else if (FDown)
        ReleaseMates();
    ApplyDown();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
    FAllowAllUp = Value;
    if (!IsLoading())
        for (TSpeedButton* mate : GroupMates())
            mate->FAllowAllUp = Value;
}

void TSpeedButton::SetDown(bool Value) {
    // A form file's buttons are checked against their group once all are read.
    if (IsLoading()) {
        FDown = Value;
        return;
    }
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown || (!Value && !FAllowAllUp))
        return;
    FDown = Value;
    ApplyDown();
    if (Value)
        ReleaseMates();
}

void TSpeedButton::Loaded() {
    TControl::Loaded();
    if (FGroupIndex == 0)
        FDown = false;
    ApplyDown();
}

void TSpeedButton::Click() {
    if (FGroupIndex != 0)
        SetDown(!FDown);
    ApplyDown();
    TControl::Click();
}
