// Small routines shared by the toolbar, dock and menu units.
#include "toolbars/BarCommon.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cwchar>
#include <cwctype>

#include "framework/Controls.h"
#include "framework/Registry.h"
#include "framework/SystemHandles.h"

namespace {

TBarSystemParametersProc systemParametersProc = nullptr;
const std::vector<TBarMonitorRects>* testMonitors = nullptr;
int testInputCodePage = 0;

BOOL QuerySystem(UINT action, UINT param, void* value) {
  if (systemParametersProc) return systemParametersProc(action, param, value, 0);
  return SystemParametersInfoW(action, param, value, 0);
}

OSVERSIONINFOW Version() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExW(&info);
  return info;
}

TRect FromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Distance between a point and a rectangle (0 inside); squared, to compare only.
long long DistanceSquared(const TRect& r, const TPoint& p) {
  long long dx = p.X < r.Left ? r.Left - p.X : (p.X >= r.Right ? p.X - r.Right + 1 : 0);
  long long dy = p.Y < r.Top ? r.Top - p.Y : (p.Y >= r.Bottom ? p.Y - r.Bottom + 1 : 0);
  return dx * dx + dy * dy;
}

long long Overlap(const TRect& a, const TRect& b) {
  long long w = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
  long long h = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
  return w > 0 && h > 0 ? w * h : 0;
}

using MonitorFromRectFn = HMONITOR(WINAPI*)(LPCRECT, DWORD);
using MonitorFromPointFn = HMONITOR(WINAPI*)(POINT, DWORD);
using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);

struct MonitorFunctions {
  MonitorFromRectFn FromRect = nullptr;
  MonitorFromPointFn FromPoint = nullptr;
  GetMonitorInfoFn Info = nullptr;
  bool Usable() const { return FromRect && FromPoint && Info && GetSystemMetrics(SM_CMONITORS) > 1; }
};

const MonitorFunctions& Monitors() {
  static const MonitorFunctions fns = [] {
    MonitorFunctions f;
    HMODULE user = GetModuleHandleW(L"user32.dll");
    if (user) {
      f.FromRect =
          reinterpret_cast<MonitorFromRectFn>(reinterpret_cast<void*>(GetProcAddress(user, "MonitorFromRect")));
      f.FromPoint =
          reinterpret_cast<MonitorFromPointFn>(reinterpret_cast<void*>(GetProcAddress(user, "MonitorFromPoint")));
      f.Info = reinterpret_cast<GetMonitorInfoFn>(reinterpret_cast<void*>(GetProcAddress(user, "GetMonitorInfoA")));
    }
    return f;
  }();
  return fns;
}

TRect MonitorRect(HMONITOR monitor, bool workArea) {
  MONITORINFO info{};
  info.cbSize = 40;
  if (!monitor || !Monitors().Info(monitor, &info)) return GetRectOfPrimaryMonitor(workArea);
  return FromRECT(workArea ? info.rcWork : info.rcMonitor);
}

const TBarMonitorRects* NearestTestMonitor(const TRect& r) {
  const TBarMonitorRects* best = nullptr;
  long long bestOverlap = 0;
  for (const auto& m : *testMonitors)
    if (long long o = Overlap(m.Full, r); o > bestOverlap) best = &m, bestOverlap = o;
  if (best) return best;
  TPoint centre{r.Left + (r.Right - r.Left) / 2, r.Top + (r.Bottom - r.Top) / 2};
  long long bestDistance = LLONG_MAX;
  for (const auto& m : *testMonitors)
    if (long long d = DistanceSquared(m.Full, centre); d < bestDistance) best = &m, bestDistance = d;
  return best;
}

}  // namespace

// ---- system settings ----

TBarSystemParametersProc SetBarSystemParametersProc(TBarSystemParametersProc Proc) {
  return std::exchange(systemParametersProc, Proc);
}

BOOL BarSystemParametersInfo(UINT Action, UINT Param, void* Value) { return QuerySystem(Action, Param, Value); }

int ReadMenuShowDelay(HKEY Root, const WideString& SubKey) {
  TRegKey key = TRegKey::Open(Root, SubKey.c_str(), KEY_QUERY_VALUE);
  if (!key) return 400;
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExW(key.Get(), L"MenuShowDelay", nullptr, &type, nullptr, &size);
  int result = 0;
  if (status == ERROR_FILE_NOT_FOUND) {
    result = 400;
  } else if (status == ERROR_SUCCESS && type == REG_SZ && size < 64) {
    wchar_t text[33] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), L"MenuShowDelay", nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) ==
        ERROR_SUCCESS) {
      wchar_t* end = nullptr;
      const wchar_t* start = text;
      while (*start == L' ') ++start;
      bool number = (*start >= L'0' && *start <= L'9') || *start == L'-' || *start == L'+';
      errno = 0;
      long value = std::wcstol(start, &end, 10);
      if (number && end != start && *end == 0 && errno == 0 && value >= INT_MIN && value <= INT_MAX)
        result = static_cast<int>(value);
    }
  }
  return result;
}

int GetMenuShowDelay() {
  static std::atomic<bool> registryRead{false};
  static std::atomic<int> registryDelay{0};
  int delay = 0;
  if (!QuerySystem(SPI_GETMENUSHOWDELAY, 0, &delay)) {
    if (!registryRead.load()) {
      registryDelay = ReadMenuShowDelay(HKEY_CURRENT_USER, L"Control Panel\\Desktop");
      registryRead = true;
    }
    delay = registryDelay;
  }
  return delay < 0 ? 0 : delay;
}

bool IsWindowsXPOrLater() {
  OSVERSIONINFOW v = Version();
  return v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

bool AreFlatMenusEnabled() {
  BOOL flat = FALSE;
  return IsWindowsXPOrLater() && QuerySystem(SPI_GETFLATMENU, 0, &flat) && flat;
}

bool AreKeyboardCuesEnabled() {
  if (Version().dwMajorVersion < 5) return true;
  BOOL cues = FALSE;
  if (!QuerySystem(SPI_GETKEYBOARDCUES, 0, &cues)) return true;
  return cues != FALSE;
}

bool NeedToPlaySound(const WideString& Alias) {
  WideString path = L"AppEvents\\Schemes\\Apps\\.Default\\" + Alias + L"\\.Current";
  TRegKey key = TRegKey::Open(HKEY_CURRENT_USER, path.c_str(), KEY_QUERY_VALUE);
  if (!key) return false;
  wchar_t buffer[4] = {};
  DWORD size = sizeof buffer;
  LONG status = RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  return status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && size >= sizeof(wchar_t) && buffer[0] != 0);
}

void SetBarInputLocaleCodePage(int CodePage) { testInputCodePage = CodePage; }

int GetInputLocaleCodePage() {
  if (testInputCodePage) return testInputCodePage;
  LANGID language = LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)));
  wchar_t text[16] = {};
  if (!GetLocaleInfoW(MAKELCID(language, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, text, 16)) return 0;
  wchar_t* end = nullptr;
  long page = std::wcstol(text, &end, 10);
  if (end == text || *end != 0 || page <= 0 || page > 65535 || !IsValidCodePage(static_cast<UINT>(page))) return 0;
  return static_cast<int>(page);
}

bool ApplicationIsActive() { return GetActiveWindow() != nullptr; }

// ---- monitors ----

void SetBarMonitorRects(const std::vector<TBarMonitorRects>* Monitors) { testMonitors = Monitors; }

TRect GetRectOfPrimaryMonitor(bool WorkArea) {
  if (testMonitors && !testMonitors->empty()) return WorkArea ? testMonitors->front().Work : testMonitors->front().Full;
  RECT r{};
  if (WorkArea && QuerySystem(SPI_GETWORKAREA, 0, &r)) return FromRECT(r);
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

TRect GetRectOfMonitorContainingRect(const TRect& R, bool WorkArea) {
  if (testMonitors && !testMonitors->empty()) {
    const TBarMonitorRects* m = NearestTestMonitor(R);
    return WorkArea ? m->Work : m->Full;
  }
  if (!Monitors().Usable()) return GetRectOfPrimaryMonitor(WorkArea);
  RECT r = ToRECT(R);
  return MonitorRect(Monitors().FromRect(&r, MONITOR_DEFAULTTONEAREST), WorkArea);
}

TRect GetRectOfMonitorContainingPoint(const TPoint& P, bool WorkArea) {
  if (testMonitors && !testMonitors->empty())
    return GetRectOfMonitorContainingRect({P.X, P.Y, P.X + 1, P.Y + 1}, WorkArea);
  if (!Monitors().Usable()) return GetRectOfPrimaryMonitor(WorkArea);
  return MonitorRect(Monitors().FromPoint(POINT{P.X, P.Y}, MONITOR_DEFAULTTONEAREST), WorkArea);
}

// ---- mouse ----

bool CallTrackMouseEvent(HWND Wnd, DWORD Flags) {
  using TrackFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
  static const TrackFn track = [] {
    TrackFn fn = nullptr;
    if (HMODULE user = GetModuleHandleW(L"user32.dll"))
      fn = reinterpret_cast<TrackFn>(reinterpret_cast<void*>(GetProcAddress(user, "TrackMouseEvent")));
    if (!fn) {
      static const TModuleHandle comctl(L"comctl32.dll", SEM_FAILCRITICALERRORS);
      fn = comctl.Proc<TrackFn>("_TrackMouseEvent");
    }
    return fn;
  }();
  if (!track) return false;
  TRACKMOUSEEVENT tme{};
  tme.cbSize = 16;
  tme.dwFlags = Flags;
  tme.hwndTrack = Wnd;
  tme.dwHoverTime = 0;
  return track(&tme) != FALSE;
}

// ---- text ----

int GetTextWidth(HDC DC, const WideString& S, bool StripAccel) {
  WideString text = StripAccel ? StripAccelChars(S) : S;
  SIZE size{};
  GetTextExtentPoint32W(DC, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int GetTextHeight(HDC DC) {
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  return tm.tmHeight;
}

namespace {

struct FaceSearch {
  const wchar_t* Face;
  bool Found = false;
};

int CALLBACK FindFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM data) {
  auto* search = reinterpret_cast<FaceSearch*>(data);
  if (_wcsicmp(lf->lfFaceName, search->Face) == 0) {
    search->Found = true;
    return 0;
  }
  return 1;
}

}  // namespace

TFontHandle CreateRotatedFont(HDC DC) {
  LOGFONTW lf{};
  GetObjectW(GetCurrentObject(DC, OBJ_FONT), sizeof lf, &lf);
  lf.lfEscapement = 2700;
  lf.lfOrientation = 2700;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  if (_wcsicmp(lf.lfFaceName, L"MS Sans Serif") == 0 || _wcsicmp(lf.lfFaceName, L"Microsoft Sans Serif") == 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(DC, &tm);
    lf.lfHeight = lf.lfHeight > 0 ? tm.tmHeight : tm.tmInternalLeading - tm.tmHeight;
    wcscpy(lf.lfFaceName, L"Arial");
  }
  if (wcslen(lf.lfFaceName) < 31) {
    wchar_t vertical[LF_FACESIZE] = L"@";
    wcsncat(vertical, lf.lfFaceName, LF_FACESIZE - 2);
    FaceSearch search{vertical};
    EnumFontFamiliesW(DC, vertical, FindFace, reinterpret_cast<LPARAM>(&search));
    if (search.Found) wcscpy(lf.lfFaceName, vertical);
  }
  return TFontHandle(CreateFontIndirectW(&lf));
}

void DrawRotatedText(HDC DC, WideString S, const TRect& ARect, UINT AFormat) {
  if (S.empty()) return;
  TSaveDC save(DC);
  TFontHandle font = CreateRotatedFont(DC);
  TSelectObject select(DC, font.Get());
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  int x = ARect.Left + (ARect.Width() - tm.tmHeight) / 2;
  if (!(AFormat & DT_NOCLIP)) IntersectClipRect(DC, ARect.Left, ARect.Top, ARect.Right, ARect.Bottom);
  int accel = -1;
  if (!(AFormat & DT_NOPREFIX)) S = StripAccelChars(S, &accel);
  auto extent = [&](const WideString& t, size_t count) {
    SIZE size{};
    GetTextExtentPoint32W(DC, t.c_str(), static_cast<int>(count), &size);
    return static_cast<int>(size.cx);
  };
  int height = ARect.Height();
  if ((AFormat & DT_END_ELLIPSIS) && extent(S, S.size()) > height) {
    size_t keep = 1;
    if (height >= 3) {
      keep = S.size();
      while (keep > 1 && extent(S.substr(0, keep) + L"...", keep + 3) > height) --keep;
    }
    S = S.substr(0, keep) + L"...";
    if (accel >= static_cast<int>(keep)) accel = -1;
  }
  int length = extent(S, S.size());
  int y = (AFormat & DT_CENTER) ? ARect.Top + (height - length) / 2 : ARect.Top;
  SetTextAlign(DC, TA_BOTTOM);
  TextOutW(DC, x, y, S.c_str(), static_cast<int>(S.size()));
  if (accel >= 0 && !(AFormat & DT_HIDEPREFIX)) {
    int from = y + extent(S, static_cast<size_t>(accel));
    int to = from + extent(S.substr(static_cast<size_t>(accel), 1), 1);
    TPenHandle pen(CreatePen(PS_SOLID, 1, GetTextColor(DC)));
    TSelectObject selectPen(DC, pen.Get());
    int lineX = x + tm.tmDescent - 2;
    MoveToEx(DC, lineX, from, nullptr);
    LineTo(DC, lineX, to);
  }
}

// ---- painting and messages ----

namespace {

struct PrintChildren {
  HWND Parent;
  HDC DC;
  UINT Flags;
  bool Owned;
};

void PrintWindowAt(HWND parent, HWND child, HDC dc, UINT flags, bool owned) {
  RECT r{};
  GetWindowRect(child, &r);
  if (!owned)
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  else {
    RECT pr{};
    GetWindowRect(parent, &pr);
    OffsetRect(&r, -pr.left, -pr.top);
  }
  TSaveDC save(dc);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  SetViewportOrgEx(dc, origin.x + r.left, origin.y + r.top, nullptr);
  IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
  SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
}

BOOL CALLBACK PrintOwned(HWND wnd, LPARAM data) {
  auto* p = reinterpret_cast<PrintChildren*>(data);
  if (GetWindow(wnd, GW_OWNER) == p->Parent && IsWindowVisible(wnd))
    PrintWindowAt(p->Parent, wnd, p->DC, p->Flags, true);
  return TRUE;
}

}  // namespace

LRESULT HandleWMPrint(HWND Wnd, TMessage& Message, TBarNCPaintProc NCPaintProc, void* AppData) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  UINT flags = static_cast<UINT>(Message.LParam);
  Message.Result = 1;
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(Wnd)) return 1;
  if ((flags & PRF_NONCLIENT) && NCPaintProc) {
    TSaveDC save(dc);
    NCPaintProc(Wnd, dc, AppData);
  }
  if (flags & (PRF_CLIENT | PRF_CHILDREN)) {
    // The DC starts at the window's corner; the client area and the children start at the
    // client area's.
    TSaveDC save(dc);
    RECT window{}, client{};
    GetWindowRect(Wnd, &window);
    GetClientRect(Wnd, &client);
    MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + client.left - window.left, origin.y + client.top - window.top, nullptr);
    // The background and the client are painted inside the client area only, as a paint of
    // the window would be: a background that fills its whole DC leaves the frame as it is.
    IntersectClipRect(dc, 0, 0, client.right - client.left, client.bottom - client.top);
    if (flags & PRF_CLIENT) {
      if (flags & PRF_ERASEBKGND) SendMessageW(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      SendMessageW(Wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
    }
    if (flags & PRF_CHILDREN)
      for (HWND child = GetWindow(Wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
          PrintWindowAt(Wnd, child, dc, PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN, false);
  }
  if (flags & PRF_OWNED) {
    PrintChildren p{Wnd, dc, flags, true};
    EnumThreadWindows(GetWindowThreadProcessId(Wnd, nullptr), PrintOwned, reinterpret_cast<LPARAM>(&p));
  }
  return 1;
}

void HandleWMPrintClient(TWinControl* Control, TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  TSaveDC save(dc);
  Control->Perform(WM_PAINT, Message.WParam, 0);
}

void SelectNCUpdateRgn(HWND Wnd, HDC DC, HRGN Rgn) {
  RECT window{};
  GetWindowRect(Wnd, &window);
  if (reinterpret_cast<UINT_PTR>(Rgn) > 1) {
    TRegionHandle copy(CreateRectRgn(0, 0, 0, 0));
    if (CombineRgn(copy.Get(), Rgn, nullptr, RGN_COPY) != ERROR) {
      OffsetRgn(copy.Get(), -window.left, -window.top);
      if (SelectClipRgn(DC, copy.Get()) != ERROR) return;
    }
  }
  TRegionHandle whole(CreateRectRgn(0, 0, window.right - window.left, window.bottom - window.top));
  SelectClipRgn(DC, whole.Get());
}

void DrawHalftoneInvertRect(HDC DC, const TRect* NewRect, const TRect* OldRect, const TSize& NewSize,
                            const TSize& OldSize) {
  auto frame = [](const TRect* r, const TSize& size) {
    TRegionHandle outer(CreateRectRgn(0, 0, 0, 0));
    if (!r) return outer;
    outer.Reset(CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom));
    TRegionHandle inner(CreateRectRgn(r->Left + size.cx, r->Top + size.cy, r->Right - size.cx, r->Bottom - size.cy));
    CombineRgn(outer.Get(), outer.Get(), inner.Get(), RGN_XOR);
    return outer;
  };
  TRegionHandle newFrame = frame(NewRect, NewSize);
  TRegionHandle oldFrame = frame(OldRect, OldSize);
  CombineRgn(newFrame.Get(), newFrame.Get(), oldFrame.Get(), RGN_XOR);
  TBrushHandle brush = CreateHalftoneBrush();
  TSaveDC save(DC);
  SelectClipRgn(DC, newFrame.Get());
  RECT box{};
  GetClipBox(DC, &box);
  TSelectObject select(DC, brush.Get());
  PatBlt(DC, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
}

TRegionHandle CreateNullRegion() { return TRegionHandle(CreateRectRgn(0, 0, 0, 0)); }

TBrushHandle CreateHalftoneBrush() {
  static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  TBitmapHandle bits(CreateBitmap(8, 8, 1, 1, pattern));
  return TBrushHandle(CreatePatternBrush(bits.Get()));
}

void DrawMonoGlyph(HDC DC, HDC MaskDC, int X, int Y, int W, int H, TColor Color) {
  TBrushHandle brush(CreateSolidBrush(ColorToRGB(Color)));
  TSelectObject selectBrush(DC, brush.Get());
  COLORREF oldText = SetTextColor(DC, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(DC, RGB(255, 255, 255));
  // Brush where the image is black, the picture where it is white.
  BitBlt(DC, X, Y, W, H, MaskDC, 0, 0, 0x00B8074A);
  SetTextColor(DC, oldText);
  SetBkColor(DC, oldBk);
}

void ProcessPaintMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) {
    if (!PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    DispatchMessageW(&msg);
  }
}

void RemoveMessages(UINT AMin, UINT AMax) {
  MSG msg;
  bool quit = false;
  WPARAM quitCode = 0;
  while (PeekMessageW(&msg, nullptr, AMin, AMax, PM_REMOVE))
    if (msg.message == WM_QUIT) quit = true, quitCode = msg.wParam;
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

// ---- lists and values ----

void ListSortEx(TList* List, TListSortCompareEx Compare, void* Context) {
  if (!List || List->Count() < 2) return;
  std::vector<void*> items;
  for (int i = 0; i < List->Count(); ++i) items.push_back(List->Items(i));
  std::stable_sort(items.begin(), items.end(), [&](void* a, void* b) { return Compare(a, b, Context) < 0; });
  for (int i = 0; i < List->Count(); ++i) List->SetItems(i, items[static_cast<size_t>(i)]);
}

bool AddToList(TList*& List, void* Item) {
  if (!List) List = new TList;
  if (List->IndexOf(Item) >= 0) return false;
  List->Add(Item);
  return true;
}

bool AddToFrontOfList(TList*& List, void* Item) {
  if (!List) List = new TList;
  if (List->IndexOf(Item) >= 0) return false;
  List->Insert(0, Item);
  return true;
}

void RemoveFromList(TList*& List, void* Item) {
  if (!List) return;
  List->Remove(Item);
  if (List->Count() == 0) {
    delete List;
    List = nullptr;
  }
}

int DivRoundUp(int X, int Y) {
  int q = X / Y;
  if (X % Y != 0) q += ((X < 0) != (Y < 0)) ? -1 : 1;
  return q;
}
