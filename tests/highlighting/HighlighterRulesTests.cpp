// The rule-driven highlighter over rule trees built in code: keyword matching with case folding
// and word ends, sets, ranges and the ways they close, start-line conditions, the token loop,
// and the faults of the scan that must not come back.
#include <gtest/gtest.h>

#include <tuple>

#include "framework/Conversions.h"
#include "tests/highlighting/HighlightTestSupport.h"

// Blocks allocated through operator new by this test program so far (AllocationCounter.cpp).
long AllocationsSoFar();

namespace {

struct THighlighter {
  THighlighter() { h.MainRules()->Attributes->SetForeground(clBlack); }
  TTxtRange* Main() const { return h.MainRules(); }
  TTxtXmlHighlighter h{nullptr};
};

struct TNotifications {
  void Changed(TObject*) { ++count; }
  int count = 0;
};

}  // namespace

TEST(HighlighterRules, KeywordsFoldCaseUnlessTheRangeIsCaseSensitive) {
  // Per text: the colour when the range folds case, and when it does not.
  const std::tuple<const char*, TColor, TColor> cases[] = {
      {"begin", clRed, clRed}, {"BEGIN", clRed, clBlack}, {"BeGiN", clRed, clBlack}};
  for (const auto& [text, folded, exact] : cases) {
    for (bool sensitive : {false, true}) {
      THighlighter t;
      t.Main()->SetCaseSensitive(sensitive);
      AddKeywords(t.Main(), "begin", clRed);
      EXPECT_EQ(ColorOf(Scan(t.h, text), text), sensitive ? exact : folded) << text << " " << sensitive;
    }
  }
}

TEST(HighlighterRules, WordEndsLongestMatchAndDefaultRuns) {
  THighlighter t;
  AddKeywords(t.Main(), "for\nin\nint\n+=", clRed);
  struct Case {
    const char* line;
    const char* tokens;
    const char* token;
    TColor color;
  } cases[] = {
      {"format x", "format| |x", "format", clBlack},  // the keyword needs a delimiter after it
      {"for x", "for| |x", "for", clRed},
      {"a+=b", "a|+=|b", "+=", clRed},  // ends in a delimiter: may end anywhere
      {"int i", "int| |i", "int", clRed},
      {"inx", "inx", "inx", clBlack},
      {"in ", "in| ", "in", clRed},
  };
  for (const Case& c : cases) {
    const auto tokens = Scan(t.h, c.line);
    EXPECT_EQ(Texts(tokens), c.tokens) << c.line;
    EXPECT_EQ(ColorOf(tokens, c.token), c.color) << c.line;
  }
}

TEST(HighlighterRules, SetsMatchRunsOfTheirQuantity) {
  THighlighter t;
  TTxtSet* digits = AddSet(t.Main(), "0123456789", clBlue, 2);
  EXPECT_EQ(ColorOf(Scan(t.h, "12 x"), "12"), clBlue);
  EXPECT_EQ(ColorOf(Scan(t.h, "123 x"), "123"), clBlack);
  digits->Quantity = 0;
  t.h.MainRules()->Unprepare();
  EXPECT_EQ(ColorOf(Scan(t.h, "1234+5"), "1234"), clBlue);
  EXPECT_EQ(ColorOf(Scan(t.h, "12ab"), "12ab"), clBlack);
}

TEST(HighlighterRules, TheLaterKeywordListDecidesAWordsColours) {
  THighlighter t;
  AddKeywords(t.Main(), "same\nfirst", clRed);
  AddKeywords(t.Main(), "same", clGreen);
  EXPECT_EQ(ColorOf(Scan(t.h, "same first"), "same"), clGreen);
}

TEST(HighlighterRules, SymbolPairsMustStayInStep) {
  TTxtRange r("a", "b");
  r.OpenTokens.AddSymbol("x");
  EXPECT_EQ(ErrorOf([&] { r.AddCoupleTags("c", "d"); }), "TTxtRange.AddCoupleTags: different multitags count");
  EXPECT_EQ(r.OpenTokens.SymbolCount(), 3);
  EXPECT_EQ(r.CloseTokens.SymbolCount(), 2);
  EXPECT_EQ(r.CloseTokens.GetSymbol(1), "d");
  EXPECT_EQ(ErrorOf([&] { r.OpenTokens.GetSymbol(3); }), "TTxtMultiToken.GetSymbol: Index out of bounds");
  EXPECT_EQ(ErrorOf([&] { r.OpenTokens.GetSymbol(-1); }), "TTxtMultiToken.GetSymbol: Index out of bounds");
}

TEST(HighlighterRules, DisabledRulesTakeNoPart) {
  THighlighter t;
  AddRange(t.Main(), "(", ")", clRed)->Enabled = false;
  AddKeywords(t.Main(), "kw", clBlue)->Enabled = false;
  EXPECT_EQ(ColorOf(Scan(t.h, "( kw )"), "kw"), clBlack);
  // A disabled range itself gets only the default and delimiter parsers.
  t.Main()->Enabled = false;
  t.Main()->KeyLists(0)->Enabled = true;
  EXPECT_EQ(Texts(Scan(t.h, "kw+(kw")), "kw|+|(|kw");
  EXPECT_EQ(ColorOf(Scan(t.h, "kw"), "kw"), clBlack);
}

TEST(HighlighterRules, ACommentRangeSpansLines) {
  THighlighter t;
  AddRange(t.Main(), "/*", "*/", clGreen);
  void* state = nullptr;
  auto first = Scan(t.h, "a /* b", state);
  EXPECT_EQ(ColorOf(first, "/*"), clGreen);
  EXPECT_EQ(ColorOf(first, "b"), clGreen);
  EXPECT_NE(state, t.Main());
  auto second = Scan(t.h, "c */ d", state);
  EXPECT_EQ(Texts(second), "c| |*/| |d");
  EXPECT_EQ(ColorOf(second, "c"), clGreen);
  EXPECT_EQ(ColorOf(second, "*/"), clGreen);
  EXPECT_EQ(ColorOf(second, "d"), clBlack);
  EXPECT_EQ(state, t.Main());
}

TEST(HighlighterRules, RangesCloseAtTheLineEndAtADelimiterOrWithTheirParent) {
  THighlighter eol;
  AddRange(eol.Main(), "//", "", clGreen)->SetCloseOnEol(true);
  void* state = nullptr;
  EXPECT_EQ(ColorOf(Scan(eol.h, "x // y z", state), "z"), clGreen);
  EXPECT_EQ(state, eol.Main());

  THighlighter term;
  TTxtRange* s = AddRange(term.Main(), "$", "", clRed);
  s->SetCloseOnTerm(true);
  s->Delimiters = StrToCharSet(" ");
  const auto tokens = Scan(term.h, "$abc def");
  EXPECT_EQ(ColorOf(tokens, "abc"), clRed);
  EXPECT_EQ(ColorOf(tokens, "def"), clBlack);

  THighlighter nested;
  TTxtRange* a = AddRange(nested.Main(), "(", ")", clRed);
  TTxtRange* b = AddRange(a, "[", ")", clBlue);
  b->SetAllowPredClose(true);
  state = nullptr;
  EXPECT_EQ(ColorOf(Scan(nested.h, "( [ x ) y", state), "y"), clBlack);
  EXPECT_EQ(state, nested.Main());
  b->SetAllowPredClose(false);
  nested.h.MainRules()->Unprepare();
  state = nullptr;
  EXPECT_EQ(ColorOf(Scan(nested.h, "( [ x ) y", state), "y"), clRed);
}

TEST(HighlighterRules, StartLineConditions) {
  THighlighter t;
  AddRange(t.Main(), "#", "", clRed)->OpenTokens.StartLine = StartLine::FirstColumn;
  AddRange(t.Main(), "@", "", clBlue)->OpenTokens.StartLine = StartLine::FirstNonBlank;
  EXPECT_EQ(ColorOf(Scan(t.h, "#x"), "x"), clRed);
  EXPECT_EQ(ColorOf(Scan(t.h, " #x"), "#x"), clBlack);
  EXPECT_EQ(ColorOf(Scan(t.h, " \t@x"), "x"), clBlue);
  EXPECT_EQ(ColorOf(Scan(t.h, "a @x"), "@x"), clBlack);
}

TEST(HighlighterRules, TheTokenLoopContract) {
  THighlighter t;
  AddKeywords(t.Main(), "kw", clRed);
  t.h.SetLine("kw, x", 0);
  EXPECT_EQ(t.h.GetLanguageName() + IntToStr(t.h.GetTokenKind()), "XmlLanguage1");
  // Tokens cover the line in order.
  int expected = 0;
  for (; !t.h.GetEol(); t.h.Next()) {
    EXPECT_EQ(t.h.GetTokenPos(), expected);
    expected += static_cast<int>(t.h.GetToken().size());
  }
  EXPECT_EQ(expected, 5);
  // An empty line yields one empty token before its end.
  EXPECT_EQ(Scan(t.h, "").size(), 1u);
}

TEST(HighlighterRules, PreparingACustomRangeNeedsItsOpenSymbolInTheParent) {
  THighlighter t;
  TTxtRange* r = AddRange(t.Main(), "<<", ">>", clRed);
  t.h.Reset();
  r->Prepare(nullptr);
  EXPECT_TRUE(r->Prepared());
  r->OpenTokens.Symbols.SetStrings(0, "??");
  EXPECT_EQ(ErrorOf([&] { r->Prepare(nullptr); }), "TTxtRange.Prepare: error preparing custom range");
}

// ---- faults that must stay mended ----

TEST(HighlighterFaults, NulInSetsAndSymbolsNeverRunsPastTheLineEnd) {
  THighlighter t;
  TTxtSet* s = AddSet(t.Main(), "ab", clBlue);
  s->Symbols.Include(0);
  AddKeywords(t.Main(), AnsiString("\0x", 2), clRed);
  AddRange(t.Main(), AnsiString("\0", 1), "", clGreen);
  for (const char* line : {"ab", "", "xx", "a"}) EXPECT_EQ(Texts(Scan(t.h, line)), line) << line;
}

TEST(HighlighterFaults, AnEmbeddedNulDoesNotEndTheTokens) {
  THighlighter t;
  AddKeywords(t.Main(), "cd", clRed);
  const auto tokens = Scan(t.h, AnsiString("ab\0cd", 5));
  EXPECT_EQ(Texts(tokens), std::string("ab|\0|cd", 7));
  EXPECT_EQ(ColorOf(tokens, "cd"), clRed);
}

TEST(HighlighterFaults, TheClosingSymbolBelongsToTheLineNotToTheRange) {
  THighlighter t;
  TTxtRange* r = AddRange(t.Main(), "(*", "*)", clGreen);
  r->AddCoupleTags("{", "}");
  void* line1 = nullptr;
  Scan(t.h, "{ a", line1);
  // Another line opens the range with its other pair meanwhile.
  Scan(t.h, "(* b *)");
  void* state = line1;
  const auto line2 = Scan(t.h, "a } b", state);
  EXPECT_EQ(ColorOf(line2, "a"), clGreen);
  EXPECT_EQ(ColorOf(line2, "b"), clBlack);
  EXPECT_EQ(state, t.Main());
  // And the first pair still closes only at its own symbol.
  state = nullptr;
  Scan(t.h, "(* a", state);
  EXPECT_EQ(ColorOf(Scan(t.h, "} b", state), "b"), clGreen);
}

TEST(HighlighterFaults, SetLineDoesNotCallBackIntoTheEditors) {
  THighlighter t;
  AddKeywords(t.Main(), "kw", clRed);
  TNotifications n;
  t.h.HookAttrChangeEvent(TNotifyEvent(&n, &TNotifications::Changed));
  Scan(t.h, "kw");
  EXPECT_EQ(n.count, 0);
  t.h.Reset();
  EXPECT_EQ(n.count, 1);
  t.h.UnhookAttrChangeEvent(TNotifyEvent(&n, &TNotifications::Changed));
}

TEST(HighlighterFaults, ClearLeavesNoPointerIntoTheOldTree) {
  THighlighter t;
  AddRange(t.Main(), "/*", "*/", clGreen);
  t.h.Schemes()->AddScheme("Dark");
  t.h.ActivateScheme(t.h.Schemes()->FindScheme("Dark"));
  void* state = nullptr;
  Scan(t.h, "/* open", state);
  t.h.SetRange(state);
  TNotifications n;
  t.h.HookAttrChangeEvent(TNotifyEvent(&n, &TNotifications::Changed));
  t.h.Clear();
  EXPECT_TRUE(n.count == 1 && t.h.ActiveScheme == nullptr && t.h.CurrentRange() == t.Main());
  EXPECT_EQ(Texts(Scan(t.h, "a /* b")), "a| |/|*| |b");
  t.h.UnhookAttrChangeEvent(TNotifyEvent(&n, &TNotifications::Changed));
}

TEST(HighlighterFaults, SortedKeywordListsPrepareInLinearithmicTime) {
  THighlighter t;
  AnsiString words;
  for (int i = 1000000; i < 1030000; ++i) words += "w" + std::to_string(i).substr(1) + "\n";
  AddKeywords(t.Main(), words, clRed);
  const auto tokens = Scan(t.h, "w029999 w000000 w030000");
  EXPECT_EQ(ColorOf(tokens, "w029999"), clRed);
  EXPECT_EQ(ColorOf(tokens, "w000000"), clRed);
  EXPECT_EQ(ColorOf(tokens, "w030000"), clBlack);
}

TEST(HighlighterFaults, AOneByteSymbolSurvivesALongerOneOfTheOtherCase) {
  THighlighter t;
  AddKeywords(t.Main(), "Xor\nx", clRed);
  const auto tokens = Scan(t.h, "x xor XOR y");
  EXPECT_EQ(ColorOf(tokens, "x"), clRed);
  EXPECT_EQ(ColorOf(tokens, "xor"), clRed);
  EXPECT_EQ(ColorOf(tokens, "y"), clBlack);
}

TEST(HighlighterFaults, EveryPairOfANestedRangeClosesAfterRepeatedPreparation) {
  THighlighter t;
  TTxtRange* outer = AddRange(t.Main(), "<", ">", clRed);
  outer->AddCoupleTags("[", "]");
  AddRange(outer, "'", "'", clBlue);
  for (int round = 0; round < 3; ++round) {
    t.h.Reset();
    EXPECT_EQ(ColorOf(Scan(t.h, "< 'x' > a"), "a"), clBlack);
    EXPECT_EQ(ColorOf(Scan(t.h, "[ 'x' ] a"), "a"), clBlack);
  }
}

TEST(HighlighterFaults, TheRootRangeIsNeverLeftWhateverItsFlags) {
  THighlighter t;
  t.Main()->SetCloseOnEol(true);
  t.Main()->SetCloseOnTerm(true);
  t.Main()->SetAllowPredClose(true);
  AddRange(t.Main(), "(", ")", clRed)->SetAllowPredClose(true);
  void* state = nullptr;
  EXPECT_EQ(Texts(Scan(t.h, "a b ( c ) d", state)), "a| |b| |(| |c| |)| |d");
  EXPECT_EQ(state, t.Main());
}

TEST(HighlighterRules, SetTokensTakeTheSetsStoredColours) {
  THighlighter t;
  TTxtSet* s = AddSet(t.Main(), "01", clBlue);
  s->Attributes->ParentForeground = true;
  EXPECT_EQ(Scan(t.h, "0101")[0].Attr, s->Attributes.get());
  // The standard attributes are the current range's stored ones; others there are none.
  EXPECT_EQ(t.h.GetDefaultAttribute(0), t.Main()->Attributes.get());
  EXPECT_EQ(t.h.GetDefaultAttribute(5), nullptr);
}

TEST(HighlighterFaults, ScanningAllocatesNothingOncePrepared) {
  THighlighter t;
  AddSet(t.Main(), "0123456789", clBlue);
  AddKeywords(t.Main(), "kw", clRed);
  AddRange(t.Main(), "/*", "*/", clGreen);
  const AnsiString line = "12 kw 3456 x /* c */ 7";
  Scan(t.h, line);
  const long before = AllocationsSoFar();
  for (int i = 0; i < 100; ++i) {
    t.h.ResetRange();
    t.h.SetLine(line, i);
    // A loop left before the line's end must not leave anything behind either.
    if (i % 2) t.h.NextToEol();
  }
  EXPECT_EQ(AllocationsSoFar(), before);
  TTxtRange other;
  EXPECT_GT(AllocationsSoFar(), before);  // the count does see allocations
}

// A scheme shows in a prepared tree once it is prepared again; an unprepared one takes it at once.
TEST(HighlighterRules, ASchemeTakesEffectAtTheNextPreparation) {
  for (bool prepared : {true, false}) {
    THighlighter t;
    AddKeywords(t.Main(), "kw", clRed)->Style = "Key";
    AddRange(t.Main(), "(", ")", clRed)->Style = "Range";
    TTxtScheme* scheme = t.h.Schemes()->FindScheme("Default");
    scheme->AddStyle("Key", clLime, clNone, {fsBold});
    scheme->AddStyle("Range", clBlue, clNone, {});
    if (prepared) {
      EXPECT_EQ(ColorOf(Scan(t.h, "kw"), "kw"), clRed);
    }
    t.h.ActivateScheme(scheme);
    EXPECT_EQ(ColorOf(Scan(t.h, "kw (a"), "kw"), prepared ? clRed : clLime) << prepared;
    EXPECT_EQ(ColorOf(Scan(t.h, "kw (a"), "a"), prepared ? clRed : clBlue) << prepared;
    t.h.Reset();
    EXPECT_EQ(ColorOf(Scan(t.h, "kw (a"), "kw"), clLime) << prepared;
    EXPECT_EQ(ColorOf(Scan(t.h, "kw (a"), "a"), clBlue) << prepared;
  }
}
