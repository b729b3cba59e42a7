// Dock panels and panel objects: margins, the multi-dock's refusal, hover with a test clock
// and cursor, Space press, text flags, wrapping, margins and automatic size, embossed disabled
// text, the buffered erase, and the page scroller's positions.
#include <gtest/gtest.h>

#include "framework/Forms.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "themes/UiDkPanels.h"

namespace {

TControl* cursorControl = nullptr;
TControl* CursorControl() { return cursorControl; }

struct TCursorGuard {
  TCursorGuard() : old(TUiPanelObject::SetControlAtCursorProc(&CursorControl)) {}
  ~TCursorGuard() {
    TUiPanelObject::SetControlAtCursorProc(old);
    cursorControl = nullptr;
  }
  TUiPanelObject::TControlAtCursorProc old;
};

struct TEventLog : TObject {
  std::string Text;
  void Enter(TObject* Sender) { Text += "enter " + static_cast<TComponent*>(Sender)->Name() + "; "; }
  void Leave(TObject* Sender) { Text += "leave " + static_cast<TComponent*>(Sender)->Name() + "; "; }
  void Click(TObject* Sender) { Text += "click " + static_cast<TComponent*>(Sender)->Name() + "; "; }
};

// Records the colour and place of every drawing of the caption.
class TRecordingText : public TUiTextObject {
 public:
  using TUiTextObject::TUiTextObject;
  std::vector<std::pair<TColor, TRect>> Draws;
  void DoDrawText(TCanvas* Canvas, TRect& ARect, UINT Flags) override {
    if (!(Flags & DT_CALCRECT)) Draws.push_back({Canvas->Font()->Color(), ARect});
    TUiTextObject::DoDrawText(Canvas, ARect, Flags);
  }
  using TUiTextObject::Paint;
};

}  // namespace

TEST(UiMultiDock, RefusesEveryControlByItsClassName) {
  TForm form(nullptr, CreateNew);
  auto* dock = new TUiMultiDock(&form);
  dock->SetParent(&form);
  auto* panel = new TUiPanelObject(&form);
  try {
    panel->SetParent(dock);
    FAIL() << "accepted";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Cannot insert TUiPanelObject into TUiMultiDock");
  }
  EXPECT_EQ(panel->Parent(), nullptr);
  EXPECT_EQ(dock->ControlCount(), 0);
}

// A designed multi-dock shows where it is by a hatched frame in the highlight colour (running,
// an empty dock takes no room at all).
TEST(UiMultiDock, ADesignedDockShowsAHatchedFrame) {
  for (bool designing : {false, true}) {
    TForm form(nullptr, CreateNew);
    form.SetDesigning(designing);
    form.SetBounds(50, 50, 300, 200);
    auto* dock = new TUiMultiDock(&form);
    dock->SetParent(&form);
    dock->SetBounds(0, 0, 200, 40);
    dock->HandleNeeded();
    TTestPicture pic(200, 40, 0x123456);
    dock->PaintTo(pic.DC(), 0, 0);
    EXPECT_EQ(pic.Count(TRect{0, 0, 200, 1}, ColorToRGB(clBtnHighlight) & 0xFFFFFF) > 0, designing) << designing;
    EXPECT_EQ(dock->Height() == 0, !designing) << dock->Height();
  }
}

TEST(UiPanelObject, HoverMovesFromOnePanelToTheNextAndEndsOnTheTick) {
  TCursorGuard guard;
  TForm form(nullptr, CreateNew);
  TEventLog log;
  TUiPanelObject* panels[2];
  for (int i = 0; i < 2; ++i) {
    panels[i] = new TUiPanelObject(&form);
    panels[i]->SetName(i == 0 ? "A" : "B");
    panels[i]->SetParent(&form);
    panels[i]->OnMouseEnter = TNotifyEvent(&log, &TEventLog::Enter);
    panels[i]->OnMouseLeave = TNotifyEvent(&log, &TEventLog::Leave);
  }
  cursorControl = panels[0];
  panels[0]->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  TUiPanelObject::HoverTick();  // still over A
  EXPECT_TRUE(panels[0]->MouseInControl() && TUiPanelObject::HoverTimerRunning());
  cursorControl = panels[1];
  panels[1]->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  cursorControl = &form;
  TUiPanelObject::HoverTick();
  EXPECT_FALSE(TUiPanelObject::HoverTimerRunning());
  EXPECT_EQ(log.Text, "enter A; leave A; enter B; leave B; ");
  cursorControl = panels[0];
  panels[0]->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  panels[0]->SetEnabled(false);
  panels[0]->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // disabled: no hover
  EXPECT_EQ(log.Text, "enter A; leave A; enter B; leave B; enter A; leave A; ");
}

TEST(UiPanelObject, SpacePressesAndReleaseClicks) {
  TForm form(nullptr, CreateNew);
  TEventLog log;
  auto* panel = new TUiPanelObject(&form);
  panel->SetPushOnSpace(true);
  panel->SetName("P");
  panel->SetParent(&form);
  panel->OnClick = TNotifyEvent(&log, &TEventLog::Click);
  panel->Perform(WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(panel->Pushed());
  panel->Perform(WM_KEYUP, VK_SPACE, 0);
  panel->Perform(WM_KEYDOWN, VK_SPACE, 0);
  panel->Perform(WM_CAPTURECHANGED, 0, 0);  // the press is lost: its release clicks nothing
  EXPECT_FALSE(panel->Pushed());
  panel->Perform(WM_KEYUP, VK_SPACE, 0);
  EXPECT_EQ(log.Text, "click P; ");
}

TEST(UiTextObject, TextFlagsFromAlignmentWrappingAndAccelerators) {
  TForm form(nullptr, CreateNew);
  auto* text = new TUiTextObject(&form);
  const struct {
    TAlignment Alignment;
    bool RightToLeft;
    TTextWrapping Wrapping;
    bool Accel;
    UINT Flags;
  } cases[] = {
      {taLeftJustify, false, twNone, true, DT_LEFT | DT_SINGLELINE},
      {taRightJustify, false, twEndEllipsis, true, DT_RIGHT | DT_SINGLELINE | DT_END_ELLIPSIS},
      {taCenter, false, twPathEllipsis, true, DT_CENTER | DT_SINGLELINE | DT_PATH_ELLIPSIS},
      {taLeftJustify, false, twWrap, false, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX},
      {taLeftJustify, true, twNone, true, DT_RIGHT | DT_SINGLELINE},
      {taRightJustify, true, twNone, true, DT_LEFT | DT_SINGLELINE},
      {taCenter, true, twNone, true, DT_CENTER | DT_SINGLELINE},
  };
  for (const auto& c : cases) {
    text->SetAlignment(c.Alignment);
    text->SetRightToLeftReading(c.RightToLeft);
    text->SetWrapping(c.Wrapping);
    text->SetShowAccelChar(c.Accel);
    EXPECT_EQ(text->TextFlags(), c.Flags | DT_EXPANDTABS) << c.Alignment << c.RightToLeft << c.Wrapping;
  }
}

TEST(UiTextObject, AutoSizeFollowsCaptionMarginsAndWrapping) {
  TForm form(nullptr, CreateNew);
  form.SetBounds(0, 0, 400, 300);
  auto* text = new TUiTextObject(&form);
  text->SetParent(&form);
  text->SetCaption(L"Hello");
  TSize bare = text->MeasureCaption();
  EXPECT_EQ(text->Width(), bare.cx);
  EXPECT_EQ(text->Height(), bare.cy);
  TUiControlMargins margins;
  margins.SetLeft(4);
  margins.SetRight(6);
  text->SetMargins(&margins);  // one change, one re-fit
  text->Margins()->SetTop(3);
  EXPECT_EQ(text->Width(), bare.cx + 10);
  EXPECT_EQ(text->Height(), bare.cy + 3);
  text->SetCaption(L"&");
  EXPECT_EQ(text->Height(), bare.cy + 3);  // a lone "&" keeps a line's height
  text->SetCaption(L"");
  EXPECT_EQ(text->Height(), bare.cy + 3);
  int emptyWidth = text->Width();
  text->SetAutoSize(false);
  text->SetCaption(L"A much longer caption than before");
  EXPECT_EQ(text->Width(), emptyWidth);
  text->SetWidth(80);
  text->SetAutoSize(true);  // only stored: the next change fits the size
  EXPECT_EQ(text->Width(), 80);
  EXPECT_EQ(text->Height(), bare.cy + 3);
  text->SetWrapping(twWrap);
  EXPECT_EQ(text->Width(), 80);  // wrapped text keeps its width and grows in height
  EXPECT_GT(text->Height(), 2 * bare.cy);
}

TEST(UiTextObject, DisabledCaptionIsEmbossedAndCentredVertically) {
  TForm form(nullptr, CreateNew);
  auto* text = new TRecordingText(&form);
  text->SetParent(&form);
  text->SetAutoSize(false);
  text->SetBounds(0, 0, 120, 40);
  text->SetCaption(L"Label");
  text->HandleNeeded();
  TItemPicture pic(120, 40);
  text->Canvas()->SetHandle(pic.Canvas()->Handle());
  text->Paint();
  ASSERT_EQ(text->Draws.size(), 1u);
  TRect r = text->Draws[0].second;
  EXPECT_EQ(r.Top, (40 - r.Height()) / 2);
  text->Draws.clear();
  text->SetEnabled(false);
  text->Paint();
  text->Canvas()->SetHandle(nullptr);
  ASSERT_EQ(text->Draws.size(), 2u);
  EXPECT_EQ(text->Draws[0].first, clBtnHighlight);
  EXPECT_EQ(text->Draws[1].first, clBtnShadow);
  EXPECT_EQ(text->Draws[0].second.Left, text->Draws[1].second.Left + 1);
  EXPECT_EQ(text->Draws[0].second.Top, text->Draws[1].second.Top + 1);
  // Only the buffered paint's own erase (both parameters the same) fills the background.
  form.SetColor(clRed);
  HDC dc = pic.Canvas()->Handle();
  text->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(GetPixel(dc, 1, 1), 0xFFFFFFu);
  text->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
  EXPECT_EQ(GetPixel(dc, 1, 1), 0x0000FFu);
}

TEST(UiPageScroller, PositionsButtonsAndScrollingIntoView) {
  const struct {
    int Position, Total, Visible, Clamped;
  } clamps[] = {{-5, 300, 100, 0}, {250, 300, 100, 200}, {50, 300, 100, 50}, {10, 80, 100, 0}};
  for (const auto& c : clamps) EXPECT_EQ(ClampPageScrollPosition(c.Position, c.Total, c.Visible), c.Clamped);
  EXPECT_EQ(PageScrollChildDelta(0, 30, 12), -42);
  EXPECT_EQ(PageScrollChildDelta(30, 50, 12), -20);
  EXPECT_EQ(PageScrollChildDelta(50, 0, 12), 62);
  const struct {
    int Position, Visible;
    TUiPageScrollButtons Shown;
  } buttons[] = {{0, 100, {false, true}}, {50, 100, {true, true}}, {200, 100, {true, false}}, {50, 36, {}}};
  for (const auto& c : buttons) EXPECT_EQ(PageScrollButtonsShown(c.Position, 300, c.Visible, 12), c.Shown);
  EXPECT_EQ(PageScrollPositionFor(20, 30, 0, 300, 100), 0);     // fits: unchanged
  EXPECT_EQ(PageScrollPositionFor(150, 40, 0, 300, 100), 120);  // centred
  EXPECT_EQ(PageScrollPositionFor(280, 40, 0, 300, 100), 200);  // centred, then clamped
}
