#include <QTest>
#include <dataset/KroDB.h>
#include <forms/DiAdv.h>
#include <gtest/gtest.h>
#include <ui/Application.h>
#include <ui/ExtCtrls.h>
#include <ui/Graphics.h>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

namespace {

void Click(TControl* Control) {
    QTest::mouseClick(Control->Widget(), Qt::LeftButton);
}

// What the dialog showed while it was open.
struct TSeen {
    QString Message;
    QString Detail;
    bool DetailEnabled = false;
    bool DetailShown = false;
    bool MemoVisible = false;
    int ClientHeight = 0;
    bool MessageShowing = false;
};

TSeen Look(TDlgErrorAdv* Dialog) {
    return {Dialog->LabelError->Caption(),
            Dialog->MemoDetail->Text(),
            Dialog->ButtonDetail->Enabled(),
            Dialog->DetailShown(),
            Dialog->MemoDetail->Visible(),
            Dialog->ClientHeight(),
            KroMessageShowing()};
}

} // namespace

TEST(ErrorDialog, ReadsItsLayoutAndCaptionsFromItsFormFile) {
    TDlgErrorAdv dialog;
    EXPECT_EQ(dialog.Caption(), QStringLiteral("Error"));
    EXPECT_EQ(dialog.ClientWidth(), 322);
    EXPECT_EQ(dialog.ClientHeight(), 58);
    EXPECT_EQ(dialog.BorderStyle(), bsDialog);
    EXPECT_EQ(dialog.Position(), poScreenCenter);
    EXPECT_FALSE(dialog.DetailShown());

    EXPECT_EQ(dialog.ImageError->BoundsRect(), QRect(4, 10, 32, 32));
    // The stop sign: red inside, the dialog's colour in the corners.
    const QImage sign = dialog.ImageError->Picture()->Bitmap()->Image();
    EXPECT_EQ(sign.pixelColor(6, 16), QColor(Qt::red));
    EXPECT_EQ(sign.pixelColor(0, 0), ColorToQColor(ColorToRGB(clBtnFace)));
    EXPECT_EQ(dialog.LabelError->BoundsRect(), QRect(42, 17, 198, 13));
    EXPECT_EQ(dialog.LabelError->Alignment(), taCenter);
    EXPECT_FALSE(dialog.LabelError->AutoSize());
    EXPECT_EQ(dialog.MemoDetail->BoundsRect(), QRect(1, 57, 318, 87));
    EXPECT_EQ(dialog.MemoDetail->ScrollBars(), ssVertical);
    EXPECT_FALSE(dialog.MemoDetail->Visible());
    EXPECT_EQ(dialog.MemoDetail->TabOrder(), 2);

    EXPECT_EQ(dialog.ButtonOk->Caption(), QStringLiteral("OK"));
    EXPECT_EQ(dialog.ButtonOk->BoundsRect(), QRect(245, 2, 75, 25));
    EXPECT_EQ(dialog.ButtonOk->ModalResult(), mrOk);
    EXPECT_TRUE(dialog.ButtonOk->Default());
    EXPECT_EQ(dialog.ButtonOk->TabOrder(), 0);
    EXPECT_EQ(dialog.ButtonDetail->Caption(), QStringLiteral("Detail"));
    EXPECT_EQ(dialog.ButtonDetail->BoundsRect(), QRect(245, 29, 76, 25));
    EXPECT_EQ(dialog.ButtonDetail->ModalResult(), mrNone);
    EXPECT_EQ(dialog.ButtonDetail->TabOrder(), 1);
}

TEST(ErrorDialog, TheDetailButtonUnfoldsAndFoldsTheMemo) {
    TDlgErrorAdv dialog;
    dialog.Show();
    Click(dialog.ButtonDetail);
    EXPECT_TRUE(dialog.DetailShown());
    EXPECT_TRUE(dialog.MemoDetail->Visible());
    EXPECT_EQ(dialog.ClientHeight(), 145) << "the memo and a margin as wide as its left one";
    Click(dialog.ButtonDetail);
    EXPECT_FALSE(dialog.DetailShown());
    EXPECT_FALSE(dialog.MemoDetail->Visible());
    EXPECT_EQ(dialog.ClientHeight(), 58);
    EXPECT_EQ(dialog.ModalResult(), mrNone) << "Detail does not close the dialog";
}

TEST(ShowKroError, ShowsTheOneDialogFoldedUnderTheMessageCounter) {
    TScriptedResponder responder;
    QList<TSeen> seen;
    // The first time the user unfolds the detail and closes with OK.
    responder.Answer([&](TForm* Form) {
        auto* dialog = qobject_cast<TDlgErrorAdv*>(Form);
        Click(dialog->ButtonDetail);
        seen << Look(dialog);
        Click(dialog->ButtonOk);
    });
    ShowKroError(QStringLiteral("Incorrect filter"), QStringLiteral("Filter: Name = 'x"));
    // The second time it starts folded again, and there is no detail to unfold.
    responder.Answer([&](TForm* Form) {
        auto* dialog = qobject_cast<TDlgErrorAdv*>(Form);
        seen << Look(dialog);
        Click(dialog->ButtonDetail);
        EXPECT_FALSE(dialog->DetailShown()) << "a disabled button is not clicked";
        QTest::keyClick(Form->Widget(), Qt::Key_Return);
    });
    ShowKroError(QStringLiteral("Cannot open"), QString());

    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0].Message, QStringLiteral("Incorrect filter"));
    EXPECT_EQ(seen[0].Detail, QStringLiteral("Filter: Name = 'x"));
    EXPECT_TRUE(seen[0].DetailEnabled);
    EXPECT_TRUE(seen[0].DetailShown);
    EXPECT_TRUE(seen[0].MemoVisible);
    EXPECT_TRUE(seen[0].MessageShowing);

    EXPECT_EQ(seen[1].Message, QStringLiteral("Cannot open"));
    EXPECT_TRUE(seen[1].Detail.isEmpty());
    EXPECT_FALSE(seen[1].DetailEnabled);
    EXPECT_FALSE(seen[1].DetailShown);
    EXPECT_FALSE(seen[1].MemoVisible);
    EXPECT_EQ(seen[1].ClientHeight, 58);
    EXPECT_TRUE(seen[1].MessageShowing);

    EXPECT_FALSE(KroMessageShowing());
    ASSERT_EQ(responder.Shown().size(), 2);
    EXPECT_EQ(responder.Shown()[0].FormClass, QStringLiteral("TDlgErrorAdv"));
    EXPECT_EQ(responder.Shown()[0].Caption, QStringLiteral("Error"));
    EXPECT_EQ(responder.Shown()[1].Result, mrOk);
    EXPECT_EQ(DlgErrorAdv(), DlgErrorAdv());
    EXPECT_EQ(DlgErrorAdv()->Owner(), Application());
}

TEST(ShowKroError, TheCounterFallsBackWhenTheAnswerFails) {
    TScriptedResponder responder;
    EXPECT_THROW(ShowKroError(QStringLiteral("Unanswered"), QString()), EUnexpectedDialog);
    EXPECT_FALSE(KroMessageShowing());
    EXPECT_FALSE(DlgErrorAdv()->Visible());
}
