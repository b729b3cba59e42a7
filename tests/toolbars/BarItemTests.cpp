// The item tree: sub-items, notifications, options, captions, actions and shortcuts.
#include <gtest/gtest.h>

#include "framework/Actions.h"
#include "tests/framework/MessagePump.h"
#include "tests/framework/Raised.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarDeferredClick.h"

HV_PUBLISH(TPublishedItem) { PublishChosenItemProperties(p, AllBarItemProperties); }

namespace {

struct Clicks {
  std::vector<std::string> Log;
  void Click(TObject* Sender) { Log.push_back("click " + static_cast<TComponent*>(Sender)->Name()); }
  void Popup(TBarCustomItem* Sender, bool FromLink) {
    Log.push_back("popup " + Sender->Name() + (FromLink ? " link" : ""));
  }
};

TBarCustomItem* Named(TComponent* Owner, const char* Name, TBarCustomItem* Parent = nullptr) {
  auto* item = new TBarCustomItem(Owner);
  item->SetName(Name);
  if (Parent) Parent->Add(item);
  return item;
}

}  // namespace

TEST(BarItem, IndexErrorsAndDoubleInsertionChangeNothing) {
  TBarRootItem root(nullptr), other(nullptr);
  auto* a = new TBarCustomItem(nullptr);
  root.Add(a);
  auto* b = new TBarCustomItem(nullptr);
  EXPECT_EQ(Raised<EBarItemError>([&] { other.Add(a); }), "Toolbar item already inserted");
  EXPECT_EQ(Raised<EBarItemError>([&] { root.Insert(2, b); }), "Toolbar item index out of range");
  EXPECT_EQ(Raised<EBarItemError>([&] { a->Add(&root); }), "Toolbar item already inserted");  // no circles
  EXPECT_EQ(Raised<EBarItemError>([&] { root.Items(1); }), "Toolbar item index out of range");
  EXPECT_EQ(Raised<EBarItemError>([&] { root.Delete(-1); }), "Toolbar item index out of range");
  EXPECT_EQ(Raised<EBarItemError>([&] { root.Move(0, 1); }), "Toolbar item index out of range");
  EXPECT_EQ(root.Count(), 1);
  EXPECT_EQ(b->Parent(), nullptr);
  root.Insert(1, b);  // at Count appends
  EXPECT_EQ(root.IndexOf(b), 1);
  root.Move(1, 0);
  EXPECT_EQ(root.Items(0), b);
  root.Remove(b);
  EXPECT_EQ(b->Parent(), nullptr);
  delete b;
  delete a;
  EXPECT_EQ(root.Count(), 0);
}

TEST(BarItem, InsertDeleteAndChangesReachTheListenersInOrder) {
  TBarRootItem root(nullptr);
  TChangeLog log;
  root.RegisterNotification(log.Proc());
  auto* a = new TBarCustomItem(nullptr);
  root.Add(a);
  a->SetCaption(L"A");
  a->SetEnabled(false);
  a->SetImageIndex(2);  // from no image: resize
  a->SetImageIndex(3);  // image to image: repaint
  a->SetChecked(true);
  a->SetVisible(false);
  a->SetName("a");
  a->SetName("a");
  root.Delete(0);
  EXPECT_EQ(log.Text(),
            "tbicSubitemsBeginUpdate -1, tbicInserted 0, tbicSubitemsEndUpdate -1, tbicInvalidateAndResize -1, "
            "tbicInvalidate -1, tbicInvalidateAndResize -1, tbicInvalidate -1, tbicInvalidate -1, "
            "tbicInvalidateAndResize -1, tbicNameChanged 0, tbicDeleting 0");
  delete a;
}

TEST(BarItem, NotificationsRelayThroughEmbeddedGroupsAndLinks) {
  TBarRootItem root(nullptr), shared(nullptr);
  TSizedItem group(1, 1, tbisInlineGroup);
  root.Add(&group);
  TChangeLog rootLog;
  root.RegisterNotification(rootLog.Proc());
  group.SetLinkSubitems(&shared);  // the group shows the shared items
  rootLog.Entries.clear();
  auto* a = new TBarCustomItem(nullptr);
  shared.Add(a);
  EXPECT_EQ(rootLog.Text(),
            "tbicSubitemsBeginUpdate -1 relayed, tbicInserted 0 relayed, tbicSubitemsEndUpdate -1 relayed");
  delete a;
  root.Remove(&group);
}

TEST(BarItem, ListenerThatLeavesDuringTheCallDoesNotMakeTheNextOneMissed) {
  TBarRootItem root(nullptr);
  struct Leaver {
    TBarRootItem* Root;
    int Calls = 0;
    void Handler(TBarCustomItem*, bool, TBarItemChangedAction, int, TBarCustomItem*) {
      ++Calls;
      Root->UnregisterNotification(TBarItemChangeHandler(this, &Leaver::Handler));
    }
  } leaver{&root};
  TChangeLog second;
  root.RegisterNotification(TBarItemChangeHandler(&leaver, &Leaver::Handler));
  root.RegisterNotification(second.Proc());
  root.RegisterNotification(second.Proc());  // counted, not listed twice
  TSizedItem a(1, 1);
  root.Add(&a);
  EXPECT_EQ(leaver.Calls, 1);
  EXPECT_EQ(second.Entries.size(), 3u);
  root.UnregisterNotification(second.Proc());
  a.Invalidate();
  EXPECT_EQ(second.Entries.size(), 4u);
  root.UnregisterNotification(second.Proc());
  a.Invalidate();
  EXPECT_EQ(second.Entries.size(), 4u);
  root.Remove(&a);
}

TEST(BarItem, CheckingARadioItemUnchecksItsGroupOnly) {
  TBarRootItem root(nullptr);
  TSizedItem a(1, 1), b(1, 1), c(1, 1), d(1, 1);
  for (TBarCustomItem* i : {&a, &b, &c, &d}) root.Add(i);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  c.SetGroupIndex(2);
  for (TBarCustomItem* i : {&a, &c, &d}) i->SetChecked(true);
  b.SetChecked(true);
  EXPECT_FALSE(a.Checked());
  EXPECT_TRUE(c.Checked());
  EXPECT_TRUE(d.Checked());
  d.SetGroupIndex(0);
  c.SetGroupIndex(1);  // a checked item joining a group unchecks the group
  EXPECT_FALSE(b.Checked());
  for (TBarCustomItem* i : {&a, &b, &c, &d}) root.Remove(i);
}

TEST(BarItem, EffectiveOptionsInheritMaskAndDropToolbarSizeWithoutToolbarStyle) {
  TBarRootItem root(nullptr);
  TSizedItem child(1, 1), grandchild(1, 1);
  root.Add(&child);
  child.Add(&grandchild);
  root.SetOptions({tboDefault, tboShowHint, tboToolbarSize});
  EXPECT_EQ(root.Options(), (TBarItemOptions{tboDefault, tboShowHint}));
  EXPECT_EQ(child.EffectiveOptions(), (TBarItemOptions{tboShowHint}));  // tboDefault is not inherited
  child.SetOptions({tboToolbarStyle, tboToolbarSize});
  EXPECT_EQ(grandchild.EffectiveOptions(), (TBarItemOptions{tboShowHint, tboToolbarStyle, tboToolbarSize}));
  grandchild.SetMaskOptions({tboToolbarStyle});
  EXPECT_EQ(grandchild.EffectiveOptions(), (TBarItemOptions{tboShowHint}));
  grandchild.SetInheritOptions(false);
  EXPECT_TRUE(grandchild.EffectiveOptions().Empty());
  child.Remove(&grandchild);
  root.Remove(&child);
}

TEST(BarItem, ShortCutTextComesFromTheCaptionAfterTheTabOrFromTheShortCut) {
  TSizedItem item(1, 1);
  item.SetShortCut(ShortCut('S', {ssCtrl}));
  const struct {
    const wchar_t* Caption;
    const wchar_t* Text;
  } cases[] = {{L"&Save\tCtrl+Shift+S", L"Ctrl+Shift+S"}, {L"&Save\t", L"Ctrl+S"}, {L"&Save", L"Ctrl+S"}};
  for (const auto& c : cases) {
    item.SetCaption(c.Caption);
    EXPECT_EQ(item.GetShortCutText(), c.Text);
  }
  item.SetShortCut(TShortCut(0));
  EXPECT_EQ(item.GetShortCutText(), L"");
}

TEST(BarItem, LinkToItselfCountsAsNoLinkAndALinkedItemThatGoesIsForgotten) {
  TSizedItem item(1, 1);
  item.SetLinkSubitems(&item);
  EXPECT_EQ(item.LinkSubitems(), nullptr);
  auto* target = new TBarRootItem(nullptr);
  item.SetLinkSubitems(target);
  EXPECT_EQ(item.GetItemsWithLink(), target);
  delete target;
  EXPECT_EQ(item.LinkSubitems(), nullptr);
}

TEST(BarItem, ActionLinkCopiesTheActionAndLinksOnlyEqualValues) {
  TAction action(nullptr);
  action.SetCaption(L"&Copy");
  action.SetShortCut(ShortCut('C', {ssCtrl}));
  TSizedItem item(1, 1);
  Clicks clicks;
  action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::Click));
  action.SetName("actCopy");
  item.SetAction(&action);
  EXPECT_EQ(item.Caption(), L"&Copy");
  EXPECT_EQ(item.ShortCut(), action.ShortCut());
  action.SetCaption(L"C&opy");
  EXPECT_EQ(item.Caption(), L"C&opy");
  EXPECT_TRUE(item.ActionLink()->IsCaptionLinked());
  item.SetCaption(L"Mine");
  EXPECT_FALSE(item.ActionLink()->IsCaptionLinked());
  EXPECT_TRUE(item.ActionLink()->IsOnExecuteLinked());
  item.DoClick();
  EXPECT_EQ(clicks.Log, std::vector<std::string>{"click actCopy"});
  item.SetAction(nullptr);
  EXPECT_EQ(item.Action(), nullptr);
}

TEST(BarItem, ClickRunsTheItemsOwnHandlerWhenItDiffersFromTheAction) {
  TAction action(nullptr);
  action.SetName("act");
  Clicks clicks;
  action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::Click));
  TBarCustomItem item(nullptr);
  item.SetName("item");
  item.SetAction(&action);
  item.OnClick =
      TNotifyEvent::FromFunction([](void* c, TObject*) { static_cast<Clicks*>(c)->Log.push_back("own"); }, &clicks);
  item.SetAutoCheck(true);
  item.DoClick();
  EXPECT_EQ(clicks.Log, std::vector<std::string>{"own"});
  EXPECT_TRUE(item.Checked());  // the action does not link AutoCheck: the item toggles itself
  item.SetEnabled(false);
  item.DoClick();
  EXPECT_EQ(clicks.Log.size(), 1u);
}

TEST(BarItem, ShortCutSearchFindsTheItemAndItsTopmostParent) {
  TComponent owner(nullptr);
  TBarRootItem root(nullptr);
  TBarCustomItem* file = Named(&owner, "file", &root);
  TBarCustomItem* recent = Named(&owner, "recent", file);
  TBarCustomItem* clear = Named(&owner, "clear", recent);
  TBarCustomItem* quit = Named(&owner, "quit", &root);
  clear->SetShortCut(ShortCut(VK_DELETE, {ssCtrl}));
  quit->SetShortCut(ShortCut('Q', {ssCtrl}));
  TBarCustomItem* top = nullptr;
  EXPECT_EQ(root.FindByShortCut(clear->ShortCut(), top), clear);
  EXPECT_EQ(top, file);
  EXPECT_EQ(root.FindByShortCut(quit->ShortCut(), top), quit);
  EXPECT_EQ(top, nullptr);
  EXPECT_EQ(root.FindByShortCut(TShortCut(0), top), nullptr);  // items without a shortcut are no match
  // Links are followed, and a circle of links ends the search.
  TBarRootItem menu(nullptr);
  menu.SetLinkSubitems(&root);
  EXPECT_EQ(menu.FindByShortCut(quit->ShortCut(), top), quit);
  TBarRootItem loopA(nullptr), loopB(nullptr);
  TBarCustomItem* inA = Named(&owner, "inA", &loopA);
  inA->SetLinkSubitems(&loopB);
  TBarCustomItem* inB = Named(&owner, "inB", &loopB);
  inB->SetLinkSubitems(&loopA);
  EXPECT_EQ(loopA.FindByShortCut(quit->ShortCut(), top), nullptr);
}

TEST(BarItem, ShortCutDispatchPopsUpThePathAndClicksAnEnabledItem) {
  TComponent owner(nullptr);
  TBarRootItem root(nullptr);
  root.SetName("root");
  TBarCustomItem* edit = Named(&owner, "edit", &root);
  TBarCustomItem* copy = Named(&owner, "copy", edit);
  copy->SetShortCut(ShortCut('C', {ssCtrl}));
  Clicks clicks;
  for (TBarCustomItem* i : {static_cast<TBarCustomItem*>(&root), edit, copy}) {
    i->OnClick = TNotifyEvent(&clicks, &Clicks::Click);
    i->OnPopup = TBarPopupEvent(&clicks, &Clicks::Popup);
  }
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  TWMKey key;
  key.CharCode = 'C';
  EXPECT_TRUE(root.DispatchShortCut(key));
  EXPECT_EQ(clicks.Log,
            (std::vector<std::string>{"popup root", "click root", "popup edit", "click edit", "click copy"}));
  copy->SetEnabled(false);
  EXPECT_FALSE(root.DispatchShortCut(key));
  copy->SetEnabled(true);
  edit->SetEnabled(false);
  clicks.Log.clear();
  EXPECT_FALSE(root.DispatchShortCut(key));
  EXPECT_EQ(clicks.Log.size(), 2u);  // the root popped up, then the disabled level stopped the walk
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

TEST(BarItem, ShortCutDispatchGivesUpWhenPopupHandlersKeepChangingTheTree) {
  TComponent owner(nullptr);
  TBarRootItem root(nullptr);
  TBarCustomItem* one = Named(&owner, "one", &root);
  TBarCustomItem* two = Named(&owner, "two", &root);
  TBarCustomItem* target = Named(&owner, "target", one);
  target->SetShortCut(ShortCut(VK_F5, {}));
  // Each menu that pops up hands the item to the other one, so every repeated search fails.
  struct Mover {
    TBarCustomItem *One, *Two, *Target;
    int Popups = 0;
    void Popup(TBarCustomItem* Sender, bool) {
      ++Popups;
      Sender->Remove(Target);
      (Sender == One ? Two : One)->Add(Target);
    }
  } mover{one, two, target};
  one->OnPopup = two->OnPopup = TBarPopupEvent(&mover, &Mover::Popup);
  TWMKey key;
  key.CharCode = VK_F5;
  EXPECT_FALSE(root.DispatchShortCut(key));
  EXPECT_GT(mover.Popups, 1);
  EXPECT_LE(mover.Popups, 30);
}

// A designed item runs its own click handler rather than its action, and a designed tree's
// shortcut dispatch brings no action up to date.
TEST(BarItem, ADesignedItemNeitherExecutesItsActionNorUpdatesActions) {
  for (bool designing : {false, true}) {
    TComponent owner(nullptr);
    TAction action(nullptr);
    action.SetName("act");
    Clicks clicks;
    int updates = 0;
    action.SetOnExecute(TNotifyEvent(&clicks, &Clicks::Click));
    action.OnUpdate = TNotifyEvent::FromFunction([](void* n, TObject*) { ++*static_cast<int*>(n); }, &updates);
    TBarRootItem root(nullptr);
    TBarCustomItem* refresh = Named(&owner, "refresh", &root);
    refresh->SetAction(&action);
    refresh->SetShortCut(ShortCut(VK_F5, {}));
    root.SetDesigning(designing);
    refresh->SetDesigning(designing);
    TWMKey key;
    key.CharCode = VK_F5;
    EXPECT_TRUE(root.DispatchShortCut(key)) << designing;
    EXPECT_EQ(clicks.Log, std::vector<std::string>{designing ? "click refresh" : "click act"});
    EXPECT_EQ(updates > 0, !designing);
  }
}

TEST(BarItem, ControlItemFreesItsControlUnlessToldToKeepIt) {
  for (bool keep : {false, true}) {
    TComponent owner(nullptr);
    auto* control = new TControl(&owner);
    {
      TBarControlItem item(nullptr, control);
      item.SetDontFreeControl(keep);
    }
    EXPECT_EQ(owner.ComponentCount(), keep ? 1 : 0);
  }
  TBarControlItem item(nullptr);
  item.SetControl(new TControl(nullptr));
  delete item.Control();
  EXPECT_EQ(item.Control(), nullptr);
}

TEST(BarDeferredClick, WithdrawnClickDoesNothingAndItsSlotIsNotReusedWhileQueued) {
  Clicks clicks;
  auto* a = new TBarCustomItem(nullptr);
  a->SetName("a");
  TBarCustomItem b(nullptr);
  b.SetName("b");
  for (TBarCustomItem* i : {a, &b}) i->OnClick = TNotifyEvent(&clicks, &Clicks::Click);
  DispatchPendingMessages();
  QueueClick(a, 0);
  delete a;  // withdraws its click
  constexpr UINT Marker = WM_APP + 7;
  PostThreadMessageW(GetCurrentThreadId(), Marker, 0, 0);
  QueueClick(&b, 0);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == Marker && !msg.hwnd)
      clicks.Log.push_back("marker");
    else
      DispatchMessageW(&msg);
  }
  // b's click comes with its own message, after the marker, not with the stale one before it.
  EXPECT_EQ(clicks.Log, (std::vector<std::string>{"marker", "click b"}));
  EXPECT_EQ(DeferredClickSlotCount(), 0);
}

TEST(BarItem, FormFilesPlaceItemsInsideTheComponentThatHoldsTheRoot) {
  struct Holder : TComponent, IBarItemsHolder {
    Holder() : TComponent(nullptr) { Root.SetParentComponentLink(this); }
    TBarCustomItem* GetItems() override { return &Root; }
    TBarRootItem Root{nullptr};
  } holder;
  TSizedItem a(1, 1), b(1, 1);
  a.SetParentComponent(&holder);
  EXPECT_EQ(a.Parent(), &holder.Root);
  EXPECT_EQ(a.GetParentComponent(), &holder);
  b.SetParentComponent(&a);
  EXPECT_EQ(b.GetParentComponent(), &a);
  a.Remove(&b);
  holder.Root.Remove(&a);
}

TEST(BarItem, ImageListsThatGoAreForgottenAndSizeChangesResize) {
  TBarRootItem root(nullptr);
  TSizedItem item(1, 1);
  root.Add(&item);
  TChangeLog log;
  root.RegisterNotification(log.Proc());
  auto* images = new TImageList(nullptr);
  item.SetImages(images);  // 16 x 16 after none: resize
  TImageList same(nullptr);
  item.SetImages(&same);  // another list of the same size: repaint
  item.SetImages(images);
  images->SetWidth(20);
  delete images;
  EXPECT_EQ(item.Images(), nullptr);
  EXPECT_EQ(log.Text(),
            "tbicInvalidateAndResize -1, tbicInvalidate -1, tbicInvalidate -1, tbicInvalidateAndResize -1, "
            "tbicInvalidateAndResize -1");
  root.Remove(&item);
}
