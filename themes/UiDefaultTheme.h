// The built-in theme: every toolbar, menu, dock and status bar painted in the system's colours,
// with the visual styles when they can be used and with classic edges and fills otherwise.
#pragma once

#include "themes/UiThemes.h"

class TFont;

// Item option: the item is one of a radio group (its check is a bullet).
constexpr uint32_t IO_RADIOITEM = 0x40;

class TUiDefaultTheme : public TUiTheme {
  HV_CLASS(TUiDefaultTheme, TUiTheme)
 public:
  explicit TUiDefaultTheme(const AnsiString& AName);
  ~TUiDefaultTheme() override;
  void Dispatch(TMessage& Message) override;
  // Rebuilds the colour cache from the system and the visual style.
  virtual void UpdateColors();

  // The colour cache.
  TColor ToolbarColor = clBtnFace;
  TColor ShadowColor = clBtnShadow;
  TColor HighlightColor = clBtnHighlight;
  TColor ToolbarTextColor = clBtnText;
  TColor DockPanelColor = clBtnFace;
  TColor StatusBarColor = clBtnFace;

  // (0, 0), or (1, 1) for a pushed or selected item: where its image ends up. PaintImage makes
  // that move itself, so a viewer hands it the unshifted rectangle and the image moves once.
  TPoint GetImageOffset(TCanvas* Canvas, const TUiItemInfo& ItemInfo, TCustomImageList* ImageList) override;
  TColor GetItemColor(const TUiItemInfo& ItemInfo) override;
  TColor GetItemTextColor(const TUiItemInfo& ItemInfo) override;
  TColor GetItemImageBackground(const TUiItemInfo& ItemInfo) override;
  TUiMargins GetMargins(int MarginID) override;
  int GetPopupShadowType() override { return 1; }
  TPoint GetViewBorder(int ViewType) override;
  TColor GetViewColor(int ViewType) override;
  TUiMargins GetViewMargins(int ViewType) override;
  void PaintBackgnd(TCanvas* Canvas, const TRect& ARect, const TRect& PaintRect, const TRect& ClipRect, TColor Color,
                    bool Transparent, int ViewType) override;
  void PaintButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void PaintCaption(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, const WideString& Caption,
                    UINT Format, bool Rotated) override;
  void PaintCheckMark(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void PaintChevron(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void PaintEditFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                      const TUiEditFrameInfo& EditFrameInfo) override;
  void PaintEditButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                       const TUiEditButtonInfo& EditButtonInfo) override;
  // DockPosition: 0 top, 1 bottom, 2 left, 3 right.
  void PaintDock(TCanvas* Canvas, const TRect& ClientRect, const TRect& DockRect, int DockPosition) override;
  void PaintDockPanelNCArea(TCanvas* Canvas, const TRect& ARect, const TUiDockPanelInfo& DockPanelInfo) override;
  void PaintDropDownArrow(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void PaintFloatingBorder(TCanvas* Canvas, const TRect& ARect,
                           const TUiFloatingBorderInfo& FloatingBorderInfo) override;
  void PaintFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void PaintImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, TCustomImageList* ImageList,
                  int ImageIndex) override;
  // ButtonKind: DFCS_CAPTIONMIN, DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE or DFCS_CAPTIONCLOSE.
  void PaintMDIButton(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, UINT ButtonKind) override;
  void PaintMenuItem(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  void PaintMenuItemFrame(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo) override;
  // ButtonType: 0 left, 1 right, 2 up, 3 down.
  void PaintPageScrollButton(TCanvas* Canvas, const TRect& ARect, int ButtonType, bool Hot) override;
  void PaintPopupNCArea(TCanvas* Canvas, const TRect& ARect, const TUiPopupInfo& PopupInfo) override;
  // Horizontal: the lines run left to right.
  void PaintSeparator(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, bool Horizontal,
                      bool LineOnly) override;
  void PaintToolbarNCArea(TCanvas* Canvas, const TRect& ARect, const TUiToolbarInfo& ToolbarInfo) override;
  // Kind 1 check box, 2 radio button; State bits 1 checked, 2 mixed, 4 disabled, 8 hot, 16 pushed.
  void PaintFrameControl(TCanvas* Canvas, const TRect& ARect, int Kind, int State, void* Params) override;
  // Part 0 background, 1 panel, 2 last panel, 3 size grip.
  void PaintStatusBar(TCanvas* Canvas, const TRect& ARect, int Part) override;
  int GetIntegerMetrics(int Index) override;
  bool GetBooleanMetrics(int Index) override;

 private:
  HTHEME MenuThemeHandle();
  void CloseMenuTheme();
  HTHEME menuTheme_ = nullptr;
  bool menuThemeOpened_ = false;
};

// The glyphs of the MDI buttons (0 minimize, 1 maximize, 2 restore, 3 close), 16 x 16 each.
TCustomImageList* UiGlyphs();
// The font of dock-panel captions: the system's small-caption font.
TFont* UiDockCaptionFont();
// Whether the platform is Windows Vista or later.
bool UiIsVistaOrLater();
// Registers the default theme as "Default" (nothing when it is registered already).
void RegisterDefaultTheme();
