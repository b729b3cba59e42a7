// Small text routines of the editing commands: splitting inserted text into lines, leading
// blanks and the indentation that fills a width, trailing blanks.
#pragma once

#include <string_view>
#include <vector>

#include "framework/Types.h"

// The lines of a text broken at CR LF, CR or LF. A text that ends with a break has an empty last
// piece, unless BreakEndsLastPiece is set (whole lines copied in line mode end with a break
// that closes their last line and starts no further one).
std::vector<std::string_view> TxtSplitPieces(std::string_view Text, bool BreakEndsLastPiece);

// The display columns of the leading characters with codes 1..32; with ExpandTabs a tab reaches
// the next multiple of TabWidth, otherwise every such character counts one.
int TxtLeadingBlanks(std::string_view Line, bool ExpandTabs, int TabWidth);
// Blanks that fill Count columns: Count div TabWidth tabs and Count mod TabWidth spaces when
// tabs are allowed and Count reaches a tab width; otherwise Count spaces.
AnsiString TxtIndentString(int Count, bool UseTabs, int TabWidth);
// Spaces and tabs.
bool TxtIsBlank(char C);
AnsiString TxtTrimTrailingBlanks(std::string_view Text);
bool TxtStringIsBlank(std::string_view Text);
// The same two under the names the editing commands know them by: the text without trailing
// spaces and tabs, and whether a text is empty or holds only spaces and tabs.
inline AnsiString TrimTrailingSpaces(std::string_view Text) { return TxtTrimTrailingBlanks(Text); }
inline bool StringIsBlank(std::string_view Text) { return TxtStringIsBlank(Text); }
