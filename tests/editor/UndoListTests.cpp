// Undo list: change numbers, blocks, group breaks, the limit and the saved-state mark.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/TxtEditUndo.h"

namespace {

// Counts OnAddedUndo calls and keeps a modified flag the way the editor derives it.
struct Watcher {
  int added = 0;
  bool modified = false;
  TTxtEditUndoList* list = nullptr;
  void Added(TObject* Sender) {
    ++added;
    modified = !static_cast<TTxtEditUndoList*>(Sender)->IsAtSavedState();
  }
};

void Change(TTxtEditUndoList& l, const char* text = "x", TTxtUndoReason r = urInsert) {
  l.AddChange(r, BufferCoord(1, 1), BufferCoord(2, 1), text, smNormal);
}

// Undoes one step: pops every item of the top change number.
void UndoStep(TTxtEditUndoList& l) {
  if (!l.CanUndo()) return;
  int n = l.PeekItem()->ChangeNumber;
  while (l.CanUndo() && l.PeekItem()->ChangeNumber == n) l.PopItem();
}

}  // namespace

TEST(UndoList, NestedBlocksShareOneNumberAndNotifyOnceAtTheOuterEnd) {
  TTxtEditUndoList l;
  Watcher w;
  l.OnAddedUndo = TNotifyEvent(&w, &Watcher::Added);
  l.BeginBlock();
  Change(l);
  l.BeginBlock();
  Change(l);
  l.EndBlock();
  EXPECT_EQ(w.added, 2);  // one per pushed item, none for the inner end
  Change(l);
  l.EndBlock();
  EXPECT_EQ(w.added, 4);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l.Items(i)->ChangeNumber, 1);
  // A block without items notifies nobody.
  l.BeginBlock();
  l.EndBlock();
  EXPECT_EQ(w.added, 4);
  l.EndBlock();  // unbalanced: ignored
  EXPECT_EQ(l.BlockCount(), 0);
}

TEST(UndoList, GroupBreaks) {
  TTxtEditUndoList l;
  Watcher w;
  l.OnAddedUndo = TNotifyEvent(&w, &Watcher::Added);
  l.AddGroupBreak();  // also on an empty list
  l.AddGroupBreak();
  EXPECT_EQ(l.ItemCount(), 1);
  EXPECT_EQ(l.LastChangeReason(), urGroupBreak);
  EXPECT_EQ(w.added, 0);
  Change(l);
  l.AddGroupBreak();
  EXPECT_EQ(l.ItemCount(), 3);
  EXPECT_EQ(w.added, 1);
}

TEST(UndoList, LockSuspendsRecording) {
  TTxtEditUndoList l;
  l.Lock();
  l.Lock();
  Change(l);
  l.Unlock();
  Change(l);
  EXPECT_EQ(l.ItemCount(), 0);
  l.Unlock();
  l.Unlock();  // below 0: nothing
  EXPECT_EQ(l.LockCount(), 0);
  Change(l);
  EXPECT_EQ(l.ItemCount(), 1);
}

TEST(UndoList, LimitTrimsTheOldestItems) {
  TTxtEditUndoList l;
  l.SetMaxUndoActions(2);
  Change(l, "1");
  Change(l, "2");
  EXPECT_FALSE(l.FullUndoImpossible());
  Change(l, "3");
  ASSERT_EQ(l.ItemCount(), 2);
  EXPECT_EQ(l.Items(0)->Text, "2");
  EXPECT_TRUE(l.FullUndoImpossible());
  l.Clear();
  EXPECT_FALSE(l.FullUndoImpossible());
  Change(l);
  Change(l);
  l.SetMaxUndoActions(-5);
  EXPECT_EQ(l.MaxUndoActions(), 0);
  EXPECT_EQ(l.ItemCount(), 0);
}

TEST(UndoList, SavedStateFollowsUndoAndModifiedDeclarations) {
  TTxtEditUndoList l;
  EXPECT_TRUE(l.IsAtSavedState());  // saved while empty
  Change(l);
  l.MarkSavedState(true);
  EXPECT_TRUE(l.IsAtSavedState());
  Change(l);
  EXPECT_FALSE(l.IsAtSavedState());
  UndoStep(l);
  EXPECT_TRUE(l.IsAtSavedState());
  // Declared modified at the saved state: no later state counts as saved until the next save.
  l.MarkSavedState(false);
  EXPECT_FALSE(l.IsAtSavedState());
  UndoStep(l);
  EXPECT_FALSE(l.IsAtSavedState());
  l.MarkSavedState(true);
  EXPECT_TRUE(l.IsAtSavedState());
  // Declaring a list away from its saved state modified changes nothing.
  Change(l);
  int saved = l.SavedChangeNumber();
  l.MarkSavedState(false);
  EXPECT_EQ(l.SavedChangeNumber(), saved);
}

// With a limit of 0 every item is dropped at once, so the list stays empty; an empty list that
// was saved while empty would then look saved after every edit, and closing would never ask.
TEST(UndoList, LimitZeroNeverReportsAnEditedTextAsSaved) {
  TTxtEditUndoList l;
  Watcher w;
  l.OnAddedUndo = TNotifyEvent(&w, &Watcher::Added);
  l.SetMaxUndoActions(0);
  l.MarkSavedState(true);
  Change(l);
  EXPECT_EQ(l.ItemCount(), 0);
  EXPECT_TRUE(w.modified);
  EXPECT_FALSE(l.IsAtSavedState());
  Change(l);
  EXPECT_TRUE(w.modified);
  l.MarkSavedState(true);
  EXPECT_TRUE(l.IsAtSavedState());
}

// Saved while empty, one change more than the limit, then undo of all that is left: the first
// change is still in the text, so the text is not the saved one.
TEST(UndoList, TrimmingPastTheSavedStateForgetsIt) {
  TTxtEditUndoList l;
  l.SetMaxUndoActions(3);
  l.MarkSavedState(true);
  for (int i = 0; i < 4; ++i) Change(l);
  while (l.CanUndo()) UndoStep(l);
  EXPECT_FALSE(l.IsAtSavedState());

  // The same when the saved state was a change that has now been dropped.
  TTxtEditUndoList m;
  m.SetMaxUndoActions(2);
  Change(m);
  m.MarkSavedState(true);
  Change(m);
  Change(m);  // drops the saved change
  UndoStep(m);
  UndoStep(m);
  EXPECT_FALSE(m.IsAtSavedState());

  // Dropping items older than the saved one keeps the saved state reachable.
  TTxtEditUndoList k;
  k.SetMaxUndoActions(2);
  Change(k);
  Change(k);
  k.MarkSavedState(true);
  Change(k);  // drops the first, older than the saved change
  UndoStep(k);
  EXPECT_TRUE(k.IsAtSavedState());

  // A dropped group break changes no text: the empty list still matches the saved text.
  TTxtEditUndoList g;
  g.SetMaxUndoActions(1);
  g.AddGroupBreak();
  Change(g);
  UndoStep(g);
  EXPECT_TRUE(g.IsAtSavedState());
}

TEST(UndoList, LoweringTheLimitAlsoForgetsTheSavedState) {
  TTxtEditUndoList l;
  l.MarkSavedState(true);
  Change(l);
  Change(l);
  l.SetMaxUndoActions(1);
  UndoStep(l);
  EXPECT_FALSE(l.IsAtSavedState());
}

// The limit counts actions (the items of one block are one action), not items: a block is
// never cut, however large, and an older action goes whole when a newer one needs the room.
TEST(UndoList, TheLimitCountsActionsAndNeverCutsABlock) {
  const struct {
    int Limit;
    std::vector<int> Actions;  // items per action, oldest first (1 = outside any block)
    int Kept;                  // actions left
    bool Lost;                 // FullUndoImpossible
  } cases[] = {
      {2, {5000}, 1, false},   {2, {3, 1}, 2, false}, {2, {3, 1, 1}, 2, true}, {2, {1, 1, 2000}, 2, true},
      {1, {2000, 3}, 1, true}, {0, {3}, 0, true},     {1024, {1}, 1, false},   {3, {2, 2, 2, 2}, 3, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("limit " + std::to_string(c.Limit) + ", " + std::to_string(c.Actions.size()) + " actions");
    TTxtEditUndoList l;
    l.SetMaxUndoActions(c.Limit);
    int expectedItems = 0;
    for (size_t a = 0; a < c.Actions.size(); ++a) {
      const int n = c.Actions[a];
      if (n > 1) l.BeginBlock();
      for (int i = 0; i < n; ++i) Change(l, std::to_string(a).c_str());
      if (n > 1) l.EndBlock();
      if (a + static_cast<size_t>(c.Kept) >= c.Actions.size()) expectedItems += n;
    }
    EXPECT_EQ(l.ActionCount(), c.Kept);
    EXPECT_EQ(l.ItemCount(), expectedItems);
    EXPECT_EQ(l.FullUndoImpossible(), c.Lost);
    // Undoing step by step takes each kept action whole, newest first.
    for (int k = 0; k < c.Kept; ++k) {
      const std::string newest = std::to_string(c.Actions.size() - 1 - static_cast<size_t>(k));
      ASSERT_TRUE(l.CanUndo());
      EXPECT_EQ(l.PeekItem()->Text, newest);
      UndoStep(l);
      EXPECT_EQ(l.ActionCount(), c.Kept - k - 1);
    }
    EXPECT_FALSE(l.CanUndo());
  }
}

// A saved state inside the dropped action is gone with it; one after it stays reachable.
TEST(UndoList, DroppingABlockForgetsASavedStateInIt) {
  TTxtEditUndoList l;
  l.SetMaxUndoActions(1);
  l.BeginBlock();
  Change(l);
  Change(l);
  l.EndBlock();
  l.MarkSavedState(true);
  Change(l);  // drops the block, and the saved state with it
  UndoStep(l);
  EXPECT_FALSE(l.IsAtSavedState());

  TTxtEditUndoList m;
  m.SetMaxUndoActions(1);
  m.BeginBlock();
  Change(m);
  Change(m);
  m.EndBlock();
  Change(m);
  m.MarkSavedState(true);
  EXPECT_EQ(m.ItemCount(), 1);
  EXPECT_TRUE(m.IsAtSavedState());
}
