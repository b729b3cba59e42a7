// The steps of the program's start and end that need no main window: the switch that removes
// the file associations, the data folder and the program's folders, the global objects with
// the cursors, languages and associations they bring, the application-window hook and the log of the errors the program
// swallows.
#pragma once

#include <vector>

#include "framework/Messages.h"
#include "framework/Types.h"

class Exception;
class TObject;

// True when the first argument is "/unregisterassociations" in any letter case.
bool IsUnregisterSwitch(const std::vector<WideString>& Args);
// The data folder, and "Languages\" and "Highlighters\" beside the program, parents included;
// a folder that cannot be made is not reported.
void CreateDataFolders();
// The hint window class, the global objects (options read from the data folder's
// "Preferences.ini"), the zoom and hand cursors, the folders, the language files with the
// chosen language, and the file associations again when the options ask for it.
void InitializeGlobalUnit();
// Frees the global objects; the options write "Preferences.ini" (a refused write is logged).
void FinalizeGlobalUnit();

// The application window's hook: the framework's own key and system-command relays
// (CM_APPKEYDOWN, CM_APPSYSCOMMAND) become message 0. Never claims the message.
bool AppHookMessage(TMessage& Message);

// Where swallowed errors are written: "Errors.log" in the data folder.
WideString ErrorLogFile();
// Appends a line "yyyy-mm-dd hh:nn:ss  text" to the log (at most 1 MB is kept: a longer log
// starts again). Never raises.
void LogError(const WideString& LogFile, const WideString& Text);
