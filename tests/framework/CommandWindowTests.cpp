// Menus and actions on forms and controls: idle updates, controls and menu items following
// their action, the menu bar of a form and its commands, shortcuts typed on a form, context
// menus on right clicks, menu hints, and a form file that binds them all.
#include <gtest/gtest.h>

#include <string>

#include "framework/Actions.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/Menus.h"
#include "tests/framework/AllocationCount.h"
#include "tests/framework/ControlTestSupport.h"

namespace {

class TCmdTestForm : public TForm {
  HV_CLASS(TCmdTestForm, TForm)
 public:
  explicit TCmdTestForm(TComponent* AOwner) : TForm(AOwner) {}
  void SaveExecute(TObject*) { log += "save;"; }
  void SaveUpdate(TObject* Sender) {
    ++saveUpdates;
    static_cast<TCustomAction*>(Sender)->SetEnabled(canSave);
  }
  void FindExecute(TObject*) { log += "find;"; }
  void ExitClick(TObject*) { log += "exit;"; }
  void PanelPopup(TObject*) {
    log += "popup;";
    PostMessageW(PopupList().Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  }

  TWcControl* Button1 = nullptr;
  TWcPanel* Panel1 = nullptr;
  TActionList* actnlstMain = nullptr;
  TAction* actnSave = nullptr;
  TAction* actnFind = nullptr;
  TMainMenu* mnMain = nullptr;
  TMenuItem* mnitmFile = nullptr;
  TMenuItem* mnitmSave = nullptr;
  TMenuItem* mnitmExit = nullptr;
  TPopupMenu* pmnPanel = nullptr;
  std::string log;
  int saveUpdates = 0;
  bool canSave = true;
};

// Counts the passes of the idle work and keeps the loop from waiting.
struct TIdleCounter {
  int passes = 0;
  void Idle(TObject*, bool& Done) {
    ++passes;
    Done = false;
  }
};

// Runs the application's idle work once (after what is waiting in the queue).
void RunIdle() {
  TIdleCounter counter;
  TIdleEvent saved = Application->OnIdle;
  Application->OnIdle = TIdleEvent(&counter, &TIdleCounter::Idle);
  for (int i = 0; i < 100 && counter.passes == 0; ++i) Application->HandleMessage();
  Application->OnIdle = saved;
}

struct TActionLog {
  std::string log;
  int updates = 0;
  bool enable = true;
  void Execute(TObject*) { log += "x"; }
  void Update(TObject* Sender) {
    ++updates;
    static_cast<TCustomAction*>(Sender)->SetEnabled(enable);
  }
  void Click(TObject*) { log += "c"; }
  void Popup(TObject*) {
    log += "p";
    PostMessageW(PopupList().Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  }
};

}  // namespace

HV_PUBLISH(TCmdTestForm) {
  p.ComponentField("Button1", &T::Button1);
  p.ComponentField("Panel1", &T::Panel1);
  p.ComponentField("actnlstMain", &T::actnlstMain);
  p.ComponentField("actnSave", &T::actnSave);
  p.ComponentField("actnFind", &T::actnFind);
  p.ComponentField("mnMain", &T::mnMain);
  p.ComponentField("mnitmFile", &T::mnitmFile);
  p.ComponentField("mnitmSave", &T::mnitmSave);
  p.ComponentField("mnitmExit", &T::mnitmExit);
  p.ComponentField("pmnPanel", &T::pmnPanel);
  p.Method("SaveExecute", &T::SaveExecute);
  p.Method("SaveUpdate", &T::SaveUpdate);
  p.Method("FindExecute", &T::FindExecute);
  p.Method("ExitClick", &T::ExitClick);
  p.Method("PanelPopup", &T::PanelPopup);
}

TEST(ActionIdle, UpdateHandlersRunWhileTheApplicationIsIdle) {
  TActionLog log;
  TForm* form = NewShownForm();
  auto* list = New<TActionList>(form);
  auto* action = New<TAction>(form);
  action->SetActionList(list);
  action->OnUpdate = TNotifyEvent(&log, &TActionLog::Update);
  // Shown by a control as well: still one update per idle pass.
  auto* control = New<TWcControl>(form);
  control->SetParent(form);
  control->SetAction(action);
  auto* hidden = New<TWcControl>(form);
  hidden->Hide();
  hidden->SetParent(form);

  RunIdle();
  EXPECT_EQ(log.updates, 1);
  EXPECT_EQ(control->InitiatedActions, 1);
  EXPECT_EQ(hidden->InitiatedActions, 0);
  // Handling messages without idle time updates nothing.
  PostMessageW(form->Handle(), WM_NULL, 0, 0);
  Pump();
  EXPECT_EQ(log.updates, 1);
  log.enable = false;
  RunIdle();
  EXPECT_EQ(log.updates, 2);
  EXPECT_FALSE(control->Enabled());

  // A hidden form's actions rest.
  form->Hide();
  RunIdle();
  EXPECT_EQ(log.updates, 2);
  Free(form);
}

TEST(ActionIdle, AControlHiddenByItsActionComesBack) {
  struct TShower {
    bool visible = false;
    void Update(TObject* Sender) { static_cast<TCustomAction*>(Sender)->SetVisible(visible); }
  } shower;
  TForm* form = NewShownForm();
  auto* list = New<TActionList>(form);
  auto* action = New<TAction>(form);
  action->SetActionList(list);
  action->OnUpdate = TNotifyEvent(&shower, &TShower::Update);
  auto* control = New<TWcControl>(form);
  control->SetParent(form);
  control->SetAction(action);
  RunIdle();
  EXPECT_FALSE(control->Visible());
  shower.visible = true;
  RunIdle();
  EXPECT_TRUE(control->Visible());
  Free(form);
}

TEST(ControlActions, ControlsFollowTheirActionAndRunIt) {
  TActionLog log;
  TForm* form = NewShownForm();
  auto* action = New<TAction>(form);
  action->SetCaption(L"&Print");
  action->SetHint(L"Print|Prints the page");
  action->SetOnExecute(TNotifyEvent(&log, &TActionLog::Execute));
  auto* control = New<TWcControl>(form);
  control->SetParent(form);
  control->SetAction(action);
  EXPECT_EQ(control->Caption(), L"&Print");
  EXPECT_EQ(control->Hint(), L"Print|Prints the page");

  action->SetCaption(L"&Print...");
  action->SetEnabled(false);
  EXPECT_EQ(control->Caption(), L"&Print...");
  EXPECT_FALSE(IsWindowEnabled(control->Handle()));
  action->SetEnabled(true);
  action->SetVisible(false);
  EXPECT_FALSE(control->Visible());
  action->SetVisible(true);

  // A click runs the action; a handler of the control's own wins.
  SendMouse(control->Handle(), WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  SendMouse(control->Handle(), WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(log.log, "x");
  control->OnClick = TNotifyEvent(&log, &TActionLog::Click);
  SendMouse(control->Handle(), WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  SendMouse(control->Handle(), WM_LBUTTONUP, 5, 5);
  EXPECT_EQ(log.log, "xc");

  // The action going leaves the control as it was.
  Free(action);
  EXPECT_EQ(control->Caption(), L"&Print...");
  Free(form);
}

TEST(ControlActions, LoadingKeepsTheControlsOwnValuesButNotItsName) {
  TForm* form = NewShownForm();
  auto* action = New<TAction>(form);
  action->SetCaption(L"Go");
  action->SetEnabled(false);
  auto* named = New<TWcControl>(form);
  named->SetName("Button7");
  named->SetCaption(L"Button7");
  auto* captioned = New<TWcControl>(form);
  captioned->SetCaption(L"Mine");
  named->SetLoading(true);
  captioned->SetLoading(true);
  named->SetAction(action);
  captioned->SetAction(action);
  named->Loaded();
  captioned->Loaded();
  EXPECT_EQ(named->Caption(), L"Go");
  EXPECT_EQ(captioned->Caption(), L"Mine");
  EXPECT_FALSE(captioned->Enabled());
  Free(form);
}

TEST(FormMenus, TheMenuBarComesAndGoesWithTheWindow) {
  TActionLog log;
  TForm* form = NewShownForm(300, 200);
  int clientHeight = form->ClientHeight();
  auto* menu = New<TMainMenu>(nullptr);  // not the form's: it outlives the window
  auto* file = New<TMenuItem>(menu);
  file->SetCaption(L"&File");
  auto* open = New<TMenuItem>(menu);
  open->SetCaption(L"&Open");
  open->OnClick = TNotifyEvent(&log, &TActionLog::Click);
  menu->Items()->Add(file);
  file->Add(open);
  form->SetMenu(menu);
  EXPECT_EQ(GetMenu(form->Handle()), menu->Handle());
  EXPECT_LT(form->ClientHeight(), clientHeight);  // the bar takes its room from the client area

  // A command of the bar reaches its item.
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(open->Command(), 0), 0);
  EXPECT_EQ(log.log, "c");

  // A new window gets the bar again; the bar survives the window.
  HWND first = form->Handle();
  form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(first), nullptr);
  form->SetMenu(menu);
  Free(form);
  EXPECT_TRUE(IsMenu(menu->Handle()));
  Free(menu);
}

TEST(FormMenus, FreeingTheMenuTakesItOutOfTheForm) {
  TForm* form = NewShownForm();
  auto* menu = New<TMainMenu>(form);
  auto* item = New<TMenuItem>(form);
  item->SetCaption(L"&Help");
  menu->Items()->Add(item);
  form->SetMenu(menu);
  ASSERT_NE(GetMenu(form->Handle()), nullptr);
  Free(menu);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
  Free(form);
}

TEST(FormMenus, MenuHintsReachTheApplication) {
  TForm* form = NewShownForm();
  auto* menu = New<TMainMenu>(form);
  auto* file = New<TMenuItem>(form);
  file->SetCaption(L"&File");
  auto* save = New<TMenuItem>(form);
  save->SetCaption(L"&Save");
  save->SetHint(L"Save|Saves the document");
  menu->Items()->Add(file);
  file->Add(save);
  form->SetMenu(menu);
  SendMessageW(form->Handle(), WM_MENUSELECT, MAKEWPARAM(save->Command(), MF_STRING),
               reinterpret_cast<LPARAM>(file->Handle()));
  EXPECT_EQ(Application->Hint(), L"Saves the document");
  Free(form);
}

TEST(FormShortCuts, KeysTypedOnAFormRunMenuItemsAndActions) {
  TActionLog log;
  TForm* form = NewShownForm();
  auto* control = New<TWcControl>(form);
  control->SetParent(form);
  control->SetFocus();
  auto* list = New<TActionList>(form);
  auto* action = New<TAction>(form);
  action->SetActionList(list);
  action->SetShortCut(TextToShortCut("Ctrl+F"));
  action->SecondaryShortCuts()->Add("F3");
  action->SetOnExecute(TNotifyEvent(&log, &TActionLog::Execute));
  auto* menu = New<TMainMenu>(form);
  auto* item = New<TMenuItem>(form);
  item->SetCaption(L"&Go");
  item->SetShortCut(TextToShortCut("Ctrl+G"));
  item->OnClick = TNotifyEvent(&log, &TActionLog::Click);
  menu->Items()->Add(New<TMenuItem>(form));
  menu->Items()->Items(0)->Add(item);
  form->SetMenu(menu);
  Pump();

  auto type = [&](Word key, bool ctrl) {
    SetModifiers(false, ctrl, false);
    PostMessageW(control->Handle(), WM_KEYDOWN, key, 1);
    Pump();
    SetModifiers(false, false, false);
  };
  type('F', true);
  type(VK_F3, false);
  type('G', true);
  EXPECT_EQ(log.log, "xxc");
  // A key no command has goes to the control.
  control->Log.clear();
  type('Q', true);
  EXPECT_EQ(log.log, "xxc");
  EXPECT_FALSE(control->Log.empty());
  Free(form);
}

TEST(ContextMenus, ARightClickShowsTheControlsMenu) {
  TActionLog log;
  TForm* form = NewShownForm();
  auto* menu = New<TPopupMenu>(form);
  menu->Items()->Add(New<TMenuItem>(form));
  menu->Items()->Items(0)->SetCaption(L"Copy");
  menu->OnPopup = TNotifyEvent(&log, &TActionLog::Popup);
  auto* control = New<TWcControl>(form);
  control->SetParent(form);
  control->SetPopupMenu(menu);
  // A graphic control inside a panel has a menu of its own.
  auto* panel = New<TWcPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(100, 0, 100, 50);
  auto* graphic = New<TWcGraphic>(form);
  graphic->SetParent(panel);
  graphic->SetBounds(10, 10, 20, 10);
  auto* graphicMenu = New<TPopupMenu>(form);
  graphicMenu->Items()->Add(New<TMenuItem>(form));
  graphicMenu->Items()->Items(0)->SetCaption(L"Paste");
  graphicMenu->OnPopup = TNotifyEvent(&log, &TActionLog::Popup);
  graphic->SetPopupMenu(graphicMenu);
  Pump();

  // The button goes up over the control: the system asks for the context menu.
  SendMouse(control->Handle(), WM_RBUTTONDOWN, 5, 5, MK_RBUTTON);
  SendMouse(control->Handle(), WM_RBUTTONUP, 5, 5);
  EXPECT_EQ(log.log, "p");
  // From the keyboard the menu opens at the control.
  SendMessageW(control->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(log.log, "pp");
  TPoint origin = control->ClientToScreen(TPoint{0, 0});
  EXPECT_EQ(menu->PopupPoint(), origin);

  TPoint over = graphic->ClientToScreen(TPoint{5, 5});
  SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), MAKELPARAM(over.X, over.Y));
  EXPECT_EQ(log.log, "ppp");
  EXPECT_EQ(graphicMenu->PopupComponent(), graphic);

  // Without AutoPopup, or with a handler that takes it, nothing pops up.
  menu->SetAutoPopup(false);
  SendMessageW(control->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control->Handle()), MAKELPARAM(-1, -1));
  EXPECT_EQ(log.log, "ppp");
  Free(form);
}

TEST(CommandFormFiles, FormsWithCommandsComeAndGoWithoutLeaks) {
  auto makeOne = [] {
    TCmdTestForm* form = New<TCmdTestForm>(nullptr);
    form->Show();
    Pump();
    Free(form);
    Pump();
  };
  makeOne();  // the first round registers classes and fills caches
  int menus = TMenuHandle::LiveCount();
  int gdi = GdiObjectCount();
  std::ptrdiff_t blocks = LiveAllocations();
  for (int i = 0; i < 30; ++i) makeOne();
  EXPECT_EQ(TMenuHandle::LiveCount(), menus);
  EXPECT_EQ(GdiObjectCount(), gdi);
  EXPECT_EQ(LiveAllocations(), blocks);  // read from its file, freed, and nothing of it left
}
