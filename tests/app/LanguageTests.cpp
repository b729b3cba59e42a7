// The program's language files: the tool that records the forms' texts agrees with the form
// files and language files shipped, and every language translates every text English has.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <algorithm>
#include <cwctype>

#include "foundation/LgLanguage.h"
#include "framework/CodePages.h"
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

// The format directives of a text in order, each as its type letter ("%%" is no directive; a
// directive without a type gives "?").
std::string Directives(const WideString& Text) {
  std::string found;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != L'%') continue;
    size_t j = i + 1;
    if (j < Text.size() && Text[j] == L'%') {
      i = j;
      continue;
    }
    while (j < Text.size() &&
           (iswdigit(Text[j]) || Text[j] == L':' || Text[j] == L'-' || Text[j] == L'.' || Text[j] == L'*'))
      ++j;
    found += j < Text.size() && iswalpha(Text[j]) ? static_cast<char>(towlower(Text[j])) : '?';
    i = j;
  }
  return found;
}

// What a language lacks against English: a missing section or text, a text English does not
// have, a text whose format directives differ in number, order or type, or whose list of lines
// has another length.
std::vector<std::string> Gaps(const TLgLang_CompTranslations& English, const TLgLang_CompTranslations& Other) {
  std::vector<std::string> gaps;
  for (int s = 0; s < English.Count(); ++s) {
    const TLgLang_CompTranslation& section = English.Items(s);
    const TLgLang_CompTranslation* other = Other.Find(section.Name());
    if (!other) {
      gaps.push_back("[" + section.Name() + "] missing");
      continue;
    }
    for (int i = 0; i < section.Count(); ++i) {
      const TLgLang_PropValueTranslation& item = section.Items(i);
      const std::string where = section.Name() + " " + std::to_string(item.ID);
      const WideString* text = other->Find(item.ID);
      if (!text)
        gaps.push_back(where + " missing");
      else if (Directives(*text) != Directives(item.Value))
        gaps.push_back(where + " directives " + Directives(*text) + " for " + Directives(item.Value));
      else if (std::count(text->begin(), text->end(), L'\n') != std::count(item.Value.begin(), item.Value.end(), L'\n'))
        gaps.push_back(where + " lines");
    }
    for (int i = 0; i < other->Count(); ++i)
      if (!section.Find(other->Items(i).ID))
        gaps.push_back(section.Name() + " " + std::to_string(other->Items(i).ID) + " extra");
  }
  for (int s = 0; s < Other.Count(); ++s)
    if (!English.Find(Other.Items(s).Name())) gaps.push_back("[" + Other.Items(s).Name() + "] extra");
  return gaps;
}

TEST(ProgramLanguages, GapsFindsEveryDifference) {
  TLgLang_CompTranslations english;
  TLgLang_CompTranslation& main = english.FindOrAdd("MainForm");
  main.Add(1, L"File %s, line %d\n");
  main.Add(2, L"100%% done");
  main.Add(3, L"One\nTwo\n");
  english.FindOrAdd("SortForm").Add(1, L"Sort");
  struct Case {
    const wchar_t *one, *two, *three;
    bool sort;
    std::vector<std::string> gaps;
  } cases[] = {
      {L"Файл %s, строка %d\n", L"100%% готово", L"Раз\nДва\n", true, {}},
      {L"Файл %s, строка %-4d\n", L"готово", L"Раз\nДва\n", true, {}},
      {L"Строка %d, файл %s\n", L"100%% готово", L"Раз\nДва\n", true, {"MainForm 1 directives ds for sd"}},
      {L"Файл %s\n",
       L"100% готово",
       L"Раз\nДва\n",
       true,
       {"MainForm 1 directives s for sd", "MainForm 2 directives ? for "}},
      {L"Файл %s, строка %s\n",
       L"100%% готово",
       L"Раз\n",
       true,
       {"MainForm 1 directives ss for sd", "MainForm 3 lines"}},
      {nullptr, L"100%% готово", L"Раз\nДва\n", false, {"MainForm 1 missing", "[SortForm] missing"}},
  };
  for (const Case& c : cases) {
    TLgLang_CompTranslations other;
    TLgLang_CompTranslation& section = other.FindOrAdd("MainForm");
    if (c.one) section.Add(1, c.one);
    section.Add(2, c.two);
    section.Add(3, c.three);
    if (c.sort) other.FindOrAdd("SortForm").Add(1, L"Сортировка");
    EXPECT_EQ(Gaps(english, other), c.gaps) << WideToUtf8(c.one ? c.one : L"");
  }
  TLgLang_CompTranslations extra;
  extra.FindOrAdd("MainForm").Add(1, L"%s %d\n");
  extra.Items(0).Add(2, L"%%");
  extra.Items(0).Add(3, L"\n\n");
  extra.Items(0).Add(4, L"more");
  extra.FindOrAdd("SortForm").Add(1, L"x");
  extra.FindOrAdd("OldForm").Add(1, L"x");
  EXPECT_EQ(Gaps(english, extra), (std::vector<std::string>{"MainForm 4 extra", "[OldForm] extra"}));
}

// Every language file shipped beside the program translates every section and text of
// English.lng, with the same format directives.
TEST(ProgramLanguages, EveryLanguageTranslatesEveryText) {
  TLgLang_CompTranslations english;
  LoadTranslationFile(english, BuildPath(L"app\\Languages\\English.lng"), false);
  ASSERT_GT(english.Count(), 10);
  int languages = 0;
  TSearchRec rec;
  for (int r = FindFirst(BuildPath(L"app\\Languages\\*.lng"), 0, rec); r == 0; r = FindNext(rec)) {
    if (WideUpperCase(rec.Name) == L"ENGLISH.LNG") continue;
    ++languages;
    TLgLang_CompTranslations other;
    LoadTranslationFile(other, BuildPath(L"app\\Languages\\" + rec.Name), false);
    EXPECT_EQ(Gaps(english, other), std::vector<std::string>()) << WideToUtf8(rec.Name);
  }
  FindClose(rec);
  EXPECT_GE(languages, 1);
}

}  // namespace
