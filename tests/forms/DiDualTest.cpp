#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <forms/DiDual.h>
#include <gtest/gtest.h>
#include <ui/Buttons.h>
#include <ui/ScriptedResponder.h>
#include <ui/StdCtrls.h>

namespace {

QListWidget* ListOf(TListBox* Box) {
    return qobject_cast<QListWidget*>(Box->Widget());
}

QPoint LinePos(TListBox* Box, int Line) {
    return ListOf(Box)->visualItemRect(ListOf(Box)->item(Line)).center();
}

// A point of the list below its last line.
QPoint BelowLines(TListBox* Box) {
    return QPoint(10, ListOf(Box)->viewport()->height() - 5);
}

void Click(TControl* Control) {
    QTest::mouseClick(Control->Widget(), Qt::LeftButton);
}

void ClickLine(TListBox* Box, int Line, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::mouseClick(ListOf(Box)->viewport(), Qt::LeftButton, Modifiers, LinePos(Box, Line));
}

// Selects exactly Lines, as clicks with Ctrl do.
void SelectLines(TListBox* Box, const QList<int>& Lines) {
    ClickLine(Box, Lines.first());
    for (int line : Lines.mid(1))
        ClickLine(Box, line, Qt::ControlModifier);
}

void CtrlKey(TListBox* Box, Qt::Key Key) {
    QTest::keyClick(ListOf(Box), Key, Qt::ControlModifier);
}

QStringList Lines(TListBox* Box) {
    return Box->Items()->ToStringList();
}

QList<int> Selection(TListBox* Box) {
    QList<int> selected;
    for (int i = 0; i < Box->Items()->Count(); ++i)
        if (Box->Selected(i))
            selected.append(i);
    return selected;
}

Qt::CursorShape ShownCursor() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// The buttons' states: include, include all, exclude, exclude all.
QList<bool> Buttons(TKroDualListDlg& Dialog) {
    return {Dialog.IncludeBtn->Enabled(), Dialog.IncAllBtn->Enabled(), Dialog.ExcludeBtn->Enabled(),
            Dialog.ExAllBtn->Enabled()};
}

// The dialog shown with five source items, each with an object named after it, and
// two target items.
class DualList : public ::testing::Test {
protected:
    DualList() {
        for (const char* name : {"one", "two", "three", "four", "five"})
            Add(Dialog.SrcList, QString::fromLatin1(name));
        for (const char* name : {"alpha", "beta"})
            Add(Dialog.DstList, QString::fromLatin1(name));
        Dialog.Show();
        QApplication::setActiveWindow(Dialog.Widget());
        QCoreApplication::processEvents();
    }

    void Add(TListBox* List, const QString& Name) {
        auto* object = new TComponent(&Owner);
        object->SetName(Name);
        List->Items()->AddObject(Name, object);
    }

    // Whether every item of List still carries the object named after it.
    static bool ObjectsFollow(TListBox* List) {
        for (int i = 0; i < List->Items()->Count(); ++i) {
            auto* object = qobject_cast<TComponent*>(List->Items()->Objects(i));
            if (!object || object->Name() != List->Items()->Strings(i))
                return false;
        }
        return true;
    }

    TComponent Owner;
    TKroDualListDlg Dialog;
    TListBox* Src = Dialog.SrcList;
    TListBox* Dst = Dialog.DstList;
};

} // namespace

TEST(DualListForm, ReadsItsLayoutAndCaptionsFromItsFormFile) {
    TKroDualListDlg dialog;
    EXPECT_EQ(dialog.Caption(), QStringLiteral("DualDialog"));
    EXPECT_EQ(QSize(dialog.ClientWidth(), dialog.ClientHeight()), QSize(378, 250));
    EXPECT_EQ(dialog.BorderStyle(), bsDialog);
    EXPECT_EQ(dialog.Position(), poScreenCenter);
    EXPECT_EQ(dialog.Font()->Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(dialog.Font()->Height(), -11);

    EXPECT_EQ(dialog.SrcLabel->Caption(), QStringLiteral("Source list"));
    EXPECT_EQ(dialog.DstLabel->Caption(), QStringLiteral("Target list"));
    EXPECT_EQ(dialog.SrcLabel->BoundsRect(), QRect(12, 8, 156, 16));
    EXPECT_EQ(dialog.DstLabel->BoundsRect(), QRect(210, 8, 157, 16));
    EXPECT_FALSE(dialog.SrcLabel->AutoSize());

    const QList<TSpeedButton*> buttons{dialog.IncludeBtn, dialog.IncAllBtn, dialog.ExcludeBtn,
                                       dialog.ExAllBtn};
    const QStringList captions{">", ">>", "<", "<<"};
    for (int i = 0; i < buttons.size(); ++i) {
        EXPECT_EQ(buttons[i]->Caption(), captions[i]);
        EXPECT_EQ(buttons[i]->BoundsRect(), QRect(176, 32 + 32 * i, 24, 24));
    }
    EXPECT_EQ(Buttons(dialog), QList<bool>({true, true, false, false}));

    for (TListBox* list : {dialog.SrcList, dialog.DstList}) {
        EXPECT_TRUE(list->MultiSelect());
        EXPECT_EQ(list->DragMode(), dmAutomatic);
    }
    EXPECT_EQ(dialog.SrcList->BoundsRect(), QRect(8, 24, 161, 185));
    EXPECT_EQ(dialog.DstList->BoundsRect(), QRect(208, 24, 161, 185));
    EXPECT_EQ(dialog.SrcList->TabOrder(), 0);
    EXPECT_EQ(dialog.DstList->TabOrder(), 1);

    EXPECT_EQ(dialog.OkBtn->Kind(), bkOK);
    EXPECT_EQ(dialog.OkBtn->ModalResult(), mrOk);
    EXPECT_EQ(dialog.OkBtn->BoundsRect(), QRect(104, 216, 75, 25));
    EXPECT_EQ(dialog.CancelBtn->Kind(), bkCancel);
    EXPECT_EQ(dialog.CancelBtn->ModalResult(), mrCancel);
    EXPECT_EQ(dialog.CancelBtn->BoundsRect(), QRect(192, 216, 75, 25));
}

TEST_F(DualList, IncludeAppendsTheSelectionLastFirstAndSelectsTheItemNowInItsPlace) {
    SelectLines(Src, {1, 3});
    Click(Dialog.IncludeBtn);
    EXPECT_EQ(Lines(Src), QStringList({"one", "three", "five"}));
    EXPECT_EQ(Lines(Dst), QStringList({"alpha", "beta", "four", "two"}));
    EXPECT_EQ(Selection(Src), QList<int>({1}));
    EXPECT_TRUE(Src->Focused());
    EXPECT_TRUE(ObjectsFollow(Src));
    EXPECT_TRUE(ObjectsFollow(Dst));

    // Taking the last item selects the one before it.
    SelectLines(Src, {2});
    Click(Dialog.IncludeBtn);
    EXPECT_EQ(Selection(Src), QList<int>({1}));
    EXPECT_EQ(Lines(Dst).last(), QStringLiteral("five"));

    // Exclude is the mirror image.
    SelectLines(Dst, {0, 2});
    Click(Dialog.ExcludeBtn);
    EXPECT_EQ(Lines(Src), QStringList({"one", "three", "four", "alpha"}));
    EXPECT_EQ(Lines(Dst), QStringList({"beta", "two", "five"}));
    EXPECT_EQ(Selection(Dst), QList<int>({0}));
    EXPECT_TRUE(Dst->Focused());
    EXPECT_TRUE(ObjectsFollow(Src));
}

TEST_F(DualList, MovingEverythingKeepsTheOrderAndSwitchesTheButtons) {
    Click(Dialog.ExAllBtn);
    EXPECT_EQ(Lines(Src), QStringList({"one", "two", "three", "four", "five", "alpha", "beta"}));
    EXPECT_TRUE(Lines(Dst).isEmpty());
    EXPECT_EQ(Buttons(Dialog), QList<bool>({true, true, false, false}));
    EXPECT_TRUE(ObjectsFollow(Src));

    Click(Dialog.IncAllBtn);
    EXPECT_TRUE(Lines(Src).isEmpty());
    EXPECT_EQ(Lines(Dst), QStringList({"one", "two", "three", "four", "five", "alpha", "beta"}));
    EXPECT_EQ(Buttons(Dialog), QList<bool>({false, false, true, true}));
    EXPECT_TRUE(ObjectsFollow(Dst));
    EXPECT_EQ(Selection(Dst), QList<int>());
}

TEST_F(DualList, ADoubleClickMovesTheItemToTheOtherList) {
    QTest::mouseDClick(ListOf(Src)->viewport(), Qt::LeftButton, Qt::NoModifier, LinePos(Src, 2));
    EXPECT_EQ(Lines(Dst).last(), QStringLiteral("three"));
    EXPECT_EQ(Lines(Src), QStringList({"one", "two", "four", "five"}));

    QTest::mouseDClick(ListOf(Dst)->viewport(), Qt::LeftButton, Qt::NoModifier, LinePos(Dst, 0));
    EXPECT_EQ(Lines(Src).last(), QStringLiteral("alpha"));
    EXPECT_EQ(Lines(Dst), QStringList({"beta", "three"}));
    EXPECT_TRUE(ObjectsFollow(Src));
    EXPECT_TRUE(ObjectsFollow(Dst));
}

TEST_F(DualList, EmptyListsAndEmptySelectionsMoveNothing) {
    Click(Dialog.IncludeBtn);
    EXPECT_EQ(Lines(Src).size(), 5);
    EXPECT_EQ(Selection(Src), QList<int>({0})) << "the first item is selected for the next move";
    Click(Dialog.ExAllBtn);
    Click(Dialog.IncAllBtn);
    // What the disabled buttons would do on the empty list.
    Dialog.IncAllBtnClick(nullptr);
    Dialog.IncludeBtnClick(nullptr);
    Dialog.MoveWithinList(Src, 3);
    EXPECT_TRUE(Lines(Src).isEmpty());
    EXPECT_EQ(Lines(Dst).size(), 7);
    EXPECT_EQ(Dialog.GetFirstSelection(Src), -1);
    EXPECT_EQ(Buttons(Dialog), QList<bool>({false, false, true, true}));
}

TEST_F(DualList, CtrlUpAndDownReorderTheSelectedItemRoundTheEnds) {
    SelectLines(Src, {0});
    CtrlKey(Src, Qt::Key_Up);
    EXPECT_EQ(Lines(Src), QStringList({"two", "three", "four", "five", "one"}));
    EXPECT_EQ(Selection(Src), QList<int>({4}));
    CtrlKey(Src, Qt::Key_Down);
    EXPECT_EQ(Lines(Src), QStringList({"one", "two", "three", "four", "five"}));
    CtrlKey(Src, Qt::Key_Down);
    CtrlKey(Src, Qt::Key_Down);
    EXPECT_EQ(Lines(Src), QStringList({"two", "three", "one", "four", "five"}));
    EXPECT_EQ(Selection(Src), QList<int>({2}));
    EXPECT_EQ(Src->ItemIndex(), 2) << "the key was consumed, not also moving the cursor";
    EXPECT_TRUE(ObjectsFollow(Src));

    // Without Ctrl the list moves its cursor; with two items selected nothing moves.
    QTest::keyClick(ListOf(Src), Qt::Key_Down);
    EXPECT_EQ(Src->ItemIndex(), 3);
    SelectLines(Dst, {0, 1});
    CtrlKey(Dst, Qt::Key_Down);
    EXPECT_EQ(Lines(Dst), QStringList({"alpha", "beta"}));
}

// Dragging with the mouse, as the user does it.
class DualListDrag : public DualList {
protected:
    void Press(TListBox* Box, int Line) {
        QTest::mousePress(ListOf(Box)->viewport(), Qt::LeftButton, Qt::NoModifier,
                          LinePos(Box, Line));
    }
    void MoveTo(TListBox* Box, QPoint Pos) { QTest::mouseMove(ListOf(Box)->viewport(), Pos); }
    void Release(TListBox* Box, QPoint Pos) {
        QTest::mouseRelease(ListOf(Box)->viewport(), Qt::LeftButton, Qt::NoModifier, Pos);
    }
};

TEST_F(DualListDrag, OneItemGoesToTheOtherListWithTheSingleItemCursor) {
    Press(Src, 1);
    MoveTo(Src, LinePos(Src, 2));
    EXPECT_EQ(ShownCursor(), CursorToQt(crDrag));
    MoveTo(Dst, LinePos(Dst, 0));
    EXPECT_EQ(ShownCursor(), CursorToQt(crDrag));
    Release(Dst, LinePos(Dst, 0));
    EXPECT_EQ(Lines(Src), QStringList({"one", "three", "four", "five"}));
    EXPECT_EQ(Lines(Dst), QStringList({"alpha", "beta", "two"}));
    EXPECT_EQ(Selection(Src), QList<int>({1}));
    EXPECT_TRUE(ObjectsFollow(Dst));
}

TEST_F(DualListDrag, SeveralItemsGoOnlyToTheOtherListWithTheMultiItemCursor) {
    SelectLines(Dst, {0, 1});
    Press(Dst, 1);
    MoveTo(Dst, LinePos(Dst, 0));
    EXPECT_EQ(ShownCursor(), CursorToQt(crNoDrop)) << "refused by their own list";
    Release(Dst, LinePos(Dst, 0));
    EXPECT_EQ(Lines(Dst), QStringList({"alpha", "beta"}));

    SelectLines(Dst, {0, 1});
    Press(Dst, 1);
    MoveTo(Src, LinePos(Src, 1));
    EXPECT_EQ(ShownCursor(), CursorToQt(crMultiDrag));
    Release(Src, LinePos(Src, 1));
    EXPECT_TRUE(Lines(Dst).isEmpty());
    EXPECT_EQ(Lines(Src).mid(5), QStringList({"beta", "alpha"}));
    EXPECT_EQ(Buttons(Dialog), QList<bool>({true, true, false, false}));
}

TEST_F(DualListDrag, OneItemDroppedWithinItsListMovesToTheItemUnderTheDrop) {
    Press(Src, 0);
    MoveTo(Src, LinePos(Src, 3));
    EXPECT_EQ(ShownCursor(), CursorToQt(crDrag));
    Release(Src, LinePos(Src, 3));
    EXPECT_EQ(Lines(Src), QStringList({"two", "three", "four", "one", "five"}));
    EXPECT_EQ(Selection(Src), QList<int>({3}));

    // Below the last item it goes to the end.
    Press(Src, 1);
    MoveTo(Src, BelowLines(Src));
    Release(Src, BelowLines(Src));
    EXPECT_EQ(Lines(Src), QStringList({"two", "four", "one", "five", "three"}));
    EXPECT_TRUE(ObjectsFollow(Src));
}

TEST(DualListDialog, TheCallerFillsTheListsShowsTheDialogAndReadsThemBack) {
    TScriptedResponder responder;
    TKroDualListDlg dialog;
    dialog.SetCaption(QStringLiteral("Fields visibility"));
    dialog.SrcLabel->SetCaption(QStringLiteral("Visible fields"));
    dialog.DstLabel->SetCaption(QStringLiteral("Invisible fields"));
    dialog.DstList->Items()->Add(QStringLiteral("Photo"));
    dialog.SrcList->Items()->Add(QStringLiteral("Name"));
    dialog.SrcList->Items()->Add(QStringLiteral("Born"));

    QList<bool> shownButtons;
    responder.Answer([&](TForm*) {
        QApplication::setActiveWindow(dialog.Widget());
        QCoreApplication::processEvents();
        shownButtons = Buttons(dialog);
        dialog.SrcList->SetSelected(1, true);
        Click(dialog.IncludeBtn);
        Click(dialog.OkBtn);
    });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(shownButtons, QList<bool>({true, true, true, true})) << "set on activation";
    EXPECT_EQ(responder.Shown().first().Caption, QStringLiteral("Fields visibility"));
    EXPECT_EQ(Lines(dialog.SrcList), QStringList({"Name"}));
    EXPECT_EQ(Lines(dialog.DstList), QStringList({"Photo", "Born"}));

    responder.Answer([&](TForm*) { Click(dialog.CancelBtn); });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
}
