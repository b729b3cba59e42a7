// The application object: its window, the loop that ends with the main form, idle work with
// the action updates, hooks on its window, hints, exceptions, message boxes; the screen's
// cursors and fonts; no GDI objects or memory left behind by forms made again and again.
#include <gtest/gtest.h>

#include "AllocationCount.h"
#include "ControlTestSupport.h"
#include "ProcessMemory.h"
#include "framework/Actions.h"
#include "framework/GdiHandles.h"
#include "framework/HintWindow.h"
#include "framework/Screen.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"
#include "framework/Win.h"

namespace {

// Runs the loop with idle work once, without waiting for a message afterwards.
void IdleOnce() {
  struct TNoWait {
    void Idle(TObject*, bool& done) { done = false; }
  } noWait;
  TIdleEvent saved = Application->OnIdle;
  Application->OnIdle = TIdleEvent(&noWait, &TNoWait::Idle);
  Pump();
  Application->HandleMessage();
  Application->OnIdle = saved;
}

}  // namespace

TEST(ApplicationWindow, OtherCopiesFindTheApplicationByItsWindowClass) {
  Application->Initialize();
  HWND wnd = Application->Handle();
  EXPECT_EQ(FindWindowW(L"TApplication", Application->Title().c_str()), wnd);
  WideString title = Application->Title();
  Application->SetTitle(L"Halcorn Verdan");
  wchar_t text[64];
  GetWindowTextW(wnd, text, 64);
  EXPECT_STREQ(text, L"Halcorn Verdan");
  EXPECT_EQ(FindWindowW(L"TApplication", L"Halcorn Verdan"), wnd);
  Application->SetTitle(title);
}

TEST(ApplicationWindow, HooksSeeTheApplicationWindowsMessagesLastAddedFirst) {
  struct THook {
    std::vector<std::string>* log;
    std::string name;
    bool handle;
    bool Proc(TMessage& m) {
      if (m.Msg != WM_APP + 7) return false;
      log->push_back(name);
      if (handle) m.Result = 5;
      return handle;
    }
  };
  std::vector<std::string> log;
  THook first{&log, "first", true}, second{&log, "second", false};
  Application->HookMainWindow(TWindowHook(&first, &THook::Proc));
  Application->HookMainWindow(TWindowHook(&second, &THook::Proc));
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_APP + 7, 0, 0), 5);
  EXPECT_EQ(log, (std::vector<std::string>{"second", "first"}));
  Application->UnhookMainWindow(TWindowHook(&first, &THook::Proc));
  Application->UnhookMainWindow(TWindowHook(&second, &THook::Proc));
  log.clear();
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_APP + 7, 0, 0), 0);
  EXPECT_TRUE(log.empty());
}

TEST(ApplicationLoop, RunShowsTheMainFormAndEndsWhenItCloses) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->MainForm(), main);
  struct TCloser {
    TForm* form;
    bool shownWhenIdle = false;
    void Idle(TObject*, bool& done) {
      shownWhenIdle = form->Visible();
      PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
      done = false;
    }
  } closer{main};
  Application->OnIdle = TIdleEvent(&closer, &TCloser::Idle);
  Application->Run();
  Application->OnIdle = nullptr;
  EXPECT_TRUE(closer.shownWhenIdle);
  EXPECT_TRUE(Application->Terminated());
  Application->Initialize();  // ready for another run
  delete main;
}

TEST(ApplicationLoop, ApplicationEventsShareTheEventsOfTheApplication) {
  struct TEvents {
    int idles = 0;
    std::vector<WideString> errors;
    void Idle(TObject*, bool& done) {
      ++idles;
      done = false;
    }
    void Error(TObject*, Exception& e) { errors.push_back(e.Message()); }
    void Message(MSG& msg, bool& handled) { handled = msg.message == WM_APP + 3; }
  } a, b;
  auto* eventsA = new TApplicationEvents(nullptr);
  eventsA->OnIdle = TIdleEvent(&a, &TEvents::Idle);
  eventsA->OnException = TExceptionEvent(&a, &TEvents::Error);
  eventsA->OnMessage = TMessageEvent(&a, &TEvents::Message);
  auto* eventsB = new TApplicationEvents(nullptr);
  eventsB->OnIdle = TIdleEvent(&b, &TEvents::Idle);
  eventsB->OnException = TExceptionEvent(&b, &TEvents::Error);
  Application->HandleMessage();
  EXPECT_EQ(a.idles, 1);
  size_t shown = TestMessageBoxes().Texts.size();
  try {
    throw EConvertError("from a handler");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(a.errors, std::vector<WideString>{L"from a handler"});
  EXPECT_EQ(b.errors, std::vector<WideString>{L"from a handler"});
  EXPECT_EQ(TestMessageBoxes().Texts.size(), shown);  // handled: nothing shown

  // A message an event handles is not dispatched.
  struct TWindowLog : TWcControl {
    using TWcControl::TWcControl;
    int seen = 0;
    void WndProc(TMessage& m) override {
      if (m.Msg == WM_APP + 3) ++seen;
      TWcControl::WndProc(m);
    }
  };
  TForm* form = NewShownForm();
  auto* target = new TWindowLog(form);
  target->SetParent(form);
  PostMessageW(target->Handle(), WM_APP + 3, 0, 0);
  Pump();
  EXPECT_EQ(target->seen, 0);
  delete eventsA;
  delete eventsB;
  PostMessageW(target->Handle(), WM_APP + 3, 0, 0);
  Pump();
  EXPECT_EQ(target->seen, 1);
  Free(form);

  // Exceptions of other kinds are shown as well; EAbort never.
  try {
    throw std::runtime_error("plain");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  ASSERT_EQ(TestMessageBoxes().Texts.size(), shown + 1);
  EXPECT_EQ(TestMessageBoxes().Texts.back(), L"plain");
  try {
    throw EAbort("silent");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(TestMessageBoxes().Texts.size(), shown + 1);
}

TEST(ApplicationMessages, MessageBoxesGoThroughTheInstalledHandler) {
  TestMessageBoxes().Answer = IDNO;
  EXPECT_EQ(Application->MessageBox(L"Save changes?", L"Halcorn Verdan", MB_YESNO), IDNO);
  EXPECT_EQ(TestMessageBoxes().Captions.back(), L"Halcorn Verdan");
  EXPECT_EQ(Application->MessageBox(L"x"), IDNO);
  EXPECT_EQ(TestMessageBoxes().Captions.back(), Application->Title());  // the title by default
  TestMessageBoxes().Answer = IDOK;
}

TEST(ApplicationMessages, BoxesAreCentredOverTheirWindowInsideTheWorkArea) {
  const TRect work{0, 0, 1280, 994};
  const struct {
    TRect Over;
    TPoint At;
  } cases[] = {
      {{400, 300, 800, 600}, {500, 400}},      // centred on the window
      {{401, 300, 800, 601}, {500, 400}},      // odd sizes round down
      {{0, 0, 160, 90}, {0, 0}},               // a small window at the corner: the box stays whole
      {{1200, 900, 1400, 1100}, {1080, 894}},  // past the bottom right: pushed back inside
  };
  for (const auto& c : cases) {
    const TRect r = CentredOver({200, 100}, c.Over, work);
    EXPECT_EQ(r.TopLeft(), c.At) << c.Over.Left << "," << c.Over.Top;
    EXPECT_EQ(r.Width() * 1000 + r.Height(), 200100);
  }
  // A box larger than the work area keeps its left and top edges inside.
  EXPECT_EQ(CentredOver({2000, 1200}, {400, 300, 800, 600}, work).TopLeft(), TPoint(0, 0));
}

// The boxes this thread shows, each answered with OK as soon as it is seen.
std::vector<TRect>& SeenBoxes() {
  static std::vector<TRect> seen;
  return seen;
}

BOOL CALLBACK answerBox(HWND Wnd, LPARAM) {
  wchar_t name[8] = {};
  if (IsWindowVisible(Wnd) && GetClassNameW(Wnd, name, 8) && lstrcmpW(name, L"#32770") == 0) {
    RECT r;
    GetWindowRect(Wnd, &r);
    SeenBoxes().push_back(ToTRect(r));
    PostMessageW(Wnd, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

void CALLBACK answerBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), answerBox, 0); }

// The system's own box comes up over the active window, wherever that is on the screen.
TEST(ApplicationMessages, TheSystemsBoxComesUpOverTheActiveWindow) {
  TMessageBoxHandler* handler = Application->SetMessageBoxHandler(nullptr);
  for (const TRect& bounds : {TRect{0, 0, 220, 120}, TRect{600, 500, 1100, 900}}) {
    TForm* form = new TForm(nullptr, CreateNew);
    form->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    form->Show();
    SetActiveWindow(form->Handle());
    Pump();
    SeenBoxes().clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, answerBoxes);
    EXPECT_EQ(Application->MessageBox(L"Save changes?", L"Halcorn Verdan", MB_OK), IDOK);
    KillTimer(nullptr, timer);
    ASSERT_FALSE(SeenBoxes().empty());
    const TRect box = SeenBoxes().front();
    RECT over, work;
    GetWindowRect(form->Handle(), &over);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(box, CentredOver({box.Width(), box.Height()}, ToTRect(over), ToTRect(work))) << bounds.Left;
    delete form;
  }
  Application->SetMessageBoxHandler(handler);
}

// A window shows its commands as they stand from its first paint on and while a message box is
// up, before any idle time: the update handlers run as the form is shown and again before the
// box's loop, which gives none. A handler that fails then is told once, and the box still comes.
TEST(ApplicationActions, CommandsAreUpToDateAsAFormShowsAndUnderAMessageBox) {
  struct TCondition {
    bool Enabled = false, Fails = false;
    void Update(TObject* Sender) {
      if (Fails) throw Exception(L"update failed");
      static_cast<TAction*>(Sender)->SetEnabled(Enabled);
    }
  };
  const struct {
    bool Box;      // a box comes up after the condition changed, with no idle time between
    bool Enabled;  // the condition, then
    bool Fails;
    std::vector<WideString> Boxes;
    const char* Why;
  } rows[] = {
      {false, false, false, {}, "shown, before any idle time"},
      {true, true, false, {L"Saved."}, "a box after the condition changed"},
      {true, true, true, {L"update failed", L"Saved."}, "a box whose update fails"},
  };
  for (const auto& row : rows) {
    TCondition condition;
    TForm* form = new TForm(nullptr, CreateNew);
    auto* action = new TAction(form);
    action->OnUpdate = TNotifyEvent(&condition, &TCondition::Update);
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetAction(action);
    form->SetBounds(40, 40, 200, 100);
    form->Show();
    EXPECT_FALSE(button->Enabled()) << row.Why;
    EXPECT_FALSE(IsWindowEnabled(button->Handle())) << row.Why;
    if (row.Box) {
      condition.Enabled = row.Enabled;
      condition.Fails = row.Fails;
      TMessageBoxRecorder boxes;
      bool enabledUnderBox = !row.Enabled;
      boxes.OnShow = [&](const WideString&) { enabledUnderBox = button->Enabled(); };
      Application->MessageBox(L"Saved.");
      EXPECT_EQ(boxes.Texts, row.Boxes) << row.Why;
      if (!row.Fails) {
        EXPECT_EQ(enabledUnderBox, row.Enabled) << row.Why;
      }
    }
    delete form;
  }
}

TEST(ApplicationHints, TheShortHintShowsAndTheLongOneIsTheApplicationsHint) {
  EXPECT_EQ(GetShortHint(L"Open|Opens a file"), L"Open");
  EXPECT_EQ(GetLongHint(L"Open|Opens a file"), L"Opens a file");
  EXPECT_EQ(GetShortHint(L"Plain"), L"Plain");
  EXPECT_EQ(GetLongHint(L"Plain"), L"Plain");
  EXPECT_EQ(GetLongHint(L"a|b|c"), L"b|c");

  TForm* form = NewShownForm();
  form->SetShowHint(true);
  auto* control = new TWcControl(form);
  control->SetBounds(10, 10, 80, 30);
  control->SetParent(form);
  control->SetHint(L"Open|Opens a file");
  TPoint inside = control->ClientToScreen({5, 5});
  SetCursorPos(inside.X, inside.Y);
  Application->ActivateHint(inside);
  THintWindow* window = Application->HintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window->Handle()));
  EXPECT_EQ(window->Caption(), L"Open");
  IdleOnce();
  EXPECT_EQ(Application->Hint(), L"Opens a file");
  // A key makes it go.
  PostMessageW(control->Handle(), WM_KEYDOWN, VK_SHIFT, 0);
  Pump();
  EXPECT_FALSE(window->HandleAllocated() && IsWindowVisible(window->Handle()));

  // CM_HINTSHOW may change what shows, or say no.
  struct THintControl : TWcControl {
    using TWcControl::TWcControl;
    bool refuse = false;
    void CMHintShow(TMessage& m) override {
      auto* info = reinterpret_cast<THintInfo*>(m.LParam);
      info->HintStr = L"Changed";
      info->HintColor = clYellow;
      m.Result = refuse ? 1 : 0;
    }
  };
  auto* special = new THintControl(form);
  special->SetBounds(100, 10, 80, 30);
  special->SetParent(form);
  special->SetHint(L"Original");
  TPoint over = special->ClientToScreen({5, 5});
  SetCursorPos(over.X, over.Y);
  Application->ActivateHint(over);
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Caption(), L"Changed");
  EXPECT_EQ(Application->HintWindow()->Color(), clYellow);
  special->refuse = true;
  Application->CancelHint();
  Application->ActivateHint(over);
  EXPECT_FALSE(Application->HintWindow() && Application->HintWindow()->HandleAllocated() &&
               IsWindowVisible(Application->HintWindow()->Handle()));
  Application->CancelHint();
  SetCursorPos(0, 0);
  Free(form);
}

TEST(ApplicationHints, AHintWindowWrapsAtItsMaximumWidthAndStaysOnTheScreen) {
  THintWindow window(nullptr);
  TRect one = window.CalcHintRect(200, L"Top Line: 12", nullptr);
  EXPECT_GT(one.Width(), 6);
  EXPECT_LE(one.Width(), 206);
  WideString longText = L"A hint long enough to need more than one line at two hundred pixels wide";
  TRect wrapped = window.CalcHintRect(200, longText, nullptr);
  EXPECT_LE(wrapped.Width(), 206);
  EXPECT_GT(wrapped.Height(), one.Height());
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  window.ActivateHint(Bounds(screenWidth - 10, 20, one.Width(), one.Height()), L"Top Line: 12");
  EXPECT_EQ(window.Left(), screenWidth - one.Width());
  EXPECT_EQ(GetActiveWindow() == window.Handle(), false);  // never takes the activation
  // A new text without ActivateHint sizes the window to it.
  window.SetCaption(L"Longer text than before");
  EXPECT_GT(window.Width(), one.Width());
}

TEST(ApplicationResources, FormsMadeAThousandTimesLeaveNothingBehind) {
  auto makeOne = [] {
    TForm* form = new TForm(nullptr, CreateNew);
    form->SetBounds(30, 30, 200, 150);
    auto* panel = new TWcPanel(form);
    panel->SetAlign(alTop);
    panel->SetParent(form);
    auto* control = new TWcControl(form);
    control->SetParent(panel);
    control->Font()->SetSize(12);
    auto* graphic = new TWcGraphic(form);
    graphic->SetParent(form);
    form->Show();
    control->SetFocus();
    control->Repaint();
    panel->Canvas()->TextWidth(L"measure");  // a DC borrowed outside painting
    Pump();
    Free(form);
  };
  for (int i = 0; i < 20; ++i) makeOne();  // the first rounds register classes and fill caches
  Pump();
  int gdi = GdiObjectCount();
  std::ptrdiff_t blocks = LiveAllocations();
  TForm* probe = new TForm(nullptr, CreateNew);
  EXPECT_GT(LiveAllocations(), blocks);  // the count sees what the framework allocates
  Free(probe);
  size_t before = ProcessPrivateBytes();
  for (int i = 0; i < 1000; ++i) makeOne();
  Pump();
  EXPECT_EQ(GdiObjectCount(), gdi);
  EXPECT_EQ(LiveAllocations(), blocks);                    // not one block of ours left behind
  EXPECT_LT(ProcessPrivateBytes(), before + 1024 * 1024);  // nor much of the system's
}

TEST(ApplicationHints, TheHintAppearsAfterThePauseAndOnlyForHintWindowClasses) {
  EXPECT_THROW(Application->SetHintWindowClass(TWcPanel::StaticClassInfo()), EInvalidOperation);
  TForm* form = NewShownForm();
  auto* control = new TWcControl(form);
  control->SetBounds(10, 10, 80, 30);
  control->SetParent(form);
  control->SetHint(L"Soon");
  control->SetShowHint(true);
  int pause = Application->HintPause();
  Application->SetHintPause(10);
  TPoint inside = control->ClientToScreen({5, 5});
  SetCursorPos(inside.X, inside.Y);
  SendMouse(control->Handle(), WM_MOUSEMOVE, 5, 5, 0);
  EXPECT_FALSE(Application->HintWindow() && Application->HintWindow()->HandleAllocated());
  struct TNoWait {
    void Idle(TObject*, bool& done) { done = false; }
  } noWait;
  Application->OnIdle = TIdleEvent(&noWait, &TNoWait::Idle);
  DWORD start = GetTickCount();
  while (!(Application->HintWindow() && Application->HintWindow()->HandleAllocated()) && GetTickCount() - start < 2000)
    Application->HandleMessage();
  Application->OnIdle = nullptr;
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_EQ(Application->HintWindow()->Caption(), L"Soon");
  Application->SetHintPause(pause);
  Application->CancelHint();
  SetCursorPos(0, 0);
  Free(form);
}

TEST(ApplicationLoop, AFailingHintOrMouseHandlerAtIdleTimeIsReportedAndTheDialogRunsOn) {
  TForm* dialog = new TForm(nullptr, CreateNew);
  dialog->SetBounds(60, 60, 300, 200);
  auto* control = new TWcControl(dialog);
  control->SetBounds(10, 10, 80, 30);
  control->SetParent(dialog);
  control->SetHint(L"short|the long hint");
  struct TFailing {
    TForm* dialog;
    TWcControl* control;
    int rounds = 0;
    int hints = 0;
    void Hint(TObject*) {
      if (++hints == 1) throw EConvertError("hint failed");
    }
    void Idle(TObject*, bool& done) {
      done = false;
      if (++rounds == 1) {
        TPoint p = control->ClientToScreen({5, 5});
        SetCursorPos(p.X, p.Y);
      } else if (rounds == 20) {
        dialog->SetModalResult(mrOk);
      }
    }
  } failing{dialog, control};
  Application->SetHint(L"");
  Application->OnHint = TNotifyEvent(&failing, &TFailing::Hint);
  Application->OnIdle = TIdleEvent(&failing, &TFailing::Idle);
  size_t shown = TestMessageBoxes().Texts.size();
  TModalResult result = mrNone;
  EXPECT_NO_THROW(result = dialog->ShowModal());
  Application->OnHint = nullptr;
  Application->OnIdle = nullptr;
  EXPECT_EQ(result, mrOk);
  ASSERT_EQ(TestMessageBoxes().Texts.size(), shown + 1);
  EXPECT_EQ(TestMessageBoxes().Texts.back(), L"hint failed");
  Free(dialog);
  Application->SetHint(L"");
}

TEST(ApplicationLoop, ATimerTicksWhileRunWaitsForMessagesAndCanEndTheProgram) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  TForm* main = nullptr;
  Application->CreateForm(main);
  auto* timer = new TTimer(main);
  timer->SetInterval(20);
  auto* action = new TAction(main);
  auto* list = new TActionList(main);
  action->SetActionList(list);
  auto* control = new TWcControl(main);
  control->SetParent(main);
  control->SetAction(action);
  struct TTicker {
    TForm* form;
    int ticks = 0;
    int updates = 0;
    int updatesAtLastTick = -1;
    void Tick(TObject*) {
      if (++ticks < 3) return;
      updatesAtLastTick = updates;
      form->Close();
    }
    void Update(TObject*) { ++updates; }
  } ticker{main};
  timer->OnTimer = TNotifyEvent(&ticker, &TTicker::Tick);
  action->OnUpdate = TNotifyEvent(&ticker, &TTicker::Update);
  Application->Run();  // the idle time waits for messages; only the timer wakes it
  EXPECT_EQ(ticker.ticks, 3);
  // Between two ticks the loop ran out of messages, so the actions were brought up to date
  // (a loaded machine may deliver the first tick before the loop ever went idle).
  EXPECT_GE(ticker.updatesAtLastTick, 1);
  Application->Initialize();
  delete main;
}

TEST(ApplicationHints, AClickKeepsTheHintAwayUntilTheMouseMoves) {
  TForm* form = NewShownForm();
  auto* control = new TWcControl(form);
  control->SetBounds(10, 10, 80, 30);
  control->SetParent(form);
  control->SetHint(L"Button");
  control->SetShowHint(true);
  const int pause = Application->HintPause();
  Application->SetHintPause(10);
  struct TNoWait {
    void Idle(TObject*, bool& done) { done = false; }
  } noWait;
  Application->OnIdle = TIdleEvent(&noWait, &TNoWait::Idle);
  auto shown = [] {
    return Application->HintWindow() && Application->HintWindow()->HandleAllocated() &&
           IsWindowVisible(Application->HintWindow()->Handle());
  };
  // Runs the loop until the hint shows or Ms milliseconds passed (far past the pause).
  auto runFor = [&](DWORD Ms) {
    for (const DWORD start = GetTickCount(); !shown() && GetTickCount() - start < Ms;) Application->HandleMessage();
    return shown();
  };
  auto click = [&](int X) {
    PostMessageW(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, 5));
    PostMessageW(control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, 5));
    // What the system makes up after a click: a move to where the mouse already is.
    PostMessageW(control->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(X, 5));
    Application->ProcessMessages();
  };
  // Clicked while the hint waits for its pause, and clicked while it shows: it stays away.
  for (bool showFirst : {false, true}) {
    Application->CancelHint();
    const int x = showFirst ? 20 : 5;
    const TPoint at = control->ClientToScreen({x, 5});
    SetCursorPos(at.X, at.Y);
    SendMouse(control->Handle(), WM_MOUSEMOVE, x, 5, 0);
    if (showFirst) {
      ASSERT_TRUE(runFor(2000));
    }
    click(x);
    EXPECT_FALSE(runFor(300)) << showFirst;
    // A real move brings it back.
    const TPoint next = control->ClientToScreen({x + 3, 6});
    SetCursorPos(next.X, next.Y);
    SendMouse(control->Handle(), WM_MOUSEMOVE, x + 3, 6, 0);
    EXPECT_TRUE(runFor(2000)) << showFirst;
  }
  Application->OnIdle = nullptr;
  Application->SetHintPause(pause);
  Application->CancelHint();
  SetCursorPos(0, 0);
  Free(form);
}

namespace {

int keysReached = 0;

LRESULT CALLBACK CountKeys(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_KEYDOWN || Msg == WM_SYSKEYDOWN) ++keysReached;
  if (Msg == WM_SYSKEYDOWN) return 0;  // no Alt+F4 close of the test window
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

}  // namespace

// A key-down marked as a repeat of a press the program never saw (a key still held from a window
// that is gone) reaches no window; real presses and their repeats do, until the key goes up.
TEST(ApplicationLoop, RepeatsOfAKeyPressThatWentElsewhereReachNoWindow) {
  Application->Initialize();
  WNDCLASSW wc{};
  wc.lpfnWndProc = &CountKeys;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HvKeyCounter";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(wnd, nullptr);
  constexpr LPARAM fresh = 0x203E0001, repeat = 0x603E0001, up = static_cast<LPARAM>(0xE03E0001);
  // The keys go up before and after: what this thread saw held lasts as long as the process, and
  // a key left down here would let the next run's first repeat through.
  auto release = [&] {
    PostMessageW(wnd, WM_SYSKEYUP, VK_F4, up);
    for (WPARAM key : {'X', 'Y'}) PostMessageW(wnd, WM_KEYUP, key, up);
    Application->ProcessMessages();
  };
  release();
  const struct {
    UINT Msg;
    WPARAM Key;
    LPARAM LParam;
    int Reached;
  } steps[] = {
      {WM_SYSKEYDOWN, VK_F4, repeat, 0},  // the Alt+F4 that closed the copy before
      {WM_KEYDOWN, 'X', repeat, 0},       // a letter typed into it
      {WM_SYSKEYDOWN, VK_F4, fresh, 1},  {WM_SYSKEYDOWN, VK_F4, repeat, 1}, {WM_SYSKEYUP, VK_F4, up, 0},
      {WM_SYSKEYDOWN, VK_F4, repeat, 0}, {WM_KEYDOWN, 'X', fresh, 1},       {WM_KEYDOWN, 'X', repeat, 1},
      {WM_KEYDOWN, 'Y', repeat, 0},
  };
  for (const auto& step : steps) {
    keysReached = 0;
    PostMessageW(wnd, step.Msg, step.Key, step.LParam);
    Application->ProcessMessages();
    EXPECT_EQ(keysReached, step.Reached) << std::hex << step.Msg << " " << step.Key << " " << step.LParam;
  }
  release();
  DestroyWindow(wnd);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}
