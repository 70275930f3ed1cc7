#include "TestForms.h"

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <ui/Grids.h>
#include <ui/Screen.h>

namespace {

// A grid of texts, edited in place; cells of column 2 pick from a list.
class TTextGrid : public TCustomGrid {
public:
    explicit TTextGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
        SetColCount(4);
        SetRowCount(30);
        SetDefaultRowHeight(20);
        SetDefaultColWidth(60);
        SetGridOptions(GridOptions() + TGridOptions{goEditing, goColSizing});
    }
    QString Cell(int ACol, int ARow) const { return FCells.value({ACol, ARow}); }
    QStringList Drawn;
    using TCustomGrid::VerticalScrollBar;

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override {
        TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
        if (AState.Contains(gdFocused))
            Drawn.append(QStringLiteral("focused %1,%2").arg(ACol).arg(ARow));
    }
    QString GetEditText(int ACol, int ARow) override { return Cell(ACol, ARow); }
    void SetEditText(int ACol, int ARow, const QString& Value) override {
        FCells[{ACol, ARow}] = Value;
    }
    TEditStyle GetEditStyle(int ACol, int) override { return ACol == 2 ? esPickList : esSimple; }
    QStringList GetPickList(int, int) override { return PickList; }

public:
    QStringList PickList{"red", "green", "blue"};
    using TCustomGrid::TabStopBeside;

private:
private:
    QMap<std::pair<int, int>, QString> FCells;
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Grid = new TTextGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 300, 200);
        Form.Show();
        Activate(&Form);
        Grid->SetFocus();
        ProcessEvents();
    }
    static void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), K, Modifiers);
    }

    TForm Form;
    TTextGrid* Grid = nullptr;
};

} // namespace

TEST_F(GridTest, CellsLieInRowsAndColumnsAfterTheFixedOnes) {
    // Column 0 and row 0 are fixed; every cell is followed by a 1-pixel line.
    EXPECT_EQ(Grid->CellRect(0, 0), QRect(0, 0, 60, 20));
    EXPECT_EQ(Grid->CellRect(2, 3), QRect(122, 63, 60, 20));
    EXPECT_EQ(Grid->MouseCoord(130, 70), (TGridCoord{2, 3}));
    EXPECT_EQ(Grid->MouseCoord(182, 70), (TGridCoord{2, 3})) << "the line after a cell";
    EXPECT_EQ(Grid->MouseCoord(290, 70), TGridCoord{}) << "beyond the last column";
    const int rows = Grid->VisibleRowCount();
    EXPECT_EQ(rows, (Grid->ClientRect().height() - 20) / 21);
    EXPECT_TRUE(Grid->CellRect(1, rows + 2).isEmpty());

    EXPECT_THROW(Grid->SetFixedCols(4), EInvalidOperation);
    EXPECT_THROW(Grid->ColWidths(9), EInvalidOperation);
    EXPECT_EQ(Grid->FixedCols(), 1);
}

TEST_F(GridTest, KeysMoveTheCurrentCellAndScrollItIntoView) {
    EXPECT_EQ(Grid->Col(), 1);
    EXPECT_EQ(Grid->Row(), 1);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{2, 2}));
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{3, 29}));
    EXPECT_EQ(Grid->TopRow(), 30 - Grid->VisibleRowCount());
    EXPECT_EQ(Grid->VerticalScrollBar()->value(), Grid->TopRow() - 1);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Grid->Row(), 29 - Grid->VisibleRowCount());
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ((TGridCoord{Grid->Col(), Grid->Row()}), (TGridCoord{1, 1}));
    EXPECT_EQ(Grid->TopRow(), 1);

    ProcessEvents();
    Grid->Drawn.clear();
    Grid->Widget()->repaint();
    Grid->Drawn.removeDuplicates();
    EXPECT_EQ(Grid->Drawn, QStringList({"focused 1,1"})) << "only the current cell is focused";

    Grid->SetTopRow(10);
    EXPECT_EQ(Grid->VerticalScrollBar()->value(), 9);
    Grid->SetTopRow(100);
    EXPECT_EQ(Grid->TopRow(), 30 - Grid->VisibleRowCount()) << "the grid stays filled";
}

TEST_F(GridTest, TypingEditsTheCellInPlace) {
    QTest::keyClicks(Grid->Widget(), QStringLiteral("a"));
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->Visible());
    EXPECT_TRUE(Grid->EditorMode());
    // Over the cell, inside the grid's frame.
    const int frame = 2; // the width of a bsSingle border
    EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(1, 1).translated(frame, frame));
    Key(Qt::Key_B);
    EXPECT_EQ(Grid->Cell(1, 1), QStringLiteral("ab"));
    EXPECT_EQ(editor->EditText(), QStringLiteral("ab"));

    // The editor follows the current cell and loads its text.
    Key(Qt::Key_Down);
    EXPECT_EQ(editor->BoundsRect(), Grid->CellRect(1, 2).translated(frame, frame));
    EXPECT_EQ(editor->Text(), QString());
    Key(Qt::Key_Up);
    EXPECT_EQ(editor->Text(), QStringLiteral("ab"));
    EXPECT_FALSE(editor->Modified());

    Key(Qt::Key_Escape);
    EXPECT_FALSE(editor->Visible());
    EXPECT_TRUE(Grid->Focused());
    Key(Qt::Key_F2);
    EXPECT_TRUE(editor->Visible());
    EXPECT_EQ(editor->SelLength(), 2) << "the text is selected";
}

TEST_F(GridTest, APickListIsChosenFromWithTheMouse) {
    Key(Qt::Key_Right);
    Key(Qt::Key_F2);
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->Visible());
    EXPECT_EQ(editor->EditStyle(), esPickList);
    Key(Qt::Key_F4);
    QListWidget* list = editor->ListWidget();
    ASSERT_TRUE(editor->ListVisible());
    EXPECT_EQ(list->count(), 3);
    const QRect item = list->visualItemRect(list->item(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(Grid->Cell(2, 1), QStringLiteral("green"));

    Key(Qt::Key_F4);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(Grid->Cell(2, 1), QStringLiteral("green")) << "Escape takes nothing";
}

TEST_F(GridTest, TabStopsOnlyAtTabStopColumnsAndWrapsToTheNextRow) {
    Grid->SetGridOptions(Grid->GridOptions() + TGridOptions{goTabs});
    Grid->SetTabStops(2, false);
    EXPECT_FALSE(Grid->TabStops(2));
    EXPECT_TRUE(Grid->TabStops(3)) << "columns are tab stops until told otherwise";
    EXPECT_THROW(Grid->SetTabStops(4, false), EInvalidOperation);
    EXPECT_EQ(Grid->TabStopBeside(-1, true), 1);
    EXPECT_EQ(Grid->TabStopBeside(4, false), 3);

    auto cell = [this] { return TGridCoord{Grid->Col(), Grid->Row()}; };
    Key(Qt::Key_Tab);
    EXPECT_EQ(cell(), (TGridCoord{3, 1})) << "column 2 is passed over";
    Key(Qt::Key_Tab);
    EXPECT_EQ(cell(), (TGridCoord{1, 2}));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(cell(), (TGridCoord{3, 1}));
    // A Tab posted for the grid (Enter turned into Tab) moves the same way.
    Grid->PostKeyDown(VK_TAB, {ssShift});
    ProcessEvents();
    EXPECT_EQ(cell(), (TGridCoord{1, 1}));
    EXPECT_TRUE(Grid->Focused());

    // With one tab stop the row's end wraps to it; the arrows still reach every column.
    Grid->SetTabStops(1, false);
    Key(Qt::Key_Tab);
    EXPECT_EQ(cell(), (TGridCoord{3, 1}));
    Key(Qt::Key_Tab);
    EXPECT_EQ(cell(), (TGridCoord{3, 2}));
    Key(Qt::Key_Left);
    EXPECT_EQ(cell(), (TGridCoord{2, 2}));
}

namespace {

// An editor that hands the cells of column 3 to another control, as a grid with editors
// of its own does.
class THandingEditor : public TInplaceEdit {
public:
    THandingEditor(TComponent* AOwner, TEdit* Other) : TInplaceEdit(AOwner), FOther(Other) {}
    void UpdateContents() override {
        TInplaceEdit::UpdateContents();
        if (Grid()->Col() != 3)
            return;
        Grid()->SetEditorMode(false);
        FOther->Show();
        FOther->SetFocus();
    }

private:
    TEdit* FOther;
};

class THandingGrid : public TTextGrid {
public:
    THandingGrid(TComponent* AOwner, TEdit* Other) : TTextGrid(AOwner), FOther(Other) {}

protected:
    TInplaceEdit* CreateEditor() override { return new THandingEditor(this, FOther); }

private:
    TEdit* FOther;
};

} // namespace

TEST(GridEditor, AnEditorTurningEditorModeOffIsNeitherShownNorFocused) {
    TForm form;
    auto* other = new TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(0, 220, 100, 20);
    other->Hide();
    auto* grid = new THandingGrid(&form, other);
    grid->SetParent(&form);
    grid->SetBounds(0, 0, 300, 200);
    form.Show();
    Activate(&form);
    grid->SetFocus();
    ProcessEvents();
    auto shown = [grid] { return grid->InplaceEditor() && grid->InplaceEditor()->Visible(); };

    // The editor shows over column 1, then moving on to column 3 hands the cell over.
    QTest::keyClick(grid->Widget(), Qt::Key_F2);
    ASSERT_TRUE(shown());
    grid->SetCol(3);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(other->Focused());

    // Opening the editor on column 3, by F2 or by typing, does the same.
    other->Hide();
    grid->SetFocus();
    QTest::keyClick(grid->Widget(), Qt::Key_F2);
    EXPECT_FALSE(shown());
    EXPECT_TRUE(other->Visible() && other->Focused());
    other->Hide();
    grid->SetFocus();
    QTest::keyClicks(grid->Widget(), QStringLiteral("x"));
    EXPECT_FALSE(shown());
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(grid->Cell(3, 1), QString()) << "the typed character went nowhere";
}

TEST_F(GridTest, TypingInThePickListSelectsTheItemBeginningSo) {
    qint64 now = 100000;
    Key(Qt::Key_Right);
    Key(Qt::Key_F2);
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->Visible());
    editor->PickListSearch().SetClock([&now] { return now; });
    Key(Qt::Key_F4);
    QListWidget* list = editor->ListWidget();
    ASSERT_TRUE(editor->ListVisible());
    auto type = [&](const QString& Text) {
        for (const QChar c : Text) {
            QTest::keyClicks(list, QString(c));
            now += 500;
        }
    };
    auto current = [list] { return list->currentItem()->text(); };

    type(QStringLiteral("B"));
    EXPECT_EQ(current(), QStringLiteral("blue")) << "ignoring case";
    type(QStringLiteral("r"));
    EXPECT_EQ(current(), QStringLiteral("blue")) << "no item begins with \"br\"";
    now += TIncrementalSearch::ResetMs;
    type(QStringLiteral("r"));
    EXPECT_EQ(current(), QStringLiteral("red")) << "after a pause the search starts afresh";
    type(QStringLiteral("g"));
    EXPECT_EQ(current(), QStringLiteral("red"));
    QTest::keyClick(list, Qt::Key_Backspace);
    type(QStringLiteral("g"));
    EXPECT_EQ(current(), QStringLiteral("green")) << "Backspace forgets what was typed";
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(Grid->Cell(2, 1), QStringLiteral("green"));

    // The search text stops growing at 32 characters.
    const QString a32(32, QLatin1Char('a'));
    Grid->PickList = {a32 + QLatin1Char('b'), a32 + QLatin1Char('a')};
    Grid->InvalidateEditor();
    Key(Qt::Key_F4);
    type(a32 + QLatin1Char('a'));
    EXPECT_EQ(editor->PickListSearch().Text(), a32);
    EXPECT_EQ(list->currentRow(), 0);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(editor->PickListSearch().Text().isEmpty()) << "Escape forgets it too";
}

TEST_F(GridTest, TheScrollBarIsAsWideAsTheScreenSays) {
    const QScrollBar* bar = Grid->VerticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->width(), Screen()->VScrollBarWidth());
    EXPECT_GT(Screen()->VScrollBarWidth(), 0);
}
