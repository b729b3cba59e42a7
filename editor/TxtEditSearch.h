// The editor's search engines: a plain-text matcher with a skip table, case folding and a
// whole-word test, and one that searches with regular expressions.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "editor/TxtEditRegExpr.h"
#include "editor/TxtEditSearchCustom.h"

class TTxtEditSearch : public TTxtEditSearchCustom {
  HV_CLASS(TTxtEditSearch, TTxtEditSearchCustom)
 public:
  explicit TTxtEditSearch(TComponent* AOwner);

  AnsiString GetPattern() override { return pattern_; }
  void SetPattern(const AnsiString& Value) override;
  int GetLength(int Index) override;
  int GetResult(int Index) override;
  int GetResultCount() override { return static_cast<int>(results_.size()); }
  void SetOptions(TSearchReplaceOptions Value) override;
  int FindAll(const AnsiString& NewText) override { return FindAllIn(NewText); }
  int FindAllIn(std::string_view Text) override;
  AnsiString Replace(const AnsiString& AFound, const AnsiString& AReplace) override;

  bool Sensitive() const { return sensitive_; }
  void SetSensitive(bool Value);
  bool Whole() const { return whole_; }
  void SetWhole(bool Value) { whole_ = Value; }
  // Matches found since the pattern was set.
  int Count() const { return count_; }

 private:
  void MakeTrans();
  void InitShiftTable();
  // The 1-based position of the next match after the last one, or 0.
  int Next();
  bool TestWholeWord(const uint8_t* Start) const;

  std::array<uint8_t, 256> trans_{};
  std::array<bool, 256> delimTable_{};
  AnsiString pattern_;
  int patLen_ = 0;
  int lookAt_ = 0;
  std::array<int32_t, 256> shift_{};
  bool shiftInitialized_ = false;
  bool sensitive_ = false;
  bool whole_ = false;
  const uint8_t* origin_ = nullptr;
  const uint8_t* theEnd_ = nullptr;
  ptrdiff_t run_ = 0;  // the window's last byte, as an offset from origin_ (-1 before the text)
  int count_ = 0;
  std::vector<int> results_;
};

class TTxtEditRegexSearch : public TTxtEditSearchCustom {
  HV_CLASS(TTxtEditRegexSearch, TTxtEditSearchCustom)
 public:
  explicit TTxtEditRegexSearch(TComponent* AOwner);

  AnsiString GetPattern() override { return regex_->GetExpression(); }
  void SetPattern(const AnsiString& Value) override { regex_->SetExpression(Value); }
  int GetLength(int Index) override;
  int GetResult(int Index) override;
  int GetResultCount() override { return static_cast<int>(positions_.size()); }
  void SetOptions(TSearchReplaceOptions Value) override;
  int FindAll(const AnsiString& NewText) override { return FindAllIn(NewText); }
  int FindAllIn(std::string_view Text) override;
  AnsiString Replace(const AnsiString& AFound, const AnsiString& AReplace) override;
  void SetBudget(TRegExprBudget* Budget) override { regex_->SetBudget(Budget); }

  TRegExpr* RegExpr() const { return regex_.get(); }

 private:
  std::unique_ptr<TRegExpr> regex_;
  std::vector<int> positions_;
  std::vector<int> lengths_;
  // The groups of each match (starts, then ends, of groups 0..groups_), for Replace.
  std::vector<int> groupPositions_;
  int groups_ = 0;
  AnsiString line_;        // the last line that had matches, for Replace
  int replaceCursor_ = 0;  // where Replace looks first for the match it is given
};
