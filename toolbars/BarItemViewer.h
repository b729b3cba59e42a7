// Item viewers: the on-screen instance of one item inside one view. A viewer measures the item,
// paints it in the plain look, answers hit tests and turns mouse input into selection, sub-menu
// opening and clicks through its view.
#pragma once

#include "framework/Graphics.h"
#include "framework/ShortCuts.h"
#include "toolbars/BarItem.h"

class TBarView;

// Accessibility roles a viewer reports.
constexpr int ROLE_BAR_CLIENT = 10;
constexpr int ROLE_BAR_MENUITEM = 12;
constexpr int ROLE_BAR_SEPARATOR = 21;
constexpr int ROLE_BAR_PUSHBUTTON = 43;
constexpr int ROLE_BAR_BUTTONMENU = 57;

// Width of the arrow part of a split button on a toolbar.
constexpr int BarSplitArrowWidth = 11;
// Width a drop-down arrow adds to a toolbar button.
constexpr int BarDropdownArrowWidth = 8;

// Tells an accessibility object that the view or viewer it speaks for is gone (set by the
// accessibility unit once it hands out objects).
extern void (*BarAccObjectOrphaned)(void* AccObject);

class TBarItemViewer : public TObject {
  HV_CLASS(TBarItemViewer, TObject)
 public:
  TBarItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel);
  ~TBarItemViewer() override;

  const TRect& BoundsRect() const { return boundsRect_; }
  bool Clipped() const { return clipped_; }
  int GroupLevel() const { return groupLevel_; }
  TBarCustomItem* Item() const { return item_; }
  bool OffEdge() const { return offEdge_; }
  bool Show() const { return show_; }
  TBarView* View() const { return view_; }
  // Bit 0: paint through an off-screen bitmap next time; bit 1: a separator across wrapped rows.
  unsigned DrawFlags() const { return drawFlags_; }

  // ---- virtual operations ----
  virtual void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight);
  virtual bool DoExecute();
  virtual void PaintCaption(TCanvas* Canvas, const TRect& ARect, const WideString& ACaption, bool ADrawDisabledShadow,
                            UINT AFormat);
  virtual void Entering();
  virtual int GetAccRole();
  virtual WideString CaptionBeforeTab();
  virtual void CursorAt(const TPoint& P, HCURSOR& ACursor);
  virtual bool IsToolbarSize();
  virtual bool InButtonPart(int X, int Y);
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void Leaving();
  virtual void Invalidate();
  virtual void MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu);
  virtual void MouseMove(int X, int Y);
  virtual void MouseUp(int X, int Y, bool MouseWasDownOnMenu);
  virtual void WheelOverViewer(bool& Handled, int WheelDelta);
  virtual void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                     bool UseDisabledShadow);
  virtual bool SharesWidth();
  virtual bool IsToolbarStyle();

  // ---- queries ----
  WideString GetHintText();
  bool CaptionShown();
  bool ImageVisible();
  TCustomImageList* GetImageList();
  bool IsRotated();
  void Execute(bool AGivePriority);
  TPoint PointInViewer(const TPoint& P);
  bool ReachableForAccessibility() const { return show_ || clipped_ || offEdge_; }
  // Raises the accessibility focus (or selection) event of this viewer.
  void QueueAccFocus(bool Focused);
  // The accessibility object that speaks for this viewer while a client holds it.
  void* AccObject = nullptr;

 protected:
  // The width of the check and image column of a menu item of this height.
  int MenuColumnWidth(int AHeight);
  // The menu arrow glyph with its top-right corner at (Right, Top), in a colour.
  static void DrawMenuArrow(TCanvas* Canvas, int Right, int Top, TColor Color);
  void PaintMenu(TCanvas* Canvas, const TRect& R, bool IsSelected, bool UseDisabledShadow);
  void PaintToolbar(TCanvas* Canvas, const TRect& R, bool IsSelected, bool IsPushed, bool UseDisabledShadow);
  void PaintCheck(TCanvas* Canvas, const TRect& Column, bool Shifted);
  UINT CaptionFormat();

 private:
  friend class TBarView;
  TRect boundsRect_;
  bool clipped_ = false;
  int groupLevel_;
  TBarCustomItem* item_;
  bool offEdge_ = false;
  bool show_ = false;
  TBarView* view_;
  unsigned drawFlags_ = 0;
};

class TBarSeparatorItemViewer : public TBarItemViewer {
  HV_CLASS(TBarSeparatorItemViewer, TBarItemViewer)
 public:
  using TBarItemViewer::TBarItemViewer;
  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool SharesWidth() override { return false; }
};

// Fills a rectangle with the dithered pattern of button-face and highlight pixels that marks a
// checked button.
void FillDitheredRect(HDC DC, const TRect& R);
