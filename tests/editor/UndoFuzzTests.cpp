// Seeded edits of every kind in the three selection modes, drops among them where the editor
// has a window, with word wrap on at widths 1 to 80 and off, tabs kept or made spaces, insert and
// overwrite, grouping on and off, trailing blanks trimmed or kept: after each edit the text is
// kept as the model's state; undoing step by step passes back through those states to the first
// (a step may take several), redoing forward to the last, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

// A text as C source writes it, for the failure messages.
std::string Shown(const std::string& Text) {
  std::string r;
  for (char c : Text) {
    if (c == '\r')
      r += "\\r";
    else if (c == '\n')
      r += "\\n";
    else if (c == '\t')
      r += "\\t";
    else if (static_cast<unsigned char>(c) >= 0x80)
      r += "\\xE0";
    else
      r += c;
  }
  return r;
}

struct TEditFuzz {
  std::mt19937 Rng;
  int Drops = 0;                    // the share of edits, in percent, that are drops (the editor has a window)
  TTxtEdit* Other = nullptr;        // another editor that drags to this one
  std::string Failure;              // what a drop did wrong
  std::map<std::string, int> Seen;  // how many drops of each kind took place
  explicit TEditFuzz(unsigned Seed) : Rng(Seed) {}

  int Pick(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(Rng); }
  bool Chance(int Percent) { return Pick(0, 99) < Percent; }

  std::string Piece(int MaxLength) {
    static const char alphabet[] = "aab  \t\xE0x-";
    std::string s(static_cast<size_t>(Pick(0, MaxLength)), 'a');
    for (char& c : s) c = alphabet[Pick(0, static_cast<int>(sizeof alphabet) - 2)];
    return s;
  }

  std::string Text() {
    std::string text;
    const int lines = Pick(0, 5);
    for (int i = 0; i < lines; ++i) text += (i ? "\r\n" : "") + Piece(Chance(20) ? 90 : 12);
    return text;
  }

  // A short text to put in: one piece, or a few lines.
  std::string Value() {
    std::string v = Piece(4);
    for (int k = Pick(0, 2); k > 0; --k) v += "\r\n" + Piece(4);
    if (Chance(15)) v += "\r\n";
    return v;
  }

  TBufferCoord Place(const TCustomTxtEdit& e) {
    const int count = e.Lines()->Count();
    const int line = Pick(1, count + 1);
    const int length = line <= count ? static_cast<int>(e.Lines()->Strings(line - 1).size()) : 0;
    return {Pick(1, length + 6), line};
  }

  TTxtSelectionMode Mode() {
    const int m = Pick(0, 2);
    return m == 0 ? smNormal : m == 1 ? smLine : smColumn;
  }

  // Whether a drop at At of the editor's own selection lands inside it: whole lines go in
  // before At's line, a column block at At's column; moving, the edges count as inside.
  static bool Inside(const TTxtEdit& e, TBufferCoord At, bool Copying) {
    const TBufferCoord b = e.BlockBegin(), x = e.BlockEnd();
    auto before = [](TBufferCoord p, TBufferCoord q) {
      return p.Line < q.Line || (p.Line == q.Line && p.Char < q.Char);
    };
    switch (e.ActiveSelectionMode()) {
      case smLine: {
        const int last = std::min(x.Line, std::max(e.Lines()->Count(), 1));
        return Copying ? At.Line > b.Line && At.Line <= last : At.Line >= b.Line && At.Line <= last + 1;
      }
      case smColumn: {
        if (At.Line < b.Line || At.Line > x.Line) return false;
        const int left = std::min(e.BufferToDisplayPos(b).Column, e.BufferToDisplayPos(x).Column);
        const int right = std::max(e.BufferToDisplayPos(b).Column, e.BufferToDisplayPos(x).Column);
        const int column = e.BufferToDisplayPos(At).Column;
        return Copying ? column > left && column < right : column >= left && column <= right;
      }
      default: return Copying ? before(b, At) && before(At, x) : !before(At, b) && !before(x, At);
    }
  }

  // A selection of this editor (or of Other) dragged and dropped on a place of this one, past
  // line ends and below the last line too, copied with Ctrl or moved: refused inside the
  // dragged text, else one step that undo and redo take back and forth byte for byte.
  std::string Drop(TTxtEdit& e) {
    const bool fromOther = Other && Chance(20);
    TTxtEdit& source = fromOther ? *Other : e;
    if (fromOther) source.SetTextA(Text());
    const TTxtSelectionMode mode = Mode();
    const TBufferCoord a = Place(source), b = Place(source), to = Place(e);
    Select(source, a, b, mode);
    const bool ctrl = Chance(40), shift = Chance(50);
    std::string what = std::string(fromOther ? "drop from the other editor [" + Shown(source.TextA()) + "]" : "drop") +
                       (ctrl ? " ctrl" : "") + (shift ? " shift" : "") + " mode " + std::to_string(mode) + " (" +
                       std::to_string(a.Char) + "," + std::to_string(a.Line) + ")-(" + std::to_string(b.Char) + "," +
                       std::to_string(b.Line) + ") to (" + std::to_string(to.Char) + "," + std::to_string(to.Line) +
                       ")";
    // The row dropped on is in the window.
    e.SetLeftChar(1);
    const TDisplayCoord shown = e.BufferToDisplayPos(to);
    if (shown.Row < e.TopLine() || shown.Row >= e.TopLine() + e.LinesInWindow()) e.SetTopLine(shown.Row);
    const TPoint p = e.RowColumnToPixels(shown);
    TBufferCoord at = e.DisplayToBufferPos(e.PixelsToNearestRowColumn(p.X + 1, p.Y + 3));
    at.Line = std::min(at.Line, std::max(e.Lines()->Count(), 1));
    const bool dragged = source.SelAvail();
    const bool refused = dragged && !fromOther && Inside(e, at, ctrl);
    const AnsiString before = e.TextA();
    const int items = e.UndoList()->ItemCount();
    const bool below = to.Line > e.Lines()->Count();
    const bool pastEnd = !below && to.Char > static_cast<int>(e.Lines()->Strings(to.Line - 1).size()) + 1;
    {
      THeldKeys keys(ctrl && shift ? std::initializer_list<int>{VK_CONTROL, VK_SHIFT}
                     : ctrl        ? std::initializer_list<int>{VK_CONTROL}
                     : shift       ? std::initializer_list<int>{VK_SHIFT}
                                   : std::initializer_list<int>{});
      static_cast<TControl&>(e).DragDrop(&source, p.X + 1, p.Y + 3);
    }
    const AnsiString after = e.TextA();
    const bool recorded = e.UndoList()->ItemCount() != items;
    const std::string kind =
        " mode " + std::to_string(mode) + (e.Options().Contains(eoTrimTrailingSpaces) ? " trimming" : "");
    if (!dragged) {
    } else if (refused) {
      ++Seen["refused" + kind];
    } else if (after != before) {
      ++Seen[(fromOther ? "from the other" : ctrl ? "copied" : "moved") + kind];
      if (below) ++Seen["below the last line"];
      if (pastEnd) ++Seen["past a line's end"];
    }
    if (!dragged || refused) {
      if (after != before || recorded) Failure = what + ": changed the text [" + Shown(after) + "]";
      return what + (dragged ? " refused" : " without a selection");
    }
    // A drop that gives the text it found (a block of blanks that trimming takes again) leaves
    // at most a group break: the next undo step is the edit before it.
    if (after == before) return what + " (no change)";
    if (!recorded) Failure = what + ": changed the text without an undo step";
    e.Undo();
    if (e.TextA() != before && !e.Options().Contains(eoGroupUndo))  // grouped, it may join the changes before
      Failure = what + ": undone to [" + Shown(e.TextA()) + "] from [" + Shown(after) + "]";
    e.Redo();
    if (e.TextA() != after) Failure = what + ": redone to [" + Shown(e.TextA()) + "] from [" + Shown(after) + "]";
    return what;
  }

  // One edit; a description of it for the failure message.
  std::string Edit(TTxtEdit& e) {
    if (Drops > 0 && Chance(Drops)) {
      e.SetInsertMode(!Chance(15));
      return Drop(e);
    }
    const TTxtSelectionMode mode = Mode();
    const TBufferCoord a = Place(e), b = Place(e);
    const std::string where = " mode " + std::to_string(mode) + " (" + std::to_string(a.Char) + "," +
                              std::to_string(a.Line) + ")-(" + std::to_string(b.Char) + "," + std::to_string(b.Line) +
                              ")";
    e.SetInsertMode(!Chance(15));
    switch (Pick(0, 7)) {
      case 0: {
        Select(e, a, b, mode);
        const std::string v = Chance(30) ? std::string() : Value();
        e.SetSelText(v);
        return "SetSelText [" + Shown(v) + "]" + where;
      }
      case 1: {
        // One character: each typed character is a step of its own.
        Select(e, a, a, mode);
        std::string v = Piece(1);
        if (v.empty() || v == "\t") v = "c";
        Type(e, v);
        return "typing [" + Shown(v) + "]" + where;
      }
      case 2: {
        Select(e, a, b, mode);
        const bool indent = Chance(50);
        Cmd(e, indent ? ecBlockIndent : ecBlockUnindent);
        return std::string(indent ? "indent" : "unindent") + where;
      }
      case 3: {
        static const TTxtEditorCommand commands[] = {
            ecDeleteChar, ecDeleteLastChar, ecLineBreak, ecDeleteLine, ecDeleteWord, ecTab, ecInsertLine};
        const TTxtEditorCommand c = commands[Pick(0, static_cast<int>(std::size(commands)) - 1)];
        Select(e, a, a, mode);
        Cmd(e, c);
        return "command " + std::to_string(c) + where;
      }
      case 4: {
        Select(e, a, b, mode);
        const TTxtEditorCommand c = Chance(50) ? ecDeleteChar : ecDeleteLastChar;
        Cmd(e, c);
        return "deleting the selection " + std::to_string(c) + where;
      }
      case 5: {
        Select(e, a, b, mode);
        Cmd(e, Chance(50) ? ecUpperCaseBlock : ecToggleCaseBlock);
        return "case" + where;
      }
      case 6: {
        const std::string v = Value();
        const TTxtSelectionMode pasted = Mode();
        TxtEditCopyToClipboard(v, pasted);
        Select(e, a, Chance(50) ? a : b, mode);
        e.PasteFromClipboard();
        return "paste [" + Shown(v) + "] as " + std::to_string(pasted) + where;
      }
      default: {
        Select(e, a, b, mode);
        e.CutToClipboard();
        return "cut" + where;
      }
    }
  }
};

// Runs seeded sessions on the editor and checks undo and redo against the states it passed.
void RunSessions(TTxtEdit& e, TEditFuzz& f, int Sessions, const std::string& What) {
  for (int session = 0; session < Sessions; ++session) {
    e.SetTabWidth(f.Pick(1, 8));
    e.SetOptions(f.Chance(30) ? e.Options() - eoTabsToSpaces : e.Options() + eoTabsToSpaces);
    e.SetOptions(f.Chance(50) ? e.Options() - eoGroupUndo : e.Options() + eoGroupUndo);
    // Trimming is set before the text, so that the first state is the text as loaded with it.
    e.SetOptions(f.Chance(40) ? e.Options() + eoTrimTrailingSpaces : e.Options() - eoTrimTrailingSpaces);
    e.SetTextA(f.Text());
    e.UndoList()->Clear();
    e.RedoList()->Clear();
    f.Failure.clear();
    std::vector<AnsiString> states{e.TextA()};
    std::string log = What + " session " + std::to_string(session) + " tab " + std::to_string(e.TabWidth()) +
                      (e.Options().Contains(eoTabsToSpaces) ? "" : " tabs") +
                      (e.Options().Contains(eoTrimTrailingSpaces) ? " trimming" : "") + "\n  start [" +
                      Shown(states[0]) + "]";
    for (int step = 0, n = f.Pick(1, 8); step < n; ++step) {
      log += "\n  " + f.Edit(e);
      ASSERT_EQ(f.Failure, "") << log;
      if (e.TextA() != states.back()) {
        states.push_back(e.TextA());
        log += " -> [" + Shown(states.back()) + "]";
      }
    }
    // Each undo step lands on an earlier state (a step may hold several edits), the last on the
    // first; each redo step on a later one, the last on the last.
    size_t at = states.size() - 1;
    for (int guard = 0; e.CanUndo(); ++guard) {
      ASSERT_LT(guard, 1000) << log;
      e.Undo();
      const AnsiString now = e.TextA();
      size_t k = at;
      while (k > 0 && states[k] != now) --k;
      ASSERT_EQ(states[k], now) << log << "\n  undone to [" << Shown(now) << "]";
      at = k;
    }
    ASSERT_EQ(e.TextA(), states.front()) << log;
    for (int guard = 0; e.CanRedo(); ++guard) {
      ASSERT_LT(guard, 1000) << log;
      e.Redo();
      const AnsiString now = e.TextA();
      size_t k = at;
      while (k + 1 < states.size() && states[k] != now) ++k;
      ASSERT_EQ(states[k], now) << log << "\n  redone to [" << Shown(now) << "]";
      at = k;
    }
    ASSERT_EQ(e.TextA(), states.back()) << log;
    while (e.CanUndo()) e.Undo();
    ASSERT_EQ(e.TextA(), states.front()) << log << "\n  undone again";
  }
}

}  // namespace

TEST(UndoFuzz, EditsInEveryModeUndoAndRedoThroughTheirStates) {
  TTxtEdit e(nullptr);
  TEditFuzz f(5215);
  RunSessions(e, f, 3000, "unwrapped");
}

TEST(UndoFuzz, EditsWithWrapAtEveryWidthUndoAndRedoThroughTheirStates) {
  TEditorHost host;
  TTxtEdit& e = host.Edit();
  TEditFuzz f(1580);
  f.Drops = 15;
  for (int width = 1; width <= 80; ++width) {
    e.SetWordWrap(false);
    e.SetBounds(0, 0, e.GutterWidth() + 2 + width * e.CharWidth(), host.Height());
    e.SetWordWrap(true);
    ASSERT_EQ(e.CharsInWindow(), width);
    RunSessions(e, f, 15, "width " + std::to_string(width));
  }
}

// Drops in every selection mode within the editor and from another one, copied and moved,
// refused inside the dragged text, past line ends and below the last line, with trimming on and
// off: each undone and redone at once byte for byte, then the whole session through its states.
TEST(UndoFuzz, DropsInEveryModeUndoAndRedoThroughTheirStates) {
  TEditorHost host(400, 600);
  TTxtEdit& e = host.Edit();
  e.SetOptions(e.Options() + eoDragDropEditing);
  TTxtEdit other(nullptr);
  TEditFuzz f(7321);
  f.Drops = 60;
  f.Other = &other;
  RunSessions(e, f, 2000, "drops");
  for (const char* kind : {"refused", "copied", "moved", "from the other"})
    for (const char* mode : {" mode 0", " mode 1", " mode 2"})
      for (const char* trim : {"", " trimming"}) {
        const std::string name = std::string(kind) + mode + trim;
        EXPECT_GE(f.Seen[name], 20) << name;
      }
  EXPECT_GE(f.Seen["below the last line"], 100);
  EXPECT_GE(f.Seen["past a line's end"], 100);
}
