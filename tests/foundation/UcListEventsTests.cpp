// The change events of the Unicode string lists: one OnChanging and one OnChange around every
// change, none when nothing changes, and for a whole update what each list's bracket announces.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
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

// Runs the case on the list a, b, c and checks its items and what it announced.
template <class L>
void CheckCase(const TCase<L>& Case, const char* Events) {
  L list;
  list.SetText(L"a\nb\nc");
  TEventLog events;
  list.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
  list.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
  Case.Run(list);
  EXPECT_EQ(Joined(list), Case.Expected) << Case.What;
  EXPECT_EQ(events.log, Events) << Case.What;
}

// What a whole update announces: the Unicode string list sets its updating flag before it
// announces, so the opening of the bracket is silent; the wide string list counts its brackets
// and announces both ends.
template <class L>
void CheckEveryOperation(const char* UpdateEvents) {
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
  for (const TCase<L>& c : cases)
    CheckCase(c, std::is_same_v<L, TWideStringList> && c.WideEvents ? c.WideEvents : c.Events);
}

}  // namespace

TEST(UcListEvents, TheUnicodeStringListAnnouncesEveryChangeOnce) { CheckEveryOperation<TUcStringList>(">"); }

TEST(UcListEvents, TheWideStringListAnnouncesEveryChangeOnce) { CheckEveryOperation<TWideStringList>("<>"); }

TEST(UcListEvents, TheWideStringListAnnouncesEachStepOfAComposedOperation) {
  static TObject marker;
  static TWideStringList wideXY;
  static TStringList ansiXY, ansiX;
  wideXY.SetText(L"x\ny");
  ansiXY.SetText("x\ny");
  ansiX.AddObject("x", &marker);
  using W = TWideStringList;
  const TCase<W> cases[] = {
      {"Move", [](W& l) { l.Move(0, 2); }, L"b|c|a", "<><><>"},
      {"Move to itself", [](W& l) { l.Move(1, 1); }, L"a|b|c", ""},
      {"Assign from a wide list", [](W& l) { l.Assign(&wideXY); }, L"x|y", "<><><><><>"},
      {"Assign from an 8-bit list", [](W& l) { l.Assign(&ansiXY); }, L"x|y", "<><><><><>"},
      {"AddStrings of an 8-bit list", [](W& l) { l.AddStrings(&ansiX); }, L"a|b|c|x", "<><>"},
      {"AddStrings of a wide list", [](W& l) { l.AddStrings(&wideXY); }, L"a|b|c|x|y", "<><><><>"},
      {"LoadFromStream", [](W& l) { l.LoadFromStream(std::make_unique<TStringStream>("x\r\ny").get()); }, L"x|y", "<>"},
  };
  for (const auto& c : cases) CheckCase(c, c.Events);
  // Given to an 8-bit list, the strings are added one by one after the clearing.
  TStringList ansi;
  ansi.SetText("a");
  TEventLog events;
  ansi.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
  ansi.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
  ansi.Assign(&wideXY);
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
