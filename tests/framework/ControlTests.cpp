// Controls: windows made on demand and linked to their controls, parents and children in every
// order of destruction, message dispatch to the virtual handlers with the right shift state,
// replaceable window procedures, texts that survive a new window, painting.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "framework/Bitmap.h"
#include "framework/GdiHandles.h"

namespace {

// A form freed at the end of a test.
struct TFormScope {
  explicit TFormScope(int width = 300, int height = 200) : Form(NewShownForm(width, height)) {}
  ~TFormScope() { Free(Form); }
  TForm* Form;
};

struct TPixel {
  int X, Y;
  TColor Colour;
};

void ExpectPixels(TBitmap& bitmap, std::initializer_list<TPixel> pixels) {
  for (const TPixel& p : pixels) EXPECT_EQ(bitmap.Canvas()->Pixels(p.X, p.Y), p.Colour) << p.X << "," << p.Y;
}

template <class T>
T* Child(TWinControl* parent, int left = 0, int top = 0, int width = 40, int height = 20) {
  T* c = new T(parent->Owner() ? parent->Owner() : parent);
  c->SetBounds(left, top, width, height);
  c->SetParent(parent);
  return c;
}

}  // namespace

TEST(ControlWindows, HandleIsMadeOnDemandWithTheParentsAndLinkedToTheControl) {
  TForm form(nullptr, CreateNew);
  auto* panel = new TWcPanel(&form);
  panel->SetParent(&form);
  auto* control = new TWcControl(&form);
  control->SetParent(panel);
  EXPECT_FALSE(form.HandleAllocated());
  EXPECT_FALSE(control->HandleAllocated());

  HWND wnd = control->Handle();
  ASSERT_TRUE(IsWindow(wnd));
  EXPECT_TRUE(panel->HandleAllocated());
  EXPECT_TRUE(form.HandleAllocated());
  EXPECT_EQ(GetParent(wnd), panel->Handle());
  EXPECT_EQ(FindControl(wnd), control);

  // Taking the control out of its parent takes its window with it.
  control->SetParent(nullptr);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_FALSE(control->HandleAllocated());
  EXPECT_EQ(FindControl(wnd), nullptr);
  delete control;
}

TEST(ControlWindows, ChildrenGoWithTheirParentWhateverTheOrderOfDestruction) {
  int gdi = GdiObjectCount();
  // Owned by the form, parented on a panel: the panel goes first, taking its children.
  for (int order = 0; order < 3; ++order) {
    TForm* form = new TForm(nullptr, CreateNew);
    auto* panel = new TWcPanel(form);
    panel->SetParent(form);
    auto* inner = new TWcPanel(form);
    inner->SetParent(panel);
    auto* control = new TWcControl(form);
    control->SetParent(inner);
    auto* graphic = new TWcGraphic(form);
    graphic->SetParent(inner);
    form->Show();
    Pump();
    ASSERT_TRUE(control->HandleAllocated());
    switch (order) {
      case 0: delete panel; break;    // the middle of the tree first
      case 1: delete control; break;  // a leaf first
      case 2: break;                  // the owner frees all
    }
    Free(form);
  }
  // A parent frees the children that nobody owns.
  auto* parent = new TWcPanel(nullptr);
  auto* orphan = new TWcControl(nullptr);
  orphan->SetParent(parent);
  delete parent;
  EXPECT_EQ(GdiObjectCount(), gdi);
}

TEST(ControlWindows, TextIsKeptInTheObjectAndSurvivesANewWindow) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form);
  control->SetCaption(L"Прив\u00e9t");  // set before the window exists
  EXPECT_EQ(control->TextChanges, 1);
  HWND first = control->Handle();
  wchar_t text[32];
  GetWindowTextW(first, text, 32);
  EXPECT_STREQ(text, L"Прив\u00e9t");

  // What the user typed into the window is still there in the next window.
  SetWindowTextW(first, L"typed");
  control->RecreateWnd();
  EXPECT_EQ(control->Caption(), L"typed");
  GetWindowTextW(control->Handle(), text, 32);
  EXPECT_STREQ(text, L"typed");

  // An equal text announces nothing.
  int changes = control->TextChanges;
  control->SetText(L"typed");
  EXPECT_EQ(control->TextChanges, changes);
  control->SetText(L"other");
  EXPECT_EQ(control->TextChanges, changes + 1);
  EXPECT_EQ(control->GetTextLen(), 5);
}

TEST(ControlMessages, MouseMessagesReachTheVirtualHandlersWithTheShiftState) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form, 10, 10, 60, 30);
  HWND wnd = control->Handle();
  SendMouse(wnd, WM_LBUTTONDOWN, 5, 6, MK_LBUTTON | MK_SHIFT);
  SendMouse(wnd, WM_MOUSEMOVE, 7, 8, MK_LBUTTON | MK_SHIFT);
  SendMouse(wnd, WM_LBUTTONUP, 9, 10, MK_SHIFT);
  SendMouse(wnd, WM_RBUTTONDOWN, 1, 2, MK_RBUTTON);
  SendMouse(wnd, WM_RBUTTONUP, 1, 2, 0);
  SendMouse(wnd, WM_LBUTTONDBLCLK, 3, 4, MK_LBUTTON | MK_CONTROL);
  SendMouse(wnd, WM_LBUTTONUP, 3, 4, MK_CONTROL);
  SetModifiers(false, false, true);
  SendMouse(wnd, WM_MBUTTONDOWN, -2, -3, MK_MBUTTON);  // outside the client area, captured
  SetModifiers(false, false, false);
  std::vector<std::string> expected = {
      "down L 5,6 [Shift Left]",       "mouseenter",           "move 7,8 [Shift Left]",     "click",
      "up L 9,10 [Shift Left]",        "down R 1,2 [Right]",   "up R 1,2 [Right]",          "dblclick",
      "down L 3,4 [Ctrl Left Double]", "up L 3,4 [Ctrl Left]", "down M -2,-3 [Alt Middle]",
  };
  EXPECT_EQ(control->Log, expected);
}

TEST(ControlMessages, AReleaseOutsideTheControlIsNoClick) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form, 10, 10, 60, 30);
  HWND wnd = control->Handle();
  SendMouse(wnd, WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  EXPECT_TRUE(control->MouseCapture());
  SendMouse(wnd, WM_LBUTTONUP, 100, 5, 0);
  EXPECT_FALSE(control->MouseCapture());
  std::vector<std::string> expected = {"down L 5,5 [Left]", "up L 100,5 [Left]"};
  EXPECT_EQ(control->Log, expected);
}

TEST(ControlMessages, KeysReachTheHandlersAndAZeroKeySwallowsThem) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form);
  HWND wnd = control->Handle();
  SetModifiers(true, true, false);
  SendMessageW(wnd, WM_KEYDOWN, 'A', 0);
  SetModifiers(false, false, false);
  SendMessageW(wnd, WM_SYSKEYDOWN, VK_F4, 0x20000000);  // Alt comes from the key data
  SendMessageW(wnd, WM_CHAR, L'ж', 0);
  SendMessageW(wnd, WM_KEYUP, 'A', 0xC0000000);
  std::vector<std::string> expected = {"keydown 65 [Shift Ctrl]", "keydown 115 [Alt]", "keypress 1078", "keyup 65 []"};
  EXPECT_EQ(control->Log, expected);
  ASSERT_EQ(control->DefaultChars.size(), 1u);
  EXPECT_EQ(control->DefaultChars[0], static_cast<WPARAM>(L'ж'));

  // A handler may change the character the window gets, or swallow it.
  struct TChanger {
    void Press(TObject*, wchar_t& key) { key = key == L'a' ? L'b' : 0; }
  } changer;
  control->OnKeyPress = TKeyPressEvent(&changer, &TChanger::Press);
  SendMessageW(wnd, WM_CHAR, L'a', 0);
  SendMessageW(wnd, WM_CHAR, L'x', 0);
  ASSERT_EQ(control->DefaultChars.size(), 2u);
  EXPECT_EQ(control->DefaultChars[1], static_cast<WPARAM>(L'b'));
}

TEST(ControlMessages, FormKeyPreviewSeesKeysFirst) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form);
  struct TPreview {
    std::vector<Word> Keys;
    void Down(TObject*, Word& key, TShiftState) {
      Keys.push_back(key);
      if (key == VK_F2) key = 0;
    }
  } preview;
  scope.Form->OnKeyDown = TKeyEvent(&preview, &TPreview::Down);
  SendMessageW(control->Handle(), WM_KEYDOWN, VK_F1, 0);
  EXPECT_TRUE(preview.Keys.empty());  // without KeyPreview the form hears nothing
  scope.Form->SetKeyPreview(true);
  SendMessageW(control->Handle(), WM_KEYDOWN, VK_F1, 0);
  SendMessageW(control->Handle(), WM_KEYDOWN, VK_F2, 0);
  EXPECT_EQ(preview.Keys, (std::vector<Word>{VK_F1, VK_F2}));
  std::vector<std::string> expected = {"keydown 112 []", "keydown 112 []"};
  EXPECT_EQ(control->Log, expected);
}

namespace {
// Replaces a control's window procedure, counting what passes, and puts it back.
struct THook {
  explicit THook(TControl* c) : control(c), previous(c->WindowProc) { c->WindowProc = TWndMethod(this, &THook::Proc); }
  void Remove() { control->WindowProc = previous; }
  void Proc(TMessage& m) {
    if (m.Msg == WM_APP + 1) {
      m.Result = 42;
      return;
    }
    seen.push_back(m.Msg);
    previous(m);
  }
  TControl* control;
  TWndMethod previous;
  std::vector<UINT> seen;
};
}  // namespace

TEST(ControlMessages, WindowProcCanBeReplacedChainedAndRestored) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form);
  HWND wnd = control->Handle();
  THook outer(control);
  THook inner(control);  // the last one installed hears first
  EXPECT_EQ(SendMessageW(wnd, WM_APP + 1, 0, 0), 42);
  EXPECT_EQ(control->Perform(WM_APP + 1), 42);
  SendMouse(wnd, WM_LBUTTONDOWN, 1, 1, MK_LBUTTON);
  EXPECT_EQ(control->Log.size(), 1u);  // the hooks passed it on
  EXPECT_NE(std::find(outer.seen.begin(), outer.seen.end(), static_cast<UINT>(WM_LBUTTONDOWN)), outer.seen.end());
  EXPECT_TRUE(outer.seen.empty() ||
              std::find(inner.seen.begin(), inner.seen.end(), static_cast<UINT>(WM_LBUTTONDOWN)) != inner.seen.end());
  control->Perform(CM_TEXTCHANGED);  // notifications pass the hooks too
  EXPECT_EQ(inner.seen.back(), CM_TEXTCHANGED);
  inner.Remove();
  outer.Remove();
  EXPECT_EQ(control->WindowProc, TWndMethod(static_cast<TControl*>(control), &TControl::WndProc));
  EXPECT_EQ(SendMessageW(wnd, WM_APP + 1, 0, 0), 0);
}

TEST(ControlMessages, AnExceptionInAHandlerGoesToTheApplicationNotThroughTheSystem) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form);
  struct TThrower {
    void Down(TObject*, TMouseButton, TShiftState, int x, int) {
      if (x == 1) throw EConvertError("bad value");
      throw EAbort("quiet");
    }
  } thrower;
  control->OnMouseDown = TMouseEvent(&thrower, &TThrower::Down);
  size_t shown = TestMessageBoxes().Texts.size();
  SendMouse(control->Handle(), WM_LBUTTONDOWN, 1, 1, MK_LBUTTON);
  ASSERT_EQ(TestMessageBoxes().Texts.size(), shown + 1);
  EXPECT_EQ(TestMessageBoxes().Texts.back(), L"bad value");
  EXPECT_EQ(TestMessageBoxes().Captions.back(), Application->Title());
  EXPECT_EQ(TestMessageBoxes().LastFlags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  // EAbort leaves quietly.
  SendMouse(control->Handle(), WM_LBUTTONDOWN, 2, 1, MK_LBUTTON);
  EXPECT_EQ(TestMessageBoxes().Texts.size(), shown + 1);

  // An OnException handler takes the place of the message box.
  struct TCatcher {
    std::vector<WideString> messages;
    TObject* sender = nullptr;
    void Caught(TObject* s, Exception& e) {
      sender = s;
      messages.push_back(e.Message());
    }
  } catcher;
  Application->OnException = TExceptionEvent(&catcher, &TCatcher::Caught);
  SendMouse(control->Handle(), WM_LBUTTONDOWN, 1, 1, MK_LBUTTON);
  Application->OnException = nullptr;
  EXPECT_EQ(catcher.messages, std::vector<WideString>{L"bad value"});
  EXPECT_EQ(catcher.sender, control);
  EXPECT_EQ(TestMessageBoxes().Texts.size(), shown + 1);
}

TEST(ControlMessages, GraphicChildrenGetTheirMouseMessagesInTheirOwnCoordinates) {
  TFormScope scope;
  auto* panel = Child<TWcPanel>(scope.Form, 0, 0, 200, 100);
  auto* a = Child<TWcGraphic>(panel, 10, 10, 30, 20);
  auto* b = Child<TWcGraphic>(panel, 50, 10, 30, 20);
  HWND wnd = panel->Handle();
  SendMouse(wnd, WM_LBUTTONDOWN, 15, 12, MK_LBUTTON);
  // Captured by the child: the release far away still goes to it.
  EXPECT_EQ(GetCaptureControl(), a);
  SendMouse(wnd, WM_LBUTTONUP, 60, 15, 0);
  EXPECT_EQ(a->Log, (std::vector<std::string>{"down L 5,2 [Left]", "up L 50,5 [Left]"}));
  EXPECT_TRUE(b->Log.empty());
  // The mouse going from one to the other: leave, then enter.
  SendMouse(wnd, WM_MOUSEMOVE, 20, 15, 0);
  SendMouse(wnd, WM_MOUSEMOVE, 55, 15, 0);
  EXPECT_EQ(a->Log.back(), "mouseleave");
  EXPECT_EQ(b->Log.back(), "mouseenter");
  EXPECT_EQ(Application->MouseControl(), b);
  // A hidden child is not there for the mouse.
  b->Hide();
  SendMouse(wnd, WM_LBUTTONDOWN, 55, 15, MK_LBUTTON);
  SendMouse(wnd, WM_LBUTTONUP, 55, 15, 0);
  EXPECT_EQ(b->Log.back(), "mouseenter");
}

TEST(ControlMessages, TheMouseLeavingAControlFiresItsOnMouseLeave) {
  TFormScope scope;
  auto *a = Child<TWcControl>(scope.Form, 0, 0, 100, 50), *b = Child<TWcControl>(scope.Form, 120, 0, 100, 50);
  struct TLeaveLog {
    std::string names;
    void Left(TObject* Sender) { names += static_cast<TComponent*>(Sender)->Name(); }
  } log;
  for (auto [c, name] : {std::pair<TControl*, const char*>{a, "a"}, {b, "b"}, {scope.Form, "f"}}) {
    c->SetName(name);
    c->OnMouseLeave = TNotifyEvent(&log, &TLeaveLog::Left);
  }
  const std::tuple<TWinControl*, UINT, const char*> steps[] = {
      {a, WM_MOUSEMOVE, ""},    {a, WM_MOUSEMOVE, ""},    {b, WM_MOUSEMOVE, "a"},
      {b, WM_MOUSELEAVE, "ab"}, {b, WM_MOUSELEAVE, "ab"},
  };
  for (auto [control, msg, left] : steps) {
    SendMouse(control->Handle(), msg, 5, 5);
    EXPECT_EQ(log.names, left);
  }
}

TEST(ControlMessages, OnMouseActivateAnswersThePressOnAnInactiveWindow) {
  TFormScope scope;
  auto* c = Child<TWcControl>(scope.Form, 10, 10, 100, 50);
  auto send = [&](UINT press, int hitTest) {
    const WPARAM top = reinterpret_cast<WPARAM>(scope.Form->Handle());
    return SendMessageW(c->Handle(), WM_MOUSEACTIVATE, top, MAKELPARAM(hitTest, press));
  };
  const LRESULT systemAnswer = send(WM_LBUTTONDOWN, HTCLIENT);
  struct TActivateLog {
    TMouseActivate answer = maDefault;
    std::pair<TMouseButton, int> seen{mbLeft, 0};  // the button and the hit-test code
    void Ask(TObject*, TMouseButton Button, TShiftState, int, int, int HitTest, TMouseActivate& MouseActivate) {
      seen = {Button, HitTest};
      EXPECT_EQ(MouseActivate, maDefault);
      MouseActivate = answer;
    }
  } log;
  c->OnMouseActivate = TMouseActivateEvent(&log, &TActivateLog::Ask);
  const std::tuple<UINT, int, TMouseActivate, TMouseButton, LRESULT> cases[] = {
      {WM_LBUTTONDOWN, HTCLIENT, maActivate, mbLeft, MA_ACTIVATE},
      {WM_RBUTTONDOWN, HTCLIENT, maActivateAndEat, mbRight, MA_ACTIVATEANDEAT},
      {WM_MBUTTONDOWN, HTBORDER, maNoActivate, mbMiddle, MA_NOACTIVATE},
      {WM_LBUTTONDOWN, HTVSCROLL, maNoActivateAndEat, mbLeft, MA_NOACTIVATEANDEAT},
      {WM_LBUTTONDOWN, HTCLIENT, maDefault, mbLeft, systemAnswer}};
  for (const auto& [press, hitTest, answer, button, result] : cases) {
    log.answer = answer;
    EXPECT_EQ(send(press, hitTest), result) << answer;
    EXPECT_EQ(log.seen, std::pair(button, hitTest)) << answer;
  }
}

TEST(ControlPainting, ControlsPaintTheirPartAndGraphicChildrenOnTop) {
  TFormScope scope;
  auto* panel = Child<TWcPanel>(scope.Form, 0, 0, 60, 40);
  panel->SetColor(clBlue);
  auto* graphic = Child<TWcGraphic>(panel, 10, 5, 20, 10);
  graphic->SetColor(clRed);
  auto* control = Child<TWcControl>(panel, 35, 20, 20, 15);
  control->PaintColor = clLime;
  TBitmap bitmap;
  bitmap.SetSize(60, 40);
  panel->PaintTo(bitmap.Canvas()->Handle(), 0, 0);
  ExpectPixels(bitmap, {{0, 0, clBlue},
                        {9, 5, clBlue},
                        {10, 5, clRed},
                        {29, 14, clRed},
                        {30, 14, clBlue},
                        {35, 20, clLime},
                        {54, 34, clLime},
                        {55, 34, clBlue}});
  EXPECT_GE(control->Paints, 1);

  // A double-buffered control paints the same picture.
  int before = control->Paints;
  control->SetDoubleBuffered(true);
  control->Repaint();
  EXPECT_EQ(control->Paints, before + 1);
}

namespace {
// Notes at each paint whether the window's own paint began by erasing; its erase can be told to
// leave the background alone.
class TEraseWatcher : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<bool> Seen;
  bool LeaveBackground = false;

 protected:
  void Paint() override { Seen.push_back(PaintErased()); }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == WM_ERASEBKGND && LeaveBackground) {
      Message.Result = 0;
      return;
    }
    TCustomControl::WndProc(Message);
  }
};
}  // namespace

// A control that draws parts of itself without a background learns whether the pixels under its
// paint are the background or still the picture before: only its own paint erased by its own
// erase says so.
TEST(ControlPainting, APaintKnowsWhetherItBeganByErasing) {
  TFormScope scope;
  auto* control = Child<TEraseWatcher>(scope.Form, 0, 0, 60, 40);
  const HWND wnd = control->Handle();
  RECT left{0, 0, 10, 10}, right{30, 0, 40, 10};
  TBitmap bitmap;
  bitmap.SetSize(60, 40);
  const HDC dc = bitmap.Canvas()->Handle();
  const struct {
    const char* Name;
    bool LeaveBackground;
    std::function<void()> Ask;
    bool Erased;
  } cases[] = {
      {"invalidated with erase", false, [&] { InvalidateRect(wnd, nullptr, TRUE); }, true},
      {"invalidated without erase", false, [&] { InvalidateRect(wnd, nullptr, FALSE); }, false},
      {"one part with erase, one without", false,
       [&] { InvalidateRect(wnd, &left, FALSE), InvalidateRect(wnd, &right, TRUE); }, true},
      {"an erase that leaves the background", true, [&] { InvalidateRect(wnd, nullptr, TRUE); }, false},
      {"erased at once, painted later", false,
       [&] { RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW); }, false},
      {"printed", false,
       [&] { SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND); }, false},
  };
  for (const auto& c : cases) {
    UpdateWindow(wnd);
    control->Seen.clear();
    control->LeaveBackground = c.LeaveBackground;
    c.Ask();
    EXPECT_FALSE(control->PaintErased()) << c.Name;  // only while the paint runs
    UpdateWindow(wnd);
    EXPECT_EQ(control->Seen, std::vector<bool>{c.Erased}) << c.Name;
    EXPECT_FALSE(control->PaintErased()) << c.Name;
  }
}

TEST(ControlMessages, TheWheelCountsWholeNotchesForItsUpAndDownEvents) {
  TFormScope scope;
  auto* control = Child<TWcControl>(scope.Form);
  struct TWheel {
    std::vector<std::string> log;
    void Down(TObject*, TShiftState, TPoint, bool& handled) {
      log.push_back("down");
      handled = true;
    }
    void Up(TObject*, TShiftState, TPoint, bool&) { log.push_back("up"); }
  } wheel;
  control->OnMouseWheelDown = TMouseWheelUpDownEvent(&wheel, &TWheel::Down);
  control->OnMouseWheelUp = TMouseWheelUpDownEvent(&wheel, &TWheel::Up);
  HWND wnd = control->Handle();
  EXPECT_EQ(SendMessageW(wnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-60)), PointToLParam(300, 400)),
            0);
  EXPECT_TRUE(wheel.log.empty());  // half a notch does nothing yet
  EXPECT_EQ(SendMessageW(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-60)), PointToLParam(300, 400)), 1);
  EXPECT_EQ(wheel.log, std::vector<std::string>{"down"});
  SendMessageW(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), PointToLParam(300, 400));
  EXPECT_EQ(wheel.log, (std::vector<std::string>{"down", "up", "up"}));
  EXPECT_EQ(control->Log[control->Log.size() - 3], "wheel -60 300,400 [Ctrl]");
}

namespace {
// Where a control's window is, relative to its parent window's client area.
TRect WindowPlace(TWinControl* c) {
  RECT r;
  GetWindowRect(c->Handle(), &r);
  MapWindowPoints(nullptr, GetParent(c->Handle()), reinterpret_cast<POINT*>(&r), 2);
  return ToTRect(r);
}
}  // namespace

TEST(ControlWindows, TreesBuiltFromTheLeavesOrFromTheRootEndTheSame) {
  int gdi = GdiObjectCount();
  for (bool fromLeaves : {true, false}) {
    TFormScope scope;
    TForm* form = scope.Form;
    auto* panel = new TWcPanel(form);
    panel->SetBounds(5, 6, 150, 80);
    auto* control = new TWcControl(form);
    auto* graphic = new TWcGraphic(form);
    if (fromLeaves) {
      // The children know their parent before it has a window or a parent of its own.
      control->SetParent(panel);
      graphic->SetParent(panel);
      panel->SetParent(form);
    } else {
      panel->SetParent(form);
      ASSERT_TRUE(panel->HandleAllocated());  // placed on a shown form it gets its window at once
      control->SetParent(panel);
      graphic->SetParent(panel);
    }
    // Bounds set after the window exists move the window.
    control->SetBounds(20, 30, 60, 25);
    graphic->SetBounds(90, 10, 20, 10);
    ASSERT_TRUE(control->HandleAllocated());
    EXPECT_EQ(GetParent(control->Handle()), panel->Handle());
    EXPECT_EQ(GetParent(panel->Handle()), form->Handle());
    EXPECT_TRUE(IsWindowVisible(control->Handle()));
    EXPECT_EQ(WindowPlace(control), Rect(20, 30, 80, 55));
    EXPECT_EQ(WindowPlace(panel), Rect(5, 6, 155, 86));
  }
  EXPECT_EQ(GdiObjectCount(), gdi);
}

TEST(ControlWindows, AParentsNewWindowBringsBackItsChildrenAsTheyWere) {
  TFormScope scope;
  auto* panel = Child<TWcPanel>(scope.Form, 10, 10, 200, 120);
  auto* control = Child<TWcControl>(panel, 15, 20, 50, 25);
  control->SetCaption(L"kept");
  auto* hidden = new TWcControl(scope.Form);
  hidden->SetBounds(70, 20, 30, 25);
  hidden->Hide();
  hidden->SetParent(panel);
  auto* graphic = Child<TWcGraphic>(panel, 110, 20, 30, 25);
  auto* nested = Child<TWcPanel>(panel, 0, 60, 200, 60);
  auto* leaf = Child<TWcControl>(nested, 1, 2, 30, 20);
  leaf->SetAlign(alRight);
  Pump();
  HWND oldPanel = panel->Handle();
  TRect leafPlace = WindowPlace(leaf);

  panel->RecreateWnd();
  EXPECT_FALSE(IsWindow(oldPanel));
  ASSERT_TRUE(control->HandleAllocated());
  ASSERT_TRUE(leaf->HandleAllocated());
  EXPECT_EQ(GetParent(control->Handle()), panel->Handle());
  EXPECT_EQ(GetParent(leaf->Handle()), nested->Handle());
  EXPECT_EQ(GetParent(nested->Handle()), panel->Handle());
  EXPECT_TRUE(IsWindowVisible(control->Handle()));
  EXPECT_TRUE(IsWindowVisible(leaf->Handle()));
  EXPECT_EQ(WindowPlace(control), Rect(15, 20, 65, 45));
  EXPECT_EQ(WindowPlace(leaf), leafPlace);
  wchar_t text[16];
  GetWindowTextW(control->Handle(), text, 16);
  EXPECT_STREQ(text, L"kept");
  EXPECT_FALSE(hidden->HandleAllocated());  // still made only when it is needed
  // The graphic child is still there for the mouse of the new window.
  SendMouse(panel->Handle(), WM_LBUTTONDOWN, 115, 25, MK_LBUTTON);
  SendMouse(panel->Handle(), WM_LBUTTONUP, 115, 25, 0);
  EXPECT_EQ(graphic->Log, (std::vector<std::string>{"down L 5,5 [Left]", "up L 5,5 [Left]"}));
}

TEST(ControlWindows, AControlMovedToAnotherParentTakesItsWindowAlong) {
  TFormScope scope;
  auto* a = Child<TWcPanel>(scope.Form, 0, 0, 100, 100);
  auto* b = Child<TWcPanel>(scope.Form, 100, 0, 100, 100);
  auto* control = Child<TWcControl>(a, 10, 10, 30, 20);
  control->SetCaption(L"moved");
  Pump();
  control->SetParent(b);
  ASSERT_TRUE(control->HandleAllocated());
  EXPECT_EQ(GetParent(control->Handle()), b->Handle());
  EXPECT_EQ(WindowPlace(control), Rect(10, 10, 40, 30));
  EXPECT_TRUE(IsWindowVisible(control->Handle()));

  // To a parent without a window: the window goes and comes back when the parent has one.
  TWcPanel loose(nullptr);
  control->SetParent(&loose);
  EXPECT_FALSE(control->HandleAllocated());
  control->SetParent(a);
  ASSERT_TRUE(control->HandleAllocated());
  EXPECT_EQ(GetParent(control->Handle()), a->Handle());
  EXPECT_TRUE(IsWindowVisible(control->Handle()));
  // A control cannot be put inside its own child.
  HWND inside = control->Handle();
  EXPECT_THROW(a->SetParent(control), EInvalidOperation);
  EXPECT_EQ(a->Parent(), scope.Form);
  EXPECT_EQ(control->Parent(), a);
  EXPECT_EQ(control->Handle(), inside);  // nothing was taken apart on the way
}

TEST(ControlLayout, ResizingTheWindowRealignsTheChildren) {
  TFormScope scope(300, 200);
  TForm* form = scope.Form;
  auto* top = Child<TWcPanel>(form, 0, 0, 10, 30);
  top->SetAlign(alTop);
  auto* client = Child<TWcPanel>(form, 0, 0, 10, 10);
  client->SetAlign(alClient);
  auto* right = Child<TWcControl>(client, 0, 0, 40, 10);
  right->SetAlign(alRight);
  auto* corner = Child<TWcGraphic>(client, 10, 10, 20, 20);
  corner->SetAnchors(TAnchors{akRight, akBottom});
  Pump();
  int cw = form->ClientWidth();
  int ch = form->ClientHeight();
  EXPECT_EQ(client->BoundsRect(), Rect(0, 30, cw, ch));
  TRect cornerBefore = corner->BoundsRect();

  // The user (or the system) resizes the window; the controls hear it from the window.
  RECT r;
  GetWindowRect(form->Handle(), &r);
  SetWindowPos(form->Handle(), nullptr, 0, 0, r.right - r.left + 50, r.bottom - r.top + 40,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, cw + 50, 30));
  EXPECT_EQ(WindowPlace(client), Rect(0, 30, cw + 50, ch + 40));
  EXPECT_EQ(right->BoundsRect(), Rect(cw + 10, 0, cw + 50, ch + 10));
  EXPECT_EQ(corner->BoundsRect(),
            Rect(cornerBefore.Left + 50, cornerBefore.Top + 40, cornerBefore.Right + 50, cornerBefore.Bottom + 40));

  // Maximized and back: the same places as before.
  ShowWindow(form->Handle(), SW_MAXIMIZE);
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_EQ(client->BoundsRect(), Rect(0, 30, cw + 50, ch + 40));
  EXPECT_EQ(corner->BoundsRect().Left, cornerBefore.Left + 50);
}

TEST(ControlWindows, AWindowDestroyedBehindTheFrameworksBackLeavesUsableControls) {
  TForm* form = NewShownForm();
  auto* panel = Child<TWcPanel>(form, 0, 0, 100, 100);
  auto* control = Child<TWcControl>(panel, 10, 10, 30, 20);
  control->SetCaption(L"typed");
  HWND wnd = control->Handle();
  Pump();
  DestroyWindow(panel->Handle());  // not through the framework
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_FALSE(control->HandleAllocated());
  EXPECT_EQ(control->Caption(), L"typed");
  // Asked for, the windows come back in their places.
  HWND again = control->Handle();
  ASSERT_TRUE(IsWindow(again));
  EXPECT_EQ(GetParent(again), panel->Handle());
  EXPECT_EQ(GetParent(panel->Handle()), form->Handle());
  // Freeing everything afterwards is as safe as ever.
  Free(form);
}

TEST(ControlPainting, PrintingIntoAnotherDCPaintsTheClientAndHandsTheDCBackAsItCame) {
  TFormScope scope;
  auto* panel = Child<TWcPanel>(scope.Form, 0, 0, 60, 40);
  panel->SetColor(clBlue);
  auto* graphic = Child<TWcGraphic>(panel, 10, 5, 20, 10);
  graphic->SetColor(clRed);
  Pump();
  for (UINT msg : {static_cast<UINT>(WM_PRINTCLIENT), static_cast<UINT>(WM_PRINT)}) {
    TBitmap bitmap;
    bitmap.SetSize(80, 60);
    HDC dc = bitmap.Canvas()->Handle();
    // The owner of the DC has its own settings in it.
    TBrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
    HGDIOBJ oldBrush = SelectObject(dc, brush.Get());
    SetViewportOrgEx(dc, 10, 10, nullptr);
    SetTextColor(dc, RGB(4, 5, 6));
    IntersectClipRect(dc, -10, -10, 65, 45);
    RECT clipBefore;
    GetClipBox(dc, &clipBefore);

    SendMessageW(panel->Handle(), msg, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 10);
    EXPECT_EQ(origin.y, 10);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush.Get());
    EXPECT_EQ(GetTextColor(dc), RGB(4, 5, 6));
    RECT clipAfter;
    GetClipBox(dc, &clipAfter);
    EXPECT_TRUE(EqualRect(&clipBefore, &clipAfter));
    SelectObject(dc, oldBrush);
    SetViewportOrgEx(dc, 0, 0, nullptr);

    // The panel from the DC's origin, its graphic child on top, nothing outside the panel.
    ExpectPixels(bitmap, {{10, 10, clBlue},
                          {19, 14, clBlue},
                          {20, 15, clRed},
                          {39, 24, clRed},
                          {40, 25, clBlue},
                          {69, 49, clBlue},
                          {70, 50, clWhite},
                          {9, 9, clWhite}});
  }
}

namespace {
// Paints far beyond its own bounds; the framework's clipping must keep it inside them.
class TWcSpiller : public TWcGraphic {
 public:
  using TWcGraphic::TWcGraphic;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(Rect(-1000, -1000, 1000, 1000));
    Canvas()->Pen()->SetColor(Color());
    Canvas()->MoveTo(-50, 3);
    Canvas()->LineTo(500, 3);
  }
};
}  // namespace

TEST(ControlPainting, EachControlPaintsOnlyInsideItsBoundsAndItsParents) {
  TFormScope scope;
  auto* panel = Child<TWcPanel>(scope.Form, 0, 0, 60, 40);
  panel->SetColor(clBlue);
  auto* spiller = new TWcSpiller(scope.Form);
  spiller->SetBounds(10, 10, 20, 10);
  spiller->SetParent(panel);
  spiller->SetColor(clRed);
  auto* overhanging = Child<TWcPanel>(panel, 50, 30, 40, 40);  // reaches past the panel
  overhanging->SetColor(clLime);
  TBitmap bitmap;
  bitmap.SetSize(100, 80);
  panel->PaintTo(bitmap.Canvas()->Handle(), 0, 0);
  // The spilled line stops at the control's edge; the child ends where its parent ends.
  ExpectPixels(bitmap, {{10, 10, clRed},
                        {29, 19, clRed},
                        {9, 13, clBlue},
                        {30, 13, clBlue},
                        {20, 9, clBlue},
                        {20, 20, clBlue},
                        {55, 35, clLime},
                        {60, 35, clWhite},
                        {55, 40, clWhite}});

  // On the screen the same: the spiller's window-less painting stays in its rectangle.
  Pump();
  spiller->Repaint();
  HDC screen = GetDC(panel->Handle());
  EXPECT_EQ(GetPixel(screen, 15, 15), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(screen, 35, 13), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(screen, 5, 13), RGB(0, 0, 255));
  ReleaseDC(panel->Handle(), screen);
}

namespace {
// A system edit control under the framework: its notifications come back to it from its parent.
class TWcEdit : public TWinControl {
 public:
  explicit TWcEdit(TComponent* AOwner) : TWinControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 80, 20);
  }
  std::vector<std::string> Notes;
  using TWinControl::RecreateWnd;

 protected:
  void CreateParams(TCreateParams& Params) override {
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, L"EDIT");
    Params.Style |= ES_AUTOHSCROLL;
  }
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == EN_CHANGE) Notes.push_back("change");
    if (Message.Msg == CN_NOTIFY)
      Notes.push_back("notify " + std::to_string(reinterpret_cast<NMHDR*>(Message.LParam)->code));
    if (Message.Msg == CN_CTLCOLOREDIT) {
      Notes.push_back("colour");
      SetBkColor(reinterpret_cast<HDC>(Message.WParam), RGB(0, 255, 0));
      Message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
      return;
    }
    TWinControl::WndProc(Message);
  }
};
}  // namespace

TEST(ControlMessages, NotificationsOfASystemControlComeBackToItFromItsParent) {
  TFormScope scope;
  auto* edit = new TWcEdit(scope.Form);
  edit->SetBounds(10, 10, 120, 22);
  edit->SetParent(scope.Form);
  HWND wnd = edit->Handle();
  wchar_t cls[32];
  GetClassNameW(wnd, cls, 32);
  std::string own = edit->ClassName();
  EXPECT_EQ(std::wstring(cls), std::wstring(own.begin(), own.end()));  // the system's behaviour, our class name
  EXPECT_EQ(FindControl(wnd), edit);

  // Typing reaches the system edit; its EN_CHANGE goes to the form and comes back as CN_COMMAND.
  SendMessageW(wnd, WM_CHAR, L'h', 1);
  SendMessageW(wnd, WM_CHAR, L'\u00e9', 1);
  EXPECT_EQ(edit->Caption(), L"h\u00e9");
  EXPECT_GE(std::count(edit->Notes.begin(), edit->Notes.end(), "change"), 2);
  EXPECT_EQ(SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0), 2);

  // The colour question goes to the control it is about.
  TBitmap bitmap;
  bitmap.SetSize(10, 10);
  HDC dc = bitmap.Canvas()->Handle();
  LRESULT brush =
      SendMessageW(scope.Form->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(wnd));
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(edit->Brush()->Handle()));
  EXPECT_EQ(GetBkColor(dc), RGB(0, 255, 0));

  // WM_NOTIFY names its sender in the header.
  NMHDR header{wnd, 7, static_cast<UINT>(-2)};
  SendMessageW(scope.Form->Handle(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(edit->Notes.back(), "notify " + std::to_string(static_cast<UINT>(-2)));

  // What was typed survives a new window of the system control.
  edit->RecreateWnd();
  EXPECT_NE(edit->Handle(), wnd);
  EXPECT_EQ(edit->Caption(), L"h\u00e9");
  size_t notes = edit->Notes.size();
  // A notification from a window that is not ours goes to the default handling.
  NMHDR foreign{GetDesktopWindow(), 1, 1};
  SendMessageW(scope.Form->Handle(), WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&foreign));
  EXPECT_EQ(edit->Notes.size(), notes);
}
