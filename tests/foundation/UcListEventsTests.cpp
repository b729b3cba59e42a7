// The change events of the Unicode string lists: one OnChanging and one OnChange around every
// change, none when nothing changes, and for a whole update what each list's bracket announces.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <type_traits>

#include "foundation/UcStringLists.h"
#include "foundation/UcWideStrings.h"
#include "framework/Streams.h"

namespace {

class TEventLog : public TObject {
 public:
  std::string log;
  void Changed(TObject*) { log += ">"; }
  void Changing(TObject*) { log += "<"; }
};

template <class L>
struct TCase {
  const char* What;
  std::function<void(L&)> Run;
  const wchar_t* Expected;  // the items afterwards, joined by "|"
  const char* Events;
  // The wide string list's, where it differs: an operation made of steps announces each step.
  const char* WideEvents = nullptr;
};

template <class L>
WideString Joined(const L& list) {
  WideString r;
  for (int i = 0; i < list.Count(); ++i) r += (i ? L"|" : L"") + list.Strings(i);
  return r;
}

// What a whole update announces: the Unicode string list sets its updating flag before it
// announces, so the opening of the bracket is silent; the wide string list counts its brackets
// and announces both ends. The wide string list exchanges through two puts of a string and two of
// an object, and sets a text by clearing and adding, each step announced.
template <class L>
void CheckEveryOperation(const char* UpdateEvents) {
  constexpr bool wide = std::is_same_v<L, TWideStringList>;
  static TObject marker;
  const TCase<L> cases[] = {
      {"Add", [](L& l) { l.Add(L"d"); }, L"a|b|c|d", "<>"},
      {"Insert at the start", [](L& l) { l.Insert(0, L"d"); }, L"d|a|b|c", "<>"},
      {"Insert at Count", [](L& l) { l.Insert(3, L"d"); }, L"a|b|c|d", "<>"},
      {"Put", [](L& l) { l.SetStrings(1, L"B"); }, L"a|B|c", "<>"},
      {"PutObject", [](L& l) { l.SetObjects(1, &marker); }, L"a|b|c", "<>"},
      {"Delete", [](L& l) { l.Delete(2); }, L"a|b", "<>"},
      {"Exchange", [](L& l) { l.Exchange(0, 2); }, L"c|b|a", "<>", "<><><><>"},
      {"Clear", [](L& l) { l.Clear(); }, L"", "<>"},
      {"Clear twice",
       [](L& l) {
         l.Clear();
         l.Clear();
       },
       L"", "<>"},
      {"Sort",
       [](L& l) {
         l.Exchange(0, 2);
         l.Sort();
       },
       L"a|b|c", "<><>", "<><><><><>"},
      {"an update",
       [](L& l) {
         l.BeginUpdate();
         l.BeginUpdate();
         l.Add(L"d");
         l.Exchange(0, 3);
         l.SetStrings(1, L"B");
         l.EndUpdate();
         l.Delete(2);
         l.EndUpdate();
       },
       L"d|B|a", UpdateEvents},
      {"SetText", [](L& l) { l.SetText(L"x\ny"); }, L"x|y", UpdateEvents, "<><><>"},
  };
  for (const TCase<L>& c : cases) {
    L list;
    list.SetText(L"a\nb\nc");
    TEventLog events;
    list.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
    list.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
    c.Run(list);
    EXPECT_EQ(Joined(list), c.Expected) << c.What;
    EXPECT_EQ(events.log, wide && c.WideEvents ? c.WideEvents : c.Events) << c.What;
  }
}

}  // namespace

TEST(UcListEvents, TheUnicodeStringListAnnouncesEveryChangeOnce) { CheckEveryOperation<TUcStringList>(">"); }

TEST(UcListEvents, TheWideStringListAnnouncesEveryChangeOnce) { CheckEveryOperation<TWideStringList>("<>"); }

// The wide string list's operations made of steps announce every step; a load is one change.
TEST(UcListEvents, TheWideStringListAnnouncesEachStepOfAComposedOperation) {
  static TObject marker;
  const TCase<TWideStringList> cases[] = {
      {"Move", [](TWideStringList& l) { l.Move(0, 2); }, L"b|c|a", "<><><>"},
      {"Move to itself", [](TWideStringList& l) { l.Move(1, 1); }, L"a|b|c", ""},
      {"Assign from a wide list",
       [](TWideStringList& l) {
         TWideStringList other;
         other.SetText(L"x\ny");
         l.Assign(&other);
       },
       L"x|y", "<><><><><>"},
      {"Assign from an 8-bit list",
       [](TWideStringList& l) {
         TStringList other;
         other.SetText("x\ny");
         l.Assign(&other);
       },
       L"x|y", "<><><><><>"},
      {"AddStrings of an 8-bit list",
       [](TWideStringList& l) {
         TStringList other;
         other.SetText("x");
         other.SetObjects(0, &marker);
         l.AddStrings(&other);
       },
       L"a|b|c|x", "<><>"},
      {"AddStrings of a wide list",
       [](TWideStringList& l) {
         TWideStringList other;
         other.SetText(L"x\ny");
         l.AddStrings(&other);
       },
       L"a|b|c|x|y", "<><><><>"},
      {"LoadFromStream",
       [](TWideStringList& l) {
         TStringStream s("x\r\ny");
         l.LoadFromStream(&s);
       },
       L"x|y", "<>"},
  };
  for (const auto& c : cases) {
    TWideStringList list;
    list.SetText(L"a\nb\nc");
    TEventLog events;
    list.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
    list.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
    c.Run(list);
    EXPECT_EQ(Joined(list), c.Expected) << c.What;
    EXPECT_EQ(events.log, c.Events) << c.What;
  }
  // Given to an 8-bit list, the strings are added one by one after the clearing.
  TWideStringList list;
  list.SetText(L"x\ny");
  TStringList ansi;
  ansi.SetText("a");
  TEventLog events;
  ansi.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
  ansi.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
  ansi.Assign(&list);
  EXPECT_EQ(ansi.Text(), "x\r\ny\r\n");
  EXPECT_EQ(events.log, "<><><>");
}

TEST(UcListEvents, ASortedWideStringListRefusesExchange) {
  TWideStringList list;
  list.SetText(L"b\na");
  list.SetSorted(true);
  const std::pair<std::pair<int, int>, const char*> cases[] = {
      {{0, 1}, "Operation not allowed on sorted list"},
      {{0, 2}, "List index out of bounds (2)"},
      {{-1, 0}, "List index out of bounds (-1)"},
  };
  for (const auto& [pair, message] : cases) {
    std::string got = "(nothing raised)";
    try {
      list.Exchange(pair.first, pair.second);
    } catch (const EStringListError& e) {
      got = e.what();
    }
    EXPECT_EQ(got, message) << pair.first << "," << pair.second;
  }
  EXPECT_EQ(list.Strings(0) + L"|" + list.Strings(1), L"a|b");
}

TEST(UcListEvents, ASortedListRefusesPutAndInsertAndAnnouncesNothing) {
  TUcStringList list;
  list.SetText(L"b\na");
  list.SetSorted(true);
  TEventLog events;
  list.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
  list.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
  EXPECT_THROW(list.SetStrings(0, L"z"), EStringListError);
  EXPECT_THROW(list.Insert(0, L"z"), EStringListError);
  EXPECT_THROW(list.SetStrings(2, L"z"), EStringListError);
  EXPECT_EQ(Joined(list), L"a|b");
  EXPECT_EQ(events.log, "");
}
