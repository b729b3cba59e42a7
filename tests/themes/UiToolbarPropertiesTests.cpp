// The themed toolbar publishes the dockable window's properties: a form file sets them, and a
// form written back names only those that differ from their defaults.
#include <gtest/gtest.h>

#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "themes/SkinToolbar.h"

namespace {

std::string DockedToolbarForm(const std::string& Lines) {
  return "object F: TForm\n"
         "  object Top: TSkinDock\n"
         "    object Bar: TSkinToolbar\n" +
         Lines +
         "    end\n"
         "  end\n"
         "  object Side: TSkinDock\n"
         "    Position = dpLeft\n"
         "    object Other: TSkinToolbar\n"
         "      object Item: TSkinItem\n"
         "      end\n"
         "    end\n"
         "  end\n"
         "end\n";
}

}  // namespace

TEST(UiToolbarProperties, TheDockableWindowsPropertiesAreReadAndWrittenBack) {
  RegisterSkinClasses();
  const char* const names[] = {"ActivateParent", "AutoResize", "BorderStyle",     "CurrentDock",  "DefaultDock",
                               "DockableTo",     "DockMode",   "DragHandleStyle", "FloatingMode", "LastDock"};
  const struct {
    const char* Line;  // as the form file holds it, "" for none
    std::function<bool(TSkinToolbar*, TForm*)> Holds;
  } cases[] = {
      {"",
       [](TSkinToolbar* B, TForm* F) {
         return B->ActivateParent() && B->AutoResize() && B->BorderStyle() == bsSingle && !B->DefaultDock() &&
                B->DockableTo() == TBarDockableTo{dpTop, dpBottom, dpLeft, dpRight} && B->DockMode() == dmCanFloat &&
                B->DragHandleStyle() == dhSingle && B->FloatingMode() == fmOnTopOfParentForm &&
                B->CurrentDock() == F->FindComponent("Top") && B->LastDock() == F->FindComponent("Top");
       }},
      {"ActivateParent = False", [](TSkinToolbar* B, TForm*) { return !B->ActivateParent(); }},
      {"AutoResize = False", [](TSkinToolbar* B, TForm*) { return !B->AutoResize(); }},
      {"BorderStyle = bsNone", [](TSkinToolbar* B, TForm*) { return B->BorderStyle() == bsNone; }},
      {"DefaultDock = Side", [](TSkinToolbar* B, TForm* F) { return B->DefaultDock() == F->FindComponent("Side"); }},
      {"DockableTo = [dpTop, dpLeft]",
       [](TSkinToolbar* B, TForm*) {
         return B->DockableTo() == TBarDockableTo{dpTop, dpLeft};
       }},
      {"DockMode = dmCannotFloat", [](TSkinToolbar* B, TForm*) { return B->DockMode() == dmCannotFloat; }},
      {"DragHandleStyle = dhDouble", [](TSkinToolbar* B, TForm*) { return B->DragHandleStyle() == dhDouble; }},
      {"FloatingMode = fmOnTopOfAllForms",
       [](TSkinToolbar* B, TForm*) { return B->FloatingMode() == fmOnTopOfAllForms; }},
      {"UseLastDock = False", [](TSkinToolbar* B, TForm*) { return !B->LastDock(); }},
      {"LinkSubitems = Item",
       [](TSkinToolbar* B, TForm* F) { return B->LinkSubitems() && B->LinkSubitems() == F->FindComponent("Item"); }},
  };
  for (const auto& c : cases) {
    TForm form(nullptr, CreateNew);
    const std::string line = *c.Line ? std::string("      ") + c.Line + "\n" : std::string();
    ReadComponentFromText(DockedToolbarForm(line), &form);
    auto* bar = dynamic_cast<TSkinToolbar*>(form.FindComponent("Bar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(c.Holds(bar, &form)) << c.Line;
    const std::string written = WriteComponentToText(&form);
    if (*c.Line) {
      EXPECT_NE(written.find(line), std::string::npos) << c.Line << "\n" << written;
    }
    // The dock it sits in is its parent in the file; the last dock is written while kept.
    const bool usesLastDock = bar->UseLastDock();
    EXPECT_EQ(written.find("      LastDock = Top\n") != std::string::npos, usesLastDock) << c.Line;
    for (const char* name : names) {
      if (std::string(c.Line).rfind(name, 0) == 0 || std::string(name) == "LastDock") continue;
      EXPECT_EQ(written.find(std::string(" ") + name + " = "), std::string::npos) << name << " with " << c.Line;
    }
  }
}

// The hint follows the item under the mouse: a form keeps none.
TEST(UiToolbarProperties, TheHintIsNotWritten) {
  TForm form(nullptr, CreateNew);
  auto* bar = new TUiToolbar(&form);
  bar->SetName("Bar");
  bar->SetHint(L"Open a file");
  EXPECT_EQ(WriteComponentToText(bar).find("Open a file"), std::string::npos);
}
