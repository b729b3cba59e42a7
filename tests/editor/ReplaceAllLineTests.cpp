// A replace-all that asks nothing takes each line's hits as one replacement: its text, count,
// caret, selection and scope end are those of the same replace-all answered "replace" hit by
// hit, in both directions and every scope, and its one undo step takes the text back whole.
#include <gtest/gtest.h>

#include <string>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

struct TAlwaysReplace {
  void Handler(TObject*, const AnsiString&, const AnsiString&, int, int, TTxtReplaceAction& Action) {
    Action = raReplace;
  }
};

struct TOutcome {
  int Hits;
  AnsiString Text;
  TBufferCoord Caret, Begin, End;
  AnsiString Undone, Redone;
  bool operator==(const TOutcome&) const = default;
};

std::string Describe(const TOutcome& O) {
  auto at = [](TBufferCoord P) { return std::to_string(P.Char) + "," + std::to_string(P.Line); };
  std::string text = O.Text;
  for (char& c : text)
    if (c == '\r' || c == '\n') c = '|';
  return std::to_string(O.Hits) + " hits [" + text + "] caret " + at(O.Caret) + " block " + at(O.Begin) + "-" +
         at(O.End);
}

struct TCase {
  const char* Text;
  const char* Find;  // an expression when it starts with '~'
  const char* With;
  TTxtSelectionMode Mode;
  TBufferCoord Anchor, Caret;  // no selection when equal
  const char* Want = nullptr;  // the text after, in both directions
  bool FromCaret = false;      // else the whole text or the selection
};

// Prompted, each hit is an undo step of its own: undone and redone to the end.
TOutcome ReplaceAll(const TCase& C, bool Backwards, bool Prompted) {
  TTxtEdit e(nullptr);
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  const bool expression = C.Find[0] == '~';
  e.SetSearchEngine(expression ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
  TAlwaysReplace yes;
  e.OnReplaceText = TReplaceTextEvent(&yes, &TAlwaysReplace::Handler);
  e.SetTextA(C.Text);
  Select(e, C.Anchor, C.Caret, C.Mode);
  TSearchReplaceOptions options{srReplace, srReplaceAll, srMatchCase};
  options << (C.Anchor == C.Caret ? C.FromCaret ? srReplace : srEntireScope : srSelectionOnly);
  if (Backwards) options << srBackwards;
  if (Prompted) options << srPrompt;
  TOutcome o{};
  o.Hits = e.SearchReplace(C.Find + (expression ? 1 : 0), C.With, options);
  o.Text = e.TextA();
  o.Caret = e.CaretXY(), o.Begin = e.BlockBegin(), o.End = e.BlockEnd();
  do e.Undo();
  while (Prompted && e.CanUndo());
  o.Undone = e.CanUndo() ? "more to undo" : e.TextA();
  do e.Redo();
  while (Prompted && e.CanRedo());
  o.Redone = e.CanRedo() ? "more to redo" : e.TextA();
  e.SetSearchEngine(nullptr);
  return o;
}

}  // namespace

TEST(ReplaceAllLine, EachLineAtOnceEndsAsHitByHit) {
  const TBufferCoord none{1, 1};
  const TCase cases[] = {
      {"a a\r\nba ab\r\naaa", "a", "b", smNormal, none, none},
      {"a a\r\nba ab\r\naaa", "a", "xyz", smNormal, none, none},
      {"abab\r\nab\r\nxab", "ab", "", smNormal, none, none},
      {"a a a\r\nb a a\r\na", "a", "x\r\ny", smNormal, none, none},
      {"aa\r\na", "a", "\r\n", smNormal, none, none},
      {"aa b\r\nba", "~a+|b", "<$&>", smNormal, none, none},
      {"ab\r\n\r\nc", "~^|$", "#", smNormal, none, none},
      {"a a a\r\na a a", "a", "bb", smNormal, {3, 2}, {3, 2}, nullptr, true},
      // Hits on the selection's edges, and across them.
      {"abab\r\nabab", "ab", "X", smNormal, {3, 1}, {3, 2}},
      {"abab\r\nabab", "ba", "X\r\nY", smNormal, {2, 1}, {4, 2}},
      {"aaa aaa", "a", "bb", smNormal, {2, 1}, {5, 1}},
      {"aaa aaa", "~a+", "b", smNormal, {1, 1}, {5, 1}},
      {"a aa a", "~a+", "bb", smNormal, {1, 1}, {6, 1}},
      {"abab x", "ab", "\r\n", smNormal, {1, 1}, {6, 1}},
      {"a a a\r\nb a a\r\na", "a", "x\r\ny", smNormal, {1, 1}, {4, 2}, "x\r\ny x\r\ny x\r\ny\r\nb x\r\ny a\r\na"},
      {"a a a\r\nb a a", "a", "", smLine, {3, 1}, {2, 2}},
      // A column stays where it is: hits pushed out of it or pulled into it; tabs; a column
      // narrower than a character takes every hit.
      {"a a a\r\nab a a\r\na\ta a", "a", "xyz", smColumn, {2, 1}, {6, 3}},
      {"a a a\r\nab a a\r\na\ta a", "a", "", smColumn, {2, 1}, {6, 3}},
      {"aaaaaa\r\naaaaaa", "aa", "b", smColumn, {1, 1}, {5, 2}},
      {"a a a\r\nb a a", "a", "x\r\ny", smColumn, {1, 1}, {6, 2}, "x\r\ny x\r\ny x\r\ny\r\nb x\r\ny x\r\ny"},
      {"a a a\r\nb a a", "~a", "\r\n", smColumn, {3, 2}, {6, 1}},
      {"a a a\r\nb a a", "a", "xy", smColumn, {3, 1}, {3, 2}},
  };
  for (const TCase& c : cases)
    for (bool backwards : {false, true}) {
      const TOutcome atOnce = ReplaceAll(c, backwards, false), byHit = ReplaceAll(c, backwards, true);
      const std::string what = std::string(c.Text) + " " + c.Find + " -> " + c.With + (backwards ? " up" : " down");
      EXPECT_TRUE(atOnce == byHit) << what << "\n  at once " << Describe(atOnce) << "\n  by hit  " << Describe(byHit);
      EXPECT_TRUE(atOnce.Undone == c.Text) << what;
      if (c.Want) {
        EXPECT_TRUE(atOnce.Text == c.Want) << what << ": " << Describe(atOnce);
      }
    }
}
