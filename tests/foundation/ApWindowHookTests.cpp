// Hooks on controls (their window method) and the window-hook component.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/ApWndHook.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"

namespace {

const UINT kCtlMsg = WM_USER + 91;
std::vector<std::string> ctlLog;

class TLoggingForm : public TForm {
 public:
  TLoggingForm() : TForm(nullptr, CreateNew) {}
  void WndProc(TMessage& Message) override {
    if (Message.Msg == kCtlMsg) {
      ctlLog.push_back("own");
      Message.Result = 42;
      return;
    }
    TForm::WndProc(Message);
  }
};

struct CtlHandler {
  explicit CtlHandler(std::string n, bool h = false) : name(std::move(n)), handles(h) {}
  std::string name;
  bool handles;
  bool Call(TMessage& m) {
    if (m.Msg != kCtlMsg) return false;
    ctlLog.push_back(name);
    if (name == "after") m.Result += 1;
    return handles;
  }
  TApHookHandler Event() { return TApHookHandler(this, &CtlHandler::Call); }
};

std::string TakeLog() {
  std::string s;
  for (auto& e : ctlLog) s += (s.empty() ? "" : ",") + e;
  ctlLog.clear();
  return s;
}

// Someone else's method put in front of the control's window method after ours.
struct Interposer {
  TControl* control;
  TWndMethod saved;
  void Method(TMessage& m) {
    if (m.Msg == kCtlMsg) ctlLog.push_back("later");
    saved(m);
  }
  void Install() {
    saved = control->WindowProc;
    control->WindowProc = TWndMethod(this, &Interposer::Method);
  }
  void Uninstall() { control->WindowProc = saved; }
};

}  // namespace

TEST(ApControlHooks, ChainsAroundTheWindowMethod) {
  auto form = std::make_unique<TLoggingForm>();
  CtlHandler before("before"), after("after");
  ASSERT_TRUE(RegisterWndProcHook(form.get(), before.Event(), hoBeforeMsg));
  ASSERT_TRUE(RegisterWndProcHook(form.get(), after.Event(), hoAfterMsg));
  EXPECT_EQ(form->Perform(kCtlMsg), 43);
  EXPECT_EQ(TakeLog(), "before,own,after");
  EXPECT_EQ(SendMessageW(form->Handle(), kCtlMsg, 0, 0), 43);  // through the window as well
  EXPECT_EQ(TakeLog(), "before,own,after");
  EXPECT_TRUE(UnRegisterWndProcHook(form.get(), before.Event(), hoBeforeMsg));
  EXPECT_TRUE(UnRegisterWndProcHook(form.get(), after.Event(), hoAfterMsg));
  EXPECT_EQ(form->Perform(kCtlMsg), 42);
  EXPECT_EQ(TakeLog(), "own");
  EXPECT_TRUE(form->WindowProc == TWndMethod(form.get(), &TControl::WndProc));
  FinalizeWndProcHooks();
}

TEST(ApControlHooks, UnhookingLeavesALaterMethodInPlace) {
  auto form = std::make_unique<TLoggingForm>();
  CtlHandler h("h");
  RegisterWndProcHook(form.get(), h.Event(), hoBeforeMsg);
  Interposer later{form.get(), {}};
  later.Install();
  form->Perform(kCtlMsg);
  EXPECT_EQ(TakeLog(), "later,h,own");
  UnRegisterWndProcHook(form.get(), h.Event(), hoBeforeMsg);
  EXPECT_TRUE(form->WindowProc == TWndMethod(&later, &Interposer::Method));
  EXPECT_EQ(form->Perform(kCtlMsg), 42);
  EXPECT_EQ(TakeLog(), "later,own");
  later.Uninstall();  // gives our pass-through back; messages still arrive
  EXPECT_EQ(form->Perform(kCtlMsg), 42);
  EXPECT_EQ(TakeLog(), "own");
  // Hooked again: the same record takes over once more.
  RegisterWndProcHook(form.get(), h.Event(), hoBeforeMsg);
  form->Perform(kCtlMsg);
  EXPECT_EQ(TakeLog(), "h,own");
  FinalizeWndProcHooks();
}

TEST(ApControlHooks, DestroyedControlReleasesItsRecordWithoutTouchingIt) {
  const int before = TApHookInfos::LiveCount();
  auto* form = new TLoggingForm();
  form->HandleNeeded();
  CtlHandler h("h");
  RegisterWndProcHook(form, h.Event(), hoAfterMsg);
  EXPECT_NE(WndProcHookRegistry().Find(form), nullptr);
  const int listed = WndProcHookRegistry().Count();
  delete form;
  EXPECT_EQ(WndProcHookRegistry().Count(), listed - 1);
  EXPECT_EQ(TApHookInfos::LiveCount(), before + 1);
  DispatchPendingMessages();
  EXPECT_EQ(TApHookInfos::LiveCount(), before);
  FinalizeWndProcHooks();
}

TEST(ApWindowHook, HandlersFollowActiveAndControl) {
  auto form = std::make_unique<TLoggingForm>();
  TApWindowHook hook(nullptr);
  EXPECT_TRUE(hook.Active());
  struct Sink {
    std::vector<std::string> seen;
    void Before(TObject*, TMessage& m, bool& handled) {
      if (m.Msg == kCtlMsg) {
        seen.push_back("before");
        handled = stop;
        m.Result = 7;
      }
    }
    void After(TObject*, TMessage& m, bool&) {
      if (m.Msg == kCtlMsg) seen.push_back("after");
    }
    bool stop = false;
  } sink;
  hook.SetBeforeMessage(TApHookMessageEvent(&sink, &Sink::Before));
  hook.SetAfterMessage(TApHookMessageEvent(&sink, &Sink::After));
  hook.SetControl(form.get());
  form->Perform(kCtlMsg);
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"before", "after"}));
  sink.seen.clear();
  sink.stop = true;
  EXPECT_EQ(form->Perform(kCtlMsg), 7);
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"before"}));
  EXPECT_EQ(TakeLog(), "own");
  sink.seen.clear();
  hook.SetActive(false);
  EXPECT_EQ(form->Perform(kCtlMsg), 42);
  EXPECT_TRUE(sink.seen.empty());
  hook.SetActive(true);
  hook.SetBeforeMessage(nullptr);
  form->Perform(kCtlMsg);
  EXPECT_EQ(sink.seen, (std::vector<std::string>{"after"}));
  TakeLog();
  form.reset();  // the hook hears of it
  EXPECT_EQ(hook.Control(), nullptr);
  DispatchPendingMessages();
  FinalizeWndProcHooks();
}

// A designed hook keeps its settings but hooks nothing; running again, it hooks as set. A hook
// made designed while it runs still takes its handlers out.
TEST(ApWindowHook, ADesignedHookRegistersNoHandlers) {
  auto form = std::make_unique<TLoggingForm>();
  const TWndMethod own(form.get(), &TControl::WndProc);
  TComponent designer(nullptr);
  designer.SetDesigning(true);
  auto* hook = new TApWindowHook(&designer);
  struct Sink {
    int Calls = 0;
    void Handle(TObject*, TMessage& m, bool&) { Calls += m.Msg == kCtlMsg; }
  } sink;
  hook->SetControl(form.get());
  hook->SetBeforeMessage(TApHookMessageEvent(&sink, &Sink::Handle));
  hook->SetAfterMessage(TApHookMessageEvent(&sink, &Sink::Handle));
  hook->SetActive(false);
  hook->SetActive(true);
  EXPECT_TRUE(hook->Active());
  EXPECT_TRUE(form->WindowProc == own);
  form->Perform(kCtlMsg);
  EXPECT_EQ(sink.Calls, 0);
  // Running: the next activation registers both.
  designer.SetDesigning(false);
  hook->SetActive(false);
  hook->SetActive(true);
  form->Perform(kCtlMsg);
  EXPECT_EQ(sink.Calls, 2);
  EXPECT_FALSE(form->WindowProc == own);
  // Designed while hooked: switching off still unhooks, switching on does not hook again.
  designer.SetDesigning(true);
  hook->SetActive(false);
  EXPECT_TRUE(form->WindowProc == own);
  hook->SetActive(true);
  hook->SetAfterMessage(nullptr);
  hook->SetAfterMessage(TApHookMessageEvent(&sink, &Sink::Handle));
  EXPECT_TRUE(form->WindowProc == own);
  TakeLog();
  delete hook;
  DispatchPendingMessages();
  FinalizeWndProcHooks();
}

TEST(ApWindowHook, IsFormGoesThroughFormFiles) {
  TForm form(nullptr, CreateNew);
  form.SetName("HookForm");
  auto* hook = new TApWindowHook(&form);
  hook->SetName("hook");
  EXPECT_FALSE(hook->IsForm());
  hook->SetControl(&form);
  EXPECT_TRUE(hook->IsForm());
  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("IsForm = True"), std::string::npos) << text;
  EXPECT_EQ(text.find("Control ="), std::string::npos) << text;

  TForm copy(nullptr, CreateNew);
  ReadComponentFromText(text, &copy);
  auto* readHook = dynamic_cast<TApWindowHook*>(copy.FindComponent("hook"));
  ASSERT_NE(readHook, nullptr);
  EXPECT_EQ(readHook->Control(), &copy);
  // Another form cannot be written as "IsForm": the hook keeps it by name.
  TForm other(nullptr, CreateNew);
  other.SetName("OtherForm");
  hook->SetControl(&other);
  text = WriteComponentToText(&form);
  EXPECT_NE(text.find("Control = OtherForm"), std::string::npos) << text;
  EXPECT_EQ(text.find("IsForm"), std::string::npos) << text;
  delete hook;
  FinalizeWndProcHooks();
}

TEST(ApControlHooks, ControlsOutlivingTheRegistryGetTheirMethodBackAndGoSafely) {
  // The end of the process frees the registry while hooked controls still live; they keep
  // working without it and are freed later without telling the registry that is gone.
  auto form = std::make_unique<TLoggingForm>();
  form->HandleNeeded();
  const TWndMethod own = form->WindowProc;
  CtlHandler h("h");
  TApWindowHook hook(nullptr);
  hook.SetControl(form.get());
  RegisterWndProcHook(form.get(), h.Event(), hoBeforeMsg);
  EXPECT_EQ(form->Perform(kCtlMsg), 42);
  EXPECT_EQ(TakeLog(), "h,own");
  FinalizeWndProcHooks();
  EXPECT_TRUE(form->WindowProc == own);
  EXPECT_EQ(form->Perform(kCtlMsg), 42);
  EXPECT_EQ(TakeLog(), "own");
  EXPECT_EQ(TApHookInfos::LiveCount(), 0);
  form.reset();
  DispatchPendingMessages();
  EXPECT_EQ(hook.Control(), nullptr);
}
