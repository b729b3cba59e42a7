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
    Form.Show();
  }
  TForm Form;
  TSkinTitleBar* Bar;
};

TEST(SkinTitleBar, ButtonsAreItemsWithTheirGlyphs) {
  TTitleForm f;
  TSkinTitleBarButtonOptions* o = f.Bar->Options();
  ASSERT_EQ(f.Bar->Items()->Count(), 5);  // caption, spacer, minimize, maximize, close
  EXPECT_EQ(o->CaptionItem()->Caption(), f.Form.Caption());
  const struct {
    TSkinItem* Button;
    TWindowState State;
    int Glyph;
  } cases[] = {{o->CloseItem(), wsNormal, 0},
               {o->MaximizeItem(), wsNormal, 1},
               {o->MinimizeItem(), wsNormal, 2},
               {o->MaximizeItem(), wsMaximized, 3}};
  TCustomImageList* list = nullptr;
  int index = -1;
  for (const auto& c : cases) {
    f.Form.SetWindowState(c.State);
    o->ButtonImage(c.Button, list, index);
    EXPECT_EQ(std::pair(list, index), std::pair(SkinGlyphs(), c.Glyph));
  }
  f.Form.SetWindowState(wsNormal);
  TImageList own(nullptr);  // an image of its own wins over the glyph
  f.Bar->SetImages(&own);
  o->SetCloseImageIndex(5);
  o->ButtonImage(o->CloseItem(), list, index);
  EXPECT_TRUE(list == &own && index == 5);
  f.Bar->SetImages(nullptr);
  o->SetMinimize(false);  // the items are made again
  EXPECT_EQ(f.Bar->Items()->Count(), 4);
}

TEST(SkinTitleBar, BorderPointsGiveSizingCommands) {
  TTitleForm f;
  const int w = f.Bar->Width(), h = f.Bar->Height();
  const struct {
    TPoint P;
    int Edge;
    TCursor Cursor;
  } cases[] = {{{1, 1}, WMSZ_TOPLEFT, crSizeNWSE},        {{w - 1, 0}, WMSZ_TOPRIGHT, crSizeNESW},
               {{0, h - 2}, WMSZ_BOTTOMLEFT, crSizeNESW}, {{w - 2, h - 1}, WMSZ_BOTTOMRIGHT, crSizeNWSE},
               {{2, h / 2}, WMSZ_LEFT, crSizeWE},         {{w - 3, h / 2}, WMSZ_RIGHT, crSizeWE},
               {{w / 2, 0}, WMSZ_TOP, crSizeNS},          {{w / 2, h - 1}, WMSZ_BOTTOM, crSizeNS},
               {{w / 2, h / 2}, -SC_SIZE, crDefault}};
  for (const auto& c : cases) {
    TCursor cursor = crArrow;
    EXPECT_EQ(f.Bar->SizingCommandAt(c.P, &cursor), SC_SIZE + c.Edge) << c.P.X << "," << c.P.Y;
    EXPECT_EQ(cursor, c.Cursor) << c.P.X << "," << c.P.Y;
  }
  f.Bar->SetFixedSize(true);
  EXPECT_EQ(f.Bar->SizingCommandAt({0, 0}), 0);
  f.Bar->SetFixedSize(false);
  f.Form.SetWindowState(wsMaximized);
  EXPECT_EQ(f.Bar->SizingCommandAt({0, 0}), 0);
}

TEST(SkinTitleBar, ButtonsAndAltSpaceRunTheirWindowCommands) {
  TTitleForm f;
  EXPECT_TRUE(GetWindowLongW(f.Form.Handle(), GWL_STYLE) & WS_SYSMENU);
  f.Bar->Options()->MaximizeItem()->Click();
  EXPECT_EQ(f.Form.WindowState(), wsMaximized);
  f.Bar->Options()->MaximizeItem()->Click();
  EXPECT_EQ(f.Form.WindowState(), wsNormal);
  struct TSeen {
    int Items = 0;
    void Popup(TObject*, TSkinPopupMenu* Menu) { Items = Menu->Items()->Count(); }
  } seen;
  f.Bar->OnSystemMenuPopup = TSkinSystemMenuPopupEvent(&seen, &TSeen::Popup);
  PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
  f.Form.Perform(WM_SYSCOMMAND, SC_KEYMENU, L' ');
  EXPECT_GT(seen.Items, 3);
  f.Bar->Options()->CloseItem()->Click();
  EXPECT_FALSE(f.Form.Visible());
}

}  // namespace

// A compound bar follows its dock's height whatever its alignment; the title bar, covering its form, does not.
TEST(SkinTitleBar, OnlyOtherCompoundBarsFollowTheirDocksHeight) {
  TTitleForm f;
  EXPECT_FALSE(f.Bar->Dock()->OnResize);
  for (TAlign align : {alTop, alClient}) {
    TSkinCompoundBar bar(nullptr);
    bar.SetAlign(align);
    bar.SetHeight(100);
    ASSERT_TRUE(bar.Dock()->OnResize);
    ASSERT_NE(bar.Dock()->Height(), 100);
    bar.Dock()->OnResize(bar.Dock());
    EXPECT_EQ(bar.Height(), bar.Dock()->Height()) << align;
  }
}
