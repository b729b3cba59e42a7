// Finding line breaks in 8-bit text: the scan that loading, setting and measuring text rest on,
// with an SSE2 path chosen at run time and a portable one for processors without it.
#pragma once

// The first CR or LF in [P, End), or End. Uses the fastest path this processor has.
const char* FindLineBreak(const char* P, const char* End);

// The path that runs on every x86 processor: four or eight bytes at a time.
const char* FindLineBreakPortable(const char* P, const char* End);

// Whether this processor has SSE2; FindLineBreakSse2 may only be called when it has.
bool LineScanHasSse2();
const char* FindLineBreakSse2(const char* P, const char* End);
