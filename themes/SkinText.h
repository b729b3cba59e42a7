// Unicode text for the skinned items and controls: drawing with glow and rotation, measuring,
// the caption-and-image layout of a button, and the choice of skin a control paints with.
#pragma once

#include "framework/Alignment.h"
#include "framework/Colors.h"
#include "framework/TypeInfo.h"
#include "framework/Types.h"
#include "framework/Win.h"
#include "themes/UiTextWrapping.h"
#include "themes/UiThemes.h"

class TCanvas;

HV_ENUM(TSkinThemeType, thtNone, thtWindows, thtUi)
HV_ENUM(TSpGlowDirection, gldNone, gldAll, gldTopLeft, gldBottomRight)
HV_ENUM(TSkinPaintStage, pstPrePaint, pstPostPaint)

// Text orientations: along the line, rotated 90 degrees (read bottom to top), rotated 270
// degrees (read top to bottom).
constexpr int SkinTextHorizontal = 0;
constexpr int SkinTextRotated90 = 1;
constexpr int SkinTextRotated270 = 2;

// The DT_HIDEPREFIX flag (not in every header set).
constexpr Cardinal SkinDtHidePrefix = 0x100000;

// Draws (or with DT_CALCRECT measures) AText in ARect with the canvas's font and DrawText flags
// in Format. A text that begins with "utf8=" is taken as UTF-8 after those five characters.
// Glow draws the text in GlowColor behind it, one pixel off in the directions asked. The
// rotated orientations place the text across the rectangle; DT_CALCRECT then gives a rectangle
// as wide as the text is high. The result is the height of the text drawn (0 for an empty
// rectangle).
int DrawWideText(TCanvas* ACanvas, const WideString& AText, TRect& ARect, int Orientation, TColor GlowColor,
                 TSpGlowDirection Glow, Cardinal Format);

// The text a "utf8=" text stands for: the code units after the prefix narrowed back to the bytes
// they were widened from (through the ANSI code page, or one unit per byte), decoded as UTF-8.
// Any other text comes back unchanged.
WideString DecodeUtf8Caption(const WideString& AText);

// The extent of AText on DC, measured unchanged ("utf8=" included), optionally after the
// accelerator marks are removed.
void GetWideTextSize(HDC DC, const WideString& AText, bool RemoveAccelerators, TSize& Size);
// Each "&" deleted, the character after it kept as it is ("&&" leaves one "&"): StripAccelChars.
WideString RemoveAcceleratorMarks(const WideString& AText);
// The text before the first tab character (all of it without one).
WideString TextBeforeTab(const WideString& AText);
// Without a trailing ":" (text longer than 1), else without a trailing "..." (longer than 3):
// StripTrailingPunctuation.
WideString RemoveTrailingColonOrDots(const WideString& AText);

// Places a caption and an image of ImageWidth x ImageHeight in ItemRect: the image left of the
// caption, or above it with GlyphTop; aligned by Alignment; both one pixel further right and
// down with PushedOffset. The rectangles stay empty for a missing caption or image. The result
// is the caption's height.
int CalcCaptionLayout(TCanvas* Canvas, const TRect& ItemRect, const WideString& Caption, int Orientation,
                      TRect& ImageRect, TRect& CaptionRect, bool PushedOffset, bool GlyphTop, int ImageHeight,
                      int ImageWidth, Cardinal Format, TAlignment Alignment);

// The skin a control asking for SkinType paints with: the default theme paints with the visual
// styles, and those fall back to the classic look when they are not in use.
TSkinThemeType GetSkinType(TSkinThemeType SkinType);

// Lets go of the fonts rotated text keeps (after a change of system fonts, and in tests that
// count handles).
void ClearRotatedFontCache();
int RotatedFontCacheCount();

// The visual-style handles of the tab, progress and track-bar classes the skinned controls draw
// with; they are closed when the visual style goes and reopened when it comes back.
class TSpThemeNexus : public TUiDispatcher {
  HV_CLASS(TSpThemeNexus, TUiDispatcher)
 public:
  enum TClassId { tcTab, tcProgress, tcTrackBar, tcCount };
  TSpThemeNexus();
  ~TSpThemeNexus() override;
  void Dispatch(TMessage& Message) override;
  // The handle of that class, opened again when visual styles changed since it was opened.
  HTHEME Handle(TClassId Id);

 private:
  void Open();
  void Close();
  HTHEME handles_[tcCount] = {};
  unsigned generation_ = 0;
};

// The nexus the unit keeps while the program runs.
TSpThemeNexus* SpThemeNexus();
