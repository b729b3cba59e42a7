// The rule-driven highlighter: the token loop over the prepared rule tree, colour schemes,
// loading and saving, and the scheme stored in form files.
#include "highlighting/TxtXmlHighlighter.h"

#include <cstring>

#include "framework/FormFiles.h"
#include "framework/Streams.h"
#include "highlighting/TxtXmlFormat.h"

HV_PUBLISH(TTxtXmlHighlighter) {}

void RegisterTxtXmlHighlighterClasses() {
  RegisterClass(TTxtXmlHighlighter::StaticClassInfo());
  RegisterPlaceableHighlighter(TTxtXmlHighlighter::StaticClassInfo());
}

TTxtXmlHighlighter::TTxtXmlHighlighter(TComponent* AOwner)
    : TTxtCustomHighlighter(AOwner),
      mainRules_(new TTxtRange()),
      editorProperties_(new TEditorProperties()),
      info_(new TTxtInfo()),
      schemes_(new TTxtXmlSchemes()),
      customData_(new TStringList()) {
  mainRules_->Parent = mainRules_.get();
  EnterRoot();
}

TTxtXmlHighlighter::~TTxtXmlHighlighter() = default;

void TTxtXmlHighlighter::EnterRoot() {
  current_ = {mainRules_.get(), 0, mainRules_.get()};
  closing_ = nullptr;
}

// ---- the token loop ----

void* TTxtXmlHighlighter::GetRange() const { return EncodeRangeState(current_.Range, current_.Pair, current_.Outer); }

void TTxtXmlHighlighter::SetRange(void* Value) {
  if (!Value) return EnterRoot();
  current_ = DecodeRangeState(Value);
  closing_ = current_.Range->PairClosingToken(current_.Pair);
}

void TTxtXmlHighlighter::ResetRange() { EnterRoot(); }

void TTxtXmlHighlighter::SetLine(const AnsiString& NewValue, int ALineNumber) {
  // Prepared quietly: telling the editors here would make them rescan through this very loop.
  if (!mainRules_->Prepared()) {
    mainRules_->Prepare(mainRules_.get());
    closing_ = current_.Range->PairClosingToken(current_.Pair);
  }
  if (!current_.Range->Prepared()) EnterRoot();
  text_ = NewValue;
  // The scan stops at the first NUL: embedded ones are scanned as blanks, so that the tokens
  // still cover the whole line.
  if (std::memchr(text_.data(), 0, text_.size())) {
    scan_ = text_;
    for (char& c : scan_)
      if (!c) c = ' ';
    line_ = scan_.c_str();
  } else {
    line_ = text_.c_str();
  }
  lineNumber_ = ALineNumber;
  run_ = tokenPos_ = 0;
  eol_ = lineEndReached_ = false;
  token_ = nullptr;
  Next();
}

void TTxtXmlHighlighter::CloseCurrent() {
  if (current_.Range->IsRoot()) return;
  current_ = DecodeRangeState(current_.Outer);
  closing_ = current_.Range->PairClosingToken(current_.Pair);
}

void TTxtXmlHighlighter::Next() {
  TTxtRange* r = current_.Range;
  if (lineEndReached_) {
    if (r->CloseOnEol() || r->CloseOnTerm()) {
      CloseCurrent();
      if (r->AllowPredClose())
        while (!current_.Range->IsRoot() && (current_.Range->CloseOnEol() || current_.Range->CloseOnTerm()))
          CloseCurrent();
    }
    eol_ = true;
    return;
  }
  tokenPos_ = run_;
  if (r->CloseOnTerm() && r->Delimiters.Contains(static_cast<unsigned char>(line_[run_]))) {
    CloseCurrent();
    if (r->AllowPredClose())
      while (!current_.Range->IsRoot() && current_.Range->CloseOnTerm()) CloseCurrent();
    r = current_.Range;
  }
  const auto c = static_cast<unsigned char>(line_[run_]);
  TAbstractParser* parser = r->Parsers[r->MapChar(c)];
  TTxtToken* found = nullptr;
  // Blanks and punctuation that start no symbol are most tokens: taken here without the call.
  if (parser == r->DelimitersParser() && c) {
    token_ = r->DelimitersParser()->Token();
    ++run_;
  } else if (parser == r->DefaultParser() || !parser->GetToken(r, line_, run_, found)) {
    // Plain text runs up to the next delimiter or the next byte where a symbol may begin.
    token_ = r->DefaultToken();
    const bool* stops = r->RunStops.data();
    const bool* lead = LeadByteTable();
    const char* p = line_ + run_;
    if (parser == r->DefaultParser() && *p) p += lead[static_cast<unsigned char>(*p)] && p[1] ? 2 : 1;
    while (!stops[static_cast<unsigned char>(*p)]) p += lead[static_cast<unsigned char>(*p)] && p[1] ? 2 : 1;
    run_ = static_cast<int>(p - line_);
  } else {
    token_ = found;
    if (found == closing_ && closing_) {
      CloseCurrent();
      if (r->AllowPredClose())
        while (!current_.Range->IsRoot() && closing_ && closing_->Symbol == found->Symbol) CloseCurrent();
    } else if (found->Rule) {
      void* outer = GetRange();
      current_ = {found->Rule, found->Pair, outer};
      closing_ = found->ClosingToken;
      found->Rule->ClosingToken = closing_;
    }
  }
  if (!line_[run_]) lineEndReached_ = true;
}

// Without a virtual call per token: the editor scans every line of a text this way.
void TTxtXmlHighlighter::NextToEol() {
  while (!eol_) TTxtXmlHighlighter::Next();
}

AnsiString TTxtXmlHighlighter::GetToken() const {
  return text_.substr(static_cast<size_t>(tokenPos_), static_cast<size_t>(run_ - tokenPos_));
}

TTxtHighlighterAttributes* TTxtXmlHighlighter::GetTokenAttribute() const {
  return token_ ? token_->Attributes : nullptr;
}

TTxtHighlighterAttributes* TTxtXmlHighlighter::GetDefaultAttribute(int Index) const {
  return Index >= 0 && Index <= 4 ? current_.Range->Attributes.get() : nullptr;
}

TTxtCharSet TTxtXmlHighlighter::GetIdentChars() const {
  // A range takes the blank among its delimiters only when it is prepared, with the first line
  // scanned; the answer must not wait for that (a wrapped editor breaks its rows by it before
  // its first paint).
  TTxtCharSet chars;
  for (int c = 32; c < 256; ++c)
    if (!current_.Range->Delimiters.Contains(static_cast<unsigned char>(c)) &&
        !AbsoluteDelimiters.Contains(static_cast<unsigned char>(c)))
      chars.Include(static_cast<unsigned char>(c));
  return chars;
}

AnsiString TTxtXmlHighlighter::GetSampleSource() const { return info_->General.Sample; }
void TTxtXmlHighlighter::SetSampleSource(const AnsiString& Value) { info_->General.Sample = Value; }

// ---- rules and schemes ----

void TTxtXmlHighlighter::Reset() {
  token_ = nullptr;
  mainRules_->Prepare(mainRules_.get());
  closing_ = current_.Range->PairClosingToken(current_.Pair);
  DefHighlightChange(this);
}

void TTxtXmlHighlighter::Clear() {
  mainRules_->Clear();
  schemes_->Clear();
  info_->Clear();
  ActiveScheme = nullptr;
  EnterRoot();
  token_ = nullptr;
  DefHighlightChange(this);
}

// The rules' stored colours change now; the tokens of a prepared tree keep the colours they
// were built with until the tree is prepared again.
void TTxtXmlHighlighter::ActivateScheme(TTxtScheme* Scheme) {
  ActiveScheme = Scheme;
  if (!Scheme) return;
  auto apply = [Scheme](TTxtRule* rule) {
    if (const TTxtAttributes* style = Scheme->FindStyle(rule->Style)) {
      rule->Attributes->AssignColorAndStyle(const_cast<TTxtAttributes*>(style));
      rule->Attributes->ParentForeground = style->ParentForeground;
      rule->Attributes->ParentBackground = style->ParentBackground;
    }
  };
  std::vector<TTxtRange*> pending{mainRules_.get()};
  while (!pending.empty()) {
    TTxtRange* range = pending.back();
    pending.pop_back();
    if (range != mainRules_.get()) apply(range);
    for (int i = 0; i < range->KeyListCount(); ++i) apply(range->KeyLists(i));
    for (int i = 0; i < range->SetCount(); ++i) apply(range->Sets(i));
    for (int i = 0; i < range->RangeCount(); ++i) pending.push_back(range->Ranges(i));
  }
}

void TTxtXmlHighlighter::TakeContent(TTxtXmlHighlighter& Source) {
  mainRules_.swap(Source.mainRules_);
  editorProperties_.swap(Source.editorProperties_);
  info_.swap(Source.info_);
  schemes_.swap(Source.schemes_);
  customData_.swap(Source.customData_);
  ActiveScheme = Source.ActiveScheme;
  FormatVersion = Source.FormatVersion;
  Source.ActiveScheme = nullptr;
  Source.EnterRoot();
  EnterRoot();
  token_ = nullptr;
  DefHighlightChange(this);
}

void TTxtXmlHighlighter::LoadFromFile(const WideString& AFileName) {
  TTxtXmlFormatNativeXmlAuto::Instance().ImportFromFile(this, AFileName);
}

void TTxtXmlHighlighter::LoadFromStream(TStream* Stream) {
  TTxtXmlFormatNativeXmlAuto::Instance().ImportFromStream(this, Stream);
}

void TTxtXmlHighlighter::SaveToStream(TStream* Stream) {
  TTxtXmlFormatNativeXml20::Instance().ExportToStream(this, Stream);
}

// ---- form files ----

// A scheme of keyword lists or sets only, or one that only names itself, is a scheme too.
bool TTxtXmlHighlighter::HasSyntax() const {
  const TTxtRange& m = *mainRules_;
  return m.RangeCount() || m.KeyListCount() || m.SetCount() || !info_->General.Name.empty() ||
         !info_->General.Extensions.empty();
}

void TTxtXmlHighlighter::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      "Syntax", [this](TReader& r) { ReadSyntax(r); }, [this](TWriter& w) { WriteSyntax(w); },
      Filer->Ancestor() != nullptr || HasSyntax());
}

void TTxtXmlHighlighter::ReadSyntax(TReader& Reader) {
  TStringStream stream(Reader.ReadString());
  LoadFromStream(&stream);
}

void TTxtXmlHighlighter::WriteSyntax(TWriter& Writer) {
  TStringStream stream;
  SaveToStream(&stream);
  Writer.WriteString(stream.DataString());
}
