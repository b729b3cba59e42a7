// Opening a text file into an editor's lines with detection and the lossy-conversion warning.
#include "app/TextFileOpening.h"

#include "framework/Application.h"
#include "framework/FileRoutines.h"

WideString LossyConversionText(const WideString& FileName) {
  return L"The file \u201c" + ExtractFileName(FileName) +
         L"\u201d holds characters that the system's code page cannot show; they were replaced. "
         L"Saving the file would lose them.";
}

TTextEncoding OpenTextFile(TTxtEditStringList* Lines, const WideString& FileName) {
  bool lossy = false;
  const TTextEncoding code = LoadTextFile(Lines, FileName, teAutoSelect, lossy);
  if (lossy) Application->MessageBox(LossyConversionText(FileName), L"Halcorn Verdan", MB_ICONWARNING);
  return code;
}
