// Word wrap: splits every buffer line into display rows no wider than the visible text area and
// maps buffer positions to display positions and back while it is attached to an editor.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/TxtEditBufferPlugin.h"
#include "editor/TxtEditCoords.h"
#include "editor/TxtEditHighlighter.h"
#include "framework/Component.h"

class TCustomTxtEdit;

// What wrapping reads from its editor; tests and benchmarks supply their own.
class ITxtWrapSource {
 public:
  virtual ~ITxtWrapSource() = default;
  virtual int LineCount() = 0;
  // The line (0-based) with tabs expanded; the view may point into Scratch.
  virtual std::string_view ExpandedLine(int Index, AnsiString& Scratch) = 0;
  // The length ExpandedLine would give when it is known without the text; -1 otherwise.
  virtual int ExpandedLength(int) { return -1; }
  // ExpandedLength of Count lines from From: one call for many lines, as wrapping a whole text
  // asks.
  virtual void ExpandedLengths(int From, int Count, int* Lengths) {
    for (int i = 0; i < Count; ++i) Lengths[i] = ExpandedLength(From + i);
  }
  virtual int CharsInWindow() = 0;
  virtual int TabWidth() = 0;
  virtual TTxtCharSet IdentChars() = 0;
};

// The rules of one line's break into rows.
struct TTxtWrapRules {
  int MaxRowLength = 0;  // 1..255
  int MinRowLength = 1;
  int TabWidth = 8;
  bool BreakChars[256] = {};
  TTxtLeadByteTest LeadByte = nullptr;
};

// Appends the row lengths of the expanded line S to Rows; returns how many rows it appended
// (at least one, and no row is empty unless S is).
int TxtWrapLine(std::string_view S, const TTxtWrapRules& Rules, std::vector<uint8_t>& Rows);

// The rows of most lines are known without a table: a line of one row (the common case) has
// no entry, its row is as long as the line, and its place follows from the lines of several
// rows before it. Only those lines have entries: the line, a byte with its rows past the first,
// and the lengths of those rows but the last, which is what the line's length leaves.
//
// Inside an update (BeginUpdate..EndUpdate, the editor's update lock) a put line whose rows
// still fit the tables' place for it is written over in place; one whose number of rows
// changed is kept aside with its rows, and the tables take all of those in one pass when the
// update ends, where each would have moved the tables after it. Positions stay exact all the
// while: the lines kept aside count with their new rows.
class TTxtWordWrapPlugin final : public ITxtEditBufferPlugin {
 public:
  // Owner must be an editor control.
  explicit TTxtWordWrapPlugin(TComponent* Owner);
  // Wraps what Source gives; Source outlives the plug-in.
  explicit TTxtWordWrapPlugin(ITxtWrapSource& Source);
  ~TTxtWordWrapPlugin() override;

  TDisplayCoord BufferToDisplayPos(const TBufferCoord& Pos) override;
  TBufferCoord DisplayToBufferPos(const TDisplayCoord& Pos) override;
  int RowCount() override;
  int GetRowLength(int Row) override;
  int LinesInserted(int Index, int Count) override;
  int LinesDeleted(int Index, int Count) override;
  int LinesPutted(int Index, int Count) override;
  void DisplayChanged() override;
  void Reset() override;
  void BeginUpdate() override;
  void EndUpdate() override;

  int LineCount() const { return lineCount_; }
  int MaxRowLength() const { return maxRowLength_; }
  int MinRowLength() const { return minRowLength_; }
  // The lines of more than one row, the only ones the tables hold, and the row lengths held.
  int WrappedLineCount() const { return static_cast<int>(wrappedLines_.size()); }
  int StoredRowCount() const { return static_cast<int>(rowLengths_.size()); }
  // The lines kept aside in the update under way.
  int AsideLineCount() const { return static_cast<int>(aside_.size()); }

 private:
  // A line with 255 rows past its first or more: the byte says so, and this holds the number.
  struct TBigLine {
    int32_t Line;
    int32_t Extra;
  };
  // The rows of a line: its first row (0-based), its rows past the first and where the lengths
  // of all but its last are (none for a line of one row).
  struct TLineRows {
    int First;
    int32_t Extra;
    const uint8_t* Stored;
  };
  // Where a display row lies: its line, the line's rows and the row's place among them.
  struct TRowPlace {
    int Line;
    TLineRows Rows;
    int Row;
  };
  // A line kept aside: its rows past the first, how many more that is than the tables hold for
  // it, and the lengths of its rows but the last. Entries keep their place in the map.
  struct TAside {
    int32_t Extra = 0;
    int32_t Delta = 0;
    std::vector<uint8_t> Rows;
  };
  static constexpr size_t kBlock = 64;
  // Up to this many lines aside are summed one by one and each taken into the tables by itself;
  // at most that many are kept aside.
  static constexpr size_t kFewAside = 16;
  static constexpr size_t kMostAside = 65536;

  int WrapWidth();
  void ReadRules();
  void WrapAll();
  // The number of rows of line Index (0-based); for more than one, their lengths are in
  // scratch_. BreakText reads the line's text whatever its length.
  int BreakLine(int Index);
  int BreakText(int Index);
  int RewrapLine(int Index);
  // Gives line Index Extra rows past its first, with the lengths at Rows, in the tables;
  // returns the change in its rows.
  int SetRows(int Index, int32_t Extra, const uint8_t* Rows);
  // RewrapLine inside an update.
  int PutAside(int Index);
  // The rows past the first that the lines before Line (0-based) have over the tables'.
  int32_t AsideBefore(int Line) const;
  void AddAside(int Line, int32_t Delta);
  void BuildAsideSums();
  // Takes the lines kept aside into the tables.
  void Settle();
  void MergeAside();
  void ClearAside();
  // Settles when a line at or after Line is aside: inserted or deleted lines move them.
  void SettleFrom(int Line);
  TLineRows RowsOfLine(int Line) const;
  // The expanded length of line Index.
  int LineLength(int Index);
  // The rows past the first of an entry, and storing them.
  int32_t Extra(size_t Entry) const;
  void SetExtra(size_t Entry, int32_t Value);
  // Of the entries before Entry (Entry may be the number of entries).
  int32_t ExtraBefore(size_t Entry) const;
  // blockExtra_ and totalExtra_ after the entries from From on changed, or after the extra
  // rows of Entry alone changed by Delta.
  void RebuildSums(size_t From);
  void AdjustSums(size_t Entry, int32_t Delta);
  void SumsAfterInsert(size_t Entry);
  void SumsAfterErase(size_t Entry, int32_t Removed);
  // Moves the entries of the lines from Line on by Lines.
  void ShiftLines(size_t FromEntry, int Line, int Lines);
  // The first entry of a line at or after Line (0-based), or the number of entries.
  size_t EntryFrom(int Line) const;
  // That entry, the extra rows of the entries before it, the extra rows that the lines aside
  // before it add and the line's own entry aside, if any. The last line asked is remembered
  // while the tables keep their places (an edit asks of its line many times); a line put aside
  // is asked first, and changes no line's place but those after it.
  struct TTablePlace {
    size_t Entry;
    int32_t Before;
    int32_t AsideBefore;
    const TAside* Aside;
  };
  const TTablePlace& TablePlace(int Line) const;
  TRowPlace PlaceOfRow(int Row) const;
  TRowPlace PlaceOfRowInTables(int Row) const;
  // The length of the last row of an entry, whose others are at Stored.
  int LastRowLength(int Line, const uint8_t* Stored, int32_t Extra);

  std::unique_ptr<ITxtWrapSource> ownSource_;
  ITxtWrapSource* source_;
  std::vector<int32_t> wrappedLines_;  // the lines of more than one row, in order
  std::vector<uint8_t> extraRows_;     // their rows past the first, 255 for a big line
  std::vector<TBigLine> bigLines_;     // by line
  std::vector<int32_t> blockExtra_;    // the extra rows of the entries before each block of kBlock
  int32_t totalExtra_ = 0;
  std::vector<uint8_t> rowLengths_;  // each entry's rows but its last, entry after entry
  int lineCount_ = 0;
  int maxRowLength_ = 0;
  int minRowLength_ = 1;
  TTxtWrapRules rules_;
  std::vector<uint8_t> scratch_;
  std::vector<int32_t> newLines_;
  std::vector<int32_t> newExtra_;
  std::vector<uint8_t> newRows_;
  AnsiString lineScratch_;
  bool updating_ = false;
  std::map<int, TAside> aside_;
  int32_t asideDelta_ = 0;  // of all lines aside
  // A Fenwick tree by line of the lines' Delta, once more than a few are aside.
  std::vector<int32_t> asideSums_;
  // Counts the changes of the tables' places.
  uint32_t tablesStamp_ = 0;
  mutable struct {
    int Line = -1;
    uint32_t Stamp = 0;
    TTablePlace Place{};
  } placeCache_;
};
