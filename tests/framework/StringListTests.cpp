// String lists of both character types: text forms, names and values, sorting, change events,
// errors that leave the list as it was, streams and files.
#include <gtest/gtest.h>

#include <utility>

#include <algorithm>
#include <memory>
#include <vector>

#include "TestFiles.h"
#include "framework/Streams.h"
#include "framework/StringLists.h"
#include "tests/framework/Raised.h"

namespace {

std::string Texts(const TStrings& list) {
  std::string r;
  for (int i = 0; i < list.Count(); ++i) r += (i ? "|" : "") + list.Strings(i);
  return r;
}

// The smallest descendant of the abstract list: it checks that the base builds everything
// else on Get, GetCount, Insert, Delete and Clear, and records the update state calls.
class TPlainStrings : public TStrings {
 public:
  std::vector<std::string> items;
  std::vector<bool> updateStates;

 protected:
  std::string Get(int i) const override {
    if (i < 0 || i >= Count()) Error("List index out of bounds (%d)", i);
    return items[static_cast<size_t>(i)];
  }
  int GetCount() const override { return static_cast<int>(items.size()); }
  void SetUpdateState(bool updating) override { updateStates.push_back(updating); }

 public:
  void Insert(int i, const std::string& s) override {
    if (i < 0 || i > Count()) Error("List index out of bounds (%d)", i);
    items.insert(items.begin() + i, s);
  }
  void Delete(int i) override {
    if (i < 0 || i >= Count()) Error("List index out of bounds (%d)", i);
    items.erase(items.begin() + i);
  }
  void Clear() override { items.clear(); }
};

class TChangeCounter : public TObject {
 public:
  int changes = 0, changings = 0;
  void Changed(TObject*) { ++changes; }
  void Changing(TObject*) { ++changings; }
};

}  // namespace

TEST(StringLists, TextSplitsAtEveryLineBreakKindAndJoinsWithCrLf) {
  TStringList list;
  list.SetText("a\r\nb\rc\nd");
  EXPECT_EQ(Texts(list), "a|b|c|d");
  EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
  list.SetText("a\r\n");
  EXPECT_EQ(list.Count(), 1);
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
  // A line feed followed by a carriage return ends two lines.
  list.SetText("a\n\rb");
  EXPECT_EQ(Texts(list), "a||b");
  list.SetText("\r\n\r\n");
  EXPECT_EQ(list.Count(), 2);
  // Zero characters are ordinary characters of a line.
  list.SetText(std::string("x\0y\nz", 5));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Strings(0), std::string("x\0y", 3));
}

TEST(StringLists, CommaTextQuotesWhatNeedsIt) {
  TStringList list;
  list.SetText("plain\ntwo words\nwith,comma\nsay \"hi\"\n\nlast");
  EXPECT_EQ(list.CommaText(), "plain,\"two words\",\"with,comma\",\"say \"\"hi\"\"\",,last");
  TStringList back;
  back.SetCommaText(list.CommaText());
  EXPECT_TRUE(back.Equals(&list));

  back.SetCommaText("  a , \"b c\",,\"d\"\"e\" , f g,");
  EXPECT_EQ(Texts(back), "a|b c||d\"e|f|g|");
  // One empty item survives the round trip as two quotes; an unterminated quote runs to the end.
  back.SetText("\n");
  EXPECT_EQ(back.CommaText(), "\"\"");
  back.SetCommaText("\"\"");
  EXPECT_EQ(back.Count(), 1);
  back.SetCommaText("\"open, still");
  EXPECT_EQ(Texts(back), "open, still");
}

TEST(StringLists, DelimitedTextUsesTheListsDelimiterAndQuote) {
  TStringList list;
  list.SetDelimiter(';');
  list.SetQuoteChar('\'');
  list.SetText("a;b\nc,d\nit's");
  EXPECT_EQ(list.DelimitedText(), "'a;b';c,d;'it''s'");
  EXPECT_EQ(list.CommaText(), "a;b,\"c,d\",it's");
  TStringList back;
  back.SetDelimiter(';');
  back.SetQuoteChar('\'');
  back.SetDelimitedText(list.DelimitedText());
  EXPECT_TRUE(back.Equals(&list));
}

// Empty items are quoted when the delimiter is a blank, which reading would skip otherwise.
TEST(StringLists, DelimitedTextKeepsEmptyItemsWithABlankDelimiter) {
  for (const auto& [delimiter, text] : {std::pair{'\t', "a\t\"\"\tb\t\"\""}, {' ', "a \"\" b \"\""}, {',', "a,,b,"}}) {
    TStringList list, back;
    list.SetText("a\n\nb\n\n");
    list.SetDelimiter(delimiter);
    back.SetDelimiter(delimiter);
    EXPECT_EQ(list.DelimitedText(), text);
    back.SetDelimitedText(list.DelimitedText());
    EXPECT_TRUE(back.Equals(&list)) << back.Count();
  }
}

TEST(StringLists, NamesAndValues) {
  TStringList list;
  list.SetText("Width=10\nname=x=y\nnoseparator\nEmpty=");
  EXPECT_EQ(list.Names(1), "name");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.Values("WIDTH"), "10");
  EXPECT_EQ(list.Values("name"), "x=y");
  EXPECT_EQ(list.ValueFromIndex(2), "");
  EXPECT_EQ(list.IndexOfName("empty"), 3);
  EXPECT_EQ(list.IndexOfName("noseparator"), -1);
  list.SetValues("Width", "20");
  list.SetValues("Height", "5");
  EXPECT_EQ(Texts(list), "Width=20|name=x=y|noseparator|Empty=|Height=5");
  list.SetValues("name", "");
  list.SetValues("absent", "");
  EXPECT_EQ(Texts(list), "Width=20|noseparator|Empty=|Height=5");
  list.SetNameValueSeparator(':');
  list.SetValues("Key", "v");
  EXPECT_EQ(list.Values("key"), "v");
}

TEST(StringLists, SortedListsAndDuplicates) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "apple"}) list.Add(s);
  EXPECT_EQ(Texts(list), "Apple|fig|pear");
  list.SetDuplicates(dupAccept);
  list.Add("FIG");
  EXPECT_EQ(list.Count(), 4);
  int index = -1;
  list.SetDuplicates(dupIgnore);
  EXPECT_TRUE(list.Find("fig", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(list.Find("grape", index));
  EXPECT_EQ(index, 3);
  EXPECT_EQ(list.Add("PEAR"), 3);
  EXPECT_EQ(list.Count(), 4);
  list.SetDuplicates(dupError);
  EXPECT_EQ(Raised<EStringListError>([&] { list.Add("pear"); }), "String list does not allow duplicates");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Insert(0, "zz"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Raised<EStringListError>([&] { list.SetStrings(0, "zz"); }), "Operation not allowed on sorted list");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Move(0, 2); }), "Operation not allowed on sorted list");
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.IndexOf("APPLE"), 0);
  // Case-sensitive comparison puts the list in a new order.
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf("APPLE"), -1);
  EXPECT_EQ(list.IndexOf("Apple"), 0);
}

TEST(StringLists, IndexErrorsNameTheIndexAndChangeNothing) {
  TStringList list;
  list.SetText("a\nb\nc");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Delete(3); }), "List index out of bounds (3)");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Strings(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Insert(4, "x"); }), "List index out of bounds (4)");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Exchange(0, 7); }), "List index out of bounds (7)");
  EXPECT_EQ(Raised<EStringListError>([&] { list.Move(0, 3); }), "List index out of bounds (3)");
  EXPECT_EQ(Raised<EStringListError>([&] { list.SetObjects(5, nullptr); }), "List index out of bounds (5)");
  EXPECT_EQ(Raised<EStringListError>([&] { list.SetCapacity(2); }), "List capacity out of bounds (2)");
  EXPECT_EQ(Texts(list), "a|b|c");
}

TEST(StringLists, SortingKeepsEqualItemsInOrderAndSurvivesAnyComparison) {
  TStringList list;
  list.SetText("b\nA\na\nB\nc");
  for (int i = 0; i < list.Count(); ++i) list.SetObjects(i, reinterpret_cast<TObject*>(static_cast<intptr_t>(i + 1)));
  list.Sort();
  EXPECT_EQ(Texts(list), "A|a|b|B|c");
  EXPECT_EQ(list.Objects(0), reinterpret_cast<TObject*>(2));
  list.CustomSort([](TStringListT<TStrings>& l, int a, int b) {
    return static_cast<int>(l.Strings(b).size()) - static_cast<int>(l.Strings(a).size());
  });
  // A comparison that contradicts itself still leaves every item in the list.
  list.SetText("5\n3\n9\n1\n7\n2\n8\n4\n6\n0");
  unsigned seed = 1;
  list.CustomSort([&](TStringListT<TStrings>&, int, int) {
    seed = seed * 1103515245 + 12345;
    return static_cast<int>((seed >> 16) % 3) - 1;
  });
  std::string all;
  for (int i = 0; i < list.Count(); ++i) all += list.Strings(i);
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, "0123456789");
}

TEST(StringLists, AssignAddStringsMoveExchangeKeepObjects) {
  TChangeCounter a, b;
  TStringList source;
  source.AddObject("one", &a);
  source.AddObject("two", &b);
  TStringList copy;
  copy.Add("old");
  copy.Assign(&source);
  EXPECT_EQ(Texts(copy), "one|two");
  EXPECT_EQ(copy.Objects(1), &b);
  copy.AddStrings(&copy);
  EXPECT_EQ(Texts(copy), "one|two|one|two");
  copy.Move(0, 3);
  EXPECT_EQ(Texts(copy), "two|one|two|one");
  EXPECT_EQ(copy.Objects(3), &a);
  copy.Exchange(0, 1);
  EXPECT_EQ(copy.Objects(0), &a);
  EXPECT_EQ(copy.IndexOfObject(&b), 1);
  EXPECT_THROW(copy.Assign(nullptr), EConvertError);
  TStringListW wide;
  EXPECT_THROW(copy.Assign(&wide), EConvertError);
  EXPECT_EQ(copy.Count(), 4);
}

TEST(StringLists, AbstractBaseBuildsOnTheFewOperations) {
  TPlainStrings list;
  list.SetText("a\nb\nc");
  EXPECT_EQ(list.updateStates, (std::vector<bool>{true, false}));
  list.SetStrings(1, "B");
  list.Exchange(0, 2);
  EXPECT_EQ(Texts(list), "c|B|a");
  list.Move(0, 2);
  EXPECT_EQ(Texts(list), "B|a|c");
  // A bad target index is found before the item is taken out.
  EXPECT_THROW(list.Move(0, 3), EStringListError);
  EXPECT_EQ(Texts(list), "B|a|c");
  EXPECT_EQ(list.IndexOf("b"), 0);
}

TEST(StringLists, WideListsFollowTheSameRules) {
  TStringListW list;
  list.SetText(L"\u00c4pfel\r\nzw\u00f6lf words\nx");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.CommaText(), L"\u00c4pfel,\"zw\u00f6lf words\",x");
  EXPECT_EQ(list.IndexOf(L"\u00e4PFEL"), 0);
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.IndexOf(L"\u00e4PFEL"), -1);
  list.SetValues(L"k", L"\u0416");
  EXPECT_EQ(list.Values(L"k"), L"\u0416");
  list.SetSorted(true);
  EXPECT_EQ(list.Strings(list.Count() - 1), L"zw\u00f6lf words");
  EXPECT_THROW(list.Insert(0, L"x"), EStringListError);

  TMemoryStream stream;
  list.SaveToStream(&stream);
  EXPECT_EQ(stream.Size(), static_cast<int64_t>(list.Text().size() * 2));
  EXPECT_EQ(static_cast<const uint8_t*>(stream.Memory())[0], 0xC4);  // little endian, no mark
  TStringListW back;
  stream.SetPosition(0);
  back.LoadFromStream(&stream);
  EXPECT_TRUE(back.Equals(&list));
}

TEST(StringLists, StreamsAndFiles) {
  TStringList list;
  list.SetText("first\nsecond");
  TMemoryStream stream;
  stream.WriteBuffer("junk", 4);
  list.SaveToStream(&stream);
  EXPECT_EQ(stream.Size(), 4 + 15);
  // Loading starts at the stream's position.
  stream.SetPosition(4);
  TStringList back;
  back.LoadFromStream(&stream);
  EXPECT_EQ(Texts(back), "first|second");

  TTestFolder folder;
  list.SaveToFile(folder.File(L"list.txt"));
  EXPECT_EQ(folder.Read(L"list.txt"), "first\r\nsecond\r\n");
  folder.Write(L"mixed.txt", "a\rb\n\nc");
  back.LoadFromFile(folder.File(L"mixed.txt"));
  EXPECT_EQ(Texts(back), "a|b||c");
  // A file that cannot be read leaves the list as it was.
  EXPECT_THROW(back.LoadFromFile(folder.File(L"missing.txt")), EFOpenError);
  EXPECT_EQ(Texts(back), "a|b||c");
}

TEST(StringLists, ManyItemsGrowWithoutLoss) {
  TStringList list;
  for (int i = 0; i < 100000; ++i) list.Add(std::to_string(i));
  EXPECT_EQ(list.Strings(99999), "99999");
  list.SetSorted(true);
  int index = -1;
  EXPECT_TRUE(list.Find("5000", index));
  EXPECT_EQ(list.Strings(index), "5000");
}
