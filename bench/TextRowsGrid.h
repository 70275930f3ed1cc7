#pragma once

// The platform's plain grid showing rows of texts a raw statement read: the peer of a data
// grid that paints the same rows without a dataset behind them.

#include <QList>
#include <QStringList>
#include <ui/Grids.h>

class TRawStatement;

// A grid of texts under a title row, each cell drawn as its text on the cell's background.
class TTextRowsGrid : public TCustomGrid {
public:
    explicit TTextRowsGrid(TComponent* AOwner);

    // Reads the rows of Statement (reset first) into the cells under the title row, one
    // column a statement column.
    void ReadRows(TRawStatement& Statement);

protected:
    void DrawCell(int ACol, int ARow, const QRect& ARect, TGridDrawState AState) override;

private:
    QList<QStringList> FRows;
};
