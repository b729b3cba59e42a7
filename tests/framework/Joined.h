// Runs a function over a list of inputs and joins what it gives, so that a whole table of cases
// is checked against one expected text (a failure shows every result at once).
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>
#include <type_traits>

template <class Inputs, class Fn>
std::string Joined(const Inputs& In, Fn F, const char* Sep = "|") {
  std::ostringstream out;
  bool first = true;
  for (const auto& x : In) {
    if (!first) out << Sep;
    first = false;
    const auto r = F(x);
    if constexpr (std::is_same_v<std::decay_t<decltype(r)>, bool>)
      out << (r ? "true" : "false");
    else if constexpr (std::is_same_v<std::decay_t<decltype(r)>, std::wstring>)
      for (wchar_t c : r) out << (c < 128 ? static_cast<char>(c) : '?');
    else
      out << r;
  }
  return out.str();
}

template <class T, class Fn>
std::string Joined(std::initializer_list<T> In, Fn F, const char* Sep = "|") {
  return Joined<std::initializer_list<T>, Fn>(In, F, Sep);
}
