// The parser of form files: text in, a tree out, or EReadError naming the line; nothing is
// read into components before the whole text has parsed.
#pragma once

#include <string>

#include "framework/FormFileTree.h"

namespace formfile {

// SourceName names the text in error messages.
TObjectNode ParseFormText(const std::string& Text, const std::string& SourceName);

}  // namespace formfile
