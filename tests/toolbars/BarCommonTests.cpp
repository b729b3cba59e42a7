// Support routines of the toolbar units: settings, monitors, caption text, rotated text,
// printing windows, queues and lists.
#include <gtest/gtest.h>

#include <random>

#include "framework/Graphics.h"
#include "tests/toolbars/BarTestSupport.h"
#include "toolbars/BarCommon.h"

namespace {

const wchar_t* const TestKey = L"Software\\HalcornVerdanTests\\Toolbars";

// Writes the value (or deletes it for a null Data) and reads the delay back.
int DelayFor(DWORD Type, const void* Data, DWORD Size) {
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (Data)
    RegSetValueExW(key, L"MenuShowDelay", 0, Type, static_cast<const BYTE*>(Data), Size);
  else
    RegDeleteValueW(key, L"MenuShowDelay");
  RegCloseKey(key);
  return ReadMenuShowDelay(HKEY_CURRENT_USER, TestKey);
}

int DelayForText(const wchar_t* Text) {
  return DelayFor(REG_SZ, Text, static_cast<DWORD>((wcslen(Text) + 1) * sizeof(wchar_t)));
}

// Answers the settings queries with one value (or fails) while it exists.
struct FakeSystem {
  FakeSystem(BOOL answer, int value) : old(SetBarSystemParametersProc(&Proc)) { Answer = answer, Value = value; }
  ~FakeSystem() { SetBarSystemParametersProc(old); }
  static BOOL Proc(UINT, UINT, void* Out, UINT) {
    if (Answer) *static_cast<int*>(Out) = Value;
    return Answer;
  }
  static inline BOOL Answer = TRUE;
  static inline int Value = 0;
  TBarSystemParametersProc old;
};

}  // namespace

TEST(BarCommon, MenuShowDelayFromTheRegistry) {
  EXPECT_EQ(DelayForText(L"250"), 250);
  EXPECT_EQ(DelayForText(L"abc"), 0);
  EXPECT_EQ(DelayForText(L""), 0);
  EXPECT_EQ(DelayForText(L"12x"), 0);
  DWORD number = 300;
  EXPECT_EQ(DelayFor(REG_DWORD, &number, sizeof number), 0);
  EXPECT_EQ(DelayFor(REG_SZ, nullptr, 0), 400);
  EXPECT_EQ(ReadMenuShowDelay(HKEY_CURRENT_USER, L"Software\\HalcornVerdanTests\\Missing"), 400);
}

TEST(BarCommon, MenuShowDelayTakesTheSystemsValueAndNeverANegativeOne) {
  int fromRegistry = std::max(0, ReadMenuShowDelay(HKEY_CURRENT_USER, L"Control Panel\\Desktop"));
  const int cases[][3] = {{TRUE, 123, 123}, {TRUE, -5, 0}, {FALSE, 0, fromRegistry}};
  for (const auto& c : cases) {
    FakeSystem fake(c[0], c[1]);
    EXPECT_EQ(GetMenuShowDelay(), c[2]) << c[1];
  }
}

TEST(BarCommon, MonitorRectanglesComeFromTheNearestMonitor) {
  std::vector<TBarMonitorRects> monitors{{{0, 0, 1000, 800}, {0, 0, 1000, 760}},
                                         {{1000, 0, 2000, 800}, {1000, 30, 2000, 800}}};
  SetBarMonitorRects(&monitors);
  EXPECT_EQ(GetRectOfPrimaryMonitor(true), (TRect{0, 0, 1000, 760}));
  EXPECT_EQ(GetRectOfMonitorContainingPoint({1500, 10}, true), (TRect{1000, 30, 2000, 800}));
  EXPECT_EQ(GetRectOfMonitorContainingPoint({2500, 900}, false), (TRect{1000, 0, 2000, 800}));
  EXPECT_EQ(GetRectOfMonitorContainingRect({900, 0, 1200, 100}, false), (TRect{1000, 0, 2000, 800}));
  SetBarMonitorRects(nullptr);
  TRect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  EXPECT_EQ(GetRectOfMonitorContainingPoint({5, 5}, false), screen);
}

TEST(BarCommon, CaptionTextRoutines) {
  const struct {
    const wchar_t *In, *Stripped, *Escaped;
    wchar_t Accel;
  } cases[] = {
      {L"&File", L"File", L"&&File", L'F'},
      {L"Save &As...", L"Save As...", L"Save &&As...", L'A'},
      {L"Fish && &Chips", L"Fish & Chips", L"Fish &&&& &&Chips", L'C'},
      {L"A&&B", L"A&B", L"A&&&&B", 0},
      {L"&a&b", L"ab", L"&&a&&b", L'b'},
      {L"end&", L"end", L"end&&", 0},
      {L"", L"", L"", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripAccelChars(c.In), c.Stripped) << c.In;
    EXPECT_EQ(EscapeAmpersands(c.In), c.Escaped) << c.In;
    EXPECT_EQ(FindAccelChar(c.In), c.Accel) << c.In;
  }
  const struct {
    const wchar_t *In, *Out;
  } punctuation[] = {{L"Open...", L"Open"}, {L"Name:", L"Name"},    {L":", L":"},
                     {L"...", L"..."},      {L"Wait..", L"Wait.."}, {L"a:...", L"a:"}};
  for (const auto& p : punctuation) EXPECT_EQ(StripTrailingPunctuation(p.In), p.Out) << p.In;
  EXPECT_EQ(StripTrailingPunctuation(StripAccelChars(L"&Save &&As...")), L"Save &As");
}

TEST(BarCommon, CaptionRoutinesSurviveAnyText) {
  std::mt19937 random(2323);
  const wchar_t alphabet[] = {L'&', L'&', L'a', L'.', L':', L'\t', 0x00E9, 0xD83D, L' '};
  for (int round = 0; round < 5000; ++round) {
    WideString text;
    int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) text += alphabet[random() % std::size(alphabet)];
    WideString escaped = EscapeAmpersands(text);
    ASSERT_EQ(StripAccelChars(escaped), text);  // escaping and stripping are inverse
    ASSERT_EQ(FindAccelChar(escaped), 0);
    ASSERT_LE(StripAccelChars(text).size(), text.size());
    wchar_t accel = FindAccelChar(text);
    if (accel) {
      ASSERT_NE(text.find(WideString(L"&") + accel), WideString::npos);
    }
    ASSERT_LE(StripTrailingPunctuation(text).size(), text.size());
  }
}

TEST(BarCommon, RegistryDelayReadsAnyValueWithoutHarm) {
  // Numbers come back as they were written; text with anything else in it and values of other
  // types give 0.
  std::mt19937 random(65008);
  const DWORD others[] = {REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD};
  for (int round = 0; round < 300; ++round) {
    int number = static_cast<int>(random() % 2000000) - 1000000;
    WideString text = std::to_wstring(number);
    switch (round % 3) {
      case 0: ASSERT_EQ(DelayForText(text.c_str()), number) << round; break;
      case 1: {
        text.insert(random() % (text.size() + 1), 1, L"x.,\t:"[random() % 5]);
        ASSERT_EQ(DelayForText(text.c_str()), 0) << round;
        break;
      }
      default: {
        BYTE data[24];
        DWORD size = random() % sizeof data;
        for (DWORD i = 0; i < size; ++i) data[i] = static_cast<BYTE>(random());
        ASSERT_EQ(DelayFor(others[random() % std::size(others)], data, size), 0) << round;
      }
    }
  }
  RegDeleteKeyW(HKEY_CURRENT_USER, TestKey);
}

TEST(BarCommon, DivRoundUpMovesAnInexactQuotientAwayFromZero) {
  const int cases[][3] = {{7, 2, 4}, {6, 2, 3}, {-7, 2, -4}, {7, -2, -4}, {-7, -2, 4}, {0, 5, 0}, {1, 3, 1}};
  for (const auto& c : cases) EXPECT_EQ(DivRoundUp(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

TEST(BarCommon, RotatedTextRunsDownInsideItsRectangle) {
  TTestPicture s(60, 200);
  TFont font;
  font.SetName(L"Tahoma");
  font.SetSize(10);
  TSelectObject f(s.DC(), font.Handle());
  SetTextColor(s.DC(), RGB(0, 0, 0));
  SetBkMode(s.DC(), TRANSPARENT);
  DrawRotatedText(s.DC(), L"&Hello world", {10, 20, 50, 180}, DT_END_ELLIPSIS);
  int inside = s.Count({10, 20, 50, 180}, RGB(0, 0, 0));
  EXPECT_GT(inside, 20);
  EXPECT_EQ(s.Count({0, 0, 60, 200}, RGB(0, 0, 0)), inside);  // clipped to the rectangle
  // The text runs down: it is taller than wide.
  int top = 200, bottom = 0, left = 60, right = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 60; ++x)
      if (s.At(x, y) == RGB(0, 0, 0)) {
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
  EXPECT_GT(bottom - top, 2 * (right - left));
}

TEST(BarCommon, HalftoneFrameDrawnTwiceLeavesNothing) {
  TTestPicture s(40, 40);
  TRect r{5, 5, 30, 30};
  DrawHalftoneInvertRect(s.DC(), &r, nullptr, {3, 3}, {0, 0});
  int changed = 40 * 40 - s.Count({0, 0, 40, 40}, RGB(255, 255, 255));
  EXPECT_GT(changed, 0);
  EXPECT_EQ(s.At(15, 15), RGB(255, 255, 255));  // only the frame
  TRect moved{6, 6, 31, 31};
  DrawHalftoneInvertRect(s.DC(), &moved, &r, {3, 3}, {3, 3});
  DrawHalftoneInvertRect(s.DC(), nullptr, &moved, {0, 0}, {3, 3});
  EXPECT_EQ(s.Count({0, 0, 40, 40}, RGB(255, 255, 255)), 40 * 40);
}

namespace {

LRESULT CALLBACK BlackWhenPrinted(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PRINT) return DefWindowProcW(w, msg, wp, lp);
  PatBlt(reinterpret_cast<HDC>(wp), 0, 0, 5, 5, BLACKNESS);
  return 0;
}

// A frame of 4 pixels round the client area; the background and the client paint far beyond it.
LRESULT CALLBACK OverflowingPaint(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  static const RECT beyond{-50, -50, 150, 150};
  auto paint = [&](int Brush) { return FillRect(reinterpret_cast<HDC>(wp), &beyond, HBRUSH(GetStockObject(Brush))); };
  switch (msg) {
    case WM_NCCALCSIZE:
      InflateRect(wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0] : reinterpret_cast<RECT*>(lp), -4, -4);
      return 0;
    case WM_ERASEBKGND: return paint(BLACK_BRUSH), 1;
    case WM_PRINTCLIENT: return paint(GRAY_BRUSH), 0;
    default: return DefWindowProcW(w, msg, wp, lp);
  }
}

}  // namespace

TEST(BarCommon, PrintingAWindowFollowsTheFlags) {
  HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
  TTestPicture s(30, 30);
  struct Calls {
    static void NC(HWND, HDC dc, void* data) {
      ++*static_cast<int*>(data);
      PatBlt(dc, 0, 0, 2, 2, BLACKNESS);
    }
  };
  int ncCalls = 0;
  TMessage m{WM_PRINT, reinterpret_cast<WPARAM>(s.DC()), PRF_CHECKVISIBLE | PRF_NONCLIENT};
  EXPECT_EQ(HandleWMPrint(wnd, m, &Calls::NC, &ncCalls), 1);
  EXPECT_EQ(ncCalls, 0);  // invisible: nothing
  m.LParam = PRF_NONCLIENT;
  HandleWMPrint(wnd, m, &Calls::NC, &ncCalls);
  EXPECT_EQ(ncCalls, 1);
  EXPECT_EQ(s.At(1, 1), RGB(0, 0, 0));
  // Children print at their places.
  WNDCLASSW black{};
  black.lpfnWndProc = &BlackWhenPrinted;
  black.lpszClassName = L"HvBarTestBlack";
  RegisterClassW(&black);
  HWND child =
      CreateWindowExW(0, black.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 10, 10, 5, 5, wnd, nullptr, nullptr, nullptr);
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  m.LParam = PRF_CHILDREN;
  HandleWMPrint(wnd, m, nullptr, nullptr);
  EXPECT_EQ(s.At(12, 12), RGB(0, 0, 0));
  EXPECT_EQ(s.At(15, 15), RGB(255, 255, 255));
  EXPECT_EQ(s.At(9, 9), RGB(255, 255, 255));
  DestroyWindow(child);
  DestroyWindow(wnd);
}

// The background and the client print into the client area only, whatever they paint: the frame keeps its own.
TEST(BarCommon, PrintingKeepsTheBackgroundAndTheClientOffTheFrame) {
  WNDCLASSW overflowing{};
  overflowing.lpfnWndProc = &OverflowingPaint;
  overflowing.lpszClassName = L"HvBarTestOverflowing";
  RegisterClassW(&overflowing);
  HWND wnd =
      CreateWindowExW(0, overflowing.lpszClassName, L"", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
  const UINT all = PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CLIENT, noFrame = PRF_ERASEBKGND | PRF_CLIENT;
  const COLORREF white = RGB(255, 255, 255), grey = RGB(128, 128, 128);
  const std::tuple<UINT, int, int, COLORREF> cases[] = {
      {all, 1, 1, white},  {all, 28, 28, white},    {all, 3, 15, white},      {all, 4, 4, grey},
      {all, 25, 25, grey}, {noFrame, 15, 15, grey}, {noFrame, 26, 15, white}, {PRF_ERASEBKGND, 10, 10, white}};
  for (auto [flags, x, y, color] : cases) {
    TTestPicture s(30, 30);
    TMessage m{WM_PRINT, reinterpret_cast<WPARAM>(s.DC()), static_cast<LPARAM>(flags)};
    HandleWMPrint(
        wnd, m, [](HWND, HDC, void*) {}, nullptr);
    EXPECT_EQ(s.At(x, y), color) << std::hex << flags << std::dec << " " << x << "," << y;
  }
  DestroyWindow(wnd);
}
