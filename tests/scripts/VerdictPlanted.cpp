// A test program that stands in for the real ones when the test command's verdict is checked.
// Its first argument says how its run ends:
//   (none)         untouched: its tests pass, one of them after a copy of itself ran;
//   fails          one test fails;
//   code3          its summary is printed, then the program ends with code 3;
//   early0         the first test ends the process with code 0 from another thread;
//   copy-early0    a copy of itself prints its own summary, then the process ends with code 0
//                  from another thread before its own summary;
//   copy-report    the same, but the copy is handed this run's report option and writes the
//                  report in its place.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

namespace {

std::string way;
std::wstring reportOption;  // this run's --gtest_output option as it was given, or empty

// This program started again with the arguments; its exit code.
DWORD RunCopy(const std::wstring& Arguments) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" " + Arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1000;
  DWORD code = 1001;
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread), CloseHandle(pi.hProcess);
  return code;
}

// Ends the whole process with code 0 from another thread, as a crash there can under Wine.
[[noreturn]] void EndFromAnotherThread() {
  std::thread([] { ExitProcess(0); }).join();
  for (;;) Sleep(1000);
}

TEST(Planted, First) {
  if (way == "early0") EndFromAnotherThread();
  EXPECT_EQ(2 + 2, 4);
}

TEST(Planted, RunsACopyOfItself) {
  std::wstring arguments = L"--gtest_filter=None.None";
  if (way == "copy-report") arguments = L"--gtest_filter=Planted.First " + reportOption;
  EXPECT_EQ(RunCopy(arguments), 0u);
  if (way == "copy-early0" || way == "copy-report") EndFromAnotherThread();
}

TEST(Planted, Last) { EXPECT_NE(way, "fails") << "planted failure"; }

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--gtest_output=", 0) == 0) reportOption = std::wstring(a.begin(), a.end());
  }
  testing::InitGoogleTest(&argc, argv);
  if (argc > 1) way = argv[1];
  const int result = RUN_ALL_TESTS();
  return way == "code3" && !GTEST_FLAG_GET(list_tests) ? 3 : result;
}
