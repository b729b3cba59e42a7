// The tool palette: sizes, cell rectangles and hit tests (in menus too), visibility, keyboard
// wrap and entry, clicks, hints and painting; the colour sets and their names.
#include <gtest/gtest.h>

#include <random>

#include "framework/Bitmap.h"
#include "framework/ImageList.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "themes/UiToolPals.h"

namespace {

struct TClickLog {
  int Clicks = 0, Changes = 0;
  bool Allow = true;
  void Click(TUiCustomToolPalette*, int&, int&, bool& AllowChange) {
    ++Clicks;
    AllowChange = Allow;
  }
  void Change(TObject*) { ++Changes; }
  void Hint(TUiCustomToolPalette*, int ACol, int ARow, WideString& Text) {
    Text = L"cell " + std::to_wstring(ACol) + L"," + std::to_wstring(ARow);
  }
};

// A palette of Cols x Rows over an image list of Count 16 x 16 images, in a menu or toolbar
// view without a window.
struct TPaletteFixture {
  TPaletteFixture(bool Toolbar, int Cols, int Rows, int Count)
      : swap(&theme), images(nullptr), view(nullptr, nullptr, &root, nullptr, Toolbar, false, false), pic(400, 200) {
    images.SetWidth(16);
    images.SetHeight(16);
    if (Count > 0) {
      TBitmap strip;
      strip.SetSize(16 * Count, 16);
      PatBlt(strip.Canvas()->Handle(), 0, 0, 16 * Count, 16, BLACKNESS);
      images.AddMasked(&strip, clWhite);
    }
    palette = new TUiCustomToolPalette(nullptr);
    palette->SetImages(&images);
    palette->SetColCount(Cols);
    palette->SetRowCount(Rows);
    root.Add(palette);
    viewer = dynamic_cast<TUiToolViewer*>(view.Find(palette));
    Measure();
  }
  ~TPaletteFixture() {
    root.Remove(palette);
    delete palette;
  }
  void Measure() { viewer->CalcSize(pic.Canvas(), w, h); }
  TRecordingTheme theme;
  TThemeSwap swap;
  TImageList images;
  TBarRootItem root{nullptr};
  TBarView view;
  TItemPicture pic;
  TUiCustomToolPalette* palette;
  TUiToolViewer* viewer;
  int w = 0, h = 0;
};

std::string CellText(TPoint P) { return std::to_string(P.X) + "," + std::to_string(P.Y); }

}  // namespace

TEST(UiToolPalette, SizeInToolbarsAndMenusAndEmptyGrids) {
  TPaletteFixture bar(true, 4, 3, 12);
  EXPECT_EQ(bar.viewer->Offset(), 0);
  EXPECT_EQ(bar.w, 4 * 22);
  EXPECT_EQ(bar.h, 3 * 22);
  TPaletteFixture menu(false, 4, 3, 12);
  menu.theme.IntegerMetrics = {{32, 1}, {33, 2}, {34, 2}};
  menu.Measure();
  EXPECT_GT(menu.viewer->Offset(), 0);
  EXPECT_EQ(menu.w, menu.viewer->Offset() + 4 * 22 + 2);
  TPaletteFixture empty(true, 0, 3, 12);
  EXPECT_EQ(empty.w, 8);
  EXPECT_EQ(empty.h, 66);
  EXPECT_EQ(CellText(empty.viewer->CellAt(2, 2)), "-1,0");
}

TEST(UiToolPalette, CellsBeyondTheImagesAreHiddenUnlessImagesAreCustom) {
  TPaletteFixture f(true, 4, 3, 10);
  const struct {
    TPoint Cell;
    bool Visible, Custom;
  } cases[] = {{{1, 2}, true, true},   {{2, 2}, false, true},  {{3, 2}, false, true},
               {{4, 0}, false, false}, {{0, 3}, false, false}, {{-1, 0}, false, false}};
  for (const auto& c : cases) EXPECT_EQ(f.viewer->IsCellVisible(c.Cell), c.Visible) << CellText(c.Cell);
  f.palette->SetPaletteOptions(TUiToolPaletteOptions{tpoCustomImages});
  for (const auto& c : cases) EXPECT_EQ(f.viewer->IsCellVisible(c.Cell), c.Custom) << CellText(c.Cell);
}

TEST(UiToolPalette, StretchedCellsInAMenuStayInsideAndClicksHitTheCellUnderThem) {
  for (bool toolbar : {false, true}) {
    TPaletteFixture f(toolbar, 8, 5, 40);
    ASSERT_TRUE(f.palette->Stretch());
    f.view.UpdatePositions();
    TRect client{0, 0, f.viewer->BoundsRect().Width(), f.viewer->BoundsRect().Height()};
    EXPECT_EQ(f.viewer->GetCellRect(client, 0, 0).Left, client.Left + f.viewer->Offset());
    EXPECT_EQ(f.viewer->GetCellRect(client, 7, 4).Right, client.Right) << toolbar;
    EXPECT_EQ(f.viewer->GetCellRect(client, 7, 4).Bottom, client.Bottom);
    TRect r = f.viewer->GetCellRect(client, 6, 3);  // the first and last pixels of a cell hit it
    EXPECT_EQ(CellText(f.viewer->CellAt(r.Left, r.Top)), "6,3");
    EXPECT_EQ(CellText(f.viewer->CellAt(r.Right - 1, r.Bottom - 1)), "6,3");
    EXPECT_EQ(CellText(f.viewer->CellAt(f.viewer->Offset() - 1, 3)), "-1,0");
  }
  TPaletteFixture f(true, 3, 2, 6);
  f.palette->SetStretch(false);
  EXPECT_EQ(f.viewer->GetCellRect({0, 0, 200, 100}, 2, 1), (TRect{44, 22, 66, 44}));
  EXPECT_EQ(CellText(f.viewer->CellAt(45, 23)), "2,1");
  EXPECT_EQ(CellText(f.viewer->CellAt(67, 5)), "-1,0");
}

TEST(UiToolPalette, SeededFuzzOfGridSizesKeepsHitTestAndCellsInStep) {
  // Random grids and item sizes: every point of the item hits the cell whose rectangle holds
  // it, or none outside the cells; nothing divides by zero.
  TPaletteFixture f(false, 1, 1, 0);
  f.palette->SetPaletteOptions(TUiToolPaletteOptions{tpoCustomImages});
  std::mt19937 random(2701);
  for (int round = 0; round < 300; ++round) {
    f.palette->SetColCount(static_cast<int>(random() % 12));
    f.palette->SetRowCount(static_cast<int>(random() % 9));
    f.view.UpdatePositions();
    const TRect& b = f.viewer->BoundsRect();
    TRect client{0, 0, b.Width(), b.Height()};
    for (int probe = 0; probe < 20; ++probe) {
      int x = static_cast<int>(random() % static_cast<unsigned>(b.Width() + 4)) - 2;
      int y = static_cast<int>(random() % static_cast<unsigned>(b.Height() + 4)) - 2;
      TPoint cell = f.viewer->CellAt(x, y);
      bool inside = x >= f.viewer->Offset() && y >= 0 && x < client.Right && y < client.Bottom;
      EXPECT_EQ(cell.X >= 0, inside && f.palette->ColCount() > 0 && f.palette->RowCount() > 0) << round;
      if (cell.X < 0) continue;
      TRect r = f.viewer->GetCellRect(client, cell.X, cell.Y);
      EXPECT_TRUE(x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) << round << " at " << x << "," << y;
      EXPECT_LE(r.Right, client.Right);
    }
  }
}

TEST(UiToolPalette, KeysMoveTheHotCellAndWrapAtRowEnds) {
  TPaletteFixture f(false, 4, 3, 10);
  const struct {
    TPoint From;
    Word Key;
    const char* To;
    bool Consumed;
  } cases[] = {
      {{3, 0}, VK_RIGHT, "0,1", true}, {{0, 1}, VK_LEFT, "3,0", true},   {{0, 0}, VK_LEFT, "0,0", false},
      {{1, 0}, VK_DOWN, "1,1", true},  {{1, 1}, VK_DOWN, "1,2", true},   {{2, 1}, VK_DOWN, "2,1", false},
      {{2, 1}, VK_HOME, "0,1", true},  {{0, 1}, VK_END, "3,1", true},    {{2, 1}, VK_PRIOR, "2,0", true},
      {{1, 0}, VK_NEXT, "1,2", true},  {{1, 2}, VK_RIGHT, "1,2", false}, {{-1, 0}, VK_RIGHT, "0,0", true},
  };
  for (const auto& c : cases) {
    f.viewer->SetHotCell(c.From);
    Word key = c.Key;
    f.viewer->KeyDown(key, {});
    EXPECT_EQ(CellText(f.viewer->HotCell()), c.To) << CellText(c.From) << " key " << c.Key;
    EXPECT_EQ(key == 0, c.Consumed) << CellText(c.From) << " key " << c.Key;
  }
  // Without a hot cell the selected cell is where keys start.
  f.viewer->SetHotCell({-1, 0});
  f.palette->SetSelectedCell({2, 0});
  Word key = VK_DOWN;
  f.viewer->KeyDown(key, {});
  EXPECT_EQ(CellText(f.viewer->HotCell()), "2,1");
}

TEST(UiToolPalette, EnteringFromBelowFindsTheLastVisibleCellInAnyRow) {
  const struct {
    int Images;
    bool FromBelow;
    const char* Hot;
  } cases[] = {{12, true, "3,2"}, {10, true, "1,2"}, {5, true, "0,1"},
               {3, true, "2,0"},  {0, true, "-1,0"}, {5, false, "0,0"}};
  for (const auto& c : cases) {
    TPaletteFixture f(false, 4, 3, c.Images);
    f.viewer->EnterFrom(c.FromBelow);
    EXPECT_EQ(CellText(f.viewer->HotCell()), c.Hot) << c.Images;
  }
}

TEST(UiToolPalette, ClickSelectsUnlessRefusedOrNoAutoSelect) {
  TPaletteFixture f(true, 4, 3, 12);
  TClickLog log;
  f.palette->OnCellClick = TTPCellClick(&log, &TClickLog::Click);
  f.palette->OnChange = TNotifyEvent(&log, &TClickLog::Change);
  f.palette->HandleClickCell(2, 1);
  log.Allow = false;
  f.palette->HandleClickCell(3, 2);
  EXPECT_EQ(CellText(f.palette->SelectedCell()), "2,1");
  log.Allow = true;
  f.palette->SetPaletteOptions(TUiToolPaletteOptions{tpoNoAutoSelect});
  f.palette->HandleClickCell(0, 0);
  EXPECT_EQ(log.Clicks, 3);
  EXPECT_EQ(CellText(f.palette->SelectedCell()), "2,1");
  EXPECT_EQ(log.Changes, 1);
  f.palette->SetPaletteOptions({});  // Enter on the hot cell clicks it
  f.viewer->SetHotCell({1, 1});
  Word key = VK_RETURN;
  f.viewer->KeyDown(key, {});
  EXPECT_EQ(CellText(f.palette->SelectedCell()), "1,1");
}

TEST(UiToolPalette, HintsNameTheCellUnderTheMouse) {
  TPaletteFixture f(true, 4, 3, 12);
  TClickLog log;
  f.palette->OnGetCellHint = TTPGetCellHint(&log, &TClickLog::Hint);
  f.view.UpdatePositions();
  WideString hint;
  TRect r;
  ASSERT_TRUE(f.viewer->GetHintInfo({30, 50}, hint, r));
  EXPECT_EQ(hint, L"cell 1,2");
  EXPECT_EQ(r, f.viewer->GetCellRect({0, 0, f.w, f.h}, 1, 2));
  EXPECT_TRUE(f.viewer->GetHintInfo({f.w + 5, 5}, hint, r));
  EXPECT_TRUE(hint.empty());
}

TEST(UiToolPalette, PaintsTheFrameThenEachVisibleCell) {
  TPaletteFixture f(false, 3, 2, 4);
  f.view.UpdatePositions();
  f.viewer->SetHotCell({1, 0});
  f.palette->SetSelectedCell({0, 1});
  f.theme.Calls.clear();
  f.viewer->Paint(f.pic.Canvas(), {0, 0, f.w, f.h}, true, false, false);
  EXPECT_EQ(f.theme.Names(), "MenuItemFrame Button Image Button Image Button Image Button Image");
  EXPECT_EQ(f.theme.Calls[3].Info.HoverKind, 1);  // the hot cell in a menu
  EXPECT_EQ(f.theme.Calls[7].Info.Selected, 1);
  const TRect& cell = f.theme.Calls[1].R;
  const TRect& image = f.theme.Calls[2].R;
  EXPECT_EQ(image.Left, (cell.Left + cell.Right - 16) / 2);
  EXPECT_EQ(image.Top, (cell.Top + cell.Bottom - 16) / 2);
}

TEST(UiColorSet, ColorToStringNamesOrSpellsOutTheColour) {
  TUiDefaultColorSet& set = *UiDefaultColorSet();
  const struct {
    TColor Color;
    const char* Text;
  } cases[] = {{TColor(0x0000FF), "Red"},       {TColor(0x123456), "#563412"},   {clNone, "None"},
               {TColor(0x800000), "Dark blue"}, {TColor(0x669933), "Sea Green"}, {TColor(0xFFFFFF), "White"},
               {TColor(0xC0C0C0), "Gray-25%"}};
  for (const auto& c : cases) EXPECT_EQ(set.ColorToString(c.Color), c.Text);
  TColor outside = clRed;
  AnsiString name = "x";
  set.GetColorInfo(8, 0, outside, name);
  EXPECT_EQ(outside, clNone);
  EXPECT_EQ(set.ColCount() * 10 + set.RowCount(), 85);
  for (int cell = 0; cell < 40; ++cell) {  // every colour names its own cell
    TColor color;
    AnsiString name;
    set.GetColorInfo(cell % 8, cell / 8, color, name);
    EXPECT_EQ(set.ColorToString(color), name);
  }
  // System colours are compared by the colour they stand for.
  EXPECT_EQ(set.ColorToString(clBtnFace), set.ColorToString(TColor(ColorToRGB(clBtnFace) & 0xFFFFFF)));
  // A matching cell without a name gives the hexadecimal form.
  struct TNamelessSet : TUiCustomColorSet {
    TNamelessSet() : TUiCustomColorSet(nullptr) { SetSize(2, 1); }
    void GetColorInfo(int ACol, int, TColor& Color, AnsiString& Name) override {
      Color = ACol == 0 ? TColor(0x0000FF) : clNone;
      Name = "";
    }
  } nameless;
  EXPECT_EQ(nameless.ColorToString(TColor(0x0000FF)), "#FF0000");
}

TEST(UiColorSet, SizeReachesAttachedPalettesUntilTheyAreFreed) {
  TUiCustomColorSet set(nullptr);
  auto* palette = new TUiCustomToolPalette(nullptr);
  set.AttachPalette(palette);
  set.SetSize(6, 4);
  EXPECT_EQ(palette->ColCount() * 10 + palette->RowCount(), 64);
  delete palette;
  EXPECT_TRUE(set.Palettes().empty());
}
