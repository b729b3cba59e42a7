// A replace-all replaces every hit or none: one that a search error stops after many hits leaves
// the text, the caret, the selection, the modified mark and the undo and redo lists as they
// were; one that ends reaches every line, also when its replacements break lines.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/SearchTestSupport.h"

namespace {

// Explodes on a run of word characters ending in a non-word one; on an ordinary line it finds
// the doubled letter at its end ("dogg" -> "gg").
const char* const kExploding = "(\\w+\\s?)+\\1$";

// A plain engine that fails on the Nth line it is asked to search, as any error would.
class TFailingSearch : public TTxtEditSearch {
 public:
  using TTxtEditSearch::TTxtEditSearch;
  int FindAllIn(std::string_view Text) override {
    if (++Lines == FailAt) throw Exception("The search failed");
    return TTxtEditSearch::FindAllIn(Text);
  }
  int Lines = 0;
  int FailAt = 0;
};

// What a stopped command must leave as it found it.
struct TState {
  AnsiString Text;
  TBufferCoord Caret, Begin, End;
  TTxtSelectionMode Mode;
  bool Modified;
  int Undo, Redo;
  bool operator==(const TState&) const = default;
};

TState StateOf(TTxtEdit& E) {
  return {E.TextA(),
          E.CaretXY(),
          E.BlockBegin(),
          E.BlockEnd(),
          E.SelectionMode(),
          E.Modified(),
          E.UndoList()->ItemCount(),
          E.RedoList()->ItemCount()};
}

std::string Describe(const TState& S) {
  return "caret " + std::to_string(S.Caret.Char) + "," + std::to_string(S.Caret.Line) + " block " +
         std::to_string(S.Begin.Char) + "," + std::to_string(S.Begin.Line) + "-" + std::to_string(S.End.Char) + "," +
         std::to_string(S.End.Line) + " mode " + std::to_string(S.Mode) + " modified " + std::to_string(S.Modified) +
         " undo " + std::to_string(S.Undo) + " redo " + std::to_string(S.Redo) + " text " +
         std::to_string(S.Text.size());
}

}  // namespace

// 200 ordinary lines with a hit each, then lines on which the expression explodes, then 200 more:
// whichever the scope and direction, the stop comes after many hits were found, and changes
// nothing at all; the undo and redo lists still work as before.
TEST(ReplaceAllStop, AStopAfterManyHitsChangesNothing) {
  AnsiString text;
  for (int i = 0; i < 405; ++i)
    text += (i >= 200 && i < 205 ? AnsiString(24, 'a') + "!" : "key" + std::to_string(i) + " = the lazy dogg") + "\r\n";
  const TSearchReplaceOptions all{srReplace, srReplaceAll};
  const struct {
    const char* Name;
    TSearchReplaceOptions Options;
    TBufferCoord From, To;  // the selection; the caret alone when equal
    TTxtSelectionMode Mode;
    bool Failing;  // the plain engine failing on its 150th line instead
  } cases[] = {
      {"entire", all + srEntireScope, {3, 1}, {3, 1}, smNormal, false},
      {"entire backwards", all + srEntireScope + srBackwards, {3, 1}, {3, 1}, smNormal, false},
      {"from the caret", all, {2, 3}, {2, 3}, smNormal, false},
      {"up to the caret", all + srBackwards, {2, 400}, {2, 400}, smNormal, false},
      {"selection", all + srSelectionOnly, {3, 2}, {5, 300}, smNormal, false},
      {"selection backwards", all + srSelectionOnly + srBackwards, {3, 2}, {5, 300}, smNormal, false},
      {"line selection", all + srSelectionOnly, {3, 2}, {5, 300}, smLine, false},
      {"column selection", all + srSelectionOnly, {1, 2}, {40, 300}, smColumn, false},
      {"any error", all + srEntireScope, {3, 1}, {3, 1}, smNormal, true},
      {"any error backwards", all + srEntireScope + srBackwards, {3, 1}, {3, 1}, smNormal, true},
  };
  for (const auto& c : cases) {
    TTxtEdit e(nullptr);
    TCountingRegexSearch regex(nullptr);
    TFailingSearch failing(nullptr);
    failing.FailAt = 150;
    e.SetSearchEngine(c.Failing ? static_cast<TTxtEditSearchCustom*>(&failing) : &regex);
    e.SetTextA(text);
    const AnsiString loaded = e.TextA();
    // Something to undo and something to redo, and the document modified.
    e.SetCaretXY({1, 1});
    e.SetSelText("x");
    e.UndoList()->AddGroupBreak();
    e.SetCaretXY({1, 2});
    e.SetSelText("y");
    e.Undo();
    ASSERT_TRUE(e.CanUndo() && e.CanRedo() && e.Modified()) << c.Name;
    e.SetSelectionMode(c.Mode);
    e.SetCaretXY(c.To);
    if (!(c.From == c.To)) {
      e.SetBlockBegin(c.From);
      e.SetBlockEnd(c.To);
    }
    const TState before = StateOf(e);
    TRegExprBudget budget(0, 3000000);
    budget.SetShares(4096, 64);
    regex.SetBudget(&budget);
    int code = 0;
    try {
      e.SearchReplace(c.Failing ? "dogg" : kExploding, c.Failing ? "dog" : "$1", c.Options);
    } catch (const ERegExpr& x) {
      code = x.ErrorCode;
    } catch (const Exception&) {
      code = -1;
    }
    regex.SetBudget(nullptr);
    EXPECT_EQ(code, c.Failing ? -1 : TRegExpr::reeTooComplex) << c.Name;
    // The stop came after the hits of many lines were found.
    EXPECT_GE(c.Failing ? failing.Lines : regex.Lines, 96) << c.Name;
    const TState after = StateOf(e);
    EXPECT_TRUE(after == before) << c.Name << ": " << Describe(after) << " was " << Describe(before);
    EXPECT_EQ(e.PaintLock(), 0) << c.Name;
    // The undo and redo lists go on as they were.
    e.Redo();
    EXPECT_EQ(e.Lines()->Strings(1).substr(0, 4), "ykey") << c.Name;
    e.Undo();
    e.Undo();
    EXPECT_TRUE(e.TextA() == loaded) << c.Name;
    EXPECT_FALSE(e.CanUndo()) << c.Name;
  }
}

// Replacements that break their lines: every hit of the scope is replaced, in both directions and
// with both engines, as one undo step.
TEST(ReplaceAllStop, ReplacementsThatBreakLinesReachEveryLine) {
  const AnsiString text = "a\r\nb a\r\na\r\nc";
  const AnsiString want = "x\r\ny\r\nb x\r\ny\r\nx\r\ny\r\nc";
  for (bool backwards : {false, true})
    for (bool expressions : {false, true}) {
      TTxtEdit e(nullptr);
      TTxtEditSearch plain(nullptr);
      TTxtEditRegexSearch regex(nullptr);
      e.SetSearchEngine(expressions ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
      e.SetTextA(text);
      TSearchReplaceOptions options{srReplace, srReplaceAll, srEntireScope};
      if (backwards) options << srBackwards;
      const std::string what = std::string(backwards ? "backwards" : "forwards") + (expressions ? " expressions" : "");
      EXPECT_EQ(e.SearchReplace(expressions ? "a+" : "a", "x\r\ny", options), 3) << what;
      EXPECT_TRUE(e.TextA() == want) << what << ": " << e.TextA();
      e.Undo();
      EXPECT_TRUE(e.TextA() == text) << what;
      EXPECT_FALSE(e.CanUndo()) << what;
      e.Redo();
      EXPECT_TRUE(e.TextA() == want) << what;
    }
}
