// Highlighters for the editor's tests: the token-loop frame of the smaller ones, and one with
// blanks, numbers, a few keywords, identifiers, single-character symbols and block comments from
// "/*" to "*/" that may span lines (so that ranges carry from line to line), every attribute in
// a colour of its own.
#pragma once

#include <cctype>
#include <string>

#include "editor/TxtEditHighlighter.h"

// The token loop of the smaller highlighters of the tests: the current token is the line's
// text from start_ to end_, and Scan finds where the token that begins at start_ ends.
class TScanningHighlighter : public TTxtCustomHighlighter {
 public:
  explicit TScanningHighlighter(TComponent* AOwner) : TTxtCustomHighlighter(AOwner) {}
  bool GetEol() const override { return start_ >= line_.size(); }
  AnsiString GetToken() const override { return line_.substr(start_, end_ - start_); }
  int GetTokenPos() const override { return static_cast<int>(start_); }
  void Next() override {
    start_ = end_;
    if (!GetEol()) Scan();
  }
  void SetLine(const AnsiString& NewValue, int) override {
    line_ = NewValue;
    start_ = 0;
    if (!GetEol()) Scan();
  }

 protected:
  // Called only before the end of the line.
  virtual void Scan() = 0;
  AnsiString line_;
  size_t start_ = 0, end_ = 0;
};

class TTestHighlighter : public TTxtCustomHighlighter {
 public:
  static constexpr TColor KeywordColor = TColor(0xC00000);  // blue
  static constexpr TColor NumberColor = TColor(0x0000C0);   // red
  static constexpr TColor NumberBack = TColor(0x80FFFF);    // light yellow
  static constexpr TColor CommentColor = TColor(0x008000);  // green
  static constexpr TColor SymbolColor = TColor(0x800080);   // purple

  explicit TTestHighlighter(TComponent* AOwner) : TTxtCustomHighlighter(AOwner) {
    comment_ = Make("Comment", CommentColor, clNone, {});
    identifier_ = Make("Identifier", clNone, clNone, {});
    keyword_ = Make("Keyword", KeywordColor, clNone, {fsBold});
    number_ = Make("Number", NumberColor, NumberBack, {});
    space_ = Make("Space", clNone, clNone, {});
    symbol_ = Make("Symbol", SymbolColor, clNone, {});
  }

  TTxtHighlighterAttributes* GetDefaultAttribute(int Index) const override {
    switch (Index) {
      case 0: return comment_;
      case 4: return space_;
      default: return nullptr;
    }
  }
  bool GetEol() const override { return eol_; }
  void* GetRange() const override { return reinterpret_cast<void*>(static_cast<intptr_t>(inComment_ ? 1 : 0)); }
  void SetRange(void* Value) override { inComment_ = Value == reinterpret_cast<void*>(static_cast<intptr_t>(1)); }
  void ResetRange() override { inComment_ = false; }
  AnsiString GetToken() const override {
    return line_.substr(static_cast<size_t>(start_), static_cast<size_t>(end_ - start_));
  }
  TTxtHighlighterAttributes* GetTokenAttribute() const override { return attr_; }
  int GetTokenKind() const override { return 0; }
  int GetTokenPos() const override { return start_; }
  void SetLine(const AnsiString& NewValue, int LineNumber) override {
    line_ = NewValue;
    lineNumber_ = LineNumber;
    ++linesSet;
    end_ = 0;
    Next();
  }
  void Next() override {
    start_ = end_;
    if (start_ >= static_cast<int>(line_.size())) {
      eol_ = true;
      return;
    }
    eol_ = false;
    const int n = static_cast<int>(line_.size());
    auto at = [&](int i) { return i < n ? static_cast<unsigned char>(line_[static_cast<size_t>(i)]) : 0; };
    int i = start_;
    if (inComment_ || (at(i) == '/' && at(i + 1) == '*')) {
      if (!inComment_) i += 2;
      inComment_ = true;
      while (i < n && !(at(i) == '*' && at(i + 1) == '/')) ++i;
      if (i < n) {
        i += 2;
        inComment_ = false;
      }
      attr_ = comment_;
    } else if (at(i) == ' ' || at(i) == '\t') {
      while (i < n && (at(i) == ' ' || at(i) == '\t')) ++i;
      attr_ = space_;
    } else if (std::isdigit(at(i))) {
      while (i < n && std::isdigit(at(i))) ++i;
      attr_ = number_;
    } else if (std::isalpha(at(i)) || at(i) == '_') {
      while (i < n && (std::isalnum(at(i)) || at(i) == '_')) ++i;
      const std::string word = line_.substr(static_cast<size_t>(start_), static_cast<size_t>(i - start_));
      attr_ = word == "if" || word == "else" || word == "while" ? keyword_ : identifier_;
    } else {
      ++i;
      attr_ = symbol_;
    }
    end_ = i;
  }

  TTxtHighlighterAttributes* Keyword() const { return keyword_; }
  TTxtHighlighterAttributes* Number() const { return number_; }
  TTxtHighlighterAttributes* Space() const { return space_; }
  TTxtHighlighterAttributes* Comment() const { return comment_; }
  int LineNumber() const { return lineNumber_; }
  // How many lines were handed over (painting and scanning).
  int linesSet = 0;

 private:
  TTxtHighlighterAttributes* Make(const char* Name, TColor FG, TColor BG, TFontStyles Style) {
    auto* a = new TTxtHighlighterAttributes(Name);
    a->SetForeground(FG);
    a->SetBackground(BG);
    a->SetStyle(Style);
    AddAttribute(a);
    return a;
  }

  TTxtHighlighterAttributes* comment_ = nullptr;
  TTxtHighlighterAttributes* identifier_ = nullptr;
  TTxtHighlighterAttributes* keyword_ = nullptr;
  TTxtHighlighterAttributes* number_ = nullptr;
  TTxtHighlighterAttributes* space_ = nullptr;
  TTxtHighlighterAttributes* symbol_ = nullptr;
  TTxtHighlighterAttributes* attr_ = nullptr;
  std::string line_;
  int lineNumber_ = 0;
  int start_ = 0;
  int end_ = 0;
  bool eol_ = true;
  bool inComment_ = false;
};
