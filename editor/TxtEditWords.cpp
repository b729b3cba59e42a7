// Word positions, bracket matching and the token at a position.
#include "editor/TxtEditWords.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The characters that end a word even when a highlighter would take them into identifiers.
constexpr std::string_view defaultWordBreaks = "!\"'()*+,-./:;=?[\\]^{|}";

unsigned char At(std::string_view line, int index) { return static_cast<unsigned char>(line[index - 1]); }

// Marks, for each 1-based index up to Limit, whether it is the second byte of a pair.
std::vector<bool> TrailMap(std::string_view line, int limit, TTxtWordLeadByteTest leadByte) {
  std::vector<bool> trail(static_cast<size_t>(limit) + 2, false);
  int len = static_cast<int>(line.size());
  for (int i = 1; i <= limit && i <= len; ++i)
    if (leadByte(At(line, i)) && i < len) {
      if (i + 1 <= limit) trail[static_cast<size_t>(i + 1)] = true;
      ++i;
    }
  return trail;
}

}  // namespace

TTxtCharSet TxtDefaultIdentChars() {
  TTxtCharSet s;
  for (int c = '0'; c <= '9'; ++c) s.Include(static_cast<unsigned char>(c));
  for (int c = 'A'; c <= 'Z'; ++c) s.Include(static_cast<unsigned char>(c));
  for (int c = 'a'; c <= 'z'; ++c) s.Include(static_cast<unsigned char>(c));
  s.Include('_');
  s.Include(0xA8);
  s.Include(0xB8);
  for (int c = 0xC0; c <= 0xFF; ++c) s.Include(static_cast<unsigned char>(c));
  return s;
}

TTxtWordChars TxtWordChars(const TTxtCustomHighlighter* Highlighter) {
  TTxtCharSet ident;
  if (Highlighter) {
    ident = Highlighter->GetIdentChars() - Highlighter->WordBreakChars();
  } else {
    ident = TxtDefaultIdentChars();
    for (char c : defaultWordBreaks) ident.Exclude(static_cast<unsigned char>(c));
  }
  TTxtWordChars chars;
  for (int c = 1; c < 256; ++c) {
    chars.Ident[c] = ident.Contains(static_cast<unsigned char>(c));
    chars.White[c] = !chars.Ident[c];
  }
  return chars;
}

bool TxtTrailByteAt(std::string_view Line, int Index, TTxtWordLeadByteTest LeadByte) {
  if (!LeadByte || Index < 2 || Index > static_cast<int>(Line.size())) return false;
  return TrailMap(Line, Index, LeadByte)[static_cast<size_t>(Index)];
}

int TxtScanForward(std::string_view Line, int Start, const bool (&Set)[256], TTxtWordLeadByteTest LeadByte) {
  int len = static_cast<int>(Line.size());
  if (Start < 1) Start = 1;
  if (!LeadByte) {
    for (int i = Start; i <= len; ++i)
      if (Set[At(Line, i)]) return i;
    return 0;
  }
  for (int i = 1; i <= len; ++i) {
    bool lead = LeadByte(At(Line, i)) && i < len;
    if (i >= Start && Set[At(Line, i)]) return i;
    if (lead) ++i;  // the trail byte never matches
  }
  return 0;
}

int TxtScanBackward(std::string_view Line, int Start, const bool (&Set)[256], TTxtWordLeadByteTest LeadByte) {
  int len = static_cast<int>(Line.size());
  if (Start > len) Start = len;
  if (Start < 1) return 0;
  if (!LeadByte) {
    for (int i = Start; i >= 1; --i)
      if (Set[At(Line, i)]) return i;
    return 0;
  }
  std::vector<bool> trail = TrailMap(Line, Start, LeadByte);
  for (int i = Start; i >= 1; --i)
    if (!trail[static_cast<size_t>(i)] && Set[At(Line, i)]) return i;
  return 0;
}

int TxtScanForwardLead(std::string_view Line, int Start, TTxtWordLeadByteTest LeadByte) {
  if (!LeadByte) return 0;
  int len = static_cast<int>(Line.size());
  for (int i = 1; i <= len; ++i) {
    if (LeadByte(At(Line, i))) {
      if (i >= Start) return i;
      ++i;
    }
  }
  return 0;
}

int TxtScanBackwardLead(std::string_view Line, int Start, TTxtWordLeadByteTest LeadByte) {
  if (!LeadByte) return 0;
  int len = static_cast<int>(Line.size());
  int found = 0;
  for (int i = 1; i <= len && i <= Start; ++i) {
    if (LeadByte(At(Line, i))) {
      found = i;
      ++i;
    }
  }
  return found;
}

// ---- TTxtWordFinder ----

TTxtWordFinder::TTxtWordFinder(TTxtEditStringList& Lines, TTxtCustomHighlighter* Highlighter,
                               TTxtWordLeadByteTest LeadByte)
    : lines_(Lines), highlighter_(Highlighter), leadByte_(LeadByte), chars_(TxtWordChars(Highlighter)) {}

bool TTxtWordFinder::SingleByteAt(std::string_view Line, int Index) const {
  if (!leadByte_) return true;
  std::vector<bool> trail = TrailMap(Line, static_cast<int>(Line.size()), leadByte_);
  return !trail[static_cast<size_t>(Index)] && !trail[static_cast<size_t>(Index + 1)];
}

TBufferCoord TTxtWordFinder::NextWordPos(TBufferCoord P) const {
  int count = lines_.Count();
  if (P.Line < 1 || P.Line > count) return P;
  int x = std::max(P.Char, 1);
  int y = P.Line;
  std::string_view line = Line(y);
  int len = static_cast<int>(line.size());
  if (x < len) {
    int m = TxtScanForwardLead(line, x + 1, leadByte_);
    if (chars_.Ident[At(line, x)] && SingleByteAt(line, x)) x = TxtScanForward(line, x, chars_.White, leadByte_);
    if (x > 0) x = TxtScanForward(line, x, chars_.Ident, leadByte_);
    if (m > 0 && (x == 0 || m < x)) x = m;
    if (x == 0) x = len + 1;
  } else if (y < count) {
    ++y;
    line = Line(y);
    x = TxtScanForward(line, 1, chars_.Ident, leadByte_);
    int m = TxtScanForwardLead(line, 1, leadByte_);
    if (m > 0 && (x == 0 || m < x)) x = m;
    if (x == 0) x = 1;
  } else {
    return P;
  }
  return BufferCoord(x, y);
}

TBufferCoord TTxtWordFinder::WordStart(TBufferCoord P) const {
  if (P.Line < 1 || P.Line > lines_.Count()) return P;
  std::string_view line = Line(P.Line);
  int x = std::min(P.Char, static_cast<int>(line.size()) + 1);
  if (x > 1 && !chars_.White[At(line, x - 1)]) x = TxtScanBackward(line, x - 1, chars_.White, leadByte_) + 1;
  return BufferCoord(x, P.Line);
}

TBufferCoord TTxtWordFinder::WordEnd(TBufferCoord P) const {
  if (P.Line < 1 || P.Line > lines_.Count()) return P;
  std::string_view line = Line(P.Line);
  int x = TxtScanForward(line, P.Char, chars_.White, leadByte_);
  if (x == 0) x = static_cast<int>(line.size()) + 1;
  return BufferCoord(x, P.Line);
}

TBufferCoord TTxtWordFinder::PrevWordPos(TBufferCoord P) const {
  if (P.Line < 1 || P.Line > lines_.Count()) return P;
  int y = P.Line;
  std::string_view line = Line(y);
  int x = std::min(P.Char, static_cast<int>(line.size()) + 1);
  bool atLineStart = x <= 1;
  if (x > 1) {
    int m = TxtScanBackwardLead(line, x - 1, leadByte_);
    if (chars_.White[At(line, x - 1)] && SingleByteAt(line, x - 1))
      x = TxtScanBackward(line, x - 1, chars_.Ident, leadByte_);
    if (x > 0) x = TxtScanBackward(line, x - 1, chars_.White, leadByte_) + 1;
    if (m > 0 && (x == 0 || m > x)) x = m;
  }
  if (x == 0 || atLineStart) {
    if (y > 1) {
      --y;
      x = static_cast<int>(Line(y).size()) + 1;
    } else {
      x = 1;
    }
  }
  return BufferCoord(x, y);
}

AnsiString TTxtWordFinder::WordAt(TBufferCoord P) const {
  TBufferCoord start = WordStart(P);
  TBufferCoord end = WordEnd(P);
  if (start.Line != end.Line || start.Char >= end.Char || start.Line < 1 || start.Line > lines_.Count())
    return AnsiString();
  std::string_view line = Line(start.Line);
  return AnsiString(line.substr(static_cast<size_t>(start.Char - 1), static_cast<size_t>(end.Char - start.Char)));
}

bool TTxtWordFinder::TokenAt(TBufferCoord P, AnsiString& Token, TTxtHighlighterAttributes*& Attri, int& TokenKind,
                             int& Start) const {
  Token.clear();
  Attri = nullptr;
  TokenKind = 0;
  Start = 0;
  if (!highlighter_ || P.Line < 1 || P.Line > lines_.Count()) return false;
  if (P.Line == 1)
    highlighter_->ResetRange();
  else
    highlighter_->SetRange(lines_.GetRange(P.Line - 2));
  highlighter_->SetLine(AnsiString(Line(P.Line)), P.Line - 1);
  while (!highlighter_->GetEol()) {
    int start = highlighter_->GetTokenPos() + 1;
    AnsiString token = highlighter_->GetToken();
    if (P.Char >= start && P.Char < start + static_cast<int>(token.size())) {
      Token = token;
      Attri = highlighter_->GetTokenAttribute();
      TokenKind = highlighter_->GetTokenKind();
      Start = start;
      return true;
    }
    highlighter_->Next();
  }
  return false;
}

namespace {

// The string and comment stretches of one line, taken from the highlighter once per line.
class TQuotedParts {
 public:
  TQuotedParts(TTxtEditStringList& lines, TTxtCustomHighlighter* highlighter) : lines_(lines), hl_(highlighter) {
    if (hl_) {
      string_ = hl_->GetDefaultAttribute(3);
      comment_ = hl_->GetDefaultAttribute(0);
    }
  }

  bool Inside(int line, int index) {
    if (!hl_) return false;
    if (line != line_) Scan(line);
    for (const auto& [start, end] : parts_)
      if (index >= start && index < end) return true;
    return false;
  }

 private:
  void Scan(int line) {
    line_ = line;
    parts_.clear();
    if (line == 1)
      hl_->ResetRange();
    else
      hl_->SetRange(lines_.GetRange(line - 2));
    hl_->SetLine(AnsiString(lines_.LineView(line - 1)), line - 1);
    while (!hl_->GetEol()) {
      TTxtHighlighterAttributes* a = hl_->GetTokenAttribute();
      if (a && (a == string_ || a == comment_)) {
        int start = hl_->GetTokenPos() + 1;
        parts_.emplace_back(start, start + static_cast<int>(hl_->GetToken().size()));
      }
      hl_->Next();
    }
  }

  TTxtEditStringList& lines_;
  TTxtCustomHighlighter* hl_;
  TTxtHighlighterAttributes* string_ = nullptr;
  TTxtHighlighterAttributes* comment_ = nullptr;
  int line_ = 0;
  std::vector<std::pair<int, int>> parts_;
};

}  // namespace

bool TTxtWordFinder::MatchingBracket(TBufferCoord P, TBufferCoord& Result, int FirstLine, int LastLine) const {
  int count = lines_.Count();
  if (P.Line < 1 || P.Line > count) return false;
  std::string_view line = Line(P.Line);
  if (P.Char < 1 || P.Char > static_cast<int>(line.size())) return false;
  char bracket = line[static_cast<size_t>(P.Char - 1)];
  const char* found = bracket ? std::strchr(TxtBrackets, bracket) : nullptr;
  if (!found) return false;
  int index = static_cast<int>(found - TxtBrackets);
  bool opening = index % 2 == 0;
  char partner = TxtBrackets[index ^ 1];
  int depth = 1;
  TQuotedParts quoted(lines_, highlighter_);

  // One character of the scan; true when it closes the search.
  auto visit = [&](int y, int i, char c) {
    if ((c != bracket && c != partner) || quoted.Inside(y, i)) return false;
    depth += c == bracket ? 1 : -1;
    if (depth != 0) return false;
    Result = BufferCoord(i, y);
    return true;
  };

  if (opening) {
    int last = std::min(LastLine, count);
    for (int y = P.Line; y <= last; ++y) {
      std::string_view text = Line(y);
      int len = static_cast<int>(text.size());
      int from = y == P.Line ? P.Char + 1 : 1;
      for (int i = 1; i <= len; ++i) {
        unsigned char c = At(text, i);
        bool lead = leadByte_ && i < len && leadByte_(c);
        if (i >= from && !lead && visit(y, i, static_cast<char>(c))) return true;
        if (lead) ++i;
      }
    }
  } else {
    int first = std::max(FirstLine, 1);
    for (int y = P.Line; y >= first; --y) {
      std::string_view text = Line(y);
      int from = y == P.Line ? P.Char - 1 : static_cast<int>(text.size());
      if (from < 1) continue;
      // Both bytes of a double-byte character are skipped.
      std::vector<bool> trail;
      if (leadByte_) trail = TrailMap(text, static_cast<int>(text.size()), leadByte_);
      for (int i = from; i >= 1; --i) {
        if (leadByte_ && (trail[static_cast<size_t>(i)] || trail[static_cast<size_t>(i + 1)])) continue;
        if (visit(y, i, text[static_cast<size_t>(i - 1)])) return true;
      }
    }
  }
  return false;
}
