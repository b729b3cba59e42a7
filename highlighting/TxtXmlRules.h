// TxtXmlRules: the rule tree of the scheme-driven highlighter (ranges, keyword lists, sets), the
// tokens it produces, and the per-range compilation into a table of parsers by first byte.
//
// Lines are byte strings that end with a NUL byte; the parsers never step past that NUL.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "framework/StringLists.h"
#include "highlighting/TxtXmlSchemes.h"

class TTxtRange;
class TTxtSet;
class TStream;
struct TTxtRangeState;

// NUL, TAB, LF, CR and space: every range ends a word at them.
extern const TTxtCharSet AbsoluteDelimiters;
// The printable ASCII bytes that are neither letters, digits, "_" nor the space.
extern const TTxtCharSet DefaultDelimiters;

class TAbstractTxtToken {
 public:
  TAbstractTxtToken() = default;
  explicit TAbstractTxtToken(TTxtHighlighterAttributes* AAttributes) : Attributes(AAttributes) {}
  // Copies the colours and the three matching conditions only.
  TAbstractTxtToken(const TAbstractTxtToken& Source)
      : Attributes(Source.Attributes),
        BreakType(Source.BreakType),
        StartLine(Source.StartLine),
        StartType(Source.StartType) {}
  TAbstractTxtToken& operator=(const TAbstractTxtToken&) = delete;
  virtual ~TAbstractTxtToken() = default;

  TTxtHighlighterAttributes* Attributes = nullptr;
  ::BreakType BreakType = ::BreakType::Unspecified;
  bool FinishOnEol = false;
  TTxtRange* Rule = nullptr;
  ::StartLine StartLine = ::StartLine::Anywhere;
  ::StartType StartType = ::StartType::Unspecified;
};

class TTxtMultiToken;

class TTxtToken : public TAbstractTxtToken {
 public:
  explicit TTxtToken(TTxtHighlighterAttributes* AAttributes = nullptr) : TAbstractTxtToken(AAttributes) {}
  TTxtToken(const TTxtToken& Source) : TAbstractTxtToken(Source), Symbol(Source.Symbol) {}
  TTxtToken(const TTxtMultiToken& Source, int Index);

  AnsiString Symbol;
  TTxtToken* ClosingToken = nullptr;
  bool Temporary = false;
  // For an open token: which symbol pair of its range it opens.
  int Pair = 0;
};

class TTxtMultiToken : public TObject, public TAbstractTxtToken {
  HV_CLASS(TTxtMultiToken, TObject)
 public:
  TTxtMultiToken();
  int AddSymbol(const AnsiString& S);
  void Clear() { Symbols.Clear(); }
  int SymbolCount() const { return Symbols.Count(); }
  // Raises outside 0..SymbolCount-1.
  AnsiString GetSymbol(int Index) const;

  TStringList Symbols;
};

class TAbstractRule : public TObject {
  HV_CLASS(TAbstractRule, TObject)
 public:
  TAbstractRule() = default;
  bool Enabled = true;
};

class TTxtRule : public TAbstractRule {
  HV_CLASS(TTxtRule, TAbstractRule)
 public:
  TTxtRule();
  // Each rule can be stored as an XML document of its own, in the current format.
  virtual void LoadFromFile(const WideString& FileName);
  virtual void LoadFromStream(TStream* Stream);
  virtual void SaveToFile(const WideString& FileName);
  virtual void SaveToStream(TStream* Stream);
  // The stored colours with the parent flags applied (one level up).
  TTxtHighlighterAttributes* GetAttribs();

  AnsiString Name;
  TTxtRange* Parent = nullptr;
  std::unique_ptr<TTxtHighlighterAttributes> Attribs;
  AnsiString Style;
  std::unique_ptr<TTxtAttributes> Attributes;
};

class TTxtKeyList : public TTxtRule {
  HV_CLASS(TTxtKeyList, TTxtRule)
 public:
  explicit TTxtKeyList(const AnsiString& Text = AnsiString());
  TStringList Words;
};

class TTxtSet : public TTxtRule {
  HV_CLASS(TTxtSet, TTxtRule)
 public:
  explicit TTxtSet(const TTxtCharSet& ASymbols = TTxtCharSet());
  TTxtCharSet Symbols;
  // 0: a run of any length; otherwise the exact length that matches.
  int Quantity = 0;
};

class TAbstractParser {
 public:
  virtual ~TAbstractParser() = default;
  // Pos stands on the token's first byte; it is left one past the token.
  virtual bool GetToken(TTxtRange* Range, const char* Line, int& Pos, TTxtToken*& Token) = 0;
};

class TTokenNode;

// Child nodes in insertion order, found by exact byte.
class TTokenNodeList {
 public:
  TTokenNode* Find(unsigned char Char) const;
  TTokenNode* Add(std::unique_ptr<TTokenNode> Node);
  int Count() const { return static_cast<int>(items_.size()); }
  TTokenNode* Items(int Index) const { return items_[static_cast<size_t>(Index)].get(); }
  std::vector<std::unique_ptr<TTokenNode>> TakeAll() { return std::move(items_); }

 private:
  std::vector<std::unique_ptr<TTokenNode>> items_;
};

class TTokenNode {
 public:
  TTokenNode(unsigned char AChar, ::BreakType ABreak, ::StartType AStart, TTxtToken* AToken)
      : Char(AChar), BreakType(ABreak), StartType(AStart), Token(AToken) {}
  unsigned char Char;
  ::BreakType BreakType;
  ::StartType StartType;
  TTokenNodeList NextNodes;
  TTxtToken* Token;
};

class TParser : public TAbstractParser {
 public:
  TParser(unsigned char Char, ::BreakType Break, TTxtToken* Token);
  explicit TParser(TTxtSet* Set);
  ~TParser() override;
  bool GetToken(TTxtRange* Range, const char* Line, int& Pos, TTxtToken*& Token) override;
  void AddSet(TTxtSet* Set) { Sets.push_back(Set); }
  void AddNode(const AnsiString& Text, TTxtToken* Token, ::BreakType Break);

  std::unique_ptr<TTokenNode> Root;
  std::vector<TTxtSet*> Sets;
};

class TDefaultParser : public TAbstractParser {
 public:
  explicit TDefaultParser(TTxtToken* AToken) : token_(AToken) {}
  bool GetToken(TTxtRange* Range, const char* Line, int& Pos, TTxtToken*& Token) override;
  TTxtToken* Token() const { return token_.get(); }

 private:
  std::unique_ptr<TTxtToken> token_;
};

class TDelimitersParser : public TAbstractParser {
 public:
  explicit TDelimitersParser(TTxtToken* AToken) : token_(AToken) {}
  bool GetToken(TTxtRange* Range, const char* Line, int& Pos, TTxtToken*& Token) override;
  TTxtToken* Token() const { return token_.get(); }

 private:
  std::unique_ptr<TTxtToken> token_;
};

// Upper-case folding of the ANSI code page, one table lookup per byte.
const unsigned char* UpperCaseTable();
// Per byte: whether it starts a two-byte character of the ANSI code page (far-east locales only).
const bool* LeadByteTable();
inline bool IsLeadByteAnsi(unsigned char C) { return LeadByteTable()[C]; }

class TTxtRange : public TTxtRule {
  HV_CLASS(TTxtRange, TTxtRule)
 public:
  TTxtRange(const AnsiString& OpenSymbol = AnsiString(), const AnsiString& CloseSymbol = AnsiString());
  ~TTxtRange() override;

  void AddCoupleTags(const AnsiString& Open, const AnsiString& Close);
  // Takes ownership and makes this range the rule's parent.
  void AddRange(TTxtRange* Range);
  void AddKeyList(TTxtKeyList* KeyList);
  void AddSet(TTxtSet* Set);
  int RangeCount() const { return static_cast<int>(ranges_.size()); }
  int KeyListCount() const { return static_cast<int>(keyLists_.size()); }
  int SetCount() const { return static_cast<int>(sets_.size()); }
  TTxtRange* Ranges(int Index) const { return ranges_.at(static_cast<size_t>(Index)).get(); }
  TTxtKeyList* KeyLists(int Index) const { return keyLists_.at(static_cast<size_t>(Index)).get(); }
  TTxtSet* Sets(int Index) const { return sets_.at(static_cast<size_t>(Index)).get(); }

  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);
  bool CloseOnTerm() const { return closeOnTerm_; }
  void SetCloseOnTerm(bool Value) { closeOnTerm_ = Value; }
  bool CloseOnEol() const { return closeOnEol_; }
  void SetCloseOnEol(bool Value) { closeOnEol_ = Value; }
  bool AllowPredClose() const { return allowPredClose_; }
  void SetAllowPredClose(bool Value) { allowPredClose_ = Value; }
  bool Prepared() const { return prepared_; }
  bool IsRoot() const { return Parent == nullptr || Parent == this; }

  unsigned char MapChar(unsigned char C) const { return map_[C]; }
  AnsiString MapString(const AnsiString& S) const;

  // Compiles this range and its enabled sub-ranges; Parent null prepares a range kept apart
  // from its parent's preparation (its open symbols must be known to the parent).
  void Prepare(TTxtRange* AParent);
  // Frees what Prepare built, in the whole subtree.
  void Unprepare();
  // Back to one empty symbol pair, no flags and no sub-rules; name, style, colours, case and
  // delimiters stay.
  void Clear();

  TTxtMultiToken OpenTokens;
  TTxtMultiToken CloseTokens;
  TTxtCharSet Delimiters;
  // The token that closes this range as last opened (kept for callers; the highlighter keeps
  // its own per-line state).
  TTxtToken* ClosingToken = nullptr;
  std::array<TAbstractParser*, 256> Parsers{};
  std::array<bool, 256> SymbolStartsInTerm{};
  // Per byte: a delimiter or a byte where a symbol may begin inside a word; a run of plain text
  // stops there.
  std::array<bool, 256> RunStops{};
  std::vector<std::unique_ptr<TTxtToken>> Tokens;

  TTxtToken* DefaultToken() const { return defaultToken_.get(); }
  TDefaultParser* DefaultParser() const { return defaultParser_.get(); }
  TDelimitersParser* DelimitersParser() const { return delimitersParser_.get(); }
  // The close token of symbol pair Pair, once prepared; null when there is none.
  TTxtToken* PairClosingToken(int Pair) const;
  // The token that a set match of this range returns (built by Prepare, one per set).
  TTxtToken* SetToken(const TTxtSet* Set) const;
  // A lasting state object for (pair, enclosing state), made once per combination.
  void* InternState(int Pair, void* Outer);

 private:
  TTxtToken* AddTokenIfMissing(const TTxtToken& Source, TTxtRule* ColorsFrom);
  TTxtToken* FindToken(const AnsiString& Symbol) const;
  void BuildParsers();

  bool caseSensitive_ = false;
  bool closeOnTerm_ = false;
  bool closeOnEol_ = false;
  bool allowPredClose_ = false;
  bool prepared_ = false;
  const unsigned char* map_;
  std::vector<std::unique_ptr<TTxtRange>> ranges_;
  std::vector<std::unique_ptr<TTxtKeyList>> keyLists_;
  std::vector<std::unique_ptr<TTxtSet>> sets_;
  std::unique_ptr<TTxtToken> defaultToken_;
  std::unique_ptr<TDefaultParser> defaultParser_;
  std::unique_ptr<TDelimitersParser> delimitersParser_;
  std::vector<std::unique_ptr<TParser>> ownParsers_;
  std::vector<TTxtToken*> pairClosing_;
  std::vector<std::pair<const TTxtSet*, std::unique_ptr<TTxtToken>>> setTokens_;
  std::map<std::pair<int, void*>, std::unique_ptr<TTxtRangeState>> states_;
};

// The state a highlighter keeps between lines: a range, the symbol pair that opened it, and the
// state it returns to when it closes. Encoded as one pointer: the range itself for its first
// pair inside its parent's plain state (the usual case), otherwise a tagged state object.
struct TTxtRangeState {
  TTxtRange* Range;
  int Pair;
  void* Outer;
};
void* EncodeRangeState(TTxtRange* Range, int Pair, void* Outer);
TTxtRangeState DecodeRangeState(void* Value);
