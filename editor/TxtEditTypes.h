// Positions and selection modes shared by the editor control and everything under it.
#pragma once

#include <cstdint>

#include "framework/Sets.h"
#include "framework/TypeInfo.h"

// A position in the stored text: character index into the line and line number, both 1-based.
struct TBufferCoord {
  int32_t Char = 0;
  int32_t Line = 0;
  bool operator==(const TBufferCoord&) const = default;
};

// A position on the screen: column after tab expansion and row after word wrap, both 1-based.
struct TDisplayCoord {
  int32_t Column = 0;
  int32_t Row = 0;
  bool operator==(const TDisplayCoord&) const = default;
};

inline TBufferCoord BufferCoord(int32_t AChar, int32_t ALine) { return {AChar, ALine}; }
inline TDisplayCoord DisplayCoord(int32_t AColumn, int32_t ARow) { return {AColumn, ARow}; }

// Character stream, whole lines, or a rectangle in display columns. The value is also the first
// byte of the editor's private clipboard block.
HV_ENUM(TTxtSelectionMode, smNormal, smLine, smColumn)

// Options of a search or replace; the whole set goes to the search engine, which reads only
// srMatchCase and srWholeWord.
HV_ENUM(TSearchReplaceOption, srMatchCase, srWholeWord, srBackwards, srEntireScope, srSelectionOnly, srReplace,
        srReplaceAll, srPrompt)
using TSearchReplaceOptions = TSet<TSearchReplaceOption>;

// Stores a setter's value and tells whether it differed: the editor's option groups report a
// change only then.
template <class V>
bool TxtEditReplace(V& Field, const V& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}
