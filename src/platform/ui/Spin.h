#pragma once

#include "StdCtrls.h"

class QToolButton;

// An up and a down arrow button, one above the other. Pressing one gives the focus to
// FocusControl (when set) and fires OnUpClick or OnDownClick, repeatedly while it is held.
class TSpinButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TWinControl* FocusControl READ FocusControl WRITE SetFocusControl)
    Q_PROPERTY(TNotifyEvent OnUpClick READ OnUpClick WRITE SetOnUpClick)
    Q_PROPERTY(TNotifyEvent OnDownClick READ OnDownClick WRITE SetOnDownClick)
public:
    Q_INVOKABLE explicit TSpinButton(TComponent* AOwner = nullptr);

    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    // The arrow buttons; nullptr until the widget is made.
    QToolButton* UpButton() const { return FUpButton; }
    QToolButton* DownButton() const { return FDownButton; }

    const TNotifyEvent& OnUpClick() const { return FOnUpClick; }
    void SetOnUpClick(const TNotifyEvent& Value) { FOnUpClick = Value; }
    const TNotifyEvent& OnDownClick() const { return FOnDownClick; }
    void SetOnDownClick(const TNotifyEvent& Value) { FOnDownClick = Value; }

protected:
    QWidget* CreateWidget() override;
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void UpClick();
    virtual void DownClick();

private:
    QToolButton* MakeButton(QWidget* Parent, Qt::ArrowType Arrow, void (TSpinButton::*Click)());
    void PlaceButtons();

    TWinControl* FFocusControl = nullptr;
    QToolButton* FUpButton = nullptr;
    QToolButton* FDownButton = nullptr;
    TNotifyEvent FOnUpClick;
    TNotifyEvent FOnDownClick;
};

// An edit for a whole number with a spin button at its right. Up and Down, and the
// buttons, add or subtract Increment, kept between MinValue and MaxValue unless both are 0.
// Only digits and a minus sign can be typed; a typed value out of range is brought into it
// when the focus leaves. With EditorEnabled false the text cannot be typed, only stepped.
class TSpinEdit : public TEdit {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
public:
    Q_INVOKABLE explicit TSpinEdit(TComponent* AOwner = nullptr);

    // The number in the text; MinValue when the text is not one.
    int Value() const;
    void SetValue(int Value);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value; }
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }

    TSpinButton* Button() const { return FButton; }

    bool IsStoredProp(const QString& Name) const override;

protected:
    void InitWidget() override;
    void Resize() override;
    void KeyDown(quint16& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    virtual void UpClick(TObject* Sender);
    virtual void DownClick(TObject* Sender);

private:
    // Value within the limits.
    int CheckValue(int Value) const;
    void PlaceButton();

    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    bool FEditorEnabled = true;
    TSpinButton* FButton;
};
