// Text drawer: cell metrics from the font actually selected, drawing on a fixed grid, and the
// sharing and release of the style variants.
#include <gtest/gtest.h>

#include <functional>

#include "editor/TxtEditTextDrawer.h"
#include "tests/framework/GraphicsTestSupport.h"
#include "tests/framework/Raised.h"

namespace {

std::unique_ptr<TFont> MakeFont(const wchar_t* name = L"Courier New", int size = 10) {
  auto font = std::make_unique<TFont>();
  font->SetName(name);
  font->SetSize(size);
  return font;
}

// The advance of "M" in a font, measured here independently of the drawer.
int AdvanceOfM(TFont& font, TFontStyles style) {
  LOGFONTW lf = font.LogFont();
  lf.lfWeight = style.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style.Contains(fsItalic);
  TFontHandle h(CreateFontIndirectW(&lf));
  TWindowDC screen;
  TSelectObject sel(screen.Get(), h.Get());
  ABC abc{};
  TEXTMETRICW tm{};
  GetTextMetricsW(screen.Get(), &tm);
  if (!GetCharABCWidthsW(screen.Get(), L'M', L'M', &abc)) return tm.tmAveCharWidth;
  return abc.abcA + static_cast<int>(abc.abcB) + abc.abcC + tm.tmOverhang;
}

// The rightmost column in a band of rows holding a pixel other than the background.
int RightmostInk(const TTestPicture& s, int top, int bottom, uint32_t background) {
  for (int x = s.Width() - 1; x >= 0; --x)
    for (int y = top; y < bottom; ++y)
      if (s.Pixel(x, y) != background) return x;
  return -1;
}

}  // namespace

TEST(TextDrawer, CellMetricsComeFromTheBaseStyleOfTheRealFont) {
  auto font = MakeFont();
  TheTextDrawer drawer(TFontStyles{fsBold}, font.get());
  EXPECT_EQ(drawer.GetCharWidth(), AdvanceOfM(*font, TFontStyles{fsBold}));
  EXPECT_GT(drawer.GetCharWidth(), 0);
  TWindowDC screen;
  TSelectObject sel(screen.Get(), font->Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(screen.Get(), &tm);
  EXPECT_EQ(drawer.GetCharHeight(), tm.tmHeight);

  drawer.SetCharExtra(3);
  EXPECT_EQ(drawer.GetCharWidth(), AdvanceOfM(*font, TFontStyles{fsBold}) + 3);
  drawer.SetCharExtra(0);
  drawer.SetBaseStyle(TFontStyles{});
  EXPECT_EQ(drawer.GetCharWidth(), AdvanceOfM(*font, TFontStyles{}));
}

TEST(TextDrawer, MissingFontsAreRefused) {
  auto font = MakeFont();
  // A new drawer is refused by its font stock, made before the drawer takes the font.
  EXPECT_EQ(Raised<EheFontStockException>([&] { TheTextDrawer drawer(TFontStyles{}, nullptr); }),
            "SetBaseFont: 'Value' must be specified.");
  TheTextDrawer drawer(TFontStyles{}, font.get());
  EXPECT_THROW(drawer.SetBaseFont(nullptr), EheTextDrawerException);
  EXPECT_THROW(drawer.FontStock().SetBaseFont(nullptr), EheFontStockException);
  EXPECT_GT(drawer.GetCharWidth(), 0);  // still usable
}

TEST(TextDrawer, EveryStyleAdvancesByTheSameCells) {
  auto font = MakeFont(L"Tahoma", 12);  // proportional: the grid must still hold
  TheTextDrawer drawer(TFontStyles{fsBold}, font.get());
  const int cell = drawer.GetCharWidth();
  const int row = drawer.GetCharHeight();
  TTestPicture surface(cell * 8, row * 3);
  drawer.SetForeColor(clBlack);
  drawer.SetBackColor(clWhite);
  drawer.BeginDrawing(surface.DC());
  drawer.SetStyle(TFontStyles{fsBold});
  drawer.ExtTextOut(0, 0, 0, Rect(0, 0, 0, 0), "iWi", 3);
  drawer.SetStyle(TFontStyles{});
  drawer.ExtTextOut(0, row, 0, Rect(0, 0, 0, 0), "iWi", 3);
  drawer.SetStyle(TFontStyles{fsItalic});
  drawer.ExtTextOut(0, 2 * row, 0, Rect(0, 0, 0, 0), "WWi", 3);
  drawer.EndDrawing();
  for (int r = 0; r < 3; ++r) {
    int right = RightmostInk(surface, r * row, (r + 1) * row, 0xFFFFFF);
    SCOPED_TRACE(r);
    EXPECT_GE(right, 2 * cell);  // the third character stands in the third cell
    EXPECT_LT(right, 3 * cell + cell / 2);
  }
}

// The extra spacing widens the cell once: the system must not add it again to each advance.
TEST(TextDrawer, ExtraSpacingWidensEveryCellOnce) {
  auto font = MakeFont();
  TheTextDrawer drawer(TFontStyles{}, font.get());
  drawer.SetCharExtra(6);
  const int cell = drawer.GetCharWidth();
  const int row = drawer.GetCharHeight();
  TTestPicture surface(cell * 12, row);
  drawer.SetForeColor(clBlack);
  drawer.BeginDrawing(surface.DC());
  drawer.ExtTextOut(0, 0, 0, Rect(0, 0, 0, 0), "     M", 6);
  drawer.EndDrawing();
  int right = RightmostInk(surface, 0, row, 0xFFFFFF);
  EXPECT_GE(right, 5 * cell);  // the sixth character stands in the sixth cell
  EXPECT_LT(right, 6 * cell);
  // Text drawn without advances still gets the spacing from the device context.
  drawer.BeginDrawing(surface.DC());
  EXPECT_EQ(GetTextCharacterExtra(surface.DC()), 6);
  drawer.EndDrawing();
}

TEST(TextDrawer, OpaqueDrawingFillsTheRectangleWithTheBackColour) {
  auto font = MakeFont();
  TheTextDrawer drawer(TFontStyles{fsBold}, font.get());
  const int cell = drawer.GetCharWidth();
  const int row = drawer.GetCharHeight();
  TTestPicture surface(cell * 6, row);
  drawer.BeginDrawing(surface.DC());
  drawer.SetBackColor(TColor(0x0000FF));
  drawer.SetForeColor(TColor(0x00FF00));
  drawer.ExtTextOut(0, 0, ETO_OPAQUE | ETO_CLIPPED, Rect(0, 0, cell * 4, row), "ab", 2);
  drawer.EndDrawing();
  EXPECT_EQ(surface.Pixel(cell * 3 + 1, row / 2), 0x0000FFu);
  EXPECT_EQ(surface.Pixel(cell * 5, row / 2), 0xFFFFFFu);  // outside the rectangle
  EXPECT_GT(surface.Count(0x00FF00u), 0);
  EXPECT_EQ(GetTextColor(surface.DC()), 0u);  // the DC given back as it was
}

TEST(TextDrawer, VariantHandlesLiveOnlyWhileUsed) {
  const int before = GdiObjectCount();
  auto font = MakeFont(L"Courier New", 13);
  {
    TheTextDrawer a(TFontStyles{fsBold}, font.get());
    TheTextDrawer b(TFontStyles{fsBold}, font.get());
    a.SetStyle(TFontStyles{fsUnderline});
    const int used = GdiObjectCount();
    EXPECT_GT(used, before);
    a.ReleaseTemporaryResources();
    EXPECT_EQ(GdiObjectCount(), used);  // b still holds them
    b.ReleaseTemporaryResources();
    EXPECT_LT(GdiObjectCount(), used);
    // Drawing again brings back the variant in use, with the same cell.
    TTestPicture surface(a.GetCharWidth() * 3, a.GetCharHeight());
    a.BeginDrawing(surface.DC());
    EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_FONT), a.FontStock().FontHandle());
    a.SetForeColor(clBlack);
    a.ExtTextOut(0, 0, 0, Rect(0, 0, 0, 0), "M", 1);
    a.EndDrawing();
    EXPECT_GT(surface.Count(0x000000u), 0);
    EXPECT_EQ(a.FontStock().Style(), TFontStyles{fsUnderline});
  }
  font.reset();
  EXPECT_EQ(GdiObjectCount(), before);
}

// Stocks of fonts that differ only in italic, underline or strike-out share one record; another
// face, size, weight or character set gets a record of its own.
TEST(TextDrawer, FontsOfOneFaceSizeAndWeightShareOneRecord) {
  auto base = MakeFont(L"Courier New", 11);
  TheTextDrawer first(TFontStyles{fsBold}, base.get());
  SharedFontsInfo* shared = first.FontStock().FontsInfo();
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->RefCount, 1);
  const struct {
    const char* Name;
    std::function<void(TFont&)> Change;
    bool Shares;
  } cases[] = {
      {"the same font", [](TFont&) {}, true},
      {"italic", [](TFont& f) { f.SetStyle(TFontStyles{fsItalic}); }, true},
      {"underline", [](TFont& f) { f.SetStyle(TFontStyles{fsUnderline}); }, true},
      {"strike-out", [](TFont& f) { f.SetStyle(TFontStyles{fsStrikeOut}); }, true},
      {"bold", [](TFont& f) { f.SetStyle(TFontStyles{fsBold}); }, false},
      {"another size", [](TFont& f) { f.SetSize(12); }, false},
      {"another face", [](TFont& f) { f.SetName(L"Arial"); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    auto font = MakeFont(L"Courier New", 11);
    c.Change(*font);
    const int records = GetFontsInfoManager().Count();
    {
      TheTextDrawer second(TFontStyles{fsBold}, font.get());
      EXPECT_EQ(second.FontStock().FontsInfo() == shared, c.Shares);
      EXPECT_EQ(shared->RefCount, c.Shares ? 2 : 1);
      EXPECT_EQ(GetFontsInfoManager().Count(), records + (c.Shares ? 0 : 1));
    }
    // The last holder of a record lets it go.
    EXPECT_EQ(shared->RefCount, 1);
    EXPECT_EQ(GetFontsInfoManager().Count(), records);
  }
}

// The advances grow in steps of 64 entries and keep the cell width; a new base style starts them
// again.
TEST(TextDrawer, SpacingArrayGrowsInStepsOf64) {
  auto font = MakeFont();
  TheTextDrawer drawer(TFontStyles{fsBold}, font.get());
  TTestPicture surface(200, 40);
  const std::string text(200, 'x');
  const struct {
    int Length;
    int Size;
  } steps[] = {{0, 0}, {10, 64}, {64, 64}, {65, 128}, {3, 128}, {128, 128}, {129, 192}};
  drawer.BeginDrawing(surface.DC());
  for (const auto& s : steps) {
    drawer.ExtTextOut(0, 0, 0, Rect(0, 0, 0, 0), text.data(), s.Length);
    EXPECT_EQ(drawer.SpacingArraySize(), s.Size) << s.Length;
  }
  drawer.EndDrawing();
  drawer.SetBaseStyle(TFontStyles{});
  EXPECT_EQ(drawer.SpacingArraySize(), 0);
  // A fresh array of exactly 64 characters already needs the second step.
  drawer.BeginDrawing(surface.DC());
  drawer.ExtTextOut(0, 0, 0, Rect(0, 0, 0, 0), text.data(), 64);
  EXPECT_EQ(drawer.SpacingArraySize(), 128);
  drawer.EndDrawing();
}

TEST(TextDrawer, NestedBracketsOnOneContext) {
  auto font = MakeFont();
  TheTextDrawer drawer(TFontStyles{fsBold}, font.get());
  TTestPicture surface(40, 20);
  drawer.BeginDrawing(surface.DC());
  drawer.BeginDrawing(surface.DC());
  EXPECT_EQ(drawer.DrawingCount(), 2);
  drawer.EndDrawing();
  EXPECT_EQ(drawer.DrawingCount(), 1);
  // Still drawing on the context: the font stays selected.
  EXPECT_EQ(GetCurrentObject(surface.DC(), OBJ_FONT), drawer.FontStock().FontHandle());
  drawer.EndDrawing();
  EXPECT_EQ(drawer.DrawingCount(), 0);
  EXPECT_NE(GetCurrentObject(surface.DC(), OBJ_FONT), drawer.FontStock().FontHandle());
}

// Inside a drawing bracket the handles stay, the font selected there being in use; then they go.
TEST(TextDrawer, ReleasingInsideABracketKeepsTheSelectedFont) {
  auto font = MakeFont(L"Courier New", 17);
  TheTextDrawer drawer(TFontStyles{fsBold}, font.get());
  TTestPicture surface(drawer.GetCharWidth() * 3, drawer.GetCharHeight());
  drawer.BeginDrawing(surface.DC());
  HGDIOBJ selected = GetCurrentObject(surface.DC(), OBJ_FONT);
  drawer.ReleaseTemporaryResources();
  EXPECT_EQ(GetObjectType(selected), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(drawer.FontStock().FontHandle(), selected);
  drawer.SetForeColor(clBlack);
  drawer.ExtTextOut(0, 0, 0, Rect(0, 0, 0, 0), "M", 1);
  drawer.EndDrawing();
  EXPECT_GT(surface.Count(0x000000u), 0);
  drawer.ReleaseTemporaryResources();
  EXPECT_EQ(GetObjectType(selected), 0u);
  // A stock of another kind hears every release through its own operation.
  struct TCountingStock : TheFontStock {
    using TheFontStock::TheFontStock;
    void ReleaseFontHandles() override {
      ++Releases;
      TheFontStock::ReleaseFontHandles();
    }
    int Releases = 0;
  } counting(font.get());
  static_cast<TheFontStock&>(counting).ReleaseFontHandles();
  EXPECT_EQ(counting.Releases, 1);
  EXPECT_EQ(counting.FontHandle(), nullptr);
}
