// Line buffer: loading and saving, every mutator's events, the expanded-length cache, and the
// faults of the classic buffer that this one must not have.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "editor/TxtEditTextBuffer.h"
#include "framework/Streams.h"
#include "tests/framework/Raised.h"
#include "tests/framework/TestFiles.h"

namespace {

// Logs every event with the line count at that moment.
struct EventLog {
  TTxtEditStringList* list = nullptr;
  std::vector<std::string> log;

  explicit EventLog(TTxtEditStringList& l) : list(&l) {
    l.OnChanging = TNotifyEvent(this, &EventLog::Changing);
    l.OnChange = TNotifyEvent(this, &EventLog::Change);
    l.OnCleared = TNotifyEvent(this, &EventLog::Cleared);
    l.OnLinesInserted = TTxtEditLinesEvent(this, &EventLog::Inserted);
    l.OnLinesDeleted = TTxtEditLinesEvent(this, &EventLog::Deleted);
    l.OnLinesReplaced = TTxtEditLinesEvent(this, &EventLog::Replaced);
  }
  void Add(const std::string& what) { log.push_back(what + "@" + std::to_string(list->Count())); }
  void Changing(TObject*) { Add("changing"); }
  void Change(TObject*) { Add("change"); }
  void Cleared(TObject*) { Add("cleared"); }
  void Inserted(TObject*, int i, int n) { Add("ins " + std::to_string(i) + "," + std::to_string(n)); }
  void Deleted(TObject*, int i, int n) { Add("del " + std::to_string(i) + "," + std::to_string(n)); }
  void Replaced(TObject*, int i, int n) { Add("rep " + std::to_string(i) + "," + std::to_string(n)); }
  std::string Take() {
    std::string all;
    for (const std::string& s : log) all += (all.empty() ? "" : " | ") + s;
    log.clear();
    return all;
  }
};

void Load(TTxtEditStringList& l, const std::string& bytes) {
  TStringStream s(bytes);
  l.LoadFromStream(&s);
}

std::string Save(TTxtEditStringList& l) {
  TStringStream s;
  l.SaveToStream(&s);
  return s.DataString();
}

std::vector<std::string> Lines(TTxtEditStringList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l[i]);
  return v;
}

void Fill(TTxtEditStringList& l, std::initializer_list<const char*> lines) {
  for (const char* s : lines) l.Add(s);
}

// A stream whose reads or writes fail after a number of bytes.
class TFailingStream : public TStream {
 public:
  explicit TFailingStream(int64_t size, int writable = 1 << 30) : size_(size), writable_(writable) {}
  int Read(void*, int) override { return 0; }
  int Write(const void*, int Count) override {
    int n = std::min(Count, writable_);
    writable_ -= n;
    written_ += n;
    return n;
  }
  int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
  int64_t Size() override { return size_; }
  void SetSize(int64_t) override {}
  int64_t written_ = 0;

 private:
  int64_t size_;
  int writable_;
};

using Strings = std::vector<std::string>;

}  // namespace

// ---- loading and saving ----

TEST(TextBuffer, LoadingDetectsEachLineBreakStyle) {
  struct Case {
    std::string bytes;
    Strings lines;
    TTxtEditLineBreakFormat format;
    bool mixed;  // saving cannot give the bytes back
  } cases[] = {
      {"", {}, lbfCRLF, false},
      {"a\r\nb", {"a", "b"}, lbfCRLF, false},
      {"a\nb", {"a", "b"}, lbfLF, false},
      {"a\rb", {"a", "b"}, lbfCR, false},
      {"a\r\nb\n", {"a", "b", ""}, lbfCRLF, true},
      {"a\n\rb", {"a", "", "b"}, lbfCRLF, true},  // LF then CR ends two lines
      {"no break", {"no break"}, lbfCRLF, false},
      {"x\n", {"x", ""}, lbfLF, false},
      {"\r", {"", ""}, lbfCR, false},
      {"\r\n\r\n", {"", "", ""}, lbfCRLF, false},
      {std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string("\0", 1)}, lbfCRLF, false},
      {"a\r\nb\nc\rd\xE9", {"a", "b", "c", "d\xE9"}, lbfCRLF, true},
      {"a\r\nb\rc", {"a", "b", "c"}, lbfCRLF, true},
      {"a\rb\nc", {"a", "b", "c"}, lbfCRLF, true},
      {"a\r\r\nb", {"a", "", "b"}, lbfCRLF, true},
      {"a\n\n\nb\n", {"a", "", "", "b", ""}, lbfLF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    TTxtEditStringList l;
    l.SetLineBreakFormat(lbfCR);
    Load(l, c.bytes);
    EXPECT_EQ(Lines(l), c.lines);
    EXPECT_EQ(l.LineBreakFormat(), c.format);
    EXPECT_EQ(l.MixedLineBreaks(), c.mixed);
    // Every text comes back byte for byte, except that mixed breaks become the detected style.
    EXPECT_EQ(Save(l) == c.bytes, !c.mixed);
  }
}

// Mixed breaks are told whatever chunk of the reading they fall in.
TEST(TextBuffer, MixedLineBreaksFoundAcrossChunks) {
  for (size_t at : {size_t{0}, size_t{1}, size_t{16383}, size_t{16384}, size_t{100000}}) {
    std::string bytes;
    while (bytes.size() < 200000) bytes += "line\r\n";
    bytes.insert(std::min(at, bytes.size()), "\n");
    TTxtEditStringList l;
    Load(l, bytes);
    EXPECT_TRUE(l.MixedLineBreaks()) << at;
    Load(l, "only\r\n");
    EXPECT_FALSE(l.MixedLineBreaks()) << at;
  }
}

TEST(TextBuffer, LoadingReadsTheWholeStreamWhateverItsPosition) {
  TStringStream s("one\r\ntwo");
  s.Seek(0, soEnd);
  TTxtEditStringList l;
  l.LoadFromStream(&s);
  EXPECT_EQ(Lines(l), (Strings{"one", "two"}));
}

TEST(TextBuffer, AFailedReadLeavesTheLinesAsTheyWereAndClosesTheBracket) {
  TTxtEditStringList l;
  Fill(l, {"keep", "me"});
  EventLog e(l);
  TFailingStream broken(10);
  EXPECT_THROW(l.LoadFromStream(&broken), EReadError);
  EXPECT_EQ(Lines(l), (Strings{"keep", "me"}));
  EXPECT_EQ(e.Take(), "changing@2 | change@2");
}

TEST(TextBuffer, LoadedLinesCanBeEditedLikeAnyOther) {
  TTxtEditStringList l;
  Load(l, "first\r\nsecond\r\nthird");
  l.SetStrings(1, "changed");
  l.Insert(0, "new");
  l.Delete(2);
  EXPECT_EQ(Lines(l), (Strings{"new", "first", "third"}));
  l.DeleteLines(0, 3);  // the last loaded line goes: the block is released
  EXPECT_EQ(l.Count(), 0);
  l.Add("after");
  EXPECT_EQ(Save(l), "after");
  Load(l, "x\ny");
  l.Exchange(0, 1);
  EXPECT_EQ(l.Text(), "y\r\nx");
}

TEST(TextBuffer, SavingWritesTheChosenBreaksBetweenLines) {
  TTxtEditStringList l;
  Fill(l, {"a", "", "b"});
  EXPECT_EQ(Save(l), "a\r\n\r\nb");
  l.SetLineBreakFormat(lbfLF);
  EXPECT_EQ(Save(l), "a\n\nb");
  l.SetLineBreakFormat(lbfCR);
  EXPECT_EQ(Save(l), "a\r\rb");
  EXPECT_EQ(l.Text(), "a\r\n\r\nb");  // the text joins with CR LF whatever the format
}

TEST(TextBuffer, FilesRoundTripByteForByte) {
  TTestFolder folder;
  const std::string bytes = std::string("line 1\tx\nline 2\0z\n\nlast", 24);
  std::wstring name = folder.Write(L"in.txt", bytes);
  TTxtEditStringList l;
  l.LoadFromFile(name);
  EXPECT_EQ(l.Count(), 4);
  EXPECT_EQ(l.LineBreakFormat(), lbfLF);
  l.SaveToFile(folder.File(L"out.txt"));
  EXPECT_EQ(folder.Read(L"out.txt"), bytes);
  // Saving over the file it came from.
  l.SetStrings(0, "changed");
  l.SaveToFile(name);
  EXPECT_EQ(folder.Read(L"in.txt"), std::string("changed\nline 2\0z\n\nlast", 23));
}

namespace {
// The names in a folder other than the given ones: a save must leave nothing behind.
std::vector<std::wstring> Leftovers(const TTestFolder& folder, std::initializer_list<const wchar_t*> known) {
  std::vector<std::wstring> left;
  WIN32_FIND_DATAW fd;
  HANDLE f = FindFirstFileW((folder.Path() + L"\\*").c_str(), &fd);
  if (f == INVALID_HANDLE_VALUE) return left;
  do {
    std::wstring n = fd.cFileName;
    bool isKnown = n == L"." || n == L"..";
    for (const wchar_t* k : known) isKnown = isKnown || n == k;
    if (!isKnown) left.push_back(n);
  } while (FindNextFileW(f, &fd));
  FindClose(f);
  return left;
}
}  // namespace

TEST(TextBuffer, ASaveThatCannotWriteRaisesAndLeavesTheFileWhole) {
  TTestFolder folder;
  std::wstring name = folder.Write(L"doc.txt", "original");
  TTxtEditStringList l;
  Fill(l, {"new", "text"});

  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_THROW(l.SaveToFile(name), EFCreateError);
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(folder.Read(L"doc.txt"), "original");

  // Another program holds the file and denies writing.
  HANDLE held = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::string message = Raised<Exception>([&] { l.SaveToFile(name); });
  CloseHandle(held);
  EXPECT_EQ(message.rfind("Cannot create file \"", 0), 0u) << message;
  EXPECT_EQ(folder.Read(L"doc.txt"), "original");

  EXPECT_THROW(l.SaveToFile(folder.File(L"missing\\doc.txt")), EFCreateError);
  EXPECT_TRUE(Leftovers(folder, {L"doc.txt"}).empty());
  l.SaveToFile(name);
  EXPECT_EQ(folder.Read(L"doc.txt"), "new\r\ntext");
  EXPECT_TRUE(Leftovers(folder, {L"doc.txt"}).empty());
}

TEST(TextBuffer, TheFileWriterReportsAFailedWriteWhenFlushed) {
  TFailingStream full(0, 100);
  TTxtEditFileWriter writer(&full, lbfCRLF);
  for (int i = 0; i < 30; ++i) writer.WriteLine("0123456789");
  EXPECT_THROW(writer.Flush(), EWriteError);

  // A line longer than the buffer goes out whole, after what the buffer held.
  TStringStream out;
  TTxtEditFileWriter big(&out, lbfLF);
  big.WriteLine("head");
  big.Write(std::string(40000, 'x'));
  big.WriteLine("");
  big.Write("tail");
  big.Flush();
  EXPECT_EQ(out.DataString(), "head\n" + std::string(40000, 'x') + "\ntail");
}

// Large texts are written in chunks: a line longer than a chunk, lines cut by the chunks' ends,
// an edited line between loaded ones, and a write that fails in any chunk, which must raise.
TEST(TextBuffer, LargeSavesComeOutWholeOrRaise) {
  std::string tail;
  for (int i = 0; tail.size() < (8u << 20); ++i)
    tail += "\nline " + std::to_string(i) + std::string(size_t(i % 97), '-');
  TTxtEditStringList l;
  Load(l, std::string(5 << 20, 'w') + "\nold" + tail);
  l.SetStrings(1, "edited");
  const std::string expected = std::string(5 << 20, 'w') + "\nedited" + tail;
  EXPECT_TRUE(Save(l) == expected);
  for (int writable : {0, 3 << 20, (6 << 20) + 7, static_cast<int>(expected.size()) - 1}) {
    TFailingStream failing(0, writable);
    EXPECT_THROW(l.SaveToStream(&failing), EWriteError) << writable;
  }
}

// ---- mutators and their events ----

// Each change on the lines "0" to "4": the events it fires, with the count at each, and the lines
// it leaves.
TEST(TextBuffer, EveryMutatorReportsItsEventsInTheirOrder) {
  using L = TTxtEditStringList;
  const struct {
    const char* Name;
    std::function<void(L&)> Change;
    const char* Events;
    Strings After;
  } cases[] = {
      {"add", [](L& l) { l.Add("a"); }, "changing@5 | ins 5,1@6 | change@6", {"0", "1", "2", "3", "4", "a"}},
      {"insert", [](L& l) { l.Insert(0, "b"); }, "changing@5 | ins 0,1@6 | change@6", {"b", "0", "1", "2", "3", "4"}},
      {"put", [](L& l) { l.SetStrings(1, "c"); }, "changing@5 | rep 1,1@5 | change@5", {"0", "c", "2", "3", "4"}},
      {"put at the count appends",
       [](L& l) { l.SetStrings(5, "d"); },
       "changing@5 | ins 5,1@6 | change@6",
       {"0", "1", "2", "3", "4", "d"}},
      {"delete", [](L& l) { l.Delete(1); }, "changing@5 | del 1,1@4 | change@4", {"0", "2", "3", "4"}},
      // The bracket goes round moving the lines that follow, before the deletion is told.
      {"delete lines", [](L& l) { l.DeleteLines(0, 2); }, "changing@5 | change@5 | del 0,2@3", {"2", "3", "4"}},
      {"delete lines in the middle",
       [](L& l) { l.DeleteLines(1, 3); },
       "changing@5 | change@5 | del 1,3@2",
       {"0", "4"}},
      // More asked than there are: nothing follows, so no bracket; the real number.
      {"delete past the end", [](L& l) { l.DeleteLines(3, 10); }, "del 3,2@3", {"0", "1", "2"}},
      {"delete the last line", [](L& l) { l.DeleteLines(4, 1); }, "del 4,1@4", {"0", "1", "2", "3"}},
      // From the end nothing goes, and that is told; no lines asked for is no deletion.
      {"delete nothing",
       [](L& l) {
         l.DeleteLines(5, 3);
         l.DeleteLines(0, 0);
       },
       "del 5,0@5",
       {"0", "1", "2", "3", "4"}},
      {"insert empty lines",
       [](L& l) { l.InsertLines(1, 2); },
       "changing@5 | ins 1,2@7 | change@7",
       {"0", "", "", "1", "2", "3", "4"}},
      {"insert no lines", [](L& l) { l.InsertLines(5, 0); }, "", {"0", "1", "2", "3", "4"}},
      // An exchange tells only its bracket.
      {"exchange", [](L& l) { l.Exchange(4, 0); }, "changing@5 | change@5", {"4", "1", "2", "3", "0"}},
      {"exchange with itself", [](L& l) { l.Exchange(1, 1); }, "changing@5 | change@5", {"0", "1", "2", "3", "4"}},
      {"clear", [](L& l) { l.Clear(); }, "changing@5 | cleared@0 | change@0", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    L l;
    Fill(l, {"0", "1", "2", "3", "4"});
    EventLog e(l);
    c.Change(l);
    EXPECT_EQ(e.Take(), c.Events);
    EXPECT_EQ(Lines(l), c.After);
  }
}

// The editors watching a list hear every removal and exchange inside one bracket, and see the
// new count when it closes, whatever order the public events keep.
TEST(TextBuffer, WatchersHearEachChangeInsideOneBracket) {
  struct Watch final : ITxtEditLinesWatcher {
    std::vector<std::string> log;
    void Add(TTxtEditStringList* l, const std::string& what) { log.push_back(what + "@" + std::to_string(l->Count())); }
    void LinesChanging(TTxtEditStringList* l) override { Add(l, "changing"); }
    void LinesChanged(TTxtEditStringList* l) override { Add(l, "change"); }
    void LinesCleared(TTxtEditStringList* l) override { Add(l, "cleared"); }
    void LinesDeleted(TTxtEditStringList* l, int i, int n) override {
      Add(l, "del " + std::to_string(i) + "," + std::to_string(n));
    }
    void LinesInserted(TTxtEditStringList* l, int i, int n) override {
      Add(l, "ins " + std::to_string(i) + "," + std::to_string(n));
    }
    void LinesReplaced(TTxtEditStringList* l, int i, int n) override {
      Add(l, "rep " + std::to_string(i) + "," + std::to_string(n));
    }
    void LinesLoaded(TTxtEditStringList* l, int n) override { Add(l, "load " + std::to_string(n)); }
    std::string Take() {
      std::string all;
      for (const std::string& s : log) all += (all.empty() ? "" : " | ") + s;
      log.clear();
      return all;
    }
  };
  using L = TTxtEditStringList;
  const struct {
    const char* Name;
    std::function<void(L&)> Change;
    const char* Heard;
    const char* Public;
  } cases[] = {
      {"delete lines", [](L& l) { l.DeleteLines(1, 2); }, "changing@5 | del 1,2@3 | change@3",
       "changing@5 | change@5 | del 1,2@3"},
      {"delete to the end", [](L& l) { l.DeleteLines(3, 9); }, "changing@5 | del 3,2@3 | change@3", "del 3,2@3"},
      {"exchange", [](L& l) { l.Exchange(3, 1); }, "changing@5 | rep 1,1@5 | rep 3,1@5 | change@5",
       "changing@5 | change@5"},
      // Inside a bracket of the caller's nobody hears a bracket of the change's own.
      {"delete lines inside a bracket",
       [](L& l) {
         l.BeginUpdate();
         l.DeleteLines(0, 1);
         l.EndUpdate();
       },
       "changing@5 | del 0,1@4 | change@4", "changing@5 | del 0,1@4 | change@4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    L l;
    Fill(l, {"0", "1", "2", "3", "4"});
    Watch w;
    l.Watchers().Join(&w);
    EventLog e(l);
    c.Change(l);
    EXPECT_EQ(w.Take(), c.Heard);
    EXPECT_EQ(e.Take(), c.Public);
    // A change made after the removal is told to everyone again.
    l.Add("x");
    EXPECT_EQ(e.Take().substr(0, 8), "changing");
    l.Watchers().Leave(&w);
  }
}

// Adding grows the room by 16 lines up to 64, then by a quarter; AddStrings rounds what it needs
// up to a multiple of 16; InsertLines makes room for exactly its lines.
TEST(TextBuffer, CapacityGrowsByItsRules) {
  TTxtEditStringList l;
  EXPECT_EQ(l.Capacity(), 0);
  const struct {
    int Lines;
    int Capacity;
  } adds[] = {{1, 16}, {16, 16}, {17, 32}, {48, 48}, {49, 64}, {64, 64}, {65, 80}, {81, 100}, {101, 125}};
  for (const auto& a : adds) {
    while (l.Count() < a.Lines) l.Add("x");
    EXPECT_EQ(l.Capacity(), a.Capacity) << a.Lines;
  }
  l.Clear();
  EXPECT_EQ(l.Capacity(), 0);

  TStringList source;
  for (int i = 0; i < 20; ++i) source.Add("s");
  l.AddStrings(&source);
  EXPECT_EQ(l.Capacity(), 32);
  l.AddStrings(&source);  // 40 lines fit in 48
  EXPECT_EQ(l.Capacity(), 48);
  l.AddStrings(&source);  // 60 fit in the 48 no longer
  EXPECT_EQ(l.Capacity(), 64);

  TTxtEditStringList m;
  m.InsertLines(0, 3);
  EXPECT_EQ(m.Capacity(), 3);
  m.InsertLines(1, 2);
  EXPECT_EQ(m.Capacity(), 5);
  EXPECT_EQ(m.Count(), 5);
  m.SetCapacity(40);
  EXPECT_EQ(m.Capacity(), 40);
  m.SetCapacity(5);
  EXPECT_EQ(m.Capacity(), 5);
}

TEST(TextBuffer, InsertingMoreLinesThanMemoryHoldsIsRefused) {
  TTxtEditStringList l;
  Fill(l, {"a", "", "", "b"});
  EventLog e(l);
  // More lines than memory can ever hold: refused, not wrapped round to a small count.
  EXPECT_THROW(l.InsertLines(1, INT_MAX), std::bad_alloc);
  EXPECT_THROW(l.InsertLines(4, INT_MAX - 3), std::bad_alloc);
  EXPECT_EQ(Lines(l), (Strings{"a", "", "", "b"}));
  EXPECT_EQ(e.Take(), "changing@4 | change@4 | changing@4 | change@4");
}

TEST(TextBuffer, AddStringsCopiesTextsAndObjectsInOneInsertion) {
  TStringList source;
  TObject o;
  source.AddObject("x", &o);
  source.Add("y");
  TTxtEditStringList l;
  Fill(l, {"a"});
  EventLog e(l);
  l.AddStrings(&source);
  EXPECT_EQ(e.Take(), "changing@1 | ins 1,2@3 | change@3");
  EXPECT_EQ(l.Objects(1), &o);
  l.AddStrings(&l);  // itself: doubles
  EXPECT_EQ(Lines(l), (Strings{"a", "x", "y", "a", "x", "y"}));
}

TEST(TextBuffer, BadIndexesRaiseAndChangeNothing) {
  TTxtEditStringList l;
  Fill(l, {"a", "b"});
  EventLog e(l);
  EXPECT_EQ(Raised<Exception>([&] { l.Delete(2); }), "Invalid stringlist index 2");
  EXPECT_EQ(Raised<Exception>([&] { l.Insert(3, "x"); }), "Invalid stringlist index 3");
  EXPECT_EQ(Raised<Exception>([&] { l.Insert(-1, "x"); }), "Invalid stringlist index -1");
  EXPECT_EQ(Raised<Exception>([&] { l.SetStrings(5, "x"); }), "Invalid stringlist index 5");
  EXPECT_EQ(Raised<Exception>([&] { l.SetObjects(2, nullptr); }), "Invalid stringlist index 2");
  EXPECT_EQ(Raised<Exception>([&] { l.PutRange(-3, nullptr); }), "Invalid stringlist index -3");
  EXPECT_EQ(Raised<Exception>([&] { l.Exchange(0, 2); }), "Invalid stringlist index 2");
  EXPECT_EQ(Raised<Exception>([&] { l.DeleteLines(3, 1); }), "Invalid stringlist index 3");
  EXPECT_EQ(Raised<Exception>([&] { l.InsertLines(-1, 1); }), "Invalid stringlist index -1");
  EXPECT_EQ(Raised<Exception>([&] { l.SetCapacity(1); }), "Stringlist capacity cannot be smaller than count");
  EXPECT_THROW(l.Delete(2), ETxtEditStringList);
  EXPECT_EQ(Lines(l), (Strings{"a", "b"}));
  EXPECT_EQ(e.Take(), "");
  // Reading outside the list gives empty values.
  EXPECT_EQ(l[7], "");
  EXPECT_EQ(l.Objects(-1), nullptr);
  EXPECT_EQ(l.GetExpandedString(9), "");
  EXPECT_EQ(l.GetExpandedStringLength(-1), 0);
}

// ---- tab expansion and the longest line ----

TEST(TextBuffer, ExpandedStringsFollowTheTabWidth) {
  TTxtEditStringList l;
  Fill(l, {"a\tb", "plain", "", "\tx"});
  EXPECT_EQ(l.GetExpandedString(0), "a" + std::string(7, '\t') + "b");
  for (int width = 1; width <= 17; ++width) {
    l.SetTabWidth(width);
    for (int i = 0; i < l.Count(); ++i) {
      std::string expected = width < 2 ? ConvertTabs1(l[i], width) : ConvertTabs(l[i], width);
      EXPECT_EQ(l.GetExpandedString(i), expected) << width;
      EXPECT_EQ(l.GetExpandedStringLength(i), static_cast<int>(expected.size())) << width;
    }
  }
}

// Random edits against a full recount after each step.
TEST(TextBuffer, LongestLineCacheAgreesWithAFullScanAfterAnyEdit) {
  std::mt19937 rng(12345);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto randomLine = [&] {
    std::string s;
    int n = pick(12);
    for (int i = 0; i < n; ++i) s.push_back(pick(4) == 0 ? '\t' : 'a');
    return s;
  };
  TTxtEditStringList l;
  Load(l, "a\tb\nccc\n\t\t\nlonger line\n");
  for (int step = 0; step < 3000; ++step) {
    int count = l.Count();
    switch (pick(9)) {
      case 0: l.Add(randomLine()); break;
      case 1: l.Insert(pick(count + 1), randomLine()); break;
      case 2:
        if (count) l.SetStrings(pick(count), randomLine());
        break;
      case 3:
        if (count) l.Delete(pick(count));
        break;
      case 4:
        if (count) l.DeleteLines(pick(count), 1 + pick(3));
        break;
      case 5: l.InsertLines(pick(count + 1), 1 + pick(2)); break;
      case 6:
        if (count) l.Exchange(pick(count), pick(count));
        break;
      case 7: l.SetTabWidth(1 + pick(9)); break;
      case 8:
        if (pick(20) == 0) l.Clear();
        break;
    }
    int longest = 0;
    for (int i = 0; i < l.Count(); ++i) longest = std::max(longest, GetExpandedLength(l[i], l.TabWidth()));
    ASSERT_EQ(l.GetLengthOfLongestLine(), longest) << "step " << step;
  }
}

TEST(TextBuffer, AppendingAndInsertingManyLinesKeepsEveryLine) {
  TTxtEditStringList l;
  l.GetLengthOfLongestLine();
  for (int i = 0; i < 100000; ++i) l.Add(std::to_string(i));
  for (int i = 0; i < 1000; ++i) l.Insert(50000, "mid");
  EXPECT_EQ(l.Count(), 101000);
  EXPECT_EQ(l[50000], "mid");
  EXPECT_EQ(l[51000], "50000");
  EXPECT_EQ(l[100999], "99999");
  EXPECT_EQ(l.GetLengthOfLongestLine(), 5);
}

// ---- large texts: pieces of a read, handlers that change the list, fuzzed texts ----

namespace {

// What loading must give, by the plain rule: CR LF, CR and LF each end a line, and a break at
// the very end adds an empty line when FinalLine is set.
Strings PlainSplit(const std::string& text, bool FinalLine) {
  Strings lines;
  size_t p = 0;
  while (p < text.size()) {
    size_t start = p;
    while (p < text.size() && text[p] != '\r' && text[p] != '\n') ++p;
    lines.push_back(text.substr(start, p - start));
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
  }
  if (FinalLine && !text.empty() && (text.back() == '\r' || text.back() == '\n')) lines.push_back("");
  return lines;
}

// Inserts, deletes or clears from inside the insertion events, by a plan keyed on the count.
struct TMeddler {
  TTxtEditStringList* List;
  int Mode;
  void Inserted(TObject*, int Index, int) {
    if (Index % 3 != 1) return;
    if (Mode == 0) List->Insert(0, "meddle " + std::to_string(Index));
    if (Mode == 1) List->Delete(0);
    if (Mode == 2 && Index == 4) List->Clear();
    if (Mode == 3) List->SetCapacity(List->Count() + 100);
  }
};

}  // namespace

TEST(TextBufferLoad, BreaksAcrossThePiecesOfAReadStayWhole) {
  // Breaks round every power of two from 64 KB to 2 MB: where a reader may cut its pieces.
  for (size_t piece = 1 << 16; piece <= (1 << 21); piece <<= 1)
    for (const char* brk : {"\r\n", "\r", "\n", "\n\r"})
      for (size_t at = piece - 2; at <= piece + 1; ++at) {
        std::string text(piece + 100, 'x');
        text.replace(at, std::strlen(brk), brk);
        TTxtEditStringList l;
        Load(l, text);
        ASSERT_EQ(Lines(l), PlainSplit(text, true)) << piece << " " << at << " " << brk[0] + 0;
      }
}

TEST(TextBufferLoad, AHandlerThatChangesTheListSeesWhatAddingLineByLineGives) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + (i % 5 ? "\r\n" : "\n");
  for (int mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(mode);
    TTxtEditStringList loaded, added;
    TMeddler m1{&loaded, mode}, m2{&added, mode};
    loaded.Add("before");
    added.Add("before");
    loaded.OnLinesInserted = TTxtEditLinesEvent(&m1, &TMeddler::Inserted);
    Load(loaded, text);
    added.OnLinesInserted = TTxtEditLinesEvent(&m2, &TMeddler::Inserted);
    added.BeginUpdate();
    added.Clear();
    for (const std::string& s : PlainSplit(text, true)) added.Add(s);
    added.EndUpdate();
    EXPECT_EQ(Lines(loaded), Lines(added));
  }
}

TEST(TextBufferLoad, SetTextSplitsAsTheStringListRuleAndKeepsTheFormat) {
  struct Case {
    std::string text;
    Strings lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},  // no empty last line
      {"a\r\n\r\n", {"a", ""}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"\n\r", {"", ""}},
      {std::string("x\0y", 3), {std::string("x\0y", 3)}},
  };
  for (const Case& c : cases) {
    TTxtEditStringList l;
    l.SetLineBreakFormat(lbfLF);
    l.Add("old");
    l.SetText(c.text);
    EXPECT_EQ(Lines(l), c.lines) << c.text;
    EXPECT_EQ(l.LineBreakFormat(), lbfLF);
  }
}

TEST(TextBufferLoad, FuzzedTextsLoadAndSetLikeAPlainSplit) {
  std::mt19937 rng(424242);
  static const char alphabet[] = {'\r', '\n', '\t', 0, 'a', 'b', ' ', static_cast<char>(0x8D)};
  for (int round = 0; round < 3000; ++round) {
    const size_t length = round % 300 == 0 ? 550000 + rng() % 200000 : rng() % 200;
    std::string text(length, 'a');
    const unsigned breaks = 1 + rng() % 40;
    const unsigned kinds = rng() % 3;  // CR only, LF only, or both
    for (char& c : text) c = rng() % 64 < breaks ? alphabet[kinds == 2 ? rng() % 2 : kinds] : alphabet[2 + rng() % 6];
    TTxtEditStringList l;
    l.SetTabWidth(1 + static_cast<int>(rng() % 9));
    Load(l, text);
    ASSERT_EQ(Lines(l), PlainSplit(text, true)) << "round " << round;
    // The widths recorded while splitting are those of the lines' expansions, and the longest
    // line known from them is the first of the widest: removing it leaves the next widest.
    std::vector<int> widths;
    for (int i = 0; i < l.Count(); ++i) {
      size_t width = 0;
      for (char c : std::string(l.Strings(i)))
        width += c == '\t' ? size_t(l.TabWidth()) - width % size_t(l.TabWidth()) : 1;
      ASSERT_EQ(l.GetExpandedStringLength(i), static_cast<int>(width)) << "round " << round << " line " << i;
      widths.push_back(static_cast<int>(width));
    }
    if (!widths.empty()) {
      const auto widest = std::max_element(widths.begin(), widths.end());
      ASSERT_EQ(l.GetLengthOfLongestLine(), *widest) << "round " << round;
      l.Delete(static_cast<int>(widest - widths.begin()));
      widths.erase(widest);
      ASSERT_EQ(l.GetLengthOfLongestLine(), widths.empty() ? 0 : *std::max_element(widths.begin(), widths.end()))
          << "round " << round;
      Load(l, text);
    }
    // A text with one kind of break comes back byte for byte.
    if (text.find('\r') == std::string::npos || text.find('\n') == std::string::npos) {
      TStringStream out;
      l.SaveToStream(&out);
      ASSERT_TRUE(out.DataString() == text) << "round " << round;
    }
    l.SetText(text);
    ASSERT_EQ(Lines(l), PlainSplit(text, false)) << "round " << round;
  }
}

// A reader or a transform that fails, or a reader that gives more than its room, leaves the
// lines as they were.
TEST(TextBufferLoad, AFailingReaderOrTransformKeepsTheLines) {
  TTxtEditStringList l;
  Fill(l, {"keep"});
  auto read = [](char* Dest, size_t Room) {
    std::memset(Dest, 'x', Room);
    return Room;
  };
  EXPECT_THROW(l.LoadFromReader(4, read, [](char*, size_t) { throw EReadError("Stream read error"); }), EReadError);
  EXPECT_THROW(l.LoadFromReader(2, [](char*, size_t Room) { return Room + 1; }), EReadError);
  EXPECT_EQ(Lines(l), Strings{"keep"});
}

TEST(TextBufferLoad, AFillIsAskedEvenForNothingAndItsFailureKeepsTheLines) {
  TTxtEditStringList l;
  l.Add("keep");
  bool asked = false;
  l.LoadFromFill(0, [&](char*, size_t) {
    asked = true;
    return size_t{0};
  });
  EXPECT_TRUE(asked);
  EXPECT_EQ(l.Count(), 0);
  l.Add("keep");
  EXPECT_THROW(l.LoadFromFill(10,
                              [](char* Block, size_t) -> size_t {
                                std::memcpy(Block, "ab\ncd", 5);
                                throw EReadError("Stream read error");
                              }),
               EReadError);
  EXPECT_EQ(Lines(l), Strings{"keep"});
}

// ---- inserting a whole text ----

namespace {

Strings Trimmed(Strings lines) {
  for (std::string& s : lines) s.erase(s.find_last_not_of(" \t") + 1);
  return lines;
}

// A first line long enough that the text gets a block of its own.
const std::string kLongLine(70000, 'p');

}  // namespace

TEST(TextBufferInsert, SplitsAsSetTextInOneInsertionAtEverySize) {
  const std::string cases[] = {
      "a",  "a\r\n", "a\r\nb", "\r\n\r\n", "a\rb\nc\r\nd\n\re", std::string("x\0y\r", 4), "a  \t\r\n \t\r\nb \t",
      "\r", "\n\r",
  };
  for (const std::string& text : cases)
    for (bool large : {false, true})
      for (bool trim : {false, true}) {
        const std::string all = large ? kLongLine + "\r\n" + text : text;
        SCOPED_TRACE(testing::Message() << text << (large ? " large" : "") << (trim ? " trimmed" : ""));
        TTxtEditStringList l;
        Fill(l, {"first", "last"});
        EventLog log(l);
        Strings expected = PlainSplit(all, false);
        if (trim) expected = Trimmed(expected);
        const int n = static_cast<int>(expected.size());
        EXPECT_EQ(l.InsertText(1, all, trim), n);
        EXPECT_EQ(log.Take(), "changing@2 | ins 1," + std::to_string(n) + "@" + std::to_string(n + 2) + " | change@" +
                                  std::to_string(n + 2));
        expected.insert(expected.begin(), "first");
        expected.push_back("last");
        EXPECT_EQ(Lines(l), expected);
        EXPECT_EQ(l.InsertText(1, ""), 0);
        EXPECT_THROW(l.InsertText(l.Count() + 1, all), ETxtEditStringList);
        EXPECT_EQ(log.Take(), "");
      }
}

// A large range that ends with a break is split where it lies and the list keeps the text's
// storage; any other range is copied and the text stays.
TEST(TextBufferInsert, ATakenTextIsSplitWhereItLies) {
  const std::string middle = kLongLine + "  \r\nb \n\rc\r\n";
  const std::string text = "head\r\n" + middle + "tail";
  TTxtEditStringList l;
  AnsiString taken = text;
  EXPECT_EQ(l.InsertText(0, std::move(taken), 6, middle.size(), true), 4);
  EXPECT_EQ(Lines(l), (Strings{kLongLine, "b", "", "c"}));
  AnsiString kept = text;
  EXPECT_EQ(l.InsertText(0, std::move(kept), 6, middle.size() + 2), 5);  // ends inside "tail"
  EXPECT_EQ(kept, text);
  EXPECT_EQ(l[4], "ta");
  EXPECT_THROW(l.InsertText(0, std::move(kept), 6, text.size()), ETxtEditStringList);
}

// Inserted texts, small and large, mixed with loading and every kind of edit, against a plain
// list of strings; the blocks must go when their last line goes and never be read once freed.
TEST(TextBufferInsert, FuzzedInsertionsAndEditsAgreeWithAPlainList) {
  std::mt19937 rng(20261207);
  static const char alphabet[] = {'\r', '\n', '\t', ' ', 0, 'a', 'b', static_cast<char>(0xE9)};
  auto randomText = [&](size_t length) {
    std::string text(length, 'a');
    for (char& c : text) c = alphabet[rng() % 64 < 6 ? rng() % 2 : 2 + rng() % 6];
    return text;
  };
  for (int round = 0; round < 30; ++round) {
    TTxtEditStringList l;
    Strings model;
    const std::string start = randomText(rng() % 3000);
    Load(l, start);
    model = PlainSplit(start, true);
    for (int step = 0; step < 30; ++step) {
      const int count = static_cast<int>(model.size());
      const unsigned op = rng() % 6;
      if (op <= 2) {
        const std::string text = randomText(rng() % 6 == 0 ? 65536 + rng() % 40000 : rng() % 300);
        const bool trim = rng() % 3 == 0;
        const int at = static_cast<int>(rng() % (count + 1));
        Strings added = PlainSplit(text, false);
        if (trim) added = Trimmed(added);
        ASSERT_EQ(l.InsertText(at, text, trim), static_cast<int>(added.size()));
        model.insert(model.begin() + at, added.begin(), added.end());
      } else if (op == 3 && count > 0) {
        const int at = static_cast<int>(rng() % count);
        l.SetStrings(at, "put " + std::to_string(step));
        model[size_t(at)] = "put " + std::to_string(step);
      } else if (op == 4 && count > 0) {
        const int at = static_cast<int>(rng() % count), n = 1 + static_cast<int>(rng() % 3000);
        l.DeleteLines(at, n);
        model.erase(model.begin() + at, model.begin() + std::min(count, at + n));
      } else if (op == 5 && rng() % 4 == 0) {
        l.Clear();
        model.clear();
      }
      ASSERT_EQ(Lines(l), model) << "round " << round << " step " << step;
    }
    int longest = 0;
    for (int i = 0; i < l.Count(); ++i) {
      const int expanded = GetExpandedLength(model[size_t(i)], l.TabWidth());
      ASSERT_EQ(l.GetExpandedStringLength(i), expanded) << "round " << round << " line " << i;
      longest = std::max(longest, expanded);
    }
    ASSERT_EQ(l.GetLengthOfLongestLine(), longest) << "round " << round;
    // Saving copies runs of lines straight from the blocks: edits between them must show.
    l.SetLineBreakFormat(round % 2 ? lbfCRLF : lbfCR);
    std::string joined;
    for (size_t i = 0; i < model.size(); ++i) joined += (i ? (round % 2 ? "\r\n" : "\r") : "") + model[i];
    ASSERT_TRUE(Save(l) == joined) << "round " << round;
    // Any range of whole lines, also past the end, each line with a CR LF.
    const int from = static_cast<int>(rng() % (model.size() + 2)), count = static_cast<int>(rng() % 2000);
    std::string lines = "x", expected = "x";
    for (int i = from; i < from + count; ++i) expected += (size_t(i) < model.size() ? model[size_t(i)] : "") + "\r\n";
    l.AppendLines(from, count, lines);
    ASSERT_TRUE(lines == expected) << "round " << round;
  }
}
