#include "RichFixture.h"

#include <QDir>
#include <QPixmap>
#include <rich/DiPara.h>
#include <rich/DiReplace.h>
#include <ui/StdCtrls.h>

// Pictures of the rich edit's dialogs for review, written when KRO_DIALOG_PICTURES names a
// directory (scripts/render-dialogs.sh).

namespace {

QString PictureDirectory() {
    return qEnvironmentVariable("KRO_DIALOG_PICTURES");
}

void Save(TForm* Form, const QString& Name) {
    QApplication::setActiveWindow(Form->Widget());
    ProcessEvents();
    const QString path = QDir(PictureDirectory()).filePath(Name + QStringLiteral(".png"));
    const QPixmap picture = Form->Widget()->grab();
    EXPECT_EQ(picture.size(), QSize(Form->ClientWidth(), Form->ClientHeight()));
    EXPECT_TRUE(picture.save(path)) << path.toStdString();
}

class RichDialogPictures : public RichFixture {
protected:
    void SetUp() override {
        if (PictureDirectory().isEmpty())
            GTEST_SKIP() << "KRO_DIALOG_PICTURES names no directory";
        ASSERT_TRUE(QDir().mkpath(PictureDirectory()));
        RichFixture::SetUp();
        SetNotes({QStringLiteral("the target delta")});
    }
};

TEST_F(RichDialogPictures, SearchReplaceAndParagraph) {
    Rich->SetSearchGlobal(true);
    Rich->SetRecordName(QStringLiteral("person"));
    Responder.Answer([](TForm* Form) {
        Save(Form, QStringLiteral("rich-search-replace"));
        auto* dialog = qobject_cast<TRichEditSearch*>(Form);
        dialog->ComboBoxFind->SetText(QStringLiteral("target"));
        dialog->ComboBoxReplace->SetText(QStringLiteral("goal"));
        dialog->ButtonReplace->Click();
    });
    Responder.Answer([](TForm* Form) {
        Save(Form, QStringLiteral("rich-confirm"));
        Form->SetModalResult(mrNo);
    });
    QTest::keyClick(Rich->Widget(), Qt::Key_F, Qt::ControlModifier);
    ProcessEvents();

    People->Close();
    People->SetReadOnly(true);
    People->Open();
    Responder.Answer([](TForm* Form) {
        Save(Form, QStringLiteral("rich-search"));
        Form->SetModalResult(mrCancel);
    });
    QTest::keyClick(Rich->Widget(), Qt::Key_F, Qt::ControlModifier);
    ProcessEvents();

    TDialParagraph paragraph;
    paragraph.Show();
    Save(&paragraph, QStringLiteral("rich-paragraph"));
}

} // namespace
