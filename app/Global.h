// The application's global objects: the open documents, the catalogue of highlighting schemes and
// the user's options (declared with their class in app/Options.h), alive from the program's start
// to its end (tests make their own).
#pragma once

#include "framework/Types.h"

class TDocumentList;
class THighList;

extern TDocumentList* DocumentList;
extern THighList* Highlighters;

// Creates the three objects: the options read from PreferencesFile, the catalogue over the scheme
// files of HighlightersFolder. Objects that exist already are freed first.
void CreateGlobals(const WideString& PreferencesFile, const WideString& HighlightersFolder);
// Frees them (the documents first); the options write their file on the way.
void FreeGlobals();

// Registers every component class the program's form files name.
void RegisterAppClasses();
