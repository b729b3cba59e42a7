// How a caption wraps or shortens when it does not fit: shared by the text objects and the
// Unicode text drawing.
#pragma once

#include "framework/TypeInfo.h"

HV_ENUM(TTextWrapping, twNone, twEndEllipsis, twPathEllipsis, twWrap)
