// Mnemonic text: the "&" that marks the hot-key character of a caption. Menus, toolbars, labels,
// buttons and hints all read a caption through these routines, so one caption has one hot key.
#pragma once

#include "framework/Types.h"

// The caption without its marks: each "&" goes and the character after it stays, so "&&" leaves
// one "&" and a lone "&" at the end goes. AccelAt, when given, receives the position in the result
// of the hot-key character (the one after the last single "&"), or -1.
WideString StripAccelChars(const WideString& S, int* AccelAt = nullptr);
// Menus on a Far-East system locale write the hot key as a group after the text, "Open (&O)": the
// group is removed whole there; every other "&" goes as StripAccelChars takes it.
WideString StripAccelCharsFarEast(const WideString& S);
// Every "&" doubled, so that a file or scheme name shows as it is.
WideString EscapeAmpersands(const WideString& S);
AnsiString EscapeAmpersands(const AnsiString& S);
// Every "&&" made one "&" and a single "&" kept: reads back a text that EscapeAmpersands made for
// showing (a tab caption), not a caption with a hot key (StripAccelChars).
WideString UnescapeAmpersands(const WideString& S);
AnsiString UnescapeAmpersands(const AnsiString& S);
// The hot-key character as written: the one after the last "&" that is not doubled; 0 when none.
wchar_t FindAccelChar(const WideString& S);
// A hot-key character as keys are compared: letters in upper case (in the user's locale).
wchar_t AccelCharUpper(wchar_t Ch);
// Whether Ch is the caption's hot-key character, letters compared without regard to case.
bool IsAccelChar(wchar_t Ch, const WideString& Caption);
// One trailing ":" (text longer than 1) or else "..." (longer than 3) removed: captions made into
// hints.
WideString StripTrailingPunctuation(const WideString& S);
