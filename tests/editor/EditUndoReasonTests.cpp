// Every kind of undo item, made by the command that records it: one undo step gives back the
// text before the change, redo the text after it, back and forth, and each item comes back to
// the undo list with its reason. Then grouping per reason: like changes merge into one step with
// eoGroupUndo, except indents, unindents and pastes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

#include "editor/TxtEdit.h"
#include "editor/TxtEditClipboard.h"
#include "framework/Clipboard.h"
#include "tests/editor/EditTestSupport.h"
#include "tests/editor/EditingTestSupport.h"

namespace {

using TChange = std::function<void(TTxtEdit&)>;

// A command with the caret at a position, or over a selection.
TChange At(TBufferCoord Caret, TTxtEditorCommand Command) {
  return [=](TTxtEdit& e) {
    e.SetCaretXY(Caret);
    Cmd(e, Command);
  };
}
TChange Over(TBufferCoord From, TBufferCoord To, TTxtEditorCommand Command, TTxtSelectionMode Mode = smNormal) {
  return [=](TTxtEdit& e) {
    Select(e, From, To, Mode);
    Cmd(e, Command);
  };
}

// Typing at a place, in insert or overwrite mode.
TChange TypeAt(TBufferCoord Caret, const char* Text, bool Insert = true) {
  return [=](TTxtEdit& e) {
    e.SetInsertMode(Insert);
    e.SetCaretXY(Caret);
    Type(e, Text);
  };
}

// Another program's text pasted at a place in a selection mode.
TChange PasteAt(TBufferCoord Caret, const wchar_t* Text, TTxtSelectionMode Mode = smNormal) {
  return [=](TTxtEdit& e) {
    Clipboard()->SetAsWideText(Text);
    e.SetSelectionMode(Mode);
    e.SetCaretXY(Caret);
    e.PasteFromClipboard();
  };
}

// The first two lines copied as whole lines, pasted at a line, in insert or overwrite mode.
TChange PasteFirstTwoLines(int Line, bool Overwrite = false) {
  return [=](TTxtEdit& e) {
    Select(e, {1, 1}, {1, 2}, smLine);
    e.CopyToClipboard();
    e.SetSelectionMode(smNormal);
    e.SetInsertMode(!Overwrite);
    e.SetCaretXY({1, Line});
    e.PasteFromClipboard();
  };
}

struct TReasonCase {
  const char* Name;
  const char* Start;
  std::function<void(TTxtEdit&)> Change;
  const char* End;
  std::vector<TTxtUndoReason> Recorded;  // reasons the change must record
};

std::vector<TReasonCase> ReasonCases() {
  return {
      {"typing", "abc", TypeAt({4, 1}, "xy"), "abcxy", {urInsert}},
      {"typing over text", "abcd", TypeAt({2, 1}, "XY", false), "aXYd", {urInsert}},
      {"typing past the line end", "ab", TypeAt({6, 1}, "z"), "ab   z", {urInsert}},
      {"paste of normal text", "abc", PasteAt({2, 1}, L"P\r\nQ"), "aP\r\nQbc", {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of whole lines",
       "one\r\ntwo\r\nthree",
       PasteFirstTwoLines(3),
       "one\r\ntwo\r\none\r\ntwo\r\nthree",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of whole lines in overwrite mode",
       "a\r\nb\r\nc\r\nd",
       PasteFirstTwoLines(3, true),
       "a\r\nb\r\na\r\nb\r\nd",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of whole lines at the last line in overwrite mode",
       "a\r\nb",
       PasteFirstTwoLines(2, true),
       "a\r\na\r\nb\r\nb",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of whole lines into an empty text",
       "",
       [](TTxtEdit& e) {
         TxtEditCopyToClipboard("x\r\ny\r\n", smLine);
         e.PasteFromClipboard();
       },
       "x\r\ny",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of another program's text as whole lines",
       "1\r\n2",
       PasteAt({1, 2}, L"x\r\ny\r\n", smLine),
       "1\r\nx\r\ny\r\n2",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of another program's text as a column",
       "123\r\n456",
       PasteAt({2, 1}, L"ab\r\ncd", smColumn),
       "1ab23\r\n4cd56",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste of a column",
       "abcd\r\nefgh\r\nxy",
       [](TTxtEdit& e) {
         Select(e, {2, 1}, {4, 2}, smColumn);
         e.CopyToClipboard();
         e.SetSelectionMode(smNormal);
         e.SetCaretXY({2, 3});
         e.PasteFromClipboard();
       },
       "abcd\r\nefgh\r\nxbcy\r\n fg",
       {urPasteBegin, urPaste, urPasteEnd}},
      {"paste over a selection",
       "keep this text",
       [](TTxtEdit& e) {
         Clipboard()->SetAsWideText(L"that");
         Select(e, {6, 1}, {10, 1});
         e.PasteFromClipboard();
       },
       "keep that text",
       {urPasteBegin, urDelete, urPaste, urPasteEnd}},
      {"cut", "one two", Over({4, 1}, {8, 1}, ecCut), "one", {urDelete}},
      {"deleting a selection", "one\r\ntwo\r\nthree", Over({2, 1}, {3, 3}, ecDeleteChar), "oree", {urDelete}},
      {"deleting a selection made backwards",
       "one\r\ntwo\r\nthree",
       Over({3, 3}, {2, 1}, ecDeleteLastChar),
       "oree",
       {urDeleteAfterCaret}},
      {"deleting a column",
       "abcd\r\nefgh\r\nij",
       Over({2, 1}, {4, 3}, ecDeleteChar, smColumn),
       "ad\r\neh\r\ni",
       {urDelete}},
      {"deleting whole lines", "a\r\nb\r\nc", Over({1, 1}, {1, 2}, ecDeleteChar, smLine), "c", {urDelete}},
      {"backspace", "abc", At({3, 1}, ecDeleteLastChar), "ac", {urSilentDelete}},
      {"backspace at a line start", "ab\r\ncd", At({1, 2}, ecDeleteLastChar), "abcd", {urSilentDelete}},
      {"delete last word", "one two", At({8, 1}, ecDeleteLastWord), "one ", {urSilentDelete}},
      {"delete to line start", "one two", At({5, 1}, ecDeleteBOL), "two", {urSilentDelete}},
      {"delete", "abc", At({2, 1}, ecDeleteChar), "ac", {urSilentDeleteAfterCaret}},
      {"delete at a line end", "ab\r\ncd", At({3, 1}, ecDeleteChar), "abcd", {urSilentDeleteAfterCaret}},
      {"delete word", "one two", At({1, 1}, ecDeleteWord), "two", {urSilentDeleteAfterCaret}},
      {"delete to line end", "one two", At({4, 1}, ecDeleteEOL), "one", {urSilentDeleteAfterCaret}},
      {"delete line", "a\r\nb\r\nc", At({1, 2}, ecDeleteLine), "a\r\nc", {urSilentDeleteAfterCaret}},
      {"delete the last line, which is only emptied",
       "a\r\nb",
       At({1, 2}, ecDeleteLine),
       "a\r\n",
       {urSilentDeleteAfterCaret}},
      {"line break", "abcd", At({3, 1}, ecLineBreak), "ab\r\ncd", {urLineBreak}},
      {"line break with auto indent", "  abcd", At({5, 1}, ecLineBreak), "  ab\r\n  cd", {urLineBreak}},
      {"insert line", "abcd", At({3, 1}, ecInsertLine), "ab\r\ncd", {urLineBreak}},
      {"line break past the line end", "ab", At({6, 1}, ecLineBreak), "ab\r\n", {urLineBreak}},
      {"line break over a selection", "abcd", Over({2, 1}, {4, 1}, ecLineBreak), "a\r\nd", {urDelete, urLineBreak}},
      {"block indent",
       "one\r\ntwo\r\nthree",
       Over({1, 1}, {2, 2}, ecBlockIndent),
       "    one\r\n    two\r\nthree",
       {urIndent}},
      {"block unindent",
       "    one\r\n\ttwo\r\nthree",
       Over({1, 1}, {3, 2}, ecBlockUnindent),
       "one\r\ntwo\r\nthree",
       {urUnindent}},
      {"case change of a block", "abc def", Over({5, 1}, {8, 1}, ecUpperCaseBlock), "abc DEF", {urSelection, urCaret}},
      {"case change of a word", "abc def", At({6, 1}, ecTitleCase), "abc Def", {urSelection, urCaret}},
      {"tab", "ab", At({2, 1}, ecTab), "a   b", {urInsert}},
      {"shift tab", "    ab", At({5, 1}, ecShiftTab), "ab", {}},
  };
}

bool Holds(const std::vector<TTxtUndoReason>& list, TTxtUndoReason r) {
  return std::find(list.begin(), list.end(), r) != list.end();
}

// The reasons that change the text; carets, selections and markers do not.
std::multiset<int> TextReasons(const std::vector<TTxtUndoReason>& list) {
  std::multiset<int> r;
  for (TTxtUndoReason x : list)
    if (x != urCaret && x != urSelection && x != urGroupBreak) r.insert(x);
  return r;
}

}  // namespace

TEST(UndoReasons, EveryReasonUndoesAndRedoesExactly) {
  for (const TReasonCase& c : ReasonCases()) {
    SCOPED_TRACE(c.Name);
    TTextEdit e(c.Start);
    e.SetTabWidth(4);
    e.SetModified(false);
    c.Change(e);
    ASSERT_EQ(e.TextA(), c.End);
    EXPECT_TRUE(e.Modified() || c.Recorded.empty());
    const std::vector<TTxtUndoReason> recorded = Reasons(e.UndoList());
    for (TTxtUndoReason r : c.Recorded) EXPECT_TRUE(Holds(recorded, r)) << "reason " << int(r);

    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      EXPECT_EQ(TextAfterUndo(e), c.Start);
      EXPECT_FALSE(e.CanUndo());
      EXPECT_FALSE(e.Modified());
      // The redo list holds the same kinds of text change that the undo list held.
      EXPECT_EQ(TextReasons(Reasons(e.RedoList())), TextReasons(recorded));
      EXPECT_EQ(TextAfterRedo(e), c.End);
      EXPECT_FALSE(e.CanRedo());
      EXPECT_TRUE(e.Modified() || c.Recorded.empty());
      EXPECT_EQ(TextReasons(Reasons(e.UndoList())), TextReasons(recorded));
    }
  }
}

// Two changes of the same kind, separated by nothing that breaks a group.
struct TGroupCase {
  const char* Name;
  const char* Start;
  std::function<void(TTxtEdit&)> Setup;
  std::function<void(TTxtEdit&)> Change;  // run twice
  bool Merges;                            // one step with grouping
};

TChange CaretAt(TBufferCoord Caret) {
  return [=](TTxtEdit& e) { e.SetCaretXY(Caret); };
}
TChange Do(TTxtEditorCommand Command) {
  return [=](TTxtEdit& e) { Cmd(e, Command); };
}

TEST(UndoReasons, GroupingMergesLikeChangesOnly) {
  const std::vector<TGroupCase> cases = {
      {"typing", "", [](TTxtEdit&) {}, [](TTxtEdit& e) { Type(e, "a"); }, true},
      {"backspace", "abcd", CaretAt({5, 1}), Do(ecDeleteLastChar), true},
      {"delete", "abcd", CaretAt({1, 1}), Do(ecDeleteChar), true},
      {"delete word", "one two three", CaretAt({1, 1}), Do(ecDeleteWord), true},
      {"line break", "abc", CaretAt({2, 1}), Do(ecLineBreak), true},
      {"block indent", "one\r\ntwo", [](TTxtEdit& e) { e.SelectAll(); }, [](TTxtEdit& e) { Cmd(e, ecBlockIndent); },
       false},
      {"block unindent", "        one\r\n        two", [](TTxtEdit& e) { e.SelectAll(); },
       [](TTxtEdit& e) { Cmd(e, ecBlockUnindent); }, false},
      {"paste", "", [](TTxtEdit&) { Clipboard()->SetAsWideText(L"p"); }, [](TTxtEdit& e) { e.PasteFromClipboard(); },
       false},
  };
  for (const TGroupCase& c : cases) {
    for (bool grouping : {true, false}) {
      SCOPED_TRACE(std::string(c.Name) + (grouping ? " with grouping" : " without grouping"));
      TTextEdit e(c.Start);
      e.SetTabWidth(4);
      e.SetOptions(grouping ? e.Options() + eoGroupUndo : e.Options() - eoGroupUndo);
      c.Setup(e);
      c.Change(e);
      const AnsiString middle = e.TextA();
      const TBufferCoord middleBegin = e.BlockBegin(), middleEnd = e.BlockEnd();
      c.Change(e);
      const AnsiString end = e.TextA();
      ASSERT_NE(middle, end);
      ASSERT_NE(middle, AnsiString(c.Start));
      EXPECT_EQ(TextAfterUndo(e), grouping && c.Merges ? AnsiString(c.Start) : middle);
      while (e.CanUndo()) e.Undo();
      EXPECT_EQ(e.TextA(), c.Start);
      EXPECT_EQ(TextAfterRedo(e), grouping && c.Merges ? end : middle);
      // A step redone on its own gives back the selection the change left.
      if ((!grouping || !c.Merges) && !(middleBegin == middleEnd)) {
        EXPECT_EQ(e.BlockBegin(), middleBegin);
        EXPECT_EQ(e.BlockEnd(), middleEnd);
      }
      while (e.CanRedo()) e.Redo();
      EXPECT_EQ(e.TextA(), end);
    }
  }
}

TEST(UndoReasons, DifferentReasonsAndCaretMovesBreakGroups) {
  TTextEdit e("abc");
  e.SetCaretXY({4, 1});
  Type(e, "de");
  Cmd(e, ecDeleteLastChar);
  Cmd(e, ecDeleteLastChar);
  Type(e, "X");
  ASSERT_EQ(e.TextA(), "abcX");
  EXPECT_EQ(TextAfterUndo(e), "abc");    // the typed X
  EXPECT_EQ(TextAfterUndo(e), "abcde");  // both backspaces at once
  EXPECT_EQ(TextAfterUndo(e), "abc");
  EXPECT_FALSE(e.CanUndo());

  // A caret move leaves a group break; it travels between the lists with its step.
  e.Redo();
  e.Redo();
  e.Redo();
  ASSERT_EQ(e.TextA(), "abcX");
  Cmd(e, ecLeft);
  Cmd(e, ecRight);
  EXPECT_EQ(e.UndoList()->LastChangeReason(), urGroupBreak);
  Type(e, "Y");
  EXPECT_EQ(TextAfterUndo(e), "abcX");
  EXPECT_EQ(TextAfterUndo(e), "abc");
  EXPECT_EQ(TextAfterRedo(e), "abcX");
  EXPECT_EQ(TextAfterRedo(e), "abcXY");
  EXPECT_FALSE(e.CanRedo());
}
