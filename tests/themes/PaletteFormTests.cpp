// A form with a themed menu bar whose "Colour" menu holds a palette of the default colours,
// opened on screen. THEME_TEST_HOLD_MS keeps it open for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"
#include "themes/UiToolPals.h"

namespace {

// Fills each cell with its colour from the default set and names it in the hint.
struct TColorCells : TObject {
  void Draw(TUiCustomToolPalette*, TCanvas* Canvas, const TRect& R, int ACol, int ARow, bool, bool, bool) {
    TColor color;
    AnsiString name;
    UiDefaultColorSet()->GetColorInfo(ACol, ARow, color, name);
    Canvas->Brush()->SetColor(color);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->FillRect(R);
  }
  void Size(TUiCustomToolPalette*, int& W, int& H) { W = H = 14; }
};

TUiCustomItem* MenuItem(TComponent* Owner, const wchar_t* Caption) {
  auto* item = new TUiCustomItem(Owner);
  item->SetCaption(Caption);
  return item;
}

}  // namespace

TEST(PaletteForm, ThemedMenuShowsTheColourCells) {
  TForm form(nullptr, CreateNew);
  form.SetCaption(L"Colour palette");
  form.SetBounds(40, 40, 420, 320);
  auto* dock = new TUiDock(&form);
  dock->SetParent(&form);
  auto* bar = new TUiToolbar(&form);
  bar->SetHideWhenInactive(false);
  bar->SetMenuBar(true);
  bar->SetParent(dock);
  auto* colour = MenuItem(&form, L"&Colour");
  bar->Items()->Add(colour);
  colour->Add(MenuItem(&form, L"&More colours...\tCtrl+M"));
  colour->Add(new TUiSeparatorItem(&form));
  TColorCells cells;
  auto* palette = new TUiCustomToolPalette(&form);
  palette->SetPaletteOptions(TUiToolPaletteOptions{tpoCustomImages});
  palette->OnDrawCellImage = TTPDrawCellImageEvent(&cells, &TColorCells::Draw);
  palette->OnCalcImageSize = TTPCalcImageSizeEvent(&cells, &TColorCells::Size);
  UiDefaultColorSet()->AttachPalette(palette);
  palette->SetSelectedCell({0, 2});
  colour->Add(palette);
  colour->Add(new TUiSeparatorItem(&form));
  colour->Add(MenuItem(&form, L"&No colour"));
  form.Show();
  PumpMessagesFor(100);

  TBarItemViewer* parent = bar->View()->Find(colour);
  ASSERT_NE(parent, nullptr);
  TBarPopupWindow* popup = colour->CreatePopup(bar->View(), parent, false, false, false, {}, 0);
  ASSERT_NE(dynamic_cast<TUiPopupWindow*>(popup), nullptr);
  PumpMessagesFor(300);
  auto* viewer = dynamic_cast<TUiToolViewer*>(popup->View()->Find(palette));
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(viewer->Show());
  // The centre of the "Red" cell (column 0, row 2) and of "Blue" (column 5, row 1) on screen.
  auto screenPixel = [&](int Col, int Row) {
    TRect cell = viewer->GetCellRect(viewer->BoundsRect(), Col, Row);
    TPoint p = popup->ClientToScreen({(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
    HDC screen = GetDC(nullptr);
    COLORREF c = GetPixel(screen, p.X, p.Y);
    ReleaseDC(nullptr, screen);
    return c;
  };
  const char* hold = std::getenv("THEME_TEST_HOLD_MS");
  if (hold) PumpMessagesFor(static_cast<DWORD>(std::atoi(hold)));
  EXPECT_EQ(screenPixel(0, 2), 0x0000FFu);
  EXPECT_EQ(screenPixel(5, 1), 0xFF0000u);
  EXPECT_EQ(screenPixel(7, 4), 0xFFFFFFu);
  // Every cell lies inside the item.
  TRect last = viewer->GetCellRect(viewer->BoundsRect(), 7, 4);
  EXPECT_LE(last.Right, viewer->BoundsRect().Right);
  bar->View()->CloseSubmenu();
  PumpMessagesFor(50);
  UiDefaultColorSet()->DetachPalette(palette);
  form.Hide();
}
