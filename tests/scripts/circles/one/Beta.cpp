// A planted tree for the include-circle check: the step from Beta to Gamma.
#include "one/Beta.h"
#include "one/Gamma.h"
#include "one/Missing.h"
#include "two/Echo.h"
