// Services the program starts before its main window: it runs once (a later copy hands its
// command line to the running one and ends).
#pragma once

// Call before the main form is created. A copy that finds an earlier one ends here; in the
// copy that goes on, files named by later copies open in the main form.
void StartAppServices();
