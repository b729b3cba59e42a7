// Tabs: the tab styles and the painting of a tab strip's pane and of single tabs in each style.
#pragma once

#include "framework/Graphics.h"
#include "framework/TypeInfo.h"
#include "framework/Types.h"

HV_ENUM(TSkinTabThemeType, tttNone, tttWindows, tttUi, tttFlat)
HV_ENUM(TSkinTabPosition, ttpTop, ttpBottom)

// The style a tab really paints in: tttUi is tttWindows under the theme "Default", and
// tttWindows is tttNone without visual styles.
TSkinTabThemeType GetTabThemeTypeInUse(TSkinTabThemeType Style);
// Whether the current theme draws tttUi tabs upside down.
bool TabUiStyleFlipped();
// How far the active tab reaches into the pane below it.
int ActiveTabExtension(TSkinTabThemeType StyleInUse, TSkinTabPosition Position);

// The pane under the tabs, in a style already resolved by GetTabThemeTypeInUse.
void DrawTabToolbarBackground(TCanvas* ACanvas, const TRect& ARect, TColor AColor, TSkinTabThemeType Style,
                              TSkinTabPosition Position);
// One tab: EdgeKind 0 a tab in the middle, 1 at the left edge, 2 at the right edge. The brush
// colour of ACanvas fills flat tabs.
void DrawTabItemBackground(TCanvas* ACanvas, const TRect& ARect, bool Enabled, int EdgeKind, TSkinTabThemeType Style,
                           bool Flip, bool Focused, bool Hot, bool Checked);
