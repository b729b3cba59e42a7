// The themed status bar: a row of panels laid out by their sizes and priorities, painted by the
// current theme, with images, drop-down arrows, hosted controls, button-like panels and a size
// grip.
#pragma once

#include <memory>
#include <vector>

#include "framework/Alignment.h"
#include "framework/CustomControls.h"
#include "framework/ImageList.h"
#include "framework/Lists.h"
#include "themes/UiItems.h"
#include "themes/UiTextWrapping.h"
#include "themes/UiThemes.h"

class TUiCustomStatusBar;
class TUiStatusPanels;

using TTextTruncation = TTextWrapping;

class TUiStatusPanel : public TCollectionItem {
  HV_CLASS(TUiStatusPanel, TCollectionItem)
 public:
  explicit TUiStatusPanel(TCollection* Collection);
  ~TUiStatusPanel() override;
  void Assign(TPersistent* Source) override;
  std::string GetDisplayName() override;

  bool AsToolbarButton() const { return asToolbarButton_; }
  void SetAsToolbarButton(bool Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& Value);
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  bool DropDownArrow() const { return dropDownArrow_; }
  void SetDropDownArrow(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Framed() const { return framed_; }
  void SetFramed(bool Value);
  TFontSettings* FontSettings() const { return fontSettings_.get(); }
  void SetFontSettings(TFontSettings* Value) { fontSettings_->Assign(Value); }
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value) { hint_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  int MaxSize() const { return maxSize_; }
  void SetMaxSize(int Value);
  int Size() const { return size_; }
  void SetSize(int Value);
  int StretchPriority() const { return stretchPriority_; }
  void SetStretchPriority(int Value);
  int Tag() const { return tag_; }
  void SetTag(int Value) { tag_ = Value; }
  TTextTruncation TextTruncation() const { return textTruncation_; }
  void SetTextTruncation(TTextTruncation Value);
  int ViewPriority() const { return viewPriority_; }
  void SetViewPriority(int Value);

  // The layout's results.
  bool Hot() const { return hot_; }
  bool Pushed() const { return pushed_; }
  const TRect& Rect() const { return rect_; }
  int Width() const { return width_; }
  bool Showing() const { return visible_; }
  // Ends exactly at the bar's right edge.
  bool IsLast() const { return last_; }

  TUiCustomStatusBar* StatusBar() const;

 private:
  friend class TUiCustomStatusBar;
  friend void LayoutStatusPanels(TUiStatusPanels* Panels, const TRect& Content);
  // A change that only needs a repaint, or one that needs a new layout.
  void Repaint();
  void Relayout();
  void FontSettingsChanged(TObject* Sender);

  bool hot_ = false;
  bool pushed_ = false;
  bool dropDownArrow_ = false;
  bool asToolbarButton_ = false;
  TAlignment alignment_ = taLeftJustify;
  WideString caption_;
  TControl* control_ = nullptr;
  bool enabled_ = true;
  bool framed_ = true;
  std::unique_ptr<TFontSettings> fontSettings_;
  WideString hint_;
  int imageIndex_ = -1;
  int maxSize_ = 0;
  int size_ = 50;
  int stretchPriority_ = 0;
  int tag_ = 0;
  TTextTruncation textTruncation_ = twNone;
  int viewPriority_ = 100;
  TRect rect_;
  int width_ = 0;
  bool visible_ = false;
  bool last_ = false;
};

class TUiStatusPanels : public TCollection {
  HV_CLASS(TUiStatusPanels, TCollection)
 public:
  explicit TUiStatusPanels(TUiCustomStatusBar* AOwner);
  TUiStatusPanel* Items(int Index) const { return static_cast<TUiStatusPanel*>(TCollection::Items(Index)); }
  TUiStatusPanel* Add() { return static_cast<TUiStatusPanel*>(TCollection::Add()); }
  TUiCustomStatusBar* StatusBar() const { return owner_; }

 protected:
  TPersistent* GetOwner() override;
  void Update(TCollectionItem* Item) override;

 private:
  TUiCustomStatusBar* owner_;
};

// Lays the panels out in Content (the bar's client area less its top two pixels): hides the
// lowest view priorities while they do not fit, gives spare width by stretch priority, and
// places the panels left to right. Equal priorities keep the panels' order.
void LayoutStatusPanels(TUiStatusPanels* Panels, const TRect& Content);

using TSBAdjustContentRect = TEvent<void(TObject* Sender, TUiStatusPanel* Panel, TRect& ARect)>;
using TSBAdjustFontEvent = TEvent<void(TObject* Sender, TUiStatusPanel* Panel, TFont* Font)>;
using TSBPanelEvent = TEvent<void(TObject* Sender, TUiStatusPanel* Panel)>;

class TUiCustomStatusBar : public TCustomControl {
  HV_CLASS(TUiCustomStatusBar, TCustomControl)
 public:
  explicit TUiCustomStatusBar(TComponent* AOwner);
  ~TUiCustomStatusBar() override;

  TUiStatusPanels* Panels() const { return panels_.get(); }
  void SetPanels(TUiStatusPanels* Value) { panels_->Assign(Value); }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool Value);
  const WideString& SimpleText() const { return simpleText_; }
  void SetSimpleText(const WideString& Value);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool Value);
  bool UseSystemFont() const { return useSystemFont_; }
  void SetUseSystemFont(bool Value);
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool Value) { fixAlign_ = Value; }

  // The first shown panel whose rectangle holds the client point, or null.
  TUiStatusPanel* GetPanelAt(int X, int Y) const;
  // The size grip's rectangle while it is shown (the form in its normal state and the bar in
  // its bottom-right corner), else an empty one.
  TRect SizeGripRect();
  // The margins the theme keeps inside a framed panel.
  const TUiMargins& PanelMargins() const { return margins_; }
  // The text the bar shows, also its window text: the simple text, or the captions of the
  // panels separated by tabs.
  WideString ShownText() const;

  // Lays the panels out again (nothing without panels).
  virtual void UpdatePanels();
  // Invalidates, lays out, and places the hosted controls.
  virtual void RealignPanels();

  TSBAdjustContentRect OnAdjustContentRect;
  TSBAdjustFontEvent OnAdjustFont;
  TSBPanelEvent OnPanelClick;
  TSBPanelEvent OnPanelDblClick;

 protected:
  friend class TUiStatusPanel;
  virtual void DoAdjustContentRect(TUiStatusPanel* Panel, TRect& Rect);
  virtual void DoAdjustFont(TUiStatusPanel* Panel, TFont* Font);
  virtual void DoPanelClick(TUiStatusPanel* Panel);
  virtual void DoPanelDblClick(TUiStatusPanel* Panel);
  virtual void DrawPanel(const TRect& Rect, TUiStatusPanel* Panel, bool IsLast);

  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void Resize() override;
  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void CMControlChange(TMessage& Message) override;
  void CMHintShow(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMVisibleChanged(TMessage& Message) override;

 private:
  void ImagesChanged(TObject* Sender);
  void FetchMargins();
  void PanelDestroying(TUiStatusPanel* Panel);
  void ReleaseControl(TControl* Control);
  TUiStatusPanel* PanelOf(TControl* Control) const;
  TUiStatusPanel* PanelUnderCursor();
  void SetHotPanel(TUiStatusPanel* Panel, bool Pushed);
  TFont* DrawingFont();

  std::unique_ptr<TUiStatusPanels> panels_;
  TCustomImageList* images_ = nullptr;
  bool simplePanel_ = false;
  WideString simpleText_;
  bool sizeGrip_ = true;
  bool useSystemFont_ = false;
  TUiMargins margins_;
  bool fixAlign_ = false;
  bool assigningControl_ = false;
};

class TUiStatusBar : public TUiCustomStatusBar {
  HV_CLASS(TUiStatusBar, TUiCustomStatusBar)
 public:
  explicit TUiStatusBar(TComponent* AOwner) : TUiCustomStatusBar(AOwner) {}
};

// The system's status-bar font, shared by every bar that asks for it.
TFont* StatusBarSystemFont();
