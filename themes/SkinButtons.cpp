// Skinned label, check box and push buttons over the text object.
#include "themes/SkinControls.h"

#include <algorithm>

#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/GdiHandles.h"
#include "framework/Mnemonics.h"
#include "framework/ScopeGuards.h"
#include "themes/UiStatusBars.h"

namespace {

TRect inflated(const TRect& R, int D) { return {R.Left - D, R.Top - D, R.Right + D, R.Bottom + D}; }

}  // namespace

// A button starts centred and at its own size; the other text objects left-aligned and sized to
// their text.
template <class T>
void PublishTextObject(TPublisher<T>& p, bool Button = false) {
  p.Prop("Caption", &T::Caption, &T::SetCaption);
  if (Button)
    p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taCenter);
  else
    p.Prop("Alignment", &T::Alignment, &T::SetAlignment);
  p.Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(Button ? 0 : 1);
  p.Prop("CaptionGlow", &T::CaptionGlow, &T::SetCaptionGlow).Default(gldNone);
  p.Prop("CaptionGlowColor", &T::CaptionGlowColor, &T::SetCaptionGlowColor).Default(65535);
  p.Prop("ImageIndex", &T::ImageIndex, &T::SetImageIndex).Default(-1);
  p.Prop("Images", &T::Images, &T::SetImages);
  p.Prop("LinkFont", &T::LinkFont, &T::SetLinkFont);
  p.Prop("LinkText", &T::LinkText, &T::SetLinkText);
  p.Prop("LinkTextParams", &T::LinkTextParams, &T::SetLinkTextParams);
  p.Prop("Margins", &T::Margins, &T::SetMargins);
  p.Prop("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).Default(1);
  p.Prop("Wrapping", &T::Wrapping, &T::SetWrapping).Default(twNone);
  p.Event("OnDraw", &T::OnDraw);
  p.Event("OnDrawCaption", &T::OnDrawCaption);
  p.Event("OnDrawHint", &T::OnDrawHint);
  p.Event("OnGetImageIndex", &T::OnGetImageIndex);
  p.Event("OnMouseEnter", &T::OnMouseEnter);
  p.Event("OnMouseLeave", &T::OnMouseLeave);
}

// ---- TSkinCustomLabel ----

TSkinCustomLabel::TSkinCustomLabel(TComponent* AOwner) : TSkinTextObject(AOwner) {
  // A label is read, not visited: the keyboard reaches it through its accelerator only.
  SetTabStop(false);
  SetParentColor(false);
  SetColor(clNone);
  AdjustBounds();
}

void TSkinCustomLabel::SetFocusControl(TWinControl* Value) {
  if (Value == focusControl_) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (focusControl_) focusControl_->FreeNotification(this);
}

void TSkinCustomLabel::SetUnderline(bool Value) {
  if (Value == underline_) return;
  underline_ = Value;
  AdjustBounds();
  Invalidate();
}

void TSkinCustomLabel::SetUnderlineColor(TColor Value) {
  if (Value == underlineColor_) return;
  underlineColor_ = Value;
  Invalidate();
}

void TSkinCustomLabel::PaintBackground(TCanvas* ACanvas, const TRect& ARect) {
  if (Color() == clNone) {
    DrawParentBackground(this, ACanvas->Handle(), ARect);
  } else {
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(Color());
    ACanvas->FillRect(ARect);
  }
  if (underline_) {
    ACanvas->Brush()->SetStyle(bsSolid);
    ACanvas->Brush()->SetColor(underlineColor_);
    ACanvas->FillRect(TRect{ARect.Left, ARect.Bottom - 1, ARect.Right, ARect.Bottom});
  }
}

bool TSkinCustomLabel::DialogChar(wchar_t Key) {
  if (!focusControl_ || !Enabled() || !ShowAccelChar() || !IsAccelChar(Key, Caption()) || !focusControl_->CanFocus())
    return false;
  focusControl_->SetFocus();
  return true;
}

void TSkinCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

HV_PUBLISH(TSkinCustomLabel) {}

HV_PUBLISH(TSkinLabel) {
  PublishTextObject(p);
  p.Prop("Color", &T::Color, &T::SetColor).Default(clNone);
  p.Prop("ParentColor", &T::ParentColor, &T::SetParentColor).Default(0);
  p.Prop("FocusControl", &T::FocusControl, &T::SetFocusControl);
  p.Prop("Underline", &T::Underline, &T::SetUnderline).Default(0);
  p.Prop("UnderlineColor", &T::UnderlineColor, &T::SetUnderlineColor).Default(clBtnShadow);
}

// ---- TSkinButtonControl ----

TSkinButtonControl::TSkinButtonControl(TComponent* AOwner) : TSkinTextObject(AOwner) { SetPushOnSpace(true); }

void TSkinButtonControl::SetGroupIndex(int Value) {
  if (Value == groupIndex_) return;
  groupIndex_ = Value;
  GroupChecked();
}

void TSkinButtonControl::GroupChecked() {
  if (!Checked() || groupIndex_ == 0 || !Parent()) return;
  TWinControl* parent = Parent();
  for (int i = 0; i < parent->ControlCount(); ++i)
    parent->Controls(i)->Perform(UM_SKINGROUPCHECK, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this));
}

void TSkinButtonControl::DoSetChecked(bool Value) {
  if (Value == Checked()) return;
  inherited::DoSetChecked(Value);
  GroupChecked();
}

void TSkinButtonControl::Dispatch(TMessage& Message) {
  if (Message.Msg == UM_SKINGROUPCHECK) {
    auto* sender = reinterpret_cast<TSkinButtonControl*>(Message.LParam);
    if (sender != this && static_cast<int>(Message.WParam) == groupIndex_ && &sender->ClassInfo() == &ClassInfo() &&
        Checked())
      SetChecked(false);
    return;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TSkinButtonControl) {}

// ---- TSkinCustomCheckBox ----

namespace {

// The glyph of the check box being painted, as image 0.
TCustomImageList* glyphList() {
  static const std::unique_ptr<TCustomImageList> list = [] {
    auto l = std::make_unique<TCustomImageList>(nullptr);
    l->SetWidth(13);
    l->SetHeight(13);
    return l;
  }();
  return list.get();
}

}  // namespace

TSkinCustomCheckBox::TSkinCustomCheckBox(TComponent* AOwner) : TSkinButtonControl(AOwner) { AdjustBounds(); }

void TSkinCustomCheckBox::GetImage(TCustomImageList*& AImageList, int& AImageIndex) {
  TBitmap glyph;
  glyph.SetSize(13, 13);
  glyph.Canvas()->Brush()->SetColor(TColor(0xFF00FF));
  glyph.Canvas()->FillRect(TRect{0, 0, 13, 13});
  DrawSkinCheckBox(glyph.Canvas(), TRect{0, 0, 13, 13}, Enabled(), GetSkinType(ThemeType()), Focused(), Pushed(),
                   MouseInside(), state_);
  TCustomImageList* list = glyphList();
  list->Clear();
  list->AddMasked(&glyph, TColor(0xFF00FF));
  AImageList = list;
  AImageIndex = 0;
}

void TSkinCustomCheckBox::SetState(TCheckBoxState Value) {
  if (Value == state_) return;
  state_ = Value;
  Invalidate();
  GroupChecked();
  // The change is a click for OnClick, without toggling again.
  settingState_ = true;
  try {
    Click();
  } catch (...) {
    settingState_ = false;
    throw;
  }
  settingState_ = false;
}

void TSkinCustomCheckBox::Click() {
  if (settingState_) {
    inherited::Click();
    return;
  }
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    default: SetState(cbChecked);
  }
}

HV_PUBLISH(TSkinCustomCheckBox) {}

HV_PUBLISH(TSkinCheckBox) {
  PublishTextObject(p);
  p.Prop("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(0);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(0);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("State", &T::State, &T::SetState).Default(cbUnchecked);
  p.Prop("TabStop", &T::TabStop, &T::SetTabStop).Default(true);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtUi);
}

// ---- TSkinCustomButton ----

TSkinCustomButton::TSkinCustomButton(TComponent* AOwner)
    : TSkinButtonControl(AOwner), bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = TNotifyEvent(this, &TSkinCustomButton::BitmapChanged);
  SetDrawPushedCaption(true);
  SetAlignment(taCenter);
  SetThemeType(thtWindows);
  SetAutoSize(false);
  SetBounds(Left(), Top(), 75, 25);
}

TSkinCustomButton::~TSkinCustomButton() { StopRepeatTimer(); }

void TSkinCustomButton::BitmapChanged(TObject*) { Invalidate(); }

void TSkinCustomButton::SetBitmap(TBitmap* Value) {
  bitmap_->Assign(Value);
  Invalidate();
}

void TSkinCustomButton::SetBitmapTransparent(bool Value) {
  if (Value == bitmapTransparent_) return;
  bitmapTransparent_ = Value;
  Invalidate();
}

void TSkinCustomButton::SetDefault(bool Value) {
  if (Value == default_) return;
  default_ = Value;
  Invalidate();
}

void TSkinCustomButton::SetDropDownArrow(bool Value) {
  if (Value == dropDownArrow_) return;
  dropDownArrow_ = Value;
  Invalidate();
}

void TSkinCustomButton::SetDropDownMenu(TPopupMenu* Value) {
  if (Value == dropDownMenu_) return;
  if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
  dropDownMenu_ = Value;
  if (dropDownMenu_) dropDownMenu_->FreeNotification(this);
  Invalidate();
}

void TSkinCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

int TSkinCustomButton::BitmapFrame() const {
  if (bitmap_->Empty() || bitmap_->Height() % 4 != 0) return -1;
  if (!Enabled()) return 3;
  if (Pushed() || Checked() || droppedDown_) return 2;
  return MouseInside() ? 1 : 0;
}

TRect TSkinCustomButton::GetTextRect() {
  TRect r = inflated(ClientRect(), GetSkinType(ThemeType()) == thtNone ? -4 : -3);
  TUiControlMargins* m = Margins();
  int right = 8;
  if (dropDownArrow_ && dropDownMenu_ && CurrentTheme) right += CurrentTheme->GetIntegerMetrics(20) + 1;
  return {r.Left + 8 + m->Left(), r.Top + 2 + m->Top(), r.Right - right - m->Right(), r.Bottom - 2 - m->Bottom()};
}

void TSkinCustomButton::PaintBackground(TCanvas* ACanvas, const TRect& ARect) {
  int frame = BitmapFrame();
  bool pushed = Pushed() || droppedDown_;
  if (frame >= 0) {
    int h = bitmap_->Height() / 4;
    HDC dc = ACanvas->Handle();
    HDC source = bitmap_->Canvas()->Handle();
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (bitmapTransparent_)
      TransparentBlt(dc, ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), source, 0, frame * h, bitmap_->Width(),
                     h, ColorToRGB(bitmap_->TransparentColor()));
    else
      StretchBlt(dc, ARect.Left, ARect.Top, ARect.Width(), ARect.Height(), source, 0, frame * h, bitmap_->Width(), h,
                 SRCCOPY);
  } else {
    TSkinThemeType skin = GetSkinType(ThemeType());
    bool isDefault = skin != thtUi && (default_ || Focused());
    DrawParentBackground(this, ACanvas->Handle(), ARect);
    DrawSkinButton(ACanvas, ARect, Enabled(), pushed, MouseInside(), Checked(), isDefault, skin, SkinButtonFace);
  }
  if (dropDownArrow_ && dropDownMenu_ && CurrentTheme) {
    int w = CurrentTheme->GetIntegerMetrics(20);
    TRect text = GetTextRect();
    TRect arrow{text.Right + 1, ARect.Top, text.Right + 1 + w, ARect.Bottom};
    TUiItemInfo info = SkinControlItemInfo(Enabled(), MouseInside(), pushed);
    CurrentTheme->PaintDropDownArrow(ACanvas, arrow, info);
  }
}

TColor TSkinCustomButton::CaptionColor() {
  if (GetSkinType(ThemeType()) != thtUi || !CurrentTheme) return inherited::CaptionColor();
  TUiItemInfo info = SkinControlItemInfo(Enabled(), MouseInside(), Pushed() || droppedDown_);
  info.Selected = Checked();
  return CurrentTheme->GetItemTextColor(info);
}

void TSkinCustomButton::Click() {
  // From the keyboard (Space, Enter, Alt+letter) a drop-down button opens its menu too.
  if (dropDownMenu_) {
    if (!droppedDown_) DropDown();
    return;
  }
  if (GroupIndex() != 0) SetChecked(true);
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  inherited::Click();
}

void TSkinCustomButton::DropDown() {
  TPoint below = ClientToScreen({0, Height()});
  droppedDown_ = true;
  Repaint();
  TScopeExit done([&] {
    droppedDown_ = false;
    SetPushed(false);
    SetMouseCapture(false);
    Invalidate();
  });
  dropDownMenu_->SetPopupComponent(this);
  dropDownMenu_->Popup(below.X, below.Y);
  // The click that closed the menu must not press the button again.
  // A quit comes out of the queue whatever range is asked for: it is put back.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_MBUTTONDBLCLK, PM_REMOVE))
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
}

void TSkinCustomButton::StartRepeatTimer(UINT Interval) {
  if (!repeatTimer_) {
    repeatTimer_ = std::make_unique<TTimer>(nullptr);
    repeatTimer_->OnTimer = TNotifyEvent(this, &TSkinCustomButton::RepeatTick);
  }
  repeatTimer_->SetInterval(Interval);
  repeatTimer_->SetEnabled(true);
}

void TSkinCustomButton::StopRepeatTimer() { repeatTimer_.reset(); }

void TSkinCustomButton::RepeatTick(TObject*) {
  if (!Pushed() || !Enabled()) {
    // Stopped, not freed: this runs inside the timer's own tick.
    if (repeatTimer_) repeatTimer_->SetEnabled(false);
    return;
  }
  StartRepeatTimer(100);
  Click();
}

void TSkinCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  inherited::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  // These presses act at once; the release that follows is no click.
  if (dropDownMenu_ || repeating_) SetControlState(ControlState() - csClicked);
  if (dropDownMenu_) {
    DropDown();
    return;
  }
  if (repeating_) {
    Click();
    StartRepeatTimer(400);
  }
}

void TSkinCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && repeating_) StopRepeatTimer();
  inherited::MouseUp(Button, Shift, X, Y);
}

void TSkinCustomButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSELEAVE:
      inherited::Dispatch(Message);
      if (repeating_ && !MouseCapture()) StopRepeatTimer();
      return;
    case CM_DIALOGKEY: {
      auto key = static_cast<Word>(Message.WParam);
      bool plain = (KeyDataToShiftState(Message.LParam) * TShiftState{ssAlt, ssCtrl, ssShift}).Empty();
      if (plain && CanFocus() && (key == VK_RETURN || key == VK_ESCAPE)) {
        TWinControl* focused = FindControl(GetFocus());
        bool take = key == VK_ESCAPE ? cancel_ : Focused() || (default_ && !dynamic_cast<TSkinCustomButton*>(focused));
        if (take) {
          Click();
          Message.Result = 1;
          return;
        }
      }
      break;
    }
    default: break;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TSkinCustomButton) {}

HV_PUBLISH(TSkinButton) {
  PublishTextObject(p, true);
  p.Prop("Bitmap", &T::Bitmap, &T::SetBitmap);
  p.Prop("BitmapTransparent", &T::BitmapTransparent, &T::SetBitmapTransparent).Default(1);
  p.Prop("Cancel", &T::Cancel, &T::SetCancel).Default(0);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(0);
  p.Prop("Default", &T::Default, &T::SetDefault).Default(0);
  p.Prop("DropDownArrow", &T::DropDownArrow, &T::SetDropDownArrow).Default(1);
  p.Prop("DropDownMenu", &T::DropDownMenu, &T::SetDropDownMenu);
  p.Prop("GroupIndex", &T::GroupIndex, &T::SetGroupIndex).Default(0);
  p.Prop("ModalResult", &T::ModalResult, &T::SetModalResult).Default(0);
  p.Prop("Repeating", &T::Repeating, &T::SetRepeating).Default(0);
  p.Prop("ThemeType", &T::ThemeType, &T::SetThemeType).Default(thtWindows);
}
