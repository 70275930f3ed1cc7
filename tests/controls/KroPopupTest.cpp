#include "OpenMenu.h"
#include "PeopleDatabase.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <controls/ControlClasses.h>
#include <controls/KroPopup.h>
#include <dataset/KroTable.h>
#include <db/DataSource.h>
#include <db/FieldDefs.h>
#include <db/Fields.h>
#include <gtest/gtest.h>
#include <rtl/Exceptions.h>
#include <ui/Application.h>
#include <ui/Clipbrd.h>
#include <ui/DBCtrls.h>
#include <ui/Graphics.h>
#include <ui/ScriptedResponder.h>

namespace {

void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

// A shown, active form with an edit of the people's names that uses the shared menu of
// field controls.
class KroPopup : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterControlClasses();
        People->SetDatabaseName(Db.Alias());
        People->SetTableName(QStringLiteral("People.db"));
        People->SetCaption(QStringLiteral("People"));
        Source->SetDataSet(People);
        NameEdit->SetParent(&Form);
        NameEdit->SetDataSource(Source);
        NameEdit->SetDataField(QStringLiteral("Name"));
        NameEdit->SetPopupMenu(PopupMenuKroDBFieldControls());
        People->Open();
        Form.Show();
        QApplication::setActiveWindow(Form.Widget());
        ProcessEvents();
        NameEdit->SetFocus();
        ProcessEvents();
    }

    void TearDown() override {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    void RightClick(TControl* Control) {
        QTest::mouseClick(Control->Widget(), Qt::RightButton, {}, QPoint(5, 5));
        ASSERT_TRUE(OpenMenu());
    }
    void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::ControlModifier) {
        QTest::keyClick(QApplication::focusWidget(), K, Modifiers);
        ProcessEvents();
    }

    QString Name() const { return People->FieldByName(QStringLiteral("Name"))->AsString(); }

    TPeopleDatabase Db{3};
    TForm Form;
    TKroTable* People = new TKroTable(&Form);
    TDataSource* Source = new TDataSource(&Form);
    TDBEdit* NameEdit = new TDBEdit(&Form);
};

} // namespace

TEST_F(KroPopup, AControlWithoutAnActiveDatasetOffersNothing) {
    People->Close();
    RightClick(NameEdit);
    EXPECT_EQ(ShownItems(),
              QStringList({"First record\tCtrl+Home", "Prior record\tCtrl+PgUp",
                           "Next record\tCtrl+PgDn", "Last record\tCtrl+End", "|",
                           "Insert record\tCtrl+Num +", "Delete record\tCtrl+Num -", "Edit record",
                           "Post edit\tCtrl+S", "Cancel edit", "Refresh data", "Clone record"}));
    EXPECT_TRUE(EnabledItems().isEmpty());
}

TEST_F(KroPopup, ItemsFollowTheDatasetsStateAndPosition) {
    RightClick(NameEdit);
    EXPECT_EQ(PopupMenuKroDBFieldControls()->PopupComponent(), NameEdit);
    EXPECT_EQ(EnabledItems(),
              QStringList({"Next record", "Last record", "Insert record", "Delete record",
                           "Edit record", "Refresh data", "Clone record"}));
    Choose(QStringLiteral("Last record"));
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0003"));

    RightClick(NameEdit);
    Choose(QStringLiteral("Edit record"));
    EXPECT_EQ(People->State(), dsEdit);
    RightClick(NameEdit);
    EXPECT_EQ(EnabledItems(),
              QStringList({"First record", "Prior record", "Insert record", "Delete record",
                           "Post edit", "Cancel edit", "Refresh data", "Clone record"}));
    Choose(QStringLiteral("Cancel edit"));
    EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(KroPopup, ADatasetWithoutTheCloneActionHasCloneDisabled) {
    People->SetActions({daInsert, daDelete});
    RightClick(NameEdit);
    const QStringList enabled = EnabledItems();
    EXPECT_FALSE(enabled.contains(QStringLiteral("Clone record")));
    EXPECT_TRUE(enabled.contains(QStringLiteral("Insert record")));
    OpenMenu()->close();

    // A dataset that publishes no actions allows them all.
    TTable plain;
    plain.SetDatabaseName(Db.Alias());
    plain.SetTableName(QStringLiteral("People.db"));
    plain.Open();
    Source->SetDataSet(&plain);
    RightClick(NameEdit);
    EXPECT_TRUE(EnabledItems().contains(QStringLiteral("Clone record")));
    Choose(QStringLiteral("Clone record"));
    EXPECT_EQ(plain.State(), dsInsert);
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0001")) << "the copy of the record";
    plain.Cancel();
    Source->SetDataSet(People);
}

TEST_F(KroPopup, AnOnActionVetoStopsDeletingBeforeAnyQuestion) {
    QList<TKroDataSetAction> asked;
    bool allow = false;
    People->SetOnAction(TOnDataSetActionEvent(
        [&](TObject*, TDataSet* DataSet, TKroDataSetAction Action, bool& ActionNeed) {
            EXPECT_EQ(DataSet, People);
            asked << Action;
            ActionNeed = allow;
        }));
    TScriptedResponder responder;
    RightClick(NameEdit);
    Choose(QStringLiteral("Delete record"));
    EXPECT_EQ(asked, QList<TKroDataSetAction>({daDelete}));
    EXPECT_TRUE(responder.Shown().isEmpty()) << "nothing asked";
    EXPECT_EQ(People->RecordCount(), 3);

    // Allowed: the user is asked, with the dataset's caption, and can refuse.
    allow = true;
    responder.Answer(mrCancel);
    RightClick(NameEdit);
    Choose(QStringLiteral("Delete record"));
    ASSERT_EQ(responder.Shown().size(), 1);
    EXPECT_EQ(responder.Shown()[0].Text, QStringLiteral("People\nDelete record?"));
    EXPECT_EQ(responder.Shown()[0].DlgType, mtConfirmation);
    EXPECT_EQ(responder.Shown()[0].Buttons, mbOKCancel);
    EXPECT_EQ(People->RecordCount(), 3);

    responder.Answer(mrOk);
    RightClick(NameEdit);
    Choose(QStringLiteral("Delete record"));
    EXPECT_EQ(People->RecordCount(), 2);
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0002"));

    // Inserting asks the handler too.
    allow = false;
    RightClick(NameEdit);
    Choose(QStringLiteral("Insert record"));
    EXPECT_EQ(asked.last(), daInsert);
    EXPECT_EQ(People->State(), dsBrowse);
}

TEST_F(KroPopup, TheNavigationOfAOneRecordDatasetFollowsItsEnds) {
    People->SetFiltered(false);
    People->SetFilter(QStringLiteral("Name = 'Person 0002'"));
    People->SetFiltered(true);
    People->First();
    RightClick(NameEdit);
    EXPECT_EQ(EnabledItems().mid(0, 2), QStringList({"Next record", "Last record"}))
        << "at its beginning";
    Choose(QStringLiteral("Next record"));
    RightClick(NameEdit);
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Next record"))) << "at its end";
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Last record")));
    OpenMenu()->close();

    // No record at all: at both ends, nothing to move to.
    People->SetFilter(QStringLiteral("Name = 'Nobody'"));
    RightClick(NameEdit);
    EXPECT_EQ(EnabledItems(), QStringList({"Insert record", "Refresh data"}));
}

TEST_F(KroPopup, ShortcutsWorkWhileTheControlIsActive) {
    Key(Qt::Key_PageDown);
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0002"));
    Key(Qt::Key_End);
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0003"));
    Key(Qt::Key_PageUp);
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0002"));
    Key(Qt::Key_Home);
    EXPECT_EQ(NameEdit->Text(), QStringLiteral("Person 0001"));

    // Typing starts editing; Ctrl+S posts.
    QTest::keyClick(NameEdit->Widget(), Qt::Key_End, Qt::NoModifier);
    QTest::keyClicks(NameEdit->Widget(), QStringLiteral("!"));
    ASSERT_EQ(People->State(), dsEdit);
    Key(Qt::Key_S);
    EXPECT_EQ(People->State(), dsBrowse);
    EXPECT_EQ(Name(), QStringLiteral("Person 0001!"));

    // Ctrl + numeric-pad minus asks before deleting.
    TScriptedResponder responder;
    responder.Answer(mrCancel);
    Key(Qt::Key_Minus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(responder.PendingAnswers(), 0);
    EXPECT_EQ(People->RecordCount(), 3);

    // Ctrl + numeric-pad plus inserts.
    Key(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(People->State(), dsInsert);
    EXPECT_EQ(NameEdit->Text(), QString());
}

namespace {

// A table of pictures, the first record with a red square, the second with none, shown
// in an image that uses the shared image menu.
class KroImagePopup : public KroPopup {
protected:
    void SetUp() override {
        KroPopup::SetUp();
        Pictures->SetDatabaseName(Db.Alias());
        Pictures->SetTableName(QStringLiteral("Picture.db"));
        Pictures->FieldDefs()->Add(QStringLiteral("Id"), ftAutoInc);
        Pictures->FieldDefs()->Add(QStringLiteral("Photo"), ftGraphic);
        Pictures->CreateTable();
        Pictures->Open();
        TBitmap square;
        QImage red(8, 8, QImage::Format_RGB32);
        red.fill(Qt::red);
        square.SetImage(red);
        Pictures->Append();
        Photo()->SetValue(square.SaveToBytes());
        Pictures->Post();
        Pictures->Append();
        Pictures->Post();
        Pictures->First();
        PictureSource->SetDataSet(Pictures);
        Image->SetParent(&Form);
        Image->SetBounds(0, 30, 60, 60);
        Image->SetDataSource(PictureSource);
        Image->SetDataField(QStringLiteral("Photo"));
        Image->SetPopupMenu(PopupMenuKroDBImage());
        Clipboard()->Clear();
    }
    void TearDown() override {
        PopupMenuKroDBImage()->SetAllowLoadFromFile(true);
        KroPopup::TearDown();
    }

    TField* Photo() const { return Pictures->FieldByName(QStringLiteral("Photo")); }

    QTemporaryDir Dir;
    TTable* Pictures = new TTable(&Form);
    TDataSource* PictureSource = new TDataSource(&Form);
    TDBImage* Image = new TDBImage(&Form);
};

TScriptedResponder::TDialogAction ChooseFile(const QString& FileName, QString* Filter) {
    return [FileName, Filter](TCommonDialog* Dialog) {
        auto* files = qobject_cast<TOpenDialog*>(Dialog);
        *Filter = files->Filter();
        files->SetFileName(FileName);
        return true;
    };
}

} // namespace

TEST_F(KroImagePopup, PictureItemsComeBeforeNavigationAndRecordItems) {
    RightClick(Image);
    const QStringList items = ShownItems();
    EXPECT_EQ(items.mid(0, 8), QStringList({"Load from file", "Save to file", "Scale", "Copy",
                                            "Insert", "Clear", "|", "First record\tCtrl+Home"}));
    EXPECT_EQ(items.size(), 7 + 5 + 7);
    EXPECT_EQ(EnabledItems().mid(0, 5),
              QStringList({"Load from file", "Save to file", "Scale", "Copy", "Clear"}))
        << "nothing to paste";
    OpenMenu()->close();

    // A picture on the clipboard can be pasted; the demo's switch takes loading away.
    Image->CopyToClipboard();
    PopupMenuKroDBImage()->SetAllowLoadFromFile(false);
    Pictures->Next();
    RightClick(Image);
    EXPECT_EQ(EnabledItems().mid(0, 3), QStringList({"Scale", "Insert", "First record"}))
        << "an empty picture can be neither saved, copied nor cleared";
    Choose(QStringLiteral("Insert"));
    EXPECT_EQ(Image->Picture()->Width(), 8);
    EXPECT_EQ(Pictures->State(), dsEdit);
    Pictures->Post();
    EXPECT_FALSE(Photo()->IsNull());
}

TEST_F(KroImagePopup, PicturesAreSavedToAndLoadedFromFiles) {
    TScriptedResponder responder;
    QString filter;
    const QString saved = Dir.filePath(QStringLiteral("square.png"));
    responder.AnswerDialog(ChooseFile(saved, &filter));
    RightClick(Image);
    Choose(QStringLiteral("Save to file"));
    EXPECT_EQ(filter, GraphicFilter());
    ASSERT_TRUE(QFile::exists(saved));

    Pictures->Next();
    responder.AnswerDialog(ChooseFile(saved, &filter));
    RightClick(Image);
    Choose(QStringLiteral("Load from file"));
    EXPECT_EQ(Pictures->State(), dsEdit);
    EXPECT_EQ(Image->Picture()->Width(), 8) << "the image shows the loaded picture";
    Pictures->Post();

    // A file that holds no picture is refused and the record stays as it was.
    const QString text = Dir.filePath(QStringLiteral("notes.bmp"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no picture");
    file.close();
    const QByteArray before = Photo()->AsBytes();
    QStringList errors;
    SetExceptionHandler([&errors](const Exception& E) { errors << E.Message(); });
    responder.AnswerDialog(ChooseFile(text, &filter));
    RightClick(Image);
    Choose(QStringLiteral("Load from file"));
    SetExceptionHandler(nullptr);
    EXPECT_EQ(errors.size(), 1) << "the user is told";
    EXPECT_EQ(Pictures->State(), dsBrowse);
    EXPECT_EQ(Photo()->AsBytes(), before);
}

TEST_F(KroImagePopup, ScaleTogglesStretchingAndClearEmptiesTheField) {
    RightClick(Image);
    Choose(QStringLiteral("Scale"));
    EXPECT_TRUE(Image->Stretch());
    RightClick(Image);
    EXPECT_TRUE(OpenMenu()->actions()[2]->isChecked());
    Choose(QStringLiteral("Clear"));
    EXPECT_EQ(Pictures->State(), dsEdit);
    EXPECT_TRUE(Photo()->IsNull());
    EXPECT_EQ(Image->Picture()->Graphic(), nullptr);

    // A read-only image cannot be cleared.
    Pictures->Cancel();
    Image->SetReadOnly(true);
    RightClick(Image);
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Clear")));
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Load from file")));
    EXPECT_TRUE(EnabledItems().contains(QStringLiteral("Copy")));
}

TEST_F(KroPopup, AMemosSelectionIsCopiedAndPastedThroughTheMenu) {
    auto* notes = new TDBMemo(&Form);
    notes->SetParent(&Form);
    notes->SetBounds(0, 30, 200, 60);
    notes->SetDataSource(Source);
    notes->SetDataField(QStringLiteral("Notes"));
    notes->SetPopupMenu(PopupMenuKroDBMemo());
    Clipboard()->Clear();
    notes->SetFocus();
    ProcessEvents();
    QTest::keyClicks(notes->Widget(), QStringLiteral("red green"));
    ASSERT_EQ(People->State(), dsEdit);

    // Nothing selected: nothing to copy, nothing on the clipboard to paste.
    RightClick(notes);
    EXPECT_EQ(ShownItems().mid(0, 5),
              QStringList({"Copy", "Insert", "Select All", "|", "Insert record\tCtrl+Num +"}));
    EXPECT_EQ(EnabledItems().mid(0, 1), QStringList({"Select All"}));
    OpenMenu()->close();
    ProcessEvents();

    // "green" selected with the keyboard, copied, and pasted at the start.
    notes->SetFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(notes->Widget(), Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_EQ(notes->SelText(), QStringLiteral("green"));
    RightClick(notes);
    EXPECT_EQ(EnabledItems().mid(0, 2), QStringList({"Copy", "Select All"}));
    Choose(QStringLiteral("Copy"));
    EXPECT_EQ(Clipboard()->AsText(), QStringLiteral("green"));

    notes->SetFocus();
    QTest::keyClick(notes->Widget(), Qt::Key_Home, Qt::ControlModifier);
    RightClick(notes);
    EXPECT_EQ(EnabledItems().mid(0, 2), QStringList({"Insert", "Select All"}));
    Choose(QStringLiteral("Insert"));
    EXPECT_EQ(notes->Text(), QStringLiteral("greenred green"));
    People->Post();
    EXPECT_EQ(People->FieldByName(QStringLiteral("Notes"))->AsString(),
              QStringLiteral("greenred green"));

    // Select All, then a read-only memo offers no pasting.
    RightClick(notes);
    Choose(QStringLiteral("Select All"));
    EXPECT_EQ(notes->SelText(), QStringLiteral("greenred green"));
    notes->SetReadOnly(true);
    RightClick(notes);
    EXPECT_FALSE(EnabledItems().contains(QStringLiteral("Insert")));
}

TEST(SharedMenus, AreMadeOnceAndOwnedByTheApplication) {
    EXPECT_EQ(PopupMenuKroDBFieldControls(), PopupMenuKroDBFieldControls());
    EXPECT_EQ(PopupMenuKroDBFieldControls()->Owner(), Application());
    EXPECT_EQ(PopupMenuKroDBImage()->Owner(), Application());
    EXPECT_EQ(PopupMenuKroDBMemo()->Owner(), Application());
    EXPECT_NE(static_cast<TPopupMenu*>(PopupMenuKroDBImage()),
              static_cast<TPopupMenu*>(PopupMenuKroDBFieldControls()));
}
