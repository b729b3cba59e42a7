// Text routines of the editing commands.
#include "editor/TxtEditTextUtils.h"

std::vector<std::string_view> TxtSplitPieces(std::string_view Text, bool BreakEndsLastPiece) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  size_t i = 0;
  while (i < Text.size()) {
    char c = Text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    pieces.push_back(Text.substr(start, i - start));
    i += (c == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < Text.size() || !BreakEndsLastPiece || pieces.empty()) pieces.push_back(Text.substr(start));
  return pieces;
}

int TxtLeadingBlanks(std::string_view Line, bool ExpandTabs, int TabWidth) {
  if (TabWidth < 1) TabWidth = 1;
  int columns = 0;
  for (char ch : Line) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 1 || c > 32) break;
    if (c == '\t' && ExpandTabs)
      columns = (columns / TabWidth + 1) * TabWidth;
    else
      ++columns;
  }
  return columns;
}

AnsiString TxtIndentString(int Count, bool UseTabs, int TabWidth) {
  if (Count <= 0) return AnsiString();
  if (UseTabs && TabWidth >= 1 && Count >= TabWidth)
    return AnsiString(static_cast<size_t>(Count / TabWidth), '\t') +
           AnsiString(static_cast<size_t>(Count % TabWidth), ' ');
  return AnsiString(static_cast<size_t>(Count), ' ');
}

bool TxtIsBlank(char C) { return C == ' ' || C == '\t'; }

AnsiString TxtTrimTrailingBlanks(std::string_view Text) {
  size_t end = Text.size();
  while (end > 0 && TxtIsBlank(Text[end - 1])) --end;
  return AnsiString(Text.substr(0, end));
}

bool TxtStringIsBlank(std::string_view Text) {
  for (char c : Text)
    if (!TxtIsBlank(c)) return false;
  return true;
}
