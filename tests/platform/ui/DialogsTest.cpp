#include "TestForms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <ui/Application.h>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

namespace {

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};

// Clicks a control's widget in the middle.
void Click(TControl* Control) {
    QTest::mouseClick(Control->Widget(), Qt::LeftButton);
}

// Ends whatever modal loop is still running after a few seconds, so that a fault makes
// the test fail rather than hang.
class TWatchdog {
public:
    explicit TWatchdog(std::function<void()> Rescue) {
        FTimer.setSingleShot(true);
        QObject::connect(&FTimer, &QTimer::timeout, std::move(Rescue));
        FTimer.start(5000);
    }

private:
    QTimer FTimer;
};

} // namespace

TEST_F(Dialogs, TheScriptedResponderAnswersMessagesAndRecordsThem) {
    TScriptedResponder responder;
    responder.Answer(mrNo);
    EXPECT_EQ(MessageDlg(QStringLiteral("Save changes?"), mtConfirmation, mbYesNoCancel), mrNo);
    ShowMessage(QStringLiteral("Done"));
    EXPECT_EQ(responder.PendingAnswers(), 0);

    ASSERT_EQ(responder.Shown().size(), 2);
    const TScriptedResponder::TRecord& question = responder.Shown()[0];
    EXPECT_EQ(question.Caption, QStringLiteral("Confirm"));
    EXPECT_EQ(question.Text, QStringLiteral("Save changes?"));
    EXPECT_EQ(question.DlgType, mtConfirmation);
    EXPECT_EQ(question.Buttons, mbYesNoCancel);
    EXPECT_EQ(question.Result, mrNo);
    const TScriptedResponder::TRecord& message = responder.Shown()[1];
    EXPECT_EQ(message.Text, QStringLiteral("Done"));
    EXPECT_EQ(message.Buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(message.Result, mrOk);
}

TEST_F(Dialogs, AMissingOrUnfittingAnswerRaises) {
    TScriptedResponder responder;
    EXPECT_THROW(MessageDlg(QStringLiteral("Delete?"), mtWarning, {mbYes, mbNo}),
                 EUnexpectedDialog);
    responder.Answer(mrRetry);
    EXPECT_THROW(MessageDlg(QStringLiteral("Delete?"), mtWarning, {mbYes, mbNo}),
                 EUnexpectedDialog);
    EXPECT_EQ(responder.Shown().size(), 2);
}

TEST_F(Dialogs, TheResponderIsInstalledWhileItExists) {
    EXPECT_EQ(ModalResponder(), nullptr);
    {
        TScriptedResponder outer;
        {
            TScriptedResponder inner;
            EXPECT_EQ(ModalResponder(), &inner);
        }
        EXPECT_EQ(ModalResponder(), &outer);
    }
    EXPECT_EQ(ModalResponder(), nullptr);
}

TEST_F(Dialogs, AModalFormEndsWhenAButtonSetsItsModalResult) {
    TScriptedResponder responder;
    responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TTestDialog*>(Form);
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog->Visible());
        EXPECT_TRUE(dialog->Modal());
        QTest::keyClicks(dialog->NameEdit->Widget(), QStringLiteral("Ann"));
        Click(dialog->OkButton);
    });
    TTestDialog dialog;
    EXPECT_FALSE(dialog.Modal());
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_FALSE(dialog.Modal());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(dialog.NameEdit->Text(), QStringLiteral("Ann"));
    EXPECT_EQ(dialog.Log, QStringList({"create TestDialog", "ok clicked", "close query"}));
    ASSERT_EQ(responder.Shown().size(), 1);
    EXPECT_EQ(responder.Shown()[0].FormClass, QStringLiteral("TTestDialog"));
    EXPECT_EQ(responder.Shown()[0].Caption, QStringLiteral("Test dialog"));
    EXPECT_EQ(responder.Shown()[0].Result, mrOk);

    responder.Answer(mrCancel);
    EXPECT_EQ(dialog.ShowModal(), mrCancel) << "a form can be shown modally again";
}

TEST_F(Dialogs, OnCloseQueryCanKeepAModalFormOpen) {
    TScriptedResponder responder;
    responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TTestDialog*>(Form);
        dialog->AllowClose = false;
        Click(dialog->OkButton);
    });
    responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TTestDialog*>(Form);
        EXPECT_TRUE(dialog->Visible()) << "still open after the refused close";
        EXPECT_EQ(dialog->ModalResult(), mrNone);
        dialog->AllowClose = true;
        Click(dialog->CancelButton);
    });
    TTestDialog dialog;
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(dialog.Log.count(QStringLiteral("close query")), 2);
    EXPECT_EQ(responder.Shown().size(), 2);

    // An answer that leaves the form open is a fault of the script.
    responder.Answer([](TForm*) {});
    EXPECT_THROW(dialog.ShowModal(), EUnexpectedDialog);
    EXPECT_FALSE(dialog.Visible());
}

TEST_F(Dialogs, OnlyAHiddenFormCanBeShownModally) {
    TScriptedResponder responder;
    TTestDialog dialog;
    dialog.Show();
    EXPECT_THROW(dialog.ShowModal(), EInvalidOperation);
    EXPECT_EQ(responder.Shown().size(), 0);
}

TEST_F(Dialogs, WithoutResponderShowModalRunsTheEventLoop) {
    TTestDialog dialog;
    TWatchdog watchdog([&dialog] { dialog.SetModalResult(mrAbort); });
    QTimer::singleShot(0, &dialog, [&dialog] {
        EXPECT_EQ(QApplication::activeModalWidget(), dialog.Widget());
        Click(dialog.CancelButton);
    });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_FALSE(dialog.Widget()->isVisible());
    EXPECT_FALSE(dialog.Widget()->isModal());
}

TEST_F(Dialogs, WithoutResponderAMessageBoxAsksTheUser) {
    QString shownText;
    QString shownTitle;
    Qt::WindowFlags shownFlags;
    QFont shownFont;
    // Clicks the button of the open message box that has Text.
    auto answer = [&](const QString& Text) {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        shownText = box->text();
        shownTitle = box->windowTitle();
        shownFlags = box->windowFlags();
        shownFont = box->font();
        for (QAbstractButton* button : box->buttons())
            if (button->text() == Text)
                return button->click();
        FAIL() << "no button " << Text.toStdString();
    };
    TWatchdog watchdog([] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });

    QTimer::singleShot(0, [&] { answer(QStringLiteral("&No")); });
    EXPECT_EQ(MessageDlg(QStringLiteral("Continue?"), mtConfirmation, {mbYes, mbNo}), mrNo);
    EXPECT_EQ(shownText, QStringLiteral("Continue?"));
    EXPECT_EQ(shownTitle, QStringLiteral("Confirm"));
    // A dialog's frame, without minimise or maximise buttons, in the forms' font.
    EXPECT_TRUE(shownFlags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(shownFlags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(shownFlags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(shownFont, TForm().Font()->ToQFont());

    QTimer::singleShot(0, [&] { answer(QStringLiteral("&All")); });
    EXPECT_EQ(MessageDlg(QStringLiteral("Replace?"), mtWarning, {mbYes, mbAll}), mrAll);
    EXPECT_EQ(shownTitle, QStringLiteral("Warning"));
}

TEST_F(Dialogs, ExceptionsEscapingHandlersAreShownInAMessageBox) {
    Application()->Initialize();
    TScriptedResponder responder;
    TTestDialog dialog;
    dialog.Show();
    dialog.OkButton->SetOnClick(
        TNotifyEvent([](TObject*) { throw EDatabaseError(QStringLiteral("Key violation")); }));
    Click(dialog.OkButton);
    dialog.PostToWindow([] { throw EConvertError(QStringLiteral("'x' is not a number.")); });
    ProcessEvents();

    ASSERT_EQ(responder.Shown().size(), 2);
    EXPECT_EQ(responder.Shown()[0].Text, QStringLiteral("Key violation."));
    EXPECT_EQ(responder.Shown()[0].DlgType, mtError);
    EXPECT_EQ(responder.Shown()[1].Text, QStringLiteral("'x' is not a number."));

    QStringList handled;
    Application()->SetOnException(
        TExceptionEvent([&handled](TObject*, const Exception& E) { handled << E.Message(); }));
    Click(dialog.OkButton);
    Application()->SetOnException(TExceptionEvent());
    SetExceptionHandler(nullptr);
    EXPECT_EQ(handled, QStringList({"Key violation"}));
    EXPECT_EQ(responder.Shown().size(), 2);
}
