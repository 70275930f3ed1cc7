#pragma once

#include "Controls.h"

class QWidget;
class TDataModule;
class TForm;

// The forms and data modules of the program and what is active: the form whose window
// the window system made active, and the control with the focus there. Every change of
// the active form fires OnDeactivate of the old form, OnActivate of the new one and
// OnActiveFormChange.
class TScreen : public TComponent {
    Q_OBJECT
public:
    explicit TScreen(TComponent* AOwner = nullptr);

    int FormCount() const { return int(FForms.size()); }
    TForm* Forms(int Index) const;
    int DataModuleCount() const { return int(FDataModules.size()); }
    TDataModule* DataModules(int Index) const;

    TForm* ActiveForm() const { return FActiveForm; }
    TWinControl* ActiveControl() const;

    // The size of the primary screen; 0 without one.
    int Width() const;
    int Height() const;
    // The width of a vertical scroll bar in the application's style, in pixels.
    int VScrollBarWidth() const;
    // The cursor shown over every window; crDefault lets each control show its own.
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    const TNotifyEvent& OnActiveFormChange() const { return FOnActiveFormChange; }
    void SetOnActiveFormChange(const TNotifyEvent& Value) { FOnActiveFormChange = Value; }

private:
    friend class TForm;
    friend class TDataModule;

    void AddForm(TForm* Form);
    void RemoveForm(TForm* Form);
    void FormHidden(TForm* Form);
    void AddDataModule(TDataModule* DataModule);
    void RemoveDataModule(TDataModule* DataModule);
    // Follows the window system's active window.
    void UpdateActiveForm();
    void FocusChanged(QWidget* Now);
    void ListenToApplication();

    QList<TForm*> FForms;
    QList<TDataModule*> FDataModules;
    TForm* FActiveForm = nullptr;
    TCursor FCursor = crDefault;
    bool FListening = false;
    TNotifyEvent FOnActiveFormChange;
};

// The one screen of the program.
TScreen* Screen();
