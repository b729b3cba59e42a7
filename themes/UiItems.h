// Themed items, toolbars, docks and popups: the toolbar machinery measured and painted through
// the current theme, with font adjustments per item and theme notices followed by every window.
#pragma once

#include <memory>

#include "framework/Forms.h"
#include "themes/Ui.h"
#include "toolbars/BarChevron.h"
#include "toolbars/BarDock.h"
#include "toolbars/BarFloatingFrame.h"
#include "toolbars/BarPopup.h"
#include "toolbars/BarToolbar.h"

class TShadows;
class TUiCustomItem;
class TUiItemViewer;

HV_ENUM(TTriState, tsDefault, tsTrue, tsFalse)
using TFontSize = int;

// Adjustments an item makes to the view's font: styles added or removed, size in percent,
// colour and face name (empty: unchanged).
class TFontSettings : public TPersistent {
  HV_CLASS(TFontSettings, TPersistent)
 public:
  TFontSettings() = default;
  explicit TFontSettings(const TNotifyEvent& AOnChange) : OnChange(AOnChange) {}

  TTriState Bold() const { return bold_; }
  void SetBold(TTriState Value) { setField(bold_, Value); }
  TTriState Italic() const { return italic_; }
  void SetItalic(TTriState Value) { setField(italic_, Value); }
  TTriState Underline() const { return underline_; }
  void SetUnderline(TTriState Value) { setField(underline_, Value); }
  TTriState StrikeOut() const { return strikeOut_; }
  void SetStrikeOut(TTriState Value) { setField(strikeOut_, Value); }
  TFontSize Size() const { return size_; }
  void SetSize(TFontSize Value) { setField(size_, Value); }
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { setField(color_, Value); }
  const TFontName& Name() const { return name_; }
  void SetName(const TFontName& Value) { setField(name_, Value); }

  // Applies the settings to a font.
  void Apply(TFont* Font) const;
  void Assign(TPersistent* Source) override;
  bool operator==(const TFontSettings& Other) const;

  // The owner callback: every change.
  TNotifyEvent OnChange;

 private:
  template <class T, class V>
  void setField(T& Field, const V& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }
  void Changed();

  TTriState bold_ = tsDefault;
  TTriState italic_ = tsDefault;
  TTriState underline_ = tsDefault;
  TTriState strikeOut_ = tsDefault;
  TFontSize size_ = 100;
  TColor color_ = clNone;
  TFontName name_;
};

HV_ENUM(TUiItemLayout, uilAuto, uilGlyphLeft, uilGlyphTop)

using TAdjustFontEvent = TEvent<void(TUiCustomItem* Item, TUiItemViewer* Viewer, TFont* Font, int StateFlags)>;

// The item every themed menu and toolbar command is made of.
class TUiCustomItem : public TBarCustomItem {
  HV_CLASS(TUiCustomItem, TBarCustomItem)
 public:
  explicit TUiCustomItem(TComponent* AOwner);
  ~TUiCustomItem() override;

  bool AlwaysSelectFirst() const { return alwaysSelectFirst_; }
  void SetAlwaysSelectFirst(bool Value) { setField(alwaysSelectFirst_, Value); }
  TFontSettings* FontSettings() const { return fontSettings_.get(); }
  void SetFontSettings(TFontSettings* Value) { fontSettings_->Assign(Value); }
  TUiItemLayout Layout() const { return layout_; }
  void SetLayout(TUiItemLayout Value) { setField(layout_, Value); }
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int Value) { setField(minHeight_, Value); }
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int Value) { setField(minWidth_, Value); }
  bool ToolBoxPopup() const { return toolBoxPopup_; }
  void SetToolBoxPopup(bool Value) { setField(toolBoxPopup_, Value); }
  // The item fills the thickness of its toolbar row.
  bool Stretch() const { return (ItemStyle() & tbisFillRow) != 0; }
  void SetStretch(bool Value);

  TAdjustFontEvent OnAdjustFont;

  TBarPopupWindow* CreatePopup(TBarView* ParentView, TBarItemViewer* ParentViewer, bool PositionAsSubmenu,
                               bool SelectFirstItem, bool Customizing, TPoint PopupPoint, int Alignment) override;
  void GetPopupPosition(TBarView* ParentView, TBarPopupWindow* PopupWindow, TBarPopupPositionRec& Rec) override;
  TBarPopupWindowClass PopupWindowClass() override;
  TBarItemViewerClass ViewerClass(TBarView* AView) override;

 private:
  template <class T>
  void setField(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed(true);
  }
  void FontSettingsChanged(TObject* Sender);

  bool alwaysSelectFirst_ = false;
  std::unique_ptr<TFontSettings> fontSettings_;
  TUiItemLayout layout_ = uilAuto;
  int minHeight_ = 0;
  int minWidth_ = 0;
  bool toolBoxPopup_ = false;
};

// The placement of a themed popup: when the theme asks for it, the parent item's rectangle is
// widened by the parent view's border while the framework places the popup.
void UiGetPopupPosition(TBarCustomItem* Item, TBarView* ParentView, TBarPopupWindow* PopupWindow,
                        TBarPopupPositionRec& Rec);

// The viewer that measures and paints an item through the current theme.
class TUiItemViewer : public TBarItemViewer {
  HV_CLASS(TUiItemViewer, TBarItemViewer)
 public:
  TUiItemViewer(TBarView* AView, TBarCustomItem* AItem, int AGroupLevel);

  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool IsToolbarSize() override;
  bool IsToolbarStyle() override;
  bool InButtonPart(int X, int Y) override;
  int GetAccRole() override;

  // ---- operations of the themed viewer ----
  // A hook for subclasses that draw more than the caption; nothing here.
  virtual void PaintHook(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo, int Stage);
  // 1 in toolbar style, else 2.
  virtual int GetStyleKind();
  virtual void DrawItemImage(TCanvas* Canvas, const TRect& ARect, const TUiItemInfo& ItemInfo);
  virtual void DoAdjustFont(TFont* Font, int StateFlags);
  virtual bool GetImageShown();
  // The image size (0 x 0 without an image list).
  virtual TPoint GetImageSize();
  // The size of a caption drawn in the canvas's font with the given format, turned where the
  // viewer's caption runs down a vertical toolbar.
  virtual TPoint GetTextSize(TCanvas* Canvas, const WideString& Text, UINT Format);
  // Whether the caption is drawn with a shadow.
  virtual bool GetTextShadow() { return false; }
  // Whether the caption is shown at all.
  virtual bool IsCaptionShown() { return CaptionShown(); }
  // Draws the caption; false vetoes the theme's drawing.
  virtual bool DoPaintCaption(TCanvas* Canvas, TRect& ARect, const TUiItemInfo& ItemInfo, WideString& Caption,
                              UINT& Format);

  // The hint at a point of the viewer and the rectangle it covers (viewer coordinates); false
  // for the item's own hint.
  virtual bool GetHintInfo(const TPoint& P, WideString& Hint, TRect& HintRect);

  // ---- queries ----
  TUiCustomItem* UiItem() const;
  // The image column of a menu item for an image of that size, in the canvas's font.
  static int PopupMarginFor(TCanvas* Canvas, TPoint ImageSize);
  // The image column of a menu view as a whole: its parent item's sub-menu images, else 16 x 16.
  static int MenuPopupMargin(TCanvas* Canvas, TBarView* View);
  // The width of the image column of a menu item.
  int GetPopupMargin(TCanvas* Canvas);
  // The layout in force: glyph-top in vertical views or with tboImageAboveCaption under uilAuto.
  TUiItemLayout EffectiveLayout();
  // Whether the caption runs down a vertical toolbar (only under uilAuto, see IsRotated).
  bool CaptionRotated();
  // The item info of the viewer in its current state.
  TUiItemInfo MakeItemInfo(bool IsSelected, bool IsPushed);
  bool IsSplit();
  bool HasDropDownArrow();
  // The text after the caption's tab, else the shortcut's name.
  WideString ShortCutText();
  // The caption column of a menu item: the widest caption of the menu's items.
  int MenuCaptionWidth(TCanvas* Canvas, const WideString& Caption);
  // Set by the constructor: glyph-left layouts keep a pixel between image and caption.
  uint8_t ImageGapFlag = 1;

 private:
  // The last caption measured, so long menus do not measure every caption at every layout.
  struct TTextSizeCache {
    WideString Text;
    TFontName Face;
    int Height = 0;
    TFontStyles Style;
    UINT Format = 0;
    TPoint Size;
    bool Valid = false;
  } textSize_;
};

struct THintInfo;
// The hint of a themed viewer that gives hints per part (the selected viewer of the view);
// false when the viewer leaves the hint to the framework.
bool UiViewerHint(TBarView* View, THintInfo* Info);

// A canvas over a device context it does not own, let go when the canvas goes.
struct TUiDCCanvas {
  explicit TUiDCCanvas(HDC DC) { Canvas.SetHandle(DC); }
  ~TUiDCCanvas() { Canvas.SetHandle(nullptr); }
  TUiDCCanvas(const TUiDCCanvas&) = delete;
  TUiDCCanvas& operator=(const TUiDCCanvas&) = delete;
  TCanvas Canvas;
};

// The view type of a viewer's view: its window's answer, 0 without a window.
int ViewerViewType(TBarItemViewer* Viewer);

// A separator whose thickness the item or the theme decides.
class TUiSeparatorItem : public TBarSeparatorItem {
  HV_CLASS(TUiSeparatorItem, TBarSeparatorItem)
 public:
  explicit TUiSeparatorItem(TComponent* AOwner) : TBarSeparatorItem(AOwner) {}
  // -1: the theme's size; values below -1 are kept as -1.
  int Size() const { return size_; }
  void SetSize(int Value);
  TBarItemViewerClass ViewerClass(TBarView* AView) override;

 private:
  int size_ = -1;
};

class TUiSeparatorItemViewer : public TBarSeparatorItemViewer {
  HV_CLASS(TUiSeparatorItemViewer, TBarSeparatorItemViewer)
 public:
  using TBarSeparatorItemViewer::TBarSeparatorItemViewer;
  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
};

class TUiChevronItem : public TBarChevronItem {
  HV_CLASS(TUiChevronItem, TBarChevronItem)
 public:
  explicit TUiChevronItem(TComponent* AOwner) : TBarChevronItem(AOwner) {}
  TBarItemViewerClass ViewerClass(TBarView* AView) override;
  TBarPopupWindowClass PopupWindowClass() override;
};

class TUiChevronItemViewer : public TBarChevronItemViewer {
  HV_CLASS(TUiChevronItemViewer, TBarChevronItemViewer)
 public:
  using TBarChevronItemViewer::TBarChevronItemViewer;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
};

// The invisible root of a themed toolbar or popup menu: its popups are themed too.
class TUiRootItem : public TBarRootItem {
  HV_CLASS(TUiRootItem, TBarRootItem)
 public:
  explicit TUiRootItem(TComponent* AOwner) : TBarRootItem(AOwner) {}
  void GetPopupPosition(TBarView* ParentView, TBarPopupWindow* PopupWindow, TBarPopupPositionRec& Rec) override;
  TBarPopupWindowClass PopupWindowClass() override;
  // The screen rectangle a popup of these items without a parent view opens along, as along a
  // parent item (empty: at its point).
  TRect PopupRect;
};

// ---- popups ----

class TUiPopupView : public TBarPopupView {
  HV_CLASS(TUiPopupView, TBarPopupView)
 public:
  using TBarPopupView::TBarPopupView;
};

// A popup whose frame, background, shadow and animation come from the theme.
class TUiPopupWindow : public TBarPopupWindow {
  HV_CLASS(TUiPopupWindow, TBarPopupWindow)
 public:
  explicit TUiPopupWindow(TComponent* AOwner);
  ~TUiPopupWindow() override;
  TSize GetBorderSize() override;
  void WndProc(TMessage& Message) override;
  // Answers the view-type and background queries and follows theme notices.
  void Dispatch(TMessage& Message) override;
  // 0x2001 menus, 0x2002 lists, 0x2004 tool-box popups, 0x2008 chevron popups.
  virtual int ViewType();
  TShadows* Shadows() const { return shadows_.get(); }
  // The parent item's rectangle in screen coordinates, empty without a themed toolbar parent.
  TRect ParentItemScreenRect();

 protected:
  TBarPopupView* GetViewClass(TBarView* AParentView, TBarCustomItem* AItem, bool ACustomizing) override;
  void CreateParams(TCreateParams& Params) override;
  void PaintScrollArrows() override;
  void CMShowingChanged(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMPrint(TMessage& Message) override;

 private:
  void PaintNCArea(HDC DC);
  void MakeShadows(int Type);

  std::unique_ptr<TShadows> shadows_;
};

class TUiChevronPopupWindow : public TUiPopupWindow {
  HV_CLASS(TUiChevronPopupWindow, TUiPopupWindow)
 public:
  using TUiPopupWindow::TUiPopupWindow;
  int ViewType() override { return VT_CHEVRONPOPUP; }
};

// Which animation a themed popup gets: requested styles 0 none, 1 follow the system, 2 random,
// 3 unfold, 4 slide, 5 fade; kinds at each popup 0 none, 1 unfold, 2 slide, 3 fade.
class TUiMenuAnimation : public TObject {
  HV_CLASS(TUiMenuAnimation, TObject)
 public:
  // What the platform offers; read from the system unless a test puts its own.
  struct TFacts {
    bool NT5OrLater = true;
    bool Win98OrLater = true;
    bool SystemAnimation = false;  // SPI_GETMENUANIMATION
    bool SystemFade = false;       // SPI_GETMENUFADE
  };
  explicit TUiMenuAnimation(int AStyle = 1);
  static TFacts SystemFacts();

  int RequestedStyle() const { return requested_; }
  void SetStyle(int Value) { requested_ = Value; }
  // The style in force after the fall-back rules.
  int Style() const;
  bool StyleAvailable(int AStyle) const;
  // The kind for the next popup; Random gives a number 0..N-1.
  int AnimationKind(int (*Random)(int N) = nullptr) const;

  // Tests give their own facts (null: the system's again).
  void SetFacts(const TFacts* Value);
  TFacts Facts() const { return hasFacts_ ? facts_ : SystemFacts(); }

 private:
  int requested_;
  bool hasFacts_ = false;
  TFacts facts_;
};

// The animation object of the themed popups, made with the unit (style 1).
TUiMenuAnimation* UiMenuAnimation();

// The context menu of themed items.
class TUiPopupMenu : public TBarPopupMenu {
  HV_CLASS(TUiPopupMenu, TBarPopupMenu)
 public:
  explicit TUiPopupMenu(TComponent* AOwner);
  int ViewType() const { return VT_POPUPMENU; }
};

// ---- toolbars and docks ----

HV_ENUM(TUiItemTransparency, itAuto, itEnable, itDisable)

class TUiToolbarView : public TBarToolbarView {
  HV_CLASS(TUiToolbarView, TBarToolbarView)
 public:
  using TBarToolbarView::TBarToolbarView;
};

class TUiDock;

// A toolbar painted by the theme: its background, its docked frame and its floating frame.
class TUiToolbar : public TBarCustomToolbar {
  HV_CLASS(TUiToolbar, TBarCustomToolbar)
 public:
  explicit TUiToolbar(TComponent* AOwner);
  ~TUiToolbar() override;

  TUiItemTransparency ItemTransparency() const { return itemTransparency_; }
  void SetItemTransparency(TUiItemTransparency Value);
  int SnapDistance() const { return snapDistance_; }
  void SetSnapDistance(int Value);
  // The colour the background is painted with.
  TColor EffectiveColor();
  // The view type the toolbar answers: plain toolbar or menu bar, floating, resizable, opaque items.
  int ViewType();
  // Whether items are painted over the background without their own face.
  bool TransparentItems();

  TPoint GetFloatingBorderSize() override;
  void DrawNCArea(HDC DC, bool DrawToDC) override;
  // Answers the view-type and background queries and follows theme notices.
  void Dispatch(TMessage& Message) override;

 protected:
  // Subclasses give a root, a chevron and a view of their own kinds.
  TUiToolbar(TComponent* AOwner, std::unique_ptr<TBarRootItem> ARoot, std::unique_ptr<TBarChevronItem> AChevron,
             TViewMaker MakeView);
  void WndProc(TMessage& Message) override;
  TBarFloatingWindowParent* CreateFloatingParent(TCustomForm* AOwningForm) override;

 private:
  void EraseBackground(HDC DC);
  void ThemeChanged(int Phase);
  void ColorChanged();

  TUiItemTransparency itemTransparency_ = itAuto;
  int snapDistance_ = 0;
  TColor effectiveColor_ = clNone;
};

// Moves a window rectangle to the edges of a work area it is within Distance of: right and
// bottom edges first, then left and top, so the left and top edges win when both are near.
TPoint SnapToWorkArea(const TRect& Window, const TRect& WorkArea, int Distance);

class TUiFloatingWindowParent : public TBarFloatingWindowParent {
  HV_CLASS(TUiFloatingWindowParent, TBarFloatingWindowParent)
 public:
  using TBarFloatingWindowParent::TBarFloatingWindowParent;
  // The caption the theme draws: the frame window's own text.
  WideString OwnText();

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void PaintBorder(HDC DC);
};

// A dock painted by the theme.
class TUiDock : public TBarDock {
  HV_CLASS(TUiDock, TBarDock)
 public:
  explicit TUiDock(TComponent* AOwner);
  ~TUiDock() override;

  bool UseParentBackground() const { return useParentBackground_; }
  void SetUseParentBackground(bool Value);
  bool UsingBackground() override;
  void DrawBackground(HDC DC, const TRect& DrawRect) override;
  // Paints the dock's background into a child's device context (shifted to the child).
  void PaintBackgroundInto(TControl* Child, HDC DC);
  void Dispatch(TMessage& Message) override;
  bool Moving() const { return moving_; }
  bool Resizing() const { return resizing_; }

 protected:
  void WndProc(TMessage& Message) override;

 private:
  void RedrawToolbars();
  bool useParentBackground_ = false;
  bool paintingThroughToolbar_ = false;
  bool moving_ = false;
  bool resizing_ = false;
};

// Lets a parent paint the background behind a child at the child's place.
void PaintParentBackground(TControl* Child, HDC DC);
