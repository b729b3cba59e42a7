// The glyphs every skinned control draws in the three skins (classic, visual styles, the
// current theme): check boxes, buttons, edit frames, list items, arrows and shadowed images; the
// parent's background under a control; window placement, rectangle texts and the task bar.
#pragma once

#include "framework/StdCtrls.h"
#include "themes/SkinText.h"

class TCanvas;
class TControl;
class TCustomImageList;

// A check box glyph for a state.
void DrawSkinCheckBox(TCanvas* ACanvas, const TRect& ARect, bool Enabled, TSkinThemeType SkinType, bool Focused,
                      bool Pushed, bool Hot, TCheckBoxState State);

// Button frame modes: a push button, or the background of a dock.
constexpr int SkinButtonFace = 0;
constexpr int SkinButtonDockBackground = 3;
// A push button's face (or, in the dock mode, a dock's background) filling ARect.
void DrawSkinButton(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Pushed, bool Hot, bool Checked,
                    bool Default, TSkinThemeType SkinType, int Mode);

// The frame of an edit box; with ExcludeInner only the border is painted (the inside, 1 pixel in
// when hot, else 2, keeps what it has).
void DrawSkinEditFrame(TCanvas* ACanvas, const TRect& ARect, bool Enabled, bool Hot, TSkinThemeType SkinType,
                       bool ExcludeInner);

// Paints the parent's background under Control into ARect of DC, as if the parent erased there;
// (X, Y) is the point of the control the DC's origin stands for.
void DrawParentBackground(TControl* Control, HDC DC, const TRect& ARect, int X = 0, int Y = 0);

// The background of a list entry; a selected one also sets the canvas's font colour.
void DrawSkinListItem(TCanvas* ACanvas, const TRect& ARect, bool Selected, TSkinThemeType SkinType, bool Focused,
                      bool Hot);

// A filled triangle: pointing right with its tip at (X + Size, Y), or down with its tip at
// (X, Y + Size).
void DrawArrowTriangle(HDC DC, int X, int Y, int Size, bool Down, TColor Color);

// The image raised over its shadow, one and two pixels down and right.
void DrawImageWithShadow(TCanvas* ACanvas, const TRect& ARect, TCustomImageList* ImageList, int ImageIndex);

// ---- window placement ----

// The window state (0 normal, 1 minimized, 2 maximized) and the restored bounds as (left, top,
// width, height); 0 and an empty rectangle for a control without a window.
int GetWindowPlacementState(TControl* Control, TRect& RestoreBounds);
// Sets them back; an empty rectangle keeps the restored bounds the window has.
void SetWindowPlacementState(TControl* Control, int State, const TRect& RestoreBounds);

// "left, top, right, bottom".
WideString RectToText(const TRect& R);
// Four comma-separated numbers; anything else answers false with an empty rectangle.
bool TextToRect(const WideString& Text, TRect& R);

// The task bar's edge (ABE_*), its rectangle and its state bits (ABS_AUTOHIDE, ABS_ALWAYSONTOP);
// false with all zero when there is no task bar.
bool GetTaskbarInfo(UINT& Edge, TRect& R, UINT& State);

// ---- objects the skinned items share ----

// Screen cursors of an item dragged while customizing and of a drop that is refused.
constexpr TCursor crSkinItemMove = TCursor(31);
constexpr TCursor crSkinItemCancel = TCursor(32);

// The system-menu and title-bar glyphs (0 close, 1 maximize, 2 minimize, 3 restore), 16 x 16.
TCustomImageList* SkinGlyphs();
// The system's hand cursor, null when it has none.
HCURSOR SkinHandCursor();
// Adds the two item cursors to the screen (once).
void RegisterSkinCursors();
