#include "Screen.h"

#include "DataModule.h"
#include "Forms.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>

TScreen* Screen() {
    static TScreen screen;
    return &screen;
}

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TForm* TScreen::Forms(int Index) const {
    if (Index < 0 || Index >= FForms.size())
        throw EListError(QStringLiteral("Form index out of bounds (%1)").arg(Index));
    return FForms[Index];
}

TDataModule* TScreen::DataModules(int Index) const {
    if (Index < 0 || Index >= FDataModules.size())
        throw EListError(QStringLiteral("Data module index out of bounds (%1)").arg(Index));
    return FDataModules[Index];
}

TWinControl* TScreen::ActiveControl() const {
    return FActiveForm ? FActiveForm->ActiveControl() : nullptr;
}

int TScreen::VScrollBarWidth() const {
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

int TScreen::Width() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

int TScreen::Height() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().height() : 0;
}

void TScreen::SetCursor(TCursor Value) {
    if (Value == FCursor)
        return;
    const bool overridden = FCursor != crDefault;
    FCursor = Value;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (Value == crDefault)
        QGuiApplication::restoreOverrideCursor();
    else if (overridden)
        QGuiApplication::changeOverrideCursor(CursorToQt(Value));
    else
        QGuiApplication::setOverrideCursor(CursorToQt(Value));
}

void TScreen::AddForm(TForm* Form) {
    ListenToApplication();
    FForms.append(Form);
}

void TScreen::RemoveForm(TForm* Form) {
    FForms.removeOne(Form);
    if (FActiveForm == Form)
        FActiveForm = nullptr;
}

void TScreen::FormHidden(TForm* Form) {
    if (Form != FActiveForm)
        return;
    FActiveForm = nullptr;
    HandleExceptions([Form] { Form->Deactivate(); });
    HandleExceptions([this] { FOnActiveFormChange(this); });
}

void TScreen::AddDataModule(TDataModule* DataModule) {
    FDataModules.append(DataModule);
}

void TScreen::RemoveDataModule(TDataModule* DataModule) {
    FDataModules.removeOne(DataModule);
}

void TScreen::ListenToApplication() {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (FListening || !application)
        return;
    connect(application, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { FocusChanged(now); });
    FListening = true;
}

void TScreen::UpdateActiveForm() {
    // Another window of the program (a message box) or none leaves the active form as it is.
    auto* form = qobject_cast<TForm*>(TWidgetLink::ControlOf(QApplication::activeWindow()));
    if (!form || form == FActiveForm || form->IsDestroying())
        return;
    TForm* previous = FActiveForm;
    FActiveForm = form;
    if (previous)
        HandleExceptions([previous] { previous->Deactivate(); });
    HandleExceptions([form] { form->Activate(); });
    HandleExceptions([this] { FOnActiveFormChange(this); });
}

void TScreen::FocusChanged(QWidget* Now) {
    UpdateActiveForm();
    auto* control = qobject_cast<TWinControl*>(TWidgetLink::ControlOf(Now));
    if (!control || control->IsDestroying())
        return;
    TForm* form = GetParentForm(control);
    if (form && form != control)
        form->SetFocusedControl(control);
}
