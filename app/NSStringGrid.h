// A grid of short texts (one character a cell) with its own grid-line colour, a current cell
// chosen by mouse or arrow keys, and cells drawn by its owner.
#pragma once

#include <vector>

#include "framework/CustomControls.h"

using TDrawCellEvent = TEvent<void(TObject* Sender, int ACol, int ARow, TRect Rect, bool Selected)>;

// Widths fitted one pixel at a time, cycling over the columns, until they and the grid lines
// (LineWidth after each column) fill ClientWidth; column 0 then gains LineWidth.
std::vector<int> FitColumnWidths(std::vector<int> Widths, int ClientWidth, int LineWidth);

class TNSStringGrid : public TCustomControl {
  HV_CLASS(TNSStringGrid, TCustomControl)
 public:
  explicit TNSStringGrid(TComponent* AOwner);

  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  void SetColCount(int Value);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int Value);
  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int Value);
  int ColWidths(int Col) const { return colWidths_[Col]; }
  void SetColWidths(int Col, int Width);
  int GridLineWidth() const { return 1; }
  TColor GridLineColor() const { return gridLineColor_; }
  void SetGridLineColor(TColor Value);
  const WideString& Cells(int Col, int Row) const { return cells_[Row * ColCount() + Col]; }
  void SetCells(int Col, int Row, const WideString& Value);
  int Col() const { return col_; }
  int Row() const { return row_; }
  // Makes the cell current (clamped to the grid) and runs OnClick.
  void SetCurrent(int Col, int Row);
  // The cell at a client point; false outside every cell.
  bool CellAt(int X, int Y, int& Col, int& Row) const;
  TRect CellRect(int Col, int Row) const;

  TDrawCellEvent OnDrawCell;

 protected:
  void Paint() override;
  void WndProc(TMessage& Message) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;

 private:
  std::vector<int> colWidths_;
  std::vector<WideString> cells_;
  int rowCount_ = 0;
  int rowHeight_ = 24;
  int col_ = 0, row_ = 0;
  TColor gridLineColor_ = clBtnFace;
};
