// The clipboard over the system's clipboard functions.
#include "framework/Clipboard.h"

#include <cstring>
#include <vector>

#include "framework/GlobalMemory.h"
#include "framework/UtilityWindow.h"

namespace {

// Another program may hold the clipboard for a moment (a clipboard viewer reading it).
constexpr int openAttempts = 5;
constexpr DWORD openRetryDelayMs = 20;

std::vector<UINT> ListFormats() {
  std::vector<UINT> formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
  return formats;
}

}  // namespace

HV_PUBLISH(TClipboard) {}

TClipboard::TClipboard() = default;

TClipboard::~TClipboard() {
  if (openCount_ > 0) CloseClipboard();
}

HWND TClipboard::Window() {
  if (!window_) window_ = std::make_unique<TUtilityWindow>(nullptr);
  return window_->Handle();
}

void TClipboard::Open() {
  if (openCount_ == 0) {
    HWND owner = Window();
    DWORD error = 0;
    for (int attempt = 0;; ++attempt) {
      if (OpenClipboard(owner)) break;
      error = GetLastError();
      if (attempt + 1 == openAttempts) {
        WideString reason = error ? SysErrorMessage(error) : WideString();
        throw EClipboardException(reason.empty() ? WideString(L"Cannot open clipboard")
                                                 : L"Cannot open clipboard: " + reason);
      }
      Sleep(openRetryDelayMs);
    }
    emptied_ = false;
  }
  ++openCount_;
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) {
    CloseClipboard();
    emptied_ = false;
  }
}

void TClipboard::Clear() {
  TClipboardSession session(this);
  if (!EmptyClipboard()) RaiseLastOSError();
  emptied_ = true;
}

void TClipboard::Adding() {
  if (!emptied_) Clear();
}

bool TClipboard::HasFormat(UINT Format) const { return IsClipboardFormatAvailable(Format) != FALSE; }

std::string TClipboard::GetBuffer(UINT Format) {
  TClipboardSession session(this);
  HANDLE data = GetClipboardData(Format);
  if (!data) return {};
  TGlobalLock lock(data);
  if (!lock.Data()) return {};
  return std::string(static_cast<const char*>(lock.Data()), lock.Size());
}

void TClipboard::SetBuffer(UINT Format, const void* Data, size_t Size) {
  if (Size == 0) throw EClipboardException("Cannot put an empty block on the clipboard");
  TClipboardSession session(this);
  Adding();
  TGlobalMemory block = TGlobalMemory::Allocate(Size, GMEM_MOVEABLE | GMEM_DDESHARE);
  {
    TGlobalLock lock(block.Get());
    if (!lock.Data()) RaiseLastOSError();
    std::memcpy(lock.Data(), Data, Size);
  }
  if (!SetClipboardData(Format, block.Get())) RaiseLastOSError();
  // The system owns the block now.
  (void)block.Release();
}

AnsiString TClipboard::AsText() {
  std::string bytes = GetBuffer(CF_TEXT);
  // The block need not hold a terminating zero; never read past its end.
  size_t end = bytes.find('\0');
  if (end != std::string::npos) bytes.resize(end);
  return bytes;
}

void TClipboard::SetAsText(const AnsiString& Value) { SetBuffer(CF_TEXT, Value.c_str(), Value.size() + 1); }

WideString TClipboard::AsWideText() {
  std::string bytes = GetBuffer(CF_UNICODETEXT);
  WideString text(bytes.size() / sizeof(wchar_t), L'\0');
  if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  size_t end = text.find(L'\0');
  if (end != WideString::npos) text.resize(end);
  return text;
}

void TClipboard::SetAsWideText(const WideString& Value) {
  SetBuffer(CF_UNICODETEXT, Value.c_str(), (Value.size() + 1) * sizeof(wchar_t));
}

int TClipboard::FormatCount() {
  TClipboardSession session(this);
  return static_cast<int>(ListFormats().size());
}

UINT TClipboard::Formats(int Index) {
  TClipboardSession session(this);
  std::vector<UINT> formats = ListFormats();
  if (Index < 0 || Index >= static_cast<int>(formats.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return formats[static_cast<size_t>(Index)];
}

UINT TClipboard::RegisterFormat(const WideString& Name) {
  UINT format = RegisterClipboardFormatW(Name.c_str());
  if (!format) RaiseLastOSError();
  return format;
}

TClipboardSession::TClipboardSession(TClipboard* Board) : board_(Board) { board_->Open(); }

TClipboardSession::TClipboardSession() : TClipboardSession(Clipboard()) {}

TClipboardSession::~TClipboardSession() { board_->Close(); }

TClipboard* Clipboard() {
  static std::unique_ptr<TClipboard> board = std::make_unique<TClipboard>();
  return board.get();
}
