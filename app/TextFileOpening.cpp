// Opening a text file into an editor's lines with detection and the lossy-conversion warning.
#include "app/TextFileOpening.h"

#include "app/ProductIdentity.h"
#include "app/TextRoutines.h"
#include "framework/Application.h"
#include "framework/CodePages.h"
#include "framework/FileRoutines.h"

WideString LossyConversionText(const WideString& FileName, const WideString& Format) {
  return FormatTranslated(Format, "sLossyOpen", {ExtractFileName(FileName)});
}

WideString ForeignCodePageText(const WideString& FileName, const WideString& Format) {
  return FormatTranslated(Format, "sForeignCodePage", {ExtractFileName(FileName)});
}

WideString MixedLineBreaksText(const WideString& FileName, const WideString& Format) {
  return FormatTranslated(Format, "sMixedLineBreaks", {FileName});
}

WideString UnkeptCharactersText(const WideString& FileName, const WideString& EncodingName,
                                const AnsiString& Characters, const WideString& Format, unsigned CodePage) {
  WideString shown;
  for (char c : Characters) {
    if (!shown.empty()) shown += L' ';
    shown += AnsiToWide(AnsiString(1, c), CodePage);
  }
  return FormatTranslated(Format, "sUnkeptCharacters", {ExtractFileName(FileName), EncodingName, shown});
}

bool ShownInForeignCodePage(TTextEncoding Code, unsigned AnsiCodePage, bool Cyrillic1251) {
  const bool cyrillic = (Code >= teCyrillicDos && Code <= teCyrillicKoi8) || (Code == teAnsi && Cyrillic1251);
  return cyrillic && AnsiCodePage != 1251;
}

TOpeningWarning OpeningWarning(TTextEncoding Code, bool Lossy, bool Cyrillic1251, unsigned AnsiCodePage) {
  if (Lossy) return owLossy;
  return ShownInForeignCodePage(Code, AnsiCodePage, Cyrillic1251) ? owForeignCodePage : owNone;
}

TTextEncoding OpenTextFile(TTxtEditStringList* Lines, const WideString& FileName) {
  bool lossy = false, cyrillic1251 = false;
  const TTextEncoding code = LoadTextFile(Lines, FileName, teAutoSelect, lossy, &cyrillic1251);
  switch (OpeningWarning(code, lossy, cyrillic1251, AnsiCodePage())) {
    case owLossy: Application->MessageBox(LossyConversionText(FileName), ProductName, MB_ICONWARNING); break;
    case owForeignCodePage: Application->MessageBox(ForeignCodePageText(FileName), ProductName, MB_ICONWARNING); break;
    case owNone: break;
  }
  return code;
}
