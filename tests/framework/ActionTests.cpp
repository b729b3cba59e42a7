// Actions, their links and action lists, without windows: links told before the action
// stores a value, execution rules, groups, shortcuts and idle update passes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/Actions.h"
#include "framework/Win.h"

namespace {

// A client that shows an action's caption, enabled and checked state.
struct TFakeClient {
  TFakeClient() = default;
  explicit TFakeClient(const WideString& c) : caption(c) {}
  WideString caption;
  bool enabled = true;
  bool checked = false;
  WideString actionCaptionSeenBySetter;  // what the action said while telling the link
  int changes = 0;
};

// The usual link pattern: a value is passed on while the client still shows the action's.
class TFakeLink : public TActionLink {
 public:
  explicit TFakeLink(TFakeClient* client) : TActionLink(nullptr), client_(client) {
    OnChange = TNotifyEvent(this, &TFakeLink::Changed);
  }
  bool IsCaptionLinked() override {
    return TActionLink::IsCaptionLinked() && client_->caption == CustomAction()->Caption();
  }
  bool IsEnabledLinked() override {
    return TActionLink::IsEnabledLinked() && client_->enabled == CustomAction()->Enabled();
  }
  bool IsCheckedLinked() override {
    return TActionLink::IsCheckedLinked() && client_->checked == CustomAction()->Checked();
  }
  void SetCaption(const WideString& value) override {
    client_->actionCaptionSeenBySetter = CustomAction()->Caption();
    if (IsCaptionLinked()) client_->caption = value;
  }
  void SetEnabled(bool value) override {
    if (IsEnabledLinked()) client_->enabled = value;
  }
  void SetChecked(bool value) override {
    if (IsCheckedLinked()) client_->checked = value;
  }

 private:
  void Changed(TObject*) { ++client_->changes; }
  TFakeClient* client_;
};

struct Log {
  std::string text;
  TComponent* componentDuringExecute = nullptr;
  bool enableOnUpdate = true;
  bool listHandles = false;
  void Execute(TObject* Sender) {
    text += "x";
    componentDuringExecute = static_cast<TBasicAction*>(Sender)->ActionComponent();
  }
  void Execute2(TObject*) { text += "y"; }
  void Update(TObject* Sender) {
    text += "u";
    static_cast<TCustomAction*>(Sender)->SetEnabled(enableOnUpdate);
  }
  void ListExecute(TBasicAction*, bool& Handled) {
    text += "L";
    Handled = listHandles;
  }
  void ListUpdate(TBasicAction*, bool& Handled) {
    text += "l";
    Handled = listHandles;
  }
  void Hint(WideString& HintStr, bool& CanShow) {
    HintStr += L"!";
    CanShow = HintStr != L"secret!";
  }
};

}  // namespace

TEST(ActionLink, LinksAreToldBeforeTheActionStoresTheNewCaption) {
  TAction action(nullptr);
  action.SetCaption(L"Old");
  TFakeClient client{L"Old"};
  TFakeLink link(&client);
  link.SetAction(&action);
  action.SetCaption(L"New");
  EXPECT_EQ(client.actionCaptionSeenBySetter, L"Old");
}

TEST(ActionLink, ClientsFollowOnlyTheValuesTheyStillShare) {
  TAction action(nullptr);
  action.SetCaption(L"Save");
  TFakeClient linked{L"Save"};
  TFakeClient renamed{L"Store it"};
  TFakeLink a(&linked), b(&renamed);
  a.SetAction(&action);
  b.SetAction(&action);
  action.SetCaption(L"Save all");
  action.SetEnabled(false);
  action.SetChecked(true);
  EXPECT_EQ(linked.caption, L"Save all");
  EXPECT_EQ(renamed.caption, L"Store it");
  EXPECT_FALSE(linked.enabled);
  EXPECT_FALSE(renamed.enabled);
  EXPECT_TRUE(linked.checked);
  EXPECT_TRUE(renamed.checked);
}

TEST(ActionLink, ALinkLeavesItsActionAndAnActionItsLinks) {
  auto action = std::make_unique<TAction>(nullptr);
  TFakeClient client;
  {
    TFakeLink link(&client);
    link.SetAction(action.get());
  }
  EXPECT_EQ(action->ClientCount(), 0);

  // Moved to another action, a link leaves the first.
  TAction second(nullptr);
  TFakeLink moving(&client);
  moving.SetAction(action.get());
  moving.SetAction(&second);
  EXPECT_EQ(action->ClientCount(), 0);
  EXPECT_EQ(second.ClientCount(), 1);

  TFakeLink survivor(&client);
  survivor.SetAction(action.get());
  action.reset();
  EXPECT_EQ(survivor.Action(), nullptr);
  EXPECT_FALSE(survivor.Execute());
}

TEST(ActionLink, ExecuteNamesTheClientComponentWhileTheActionRuns) {
  Log log;
  TAction action(nullptr);
  action.SetOnExecute(TNotifyEvent(&log, &Log::Execute));
  TComponent client(nullptr);
  TFakeClient fake;
  TFakeLink link(&fake);
  link.SetAction(&action);
  EXPECT_TRUE(link.Execute(&client));
  EXPECT_EQ(log.componentDuringExecute, &client);
  EXPECT_EQ(action.ActionComponent(), nullptr);
}

TEST(Action, ExecuteUpdatesFirstAndADisabledActionDoesNothing) {
  Log log;
  TAction action(nullptr);
  action.SetOnExecute(TNotifyEvent(&log, &Log::Execute));
  action.OnUpdate = TNotifyEvent(&log, &Log::Update);
  EXPECT_TRUE(action.Execute());
  EXPECT_EQ(log.text, "ux");
  log.text.clear();
  log.enableOnUpdate = false;
  EXPECT_FALSE(action.Execute());
  EXPECT_EQ(log.text, "u");
  TAction idle(nullptr);  // without handlers nothing is done
  EXPECT_FALSE(idle.Execute());
  EXPECT_FALSE(idle.Update());
}

TEST(Action, TheListMayHandleExecuteAndUpdateFirst) {
  Log log;
  TActionList list(nullptr);
  auto* action = new TAction(&list);
  action->SetActionList(&list);
  action->SetOnExecute(TNotifyEvent(&log, &Log::Execute));
  action->OnUpdate = TNotifyEvent(&log, &Log::Update);
  list.OnExecute = TActionEvent(&log, &Log::ListExecute);
  list.OnUpdate = TActionEvent(&log, &Log::ListUpdate);
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(log.text, "luLx");
  log.text.clear();
  log.listHandles = true;
  EXPECT_TRUE(action->Execute());
  EXPECT_EQ(log.text, "lL");
}

TEST(Action, AutoCheckTogglesAndAGroupKeepsOneChecked) {
  TActionList list(nullptr);
  auto* plain = new TAction(&list);
  plain->SetActionList(&list);
  plain->SetAutoCheck(true);
  plain->Execute();
  EXPECT_TRUE(plain->Checked());
  plain->Execute();
  EXPECT_FALSE(plain->Checked());
  plain->Execute();

  auto* a = new TAction(&list);
  auto* b = new TAction(&list);
  auto* other = new TAction(&list);
  for (TAction* x : {a, b, other}) {
    x->SetActionList(&list);
    x->SetAutoCheck(true);
  }
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->Execute();
  a->Execute();
  b->Execute();
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(other->Checked());
  // An action of a group is checked by executing it, never unchecked.
  b->Execute();
  EXPECT_TRUE(b->Checked());
  // Joining a group while checked unchecks the group's checked member.
  other->SetGroupIndex(1);
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(other->Checked());
  // Group 0 is no group: its members are checked each on its own.
  auto* loose = new TAction(&list);
  loose->SetActionList(&list);
  loose->SetChecked(true);
  EXPECT_TRUE(plain->Checked());
}

TEST(Action, ANewExecuteHandlerIsPassedToTheLinks) {
  struct TExecuteLink : TActionLink {
    using TActionLink::TActionLink;
    TNotifyEvent seen;
    void SetOnExecute(const TNotifyEvent& v) override { seen = v; }
  };
  Log log;
  TAction action(nullptr);
  TExecuteLink link(nullptr);
  link.SetAction(&action);
  action.SetOnExecute(TNotifyEvent(&log, &Log::Execute2));
  EXPECT_TRUE(link.seen == TNotifyEvent(&log, &Log::Execute2));
}

TEST(Action, HintHandlerMayChangeOrVetoTheHint) {
  Log log;
  TAction action(nullptr);
  WideString hint = L"plain";
  EXPECT_TRUE(action.DoHint(hint));
  EXPECT_EQ(hint, L"plain");
  action.OnHint = TEvent<void(WideString&, bool&)>(&log, &Log::Hint);
  EXPECT_TRUE(action.DoHint(hint));
  EXPECT_EQ(hint, L"plain!");
  WideString secret = L"secret";
  EXPECT_FALSE(action.DoHint(secret));
}

TEST(ActionList, OrderIndexAndMembership) {
  TComponent form(nullptr);
  auto* list = new TActionList(&form);
  auto* a = new TAction(&form);
  auto* b = new TAction(&form);
  auto* c = new TAction(&form);
  for (TAction* x : {a, b, c}) x->SetActionList(list);
  c->SetIndex(0);
  EXPECT_EQ(list->Actions(0), c);
  EXPECT_EQ(a->Index(), 1);
  c->SetIndex(99);  // clamped to the last place
  EXPECT_EQ(list->Actions(2), c);
  EXPECT_THROW(list->Actions(3), EListError);
  EXPECT_THROW(list->Actions(-1), EListError);

  delete b;
  EXPECT_EQ(list->ActionCount(), 2);
  a->SetActionList(nullptr);
  EXPECT_EQ(a->Index(), -1);
  EXPECT_EQ(list->ActionCount(), 1);

  // The list's children are its actions (as form files write them).
  std::vector<TComponent*> children;
  list->GetChildren([&](TComponent* child) { children.push_back(child); }, &form);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0], c);

  // Freeing the list frees its actions; the form is left consistent.
  int before = form.ComponentCount();
  delete list;
  EXPECT_EQ(form.ComponentCount(), before - 2);
}

TEST(ActionList, ShortCutsRunTheFirstMatchingEnabledAction) {
  Log log;
  TActionList list(nullptr);
  auto* find = new TAction(&list);
  auto* again = new TAction(&list);
  for (TAction* x : {find, again}) x->SetActionList(&list);
  find->SetShortCut(TextToShortCut("Ctrl+F"));
  find->SetOnExecute(TNotifyEvent(&log, &Log::Execute));
  again->SetShortCut(TextToShortCut("F3"));
  again->SecondaryShortCuts()->Add("Ctrl+L");
  again->SecondaryShortCuts()->Add("nonsense");
  again->SetOnExecute(TNotifyEvent(&log, &Log::Execute2));

  EXPECT_TRUE(list.IsShortCut(TextToShortCut("ctrl+f")));
  EXPECT_TRUE(list.IsShortCut(TextToShortCut("Ctrl+L")));
  EXPECT_TRUE(list.IsShortCut(TextToShortCut("F3")));
  EXPECT_EQ(log.text, "xyy");
  EXPECT_FALSE(list.IsShortCut(TextToShortCut("Ctrl+Q")));
  EXPECT_FALSE(list.IsShortCut(TShortCut(0)));  // the unparsable secondary entry matches nothing
  again->SetEnabled(false);
  EXPECT_FALSE(list.IsShortCut(TextToShortCut("F3")));
}

TEST(ShortCutList, EntriesAreTextsAndShortCuts) {
  TShortCutList list;
  list.Add("Ctrl+F12");
  list.AddShortCut(ShortCut(VK_F2, {ssCtrl, ssAlt}));
  EXPECT_EQ(list.Strings(1), "Ctrl+Alt+F2");
  EXPECT_EQ(list.ShortCuts(0), ShortCut(VK_F12, {ssCtrl}));
  EXPECT_EQ(list.IndexOfShortCut(TextToShortCut("Alt+Ctrl+F2")), 1);
  EXPECT_EQ(list.IndexOfShortCut(TShortCut(0)), -1);
}

TEST(ActionUpdatePass, EachActionUpdatesOnceInAPass) {
  Log log;
  TAction action(nullptr);
  action.OnUpdate = TNotifyEvent(&log, &Log::Update);
  TFakeClient c1, c2;
  TFakeLink l1(&c1), l2(&c2);
  l1.SetAction(&action);
  l2.SetAction(&action);
  {
    TActionUpdatePass pass;
    l1.Update();
    l2.Update();
  }
  EXPECT_EQ(log.text, "u");
  l1.Update();
  l2.Update();
  EXPECT_EQ(log.text, "uuu");
}

TEST(ActionUpdatePass, OwnedActionListsUpdateTheirActions) {
  Log log;
  TComponent form(nullptr);
  auto* list = new TActionList(&form);
  auto* action = new TAction(&form);
  action->SetActionList(list);
  action->OnUpdate = TNotifyEvent(&log, &Log::Update);
  // A frame inside the form with its own list.
  auto* frame = new TComponent(&form);
  auto* frameList = new TActionList(frame);
  auto* frameAction = new TAction(frame);
  frameAction->SetActionList(frameList);
  frameAction->OnUpdate = TNotifyEvent(&log, &Log::Update);
  log.enableOnUpdate = false;
  {
    TActionUpdatePass pass;
    UpdateOwnedActions(&form);
    UpdateOwnedActions(&form);
  }
  EXPECT_EQ(log.text, "uu");
  EXPECT_FALSE(action->Enabled());
  EXPECT_FALSE(frameAction->Enabled());
}
