// Position records of dockable windows: written and read back, the revision rule, bad records.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>

#include "tests/framework/Raised.h"
#include "tests/toolbars/BarDockTestSupport.h"

namespace {

// Values by "toolbar.value"; the order of writing is kept too.
struct TStore {
  std::map<std::string, std::string> Values;
  std::vector<std::string> Order;
  std::string FailOn;
  std::function<void(const std::string&)> OnRead;  // told of every integer read first
  static TStore& Of(void* P) { return *static_cast<TStore*>(P); }
  static void WriteInt(const std::string& T, const std::string& V, int D, void* P) {
    Of(P).Values[T + "." + V] = std::to_string(D);
    Of(P).Order.push_back(T + "." + V);
  }
  static void WriteStr(const std::string& T, const std::string& V, const std::string& D, void* P) {
    Of(P).Values[T + "." + V] = D;
    Of(P).Order.push_back(T + "." + V);
  }
  static int ReadInt(const std::string& T, const std::string& V, int Default, void* P) {
    if (Of(P).OnRead) Of(P).OnRead(V);
    if (Of(P).FailOn == V) throw std::runtime_error("read failed");
    auto it = Of(P).Values.find(T + "." + V);
    return it == Of(P).Values.end() ? Default : std::stoi(it->second);
  }
  static std::string ReadStr(const std::string& T, const std::string& V, const std::string& Default, void* P) {
    auto it = Of(P).Values.find(T + "." + V);
    return it == Of(P).Values.end() ? Default : it->second;
  }
  void Save(TComponent* Owner) { SaveDockablePositions(Owner, &WriteInt, &WriteStr, this); }
  void Load(TComponent* Owner) { LoadDockablePositions(Owner, &ReadInt, &ReadStr, this); }
};

}  // namespace

TEST(BarPositions, WrittenInOrderAndReadBack) {
  TDockForm f;
  auto* a = f.Toolbar("A", 3, f.Top, 0, 30);
  auto* b = f.Toolbar("B", 2, f.Top, 1);
  f.Toolbar("Plain", 1, nullptr)->SetParent(&f.Form);  // on the form: no record
  f.Show();
  b->SetFloatingPosition({300, 200});
  b->SetFloating(true);
  b->SetFloatingWidth(40);
  TStore s;
  s.Save(&f.Form);
  EXPECT_EQ(s.Order.size(), 18u);
  EXPECT_EQ(s.Order[0], "A.Rev");
  EXPECT_EQ(s.Order[8], "A.FloatRightX");
  EXPECT_EQ(s.Values["A.Rev"], "2000");
  EXPECT_EQ(s.Values["A.DockedTo"], "TopDock");
  EXPECT_EQ(s.Values["A.DockPos"], "30");
  EXPECT_EQ(s.Values["B.DockedTo"], "+");
  EXPECT_EQ(s.Values["B.LastDock"], "TopDock");
  EXPECT_EQ(s.Values["B.FloatLeft"], "300");
  EXPECT_EQ(s.Values["B.FloatRightX"], "40");
  EXPECT_EQ(s.Values.count("Plain.Rev"), 0u);
  // Moved about, then read back.
  a->SetParent(f.Left);
  b->SetParent(f.Top);
  b->SetFloatingWidth(0);
  s.Values["A.DockedTo"] = "topdock";  // names match without regard to case
  s.Load(&f.Form);
  EXPECT_EQ(a->CurrentDock(), f.Top);
  EXPECT_EQ(a->DockPos(), 30);
  EXPECT_EQ(a->Left(), 30);
  ASSERT_TRUE(b->Floating());
  EXPECT_EQ(b->FloatingParent()->Left(), 300);
  EXPECT_EQ(b->FloatingParent()->Top(), 200);
  EXPECT_EQ(b->FloatingWidth(), 40);
  EXPECT_EQ(b->LastDock(), f.Top);
  EXPECT_EQ(f.Left->Width(), 0);
}

TEST(BarPositions, RecordsThatLeaveTheWindowAlone) {
  TDockForm f;
  auto* a = f.Toolbar("A", 3, f.Top);
  f.Show();
  TStore s;
  s.Values = {{"A.Rev", "1999"}, {"A.Visible", "0"}, {"A.DockedTo", "LeftDock"}};
  s.Load(&f.Form);
  EXPECT_TRUE(a->Visible());
  EXPECT_EQ(a->CurrentDock(), f.Top);
  s.Values = {{"A.Rev", "2000"}, {"A.DockedTo", "NoSuchDock"}, {"A.LastDock", "Nowhere"}};
  s.Load(&f.Form);
  EXPECT_EQ(a->CurrentDock(), f.Top);
  f.Left->SetAllowDrag(false);
  s.Values["A.DockedTo"] = "LeftDock";
  s.Load(&f.Form);
  EXPECT_EQ(a->CurrentDock(), f.Top);
  // A dock that does not allow dragging is saved as empty and not moved to on loading.
  a->SetParent(f.Left);
  s.Values.clear();
  s.Save(&f.Form);
  EXPECT_EQ(s.Values["A.DockedTo"], "");
  a->SetParent(f.Top);
  s.Load(&f.Form);
  EXPECT_EQ(a->CurrentDock(), f.Top);
  // An unnamed dock that allows dragging cannot be saved.
  auto* unnamed = new TBarDock(&f.Form);
  unnamed->SetPosition(dpBottom);
  unnamed->SetParent(&f.Form);
  a->SetParent(unnamed);
  EXPECT_THROW(s.Save(&f.Form), EInvalidOperation);
  EXPECT_EQ(FindDock(&f.Form, "LEFTDOCK"), f.Left);
  EXPECT_EQ(FindDock(&f.Form, "Nowhere"), nullptr);
}

TEST(BarPositions, AFailingReadUnlocksTheDocks) {
  TDockForm f;
  auto* a = f.Toolbar("A", 3, f.Top);
  f.Show();
  TStore s;
  s.Save(&f.Form);
  s.FailOn = "DockPos";
  EXPECT_THROW(s.Load(&f.Form), std::runtime_error);
  // Unlocked: an arrangement runs at once again.
  a->SetDockRow(3);
  EXPECT_FALSE(f.Top->ArrangePending());
  a->SetDockPos(50);
  EXPECT_EQ(a->Left(), 50);
}

// Every dock is unlocked after the reads, also when one fails to; the first failure goes on, a read's first.
TEST(BarPositions, EveryDockIsUnlockedAndTheFirstFailureGoesOn) {
  struct TFailingDock : TBarDock {  // its arrangement fails once it is told to
    using TBarDock::TBarDock;
    std::string Fail;
    void ArrangeToolbars() override { Fail.empty() ? TBarDock::ArrangeToolbars() : throw EInvalidOperation(Fail); }
  };
  const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
      {"", "first", "second", "first"},
      {"", "", "second", "second"},
      {"Visible", "first", "second", "other exception: read failed"},
      {"Visible", "", "", "other exception: read failed"},
      {"", "", "", ""}};
  for (auto [failRead, first, second, raised] : cases) {
    TDockForm f;
    auto* a = f.Toolbar("A", 3, f.Top);
    TFailingDock* docks[] = {new TFailingDock(&f.Form), new TFailingDock(&f.Form)};
    for (TFailingDock* d : docks) d->SetPosition(dpBottom), d->SetParent(&f.Form);
    f.Show();
    TStore s;
    s.Save(&f.Form);
    s.FailOn = failRead;
    // While the docks are locked, each gets an arrangement to do and is told how to fail.
    s.OnRead = [&](const std::string& Value) {
      if (Value != "Rev") return;
      docks[0]->ArrangeToolbars(), docks[1]->ArrangeToolbars();
      docks[0]->Fail = first, docks[1]->Fail = second;
    };
    const std::string what = Raised<Exception>([&] { s.Load(&f.Form); });
    EXPECT_EQ(what, *raised ? raised : "(nothing raised)") << failRead << first << second;
    for (TFailingDock* d : docks) {
      d->Fail.clear(), d->ArrangeToolbars();
      EXPECT_FALSE(d->ArrangePending()) << "still locked";
    }
    a->SetDockPos(50);
    EXPECT_EQ(a->Left(), 50) << "the first dock still locked";
  }
}

TEST(BarPositions, MutatedRecordsNeverBreakTheForm) {
  TDockForm f;
  auto* a = f.Toolbar("A", 3, f.Top);
  auto* b = f.Toolbar("B", 2, f.Left);
  f.Show();
  TStore good;
  a->SetFloating(true);
  good.Save(&f.Form);
  a->SetParent(f.Top);
  std::mt19937 rng(25);
  const std::vector<std::string> names{"A.Rev",      "A.Visible",   "A.DockedTo", "A.LastDock",    "A.DockRow",
                                       "A.DockPos",  "A.FloatLeft", "A.FloatTop", "A.FloatRightX", "B.Rev",
                                       "B.DockedTo", "B.DockRow",   "B.DockPos"};
  const std::vector<std::string> strings{"", "+", "TopDock", "leftdock", "A", "++", std::string(300, 'x'), "\x01"};
  const int ints[] = {0, -1, 1, 2000, 1999, 32767, -32768, 2147483647, -2147483647 - 1, 5};
  for (int round = 0; round < 1500; ++round) {
    TStore s = good;
    s.Values["B.Rev"] = "2000";
    for (int k = static_cast<int>(rng() % 4); k >= 0; --k) {
      const std::string& n = names[rng() % names.size()];
      bool text = n.find("Dock") != std::string::npos && n.find("Row") == std::string::npos &&
                  n.find("Pos") == std::string::npos;
      s.Values[n] = text ? strings[rng() % strings.size()] : std::to_string(ints[rng() % std::size(ints)]);
    }
    s.Load(&f.Form);
    for (TBarCustomToolbar* t : {a, b}) {
      ASSERT_TRUE(t->Docked() || t->Floating()) << round;
      ASSERT_GE(t->DockRow(), 0);
      ASSERT_GE(t->View()->WrapOffset(), 0);
    }
    ASSERT_FALSE(f.Top->ArrangePending());
  }
  PumpMessagesFor(20);
}

// A floating width is read and written back as it is; one below 1 wraps nowhere.
TEST(BarPositions, TheFloatingWidthIsReadAndWrittenBackAsItIs) {
  TDockForm f;
  auto* t = f.Toolbar("T", 3, f.Top);
  f.Show();
  t->SetFloating(true);
  TStore s;
  s.Save(&f.Form);
  const std::tuple<const char*, int, int, const char*> cases[] = {
      {"-7", -7, 0, "-7"},  {"-2147483648", INT_MIN, 0, "-2147483648"},        {"0", 0, 0, "0"}, {"40", 40, 36, "40"},
      {nullptr, 0, 0, "0"}, {"2147483647", INT_MAX, 2147483643, "2147483647"},
  };
  for (auto [stored, width, wrap, written] : cases) {
    s.Values.erase("T.FloatRightX");
    if (stored) s.Values["T.FloatRightX"] = stored;
    t->SetFloatingWidth(5);
    s.Load(&f.Form);
    EXPECT_EQ(std::tuple(t->FloatingWidth(), t->View()->WrapOffset()), std::tuple(width, wrap));
    TStore again;
    again.Save(&f.Form);
    EXPECT_EQ(again.Values["T.FloatRightX"], written) << width;
  }
}
