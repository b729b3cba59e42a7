// Editors sharing one buffer: any number of them, in stars and chains, freed or let go in every
// order; each control left must hear every change of the buffer it shows, and nothing may call
// into a freed one.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "editor/TxtEdit.h"
#include "tests/editor/EditTestSupport.h"

namespace {

struct TCounter {
  void Fire(TObject*) { ++count; }
  int count = 0;
};

// A set of controls where Parent[i] names the control whose buffer control i was given
// (-1: its own). Lost links are followed the way the controls follow them: when a control goes
// or lets go, those that share through it let go too.
class TSharingSet {
 public:
  explicit TSharingSet(std::vector<int> Parent) : parent_(std::move(Parent)) {
    const size_t n = parent_.size();
    hosts_.resize(n);
    counters_.resize(n);
    for (size_t i = 0; i < n; ++i) {
      hosts_[i] = std::make_unique<TEditorHost>();
      hosts_[i]->Edit().SetTextA(OwnText(i));
      Listen(static_cast<int>(i));
    }
    for (size_t i = 0; i < n; ++i)
      if (parent_[i] >= 0) hosts_[i]->Edit().SetLinesPointer(&hosts_[static_cast<size_t>(parent_[i])]->Edit());
  }

  static AnsiString OwnText(size_t I) { return "text of " + std::to_string(I) + "\r\nsecond\r\nthird"; }

  void Free(int I) {
    hosts_[static_cast<size_t>(I)].reset();
    Release(I);
  }
  void LetGo(int I) {
    Edit(I).UnHookTextBuffer();
    parent_[static_cast<size_t>(I)] = -1;
    Release(I);
  }
  void Listen(int I) { Edit(I).OnChange = TNotifyEvent(&counters_[static_cast<size_t>(I)], &TCounter::Fire); }
  void Release(int I) {
    for (size_t j = 0; j < parent_.size(); ++j)
      if (parent_[j] == I) {
        parent_[j] = -1;
        Release(static_cast<int>(j));
      }
  }
  int Root(int I) const { return parent_[static_cast<size_t>(I)] < 0 ? I : Root(parent_[static_cast<size_t>(I)]); }

  // Every control left shows the buffer of its root, and a change recorded in a buffer's undo
  // list and a cleared buffer reach exactly the controls that show it.
  void CheckEveryoneHears(const std::string& Where) {
    const int n = static_cast<int>(parent_.size());
    for (int i = 0; i < n; ++i) {
      if (!hosts_[static_cast<size_t>(i)]) continue;
      TTxtEdit& e = Edit(i);
      ASSERT_EQ(e.Lines(), Edit(Root(i)).Lines()) << Where << ", control " << i;
      EXPECT_EQ(e.ChainedEditor(), parent_[static_cast<size_t>(i)] < 0 ? nullptr : &Edit(parent_[static_cast<size_t>(i)]))
          << Where << ", control " << i;
    }
    for (int root = 0; root < n; ++root) {
      if (!hosts_[static_cast<size_t>(root)] || Root(root) != root) continue;
      std::vector<int> before(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) {
        before[static_cast<size_t>(i)] = counters_[static_cast<size_t>(i)].count;
        if (hosts_[static_cast<size_t>(i)]) Edit(i).SetCaretXY({3, 3});
      }
      Edit(root).UndoList()->AddChange(urInsert, {1, 1}, {2, 1}, "", smNormal);
      Edit(root).Lines()->Clear();
      for (int i = 0; i < n; ++i) {
        if (!hosts_[static_cast<size_t>(i)]) continue;
        const bool shows = Root(i) == root;
        EXPECT_EQ(counters_[static_cast<size_t>(i)].count - before[static_cast<size_t>(i)], shows ? 1 : 0)
            << Where << ", buffer of " << root << ", control " << i;
        EXPECT_EQ(Edit(i).CaretXY(), (shows ? TBufferCoord{1, 1} : TBufferCoord{3, 3}))
            << Where << ", buffer of " << root << ", control " << i;
      }
      Edit(root).SetTextA(OwnText(static_cast<size_t>(root)));
      Edit(root).UndoList()->Clear();
      Edit(root).SetModified(false);
    }
    for (auto& h : hosts_)
      if (h) h->Settle();
  }

  TTxtEdit& Edit(int I) { return hosts_[static_cast<size_t>(I)]->Edit(); }

 private:
  std::vector<int> parent_;
  std::vector<std::unique_ptr<TEditorHost>> hosts_;
  std::vector<TCounter> counters_;
};

void FreeInEveryOrder(const std::vector<int>& Parent) {
  std::vector<int> order(Parent.size());
  std::iota(order.begin(), order.end(), 0);
  do {
    TSharingSet set(Parent);
    std::string where = "order";
    for (int i : order) where += " " + std::to_string(i);
    set.CheckEveryoneHears(where + ", all present");
    for (size_t k = 0; k + 1 < order.size(); ++k) {
      set.Free(order[k]);
      set.CheckEveryoneHears(where + ", after freeing " + std::to_string(order[k]));
      if (::testing::Test::HasFailure()) return;
    }
  } while (std::next_permutation(order.begin(), order.end()));
}

}  // namespace

TEST(EditSharing, ThreeControlsOnOneBufferGoInEveryOrder) { FreeInEveryOrder({-1, 0, 0}); }

TEST(EditSharing, FourControlsOnOneBufferGoInEveryOrder) { FreeInEveryOrder({-1, 0, 0, 0}); }

TEST(EditSharing, AStarWithAChainGoesInEveryOrder) { FreeInEveryOrder({-1, 0, 0, 2}); }

TEST(EditSharing, ControlsLetGoInAnyOrderAndJoinAgain) {
  TSharingSet set({-1, 0, 0, 0});
  set.LetGo(2);
  set.CheckEveryoneHears("after 2 let go");
  set.LetGo(1);
  set.CheckEveryoneHears("after 1 let go");
  set.Edit(2).SetLinesPointer(&set.Edit(0));
  EXPECT_EQ(set.Edit(2).Lines(), set.Edit(0).Lines());
  set.Free(3);
  set.Free(0);
  EXPECT_EQ(set.Edit(2).ChainedEditor(), nullptr);
  EXPECT_EQ(set.Edit(2).TextA(), TSharingSet::OwnText(2));
}

// The buffer's and the undo list's public events belong to their users: the controls that
// show them keep working beside a handler set there.
TEST(EditSharing, PublicEventsStayFreeBesideTheControls) {
  TSharingSet set({-1, 0});
  TCounter changed, added;
  set.Edit(0).Lines()->OnChange = TNotifyEvent(&changed, &TCounter::Fire);
  set.Edit(0).UndoList()->OnAddedUndo = TNotifyEvent(&added, &TCounter::Fire);
  set.Edit(1).Lines()->Add("more");
  EXPECT_EQ(changed.count, 1);
  set.Edit(1).UndoList()->AddChange(urInsert, {1, 1}, {2, 1}, "", smNormal);
  EXPECT_EQ(added.count, 1);
  EXPECT_TRUE(set.Edit(0).Modified());
  EXPECT_TRUE(set.Edit(1).Modified());
}

namespace {

// Frees a set's control from inside another control's change report.
struct TFreeOnChange {
  void Fire(TObject*) {
    if (set && victim >= 0) set->Free(victim);
    victim = -1;
  }
  TSharingSet* set = nullptr;
  int victim = -1;
};

}  // namespace

TEST(EditSharing, AControlFreedWhileAChangeIsReportedIsNotReached) {
  // Control 2 joined after 1, so it is still to be told when 1 frees it.
  TSharingSet set({-1, 0, 0});
  TFreeOnChange freer{&set, 2};
  set.Edit(1).OnChange = TNotifyEvent(&freer, &TFreeOnChange::Fire);
  set.Edit(1).UndoList()->AddChange(urInsert, {1, 1}, {2, 1}, "", smNormal);
  EXPECT_EQ(freer.victim, -1);
  set.Listen(1);
  set.CheckEveryoneHears("after freeing 2 from a report");
}
