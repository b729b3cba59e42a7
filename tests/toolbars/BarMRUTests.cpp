// The recent-files list: order, de-duplication, limits, captions and clicks.
#include <gtest/gtest.h>

#include "tests/framework/Raised.h"
#include "toolbars/BarMRU.h"

namespace {

int titlesAsked = 0;
WideString Title(const WideString& Name) {
  ++titlesAsked;
  return Name.substr(Name.find_last_of(L'\\') + 1);
}

struct TClicks {
  std::vector<WideString> Names;
  int Changes = 0;
  void Click(TObject*, const WideString& Name) { Names.push_back(Name); }
  void Change(TObject*) { ++Changes; }
};

WideString Names(TBarMRUList& L) {
  WideString s;
  for (int i = 0; i < L.Items()->Count(); ++i) s += (i ? L"|" : L"") + L.Items()->Strings(i);
  return s;
}

struct TTitles {
  TTitles() { old = TBarMRUList::SetFileTitleProc(&Title); }
  ~TTitles() { TBarMRUList::SetFileTitleProc(old); }
  TBarMRUList::TFileTitleProc old;
};

}  // namespace

TEST(BarMRU, NewestFirstWithoutDuplicatesUpToTheLimit) {
  TTitles titles;
  TBarMRUList list(nullptr);
  TClicks c;
  list.OnChange = TNotifyEvent(&c, &TClicks::Change);
  list.SetAddFullPath(false);
  for (const wchar_t* n : {L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt", L"C:\\d.txt"}) list.Add(n);
  EXPECT_EQ(Names(list), L"C:\\d.txt|C:\\c.txt|C:\\b.txt|C:\\a.txt");
  EXPECT_GT(c.Changes, 0);
  list.Add(L"c:\\B.TXT");  // listed already: to the top, in the new letter case
  EXPECT_EQ(Names(list), L"c:\\B.TXT|C:\\d.txt|C:\\c.txt|C:\\a.txt");
  list.Add(L"C:\\e.txt");  // a fifth drops the oldest
  EXPECT_EQ(Names(list), L"C:\\e.txt|c:\\B.TXT|C:\\d.txt|C:\\c.txt");
  list.SetMaxItems(2);
  EXPECT_EQ(Names(list), L"C:\\e.txt|c:\\B.TXT");
  EXPECT_EQ(list.Container()->Count(), 2);
  list.SetMaxItems(-3);  // counts as none
  EXPECT_EQ(list.MaxItems(), 0);
  EXPECT_EQ(list.Items()->Count(), 0);
  list.Add(L"C:\\f.txt");
  EXPECT_EQ(list.Items()->Count(), 0);
  EXPECT_EQ(list.Container()->Count(), 0);
}

TEST(BarMRU, ItemsShowTitlesAndClicksMoveToTheTop) {
  TTitles titles;
  TBarMRUList list(nullptr);
  TClicks c;
  list.OnClick = TBarMRUListClickEvent(&c, &TClicks::Click);
  list.SetAddFullPath(false);
  for (const wchar_t* n : {L"C:\\x\\R&D.txt", L"C:\\two.txt", L"C:\\three.txt"}) list.Add(n);
  TBarCustomItem* item = list.Container()->Items(2);
  EXPECT_EQ(item->Caption(), L"R&&D.txt");
  EXPECT_EQ(item->Hint(), L"C:\\x\\R&D.txt");
  EXPECT_TRUE(item->Options().Contains(tboShowHint));
  list.SetHidePathExtension(false);
  EXPECT_EQ(item->Caption(), L"C:\\x\\R&&D.txt");
  item->Click();
  ASSERT_EQ(c.Names.size(), 1u);
  EXPECT_EQ(c.Names[0], L"C:\\x\\R&D.txt");
  EXPECT_EQ(Names(list), L"C:\\x\\R&D.txt|C:\\three.txt|C:\\two.txt");
  EXPECT_EQ(list.Container()->Items(0), item);
  list.Items()->Clear();
  EXPECT_EQ(list.Container()->Count(), 0);
}

TEST(BarMRU, FullPathsAndTheSystemTitle) {
  TBarMRUList list(nullptr);
  list.Add(L"some file.txt");
  WideString full = list.Items()->Strings(0);
  EXPECT_EQ(full.size() > 14 && full[1] == L':', true);
  EXPECT_NE(list.Container()->Items(0)->Caption().find(L"some file"), WideString::npos);
}

// A move rebuilds and tells the change even in place; a place not there is refused and changes nothing.
TEST(BarMRU, AMoveToTheSamePlaceStillRebuildsAndTellsTheChange) {
  TTitles titles;
  const wchar_t *const same = L"C:\\b.txt|C:\\a.txt", *const swapped = L"C:\\a.txt|C:\\b.txt";
  const char* const outside = "List index out of bounds (2)";
  const std::tuple<int, int, const wchar_t*, const char*> cases[] = {
      {0, 0, same, ""}, {1, 1, same, ""}, {1, 0, swapped, ""}, {2, 2, same, outside}, {0, 2, same, outside},
  };
  for (auto [from, to, names, error] : cases) {
    TBarMRUList list(nullptr);
    list.SetAddFullPath(false);
    for (const wchar_t* n : {L"C:\\a.txt", L"C:\\b.txt"}) list.Add(n);
    TClicks log;
    list.OnChange = TNotifyEvent(&log, &TClicks::Change);
    titlesAsked = 0;
    EXPECT_EQ(Raised<EStringListError>([&] { list.Items()->Move(from, to); }), *error ? error : "(nothing raised)");
    const int changes = *error ? 0 : 1;
    EXPECT_EQ(std::tuple(Names(list), log.Changes, titlesAsked, list.Container()->Count()),
              std::tuple(names, changes, 2 * changes, 2))
        << from << to;
  }
}
