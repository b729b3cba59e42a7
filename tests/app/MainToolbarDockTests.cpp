// The main window's toolbars between their docks and floating: a toolbar docked again shows its
// grip and frame at once, wherever it lands; and what the main form writes of its toolbars.
#include "framework/Win.h"

#include "framework/FormFiles.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/TestPicture.h"
#include "tests/toolbars/BarDockTestSupport.h"
#include "themes/SkinToolbar.h"

namespace {

using MainToolbarDock = ShownWindowTest;

// The window, frame and all, as the screen shows it.
std::vector<uint32_t> WindowPixels(HWND Wnd) {
  RECT r{};
  GetWindowRect(Wnd, &r);
  TTestPicture picture(r.right - r.left, r.bottom - r.top);
  TWindowDC screen(nullptr);
  BitBlt(picture.DC(), 0, 0, picture.Width(), picture.Height(), screen.Get(), r.left, r.top, SRCCOPY);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) pixels.push_back(picture.At(x, y));
  return pixels;
}

void Settle() {
  for (int i = 0; i < 10; ++i) Application->ProcessMessages();
}

// Drags the floating toolbar by its caption until the mouse is at the point.
void DragCaptionTo(TSkinToolbar* T, TPoint P) {
  TBarFloatingWindowParent* frame = T->FloatingParent();
  RECT fr{};
  GetWindowRect(frame->Handle(), &fr);
  const TPoint b = T->GetFloatingBorderSize();
  DragFrom(frame->Handle(), HTBARCAPTION, {fr.left + b.X + 5, fr.top + b.Y + 3},
           {MoveMouseTo(P), PostToCapture(WM_LBUTTONUP)});
}

}  // namespace

TEST_F(MainToolbarDock, AToolbarDockedFromFloatingShowsItsGripAndFrameAtOnce) {
  TMenuSettings settings;
  TMainForm& form = Shown();
  for (TSkinDock* dock : form.ToolbarDocks()) dock->SetAllowDrag(true);
  Settle();
  TSkinToolbar* t = form.tlbrStandard;
  enum TWay { aboveTheMenuBar, belowTheTabs, doubleClick };
  const struct {
    TWay Way;
    const char* Name;
    TSkinDock* Dock;
  } cases[] = {{aboveTheMenuBar, "dragged above the menu bar", form.dckTop},
               {belowTheTabs, "dragged below the tabs", form.dckTabBar},
               {doubleClick, "double click", form.dckTabBar}};
  for (const auto& c : cases) {
    t->DoubleClick();
    Settle();
    ASSERT_TRUE(t->Floating()) << c.Name;
    RECT dock{};
    GetWindowRect(c.Dock->Handle(), &dock);
    switch (c.Way) {
      case aboveTheMenuBar: DragCaptionTo(t, {dock.left + 300, dock.top - 3}); break;
      case belowTheTabs: DragCaptionTo(t, {dock.left + 100, dock.bottom - 3}); break;
      case doubleClick: t->DoubleClick(); break;
    }
    Settle();
    ASSERT_EQ(t->CurrentDock(), c.Dock) << c.Name;
    EXPECT_EQ(t->ClientWidth(), t->Width() - 10) << c.Name;  // the ring and the grip
    EXPECT_EQ(t->ClientHeight(), t->Height() - 4) << c.Name;
    const std::vector<uint32_t> shown = WindowPixels(t->Handle());
    RedrawWindow(t->Handle(), nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(DifferingPixels(shown, WindowPixels(t->Handle())), 0u) << c.Name;
  }
}

// The main form written to a form file names each toolbar's last dock, and nothing of the frame
// the tab bar has from its construction.
TEST_F(MainToolbarDock, TheMainFormWritesTheLastDocksAndNotTheTabBarsOwnFrame) {
  TMainForm& form = Shown();
  const std::string text = WriteComponentToText(&form);
  auto section = [&](const std::string& Name) {
    const size_t from = text.find("object " + Name + ":");
    return from == std::string::npos ? std::string() : text.substr(from, text.find("\n    end", from) - from);
  };
  const struct {
    const char* Toolbar;
    const char* LastDock;
  } toolbars[] = {{"tlbrTabBar", "dckTabBar"}, {"tlbrMainMenu", "dckTop"}, {"tlbrStandard", "dckTop"}};
  for (const auto& t : toolbars)
    EXPECT_NE(section(t.Toolbar).find(std::string("LastDock = ") + t.LastDock + "\n"), std::string::npos) << t.Toolbar;
  for (const char* name : {"BorderStyle", "DragHandleStyle"})
    EXPECT_EQ(section("tlbrTabBar").find(name), std::string::npos) << name;
}
