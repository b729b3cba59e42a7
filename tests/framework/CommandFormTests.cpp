// Action lists and menus in form files: actions inside their list, menu items nested in their
// menu and bound to actions and handlers, written back as they were read.
#include <gtest/gtest.h>

#include <string>

#include "framework/FormFiles.h"
#include "framework/Menus.h"
#include "framework/Streams.h"

// A form-file root that holds commands, as a form or data module does.
class TCmdModule : public TComponent {
  HV_CLASS(TCmdModule, TComponent)
 public:
  explicit TCmdModule(TComponent* owner) : TComponent(owner) {}
  void OpenExecute(TObject*) { log += "open;"; }
  void OpenUpdate(TObject*) { log += "update;"; }
  void WrapExecute(TObject*) { log += "wrap;"; }
  void RecentClick(TObject* Sender) { log += "recent" + std::to_string(static_cast<TComponent*>(Sender)->Tag()) + ";"; }
  void EditorPopup(TObject*) { log += "popup;"; }
  void ListUpdate(TBasicAction*, bool&) { log += "list;"; }

  TActionList* actnlstMain = nullptr;
  TAction* actnOpen = nullptr;
  TAction* actnWrap = nullptr;
  TMainMenu* mnMain = nullptr;
  TMenuItem* mnitmFile = nullptr;
  TMenuItem* mnitmOpen = nullptr;
  TMenuItem* mnitmRecent = nullptr;
  TMenuItem* mnitmWrap = nullptr;
  TPopupMenu* pmnEditor = nullptr;
  TMenuItem* pmnitmOpen = nullptr;
  std::string log;
};

HV_PUBLISH(TCmdModule) {
  p.ComponentField("actnlstMain", &T::actnlstMain);
  p.ComponentField("actnOpen", &T::actnOpen);
  p.ComponentField("actnWrap", &T::actnWrap);
  p.ComponentField("mnMain", &T::mnMain);
  p.ComponentField("mnitmFile", &T::mnitmFile);
  p.ComponentField("mnitmOpen", &T::mnitmOpen);
  p.ComponentField("mnitmRecent", &T::mnitmRecent);
  p.ComponentField("mnitmWrap", &T::mnitmWrap);
  p.ComponentField("pmnEditor", &T::pmnEditor);
  p.ComponentField("pmnitmOpen", &T::pmnitmOpen);
  p.Method("OpenExecute", &T::OpenExecute);
  p.Method("OpenUpdate", &T::OpenUpdate);
  p.Method("WrapExecute", &T::WrapExecute);
  p.Method("RecentClick", &T::RecentClick);
  p.Method("EditorPopup", &T::EditorPopup);
  p.Method("ListUpdate", &T::ListUpdate);
}

namespace {

std::string FormResource(const wchar_t* name) {
  TResourceStream s(GetModuleHandleW(nullptr), name, RT_RCDATA);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

}  // namespace

TEST(CommandForms, ActionListsAndMenusAreReadWithTheirStructure) {
  TCmdModule module(nullptr);
  ASSERT_TRUE(InitInheritedComponent(&module, TComponent::StaticClassInfo()));
  ASSERT_NE(module.actnlstMain, nullptr);
  ASSERT_EQ(module.actnlstMain->ActionCount(), 2);
  EXPECT_EQ(module.actnlstMain->Actions(0), module.actnOpen);
  EXPECT_EQ(module.actnOpen->Owner(), &module);
  EXPECT_EQ(module.actnOpen->ActionList(), module.actnlstMain);
  EXPECT_EQ(module.actnOpen->Category(), L"File");
  EXPECT_EQ(module.actnOpen->ShortCut(), TextToShortCut("Ctrl+O"));
  ASSERT_EQ(module.actnOpen->SecondaryShortCuts()->Count(), 2);
  EXPECT_EQ(module.actnOpen->SecondaryShortCuts()->ShortCuts(1), TextToShortCut("Ctrl+Alt+F2"));
  EXPECT_TRUE(module.actnWrap->AutoCheck());
  EXPECT_EQ(module.actnWrap->GroupIndex(), 3);

  TMenuItem* bar = module.mnMain->Items();
  ASSERT_EQ(bar->Count(), 2);
  EXPECT_EQ(bar->Items(0), module.mnitmFile);
  ASSERT_EQ(module.mnitmFile->Count(), 3);
  EXPECT_TRUE(module.mnitmFile->Items(1)->IsLine());
  EXPECT_EQ(module.mnitmRecent->Count(), 1);
  EXPECT_EQ(module.mnitmRecent->Parent(), module.mnitmFile);
  EXPECT_EQ(module.mnitmFile->GetParentComponent(), module.mnMain);
  EXPECT_EQ(module.pmnEditor->Items()->Count(), 1);
  EXPECT_FALSE(module.pmnEditor->AutoPopup());
}

TEST(CommandForms, MenuItemsTakeTheirActionsValuesAndKeepTheirOwn) {
  TCmdModule module(nullptr);
  InitInheritedComponent(&module, TComponent::StaticClassInfo());
  EXPECT_EQ(module.mnitmOpen->Action(), module.actnOpen);
  EXPECT_EQ(module.mnitmOpen->Caption(), L"&Open...");
  EXPECT_EQ(module.mnitmOpen->ShortCut(), TextToShortCut("Ctrl+O"));
  EXPECT_EQ(module.mnitmOpen->Hint(), L"Open|Opens a file");
  EXPECT_EQ(module.pmnitmOpen->Caption(), L"&Open...");
  // A caption given in the file wins over the action's.
  EXPECT_EQ(module.mnitmWrap->Caption(), L"Wrap &lines");
  EXPECT_TRUE(module.mnitmWrap->AutoCheck());

  module.mnitmOpen->Click();
  module.pmnitmOpen->Click();
  module.mnitmWrap->Click();
  EXPECT_TRUE(module.actnWrap->Checked());
  EXPECT_TRUE(module.mnitmWrap->Checked());
  module.mnitmRecent->Items(0)->Click();
  EXPECT_EQ(module.log, "list;update;open;list;update;open;list;wrap;recent1;");

  // Later changes of the action reach every item showing it.
  module.actnOpen->SetCaption(L"&Open a file...");
  module.actnOpen->SetEnabled(false);
  EXPECT_EQ(module.mnitmOpen->Caption(), L"&Open a file...");
  EXPECT_EQ(module.pmnitmOpen->Caption(), L"&Open a file...");
  EXPECT_FALSE(module.mnitmOpen->Enabled());
}

TEST(CommandForms, ShortCutsOfTheModuleReachTheirActions) {
  TCmdModule module(nullptr);
  InitInheritedComponent(&module, TComponent::StaticClassInfo());
  EXPECT_TRUE(module.mnMain->IsShortCut(TextToShortCut("Ctrl+O")));
  EXPECT_TRUE(module.actnlstMain->IsShortCut(TextToShortCut("Alt+Ctrl+F2")));
  EXPECT_TRUE(module.actnlstMain->IsShortCut(TextToShortCut("Ctrl+F12")));
  EXPECT_EQ(module.log, "list;update;open;list;update;open;list;update;open;");
}

TEST(CommandForms, WrittenBackAsTheyWereRead) {
  TCmdModule module(nullptr);
  InitInheritedComponent(&module, TComponent::StaticClassInfo());
  std::string text = WriteComponentToText(&module);
  EXPECT_EQ(text, FormResource(L"TCmdModule"));
}
