// Streams over handles, files, memory, strings and resources.
#include "framework/Streams.h"

#include <algorithm>
#include <cstring>

HV_PUBLISH(TStream) {}
HV_PUBLISH(THandleStream) {}
HV_PUBLISH(TFileStream) {}
HV_PUBLISH(TCustomMemoryStream) {}
HV_PUBLISH(TMemoryStream) {}
HV_PUBLISH(TStringStream) {}
HV_PUBLISH(TResourceStream) {}

namespace {

const char kMemoryError[] = "Out of memory while expanding memory stream";
const char kResourceWrite[] = "Can't write to a read-only resource stream";
// A string stream's largest size; its positions stay within it too.
constexpr int64_t kMaxStringSize = 0x7FFFFFFF;

// The target of a seek, or -1 when it would lie before the start.
int64_t SeekTarget(int64_t offset, TSeekOrigin origin, int64_t position, int64_t size) {
  int64_t base = origin == soBeginning ? 0 : (origin == soCurrent ? position : size);
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset)) return -1;
  return base + offset;
}

WideString FullPath(const WideString& name) {
  DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  WideString full(n, L'\0');
  n = GetFullPathNameW(name.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return name;
  full.resize(n);
  return full;
}

[[noreturn]] void RaiseFileError(bool creating, const WideString& fileName, DWORD error) {
  WideString text = WideString(creating ? L"Cannot create file \"" : L"Cannot open file \"") + FullPath(fileName) +
                    L"\". " + SysErrorMessage(error);
  if (creating) throw EFCreateError(text);
  throw EFOpenError(text);
}

HANDLE OpenFile(const WideString& fileName, uint16_t mode) {
  if (mode == fmCreate)
    return CreateFileW(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  // Compatibility mode shares with nobody, like exclusive mode.
  static const DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned a = mode & 0x0F, s = (mode & 0xF0) >> 4;
  if (a > 2 || s > 4 || (mode & 0xFF00) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(fileName.c_str(), access[a], share[s], nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// ---- TStream ----

int64_t TStream::Size() {
  int64_t pos = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::ReadBuffer(void* Buffer, int Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  if (Count <= 0) return 0;
  const int64_t chunk = 64 * 1024;
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min(Count, chunk)));
  for (int64_t left = Count; left > 0;) {
    int n = static_cast<int>(std::min(left, chunk));
    Source->ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

// ---- THandleStream ----

int THandleStream::Read(void* Buffer, int Count) {
  DWORD done = 0;
  if (Count <= 0 || !ReadFile(handle_, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return 0;
  return static_cast<int>(done);
}

int THandleStream::Write(const void* Buffer, int Count) {
  DWORD done = 0;
  if (Count <= 0 || !WriteFile(handle_, Buffer, static_cast<DWORD>(Count), &done, nullptr)) return 0;
  return static_cast<int>(done);
}

int64_t THandleStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  static const DWORD method[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance, result;
  distance.QuadPart = Offset;
  if (Origin > soEnd || !SetFilePointerEx(handle_, distance, &result, method[Origin])) return -1;
  return result.QuadPart;
}

void THandleStream::SetSize(int64_t NewSize) {
  int64_t pos = Position();
  if (NewSize < 0 || Seek(NewSize, soBeginning) < 0 || !SetEndOfFile(handle_)) {
    DWORD error = GetLastError();
    if (pos >= 0) Seek(pos, soBeginning);
    throw EStreamError(L"Stream size cannot be changed. " + SysErrorMessage(error));
  }
  Seek(std::min(pos, NewSize), soBeginning);
}

// ---- TFileStream ----

TFileStream::TFileStream(const WideString& FileName, uint16_t Mode)
    : THandleStream(OpenFile(FileName, Mode)), fileName_(FileName), writable_((Mode & 0x0F) != fmOpenRead) {
  if (handle_ == INVALID_HANDLE_VALUE) RaiseFileError(Mode == fmCreate, FileName, GetLastError());
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

void TFileStream::FlushAndClose() {
  if (handle_ == INVALID_HANDLE_VALUE) return;
  HANDLE h = handle_;
  handle_ = INVALID_HANDLE_VALUE;
  // Flushing needs write access: a handle opened for reading has nothing to flush.
  bool flushed = !writable_ || FlushFileBuffers(h) != 0;
  DWORD error = flushed ? 0 : GetLastError();
  if (!CloseHandle(h) && flushed) error = GetLastError();
  if (error != 0) RaiseLastOSError(error);
}

// ---- TCustomMemoryStream ----

void TCustomMemoryStream::SetPointer(void* Ptr, int64_t Size, bool ReadOnly) {
  SetBlock(Ptr, Size, Size);
  readOnly_ = ReadOnly;
}

void TCustomMemoryStream::SetBlock(void* Ptr, int64_t Size, int64_t Capacity) {
  memory_ = static_cast<uint8_t*>(Ptr);
  size_ = Size;
  capacity_ = Capacity;
}

bool TCustomMemoryStream::Reserve(int64_t NewSize) { return NewSize <= capacity_; }

int TCustomMemoryStream::Read(void* Buffer, int Count) {
  if (Count <= 0 || position_ >= size_) return 0;
  int n = static_cast<int>(std::min<int64_t>(Count, size_ - position_));
  std::memcpy(Buffer, memory_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int TCustomMemoryStream::Write(const void* Buffer, int Count) {
  // A position so far out that the end would pass the largest size takes nothing.
  if (Count <= 0 || readOnly_ || position_ > INT64_MAX - Count) return 0;
  int64_t end = position_ + Count;
  if (end > size_) {
    if (!Reserve(end)) {
      // A fixed block takes what fits.
      if (position_ >= capacity_) return 0;
      Count = static_cast<int>(capacity_ - position_);
      end = capacity_;
    }
    if (position_ > size_) std::memset(memory_ + size_, 0, static_cast<size_t>(position_ - size_));
    size_ = std::max(size_, end);
  }
  std::memcpy(memory_ + position_, Buffer, static_cast<size_t>(Count));
  position_ = end;
  return Count;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t target = SeekTarget(Offset, Origin, position_, size_);
  if (target < 0) return -1;
  position_ = target;
  return position_;
}

void TCustomMemoryStream::SetSize(int64_t NewSize) {
  if (readOnly_ || NewSize < 0) throw EStreamError(kMemoryError);
  if (NewSize > size_) {
    if (!Reserve(NewSize)) throw EStreamError(kMemoryError);
    std::memset(memory_ + size_, 0, static_cast<size_t>(NewSize - size_));
  }
  size_ = NewSize;
  if (position_ > size_) position_ = size_;
}

void TCustomMemoryStream::SaveToStream(TStream* Stream) {
  for (int64_t done = 0; done < size_;) {
    int n = static_cast<int>(std::min<int64_t>(size_ - done, 1 << 30));
    Stream->WriteBuffer(memory_ + done, n);
    done += n;
  }
}

void TCustomMemoryStream::SaveToFile(const WideString& FileName) {
  TFileStream file(FileName, fmCreate);
  SaveToStream(&file);
  file.FlushAndClose();
}

// ---- TMemoryStream ----

bool TMemoryStream::Reserve(int64_t NewSize) {
  if (NewSize > 0x7FFFFFFF) return false;
  try {
    if (static_cast<size_t>(NewSize) > buffer_.size()) {
      // Grows geometrically so that many small writes cost linear time.
      size_t want = std::max<size_t>(static_cast<size_t>(NewSize), buffer_.size() + buffer_.size() / 2);
      want = std::min<size_t>(want, 0x7FFFFFFF);
      buffer_.resize(want);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  SetBlock(buffer_.data(), Size(), static_cast<int64_t>(buffer_.size()));
  return true;
}

void TMemoryStream::Clear() {
  std::vector<uint8_t>().swap(buffer_);
  SetBlock(nullptr, 0, 0);
  Seek(0, soBeginning);
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t count = Stream->Size();
  if (count > 0x7FFFFFFF) throw EStreamError(kMemoryError);
  // Read into fresh memory first: a failed read leaves the old content.
  std::vector<uint8_t> data(static_cast<size_t>(count));
  if (count > 0) Stream->ReadBuffer(data.data(), static_cast<int>(count));
  buffer_.swap(data);
  SetBlock(buffer_.data(), count, count);
  Seek(0, soBeginning);
}

void TMemoryStream::LoadFromFile(const WideString& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&file);
}

// ---- TStringStream ----

int TStringStream::Read(void* Buffer, int Count) {
  int64_t size = Size();
  if (Count <= 0 || position_ >= size) return 0;
  int n = static_cast<int>(std::min<int64_t>(Count, size - position_));
  std::memcpy(Buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int TStringStream::Write(const void* Buffer, int Count) {
  if (Count <= 0 || position_ > kMaxStringSize - Count) return 0;
  size_t end = static_cast<size_t>(position_) + static_cast<size_t>(Count);
  try {
    if (end > data_.size()) data_.resize(end, '\0');
  } catch (const std::exception&) {
    return 0;  // no memory for it: WriteBuffer makes it the stream's own error
  }
  std::memcpy(data_.data() + position_, Buffer, static_cast<size_t>(Count));
  position_ = static_cast<int64_t>(end);
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t target = SeekTarget(Offset, Origin, position_, Size());
  if (target < 0 || target > kMaxStringSize) return -1;
  position_ = target;
  return position_;
}

void TStringStream::SetSize(int64_t NewSize) {
  if (NewSize < 0 || NewSize > kMaxStringSize) throw EStreamError(kMemoryError);
  try {
    data_.resize(static_cast<size_t>(NewSize), '\0');
  } catch (const std::exception&) {
    throw EStreamError(kMemoryError);
  }
  if (position_ > NewSize) position_ = NewSize;
}

AnsiString TStringStream::ReadString(int Count) {
  int64_t size = Size();
  if (Count <= 0 || position_ >= size) return AnsiString();
  size_t n = static_cast<size_t>(std::min<int64_t>(Count, size - position_));
  AnsiString result = data_.substr(static_cast<size_t>(position_), n);
  position_ += static_cast<int64_t>(n);
  return result;
}

void TStringStream::WriteString(const AnsiString& AString) {
  WriteBuffer(AString.data(), static_cast<int>(AString.size()));
}

// ---- TResourceStream ----

TResourceStream::TResourceStream(HINSTANCE Instance, const WideString& ResName, const wchar_t* ResType) {
  Initialize(Instance, ResName.c_str(), ResType, ResName);
}

TResourceStream::TResourceStream(HINSTANCE Instance, int ResID, const wchar_t* ResType) {
  Initialize(Instance, MAKEINTRESOURCEW(ResID), ResType, std::to_wstring(ResID));
}

void TResourceStream::Initialize(HINSTANCE Instance, const wchar_t* Name, const wchar_t* ResType,
                                 const WideString& shownName) {
  HRSRC info = FindResourceW(Instance, Name, ResType);
  HGLOBAL global = info ? LoadResource(Instance, info) : nullptr;
  void* data = global ? LockResource(global) : nullptr;
  if (!data) throw EResNotFound(L"Resource " + shownName + L" not found");
  // Resources stay mapped as long as the module is loaded; nothing is released.
  SetPointer(data, SizeofResource(Instance, info), true);
}

int TResourceStream::Write(const void*, int) { throw EStreamError(kResourceWrite); }

void TResourceStream::SetSize(int64_t) { throw EStreamError(kResourceWrite); }
