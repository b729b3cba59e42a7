// The stand-alone skinned controls the dialogs are built from: panel, group box, label, check
// box and push button. Each paints itself in its skin type: classic system drawing, visual
// styles, or the current theme.
#pragma once

#include <memory>

#include <functional>

#include "framework/Alignment.h"
#include "framework/CustomControls.h"
#include "framework/ImageList.h"
#include "framework/StdCtrls.h"
#include "framework/Timer.h"
#include "controls/UcActnList.h"
#include "themes/SkinItem.h"
#include "themes/SkinPainters.h"
#include "themes/SkinText.h"
#include "themes/SkinToolbar.h"
#include "themes/UiDkPanels.h"

class TPopupMenu;

// The small item info a skinned control hands the theme for its frame or button.
TUiItemInfo SkinControlItemInfo(bool Enabled, bool Hot, bool Pushed);

HV_ENUM(TSkinPanelBorder, pbrRaised, pbrDoubleRaised, pbrSunken, pbrDoubleSunken, pbrBumped, pbrEtched, pbrFramed)

// Sent by a panel that repaints to its children that are not panels, with their bounds
// (LParam a TRect*), so that transparent children redraw what lies behind them.
constexpr UINT UM_SKINPARENTREPAINT = 48389;
// Broadcast to a parent's controls when a button control of a group becomes checked: WParam the
// group index, LParam the button.
constexpr UINT UM_SKINGROUPCHECK = 47278;

class TSkinCustomPanel : public TCustomControl {
  HV_CLASS(TSkinCustomPanel, TCustomControl)
 public:
  explicit TSkinCustomPanel(TComponent* AOwner);
  ~TSkinCustomPanel() override;

  bool Borders() const { return borders_; }
  void SetBorders(bool Value);
  TSkinPanelBorder BorderType() const { return borderType_; }
  void SetBorderType(TSkinPanelBorder Value);
  TUiControlMargins* Margins() const { return margins_.get(); }
  void SetMargins(TUiControlMargins* Value) { margins_->Assign(Value); }
  bool UiStyleBackground() const { return uiStyleBackground_; }
  void SetUiStyleBackground(bool Value);
  TSkinThemeType ThemeType() const { return themeType_; }
  void SetThemeType(TSkinThemeType Value);
  // Hot: the mouse is over the panel or the focus is on one of its children (HotTrack only).
  bool Hot() const { return hot_; }

  TSkinDrawEvent OnDrawBackground;

 protected:
  virtual void DoDrawBackground(TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault);
  // The border and background of the skin type in ARect (the group box passes its frame and
  // the etched border).
  void DrawBackground(TCanvas* ACanvas, const TRect& ARect, TSkinPanelBorder Border);
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
  // Repaints the panel and its children.
  void RepaintWithChildren();
  bool hotTrack_ = false;

 private:
  void MarginsChanged(TObject* Sender);
  // Hot only with HotTrack and outside the visual-styles skin.
  void SetHot(bool Value);
  bool ChildFocused() const;

  bool borders_ = true;
  TSkinPanelBorder borderType_ = pbrEtched;
  std::unique_ptr<TUiControlMargins> margins_;
  bool uiStyleBackground_ = false;
  TSkinThemeType themeType_ = thtUi;
  bool hot_ = false;
};

class TSkinPanel : public TSkinCustomPanel {
  HV_CLASS(TSkinPanel, TSkinCustomPanel)
 public:
  explicit TSkinPanel(TComponent* AOwner) : TSkinCustomPanel(AOwner) {}
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);
};

class TSkinCustomGroupBox : public TSkinCustomPanel {
  HV_CLASS(TSkinCustomGroupBox, TSkinCustomPanel)
 public:
  explicit TSkinCustomGroupBox(TComponent* AOwner);
  // Where the caption goes: 8 pixels in from the left, as high as the caption's text.
  TRect CaptionRect();

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
};

class TSkinGroupBox : public TSkinCustomGroupBox {
  HV_CLASS(TSkinGroupBox, TSkinCustomGroupBox)
 public:
  explicit TSkinGroupBox(TComponent* AOwner) : TSkinCustomGroupBox(AOwner) {}
};

using TSkinGetImageIndexEvent = TEvent<void(TObject* Sender, TCustomImageList*& AImageList, int& AImageIndex)>;

// How a link is opened: the shell's "open" verb on the file or address with its parameters
// (tests put their own in its place).
using TSkinShellOpen = std::function<void(const WideString& File, const WideString& Parameters)>;
TSkinShellOpen& SkinShellOpen();

// The base of label, check box and button: a caption with an optional image, glow and link,
// painted in the control's skin type, with keyboard and mouse pressing.
class TSkinTextObject : public TUiTextObject {
  HV_CLASS(TSkinTextObject, TUiTextObject)
 public:
  explicit TSkinTextObject(TComponent* AOwner);
  ~TSkinTextObject() override;

  TSpGlowDirection CaptionGlow() const { return captionGlow_; }
  void SetCaptionGlow(TSpGlowDirection Value);
  TColor CaptionGlowColor() const { return captionGlowColor_; }
  void SetCaptionGlowColor(TColor Value);
  bool DrawPushedCaption() const { return drawPushedCaption_; }
  void SetDrawPushedCaption(bool Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TSkinThemeType ThemeType() const { return themeType_; }
  void SetThemeType(TSkinThemeType Value);
  const WideString& LinkText() const { return linkText_; }
  void SetLinkText(const WideString& Value);
  const WideString& LinkTextParams() const { return linkTextParams_; }
  void SetLinkTextParams(const WideString& Value) { linkTextParams_ = Value; }
  TFont* LinkFont() const { return linkFont_.get(); }
  void SetLinkFont(TFont* Value) { linkFont_->Assign(Value); }
  bool Checked() const { return GetChecked(); }
  void SetChecked(bool Value) { DoSetChecked(Value); }

  // What the user sees of the control's state.
  bool MouseInside() const { return mouseInside_; }
  // The caption's DrawText flags.
  UINT CaptionFormat() const;
  // Where caption and image go in the client area (what painting and the size use).
  void CalcLayout(TCanvas* Canvas, TRect& ImageRect, TRect& CaptionRect);
  void AdjustBounds() override;

  TSkinDrawEvent OnDraw;
  TSkinDrawTextEvent OnDrawCaption;
  // Draws on the hint's bitmap (text already on it); clearing PaintDefault shows that bitmap.
  TSkinDrawHintEvent OnDrawHint;
  TSkinGetImageIndexEvent OnGetImageIndex;

 protected:
  virtual bool GetChecked() const { return checked_; }
  virtual void DoSetChecked(bool Value);
  // The area inside the control's own frame where caption and image are laid out.
  virtual TRect GetTextRect();
  // The control's background and frame (nothing here: the parent shows through).
  virtual void PaintBackground(TCanvas* ACanvas, const TRect& ARect);
  virtual TColor CaptionColor();
  // The image to lay out: the check box gives its glyph.
  virtual void GetImage(TCustomImageList*& AImageList, int& AImageIndex);
  // Extra size of the automatic size.
  virtual TSize AutoSizeExtra() { return {0, 0}; }
  void Paint() override;
  void Click() override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMHintShow(TMessage& Message) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  // The accelerator of the caption was typed (Alt+letter): true when taken.
  virtual bool DialogChar(wchar_t Key);

 private:
  void ImagesChanged(TObject* Sender);
  void PaintCaption(TCanvas* ACanvas);

  TSpGlowDirection captionGlow_ = gldNone;
  TColor captionGlowColor_ = TColor(65535);
  bool checked_ = false;
  bool drawPushedCaption_ = false;
  int imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  TSkinThemeType themeType_ = thtUi;
  WideString linkText_;
  WideString linkTextParams_;
  std::unique_ptr<TFont> linkFont_;
  bool mouseInside_ = false;
};

// The link of a text object with an action: Unicode caption and hint, checked state, image.
class TSkinTextObjectActionLink : public TUcControlActionLink {
  HV_CLASS(TSkinTextObjectActionLink, TUcControlActionLink)
 public:
  explicit TSkinTextObjectActionLink(TSkinTextObject* AClient) : TUcControlActionLink(AClient), object_(AClient) {}
  bool IsCheckedLinked() override;
  bool IsImageIndexLinked() override;
  void SetChecked(bool Value) override;
  void SetImageIndex(int Value) override;

 private:
  TSkinTextObject* object_;
};

class TSkinCustomLabel : public TSkinTextObject {
  HV_CLASS(TSkinCustomLabel, TSkinTextObject)
 public:
  explicit TSkinCustomLabel(TComponent* AOwner);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  bool Underline() const { return underline_; }
  void SetUnderline(bool Value);
  TColor UnderlineColor() const { return underlineColor_; }
  void SetUnderlineColor(TColor Value);

 protected:
  void PaintBackground(TCanvas* ACanvas, const TRect& ARect) override;
  TSize AutoSizeExtra() override { return {0, underline_ ? 1 : 0}; }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  bool DialogChar(wchar_t Key) override;

 private:
  TWinControl* focusControl_ = nullptr;
  bool underline_ = false;
  TColor underlineColor_ = clBtnShadow;
};

class TSkinLabel : public TSkinCustomLabel {
  HV_CLASS(TSkinLabel, TSkinCustomLabel)
 public:
  explicit TSkinLabel(TComponent* AOwner) : TSkinCustomLabel(AOwner) {}
};

// A text object that may act as a radio button among the controls of its class and group on
// the same parent.
class TSkinButtonControl : public TSkinTextObject {
  HV_CLASS(TSkinButtonControl, TSkinTextObject)
 public:
  explicit TSkinButtonControl(TComponent* AOwner);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);

 protected:
  void DoSetChecked(bool Value) override;
  void Dispatch(TMessage& Message) override;
  // Unchecks the others of the group when this one is checked.
  void GroupChecked();

 private:
  int groupIndex_ = 0;
};

class TSkinCustomCheckBox : public TSkinButtonControl {
  HV_CLASS(TSkinCustomCheckBox, TSkinButtonControl)
 public:
  explicit TSkinCustomCheckBox(TComponent* AOwner);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);

 protected:
  bool GetChecked() const override { return state_ == cbChecked; }
  void DoSetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  void GetImage(TCustomImageList*& AImageList, int& AImageIndex) override;
  TSize AutoSizeExtra() override { return {1, 2}; }
  void Click() override;

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  bool settingState_ = false;
};

class TSkinCheckBox : public TSkinCustomCheckBox {
  HV_CLASS(TSkinCheckBox, TSkinCustomCheckBox)
 public:
  explicit TSkinCheckBox(TComponent* AOwner) : TSkinCustomCheckBox(AOwner) {}
};

class TSkinCustomButton : public TSkinButtonControl {
  HV_CLASS(TSkinCustomButton, TSkinButtonControl)
 public:
  explicit TSkinCustomButton(TComponent* AOwner);
  ~TSkinCustomButton() override;

  // A strip of four frames: normal, hot, pushed or checked, disabled.
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(TBitmap* Value);
  bool BitmapTransparent() const { return bitmapTransparent_; }
  void SetBitmapTransparent(bool Value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool DropDownArrow() const { return dropDownArrow_; }
  void SetDropDownArrow(bool Value);
  TPopupMenu* DropDownMenu() const { return dropDownMenu_; }
  void SetDropDownMenu(TPopupMenu* Value);
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int Value) { modalResult_ = Value; }
  bool Repeating() const { return repeating_; }
  void SetRepeating(bool Value) { repeating_ = Value; }
  // The frame of the strip painted now (-1: no usable strip).
  int BitmapFrame() const;
  bool DroppedDown() const { return droppedDown_; }

 protected:
  TRect GetTextRect() override;
  void PaintBackground(TCanvas* ACanvas, const TRect& ARect) override;
  TColor CaptionColor() override;
  void Click() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Pops the drop-down menu up below the button and waits until it closes.
  virtual void DropDown();
  // The repeat clock: started at 400 ms, then every 100 ms; each tick clicks while pushed.
  virtual void StartRepeatTimer(UINT Interval);
  virtual void StopRepeatTimer();
  void RepeatTick(TObject* Sender);

 private:
  void BitmapChanged(TObject* Sender);

  std::unique_ptr<TBitmap> bitmap_;
  bool bitmapTransparent_ = true;
  bool cancel_ = false;
  bool default_ = false;
  bool dropDownArrow_ = true;
  TPopupMenu* dropDownMenu_ = nullptr;
  int modalResult_ = 0;
  bool repeating_ = false;
  std::unique_ptr<TTimer> repeatTimer_;
  bool droppedDown_ = false;
};

class TSkinButton : public TSkinCustomButton {
  HV_CLASS(TSkinButton, TSkinCustomButton)
 public:
  explicit TSkinButton(TComponent* AOwner) : TSkinCustomButton(AOwner) {}
};
