// Saving documents and closing them: the seams through which tests stand in for the disk and the
// save dialog, and the list of the documents open at exit ("LastDocuments.dat").
#pragma once

#include <string>
#include <vector>

#include "app/Encoding.h"

class TCustomTxtEdit;
class TNSTextSaveDialog;

// What writes a document's text (SaveTextFile unless replaced); raises or gives false on failure.
using TTextFileWriter = bool (*)(TCustomTxtEdit* Editor, const WideString& FileName, TTextEncoding Code, bool WithBOM);
// Installs another writer (null restores SaveTextFile); returns the one before.
TTextFileWriter SetTextFileWriter(TTextFileWriter Writer);

// What shows the save dialog (its Execute unless replaced); true when a name was chosen.
using TSaveDialogRunner = bool (*)(TNSTextSaveDialog* Dialog);
TSaveDialogRunner SetSaveDialogRunner(TSaveDialogRunner Runner);

// The file of the documents open at exit: one full name per line, in the ANSI code page, or in
// UTF-8 after its mark when a name does not fit the code page. Written beside and replacing the
// old file; failures raise.
void WriteLastDocuments(const WideString& FileName, const std::vector<WideString>& Names);
// The names of such a file's bytes: lines broken at CR, LF or CR LF; empty lines, names with
// control characters and names longer than the system allows are skipped.
std::vector<WideString> ParseLastDocuments(const std::string& Bytes);
// A missing or unreadable file gives no names.
std::vector<WideString> ReadLastDocuments(const WideString& FileName);
