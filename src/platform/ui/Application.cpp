#include "Application.h"

#include "Dialogs.h"
#include "Screen.h"
#include "UiClasses.h"

#include <QApplication>

TApplication* Application() {
    static TApplication application;
    return &application;
}

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
    // The screen is made first so that it outlives the application's forms.
    Screen();
    // Forms hold widgets, which must go before the QApplication does.
    qAddPostRoutine([] { Application()->DestroyComponents(); });
}

void TApplication::Initialize() {
    RegisterUiClasses();
    SetExceptionHandler([](const Exception& E) { Application()->HandleException(E); });
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        application->setQuitOnLastWindowClosed(false);
}

void TApplication::FormCreated(TComponent* Instance) {
    if (!FMainForm)
        FMainForm = qobject_cast<TForm*>(Instance);
}

void TApplication::Run() {
    if (FTerminated)
        return;
    if (FMainForm)
        FMainForm->Show();
    if (QCoreApplication::instance())
        QCoreApplication::exec();
}

void TApplication::Terminate() {
    FTerminated = true;
    QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleException(const Exception& E) {
    if (FOnException)
        FOnException(this, E);
    else
        ShowException(E);
}

void TApplication::ShowException(const Exception& E) {
    QString message = E.Message();
    if (!message.isEmpty() && !message.endsWith(QLatin1Char('.')))
        message += QLatin1Char('.');
    MessageDlg(message, mtError, {mbOK});
}

QString TApplication::Title() const {
    return QGuiApplication::applicationDisplayName();
}

void TApplication::SetTitle(const QString& Value) {
    QGuiApplication::setApplicationDisplayName(Value);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent == FMainForm)
        FMainForm = nullptr;
    TComponent::Notification(AComponent, Operation);
}
