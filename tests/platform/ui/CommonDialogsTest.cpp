#include "UrlCatcher.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <ui/Printers.h>
#include <ui/ScriptedResponder.h>
#include <ui/Shell.h>

namespace {

// Sets FileName of the open or save dialog it answers, and tells it is accepted.
TScriptedResponder::TDialogAction ChooseFile(const QString& FileName) {
    return [FileName](TCommonDialog* Dialog) {
        qobject_cast<TOpenDialog*>(Dialog)->SetFileName(FileName);
        return true;
    };
}

TEST(CommonDialogs, FileDialogsAreAnsweredByTheResponder) {
    QTemporaryDir dir;
    TScriptedResponder responder;
    TOpenDialog open;
    open.SetFilter(QStringLiteral("Text files (*.txt)|*.txt|Pictures|*.png;*.jpg|All files|*"));
    open.SetDefaultExt(QStringLiteral("txt"));
    EXPECT_EQ(open.NameFilters(),
              QStringList({"Text files (*.txt)", "Pictures (*.png *.jpg)", "All files (*)"}));

    responder.AnswerDialog(ChooseFile(dir.filePath(QStringLiteral("notes"))));
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName(), dir.filePath(QStringLiteral("notes.txt")))
        << "the default extension is added";
    EXPECT_EQ(open.Files()->Text().trimmed(), open.FileName());
    EXPECT_FALSE(open.Options().Contains(ofExtensionDifferent));

    responder.Answer(mrCancel);
    EXPECT_FALSE(open.Execute());
    responder.AnswerDialog(ChooseFile(dir.filePath(QStringLiteral("photo.png"))));
    EXPECT_TRUE(open.Execute());
    EXPECT_TRUE(open.Options().Contains(ofExtensionDifferent));

    open.SetTitle(QStringLiteral("Import"));
    responder.Answer(mrOk);
    EXPECT_TRUE(open.Execute()) << "accepted as it was";
    EXPECT_EQ(open.FileName(), dir.filePath(QStringLiteral("photo.png")));

    ASSERT_EQ(responder.Shown().size(), 4);
    EXPECT_EQ(responder.Shown()[0].FormClass, QStringLiteral("TOpenDialog"));
    EXPECT_EQ(responder.Shown()[0].Caption, QStringLiteral("Open"));
    EXPECT_EQ(responder.Shown()[0].Result, mrOk);
    EXPECT_EQ(responder.Shown()[1].Result, mrCancel);
    EXPECT_EQ(responder.Shown()[3].Caption, QStringLiteral("Import"));

    EXPECT_THROW(open.Execute(), EUnexpectedDialog) << "no answer left";
    responder.Answer(mrYes);
    EXPECT_THROW(open.Execute(), EUnexpectedDialog) << "not an answer for a dialog";
}

TEST(CommonDialogs, FileOptionsCheckTheChoice) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("existing.txt"));
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    TScriptedResponder responder;

    TOpenDialog open;
    open.SetOptions({ofFileMustExist});
    responder.AnswerDialog(ChooseFile(dir.filePath(QStringLiteral("missing.txt"))));
    EXPECT_FALSE(open.Execute());
    ASSERT_EQ(responder.Shown().size(), 2);
    EXPECT_TRUE(responder.Shown()[1].Text.contains(QStringLiteral("File not found")));

    open.SetOptions({ofAllowMultiSelect});
    responder.AnswerDialog([&](TCommonDialog*) {
        open.Files()->Clear();
        open.Files()->Add(existing);
        open.Files()->Add(dir.filePath(QStringLiteral("second.txt")));
        open.SetFileName(existing);
        return true;
    });
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.Files()->Count(), 2);

    TSaveDialog save;
    save.SetOptions({ofOverwritePrompt});
    responder.AnswerDialog(ChooseFile(existing));
    responder.Answer(mrNo);
    EXPECT_FALSE(save.Execute()) << "the user would not replace the file";
    EXPECT_EQ(responder.Shown().last().Text,
              QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(existing));
    responder.AnswerDialog(ChooseFile(existing));
    responder.Answer(mrYes);
    EXPECT_TRUE(save.Execute());
    EXPECT_EQ(responder.Shown()[responder.Shown().size() - 2].Caption, QStringLiteral("Save As"));
    EXPECT_EQ(responder.PendingAnswers(), 0);
}

TEST(CommonDialogs, FontAndPrinterDialogs) {
    TScriptedResponder responder;
    TFontDialog fontDialog;
    fontDialog.Font()->SetName(QStringLiteral("Arial"));
    responder.AnswerDialog([](TCommonDialog* Dialog) {
        qobject_cast<TFontDialog*>(Dialog)->Font()->SetStyle({fsBold});
        return true;
    });
    EXPECT_TRUE(fontDialog.Execute());
    EXPECT_EQ(fontDialog.Font()->Style(), TFontStyles{fsBold});
    responder.AnswerDialog([](TCommonDialog* Dialog) {
        qobject_cast<TFontDialog*>(Dialog)->Font()->SetSize(20);
        return false;
    });
    EXPECT_FALSE(fontDialog.Execute());

    TPrinter* previous = SetPrinter(new TPrinter);
    TPrintDialog printDialog;
    responder.AnswerDialog([](TCommonDialog* Dialog) {
        qobject_cast<TPrintDialog*>(Dialog)->SetCopies(4);
        return true;
    });
    EXPECT_TRUE(printDialog.Execute());
    EXPECT_EQ(Printer()->Copies(), 4) << "the copies chosen go to the printer";
    TPrinterSetupDialog setup;
    responder.Answer(mrCancel);
    EXPECT_FALSE(setup.Execute());
    delete SetPrinter(previous);

    ASSERT_EQ(responder.Shown().size(), 4);
    EXPECT_EQ(responder.Shown()[0].Caption, QStringLiteral("Font"));
    EXPECT_EQ(responder.Shown()[2].FormClass, QStringLiteral("TPrintDialog"));
    EXPECT_EQ(responder.Shown()[3].Caption, QStringLiteral("Printer setup"));
}

TEST(Shell, OpensAddressesInTheUsersPrograms) {
    TUrlCatcher mail(QStringLiteral("mailto"));
    TUrlCatcher web(QStringLiteral("https"));
    ShellOpen(QStringLiteral("mailto:ann@example.com?subject=Hello"));
    ShellOpen(QStringLiteral(" https://example.com/people "));
    ASSERT_EQ(mail.Opened.size(), 1);
    EXPECT_EQ(mail.Opened[0].path(), QStringLiteral("ann@example.com"));
    EXPECT_EQ(mail.Opened[0].query(), QStringLiteral("subject=Hello"));
    ASSERT_EQ(web.Opened.size(), 1);
    EXPECT_EQ(web.Opened[0], QUrl(QStringLiteral("https://example.com/people")));

    EXPECT_THROW(ShellOpen(QString()), EConvertError);
    EXPECT_THROW(ShellOpen(QStringLiteral("no address")), EConvertError);
}

} // namespace
