// The wide string lists of the text-file encodings: formats, normalization, comparison,
// sorting, conversions to 8-bit lists, and fuzzed streams.
#include <gtest/gtest.h>

#include <random>

#include "foundation/UcStringLists.h"
#include "foundation/UcWideStrings.h"
#include "framework/FileRoutines.h"
#include "framework/FormFiles.h"
#include "framework/Streams.h"
#include "tests/foundation/UcTestSupport.h"

namespace {

void Load(TWideStrings& List, const std::string& Data) {
  TStringStream stream(Data);
  List.LoadFromStream(&stream);
}

std::string Save(TWideStrings& List) {
  TStringStream stream;
  List.SaveToStream(&stream);
  return stream.DataString();
}

struct Refuser : TObject {
  int Asked = 0;
  bool Answer = false;
  void Confirm(TWideStrings*, bool& Allowed) {
    ++Asked;
    Allowed = Answer;
  }
};

}  // namespace

TEST(WideStringList, LoadsEveryMarkAndSavesInTheFormatFound) {
  struct Case {
    std::string Data;
    TSaveFormat Format;
    WideString Text;
  } cases[] = {
      {Bytes({0xFF, 0xFE, 'a', 0, 0x0D, 0, 0x0A, 0, 0x16, 0x04}), sfUnicodeLSB, L"a\r\n\x0416"},
      {Bytes({0xFE, 0xFF, 0, 'a', 0, 0, 0, 'b'}), sfUnicodeMSB, WideString(L"a\0b", 3)},
      {Bytes({0xEF, 0xBB, 0xBF, 'x', 0xC3, 0xA9}), sfUTF8, L"x\x00E9"},
      {Bytes({'a', 0xE9, 0x0D, 0x0A, 'b'}), sfAnsi, L"a\x00E9\r\nb"},
      {Bytes({0xFF}), sfAnsi, L"\x00FF"},
      {Bytes({0xFF, 0xFE, 'a', 0, 'b'}), sfUnicodeLSB, L"a"},  // an odd last byte is dropped
      {"", sfAnsi, L""},
  };
  for (const Case& c : cases) {
    TWideStringList list;
    list.SetLanguage(1033);
    Load(list, c.Data);
    EXPECT_EQ(list.SaveFormat(), c.Format);
    EXPECT_EQ(list.Text(), c.Text);
    std::string saved = Save(list);
    TWideStringList again;
    Load(again, saved);
    EXPECT_EQ(again.SaveFormat(), c.Format);
    EXPECT_EQ(again.Text(), c.Text);
    EXPECT_TRUE(list.Saved());
  }
}

TEST(WideStringList, PageBreaksInAFileSurviveLoadAndSave) {
  TWideStringList list;
  Load(list, Bytes({0xEF, 0xBB, 0xBF, 'a', 0x0C, 'b', 0x0B, 'c', 0xE2, 0x80, 0xA8, 'd', 0x0D, 'e'}));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0),
            L"a\fb\vc\x2028"
            L"d");
  EXPECT_EQ(Save(list), Bytes({0xEF, 0xBB, 0xBF, 'a', 0x0C, 'b', 0x0B, 'c', 0xE2, 0x80, 0xA8, 'd', 0x0D, 0x0A, 'e'}));
}

TEST(WideStringList, SetTextSplitsAtEveryLineSeparator) {
  TWideStringList list;
  list.SetText(L"a\nb\vc\fd\re\r\nf\x2028g\x2029h\r\n");
  EXPECT_EQ(list.Count(), 8);
  EXPECT_EQ(list.Strings(7), L"h");
  list.SetText(WideString(L"x\ny\0z", 5));  // a zero is a character of its line
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Text(), WideString(L"x\r\ny\0z", 6));
  EXPECT_EQ(list.GetSeparatedText(L"|"), WideString(L"x|y\0z", 5));
  list.SetText(L"\r\n\r\n");
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Text(), L"\r\n");
}

TEST(WideStringList, AnsiSavingAsksBeforeLosingCharacters) {
  Refuser refuser;
  TWideStringList list;
  list.SetLanguage(1049);  // code page 1251
  list.OnConfirmConversion = TConfirmConversionEvent(&refuser, &Refuser::Confirm);
  list.SetSaveUnicode(false);
  list.Add(L"\x0416\x4E2D");
  EXPECT_EQ(Save(list), "");
  EXPECT_EQ(refuser.Asked, 1);
  EXPECT_FALSE(list.Saved());
  refuser.Answer = true;
  EXPECT_EQ(Save(list), Bytes({0xC6, '?'}));
  EXPECT_TRUE(list.Saved());
  list.Clear();
  list.Add(L"plain");
  EXPECT_EQ(Save(list), "plain");
  EXPECT_EQ(refuser.Asked, 2);  // nothing to lose: not asked
  list.SetSaveUnicode(true);
  EXPECT_EQ(list.SaveFormat(), sfUnicodeLSB);
}

TEST(WideStringList, StoresNormalizedStrings) {
  TWideStringList list;
  list.Add(L"e\x0301");
  EXPECT_EQ(list.Strings(0), L"\x00E9");
  EXPECT_EQ(list.IndexOf(L"E\x0301"), 0);
  list.SetNormalizationForm(nfD);
  list.Add(L"\x00E9");
  EXPECT_EQ(list.Strings(1), L"e\x0301");
  list.SetStrings(0, L"\x212B");
  EXPECT_EQ(list.Strings(0), L"A\x030A");
  list.SetNormalizationForm(nfNone);
  list.Add(L"e\x0301");
  EXPECT_EQ(list.Strings(2), L"e\x0301");
}

TEST(WideStringList, SortedListsFindWithoutRegardToCase) {
  TWideStringList list;
  list.SetLanguage(1033);
  for (const wchar_t* s : {L"pear", L"Apple", L"fig", L"\x0431", L"apple"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ(WideStringsCompare(1033, list.Strings(0), L"APPLE"), 0);
  EXPECT_EQ(WideStringsCompare(1033, list.Strings(1), L"APPLE"), 0);
  EXPECT_EQ(list.GetSeparatedText(L",").substr(12), L"fig,pear,\x0431");
  int index = -1;
  EXPECT_TRUE(list.Find(L"APPLE", index));
  EXPECT_EQ(index, 0);  // the first of equal items
  EXPECT_TRUE(list.Find(L"\x0411", index));
  EXPECT_EQ(index, 4);
  EXPECT_FALSE(list.Find(L"grape", index));
  EXPECT_EQ(index, 3);
  EXPECT_EQ(list.Add(L"FIG"), 2);  // duplicates ignored
  EXPECT_EQ(list.Count(), 5);
  list.SetDuplicates(dupError);
  EXPECT_THROW(list.Add(L"Pear"), EStringListError);
  list.SetDuplicates(dupAccept);
  EXPECT_EQ(list.Add(L"kiwi"), 3);
  EXPECT_THROW(list.Insert(0, L"x"), EStringListError);
  EXPECT_THROW(list.SetStrings(0, L"x"), EStringListError);
  EXPECT_EQ(Raised<EStringListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
}

TEST(WideStringList, ComparisonFallsBackToCodeUnitsForAnUnknownLocale) {
  EXPECT_EQ(WideStringsCompare(1033, L"abc", L"ABC"), 0);
  EXPECT_LT(WideStringsCompare(1033, L"a", L"B"), 0);
  const LCID bad = 0x12345;
  ASSERT_EQ(CompareStringW(bad, NORM_IGNORECASE, L"a", 1, L"b", 1), 0);  // the system refuses
  EXPECT_LT(WideStringsCompare(bad, L"a", L"b"), 0);
  TWideStringList list;
  list.SetLanguage(bad);
  for (const wchar_t* s : {L"d", L"b", L"a", L"c"}) list.Add(s);
  list.Sort();
  EXPECT_EQ(list.GetSeparatedText(L""), L"abcd");
  list.SetSorted(true);
  EXPECT_EQ(list.IndexOf(L"c"), 2);
}

TEST(WideStringList, MovesAndCuts) {
  TWideStringList list;
  list.SetText(L"0\n1\n2\n3\n4");
  list.Move(0, 2);
  EXPECT_EQ(list.GetSeparatedText(L",").substr(0, 6), L"1,2,0,");
  list.SetCapacity(3);
  EXPECT_EQ(list.Count(), 3);
}

TEST(WideStringList, AssignsToAndFromEightBitLists) {
  TWideStringList wide;
  wide.SetLanguage(1049);
  TObject marker;
  wide.AddObject(
      L"\x0416"
      L"a",
      &marker);
  TStringList ansi;
  ansi.Assign(&wide);
  ASSERT_EQ(ansi.Count(), 1);
  EXPECT_EQ(ansi.Strings(0), Bytes({0xC6, 'a'}));
  EXPECT_EQ(ansi.Objects(0), &marker);
  TWideStringList back;
  back.SetLanguage(1049);
  back.Assign(&ansi);
  EXPECT_EQ(back.Strings(0),
            L"\x0416"
            L"a");
  EXPECT_EQ(back.Objects(0), &marker);
  TWideStringList other;
  other.SetLanguage(1033);
  other.Assign(&wide);  // wide to wide keeps every character, whatever the languages
  EXPECT_EQ(other.Strings(0),
            L"\x0416"
            L"a");
}

class TWslProbe : public TComponent {
  HV_CLASS(TWslProbe, TComponent)
 public:
  explicit TWslProbe(TComponent* Owner) : TComponent(Owner) {}
  TWideStringList* Lines() const { return lines_.get(); }

 private:
  std::unique_ptr<TWideStringList> lines_ = std::make_unique<TWideStringList>();
};

HV_PUBLISH(TWslProbe) { p.Prop("Lines", &T::Lines); }

TEST(WideStringList, FormFilesKeepTheWholeTextAsOneValue) {
  TWslProbe probe(nullptr);
  EXPECT_EQ(WriteComponentToText(&probe).find("WideStrings"), std::string::npos);  // nothing to store
  probe.Lines()->Add(L"\x0416");
  probe.Lines()->Add(L"b");
  std::string text = WriteComponentToText(&probe);
  EXPECT_NE(text.find("Lines.WideStrings = "), std::string::npos) << text;
  TWslProbe back(nullptr);
  ReadComponentFromText(text, &back);
  EXPECT_EQ(back.Lines()->Text(), L"\x0416\r\nb");
  ReadComponentFromText("object P: TWslProbe\n  Lines.WideStrings = 'x'#13#10'y'\nend\n", &back);
  EXPECT_EQ(back.Lines()->Count(), 2);
}

TEST(WideStringList, FilesRoundTripAndMissingFilesRaise) {
  TTempDirectory dir(L"wsl");
  TWideStringList list;
  list.SetSaveFormat(sfUTF8);
  list.Add(L"\xD83D\xDE00 smile");
  list.SaveToFile(dir.File(L"u.txt"));
  TWideStringList back;
  back.LoadFromFile(dir.File(L"u.txt"));
  EXPECT_EQ(back.SaveFormat(), sfUTF8);
  EXPECT_EQ(back.Strings(0), L"\xD83D\xDE00 smile");
  EXPECT_THROW(back.LoadFromFile(dir.File(L"none.txt")), EOSError);
  EXPECT_THROW(back.SaveToFile(dir.File(L"no\\such\\dir.txt")), EOSError);
}

// Random streams with and without marks, odd lengths and unpaired surrogates load into a list
// whose saved form loads back to the same lines.
TEST(WideStringList, FuzzedStreamsLoadAndRoundTrip) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 3000; ++round) {
    std::string data = FuzzedTextBytes(rng);
    TWideStringList list;
    list.SetLanguage(1033);
    Load(list, data);
    ASSERT_LE(list.Text().size(), data.size() + 2 * static_cast<size_t>(list.Count()));
    if (list.SaveFormat() == sfAnsi) continue;  // 8-bit text need not survive the code page
    // The text has no break after its last line, so a last empty line does not come back.
    WideString expected = list.Text();
    if (list.Count() > 1 && list.Strings(list.Count() - 1).empty()) expected.resize(expected.size() - 2);
    TWideStringList again;
    Load(again, Save(list));
    ASSERT_EQ(again.Text(), expected) << round;
  }
}

TEST(WideStringList, BothListFamiliesGrowByTheSameSteps) {
  // The capacity after each growth, from an empty list: by 4 up to 8, by 16 up to 64, then by
  // a quarter.
  const int steps[] = {4, 8, 12, 28, 44, 60, 76, 95, 118, 147};
  TWideStringList wide;
  TUcStringList uc;
  for (int expected : steps) {
    EXPECT_EQ(wide.Capacity(), wide.Count()) << expected;
    wide.Add(L"x");
    uc.Add(L"x");
    EXPECT_EQ(wide.Capacity(), expected);
    EXPECT_EQ(uc.Capacity(), expected);
    while (wide.Count() < expected) {
      wide.Add(L"x");
      uc.Add(L"x");
    }
    EXPECT_EQ(wide.Capacity(), expected);
    EXPECT_EQ(uc.Capacity(), expected);
  }
  // Clearing gives the array back.
  wide.Clear();
  uc.Clear();
  EXPECT_EQ(wide.Capacity(), 0);
  EXPECT_EQ(uc.Capacity(), 0);
}
