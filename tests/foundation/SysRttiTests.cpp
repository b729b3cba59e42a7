// Type descriptor wrappers and set texts.
#include <gtest/gtest.h>

#include "foundation/SysRtti.h"
#include "framework/StringLists.h"
#include "tests/framework/Raised.h"

namespace rtti_test {
HV_ENUM(TLetter, a, b, c, d, e)
using TLetters = TSet<TLetter>;
HV_ENUM(TTurkish, tkInfo, tkIdle)

const TTypeInfo& RangeType(int lo, int hi) {
  static std::vector<std::unique_ptr<TTypeInfo>> made;
  auto t = std::make_unique<TTypeInfo>();
  t->Kind = tkInteger;
  t->Name = "TRange";
  t->OrdType = otUByte;
  t->MinValue = lo;
  t->MaxValue = hi;
  made.push_back(std::move(t));
  return MakeSetTypeInfo(*made.back(), "set of TRange");
}
}  // namespace rtti_test

using namespace rtti_test;

namespace {
const TTypeInfo& LetterSet() { return TypeInfoOf<TLetters>(); }
TSetValue Letters(std::initializer_list<TLetter> l) { return TLetters(l).ToValue(); }
TSetValue FromText(const TTypeInfo& t, std::string_view text) {
  TSetValue v;
  TextToSet(t, v, text);
  return v;
}
}  // namespace

TEST(SysRtti, WrapperKindsAndBounds) {
  ISysTypeInfo e = MakeTypeInfoObject(TypeInfoOf<TLetter>());
  EXPECT_EQ(e->TypeKind(), tkEnumeration);
  EXPECT_EQ(e->TypeName(), "TLetter");
  auto en = QueryTypeInfo<TSysEnumerationTypeInfo>(e);
  EXPECT_EQ(en->MinValue(), 0);
  EXPECT_EQ(en->MaxValue(), 4);
  EXPECT_EQ(en->ElementName(2), "c");
  EXPECT_EQ(en->ElementName(9), "");
  EXPECT_EQ(en->BaseType().get(), en.get());
  EXPECT_THROW(QueryTypeInfo<TSysSetTypeInfo>(e), EInvalidCast);

  auto card = QueryTypeInfo<TSysOrdinalRangeTypeInfo>(MakeTypeInfoObject(TypeInfoOf<unsigned int>()));
  EXPECT_EQ(card->MinValue(), 0);
  EXPECT_EQ(card->MaxValue(), 4294967295LL);
  auto integer = QueryTypeInfo<TSysOrdinalRangeTypeInfo>(MakeTypeInfoObject(TypeInfoOf<int>()));
  EXPECT_EQ(integer->MinValue(), -2147483648LL);

  auto set = QueryTypeInfo<TSysSetTypeInfo>(MakeTypeInfoObject(LetterSet()));
  EXPECT_EQ(set->ElementType()->TypeKind(), tkEnumeration);
  EXPECT_EQ(MakeTypeInfoObject(TypeInfoOf<double>())->TypeKind(), tkFloat);
}

TEST(SysRtti, IndexOfElementNameIgnoresAsciiCaseOnly) {
  auto en = QueryTypeInfo<TSysEnumerationTypeInfo>(MakeTypeInfoObject(TypeInfoOf<TTurkish>()));
  EXPECT_EQ(en->IndexOfElementName("TKIDLE"), 1);
  EXPECT_EQ(en->IndexOfElementName("tkinfo"), 0);
  EXPECT_EQ(en->IndexOfElementName("tk\xDDnfo"), -1);  // dotted capital I is not i
  EXPECT_EQ(en->IndexOfElementName(""), -1);
}

TEST(SysRtti, SetTextWithBracketsAndRanges) {
  TSetValue v = Letters({a, b, c, e});
  EXPECT_EQ(SetToText(LetterSet(), v, true, false), "[a, b, c, e]");
  EXPECT_EQ(SetToText(LetterSet(), v, false, true), "a .. c, e");
  EXPECT_EQ(SetToText(LetterSet(), TSetValue(), true, false), "[]");
  EXPECT_EQ(SetToText(LetterSet(), TSetValue(), false, false), "");
}

TEST(SysRtti, NumericSetsGiveNumbers) {
  const TTypeInfo& range = RangeType(10, 20);
  TSetValue v;
  v.Include(10);
  v.Include(11);
  EXPECT_EQ(SetToText(range, v, false, false), "10, 11");
  EXPECT_EQ(SetToText(range, v, false, true), "10 .. 11");
  EXPECT_EQ(FromText(range, "[10 .. 12, 20]"), [] {
    TSetValue r;
    for (int i : {10, 11, 12, 20}) r.Include(i);
    return r;
  }());
  TSetValue chars;
  chars.Include('A');
  EXPECT_EQ(SetToText(TypeInfoOf<TSet<char>>(), chars, true, false), "[65]");
}

TEST(SysRtti, TextToSetReadsBlanksRangesAndCase) {
  EXPECT_EQ(FromText(LetterSet(), "[ a ,b]"), Letters({a, b}));
  EXPECT_EQ(FromText(LetterSet(), "a..c"), Letters({a, b, c}));
  EXPECT_EQ(FromText(LetterSet(), "a .. c"), Letters({a, b, c}));
  EXPECT_EQ(FromText(LetterSet(), "c..a"), Letters({}));
  EXPECT_EQ(FromText(LetterSet(), ""), Letters({}));
  EXPECT_EQ(FromText(LetterSet(), "[]"), Letters({}));
  EXPECT_EQ(FromText(LetterSet(), "[A, E]"), Letters({a, e}));
  EXPECT_EQ(FromText(LetterSet(), "[a, e] "), Letters({a, e}));
}

TEST(SysRtti, UnknownNameKeepsEarlierMembersAndNamesTheCulprit) {
  TSetValue v;
  EXPECT_EQ(Raised<ESysRTTIError>([&] { TextToSet(LetterSet(), v, "[a,  zz ]"); }), "Unknown identifier 'zz'.");
  EXPECT_EQ(v, Letters({a}));
}

TEST(SysRtti, MissingClosingBracketLosesNoCharacter) {
  TSetValue v;
  // The last item is not cut short to "b": the text names no element "bc".
  EXPECT_THROW(TextToSet(LetterSet(), v, "[a, bc"), ESysRTTIError);
  EXPECT_EQ(FromText(LetterSet(), "[a, b"), Letters({a, b}));
}

TEST(SysRtti, ListToSetClearsTheWholeStorageOnly) {
  const TTypeInfo& range = RangeType(7, 8);
  TSetValue v;
  for (auto& byte : v.Bytes) byte = 0xFF;
  TextToSet(range, v, "");
  EXPECT_EQ(v.Bytes[0], 0);
  EXPECT_EQ(v.Bytes[1], 0);
  EXPECT_EQ(v.Bytes[2], 0xFF);  // beyond the storage of the set
  TextToSet(range, v, "8");
  EXPECT_EQ(v.Bytes[1], 1);
}

TEST(SysRtti, NumbersOutsideTheRangeOrNotNumbersAreErrors) {
  const TTypeInfo& range = RangeType(10, 20);
  TSetValue v;
  EXPECT_THROW(TextToSet(range, v, "21"), ESysRTTIError);
  EXPECT_THROW(TextToSet(range, v, "5..12"), ESysRTTIError);
  EXPECT_THROW(TextToSet(range, v, "x"), EConvertError);
  for (int i = 0; i < 256; ++i) {
    if (i < 10 || i > 20) {
      EXPECT_FALSE(v.Contains(i)) << i;
    }
  }
}

TEST(SysRtti, StringListForms) {
  auto set = QueryTypeInfo<TSysSetTypeInfo>(MakeTypeInfoObject(LetterSet()));
  TStringList list;
  set->SetToList(Letters({b, c, d}), true, list);
  EXPECT_EQ(list.Text(), "b .. d\r\n");
  list.Clear();
  list.Add(" a ");
  list.Add("");
  list.Add("E");
  TSetValue v;
  set->ListToSet(v, list);
  EXPECT_EQ(v, Letters({a, e}));
  list.Add("nope");
  EXPECT_THROW(set->ListToSet(v, list), ESysRTTIError);
  EXPECT_EQ(list.UpdateCount(), 0);
}
