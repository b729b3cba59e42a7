// The main toolbar draws each command in the state its update gave it, as a full repaint of the
// toolbar draws it, at the next paint and without the mouse passing over it: typing, selecting,
// an Alt+letter of the menu bar and new documents in a row.
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
