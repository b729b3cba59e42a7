// "Preferences.ini": defaults, range checks on good, damaged and hand-edited files, the file
// written back key by key, floats in either locale's form, a refused write at exit, and the
// editor settings given to an editor.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>

#include "app/Options.h"
#include "app/FilePaths.h"
#include "editor/TxtEdit.h"
#include "tests/common/MessageBoxRecorder.h"
#include "framework/IniFiles.h"
#include "framework/StrRoutines.h"
#include "tests/framework/TestFiles.h"

namespace {

TEST(Options, EmptyFileGivesDefaultsAndEveryKeyButTheSchemeIsWritten) {
  TTestFolder folder;
  const std::wstring name = folder.Write(L"Preferences.ini", "");
  TOptions{name};
  TMemIniFile ini(name);
  TStringList sections, lines;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.Text(), "Interface\r\nGeneral\r\nEditor\r\nColors\r\nFonts\r\nPageMargins\r\n");
  ini.GetStrings(&lines);
  EXPECT_EQ(lines.Count(), 46 + 6 * 2);  // keys, section lines and the empty line after each
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsRight", ""), "1.5");
}

TEST(Options, ValuesAreBroughtIntoRangeWhenRead) {
  // Number of documents, close button, font size and encoding as written, and as read.
  const std::array<const char*, 5> cases[] = {{"0", "3", "8", "8", "15 0 9 0"},
                                              {"26", "258", "27", "260", "15 2 9 4"},
                                              {"25", "2", "26", "7", "25 2 26 7"},
                                              {"x", "-1", "9", "-1", "15 0 9 0"}};
  TTestFolder folder;
  TMessageBoxRecorder boxes;
  for (const auto& [documents, button, size, encoding, expected] : cases) {
    TOptions o(folder.Write(L"p.ini", std::string("[Interface]\nNumberOfDocuments=") + documents +
                                          "\nCloseButton=" + button + "\n[Fonts]\nEditorFontSize=" + size +
                                          "\n[General]\nEncoding=" + encoding));
    EXPECT_EQ(std::to_string(o.NumberOfDocuments) + " " + std::to_string(o.CloseButton) + " " +
                  std::to_string(o.EditorFontSize) + " " + std::to_string(o.Encoding),
              expected);
  }
  for (const auto& [given, expected] : std::vector<std::pair<std::string, std::string>>{
           {"DejaVu Sans", "Courier New"}, {"DejaVu Sans Mono", "DejaVu Sans Mono"}, {"", "Courier New"}})
    EXPECT_EQ(TOptions(folder.Write(L"p.ini", "[Fonts]\nEditorFontName=" + given)).EditorFontName, expected);
}

TEST(Options, HandEditedFilesKeepTheirOwnPartsAndMarginsReadInEitherForm) {
  TTestFolder folder;
  const WideString schemes = AppPath(L"Highlighters");
  CreateDirectoryW(schemes.c_str(), nullptr);
  const WideString scheme = schemes + L"\\opt-test.xml";
  CloseHandle(CreateFileW(scheme.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::wstring name = folder.Write(L"p.ini",
                                         "; mine\r\n[Document]\r\nSyntaxHighlighting=opt-test.xml\r\n"
                                         "[PageMargins]\r\npMarginsTop=2,25\r\nlMarginsTop=abc\r\n");
  {
    TOptions options(name);
    EXPECT_TRUE(options.SyntaxHighlighting == scheme && options.pMarginsTop == 2.25 && options.lMarginsTop == 3);
    options.SyntaxHighlighting = L"changed";
    options.BookmarkLineBackground = clRed;
  }
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString("Document", "SyntaxHighlighting", ""), "opt-test.xml");
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsTop", ""), "2.25");
  // Written whole as the window's storage writes the file: what is written reads back the same.
  const std::string written = folder.Read(L"p.ini");
  TOptions(name).WriteToFile();
  EXPECT_EQ(folder.Read(L"p.ini"), written);
  EXPECT_EQ(TOptions(name).BookmarkLineBackground, clRed);
  EXPECT_EQ(TOptions(folder.Write(L"q.ini", "[Document]\r\nSyntaxHighlighting=gone.xml\r\n")).SyntaxHighlighting, L"");
  DeleteFileW(scheme.c_str());
  RemoveDirectoryW(schemes.c_str());
}

TEST(Options, ARefusedWriteAtExitIsReportedAndRaisesNothing) {
  TTestFolder folder;
  TMessageBoxRecorder boxes;
  auto options = std::make_unique<TOptions>(folder.File(L"missing\\Preferences.ini"));
  EXPECT_THROW(options->WriteToFile(), EIniFileException);
  EXPECT_NO_THROW(options.reset());
  ASSERT_EQ(boxes.Shown.size(), 1u);
  EXPECT_NE(boxes.Shown[0].find(L"|Halcorn Verdan|16"), WideString::npos);
}

// A value that the system's reader hands over with a control byte at one end cannot be written
// back: it is read as out of range, and the write at exit still writes every key.
TEST(Options, ValuesTheFileCannotHoldBackAreReadAsTheirDefaults) {
  TTestFolder folder;
  TMessageBoxRecorder boxes;
  // As written in the file, and as read (blanks at the ends the system's reader trims itself).
  const std::pair<const char*, const char*> cases[] = {
      {"x\x01", "H:mm dd.mm.yyyy"},    {"\x01x", "H:mm dd.mm.yyyy"}, {"H:mm\x1f", "H:mm dd.mm.yyyy"},
      {"\x02\x03", "H:mm dd.mm.yyyy"}, {"\tH:mm ", "H:mm"},          {"dd\x01mm", "dd\x01mm"}};
  for (const auto& [bad, read] : cases) {
    const std::wstring name =
        folder.Write(L"p.ini", std::string("[General]\r\nDateAndTimeFormat=") + bad + "\r\n[Editor]\r\nTabWidth=4\r\n");
    {
      TOptions options(name);
      EXPECT_EQ(options.DateAndTimeFormat, read) << bad;
      options.TabWidth = 5;
    }
    TMemIniFile ini(name);
    EXPECT_EQ(ini.ReadString("General", "DateAndTimeFormat", ""), read) << bad;
    EXPECT_EQ(ini.ReadInteger("Editor", "TabWidth", 0), 5) << bad;
  }
  EXPECT_TRUE(boxes.Shown.empty());
}

// A refused value is told about, but the keys after it in the write order are written still.
TEST(Options, ARefusedValueDoesNotStopTheOtherKeys) {
  TTestFolder folder;
  const std::wstring name = folder.Write(L"p.ini", "");
  TOptions options(name);
  options.DateAndTimeFormat = "dd ";
  options.EditorFontName = "\x01Mono";
  options.TabWidth = 3;
  options.pMarginsRight = 4.5;
  EXPECT_THROW(options.WriteToFile(), EIniFileException);
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadInteger("Editor", "TabWidth", 0), 3);
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsRight", ""), "4.5");
  EXPECT_EQ(ini.ReadString("General", "DateAndTimeFormat", "none"), "none");
  options.DateAndTimeFormat = "dd";
  options.EditorFontName = "Courier New";
}

TEST(Options, ConfigureEditorAppliesTheSettings) {
  TTestFolder folder;
  TOptions options(folder.Write(L"p.ini", ""));
  options.ShowNonprintingCharacters = options.TabsToSpaces = true;
  options.AutoIndent = options.ShowLineNumbers = false;
  options.TabWidth = 3;
  options.EditorFontSize = 14;
  TTxtEdit edit(nullptr);
  ConfigureEditor(&edit, options);
  EXPECT_TRUE((edit.Options() * TTxtEditorOptions{eoShowSpecialChars, eoAutoIndent, eoTabsToSpaces, eoShowScrollHint} ==
               TTxtEditorOptions{eoShowSpecialChars, eoTabsToSpaces, eoShowScrollHint}));
  EXPECT_TRUE(edit.TabWidth() == 3 && edit.Font()->Size() == 14 && edit.Gutter()->Font()->Size() == 12);
}

// What became of the settings files is recorded once per file and kind until it is told: a
// file found unreadable and then kept (read late, once another program let it go) is told both
// ways; the same kind again is told once.
TEST(Options, SettingsFileNoticesAreRecordedOncePerFileAndKind) {
  TTestFolder folder;
  const WideString a = folder.Write(L"a.ini", "[x]\r\nk=1\r\n"), b = folder.Write(L"b.ini", "[x]\r\nk=1\r\n");
  // "u": found unreadable (held by another program); "k": kept as the name given.
  auto record = [](const char* Kind, const WideString& File, const WideString& KeptAs) {
    if (*Kind == 'k') {
      NoteSettingsFileKept(File, KeptAs);
      return;
    }
    HANDLE held = CreateFileW(File.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CheckSettingsFile(File);
    CloseHandle(held);
  };
  struct TStep {
    const char* Kind;
    WideString File, KeptAs;
  };
  const struct {
    std::vector<TStep> Steps;
    std::vector<WideString> Told;  // "u " or "k " and the file (and what it was kept as)
    const char* Why;
  } rows[] = {
      {{{"u", a, L""}, {"k", a, L"a1"}}, {L"u " + a, L"k " + a + L" a1"}, "unreadable, then kept"},
      {{{"k", a, L"a1"}, {"u", a, L""}}, {L"k " + a + L" a1", L"u " + a}, "kept, then unreadable"},
      {{{"u", a, L""}, {"u", a, L""}}, {L"u " + a}, "unreadable twice"},
      {{{"u", a, L""}, {"u", b, L""}}, {L"u " + a, L"u " + b}, "two files"},
      {{{"k", a, L"a1"}, {"k", WideUpperCase(a), L"a2"}}, {L"k " + a + L" a1"}, "the name in other letter case"},
  };
  TakeSettingsFileNotices();
  for (const auto& row : rows) {
    for (const TStep& step : row.Steps) record(step.Kind, step.File, step.KeptAs);
    std::vector<WideString> told;
    for (const TSettingsFileNotice& n : TakeSettingsFileNotices())
      told.push_back(n.Unreadable ? L"u " + n.File : L"k " + n.File + L" " + n.KeptAs);
    EXPECT_EQ(told, row.Told) << row.Why;
  }
}

TEST(OptionsFuzz, DamagedFilesGiveValuesInRange) {
  TTestFolder folder;
  const std::string good =
      "[Interface]\r\nNumberOfDocuments=20\r\nCloseButton=1\r\n[General]\r\nEncoding=4\r\n"
      "[Fonts]\r\nEditorFontSize=12\r\n[PageMargins]\r\npMarginsTop=2.5\r\n";
  std::mt19937 random(103);
  TMessageBoxRecorder boxes;
  for (int round = 0; round < 70; ++round) {
    std::string bytes = good;
    for (int n = 1 + random() % 6; n > 0 && bytes.size() > 4; --n) {
      const size_t at = random() % bytes.size();
      if (random() % 2)
        bytes[at] = static_cast<char>(random());
      else
        bytes.insert(at, 1, "=[]\r\n9-,"[random() % 8]);
    }
    TOptions read(folder.Write(L"f.ini", bytes));
    ASSERT_TRUE(read.NumberOfDocuments >= 1 && read.NumberOfDocuments <= 25) << round;
    ASSERT_TRUE(read.CloseButton <= 2 && read.Encoding <= teLastEncoding);
    ASSERT_TRUE(read.EditorFontSize >= 9 && read.EditorFontSize <= 26);
  }
  EXPECT_TRUE(boxes.Shown.empty());
}

// Control bytes at either end of every key's value: each is read as its default or as the value
// without the byte, and the write at exit tells nothing and writes every key.
TEST(OptionsFuzz, ControlBytesAtEitherEndOfEveryValue) {
  TTestFolder folder;
  TMessageBoxRecorder boxes;
  const std::wstring defaults = folder.Write(L"d.ini", "");
  TOptions{defaults};
  TMemIniFile reference(defaults);
  TStringList sections;
  reference.ReadSections(&sections);
  std::mt19937 random(346);
  int keys = 0;
  for (int s = 0; s < sections.Count(); ++s) {
    TStringList idents;
    reference.ReadSection(sections[s], &idents);
    for (int k = 0; k < idents.Count(); ++k, ++keys)
      for (bool front : {false, true}) {
        std::string byte(1, static_cast<char>(1 + random() % 31));
        if (byte == "\r" || byte == "\n") byte = "\x1b";
        const std::string value = reference.ReadString(sections[s], idents[k], "");
        const std::wstring name = folder.Write(
            L"p.ini", "[" + sections[s] + "]\r\n" + idents[k] + "=" + (front ? byte + value : value + byte) + "\r\n");
        { TOptions options(name); }
        TMemIniFile written(name);
        TStringList lines;
        written.GetStrings(&lines);
        ASSERT_EQ(lines.Count(), 46 + 6 * 2) << sections[s] << " " << idents[k] << " " << front;
      }
  }
  EXPECT_EQ(keys, 46);
  EXPECT_TRUE(boxes.Shown.empty());
}

}  // namespace
