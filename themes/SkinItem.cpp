// The skinned items: their Unicode texts and sizes, the linked control, the draw events, the
// action link, the label, spacer and separator kinds, and the bitmap hint.
#include "themes/SkinItem.h"

#include "controls/UcActnList.h"
#include "controls/UcControls.h"
#include "controls/UcForms.h"
#include "foundation/UcStringLists.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/CodePages.h"
#include "framework/FormFiles.h"
#include "framework/Forms.h"
#include "framework/Mnemonics.h"
#include "framework/Screen.h"
#include "themes/SkinToolbar.h"

// The skinned item base publishes nothing itself: commands, labels, the spacer and tabs each
// publish their own choice.
HV_PUBLISH(TSkinCustomItem) {}
HV_PUBLISH(TSkinCustomItemActionLink) {}
HV_PUBLISH(TSkinItem) { PublishSkinItemProperties(p, SkinItemProperties); }
// Only an item with a sub-menu links, shows and hears the close of a sub-menu.
HV_PUBLISH(TSkinSubmenuItem) {
  p.Prop("DropdownCombo", &T::DropdownCombo, &T::SetDropdownCombo).Default(false);
  PublishSkinItemProperties(p,
                            "AlwaysSelectFirst LinkSubitems SubMenuImages ToolBoxPopup ToolbarStylePopup OnPopup "
                            "OnClosePopup");
}
HV_PUBLISH(TSkinCustomLabelItem) {}
namespace {
// A label is no command: no action, check, shortcut, hint or sub-menu. It starts left-aligned.
constexpr std::string_view labelProperties =
    "Caption ImageIndex Images InheritOptions Layout FontSettings MaskOptions MinHeight MinWidth Options Visible "
    "OnAdjustFont OnClick Alignment CaptionGlow CaptionGlowColor CustomWidth CustomHeight OnDrawCaption OnDrawHint "
    "OnDrawItem OnDrawImage";
}  // namespace
HV_PUBLISH(TSkinLabelItem) {
  PublishSkinItemProperties(p, std::string(labelProperties) + " Anchored Control Margins", {taLeftJustify});
}
// The spacer, sized by its toolbar, has no control, anchoring or margins.
HV_PUBLISH(TSkinRightAlignSpacerItem) { PublishSkinItemProperties(p, labelProperties, {taLeftJustify}); }
HV_PUBLISH(TSkinSeparatorItem) {}
HV_PUBLISH(TSkinSeparatorItemViewer) {}
HV_PUBLISH(TSkinItemViewer) {}
HV_PUBLISH(TSkinLabelItemViewer) {}
HV_PUBLISH(TBitmapHint) {}

// ---- the item ----

TSkinCustomItem::TSkinCustomItem(TComponent* AOwner) : TUiCustomItem(AOwner) { SetStretch(true); }

void TSkinCustomItem::SetCaption(const WideString& Value) {
  if (Value == wideCaption_) return;
  wideCaption_ = Value;
  // The inherited caption announces its own change; an equal one still asks for a new size.
  if (TUiCustomItem::Caption() != Value)
    TUiCustomItem::SetCaption(Value);
  else
    Changed(true);
}

void TSkinCustomItem::SetHint(const WideString& Value) {
  wideHint_ = Value;
  TUiCustomItem::SetHint(Value);
}

void TSkinCustomItem::SetCaptionGlow(TSpGlowDirection Value) {
  if (Value == captionGlow_) return;
  captionGlow_ = Value;
  Changed(false);
}

void TSkinCustomItem::SetCaptionGlowColor(TColor Value) {
  if (Value == captionGlowColor_) return;
  captionGlowColor_ = Value;
  Changed(false);
}

void TSkinCustomItem::SetAlignment(TAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  Changed(false);
}

void TSkinCustomItem::SetWrapping(TTextWrapping Value) {
  if (Value == wrapping_) return;
  wrapping_ = Value;
  Changed(false);
}

void TSkinCustomItem::SetCustomWidth(int Value) {
  Value = std::max(Value, -1);
  if (Value == customWidth_) return;
  customWidth_ = Value;
  Changed(true);
}

void TSkinCustomItem::SetCustomHeight(int Value) {
  Value = std::max(Value, -1);
  if (Value == customHeight_) return;
  customHeight_ = Value;
  Changed(true);
}

void TSkinCustomItem::SetMargins(int Value) {
  Value = std::max(Value, 0);
  if (Value == margins_) return;
  margins_ = Value;
  Changed(true);
}

void TSkinCustomItem::SetControl(TControl* Value) {
  if (control_ != Value) {
    if (control_) control_->RemoveFreeNotification(this);
    control_ = Value;
  }
  if (control_) control_->FreeNotification(this);
  // Also for the same control: setting it again brings the check back in line with it.
  UpdateFromControl();
}

void TSkinCustomItem::Notification(TComponent* AComponent, TOperation Operation) {
  TUiCustomItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == control_) control_ = nullptr;
}

TBarItemViewerClass TSkinCustomItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TSkinItemViewer>; }

TBarPopupWindowClass TSkinCustomItem::PopupWindowClass() { return &MakeBarPopupWindow<TSkinPopupWindow>; }

void TSkinCustomItem::DoClick() {
  if (control_) ToggleControl();
  TUiCustomItem::DoClick();
}

void TSkinCustomItem::InitiateAction() {
  TUiCustomItem::InitiateAction();
  UpdateFromControl();
}

void TSkinCustomItem::DefineProperties(TFiler* Filer) {
  TUiCustomItem::DefineProperties(Filer);
  // Older form data kept the Unicode texts under names of their own; they are read, never
  // written.
  auto reader = [this](void (TSkinCustomItem::*Set)(const WideString&)) {
    return [this, Set](TReader& Reader) {
      TFormValueType kind = Reader.NextValue();
      if (kind == vaString || kind == vaLString)
        (this->*Set)(AnsiToWide(Reader.ReadString()));
      else
        (this->*Set)(Reader.ReadWideString());
    };
  };
  Filer->DefineProperty("CaptionW", reader(&TSkinCustomItem::SetCaption), nullptr, false);
  Filer->DefineProperty("HintW", reader(&TSkinCustomItem::SetHint), nullptr, false);
  DefineWideStringProperties(Filer, this);
}

bool TSkinCustomItem::DialogChar(Word) { return false; }
void TSkinCustomItem::DoDrawAdjustFont(TFont*, int) {}

void TSkinCustomItem::DoDrawHint(TBitmap* AHintBitmap, WideString& AHint, bool& PaintDefault) {
  if (OnDrawHint) OnDrawHint(this, AHintBitmap, AHint, PaintDefault);
}

void TSkinCustomItem::DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                 TSkinPaintStage PaintStage, bool& PaintDefault) {
  if (OnDrawItem) OnDrawItem(this, ACanvas, ARect, ItemInfo, PaintStage, PaintDefault);
}

void TSkinCustomItem::DoDrawCaption(TCanvas* ACanvas, const TRect& ClientAreaRect, WideString& ACaption,
                                    TRect& CaptionRect, Cardinal& CaptionFormat, bool IsTextRotated,
                                    TSkinPaintStage PaintStage, bool& PaintDefault) {
  if (OnDrawCaption)
    OnDrawCaption(this, ACanvas, ClientAreaRect, ACaption, CaptionRect, CaptionFormat, IsTextRotated, PaintStage,
                  PaintDefault);
}

void TSkinCustomItem::DoDrawImage(TCanvas* ACanvas, const TUiItemInfo& ItemInfo, TSkinPaintStage PaintStage,
                                  TCustomImageList*& AImageList, int& AImageIndex, TRect& ARect, bool& PaintDefault) {
  if (OnDrawImage) OnDrawImage(this, ACanvas, ItemInfo, PaintStage, AImageList, AImageIndex, ARect, PaintDefault);
}

void TSkinCustomItem::ToggleControl() {
  if (control_) control_->SetVisible(!control_->Visible());
}

void TSkinCustomItem::UpdateFromControl() {
  if (!control_) return;
  if (!(ComponentState() * TComponentState{csLoading, csDestroying, csDesigning}).Empty()) return;
  SetChecked(control_->Visible());
}

void TSkinCustomItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  if (auto* action = dynamic_cast<TCustomAction*>(Sender)) {
    // Every action of this framework keeps wide texts; a Unicode action's are taken as they
    // are, the others' widened ANSI texts the same way.
    if (!CheckDefaults || wideCaption_.empty()) SetCaption(action->Caption());
    if (!CheckDefaults || wideHint_.empty()) SetHint(UcAction_GetHint(action));
  }
  TUiCustomItem::ActionChange(Sender, CheckDefaults);
}

TBarCustomItemActionLink* TSkinCustomItem::CreateActionLink() { return new TSkinCustomItemActionLink(this); }

// ---- action link ----

TSkinCustomItemActionLink::TSkinCustomItemActionLink(TObject* AClient)
    : TBarCustomItemActionLink(AClient), skinClient_(dynamic_cast<TSkinCustomItem*>(AClient)) {}

bool TSkinCustomItemActionLink::IsCaptionLinked() {
  auto* action = dynamic_cast<TCustomAction*>(Action());
  if (!skinClient_ || !dynamic_cast<IUcUnicodeAction*>(Action()) || !action)
    return TBarCustomItemActionLink::IsCaptionLinked();
  return TActionLink::IsCaptionLinked() && skinClient_->Caption() == action->Caption();
}

bool TSkinCustomItemActionLink::IsHintLinked() {
  if (!skinClient_ || !dynamic_cast<IUcUnicodeAction*>(Action())) return TBarCustomItemActionLink::IsHintLinked();
  return TActionLink::IsHintLinked() && skinClient_->Hint() == UcAction_GetHint(Action());
}

void TSkinCustomItemActionLink::SetCaption(const WideString& Value) {
  if (skinClient_ && IsCaptionLinked())
    skinClient_->SetCaption(Value);
  else
    TBarCustomItemActionLink::SetCaption(Value);
}

void TSkinCustomItemActionLink::SetHint(const WideString& Value) {
  if (skinClient_ && IsHintLinked())
    skinClient_->SetHint(Value);
  else
    TBarCustomItemActionLink::SetHint(Value);
}

// ---- the other item kinds ----

TSkinSubmenuItem::TSkinSubmenuItem(TComponent* AOwner) : TSkinItem(AOwner) {
  SetItemStyle(ItemStyle() | tbisHasSubmenu | tbisSubmenuItem);
}

void TSkinSubmenuItem::SetDropdownCombo(bool Value) {
  if (Value == DropdownCombo()) return;
  SetItemStyle(Value ? ItemStyle() | tbisSplitButton : ItemStyle() & ~tbisSplitButton);
  Changed(true);
}

TSkinCustomLabelItem::TSkinCustomLabelItem(TComponent* AOwner) : TSkinCustomItem(AOwner) {
  SetItemStyle((ItemStyle() & ~(tbisCanSelect | tbisRepaintOnSelect | tbisRepaintOnHover)) | tbisIgnoresClicks);
  SetAlignment(taLeftJustify);
  SetStretch(false);
  SetDisplayMode(nbdmImageAndText);
}

TBarItemViewerClass TSkinCustomLabelItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TSkinLabelItemViewer>; }

namespace {
// Whether a control and every parent up to its form are enabled and visible, on a shown form.
bool CanTakeFocus(TWinControl* Control) {
  TCustomForm* form = GetParentForm(Control);
  if (!form || !form->Visible() || !form->Enabled() || Control->Focused()) return false;
  for (TControl* c = Control; c && c != form; c = c->Parent())
    if (!c->Enabled() || !c->Visible()) return false;
  return true;
}
}  // namespace

bool TSkinCustomLabelItem::DialogChar(Word CharCode) {
  auto* control = dynamic_cast<TWinControl*>(Control());
  if (!control || !IsAccelChar(static_cast<wchar_t>(CharCode), TUiCustomItem::Caption()) || !CanTakeFocus(control))
    return false;
  control->SetFocus();
  return true;
}

void TSkinCustomLabelItem::DoDrawItem(TCanvas* ACanvas, const TRect& ARect, const TUiItemInfo& ItemInfo,
                                      TSkinPaintStage PaintStage, bool& PaintDefault) {
  TSkinCustomItem::DoDrawItem(ACanvas, ARect, ItemInfo, PaintStage, PaintDefault);
  PaintDefault = false;  // a label never gets a button face
}

TBarItemViewerClass TSkinSeparatorItem::ViewerClass(TBarView*) { return &MakeBarItemViewer<TSkinSeparatorItemViewer>; }

void TSkinSeparatorItemViewer::Paint(TCanvas* Canvas, const TRect& ClientAreaRect, bool IsSelected, bool IsPushed,
                                     bool UseDisabledShadow) {
  if (dynamic_cast<TSkinStatusToolbar*>(View()->Window()) && CurrentTheme) {
    TRect r{ClientAreaRect.Left, ClientAreaRect.Top + 1, ClientAreaRect.Right, ClientAreaRect.Bottom - 2};
    CurrentTheme->PaintStatusBar(Canvas, r, 1);
    return;
  }
  TUiSeparatorItemViewer::Paint(Canvas, ClientAreaRect, IsSelected, IsPushed, UseDisabledShadow);
}

// ---- hint texts and the bitmap hint ----

WideString SkinItemHintText(const WideString& Hint, const WideString& Caption, bool AutoHint,
                            const WideString& ShortCutText) {
  WideString text = WideShortHint(Hint);
  if (text.empty() && AutoHint) text = RemoveAcceleratorMarks(RemoveTrailingColonOrDots(Caption));
  if (!text.empty() && !ShortCutText.empty()) text += L" (" + ShortCutText + L")";
  return text;
}

TBitmap* SkinHintBitmap() {
  static std::unique_ptr<TBitmap> bitmap = std::make_unique<TBitmap>();
  return bitmap.get();
}

TBitmapHint::TBitmapHint(TComponent* AOwner) : THintWindow(AOwner) {}

namespace {

// The window of a hint bitmap: the bitmap's margin beside the text is cut on the right, while the
// window's client area, inside its border, holds the bitmap's whole height, so that no line of
// the text (the tab hints have two) loses its bottom.
TRect bitmapHintRect(const TBitmap& Bitmap) {
  return {0, 0, Bitmap.Width() - 2, Bitmap.Height() + 2 * GetSystemMetrics(SM_CYBORDER)};
}

}  // namespace

void TBitmapHint::ActivateHintData(TRect Rect, const WideString& AHint, void* AData) {
  bitmap_ = static_cast<TBitmap*>(AData);
  if (bitmap_) {
    const TRect size = bitmapHintRect(*bitmap_);
    Rect.Right = Rect.Left + size.Right;
    Rect.Bottom = Rect.Top + size.Bottom;
  }
  THintWindow::ActivateHintData(Rect, AHint, AData);
}

TRect TBitmapHint::CalcHintRect(int MaxWidth, const WideString& AHint, void* AData) {
  if (auto* bitmap = static_cast<TBitmap*>(AData)) return bitmapHintRect(*bitmap);
  return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

void TBitmapHint::Paint() {
  if (bitmap_) Canvas()->Draw(0, 0, bitmap_);
}

void TBitmapHint::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }
