// The rule tree of the scheme-driven highlighter and its compilation into parsers.
#include "highlighting/TxtXmlRules.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "framework/Win.h"
#include "highlighting/TxtXmlFormat.h"

HV_PUBLISH(TTxtMultiToken) {}
HV_PUBLISH(TAbstractRule) {}
HV_PUBLISH(TTxtRule) {}
HV_PUBLISH(TTxtKeyList) {}
HV_PUBLISH(TTxtSet) {}
HV_PUBLISH(TTxtRange) {}

namespace {

TTxtCharSet MakeSet(std::initializer_list<std::pair<int, int>> Spans) {
  TTxtCharSet set;
  for (auto [from, to] : Spans)
    for (int c = from; c <= to; ++c) set.Include(static_cast<unsigned char>(c));
  return set;
}

// NUL ends every line; a symbol that holds one could never be matched whole, and one that
// starts with it would take the parser past the line's end.
AnsiString WithoutNul(AnsiString S) {
  S.erase(std::remove(S.begin(), S.end(), '\0'), S.end());
  return S;
}

[[noreturn]] void RuleError(const TObject* Object, const char* Text) {
  throw ETxtSchemeError(Object->ClassName() + Text);
}

const unsigned char kIdentity[256] = {
#define HV_ROW(n) \
  n, n + 1, n + 2, n + 3, n + 4, n + 5, n + 6, n + 7, n + 8, n + 9, n + 10, n + 11, n + 12, n + 13, n + 14, n + 15
    HV_ROW(0),   HV_ROW(16),  HV_ROW(32),  HV_ROW(48),  HV_ROW(64),  HV_ROW(80),  HV_ROW(96), HV_ROW(112), HV_ROW(128),
    HV_ROW(144), HV_ROW(160), HV_ROW(176), HV_ROW(192), HV_ROW(208), HV_ROW(224), HV_ROW(240)
#undef HV_ROW
};

}  // namespace

const TTxtCharSet AbsoluteDelimiters = MakeSet({{0, 0}, {9, 10}, {13, 13}, {32, 32}});
const TTxtCharSet DefaultDelimiters = MakeSet({{33, 47}, {58, 64}, {91, 94}, {96, 96}, {123, 126}});

const unsigned char* UpperCaseTable() {
  static const auto table = [] {
    std::array<unsigned char, 256> t{};
    char bytes[256];
    for (int c = 0; c < 256; ++c) bytes[c] = static_cast<char>(c);
    CharUpperBuffA(bytes + 1, 255);
    for (int c = 0; c < 256; ++c) t[static_cast<size_t>(c)] = static_cast<unsigned char>(bytes[c]);
    t[0] = 0;
    return t;
  }();
  return table.data();
}

const bool* LeadByteTable() {
  static const auto table = [] {
    std::array<bool, 256> t{};
    if (GetSystemMetrics(SM_DBCSENABLED))
      for (int b = 1; b < 256; ++b) t[static_cast<size_t>(b)] = IsDBCSLeadByte(static_cast<BYTE>(b)) != 0;
    return t;
  }();
  return table.data();
}

// ---- tokens ----

TTxtToken::TTxtToken(const TTxtMultiToken& Source, int Index)
    : TAbstractTxtToken(Source), Symbol(WithoutNul(Source.GetSymbol(Index))) {}

TTxtMultiToken::TTxtMultiToken() {
  StartType = ::StartType::Any;
  BreakType = ::BreakType::Any;
}

int TTxtMultiToken::AddSymbol(const AnsiString& S) { return Symbols.Add(S); }

AnsiString TTxtMultiToken::GetSymbol(int Index) const {
  if (Index < 0 || Index >= Symbols.Count()) RuleError(this, ".GetSymbol: Index out of bounds");
  return Symbols.Strings(Index);
}

// ---- rules ----

TTxtRule::TTxtRule() : Attribs(new TTxtHighlighterAttributes(AnsiString())), Attributes(new TTxtAttributes()) {}

TTxtHighlighterAttributes* TTxtRule::GetAttribs() {
  Attribs->Assign(Attributes.get());
  if (Parent && Attributes->ParentForeground) Attribs->SetForeground(Parent->Attributes->Foreground());
  if (Parent && Attributes->ParentBackground) Attribs->SetBackground(Parent->Attributes->Background());
  return Attribs.get();
}

void TTxtRule::LoadFromFile(const WideString& FileName) {
  TTxtXmlFormatNativeXml20::Instance().ImportFromFile(this, FileName);
}
void TTxtRule::LoadFromStream(TStream* Stream) { TTxtXmlFormatNativeXml20::Instance().ImportFromStream(this, Stream); }
void TTxtRule::SaveToFile(const WideString& FileName) {
  TTxtXmlFormatNativeXml20::Instance().ExportToFile(this, FileName);
}
void TTxtRule::SaveToStream(TStream* Stream) { TTxtXmlFormatNativeXml20::Instance().ExportToStream(this, Stream); }

TTxtKeyList::TTxtKeyList(const AnsiString& Text) {
  Words.SetText(Text);
  Attributes->SetForeground(clWindowText);
  Attributes->SetBackground(clWindow);
}

TTxtSet::TTxtSet(const TTxtCharSet& ASymbols) : Symbols(ASymbols) {
  Attributes->SetForeground(clWindowText);
  Attributes->SetBackground(clWindow);
}

// ---- parsers ----

TTokenNode* TTokenNodeList::Find(unsigned char Char) const {
  for (const auto& n : items_)
    if (n->Char == Char) return n.get();
  return nullptr;
}

TTokenNode* TTokenNodeList::Add(std::unique_ptr<TTokenNode> Node) {
  items_.push_back(std::move(Node));
  return items_.back().get();
}

TParser::TParser(unsigned char Char, ::BreakType Break, TTxtToken* Token)
    : Root(new TTokenNode(Char, Break, Token->StartType, Token)) {}

TParser::TParser(TTxtSet* Set) { Sets.push_back(Set); }

// Node by node: a long symbol makes a deep chain, which must not deepen the stack.
TParser::~TParser() {
  std::vector<std::unique_ptr<TTokenNode>> pending;
  if (Root) pending.push_back(std::move(Root));
  while (!pending.empty()) {
    std::unique_ptr<TTokenNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->NextNodes.TakeAll()) pending.push_back(std::move(child));
  }
}

void TParser::AddNode(const AnsiString& Text, TTxtToken* Token, ::BreakType Break) {
  TTokenNode* node = Root.get();
  for (char ch : Text) {
    const auto c = static_cast<unsigned char>(ch);
    TTokenNode* next = node->NextNodes.Find(c);
    if (!next)
      next = node->NextNodes.Add(
          std::make_unique<TTokenNode>(c, ::BreakType::Unspecified, ::StartType::Unspecified, nullptr));
    node = next;
  }
  node->Token = Token;
  node->BreakType = Break;
  node->StartType = Token->StartType;
}

namespace {

bool StartAllowed(::StartLine Where, const char* Line, int Start) {
  switch (Where) {
    case ::StartLine::FirstColumn: return Start == 0;
    case ::StartLine::FirstNonBlank:
      for (int i = Start - 1; i >= 0; --i)
        if (Line[i] != ' ' && Line[i] != '\t') return false;
      return true;
    default: return true;
  }
}

}  // namespace

bool TParser::GetToken(TTxtRange* Range, const char* Line, int& Pos, TTxtToken*& Token) {
  const int start = Pos;
  if (Root) {
    auto mayStand = [&](const TTokenNode* n, int at) {
      if (!n->Token) return false;
      if (n->BreakType == ::BreakType::Term && !Range->Delimiters.Contains(static_cast<unsigned char>(Line[at + 1])))
        return false;
      return StartAllowed(n->Token->StartLine, Line, start);
    };
    const TTokenNode* node = Root.get();
    const TTokenNode* best = mayStand(node, start) ? node : nullptr;
    int bestPos = start;
    int p = start;
    while (node->NextNodes.Count() && Line[p]) {
      ++p;
      const TTokenNode* child = node->NextNodes.Find(Range->MapChar(static_cast<unsigned char>(Line[p])));
      if (!child) {
        --p;
        break;
      }
      node = child;
      if (mayStand(node, p)) {
        best = node;
        bestPos = p;
      }
    }
    if (best) {
      Pos = bestPos;
      if (Line[Pos]) ++Pos;
      Token = best->Token;
      return true;
    }
  }
  Pos = start;
  if (!Sets.empty()) {
    TTxtCharSet allowed = Range->Delimiters;
    for (const TTxtSet* set : Sets) allowed -= set->Symbols;
    for (TTxtSet* set : Sets) {
      int p = start;
      if (Line[p]) ++p;
      while (Line[p] && set->Symbols.Contains(static_cast<unsigned char>(Line[p]))) ++p;
      const int run = p - start;
      if ((set->Quantity == 0 || set->Quantity == run) && allowed.Contains(static_cast<unsigned char>(Line[p]))) {
        Pos = p;
        Token = Range->SetToken(set);
        return true;
      }
    }
  }
  if (Line[start]) Pos = start + 1;
  return false;
}

bool TDefaultParser::GetToken(TTxtRange*, const char* Line, int& Pos, TTxtToken*&) {
  const auto c = static_cast<unsigned char>(Line[Pos]);
  if (!c) return false;
  // A lead byte as the line's last byte has no second byte to take.
  Pos += IsLeadByteAnsi(c) && Line[Pos + 1] ? 2 : 1;
  return false;
}

bool TDelimitersParser::GetToken(TTxtRange*, const char* Line, int& Pos, TTxtToken*& Token) {
  if (Line[Pos]) ++Pos;
  Token = token_.get();
  return true;
}

// ---- ranges ----

TTxtRange::TTxtRange(const AnsiString& OpenSymbol, const AnsiString& CloseSymbol)
    : Delimiters(DefaultDelimiters), map_(UpperCaseTable()) {
  AddCoupleTags(OpenSymbol, CloseSymbol);
  Attributes->SetForeground(clNone);
  Attributes->SetBackground(clNone);
}

TTxtRange::~TTxtRange() { Unprepare(); }

void TTxtRange::AddCoupleTags(const AnsiString& Open, const AnsiString& Close) {
  const int a = OpenTokens.AddSymbol(Open);
  const int b = CloseTokens.AddSymbol(Close);
  if (a != b) RuleError(this, ".AddCoupleTags: different multitags count");
}

void TTxtRange::AddRange(TTxtRange* Range) {
  ranges_.emplace_back(Range);
  Range->Parent = this;
}

void TTxtRange::AddKeyList(TTxtKeyList* KeyList) {
  keyLists_.emplace_back(KeyList);
  KeyList->Parent = this;
}

void TTxtRange::AddSet(TTxtSet* Set) {
  sets_.emplace_back(Set);
  Set->Parent = this;
}

void TTxtRange::SetCaseSensitive(bool Value) {
  caseSensitive_ = Value;
  map_ = Value ? kIdentity : UpperCaseTable();
}

AnsiString TTxtRange::MapString(const AnsiString& S) const {
  AnsiString r(S);
  for (char& c : r) c = static_cast<char>(map_[static_cast<unsigned char>(c)]);
  return r;
}

TTxtToken* TTxtRange::FindToken(const AnsiString& Symbol) const {
  for (const auto& t : Tokens)
    if (t->Symbol == Symbol) return t.get();
  return nullptr;
}

TTxtToken* TTxtRange::AddTokenIfMissing(const TTxtToken& Source, TTxtRule* ColorsFrom) {
  TTxtToken* token = FindToken(Source.Symbol);
  if (!token) {
    Tokens.push_back(std::make_unique<TTxtToken>(Source));
    token = Tokens.back().get();
  }
  if (!token->Attributes) token->Attributes = ColorsFrom->GetAttribs();
  return token;
}

TTxtToken* TTxtRange::PairClosingToken(int Pair) const {
  return Pair >= 0 && Pair < static_cast<int>(pairClosing_.size()) ? pairClosing_[static_cast<size_t>(Pair)] : nullptr;
}

TTxtToken* TTxtRange::SetToken(const TTxtSet* Set) const {
  for (const auto& [set, token] : setTokens_)
    if (set == Set) return token.get();
  return defaultToken_.get();
}

void* TTxtRange::InternState(int Pair, void* Outer) {
  auto& slot = states_[{Pair, Outer}];
  if (!slot) slot.reset(new TTxtRangeState{this, Pair, Outer});
  return slot.get();
}

void TTxtRange::Unprepare() {
  // Always down the whole tree, so that no sub-range keeps tokens that point into this one.
  for (auto& r : ranges_) r->Unprepare();
  if (!prepared_) return;
  Parsers.fill(nullptr);
  SymbolStartsInTerm.fill(false);
  RunStops.fill(false);
  ownParsers_.clear();
  setTokens_.clear();
  defaultParser_.reset();
  delimitersParser_.reset();
  defaultToken_.reset();
  Tokens.clear();
  pairClosing_.clear();
  ClosingToken = nullptr;
  prepared_ = false;
}

void TTxtRange::Clear() {
  OpenTokens.Clear();
  CloseTokens.Clear();
  AddCoupleTags(AnsiString(), AnsiString());
  allowPredClose_ = closeOnTerm_ = closeOnEol_ = false;
  Unprepare();
  ranges_.clear();
  keyLists_.clear();
  sets_.clear();
  Tokens.clear();
  pairClosing_.clear();
}

void TTxtRange::Prepare(TTxtRange* AParent) {
  Unprepare();
  // Tokens left by an earlier, unfinished preparation.
  if (AParent == nullptr) {
    Tokens.clear();
    pairClosing_.clear();
  }
  TTxtHighlighterAttributes* attribs = GetAttribs();
  defaultToken_ = std::make_unique<TTxtToken>(attribs);
  delimitersParser_ = std::make_unique<TDelimitersParser>(new TTxtToken(attribs));
  defaultParser_ = std::make_unique<TDefaultParser>(new TTxtToken(attribs));
  Delimiters += AbsoluteDelimiters;

  if (!AParent && !IsRoot()) {
    pairClosing_.assign(static_cast<size_t>(OpenTokens.SymbolCount()), nullptr);
    for (int i = 0; i < OpenTokens.SymbolCount(); ++i) {
      const AnsiString open = WithoutNul(OpenTokens.GetSymbol(i));
      if (open.empty()) continue;
      TTxtToken* found = Parent->FindToken(open);
      if (!found) RuleError(this, ".Prepare: error preparing custom range");
      TTxtToken* close = AddTokenIfMissing(TTxtToken(CloseTokens, i), this);
      found->ClosingToken = close;
      pairClosing_[static_cast<size_t>(i)] = close;
    }
  }
  if (Enabled) BuildParsers();
  for (int c = 0; c < 256; ++c)
    if (!Parsers[static_cast<size_t>(c)])
      Parsers[static_cast<size_t>(c)] = Delimiters.Contains(static_cast<unsigned char>(c))
                                            ? static_cast<TAbstractParser*>(delimitersParser_.get())
                                            : defaultParser_.get();
  // The line's terminator always ends the line, whatever a scheme declares.
  Parsers[0] = delimitersParser_.get();
  for (int c = 0; c < 256; ++c)
    RunStops[static_cast<size_t>(c)] =
        Delimiters.Contains(static_cast<unsigned char>(c)) || SymbolStartsInTerm[static_cast<size_t>(c)];
  prepared_ = true;
}

void TTxtRange::BuildParsers() {
  std::unordered_map<AnsiString, TTxtToken*> bySymbol;
  for (const auto& t : Tokens) bySymbol.emplace(t->Symbol, t.get());
  auto addIfMissing = [&](TTxtRange* owner, std::unordered_map<AnsiString, TTxtToken*>& index, const TTxtToken& source,
                          TTxtRule* colors) {
    TTxtToken*& slot = index[source.Symbol];
    if (!slot) {
      owner->Tokens.push_back(std::make_unique<TTxtToken>(source));
      slot = owner->Tokens.back().get();
    }
    if (!slot->Attributes) slot->Attributes = colors->GetAttribs();
    return slot;
  };

  // Every open and close token first, then each sub-range once: preparing a sub-range must not
  // free close tokens that open tokens of this range already point to.
  for (auto& s : ranges_) {
    if (!s->Enabled) continue;
    s->Tokens.clear();
    s->pairClosing_.assign(static_cast<size_t>(s->OpenTokens.SymbolCount()), nullptr);
    std::unordered_map<AnsiString, TTxtToken*> own;
    for (int i = 0; i < s->OpenTokens.SymbolCount(); ++i) {
      TTxtToken* open = addIfMissing(this, bySymbol, TTxtToken(s->OpenTokens, i), s.get());
      open->Rule = s.get();
      open->Pair = i;
      TTxtToken* close = addIfMissing(s.get(), own, TTxtToken(s->CloseTokens, i), s.get());
      open->ClosingToken = close;
      s->pairClosing_[static_cast<size_t>(i)] = close;
    }
  }
  for (auto& s : ranges_)
    if (s->Enabled) s->Prepare(this);

  for (auto& k : keyLists_) {
    if (!k->Enabled) continue;
    TTxtHighlighterAttributes* attribs = k->GetAttribs();
    for (int i = 0; i < k->Words.Count(); ++i) {
      const AnsiString word = WithoutNul(k->Words.Strings(i));
      TTxtToken*& slot = bySymbol[word];
      if (!slot) {
        Tokens.push_back(std::make_unique<TTxtToken>(attribs));
        slot = Tokens.back().get();
        slot->Symbol = word;
      }
      slot->Attributes = attribs;
    }
  }

  std::sort(Tokens.begin(), Tokens.end(), [](const auto& a, const auto& b) { return a->Symbol < b->Symbol; });

  std::array<TParser*, 256> trees{};
  for (const auto& t : Tokens) {
    const AnsiString& s = t->Symbol;
    if (s.empty()) continue;
    ::BreakType b = t->BreakType;
    if (b == ::BreakType::Unspecified)
      b = Delimiters.Contains(static_cast<unsigned char>(s.back())) ? ::BreakType::Any : ::BreakType::Term;
    const unsigned char c = MapChar(static_cast<unsigned char>(s[0]));
    TParser*& parser = trees[c];
    if (!parser) {
      ownParsers_.push_back(std::make_unique<TParser>(static_cast<unsigned char>(s[0]), b,
                                                      s.size() == 1 ? t.get() : defaultToken_.get()));
      parser = ownParsers_.back().get();
      if (s.size() > 1) parser->AddNode(MapString(s.substr(1)), t.get(), b);
    } else if (s.size() > 1) {
      parser->AddNode(MapString(s.substr(1)), t.get(), b);
    } else if (parser->Root->Token == defaultToken_.get()) {
      // The one-byte symbol sorted after a longer one of the other letter case: it still
      // belongs at the root.
      parser->Root->Token = t.get();
      parser->Root->BreakType = b;
      parser->Root->StartType = t->StartType;
    }
  }

  for (auto& set : sets_) {
    if (!set->Enabled) continue;
    auto token = std::make_unique<TTxtToken>(set->Attributes.get());
    token->Temporary = true;
    setTokens_.emplace_back(set.get(), std::move(token));
  }
  for (int v = 1; v < 256; ++v) {
    for (auto& set : sets_) {
      if (!set->Enabled || !set->Symbols.Contains(static_cast<unsigned char>(v))) continue;
      TParser*& parser = trees[MapChar(static_cast<unsigned char>(v))];
      if (!parser) {
        ownParsers_.push_back(std::make_unique<TParser>(set.get()));
        parser = ownParsers_.back().get();
      } else {
        parser->AddSet(set.get());
      }
    }
  }

  std::array<int8_t, 256> inTerm{};  // per folded byte: -1 unknown, 0 no, 1 yes
  inTerm.fill(-1);
  for (int v = 0; v < 256; ++v) {
    const unsigned char c = MapChar(static_cast<unsigned char>(v));
    TParser* parser = trees[c];
    if (!parser || !parser->Root) continue;
    if (inTerm[c] < 0) {
      // Iterative: a symbol of any length must not deepen the stack.
      bool any = false;
      std::vector<const TTokenNode*> stack{parser->Root.get()};
      while (!stack.empty() && !any) {
        const TTokenNode* n = stack.back();
        stack.pop_back();
        any = n->StartType == ::StartType::Any;
        for (int i = 0; i < n->NextNodes.Count(); ++i) stack.push_back(n->NextNodes.Items(i));
      }
      inTerm[c] = any ? 1 : 0;
    }
    SymbolStartsInTerm[static_cast<size_t>(v)] = inTerm[c] == 1;
  }
  for (int c = 0; c < 256; ++c) Parsers[static_cast<size_t>(c)] = trees[static_cast<size_t>(c)];
}

// ---- range states ----

void* EncodeRangeState(TTxtRange* Range, int Pair, void* Outer) {
  void* plainOuter = Range->IsRoot() ? static_cast<void*>(Range) : static_cast<void*>(Range->Parent);
  if (Pair == 0 && Outer == plainOuter) return Range;
  return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(Range->InternState(Pair, Outer)) | 1u);
}

TTxtRangeState DecodeRangeState(void* Value) {
  const auto bits = reinterpret_cast<uintptr_t>(Value);
  if (bits & 1u) return *reinterpret_cast<const TTxtRangeState*>(bits & ~static_cast<uintptr_t>(1));
  auto* range = static_cast<TTxtRange*>(Value);
  return {range, 0, range->IsRoot() ? static_cast<void*>(range) : static_cast<void*>(range->Parent)};
}
