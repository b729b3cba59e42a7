// The interface through which the editor control asks a buffer plug-in (word wrap) to map
// between buffer and display positions, and tells it of every change of the lines and of the
// visible width. While a plug-in is attached, rows and lines differ.
#pragma once

#include "editor/TxtEditTypes.h"

class ITxtEditBufferPlugin {
 public:
  virtual ~ITxtEditBufferPlugin() = default;

  // Char counts in the line's expanded text; the display position is column and row.
  virtual TDisplayCoord BufferToDisplayPos(const TBufferCoord& Pos) = 0;
  virtual TBufferCoord DisplayToBufferPos(const TDisplayCoord& Pos) = 0;
  virtual int RowCount() = 0;
  // The length of a 1-based row.
  virtual int GetRowLength(int Row) = 0;
  // 0-based lines; each returns how many rows were added (removed, or the change).
  virtual int LinesInserted(int Index, int Count) = 0;
  virtual int LinesDeleted(int Index, int Count) = 0;
  virtual int LinesPutted(int Index, int Count) = 0;
  // The visible width may have changed.
  virtual void DisplayChanged() = 0;
  // Everything may have changed: wrap all lines again.
  virtual void Reset() = 0;
  // The editor's update lock begins and ends (each told once; a plug-in put back inside the
  // lock is told again): a plug-in may keep the work of many changes for the end, as long as
  // every position it answers meanwhile is that of the text as it is.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
};
