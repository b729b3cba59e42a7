// Type information, published properties, events, components and collections.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "AllocationCount.h"
#include "ProcessMemory.h"
#include "framework/Component.h"
#include "framework/Lists.h"
#include "framework/Win.h"
#include "tests/framework/Raised.h"

HV_ENUM(TTestColour, tcRed, tcGreen, tcBlue, tcYellow, tcBlack)
using TTestColours = TSet<TTestColour>;

enum TTestInt : int32_t {};
HV_INTEGER_TYPE(TTestInt, -100, 100, otSLong)

class TPropHolder : public TComponent {
  HV_CLASS(TPropHolder, TComponent)
 public:
  using TComponent::TComponent;
  int Count() const { return count_; }
  void SetCount(int v) {
    count_ = v;
    ++setCalls;
  }
  TTestColour Colour() const { return colour_; }
  void SetColour(TTestColour v) { colour_ = v; }
  TTestColours Colours() const { return colours_; }
  void SetColours(TTestColours v) { colours_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  const std::string& Text() const { return text_; }
  void SetText(const std::string& v) { text_ = v; }
  const std::wstring& Caption() const { return caption_; }
  void SetCaption(const std::wstring& v) { caption_ = v; }
  bool Flag() const { return flag_; }
  void SetFlag(bool v) { flag_ = v; }
  long long Big() const { return big_; }
  void SetBig(long long v) { big_ = v; }
  TComponent* Link() const { return link_; }
  void SetLink(TComponent* v) { link_ = v; }
  bool IsTextStored() const { return !text_.empty() && text_ != "default"; }

  void Clicked(TObject* Sender) {
    lastSender = Sender;
    ++clicks;
  }
  void Other(TObject*) {}
  void WrongShape(TObject*, int) {}

  TNotifyEvent OnClick;
  TEvent<void(TObject*, int)> OnValue;
  TTestInt Typed = TTestInt(0);
  int setCalls = 0;
  int clicks = 0;
  TObject* lastSender = nullptr;

 private:
  int count_ = 0;
  TTestColour colour_ = tcRed;
  TTestColours colours_;
  double ratio_ = 0;
  std::string text_;
  std::wstring caption_;
  bool flag_ = false;
  long long big_ = 0;
  TComponent* link_ = nullptr;
};

HV_PUBLISH(TPropHolder) {
  p.Prop("Count", &T::Count, &T::SetCount).Default(0);
  p.Prop("Colour", &T::Colour, &T::SetColour).Default(tcRed);
  p.Prop("Colours", &T::Colours, &T::SetColours);
  p.Prop("Ratio", &T::Ratio, &T::SetRatio);
  p.Prop("Text", &T::Text, &T::SetText).Stored(&T::IsTextStored);
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  p.Prop("Flag", &T::Flag, &T::SetFlag).Default(false);
  p.Prop("Big", &T::Big, &T::SetBig);
  p.Prop("Link", &T::Link, &T::SetLink);
  p.Field("Typed", &T::Typed);
  p.Event("OnClick", &T::OnClick);
  p.Event("OnValue", &T::OnValue);
  p.Method("Clicked", &T::Clicked);
  p.Method("Other", &T::Other);
  p.Method("WrongShape", &T::WrongShape);
}

class TPropChild : public TPropHolder {
  HV_CLASS(TPropChild, TPropHolder)
 public:
  using TPropHolder::TPropHolder;
  int Extra() const { return 7; }
};

HV_PUBLISH(TPropChild) { p.Prop("Extra", &T::Extra); }

TEST(Sets, OperationsAndUntypedForm) {
  TTestColours s{tcRed, tcBlue};
  EXPECT_TRUE(s.Contains(tcBlue));
  EXPECT_FALSE(s.Contains(tcGreen));
  s += TTestColours{tcGreen};
  s -= TTestColours{tcRed};
  EXPECT_EQ(s, (TTestColours{tcGreen, tcBlue}));
  EXPECT_EQ(s * TTestColours({tcBlue, tcBlack}), TTestColours({tcBlue}));
  TSetValue v = s.ToValue();
  EXPECT_EQ(v.Bytes[0], 0x06);
  EXPECT_EQ(TTestColours::FromValue(v), s);
  const TTypeInfo& st = TypeInfoOf<TTestColours>();
  EXPECT_EQ(SetToString(st, v, true), "[tcGreen,tcBlue]");
  EXPECT_EQ(SetToString(st, TSetValue(), true), "[]");
  EXPECT_EQ(StringToSet(st, " [ tcblue , tcYellow ] "), (TTestColours{tcBlue, tcYellow}.ToValue()));
  EXPECT_TRUE(StringToSet(st, "[]").Empty());
  EXPECT_THROW(StringToSet(st, "[tcRed,tcPink]"), EPropertyError);
}

TEST(PublishedProperties, ListedInDeclarationOrderWithAncestorsFirst) {
  TPropChild obj(nullptr);
  std::vector<std::string> names;
  for (const TPropInfo* p : GetPropList(&obj)) names.push_back(p->Name);
  std::vector<std::string> expected = {"Name", "Tag", "Count", "Colour", "Colours", "Ratio",   "Text", "Caption",
                                       "Flag", "Big", "Link",  "Typed",  "OnClick", "OnValue", "Extra"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(GetPropInfo(&obj, "colours")->Name, "Colours");
  EXPECT_EQ(GetPropInfo(&obj, "missing"), nullptr);
  EXPECT_THROW(FindPropInfo(&obj, "missing"), EPropertyError);
}

TEST(PublishedProperties, ReadAndWrittenByNameForEveryKind) {
  TPropHolder obj(nullptr);
  TPropHolder other(nullptr);
  SetOrdProp(&obj, FindPropInfo(&obj, "Count"), 42);
  EXPECT_EQ(obj.Count(), 42);
  EXPECT_EQ(GetOrdProp(&obj, FindPropInfo(&obj, "Count")), 42);
  SetEnumProp(&obj, FindPropInfo(&obj, "Colour"), "tcyellow");
  EXPECT_EQ(obj.Colour(), tcYellow);
  EXPECT_EQ(GetEnumProp(&obj, FindPropInfo(&obj, "Colour")), "tcYellow");
  EXPECT_THROW(SetEnumProp(&obj, FindPropInfo(&obj, "Colour"), "tcPink"), EPropertyError);
  SetSetProp(&obj, FindPropInfo(&obj, "Colours"), "[tcRed,tcBlack]");
  EXPECT_EQ(obj.Colours(), (TTestColours{tcRed, tcBlack}));
  EXPECT_EQ(GetSetProp(&obj, FindPropInfo(&obj, "Colours"), true), "[tcRed,tcBlack]");
  SetFloatProp(&obj, FindPropInfo(&obj, "Ratio"), 2.5L);
  EXPECT_DOUBLE_EQ(obj.Ratio(), 2.5);
  SetStrProp(&obj, FindPropInfo(&obj, "Text"), "abc");
  EXPECT_EQ(obj.Text(), "abc");
  SetWideStrProp(&obj, FindPropInfo(&obj, "Caption"), L"\u0416x");
  EXPECT_EQ(obj.Caption(), L"\u0416x");
  EXPECT_EQ(GetWideStrProp(&obj, FindPropInfo(&obj, "Text")), L"abc");
  SetStrProp(&obj, FindPropInfo(&obj, "Caption"), "plain");
  EXPECT_EQ(obj.Caption(), L"plain");
  SetOrdProp(&obj, FindPropInfo(&obj, "Flag"), 1);
  EXPECT_TRUE(obj.Flag());
  SetInt64Prop(&obj, FindPropInfo(&obj, "Big"), 0x123456789LL);
  EXPECT_EQ(obj.Big(), 0x123456789LL);
  SetObjectProp(&obj, FindPropInfo(&obj, "Link"), &other);
  EXPECT_EQ(obj.Link(), &other);
  EXPECT_EQ(GetObjectProp(&obj, FindPropInfo(&obj, "Link")), &other);
  SetOrdProp(&obj, FindPropInfo(&obj, "Typed"), -7);
  EXPECT_EQ(obj.Typed, -7);
  EXPECT_THROW(GetFloatProp(&obj, FindPropInfo(&obj, "Count")), EPropertyError);
  TPropChild child(nullptr);
  EXPECT_THROW(SetOrdProp(&child, FindPropInfo(&child, "Extra"), 1), EPropertyError);
}

namespace {
// One property of each ordinal and float kind that TPropHolder does not have.
class TKindHolder : public TPersistent {
  HV_CLASS(TKindHolder, TPersistent)
 public:
  char Letter = 0;
  wchar_t WideLetter = 0;
  int8_t Short = 0;
  uint8_t Byte = 0;
  uint16_t Word = 0;
  uint32_t LongWord = 0;
  float Single = 0;
  long double Extended = 0;
  TDateTime When = 0;
  std::string Ansi;
  std::wstring Wide;
};
}  // namespace

HV_PUBLISH(TKindHolder) {
  p.Field("Letter", &T::Letter);
  p.Field("WideLetter", &T::WideLetter);
  p.Field("Short", &T::Short);
  p.Field("Byte", &T::Byte);
  p.Field("Word", &T::Word);
  p.Field("LongWord", &T::LongWord);
  p.Field("Single", &T::Single);
  p.Field("Extended", &T::Extended);
  p.Field("When", &T::When).Type(DateTimeTypeInfo());
  p.Field("Ansi", &T::Ansi);
  p.Field("Wide", &T::Wide);
}

TEST(PublishedProperties, CharactersUnsignedNumbersFloatsAndDatesByName) {
  TKindHolder k;
  auto prop = [&](const char* name) -> const TPropInfo& { return FindPropInfo(&k, name); };
  // Ordinals come back within their type's range, whatever the C++ type's sign.
  SetOrdProp(&k, prop("Letter"), 0xE9);
  EXPECT_EQ(k.Letter, '\xE9');
  EXPECT_EQ(GetOrdProp(&k, prop("Letter")), 0xE9);
  SetOrdProp(&k, prop("WideLetter"), 0xFFFD);
  EXPECT_EQ(k.WideLetter, L'\uFFFD');
  EXPECT_EQ(GetOrdProp(&k, prop("WideLetter")), 0xFFFD);
  SetOrdProp(&k, prop("Short"), -128);
  EXPECT_EQ(GetOrdProp(&k, prop("Short")), -128);
  SetOrdProp(&k, prop("Byte"), 255);
  EXPECT_EQ(GetOrdProp(&k, prop("Byte")), 255);
  SetOrdProp(&k, prop("Word"), 65535);
  EXPECT_EQ(GetOrdProp(&k, prop("Word")), 65535);
  SetOrdProp(&k, prop("LongWord"), 4294967295LL);
  EXPECT_EQ(k.LongWord, UINT32_MAX);
  EXPECT_EQ(GetOrdProp(&k, prop("LongWord")), 4294967295LL);

  // Each float kind keeps the precision of its own type; the 80-bit one loses none.
  SetFloatProp(&k, prop("Single"), 0.1L);
  EXPECT_EQ(k.Single, 0.1f);
  EXPECT_EQ(GetFloatProp(&k, prop("Single")), static_cast<long double>(0.1f));
  const long double fine = 1.0L + 1.0L / 4611686018427387904.0L;  // 1 + 2^-62: more than a double holds
  ASSERT_NE(static_cast<long double>(static_cast<double>(fine)), fine);
  SetFloatProp(&k, prop("Extended"), fine);
  EXPECT_EQ(GetFloatProp(&k, prop("Extended")), fine);
  // A date-time is a float told apart by its type.
  EXPECT_EQ(prop("When").PropType, &DateTimeTypeInfo());
  SetFloatProp(&k, prop("When"), 45000.75L);
  EXPECT_EQ(k.When, 45000.75);

  // ANSI and wide strings convert through the ANSI code page when read as the other kind.
  SetWideStrProp(&k, prop("Ansi"), L"caf\u00e9");
  EXPECT_EQ(k.Ansi, "caf\xE9");
  EXPECT_EQ(GetWideStrProp(&k, prop("Ansi")), L"caf\u00e9");
  SetStrProp(&k, prop("Wide"), "na\xEFve");
  EXPECT_EQ(k.Wide, L"na\u00efve");
  EXPECT_EQ(GetStrProp(&k, prop("Wide")), "na\xEFve");
  EXPECT_THROW(GetOrdProp(&k, prop("Wide")), EPropertyError);
  EXPECT_THROW(SetFloatProp(&k, prop("Ansi"), 1), EPropertyError);
}

HV_ENUM(TWideEnum, we0, we1, we2, we3, we4, we5, we6, we7, we8, we9, we10, we11, we12, we13, we14, we15, we16, we17,
        we18, we19)

TEST(Sets, ElementsBeyondTheFirstByteByNameAndNumber) {
  const TTypeInfo& st = TypeInfoOf<TSet<TWideEnum>>();
  TSet<TWideEnum> s{we0, we7, we8, we15, we16, we19};
  EXPECT_EQ(SetToString(st, s.ToValue(), true), "[we0,we7,we8,we15,we16,we19]");
  EXPECT_EQ(SetToString(st, s.ToValue(), false), "we0,we7,we8,we15,we16,we19");
  EXPECT_EQ(TSet<TWideEnum>::FromValue(StringToSet(st, "we19,WE16 ,we15,we8,we7,we0")), s);
  EXPECT_EQ(TSet<TWideEnum>::FromValue(StringToSet(st, "[we8,we8]")), (TSet<TWideEnum>{we8}));
  EXPECT_EQ(Raised<EPropertyError>([&] { StringToSet(st, "[we1,we20]"); }), "Invalid property element: we20");
  // An enumeration's names only; an ordinal number is not one of them.
  EXPECT_THROW(StringToSet(st, "[3]"), EPropertyError);
}

TEST(Events, BoundComparedAndCalled) {
  TPropHolder a(nullptr), b(nullptr);
  TNotifyEvent e1(&a, &TPropHolder::Clicked);
  TNotifyEvent e2(&a, &TPropHolder::Clicked);
  TNotifyEvent e3(&b, &TPropHolder::Clicked);
  TNotifyEvent e4(&a, &TPropHolder::Other);
  EXPECT_TRUE(e1.Assigned());
  EXPECT_FALSE(TNotifyEvent().Assigned());
  EXPECT_TRUE(TNotifyEvent() == nullptr);
  EXPECT_EQ(e1, e2);
  EXPECT_FALSE(e1 == e3);
  EXPECT_FALSE(e1 == e4);
  TNotifyEvent copy = e1;
  copy(&b);
  EXPECT_EQ(a.clicks, 1);
  EXPECT_EQ(a.lastSender, &b);
}

TEST(Events, BoundByPublishedMethodName) {
  TPropHolder form(nullptr), target(nullptr);
  TMethod m = MethodAddress(&form, "CLICKED");
  ASSERT_TRUE(m.Assigned());
  SetMethodProp(&target, FindPropInfo(&target, "OnClick"), m);
  ASSERT_TRUE(target.OnClick.Assigned());
  target.OnClick(&target);
  EXPECT_EQ(form.clicks, 1);
  EXPECT_EQ(form.lastSender, &target);
  EXPECT_EQ(MethodName(&form, GetMethodProp(&target, FindPropInfo(&target, "OnClick"))), "Clicked");
  EXPECT_EQ(MethodName(&form, TNotifyEvent(&form, &TPropHolder::Other).Method()), "Other");
  EXPECT_FALSE(MethodAddress(&form, "Nothing").Assigned());
  // A handler of another shape is refused.
  EXPECT_THROW(SetMethodProp(&target, FindPropInfo(&target, "OnClick"), MethodAddress(&form, "WrongShape")),
               EPropertyError);
  SetMethodProp(&target, FindPropInfo(&target, "OnValue"), MethodAddress(&form, "WrongShape"));
  EXPECT_TRUE(target.OnValue.Assigned());
}

namespace {
struct Recorder {
  std::vector<int> calls;
  TEventList<void(int)>* list = nullptr;
  TEvent<void(int)> second;
  void First(int v) {
    calls.push_back(v);
    if (list) list->Remove(second);
  }
  void Second(int v) { calls.push_back(v * 10); }
};
}  // namespace

TEST(Events, ListsCallInOrderAndSurviveRemovalDuringACall) {
  Recorder r;
  TEventList<void(int)> list;
  r.second = TEvent<void(int)>(&r, &Recorder::Second);
  list.Add(TEvent<void(int)>(&r, &Recorder::First));
  list.Add(r.second);
  list(1);
  EXPECT_EQ(r.calls, (std::vector<int>{1, 10}));
  r.list = &list;
  r.calls.clear();
  list(2);
  EXPECT_EQ(r.calls, (std::vector<int>{2}));
  EXPECT_EQ(list.Count(), 1);
}

TEST(Registry, ClassesFoundByName) {
  RegisterClasses({&TPropHolder::StaticClassInfo(), &TPropChild::StaticClassInfo()});
  EXPECT_EQ(GetClass("tpropchild"), &TPropChild::StaticClassInfo());
  EXPECT_EQ(&FindClass("TPropHolder"), &TPropHolder::StaticClassInfo());
  EXPECT_EQ(GetClass("TNothing"), nullptr);
  EXPECT_EQ(Raised<EClassNotFound>([&] { FindClass("TNothing"); }), "Class TNothing not found");
  TComponent* c = TPropChild::StaticClassInfo().NewComponent(nullptr);
  EXPECT_EQ(c->ClassName(), "TPropChild");
  delete c;
  UnRegisterClass(TPropChild::StaticClassInfo());
  EXPECT_EQ(GetClass("TPropChild"), nullptr);
}

TEST(Persistent, AssignErrorNamesBothClasses) {
  TPersistent a;
  TPropHolder b(nullptr);
  EXPECT_EQ(Raised<EConvertError>([&] { a.Assign(&b); }), "Cannot assign a TPropHolder to a TPersistent");
  EXPECT_EQ(Raised<EConvertError>([&] { a.Assign(nullptr); }), "Cannot assign a nil to a TPersistent");
}

namespace {
// Records what it hears and, optionally, whom it should forget.
class TWatcher : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* watched = nullptr;
  std::vector<TComponent*>* log = nullptr;
  int removals = 0;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == watched) {
      watched = nullptr;
      ++removals;
    }
  }
};

class TCounted : public TComponent {
 public:
  explicit TCounted(TComponent* owner, int* alive) : TComponent(owner), alive_(alive) { ++*alive_; }
  ~TCounted() override { --*alive_; }

 private:
  int* alive_;
};
}  // namespace

TEST(Components, NamesAreIdentifiersAndUniquePerOwner) {
  TComponent root(nullptr);
  auto* a = new TComponent(&root);
  auto* b = new TComponent(&root);
  a->SetName("Button1");
  EXPECT_EQ(root.FindComponent("BUTTON1"), a);
  EXPECT_EQ(root.FindComponent(""), nullptr);
  EXPECT_EQ(Raised<EComponentError>([&] { b->SetName("button1"); }), "A component named button1 already exists");
  EXPECT_EQ(Raised<EComponentError>([&] { b->SetName("1abc"); }), "'1abc' is not a valid component name");
  a->SetName("BUTTON1");  // a change of case of its own name is fine
  EXPECT_EQ(a->Name(), "BUTTON1");
  EXPECT_THROW(root.Components(5), EListError);
}

// A removed free notification is not sent.
// The design state goes down the ownership tree, to what is owned now and what comes later;
// a component inserted into an owner that runs stays running, and the state can be taken back.
TEST(Components, DesignStateReachesEveryOwnedComponent) {
  auto designing = [](TComponent* C) { return C->ComponentState().Contains(csDesigning); };
  TComponent root(nullptr);
  auto* child = new TComponent(&root);
  auto* grandchild = new TComponent(child);
  TComponent outsider(nullptr);
  EXPECT_FALSE(designing(&root));
  root.SetDesigning(true);
  for (TComponent* c : {&root, child, grandchild}) EXPECT_TRUE(designing(c));
  EXPECT_FALSE(designing(&outsider));
  auto* later = new TComponent(grandchild);  // made inside a designed tree
  EXPECT_TRUE(designing(later));
  auto* moved = new TComponent(nullptr);
  root.InsertComponent(moved);
  EXPECT_TRUE(designing(moved));
  root.SetDesigning(false, false);  // the root alone
  EXPECT_FALSE(designing(&root));
  EXPECT_TRUE(designing(child));
  auto* runtime = new TComponent(&root);
  EXPECT_FALSE(designing(runtime));
  root.SetDesigning(false);
  for (TComponent* c : {child, grandchild, later, moved}) EXPECT_FALSE(designing(c));
  // The process-wide flag of a design tool is separate and off in a program.
  EXPECT_FALSE(DesignTimeProcess());
}

TEST(Components, RemovingAFreeNotificationStopsIt) {
  TWatcher w(nullptr);
  auto* t = new TComponent(nullptr);
  w.watched = t;
  t->FreeNotification(&w);
  t->RemoveFreeNotification(&w);
  delete t;
  EXPECT_EQ(w.removals, 0);
}

namespace {
// Counts the live instances and forgets the components it watches when they go.
class TListener : public TComponent {
 public:
  TListener(TComponent* owner, int* alive) : TComponent(owner), alive_(alive) { ++*alive_; }
  ~TListener() override { --*alive_; }
  void Watch(TComponent* c) {
    watching.push_back(c);
    c->FreeNotification(this);
  }
  std::vector<TComponent*> watching;
  TComponent* freeWhenRemoved = nullptr;  // freed from inside the notification

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    std::erase(watching, AComponent);
    if (freeWhenRemoved && AComponent != freeWhenRemoved) {
      TComponent* helper = freeWhenRemoved;
      freeWhenRemoved = nullptr;
      delete helper;
    }
  }

 private:
  int* alive_;
};
}  // namespace

TEST(Components, OwnersOwnedAndWatchersFreedInEveryOrder) {
  int order[] = {0, 1, 2};  // owner, owned, outsider
  do {
    int alive = 0;
    auto* owner = new TListener(nullptr, &alive);
    auto* owned = new TListener(owner, &alive);
    auto* outsider = new TListener(nullptr, &alive);
    TListener* all[] = {owner, owned, outsider};
    for (TListener* a : all)
      for (TListener* b : all)
        if (a != b) a->Watch(b);
    bool gone[] = {false, false, false};
    for (int which : order) {
      if (gone[which]) continue;
      delete all[which];
      gone[which] = true;
      if (which == 0) gone[1] = true;  // the owner took its component along
      for (int i = 0; i < 3; ++i) {
        if (gone[i]) continue;
        for (int j = 0; j < 3; ++j) {
          if (!gone[j]) continue;
          EXPECT_EQ(std::count(all[i]->watching.begin(), all[i]->watching.end(), all[j]), 0) << i << j;
        }
      }
    }
    EXPECT_EQ(alive, 0) << order[0] << order[1] << order[2];
  } while (std::next_permutation(std::begin(order), std::end(order)));

  // A watcher that, hearing of the component, frees another watcher not told yet.
  int alive = 0;
  auto* target = new TListener(nullptr, &alive);
  auto* first = new TListener(nullptr, &alive);
  auto* second = new TListener(nullptr, &alive);
  auto* third = new TListener(target, &alive);
  first->Watch(target);
  second->Watch(target);
  third->Watch(target);
  third->freeWhenRemoved = first;
  delete target;  // takes third along, which takes first
  EXPECT_EQ(alive, 1);
  EXPECT_TRUE(second->watching.empty());
  delete second;
  EXPECT_EQ(alive, 0);
}

// A component moved to another owner, removed first or not, belongs to that owner alone (and
// is found by name there only); either owner may go first.
TEST(Components, MovedBetweenOwnersAndFreedInEitherOrder) {
  for (int round = 0; round < 4; ++round) {
    int alive = 0;
    TCounted* owners[] = {new TCounted(nullptr, &alive), new TCounted(nullptr, &alive)};
    auto* moved = new TCounted(owners[0], &alive);
    moved->SetName("Moved");
    if (round & 1) owners[0]->RemoveComponent(moved);
    owners[1]->InsertComponent(moved);
    EXPECT_EQ(owners[0]->ComponentCount() + owners[1]->ComponentCount(), 1);
    EXPECT_EQ(owners[0]->FindComponent("moved"), nullptr);
    EXPECT_EQ(owners[1]->FindComponent("MOVED"), moved);
    delete owners[round >> 1];
    delete owners[1 - (round >> 1)];
    EXPECT_EQ(alive, 0);
  }
  // The name index follows renames and frees.
  TComponent root(nullptr);
  auto* a = new TComponent(&root);
  a->SetName("Alpha");
  a->SetName("Gamma");
  EXPECT_EQ(root.FindComponent("alpha"), nullptr);
  EXPECT_EQ(root.FindComponent("gamma"), a);
  delete a;
  EXPECT_EQ(root.FindComponent("Gamma"), nullptr);
}

class TTestItem : public TCollectionItem {
  HV_CLASS(TTestItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  int Value() const { return value_; }
  void SetValue(int v) {
    value_ = v;
    Changed(false);
  }
  void Assign(TPersistent* Source) override {
    if (auto* s = dynamic_cast<TTestItem*>(Source)) {
      value_ = s->value_;
      return;
    }
    TCollectionItem::Assign(Source);
  }

 private:
  int value_ = 0;
};

HV_PUBLISH(TTestItem) { p.Prop("Value", &T::Value, &T::SetValue); }

class TTestCollection : public TCollection {
 public:
  TTestCollection() : TCollection(TTestItem::StaticClassInfo()) {}
  std::vector<TCollectionItem*> updates;

 protected:
  void Update(TCollectionItem* Item) override { updates.push_back(Item); }
};

TEST(Collections, AddDeleteIndexAndUpdates) {
  TTestCollection c;
  auto* a = c.Add<TTestItem>();
  auto* b = c.Add<TTestItem>();
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_EQ(b->ID(), 1);
  c.updates.clear();
  b->SetValue(5);
  ASSERT_EQ(c.updates.size(), 1u);
  EXPECT_EQ(c.updates[0], b);
  c.BeginUpdate();
  a->SetValue(1);
  b->SetValue(2);
  EXPECT_EQ(c.updates.size(), 1u);
  c.EndUpdate();
  EXPECT_EQ(c.updates.back(), nullptr);
  b->SetIndex(0);
  EXPECT_EQ(c.Items(0), b);
  c.Delete(1);
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.FindItemID(1), b);
  EXPECT_EQ(c.FindItemID(0), nullptr);
  delete b;
  EXPECT_EQ(c.Count(), 0);
  EXPECT_THROW(c.Items(0), EListError);
}

TEST(Collections, AssignCopiesItems) {
  TTestCollection a, b;
  a.Add<TTestItem>()->SetValue(3);
  a.Add<TTestItem>()->SetValue(4);
  b.Add<TTestItem>()->SetValue(9);
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(b.Items(1))->Value(), 4);
}

TEST(Lists, IndexErrorsAndMoves) {
  TList l;
  int x = 1, y = 2, z = 3;
  l.Add(&x);
  l.Add(&y);
  l.Add(&z);
  l.Move(0, 2);
  EXPECT_EQ(l[2], &x);
  l.Exchange(0, 1);
  EXPECT_EQ(l[0], &z);
  EXPECT_EQ(l.Remove(&y), 1);
  EXPECT_EQ(Raised<EListError>([&] { l.Items(5); }), "List index out of bounds (5)");
  EXPECT_EQ(Raised<EListError>([&] { l.SetCapacity(1); }), "List capacity out of bounds (1)");
  l.Add(nullptr);
  l.Pack();
  EXPECT_EQ(l.Count(), 2);
}

class TFieldHolder : public TComponent {
  HV_CLASS(TFieldHolder, TComponent)
 public:
  using TComponent::TComponent;
  TPropHolder* Holder1 = nullptr;
};

HV_PUBLISH(TFieldHolder) { p.ComponentField("Holder1", &T::Holder1); }

TEST(PublishedFields, SetByNameOnlyWithTheirClass) {
  TFieldHolder root(nullptr);
  TPropHolder h(nullptr);
  TComponent other(nullptr);
  const TPublishedField* f = root.ClassInfo().FindField("HOLDER1");
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->Set(&root, &h));
  EXPECT_EQ(root.Holder1, &h);
  EXPECT_FALSE(f->Set(&root, &other));
  EXPECT_EQ(root.Holder1, &h);
}

namespace {
void BuildAndFreeComponentTree(int i) {
  auto* root = new TWatcher(nullptr);
  root->SetName("Root");
  for (int k = 0; k < 5; ++k) {
    auto* child = new TPropHolder(root);
    child->SetName("Child" + std::to_string(k));
    child->SetText(std::string(100, 'x'));
    child->OnClick = TNotifyEvent(child, &TPropHolder::Clicked);
    child->FreeNotification(root);
  }
  auto* outsider = new TComponent(nullptr);
  outsider->FreeNotification(root);
  if (i % 2) delete outsider;
  delete root;
  if (!(i % 2)) delete outsider;
}
}  // namespace

TEST(Components, TenThousandTreesLeaveTheProcessMemoryWhereItWas) {
  for (int i = 0; i < 1000; ++i) BuildAndFreeComponentTree(i);  // settle the heap
  std::ptrdiff_t blocks = LiveAllocations();
  size_t before = ProcessPrivateBytes();
  for (int i = 0; i < 10000; ++i) BuildAndFreeComponentTree(i);
  size_t after = ProcessPrivateBytes();
  EXPECT_EQ(LiveAllocations(), blocks);  // not one block of ours left behind
  EXPECT_LE(after, before + 64 * 1024) << "grew from " << before << " to " << after;
}
