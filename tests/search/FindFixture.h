#pragma once

// The persons of FieldsFixture searched through the find dialog: Person has the lookup
// field LangLook showing its key Lang by the language's name, a data source and a
// TKroFindDlg on it, and a responder answering the dialog and the message boxes.

#include "ResponderMessages.h"
#include "fields/FieldsFixture.h"

#include <QApplication>
#include <QTest>
#include <db/DataSource.h>
#include <functional>
#include <search/DiFind.h>
#include <search/KroFind.h>
#include <ui/Buttons.h>
#include <ui/StdCtrls.h>

class FindFixture : public FieldsFixture {
protected:
    void SetUp() override {
        FieldsFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        AddPersonFields();
        NewLangLook(QStringLiteral("Name"))->SetDataSet(Person);
        Lang->Open();
        Source.SetDataSet(Person);
        Find.SetDataSource(&Source);
    }

    // Opens Person in the order of Fields.
    void OpenOrdered(const char* Fields) {
        Person->SetIndexFieldNames(QString::fromLatin1(Fields));
        Person->Open();
    }

    // Answers the next find dialog: Action works it as the user, then Find is pressed.
    void AnswerFind(const std::function<void(TDialFind&)>& Action) {
        Responder.Answer([Action](TForm* Form) {
            auto* dialog = static_cast<TDialFind*>(Form);
            QApplication::setActiveWindow(dialog->Widget());
            Action(*dialog);
            QTest::mouseClick(dialog->BtnFind->Widget(), Qt::LeftButton);
        });
    }
    // Answers the next find dialog by typing Text over the editor of the row Row.
    void AnswerTyping(int Row, const char* Text) {
        AnswerFind([Row, Text](TDialFind& Dialog) { Type(Dialog, Row, Text); });
    }
    static void Type(TDialFind& Dialog, int Row, const char* Text) {
        auto* editor = qobject_cast<TWinControl*>(Dialog.Editors().value(Row));
        ASSERT_NE(editor, nullptr);
        editor->SetFocus();
        QTest::keyClick(editor->Widget(), Qt::Key_A, Qt::ControlModifier); // typing replaces
        QTest::keyClicks(editor->Widget(), QString::fromLatin1(Text));
    }
    static void Click(TControl* Control) {
        QTest::mouseClick(Control->Widget(), Qt::LeftButton, {}, QPoint(6, 8));
    }

    QString Current() const { return Person->FieldByName(QStringLiteral("Name"))->AsString(); }
    // The texts of the message boxes shown, in order.
    QStringList Messages() const { return MessagesShown(Responder); }

    TDataSource Source;
    TKroFindDlg Find;
    TScriptedResponder Responder;
};
