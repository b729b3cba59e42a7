// Visual styles for the small controls: theme calls that fail quietly, themed backgrounds and faces.
#include "controls/ApThemes.h"

#include <vssym32.h>

namespace {

// The table of the binding, loaded on first use.
const TUxThemeEntries& Ux() {
  LoadVisualStyles();
  return UxTheme();
}

}  // namespace

HTHEME ApOpenThemeData(HWND Wnd, const wchar_t* ClassList) {
  return Ux().OpenThemeData ? Ux().OpenThemeData(Wnd, ClassList) : nullptr;
}

void ApCloseThemeData(HTHEME Theme) {
  if (Theme && Ux().CloseThemeData) Ux().CloseThemeData(Theme);
}

bool ApDrawThemeBackground(HTHEME Theme, HDC DC, int Part, int State, const RECT& Rect, const RECT* Clip) {
  return Theme && Ux().DrawThemeBackground && SUCCEEDED(Ux().DrawThemeBackground(Theme, DC, Part, State, &Rect, Clip));
}

bool ApGetThemePartSize(HTHEME Theme, HDC DC, int Part, int State, SIZE& Size) {
  return Theme && Ux().GetThemePartSize &&
         SUCCEEDED(Ux().GetThemePartSize(Theme, DC, Part, State, nullptr, TS_TRUE, &Size));
}

bool ApGetThemeBackgroundContentRect(HTHEME Theme, HDC DC, int Part, int State, const RECT& Bounds, RECT& Content) {
  return Theme && Ux().GetThemeBackgroundContentRect &&
         SUCCEEDED(Ux().GetThemeBackgroundContentRect(Theme, DC, Part, State, &Bounds, &Content));
}

bool ApDrawThemeParentBackground(HWND Wnd, HDC DC, const RECT* Rect) {
  return Ux().DrawThemeParentBackground && SUCCEEDED(Ux().DrawThemeParentBackground(Wnd, DC, const_cast<RECT*>(Rect)));
}

void IncludeThemeStyle(TControl* Control, uint32_t Flags) {
  if (auto* styled = dynamic_cast<IApThemeStyled*>(Control)) styled->ThemeStyleFlags() |= Flags & tsfMask;
}

uint32_t GetThemeStyle(TControl* Control) {
  auto* styled = dynamic_cast<IApThemeStyled*>(Control);
  return styled ? styled->ThemeStyleFlags() & tsfMask : 0;
}

namespace {

// A designed control is drawn plainly, without the theme's look.
bool Designing(TControl* Control) { return Control->ComponentState().Contains(csDesigning); }

// The parent erases the part of its background that lies under Control, in Control's coordinates.
void EraseThroughParent(TControl* Control, HDC DC, const TRect& Rect) {
  TWinControl* parent = Control->Parent();
  TSaveDC save(DC);
  POINT origin;
  GetWindowOrgEx(DC, &origin);
  // The parent draws in its own coordinates. A windowed control's DC starts at the control, and
  // the framework paints a graphic control on its parent's DC with the viewport moved to the
  // control: either way the window origin moves by the control's position.
  int dx = Control->Left(), dy = Control->Top();
  SetWindowOrgEx(DC, origin.x + dx, origin.y + dy, nullptr);
  if (!(Rect.Left == 0x7FFFFFFF && Rect.Top == 0x7FFFFFFF && Rect.Right == 0x7FFFFFFF && Rect.Bottom == 0x7FFFFFFF))
    IntersectClipRect(DC, Rect.Left + dx, Rect.Top + dy, Rect.Right + dx, Rect.Bottom + dy);
  parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
}

}  // namespace

void DrawThemedBackground(TControl* Control, TCanvas* Canvas, const TRect& Rect, bool NeedsParentBackground,
                          TColor Color) {
  if (Color == clNone) Color = Canvas->Brush()->Color();
  TWinControl* parent = Control->Parent();
  bool parentDraws = !Designing(Control) && parent && ColorToRGB(parent->Color()) == ColorToRGB(Color) &&
                     ThemesActive() && !(NeedsParentBackground && (GetThemeStyle(Control) & tsfNeedsBorderPaint));
  if (parentDraws) {
    auto* windowed = dynamic_cast<TWinControl*>(Control);
    RECT r = ToRECT(Rect);
    if (windowed && !windowed->DoubleBuffered() && windowed->HandleAllocated() &&
        ApDrawThemeParentBackground(windowed->Handle(), Canvas->Handle(), &r))
      return;
    EraseThroughParent(Control, Canvas->Handle(), Rect);
    return;
  }
  TColor saved = Canvas->Brush()->Color();
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(Rect);
  Canvas->Brush()->SetColor(saved);
}

TRect DrawThemedButtonFace(TControl* Control, TCanvas* Canvas, const TRect& Rect, int BevelWidth, bool IsDown,
                           bool IsFocused, bool IsHot) {
  RECT r = ToRECT(Rect);
  HDC dc = Canvas->Handle();
  HWND wnd = nullptr;
  if (auto* windowed = dynamic_cast<TWinControl*>(Control); windowed && windowed->HandleAllocated())
    wnd = windowed->Handle();
  else if (Control->Parent() && Control->Parent()->HandleAllocated())
    wnd = Control->Parent()->Handle();
  if (ThemesActive() && !Designing(Control)) {
    if (HTHEME theme = ApOpenThemeData(wnd, L"BUTTON")) {
      int state = IsDown ? PBS_PRESSED : IsFocused ? PBS_DEFAULTED : IsHot ? PBS_HOT : PBS_NORMAL;
      bool drawn = ApDrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, r);
      RECT content = r;
      ApGetThemeBackgroundContentRect(theme, dc, BP_PUSHBUTTON, state, r, content);
      ApCloseThemeData(theme);
      if (drawn) {
        if (IsFocused) DrawFocusRect(dc, &content);
        InflateRect(&r, -BevelWidth, -BevelWidth);
        return ::Rect(r.left, r.top, r.right, r.bottom);
      }
    }
  }
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (IsDown ? DFCS_PUSHED : 0));
  InflateRect(&r, -BevelWidth, -BevelWidth);
  return ::Rect(r.left, r.top, r.right, r.bottom);
}

bool IsMouseOver(TControl* Control) {
  TPoint p = Control->ScreenToClient(MousePos());
  TRect r = Control->ClientRect();
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
