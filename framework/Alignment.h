// The horizontal alignment of text, shared by the standard controls and by printed bands.
#pragma once

#include "framework/TypeInfo.h"

HV_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
