// The tool palette: an item that shows a grid of cells in a menu or on a toolbar, and the
// colour sets that name the colours of colour palettes.
#pragma once

#include <vector>

#include "themes/UiItems.h"

class TUiCustomToolPalette;

HV_ENUM(TUiToolPaletteOption, tpoCustomImages, tpoNoAutoSelect)
using TUiToolPaletteOptions = TSet<TUiToolPaletteOption>;

using TTPCellClick = TEvent<void(TUiCustomToolPalette* Sender, int& ACol, int& ARow, bool& AllowChange)>;
using TTPGetCellHint = TEvent<void(TUiCustomToolPalette* Sender, int ACol, int ARow, WideString& HintText)>;
using TTPCalcImageSizeEvent = TEvent<void(TUiCustomToolPalette* Sender, int& AWidth, int& AHeight)>;
using TTPDrawCellImageEvent = TEvent<void(TUiCustomToolPalette* Sender, TCanvas* Canvas, const TRect& ARect, int ACol,
                                          int ARow, bool Selected, bool Hot, bool Enabled)>;
using TTPGetCellVisibleEvent = TEvent<void(TUiCustomToolPalette* Sender, int ACol, int ARow, bool& Visible)>;

class TUiCustomToolPalette : public TUiCustomItem {
  HV_CLASS(TUiCustomToolPalette, TUiCustomItem)
 public:
  explicit TUiCustomToolPalette(TComponent* AOwner);

  int ColCount() const { return colCount_; }
  void SetColCount(int Value);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int Value);
  TUiToolPaletteOptions PaletteOptions() const { return paletteOptions_; }
  void SetPaletteOptions(TUiToolPaletteOptions Value);
  // X = -1: no cell is selected.
  TPoint SelectedCell() const { return selectedCell_; }
  void SetSelectedCell(const TPoint& Value);

  TTPCalcImageSizeEvent OnCalcImageSize;
  TTPCellClick OnCellClick;
  TNotifyEvent OnChange;
  TTPDrawCellImageEvent OnDrawCellImage;
  TTPGetCellVisibleEvent OnGetCellVisible;
  TTPGetCellHint OnGetCellHint;

  TBarItemViewerClass ViewerClass(TBarView* AView) override;

  // A hook that may change the cell size before the frame is added; nothing here.
  virtual void DoCalcCellSize(int& AWidth, int& AHeight);
  virtual void DoCalcImageSize(int& AWidth, int& AHeight);
  // Whether a click may select the cell (the event may change the cell too).
  virtual bool DoCellClick(int& ACol, int& ARow);
  virtual void DoChange();
  virtual void DoDrawCellImage(TCanvas* Canvas, const TRect& ARect, int ACol, int ARow, bool Selected, bool Hot,
                               bool Enabled);
  virtual void DoGetCellVisible(int ACol, int ARow, bool& Visible);
  virtual void DoGetCellHint(int ACol, int ARow, WideString& HintText);
  // A click on a cell: selects it unless the event refuses or tpoNoAutoSelect is set.
  virtual void HandleClickCell(int ACol, int ARow);

 private:
  int colCount_ = 1;
  TUiToolPaletteOptions paletteOptions_;
  int rowCount_ = 1;
  TPoint selectedCell_{-1, 0};
};

class TUiToolViewer : public TUiItemViewer {
  HV_CLASS(TUiToolViewer, TUiItemViewer)
 public:
  TUiToolViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel);

  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  void Entering() override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) override;
  void MouseMove(int X, int Y) override;
  void MouseUp(int X, int Y, bool MouseWasDownOnMenu) override;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool GetHintInfo(const TPoint& P, WideString& Hint, TRect& HintRect) override;

  virtual TPoint GetCellSize();
  // The size of a cell's image: the item's image list, else 16 x 16, then the item's event.
  TPoint GetImageSize() override;
  // A cell's rectangle inside a client rectangle of the viewer's size.
  virtual TRect GetCellRect(const TRect& ClientRect, int ACol, int ARow);
  virtual void DrawCellImage(TCanvas* Canvas, const TRect& ARect, int ACol, int ARow, const TUiItemInfo& ItemInfo);
  virtual bool IsCellVisible(const TPoint& Cell);

  // The visible cell at a point of the viewer, X = -1 for none.
  TPoint CellAt(int X, int Y);
  // Where the hot cell starts when the viewer is entered from below (upward) or from above.
  void EnterFrom(bool FromBelow);
  TUiCustomToolPalette* Palette() const;
  TPoint HotCell() const { return hotCell_; }
  void SetHotCell(const TPoint& Value);
  int Offset() const { return offset_; }
  bool MousePressed() const { return mousePressed_; }

 protected:
  // Whether a released click on the cell ends the open menu as a click of the palette; when not,
  // the menu stays open and only the click's tracking ends.
  virtual bool CellClickEndsMenu(const TPoint&) { return true; }

 private:
  TRect ClientRectOfViewer();
  void InvalidateCell(const TPoint& Cell);

  int offset_ = 0;
  int colCount_ = 0;
  int rowCount_ = 0;
  TPoint hotCell_{-1, 0};
  bool mousePressed_ = false;
};

using TUiColorInfoEvent = TEvent<void(TObject* Sender, int ACol, int ARow, TColor& Color, AnsiString& Name)>;

// Named colours in a grid, for colour palettes attached to the set.
class TUiCustomColorSet : public TComponent {
  HV_CLASS(TUiCustomColorSet, TComponent)
 public:
  explicit TUiCustomColorSet(TComponent* AOwner);
  ~TUiCustomColorSet() override;

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  // Stores the size and gives it to every attached palette.
  virtual void SetSize(int ACols, int ARows);
  // "None", the name of the first cell of that colour, else "#RRGGBB".
  virtual AnsiString ColorToString(TColor Color);
  virtual void GetColorInfo(int ACol, int ARow, TColor& Color, AnsiString& Name);

  void AttachPalette(TUiCustomToolPalette* Palette);
  void DetachPalette(TUiCustomToolPalette* Palette);
  const std::vector<TUiCustomToolPalette*>& Palettes() const { return palettes_; }

  TUiColorInfoEvent OnGetColorInfo;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TUiCustomToolPalette*> palettes_;
  int colCount_ = 0;
  int rowCount_ = 0;
};

// The 40 colours of an 8 x 5 grid.
class TUiDefaultColorSet : public TUiCustomColorSet {
  HV_CLASS(TUiDefaultColorSet, TUiCustomColorSet)
 public:
  explicit TUiDefaultColorSet(TComponent* AOwner);
  void GetColorInfo(int ACol, int ARow, TColor& Color, AnsiString& Name) override;
};

// The colour set made with the unit.
TUiDefaultColorSet* UiDefaultColorSet();
