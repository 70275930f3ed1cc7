#pragma once

// Form and data module classes read from the test resources (UiTests.qrc), and helpers
// shared by the tests of this folder.

#include <QStringList>
#include <ui/DataModule.h>
#include <ui/Forms.h>
#include <ui/Sound.h>

class QWidget;
class TButton;
class TControl;
class TCheckBox;
class TEdit;
class TLabel;
class TMemo;
class TPanel;

// Nested panels, a label with an accelerator, an edit, a memo and two buttons; the OK
// button's OnClick and the form's OnCreate and OnCloseQuery are bound by name.
class TTestDialog : public TForm {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/forms/TestDialog.form")
public:
    Q_INVOKABLE explicit TTestDialog(TComponent* AOwner = nullptr);

    TPanel* TopPanel = nullptr;
    TPanel* BottomPanel = nullptr;
    TPanel* ClientPanel = nullptr;
    TLabel* NameLabel = nullptr;
    TEdit* NameEdit = nullptr;
    TButton* OkButton = nullptr;
    TButton* CancelButton = nullptr;
    TMemo* Notes = nullptr;

    QStringList Log;
    bool AllowClose = true;

    Q_INVOKABLE void FormCreate(TObject* Sender);
    Q_INVOKABLE void OkButtonClick(TObject* Sender);
    Q_INVOKABLE void FormCloseQuery(TObject* Sender, bool& CanClose);

protected:
    struct TInherited {};
    // For descendants with a form file of their own: reads nothing.
    TTestDialog(TComponent* AOwner, TInherited);
    void FindComponents();
};

// Adds a check box to the bottom panel through an inherited form file.
class TTestDialogMore : public TTestDialog {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/forms/TestDialogMore.form")
public:
    Q_INVOKABLE explicit TTestDialogMore(TComponent* AOwner = nullptr);

    TCheckBox* HelpCheck = nullptr;

    Q_INVOKABLE void HelpCheckClick(TObject* Sender);
};

class TTestData : public TDataModule {
    Q_OBJECT
    Q_CLASSINFO("FormFile", ":/forms/TestData.form")
public:
    Q_INVOKABLE explicit TTestData(TComponent* AOwner = nullptr);

    int Created = 0;

    Q_INVOKABLE void DataCreate(TObject* Sender);
};

// Registers the classes above and the platform's own for form files.
void RegisterTestClasses();
// Processes pending events, including queued calls.
void ProcessEvents();
// Makes Form's window the active one, as the window system would.
void Activate(TForm* Form);
// The visible top-level window that shows Control, or nullptr; makes no widget.
QWidget* ShownWindow(const TControl* Control);

// Counts the beeps sounded while it lives, in place of the system's beep.
class TBeepCounter {
public:
    TBeepCounter() : FFormer(SetBeepHandler([this] { ++FCount; })) {}
    ~TBeepCounter() { SetBeepHandler(FFormer); }
    TBeepCounter(const TBeepCounter&) = delete;
    TBeepCounter& operator=(const TBeepCounter&) = delete;

    int Count() const { return FCount; }

private:
    int FCount = 0;
    TBeepHandler FFormer;
};
