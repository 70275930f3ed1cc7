#include "GridFixture.h"

namespace {

ON_EVERY_ENGINE_WITH(KroGridDraw, GridFixture);

// The columns x of Cell drawn from top to bottom in Color.
QList<int> VerticalLines(const QImage& Image, const QRect& Cell, TColor Color) {
    const QColor color = ColorToQColor(Color);
    QList<int> lines;
    for (int x = Cell.left(); x <= Cell.right(); ++x) {
        bool whole = true;
        for (int y = Cell.top(); y <= Cell.bottom() && whole; ++y)
            whole = Image.pixelColor(x, y) == color;
        if (whole)
            lines << x;
    }
    return lines;
}

// Whether the 12 pixels of the search mark under the sub-cell starting at Left are drawn.
bool SearchMark(const QImage& Image, int Left, int Bottom) {
    const QColor color = ColorToQColor(clHighlightText);
    for (int x = Left + 1; x < Left + 13; ++x)
        if (Image.pixelColor(x, Bottom - 3) != color)
            return false;
    return true;
}

// The first and last columns of Area in Image with a pixel not of colour Background; -1, -1
// when there is none.
std::pair<int, int> InkColumns(const QImage& Image, const QRect& Area, TColor Background) {
    const QColor background = ColorToQColor(Background);
    std::pair<int, int> ink{-1, -1};
    for (int x = Area.left(); x <= Area.right(); ++x)
        for (int y = Area.top(); y <= Area.bottom(); ++y)
            if (Image.pixelColor(x, y) != background) {
                if (ink.first < 0)
                    ink.first = x;
                ink.second = x;
                break;
            }
    return ink;
}

} // namespace

TEST_P(KroGridDraw, SubCellTextsFollowTheirColumnsAlignment) {
    const int col = GridCol("LangLook");
    ASSERT_GT(col, 0);
    const int charWidth = Grid->Canvas()->TextWidth(QStringLiteral("0"));
    TField* id = Lang->FieldByName(QStringLiteral("Id"));
    ASSERT_EQ(id->Alignment(), taRightJustify);
    ASSERT_GT(id->DisplayWidth(), 3) << "a key much narrower than its sub-cell";
    const int idWidth = id->DisplayWidth() * charWidth + 4;
    const int nameWidth = 20 * charWidth + 4;
    ColumnOf("LangLook")->SetWidth(idWidth + nameWidth + 40);
    ProcessEvents();
    // Dan's row, not highlighted: key 1, German.
    const QRect cell = Grid->CellRect(col, Grid->FixedRows() + 3);
    const QImage image = Picture();
    const int idRight = cell.left() + idWidth - 1;
    const auto key = InkColumns(image, QRect(cell.left(), cell.top(), idWidth, cell.height() - 1),
                                Grid->Color());
    // The key ends 3 pixels before its sub-cell's edge, a glyph's bearing aside.
    EXPECT_GE(key.first, idRight - 3 - charWidth);
    EXPECT_LE(key.second, idRight - 2);
    // The name starts 2 pixels in, and is as wide as its own text, not its padded width.
    const int nameLeft = idRight + 2;
    const auto name = InkColumns(
        image, QRect(nameLeft, cell.top(), nameWidth - 1, cell.height() - 1), Grid->Color());
    EXPECT_GE(name.first, nameLeft + 1);
    EXPECT_LE(name.first, nameLeft + 4);
    EXPECT_LE(name.second, nameLeft + 2 + Grid->Canvas()->TextWidth(QStringLiteral("German")));
}

TEST_P(KroGridDraw, LookupColumnsShowSubCellsWithSeparatorsCutAtTheCellsEdge) {
    const int col = GridCol("LangLook");
    ASSERT_GT(col, 0);
    const int charWidth = Grid->Canvas()->TextWidth(QStringLiteral("0"));
    const int idWidth = Lang->FieldByName(QStringLiteral("Id"))->DisplayWidth() * charWidth + 4;
    const int nameWidth = 20 * charWidth + 4;
    TColumn* column = ColumnOf("LangLook");
    column->SetWidth(idWidth + nameWidth + 40);
    ProcessEvents();
    // Bob's row: not highlighted, separators in the button face on the window colour.
    QRect cell = Grid->CellRect(Grid->ColCount() - 1, Grid->FixedRows() + 1);
    ASSERT_EQ(Grid->ColCount() - 1, col);
    EXPECT_EQ(VerticalLines(Picture(), cell, clBtnFace),
              QList<int>({cell.left() + idWidth, cell.left() + idWidth + 1 + nameWidth}));

    // Narrower than the first two: the second sub-cell is cut, the third not drawn.
    column->SetWidth(idWidth + 10);
    ProcessEvents();
    cell = Grid->CellRect(col, Grid->FixedRows() + 1);
    EXPECT_EQ(VerticalLines(Picture(), cell, clBtnFace), QList<int>({cell.left() + idWidth}));

    // One result column fills the cell.
    Person->Close();
    Look->SetLookupResultField(QStringLiteral("Name"));
    Person->Open();
    ProcessEvents();
    cell = Grid->CellRect(col, Grid->FixedRows() + 1);
    EXPECT_TRUE(VerticalLines(Picture(), cell, clBtnFace).isEmpty());
}

TEST_P(KroGridDraw, TheSearchMarkFollowsCtrlZAcrossTheResultColumns) {
    const int col = GridCol("LangLook");
    const int charWidth = Grid->Canvas()->TextWidth(QStringLiteral("0"));
    const int idWidth = Lang->FieldByName(QStringLiteral("Id"))->DisplayWidth() * charWidth + 4;
    ColumnOf("LangLook")->SetWidth(idWidth + 300);
    SelectColumn("LangLook");
    EXPECT_EQ(Grid->ColumnKind(), ckLookup);
    ProcessEvents();
    const QRect cell = Grid->CellRect(col, Grid->Row());
    const int second = cell.left() + idWidth + 1;
    QImage image = Picture();
    EXPECT_TRUE(SearchMark(image, cell.left(), cell.bottom()));
    EXPECT_FALSE(SearchMark(image, second, cell.bottom()));

    QList<int> indexes;
    for (int i = 0; i < 3; ++i) {
        Key(Qt::Key_Z, Qt::ControlModifier);
        indexes << Look->ListFieldIndex();
        if (i == 0) {
            image = Picture();
            EXPECT_FALSE(SearchMark(image, cell.left(), cell.bottom()));
            EXPECT_TRUE(SearchMark(image, second, cell.bottom()));
        }
    }
    EXPECT_EQ(indexes, QList<int>({1, 2, 0}));
    EXPECT_FALSE(Grid->EditorMode()) << "Ctrl+Z is consumed";

    // Without editing the column is a plain one: Ctrl+Z leaves the search column.
    Grid->SetOptions(Grid->Options() - TDBGridOptions{dgEditing});
    EXPECT_EQ(Grid->ColumnKind(), ckPlain);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Look->ListFieldIndex(), 0);
}

TEST_P(KroGridDraw, ColourAndFontHooksSeeEveryDataCellOutsideTheHighlight) {
    QStringList coloured;
    int fonts = 0;
    Grid->SetOnSetColor(TSetColorEvent([&](TObject* Sender, TField* Field, TColor& Color) {
        EXPECT_EQ(Sender, Grid);
        coloured << Field->FieldName();
        if (Field->FieldName() == QLatin1String("Name"))
            Color = clYellow;
    }));
    Grid->SetOnSetFont(TSetFontEvent([&](TObject*, TField*, TFont* Font) {
        ++fonts;
        Font->SetColor(clRed);
    }));
    SelectColumn("Id");
    Grid->Widget()->repaint();
    const int rows = int(Person->RecordCount());
    const int columns = Grid->Columns()->Count();
    EXPECT_EQ(fonts, rows * columns);
    EXPECT_EQ(coloured.size(), rows * columns - 1) << "the highlighted cell keeps its colours";
    EXPECT_EQ(coloured.count(QStringLiteral("Id")), rows - 1);
    const QRect name = Grid->CellRect(GridCol("Name"), Grid->FixedRows() + 1);
    EXPECT_EQ(Picture().pixelColor(name.topLeft() + QPoint(1, 1)), ColorToQColor(clYellow));
}

TEST(KroGridTitles, TheWrapStepKeepsWordsWholeUnlessOneIsWiderThanTheLine) {
    TKroDbGrid grid;
    TCanvas* canvas = grid.Canvas();
    canvas->Font()->SetName(QStringLiteral("DejaVu Sans Mono"));
    const int zero = canvas->TextWidth(QStringLiteral("0"));
    ASSERT_EQ(canvas->TextWidth(QStringLiteral("iiii")), canvas->TextWidth(QStringLiteral("WWWW")))
        << "a fixed pitch";

    int position = 0;
    const QString word = QStringLiteral("abcdefghijkl");
    EXPECT_EQ(TitleWrapPiece(canvas, word, 5 * zero, position), QStringLiteral("abcde"));
    EXPECT_EQ(position, 5);
    EXPECT_EQ(TitleWrapPiece(canvas, word, 5 * zero, position), QStringLiteral("fghij"));
    EXPECT_EQ(TitleWrapPiece(canvas, word, 5 * zero, position), QStringLiteral("kl"));
    EXPECT_EQ(position, word.size());

    position = 0;
    const QString words = QStringLiteral("ab cd efgh  ij");
    EXPECT_EQ(TitleWrapPiece(canvas, words, 7 * zero, position), QStringLiteral("ab cd"));
    EXPECT_EQ(position, 6);
    EXPECT_EQ(TitleWrapPiece(canvas, words, 7 * zero, position), QStringLiteral("efgh"));
    EXPECT_EQ(position, 12) << "past the spaces after the piece";

    position = 0;
    EXPECT_EQ(TitleWrapPiece(canvas, words, zero - 1, position), QString());
    EXPECT_EQ(position, words.size()) << "a line narrower than a character takes nothing";
}

TEST_P(KroGridDraw, TitlesWrapIntoTitleRowsLinesAndEndWithDots) {
    Grid->TitleFont()->SetName(QStringLiteral("DejaVu Sans Mono"));
    const int singleHeight = Grid->RowHeights(0);
    TColumn* name = ColumnOf("Name");
    name->Title()->SetCaption(QStringLiteral("alpha beta gamma delta epsilon"));
    Grid->Canvas()->Font()->Assign(name->Title()->Font());
    name->SetWidth(11 * Grid->Canvas()->TextWidth(QStringLiteral("0")) + 4);

    Grid->SetTitleRows(3);
    EXPECT_EQ(Grid->TitleLines(), 3);
    EXPECT_EQ(Grid->RowHeights(0), (singleHeight - 3) * 3 + 4);
    EXPECT_EQ(Grid->TitlePieces(name), QStringList({"alpha beta", "gamma delta", "epsilon"}));
    name->Title()->SetCaption(QStringLiteral("alpha beta gamma delta epsilon zeta eta"));
    EXPECT_EQ(Grid->TitlePieces(name), QStringList({"alpha beta", "gamma delta", "epsilon..."}));

    // The data rows make room for the title.
    const int last = Grid->FixedRows() + Grid->VisibleRowCount() - 1;
    EXPECT_LE(Grid->CellRect(1, last).bottom(), Grid->ClientRect().bottom());

    Grid->SetTitleRows(0);
    EXPECT_EQ(Grid->TitleLines(), 1);
    EXPECT_EQ(Grid->RowHeights(0), singleHeight);
}

TEST_P(KroGridDraw, TheTotalRowKeepsABandUnderTheRowsForItsTexts) {
    const int rowsWithout = Grid->DataLink()->BufferCount();
    const QRect fullClient = Grid->ClientRect();
    Grid->SetTotal(true);
    const QRect band = Grid->TotalRect();
    EXPECT_EQ(band.height(), Grid->DefaultRowHeight() + Grid->GridLineWidth());
    EXPECT_EQ(band.bottom(), fullClient.bottom());
    EXPECT_EQ(Grid->ClientRect().bottom(), band.top() - 1);
    EXPECT_LE(Grid->DataLink()->BufferCount(), rowsWithout);
    ProcessEvents();
    EXPECT_EQ(PixelsNot(Picture(), band, Grid->Color()), 0) << "an empty band";

    // Names match columns ignoring case; the list itself tells them apart.
    Grid->SetTotalText(QStringLiteral("name"), QStringLiteral("4 people"));
    ProcessEvents();
    const QRect nameCol = Grid->CellRect(GridCol("Name"), Grid->TopRow());
    const QRect underName(nameCol.left(), band.top(), nameCol.width(), band.height());
    const int drawn = PixelsNot(Picture(), underName, Grid->Color());
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(PixelsNot(Picture(), band, Grid->Color()), drawn) << "nowhere else";
    Grid->SetTotalText(QStringLiteral("NAME"), QStringLiteral("4 people"));
    Grid->SetTotalText(QStringLiteral("name"), QStringLiteral("4 people"));
    ASSERT_EQ(Grid->TotalList()->Count(), 2);
    EXPECT_EQ(Grid->TotalList()->Value(QStringLiteral("NAME")), QStringLiteral("4 people"));
    EXPECT_EQ(Grid->TotalList()->Value(QStringLiteral("Name")), QString());
}

TEST_P(KroGridDraw, AColumnScrolledOutOfViewGetsNoTotalText) {
    Grid->SetWidth(200);
    Grid->SetTotal(true);
    ASSERT_EQ(GridCol("Sex"), -1) << "Sex lies beyond the grid's width";
    Grid->SetTotalText(QStringLiteral("Sex"), QStringLiteral("999"));
    ProcessEvents();
    EXPECT_EQ(PixelsNot(Picture(), Grid->TotalRect(), Grid->Color()), 0);

    // Scrolled into view, it gets it.
    SelectColumn("Sex");
    ProcessEvents();
    ASSERT_GT(GridCol("Sex"), 0);
    EXPECT_GT(PixelsNot(Picture(), Grid->TotalRect(), Grid->Color()), 0);
}
