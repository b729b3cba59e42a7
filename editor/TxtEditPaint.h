// Painting of the editor control: the gutter (numbers, wrap marks, border, marks) and the text
// rows, token by token through the highlighter, with tokens of the same appearance merged into
// runs and the selection painted in its own colours.
#pragma once

#include <vector>

#include "editor/TxtEditTypes.h"
#include "framework/Colors.h"
#include "framework/Graphics.h"

class TCustomTxtEdit;
class TTxtHighlighterAttributes;

class TTxtEditPainter {
 public:
  explicit TTxtEditPainter(TCustomTxtEdit& Editor) : ed_(Editor) {}
  TTxtEditPainter(const TTxtEditPainter&) = delete;
  TTxtEditPainter& operator=(const TTxtEditPainter&) = delete;

  void PaintGutter(TCanvas& Canvas, const TRect& AClip, int FirstRow, int LastRow);
  void PaintTextLines(TCanvas& Canvas, const TRect& AClip, int FirstRow, int LastRow, int FirstCol, int LastCol);

  // Colour bands from StartColor to EndColor across (Horizontal) or down a rectangle.
  static void DrawGradient(TCanvas& Canvas, TColor StartColor, TColor EndColor, int Steps, const TRect& ARect,
                           bool Horizontal);

  // The capacity of the run buffer (it only grows).
  size_t RunCapacity() const { return run_.Text.capacity(); }

 private:
  // The run of tokens being gathered on a row.
  struct TTokenAccu {
    std::string Text;
    int CharsBefore = 0;  // display columns before the run
    TColor FG = TColor(0);
    TColor BG = TColor(0);
    TFontStyles Style;
  };
  // What one row needs while it is painted.
  struct TRowState {
    int Line = 0;
    int Row = 0;
    TColor FG = TColor(0), BG = TColor(0);
    TColor SelFG = TColor(0), SelBG = TColor(0);
    bool CurrentLine = false;
    bool SpecialLine = false;
    bool LineSelected = false;
    bool ComplexLine = false;
    int LineSelStart = 0;  // selected display columns, end exclusive; 0 when none
    int LineSelEnd = 0;
    TRect RcLine;
    TRect RcToken;
  };

  void PaintGutterNumbers(TCanvas& Canvas, const TRect& AClip, int FirstLine, int LastLine);
  void PaintWrapGlyphs(TCanvas& Canvas, int FirstRow, int LastRow);
  void PaintGutterBorder(TCanvas& Canvas, const TRect& AClip);
  void PaintMarks(TCanvas& Canvas, int FirstRow, int FirstLine, int LastLine, std::vector<int>& Offsets);

  void ComputeSelection();
  // The display text of columns First .. Last - 1 of line Index into segment_.
  void ExpandColumns(int Index, int First, int Last);
  void PaintRowWithoutHighlighter(const std::string& Visible, int ExpandedLength, int FirstChar, int LastChar);
  void PaintRowWithHighlighter(const std::string& Expanded, int FirstChar, int LastChar);
  void SelectRowColumns();
  void AddToken(const char* Token, int Length, int CharsBefore, TTxtHighlighterAttributes* Attr);
  void PaintRun(bool FillToEnd);
  void PaintRunPart(int First, int Last, bool Selected);
  void FillRowRest(int FromX);
  void RedrawOverhang();
  void FillPart(int Left, int Right, bool Selected);
  void PaintToken(const char* Token, int Length, int CharsBefore, int First, int Last);
  void SetDrawingColors(bool Selected);
  int ColumnToX(int Column) const;
  bool IsBlank(const char* Token, int Length) const;
  int Overhang(char Ch);

  TCustomTxtEdit& ed_;
  HDC dc_ = nullptr;  // the canvas's device context while the text is drawn
  // Per paint.
  int firstCol_ = 0, lastCol_ = 0;
  bool anySelection_ = false;
  TDisplayCoord selStart_, selEnd_;
  TTxtSelectionMode selMode_ = smNormal;
  TColor runFG_ = TColor(0), runBG_ = TColor(0);
  // Per row.
  TRowState row_;
  TTokenAccu run_;
  std::string display_;  // a token prepared for display, reused
  std::string segment_;  // the visible columns of a row without highlighter, reused
};
