// The tabs of the open documents: one tab item per document and the bar that lays them out in a
// row, paints them (the active one raised in a light gradient, a close cross, a bold caption for a
// modified document) and reports clicks. The bar is the main window's tab bar for now; the items
// keep the properties a tab button of the toolbars has, so that they can move onto one.
#pragma once

#include <vector>

#include "framework/Controls.h"

class TDocumentTabBar;

// All tabs form one radio group: exactly one is checked.
constexpr int DocumentItemGroupIndex = 31051987;

class TDocumentItem : public TComponent {
  HV_CLASS(TDocumentItem, TComponent)
 public:
  explicit TDocumentItem(TComponent* AOwner);
  ~TDocumentItem() override;

  const WideString& Caption() const { return caption_; }
  void SetCaption(const WideString& Value);
  const WideString& Hint() const { return hint_; }
  void SetHint(const WideString& Value) { hint_ = Value; }
  // 0 marks a read-only document, 1 the new-tab button; -1 none.
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  // The checked tab is the active one; checking one clears the others of its bar.
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  int GroupIndex() const { return DocumentItemGroupIndex; }
  // A modified document's caption is bold.
  bool Bold() const { return bold_; }
  void SetBold(bool Value);
  // -1: computed from the caption.
  int CustomWidth() const { return customWidth_; }
  void SetCustomWidth(int Value);
  int CustomHeight() const { return customHeight_; }
  void SetCustomHeight(int Value);
  TDocumentTabBar* Bar() const { return bar_; }
  // Where the bar shows the item, in the bar's client coordinates.
  TRect BoundsRect() const { return bounds_; }

  TNotifyEvent OnClick;
  void Click();

 private:
  friend class TDocumentTabBar;
  void Changed();

  WideString caption_, hint_;
  int imageIndex_ = -1;
  bool checked_ = false, bold_ = false;
  int customWidth_ = -1, customHeight_ = -1;
  TDocumentTabBar* bar_ = nullptr;
  TRect bounds_;
};

// The size of a tab: a bold caption, the width of the image, room for the close cross unless
// CloseButton is 2, at most 200 wide; CustomWidth and CustomHeight win when set.
TSize DocumentItemSize(TCanvas* Canvas, const TDocumentItem& Item, int ImageWidth, int CloseButton);
// The area whose click closes the tab: 16 pixels wide, ending 2 pixels inside its right edge.
TRect CloseArea(const TRect& ItemBounds);

// The colours of the tabs: fixed ones for the active tab, the rest sampled from the system's face.
struct TTabColors {
  TColor Border = TColor(0xE3B28D), InnerBorder = TColor(0xFDF2EA), Gradient1 = TColor(0xF7DDC8),
         Gradient2 = TColor(0xEDCDB3), Gradient3 = TColor(0xFEF4DB);
  TColor ActiveCloseColor = TColor(0xE3B28D);
  TColor InactiveCloseColor;
  TTabColors();
  // The colour the inactive tabs and the bar are shaded from, taken afresh each time so that a
  // change of the system's colours shows.
  static TColor Sample();
};

using TTabBarMouseEvent = TEvent<void(TObject* Sender, TMouseButton Button, TDocumentItem* Item)>;

class TDocumentTabBar : public TCustomControl {
  HV_CLASS(TDocumentTabBar, TCustomControl)
 public:
  explicit TDocumentTabBar(TComponent* AOwner);
  ~TDocumentTabBar() override;

  int ItemCount() const { return static_cast<int>(items_.size()); }
  TDocumentItem* Items(int Index) const { return items_[static_cast<size_t>(Index)]; }
  int IndexOf(const TDocumentItem* Item) const;
  // Index is clamped to the list; the bar does not own its items.
  void Insert(int Index, TDocumentItem* Item);
  void Remove(TDocumentItem* Item);
  TDocumentItem* ItemAt(int X, int Y) const;
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();
  // 0: a cross on the active tab, 1: on every tab, 2: none.
  int CloseButton() const { return closeButton_; }
  void SetCloseButton(int Value);
  // The image width the tabs leave room for (the marks of read-only documents).
  int ImageWidth() const { return 16; }
  // Lays the items out now (the bar does it before it paints).
  void ArrangeItems();

  // Mouse presses and releases over the bar, with the tab under the mouse or null. A left click
  // on a tab runs the tab's OnClick instead.
  TTabBarMouseEvent OnTabMouseDown;
  TTabBarMouseEvent OnTabMouseUp;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Resize() override;

 private:
  friend class TDocumentItem;
  void ItemChanged();
  void PaintItem(TCanvas* Canvas, const TDocumentItem& Item);
  void PaintBackground(TCanvas* Canvas, const TRect& R);

  std::vector<TDocumentItem*> items_;
  int updateCount_ = 0;
  int closeButton_ = 0;
  TDocumentItem* pressed_ = nullptr;
  TTabColors colors_;
};
