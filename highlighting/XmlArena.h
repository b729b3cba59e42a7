// XmlArena: the memory of one document as a reader builds it. Its nodes, child lists, attribute
// arrays and texts are placed one after another in large slabs, and the whole is released at
// once, not node by node.
//
// The arena counts the references to its objects from outside it (Pins: handles and lists of
// other owners; references between its own objects are not counted) and the objects not yet
// destroyed (when none is left, its slabs go). When the last outside reference is the list
// that holds a document's top nodes, and none of its objects holds anything from elsewhere
// (Tainted), that list discards the arena whole without visiting a node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

class TXmlNameTable;

// The short copies and comparisons of a parse, made here: a library call costs more than they
// take. (The empty statement keeps the compiler from turning the loops back into such calls.)
inline void XmlCopyBytes(char* To, const char* From, size_t N) {
  if (N > 64) {
    std::memcpy(To, From, N);
    return;
  }
  for (; N >= 4; N -= 4, To += 4, From += 4) {
    uint32_t w;
    std::memcpy(&w, From, 4);
    std::memcpy(To, &w, 4);
    __asm__ volatile("");
  }
  for (; N; --N) {
    *To++ = *From++;
    __asm__ volatile("");
  }
}

inline bool XmlSameBytes(const char* A, const char* B, size_t N) {
  for (; N >= 4; N -= 4, A += 4, B += 4) {
    uint32_t a, b;
    std::memcpy(&a, A, 4);
    std::memcpy(&b, B, 4);
    if (a != b) return false;
  }
  for (; N; --N)
    if (*A++ != *B++) return false;
  return true;
}

// Arenas not released yet: what a leak check compares before and after.
int XmlArenasInUse();

class TXmlArena {
 public:
  // Holds a reference to the name table that its nodes use.
  explicit TXmlArena(TXmlNameTable* Table);
  TXmlArena(const TXmlArena&) = delete;
  TXmlArena& operator=(const TXmlArena&) = delete;

  TXmlNameTable* Table() const { return table_; }

  // Size bytes aligned for the model's objects.
  void* Allocate(size_t Size) {
    char* p = cur_ + (-reinterpret_cast<uintptr_t>(cur_) & 3u);
    if (p > end_ || static_cast<size_t>(end_ - p) < Size) {
      NewSlab(Size);
      p = cur_;
    }
    cur_ = p + Size;
    return p;
  }
  // Room for N text bytes.
  char* Reserve(size_t N) {
    if (static_cast<size_t>(end_ - cur_) < N) NewSlab(N);
    char* p = cur_;
    cur_ += N;
    return p;
  }
  // Gives back the end of the room At of Size bytes, the last reserved, of which only Used
  // bytes were used.
  void Unreserve(char* At, size_t Size, size_t Used) {
    if (At + Size == cur_) cur_ = At + Used;
  }
  // A copy of N text bytes.
  const char* Copy(const char* Text, size_t N) {
    char* p = Reserve(N);
    XmlCopyBytes(p, Text, N);
    return p;
  }

  // An object placed here came to life, or was destroyed; the last one releases the arena.
  void Born() { ++live_; }
  void Died() noexcept {
    if (--live_ == 0) Free();
  }
  void Pin() { ++pins_; }
  void Unpin() { --pins_; }
  int Pins() const { return pins_; }
  // Some object here holds memory or references from elsewhere: only their destructors can
  // release them.
  void Taint() { tainted_ = true; }
  bool Tainted() const { return tainted_; }
  // Releases everything at once; only when nothing outside refers to it any more.
  void Discard() noexcept { Free(); }

 private:
  ~TXmlArena() = default;
  void NewSlab(size_t AtLeast);
  void Free() noexcept;

  TXmlNameTable* table_;
  std::vector<std::pair<char*, size_t>> slabs_;
  char* cur_ = nullptr;
  char* end_ = nullptr;
  size_t nextSlab_;
  int live_ = 0;
  int pins_ = 0;
  bool tainted_ = false;
};
