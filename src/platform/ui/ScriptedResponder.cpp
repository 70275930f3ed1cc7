#include "ScriptedResponder.h"

#include "Forms.h"

TScriptedResponder::TScriptedResponder() : FPrevious(SetModalResponder(this)) {}

TScriptedResponder::~TScriptedResponder() {
    SetModalResponder(FPrevious);
}

void TScriptedResponder::Answer(TModalResult Result) {
    FAnswers.append(TAnswer{Result, {}, {}});
}

void TScriptedResponder::Answer(TFormAction Action) {
    FAnswers.append(TAnswer{mrNone, std::move(Action), {}});
}

void TScriptedResponder::AnswerDialog(TDialogAction Action) {
    FAnswers.append(TAnswer{mrNone, {}, std::move(Action)});
}

TScriptedResponder::TAnswer TScriptedResponder::TakeAnswer(const QString& What) {
    if (FAnswers.isEmpty())
        throw EUnexpectedDialog(QStringLiteral("No answer for %1").arg(What));
    return FAnswers.takeFirst();
}

TModalResult TScriptedResponder::MessageDlg(const TMessageRequest& Request) {
    FShown.append(
        TRecord{Request.Caption, Request.Text, Request.DlgType, Request.Buttons, {}, mrNone});
    if (Request.Buttons == TMsgDlgButtons{mbOK})
        return FShown.last().Result = mrOk;
    const QString what = QStringLiteral("the message \"%1\"").arg(Request.Text);
    const TAnswer answer = TakeAnswer(what);
    bool offered = false;
    for (int i = mbYes; i <= mbHelp; ++i)
        offered = offered || (Request.Buttons.Contains(TMsgDlgBtn(i)) &&
                              ModalResultOf(TMsgDlgBtn(i)) == answer.Result);
    if (answer.Action || answer.DialogAction || !offered)
        throw EUnexpectedDialog(QStringLiteral("The answer does not fit %1").arg(what));
    return FShown.last().Result = answer.Result;
}

TModalResult TScriptedResponder::ShowModal(TForm* Form) {
    FShown.append(TRecord{Form->Caption(), {}, mtCustom, {}, Form->ClassName(), mrNone});
    const qsizetype index = FShown.size() - 1;
    const QString what = QStringLiteral("the form %1").arg(Form->Name());
    TAnswer answer = TakeAnswer(what);
    if (answer.DialogAction)
        throw EUnexpectedDialog(QStringLiteral("The answer does not fit %1").arg(what));
    TModalResult result = answer.Result;
    if (answer.Action) {
        answer.Action(Form);
        result = Form->ModalResult();
    }
    if (result == mrNone)
        throw EUnexpectedDialog(QStringLiteral("The answer left %1 open").arg(what));
    return FShown[index].Result = result;
}

bool TScriptedResponder::ExecuteDialog(TCommonDialog* Dialog) {
    FShown.append(TRecord{Dialog->Caption(), {}, mtCustom, {}, Dialog->ClassName(), mrNone});
    const qsizetype index = FShown.size() - 1;
    const QString what = QStringLiteral("the dialog \"%1\"").arg(Dialog->Caption());
    const TAnswer answer = TakeAnswer(what);
    bool accepted = false;
    if (answer.DialogAction)
        accepted = answer.DialogAction(Dialog);
    else if (answer.Result == mrOk || answer.Result == mrCancel)
        accepted = answer.Result == mrOk;
    else
        throw EUnexpectedDialog(QStringLiteral("The answer does not fit %1").arg(what));
    FShown[index].Result = accepted ? mrOk : mrCancel;
    return accepted;
}
