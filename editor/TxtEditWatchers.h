// The watchers of a buffer or an undo list: objects that hear of every change, joining and
// leaving in any order, also from inside a report.
#pragma once

#include <algorithm>
#include <vector>

template <class TWatcher>
class TTxtWatchers {
 public:
  // Joining twice keeps one entry.
  void Join(TWatcher* Watcher) {
    if (Watcher && !Contains(Watcher)) list_.push_back(Watcher);
  }
  void Leave(TWatcher* Watcher) { list_.erase(std::remove(list_.begin(), list_.end(), Watcher), list_.end()); }
  bool Contains(const TWatcher* Watcher) const { return std::find(list_.begin(), list_.end(), Watcher) != list_.end(); }
  int Count() const { return static_cast<int>(list_.size()); }

  // Calls Report(watcher) for each watcher present when the report starts and still present
  // when its turn comes: a watcher freed by an earlier one's reaction is never reached.
  template <class TReport>
  void Notify(TReport&& Report) const {
    if (list_.empty()) return;
    // A lone watcher's turn comes at once: no copy is needed, which matters to a load that
    // reports millions of lines one by one.
    if (list_.size() == 1) {
      Report(*list_.front());
      return;
    }
    const std::vector<TWatcher*> present = list_;
    for (TWatcher* w : present)
      if (Contains(w)) Report(*w);
  }

 private:
  std::vector<TWatcher*> list_;
};
