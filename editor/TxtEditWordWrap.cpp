// Word wrap: the break of a line into rows, the row tables kept in step with the buffer's
// changes, and the conversions between buffer and display positions.
#include "editor/TxtEditWordWrap.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

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
    Scratch.clear();
    AppendExpandedLine(view, lines.TabWidth(), Scratch);
    return Scratch;
  }
  int ExpandedLength(int Index) override { return edit_.Lines()->GetExpandedStringLength(Index); }
  void ExpandedLengths(int From, int Count, int* Lengths) override {
    edit_.Lines()->GetExpandedStringLengths(From, Count, Lengths);
  }
  int CharsInWindow() override { return edit_.CharsInWindow(); }
  int TabWidth() override { return edit_.TabWidth(); }
  TTxtCharSet IdentChars() override { return edit_.IdentChars(); }

 private:
  TCustomTxtEdit& edit_;
};

// The first index below N at which Before (true for the indexes from 0 up to some point, false
// from there on) is false, or N. Found by doubling steps from the start and a binary search
// between the last two, so that the cost grows with the place found, not with N: rows and lines
// near the top cost the same in any text.
template <class TBefore>
size_t FirstNotBefore(size_t N, TBefore Before) {
  if (N == 0 || !Before(size_t(0))) return 0;
  size_t low = 0, high = 1;  // Before(low) holds; the answer lies in (low, high]
  while (high < N && Before(high)) {
    low = high;
    high *= 2;
  }
  high = std::min(high, N);
  while (high - low > 1) {
    const size_t mid = low + (high - low) / 2;
    if (Before(mid))
      low = mid;
    else
      high = mid;
  }
  return high;
}

}  // namespace

int TxtWrapLine(std::string_view S, const TTxtWrapRules& Rules, std::vector<uint8_t>& Rows) {
  // Positions in machine words: a row never reaches more than MaxRow past the line's end, and
  // lines are shorter than half the address space.
  const size_t len = S.size();
  if (len == 0) {
    Rows.push_back(0);
    return 1;
  }
  auto at = [&](size_t i) -> unsigned char { return i < len ? static_cast<unsigned char>(S[i]) : 0; };
  // Which bytes are second halves of double-byte characters, found in one pass from the start.
  std::vector<char> trail;
  if (Rules.LeadByte) {
    trail.assign(len + 1, 0);
    for (size_t i = 0; i < len;) {
      if (Rules.LeadByte(at(i)) && i + 1 < len) {
        trail[i + 1] = 1;
        i += 2;
      } else {
        ++i;
      }
    }
  }
  const auto width = static_cast<size_t>(std::clamp(Rules.MaxRowLength, 1, MaxRow));
  const auto tabWidth = static_cast<size_t>(std::max(Rules.TabWidth, 1));
  const auto shortest = static_cast<size_t>(std::max(Rules.MinRowLength, 0));
  int count = 0;
  size_t rowBegin = 0, rowEnd = width;
  while (rowEnd < len) {
    if (!IsBlank(at(rowEnd))) {
      // Within the line: rowEnd lies before its end here.
      for (size_t p = rowEnd - 1; p >= rowBegin + shortest + 1; --p)
        if (Rules.BreakChars[static_cast<unsigned char>(S[p])]) {
          rowEnd = p + 1;
          break;
        }
    }
    // Blanks hang at the end of the row they start in, also after a break that ends before them.
    while (IsBlank(at(rowEnd))) ++rowEnd;
    if (rowEnd - rowBegin > MaxRow) {
      rowEnd = rowBegin + MaxRow;
      const size_t limit = rowBegin + MaxRow - MaxRow % tabWidth;
      while (at(rowEnd) == TabFill && rowEnd > limit) --rowEnd;
      // A tab as wide as a whole row has no stop to step back to: cut it where the row is full.
      if (rowEnd == rowBegin) rowEnd = rowBegin + MaxRow;
    }
    if (!trail.empty() && trail[rowEnd]) {
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

int TTxtWordWrapPlugin::BreakLine(int Index) {
  // A line known to fit takes one row without its text being read.
  const int known = source_->ExpandedLength(Index);
  if (known >= 0 && known <= maxRowLength_) return 1;
  return BreakText(Index);
}

int TTxtWordWrapPlugin::BreakText(int Index) {
  scratch_.clear();
  return TxtWrapLine(source_->ExpandedLine(Index, lineScratch_), rules_, scratch_);
}

int TTxtWordWrapPlugin::LineLength(int Index) {
  const int known = source_->ExpandedLength(Index);
  if (known >= 0) return known;
  return static_cast<int>(source_->ExpandedLine(Index, lineScratch_).size());
}

int TTxtWordWrapPlugin::LastRowLength(int Line, const uint8_t* Stored, int32_t Extra) {
  int64_t length = LineLength(Line);
  for (int32_t r = 0; r < Extra; ++r) length -= Stored[r];
  return static_cast<int>(std::max<int64_t>(length, 0));
}

// ---- the entries ----

int32_t TTxtWordWrapPlugin::Extra(size_t Entry) const {
  const uint8_t extra = extraRows_[Entry];
  if (extra < 255) return extra;
  const int line = wrappedLines_[Entry];
  return std::lower_bound(bigLines_.begin(), bigLines_.end(), line,
                          [](const TBigLine& Big, int L) { return Big.Line < L; })
      ->Extra;
}

void TTxtWordWrapPlugin::SetExtra(size_t Entry, int32_t Value) {
  const int line = wrappedLines_[Entry];
  auto big = std::lower_bound(bigLines_.begin(), bigLines_.end(), line,
                              [](const TBigLine& Big, int L) { return Big.Line < L; });
  const bool present = big != bigLines_.end() && big->Line == line;
  if (Value >= 255) {
    extraRows_[Entry] = 255;
    if (present)
      big->Extra = Value;
    else
      bigLines_.insert(big, {line, Value});
  } else {
    extraRows_[Entry] = static_cast<uint8_t>(Value);
    if (present) bigLines_.erase(big);
  }
}

int32_t TTxtWordWrapPlugin::ExtraBefore(size_t Entry) const {
  if (Entry >= wrappedLines_.size()) return totalExtra_;
  const size_t block = Entry / kBlock;
  int32_t sum = blockExtra_[block];
  for (size_t j = block * kBlock; j < Entry; ++j) sum += Extra(j);
  return sum;
}

void TTxtWordWrapPlugin::RebuildSums(size_t From) {
  const size_t n = wrappedLines_.size();
  const size_t blocks = (n + kBlock - 1) / kBlock;
  // The sums of the blocks before From's hold; the block before it is still whole.
  size_t b = std::min({From / kBlock, blockExtra_.size(), blocks});
  blockExtra_.resize(blocks);
  int64_t sum = 0;
  if (b > 0) {
    sum = blockExtra_[b - 1];
    for (size_t j = (b - 1) * kBlock; j < b * kBlock; ++j) sum += Extra(j);
  }
  for (; b < blocks; ++b) {
    blockExtra_[b] = static_cast<int32_t>(sum);
    for (size_t j = b * kBlock, end = std::min(j + kBlock, n); j < end; ++j) sum += Extra(j);
  }
  totalExtra_ = static_cast<int32_t>(sum);
}

void TTxtWordWrapPlugin::AdjustSums(size_t Entry, int32_t Delta) {
  for (size_t b = Entry / kBlock + 1; b < blockExtra_.size(); ++b) blockExtra_[b] += Delta;
  totalExtra_ += Delta;
}

// One entry came in at Entry: every later block now starts one entry earlier in the old order,
// so it gains the new entry's rows and gives up those of the entry that now starts it. A line
// that starts or stops wrapping costs a step per block, not per entry.
void TTxtWordWrapPlugin::SumsAfterInsert(size_t Entry) {
  const size_t n = wrappedLines_.size(), blocks = (n + kBlock - 1) / kBlock, old = blockExtra_.size();
  const int32_t added = Extra(Entry);
  for (size_t b = Entry / kBlock + 1; b < std::min(old, blocks); ++b) blockExtra_[b] += added - Extra(b * kBlock);
  blockExtra_.resize(blocks);
  for (size_t b = std::max<size_t>(old, 1); b < blocks; ++b) {
    int32_t sum = blockExtra_[b - 1];
    for (size_t j = (b - 1) * kBlock; j < b * kBlock; ++j) sum += Extra(j);
    blockExtra_[b] = sum;
  }
  totalExtra_ += added;
}

// The entry at Entry, of Removed rows, went: every later block starts one entry later in the old
// order.
void TTxtWordWrapPlugin::SumsAfterErase(size_t Entry, int32_t Removed) {
  const size_t n = wrappedLines_.size(), blocks = (n + kBlock - 1) / kBlock;
  blockExtra_.resize(blocks);
  for (size_t b = Entry / kBlock + 1; b < blocks; ++b) blockExtra_[b] += Extra(b * kBlock - 1) - Removed;
  totalExtra_ -= Removed;
}

void TTxtWordWrapPlugin::ShiftLines(size_t FromEntry, int Line, int Lines) {
  for (size_t j = FromEntry; j < wrappedLines_.size(); ++j) wrappedLines_[j] += Lines;
  for (TBigLine& big : bigLines_)
    if (big.Line >= Line) big.Line += Lines;
}

size_t TTxtWordWrapPlugin::EntryFrom(int Line) const {
  return FirstNotBefore(wrappedLines_.size(), [&](size_t j) { return wrappedLines_[j] < Line; });
}

const TTxtWordWrapPlugin::TTablePlace& TTxtWordWrapPlugin::TablePlace(int Line) const {
  if (placeCache_.Line == Line && placeCache_.Stamp == tablesStamp_) return placeCache_.Place;
  const size_t j = EntryFrom(Line);
  const TAside* aside = nullptr;
  if (!aside_.empty()) {
    const auto a = aside_.find(Line);
    if (a != aside_.end()) aside = &a->second;
  }
  placeCache_ = {Line, tablesStamp_, {j, ExtraBefore(j), AsideBefore(Line), aside}};
  return placeCache_.Place;
}

// An entry's first row is its line plus the extra rows before it, which grows with the
// entries: the block is found by the first rows of the blocks' first entries, then the entry
// within it.
TTxtWordWrapPlugin::TRowPlace TTxtWordWrapPlugin::PlaceOfRowInTables(int Row) const {
  const size_t n = wrappedLines_.size();
  const size_t block =
      FirstNotBefore(blockExtra_.size(), [&](size_t b) { return wrappedLines_[b * kBlock] + blockExtra_[b] <= Row; });
  if (block == 0) return {Row, {Row, 0, nullptr}, 0};
  size_t j = (block - 1) * kBlock;
  int32_t before = blockExtra_[block - 1];
  int32_t extra = Extra(j);
  for (const size_t end = std::min(j + kBlock, n); j + 1 < end; ++j) {
    if (wrappedLines_[j + 1] + before + extra > Row) break;
    before += extra;
    extra = Extra(j + 1);
  }
  const int first = wrappedLines_[j] + before;
  if (Row <= first + extra) return {wrappedLines_[j], {first, extra, rowLengths_.data() + before}, Row - first};
  // A line of one row between this entry and the next.
  return {Row - before - extra, {Row, 0, nullptr}, 0};
}

TTxtWordWrapPlugin::TRowPlace TTxtWordWrapPlugin::PlaceOfRow(int Row) const {
  if (aside_.empty()) return PlaceOfRowInTables(Row);
  // The last line that starts at or before Row, its first row counting the lines aside.
  const int line =
      static_cast<int>(FirstNotBefore(static_cast<size_t>(lineCount_),
                                      [&](size_t L) {
                                        const int l = static_cast<int>(L);
                                        return int64_t(l) + ExtraBefore(EntryFrom(l)) + AsideBefore(l) <= Row;
                                      })) -
      1;
  const TLineRows rows = RowsOfLine(line);
  return {line, rows, Row - rows.First};
}

TTxtWordWrapPlugin::TLineRows TTxtWordWrapPlugin::RowsOfLine(int Line) const {
  const TTablePlace& at = TablePlace(Line);
  const int first = Line + at.Before + at.AsideBefore;
  if (at.Aside) return {first, at.Aside->Extra, at.Aside->Rows.data()};
  const size_t j = at.Entry;
  if (j < wrappedLines_.size() && wrappedLines_[j] == Line) return {first, Extra(j), rowLengths_.data() + at.Before};
  return {first, 0, nullptr};
}

// ---- lines kept aside during an update ----

// A flag, not a count: a plug-in the editor takes off and puts back inside one lock is told
// of it twice.
void TTxtWordWrapPlugin::BeginUpdate() { updating_ = true; }

void TTxtWordWrapPlugin::EndUpdate() {
  if (!updating_) return;
  updating_ = false;
  Settle();
}

int32_t TTxtWordWrapPlugin::AsideBefore(int Line) const {
  if (aside_.empty()) return 0;
  int32_t sum = 0;
  if (asideSums_.empty()) {
    for (auto a = aside_.begin(); a != aside_.end() && a->first < Line; ++a) sum += a->second.Delta;
    return sum;
  }
  for (size_t i = std::min(static_cast<size_t>(std::max(Line, 0)), asideSums_.size() - 1); i > 0; i &= i - 1)
    sum += asideSums_[i];
  return sum;
}

// The tree leaves room for lines to come, and is built again when one comes past it.
void TTxtWordWrapPlugin::BuildAsideSums() {
  const size_t n = static_cast<size_t>(lineCount_) + static_cast<size_t>(lineCount_) / 4 + 64;
  asideSums_.assign(n + 1, 0);
  for (const auto& [line, a] : aside_)
    for (size_t i = static_cast<size_t>(line) + 1; i <= n; i += i & (~i + 1)) asideSums_[i] += a.Delta;
}

// Line's Delta changed by Change (or the line left the map, taking Change away).
void TTxtWordWrapPlugin::AddAside(int Line, int32_t Change) {
  asideDelta_ += Change;
  if (asideSums_.empty()) {
    if (aside_.size() > kFewAside) BuildAsideSums();
    return;
  }
  const size_t n = asideSums_.size() - 1;
  if (static_cast<size_t>(Line) >= n) {
    BuildAsideSums();
    return;
  }
  for (size_t i = static_cast<size_t>(Line) + 1; i <= n; i += i & (~i + 1)) asideSums_[i] += Change;
}

int TTxtWordWrapPlugin::PutAside(int Index) {
  const int32_t newExtra = BreakLine(Index) - 1;
  const TTablePlace& at = TablePlace(Index);  // remembered for Index from here on
  const size_t j = at.Entry;
  const bool had = j < wrappedLines_.size() && wrappedLines_[j] == Index;
  const int32_t tableExtra = had ? Extra(j) : 0;
  const int32_t oldExtra = at.Aside ? at.Aside->Extra : tableExtra;
  if (newExtra == tableExtra) {
    // The tables' place holds the rows: they are written over there, and no place moves.
    if (newExtra > 0) std::memcpy(rowLengths_.data() + at.Before, scratch_.data(), static_cast<size_t>(newExtra));
    if (at.Aside) {
      const int32_t gone = at.Aside->Delta;
      aside_.erase(Index);
      placeCache_.Place.Aside = nullptr;
      AddAside(Index, -gone);
    }
    return newExtra - oldExtra;
  }
  TAside& aside = aside_[Index];
  placeCache_.Place.Aside = &aside;
  aside.Extra = newExtra;
  aside.Delta = newExtra - tableExtra;
  aside.Rows.assign(scratch_.data(), scratch_.data() + newExtra);
  AddAside(Index, newExtra - oldExtra);
  // A pass over the tables now and then keeps what is aside small, whatever the update changes.
  if (aside_.size() >= kMostAside) Settle();
  return newExtra - oldExtra;
}

void TTxtWordWrapPlugin::SettleFrom(int Line) {
  if (!aside_.empty() && aside_.rbegin()->first >= Line) Settle();
}

void TTxtWordWrapPlugin::Settle() {
  if (aside_.empty()) return;
  if (aside_.size() <= kFewAside) {
    for (const auto& [line, a] : aside_) SetRows(line, a.Extra, a.Rows.data());
  } else {
    MergeAside();
  }
  ClearAside();
}

// The tables built anew in one pass: the runs of entries between the lines aside are copied
// whole, each line aside takes its place with its rows.
void TTxtWordWrapPlugin::MergeAside() {
  const size_t n = wrappedLines_.size();
  size_t added = 0;
  for (const auto& entry : aside_) added += static_cast<size_t>(entry.second.Extra);
  std::vector<int32_t> lines;
  std::vector<uint8_t> extras, rows;
  lines.reserve(n + aside_.size());
  extras.reserve(n + aside_.size());
  rows.reserve(rowLengths_.size() + added);
  size_t j = 0;
  auto keepUpTo = [&](size_t To) {
    const auto from = static_cast<size_t>(ExtraBefore(j)), to = static_cast<size_t>(ExtraBefore(To));
    lines.insert(lines.end(), wrappedLines_.begin() + std::ptrdiff_t(j), wrappedLines_.begin() + std::ptrdiff_t(To));
    extras.insert(extras.end(), extraRows_.begin() + std::ptrdiff_t(j), extraRows_.begin() + std::ptrdiff_t(To));
    rows.insert(rows.end(), rowLengths_.begin() + std::ptrdiff_t(from), rowLengths_.begin() + std::ptrdiff_t(to));
    j = To;
  };
  std::vector<TBigLine> bigs;
  for (const TBigLine& big : bigLines_)
    if (!aside_.count(big.Line)) bigs.push_back(big);
  for (const auto& [line, a] : aside_) {
    keepUpTo(EntryFrom(line));
    if (j < n && wrappedLines_[j] == line) ++j;
    if (a.Extra == 0) continue;
    lines.push_back(line);
    extras.push_back(static_cast<uint8_t>(std::min<int32_t>(a.Extra, 255)));
    if (a.Extra >= 255) bigs.push_back({line, a.Extra});
    rows.insert(rows.end(), a.Rows.begin(), a.Rows.end());
  }
  keepUpTo(n);
  std::sort(bigs.begin(), bigs.end(), [](const TBigLine& A, const TBigLine& B) { return A.Line < B.Line; });
  wrappedLines_.swap(lines);
  extraRows_.swap(extras);
  rowLengths_.swap(rows);
  bigLines_.swap(bigs);
  blockExtra_.clear();
  RebuildSums(0);
  ++tablesStamp_;
}

void TTxtWordWrapPlugin::ClearAside() {
  ++tablesStamp_;  // the places remembered counted the lines aside
  aside_.clear();
  asideDelta_ = 0;
  std::vector<int32_t>().swap(asideSums_);
}

// ---- wrapping ----

void TTxtWordWrapPlugin::WrapAll() {
  ClearAside();
  ++tablesStamp_;
  lineCount_ = 0;
  wrappedLines_.clear();
  extraRows_.clear();
  bigLines_.clear();
  blockExtra_.clear();
  totalExtra_ = 0;
  rowLengths_.clear();
  if (maxRowLength_ == 0) {
    wrappedLines_.shrink_to_fit();
    extraRows_.shrink_to_fit();
    blockExtra_.shrink_to_fit();
    rowLengths_.shrink_to_fit();
    return;
  }
  const int lines = source_->LineCount();
  if (lines <= 0) return;
  // The lengths come a batch at a time, and a line known to fit costs one comparison.
  int lengths[1024];
  int64_t extra = 0;
  for (int from = 0; from < lines; from += static_cast<int>(std::size(lengths))) {
    const int n = std::min(lines - from, static_cast<int>(std::size(lengths)));
    source_->ExpandedLengths(from, n, lengths);
    for (int k = 0; k < n; ++k) {
      if (lengths[k] >= 0 && lengths[k] <= maxRowLength_) continue;
      // The rows go straight to the table; the last one is not kept (nor the only one).
      const int rows = TxtWrapLine(source_->ExpandedLine(from + k, lineScratch_), rules_, rowLengths_);
      rowLengths_.pop_back();
      if (rows == 1) continue;
      extra += rows - 1;
      Require(extra < INT32_MAX - lines, "too many rows");
      wrappedLines_.push_back(from + k);
      extraRows_.push_back(static_cast<uint8_t>(std::min(rows - 1, 255)));
      if (rows - 1 >= 255) bigLines_.push_back({from + k, rows - 1});
    }
  }
  RebuildSums(0);
  lineCount_ = lines;
}

int TTxtWordWrapPlugin::RowCount() { return lineCount_ < 1 ? 0 : lineCount_ + totalExtra_ + asideDelta_; }

int TTxtWordWrapPlugin::GetRowLength(int Row) {
  if (Row < 1 || Row > RowCount()) {
    char text[64];
    std::snprintf(text, sizeof text, "List index out of bounds (%d)", Row);
    throw EListError(text);
  }
  const TRowPlace at = PlaceOfRow(Row - 1);
  const TLineRows& rows = at.Rows;
  if (rows.Extra == 0) return LineLength(at.Line);
  return at.Row < rows.Extra ? rows.Stored[at.Row] : LastRowLength(at.Line, rows.Stored, rows.Extra);
}

int TTxtWordWrapPlugin::RewrapLine(int Index) {
  const int32_t extra = BreakLine(Index) - 1;  // fills scratch_ first
  return SetRows(Index, extra, scratch_.data());
}

int TTxtWordWrapPlugin::SetRows(int Index, int32_t newExtra, const uint8_t* Rows) {
  const TTablePlace place = TablePlace(Index);
  const size_t j = place.Entry;
  const bool had = j < wrappedLines_.size() && wrappedLines_[j] == Index;
  const int32_t oldExtra = had ? Extra(j) : 0;
  if (!had && newExtra == 0) return 0;
  // Rows as many as before take the same room: no place moves.
  if (newExtra != oldExtra) ++tablesStamp_;
  const auto first = static_cast<size_t>(place.Before);
  const auto stored = static_cast<size_t>(oldExtra), wanted = static_cast<size_t>(newExtra);
  if (wanted > stored)
    rowLengths_.insert(rowLengths_.begin() + std::ptrdiff_t(first + stored), wanted - stored, uint8_t(0));
  else if (wanted < stored)
    rowLengths_.erase(rowLengths_.begin() + std::ptrdiff_t(first + wanted),
                      rowLengths_.begin() + std::ptrdiff_t(first + stored));
  if (wanted > 0) std::memcpy(rowLengths_.data() + first, Rows, wanted);
  if (had && newExtra == 0) {
    SetExtra(j, 0);
    wrappedLines_.erase(wrappedLines_.begin() + std::ptrdiff_t(j));
    extraRows_.erase(extraRows_.begin() + std::ptrdiff_t(j));
    SumsAfterErase(j, oldExtra);
  } else if (!had) {
    wrappedLines_.insert(wrappedLines_.begin() + std::ptrdiff_t(j), Index);
    extraRows_.insert(extraRows_.begin() + std::ptrdiff_t(j), uint8_t(0));
    SetExtra(j, newExtra);
    SumsAfterInsert(j);
  } else if (newExtra != oldExtra) {
    SetExtra(j, newExtra);
    AdjustSums(j, newExtra - oldExtra);
  }
  return newExtra - oldExtra;
}

int TTxtWordWrapPlugin::LinesInserted(int Index, int Count) {
  if (maxRowLength_ == 0) return 0;
  Require(Index >= 0 && Count >= 1 && Index <= lineCount_, "lines inserted out of range");
  Require(int64_t(RowCount()) + Count < INT32_MAX, "too many rows");
  SettleFrom(Index);
  ++tablesStamp_;
  // The new lines are wrapped together and the entries after them move once.
  newLines_.clear();
  newExtra_.clear();
  newRows_.clear();
  int64_t extra = 0;
  for (int i = 0; i < Count; ++i) {
    const int rows = BreakLine(Index + i);
    if (rows == 1) continue;
    extra += rows - 1;
    Require(int64_t(RowCount()) + Count + extra < INT32_MAX, "too many rows");
    newLines_.push_back(Index + i);
    newExtra_.push_back(rows - 1);
    newRows_.insert(newRows_.end(), scratch_.begin(), scratch_.end() - 1);
  }
  const size_t at = EntryFrom(Index);
  const auto first = static_cast<size_t>(ExtraBefore(at));
  ShiftLines(at, Index, Count);
  if (!newLines_.empty()) {
    rowLengths_.insert(rowLengths_.begin() + std::ptrdiff_t(first), newRows_.begin(), newRows_.end());
    wrappedLines_.insert(wrappedLines_.begin() + std::ptrdiff_t(at), newLines_.begin(), newLines_.end());
    extraRows_.insert(extraRows_.begin() + std::ptrdiff_t(at), newLines_.size(), uint8_t(0));
    for (size_t i = 0; i < newLines_.size(); ++i) SetExtra(at + i, newExtra_[i]);
  }
  RebuildSums(at);
  lineCount_ += Count;
  return Count + static_cast<int>(extra);
}

int TTxtWordWrapPlugin::LinesDeleted(int Index, int Count) {
  if (maxRowLength_ == 0) return 0;
  Require(Index >= 0 && Count >= 1 && int64_t(Index) + Count <= lineCount_, "lines deleted out of range");
  SettleFrom(Index);
  ++tablesStamp_;
  const size_t from = EntryFrom(Index), to = EntryFrom(Index + Count);
  const int32_t before = ExtraBefore(from), removed = ExtraBefore(to) - before;
  rowLengths_.erase(rowLengths_.begin() + before, rowLengths_.begin() + before + removed);
  for (size_t j = from; j < to; ++j) SetExtra(j, 0);
  wrappedLines_.erase(wrappedLines_.begin() + std::ptrdiff_t(from), wrappedLines_.begin() + std::ptrdiff_t(to));
  extraRows_.erase(extraRows_.begin() + std::ptrdiff_t(from), extraRows_.begin() + std::ptrdiff_t(to));
  ShiftLines(from, Index + Count, -Count);
  RebuildSums(from);
  lineCount_ -= Count;
  return Count + removed;
}

int TTxtWordWrapPlugin::LinesPutted(int Index, int Count) {
  if (maxRowLength_ == 0) return 0;
  Require(Index >= 0 && Count >= 1 && int64_t(Index) + Count <= lineCount_, "lines put out of range");
  int delta = 0;
  for (int i = Index; i < Index + Count; ++i) delta += updating_ ? PutAside(i) : RewrapLine(i);
  return delta;
}

// ---- positions ----

TDisplayCoord TTxtWordWrapPlugin::BufferToDisplayPos(const TBufferCoord& Pos) {
  Require(Pos.Char >= 1 && Pos.Line >= 1, "position before the text");
  if (Pos.Line > lineCount_) return {Pos.Char, TxtClampToInt(int64_t(RowCount()) + Pos.Line - lineCount_)};
  const int line = Pos.Line - 1;
  const TLineRows rows = RowsOfLine(line);
  // In a line of one row the column is the character, wherever the line ends.
  if (rows.Extra == 0) return {Pos.Char, rows.First + 1};
  int64_t total = 0;
  for (int32_t r = 0; r < rows.Extra; ++r) {
    const int length = rows.Stored[r];
    total += length;
    if (total >= Pos.Char) return {static_cast<int>(length + Pos.Char - total), rows.First + r + 1};
  }
  // The last row, and any place beyond it.
  const int last = LastRowLength(line, rows.Stored, rows.Extra);
  total += last;
  return {TxtClampToInt(last + Pos.Char - total), rows.First + rows.Extra + 1};
}

TBufferCoord TTxtWordWrapPlugin::DisplayToBufferPos(const TDisplayCoord& Pos) {
  Require(Pos.Column >= 1 && Pos.Row >= 1, "position before the text");
  const int rows = RowCount();
  if (Pos.Row > rows) return {Pos.Column, TxtClampToInt(int64_t(Pos.Row) - rows + lineCount_)};
  const TRowPlace at = PlaceOfRow(Pos.Row - 1);
  // A line's last row (a line of one row has no other) reaches to the width + 1; any other
  // row to its end, which is the next row's start.
  const uint8_t* stored = at.Rows.Stored;
  const int limit = at.Row == at.Rows.Extra ? maxRowLength_ + 1 : stored[at.Row] + 1;
  int64_t ch = std::min(Pos.Column, limit);
  for (int r = 0; r < at.Row; ++r) ch += stored[r];
  return {TxtClampToInt(ch), at.Line + 1};
}
