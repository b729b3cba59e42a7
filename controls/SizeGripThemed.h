// A sizing grip drawn as the visual style's status-bar gripper when visual styles are active.
#pragma once

#include "controls/ApThemes.h"
#include "controls/SizeGrip.h"

class TSizeGripThemed : public TSizeGrip {
  HV_CLASS(TSizeGripThemed, TSizeGrip)
 public:
  explicit TSizeGripThemed(TComponent* AOwner) : inherited(AOwner) {}
  ~TSizeGripThemed() override;

  bool Themed() const { return themed_; }
  void SetThemed(bool Value);
  // Whether the gripper's theme data is open now.
  bool ThemeOpen() const { return theme_ != nullptr; }

  void GetGripRect(TRect& Rect) override;
  void PaintGrip(HDC DC, const TRect& Rect) override;
  void GripWindowProc(TMessage& Message) override;

 private:
  // Opens, reopens or closes the theme data as the state of things asks.
  void RefreshTheme();
  void CloseTheme();

  HWND themeWnd_ = nullptr;
  HTHEME theme_ = nullptr;
  bool themed_ = true;
};
