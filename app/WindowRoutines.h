// The application's free routines that work on windows and canvases: list item heights, wait
// cursor and update lock, message boxes, links and files handed to the shell, font and printer
// queries, the clipboard, colour gradients and small arrows.
#pragma once

#include "framework/Graphics.h"

class TCustomListBox;

// The height of a line of text in Font ("Wg"), measured on a screen-compatible DC, so that no
// window need exist yet; 0 when it cannot be measured.
int TextLineHeight(TFont* Font);
// Lists drawn by the program take the height of "Wg" in their font plus 7.
void SetListItemHeight(TCustomListBox* ListBox);
// A list whose entries drag by themselves never sees the press that may start a drag: its drag
// start chooses the entry under the mouse with this, so that a click chooses the entry pressed
// and a drag takes it.
void ChooseEntryUnderMouse(TCustomListBox* ListBox);
void SetWaitCursor(bool On);
// Locks the window's drawing and shows the wait cursor; 0 unlocks and restores the cursor.
void LockUpdate(HWND Handle);
// The application's message box with the caption "Halcorn Verdan"; the button pressed.
int ShowMessageBox(const WideString& Text, UINT Flags);
// While held, a box that only tells (an OK button alone) waits and ShowMessageBox gives IDOK at
// once; a question still comes up. ShowHeldMessageBoxes shows the waiting ones in turn: what the
// start-up has to say comes up over the main window once it is up.
void HoldMessageBoxes(bool Hold);
bool MessageBoxesHeld();
void ShowHeldMessageBoxes();

// Everything the program hands to the shell goes through one replaceable call.
using TShellOpenHandler = void (*)(const WideString& FileName, const WideString& Parameters,
                                   const WideString& Directory);
void ShellOpen(const WideString& FileName, const WideString& Parameters, const WideString& Directory);
// Installs another handler (null restores the shell's); returns the one before.
TShellOpenHandler SetShellOpenHandler(TShellOpenHandler Handler);
// Opens a link text through ShellOpen when ShellLinkTarget accepts it; false when refused.
bool OpenLink(const AnsiString& Text);

// Whether the screen gives a fixed-pitch font of a modern, roman or swiss family for the name.
bool IsMonospacedFont(const WideString& FontName);
// Bytes the system asks for to list the printers; 0 means no printer is installed.
int PrinterInfoSize();
// Puts the text on the clipboard as Unicode text; nothing for an empty text.
void CopyWideTextToClipboard(const WideString& W);

void GetRGB(TColor Color, int& R, int& G, int& B);
TColor RGBClamped(int R, int G, int B);
// One-pixel rows (Vertical) or columns Start..Stop of Rect, shaded from FromColor toward
// ToColor over Steps.
void GradientBand(TCanvas* Canvas, const TRect& Rect, int Start, int Stop, int Steps, TColor FromColor, TColor ToColor,
                  bool Vertical);
// Three bands through four colours across the rectangle.
void FourColorGradient(TCanvas* Canvas, const TRect& Rect, TColor First, TColor Second, TColor Third, TColor Fourth,
                       bool Vertical);
// A small filled triangle pointing down (Down) or right.
void DrawSmallArrow(HDC DC, int X, int Y, bool Selected, bool Down);
