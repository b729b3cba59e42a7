// The update bracket of lists, collections, image lists and the editor: changes made between
// BeginUpdate and EndUpdate are announced once, when the bracket closes.
#pragma once

#include <utility>

// Runs Work inside Target's update bracket. The bracket closes also when Work throws, and an
// exception from EndUpdate itself reaches the caller (a destructor could not pass it on).
template <class T, class F>
void WithinUpdate(T& Target, F&& Work) {
  Target.BeginUpdate();
  try {
    std::forward<F>(Work)();
  } catch (...) {
    Target.EndUpdate();
    throw;
  }
  Target.EndUpdate();
}
