#pragma once

#include "OpenMenu.h"
#include "PeopleDatabase.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/Fields.h>
#include <gtest/gtest.h>
#include <rich/KroRich.h>
#include <ui/ScriptedResponder.h>

// Rich notes of formatted text: "Bold" in bold, then " plain".
inline const QString BoldNotes =
    QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0{\\b Bold} plain}");

inline void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// People whose notes are given by each test, shown in a TKroDBRichEdit on an active form.
class RichFixture : public ::testing::Test {
protected:
    explicit RichFixture(int People = 5);
    void SetUp() override;
    void TearDown() override;

    // Writes the notes of the records from the first on, then goes to the first record.
    void SetNotes(const QStringList& Notes);
    QString NotesText() const { return Rich->Text(); }
    // The text of record RecNo's notes as stored, read as rich text.
    QString StoredText(int RecNo);
    TField* Notes() const { return People->FieldByName(QStringLiteral("Notes")); }
    TField* Name() const { return People->FieldByName(QStringLiteral("Name")); }
    void GoTo(int RecNo);

    void RightClick() {
        QTest::mouseClick(Rich->Widget(), Qt::RightButton, {}, QPoint(5, 5));
        ASSERT_TRUE(OpenMenu());
    }
    void Key(int K, Qt::KeyboardModifiers Modifiers = Qt::ControlModifier) {
        QTest::keyClick(Rich->Widget(), Qt::Key(K), Modifiers);
        ProcessEvents();
    }
    void Select(int Start, int Length) {
        Rich->SetSelStart(Start);
        Rich->SetSelLength(Length);
    }

    // What message boxes showed, in order.
    QStringList Messages() const;

    TPeopleDatabase Db;
    TScriptedResponder Responder;
    TForm Form;
    TKroTable* People = new TKroTable(&Form);
    TDataSource* Source = new TDataSource(&Form);
    TKroDBRichEdit* Rich = new TKroDBRichEdit(&Form);
};
