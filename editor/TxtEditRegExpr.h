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

  AnsiString SpaceChars = " \t\n\r\f";
  AnsiString WordChars = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
  AnsiString LineSeparators = "\r\n";
  AnsiString LinePairedSeparator() const { return pairedSeparator_; }
  // Empty or two different characters, else error 128.
  void SetLinePairedSeparator(const AnsiString& Value);
  TRegExprInvertCaseFunction InvertCase = RegExprInvertCaseSystem;

  bool Exec(const AnsiString& AInputString);
  bool ExecNext();
  // Searches the stored input from a 1-based offset.
  bool ExecPos(int AOffset);
  AnsiString InputString() const { return input_; }
  void SetInputString(std::string_view Value);
  // 1-based start / length of group Index (0 = the whole match); -1 when not available.
  int GetMatchPos(int Index) const;
  int GetMatchLen(int Index) const;
  AnsiString GetMatch(int Index) const;
  // Counts the groups of the compiled expression.
  int SubExprMatchCount() const;

  AnsiString Substitute(const AnsiString& ATemplate);
  AnsiString Replace(const AnsiString& AInputStr, const AnsiString& AReplaceStr, bool AUseSubstitution);

  int LastError();  // returns and clears

 protected:
  // Stores the code and raises ERegExpr with its message.
  [[noreturn]] virtual void Error(int AErrorID);

 public:
  virtual AnsiString ErrorMsg(int AErrorID);

  // Upper bound of matcher steps for one search from an offset: beyond it the search stops with
  // reeTooComplex. The default scales with the input; 0 restores it.
  void SetStepBudget(int64_t Value) { stepBudget_ = Value; }
  // The compiled program (starts with the marker byte), for inspection.
  const std::vector<uint8_t>& Program() const { return program_; }

 private:
  // Error, which an override might let return: then the error is raised here.
  [[noreturn]] void Raise(int AErrorID);
  friend struct TRegExprCompiler;
  friend struct TRegExprMatcher;
  void SetModifierBit(uint32_t Bit, bool Value);
  void EnsureProgram();
  void BuildCaseTable();
  bool SearchFrom(int Offset);
  // The matcher's stacks, kept between searches so that each search does not allocate.
  struct TFrameStore;
  std::shared_ptr<TFrameStore> frames_;
  std::vector<int8_t> possessive_;  // per node: 0 unknown, 1 yes, -1 no

  AnsiString expression_;
  bool hasExpression_ = false;
  uint32_t modifiers_ = RegExprDefaultModifiers;
  uint32_t progModifiers_ = 0;
  AnsiString pairedSeparator_ = "\r\n";
  AnsiString input_;
  bool hasInput_ = false;
  std::array<int, NSUBEXP> startP_{};  // 0-based, -1 = none
  std::array<int, NSUBEXP> endP_{};
  int lastError_ = 0;
  int compilerPos_ = 0;
  int64_t stepBudget_ = 0;

  // The program and what the compiler learned for the start of a search.
  std::vector<uint8_t> program_;
  int groupCount_ = 0;
  std::array<bool, 256> firstCharSet_{};
  int firstChar_ = -1;  // the program starts with this exact character
  bool anchored_ = false;
  bool canBeEmpty_ = true;  // then every position, the end too, may start a match
  AnsiString mustLiteral_;  // every match contains it
  bool mustIgnoreCase_ = false;
  std::array<uint8_t, 256> invert_{};  // InvertCase as a table
  TRegExprInvertCaseFunction invertFor_ = nullptr;
  AnsiString separatorsFor_, wordCharsFor_, spaceCharsFor_;
  std::array<bool, 256> separators_{};
  std::array<bool, 256> wordTable_{};
};
