// The main toolbar draws each command in the state its update gave it, as a full repaint of the
// toolbar draws it, at the next paint and without the mouse passing over it: typing, selecting,
// an Alt+letter of the menu bar and new documents in a row; and the dock beside it, after the
// window was narrowed and widened.
#include "framework/Win.h"

#include <functional>

#include "editor/TxtEditKeyCmds.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/TestPicture.h"
#include "themes/SkinToolbar.h"

using MainToolbar = ShownWindowTest;

TEST_F(MainToolbar, ButtonsShowTheStateOfTheirCommandsAtTheNextPaint) {
  TMainForm& form = Shown();
  const HWND bar = form.tlbrStandard->Handle();
  auto type = [&](const char* Text) {
    for (const char* c = Text; *c; ++c)
      form.ActiveDocument()->Frame()->edtDocument->CommandProcessor(ecChar, *c, nullptr);
  };
  const struct {
    const char* Name;
    std::function<void()> Step;
  } steps[] = {
      {"typed", [&] { type("hello world"); }},
      {"selected", [&] { form.ActiveDocument()->Frame()->edtDocument->SelectAll(); }},
      {"new document", [&] { form.Commands->Action("actnCreateNew")->Execute(); }},
      {"typed in it", [&] { type("abc def"); }},
      {"Alt+E", [&] { form.Perform(CM_DIALOGCHAR, L'e', 0); }},
      {"selected in it", [&] { form.ActiveDocument()->Frame()->edtDocument->SelectAll(); }},
      {"another new document", [&] { form.Commands->Action("actnCreateNew")->Execute(); }},
  };
  // The last step leaves Cut, Copy, Undo and Redo disabled, as the Edit menu shows them.
  for (const auto& s : steps) {
    s.Step();
    form.UpdateActions();
    UpdateWindow(bar);
    const std::vector<uint32_t> shown = ClientPixels(bar);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(DifferingPixels(shown, ClientPixels(bar)), 0u) << s.Name;
  }
}

// The top dock right of the main toolbar's last button, as shown after the window was narrowed
// and widened by the program, and again after later work, is what a whole repaint shows.
TEST_F(MainToolbar, TheDockRightOfTheLastButtonIsPaintedWholeAfterAShrinkAndAGrow) {
  TMainForm& form = Shown();
  const HWND dock = form.dckTop->Handle();
  auto settle = [] {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  };
  // The pixels of the toolbar's row right of the toolbar, across the dock's client area.
  auto rightOfToolbar = [&] {
    UpdateWindow(form.Handle());
    RECT r{};
    GetClientRect(dock, &r);
    TTestPicture p(r.right, r.bottom);
    BitBlt(p.DC(), 0, 0, r.right, r.bottom, TWindowDC(dock).Get(), 0, 0, SRCCOPY);
    std::vector<uint32_t> pixels;
    const TRect bar = form.tlbrStandard->BoundsRect();
    for (int y = bar.Top; y < bar.Bottom; ++y)
      for (int x = bar.Right; x < r.right; ++x) pixels.push_back(p.At(x, y));
    return pixels;
  };
  const struct { int Narrow, Wide; } cases[] = {{500, 900}, {480, 800}, {700, 1000}, {600, 601}};
  for (const auto& c : cases) {
    form.SetBounds(form.Left(), form.Top(), 800, 500);
    settle();
    form.SetBounds(form.Left(), form.Top(), c.Narrow, 500);
    settle();
    form.SetBounds(form.Left(), form.Top(), c.Wide, 500);
    settle();
    const std::vector<uint32_t> shown = rightOfToolbar();
    ASSERT_FALSE(shown.empty()) << c.Wide;
    form.Commands->Action("actnCreateNew")->Execute();  // later work
    form.UpdateActions();
    settle();
    EXPECT_EQ(DifferingPixels(rightOfToolbar(), shown), 0u) << c.Narrow << " " << c.Wide << " after later work";
    RedrawWindow(dock, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(DifferingPixels(shown, rightOfToolbar()), 0u) << c.Narrow << " " << c.Wide;
  }
}
