// Every skinned and themed class a form file of the application names is found by its name
// once the registration has run, whichever units happened to register themselves.
#include <gtest/gtest.h>

#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "themes/SkinToolbar.h"
#include "themes/Ui.h"

TEST(SkinClasses, FormFileNamingEveryClassReads) {
  const char* const names[] = {"TSkinTabControl",    "TSkinPanel",      "TSkinGroupBox",   "TSkinLabel",
                               "TSkinCheckBox",      "TSkinButton",     "TSkinComboBox",   "TSkinListBox",
                               "TSkinCheckListBox",  "TUiStatusBar",    "TSkinDock",       "TSkinToolbar",
                               "TUiMultiDock",       "TSkinPopupMenu",  "TSkinItem",       "TSkinSubmenuItem",
                               "TSkinSeparatorItem", "TSkinLabelItem",  "TSkinCustomizer", "TSkinTitleBar",
                               "TUiDefaultColorSet", "TSkinTabToolbar", "TSkinTabItem",    "TSkinTabSheet",
                               "TUiToolbar",         "TUiDock"};
  for (const char* n : names)
    if (const TClassInfo* c = GetClass(n)) UnRegisterClass(*c);
  RegisterSkinClasses();
  for (const char* n : names) EXPECT_NE(GetClass(n), nullptr) << n;

  UiStartUp();
  TForm form(nullptr, CreateNew);
  ReadComponentFromText(R"(object RegForm: TForm
  object Tabs: TSkinTabControl
  end
  object Panel: TSkinPanel
    object Group: TSkinGroupBox
      object Check: TSkinCheckBox
      end
    end
  end
  object Label1: TSkinLabel
  end
  object Button: TSkinButton
  end
  object Combo: TSkinComboBox
  end
  object List: TSkinListBox
  end
  object Checks: TSkinCheckListBox
  end
  object Status: TUiStatusBar
  end
  object TopDock: TSkinDock
    object Bar: TSkinToolbar
    end
  end
  object Multi: TUiMultiDock
  end
  object Popup: TSkinPopupMenu
    object Item1: TSkinItem
    end
    object Sub: TSkinSubmenuItem
    end
    object Sep: TSkinSeparatorItem
    end
  end
  object Colours: TUiDefaultColorSet
  end
  object Customizer: TSkinCustomizer
  end
end
)",
                        &form);
  const std::pair<const char*, const char*> made[] = {
      {"Tabs", "TSkinTabControl"},       {"Check", "TSkinCheckBox"},        {"Status", "TUiStatusBar"},
      {"Bar", "TSkinToolbar"},           {"Multi", "TUiMultiDock"},         {"Item1", "TSkinItem"},
      {"Colours", "TUiDefaultColorSet"}, {"Customizer", "TSkinCustomizer"}, {"Checks", "TSkinCheckListBox"}};
  for (auto [name, cls] : made) {
    TComponent* c = form.FindComponent(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->ClassInfo().Name, std::string_view(cls)) << name;
  }
}
