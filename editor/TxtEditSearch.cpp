// The editor's two search engines: plain text with a skip table, and regular expressions.
#include "editor/TxtEditSearch.h"

#include "framework/Win.h"

HV_PUBLISH(TTxtEditSearch) {}
HV_PUBLISH(TTxtEditRegexSearch) {}

// ---- plain text ----

TTxtEditSearch::TTxtEditSearch(TComponent* AOwner) : TTxtEditSearchCustom(AOwner) {
  MakeTrans();
  for (int c = 0; c < 256; ++c) delimTable_[c] = !(IsCharAlphaNumericA(static_cast<CHAR>(c)) || c == '_');
}

void TTxtEditSearch::MakeTrans() {
  for (int c = 0; c < 256; ++c) trans_[c] = static_cast<uint8_t>(c);
  if (!sensitive_) CharLowerBuffA(reinterpret_cast<char*>(trans_.data()), 256);
}

void TTxtEditSearch::SetSensitive(bool Value) {
  if (Value == sensitive_) return;
  sensitive_ = Value;
  MakeTrans();
  shiftInitialized_ = false;
}

void TTxtEditSearch::SetPattern(const AnsiString& Value) {
  if (Value != pattern_) {
    pattern_ = Value;
    shiftInitialized_ = false;
  }
  count_ = 0;
}

void TTxtEditSearch::SetOptions(TSearchReplaceOptions Value) {
  SetSensitive(Value.Contains(srMatchCase));
  whole_ = Value.Contains(srWholeWord);
}

int TTxtEditSearch::GetLength(int) { return static_cast<int>(pattern_.size()); }

int TTxtEditSearch::GetResult(int Index) {
  return Index >= 0 && Index < static_cast<int>(results_.size()) ? results_[Index] : 0;
}

AnsiString TTxtEditSearch::Replace(const AnsiString&, const AnsiString& AReplace) { return AReplace; }

void TTxtEditSearch::InitShiftTable() {
  patLen_ = static_cast<int>(pattern_.size());
  if (patLen_ == 0) throw Exception("Pattern is empty");
  const auto* pat = reinterpret_cast<const uint8_t*>(pattern_.data());
  shift_.fill(patLen_ + 1);
  for (int i = 1; i <= patLen_; ++i) shift_[trans_[pat[i - 1]]] = patLen_ + 1 - i;
  lookAt_ = patLen_;
  const uint8_t last = trans_[pat[patLen_ - 1]];
  for (int k = 1; k < patLen_; ++k)
    if (trans_[pat[patLen_ - 1 - k]] == last) {
      lookAt_ = k;
      break;
    }
  shiftInitialized_ = true;
}

bool TTxtEditSearch::TestWholeWord(const uint8_t* Start) const {
  const bool before = Start == origin_ || delimTable_[Start[-1]];
  const uint8_t* after = Start + patLen_;
  return before && (after >= theEnd_ || delimTable_[*after]);
}

int TTxtEditSearch::Next() {
  const auto* pat = reinterpret_cast<const uint8_t*>(pattern_.data());
  const uint8_t last = trans_[pat[patLen_ - 1]];
  ptrdiff_t run = run_ + patLen_;
  const ptrdiff_t end = theEnd_ - origin_;
  while (run < end) {
    if (trans_[origin_[run]] != last) {
      run += shift_[trans_[run + 1 < end ? origin_[run + 1] : 0]];
      continue;
    }
    const uint8_t* start = origin_ + run - patLen_ + 1;
    int i = 0;
    while (i < patLen_ && trans_[start[i]] == trans_[pat[i]]) ++i;
    if (i == patLen_ && (!whole_ || TestWholeWord(start))) {
      run_ = run;
      ++count_;
      return static_cast<int>(start - origin_) + 1;
    }
    run += lookAt_;
    if (run >= end) break;
    run += shift_[trans_[origin_[run]]] - 1;
  }
  run_ = end;
  return 0;
}

int TTxtEditSearch::FindAllIn(std::string_view Text) {
  results_.clear();
  if (!shiftInitialized_) InitShiftTable();
  if (static_cast<int>(Text.size()) < patLen_) return 0;
  origin_ = reinterpret_cast<const uint8_t*>(Text.data());
  theEnd_ = origin_ + Text.size();
  run_ = -1;
  for (int found; (found = Next()) != 0;) results_.push_back(found);
  origin_ = theEnd_ = nullptr;
  return static_cast<int>(results_.size());
}

// ---- regular expressions ----

TTxtEditRegexSearch::TTxtEditRegexSearch(TComponent* AOwner)
    : TTxtEditSearchCustom(AOwner), regex_(std::make_unique<TRegExpr>()) {}

void TTxtEditRegexSearch::SetOptions(TSearchReplaceOptions Value) {
  regex_->SetModifierI(!Value.Contains(srMatchCase));
}

int TTxtEditRegexSearch::GetLength(int Index) {
  return Index >= 0 && Index < static_cast<int>(lengths_.size()) ? lengths_[Index] : 0;
}

int TTxtEditRegexSearch::GetResult(int Index) {
  return Index >= 0 && Index < static_cast<int>(positions_.size()) ? positions_[Index] : 0;
}

int TTxtEditRegexSearch::FindAllIn(std::string_view Text) {
  positions_.clear();
  lengths_.clear();
  groupPositions_.clear();
  replaceCursor_ = 0;
  // The line is searched where it lies; the engine gets the copy only if it has matches.
  regex_->SetInputView(Text);
  bool found;
  try {
    found = regex_->ExecPos(1);
  } catch (...) {
    regex_->SetInputView(std::string_view());
    throw;
  }
  groups_ = regex_->GroupCount();
  const int stride = 2 * (groups_ + 1);
  if (found) {
    try {
      do {
        positions_.push_back(regex_->GetMatchPos(0));
        lengths_.push_back(regex_->GetMatchLen(0));
        if (groups_ == 0) continue;
        const size_t at = groupPositions_.size();
        groupPositions_.resize(at + stride);
        for (int g = 0; g <= groups_; ++g) {
          const int pos = regex_->GetMatchPos(g);
          groupPositions_[at + g] = pos < 0 ? -1 : pos - 1;
          groupPositions_[at + groups_ + 1 + g] = pos < 0 ? -1 : pos - 1 + regex_->GetMatchLen(g);
        }
      } while (regex_->ExecNext());
    } catch (...) {
      regex_->SetInputView(std::string_view());
      throw;
    }
    line_.assign(Text);
  } else {
    line_.clear();
  }
  // The engine must not keep a view of a line that may change.
  regex_->SetInputView(line_);
  return static_cast<int>(positions_.size());
}

AnsiString TTxtEditRegexSearch::Replace(const AnsiString& AFound, const AnsiString& AReplace) {
  // The groups of a match depend on the text around it: they were recorded with the match.
  // The matches are taken in the order they are replaced.
  const int n = static_cast<int>(positions_.size());
  const int stride = 2 * (groups_ + 1);
  for (int k = 0; k < n; ++k) {
    const int i = (replaceCursor_ + k) % n;
    if (lengths_[i] != static_cast<int>(AFound.size()) || line_.compare(positions_[i] - 1, lengths_[i], AFound) != 0)
      continue;
    replaceCursor_ = i + 1;
    if (groups_ == 0) {
      const int start = positions_[i] - 1, end = start + lengths_[i];
      return TRegExpr::SubstituteGroups(AReplace, line_, &start, &end, 1);
    }
    const int* starts = &groupPositions_[static_cast<size_t>(i) * stride];
    return TRegExpr::SubstituteGroups(AReplace, line_, starts, starts + groups_ + 1, groups_ + 1);
  }
  // Not a match of the last line: the text on its own.
  TRegExpr alone;
  alone.SetModifiers(regex_->Modifiers());
  alone.SetExpression(regex_->GetExpression());
  alone.SetBudget(regex_->Budget());
  alone.Exec(AFound);
  return alone.Substitute(AReplace);
}
