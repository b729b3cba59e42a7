// Shares the thread's WH_CALLWNDPROC, WH_CBT and WH_GETMESSAGE hooks among any number of
// clients: each registers a procedure for the events it wants, the hub installs only the hooks
// those events need, once per thread, and calls every interested procedure from them.
#pragma once

#include "framework/Sets.h"
#include "framework/TypeInfo.h"
#include "framework/Win.h"

HV_ENUM(THookProcCode, hkActivate, hkActivateApp, hkWindowPosChanged, hkDestroyWindow, hkGetMessage)
using THookProcCodes = TSet<THookProcCode>;

using THookHandler = void (*)(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);

// AUser tells apart the clients that share one procedure.
void InstallHookProc(void* AUser, THookHandler AProc, THookProcCodes AEvents);
void UninstallHookProc(void* AUser, THookHandler AProc);

// Hook types: 0 WH_CALLWNDPROC, 1 WH_CBT, 2 WH_GETMESSAGE. How many users of the calling thread
// hold the type, and whether its hook is set.
int HookTypeRefCount(int HookType);
bool HookTypeInstalled(int HookType);
