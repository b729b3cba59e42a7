// Who writes "Preferences.ini": the main window's storage for every form's place and stored
// properties, in data folders named in any script, with dialogs opened and closed in between.
#include <gtest/gtest.h>

#include "app/CloseAllFrm.h"
#include "app/CustomizeFrm.h"
#include "app/FilePaths.h"
#include "editor/TxtEdit.h"
#include "foundation/ApAppIniStorage.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "tests/app/DocumentTestSupport.h"
#include "themes/SkinCustomizer.h"
#include "themes/UiExtItems.h"

namespace {

int cancelCloseAll(TCloseAllForm* Dialog) {
  Dialog->actnCancelExecute(nullptr);
  return Dialog->ModalResult();
}

class SettingsWriters : public DocumentTest {
 protected:
  void TearDown() override {
    SetCloseAllRunner(nullptr);
    DocumentTest::TearDown();
  }
  // Fresh globals over a data folder of that name inside the scratch folder.
  WideString UseDataFolder(const WideString& Name) {
    Free(form_);
    form_ = nullptr;
    const WideString data = folder_.File(Name) + L"\\";
    CreateDirectoryW(data.c_str(), nullptr);
    FreeGlobals();
    CreateGlobals(data + L"Preferences.ini", folder_.File(L"Highlighters"));
    TMainForm::FilesPosFile() = data + L"Preferences.ini";
    TMainForm::ToolbarsFile() = data + L"Toolbars.ini";
    return data;
  }
  // The window as a user ends it: the close query, then the window and the options go.
  void Exit() {
    bool canClose = false;
    form_->FormCloseQuery(form_, canClose);
    Free(form_);
    form_ = nullptr;
    FreeGlobals();
  }
  std::vector<WideString> Recent(int Count) {
    std::vector<WideString> names;
    for (int i = 0; i < Count; ++i) names.push_back(folder_.Write(L"r" + std::to_wstring(i) + L".txt", "r"));
    return names;
  }
};

// The customize and close-all dialogs opened in a run, in data folders named in Latin,
// Cyrillic and CJK letters under code page 1252: the recent list, the window's place and the
// options changed meanwhile are in the file after the exit, and each dialog's place beside them.
TEST_F(SettingsWriters, DialogsOpenedInARunLeaveTheRunsChangesInTheFile) {
  for (const WideString name : {L"plain", L"\u0416\u0443\u0440\u043D\u0430\u043B", L"\u8A2D\u5B9A"}) {
    const WideString data = UseDataFolder(name);
    const std::vector<WideString> recent = Recent(5);
    TMainForm& first = Make();
    for (int i = 0; i < 3; ++i) first.mrlstMain->Add(recent[i]);
    Exit();

    CreateGlobals(data + L"Preferences.ini", folder_.File(L"Highlighters"));
    TMainForm& form = Make();
    form.OnShow(&form);
    ASSERT_EQ(form.mrlstMain->Items()->Count(), 3) << "the first run's list came back";
    TCustomizeForm* customize = ShowCustomizeDialog(form.cstmzrMain);
    ASSERT_NE(customize, nullptr);
    customize->SetBounds(20, 30, customize->Width(), customize->Height());
    // The close-all dialog, cancelled: two modified documents.
    form.NewDocument();
    Editor(0)->SetModified(true);
    Editor(1)->SetModified(true);
    SetCloseAllRunner(cancelCloseAll);
    EXPECT_FALSE(form.CloseDocuments(nullptr));
    Editor(0)->SetModified(false);
    Editor(1)->SetModified(false);
    customize->Close();
    Application->ProcessMessages();
    for (int i = 3; i < 5; ++i) form.mrlstMain->Add(recent[i]);
    form.SetBounds(61, 52, 613, 432);
    ::Options->TabWidth = 7;
    Exit();

    const WideString file = data + L"Preferences.ini";
    ASSERT_TRUE(FileExists(file)) << WideToUtf8(name);
    TMemIniFile ini(file);
    EXPECT_EQ(ini.ReadString("MainForm", "NormPos", ""), "61,52,674,484") << WideToUtf8(name);
    EXPECT_EQ(ini.ReadString("Editor", "TabWidth", ""), "7");
    EXPECT_NE(ini.ReadString("CustomizeForm", "NormPos", ""), "");
    EXPECT_NE(ini.ReadString("CloseAllForm", "NormPos", ""), "");
    CreateGlobals(file, folder_.File(L"Highlighters"));
    EXPECT_EQ(::Options->TabWidth, 7);
    TMainForm& next = Make();
    next.OnShow(&next);
    EXPECT_EQ(next.mrlstMain->Items()->Count(), 5) << WideToUtf8(name);
  }
}

}  // namespace
