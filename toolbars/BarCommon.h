// Small routines shared by the toolbar, dock and menu units: system settings, monitor
// rectangles, rotated text for vertical toolbars, caption text, printing windows into a DC,
// message-queue and list routines.
#pragma once

#include <vector>

#include "framework/Colors.h"
#include "framework/Delegate.h"
#include "framework/GdiHandles.h"
#include "framework/Lists.h"
#include "framework/Messages.h"
#include "framework/Mnemonics.h"
#include "framework/Types.h"
#include "framework/Win.h"

class TWinControl;

// ---- system settings ----
int GetMenuShowDelay();
bool AreFlatMenusEnabled();
bool AreKeyboardCuesEnabled();
bool IsWindowsXPOrLater();
bool NeedToPlaySound(const WideString& Alias);
int GetInputLocaleCodePage();
// Tests give the code page of the input locale here, which the system keeps at that of its one
// keyboard layout (0: the system's again).
void SetBarInputLocaleCodePage(int CodePage);
bool ApplicationIsActive();

// The menu show delay as the registry value "MenuShowDelay" under Root\SubKey gives it: a string
// that reads as a number gives that number, a missing value or key 400, anything else 0.
// GetMenuShowDelay reads HKEY_CURRENT_USER\Control Panel\Desktop this way once per process when
// the system call fails.
int ReadMenuShowDelay(HKEY Root, const WideString& SubKey);

// Tests put the system's answers in place of SystemParametersInfoW (null: the system again);
// the previous procedure is returned.
using TBarSystemParametersProc = BOOL (*)(UINT Action, UINT Param, void* Value, UINT WinIni);
TBarSystemParametersProc SetBarSystemParametersProc(TBarSystemParametersProc Proc);
// SystemParametersInfoW, or the procedure the tests put in its place.
BOOL BarSystemParametersInfo(UINT Action, UINT Param, void* Value);

// ---- monitors ----
TRect GetRectOfPrimaryMonitor(bool WorkArea);
TRect GetRectOfMonitorContainingRect(const TRect& R, bool WorkArea);
TRect GetRectOfMonitorContainingPoint(const TPoint& P, bool WorkArea);

// A screen with one monitor cannot show the rule for several; tests give a list of monitors
// (the first is the primary one) that replaces the system's, or null for the system again.
struct TBarMonitorRects {
  TRect Full;
  TRect Work;
};
void SetBarMonitorRects(const std::vector<TBarMonitorRects>* Monitors);

// ---- mouse ----
bool CallTrackMouseEvent(HWND Wnd, DWORD Flags);

// ---- text ----
int GetTextWidth(HDC DC, const WideString& S, bool StripAccel);
int GetTextHeight(HDC DC);
// A copy of the DC's font turned to run downward; the caller owns it.
TFontHandle CreateRotatedFont(HDC DC);
void DrawRotatedText(HDC DC, WideString S, const TRect& ARect, UINT AFormat);

// ---- painting and messages ----
using TBarNCPaintProc = void (*)(HWND Wnd, HDC DC, void* AppData);
LRESULT HandleWMPrint(HWND Wnd, TMessage& Message, TBarNCPaintProc NCPaintProc, void* AppData);
void HandleWMPrintClient(TWinControl* Control, TMessage& Message);
void SelectNCUpdateRgn(HWND Wnd, HDC DC, HRGN Rgn);
void DrawHalftoneInvertRect(HDC DC, const TRect* NewRect, const TRect* OldRect, const TSize& NewSize,
                            const TSize& OldSize);
TRegionHandle CreateNullRegion();
// An 8 x 8 brush of alternating pixels (rows 0x55 and 0xAA) for halftone and dithered fills; it
// paints in the DC's text and background colours.
TBrushHandle CreateHalftoneBrush();
// Paints the black pixels of a monochrome image (selected into MaskDC) in a colour at X, Y; its
// white pixels leave the picture as it is.
void DrawMonoGlyph(HDC DC, HDC MaskDC, int X, int Y, int W, int H, TColor Color);
void ProcessPaintMessages();
void RemoveMessages(UINT AMin, UINT AMax);

// ---- lists and values ----
using TListSortCompareEx = int (*)(void* Item1, void* Item2, void* Context);
void ListSortEx(TList* List, TListSortCompareEx Compare, void* Context);
bool AddToList(TList*& List, void* Item);
bool AddToFrontOfList(TList*& List, void* Item);
void RemoveFromList(TList*& List, void* Item);
inline bool MethodsEqual(const TMethod& M1, const TMethod& M2) { return M1 == M2; }
int DivRoundUp(int X, int Y);
inline int Max(int A, int B) { return A > B ? A : B; }
inline int Min(int A, int B) { return A < B ? A : B; }
