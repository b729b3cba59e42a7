// The instance registry: the cross-process lock, the shared list of process ids, notifications
// between the copies and the hand-over of data through WM_COPYDATA.
#include "foundation/SysAppInstances.h"

#include <algorithm>
#include <cstring>

#include "foundation/UcUnicodeData.h"
#include "foundation/UcWideSys.h"

namespace {

bool ThreadRuns(DWORD Thread) {
  TSysHandle h(OpenThread(SYNCHRONIZE, FALSE, Thread));
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(h.Get(), 0) == WAIT_TIMEOUT;
}

uint64_t Fnv1a64(const WideString& S) {
  uint64_t h = 14695981039346656037ULL;
  for (wchar_t c : S) {
    h = (h ^ (c & 0xFF)) * 1099511628211ULL;
    h = (h ^ (c >> 8)) * 1099511628211ULL;
  }
  return h;
}

WideString ClassNameOf(HWND Wnd, int BufferSize) {
  wchar_t buffer[256] = {};
  const int n = GetClassNameW(Wnd, buffer, BufferSize);
  return WideString(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

struct TFindAppWnd {
  DWORD ProcessId;
  HWND Found = nullptr;
};

BOOL CALLBACK FindAppWndProc(HWND Wnd, LPARAM LParam) {
  auto* f = reinterpret_cast<TFindAppWnd*>(LParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid == f->ProcessId && ClassNameOf(Wnd, 14) == L"TApplication") {
    f->Found = Wnd;
    return FALSE;
  }
  return TRUE;
}

// The main window of an application window's thread: a captioned window it owns.
struct TFindOwnedMain {
  HWND Owner;
  HWND Found;
};

BOOL CALLBACK FindOwnedMainProc(HWND Wnd, LPARAM LParam) {
  auto* f = reinterpret_cast<TFindOwnedMain*>(LParam);
  const LONG_PTR style = GetWindowLongPtrW(Wnd, GWL_STYLE), exStyle = GetWindowLongPtrW(Wnd, GWL_EXSTYLE);
  if (GetWindow(Wnd, GW_OWNER) == f->Owner && (style & WS_CAPTION) == WS_CAPTION && !(exStyle & WS_EX_TOOLWINDOW)) {
    f->Found = Wnd;
    return FALSE;
  }
  return TRUE;
}

// The window a modal dialog of the thread disabled the main window for: the topmost visible,
// enabled captioned window of the thread other than the main one.
BOOL CALLBACK FindModalProc(HWND Wnd, LPARAM LParam) {
  auto* f = reinterpret_cast<TFindOwnedMain*>(LParam);
  const LONG_PTR style = GetWindowLongPtrW(Wnd, GWL_STYLE);
  if (Wnd != f->Owner && (style & WS_CAPTION) == WS_CAPTION && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
    f->Found = Wnd;
    return FALSE;
  }
  return TRUE;
}

struct TSendToThread {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
};

BOOL CALLBACK SendToThreadProc(HWND Wnd, LPARAM LParam) {
  auto* s = reinterpret_cast<TSendToThread*>(LParam);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(Wnd, s->Msg, s->WParam, s->LParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, TSysAppInstances::SendTimeout,
                      &result);
  return TRUE;
}

BOOL CALLBACK NotifyThreadProc(HWND Wnd, LPARAM LParam) {
  auto* s = reinterpret_cast<TSendToThread*>(LParam);
  SendNotifyMessageW(Wnd, s->Msg, s->WParam, s->LParam);
  return TRUE;
}

// Holds the optex for a scope.
struct TOptexGuard {
  explicit TOptexGuard(TSysOptex& O) : o(O) { o.Enter(); }
  ~TOptexGuard() { o.Leave(); }
  TSysOptex& o;
};

}  // namespace

// ---- the lock ----

TSysOptex::TSysOptex(const WideString& Name, int SpinCount) : name_(Name) {
  if (Name.empty()) {
    event_ = std::make_unique<TSysEvent>(nullptr, false, false, L"");
    shared_ = new TShared{};
  } else {
    event_ = std::make_unique<TSysEvent>(nullptr, false, false, L"Optex_Event_" + Name);
    existed_ = event_->Existed();
    const WideString mapName = L"Optex_MMF_" + Name;
    mapping_ = TSysHandle(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TShared), mapName.c_str()));
    if (!mapping_) throw ESysFileMappingError(L"Failed to create FileMapping");
    shared_ = static_cast<TShared*>(MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, sizeof(TShared)));
    if (!shared_) throw ESysFileMappingViewError(L"Failed to create FileMappingView");
  }
  if (!UniProcessor()) InterlockedExchange(&shared_->SpinCount, SpinCount < 0 ? 4000 : SpinCount);
}

TSysOptex::~TSysOptex() {
  if (mapping_)
    UnmapViewOfFile(shared_);
  else
    delete shared_;
}

void TSysOptex::TakeOwnership(DWORD Thread) {
  shared_->ThreadId = static_cast<LONG>(Thread);
  shared_->RecursionCount = 1;
}

bool TSysOptex::TryEnter() {
  const DWORD me = GetCurrentThreadId();
  LONG spins = shared_->SpinCount;
  do {
    if (InterlockedCompareExchange(&shared_->LockCount, 1, 0) == 0) {
      TakeOwnership(me);
      return true;
    }
    if (static_cast<DWORD>(shared_->ThreadId) == me) {
      InterlockedIncrement(&shared_->LockCount);
      shared_->RecursionCount = shared_->RecursionCount + 1;
      return true;
    }
  } while (--spins > 0);
  return false;
}

bool TSysOptex::TakeOverFromDeadHolder(DWORD Thread) {
  const LONG holder = shared_->ThreadId;
  if (holder == 0 || ThreadRuns(static_cast<DWORD>(holder))) return false;
  const LONG recursion = shared_->RecursionCount;
  if (InterlockedCompareExchange(&shared_->ThreadId, static_cast<LONG>(Thread), holder) != holder) return false;
  // The dead holder's entries leave the count; this waiter's own stays as the new holder's.
  InterlockedExchangeAdd(&shared_->LockCount, -recursion);
  shared_->RecursionCount = 1;
  return true;
}

void TSysOptex::Enter() {
  if (TryEnter()) return;
  const DWORD me = GetCurrentThreadId();
  if (InterlockedIncrement(&shared_->LockCount) == 1) {
    TakeOwnership(me);
    return;
  }
  if (static_cast<DWORD>(shared_->ThreadId) == me) {
    shared_->RecursionCount = shared_->RecursionCount + 1;
    return;
  }
  for (;;) {
    const TSysWaitResult r = event_->WaitFor(StaleCheckInterval);
    if (r == wrSignaled || r == wrAbandoned) {
      TakeOwnership(me);
      return;
    }
    if (TakeOverFromDeadHolder(me)) return;
  }
}

void TSysOptex::Leave() {
  shared_->RecursionCount = shared_->RecursionCount - 1;
  if (shared_->RecursionCount > 0) {
    InterlockedDecrement(&shared_->LockCount);
  } else {
    shared_->ThreadId = 0;
    if (InterlockedDecrement(&shared_->LockCount) > 0) event_->SetEvent();
  }
}

// ---- names ----

WideString SysAppInstancesBaseName(const WideString& ExePath) {
  WideString base = L"Sys" + ExePath;
  CharUpperBuffW(base.data(), static_cast<DWORD>(base.size()));
  for (wchar_t& c : base)
    if (c == L'\\') c = L'_';
  // "Optex_Event_" + B + "_Otx" is the longest name; a message name may hold 255 characters.
  if (base.size() + 16 >= MAX_PATH) {
    const uint64_t h = Fnv1a64(base);
    base = L"SYSH";
    for (int shift = 60; shift >= 0; shift -= 4) base += L"0123456789ABCDEF"[(h >> shift) & 15];
  }
  return base;
}

// ---- the registry ----

TSysAppInstances::TSysAppInstances() { Init(WideGetModuleFileName(nullptr)); }

TSysAppInstances::TSysAppInstances(const WideString& ExePath) { Init(ExePath); }

void TSysAppInstances::Init(const WideString& ExePath) {
  processId_ = GetCurrentProcessId();
  baseName_ = SysAppInstancesBaseName(ExePath);
  optex_ = std::make_unique<TSysOptex>(baseName_ + L"_Otx", 4000);
  {
    TOptexGuard guard(*optex_);
    mapping_ = std::make_unique<TSysSwapFileMapping>(baseName_ + L"_Map", PAGE_READWRITE, sizeof(TInstanceData));
    view_ = mapping_->Views(mapping_->Add(FILE_MAP_ALL_ACCESS, sizeof(TInstanceData), 0));
    if (!mapping_->Existed()) std::memset(view_->Memory(), 0, sizeof(TInstanceData));
  }
  messageId_ = RegisterWindowMessageW((baseName_ + L"_Msg").c_str());
}

TSysAppInstances::~TSysAppInstances() {
  try {
    RemoveInstance();
  } catch (...) {
    // Shutting down: the other copies drop this entry themselves once the process is gone.
  }
}

int TSysAppInstances::CountLocked() { return std::min<int>(Data().Count, MaxEntries); }

void TSysAppInstances::DropEndedLocked() {
  TInstanceData& d = Data();
  int kept = 0;
  for (int i = 0, n = CountLocked(); i < n; ++i)
    if (d.ProcessIDs[i] == processId_ || SysProcessRuns(d.ProcessIDs[i])) d.ProcessIDs[kept++] = d.ProcessIDs[i];
  d.Count = static_cast<uint16_t>(kept);
}

bool SysProcessRuns(DWORD ProcessId) {
  TSysHandle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, ProcessId));
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  return !GetExitCodeProcess(h.Get(), &code) || code == STILL_ACTIVE;
}

bool TSysAppInstances::CheckInstance(uint16_t MaxInstances) {
  bool result;
  {
    TOptexGuard guard(*optex_);
    TInstanceData& d = Data();
    if (d.MaxInst == 0) d.MaxInst = MaxInstances;
    DropEndedLocked();
    result = d.Count < d.MaxInst && d.Count < MaxEntries;
    if (d.Count < MaxEntries) d.ProcessIDs[d.Count++] = processId_;
  }
  if (result) NotifyInstances(aiInstanceCreated, static_cast<LPARAM>(processId_));
  return result;
}

bool TSysAppInstances::RegisterIfAlone() {
  {
    TOptexGuard guard(*optex_);
    TInstanceData& d = Data();
    DropEndedLocked();
    for (int i = 0, n = CountLocked(); i < n; ++i)
      if (d.ProcessIDs[i] != processId_) return false;
    if (d.Count == 0) d.ProcessIDs[d.Count++] = processId_;
  }
  NotifyInstances(aiInstanceCreated, static_cast<LPARAM>(processId_));
  return true;
}

int TSysAppInstances::InstanceCount() {
  TOptexGuard guard(*optex_);
  return CountLocked();
}

DWORD TSysAppInstances::ProcessIDs(int Index) {
  TOptexGuard guard(*optex_);
  return Index >= 0 && Index < CountLocked() ? Data().ProcessIDs[Index] : 0;
}

HWND TSysAppInstances::AppWnds(int Index) {
  TFindAppWnd find{ProcessIDs(Index)};
  if (find.ProcessId == 0) return nullptr;
  EnumWindows(&FindAppWndProc, reinterpret_cast<LPARAM>(&find));
  return find.Found;
}

void TSysAppInstances::SwitchTo(int Index) {
  HWND wnd = AppWnds(Index);
  if (!wnd) return;
  // A copy whose main window was hidden (closed for a session end that did not come) is shown:
  // the running copy must never be one the user cannot see.
  TFindOwnedMain main{wnd, nullptr};
  EnumThreadWindows(GetWindowThreadProcessId(wnd, nullptr), &FindOwnedMainProc, reinterpret_cast<LPARAM>(&main));
  if (main.Found && !IsWindowVisible(main.Found)) ShowWindow(main.Found, SW_SHOW);
  if (IsIconic(wnd)) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0, SMTO_ABORTIFHUNG, SendTimeout, &r);
  }
  // While a modal dialog is open its window comes to the front, with the keyboard: the disabled
  // window behind it would take neither.
  if (main.Found && !IsWindowEnabled(main.Found)) {
    TFindOwnedMain modal{main.Found, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(wnd, nullptr), &FindModalProc, reinterpret_cast<LPARAM>(&modal));
    if (modal.Found) wnd = modal.Found;
  }
  HWND foreground = GetForegroundWindow();
  if (foreground == wnd) return;
  const DWORD foreThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
  const DWORD wndThread = GetWindowThreadProcessId(wnd, nullptr);
  if (foreThread && foreThread != wndThread) {
    AttachThreadInput(foreThread, wndThread, TRUE);
    const BOOL done = SetForegroundWindow(wnd);
    AttachThreadInput(foreThread, wndThread, FALSE);
    if (done) SetForegroundWindow(wnd);
  } else {
    SetForegroundWindow(wnd);
  }
}

void TSysAppInstances::NotifyInstances(WPARAM Code, LPARAM Param) {
  TOptexGuard guard(*optex_);
  TSendToThread send{messageId_, Code, Param};
  for (int i = 0, n = CountLocked(); i < n; ++i) {
    HWND wnd = AppWnds(i);
    if (!wnd) continue;
    const DWORD thread = GetWindowThreadProcessId(wnd, nullptr);
    // A copy whose queue stays full, or that may not be posted to, is passed over in the end.
    for (int tries = 0; tries < PostRetries; ++tries) {
      if (PostToThread(thread, messageId_, Code, Param)) break;
      if (GetLastError() == ERROR_INVALID_THREAD_ID) break;
      Sleep(1);
    }
    EnumThreadWindows(thread, &NotifyThreadProc, reinterpret_cast<LPARAM>(&send));
  }
}

void TSysAppInstances::RemoveInstance() {
  bool found = false;
  {
    TOptexGuard guard(*optex_);
    TInstanceData& d = Data();
    const int n = CountLocked();
    for (int i = 0; i < n && !found; ++i) {
      if (d.ProcessIDs[i] != processId_) continue;
      std::memmove(&d.ProcessIDs[i], &d.ProcessIDs[i + 1], sizeof(uint32_t) * static_cast<size_t>(n - i - 1));
      d.Count = static_cast<uint16_t>(n - 1);
      found = true;
    }
  }
  NotifyInstances(aiInstanceDestroyed, static_cast<LPARAM>(processId_));
}

namespace {
struct TSendDataCtx {
  TSysAppInstances* Self;
  const WideString* ClassName;
  COPYDATASTRUCT Data;
  HWND Originator;
  int Delivered = 0;
};

BOOL CALLBACK SendDataProc(HWND Wnd, LPARAM LParam) {
  auto* c = reinterpret_cast<TSendDataCtx*>(LParam);
  if (ClassNameOf(Wnd, 201) != *c->ClassName) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  bool listed = false;
  for (int i = 0, n = c->Self->InstanceCount(); i < n && !listed; ++i) listed = c->Self->ProcessIDs(i) == pid;
  if (listed) {
    DWORD_PTR result = 0;
    SetLastError(0);
    const bool answered = SendMessageTimeoutW(Wnd, WM_COPYDATA, reinterpret_cast<WPARAM>(c->Originator),
                                              reinterpret_cast<LPARAM>(&c->Data), SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                              TSysAppInstances::SendTimeout, &result) != 0;
    // A copy that is busy (opening what it was sent, a box up) may still take the data: only a
    // window that is gone or refused it counts as not reached.
    if ((answered && result != 0) || (!answered && GetLastError() == ERROR_TIMEOUT)) ++c->Delivered;
  }
  return TRUE;
}
}  // namespace

bool TSysAppInstances::SendData(const WideString& WindowClassName, int Kind, const void* Data, uint32_t Size,
                                HWND OriginatorWnd, int* Delivered) {
  TSendDataCtx ctx{this, &WindowClassName, {}, OriginatorWnd};
  ctx.Data.dwData = static_cast<ULONG_PTR>(Kind);
  ctx.Data.cbData = Size;
  ctx.Data.lpData = const_cast<void*>(Data);
  const bool result = EnumWindows(&SendDataProc, reinterpret_cast<LPARAM>(&ctx)) != FALSE;
  if (Delivered) *Delivered = ctx.Delivered;
  return result;
}

bool TSysAppInstances::SendStrings(const WideString& WindowClassName, int Kind, TStringsW* Strings, HWND OriginatorWnd,
                                   int* Delivered) {
  // A lone surrogate, allowed in a Windows file name, goes as its own 3-byte sequence: strict
  // UTF-8 would put U+FFFD in its place, and the name would no longer open.
  const std::string bytes = EncodeWideToUtf8(Strings->Text());
  return SendData(WindowClassName, Kind, bytes.data(), static_cast<uint32_t>(bytes.size()), OriginatorWnd, Delivered);
}

bool TSysAppInstances::SendCmdLineParams(const WideString& WindowClassName, HWND OriginatorWnd, int* Delivered) {
  TStringListW params;
  for (int i = 1;; ++i) {
    const WideString p = WideParamStr(i);
    if (p.empty()) break;
    params.Add(p);
  }
  return SendStrings(WindowClassName, SysCmdLineDataKind, &params, OriginatorWnd, Delivered);
}

int TSysAppInstances::ReadMessageCheck(TMessage& Message, HWND IgnoredOriginator) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
  if (Message.Msg == WM_COPYDATA && data && reinterpret_cast<HWND>(Message.WParam) != IgnoredOriginator &&
      (data->cbData == 0 || data->lpData) && data->dwData <= 0x7FFFFFFF) {
    Message.Result = 1;
    return static_cast<int>(data->dwData);
  }
  Message.Result = 0;
  return -1;
}

std::unique_ptr<uint8_t[]> TSysAppInstances::ReadMessageData(const TMessage& Message, uint32_t& Size) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
  Size = data && data->lpData ? data->cbData : 0;
  if (Size == 0) return nullptr;
  auto copy = std::make_unique<uint8_t[]>(Size);
  std::memcpy(copy.get(), data->lpData, Size);
  return copy;
}

void TSysAppInstances::ReadMessageStrings(const TMessage& Message, TStringsW* Strings) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
  const size_t size = data && data->lpData ? data->cbData : 0;
  Strings->SetText(size ? DecodeUtf8ToWide(std::string(static_cast<const char*>(data->lpData), size)) : L"");
}

TSysAppInstances& SysAppInstances() {
  static TSysAppInstances registry;
  return registry;
}

void SysSendToThreadWindows(DWORD Thread, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TSendToThread send{Msg, WParam, LParam};
  EnumThreadWindows(Thread, &SendToThreadProc, reinterpret_cast<LPARAM>(&send));
}
