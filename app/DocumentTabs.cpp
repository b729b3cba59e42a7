// The document tabs and the tab-bar toolbar that shows them.
#include "app/DocumentTabs.h"

#include <algorithm>
#include <utility>

#include "app/WindowRoutines.h"
#include "framework/Bitmap.h"
#include "framework/ImageList.h"
#include "framework/ScopeGuards.h"
#include "framework/UpdateBracket.h"
#include "framework/VisualStyles.h"
#include "themes/Ui.h"
#include "themes/UiThemes.h"
#include "themes/UiUtils.h"

// ---- TDocumentItem ----

HV_PUBLISH(TDocumentItem) {}

TDocumentItem::TDocumentItem(TComponent* AOwner) : TSkinItem(AOwner) {
  SetAlignment(taLeftJustify);
  SetDisplayMode(nbdmImageAndText);
  SetGroupIndex(DocumentItemGroupIndex);
  SetLayout(uilGlyphLeft);
  SetWrapping(twEndEllipsis);
}

TBarItemViewerClass TDocumentItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TDocumentItemViewer>; }

TDocumentTabBar* TDocumentItem::Bar() const { return Parent() ? bar_ : nullptr; }

TRect TDocumentItem::BoundsRect() const {
  TDocumentTabBar* bar = Bar();
  TBarItemViewer* viewer = bar && bar->View() ? bar->View()->FindOrNull(this) : nullptr;
  return viewer ? viewer->BoundsRect() : TRect();
}

TSize DocumentItemSize(TCanvas* Canvas, const TDocumentItem& Item, int ImageWidth, int CloseButton) {
  const TFontStyles style = Canvas->Font()->Style();
  Canvas->Font()->SetStyle(style + fsBold);
  const int captionWidth = Canvas->TextWidth(Item.Caption());
  TSize size{0, Canvas->TextHeight(WideString(L"Wj")) + 12};
  Canvas->Font()->SetStyle(style);
  const int imageWidth = Item.ImageIndex() >= 0 ? ImageWidth : 0;
  size.cx = Item.Caption().empty() ? imageWidth : imageWidth + captionWidth + 24;
  if (CloseButton != 2)
    size.cx += Item.Caption().empty() ? 10 : 16;
  else
    size.cx += 10;
  size.cx = std::min<LONG>(size.cx, 200);
  if (Item.CustomWidth() != -1) size.cx = Item.CustomWidth();
  if (Item.CustomHeight() != -1) size.cy = Item.CustomHeight();
  return size;
}

TRect CloseArea(const TRect& ItemBounds) {
  TRect area = ItemBounds;
  area.Right -= 2;
  area.Left = area.Right - 16;
  return area;
}

// ---- TTabColors ----

TTabColors::TTabColors() : InactiveCloseColor(Sample()) {}

TColor TTabColors::Sample() {
  // With visual styles the bar takes the colour of the system's band background.
  if (!ThemesActive()) return TColor(ColorToRGB(clBtnFace));
  TUxThemeEntries& ux = UxTheme();
  HTHEME theme = ux.OpenThemeData ? ux.OpenThemeData(nullptr, L"rebar") : nullptr;
  if (!theme) return TColor(ColorToRGB(clBtnFace));
  TBitmap bitmap;
  bitmap.SetSize(32, 32);
  RECT r{0, 0, 32, 32};
  ux.DrawThemeBackground(theme, bitmap.Canvas()->Handle(), 0, 0, &r, nullptr);
  ux.CloseThemeData(theme);
  return TColor(static_cast<int32_t>(GetPixel(bitmap.Canvas()->Handle(), 25, 25)));
}

void PaintTabBarBackground(TCanvas* Canvas, const TRect& R, const TTabColors& Colors) {
  const TColor sample = TTabColors::Sample();
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(ShiftColorChannels(sample, 5));
  Canvas->FillRect(R);
  GradientBand(Canvas, Rect(R.Left, R.Top, R.Right, R.Top + 16), 0, 15, 15, ShiftColorChannels(sample, -15),
               ShiftColorChannels(sample, 5), true);
  Canvas->Pen()->SetColor(Colors.Border);
  Canvas->MoveTo(R.Left, R.Bottom - 2);
  Canvas->LineTo(R.Right, R.Bottom - 2);
  Canvas->Pen()->SetColor(Colors.Gradient3);
  Canvas->MoveTo(R.Left, R.Bottom - 1);
  Canvas->LineTo(R.Right, R.Bottom - 1);
}

// ---- TDocumentItemViewer ----

HV_PUBLISH(TDocumentItemViewer) {}

namespace {

TDocumentTabBar* BarOf(TBarView* View) { return View ? dynamic_cast<TDocumentTabBar*>(View->Owner()) : nullptr; }

// Stand-ins for the images when the bar has no image list: a padlock for read-only documents, a
// plus for the new-tab button.
void PaintMark(TCanvas* Canvas, int Index, int X, int Y) {
  Canvas->Pen()->SetColor(clGray);
  if (Index == 1) {
    Canvas->MoveTo(X + 4, Y - 4), Canvas->LineTo(X + 4, Y + 5);
    Canvas->MoveTo(X, Y), Canvas->LineTo(X + 9, Y);
  } else {
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Rectangle(X + 1, Y - 1, X + 9, Y + 5);
    Canvas->Rectangle(X + 3, Y - 4, X + 7, Y);
  }
}

}  // namespace

void TDocumentItemViewer::CalcSize(TCanvas* Canvas, int& AWidth, int& AHeight) {
  TDocumentTabBar* bar = BarOf(View());
  auto* item = dynamic_cast<TDocumentItem*>(Item());
  if (!bar || !item || !IsToolbarStyle()) {
    TSkinItemViewer::CalcSize(Canvas, AWidth, AHeight);
    return;
  }
  const TSize size = DocumentItemSize(Canvas, *item, bar->ImageWidth(), bar->CloseButton());
  AWidth = size.cx;
  AHeight = size.cy;
}

void TDocumentItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                                bool UseDisabledShadow) {
  TDocumentTabBar* bar = BarOf(View());
  auto* item = dynamic_cast<TDocumentItem*>(Item());
  if (!bar || !item || !IsToolbarStyle()) {
    TSkinItemViewer::Paint(Canvas, ClientAreaRect, IsSelected, IsPushed, UseDisabledShadow);
    return;
  }
  const TTabColors& colors = bar->Colors();
  const int closeButton = bar->CloseButton();
  const bool active = item->Checked();
  const TColor sample = TTabColors::Sample();
  TRect r = ClientAreaRect;
  r.Bottom += 2;
  Canvas->Brush()->SetStyle(bsClear);
  if (active) {
    Canvas->Pen()->SetColor(colors.Border);
    Canvas->Rectangle(r);
    Canvas->Pen()->SetColor(colors.InnerBorder);
    Canvas->Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    FourColorGradient(Canvas, Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), colors.InnerBorder,
                      IsSelected ? ShiftColorChannels(colors.Gradient1, -5) : colors.Gradient1,
                      IsSelected ? ShiftColorChannels(colors.Gradient2, -10) : colors.Gradient2, colors.Gradient3,
                      true);
  } else {
    r.Top += 1;
    Canvas->Pen()->SetColor(ShiftColorChannels(sample, -25));
    Canvas->Rectangle(r);
    Canvas->Pen()->SetColor(ShiftColorChannels(sample, 25));
    Canvas->Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    const int shades[2][4] = {{30, 20, 5, 25}, {25, 15, -5, 25}};
    const int* s = shades[IsSelected ? 1 : 0];
    FourColorGradient(Canvas, Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), ShiftColorChannels(sample, s[0]),
                      ShiftColorChannels(sample, s[1]), ShiftColorChannels(sample, s[2]),
                      ShiftColorChannels(sample, s[3]), true);
  }
  const int rt = ClientAreaRect.Right;
  // Only a document's tab closes: the new-tab button, the one tab without a caption, has no cross.
  if (!item->Caption().empty() && (closeButton == 1 || (closeButton == 0 && active))) {
    Canvas->Pen()->SetColor(ShiftColorChannels(active ? colors.ActiveCloseColor : colors.InactiveCloseColor, -60));
    const int lines[4][4] = {{-14, 16, -7, 9}, {-13, 16, -6, 9}, {-8, 16, -15, 9}, {-7, 16, -14, 9}};
    for (const auto& l : lines) {
      Canvas->MoveTo(rt + l[0], l[1]);
      Canvas->LineTo(rt + l[2], l[3]);
    }
  }
  const int margin = 2;
  TRect text(ClientAreaRect.Left + margin + 4, ClientAreaRect.Top, rt - (closeButton == 2 ? 0 : 22),
             ClientAreaRect.Bottom);
  if (item->ImageIndex() >= 0) {
    TCustomImageList* images = GetImageList();
    if (images && item->ImageIndex() < images->Count() && CurrentTheme) {
      // The image's box runs to the tab's right edge, centred vertically. The theme draws it in
      // the tab's state: it moves with the caption of the active or pressed tab, and a hot one
      // is drawn at full strength.
      const int top = (ClientAreaRect.Top + ClientAreaRect.Bottom - images->Height()) / 2;
      TUiItemInfo info;
      FillItemInfo(Canvas, info);
      CurrentTheme->PaintImage(Canvas, Rect(ClientAreaRect.Left + margin + 2, top, rt, top + images->Height()), info,
                               images, item->ImageIndex());
    } else {
      PaintMark(Canvas, item->ImageIndex(), ClientAreaRect.Left + margin + 2,
                (ClientAreaRect.Top + ClientAreaRect.Bottom) / 2);
    }
    text.Left = ClientAreaRect.Left + margin + bar->ImageWidth() + 6;
  }
  if (item->Caption().empty()) return;
  if (active || IsPushed) text = Rect(text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1);
  item->FontSettings()->Apply(Canvas->Font());
  Canvas->Font()->SetColor(active ? clBlack : clWindowText);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->DrawText(text, item->Caption(), DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
}

// ---- TDocumentTabBar ----

HV_PUBLISH(TDocumentTabBar) {
  // Without a handle and a frame from the start (see the constructor).
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsNone);
  p.Prop("DragHandleStyle", &T::DragHandleStyle, &T::SetDragHandleStyle).Default(dhNone);
  p.Event("OnTabMouseDown", &T::OnTabMouseDown);
  p.Event("OnTabMouseUp", &T::OnTabMouseUp);
}

TDocumentTabBar::TDocumentTabBar(TComponent* AOwner) : TSkinToolbar(AOwner) {
  // The tabs stay where they are: no handle to drag them by, no frame.
  SetDragHandleStyle(dhNone);
  SetBorderStyle(bsNone);
  SetCustomizable(false);
  SetShrinkMode(tbsmNone);
  SetDisplayMode(tbdmSelectiveCaption);
  OnDrawBackground = TSkinDrawEvent(this, &TDocumentTabBar::DrawBackground);
  Items()->RegisterNotification(TBarItemChangeHandler(this, &TDocumentTabBar::TabsChanged));
}

TDocumentTabBar::~TDocumentTabBar() {
  // The tabs belong to their documents: they only leave the bar.
  while (Items()->Count() > 0) Items()->Delete(Items()->Count() - 1);
  Items()->UnregisterNotification(TBarItemChangeHandler(this, &TDocumentTabBar::TabsChanged));
}

void TDocumentTabBar::TabsChanged(TBarCustomItem* Sender, bool Relayed, TBarItemChangedAction Action, int,
                                  TBarCustomItem* Item) {
  // A tab leaves the bar however it goes (its document freed it, the bar let it go): the bar
  // keeps no word of it, so that no later scroll shows a freed tab again.
  if (Relayed || Sender != Items() || Action != tbicDeleting || !Item) return;
  scrolled_.erase(std::remove(scrolled_.begin(), scrolled_.end(), Item), scrolled_.end());
  if (auto* tab = dynamic_cast<TDocumentItem*>(Item); tab && tab->bar_ == this) tab->bar_ = nullptr;
}

void TDocumentTabBar::DrawBackground(TObject*, TCanvas* ACanvas, TRect ARect, TSkinPaintStage PaintStage,
                                     bool& PaintDefault) {
  if (PaintStage != pstPrePaint) return;
  PaintDefault = false;
  PaintTabBarBackground(ACanvas, ARect, colors_);
}

TDocumentItem* TDocumentTabBar::Tab(int Index) const { return dynamic_cast<TDocumentItem*>(Items()->Items(Index)); }

void TDocumentTabBar::Insert(int Index, TDocumentItem* Item) {
  if (!Item || Items()->IndexOf(Item) >= 0) return;
  if (Item->Parent()) Item->Parent()->Remove(Item);
  Items()->Insert(std::clamp(Index, 0, ItemCount()), Item);
  Item->bar_ = this;
}

void TDocumentTabBar::CheckTab(TDocumentItem* Item) {
  for (int i = 0; i < ItemCount(); ++i)
    if (Items()->Items(i) != Item) Items()->Items(i)->SetChecked(false);
  if (Item) Item->SetChecked(true);
}

void TDocumentTabBar::Remove(TDocumentItem* Item) {
  if (Items()->IndexOf(Item) >= 0) Items()->Remove(Item);
}

TDocumentItem* TDocumentTabBar::ItemAt(int X, int Y) {
  TBarItemViewer* viewer = View()->ViewerFromPoint({X, Y});
  return viewer ? dynamic_cast<TDocumentItem*>(viewer->Item()) : nullptr;
}

TDocumentItem* DocumentItemAt(TBarCustomToolbar* Toolbar, const TPoint& Point) {
  if (!Toolbar || !Toolbar->View()) return nullptr;
  TBarItemViewer* viewer = Toolbar->View()->ViewerFromPoint(Point);
  return viewer ? dynamic_cast<TDocumentItem*>(viewer->Item()) : nullptr;
}

void TDocumentTabBar::SetCloseButton(int Value) {
  if (closeButton_ == Value) return;
  closeButton_ = Value;
  ArrangeItems();
}

void TDocumentTabBar::ArrangeItems() {
  for (int i = 0; i < ItemCount(); ++i) Items()->Items(i)->Changed(true);
  Arrange();
}

void TDocumentTabBar::ShowActiveTab() {
  if (!View()->Updating() && Parent()) {
    ScrollActiveTab();
  } else if (HandleAllocated() && !scrollPosted_) {
    scrollPosted_ = PostMessageW(Handle(), UM_SHOWACTIVETAB, 0, 0);
  }
}

void TDocumentTabBar::ScrollActiveTab() {
  if (scrolling_ || View()->Updating() || !Parent()) return;
  const int n = ItemCount();
  int active = -1;
  for (int i = 0; i < n; ++i)
    if (Items()->Items(i)->Checked() && Tab(i)) active = i;
  scrolling_ = true;
  TScopeExit notScrolling([this] { scrolling_ = false; });
  // Every tab shown once, to see where each would stand; then those before the first one kept
  // in sight are hidden again. The view's update count ends also when a step raises.
  const int firstBefore = static_cast<int>(scrolled_.size());
  WithinUpdate(*View(), [&] {
    for (TDocumentItem* item : std::exchange(scrolled_, {})) item->SetVisible(true);
  });
  std::vector<TRect> bounds(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i)
    if (TBarItemViewer* viewer = View() ? View()->FindOrNull(Items()->Items(i)) : nullptr)
      bounds[static_cast<size_t>(i)] = viewer->BoundsRect();
  int first = 0;
  if (active >= 0 && n > 0) {
    // The bar grows with its tabs; the dock shows what fits.
    const int room = Parent()->ClientWidth() - Left() - (Width() - ClientWidth()), origin = bounds[0].Left;
    // Item K's right edge once the items before First are hidden.
    auto fits = [&](int K, int First) {
      return bounds[static_cast<size_t>(K)].Right - (bounds[static_cast<size_t>(First)].Left - origin) <= room;
    };
    first = std::min(firstBefore, active);
    while (first < active && !fits(active, first)) ++first;
    while (first > 0 && fits(n - 1, first - 1)) --first;
  }
  if (first > 0) {
    WithinUpdate(*View(), [&] {
      for (int i = 0; i < first; ++i)
        if (TDocumentItem* tab = Tab(i)) {
          tab->SetVisible(false);
          scrolled_.push_back(tab);
        }
    });
  }
}

void TDocumentTabBar::WndProc(TMessage& Message) {
  if (Message.Msg == UM_SHOWACTIVETAB) {
    scrollPosted_ = false;
    ScrollActiveTab();
    return;
  }
  TSkinToolbar::WndProc(Message);
}

void TDocumentTabBar::Resize() {
  TSkinToolbar::Resize();
  // A wider bar may show tabs hidden before, a narrower one may hide the active one.
  if (Width() != lastWidth_) {
    lastWidth_ = Width();
    ShowActiveTab();
  }
}

void TDocumentTabBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button != mbLeft && OnTabMouseDown) OnTabMouseDown(this, Button, ItemAt(X, Y));
  TSkinToolbar::MouseDown(Button, Shift, X, Y);
}

void TDocumentTabBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSkinToolbar::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft && OnTabMouseUp) OnTabMouseUp(this, Button, ItemAt(X, Y));
}
