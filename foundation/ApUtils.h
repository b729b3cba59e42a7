// Value and string routines of the application services: blank trimming, words, hexadecimal
// and XOR-coded texts, number texts for the current locale, and Base64 in 76-character lines.
#pragma once

#include <string>
#include <string_view>

#include "foundation/SysRoutines.h"
#include "framework/Exceptions.h"
#include "framework/Types.h"

// The base of the application services' own errors.
HV_DECLARE_EXCEPTION(EApException, Exception);

// ---- text (8-bit; positions 1-based) ----
// Blanks are code 32 only; tabs stay.
AnsiString DeleteLeadingSpaces(std::string_view S);
AnsiString DeleteTrailingSpaces(std::string_view S);
AnsiString DeleteOuterSpaces(std::string_view S);
AnsiString DeleteChars(std::string_view S, char Ch);
AnsiString RepeatChar(char Ch, int N);
// Every occurrence of Search, left to right and without rescanning replaced text; an empty
// Search changes nothing.
AnsiString ReplaceText(std::string_view S, std::string_view Search, std::string_view Replace);
// Words are maximal runs of characters outside Delimiters.
int FindWordPosition(int N, std::string_view S, const TSysCharSet& Delimiters);
AnsiString WordAt(int N, std::string_view S, const TSysCharSet& Delimiters);

// ---- hexadecimal and XOR-coded texts ----
AnsiString BufferToHexText(const void* Buffer, int Count);
// Converts up to Count bytes (a "0" is put in front of an odd-length text); returns the
// number written. A pair that is not hexadecimal raises EConvertError.
int HexTextToBuffer(std::string_view Text, void* Buffer, int Count);
// Each character XOR the key's character at the same position (the key repeats), as two
// lower-case hexadecimal digits; no XOR with an empty key.
AnsiString XorKeyToHex(std::string_view Key, std::string_view Source);
// The reverse of XorKeyToHex; a pair that is not hexadecimal counts as a blank (32).
AnsiString XorHexToText(std::string_view Key, std::string_view Source);

// ---- numbers ----
// A number text made convertible with the given separators: thousands separators dropped,
// "." and "," taken as the decimal separator when neither separator is that character, and
// everything but digits, signs and separators removed ("" gives "0", "-" gives "-0").
AnsiString ToValueText(std::string_view S, char DecimalSeparator, char ThousandSeparator);
// The same with the separators of the process's locale settings.
AnsiString ToValueText(std::string_view S);

class TVariant;
// True for the variant types of whole numbers: small integer, integer, short integer, byte,
// word and long word.
bool IsIntegerVariant(const TVariant& V);

int RectWidth(const TRect& R);
int RectHeight(const TRect& R);

// ---- Base64 (RFC 2045 alphabet) ----
// Lines of 76 characters separated by CR LF, none after the last; the last group padded "=".
AnsiString EncodeBase64Lines(std::string_view S);
// Characters outside the alphabet (line breaks, padding, anything else) are skipped.
AnsiString DecodeBase64Text(std::string_view S);
