// The program's start and end outside the main window.
#include "app/Startup.h"

#include "app/Associations.h"
#include "app/CharPalette.h"
#include "app/FilePaths.h"
#include "app/Global.h"
#include "app/Options.h"
#include "foundation/LgLanguage.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/DateTime.h"
#include "framework/Exceptions.h"
#include "framework/FileHandle.h"
#include "framework/FileRoutines.h"
#include "framework/Screen.h"

namespace {

constexpr LONGLONG maxLogSize = 1 << 20;

HCURSOR ProgramCursor(const wchar_t* Name) {
  return static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), Name, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
}

}  // namespace

bool IsUnregisterSwitch(const std::vector<WideString>& Args) {
  if (Args.empty()) return false;
  WideString first = Args[0];
  for (wchar_t& c : first) c = static_cast<wchar_t>(towlower(c));
  return first == L"/unregisterassociations";
}

void CreateDataFolders() {
  for (const WideString& folder : {GetDataFolder(), AppPath(L"Languages\\"), AppPath(L"Highlighters\\")}) {
    try {
      ForceDirectories(folder);
    } catch (const Exception&) {
      // A folder that cannot be made shows later, when a file in it is needed.
    }
  }
}

void InitializeGlobalUnit() {
  Application->SetHintWindowClass(TSafeHintWindow::StaticClassInfo());
  CreateGlobals(DataPath(L"Preferences.ini"), AppPath(L"Highlighters\\"));
  if (HCURSOR zoomIn = ProgramCursor(L"ZOOMIN")) Screen->SetCursors(TCursor(98), zoomIn);
  if (HCURSOR zoomOut = ProgramCursor(L"ZOOMOUT")) Screen->SetCursors(TCursor(99), zoomOut);
  CreateDataFolders();
  LangManager().ScanForLanguageFiles(AppPath(L"Languages"), L"*.lng", false);
  LangManager().SetLanguageID(static_cast<LANGID>(::Options->Language & 0xFFFF));
  if (::Options->RestoreFileAssociationsAtStartUp) {
    try {
      RestoreAssociations();
    } catch (const Exception& e) {
      // Without the rights to write them the program still starts.
      LogError(ErrorLogFile(), e.Message());
    }
  }
}

void FinalizeGlobalUnit() {
  try {
    FreeGlobals();
  } catch (const Exception& e) {
    LogError(ErrorLogFile(), e.Message());
  }
}

bool AppHookMessage(TMessage& Message) {
  if (Message.Msg == CM_APPKEYDOWN || Message.Msg == CM_APPSYSCOMMAND) Message.Msg = 0;
  return false;
}

WideString ErrorLogFile() { return DataPath(L"Errors.log"); }

void LogError(const WideString& LogFile, const WideString& Text) {
  try {
    TFileHandle file =
        TFileHandle::Open(LogFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    if (!file) return;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > maxLogSize) {
      file.Reset();  // closed first: the new handle shares no writing
      file = TFileHandle::Open(LogFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
      if (!file) return;
    }
    WideString line = Text;
    for (wchar_t& c : line)
      if (c == L'\r' || c == L'\n') c = L' ';
    const AnsiString bytes = FormatDateTime("yyyy-mm-dd hh:nn:ss", Now()) + "  " + WideToUtf8(line) + "\r\n";
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  } catch (...) {
    // The log is the last resort; nothing is left to tell of its own failure.
  }
}
