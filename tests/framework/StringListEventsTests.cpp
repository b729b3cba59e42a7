// The change events of string lists: one OnChanging and one OnChange around every operation that
// changes the list, none for operations that change nothing, one pair for a whole update.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/StringLists.h"

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
  const char* Expected;  // the items afterwards, joined by "|"
  const char* Events;
};

template <class L>
std::string Joined(const L& list) {
  std::string r;
  for (int i = 0; i < list.Count(); ++i) {
    if (i) r += "|";
    for (auto c : list.Strings(i)) r += static_cast<char>(c);
  }
  return r;
}

template <class L, class S>
void RunCases(const S& (*text)(const char*), std::initializer_list<TCase<L>> cases) {
  for (const TCase<L>& c : cases) {
    L list;
    list.SetText(text("a\nb\nc"));
    TEventLog events;
    list.OnChange = TNotifyEvent(&events, &TEventLog::Changed);
    list.OnChanging = TNotifyEvent(&events, &TEventLog::Changing);
    c.Run(list);
    EXPECT_EQ(Joined(list), c.Expected) << c.What;
    EXPECT_EQ(events.log, c.Events) << c.What;
  }
}

template <class L, class S>
void CheckEveryOperation(const S& (*text)(const char*)) {
  static TObject marker;
  RunCases<L, S>(text, {
                           {"Add", [&](L& l) { l.Add(text("d")); }, "a|b|c|d", "<>"},
                           {"Insert at the start", [&](L& l) { l.Insert(0, text("d")); }, "d|a|b|c", "<>"},
                           {"Insert at Count", [&](L& l) { l.Insert(3, text("d")); }, "a|b|c|d", "<>"},
                           {"Put", [&](L& l) { l.SetStrings(1, text("B")); }, "a|B|c", "<>"},
                           {"PutObject", [&](L& l) { l.SetObjects(1, &marker); }, "a|b|c", "<>"},
                           {"Delete", [&](L& l) { l.Delete(2); }, "a|b", "<>"},
                           {"Exchange", [&](L& l) { l.Exchange(0, 2); }, "c|b|a", "<>"},
                           {"Move", [&](L& l) { l.Move(0, 2); }, "b|c|a", "<>"},
                           {"Move in place", [&](L& l) { l.Move(1, 1); }, "a|b|c", ""},
                           {"Clear", [&](L& l) { l.Clear(); }, "", "<>"},
                           {"Clear twice",
                            [&](L& l) {
                              l.Clear();
                              l.Clear();
                            },
                            "", "<>"},
                           {"Sort",
                            [&](L& l) {
                              l.Exchange(0, 2);
                              l.Sort();
                            },
                            "a|b|c", "<><>"},
                           {"an update",
                            [&](L& l) {
                              l.BeginUpdate();
                              l.BeginUpdate();
                              l.Add(text("d"));
                              l.Exchange(0, 3);
                              l.Delete(1);
                              l.EndUpdate();
                              l.Insert(3, text("e"));
                              l.EndUpdate();
                              l.EndUpdate();  // an unmatched close is ignored
                            },
                            "d|c|a|e", "<>"},
                       });
}

const std::string& Narrow(const char* s) {
  static std::string r;
  r = s;
  return r;
}

const std::wstring& Wide(const char* s) {
  static std::wstring r;
  r.assign(s, s + std::char_traits<char>::length(s));
  return r;
}

}  // namespace

TEST(StringListEvents, EveryChangeIsAnnouncedOnceAroundIt) { CheckEveryOperation<TStringList, std::string>(Narrow); }

TEST(StringListEvents, WideListsAnnounceTheSame) { CheckEveryOperation<TStringListW, std::wstring>(Wide); }

TEST(StringListEvents, InsertingAtTheEndIsTheOnlyPlaceBeyondTheItems) {
  for (int count : {0, 1, 5}) {
    TStringList list;
    for (int i = 0; i < count; ++i) list.Add(std::to_string(i));
    list.Insert(count, "end");
    EXPECT_EQ(list.Strings(count), "end") << count;
    EXPECT_THROW(list.Insert(count + 2, "past"), EStringListError) << count;
    EXPECT_THROW(list.Insert(-1, "before"), EStringListError) << count;
    EXPECT_EQ(list.Count(), count + 1);
  }
}
