#include "DiReplace.h"

#include <QPointer>
#include <forms/DiAdv.h>
#include <ui/Application.h>
#include <ui/StdCtrls.h>

TDialReplace::TDialReplace(TComponent* AOwner) : TForm(AOwner) {
    Q_INIT_RESOURCE(Rich);
    InitForm();
    LabelQuestion = FormComponent<TLabel>(this, "LabelQuestion");
    LabelText = FormComponent<TLabel>(this, "LabelText");
    ButtonYes = FormComponent<TButton>(this, "ButtonYes");
    ButtonNo = FormComponent<TButton>(this, "ButtonNo");
    ButtonCancel = FormComponent<TButton>(this, "ButtonCancel");
    ButtonAll = FormComponent<TButton>(this, "ButtonAll");
    SetCaption(QStringLiteral("Confirm"));
    LabelQuestion->SetCaption(QStringLiteral("Replace this occurence of"));
    ButtonYes->SetCaption(QStringLiteral("&Yes"));
    ButtonNo->SetCaption(QStringLiteral("&No"));
    ButtonCancel->SetCaption(QStringLiteral("Cancel"));
    ButtonAll->SetCaption(QStringLiteral("&All"));
}

int TDialReplace::Ask(const QString& Text) {
    LabelText->SetCaption(QLatin1Char('\'') + Text + QLatin1Char('\''));
    return ShowModal();
}

TDialReplace* DialReplace() {
    static QPointer<TDialReplace> dialog;
    if (!dialog)
        dialog = new TDialReplace(Application());
    return dialog;
}
