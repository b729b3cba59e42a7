// Word wrap: the break of a line into rows, the row tables kept in step with the buffer's
// changes, and the conversions between buffer and display positions.
#include "editor/TxtEditWordWrap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editor/TxtEdit.h"

namespace {

// Rows are stored as bytes, so no row may be longer than this, whatever the width.
constexpr int MaxRow = 255;
constexpr unsigned char TabFill = 9;

bool IsBlank(unsigned char C) { return C == ' ' || C == TabFill; }

void Require(bool Condition, const char* What) {
  if (!Condition) throw EAssertionFailed(std::string("TTxtWordWrapPlugin: ") + What);
}

// Reads the editor's buffer and window.
class TEditorWrapSource final : public ITxtWrapSource {
 public:
  explicit TEditorWrapSource(TCustomTxtEdit& AEdit) : edit_(AEdit) {}
  int LineCount() override { return edit_.Lines()->Count(); }
  std::string_view ExpandedLine(int Index, AnsiString& Scratch) override {
    TTxtEditStringList& lines = *edit_.Lines();
    const std::string_view view = lines.LineView(Index);
    // Expansion with a width of 2 or more keeps tabs as tabs: an unchanged length means an
    // unchanged text, which spares the copy.
    if (lines.TabWidth() >= 2 && static_cast<size_t>(lines.GetExpandedStringLength(Index)) == view.size()) return view;
    Scratch = lines.GetExpandedString(Index);
    return Scratch;
  }
  int ExpandedLength(int Index) override { return edit_.Lines()->GetExpandedStringLength(Index); }
  int CharsInWindow() override { return edit_.CharsInWindow(); }
  int TabWidth() override { return edit_.TabWidth(); }
  TTxtCharSet IdentChars() override { return edit_.IdentChars(); }

 private:
  TCustomTxtEdit& edit_;
};

}  // namespace

int TxtWrapLine(std::string_view S, const TTxtWrapRules& Rules, std::vector<uint8_t>& Rows) {
  const int64_t len = static_cast<int64_t>(S.size());
  if (len == 0) {
    Rows.push_back(0);
    return 1;
  }
  auto at = [&](int64_t i) -> unsigned char { return i < len ? static_cast<unsigned char>(S[size_t(i)]) : 0; };
  // Which bytes are second halves of double-byte characters, found in one pass from the start.
  std::vector<char> trail;
  if (Rules.LeadByte) {
    trail.assign(size_t(len) + 1, 0);
    for (int64_t i = 0; i < len;) {
      if (Rules.LeadByte(at(i)) && i + 1 < len) {
        trail[size_t(i + 1)] = 1;
        i += 2;
      } else {
        ++i;
      }
    }
  }
  const int width = std::clamp(Rules.MaxRowLength, 1, MaxRow);
  const int tabWidth = std::max(Rules.TabWidth, 1);
  int count = 0;
  int64_t rowBegin = 0, rowEnd = width;
  while (rowEnd < len) {
    if (!IsBlank(at(rowEnd))) {
      for (int64_t p = rowEnd - 1; p >= rowBegin + Rules.MinRowLength + 1; --p)
        if (Rules.BreakChars[at(p)]) {
          rowEnd = p + 1;
          break;
        }
    } else {
      // Blanks hang at the end of the row they start in.
      while (IsBlank(at(rowEnd))) ++rowEnd;
    }
    if (rowEnd - rowBegin > MaxRow) {
      rowEnd = rowBegin + MaxRow;
      const int64_t limit = rowBegin + MaxRow - MaxRow % tabWidth;
      while (at(rowEnd) == TabFill && rowEnd > limit) --rowEnd;
      // A tab as wide as a whole row has no stop to step back to: cut it where the row is full.
      if (rowEnd == rowBegin) rowEnd = rowBegin + MaxRow;
    }
    if (!trail.empty() && trail[size_t(rowEnd)]) {
      // Never split a character; a row of one character takes both its bytes.
      if (rowEnd - 1 > rowBegin)
        --rowEnd;
      else
        ++rowEnd;
    }
    Rows.push_back(static_cast<uint8_t>(rowEnd - rowBegin));
    ++count;
    rowBegin = rowEnd;
    rowEnd = rowBegin + width;
  }
  if (rowBegin < len) {
    Rows.push_back(static_cast<uint8_t>(len - rowBegin));
    ++count;
  }
  return count;
}

TTxtWordWrapPlugin::TTxtWordWrapPlugin(TComponent* Owner) {
  auto* edit = dynamic_cast<TCustomTxtEdit*>(Owner);
  if (!edit) throw Exception("TTxtWordWrapPlugin must be owned by TCustomTxtEdit");
  ownSource_ = std::make_unique<TEditorWrapSource>(*edit);
  source_ = ownSource_.get();
  Reset();
}

TTxtWordWrapPlugin::TTxtWordWrapPlugin(ITxtWrapSource& Source) : source_(&Source) { Reset(); }

TTxtWordWrapPlugin::~TTxtWordWrapPlugin() = default;

int TTxtWordWrapPlugin::WrapWidth() {
  const int chars = source_->CharsInWindow();
  Require(chars >= 0, "negative visible width");
  return std::min(chars, MaxRow);
}

void TTxtWordWrapPlugin::ReadRules() {
  maxRowLength_ = WrapWidth();
  minRowLength_ = std::max(maxRowLength_ - maxRowLength_ / 3, 1);
  rules_.MaxRowLength = maxRowLength_;
  rules_.MinRowLength = minRowLength_;
  rules_.TabWidth = source_->TabWidth();
  rules_.LeadByte = TxtEditLeadByteTest();
  const TTxtCharSet ident = source_->IdentChars();
  for (int c = 0; c < 256; ++c) rules_.BreakChars[c] = !ident.Contains(static_cast<unsigned char>(c));
}

void TTxtWordWrapPlugin::Reset() {
  ReadRules();
  WrapAll();
}

void TTxtWordWrapPlugin::DisplayChanged() {
  if (WrapWidth() != maxRowLength_) Reset();
}

void TTxtWordWrapPlugin::GrowLines(int64_t Needed) {
  if (Needed <= LineCapacity()) return;
  Require(Needed < INT32_MAX - 256, "too many lines");
  lineOffsets_.resize(size_t((Needed / 256 + 1) * 256));
}

void TTxtWordWrapPlugin::GrowRows(int64_t Needed) {
  if (Needed <= RowCapacity()) return;
  Require(Needed < INT32_MAX - 512, "too many rows");
  rowLengths_.resize(size_t((Needed / 512 + 1) * 512));
}

void TTxtWordWrapPlugin::WrapAll() {
  lineCount_ = 0;
  if (maxRowLength_ == 0) {
    lineOffsets_.clear();
    lineOffsets_.shrink_to_fit();
    rowLengths_.clear();
    rowLengths_.shrink_to_fit();
    return;
  }
  const int lines = source_->LineCount();
  if (lines <= 0) return;
  GrowLines(lines);
  int64_t rows = 0;
  for (int i = 0; i < lines; ++i) {
    // Most lines fit in one row: their length is all the row needs, without the text.
    const int known = source_->ExpandedLength(i);
    if (known >= 0 && known <= maxRowLength_) {
      GrowRows(rows + 1);
      rowLengths_[size_t(rows)] = static_cast<uint8_t>(known);
      lineOffsets_[size_t(i)] = static_cast<int32_t>(++rows);
      continue;
    }
    const int added = BreakLine(i);
    // The capacity is checked on every line: rows shortened by tab stops or double-byte
    // characters can outnumber any estimate.
    GrowRows(rows + added);
    std::memcpy(rowLengths_.data() + rows, scratch_.data(), size_t(added));
    rows += added;
    lineOffsets_[size_t(i)] = static_cast<int32_t>(rows);
  }
  lineCount_ = lines;
}

int TTxtWordWrapPlugin::BreakLine(int Index) {
  scratch_.clear();
  return TxtWrapLine(source_->ExpandedLine(Index, lineScratch_), rules_, scratch_);
}

int TTxtWordWrapPlugin::RowCount() { return lineCount_ < 1 ? 0 : lineOffsets_[size_t(lineCount_ - 1)]; }

int TTxtWordWrapPlugin::GetRowLength(int Row) {
  if (Row < 1 || Row > RowCount()) {
    char text[64];
    std::snprintf(text, sizeof text, "List index out of bounds (%d)", Row);
    throw EListError(text);
  }
  return rowLengths_[size_t(Row - 1)];
}

void TTxtWordWrapPlugin::ShiftRows(int From, int Delta) {
  const int total = RowCount();
  if (From < total) std::memmove(rowLengths_.data() + From + Delta, rowLengths_.data() + From, size_t(total - From));
}

int TTxtWordWrapPlugin::RewrapLine(int Index) {
  const int added = BreakLine(Index);
  const int first = RowsBefore(Index);
  const int old = lineOffsets_[size_t(Index)] - first;
  const int delta = added - old;
  if (delta != 0) {
    if (delta > 0) GrowRows(int64_t(RowCount()) + delta);
    ShiftRows(first + old, delta);
    for (int i = Index; i < lineCount_; ++i) lineOffsets_[size_t(i)] += delta;
  }
  std::memcpy(rowLengths_.data() + first, scratch_.data(), size_t(added));
  return delta;
}

int TTxtWordWrapPlugin::LinesInserted(int Index, int Count) {
  if (maxRowLength_ == 0) return 0;
  Require(Index >= 0 && Count >= 1 && Index <= lineCount_, "lines inserted out of range");
  // The new lines are wrapped together and the rows after them move once.
  scratch_.clear();
  std::vector<int32_t> ends(static_cast<size_t>(Count));
  for (int i = 0; i < Count; ++i) {
    TxtWrapLine(source_->ExpandedLine(Index + i, lineScratch_), rules_, scratch_);
    ends[size_t(i)] = static_cast<int32_t>(scratch_.size());
  }
  const int added = static_cast<int>(scratch_.size());
  GrowLines(int64_t(lineCount_) + Count);
  GrowRows(int64_t(RowCount()) + added);
  const int first = RowsBefore(Index);
  ShiftRows(first, added);
  std::memcpy(rowLengths_.data() + first, scratch_.data(), size_t(added));
  int32_t* offsets = lineOffsets_.data();
  std::memmove(offsets + Index + Count, offsets + Index, size_t(lineCount_ - Index) * sizeof(int32_t));
  for (int i = 0; i < Count; ++i) offsets[Index + i] = first + ends[size_t(i)];
  lineCount_ += Count;
  for (int i = Index + Count; i < lineCount_; ++i) offsets[i] += added;
  return added;
}

int TTxtWordWrapPlugin::LinesDeleted(int Index, int Count) {
  if (maxRowLength_ == 0) return 0;
  Require(Index >= 0 && Count >= 1 && int64_t(Index) + Count <= lineCount_, "lines deleted out of range");
  const int startRow = RowsBefore(Index);
  const int endRow = lineOffsets_[size_t(Index + Count - 1)];
  const int removed = endRow - startRow;
  const int total = RowCount();
  std::memmove(rowLengths_.data() + startRow, rowLengths_.data() + endRow, size_t(total - endRow));
  int32_t* offsets = lineOffsets_.data();
  std::memmove(offsets + Index, offsets + Index + Count, size_t(lineCount_ - Index - Count) * sizeof(int32_t));
  lineCount_ -= Count;
  for (int i = Index; i < lineCount_; ++i) offsets[i] -= removed;
  return removed;
}

int TTxtWordWrapPlugin::LinesPutted(int Index, int Count) {
  if (maxRowLength_ == 0) return 0;
  Require(Index >= 0 && Count >= 1 && int64_t(Index) + Count <= lineCount_, "lines put out of range");
  int delta = 0;
  for (int i = Index; i < Index + Count; ++i) delta += RewrapLine(i);
  return delta;
}

TDisplayCoord TTxtWordWrapPlugin::BufferToDisplayPos(const TBufferCoord& Pos) {
  Require(Pos.Char >= 1 && Pos.Line >= 1, "position before the text");
  if (Pos.Line > lineCount_) return {Pos.Char, TxtClampToInt(int64_t(RowCount()) + Pos.Line - lineCount_)};
  const int first = RowsBefore(Pos.Line - 1);
  const int end = lineOffsets_[size_t(Pos.Line - 1)];
  int64_t total = 0;
  for (int row = first; row < end; ++row) {
    const int length = rowLengths_[size_t(row)];
    total += length;
    if (total >= Pos.Char) return {static_cast<int>(length + Pos.Char - total), row + 1};
  }
  return {TxtClampToInt(rowLengths_[size_t(end - 1)] + Pos.Char - total), end};
}

TBufferCoord TTxtWordWrapPlugin::DisplayToBufferPos(const TDisplayCoord& Pos) {
  Require(Pos.Column >= 1 && Pos.Row >= 1, "position before the text");
  const int rows = RowCount();
  if (Pos.Row > rows) return {Pos.Column, TxtClampToInt(int64_t(Pos.Row) - rows + lineCount_)};
  // The first line whose row total reaches the row (every line has at least one row), found
  // by doubling steps from the first line and a binary search between the last two: the cost
  // grows with the row's place, so rows near the top cost the same in any text.
  const int32_t* offsets = lineOffsets_.data();
  int bound = 1;
  while (bound < lineCount_ && offsets[bound] < Pos.Row) bound = bound <= lineCount_ / 2 ? bound * 2 : lineCount_;
  const int32_t* from = offsets + bound / 2;
  const int32_t* to = offsets + std::min(bound + 1, lineCount_);
  const int line = static_cast<int>(std::lower_bound(from, to, Pos.Row) - offsets);
  const int first = RowsBefore(line);
  const int row = Pos.Row - 1;
  const bool lastRow = row == offsets[line] - 1;
  const int limit = lastRow ? maxRowLength_ + 1 : rowLengths_[size_t(row)] + 1;
  int64_t ch = std::min(Pos.Column, limit);
  for (int r = first; r < row; ++r) ch += rowLengths_[size_t(r)];
  return {TxtClampToInt(ch), line + 1};
}
