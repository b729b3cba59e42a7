// The settings files the exit could not write: gathered while the program ends and told to the
// user together, once, so that a refused file neither stops the exit nor goes unmentioned.
#pragma once

#include "framework/Types.h"

// From here on the refused settings writes are gathered instead of told one by one.
void GatherSettingsFailures();
// True when gathered: the first refusal of each file, however many writers share it, and none of
// a file told already. The message names the file, in the language in use.
bool GatherSettingsFailure(const WideString& FileName, const WideString& Message);
// One message with what was gathered and not told yet, if anything; Finish stops gathering.
void TellSettingsFailures(bool Finish);
