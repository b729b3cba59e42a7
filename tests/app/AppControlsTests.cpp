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

// A left click on a tile fires OnClick once, as the space key does; one released outside, none.
TEST(InfoBar, AClickOnATileFiresOnClickOnce) {
  std::unique_ptr<TForm> form(new TForm(nullptr, CreateNew));
  auto* tile = new TNSInfoBar(form.get());
  tile->SetParent(form.get());
  TChangeCount clicks;
  tile->OnClick = TNotifyEvent(&clicks, &TChangeCount::Changed);
  form->Show();
  // The release of a left press at (20, 20), or with no press the space key.
  for (auto [up, at, count] :
       {std::tuple{WM_LBUTTONUP, MAKELPARAM(20, 20), 1}, {WM_LBUTTONUP, MAKELPARAM(300, 300), 0}, {WM_CHAR, 0, 1}}) {
    clicks.Count = 0;
    tile->SetChecked(false);
    if (up == WM_LBUTTONUP) SendMessageW(tile->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(tile->Handle(), up, up == WM_CHAR ? L' ' : 0, at);
    EXPECT_EQ(clicks.Count, count) << up << " at " << at;
    EXPECT_EQ(tile->Checked(), count > 0) << up << " at " << at;
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
      Styles.emplace_back(c->Pen()->Style(), c->Brush()->Style());
    }
    std::vector<std::pair<TPenStyle, TBrushStyle>> Styles;
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
  EXPECT_EQ(log.Styles, (decltype(log.Styles){{psSolid, bsSolid}, {psDash, bsClear}}));
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

// A form file can bind a tile's mouse-activation, mouse-leave and drag and docking-start events.
TEST(InfoBar, PublishesTheMouseAndDockingEventsItsFormsBind) {
  TNSInfoBar tile(nullptr);
  for (const char* name : {"OnMouseActivate", "OnMouseLeave", "OnStartDock", "OnStartDrag", "OnEndDrag"}) {
    const TPropInfo* prop = GetPropInfo(&tile, name);
    EXPECT_TRUE(prop && prop->Kind() == tkMethod) << name;
  }
  EXPECT_EQ(GetPropInfo(&tile, "OnEndDock"), nullptr);
}
