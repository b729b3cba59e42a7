// The live-handle count and the DC scopes.
#include "framework/GdiHandles.h"

#include <atomic>

namespace {
std::atomic<int> liveHandles{0};
}

int GdiObjectCount() { return liveHandles.load(); }

namespace gdi_detail {
void AddLive() { ++liveHandles; }
void RemoveLive() { --liveHandles; }
}  // namespace gdi_detail

TWindowDC::TWindowDC(HWND window) noexcept : TWindowDC(window, GetDC(window)) {}

TWindowDC::TWindowDC(HWND window, HRGN clip, DWORD flags) noexcept : TWindowDC(window, GetDCEx(window, clip, flags)) {}

TWindowDC::TWindowDC(HWND window, HDC dc) noexcept : window_(window), dc_(dc) {
  if (dc_) gdi_detail::AddLive();
}

TWholeWindowDC::TWholeWindowDC(HWND window) noexcept : TWindowDC(window, GetWindowDC(window)) {}

TWindowDC& TWindowDC::operator=(TWindowDC&& other) noexcept {
  if (this != &other) {
    Reset();
    window_ = std::exchange(other.window_, nullptr);
    dc_ = std::exchange(other.dc_, nullptr);
  }
  return *this;
}

void TWindowDC::Reset() noexcept {
  if (dc_) {
    ReleaseDC(window_, dc_);
    gdi_detail::RemoveLive();
  }
  dc_ = nullptr;
  window_ = nullptr;
}

TSelectObject& TSelectObject::operator=(TSelectObject&& other) noexcept {
  if (this != &other) {
    Restore();
    dc_ = std::exchange(other.dc_, nullptr);
    original_ = std::exchange(other.original_, nullptr);
  }
  return *this;
}

void TSelectObject::Select(HDC dc, HGDIOBJ object) noexcept {
  if (!dc || !object) return;
  if (dc_ && dc_ != dc) Restore();
  HGDIOBJ previous = SelectObject(dc, object);
  if (!dc_) {
    dc_ = dc;
    original_ = previous;
  }
}

void TSelectObject::Restore() noexcept {
  if (dc_ && original_) SelectObject(dc_, original_);
  dc_ = nullptr;
  original_ = nullptr;
}
