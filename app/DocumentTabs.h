// The tabs of the open documents: one skinned tab button per document on the main window's
// tab-bar toolbar, which paints them (the active one raised in a light gradient, a close cross,
// a bold caption for a modified document) and reports the mouse buttons pressed over it.
#pragma once

#include <vector>

#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"

class TDocumentTabBar;

// All tabs form one radio group: exactly one is checked.
constexpr int DocumentItemGroupIndex = 31051987;

class TDocumentItem : public TSkinItem {
  HV_CLASS(TDocumentItem, TSkinItem)
 public:
  explicit TDocumentItem(TComponent* AOwner);

  // A modified document's caption is bold.
  bool Bold() const { return FontSettings()->Bold() == tsTrue; }
  void SetBold(bool Value) { FontSettings()->SetBold(Value ? tsTrue : tsFalse); }
  // The bar that shows the tab, or null.
  TDocumentTabBar* Bar() const;
  // Where the bar shows the tab, in the bar's client coordinates (empty when it does not).
  TRect BoundsRect() const;

  TBarItemViewerClass ViewerClass(TBarView* AView) override;

 private:
  friend class TDocumentTabBar;
  TDocumentTabBar* bar_ = nullptr;
};

class TDocumentItemViewer : public TSkinItemViewer {
  HV_CLASS(TDocumentItemViewer, TSkinItemViewer)
 public:
  using TSkinItemViewer::TSkinItemViewer;
  void CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
};

// The size of a tab: a bold caption, the width of the image, room for the close cross unless
// CloseButton is 2, at most 200 wide; CustomWidth and CustomHeight win when set.
TSize DocumentItemSize(TCanvas* Canvas, const TDocumentItem& Item, int ImageWidth, int CloseButton);
// The area whose click closes the tab: 16 pixels wide, ending 2 pixels inside its right edge.
TRect CloseArea(const TRect& ItemBounds);

// The colours of the tabs: fixed ones for the active tab, the rest shaded from a sample of the
// system's band background.
struct TTabColors {
  TColor Border = TColor(0xE3B28D), InnerBorder = TColor(0xFDF2EA), Gradient1 = TColor(0xF7DDC8),
         Gradient2 = TColor(0xEDCDB3), Gradient3 = TColor(0xFEF4DB);
  TColor ActiveCloseColor = TColor(0xE3B28D);
  TColor InactiveCloseColor;
  TTabColors();
  // Taken afresh each time, so that a change of the system's colours shows.
  static TColor Sample();
};

// The tab bar's background: a light band over the sampled colour with two lines at the bottom.
void PaintTabBarBackground(TCanvas* Canvas, const TRect& R, const TTabColors& Colors);

// The document tab of the toolbar's first shown item that holds the point (client co-ordinates);
// null over no item, over an item of another kind, or without a toolbar.
TDocumentItem* DocumentItemAt(TBarCustomToolbar* Toolbar, const TPoint& Point);

using TTabBarMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TDocumentItem* Item)>;

// Posted to the tab bar: the active tab is brought into view once the bar is laid out.
constexpr UINT UM_SHOWACTIVETAB = WM_USER + 8810;

// The tab-bar toolbar: the tabs in a row, the new-tab button last. Tabs that do not fit are
// hidden from the left so that the active one stays in sight.
class TDocumentTabBar : public TSkinToolbar {
  HV_CLASS(TDocumentTabBar, TSkinToolbar)
 public:
  explicit TDocumentTabBar(TComponent* AOwner);
  ~TDocumentTabBar() override;

  int ItemCount() const { return Items()->Count(); }
  TDocumentItem* Tab(int Index) const;
  int IndexOf(const TDocumentItem* Item) const { return Items()->IndexOf(Item); }
  // Index is clamped to the list; the bar does not own its tabs.
  void Insert(int Index, TDocumentItem* Item);
  void Remove(TDocumentItem* Item);
  TDocumentItem* ItemAt(int X, int Y);
  // Checks the tab and clears the others (a tab checked before it joined the bar included).
  void CheckTab(TDocumentItem* Item);
  // 0: a cross on the active tab, 1: on every tab, 2: none.
  int CloseButton() const { return closeButton_; }
  void SetCloseButton(int Value);
  // The image width the tabs leave room for (the marks of read-only documents).
  int ImageWidth() const { return 16; }
  // Lays the tabs out now.
  void ArrangeItems();
  // Brings the checked tab into sight: tabs before it are hidden while it would pass the bar's
  // right edge, and hidden ones come back while everything after them fits. Asked for while
  // the bar is being changed, it happens once the bar is laid out again.
  void ShowActiveTab();
  const TTabColors& Colors() const { return colors_; }
  // The tabs hidden to make room, the leftmost first: always tabs of the bar.
  const std::vector<TDocumentItem*>& HiddenTabs() const { return scrolled_; }

  // Right and middle mouse buttons over the bar, with the tab under the mouse or null; a left
  // click on a tab runs the tab's OnClick.
  TTabBarMouseEvent OnTabMouseDown;
  TTabBarMouseEvent OnTabMouseUp;

 protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;
  void Resize() override;

 private:
  void ScrollActiveTab();
  void TabsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int Index, TBarCustomItem* Item);
  void DrawBackground(TObject* Sender, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage, bool& PaintDefault);

  int closeButton_ = 0;
  TTabColors colors_;
  // The tabs hidden to make room, the leftmost first.
  std::vector<TDocumentItem*> scrolled_;
  bool scrollPosted_ = false;
  bool scrolling_ = false;
  int lastWidth_ = -1;
};
