// Which scroll bars a scrolling control shows (memos, the editor), and which one a scroll
// bar or an event concerns.
#pragma once

#include "framework/TypeInfo.h"

HV_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
HV_ENUM(TScrollBarKind, sbHorizontal, sbVertical)
