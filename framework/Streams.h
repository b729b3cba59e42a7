// Byte streams: the abstract stream, streams over file handles and files, memory blocks,
// 8-bit strings and read-only resources.
//
// Positions and sizes are 64-bit. A seek to a negative position fails (Seek gives -1 and the
// position stays); a position past the end is allowed: reading there gives nothing and
// writing there grows the stream (memory streams fill the gap with zero bytes).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Object.h"
#include "framework/Win.h"

HV_ENUM(TSeekOrigin, soBeginning, soCurrent, soEnd)

// File modes: one access mode combined with one share mode; fmCreate stands alone and
// creates (or empties) the file for reading and writing, shared with nobody.
constexpr uint16_t fmCreate = 0xFFFF;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream : public TObject {
  HV_CLASS(TStream, TObject)
 public:
  TStream() = default;
  // Both give the number of bytes moved (0 when nothing could be).
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  // The new position from the start, or -1 when the seek failed.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize) = 0;

  // Transfers exactly Count bytes or raises EReadError "Stream read error" /
  // EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int Count);
  void WriteBuffer(const void* Buffer, int Count);
  // Copies Count bytes from the source's position; 0 copies the whole source from its start.
  int64_t CopyFrom(TStream* Source, int64_t Count);
};

// A stream over a file handle that belongs to someone else.
class THandleStream : public TStream {
  HV_CLASS(THandleStream, TStream)
 public:
  explicit THandleStream(HANDLE AHandle) : handle_(AHandle) {}
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  // Raises EStreamError with the system's text when the file cannot be resized.
  void SetSize(int64_t NewSize) override;
  HANDLE Handle() const { return handle_; }

 protected:
  HANDLE handle_;
};

// A stream over a named file; it owns its handle and closes it when destroyed.
class TFileStream : public THandleStream {
  HV_CLASS(TFileStream, THandleStream)
 public:
  // Raises EFCreateError "Cannot create file "%s". %s" or EFOpenError "Cannot open file
  // "%s". %s" with the full file name and the system's text.
  TFileStream(const WideString& FileName, uint16_t Mode);
  ~TFileStream() override;
  const WideString& FileName() const { return fileName_; }
  // Writes what the system still buffers and closes the file; raises EOSError when either
  // fails. A file opened only for reading is just closed. The stream can do nothing more
  // afterwards.
  void FlushAndClose();

 private:
  WideString fileName_;
  bool writable_;
};

// A stream over a block of memory. The block may come from outside (SetPointer); such a view
// never grows beyond the block, and a read-only view takes no writes at all.
class TCustomMemoryStream : public TStream {
  HV_CLASS(TCustomMemoryStream, TStream)
 public:
  TCustomMemoryStream() = default;
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return size_; }
  // Within the block only: growing past it raises EStreamError.
  void SetSize(int64_t NewSize) override;
  void* Memory() const { return memory_; }
  void SaveToStream(TStream* Stream);
  void SaveToFile(const WideString& FileName);

 protected:
  void SetPointer(void* Ptr, int64_t Size, bool ReadOnly = false);
  // The block and how much of it is in use; for descendants that manage their own memory.
  void SetBlock(void* Ptr, int64_t Size, int64_t Capacity);
  // Makes room for NewSize bytes; false when the block cannot hold them.
  virtual bool Reserve(int64_t NewSize);
  bool ReadOnly() const { return readOnly_; }

 private:
  uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t capacity_ = 0;
  int64_t position_ = 0;
  bool readOnly_ = false;
};

// A growable stream in memory.
class TMemoryStream : public TCustomMemoryStream {
  HV_CLASS(TMemoryStream, TCustomMemoryStream)
 public:
  TMemoryStream() = default;
  void Clear();
  // Replaces the content with the whole of the stream (from its start) or the file.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const WideString& FileName);

 protected:
  bool Reserve(int64_t NewSize) override;

 private:
  std::vector<uint8_t> buffer_;
};

// A stream over an 8-bit string.
class TStringStream : public TStream {
  HV_CLASS(TStringStream, TStream)
 public:
  explicit TStringStream(const AnsiString& AString = AnsiString()) : data_(AString) {}
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return static_cast<int64_t>(data_.size()); }
  void SetSize(int64_t NewSize) override;
  const AnsiString& DataString() const { return data_; }
  // Up to Count bytes from the position.
  AnsiString ReadString(int Count);
  void WriteString(const AnsiString& AString);

 private:
  AnsiString data_;
  int64_t position_ = 0;
};

// A read-only stream over a resource of a module.
class TResourceStream : public TCustomMemoryStream {
  HV_CLASS(TResourceStream, TCustomMemoryStream)
 public:
  // Raises EResNotFound "Resource %s not found" when the module has no such resource.
  TResourceStream(HINSTANCE Instance, const WideString& ResName, const wchar_t* ResType);
  TResourceStream(HINSTANCE Instance, int ResID, const wchar_t* ResType);
  // Raise EStreamError "Can't write to a read-only resource stream".
  int Write(const void* Buffer, int Count) override;
  void SetSize(int64_t NewSize) override;

 private:
  void Initialize(HINSTANCE Instance, const wchar_t* Name, const wchar_t* ResType, const WideString& shownName);
};
