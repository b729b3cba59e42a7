// Small classes the editor control owns or exposes: the selection colours, the gutter settings,
// the bookmark options and the glyph (grouped properties that report changes through OnChange),
// the shared strips of built-in images, the callback chain behind the highlighter's change
// notification, the marks shown in the gutter, and the search-engine interface.
#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/TxtEditTypes.h"
#include "framework/Component.h"
#include "framework/Delegate.h"
#include "framework/Exceptions.h"
#include "framework/Bitmap.h"
#include "framework/Graphics.h"
#include "framework/ImageList.h"
#include "framework/Lists.h"

HV_DECLARE_EXCEPTION(ETxtMethodChain, Exception);

// How bookmarks are shown in the gutter and whether their keys work.
class TTxtBookMarkOpt : public TPersistent {
  HV_CLASS(TTxtBookMarkOpt, TPersistent)
 public:
  // AOwner is told when the image list set here is freed.
  explicit TTxtBookMarkOpt(TComponent* AOwner) : owner_(AOwner) {}
  // From other bookmark options: every setting, then one OnChange.
  void Assign(TPersistent* Source) override;

  // Not owned.
  TCustomImageList* BookmarkImages() const { return bookmarkImages_; }
  void SetBookmarkImages(TCustomImageList* Value);
  bool DrawBookmarksFirst() const { return drawBookmarksFirst_; }
  void SetDrawBookmarksFirst(bool Value);
  bool EnableKeys() const { return enableKeys_; }
  void SetEnableKeys(bool Value) { enableKeys_ = Value; }
  bool GlyphsVisible() const { return glyphsVisible_; }
  void SetGlyphsVisible(bool Value);
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int Value);
  int Xoffset() const { return xoffset_; }
  void SetXoffset(int Value);

  TNotifyEvent OnChange;

 protected:
  TPersistent* GetOwner() override { return owner_; }

 private:
  void Changed();
  TComponent* owner_;
  TCustomImageList* bookmarkImages_ = nullptr;
  bool drawBookmarksFirst_ = true;
  bool enableKeys_ = true;
  bool glyphsVisible_ = true;
  int leftMargin_ = 2;
  int xoffset_ = 12;
};

// A small picture drawn centred on a line (the word-wrap marker), with one colour transparent:
// the user's Glyph when there is one, else the built-in picture.
class TTxtGlyph : public TPersistent {
  HV_CLASS(TTxtGlyph, TPersistent)
 public:
  // The built-in picture comes from the bitmap resource of that name (none for an empty name;
  // a missing resource raises the bitmap's resource error).
  TTxtGlyph(HINSTANCE AModule, const WideString& AName, TColor AMaskColor);
  ~TTxtGlyph() override;
  // From another glyph: both pictures, the mask colours and Visible, then one OnChange.
  void Assign(TPersistent* Source) override;

  void Draw(TCanvas* ACanvas, int AX, int AY, int ALineHeight);
  // The width of the picture drawn (0 without any).
  int Width() const;

  TBitmap* Glyph() const { return glyph_.get(); }
  // Copies the picture into the glyph's own bitmap.
  void SetGlyph(TBitmap* Value);
  TColor MaskColor() const { return maskColor_; }
  void SetMaskColor(TColor Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  TBitmap* InternalGlyph() const { return internalGlyph_.get(); }
  TColor InternalMaskColor() const { return internalMaskColor_; }

  TNotifyEvent OnChange;

 private:
  void Changed();
  void GlyphChanged(TObject* Sender);

  bool visible_ = true;
  std::unique_ptr<TBitmap> internalGlyph_;
  std::unique_ptr<TBitmap> glyph_;
  TColor internalMaskColor_ = clNone;
  TColor maskColor_ = clNone;
};

// A strip of equal-width images cut from one bitmap resource (the built-in bookmark numbers).
// Strips of the same resource share one bitmap.
class TTxtInternalImage : public TObject {
  HV_CLASS(TTxtInternalImage, TObject)
 public:
  // The resource name is compared without regard to case; a missing resource raises the
  // bitmap's resource error.
  TTxtInternalImage(HINSTANCE AModule, const WideString& Name, int Count);
  ~TTxtInternalImage() override;
  TTxtInternalImage(const TTxtInternalImage&) = delete;
  TTxtInternalImage& operator=(const TTxtInternalImage&) = delete;

  // Image Number, centred on a line of LineHeight pixels; nothing outside 0..Count-1.
  void Draw(TCanvas* ACanvas, int Number, int X, int Y, int LineHeight);
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return count_; }
  TBitmap* Images() const { return images_; }
  // The number of distinct bitmaps shared by all strips (for tests of the sharing).
  static int CachedBitmaps();

 private:
  TBitmap* images_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int count_ = 0;
};

// The colours of selected text.
class TTxtSelectedColor : public TPersistent {
  HV_CLASS(TTxtSelectedColor, TPersistent)
 public:
  TTxtSelectedColor() = default;
  // From another selection colour: both values, then one OnChange.
  void Assign(TPersistent* Source) override;

  TColor Background() const { return background_; }
  void SetBackground(TColor Value);
  TColor Foreground() const { return foreground_; }
  void SetForeground(TColor Value);

  TNotifyEvent OnChange;

 private:
  void Changed();
  TColor background_ = clHighlight;
  TColor foreground_ = clHighlightText;
};

HV_ENUM(TTxtGutterBorderStyle, gbsNone, gbsMiddle, gbsRight)

// The gutter's settings and its line-number formatting.
class TTxtGutter : public TPersistent {
  HV_CLASS(TTxtGutter, TPersistent)
 public:
  TTxtGutter();
  ~TTxtGutter() override;
  // From another gutter: every setting but the cursor, then one OnChange.
  void Assign(TPersistent* Source) override;

  // Pixels: 0 when hidden; with line numbers, the offsets, the digits and 2; else Width.
  int RealGutterWidth(int CharWidth) const;
  // Fits the digit count to the number shown for the last line (when the gutter is visible,
  // sizes itself and shows numbers); otherwise takes DigitCount.
  void AutoSizeDigitCount(int LinesCount);
  // The number shown for a 1-based line, right-aligned in AutoSizeDigitCount characters.
  AnsiString FormatLineNumber(int Line) const;
  // The number shown for a 1-based line.
  int LineNumberShown(int Line) const;

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  TTxtGutterBorderStyle BorderStyle() const { return borderStyle_; }
  // Notifies even when the value does not change.
  void SetBorderStyle(TTxtGutterBorderStyle Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor Value);
  int Cursor() const { return cursor_; }
  void SetCursor(int Value) { cursor_ = Value; }
  int DigitCount() const { return digitCount_; }
  // 2..12; the auto-sized count follows.
  void SetDigitCount(int Value);
  int AutoSizeDigitCount() const { return autoSizeDigitCount_; }
  TFont* Font() const { return font_.get(); }
  // Copies the settings of Value into the gutter's own font.
  void SetFont(TFont* Value);
  bool LeadingZeros() const { return leadingZeros_; }
  void SetLeadingZeros(bool Value);
  int LeftOffset() const { return leftOffset_; }
  void SetLeftOffset(int Value);
  int RightOffset() const { return rightOffset_; }
  void SetRightOffset(int Value);
  bool ShowLineNumbers() const { return showLineNumbers_; }
  void SetShowLineNumbers(bool Value);
  bool NumberAllLines() const { return numberAllLines_; }
  void SetNumberAllLines(bool Value);
  bool UseFontStyle() const { return useFontStyle_; }
  void SetUseFontStyle(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  bool ZeroStart() const { return zeroStart_; }
  void SetZeroStart(bool Value);
  int LineNumberStart() const { return lineNumberStart_; }
  // Negative values become 0; ZeroStart follows whether the value is 0.
  void SetLineNumberStart(int Value);
  bool Gradient() const { return gradient_; }
  void SetGradient(bool Value);
  TColor GradientStartColor() const { return gradientStartColor_; }
  void SetGradientStartColor(TColor Value);
  TColor GradientEndColor() const { return gradientEndColor_; }
  void SetGradientEndColor(TColor Value);
  int GradientSteps() const { return gradientSteps_; }
  void SetGradientSteps(int Value);

  TNotifyEvent OnChange;

 private:
  void Changed();
  void FontChanged(TObject* Sender);
  template <class V>
  void Store(V& field, V value);

  bool autoSize_ = false;
  TTxtGutterBorderStyle borderStyle_ = gbsMiddle;
  TColor color_ = clBtnFace;
  TColor borderColor_ = clWindow;
  int cursor_ = 0;
  int digitCount_ = 4;
  int autoSizeDigitCount_ = 4;
  std::unique_ptr<TFont> font_;
  bool leadingZeros_ = false;
  int leftOffset_ = 16;
  int rightOffset_ = 2;
  bool showLineNumbers_ = false;
  bool numberAllLines_ = false;
  bool useFontStyle_ = true;
  bool visible_ = true;
  int width_ = 30;
  bool zeroStart_ = false;
  int lineNumberStart_ = 1;
  bool gradient_ = false;
  TColor gradientStartColor_ = clWindow;
  TColor gradientEndColor_ = clBtnFace;
  int gradientSteps_ = 48;
};

// Asked when a callback of a chain raises: Continue (preset to true) says whether the walk goes
// on with the next callback.
using TTxtExceptionEvent = TEvent<void(TObject* Sender, Exception& E, bool& Continue)>;

// An ordered list of callbacks fired one after the other. Callbacks may be added while the chain
// fires; they are reached in the same walk.
class TTxtMethodChain : public TObject {
  HV_CLASS(TTxtMethodChain, TObject)
 public:
  TTxtMethodChain() = default;

  void Add(const TMethod& AEvent);
  // Removes every entry equal to AEvent.
  void Remove(const TMethod& AEvent);
  void Fire();
  int Count() const { return static_cast<int>(entries_.size()); }

  TTxtExceptionEvent OnException;

 protected:
  virtual void DoFire(const TMethod& AEvent) = 0;
  // Called from inside the handler of an exception raised by a callback: true goes on with the
  // next callback, false ends the walk; without OnException the exception propagates.
  virtual bool DoHandleException(Exception& E);

 private:
  std::vector<TMethod> entries_;
};

// A chain of notify events, all called with one sender.
class TTxtNotifyEventChain : public TTxtMethodChain {
  HV_CLASS(TTxtNotifyEventChain, TTxtMethodChain)
 public:
  TTxtNotifyEventChain() = default;
  explicit TTxtNotifyEventChain(TObject& ASender) : sender_(&ASender) {}

  using TTxtMethodChain::Add;
  using TTxtMethodChain::Remove;
  void Add(const TNotifyEvent& AEvent) { Add(AEvent.Method()); }
  void Remove(const TNotifyEvent& AEvent) { Remove(AEvent.Method()); }

  TObject* Sender() const { return sender_; }
  void SetSender(TObject* Value) { sender_ = Value; }

 protected:
  void DoFire(const TMethod& AEvent) override;

 private:
  TObject* sender_ = nullptr;
};

// A mark shown in the gutter: a bookmark (numbers 0..9) or a mark with an image of its own.
class TTxtEditMark : public TObject {
  HV_CLASS(TTxtEditMark, TObject)
 public:
  TTxtEditMark() = default;

  int Line() const { return line_; }
  int Char() const { return char_; }
  int ImageIndex() const { return imageIndex_; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value) { visible_ = Value; }
  bool InternalImage() const { return internalImage_; }
  void SetInternalImage(bool Value) { internalImage_ = Value; }
  int BookmarkNumber() const { return bookmarkNumber_; }
  void SetBookmarkNumber(int Value) { bookmarkNumber_ = Value; }
  bool IsBookmark() const { return bookmarkNumber_ >= 0; }

  virtual void SetChar(int Value) { char_ = Value; }
  virtual void SetImage(int Value) { imageIndex_ = Value; }
  virtual void SetLine(int Value) { line_ = Value; }

 private:
  int line_ = 0;
  int char_ = 0;
  int imageIndex_ = 0;
  bool visible_ = false;
  bool internalImage_ = false;
  int bookmarkNumber_ = -1;
};

// The marks of one line, in list order, the rest null.
using TTxtEditMarks = std::array<TTxtEditMark*, 17>;

// The editor's marks; owns them.
class TTxtEditMarkList : public TObject {
  HV_CLASS(TTxtEditMarkList, TObject)
 public:
  TTxtEditMarkList() = default;
  ~TTxtEditMarkList() override;

  int Add(TTxtEditMark* Item);
  // Frees the mark at Index without notification.
  void Delete(int Index);
  // Frees the mark and notifies; a mark not in the list raises the list's index error.
  int Remove(TTxtEditMark* Item);
  void Clear();
  TTxtEditMark* Items(int Index) const { return static_cast<TTxtEditMark*>(list_.Items(Index)); }
  int Count() const { return list_.Count(); }
  void GetMarksForLine(int Line, TTxtEditMarks& Marks) const;

  TNotifyEvent OnChange;

 private:
  void DoChange();
  TList list_;
};

// What the editor's search and replace needs from a search engine.
class TTxtEditSearchCustom : public TComponent {
  HV_CLASS(TTxtEditSearchCustom, TComponent)
 public:
  explicit TTxtEditSearchCustom(TComponent* AOwner) : TComponent(AOwner) {}

  virtual AnsiString GetPattern() = 0;
  virtual void SetPattern(const AnsiString& Value) = 0;
  // Length and 1-based start of match Index of the last FindAll.
  virtual int GetLength(int Index) = 0;
  virtual int GetResult(int Index) = 0;
  virtual int GetResultCount() = 0;
  virtual void SetOptions(TSearchReplaceOptions Value) = 0;
  // Finds every match in one line, replacing the previous results; returns their count.
  virtual int FindAll(const AnsiString& NewText) = 0;
  // The text that replaces the match Found.
  virtual AnsiString Replace(const AnsiString& AFound, const AnsiString& AReplace) = 0;
  // FindAll over text that is not a string of its own (a line of the buffer); an engine that
  // can search it where it lies saves the copy.
  virtual int FindAllIn(std::string_view Text) { return FindAll(AnsiString(Text)); }
};
