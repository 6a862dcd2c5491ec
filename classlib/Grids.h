// The string grid of the class library, as far as the program uses it: rows of
// equal cells drawn by their owner, with a current cell and a horizontal
// scroll bar.
#pragma once

#include <cstdint>
#include <functional>

#include "classlib/Controls.h"

// Drawing state of a cell.
using TGridDrawState = uint8_t;
enum : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A grid of ColCount x RowCount cells of one size, separated by grid lines. The
// owner draws each cell (OnDrawCell) after the grid has filled it; the current
// cell (Col, Row) is framed. A click, an arrow key or setting Col or Row moves
// the current cell once OnSelectCell allows it, and scrolls it into view. Only
// columns scroll: the program's grids have one row.
class TStringGrid : public TCustomControl {
public:
    using TDrawCellEvent = std::function<void(TObject* sender, int col, int row, RECT rect, TGridDrawState state)>;
    using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;

    explicit TStringGrid(TComponent* owner);
    const char* ClassName() const override { return "TStringGrid"; }

    int ColCount() const { return m_colCount; }
    // Fewer than one column counts as one; the current column stays inside.
    void SetColCount(int count);
    int RowCount() const { return m_rowCount; }
    void SetRowCount(int count);
    int DefaultColWidth() const { return m_colWidth; }
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const { return m_rowHeight; }
    void SetDefaultRowHeight(int height);
    int GridLineWidth() const { return m_lineWidth; }
    void SetGridLineWidth(int width);
    TScrollStyle ScrollBars = ssHorizontal;

    int Col() const { return m_col; }
    void SetCol(int col) { MoveCurrent(col, m_row); }
    int Row() const { return m_row; }
    void SetRow(int row) { MoveCurrent(m_col, row); }
    // The first column shown at the left edge.
    int LeftCol() const { return m_leftCol; }
    void SetLeftCol(int col);
    // Columns that fit wholly into the client area (at least one).
    int VisibleColCount() const;
    // The client rectangle of a cell (empty when it is scrolled out of view).
    RECT CellRect(int col, int row) const;
    // The cell at a client point; false when the point is on no cell.
    bool MouseToCell(int x, int y, int& col, int& row) const;

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;

    void WndProc(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWindowHandle() override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    // Fills the cell and calls OnDrawCell.
    virtual void DrawCell(int col, int row, RECT rect, TGridDrawState state);

private:
    void MoveCurrent(int col, int row);
    void ScrollInView(int col);
    void UpdateScrollBar();
    void HorizontalScroll(int code);

    int m_colCount = 5;
    int m_rowCount = 5;
    int m_colWidth = 64;
    int m_rowHeight = 24;
    int m_lineWidth = 1;
    int m_col = 0;
    int m_row = 0;
    int m_leftCol = 0;
};
