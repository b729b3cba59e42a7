// A planted tree for the include-circle check: Gamma closes the circle.
#pragma once

#include "one/Alpha.h"
