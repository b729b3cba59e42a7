// Events: comparable delegates of an object and one of its member functions.
//
// A TEvent<R(A...)> is copyable, tests as "assigned", and two events compare equal when they
// call the same member function on the same object; that is what lets a handler be removed
// from a chain again. TMethod is the untyped form in which published properties, form files
// and handler lists move events around; it remembers its signature, so it converts back only
// to an event of the same type.
#pragma once

#include <cstring>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

// One distinct address per signature.
template <class Sig>
struct TSignatureId {
  static inline const char Id = 0;
};

struct TMethod {
  void* Data = nullptr;  // the object (already cast to the class that declares the member)
  void* Code = nullptr;  // the typed caller; null when unassigned
  const void* Signature = nullptr;
  alignas(void*) unsigned char Member[4 * sizeof(void*)] = {};  // member-function pointer bytes

  bool Assigned() const { return Code != nullptr; }
  bool operator==(const TMethod& other) const {
    return Data == other.Data && Code == other.Code && Signature == other.Signature &&
           std::memcmp(Member, other.Member, sizeof Member) == 0;
  }
};

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
 public:
  using Signature = R(A...);
  using Caller = R (*)(const TMethod&, A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}

  // Binds obj->member. The member may belong to a base class of the object.
  template <class C, class M>
  TEvent(C* obj, R (M::*member)(A...)) {
    static_assert(std::is_base_of_v<M, C>, "the member must belong to the object's class");
    static_assert(sizeof(member) <= sizeof(TMethod::Member), "member-function pointer too large");
    if (!obj || !member) return;
    using MF = R (M::*)(A...);
    m_.Data = static_cast<void*>(static_cast<M*>(obj));
    std::memcpy(m_.Member, &member, sizeof(MF));
    m_.Code = reinterpret_cast<void*>(&CallMember<M, MF>);
    m_.Signature = &TSignatureId<Signature>::Id;
  }

  template <class C, class M>
  TEvent(const C* obj, R (M::*member)(A...) const) {
    static_assert(std::is_base_of_v<M, C>, "the member must belong to the object's class");
    if (!obj || !member) return;
    using MF = R (M::*)(A...) const;
    m_.Data = const_cast<void*>(static_cast<const void*>(static_cast<const M*>(obj)));
    std::memcpy(m_.Member, &member, sizeof(MF));
    m_.Code = reinterpret_cast<void*>(&CallConstMember<M, MF>);
    m_.Signature = &TSignatureId<Signature>::Id;
  }

  // A plain function with a context pointer; compares by function and context.
  static TEvent FromFunction(R (*fn)(void* context, A...), void* context) {
    TEvent e;
    if (!fn) return e;
    e.m_.Data = context;
    std::memcpy(e.m_.Member, &fn, sizeof fn);
    e.m_.Code = reinterpret_cast<void*>(&CallFunction);
    e.m_.Signature = &TSignatureId<Signature>::Id;
    return e;
  }

  // The typed event of an untyped method; unassigned when the signatures differ.
  static TEvent FromMethod(const TMethod& m) {
    TEvent e;
    if (m.Assigned() && m.Signature == &TSignatureId<Signature>::Id) e.m_ = m;
    return e;
  }
  static bool Accepts(const TMethod& m) { return !m.Assigned() || m.Signature == &TSignatureId<Signature>::Id; }

  bool Assigned() const { return m_.Assigned(); }
  explicit operator bool() const { return m_.Assigned(); }
  const TMethod& Method() const { return m_; }
  // The object the event is bound to (null for unassigned events).
  void* Data() const { return m_.Data; }

  R operator()(A... args) const { return reinterpret_cast<Caller>(m_.Code)(m_, std::forward<A>(args)...); }

  bool operator==(const TEvent& other) const { return m_ == other.m_; }
  bool operator==(std::nullptr_t) const { return !m_.Assigned(); }

 private:
  template <class M, class MF>
  static R CallMember(const TMethod& m, A... args) {
    MF member;
    std::memcpy(&member, m.Member, sizeof(MF));
    return (static_cast<M*>(m.Data)->*member)(std::forward<A>(args)...);
  }
  template <class M, class MF>
  static R CallConstMember(const TMethod& m, A... args) {
    MF member;
    std::memcpy(&member, m.Member, sizeof(MF));
    return (static_cast<const M*>(m.Data)->*member)(std::forward<A>(args)...);
  }
  static R CallFunction(const TMethod& m, A... args) {
    R (*fn)(void*, A...);
    std::memcpy(&fn, m.Member, sizeof fn);
    return fn(m.Data, std::forward<A>(args)...);
  }

  TMethod m_;
};

// Deduction guides: TEvent(this, &TMyForm::ButtonClick).
template <class C, class M, class R, class... A>
TEvent(C*, R (M::*)(A...)) -> TEvent<R(A...)>;
template <class C, class M, class R, class... A>
TEvent(const C*, R (M::*)(A...) const) -> TEvent<R(A...)>;

class TObject;
using TNotifyEvent = TEvent<void(TObject* Sender)>;

// An ordered list of handlers of one signature. Calling it calls every handler in the order
// they were added; handlers may add or remove handlers while it runs (a removed handler that
// has not been reached yet is not called).
template <class Sig>
class TEventList;

template <class... A>
class TEventList<void(A...)> {
 public:
  using Event = TEvent<void(A...)>;

  void Add(const Event& e) {
    if (e.Assigned()) items_.push_back(e);
  }
  // Removes the last occurrence.
  void Remove(const Event& e) {
    for (size_t i = items_.size(); i-- > 0;)
      if (items_[i] == e) {
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < cursor_) --cursor_;
        return;
      }
  }
  int IndexOf(const Event& e) const {
    for (size_t i = 0; i < items_.size(); ++i)
      if (items_[i] == e) return static_cast<int>(i);
    return -1;
  }
  int Count() const { return static_cast<int>(items_.size()); }
  const Event& operator[](int i) const { return items_[static_cast<size_t>(i)]; }
  void Clear() { items_.clear(); }

  void operator()(A... args) {
    size_t saved = cursor_;
    for (cursor_ = 0; cursor_ < items_.size(); ++cursor_) {
      Event e = items_[cursor_];
      e(args...);
    }
    cursor_ = saved;
  }

 private:
  std::vector<Event> items_;
  size_t cursor_ = 0;
};
