// Clicks chosen in a menu run after the menu windows are gone: they are posted to a hidden
// window of the thread, which clicks the item (or announces a viewer's focus) when the message
// arrives. Items and viewers that are freed first withdraw their pending clicks.
#pragma once

#include "framework/Object.h"
#include "framework/Win.h"

constexpr UINT WM_BAR_DEFERREDCLICK = WM_USER + 256;

// Items and viewers count themselves while they exist; the window goes with the last one.
void RegisterDeferredClickUser();
void UnregisterDeferredClickUser();

// Posts the click; AParam travels as the message's wParam.
void QueueClick(TObject* AObject, WPARAM AParam);
void CancelQueuedClicks(TObject* AObject);

// The hidden window of the calling thread (null when none exists) and its number of slots.
HWND DeferredClickWindow();
int DeferredClickSlotCount();
