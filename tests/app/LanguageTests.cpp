// The program's language files: the tool that records the forms' texts agrees with the form
// files and language files shipped.
#include <gtest/gtest.h>

#include <string>

#include "foundation/LgLanguage.h"
#include "framework/FileRoutines.h"
#include "framework/StrRoutines.h"
#include "framework/Streams.h"
#include "tests/app/AppTestSupport.h"

namespace {

std::string ReadBytes(const WideString& Name) {
  TFileStream f(Name, fmOpenRead | fmShareDenyWrite);
  TStringStream s;
  s.CopyFrom(&f, 0);
  return s.DataString();
}

DWORD RunTool(const WideString& In, const WideString& Out) {
  return TProcess(L"tools\\LangTool.exe",
                  L" \"" + ExcludeTrailingPathDelimiter(In) + L"\" \"" + ExcludeTrailingPathDelimiter(Out) + L"\"")
      .ExitCode();
}

std::vector<int32_t> Ids(TLgLang_CompTranslations& T) {
  std::vector<int32_t> ids;
  for (int i = 0; i < T.Find("MainForm")->Count(); ++i) ids.push_back(T.Find("MainForm")->Items(i).ID);
  return ids;
}

// The committed form file already holds the numbers the tool gives, and the tool's language
// file, the shipped English one and the Russian one number the same texts.
TEST(ProgramLanguages, ToolOutputMatchesTheShippedFiles) {
  TTempDirectory in, out;
  const wchar_t* const forms[] = {L"TMainForm",           L"TDocumentFrame", L"TCloseAllForm",
                                  L"TFindAndReplaceForm", L"TSortForm",      L"TLinesProcessingForm",
                                  L"TStatisticsForm",     L"TPageSetupForm", L"TKeyboardShortcutsForm",
                                  L"TPreferencesForm",    L"TCharacterForm", L"TAboutForm",
                                  L"TCustomizeForm"};
  for (const wchar_t* name : forms) {
    TResourceStream resource(GetModuleHandleW(nullptr), WideUpperCase(name).c_str(), RT_RCDATA);
    TFileStream(in.File(WideString(name) + L".form"), fmCreate).CopyFrom(&resource, 0);
  }
  const std::string form = ReadBytes(in.File(L"TMainForm.form"));
  ASSERT_EQ(RunTool(in.Path(), out.Path()), 0u);
  EXPECT_EQ(ReadBytes(out.File(L"TMainForm.form")), form) << "run LangTool on resources/forms";
  for (const wchar_t* name : forms)
    EXPECT_EQ(ReadBytes(out.File(WideString(name) + L".form")), ReadBytes(in.File(WideString(name) + L".form")))
        << name;
  EXPECT_NE(form.find("LangData = {"), std::string::npos);

  TLgLang_CompTranslations made, russian;
  LoadTranslationFile(made, out.File(L"English.lng"), false);
  LoadTranslationFile(russian, BuildPath(L"app\\Languages\\Russian.lng"), false);
  EXPECT_EQ(ReadBytes(out.File(L"English.lng")), ReadBytes(BuildPath(L"app\\Languages\\English.lng")));
  EXPECT_TRUE(made.LangID() == 1033 && russian.LangID() == 1049);
  EXPECT_EQ(*made.Find("MainForm")->Find(1), L"Halcorn Verdan");
  EXPECT_EQ(Ids(russian), Ids(made));
  EXPECT_EQ(ReadBytes(BuildPath(L"app\\Languages\\Russian.lng")).substr(0, 2), "\xFF\xFE");
}

}  // namespace
