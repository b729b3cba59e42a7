// An ordered chain of callbacks fired one after the other (the highlighter's change
// notification).
#pragma once

#include <vector>

#include "framework/Delegate.h"
#include "framework/Exceptions.h"
#include "framework/Object.h"

HV_DECLARE_EXCEPTION(ETxtMethodChain, Exception);

// Asked when a callback of a chain raises: Continue (preset to true) says whether the walk goes
// on with the next callback.
using TTxtExceptionEvent = TEvent<void(TObject* Sender, Exception& E, bool& Continue)>;

// An ordered list of callbacks fired one after the other. Callbacks may be added while the chain
// fires; they are reached in the same walk.
class TTxtMethodChain : public TObject {
  HV_CLASS(TTxtMethodChain, TObject)
 public:
  TTxtMethodChain() = default;

  void Add(const TMethod& AEvent);
  // Removes every entry equal to AEvent.
  void Remove(const TMethod& AEvent);
  void Fire();
  int Count() const { return static_cast<int>(entries_.size()); }

  TTxtExceptionEvent OnException;

 protected:
  virtual void DoFire(const TMethod& AEvent) = 0;
  // Called from inside the handler of an exception raised by a callback: true goes on with the
  // next callback, false ends the walk; without OnException the exception propagates.
  virtual bool DoHandleException(Exception& E);

 private:
  std::vector<TMethod> entries_;
};

// A chain of notify events, all called with one sender.
class TTxtNotifyEventChain : public TTxtMethodChain {
  HV_CLASS(TTxtNotifyEventChain, TTxtMethodChain)
 public:
  TTxtNotifyEventChain() = default;
  explicit TTxtNotifyEventChain(TObject& ASender) : sender_(&ASender) {}

  using TTxtMethodChain::Add;
  using TTxtMethodChain::Remove;
  void Add(const TNotifyEvent& AEvent) { Add(AEvent.Method()); }
  void Remove(const TNotifyEvent& AEvent) { Remove(AEvent.Method()); }

  TObject* Sender() const { return sender_; }
  void SetSender(TObject* Value) { sender_ = Value; }

 protected:
  void DoFire(const TMethod& AEvent) override;

 private:
  TObject* sender_ = nullptr;
};
