// The find and replace dialog as a window of the main window: owned by it, kept in front of it
// whatever is clicked there, and brought back to the front with it.
#include "framework/Win.h"

#include <gtest/gtest.h>

#include "app/DocumentTabs.h"
#include "app/Documents.h"
#include "app/FindAndReplaceFrm.h"
#include "app/MainActions.h"
#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/ListControls.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinToolbar.h"
#include "toolbars/BarView.h"

namespace {

// True when Upper is above Lower in the z-order of the top-level windows.
bool Above(HWND Upper, HWND Lower) {
  for (HWND w = GetWindow(Lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
    if (w == Upper) return true;
  return false;
}

// A press and release of the left mouse button as the user makes them, at a point of a control.
void ClickAt(TControl* Control, const TPoint& At) {
  const TPoint screen = Control->ClientToScreen(At);
  SetCursorPos(screen.X, screen.Y);
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
  for (int i = 0; i < 10; ++i) {
    Application->ProcessMessages();
    Sleep(10);
  }
}

// Counts the moves of a window in the z-order while it lives.
class TWindowMoves {
 public:
  explicit TWindowMoves(HWND Window) : window_(Window) {
    current = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &Sent, nullptr, GetCurrentThreadId());
  }
  ~TWindowMoves() {
    UnhookWindowsHookEx(hook_);
    current = nullptr;
  }
  int Count() const { return count_; }

 private:
  static LRESULT CALLBACK Sent(int Code, WPARAM W, LPARAM L) {
    auto* m = reinterpret_cast<CWPSTRUCT*>(L);
    if (Code == HC_ACTION && current && m->hwnd == current->window_ && m->message == WM_WINDOWPOSCHANGED &&
        !(reinterpret_cast<WINDOWPOS*>(m->lParam)->flags & SWP_NOZORDER))
      ++current->count_;
    return CallNextHookEx(nullptr, Code, W, L);
  }
  static inline TWindowMoves* current = nullptr;
  HWND window_;
  HHOOK hook_ = nullptr;
  int count_ = 0;
};

class FindDialogWindow : public ShownWindowTest {
 protected:
  void SetUp() override {
    ShownWindowTest::SetUp();
    Shown().ActiveEditor()->SetTextA("one two one");
  }
  void TearDown() override {
    FreeFindAndReplaceForm();
    ShownWindowTest::TearDown();
  }
  // The dialog opened on its Replace tab, every "one" replaced by "1".
  TFindAndReplaceForm* ReplaceAll() {
    EXPECT_TRUE(form_->Commands->Action("actnReplace")->Execute());
    Application->ProcessMessages();
    TFindAndReplaceForm* dialog = FindAndReplaceForm;
    dialog->cmbxFindWhat->SetText(L"one");
    dialog->cmbxReplaceWith->SetText(L"1");
    dialog->actnReplaceExecute(dialog->actnReplaceAll);
    Application->ProcessMessages();
    EXPECT_EQ(form_->ActiveEditor()->TextA(), "1 two 1");
    return dialog;
  }
  // A click in the middle of the document's tab.
  void ClickTab(TDocument* Document) {
    TBarItemViewer* viewer = form_->tlbrTabBar->View()->Find(Document->Item());
    ASSERT_TRUE(viewer);
    const TRect r = viewer->BoundsRect();
    ClickAt(form_->tlbrTabBar, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  // A click on the main toolbar's item.
  void ClickItem(const char* Name) {
    auto* bar = dynamic_cast<TSkinToolbar*>(form_->FindComponent("tlbrStandard"));
    auto* item = dynamic_cast<TBarCustomItem*>(form_->FindComponent(Name));
    ASSERT_TRUE(bar && item);
    TBarItemViewer* viewer = bar->View()->Find(item);
    ASSERT_TRUE(viewer);
    const TRect r = viewer->BoundsRect();
    ClickAt(bar, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
};

}  // namespace

// Replace all, then Undo and Redo clicked on the toolbar: the main window is active and the
// dialog, owned by it, stays in front of it.
TEST_F(FindDialogWindow, TheDialogIsOwnedByTheMainWindowAndStaysInFrontOfIt) {
  TFindAndReplaceForm* dialog = ReplaceAll();
  EXPECT_EQ(GetWindow(dialog->Handle(), GW_OWNER), form_->Handle());
  const std::pair<const char*, const char*> clicks[] = {{"tbitmUndo", "one two one"}, {"tbitmRedo", "1 two 1"}};
  for (const auto& [item, text] : clicks) {
    SetForegroundWindow(dialog->Handle());
    Application->ProcessMessages();
    // What the loop's idle time does before the user's click: the item has something to do.
    form_->UpdateActions();
    ClickItem(item);
    EXPECT_EQ(form_->ActiveEditor()->TextA(), text) << item;
    EXPECT_EQ(GetActiveWindow(), form_->Handle()) << item;
    EXPECT_TRUE(dialog->Visible()) << item;
    EXPECT_TRUE(Above(dialog->Handle(), form_->Handle())) << item;
  }
}

// The window system may show the main window over the dialog when a click activates it while the
// windows' order keeps the dialog on top; so the dialog's window is placed on top again (a move
// in the order, which the window system shows) whenever the main window is activated.
TEST_F(FindDialogWindow, TheDialogComesBackInFrontWhenTheMainWindowIsActivated) {
  TFindAndReplaceForm* dialog = ReplaceAll();
  TTxtEdit* editor = form_->ActiveEditor();
  for (int round = 0; round < 2; ++round) {
    SetForegroundWindow(dialog->Handle());
    Application->ProcessMessages();
    ASSERT_EQ(GetActiveWindow(), dialog->Handle());
    TWindowMoves moves(dialog->Handle());
    ClickAt(editor, {editor->ClientWidth() / 2, editor->ClientHeight() - 5});
    EXPECT_EQ(GetActiveWindow(), form_->Handle()) << round;
    EXPECT_GE(moves.Count(), 1) << round;
    EXPECT_TRUE(Above(dialog->Handle(), form_->Handle())) << round;
    // In front of its own window only, not of every other program's.
    EXPECT_FALSE(GetWindowLongW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << round;
  }
  // A click while the main window is active already moves nothing.
  TWindowMoves moves(dialog->Handle());
  ClickAt(editor, {editor->ClientWidth() / 2, editor->ClientHeight() - 5});
  EXPECT_EQ(moves.Count(), 0);
}

// The dialog comes back in front whenever another document comes forward, and clears its result.
TEST_F(FindDialogWindow, TheDialogComesBackInFrontWheneverTheDocumentChanges) {
  TFindAndReplaceForm* dialog = ReplaceAll();
  const WideString file = folder_.Write(L"third.txt", "third");
  form_->NewDocument();
  Application->ProcessMessages();
  enum TPath { tabClicked, ctrlTab, opened, created, closed };
  for (TPath path : {tabClicked, ctrlTab, opened, created, closed}) {
    // The main window active, the dialog in front with a result of the document shown.
    SetForegroundWindow(form_->Handle());
    Application->ProcessMessages();
    ASSERT_EQ(GetActiveWindow(), form_->Handle()) << path;
    dialog->cmbxFindWhat->SetText(L"absent");
    dialog->actnFindNextExecute(dialog->actnFindNext);
    ASSERT_EQ(dialog->Result(), frNotFound) << path;
    TDocument* before = form_->ActiveDocument();
    TWindowMoves moves(dialog->Handle());
    switch (path) {
      case tabClicked: ClickTab(Doc(0)); break;
      case ctrlTab: form_->Commands->Action("actnNext")->Execute(); break;
      case opened: form_->OpenFiles({file}); break;
      case created: form_->Commands->Action("actnCreateNew")->Execute(); break;
      case closed: form_->CloseDocument(form_->ActiveDocument()); break;
    }
    Application->ProcessMessages();
    ASSERT_NE(form_->ActiveDocument(), before) << path;
    EXPECT_EQ(GetActiveWindow(), form_->Handle()) << path;
    EXPECT_GE(moves.Count(), 1) << path;
    EXPECT_TRUE(Above(dialog->Handle(), form_->Handle())) << path;
    EXPECT_EQ(dialog->Result(), frNone) << path;
  }
}

namespace {

// While a question is up, a document comes forward behind it, as one handed over does.
TMainForm* asking = nullptr;
HWND questionBox = nullptr;
bool dialogOverBox = false, dialogShown = false;

void CALLBACK WhileAsking(HWND, UINT, UINT_PTR Id, DWORD) {
  if (!(questionBox = FindWindowW(L"#32770", L"Halcorn Verdan"))) return;
  KillTimer(nullptr, Id);
  asking->NewDocument();
  KeepFindAndReplaceFormInFront();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  dialogOverBox = Above(FindAndReplaceForm->Handle(), questionBox);
  dialogShown = IsWindowVisible(FindAndReplaceForm->Handle()) != FALSE;
  PostMessageW(questionBox, WM_COMMAND, IDOK, 0);
}

}  // namespace

// The dialog comes over neither a question of the main window nor another program's window.
TEST_F(FindDialogWindow, TheDialogNeverComesOverAQuestionNorAnotherProgram) {
  TFindAndReplaceForm* dialog = ReplaceAll();
  SetForegroundWindow(form_->Handle());
  Application->ProcessMessages();
  asking = form_, questionBox = nullptr, dialogOverBox = dialogShown = false;
  SetTimer(nullptr, 0, 100, &WhileAsking);
  MessageBoxW(form_->Handle(), L"Save changes?", L"Halcorn Verdan", MB_OKCANCEL);
  ASSERT_NE(questionBox, nullptr);
  EXPECT_FALSE(dialogOverBox) << "the dialog came over the question";
  EXPECT_TRUE(dialogShown);
  // Another program's window in front (a window of no owner stands for it).
  std::unique_ptr<TForm> other(new TForm(nullptr, CreateNew));
  other->SetBounds(dialog->Left() - 20, dialog->Top() - 20, dialog->Width() + 40, dialog->Height() + 40);
  other->Show();
  SetForegroundWindow(other->Handle());
  Application->ProcessMessages();
  EXPECT_TRUE(Above(other->Handle(), dialog->Handle())) << "the dialog stays over another program";
  KeepFindAndReplaceFormInFront();
  Application->ProcessMessages();
  EXPECT_TRUE(Above(other->Handle(), dialog->Handle())) << "the dialog came over another program";
  // Back in the main window, it comes in front again.
  SetForegroundWindow(form_->Handle());
  Application->ProcessMessages();
  EXPECT_TRUE(Above(dialog->Handle(), form_->Handle()));
  EXPECT_TRUE(Above(dialog->Handle(), other->Handle()));
}
