// The themed sizing grip: the status-bar gripper of the visual style, else the classic grip.
#include "controls/SizeGripThemed.h"

#include <vssym32.h>

#include <algorithm>

#include "controls/ApThemes.h"

HV_PUBLISH(TSizeGripThemed) { p.Prop("Themed", &T::Themed, &T::SetThemed).Default(1); }

TSizeGripThemed::~TSizeGripThemed() { CloseTheme(); }

void TSizeGripThemed::SetThemed(bool Value) {
  if (Value == themed_) return;
  InvalidateGrip();
  themed_ = Value;
  RefreshTheme();
  UpdateGripRect();
  InvalidateGrip();
}

void TSizeGripThemed::CloseTheme() {
  ApCloseThemeData(theme_);
  theme_ = nullptr;
  themeWnd_ = nullptr;
}

void TSizeGripThemed::RefreshTheme() {
  TWinControl* target = TargetControl();
  if (!ThemesActive() || !themed_ || !target || target->IsDestroying() || !target->HandleAllocated()) {
    CloseTheme();
    return;
  }
  HWND wnd = target->Handle();
  if (theme_ && themeWnd_ == wnd) return;
  CloseTheme();
  theme_ = ApOpenThemeData(wnd, L"STATUS");
  themeWnd_ = theme_ ? wnd : nullptr;
}

void TSizeGripThemed::GetGripRect(TRect& Rect) {
  RefreshTheme();
  if (!theme_) {
    inherited::GetGripRect(Rect);
    return;
  }
  SIZE size{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
  SIZE part{0, 0};
  if (ApGetThemePartSize(theme_, nullptr, SP_GRIPPER, 0, part)) {
    size.cx = std::max(size.cx, part.cx);
    size.cy = std::max(size.cy, part.cy);
  }
  TRect client = TargetControl()->ClientRect();
  Rect = TRect{client.Right - size.cx, client.Bottom - size.cy, client.Right, client.Bottom};
}

void TSizeGripThemed::PaintGrip(HDC DC, const TRect& Rect) {
  RefreshTheme();
  if (theme_ && ApDrawThemeBackground(theme_, DC, SP_GRIPPER, 0, ToRECT(Rect))) return;
  PaintClassicGrip(DC, Rect);
}

void TSizeGripThemed::GripWindowProc(TMessage& Message) {
  if (Message.Msg == WM_THEMECHANGED) {
    CloseTheme();
    NotifyThemeChanged();
  }
  inherited::GripWindowProc(Message);
}
