// Opening a text file into an editor's lines: its encoding detected, and the user told when the
// editor cannot hold everything the file holds, so that nobody saves over it unaware.
#pragma once

#include "app/Encoding.h"

// The warning shown for such a file.
WideString LossyConversionText(const WideString& FileName);

// Loads the file with detection and returns the code found; a lossy load shows the warning
// through the application's message box (caption "Halcorn Verdan", a warning icon). Failures
// raise and leave the lines as they were.
TTextEncoding OpenTextFile(TTxtEditStringList* Lines, const WideString& FileName);
