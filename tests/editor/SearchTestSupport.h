// Helpers of the search tests: an expression engine that counts the lines it is asked to search,
// and the error code a search raises.
#pragma once

#include <functional>
#include <string_view>

#include "editor/TxtEditSearch.h"

// Counts the lines the editor asks the engine to search.
class TCountingRegexSearch : public TTxtEditRegexSearch {
 public:
  using TTxtEditRegexSearch::TTxtEditRegexSearch;
  int FindAllIn(std::string_view Text) override {
    ++Lines;
    return TTxtEditRegexSearch::FindAllIn(Text);
  }
  int Lines = 0;
};

// The code of the engine's error Run raises; 0 when it raises none.
inline int CodeOf(const std::function<void()>& Run) {
  try {
    Run();
  } catch (const ERegExpr& e) {
    return e.ErrorCode;
  }
  return 0;
}
