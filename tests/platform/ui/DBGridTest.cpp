#include "GridDatabase.h"
#include "TestForms.h"

#include <QApplication>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <db/DataSource.h>
#include <db/DbClasses.h>
#include <db/Field.h>
#include <gtest/gtest.h>
#include <rtl/Streaming.h>
#include <rtl/Strings.h>
#include <ui/DBGrids.h>
#include <ui/ScriptedResponder.h>

namespace {

constexpr int PeopleRows = 50;

// A shown, active form with a grid over the People table, the grid focused on the Name
// column of the first record.
class DBGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        Table = Db.NewTable(&Form);
        Source = new TDataSource(&Form);
        Source->SetDataSet(Table);
        Grid = new TDBGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(0, 0, 420, 220);
        Grid->SetDataSource(Source);
        Table->Open();
        Form.Show();
        Activate(&Form);
        Grid->SetFocus();
        ProcessEvents();
        Grid->SetSelectedIndex(1);
    }

    // A key to whatever has the focus: the grid or its editor.
    static void Key(Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), K, Modifiers);
    }
    // Each character to the widget focused at the time: the first may open the editor.
    static void Type(const QString& Text) {
        for (const QChar c : Text)
            QTest::keyClicks(QApplication::focusWidget(), QString(c));
    }

    QString Name() const { return Table->FieldByName(QStringLiteral("Name"))->AsString(); }
    // The names the grid draws, row by row, collected while it paints.
    QStringList PaintedNames() {
        QStringList names;
        Grid->SetOnDrawColumnCell(
            TDrawColumnCellEvent([&](TObject*, const QRect&, int, TColumn* Column, TGridDrawState) {
                if (Column->FieldName() == QLatin1String("Name"))
                    names.append(Column->Field()->DisplayText());
            }));
        Grid->Widget()->repaint();
        Grid->SetOnDrawColumnCell(nullptr);
        return names;
    }
    int DataRows() const { return Grid->RowCount() - Grid->FixedRows(); }
    bool EditorShown() const { return Grid->InplaceEditor() && Grid->InplaceEditor()->Visible(); }

    TGridDatabase Db{PeopleRows};
    TForm Form;
    TTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBGrid* Grid = nullptr;
};

} // namespace

TEST_F(DBGridTest, DefaultColumnsFollowTheFieldsAndRowsFillTheClientArea) {
    TDBGridColumns* columns = Grid->Columns();
    EXPECT_EQ(columns->State(), csDefault);
    ASSERT_EQ(columns->Count(), 4);
    EXPECT_EQ(columns->Items(1)->FieldName(), QStringLiteral("Name"));
    EXPECT_EQ(columns->Items(1)->Title()->Caption(), QStringLiteral("Name"));
    EXPECT_EQ(columns->Items(3)->Alignment(), taRightJustify) << "a numeric field's alignment";
    EXPECT_EQ(Grid->ColCount(), 5);
    EXPECT_EQ(Grid->FixedCols(), 1);
    EXPECT_EQ(Grid->FixedRows(), 1);
    EXPECT_EQ(Grid->SelectedField(), Table->FieldByName(QStringLiteral("Name")));

    // One buffered record per whole row that fits; the rows shown are the first ones.
    const int rows = Grid->DataLink()->BufferCount();
    EXPECT_GT(rows, 3);
    EXPECT_EQ(DataRows(), rows);
    EXPECT_EQ(Grid->VisibleRowCount(), rows);
    const QRect last = Grid->CellRect(1, Grid->FixedRows() + rows - 1);
    EXPECT_LE(last.bottom(), Grid->ClientRect().bottom());
    EXPECT_EQ(PaintedNames().mid(0, 2), QStringList({"Person 0001", "Person 0002"}));

    // A display label given later reaches the title; hiding a field drops its column.
    Table->FieldByName(QStringLiteral("Name"))->SetDisplayLabel(QStringLiteral("Person"));
    EXPECT_EQ(columns->Items(1)->Title()->Caption(), QStringLiteral("Person"));
    Grid->BeginLayout();
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgIndicator});
    EXPECT_EQ(Grid->IndicatorOffset(), 1) << "the layout waits for EndLayout";
    Grid->EndLayout();
    EXPECT_EQ(Grid->IndicatorOffset(), 0);
    EXPECT_EQ(Grid->ColCount(), 4);
}

TEST_F(DBGridTest, PaintingReadsTheBuffersWithoutMovingTheDataSet) {
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    ASSERT_EQ(Table->RecNo(), 3);
    const QStringList names = PaintedNames();
    ASSERT_EQ(names.size(), DataRows());
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(names[i], QStringLiteral("Person %1").arg(i + 1, 4, 10, QLatin1Char('0')));
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(Name(), QStringLiteral("Person 0003"));
    EXPECT_EQ(Grid->Row(), Grid->FixedRows() + 2);
}

TEST_F(DBGridTest, ArrowPageHomeAndEndKeysMoveRecordsAndColumns) {
    const int page = Grid->VisibleRowCount();
    Key(Qt::Key_Down);
    EXPECT_EQ(Table->RecNo(), 2);
    Key(Qt::Key_Up);
    EXPECT_EQ(Table->RecNo(), 1);
    Key(Qt::Key_Up);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_TRUE(Table->Bof());

    Key(Qt::Key_PageDown);
    EXPECT_EQ(Table->RecNo(), 1 + page);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Table->RecNo(), 1 + 2 * page);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Table->RecNo(), 1 + page);

    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    Key(Qt::Key_End);
    EXPECT_EQ(Grid->SelectedIndex(), 3);
    Key(Qt::Key_Home);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(Table->RecNo(), 1 + page) << "Home and End stay in the record";

    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_TRUE(Table->Eof());
    EXPECT_EQ(Name(), QStringLiteral("Person 0050"));
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_TRUE(Table->Bof());
    EXPECT_EQ(Name(), QStringLiteral("Person 0001"));
}

TEST_F(DBGridTest, TabWalksTheColumnsAndWrapsToTheNextRecord) {
    int entered = 0, exited = 0;
    Grid->SetOnColEnter(TNotifyEvent([&](TObject*) { ++entered; }));
    Grid->SetOnColExit(TNotifyEvent([&](TObject*) { ++exited; }));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(exited, 1);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(Table->RecNo(), 2);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->SelectedIndex(), 3);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_TRUE(Grid->Focused()) << "Tab stays in the grid";

    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgTabs});
    auto* other = new TEdit(&Form);
    other->SetParent(&Form);
    other->SetTop(240);
    Key(Qt::Key_Tab);
    ProcessEvents();
    EXPECT_TRUE(other->Focused()) << "without dgTabs Tab leaves the grid";
}

TEST_F(DBGridTest, TabPassesOverColumnsThatCannotBeEdited) {
    Grid->Columns()->Items(2)->SetReadOnly(true);
    Table->FieldByName(QStringLiteral("Salary"))->SetReadOnly(true);
    Grid->LayoutChanged();
    EXPECT_FALSE(Grid->TabStops(Grid->IndicatorOffset() + 2)) << "a read-only column";
    EXPECT_FALSE(Grid->TabStops(Grid->IndicatorOffset() + 3)) << "a read-only field";

    Key(Qt::Key_Tab);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(Table->RecNo(), 2) << "from Name on to the next record's Id";
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(Grid->SelectedIndex(), 1);
    EXPECT_EQ(Table->RecNo(), 1);
    // Enter turned into Tab is a posted Tab: it passes over them too.
    Grid->PostKeyDown(VK_TAB);
    ProcessEvents();
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(Table->RecNo(), 2);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(Grid->SelectedIndex(), 2) << "the arrows still reach them";

    Grid->Columns()->Items(2)->SetReadOnly(false);
    EXPECT_TRUE(Grid->TabStops(Grid->IndicatorOffset() + 2));
}

TEST_F(DBGridTest, LastShowsTheLastRowsWithTheScrollBarAtTheEnd) {
    const QScrollBar* bar = Grid->Widget()->findChild<QScrollBar*>();
    ASSERT_TRUE(bar);
    const QScrollBar* vertical = bar->orientation() == Qt::Vertical
                                     ? bar
                                     : Grid->Widget()->findChildren<QScrollBar*>().last();
    EXPECT_EQ(vertical->value(), 0);
    EXPECT_EQ(vertical->maximum(), PeopleRows - 1) << "positions of a small table";

    Table->Last();
    EXPECT_EQ(Grid->TopRow(), Grid->FixedRows());
    EXPECT_EQ(Grid->Row(), Grid->FixedRows() + Grid->VisibleRowCount() - 1);
    const QStringList names = PaintedNames();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.last(), QStringLiteral("Person 0050"));
    EXPECT_EQ(names.size(), Grid->VisibleRowCount());
    EXPECT_EQ(vertical->value(), vertical->maximum());

    Key(Qt::Key_PageUp);
    EXPECT_EQ(vertical->value(), PeopleRows - 1 - Grid->VisibleRowCount());
    EXPECT_EQ(Grid->Row(), Grid->FixedRows()) << "the window scrolled a whole page";
}

namespace {

// Turns the mouse wheel over Widget by Notches notches, away from the user when positive.
void Wheel(QWidget* Widget, int Notches) {
    const QPoint pos = Widget->rect().center();
    QWheelEvent event(pos, Widget->mapToGlobal(pos), QPoint(),
                      QPoint(0, Notches * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Widget, &event);
}

} // namespace

TEST_F(DBGridTest, EachWheelNotchMovesTheCurrentRecordByOne) {
    Wheel(Grid->Widget(), -1);
    EXPECT_EQ(Table->RecNo(), 2);
    Wheel(Grid->Widget(), -3);
    EXPECT_EQ(Table->RecNo(), 5);
    Wheel(Grid->Widget(), 2);
    EXPECT_EQ(Table->RecNo(), 3);

    // Over the scroll bar the same: one record a notch.
    QWidget* bar = Grid->Widget()->childAt(Grid->Widget()->width() - 5, 50);
    ASSERT_TRUE(qobject_cast<QScrollBar*>(bar));
    Wheel(bar, -1);
    EXPECT_EQ(Table->RecNo(), 4);
    Wheel(bar, 1);
    EXPECT_EQ(Table->RecNo(), 3);

    // The wheel stops at the last record and appends none.
    Table->Last();
    Wheel(Grid->Widget(), -2);
    EXPECT_EQ(Table->RecNo(), PeopleRows);
    EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(DBGridTest, TypingEditsTheCellAndLeavingTheRowPosts) {
    Type(QStringLiteral("Z"));
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Grid->RowIndicator(0), giEdit);
    Type(QStringLiteral("ed"));
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Zed"));
    EXPECT_EQ(Name(), QStringLiteral("Person 0001")) << "the field waits for the row to be left";

    Key(Qt::Key_Down);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Name(), QStringLiteral("Person 0002"));
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Person 0002"))
        << "the editor stays open on the next row";
    Key(Qt::Key_Up);
    EXPECT_EQ(Name(), QStringLiteral("Zed"));
}

TEST_F(DBGridTest, F2AndEnterOpenAndCommitTheEditor) {
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Person 0001"));
    EXPECT_EQ(Table->State(), dsBrowse) << "showing the editor does not edit yet";
    Key(Qt::Key_End);
    Type(QStringLiteral("x"));
    Key(Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Name(), QStringLiteral("Person 0001x"));
    Key(Qt::Key_Return);
    EXPECT_TRUE(EditorShown());
    Key(Qt::Key_Return);
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(Name(), QStringLiteral("Person 0001x"));
}

TEST_F(DBGridTest, EscapeRestoresTheTextThenCancelsTheRecord) {
    Type(QStringLiteral("Q"));
    ASSERT_EQ(Table->State(), dsEdit);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Table->State(), dsEdit);
    Key(Qt::Key_F2);
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Person 0001"));
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Name(), QStringLiteral("Person 0001"));

    Grid->SetReadOnly(true);
    Type(QStringLiteral("Q"));
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(Table->State(), dsBrowse);
    Key(Qt::Key_Insert);
    EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(DBGridTest, InsertAddsARecordAndAnUntouchedOneIsDropped) {
    Key(Qt::Key_Down);
    Key(Qt::Key_Insert);
    ASSERT_EQ(Table->State(), dsInsert);
    EXPECT_EQ(Grid->RowIndicator(Grid->Row() - Grid->FixedRows()), giInsert);
    Key(Qt::Key_Down);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecordCount(), PeopleRows);

    Key(Qt::Key_Insert);
    Type(QStringLiteral("Newcomer"));
    Key(Qt::Key_Up);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecordCount(), PeopleRows + 1);
    EXPECT_TRUE(Table->Locate(QStringLiteral("Name"), QStringLiteral("Newcomer"), {}));

    Key(Qt::Key_Insert);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Table->State(), dsBrowse);
    EXPECT_EQ(Table->RecordCount(), PeopleRows + 1);

    // Down from the last record appends one.
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(Table->State(), dsInsert);
}

TEST_F(DBGridTest, CtrlDeleteDeletesAfterConfirmation) {
    TScriptedResponder responder;
    Key(Qt::Key_Down);
    responder.Answer(mrCancel);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(responder.Shown().size(), 1);
    EXPECT_EQ(responder.Shown()[0].Text, QStringLiteral("Delete record?"));
    EXPECT_EQ(responder.Shown()[0].DlgType, mtConfirmation);
    EXPECT_EQ(Table->RecordCount(), PeopleRows);

    responder.Answer(mrOk);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Table->RecordCount(), PeopleRows - 1);
    EXPECT_EQ(Name(), QStringLiteral("Person 0003"));
    EXPECT_FALSE(Table->Locate(QStringLiteral("Name"), QStringLiteral("Person 0002"), {}));

    Key(Qt::Key_Delete);
    EXPECT_EQ(Table->RecordCount(), PeopleRows - 1) << "Delete alone edits, never deletes";
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgConfirmDelete});
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Table->RecordCount(), PeopleRows - 2);
    EXPECT_EQ(responder.Shown().size(), 2);
}

TEST_F(DBGridTest, MultiSelectKeepsBookmarksAndDeletesTheSelectedRows) {
    TScriptedResponder responder;
    Grid->SetOptions(Grid->Options() + TDBGridOptions{dgMultiSelect});
    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 3);
    EXPECT_TRUE(Grid->SelectedRows()->CurrentRowSelected());
    EXPECT_EQ(Grid->RowIndicator(0), giMultiSelect);
    EXPECT_EQ(Grid->RowIndicator(2), giCurrentSelected);
    EXPECT_EQ(Grid->RowIndicator(3), giNone);

    // Ctrl+click adds a row further down without dropping the others.
    const QRect cell = Grid->CellRect(2, Grid->FixedRows() + 5);
    QTest::mouseClick(Grid->Widget(), Qt::LeftButton, Qt::ControlModifier, cell.center());
    EXPECT_EQ(Name(), QStringLiteral("Person 0006"));
    EXPECT_EQ(Grid->SelectedRows()->Count(), 4);

    responder.Answer(mrOk);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(responder.Shown().last().Text, QStringLiteral("Delete all selected records?"));
    EXPECT_EQ(Table->RecordCount(), PeopleRows - 4);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
    Table->First();
    EXPECT_EQ(Name(), QStringLiteral("Person 0004"));

    Key(Qt::Key_Down, Qt::ShiftModifier);
    Key(Qt::Key_Down);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0) << "a plain move clears the selection";
}

TEST_F(DBGridTest, MouseClicksMoveToTheCellAndReportCellsAndTitles) {
    QStringList clicks;
    Grid->SetOnCellClick(
        TDBGridClickEvent([&](TColumn* C) { clicks << "cell " + C->FieldName(); }));
    Grid->SetOnTitleClick(
        TDBGridClickEvent([&](TColumn* C) { clicks << "title " + C->FieldName(); }));
    QTest::mouseClick(Grid->Widget(), Qt::LeftButton, {},
                      Grid->CellRect(3, Grid->FixedRows() + 3).center());
    EXPECT_EQ(Table->RecNo(), 4);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    QTest::mouseClick(Grid->Widget(), Qt::LeftButton, {}, Grid->CellRect(4, 0).center());
    EXPECT_EQ(clicks, QStringList({"cell Country", "title Salary"}));
    EXPECT_EQ(Table->RecNo(), 4) << "a title click does not move";

    // A click on the current cell opens the editor.
    QTest::mouseClick(Grid->Widget(), Qt::LeftButton, {},
                      Grid->CellRect(3, Grid->FixedRows() + 3).center());
    EXPECT_TRUE(EditorShown());
}

TEST_F(DBGridTest, PickListAndEllipsisColumns) {
    Grid->Columns()->SetState(csCustomized);
    TColumn* country = Grid->Columns()->Items(2);
    country->PickList()->Add(QStringLiteral("1"));
    country->PickList()->Add(QStringLiteral("2"));
    country->PickList()->Add(QStringLiteral("3"));
    Key(Qt::Key_Right);
    Key(Qt::Key_F2);
    TInplaceEdit* editor = Grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->Visible());
    EXPECT_EQ(editor->EditStyle(), esPickList);
    Key(Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor->ListVisible());
    QListWidget* list = editor->ListWidget();
    EXPECT_EQ(list->count(), 3);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_FALSE(editor->ListVisible());
    EXPECT_EQ(editor->Text(), QStringLiteral("3"));
    EXPECT_EQ(Table->State(), dsEdit);
    Key(Qt::Key_Down);
    Key(Qt::Key_Up);
    EXPECT_EQ(Table->FieldByName(QStringLiteral("Country"))->AsInteger(), 3);

    int buttonClicks = 0;
    Grid->SetOnEditButtonClick(TNotifyEvent([&](TObject*) { ++buttonClicks; }));
    Grid->Columns()->Items(1)->SetButtonStyle(cbsEllipsis);
    Key(Qt::Key_Left);
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Grid->InplaceEditor()->EditStyle(), esEllipsis);
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(buttonClicks, 1);
}

TEST_F(DBGridTest, ColumnsScrollIntoViewAndResizeWithTheMouse) {
    const QRect title = Grid->CellRect(2, 0);
    const QPoint edge(title.x() + title.width(), title.center().y());
    const int width = Grid->ColWidths(2);
    QTest::mousePress(Grid->Widget(), Qt::LeftButton, {}, edge);
    QTest::mouseMove(Grid->Widget(), edge + QPoint(30, 0));
    QTest::mouseRelease(Grid->Widget(), Qt::LeftButton, {}, edge + QPoint(30, 0));
    EXPECT_EQ(Grid->ColWidths(2), width + 30);
    EXPECT_EQ(Grid->Columns()->Items(1)->Width(), width + 30);
    EXPECT_TRUE(Grid->Columns()->Items(1)->AssignedValues().Contains(cvWidth));
    EXPECT_EQ(Table->RecNo(), 1) << "sizing a column does not move";

    Grid->SetWidth(160);
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols());
    Key(Qt::Key_End);
    EXPECT_GT(Grid->LeftCol(), Grid->FixedCols());
    EXPECT_FALSE(Grid->CellRect(Grid->Col(), Grid->Row()).isEmpty());
    EXPECT_TRUE(Grid->CellRect(Grid->FixedCols(), Grid->Row()).isEmpty())
        << "the first column scrolled out of view";
    Key(Qt::Key_Home);
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols());
}

TEST_F(DBGridTest, TheEditorAlignsANumberAsTheGridShowsIt) {
    // The leftmost column of the editor's selected text (all of it is selected), or -1.
    auto textLeft = [this] {
        ProcessEvents();
        QWidget* editor = Grid->InplaceEditor()->Widget();
        const QImage image = editor->grab().toImage();
        const QColor selected = editor->palette().color(QPalette::Highlight);
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) == selected)
                    return x;
        return -1;
    };
    Grid->SetSelectedIndex(3); // Salary, a currency field: right-aligned
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    const int width = Grid->InplaceEditor()->Width();
    EXPECT_GT(textLeft(), width / 2) << "the number stands at the right";
    Key(Qt::Key_Escape);
    Grid->SetSelectedIndex(1); // Name: left
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_GE(textLeft(), 0);
    EXPECT_LT(textLeft(), width / 2);
}

TEST_F(DBGridTest, ASingleBorderFramesTheCells) {
    EXPECT_EQ(Grid->BorderStyle(), bsSingle);
    ProcessEvents();
    const QImage framed = Grid->Widget()->grab().toImage();
    Grid->SetBorderStyle(bsNone);
    ProcessEvents();
    const QImage plain = Grid->Widget()->grab().toImage();
    const QRect titles(0, 0, 150, Grid->RowHeights(0));
    EXPECT_EQ(framed.copy(titles.translated(2, 2)), plain.copy(titles))
        << "the cells start inside the frame";
    EXPECT_NE(framed.copy(0, 0, 150, 2), plain.copy(0, 0, 150, 2)) << "a frame is drawn";
    EXPECT_THROW(Grid->SetBorderStyle(bsDialog), EInvalidOperation);

    // A click lands on the cell drawn under the mouse.
    Grid->SetBorderStyle(bsSingle);
    const QRect cell = Grid->CellRect(2, Grid->FixedRows() + 2);
    QTest::mouseClick(Grid->Widget(), Qt::LeftButton, {}, cell.topLeft() + QPoint(3, 3));
    EXPECT_EQ(Table->RecNo(), 3);
    EXPECT_EQ(Grid->Col(), 2);
}

TEST_F(DBGridTest, TheHorizontalBarShowsOnlyWhileTheColumnsDoNotFit) {
    auto horizontalBar = [this]() -> QScrollBar* {
        for (QScrollBar* bar : Grid->Widget()->findChildren<QScrollBar*>())
            if (bar->orientation() == Qt::Horizontal)
                return bar;
        return nullptr;
    };
    ASSERT_TRUE(horizontalBar());
    Grid->Columns()->Items(1)->SetWidth(60);
    EXPECT_FALSE(horizontalBar()->isVisible()) << "the four columns fit";
    const int rows = Grid->VisibleRowCount();
    QWidget* below = Grid->Widget()->childAt(10, Grid->Height() - 5);
    EXPECT_FALSE(qobject_cast<QScrollBar*>(below)) << "rows reach the bottom";

    Grid->Columns()->Items(1)->SetWidth(500);
    ASSERT_TRUE(horizontalBar()->isVisible());
    EXPECT_LT(Grid->VisibleRowCount(), rows + 1);
    QScrollBar* bar = horizontalBar();
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols());
    // The right arrow scrolls the columns by one.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 4, bar->height() / 2));
    EXPECT_EQ(Grid->LeftCol(), Grid->FixedCols() + 1);

    Grid->Columns()->Items(1)->SetWidth(60);
    EXPECT_FALSE(horizontalBar()->isVisible());
    EXPECT_EQ(Grid->VisibleRowCount(), rows);
}

namespace {

// Keeps a band of BandHeight pixels along the bottom and counts the link's events.
class TBandGrid : public TDBGrid {
public:
    static constexpr int BandHeight = 40;

    class TCountingLink : public TGridDataLink {
    public:
        using TGridDataLink::TGridDataLink;
        int Scrolls = 0;

    protected:
        void DataSetScrolled(int Distance) override {
            ++Scrolls;
            TGridDataLink::DataSetScrolled(Distance);
        }
    };

    using TDBGrid::TDBGrid;
    QRect ClientRect() const override {
        QRect rect = TDBGrid::ClientRect();
        rect.setHeight(rect.height() - BandHeight);
        return rect;
    }
    TCountingLink* Link() const { return static_cast<TCountingLink*>(DataLink()); }
    // The band under the rows, in client coordinates.
    QRect BandRect() const {
        const QRect client = ClientRect();
        return QRect(0, client.height(), client.width(), BandHeight);
    }
    QString Total;
    TTextMetric Metrics;

protected:
    TGridDataLink* CreateDataLink() override { return new TCountingLink(this); }
    void Paint() override {
        TDBGrid::Paint();
        Canvas()->Font()->Assign(Font());
        Canvas()->Brush()->SetColor(clYellow);
        WriteText(BandRect(), 2, 2, Total, taRightJustify);
        Metrics = GetTextMetrics(Canvas());
    }
};

} // namespace

TEST_F(DBGridTest, ADerivedGridKeepsABandAndUsesItsOwnLink) {
    auto* band = new TBandGrid(&Form);
    band->SetParent(&Form);
    band->SetBounds(0, 230, 420, 220);
    band->SetDataSource(Source);
    EXPECT_LT(band->VisibleRowCount(), Grid->VisibleRowCount());
    EXPECT_EQ(band->DataLink()->BufferCount(), band->VisibleRowCount());
    const int last = band->FixedRows() + band->VisibleRowCount() - 1;
    EXPECT_LE(band->CellRect(1, last).bottom(), band->ClientRect().bottom());
    Table->Next();
    EXPECT_EQ(band->Link()->Scrolls, 1);
}

TEST_F(DBGridTest, ADescendantWritesTextAndMeasuresItsFontOnTheGridsCanvas) {
    auto* band = new TBandGrid(&Form);
    band->SetParent(&Form);
    band->SetBounds(0, 230, 420, 220);
    band->SetDataSource(Source);
    band->Total = QStringLiteral("Total 12,345.00");
    ProcessEvents();
    const QImage image = band->Widget()->grab().toImage();
    const int frame = 2;
    const QRect area = band->BandRect().translated(frame, frame);
    const QColor yellow = ColorToQColor(clYellow);
    EXPECT_EQ(image.pixelColor(area.topLeft() + QPoint(1, 1)), yellow) << "the band is filled";
    int left = image.width(), right = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != yellow) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    // Right-aligned text ends 3 pixels before the right edge.
    EXPECT_LE(right, area.right() - 3);
    EXPECT_GE(right, area.right() - 5);
    EXPECT_NEAR(right - left + 1, band->Canvas()->TextWidth(band->Total), 2);

    // The metrics are those of the font the rows are laid out with.
    EXPECT_EQ(band->Metrics.tmHeight + 3 + band->GridLineWidth(), band->DefaultRowHeight());
    EXPECT_GT(band->Metrics.tmAveCharWidth, 0);
    band->Canvas()->Font()->SetStyle({fsItalic});
    EXPECT_GT(GetTextMetrics(band->Canvas()).tmOverhang, 0) << "italics reach beyond";
}

TEST(DBGridForms, CustomisedColumnsLoadFromAFormFileAndDefaultOnesAreNotStored) {
    RegisterTestClasses();
    RegisterDbClasses();
    TGridDatabase db(5);
    const QString text = QStringLiteral(R"(object GridForm: TForm
  object People: TTable
    DatabaseName = '%1'
    TableName = 'People.db'
    Active = True
  end
  object PeopleSource: TDataSource
    DataSet = People
  end
  object PeopleGrid: TDBGrid
    Width = 400
    Height = 200
    DataSource = PeopleSource
    Options = [dgTitles, dgIndicator, dgColLines, dgRowLines, dgTabs, dgEditing]
    TitleFont.Style = [fsBold]
    Columns = <
      item
        FieldName = 'Name'
        Width = 150
        Title.Caption = 'Person'
        Title.Alignment = taCenter
      end
      item
        FieldName = 'Country'
        ButtonStyle = cbsEllipsis
        Color = clYellow
        PickList.Strings = ('1' '2')
      end>
  end
end
)")
                             .arg(db.Alias());
    std::unique_ptr<TComponent> form(ReadComponentFromText(text, QStringLiteral("GridForm")));
    auto* grid = qobject_cast<TDBGrid*>(form->FindComponent(QStringLiteral("PeopleGrid")));
    ASSERT_TRUE(grid);
    TDBGridColumns* columns = grid->Columns();
    EXPECT_EQ(columns->State(), csCustomized);
    ASSERT_EQ(columns->Count(), 2);
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->ColWidths(1), 150);
    EXPECT_EQ(columns->Items(0)->Title()->Caption(), QStringLiteral("Person"));
    EXPECT_EQ(columns->Items(0)->Title()->Alignment(), taCenter);
    EXPECT_TRUE(columns->Items(0)->Title()->Font()->Style().Contains(fsBold))
        << "the title font follows TitleFont";
    EXPECT_EQ(columns->Items(1)->Title()->Caption(), QStringLiteral("Country"));
    EXPECT_EQ(columns->Items(1)->ButtonStyle(), cbsEllipsis);
    EXPECT_EQ(columns->Items(1)->Color(), clYellow);
    EXPECT_EQ(columns->Items(1)->PickList()->Count(), 2);
    EXPECT_EQ(columns->Items(1)->Field(),
              grid->DataSource()->DataSet()->FieldByName(QStringLiteral("Country")));
    EXPECT_FALSE(grid->Options().Contains(dgConfirmDelete));

    const QString written = WriteComponentToText(form.get());
    EXPECT_TRUE(written.contains(QStringLiteral("Title.Caption = 'Person'")))
        << written.toStdString();
    EXPECT_TRUE(written.contains(QStringLiteral("Width = 150")));
    EXPECT_FALSE(written.contains(QStringLiteral("Title.Caption = 'Country'")))
        << "values that follow the field are not stored";

    columns->SetState(csDefault);
    EXPECT_EQ(columns->Count(), 4);
    EXPECT_FALSE(WriteComponentToText(form.get()).contains(QStringLiteral("Columns")));
}
