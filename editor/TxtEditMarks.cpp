// The editor's mark list.
#include "editor/TxtEditMarks.h"

HV_PUBLISH(TTxtEditMark) {}

HV_PUBLISH(TTxtEditMarkList) {}

TTxtEditMarkList::~TTxtEditMarkList() {
  OnChange = nullptr;
  while (Count() > 0) Delete(0);
}

void TTxtEditMarkList::DoChange() {
  if (OnChange) OnChange(this);
}

int TTxtEditMarkList::Add(TTxtEditMark* Item) {
  int index = list_.Add(Item);
  DoChange();
  return index;
}

void TTxtEditMarkList::Delete(int Index) {
  auto* mark = Items(Index);
  list_.Delete(Index);
  delete mark;
}

int TTxtEditMarkList::Remove(TTxtEditMark* Item) {
  int index = list_.IndexOf(Item);
  Delete(index);
  DoChange();
  return index;
}

void TTxtEditMarkList::Clear() {
  while (Count() > 0) Delete(0);
  DoChange();
}

void TTxtEditMarkList::GetMarksForLine(int Line, TTxtEditMarks& Marks) const {
  Marks.fill(nullptr);
  size_t found = 0;
  for (int i = 0; i < Count() && found < Marks.size(); ++i) {
    TTxtEditMark* mark = Items(i);
    if (mark->Line() == Line) Marks[found++] = mark;
  }
}
