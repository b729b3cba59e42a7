// The INI storage's file: named in UTF-16 in folders outside the ANSI code page, and files with
// zero bytes, cut short or with long lines, written and read again without an entry lost.
#include <gtest/gtest.h>

#include <map>

#include "foundation/SysRoutines.h"
#include "framework/StrRoutines.h"
#include "tests/foundation/StorageTestSupport.h"

namespace {

using namespace std::string_literals;

// Every entry of the file as the INI document reads it: "section|key" to value.
std::map<std::string, std::string> Entries(const WideString& File) {
  TMemIniFile ini(File);
  std::map<std::string, std::string> entries;
  TStringList sections, keys;
  ini.ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) {
    ini.ReadSection(sections[i], &keys);
    for (int k = 0; k < keys.Count(); ++k)
      entries.emplace(AnsiUpperCase(sections[i] + "|" + keys[k]), ini.ReadString(sections[i], keys[k], ""));
  }
  return entries;
}

std::string Bytes(const WideString& File) {
  TMemoryStream m;
  m.LoadFromFile(File);
  return std::string(static_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
}

void Put(const WideString& File, const std::string& Bytes) {
  TFileStream f(File, fmCreate);
  if (!Bytes.empty()) f.WriteBuffer(Bytes.data(), static_cast<int>(Bytes.size()));
}

// The main window's entries, as the window writes them at exit.
void WriteWindowEntries(TApCustomAppStorage& S) {
  S.WriteInteger("MainForm\\FormVersion", 0);
  S.WriteInteger("MainForm\\ShowCmd", 1);
  S.WriteInteger("MainForm\\Flags", 0);
  S.WriteInteger("MainForm\\PixelsPerInch", 96);
  S.WriteString("MainForm\\MinMaxPos", "-1,-1,-1,-1");
  S.WriteString("MainForm\\MinMaxPos(1280x1024)", "-1,-1,-1,-1");
  S.WriteString("MainForm\\NormPos", "10,20,650,500");
  S.WriteString("MainForm\\NormPos(1280x1024)", "10,20,650,500");
  S.WriteBoolean("MainForm\\stsbrMain_Visible", true);
  S.WriteInteger("MainForm\\mrlstMain_Items\\Count", 1);
  S.WriteString("MainForm\\mrlstMain_Items\\Item0", "C:\\a.txt");
  S.WriteInteger("MainForm\\txtopndlgMain_FilterIndex", 1);
}

const char* const windowKeys[] = {"MAINFORM|SHOWCMD",
                                  "MAINFORM|NORMPOS",
                                  "MAINFORM|MINMAXPOS",
                                  "MAINFORM|STSBRMAIN_VISIBLE",
                                  "MAINFORM\\MRLSTMAIN_ITEMS|COUNT",
                                  "MAINFORM|PIXELSPERINCH"};

// A file the storage writes after reading it: nothing it held is lost, the window's entries are
// there, and reading and writing it again changes no byte.
void CheckRoundTrip(const WideString& File, const std::string& Input) {
  Put(File, Input);
  if (!TMemIniFile(File).Understood()) {
    // Text the document cannot keep (characters the code page lacks): never written over.
    TApAppIniFileStorage s(nullptr);
    s.SetAutoFlush(true);
    s.SetFlushOnDestroy(false);
    s.SetWideFileName(File);
    EXPECT_THROW(WriteWindowEntries(s), EIniFileException);
    EXPECT_EQ(Bytes(File), Input);
    return;
  }
  const auto before = Entries(File);
  {
    TApAppIniFileStorage s(nullptr);
    s.SetAutoFlush(true);
    s.SetAutoReload(true);
    s.SetFlushOnDestroy(false);
    s.SetWideFileName(File);
    WriteWindowEntries(s);
  }
  const std::string written = Bytes(File);
  const auto after = Entries(File);
  for (const auto& [key, value] : before)
    if (key.compare(0, 9, "MAINFORM|") != 0 && key.compare(0, 10, "MAINFORM\\M") != 0) {
      auto found = after.find(key);
      ASSERT_TRUE(found != after.end()) << "lost: " << key << " of " << Input.substr(0, 200);
      EXPECT_EQ(found->second, value) << key;
    }
  for (const char* key : windowKeys) EXPECT_EQ(after.count(key), 1u) << key << " of " << Input.substr(0, 200);
  {
    TApAppIniFileStorage s(nullptr);
    s.SetLocation(flCustom);
    s.SetWideFileName(File);
    EXPECT_EQ(s.ReadString("MainForm\\NormPos", ""), "10,20,650,500");
    s.Flush();
  }
  EXPECT_EQ(Bytes(File), written) << "written again unchanged: " << Input.substr(0, 200);
}

using StorageFile = StorageTest;

// A zero byte in a section or key name, or in a value, takes nothing else along.
TEST_F(StorageFile, ZeroBytesInNamesKeepEveryEntry) {
  const WideString file = dir.File(L"Preferences.ini");
  const std::string cases[] = {
      "[LinesFormattingForm\\cmbx\0AtLinesBegin_Items]\r\n"s,
      "[Sec\0tion]\r\nKe\0y=1\r\n"s,
      "[S]\r\nKe\0y=1\r\nk=v\0w\r\n[MainForm]\r\nShowCmd=3\r\n"s,
      "\0"s,
      "[\0]\r\n=\0\r\n"s,
  };
  for (const std::string& input : cases) {
    CheckRoundTrip(file, input);
    const std::string written = Bytes(file);
    // The damaged names stay as they were read, zero bytes and all.
    if (input.find("[Sec") == 0) {
      EXPECT_NE(written.find("[Sec\0tion]\r\nKe\0y=1"s), std::string::npos);
    }
  }
}

// Files cut at every byte, with zero bytes put in anywhere and lines past any limit: each is
// read, written with the window's entries, read and written again unchanged, nothing lost.
TEST_F(StorageFile, FuzzedFilesAreWrittenReadAndWrittenAgainUnchanged) {
  const WideString file = dir.File(L"fuzz.ini");
  const std::string seed =
      "; comment\r\n[MainForm]\r\nShowCmd=3\r\nNormPos=1,2,3,4\r\n[LinesFormattingForm\\cmbx\0AtLinesBegin_Items]\r\n"
      "Count=2\r\nItem0=a\r\nItem1= b \r\n[FilesPos]\r\nCount=1\r\nItem0=C:\\x.txt|3|4\r\n[Editor]\r\nTabWidth=8\r\n"s;
  for (size_t cut = 0; cut <= seed.size(); ++cut) CheckRoundTrip(file, seed.substr(0, cut));
  uint32_t r = 20261207;
  auto below = [&](size_t n) { return ((r = r * 1664525u + 1013904223u) >> 8) % (n ? n : 1); };
  const std::string tokens[] = {std::string(1, '\0'),   "[", "]", "=", "\r\n", "\n", " ", "\t", ";", "\xE9",
                                std::string(70000, 'L')};
  for (int i = 0; i < 400; ++i) {
    std::string input = seed;
    for (int edits = 1 + static_cast<int>(below(4)); edits > 0; --edits) {
      const size_t at = below(input.size() + 1);
      if (below(3) == 0 && at < input.size()) {
        input[at] = static_cast<char>(below(256));
      } else {
        input.insert(at, tokens[below(std::size(tokens) - (below(50) == 0 ? 0 : 1))]);
      }
    }
    CheckRoundTrip(file, input);
    if (HasFailure()) break;
  }
}

// A storage named in UTF-16 writes into folders named in Cyrillic and CJK letters, which the
// ANSI code page (1252 here) cannot hold, and reads its values back from there.
TEST_F(StorageFile, WideFileNamesReachFoldersOutsideTheCodePage) {
  for (const WideString folder : {L"\u0416\u0443\u0440\u043D\u0430\u043B", L"\u8A2D\u5B9A", L"Caf\u00E9"}) {
    const WideString name = dir.File(folder + L"\\deeper\\Preferences.ini");
    {
      TApAppIniFileStorage s(nullptr);
      s.SetLocation(flCustom);
      s.SetWideFileName(name);
      EXPECT_EQ(s.FullWideFileName(), name);
      s.WriteString("MainForm\\NormPos", "1,2,3,4");
    }
    ASSERT_TRUE(FileExists(name)) << WideToUtf8(folder);
    EXPECT_TRUE(Reported().empty());
    TApAppIniFileStorage again(nullptr);
    again.SetWideFileName(name);
    EXPECT_EQ(again.ReadString("MainForm\\NormPos", ""), "1,2,3,4");
    again.SetFlushOnDestroy(false);
  }
  // Without a UTF-16 name the location names the file, with its folders in UTF-16 too.
  TApAppIniFileStorage s(nullptr);
  s.SetReadOnly(true);
  s.SetFlushOnDestroy(false);
  s.SetFileName("Preferences");
  EXPECT_EQ(s.FullWideFileName(), ExtractFilePath(ModuleFileNameW(nullptr)) + L"Preferences.ini");
  s.SetLocation(flUserFolder);
  EXPECT_EQ(s.FullWideFileName(), GetAppdataFolderW() + L"\\Preferences.ini");
  s.SetLocation(flTemp);
  EXPECT_EQ(s.FullWideFileName(), TempDirectoryW() + L"\\Preferences.ini");
  EXPECT_EQ(AnsiToWide(TempDirectory()), TempDirectoryW());
}

}  // namespace
