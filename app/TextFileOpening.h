// Opening a text file into an editor's lines: its encoding detected, and the user told when the
// editor cannot hold everything the file holds, so that nobody saves over it unaware.
#pragma once

#include "app/Encoding.h"

// The texts below are put together from Format, the text of the language in use (the main
// window's holder item named beside each); an empty or broken one gives the English text.
// The warning shown for such a file ("sLossyOpen").
WideString LossyConversionText(const WideString& FileName, const WideString& Format = WideString());
// The warning shown for a file in a Cyrillic 8-bit code page while the system's ANSI code page
// is not Windows-1251, through which the editor holds such text: it shows as other characters
// ("sForeignCodePage").
WideString ForeignCodePageText(const WideString& FileName, const WideString& Format = WideString());
// The question asked before a file whose lines ended in different line breaks is saved over,
// which makes them all the same ("sMixedLineBreaks").
WideString MixedLineBreaksText(const WideString& FileName, const WideString& Format = WideString());
// The question asked before a save that would change some characters of the document
// ("sUnkeptCharacters"): it names the file, the encoding and the characters (bytes in CodePage,
// the code page the document holds them in); Yes saves what the encoding gives, No chooses
// another encoding, Cancel saves nothing.
WideString UnkeptCharactersText(const WideString& FileName, const WideString& EncodingName,
                                const AnsiString& Characters, const WideString& Format = WideString(),
                                unsigned CodePage = 0);
// Whether the text of a file loaded in Code is shown through another code page than its own;
// Cyrillic1251 tells that an ANSI file was found to be Cyrillic Windows-1251 text.
bool ShownInForeignCodePage(TTextEncoding Code, unsigned AnsiCodePage, bool Cyrillic1251 = false);

// Which warning, if any, a file loaded in Code (Lossy and Cyrillic1251 as loading told them)
// calls for under the ANSI code page: the lost characters first.
enum TOpeningWarning { owNone, owLossy, owForeignCodePage };
TOpeningWarning OpeningWarning(TTextEncoding Code, bool Lossy, bool Cyrillic1251, unsigned AnsiCodePage);

// Loads the file with detection and returns the code found; a lossy load, or one shown through
// a foreign code page, shows its warning
// through the application's message box (caption "Halcorn Verdan", a warning icon). Failures
// raise and leave the lines as they were.
TTextEncoding OpenTextFile(TTxtEditStringList* Lines, const WideString& FileName);
