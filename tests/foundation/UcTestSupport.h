// Small helpers of the Unicode tests: byte strings written as numbers, and the message of an
// expected exception.
#pragma once

#include <initializer_list>
#include <string>

#include "tests/framework/Raised.h"

inline std::string Bytes(std::initializer_list<int> B) {
  std::string s;
  for (int c : B) s += static_cast<char>(c);
  return s;
}

// Random text bytes behind any byte-order mark or none, rich in line breaks and surrogate
// halves, of odd and even lengths.
template <class Rng>
std::string FuzzedTextBytes(Rng& R) {
  static const char* marks[] = {"", "\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"};
  std::string data = marks[R() % 4];
  static const int picks[] = {'\r', '\n', 0xD8, 0xDC, 0xDF, 0xED};
  for (int i = 0, n = static_cast<int>(R() % 41); i < n; ++i)
    data += static_cast<char>(R() % 2 ? picks[R() % 6] : static_cast<int>(R()));
  return data;
}
