// The editor's line buffer: 8-bit lines with a highlighter state and a cached expanded length
// per line, change events for the editor, and loading and saving with line-break detection.
//
// Storage: a loaded file stays in one block, and each of its lines refers into that block until
// the line changes; only then does the line get storage of its own. So a large file costs about
// its own size plus one 16-byte record per line. A large text inserted in one go (a paste) gets
// a block of its own in the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/TxtEditLineScan.h"
#include "editor/TxtEditTabs.h"
#include "editor/TxtEditWatchers.h"
#include "framework/Delegate.h"
#include "framework/Exceptions.h"
#include "framework/StringLists.h"

class TStream;

HV_DECLARE_EXCEPTION(ETxtEditStringList, EStringListError);

// The line breaks a file was read with, and that saving writes.
HV_ENUM(TTxtEditLineBreakFormat, lbfCRLF, lbfLF, lbfCR)

// Fired with the first index and the number of lines concerned.
using TTxtEditLinesEvent = TEvent<void(TObject* Sender, int Index, int Count)>;

class TTxtEditStringList;

// Hears of every change of a buffer, before the buffer's public events fire. Every editor that
// shows the buffer is one; the public events stay free for other users.
class ITxtEditLinesWatcher {
 public:
  virtual void LinesChanging(TTxtEditStringList* Sender) = 0;
  virtual void LinesChanged(TTxtEditStringList* Sender) = 0;
  virtual void LinesCleared(TTxtEditStringList* Sender) = 0;
  virtual void LinesDeleted(TTxtEditStringList* Sender, int Index, int Count) = 0;
  virtual void LinesInserted(TTxtEditStringList* Sender, int Index, int Count) = 0;
  virtual void LinesReplaced(TTxtEditStringList* Sender, int Index, int Count) = 0;
  // A load put its Count lines into the emptied list at once: for a watcher it stands for Count
  // insertions of one line each, in order.
  virtual void LinesLoaded(TTxtEditStringList* Sender, int Count) = 0;

 protected:
  ~ITxtEditLinesWatcher() = default;
};

// One line. Text is null for an empty line; otherwise it points either into the list's loaded
// block (the line ends at the next CR or LF there) or to storage of the line's own, which holds
// the length in the four bytes before it. Only the list can tell which (TTxtEditStringList::LineView).
struct TTxtEditStringRec {
  static constexpr int LineHasTabs = 1;
  static constexpr int LineHasNoTabs = 2;
  static constexpr int ExpandedLengthUnknown = 4;
  // The largest expanded length the record can cache; longer lines are measured each time.
  static constexpr int MaxCachedLength = (1 << 27) - 1;

  const char* Text;
  TObject* Data;
  void* Range;  // the highlighter's state at the end of the line
  int32_t ExpandedLength : 28;
  int32_t Flags : 4;
};

// A range value that no highlighter hands out: the state has not been computed yet.
inline void* const NullRange = reinterpret_cast<void*>(static_cast<intptr_t>(-1));

class TTxtEditStringList : public TStrings {
  HV_CLASS(TTxtEditStringList, TStrings)
 public:
  TTxtEditStringList();
  ~TTxtEditStringList() override;

  int Add(const AnsiString& S) override;
  void AddStrings(TStringsT<char>* Strings) override;
  void Clear() override;
  void Delete(int Index) override;
  // Removes up to NumLines lines from Index on (fewer when the list ends before).
  void DeleteLines(int Index, int NumLines);
  void Exchange(int Index1, int Index2) override;
  void Insert(int Index, const AnsiString& S) override;
  // Inserts NumLines empty lines before Index.
  void InsertLines(int Index, int NumLines);
  // Inserts Lines before Index, told to the watchers as one insertion.
  void InsertStrings(int Index, const std::vector<AnsiString>& Lines);
  // Inserts the lines of Text before Index, split as SetText splits (CR LF, a lone CR and a
  // lone LF each end a line; a break at the very end adds no empty line), told to the watchers
  // as one insertion; with TrimTrailingBlanks each line loses its trailing blanks. A large text
  // is split into a block of its own, without one allocation per line. Returns the number of
  // lines inserted (none for an empty Text).
  int InsertText(int Index, std::string_view Text, bool TrimTrailingBlanks = false);
  // The same for Length bytes of Text from Offset on; a large part that ends with a line break
  // is split where it lies, the list taking Text's storage over instead of copying it (Text is
  // then left empty, and views of it stay valid only as long as the lines refer to it).
  int InsertText(int Index, AnsiString&& Text, size_t Offset, size_t Length, bool TrimTrailingBlanks = false);
  void LoadFromFile(const WideString& FileName) override;
  // Reads the whole stream from its start.
  void LoadFromStream(TStream* Stream) override;
  // As LoadFromStream, with text that Fill writes into a new block of MaxSize bytes and
  // returns the length of (at most MaxSize): a converting reader fills the block directly,
  // and the pages it leaves untouched are given back. An exception from Fill leaves the lines
  // as they were.
  void LoadFromFill(size_t MaxSize, const std::function<size_t(char* Block, size_t MaxSize)>& Fill);
  // As LoadFromFill, read in chunks: Read is asked with the room left until it gives 0 or the
  // block is full, and each chunk is split while it is fresh in the cache. Transform, when
  // given, then sees the split text (the lines, each followed by an LF) and may change its
  // bytes in place, but never into or out of CR, LF or tab (the lines' widths were measured
  // in the split). An exception from either leaves the lines as they were.
  void LoadFromReader(size_t MaxSize, const std::function<size_t(char* Dest, size_t Room)>& Read,
                      const std::function<void(char* Text, size_t Size)>& Transform = nullptr);
  // Writes beside the file and replaces it only when everything was written: a failed save
  // raises and leaves the file as it was.
  void SaveToFile(const WideString& FileName) override;
  // Writes in pieces: a large text needs no second copy of itself in memory.
  void SaveToStream(TStream* Stream) override;
  void SetCapacity(int NewCapacity) override;

  // The line with tabs expanded; empty outside the list.
  AnsiString GetExpandedString(int Index);
  int GetExpandedStringLength(int Index);
  // GetExpandedStringLength of Count lines from From, into Lengths: one call for many lines.
  void GetExpandedStringLengths(int From, int Count, int* Lengths);
  int GetLengthOfLongestLine();
  // The highlighter state at the end of a line; 0 outside the list.
  void* GetRange(int Index) const;
  void PutRange(int Index, void* ARange);
  // The text of a line without copying it; valid until the line or the list changes. Empty
  // outside the list.
  std::string_view LineView(int Index) const;
  // Appends the Count lines from Index on to Out, each followed by CR LF (lines past the end
  // as empty ones), copying runs of loaded lines in one pass as saving does.
  void AppendLines(int Index, int Count, AnsiString& Out) const;

  int TabWidth() const { return tabWidth_; }
  // Widths below 1 become 1.
  void SetTabWidth(int Value);
  TTxtEditLineBreakFormat LineBreakFormat() const { return lineBreakFormat_; }
  void SetLineBreakFormat(TTxtEditLineBreakFormat Value) { lineBreakFormat_ = Value; }
  // Whether the text last loaded from a file broke its lines in more than one way (CR LF, CR,
  // LF): the list keeps one style, so saving would make them the same.
  bool MixedLineBreaks() const { return mixedLineBreaks_; }

  TTxtWatchers<ITxtEditLinesWatcher>& Watchers() { return watchers_; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;
  TNotifyEvent OnCleared;
  TTxtEditLinesEvent OnLinesDeleted;
  TTxtEditLinesEvent OnLinesInserted;
  TTxtEditLinesEvent OnLinesReplaced;

 protected:
  AnsiString Get(int Index) const override;
  int GetCapacity() const override { return capacity_; }
  int GetCount() const override { return count_; }
  TObject* GetObject(int Index) const override;
  AnsiString GetTextStr() const override;
  void Put(int Index, const AnsiString& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void SetUpdateState(bool Updating) override;
  // Lines as loading splits them, except that a break at the very end adds no empty line; the
  // line-break format stays.
  void SetTextStr(const AnsiString& Value) override;

 private:
  class Bracket;
  class TSaveBuffer;
  struct LoadedBlock;

  [[noreturn]] static void IndexError(int Index);
  void CheckIndex(int Index) const;
  // The block that holds Text, or null for a line with storage of its own.
  LoadedBlock* BlockOf(const char* Text) const;
  // Takes a block into blocks_, which must have room for it (reserved before).
  LoadedBlock* KeepBlock(std::unique_ptr<LoadedBlock> Block);
  void DropBlock(LoadedBlock* Block);
  std::string_view TextOf(const TTxtEditStringRec& Rec) const;
  const char* NewText(std::string_view S);
  void ReleaseText(const char* Text);
  void ReleaseAll();
  void Grow(int64_t Needed);
  void Reallocate(int NewCapacity);
  void InsertRecords(int Index, int Number);
  void InitRecord(TTxtEditStringRec& Rec, const char* Text, TObject* Data);
  int Measure(TTxtEditStringRec& Rec);
  void ForgetLongest() { longestKnown_ = false; }
  void LongestAfterChange(int Index, int Length);
  // Measures the Number lines from Index on, just inserted, into the longest line.
  void LongestAfterInsert(int Index, int Number);
  int InsertSplitLines(int Index, std::string_view Text, bool Trim);
  int InsertBlock(int Index, std::unique_ptr<LoadedBlock> Block, char* Start, std::string_view Source, bool Trim);
  // Reads Size bytes into a new block through Read (called with the room left until it gives
  // 0 or the block is full) and splits them while they are fresh in the cache; only when all
  // were read do they replace the lines.
  // Writes the lines From..To-1, each but the last followed by the break (the last too with
  // BreakAfterLast).
  void WriteLines(TSaveBuffer& Out, int From, int To, bool BreakAfterLast) const;
  void LoadText(size_t Size, bool FromFile, const std::function<size_t(char* Dest, size_t Room)>& Read,
                const std::function<void(char* Text, size_t Size)>& Transform = nullptr);
  void NotifyDeleted(int Index, int Count);
  void NotifyInserted(int Index, int Count);
  void NotifyReplaced(int Index, int Count);
  void NotifyReplacedToWatchers(int Index, int Count);

  TTxtEditStringRec* list_ = nullptr;
  int count_ = 0;
  int capacity_ = 0;
  TTxtEditLineBreakFormat lineBreakFormat_ = lbfCRLF;
  // The bracket being opened or closed is told to the watchers only (DeleteLines).
  bool quietPublicBracket_ = false;
  bool mixedLineBreaks_ = false;
  TConvertTabsProcEx convertTabsProc_ = nullptr;
  // The longest line: index and expanded length, valid while longestKnown_ (index -1: none).
  int indexOfLongestLine_ = -1;
  int longestLength_ = 0;
  bool longestKnown_ = false;
  int tabWidth_ = 0;
  // The blocks that lines refer into, in the order of their addresses.
  std::vector<std::unique_ptr<LoadedBlock>> blocks_;
  // The records a load made while reading, which the list takes over as its own while the
  // lines are announced; the load keeps them when the list must move out (see Reallocate).
  TTxtEditStringRec* adopted_ = nullptr;
  TTxtWatchers<ITxtEditLinesWatcher> watchers_;
};

// Buffered writing of lines to a stream, with the line breaks of the list.
class TTxtEditFiler {
 public:
  TTxtEditFiler(TStream* AStream, TTxtEditLineBreakFormat AFormat, size_t BufferSize = 16384);
  virtual ~TTxtEditFiler() = default;
  // Writes what the buffer holds; failures raise. Never called from a destructor, so that
  // no failed write can go unreported.
  virtual void Flush() {}

 protected:
  std::vector<char> Buffer;
  size_t BufPtr = 0;
  TTxtEditLineBreakFormat LineBreakFormat;
  TStream* Stream;
};

class TTxtEditFileWriter : public TTxtEditFiler {
 public:
  using TTxtEditFiler::TTxtEditFiler;
  void Flush() override;
  void Write(std::string_view Text);
  void WriteLine(std::string_view Text);
};
