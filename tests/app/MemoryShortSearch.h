// An expression engine whose memory runs out after the searches of Allowed lines.
#pragma once

#include <new>

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
