// The grid of recently inserted characters at the top of the "Character" submenu, and the
// application's hint window: top-most, kept on the desktop, sliding or fading in.
#pragma once

#include "framework/HintWindow.h"
#include "framework/StringLists.h"
#include "themes/UiToolPals.h"

class TApCustomAppStorage;
class TCustomTxtEdit;

// Five columns of the recent characters (codes 32-255 as decimal texts, newest first, at most
// 15); a cell's hint gives its code and the Alt+0 keys that type it.
class TCharPalette : public TUiCustomToolPalette {
  HV_CLASS(TCharPalette, TUiCustomToolPalette)
 public:
  explicit TCharPalette(TComponent* AOwner);

  TStrings* Chars() const { return chars_.get(); }
  // Copies a different list and recomputes the rows.
  void SetChars(TStrings* Value);
  WideString CharCodeFormat = L"Char code: %d (0x%x)";
  WideString ShortcutFormat = L"Shortcut keys: Alt+0%d";

  TBarItemViewerClass ViewerClass(TBarView* AView) override;
  void DoGetCellHint(int ACol, int ARow, WideString& HintText) override;
  // The cell's hint text: "Char code: 65 (0x41)", CR LF, "Shortcut keys: Alt+065"; empty for
  // an empty cell or when a format is empty.
  WideString GetCellHint(int ACol, int ARow);

 private:
  std::unique_ptr<TStringList> chars_;
};

// The eleven characters a first start shows: 171, 187, 151, 133, 169, 174, 153, 167, 146, 147, 148.
void SeedRecentChars(TCharPalette* Palette);
// A code from 32 to 255 goes to the front (moved there when present); the list keeps 15.
void AddRecentChar(TCharPalette* Palette, int Code);
// The code of the cell, 0 when it has none or holds no code from 32 to 255.
int CharAt(TCharPalette* Palette, int Col, int Row);
// RowCount: the entries over the column count, rounded up.
void UpdateRows(TCharPalette* Palette);
// "LastChars" of the preferences: Count and Item0.. in a section of that name. Reading replaces
// the list only when something is stored, and drops entries that are no integers. A storage
// that could not read its file yet takes what the palette holds then as the run's start, and
// keeps the list within the palette's 15.
void LoadLastChars(TCharPalette* Palette, TApCustomAppStorage& Storage);
void SaveLastChars(TCharPalette* Palette, TApCustomAppStorage& Storage);
// A click of a cell of an enabled palette: its character replaces the editor's selection and
// moves to the front. False when nothing was inserted.
bool InsertPaletteChar(TCharPalette* Palette, int Col, int Row, TCustomTxtEdit* Editor);

class TCharViewer : public TUiToolViewer {
  HV_CLASS(TCharViewer, TUiToolViewer)
 public:
  TCharViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel);
  // A character takes 21 x 21 pixels; its cell adds the frame of a tool palette's cell.
  TPoint GetImageSize() override;
  bool IsCellVisible(const TPoint& Cell) override;
  void DrawCellImage(TCanvas* Canvas, const TRect& ARect, int ACol, int ARow, const TUiItemInfo& ItemInfo) override;
  // A palette that cannot insert (no editable document) leaves the keys to the menu, so that the
  // arrows go on along the menu bar.
  void KeyDown(Word& Key, TShiftState Shift) override;

 protected:
  // Only a character an enabled palette inserts closes the menu.
  bool CellClickEndsMenu(const TPoint& Cell) override;
};

// ---- the hint window ----

// The rectangle moved inside the desktop: up when it passes the bottom, left when it passes
// the right side, right when it starts left of it, down when it starts above it.
TRect KeepOnDesktop(TRect Rect, const TRect& Desktop);

enum class THintAnimation { None, Blend, SlideDown, SlideUp };
struct THintShowFacts {
  DWORD Now = 0, LastShown = 0;  // tick counts
  size_t TextLength = 0;
  bool CanAnimate = true;        // the system offers AnimateWindow
  bool TooltipAnimation = true;  // SPI_GETTOOLTIPANIMATION
  bool TooltipFade = false;      // SPI_GETTOOLTIPFADE
  bool MouseAtOrAboveTop = true;
};
// No animation within 250 ms of the last hint, for texts of 100 characters or more, or when the
// system animates no tooltips; else a fade when tooltips fade, else a slide away from the mouse.
THintAnimation ChooseHintAnimation(const THintShowFacts& Facts);
// The AnimateWindow flags of an animation (the slide flag with each), 0 for none.
DWORD HintAnimateFlags(THintAnimation Animation);

class TSafeHintWindow : public THintWindow {
  HV_CLASS(TSafeHintWindow, THintWindow)
 public:
  explicit TSafeHintWindow(TComponent* AOwner);
  void ActivateHint(TRect Rect, const WideString& AHint) override;
  // The clock the hints read (GetTickCount unless a test sets another; null restores it).
  using TClock = DWORD (*)();
  static void SetClock(TClock Clock);
  THintAnimation LastAnimation() const { return lastAnimation_; }

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  DWORD lastShown_ = 0;
  bool shownOnce_ = false;
  THintAnimation lastAnimation_ = THintAnimation::None;
};
