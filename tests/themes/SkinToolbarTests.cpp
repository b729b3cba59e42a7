// Skinned toolbars, docks and popups on a real form: display modes, customizing with drag and
// drop, right-aligned and anchored items, label clicks, compound controls, dock backgrounds,
// the popup menu, the status toolbar's grip, the system menu and viewer stepping.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/DragDrop.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "tests/common/TestPicture.h"
#include "tests/framework/MessagePump.h"
#include "tests/themes/SkinControlTestSupport.h"
#include "tests/themes/SkinTestSupport.h"
#include "tests/themes/UiItemsTestSupport.h"
#include "themes/SkinTitleBar.h"
#include "themes/SkinToolbar.h"

namespace {

struct TCounter {
  int Count = 0;
  void Click(TObject*) { ++Count; }
};

// A form with a skinned dock at its top and a toolbar of captioned buttons on it.
struct TSkinForm {
  TSkinForm() : Form(nullptr, CreateNew) {
    Form.SetBounds(40, 40, 400, 200);
    Dock = new TSkinDock(&Form);
    Dock->SetPosition(dpTop);
    Dock->SetParent(&Form);
    Bar = new TSkinToolbar(&Form);
    Bar->SetHideWhenInactive(false);
    Bar->SetParent(Dock);
  }
  ~TSkinForm() {
    for (int i = Form.ComponentCount(); i-- > 0;)
      if (auto* t = dynamic_cast<TSkinToolbar*>(Form.Components(i))) {
        for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
        delete t;
      }
  }
  TSkinItem* Button(const WideString& Caption) {
    auto* item = new TSkinItem(&Form);
    item->SetCaption(Caption);
    Bar->Items()->Add(item);
    return item;
  }
  void Show() {
    Form.Show();
    PumpMessagesFor(30);
    Bar->View()->ValidatePositions();
  }
  TPoint Centre(int Index) {
    TRect r = Bar->View()->Viewers(Index)->BoundsRect();
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  WideString Order() {
    WideString s;
    for (int i = 0; i < Bar->Items()->Count(); ++i)
      s += static_cast<TSkinCustomItem*>(Bar->Items()->Items(i))->Caption();
    return s;
  }
  TForm Form;
  TSkinDock* Dock;
  TSkinToolbar* Bar;
};

struct TDropCounter {
  int Drops = 0;
  void Dropped(TObject*, TObject*, int, int) { ++Drops; }
};

TEST(SkinToolbar, DisplayModesSetOptionsAndWhatViewersShow) {
  TSkinForm f;
  TImageList images(nullptr);
  TBitmap bmp;
  bmp.SetSize(16, 16);
  images.AddMasked(&bmp, clNone);
  TSkinItem* item = f.Button(L"Open");
  item->SetImages(&images);
  item->SetImageIndex(0);
  f.Show();
  auto* v = static_cast<TSkinItemViewer*>(f.Bar->View()->Viewers(0));
  const struct {
    TSkinToolbarDisplayMode Mode;
    bool AboveCaption, Caption, Image;
  } cases[] = {{tbdmImageAboveCaption, true, true, true},
               {tbdmTextOnly, false, true, false},
               {tbdmImageOnly, false, false, true},
               {tbdmSelectiveCaption, false, false, true}};
  for (const auto& c : cases) {
    f.Bar->SetDisplayMode(c.Mode);
    bool both = f.Bar->Options().ContainsAll({tboImageAboveCaption, tboSameWidth});
    EXPECT_EQ(std::tuple(both, v->IsCaptionShown(), v->GetImageShown()), std::tuple(c.AboveCaption, c.Caption, c.Image))
        << int(c.Mode);
  }
}

TEST(SkinToolbar, CustomizingCountersStopAtZero) {
  TSkinForm f;
  auto* second = new TSkinToolbar(&f.Form);
  second->SetParent(&f.Form);
  f.Bar->EndCustomize();
  SetToolbarsCustomizing(&f.Form, false);  // the form's direct children only
  SetToolbarsCustomizing(f.Dock, false);
  SetToolbarsCustomizing(f.Dock, true);
  SetToolbarsCustomizing(f.Dock, true);
  EXPECT_EQ(std::pair(second->CustomizingCount(), f.Bar->CustomizingCount()), std::pair(1, 0));
}

TEST(SkinToolbar, ItemsAreDraggedToNewPlacesWhileCustomizing) {
  TSkinForm f;
  TSkinItem* a = f.Button(L"A");
  f.Button(L"B");
  f.Button(L"C");
  f.Show();
  TDropCounter drops;
  f.Bar->OnDragDrop = TDragDropEvent(&drops, &TDropCounter::Dropped);
  TSkinItemDragObject drag(f.Bar, a);
  bool accept = true;
  TPoint overC = f.Centre(2);
  f.Bar->DragOver(&drag, overC.X + 2, overC.Y, dsDragMove, accept);
  EXPECT_FALSE(accept);  // not customizing
  f.Bar->BeginCustomize();
  f.Bar->DragOver(&drag, overC.X + 2, overC.Y, dsDragMove, accept);
  EXPECT_TRUE(accept);
  // The mark: a 4-pixel bar at C's right edge across the toolbar.
  TRect c = f.Bar->View()->Viewers(2)->BoundsRect();
  EXPECT_EQ(f.Bar->DropMarkRect(), TRect(c.Right - 2, 0, c.Right + 2, f.Bar->ClientRect().Height()));
  TRect mark;
  EXPECT_EQ(f.Bar->GetDropIndex({overC.X - 2, overC.Y}, mark), 2);
  EXPECT_EQ(f.Bar->GetDropIndex({overC.X + 2, overC.Y}, mark), 3);

  // Dropping A just behind itself (before B) is its own place: nothing at all happens.
  TPoint overB = f.Centre(1);
  f.Bar->DragDrop(&drag, overB.X - 2, overB.Y);
  EXPECT_EQ(f.Order() + std::to_wstring(drops.Drops), L"ABC0");
  f.Bar->DragDrop(&drag, overC.X + 2, overC.Y);
  EXPECT_EQ(f.Order() + std::to_wstring(drops.Drops), L"BCA1");
  EXPECT_TRUE(f.Bar->DropMarkRect().IsEmpty());
  // Beyond every item it goes to the end; negative points count as 0 (the first item).
  TSkinItemDragObject dragB(f.Bar, f.Bar->Items()->Items(0));
  f.Bar->DragDrop(&dragB, 390, 5);
  EXPECT_EQ(f.Order(), L"CAB");
  TSkinItemDragObject dragA(f.Bar, a);
  f.Bar->DragDrop(&dragA, -40, -3);
  EXPECT_EQ(f.Order(), L"ACB");
  f.Bar->EndCustomize();
}

TEST(SkinToolbar, CustomizingPressesStartADragInsteadOfAClick) {
  TSkinForm f;
  TCounter clicks;
  TSkinItem* a = f.Button(L"Press");
  a->OnClick = TNotifyEvent(&clicks, &TCounter::Click);
  f.Show();
  f.Bar->BeginCustomize();
  TPoint p = f.Centre(0);
  EXPECT_TRUE(f.Bar->CanDragCustomize(mbLeft, {}, p.X, p.Y));
  auto* drag = dynamic_cast<TSkinItemDragObject*>(dragdrop::Current());
  ASSERT_TRUE(drag && drag->SourceItem() == a);
  EXPECT_EQ(std::pair(drag->GetDragCursor(true, 0, 0), drag->GetDragCursor(false, 0, 0)),
            std::pair(crSkinItemMove, crNo));
  dragdrop::Done(false);
  EXPECT_TRUE(f.Bar->CanDragCustomize(mbRight, {}, p.X, p.Y));  // taken, but no drag
  EXPECT_EQ(dragdrop::Current(), nullptr);
  EXPECT_EQ(clicks.Count, 0);
  f.Bar->EndCustomize();
  EXPECT_FALSE(f.Bar->CanDragCustomize(mbLeft, {}, p.X, p.Y));
  // A designed toolbar is never customized: the press goes its ordinary way.
  f.Bar->BeginCustomize();
  f.Bar->SetDesigning(true);
  EXPECT_FALSE(f.Bar->CanDragCustomize(mbLeft, {}, p.X, p.Y));
  EXPECT_EQ(dragdrop::Current(), nullptr);
  f.Bar->SetDesigning(false);
  f.Bar->EndCustomize();
}

TEST(SkinToolbar, RightAlignSpacerAndAnchoredItemsFollowTheDock) {
  TSkinForm f;
  f.Button(L"Left");
  auto* spacer = new TSkinRightAlignSpacerItem(&f.Form);
  f.Bar->Items()->Add(spacer);
  TSkinItem* anchored = f.Button(L"Right");
  anchored->SetAnchored(true);
  f.Show();
  f.Bar->RightAlignItems();
  TBarView* view = f.Bar->View();
  view->ValidatePositions();
  int others = view->Viewers(0)->BoundsRect().Width() + view->Viewers(2)->BoundsRect().Width();
  EXPECT_EQ(spacer->CustomWidth(), f.Dock->Width() - f.Bar->GetRightAlignMargin() - others);
  auto* v = static_cast<TSkinItemViewer*>(view->Viewers(2));
  f.Bar->AnchorItems(false);
  EXPECT_EQ(v->AnchorSize.X, f.Dock->Width());
  EXPECT_EQ(v->AnchorDelta, 0);
  TItemPicture pic(10, 10);
  int w0, h0, w, h;
  v->CalcSize(pic.Canvas(), w0, h0);
  f.Form.SetWidth(f.Form.Width() + 50);  // the dock grows: the anchored item grows with it
  f.Bar->AnchorItems(false);
  EXPECT_GT(v->AnchorDelta, 0);
  EXPECT_LE(v->AnchorDelta, 50);
  v->CalcSize(pic.Canvas(), w, h);
  EXPECT_EQ(w, w0 + v->AnchorDelta);
}

// A floating themed toolbar's frame hands the theme its own title; a skinned toolbar's frame
// keeps no title, and the toolbar's Unicode caption is drawn over the themed frame instead (so
// that it shows in the classic frame too, whose system caption shows the window's text).
TEST(SkinToolbar, AFloatingFrameShowsTheUnicodeCaptionItself) {
  struct TFrameTheme : TRecordingTheme {
    std::vector<WideString> Captions;
    void PaintFloatingBorder(TCanvas* C, const TRect& R, const TUiFloatingBorderInfo& Info) override {
      Captions.push_back(Info.Caption);
      TRecordingTheme::PaintFloatingBorder(C, R, Info);
    }
  };
  const WideString caption = L"\x0421\x0435\x0440\x0432\x0438\x0441";  // Cyrillic
  for (bool skinned : {false, true}) {
    TFrameTheme theme;
    TThemeSwap swap(&theme);
    TSkinForm f;
    TUiToolbar* bar = skinned ? f.Bar : new TUiToolbar(&f.Form);
    if (!skinned) {
      bar->SetHideWhenInactive(false);
      bar->SetParent(f.Dock);
    }
    bar->SetCaption(caption);
    if (skinned) f.Button(L"A button wide enough for the title");
    f.Show();
    bar->SetFloating(true);
    PumpMessagesFor(30);
    auto* frame = dynamic_cast<TUiFloatingWindowParent*>(bar->FloatingParent());
    ASSERT_NE(frame, nullptr);
    theme.Captions.clear();
    SendMessageW(frame->Handle(), WM_NCPAINT, 1, 0);
    ASSERT_FALSE(theme.Captions.empty()) << skinned;
    EXPECT_EQ(theme.Captions.back(), skinned ? WideString() : caption) << skinned;
    if (skinned) {
      RECT w{};
      GetWindowRect(frame->Handle(), &w);
      TTestPicture pic(w.right - w.left, w.bottom - w.top, 0x808080);
      dynamic_cast<TSkinFloatingWindowParent*>(frame)->PaintCaptionText(pic.DC());
      TPoint border = bar->GetFloatingBorderSize();
      TRect band = Bounds(border.X, border.Y, pic.Width() - 2 * border.X, GetSystemMetrics(SM_CYSMCAPTION) - 1);
      EXPECT_GT(pic.Count(band, ColorToRGB(clCaptionText) & 0xFFFFFF), 5);
    } else {
      bar->SetFloating(false);
      delete bar;
    }
  }
}

TEST(SkinToolbar, LabelClicksReachTheirHandlerDirectly) {
  TSkinForm f;
  TCounter label;
  auto* l = new TSkinLabelItem(&f.Form);
  l->OnClick = TNotifyEvent(&label, &TCounter::Click);
  TSkinItem* b = f.Button(L"B");  // a plain button clicks through its view instead
  b->OnClick = TNotifyEvent(&label, &TCounter::Click);
  f.Bar->DoItemClick(b, mbLeft);
  f.Bar->DoItemClick(l, mbLeft);
  f.Bar->DoItemClick(l, mbRight);
  l->SetEnabled(false);
  f.Bar->DoItemClick(l, mbLeft);
  EXPECT_EQ(label.Count, 1);  // left button on an enabled label only
  delete l;
}

TEST(SkinToolbar, HintsAndAcceleratorsOfTheItems) {
  TSkinForm f;
  TSkinItem* a = f.Button(L"&Open");
  a->SetHint(L"Open a file|Long");
  auto* edit = new TEdit(&f.Form);
  edit->SetParent(&f.Form);
  auto* label = new TSkinLabelItem(&f.Form);
  label->SetCaption(L"&Find:");
  label->SetControl(edit);
  f.Bar->Items()->Add(label);
  auto* other = new TEdit(&f.Form);
  other->SetParent(&f.Form);
  f.Show();
  other->SetFocus();
  f.Bar->View()->Select(f.Bar->View()->Viewers(0));
  THintInfo info;
  f.Bar->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.HintStr + L"/" + f.Bar->Hint(), L"Open a file/Open a file|Long");
  EXPECT_EQ(info.CursorRect, f.Bar->View()->Viewers(0)->BoundsRect());
  f.Bar->View()->Select(nullptr);
  EXPECT_EQ(f.Bar->Perform(CM_DIALOGCHAR, L'F', 0), 1);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(f.Bar->Perform(CM_DIALOGCHAR, L'F', 0), 0);  // it has the focus already
}

TEST(SkinToolbar, CompoundToolbarsHostInsertedControls) {
  TForm form(nullptr, CreateNew);
  auto* compound = new TSkinCompoundItemsControl(&form);
  compound->SetParent(&form);
  EXPECT_TRUE(compound->Toolbar()->Compound());
  auto* edit = new TEdit(&form);
  edit->SetParent(compound->Toolbar());
  ASSERT_EQ(compound->Items()->Count(), 1);
  auto* hosted = dynamic_cast<TBarControlItem*>(compound->Items()->Items(0));
  EXPECT_TRUE(hosted && hosted->Control() == edit && hosted->Owner() == &form);
}

// Designed, the compound control keeps the redraw class styles, and an item made for a dropped
// control gets the first free "BarControlItem" name; running, the styles go and no name is given.
TEST(SkinToolbar, ADesignedCompoundControlNamesItsItemsAndKeepsTheRedrawStyles) {
  for (bool designing : {false, true}) {
    TForm form(nullptr, CreateNew);
    form.SetDesigning(designing);
    auto* taken = new TPanel(&form);
    taken->SetName("BarControlItem1");
    auto* compound = new TSkinCompoundItemsControl(&form);
    compound->SetParent(&form);
    compound->HandleNeeded();
    auto style = static_cast<UINT>(GetClassLongW(compound->Handle(), GCL_STYLE));
    EXPECT_EQ(style & (CS_HREDRAW | CS_VREDRAW), designing ? static_cast<UINT>(CS_HREDRAW | CS_VREDRAW) : 0u);
    auto* edit = new TEdit(&form);
    edit->SetParent(compound->Toolbar());
    ASSERT_EQ(compound->Items()->Count(), 1);
    EXPECT_EQ(compound->Items()->Items(0)->Name(), designing ? "BarControlItem2" : "") << designing;
  }
}

TEST(SkinToolbar, DockBackgroundEventsWrapTheThemedBackground) {
  TRecordingTheme theme;
  TThemeSwap swap(&theme);
  TSkinForm f;
  struct TBackground {
    std::string Stages;
    bool Default = true;
    void Draw(TObject*, TCanvas*, TRect, TSkinPaintStage S, bool& D) {
      Stages += S == pstPrePaint ? "<" : ">";
      if (S == pstPrePaint) D = Default;
    }
  } bg;
  f.Dock->OnDrawBackground = TSkinDrawEvent(&bg, &TBackground::Draw);
  EXPECT_TRUE(f.Dock->UsingBackground());
  TItemPicture pic(100, 30);
  for (bool paintDefault : {true, false}) {
    bg.Default = paintDefault;
    f.Dock->DrawBackground(pic.DC(), {0, 0, 100, 30});
    EXPECT_EQ(theme.Find("Dock") != nullptr, paintDefault);
    theme.Calls.clear();
  }
  EXPECT_EQ(bg.Stages, "<><>");
}

// However a paint reaches the buttons after their state changed, or a second time in the same
// state, the toolbar shows what a full repaint shows: never a new picture drawn over an old one.
// The dock paints its theme's background, or stripes across it from its background event (the
// toolbar's own event then keeps them), so that a background drawn at the wrong place shows too.
TEST(SkinToolbar, EveryPaintDrawsTheButtonsOverTheirBackground) {
  struct TStripes {
    void Draw(TObject*, TCanvas* C, TRect R, TSkinPaintStage S, bool& Default) {
      if (S != pstPrePaint) return;
      Default = false;
      for (int x = R.Left; x < R.Right; ++x) {
        C->Brush()->SetColor(TColor(x / 3 % 2 ? 0xE0E0E0 : 0xF0D0C0));
        C->FillRect(TRect{x, R.Top, x + 1, R.Bottom});
      }
    }
    void Keep(TObject*, TCanvas*, TRect, TSkinPaintStage, bool& Default) { Default = false; }
  } stripes;
  TImageList images(nullptr);
  AddRedImage(images);
  for (bool striped : {false, true}) {
    TSkinForm f;
    if (striped) {
      f.Dock->OnDrawBackground = TSkinDrawEvent(&stripes, &TStripes::Draw);
      f.Bar->OnDrawBackground = TSkinDrawEvent(&stripes, &TStripes::Keep);
    }
    std::vector<TSkinItem*> buttons{f.Button(L"Cut"), f.Button(L"Copy"), f.Button(L"Paste")};
    for (TSkinItem* b : buttons) {
      b->SetImages(&images);
      b->SetImageIndex(0);
    }
    f.Show();
    const HWND bar = f.Bar->Handle();
    RECT overBar{0, 0, f.Bar->Width(), f.Bar->Height()};
    MapWindowPoints(bar, f.Form.Handle(), reinterpret_cast<POINT*>(&overBar), 2);
    auto setEnabled = [&](bool Enabled) {
      for (TSkinItem* b : buttons) b->SetEnabled(Enabled);
    };
    auto repaintWhole = [&] {
      RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      return ClientPixels(bar);
    };
    setEnabled(true);
    const std::vector<uint32_t> enabledPicture = repaintWhole();
    setEnabled(false);
    ASSERT_NE(repaintWhole(), enabledPicture);
    const struct {
      const char* Name;
      bool From, To;
      std::function<void()> Between;
    } cases[] = {
        // State changes: the buttons' own paint.
        {"disabled", true, false, [] {}},
        {"enabled", false, true, [] {}},
        {"disabled and enabled again", true, true, [&] { setEnabled(false), setEnabled(true); }},
        // Other invalidations of the toolbar before that paint.
        {"disabled, the toolbar invalidated", true, false, [&] { InvalidateRect(bar, nullptr, FALSE); }},
        {"disabled, the toolbar invalidated with erase", true, false, [&] { InvalidateRect(bar, nullptr, TRUE); }},
        {"disabled, a closing popup uncovers the toolbar", true, false,
         [&] { RedrawWindow(f.Form.Handle(), &overBar, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN); }},
        {"disabled, the form invalidated without erase", true, false,
         [&] { RedrawWindow(f.Form.Handle(), &overBar, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN); }},
        // Repaints in the same state.
        {"disabled buttons repainted twice", false, false,
         [&] { InvalidateRect(bar, nullptr, FALSE), UpdateWindow(bar), InvalidateRect(bar, nullptr, FALSE); }},
        {"an Alt+letter of no button", false, false,
         [&] { f.Bar->View()->ShowAccelerators(false), f.Bar->Perform(CM_DIALOGCHAR, L'q', 0); }},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.Name) + (striped ? ", striped dock" : ""));
      setEnabled(c.From);
      repaintWhole();
      setEnabled(c.To);
      c.Between();
      UpdateWindow(bar);
      const std::vector<uint32_t> shown = ClientPixels(bar);
      EXPECT_EQ(DifferingPixels(shown, repaintWhole()), 0u);
    }
  }
}

TEST(SkinPopupMenu, PopupRunsTheChosenItemAndTellsItsControl) {
  TForm form(nullptr, CreateNew);
  auto* button = new TPanel(&form);
  button->SetParent(&form);
  form.Show();
  auto* menu = new TSkinPopupMenu(&form);
  TCounter clicks;
  auto* first = new TSkinItem(&form);
  first->SetCaption(L"&First");
  first->OnClick = TNotifyEvent(&clicks, &TCounter::Click);
  menu->Items()->Add(first);
  struct TInit {
    int Count = 0;
    void Init(TObject*, TBarView* View) { Count += View != nullptr; }
  } init;
  menu->OnInitPopup = TSkinPopupEvent(&init, &TInit::Init);
  for (bool choose : {false, true}) {
    for (WPARAM key : choose ? std::vector<WPARAM>{VK_DOWN, VK_RETURN} : std::vector<WPARAM>{VK_ESCAPE})
      PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, key, 0);
    EXPECT_EQ(menu->InternalPopup(100, 100, false, button), choose ? first : nullptr);
    EXPECT_EQ(clicks.Count, choose ? 1 : 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, button->Handle(), WM_SKINPOPUPCLOSED, WM_SKINPOPUPCLOSED, PM_REMOVE));
    EXPECT_EQ(m.wParam, reinterpret_cast<WPARAM>(menu));
  }
  EXPECT_EQ(init.Count, 2);
}

TEST(SkinPopupWindow, ToolbarStyleAndTheCloseEvent) {
  TForm form(nullptr, CreateNew);
  auto* sub = new TSkinSubmenuItem(&form);
  sub->Add(new TSkinItem(&form));
  sub->SetToolbarStylePopup(true);
  struct TClosed {
    int Count = 0;
    void Closed(TObject*, TBarCustomItem* Item) { Count += Item ? 10 : 1; }
  } closed;
  sub->OnClosePopup = TSkinClosePopupEvent(&closed, &TClosed::Closed);
  std::unique_ptr<TBarPopupWindow> popup(sub->CreatePopup(nullptr, nullptr, false, false, false, {100, 100}, 0));
  EXPECT_TRUE(dynamic_cast<TSkinPopupWindow*>(popup.get()) && popup->View()->IsToolbar());
  popup.reset();
  EXPECT_EQ(closed.Count, 1);  // once, without a clicked item
}

TEST(SkinStatusToolbar, GripFollowsTheFormsFrameAndState) {
  TForm form(nullptr, CreateNew);
  form.SetBounds(40, 40, 300, 200);
  auto* status = new TSkinStatusToolbar(&form);
  status->SetParent(&form);
  form.Show();
  const int grip = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(status->GetRightAlignMargin(), grip);
  status->SetSizeGrip(false);
  EXPECT_EQ(status->GetRightAlignMargin(), 4);
  status->SetSizeGrip(true);
  form.SetWindowState(wsMaximized);
  EXPECT_FALSE(status->GripShown());  // a maximized form shows no grip
  form.SetWindowState(wsNormal);
  form.SetBorderStyle(bsDialog);
  EXPECT_TRUE(status->GripRect().IsEmpty());
  delete status;
}

TEST(SkinSystemMenu, CopiesTheWindowsMenuWithGlyphsAndStates) {
  TForm form(nullptr, CreateNew);
  form.Show();
  TSkinPopupMenu menu(nullptr);
  for (TWindowState state : {wsNormal, wsMaximized}) {
    FillSkinSystemMenu(form.Handle(), &menu);
    std::map<UINT, TBarCustomItem*> by;
    for (int i = 0; i < menu.Items()->Count(); ++i) by[UINT(menu.Items()->Items(i)->Tag())] = menu.Items()->Items(i);
    ASSERT_TRUE(by.count(SC_CLOSE) && by.count(SC_MAXIMIZE) && by.count(SC_RESTORE));
    EXPECT_EQ(by[SC_CLOSE]->ImageIndex(), 0);
    EXPECT_TRUE(by[SC_CLOSE]->Options().Contains(tboDefault));
    EXPECT_EQ(by[SC_MAXIMIZE]->ImageIndex(), 1);
    EXPECT_EQ(by[SC_MAXIMIZE]->Enabled(), state == wsNormal);
    EXPECT_EQ(by[SC_RESTORE]->Enabled(), state == wsMaximized);
    RunSkinSystemCommand(form.Handle(), state == wsNormal ? SC_MAXIMIZE : SC_RESTORE);
    EXPECT_EQ(form.WindowState(), state == wsNormal ? wsMaximized : wsNormal);
  }
}

TEST(SkinViewerStepping, FindsTheNextViewerThatPasses) {
  TSkinView f(true);
  for (const wchar_t* c : {L"A", L"B", L"C", L"D"}) f.Add(new TSkinItem(nullptr))->Item()->SetCaption(c);
  f.root.Items(1)->SetVisible(false);
  f.view.ValidatePositions();
  auto name = [](TBarItemViewer* V) { return V ? V->Item()->Caption() : WideString(L"-"); };
  TBarItemViewer *a = f.view.Find(f.root.Items(0)), *d = f.view.Find(f.root.Items(3));
  TBarCustomItem* c = f.root.Items(2);
  EXPECT_EQ(name(StepViewer(&f.view, a, true, true, false, false, false)), L"C");
  EXPECT_EQ(name(StepViewer(&f.view, d, true, true, false, false, false)), L"-");
  EXPECT_EQ(name(StepViewer(&f.view, d, false, true, false, true, false)), L"C");
  auto notC = [&](TBarItemViewer* V, bool& Passed, bool&) { Passed = Passed && V->Item() != c; };
  EXPECT_EQ(name(StepViewer(&f.view, a, true, true, false, false, false, notC)), L"D");
  auto stopAtC = [&](TBarItemViewer* V, bool& Passed, bool& Stop) {
    if (V->Item() == c) Passed = false, Stop = true;
  };
  EXPECT_EQ(name(StepViewer(&f.view, a, true, true, false, false, false, stopAtC)), L"-");
}

}  // namespace

namespace {}  // namespace

// With a control, the menu opens along it as along a toolbar button: below where there is room, else above.
TEST(SkinPopupMenu, OpensAlongItsControlAboveItWhereThereIsNoRoomBelow) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  for (bool below : {true, false}) {
    TForm form(nullptr, CreateNew);
    form.SetBounds(100, below ? work.top + 40 : work.bottom - 60, 300, 60);
    auto* button = new TPanel(&form);
    button->SetParent(&form);
    button->SetBounds(10, 5, 80, 24);
    form.Show();
    auto* menu = new TSkinPopupMenu(&form);
    for (int i = 0; i < 6; ++i) menu->Items()->Add(new TSkinItem(&form));
    static RECT shown;  // where the menu opens
    menu->OnInitPopup = TSkinPopupEvent::FromFunction(
        [](void*, TObject*, TBarView* View) { GetWindowRect(View->Window()->Handle(), &shown); }, nullptr);
    PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
    menu->InternalPopup(0, 0, false, button);
    RECT control{};
    GetWindowRect(button->Handle(), &control);
    EXPECT_EQ(std::tuple(shown.left, below ? shown.top : shown.bottom),
              std::tuple(control.left, below ? control.bottom : control.top))
        << below;
  }
}

// The grip shows on a form without a sizing frame that an active title bar, not of fixed size, lets the user size.
TEST(SkinStatusToolbar, GripOfAFormSizedThroughItsTitleBar) {
  const std::tuple<bool, bool, bool, bool> cases[] = {
      {false, false, false, false}, {true, true, false, true}, {true, true, true, false}, {true, false, false, false}};
  for (auto [titleBar, active, fixed, shown] : cases) {
    TForm form(nullptr, CreateNew);
    form.SetBounds(40, 40, 300, 200);
    form.SetBorderStyle(bsNone);
    if (titleBar) {
      auto* title = new TSkinTitleBar(&form);
      title->SetParent(&form);
      title->SetActive(active);
      title->SetFixedSize(fixed);
    }
    auto* status = new TSkinStatusToolbar(&form);
    status->SetParent(&form);
    form.Show();
    EXPECT_EQ(status->GripShown(), shown) << titleBar << active << fixed;
  }
}
