// Accessibility objects asked the way a screen reader asks them.
#include <gtest/gtest.h>

#include "tests/common/LoadErrorMode.h"
#include "tests/common/TestCopy.h"
#include "tests/toolbars/BarDockTestSupport.h"
#include "tests/toolbars/BarPopupTestSupport.h"
#include "toolbars/BarAcc.h"

namespace {

VARIANT Id(long I) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = I;
  return v;
}

long Role(IAccessible* A, long Child = CHILDID_SELF) {
  VARIANT r;
  VariantInit(&r);
  return A->get_accRole(Id(Child), &r) == S_OK ? r.lVal : -1;
}

WideString Name(IAccessible* A,
                HRESULT (STDMETHODCALLTYPE IAccessible::*Get)(VARIANT, BSTR*) = &IAccessible::get_accName) {
  BSTR b = nullptr;
  (A->*Get)(Id(CHILDID_SELF), &b);
  WideString s = b ? WideString(b, SysStringLen(b)) : WideString();
  SysFreeString(b);
  return s;
}

long State(IAccessible* A) {
  VARIANT r;
  VariantInit(&r);
  return A->get_accState(Id(CHILDID_SELF), &r) == S_OK ? r.lVal : -1;
}

IAccessible* FromWindow(HWND Wnd) {
  using TFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  static auto fromWindow = reinterpret_cast<TFromWindow>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
  IAccessible* acc = nullptr;
  if (fromWindow(Wnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&acc)) != S_OK) return nullptr;
  return acc;
}

// The object a navigation or hit test handed back, as IAccessible (null for S_FALSE or a child id).
IAccessible* Dispatched(HRESULT Hr, VARIANT& V) {
  if (Hr != S_OK || V.vt != VT_DISPATCH || !V.pdispVal) return nullptr;
  IAccessible* acc = nullptr;
  V.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&acc));
  V.pdispVal->Release();
  return acc;
}

IAccessible* Navigate(IAccessible* A, long Dir) {
  VARIANT v;
  VariantInit(&v);
  return Dispatched(A->accNavigate(Dir, Id(CHILDID_SELF), &v), v);
}

IAccessible* Child(IAccessible* A, long I) {
  IDispatch* d = nullptr;
  if (A->get_accChild(Id(I), &d) != S_OK || !d) return nullptr;
  IAccessible* acc = nullptr;
  d->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&acc));
  d->Release();
  return acc;
}

// What method M (value, description, help, topic, put name, put value, action, select) answers, any text freed.
HRESULT Ask(IAccessible* A, int M, long C) {
  BSTR b = nullptr;
  long topic = 0;
  const HRESULT r = M == 0   ? A->get_accValue(Id(C), &b)
                    : M == 1 ? A->get_accDescription(Id(C), &b)
                    : M == 2 ? A->get_accHelp(Id(C), &b)
                    : M == 3 ? A->get_accHelpTopic(&b, Id(C), &topic)
                    : M == 4 ? A->put_accName(Id(C), nullptr)
                    : M == 5 ? A->put_accValue(Id(C), nullptr)
                    : M == 6 ? A->accDoDefaultAction(Id(C))
                             : A->accSelect(SELFLAG_TAKEFOCUS, Id(C));
  SysFreeString(b);
  return r;
}

}  // namespace

TEST(BarAcc, ToolbarsAndTheirButtonsAnswerScreenReaders) {
  InitBarAccessibility();
  ASSERT_TRUE(BarAccessibilityAvailable());
  TDockForm f;
  auto* t = f.Toolbar("T", 0, f.Top);
  for (const wchar_t* c : {L"&Save", L"Print", L"&Open"}) {
    auto* item = new TSizedItem(40, 22, 0, c);
    f.Items.emplace_back(item);
    t->Items()->Add(item);
  }
  t->Items()->Items(1)->SetEnabled(false);
  t->Items()->Items(2)->SetChecked(true);
  f.Show();
  IAccessible* acc = nullptr;
  using TFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  auto fromWindow = reinterpret_cast<TFromWindow>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
  ASSERT_EQ(fromWindow(t->Handle(), OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&acc)), S_OK);
  ASSERT_TRUE(acc);
  EXPECT_EQ(Role(acc), ROLE_SYSTEM_TOOLBAR);
  long count = 0;
  acc->get_accChildCount(&count);
  EXPECT_EQ(count, 3);
  IAccessible* save = Child(acc, 1);
  IAccessible* print = Child(acc, 2);
  IAccessible* open = Child(acc, 3);
  ASSERT_TRUE(save && print && open);
  EXPECT_EQ(Child(acc, 4), nullptr);
  EXPECT_EQ(Name(save), L"Save");
  EXPECT_EQ(Role(save), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_FALSE(Name(save, &IAccessible::get_accKeyboardShortcut).empty());
  EXPECT_EQ(Name(save, &IAccessible::get_accKeyboardShortcut).back(), L's');
  VARIANT state;
  print->get_accState(Id(CHILDID_SELF), &state);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_UNAVAILABLE);
  EXPECT_EQ(Name(print, &IAccessible::get_accDefaultAction), L"");
  EXPECT_EQ(print->accDoDefaultAction(Id(CHILDID_SELF)), E_FAIL);
  open->get_accState(Id(CHILDID_SELF), &state);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_CHECKED);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSABLE);
  EXPECT_EQ(save->get_accName(Id(1), nullptr), E_INVALIDARG);
  // Navigation and where things are.
  VARIANT next;
  ASSERT_EQ(save->accNavigate(NAVDIR_NEXT, Id(CHILDID_SELF), &next), S_OK);
  EXPECT_EQ(next.vt, VT_DISPATCH);
  if (next.vt == VT_DISPATCH) next.pdispVal->Release();
  long l, tp, w, h;
  ASSERT_EQ(open->accLocation(&l, &tp, &w, &h, Id(CHILDID_SELF)), S_OK);
  EXPECT_EQ(w, 40);
  VARIANT hit;
  EXPECT_EQ(acc->accHitTest(l + 2, tp + 2, &hit), S_OK);
  EXPECT_EQ(hit.vt, VT_DISPATCH);
  if (hit.vt == VT_DISPATCH) hit.pdispVal->Release();
  EXPECT_EQ(acc->accHitTest(l + 2000, tp, &hit), S_FALSE);
  // The menu bar names the Alt key as its shortcut.
  t->SetMenuBar(true);
  EXPECT_EQ(Role(acc), ROLE_SYSTEM_MENUBAR);
  EXPECT_EQ(Name(acc, &IAccessible::get_accKeyboardShortcut), BarAltKeyName());
  EXPECT_EQ(Role(save), ROLE_SYSTEM_MENUITEM);
  t->SetMenuBar(false);
  // A client that holds the objects after the toolbar is gone gets E_FAIL.
  for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
  delete t;
  EXPECT_EQ(acc->get_accChildCount(&count), E_FAIL);
  EXPECT_EQ(save->get_accName(Id(CHILDID_SELF), nullptr), E_FAIL);
  for (IAccessible* a : {save, print, open, acc}) a->Release();
  EXPECT_EQ(BarViewAccObjectCount(), 0);
}

// A popup menu seen by a screen reader while it is open: the popup window answers with its
// view's object, whose children are the menu's items; a sub-menu hangs below the item that
// opened it, and its default action runs the chosen item.
TEST(BarAcc, PopupMenusAndTheirItemsAnswerScreenReaders) {
  InitBarAccessibility();
  ASSERT_TRUE(BarAccessibilityAvailable());
  TMenuSettings settings;
  TBarRootItem root(nullptr);
  TSizedItem *open = MenuItem(L"&Open"), *one = MenuItem(L"O&ne"), *two = MenuItem(L"&Two");
  TSizedItem *recent = MenuItem(L"&Recent", {one, two}), *quit = MenuItem(L"&Quit");
  open->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
  quit->SetEnabled(false);
  two->SetChecked(true);
  for (TBarCustomItem* i : std::initializer_list<TBarCustomItem*>{open, recent, new TSizedSeparator(6), quit})
    root.Add(i);
  struct TSeen {
    long Role = 0, Count = 0, State = 0;
    WideString Name, Key, Action;
  };
  std::vector<TSeen> seen;  // the root popup, its four items, the sub-menu, its two items
  std::vector<std::wstring> nav;
  HRESULT disabledRun = S_OK, chose = E_FAIL;
  bool parentIsOpener = false, windowGivesSameView = false;
  auto see = [&](IAccessible* A) {
    VARIANT role;
    VariantInit(&role);
    A->get_accRole(Id(CHILDID_SELF), &role);
    long count = -1;
    A->get_accChildCount(&count);
    seen.push_back({role.lVal, count, State(A), Name(A), Name(A, &IAccessible::get_accKeyboardShortcut),
                    Name(A, &IAccessible::get_accDefaultAction)});
  };
  TMenuScript script({
      [&] { return PostKey(VK_DOWN) && PostKey(VK_DOWN) && PostKey(VK_RIGHT); },
      [&] { return OpenMenus().size() == 2; },
      [&] {
        IAccessible* menu = FromWindow(OpenMenus()[0]->Window()->Handle());
        IAccessible* opener = menu ? Child(menu, 2) : nullptr;
        IAccessible* sub = opener ? Child(opener, 1) : nullptr;
        if (!sub) {  // not the menu's own objects: close the menu and let the checks below fail
          for (IAccessible* a : {opener, menu})
            if (a) a->Release();
          return PostKey(VK_ESCAPE) && PostKey(VK_ESCAPE);
        }
        see(menu);
        for (long i = 1; i <= 4; ++i)
          if (IAccessible* item = Child(menu, i)) see(item), item->Release();
        see(sub);
        for (long i = 1; i <= 2; ++i)
          if (IAccessible* item = Child(sub, i)) see(item), item->Release();
        IDispatch* parent = nullptr;
        sub->get_accParent(&parent);
        parentIsOpener = parent == static_cast<IDispatch*>(opener);
        if (parent) parent->Release();
        IAccessible* subFromWindow = FromWindow(OpenMenus()[1]->Window()->Handle());
        windowGivesSameView = subFromWindow == sub;
        if (subFromWindow) subFromWindow->Release();
        // Walks: first and last child of the menu, next and previous item, past the first.
        IAccessible* first = Navigate(menu, NAVDIR_FIRSTCHILD);
        IAccessible* last = Navigate(menu, NAVDIR_LASTCHILD);
        IAccessible* next = first ? Navigate(first, NAVDIR_NEXT) : nullptr;
        IAccessible* back = next ? Navigate(next, NAVDIR_PREVIOUS) : nullptr;
        IAccessible* before = first ? Navigate(first, NAVDIR_PREVIOUS) : nullptr;
        IAccessible* down = Navigate(opener, NAVDIR_FIRSTCHILD);
        for (IAccessible* a : {first, last, next, back, before, down}) {
          nav.push_back(a ? Name(a) : L"-");
          if (a) a->Release();
        }
        if (IAccessible* disabled = Child(menu, 4)) {
          disabledRun = disabled->accDoDefaultAction(Id(CHILDID_SELF));
          disabled->Release();
        }
        IAccessible* chosen = Child(sub, 2);
        chose = chosen ? chosen->accDoDefaultAction(Id(CHILDID_SELF)) : E_FAIL;
        for (IAccessible* a : {chosen, sub, opener, menu})
          if (a) a->Release();
        if (chose != S_OK) PostKey(VK_ESCAPE), PostKey(VK_ESCAPE);
        return true;
      },
  });
  EXPECT_EQ(root.ShowPopup(300, 200, false, 0, true), two);
  ASSERT_EQ(script.Next, script.Steps.size());
  const long sel = STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE;
  struct Row {
    long Role, Count, State;
    const wchar_t *Name, *Key, *Action;
  } expected[] = {
      {ROLE_SYSTEM_MENUPOPUP, 4, 0, L"", L"", L""},
      {ROLE_SYSTEM_MENUITEM, 0, STATE_SYSTEM_FOCUSABLE, L"Open\tCtrl+O", L"o", L"Execute"},
      {ROLE_SYSTEM_MENUITEM, 1, sel | STATE_SYSTEM_HASPOPUP, L"Recent", L"r", L"Close"},
      {ROLE_SYSTEM_SEPARATOR, 0, STATE_SYSTEM_UNAVAILABLE, L"", L"", L""},
      {ROLE_SYSTEM_MENUITEM, 0, STATE_SYSTEM_UNAVAILABLE, L"Quit", L"q", L""},
      {ROLE_SYSTEM_MENUPOPUP, 2, 0, L"Recent", L"", L""},
      {ROLE_SYSTEM_MENUITEM, 0, sel, L"One", L"n", L"Execute"},
      {ROLE_SYSTEM_MENUITEM, 0, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, L"Two", L"t", L"Execute"},
  };
  ASSERT_EQ(seen.size(), std::size(expected));
  for (size_t i = 0; i < seen.size(); ++i) {
    const Row& e = expected[i];
    EXPECT_EQ(seen[i].Role, e.Role) << i;
    EXPECT_EQ(seen[i].Count, e.Count) << i;
    EXPECT_EQ(seen[i].State, e.State) << i;
    EXPECT_EQ(seen[i].Name, e.Name) << i;
    EXPECT_EQ(seen[i].Key, e.Key) << i;
    EXPECT_EQ(seen[i].Action, e.Action) << i;
  }
  EXPECT_EQ(nav, (std::vector<std::wstring>{L"Open\tCtrl+O", L"Quit", L"Recent", L"Open\tCtrl+O", L"-", L"Recent"}));
  EXPECT_TRUE(parentIsOpener);
  EXPECT_TRUE(windowGivesSameView);
  EXPECT_EQ(disabledRun, E_FAIL);
  EXPECT_EQ(chose, S_OK);
  EXPECT_TRUE(OpenMenus().empty());
  EXPECT_EQ(BarViewAccObjectCount(), 0);
}

// Only the object itself is answered for; a hosted control's window object is a numbered child, not walked to.
TEST(BarAcc, OnlyTheObjectItselfIsAnsweredForAndNavigationGivesTheViewersOwnObjects) {
  InitBarAccessibility();
  ASSERT_TRUE(BarAccessibilityAvailable());
  TDockForm f;
  auto* t = f.Toolbar("T", 1, f.Top);
  auto* edit = new TCustomControl(&f.Form);
  edit->SetBounds(0, 0, 50, 20);
  edit->SetParent(t);
  f.Show();
  ASSERT_EQ(t->Items()->Count(), 2);
  IAccessible* view = FromWindow(t->Handle());
  ASSERT_TRUE(view);
  IAccessible* button = Child(view, 1);
  ASSERT_TRUE(button);
  const HRESULT ofView[] = {S_FALSE, S_FALSE, S_FALSE, S_FALSE, S_FALSE, S_FALSE, S_FALSE, DISP_E_MEMBERNOTFOUND};
  const HRESULT ofViewer[] = {S_FALSE, S_FALSE, S_FALSE, S_FALSE, S_FALSE, S_FALSE, S_OK, S_OK};
  for (int m = 0; m < 8; ++m) {
    EXPECT_EQ(std::tuple(Ask(view, m, 1), Ask(button, m, 1), Ask(view, m, CHILDID_SELF), Ask(button, m, CHILDID_SELF)),
              std::tuple(E_INVALIDARG, E_INVALIDARG, ofView[m], ofViewer[m]))
        << m;
  }
  // The hosted control: its window's object as the second child, a client of the view when walked to.
  IAccessible* window = Child(view, 2);
  ASSERT_TRUE(window);
  EXPECT_NE(Role(window), ROLE_SYSTEM_CLIENT);
  IAccessible* walked[] = {Navigate(view, NAVDIR_LASTCHILD), Navigate(button, NAVDIR_NEXT)};
  for (IAccessible* a : walked) {
    ASSERT_TRUE(a);
    EXPECT_EQ(Role(a), ROLE_SYSTEM_CLIENT);
    IDispatch* parent = nullptr;
    EXPECT_EQ(std::tuple(a->get_accParent(&parent), parent), std::tuple(S_OK, static_cast<IDispatch*>(view)));
    if (parent) parent->Release();
    a->Release();
  }
  // Selection asks for the focus, of an item that can take it.
  EXPECT_EQ(button->accSelect(SELFLAG_TAKESELECTION, Id(CHILDID_SELF)), E_INVALIDARG);
  t->Items()->Items(0)->SetEnabled(false);
  EXPECT_EQ(button->accSelect(SELFLAG_TAKEFOCUS, Id(CHILDID_SELF)), E_FAIL);
  for (IAccessible* a : {window, button, view}) a->Release();
  edit->SetParent(nullptr);
  delete edit;
}

// Run only as the copy of the test below, where nothing has loaded the library yet.
TEST(BarAccCopy, DISABLED_LoadsTheLibrary) {
  ASSERT_EQ(GetModuleHandleW(L"oleacc.dll"), nullptr) << "loaded before";
  TLoadErrorMode seen(L"oleacc.dll");
  ASSERT_TRUE(seen.Watching());
  UINT callers = SetErrorMode(SEM_NOGPFAULTERRORBOX);
  EXPECT_TRUE(BarAccessibilityAvailable());
  UINT after = SetErrorMode(callers);
  EXPECT_EQ(std::tuple(seen.Seen, seen.Mode, after),
            std::tuple(true, UINT(SEM_NOOPENFILEERRORBOX), UINT(SEM_NOGPFAULTERRORBOX)));
}

// The accessibility library is loaded with only the box about a missing file kept away.
TEST(BarAcc, TheLibraryIsLoadedWithOnlyTheMissingFileBoxKeptAway) {
  EXPECT_EQ(RunTestInCopy(L"BarAccCopy.DISABLED_LoadsTheLibrary"), 0u);
}
