// Controls without a window of their own: placing, state, text, messages, painting, the mouse
// and its capture, drag and drop; the shift states and the cursor names they share.
#include "framework/Controls.h"

#include <algorithm>
#include <optional>

#include "framework/Application.h"
#include "framework/ControlCapture.h"
#include "framework/DragDrop.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/PaintScopes.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/WindowLink.h"

namespace {

using controls_detail::captureControl;

const TIdentMapEntry kCursorNames[] = {
    {0, "crDefault"},   {-1, "crNone"},       {-2, "crArrow"},    {-3, "crCross"},    {-4, "crIBeam"},
    {-22, "crSizeAll"}, {-6, "crSizeNESW"},   {-7, "crSizeNS"},   {-8, "crSizeNWSE"}, {-9, "crSizeWE"},
    {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"},    {-13, "crNoDrop"},  {-14, "crHSplit"},
    {-15, "crVSplit"},  {-16, "crMultiDrag"}, {-17, "crSQLWait"}, {-18, "crNo"},      {-19, "crAppStart"},
    {-20, "crHelp"},    {-21, "crHandPoint"}, {-22, "crSize"},
};

const bool cursorIdentsRegistered = [] {
  RegisterIntegerConsts(TypeInfoOf<TCursor>(), &IdentToCursor, &CursorToIdent);
  return true;
}();

}  // namespace

bool IdentToCursor(std::string_view ident, int32_t& cursor) {
  return IdentToIntFromMap(ident, cursor, kCursorNames, std::size(kCursorNames));
}

bool CursorToIdent(int32_t cursor, std::string& ident) {
  return IntToIdentFromMap(cursor, ident, kCursorNames, std::size(kCursorNames));
}

// ---- shift states ----

TShiftState KeysToShiftState(WORD Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & 0x20000000) s.Include(ssAlt);
  return s;
}

TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) s.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) s.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) s.Include(ssMiddle);
  return s;
}

TPoint MousePos() {
  POINT p{};
  GetCursorPos(&p);
  return ToTPoint(p);
}

// ---- TControl ----

HV_PUBLISH(TControl) {
  p.Prop("Left", &T::Left, &T::SetLeft);
  p.Prop("Top", &T::Top, &T::SetTop);
  p.Prop("Width", &T::Width, &T::SetWidth);
  p.Prop("Height", &T::Height, &T::SetHeight);
  p.Prop("Align", &T::Align, &T::SetAlign).Default(alNone);
  p.Prop("Anchors", &T::Anchors, &T::SetAnchors).Default(TAnchors{akLeft, akTop});
  p.Prop("Constraints", &T::Constraints, &T::SetConstraints);
  p.Prop("Cursor", &T::Cursor, &T::SetCursor).Default(crDefault);
  p.Prop("DragCursor", &T::DragCursor, &T::SetDragCursor).Default(crDrag);
  p.Prop("DragMode", &T::DragMode, &T::SetDragMode).Default(dmManual);
  p.Prop("Action", &T::Action, &T::SetAction);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(1).Stored(&T::IsEnabledStored);
  p.Prop("ParentColor", &T::ParentColor, &T::SetParentColor).Default(1);
  p.Prop("Color", &T::Color, &T::SetColor).Stored(&T::IsColorStored);
  p.Prop("ParentFont", &T::ParentFont, &T::SetParentFont).Default(1);
  p.Prop("Font", &T::Font, &T::SetFont).Stored(&T::IsFontStored);
  p.Prop("Hint", &T::Hint, &T::SetHint).Stored(&T::IsHintStored);
  p.Prop("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(1);
  p.Prop("PopupMenu", &T::PopupMenu, &T::SetPopupMenu<TPopupMenu>);
  p.Prop("ShowHint", &T::ShowHint, &T::SetShowHint).Stored(&T::IsShowHintStored);
  p.Prop("Visible", &T::Visible, &T::SetVisible).Default(1).Stored(&T::IsVisibleStored);
  p.Event("OnClick", &T::OnClick).Stored(&T::IsOnClickStored);
  p.Event("OnDblClick", &T::OnDblClick);
  p.Event("OnMouseDown", &T::OnMouseDown);
  p.Event("OnMouseMove", &T::OnMouseMove);
  p.Event("OnMouseUp", &T::OnMouseUp);
  p.Event("OnMouseWheel", &T::OnMouseWheel);
  p.Event("OnMouseWheelDown", &T::OnMouseWheelDown);
  p.Event("OnMouseWheelUp", &T::OnMouseWheelUp);
  p.Event("OnContextPopup", &T::OnContextPopup);
  p.Event("OnResize", &T::OnResize);
  p.Event("OnDragOver", &T::OnDragOver);
  p.Event("OnDragDrop", &T::OnDragDrop);
  p.Event("OnStartDrag", &T::OnStartDrag);
  p.Event("OnEndDrag", &T::OnEndDrag);
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), constraints_(std::make_unique<TSizeConstraints>(this)), font_(std::make_unique<TFont>()) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  controlStyle_ = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  Destroying();
  dragdrop::ControlDestroying(this);
  if (captureControl == this) SetCaptureControl(nullptr);
  if (Application) Application->ControlDestroying(this);
  if (parent_) parent_->RemoveControl(this);
}

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* Value) { SetParent(dynamic_cast<TWinControl*>(Value)); }

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  // Refused before anything changes: the control stays where it was, windows and all.
  if (auto* self = dynamic_cast<TWinControl*>(this); self && AParent && self->ContainsControl(AParent))
    throw EInvalidOperation("A control cannot be placed inside its own child");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::Loaded() {
  inherited::Loaded();
  if (parent_) {
    if (parentColor_) ApplyParentColor();
    if (parentFont_) ApplyParentFont();
    if (parentShowHint_) ApplyParentShowHint();
  }
  UpdateAnchorRules();
  RequestAlign();
  if (TBasicAction* action = Action()) ActionChange(action, true);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent && AComponent == popupMenuComponent_) {
    popupMenu_ = nullptr;
    popupMenuComponent_ = nullptr;
  }
  // The action clears its links before its owner hears of its end; a link left without an
  // action serves nobody.
  if (Operation == opRemove && actionLink_ && (actionLink_->Action() == AComponent || !actionLink_->Action())) {
    actionLink_.reset();
    controlStyle_.Exclude(csActionClient);
  }
}

// ---- actions ----

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    controlStyle_.Exclude(csActionClient);
    return;
  }
  if (!actionLink_) {
    actionLink_.reset(CreateActionLink());
    actionLink_->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  }
  actionLink_->SetAction(Value);
  controlStyle_.Include(csActionClient);
  ActionChange(Value, IsLoading());
  Value->FreeNotification(this);
}

TControlActionLink* TControl::CreateActionLink() { return new TControlActionLink(this); }

void TControl::DoActionChange(TObject* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  if (!CheckDefaults) {
    SetCaption(action->Caption());
  } else {
    WideString caption = Caption();
    const std::string& name = Name();
    if (caption.empty() || caption == WideString(name.begin(), name.end())) SetCaption(action->Caption());
  }
  if (!CheckDefaults || Enabled()) SetEnabled(action->Enabled());
  if (!CheckDefaults || hint_.empty()) SetHint(action->Hint());
  if (!CheckDefaults || visible_) SetVisible(action->Visible());
  if (!CheckDefaults || !OnClick) OnClick = action->OnExecute();
}

void TControl::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

bool TControl::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TControl::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TControl::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TControl::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TControl::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

HV_PUBLISH(TControlActionLink) {}

TControlActionLink::TControlActionLink(TControl* AClient) : TActionLink(AClient), client_(AClient) {}

bool TControlActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && SameCaption(client_->Caption(), CustomAction()->Caption());
}

bool TControlActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}

bool TControlActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}

bool TControlActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}

bool TControlActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && client_->OnClick == Action()->OnExecute();
}

void TControlActionLink::SetCaption(const WideString& Value) {
  if (IsCaptionLinked()) client_->SetCaption(Value);
}

void TControlActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) client_->SetEnabled(Value);
}

void TControlActionLink::SetHint(const WideString& Value) {
  if (IsHintLinked()) client_->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) client_->SetVisible(Value);
}

void TControlActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) client_->OnClick = Value;
}

void TControl::SetPopupMenuComponent(TComponent* Component, TPopupMenu* Menu) {
  if (Component == popupMenuComponent_) return;
  if (popupMenuComponent_) popupMenuComponent_->RemoveFreeNotification(this);
  popupMenuComponent_ = Component;
  popupMenu_ = Menu;
  if (Component) Component->FreeNotification(this);
}

// ---- place ----

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  constraints_->Constrain(AWidth, AHeight);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  InvalidateControl(visible_, false);
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  UpdateAnchorRules();
  Invalidate();
  RequestAlign();
  if (!IsLoading()) Resize();
}

TRect TControl::GetClientRect() { return Rect(0, 0, width_, height_); }

void TControl::SetClientSize(int AWidth, int AHeight) {
  TRect client = GetClientRect();
  SetBounds(left_, top_, width_ - client.Width() + AWidth, height_ - client.Height() + AHeight);
}

TPoint TControl::ClientOrigin() {
  if (!parent_) return {left_, top_};
  TPoint p = parent_->ClientOrigin();
  return {p.X + left_, p.Y + top_};
}

void TControl::SetAlign(TAlign Value) {
  if (Value == align_) return;
  TAlign old = align_;
  align_ = Value;
  // An aligned control stretches along its side, as anchors to both ends would make it.
  switch (Value) {
    case alTop: anchors_ = TAnchors{akLeft, akTop, akRight}; break;
    case alBottom: anchors_ = TAnchors{akLeft, akRight, akBottom}; break;
    case alLeft: anchors_ = TAnchors{akLeft, akTop, akBottom}; break;
    case alRight: anchors_ = TAnchors{akRight, akTop, akBottom}; break;
    case alClient: anchors_ = TAnchors{akLeft, akTop, akRight, akBottom}; break;
    default:
      if (old != alNone && old != alCustom) anchors_ = TAnchors{akLeft, akTop};
      break;
  }
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (Value == anchors_) return;
  anchors_ = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (!parent_ || parent_->aligning_) return;
  anchorRect_ = BoundsRect();
  TRect client = parent_->GetClientRect();
  anchorParentSize_ = {client.Width(), client.Height()};
  anchorRulesValid_ = true;
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

void TControl::ConstraintsChanged(TObject*) { SetBounds(left_, top_, width_, height_); }

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

void TControl::SetZOrder(bool TopMost) {
  if (!parent_) return;
  parent_->SetZOrderPosition(this, TopMost ? parent_->controls_.size() - 1 : 0);
}

// ---- state ----

void TControl::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  RequestAlign();
}

void TControl::DoSetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (Value == color_ && !parentColor_) return;
  color_ = Value;
  parentColor_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (Value == parentColor_) return;
  parentColor_ = Value;
  if (Value && parent_ && !IsLoading()) ApplyParentColor();
}

void TControl::ApplyParentColor() {
  TColor c = parent_->Color();
  if (c != color_) {
    color_ = c;
    Perform(CM_COLORCHANGED);
  }
  parentColor_ = true;
}

void TControl::FontChanged(TObject*) {
  if (!settingParentFont_) parentFont_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (Value == parentFont_) return;
  parentFont_ = Value;
  if (Value && parent_ && !IsLoading()) ApplyParentFont();
}

void TControl::ApplyParentFont() {
  {
    TTempValue setting(settingParentFont_, true);
    font_->Assign(parent_->Font());
  }
  parentFont_ = true;
}

void TControl::SetShowHint(bool Value) {
  if (Value == showHint_ && !parentShowHint_) return;
  showHint_ = Value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
  if (Value == parentShowHint_) return;
  parentShowHint_ = Value;
  if (Value && parent_ && !IsLoading()) ApplyParentShowHint();
}

void TControl::ApplyParentShowHint() {
  bool v = parent_->ShowHint();
  if (v != showHint_) {
    showHint_ = v;
    Perform(CM_SHOWHINTCHANGED);
  }
  parentShowHint_ = true;
}

void TControl::SetCursor(TCursor Value) {
  if (Value == cursor_) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED);
}

// ---- text ----

WideString TControl::GetText() {
  int len = GetTextLen();
  WideString text(static_cast<size_t>(len) + 1, L'\0');
  LRESULT copied = Perform(WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, len)));
  return text;
}

int TControl::GetTextLen() { return static_cast<int>(Perform(WM_GETTEXTLENGTH)); }

void TControl::SetText(const WideString& Value) {
  if (GetText() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()));
  Perform(CM_TEXTCHANGED);
}

// ---- messages ----

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m;
  m.Msg = Msg;
  m.WParam = WParam;
  m.LParam = LParam;
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_KEYFIRST && Message.Msg <= WM_KEYLAST) {
    if (dragdrop::HandleMessage(this, Message)) return;
  } else if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    if (dragdrop::HandleMessage(this, Message)) return;
    if (Message.Msg == WM_MOUSEMOVE && Application) Application->HintMouseMessage(this, Message);
    if (Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_LBUTTONDBLCLK) {
      if (dragMode_ == dmAutomatic) {
        BeginDrag(false);
        return;
      }
      controlState_.Include(csLButtonDown);
    } else if (Message.Msg == WM_LBUTTONUP) {
      controlState_.Exclude(csLButtonDown);
    }
  }
  Dispatch(Message);
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_SHOWHINTCHANGED: CMShowHintChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_CURSORCHANGED: CMCursorChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_HITTEST: CMHitTest(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_DRAG: CMDrag(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_INVALIDATE: CMInvalidate(Message); break;
    default: DefaultHandler(Message); break;
  }
}

// A control without a window keeps its text itself.
void TControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
      size_t size = static_cast<size_t>(Message.WParam);
      if (!buffer || size == 0) {
        Message.Result = 0;
        break;
      }
      size_t n = std::min(text_.size(), size - 1);
      std::copy_n(text_.data(), n, buffer);
      buffer[n] = L'\0';
      Message.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH: Message.Result = static_cast<LRESULT>(text_.size()); break;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const wchar_t*>(Message.LParam);
      text_ = text ? text : L"";
      Message.Result = 1;
      break;
    }
    default: break;
  }
}

// ---- painting ----

void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || !parent_ || !parent_->HandleAllocated()) return;
  RECT r = ToRECT(BoundsRect());
  InvalidateRect(parent_->handle_, &r, !IsOpaque);
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.Contains(csOpaque)); }

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  if (controlStyle_.Contains(csOpaque)) {
    // Paints at once, without the parent's background under it.
    TWindowDC dc(parent_->handle_);
    TSaveDC save(dc.Get());
    SetViewportOrgEx(dc.Get(), left_, top_, nullptr);
    IntersectClipRect(dc.Get(), 0, 0, width_, height_);
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
  } else {
    Invalidate();
    Update();
  }
}

// ---- mouse ----

bool TControl::MouseCapture() const { return captureControl == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value == MouseCapture()) return;
  SetCaptureControl(Value ? this : nullptr);
}

TControl* GetCaptureControl() {
  if (!captureControl) return nullptr;
  // Another window may have taken the capture behind the framework's back.
  HWND capture = GetCapture();
  if (!capture) return nullptr;
  TWinControl* owner = captureControl->Parent();
  if (auto* win = dynamic_cast<TWinControl*>(captureControl)) owner = win;
  if (!owner || !owner->HandleAllocated() || owner->Handle() != capture) return nullptr;
  return captureControl;
}

void SetCaptureControl(TControl* Control) {
  captureControl = nullptr;
  ReleaseCapture();
  if (!Control) return;
  TWinControl* window = dynamic_cast<TWinControl*>(Control);
  if (!window) window = Control->Parent();
  if (!window) return;
  SetCapture(window->Handle());
  captureControl = Control;
}

void TControl::SendCancelMode(TControl* Sender) {
  TCustomForm* form = GetParentForm(this);
  if (form && form->ActiveControl() && form->ActiveControl() != Sender)
    form->ActiveControl()->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
}

bool TControl::HitTest(int X, int Y) { return Perform(CM_HITTEST, 0, PointToLParam(X, Y)) != 0; }

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TShiftState state = KeysToShiftState(static_cast<WORD>(Message.WParam)) + Shift;
  MouseDown(Button, state, MessageX(Message.LParam), MessageY(Message.LParam));
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  // The released button is no longer down in the key flags; the state names it all the same.
  static const TShiftStateFlag buttonFlag[] = {ssLeft, ssRight, ssMiddle};
  TShiftState state = KeysToShiftState(static_cast<WORD>(Message.WParam)) + buttonFlag[Button];
  MouseUp(Button, state, MessageX(Message.LParam), MessageY(Message.LParam));
}

void TControl::WMLButtonDown(TMessage& Message) {
  SendCancelMode(this);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
  DoMouseDown(Message, mbLeft, TShiftState{ssLeft});
}

void TControl::WMRButtonDown(TMessage& Message) { DoMouseDown(Message, mbRight, TShiftState{ssRight}); }

void TControl::WMMButtonDown(TMessage& Message) { DoMouseDown(Message, mbMiddle, TShiftState{ssMiddle}); }

void TControl::WMLButtonDblClk(TMessage& Message) {
  SendCancelMode(this);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) DblClick();
  DoMouseDown(Message, mbLeft, TShiftState{ssLeft, ssDouble});
}

void TControl::WMRButtonDblClk(TMessage& Message) { DoMouseDown(Message, mbRight, TShiftState{ssRight, ssDouble}); }

void TControl::WMMButtonDblClk(TMessage& Message) { DoMouseDown(Message, mbMiddle, TShiftState{ssMiddle, ssDouble}); }

void TControl::WMLButtonUp(TMessage& Message) {
  // Releasing the capture here is no lost capture: the click stands.
  bool clicked = controlState_.Contains(csClicked);
  controlState_.Exclude(csClicked);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(false);
  if (clicked && GetClientRect().Contains({MessageX(Message.LParam), MessageY(Message.LParam)})) Click();
  DoMouseUp(Message, mbLeft);
}

void TControl::WMRButtonUp(TMessage& Message) {
  DoMouseUp(Message, mbRight);
  // A window's default handling turns the release into WM_CONTEXTMENU.
  DefaultHandler(Message);
}

void TControl::WMMButtonUp(TMessage& Message) { DoMouseUp(Message, mbMiddle); }

void TControl::WMMouseMove(TMessage& Message) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  MouseMove(KeysToShiftState(static_cast<WORD>(Message.WParam)), MessageX(Message.LParam), MessageY(Message.LParam));
}

void TControl::WMMouseWheel(TMessage& Message) {
  TShiftState shift = KeysToShiftState(LOWORD(Message.WParam));
  int delta = static_cast<short>(HIWORD(Message.WParam));
  TPoint pos{MessageX(Message.LParam), MessageY(Message.LParam)};
  Message.Result = DoMouseWheel(shift, delta, pos) ? 1 : 0;
  if (!Message.Result) DefaultHandler(Message);
}

void TControl::CMMouseWheel(TMessage& Message) {
  TShiftState shift = KeysToShiftState(LOWORD(Message.WParam));
  int delta = static_cast<short>(HIWORD(Message.WParam));
  Message.Result = DoMouseWheel(shift, delta, {MessageX(Message.LParam), MessageY(Message.LParam)}) ? 1 : 0;
}

void TControl::WMCancelMode(TMessage& Message) {
  if (MouseCapture()) SetMouseCapture(false);
  DefaultHandler(Message);
}

void TControl::WMCaptureChanged(TMessage& Message) {
  if (captureControl == this) captureControl = nullptr;
  controlState_.Exclude(csClicked);
  DefaultHandler(Message);
}

void TControl::WMContextMenu(TMessage& Message) {
  TPoint pos{MessageX(Message.LParam), MessageY(Message.LParam)};
  bool handled = false;
  DoContextPopup(pos, handled);
  if (handled) {
    Message.Result = 1;
    return;
  }
  if (popupMenu_ && popupMenu_->AutoPopup()) {
    // From the keyboard (Shift+F10, the menu key) the message has no point: the menu shows
    // at the control's top-left corner.
    if (pos.X == -1 && pos.Y == -1) pos = ClientToScreen(TPoint{0, 0});
    SendCancelMode(nullptr);
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(pos.X, pos.Y);
    Message.Result = 1;
    return;
  }
  DefaultHandler(Message);
}

void TControl::WMWindowPosChanged(TMessage& Message) { DefaultHandler(Message); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// A handler of the control's own wins over its action's; else the action runs.
void TControl::Click() {
  TBasicAction* action = Action();
  if (OnClick && action && !(OnClick == action->OnExecute()))
    OnClick(this);
  else if (action)
    actionLink_->Execute(this);
  else if (OnClick)
    OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (handled) return true;
  // Whole notches go to the up and down events; the rest waits for the next turn.
  wheelAccumulator_ += WheelDelta;
  while (!handled && std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
    if (wheelAccumulator_ < 0) {
      wheelAccumulator_ += WHEEL_DELTA;
      handled = DoMouseWheelDown(Shift, MousePos);
    } else {
      wheelAccumulator_ -= WHEEL_DELTA;
      handled = DoMouseWheelUp(Shift, MousePos);
    }
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  return handled;
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

// ---- drag and drop ----

void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (!dragdrop::SourceControl()) dragdrop::Begin(this, Immediate, Threshold);
}

void TControl::EndDrag(bool Drop) {
  if (dragdrop::SourceControl() == this) dragdrop::Done(Drop);
}

bool TControl::Dragging() const { return dragdrop::SourceControl() == this; }

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DoStartDock(TDragDockObject*& DragObject) {
  if (OnStartDock) OnStartDock(this, DragObject);
}

void TControl::DoEndDock(TObject* Target, int X, int Y) {
  if (OnEndDock) OnEndDock(this, Target, X, Y);
}

TMouseActivate TControl::MouseActivate(TMouseButton Button, TShiftState Shift, int X, int Y, int HitTest) {
  TMouseActivate result = maDefault;
  if (OnMouseActivate) OnMouseActivate(this, Button, Shift, X, Y, HitTest, result);
  return result;
}

bool TControl::DoDragOver(TDragObject* Source, int X, int Y, TDragState State) {
  bool accept = false;
  DragOver(Source ? Source->SourceObject() : nullptr, X, Y, State, accept);
  return accept;
}

void TControl::CMDrag(TMessage& Message) {
  auto* rec = reinterpret_cast<TDragRec*>(Message.LParam);
  if (!rec) return;
  TPoint p = ScreenToClient(rec->Pos);
  switch (static_cast<TDragMessage>(Message.WParam)) {
    case dmDragEnter: Message.Result = DoDragOver(rec->Source, p.X, p.Y, dsDragEnter) ? 1 : 0; break;
    case dmDragLeave: DoDragOver(rec->Source, p.X, p.Y, dsDragLeave); break;
    case dmDragMove: Message.Result = DoDragOver(rec->Source, p.X, p.Y, dsDragMove) ? 1 : 0; break;
    case dmDragDrop: DragDrop(rec->Source ? rec->Source->SourceObject() : nullptr, p.X, p.Y); break;
    case dmFindTarget: Message.Result = reinterpret_cast<LRESULT>(this); break;
    default: break;
  }
}

// ---- notifications ----

void TControl::CMVisibleChanged(TMessage&) { InvalidateControl(true, visible_ && controlStyle_.Contains(csOpaque)); }

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }

void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!parentColor_) return;
  if (Message.WParam) {
    // The parent sent its colour along.
    TColor c = static_cast<TColor>(static_cast<int32_t>(Message.LParam));
    if (c != color_) {
      color_ = c;
      Perform(CM_COLORCHANGED);
    }
  } else if (parent_) {
    ApplyParentColor();
  }
}

void TControl::CMParentFontChanged(TMessage&) {
  if (parentFont_ && parent_) ApplyParentFont();
}

void TControl::CMShowHintChanged(TMessage&) {}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (parentShowHint_ && parent_) ApplyParentShowHint();
}

void TControl::CMCursorChanged(TMessage&) {
  // Shows the new shape at once when the mouse is over the control.
  if (!parent_ || !parent_->HandleAllocated()) return;
  TPoint pos = MousePos();
  if (FindDragTarget(pos, true) == this) {
    HWND wnd = WindowFromPoint(ToPOINT(pos));
    SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }
}

void TControl::CMTextChanged(TMessage&) {}

void TControl::CMHitTest(TMessage& Message) { Message.Result = 1; }

// The control hears "the mouse is over you" with LParam 0; its parents hear it with the control.
void TControl::CMMouseEnter(TMessage& Message) {
  if (parent_) parent_->Perform(CM_MOUSEENTER, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& Message) {
  if (!Message.LParam && OnMouseLeave) OnMouseLeave(this);
  if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMHintShow(TMessage& Message) { Message.Result = 0; }

void TControl::CMInvalidate(TMessage&) { Invalidate(); }
