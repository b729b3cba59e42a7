// The small controls: radio tiles among their siblings only, and the etched line of the group
// caption beside, around or across its text.
#include <gtest/gtest.h>

#include "app/AppControls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "tests/common/TestPicture.h"

namespace {

struct TChangeCount : TObject {
  void Changed(TObject*) { ++Count; }
  int Count = 0;
};

}  // namespace

TEST(InfoBar, ATileChecksAloneAmongItsSiblingsOnly) {
  TForm* form = new TForm(nullptr, CreateNew);
  auto* first = new TPanel(form);
  first->SetParent(form);
  auto* second = new TPanel(form);
  second->SetParent(form);
  auto* a = new TNSInfoBar(form);
  auto* b = new TNSInfoBar(form);
  auto* elsewhere = new TNSInfoBar(form);
  a->SetParent(first);
  b->SetParent(first);
  elsewhere->SetParent(second);
  TChangeCount changes;
  b->OnChange = TNotifyEvent(&changes, &TChangeCount::Changed);
  a->SetChecked(true);
  elsewhere->SetChecked(true);
  EXPECT_TRUE(a->TabStop());
  b->Click();
  EXPECT_TRUE(b->Checked() && b->TabStop());
  EXPECT_FALSE(a->Checked() || a->TabStop());
  EXPECT_TRUE(elsewhere->Checked());
  EXPECT_EQ(changes.Count, 1);
  b->Click();  // checked already: no second change
  b->SetChecked(false);
  EXPECT_EQ(changes.Count, 1);
  delete form;
}

// A left click on a tile fires OnClick once, as the space key does; a press released outside
// the tile fires nothing.
TEST(InfoBar, AClickOnATileFiresOnClickOnce) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* tile = new TNSInfoBar(form.get());
  tile->SetParent(form.get());
  TChangeCount clicks;
  tile->OnClick = TNotifyEvent(&clicks, &TChangeCount::Changed);
  form->Show();
  const HWND h = tile->Handle();
  const struct {
    UINT Down, Up;  // the messages sent; no Down: the release is a key
    LPARAM At;
    int Clicks;
  } cases[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, MAKELPARAM(20, 20), 1},
               {WM_LBUTTONDOWN, WM_LBUTTONUP, MAKELPARAM(300, 300), 0},
               {0, WM_CHAR, 0, 1}};
  for (const auto& c : cases) {
    clicks.Count = 0;
    tile->SetChecked(false);
    if (c.Down) SendMessageW(h, c.Down, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(h, c.Up, c.Down ? 0 : L' ', c.At);
    EXPECT_EQ(clicks.Count, c.Clicks) << (&c - cases);
    EXPECT_EQ(tile->Checked(), c.Clicks > 0) << (&c - cases);
  }
}

// A designed tile shows a dashed frame round its bounds before its painting handler runs, and
// hands the handler the canvas as the frame left it: a dashed pen and a clear brush. A running
// tile draws no frame and hands on a solid pen and brush.
TEST(InfoBar, ADesignedTileShowsADashedFrame) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* tile = new TNSInfoBar(form.get());
  tile->SetParent(form.get());
  tile->SetColor(clWhite);
  tile->HandleNeeded();
  struct TPaintLog : TObject {
    void Paint(TObject* Sender) {
      auto* c = static_cast<TNSInfoBar*>(Sender)->Canvas();
      Pens.push_back(c->Pen()->Style());
      Brushes.push_back(c->Brush()->Style());
    }
    std::vector<TPenStyle> Pens;
    std::vector<TBrushStyle> Brushes;
  } log;
  tile->OnPaint = TNotifyEvent(&log, &TPaintLog::Paint);
  auto ring = [&] {
    TTestPicture p(tile->Width(), tile->Height());
    tile->PaintTo(p.DC(), 0, 0);
    int black = 0, inside = 0;
    for (int y = 0; y < p.Height(); ++y)
      for (int x = 0; x < p.Width(); ++x) {
        const bool edge = x == 0 || y == 0 || x == p.Width() - 1 || y == p.Height() - 1;
        (edge ? black : inside) += p.At(x, y) == 0;
      }
    EXPECT_EQ(inside, 0);
    return black;
  };
  const int ringPixels = 2 * (tile->Width() + tile->Height()) - 4;
  EXPECT_EQ(ring(), 0);
  form->SetDesigning(true);
  const int dashes = ring();
  EXPECT_GT(dashes, ringPixels / 2);
  EXPECT_LT(dashes, ringPixels);  // dashed, not solid
  EXPECT_EQ(log.Pens, (std::vector<TPenStyle>{psSolid, psDash}));
  EXPECT_EQ(log.Brushes, (std::vector<TBrushStyle>{bsSolid, bsClear}));
}

TEST(BvLabel, TheLineRunsBesideAroundOrAcrossTheCaption) {
  using TSegments = std::vector<std::pair<int, int>>;
  struct {
    int Width, TextWidth;
    TAlignment Alignment;
    TSegments Expected;
  } const cases[] = {
      {120, 40, taLeftJustify, {{40, 120}}},     {120, 40, taRightJustify, {{0, 80}}},
      {120, 40, taCenter, {{0, 40}, {80, 120}}}, {121, 40, taCenter, {{0, 40}, {80, 121}}},
      {120, 0, taLeftJustify, {{0, 120}}},  // an empty caption: the whole width
  };
  for (const auto& c : cases) EXPECT_EQ(TNSBvLabel::LineSegments(c.Width, c.TextWidth, c.Alignment), c.Expected);
}

// A tile publishes the framework's mouse-activation, mouse-leave and docking-start events, so
// that a form file can bind them; the docking end is not among its events.
TEST(InfoBar, PublishesTheMouseAndDockingEventsItsFormsBind) {
  TNSInfoBar tile(nullptr);
  const struct {
    const char* Name;
    bool Published;
  } cases[] = {{"OnMouseActivate", true}, {"OnMouseLeave", true}, {"OnStartDock", true},
               {"OnStartDrag", true},     {"OnEndDrag", true},    {"OnEndDock", false}};
  for (const auto& c : cases) {
    const TPropInfo* prop = GetPropInfo(&tile, c.Name);
    EXPECT_EQ(prop != nullptr, c.Published) << c.Name;
    if (prop) {
      EXPECT_EQ(prop->Kind(), tkMethod) << c.Name;
    }
  }
}
