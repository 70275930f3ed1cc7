#pragma once

#include "Controls.h"

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
// boxes and modal forms are answered by it instead of a person (tests install a
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
