#pragma once

#include "Dialogs.h"

#include <functional>

// A scripted answer was missing or did not fit what was shown.
class EUnexpectedDialog : public Exception {
public:
    using Exception::Exception;
};

// Answers message boxes and modal forms from a queue of answers at once, without waiting,
// and records what was shown. It is the installed responder while it exists.
//
// A message box whose only button is OK is acknowledged without taking an answer; any
// other takes the next answer, which must be one of its buttons. A modal form takes the
// next answer: a modal result, or an action that works the form and leaves its
// ModalResult set (clicking a button with a ModalResult does). A common dialog takes the
// next answer: mrOk accepts it as it is, mrCancel cancels it, and a dialog action fills it
// in and tells whether it is accepted. A missing or unfitting answer raises
// EUnexpectedDialog.
class TScriptedResponder : public TModalResponder {
public:
    using TFormAction = std::function<void(TForm* Form)>;
    using TDialogAction = std::function<bool(TCommonDialog* Dialog)>;

    // What was shown and how it was answered.
    struct TRecord {
        QString Caption;
        QString Text; // the message; empty for a form
        TMsgDlgType DlgType = mtCustom;
        TMsgDlgButtons Buttons;
        QString FormClass; // the form's or common dialog's class; empty for a message box
        TModalResult Result = mrNone;
    };

    TScriptedResponder();
    ~TScriptedResponder() override;

    void Answer(TModalResult Result);
    void Answer(TFormAction Action);
    void AnswerDialog(TDialogAction Action);
    int PendingAnswers() const { return int(FAnswers.size()); }
    const QList<TRecord>& Shown() const { return FShown; }

    TModalResult MessageDlg(const TMessageRequest& Request) override;
    TModalResult ShowModal(TForm* Form) override;
    bool ExecuteDialog(TCommonDialog* Dialog) override;

private:
    struct TAnswer {
        TModalResult Result = mrNone;
        TFormAction Action;
        TDialogAction DialogAction;
    };
    TAnswer TakeAnswer(const QString& What);

    QList<TAnswer> FAnswers;
    QList<TRecord> FShown;
    TModalResponder* FPrevious;
};
