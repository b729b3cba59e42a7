// The instance registry and the single-instance component: object names, the cross-process
// lock, the shared list (ended processes, a full or damaged list), a second real process that
// hands its Unicode command line to this one, and fuzzed messages from another copy.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/ApAppInstances.h"
#include "foundation/UcUnicodeData.h"
#include "foundation/UcWideSys.h"
#include "framework/Application.h"
#include "framework/CodePages.h"

namespace {

TEST(SysAppInstances, ObjectNamesFromThePath) {
  EXPECT_EQ(SysAppInstancesBaseName(L"c:\\Tools\\v\x00E9rdan.exe"), L"SYSC:_TOOLS_V\x00C9RDAN.EXE");
  EXPECT_EQ(SysAppInstancesBaseName(L"C:\\TOOLS\\verdan.exe"), SysAppInstancesBaseName(L"c:\\tools\\Verdan.EXE"));
  // A path that would make the lock's event name too long is hashed to a short, fixed name.
  const WideString deep = L"C:\\" + WideString(300, L'd') + L"\\Verdan.exe";
  const WideString hashed = SysAppInstancesBaseName(deep);
  EXPECT_EQ(hashed.substr(0, 4) + std::to_wstring(hashed.size()), L"SYSH20");
  EXPECT_NE(hashed, SysAppInstancesBaseName(deep + L"x"));
  EXPECT_EQ(hashed, SysAppInstancesBaseName(L"c:\\" + WideString(300, L'D') + L"\\verdan.exe"));
  EXPECT_TRUE(TSysAppInstances(deep).CheckInstance(1));  // the objects of such a path can be made
  EXPECT_EQ(SysAppInstancesBaseName(WideString(MAX_PATH - 20, L'e')).size(), MAX_PATH - 17u);  // still the path
}

TEST(SysOptex, TryEnterRecursionAndADeadHolder) {
  const WideString name = L"HvTestOptex" + std::to_wstring(GetCurrentProcessId());
  TSysOptex lock(name, 0);
  TSysOptex other(name, 0);  // the same lock opened a second time, as another process would
  bool tried = true;
  std::thread([&] { other.Enter(), other.Enter(); }).join();  // ends holding the lock twice
  std::thread([&] { tried = lock.TryEnter(); }).join();
  EXPECT_FALSE(tried);
  lock.Enter();                  // takes over from the ended holder
  EXPECT_TRUE(lock.TryEnter());  // re-entrant
  lock.Leave(), lock.Leave();
  std::thread([&] { tried = other.TryEnter(); }).join();
  EXPECT_TRUE(tried);
}

// A private registry whose shared list the test writes as other processes would.
class SysAppInstancesList : public ::testing::Test {
 protected:
  SysAppInstancesList()
      : path(L"C:\\hv-tests\\" + std::to_wstring(GetCurrentProcessId()) + L"\\" + std::to_wstring(++serial) + L".exe"),
        registry(path),
        mapping(SysAppInstancesBaseName(path) + L"_Map", PAGE_READWRITE, 1032),
        data(static_cast<TSysAppInstances::TInstanceData*>(
            mapping.Views(mapping.Add(FILE_MAP_ALL_ACCESS, 1032, 0))->Memory())) {}
  static inline int serial = 0;
  WideString path;
  TSysAppInstances registry;
  TSysSwapFileMapping mapping;
  TSysAppInstances::TInstanceData* data;
};

bool StartProcess(WideString CommandLine, PROCESS_INFORMATION& Info) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  return CreateProcessW(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &Info);
}

TEST_F(SysAppInstancesList, FirstCopyAndEndedProcesses) {
  EXPECT_TRUE(registry.CheckInstance(2));
  EXPECT_EQ(data->MaxInst, 2);
  EXPECT_EQ(registry.InstanceCount(), 1);
  EXPECT_EQ(registry.ProcessIDs(0) + registry.ProcessIDs(1) + registry.ProcessIDs(-1), GetCurrentProcessId());
  // Two entries of processes that ended: they make no room for anybody and are dropped. This
  // test program, asked to run no test, ends at once.
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartProcess(L"\"" + WideGetModuleFileName(nullptr) + L"\" --gtest_filter=None.None", pi));
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  data->ProcessIDs[1] = pi.dwProcessId;
  data->ProcessIDs[2] = 0x7FFFFFFC;
  data->Count = 3;
  EXPECT_TRUE(registry.CheckInstance(2));  // this process's second entry
  EXPECT_EQ(registry.InstanceCount(), 2);
  EXPECT_FALSE(registry.CheckInstance(2));  // a third: counted, but past the limit
  EXPECT_EQ(registry.InstanceCount(), 3);
  registry.RemoveInstance();
  EXPECT_EQ(registry.InstanceCount(), 2);
}

// Switching to a copy shows its main window (the captioned window its application window owns)
// when it was hidden; its other hidden windows stay hidden.
TEST_F(SysAppInstancesList, SwitchingShowsAHiddenMainWindow) {
  ASSERT_TRUE(registry.CheckInstance(1));
  const HWND app = Application->Handle();  // the window of class "TApplication"
  ASSERT_EQ(registry.AppWnds(0), app);
  HWND popup =
      CreateWindowExW(0, L"STATIC", L"hint", WS_POPUP | WS_BORDER, 0, 0, 20, 20, app, nullptr, nullptr, nullptr);
  HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 200, 100, app, nullptr,
                              nullptr, nullptr);
  ASSERT_TRUE(popup && main);
  ASSERT_FALSE(IsWindowVisible(main));
  registry.SwitchTo(0);
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_FALSE(IsWindowVisible(popup));
  registry.SwitchTo(0);  // shown already: nothing changes
  EXPECT_TRUE(IsWindowVisible(main));
  DestroyWindow(main), DestroyWindow(popup);
  registry.RemoveInstance();
}

// Registering again after leaving: only when no other running copy took the place of the first
// meanwhile, else a file opened from the shell would go to both.
TEST_F(SysAppInstancesList, RegisteringAgainOnlyWhenNoOtherCopyIsListed) {
  // A running process that is not this one: this test program, held before it starts.
  PROCESS_INFORMATION other{};
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  WideString cmd = L"\"" + WideGetModuleFileName(nullptr) + L"\" --gtest_filter=None.None";
  ASSERT_TRUE(
      CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &si, &other));
  const uint32_t me = GetCurrentProcessId(), running = other.dwProcessId, ended = 0x7FFFFFFC;
  struct TCase {
    std::vector<uint32_t> Listed;
    bool Registered;
    std::vector<uint32_t> After;
  } cases[] = {
      {{}, true, {me}},
      {{ended}, true, {me}},
      {{me}, true, {me}},  // never listed twice
      {{running}, false, {running}},
      {{ended, running}, false, {running}},
      {{running, me}, false, {running, me}},
  };
  data->MaxInst = 65535;
  for (const TCase& c : cases) {
    data->Count = static_cast<uint16_t>(c.Listed.size());
    std::copy(c.Listed.begin(), c.Listed.end(), data->ProcessIDs);
    EXPECT_EQ(registry.RegisterIfAlone(), c.Registered) << c.Listed.size();
    EXPECT_EQ(std::vector<uint32_t>(data->ProcessIDs, data->ProcessIDs + data->Count), c.After) << c.Listed.size();
  }
  TerminateProcess(other.hProcess, 0);
  CloseHandle(other.hThread), CloseHandle(other.hProcess);
  data->Count = 0;
}

// While a modal dialog of the copy is open, switching to it brings the dialog forward: the main
// window behind it is disabled and would leave the keyboard nowhere.
TEST_F(SysAppInstancesList, SwitchingBringsAnOpenModalDialogForward) {
  ASSERT_TRUE(registry.CheckInstance(1));
  const HWND app = Application->Handle();
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
  HWND main = CreateWindowExW(0, L"STATIC", L"main", style, 0, 0, 300, 200, app, nullptr, nullptr, nullptr);
  HWND dialog = CreateWindowExW(0, L"STATIC", L"dialog", style, 20, 20, 200, 100, main, nullptr, nullptr, nullptr);
  ASSERT_TRUE(main && dialog);
  for (bool modal : {true, false}) {
    EnableWindow(main, !modal);
    SetForegroundWindow(modal ? main : dialog);
    registry.SwitchTo(0);
    EXPECT_EQ(GetForegroundWindow(), modal ? dialog : app) << modal;
  }
  DestroyWindow(dialog), DestroyWindow(main);
  registry.RemoveInstance();
}

TEST_F(SysAppInstancesList, AFullOrDamagedListIsNeverWrittenPast) {
  data->MaxInst = 65535;
  for (uint32_t& pid : data->ProcessIDs) pid = GetCurrentProcessId();
  for (uint16_t count : {uint16_t(257), uint16_t(60000)}) {
    data->Count = count;
    EXPECT_EQ(registry.InstanceCount(), 257);
    EXPECT_EQ(registry.ProcessIDs(257), 0u);
    EXPECT_FALSE(registry.CheckInstance(65535));  // no room: treated as rejected
    EXPECT_EQ(data->Count, 257);
  }
}

TEST_F(SysAppInstancesList, SendingToAHungCopyGivesUp) {
  EXPECT_TRUE(registry.CheckInstance(5));
  std::atomic<int> state{0};
  std::thread t([&] {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    for (state = 1; state == 1;) Sleep(1);  // never looks at its messages meanwhile
    DestroyWindow(wnd);
  });
  while (state == 0) Sleep(1);
  const UINT saved = std::exchange(TSysAppInstances::SendTimeout, 300);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(registry.SendData(L"Static", 7, "x", 1, nullptr));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  TSysAppInstances::SendTimeout = saved;
  state = 2;
  t.join();
}

int refusedPosts = 0;
BOOL WINAPI RefusePost(DWORD, UINT, WPARAM, LPARAM) {
  ++refusedPosts;
  SetLastError(ERROR_NOT_ENOUGH_QUOTA);
  return FALSE;
}

TEST_F(SysAppInstancesList, ACopyWhoseQueueRefusesIsPassedOverInTheEnd) {
  Application->Handle();  // this process's copy has its application window
  EXPECT_TRUE(registry.CheckInstance(5));
  const auto saved = std::exchange(TSysAppInstances::PostToThread, &RefusePost);
  registry.NotifyInstances(aiUserNotify, 42);
  TSysAppInstances::PostToThread = saved;
  EXPECT_EQ(refusedPosts, TSysAppInstances::PostRetries);
}

// ---- two processes ----

const WideString kArgs[] = {L"\x0444\x0430\x0439\x043B \x4E2D.txt", L"--plain", L"two words"};

// The second copy: rejected, it hands over its command line and ends with code 0; a copy that
// is let run ends with 4 when its query came back inactive.
TEST(ApAppInstancesChild, SecondCopy) {
  if (!GetEnvironmentVariableW(L"HV_INSTANCE_CHILD", nullptr, 0)) GTEST_SKIP() << "the second process only";
  TApAppInstances instances(nullptr);
  instances.Loaded();
  ExitProcess(instances.Active() ? 3 : 4);
}

// What a copy hears from the others.
struct TReceiver {
  std::vector<WideString> Lines{L"stale"};
  std::vector<DWORD> Created;
  std::string Data;
  int Kind = -1, UserParam = 0;
  void CmdLine(TObject*, TStringsW* L) {
    Lines.clear();
    for (int i = 0; i < L->Count(); ++i) Lines.push_back((*L)[i]);
  }
  void InstanceCreated(TObject*, DWORD Pid) { Created.push_back(Pid); }
  void Got(TObject*, int K, const void* D, uint32_t S) {
    Kind = K, Data.assign(static_cast<const char*>(D ? D : ""), S);
  }
  void Notify(TObject*, int P) { UserParam = P; }
  void Listen(TApAppInstances& A) {
    A.OnCmdLineReceived = TCmdLineReceivedEvent(this, &TReceiver::CmdLine);
    A.OnInstanceCreated = TInstanceChangeEvent(this, &TReceiver::InstanceCreated);
    A.OnDataAvailable = TDataAvailableEvent(this, &TReceiver::Got);
    A.OnUserNotify = TUserNotifyEvent(this, &TReceiver::Notify);
  }
};

// Starts the second copy and handles messages until it ends; its exit code.
DWORD RunSecondCopy(DWORD& ChildPid) {
  WideString cmd = L"\"" + WideGetModuleFileName(nullptr) + L"\"";
  for (const WideString& a : kArgs) cmd += L" \"" + a + L"\"";
  SetEnvironmentVariableW(L"HV_INSTANCE_CHILD", L"1"),
      SetEnvironmentVariableW(L"GTEST_FILTER", L"ApAppInstancesChild.*");
  PROCESS_INFORMATION pi{};
  const bool started = StartProcess(cmd, pi);
  SetEnvironmentVariableW(L"HV_INSTANCE_CHILD", nullptr), SetEnvironmentVariableW(L"GTEST_FILTER", nullptr);
  if (!started) return 1000;
  ChildPid = pi.dwProcessId;
  for (int i = 0; i < 600 && MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0; ++i)
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
  DWORD code = 1001;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  return code;
}

TEST(ApAppInstances, SecondCopyHandsOverItsUnicodeCommandLineAndEnds) {
  Application->Handle();  // the window by which the other copy finds this process
  TApAppInstances first(nullptr);
  TReceiver receiver;
  receiver.Listen(first);
  const int before = SysAppInstances().InstanceCount();
  DWORD child = 0;
  EXPECT_EQ(RunSecondCopy(child), 0u);
  EXPECT_EQ(receiver.Lines, std::vector<WideString>(std::begin(kArgs), std::end(kArgs)));
  EXPECT_EQ(receiver.Created, std::vector<DWORD>{child});
  EXPECT_EQ(SysAppInstances().InstanceCount(), before + 1);  // kept until a check finds the copy ended
  EXPECT_EQ(SysAppInstances().ProcessIDs(before), child);
  // An inactive first copy lets the second one run.
  first.SetActive(false);
  receiver.Lines.clear();
  EXPECT_EQ(RunSecondCopy(child), 4u);
  EXPECT_TRUE(receiver.Lines.empty());
}

// A copy that is listed but has no window to take the hand-over (it is ending): the second copy
// reaches nobody with its command line, and runs itself instead of ending with its files lost.
TEST(ApAppInstances, ASecondCopyWhoseHandOverReachesNobodyRuns) {
  Application->Handle();  // listed and with its application window, but no instances window
  bool listed = false;
  for (int i = 0; i < SysAppInstances().InstanceCount(); ++i)
    listed = listed || SysAppInstances().ProcessIDs(i) == GetCurrentProcessId();
  if (!listed) SysAppInstances().CheckInstance(65535);
  const UINT saved = std::exchange(TSysAppInstances::SendTimeout, 300);
  DWORD child = 0;
  EXPECT_EQ(RunSecondCopy(child), 3u) << "the copy runs on (0: it ended, its files handed to nobody)";
  TSysAppInstances::SendTimeout = saved;
  int delivered = -1;
  TStringListW list;
  list.Add(L"x");
  SysAppInstances().SendStrings(TApAppInstances::WindowClassName, SysCmdLineDataKind, &list, nullptr, &delivered);
  EXPECT_EQ(delivered, 0);
  TApAppInstances instances(nullptr);
  SysAppInstances().SendStrings(TApAppInstances::WindowClassName, SysCmdLineDataKind, &list, nullptr, &delivered);
  EXPECT_EQ(delivered, 1) << "the window of a listed copy takes the data";
}

// Names with lone surrogates, which Windows file names may hold, are handed over whole: each
// list sent to a window of the process arrives line for line.
TEST(ApAppInstances, NamesWithLoneSurrogatesArriveWhole) {
  Application->Handle();
  TApAppInstances instances(nullptr);
  TReceiver receiver;
  receiver.Listen(instances);
  const WideString names[] = {L"C:\\a\xD800.txt", L"\xDC00", L"x\xDBFF\xDFFFy\xDFFF", L"\xD83D\xDE00\xD83D",
                              L"\xDFFF\xD800",    L"plain",  L"\x0436\xFFFD"};
  for (size_t i = 0; i < std::size(names); ++i) {
    TStringListW list;
    list.Add(names[i]);
    list.Add(names[(i + 1) % std::size(names)]);
    receiver.Lines = {L"stale"};
    SysAppInstances().SendStrings(TApAppInstances::WindowClassName, SysCmdLineDataKind, &list, nullptr);
    EXPECT_EQ(receiver.Lines, (std::vector<WideString>{list[0], list[1]})) << i;
  }
}

// A component on a designed form has no window for the other copies and never rejects the
// process that edits the form, even past its limit of copies.
TEST(ApAppInstances, ADesignedComponentNeitherListensNorRejects) {
  struct TProbe : TApAppInstances {
    using TApAppInstances::TApAppInstances;
    int Rejected = 0;
    void DoRejected() override {
      ++Rejected;
      KeepRunning();
    }
  };
  TSysAppInstances& registry = SysAppInstances();
  const int before = registry.InstanceCount();
  while (registry.InstanceCount() < 2) registry.CheckInstance(65535);  // this process listed twice
  const struct {
    bool Designing, Window;
    int Rejected;
  } cases[] = {{false, true, 1}, {true, false, 0}};
  for (const auto& c : cases) {
    TComponent form(nullptr);
    form.SetDesigning(c.Designing);
    auto* probe = new TProbe(&form);  // the form frees it
    EXPECT_EQ(probe->Handle() != nullptr, c.Window) << c.Designing;
    probe->Loaded();
    EXPECT_EQ(probe->Rejected, c.Rejected) << c.Designing;
  }
  while (registry.InstanceCount() > before) registry.RemoveInstance();
}

// Every mutated message from another copy ends in its result: the lines of a command line
// exactly as UTF-8 gives them (a lone surrogate's own sequence included), other data byte for byte, nothing from the
// own window.
TEST(ApAppInstances, FuzzedMessagesFromAnotherCopy) {
  TApAppInstances instances(nullptr);
  TReceiver sink;
  sink.Listen(instances);
  std::mt19937 rng(1032);
  for (int round = 0; round < 4000; ++round) {
    std::string bytes(rng() % 64, '\0');
    for (char& c : bytes) c = static_cast<char>(rng() % 4 ? 'a' + rng() % 26 : rng());
    if (rng() % 3 == 0) bytes += "\r\n\xD0\x96\xF0\x9F\x98\x80\xC0";
    if (rng() % 4 == 0) bytes.insert(rng() % (bytes.size() + 1), rng() % 2 ? "\xED\xA0\x80" : "\xED\xBF\xBF");
    COPYDATASTRUCT cds{static_cast<ULONG_PTR>(rng() % 4 == 0 ? rng() : rng() % 3), static_cast<DWORD>(bytes.size()),
                       bytes.empty() && rng() % 2 ? nullptr : bytes.data()};
    const bool own = rng() % 5 == 0;
    TMessage m{WM_COPYDATA, reinterpret_cast<WPARAM>(own ? instances.Handle() : nullptr),
               reinterpret_cast<LPARAM>(&cds), 0};
    sink.Lines = {L"stale"};
    sink.Kind = -1;
    instances.WndProc(m);
    const bool taken = !own && cds.dwData <= 0x7FFFFFFF;
    ASSERT_EQ(m.Result, taken ? 1 : 0);
    TStringListW expected;
    expected.SetText(DecodeUtf8ToWide(bytes));
    if (taken && cds.dwData == 1) {
      ASSERT_EQ(sink.Lines.size(), static_cast<size_t>(expected.Count()));
      for (int i = 0; i < expected.Count(); ++i) ASSERT_EQ(sink.Lines[static_cast<size_t>(i)], expected[i]);
    } else {
      ASSERT_EQ(sink.Kind, taken ? static_cast<int>(cds.dwData) : -1);
      ASSERT_TRUE(!taken || sink.Data == bytes);
    }
    // The registered message with any code and parameter.
    const int param = static_cast<int>(rng());
    TMessage r{SysAppInstances().MessageID(), static_cast<WPARAM>(rng() % 8), param, 0};
    instances.WndProc(r);
    ASSERT_TRUE(r.WParam != aiUserNotify || sink.UserParam == param);
  }
}

}  // namespace
