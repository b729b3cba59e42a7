// Words and brackets in the line buffer: where the next and previous word start, where the
// word at a position begins and ends, the bracket that matches another (skipping those inside
// strings and comments), and the highlighter's token at a position.
#pragma once

#include <string_view>

#include "editor/TxtEditHighlighter.h"
#include "editor/TxtEditTextBuffer.h"
#include "editor/TxtEditTypes.h"

// The characters words are made of and those that separate them: identifier characters come
// from the highlighter (less its word-break characters) or from a fixed default set; every
// other character from 1 to 255 is white. Byte 0 is in neither set.
struct TTxtWordChars {
  bool Ident[256] = {};
  bool White[256] = {};
};
TTxtWordChars TxtWordChars(const TTxtCustomHighlighter* Highlighter);

// The default identifier characters: digits, letters, the underscore, 0xA8, 0xB8 and
// 0xC0..0xFF (the letters of the Cyrillic and Western code pages).
TTxtCharSet TxtDefaultIdentChars();

// The bracket pairs; an even index opens, the next one closes it.
inline constexpr char TxtBrackets[] = "()[]{}<>";

// A lead-byte test of a double-byte code page; null on a system without double-byte characters.
using TTxtWordLeadByteTest = bool (*)(unsigned char);

// Scans of one line (1-based indexes; 0 means "none"). They never stop on the second byte of a
// double-byte character.
int TxtScanForward(std::string_view Line, int Start, const bool (&Set)[256], TTxtWordLeadByteTest LeadByte);
int TxtScanBackward(std::string_view Line, int Start, const bool (&Set)[256], TTxtWordLeadByteTest LeadByte);
int TxtScanForwardLead(std::string_view Line, int Start, TTxtWordLeadByteTest LeadByte);
int TxtScanBackwardLead(std::string_view Line, int Start, TTxtWordLeadByteTest LeadByte);
// True when the 1-based Index is the second byte of a double-byte character.
bool TxtTrailByteAt(std::string_view Line, int Index, TTxtWordLeadByteTest LeadByte);

// Works on one buffer with an optional highlighter; holds references only.
class TTxtWordFinder {
 public:
  TTxtWordFinder(TTxtEditStringList& Lines, TTxtCustomHighlighter* Highlighter, TTxtWordLeadByteTest LeadByte);

  // Positions whose line lies outside the buffer come back unchanged.
  TBufferCoord NextWordPos(TBufferCoord P) const;
  TBufferCoord WordStart(TBufferCoord P) const;
  TBufferCoord WordEnd(TBufferCoord P) const;
  TBufferCoord PrevWordPos(TBufferCoord P) const;
  // The text between WordStart and WordEnd when they lie on one line in that order; else "".
  AnsiString WordAt(TBufferCoord P) const;

  // The bracket matching the one at P, searched no further than FirstLine (backwards) and
  // LastLine (forwards). Brackets in the highlighter's string or comment tokens do not count.
  bool MatchingBracket(TBufferCoord P, TBufferCoord& Result, int FirstLine, int LastLine) const;

  // The highlighter's token that covers P: its text, attribute, kind and 1-based start.
  bool TokenAt(TBufferCoord P, AnsiString& Token, TTxtHighlighterAttributes*& Attri, int& TokenKind, int& Start) const;

  const TTxtWordChars& Chars() const { return chars_; }

 private:
  std::string_view Line(int ALine) const { return lines_.LineView(ALine - 1); }
  bool SingleByteAt(std::string_view Line, int Index) const;

  TTxtEditStringList& lines_;
  TTxtCustomHighlighter* highlighter_;
  TTxtWordLeadByteTest leadByte_;
  TTxtWordChars chars_;
};
