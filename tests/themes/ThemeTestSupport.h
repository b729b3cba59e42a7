// What the theme tests share: the off-screen test picture, the unit's optional functions kept
// aside, and system colours as colour values.
#pragma once

#include "framework/Colors.h"
#include "framework/GdiHandles.h"
#include "framework/Types.h"
#include "tests/common/TestPicture.h"
#include "themes/UiUtils.h"

// Keeps the unit's optional functions and puts them back, so a test may take some away.
struct TSavedFunctions {
  TSavedFunctions() : saved(UiOptionalFunctions()) {}
  ~TSavedFunctions() { UiOptionalFunctions() = saved; }
  TUiOptionalFunctions saved;
};

inline uint32_t Sys(TColor C) { return ColorToRGB(C) & 0xFFFFFF; }
