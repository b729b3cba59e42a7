// The application's text routines that need no window: the text transforms of the case and line
// commands, links, numbers, file-name proposals from text, history lists and holder strings.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

#include "editor/TxtEditTextBuffer.h"
#include "framework/Format.h"
#include "framework/StringLists.h"
#include "framework/Types.h"

class TApMultiStringHolder;

// The bytes that may form a link or a word under the caret: # % & ' + - . / : = ? @ _ ~, digits,
// ASCII letters and the Cyrillic letters of Windows-1251 (0xA8, 0xB8, 0xC0-0xFF).
bool IsURLChar(unsigned char Ch);
// The reserved device names ("CON", "PRN", "AUX", "NUL", COM0-COM9, LPT0-LPT9).
extern const char* const DeviceNames[24];

// ---- names ----
// A file-name stem from the letters, digits and spaces at the start of the text.
AnsiString MakeValidFileName(std::string_view Text);
// Name with "1" appended when it is a reserved device name, so the shell can create it.
AnsiString AvoidDeviceName(const AnsiString& Name);
// Mode 0: the file name proposed for a text; mode 1: a one-line preview of it.
AnsiString NameFromText(const AnsiString& Text, int Mode);

// ---- text transforms (8-bit text in the ANSI code page) ----
AnsiString CollapseSpaces(std::string_view S);
AnsiString SentenceCase(std::string_view S);
AnsiString CapitalizeWords(std::string_view S);
AnsiString ToggleCase(std::string_view S);
// The text on one line: with LF breaks every LF becomes a space and CRs go; with CR LF or CR
// breaks every CR becomes a space and LFs go.
AnsiString JoinLinesText(std::string_view Text, TTxtEditLineBreakFormat BreakStyle);
bool IsLogFile(std::string_view FirstLine);
// A text that begins with "http://", "https://", "ftp://", "www." or "mailto:" (any case), 2 to
// 3072 bytes long.
bool IsURL(std::string_view S);
// The address handed to the shell for a link text, or empty when the text must not reach the
// shell: "www." gains "http://", and only http, https, ftp and mailto addresses pass.
AnsiString ShellLinkTarget(std::string_view S);
bool IsInteger(const AnsiString& S);
// The digits of S joined as a number; -1 when there are none or they make no integer.
int ExtractInteger(std::string_view S);
AnsiString LettersAndDigits(std::string_view S);
AnsiString FormatThousands(int Value, char Separator);
// Escape: every "&" doubled (captions that must show it); else every "&&" made one "&".
AnsiString EscapeAmpersands(const AnsiString& S, bool Escape);
// The pieces between delimiters, without an empty piece for a trailing delimiter.
void SplitString(std::string_view S, char Delimiter, TStrings* List);
// Every piece, the possibly empty rest after the last delimiter included.
void SplitStringAll(std::string_view S, char Delimiter, TStrings* List);
// The named string list of the holder as one text, lines joined by CR LF.
AnsiString GetHolderString(TApMultiStringHolder* Holder, const AnsiString& Name);
// The same text widened: a translation is held in the code page of its language, which need not
// be the system's (Russian texts on a Western system).
WideString GetHolderText(TApMultiStringHolder* Holder, const AnsiString& Name);
// Each line of the holder's named list, widened as GetHolderText widens (the encoding names).
std::vector<WideString> GetHolderTexts(TApMultiStringHolder* Holder, const AnsiString& Name);

// ---- translated formats ----
// The English text of a translatable format (as the form files hold it), empty for a name that
// is not one.
WideString EnglishFormat(const AnsiString& Name);
// The names of the texts EnglishFormat knows, each also an entry of the language files.
std::vector<AnsiString> EnglishFormatNames();
// Translated, the translation of the format Name, formatted with Args. A language file is outside
// input: a translation that does not take the arguments (a bad directive, one too many, one of
// another kind) or is empty gives the English text formatted instead, and never an error.
WideString FormatTranslated(const WideString& Translated, const AnsiString& Name,
                            std::initializer_list<TFormatArg> Args);
// The holder's text Name formatted so.
WideString FormatHolderText(TApMultiStringHolder* Holder, const AnsiString& Name,
                            std::initializer_list<TFormatArg> Args);

// ---- lists and history ----
int IndexOfExact(TStrings* List, const AnsiString& S);
// S moved or inserted at the top, the list kept to MaxCount entries; an empty S changes nothing.
void AddToHistory(TStrings* Items, const AnsiString& S, int MaxCount);
// The same for the wide lists of the dialogs' combo boxes.
int IndexOfExact(TStringsW* List, const WideString& S);
void AddToHistory(TStringsW* Items, const WideString& S, int MaxCount);
