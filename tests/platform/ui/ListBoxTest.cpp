#include "TestForms.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <ui/StdCtrls.h>

namespace {

QListWidget* ListOf(TListBox* Box) {
    return qobject_cast<QListWidget*>(Box->Widget());
}

QWidget* Viewport(TListBox* Box) {
    return ListOf(Box)->viewport();
}

QPoint LinePos(TListBox* Box, int Line) {
    return ListOf(Box)->visualItemRect(ListOf(Box)->item(Line)).center();
}

void ClickLine(TListBox* Box, int Line, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
    QTest::mouseClick(Viewport(Box), Qt::LeftButton, Modifiers, LinePos(Box, Line));
}

QStringList Lines(TListBox* Box) {
    return Box->Items()->ToStringList();
}

// The selected lines, as the box and its widget say.
QList<int> Selection(TListBox* Box) {
    QList<int> selected;
    for (int i = 0; i < Box->Items()->Count(); ++i) {
        EXPECT_EQ(Box->Selected(i), ListOf(Box)->item(i)->isSelected()) << "line " << i;
        if (Box->Selected(i))
            selected.append(i);
    }
    EXPECT_EQ(Box->SelCount(), selected.size());
    return selected;
}

// The shape of the cursor shown above all windows, Qt::ArrowCursor when none.
Qt::CursorShape ShownCursor() {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::ArrowCursor;
}

// A shown form with two list boxes side by side, each with five lines.
class ListBoxes : public ::testing::Test {
protected:
    ListBoxes() {
        Form.SetBounds(100, 100, 400, 260);
        Src->SetBounds(8, 24, 161, 185);
        Dst->SetBounds(208, 24, 161, 185);
        for (TListBox* box : {Src, Dst}) {
            box->SetParent(&Form);
            for (const char* line : {"one", "two", "three", "four", "five"})
                box->Items()->Add(QStringLiteral("%1 %2").arg(box == Src ? 's' : 'd').arg(line));
            box->SetOnClick(TNotifyEvent([this](TObject*) { ++Clicks; }));
        }
        Form.Show();
        Activate(&Form);
    }

    TForm Form;
    TListBox* Src = new TListBox(&Form);
    TListBox* Dst = new TListBox(&Form);
    int Clicks = 0;
};

} // namespace

TEST_F(ListBoxes, OneLineIsSelectedByMouseKeysOrItemIndex) {
    ClickLine(Src, 2);
    EXPECT_EQ(Src->ItemIndex(), 2);
    EXPECT_EQ(Selection(Src), QList<int>({2}));
    EXPECT_EQ(Clicks, 1);
    QTest::keyClick(ListOf(Src), Qt::Key_Down);
    EXPECT_EQ(Src->ItemIndex(), 3);
    EXPECT_EQ(Selection(Src), QList<int>({3}));
    EXPECT_EQ(Clicks, 2);
    ClickLine(Src, 3);
    EXPECT_EQ(Clicks, 2) << "the selection did not change";

    Src->SetItemIndex(0);
    EXPECT_EQ(Selection(Src), QList<int>({0}));
    EXPECT_EQ(ListOf(Src)->currentRow(), 0);
    EXPECT_EQ(Clicks, 2) << "setting is no click";
    Src->SetSelected(4, true);
    EXPECT_EQ(Src->ItemIndex(), 4);
    Src->SetSelected(4, false);
    EXPECT_EQ(Src->ItemIndex(), -1);
    EXPECT_TRUE(Selection(Src).isEmpty());
    EXPECT_THROW(Src->SetItemIndex(5), EListError);
    EXPECT_THROW(Src->Selected(-1), EListError);

    int doubleClicks = 0;
    Src->SetOnDblClick(TNotifyEvent([&doubleClicks](TObject*) { ++doubleClicks; }));
    QTest::mouseDClick(Viewport(Src), Qt::LeftButton, Qt::NoModifier, LinePos(Src, 1));
    EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ListBoxes, MultiSelectKeepsSeveralLinesSelected) {
    Src->SetMultiSelect(true);
    ClickLine(Src, 1);
    ClickLine(Src, 3, Qt::ControlModifier);
    EXPECT_EQ(Selection(Src), QList<int>({1, 3}));
    EXPECT_EQ(Src->ItemIndex(), 3) << "the line with the focus";
    EXPECT_EQ(Clicks, 2);
    ClickLine(Src, 1, Qt::ControlModifier);
    EXPECT_EQ(Selection(Src), QList<int>({3}));
    ClickLine(Src, 0);
    EXPECT_EQ(Selection(Src), QList<int>({0}));

    Src->SetItemIndex(2);
    EXPECT_EQ(Selection(Src), QList<int>({0})) << "the focus moves, the selection stays";
    Src->SetSelected(4, true);
    EXPECT_EQ(Selection(Src), QList<int>({0, 4}));

    // Without ExtendedSelect every click toggles its line.
    Src->SetExtendedSelect(false);
    ClickLine(Src, 2);
    ClickLine(Src, 0);
    EXPECT_EQ(Selection(Src), QList<int>({2, 4}));

    // Back to one line: the one with the focus when it is selected.
    Src->SetItemIndex(4);
    Src->SetMultiSelect(false);
    EXPECT_EQ(Selection(Src), QList<int>({4}));
    EXPECT_EQ(Src->ItemIndex(), 4);
}

TEST_F(ListBoxes, TheSelectionStaysWithItsLinesThroughChanges) {
    Src->SetMultiSelect(true);
    Src->SetSelected(1, true);
    Src->SetSelected(3, true);
    Src->SetItemIndex(3);
    TStrings* items = Src->Items();
    QObject tag;
    items->SetObjects(1, &tag);

    items->Insert(0, QStringLiteral("new"));
    EXPECT_EQ(Selection(Src), QList<int>({2, 4}));
    EXPECT_EQ(Src->ItemIndex(), 4);
    items->Delete(2);
    EXPECT_EQ(Selection(Src), QList<int>({3}));
    items->Move(3, 0);
    EXPECT_EQ(Selection(Src), QList<int>({0}));
    EXPECT_EQ(Lines(Src), QStringList({"s four", "new", "s one", "s three", "s five"}));
    EXPECT_EQ(Src->ItemIndex(), 0);
    items->SetStrings(0, QStringLiteral("renamed"));
    EXPECT_EQ(ListOf(Src)->item(0)->text(), QStringLiteral("renamed"));
    EXPECT_EQ(Selection(Src), QList<int>({0}));

    items->BeginUpdate();
    items->Add(QStringLiteral("six"));
    items->Move(0, 5);
    items->EndUpdate();
    EXPECT_EQ(ListOf(Src)->count(), 6);
    EXPECT_EQ(ListOf(Src)->item(5)->text(), QStringLiteral("renamed"));
    EXPECT_EQ(Selection(Src), QList<int>({5}));
    EXPECT_EQ(items->IndexOfObject(&tag), -1) << "the tagged line was deleted";

    Src->Clear();
    EXPECT_EQ(ListOf(Src)->count(), 0);
    EXPECT_EQ(Src->ItemIndex(), -1);
    EXPECT_EQ(Src->SelCount(), 0);
    EXPECT_THROW(items->Insert(1, QStringLiteral("x")), EListError);
}

TEST(ListBox, LinesAndSelectionSetBeforeTheWidgetAreShown) {
    TListBox box;
    box.SetSorted(true);
    for (const char* line : {"b", "C", "a", "B"})
        box.Items()->Add(QString::fromLatin1(line));
    EXPECT_EQ(Lines(&box), QStringList({"a", "b", "B", "C"})) << "in order, equal ones as added";
    box.SetItemIndex(2);
    EXPECT_FALSE(box.HandleAllocated());
    EXPECT_EQ(ListOf(&box)->count(), 4);
    EXPECT_EQ(ListOf(&box)->item(3)->text(), QStringLiteral("C"));
    EXPECT_EQ(Selection(&box), QList<int>({2}));

    TListBox unsorted;
    for (const char* line : {"z", "y", "x"})
        unsorted.Items()->Add(QString::fromLatin1(line));
    unsorted.SetItemIndex(0);
    unsorted.SetSorted(true);
    EXPECT_EQ(Lines(&unsorted), QStringList({"x", "y", "z"}));
    EXPECT_EQ(unsorted.ItemIndex(), 2) << "the selected line keeps the selection";
}

TEST_F(ListBoxes, TopIndexAndItemAtPosAddressLinesInView) {
    for (int i = 0; i < 45; ++i)
        Src->Items()->Add(QString::number(i));
    Src->SetTopIndex(10);
    EXPECT_EQ(Src->TopIndex(), 10);
    EXPECT_EQ(Src->ItemAtPos(QPoint(5, 2), true), 10);
    EXPECT_EQ(Src->ItemAtPos(LinePos(Src, 12), true), 12);

    const QPoint below(5, Viewport(Dst)->height() - 2);
    EXPECT_EQ(Dst->ItemAtPos(below, true), -1);
    EXPECT_EQ(Dst->ItemAtPos(below, false), 5);
}

// Dragging between and within the two boxes, as the mouse does it.
class ListDrag : public ListBoxes {
protected:
    ListDrag() {
        for (TListBox* box : {Src, Dst}) {
            box->SetMultiSelect(true);
            box->SetDragMode(dmAutomatic);
            box->SetOnDragOver(TDragOverEvent([this](TObject* Sender, TObject* Source, int X, int Y,
                                                     TDragState State, bool& Accept) {
                Log << QStringLiteral("%1 %2 %3")
                           .arg(NameOf(Sender), EnumName(State), NameOf(Source));
                Accept = Accepts(static_cast<TListBox*>(Sender), Source, QPoint(X, Y));
            }));
            box->SetOnDragDrop(TDragDropEvent([this](TObject* Sender, TObject* Source, int X,
                                                     int Y) {
                Log << QStringLiteral("%1 drop %2").arg(NameOf(Sender), NameOf(Source));
                Drop(static_cast<TListBox*>(Sender), static_cast<TListBox*>(Source), QPoint(X, Y));
            }));
            box->SetOnStartDrag(
                TNotifyEvent([this](TObject* Sender) { Log << NameOf(Sender) + " start"; }));
            box->SetOnEndDrag(TEndDragEvent([this](TObject* Sender, TObject* Target, int, int) {
                Log << QStringLiteral("%1 end %2").arg(NameOf(Sender), NameOf(Target));
            }));
        }
        Log.clear();
    }

    QString NameOf(TObject* Object) const {
        return Object == Src   ? QStringLiteral("src")
               : Object == Dst ? QStringLiteral("dst")
                               : QStringLiteral("none");
    }

    // One line goes anywhere, several to the other box only.
    bool Accepts(TListBox* Target, TObject* Source, QPoint) {
        auto* source = qobject_cast<TListBox*>(Source);
        return AcceptAll && source && (source != Target || source->SelCount() == 1);
    }

    // From the other box the selected lines are appended; within one box the line moves
    // to the line dropped on.
    void Drop(TListBox* Target, TListBox* Source, QPoint Pos) {
        if (Source == Target) {
            const int to = Target->ItemAtPos(Pos, true);
            Target->Items()->Move(Target->ItemIndex(), to < 0 ? Target->Items()->Count() - 1 : to);
            return;
        }
        for (int i = Source->Items()->Count() - 1; i >= 0; --i)
            if (Source->Selected(i)) {
                Target->Items()->Add(Source->Items()->Strings(i));
                Source->Items()->Delete(i);
            }
    }

    void Press(TListBox* Box, int Line, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::mousePress(Viewport(Box), Qt::LeftButton, Modifiers, LinePos(Box, Line));
    }
    void MoveOver(TListBox* Box, int Line) { QTest::mouseMove(Viewport(Box), LinePos(Box, Line)); }
    void Release(TListBox* Box, int Line) {
        QTest::mouseRelease(Viewport(Box), Qt::LeftButton, Qt::NoModifier, LinePos(Box, Line));
    }

    bool AcceptAll = true;
    QStringList Log;
};

TEST_F(ListDrag, ALineDraggedToTheOtherBoxMovesThere) {
    Press(Src, 1);
    EXPECT_TRUE(Src->Dragging()) << "waiting for the mouse to move";
    EXPECT_TRUE(Log.isEmpty());
    MoveOver(Src, 2);
    EXPECT_EQ(ShownCursor(), CursorToQt(crDrag));
    MoveOver(Dst, 0);
    MoveOver(Dst, 1);
    EXPECT_EQ(ShownCursor(), CursorToQt(crDrag));
    EXPECT_EQ(Selection(Src), QList<int>({1})) << "moving with the button down selects nothing";
    Release(Dst, 1);

    EXPECT_EQ(Log, QStringList({"src start", "src dsDragEnter src", "src dsDragLeave src",
                                "dst dsDragEnter src", "dst dsDragMove src", "dst drop src",
                                "src end dst"}));
    EXPECT_EQ(Lines(Src), QStringList({"s one", "s three", "s four", "s five"}));
    EXPECT_EQ(Lines(Dst).last(), QStringLiteral("s two"));
    EXPECT_FALSE(Src->Dragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ListDrag, SeveralLinesShowTheMultiDragCursorAndStayOutOfTheirOwnBox) {
    ClickLine(Src, 1);
    ClickLine(Src, 3, Qt::ControlModifier);
    Press(Src, 3);
    MoveOver(Src, 4);
    EXPECT_EQ(ShownCursor(), CursorToQt(crNoDrop));
    MoveOver(Dst, 2);
    EXPECT_EQ(ShownCursor(), CursorToQt(crMultiDrag));
    EXPECT_EQ(Selection(Src), QList<int>({1, 3})) << "pressing a selected line keeps the others";
    Release(Dst, 2);
    EXPECT_EQ(Lines(Dst).mid(5), QStringList({"s four", "s two"}));

    // Dropped on its own box, the drag is refused.
    ClickLine(Dst, 0);
    ClickLine(Dst, 1, Qt::ControlModifier);
    Log.clear();
    Press(Dst, 1);
    MoveOver(Dst, 4);
    Release(Dst, 4);
    EXPECT_EQ(Log, QStringList({"dst start", "dst dsDragEnter dst", "dst dsDragLeave dst",
                                "dst end none"}));
    EXPECT_EQ(Lines(Dst).first(), QStringLiteral("d one"));
}

TEST_F(ListDrag, ALineDraggedWithinItsBoxMovesToTheLineDroppedOn) {
    Press(Src, 0);
    MoveOver(Src, 3);
    EXPECT_EQ(ShownCursor(), CursorToQt(crDrag));
    Release(Src, 3);
    EXPECT_EQ(Lines(Src), QStringList({"s two", "s three", "s four", "s one", "s five"}));
    EXPECT_EQ(Selection(Src), QList<int>({3}));
}

TEST_F(ListDrag, RefusedOrCancelledDragsDropNothing) {
    AcceptAll = false;
    Press(Src, 0);
    MoveOver(Dst, 0);
    EXPECT_EQ(ShownCursor(), CursorToQt(crNoDrop));
    Release(Dst, 0);
    EXPECT_EQ(Log.last(), QStringLiteral("src end none"));
    EXPECT_FALSE(Log.contains(QStringLiteral("dst drop src")));

    AcceptAll = true;
    Log.clear();
    Press(Src, 0);
    MoveOver(Dst, 0);
    QTest::keyClick(ListOf(Src), Qt::Key_Escape);
    EXPECT_FALSE(Src->Dragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Log.mid(Log.size() - 2), QStringList({"dst dsDragLeave src", "src end none"}));
    Release(Dst, 0);
    EXPECT_EQ(Lines(Src).size(), 5);
    EXPECT_EQ(Lines(Dst).size(), 5);
}

TEST_F(ListDrag, APressWithoutMovingIsAClick) {
    ClickLine(Src, 1);
    ClickLine(Src, 2, Qt::ControlModifier);
    ClickLine(Src, 2);
    EXPECT_TRUE(Log.isEmpty());
    EXPECT_FALSE(Src->Dragging());
    EXPECT_EQ(Selection(Src), QList<int>({2})) << "the click selects the pressed line only";

    // A manual drag begins at once and ends when told.
    Dst->SetDragMode(dmManual);
    Dst->BeginDrag(true);
    EXPECT_TRUE(Dst->Dragging());
    Dst->EndDrag(false);
    EXPECT_FALSE(Dst->Dragging());
    EXPECT_EQ(Log.first(), QStringLiteral("dst start"));
    EXPECT_EQ(Log.last(), QStringLiteral("dst end none"));
}
