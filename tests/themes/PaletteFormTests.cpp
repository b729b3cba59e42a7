// A form with a themed menu bar whose "Colour" menu holds a palette of the default colours,
// opened on screen. THEME_TEST_HOLD_MS keeps it open for a screenshot.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/CodePages.h"
#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"
#include "themes/UiToolPals.h"

namespace {

// Fills each cell with its colour from the default set.
struct TColorCells : TObject {
  void Draw(TUiCustomToolPalette*, TCanvas* Canvas, const TRect& R, int ACol, int ARow, bool, bool, bool) {
    TColor color;
    AnsiString name;
    UiDefaultColorSet()->GetColorInfo(ACol, ARow, color, name);
    Canvas->Brush()->SetColor(color);
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
  bar->SetMenuBar(true);
  bar->SetParent(dock);
  auto* colour = MenuItem(&form, L"&Colour");
  bar->Items()->Add(colour);
  TUiCustomItem* more = MenuItem(&form, L"&More colours...\tCtrl+M");
  colour->Add(more);
  auto* separator = new TUiSeparatorItem(&form);
  colour->Add(separator);
  TColorCells cells;
  auto* palette = new TUiCustomToolPalette(&form);
  palette->SetPaletteOptions(TUiToolPaletteOptions{tpoCustomImages});
  palette->OnDrawCellImage = TTPDrawCellImageEvent(&cells, &TColorCells::Draw);
  palette->OnCalcImageSize = TTPCalcImageSizeEvent(&cells, &TColorCells::Size);
  UiDefaultColorSet()->AttachPalette(palette);
  palette->SetSelectedCell({0, 2});
  colour->Add(palette);
  TUiCustomItem* none = MenuItem(&form, L"&No colour");
  colour->Add(none);
  form.Show();
  PumpMessagesFor(100);
  TBarPopupWindow* popup = colour->CreatePopup(bar->View(), bar->View()->Find(colour), false, false, false, {}, 0);
  PumpMessagesFor(300);
  if (const char* hold = std::getenv("THEME_TEST_HOLD_MS")) PumpMessagesFor(static_cast<DWORD>(std::atoi(hold)));
  auto* viewer = dynamic_cast<TUiToolViewer*>(popup->View()->Find(palette));
  ASSERT_TRUE(viewer && viewer->Show());
  // The centres of "Red" (column 0, row 2), "Blue" (5, 1) and "White" (7, 4) on screen.
  const struct {
    int Col, Row;
    COLORREF Color;
  } cases[] = {{0, 2, 0x0000FF}, {5, 1, 0xFF0000}, {7, 4, 0xFFFFFF}};
  HDC screen = GetDC(nullptr);
  for (const auto& c : cases) {
    TRect cell = viewer->GetCellRect(viewer->BoundsRect(), c.Col, c.Row);
    TPoint p = popup->ClientToScreen({(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
    EXPECT_EQ(GetPixel(screen, p.X, p.Y), c.Color) << c.Col << "," << c.Row;
  }
  // Every row shows the image-column gutter alike, or none does: never in stripes.
  auto gutterAt = [&](TBarCustomItem* Item) {
    TRect b = popup->View()->Find(Item)->BoundsRect();
    TPoint p = popup->ClientToScreen({b.Left + 3, b.Top + 2});
    return GetPixel(screen, p.X, p.Y);
  };
  for (TBarCustomItem* row : std::initializer_list<TBarCustomItem*>{more, palette, none})
    EXPECT_EQ(gutterAt(row), gutterAt(separator)) << WideToAnsi(row->Caption());
  ReleaseDC(nullptr, screen);
  bar->View()->CloseSubmenu();
  UiDefaultColorSet()->DetachPalette(palette);
}
