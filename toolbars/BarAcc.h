// Accessibility objects: toolbars, menu bars and popup menus as screen readers see them, one
// object per view and per item viewer, handed out while a client holds them.
#pragma once

#include <oleacc.h>

#include "toolbars/BarView.h"

// Whether the system's accessibility functions are there (looked up once).
bool BarAccessibilityAvailable();
// Initializes COM for the program's thread once (the application does this at start-up).
void InitBarAccessibility();
// Ends what InitBarAccessibility began (at shutdown, once the windows are gone): clients lose
// the objects they still hold, and COM ends when it was begun there.
void DoneBarAccessibility();

// The object of a view or viewer with one reference for the caller (null when accessibility
// is not available).
IAccessible* GetBarViewAccObject(TBarView* View);
IAccessible* GetBarViewerAccObject(TBarItemViewer* Viewer);
// The answer to WM_GETOBJECT for a view's window; 0 when the request is not ours.
LRESULT AnswerBarGetObject(TBarView* View, WPARAM WParam, LPARAM LParam);
// How many objects are alive (all kinds) and how many of them speak for views.
int BarAccObjectCount();
int BarViewAccObjectCount();
// The name of the Alt key on this keyboard.
WideString BarAltKeyName();
