// Sets of small ordinals (enumerations declared with HV_ENUM, or chars).
//
// TSetValue is the untyped form used by type information, form files and settings: 256 bits,
// element v at bit v (bit 0 the lowest bit of byte 0). For a type with bounds Min..Max, the
// bytes from Min / 8 on are exactly the classic set layout.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "framework/TypeInfo.h"

struct TSetValue {
  uint8_t Bytes[32] = {};

  bool Contains(int v) const { return v >= 0 && v < 256 && (Bytes[v >> 3] >> (v & 7)) & 1; }
  void Include(int v) {
    if (v >= 0 && v < 256) Bytes[v >> 3] |= static_cast<uint8_t>(1u << (v & 7));
  }
  void Exclude(int v) {
    if (v >= 0 && v < 256) Bytes[v >> 3] &= static_cast<uint8_t>(~(1u << (v & 7)));
  }
  bool Empty() const {
    for (uint8_t b : Bytes)
      if (b) return false;
    return true;
  }
  bool operator==(const TSetValue& o) const { return std::memcmp(Bytes, o.Bytes, sizeof Bytes) == 0; }
};

// The descriptor of "set of E" (created once per element type).
const TTypeInfo& MakeSetTypeInfo(const TTypeInfo& elementType, const char* name);

template <class E>
class TSet {
 public:
  static constexpr int High = EnumHigh<E>();
  static_assert(High < 256, "set elements must be below 256");

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }

  constexpr bool Contains(E e) const {
    int v = static_cast<int>(e);
    return v >= 0 && v <= High && ((bits_[v >> 5] >> (v & 31)) & 1u);
  }
  constexpr TSet& Include(E e) {
    int v = static_cast<int>(e);
    if (v >= 0 && v <= High) bits_[v >> 5] |= 1u << (v & 31);
    return *this;
  }
  constexpr TSet& Exclude(E e) {
    int v = static_cast<int>(e);
    if (v >= 0 && v <= High) bits_[v >> 5] &= ~(1u << (v & 31));
    return *this;
  }
  constexpr bool Empty() const {
    for (uint32_t w : bits_)
      if (w) return false;
    return true;
  }
  constexpr void Clear() {
    for (uint32_t& w : bits_) w = 0;
  }

  constexpr TSet operator+(const TSet& o) const {
    TSet r;
    for (int i = 0; i < Words; ++i) r.bits_[i] = bits_[i] | o.bits_[i];
    return r;
  }
  constexpr TSet operator-(const TSet& o) const {
    TSet r;
    for (int i = 0; i < Words; ++i) r.bits_[i] = bits_[i] & ~o.bits_[i];
    return r;
  }
  constexpr TSet operator*(const TSet& o) const {
    TSet r;
    for (int i = 0; i < Words; ++i) r.bits_[i] = bits_[i] & o.bits_[i];
    return r;
  }
  constexpr TSet& operator+=(const TSet& o) { return *this = *this + o; }
  constexpr TSet& operator-=(const TSet& o) { return *this = *this - o; }
  constexpr TSet& operator*=(const TSet& o) { return *this = *this * o; }
  constexpr TSet operator+(E e) const { return TSet(*this).Include(e); }
  constexpr TSet operator-(E e) const { return TSet(*this).Exclude(e); }
  constexpr TSet& operator<<(E e) { return Include(e); }
  constexpr TSet& operator>>(E e) { return Exclude(e); }
  constexpr bool operator==(const TSet& o) const {
    for (int i = 0; i < Words; ++i)
      if (bits_[i] != o.bits_[i]) return false;
    return true;
  }
  // True when every element of o is in this set.
  constexpr bool ContainsAll(const TSet& o) const { return (o - *this).Empty(); }

  TSetValue ToValue() const {
    TSetValue v;
    for (int i = 0; i <= High; ++i)
      if (Contains(static_cast<E>(i))) v.Include(i);
    return v;
  }
  static TSet FromValue(const TSetValue& v) {
    TSet s;
    for (int i = 0; i <= High; ++i)
      if (v.Contains(i)) s.Include(static_cast<E>(i));
    return s;
  }

 private:
  static constexpr int Words = High / 32 + 1;
  uint32_t bits_[Words] = {};
};

template <class E>
const TTypeInfo& TypeInfoOf(TSet<E>*) {
  static const std::string name = std::string("set of ") + TypeInfoOf<E>().Name;
  static const TTypeInfo& info = MakeSetTypeInfo(TypeInfoOf<E>(), name.c_str());
  return info;
}
