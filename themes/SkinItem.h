// The Unicode skinned items every menu, toolbar and tab of the program is made of: caption and
// hint, alignment, wrapping and glow, fixed sizes, a linked control and four owner-draw events;
// their viewer, which measures and paints them through the current theme; the label, spacer and
// separator items; and the bitmap hint the viewers show.
#pragma once

#include "framework/HintWindow.h"
#include "themes/SkinPainters.h"
#include "themes/SkinText.h"
#include "themes/UiItems.h"

class TBitmap;
class TSkinItemViewer;
struct THintInfo;

using TSkinDrawItemEvent = TEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, const TUiItemInfo& ItemInfo,
                                       TSkinPaintStage PaintStage, bool& PaintDefault)>;
using TSkinDrawTextEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, TRect ClientAreaRect, WideString& ACaption, TRect& CaptionRect,
                Cardinal& CaptionFormat, bool IsTextRotated, TSkinPaintStage PaintStage, bool& PaintDefault)>;
using TSkinDrawImageEvent =
    TEvent<void(TObject* Sender, TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault)>;
using TSkinDrawHintEvent = TEvent<void(TObject* Sender, TBitmap* AHintBitmap, WideString& AHint, bool& PaintDefault)>;
using TSkinClosePopupEvent = TEvent<void(TObject* Sender, TBarCustomItem* ClickedItem)>;

// Item-style bit 7, set by sub-menu items.
constexpr TBarItemStyle tbisSubmenuItem = 1 << 7;

class TSkinCustomItem : public TUiCustomItem {
  HV_CLASS(TSkinCustomItem, TUiCustomItem)
 public:
  explicit TSkinCustomItem(TComponent* AOwner);

  // The Unicode caption: "&" marks the accelerator, a tab starts a shortcut text.
  const WideString& Caption() const { return wideCaption_; }
  void SetCaption(const WideString& Value);
  const WideString& Hint() const { return wideHint_; }
  void SetHint(const WideString& Value);
  TSpGlowDirection CaptionGlow() const { return captionGlow_; }
  void SetCaptionGlow(TSpGlowDirection Value);
  TColor CaptionGlowColor() const { return captionGlowColor_; }
  void SetCaptionGlowColor(TColor Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // Fixed length along the toolbar and thickness across it; -1 computes them.
  int CustomWidth() const { return customWidth_; }
  void SetCustomWidth(int Value);
  int CustomHeight() const { return customHeight_; }
  void SetCustomHeight(int Value);
  // Extra length added to the computed one.
  int Margins() const { return margins_; }
  void SetMargins(int Value);
  // A control whose visibility the item toggles and shows as its check.
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  bool Anchored() const { return anchored_; }
  void SetAnchored(bool Value) { anchored_ = Value; }
  bool ToolbarStylePopup() const { return toolbarStylePopup_; }
  void SetToolbarStylePopup(bool Value) { toolbarStylePopup_ = Value; }
  TTextWrapping Wrapping() const { return wrapping_; }
  void SetWrapping(TTextWrapping Value);

  TSkinClosePopupEvent OnClosePopup;
  TSkinDrawTextEvent OnDrawCaption;
  TSkinDrawHintEvent OnDrawHint;
  TSkinDrawItemEvent OnDrawItem;
  TSkinDrawImageEvent OnDrawImage;

  TBarItemViewerClass ViewerClass(TBarView* AView) override;
  TBarPopupWindowClass PopupWindowClass() override;
  void DoClick() override;
  void InitiateAction() override;
  void DefineProperties(TFiler* Filer) override;

  virtual bool DialogChar(Word CharCode);
  virtual void DoDrawAdjustFont(TFont* AFont, int State);
  virtual void DoDrawHint(TBitmap* AHintBitmap, WideString& AHint, bool& PaintDefault);
  virtual void DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                          bool& PaintDefault);
  virtual void DoDrawCaption(TCanvas* ACanvas, const TRect& ClientAreaRect, WideString& ACaption, TRect& CaptionRect,
                             Cardinal& CaptionFormat, bool IsTextRotated, TSkinPaintStage PaintStage,
                             bool& PaintDefault);
  virtual void DoDrawImage(TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                           TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault);
  virtual void ToggleControl();
  virtual void UpdateFromControl();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TBarCustomItemActionLink* CreateActionLink() override;

 private:
  WideString wideCaption_;
  TSpGlowDirection captionGlow_ = gldNone;
  TColor captionGlowColor_ = TColor(65535);
  WideString wideHint_;
  TAlignment alignment_ = taCenter;
  int customWidth_ = -1;
  int customHeight_ = -1;
  int margins_ = 0;
  TControl* control_ = nullptr;
  bool anchored_ = false;
  bool toolbarStylePopup_ = false;
  TTextWrapping wrapping_ = twWrap;
};

// Links an item to an action: a Unicode action's texts are compared and set as they are.
class TSkinCustomItemActionLink : public TBarCustomItemActionLink {
  HV_CLASS(TSkinCustomItemActionLink, TBarCustomItemActionLink)
 public:
  explicit TSkinCustomItemActionLink(TObject* AClient);
  TSkinCustomItem* SkinClient() const { return skinClient_; }
  bool IsCaptionLinked() override;
  bool IsHintLinked() override;
  void SetCaption(const WideString& Value) override;
  void SetHint(const WideString& Value) override;

 private:
  TSkinCustomItem* skinClient_;
};

// The starting values a skinned item class declares for its form files.
struct TSkinItemDefaults {
  TAlignment Alignment = taCenter;
  TTextWrapping Wrapping = twWrap;
  int Margins = 0;
};

// Publishes the skinned item properties Names chooses (Caption and Hint the Unicode ones), in
// the order form files list them.
template <class T>
void PublishSkinItemProperties(TPublisher<T>& p, std::string_view Names, const TSkinItemDefaults& Defaults = {}) {
  TItemPropertyChoice choice(Names);
  PublishUiItemProperties(p, choice);
  if (choice.Takes("Alignment")) p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(Defaults.Alignment);
  if (choice.Takes("CaptionGlow")) p.Prop("CaptionGlow", &T::CaptionGlow, &T::SetCaptionGlow).Default(gldNone);
  if (choice.Takes("CaptionGlowColor"))
    p.Prop("CaptionGlowColor", &T::CaptionGlowColor, &T::SetCaptionGlowColor).Default(TColor(65535));
  if (choice.Takes("CustomWidth")) p.Prop("CustomWidth", &T::CustomWidth, &T::SetCustomWidth).Default(-1);
  if (choice.Takes("CustomHeight")) p.Prop("CustomHeight", &T::CustomHeight, &T::SetCustomHeight).Default(-1);
  if (choice.Takes("OnDrawCaption")) p.Event("OnDrawCaption", &T::OnDrawCaption);
  if (choice.Takes("OnDrawHint")) p.Event("OnDrawHint", &T::OnDrawHint);
  if (choice.Takes("OnDrawItem")) p.Event("OnDrawItem", &T::OnDrawItem);
  if (choice.Takes("OnDrawImage")) p.Event("OnDrawImage", &T::OnDrawImage);
  if (choice.Takes("Wrapping")) p.Prop("Wrapping", &T::Wrapping, &T::SetWrapping).Default(Defaults.Wrapping);
  if (choice.Takes("Anchored")) p.Prop("Anchored", &T::Anchored, &T::SetAnchored).Default(false);
  if (choice.Takes("Control")) p.Prop("Control", &T::Control, &T::SetControl);
  if (choice.Takes("Margins")) p.Prop("Margins", &T::Margins, &T::SetMargins).Default(Defaults.Margins);
  if (choice.Takes("ToolbarStylePopup"))
    p.Prop("ToolbarStylePopup", &T::ToolbarStylePopup, &T::SetToolbarStylePopup).Default(false);
  if (choice.Takes("OnClosePopup")) p.Event("OnClosePopup", &T::OnClosePopup);
  choice.CheckAllTaken();
}

// What a command item publishes; the tab item publishes it too, with its own.
inline constexpr std::string_view SkinItemProperties =
    "Action AutoCheck Checked DisplayMode Enabled FontSettings GroupIndex HelpContext ImageIndex Images "
    "InheritOptions Layout MaskOptions MinHeight MinWidth Options RadioItem ShortCut Stretch Visible OnAdjustFont "
    "OnClick OnSelect Caption Hint Wrapping Alignment Anchored CaptionGlow CaptionGlowColor Control CustomWidth "
    "CustomHeight Margins OnDrawCaption OnDrawHint OnDrawItem OnDrawImage";

class TSkinItem : public TSkinCustomItem {
  HV_CLASS(TSkinItem, TSkinCustomItem)
 public:
  explicit TSkinItem(TComponent* AOwner) : TSkinCustomItem(AOwner) {}
};

// An item with a sub-menu; DropdownCombo makes it a split button.
class TSkinSubmenuItem : public TSkinItem {
  HV_CLASS(TSkinSubmenuItem, TSkinItem)
 public:
  explicit TSkinSubmenuItem(TComponent* AOwner);
  bool DropdownCombo() const { return (ItemStyle() & tbisSplitButton) != 0; }
  void SetDropdownCombo(bool Value);
};

// A caption that is not a button: clicks go through it, and its accelerator focuses Control.
class TSkinCustomLabelItem : public TSkinCustomItem {
  HV_CLASS(TSkinCustomLabelItem, TSkinCustomItem)
 public:
  explicit TSkinCustomLabelItem(TComponent* AOwner);
  TBarItemViewerClass ViewerClass(TBarView* AView) override;
  bool DialogChar(Word CharCode) override;
  void DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                  bool& PaintDefault) override;
  void ToggleControl() override {}
  void UpdateFromControl() override {}
};

class TSkinLabelItem : public TSkinCustomLabelItem {
  HV_CLASS(TSkinLabelItem, TSkinCustomLabelItem)
 public:
  explicit TSkinLabelItem(TComponent* AOwner) : TSkinCustomLabelItem(AOwner) {}
};

// Sized by its toolbar so that the items after it sit at the far end.
class TSkinRightAlignSpacerItem : public TSkinCustomLabelItem {
  HV_CLASS(TSkinRightAlignSpacerItem, TSkinCustomLabelItem)
 public:
  explicit TSkinRightAlignSpacerItem(TComponent* AOwner) : TSkinCustomLabelItem(AOwner) {}
};

class TSkinSeparatorItem : public TUiSeparatorItem {
  HV_CLASS(TSkinSeparatorItem, TUiSeparatorItem)
 public:
  explicit TSkinSeparatorItem(TComponent* AOwner) : TUiSeparatorItem(AOwner) {}
  TBarItemViewerClass ViewerClass(TBarView* AView) override;
};

class TSkinSeparatorItemViewer : public TUiSeparatorItemViewer {
  HV_CLASS(TSkinSeparatorItemViewer, TUiSeparatorItemViewer)
 public:
  using TUiSeparatorItemViewer::TUiSeparatorItemViewer;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
};

class TSkinItemViewer : public TUiItemViewer {
  HV_CLASS(TSkinItemViewer, TUiItemViewer)
 public:
  TSkinItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel);
  TSkinCustomItem* SkinItem() const;

  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  void Entering() override;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  void DrawItemImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void DoAdjustFont(TFont* AFont, int StateFlags) override;
  bool GetImageShown() override;
  bool IsCaptionShown() override;
  TPoint GetTextSize(TCanvas* Canvas, const WideString& Text, UINT Format) override;

  virtual void DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                          bool& PaintDefault);
  virtual void DoDrawCaption(TCanvas* ACanvas, const TRect& ClientAreaRect, WideString& ACaption, TRect& CaptionRect,
                             Cardinal& CaptionFormat, bool IsTextRotated, TSkinPaintStage PaintStage,
                             bool& PaintDefault);
  virtual void DoDrawImage(TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                           TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault);
  // The Unicode caption up to its first tab.
  virtual WideString GetWideCaptionText();
  // The text at the right of a menu item: the caption after its tab, else the shortcut's text.
  WideString GetShortCutText();
  // Whether the caption runs down the toolbar: a toolbar-style item of a vertical view that
  // leaves its layout to the view and does not put its image above the caption.
  bool CaptionDrawnRotated();
  // Fills the item record the theme and the draw events get (the canvas measures the image
  // column of menus).
  void FillItemInfo(TCanvas* Canvas, TUiItemInfo& ItemInfo);
  // Prepares the hint shown for the viewer (the hint-show message of its window).
  void HintShow(THintInfo& HintInfo);

  // The dock size at the item's first anchoring ((0, 0) until then) and the extra length its
  // toolbar gives an anchored item.
  TPoint AnchorSize;
  int AnchorDelta = 0;
};

class TSkinLabelItemViewer : public TSkinItemViewer {
  HV_CLASS(TSkinLabelItemViewer, TSkinItemViewer)
 public:
  using TSkinItemViewer::TSkinItemViewer;
  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  bool DoExecute() override { return false; }
};

// The automatic hint of an item: its hint before "|", else (unless NoAutoHint) the caption
// without accelerators and a trailing ":" or "...", then " (shortcut)" when asked for.
WideString SkinItemHintText(const WideString& Hint, const WideString& Caption, bool AutoHint,
                            const WideString& ShortCutText);

// Shows a prepared bitmap as a hint.
class TBitmapHint : public THintWindow {
  HV_CLASS(TBitmapHint, THintWindow)
 public:
  explicit TBitmapHint(TComponent* AOwner);
  void ActivateHintData(TRect Rect, const WideString& AHint, void* AData) override;
  TRect CalcHintRect(int MaxWidth, const WideString& AHint, void* AData) override;
  TBitmap* HintBitmap() const { return bitmap_; }

 protected:
  void Paint() override;
  void WMEraseBkgnd(TMessage& Message) override;

 private:
  TBitmap* bitmap_ = nullptr;
};

// The bitmap the viewers draw their hints on.
TBitmap* SkinHintBitmap();
