// The application's files and paths: the program's own folder and its data folder, quiet file and
// folder tests, long and expanded names, blocked files and single lines read from a file. Names are
// wide throughout, so none is cut to the ANSI code page.
#pragma once

#include "framework/Types.h"

// The full name of the running executable.
WideString ProgramFileName();
// The folder of the running executable, with its trailing "\", followed by Name.
WideString AppPath(const WideString& Name);
// The program's "Data\" folder when it exists beside the executable, else the per-user
// application-data folder's "Halcorn Verdan\"; with its trailing "\".
WideString GetDataFolder();
WideString DataPath(const WideString& Name);
// File tests that never bring up the system's critical-error boxes (a drive not ready).
bool FileExistsQuiet(const WideString& FileName);
bool DirectoryExistsQuiet(const WideString& Path);
// Whether the process could change into the folder; the current folder is kept.
bool CanEnterFolder(const WideString& Path);
WideString ExpandPath(const WideString& FileName);
// The path with every existing short (8.3) component replaced by its long name.
WideString LongPathName(const WideString& Path);
// Whether the file cannot be opened: Mode 0 read with others free to do anything, 1 read and
// write likewise, 2 read and write alone; other modes as 0.
bool IsFileBlocked(const WideString& FileName, int Mode);
// Line N (1-based, LF-separated, a CR before the LF kept) of the file; empty past the end or
// for N below 1. A file that cannot be opened raises EFOpenError.
AnsiString ReadFileLine(const WideString& FileName, int N);
