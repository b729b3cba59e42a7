// The tool palette item, its viewer, and the named colour sets.
#include "themes/UiToolPals.h"

#include <algorithm>
#include <cstdio>

// The palette and the colour sets are made in code by those who use them (the character palette
// publishes its own list), so they publish nothing.
HV_PUBLISH(TUiCustomToolPalette) {}
HV_PUBLISH(TUiToolViewer) {}
HV_PUBLISH(TUiCustomColorSet) {}
HV_PUBLISH(TUiDefaultColorSet) {}

namespace {
// The grid holds byte-sized counts.
int clampCount(int Value) { return std::min(std::max(Value, 0), 255); }

struct TColorEntry {
  const char* Name;
  uint32_t Color;  // 0x00BBGGRR
};

const TColorEntry defaultColors[5][8] = {
    {{"Black", 0x000000},
     {"Brown", 0x003399},
     {"Olive Green", 0x003333},
     {"Dark Green", 0x003300},
     {"Dark Teal", 0x663300},
     {"Dark blue", 0x800000},
     {"Indigo", 0x993333},
     {"Gray-80%", 0x333333}},
    {{"Dark Red", 0x000080},
     {"Orange", 0x0066FF},
     {"Dark Yellow", 0x008080},
     {"Green", 0x008000},
     {"Teal", 0x808000},
     {"Blue", 0xFF0000},
     {"Blue-Gray", 0x996666},
     {"Gray-50%", 0x808080}},
    {{"Red", 0x0000FF},
     {"Light Orange", 0x0099FF},
     {"Lime", 0x00CC99},
     {"Sea Green", 0x669933},
     {"Aqua", 0xCCCC33},
     {"Light Blue", 0xFF6633},
     {"Violet", 0x800080},
     {"Gray-40%", 0x969696}},
    {{"Pink", 0xFF00FF},
     {"Gold", 0x00CCFF},
     {"Yellow", 0x00FFFF},
     {"Bright Green", 0x00FF00},
     {"Turquoise", 0xFFFF00},
     {"Sky Blue", 0xFFCC00},
     {"Plum", 0x663399},
     {"Gray-25%", 0xC0C0C0}},
    {{"Rose", 0xCC99FF},
     {"Tan", 0x99CCFF},
     {"Light Yellow", 0x99FFFF},
     {"Light Green", 0xCCFFCC},
     {"Light Turquoise", 0xFFFFCC},
     {"Pale Blue", 0xFFCC99},
     {"Lavender", 0xFF99CC},
     {"White", 0xFFFFFF}},
};

struct TToolPalsUnit {
  TToolPalsUnit() : colorSet(nullptr) {}
  TUiDefaultColorSet colorSet;
};
TToolPalsUnit& toolPalsUnit() {
  static TToolPalsUnit unit;
  return unit;
}
}  // namespace

TUiDefaultColorSet* UiDefaultColorSet() { return &toolPalsUnit().colorSet; }

// ---- the palette item ----

TUiCustomToolPalette::TUiCustomToolPalette(TComponent* AOwner) : TUiCustomItem(AOwner) {}

void TUiCustomToolPalette::SetColCount(int Value) {
  Value = clampCount(Value);
  if (colCount_ == Value) return;
  colCount_ = Value;
  Changed(true);
}

void TUiCustomToolPalette::SetRowCount(int Value) {
  Value = clampCount(Value);
  if (rowCount_ == Value) return;
  rowCount_ = Value;
  Changed(true);
}

void TUiCustomToolPalette::SetPaletteOptions(TUiToolPaletteOptions Value) {
  if (paletteOptions_ == Value) return;
  paletteOptions_ = Value;
  Changed(true);
}

void TUiCustomToolPalette::SetSelectedCell(const TPoint& Value) {
  if (selectedCell_ == Value) return;
  selectedCell_ = Value;
  Changed(false);
}

TBarItemViewerClass TUiCustomToolPalette::ViewerClass(TBarView*) { return &MakeBarItemViewer<TUiToolViewer>; }

void TUiCustomToolPalette::DoCalcCellSize(int&, int&) {}

void TUiCustomToolPalette::DoCalcImageSize(int& AWidth, int& AHeight) {
  if (OnCalcImageSize) OnCalcImageSize(this, AWidth, AHeight);
}

bool TUiCustomToolPalette::DoCellClick(int& ACol, int& ARow) {
  bool allow = true;
  if (OnCellClick) OnCellClick(this, ACol, ARow, allow);
  return allow;
}

void TUiCustomToolPalette::DoChange() {
  if (OnChange) OnChange(this);
}

void TUiCustomToolPalette::DoDrawCellImage(TCanvas* Canvas, const TRect& ARect, int ACol, int ARow, bool Selected,
                                           bool Hot, bool Enabled) {
  if (OnDrawCellImage) OnDrawCellImage(this, Canvas, ARect, ACol, ARow, Selected, Hot, Enabled);
}

void TUiCustomToolPalette::DoGetCellVisible(int ACol, int ARow, bool& Visible) {
  if (OnGetCellVisible) OnGetCellVisible(this, ACol, ARow, Visible);
}

void TUiCustomToolPalette::DoGetCellHint(int ACol, int ARow, WideString& HintText) {
  if (OnGetCellHint) OnGetCellHint(this, ACol, ARow, HintText);
}

void TUiCustomToolPalette::HandleClickCell(int ACol, int ARow) {
  if (!DoCellClick(ACol, ARow) || paletteOptions_.Contains(tpoNoAutoSelect)) return;
  selectedCell_ = {ACol, ARow};
  Changed(true);
  DoChange();
}

// ---- the viewer ----

TUiToolViewer::TUiToolViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel)
    : TUiItemViewer(AView, AItem, AGroupLevel) {
  if (TUiCustomToolPalette* p = Palette()) {
    colCount_ = p->ColCount();
    rowCount_ = p->RowCount();
  }
}

TUiCustomToolPalette* TUiToolViewer::Palette() const { return dynamic_cast<TUiCustomToolPalette*>(Item()); }

TPoint TUiToolViewer::GetImageSize() {
  TCustomImageList* images = Item()->Images();
  TPoint s = images ? TPoint{images->Width(), images->Height()} : TPoint{16, 16};
  if (TUiCustomToolPalette* p = Palette()) p->DoCalcImageSize(s.X, s.Y);
  return s;
}

TPoint TUiToolViewer::GetCellSize() {
  TPoint s = GetImageSize();
  if (TUiCustomToolPalette* p = Palette()) p->DoCalcCellSize(s.X, s.Y);
  return {s.X + 6, s.Y + 6};
}

void TUiToolViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  TUiCustomToolPalette* p = Palette();
  bool toolbar = IsToolbarStyle();
  offset_ = 0;
  if (!toolbar && CurrentTheme) {
    // The cells start where the captions of the menu's other items start.
    TCustomImageList* menuImages = View()->ParentItem() ? View()->ParentItem()->SubMenuImages() : nullptr;
    TPoint column = menuImages ? TPoint{menuImages->Width(), menuImages->Height()} : TPoint{16, 16};
    offset_ =
        CurrentTheme->GetIntegerMetrics(32) + CurrentTheme->GetIntegerMetrics(33) + PopupMarginFor(Canvas, column) - 3;
  }
  colCount_ = p ? p->ColCount() : 0;
  rowCount_ = p ? p->RowCount() : 0;
  TPoint cell = GetCellSize();
  int w = offset_ + cell.X * colCount_;
  if (!toolbar && CurrentTheme) w += CurrentTheme->GetIntegerMetrics(34);
  int h = cell.Y * rowCount_;
  AWidth = std::max(w, 8);
  AHeight = std::max(h, 8);
}

TRect TUiToolViewer::GetCellRect(const TRect& ClientRect, int ACol, int ARow) {
  if (Item() && UiItem() && UiItem()->Stretch() && colCount_ > 0 && rowCount_ > 0) {
    // The offset is taken from the width before the columns share it, so the last cell ends
    // at the right edge instead of running past it by the offset.
    int left = ClientRect.Left + offset_;
    int w = std::max(ClientRect.Width() - offset_, 0);
    int h = ClientRect.Height();
    return {left + w * ACol / colCount_, ClientRect.Top + h * ARow / rowCount_, left + w * (ACol + 1) / colCount_,
            ClientRect.Top + h * (ARow + 1) / rowCount_};
  }
  TPoint cell = GetCellSize();
  int l = ClientRect.Left + offset_ + ACol * cell.X;
  int t = ClientRect.Top + ARow * cell.Y;
  return {l, t, l + cell.X, t + cell.Y};
}

bool TUiToolViewer::IsCellVisible(const TPoint& Cell) {
  TUiCustomToolPalette* p = Palette();
  if (!p) return false;
  bool visible = Cell.X >= 0 && Cell.X < colCount_ && Cell.Y >= 0 && Cell.Y < rowCount_;
  if (visible && !p->PaletteOptions().Contains(tpoCustomImages)) {
    TCustomImageList* images = p->Images();
    visible = images && Cell.Y * colCount_ + Cell.X < images->Count();
  }
  p->DoGetCellVisible(Cell.X, Cell.Y, visible);
  return visible;
}

TRect TUiToolViewer::ClientRectOfViewer() { return {0, 0, BoundsRect().Width(), BoundsRect().Height()}; }

TPoint TUiToolViewer::CellAt(int X, int Y) {
  const TPoint none{-1, 0};
  if (colCount_ <= 0 || rowCount_ <= 0 || X < offset_ || Y < 0) return none;
  TRect client = ClientRectOfViewer();
  TPoint cell;
  if (UiItem() && UiItem()->Stretch()) {
    // The same width the cell rectangles share, so a click hits the cell drawn under it.
    int w = client.Width() - offset_;
    if (w <= 0 || client.Height() <= 0) return none;
    // The inverse of the cell edges' rounding: the last cell whose left edge is at or
    // before the point.
    cell = {(colCount_ * (X - offset_ + 1) - 1) / w, (rowCount_ * (Y + 1) - 1) / client.Height()};
  } else {
    TPoint size = GetCellSize();
    cell = {(X - offset_) / size.X, Y / size.Y};
  }
  return IsCellVisible(cell) ? cell : none;
}

void TUiToolViewer::InvalidateCell(const TPoint& Cell) {
  if (Cell.X < 0 || !Show() || !View()->Window() || !View()->Window()->HandleAllocated()) return;
  TRect r = GetCellRect(BoundsRect(), Cell.X, Cell.Y);
  RECT raw{r.Left, r.Top, r.Right, r.Bottom};
  InvalidateRect(View()->Window()->Handle(), &raw, FALSE);
}

void TUiToolViewer::SetHotCell(const TPoint& Value) {
  if (hotCell_ == Value) return;
  InvalidateCell(hotCell_);
  hotCell_ = Value;
  InvalidateCell(hotCell_);
}

void TUiToolViewer::MouseMove(int X, int Y) { SetHotCell(CellAt(X, Y)); }

void TUiToolViewer::MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) {
  mousePressed_ = true;
  SetHotCell(CellAt(X, Y));
  TUiItemViewer::MouseDown(Shift, X, Y, MouseDownOnMenu);
  Invalidate();
}

void TUiToolViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  mousePressed_ = false;
  TPoint cell = CellAt(X, Y);
  if (cell.X >= 0) {
    if (TUiCustomToolPalette* p = Palette()) p->HandleClickCell(cell.X, cell.Y);
    if (!CellClickEndsMenu(cell)) {
      View()->CancelMouseTracking();
      return;
    }
    // In an open menu the click of a cell ends the menu as a click of the palette.
    if (View()->State().Contains(vstModal)) View()->GetRootView()->FinishWithClick(this);
  }
  TUiItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
}

void TUiToolViewer::Entering() {
  TUiItemViewer::Entering();
  if (!View()->IsPopup()) return;
  // Arrows moving up reach the palette from the item below it.
  EnterFrom(GetKeyState(VK_UP) < 0 || (GetKeyState(VK_TAB) < 0 && GetKeyState(VK_SHIFT) < 0));
}

void TUiToolViewer::EnterFrom(bool FromBelow) {
  TPoint cell{-1, 0};
  if (!FromBelow) {
    cell = {0, 0};
  } else {
    // From the last cell backwards, through every row, to the first visible cell.
    for (int row = rowCount_ - 1; row >= 0 && cell.X < 0; --row)
      for (int col = colCount_ - 1; col >= 0; --col)
        if (IsCellVisible({col, row})) {
          cell = {col, row};
          break;
        }
  }
  SetHotCell(cell);
  Invalidate();
}

void TUiToolViewer::KeyDown(Word& Key, TShiftState Shift) {
  TUiCustomToolPalette* p = Palette();
  if (!p) {
    TUiItemViewer::KeyDown(Key, Shift);
    return;
  }
  if (Key == VK_RETURN) {
    if (hotCell_.X >= 0 && IsCellVisible(hotCell_)) {
      p->HandleClickCell(hotCell_.X, hotCell_.Y);
      return;
    }
    TUiItemViewer::KeyDown(Key, Shift);
    return;
  }
  TPoint cur{-1, -1};
  if (hotCell_.X >= 0 && IsCellVisible(hotCell_))
    cur = hotCell_;
  else if (p->SelectedCell().X >= 0 && IsCellVisible(p->SelectedCell()))
    cur = p->SelectedCell();
  bool fresh = cur.X < 0;
  TPoint next = cur;
  switch (Key) {
    case VK_PRIOR: next.Y = 0; break;
    case VK_NEXT: next.Y = rowCount_ - 1; break;
    case VK_HOME: next.X = 0; break;
    case VK_END: next.X = colCount_ - 1; break;
    case VK_LEFT:
      if (--next.X < 0) {
        next.X = colCount_ - 1;
        --next.Y;
      }
      break;
    case VK_RIGHT:
      if (++next.X >= colCount_) {
        next.X = 0;
        ++next.Y;
      }
      break;
    case VK_UP: --next.Y; break;
    case VK_DOWN: ++next.Y; break;
    default: TUiItemViewer::KeyDown(Key, Shift); return;
  }
  // Without a current cell every move starts the grid at its first cell.
  if (fresh) next = {0, 0};
  if (next != hotCell_ && IsCellVisible(next)) {
    SetHotCell(next);
    Key = 0;
    Invalidate();
  }
}

bool TUiToolViewer::GetHintInfo(const TPoint& P, WideString& Hint, TRect& HintRect) {
  TPoint cell = CellAt(P.X, P.Y);
  Hint.clear();
  if (cell.X < 0) {
    HintRect = {};
    return true;
  }
  HintRect = GetCellRect(ClientRectOfViewer(), cell.X, cell.Y);
  if (TUiCustomToolPalette* p = Palette()) p->DoGetCellHint(cell.X, cell.Y, Hint);
  return true;
}

void TUiToolViewer::DrawCellImage(TCanvas* Canvas, const TRect& ARect, int ACol, int ARow,
                                  const TUiItemInfo& ItemInfo) {
  TUiCustomToolPalette* p = Palette();
  if (!p) return;
  if (!p->PaletteOptions().Contains(tpoCustomImages) && CurrentTheme) {
    TCustomImageList* images = p->Images();
    int index = ACol + ARow * colCount_;
    if (images && index < images->Count()) CurrentTheme->PaintImage(Canvas, ARect, ItemInfo, images, index);
  }
  p->DoDrawCellImage(Canvas, ARect, ACol, ARow, ItemInfo.Selected != 0, ItemInfo.HoverKind != 0, ItemInfo.Enabled != 0);
}

void TUiToolViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool, bool) {
  TUiCustomToolPalette* p = Palette();
  if (!p || !CurrentTheme) return;
  bool toolbar = IsToolbarStyle();
  TUiItemInfo base;
  base.ViewType = ViewerViewType(this);
  if (toolbar) base.ItemOptions |= IO_TOOLBARSTYLE;
  base.Enabled = p->Enabled() || View()->Customizing();
  base.IsVertical = View()->Orientation() == orVertical;
  if (!toolbar) {
    // The image column of the menu around the palette, as its separators measure it, so that
    // the gutter runs on through the palette's row.
    base.PopupMargin = MenuPopupMargin(Canvas, View());
    CurrentTheme->PaintMenuItemFrame(Canvas, ClientAreaRect, base);
  }
  TPoint image = GetImageSize();
  for (int row = 0; row < rowCount_; ++row)
    for (int col = 0; col < colCount_; ++col) {
      TPoint cell{col, row};
      if (!IsCellVisible(cell)) continue;
      TUiItemInfo info = base;
      info.ItemOptions |= IO_TOOLBARSTYLE;
      bool hot = IsSelected && cell == hotCell_;
      if (hot) {
        info.HoverKind = toolbar ? 2 : 1;
        info.Pushed = mousePressed_;
      }
      info.Selected = cell == p->SelectedCell();
      TRect r = GetCellRect(ClientAreaRect, col, row);
      CurrentTheme->PaintButton(Canvas, r, info);
      int left = (r.Left + r.Right - image.X) / 2, top = (r.Top + r.Bottom - image.Y) / 2;
      DrawCellImage(Canvas, {left, top, left + image.X, top + image.Y}, col, row, info);
    }
}

// ---- colour sets ----

TUiCustomColorSet::TUiCustomColorSet(TComponent* AOwner) : TComponent(AOwner) {}

TUiCustomColorSet::~TUiCustomColorSet() {
  for (TUiCustomToolPalette* p : palettes_) p->RemoveFreeNotification(this);
}

void TUiCustomColorSet::AttachPalette(TUiCustomToolPalette* Palette) {
  if (!Palette || std::find(palettes_.begin(), palettes_.end(), Palette) != palettes_.end()) return;
  palettes_.push_back(Palette);
  Palette->FreeNotification(this);
  Palette->SetColCount(colCount_);
  Palette->SetRowCount(rowCount_);
}

void TUiCustomColorSet::DetachPalette(TUiCustomToolPalette* Palette) {
  auto it = std::find(palettes_.begin(), palettes_.end(), Palette);
  if (it == palettes_.end()) return;
  palettes_.erase(it);
  Palette->RemoveFreeNotification(this);
}

void TUiCustomColorSet::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  auto it = std::find(palettes_.begin(), palettes_.end(), AComponent);
  if (it != palettes_.end()) palettes_.erase(it);
}

void TUiCustomColorSet::SetSize(int ACols, int ARows) {
  colCount_ = ACols;
  rowCount_ = ARows;
  for (TUiCustomToolPalette* p : palettes_) {
    p->SetColCount(ACols);
    p->SetRowCount(ARows);
  }
}

void TUiCustomColorSet::GetColorInfo(int ACol, int ARow, TColor& Color, AnsiString& Name) {
  Name.clear();
  Color = clNone;
  if (OnGetColorInfo) OnGetColorInfo(this, ACol, ARow, Color, Name);
}

AnsiString TUiCustomColorSet::ColorToString(TColor Color) {
  if (Color == clNone) return "None";
  uint32_t rgb = ColorToRGB(Color) & 0xFFFFFF;
  for (int row = 0; row < rowCount_; ++row)
    for (int col = 0; col < colCount_; ++col) {
      TColor c = clNone;
      AnsiString name;
      GetColorInfo(col, row, c, name);
      if (c == clNone || (ColorToRGB(c) & 0xFFFFFF) != rgb) continue;
      if (!name.empty()) return name;
      row = rowCount_;
      break;
    }
  char text[8];
  std::snprintf(text, sizeof(text), "#%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
  return text;
}

TUiDefaultColorSet::TUiDefaultColorSet(TComponent* AOwner) : TUiCustomColorSet(AOwner) { SetSize(8, 5); }

void TUiDefaultColorSet::GetColorInfo(int ACol, int ARow, TColor& Color, AnsiString& Name) {
  TUiCustomColorSet::GetColorInfo(ACol, ARow, Color, Name);
  if (ACol < 0 || ACol >= 8 || ARow < 0 || ARow >= 5) {
    Color = clNone;
    Name.clear();
    return;
  }
  Color = TColor(static_cast<int32_t>(defaultColors[ARow][ACol].Color));
  Name = defaultColors[ARow][ACol].Name;
}
