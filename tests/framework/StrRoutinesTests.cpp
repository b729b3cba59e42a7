// String routines: trimming, casing, comparison, quoting, searching and replacing.
#include <gtest/gtest.h>

#include "framework/StrRoutines.h"
#include "tests/framework/Joined.h"

TEST(StrRoutines, TrimTakesControlCharactersButNotAccentedLetters) {
  EXPECT_EQ(Trim(std::string(" \t\r\n x y \x01")), "x y");
  EXPECT_EQ(TrimLeft(std::string("  a ")), "a ");
  EXPECT_EQ(TrimRight(std::string("  a ")), "  a");
  EXPECT_EQ(Trim(std::string("   ")), "");
  // 0xA0 (no-break space in 1252) and 0xE9 are above the blank: signed chars must not fool it.
  EXPECT_EQ(Trim(std::string("\xE9 \xA0")), "\xE9 \xA0");
  EXPECT_EQ(Trim(std::string("\0a\0", 3)), "a");
  EXPECT_EQ(WideTrim(L"\t\u0416 "), L"\u0416");
  EXPECT_EQ(WideTrimLeft(L" a "), L"a ");
  EXPECT_EQ(WideTrimRight(L" a "), L" a");
}

TEST(StrRoutines, CasingAsciiAndSystem) {
  EXPECT_EQ(UpperCase("abc\xE9z"), "ABC\xE9Z");
  EXPECT_EQ(LowerCase("ABC\xC9Z"), "abc\xC9z");
  EXPECT_EQ(AnsiUpperCase("abc\xE9"), "ABC\xC9");  // code page 1252
  EXPECT_EQ(AnsiLowerCase("ABC\xC9"), "abc\xE9");
  EXPECT_EQ(WideUpperCase(L"\u0436a"), L"\u0416A");
  EXPECT_EQ(WideLowerCase(L"\u0416A"), L"\u0436a");
  EXPECT_EQ(AnsiUpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(StrRoutines, Comparisons) {
  // Ordinal, and bytes compare unsigned.
  auto sign = [](std::pair<const char*, const char*> p) {
    return (CompareStr(p.first, p.second) > 0) - (CompareStr(p.first, p.second) < 0);
  };
  EXPECT_EQ(Joined({std::pair{"a", "b"}, {"b", "a"}, {"B", "a"}, {"a", "ab"}, {"\xE9", "z"}}, sign), "-1|1|-1|-1|1");
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_NE(CompareText("\xE9", "\xC9"), 0) << "only ASCII letters fold";
  EXPECT_TRUE(SameText("Key", "kEY"));
  EXPECT_FALSE(SameText("Key", "Keys"));
  EXPECT_EQ(AnsiCompareText("\xE9t\xE9", "\xC9T\xC9"), 0);
  EXPECT_TRUE(AnsiSameText("\xE9t\xE9", "\xC9T\xC9"));
  EXPECT_FALSE(AnsiSameStr("a", "A"));
  EXPECT_NE(AnsiCompareStr("a", "A"), 0);
  EXPECT_LT(AnsiCompareStr("apple", "banana"), 0);
  EXPECT_EQ(WideCompareText(L"\u0416", L"\u0436"), 0);
  EXPECT_TRUE(WideSameText(L"Abc", L"aBC"));
  EXPECT_FALSE(WideSameStr(L"Abc", L"aBC"));
  EXPECT_GT(WideCompareStr(L"b", L"a"), 0);
}

TEST(StrRoutines, Quoting) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
  // Nothing is cut off: text after the closing quote, or no closing quote, keeps the whole.
  EXPECT_EQ(
      Joined({"'it''s'", "''", "plain", "'ab'cd", "'open"}, [](const char* s) { return AnsiDequotedStr(s, '\''); }),
      "it's||plain|'ab'cd|'open");

  const char* p = "'a''b' rest";
  EXPECT_EQ(AnsiExtractQuotedStr(p, '\''), "a'b");
  EXPECT_STREQ(p, " rest");
  const char* q = "no quote";
  EXPECT_EQ(AnsiExtractQuotedStr(q, '\''), "");
  EXPECT_STREQ(q, "no quote");
  const char* r = "'unclosed";
  EXPECT_EQ(AnsiExtractQuotedStr(r, '\''), "unclosed");
  EXPECT_STREQ(r, "");
}

TEST(StrRoutines, ReplaceAndSearch) {
  EXPECT_EQ(StringReplace("aaa", "a", "b"), "baa");
  EXPECT_EQ(StringReplace("aaa", "a", "b", {rfReplaceAll}), "bbb");
  EXPECT_EQ(StringReplace("aAa", "a", "x", {rfReplaceAll, rfIgnoreCase}), "xxx");
  EXPECT_EQ(StringReplace("abc", "", "x", {rfReplaceAll}), "abc");
  EXPECT_EQ(StringReplace("abab", "ab", "abab", {rfReplaceAll}), "abababab") << "no rescanning of new text";
  EXPECT_EQ(StringReplace("x\xE9y", "\xC9", "e", {rfIgnoreCase}), "xey");
  EXPECT_EQ(StringReplace(std::wstring(L"\u0416\u0436"), std::wstring(L"\u0436"), std::wstring(L"z"),
                          {rfReplaceAll, rfIgnoreCase}),
            L"zz");

  EXPECT_EQ(Pos("b", "abcb"), 2);
  EXPECT_EQ(Pos("z", "abc"), 0);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(PosEx("b", "abcb", 3), 4);
  EXPECT_EQ(PosEx("b", "abcb", 5), 0);
  EXPECT_EQ(PosEx("b", "abcb", 0), 0);
  EXPECT_EQ(Pos(std::wstring(L"\u0416"), std::wstring(L"a\u0416")), 2);

  EXPECT_EQ(StringOfChar('-', 3), "---");
  EXPECT_EQ(StringOfChar('-', -1), "");
  EXPECT_EQ(LastDelimiter("\\:", "C:\\dir\\file"), 7);
  EXPECT_EQ(LastDelimiter(".", "none"), 0);
  EXPECT_TRUE(IsDelimiter(",;", "a;b", 2));
  EXPECT_FALSE(IsDelimiter(",;", "a;b", 3));
  EXPECT_FALSE(IsDelimiter(",;", "a;b", 0));
  EXPECT_FALSE(IsDelimiter(",;", "a;b", 4));
}

TEST(StrRoutines, AdjustLineBreaks) {
  EXPECT_EQ(AdjustLineBreaks("a\rb\nc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
  EXPECT_EQ(AdjustLineBreaks("a\r\nb\r", tlbsLF), "a\nb\n");
  EXPECT_EQ(AdjustLineBreaks(std::wstring(L"x\ry")), L"x\r\ny");
}
