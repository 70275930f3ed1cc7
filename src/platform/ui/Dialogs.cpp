#include "Dialogs.h"

#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <utility>

namespace {

TModalResponder* InstalledResponder = nullptr;

QString CaptionOf(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning:
        return QStringLiteral("Warning");
    case mtError:
        return QStringLiteral("Error");
    case mtInformation:
        return QStringLiteral("Information");
    case mtConfirmation:
        return QStringLiteral("Confirm");
    case mtCustom:
        break;
    }
    return QGuiApplication::applicationDisplayName();
}

QMessageBox::Icon IconOf(TMsgDlgType DlgType) {
    switch (DlgType) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

QPushButton* AddButton(QMessageBox& Box, TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes:
        return Box.addButton(QMessageBox::Yes);
    case mbNo:
        return Box.addButton(QMessageBox::No);
    case mbOK:
        return Box.addButton(QMessageBox::Ok);
    case mbCancel:
        return Box.addButton(QMessageBox::Cancel);
    case mbAbort:
        return Box.addButton(QMessageBox::Abort);
    case mbRetry:
        return Box.addButton(QMessageBox::Retry);
    case mbIgnore:
        return Box.addButton(QMessageBox::Ignore);
    case mbAll:
        return Box.addButton(QStringLiteral("&All"), QMessageBox::AcceptRole);
    case mbNoToAll:
        return Box.addButton(QMessageBox::NoToAll);
    case mbYesToAll:
        return Box.addButton(QMessageBox::YesToAll);
    case mbHelp:
        return Box.addButton(QMessageBox::Help);
    }
    return nullptr;
}

QList<TMsgDlgBtn> ButtonsOf(TMsgDlgButtons Buttons) {
    QList<TMsgDlgBtn> result;
    for (int i = mbYes; i <= mbHelp; ++i)
        if (Buttons.Contains(TMsgDlgBtn(i)))
            result.append(TMsgDlgBtn(i));
    return result;
}

TModalResult ShowMessageBox(const TMessageRequest& Request) {
    QMessageBox box(IconOf(Request.DlgType), Request.Caption, Request.Text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QHash<QAbstractButton*, TModalResult> results;
    for (TMsgDlgBtn button : ButtonsOf(Request.Buttons)) {
        QPushButton* added = AddButton(box, button);
        results.insert(added, ModalResultOf(button));
        if (!box.defaultButton() && (button == mbYes || button == mbOK))
            box.setDefaultButton(added);
    }
    box.exec();
    return results.value(box.clickedButton(), mrCancel);
}

TModalResult AnswerWithoutScreen(const TMessageRequest& Request) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(Request.Caption), qPrintable(Request.Text));
    for (TMsgDlgBtn safe : {mbCancel, mbNo, mbAbort})
        if (Request.Buttons.Contains(safe))
            return ModalResultOf(safe);
    const QList<TMsgDlgBtn> buttons = ButtonsOf(Request.Buttons);
    return buttons.isEmpty() ? mrNone : ModalResultOf(buttons.first());
}

TModalResult Ask(const TMessageRequest& Request) {
    if (InstalledResponder)
        return InstalledResponder->MessageDlg(Request);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return AnswerWithoutScreen(Request);
    return ShowMessageBox(Request);
}

} // namespace

TModalResult ModalResultOf(TMsgDlgBtn Button) {
    switch (Button) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    case mbCancel:
        return mrCancel;
    case mbAbort:
        return mrAbort;
    case mbRetry:
        return mrRetry;
    case mbIgnore:
        return mrIgnore;
    case mbAll:
        return mrAll;
    case mbNoToAll:
        return mrNoToAll;
    case mbYesToAll:
        return mrYesToAll;
    case mbHelp:
        break;
    }
    return mrNone;
}

TModalResponder* SetModalResponder(TModalResponder* Responder) {
    return std::exchange(InstalledResponder, Responder);
}

TModalResponder* ModalResponder() {
    return InstalledResponder;
}

TModalResult MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int HelpCtx) {
    return Ask({CaptionOf(DlgType), Msg, DlgType, Buttons, HelpCtx});
}

void ShowMessage(const QString& Msg) {
    Ask({CaptionOf(mtCustom), Msg, mtCustom, {mbOK}, 0});
}
