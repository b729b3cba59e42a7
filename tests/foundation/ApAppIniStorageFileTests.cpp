// The INI storage's file: named in UTF-16 in folders outside the ANSI code page, and files with
// zero bytes, cut short or with long lines, written and read again without an entry lost.
#include <gtest/gtest.h>

#include <functional>
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

// UTF-16 LE bytes of 8-bit text, with or without the mark.
std::string Utf16(const std::string& Text, bool Mark = true) {
  std::string bytes = Mark ? "\xFF\xFE" : "";
  for (char c : Text) bytes += std::string{c, '\0'};
  return bytes;
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

// An entry of a damaged file that no file could hold as it was read: a UTF-8 mark inside (its
// first byte is upper-cased in the entry's name).
bool Unkeepable(const std::string& Key, const std::string& Value) {
  return Key.find("\xBB\xBF") != std::string::npos || Value.find("\xEF\xBB\xBF") != std::string::npos;
}

// A file the storage writes after reading it: nothing it held is lost, the window's entries are
// there, and reading and writing it again changes no byte.
void CheckRoundTrip(const WideString& File, const std::string& Input) {
  Put(File, Input);
  const WideString kept = DamagedSettingsFileName(File);
  DeleteFileW(kept.c_str());
  const bool damaged = !TMemIniFile(File).Understood();
  const auto before = Entries(File);
  {
    TApAppIniFileStorage s(nullptr);
    s.SetAutoFlush(true);
    s.SetAutoReload(true);
    s.SetFlushOnDestroy(false);
    s.SetWideFileName(File);
    WriteWindowEntries(s);
    // A file the document can hold is never renamed; a damaged one is kept whole beside it.
    EXPECT_EQ(s.KeptFileName(), damaged ? kept : WideString()) << Input.substr(0, 200);
  }
  EXPECT_EQ(FileExists(kept), damaged) << Input.substr(0, 200);
  if (damaged) {
    EXPECT_EQ(Bytes(kept), Input);
  }
  const std::string written = Bytes(File);
  const auto after = Entries(File);
  for (const auto& [key, value] : before)
    if (key.compare(0, 9, "MAINFORM|") != 0 && key.compare(0, 10, "MAINFORM\\M") != 0 &&
        !(damaged && Unkeepable(key, value))) {
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
    EXPECT_EQ(s.KeptFileName(), WideString()) << "the next run reads the new file as it is";
    s.Flush();
  }
  DeleteFileW(kept.c_str());
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
  // The same in the other text forms, whose cuts and edits damage them: a letter cut in half, a
  // stray byte, a lone surrogate, an odd byte.
  const std::string forms[] = {"\xEF\xBB\xBF" + seed + "[Find]\r\nText=caf\xC3\xA9 \xD0\x91\r\n",
                               seed + "[Find]\r\nText=\xD0\x91\xD0\xB2\r\n", Utf16(seed)};
  for (const std::string& form : forms) {
    for (size_t cut = form.size() > 60 ? form.size() - 60 : 0; cut <= form.size(); ++cut)
      CheckRoundTrip(file, form.substr(0, cut));
    for (int i = 0; i < 100 && !HasFailure(); ++i) {
      std::string input = form;
      for (int edits = 1 + static_cast<int>(below(3)); edits > 0; --edits) {
        const size_t at = below(input.size() + 1);
        if (below(2) == 0 && at < input.size())
          input[at] = static_cast<char>(below(256));
        else
          input.insert(at, tokens[below(std::size(tokens) - 1)]);
      }
      CheckRoundTrip(file, input);
    }
  }
  // Values of any bytes, as the program writes them: the bytes of the text forms' marks at their
  // start and inside, lone high bytes, zero bytes, line breaks, all 256 bytes. Written into a
  // file of each form, each reads back as it was, nothing is kept as damaged, and the file is
  // written again unchanged.
  std::string every;
  for (int c = 0; c < 256; ++c) every += static_cast<char>(c);
  const std::string pieces[] = {
      "\xEF\xBB\xBF",       "\xFF\xFE", "\xFE\xFF", "\xEF\xBB", "\xBF", "a",        " ",  "\r\n",
      std::string(1, '\0'), "=",        "\"",       "\x7F\"",   "\\n",  "\xC3\xA9", every};
  const std::string starts[] = {"",
                                seed,
                                "[Find]\r\nText=caf\xE9\r\n",
                                "[Find]\r\nText=caf\xC3\xA9\r\n",
                                "\xEF\xBB\xBF[Find]\r\nText=caf\xC3\xA9\r\n",
                                Utf16("[Find]\r\nText=v\r\n")};
  for (int i = 0; i < 150 && !HasFailure(); ++i) {
    const std::string& start = starts[below(std::size(starts))];
    Put(file, start);
    std::vector<std::string> values;
    for (int n = 1 + static_cast<int>(below(4)); n > 0; --n) {
      std::string value;
      for (int p = 1 + static_cast<int>(below(4)); p > 0; --p)
        value += below(4) == 0 ? std::string(1, static_cast<char>(0x80 + below(128)))
                               : pieces[below(std::size(pieces) - (below(10) == 0 ? 0 : 1))];
      values.push_back(value);
    }
    const std::string what = "start " + start.substr(0, 12) + " value " + values[0].substr(0, 40);
    {
      TApAppIniFileStorage s(nullptr);
      s.SetFlushOnDestroy(false);
      s.SetWideFileName(file);
      for (size_t v = 0; v < values.size(); ++v) s.WriteString("Fuzz\\Value" + std::to_string(v), values[v]);
      s.Flush();
    }
    const std::string written = Bytes(file);
    {
      TApAppIniFileStorage s(nullptr);
      s.SetFlushOnDestroy(false);
      s.SetWideFileName(file);
      EXPECT_EQ(s.KeptFileName(), WideString()) << what;
      for (size_t v = 0; v < values.size(); ++v)
        EXPECT_EQ(s.ReadString("Fuzz\\Value" + std::to_string(v), "<none>"), values[v]) << what;
      s.Flush();
    }
    EXPECT_FALSE(FileExists(DamagedSettingsFileName(file))) << what;
    EXPECT_EQ(Bytes(file), written) << "written again unchanged: " << what;
    DeleteFileW(DamagedSettingsFileName(file).c_str());
  }
}

// Every kind of file the document cannot hold as it is: each is kept whole under its new name,
// the entries read from it are in the file written anew (the window's beside them), and the
// next storage reads that file without keeping anything.
TEST_F(StorageFile, DamagedFilesOfEveryKindAreKeptWholeAndWrittenAnew) {
  const WideString file = dir.File(L"Preferences.ini");
  const std::string body = "[Editor]\r\nTabWidth=7\r\n[FilesPos]\r\nCount=1\r\nItem0=C:\\x.txt|3|4\r\n";
  struct TCase {
    const char* Kind;
    std::string Bytes;
    const char* Lost;  // the entry that no file could hold, or null
  };
  const TCase cases[] = {
      {"a stray byte in UTF-8 with its mark", "\xEF\xBB\xBF" + body + "[Find]\r\nText=caf\xE9\r\n", nullptr},
      {"Cyrillic UTF-8 under code page 1252", body + "[Find]\r\nText=\xD0\x91\xD0\xB2\r\n", nullptr},
      {"UTF-8 cut inside a letter", "\xEF\xBB\xBF" + body + "[Find]\r\nText=\xC3", nullptr},
      {"UTF-16 with a lone surrogate", Utf16(body + "[Find]\r\nText=") + std::string("\x00\xD8", 2), nullptr},
      {"UTF-16 with an odd byte", Utf16(body) + "x", nullptr},
      {"a UTF-8 mark inside a UTF-8 value",
       body + "[Find]\r\nText=a\xEF\xBB\xBF"
              "b\xC3\xA9\r\n",
       "FIND|TEXT"},
      {"UTF-16 without its mark", Utf16(body, false), nullptr},
  };
  for (const TCase& c : cases) {
    Put(file, c.Bytes);
    ASSERT_FALSE(TMemIniFile(file).Understood()) << c.Kind;
    const auto before = Entries(file);
    // A copy kept from an earlier run keeps its name: the new one takes the next.
    Put(dir.File(L"Preferences (damaged).ini"), "older");
    {
      TApAppIniFileStorage s(nullptr);
      s.SetAutoFlush(true);
      s.SetFlushOnDestroy(false);
      s.SetWideFileName(file);
      EXPECT_EQ(s.KeptFileName(), dir.File(L"Preferences (damaged 2).ini")) << c.Kind;
      EXPECT_NO_THROW(WriteWindowEntries(s)) << c.Kind;
    }
    EXPECT_EQ(Bytes(dir.File(L"Preferences (damaged 2).ini")), c.Bytes) << c.Kind;
    EXPECT_EQ(Bytes(dir.File(L"Preferences (damaged).ini")), "older");
    const auto after = Entries(file);
    for (const auto& [key, value] : before) {
      if (c.Lost && key == c.Lost) continue;
      EXPECT_EQ(after.count(key) ? after.at(key) : "<lost>", value) << key << " of " << c.Kind;
    }
    // Read as 8-bit text, UTF-16 without its mark gives names with zero bytes, kept as they are.
    EXPECT_EQ(before.count("EDITOR|TABWIDTH"), c.Bytes[1] != '\0') << c.Kind;
    for (const char* key : windowKeys) EXPECT_EQ(after.count(key), 1u) << key << " of " << c.Kind;
    const std::string written = Bytes(file);
    {
      TApAppIniFileStorage s(nullptr);
      s.SetWideFileName(file);
      EXPECT_EQ(s.KeptFileName(), WideString()) << c.Kind;
      EXPECT_EQ(s.ReadString("MainForm\\NormPos", ""), "10,20,650,500") << c.Kind;
    }
    EXPECT_EQ(Bytes(file), written) << "written again unchanged: " << c.Kind;
    EXPECT_FALSE(FileExists(dir.File(L"Preferences (damaged 3).ini"))) << c.Kind;
    DeleteFileW(dir.File(L"Preferences (damaged).ini").c_str());
    DeleteFileW(dir.File(L"Preferences (damaged 2).ini").c_str());
  }
}

// Files the document holds as they are, however odd, are never renamed; a file that cannot be
// read at all is neither kept nor replaced: the error says what is wrong.
TEST_F(StorageFile, SoundAndUnreadableFilesAreNeverReplaced) {
  const WideString file = dir.File(L"Toolbars.ini");
  const std::string sound[] = {"", "[A]\r\nk=caf\xE9\r\n", "\xEF\xBB\xBF[A]\r\nk=caf\xC3\xA9\r\n",
                               Utf16("[A]\r\nk=v\r\n"), "[Sec\0tion]\r\nKe\0y=1\r\n"s, "no section",
                               // An entry of a stray mark's letters, as earlier runs wrote it.
                               "[Find]\r\nCount=1\r\nItem0=\xEF\xBB\xBF\r\n"};
  for (const std::string& bytes : sound) {
    Put(file, bytes);
    EXPECT_EQ(KeepDamagedSettingsFile(file), WideString()) << bytes;
    EXPECT_EQ(Bytes(file), bytes);
    EXPECT_FALSE(FileExists(DamagedSettingsFileName(file))) << bytes;
  }
  DeleteFileW(file.c_str());
  EXPECT_EQ(KeepDamagedSettingsFile(file), WideString()) << "a missing file";
  EXPECT_FALSE(FileExists(file));
  // Held open by another program that shares nothing.
  const std::string damaged = "\xEF\xBB\xBF[A]\r\nk=\xE9\r\n";
  Put(file, damaged);
  HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(KeepDamagedSettingsFile(file), EFOpenError);
  {
    TApAppIniFileStorage s(nullptr);
    s.SetFlushOnDestroy(false);
    EXPECT_THROW(s.SetWideFileName(file), EFOpenError);
  }
  CloseHandle(held);
  EXPECT_EQ(Bytes(file), damaged);
  EXPECT_FALSE(FileExists(DamagedSettingsFileName(file)));
}

// The storage names the file while another program holds it, so that it cannot read it yet.
void NameHeldFile(TApAppIniFileStorage& S, const WideString& File, bool Automatic) {
  S.SetFlushOnDestroy(false);
  S.SetAutoFlush(Automatic);
  S.SetAutoReload(Automatic);
  EXPECT_THROW(S.SetWideFileName(File), EFOpenError);
}

// A list of the items given.
void PutList(TApCustomAppStorage& S, const AnsiString& Path, std::initializer_list<const char*> Items) {
  TStringList list;
  for (const char* item : Items) list.Add(item);
  S.WriteStoredStringList(Path, list);
}

// A file held by another program when the storage first names it: the reads give their
// defaults, nothing is written over it while it stays unread, and what the run writes meanwhile
// waits. Once it can be read, what the run changed from what it started with goes over the
// file's values, before the late read or after it; what the run left as it started, and what
// it never held, stays the file's. A list the run changed takes the run's changes over the
// file's items.
TEST_F(StorageFile, AFileHeldBeforeItWasReadTakesWhatTheRunChangedOnceRead) {
  const WideString file = dir.File(L"Preferences.ini");
  const std::string users =
      "[MainForm]\r\nNormPos=61,52,674,484\r\nShowCmd=3\r\nFlags=2\r\nGone=user\r\nStays=user\r\n"
      "Unheld=user\r\nRead=user\r\n[MainForm\\Shrink]\r\nCount=3\r\nItem0=x\r\nItem1=y\r\nItem2=z\r\n"
      "[MainForm\\Grow]\r\nCount=1\r\nItem0=g\r\n[MainForm\\Same]\r\nCount=2\r\nItem0=p\r\nItem1=q\r\n"
      "[MainForm\\Mixed]\r\nCount=4\r\nItem0=x\r\nItem1=y\r\nItem2=z\r\nItem3=w\r\n"
      "[MainForm\\Unstarted]\r\nCount=2\r\nItem0=x\r\nItem1=y\r\n[MainForm\\Tree\\Sub]\r\na=1\r\n[MainForm\\Other\\Sub]"
      "\r\nb=1\r\n[Untouched]\r\nk=file\r\n";
  const struct {
    const char* Entry;  // "SECTION|KEY", as Entries gives it
    const char* Value;  // null: not in the file
    const char* Why;
  } expected[] = {
      {"MAINFORM|NORMPOS", "10,20,650,500", "changed before the late read"},
      {"MAINFORM|SHOWCMD", "3", "written as it started, after the late read"},
      {"MAINFORM|FLAGS", "2", "written as it started, before the late read"},
      {"MAINFORM|GONE", nullptr, "removed: the run started with it"},
      {"MAINFORM|STAYS", "user", "never touched"},
      {"MAINFORM|UNHELD", "user", "removed, but the run never held it"},
      {"MAINFORM|READ", "r0", "read from the file, then written"},
      {"MAINFORM|ADDED", "new", "written, the run never started with it"},
      {"MAINFORM|LATE", "late", "changed after the late read"},
      {"MAINFORM\\SHRINK|COUNT", "4", "a list written shorter than the file's after the late read"},
      {"MAINFORM\\SHRINK|ITEM0", "foo", ""},
      {"MAINFORM\\SHRINK|ITEM1", "x", ""},
      {"MAINFORM\\SHRINK|ITEM3", "z", ""},
      {"MAINFORM\\GROW|COUNT", "4", "a list grown before the late read"},
      {"MAINFORM\\GROW|ITEM2", "c", ""},
      {"MAINFORM\\GROW|ITEM3", "g", ""},
      {"MAINFORM\\SAME|COUNT", "2", "a list written as it started"},
      {"MAINFORM\\SAME|ITEM1", "q", ""},
      {"MAINFORM\\MIXED|COUNT", "5", "a list changed in its last item only: the run's start is not the file's"},
      {"MAINFORM\\MIXED|ITEM0", "d", ""},
      {"MAINFORM\\MIXED|ITEM1", "x", ""},
      {"MAINFORM\\MIXED|ITEM4", "w", ""},
      {"MAINFORM\\MIXED|ITEM5", nullptr, ""},
      {"MAINFORM\\UNSTARTED|COUNT", "3", "a list the run did not start with, written before the late read"},
      {"MAINFORM\\UNSTARTED|ITEM0", "e", ""},
      {"MAINFORM\\UNSTARTED|ITEM2", "y", ""},
      {"MAINFORM\\TREE\\SUB|A", nullptr, "a subtree the run started with, deleted"},
      {"MAINFORM\\OTHER\\SUB|B", "1", "a subtree the run never held, deleted"},
      {"UNTOUCHED|K", "file", "a section the run never held"},
  };
  for (bool automatic : {false, true}) {
    Put(file, users);
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
      TApAppIniFileStorage s(nullptr);
      NameHeldFile(s, file, automatic);
      EXPECT_EQ(s.ReadString("MainForm\\NormPos", "none"), "none");
      s.RecordStartingValues([&] {
        s.WriteString("MainForm\\NormPos", "0,0,808,587");
        s.WriteInteger("MainForm\\ShowCmd", 1);
        s.WriteInteger("MainForm\\Flags", 0);
        s.WriteString("MainForm\\Gone", "d");
        s.WriteString("MainForm\\Read", "r0");
        for (const char* list : {"MainForm\\Shrink", "MainForm\\Grow", "MainForm\\Same"}) PutList(s, list, {});
        PutList(s, "MainForm\\Mixed", {"a", "b", "c"});
        s.WriteString("MainForm\\Tree\\Sub\\a", "0");
      });
      EXPECT_EQ(s.ReadString("MainForm\\NormPos", "none"), "none") << "starting values are not written";
      // While the file is held.
      EXPECT_NO_THROW(s.WriteString("MainForm\\NormPos", "10,20,650,500"));
      EXPECT_NO_THROW(s.WriteInteger("MainForm\\Flags", 0));
      EXPECT_NO_THROW(s.DeleteValue("MainForm\\Gone"));
      EXPECT_NO_THROW(s.DeleteValue("MainForm\\Unheld"));
      EXPECT_NO_THROW(PutList(s, "MainForm\\Grow", {"a", "b", "c"}));
      EXPECT_NO_THROW(PutList(s, "MainForm\\Unstarted", {"e"}));
      EXPECT_NO_THROW(s.Flush()) << "nothing written while held";
      EXPECT_EQ(s.ReadString("MainForm\\NormPos", ""), "10,20,650,500") << "the run's own value, meanwhile";
      CloseHandle(held);
      // Read now.
      EXPECT_EQ(s.ReadString("Untouched\\k", ""), "file");
      EXPECT_EQ(s.ReadString("MainForm\\Read", ""), "user");
      s.WriteString("MainForm\\Read", "r0");
      s.WriteInteger("MainForm\\ShowCmd", 1);
      s.WriteString("MainForm\\Added", "new");
      s.WriteString("MainForm\\Late", "late");
      PutList(s, "MainForm\\Shrink", {"foo"});
      PutList(s, "MainForm\\Same", {});
      PutList(s, "MainForm\\Mixed", {"a", "b", "d"});
      s.DeleteSubTree("MainForm\\Tree");
      s.DeleteSubTree("MainForm\\Other");
      s.Flush();
    }
    const auto entries = Entries(file);
    for (const auto& e : expected) {
      auto found = entries.find(e.Entry);
      EXPECT_EQ(found == entries.end() ? "<none>" : found->second, e.Value ? e.Value : "<none>")
          << e.Entry << ": " << e.Why << (automatic ? " (automatic)" : "");
    }
    EXPECT_FALSE(FileExists(DamagedSettingsFileName(file)));
  }
}

// A list as a file holds it: items that are values, or ("/" before the text) sections with a
// "Name" value.
std::string ListText(const std::vector<std::string>& Items) {
  std::string text = "[MainForm\\List]\r\nCount=" + std::to_string(Items.size()) + "\r\n", folders;
  for (size_t i = 0; i < Items.size(); ++i) {
    const std::string item = "Item" + std::to_string(i);
    if (Items[i][0] == '/')
      folders += "[MainForm\\List\\" + item + "]\r\nName=" + Items[i].substr(1) + "\r\n";
    else
      text += item + "=" + Items[i] + "\r\n";
  }
  return text + folders + "[Other]\r\nk=file\r\n";
}

// Written as the storage writes a list of strings or of objects.
void WriteItems(TApCustomAppStorage& S, const std::vector<std::string>& Items) {
  if (Items.empty() || Items[0][0] != '/') {
    TStringList list;
    for (const std::string& item : Items) list.Add(item);
    S.WriteStoredStringList("MainForm\\List", list);
    return;
  }
  S.WriteInteger("MainForm\\List\\Count", static_cast<int>(Items.size()));
  for (size_t i = 0; i < Items.size(); ++i)
    S.WriteString("MainForm\\List\\Item" + std::to_string(i) + "\\Name", Items[i].substr(1));
  TStringList folders;
  S.EnumFolders("MainForm\\List", folders, false);
  for (int i = 0; i < folders.Count(); ++i)
    if (std::stoi(folders[i].substr(4)) >= static_cast<int>(Items.size()))
      S.DeleteSubTree("MainForm\\List\\" + folders[i]);
}

std::vector<std::string> ItemsOf(const WideString& File, const AnsiString& List = "MainForm\\List") {
  TMemIniFile ini(File);
  std::vector<std::string> items;
  for (int i = 0; i < ini.ReadInteger(List, "Count", 0); ++i) {
    const AnsiString item = "Item" + std::to_string(i);
    items.push_back(ini.ValueExists(List, item) ? ini.ReadString(List, item, "")
                                                : "/" + ini.ReadString(List + "\\" + item, "Name", "?"));
  }
  return items;
}

// A list changed by a run that began while another program held the file takes the run's changes
// over the file's list once the file is read: the items the run added in front in the run's
// order, the items of its start that it dropped gone, the file's other items in their order,
// none twice, within the list's limit. A list the program reads after the late read is its own.
TEST_F(StorageFile, AListTheRunChangedKeepsTheFilesItemsTheRunNeverTouched) {
  using L = std::vector<std::string>;
  const L none{"<none>"};
  const struct {
    L File, Started, Held, Read;  // none: not recorded, not written
    int Limit;                    // 0: none
    bool ReadFirst;               // the list read after the late read, before Read is written
    L Expected;
    const char* Why;
  } rows[] = {
      {{"r1", "r2", "r3"}, {}, none, {"x"}, 0, false, {"x", "r1", "r2", "r3"}, "opened after the late read"},
      {{"r1", "r2", "r3"}, {}, {"x"}, none, 0, false, {"x", "r1", "r2", "r3"}, "opened while held"},
      {{"r1", "r2", "r3"}, {}, none, {"r3", "x"}, 0, false, {"r3", "x", "r1", "r2"}, "one of the file's again"},
      {{"r1", "r2", "r3"}, {}, none, {"x", "y"}, 4, false, {"x", "y", "r1", "r2"}, "the limit"},
      {{"b", "c", "a"}, {"a", "b"}, none, {"b"}, 0, false, {"b", "c"}, "dropped from the start"},
      {{"c", "d"}, {"a", "b"}, none, {"a", "b", "x"}, 0, false, {"x", "c", "d"}, "the start is no item of the file"},
      {{"x", "a", "y"}, {"a", "b", "c"}, none, {"c", "a", "b"}, 0, false, {"c", "x", "a", "y"}, "used again"},
      {{"c", "d"}, {"a"}, {"a"}, {"a"}, 0, false, {"c", "d"}, "written as it started"},
      {{"c", "d"}, none, {"e"}, none, 0, false, {"e", "c", "d"}, "no start, written while held"},
      {{"c", "d"}, none, none, {"x"}, 0, false, {"x"}, "no start, written only once read"},
      {{"c", "d"}, {}, {"x"}, {"y"}, 0, true, {"y"}, "read once the file was read"},
      {{"/c", "/d"}, {}, none, {"/x", "/c"}, 0, false, {"/x", "/c", "/d"}, "items that are sections"},
      {{"/c", "/d"}, {}, {"/x"}, none, 1, false, {"/x"}, "sections past the limit"},
  };
  const WideString file = dir.File(L"Preferences.ini");
  for (const auto& row : rows) {
    for (bool automatic : {false, true}) {
      const std::string why = row.Why + std::string(automatic ? " (automatic)" : "");
      Put(file, ListText(row.File));
      HANDLE held = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      {
        TApAppIniFileStorage s(nullptr);
        if (row.Limit) s.LimitList("MainForm\\List", row.Limit);
        NameHeldFile(s, file, automatic);
        if (row.Started != none) s.RecordStartingValues([&] { WriteItems(s, row.Started); });
        if (row.Held != none) WriteItems(s, row.Held);
        CloseHandle(held);
        EXPECT_EQ(s.ReadString("Other\\k", ""), "file") << why;
        if (row.ReadFirst) {
          TStringList read;
          s.ReadStoredStringList("MainForm\\List", read);
        }
        if (row.Read != none) WriteItems(s, row.Read);
        s.Flush();
      }
      EXPECT_EQ(ItemsOf(file), row.Expected) << why;
      EXPECT_EQ(TMemIniFile(file).ReadString("Other", "k", ""), "file") << why;
    }
  }
}

// Holds File, as another program would, while the storage names it and records its start.
void NameHeldFileAndStart(TApAppIniFileStorage& S, const WideString& File, const std::function<void()>& Start) {
  HANDLE held = CreateFileW(File.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  NameHeldFile(S, File, true);
  S.RecordStartingValues(Start);
  CloseHandle(held);
}

// Each write merges the run's list with the file's list as it is then (up to the file's Count).
TEST_F(StorageFile, AMergedListTakesTheFilesListAsItIsAtEachWrite) {
  using L = std::vector<std::string>;
  // File list, start, limit (0: none), writes (true: another copy's, of the file), list at the end.
  const std::tuple<L, L, int, std::vector<std::pair<bool, L>>, L, const char*> rows[] = {
      {{"r1", "r2"}, {}, 0, {{0, {"x"}}, {1, {"y", "x", "r1"}}, {0, {"z", "x"}}}, {"z", "x", "y", "r1"}, "y, not r2"},
      {{"x", "a", "y"},
       {"a", "b", "c"},
       0,
       {{0, {"c", "a", "b"}}, {1, {"o", "c", "x", "a", "y"}}, {0, {"b", "c", "a"}}},
       {"b", "c", "o", "x", "a", "y"},
       "another copy added o, the run used two of its start again"},
      {{"r1", "r2"}, {}, 0, {{0, {"x"}}, {1, {"x", "r1"}}, {0, {"x"}}}, {"x", "r1"}, "r2 gone, the same list again"},
      {{"r1", "r2"}, {}, 0, {{0, {"x"}}, {0, {"z"}}}, {"z", "r1", "r2"}, "an entry the run added and removed"},
      {{"r1", "r2", "r3"}, {}, 3, {{0, {"x"}}, {0, {"y", "x"}}, {0, {"z", "y"}}}, {"z", "y", "r1"}, "the run's limit"},
      {{"r1", "r2", "r3"}, {}, 3, {{0, {"x", "y"}}, {0, {"y"}}}, {"y", "r1", "r2"}, "entries the limit left out"},
      {{"r1", "r2", "old"}, {}, 0, {{0, {"x"}}}, {"x", "r1", "r2"}, "an item left past the file's Count"},
  };
  const WideString file = dir.File(L"Preferences.ini");
  for (const auto& [items, started, limit, writes, expected, why] : rows) {
    std::string text = ListText(items);
    if (items.back() == "old") text.replace(text.find("Count=3"), 7, "Count=2");
    Put(file, text);
    TApAppIniFileStorage s(nullptr);
    if (limit) s.LimitList("MainForm\\List", limit);
    NameHeldFileAndStart(s, file, [&] { WriteItems(s, started); });
    for (const auto& [other, written] : writes) {
      if (other) Put(file, ListText(written));
      if (!other) WriteItems(s, written);
    }
    s.Flush();
    EXPECT_EQ(ItemsOf(file), expected) << why;
  }
}

TEST_F(StorageFile, AMergedListStaysWithItsFile) {
  const WideString a = dir.File(L"A.ini"), b = dir.File(L"B.ini");
  Put(a, ListText({"a1", "a2"}));
  Put(b, ListText({"b1", "b2"}));
  TApAppIniFileStorage s(nullptr);
  NameHeldFileAndStart(s, a, [&] { WriteItems(s, {"a1"}); });
  WriteItems(s, {"x"});
  NameHeldFileAndStart(s, b, [&] { WriteItems(s, {}); });
  WriteItems(s, {"y"});
  s.Flush();
  EXPECT_EQ(ItemsOf(a), (std::vector<std::string>{"x", "a2"}));
  EXPECT_EQ(ItemsOf(b), (std::vector<std::string>{"y", "b1", "b2"}));
  // Removing the section above a merged list leaves the list merged, with the file's entries.
  Put(a, "[MainForm\\Group]\r\nv=1\r\n[MainForm\\Group\\List]\r\nCount=2\r\nItem0=r1\r\nItem1=r2\r\n");
  TApAppIniFileStorage g(nullptr);
  NameHeldFileAndStart(g, a, [&] { PutList(g, "MainForm\\Group\\List", {}); });
  PutList(g, "MainForm\\Group\\List", {"x"});
  g.DeleteValue("MainForm\\Group");
  PutList(g, "MainForm\\Group\\List", {"y", "x"});
  g.Flush();
  EXPECT_FALSE(TMemIniFile(a).ValueExists("MainForm\\Group", "v"));
  EXPECT_EQ(ItemsOf(a, "MainForm\\Group\\List"), (std::vector<std::string>{"y", "x", "r1", "r2"}));
}

// A value changed while the file was held and changed again once it was read keeps the newer
// value through whatever the storage does next, the file read again included.
TEST_F(StorageFile, AValueChangedAgainAfterTheLateReadKeepsTheNewerValue) {
  const struct {
    bool Automatic;
    std::function<void(TApAppIniFileStorage&)> Next;
    const char* Why;
  } rows[] = {
      {true, [](TApAppIniFileStorage& s) { s.WriteString("Other\\j", "1"); }, "another value written"},
      {true, [](TApAppIniFileStorage& s) { PutList(s, "Other\\List", {"x"}); }, "a list written"},
      {false, [](TApAppIniFileStorage& s) { s.Reload(); }, "read again by hand"},
  };
  const WideString file = dir.File(L"Preferences.ini");
  for (const auto& row : rows) {
    Put(file, "[MainForm]\r\nValue=file\r\n[Other]\r\nk=file\r\n");
    HANDLE held = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
      TApAppIniFileStorage s(nullptr);
      NameHeldFile(s, file, row.Automatic);
      s.RecordStartingValues([&] { s.WriteString("MainForm\\Value", "start"); });
      s.WriteString("MainForm\\Value", "held");
      CloseHandle(held);
      EXPECT_EQ(s.ReadString("MainForm\\Value", ""), "held") << row.Why;
      s.WriteString("MainForm\\Value", "newer");
      s.Flush();
      row.Next(s);
      s.Flush();
      EXPECT_EQ(s.ReadString("MainForm\\Value", ""), "newer") << row.Why;
    }
    EXPECT_EQ(TMemIniFile(file).ReadString("MainForm", "Value", ""), "newer") << row.Why;
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
