// Owners of global memory blocks (the clipboard's data, dropped-file lists, printer settings):
// one owner frees the block, and a scoped lock unlocks it.
#pragma once

#include <cstddef>
#include <utility>

#include "framework/Win.h"

class TGlobalMemory {
 public:
  TGlobalMemory() = default;
  explicit TGlobalMemory(HGLOBAL handle) noexcept : h_(handle) {}
  TGlobalMemory(const TGlobalMemory&) = delete;
  TGlobalMemory& operator=(const TGlobalMemory&) = delete;
  TGlobalMemory(TGlobalMemory&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  TGlobalMemory& operator=(TGlobalMemory&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~TGlobalMemory() { Reset(); }

  // A block of Size bytes; raises EOSError when the system has no memory for it.
  static TGlobalMemory Allocate(size_t Size, UINT Flags = GMEM_MOVEABLE);

  HGLOBAL Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  void Reset(HGLOBAL handle = nullptr) noexcept {
    if (h_ && h_ != handle) GlobalFree(h_);
    h_ = handle;
  }
  // Hands the block to whoever takes it (the clipboard, once SetClipboardData succeeded).
  [[nodiscard]] HGLOBAL Release() noexcept { return std::exchange(h_, nullptr); }

 private:
  HGLOBAL h_ = nullptr;
};

// Locks a block for the lifetime of the object. Data() is null when the lock failed.
class TGlobalLock {
 public:
  explicit TGlobalLock(HGLOBAL handle) noexcept : h_(handle), data_(handle ? GlobalLock(handle) : nullptr) {}
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;
  ~TGlobalLock() {
    if (data_) GlobalUnlock(h_);
  }
  void* Data() const noexcept { return data_; }
  // The size of the block as the system reports it.
  size_t Size() const noexcept { return h_ ? GlobalSize(h_) : 0; }

 private:
  HGLOBAL h_;
  void* data_;
};
