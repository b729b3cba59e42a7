// The themed toolbar's dockable-window properties: read from form files, written back only away from their defaults.
#include <gtest/gtest.h>

#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "themes/SkinToolbar.h"

TEST(UiToolbarProperties, TheDockableWindowsPropertiesAreReadAndWrittenBack) {
  RegisterSkinClasses();
  const char* const names[] = {"ActivateParent", "AutoResize", "BorderStyle",     "CurrentDock",  "DefaultDock",
                               "DockableTo",     "DockMode",   "DragHandleStyle", "FloatingMode", "LastDock"};
  // Each line as the form file holds it ("" for none) reads into the toolbar and is written back.
  for (const std::string line :
       {"", "ActivateParent = False", "AutoResize = False", "BorderStyle = bsNone", "DefaultDock = Side",
        "DockableTo = [dpTop, dpLeft]", "DockMode = dmCannotFloat", "DragHandleStyle = dhDouble",
        "FloatingMode = fmOnTopOfAllForms", "UseLastDock = False", "LinkSubitems = Item"}) {
    TForm form(nullptr, CreateNew);
    ReadComponentFromText(
        "object F: TForm\n  object Top: TSkinDock\n    object Bar: TSkinToolbar\n" +
            (line.empty() ? line : "      " + line + "\n") +
            "    end\n  end\n  object Side: TSkinDock\n    Position = dpLeft\n"
            "    object Other: TSkinToolbar\n      object Item: TSkinItem\n      end\n    end\n  end\nend\n",
        &form);
    auto* bar = dynamic_cast<TSkinToolbar*>(form.FindComponent("Bar"));
    ASSERT_NE(bar, nullptr);
    TComponent* top = form.FindComponent("Top");
    EXPECT_TRUE(!line.empty() ||
                (bar->ActivateParent() && bar->AutoResize() && bar->BorderStyle() == bsSingle && !bar->DefaultDock() &&
                 (bar->DockableTo() == TBarDockableTo{dpTop, dpBottom, dpLeft, dpRight}) &&
                 bar->DockMode() == dmCanFloat && bar->DragHandleStyle() == dhSingle &&
                 bar->FloatingMode() == fmOnTopOfParentForm && bar->CurrentDock() == top && !bar->LinkSubitems()))
        << "the defaults";
    EXPECT_EQ(bar->LastDock(), bar->UseLastDock() ? top : nullptr) << line;
    const std::string written = WriteComponentToText(&form);
    EXPECT_TRUE(line.empty() || written.find("      " + line + "\n") != std::string::npos) << line << "\n" << written;
    // The dock it sits in is its parent in the file; the last dock is written while kept.
    EXPECT_EQ(written.find("      LastDock = Top\n") != std::string::npos, bar->UseLastDock()) << line;
    for (const std::string name : names)
      EXPECT_TRUE(line.rfind(name, 0) == 0 || name == "LastDock" ||
                  written.find(" " + name + " = ") == std::string::npos)
          << name << " with " << line;
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
