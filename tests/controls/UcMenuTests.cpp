// Unicode menu items: shortcut texts, hot keys, native captions and owner drawing.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/UcActnList.h"
#include "controls/UcMenus.h"
#include "framework/Bitmap.h"
#include "tests/framework/Joined.h"

namespace {
const WideString Open = L"\x041E\x0442\x043A\x0440\x044B\x0442\x044C";  // Открыть
const WideString Greek = L"\x0391\x03C1\x03C7\x03B5\x03AF\x03BF";       // Αρχείο

TShortCut Keys(Word Key, uint16_t Modifiers) { return TShortCut(Key | Modifiers); }

WideString NativeText(HMENU Menu, int Position) {
  wchar_t buffer[256] = {};
  int n = GetMenuStringW(Menu, static_cast<UINT>(Position), buffer, 256, MF_BYPOSITION);
  return WideString(buffer, static_cast<size_t>(std::max(n, 0)));
}
}  // namespace

TEST(UcShortCutText, ModifiersInTheirOrderThenTheKey) {
  EXPECT_EQ(Joined({Keys('K', scCtrl | scShift), Keys(VK_F5, scAlt), Keys('7', scAlt | scCtrl), Keys(VK_DELETE, 0),
                    Keys(VK_RETURN, scCtrl), Keys(VK_BACK, scAlt)},
                   [](TShortCut s) { return ShortCutToWideText(s); }),
            "Shift+Ctrl+K|Alt+F5|Ctrl+Alt+7|Del|Ctrl+Enter|Alt+BkSp");
  // The framework's names are the ones of its own table keys.
  EXPECT_EQ(ShortCutToWideText(Keys(VK_NEXT, scCtrl)), ShortCutToText(Keys(VK_NEXT, scCtrl)));
}

TEST(UcHotKey, StripRemovesEachMarkAndKeepsADoubledOne) {
  auto strip = [](bool FarEast) { return [=](const wchar_t* c) { return StripMenuHotKeys(c, FarEast); }; };
  EXPECT_EQ(Joined({L"Save &As...", L"Fish && Chips", L"Open (&O)", L"end&", L"&&&x"}, strip(false)),
            "Save As...|Fish & Chips|Open (O)|end|&x");
  // A far-eastern mark in brackets goes with its brackets.
  EXPECT_EQ(Joined({L"Open (&O)", L"(&O) first", L"Open (&OX)"}, strip(true)), "Open | first|Open (OX)");
}

TEST(UcHotKey, CaptionsCompareWithoutTheirMarks) {
  EXPECT_TRUE(SameMenuCaption(L"&" + Open, Open) && SameMenuCaption(L"&File", L"fi&le"));
  EXPECT_TRUE(!SameMenuCaptionExact(L"&File", L"fi&le") && SameMenuCaptionExact(L"&File", L"Fi&le"));
  EXPECT_FALSE(SameMenuCaption(L"File", L"Files"));
  WideString destination = L"Fi&le";
  SyncHotKeyPosition(L"&File", destination);
  EXPECT_EQ(destination, L"&File");
  destination = L"Other";
  SyncHotKeyPosition(L"&File", destination);
  EXPECT_EQ(destination, L"Other");
}

class UcMenu : public ShownForm {};

TEST_F(UcMenu, PopupEntriesShowTheShortcutAndMenuBarEntriesDoNot) {
  auto* menu = new TMainMenu(form);
  auto* top = new TUcMenuItem(menu);
  top->SetCaption(Greek);
  top->SetShortCut(Keys('G', scCtrl));
  menu->Items()->Add(top);
  auto* sub = new TUcMenuItem(menu);
  sub->SetCaption(Open);
  sub->SetShortCut(Keys('O', scCtrl | scShift));
  top->Add(sub);
  auto* plain = new TUcMenuItem(menu);
  plain->SetCaption(Greek);
  top->Add(plain);
  EXPECT_EQ(NativeText(menu->Handle(), 0), Greek);
  EXPECT_EQ(NativeText(top->Handle(), 1), Greek);
  sub->SetCaption(Greek + Open);
  EXPECT_EQ(NativeText(top->Handle(), 0), Greek + Open + L"\tShift+Ctrl+O");
}

TEST_F(UcMenu, ActionGivesItsCaptionUnlessTheItemHasOne) {
  TUcAction action(form);
  action.SetCaption(L"&" + Open);
  action.SetHint(Greek);
  auto* popup = new TPopupMenu(form);
  auto* item = new TUcMenuItem(popup);
  popup->Items()->Add(item);
  item->SetAction(&action);
  EXPECT_TRUE(item->Caption() == L"&" + Open && item->Hint() == Greek);
  EXPECT_EQ(item->ActionLink()->ClassName(), "TUcMenuActionLink");
  // A caption with its hot key elsewhere is still the action's.
  item->SetCaption(Open.substr(0, 1) + L"&" + Open.substr(1));
  action.SetCaption(Greek);
  EXPECT_EQ(item->Caption(), Greek);
  item->SetAction(nullptr);
}

TEST_F(UcMenu, OwnerDrawnItemDrawsItsTextAndShortcut) {
  auto* popup = new TPopupMenu(form);
  popup->SetOwnerDraw(true);
  auto* item = new TUcMenuItem(popup);
  item->SetCaption(Open);
  popup->Items()->Add(item);
  TBitmap bitmap;
  bitmap.SetSize(220, 20);
  TCanvas* canvas = bitmap.Canvas();
  int width = 0, height = 0;
  item->MeasureItem(canvas, width, height);
  int plainWidth = width;
  item->SetShortCut(Keys('O', scCtrl));
  item->MeasureItem(canvas, width, height);
  EXPECT_GT(width, plainWidth + canvas->TextWidth(WideString(L"Ctrl+O")));
  item->AdvancedDrawItem(canvas, TRect(0, 0, 220, 20), TOwnerDrawState(), false);
  // The caption is drawn after the glyph area, the shortcut ends 10 pixels inside the edge.
  auto inked = [&](int x1, int x2) {
    bool any = false;
    for (int x = x1; x < x2; ++x)
      for (int y = 0; y < 20; ++y) any = any || canvas->Pixels(x, y) != canvas->Pixels(0, 0);
    return any;
  };
  EXPECT_FALSE(inked(0, 6));
  EXPECT_TRUE(inked(6, 6 + canvas->TextWidth(Open)));
  EXPECT_TRUE(inked(220 - 10 - canvas->TextWidth(WideString(L"Ctrl+O")), 210));
  EXPECT_FALSE(inked(211, 220));
}

// Beside its sub-menu's arrow an item off the menu bar shows its shortcut too, and measures room for it.
TEST_F(UcMenu, AnItemWithASubMenuMeasuresAndDrawsItsShortcutToo) {
  auto* popup = new TPopupMenu(form);
  popup->SetOwnerDraw(true);
  TBitmap bitmap;
  bitmap.SetSize(220, 20);
  TCanvas* canvas = bitmap.Canvas();
  const WideString keys = ShortCutToWideText(Keys('K', scCtrl | scShift));
  for (int subItems : {0, 1, 2}) {
    auto* item = new TUcMenuItem(popup);
    item->SetCaption(Open);
    popup->Items()->Add(item);
    for (int i = 0; i < subItems; ++i) item->Add(new TUcMenuItem(popup));
    int plainWidth = 0, width = 0, height = 0;
    item->MeasureItem(canvas, plainWidth, height);
    item->SetShortCut(Keys('K', scCtrl | scShift));
    item->MeasureItem(canvas, width, height);
    EXPECT_GE(width, plainWidth + canvas->TextWidth(keys) + 20) << subItems;
    item->AdvancedDrawItem(canvas, TRect(0, 0, 220, 20), TOwnerDrawState(), false);
    const TColor background = canvas->Pixels(0, 0);
    bool inked = false;
    for (int x = 220 - 10 - canvas->TextWidth(keys); x < 210; ++x)
      for (int y = 0; y < 20; ++y) inked = inked || canvas->Pixels(x, y) != background;
    EXPECT_TRUE(inked) << subItems;
  }
}

TEST_F(UcMenu, SelectedPopupItemGivesTheApplicationItsLongHint) {
  auto* popup = new TPopupMenu(form);
  auto* item = new TUcMenuItem(popup);
  item->SetCaption(Open);
  item->SetHint(Open + L"|" + Greek);
  popup->Items()->Add(item);
  HMENU menu = popup->Handle();
  SendMessageW(PopupList().Window(), WM_MENUSELECT, MAKEWPARAM(item->Command(), MF_HILITE),
               reinterpret_cast<LPARAM>(menu));
  EXPECT_EQ(Application->Hint(), Greek);
}
