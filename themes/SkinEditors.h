// Skinned combo box, list box and check list box: the Unicode controls with a themed frame, hot
// tracking and owner-drawn, themed item backgrounds.
#pragma once

#include <memory>

#include "controls/UcStdCtrls.h"
#include "framework/Timer.h"
#include "themes/SkinPainters.h"
#include "themes/SkinText.h"
#include "themes/SkinToolbar.h"

class TSkinComboBox : public TUcComboBox {
  HV_CLASS(TSkinComboBox, TUcComboBox)
 public:
  explicit TSkinComboBox(TComponent* AOwner);
  ~TSkinComboBox() override;

  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);
  TSkinThemeType ThemeType() const { return themeType_; }
  void SetThemeType(TSkinThemeType Value);
  // Set by the mouse coming in or the focus coming here; cleared by the mouse leaving or the
  // focus going. With HotTrack the themed frame is hot while it is set or the focus is here.
  bool MouseInside() const { return mouseInside_; }
  bool OverButton() const { return overButton_; }
  // The width of the drop-down button at the right end (none for the simple style).
  int ButtonWidth() const;

  TSkinDrawEvent OnDrawBackground;

 protected:
  virtual void DoDrawBackground(TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault);
  // The frame and button, painted over what the system drew.
  void PaintFrame();
  // Whether the mouse is still over the window; the hover timer asks it.
  virtual bool CursorOverWindow();
  void Dispatch(TMessage& Message) override;

 private:
  void SetInside(bool Value);
  void HoverTick(TObject* Sender);
  // Starts the timer that notices the mouse leaving.
  void WatchHover();
  void StopTimer();
  void RepaintFrame();

  bool hotTrack_ = true;
  bool mouseInside_ = false;
  bool overButton_ = false;
  TSkinThemeType themeType_ = thtUi;
  std::unique_ptr<TTimer> hoverTimer_;
};

// What the skinned list box and check list box share: the hot state, owner drawing, and the
// themed frame.
template <class Base>
class TSkinListBase : public Base {
 public:
  explicit TSkinListBase(TComponent* AOwner);
  ~TSkinListBase() override;

  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool Value);
  TSkinThemeType ThemeType() const { return themeType_; }
  void SetThemeType(TSkinThemeType Value);
  bool Hot() const { return hot_; }

  TDrawItemEvent OnDrawItemBackground;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  virtual void DrawItemBackground(int Index, const TRect& Rect, TOwnerDrawState State);
  // How far the text starts from the reading side: past the check box width in a check list
  // (a header's text too, in line with the others).
  virtual int TextIndent(int Index) {
    (void)Index;
    return 0;
  }
  void SetHot(bool Value);
  void RedrawWithFrame();

 private:
  void OwnerDraw(TMessage& Message);
  void PaintBorder();

  bool hot_ = false;
  bool hotTrack_ = true;
  TSkinThemeType themeType_ = thtUi;
};

class TSkinListBox : public TSkinListBase<TUcListBox> {
  HV_CLASS(TSkinListBox, TUcListBox)
 public:
  explicit TSkinListBox(TComponent* AOwner) : TSkinListBase<TUcListBox>(AOwner) {}
};

class TSkinCheckListBox : public TSkinListBase<TUcCheckListBox> {
  HV_CLASS(TSkinCheckListBox, TUcCheckListBox)
 public:
  explicit TSkinCheckListBox(TComponent* AOwner) : TSkinListBase<TUcCheckListBox>(AOwner) {}

 protected:
  void DrawItemBackground(int Index, const TRect& Rect, TOwnerDrawState State) override;
  int TextIndent(int Index) override;
};
