// The callback chain and its handling of a callback that raises.
#include "editor/TxtEditMethodChain.h"

HV_PUBLISH(TTxtMethodChain) {}

HV_PUBLISH(TTxtNotifyEventChain) {}

void TTxtMethodChain::Add(const TMethod& AEvent) {
  if (!AEvent.Assigned()) throw ETxtMethodChain(ClassName() + ".Entry : the parameter `AEvent' must be specified.");
  entries_.push_back(AEvent);
}

void TTxtMethodChain::Remove(const TMethod& AEvent) {
  if (!AEvent.Assigned()) throw ETxtMethodChain(ClassName() + ".Remove: the parameter `AEvent' must be specified.");
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
    throw ETxtMethodChain(ClassName() +
                          ".DoHandleException : MUST NOT occur any kind of exception in ExceptionHandler");
  }
  return goOn;
}

void TTxtNotifyEventChain::DoFire(const TMethod& AEvent) {
  TNotifyEvent e = TNotifyEvent::FromMethod(AEvent);
  if (e) e(sender_);
}
