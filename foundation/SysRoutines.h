// Small system services under the settings storage, form placement and instance registry:
// errors that carry the system's last error, byte classification and case tables of the ANSI
// code page, string and path helpers, special folders and the system's processor figures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Exceptions.h"
#include "framework/Sets.h"
#include "framework/Types.h"

class TStrings;

// ---- errors ----
HV_DECLARE_EXCEPTION(ESysError, Exception);

// A failed system call: the message is the caller's text, CR LF, then
// "Win32: <system text> (<code>)".
class ESysWin32Error : public ESysError {
 public:
  // Takes the calling thread's last error.
  explicit ESysWin32Error(const WideString& Text);
  ESysWin32Error(const WideString& Text, uint32_t ALastError);

  uint32_t LastError() const { return lastError_; }
  const WideString& LastErrorMsg() const { return lastErrorMsg_; }

 private:
  uint32_t lastError_;
  WideString lastErrorMsg_;
};

HV_DECLARE_EXCEPTION(ESysFileMappingError, ESysWin32Error);
HV_DECLARE_EXCEPTION(ESysFileMappingViewError, ESysWin32Error);
HV_DECLARE_EXCEPTION(ESysEventError, ESysWin32Error);

// ---- byte classification and case tables (built once for the ANSI code page) ----

bool CharIsAlpha(char Ch);
bool CharIsDigit(char Ch);
bool CharIsLower(char Ch);
bool CharIsUpper(char Ch);
char CharToUpper(char Ch);
char CharToLower(char Ch);
// The other letter case of a letter; any other byte unchanged.
char CharReverseCase(char Ch);

// ---- strings (positions 1-based) ----
int StrCharCount(std::string_view S, char Ch);
// Replaces every Old byte by New; returns how many were replaced.
int StrSwapChar(AnsiString& S, char Old, char New);
AnsiString StrFirst(std::string_view S, int Count);
AnsiString StrFrom(std::string_view S, int Index);
AnsiString StrAppendIfMissing(std::string_view Suffix, std::string_view Text);

enum : unsigned { srReplaceAllFlag = 1, srIgnoreCaseFlag = 2 };
// Replaces the first (or, with srReplaceAllFlag, every) occurrence of Search in S.
// An empty Search raises ESysError "Search string cannot be blank" unless S is empty too,
// in which case S becomes Replace.
void StrReplaceText(AnsiString& S, std::string_view Search, std::string_view Replace, unsigned Flags);
// Position of SubStr in S at or after Index, ignoring letter case; 0 when not found.
int StrFindNoCase(std::string_view SubStr, std::string_view S, int Index);
// Fills List (inside one update bracket) with the pieces of S between separators; empty
// pieces only with AllowEmpty; the piece after the last separator only when it is not empty.
void StrSplitToList(std::string_view S, std::string_view Separator, TStrings& List, bool AllowEmpty);
// The same pieces, for callers that need no string list.
std::vector<AnsiString> StrSplit(std::string_view S, std::string_view Separator, bool AllowEmpty);
int PCharLength(const char* P);

void StrTrimToZero(AnsiString& S);

using TSysCharSet = TSetValue;
void CharSetAdd(TSysCharSet& Set, char Ch);
bool CharSetHas(const TSysCharSet& Set, char Ch);
TSysCharSet CharSetOf(std::string_view Chars);

// Copies Count characters from Source (from FromIndex) into Dest (at ToIndex); the ranges are
// clipped to both strings, so nothing is read or written outside them.
void MoveStrChars(std::string_view Source, int FromIndex, AnsiString& Dest, int ToIndex, int Count);

struct _GUID;
AnsiString GuidToText(const _GUID& Guid);
void SplitInt64(int64_t Value, uint32_t& Low, uint32_t& High);

// ---- paths and files ----
AnsiString PathWithDelimiter(std::string_view Path);
AnsiString PathWithoutDelimiter(std::string_view Path);
AnsiString PathWithExtension(std::string_view Path, std::string_view Extension);
bool PathIsAbsolute(std::string_view Path);
bool PathIsUNC(std::string_view Path);
bool FileExistsNotDir(std::string_view Name);
AnsiString ModuleFileName(void* Module);
AnsiString WindowsDirectory();
AnsiString TempDirectory();
AnsiString SpecialFolderPath(int FolderId);
AnsiString GetAppdataFolder();
// The same folders as the system gives them, in UTF-16: a folder named outside the ANSI code
// page (a user name in Cyrillic under code page 1252) keeps its name.
WideString ModuleFileNameW(void* Module);
WideString WindowsDirectoryW();
WideString TempDirectoryW();
WideString SpecialFolderPathW(int FolderId);
WideString GetAppdataFolderW();

// ---- system figures, read once ----
int SysProcessorCount();
uint32_t SysAllocationGranularity();
