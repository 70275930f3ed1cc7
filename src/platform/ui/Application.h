#pragma once

#include "Forms.h"

using TExceptionEvent = TEvent<TObject*, const Exception&>;

// The program: creates the forms, runs the event loop and shows the exceptions that
// escape event handlers. The forms and data modules it owns are destroyed when the
// QApplication is.
class TApplication : public TComponent {
    Q_OBJECT
public:
    explicit TApplication(TComponent* AOwner = nullptr);

    // Registers the control classes for form files and routes exceptions escaping event
    // handlers to HandleException.
    void Initialize();

    // A new T owned by the application; the first form created this way is the main form.
    template <class T> T* CreateForm(T** Reference = nullptr) {
        T* instance = new T(this);
        if (Reference)
            *Reference = instance;
        FormCreated(instance);
        return instance;
    }
    TForm* MainForm() const { return FMainForm; }

    // Shows the main form and runs the event loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    void ProcessMessages();

    // Hands E to OnException when assigned, else shows it.
    void HandleException(const Exception& E);
    // An error message box with the exception's message.
    void ShowException(const Exception& E);

    QString Title() const;
    void SetTitle(const QString& Value);

    const TExceptionEvent& OnException() const { return FOnException; }
    void SetOnException(const TExceptionEvent& Value) { FOnException = Value; }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void FormCreated(TComponent* Instance);

    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    TExceptionEvent FOnException;
};

// The one application object.
TApplication* Application();
