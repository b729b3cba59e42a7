// Word wrap: splits every buffer line into display rows no wider than the visible text area and
// maps buffer positions to display positions and back while it is attached to an editor.
#pragma once

#include <cstdint>
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

  int LineCount() const { return lineCount_; }
  int MaxRowLength() const { return maxRowLength_; }
  int MinRowLength() const { return minRowLength_; }
  int LineCapacity() const { return static_cast<int>(lineOffsets_.size()); }
  int RowCapacity() const { return static_cast<int>(rowLengths_.size()); }

 private:
  int WrapWidth();
  void ReadRules();
  void WrapAll();
  // The rows of line Index (0-based) into scratch_.
  int BreakLine(int Index);
  int RewrapLine(int Index);
  int RowsBefore(int Index) const { return Index > 0 ? lineOffsets_[Index - 1] : 0; }
  void GrowLines(int64_t Needed);
  void GrowRows(int64_t Needed);
  void ShiftRows(int From, int Delta);

  std::unique_ptr<ITxtWrapSource> ownSource_;
  ITxtWrapSource* source_;
  // Row totals after each line, and the length of each row; sized by their capacities.
  std::vector<int32_t> lineOffsets_;
  std::vector<uint8_t> rowLengths_;
  int lineCount_ = 0;
  int maxRowLength_ = 0;
  int minRowLength_ = 1;
  TTxtWrapRules rules_;
  std::vector<uint8_t> scratch_;
  AnsiString lineScratch_;
};
