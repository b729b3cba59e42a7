// A replace-all replaces every hit or none: one that a search error stops after many hits leaves
// the text, the caret, the selection, the modified mark and the undo and redo lists as they
// were; one that ends reaches every line, also when its replacements break lines.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"
#include "tests/editor/HeapCounter.h"
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

// What a stopped replace-all meets besides its scope: the undo list holding as many steps as it
// may, the caret past its line's end, the document unmodified, the caret moved up onto a
// shorter line.
enum : unsigned { kFullUndo = 1, kPastEol = 2, kSaved = 4, kUp = 8 };

// What a stopped command must leave as it found it.
struct TState {
  AnsiString Text;
  TBufferCoord Caret, Begin, End;
  TTxtSelectionMode Mode, Active;
  bool Modified;
  int Undo, Redo;
  int LastCaretX, TopLine, LeftChar;
  int MarkX = 0, MarkY = 0;  // of bookmark 1
  bool operator==(const TState&) const = default;
};

TState StateOf(TTxtEdit& E) {
  TState s{E.TextA(),
           E.CaretXY(),
           E.BlockBegin(),
           E.BlockEnd(),
           E.SelectionMode(),
           E.ActiveSelectionMode(),
           E.Modified(),
           E.UndoList()->ItemCount(),
           E.RedoList()->ItemCount(),
           E.LastCaretX(),
           E.TopLine(),
           E.LeftChar()};
  E.GetBookMark(1, s.MarkX, s.MarkY);
  return s;
}

std::string Describe(const TState& S) {
  return "caret " + std::to_string(S.Caret.Char) + "," + std::to_string(S.Caret.Line) + " block " +
         std::to_string(S.Begin.Char) + "," + std::to_string(S.Begin.Line) + "-" + std::to_string(S.End.Char) + "," +
         std::to_string(S.End.Line) + " mode " + std::to_string(S.Mode) + "/" + std::to_string(S.Active) +
         " modified " + std::to_string(S.Modified) + " view " + std::to_string(S.TopLine) + "," +
         std::to_string(S.LeftChar) + " last x " + std::to_string(S.LastCaretX) + " undo " + std::to_string(S.Undo) +
         " redo " + std::to_string(S.Redo) + " mark " + std::to_string(S.MarkX) + "," + std::to_string(S.MarkY) +
         " text " + std::to_string(S.Text.size());
}

}  // namespace

// 200 ordinary lines with a hit each, then lines on which the expression explodes, then 200 more:
// whichever the scope and direction, the stop comes after many hits were found, and changes
// nothing at all, also when the replacements broke lines, when the undo list was full, with the
// caret past its line's end and in a document just saved; the view stays where it was, and the
// undo and redo lists work on as before. One that completes is a new step: the redo list goes.
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
    bool Failing;                // the plain engine failing on its 150th line instead
    const char* With = nullptr;  // other than "dog" or "$1"
    unsigned Setup = 0;
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
      {"breaking lines", all + srEntireScope, {3, 1}, {3, 1}, smNormal, false, "$1\r\n\r\n"},
      {"any error, breaking lines", all, {3, 2}, {3, 2}, smNormal, true, "do\r\ng"},
      {"breaking lines backwards", all + srEntireScope + srBackwards, {3, 1}, {3, 1}, smNormal, false, "\r\n$1"},
      {"a full undo list", all + srEntireScope, {3, 1}, {3, 1}, smNormal, false, nullptr, kFullUndo},
      {"any error, a full undo list", all + srEntireScope, {3, 1}, {3, 1}, smNormal, true, nullptr, kFullUndo},
      {"past the line's end", all, {40, 3}, {40, 3}, smNormal, false, nullptr, kPastEol},
      {"selection past the line's end", all + srSelectionOnly, {3, 2}, {60, 300}, smNormal, true, nullptr, kPastEol},
      {"saved", all + srEntireScope, {3, 1}, {3, 1}, smNormal, false, nullptr, kSaved},
      {"any error, saved, backwards", all + srBackwards, {3, 300}, {3, 300}, smNormal, true, nullptr, kSaved},
      {"caret moved up", all, {22, 11}, {22, 11}, smNormal, false, nullptr, kUp},
  };
  for (const auto& c : cases) {
    TEditorHost host;
    TTxtEdit& e = host.Edit();
    TCountingRegexSearch regex(nullptr);
    TFailingSearch failing(nullptr);
    failing.FailAt = 150;
    e.SetSearchEngine(c.Failing ? static_cast<TTxtEditSearchCustom*>(&failing) : &regex);
    if (c.Setup & kPastEol) e.SetOptions(e.Options() + eoScrollPastEol);
    e.SetTextA(text);
    const AnsiString loaded = e.TextA();
    e.SetBookMark(1, 5, 300);
    // Something to undo and something to redo, and the document modified.
    e.SetCaretXY({1, 1});
    e.SetSelText("x");
    e.UndoList()->AddGroupBreak();
    e.SetCaretXY({1, 2});
    e.SetSelText("y");
    e.Undo();
    ASSERT_TRUE(e.CanUndo() && e.CanRedo() && e.Modified()) << c.Name;
    if (c.Setup & kSaved) e.SetModified(false);
    if (c.Setup & kFullUndo) e.SetMaxUndo(e.UndoList()->ActionCount());
    e.SetSelectionMode(c.Mode);
    e.SetCaretXY(c.To);
    if (c.Setup & kUp) {
      e.SetOptions(e.Options() + eoKeepCaretX - eoScrollPastEol);
      e.CommandProcessor(ecUp, 0, nullptr);
      ASSERT_EQ(e.LastCaretX(), e.CaretX() + 1) << c.Name;
    }
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
      e.SearchReplace(c.Failing ? "dogg" : kExploding, c.With ? c.With : c.Failing ? "dog" : "$1", c.Options);
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
    // The undo and redo lists go on as they were (the redo is a step more).
    e.SetMaxUndo(1024);
    e.Redo();
    EXPECT_EQ(e.Lines()->Strings(1).substr(0, 4), "ykey") << c.Name;
    e.Undo();
    e.Undo();
    EXPECT_TRUE(e.TextA() == loaded) << c.Name;
    EXPECT_FALSE(e.CanUndo()) << c.Name;
    TTxtEditSearch plain(nullptr);
    e.SetSearchEngine(&plain);
    ASSERT_TRUE(e.CanRedo()) << c.Name;
    EXPECT_EQ(e.SearchReplace("dogg", "dog", all + srEntireScope), 400) << c.Name;
    EXPECT_FALSE(e.CanRedo()) << c.Name;
    e.SetSearchEngine(nullptr);
  }
}

// Replacements that break their lines: every hit of the scope is replaced, in both directions and
// with both engines, as one undo step; the search goes on after the lines a replacement made,
// never into them.
TEST(ReplaceAllStop, ReplacementsThatBreakLinesReachEveryLine) {
  const struct {
    const char *Text, *Find, *Expression, *With, *Want;
    int Hits;
  } cases[] = {
      {"a\r\nb a\r\na\r\nc", "a", "a+", "x\r\ny", "x\r\ny\r\nb x\r\ny\r\nx\r\ny\r\nc", 3},
      {"aaa\r\nb\r\naa", "aa", "aa", "a\r\na", "a\r\naa\r\nb\r\na\r\na", 2},
  };
  for (const auto& c : cases)
    for (bool backwards : {false, true})
      for (bool expressions : {false, true}) {
        TTxtEdit e(nullptr);
        TTxtEditSearch plain(nullptr);
        TTxtEditRegexSearch regex(nullptr);
        e.SetSearchEngine(expressions ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
        e.SetTextA(c.Text);
        TSearchReplaceOptions options{srReplace, srReplaceAll, srEntireScope};
        if (backwards) options << srBackwards;
        const std::string what =
            std::string(c.Find) + (backwards ? " backwards" : " forwards") + (expressions ? " expressions" : "");
        EXPECT_EQ(e.SearchReplace(expressions ? c.Expression : c.Find, c.With, options), c.Hits) << what;
        EXPECT_TRUE(e.TextA() == c.Want) << what << ": " << e.TextA();
        e.Undo();
        EXPECT_TRUE(e.TextA() == c.Text) << what;
        EXPECT_FALSE(e.CanUndo()) << what;
        e.Redo();
        EXPECT_TRUE(e.TextA() == c.Want) << what;
      }
}

// Every character a hit: whatever the number of hits, a replace-all holds while it runs little
// more than what it leaves, the replaced text and its undo step, and that step holds no more
// per line than the line's text and a few records. Forwards, backwards, in a selection and a
// column, with longer replacements and ones that break lines; the undo gives the text back
// exactly.
TEST(ReplaceAllStop, EveryCharacterAHitHoldsLittleMoreThanItsUndoStep) {
  const TSearchReplaceOptions all{srReplace, srReplaceAll, srEntireScope};
  const TSearchReplaceOptions selected{srReplace, srReplaceAll, srSelectionOnly};
  const struct {
    const char* Name;
    bool Expressions;
    const char* Find;
    const char* With;
    TSearchReplaceOptions Options;
    int Lines, Hits;
    TTxtSelectionMode Mode = smNormal;
  } cases[] = {
      {"plain", false, "a", "b", all, 2000, 200000},
      {"expression", true, ".", "b", all, 2000, 200000},
      {"longer", false, "a", "bcd", all, 2000, 200000},
      {"breaking lines", true, "a", "b\r\n", all, 100, 10000},
      {"backwards", false, "a", "b", all + srBackwards, 2000, 200000},
      {"expression backwards", true, ".", "b", all + srBackwards, 2000, 200000},
      {"breaking lines backwards", false, "a", "\r\nb", all + srBackwards, 100, 10000},
      {"selection", true, ".", "b", selected, 2000, 199998},
      {"selection backwards", false, "a", "b", selected + srBackwards, 2000, 199998},
      {"column", false, "a", "bc", selected, 2000, 98000, smColumn},
      {"column backwards", true, ".", "b", selected + srBackwards, 2000, 196000, smColumn},
  };
  for (const auto& c : cases) {
    TTxtEdit e(nullptr);
    TTxtEditSearch plain(nullptr);
    TTxtEditRegexSearch regex(nullptr);
    e.SetSearchEngine(c.Expressions ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
    AnsiString text;
    for (int i = 0; i < c.Lines; ++i) text += AnsiString(100, 'a') + (i + 1 < c.Lines ? "\r\n" : "");
    e.SetTextA(text);
    if (c.Options.Contains(srSelectionOnly)) {
      e.SetSelectionMode(c.Mode);
      e.SetBlockBegin({2, 1});
      e.SetBlockEnd({100, c.Lines});
    }
    const long long before = HeapBytes();
    MarkHeapPeak();
    EXPECT_EQ(e.SearchReplace(c.Find, c.With, c.Options), c.Hits) << c.Name;
    const long long peak = HeapPeak(), after = HeapBytes();
    EXPECT_LE(peak - after, 64 * 1024) << c.Name << ": held " << peak - before << " bytes, kept " << after - before;
    // A line's undo record pair, its copy of the replaced text and the line's own storage.
    EXPECT_LE(after - before, 300LL * c.Lines) << c.Name;
    e.Undo();
    EXPECT_TRUE(e.TextA() == text) << c.Name;
  }
}

// The heap running full at any allocation of a replace-all (in the search, in the replacement
// of a line, in its undo record): the command raises std::bad_alloc and changes nothing, taking
// back what it had replaced with no more memory than is freed on the way, and the undo and redo
// lists go on as before. Past its last allocation it completes.
TEST(ReplaceAllStop, RunningOutOfMemoryAnywhereChangesNothing) {
  const TSearchReplaceOptions all{srReplace, srReplaceAll, srEntireScope};
  const struct {
    const char* Name;
    bool Expressions;
    const char *Find, *With;
    TSearchReplaceOptions Options;
    TTxtSelectionMode Mode = smNormal;
  } cases[] = {
      {"plain", false, "a", "bc", all},
      {"expression backwards", true, "a+", "<$&>", all + srBackwards},
      {"breaking lines", false, "a", "x\r\ny", all},
      {"breaking lines backwards", true, "a", "\r\n", all + srBackwards},
      {"column", false, "a", "", {srReplace, srReplaceAll, srSelectionOnly}, smColumn},
  };
  const AnsiString text =
      "a a aaa\r\n" + AnsiString(40000, 'a') + "\r\nba\r\n" + AnsiString(300, 'a') + "\r\nno hit\r\naa a";
  for (const auto& c : cases) {
    AnsiString want;
    // Past the first run, the heap fills at the nth allocation of the replace-all.
    for (long long n = 0;; ++n) {
      TTxtEdit e(nullptr);
      TTxtEditSearch plain(nullptr);
      TTxtEditRegexSearch regex(nullptr);
      e.SetSearchEngine(c.Expressions ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
      e.SetTextA(text);
      // A full undo list of 127 items, so that the step's first one needs new room in it.
      for (int i = 0; i < 125; ++i) e.UndoList()->AddChange(urCaret, {1, 1}, {1, 1}, AnsiString(), smNormal);
      e.SetCaretXY({1, 1});
      e.SetSelText("x");
      e.UndoList()->AddGroupBreak();
      e.SetSelText("y");
      e.Undo();
      e.SetMaxUndo(e.UndoList()->ActionCount());
      e.SetBookMark(1, 2, 5);
      Select(e, {2, 1}, {250, 4}, c.Mode);
      const TState before = StateOf(e);
      FillHeapAt(n);
      bool failed = false;
      try {
        e.SearchReplace(c.Find, c.With, c.Options);
      } catch (const std::bad_alloc&) {
        failed = true;
      }
      const bool filled = HeapFilled();
      FillHeapAt(0);
      const std::string what = std::string(c.Name) + ", full at " + std::to_string(n);
      if (n == 0) want = e.TextA();
      if (!failed) {
        ASSERT_TRUE(e.TextA() == want && want != text) << what;
        if (n > 0 && !filled) break;
        continue;
      }
      const TState after = StateOf(e);
      ASSERT_TRUE(after == before) << what << ": " << Describe(after) << " was " << Describe(before);
      e.SetMaxUndo(1024);
      e.Redo();
      e.Undo();
      e.Undo();
      ASSERT_TRUE(e.TextA() == text && e.UndoList()->ItemCount() == 125) << what;
    }
  }
}
