// Opening a text file into an editor's lines with detection and the lossy-conversion warning.
#include "app/TextFileOpening.h"

#include "app/ProductIdentity.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"

WideString LossyConversionText(const WideString& FileName) {
  return L"The file \u201c" + ExtractFileName(FileName) +
         L"\u201d holds characters that the system's code page cannot show; they were replaced. "
         L"Saving the file would lose them.";
}

WideString ForeignCodePageText(const WideString& FileName) {
  return L"The file \u201c" + ExtractFileName(FileName) +
         L"\u201d is Cyrillic text that the system's code page cannot show; its letters appear as other "
         L"characters. Saving it in its own encoding keeps them.";
}

WideString MixedLineBreaksText(const WideString& FileName) {
  return L"The lines of \u201c" + FileName +
         L"\u201d do not all end in the same line break. Saving makes them all the same in the file. "
         L"Save anyway?";
}

WideString UnkeptCharactersText(const WideString& FileName, const WideString& EncodingName,
                                const AnsiString& Characters) {
  WideString shown;
  for (char c : Characters) {
    if (!shown.empty()) shown += L' ';
    shown += AnsiToWide(AnsiString(1, c));
  }
  return L"\u201c" + ExtractFileName(FileName) + L"\u201d holds characters that " + EncodingName +
         L" has no place for: " + shown +
         L". Saving in this encoding writes other characters in their place.\n\nSave anyway? (No chooses another "
         L"encoding.)";
}

bool ShownInForeignCodePage(TTextEncoding Code, unsigned AnsiCodePage, bool Cyrillic1251) {
  const bool cyrillic = (Code >= teCyrillicDos && Code <= teCyrillicKoi8) || (Code == teAnsi && Cyrillic1251);
  return cyrillic && AnsiCodePage != 1251;
}

TTextEncoding OpenTextFile(TTxtEditStringList* Lines, const WideString& FileName) {
  bool lossy = false, cyrillic1251 = false;
  const TTextEncoding code = LoadTextFile(Lines, FileName, teAutoSelect, lossy, &cyrillic1251);
  if (lossy)
    Application->MessageBox(LossyConversionText(FileName), ProductName, MB_ICONWARNING);
  else if (ShownInForeignCodePage(code, AnsiCodePage(), cyrillic1251))
    Application->MessageBox(ForeignCodePageText(FileName), ProductName, MB_ICONWARNING);
  return code;
}
