// The document tabs and the bar that shows them.
#include "app/DocumentTabs.h"

#include <algorithm>

#include "app/UsefulWindows.h"
#include "framework/Bitmap.h"
#include "themes/UiUxThemes.h"
#include "themes/UiUtils.h"

// ---- TDocumentItem ----

HV_PUBLISH(TDocumentItem) {}

TDocumentItem::TDocumentItem(TComponent* AOwner) : TComponent(AOwner) {}

TDocumentItem::~TDocumentItem() {
  if (bar_) bar_->Remove(this);
}

void TDocumentItem::Changed() {
  if (bar_) bar_->ItemChanged();
}

void TDocumentItem::SetCaption(const WideString& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Changed();
}

void TDocumentItem::SetImageIndex(int Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  Changed();
}

void TDocumentItem::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  if (Value && bar_)
    for (int i = 0; i < bar_->ItemCount(); ++i)
      if (bar_->Items(i) != this) bar_->Items(i)->checked_ = false;
  Changed();
}

void TDocumentItem::SetBold(bool Value) {
  if (bold_ == Value) return;
  bold_ = Value;
  Changed();
}

void TDocumentItem::SetCustomWidth(int Value) {
  if (customWidth_ == Value) return;
  customWidth_ = Value;
  Changed();
}

void TDocumentItem::SetCustomHeight(int Value) {
  if (customHeight_ == Value) return;
  customHeight_ = Value;
  Changed();
}

void TDocumentItem::Click() {
  if (OnClick) OnClick(this);
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
  if (!LoadVisualStyles() || !VisualStylesUsable()) return TColor(ColorToRGB(clBtnFace));
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

// ---- TDocumentTabBar ----

HV_PUBLISH(TDocumentTabBar) {
  p.Prop("Align", &T::Align, &T::SetAlign).Default(alTop);
  p.Event("OnTabMouseDown", &T::OnTabMouseDown);
  p.Event("OnTabMouseUp", &T::OnTabMouseUp);
}

namespace {
const bool registered = [] {
  RegisterClass(TDocumentTabBar::StaticClassInfo());
  return true;
}();
}  // namespace

TDocumentTabBar::TDocumentTabBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetHeight(26);
  SetAlign(alTop);
  SetDoubleBuffered(true);
}

TDocumentTabBar::~TDocumentTabBar() {
  for (TDocumentItem* item : items_) item->bar_ = nullptr;
}

int TDocumentTabBar::IndexOf(const TDocumentItem* Item) const {
  const auto at = std::find(items_.begin(), items_.end(), Item);
  return at == items_.end() ? -1 : static_cast<int>(at - items_.begin());
}

void TDocumentTabBar::Insert(int Index, TDocumentItem* Item) {
  if (!Item || Item->bar_ == this) return;
  if (Item->bar_) Item->bar_->Remove(Item);
  Index = std::clamp(Index, 0, ItemCount());
  items_.insert(items_.begin() + Index, Item);
  Item->bar_ = this;
  if (Item->checked_) {
    Item->checked_ = false;
    Item->SetChecked(true);
  }
  ItemChanged();
}

void TDocumentTabBar::Remove(TDocumentItem* Item) {
  const int at = IndexOf(Item);
  if (at < 0) return;
  items_.erase(items_.begin() + at);
  Item->bar_ = nullptr;
  if (pressed_ == Item) pressed_ = nullptr;
  ItemChanged();
}

TDocumentItem* TDocumentTabBar::ItemAt(int X, int Y) const {
  for (TDocumentItem* item : items_)
    if (item->bounds_.Contains(Point(X, Y))) return item;
  return nullptr;
}

void TDocumentTabBar::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) ItemChanged();
}

void TDocumentTabBar::SetCloseButton(int Value) {
  if (closeButton_ == Value) return;
  closeButton_ = Value;
  ItemChanged();
}

void TDocumentTabBar::ItemChanged() {
  if (updateCount_ > 0) return;
  ArrangeItems();
  Invalidate();
}

void TDocumentTabBar::Resize() {
  TCustomControl::Resize();
  ArrangeItems();
}

void TDocumentTabBar::ArrangeItems() {
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  int x = 2;
  int height = 0;
  for (TDocumentItem* item : items_) {
    const TSize size = DocumentItemSize(canvas, *item, ImageWidth(), closeButton_);
    item->bounds_ = Bounds(x, 2, size.cx, size.cy);
    x += size.cx;
    height = std::max<int>(height, size.cy);
  }
  if (height > 0 && Height() != height + 4) SetHeight(height + 4);
}

void TDocumentTabBar::PaintBackground(TCanvas* Canvas, const TRect& R) {
  const TColor sample = TTabColors::Sample();
  Canvas->Brush()->SetColor(ShiftColorChannels(sample, 5));
  Canvas->FillRect(R);
  GradientBand(Canvas, Rect(R.Left, R.Top, R.Right, R.Top + 16), 0, 15, 15, ShiftColorChannels(sample, -15),
               ShiftColorChannels(sample, 5), true);
  Canvas->Pen()->SetColor(colors_.Border);
  Canvas->MoveTo(R.Left, R.Bottom - 2);
  Canvas->LineTo(R.Right, R.Bottom - 2);
  Canvas->Pen()->SetColor(colors_.Gradient3);
  Canvas->MoveTo(R.Left, R.Bottom - 1);
  Canvas->LineTo(R.Right, R.Bottom - 1);
}

void TDocumentTabBar::PaintItem(TCanvas* Canvas, const TDocumentItem& Item) {
  const bool active = Item.Checked();
  const bool pressed = pressed_ == &Item;
  TRect r = Item.bounds_;
  r.Bottom += 2;
  const TColor sample = TTabColors::Sample();
  Canvas->Brush()->SetStyle(bsClear);
  if (active) {
    Canvas->Pen()->SetColor(colors_.Border);
    Canvas->Rectangle(r);
    Canvas->Pen()->SetColor(colors_.InnerBorder);
    Canvas->Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    FourColorGradient(Canvas, Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), colors_.InnerBorder,
                      colors_.Gradient1, colors_.Gradient2, colors_.Gradient3, true);
  } else {
    r.Top += 1;
    Canvas->Pen()->SetColor(ShiftColorChannels(sample, -25));
    Canvas->Rectangle(r);
    Canvas->Pen()->SetColor(ShiftColorChannels(sample, 25));
    Canvas->Rectangle(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    FourColorGradient(Canvas, Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2), ShiftColorChannels(sample, 30),
                      ShiftColorChannels(sample, 20), ShiftColorChannels(sample, 5), ShiftColorChannels(sample, 25),
                      true);
  }
  const int rt = Item.bounds_.Right;
  if (closeButton_ == 1 || (closeButton_ == 0 && active)) {
    Canvas->Pen()->SetColor(ShiftColorChannels(active ? colors_.ActiveCloseColor : colors_.InactiveCloseColor, -60));
    const int lines[4][4] = {{-14, 16, -7, 9}, {-13, 16, -6, 9}, {-8, 16, -15, 9}, {-7, 16, -14, 9}};
    for (const auto& l : lines) {
      Canvas->MoveTo(rt + l[0], l[1]);
      Canvas->LineTo(rt + l[2], l[3]);
    }
  }
  TRect text(Item.bounds_.Left + 2 + 4, Item.bounds_.Top, rt - (closeButton_ == 2 ? 0 : 22), Item.bounds_.Bottom);
  if (Item.ImageIndex() >= 0) {
    // The image: a small mark, a padlock for read-only documents and a plus for the new-tab button.
    const int x = Item.bounds_.Left + 4, y = (Item.bounds_.Top + Item.bounds_.Bottom) / 2;
    Canvas->Pen()->SetColor(clGray);
    if (Item.ImageIndex() == 1) {
      Canvas->MoveTo(x + 4, y - 4), Canvas->LineTo(x + 4, y + 5);
      Canvas->MoveTo(x, y), Canvas->LineTo(x + 9, y);
    } else {
      Canvas->Rectangle(x + 1, y - 1, x + 9, y + 5);
      Canvas->Rectangle(x + 3, y - 4, x + 7, y);
    }
    text.Left = Item.bounds_.Left + 2 + ImageWidth() + 6;
  }
  if (Item.Caption().empty()) return;
  if (active || pressed) text = Rect(text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1);
  Canvas->Font()->Assign(Font());
  Canvas->Font()->SetColor(active ? clBlack : clWindowText);
  if (Item.Bold()) Canvas->Font()->SetStyle(Canvas->Font()->Style() + fsBold);
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->DrawText(text, Item.Caption(), DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS | DT_NOPREFIX);
}

void TDocumentTabBar::Paint() {
  TCanvas* canvas = Canvas();
  const TRect r = ClientRect();
  PaintBackground(canvas, r);
  for (TDocumentItem* item : items_) PaintItem(canvas, *item);
}

void TDocumentTabBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  TDocumentItem* item = ItemAt(X, Y);
  if (Button == mbLeft) {
    pressed_ = item;
    Invalidate();
  }
  if (OnTabMouseDown) OnTabMouseDown(this, Button, item);
}

void TDocumentTabBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  TDocumentItem* item = ItemAt(X, Y);
  if (Button == mbLeft) {
    TDocumentItem* pressed = pressed_;
    pressed_ = nullptr;
    Invalidate();
    if (item && item == pressed) item->Click();
    return;
  }
  if (OnTabMouseUp) OnTabMouseUp(this, Button, item);
}
