// The search-engine interface's class information.
#include "editor/TxtEditSearchCustom.h"

HV_PUBLISH(TTxtEditSearchCustom) {}
