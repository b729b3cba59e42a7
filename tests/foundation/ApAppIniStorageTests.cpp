// The INI back end: the exact text of every value type, escaping, sections and keys, the file.
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "StorageTestSupport.h"
#include "framework/Colors.h"
#include "framework/DateTime.h"
#include "framework/FileHandle.h"
#include "framework/StrRoutines.h"
#include "tests/framework/Joined.h"
#include "tests/framework/Raised.h"

#include <set>

namespace ini_test {
HV_ENUM(TPlacementCheck, pcNoCheck, pcGreaterEqual, pcEqual)
HV_ENUM(TLetter, la, lb, lc, ld)
using TLetters = TSet<TLetter>;
}  // namespace ini_test
using namespace ini_test;

// ---- value texts ----

TEST_F(StorageTest, IntegersAreDecimal) {
  auto s = Open();
  s->WriteInteger("Window\\Width", 120);
  s->WriteInteger("Window\\Delta", -5);
  s->Flush();
  EXPECT_EQ(SectionText("Window"), "Width=120|Delta=-5");
  auto r = Open();
  EXPECT_EQ(r->ReadInteger("Window\\Width", 0), 120);
  EXPECT_EQ(r->ReadInteger("Window\\Delta", 0), -5);
  EXPECT_EQ(r->ReadInteger("Window\\Missing", 77), 77);
}

TEST_F(StorageTest, IntegerTextsThatAreEmptyOrBad) {
  WriteFile("[S]\r\nEmpty=\r\nBad=12abc\r\nHex=$1F\r\n");
  auto s = Open();
  EXPECT_EQ(s->ReadInteger("S\\Empty", 9), 0);
  EXPECT_EQ(s->ReadInteger("S\\Hex", 0), 31);
  EXPECT_THROW(s->ReadInteger("S\\Bad", 9), EConvertError);
  s->StorageOptions()->SetDefaultIfReadConvertError(true);
  EXPECT_EQ(s->ReadInteger("S\\Bad", 9), 9);
}

TEST_F(StorageTest, FloatsAreTheTenBytesOfTheExtendedValue) {
  auto s = Open();
  s->WriteFloat("F\\One", 1.0L);
  const long double third = 1.0L / 3.0L;
  s->WriteFloat("F\\Third", third);
  s->WriteFloat("F\\Negative", -2.5e-300L);
  s->Flush();
  EXPECT_EQ(SectionText("F").substr(0, 24), "One=0000000000000080FF3F");
  auto r = Open();
  long double back = r->ReadFloat("F\\Third", 0);
  EXPECT_EQ(std::memcmp(&back, &third, 10), 0);
  EXPECT_EQ(r->ReadFloat("F\\Negative", 0), -2.5e-300L);
}

TEST_F(StorageTest, FloatHexTextsOfOtherLengths) {
  // 19 digits read as if a "0" stood in front; 18 give the default.
  WriteFile("[F]\r\nNineteen=000000000000080FF3F\r\nEighteen=00000000000080FF3F\r\n");
  auto s = Open();
  EXPECT_EQ(s->ReadFloat("F\\Nineteen", 0), 1.0L);
  EXPECT_EQ(s->ReadFloat("F\\Eighteen", 7.0L), 7.0L);
}

TEST_F(StorageTest, FloatsAsTextAndTheTextFallback) {
  TFormatSettingsOverride english(TFormatSettings::English());
  auto s = Open();
  s->StorageOptions()->SetFloatAsString(true);
  s->WriteFloat("F\\Text", 2.25L);
  s->Flush();
  EXPECT_EQ(SectionText("F"), "Text=2.25");
  WriteFile("[F]\r\nText=2.25\r\nWords=many\r\n");
  auto r = Open();  // hexadecimal expected, the text is read instead
  EXPECT_EQ(r->ReadFloat("F\\Text", 0), 2.25L);
  EXPECT_THROW(r->ReadFloat("F\\Words", 0), EConvertError);
  r->StorageOptions()->SetDefaultIfReadConvertError(true);
  EXPECT_EQ(r->ReadFloat("F\\Words", 3), 3.0L);
}

TEST_F(StorageTest, InfiniteAndUndefinedFloatsComeBackInBothForms) {
  const long double inf = std::numeric_limits<long double>::infinity();
  for (bool asText : {false, true}) {
    auto s = Open();
    s->StorageOptions()->SetFloatAsString(asText);
    s->WriteFloat("F\\Inf", inf);
    s->WriteFloat("F\\Minus", -inf);
    s->WriteFloat("F\\NaN", std::numeric_limits<long double>::quiet_NaN());
    s->Flush();
    if (asText) {
      EXPECT_EQ(SectionText("F"), "Inf=INF|Minus=-INF|NaN=NAN");
    }
    for (bool readAsText : {false, true}) {
      auto r = Open();
      r->StorageOptions()->SetFloatAsString(readAsText);
      EXPECT_EQ(r->ReadFloat("F\\Inf", 0), inf) << asText << readAsText;
      EXPECT_EQ(r->ReadFloat("F\\Minus", 0), -inf) << asText << readAsText;
      EXPECT_TRUE(std::isnan(r->ReadFloat("F\\NaN", 0))) << asText << readAsText;
    }
  }
}

TEST_F(StorageTest, BooleansWithTheConfiguredTexts) {
  auto s = Open();
  s->WriteBoolean("B\\Yes", true);
  s->WriteBoolean("B\\No", false);
  s->StorageOptions()->SetBooleanStringTrueValues("On, Enabled");
  s->StorageOptions()->SetBooleanStringFalseValues("Off");
  s->WriteBoolean("B\\On", true);
  s->StorageOptions()->SetBooleanAsString(false);
  s->WriteBoolean("B\\One", true);
  s->WriteBoolean("B\\Zero", false);
  s->Flush();
  EXPECT_EQ(SectionText("B"), "Yes=TRUE|No=FALSE|On=On|One=1|Zero=0");

  WriteFile("[B]\r\na=yes\r\nb=N\r\nc=1\r\nd=0\r\ne=maybe\r\nf=enabled\r\n");
  auto r = Open();
  EXPECT_TRUE(r->ReadBoolean("B\\a", false));
  EXPECT_FALSE(r->ReadBoolean("B\\b", true));
  EXPECT_TRUE(r->ReadBoolean("B\\c", false));
  EXPECT_FALSE(r->ReadBoolean("B\\d", true));
  EXPECT_TRUE(r->ReadBoolean("B\\missing", true));
  EXPECT_THROW(r->ReadBoolean("B\\e", true), EConvertError);
  r->StorageOptions()->SetBooleanStringTrueValues("On, Enabled");
  EXPECT_TRUE(r->ReadBoolean("B\\f", false));
  r->StorageOptions()->SetBooleanAsString(false);
  EXPECT_TRUE(r->ReadBoolean("B\\c", false));
}

TEST_F(StorageTest, DatesAsTextOrAsFloat) {
  TFormatSettingsOverride english(TFormatSettings::English());
  const TDateTime when = EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 0);
  auto s = Open();
  s->WriteDateTime("D\\Text", when);
  s->StorageOptions()->SetDateTimeAsString(false);
  s->WriteDateTime("D\\Hex", when);
  s->Flush();
  EXPECT_EQ(SectionText("D").substr(0, 5 + DateTimeToStr(when).size()), "Text=" + DateTimeToStr(when));
  auto r = Open();
  EXPECT_NEAR(r->ReadDateTime("D\\Text", 0), when, 1e-6);
  EXPECT_EQ(r->ReadDateTime("D\\Hex", 0), when);  // read as float when it is no date text
  r->StorageOptions()->SetDateTimeAsString(false);
  EXPECT_NEAR(r->ReadDateTime("D\\Text", 0), when, 1e-6);  // not hexadecimal: read as text
}

TEST_F(StorageTest, EnumerationsByNameOrOrdinal) {
  auto s = Open();
  s->WriteEnumeration("E\\Named", pcEqual);
  s->StorageOptions()->SetEnumerationAsString(false);
  s->WriteEnumeration("E\\Number", pcEqual);
  s->Flush();
  EXPECT_EQ(SectionText("E"), "Named=pcEqual|Number=2");
  WriteFile("[E]\r\nNamed=PCGREATEREQUAL\r\nNumber=1\r\nJunk=xyz\r\nHigh=9\r\n");
  auto r = Open();
  EXPECT_EQ(r->ReadEnumeration("E\\Named", pcNoCheck), pcGreaterEqual);
  EXPECT_EQ(r->ReadEnumeration("E\\Number", pcNoCheck), pcGreaterEqual);
  EXPECT_THROW(r->ReadEnumeration("E\\Junk", pcEqual), EConvertError);
  EXPECT_THROW(r->ReadEnumeration("E\\High", pcEqual), EConvertError);  // no such value
  r->StorageOptions()->SetDefaultIfReadConvertError(true);
  EXPECT_EQ(r->ReadEnumeration("E\\Junk", pcEqual), pcEqual);
  EXPECT_EQ(r->ReadEnumeration("E\\High", pcNoCheck), pcNoCheck);
}

TEST_F(StorageTest, TypedIntegersByIdentifier) {
  auto s = Open();
  s->WriteEnumeration("C\\Named", TypeInfoOf<TColor>(), clRed);
  s->WriteEnumeration("C\\Plain", TypeInfoOf<TColor>(), 0x123456);
  s->StorageOptions()->SetTypedIntegerAsString(false);
  s->WriteEnumeration("C\\Number", TypeInfoOf<TColor>(), clRed);
  s->Flush();
  EXPECT_EQ(SectionText("C"), "Named=clRed|Plain=1193046|Number=255");
  auto r = Open();
  EXPECT_EQ(r->ReadEnumeration("C\\Named", TypeInfoOf<TColor>(), 0), clRed);
  EXPECT_EQ(r->ReadEnumeration("C\\Plain", TypeInfoOf<TColor>(), 0), 0x123456);
  EXPECT_EQ(r->ReadEnumeration("C\\Number", TypeInfoOf<TColor>(), 0), 255);
  // Chars are stored by code.
  r->WriteEnumeration("C\\Char", TypeInfoOf<char>(), 'A');
  EXPECT_EQ(r->ReadInteger("C\\Char", 0), 65);
  EXPECT_THROW(r->WriteEnumeration("C\\Float", TypeInfoOf<double>(), 1), EApAppStorageError);
}

TEST_F(StorageTest, SetsAsOneTextOrOneBooleanPerElement) {
  auto s = Open();
  s->WriteSet("S\\Keys", TLetters{la, lc});
  s->StorageOptions()->SetBooleanAsString(false);
  s->WriteSet("S\\Bits", TLetters{lb});
  s->StorageOptions()->SetSetAsString(true);
  s->WriteSet("S\\Text", TLetters{la, lc, ld});
  s->Flush();
  EXPECT_EQ(SectionText("S\\Keys"), "la=TRUE|lb=FALSE|lc=TRUE|ld=FALSE");
  EXPECT_EQ(SectionText("S\\Bits"), "la=0|lb=1|lc=0|ld=0");
  EXPECT_EQ(SectionText("S"), "Text=[la, lc, ld]");
  auto r = Open();  // the layout is told by what is stored
  EXPECT_EQ(r->ReadSet("S\\Keys", TLetters{}), (TLetters{la, lc}));
  EXPECT_EQ(r->ReadSet("S\\Bits", TLetters{}), (TLetters{lb}));
  EXPECT_EQ(r->ReadSet("S\\Text", TLetters{}), (TLetters{la, lc, ld}));
}

TEST_F(StorageTest, BadSetTextsAreConversionErrors) {
  WriteFile("[S]\r\nBad=[la, zz]\r\n");
  auto s = Open();
  EXPECT_THROW(s->ReadSet("S\\Bad", TLetters{}), EConvertError);
  s->StorageOptions()->SetDefaultIfReadConvertError(true);
  EXPECT_EQ(s->ReadSet("S\\Bad", TLetters{lb}), (TLetters{lb}));
}

TEST_F(StorageTest, CharSetElementsKeepDistinctKeys) {
  auto s = Open();
  EXPECT_EQ(Joined(std::string("! {Aa=\\;0z"), [&](char c) { return s->CharSetElementName(c); }),
            "Char_!|Char#32|Char#123|Char#65|Char#97|Char#61|Char#92|Char_;|Char_0|Char#122");
  // No two element names meet in a case-insensitive file, and none breaks a key line.
  std::set<AnsiString> seen;
  for (int c = 0; c < 256; ++c) {
    AnsiString name = UpperCase(s->CharSetElementName(static_cast<unsigned char>(c)));
    EXPECT_TRUE(seen.insert(name).second) << c;
    EXPECT_EQ(name.find_first_of("=\\"), AnsiString::npos) << c;
  }
  TSet<char> chars{'A', 'a', '=', '\\', ';', '!', ' ', '{', '0'};
  s->WriteSet("Chars", chars);
  s->Flush();
  auto r = Open();
  EXPECT_EQ(r->ReadSet("Chars", TSet<char>{}), chars);
}

TEST_F(StorageTest, IntegerSetElementsAreNamedByTheirDecimalValue) {
  auto s = Open();
  const std::pair<int, const char*> cases[] = {{0, "Int_0"}, {7, "Int_7"}, {255, "Int_255"}, {-3, "Int_-3"}};
  for (const auto& [value, name] : cases) EXPECT_EQ(s->IntSetElementName(value), name) << value;
}

TEST_F(StorageTest, BinaryAsUpperCaseHex) {
  auto s = Open();
  const unsigned char data[] = {0x00, 0xFF, 0x10, 0xab};
  s->WriteBinary("Bin\\Data", data, 4);
  s->Flush();
  EXPECT_EQ(SectionText("Bin"), "Data=00FF10AB");
  auto r = Open();
  unsigned char big[8] = {}, small[2] = {};
  EXPECT_EQ(r->ReadBinary("Bin\\Data", big, 8), 4);
  EXPECT_EQ(std::memcmp(big, data, 4), 0);
  EXPECT_EQ(r->ReadBinary("Bin\\Data", small, 2), 2);
  EXPECT_EQ(small[1], 0xFF);
}

// ---- strings and escaping ----

TEST_F(StorageTest, StringsWithBlanksAndLineBreaksRoundTripExactly) {
  const AnsiString values[] = {"  two leading, one trailing ",
                               "// ",
                               "line one\r\nline two\nthree\rfour",
                               "\"quoted\"",
                               "\"",
                               "\t",
                               "C:\\new\\text\\r",
                               "\"  \\n \"",
                               "ends with backslash\\",
                               ""};
  auto s = Open();
  for (size_t i = 0; i < std::size(values); ++i)
    s->WriteString("Strings\\V" + IntToStr(static_cast<int>(i)), values[i]);
  s->Flush();
  auto r = Open();
  for (size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(r->ReadString("Strings\\V" + IntToStr(static_cast<int>(i)), "<missing>"), values[i]) << i;
  // Every value still takes one line.
  EXPECT_EQ(r->IniFile().ReadString("Strings", "V2", ""), "\x7F\"line one\\r\\nline two\\nthree\\rfour\"");
}

TEST_F(StorageTest, PlainValuesAreWrittenAsTheyAre) {
  auto s = Open();
  s->WriteString("P\\Path", "C:\\new\\file.txt");
  s->WriteString("P\\Inner", "a  \"b\"  c");
  s->Flush();
  EXPECT_EQ(SectionText("P"), "Path=C:\\new\\file.txt|Inner=a  \"b\"  c");
}

TEST_F(StorageTest, OldFilesReadAsBefore) {
  // Quoted texts that look escaped are what an old file holds, to the letter.
  const AnsiString values[] = {"C:\\new\\notes", "\"find me\"", "\"a\\\\b\"", "\"a\\qb \"", "\"\\n\"",
                               "\" \"",          "\"\\r\\n\"",  "\"\"",       "\"\\\\\""};
  AnsiString file = "[Old]\r\n";
  for (size_t i = 0; i < std::size(values); ++i) file += "V" + IntToStr(static_cast<int>(i)) + "=" + values[i] + "\r\n";
  WriteFile(file);
  auto s = Open();
  for (size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(s->ReadString("Old\\V" + IntToStr(static_cast<int>(i)), ""), values[i]) << values[i];
}

TEST_F(StorageTest, ReplaceCRLFOption) {
  auto s = Open();
  s->IniStorageOptions()->SetReplaceCRLF(true);
  const AnsiString value = "a\\b\r\nc";
  s->WriteString("R\\V", value);
  s->Flush();
  EXPECT_EQ(SectionText("R"), "V=a\\\\b\\nc");
  auto r = Open();
  r->IniStorageOptions()->SetReplaceCRLF(true);
  EXPECT_EQ(r->ReadString("R\\V", ""), value);
  // Blanks at the ends survive even without the quoting option.
  r->WriteString("R\\Blank", " x ");
  EXPECT_EQ(r->ReadString("R\\Blank", ""), " x ");
}

TEST_F(StorageTest, PreserveBlanksOption) {
  const std::pair<const char*, AnsiString> values[] = {
      {"Blanks", "  x "}, {"Quotes", "\"y\""}, {"Lone", "\""}, {"Plain", "z"}, {"Break", " a\r\nb"}};
  auto s = Open();
  s->IniStorageOptions()->SetPreserveLeadingTrailingBlanks(true);
  for (const auto& [key, value] : values) s->WriteString(AnsiString("Q\\") + key, value);
  s->Flush();
  EXPECT_EQ(SectionText("Q"), "Blanks=\"  x \"|Quotes=\"\"y\"\"|Lone=\"\"\"|Plain=z|Break=\x7F\"\" a\\r\\nb\"\"");
  auto r = Open();
  r->IniStorageOptions()->SetPreserveLeadingTrailingBlanks(true);
  for (const auto& [key, value] : values) EXPECT_EQ(r->ReadString(AnsiString("Q\\") + key, ""), value) << key;
}

TEST(IniValueEscaping, EveryShortValueRoundTripsThroughTheFileText) {
  // Every value of up to five characters made of the characters that mean something to the
  // escapes, the quoting or the INI text itself.
  const char alphabet[] = {' ', '"', '\\', 'n', 'r', '\r', '\n', 'a', '\t'};
  std::vector<AnsiString> values{""};
  for (size_t from = 0, len = 1; len <= 5; ++len) {
    const size_t to = values.size();
    for (size_t i = from; i < to; ++i)
      for (char c : alphabet) values.push_back(values[i] + c);
    from = to;
  }
  for (bool crlf : {false, true})
    for (bool blanks : {false, true})
      for (const AnsiString& v : values) {
        // What the INI document keeps of a value line: trimmed, on one line.
        const AnsiString text = Trim(IniEncodeValue(v, crlf, blanks));
        ASSERT_EQ(text.find_first_of("\r\n"), AnsiString::npos) << v;
        AnsiString expected = v;
        if (crlf) expected = AdjustLineBreaks(v);
        ASSERT_EQ(IniDecodeValue(text, crlf, blanks), expected)
            << crlf << blanks << " [" << v << "] as [" << text << "]";
      }
}

// ---- paths, sections and keys ----

TEST_F(StorageTest, PathsBecomeSectionAndKey) {
  auto s = Open();
  s->WriteString("MainForm\\FilesPos\\Item0", "x");
  s->WriteString("\\A\\.\\B\\\\C\\..\\D", "y");
  s->Flush();
  EXPECT_EQ(SectionText("MainForm\\FilesPos"), "Item0=x");
  EXPECT_EQ(SectionText("A\\B"), "D=y");
  AnsiString key, value;
  s->SplitKeyPath("\\A\\B\\C", key, value);
  EXPECT_EQ(key, "A\\B");
  EXPECT_EQ(value, "C");
  s->SplitKeyPath("Top", key, value);
  EXPECT_EQ(key, "");
  EXPECT_EQ(value, "Top");
}

TEST_F(StorageTest, TopLevelValuesNeedADefaultSection) {
  auto s = Open();
  EXPECT_EQ(Raised<EApAppStorageError>([&] { s->WriteString("Lonely", "x"); }),
            "TApAppIniFileStorage.ReadValue: Section undefined");
  EXPECT_THROW(s->ReadString("Lonely", ""), EApAppStorageError);
  s->SetDefaultSection("General");
  s->WriteString("Lonely", "x");
  s->WriteString(".Hidden\\Key", "h");
  s->Flush();
  EXPECT_EQ(SectionText("General"), "Lonely=x");
  EXPECT_EQ(SectionText("General.Hidden"), "Key=h");
}

TEST_F(StorageTest, DeletingASubtreeLeavesSectionsThatMerelyBeginAlike) {
  WriteFile("[Form]\r\na=1\r\n[Form\\Sub]\r\nb=2\r\n[Form\\Sub\\Deep]\r\nc=3\r\n[Formats]\r\nd=4\r\n");
  auto s = Open();
  s->DeleteSubTree("Form");
  EXPECT_FALSE(s->PathExists("Form"));
  EXPECT_FALSE(s->PathExists("Form\\Sub\\Deep"));
  EXPECT_TRUE(s->PathExists("Formats"));
  s->DeleteSubTree("");
  EXPECT_FALSE(s->PathExists("Formats"));
}

// A value that is no key erases the one section of its name; DeleteSubTree takes those below it.
TEST_F(StorageTest, DeletingAValueStoredAsASection) {
  WriteFile("[A]\r\nkey=1\r\n[A\\List]\r\nCount=1\r\nItem0=x\r\n[A\\List\\Item0]\r\np=1\r\n[A\\Listing]\r\nz=1\r\n");
  auto s = Open();
  s->DeleteValue("A\\key");
  EXPECT_FALSE(s->ValueStored("A\\key"));
  s->DeleteValue("A\\List");
  EXPECT_FALSE(s->PathExists("A\\List"));
  EXPECT_TRUE(s->PathExists("A\\List\\Item0"));
  EXPECT_TRUE(s->PathExists("A\\Listing"));
}

TEST_F(StorageTest, FoldersAndValuesAreEnumerated) {
  WriteFile(
      "[Top]\r\nv=1\r\n[Top\\Child]\r\nw=1\r\n[Top\\Child\\Grand]\r\nx=1\r\n[Top\\List]\r\nCount=2\r\nItem0=a\r\n"
      "Item1=b\r\nItems=c\r\n[Other]\r\ny=1\r\n");
  auto s = Open();
  TStringList names;
  s->EnumFolders("Top", names, false);
  EXPECT_EQ(names.CommaText(), "Child,List");
  s->EnumFolders("Top", names, true);
  EXPECT_EQ(names.CommaText(), "Child");
  s->EnumValues("Top\\List", names, false);
  EXPECT_EQ(names.CommaText(), "Count,Item0,Item1,Items");
  s->EnumValues("Top\\List", names, true);
  EXPECT_EQ(names.CommaText(), "Items,");
  EXPECT_TRUE(s->IsFolder("Top\\Child"));
  EXPECT_FALSE(s->IsFolder("Top\\List", true));
  EXPECT_TRUE(s->IsFolder("Top\\List", false));
  EXPECT_FALSE(s->IsFolder("Nowhere"));
  EXPECT_TRUE(s->ListStored("Top\\List"));
  EXPECT_FALSE(s->ListStored("Top"));
}

// ---- the file ----

TEST_F(StorageTest, CorruptFileLoadsWhatItCanAndIsWrittenBackWithNothingLost) {
  AnsiString junk = "[Good]\r\nkept=1\r\n[Broken\r\nno equals sign\r\n=novalue\r\n\x01\x02\xFF=\xFE\r\n; comment\r\n";
  junk += AnsiString(2, '\0');
  junk += "[Later]\r\n  spaced  =  value  \r\n";
  WriteFile(junk);
  auto s = Open();
  EXPECT_EQ(s->ReadInteger("Good\\kept", 0), 1);
  EXPECT_EQ(s->ReadString("Later\\spaced", ""), "value");
  s->WriteString("Good\\added", "2");
  // Zero bytes stop no write: every entry read comes back, the change with them, and the lines
  // as the document reads them (blanks and control bytes at their ends trimmed).
  s->Flush();
  EXPECT_EQ(FileText(),
            "[Good]\r\nkept=1\r\n[Broken=\r\nno equals sign=\r\n=novalue\r\n\xFF=\xFE\r\nadded=2\r\n\r\n[Later]\r\n"
            "spaced=value\r\n\r\n");
  s->SetFlushOnDestroy(false);
  const AnsiString written = FileText();
  auto again = Open();
  EXPECT_EQ(again->ReadString("Good\\added", ""), "2");
  EXPECT_EQ(again->ReadString("Later\\spaced", ""), "value");
  again->Flush();
  EXPECT_EQ(FileText(), written) << "written again unchanged";
  again->SetFlushOnDestroy(false);
}

TEST_F(StorageTest, AFileSavedWithAUtf8MarkKeepsItsFirstSection) {
  WriteFile("\xEF\xBB\xBF[First]\r\nx=1\r\n[Second]\r\ny=2\r\n");
  auto s = Open();
  EXPECT_EQ(s->ReadInteger("First\\x", 0), 1);
  EXPECT_EQ(s->ReadInteger("Second\\y", 0), 2);
  s->WriteInteger("Second\\z", 3);
  s->Flush();
  EXPECT_EQ(FileText(), "\xEF\xBB\xBF[First]\r\nx=1\r\n\r\n[Second]\r\ny=2\r\nz=3\r\n\r\n");
}

TEST_F(StorageTest, AUtf16FileIsReadAndWrittenBackAsUtf16) {
  const std::string le("\xFF\xFE[\0S\0]\0\r\0\n\0x\0=\0\xE9\0", 18);
  WriteFile(le);
  {
    auto s = Open();
    EXPECT_EQ(s->ReadString("S\\x", ""), "\xE9");
    s->WriteString("S\\y", "2");
  }
  EXPECT_EQ(FileText(), le + std::string("\r\0\n\0y\0=\0"
                                         "2\0\r\0\n\0\r\0\n\0",
                                         18));
}

// A file the storage cannot read as text is kept whole beside it, under a name that says so, and
// written anew with what could be read: the flush goes through, from the destructor too.
TEST_F(StorageTest, AFileNotUnderstoodIsKeptBesideItAndTheFlushGoesThrough) {
  const std::string odd("[\0S\0]\0\r\0\n\0", 10);  // UTF-16 without its mark
  WriteFile(odd);
  {
    auto s = Open();
    s->WriteInteger("S\\x", 1);
    EXPECT_EQ(s->KeptFileName(), AnsiToWide(FileOf("settings (damaged).ini")));
    EXPECT_NO_THROW(s->Flush());
    EXPECT_EQ(s->ReadInteger("S\\x", 0), 1);
    s->WriteInteger("S\\y", 2);
  }
  EXPECT_EQ(FileText("settings (damaged).ini"), odd);
  EXPECT_EQ(FileText(), "[S]\r\nx=1\r\ny=2\r\n\r\n");
  EXPECT_TRUE(Reported().empty());
  EXPECT_FALSE(FileExists(AnsiToWide(FileOf("settings.ini.tmp"))));
}

TEST_F(StorageTest, FileIsWrittenOnDestructionAndFoldersAreMade) {
  {
    auto s = std::make_unique<TApAppIniFileStorage>(nullptr);
    s->SetLocation(flCustom);
    s->SetFileName(FileOf("deep\\er\\prefs"));
    s->WriteInteger("S\\x", 1);
  }
  EXPECT_EQ(SectionText("S", "deep\\er\\prefs.ini"), "x=1");
  {
    auto s = Open("kept.ini");
    s->SetFlushOnDestroy(false);
    s->WriteInteger("S\\x", 1);
  }
  EXPECT_FALSE(FileExists(AnsiToWide(FileOf("kept.ini"))));
}

TEST_F(StorageTest, ReadOnlyFileTakesNoWrites) {
  WriteFile("[S]\r\nx=1\r\n");
  FileSetAttr(AnsiToWide(FileOf("settings.ini")), FILE_ATTRIBUTE_READONLY);
  {
    auto s = Open();
    s->WriteInteger("S\\x", 2);
    s->WriteInteger("S\\y", 3);
    EXPECT_EQ(s->ReadInteger("S\\x", 0), 1);
    EXPECT_FALSE(s->ValueStored("S\\y"));
    s->Flush();
  }
  FileSetAttr(AnsiToWide(FileOf("settings.ini")), 0);
  EXPECT_EQ(FileText(), "[S]\r\nx=1\r\n");
  auto s = Open();
  s->SetReadOnly(true);
  s->WriteInteger("S\\x", 5);
  s->DeleteValue("S\\x");
  EXPECT_EQ(s->ReadInteger("S\\x", 0), 1);
}

// A designer edits the storage's settings, not its file: designed, only the storage's own flag
// makes it read-only, and writes reach it in memory.
TEST_F(StorageTest, ADesignedStorageIsReadOnlyByItsFlagAlone) {
  WriteFile("[S]\r\nx=1\r\n");
  FileSetAttr(AnsiToWide(FileOf("settings.ini")), FILE_ATTRIBUTE_READONLY);
  {
    auto s = Open();
    s->SetFlushOnDestroy(false);
    EXPECT_EQ(s->ReadInteger("S\\x", 0), 1);
    const struct {
      bool Designing, Flag, ReadOnly;
    } cases[] = {{false, false, true}, {true, false, false}, {true, true, true}, {false, true, true}};
    for (const auto& c : cases) {
      s->SetDesigning(c.Designing);
      s->SetReadOnly(c.Flag);
      EXPECT_EQ(s->ReadOnly(), c.ReadOnly) << c.Designing << c.Flag;
    }
    s->SetDesigning(true);
    s->SetReadOnly(false);
    s->WriteInteger("S\\x", 2);
    EXPECT_EQ(s->ReadInteger("S\\x", 0), 2);
  }
  FileSetAttr(AnsiToWide(FileOf("settings.ini")), 0);
  EXPECT_EQ(FileText(), "[S]\r\nx=1\r\n");
}

// Designed, the storage neither reads the file it names nor writes it.
TEST_F(StorageTest, ADesignedStorageLeavesItsFileAlone) {
  const struct {
    bool Designing;
    int Read;
    const char* Section;
  } cases[] = {{false, 1, "x=2"}, {true, 0, "x=1"}};
  for (const auto& c : cases) {
    WriteFile("[S]\r\nx=1\r\n");
    {
      TApAppIniFileStorage s(nullptr);
      s.SetDesigning(c.Designing);
      s.SetLocation(flCustom);
      s.SetFileName(FileOf("settings.ini"));
      EXPECT_EQ(s.ReadInteger("S\\x", 0), c.Read) << c.Designing;
      s.WriteInteger("S\\x", 2);
      s.Flush();
      s.Reload();
      EXPECT_EQ(s.ReadInteger("S\\x", 0), 2) << c.Designing;
    }
    EXPECT_EQ(SectionText("S"), c.Section) << c.Designing;
  }
}

TEST_F(StorageTest, UnwritableFileIsAClearErrorOnFlush) {
  CreateDir(AnsiToWide(FileOf("blocked.ini")));  // a folder where the file should go
  auto s = Open("blocked.ini");
  s->WriteInteger("S\\x", 1);
  EXPECT_THROW(s->Flush(), EStreamError);
  EXPECT_EQ(s->ReadInteger("S\\x", 0), 1);  // nothing lost in memory
}

TEST_F(StorageTest, AFailedFlushLeavesTheFileAsItWas) {
  WriteFile("[S]\r\nx=1\r\n");
  FileSetAttr(AnsiToWide(FileOf("settings.ini")), FILE_ATTRIBUTE_HIDDEN);
  auto s = Open();
  s->WriteInteger("S\\x", 2);
  s->Flush();
  EXPECT_EQ(SectionText("S"), "x=2");
  EXPECT_TRUE(FileGetAttr(AnsiToWide(FileOf("settings.ini"))) & FILE_ATTRIBUTE_HIDDEN);  // kept
  EXPECT_FALSE(FileExists(AnsiToWide(FileOf("settings.ini.tmp"))));
  // Another program holds the file and lets nobody write it: the old text stays whole.
  {
    TFileHandle held =
        TFileHandle::Open(AnsiToWide(FileOf("settings.ini")).c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    s->WriteInteger("S\\x", 3);
    EXPECT_THROW(s->Flush(), EStreamError);
  }
  EXPECT_EQ(SectionText("S"), "x=2");
  s->Flush();
  EXPECT_EQ(SectionText("S"), "x=3");
}

TEST_F(StorageTest, AutoFlushAndAutoReload) {
  auto writer = Open();
  writer->SetAutoFlush(true);
  writer->WriteInteger("S\\x", 1);
  EXPECT_EQ(SectionText("S"), "x=1");
  auto reader = Open();
  EXPECT_EQ(reader->ReadInteger("S\\x", 0), 1);
  writer->WriteInteger("S\\x", 2);
  EXPECT_EQ(reader->ReadInteger("S\\x", 0), 1);  // read once only
  reader->SetAutoReload(true);
  EXPECT_EQ(reader->ReadInteger("S\\x", 0), 2);
  writer->SetFlushOnDestroy(false);
}

TEST_F(StorageTest, ChangingTheFileFlushesTheOldOneAndReadsTheNew) {
  WriteFile("[S]\r\nwhich=second\r\n", "second.ini");
  auto s = Open("first.ini");
  s->WriteString("S\\which", "first");
  s->SetFileName(FileOf("second"));
  EXPECT_EQ(SectionText("S", "first.ini"), "which=first");
  EXPECT_EQ(s->ReadString("S\\which", ""), "second");
  EXPECT_EQ(s->GetAsString(), "[S]\r\nwhich=second\r\n\r\n");
  s->SetAsString("[T]\r\n a = b \r\n");
  EXPECT_EQ(s->ReadString("T\\a", ""), "b");
}

// Whatever names another file, what was written for the old one reaches it first, however the
// storage is held, so that no setting is lost by the change.
TEST_F(StorageTest, EveryWayOfNamingAnotherFileFlushesTheOldOne) {
  struct Namer {
    AnsiString name;
    void Get(TObject*, AnsiString& n) { n = name; }
  } namer{FileOf("named.ini")};
  const std::pair<const char*, std::function<void(TApAppIniFileStorage&)>> cases[] = {
      {"FileName", [&](TApAppIniFileStorage& s) { s.SetFileName(FileOf("second")); }},
      {"WideFileName", [&](TApAppIniFileStorage& s) { s.SetWideFileName(AnsiToWide(FileOf("second.ini"))); }},
      {"OnGetFileName", [&](TApAppIniFileStorage& s) { s.SetOnGetFileName(TApGetFileNameEvent(&namer, &Namer::Get)); }},
  };
  for (const auto& [name, rename] : cases) {
    WriteFile("[S]\r\nx=1\r\n");
    auto s = Open();
    s->SetFlushOnDestroy(false);
    s->WriteInteger("S\\x", 2);
    rename(*s);
    EXPECT_EQ(SectionText("S"), "x=2") << name;
  }
}

TEST_F(StorageTest, FileNamesByLocation) {
  TApAppIniFileStorage s(nullptr);
  s.SetReadOnly(true);  // nothing is written into those folders
  s.SetFlushOnDestroy(false);
  s.SetFileName("Preferences");
  EXPECT_EQ(s.FullFileName(), ExtractFilePath(ModuleFileName(nullptr)) + "Preferences.ini");
  s.SetLocation(flTemp);
  EXPECT_EQ(s.FullFileName(), TempDirectory() + "\\Preferences.ini");
  s.SetLocation(flWindows);
  EXPECT_EQ(s.FullFileName(), WindowsDirectory() + "\\Preferences.ini");
  s.SetLocation(flUserFolder);
  s.SetFileName("Halcorn Verdan\\Preferences.ini");
  EXPECT_EQ(s.FullFileName(), GetAppdataFolder() + "\\Halcorn Verdan\\Preferences.ini");
  s.SetFileName("D:\\elsewhere\\Preferences.ini");
  EXPECT_EQ(s.FullFileName(), GetAppdataFolder() + "\\Preferences.ini");
  s.SetLocation(flCustom);
  struct Namer {
    AnsiString name;
    void Get(TObject*, AnsiString& n) { n = name; }
  } namer{FileOf("named.ini")};
  s.SetOnGetFileName(TApGetFileNameEvent(&namer, &Namer::Get));
  EXPECT_EQ(s.FullFileName(), FileOf("named.ini"));
}
