// A planted tree for the include-circle check: outside every circle.
#pragma once

#include "one/Gamma.h"
