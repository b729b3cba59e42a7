// Docks and toolbars on a real form: arrangement, non-client area, docking and floating.
#include <gtest/gtest.h>

#include "framework/FormFiles.h"
#include "framework/StdCtrls.h"
#include "tests/common/TestPicture.h"
#include "tests/toolbars/BarDockTestSupport.h"

TEST(BarDock, ToolbarsInRowsWithExactBounds) {
  TDockForm f;
  EXPECT_EQ(f.Top->Height(), 0);  // empty
  auto* a = f.Toolbar("A", 3, f.Top);
  auto* b = f.Toolbar("B", 2, f.Top);
  f.Show();
  // Drag handle 6 plus the 2-pixel ring: 10 across the row, 4 along it.
  EXPECT_EQ(a->BoundsRect(), Bounds(0, 0, 79, 26));
  EXPECT_EQ(b->BoundsRect(), Bounds(79, 0, 56, 26));
  EXPECT_EQ(f.Top->Height(), 26);
  EXPECT_EQ(a->ClientWidth(), 69);
  EXPECT_EQ(a->ClientHeight(), 22);
  f.Top->SetAllowDrag(false);  // the toolbars lose their drag handles and close up
  EXPECT_EQ(b->BoundsRect(), Bounds(73, 0, 50, 26));
  f.Top->SetAllowDrag(true);
  // A row of its own; then one pixel per bound line.
  b->SetDockRow(1);
  EXPECT_EQ(b->BoundsRect(), Bounds(0, 26, 56, 26));
  f.Top->SetBoundLines({blTop, blBottom});
  EXPECT_EQ(f.Top->Height(), 54);
  // A vertical dock stacks the buttons.
  auto* c = f.Toolbar("C", 3, f.Left);
  EXPECT_EQ(c->BoundsRect(), Bounds(0, 0, 27, 76));
  EXPECT_EQ(f.Left->Width(), 27);
  // A bottom dock keeps its bottom edge as it grows; one not aligned keeps its corner.
  auto* bottom = new TBarDock(&f.Form);
  bottom->SetPosition(dpBottom);
  bottom->SetParent(&f.Form);
  f.Toolbar("D", 1, bottom);
  EXPECT_EQ(bottom->Height(), 26);
  EXPECT_EQ(bottom->Top() + 26, f.Form.ClientHeight());
  bottom->SetAlign(alNone);
  bottom->SetBounds(0, 100, 300, 26);
  f.Toolbar("E", 1, bottom, 1);
  EXPECT_EQ(bottom->BoundsRect(), Bounds(0, 100, 300, 52));
}

// The dock lists its shown windows by wanted row, then wanted place, whatever order they came in.
TEST(BarDock, TheShownListFollowsRowsAndPlaces) {
  TDockForm f;
  auto* a = f.Toolbar("A", 1, f.Top, 2);
  auto* b = f.Toolbar("B", 1, f.Top, 0, 60);
  auto* c = f.Toolbar("C", 1, f.Top, 0, 0);
  auto order = [&] {
    std::vector<TBarCustomDockableWindow*> list;
    for (int i = 0; i < f.Top->GetWindowCount(); ++i) list.push_back(f.Top->GetWindow(i));
    return list;
  };
  EXPECT_EQ(order(), (std::vector<TBarCustomDockableWindow*>{c, b, a}));
  a->SetDockRow(0);  // the place decides within a row; -1 goes first
  EXPECT_EQ(order(), (std::vector<TBarCustomDockableWindow*>{a, c, b}));
}

TEST(BarDock, ChevronAndWrapWhenTheRowIsShort) {
  TDockForm f;
  f.Form.SetClientWidth(150);
  f.Top->SetLimitToOneRow(true);
  auto* a = f.Toolbar("A", 5, f.Top);
  auto* b = f.Toolbar("B", 2, f.Top, 3);
  f.Show();
  // Both chevron toolbars fit by their minimum; the first gives up what the second overlaps.
  EXPECT_EQ(a->BoundsRect(), Bounds(0, 0, 94, 26));
  EXPECT_EQ(b->BoundsRect(), Bounds(94, 0, 56, 26));
  EXPECT_EQ(b->DockRow(), 0);  // the one row is every toolbar's
  TBarView* view = a->View();
  view->ValidatePositions();
  int shown = 0;
  for (int i = 0; i < view->ViewerCount(); ++i)
    shown += view->Viewers(i)->Show() && !dynamic_cast<TBarChevronItem*>(view->Viewers(i)->Item());
  EXPECT_EQ(shown, 3);
  EXPECT_TRUE(view->Find(a->ChevronItem())->Show());
  // Wrapping: the toolbar takes more lines inside the dock's inner extent.
  f.Top->SetLimitToOneRow(false);
  b->SetVisible(false);
  f.Form.SetClientWidth(100);
  a->SetShrinkMode(tbsmWrap);
  EXPECT_EQ(a->Height(), 48);
  EXPECT_EQ(f.Top->Height(), 48);
}

// A dock's background goes on through its toolbars, in their frames and behind their buttons,
// and a toolbar that moves shows the part of the picture at its new place.
TEST(BarDock, DockedToolbarsContinueTheDocksBackground) {
  struct TStripes : TBarBasicBackground {  // red left of x 100 of the form, blue from there
    using TBarBasicBackground::TBarBasicBackground;
    void Draw(HDC DC, const TRect& R) override {
      for (auto [l, r, c] : {std::tuple{R.Left, std::min(R.Right, 100), RGB(255, 0, 0)},
                             std::tuple{std::max(R.Left, 100), R.Right, RGB(0, 0, 255)}}) {
        TBrushHandle brush(CreateSolidBrush(c));
        RECT box{l, R.Top, r, R.Bottom};
        if (l < r) FillRect(DC, &box, brush.Get());
      }
    }
    HPALETTE GetPalette() override { return nullptr; }
    void RegisterChanges(const TNotifyEvent&) override {}
    void SysColorChanged() override {}
    void UnregisterChanges(const TNotifyEvent&) override {}
    bool UsingBackground() override { return true; }
  };
  TDockForm f;
  TStripes stripes(nullptr);
  f.Top->SetBackground(&stripes);
  auto* t = f.Toolbar("T", 3, f.Top, 0, 60);  // its client area starts at x 68 of the form
  f.Show();
  auto pixel = [&](int X, int Y, bool Client) {
    t->Update();
    TWindowDC dc = Client ? TWindowDC(t->Handle()) : TWholeWindowDC(t->Handle());
    return GetPixel(dc.Get(), X, Y);
  };
  EXPECT_EQ(pixel(31, 10, true), RGB(255, 0, 0));
  EXPECT_EQ(pixel(32, 10, true), RGB(0, 0, 255));
  EXPECT_EQ(pixel(1, 1, false), RGB(255, 0, 0));  // the frame's inner ring
  t->SetDockPos(80);
  PumpMessagesFor(20);
  EXPECT_EQ(pixel(15, 10, true), RGB(0, 0, 255));
  f.Top->SetBackgroundOnToolbars(false);
  EXPECT_EQ(pixel(10, 10, true), ColorToRGB(clBtnFace));
  f.Top->SetBackground(nullptr);
}

// The background and the two events are published; a dock and a toolbar write their colour, bound lines, background
// and item options only away from their defaults.
TEST(BarDock, ColourBoundLinesAndOptionsAreWrittenOnlyAwayFromTheirDefaults) {
  const char* const names[] = {" Color = ", " BoundLines = ", " Background = ", " Options = "};
  const char* const lines[] = {"    Color = clRed\n", "    BoundLines = [blTop]\n", "    Background = Blank\n",
                               "      Options = [tboNoAutoHint]\n"};
  for (int changed = -1; changed < 4; ++changed) {  // none at first
    TDockForm f;
    for (auto [name, kind] :
         {std::pair{"Background", tkClass}, {"OnInsertRemoveBar", tkMethod}, {"OnRequestDock", tkMethod}})
      EXPECT_TRUE(GetPropInfo(f.Top, name) && GetPropInfo(f.Top, name)->Kind() == kind) << name;
    auto* t = f.Toolbar("T", 1, f.Top);
    auto* blank = new TBlankBackground(&f.Form);
    blank->SetName("Blank");
    if (changed == 0) f.Top->SetColor(clRed);
    if (changed == 1) f.Top->SetBoundLines({blTop});
    if (changed == 2) SetObjectProp(f.Top, FindPropInfo(f.Top, "Background"), blank);
    if (changed == 3) t->SetOptions({tboNoAutoHint});
    EXPECT_EQ(f.Top->Background(), changed == 2 ? blank : nullptr);
    const std::string text = WriteComponentToText(&f.Form);
    const size_t dock = text.find("object TopDock"), bar = text.find("object T:", dock);
    // The dock's own lines, then the toolbar's.
    const std::string parts[] = {text.substr(dock, bar - dock), text.substr(bar, text.find("end", bar) - bar)};
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(parts[i / 3].find(names[i]) != std::string::npos, changed == i) << changed << names[i];
    EXPECT_TRUE(changed < 0 || text.find(lines[changed]) != std::string::npos) << changed;
    f.Top->SetBackground(nullptr);
  }
}

// Dialog keys nobody takes go on to the inherited handling; a system command goes nowhere: a dock has no window menu.
TEST(BarDock, MenuKeysNobodyTakesStopAtTheDockUnlessTheyAreDialogKeys) {
  struct TListeningDock : TBarDock {
    using TBarDock::TBarDock;
    int Inherited = 0;
    void DefaultHandler(TMessage& M) override { Inherited += M.Msg == WM_SYSCOMMAND, TBarDock::DefaultHandler(M); }
    void CMDialogKey(TMessage& M) override { ++Inherited, TBarDock::CMDialogKey(M); }
    void CMDialogChar(TMessage& M) override { ++Inherited, TBarDock::CMDialogChar(M); }
  };
  TDockForm f;
  auto* dock = new TListeningDock(&f.Form);
  dock->SetParent(&f.Form);
  f.Toolbar("T", 1, dock);
  f.Show();
  const HWND dockWindow = dock->Handle();
  const std::tuple<UINT, WPARAM, LPARAM, bool> cases[] = {
      {WM_SYSCOMMAND, SC_KEYMENU, 'x', false},
      {WM_SYSCOMMAND, SC_CLOSE, 0, false},
      {CM_DIALOGKEY, VK_F10, 0, true},
      {CM_DIALOGCHAR, 'x', 0, true},
  };
  for (auto [msg, wparam, lparam, inherited] : cases) {
    dock->Inherited = 0;
    const LRESULT result = SendMessageW(dock->Handle(), msg, wparam, lparam);
    EXPECT_EQ(std::tuple(result, dock->Inherited > 0), std::tuple(0, inherited)) << std::hex << msg << " " << wparam;
  }
  EXPECT_TRUE(IsWindow(dockWindow)) << "SC_CLOSE closed nothing";
}

TEST(BarDock, EmptyDocksAndEmptyToolbars) {
  TDockForm f;
  f.Show();
  f.Top->SetFixAlign(true);
  EXPECT_EQ(f.Top->Height(), 1);
  f.Top->SetFixAlign(false);
  f.Top->SetBoundLines({blTop, blBottom});
  EXPECT_EQ(f.Top->Height(), 0);
  EXPECT_EQ(f.Top->ClientHeight(), 0);  // never negative
  // An arrangement that ends early still clears the commit flag.
  f.Top->SetCommitPending();
  f.Top->ArrangeToolbars();
  auto* t = f.Toolbar("T", 1, nullptr, 5, 17);
  t->SetParent(f.Top);
  EXPECT_EQ(t->DockRow(), 5);
  EXPECT_EQ(t->Top(), 0);
  // A toolbar without a button to show claims no room for shrinking.
  auto* empty = f.Toolbar("E", 0, f.Top);
  EXPECT_EQ(empty->GetMinRowSize(), 0);
  EXPECT_EQ(t->GetMinRowSize(), 23 + 10 + 12);
  EXPECT_THROW(f.Top->SetPosition(dpLeft), EInvalidOperation);
  auto* inner = new TBarDock(&f.Form);
  EXPECT_THROW(inner->SetParent(f.Top), EInvalidOperation);
  EXPECT_THROW(inner->SetParent(t), EInvalidOperation);
}

// On a designed form an empty dock keeps 9 pixels to be seen and dropped on, and controls
// put on a toolbar get items named for the designer, the first free number first.
TEST(BarDock, DesignedDocksShowWhenEmptyAndControlItemsAreNamed) {
  TDockForm f;
  f.Show();
  auto* t = f.Toolbar("T", 1, f.Left);
  f.Form.SetDesigning(true);
  f.Top->ArrangeToolbars();
  EXPECT_EQ(f.Top->Height(), 9);
  auto* taken = new TComponent(&f.Form);
  taken->SetName("BarControlItem1");
  std::vector<std::string> names;
  for (int i = 0; i < 2; ++i) names.push_back(t->CreateControlItem(0, new TEdit(&f.Form))->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"BarControlItem2", "BarControlItem3"}));
  f.Form.SetDesigning(false);
  f.Top->ArrangeToolbars();
  EXPECT_EQ(f.Top->Height(), 0);
  EXPECT_EQ(t->CreateControlItem(0, new TEdit(&f.Form))->Name(), "");
}

namespace {

// A control's client area painted off screen: how many pixels of its outermost ring, from
// column FromX on, are of the shadow colour, and how many pixels that part of the ring has.
struct TRingInk {
  int Shadow = 0, Ring = 0;
};

TRingInk ShadowOnRing(TWinControl* C, int FromX = 0) {
  TTestPicture p(C->ClientWidth(), C->ClientHeight());
  C->PaintTo(p.DC(), 0, 0);
  const uint32_t shadow = ColorToRGB(clBtnShadow);
  TRingInk ink;
  for (int y = 0; y < p.Height(); ++y)
    for (int x = FromX; x < p.Width(); ++x)
      if (x == 0 || y == 0 || x == p.Width() - 1 || y == p.Height() - 1) {
        ++ink.Ring;
        ink.Shadow += p.At(x, y) == shadow;
      }
  return ink;
}

// An item that draws nothing, so that only the toolbar's own painting shows.
class TBlankViewer : public TSizedViewer {
 public:
  using TSizedViewer::TSizedViewer;
  void Paint(TCanvas*, const TRect&, bool, bool, bool) override {}
};
class TBlankItem : public TSizedItem {
 public:
  TBlankItem() : TSizedItem(40, 22) {}
  TBarItemViewerClass ViewerClass(TBarView*) override { return &MakeBarItemViewer<TBlankViewer>; }
};

// A dotted frame: a good part of the ring in the shadow colour, but not all of it.
bool Dotted(const TRingInk& Ink) { return Ink.Ring > 20 && Ink.Shadow * 4 > Ink.Ring && Ink.Shadow * 4 < Ink.Ring * 3; }

}  // namespace

// A designer sees the bounds of every dock and of a toolbar that no dock frames as dotted
// frames in the shadow colour; a docked toolbar has its dock's. Running, none shows.
TEST(BarDock, DesignedDocksAndLooseToolbarsShowDottedFrames) {
  TBlankItem blankDocked, blankLoose;  // outlive the toolbars, which let them go first
  TDockForm f;
  auto* docked = f.Toolbar("D", 0, nullptr);
  docked->Items()->Add(&blankDocked);
  docked->SetParent(f.Top);
  auto* full = f.Toolbar("F", 3, f.Top);
  auto* loose = f.Toolbar("L", 0, nullptr);
  loose->Items()->Add(&blankLoose);
  loose->SetParent(&f.Form);
  loose->SetBounds(100, 150, 60, 30);
  f.Show();
  const int dockFree = full->Left() + full->Width();  // the dock's own part, right of its toolbars
  for (TWinControl* c : std::initializer_list<TWinControl*>{f.Top, docked, loose})
    EXPECT_EQ(ShadowOnRing(c, c == f.Top ? dockFree : 0).Shadow, 0) << c->Name();
  f.Form.SetDesigning(true);
  f.Top->ArrangeToolbars();
  f.Left->ArrangeToolbars();
  ASSERT_GT(loose->ClientWidth(), 10);
  EXPECT_TRUE(Dotted(ShadowOnRing(f.Top, dockFree)));
  EXPECT_TRUE(Dotted(ShadowOnRing(f.Left)));  // empty, 9 pixels wide
  EXPECT_TRUE(Dotted(ShadowOnRing(loose)));
  EXPECT_EQ(ShadowOnRing(docked).Shadow, 0);
  f.Form.SetDesigning(false);
  f.Top->ArrangeToolbars();
  EXPECT_EQ(ShadowOnRing(loose).Shadow, 0);
  EXPECT_EQ(ShadowOnRing(f.Top, dockFree).Shadow, 0);
}

// At design time the dock keeps the window class styles that repaint it whole at a new size,
// so that its frame follows; running, it drops them.
TEST(BarDock, OnlyARunningDockDropsTheRedrawClassStyles) {
  struct TParamsDock : TBarDock {
    using TBarDock::TBarDock;
    UINT ClassStyle() {
      TCreateParams params;
      CreateParams(params);
      return params.WindowClass.style & (CS_HREDRAW | CS_VREDRAW);
    }
  };
  TForm form(nullptr, CreateNew);
  auto* dock = new TParamsDock(&form);
  EXPECT_EQ(dock->ClassStyle(), 0u);
  form.SetDesigning(true);
  EXPECT_EQ(dock->ClassStyle(), static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
}

// A running dock that grows is painted anew whole, with the toolbars of its rows; one that
// shrinks is not (nothing of it came into sight).
TEST(BarDock, AGrowingDockIsPaintedAnewWhole) {
  TDockForm f;
  auto* top = f.Toolbar("T", 3, f.Top);
  auto* side = f.Toolbar("S", 2, f.Left);
  f.Show();
  auto whole = [](TWinControl* C) {
    TRegionHandle update(CreateRectRgn(0, 0, 0, 0)), client(CreateRectRgn(0, 0, C->ClientWidth(), C->ClientHeight()));
    GetUpdateRgn(C->Handle(), update.Get(), FALSE);
    return EqualRgn(update.Get(), client.Get()) != FALSE;
  };
  auto touched = [](TWinControl* C) { return GetUpdateRect(C->Handle(), nullptr, FALSE) != FALSE; };
  const struct {
    int Width, Height;
    bool TopAnew, LeftAnew;
  } steps[] = {
      {300, 300, false, false},  // narrower: the top dock shrinks, the left one keeps its size
      {500, 300, true, false},   // wider
      {500, 200, false, false},  // lower: the left dock shrinks
      {500, 420, false, true},   // higher
      {640, 500, true, true},    // both
      {641, 500, true, false},   // one pixel is growth too
  };
  for (const auto& s : steps) {
    RedrawWindow(f.Form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    f.Form.SetBounds(f.Form.Left(), f.Form.Top(), s.Width, s.Height);
    EXPECT_EQ(whole(f.Top), s.TopAnew) << s.Width << "x" << s.Height;
    EXPECT_EQ(whole(f.Left), s.LeftAnew) << s.Width << "x" << s.Height;
    EXPECT_TRUE(touched(top) || !s.TopAnew) << s.Width << "x" << s.Height;
    EXPECT_TRUE(touched(side) || !s.LeftAnew) << s.Width << "x" << s.Height;
  }
}

// The frame of a floating window keeps the redraw class styles only while designed; a designed
// and a running frame in one program each get their own.
TEST(BarDock, OnlyARunningFloatingFrameDropsTheRedrawClassStyles) {
  for (bool designing : {true, false, true}) {
    TDockForm f;
    f.Form.SetDesigning(designing);
    auto* t = f.Toolbar("T", 2, f.Top);
    f.Show();
    t->SetFloating(true);
    ASSERT_TRUE(t->FloatingParent());
    auto style = static_cast<UINT>(GetClassLongW(t->FloatingParent()->Handle(), GCL_STYLE));
    EXPECT_EQ(style & (CS_HREDRAW | CS_VREDRAW), designing ? static_cast<UINT>(CS_HREDRAW | CS_VREDRAW) : 0u);
  }
}

// The frame of a floating toolbar is a bordered tool window that keeps its form's caption
// active while it is active, and hands the activation to the form when it came from elsewhere.
TEST(BarDock, AnActivatedFloatingFrameLeavesTheActivationWithItsForm) {
  static WNDPROC formProc = nullptr;
  static std::vector<WPARAM> ncActivate;
  TDockForm f;
  auto* t = f.Toolbar("T", 2, f.Top);
  f.Show();
  t->SetFloating(true);
  HWND frame = t->FloatingParent()->Handle(), form = f.Form.Handle();
  EXPECT_EQ(GetWindowLongW(frame, GWL_STYLE) & (WS_POPUP | WS_BORDER | WS_THICKFRAME),
            WS_POPUP | WS_BORDER | WS_THICKFRAME);
  formProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND W, UINT M, WPARAM WP, LPARAM LP) -> LRESULT WINAPI {
        if (M == WM_NCACTIVATE) ncActivate.push_back(WP);
        return CallWindowProcW(formProc, W, M, WP, LP);
      })));
  TForm other(nullptr, CreateNew);
  other.SetBounds(500, 40, 100, 100);
  other.Show();
  const struct {
    HWND From;
    HWND Active;
  } cases[] = {{form, frame}, {other.Handle(), form}};
  for (const auto& c : cases) {
    SetActiveWindow(c.From);
    ncActivate.clear();
    SetActiveWindow(frame);
    PumpMessagesFor(20);
    EXPECT_EQ(GetActiveWindow(), c.Active);
    ASSERT_FALSE(ncActivate.empty());
    EXPECT_NE(ncActivate.back(), 0u);
  }
  SetWindowLongPtrW(form, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProc));
  other.Hide();
}

// A designer that moves a docked toolbar chooses its row (the one at the toolbar's centre) and
// its position along the row, and the dock places it; running, the dock keeps it where it was.
TEST(BarDock, ADesignedToolbarMovedInItsDockTakesTheRowAndPlace) {
  struct Case {
    bool designing;
    int left, top;
    int row;
    TRect bounds;
  } cases[] = {
      {true, 150, 2, 0, Bounds(150, 0, 56, 26)},  // along its row
      {true, 10, 20, 1, Bounds(10, 26, 56, 26)},  // centre below the first row: a new row
      {false, 10, 20, 0, Bounds(79, 0, 56, 26)},
      // Around the boundary of the first row, 26 pixels thick: the centre (top + 13) on the
      // boundary belongs to the row below it.
      {true, 150, -13, 0, Bounds(150, 0, 56, 26)},
      {true, 150, 0, 0, Bounds(150, 0, 56, 26)},
      {true, 150, 11, 0, Bounds(150, 0, 56, 26)},
      {true, 150, 12, 0, Bounds(150, 0, 56, 26)},
      {true, 150, 13, 1, Bounds(150, 26, 56, 26)},
      {true, 150, 14, 1, Bounds(150, 26, 56, 26)},
      {true, 150, 26, 1, Bounds(150, 26, 56, 26)},
      {true, 150, 60, 1, Bounds(150, 26, 56, 26)},  // far below: still only the next row
      {false, 150, 13, 0, Bounds(79, 0, 56, 26)},
  };
  for (const Case& c : cases) {
    TDockForm f;
    f.Form.SetDesigning(c.designing);
    f.Toolbar("A", 3, f.Top);
    auto* b = f.Toolbar("B", 2, f.Top);
    f.Show();
    b->SetBounds(c.left, c.top, b->Width(), b->Height());
    EXPECT_EQ(b->DockRow(), c.row) << c.designing << c.top;
    EXPECT_EQ(b->BoundsRect(), c.bounds) << c.designing << c.top;
  }
}

TEST(BarDock, NonClientAreaHitCodes) {
  TDockForm f;
  auto* t = f.Toolbar("T", 3, f.Top);
  f.Show();
  TRect r = f.ScreenRect(t);
  EXPECT_EQ(t->DockedHitTest({r.Left + 4, r.Top + 10}), HTBARDRAGHANDLE);
  EXPECT_EQ(t->DockedHitTest({r.Left + 20, r.Top + 10}), HTCLIENT);
  t->SetCloseButtonWhenDocked(true);
  r = f.ScreenRect(t);
  EXPECT_EQ(t->Width(), 69 + 18);
  EXPECT_EQ(t->DockedHitTest({r.Left + 5, r.Top + 5}), HTBARCLOSEBUTTON);
  EXPECT_EQ(t->DockedHitTest({r.Left + 5, r.Top + 18}), HTBARDRAGHANDLE);
  EXPECT_EQ(SendMessageW(t->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.Left + 5, r.Top + 5)), HTBARCLOSEBUTTON);
  // The close button hides the toolbar unless the query refuses.
  bool closed = false;
  struct Events {
    bool* Closed;
    void Query(TObject*, bool& CanClose) { CanClose = !*Closed; }
    void Close(TObject*) { *Closed = true; }
  } events{&closed};
  t->OnClose = TNotifyEvent(&events, &Events::Close);
  t->OnCloseQuery = TCloseQueryEvent(&events, &Events::Query);
  t->Close();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(t->Visible());
  EXPECT_FALSE(f.Top->HasShownWindows());
  EXPECT_EQ(f.Top->Height(), 0);
}

// The running program marks what it writes, so that a reader knows the floating position is in
// screen coordinates already; a file without the mark was not written by it (a designed one
// holds the form's client coordinates).
TEST(BarDock, FormFilesWrittenAtRunTimeAreMarked) {
  TDockForm f;
  auto* t = f.Toolbar("T", 1, f.Top);
  EXPECT_FALSE(t->SavedAtRunTime());
  for (bool designing : {false, true}) {
    f.Form.SetDesigning(designing);
    const std::string text = WriteComponentToText(t);
    EXPECT_EQ(text.find("SavedAtRunTime") != std::string::npos, !designing) << text;
  }
  f.Form.SetDesigning(false);
  const struct {
    const char* Text;
    bool Marked;
  } cases[] = {{"object R: TBarCustomToolbar\nend\n", false},
               {"object R: TBarCustomToolbar\n  SavedAtRunTime = True\nend\n", true},
               {"object R: TBarCustomToolbar\n  SavedAtRunTime = False\nend\n", false}};
  for (const auto& c : cases) {
    auto* read = f.Toolbar("R", 0, f.Top);
    ReadComponentFromText(c.Text, read);
    EXPECT_EQ(read->SavedAtRunTime(), c.Marked) << c.Text;
    delete read;
  }
}

TEST(BarDock, DoubleClickFloatsAndDocksBack) {
  TDockForm f;
  auto* t = f.Toolbar("T", 3, f.Top);
  f.Show();
  // On from the start, and stored only when off, so that an off comes back off.
  EXPECT_TRUE(t->DblClickUndock());
  EXPECT_EQ(WriteComponentToText(t).find("DblClickUndock"), std::string::npos);
  t->SetDblClickUndock(false);
  EXPECT_NE(WriteComponentToText(t).find("DblClickUndock = False"), std::string::npos);
  t->SetDblClickUndock(true);
  TRect r = f.ScreenRect(t);
  SendMessageW(t->Handle(), WM_NCLBUTTONDBLCLK, HTBARDRAGHANDLE, MAKELPARAM(r.Left + 3, r.Top + 3));
  ASSERT_TRUE(t->Floating());
  EXPECT_EQ(t->LastDock(), f.Top);
  EXPECT_EQ(f.Top->Height(), 0);
  TBarFloatingWindowParent* frame = t->FloatingParent();
  ASSERT_TRUE(frame && frame->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(frame->Handle()));
  EXPECT_EQ(frame->ClientWidth(), 69 + 8);  // floating margins 4 and 4
  EXPECT_EQ(frame->OwningForm(), &f.Form);
  // The frame's parts.
  TRect fr = f.ScreenRect(frame);
  TPoint b = t->GetFloatingBorderSize();
  int cap = GetSystemMetrics(SM_CYSMCAPTION);
  EXPECT_EQ(frame->HitTest({fr.Left + b.X + 2, fr.Top + b.Y + 2}), HTBARCAPTION);
  EXPECT_EQ(frame->HitTest({fr.Right - b.X - 3, fr.Top + b.Y + cap / 2}), HTBARCLOSEBUTTON);
  EXPECT_EQ(frame->HitTest({fr.Left, fr.Top + 20}), HTLEFT);
  EXPECT_EQ(frame->HitTest({fr.Left + 1, fr.Top + 1}), HTLEFT);  // no corners on toolbars
  EXPECT_EQ(frame->HitTest({fr.Left + 20, fr.Bottom - 1}), HTBOTTOM);
  EXPECT_EQ(frame->HitTest({fr.Left + b.X + 3, fr.Top + b.Y + cap + 3}), HTCLIENT);
  // The line under the caption band belongs to the caption, not to the bottom edge.
  EXPECT_EQ(frame->HitTest({fr.Left + b.X + 3, fr.Top + b.Y + cap - 1}), HTBARCAPTION);
  SendMessageW(frame->Handle(), WM_NCLBUTTONDBLCLK, HTBARCAPTION, 0);
  EXPECT_EQ(t->CurrentDock(), f.Top);
  EXPECT_EQ(t->BoundsRect(), Bounds(0, 0, 79, 26));
  PumpMessagesFor(30);
  // Neither a last nor a default dock: nothing happens; a default dock takes it at the start.
  t->SetFloating(true);
  t->SetLastDock(nullptr);
  t->DoubleClick();
  EXPECT_TRUE(t->Floating());
  t->SetDefaultDock(f.Left);
  t->DoubleClick();
  EXPECT_EQ(t->CurrentDock(), f.Left);
  EXPECT_EQ(t->DockPos(), -8);
  // It joins the new dock's windows (and is arranged there) and leaves the old one's.
  EXPECT_EQ(f.Left->WindowList(), std::vector<TBarCustomDockableWindow*>{t});
  EXPECT_EQ(f.Left->Width(), 27);
  EXPECT_TRUE(f.Top->WindowList().empty());
  // A window that may not float stays.
  t->SetDockMode(dmCannotFloat);
  t->DoubleClick();
  EXPECT_EQ(t->CurrentDock(), f.Left);
}

TEST(BarDock, DraggedBetweenDocksAndOutToFloat) {
  TMenuSettings settings;
  TDockForm f;
  auto* t = f.Toolbar("T", 3, f.Top);
  f.Show();
  TPoint origin = f.Form.ClientToScreen({0, 0});
  TRect r = f.ScreenRect(t);
  bool wasLeft = false, wasFloating = false;
  TPoint left{origin.X + 1, origin.Y + 150}, away{origin.X + 250, origin.Y + 150};
  DragFrom(t->Handle(), HTBARDRAGHANDLE, {r.Left + 3, r.Top + 10},
           {MoveMouseTo(left), [&] { return wasLeft = t->CurrentDock() == f.Left; }, MoveMouseTo(away),
            [&] { return wasFloating = t->Floating(); }, MoveMouseTo(left), PostToCapture(WM_LBUTTONUP)});
  EXPECT_TRUE(wasLeft);
  EXPECT_TRUE(wasFloating);
  EXPECT_EQ(t->CurrentDock(), f.Left);
  // A smooth drag that ends in a dock remembers it and lets the spare frame go.
  EXPECT_EQ(t->LastDock(), f.Left);
  EXPECT_EQ(t->FloatingParent(), nullptr);
  EXPECT_EQ(f.Top->Height(), 0);
  EXPECT_EQ(f.Left->Width(), 27);
  EXPECT_FALSE(t->IsDragging());
  // Held Ctrl keeps it out of every dock; letting go docks it where the mouse is.
  bool keptOut = false;
  r = f.ScreenRect(t);
  DragFrom(t->Handle(), HTBARDRAGHANDLE, {r.Left + 10, r.Top + 3},
           {PostToCapture(WM_KEYDOWN, VK_CONTROL), MoveMouseTo({origin.X + 150, origin.Y + 1}),
            [&] { return keptOut = t->Floating(); }, PostToCapture(WM_KEYUP, VK_CONTROL), PostToCapture(WM_LBUTTONUP)});
  EXPECT_TRUE(keptOut);
  EXPECT_EQ(t->CurrentDock(), f.Top);
}

TEST(BarDock, DropWithinADockOpensOrJoinsARow) {
  // Rows of 26: the top quarter opens a row before, the middle half joins, the rest goes on;
  // a full-size window (or a row holding one) splits at the half.
  std::vector<TBarDock::TRowInfo> rows{{26, false}, {0, false}, {26, false}, {26, true}};
  struct {
    int Centre;
    bool FullSize;
    int Row;
    bool NewRow;
  } cases[] = {{5, false, 0, true},   {6, false, 0, false}, {19, false, 0, false}, {20, false, 2, true},
               {32, false, 2, false}, {46, false, 3, true}, {64, false, 3, true},  {65, false, 4, true},
               {12, true, 0, true},   {13, true, 2, true}};
  for (const auto& c : cases) {
    bool newRow = !c.NewRow;
    EXPECT_EQ(PickDockRow(rows, c.Centre, c.FullSize, newRow), c.Row) << c.Centre;
    EXPECT_EQ(newRow, c.NewRow) << c.Centre;
  }
  // The same through the mouse: B of row 1, grabbed 10 pixels down, dropped with its centre 3
  // pixels into row 0 opens a row above A; 13 pixels in joins A.
  TMenuSettings settings;
  for (int y : {0, 10}) {
    TDockForm f;
    auto* a = f.Toolbar("A", 2, f.Top);
    auto* b = f.Toolbar("B", 2, f.Top, 1);
    f.Show();
    TRect r = f.ScreenRect(b);
    DragFrom(b->Handle(), HTBARDRAGHANDLE, {r.Left + 3, r.Top + 10},
             {MoveMouseTo({r.Left + 3, f.ScreenRect(f.Top).Top + y}), PostToCapture(WM_LBUTTONUP)});
    EXPECT_EQ(b->Top(), 0) << y;
    EXPECT_EQ(a->Top(), y == 0 ? 26 : 0) << y;
    EXPECT_EQ(f.Top->Height(), y == 0 ? 52 : 26) << y;
  }
}

TEST(BarDock, FloatingToolbarIsDrawnAndDraggedHomeByItsCaption) {
  TMenuSettings settings;
  TDockForm f;
  f.Toolbar("A", 2, f.Top);
  auto* t = f.Captioned("T", f.Top, 1, {L"One", L"Two"});
  // Floated before its form is shown: it appears with the form, buttons and all.
  t->SetFloatingPosition(f.Form.ClientToScreen({150, 150}));
  t->SetFloating(true);
  TBarFloatingWindowParent* frame = t->FloatingParent();
  EXPECT_FALSE(frame->HandleAllocated() && IsWindowVisible(frame->Handle()));
  f.Show();
  ASSERT_TRUE(frame->HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(frame->Handle()));
  ASSERT_TRUE(t->HandleAllocated());
  EXPECT_GT(InkIn(t), 10);
  // It follows the form out of sight and back, and leaves with the application's activation.
  f.Form.Hide();
  EXPECT_FALSE(IsWindowVisible(frame->Handle()));
  f.Form.Show();
  EXPECT_TRUE(IsWindowVisible(frame->Handle()));
  t->SetHideWhenInactive(true);
  SendMessageW(f.Form.Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(IsWindowVisible(frame->Handle()));
  SendMessageW(f.Form.Handle(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_TRUE(IsWindowVisible(frame->Handle()));
  t->SetHideWhenInactive(false);
  // A new window of the form does not take the frame with the old one: it passes to the new.
  HWND frameWnd = frame->Handle();
  f.Form.RecreateWnd();
  f.Form.HandleNeeded();
  EXPECT_TRUE(IsWindow(frameWnd));
  EXPECT_EQ(GetWindow(frameWnd, GW_OWNER), f.Form.Handle());
  EXPECT_TRUE(IsWindowVisible(frameWnd));
  PumpMessagesFor(50);  // the focus changes of the showing end before the drag
  // Its caption drags it back into the top dock.
  TRect fr = f.ScreenRect(frame);
  TPoint b = t->GetFloatingBorderSize();
  TRect top = f.ScreenRect(f.Top);
  DragFrom(frame->Handle(), HTBARCAPTION, {fr.Left + b.X + 5, fr.Top + b.Y + 3},
           {MoveMouseTo({top.Left + 120, top.Top + 10}), PostToCapture(WM_LBUTTONUP)});
  EXPECT_EQ(t->CurrentDock(), f.Top);
  EXPECT_FALSE(t->Floating());
  EXPECT_EQ(t->FloatingParent(), nullptr);
  EXPECT_EQ(t->Top(), 0);
  EXPECT_GT(InkIn(t), 10);
}

// A drag started in the client area (where no button is) ends with the window's mouse-up.
TEST(BarDock, ADragFromTheClientAreaEndsWithAMouseUp) {
  TMenuSettings settings;
  TDockForm f;
  auto* t = f.Toolbar("T", 2, f.Top);
  t->SetFullSize(true);
  f.Show();
  struct {
    int Ups = 0;
    void Up(TObject*, TMouseButton Button, TShiftState, int, int) { Ups += Button == mbLeft; }
  } log;
  t->OnMouseUp = TMouseEvent(&log, &decltype(log)::Up);
  // Keys other than Ctrl and Escape go on to their window meanwhile.
  struct {
    int Keys = 0;
    void Down(TObject*, Word& Key, TShiftState) { Keys += Key == 'A'; }
  } keys;
  auto* field = new TCustomControl(&f.Form);
  field->SetParent(&f.Form);
  field->OnKeyDown = TKeyEvent(&keys, &decltype(keys)::Down);
  TPoint grab = t->ClientToScreen({150, 10});
  SetCursorPos(grab.X, grab.Y);
  TMenuScript script(
      {[&] { return PostMessageW(field->Handle(), WM_KEYDOWN, 'A', 0) != FALSE; }, PostToCapture(WM_LBUTTONUP)});
  SendMessageW(t->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 10));
  EXPECT_EQ(log.Ups, 1);
  EXPECT_EQ(keys.Keys, 1);
  EXPECT_EQ(t->CurrentDock(), f.Top);
}

TEST(BarDock, OutlineDragDrawsOnTheScreenAndMovesOnlyAtTheEnd) {
  TMenuSettings settings;
  TDockForm f;
  auto* t = f.Toolbar("T", 3, f.Top);
  t->SetSmoothDrag(false);
  f.Show();
  TRect area = f.ScreenRect(&f.Form);
  TPoint origin = f.Form.ClientToScreen({0, 0});
  TRect r = f.ScreenRect(t);
  std::vector<DWORD> before = ScreenPixels(area), during;
  bool stayed = false;
  // Escape: the outline goes and nothing moved.
  DragFrom(t->Handle(), HTBARDRAGHANDLE, {r.Left + 3, r.Top + 10},
           {MoveMouseTo({origin.X + 200, origin.Y + 150}),
            [&] {
              during = ScreenPixels(area);
              return stayed = t->CurrentDock() == f.Top;
            },
            PostToCapture(WM_KEYDOWN, VK_ESCAPE)});
  EXPECT_TRUE(stayed);
  EXPECT_NE(during, before);
  PumpMessagesFor(30);
  EXPECT_EQ(ScreenPixels(area), before);
  EXPECT_EQ(t->CurrentDock(), f.Top);
  // Let go over the left dock: the toolbar moves there.
  DragFrom(t->Handle(), HTBARDRAGHANDLE, {r.Left + 3, r.Top + 10},
           {MoveMouseTo({origin.X + 1, origin.Y + 150}), PostToCapture(WM_LBUTTONUP)});
  EXPECT_EQ(t->CurrentDock(), f.Left);
  EXPECT_EQ(t->LastDock(), f.Left);
  EXPECT_EQ(f.Left->WindowList(), std::vector<TBarCustomDockableWindow*>{t});
  EXPECT_EQ(f.Top->Height(), 0);
}

// Without smooth mode an edge of a floating frame drags an outline, and the frame takes the size
// only when the button is let go.
TEST(BarDock, OutlineResizeOfAFloatingFrame) {
  TMenuSettings settings;
  TDockForm f;
  auto* t = f.Toolbar("T", 4, f.Top);
  t->SetSmoothDrag(false);
  f.Show();
  t->SetFloating(true);
  auto* frame = t->FloatingParent();
  PumpMessagesFor(30);
  TRect r = f.ScreenRect(frame);
  TRect area{r.Left - 10, r.Top - 10, r.Right + 10, r.Bottom + 60};
  std::vector<DWORD> before = ScreenPixels(area), during;
  int widthDuring = 0;
  DragFrom(frame->Handle(), HTRIGHT, {r.Right - 1, r.Top + 15},
           {MoveMouseTo({r.Right - 41, r.Top + 15}),
            [&] {
              during = ScreenPixels(area);
              widthDuring = frame->Width();
              return true;
            },
            PostToCapture(WM_LBUTTONUP)});
  EXPECT_NE(during, before);
  EXPECT_EQ(widthDuring, r.Width());
  EXPECT_EQ(frame->Width(), 54 + frame->NonClientSize().X);  // two lines of two
  // Escape leaves the frame as it was.
  r = f.ScreenRect(frame);
  DragFrom(frame->Handle(), HTRIGHT, {r.Right - 1, r.Top + 15},
           {MoveMouseTo({r.Right + 60, r.Top + 15}), PostToCapture(WM_KEYDOWN, VK_ESCAPE)});
  PumpMessagesFor(20);
  EXPECT_EQ(frame->Width(), r.Width());
}

TEST(BarDock, FormWithMenuBarDockedAndFloatingToolbarsIsDrawn) {
  TDockForm f;
  f.Form.SetClientWidth(260);
  auto* menu = f.Captioned("Menu", f.Top, 0, {L"&File", L"&Edit", L"&View", L"&Help"});
  menu->SetMenuBar(true);
  auto* standard = f.Captioned("Standard", f.Top, 1, {L"New", L"Open", L"Save", L"Cut", L"Copy", L"Paste"});
  auto* side = f.Captioned("Side", f.Left, 0, {L"A", L"B", L"C"}, 22, 30);
  auto* floating = f.Captioned("Floating", f.Top, 2, {L"One", L"Two"});
  floating->SetCaption(L"Floating");
  f.Show();
  floating->SetFloatingPosition(f.Form.ClientToScreen({120, 120}));
  floating->SetFloating(true);
  // The standard toolbar does not fit: a button goes behind the chevron.
  standard->View()->ValidatePositions();
  EXPECT_LT(standard->Width(), 6 * 44 + 10);
  EXPECT_TRUE(standard->View()->Find(standard->ChevronItem())->Show());
  EXPECT_EQ(standard->Top(), menu->Height());
  EXPECT_EQ(f.Left->Top(), f.Top->Height());
  EXPECT_TRUE(IsWindowVisible(floating->FloatingParent()->Handle()));
  // Every toolbar's captions are drawn, the floating one's too.
  for (TBarCustomToolbar* t : {menu, standard, side, floating}) EXPECT_GT(InkIn(t), 10) << t->Name();
  const char* hold = std::getenv("BAR_TEST_HOLD_MS");  // time to take a screenshot
  if (hold) PumpMessagesFor(static_cast<DWORD>(atoi(hold)));
}
