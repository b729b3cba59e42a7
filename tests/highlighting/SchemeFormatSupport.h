// A small highlighter built in code that the scheme format tests write and read.
#pragma once

#include "tests/highlighting/HighlightTestSupport.h"

inline void FillMini(TTxtXmlHighlighter& H) {
  H.Info()->General = {"Mini", "mi", 2, 3, "", "if \"a\"\r\nelse 12"};
  H.Info()->Author.Name = "Me";
  H.Schemes()->FindScheme("Default")->AddStyle("Kw", clRed, clNone, {fsBold});
  TTxtRange* str = AddRange(H.MainRules(), "\"", "\"", clMaroon);
  str->Name = "Str";
  str->SetCloseOnEol(true);
  str->OpenTokens.BreakType = BreakType::Term;
  TTxtKeyList* kw = AddKeywords(H.MainRules(), "if\nelse", clBlue);
  kw->Name = "Kw";
  kw->Style = "Kw";
  AddSet(H.MainRules(), "0123456789", clPurple)->Name = "Num";
  H.CustomData()->Add("a=1");
}
