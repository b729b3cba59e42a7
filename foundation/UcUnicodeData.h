// Unicode character data (decomposition, combining classes, composition) read lazily from the
// program's "UNICODEDATA" resources, normalization to the four forms, and the tolerant UTF-8
// codec and byte swap that the text-file encodings use.
//
// Only 16-bit codes are looked up; characters outside the basic plane pass unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Types.h"
#include "framework/Win.h"

enum TNormalizationForm : uint8_t { nfNone, nfC, nfD, nfKC, nfKD };

// UTF-8 to UTF-16. Sequences of encoded surrogates (the halves of a pair written separately)
// are accepted; a continuation byte standing alone gives the character of its value; any other
// invalid or truncated sequence gives U+FFFD for its first byte and decoding resumes at the
// next byte, so no byte after a bad one is lost.
WideString DecodeUtf8ToWide(const std::string& S);
// UTF-16 to UTF-8: a valid surrogate pair becomes one 4-byte sequence, a lone surrogate its own
// 3-byte sequence (so that it decodes back unchanged).
std::string EncodeWideToUtf8(const WideString& S);
// Swaps the two bytes of Count units in place, zero units included.
void SwapWideCharBytes(wchar_t* P, size_t Count);
void SwapWideCharBytes(WideString& S);
// The same over a zero-terminated buffer, stopping at its first zero unit.
void SwapWideCharBytes(wchar_t* P);

// The character's one-step mapping: with Compatible the compatibility mapping first, then the
// canonical one; without it the canonical one only. Empty when there is none.
std::vector<uint32_t> UnicodeDecompose(uint16_t Code, bool Compatible);
// The canonical combining class; 0 for characters without data.
uint8_t CanonicalCombiningClass(uint16_t Code);
// The primary composite of the pair, when there is one.
bool UnicodeCompose(uint16_t First, uint16_t Second, uint16_t& Composite);
// S in the form (nfNone gives S unchanged).
WideString WideNormalize(const WideString& S, TNormalizationForm Form);
// The locale's default ANSI code page, or the system's when the locale names none.
uint32_t CodePageFromLocale(LCID Locale);
