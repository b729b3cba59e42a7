// The program's language files: the tool that records the forms' texts agrees with the form
// files and language files shipped, and every language translates every text English has.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <algorithm>
#include <cwctype>

#include "app/TextRoutines.h"
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

// The source folder of the build, from its cache, as this process names it.
WideString SourceFolder() {
  const std::string cache = ReadBytes(BuildPath(L"CMakeCache.txt"));
  const std::string key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
  const size_t at = cache.find(key);
  if (at == std::string::npos) return WideString();
  std::string path = cache.substr(at + key.size(), cache.find_first_of("\r\n", at) - at - key.size());
  for (char& c : path)
    if (c == '/') c = '\\';
  return L"Z:" + Utf8ToWide(path);
}

// The quotation mark that ends the literal opened at Open, past escaped ones; npos when none.
size_t ClosingQuote(const std::string& S, size_t Open) {
  for (size_t k = Open + 1; k < S.size(); ++k) {
    if (S[k] == '\\')
      ++k;
    else if (S[k] == '"')
      return k;
  }
  return std::string::npos;
}

// The message-box calls of a source text whose text is written out in it: a literal with a
// letter, other than the name of a language entry ("sFileNotFound"), within the call's brackets.
std::vector<std::string> LiteralMessages(const std::string& Source) {
  std::vector<std::string> found;
  for (size_t at = Source.find("MessageBox("); at != std::string::npos; at = Source.find("MessageBox(", at + 1)) {
    size_t end = at + 11;
    for (int depth = 1; end < Source.size() && depth > 0; ++end) {
      if (Source[end] == '"') end = ClosingQuote(Source, end);
      if (end == std::string::npos) break;
      depth += Source[end] == '(' ? 1 : Source[end] == ')' ? -1 : 0;
    }
    const std::string call = Source.substr(at, end == std::string::npos ? std::string::npos : end - at);
    for (size_t q = call.find('"'); q != std::string::npos; q = call.find('"', q + 1)) {
      const size_t close = ClosingQuote(call, q);
      if (close == std::string::npos) break;
      // Escapes (line breaks, quotation marks by their numbers) are no letters of a text.
      std::string literal;
      for (size_t k = q + 1; k < close; ++k) {
        if (call[k] != '\\') {
          literal += call[k];
          continue;
        }
        ++k;
        if (k < close && (call[k] == 'x' || call[k] == 'u'))
          while (k + 1 < close && isxdigit(static_cast<unsigned char>(call[k + 1]))) ++k;
      }
      const bool name = literal.size() > 1 && literal[0] == 's' && isupper(static_cast<unsigned char>(literal[1])) &&
                        literal.find(' ') == std::string::npos;
      const bool letters = std::any_of(literal.begin(), literal.end(), [](char c) { return isalpha(c); });
      if (letters && !name) found.push_back(call.substr(0, 80));
      q = close;
    }
  }
  return found;
}

}  // namespace

TEST(ProgramLanguages, LiteralMessagesFindsTextsWrittenIntoTheCall) {
  EXPECT_EQ(LiteralMessages("ShowMessageBox(MessageWith(\"sFileNotFound\", {n}), MB_ICONERROR);"
                            "Application->MessageBox(Text, ProductName, Flags);"
                            "ShowMessageBox(question + L\"\\r\\n\\x201C\\\"\", 0);"),
            std::vector<std::string>());
  EXPECT_EQ(LiteralMessages("x; ShowMessageBox(L\"Could not (really) save.\" + e.Message(), 16);").size(), 1u);
  EXPECT_EQ(LiteralMessages("Application->MessageBox(text, L\"Change Shortcut\", MB_OK);").size(), 1u);
}

// A message the program builds in code comes from the language files: no message box of the
// program is given a text written out in its call, and every text the code falls back on when a
// translation is missing is an entry of English.lng (which every language translates).
TEST(ProgramLanguages, EveryMessageBuiltInCodeHasItsLanguageEntry) {
  const WideString source = SourceFolder();
  ASSERT_FALSE(source.empty());
  int files = 0;
  TSearchRec rec;
  for (int r = FindFirst(source + L"\\app\\*.cpp", 0, rec); r == 0; r = FindNext(rec)) {
    ++files;
    EXPECT_EQ(LiteralMessages(ReadBytes(source + L"\\app\\" + rec.Name)), std::vector<std::string>())
        << WideToUtf8(rec.Name);
  }
  FindClose(rec);
  EXPECT_GT(files, 40);

  TLgLang_CompTranslations english;
  LoadTranslationFile(english, BuildPath(L"app\\Languages\\English.lng"), false);
  std::vector<WideString> texts;
  for (int s = 0; s < english.Count(); ++s)
    for (int i = 0; i < english.Items(s).Count(); ++i) {
      WideString text = english.Items(s).Items(i).Value;
      text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
      texts.push_back(text);
    }
  for (const AnsiString& name : EnglishFormatNames()) {
    // A holder's lines are joined by CR LF; the language file ends each with a line break.
    WideString text = EnglishFormat(name);
    text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), text + L"\n"), texts.end()) << name;
  }
}
