// Helpers of the highlighter tests: rule trees built in code, lines split into tokens, scheme
// texts loaded and saved.
#pragma once

#include <string>
#include <vector>

#include "framework/Streams.h"
#include "highlighting/TxtXmlFormat.h"

struct TTok {
  std::string Text;
  TTxtHighlighterAttributes* Attr;
};

// The tokens of one line scanned from State (null: the start of the text); State becomes the
// range value at the line's end.
inline std::vector<TTok> Scan(TTxtXmlHighlighter& H, const AnsiString& Line, void*& State) {
  if (State)
    H.SetRange(State);
  else
    H.ResetRange();
  H.SetLine(Line, 0);
  std::vector<TTok> out;
  for (int guard = 0; !H.GetEol() && guard < 100000; ++guard) {
    out.push_back({H.GetToken(), H.GetTokenAttribute()});
    H.Next();
  }
  State = H.GetRange();
  return out;
}

inline std::vector<TTok> Scan(TTxtXmlHighlighter& H, const AnsiString& Line) {
  void* state = nullptr;
  return Scan(H, Line, state);
}

// The token texts joined by "|".
inline std::string Texts(const std::vector<TTok>& Tokens) {
  std::string s;
  for (size_t i = 0; i < Tokens.size(); ++i) s += (i ? "|" : "") + Tokens[i].Text;
  return s;
}

// The foreground of the token whose text is Text (the first), or clDefault when none is.
inline TColor ColorOf(const std::vector<TTok>& Tokens, const std::string& Text) {
  for (const TTok& t : Tokens)
    if (t.Text == Text) return t.Attr ? t.Attr->Foreground() : clNone;
  return clDefault;
}

// Sub-rules of Parent in the colour Color.
template <class R>
R* Colored(R* Rule, TColor Color) {
  Rule->Attributes->SetForeground(Color);
  return Rule;
}
inline TTxtRange* AddRange(TTxtRange* Parent, const AnsiString& Open, const AnsiString& Close, TColor Color) {
  Parent->AddRange(Colored(new TTxtRange(Open, Close), Color));
  return Parent->Ranges(Parent->RangeCount() - 1);
}
inline TTxtKeyList* AddKeywords(TTxtRange* Parent, const AnsiString& Words, TColor Color) {
  Parent->AddKeyList(Colored(new TTxtKeyList(Words), Color));
  return Parent->KeyLists(Parent->KeyListCount() - 1);
}
inline TTxtSet* AddSet(TTxtRange* Parent, const AnsiString& Symbols, TColor Color, int Quantity = 0) {
  Parent->AddSet(Colored(new TTxtSet(StrToCharSet(Symbols)), Color));
  Parent->Sets(Parent->SetCount() - 1)->Quantity = Quantity;
  return Parent->Sets(Parent->SetCount() - 1);
}

inline AnsiString SaveText(TTxtXmlFormat& Format, TObject* Object) {
  TStringStream s;
  Format.ExportToStream(Object, &s);
  return s.DataString();
}

inline void LoadText(TTxtXmlFormat& Format, TObject* Object, const AnsiString& Text) {
  TStringStream s(Text);
  Format.ImportFromStream(Object, &s);
}

// The message of the exception F raises (UTF-8), or a note that it raised none.
template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(nothing raised)";
}
