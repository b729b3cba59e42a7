// Accessibility objects asked the way a screen reader asks them.
#include <gtest/gtest.h>

#include "tests/toolbars/BarDockTestSupport.h"
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

IAccessible* Child(IAccessible* A, long I) {
  IDispatch* d = nullptr;
  if (A->get_accChild(Id(I), &d) != S_OK || !d) return nullptr;
  IAccessible* acc = nullptr;
  d->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&acc));
  d->Release();
  return acc;
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
