// Word positions, bracket matching and the token at a position.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "editor/TxtEdit.h"
#include "editor/TxtEditWords.h"
#include "tests/editor/EditingTestSupport.h"
#include "tests/editor/TestHighlighter.h"

namespace {

// Splits lines into string tokens ("..."), comments (// to the end) and single other characters.
class TQuoteHighlighter : public TScanningHighlighter {
  HV_CLASS(TQuoteHighlighter, TTxtCustomHighlighter)
 public:
  explicit TQuoteHighlighter(TComponent* AOwner) : TScanningHighlighter(AOwner) {
    for (const char* name : {"Comment", "Text", "Space", "String"}) AddAttribute(new TTxtHighlighterAttributes(name));
  }
  TTxtHighlighterAttributes* Attr(int i) const { return GetAttribute(i); }
  TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const override {
    switch (Index) {
      case 0: return Attr(0);
      case 3: return Attr(3);
      default: return nullptr;
    }
  }
  TTxtHighlighterAttributes* GetTokenAttribute() const override { return Attr(kind_); }
  int GetTokenKind() const override { return kind_; }

 private:
  void Scan() override {
    end_ = start_ + 1;
    kind_ = 1;
    if (line_[start_] == '"') {
      kind_ = 3;
      while (end_ < line_.size() && line_[end_] != '"') ++end_;
      if (end_ < line_.size()) ++end_;
    } else if (line_.compare(start_, 2, "//") == 0) {
      kind_ = 0;
      end_ = line_.size();
    }
  }
  int kind_ = 1;
};

HV_PUBLISH(TQuoteHighlighter) {}

void Fill(TTxtEditStringList& l, std::initializer_list<const char*> lines) {
  l.Clear();
  for (const char* s : lines) l.Add(s);
}

bool Lead81(unsigned char c) { return c == 0x81; }

}  // namespace

TEST(WordChars, DefaultSetAndHighlighterSet) {
  TTxtWordChars c = TxtWordChars(nullptr);
  for (unsigned char ch : {'a', 'Z', '5', '_'}) EXPECT_TRUE(c.Ident[ch]) << ch;
  EXPECT_TRUE(c.Ident[0xA8]);
  EXPECT_TRUE(c.Ident[0xB8]);
  EXPECT_TRUE(c.Ident[0xC0]);
  EXPECT_TRUE(c.Ident[0xFF]);
  EXPECT_FALSE(c.Ident[0xBF]);
  EXPECT_FALSE(c.Ident[0xA9]);
  for (unsigned char ch : {' ', '\t', '.', '(', '-', '\x7f'}) EXPECT_TRUE(c.White[ch]) << int(ch);

  TQuoteHighlighter hl(nullptr);
  TTxtCharSet breaks;
  breaks.Include('.');
  hl.SetWordBreakChars(breaks);
  TTxtWordChars h = TxtWordChars(&hl);
  EXPECT_TRUE(h.Ident['(']);  // the base highlighter's identifiers are 33..255
  EXPECT_FALSE(h.Ident['.']);
  EXPECT_TRUE(h.White['.']);
}

TEST(WordPositions, NextWord) {
  TTxtEditStringList l;
  Fill(l, {"foo_bar baz", "  next one", "last"});
  TTxtWordFinder f(l, nullptr, nullptr);
  EXPECT_EQ(f.NextWordPos(BufferCoord(3, 1)), BufferCoord(9, 1));    // the underscore belongs to the word
  EXPECT_EQ(f.NextWordPos(BufferCoord(8, 1)), BufferCoord(9, 1));    // from the blank
  EXPECT_EQ(f.NextWordPos(BufferCoord(10, 1)), BufferCoord(12, 1));  // the last word: to the line end
  EXPECT_EQ(f.NextWordPos(BufferCoord(11, 1)), BufferCoord(3, 2));   // last character: next line's first word
  EXPECT_EQ(f.NextWordPos(BufferCoord(30, 1)), BufferCoord(3, 2));   // past the end
  EXPECT_EQ(f.NextWordPos(BufferCoord(4, 3)), BufferCoord(4, 3));    // the last line keeps the position
  EXPECT_EQ(f.NextWordPos(BufferCoord(2, 9)), BufferCoord(2, 9));    // outside the buffer
}

TEST(WordPositions, NextWordIntoBlankOrEmptyLines) {
  TTxtEditStringList l;
  Fill(l, {"a", "", "   ", "b"});
  TTxtWordFinder f(l, nullptr, nullptr);
  EXPECT_EQ(f.NextWordPos(BufferCoord(1, 1)), BufferCoord(1, 2));
  EXPECT_EQ(f.NextWordPos(BufferCoord(1, 2)), BufferCoord(1, 3));
}

TEST(WordPositions, PreviousWord) {
  TTxtEditStringList l;
  Fill(l, {"one", "two  three", "x"});
  TTxtWordFinder f(l, nullptr, nullptr);
  EXPECT_EQ(f.PrevWordPos(BufferCoord(1, 3)), BufferCoord(11, 2));  // start of a line: end of the one above
  EXPECT_EQ(f.PrevWordPos(BufferCoord(1, 1)), BufferCoord(1, 1));
  EXPECT_EQ(f.PrevWordPos(BufferCoord(6, 2)), BufferCoord(1, 2));   // at a word start: the word before
  EXPECT_EQ(f.PrevWordPos(BufferCoord(9, 2)), BufferCoord(6, 2));   // inside a word: its start
  EXPECT_EQ(f.PrevWordPos(BufferCoord(40, 2)), BufferCoord(6, 2));  // past the end counts as the end
  Fill(l, {"a", "   b"});
  TTxtWordFinder g(l, nullptr, nullptr);
  EXPECT_EQ(g.PrevWordPos(BufferCoord(4, 2)), BufferCoord(2, 1));  // only blanks before: line above
}

TEST(WordPositions, StartEndAndTheWordAtAPosition) {
  TTxtEditStringList l;
  Fill(l, {"call(foo_bar, 2)", ""});
  TTxtWordFinder f(l, nullptr, nullptr);
  EXPECT_EQ(f.WordStart(BufferCoord(9, 1)), BufferCoord(6, 1));
  EXPECT_EQ(f.WordEnd(BufferCoord(9, 1)), BufferCoord(13, 1));
  EXPECT_EQ(f.WordAt(BufferCoord(9, 1)), "foo_bar");
  EXPECT_EQ(f.WordAt(BufferCoord(13, 1)), "foo_bar");  // right after the word still names it
  EXPECT_EQ(f.WordAt(BufferCoord(14, 1)), "");         // on a blank after a comma
  EXPECT_EQ(f.WordAt(BufferCoord(15, 1)), "2");
  EXPECT_EQ(f.WordEnd(BufferCoord(16, 1)), BufferCoord(16, 1));
  EXPECT_EQ(f.WordEnd(BufferCoord(50, 1)), BufferCoord(17, 1));
  EXPECT_EQ(f.WordStart(BufferCoord(50, 1)), BufferCoord(17, 1));
  EXPECT_EQ(f.WordAt(BufferCoord(1, 2)), "");
}

TEST(WordPositions, DoubleByteCharactersAreNeverSplit) {
  TTxtEditStringList l;
  // 0x81 starts a two-byte character; its second byte is an ASCII letter here.
  Fill(l, {"ab \x81x cd"});
  TTxtWordFinder f(l, nullptr, &Lead81);
  // From inside "ab" the next stop is the double-byte character, not its second byte.
  EXPECT_EQ(f.NextWordPos(BufferCoord(1, 1)), BufferCoord(4, 1));
  EXPECT_TRUE(TxtTrailByteAt(l[0], 5, &Lead81));
  EXPECT_FALSE(TxtTrailByteAt(l[0], 4, &Lead81));
  EXPECT_FALSE(TxtTrailByteAt(l[0], 5, nullptr));
  TTxtWordChars c = TxtWordChars(nullptr);
  EXPECT_EQ(TxtScanForward(l[0], 5, c.Ident, &Lead81), 7);  // the 'x' trail byte is skipped
  EXPECT_EQ(TxtScanForward(l[0], 5, c.Ident, nullptr), 5);
  EXPECT_EQ(TxtScanBackward(l[0], 6, c.Ident, &Lead81), 2);
  EXPECT_EQ(TxtScanBackwardLead(l[0], 8, &Lead81), 4);
  EXPECT_EQ(f.PrevWordPos(BufferCoord(7, 1)), BufferCoord(4, 1));
}

TEST(BracketMatching, PairsOfOneKindAcrossLines) {
  TTxtEditStringList l;
  Fill(l, {"a(b[c)d]", "{ x", "  (y) }", "<>"});
  TTxtWordFinder f(l, nullptr, nullptr);
  TBufferCoord r;
  const std::pair<TBufferCoord, TBufferCoord> pairs[] = {{{2, 1}, {6, 1}}, {{6, 1}, {2, 1}}, {{8, 1}, {4, 1}},
                                                         {{1, 2}, {7, 3}}, {{7, 3}, {1, 2}}, {{1, 4}, {2, 4}}};
  for (auto [from, to] : pairs) {
    r = {};
    EXPECT_TRUE(f.MatchingBracket(from, r, 1, l.Count()) && r == to) << from.Char << "," << from.Line;
  }
  // Not on a bracket, past the line, outside the buffer, or no partner.
  EXPECT_FALSE(f.MatchingBracket(BufferCoord(1, 1), r, 1, l.Count()));
  EXPECT_FALSE(f.MatchingBracket(BufferCoord(9, 1), r, 1, l.Count()));
  EXPECT_FALSE(f.MatchingBracket(BufferCoord(1, 5), r, 1, l.Count()));
  Fill(l, {"((x)"});
  EXPECT_FALSE(f.MatchingBracket(BufferCoord(1, 1), r, 1, l.Count()));
}

TEST(BracketMatching, ScanStopsAtTheGivenLines) {
  TTxtEditStringList l;
  Fill(l, {"(", "", "", ")"});
  TTxtWordFinder f(l, nullptr, nullptr);
  TBufferCoord r;
  EXPECT_FALSE(f.MatchingBracket(BufferCoord(1, 1), r, 1, 3));
  EXPECT_TRUE(f.MatchingBracket(BufferCoord(1, 1), r, 1, 4));
  EXPECT_FALSE(f.MatchingBracket(BufferCoord(1, 4), r, 2, 4));
  EXPECT_TRUE(f.MatchingBracket(BufferCoord(1, 4), r, 1, 99));
}

TEST(BracketMatching, StringsAndCommentsAreSkippedThroughTheHighlighter) {
  TTxtEditStringList l;
  Fill(l, {"f(\")\", x // )", ")"});
  TQuoteHighlighter hl(nullptr);
  TBufferCoord r;
  TTxtWordFinder plain(l, nullptr, nullptr);
  ASSERT_TRUE(plain.MatchingBracket(BufferCoord(2, 1), r, 1, 2));
  EXPECT_EQ(r, BufferCoord(4, 1));  // without a highlighter the quoted one counts
  TTxtWordFinder f(l, &hl, nullptr);
  ASSERT_TRUE(f.MatchingBracket(BufferCoord(2, 1), r, 1, 2));
  EXPECT_EQ(r, BufferCoord(1, 2));
  ASSERT_TRUE(f.MatchingBracket(BufferCoord(1, 2), r, 1, 2));
  EXPECT_EQ(r, BufferCoord(2, 1));
}

// A highlighter without a string attribute whose plain tokens have no attribute either: a
// missing attribute is no string, so the brackets of such tokens still pair.
TEST(BracketMatching, TokensWithoutAnAttributeAreNoStrings) {
  struct TBareHighlighter : TQuoteHighlighter {
    using TQuoteHighlighter::TQuoteHighlighter;
    TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const override { return Index == 0 ? Attr(0) : nullptr; }
    TTxtHighlighterAttributes* GetTokenAttribute() const override {
      return GetTokenKind() == 1 ? nullptr : TQuoteHighlighter::GetTokenAttribute();
    }
  } hl(nullptr);
  TTxtEditStringList l;
  Fill(l, {"(a) // )"});
  TTxtWordFinder f(l, &hl, nullptr);
  TBufferCoord r;
  ASSERT_TRUE(f.MatchingBracket(BufferCoord(1, 1), r, 1, 1));
  EXPECT_EQ(r, BufferCoord(3, 1));
}

TEST(BracketMatching, DoubleByteTrailBytesAreNotBrackets) {
  TTxtEditStringList l;
  Fill(l, {"(\x81)x)"});
  TTxtWordFinder f(l, nullptr, &Lead81);
  TBufferCoord r;
  ASSERT_TRUE(f.MatchingBracket(BufferCoord(1, 1), r, 1, 1));
  EXPECT_EQ(r, BufferCoord(5, 1));
  ASSERT_TRUE(f.MatchingBracket(BufferCoord(5, 1), r, 1, 1));
  EXPECT_EQ(r, BufferCoord(1, 1));
}

TEST(TokenAtPosition, GivesTheCoveringToken) {
  TTxtEditStringList l;
  Fill(l, {"ab \"str\" //c"});
  TQuoteHighlighter hl(nullptr);
  TTxtWordFinder f(l, &hl, nullptr);
  AnsiString token;
  TTxtHighlighterAttributes* attr = nullptr;
  int kind = -1, start = -1;
  ASSERT_TRUE(f.TokenAt(BufferCoord(6, 1), token, attr, kind, start));
  EXPECT_EQ(token, "\"str\"");
  EXPECT_EQ(attr, hl.Attr(3));
  EXPECT_EQ(start, 4);
  ASSERT_TRUE(f.TokenAt(BufferCoord(12, 1), token, attr, kind, start));
  EXPECT_EQ(token, "//c");
  EXPECT_FALSE(f.TokenAt(BufferCoord(13, 1), token, attr, kind, start));  // past the last token
  EXPECT_FALSE(f.TokenAt(BufferCoord(1, 2), token, attr, kind, start));
  TTxtWordFinder none(l, nullptr, nullptr);
  EXPECT_FALSE(none.TokenAt(BufferCoord(1, 1), token, attr, kind, start));
}

TEST(BracketMatching, TheEditorSkipsQuotedAndCommentedBracketsOfEveryKind) {
  TQuoteHighlighter hl(nullptr);
  TTxtEdit e(nullptr);
  e.SetHighlighter(&hl);
  e.SetTextA("a{b[c(\"}])>\" // )]}\r\n<x> ) ] }");
  struct TPair {
    TBufferCoord Open, Close;
  };
  for (const TPair& p : {TPair{{6, 1}, {5, 2}}, TPair{{4, 1}, {7, 2}}, TPair{{2, 1}, {9, 2}}, TPair{{1, 2}, {3, 2}}}) {
    SCOPED_TRACE(std::string(1, e.Lines()->Strings(p.Open.Line - 1)[p.Open.Char - 1]));
    e.SetCaretXY(p.Open);
    Cmd(e, ecMatchBracket);
    EXPECT_EQ(e.CaretXY(), p.Close);
    Cmd(e, ecMatchBracket);
    EXPECT_EQ(e.CaretXY(), p.Open);
  }
  e.SetHighlighter(nullptr);
}

TEST(WordPositions, TheWordAtTheCaret) {
  TTextEdit e("call(foo_bar, 2)\r\n\r\nx");
  const std::pair<TBufferCoord, const char*> cases[] = {
      {{1, 1}, "call"}, {{5, 1}, "call"}, {{9, 1}, "foo_bar"}, {{13, 1}, "foo_bar"},
      {{14, 1}, ""},    {{15, 1}, "2"},   {{1, 2}, ""},        {{2, 3}, "x"},
  };
  for (const auto& [caret, word] : cases) {
    e.InternalSetCaretXY(caret);
    EXPECT_EQ(e.GetWordAtCursor(), word) << caret.Char << "," << caret.Line;
    EXPECT_EQ(e.GetWordAtCursor(), e.GetWordAtRowCol(caret));
  }
}
