// Regular expressions over 8-bit text: a compiler from expressions to a compact node program
// and a backtracking matcher that runs it, with group positions and substitution templates.
#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Types.h"

// The engine's error: ErrorCode is one of the codes ErrorMsg knows; CompilerErrorPos is the
// number of expression characters consumed when compiling failed (0 for execution errors).
class ERegExpr : public Exception {
 public:
  ERegExpr(const std::string& Message, int Code, int Pos)
      : Exception(Message), ErrorCode(Code), CompilerErrorPos(Pos) {}
  int ErrorCode = 0;
  int CompilerErrorPos = 0;
};

// Modifier bits.
enum : uint32_t {
  rmIgnoreCase = 1,     // i
  rmRussianRanges = 2,  // r: ranges of Cyrillic letters include the letters outside their block
  rmSingleLine = 4,     // s: dot matches line separators
  rmGreedy = 8,         // g
  rmMultiLine = 16,     // m: ^ and $ also at line separators
  rmExtended = 32,      // x: blanks and # comments are ignored
};
constexpr uint32_t RegExprDefaultModifiers = rmRussianRanges | rmSingleLine | rmGreedy;

// Maps a character to its other letter case.
using TRegExprInvertCaseFunction = char (*)(char Ch);
// The system's upper case, or lower case where upper-casing changes nothing.
char RegExprInvertCaseSystem(char Ch);

struct TRegExprMatcher;

// The work that one command may spend on all its searches, over however many lines: a number of
// matcher steps and a time on a clock, whichever runs out first. Both measure the engine's own
// work only: steps are counted by the matcher, and the clock runs only while a search is under
// way, so that what the command does between its searches (replacing, painting, recording the
// undo) and a loaded machine never count against it. Once it has run out, every search that
// draws on it stops at once with the "too complex" error, so a command over many lines that each
// explode stops once, with the whole command's work bounded.
class TRegExprBudget {
 public:
  // Milliseconds from an arbitrary start; tests put a clock of their own in.
  using TClock = int64_t (*)();
  static int64_t SystemClock();
  // Milliseconds <= 0: no time limit; Steps <= 0: no limit of steps.
  explicit TRegExprBudget(int64_t Milliseconds, int64_t Steps = 0, TClock Clock = SystemClock);

  // Under a limit of steps, what the text searched brings on top of it: every search PerSearch
  // steps and every input (a line) PerCharacter steps for each of its characters, so that a
  // search whose work grows with the text no faster than that answers over a text of any size.
  // The share is the same for every expression: however many states an expression remembers,
  // the work of a command grows with the text by at most these steps, so that it stops within a
  // bound the text's size sets. What earlier inputs left unused is kept only up to the limit
  // itself, so that an exploding line after many ordinary ones still stops within the limit and
  // its own share.
  void SetShares(int64_t PerSearch, int64_t PerCharacter);
  // The engine tells of each search, and with Characters >= 0 of a new input of that length.
  void Credit(int Characters);

  // The steps a search may still take (INT64_MAX without a limit of steps).
  int64_t StepsLeft() const;
  void Charge(int64_t Steps);
  // True (and from then on) once the time is up or the steps are spent; asks no clock.
  bool Spent();
  // The same, asking the clock only once Steps more than those charged reach the next time to
  // ask it, so that a command of many small searches does not ask it for each of them.
  bool SpentAfter(int64_t Steps);
  // The steps beyond those charged at which SpentAfter asks the clock next.
  int64_t NextLook() const { return lookAt_ - used_; }
  // The engine tells when a search ends: the time since the clock was first asked during it
  // counts as the engine's.
  void SearchEnded();
  // Under a time limit the clock is asked every this many steps (well under a millisecond); a
  // search counts its time from the first look on, so that searches shorter than this never ask.
  static constexpr int64_t ClockStride = 1 << 16;
  bool Timed() const { return milliseconds_ > 0; }
  int64_t StepsUsed() const { return used_; }
  // The time counted so far, in the clock's milliseconds.
  int64_t MillisecondsUsed() const { return inside_; }

 private:
  TClock clock_;
  int64_t milliseconds_ = 0;
  int64_t inside_ = 0;        // time of the searches that have ended
  int64_t searchStart_ = -1;  // the clock's first reading in the search under way, or -1
  int64_t steps_ = INT64_MAX;
  int64_t left_ = INT64_MAX;
  int64_t perSearch_ = 0;
  int64_t perCharacter_ = 0;
  int64_t used_ = 0;
  int64_t lookAt_ = ClockStride;
  bool spent_ = false;
};

// A set of characters given as the text of its characters. It changes only by assignment,
// which counts the changes, so that the engine sees a change without comparing texts.
class TRegExprChars {
 public:
  explicit TRegExprChars(const char* Text) : text_(Text) {}
  TRegExprChars(const TRegExprChars&) = delete;
  TRegExprChars& operator=(const AnsiString& Value) {
    text_ = Value;
    ++version_;
    return *this;
  }
  TRegExprChars& operator=(const char* Value) { return *this = AnsiString(Value); }
  operator const AnsiString&() const { return text_; }
  const AnsiString& Text() const { return text_; }
  bool empty() const { return text_.empty(); }
  AnsiString::const_iterator begin() const { return text_.begin(); }
  AnsiString::const_iterator end() const { return text_.end(); }
  uint32_t Version() const { return version_; }

 private:
  AnsiString text_;
  uint32_t version_ = 0;
};

class TRegExpr {
 public:
  // Entry 0 is the whole match; groups 1..14.
  static constexpr int NSUBEXP = 15;
  // Codes of execution errors this program adds to the engine's table.
  static constexpr int reeTooComplex = 1016;

  TRegExpr();
  virtual ~TRegExpr() = default;
  TRegExpr(const TRegExpr&) = delete;
  TRegExpr& operator=(const TRegExpr&) = delete;

  AnsiString GetExpression() const { return expression_; }
  void SetExpression(const AnsiString& Value);
  void Compile();

  uint32_t Modifiers() const { return modifiers_; }
  void SetModifiers(uint32_t Value) { modifiers_ = Value & 63; }
  // Index 1 i, 2 r, 3 s, 4 g, 5 m, 6 x; other indexes raise error 1013.
  bool GetModifier(int Index);
  void SetModifier(int Index, bool Value);
  bool ModifierI() const { return (modifiers_ & rmIgnoreCase) != 0; }
  void SetModifierI(bool Value) { SetModifierBit(rmIgnoreCase, Value); }
  // Applies letters (a '-' clears the letters after it) to Mods; false on any other character.
  static bool ParseModifiersStr(const AnsiString& AModifiers, uint32_t& Mods);

  TRegExprChars SpaceChars{" \t\n\r\f"};
  TRegExprChars WordChars{"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_"};
  TRegExprChars LineSeparators{"\r\n"};
  AnsiString LinePairedSeparator() const { return pairedSeparator_; }
  // Empty or two different characters, else error 128.
  void SetLinePairedSeparator(const AnsiString& Value);
  TRegExprInvertCaseFunction InvertCase = RegExprInvertCaseSystem;

  bool Exec(const AnsiString& AInputString);
  bool ExecNext();
  // Searches the stored input from a 1-based offset.
  bool ExecPos(int AOffset);
  // Searches Value where it lies, without a copy: it must stay unchanged as long as it is the
  // input (until the next input is set).
  void SetInputView(std::string_view Value);
  // 1-based start / length of group Index (0 = the whole match); -1 when not available.
  int GetMatchPos(int Index) const;
  int GetMatchLen(int Index) const;

  AnsiString Substitute(const AnsiString& ATemplate);
  // Substitute with the groups given: 0-based starts and ends in Text (-1 = none) of Count
  // entries, entry 0 the whole match.
  static AnsiString SubstituteGroups(const AnsiString& ATemplate, std::string_view Text, const int* Starts,
                                     const int* Ends, int Count);
  // The number of groups of the compiled expression.
  int GroupCount() const { return groupCount_; }
  AnsiString Replace(const AnsiString& AInputStr, const AnsiString& AReplaceStr, bool AUseSubstitution);

  // The code of the last error raised, 0 while none was.
  int LastError() const { return lastError_; }

 protected:
  // Stores the code and raises ERegExpr with its message.
  [[noreturn]] virtual void Error(int AErrorID);

 public:
  virtual AnsiString ErrorMsg(int AErrorID);

  // Upper bound of matcher steps for one search from an offset: beyond it the search stops with
  // reeTooComplex. The default scales with the input; 0 restores it.
  void SetStepBudget(int64_t Value) { stepBudget_ = Value; }
  // The budget of the command the searches belong to (not owned; null: none): each search also
  // stops when it runs out, and charges it with the steps it took.
  void SetBudget(TRegExprBudget* Value) { budget_ = Value; }
  TRegExprBudget* Budget() const { return budget_; }
  // The most choice points one attempt may hold, whatever the length of the input (0 restores
  // the default, a few hundred megabytes of them): beyond it the search is too complex, so that
  // a search on a huge line leaves the memory to the document and its undo.
  void SetFrameLimit(size_t Value);
  // Whether a search remembers the states of the matcher that have failed, which lets
  // expressions without back references answer in time that grows with nodes times positions:
  // by default once a search has done some work; never or from its start to compare the two.
  enum TFailureMemory { fmNever, fmWhenLong, fmAlways };
  void SetFailureMemory(TFailureMemory Value) { failureMemory_ = Value; }
  // Whether a search looks for what a match needs (a literal, a character, where a match can
  // start) before it runs the matcher; on by default, off only to compare the two.
  void SetShortcuts(bool Value) { shortcuts_ = Value; }

 private:
  // Error, which an override might let return: then the error is raised here.
  [[noreturn]] void Raise(int AErrorID);
  friend struct TRegExprCompiler;
  friend struct TRegExprMatcher;
  void SetModifierBit(uint32_t Bit, bool Value);
  // Stores a copy of Value as the input.
  void SetInputString(std::string_view Value);
  void EnsureProgram();
  void BuildCaseTable();
  void AnalyseProgram();
  void NewInput();
  // Searches the input from a 1-based Offset.
  bool SearchFrom(int Offset);
  bool Attempts(int From);
  // The next position from P on where a match can start, or -1.
  int NextStart(int P) const;
  // The matcher's stacks, kept between searches so that each search does not allocate.
  struct TFrameStore;
  std::shared_ptr<TFrameStore> frames_;
  std::shared_ptr<TRegExprMatcher> matcher_;
  bool matcherBound_ = false;       // to the input and the program
  std::vector<int8_t> possessive_;  // per node: 0 unknown, 1 yes, -1 no

  AnsiString expression_;
  bool hasExpression_ = false;
  uint32_t modifiers_ = RegExprDefaultModifiers;
  uint32_t progModifiers_ = 0;
  AnsiString pairedSeparator_ = "\r\n";
  AnsiString input_;          // the copy the input is when it was given as a string
  const char* in_ = nullptr;  // the input searched: input_ or a view
  int inLen_ = 0;
  bool hasInput_ = false;
  std::array<int, NSUBEXP> startP_{};  // 0-based, -1 = none
  std::array<int, NSUBEXP> endP_{};
  int lastError_ = 0;
  int compilerPos_ = 0;
  int64_t stepBudget_ = 0;
  TRegExprBudget* budget_ = nullptr;
  size_t frameLimit_ = 0;
  TFailureMemory failureMemory_ = fmWhenLong;
  bool shortcuts_ = true;
  bool credited_ = false;  // the budget has heard of the current input

  // A literal found by a skip table; matches where it compares equal (ignoring case by
  // InvertCase when IgnoreCase).
  struct TLiteral {
    AnsiString Text;
    bool IgnoreCase = false;
    std::array<int32_t, 256> Shift{};
    void Prepare(const std::array<uint8_t, 256>& Invert);
    // The first 0-based position from From where it occurs in In, or -1.
    int Find(const uint8_t* In, int Len, int From, const std::array<uint8_t, 256>& Invert) const;
  };

  // The program and what the compiler learned for the start of a search.
  std::vector<uint8_t> program_;
  int groupCount_ = 0;
  std::array<bool, 256> firstCharSet_{};
  int firstChar_ = -1;  // the program starts with this exact character
  bool anchored_ = false;
  bool canBeEmpty_ = true;     // then every position, the end too, may start a match
  bool startsAtWord_ = false;  // a match starts where a word starts (a leading \b before word characters)
  bool pureLiteral_ = false;   // the whole program is must_: no matcher is needed
  bool mustStarts_ = false;    // the program starts with must_: a match starts where it occurs
  int startNode_ = 1;          // the first node to run: past a top-level branch without alternatives
  // Without back references, a program that starts with a simple repetition of an open count
  // (past group marks and the entries of counted loops that pass at least once): when an
  // attempt at P fails, an attempt further on in the run of the operand from P would try a part
  // of the same counts and fail too. -1: none.
  int leadRepeat_ = -1;
  // The program is one greedy simple repetition: a match is the run of its operand.
  bool simpleRun_ = false;
  // With alternatives that all start with a literal of two characters or more: the pairs of
  // characters a match can start with (a bit per pair), else empty.
  std::vector<uint32_t> startPairs_;
  // Every character of a match is one of alphabet_, and one at least is one of needed_: no
  // start inside a run of alphabet_ characters that holds none of needed_ can begin a match.
  std::array<bool, 256> alphabet_{}, needed_{};
  bool runSkip_ = false;
  TLiteral must_;                        // every match contains it (empty: none known)
  std::array<bool, 256> requiredSet_{};  // every match contains one of these characters
  bool hasRequiredSet_ = false;
  // Per input: where the required literal and character were last found, and how far the
  // search for them got without finding them (-1: not yet searched).
  int mustFrom_ = -1, mustAt_ = -1, mustNoneFrom_ = -1, requiredAt_ = -1, requiredNoneFrom_ = -1;

  // What the matcher knows about each node (indexed by its offset in the program).
  struct TNodeInfo {
    int32_t MemoRow = -1;     // first row of its remembered states; -1: not remembered
    int32_t LoopDepth = 0;    // counted loops around it
    int32_t LoopList = 0;     // where their loop nodes start in loopLists_, outermost first
    int32_t IterLoop = -1;    // with back references: the branch loop whose pass starts here
    int32_t BackLoop = -1;    // with back references: the branch loop this back node closes
    bool SelfMarked = false;  // a branch or loop node, which remembers its own visits
  };
  std::vector<TNodeInfo> nodeInfo_;
  std::vector<int32_t> loopLists_;
  std::vector<int32_t> iterExit_;  // per branch loop: where it goes on after a pass that matched nothing
  bool hasBackRefs_ = false;
  int memoRows_ = 0;                   // rows of remembered states per position; 0: no memory
  std::array<uint8_t, 256> invert_{};  // InvertCase as a table
  TRegExprInvertCaseFunction invertFor_ = nullptr;
  // The versions of the character sets the tables and the program were built from.
  uint32_t separatorsFor_ = UINT32_MAX, wordCharsFor_ = UINT32_MAX, spaceCharsFor_ = UINT32_MAX;
  std::array<bool, 256> separators_{};
  std::array<bool, 256> wordTable_{};
};
