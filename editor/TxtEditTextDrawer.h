// Drawing text in a fixed grid of character cells: every character takes exactly one cell of
// the base width, whatever the style of its run. The sixteen style variants of a base font are
// created once and shared between all drawers that use the same font.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "framework/Colors.h"
#include "framework/Exceptions.h"
#include "framework/GdiHandles.h"
#include "framework/Graphics.h"

HV_DECLARE_EXCEPTION(EheFontStockException, Exception);
HV_DECLARE_EXCEPTION(EheTextDrawerException, Exception);

// One style variant of a base font. The handle exists only while some stock uses the variants;
// the measurements stay.
struct FontData {
  TFontStyles Style;
  TFontHandle Handle;
  int CharAdvance = 0;
  int DBCharAdvance = 0;  // the largest int when double-byte characters have no fixed width
  int CharHeight = 0;
};

// The variants of one base font, shared by every stock that uses it.
struct SharedFontsInfo {
  int RefCount = 0;
  int LockCount = 0;
  std::unique_ptr<TFont> BaseFont;
  LOGFONTW BaseLF{};
  bool IsDBCSFont = false;
  bool IsTrueType = false;
  std::array<FontData, 16> FontsData;
};

// The index of a style set among the sixteen variants: bold 1, italic 2, underline 4, strike-out 8.
int StyleIndex(TFontStyles Style);

// The process's register of shared variant sets; made on first use, freed at program end.
class TheFontsInfoManager {
 public:
  TheFontsInfoManager() = default;
  ~TheFontsInfoManager();
  TheFontsInfoManager(const TheFontsInfoManager&) = delete;
  TheFontsInfoManager& operator=(const TheFontsInfoManager&) = delete;

  SharedFontsInfo* AcquireFontsInfo(TFont* BaseFont);
  // The caller must have unlocked the handles it locked.
  void ReleaseFontsInfo(SharedFontsInfo* Info);
  void LockFontHandles(SharedFontsInfo* Info);
  // At the last unlock the variants' handles are deleted.
  void UnlockFontHandles(SharedFontsInfo* Info);
  SharedFontsInfo* FindFontsInfo(const LOGFONTW& LF);
  SharedFontsInfo* CreateFontsInfo(TFont* BaseFont, const LOGFONTW& LF);
  // The font's record without italic, underline and strike-out, zero after the face name: two
  // records are equal byte for byte when they describe the same face, size, weight and set.
  static LOGFONTW LogFontForComparison(TFont* BaseFont);
  int Count() const { return static_cast<int>(fontsInfo_.size()); }

 private:
  std::vector<std::unique_ptr<SharedFontsInfo>> fontsInfo_;
};

TheFontsInfoManager& GetFontsInfoManager();

// The variants of one base font as one drawer uses them: the current style and its handle.
class TheFontStock {
 public:
  explicit TheFontStock(TFont* InitialFont);
  virtual ~TheFontStock();
  TheFontStock(const TheFontStock&) = delete;
  TheFontStock& operator=(const TheFontStock&) = delete;

  virtual int GetCharAdvance() const;
  virtual int GetCharHeight() const;
  virtual int GetDBCharAdvance() const;
  virtual void SetBaseFont(TFont* Value);
  virtual void SetStyle(TFontStyles Value);
  // Gives up this stock's use of the variants' handles; they are made again when needed.
  virtual void ReleaseFontHandles();

  bool IsDBCSFont() const;
  HFONT FontHandle() const { return currentFont_; }
  TFontStyles Style() const { return currentStyle_; }
  SharedFontsInfo* FontsInfo() const { return fontsInfo_; }

 protected:
  virtual HDC InternalGetDC();
  virtual void InternalReleaseDC(HDC Value);
  virtual HFONT InternalCreateFont(TFontStyles Style);
  virtual int CalcFontAdvance(HDC DC, int* CharHeight, int* DBCharAdvance);
  virtual FontData* GetFontData(int Index);

 private:
  TWindowDC dc_;
  int dcRefCount_ = 0;
  SharedFontsInfo* fontsInfo_ = nullptr;
  bool usingFontHandles_ = false;
  HFONT currentFont_ = nullptr;
  TFontStyles currentStyle_;
  FontData* currentFontData_ = nullptr;
  LOGFONTW baseLF_{};
};

class TheTextDrawer : public TObject {
  HV_CLASS(TheTextDrawer, TObject)
 public:
  // CalcExtentBaseStyle is the style whose metrics define the cell (the editor uses bold, so
  // that a cell is as wide as a bold character).
  TheTextDrawer(TFontStyles CalcExtentBaseStyle, TFont* BaseFont);
  ~TheTextDrawer() override;

  virtual int GetCharWidth() const { return baseCharWidth_ + charExtra_; }
  virtual int GetCharHeight() const { return baseCharHeight_; }
  // Brackets nest on one device context; style and colours may change inside.
  virtual void BeginDrawing(HDC DC);
  virtual void EndDrawing();
  // Text without per-character advances.
  virtual void TextOut(int X, int Y, const char* Text, int Length);
  // Text with each character in one cell (ETO_ options of the system).
  virtual void ExtTextOut(int X, int Y, UINT Options, const TRect& ARect, const char* Text, int Length);
  // Not inside a drawing bracket.
  virtual void SetBaseFont(TFont* Value);
  virtual void SetBaseStyle(TFontStyles Value);
  virtual void SetStyle(TFontStyles Value);
  virtual void SetForeColor(TColor Value);
  virtual void SetBackColor(TColor Value);
  virtual void SetCharExtra(int Value);
  virtual void ReleaseTemporaryResources();

  TColor ForeColor() const { return foreColor_; }
  TColor BackColor() const { return backColor_; }
  int CharExtra() const { return charExtra_; }
  TFontStyles Style() const { return style_; }
  int DrawingCount() const { return drawingCount_; }
  int SpacingArraySize() const { return static_cast<int>(spacingArray_.size()); }
  TheFontStock& FontStock() const { return *fontStock_; }

 protected:
  virtual void ReleaseSpacingArray() { spacingArray_.clear(); }
  virtual void AfterStyleSet();
  virtual void DoSetCharExtra(int Value);

 private:
  void MeasureBase();

  HDC dc_ = nullptr;
  int savedDC_ = 0;
  std::unique_ptr<TheFontStock> fontStock_;
  TFontStyles calcExtentBaseStyle_;
  int baseCharWidth_ = 0;
  int baseCharHeight_ = 0;
  HFONT currentFont_ = nullptr;
  TFontStyles style_;
  std::vector<INT> spacingArray_;
  TColor foreColor_ = clWindowText;
  TColor backColor_ = clWindow;
  int charExtra_ = 0;
  int drawingCount_ = 0;
};
