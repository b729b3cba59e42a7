// The program's language files: the tool that records the forms' texts agrees with the form
// files and language files shipped, and the main window switches to a shipped language.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/MainFrm.h"
#include "foundation/LgLanguage.h"
#include "framework/FileRoutines.h"
#include "framework/FrameworkClasses.h"
#include "framework/Streams.h"

namespace {

WideString BuildPath(const WideString& Relative) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return ExtractFilePath(ExcludeTrailingPathDelimiter(ExtractFilePath(self))) + Relative;
}

std::string ReadBytes(const WideString& Name) {
  TFileStream f(Name, fmOpenRead | fmShareDenyWrite);
  std::string s(static_cast<size_t>(f.Size()), '\0');
  if (!s.empty()) f.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

std::string FormResource(const wchar_t* Name) {
  TResourceStream r(GetModuleHandleW(nullptr), Name, RT_RCDATA);
  std::string s(static_cast<size_t>(r.Size()), '\0');
  r.ReadBuffer(s.data(), static_cast<int>(s.size()));
  return s;
}

DWORD RunTool(const WideString& In, const WideString& Out) {
  WideString cmd = L"\"" + BuildPath(L"tools\\LangTool.exe") + L"\" \"" + ExcludeTrailingPathDelimiter(In) + L"\" \"" +
                   ExcludeTrailingPathDelimiter(Out) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1000;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 1001;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

std::vector<int32_t> Ids(TLgLang_CompTranslations& T, const char* Section) {
  std::vector<int32_t> ids;
  if (const TLgLang_CompTranslation* s = T.Find(Section))
    for (int i = 0; i < s->Count(); ++i) ids.push_back(s->Items(i).ID);
  return ids;
}

// The committed form file already holds the numbers the tool gives, and the tool's language
// file, the shipped English one and the Russian one number the same texts.
TEST(ProgramLanguages, ToolOutputMatchesTheShippedFiles) {
  TTempDirectory in, out;
  const std::string form = FormResource(L"TMAINFORM");
  {
    TFileStream f(in.File(L"TMainForm.form"), fmCreate);
    f.WriteBuffer(form.data(), static_cast<int>(form.size()));
  }
  ASSERT_EQ(RunTool(in.Path(), out.Path()), 0u);
  EXPECT_EQ(ReadBytes(out.File(L"TMainForm.form")), form) << "run LangTool on resources/forms";
  EXPECT_NE(form.find("LangData = {"), std::string::npos);

  TLgLang_CompTranslations made, english, russian;
  LoadTranslationFile(made, out.File(L"English.lng"), false);
  LoadTranslationFile(english, BuildPath(L"app\\Languages\\English.lng"), false);
  LoadTranslationFile(russian, BuildPath(L"app\\Languages\\Russian.lng"), false);
  EXPECT_EQ(ReadBytes(out.File(L"English.lng")), ReadBytes(BuildPath(L"app\\Languages\\English.lng")));
  EXPECT_EQ(made.LangID(), 1033);
  EXPECT_EQ(russian.LangID(), 1049);
  EXPECT_EQ(*made.Find("MainForm")->Find(1), L"Halcorn Verdan");
  EXPECT_FALSE(Ids(made, "MainForm").empty());
  EXPECT_EQ(Ids(russian, "MainForm"), Ids(made, "MainForm"));
  EXPECT_EQ(ReadBytes(BuildPath(L"app\\Languages\\Russian.lng")).substr(0, 2), "\xFF\xFE");
}

TEST(ProgramLanguages, MainWindowSwitchesToAShippedLanguageAndBack) {
  RegisterFrameworkClasses();
  RegisterTxtEditClasses();
  LangManager().ClearLanguageFiles();
  // English counts without adding a language; Russian is added.
  EXPECT_EQ(LangManager().ScanForLanguageFiles(BuildPath(L"app\\Languages"), L"*.lng", false), 2);
  std::unique_ptr<TMainForm> form(New<TMainForm>(nullptr));
  auto* controller = static_cast<TLgLanguageController*>(form->FindComponent("LanguageController"));
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(controller->LangSourceLines(), std::vector<WideString>{L"Caption=00000001,Halcorn Verdan"});
  form->SetCaption(L"changed");
  LangManager().SetLanguageID(1049);
  EXPECT_EQ(LangManager().GetLanguageIndex(), 1);
  EXPECT_EQ(form->Caption(), L"Halcorn Verdan");
  form->SetCaption(L"changed");
  LangManager().SetLanguageID(1033);
  EXPECT_EQ(form->Caption(), L"Halcorn Verdan");
  LangManager().ClearLanguageFiles();
}

}  // namespace
