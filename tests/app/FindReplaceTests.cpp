// Find, replace and go to line over the active editor: the wrap-round, the presence test over
// the whole text, incremental search from the saved caret, replace one and all, and the bounds of
// go to line and column.
#include <gtest/gtest.h>

#include <new>
#include <string_view>

#include "app/FindReplace.h"
#include "app/LineFunctions.h"
#include "editor/TxtEditSearch.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/app/MemoryShortSearch.h"

namespace {

class FindInEditor : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    Make();
    edit_ = form_->ActiveEditor();
    find_ = std::make_unique<TFindAndReplace>(new TTxtEditSearch(form_), new TTxtEditRegexSearch(form_));
  }
  TTxtEdit* edit_ = nullptr;
  std::unique_ptr<TFindAndReplace> find_;
};

TFindSettings Up() {
  TFindSettings s;
  s.SearchUp = true;
  return s;
}

}  // namespace

TEST_F(FindInEditor, PresenceFollowsCaseWordsAndExpressions) {
  edit_->SetTextA("Alpha beta\r\ngammadelta");
  struct {
    const char* Text;
    bool MatchCase, WholeWords, Regex;
    bool Found;
  } const cases[] = {
      {"alpha", false, false, false, true}, {"alpha", true, false, false, false}, {"delta", false, false, false, true},
      {"delta", false, true, false, false}, {"beta", false, true, false, true},   {"g.mm", false, false, true, true},
      {"g.mm", false, false, false, false}, {"", false, false, false, false},
  };
  for (const auto& c : cases) {
    TFindSettings s;
    s.MatchCase = c.MatchCase, s.WholeWords = c.WholeWords, s.RegularExpressions = c.Regex;
    EXPECT_EQ(find_->TestSearch(edit_, c.Text, s), c.Found) << c.Text;
  }
}

TEST_F(FindInEditor, SearchWrapsRoundOnceAndReportsIt) {
  edit_->SetTextA("target one\r\nplain\r\nplain");
  edit_->SetCaretXY({1, 3});
  // Only above the caret, searching down: the end is reached and the match above is selected.
  EXPECT_EQ(find_->Find(edit_, "target", {}, false, {1, 3}), frReachedEnd);
  EXPECT_EQ(edit_->SelText(), "target");
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 1}));
  // Found ahead: nothing to report.
  edit_->SetCaretXY({1, 1});
  EXPECT_EQ(find_->Find(edit_, "plain", {}, false, {1, 1}), frNone);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 2}));
  // Searching up from the first line goes on from the end.
  edit_->SetCaretXY({1, 1});
  EXPECT_EQ(find_->Find(edit_, "plain", Up(), false, {1, 1}), frReachedEnd);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 3}));
}

TEST_F(FindInEditor, ATurnOfDirectionMovesOnFromTheMatchFound) {
  edit_->SetTextA("a x a x a");
  edit_->SetCaretXY({2, 1});
  EXPECT_EQ(find_->Find(edit_, "a", {}, false, {1, 1}), frNone);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{5, 1}));
  // Back from the match: the one before it, not the same again; then forward: the one after.
  EXPECT_EQ(find_->Find(edit_, "a", Up(), false, {1, 1}), frNone);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{1, 1}));
  EXPECT_EQ(find_->Find(edit_, "a", {}, false, {1, 1}), frNone);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{5, 1}));
  EXPECT_EQ(find_->Find(edit_, "a", {}, false, {1, 1}), frNone);
  EXPECT_EQ(edit_->BlockBegin(), (TBufferCoord{9, 1}));
}

TEST_F(FindInEditor, NotFoundLeavesTheCaretWhereItWasSaved) {
  edit_->SetTextA("abc\r\ndef");
  edit_->SetCaretXY({2, 2});
  EXPECT_EQ(find_->Find(edit_, "xyz", {}, false, {3, 1}), frNotFound);
  EXPECT_EQ(edit_->CaretXY(), (TBufferCoord{3, 1}));
  EXPECT_FALSE(edit_->SelAvail());
  // An emptied find text clears the label.
  EXPECT_EQ(find_->Find(edit_, "", {}, true, {3, 1}), frNone);
}

TEST_F(FindInEditor, IncrementalSearchStartsFromTheSavedCaretWithEveryKey) {
  edit_->SetTextA("a ab abc\r\nabcd");
  const TBufferCoord saved{2, 1};
  std::vector<TBufferCoord> starts;
  for (const char* typed : {"a", "ab", "abc", "abcd"}) {
    EXPECT_EQ(find_->Find(edit_, typed, {}, true, saved), frNone) << typed;
    starts.push_back(edit_->BlockBegin());
  }
  EXPECT_EQ(starts, (std::vector<TBufferCoord>{{3, 1}, {3, 1}, {6, 1}, {1, 2}}));
}

TEST_F(FindInEditor, ReplaceOneAtATimeAndAllEvenSearchingUp) {
  edit_->SetTextA("cat dog cat\r\ncat");
  edit_->SetCaretXY({1, 1});
  EXPECT_EQ(find_->Replace(edit_, "cat", "fox", {}, false), frNone);
  EXPECT_EQ(edit_->Lines()->Strings(0), "fox dog cat");
  EXPECT_EQ(find_->Replace(edit_, "cat", "fox", Up(), true), frNone);
  EXPECT_EQ(edit_->Lines()->Strings(0), "fox dog fox");
  EXPECT_EQ(edit_->Lines()->Strings(1), "fox");
  EXPECT_EQ(find_->Replace(edit_, "cat", "fox", {}, true), frNotFound);
  // A single replace past the last match goes round to the first.
  edit_->SetTextA("bird x\r\nx");
  edit_->SetCaretXY({2, 2});
  EXPECT_EQ(find_->Replace(edit_, "bird", "owl", {}, false), frReachedEnd);
  EXPECT_EQ(edit_->Lines()->Strings(0), "owl x");
}

// A line out of sight comes to the middle of the window; one in sight leaves the window as it is.
TEST_F(FindInEditor, GoBringsAFarLineToTheMiddle) {
  AnsiString text;
  for (int i = 1; i <= 300; ++i) text += "line " + std::to_string(i) + "\r\n";
  edit_->SetTextA(text);
  form_->Show();
  Application->ProcessMessages();
  const int rows = edit_->LinesInWindow();
  ASSERT_GT(rows, 4);
  const struct {
    int N, TopBefore, TopAfter;
  } cases[] = {
      {200, 1, 200 - (rows - 1) / 2},
      {20, 150, std::max(1, 20 - (rows - 1) / 2)},
      {2 + rows / 2, 2, 2},
  };
  for (const auto& c : cases) {
    edit_->SetCaretXY({3, c.TopBefore});
    edit_->SetTopLine(c.TopBefore);
    ASSERT_TRUE(TFindAndReplace::Go(edit_, c.N, true));
    EXPECT_EQ(edit_->CaretXY(), (TBufferCoord{1, c.N}));
    EXPECT_EQ(edit_->TopLine(), c.TopAfter) << c.N;
  }
}

TEST_F(FindInEditor, GoStaysWithinTheLineCount) {
  edit_->SetTextA("short\r\nthis line is long\r\nend");
  edit_->SetCaretXY({1, 2});
  struct {
    int N;
    bool Line, Done;
    TBufferCoord Caret;
  } const cases[] = {
      {0, true, false, {1, 2}},
      {4, true, false, {1, 2}},
      {-1, true, false, {1, 2}},
      {3, true, true, {1, 3}},
      {1, true, true, {1, 1}},
      // Columns share the line-count bound: column 5 of three lines does nothing even on a long line.
      {5, false, false, {1, 1}},
      {3, false, true, {3, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TFindAndReplace::Go(edit_, c.N, c.Line), c.Done) << c.N;
    EXPECT_EQ(edit_->CaretXY(), c.Caret) << c.N;
  }
}

namespace {

// A plain search that fails on its Nth line searched, as an expression too complex does.
class TFailingSearch : public TTxtEditSearch {
 public:
  TFailingSearch(TComponent* AOwner, int FailAt) : TTxtEditSearch(AOwner), left_(FailAt) {}
  int FindAllIn(std::string_view Text) override {
    if (--left_ == 0) throw Exception("Expression too complex");
    return TTxtEditSearch::FindAllIn(Text);
  }

 private:
  int left_;
};

}  // namespace

TEST_F(FindInEditor, AFailedSearchLeavesTheEditorPainting) {
  // Each command fails once at every line it searches in turn; the editor's paint lock is back
  // at zero after each error.
  struct {
    const char* Name;
    TFindResult (*Run)(TFindAndReplace&, TTxtEdit*);
  } const commands[] = {
      {"find",
       [](TFindAndReplace& F, TTxtEdit* E) {
         return F.Find(E, "target", {}, false, {1, 3});
       }},
      {"find up",
       [](TFindAndReplace& F, TTxtEdit* E) {
         return F.Find(E, "target", Up(), false, {1, 1});
       }},
      {"replace", [](TFindAndReplace& F, TTxtEdit* E) { return F.Replace(E, "target", "x", {}, false); }},
      {"replace all", [](TFindAndReplace& F, TTxtEdit* E) { return F.Replace(E, "target", "x", {}, true); }},
  };
  for (const auto& c : commands)
    for (int failAt = 1; failAt <= 12; ++failAt) {
      edit_->SetTextA("target one\r\nplain\r\nplain\r\ntarget");
      edit_->SetCaretXY({1, 3});
      TFindAndReplace failing(new TFailingSearch(form_, failAt), new TTxtEditRegexSearch(form_));
      try {
        c.Run(failing, edit_);
      } catch (const Exception&) {}
      EXPECT_EQ(edit_->PaintLock(), 0) << c.Name << " failing at line " << failAt;
    }
}

TEST_F(FindInEditor, AFailedLineToolLeavesTheEditorPainting) {
  edit_->SetTextA("one\r\ntwo");
  for (bool selected : {false, true}) {
    if (selected) {
      edit_->SetBlockBegin({1, 1});
      edit_->SetBlockEnd({2, 2});
    }
    EXPECT_THROW(ApplyLineFunction(edit_, [](std::string_view) -> AnsiString { throw Exception("failed"); }),
                 Exception);
    EXPECT_EQ(edit_->PaintLock(), 0) << selected;
    EXPECT_EQ(edit_->Lines()->Strings(0), "one");
    EXPECT_EQ(edit_->Lines()->Strings(1), "two");
  }
}

// An incremental search starts from the saved caret whatever the caret and the selection are
// now (a hit found by the last key, the caret moved away), takes the next hit in its direction
// and never shows the "reached the end" note, also when it has to wrap round for it; the same
// search made with the find button does show it.
TEST_F(FindInEditor, IncrementalSearchFromASavedCaretInsideTheText) {
  const struct {
    TBufferCoord Saved;
    bool Up;
    const char* Text;
    TBufferCoord Hit;
    TFindResult Button;  // the same search, not incremental, from the saved caret
  } cases[] = {
      {{5, 1}, false, "one", {9, 1}, frNone},  {{9, 1}, false, "one", {9, 1}, frNone},
      {{10, 1}, false, "one", {1, 2}, frNone}, {{4, 2}, false, "one", {1, 1}, frReachedEnd},
      {{9, 1}, true, "one", {1, 1}, frNone},   {{2, 1}, true, "one", {1, 2}, frReachedEnd},
      {{6, 1}, false, "tw", {13, 1}, frNone},  {{1, 2}, true, "two", {13, 1}, frNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + (c.Up ? " up" : " down") + " from " + std::to_string(c.Saved.Char) + "," +
                 std::to_string(c.Saved.Line));
    const TFindSettings settings = c.Up ? Up() : TFindSettings{};
    edit_->SetTextA("one two one two\r\none");
    // The caret and a selection elsewhere, as the keys typed before left them.
    edit_->SetCaretXY({4, 2});
    edit_->SetBlockBegin({1, 2});
    edit_->SetBlockEnd({4, 2});
    EXPECT_EQ(find_->Find(edit_, c.Text, settings, true, c.Saved), frNone);
    EXPECT_EQ(edit_->BlockBegin(), c.Hit);
    EXPECT_EQ(edit_->SelText(), c.Text);
    edit_->SetCaretXY(c.Saved);
    EXPECT_EQ(find_->Find(edit_, c.Text, settings, false, c.Saved), c.Button);
    EXPECT_EQ(edit_->BlockBegin(), c.Hit);
  }
}

namespace {

TFindSettings Expressions(bool Up = false) {
  TFindSettings s;
  s.RegularExpressions = true;
  s.SearchUp = Up;
  return s;
}

// Each command of the dialog, as the dialog runs it.
struct TCommand {
  const char* Name;
  TFindResult (*Run)(TFindAndReplace&, TTxtEdit*, const AnsiString&);
};
const TCommand kCommands[] = {
    {"find next",
     [](TFindAndReplace& F, TTxtEdit* E, const AnsiString& T) {
       return F.Find(E, T, Expressions(), false, {2, 3});
     }},
    {"find up",
     [](TFindAndReplace& F, TTxtEdit* E, const AnsiString& T) {
       return F.Find(E, T, Expressions(true), false, {2, 3});
     }},
    {"typing",
     [](TFindAndReplace& F, TTxtEdit* E, const AnsiString& T) {
       return F.Find(E, T, Expressions(), true, {2, 3});
     }},
    {"replace",
     [](TFindAndReplace& F, TTxtEdit* E, const AnsiString& T) { return F.Replace(E, T, "x", Expressions(), false); }},
    {"replace all",
     [](TFindAndReplace& F, TTxtEdit* E, const AnsiString& T) { return F.Replace(E, T, "x", Expressions(), true); }},
};

}  // namespace

// Ten lines on which the expression explodes: every command stops as too complex within its
// budget (set in steps here), with the engine's text, the text untouched, the editor painting,
// and a search as the user types back at the caret it started from.
TEST_F(FindInEditor, ACommandOverManyExplodingLinesAnswersTooComplex) {
  AnsiString text;
  for (int i = 0; i < 10; ++i) text += AnsiString(24, 'a') + "!\r\n";
  edit_->SetTextA(text);
  const AnsiString before = edit_->TextA();
  find_->CommandSteps = 3000000;
  find_->TypingSteps = 300000;
  for (const TCommand& c : kCommands) {
    edit_->SetCaretXY({5, 4});
    EXPECT_EQ(c.Run(*find_, edit_, "(\\w+\\s?)+\\1$"), frTooComplex) << c.Name;
    EXPECT_EQ(find_->ErrorText(), L"TRegExpr(exec): Expression Too Complex For This Input") << c.Name;
    EXPECT_TRUE(edit_->TextA() == before) << c.Name;
    EXPECT_EQ(edit_->PaintLock(), 0) << c.Name;
    EXPECT_EQ(edit_->CaretXY(), (std::string(c.Name) == "typing" ? TBufferCoord{2, 3} : TBufferCoord{5, 4})) << c.Name;
  }
  // The next command has a budget of its own and answers.
  EXPECT_EQ(find_->Find(edit_, "a+!", Expressions(), false, {1, 1}), frNone);
  EXPECT_TRUE(find_->ErrorText().empty());
}

// Memory running out once the presence test found the one hit on the last line: every command
// answers that there was not enough memory, with the text untouched, the editor painting and a
// search as the user types back at the caret it started from; the next command answers.
TEST_F(FindInEditor, ACommandThatRunsOutOfMemoryChangesNothingAndSaysSo) {
  edit_->SetTextA("no\r\nno\r\nno\r\nno a\r\nno\r\nhit");
  const AnsiString before = edit_->TextA();
  auto* engine = new TMemoryShortSearch(form_);
  TFindAndReplace find(new TTxtEditSearch(form_), engine);
  for (const TCommand& c : kCommands) {
    edit_->SetCaretXY({5, 4});
    engine->Lines = 0;
    engine->Allowed = 6;
    EXPECT_EQ(c.Run(find, edit_, "hit"), frOutOfMemory) << c.Name;
    EXPECT_TRUE(edit_->TextA() == before) << c.Name;
    EXPECT_EQ(edit_->PaintLock(), 0) << c.Name;
    EXPECT_EQ(edit_->CaretXY(), (std::string(c.Name) == "typing" ? TBufferCoord{2, 3} : TBufferCoord{5, 4})) << c.Name;
  }
  engine->Allowed = 100;
  EXPECT_EQ(find.Replace(edit_, "hit", "x", Expressions(), true), frNone);
  EXPECT_TRUE(edit_->TextA() == "no\r\nno\r\nno\r\nno a\r\nno\r\nx");
}

// A large document's searches that do not explode answer whatever the command's base: every
// search and every character searched bring their share of steps, so the work may grow with the
// text (the doubled words a user met among them); an exploding line among them still stops the
// command.
TEST_F(FindInEditor, ALargeDocumentsCommandsTakeTheWorkItsTextNeeds) {
  AnsiString text;
  for (int i = 0; i < 20000; ++i)
    text += i % 2 ? "a lambda and a longer line of text after it, lambda\r\n"
                  : "key" + std::to_string(i % 10) + " = the quick brown fox jumps over the the lazy dog\r\n";
  find_->CommandSteps = 1000;
  find_->TypingSteps = 100;
  const struct {
    const char* Expr;
    const char* Gone;  // after replace-all with x
  } cases[] = {
      {"l[a-z]mbda", "lambda"},
      {"(\\w+) \\1", "the the"},
      {"\\b(\\w+) \\1\\b", "the the"},
  };
  for (const auto& e : cases) {
    for (const TCommand& c : kCommands) {
      edit_->SetTextA(text);
      edit_->SetCaretXY({1, 1});
      const TFindResult result = c.Run(*find_, edit_, e.Expr);
      EXPECT_TRUE(result == frNone || result == frReachedEnd) << c.Name << " " << e.Expr << " " << result;
      EXPECT_TRUE(find_->ErrorText().empty()) << c.Name;
      if (std::string(c.Name) == "replace all") {
        EXPECT_EQ(edit_->TextA().find(e.Gone), AnsiString::npos) << e.Expr;
      }
    }
  }
  // An exploding line at the end stops the command.
  edit_->SetTextA(text + AnsiString(24, 'a') + "!");
  edit_->SetCaretXY({1, 1});
  EXPECT_EQ(find_->Replace(edit_, "(\\w+\\s?)+\\1$", "x", Expressions(), true), frTooComplex);
}

// A counted group that never matches on prose works more a character the more states it
// remembers: every command and a key typed over a large document stop as too complex within the
// base and the few steps a character any expression gets, and change nothing. The default budget
// of 20 MB of lines of 100 characters stays within about a second of the engine's work for a key
// typed and a few seconds for a command.
TEST_F(FindInEditor, ACountedGroupThatNeverMatchesStopsWithinTheTextsShare) {
  AnsiString text;
  for (int i = 0; i < 2000; ++i)
    text += "the river ran past a mill where old men, sat and spoke of rain and corn, horses while wives baked 7.\r\n";
  find_->CommandSteps = 1000;
  find_->TypingSteps = 100;
  for (const char* expr : {"(\\w+\\s?){2,50}\\d\\d", "(\\w+,?\\s?){3,40}\\d\\d"}) {
    for (const TCommand& c : kCommands) {
      edit_->SetTextA(text);
      const AnsiString before = edit_->TextA();
      EXPECT_EQ(c.Run(*find_, edit_, expr), frTooComplex) << c.Name << " " << expr;
      EXPECT_TRUE(edit_->TextA() == before) << c.Name << " " << expr;
    }
  }
  const TFindAndReplace defaults(nullptr, nullptr);
  const struct {
    bool Typing;
    int64_t Most;
  } bounds[] = {{true, 250000000}, {false, 650000000}};
  for (const auto& b : bounds) {
    // Each line's search takes every step it may.
    TRegExprBudget budget = defaults.Budget(b.Typing);
    int64_t taken = 0;
    for (int i = 0; i < 200000; ++i) {
      budget.Credit(100);
      taken += budget.StepsLeft();
      budget.Charge(budget.StepsLeft());
    }
    EXPECT_LE(taken, b.Most) << b.Typing;
  }
}

// A bad expression is told with the engine's text and position by every command, also on a
// document without a line to search, and changes nothing.
TEST_F(FindInEditor, ABadExpressionIsToldWithItsPosition) {
  const struct {
    const char* Expr;
    const wchar_t* Error;
  } cases[] = {
      {"(abc[0-9", L"TRegExpr(comp): Unmatched [] (pos 8)"},
      {"(abc", L"TRegExpr(comp): ParseReg Unmatched () (pos 4)"},
      {"a**", L"TRegExpr(comp): Nested *?+ (pos 2)"},
  };
  for (const char* text : {"abc 123\r\nabc 456", ""})
    for (const auto& e : cases)
      for (const TCommand& c : kCommands) {
        edit_->SetTextA(text);
        const AnsiString before = edit_->TextA();
        EXPECT_EQ(c.Run(*find_, edit_, e.Expr), frBadExpression) << c.Name << " " << e.Expr;
        EXPECT_EQ(find_->ErrorText(), e.Error) << c.Name << " " << e.Expr;
        EXPECT_TRUE(edit_->TextA() == before) << c.Name;
      }
  // A plain search takes the same text as it stands.
  edit_->SetTextA("x (abc[0-9 y");
  EXPECT_EQ(find_->Find(edit_, "(abc[0-9", {}, false, {1, 1}), frNone);
  EXPECT_EQ(edit_->SelText(), "(abc[0-9");
}

// A replace-all that an exploding line stops after many lines of hits changes nothing: the text,
// the caret, the selection, the modified mark and the undo and redo lists are as they were.
TEST_F(FindInEditor, AReplaceAllStoppedAfterManyHitsChangesNothing) {
  AnsiString text;
  for (int i = 0; i < 3000; ++i) text += "key" + std::to_string(i) + " = the the lazy dogg\r\n";
  for (int i = 0; i < 5; ++i) text += AnsiString(24, 'a') + "!\r\n";
  edit_->SetTextA(text);
  edit_->SetCaretXY({1, 2});
  edit_->SetSelText("x");
  edit_->UndoList()->AddGroupBreak();
  edit_->SetSelText("y");
  edit_->Undo();
  edit_->SetBlockBegin({2, 5});
  edit_->SetBlockEnd({4, 7});
  const AnsiString before = edit_->TextA();
  const TBufferCoord caret = edit_->CaretXY(), begin = edit_->BlockBegin(), end = edit_->BlockEnd();
  const int undo = edit_->UndoList()->ItemCount(), redo = edit_->RedoList()->ItemCount();
  ASSERT_TRUE(edit_->Modified() && undo > 0 && redo > 0);
  find_->CommandSteps = 3000000;
  for (const char* with : {"$1", "x\r\ny"}) {
    EXPECT_EQ(find_->Replace(edit_, "(\\w+\\s?)+\\1$", with, Expressions(), true), frTooComplex) << with;
    EXPECT_TRUE(edit_->TextA() == before) << with;
    EXPECT_EQ(edit_->CaretXY(), caret) << with;
    EXPECT_EQ(edit_->BlockBegin(), begin) << with;
    EXPECT_EQ(edit_->BlockEnd(), end) << with;
    EXPECT_TRUE(edit_->Modified()) << with;
    EXPECT_EQ(edit_->UndoList()->ItemCount(), undo) << with;
    EXPECT_EQ(edit_->RedoList()->ItemCount(), redo) << with;
    EXPECT_EQ(edit_->PaintLock(), 0) << with;
  }
  // Without the exploding lines every hit is replaced, as one undo step (the expression takes
  // hundreds of steps on each of these lines: the command has its default base).
  find_->CommandSteps = TFindAndReplace(nullptr, nullptr).CommandSteps;
  edit_->SetTextA(text.substr(0, text.find("aaaa")));
  EXPECT_EQ(find_->Replace(edit_, "(\\w+\\s?)+\\1$", "$1", Expressions(), true), frNone);
  EXPECT_EQ(edit_->TextA().find("dogg"), AnsiString::npos);
  edit_->Undo();
  EXPECT_EQ(edit_->Lines()->Strings(2999), "key2999 = the the lazy dogg");
}

// The budgets of a command and of a search as the user types are kept apart: an expression that
// needs more steps than the one and fewer than the other is too complex while typing and is found
// by Find next; by default typing has a tenth of a command's steps.
TEST_F(FindInEditor, TypingAndCommandBudgetsAreKeptApart) {
  const std::string slow = std::string(16, 'a') + "!";
  // What the slow line costs the expression.
  TRegExpr probe;
  probe.SetExpression("(\\w+\\s?)+\\1$");
  TRegExprBudget counted(0);
  probe.SetBudget(&counted);
  EXPECT_FALSE(probe.Exec(slow));
  const int64_t steps = counted.StepsUsed();
  ASSERT_GT(steps, 100000);
  const TFindAndReplace defaults(nullptr, nullptr);
  EXPECT_EQ(defaults.TypingSteps * 10, defaults.CommandSteps);
  find_->StepsPerSearch = 0;
  find_->StepsPerCharacter = 0;
  find_->TypingSteps = steps / 2;
  find_->CommandSteps = steps * 4;
  edit_->SetTextA(AnsiString(slow) + "\r\nbb\r\n");
  const struct {
    bool Typing;
    TFindResult Result;
    const char* Selected;
  } cases[] = {{true, frTooComplex, ""}, {false, frNone, "bb"}, {true, frTooComplex, ""}};
  for (const auto& c : cases) {
    edit_->SetCaretXY({1, 1});
    EXPECT_EQ(find_->Find(edit_, "(\\w+\\s?)+\\1$", Expressions(), c.Typing, {1, 1}), c.Result) << c.Typing;
    EXPECT_EQ(edit_->SelText(), c.Selected) << c.Typing;
  }
}
