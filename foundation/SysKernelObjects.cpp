// Page-file mappings, their views, events and waits.
#include "foundation/SysKernelObjects.h"

#include <algorithm>

#include "framework/Lists.h"

TSysHandle& TSysHandle::operator=(TSysHandle&& O) noexcept {
  if (this != &O) {
    Reset();
    h_ = O.h_;
    O.h_ = nullptr;
  }
  return *this;
}

void TSysHandle::Reset() noexcept {
  if (h_) CloseHandle(h_);
  h_ = nullptr;
}

// ---- mappings ----

TSysCustomFileMapping::~TSysCustomFileMapping() {
  while (!views_.empty()) delete views_.back();  // each view takes itself off the list
  handle_.Reset();
}

int TSysCustomFileMapping::Add(DWORD Access, uint32_t Count, int64_t Offset) {
  new TSysFileMappingView(this, Access, Count, Offset);
  return static_cast<int>(views_.size()) - 1;
}

TSysFileMappingView* TSysCustomFileMapping::Views(int Index) const {
  if (Index < 0 || Index >= ViewCount()) TList::Error("List index out of bounds (%d)", Index);
  return views_[static_cast<size_t>(Index)];
}

HV_PUBLISH(TSysCustomFileMapping) {}

TSysSwapFileMapping::TSysSwapFileMapping(const WideString& Name, DWORD Protect, uint32_t MaximumSize,
                                         SECURITY_ATTRIBUTES* SecurityAttributes) {
  name_ = Name;
  HANDLE h = CreateFileMappingW(INVALID_HANDLE_VALUE, SecurityAttributes, Protect, 0, MaximumSize,
                                Name.empty() ? nullptr : Name.c_str());
  DWORD error = GetLastError();
  if (!h) throw ESysFileMappingError(L"Failed to create FileMapping", error);
  existed_ = error == ERROR_ALREADY_EXISTS;
  handle_ = TSysHandle(h);
}

HV_PUBLISH(TSysSwapFileMapping) {}

// ---- views ----

TSysFileMappingView::TSysFileMappingView(TSysCustomFileMapping* Mapping, DWORD Access, uint32_t Size, int64_t Offset)
    : mapping_(Mapping), offset_(Offset) {
  if (!Mapping) throw ESysFileMappingViewError(L"FileMap argument of TSysFileMappingView constructor cannot be nil");
  // The system maps from a multiple of its allocation granularity; the bytes before the wanted
  // offset are mapped too and the stream starts after them.
  const uint64_t granularity = SysAllocationGranularity();
  const uint64_t aligned = static_cast<uint64_t>(Offset) / granularity * granularity;
  const uint64_t delta = static_cast<uint64_t>(Offset) - aligned;
  base_ = MapViewOfFile(Mapping->Handle(), Access, static_cast<DWORD>(aligned >> 32),
                        static_cast<DWORD>(aligned & 0xFFFFFFFF), static_cast<SIZE_T>(Size + delta));
  if (!base_) throw ESysFileMappingViewError(L"Failed to create FileMappingView");
  SetPointer(static_cast<uint8_t*>(base_) + delta, Size);
  Mapping->views_.push_back(this);
}

TSysFileMappingView::~TSysFileMappingView() {
  if (base_) UnmapViewOfFile(base_);
  auto& views = mapping_->views_;
  views.erase(std::remove(views.begin(), views.end(), this), views.end());
}

int TSysFileMappingView::Write(const void* Buffer, int Count) {
  if (Count <= 0 || Position() + Count > Size()) return 0;
  return TCustomMemoryStream::Write(Buffer, Count);
}

HV_PUBLISH(TSysFileMappingView) {}

// ---- waits and events ----

TSysWaitResult TSysDispatcherObject::WaitFor(DWORD Timeout) {
  switch (WaitForSingleObjectEx(handle_.Get(), Timeout, FALSE)) {
    case WAIT_ABANDONED: return wrAbandoned;
    case WAIT_IO_COMPLETION: return wrIOCompletion;
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_TIMEOUT: return wrTimeout;
    default: return wrError;
  }
}

HV_PUBLISH(TSysDispatcherObject) {}

TSysEvent::TSysEvent(SECURITY_ATTRIBUTES* SecurityAttributes, bool ManualReset, bool InitialState,
                     const WideString& Name)
    : name_(Name) {
  HANDLE h = CreateEventW(SecurityAttributes, ManualReset, InitialState, Name.empty() ? nullptr : Name.c_str());
  DWORD error = GetLastError();
  if (!h) throw ESysEventError(L"Failed to create event", error);
  existed_ = error == ERROR_ALREADY_EXISTS;
  handle_ = TSysHandle(h);
}

bool TSysEvent::SetEvent() { return ::SetEvent(handle_.Get()) != FALSE; }

HV_PUBLISH(TSysEvent) {}
