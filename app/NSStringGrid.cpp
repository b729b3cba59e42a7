// The character grid's control: layout, painting of lines and cells, and the current cell.
#include "app/NSStringGrid.h"

#include "framework/Win.h"

#include "framework/Graphics.h"

HV_PUBLISH(TNSStringGrid) {
  p.Prop("ColCount", &T::ColCount, &T::SetColCount).Default(0);
  p.Prop("RowCount", &T::RowCount, &T::SetRowCount).Default(0);
  p.Prop("DefaultRowHeight", &T::DefaultRowHeight, &T::SetDefaultRowHeight).Default(24);
  p.Event("OnDrawCell", &T::OnDrawCell);
}

std::vector<int> FitColumnWidths(std::vector<int> Widths, int ClientWidth, int LineWidth) {
  if (Widths.empty()) return Widths;
  const int count = static_cast<int>(Widths.size());
  int total = count * LineWidth;
  for (int w : Widths) total += w;
  // Every step moves the total one pixel nearer; a column is never narrowed below one pixel.
  for (int i = 0, guard = 0; guard < 1000000; i = (i + 1) % count, ++guard) {
    if (total == ClientWidth) {
      Widths[0] += LineWidth;
      break;
    }
    if (total > ClientWidth) {
      if (Widths[i] > 1) --Widths[i], --total;
    } else {
      ++Widths[i], ++total;
    }
  }
  return Widths;
}

TNSStringGrid::TNSStringGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

void TNSStringGrid::SetColCount(int Value) {
  colWidths_.assign(std::max(0, Value), 64);
  cells_.assign(colWidths_.size() * rowCount_, WideString());
  Invalidate();
}

void TNSStringGrid::SetRowCount(int Value) {
  rowCount_ = std::max(0, Value);
  cells_.assign(colWidths_.size() * rowCount_, WideString());
  Invalidate();
}

void TNSStringGrid::SetDefaultRowHeight(int Value) {
  rowHeight_ = std::max(1, Value);
  Invalidate();
}

void TNSStringGrid::SetColWidths(int Col, int Width) {
  colWidths_[Col] = Width;
  Invalidate();
}

void TNSStringGrid::SetGridLineColor(TColor Value) {
  gridLineColor_ = Value;
  Invalidate();
}

void TNSStringGrid::SetCells(int Col, int Row, const WideString& Value) {
  cells_[Row * ColCount() + Col] = Value;
  Invalidate();
}

TRect TNSStringGrid::CellRect(int Col, int Row) const {
  int left = 0;
  for (int c = 0; c < Col; ++c) left += colWidths_[c] + GridLineWidth();
  const int top = Row * (rowHeight_ + GridLineWidth());
  return TRect(left, top, left + colWidths_[Col], top + rowHeight_);
}

bool TNSStringGrid::CellAt(int X, int Y, int& Col, int& Row) const {
  if (X < 0 || Y < 0) return false;
  Row = Y / (rowHeight_ + GridLineWidth());
  if (Row >= rowCount_) return false;
  int left = 0;
  for (Col = 0; Col < ColCount(); ++Col) {
    left += colWidths_[Col] + GridLineWidth();
    if (X < left) return true;
  }
  return false;
}

void TNSStringGrid::SetCurrent(int Col, int Row) {
  if (ColCount() == 0 || rowCount_ == 0) return;
  col_ = std::clamp(Col, 0, ColCount() - 1);
  row_ = std::clamp(Row, 0, rowCount_ - 1);
  Invalidate();
  Click();
}

void TNSStringGrid::Paint() {
  TCanvas& c = *Canvas();
  c.Brush()->SetColor(gridLineColor_);
  c.FillRect(ClientRect());
  c.SetFont(Font());
  for (int r = 0; r < rowCount_; ++r)
    for (int col = 0; col < ColCount(); ++col) {
      const TRect rect = CellRect(col, r);
      const bool selected = col == col_ && r == row_;
      c.Brush()->SetColor(selected ? clHighlight : Color());
      c.Font()->SetColor(selected ? clHighlightText : Font()->Color());
      if (OnDrawCell) {
        OnDrawCell(this, col, r, rect, selected);
      } else {
        c.FillRect(rect);
        RECT text = ToRECT(rect);
        ::DrawTextW(c.Handle(), Cells(col, r).c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      if (selected && Focused()) {
        const RECT focus = ToRECT(rect);
        ::DrawFocusRect(c.Handle(), &focus);
      }
    }
}

void TNSStringGrid::WndProc(TMessage& Message) {
  if (Message.Msg == WM_GETDLGCODE) {
    Message.Result = DLGC_WANTARROWS;
    return;
  }
  if (Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) Invalidate();
  TCustomControl::WndProc(Message);
}

void TNSStringGrid::KeyDown(Word& Key, TShiftState Shift) {
  switch (Key) {
    case VK_LEFT: SetCurrent(col_ - 1, row_); break;
    case VK_RIGHT: SetCurrent(col_ + 1, row_); break;
    case VK_UP: SetCurrent(col_, row_ - 1); break;
    case VK_DOWN: SetCurrent(col_, row_ + 1); break;
    case VK_HOME: SetCurrent(0, row_); break;
    case VK_END: SetCurrent(ColCount() - 1, row_); break;
    default: break;
  }
  TCustomControl::KeyDown(Key, Shift);
}

void TNSStringGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus() && IsWindowVisible(Handle())) SetFocus();
  int col = 0, row = 0;
  if (CellAt(X, Y, col, row)) SetCurrent(col, row);
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TNSStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
  int col = 0, row = 0;
  if (Shift.Contains(ssLeft) && CellAt(X, Y, col, row) && (col != col_ || row != row_)) SetCurrent(col, row);
  TCustomControl::MouseMove(Shift, X, Y);
}
