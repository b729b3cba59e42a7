// The message record that controls pass to their window procedures, and the framework's own
// message codes: CM_ notifications between controls and CN_ messages that a parent reflects
// back to the child window they concern.
//
// A CM_ code reaches a control through Perform, so that a replaced WindowProc sees it like
// any window message; the control's handler is a virtual member named after the code
// (CMTextChanged for CM_TEXTCHANGED). Codes that travel between windows (CM_DIALOGKEY,
// CM_DIALOGCHAR, CM_HINTSHOW, CM_ACTIONEXECUTE...) keep these numbers for good.
#pragma once

#include "framework/Win.h"

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_GOTFOCUS = CM_BASE + 2;
constexpr UINT CM_LOSTFOCUS = CM_BASE + 3;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;     // WParam key, LParam key data; result non-zero: handled
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;    // WParam character, LParam key data
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;  // LParam the control that has the focus now
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_HITTEST = CM_BASE + 10;         // LParam point (x low, y high); result non-zero: hit
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;  // WParam the new value
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;  // LParam the control the mouse entered
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;  // LParam the control the mouse left
constexpr UINT CM_APPKEYDOWN = CM_BASE + 22;  // to the application window: a key for its shortcuts
constexpr UINT CM_APPSYSCOMMAND = CM_BASE + 23;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 30;  // WParam key; result non-zero: the control takes it
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;  // WParam the control, LParam non-zero: inserting
constexpr UINT CM_CHILDKEY = CM_BASE + 46;           // WParam key, LParam the control; result non-zero: handled
constexpr UINT CM_DRAG = CM_BASE + 47;               // WParam TDragMessage, LParam TDragRec*
constexpr UINT CM_HINTSHOW = CM_BASE + 48;           // LParam THintInfo*; result non-zero: no hint
constexpr UINT CM_DIALOGHANDLE = CM_BASE + 49;       // WParam 1: set to LParam, else result the handle
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;  // WParam the control, LParam non-zero: inserting
constexpr UINT CM_BORDERCHANGED = CM_BASE + 59;
constexpr UINT CM_ACTIONUPDATE = CM_BASE + 63;   // LParam the action; result non-zero: handled
constexpr UINT CM_ACTIONEXECUTE = CM_BASE + 64;  // LParam the action; result non-zero: handled
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;

// Messages a parent window reflects to the child control they are about.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSKEYUP = CN_BASE + WM_SYSKEYUP;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;

// The point packed into a mouse message's LParam (signed: it may lie left of or above the client).
inline int MessageX(LPARAM lParam) { return static_cast<short>(LOWORD(static_cast<DWORD>(lParam))); }
inline int MessageY(LPARAM lParam) { return static_cast<short>(HIWORD(static_cast<DWORD>(lParam))); }
inline LPARAM PointToLParam(int x, int y) {
  return static_cast<LPARAM>(
      MAKELONG(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
}
