// The editor's line buffer.
#include "editor/TxtEditTextBuffer.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <new>

#include "editor/TxtEditTextUtils.h"
#include "framework/FileReplace.h"
#include "framework/PageBlock.h"
#include "framework/ScopeGuards.h"
#include "framework/Streams.h"
#include "framework/UpdateBracket.h"

HV_PUBLISH(TTxtEditStringList) {}

static_assert(sizeof(void*) != 4 || sizeof(TTxtEditStringRec) == 16, "a line record must stay at 16 bytes");

// The block a file was loaded into, taken from the system in whole pages so that the part
// that compaction frees can be given back. After loading, each line in it is followed by one
// LF, and Bytes[Size] is the LF after the last one: every loaded line ends at the next CR or LF.
struct TTxtEditStringList::LoadedBlock {
  explicit LoadedBlock(size_t size)
      : Pages(std::make_unique<TPageBlock>(size + 4)), Bytes(Pages->Bytes()), Size(size) {}
  // A text taken over whole: its own bytes hold the lines.
  explicit LoadedBlock(AnsiString&& text) : Taken(std::move(text)), Bytes(Taken.data()), Size(Taken.size()) {}

  // Gives back the pages past the first NewSize + 1 bytes.
  void Shrink(size_t newSize) {
    Size = newSize;
    if (Pages) Pages->ReleaseTail(newSize + 1);
  }

  std::unique_ptr<TPageBlock> Pages;
  AnsiString Taken;
  char* Bytes;
  size_t Size;
  int Lines = 0;  // records that still refer into the block
  bool Loading = false;
};

TTxtEditStringList::TTxtEditStringList() {
  longestKnown_ = true;
  SetTabWidth(8);
}

TTxtEditStringList::~TTxtEditStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  ReleaseAll();
  std::free(list_);
}

// ---- text storage ----

void TTxtEditStringList::IndexError(int Index) {
  char message[64];
  std::snprintf(message, sizeof message, "Invalid stringlist index %d", Index);
  throw ETxtEditStringList(message);
}

void TTxtEditStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= count_) IndexError(Index);
}

TTxtEditStringList::LoadedBlock* TTxtEditStringList::BlockOf(const char* Text) const {
  if (!Text || blocks_.empty()) return nullptr;
  const auto p = reinterpret_cast<uintptr_t>(Text);
  auto it = std::upper_bound(blocks_.begin(), blocks_.end(), p, [](uintptr_t at, const auto& block) {
    return at < reinterpret_cast<uintptr_t>(block->Bytes);
  });
  if (it == blocks_.begin()) return nullptr;
  LoadedBlock* block = std::prev(it)->get();
  return p <= reinterpret_cast<uintptr_t>(block->Bytes) + block->Size ? block : nullptr;
}

TTxtEditStringList::LoadedBlock* TTxtEditStringList::KeepBlock(std::unique_ptr<LoadedBlock> Block) {
  LoadedBlock* kept = Block.get();
  auto at = std::upper_bound(blocks_.begin(), blocks_.end(), kept->Bytes,
                             [](const char* bytes, const auto& block) { return bytes < block->Bytes; });
  blocks_.insert(at, std::move(Block));
  return kept;
}

void TTxtEditStringList::DropBlock(LoadedBlock* Block) {
  std::erase_if(blocks_, [&](const auto& block) { return block.get() == Block; });
}

std::string_view TTxtEditStringList::TextOf(const TTxtEditStringRec& Rec) const {
  if (!Rec.Text) return {};
  // A line measured without tabs is as long as its expanded length: its end need not be found.
  if (Rec.Flags == TTxtEditStringRec::LineHasNoTabs) return {Rec.Text, static_cast<size_t>(Rec.ExpandedLength)};
  if (const LoadedBlock* block = BlockOf(Rec.Text)) {
    const char* blockEnd = block->Bytes + block->Size + 1;
    return {Rec.Text, static_cast<size_t>(FindLineBreak(Rec.Text, blockEnd) - Rec.Text)};
  }
  int32_t length;
  std::memcpy(&length, Rec.Text - sizeof length, sizeof length);
  return {Rec.Text, static_cast<size_t>(length)};
}

const char* TTxtEditStringList::NewText(std::string_view S) {
  if (S.empty()) return nullptr;
  if (S.size() > static_cast<size_t>(INT_MAX) - 8) throw std::bad_alloc();
  auto* block = static_cast<char*>(std::malloc(sizeof(int32_t) + S.size()));
  if (!block) throw std::bad_alloc();
  auto length = static_cast<int32_t>(S.size());
  std::memcpy(block, &length, sizeof length);
  std::memcpy(block + sizeof length, S.data(), S.size());
  return block + sizeof length;
}

void TTxtEditStringList::ReleaseText(const char* Text) {
  if (!Text) return;
  if (LoadedBlock* block = BlockOf(Text)) {
    if (--block->Lines == 0 && !block->Loading) DropBlock(block);
  } else {
    std::free(const_cast<char*>(Text) - sizeof(int32_t));
  }
}

void TTxtEditStringList::ReleaseAll() {
  for (int i = 0; i < count_; ++i)
    if (list_[i].Text && !BlockOf(list_[i].Text)) std::free(const_cast<char*>(list_[i].Text) - sizeof(int32_t));
  count_ = 0;
  for (auto& block : blocks_) block->Lines = 0;
  std::erase_if(blocks_, [](const auto& block) { return !block->Loading; });
}

// ---- records ----

void TTxtEditStringList::Reallocate(int NewCapacity) {
  if (NewCapacity == capacity_) return;
  if (list_ && list_ == adopted_) {
    // The records of a load still being announced stay where they are; the list moves out.
    TTxtEditStringRec* moved = nullptr;
    if (NewCapacity > 0) {
      moved =
          static_cast<TTxtEditStringRec*>(std::malloc(static_cast<size_t>(NewCapacity) * sizeof(TTxtEditStringRec)));
      if (!moved) throw std::bad_alloc();
      std::memcpy(moved, list_, static_cast<size_t>(std::min(count_, NewCapacity)) * sizeof(TTxtEditStringRec));
    }
    list_ = moved;
    capacity_ = NewCapacity;
    return;
  }
  if (NewCapacity == 0) {
    std::free(list_);
    list_ = nullptr;
  } else {
    void* p = std::realloc(list_, static_cast<size_t>(NewCapacity) * sizeof(TTxtEditStringRec));
    if (!p) throw std::bad_alloc();
    list_ = static_cast<TTxtEditStringRec*>(p);
  }
  capacity_ = NewCapacity;
}

// Every growth is geometric, so that adding or inserting lines one at a time stays linear.
// Needed is wide so that an absurd number of lines to insert cannot wrap round to a small one.
void TTxtEditStringList::Grow(int64_t Needed) {
  if (Needed <= capacity_) return;
  int64_t step = capacity_ <= 64 ? capacity_ + 16 : capacity_ + capacity_ / 4;
  int64_t target = std::max<int64_t>(Needed, step);
  const int64_t limit = static_cast<int64_t>(INT_MAX / sizeof(TTxtEditStringRec));
  if (Needed > limit) throw std::bad_alloc();
  Reallocate(static_cast<int>(std::min(target, limit)));
}

void TTxtEditStringList::InsertRecords(int Index, int Number) {
  Grow(static_cast<int64_t>(count_) + Number);
  if (Index < count_)
    std::memmove(list_ + Index + Number, list_ + Index,
                 static_cast<size_t>(count_ - Index) * sizeof(TTxtEditStringRec));
}

void TTxtEditStringList::InitRecord(TTxtEditStringRec& Rec, const char* Text, TObject* Data) {
  Rec.Text = Text;
  Rec.Data = Data;
  Rec.Range = NullRange;
  Rec.ExpandedLength = -1;
  Rec.Flags = TTxtEditStringRec::ExpandedLengthUnknown;
}

// Computes and caches a line's expanded length without building the expanded text.
int TTxtEditStringList::Measure(TTxtEditStringRec& Rec) {
  std::string_view text;
  int before = 0;
  bool hasTabs;
  if (const LoadedBlock* block = BlockOf(Rec.Text)) {
    // A line of a block: its end and its first tab in one pass (an LF always ends the block).
    const char* blockEnd = block->Bytes + block->Size + 1;
    const char* stop = FindTabOrLineBreak(Rec.Text, blockEnd);
    before = static_cast<int>(stop - Rec.Text);
    hasTabs = *stop == '\t';
    text = {Rec.Text, static_cast<size_t>((hasTabs ? FindLineBreak(stop, blockEnd) : stop) - Rec.Text)};
  } else {
    text = TextOf(Rec);
    hasTabs = GetHasTabs(text, before);
  }
  int length = hasTabs ? GetExpandedLength(text, tabWidth_) : before;
  int flags = hasTabs ? TTxtEditStringRec::LineHasTabs : TTxtEditStringRec::LineHasNoTabs;
  if (length <= TTxtEditStringRec::MaxCachedLength)
    Rec.ExpandedLength = length;
  else
    flags |= TTxtEditStringRec::ExpandedLengthUnknown;
  Rec.Flags = flags;
  return length;
}

// Keeps the longest line known across a change of line Index (already in place) instead of
// scanning the whole text again on the next request: typing must not cost a pass over a large
// file. Ties keep the lowest index, as a full scan would.
void TTxtEditStringList::LongestAfterChange(int Index, int Length) {
  if (!longestKnown_) return;
  if (Index == indexOfLongestLine_) {
    if (Length >= longestLength_)
      longestLength_ = Length;
    else
      ForgetLongest();
  } else if (Length > longestLength_ || (Length == longestLength_ && Length > 0 && Index < indexOfLongestLine_)) {
    indexOfLongestLine_ = Index;
    longestLength_ = Length;
  }
}

void TTxtEditStringList::LongestAfterInsert(int Index, int Number) {
  if (!longestKnown_) return;
  if (indexOfLongestLine_ >= Index) indexOfLongestLine_ += Number;
  for (int i = Index; i < Index + Number; ++i) LongestAfterChange(i, Measure(list_[i]));
}

// ---- reading ----

AnsiString TTxtEditStringList::Get(int Index) const {
  if (Index < 0 || Index >= count_) return AnsiString();
  return AnsiString(TextOf(list_[Index]));
}

std::string_view TTxtEditStringList::LineView(int Index) const {
  if (Index < 0 || Index >= count_) return {};
  return TextOf(list_[Index]);
}

TObject* TTxtEditStringList::GetObject(int Index) const {
  if (Index < 0 || Index >= count_) return nullptr;
  return list_[Index].Data;
}

void* TTxtEditStringList::GetRange(int Index) const {
  if (Index < 0 || Index >= count_) return nullptr;
  return list_[Index].Range;
}

AnsiString TTxtEditStringList::GetTextStr() const {
  if (count_ == 0) return AnsiString();
  size_t total = static_cast<size_t>(count_ - 1) * 2;
  for (int i = 0; i < count_; ++i) total += TextOf(list_[i]).size();
  AnsiString result;
  result.reserve(total);
  for (int i = 0; i < count_; ++i) {
    if (i > 0) result.append("\r\n", 2);
    std::string_view line = TextOf(list_[i]);
    result.append(line.data(), line.size());
  }
  return result;
}

// ---- the update bracket ----

void TTxtEditStringList::SetUpdateState(bool Updating) {
  const bool quiet = quietPublicBracket_;
  if (Updating) {
    watchers_.Notify([this](ITxtEditLinesWatcher& w) { w.LinesChanging(this); });
    if (!quiet && OnChanging) OnChanging(this);
  } else {
    // A bracket that a watcher opens while this one closes is told to everyone again.
    quietPublicBracket_ = false;
    watchers_.Notify([this](ITxtEditLinesWatcher& w) { w.LinesChanged(this); });
    if (!quiet && OnChange) OnChange(this);
  }
}

void TTxtEditStringList::NotifyDeleted(int Index, int Count) {
  watchers_.Notify([&](ITxtEditLinesWatcher& w) { w.LinesDeleted(this, Index, Count); });
  if (OnLinesDeleted) OnLinesDeleted(this, Index, Count);
}

void TTxtEditStringList::NotifyReplacedToWatchers(int Index, int Count) {
  watchers_.Notify([&](ITxtEditLinesWatcher& w) { w.LinesReplaced(this, Index, Count); });
}

void TTxtEditStringList::NotifyInserted(int Index, int Count) {
  watchers_.Notify([&](ITxtEditLinesWatcher& w) { w.LinesInserted(this, Index, Count); });
  if (OnLinesInserted) OnLinesInserted(this, Index, Count);
}

void TTxtEditStringList::NotifyReplaced(int Index, int Count) {
  watchers_.Notify([&](ITxtEditLinesWatcher& w) { w.LinesReplaced(this, Index, Count); });
  if (OnLinesReplaced) OnLinesReplaced(this, Index, Count);
}

// ---- changing ----

int TTxtEditStringList::Add(const AnsiString& S) {
  int index = count_;
  Insert(index, S);
  return index;
}

void TTxtEditStringList::Insert(int Index, const AnsiString& S) {
  if (Index < 0 || Index > count_) IndexError(Index);
  WithinUpdate(*this, [&] {
    const char* text = NewText(S);
    {
      TScopeFail release([&] { ReleaseText(text); });
      InsertRecords(Index, 1);
    }
    InitRecord(list_[Index], text, nullptr);
    ++count_;
    if (longestKnown_) {
      if (indexOfLongestLine_ >= Index) ++indexOfLongestLine_;
      LongestAfterChange(Index, Measure(list_[Index]));
    }
    NotifyInserted(Index, 1);
  });
}

void TTxtEditStringList::AddStrings(TStringsT<char>* Strings) {
  if (!Strings) return;
  int n = Strings->Count();
  if (n == 0) return;
  ForgetLongest();
  WithinUpdate(*this, [&] {
    int first = count_;
    // Too little room grows to the lines needed, rounded up to a multiple of 16.
    const int64_t needed = static_cast<int64_t>(count_) + n;
    if (needed > capacity_) {
      if (needed > static_cast<int64_t>(INT_MAX / sizeof(TTxtEditStringRec)) - 16) throw std::bad_alloc();
      Reallocate(static_cast<int>((needed + 15) / 16 * 16));
    }
    for (int i = 0; i < n; ++i) {
      Grow(count_ + 1);
      const char* text = NewText(Strings->Strings(i));
      InitRecord(list_[count_], text, Strings->Objects(i));
      ++count_;
    }
    NotifyInserted(first, n);
  });
}

void TTxtEditStringList::InsertLines(int Index, int NumLines) {
  if (Index < 0 || Index > count_) IndexError(Index);
  if (NumLines <= 0) return;
  WithinUpdate(*this, [&] {
    // Room for exactly these lines.
    const int64_t needed = static_cast<int64_t>(count_) + NumLines;
    if (needed > static_cast<int64_t>(INT_MAX / sizeof(TTxtEditStringRec))) throw std::bad_alloc();
    Reallocate(static_cast<int>(needed));
    InsertRecords(Index, NumLines);
    for (int i = Index; i < Index + NumLines; ++i) InitRecord(list_[i], nullptr, nullptr);
    count_ += NumLines;
    if (longestKnown_ && indexOfLongestLine_ >= Index) indexOfLongestLine_ += NumLines;
    NotifyInserted(Index, NumLines);
  });
}

void TTxtEditStringList::InsertStrings(int Index, const std::vector<AnsiString>& Lines) {
  if (Index < 0 || Index > count_) IndexError(Index);
  if (Lines.empty()) return;
  if (Lines.size() > static_cast<size_t>(INT_MAX - count_)) throw std::bad_alloc();
  const int number = static_cast<int>(Lines.size());
  WithinUpdate(*this, [&] {
    std::vector<const char*> texts;
    try {
      texts.reserve(Lines.size());
      for (const AnsiString& line : Lines) texts.push_back(NewText(line));
      InsertRecords(Index, number);
    } catch (...) {
      for (const char* text : texts) ReleaseText(text);
      throw;
    }
    for (int i = 0; i < number; ++i) InitRecord(list_[Index + i], texts[size_t(i)], nullptr);
    count_ += number;
    LongestAfterInsert(Index, number);
    NotifyInserted(Index, number);
  });
}

void TTxtEditStringList::Put(int Index, const AnsiString& S) {
  if (Index == count_) {
    Add(S);
    return;
  }
  CheckIndex(Index);
  WithinUpdate(*this, [&] {
    const char* text = NewText(S);
    TTxtEditStringRec& rec = list_[Index];
    ReleaseText(rec.Text);
    rec.Text = text;
    rec.ExpandedLength = -1;
    rec.Flags = TTxtEditStringRec::ExpandedLengthUnknown;
    if (longestKnown_) LongestAfterChange(Index, Measure(rec));
    NotifyReplaced(Index, 1);
  });
}

void TTxtEditStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  WithinUpdate(*this, [&] { list_[Index].Data = AObject; });
}

void TTxtEditStringList::PutRange(int Index, void* ARange) {
  CheckIndex(Index);
  // Inside an open bracket a bracket of its own would change nothing: a scan that stores the
  // state of every line of a large text inside one bracket pays for none.
  if (UpdateCount() > 0) {
    list_[Index].Range = ARange;
    return;
  }
  WithinUpdate(*this, [&] { list_[Index].Range = ARange; });
}

void TTxtEditStringList::Delete(int Index) {
  CheckIndex(Index);
  WithinUpdate(*this, [&] {
    ReleaseText(list_[Index].Text);
    --count_;
    std::memmove(list_ + Index, list_ + Index + 1, static_cast<size_t>(count_ - Index) * sizeof(TTxtEditStringRec));
    if (longestKnown_) {
      if (indexOfLongestLine_ == Index)
        ForgetLongest();
      else if (indexOfLongestLine_ > Index)
        --indexOfLongestLine_;
    }
    NotifyDeleted(Index, 1);
  });
}

// The watchers (the editors) hear the whole removal inside one bracket: they update their
// scroll bars and caret when it closes and must see the new count then. The public events keep
// the order that users of the list know: OnChanging and OnChange round the moving of the lines
// that follow the removed ones (none when nothing follows), then OnLinesDeleted on its own.
void TTxtEditStringList::DeleteLines(int Index, int NumLines) {
  if (NumLines <= 0) return;
  if (Index < 0 || Index > count_) IndexError(Index);
  int removed = std::min(NumLines, count_ - Index);
  // Nothing after Index: nothing moves and the watchers hear nothing, but the list's users are
  // told of the deletion all the same, with the number it removed.
  if (removed == 0) {
    if (OnLinesDeleted) OnLinesDeleted(this, Index, 0);
    return;
  }
  const bool outermost = UpdateCount() == 0;
  if (outermost && Index + removed < count_) {
    if (OnChanging) OnChanging(this);
    if (OnChange) OnChange(this);
  }
  quietPublicBracket_ = outermost;
  TScopeExit unquiet([&] { quietPublicBracket_ = false; });
  WithinUpdate(*this, [&] {
    for (int i = Index; i < Index + removed; ++i) ReleaseText(list_[i].Text);
    std::memmove(list_ + Index, list_ + Index + removed,
                 static_cast<size_t>(count_ - Index - removed) * sizeof(TTxtEditStringRec));
    count_ -= removed;
    if (longestKnown_) {
      if (indexOfLongestLine_ >= Index + removed)
        indexOfLongestLine_ -= removed;
      else if (indexOfLongestLine_ >= Index)
        ForgetLongest();
    }
    watchers_.Notify([&](ITxtEditLinesWatcher& w) { w.LinesDeleted(this, Index, removed); });
  });
  if (OnLinesDeleted) OnLinesDeleted(this, Index, removed);
}

void TTxtEditStringList::Clear() {
  if (count_ != 0) {
    WithinUpdate(*this, [&] {
      ReleaseAll();
      Reallocate(0);
      indexOfLongestLine_ = -1;
      longestLength_ = 0;
      longestKnown_ = true;
      watchers_.Notify([this](ITxtEditLinesWatcher& w) { w.LinesCleared(this); });
      if (OnCleared) OnCleared(this);
    });
  }
  indexOfLongestLine_ = -1;
  longestLength_ = 0;
  longestKnown_ = true;
}

// The watchers hear of both lines as replaced: the editor repaints them and rescans the
// highlighter states, which depend on the lines above and are stale after the swap. The public
// events tell only the bracket.
void TTxtEditStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  WithinUpdate(*this, [&] {
    std::swap(list_[Index1], list_[Index2]);
    if (indexOfLongestLine_ == Index1)
      indexOfLongestLine_ = Index2;
    else if (indexOfLongestLine_ == Index2)
      indexOfLongestLine_ = Index1;
    NotifyReplacedToWatchers(std::min(Index1, Index2), 1);
    if (Index1 != Index2) NotifyReplacedToWatchers(std::max(Index1, Index2), 1);
  });
}

void TTxtEditStringList::SetCapacity(int NewCapacity) {
  if (NewCapacity < count_) Error("Stringlist capacity cannot be smaller than count");
  Reallocate(NewCapacity);
}

// ---- tabs ----

void TTxtEditStringList::SetTabWidth(int Value) {
  if (Value < 1) Value = 1;
  if (Value == tabWidth_) return;
  tabWidth_ = Value;
  convertTabsProc_ = GetBestConvertTabsProcEx(Value);
  ForgetLongest();
  // A line known to hold no tabs keeps its length whatever the width.
  for (int i = 0; i < count_; ++i) {
    TTxtEditStringRec& rec = list_[i];
    if (rec.Flags != TTxtEditStringRec::LineHasNoTabs) {
      rec.ExpandedLength = -1;
      rec.Flags = (rec.Flags & ~TTxtEditStringRec::LineHasNoTabs) | TTxtEditStringRec::ExpandedLengthUnknown;
    }
  }
}

AnsiString TTxtEditStringList::GetExpandedString(int Index) {
  if (Index < 0 || Index >= count_) return AnsiString();
  TTxtEditStringRec& rec = list_[Index];
  std::string_view text = TextOf(rec);
  if (rec.Flags & TTxtEditStringRec::LineHasNoTabs) return AnsiString(text);
  if (text.empty()) {
    rec.ExpandedLength = 0;
    rec.Flags = TTxtEditStringRec::LineHasNoTabs;
    return AnsiString();
  }
  bool hasTabs = false;
  AnsiString result = convertTabsProc_(text, tabWidth_, hasTabs);
  int flags = hasTabs ? TTxtEditStringRec::LineHasTabs : TTxtEditStringRec::LineHasNoTabs;
  if (result.size() <= static_cast<size_t>(TTxtEditStringRec::MaxCachedLength))
    rec.ExpandedLength = static_cast<int32_t>(result.size());
  else
    flags |= TTxtEditStringRec::ExpandedLengthUnknown;
  rec.Flags = flags;
  return result;
}

int TTxtEditStringList::GetExpandedStringLength(int Index) {
  if (Index < 0 || Index >= count_) return 0;
  TTxtEditStringRec& rec = list_[Index];
  if (rec.Flags & TTxtEditStringRec::ExpandedLengthUnknown) return Measure(rec);
  return rec.ExpandedLength;
}

void TTxtEditStringList::GetExpandedStringLengths(int From, int Count, int* Lengths) {
  for (int i = 0; i < Count; ++i) {
    const int64_t index = static_cast<int64_t>(From) + i;
    if (index < 0 || index >= count_) {
      Lengths[i] = 0;
      continue;
    }
    TTxtEditStringRec& rec = list_[index];
    Lengths[i] = (rec.Flags & TTxtEditStringRec::ExpandedLengthUnknown) ? Measure(rec) : rec.ExpandedLength;
  }
}

int TTxtEditStringList::GetLengthOfLongestLine() {
  if (!longestKnown_) {
    int index = -1;
    int longest = 0;
    for (int i = 0; i < count_; ++i) {
      TTxtEditStringRec& rec = list_[i];
      int length = (rec.Flags & TTxtEditStringRec::ExpandedLengthUnknown) ? Measure(rec) : rec.ExpandedLength;
      if (length > longest) {
        longest = length;
        index = i;
      }
    }
    indexOfLongestLine_ = index;
    longestLength_ = longest;
    longestKnown_ = true;
  }
  return indexOfLongestLine_ < 0 ? 0 : longestLength_;
}

// ---- loading ----

namespace {

// How much is read before it is split: small enough to stay in the cache, large enough that
// the reads cost little.
constexpr size_t kLoadChunk = 512 * 1024;

// Splits a block into lines as its bytes arrive, making the line records as it goes. CR LF, a
// lone CR and a lone LF each end a line. The lines move down as they are found so that
// exactly one LF follows each (a CR LF text gives back a byte per line); the bytes moved are
// the ones just scanned, still in the cache. Each record gets its line's expanded length at
// TabWidth then and there: the split finds the tabs, and a line with tabs is measured while
// it is in the cache, so that nothing needs to read the text again to know its width.
class TLineSplitter {
 public:
  TLineSplitter(char* Data, int TabWidth) : data_(Data), state_{Data, Data, Data, Data}, tabWidth_(TabWidth) {}
  ~TLineSplitter() { std::free(records_); }
  TLineSplitter(const TLineSplitter&) = delete;
  TLineSplitter& operator=(const TLineSplitter&) = delete;

  // Splits the bytes before Available. With More, the last line and a CR at the very end wait
  // for the bytes after them; without, the last line ends at Available.
  void Feed(const char* Available, bool More) {
    TSplitLine lines[2048];
    size_t n;
    do {
      n = SplitLines(state_, Available, More, lines, std::size(lines));
      for (size_t i = 0; i < n; ++i) Add(lines[i]);
    } while (n == std::size(lines));
    if (!More) {
      EndedWithBreak = state_.Line == Available && Available != data_;
      if (state_.Line != Available) {
        // The last line, without a break, already moved.
        Add({state_.Out, static_cast<size_t>(state_.Tail - state_.Out), state_.LineHasTabs});
        *state_.Tail = '\n';
        state_.Out = state_.Tail = state_.Tail + 1;
        state_.Line = state_.Scan = Available;
      }
    }
  }

  // Makes room for about Lines records in all, so that the array need not grow while splitting.
  void Expect(size_t Lines) {
    if (Lines > capacity_) Resize(Lines);
  }

  void AddEmptyLine() { Add({nullptr, 0, false}); }
  // The lines that are not empty, which refer into the block.
  size_t TextLines() const { return textLines_; }
  // The first of the longest lines and its expanded length (index -1 when every line is empty),
  // or false when a line too long for its record to hold its length leaves it unknown.
  bool Longest(int& Index, int& Length) const {
    Index = longestIndex_;
    Length = longestLength_;
    return longestKnown_;
  }

  TTxtEditStringRec* Records() { return records_; }
  // Hands the records over to the caller, who frees them with std::free.
  TTxtEditStringRec* Release() {
    TTxtEditStringRec* r = records_;
    records_ = nullptr;
    return r;
  }

  size_t Count() const { return count_; }
  size_t Capacity() const { return capacity_; }
  // Bytes the lines take, each with its LF.
  size_t Used() const { return static_cast<size_t>(state_.Out - data_); }
  // The line-break style of the text, and whether it broke its lines in more than one way.
  TTxtEditLineBreakFormat LineBreakFormat() const {
    if (state_.SawCR && !state_.SawLF && !state_.SawCRLF) return lbfCR;
    if (state_.SawLF && !state_.SawCR && !state_.SawCRLF) return lbfLF;
    return lbfCRLF;
  }
  bool MixedLineBreaks() const { return state_.SawCR + state_.SawLF + state_.SawCRLF > 1; }

  bool EndedWithBreak = false;

 private:
  void Add(const TSplitLine& Line) {
    if (count_ == capacity_) Resize(capacity_ < 1024 ? 1024 : capacity_ + capacity_ / 2);
    TTxtEditStringRec& rec = records_[count_++];
    if (Line.Text) ++textLines_;
    rec.Text = Line.Text;
    rec.Data = nullptr;
    rec.Range = NullRange;
    const size_t length =
        Line.HasTabs ? static_cast<size_t>(GetExpandedLength({Line.Text, Line.Length}, tabWidth_)) : Line.Length;
    int flags = Line.HasTabs ? TTxtEditStringRec::LineHasTabs : TTxtEditStringRec::LineHasNoTabs;
    if (length <= static_cast<size_t>(TTxtEditStringRec::MaxCachedLength)) {
      rec.ExpandedLength = static_cast<int32_t>(length);
      if (static_cast<int>(length) > longestLength_) {
        longestLength_ = static_cast<int>(length);
        longestIndex_ = static_cast<int>(count_ - 1);
      }
    } else {
      rec.ExpandedLength = -1;
      flags |= TTxtEditStringRec::ExpandedLengthUnknown;
      longestKnown_ = false;
    }
    rec.Flags = flags;
  }

  void Resize(size_t Capacity) {
    if (Capacity > static_cast<size_t>(INT_MAX) / sizeof(TTxtEditStringRec)) throw std::bad_alloc();
    void* p = std::realloc(records_, Capacity * sizeof(TTxtEditStringRec));
    if (!p) throw std::bad_alloc();
    records_ = static_cast<TTxtEditStringRec*>(p);
    capacity_ = Capacity;
  }

  char* data_;
  TLineSplitState state_;
  int tabWidth_;
  TTxtEditStringRec* records_ = nullptr;
  size_t count_ = 0;
  size_t textLines_ = 0;
  int longestIndex_ = -1;
  int longestLength_ = 0;
  bool longestKnown_ = true;
  size_t capacity_ = 0;
};

// Fills a block of Size bytes through Read (asked with the room left until it gives 0 or the
// block is full) and splits the bytes while they are fresh in the cache. Read is asked at least
// once, also for an empty text: a converting reader reports what it found (a cut character)
// even when it gives nothing.
void FillAndSplit(char* Bytes, size_t Size, TLineSplitter& Split, const std::function<size_t(char*, size_t)>& Read) {
  size_t filled = 0;
  do {
    const size_t got = Read(Bytes + filled, Size - filled);
    if (got == 0) break;
    const bool first = filled == 0;
    filled += got;
    Split.Feed(Bytes + filled, filled < Size);
    // One guess at the number of lines from the first chunk spares copying them as they grow.
    if (first && filled < Size)
      Split.Expect(static_cast<size_t>(static_cast<double>(Split.Count() + 1) * Size / filled * 1.05) + 64);
  } while (filled < Size);
  if (filled < Size || Size == 0) Split.Feed(Bytes + filled, false);
}

}  // namespace

void TTxtEditStringList::LoadFromFile(const WideString& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyNone);
  LoadFromStream(&stream);
}

// The content is read before anything is cleared: a stream that cannot be read leaves the
// lines as they were.
void TTxtEditStringList::LoadFromStream(TStream* Stream) {
  WithinUpdate(*this, [&] {
    int64_t size = Stream->Size();
    if (size < 0 || size > INT_MAX - 8) throw EReadError("Stream read error");
    Stream->SetPosition(0);
    LoadText(static_cast<size_t>(size), true, [&](char* Dest, size_t Room) {
      const size_t n = std::min(Room, kLoadChunk);
      Stream->ReadBuffer(Dest, static_cast<int>(n));
      return n;
    });
  });
}

void TTxtEditStringList::LoadFromFill(size_t MaxSize, const std::function<size_t(char* Block, size_t MaxSize)>& Fill) {
  if (MaxSize > static_cast<size_t>(INT_MAX - 8)) throw EReadError("Stream read error");
  WithinUpdate(*this, [&] {
    bool filled = false;
    LoadText(MaxSize, true, [&](char* Dest, size_t Room) -> size_t {
      if (filled) return 0;
      filled = true;
      const size_t n = Fill(Dest, Room);
      if (n > Room) throw EReadError("Stream read error");
      return n;
    });
  });
}

void TTxtEditStringList::LoadFromReader(size_t MaxSize, const std::function<size_t(char* Dest, size_t Room)>& Read,
                                        const std::function<void(char* Text, size_t Size)>& Transform) {
  if (MaxSize > static_cast<size_t>(INT_MAX - 8)) throw EReadError("Stream read error");
  WithinUpdate(*this, [&] {
    LoadText(
        MaxSize, true,
        [&](char* Dest, size_t Room) -> size_t {
          const size_t n = Read(Dest, Room);
          if (n > Room) throw EReadError("Stream read error");
          return n;
        },
        Transform);
  });
}

void TTxtEditStringList::SetTextStr(const AnsiString& Value) {
  WithinUpdate(*this, [&] {
    size_t done = 0;
    LoadText(Value.size(), false, [&](char* Dest, size_t Room) {
      const size_t n = std::min(Room, kLoadChunk);
      std::memcpy(Dest, Value.data() + done, n);
      done += n;
      return n;
    });
  });
}

// ---- inserting a text ----

namespace {

// From this size on an inserted text gets a block of its own: below it, the page-granular
// block would cost more than a line's allocation saves.
constexpr size_t kBlockInsertMin = 64 * 1024;

std::string_view WithoutTrailingBlanks(std::string_view Line) {
  while (!Line.empty() && TxtIsBlank(Line.back())) Line.remove_suffix(1);
  return Line;
}

}  // namespace

int TTxtEditStringList::InsertText(int Index, std::string_view Text, bool TrimTrailingBlanks) {
  if (Index < 0 || Index > count_) IndexError(Index);
  if (Text.empty()) return 0;
  if (Text.size() > static_cast<size_t>(INT_MAX - 8)) throw std::bad_alloc();
  int inserted = 0;
  WithinUpdate(*this, [&] {
    if (Text.size() < kBlockInsertMin) {
      inserted = InsertSplitLines(Index, Text, TrimTrailingBlanks);
      LongestAfterInsert(Index, inserted);
    } else {
      auto block = std::make_unique<LoadedBlock>(Text.size());
      char* start = block->Bytes;
      inserted = InsertBlock(Index, std::move(block), start, Text, TrimTrailingBlanks);
    }
    NotifyInserted(Index, inserted);
  });
  return inserted;
}

int TTxtEditStringList::InsertText(int Index, AnsiString&& Text, size_t Offset, size_t Length,
                                   bool TrimTrailingBlanks) {
  if (Offset > Text.size() || Length > Text.size() - Offset) throw ETxtEditStringList("Invalid text range");
  const std::string_view part = std::string_view(Text).substr(Offset, Length);
  // Splitting in place writes an LF after a last line without a break, past the range.
  if (Length < kBlockInsertMin || (part.back() != '\n' && part.back() != '\r'))
    return InsertText(Index, part, TrimTrailingBlanks);
  if (Index < 0 || Index > count_) IndexError(Index);
  int inserted = 0;
  WithinUpdate(*this, [&] {
    auto block = std::make_unique<LoadedBlock>(std::move(Text));
    char* start = block->Bytes + Offset;
    inserted = InsertBlock(Index, std::move(block), start, {start, Length}, TrimTrailingBlanks);
    NotifyInserted(Index, inserted);
  });
  return inserted;
}

int TTxtEditStringList::InsertSplitLines(int Index, std::string_view Text, bool Trim) {
  std::vector<const char*> texts;
  int number = 0;
  try {
    const char* p = Text.data();
    const char* end = p + Text.size();
    while (p < end) {
      const char* stop = FindLineBreak(p, end);
      const std::string_view line(p, static_cast<size_t>(stop - p));
      texts.push_back(nullptr);
      texts.back() = NewText(Trim ? WithoutTrailingBlanks(line) : line);
      if (stop == end) break;
      p = stop + (*stop == '\r' && stop + 1 < end && stop[1] == '\n' ? 2 : 1);
    }
    if (texts.size() > static_cast<size_t>(INT_MAX - count_)) throw std::bad_alloc();
    number = static_cast<int>(texts.size());
    InsertRecords(Index, number);
  } catch (...) {
    for (const char* text : texts) ReleaseText(text);
    throw;
  }
  for (int i = 0; i < number; ++i) InitRecord(list_[Index + i], texts[size_t(i)], nullptr);
  count_ += number;
  return number;
}

// Source is copied to Start in the block a cached chunk at a time and split there; a Source
// that already lies at Start is split in place. Trimming ends a line early: an LF written over
// its first trailing blank ends it there. The longest line is measured when asked for, as after
// loading: a paste need not wait for it.
int TTxtEditStringList::InsertBlock(int Index, std::unique_ptr<LoadedBlock> Block, char* Start, std::string_view Source,
                                    bool Trim) {
  TLineSplitter split(Start, tabWidth_);
  size_t done = 0;
  FillAndSplit(Start, Source.size(), split, [&](char* Dest, size_t Room) {
    const size_t n = std::min(Room, kLoadChunk);
    if (Dest != Source.data() + done) std::memcpy(Dest, Source.data() + done, n);
    done += n;
    return n;
  });
  const size_t lines = split.Count();
  if (lines > static_cast<size_t>(INT_MAX - count_)) throw std::bad_alloc();
  TTxtEditStringRec* records = split.Records();
  const char* used = Start + split.Used();
  int inBlock = 0;
  for (size_t i = 0; i < lines; ++i) {
    const char* text = records[i].Text;
    if (!text) continue;
    if (Trim) {
      const char* stop = FindLineBreak(text, used);
      const std::string_view kept = WithoutTrailingBlanks({text, static_cast<size_t>(stop - text)});
      if (kept.size() < static_cast<size_t>(stop - text)) {
        // The width the split measured was the untrimmed line's.
        records[i].ExpandedLength = -1;
        records[i].Flags = TTxtEditStringRec::ExpandedLengthUnknown;
      }
      if (kept.empty()) {
        records[i].Text = nullptr;
        continue;
      }
      if (kept.size() < static_cast<size_t>(stop - text)) Start[text - Start + kept.size()] = '\n';
    }
    ++inBlock;
  }
  Block->Shrink(static_cast<size_t>(Start - Block->Bytes) + split.Used() - 1);
  if (inBlock > 0) blocks_.reserve(blocks_.size() + 1);
  if (list_ != adopted_ && static_cast<size_t>(count_) <= lines && split.Capacity() - lines >= size_t(count_)) {
    // A list smaller than the insertion moves into the splitter's array, which has room for
    // both, instead of growing to it (never the array of a load still being announced).
    TTxtEditStringRec* made = split.Release();
    std::memmove(made + Index, made, lines * sizeof(TTxtEditStringRec));
    if (count_ > 0) {
      std::memcpy(made, list_, static_cast<size_t>(Index) * sizeof(TTxtEditStringRec));
      std::memcpy(made + Index + lines, list_ + Index, static_cast<size_t>(count_ - Index) * sizeof(TTxtEditStringRec));
    }
    std::free(list_);
    list_ = made;
    capacity_ = static_cast<int>(split.Capacity());
  } else {
    InsertRecords(Index, static_cast<int>(lines));
    std::memcpy(list_ + Index, records, lines * sizeof(TTxtEditStringRec));
  }
  count_ += static_cast<int>(lines);
  if (inBlock > 0) KeepBlock(std::move(Block))->Lines = inBlock;
  ForgetLongest();
  return static_cast<int>(lines);
}

// A file's final break adds an empty last line, so that it survives a save. Each line is its
// own insertion, reported after the lines before it are in place (to the watchers, when no
// handler of the public event hears it, all in one report). The list takes the records
// the splitter made as its own array; while it announces them its capacity ends at the next
// line to announce, so that a handler that changes the list can only move the list out of the
// array (Reallocate), never overwrite a record still to come.
void TTxtEditStringList::LoadText(size_t Size, bool FromFile, const std::function<size_t(char*, size_t)>& Read,
                                  const std::function<void(char* Text, size_t Size)>& Transform) {
  auto block = std::make_unique<LoadedBlock>(Size);
  TLineSplitter split(block->Bytes, tabWidth_);
  FillAndSplit(block->Bytes, Size, split, Read);
  if (Transform) Transform(block->Bytes, split.Used());
  if (FromFile && split.EndedWithBreak) split.AddEmptyLine();
  const size_t lines = split.Count();
  if (lines > static_cast<size_t>(INT_MAX / sizeof(TTxtEditStringRec))) throw std::bad_alloc();

  blocks_.reserve(blocks_.size() + 1);
  Clear();
  if (FromFile) {
    lineBreakFormat_ = split.LineBreakFormat();
    mixedLineBreaks_ = split.MixedLineBreaks();
  }
  if (lines == 0) return;
  ForgetLongest();
  block->Size = split.Used() - 1;
  block->Shrink(block->Size);
  LoadedBlock* loaded = KeepBlock(std::move(block));
  loaded->Loading = true;
  const int allocated = static_cast<int>(split.Capacity());
  TTxtEditStringRec* records = split.Release();
  if (count_ == 0) {
    Reallocate(0);
    list_ = records;
  }
  adopted_ = records;
  auto finish = [&] {
    adopted_ = nullptr;
    loaded->Loading = false;
    if (loaded->Lines == 0) DropBlock(loaded);
    if (list_ != records) std::free(records);
  };
  if (list_ == records && !OnLinesInserted) {
    // Only the watchers would hear of the lines one by one; they take the load as one report,
    // so that a large file costs them one reaction instead of one per line.
    count_ = static_cast<int>(lines);
    capacity_ = allocated;
    loaded->Lines = static_cast<int>(split.TextLines());
    // The split measured every line: the longest is known without a pass over the records.
    longestKnown_ = split.Longest(indexOfLongestLine_, longestLength_);
    finish();
    const int number = count_;
    watchers_.Notify([&](ITxtEditLinesWatcher& w) { w.LinesLoaded(this, number); });
    return;
  }
  {
    TScopeFail dropOnFailure([&] { finish(); });
    for (size_t i = 0; i < lines; ++i) {
      const TTxtEditStringRec rec = records[i];
      if (list_ == records && count_ == static_cast<int>(i) && capacity_ == count_) {
        ++capacity_;
      } else {
        if (list_ == records) Reallocate(capacity_ + 16);
        Grow(count_ + 1);
        list_[count_] = rec;
      }
      if (rec.Text) ++loaded->Lines;
      ++count_;
      NotifyInserted(count_ - 1, 1);
    }
  }
  if (list_ == records) capacity_ = allocated;
  finish();
}

// ---- saving ----

namespace {

// The text to save is gathered into chunks of this size, each one write: few calls, and each
// chunk still in the cache when the system copies it (measured: larger chunks, which leave the
// cache, save markedly slower here).
constexpr size_t kSaveChunk = 1024 * 1024;

}  // namespace

class TTxtEditStringList::TSaveBuffer {
 public:
  TSaveBuffer(TStream* Stream, TTxtEditLineBreakFormat Format)
      : stream_(Stream),
        break_(Format == lbfLF   ? "\n"
               : Format == lbfCR ? "\r"
                                 : "\r\n"),
        // Room past the chunk for the whole 16-byte stores of CopyToLineFeed.
        bytes_(std::make_unique<char[]>(kSaveChunk + 16)),
        out_(bytes_.get()),
        end_(out_ + kSaveChunk) {}

  void Put(std::string_view Text) {
    while (!Text.empty()) {
      if (out_ == end_) Flush();
      const size_t n = std::min(Text.size(), static_cast<size_t>(end_ - out_));
      std::memcpy(out_, Text.data(), n);
      out_ += n;
      Text.remove_prefix(n);
    }
  }

  void PutBreak() {
    if (static_cast<size_t>(end_ - out_) < break_.size()) Flush();
    std::memcpy(out_, break_.data(), break_.size());
    out_ += break_.size();
  }

  // Copies the line of a loaded block at P, which ends at an LF before End; returns the LF.
  const char* PutBlockLine(const char* P, const char* End) {
    for (;;) {
      const size_t n = CopyToLineFeed(P, End, out_, static_cast<size_t>(end_ - out_));
      P += n;
      out_ += n;
      if (*P == '\n') return P;
      Flush();
    }
  }

  void Flush() {
    if (out_ == bytes_.get()) return;
    stream_->WriteBuffer(bytes_.get(), static_cast<int>(out_ - bytes_.get()));
    out_ = bytes_.get();
  }

 private:
  TStream* stream_;
  std::string_view break_;
  std::unique_ptr<char[]> bytes_;
  char* out_;
  char* end_;
};

namespace {

// Appends what is written to a string.
class TAppendingStream : public TStream {
 public:
  explicit TAppendingStream(AnsiString& Out) : out_(Out) {}
  int Read(void*, int) override { return 0; }
  int Write(const void* Buffer, int Count) override {
    out_.append(static_cast<const char*>(Buffer), static_cast<size_t>(Count));
    return Count;
  }
  int64_t Seek(int64_t, TSeekOrigin) override { return static_cast<int64_t>(out_.size()); }
  void SetSize(int64_t) override {}

 private:
  AnsiString& out_;
};

}  // namespace

// The lines of a block that still follow one another there, each with its LF, are copied
// straight from the block in one pass, without looking up each line's storage: a loaded file
// that changed little is written at about the speed of copying it. The next line follows when
// it starts right after an LF, or is empty where an LF stands there.
void TTxtEditStringList::WriteLines(TSaveBuffer& Out, int From, int To, bool BreakAfterLast) const {
  int i = From;
  auto breakAfter = [&] {
    if (i + 1 < To || BreakAfterLast) Out.PutBreak();
  };
  while (i < To) {
    const LoadedBlock* block = BlockOf(list_[i].Text);
    if (!block) {
      Out.Put(TextOf(list_[i]));
      breakAfter();
      ++i;
      continue;
    }
    const char* end = block->Bytes + block->Size + 1;
    const char* p = list_[i].Text;
    for (;;) {
      p = Out.PutBlockLine(p, end);
      breakAfter();
      if (++i == To) break;
      const char* next = p + 1;
      const char* text = list_[i].Text;
      if (next == end || (text != next && (text || *next != '\n'))) break;
      p = next;
    }
  }
}

void TTxtEditStringList::SaveToStream(TStream* Stream) {
  TSaveBuffer out(Stream, lineBreakFormat_);
  WriteLines(out, 0, count_, false);
  out.Flush();
}

void TTxtEditStringList::AppendLines(int Index, int Count, AnsiString& Out) const {
  if (Count <= 0) return;
  if (Index < 0) IndexError(Index);
  const int to = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(Index) + Count, count_));
  if (Index < to) {
    TAppendingStream stream(Out);
    TSaveBuffer out(&stream, lbfCRLF);
    WriteLines(out, Index, to, true);
    out.Flush();
  }
  for (int64_t i = std::max(Index, to); i < static_cast<int64_t>(Index) + Count; ++i) Out.append("\r\n", 2);
}

void TTxtEditStringList::SaveToFile(const WideString& FileName) {
  WriteFileReplacing(FileName, [&](TStream& Stream) { SaveToStream(&Stream); });
}

// ---- the file writer ----

TTxtEditFiler::TTxtEditFiler(TStream* AStream, TTxtEditLineBreakFormat AFormat, size_t BufferSize)
    : Buffer(BufferSize), LineBreakFormat(AFormat), Stream(AStream) {}

void TTxtEditFileWriter::Flush() {
  if (BufPtr == 0) return;
  Stream->WriteBuffer(Buffer.data(), static_cast<int>(BufPtr));
  BufPtr = 0;
}

void TTxtEditFileWriter::Write(std::string_view Text) {
  if (BufPtr + Text.size() > Buffer.size()) {
    Flush();
    // A line longer than the buffer goes out directly instead of growing the buffer to it.
    if (Text.size() > Buffer.size()) {
      if (Text.size() > static_cast<size_t>(INT_MAX)) throw EWriteError("Stream write error");
      Stream->WriteBuffer(Text.data(), static_cast<int>(Text.size()));
      return;
    }
  }
  std::memcpy(Buffer.data() + BufPtr, Text.data(), Text.size());
  BufPtr += Text.size();
}

void TTxtEditFileWriter::WriteLine(std::string_view Text) {
  Write(Text);
  size_t breakLength = LineBreakFormat == lbfCRLF ? 2 : 1;
  if (BufPtr + breakLength > Buffer.size()) Flush();
  if (LineBreakFormat != lbfLF) Buffer[BufPtr++] = '\r';
  if (LineBreakFormat != lbfCR) Buffer[BufPtr++] = '\n';
}
