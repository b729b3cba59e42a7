// A planted tree for the include-circle check.
#pragma once
