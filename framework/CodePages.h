// Conversions between 8-bit text in a Windows code page and UTF-16. Lengths are taken from the
// strings, so embedded zero characters survive.
#pragma once

#include "framework/Types.h"

constexpr unsigned CP_ANSI_DEFAULT = 0;  // the process's ANSI code page
constexpr unsigned CP_UTF8_CODE = 65001;

WideString AnsiToWide(const AnsiString& s, unsigned codePage = CP_ANSI_DEFAULT);
WideString AnsiToWide(const char* s, size_t length, unsigned codePage = CP_ANSI_DEFAULT);
// Characters the code page cannot hold become the code page's default character ("?").
// With bestFit false, no look-alike substitution takes place (é never becomes e).
AnsiString WideToAnsi(const WideString& s, unsigned codePage = CP_ANSI_DEFAULT, bool bestFit = false);
// As WideToAnsi, and tells whether any character could not be converted exactly.
AnsiString WideToAnsiChecked(const WideString& s, bool& lossy, unsigned codePage = CP_ANSI_DEFAULT);

WideString Utf8ToWide(const std::string& s);
std::string WideToUtf8(const WideString& s);

// The process's ANSI code page.
unsigned AnsiCodePage();
