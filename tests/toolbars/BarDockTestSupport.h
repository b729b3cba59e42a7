// A form with docks on its edges and toolbars of fixed-size buttons, for the dock tests.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/Forms.h"
#include "tests/toolbars/BarPopupTestSupport.h"
#include "toolbars/BarFloatingFrame.h"
#include "toolbars/BarToolbar.h"

struct TDockForm {
  TDockForm() : Form(nullptr, CreateNew) {
    Form.SetBounds(40, 40, 400, 300);
    for (auto [dock, pos, name] : {std::tuple{&Top, dpTop, "TopDock"}, {&Left, dpLeft, "LeftDock"}}) {
      *dock = new TBarDock(&Form);
      (*dock)->SetName(name);
      (*dock)->SetPosition(pos);
      (*dock)->SetParent(&Form);
    }
  }
  // A toolbar of Count buttons of 23 x 22 docked in Dock.
  template <class T = TBarCustomToolbar>
  T* Toolbar(const char* Name, int Count, TBarDock* Dock, int Row = 0, int Pos = -1) {
    auto* t = new T(&Form);
    t->SetName(Name);
    t->SetHideWhenInactive(false);
    for (int i = 0; i < Count; ++i) {
      auto* item = new TSizedItem(23, 22);
      Items.emplace_back(item);
      t->Items()->Add(item);
    }
    t->SetDockRow(Row);
    t->SetDockPos(Pos);
    if (Dock) t->SetParent(Dock);
    return t;
  }
  // A toolbar of captioned buttons of W x H.
  TBarCustomToolbar* Captioned(const char* Name, TBarDock* Dock, int Row,
                               std::initializer_list<const wchar_t*> Captions, int W = 44, int H = 22) {
    auto* t = Toolbar(Name, 0, nullptr, Row);
    for (const wchar_t* c : Captions) {
      auto* item = new TSizedItem(W, H, 0, c);
      Items.emplace_back(item);
      t->Items()->Add(item);
    }
    if (Dock) t->SetParent(Dock);
    return t;
  }
  void Show() {
    Form.Show();
    PumpMessagesFor(30);
  }
  TRect ScreenRect(TWinControl* C) {
    RECT r{};
    GetWindowRect(C->Handle(), &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  // Floats W at a place of the screen where nothing covers it.
  TBarFloatingWindowParent* Float(TBarCustomDockableWindow* W) {
    W->SetHideWhenInactive(false);
    W->SetFloatingPosition(Form.ClientToScreen({150, 60}));
    W->SetFloating(true);
    PumpMessagesFor(20);
    return W->FloatingParent();
  }
  // Frees a toolbar; the items it shows stay (they are the form's).
  static void Free(TBarCustomToolbar* T) {
    for (int k = T->Items()->Count(); k-- > 0;) T->Items()->Delete(k);
    delete T;
  }
  ~TDockForm() {
    // The toolbars go before the items they show.
    for (int i = Form.ComponentCount(); i-- > 0;)
      if (auto* t = dynamic_cast<TBarCustomToolbar*>(Form.Components(i))) Free(t);
  }
  TForm Form;
  TBarDock* Top = nullptr;
  TBarDock* Left = nullptr;
  std::vector<std::unique_ptr<TSizedItem>> Items;
};

// A dock background in use that paints nothing.
struct TBlankBackground : TBarBasicBackground {
  using TBarBasicBackground::TBarBasicBackground;
  void Draw(HDC, const TRect&) override {}
  HPALETTE GetPalette() override { return nullptr; }
  void RegisterChanges(const TNotifyEvent&) override {}
  void SysColorChanged() override {}
  void UnregisterChanges(const TNotifyEvent&) override {}
  bool UsingBackground() override { return true; }
};

// How many pixels of a window's client area are not the button face: drawn captions and edges.
inline int InkIn(TWinControl* C) {
  C->Update();
  TWindowDC dc(C->Handle());
  int ink = 0;
  for (int x = 0; x < C->ClientWidth(); ++x)
    for (int y = 0; y < C->ClientHeight(); ++y) ink += GetPixel(dc.Get(), x, y) != ColorToRGB(clBtnFace);
  return ink;
}

// The screen's pixels in a rectangle, as the screen shows them now.
inline std::vector<DWORD> ScreenPixels(const TRect& R) {
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), R.Width(), -R.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, R.Width(), R.Height(), screen, R.Left, R.Top, SRCCOPY);
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + R.Width() * R.Height());
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Steps of a drag run from inside the drag loop: the mouse moves to a screen point, a key goes
// down or up, the button is let go.
inline std::function<bool()> MoveMouseTo(TPoint P) {
  return [P] {
    SetCursorPos(P.X, P.Y);
    HWND w = GetCapture();
    POINT c{P.X, P.Y};
    ScreenToClient(w, &c);
    PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    return true;
  };
}
inline std::function<bool()> PostToCapture(UINT Msg, WPARAM WParam = 0) {
  return [Msg, WParam] { return PostMessageW(GetCapture(), Msg, WParam, 0) != FALSE; };
}
// Presses the left button on a non-client part of a window at a screen point; the drag loop
// runs the steps and returns when they let go.
inline void DragFrom(HWND Wnd, int HitCode, TPoint Grab, std::vector<std::function<bool()>> Steps) {
  SetCursorPos(Grab.X, Grab.Y);
  TMenuScript script(std::move(Steps));
  SendMessageW(Wnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HitCode), MAKELPARAM(Grab.X, Grab.Y));
}
