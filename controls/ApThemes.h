// Visual styles for the small controls: the theme calls of the one binding as they use them,
// failing quietly, and the themed background and button face.
#pragma once

#include <windows.h>

#include "framework/Controls.h"
#include "framework/VisualStyles.h"

// The two theme style flags a control keeps beside its ControlStyle.
constexpr uint32_t tsfParentBackground = 0x20000;  // paints its parent's background under itself
constexpr uint32_t tsfNeedsBorderPaint = 0x40000;  // draws a themed face of its own
constexpr uint32_t tsfMask = 0x60000;

// The uxtheme calls; each fails quietly (null, false) when the library or the entry is missing.
HTHEME ApOpenThemeData(HWND Wnd, const wchar_t* ClassList);
void ApCloseThemeData(HTHEME Theme);
bool ApDrawThemeBackground(HTHEME Theme, HDC DC, int Part, int State, const RECT& Rect, const RECT* Clip = nullptr);
bool ApGetThemePartSize(HTHEME Theme, HDC DC, int Part, int State, SIZE& Size);
bool ApGetThemeBackgroundContentRect(HTHEME Theme, HDC DC, int Part, int State, const RECT& Bounds, RECT& Content);
bool ApDrawThemeParentBackground(HWND Wnd, HDC DC, const RECT* Rect);

// What a control that keeps theme style flags offers (the extended bases do).
class IApThemeStyled {
 public:
  virtual uint32_t& ThemeStyleFlags() = 0;

 protected:
  ~IApThemeStyled() = default;
};

// The theme style flags of a control (the extended bases keep them; others have none).
void IncludeThemeStyle(TControl* Control, uint32_t Flags);
uint32_t GetThemeStyle(TControl* Control);

// Fills Rect of Control's canvas with Color (clNone: the canvas brush's colour), or, when visual
// styles are active, the parent has that colour and Control is not designed, draws the parent's
// background there.
void DrawThemedBackground(TControl* Control, TCanvas* Canvas, const TRect& Rect, bool NeedsParentBackground,
                          TColor Color = clNone);
// A push-button face in Rect: the themed one when visual styles are active and Control is not
// designed, else the classic one. Gives the area inside the face's border.
TRect DrawThemedButtonFace(TControl* Control, TCanvas* Canvas, const TRect& Rect, int BevelWidth, bool IsDown,
                           bool IsFocused, bool IsHot);
// Whether the mouse is over Control's client area.
bool IsMouseOver(TControl* Control);
