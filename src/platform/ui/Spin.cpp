#include "Spin.h"

#include <QLineEdit>
#include <QToolButton>
#include <algorithm>
#include <rtl/Reference.h>

namespace {

constexpr int SpinButtonWidth = 17;

} // namespace

// TSpinButton

TSpinButton::TSpinButton(TComponent* AOwner) : TWinControl(AOwner) {
    SetControlStyle({});
    SetBounds(0, 0, 20, 25);
}

QWidget* TSpinButton::CreateWidget() {
    QWidget* buttons = TWinControl::CreateWidget();
    FUpButton = MakeButton(buttons, Qt::UpArrow, &TSpinButton::UpClick);
    FDownButton = MakeButton(buttons, Qt::DownArrow, &TSpinButton::DownClick);
    PlaceButtons();
    return buttons;
}

QToolButton* TSpinButton::MakeButton(QWidget* Parent, Qt::ArrowType Arrow,
                                     void (TSpinButton::*Click)()) {
    auto* button = new QToolButton(Parent);
    button->setArrowType(Arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this,
            [this, Click] { HandleExceptions([this, Click] { (this->*Click)(); }); });
    return button;
}

void TSpinButton::PlaceButtons() {
    if (!FUpButton)
        return;
    const int upper = Height() / 2;
    FUpButton->setGeometry(0, 0, Width(), upper);
    FDownButton->setGeometry(0, upper, Width(), Height() - upper);
}

void TSpinButton::Resize() {
    PlaceButtons();
    TWinControl::Resize();
}

void TSpinButton::SetFocusControl(TWinControl* Value) {
    ReplaceReference(this, FFocusControl, Value);
}

void TSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TSpinButton::UpClick() {
    if (FFocusControl && !FFocusControl->Focused() && FFocusControl->CanFocus())
        FFocusControl->SetFocus();
    FOnUpClick(this);
}

void TSpinButton::DownClick() {
    if (FFocusControl && !FFocusControl->Focused() && FFocusControl->CanFocus())
        FFocusControl->SetFocus();
    FOnDownClick(this);
}

// TSpinEdit

TSpinEdit::TSpinEdit(TComponent* AOwner) : TEdit(AOwner), FButton(new TSpinButton) {
    SetBounds(0, 0, 121, 22);
    SetText(QStringLiteral("0"));
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    FButton->SetOnUpClick(TNotifyEvent(this, &TSpinEdit::UpClick));
    FButton->SetOnDownClick(TNotifyEvent(this, &TSpinEdit::DownClick));
    PlaceButton();
}

void TSpinEdit::InitWidget() {
    TEdit::InitWidget();
    static_cast<QLineEdit*>(Widget())->setTextMargins(0, 0, SpinButtonWidth, 0);
}

void TSpinEdit::PlaceButton() {
    FButton->SetBounds(Width() - SpinButtonWidth - 1, 1, SpinButtonWidth, Height() - 2);
}

void TSpinEdit::Resize() {
    PlaceButton();
    TEdit::Resize();
}

int TSpinEdit::CheckValue(int Value) const {
    if (FMinValue == 0 && FMaxValue == 0)
        return Value;
    return std::clamp(Value, FMinValue, std::max(FMinValue, FMaxValue));
}

int TSpinEdit::Value() const {
    bool ok = false;
    const int value = Text().trimmed().toInt(&ok);
    return ok ? value : FMinValue;
}

void TSpinEdit::SetValue(int Value) {
    // A form file may give the value before the limits.
    SetText(QString::number(IsLoading() ? Value : CheckValue(Value)));
}

void TSpinEdit::UpClick(TObject*) {
    if (!ReadOnly())
        SetValue(Value() + FIncrement);
}

void TSpinEdit::DownClick(TObject*) {
    if (!ReadOnly())
        SetValue(Value() - FIncrement);
}

void TSpinEdit::KeyDown(quint16& Key, TShiftState Shift) {
    TEdit::KeyDown(Key, Shift);
    if (Key == VK_UP || Key == VK_DOWN) {
        if (Key == VK_UP)
            UpClick(this);
        else
            DownClick(this);
        Key = 0;
    } else if (Key == VK_DELETE && !FEditorEnabled) {
        Key = 0;
    }
}

void TSpinEdit::KeyPress(QChar& Key) {
    TEdit::KeyPress(Key);
    const bool number =
        Key.isDigit() || Key == QLatin1Char('-') || Key.category() == QChar::Other_Control;
    if (!FEditorEnabled || !number)
        Key = QChar();
}

void TSpinEdit::DoExit() {
    if (CheckValue(Value()) != Value())
        SetValue(Value());
    TEdit::DoExit();
}

bool TSpinEdit::IsStoredProp(const QString& Name) const {
    // Value keeps the text.
    if (Name == QLatin1String("Text"))
        return false;
    return TEdit::IsStoredProp(Name);
}
