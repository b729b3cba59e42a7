// Small rules of the controls: their published defaults, the PNG writer with each filter on its
// own read back pixel for pixel, and which page a page list shows after a page leaves it.
#include <gtest/gtest.h>

#include <random>

#include "ControlsTestSupport.h"
#include "PngTestSupport.h"
#include "controls/ApColorBox.h"
#include "controls/ApPageList.h"
#include "controls/ApSpin.h"
#include "controls/SizeGripThemed.h"
#include "tests/framework/PublishedDefaults.h"

using namespace png_test;

TEST_F(ShownForm, ControlsPublishTheirDefaults) {
  auto* spin = Child<TApSpinEdit>();
  ExpectPublishedDefaults(spin, {{"CheckMinValue", false},
                                 {"CheckMaxValue", false},
                                 {"ArrowKeys", true},
                                 {"ButtonKind", bkDiagonal},
                                 {"Thousands", false},
                                 {"Decimal", 2},
                                 {"EditorEnabled", true},
                                 {"ShowButton", true},
                                 {"ValueType", vtInteger}});
  ExpectPublishedSetDefaults(spin, {{"CheckOptions", "coCheckOnChange,coCheckOnExit,coCropBeyondLimit"}});
  EXPECT_EQ(spin->Increment(), 1.0L);
  EXPECT_EQ(spin->Text(), L"0");
  EXPECT_EQ(spin->DisplayFormat(), ",0.##");
  EXPECT_FALSE(IsStoredProp(spin, FindPropInfo(spin, "DisplayFormat")));

  auto* button = Child<TApSpinButton>();
  ExpectPublishedDefaults(button, {{"ButtonStyle", sbsDefault}});
  EXPECT_TRUE(button->Width() == 20 && button->Height() == 20);

  auto* square = Child<TApColorSquare>();
  ExpectPublishedDefaults(square, {{"BorderStyle", bsSingle}});
  EXPECT_TRUE(square->Color() == TColor(0xFFFFFF) && square->Width() == 18 && square->Height() == 18);

  auto* list = Child<TApPageList>();
  ExpectPublishedDefaults(list, {{"PropagateEnable", false}, {"ShowDesignCaption", sdcCenter}});
  EXPECT_TRUE(list->Width() == 300 && list->Height() == 200 && list->GetActivePageIndex() == -1);

  auto* grip = new TSizeGripThemed(form);
  ExpectPublishedDefaults(grip, {{"Enabled", true}, {"Style", sgsClassic}, {"Themed", true}});
  EXPECT_EQ(grip->TargetControl(), form);

  TPngGraphic png;
  EXPECT_EQ(png.WriteFilters(), (TFilters{pfSub}));
  EXPECT_EQ(png.DeflateLevel(), 7);
  EXPECT_EQ(png.MaxIdatChunkSize(), 65535);
  EXPECT_EQ(png.Interlacing(), 0);
}

namespace {

// Noise rows of an image of the colour type, each with filter byte 0.
std::string NoiseRows(int Width, int Height, int BytesPerPixel, unsigned Seed) {
  std::mt19937 random(Seed);
  std::string rows;
  for (int y = 0; y < Height; ++y) {
    rows += '\0';
    for (int i = 0; i < Width * BytesPerPixel; ++i) rows += static_cast<char>(random() & 0xFF);
  }
  return rows;
}

}  // namespace

TEST(PngWriter, EachFilterOnItsOwnIsReadBackPixelForPixel) {
  const struct { int ColorType, BytesPerPixel; } kinds[] = {{0, 1}, {2, 3}, {4, 2}, {6, 4}};
  const TFilter filters[] = {pfNone, pfSub, pfUp, pfAverage, pfPaeth};
  for (const auto& kind : kinds)
    for (int interlace : {0, 1}) {
      const int width = 13, height = 9;
      auto source = Load(File(
          {Ihdr(width, height, 8, kind.ColorType), Idat(NoiseRows(width, height, kind.BytesPerPixel, 7)), Iend()}));
      source->SetInterlacing(static_cast<uint8_t>(interlace));
      for (TFilter filter : filters) {
        SCOPED_TRACE("colour type " + std::to_string(kind.ColorType) + " interlace " + std::to_string(interlace) +
                     " filter " + std::to_string(filter));
        source->SetWriteFilters(TFilters{filter});
        const std::string saved = Save(*source);
        auto back = Load(saved);
        ASSERT_TRUE(back->Width() == width && back->Height() == height);
        for (int y = 0; y < height; ++y) {
          for (int x = 0; x < width; ++x) ASSERT_EQ(back->Pixels(x, y), source->Pixels(x, y)) << x << "," << y;
          if (uint8_t* alpha = source->Header()->AlphaRow(y)) {
            ASSERT_EQ(std::string(reinterpret_cast<char*>(back->Header()->AlphaRow(y)), width),
                      std::string(reinterpret_cast<char*>(alpha), width))
                << y;
          }
        }
      }
    }
}

namespace {

class PageRemoval : public ShownForm {
 protected:
  void SetUp() override {
    ShownForm::SetUp();
    list = Child<TApPageList>();
    list->OnChange = change.Event();
    for (auto*& page : pages) {
      page = new TApStandardPage(form);
      page->SetPageList(list);
    }
  }
  TApPageList* list = nullptr;
  TApStandardPage* pages[3] = {};
  int changes = 0;
  TFn<void(TObject*)> change{[this](TObject*) { ++changes; }};
};

}  // namespace

TEST_F(PageRemoval, AnInactivePageLeavesTheActiveOneAndTheActiveOneItsFollower) {
  const struct {
    int Active, Removed, Shown;  // indexes into pages; -1 for none
  } cases[] = {{0, 1, 0}, {0, 2, 0}, {2, 0, 2}, {2, 1, 2}, {1, 1, 2}, {0, 0, 1}, {2, 2, 1}};
  for (const auto& c : cases) {
    for (int i = 0; i < 3; ++i) {
      pages[i]->SetPageList(nullptr);
      pages[i]->SetPageList(list);
    }
    list->SetActivePage(pages[c.Active]);
    changes = 0;
    pages[c.Removed]->SetPageList(nullptr);
    EXPECT_EQ(list->ActivePage(), pages[c.Shown]) << c.Active << " " << c.Removed;
    EXPECT_EQ(changes, c.Active == c.Shown ? 0 : 1) << c.Active << " " << c.Removed;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(pages[i]->Visible(), i == c.Shown) << c.Active << " " << c.Removed;
  }
}
