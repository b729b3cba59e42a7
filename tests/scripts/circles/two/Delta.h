// A planted tree for the include-circle check: Delta and Echo, a known group.
#pragma once

#include "two/Echo.h"
