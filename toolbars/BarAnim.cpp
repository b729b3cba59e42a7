// Menu animation: the worker thread times frames, the window's thread draws them.
#include "toolbars/BarAnim.h"

#include <atomic>

#include "framework/GdiHandles.h"

namespace {

using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);

TUpdateLayeredWindow UpdateLayeredWindowProc() {
  static const auto proc = reinterpret_cast<TUpdateLayeredWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow")));
  return proc;
}

std::atomic<TBarTickProc> clockProc{nullptr};

DWORD Ticks() {
  TBarTickProc proc = clockProc.load();
  return proc ? proc() : GetTickCount();
}

// What the worker and the window's thread share. The worker writes only progress, the last
// cursor position and the finished mark; everything else is set before it starts.
struct TAnimation {
  int Sequence = 0;
  HWND Wnd = nullptr;
  int Duration = 0;
  bool Fade = false;
  std::atomic<int> Progress{0};
  TWindowDC WindowDC;
  TCreatedDC MemoryDC;
  TBitmapHandle Bitmap;
  TSelectObject BitmapSelection;
  RECT ClientRect{};
  int Width = 0, Height = 0;
  POINT LastCursor{};
  TBarAnimateDirections Directions = 0;
  std::atomic<int> StopRequest{0};
  std::atomic<int> Finished{0};
  std::atomic<int> FramePending{0};
};

struct TThreadAnimation {
  TAnimation Record;
  HANDLE Worker = nullptr;
  int Counter = 0;
  bool Active = false;  // started and not yet finished
  ~TThreadAnimation();
};

thread_local TThreadAnimation current;

DWORD WINAPI AnimationWorker(void* Param) {
  auto* a = static_cast<TAnimation*>(Param);
  DWORD start = Ticks();
  DWORD last = start;
  int startProgress = a->Progress.load();
  while (!a->StopRequest.load()) {
    int elapsed = static_cast<int>(last - start);
    if (elapsed < 0 || elapsed >= a->Duration) break;
    int progress = static_cast<int>(static_cast<long long>(elapsed) * 255 / a->Duration) + startProgress;
    if (progress < 0 || progress >= 255) break;
    POINT cursor{};
    if (GetCursorPos(&cursor) && (cursor.x != a->LastCursor.x || cursor.y != a->LastCursor.y)) {
      a->LastCursor = cursor;
      if (PtInRect(&a->ClientRect, cursor)) break;  // the user reached the menu: no more waiting
    }
    if (progress > a->Progress.load()) {
      a->Progress.store(progress);
      if (a->FramePending.exchange(1) == 0)
        PostMessageW(a->Wnd, WM_BAR_ANIMATIONFRAME, 0, static_cast<LPARAM>(a->Sequence));
    }
    DWORD now;
    do {
      Sleep(5);
      now = Ticks();
    } while (!a->StopRequest.load() && now - last < 10);
    last = now;
  }
  a->Finished.store(-1);
  PostMessageW(a->Wnd, WM_BAR_ANIMATIONFRAME, 0, static_cast<LPARAM>(a->Sequence));
  return 0;
}

void PushFade(TAnimation& a, int Alpha) {
  TUpdateLayeredWindow update = UpdateLayeredWindowProc();
  if (!update) return;
  POINT source{0, 0};
  SIZE size{a.Width, a.Height};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(Alpha), 0};
  update(a.Wnd, nullptr, nullptr, &size, a.MemoryDC.Get(), &source, 0, &blend, ULW_ALPHA);
}

void SetRegion(HWND Wnd, int L, int T, int R, int B) {
  HRGN region = CreateRectRgn(L, T, R, B);
  if (region && !SetWindowRgn(Wnd, region, FALSE)) DeleteObject(region);  // not taken: still ours
}

// The worker has stopped: the window gets its final look and hears of it.
void Finish() {
  TAnimation& a = current.Record;
  if (!current.Active) return;
  current.Active = false;
  HWND wnd = a.Wnd;
  if (IsWindow(wnd)) {
    if (a.Fade)
      SetWindowLongW(wnd, GWL_EXSTYLE, GetWindowLongW(wnd, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    else
      SetWindowRgn(wnd, nullptr, FALSE);
    BitBlt(a.WindowDC.Get(), 0, 0, a.Width, a.Height, a.MemoryDC.Get(), 0, 0, SRCCOPY);
  }
  a.BitmapSelection.Restore();
  a.Bitmap.Reset();
  a.MemoryDC.Reset();
  a.WindowDC.Reset();
  if (IsWindow(wnd)) SendNotifyMessageW(wnd, WM_BAR_ANIMATIONFINISHED, 0, 0);
}

TThreadAnimation::~TThreadAnimation() {
  if (Worker) {
    Record.StopRequest.store(1);
    WaitForSingleObject(Worker, INFINITE);
    CloseHandle(Worker);
    Worker = nullptr;
  }
  Finish();
}

}  // namespace

void SetBarAnimationClock(TBarTickProc Proc) { clockProc.store(Proc); }

int MenuAnimationSequence() { return current.Counter; }

bool MenuAnimationRunning(HWND Wnd) { return current.Active && (!Wnd || Wnd == current.Record.Wnd); }

TPoint MenuSlideOffset(TBarAnimateDirections Directions, int W, int H, int P) {
  TPoint d{0, 0};
  if (Directions & tbadDown)
    d.Y = MulDiv(H, P, 255) - H;
  else if (Directions & tbadUp)
    d.Y = H - MulDiv(H, P, 255);
  if (Directions & tbadRight)
    d.X = MulDiv(W, P, 255) - W;
  else if (Directions & tbadLeft)
    d.X = W - MulDiv(W, P, 255);
  return d;
}

void StartMenuAnimation(HWND Wnd, bool Fade, TBarAnimateDirections Directions) {
  EndMenuAnimation(nullptr);
  TAnimation& a = current.Record;
  a.Sequence = ++current.Counter;
  a.Wnd = Wnd;
  a.Fade = Fade && UpdateLayeredWindowProc();
  a.Directions = Directions;
  a.StopRequest.store(0);
  a.Finished.store(0);
  a.FramePending.store(0);
  GetCursorPos(&a.LastCursor);
  GetClientRect(Wnd, &a.ClientRect);
  MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&a.ClientRect), 2);
  RECT window{};
  GetWindowRect(Wnd, &window);
  a.Width = window.right - window.left;
  a.Height = window.bottom - window.top;
  a.WindowDC = TWindowDC(Wnd, nullptr, DCX_WINDOW | DCX_CACHE);
  a.MemoryDC.Reset(CreateCompatibleDC(a.WindowDC.Get()));
  a.Bitmap.Reset(CreateCompatibleBitmap(a.WindowDC.Get(), a.Width, a.Height));
  a.BitmapSelection.Select(a.MemoryDC.Get(), a.Bitmap.Get());
  current.Active = true;
  SendMessageW(Wnd, WM_PRINT, reinterpret_cast<WPARAM>(a.MemoryDC.Get()),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  if (a.Fade) {
    SetWindowLongW(Wnd, GWL_EXSTYLE, GetWindowLongW(Wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    a.Duration = BarFadeDuration;
    a.Progress.store(BarFadeStartAlpha);
    PushFade(a, BarFadeStartAlpha);
  } else {
    a.Duration = BarSlideDuration;
    a.Progress.store(0);
    SetRegion(Wnd, 0, 0, 0, 0);
  }
  SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW |
                   SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS);
  DWORD id = 0;
  current.Worker = CreateThread(nullptr, 0, AnimationWorker, &a, CREATE_SUSPENDED, &id);
  if (!current.Worker) {
    Finish();
    return;
  }
  ResumeThread(current.Worker);
}

void EndMenuAnimation(HWND Wnd) {
  if (!current.Worker || (Wnd && Wnd != current.Record.Wnd)) return;
  current.Record.StopRequest.store(1);
  WaitForSingleObject(current.Worker, INFINITE);
  CloseHandle(current.Worker);
  current.Worker = nullptr;
  Finish();
}

void ProcessAnimationFrame(HWND Wnd, TMessage& Message) {
  TAnimation& a = current.Record;
  Message.Result = 0;
  if (!current.Active || Wnd != a.Wnd || Message.LParam != static_cast<LPARAM>(a.Sequence)) return;
  if (a.Finished.load() == -1) {
    EndMenuAnimation(Wnd);
    return;
  }
  int p = a.Progress.load();
  if (a.Fade) {
    PushFade(a, p);
  } else {
    TPoint d = MenuSlideOffset(a.Directions, a.Width, a.Height, p);
    SetRegion(Wnd, d.X, d.Y, d.X + a.Width, d.Y + a.Height);
    BitBlt(a.WindowDC.Get(), d.X, d.Y, a.Width, a.Height, a.MemoryDC.Get(), 0, 0, SRCCOPY);
  }
  a.FramePending.store(0);
}
