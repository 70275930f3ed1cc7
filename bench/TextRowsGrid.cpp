#include "TextRowsGrid.h"

#include "RawSqlite.h"

#include <ui/Graphics.h>

TTextRowsGrid::TTextRowsGrid(TComponent* AOwner) : TCustomGrid(AOwner) {
    SetFixedCols(0);
    SetFixedRows(1);
}

void TTextRowsGrid::ReadRows(TRawStatement& Statement) {
    FRows.clear();
    Statement.Reset();
    while (Statement.Step()) {
        QStringList& row = FRows.emplace_back();
        for (int c = 0; c < Statement.ColumnCount(); ++c) {
            const std::string_view text = Statement.Text(c);
            row << QString::fromUtf8(text.data(), qsizetype(text.size()));
        }
    }
    InvalidateGrid();
}

void TTextRowsGrid::DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState) {
    const qsizetype row = ARow - FixedRows();
    const QString text = row >= 0 && row < FRows.size() ? FRows[row].value(ACol) : QString();
    Canvas()->TextRect(ARect, ARect.left() + 2, ARect.top() + 2, text);
}
