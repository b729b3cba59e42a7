// The program as a person starts it: Verdan.exe shows its sizeable main window, whole, with the
// file named; a second copy hands its file to the running one and ends; closing ends with code 0
// and leaves the settings in the data folder.
#include <gtest/gtest.h>

#include <cwchar>
#include <initializer_list>
#include <string>
#include <vector>

#include "foundation/SysAppInstances.h"
#include "framework/CodePages.h"
#include "framework/ScopeGuards.h"
#include "tests/app/AppTestSupport.h"
#include "tests/framework/TestFiles.h"

namespace {

struct TSearch {
  DWORD ProcessId;
  const wchar_t* ClassName;
  HWND Found = nullptr;
  int Editors = 0;
};

std::wstring ClassOf(HWND Wnd) {
  wchar_t name[64] = {};
  GetClassNameW(Wnd, name, 64);
  return name;
}

BOOL CALLBACK FindWindowOfClass(HWND W, LPARAM P) {
  auto* s = reinterpret_cast<TSearch*>(P);
  DWORD pid = 0;
  GetWindowThreadProcessId(W, &pid);
  if (pid == s->ProcessId && ClassOf(W) == s->ClassName && (IsWindowVisible(W) || ClassOf(W) == L"TApplication"))
    s->Found = W;
  return !s->Found;
}

BOOL CALLBACK CountEditors(HWND W, LPARAM P) {
  reinterpret_cast<TSearch*>(P)->Editors += ClassOf(W) == L"TTxtEdit";
  return TRUE;
}

// The classes of the visible windows, each between ";".
BOOL CALLBACK ListChildren(HWND W, LPARAM P) {
  if (IsWindowVisible(W)) *reinterpret_cast<std::wstring*>(P) += ClassOf(W) + L";";
  return TRUE;
}

int Count(const std::wstring& Text, const std::wstring& Part) {
  int n = 0;
  for (size_t at = Text.find(Part); at != std::wstring::npos; at = Text.find(Part, at + 1)) ++n;
  return n;
}

HWND FindProcessWindow(DWORD ProcessId, const wchar_t* ClassName) {
  TSearch s{ProcessId, ClassName};
  EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

// Waits until the visible main window holds the editors wanted; returns their number (-1: no window).
int WaitForEditors(TProcess& P, int Wanted) {
  int n = -1;
  for (int i = 0; i < 400 && n != Wanted; ++i) {
    TSearch s{P.Info.dwProcessId, L"TMainForm"};
    EnumWindows(FindWindowOfClass, reinterpret_cast<LPARAM>(&s));
    if (s.Found) EnumChildWindows(s.Found, CountEditors, reinterpret_cast<LPARAM>(&s));
    n = s.Found ? s.Editors : -1;
    if (n != Wanted && WaitForSingleObject(P.Info.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  return n;
}

TEST(ProgramInstance, ASecondCopyHandsItsFileToTheFirstAndBothEndWithCodeZero) {
  TTestFolder folder;
  // A data folder beside the program, empty, as a new user's is: it is the one the program uses.
  const WideString data = BuildPath(L"app\\Data\\");
  DeleteTree(data);
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  TScopeExit removeData([&] { DeleteTree(data); });
  const WideString first = folder.Write(L"one.txt", "one\r\ntwo\r\n");
  const WideString file = folder.Write(L"\x0444\x0430\x0439\x043B.txt", "");
  TProcess running(L"app\\Verdan.exe", L" \"" + first + L"\"");
  ASSERT_EQ(WaitForEditors(running, 1), 1) << "the first copy shows its file";
  HWND main = FindProcessWindow(running.Info.dwProcessId, L"TMainForm");
  wchar_t caption[256] = {};
  GetWindowTextW(main, caption, 256);
  EXPECT_NE(std::wstring(caption).find(L"Halcorn Verdan"), std::wstring::npos);
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE((style & WS_THICKFRAME) && (style & WS_MAXIMIZEBOX)) << "the main window is sizeable";
  // The whole window: the docks with the menu bar, the main toolbar and the tab bar, the status bar.
  std::wstring parts = L";";
  EnumChildWindows(main, ListChildren, reinterpret_cast<LPARAM>(&parts));
  EXPECT_EQ(Count(parts, L";TSkinToolbar;"), 2) << WideToUtf8(parts);
  EXPECT_EQ(Count(parts, L";TDocumentTabBar;"), 1) << WideToUtf8(parts);
  EXPECT_EQ(Count(parts, L";TUiStatusBar;"), 1) << WideToUtf8(parts);
  // Other copies find this one by its application window.
  EXPECT_NE(FindProcessWindow(running.Info.dwProcessId, L"TApplication"), nullptr);
  TProcess second(L"app\\Verdan.exe", L" \"" + file + L"\"");
  EXPECT_EQ(second.ExitCode(), 0u) << "the second copy ends";
  EXPECT_EQ(WaitForEditors(running, 2), 2) << "the first copy opened the handed-over file";
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(running.ExitCode(), 0u);
  for (const wchar_t* name : {L"Preferences.ini", L"Toolbars.ini", L"Shortcuts.ini", L"LastDocuments.dat"})
    EXPECT_TRUE(FileExists(data + name)) << WideToUtf8(name);
}

BOOL CALLBACK AddEditor(HWND W, LPARAM P) {
  if (ClassOf(W) == L"TTxtEdit") reinterpret_cast<std::vector<HWND>*>(P)->push_back(W);
  return TRUE;
}

// The edit windows of the process's visible main window, or none.
std::vector<HWND> EditorsOf(DWORD ProcessId) {
  std::vector<HWND> editors;
  HWND main = FindProcessWindow(ProcessId, L"TMainForm");
  if (!main) return editors;
  EnumChildWindows(main, AddEditor, reinterpret_cast<LPARAM>(&editors));
  return editors;
}

// Waits until a visible message box of the process shows; null when none came within 20 s.
HWND WaitForBox(TProcess& P) {
  for (int i = 0; i < 400; ++i) {
    if (HWND box = FindProcessWindow(P.Info.dwProcessId, L"#32770")) return box;
    if (WaitForSingleObject(P.Info.hProcess, 50) == WAIT_OBJECT_0) break;
  }
  return nullptr;
}

// A data folder beside the program, empty, as a new user's is: it is the one the program uses.
struct TFreshDataFolder {
  WideString Path = BuildPath(L"app\\Data\\");
  TFreshDataFolder() {
    DeleteTree(Path);
    CreateDirectoryW(Path.c_str(), nullptr);
  }
  ~TFreshDataFolder() { DeleteTree(Path); }
};

// A second copy started in another folder names its file relative to that folder: the running
// copy, whose current folder is another, opens that very file.
TEST(ProgramInstance, ASecondCopyInAnotherFolderHandsOverItsOwnFile) {
  TFreshDataFolder data;
  TTestFolder folder;
  const WideString first = folder.Write(L"one.txt", "one");
  const WideString other = folder.File(L"other");
  ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
  folder.Write(L"other\\two.txt", "two");
  TProcess running(L"app\\Verdan.exe", L" \"" + first + L"\"", folder.Path());
  ASSERT_EQ(WaitForEditors(running, 1), 1);
  TProcess second(L"app\\Verdan.exe", L" two.txt", other);
  EXPECT_EQ(second.ExitCode(), 0u) << "the second copy ends";
  EXPECT_EQ(WaitForEditors(running, 2), 2) << "the running copy opened other\\two.txt";
  HWND main = FindProcessWindow(running.Info.dwProcessId, L"TMainForm");
  // The caption follows the active document once the window is idle.
  wchar_t caption[256] = {};
  for (int i = 0; i < 400 && !std::wcsstr(caption, L"two.txt"); ++i) {
    if (i) Sleep(50);
    GetWindowTextW(main, caption, 256);
  }
  EXPECT_NE(std::wstring(caption).find(L"two.txt"), std::wstring::npos) << WideToUtf8(caption);
  EXPECT_EQ(FindProcessWindow(running.Info.dwProcessId, L"#32770"), nullptr) << "no box: nothing was missing";
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(running.ExitCode(), 0u);
}

// A fresh data folder, a test folder, and a copy of the program showing the folder's "one.txt".
struct TRunningCopy {
  TFreshDataFolder Data;
  TTestFolder Folder;
  TProcess Running;
  TRunningCopy() : Running(L"app\\Verdan.exe", L" \"" + Folder.Write(L"one.txt", "one") + L"\"") {}
  // The command line of a copy started with a new file of the folder.
  WideString Opening(const wchar_t* Name) { return L" \"" + Folder.Write(Name, "text") + L"\""; }
};

// A change typed into the copy's only document and the window closed: the question about the
// change that shows, or null.
HWND AskToClose(TProcess& P) {
  const std::vector<HWND> editors = EditorsOf(P.Info.dwProcessId);
  if (editors.size() != 1) return nullptr;
  PostMessageW(editors[0], WM_CHAR, L'x', 0);
  PostMessageW(FindProcessWindow(P.Info.dwProcessId, L"TMainForm"), WM_CLOSE, 0, 0);
  return WaitForBox(P);
}

// The question answered Cancel: the window stays with its document.
void CancelTheClose(TProcess& P, HWND Box) {
  PostMessageW(Box, WM_COMMAND, IDCANCEL, 0);
  for (int i = 0; i < 400 && IsWindow(Box); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(Box));
  EXPECT_EQ(WaitForEditors(P, 1), 1) << "the cancelled exit keeps the window and its document";
}

// A copy started while the running one is closing (here held by its question about unsaved
// changes) does not hand its file to a window that is going: it runs as the first copy itself.
TEST(ProgramInstance, ACopyStartedWhileTheFirstClosesOpensItsFileItself) {
  TRunningCopy copy;
  ASSERT_EQ(WaitForEditors(copy.Running, 1), 1);
  ASSERT_NE(AskToClose(copy.Running), nullptr) << "the running copy asks about the change";
  TProcess second(L"app\\Verdan.exe", copy.Opening(L"two.txt"));
  EXPECT_EQ(WaitForEditors(second, 1), 1) << "the new copy shows its own file";
  EXPECT_EQ(EditorsOf(copy.Running.Info.dwProcessId).size(), 1u) << "nothing was handed to the closing copy";
}

// A file opened from the shell after a cancelled exit goes to the window again.
TEST(ProgramInstance, AfterExitIsCancelledTheWindowTakesHandOversAgain) {
  TRunningCopy copy;
  ASSERT_EQ(WaitForEditors(copy.Running, 1), 1);
  HWND box = AskToClose(copy.Running);
  ASSERT_NE(box, nullptr) << "the copy asks about the change";
  CancelTheClose(copy.Running, box);
  TProcess second(L"app\\Verdan.exe", copy.Opening(L"two.txt"));
  EXPECT_EQ(second.ExitCode(), 0u) << "the second copy hands its file over and ends";
  EXPECT_EQ(WaitForEditors(copy.Running, 2), 2);
}

// A copy started while the exit's question was up runs as the first; after the question is
// cancelled the window stays with its unsaved document, and a file opened later goes to that
// copy alone: two windows never hold the same file unawares.
TEST(ProgramInstance, ACancelledExitLeavesTheFirstPlaceToTheCopyStartedMeanwhile) {
  TRunningCopy copy;
  ASSERT_EQ(WaitForEditors(copy.Running, 1), 1);
  HWND box = AskToClose(copy.Running);
  ASSERT_NE(box, nullptr) << "the copy asks about the change";
  TProcess second(L"app\\Verdan.exe", copy.Opening(L"two.txt"));
  ASSERT_EQ(WaitForEditors(second, 1), 1) << "the copy started meanwhile runs";
  CancelTheClose(copy.Running, box);
  TProcess third(L"app\\Verdan.exe", copy.Opening(L"three.txt"));
  EXPECT_EQ(third.ExitCode(), 0u) << "the third copy hands its file over and ends";
  EXPECT_EQ(WaitForEditors(second, 2), 2) << "the first copy in the list took the file";
  EXPECT_EQ(EditorsOf(copy.Running.Info.dwProcessId).size(), 1u) << "the window with unsaved work took nothing";
  PostMessageW(FindProcessWindow(second.Info.dwProcessId, L"TMainForm"), WM_CLOSE, 0, 0);
  EXPECT_EQ(second.ExitCode(), 0u);
}

// A session end that is cancelled after the close query agreed shows the window again, and it
// takes files opened from the shell as before.
TEST(ProgramInstance, AfterACancelledSessionEndTheWindowTakesHandOversAgain) {
  TRunningCopy copy;
  ASSERT_EQ(WaitForEditors(copy.Running, 1), 1);
  HWND app = FindProcessWindow(copy.Running.Info.dwProcessId, L"TApplication");
  ASSERT_NE(app, nullptr);
  DWORD_PTR agreed = 0;
  ASSERT_TRUE(SendMessageTimeoutW(app, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 20000, &agreed));
  ASSERT_EQ(agreed, 1u) << "nothing unsaved: the copy agrees to end";
  DWORD_PTR ignored = 0;
  ASSERT_TRUE(SendMessageTimeoutW(app, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 20000, &ignored));
  ASSERT_EQ(WaitForEditors(copy.Running, 1), 1) << "the window shows again";
  TProcess second(L"app\\Verdan.exe", copy.Opening(L"two.txt"));
  EXPECT_EQ(second.ExitCode(), 0u) << "the second copy hands its file over and ends";
  EXPECT_EQ(WaitForEditors(copy.Running, 2), 2);
}

// Presses (Down) or lets go of the keys, as the keyboard would, for the window in front.
void PressKeys(std::initializer_list<WORD> Keys, bool Down) {
  std::vector<INPUT> inputs;
  for (WORD key : Keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = Down ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A copy started right after the one before was ended by Alt+F4 opens its files and stays.
// Under Wine the key-ups of that Alt+F4 can be lost with the ended copy's window, and the new
// copy's window then gets the keys as repeats of a press it never saw; they must not close it
// nor its boxes.
TEST(ProgramInstance, AQuickRestartAfterAltF4OpensItsFilesAndStays) {
  TRunningCopy copy;
  ASSERT_EQ(WaitForEditors(copy.Running, 1), 1);
  TScopeExit letGo([] { PressKeys({VK_F4, VK_MENU}, false); });
  PressKeys({VK_MENU, VK_F4}, true);  // held: the key-ups are lost
  ASSERT_EQ(copy.Running.ExitCode(), 0u) << "Alt+F4 ends the copy";
  TProcess after(L"app\\Verdan.exe", copy.Opening(L"two.txt"));
  ASSERT_EQ(WaitForEditors(after, 1), 1) << "the new copy shows its file";
  PressKeys({VK_F4}, true);  // a repeat, as the held key gives
  // A change typed after the keys: the close asked next has a question to ask only if the
  // keys left the window open.
  ASSERT_NE(AskToClose(after), nullptr) << "the keys of the copy before closed the new one";
  // The box in front gets the held key too; Alt+F4 would answer it Cancel.
  PressKeys({VK_F4}, true);
  PostMessageW(FindProcessWindow(after.Info.dwProcessId, L"#32770"), WM_COMMAND, IDNO, 0);
  EXPECT_EQ(after.ExitCode(), 0u);
}

// A copy started the moment the first one ended can still find it listed, with no window left to
// take its files: it opens them itself instead of ending with nothing shown.
TEST(ProgramInstance, ACopyWhoseHandOverReachesNobodyOpensItsFileItself) {
  TFreshDataFolder data;
  TTestFolder folder;
  const WideString file = folder.Write(L"alone.txt", "alone");
  // This process stands for the ending copy: listed under the program's name, without windows
  // that take a hand-over.
  TSysAppInstances ending(BuildPath(L"app\\Verdan.exe"));
  ASSERT_TRUE(ending.CheckInstance(65535));
  TProcess second(L"app\\Verdan.exe", L" \"" + file + L"\"");
  EXPECT_EQ(WaitForEditors(second, 1), 1) << "the new copy shows its own file";
  ending.RemoveInstance();
  PostMessageW(FindProcessWindow(second.Info.dwProcessId, L"TMainForm"), WM_CLOSE, 0, 0);
  EXPECT_EQ(second.ExitCode(), 0u);
}

// The text of a message box of the process.
std::wstring BoxText(HWND Box) {
  wchar_t text[2048] = {};
  GetDlgItemTextW(Box, 0xFFFF, text, 2048);
  return text;
}

// The program as a person ends it, with each file the exit writes refused in turn (a folder of its
// name stands in the data folder): one message names the file, and after its OK the process
// ends instead of running on without a window.
TEST(ProgramInstance, ARefusedSettingsFileAtExitIsToldOnceAndTheProgramEnds) {
  for (const wchar_t* refused : {L"LastDocuments.dat", L"Preferences.ini", L"Toolbars.ini", L"Shortcuts.ini"}) {
    TFreshDataFolder data;
    ASSERT_TRUE(CreateDirectoryW((data.Path + refused).c_str(), nullptr));
    TTestFolder folder;
    TProcess running(L"app\\Verdan.exe", L" \"" + folder.Write(L"one.txt", "one") + L"\"");
    ASSERT_EQ(WaitForEditors(running, 1), 1) << WideToUtf8(refused);
    PostMessageW(FindProcessWindow(running.Info.dwProcessId, L"TMainForm"), WM_CLOSE, 0, 0);
    int told = 0;
    while (HWND box = WaitForBox(running)) {
      const std::wstring text = BoxText(box);
      told += Count(text, refused);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
    }
    EXPECT_EQ(told, 1) << WideToUtf8(refused);
    EXPECT_EQ(WaitForSingleObject(running.Info.hProcess, 0), WAIT_OBJECT_0) << WideToUtf8(refused) << " ended";
    EXPECT_EQ(running.ExitCode(), 0u) << WideToUtf8(refused);
  }
}

}  // namespace
