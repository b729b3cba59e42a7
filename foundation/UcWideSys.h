// The wide-string system layer: the platform flags, the wide command line, UTF-8, UTF-7 and
// code-page conversions, and wide wrappers of the file, path, locale and message calls.
//
// The program runs on the Unicode platform only, so every wrapper calls the W function; the
// wrappers stay because the rest of the code calls them by name.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Exceptions.h"
#include "framework/Types.h"
#include "framework/Win.h"

// Malformed input to a conversion ("Invalid UTF7").
HV_DECLARE_EXCEPTION(EUcGeneralError, Exception);
// An internal consistency failure ("Buffer overflow", companion-list faults).
HV_DECLARE_EXCEPTION(EUcInternalError, Exception);

// ---- process-wide values, set before any form exists ----
extern const bool UnicodePlatformFlag;  // always true: the NT family
extern bool WinXPOrLaterFlag;           // Windows 5.1 or later
extern uint32_t DefaultCodePage;        // the system's ANSI code page
uint32_t GetDefaultCodePage();

// ---- the command line ----
// Parameter Index of the process's command line; 0 is the executable's file name, an index
// past the last parameter gives "".
WideString WideParamStr(int Index);
// The same over any command line (the first token is the program's own).
WideString WideParamStrOf(const wchar_t* CommandLine, int Index);
// Reads one parameter at P into Param and returns the position behind it. Blanks and control
// characters before it and empty quoted pairs are skipped; quotes group blanks and never
// appear in the result; an open quote runs to the end of the line.
const wchar_t* WideGetParamStr(const wchar_t* P, WideString& Param);

// ---- conversions ----
// UTF-8 of the standard: a valid surrogate pair becomes one 4-byte sequence, a lone surrogate
// the replacement character.
std::string WideStringToUTF8(const WideString& S);
// Every invalid or truncated sequence gives U+FFFD, and decoding goes on at the next byte.
WideString UTF8ToWideString(const std::string& S);
// UTF-7, writing the optionally direct characters directly.
AnsiString WideStringToUTF7(const WideString& S);
// Raises EUcGeneralError "Invalid UTF7" for malformed input.
WideString UTF7ToWideString(const AnsiString& S);
// Code page 65000 is UTF-7 and 65001 UTF-8, both done here; others go through the system.
WideString StringToWideStringEx(const AnsiString& S, uint32_t CodePage);
AnsiString WideStringToStringEx(const WideString& W, uint32_t CodePage);
// The locale's default ANSI code page, or the system's when the locale names none.
uint32_t LCIDToCodePage(LCID Locale);
// Swaps the two bytes of Count units in place (UTF-16 big endian to little endian and back);
// zero units are swapped like any other.
void WideSwapByteOrder(wchar_t* P, size_t Count);
void WideSwapByteOrder(WideString& S);
// The same over a zero-terminated text, up to its first zero unit.
void WideSwapByteOrder(wchar_t* P);

// ---- system-call wrappers: they return what the system returns and never raise ----
BOOL WideSetWindowText(HWND Wnd, const WideString& Text);
int WideDrawText(HDC DC, const WideString& Text, int Count, RECT& Rect, UINT Format);
DWORD WideGetFullPathName(const WideString& FileName, DWORD BufLen, wchar_t* Buffer, wchar_t** FilePart);
HANDLE WideCreateFile(const WideString& FileName, DWORD DesiredAccess, DWORD ShareMode,
                      SECURITY_ATTRIBUTES* SecurityAttributes, DWORD CreationDisposition, DWORD FlagsAndAttributes,
                      HANDLE TemplateFile);
HANDLE WideFindFirstFile(const WideString& FileName, WIN32_FIND_DATAW& FindData);
BOOL WideFindNextFile(HANDLE FindHandle, WIN32_FIND_DATAW& FindData);
DWORD WideGetModuleFileName(HMODULE Module, wchar_t* Buffer, DWORD Size);
// Raises EOSError when the system cannot tell the name.
WideString WideGetModuleFileName(HMODULE Module);
// Default when the locale has no such item.
WideString WideGetLocaleStr(LCID Locale, LCTYPE LocaleType, const WideString& Default);
WideString WideSysErrorMessage(DWORD ErrorCode);
// The system's text for the code (from Dll when given), trimmed; for a code the system does
// not know: "Unspecified error (<code>) from <LibName>."
WideString WideLibraryErrorMessage(const WideString& LibName, HMODULE Dll, DWORD ErrorCode);

// ---- files and paths (positions 1-based) ----
WideString WideIncludeTrailingPathDelimiter(const WideString& S);
bool WideIsPathDelimiter(const WideString& S, int Index);
int WideLastDelimiter(const WideString& Delimiters, const WideString& S);
WideString WideExtractFileName(const WideString& S);
WideString WideExpandFileName(const WideString& S);
// Creates (or empties) the file for reading and writing, shared with nobody.
HANDLE WideFileCreate(const WideString& Name);
// Mode: the framework's fmOpen... access in the low two bits, combined with one fmShare...
// value; INVALID_HANDLE_VALUE on failure or for a mode that names no access or sharing.
HANDLE WideFileOpen(const WideString& Name, uint32_t Mode);
// An existing file (not a folder). Names with the wildcards "*" or "?" never exist.
bool WideFileExists(const WideString& Name);

// One entry of a folder search; the handle is closed by WideFindClose.
struct TWideSearchRec {
  int32_t Time = 0;  // local DOS date and time of the last write
  int64_t Size = 0;
  int Attr = 0;
  WideString Name;
  int ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData{};
};
// 0 or the system's error code. Hidden, system and folder entries are skipped unless Attr
// names them.
int WideFindFirst(const WideString& Path, int Attr, TWideSearchRec& SearchRec);
int WideFindNext(TWideSearchRec& SearchRec);
void WideFindClose(TWideSearchRec& SearchRec);

// Position of SubStr in S without regard to case; 0 when absent.
int WideTextPos(const WideString& SubStr, const WideString& S);
// True when a resource-name argument is a number rather than a pointer to a name.
bool IsIntResourceId(const wchar_t* P);
// Returns Value; raises EOSError for the last error when Value is 0.
uintptr_t CheckWin32Result(uintptr_t Value);

// ---- UTF-8 cores shared with the character-data unit ----
namespace ucutf8 {
// Tolerant: encoded surrogates (also the two halves of a pair) are accepted, and a
// continuation byte standing alone gives the character of its value. Strict: both give U+FFFD.
WideString Decode(const char* S, size_t Length, bool Tolerant);
// Tolerant: a lone surrogate is written as its own 3-byte sequence; strict: as U+FFFD.
std::string Encode(const wchar_t* S, size_t Length, bool Tolerant);
}  // namespace ucutf8
