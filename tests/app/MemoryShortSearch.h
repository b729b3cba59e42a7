// An expression engine whose memory runs out after the searches of Allowed lines, for the tests
// of commands that must change nothing when memory runs out.
#pragma once

#include <new>
#include <string_view>

#include "editor/TxtEditSearch.h"

class TMemoryShortSearch : public TTxtEditRegexSearch {
 public:
  using TTxtEditRegexSearch::TTxtEditRegexSearch;
  int FindAllIn(std::string_view Text) override {
    if (++Lines > Allowed) throw std::bad_alloc();
    return TTxtEditRegexSearch::FindAllIn(Text);
  }
  int Lines = 0, Allowed = 0;
};
