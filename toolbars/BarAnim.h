// Menu animation: a popup fades in through a layered window or slides in through a growing
// window region. A worker thread only keeps time and posts frames; the window's own thread
// draws them from one image of the finished popup.
#pragma once

#include "framework/Messages.h"
#include "framework/Types.h"
#include "framework/Win.h"

// Directions a popup slides in from its parent item.
using TBarAnimateDirections = unsigned;
constexpr TBarAnimateDirections tbadLeft = 1;
constexpr TBarAnimateDirections tbadRight = 2;
constexpr TBarAnimateDirections tbadDown = 4;
constexpr TBarAnimateDirections tbadUp = 8;

// A frame is due (wParam 0, lParam the animation's sequence number); the animation finished
// and the window shows its final look.
constexpr UINT WM_BAR_ANIMATIONFRAME = 0x955;
constexpr UINT WM_BAR_ANIMATIONFINISHED = 0x956;

constexpr int BarFadeDuration = 175;
constexpr int BarFadeStartAlpha = 40;
constexpr int BarSlideDuration = 150;

// Ends any running animation of the thread, then starts one on the window and shows it.
void StartMenuAnimation(HWND Wnd, bool Fade, TBarAnimateDirections Directions);
// Ends the animation of the window (null: whatever runs on this thread) in its final look.
void EndMenuAnimation(HWND Wnd);
// The window's handler of WM_BAR_ANIMATIONFRAME.
void ProcessAnimationFrame(HWND Wnd, TMessage& Message);
// Whether an animation of the window (null: any) runs on this thread.
bool MenuAnimationRunning(HWND Wnd = nullptr);
// The sequence number of the latest animation of this thread.
int MenuAnimationSequence();

// Where the slid image stands at progress P (0-255) for a W x H window.
TPoint MenuSlideOffset(TBarAnimateDirections Directions, int W, int H, int P);

// Tests give the worker a clock of their own (null: GetTickCount again).
using TBarTickProc = DWORD (*)();
void SetBarAnimationClock(TBarTickProc Proc);
