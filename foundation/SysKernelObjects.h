// Kernel objects for sharing between processes and threads: named page-file mappings with
// stream views over them, named events, waits, and an in-process critical section.
#pragma once

#include <cstdint>
#include <vector>

#include "foundation/SysRoutines.h"
#include "framework/Streams.h"
#include "framework/Win.h"

// Move-only owner of a kernel handle (closed with CloseHandle).
class TSysHandle {
 public:
  TSysHandle() = default;
  explicit TSysHandle(HANDLE H) noexcept : h_(H == INVALID_HANDLE_VALUE ? nullptr : H) {}
  TSysHandle(const TSysHandle&) = delete;
  TSysHandle& operator=(const TSysHandle&) = delete;
  TSysHandle(TSysHandle&& O) noexcept : h_(O.h_) { O.h_ = nullptr; }
  TSysHandle& operator=(TSysHandle&& O) noexcept;
  ~TSysHandle() { Reset(); }

  HANDLE Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  void Reset() noexcept;

 private:
  HANDLE h_ = nullptr;
};

class TSysFileMappingView;

class TSysCustomFileMapping : public TObject {
  HV_CLASS(TSysCustomFileMapping, TObject)
 public:
  // Frees the views (the last first), then closes the mapping.
  ~TSysCustomFileMapping() override;

  bool Existed() const { return existed_; }
  HANDLE Handle() const { return handle_.Get(); }
  const WideString& Name() const { return name_; }

  // A new view of Count bytes at Offset; its index in Views.
  int Add(DWORD Access, uint32_t Count, int64_t Offset);
  int ViewCount() const { return static_cast<int>(views_.size()); }
  TSysFileMappingView* Views(int Index) const;  // EListError for a bad index

 protected:
  TSysCustomFileMapping() = default;
  TSysHandle handle_;
  WideString name_;
  bool existed_ = false;

 private:
  friend class TSysFileMappingView;
  std::vector<TSysFileMappingView*> views_;
};

// A mapping backed by the page file, created or opened by name.
class TSysSwapFileMapping : public TSysCustomFileMapping {
  HV_CLASS(TSysSwapFileMapping, TSysCustomFileMapping)
 public:
  // ESysFileMappingError "Failed to create FileMapping" when the system refuses.
  TSysSwapFileMapping(const WideString& Name, DWORD Protect, uint32_t MaximumSize,
                      SECURITY_ATTRIBUTES* SecurityAttributes = nullptr);
};

// A stream over mapped bytes. It never grows: a write that does not fit between the position
// and the end writes nothing.
class TSysFileMappingView : public TCustomMemoryStream {
  HV_CLASS(TSysFileMappingView, TCustomMemoryStream)
 public:
  // ESysFileMappingViewError "FileMap argument of TSysFileMappingView constructor cannot be
  // nil" without a mapping, "Failed to create FileMappingView" when the view cannot be made.
  TSysFileMappingView(TSysCustomFileMapping* Mapping, DWORD Access, uint32_t Size, int64_t Offset);
  ~TSysFileMappingView() override;

  int Write(const void* Buffer, int Count) override;
  TSysCustomFileMapping* FileMapping() const { return mapping_; }
  uint32_t OffsetHighPart() const { return static_cast<uint32_t>(static_cast<uint64_t>(offset_) >> 32); }
  uint32_t OffsetLowPart() const { return static_cast<uint32_t>(offset_ & 0xFFFFFFFF); }

 private:
  TSysCustomFileMapping* mapping_;
  int64_t offset_;
  void* base_ = nullptr;
};

// What a wait ended with.
HV_ENUM(TSysWaitResult, wrAbandoned, wrError, wrIOCompletion, wrSignaled, wrTimeout)

class TSysDispatcherObject : public TObject {
  HV_CLASS(TSysDispatcherObject, TObject)
 public:
  HANDLE Handle() const { return handle_.Get(); }
  TSysWaitResult WaitFor(DWORD Timeout);
  TSysWaitResult WaitForever() { return WaitFor(INFINITE); }

 protected:
  TSysDispatcherObject() = default;
  TSysHandle handle_;
};

class TSysEvent : public TSysDispatcherObject {
  HV_CLASS(TSysEvent, TSysDispatcherObject)
 public:
  // Creates or opens the event; ESysEventError "Failed to create event" when that fails.
  TSysEvent(SECURITY_ATTRIBUTES* SecurityAttributes, bool ManualReset, bool InitialState, const WideString& Name);
  bool Existed() const { return existed_; }
  const WideString& Name() const { return name_; }
  bool SetEvent();

 private:
  bool existed_ = false;
  WideString name_;
};

class TSysCriticalSection {
 public:
  TSysCriticalSection() { InitializeCriticalSection(&cs_); }
  ~TSysCriticalSection() { DeleteCriticalSection(&cs_); }
  TSysCriticalSection(const TSysCriticalSection&) = delete;
  TSysCriticalSection& operator=(const TSysCriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  void Leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};
