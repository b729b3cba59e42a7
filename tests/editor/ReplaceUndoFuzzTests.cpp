// Seeded replace-all on lines longer than the scroll width, in both directions and every scope
// (the whole text, from the caret, a selection of characters, of lines, of a column): the text
// is what a plain loop over the hits makes of it, undo gives back the text before, and redo the
// text after, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditSearch.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

struct TReplaceHit {
  int Pos;  // 1-based, in the line as it was
  int Len;
  std::string With;
};

std::vector<TReplaceHit> HitsOf(bool Regex, const std::string& Pattern, const std::string& Replacement,
                                const std::string& Line) {
  std::vector<TReplaceHit> hits;
  if (!Regex) {
    for (size_t at = Line.find(Pattern); at != std::string::npos; at = Line.find(Pattern, at + Pattern.size()))
      hits.push_back({static_cast<int>(at) + 1, static_cast<int>(Pattern.size()), Replacement});
    return hits;
  }
  TRegExpr r;
  r.SetModifierI(false);
  r.SetExpression(Pattern);
  for (bool found = r.Exec(Line); found; found = r.ExecNext())
    hits.push_back({r.GetMatchPos(0), r.GetMatchLen(0), r.Substitute(Replacement)});
  return hits;
}

std::string LongLine(std::mt19937& Rng, int MinLen, int MaxLen) {
  static const char* const pieces[] = {"_aa", "y", "b", " ", "a", "_"};
  std::string s;
  const int length = std::uniform_int_distribution<int>(MinLen, MaxLen)(Rng);
  while (static_cast<int>(s.size()) < length) s += pieces[std::uniform_int_distribution<int>(0, 5)(Rng)];
  return s;
}

enum TScope { scEntire, scCaret, scNormal, scLines, scColumn };

}  // namespace

TEST(ReplaceUndoFuzz, ReplaceAllPastTheScrollWidthInEveryScopeUndoesExactly) {
  std::mt19937 rng(1025);
  // The undo list keeps its default limit: a replace-all of more hits than that is still one
  // action.
  TTxtEdit e(nullptr);
  TTxtEditSearch plain(nullptr);
  TTxtEditRegexSearch regex(nullptr);
  static const char* const literals[] = {"_aa", "a", "b", "y_", " b"};
  static const char* const expressions[] = {"(_aa)*", "a+", "b", "x*", "$", "^", "(_)(aa)", "\\b", "y|_a"};
  static const char* const replacements[] = {"", "\\$", "Z", "ZZZ", "$2$1", "<$&>"};
  auto pick = [&](int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(rng); };
  for (int i = 0; i < 1500; ++i) {
    const bool useRegex = i % 3 != 0;
    const std::string pattern =
        useRegex ? expressions[pick(0, std::size(expressions) - 1)] : literals[pick(0, std::size(literals) - 1)];
    const std::string replacement = replacements[pick(0, std::size(replacements) - 1)];
    std::vector<std::string> lines;
    const int count = pick(1, 4);
    for (int k = 0; k < count; ++k) lines.push_back(pick(0, 2) ? LongLine(rng, 1000, 2300) : LongLine(rng, 1, 40));
    std::string text;
    for (size_t k = 0; k < lines.size(); ++k) text += (k ? "\r\n" : "") + lines[k];
    const bool backwards = pick(0, 1);
    const TScope scope = static_cast<TScope>(pick(0, 4));

    e.SetSearchEngine(useRegex ? static_cast<TTxtEditSearchCustom*>(&regex) : &plain);
    e.SetTextA(text);
    e.UndoList()->Clear();
    e.RedoList()->Clear();
    const TBufferCoord a{pick(1, 2400), pick(1, count)}, b{pick(1, 2400), pick(1, count)};
    const TTxtSelectionMode mode = scope == scLines ? smLine : scope == scColumn ? smColumn : smNormal;
    Select(e, a, b, mode);
    TSearchReplaceOptions options{srReplaceAll, srMatchCase};
    if (backwards) options.Include(srBackwards);
    if (scope == scEntire) options.Include(srEntireScope);
    const bool selectionOnly = scope >= scNormal && e.SelAvail();
    if (scope >= scNormal) options.Include(srSelectionOnly);

    // The scope as the editor takes it: the selection's ends as they stand (a character past
    // the scroll width stops there), or the caret, or the whole text.
    TBufferCoord start{1, 1}, end{static_cast<int>(lines.back().size()) + 1, count};
    if (selectionOnly) {
      start = e.BlockBegin();
      end = e.BlockEnd();
      if (mode == smLine) {
        start.Char = 1;
        end.Char = static_cast<int>(lines[end.Line - 1].size()) + 1;
      } else if (mode == smColumn && start.Char > end.Char) {
        std::swap(start.Char, end.Char);
      }
    } else if (scope != scEntire) {
      (backwards ? end : start) = e.CaretXY();
    }
    const int found = e.SearchReplace(pattern, replacement, options);

    // The reference: every hit of a line in the scope, in the search's order; a column's hits
    // are taken where they stand after the replacements before them on their line.
    int hits = 0;
    std::string want;
    for (int k = 0; k < count; ++k) {
      const int line = k + 1;
      std::string s = lines[k];
      if (line >= start.Line && line <= end.Line) {
        std::vector<TReplaceHit> all = HitsOf(useRegex, pattern, replacement, s), taken;
        if (backwards) std::reverse(all.begin(), all.end());
        int offset = 0;
        for (const TReplaceHit& h : all) {
          bool in;
          if (selectionOnly && mode == smLine) {
            in = true;
          } else if (selectionOnly && mode == smColumn) {
            const int first = h.Pos + offset;
            in = end.Char - start.Char < 1 || (first >= start.Char && first + h.Len <= end.Char);
          } else {
            in = !((line == start.Line && h.Pos < start.Char) || (line == end.Line && h.Pos + h.Len > end.Char));
          }
          if (!in) continue;
          taken.push_back(h);
          if (!backwards) offset += static_cast<int>(h.With.size()) - h.Len;
        }
        hits += static_cast<int>(taken.size());
        std::sort(taken.begin(), taken.end(), [](const TReplaceHit& x, const TReplaceHit& y) { return x.Pos > y.Pos; });
        for (const TReplaceHit& h : taken) s.replace(h.Pos - 1, h.Len, h.With);
      }
      want += (k ? "\r\n" : "") + s;
    }
    const std::string what = pattern + " -> " + replacement + " case " + std::to_string(i) +
                             (backwards ? " backwards" : " forwards") + " scope " + std::to_string(scope) + " (" +
                             std::to_string(start.Char) + "," + std::to_string(start.Line) + ")-(" +
                             std::to_string(end.Char) + "," + std::to_string(end.Line) + ")";
    auto where = [&](const std::string& Got) {
      size_t d = 0;
      while (d < Got.size() && d < want.size() && Got[d] == want[d]) ++d;
      const size_t lineStart = want.rfind('\n', d == 0 ? 0 : d - 1);
      const std::string lineInfo = " (line " + std::to_string(std::count(want.begin(), want.begin() + d, '\n') + 1) +
                                   " char " + std::to_string(lineStart == std::string::npos ? d + 1 : d - lineStart) +
                                   ")";
      return lineInfo + " got " + std::to_string(Got.size()) + " want " + std::to_string(want.size()) +
             ", first difference at " + std::to_string(d) + ": [" + Got.substr(d > 20 ? d - 20 : 0, 40) + "] want [" +
             want.substr(d > 20 ? d - 20 : 0, 40) + "]";
    };
    ASSERT_EQ(found, hits) << what;
    ASSERT_TRUE(e.TextA() == want) << what << where(e.TextA());
    EXPECT_FALSE(e.UndoList()->FullUndoImpossible()) << what;
    e.Undo();
    ASSERT_TRUE(e.TextA() == text) << what << " undone";
    while (e.CanUndo()) e.Undo();
    ASSERT_TRUE(e.TextA() == text) << what << " undone";
    while (e.CanRedo()) e.Redo();
    ASSERT_TRUE(e.TextA() == want) << what << " redone";
    while (e.CanUndo()) e.Undo();
    ASSERT_TRUE(e.TextA() == text) << what << " undone again";
  }
}
