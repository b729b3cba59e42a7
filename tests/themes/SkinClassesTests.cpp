// Every skinned and themed class a form file of the application names is found by its name
// once the registration has run, whichever units happened to register themselves.
#include <gtest/gtest.h>

#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "themes/SkinToolbar.h"
#include "themes/Ui.h"

TEST(SkinClasses, FormFileNamingEveryClassReads) {
  const char* const names[] = {
      "TSkinTabControl", "TSkinTabToolbar", "TSkinPanel",     "TSkinGroupBox",      "TSkinLabel",      "TSkinCheckBox",
      "TSkinButton",     "TSkinComboBox",   "TSkinListBox",   "TSkinCheckListBox",  "TUiStatusBar",    "TSkinDock",
      "TUiDock",         "TUiMultiDock",    "TSkinPopupMenu", "TUiDefaultColorSet", "TSkinCustomizer", "TSkinTitleBar"};
  std::string text = "object RegForm: TForm\n";
  for (const char* n : names) {
    if (const TClassInfo* c = GetClass(n)) UnRegisterClass(*c);
    text += std::string("  object The") + n + ": " + n + "\n  end\n";
  }
  RegisterSkinClasses();
  UiStartUp();
  TForm form(nullptr, CreateNew);
  ReadComponentFromText(text + "end\n", &form);
  for (const char* n : names) EXPECT_EQ(form.FindComponent(std::string("The") + n)->ClassInfo().Name, n);
}
