// Opening a text file into an editor's lines: its encoding detected, and the user told when the
// editor cannot hold everything the file holds, so that nobody saves over it unaware.
#pragma once

#include "app/Encoding.h"

// The warning shown for such a file.
WideString LossyConversionText(const WideString& FileName);
// The warning shown for a file in a Cyrillic 8-bit code page while the system's ANSI code page
// is not Windows-1251, through which the editor holds such text: it shows as other characters.
WideString ForeignCodePageText(const WideString& FileName);
// The question asked before a file whose lines ended in different line breaks is saved over,
// which makes them all the same.
WideString MixedLineBreaksText(const WideString& FileName);
// The question asked before a save in an encoding that has no place for some characters of the
// document: it names the file, the encoding and the characters (ANSI bytes); Yes saves what the
// encoding's table gives, No chooses another encoding, Cancel saves nothing.
WideString UnkeptCharactersText(const WideString& FileName, const WideString& EncodingName,
                                const AnsiString& Characters);
// Whether the text of a file loaded in Code is shown through another code page than its own;
// Cyrillic1251 tells that an ANSI file was found to be Cyrillic Windows-1251 text.
bool ShownInForeignCodePage(TTextEncoding Code, unsigned AnsiCodePage, bool Cyrillic1251 = false);

// Loads the file with detection and returns the code found; a lossy load, or one shown through
// a foreign code page, shows its warning
// through the application's message box (caption "Halcorn Verdan", a warning icon). Failures
// raise and leave the lines as they were.
TTextEncoding OpenTextFile(TTxtEditStringList* Lines, const WideString& FileName);
