// The registry of the running copies of one executable: their process ids in a named shared
// block guarded by a cross-process lock, the window message they talk through, and the
// hand-over of data (a command line) to the other copies.
#pragma once

#include <cstdint>
#include <memory>

#include "foundation/SysKernelObjects.h"
#include "framework/Messages.h"
#include "framework/StringLists.h"
#include "framework/Win.h"

// A lock shared by the threads of every process that opens it by name; re-entrant per thread.
// A holder that ended without leaving is detected by a waiter, which takes the lock over.
class TSysOptex {
 public:
  // Without a name the lock is private to the process. A negative spin count means 4000.
  TSysOptex(const WideString& Name, int SpinCount);
  ~TSysOptex();
  TSysOptex(const TSysOptex&) = delete;
  TSysOptex& operator=(const TSysOptex&) = delete;

  void Enter();
  bool TryEnter();
  void Leave();
  bool UniProcessor() const { return SysProcessorCount() <= 1; }
  // How long a waiter sleeps before it looks whether the holder still runs.
  static constexpr DWORD StaleCheckInterval = 100;

 private:
  struct TShared {
    volatile LONG SpinCount;
    volatile LONG LockCount;
    volatile LONG ThreadId;
    volatile LONG RecursionCount;
  };
  static_assert(sizeof(TShared) == 16);
  void TakeOwnership(DWORD Thread);
  bool TakeOverFromDeadHolder(DWORD Thread);

  std::unique_ptr<TSysEvent> event_;
  TShared* shared_ = nullptr;
  TSysHandle mapping_;
  WideString name_;
  bool existed_ = false;
};

// Codes of the registered message (its first parameter).
enum : WPARAM {
  aiInstanceCreated = 1,
  aiInstanceDestroyed = 2,
  aiUserNotify = 3,
  aiQueryActive = 4,
  aiActiveAnswer = 5,
};
// The data kind of a handed-over command line: the parameters as UTF-8, each followed by CR LF.
constexpr int SysCmdLineDataKind = 1;

// The names of one registry's kernel objects are built from B: "Sys" and the executable path,
// upper-cased, with "_" for "\". When the longest name would pass the system's limit, B is
// "SYSH" and a hash of that text.
WideString SysAppInstancesBaseName(const WideString& ExePath);

class TSysAppInstances {
 public:
  static constexpr int MaxEntries = 257;
  // The layout of the shared list.
  struct TInstanceData {
    uint16_t MaxInst;
    uint16_t Count;
    uint32_t ProcessIDs[MaxEntries];
  };
  static_assert(sizeof(TInstanceData) == 1032);

  // The registry of the running executable's copies, or of the copies of ExePath.
  TSysAppInstances();
  explicit TSysAppInstances(const WideString& ExePath);
  // Removes this process and tells the others.
  ~TSysAppInstances();
  TSysAppInstances(const TSysAppInstances&) = delete;
  TSysAppInstances& operator=(const TSysAppInstances&) = delete;

  // Registers this process; true when the copies before it leave room under the limit that the
  // first copy recorded. Entries of ended processes are dropped first; a full list takes no
  // entry and gives false.
  bool CheckInstance(uint16_t MaxInstances);
  // Registers this process again only when no other running copy is listed (one started while
  // this one was away holds the place of the first); true when it did.
  bool RegisterIfAlone();
  int InstanceCount();
  DWORD ProcessIDs(int Index);
  // The "TApplication" window of the process at Index, or 0.
  HWND AppWnds(int Index);
  void SwitchTo(int Index);
  void NotifyInstances(WPARAM Code, LPARAM Param);
  void RemoveInstance();
  // Delivered, when given, counts the listed windows that took the data: a copy that is ending
  // may still be listed while its windows are gone, and then nobody has the data.
  bool SendCmdLineParams(const WideString& WindowClassName, HWND OriginatorWnd, int* Delivered = nullptr);
  // The lines, each followed by CR LF, in UTF-8 that carries a lone surrogate as its own 3-byte
  // sequence, so that any Windows file name arrives whole.
  bool SendStrings(const WideString& WindowClassName, int Kind, TStringsW* Strings, HWND OriginatorWnd,
                   int* Delivered = nullptr);
  bool SendData(const WideString& WindowClassName, int Kind, const void* Data, uint32_t Size, HWND OriginatorWnd,
                int* Delivered = nullptr);

  // Receiving in a window procedure: the data kind of a WM_COPYDATA not sent by
  // IgnoredOriginator (its result set to 1), else -1 (result 0).
  static int ReadMessageCheck(TMessage& Message, HWND IgnoredOriginator);
  // A copy of the bytes (Size 0 gives null).
  static std::unique_ptr<uint8_t[]> ReadMessageData(const TMessage& Message, uint32_t& Size);
  // The bytes as UTF-8 lines, lone surrogates in their own 3-byte sequences taken back.
  static void ReadMessageStrings(const TMessage& Message, TStringsW* Strings);

  UINT MessageID() const { return messageId_; }
  DWORD CurrentProcessId() const { return processId_; }
  const WideString& BaseName() const { return baseName_; }
  TSysOptex& Optex() { return *optex_; }
  // How long another copy may take to answer a sent message (milliseconds).
  static inline UINT SendTimeout = 5000;
  // How many times posting to a copy is tried before it is passed over.
  static constexpr int PostRetries = 50;
  // Posts to another copy's thread: the system's call, replaced by tests that need a queue that
  // refuses messages (Wine's queues never fill).
  static inline BOOL(WINAPI* PostToThread)(DWORD, UINT, WPARAM, LPARAM) = &PostThreadMessageW;

 private:
  void Init(const WideString& ExePath);
  TInstanceData& Data() { return *static_cast<TInstanceData*>(view_->Memory()); }
  int CountLocked();
  void DropEndedLocked();

  DWORD processId_;
  WideString baseName_;
  std::unique_ptr<TSysOptex> optex_;
  std::unique_ptr<TSysSwapFileMapping> mapping_;
  TSysFileMappingView* view_ = nullptr;
  UINT messageId_ = 0;
};

// The registry of the running executable, created on first use and freed at shutdown.
TSysAppInstances& SysAppInstances();

// Sends the message to each window of Thread, waiting at most the registry's timeout for
// each.
void SysSendToThreadWindows(DWORD Thread, UINT Msg, WPARAM WParam, LPARAM LParam);
// Whether the process still runs (true when that cannot be told).
bool SysProcessRuns(DWORD ProcessId);
