// Controls: placing, alignment, painting, input and focus of controls with and without a
// window of their own.
#include "framework/Controls.h"

#include <algorithm>
#include <optional>

#include "framework/Application.h"
#include "framework/DragDrop.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/PaintScopes.h"
#include "framework/Screen.h"
#include "framework/ScopeGuards.h"
#include "framework/WindowLink.h"

namespace {

TControl* captureControl = nullptr;

bool IsClientMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL; }

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
  if (parent_) parent_->Perform(CM_MOUSELEAVE, 0, Message.LParam ? Message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMHintShow(TMessage& Message) { Message.Result = 0; }

void TControl::CMInvalidate(TMessage&) { Invalidate(); }

// ---- TWinControl: the window ----

HV_PUBLISH(TWinControl) {
  p.Prop("TabStop", &T::TabStop, &T::SetTabStop).Default(0);
  p.Prop("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
  p.Prop("BorderWidth", &T::BorderWidth, &T::SetBorderWidth).Default(0);
  p.Prop("ParentCtl3D", &T::ParentCtl3D, &T::SetParentCtl3D).Default(1);
  p.Prop("Ctl3D", &T::Ctl3D, &T::SetCtl3D).Stored(&T::IsCtl3DStored);
  p.Prop("DoubleBuffered", &T::DoubleBuffered, &T::SetDoubleBuffered).Default(0);
  p.Prop("ParentBackground", &T::ParentBackground, &T::SetParentBackground).Default(0);
  p.Event("OnKeyDown", &T::OnKeyDown);
  p.Event("OnKeyPress", &T::OnKeyPress);
  p.Event("OnKeyUp", &T::OnKeyUp);
  p.Event("OnEnter", &T::OnEnter);
  p.Event("OnExit", &T::OnExit);
}

// Scroll bars and owner-drawn children tell their parent; the child control handles it (CN_).
static bool ReflectToChild(TWinControl* Parent, TMessage& Message) {
  HWND child = nullptr;
  switch (Message.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL: child = reinterpret_cast<HWND>(Message.LParam); break;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (dis && dis->CtlType != ODT_MENU) child = dis->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
      if (mis && mis->CtlType != ODT_MENU && Parent->HandleAllocated())
        child = GetDlgItem(Parent->Handle(), static_cast<int>(mis->CtlID));
      break;
    }
    case WM_DELETEITEM: {
      auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
      if (dis) child = dis->hwndItem;
      break;
    }
    case WM_COMPAREITEM: {
      auto* cis = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
      if (cis) child = cis->hwndItem;
      break;
    }
    default: break;
  }
  if (!child || child == Parent->Handle()) return false;
  TWinControl* control = FindControl(child);
  if (!control) return false;
  Message.Result = control->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return true;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  HWND wnd = WindowFromPoint(ToPOINT(Pos));
  TWinControl* window = nullptr;
  // A system window inside one of ours (the edit of a combo box) counts as ours.
  while (wnd && !(window = FindControl(wnd))) wnd = GetParent(wnd);
  if (!window) return nullptr;
  if (TControl* child = window->ControlAtPos(window->ScreenToClient(Pos), AllowDisabled)) return child;
  return window;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner), brush_(std::make_unique<TBrush>()) {
  brush_->SetColor(Color());
}

TWinControl::~TWinControl() {
  Destroying();
  if (parent_) RemoveFocus(true);
  if (parent_) parent_->RemoveControl(this);
  DestroyHandle();
  // Children that nobody else freed go with their parent.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RemoveControl(child);
    delete child;
  }
}

void TWinControl::MainWndProc(TMessage& Message) {
  try {
    if (IsDestroying())
      DefaultHandler(Message);  // the object is being torn down: the window's own behaviour only
    else if (WindowProc)
      WindowProc(Message);
    else
      WndProc(Message);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
}

void TWinControl::AttachHandle(HWND Wnd) {
  handle_ = Wnd;
  LinkWindow(Wnd, this);
}

void TWinControl::DetachHandle() {
  if (!handle_) return;
  UnlinkWindow(handle_);
  handle_ = nullptr;
  showing_ = false;
  mouseTracking_ = false;
  if (captureControl == this || (captureControl && captureControl->parent_ == this)) captureControl = nullptr;
}

void TWinControl::WindowDestroying() noexcept {
  TControlCanvas::FreeDeviceContextsOf(this);
  if (IsDestroying()) return;
  try {
    SaveWindowText();
  } catch (...) {
    // The text is lost, the window goes all the same.
  }
}

void TWinControl::SaveWindowText() {
  if (!handle_) return;
  int len = GetWindowTextLengthW(handle_);
  WideString text(static_cast<size_t>(std::max(len, 0)) + 1, L'\0');
  int copied = GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::clamp(copied, 0, std::max(len, 0))));
  text_ = text;
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams();
  Params.Caption = text_;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(csAcceptsControls)) Params.Style |= WS_CLIPCHILDREN;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  if (tabStop_) Params.Style |= WS_TABSTOP;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  Params.WndParent = parent_ ? parent_->handle_ : parentWindow_;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (ControlStyle().Contains(csDoubleClicks)) Params.WindowClass.style |= CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcW;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  std::string name = ClassName();
  Params.WinClassName.assign(name.begin(), name.end());
}

void TWinControl::CreateSubClass(TCreateParams& Params, const wchar_t* ControlClassName) {
  WNDCLASSW system{};
  if (!GetClassInfoW(nullptr, ControlClassName, &system) &&
      !GetClassInfoW(GetModuleHandleW(nullptr), ControlClassName, &system))
    RaiseLastOSError();
  // The system class's look and behaviour, under the control's own class name.
  Params.WindowClass = system;
  Params.WindowClass.style &= ~static_cast<UINT>(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
  Params.WindowClass.lpszClassName = nullptr;
  Params.WindowClass.lpszMenuName = nullptr;
}

void TWinControl::RegisterWindowClass(TCreateParams& Params) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const wchar_t* name = Params.WinClassName.c_str();
  WNDCLASSW existing{};
  if (GetClassInfoW(instance, name, &existing)) {
    if (existing.lpfnWndProc == ControlWindowProc) return;
    // A class of that name with another procedure is not ours to use.
    if (!UnregisterClassW(name, instance)) RaiseLastOSError();
  }
  WNDCLASSW wc = Params.WindowClass;
  wc.lpfnWndProc = ControlWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  if (!RegisterClassW(&wc)) RaiseLastOSError();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  defWndProc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : DefWindowProcW;
  RegisterWindowClass(params);
  CreateWindowHandle(params);
  if (!handle_) RaiseLastOSError();
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  TWindowCreation creating(this);
  HWND wnd = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                             Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr,
                             GetModuleHandleW(nullptr), this);
  if (!wnd) RaiseLastOSError();
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  // Stacked as in the control list: below the next sibling that has a window.
  if (parent_) {
    HWND above = HWND_TOP;
    auto it = std::find(parent_->controls_.begin(), parent_->controls_.end(), static_cast<TControl*>(this));
    for (++it; it != parent_->controls_.end(); ++it) {
      if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->handle_) {
        above = w->handle_;
        break;
      }
    }
    SetWindowPos(handle_, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  if (defWndProc_ != DefWindowProcW) SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  UpdateBounds();
  for (TControl* c : controls_) c->UpdateAnchorRules();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TWinControl* child : tabList_) child->DestroyHandle();
  DestroyWnd();
}

void TWinControl::DestroyWnd() { DestroyWindowHandle(); }

void TWinControl::DestroyWindowHandle() {
  SetControlState(ControlState() + csDestroyingHandle);
  HWND wnd = handle_;
  DestroyWindow(wnd);
  SetControlState(ControlState() - csDestroyingHandle);
  // A window destroyed elsewhere already let go of its control.
  if (handle_ == wnd) DetachHandle();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  bool focused = Focused();
  DestroyHandle();
  UpdateControlState();
  if (focused && handle_) ::SetFocus(handle_);
}

void TWinControl::SetParentWindow(HWND Value) {
  if (parent_ || Value == parentWindow_) return;
  if (handle_ && Value) {
    // The window moves to its new home.
    ::SetParent(handle_, Value);
    parentWindow_ = Value;
    return;
  }
  DestroyHandle();
  parentWindow_ = Value;
  UpdateControlState();
}

void TWinControl::UpdateBounds() {
  if (!handle_) return;
  RECT r{};
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(handle_, &placement);
    r = placement.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &r);
    if (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD)
      MapWindowPoints(nullptr, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  }
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
}

// ---- showing ----

void TWinControl::UpdateShowing() {
  bool show = Visible() && (!parent_ || parent_->showing_);
  if (show && !handle_) CreateHandle();
  if (!handle_ || show == showing_) return;
  showing_ = show;
  if (show) {
    // The children first, so that the window appears whole.
    for (TWinControl* child : std::vector<TWinControl*>(tabList_)) child->UpdateShowing();
    UndoOnFailure([&] { Perform(CM_SHOWINGCHANGED); }, [&] { showing_ = false; });
  } else {
    Perform(CM_SHOWINGCHANGED);
    for (TWinControl* child : std::vector<TWinControl*>(tabList_)) child->UpdateShowing();
  }
}

// Showing changes only follow when every parent is showing.
void TWinControl::UpdateControlState() {
  for (TWinControl* p = parent_; p; p = p->parent_)
    if (!p->showing_) return;
  UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!Visible() && parent_) RemoveFocus(false);
  UpdateControlState();
}

// ---- children ----

TControl* TWinControl::Controls(int Index) const {
  if (Index < 0 || Index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return controls_[static_cast<size_t>(Index)];
}

bool TWinControl::ContainsControl(TControl* Control) const {
  for (TControl* c = Control; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->parent_ == this) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->ContainsControl(this))
    throw EInvalidOperation("A control cannot be placed inside its own child");
  controls_.push_back(AControl);
  AControl->parent_ = this;
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win) tabList_.push_back(win);
  if (!AControl->IsLoading()) {
    if (AControl->parentColor_) AControl->ApplyParentColor();
    if (AControl->parentFont_) AControl->ApplyParentFont();
    if (AControl->parentShowHint_) AControl->ApplyParentShowHint();
    if (win && win->parentCtl3D_) win->ApplyParentCtl3D();
  }
  AControl->UpdateAnchorRules();
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  if (win)
    win->UpdateControlState();
  else
    AControl->Invalidate();
  AlignControl(AControl);
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  bool destroying = IsDestroying();
  if (!destroying) Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  auto tab = std::find_if(tabList_.begin(), tabList_.end(),
                          [&](TWinControl* w) { return static_cast<TControl*>(w) == AControl; });
  if (tab != tabList_.end()) {
    TWinControl* win = *tab;
    win->RemoveFocus(true);
    win->DestroyHandle();
    tabList_.erase(std::find(tabList_.begin(), tabList_.end(), win));
  } else {
    AControl->Invalidate();
  }
  controls_.erase(std::find(controls_.begin(), controls_.end(), AControl));
  AControl->parent_ = nullptr;
  if (!destroying) {
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
    Realign();
  }
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) {
  for (size_t i = controls_.size(); i-- > 0;) {
    TControl* c = controls_[i];
    bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
    if (windowed && !AllowWinControls) continue;
    if (!c->Visible() || (!c->Enabled() && !AllowDisabled)) continue;
    if (!c->BoundsRect().Contains(Pos)) continue;
    if (c->HitTest(Pos.X - c->Left(), Pos.Y - c->Top())) return c;
  }
  return nullptr;
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  for (TControl* c : controls_)
    if (c->Owner() == Root) Proc(c);
}

void TWinControl::SetZOrderPosition(TControl* AControl, size_t Position) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  controls_.erase(it);
  Position = std::min(Position, controls_.size());
  controls_.insert(controls_.begin() + static_cast<std::ptrdiff_t>(Position), AControl);
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->handle_) {
    // Below the nearest sibling above it that has a window; on top when there is none.
    HWND after = HWND_TOP;
    for (size_t i = Position + 1; i < controls_.size(); ++i)
      if (auto* s = dynamic_cast<TWinControl*>(controls_[i]); s && s->handle_) {
        after = s->handle_;
        break;
      }
    SetWindowPos(w->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    AControl->Invalidate();
  }
  Realign();
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (c->WindowProc)
      c->WindowProc(Message);
    else
      c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m;
  m.Msg = Msg;
  Broadcast(m);
}

// ---- alignment ----

void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (alignLevel_ > 0) --alignLevel_;
  if (alignLevel_ == 0 && ControlState().Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AdjustClientRect(TRect& Rect) {
  Rect.Left += borderWidth_;
  Rect.Top += borderWidth_;
  Rect.Right -= borderWidth_;
  Rect.Bottom -= borderWidth_;
}

void TWinControl::AlignControl(TControl* AControl) {
  if (aligning_) return;
  if (alignLevel_ > 0 || IsLoading() || IsDestroying()) {
    SetControlState(ControlState() + csAlignmentNeeded);
    return;
  }
  SetControlState(ControlState() - csAlignmentNeeded);
  TTempValue aligning(aligning_, true);
  TRect r = GetClientRect();
  AdjustClientRect(r);
  AlignControls(AControl, r);
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign align : order) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == align && c->Visible()) list.push_back(c);
    // The side nearest to the edge goes first; on a tie the control that asked for the
    // alignment does.
    auto key = [align](TControl* c) {
      switch (align) {
        case alTop: return c->Top();
        case alBottom: return -(c->Top() + c->Height());
        case alLeft: return c->Left();
        case alRight: return -(c->Left() + c->Width());
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
      int ka = key(a), kb = key(b);
      return ka < kb || (ka == kb && a == AControl && b != AControl);
    });
    for (TControl* c : list) PlaceAligned(c, align, Rect);
  }
  TRect client = GetClientRect();
  for (TControl* c : controls_)
    if (c->Align() == alNone) ApplyAnchors(c, client);
}

void TWinControl::PlaceAligned(TControl* AControl, TAlign Align, TRect& Rect) {
  int width = std::max(Rect.Width(), 0);
  int height = std::max(Rect.Height(), 0);
  switch (Align) {
    case alTop:
      AControl->SetBounds(Rect.Left, Rect.Top, width, AControl->Height());
      Rect.Top += AControl->Height();
      break;
    case alBottom:
      AControl->SetBounds(Rect.Left, Rect.Bottom - AControl->Height(), width, AControl->Height());
      Rect.Bottom -= AControl->Height();
      break;
    case alLeft:
      AControl->SetBounds(Rect.Left, Rect.Top, AControl->Width(), height);
      Rect.Left += AControl->Width();
      break;
    case alRight:
      AControl->SetBounds(Rect.Right - AControl->Width(), Rect.Top, AControl->Width(), height);
      Rect.Right -= AControl->Width();
      break;
    case alClient: AControl->SetBounds(Rect.Left, Rect.Top, width, height); break;
    default: break;
  }
}

void TWinControl::ApplyAnchors(TControl* AControl, const TRect& Client) {
  if (!AControl->anchorRulesValid_) return;
  TAnchors a = AControl->Anchors();
  if (a == TAnchors{akLeft, akTop}) return;
  const TRect& r = AControl->anchorRect_;
  int dx = Client.Width() - AControl->anchorParentSize_.cx;
  int dy = Client.Height() - AControl->anchorParentSize_.cy;
  int left = r.Left, width = r.Width(), top = r.Top, height = r.Height();
  if (a.Contains(akRight)) {
    if (a.Contains(akLeft))
      width += dx;
    else
      left += dx;
  } else if (!a.Contains(akLeft)) {
    left += dx / 2;  // neither side: the control keeps its place relative to the middle
  }
  if (a.Contains(akBottom)) {
    if (a.Contains(akTop))
      height += dy;
    else
      top += dy;
  } else if (!a.Contains(akTop)) {
    top += dy / 2;
  }
  AControl->SetBounds(left, top, std::max(width, 0), std::max(height, 0));
}

void TWinControl::Loaded() {
  inherited::Loaded();
  Realign();
}

// ---- bounds ----

TSize TWinControl::NonClientSize() {
  if (handle_) {
    RECT window{}, client{};
    GetWindowRect(handle_, &window);
    ::GetClientRect(handle_, &client);
    return {(window.right - window.left) - client.right, (window.bottom - window.top) - client.bottom};
  }
  TCreateParams params;
  CreateParams(params);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, params.Style, FALSE, params.ExStyle);
  TSize size{r.right - r.left, r.bottom - r.top};
  if (params.Style & WS_VSCROLL) size.cx += GetSystemMetrics(SM_CXVSCROLL);
  if (params.Style & WS_HSCROLL) size.cy += GetSystemMetrics(SM_CYHSCROLL);
  return size;
}

TRect TWinControl::GetClientRect() {
  if (handle_) {
    RECT r{};
    ::GetClientRect(handle_, &r);
    return ToTRect(r);
  }
  TSize frame = NonClientSize();
  return Rect(0, 0, std::max(Width() - frame.cx, 0), std::max(Height() - frame.cy, 0));
}

void TWinControl::SetClientSize(int AWidth, int AHeight) {
  TSize frame = NonClientSize();
  SetBounds(Left(), Top(), AWidth + frame.cx, AHeight + frame.cy);
}

TPoint TWinControl::ClientOrigin() {
  if (!handle_) return TControl::ClientOrigin();
  POINT p{0, 0};
  ::ClientToScreen(handle_, &p);
  return ToTPoint(p);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  Constraints()->Constrain(AWidth, AHeight);
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  if (handle_ && !IsIconic(handle_)) {
    // The window tells the new bounds back (WM_WINDOWPOSCHANGED, WM_SIZE).
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    bool sized = AWidth != Width() || AHeight != Height();
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    if (sized) {
      Realign();
      if (!IsLoading()) Resize();
    }
  }
  UpdateAnchorRules();
  RequestAlign();
}

void TWinControl::SetBorderWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == borderWidth_) return;
  borderWidth_ = Value;
  Perform(CM_BORDERCHANGED);
}

void TWinControl::CMBorderChanged(TMessage&) {
  Realign();
  Invalidate();
}

void TWinControl::SetCtl3D(bool Value) {
  if (Value == ctl3D_ && !parentCtl3D_) return;
  ctl3D_ = Value;
  parentCtl3D_ = false;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (Value == parentCtl3D_) return;
  parentCtl3D_ = Value;
  if (Value && parent_ && !IsLoading()) ApplyParentCtl3D();
}

void TWinControl::ApplyParentCtl3D() {
  bool v = parent_->Ctl3D();
  if (v != ctl3D_) {
    ctl3D_ = v;
    Perform(CM_CTL3DCHANGED);
  }
  parentCtl3D_ = true;
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  if (ControlStyle().Contains(csFramed) && handle_) RecreateWnd();
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage&) {
  if (parentCtl3D_ && parent_) ApplyParentCtl3D();
}

void TWinControl::SetParentBackground(bool Value) {
  if (Value == parentBackground_) return;
  parentBackground_ = Value;
  Invalidate();
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == tabStop_) return;
  tabStop_ = Value;
  if (handle_) {
    LONG style = GetWindowLongW(handle_, GWL_STYLE);
    SetWindowLongW(handle_, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!parent_) return;
  auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  size_t pos = Value < 0 ? list.size() : std::min(static_cast<size_t>(Value), list.size());
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(pos), this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* child : tabList_) {
    List.push_back(child);
    child->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  size_t n = list.size();
  auto found = std::find(list.begin(), list.end(), CurControl);
  // Without a current control the search starts at one end of the list.
  size_t start = found != list.end() ? static_cast<size_t>(found - list.begin()) : (GoForward ? n - 1 : 0);
  size_t i = start;
  do {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* c = list[i];
    if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->Parent() == this) && c->CanFocus()) return c;
  } while (i != start);
  return nullptr;
}

bool TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (!next) return false;
  next->SetFocus();
  return true;
}

// ---- focus ----

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  TControl* stop = form;
  for (TControl* c = this; c && c != stop; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->FocusControl(this);
  else
    ::SetFocus(Handle());
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::CMEnter(TMessage&) { DoEnter(); }

void TWinControl::CMExit(TMessage&) { DoExit(); }

void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }

void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

// ---- keyboard ----

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(Message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  Word key = static_cast<Word>(Message.WParam);
  KeyDown(key, KeyDataToShiftState(Message.LParam));
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(Message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  wchar_t ch = static_cast<wchar_t>(Message.WParam);
  KeyPress(ch);
  if (ch == 0) return true;
  Message.WParam = static_cast<WPARAM>(ch);
  return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(Message)) return true;
  if (ControlStyle().Contains(csNoStdEvents)) return false;
  Word key = static_cast<Word>(Message.WParam);
  KeyUp(key, KeyDataToShiftState(Message.LParam));
  if (key == 0) return true;
  Message.WParam = key;
  return false;
}

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMSysKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

void TWinControl::WMGetDlgCode(TMessage& Message) { DefaultHandler(Message); }

// The message loop sends key messages here first (as CN_ messages): shortcuts of the form,
// then the keys of the dialog manager (Tab, arrows, Enter, Escape) unless the control wants
// them (WM_GETDLGCODE). A non-zero result means the key was taken.
void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return;
  Word key = static_cast<Word>(Message.WParam);
  LRESULT mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask != 0) {
    if (Perform(CM_CHILDKEY, key, reinterpret_cast<LPARAM>(this)) != 0) return;
    if (Perform(CM_WANTSPECIALKEY, key, Message.LParam) == 0 && (Perform(WM_GETDLGCODE) & mask) == 0 && form &&
        form->Perform(CM_DIALOGKEY, key, Message.LParam) != 0)
      return;
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) { Message.Result = 0; }

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if ((Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) == 0) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& Message) {
  Message.Result = 1;
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(Message)) return;
  Message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
  Message.Result = 0;
  if (Message.WParam == VK_SPACE) return;  // Alt+Space opens the system menu
  TCustomForm* form = GetParentForm(this);
  if (form && form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) Message.Result = 1;
}

void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMChildKey(TMessage& Message) {
  if (parent_) Message.Result = parent_->Perform(CM_CHILDKEY, Message.WParam, Message.LParam);
}

// ---- messages ----

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (ControlState().Contains(csFocusing)) return;
      break;
    case WM_MOUSEMOVE:
      if (handle_ && !mouseTracking_) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof track;
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = handle_;
        mouseTracking_ = TrackMouseEvent(&track) != FALSE;
      }
      if (Application) {
        TPoint p{MessageX(Message.LParam), MessageY(Message.LParam)};
        TControl* over = nullptr;
        if (GetClientRect().Contains(p)) {
          over = ControlAtPos(p, false);
          if (!over) over = this;
        }
        Application->SetMouseControl(over);
      }
      break;
    default: break;
  }
  if (IsClientMouseMessage(Message.Msg) && IsControlMouseMsg(Message)) {
    // A right click on a child without a window still asks for a context menu (which the
    // child under the point shows, see WMContextMenu).
    if (Message.Msg == WM_RBUTTONUP && Message.Result == 0 && handle_) DefaultHandler(Message);
    return;
  }
  inherited::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* target = nullptr;
  if (handle_ && GetCapture() == handle_) {
    if (captureControl && captureControl != this && captureControl->parent_ == this) target = captureControl;
  } else {
    target = ControlAtPos({MessageX(Message.LParam), MessageY(Message.LParam)}, false);
  }
  if (!target) return false;
  LPARAM pos = PointToLParam(MessageX(Message.LParam) - target->Left(), MessageY(Message.LParam) - target->Top());
  Message.Result = target->Perform(Message.Msg, Message.WParam, pos);
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_PRINT: WMPrint(Message); break;
    case WM_PRINTCLIENT: WMPrintClient(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_WINDOWPOSCHANGED:
      UpdateBounds();
      WMWindowPosChanged(Message);
      break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_SYSCOMMAND:
      // Alt with a letter pressed while a control has the keyboard comes here; it belongs to the
      // control's window, whose menu bar takes it (from here the system would track the
      // window's own menu and pass the menu bar by).
      if ((Message.WParam & 0xFFF0) == SC_KEYMENU && handle_ && (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD)) {
        HWND root = GetAncestor(handle_, GA_ROOT);
        if (root && root != handle_) {
          Message.Result = SendMessageW(root, WM_SYSCOMMAND, Message.WParam, Message.LParam);
          break;
        }
      }
      inherited::Dispatch(Message);
      break;
    case WM_CHAR: WMChar(Message); break;
    case WM_GETDLGCODE: WMGetDlgCode(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    case WM_NOTIFY: WMNotify(Message); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      inherited::Dispatch(Message);
      // A control made from a system class (a button, an edit) clicks and selects by itself.
      if (handle_ && defWndProc_ && defWndProc_ != DefWindowProcW) DefaultHandler(Message);
      break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
      if (!ReflectToChild(this, Message)) DefaultHandler(Message);
      break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: WMCtlColor(Message); break;
    case WM_MOUSELEAVE: WMMouseLeave(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP:
    case CN_SYSKEYUP: CNKeyUp(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
    case CN_SYSCHAR: CNSysChar(Message); break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(Message.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(brush_->Color()));
      Message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
      break;
    }
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_CHILDKEY: CMChildKey(Message); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    case CM_RECREATEWND: CMRecreateWnd(Message); break;
    case CM_BORDERCHANGED: CMBorderChanged(Message); break;
    case CM_CONTROLLISTCHANGE: CMControlListChange(Message); break;
    case CM_CONTROLCHANGE: CMControlChange(Message); break;
    default: inherited::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (handle_) {
    Message.Result = CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, Message.Msg, Message.WParam,
                                     Message.LParam);
    return;
  }
  inherited::DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
  Realign();
  if (!IsLoading()) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBounds();
  DefaultHandler(Message);
}

void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == handle_ && LOWORD(Message.LParam) == HTCLIENT) {
    TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (cursor == crDefault) {
      TControl* over = ControlAtPos(ScreenToClient(MousePos()), false);
      cursor = over && over->Cursor() != crDefault ? over->Cursor() : Cursor();
    }
    if (cursor != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TMessage& Message) {
  TPoint pos{MessageX(Message.LParam), MessageY(Message.LParam)};
  if (!(pos.X == -1 && pos.Y == -1))
    if (TControl* child = ControlAtPos(ScreenToClient(pos), false)) {
      Message.Result = child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
      if (Message.Result != 0) return;
    }
  inherited::WMContextMenu(Message);
}

// Notifications from system controls go back to the control they are about.
void TWinControl::WMCommand(TMessage& Message) {
  if (Message.LParam) {
    if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
      Message.Result = c->Perform(CN_COMMAND, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
  auto* header = reinterpret_cast<NMHDR*>(Message.LParam);
  if (header) {
    if (TWinControl* c = FindControl(header->hwndFrom)) {
      Message.Result = c->Perform(CN_NOTIFY, Message.WParam, Message.LParam);
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMCtlColor(TMessage& Message) {
  if (TWinControl* c = FindControl(reinterpret_cast<HWND>(Message.LParam))) {
    Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  mouseTracking_ = false;
  if (Application) {
    TControl* over = Application->MouseControl();
    if (over == this || (over && over->Parent() == this && !dynamic_cast<TWinControl*>(over)))
      Application->SetMouseControl(nullptr);
  }
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::WMGetMinMaxInfo(TMessage& Message) {
  DefaultHandler(Message);
  auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  TSizeConstraints* c = Constraints();
  if (!info) return;
  if (c->MinWidth() > 0) info->ptMinTrackSize.x = c->MinWidth();
  if (c->MinHeight() > 0) info->ptMinTrackSize.y = c->MinHeight();
  if (c->MaxWidth() > 0) info->ptMaxTrackSize.x = c->MaxWidth();
  if (c->MaxHeight() > 0) info->ptMaxTrackSize.y = c->MaxHeight();
}

void TWinControl::CMRecreateWnd(TMessage&) { RecreateWnd(); }

void TWinControl::CMControlListChange(TMessage&) {}

void TWinControl::CMControlChange(TMessage&) {}

void TWinControl::CMEnabledChanged(TMessage& Message) {
  if (!Enabled() && parent_) RemoveFocus(false);
  if (handle_) EnableWindow(handle_, Enabled());
  inherited::CMEnabledChanged(Message);
}

void TWinControl::CMColorChanged(TMessage& Message) {
  brush_->SetColor(Color());
  inherited::CMColorChanged(Message);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  if (handle_ && defWndProc_ != DefWindowProcW)
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
  inherited::CMFontChanged(Message);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMShowHintChanged(TMessage& Message) {
  inherited::CMShowHintChanged(Message);
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::CMInvalidate(TMessage&) { Invalidate(); }

void TWinControl::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
}

void TWinControl::DoSetEnabled(bool Value) { inherited::DoSetEnabled(Value); }

// ---- painting ----

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !ControlStyle().Contains(csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  // A double-buffered control erases in its buffer (both parameters are then the buffer's DC).
  if (doubleBuffered_ && Message.WParam != static_cast<WPARAM>(Message.LParam)) {
    Message.Result = 1;
    return;
  }
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  RECT r = ToRECT(GetClientRect());
  FillRect(dc, &r, brush_->Handle());
  Message.Result = 1;
}

void TWinControl::WMPaint(TMessage& Message) {
  if (doubleBuffered_ && Message.WParam == 0)
    PaintBuffered(Message);
  else
    PaintHandler(Message);
}

void TWinControl::WMPrint(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return DefaultHandler(Message);
  TSaveDC save(dc);
  DefaultHandler(Message);
}

void TWinControl::WMPrintClient(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  Message.Result = 0;
  if (!dc) return;
  TSaveDC save(dc);
  if (defWndProc_ && defWndProc_ != DefWindowProcW) {
    // A system control prints its own picture; our graphic children go on top.
    DefaultHandler(Message);
    if (Message.LParam & PRF_CLIENT) PaintControls(dc, nullptr);
    return;
  }
  if (Message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, Message.WParam, Message.WParam);
  if (Message.LParam & PRF_CLIENT) {
    TMessage paint;
    paint.Msg = WM_PAINT;
    paint.WParam = Message.WParam;
    PaintHandler(paint);
  }
}

void TWinControl::PaintBuffered(TMessage& Message) {
  TPaintScope paint(handle_);
  TRect client = GetClientRect();
  TCreatedDC memory(CreateCompatibleDC(paint.DC()));
  TBitmapHandle bitmap(CreateCompatibleBitmap(paint.DC(), std::max(client.Width(), 1), std::max(client.Height(), 1)));
  TSelectObject select(memory.Get(), bitmap.Get());
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory.Get()), reinterpret_cast<LPARAM>(memory.Get()));
  TMessage inner = Message;
  inner.WParam = reinterpret_cast<WPARAM>(memory.Get());
  PaintHandler(inner);
  const RECT& r = paint.PaintRect();
  BitBlt(paint.DC(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory.Get(), r.left, r.top, SRCCOPY);
  Message.Result = 0;
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  std::optional<TPaintScope> paint;
  if (!dc) {
    paint.emplace(handle_);
    dc = paint->DC();
  }
  {
    // Opaque graphic children cover their part; the control does not paint under them.
    TSaveDC save(dc);
    for (TControl* c : controls_) {
      if (dynamic_cast<TWinControl*>(c) || !c->Visible() || !c->ControlStyle().Contains(csOpaque)) continue;
      ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
    }
    PaintWindow(dc);
  }
  PaintControls(dc, nullptr);
  Message.Result = 0;
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(DC);
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  auto it = controls_.begin();
  if (First) it = std::find(controls_.begin(), controls_.end(), First);
  for (; it != controls_.end(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
    RECT bounds = ToRECT(c->BoundsRect());
    if (!RectVisible(DC, &bounds)) continue;
    TSaveDC save(DC);
    POINT origin{};
    GetViewportOrgEx(DC, &origin);
    SetViewportOrgEx(DC, origin.x + c->Left(), origin.y + c->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  TSaveDC save(DC);
  POINT origin{};
  GetViewportOrgEx(DC, &origin);
  SetViewportOrgEx(DC, origin.x + X, origin.y + Y, nullptr);
  TRect client = GetClientRect();
  IntersectClipRect(DC, 0, 0, client.Width(), client.Height());
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), reinterpret_cast<LPARAM>(DC));
  TMessage m;
  m.Msg = WM_PAINT;
  m.WParam = reinterpret_cast<WPARAM>(DC);
  PaintHandler(m);
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->Visible()) w->PaintTo(DC, c->Left(), c->Top());
}
