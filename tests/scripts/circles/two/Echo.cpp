// A planted tree for the include-circle check: Echo back to Delta.
#include "two/Delta.h"
#include "two/Echo.h"
