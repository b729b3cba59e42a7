// The main window's toolbars between their docks and floating, and what the main form writes.
#include "framework/Win.h"

#include "framework/FormFiles.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/toolbars/BarDockTestSupport.h"
#include "themes/SkinToolbar.h"

using MainToolbarDock = ShownWindowTest;

// A toolbar docked again from floating shows its grip and frame at once, wherever it lands.
TEST_F(MainToolbarDock, AToolbarDockedFromFloatingShowsItsGripAndFrameAtOnce) {
  TMenuSettings settings;
  TMainForm& form = Shown();
  for (TSkinDock* dock : form.ToolbarDocks()) dock->SetAllowDrag(true);
  TSkinToolbar* t = form.tlbrStandard;
  // The window, frame and all, as the screen shows it.
  auto shown = [t] {
    RECT r{};
    GetWindowRect(t->Handle(), &r);
    return ScreenPixels({r.left, r.top, r.right, r.bottom});
  };
  // Dragged by the caption to X right of the dock's left, 3 above its top or bottom; X 0: no drag.
  const struct {
    const char* Name;
    TSkinDock* Dock;
    int X;
    bool Top;
  } cases[] = {{"dragged above the menu bar", form.dckTop, 300, true},
               {"dragged below the tabs", form.dckTabBar, 100, false},
               {"double click", form.dckTabBar, 0, false}};
  for (int i = 0; i < 10; ++i) Application->ProcessMessages();
  for (const auto& c : cases) {
    t->DoubleClick();
    for (int i = 0; i < 10; ++i) Application->ProcessMessages();
    ASSERT_TRUE(t->Floating()) << c.Name;
    RECT dock{}, frame{};
    GetWindowRect(c.Dock->Handle(), &dock);
    GetWindowRect(t->FloatingParent()->Handle(), &frame);
    const TPoint border = t->GetFloatingBorderSize();
    if (c.X)
      DragFrom(t->FloatingParent()->Handle(), HTBARCAPTION, {frame.left + border.X + 5, frame.top + border.Y + 3},
               {MoveMouseTo({dock.left + c.X, (c.Top ? dock.top : dock.bottom) - 3}), PostToCapture(WM_LBUTTONUP)});
    else
      t->DoubleClick();
    for (int i = 0; i < 10; ++i) Application->ProcessMessages();
    ASSERT_EQ(t->CurrentDock(), c.Dock) << c.Name;
    EXPECT_EQ(t->ClientWidth(), t->Width() - 10) << c.Name;  // the ring and the grip
    EXPECT_EQ(t->ClientHeight(), t->Height() - 4) << c.Name;
    const std::vector<DWORD> before = shown();
    RedrawWindow(t->Handle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(before == shown()) << c.Name;
  }
}

// The main form's file names each toolbar's last dock, not the tab bar's frame from construction.
TEST_F(MainToolbarDock, TheMainFormWritesTheLastDocksAndNotTheTabBarsOwnFrame) {
  const std::string text = WriteComponentToText(&Shown());
  auto section = [&](const std::string& Name) {
    const size_t from = text.find("object " + Name + ":");
    return from == std::string::npos ? std::string() : text.substr(from, text.find("\n    end", from) - from);
  };
  for (auto [toolbar, dock] :
       {std::pair{"tlbrTabBar", "dckTabBar"}, {"tlbrMainMenu", "dckTop"}, {"tlbrStandard", "dckTop"}})
    EXPECT_NE(section(toolbar).find(std::string("LastDock = ") + dock + "\n"), std::string::npos) << toolbar;
  for (const char* name : {"BorderStyle", "DragHandleStyle"})
    EXPECT_EQ(section("tlbrTabBar").find(name), std::string::npos) << name;
}
