#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <dataset/KroDB.h>
#include <forms/DiAdv.h>
#include <forms/DiDual.h>
#include <gtest/gtest.h>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

// Pictures of the dialogs for review, written when KRO_DIALOG_PICTURES names a directory
// (scripts/render-dialogs.sh).

namespace {

QString PictureDirectory() {
    return qEnvironmentVariable("KRO_DIALOG_PICTURES");
}

void Save(TForm* Form, const QString& Name) {
    QCoreApplication::processEvents();
    const QString path = QDir(PictureDirectory()).filePath(Name + QStringLiteral(".png"));
    const QPixmap picture = Form->Widget()->grab();
    EXPECT_EQ(picture.size(), QSize(Form->ClientWidth(), Form->ClientHeight()));
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}

} // namespace

TEST(DialogPictures, DualListAndErrorDialog) {
    if (PictureDirectory().isEmpty())
        GTEST_SKIP() << "KRO_DIALOG_PICTURES names no directory";
    ASSERT_TRUE(QDir().mkpath(PictureDirectory()));

    TKroDualListDlg dual;
    dual.SetCaption(QStringLiteral("Fields visibility"));
    dual.SrcLabel->SetCaption(QStringLiteral("Visible fields"));
    dual.DstLabel->SetCaption(QStringLiteral("Invisible fields"));
    for (const char* field : {"Name", "Sex", "Born", "Language", "Profession", "Country"})
        dual.SrcList->Items()->Add(QString::fromLatin1(field));
    for (const char* field : {"Photo", "Notes"})
        dual.DstList->Items()->Add(QString::fromLatin1(field));
    dual.SrcList->SetSelected(2, true);
    dual.Show();
    QApplication::setActiveWindow(dual.Widget());
    Save(&dual, QStringLiteral("dual-list"));

    TScriptedResponder responder;
    responder.Answer([](TForm* Form) {
        auto* dialog = qobject_cast<TDlgErrorAdv*>(Form);
        Save(dialog, QStringLiteral("error"));
        dialog->ButtonDetailClick(dialog);
        Save(dialog, QStringLiteral("error-detail"));
        dialog->SetModalResult(mrOk);
    });
    ShowKroError(QStringLiteral("Incorrect filter"),
                 QStringLiteral("Filter: (Name = 'Smith') and (Born > '1970-01-01'\n"
                                "Unbalanced parenthesis at position 44"));
}
