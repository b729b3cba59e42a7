// The program's single-instance start: only one copy runs; a later copy hands its command line
// to the running one and ends, and the running one opens the files named in it.
#pragma once

// Call before the main form is created. A copy that finds an earlier one ends here; in the
// copy that goes on, files named by later copies open in the main form.
void StartAppServices();

// While the main window closes, a copy started meanwhile must become the first and open its files
// itself: the running copy leaves the registry of copies, and joins it again when the close is
// cancelled. Nothing happens without the single-instance start.
void LeaveSingleInstance();
void RejoinSingleInstance();
