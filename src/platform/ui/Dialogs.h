#pragma once

#include "Controls.h"

#include <rtl/Strings.h>

class TCommonDialog;
class TForm;

PUBLISHED_ENUM(TMsgDlgType, mtWarning, mtError, mtInformation, mtConfirmation, mtCustom)
PUBLISHED_ENUM(TMsgDlgBtn, mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll,
               mbNoToAll, mbYesToAll, mbHelp)
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};
inline constexpr TMsgDlgButtons mbAbortIgnore{mbAbort, mbIgnore};

// The modal result of a message box closed with Button.
TModalResult ModalResultOf(TMsgDlgBtn Button);

// A message box about to be shown.
struct TMessageRequest {
    QString Caption;
    QString Text;
    TMsgDlgType DlgType = mtCustom;
    TMsgDlgButtons Buttons;
    int HelpCtx = 0;
};

// The one place where modal interaction happens. With a responder installed, message
// boxes, modal forms and common dialogs are answered by it instead of a person (tests install a
// TScriptedResponder); without one they are shown and wait for the user.
class TModalResponder {
public:
    TModalResponder() = default;
    virtual ~TModalResponder() = default;
    TModalResponder(const TModalResponder&) = delete;
    TModalResponder& operator=(const TModalResponder&) = delete;

    // The modal result of the button that answers Request.
    virtual TModalResult MessageDlg(const TMessageRequest& Request) = 0;
    // Form is shown and modal with ModalResult mrNone; the answer is its modal result.
    virtual TModalResult ShowModal(TForm* Form) = 0;
    // True when the answer accepts Dialog, which it fills in as the user would.
    virtual bool ExecuteDialog(TCommonDialog* Dialog) = 0;
};

// Installs Responder (nullptr: the user answers) and returns the one installed before.
TModalResponder* SetModalResponder(TModalResponder* Responder);
TModalResponder* ModalResponder();

// Shows Msg with the icon and caption of DlgType and Buttons; returns the modal result
// of the button chosen. A program without QApplication writes the message to standard
// error and answers Cancel, else No, else Abort, else its first button.
TModalResult MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int HelpCtx = 0);
// Msg with an OK button, captioned with the application's title.
void ShowMessage(const QString& Msg);

// A dialog of the system's own: Execute shows it (or asks the modal responder) and returns
// true when the user accepted it.
class TCommonDialog : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
public:
    using TComponent::TComponent;

    bool Execute();
    // The caption: Title, or the dialog's own when Title is empty.
    QString Caption() const { return FTitle.isEmpty() ? DefaultTitle() : FTitle; }
    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& Value) { FTitle = Value; }

protected:
    virtual QString DefaultTitle() const = 0;
    // Shows the Qt dialog and takes the user's choices; true when accepted.
    virtual bool ShowDialog() = 0;
    // Checks and completes what an answer of the responder filled in; false rejects it.
    virtual bool AcceptAnswer() { return true; }
    // Runs after the dialog was accepted either way.
    virtual void Accepted() {}

private:
    QString FTitle;
};

PUBLISHED_ENUM(TOpenOption, ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir,
               ofShowHelp, ofNoValidate, ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist,
               ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
               ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog,
               ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing)
using TOpenOptions = TSet<TOpenOption>;

// The choice of a file to open. Filter lists pairs of a description and patterns, all
// separated by "|", patterns by ";": "Text files (*.txt)|*.txt|All files|*". FilterIndex
// counts the pairs from 1. Of the Options, ofOverwritePrompt, ofAllowMultiSelect and
// ofFileMustExist act; ofExtensionDifferent tells after Execute that the file's extension
// is not DefaultExt; the others have no effect here.
class TOpenDialog : public TCommonDialog {
    Q_OBJECT
    Q_PROPERTY(QString DefaultExt READ DefaultExt WRITE SetDefaultExt)
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName)
    Q_PROPERTY(QString Filter READ Filter WRITE SetFilter)
    Q_PROPERTY(int FilterIndex READ FilterIndex WRITE SetFilterIndex)
    Q_PROPERTY(QString InitialDir READ InitialDir WRITE SetInitialDir)
    Q_PROPERTY(TOpenOptions Options READ Options WRITE SetOptions)
public:
    Q_INVOKABLE explicit TOpenDialog(TComponent* AOwner = nullptr);

    // Without a leading dot ("txt").
    const QString& DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString& Value) { FDefaultExt = Value; }
    const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& Value) { FFileName = Value; }
    // Every file chosen (with ofAllowMultiSelect, more than one).
    TStrings* Files() const { return FFiles; }
    const QString& Filter() const { return FFilter; }
    void SetFilter(const QString& Value) { FFilter = Value; }
    int FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(int Value) { FFilterIndex = Value; }
    const QString& InitialDir() const { return FInitialDir; }
    void SetInitialDir(const QString& Value) { FInitialDir = Value; }
    TOpenOptions Options() const { return FOptions; }
    void SetOptions(TOpenOptions Value) { FOptions = Value; }

    // Filter as Qt's name filters, one "Description (patterns)" for each pair.
    QStringList NameFilters() const;

protected:
    QString DefaultTitle() const override;
    bool ShowDialog() override;
    bool AcceptAnswer() override;
    void Accepted() override;
    virtual bool Saving() const { return false; }

private:
    QString FDefaultExt;
    QString FFileName;
    TStrings* FFiles;
    QString FFilter;
    int FFilterIndex = 1;
    QString FInitialDir;
    TOpenOptions FOptions{ofHideReadOnly, ofEnableSizing};
};

// The choice of a file to save to; with ofOverwritePrompt an existing file is replaced
// only when the user confirms.
class TSaveDialog : public TOpenDialog {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSaveDialog(TComponent* AOwner = nullptr);

protected:
    QString DefaultTitle() const override;
    bool Saving() const override { return true; }
};

// The choice of a font.
class TFontDialog : public TCommonDialog {
    Q_OBJECT
    Q_PROPERTY(TFont* Font READ Font WRITE SetFont)
public:
    Q_INVOKABLE explicit TFontDialog(TComponent* AOwner = nullptr);

    TFont* Font() const { return FFont; }
    void SetFont(TFont* Value) { FFont->Assign(Value); }

protected:
    QString DefaultTitle() const override;
    bool ShowDialog() override;

private:
    TFont* FFont;
};

// The choice of the printer (Printers.h) and its settings.
class TPrinterSetupDialog : public TCommonDialog {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPrinterSetupDialog(TComponent* AOwner = nullptr);

protected:
    QString DefaultTitle() const override;
    bool ShowDialog() override;
};

PUBLISHED_ENUM(TPrintRange, prAllPages, prSelection, prPageNums)
PUBLISHED_ENUM(TPrintDialogOption, poPrintToFile, poPageNums, poSelection, poWarning, poHelp,
               poDisablePrintToFile)
using TPrintDialogOptions = TSet<TPrintDialogOption>;

// The choice of the printer, the pages and the number of copies before printing. The
// copies chosen are set on the printer.
class TPrintDialog : public TCommonDialog {
    Q_OBJECT
    Q_PROPERTY(int Copies READ Copies WRITE SetCopies)
    Q_PROPERTY(int FromPage READ FromPage WRITE SetFromPage)
    Q_PROPERTY(int ToPage READ ToPage WRITE SetToPage)
    Q_PROPERTY(int MinPage READ MinPage WRITE SetMinPage)
    Q_PROPERTY(int MaxPage READ MaxPage WRITE SetMaxPage)
    Q_PROPERTY(TPrintRange PrintRange READ PrintRange WRITE SetPrintRange)
    Q_PROPERTY(TPrintDialogOptions Options READ Options WRITE SetOptions)
public:
    Q_INVOKABLE explicit TPrintDialog(TComponent* AOwner = nullptr);

    int Copies() const { return FCopies; }
    void SetCopies(int Value) { FCopies = Value; }
    int FromPage() const { return FFromPage; }
    void SetFromPage(int Value) { FFromPage = Value; }
    int ToPage() const { return FToPage; }
    void SetToPage(int Value) { FToPage = Value; }
    int MinPage() const { return FMinPage; }
    void SetMinPage(int Value) { FMinPage = Value; }
    int MaxPage() const { return FMaxPage; }
    void SetMaxPage(int Value) { FMaxPage = Value; }
    TPrintRange PrintRange() const { return FPrintRange; }
    void SetPrintRange(TPrintRange Value) { FPrintRange = Value; }
    TPrintDialogOptions Options() const { return FOptions; }
    void SetOptions(TPrintDialogOptions Value) { FOptions = Value; }

protected:
    QString DefaultTitle() const override;
    bool ShowDialog() override;
    void Accepted() override;

private:
    int FCopies = 1;
    int FFromPage = 0;
    int FToPage = 0;
    int FMinPage = 0;
    int FMaxPage = 0;
    TPrintRange FPrintRange = prAllPages;
    TPrintDialogOptions FOptions;
};
