// Window and graphics helpers of the application services: the disabled look of a button
// image and the screen-resolution suffix of stored window positions.
#pragma once

#include <memory>

#include "framework/Bitmap.h"
#include "framework/Colors.h"

// A new bitmap of Source's size: BackColor everywhere, and the shape of every pixel that is not
// OutlineColor painted in ShadowColor (with DrawHighlight first in HighlightColor, one pixel
// down and to the right), as buttons show a disabled image.
std::unique_ptr<TBitmap> MakeDisabledBitmapEx(TBitmap* Source, TColor OutlineColor, TColor BackColor,
                                              TColor HighlightColor, TColor ShadowColor, bool DrawHighlight);
// The same with the button colours of the system.
std::unique_ptr<TBitmap> MakeDisabledBitmap(TBitmap* Source, TColor OutlineColor);

// "(<width>x<height>)" of the primary screen in pixels.
AnsiString ScreenResolutionSuffix();
