// A replace-all of many hits in a shown editor, and the undo and redo of it: the window hears of
// the whole command once (one invalidation, one scroll-bar and caret update, no scrolling, one
// change and one status notice), and the text is exact after each, in every scope, with and
// without word wrap.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "editor/TxtEdit.h"
#include "editor/TxtEditKeyCmds.h"
#include "editor/TxtEditSearch.h"
#include "editor/TxtEditWordWrap.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/common/WindowCallCounter.h"

namespace {

struct TNotices {
  void Changed(TObject*) { ++changes; }
  void Status(TObject*, TTxtStatusChanges) { ++statuses; }
  int changes = 0;
  int statuses = 0;
};

enum TReplaceScope { rsDocument, rsFromCaret, rsSelection, rsLines, rsColumn };

struct TReplaceCase {
  const char* Name;
  TReplaceScope Scope;
  bool Wrap;
  const char* With;
};

const int kLines = 1500;

// Every line holds the word twice, at columns that drift, so that hits are spread over the
// whole text and many of them fall in any column.
std::string LineOf(int I) {
  return std::string(static_cast<size_t>(I % 5), ' ') + "a lambda b" + std::string(static_cast<size_t>(I % 3), '-') +
         "lambda" + (I % 4 == 0 ? " tail" : "");
}

// The text as a plain loop makes it: on lines First..Last, every hit that starts at or after
// FromChar on the first line, ends by ToChar on the last line, and, in a column, lies in the
// column.
std::string Expected(const std::string& With, int First, int FromChar, int Last, int ToChar, bool Column) {
  std::string text;
  for (int i = 1; i <= kLines; ++i) {
    std::string line = LineOf(i);
    if (i >= First && i <= Last) {
      std::string out;
      size_t at = 0;
      for (size_t hit; (hit = line.find("lambda", at)) != std::string::npos; at = hit + 6) {
        const int start = static_cast<int>(hit) + 1, end = start + 6;
        const bool in = Column ? start >= FromChar && end <= ToChar
                               : !(i == First && start < FromChar) && !(i == Last && end > ToChar);
        out.append(line, at, hit - at);
        out += in ? With : "lambda";
      }
      out.append(line, at, std::string::npos);
      line = out;
    }
    text += (i > 1 ? "\r\n" : "") + line;
  }
  return text;
}

// At most this many calls of each kind reach the window for one command, whatever the number
// of hits.
void ExpectFewWindowCalls(const TWindowCalls& Calls, const TNotices& Notices, const std::string& What) {
  EXPECT_LE(Calls.Invalidates, 4) << What;
  EXPECT_EQ(Calls.Scrolls, 0) << What;
  EXPECT_LE(Calls.ScrollBars, 8) << What;
  EXPECT_LE(Calls.Carets, 3) << What;
  EXPECT_EQ(Notices.changes, 1) << What;
  EXPECT_EQ(Notices.statuses, 1) << What;
}

}  // namespace

TEST(ReplaceAllWindow, ReplaceUndoAndRedoTellTheWindowOnceAndStayExact) {
  const TReplaceCase cases[] = {
      {"document", rsDocument, false, "LAMBDA"},     {"document, wrapped", rsDocument, true, "LAMBDA"},
      {"longer", rsDocument, false, "<lambda>"},     {"longer, wrapped", rsDocument, true, "<lambda>"},
      {"shorter", rsDocument, false, "L"},           {"from the caret", rsFromCaret, false, "LAMBDA"},
      {"selection", rsSelection, false, "LA"},       {"selection, wrapped", rsSelection, true, "LAMBDA!"},
      {"lines", rsLines, false, "LAMBDA"},           {"column", rsColumn, false, "LAMBDA"},
      {"column, wrapped", rsColumn, true, "LAMBDA"},
  };
  std::string original;
  for (int i = 1; i <= kLines; ++i) original += (i > 1 ? "\r\n" : "") + LineOf(i);
  for (const TReplaceCase& c : cases) {
    TEditorHost host(original);
    TTxtEdit& edit = host.Edit();
    edit.SetScrollBars(ssBoth);
    edit.SetAlwaysShowCaret(true);
    edit.Gutter()->SetShowLineNumbers(true);
    edit.SetWordWrap(c.Wrap);
    TTxtEditSearch engine(nullptr);
    edit.SetSearchEngine(&engine);
    TSearchReplaceOptions options{srReplace, srReplaceAll, srMatchCase};
    auto select = [&](TTxtSelectionMode Mode, TBufferCoord From, TBufferCoord To) {
      options << srSelectionOnly;
      edit.SetSelectionMode(Mode);
      edit.SetBlockBegin(From);
      edit.SetBlockEnd(To);
    };
    std::string expected;
    switch (c.Scope) {
      case rsDocument:
        options << srEntireScope;
        expected = Expected(c.With, 1, 1, kLines, INT_MAX, false);
        break;
      case rsFromCaret:
        edit.SetCaretXY({5, 40});
        expected = Expected(c.With, 40, 5, kLines, INT_MAX, false);
        break;
      case rsSelection:
        select(smNormal, {5, 30}, {9, 1200});
        expected = Expected(c.With, 30, 5, 1200, 9, false);
        break;
      case rsLines:
        select(smLine, {5, 30}, {3, 1200});
        expected = Expected(c.With, 30, 1, 1200, INT_MAX, false);
        break;
      case rsColumn:
        select(smColumn, {3, 20}, {13, 1300});
        expected = Expected(c.With, 20, 3, 1300, 13, true);
        break;
    }
    host.Settle();
    TNotices notices;
    edit.OnChange = TNotifyEvent(&notices, &TNotices::Changed);
    edit.OnStatusChange = TStatusChangeEvent(&notices, &TNotices::Status);
    TWindowCallCounter counter;
    ASSERT_TRUE(counter.Hooked());

    const int hits = edit.SearchReplace("lambda", c.With, options);
    EXPECT_GT(hits, 500) << c.Name;
    ExpectFewWindowCalls(counter.Calls(), notices, std::string(c.Name) + ": replace-all");
    EXPECT_EQ(edit.TextA(), expected) << c.Name;

    for (const char* step : {"undo", "redo", "undo again"}) {
      host.Settle();
      counter.Reset();
      notices = TNotices();
      if (std::string(step) == "redo")
        edit.Redo();
      else
        edit.Undo();
      ExpectFewWindowCalls(counter.Calls(), notices, std::string(c.Name) + ": " + step);
      EXPECT_EQ(edit.TextA(), std::string(step) == "redo" ? expected : original) << c.Name << ": " << step;
    }
    edit.OnChange = TNotifyEvent();
    edit.OnStatusChange = TStatusChangeEvent();
    edit.SetSearchEngine(nullptr);
  }
}

namespace {

// A word wrap of the editor that counts what the editor tells it: the updates, the lines put
// outside one, and the most lines it kept aside at once.
struct TToldWrap final : ITxtEditBufferPlugin {
  explicit TToldWrap(TComponent* Owner) : Wrap(Owner) {}
  TDisplayCoord BufferToDisplayPos(const TBufferCoord& P) override { return Wrap.BufferToDisplayPos(P); }
  TBufferCoord DisplayToBufferPos(const TDisplayCoord& P) override { return Wrap.DisplayToBufferPos(P); }
  int RowCount() override { return Wrap.RowCount(); }
  int GetRowLength(int Row) override { return Wrap.GetRowLength(Row); }
  int LinesInserted(int Index, int Count) override { return Wrap.LinesInserted(Index, Count); }
  int LinesDeleted(int Index, int Count) override { return Wrap.LinesDeleted(Index, Count); }
  int LinesPutted(int Index, int Count) override {
    if (!Inside) ++PutOutside;
    const int delta = Wrap.LinesPutted(Index, Count);
    MostAside = std::max(MostAside, Wrap.AsideLineCount());
    return delta;
  }
  void DisplayChanged() override { Wrap.DisplayChanged(); }
  void Reset() override { Wrap.Reset(); }
  void BeginUpdate() override {
    ++Updates;
    Inside = true;
    Wrap.BeginUpdate();
  }
  void EndUpdate() override {
    Inside = false;
    Wrap.EndUpdate();
  }

  TTxtWordWrapPlugin Wrap;
  bool Inside = false;
  int Updates = 0, PutOutside = 0, MostAside = 0;
};

std::vector<int> RowLengths(ITxtEditBufferPlugin& W) {
  std::vector<int> rows;
  for (int r = 1; r <= W.RowCount(); ++r) rows.push_back(W.GetRowLength(r));
  return rows;
}

}  // namespace

// A replace-all, its undo and its redo over lines that really wrap, at several widths, with
// replacements that change the rows of many lines: each command is one update of the word wrap,
// which keeps the lines whose rows changed aside and takes them all in when it ends. The rows
// are then those of a fresh wrap, the text is exact and the caret's row is in the window.
TEST(ReplaceAllWindow, WrappedRowsAreSettledOncePerCommandAsAFreshWrap) {
  std::string original;
  for (int i = 1; i <= kLines; ++i) original += (i > 1 ? "\r\n" : "") + LineOf(i);
  for (int columns : {9, 17, 23})
    for (const char* with : {"<lambda>", "L"}) {
      const std::string name = std::to_string(columns) + " columns, " + with;
      TEditorHost host(original);
      TTxtEdit& edit = host.Edit();
      edit.SetBounds(0, 0, edit.GutterWidth() + 2 + columns * edit.CharWidth(), host.Height());
      auto* told = new TToldWrap(&edit);
      edit.SetWordWrapPlugin(std::unique_ptr<ITxtEditBufferPlugin>(told));
      ASSERT_EQ(edit.CharsInWindow(), columns) << name;
      TTxtEditSearch engine(nullptr);
      edit.SetSearchEngine(&engine);
      const std::string replaced = Expected(with, 1, 1, kLines, INT_MAX, false);
      for (const char* step : {"replace-all", "undo", "redo", "undo again"}) {
        const std::string what = name + ": " + step;
        host.Settle();
        told->Updates = told->PutOutside = told->MostAside = 0;
        const bool redo = std::string(step) == "redo";
        if (std::string(step) == "replace-all")
          edit.SearchReplace("lambda", with, {srReplace, srReplaceAll, srEntireScope, srMatchCase});
        else if (redo)
          edit.Redo();
        else
          edit.Undo();
        EXPECT_EQ(told->Updates, 1) << what;
        EXPECT_EQ(told->PutOutside, 0) << what;
        EXPECT_GT(told->MostAside, 16) << what;
        EXPECT_EQ(told->Wrap.AsideLineCount(), 0) << what;
        EXPECT_EQ(edit.TextA(), std::string(step) == "replace-all" || redo ? replaced : original) << what;
        TTxtWordWrapPlugin fresh(&edit);
        EXPECT_EQ(RowLengths(told->Wrap), RowLengths(fresh)) << what;
        host.Settle();
        EXPECT_GE(edit.DisplayY(), edit.TopLine()) << what;
        EXPECT_LE(edit.DisplayY(), edit.TopLine() + edit.LinesInWindow() - 1) << what;
      }
      edit.SetSearchEngine(nullptr);
    }
}

// What the window shows after each command is what a fresh window shows of the same text at
// the same place, though no line was repainted on its own while the command ran.
TEST(ReplaceAllWindow, TheWindowShowsTheTextAsItNowIs) {
  std::string original;
  for (int i = 1; i <= kLines; ++i) original += (i > 1 ? "\r\n" : "") + LineOf(i);
  auto sameAsFresh = [](TEditorHost& Host, bool Wrap) {
    TTxtEdit& edit = Host.Edit();
    TEditorHost fresh(edit.TextA());
    fresh.Edit().SetWordWrap(Wrap);
    fresh.Edit().SetCaretXY(edit.CaretXY());
    if (edit.SelAvail()) {
      fresh.Edit().SetBlockBegin(edit.BlockBegin());
      fresh.Edit().SetBlockEnd(edit.BlockEnd());
    }
    fresh.Edit().SetTopLine(edit.TopLine());
    fresh.Edit().SetLeftChar(edit.LeftChar());
    return Host.Capture()->Matches(*fresh.Capture(), false);
  };
  for (bool wrap : {false, true}) {
    TEditorHost host(original);
    TTxtEdit& edit = host.Edit();
    edit.SetWordWrap(wrap);
    TTxtEditSearch engine(nullptr);
    edit.SetSearchEngine(&engine);
    edit.SetCaretXY({1, 700});
    edit.EnsureCursorPosVisibleEx(true);
    host.Settle();
    edit.SearchReplace("lambda", "XXXXXXXX", {srReplace, srReplaceAll, srEntireScope, srMatchCase});
    EXPECT_GT(edit.TopLine(), 1) << wrap;
    EXPECT_TRUE(sameAsFresh(host, wrap)) << wrap << ": replace-all";
    edit.Undo();
    EXPECT_TRUE(sameAsFresh(host, wrap)) << wrap << ": undo";
    edit.Redo();
    EXPECT_TRUE(sameAsFresh(host, wrap)) << wrap << ": redo";
    edit.SetSearchEngine(nullptr);
  }
}

namespace {

struct TReplacedCounter {
  void Replaced(TObject*, int, int Count) { lines += Count; }
  int lines = 0;
};

}  // namespace

// A part of one line replaced by text without a line break changes the line once, so that the
// word wrap and the highlighter work it out once; text with a break, or nothing, as before.
TEST(ReplaceAllWindow, APartOfOneLineReplacedChangesTheLineOnce) {
  const struct {
    const char* Text;
    TBufferCoord From, To;
    const char* With;
    const char* Expected;
    int Replaced;
  } cases[] = {
      {"a lambda b", {3, 1}, {9, 1}, "LAMBDA", "a LAMBDA b", 1},
      {"a lambda b", {1, 1}, {11, 1}, "xy", "xy", 1},
      {"a lambda b", {3, 1}, {9, 1}, "", "a  b", 1},
      {"a lambda b\r\nnext", {3, 1}, {9, 1}, "x\r\ny", "a x\r\ny b\r\nnext", 2},
      {"one\r\ntwo", {2, 1}, {2, 2}, "X", "oXwo", 2},
  };
  for (const auto& c : cases)
    for (bool wrap : {false, true}) {
      TEditorHost host(c.Text);
      TTxtEdit& edit = host.Edit();
      edit.SetWordWrap(wrap);
      TReplacedCounter counter;
      edit.Lines()->OnLinesReplaced = TTxtEditLinesEvent(&counter, &TReplacedCounter::Replaced);
      edit.SetBlockBegin(c.From);
      edit.SetBlockEnd(c.To);
      edit.SetSelText(c.With);
      EXPECT_EQ(edit.TextA(), c.Expected) << c.Text << " / " << c.With;
      EXPECT_EQ(counter.lines, c.Replaced) << c.Text << " / " << c.With;
      edit.Undo();
      EXPECT_EQ(edit.TextA(), c.Text) << c.Text << " / " << c.With;
      edit.Lines()->OnLinesReplaced = TTxtEditLinesEvent();
    }
}

// A scroll bar that comes up when the lock ends narrows the text area: the caret that the locked
// work had just scrolled into view is scrolled back into view, not left under the bar. With the
// horizontal bar alone only the row is covered: the caret stood on the last whole row, which the
// bar makes the part row below the last whole one.
TEST(ReplaceAllWindow, ACaretCoveredByABarThatCameUpIsScrolledBackIntoView) {
  enum TStep { stType, stReplaceAll, stUndo, stRedo };
  const struct {
    const char* Name;
    TStep Step;
    TScrollStyle Bars;
  } cases[] = {
      {"typing at the bottom past the right edge", stType, ssBoth},
      {"a replace-all that makes the bottom line long", stReplaceAll, ssBoth},
      {"an undo that brings a long bottom line back", stUndo, ssBoth},
      {"a redo that makes the bottom line long again", stRedo, ssBoth},
      {"typing, the horizontal bar alone", stType, ssHorizontal},
      {"a replace-all, the horizontal bar alone", stReplaceAll, ssHorizontal},
      {"an undo, the horizontal bar alone", stUndo, ssHorizontal},
      {"a redo, the horizontal bar alone", stRedo, ssHorizontal},
  };
  for (const auto& c : cases) {
    TEditorHost host(300, 200);
    TTxtEdit& edit = host.Edit();
    edit.SetOptions(edit.Options() + eoHideShowScrollbars - eoScrollPastEol);
    edit.SetScrollBars(c.Bars);
    host.Settle();
    // Short lines that fill the window to its last row, no bar shown; the caret on the last.
    const int rows = edit.LinesInWindow(), columns = edit.CharsInWindow();
    ASSERT_GT(rows, 3) << c.Name;
    std::string text;
    for (int i = 1; i <= rows; ++i) text += (i > 1 ? "\r\n" : "") + std::string(i == rows ? 3 : 1, 'x');
    edit.SetTextA(text);
    TTxtEditSearch engine(nullptr);
    edit.SetSearchEngine(&engine);
    edit.SetCaretXY({4, rows});
    const std::string wide(static_cast<size_t>(columns), 'w');
    switch (c.Step) {
      case stType:
        // The line fills the window: typing scrolls it by one, and the next character brings
        // the bar up.
        edit.SetSelText(std::string(static_cast<size_t>(columns - 4), 'w'));
        edit.CommandProcessor(ecChar, 'q', nullptr);
        break;
      case stReplaceAll: break;
      case stUndo:
        edit.SetSelText(wide);
        edit.SetBlockBegin({4, rows});
        edit.SetBlockEnd({4 + columns, rows});
        edit.SetSelText("");
        break;
      case stRedo:
        edit.SetSelText(wide);
        edit.Undo();
        break;
    }
    host.Settle();
    ASSERT_LE(edit.DisplayY(), edit.TopLine() + edit.LinesInWindow() - 1) << c.Name;
    ASSERT_LE(edit.DisplayX(), edit.LeftChar() + edit.CharsInWindow()) << c.Name;
    switch (c.Step) {
      case stType: edit.CommandProcessor(ecChar, 'q', nullptr); break;
      case stReplaceAll:
        edit.SearchReplace("xxx", std::string(static_cast<size_t>(columns + 5), 'L'),
                           {srReplace, srReplaceAll, srEntireScope});
        break;
      case stUndo: edit.Undo(); break;
      case stRedo: edit.Redo(); break;
    }
    host.Settle();
    ASSERT_GT(edit.Lines()->GetLengthOfLongestLine(), columns) << c.Name << ": no bar came up";
    ASSERT_LT(edit.LinesInWindow(), rows) << c.Name << ": the bar took no row";
    EXPECT_GE(edit.DisplayY(), edit.TopLine()) << c.Name;
    EXPECT_LE(edit.DisplayY(), edit.TopLine() + edit.LinesInWindow() - 1) << c.Name;
    EXPECT_GE(edit.DisplayX(), edit.LeftChar()) << c.Name;
    EXPECT_LE(edit.DisplayX(), edit.LeftChar() + edit.CharsInWindow()) << c.Name;
    edit.SetSearchEngine(nullptr);
  }
}
