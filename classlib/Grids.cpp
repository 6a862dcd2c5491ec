// The string grid.
#include "classlib/Grids.h"

#include <algorithm>

TStringGrid::TStringGrid(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 320, 120);
    SetColor(clWindow);
    TabStop = true;
}

void TStringGrid::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    if (ScrollBars == ssHorizontal || ScrollBars == ssBoth) params.Style |= WS_HSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TStringGrid::CreateWindowHandle() {
    UpdateScrollBar();
}

void TStringGrid::SetColCount(int count) {
    m_colCount = std::max(count, 1);
    if (m_col >= m_colCount) m_col = m_colCount - 1;
    SetLeftCol(m_leftCol);
    UpdateScrollBar();
    Invalidate();
}

void TStringGrid::SetRowCount(int count) {
    m_rowCount = std::max(count, 1);
    if (m_row >= m_rowCount) m_row = m_rowCount - 1;
    Invalidate();
}

void TStringGrid::SetDefaultColWidth(int width) {
    m_colWidth = std::max(width, 1);
    UpdateScrollBar();
    Invalidate();
}

void TStringGrid::SetDefaultRowHeight(int height) {
    m_rowHeight = std::max(height, 1);
    Invalidate();
}

void TStringGrid::SetGridLineWidth(int width) {
    m_lineWidth = std::max(width, 0);
    UpdateScrollBar();
    Invalidate();
}

int TStringGrid::VisibleColCount() const {
    const int count = (ClientWidth() + m_lineWidth) / (m_colWidth + m_lineWidth);
    return std::max(count, 1);
}

void TStringGrid::SetLeftCol(int col) {
    const int last = std::max(0, m_colCount - VisibleColCount());
    col = std::min(std::max(col, 0), last);
    if (col == m_leftCol) return;
    m_leftCol = col;
    UpdateScrollBar();
    Invalidate();
}

RECT TStringGrid::CellRect(int col, int row) const {
    if (col < m_leftCol || col >= m_colCount || row < 0 || row >= m_rowCount) return RECT{0, 0, 0, 0};
    const int left = (col - m_leftCol) * (m_colWidth + m_lineWidth);
    const int top = row * (m_rowHeight + m_lineWidth);
    if (left >= ClientWidth()) return RECT{0, 0, 0, 0};
    return RECT{left, top, left + m_colWidth, top + m_rowHeight};
}

bool TStringGrid::MouseToCell(int x, int y, int& col, int& row) const {
    if (x < 0 || y < 0) return false;
    col = m_leftCol + x / (m_colWidth + m_lineWidth);
    row = y / (m_rowHeight + m_lineWidth);
    // A point on a grid line or beyond the last cell belongs to no cell.
    if (x % (m_colWidth + m_lineWidth) >= m_colWidth || y % (m_rowHeight + m_lineWidth) >= m_rowHeight) return false;
    return col < m_colCount && row < m_rowCount;
}

void TStringGrid::MoveCurrent(int col, int row) {
    col = std::min(std::max(col, 0), m_colCount - 1);
    row = std::min(std::max(row, 0), m_rowCount - 1);
    if (col == m_col && row == m_row) return;
    bool canSelect = true;
    if (OnSelectCell && CanFireEvents()) OnSelectCell(this, col, row, canSelect);
    if (!canSelect) return;
    m_col = col;
    m_row = row;
    ScrollInView(col);
    Invalidate();
}

void TStringGrid::ScrollInView(int col) {
    if (col < m_leftCol)
        SetLeftCol(col);
    else if (col >= m_leftCol + VisibleColCount())
        SetLeftCol(col - VisibleColCount() + 1);
}

void TStringGrid::UpdateScrollBar() {
    if (!HandleAllocated() || !(ScrollBars == ssHorizontal || ScrollBars == ssBoth)) return;
    // A page that holds every column hides the bar.
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = m_colCount - 1;
    info.nPage = static_cast<UINT>(VisibleColCount());
    info.nPos = m_leftCol;
    SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
}

void TStringGrid::HorizontalScroll(int code) {
    switch (code) {
        case SB_LINELEFT: SetLeftCol(m_leftCol - 1); break;
        case SB_LINERIGHT: SetLeftCol(m_leftCol + 1); break;
        case SB_PAGELEFT: SetLeftCol(m_leftCol - VisibleColCount()); break;
        case SB_PAGERIGHT: SetLeftCol(m_leftCol + VisibleColCount()); break;
        case SB_LEFT: SetLeftCol(0); break;
        case SB_RIGHT: SetLeftCol(m_colCount); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            GetScrollInfo(Handle(), SB_HORZ, &info);
            SetLeftCol(info.nTrackPos);
            break;
        }
        default: break;
    }
}

void TStringGrid::DrawCell(int col, int row, RECT rect, TGridDrawState state) {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor((state & gdSelected) ? clHighlight : Color());
    canvas->FillRect(rect);
    if (OnDrawCell && CanFireEvents()) OnDrawCell(this, col, row, rect, state);
}

void TStringGrid::Paint() {
    TCanvas* canvas = Canvas();
    const int clientWidth = ClientWidth();
    const bool isFocused = Focused();
    for (int row = 0; row < m_rowCount; ++row) {
        for (int col = m_leftCol; col < m_colCount; ++col) {
            const RECT rect = CellRect(col, row);
            if (rect.right <= rect.left) break;
            TGridDrawState state = 0;
            if (col == m_col && row == m_row) state |= gdSelected | (isFocused ? gdFocused : 0);
            DrawCell(col, row, rect, state);
            // The grid lines right of and below the cell.
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(RECT{rect.right, rect.top, rect.right + m_lineWidth, rect.bottom + m_lineWidth});
            canvas->FillRect(RECT{rect.left, rect.bottom, rect.right, rect.bottom + m_lineWidth});
            if (rect.right >= clientWidth) break;
        }
    }
    // The current cell stays visible over whatever its owner drew.
    const RECT current = CellRect(m_col, m_row);
    if (current.right > current.left) {
        canvas->Brush()->SetColor(clHighlight);
        canvas->FrameRect(current);
        if (isFocused) {
            RECT inner = current;
            InflateRect(&inner, -2, -2);
            canvas->DrawFocusRect(inner);
        }
    }
}

void TStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        if (Enabled() && Visible() && !Focused()) SetFocus();
        int col = 0, row = 0;
        if (MouseToCell(x, y, col, row)) MoveCurrent(col, row);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TStringGrid::KeyDown(WORD& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    switch (key) {
        case VK_LEFT: MoveCurrent(m_col - 1, m_row); break;
        case VK_RIGHT: MoveCurrent(m_col + 1, m_row); break;
        case VK_UP: MoveCurrent(m_col, m_row - 1); break;
        case VK_DOWN: MoveCurrent(m_col, m_row + 1); break;
        case VK_HOME: MoveCurrent(0, m_row); break;
        case VK_END: MoveCurrent(m_colCount - 1, m_row); break;
        case VK_PRIOR: MoveCurrent(m_col - VisibleColCount(), m_row); break;
        case VK_NEXT: MoveCurrent(m_col + VisibleColCount(), m_row); break;
        default: break;
    }
}

void TStringGrid::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
        case WM_HSCROLL:
            HorizontalScroll(LOWORD(message.WParam));
            message.Result = 0;
            return;
        case WM_SIZE:
            TCustomControl::WndProc(message);
            SetLeftCol(m_leftCol);
            UpdateScrollBar();
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            // The focus look of the current cell changes.
            TCustomControl::WndProc(message);
            Invalidate();
            return;
        default: break;
    }
    TCustomControl::WndProc(message);
}
