// INI files: parsing and writing round trips, malformed lines, typed values, and the
// write-through file on real files.
#include <gtest/gtest.h>

#include "framework/DateTime.h"
#include "framework/FileRoutines.h"
#include "framework/IniFiles.h"
#include "framework/Streams.h"
#include "framework/Win.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

namespace {

void PutBytes(const WideString& name, const std::string& bytes) {
  TFileStream f(name, fmCreate);
  if (!bytes.empty()) f.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

std::string GetBytes(const WideString& name) {
  TFileStream f(name, fmOpenRead | fmShareDenyNone);
  std::string bytes(static_cast<size_t>(f.Size()), '\0');
  if (!bytes.empty()) f.ReadBuffer(bytes.data(), static_cast<int>(bytes.size()));
  return bytes;
}

std::string Text(TMemIniFile& ini) {
  TStringList lines;
  ini.GetStrings(&lines);
  return lines.Text();
}

void Load(TMemIniFile& ini, const std::string& text) {
  TStringList lines;
  lines.SetText(text);
  ini.SetStrings(&lines);
}

std::string Joined(TStrings& list) {
  std::string out;
  for (int i = 0; i < list.Count(); ++i) out += (i ? "|" : "") + list[i];
  return out;
}

class IniTest : public testing::Test {
 protected:
  TFormatSettingsOverride settings_{TFormatSettings::English()};
  TTempDirectory tmp_;
};

}  // namespace

TEST_F(IniTest, ParsingTrimsSkipsCommentsAndKeepsEverythingElse) {
  TMemIniFile ini(L"");
  Load(ini,
       "  stray = before\r\n"
       "; a comment\r\n"
       "\r\n"
       "[ First ]\r\n"
       "  Key1  =  value one  \r\n"
       "url=http://x/?a=b&c=d\r\n"
       "flag\r\n"
       "=nameless\r\n"
       "  ;indented comment\r\n"
       "[Second]\r\n"
       "a=1\r\n"
       "[first]\r\n"
       "Key2=merged\r\n"
       "KEY1=shadowed\r\n"
       "[Broken\r\n");
  EXPECT_EQ(ini.ReadString("First", "Key1", "?"), "value one");
  EXPECT_EQ(ini.ReadString("FIRST", "key1", "?"), "value one") << "names ignore case";
  EXPECT_EQ(ini.ReadString("First", "url", "?"), "http://x/?a=b&c=d") << "a value may hold \"=\"";
  EXPECT_EQ(ini.ReadString("First", "flag", "?"), "") << "a key without \"=\" has an empty value";
  EXPECT_EQ(ini.ReadString("First", "", "?"), "nameless");
  EXPECT_EQ(ini.ReadString("First", "Key2", "?"), "merged") << "a repeated section adds to the first";
  EXPECT_EQ(ini.ReadString("First", "[Broken", "?"), "") << "a malformed title is kept as a key";
  EXPECT_EQ(ini.ReadString("", "stray", "?"), "before") << "keys before the first title are kept";
  EXPECT_EQ(ini.ReadString("First", "missing", "dflt"), "dflt");

  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(Joined(list), "First|Second");
  ini.ReadSection("first", &list);
  EXPECT_EQ(Joined(list), "Key1|url|flag||Key2|KEY1|[Broken");
  ini.ReadSectionValues("Second", &list);
  EXPECT_EQ(Joined(list), "a=1");
}

TEST_F(IniTest, WritingLaysOutSectionsAndSurvivesARoundTrip) {
  TMemIniFile ini(L"");
  Load(ini, "top=1\r\n[B]\r\nx=1\r\n[A]\r\ny=2\r\n");
  ini.WriteString("b", "X", "changed");
  ini.WriteString("A", "z", "new");
  ini.WriteString("C", "k", "v");
  EXPECT_EQ(Text(ini), "top=1\r\n\r\n[B]\r\nx=changed\r\n\r\n[A]\r\ny=2\r\nz=new\r\n\r\n[C]\r\nk=v\r\n\r\n");
  TMemIniFile again(L"");
  Load(again, Text(ini));
  EXPECT_EQ(Text(again), Text(ini));
}

TEST_F(IniTest, NamesWithBlanksAtTheirEndsAreTheNamesTheFileGivesBack) {
  TMemIniFile ini(L"");
  ini.WriteString(" S ", " key ", "one");
  EXPECT_EQ(ini.ReadString("S", "key", "?"), "one");
  EXPECT_EQ(ini.ReadString(" s", "KEY  ", "?"), "one");
  ini.WriteString("S", "key", "two");  // the same key, not a second one
  EXPECT_EQ(Text(ini), "[S]\r\nkey=two\r\n\r\n");
  TMemIniFile again(L"");
  Load(again, Text(ini));
  EXPECT_EQ(again.ReadString(" S ", " key ", "?"), "two");
  ini.DeleteKey("S ", " key");
  EXPECT_FALSE(ini.ValueExists("S", "key"));
  ini.EraseSection("  S");
  EXPECT_FALSE(ini.SectionExists("S"));
  EXPECT_EQ(Text(ini), "");
}

TEST_F(IniTest, AUtf8MarkDoesNotHideTheFirstSection) {
  TMemIniFile ini(L"");
  Load(ini, "\xEF\xBB\xBF[First]\r\nx=1\r\n[Second]\r\ny=2\r\n");
  EXPECT_EQ(ini.ReadString("First", "x", "?"), "1");
  EXPECT_EQ(Text(ini), "[First]\r\nx=1\r\n\r\n[Second]\r\ny=2\r\n\r\n");
  // Only at the very start is it a mark.
  Load(ini, "[S]\r\n\xEF\xBB\xBFk=v\r\n");
  EXPECT_EQ(ini.ReadString("S", "\xEF\xBB\xBFk", "?"), "v");
}

TEST_F(IniTest, DeletingKeysAndSections) {
  TMemIniFile ini(L"");
  Load(ini, "[S]\r\na=1\r\nb=2\r\nA=3\r\nc=4\r\n[T]\r\nx=1\r\n[U]\r\ny=1\r\n");
  ini.DeleteKey("s", "A");
  EXPECT_EQ(ini.ReadString("S", "a", "?"), "?") << "a key the file holds twice goes entirely";
  EXPECT_EQ(ini.ReadString("S", "c", "?"), "4") << "the index follows the shifted keys";
  ini.WriteString("S", "a", "5");
  EXPECT_EQ(Text(ini).substr(0, 20), "[S]\r\nb=2\r\nc=4\r\na=5\r\n");
  ini.DeleteKey("S", "missing");
  ini.DeleteKey("Missing", "a");
  ini.EraseSection("t");
  EXPECT_FALSE(ini.SectionExists("T"));
  EXPECT_EQ(ini.ReadString("U", "y", "?"), "1") << "later sections are still found";
  ini.EraseSection("nothing");
  ini.DeleteKey("U", "y");
  EXPECT_FALSE(ini.SectionExists("U")) << "a section without keys does not count";
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(Joined(list), "S|U");
}

TEST_F(IniTest, UnstorableNamesAndValuesAreRefusedWithoutHarm) {
  TMemIniFile ini(L"");
  ini.WriteString("S", "k", "kept");
  auto message = [&](const char* section, const char* key, const char* value) -> std::string {
    try {
      ini.WriteString(section, key, value);
    } catch (const EIniFileException& e) {
      return e.what();
    }
    return "(stored)";
  };
  EXPECT_EQ(message("S", "k", "two\r\nlines"), "The value of 'k' cannot be stored in an INI file");
  EXPECT_EQ(message("S", "a=b", "x"), "The key name 'a=b' cannot be stored in an INI file");
  EXPECT_EQ(message("S", ";k", "x"), "The key name ';k' cannot be stored in an INI file");
  EXPECT_EQ(message("S", "[k", "x]"), "The key name '[k' cannot be stored in an INI file");
  EXPECT_EQ(message("S\n", "k", "x"), "The section name 'S\n' cannot be stored in an INI file");
  // Reading would trim these ends away.
  for (const char* value : {" lead", "trail ", "tab\t",
                            "\x01"
                            "ctl",
                            "\x1F"})
    EXPECT_EQ(message("S", "k", value), "The value of 'k' cannot be stored in an INI file") << value;
  EXPECT_EQ(message("S", "k]", "[x"), "(stored)");
  EXPECT_EQ(ini.ReadString("S", "k", "?"), "kept");
  EXPECT_EQ(Text(ini), "[S]\r\nk=kept\r\nk]=[x\r\n\r\n");
}

TEST_F(IniTest, TypedValues) {
  TMemIniFile ini(L"");
  Load(ini, "[V]\r\nhex=$1F\r\nhex2=0x1f\r\nwrap=$FFFFFFFF\r\nbad=12abc\r\nempty=\r\nyes=7\r\n");
  EXPECT_EQ(Joined({"hex", "hex2", "wrap", "bad", "empty", "none"},
                   [&](const char* k) { return ini.ReadInteger("V", k, -5); }),
            "31|31|-1|-5|-5|-5");
  EXPECT_TRUE(ini.ReadBool("V", "yes", false));
  EXPECT_TRUE(ini.ReadBool("V", "bad", true)) << "unreadable text gives the default";
  ini.WriteBool("V", "on", true);
  ini.WriteBool("V", "off", false);
  ini.WriteInteger("V", "n", -120);
  ini.WriteFloat("V", "f", 2.5);
  EXPECT_EQ(Joined({"on", "off", "n", "f"}, [&](const char* k) { return ini.ReadString("V", k, ""); }), "1|0|-120|2.5");
  EXPECT_EQ(ini.ReadFloat("V", "f", 0), 2.5);
  EXPECT_EQ(ini.ReadFloat("V", "bad", 1.25), 1.25);
  TDateTime when = EncodeDate(2024, 3, 14) + EncodeTime(15, 9, 26, 0);
  ini.WriteDateTime("V", "dt", when);
  ini.WriteDate("V", "d", when);
  ini.WriteTime("V", "t", when);
  EXPECT_EQ(ini.ReadString("V", "dt", ""), "3/14/2024 3:09:26 PM");
  EXPECT_DOUBLE_EQ(ini.ReadDateTime("V", "dt", 0), when);
  EXPECT_EQ(ini.ReadDate("V", "d", 0), EncodeDate(2024, 3, 14));
  EXPECT_NEAR(ini.ReadTime("V", "t", 0), EncodeTime(15, 9, 26, 0), 1e-9);
  EXPECT_EQ(ini.ReadDate("V", "bad", 3), 3);

  TMemoryStream data;
  const unsigned char bytes[] = {0x00, 0x7F, 0xAB, 0xFF};
  data.WriteBuffer(bytes, 4);
  data.SetPosition(1);
  ini.WriteBinaryStream("V", "bin", &data);
  EXPECT_EQ(ini.ReadString("V", "bin", ""), "7FABFF") << "from the stream's position on";
  TMemoryStream back;
  EXPECT_EQ(ini.ReadBinaryStream("V", "bin", &back), 3);
  EXPECT_EQ(ini.ReadBinaryStream("V", "bad", &back), 0);
  EXPECT_EQ(back.Size(), 3);
}

TEST_F(IniTest, MemIniFileReadsAndWritesItsFile) {
  WideString name = tmp_.File(L"settings.ini");
  {
    TMemIniFile missing(name);
    EXPECT_FALSE(missing.SectionExists("Any")) << "a missing file is an empty document";
  }
  PutBytes(name, "; header\n[Main]\nWidth = 640\rCaption=Caf\xE9\n\n[Other]\nx=1");
  TMemIniFile ini(name);
  EXPECT_EQ(ini.ReadInteger("Main", "Width", 0), 640);
  EXPECT_EQ(ini.ReadString("Main", "Caption", ""), "Caf\xE9") << "8-bit text passes untouched";
  ini.WriteInteger("Main", "Height", 480);
  EXPECT_EQ(GetBytes(name).find("Height"), std::string::npos) << "nothing is written before UpdateFile";
  ini.UpdateFile();
  EXPECT_EQ(GetBytes(name), "[Main]\r\nWidth=640\r\nCaption=Caf\xE9\r\nHeight=480\r\n\r\n[Other]\r\nx=1\r\n\r\n");

  // Rename without reloading keeps the document and writes it elsewhere.
  WideString copy = tmp_.File(L"copy.ini");
  ini.Rename(copy, false);
  EXPECT_EQ(ini.ReadInteger("Main", "Height", 0), 480);
  ini.UpdateFile();
  EXPECT_EQ(GetBytes(copy), GetBytes(name));
  // Renaming to a missing file with reloading empties the document.
  ini.Rename(tmp_.File(L"none.ini"), true);
  EXPECT_FALSE(ini.SectionExists("Main"));
  ini.Rename(name, true);
  EXPECT_EQ(ini.ReadInteger("Main", "Height", 0), 480);
}

TEST_F(IniTest, FileRoundTripsKeepValuesWithEqualsSignsAndIgnoreCaseInNames) {
  WideString name = tmp_.File(L"round.ini");
  PutBytes(name,
           "; settings\r\n"
           "\r\n"
           "[Paths]\r\n"
           "\r\n"
           "Query = a=b=c \r\n"
           "  ; between keys\r\n"
           "Empty=\r\n"
           "Equals===\r\n"
           "[paths]\r\n"
           "Extra=x\r\n");
  {
    TMemIniFile ini(name);
    EXPECT_EQ(ini.ReadString("PATHS", "query", ""), "a=b=c");
    EXPECT_EQ(ini.ReadString("Paths", "Equals", ""), "==");
    EXPECT_EQ(ini.ReadString("Paths", "extra", ""), "x");
    ini.WriteString("paths", "QUERY", "k=v;w");
    ini.WriteString("Paths", "New", "=lead");
    ini.UpdateFile();
  }
  EXPECT_EQ(GetBytes(name), "[Paths]\r\nQuery=k=v;w\r\nEmpty=\r\nEquals===\r\nExtra=x\r\nNew==lead\r\n\r\n");
  TMemIniFile again(name);
  EXPECT_EQ(again.ReadString("Paths", "Query", ""), "k=v;w");
  EXPECT_EQ(again.ReadString("Paths", "New", ""), "=lead");
  again.UpdateFile();
  EXPECT_EQ(GetBytes(name), "[Paths]\r\nQuery=k=v;w\r\nEmpty=\r\nEquals===\r\nExtra=x\r\nNew==lead\r\n\r\n")
      << "a file written by the document reads back to the same file";

  // The write-through file reads what the document wrote, and the other way round.
  TIniFile direct(name);
  EXPECT_EQ(direct.ReadString("PATHS", "query", ""), "k=v;w");
  direct.WriteString("Paths", "Other", "1=2");
  TMemIniFile reread(name);
  EXPECT_EQ(reread.ReadString("paths", "other", ""), "1=2");
}

TEST_F(IniTest, MemIniFileReportsAFileItCannotWrite) {
  TMemIniFile ini(tmp_.File(L"no such folder\\x.ini"));
  ini.WriteString("S", "k", "v");
  EXPECT_THROW(ini.UpdateFile(), EFCreateError);
  EXPECT_EQ(ini.ReadString("S", "k", ""), "v") << "the document is kept";
}

TEST_F(IniTest, LargeDocumentsStayIndexed) {
  TMemIniFile ini(L"");
  for (int s = 0; s < 200; ++s)
    for (int k = 0; k < 200; ++k)
      ini.WriteInteger("Section" + std::to_string(s), "Key" + std::to_string(k), s * 1000 + k);
  EXPECT_EQ(ini.ReadInteger("SECTION199", "KEY199", 0), 199199);
}

TEST_F(IniTest, IniFileWritesThroughAndKeepsComments) {
  WideString name = tmp_.File(L"prefs.ini");
  PutBytes(name, "; keep me\r\n[Main]\r\nWidth=640\r\n; and me\r\n\r\n[Other]\r\nx=1\r\n");
  TIniFile ini(name);
  EXPECT_EQ(ini.ReadInteger("main", "width", 0), 640);
  ini.WriteInteger("Main", "Width", 800);
  ini.WriteString("Main", "Caption", "Caf\xE9");
  ini.WriteString("New", "k", "v");
  {
    TMemIniFile reader(name);  // what is on disk right now
    EXPECT_EQ(reader.ReadInteger("Main", "Width", 0), 800);
    EXPECT_EQ(reader.ReadString("Main", "Caption", ""), "Caf\xE9");
    EXPECT_EQ(reader.ReadString("New", "k", ""), "v");
  }
  std::string bytes = GetBytes(name);
  EXPECT_NE(bytes.find("; keep me"), std::string::npos);
  EXPECT_NE(bytes.find("; and me"), std::string::npos);
  EXPECT_NE(bytes.find("Caf\xE9"), std::string::npos) << "the file stays 8-bit";

  EXPECT_TRUE(ini.SectionExists("OTHER"));
  EXPECT_TRUE(ini.ValueExists("Other", "X"));
  TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(Joined(list), "Main|Other|New");
  ini.ReadSectionValues("Main", &list);
  EXPECT_EQ(Joined(list), "Width=800|Caption=Caf\xE9");
  ini.DeleteKey("Main", "Caption");
  EXPECT_EQ(ini.ReadString("Main", "Caption", "gone"), "gone");
  ini.EraseSection("Other");
  EXPECT_FALSE(ini.SectionExists("Other"));
  ini.UpdateFile();
}

TEST_F(IniTest, IniFileReadsLongValuesAndExactDefaults) {
  TIniFile ini(tmp_.File(L"long.ini"));
  std::string longValue(70000, 'x');
  longValue += "end";
  ini.WriteString("S", "long", longValue);
  EXPECT_EQ(ini.ReadString("S", "long", ""), longValue) << "no cut at a fixed buffer size";
  EXPECT_EQ(ini.ReadString("S", "missing", "  padded  "), "  padded  ");
  EXPECT_EQ(ini.ReadString("Missing", "k", std::string(5000, 'd')), std::string(5000, 'd'));
  ini.WriteString("S", "empty", "");
  EXPECT_EQ(ini.ReadString("S", "empty", "dflt"), "") << "an empty value is not a missing one";
  for (int i = 0; i < 300; ++i) ini.WriteInteger("Many", "Key" + std::to_string(i) + std::string(20, 'k'), i);
  TStringList keys;
  ini.ReadSection("Many", &keys);
  EXPECT_EQ(keys.Count(), 300) << "long lists of names are not cut either";
}

TEST_F(IniTest, IniFileReportsAFileItCannotWrite) {
  TIniFile ini(tmp_.File(L"no such folder\\x.ini"));
  try {
    ini.WriteString("S", "k", "v");
    FAIL() << "no exception";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), L"Unable to write to " + ini.FileName());
  }
  EXPECT_EQ(ini.ReadString("S", "k", "none"), "none");
}

TEST_F(IniTest, AListThatRefusesALineIsLeftOutsideItsUpdateBracket) {
  // Two sections give two blank separator lines: a sorted list without duplicates refuses the
  // second one, and must still announce its later changes.
  TMemIniFile ini(L"");
  Load(ini, "[a]\nx=1\n[b]\ny=2\n");
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  EXPECT_THROW(ini.GetStrings(&list), EStringListError);
  EXPECT_EQ(list.UpdateCount(), 0);
}

namespace {
std::string Utf16(const std::wstring& text, bool bigEndian, bool mark = true) {
  std::string bytes = !mark ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) bytes += bigEndian ? std::string{char(c >> 8), char(c)} : std::string{char(c), char(c >> 8)};
  return bytes;
}
}  // namespace

// Files in each text form read as text and are written back in the form they came in; a file
// the document cannot hold as it is reads as far as it goes and is never written over.
TEST_F(IniTest, TextFormsAreWrittenBackAsTheyCameAndOthersNeverWrittenOver) {
  const std::wstring before = L"[S]\r\nk=Caf\u00e9\r\n", after = before + L"n=\u00e8\r\n\r\n";
  const struct {
    std::string file, written;  // nothing written: not understood
    TIniEncoding encoding;
    const char* value;
  } cases[] = {
      {Utf16(before, false), Utf16(after, false), TIniEncoding::Utf16LE, "Caf\xE9"},
      {Utf16(before, true), Utf16(after, true), TIniEncoding::Utf16BE, "Caf\xE9"},
      {"\xEF\xBB\xBF[S]\nk=Caf\xC3\xA9", "\xEF\xBB\xBF[S]\r\nk=Caf\xC3\xA9\r\nn=\xC3\xA8\r\n\r\n",
       TIniEncoding::Utf8Marked, "Caf\xE9"},
      {"[S]\nk=Caf\xC3\xA9", "[S]\r\nk=Caf\xC3\xA9\r\nn=\xC3\xA8\r\n\r\n", TIniEncoding::Utf8, "Caf\xE9"},
      {"[S]\nk=Caf\xE9", "[S]\r\nk=Caf\xE9\r\nn=\xE8\r\n\r\n", TIniEncoding::Ansi, "Caf\xE9"},
      {Utf16(L"[S]\r\nk=v", false) + "x", "", TIniEncoding::Utf16LE, "v"},  // a byte left over
      {Utf16(L"[S]\r\nk=v\xD800", false), "", TIniEncoding::Utf16LE, nullptr},
      {Utf16(L"[S]\r\nk=\u0416", false), "", TIniEncoding::Utf16LE, "?"},  // not in the code page
      {Utf16(L"[S]\r\nk=v", false, false), "", TIniEncoding::Ansi, nullptr},
      {"\xEF\xBB\xBF[S]\r\nk=\xC3", "", TIniEncoding::Utf8Marked, nullptr},
      // A zero byte is kept where it stands.
      {std::string("[S]\nk=v\0w", 10), std::string("[S]\r\nk=v\0w\r\nn=\xE8\r\n\r\n", 19), TIniEncoding::Ansi, nullptr},
  };
  WideString name = tmp_.File(L"forms.ini");
  for (const auto& c : cases) {
    PutBytes(name, c.file);
    TMemIniFile ini(name);
    EXPECT_EQ(ini.Encoding(), c.encoding) << c.file;
    EXPECT_EQ(ini.Understood(), !c.written.empty()) << c.file;
    EXPECT_EQ(ini.ReadString("S", "k", ""), c.value ? c.value : ini.ReadString("S", "k", "")) << c.file;
    ini.WriteString("S", "n", "\xE8");
    const std::string raised = Raised<EIniFileException>([&] { ini.UpdateFile(); });
    EXPECT_EQ(raised == "(nothing raised)", !c.written.empty()) << raised;
    EXPECT_EQ(GetBytes(name), c.written.empty() ? c.file : c.written);
    EXPECT_EQ(ini.ReadString("S", "n", ""), "\xE8") << "the document keeps its changes";
  }
}

// 8-bit text that would read back as other text once written (letters that make UTF-8 when a
// comment no longer breaks it, zero bytes that look like UTF-16) is written in UTF-8 after its
// mark, where it reads back whole, and stays in that form.
TEST_F(IniTest, EightBitTextThatWouldReadAsOtherTextIsWrittenInUtf8) {
  WideString name = tmp_.File(L"eight.ini");
  PutBytes(name, "[S]\r\n;\xE9\r\nk=\xC3\xA9\r\n");
  TMemIniFile ini(name);
  ASSERT_TRUE(ini.Understood());
  EXPECT_EQ(ini.Encoding(), TIniEncoding::Ansi);
  ini.UpdateFile();
  EXPECT_EQ(ini.Encoding(), TIniEncoding::Utf8Marked);
  EXPECT_EQ(GetBytes(name), "\xEF\xBB\xBF[S]\r\nk=\xC3\x83\xC2\xA9\r\n\r\n");
  EXPECT_EQ(TMemIniFile(name).ReadString("S", "k", ""), "\xC3\xA9");
  std::string zeros = "a";
  for (int i = 0; i < 60; ++i) zeros += std::string("\0a", 2);
  TMemIniFile fresh(name);
  fresh.Clear();
  fresh.WriteString("S", "k", zeros);
  fresh.UpdateFile();
  TMemIniFile again(name);
  EXPECT_TRUE(again.Understood());
  EXPECT_EQ(again.ReadString("S", "k", ""), zeros);
}

// Every section and entry of a document, "section|key=value;".
std::string Entries(TMemIniFile& ini) {
  std::string entries;
  TStringList sections, keys;
  ini.ReadSections(&sections);
  sections.Insert(0, "");
  for (int i = 0; i < sections.Count(); ++i) {
    ini.ReadSection(sections[i], &keys);
    for (int k = 0; k < keys.Count(); ++k)
      entries += sections[i] + "|" + keys[k] + "=" + ini.ReadString(sections[i], keys[k], "") + ";";
  }
  return entries;
}

// The bytes of a UTF-8 mark, or of a UTF-16 one, in 8-bit text are letters ("\xEF\xBB\xBF" is
// what a stray mark looks like under code pages 1252 and 1251, and users search for it): a file
// holding them in a name or value reads as it is, and whatever the document holds is written in
// a form that reads back byte for byte (a key of the untitled section that starts with them
// too) and is written again unchanged.
TEST_F(IniTest, TheBytesOfAMarkInsideTextAreLettersThatReadBackAsWritten) {
  // Files of 8-bit text (the comment's letter is no UTF-8, or no high byte but a mark's) read as
  // they are: earlier runs wrote such files.
  const struct {
    std::string file, entries;
  } files[] = {
      {"[S]\r\nk=a\xEF\xBB\xBF"
       "b\r\nm=1\r\n",
       "S|k=a\xEF\xBB\xBF"
       "b;S|m=1;"},
      {"[S\xEF\xBB\xBF]\r\n\xEF\xBB\xBF\xEF\xBB\xBF=\xEF\xBB\xBF\r\n",
       "S\xEF\xBB\xBF|\xEF\xBB\xBF\xEF\xBB\xBF=\xEF\xBB\xBF;"},
      {";\xE9\r\n[S]\r\nk=a\xEF\xBB\xBF"
       "b\r\nm=1\r\n",
       "S|k=a\xEF\xBB\xBF"
       "b;S|m=1;"},
      {";\xE9\r\n[S\xEF\xBB\xBF]\r\nk=1\r\n[T]\r\nm=2\r\n", "S\xEF\xBB\xBF|k=1;T|m=2;"},
      {";\xE9\r\n[S]\r\nk=\xFF\xFE\xEF\xBB\xBF\r\n", "S|k=\xFF\xFE\xEF\xBB\xBF;"},
  };
  const WideString name = tmp_.File(L"marks.ini");
  for (const auto& f : files) {
    PutBytes(name, f.file);
    TMemIniFile ini(name);
    EXPECT_TRUE(ini.Understood()) << f.file;
    EXPECT_EQ(Entries(ini), f.entries) << f.file;
  }
  // Documents written: in the form each came in, or in UTF-8 after its mark when that form would
  // read as something else.
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  const std::string texts[] = {"\xEF\xBB\xBF",
                               "\xEF\xBB\xBFx",
                               "a\xEF\xBB\xBF",
                               "\xFF\xFE",
                               "\xFE\xFFz",
                               "x\xFF\xFEy\xFE\xFF",
                               "\xEF\xBB\xBF\xEF\xBB\xBF",
                               "\xEF\xBB",
                               "\xBF",
                               "\xC3\xA9\xEF\xBB\xBF",
                               "caf\xE9\xEF\xBB\xBF",
                               every.substr(33, 200)};
  const std::string forms[] = {"", "[Other]\r\nk=caf\xE9\r\n", "\xEF\xBB\xBF[Other]\r\nk=\xC3\xA9\r\n",
                               Utf16(L"[Other]\r\nk=v\r\n", false)};
  for (const std::string& form : forms)
    for (const std::string& text : texts)
      for (int place = 0; place < (text.size() > 100 ? 1 : 4); ++place) {  // "=" ends a name
        PutBytes(name, form);
        TMemIniFile ini(name);
        ASSERT_TRUE(ini.Understood());
        const TIniEncoding came = ini.Encoding();
        if (place == 0) ini.WriteString("S", "k", text);
        if (place == 1) ini.WriteString("S", text, "v");
        if (place == 2) ini.WriteString("S" + text, "k", "v");
        if (place == 3) ini.WriteString("", text, text);  // the first line of the file
        const std::string entries = Entries(ini), what = form.substr(0, 4) + " " + text + " " + std::to_string(place);
        ini.UpdateFile();
        EXPECT_TRUE(ini.Encoding() == came || ini.Encoding() == TIniEncoding::Utf8Marked) << what;
        const std::string written = GetBytes(name);
        TMemIniFile back(name);
        EXPECT_TRUE(back.Understood()) << what;
        EXPECT_EQ(Entries(back), entries) << what;
        back.UpdateFile();
        EXPECT_EQ(GetBytes(name), written) << "written again unchanged: " << what;
      }
}

// A document read from a file it did not understand keeps, to be written, every section and
// entry that reads back as it is, and drops those that cannot.
TEST_F(IniTest, WhatADamagedFileHeldIsKeptWhereItReadsBack) {
  const struct {
    std::string file;
    const char* kept;  // the sections and entries left, "section|key=value;"
  } cases[] = {
      // UTF-8 as a whole: the mark inside is a character the code page lacks.
      {"[S]\r\nk=a\xEF\xBB\xBF"
       "b\xC3\xA9\r\nm=1\r\n",
       "S|k=a?b\xE9;S|m=1;"},
      {"\xEF\xBB\xBF[S]\r\nk=caf\xE9\r\nm=2\r\n", "S|k=caf?;S|m=2;"},
      {"[S]\r\nk=\xD0\x91\xD0\xB2 x\r\n", "S|k=?? x;"},
      {Utf16(L"[S]\r\nk=v\xD800\r\nm=3", false), "S|k=v?;S|m=3;"},
  };
  WideString name = tmp_.File(L"damaged.ini");
  for (const auto& c : cases) {
    PutBytes(name, c.file);
    TMemIniFile ini(name);
    ASSERT_FALSE(ini.Understood()) << c.file;
    ini.KeepWhatReadsBack();
    EXPECT_TRUE(ini.Understood());
    ini.UpdateFile();
    TMemIniFile again(name);
    EXPECT_TRUE(again.Understood()) << c.file;
    std::string entries;
    TStringList sections, keys;
    again.ReadSections(&sections);
    for (int i = 0; i < sections.Count(); ++i) {
      again.ReadSection(sections[i], &keys);
      for (int k = 0; k < keys.Count(); ++k)
        entries += sections[i] + "|" + keys[k] + "=" + again.ReadString(sections[i], keys[k], "") + ";";
    }
    EXPECT_EQ(entries, c.kept) << c.file;
  }
}
