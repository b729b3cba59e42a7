// The skinned title bar by itself: its button items and glyphs, sizing from its border, the
// window buttons' commands and the themed system menu.
#include <gtest/gtest.h>

#include "framework/Forms.h"
#include "tests/framework/MessagePump.h"
#include "themes/SkinTitleBar.h"

namespace {

struct TTitleForm {
  TTitleForm() : Form(nullptr, CreateNew) {
    Form.SetBounds(30, 30, 320, 200);
    Form.SetCaption(L"\x0417\x0430\x0433\x043E\x043B\x043E\x0432\x043E\x043A");
    Bar = new TSkinTitleBar(&Form);
    Bar->SetParent(&Form);
  }
  ~TTitleForm() {
    TSkinToolbar* t = Bar->Toolbar();
    for (int k = t->Items()->Count(); k-- > 0;) t->Items()->Delete(k);
  }
  TForm Form;
  TSkinTitleBar* Bar;
};

TEST(SkinTitleBar, ButtonsAreItemsWithTheirGlyphs) {
  TTitleForm f;
  TSkinTitleBarButtonOptions* o = f.Bar->Options();
  TBarRootItem* items = f.Bar->Items();
  ASSERT_EQ(items->Count(), 5);
  EXPECT_EQ(items->Items(0), o->CaptionItem());
  EXPECT_NE(dynamic_cast<TSkinRightAlignSpacerItem*>(items->Items(1)), nullptr);
  EXPECT_EQ(items->Items(2), o->MinimizeItem());
  EXPECT_EQ(items->Items(4), o->CloseItem());
  EXPECT_EQ(o->CaptionItem()->Caption(), f.Form.Caption());
  EXPECT_EQ(o->CaptionItem()->FontSettings()->Bold(), tsTrue);
  EXPECT_EQ(o->CaptionItem()->Wrapping(), twEndEllipsis);
  for (TSkinItem* b : {o->MinimizeItem(), o->MaximizeItem(), o->CloseItem()}) {
    EXPECT_EQ(b->CustomWidth(), 17);
    EXPECT_EQ(b->CustomHeight(), 17);
    EXPECT_EQ(b->DisplayMode(), nbdmImageAndText);
  }
  const struct {
    TSkinItem* (TSkinTitleBarButtonOptions::*Button)() const;
    bool Maximized;
    int Glyph;
  } cases[] = {{&TSkinTitleBarButtonOptions::CloseItem, false, 0},
               {&TSkinTitleBarButtonOptions::MaximizeItem, false, 1},
               {&TSkinTitleBarButtonOptions::MinimizeItem, false, 2},
               {&TSkinTitleBarButtonOptions::MaximizeItem, true, 3}};
  f.Form.Show();
  for (const auto& c : cases) {
    f.Form.SetWindowState(c.Maximized ? wsMaximized : wsNormal);
    TCustomImageList* list = nullptr;
    int index = -1;
    o->ButtonImage((o->*c.Button)(), list, index);
    EXPECT_EQ(list, SkinGlyphs());
    EXPECT_EQ(index, c.Glyph);
  }
  f.Form.SetWindowState(wsNormal);
  // An image of its own, from the bar's list, wins over the glyph.
  TImageList own(nullptr);
  f.Bar->SetImages(&own);
  o->SetCloseImageIndex(5);
  TCustomImageList* list = nullptr;
  int index = -1;
  o->ButtonImage(o->CloseItem(), list, index);
  EXPECT_EQ(list, &own);
  EXPECT_EQ(index, 5);
  f.Bar->SetImages(nullptr);
  o->SetMinimize(false);
  o->SetTitleBarSize(22);
  EXPECT_EQ(items->Count(), 4);
  EXPECT_EQ(o->MinimizeItem(), nullptr);
  EXPECT_EQ(o->CloseItem()->CustomHeight(), 22);
}

TEST(SkinTitleBar, BorderPointsGiveSizingCommands) {
  TTitleForm f;
  f.Form.Show();
  PumpMessagesFor(20);
  const int w = f.Bar->Width(), h = f.Bar->Height();
  const struct {
    TPoint P;
    int Command;
    TCursor Cursor;
  } cases[] = {{{1, 1}, SC_SIZE + WMSZ_TOPLEFT, crSizeNWSE},
               {{w - 1, 0}, SC_SIZE + WMSZ_TOPRIGHT, crSizeNESW},
               {{0, h - 2}, SC_SIZE + WMSZ_BOTTOMLEFT, crSizeNESW},
               {{w - 2, h - 1}, SC_SIZE + WMSZ_BOTTOMRIGHT, crSizeNWSE},
               {{2, h / 2}, SC_SIZE + WMSZ_LEFT, crSizeWE},
               {{w - 3, h / 2}, SC_SIZE + WMSZ_RIGHT, crSizeWE},
               {{w / 2, 0}, SC_SIZE + WMSZ_TOP, crSizeNS},
               {{w / 2, h - 1}, SC_SIZE + WMSZ_BOTTOM, crSizeNS},
               {{w / 2, h / 2}, 0, crDefault}};
  for (const auto& c : cases) {
    TCursor cursor = crArrow;
    EXPECT_EQ(f.Bar->SizingCommandAt(c.P, &cursor), c.Command) << c.P.X << "," << c.P.Y;
    EXPECT_EQ(cursor, c.Cursor) << c.P.X << "," << c.P.Y;
  }
  EXPECT_EQ(SC_SIZE + WMSZ_BOTTOMRIGHT, 61448);
  f.Bar->SetFixedSize(true);
  EXPECT_EQ(f.Bar->SizingCommandAt({0, 0}), 0);
  f.Bar->SetFixedSize(false);
  f.Form.SetWindowState(wsMaximized);
  EXPECT_EQ(f.Bar->SizingCommandAt({0, 0}), 0);
  f.Form.SetWindowState(wsNormal);
}

TEST(SkinTitleBar, ButtonsRunTheirWindowCommands) {
  TTitleForm f;
  f.Form.Show();
  PumpMessagesFor(20);
  EXPECT_TRUE(GetWindowLongW(f.Form.Handle(), GWL_STYLE) & WS_SYSMENU);
  f.Bar->Options()->MaximizeItem()->Click();
  EXPECT_EQ(f.Form.WindowState(), wsMaximized);
  f.Bar->Options()->MaximizeItem()->Click();
  EXPECT_EQ(f.Form.WindowState(), wsNormal);
  f.Bar->Options()->MinimizeItem()->Click();
  PumpMessagesFor(20);
  EXPECT_TRUE(IsIconic(f.Form.Handle()));
  ShowWindow(f.Form.Handle(), SW_RESTORE);
  f.Bar->Options()->CloseItem()->Click();
  PumpMessagesFor(20);
  EXPECT_FALSE(f.Form.Visible());
}

TEST(SkinTitleBar, AltSpaceShowsTheThemedSystemMenu) {
  TTitleForm f;
  f.Form.Show();
  PumpMessagesFor(20);
  struct TSeen {
    int Items = 0;
    void Popup(TObject*, TSkinPopupMenu* Menu) { Items = Menu->Items()->Count(); }
  } seen;
  f.Bar->OnSystemMenuPopup = TSkinSystemMenuPopupEvent(&seen, &TSeen::Popup);
  PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
  f.Form.Perform(WM_SYSCOMMAND, SC_KEYMENU, L' ');
  EXPECT_GT(seen.Items, 3);
  f.Bar->SetActive(false);
  seen.Items = 0;
  f.Form.Perform(WM_SYSCOMMAND, SC_KEYMENU, L'x');  // other keys are the form's own
  EXPECT_EQ(seen.Items, 0);
}

}  // namespace
