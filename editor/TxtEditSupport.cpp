// The callback chain, the mark list and the search-engine interface.
#include "editor/TxtEditSupport.h"

HV_PUBLISH(TTxtMethodChain) {}
HV_PUBLISH(TTxtNotifyEventChain) {}
HV_PUBLISH(TTxtEditMark) {}
HV_PUBLISH(TTxtEditMarkList) {}
HV_PUBLISH(TTxtEditSearchCustom) {}

// ---- TTxtMethodChain ----

void TTxtMethodChain::Add(const TMethod& AEvent) {
  if (!AEvent.Assigned())
    throw ETxtMethodChain(ClassName() + ".Entry : the parameter `AEvent' must be specified.");
  entries_.push_back(AEvent);
}

void TTxtMethodChain::Remove(const TMethod& AEvent) {
  if (!AEvent.Assigned())
    throw ETxtMethodChain(ClassName() + ".Remove: the parameter `AEvent' must be specified.");
  for (size_t i = entries_.size(); i-- > 0;)
    if (entries_[i] == AEvent) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TTxtMethodChain::Fire() {
  // By index and by copy: a callback may add entries and so move the vector.
  for (size_t i = 0; i < entries_.size(); ++i) {
    TMethod entry = entries_[i];
    try {
      DoFire(entry);
    } catch (Exception& e) {
      if (!DoHandleException(e)) break;
    }
  }
}

bool TTxtMethodChain::DoHandleException(Exception& E) {
  if (!OnException) throw;
  bool goOn = true;
  try {
    OnException(this, E, goOn);
  } catch (...) {
    throw ETxtMethodChain(ClassName() + ".DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler");
  }
  return goOn;
}

void TTxtNotifyEventChain::DoFire(const TMethod& AEvent) {
  TNotifyEvent e = TNotifyEvent::FromMethod(AEvent);
  if (e) e(sender_);
}

// ---- TTxtEditMarkList ----

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
