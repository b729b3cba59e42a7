// "Preferences.ini": defaults, range checks on good, damaged and hand-edited files, the file
// written back key by key, floats in either locale's form, a refused write at exit, and the
// editor settings given to an editor.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "app/Options.h"
#include "app/Useful.h"
#include "editor/TxtEdit.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"
#include "tests/framework/TestFiles.h"

namespace {

struct TBoxes : TMessageBoxHandler {
  int Show(HWND, const WideString& Text, const WideString& Caption, UINT Flags) override {
    shown.push_back(Text + L"|" + Caption + L"|" + std::to_wstring(Flags));
    return IDOK;
  }
  std::vector<WideString> shown;
};

TEST(Options, EmptyFileGivesDefaultsAndEveryKeyButTheSchemeIsWritten) {
  TTestFolder folder;
  const std::wstring name = folder.Write(L"Preferences.ini", "");
  {
    TOptions options(name);
    EXPECT_EQ(options.NumberOfDocuments, 15);
    EXPECT_EQ(options.EditorFontSize, 10);
    EXPECT_EQ(options.DateAndTimeFormat, "H:mm dd.mm.yyyy");
    EXPECT_EQ(options.Language, GetUserDefaultLangID());
    EXPECT_EQ(options.SyntaxHighlighting, L"");
    EXPECT_EQ(options.pMarginsRight, 1.5);
    // 45 percent of the button face over the window colour.
    const uint32_t face = ColorToRGB(clBtnFace), window = ColorToRGB(clWindow);
    const int red = ((window & 0xFF) * 55 + (face & 0xFF) * 45 + 50) / 100;
    EXPECT_EQ(ColorToRGB(options.GutterBackground) & 0xFF, static_cast<uint32_t>(red));
  }
  TMemIniFile ini(name);
  TStringList sections, keys;
  ini.ReadSections(&sections);
  EXPECT_EQ(sections.Text(), "Interface\r\nGeneral\r\nEditor\r\nColors\r\nFonts\r\nPageMargins\r\n");
  int total = 0;
  for (int i = 0; i < sections.Count(); ++i) {
    ini.ReadSection(sections[i], &keys);
    total += keys.Count();
  }
  EXPECT_EQ(total, 46);
  EXPECT_FALSE(ini.SectionExists("Document"));
  EXPECT_EQ(ini.ReadString("General", "Encoding", ""), "0");
  EXPECT_EQ(ini.ReadString("Interface", "LockTheToolbars", ""), "1");
  EXPECT_EQ(ini.ReadString("Colors", "BracketsBackground", ""), "16776960");
  EXPECT_EQ(ini.ReadString("Colors", "NormalTextBackground", ""), std::to_string(static_cast<int>(clWindow)));
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsRight", ""), "1.5");
}

struct TRangeCase {
  const char* Section;
  const char* Key;
  const char* Value;
  int Expected;
};

int Field(const TOptions& O, const std::string& Key) {
  if (Key == "NumberOfDocuments") return O.NumberOfDocuments;
  if (Key == "EditorFontSize") return O.EditorFontSize;
  if (Key == "CloseButton") return O.CloseButton;
  if (Key == "Encoding") return O.Encoding;
  if (Key == "TabWidth") return O.TabWidth;
  return O.RightMargin;
}

TEST(Options, ValuesAreBroughtIntoRangeWhenRead) {
  const TRangeCase cases[] = {
      {"Interface", "NumberOfDocuments", "0", 15},  {"Interface", "NumberOfDocuments", "26", 15},
      {"Interface", "NumberOfDocuments", "25", 25}, {"Interface", "NumberOfDocuments", "1", 1},
      {"Interface", "NumberOfDocuments", "x", 15},  {"Fonts", "EditorFontSize", "8", 9},
      {"Fonts", "EditorFontSize", "26", 26},        {"Fonts", "EditorFontSize", "27", 9},
      {"Interface", "CloseButton", "3", 0},         {"Interface", "CloseButton", "7", 0},
      {"Interface", "CloseButton", "2", 2},         {"Interface", "CloseButton", "258", 2},
      {"General", "Encoding", "260", 4},            {"General", "Encoding", "8", 0},
      {"General", "Encoding", "7", 7},              {"General", "Encoding", "-1", 0},
      {"Editor", "TabWidth", "$10", 16},            {"Editor", "RightMargin", "80", 80},
  };
  TTestFolder folder;
  for (const TRangeCase& c : cases) {
    const std::wstring name =
        folder.Write(L"p.ini", std::string("[") + c.Section + "]\r\n" + c.Key + "=" + c.Value + "\r\n");
    TOptions options(name);
    EXPECT_EQ(Field(options, c.Key), c.Expected) << c.Key << "=" << c.Value;
  }
}

TEST(Options, FontNamesMustBeMonospaced) {
  TTestFolder folder;
  for (const auto& [given, expected] : std::vector<std::pair<std::string, std::string>>{
           {"DejaVu Sans", "Courier New"}, {"DejaVu Sans Mono", "DejaVu Sans Mono"}, {"", "Courier New"}}) {
    TOptions options(folder.Write(L"p.ini", "[Fonts]\r\nEditorFontName=" + given + "\r\n"));
    EXPECT_EQ(options.EditorFontName, expected) << given;
  }
}

TEST(Options, MarginsReadInEitherFormAndWrittenWithAPoint) {
  TTestFolder folder;
  const std::wstring name =
      folder.Write(L"p.ini", "[PageMargins]\r\npMarginsTop=2,25\r\npMarginsLeft=0.5\r\nlMarginsTop=abc\r\nlMarginsLeft=inf\r\n");
  {
    TOptions options(name);
    EXPECT_EQ(options.pMarginsTop, 2.25);
    EXPECT_EQ(options.pMarginsLeft, 0.5);
    EXPECT_EQ(options.lMarginsTop, 3);
    EXPECT_EQ(options.lMarginsLeft, 2);
  }
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadString("PageMargins", "pMarginsTop", ""), "2.25");
  EXPECT_EQ(ini.ReadString("PageMargins", "lMarginsTop", ""), "3");
  EXPECT_EQ(IniTextToFloat(" 1e2 ", 0), 100);
  EXPECT_EQ(IniTextToFloat("1.5x", 7), 7);
  EXPECT_EQ(IniTextToFloat(FloatToIniText(0.1), 0), 0.1);
}

TEST(Options, SchemeNamesAFileOfTheHighlightersFolderAndIsNeverRewritten) {
  TTestFolder folder;
  const WideString schemes = AppPath(L"Highlighters");
  CreateDirectoryW(schemes.c_str(), nullptr);
  const WideString scheme = schemes + L"\\opt-test.xml";
  CloseHandle(CreateFileW(scheme.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const std::wstring name = folder.Write(L"p.ini", "[Document]\r\nSyntaxHighlighting=opt-test.xml\r\nOwn=1\r\n");
  {
    TOptions options(name);
    EXPECT_EQ(options.SyntaxHighlighting, scheme);
    options.SyntaxHighlighting = L"changed";
  }
  EXPECT_EQ(TMemIniFile(name).ReadString("Document", "SyntaxHighlighting", ""), "opt-test.xml");
  EXPECT_EQ(TMemIniFile(name).ReadString("Document", "Own", ""), "1");
  EXPECT_EQ(TOptions(folder.Write(L"q.ini", "[Document]\r\nSyntaxHighlighting=gone.xml\r\n")).SyntaxHighlighting, L"");
  DeleteFileW(scheme.c_str());
  RemoveDirectoryW(schemes.c_str());
}

TEST(Options, ChangedValuesRoundTripThroughTheFile) {
  TTestFolder folder;
  const std::wstring name = folder.Write(L"p.ini", "; mine\r\n[Interface]\r\nNumberOfDocuments=20\r\n");
  {
    TOptions options(name);
    options.WordWrap = false;
    options.DateAndTimeFormat = "yyyy-mm-dd";
    options.BookmarkLineBackground = clRed;
    options.lMarginsBottom = 0.75;
    options.Encoding = teUtf8;
  }
  TOptions again(name);
  EXPECT_EQ(again.NumberOfDocuments, 20);
  EXPECT_FALSE(again.WordWrap);
  EXPECT_EQ(again.DateAndTimeFormat, "yyyy-mm-dd");
  EXPECT_EQ(again.BookmarkLineBackground, clRed);
  EXPECT_EQ(again.lMarginsBottom, 0.75);
  EXPECT_EQ(again.Encoding, teUtf8);
  EXPECT_EQ(folder.Read(L"p.ini").substr(0, 8), "; mine\r\n");
}

TEST(Options, ARefusedWriteAtExitIsReportedAndRaisesNothing) {
  TTestFolder folder;
  TBoxes boxes;
  TMessageBoxHandler* previous = Application->SetMessageBoxHandler(&boxes);
  {
    auto options = std::make_unique<TOptions>(folder.File(L"missing\\Preferences.ini"));
    EXPECT_THROW(options->WriteToFile(), EIniFileException);
    EXPECT_NO_THROW(options.reset());
  }
  Application->SetMessageBoxHandler(previous);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].find(L"|Halcorn Verdan|16"), WideString::npos);
}

TEST(Options, ConfigureEditorAppliesTheSettings) {
  TTestFolder folder;
  TOptions options(folder.Write(L"p.ini", ""));
  options.ShowNonprintingCharacters = true;
  options.AutoIndent = false;
  options.ShowLineNumbers = false;
  options.TabsToSpaces = true;
  options.TabWidth = 3;
  options.RightMargin = 72;
  options.SelectionBackground = clYellow;
  options.EditorFontName = "DejaVu Sans Mono";
  options.EditorFontSize = 14;
  TTxtEdit edit(nullptr);
  ConfigureEditor(&edit, options);
  const TTxtEditorOptions set = edit.Options();
  EXPECT_TRUE(set.Contains(eoShowSpecialChars));
  EXPECT_FALSE(set.Contains(eoAutoIndent));
  EXPECT_TRUE(set.Contains(eoTabsToSpaces));
  EXPECT_TRUE(set.Contains(eoShowScrollHint));
  EXPECT_TRUE(set.Contains(eoGroupUndo));
  EXPECT_EQ(edit.TabWidth(), 3);
  EXPECT_EQ(edit.RightEdge(), 72);
  EXPECT_EQ(edit.SelectedColor()->Background(), clYellow);
  EXPECT_EQ(edit.Font()->Name(), L"DejaVu Sans Mono");
  EXPECT_EQ(edit.Font()->Size(), 14);
  EXPECT_EQ(edit.Gutter()->Font()->Size(), 12);
  EXPECT_FALSE(edit.Gutter()->ShowLineNumbers());
  options.ShowLineNumbers = true;
  ConfigureEditor(&edit, options);
  EXPECT_FALSE(edit.Options().Contains(eoShowScrollHint));
}

TEST(OptionsFuzz, DamagedFilesGiveValuesInRange) {
  TTestFolder folder;
  const std::string good =
      "[Interface]\r\nNumberOfDocuments=20\r\nCloseButton=1\r\n[General]\r\nEncoding=4\r\n"
      "[Fonts]\r\nEditorFontSize=12\r\n[PageMargins]\r\npMarginsTop=2.5\r\n";
  std::mt19937 random(103);
  TBoxes boxes;
  TMessageBoxHandler* previous = Application->SetMessageBoxHandler(&boxes);
  for (int round = 0; round < 70; ++round) {
    std::string bytes = good;
    for (int n = 1 + random() % 6; n > 0; --n) {
      const size_t at = random() % bytes.size();
      switch (random() % 3) {
        case 0: bytes[at] = static_cast<char>(random()); break;
        case 1: bytes.erase(at, 1 + random() % 4); break;
        default: bytes.insert(at, 1, "=[]\r\n9-,"[random() % 8]);
      }
      if (bytes.empty()) bytes = "x";
    }
    const std::wstring name = folder.Write(L"f.ini", bytes);
    {
      TOptions read(name);
      ASSERT_TRUE(read.NumberOfDocuments >= 1 && read.NumberOfDocuments <= 25) << round;
      ASSERT_LE(read.CloseButton, 2);
      ASSERT_LE(read.Encoding, teLastEncoding);
      ASSERT_TRUE(read.EditorFontSize >= 9 && read.EditorFontSize <= 26);
    }
    ASSERT_TRUE(boxes.shown.empty()) << round;
  }
  Application->SetMessageBoxHandler(previous);
}

TEST(OptionsFuzz, FloatTextsGiveANumberOrTheDefault) {
  std::mt19937 random(7);
  const char alphabet[] = "0123456789.,-+eE xn";
  for (int round = 0; round < 5000; ++round) {
    AnsiString text;
    for (int n = random() % 12; n > 0; --n) text += alphabet[random() % (sizeof alphabet - 1)];
    const double value = IniTextToFloat(text, -77);
    ASSERT_TRUE(std::isfinite(value)) << text;
    if (value != -77) {
      ASSERT_EQ(IniTextToFloat(FloatToIniText(value), -1), value) << text;
    }
  }
}

}  // namespace
