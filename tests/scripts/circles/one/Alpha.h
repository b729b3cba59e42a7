// A planted tree for the include-circle check: Alpha, Beta and Gamma make one circle.
#pragma once

#include "one/Beta.h"
