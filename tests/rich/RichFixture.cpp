#include "RichFixture.h"

#include <QTextDocument>
#include <rich/RichClasses.h>
#include <ui/RtfReader.h>

RichFixture::RichFixture(int People) : Db(People) {}

void RichFixture::SetUp() {
    RegisterRichClasses();
    People->SetDatabaseName(Db.Alias());
    People->SetTableName(QStringLiteral("People.db"));
    Source->SetDataSet(People);
    Rich->SetParent(&Form);
    Rich->SetBounds(0, 0, 300, 120);
    Rich->SetDataSource(Source);
    Rich->SetDataField(QStringLiteral("Notes"));
    Rich->SetPopupMenu(PopupMenuKroDBRichEdit());
    People->Open();
    Form.Show();
    QApplication::setActiveWindow(Form.Widget());
    ProcessEvents();
    Rich->SetFocus();
    ProcessEvents();
}

void RichFixture::TearDown() {
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    EXPECT_EQ(Responder.PendingAnswers(), 0) << "answers left unused";
}

void RichFixture::SetNotes(const QStringList& Values) {
    People->First();
    for (const QString& value : Values) {
        People->Edit();
        Notes()->SetAsString(value);
        People->Post();
        People->Next();
    }
    People->First();
}

QString RichFixture::StoredText(int RecNo) {
    GoTo(RecNo);
    QTextDocument document;
    ReadRtf(&document, Notes()->AsString());
    return document.toPlainText();
}

void RichFixture::GoTo(int RecNo) {
    People->First();
    People->MoveBy(RecNo - 1);
}

QStringList RichFixture::Messages() const {
    QStringList texts;
    for (const auto& shown : Responder.Shown())
        if (shown.FormClass.isEmpty())
            texts << shown.Text;
    return texts;
}
