// The application's free routines that work on windows and canvases.
#include "app/WindowRoutines.h"

#include "framework/Win.h"

#include <winspool.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/ProductIdentity.h"
#include "app/TextRoutines.h"
#include "framework/Application.h"
#include "framework/Clipboard.h"
#include "framework/CodePages.h"
#include "framework/GdiHandles.h"
#include "framework/ListControls.h"
#include "framework/Screen.h"
#include "themes/UiUtils.h"

int TextLineHeight(TFont* Font) {
  const TCreatedDC dc(CreateCompatibleDC(nullptr));
  if (!dc) return 0;
  const TSelectObject font(dc.Get(), Font->Handle());
  SIZE size{};
  return GetTextExtentPoint32W(dc.Get(), L"Wg", 2, &size) ? size.cy : 0;
}

void SetListItemHeight(TCustomListBox* ListBox) {
  if (const int height = TextLineHeight(ListBox->Font())) ListBox->SetItemHeight(height + 7);
}

void ChooseEntryUnderMouse(TCustomListBox* ListBox) {
  POINT cursor;
  if (!GetCursorPos(&cursor)) return;
  const int under = ListBox->ItemAtPos(ListBox->ScreenToClient(TPoint{cursor.x, cursor.y}), true);
  if (under >= 0) ListBox->SetItemIndex(under);
}

void SetWaitCursor(bool On) { Screen->SetCursor(On ? crHourGlass : crDefault); }

void LockUpdate(HWND Handle) {
  LockWindowUpdate(Handle);
  SetWaitCursor(Handle != nullptr);
}

namespace {

bool boxesHeld = false;
std::vector<std::pair<WideString, UINT>> heldBoxes;

}  // namespace

int ShowMessageBox(const WideString& Text, UINT Flags) {
  if (boxesHeld && (Flags & MB_TYPEMASK) == MB_OK) {
    heldBoxes.emplace_back(Text, Flags);
    return IDOK;
  }
  return Application->MessageBox(Text, ProductName, Flags);
}

void HoldMessageBoxes(bool Hold) { boxesHeld = Hold; }

bool MessageBoxesHeld() { return boxesHeld; }

void ShowHeldMessageBoxes() {
  // Taken first: a box may run a loop that holds or shows again.
  const std::vector<std::pair<WideString, UINT>> boxes = std::exchange(heldBoxes, {});
  for (const auto& [text, flags] : boxes) ShowMessageBox(text, flags);
}

namespace {

void ShellExecuteOpen(const WideString& FileName, const WideString& Parameters, const WideString& Directory) {
  ShellExecuteW(Application->Handle(), L"open", FileName.c_str(), Parameters.empty() ? nullptr : Parameters.c_str(),
                Directory.empty() ? nullptr : Directory.c_str(), SW_SHOW);
}

TShellOpenHandler shellOpenHandler = ShellExecuteOpen;

}  // namespace

void ShellOpen(const WideString& FileName, const WideString& Parameters, const WideString& Directory) {
  shellOpenHandler(FileName, Parameters, Directory);
}

TShellOpenHandler SetShellOpenHandler(TShellOpenHandler Handler) {
  return std::exchange(shellOpenHandler, Handler ? Handler : ShellExecuteOpen);
}

bool OpenLink(const AnsiString& Text) {
  const AnsiString target = ShellLinkTarget(Text);
  if (target.empty()) return false;
  ShellOpen(AnsiToWide(target), WideString(), WideString());
  return true;
}

bool IsMonospacedFont(const WideString& FontName) {
  TFont font;
  font.SetName(FontName);
  const TWindowDC screen;
  const TSelectObject selected(screen.Get(), font.Handle());
  TEXTMETRICW metrics{};
  const bool measured = GetTextMetricsW(screen.Get(), &metrics);
  return measured && (metrics.tmPitchAndFamily & 1) == 0 && (metrics.tmPitchAndFamily & 0x30) != 0;
}

int PrinterInfoSize() {
  DWORD needed = 0;
  DWORD returned = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &returned);
  return static_cast<int>(needed);
}

void CopyWideTextToClipboard(const WideString& W) {
  if (W.empty()) return;
  // Set as Unicode text always: the system makes the ANSI form for readers that ask for it,
  // while an ANSI-only copy would lose every character outside the code page.
  Clipboard()->SetAsWideText(W);
}

void GetRGB(TColor Color, int& R, int& G, int& B) {
  const uint32_t rgb = ColorToRGB(Color);
  R = rgb & 0xFF;
  G = (rgb >> 8) & 0xFF;
  B = (rgb >> 16) & 0xFF;
}

TColor RGBClamped(int R, int G, int B) {
  return TColor(std::clamp(R, 0, 255) + std::clamp(G, 0, 255) * 256 + std::clamp(B, 0, 255) * 65536);
}

void GradientBand(TCanvas* Canvas, const TRect& Rect, int Start, int Stop, int Steps, TColor FromColor, TColor ToColor,
                  bool Vertical) {
  int r1, g1, b1, r2, g2, b2;
  GetRGB(FromColor, r1, g1, b1);
  GetRGB(ToColor, r2, g2, b2);
  if (Steps == 0) Steps = 1;
  const TColor saved = Canvas->Brush()->Color();
  for (int i = Start; i <= Stop; ++i) {
    const int k = i - Start;
    Canvas->Brush()->SetColor(
        RGBClamped(r1 + (r2 - r1) * k / Steps, g1 + (g2 - g1) * k / Steps, b1 + (b2 - b1) * k / Steps));
    if (Vertical) {
      Canvas->FillRect(TRect{Rect.Left, Rect.Top + i, Rect.Right, Rect.Top + i + 1});
    } else {
      Canvas->FillRect(TRect{Rect.Left + i, Rect.Top, Rect.Left + i + 1, Rect.Bottom});
    }
  }
  Canvas->Brush()->SetColor(saved);
}

void FourColorGradient(TCanvas* Canvas, const TRect& Rect, TColor First, TColor Second, TColor Third, TColor Fourth,
                       bool Vertical) {
  const int extent = (Vertical ? Rect.Bottom - Rect.Top : Rect.Right - Rect.Left) - 1;
  const int band = std::max(extent / 3, 1);
  GradientBand(Canvas, Rect, 0, band, band, First, Second, Vertical);
  GradientBand(Canvas, Rect, band, 2 * band, band, Second, Third, Vertical);
  GradientBand(Canvas, Rect, 2 * band, extent, band, Third, Fourth, Vertical);
}

void DrawSmallArrow(HDC DC, int X, int Y, bool Selected, bool Down) {
  const std::vector<TPoint> points = Down ? std::vector<TPoint>{{X - 2, Y}, {X + 2, Y}, {X, Y + 2}}
                                          : std::vector<TPoint>{{X, Y - 2}, {X, Y + 2}, {X + 2, Y}};
  const TColor color = Selected ? clHighlightText : clWindowText;
  PolygonEx(DC, points, color, color);
}
