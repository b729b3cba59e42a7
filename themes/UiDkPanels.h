// Control margins, the dock of dockable panels, and the bases of the themed panel-like
// controls: hover and press tracking, the parent's background, captions with alignment,
// wrapping, margins and automatic size; and the position arithmetic of a page scroller.
#pragma once

#include <memory>

#include "framework/Alignment.h"
#include "framework/CustomControls.h"
#include "themes/UiItems.h"
#include "themes/UiTextWrapping.h"

class TUiControlMargins : public TPersistent {
  HV_CLASS(TUiControlMargins, TPersistent)
 public:
  TUiControlMargins() = default;
  explicit TUiControlMargins(const TNotifyEvent& AOnChange) : OnChange(AOnChange) {}
  int Left() const { return left_; }
  void SetLeft(int Value) { setField(left_, Value); }
  int Top() const { return top_; }
  void SetTop(int Value) { setField(top_, Value); }
  int Right() const { return right_; }
  void SetRight(int Value) { setField(right_, Value); }
  int Bottom() const { return bottom_; }
  void SetBottom(int Value) { setField(bottom_, Value); }
  void Assign(TPersistent* Source) override;

  // The owner callback: every change.
  TNotifyEvent OnChange;

 private:
  void setField(int& Field, int Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }
  void Changed();
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
};

extern const char* const SUiMultiDockCannotInsert;  // "Cannot insert %s into TUiMultiDock"

// A dock for dockable panels. No panel class exists in this program, so every control offered
// to it is refused.
class TUiMultiDock : public TBarDock {
  HV_CLASS(TUiMultiDock, TBarDock)
 public:
  explicit TUiMultiDock(TComponent* AOwner);
  // Whether a control may be a child: only dockable panels may.
  virtual bool AcceptsChild(TControl* AControl);

 protected:
  void WndProc(TMessage& Message) override;
  // While designing, a hatched frame shows where the empty dock is.
  void Paint() override;
};

// The base of themed panel-like controls: hover tracking with a timer shared by all of them,
// Space press, and the parent's background behind a control without a colour of its own.
class TUiPanelObject : public TCustomControl {
  HV_CLASS(TUiPanelObject, TCustomControl)
 public:
  explicit TUiPanelObject(TComponent* AOwner);
  ~TUiPanelObject() override;

  bool MouseInControl() const { return mouseIn_; }
  bool Pushed() const { return pushed_; }
  bool PushOnSpace() const { return pushOnSpace_; }
  void SetPushOnSpace(bool Value) { pushOnSpace_ = Value; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // The control under the mouse, asked at each move and tick (tests put their own; null: the
  // framework's search at the cursor again).
  using TControlAtCursorProc = TControl* (*)();
  static TControlAtCursorProc SetControlAtCursorProc(TControlAtCursorProc Proc);
  // One tick of the shared hover timer.
  static void HoverTick();
  // The panel object the mouse is over, and whether the shared timer runs.
  static TUiPanelObject* HoverControl();
  static bool HoverTimerRunning();
  static int LiveCount();

  void WndProc(TMessage& Message) override;

 protected:
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void WMCaptureChanged(TMessage& Message) override;
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  void SetPushed(bool Value);
  // Hover begins here; the previous hover control gets its leave first.
  void BeginHover();
  void EndHover();

 private:
  bool mouseIn_ = false;
  bool pushed_ = false;
  bool pushOnSpace_ = false;
};

// A panel object that shows its caption.
class TUiTextObject : public TUiPanelObject {
  HV_CLASS(TUiTextObject, TUiPanelObject)
 public:
  explicit TUiTextObject(TComponent* AOwner);
  ~TUiTextObject() override;

  TUiControlMargins* Margins() const { return margins_.get(); }
  void SetMargins(TUiControlMargins* Value) { margins_->Assign(Value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TTextWrapping Wrapping() const { return wrapping_; }
  void SetWrapping(TTextWrapping Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  // Right-to-left reading swaps left and right alignment.
  bool RightToLeftReading() const { return rightToLeft_; }
  void SetRightToLeftReading(bool Value);

  // Extra space around the text besides Margins.
  virtual TRect GetTextMargins();
  virtual void DoDrawText(TCanvas* Canvas, TRect& ARect, UINT Flags);
  virtual void AdjustBounds();
  virtual WideString GetCaptionText();
  // Where the caption is drawn inside the client area.
  virtual TRect GetCaptionRect();
  // Called before (0) and after (1) the caption is drawn.
  virtual void PaintStage(TCanvas* Canvas, int Stage);

  // The text flags from alignment, wrapping and the accelerator setting.
  UINT TextFlags();
  // The size the caption needs with the margins.
  TSize MeasureCaption();

 protected:
  void Paint() override;
  void Loaded() override;
  void WMEraseBkgnd(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

 private:
  void MarginsChanged(TObject* Sender);
  std::unique_ptr<TUiControlMargins> margins_;
  TAlignment alignment_ = taLeftJustify;
  TTextWrapping wrapping_ = twNone;
  bool showAccelChar_ = true;
  bool autoSize_ = true;
  bool rightToLeft_ = false;
  bool adjusting_ = false;
};

// ---- the page scroller's positions ----

struct TUiPageScrollButtons {
  bool Back = false;
  bool Forward = false;
  bool operator==(const TUiPageScrollButtons&) const = default;
};

// How far the contents can scroll (never below 0).
int PageScrollRange(int TotalSize, int VisibleSize);
int ClampPageScrollPosition(int Position, int TotalSize, int VisibleSize);
// How far the children move when the position goes from OldPosition to NewPosition: a non-zero
// position also makes room for the back button.
int PageScrollChildDelta(int OldPosition, int NewPosition, int ButtonSize);
// The buttons shown; none while the visible size is three buttons or less.
TUiPageScrollButtons PageScrollButtonsShown(int Position, int TotalSize, int VisibleSize, int ButtonSize);
// The position that shows a child: unchanged when it fits, else centred on it.
int PageScrollPositionFor(int ChildStart, int ChildSize, int Position, int TotalSize, int VisibleSize);
