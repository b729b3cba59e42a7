// Owners of GDI handles: every font, brush, pen, bitmap, region, icon, device context and image
// list the framework makes has exactly one owner, and pairs that must be undone (select into a
// DC, SaveDC) have scoped owners.
//
// The system cannot tell how many GDI objects a process holds under Wine, so the owners keep
// their own count (GdiObjectCount); leak tests compare it before and after.
#pragma once

#include <utility>

#include "framework/Win.h"

// Live handles made through the owners of this unit (objects, icons, DCs and image lists).
int GdiObjectCount();

namespace gdi_detail {
void AddLive();
void RemoveLive();

struct DeleteObjectFree {
  static void Free(HGDIOBJ h) { DeleteObject(h); }
};
struct DestroyIconFree {
  static void Free(HICON h) { DestroyIcon(h); }
};
struct DeleteDCFree {
  static void Free(HDC h) { DeleteDC(h); }
};
struct ImageListFree {
  static void Free(HIMAGELIST h) { ImageList_Destroy(h); }
};
}  // namespace gdi_detail

// Move-only owner of one handle. Get() lends the handle for a call; Release() hands ownership
// to whoever takes it (the count no longer includes it).
template <class H, class FreePolicy>
class TGdiOwner {
 public:
  TGdiOwner() = default;
  explicit TGdiOwner(H handle) noexcept : h_(handle) {
    if (h_) gdi_detail::AddLive();
  }
  TGdiOwner(const TGdiOwner&) = delete;
  TGdiOwner& operator=(const TGdiOwner&) = delete;
  TGdiOwner(TGdiOwner&& other) noexcept : h_(std::exchange(other.h_, H())) {}
  TGdiOwner& operator=(TGdiOwner&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, H());
    }
    return *this;
  }
  ~TGdiOwner() { Reset(); }

  H Get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != H(); }

  // Frees the handle held and takes `handle` (which may be null).
  void Reset(H handle = H()) noexcept {
    if (h_ == handle) return;
    if (h_) {
      FreePolicy::Free(h_);
      gdi_detail::RemoveLive();
    }
    h_ = handle;
    if (h_) gdi_detail::AddLive();
  }
  [[nodiscard]] H Release() noexcept {
    if (h_) gdi_detail::RemoveLive();
    return std::exchange(h_, H());
  }

 private:
  H h_ = H();
};

using TFontHandle = TGdiOwner<HFONT, gdi_detail::DeleteObjectFree>;
using TBrushHandle = TGdiOwner<HBRUSH, gdi_detail::DeleteObjectFree>;
using TPenHandle = TGdiOwner<HPEN, gdi_detail::DeleteObjectFree>;
using TBitmapHandle = TGdiOwner<HBITMAP, gdi_detail::DeleteObjectFree>;
using TRegionHandle = TGdiOwner<HRGN, gdi_detail::DeleteObjectFree>;
using TPaletteHandle = TGdiOwner<HPALETTE, gdi_detail::DeleteObjectFree>;
using TIconHandle = TGdiOwner<HICON, gdi_detail::DestroyIconFree>;
// A DC made with CreateCompatibleDC or CreateDC (freed with DeleteDC).
using TCreatedDC = TGdiOwner<HDC, gdi_detail::DeleteDCFree>;
using TImageListHandle = TGdiOwner<HIMAGELIST, gdi_detail::ImageListFree>;

// A window's DC (or the screen's, for a null window) borrowed with GetDC and given back with
// ReleaseDC.
class TWindowDC {
 public:
  explicit TWindowDC(HWND window = nullptr) noexcept;
  // A DC of window as GetDCEx gives it (the whole window, a clip region, a locked update).
  TWindowDC(HWND window, HRGN clip, DWORD flags) noexcept;
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  TWindowDC(TWindowDC&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  TWindowDC& operator=(TWindowDC&& other) noexcept;
  ~TWindowDC() { Reset(); }

  HDC Get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }
  void Reset() noexcept;

 protected:
  // Takes a DC of window that ReleaseDC gives back.
  TWindowDC(HWND window, HDC dc) noexcept;

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// The DC of a whole window, frame and caption included, borrowed with GetWindowDC (non-client
// painting, outlines drawn over the desktop) and given back with ReleaseDC.
class TWholeWindowDC : public TWindowDC {
 public:
  explicit TWholeWindowDC(HWND window) noexcept;
};

// Selects objects into a DC and puts the DC's original object of that kind back when it ends,
// so that the objects selected can be deleted afterwards.
class TSelectObject {
 public:
  TSelectObject() = default;
  TSelectObject(HDC dc, HGDIOBJ object) noexcept { Select(dc, object); }
  TSelectObject(const TSelectObject&) = delete;
  TSelectObject& operator=(const TSelectObject&) = delete;
  TSelectObject(TSelectObject&& other) noexcept
      : dc_(std::exchange(other.dc_, nullptr)), original_(std::exchange(other.original_, nullptr)) {}
  TSelectObject& operator=(TSelectObject&& other) noexcept;
  ~TSelectObject() { Restore(); }

  // Selects `object`; the first selection remembers the original object to restore.
  void Select(HDC dc, HGDIOBJ object) noexcept;
  // Puts the original object back (nothing when nothing was selected).
  void Restore() noexcept;
  bool Active() const noexcept { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ original_ = nullptr;
};

// Saves the whole state of a DC (SaveDC) and restores it when it ends.
class TSaveDC {
 public:
  explicit TSaveDC(HDC dc) noexcept : dc_(dc), saved_(dc ? SaveDC(dc) : 0) {}
  TSaveDC(const TSaveDC&) = delete;
  TSaveDC& operator=(const TSaveDC&) = delete;
  ~TSaveDC() { Restore(); }
  void Restore() noexcept {
    if (dc_ && saved_) RestoreDC(dc_, saved_);
    saved_ = 0;
  }

 private:
  HDC dc_;
  int saved_;
};
