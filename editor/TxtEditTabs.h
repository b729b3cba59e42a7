// Tab expansion: the rule that maps stored line text to display columns. Every routine gives
// the same columns; they differ only in how they compute the fill.
#pragma once

#include <string_view>

#include "framework/Types.h"

// With a width of 2 or more a tab becomes TabWidth - (column mod TabWidth) tab characters, so
// that the expanded text still shows where tabs were; below 2 it becomes one space.
using TConvertTabsProc = AnsiString (*)(std::string_view Line, int TabWidth);
using TConvertTabsProcEx = AnsiString (*)(std::string_view Line, int TabWidth, bool& HasTabs);

// True when Line holds a tab; CharsBefore is the number of characters before the first one (the
// whole length when there is none).
bool GetHasTabs(std::string_view Line, int& CharsBefore);

TConvertTabsProc GetBestConvertTabsProc(int TabWidth);
TConvertTabsProcEx GetBestConvertTabsProcEx(int TabWidth);

AnsiString ConvertTabs(std::string_view Line, int TabWidth);
AnsiString ConvertTabsEx(std::string_view Line, int TabWidth, bool& HasTabs);
// For widths that are powers of two: the fill comes from a mask instead of a division.
AnsiString ConvertTabs2n(std::string_view Line, int TabWidth);
AnsiString ConvertTabs2nEx(std::string_view Line, int TabWidth, bool& HasTabs);
// For widths 0 and 1: each tab becomes a space.
AnsiString ConvertTabs1(std::string_view Line, int TabWidth);
AnsiString ConvertTabs1Ex(std::string_view Line, int TabWidth, bool& HasTabs);

// Appends Line expanded as the routine of that width expands it to Out: expanding line after
// line into one string reuses its storage.
void AppendExpandedLine(std::string_view Line, int TabWidth, AnsiString& Out);

// The length of the expanded line without building it. Widths below 1 count as 1.
int GetExpandedLength(std::string_view Line, int TabWidth);

// True for 2, 4, 8 ... 65536 only.
bool IsPowerOfTwo(int TabWidth);
