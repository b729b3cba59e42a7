// The standard controls over the system's window classes.
#include "framework/StdCtrls.h"

#include <algorithm>
#include <cwctype>

#include "framework/Exceptions.h"
#include "framework/ScopeGuards.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Mnemonics.h"

namespace {

LRESULT Send(TWinControl* c, UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) {
  return SendMessageW(c->Handle(), Msg, WParam, LParam);
}

bool IsAccelMessage(const TMessage& Message, const WideString& Caption) {
  return IsAccelChar(static_cast<wchar_t>(Message.WParam & 0xFFFF), Caption);
}

}  // namespace

// ---- TCustomEdit ----

HV_PUBLISH(TCustomEdit) {}

HV_PUBLISH(TEdit) {
  p.Prop("AutoSelect", &T::AutoSelect, &T::SetAutoSelect).Default(1);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("CharCase", &T::CharCase, &T::SetCharCase).Default(ccNormal);
  p.Prop("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(1);
  p.Prop("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
  p.Prop("PasswordChar", &T::PasswordChar, &T::SetPasswordChar).Default(0);
  p.Prop("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(0);
  p.Prop("Text", &T::Text, &T::SetText);
  p.Event("OnChange", &T::OnChange);
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetControlStyle(TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight});
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, L"EDIT");
  Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
  if (borderStyle_ == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
  if (readOnly_) Params.Style |= ES_READONLY;
  if (passwordChar_) Params.Style |= ES_PASSWORD;
  if (!hideSelection_) Params.Style |= ES_NOHIDESEL;
  if (charCase_ == ccUpperCase) Params.Style |= ES_UPPERCASE;
  if (charCase_ == ccLowerCase) Params.Style |= ES_LOWERCASE;
}

void TCustomEdit::CreateWnd() {
  TTempValue creating(creating_, true);
  inherited::CreateWnd();
  HWND wnd = Handle();
  SendMessageW(wnd, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (passwordChar_) SendMessageW(wnd, EM_SETPASSWORDCHAR, passwordChar_, 0);
  SendMessageW(wnd, EM_SETMODIFY, modified_, 0);
}

void TCustomEdit::DestroyWnd() {
  if (HandleAllocated()) modified_ = SendMessageW(Handle(), EM_GETMODIFY, 0, 0) != 0;
  inherited::DestroyWnd();
}

void TCustomEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE && !creating_) Change();
    return;
  }
  inherited::Dispatch(Message);
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  inherited::DoEnter();
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value) {
  if (hideSelection_ == Value) return;
  hideSelection_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int Value) {
  if (maxLength_ == Value) return;
  maxLength_ = std::max(Value, 0);
  if (HandleAllocated()) Send(this, EM_LIMITTEXT, static_cast<WPARAM>(maxLength_));
}

bool TCustomEdit::Modified() {
  if (HandleAllocated()) modified_ = Send(this, EM_GETMODIFY) != 0;
  return modified_;
}

void TCustomEdit::SetModified(bool Value) {
  modified_ = Value;
  if (HandleAllocated()) Send(this, EM_SETMODIFY, Value);
}

void TCustomEdit::SetPasswordChar(wchar_t Value) {
  if (passwordChar_ == Value) return;
  passwordChar_ = Value;
  RecreateWnd();
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  if (HandleAllocated()) Send(this, EM_SETREADONLY, Value);
}

int TCustomEdit::SelStart() {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value) { Send(this, EM_SETSEL, static_cast<WPARAM>(Value), Value); }

int TCustomEdit::SelLength() {
  DWORD start = 0, end = 0;
  Send(this, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value) {
  int start = SelStart();
  Send(this, EM_SETSEL, static_cast<WPARAM>(start), start + Value);
}

WideString TCustomEdit::SelText() {
  WideString text = GetText();
  size_t start = std::min(static_cast<size_t>(SelStart()), text.size());
  return text.substr(start, static_cast<size_t>(SelLength()));
}

void TCustomEdit::SetSelText(const WideString& Value) {
  Send(this, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Value.c_str()));
}

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) Send(this, EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() { Send(this, WM_CLEAR); }
void TCustomEdit::CopyToClipboard() { Send(this, WM_COPY); }
void TCustomEdit::CutToClipboard() { Send(this, WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Send(this, WM_PASTE); }
bool TCustomEdit::CanUndo() { return HandleAllocated() && Send(this, EM_CANUNDO) != 0; }
void TCustomEdit::Undo() { Send(this, WM_UNDO); }

// ---- TMemoStrings ----

HV_PUBLISH(TMemoStrings) {}

std::vector<WideString> TMemoStrings::Split() const {
  WideString text = memo_->Text();
  std::vector<WideString> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'\r' && text[i] != L'\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    start = i + 1;
  }
  // A break at the very end starts no line of its own.
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

void TMemoStrings::Join(const std::vector<WideString>& Lines) {
  WideString text;
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i) text += L"\r\n";
    text += Lines[i];
  }
  memo_->SetText(text);
}

WideString TMemoStrings::Get(int Index) const {
  std::vector<WideString> lines = Split();
  if (Index < 0 || Index >= static_cast<int>(lines.size())) Error("List index out of bounds (%d)", Index);
  return lines[static_cast<size_t>(Index)];
}

int TMemoStrings::GetCount() const { return static_cast<int>(Split().size()); }

void TMemoStrings::Put(int Index, const WideString& S) {
  std::vector<WideString> lines = Split();
  if (Index < 0 || Index >= static_cast<int>(lines.size())) Error("List index out of bounds (%d)", Index);
  lines[static_cast<size_t>(Index)] = S;
  Join(lines);
}

void TMemoStrings::Insert(int Index, const WideString& S) {
  std::vector<WideString> lines = Split();
  if (Index < 0 || Index > static_cast<int>(lines.size())) Error("List index out of bounds (%d)", Index);
  lines.insert(lines.begin() + Index, S);
  Join(lines);
}

void TMemoStrings::Delete(int Index) {
  std::vector<WideString> lines = Split();
  if (Index < 0 || Index >= static_cast<int>(lines.size())) Error("List index out of bounds (%d)", Index);
  lines.erase(lines.begin() + Index);
  Join(lines);
}

void TMemoStrings::Clear() { memo_->SetText(WideString()); }

WideString TMemoStrings::GetTextStr() const {
  WideString text;
  for (const WideString& line : Split()) text += line + L"\r\n";
  return text;
}

void TMemoStrings::SetTextStr(const WideString& Value) {
  TStringListW list;
  list.SetText(Value);
  std::vector<WideString> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  Join(lines);
}

// ---- TCustomMemo ----

HV_PUBLISH(TCustomMemo) {}

HV_PUBLISH(TMemo) {
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  p.Prop("BorderStyle", &T::BorderStyle, &T::SetBorderStyle).Default(bsSingle);
  p.Prop("HideSelection", &T::HideSelection, &T::SetHideSelection).Default(1);
  p.Prop("Lines", &T::Lines, &T::SetLines);
  p.Prop("MaxLength", &T::MaxLength, &T::SetMaxLength).Default(0);
  p.Prop("ReadOnly", &T::ReadOnly, &T::SetReadOnly).Default(0);
  p.Prop("ScrollBars", &T::ScrollBars, &T::SetScrollBars).Default(ssNone);
  p.Prop("WantReturns", &T::WantReturns, &T::SetWantReturns).Default(1);
  p.Prop("WantTabs", &T::WantTabs, &T::SetWantTabs).Default(0);
  p.Prop("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(1);
  p.Event("OnChange", &T::OnChange);
}

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), lines_(std::make_unique<TMemoStrings>(this)) {
  SetBounds(Left(), Top(), 185, 89);
  SetAutoSelect(false);
  SetControlStyle(ControlStyle() - csFixedHeight);
}

TCustomMemo::~TCustomMemo() = default;

void TCustomMemo::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= ES_MULTILINE | ES_WANTRETURN;
  if (wordWrap_) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) Params.Style |= WS_VSCROLL;
  if ((scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) && !wordWrap_) Params.Style |= WS_HSCROLL;
  if (alignment_ == taRightJustify) Params.Style |= ES_RIGHT;
  if (alignment_ == taCenter) Params.Style |= ES_CENTER;
}

void TCustomMemo::WMGetDlgCode(TMessage& Message) {
  inherited::WMGetDlgCode(Message);
  if (wantTabs_)
    Message.Result |= DLGC_WANTTAB;
  else
    Message.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
  if (!wantReturns_) Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

void TCustomMemo::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (scrollBars_ == Value) return;
  scrollBars_ = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  RecreateWnd();
}

// ---- TCustomLabel ----

HV_PUBLISH(TCustomLabel) {}

HV_PUBLISH(TLabel) {
  p.Prop("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
  p.Prop("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(1);
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  p.Prop("EllipsisPosition", &T::EllipsisPosition, &T::SetEllipsisPosition).Default(epNone);
  p.Prop("FocusControl", &T::FocusControl, &T::SetFocusControl);
  p.Prop("Layout", &T::Layout, &T::SetLayout).Default(tlTop);
  p.Prop("ShowAccelChar", &T::ShowAccelChar, &T::SetShowAccelChar).Default(1);
  p.Prop("Transparent", &T::Transparent, &T::SetTransparent).Default(0);
  p.Prop("WordWrap", &T::WordWrap, &T::SetWordWrap).Default(0);
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(ControlStyle() + csOpaque + csReplicatable);
  SetBounds(Left(), Top(), 65, 17);
}

unsigned TCustomLabel::DrawFlags() const {
  unsigned flags = DT_EXPANDTABS;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  if (alignment_ == taRightJustify) flags |= DT_RIGHT;
  if (alignment_ == taCenter) flags |= DT_CENTER;
  switch (ellipsisPosition_) {
    case epPathEllipsis: flags |= DT_PATH_ELLIPSIS; break;
    case epEndEllipsis: flags |= DT_END_ELLIPSIS; break;
    case epWordEllipsis: flags |= DT_WORD_ELLIPSIS; break;
    case epNone: break;
  }
  return flags;
}

namespace {

constexpr unsigned ellipsisFlags = DT_PATH_ELLIPSIS | DT_END_ELLIPSIS | DT_WORD_ELLIPSIS;

}  // namespace

WideString TCustomLabel::FittedCaption(TCanvas* Canvas, const TRect& Rect) {
  WideString text = Caption();
  // Without word wrap the system shortens each line itself; with it, it only shortens single
  // words wider than a line, and lines below the bottom would simply be cut.
  if (!wordWrap_ || ellipsisPosition_ != epEndEllipsis) return text;
  const unsigned measure = (DrawFlags() & ~ellipsisFlags) | DT_CALCRECT;
  auto fits = [&](const WideString& s) {
    TRect m = Rect;
    Canvas->DrawText(m, s, measure);
    return m.Height() <= Rect.Height();
  };
  if (fits(text)) return text;
  auto shortened = [&](size_t n) {
    WideString s = text.substr(0, n);
    while (!s.empty() && iswspace(s.back())) s.pop_back();
    // A lone accelerator mark would underline the first dot.
    if (showAccelChar_) {
      size_t marks = 0;
      while (marks < s.size() && s[s.size() - 1 - marks] == L'&') ++marks;
      if (marks % 2) s.pop_back();
    }
    return s + L"...";
  };
  // The longest beginning that fits with the ellipsis; a longer beginning never takes fewer lines.
  size_t lo = 0, hi = text.size();
  while (hi - lo > 1) {
    size_t mid = lo + (hi - lo) / 2;
    if (fits(shortened(mid)))
      lo = mid;
    else
      hi = mid;
  }
  return shortened(lo);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(r);
  }
  canvas->Brush()->SetStyle(bsClear);
  canvas->Font()->Assign(Font());
  WideString text = FittedCaption(canvas, r);
  if (layout_ != tlTop) {
    TRect measured = r;
    canvas->DrawText(measured, text, (DrawFlags() & ~ellipsisFlags) | DT_CALCRECT);
    int offset = r.Height() - measured.Height();
    if (layout_ == tlCenter) offset /= 2;
    r.Top += offset;
  }
  if (!Enabled()) {
    TRect shifted = r;
    shifted.Left += 1;
    shifted.Top += 1;
    shifted.Right += 1;
    shifted.Bottom += 1;
    canvas->Font()->SetColor(clBtnHighlight);
    canvas->DrawText(shifted, text, DrawFlags());
    canvas->Font()->SetColor(clBtnShadow);
  }
  canvas->DrawText(r, text, DrawFlags());
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(Font());
  TRect r(0, 0, wordWrap_ ? Width() : 0, 0);
  WideString text = Caption();
  if (text.empty()) text = L" ";
  canvas.DrawText(r, text, (DrawFlags() & ~ellipsisFlags) | DT_CALCRECT);
  canvas.SetHandle(nullptr);
  int left = Left();
  if (alignment_ == taRightJustify && !wordWrap_) left += Width() - r.Width();
  SetBounds(left, Top(), r.Width(), r.Height());
}

void TCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    if (focusControl_ && Enabled() && showAccelChar_ && IsAccelMessage(Message, Caption()) &&
        focusControl_->CanFocus()) {
      focusControl_->SetFocus();
      Message.Result = 1;
    }
    return;
  }
  inherited::Dispatch(Message);
}

void TCustomLabel::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
  inherited::CMFontChanged(Message);
  AdjustBounds();
}

void TCustomLabel::Loaded() {
  inherited::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value) {
  if (autoSize_ == Value) return;
  autoSize_ = Value;
  AdjustBounds();
}

void TCustomLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  if (ellipsisPosition_ == Value) return;
  ellipsisPosition_ = Value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value) {
  if (focusControl_ == Value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TCustomLabel::SetLayout(TTextLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value) {
  if (showAccelChar_ == Value) return;
  showAccelChar_ = Value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  SetControlStyle(Value ? ControlStyle() - csOpaque : ControlStyle() + csOpaque);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  AdjustBounds();
  Invalidate();
}

// ---- buttons ----

HV_PUBLISH(TButtonControl) {}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetControlStyle(TControlStyle{csSetCaption, csDoubleClicks});
}

void TButtonControl::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, L"BUTTON");
}

void TButtonControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == BN_CLICKED) ButtonClicked();
    return;
  }
  if (Message.Msg == CM_DIALOGCHAR) {
    if (Enabled() && IsAccelMessage(Message, Caption()) && CanFocus()) {
      SetFocus();
      ButtonClicked();
      Message.Result = 1;
    }
    return;
  }
  inherited::Dispatch(Message);
}

HV_PUBLISH(TButton) {
  p.Prop("Cancel", &T::Cancel, &T::SetCancel).Default(0);
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  p.Prop("Default", &T::Default, &T::SetDefault).Default(0);
  p.Prop("ModalResult", &T::ModalResult, &T::SetModalResult).Default(0);
}

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(Left(), Top(), 75, 25); }

void TButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  if (default_ == Value) return;
  default_ = Value;
  if (HandleAllocated()) Send(this, BM_SETSTYLE, Value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (modalResult_ != mrNone)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  inherited::Click();
}

void TButton::CMDialogKey(TMessage& Message) {
  auto key = static_cast<Word>(Message.WParam);
  if (((key == VK_RETURN && default_) || (key == VK_ESCAPE && cancel_)) && Enabled() && Visible() &&
      (KeyDataToShiftState(Message.LParam) * TShiftState{ssAlt, ssCtrl}).Empty()) {
    Click();
    Message.Result = 1;
    return;
  }
  inherited::CMDialogKey(Message);
}

HV_PUBLISH(TCustomCheckBox) {}

HV_PUBLISH(TCheckBox) {
  p.Prop("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(0);
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(0);
  p.Prop("State", &T::State, &T::SetState).Default(cbUnchecked);
}

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(Left(), Top(), 97, 17); }

void TCustomCheckBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= BS_3STATE;
}

void TCustomCheckBox::CreateWnd() {
  inherited::CreateWnd();
  Send(this, BM_SETCHECK, static_cast<WPARAM>(state_));
}

void TCustomCheckBox::SetState(TCheckBoxState Value) {
  if (state_ == Value) return;
  state_ = Value;
  if (HandleAllocated()) Send(this, BM_SETCHECK, static_cast<WPARAM>(Value));
  if (!IsLoading()) Click();
}

void TCustomCheckBox::Toggle() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

HV_PUBLISH(TRadioButton) {
  p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored);
  p.Prop("Checked", &T::Checked, &T::SetChecked).Default(0);
}

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(Left(), Top(), 113, 17); }

void TRadioButton::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd() {
  inherited::CreateWnd();
  Send(this, BM_SETCHECK, checked_);
}

void TRadioButton::SetChecked(bool Value) {
  if (checked_ == Value) return;
  checked_ = Value;
  SetTabStop(Value);
  if (HandleAllocated()) Send(this, BM_SETCHECK, Value);
  if (!Value) return;
  if (TWinControl* parent = Parent())
    for (int i = 0; i < parent->ControlCount(); ++i)
      if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
        other->SetChecked(false);
  if (!IsLoading()) Click();
}

// ---- TCustomGroupBox ----

HV_PUBLISH(TCustomGroupBox) {}

HV_PUBLISH(TGroupBox) { p.Prop("Caption", &T::Caption, &T::SetCaption).Stored(&T::IsCaptionStored); }

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks,
                                csReplicatable, csOpaque});
  SetBounds(Left(), Top(), 185, 105);
}

void TCustomGroupBox::AdjustClientRect(TRect& Rect) {
  inherited::AdjustClientRect(Rect);
  // Measured on the screen: the box may have no window yet.
  TWindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  canvas.Font()->Assign(Font());
  Rect.Top += canvas.TextHeight(WideString(L"0"));
  canvas.SetHandle(nullptr);
  Rect.Left += 2;
  Rect.Right -= 2;
  Rect.Bottom -= 2;
}

void TCustomGroupBox::Paint() {
  TCanvas* canvas = Canvas();
  canvas->Font()->Assign(Font());
  canvas->Brush()->SetColor(Color());
  canvas->Brush()->SetStyle(bsSolid);
  TRect client = ClientRect();
  canvas->FillRect(client);
  int h = canvas->TextHeight(WideString(L"0"));
  RECT frame{client.Left, client.Top + h / 2, client.Right, client.Bottom};
  DrawEdge(canvas->Handle(), &frame, EDGE_ETCHED, BF_RECT);
  WideString text = Caption();
  if (text.empty()) return;
  TRect r(8, 0, 8, h);
  canvas->DrawText(r, text, DT_SINGLELINE | DT_CALCRECT);
  r.Right += 2;
  canvas->FillRect(r);
  r.Left += 1;
  canvas->Brush()->SetStyle(bsClear);
  canvas->DrawText(r, text, DT_SINGLELINE);
}

void TCustomGroupBox::CMTextChanged(TMessage& Message) {
  inherited::CMTextChanged(Message);
  Invalidate();
  Realign();
}

// ---- TScrollBar ----

HV_PUBLISH(TScrollBar) {
  p.Prop("Kind", &T::Kind, &T::SetKind).Default(sbHorizontal);
  p.Prop("LargeChange", &T::LargeChange, &T::SetLargeChange).Default(1);
  p.Prop("Max", &T::Max, &T::SetMax).Default(100);
  p.Prop("Min", &T::Min, &T::SetMin).Default(0);
  p.Prop("PageSize", &T::PageSize, &T::SetPageSize).Default(0);
  p.Prop("Position", &T::Position, &T::SetPosition).Default(0);
  p.Prop("SmallChange", &T::SmallChange, &T::SetSmallChange).Default(1);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnScroll", &T::OnScroll);
}

TScrollBar::TScrollBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(Left(), Top(), 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
  SetControlStyle(TControlStyle{csFramed, csDoubleClicks});
}

void TScrollBar::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  CreateSubClass(Params, L"SCROLLBAR");
  Params.Style |= kind_ == sbVertical ? SBS_VERT : SBS_HORZ;
}

void TScrollBar::CreateWnd() {
  inherited::CreateWnd();
  ApplyInfo();
}

void TScrollBar::ApplyInfo() {
  if (!HandleAllocated()) return;
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  info.nMin = min_;
  info.nMax = max_;
  info.nPage = static_cast<UINT>(pageSize_);
  info.nPos = position_;
  SetScrollInfo(Handle(), SB_CTL, &info, TRUE);
}

void TScrollBar::SetKind(TScrollBarKind Value) {
  if (kind_ == Value) return;
  kind_ = Value;
  if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
  RecreateWnd();
}

void TScrollBar::SetPageSize(int Value) {
  if (pageSize_ == Value) return;
  if (Value < 0 || Value > max_ - min_ + 1) throw EInvalidOperation("Scroll bar property out of range");
  pageSize_ = Value;
  ApplyInfo();
}

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  if (AMax < AMin) throw EInvalidOperation("Scroll bar property out of range");
  APosition = std::clamp(APosition, AMin, AMax);
  bool changed = APosition != position_;
  if (APosition == position_ && AMin == min_ && AMax == max_) return;
  min_ = AMin;
  max_ = AMax;
  position_ = APosition;
  ApplyInfo();
  if (changed) Change();
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode ScrollCode, int& ScrollPos) {
  if (OnScroll) OnScroll(this, ScrollCode, ScrollPos);
}

void TScrollBar::DoScroll(TMessage& Message) {
  int code = LOWORD(Message.WParam);
  int pos = position_;
  switch (code) {
    case SB_LINEUP: pos -= smallChange_; break;
    case SB_LINEDOWN: pos += smallChange_; break;
    case SB_PAGEUP: pos -= largeChange_; break;
    case SB_PAGEDOWN: pos += largeChange_; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), SB_CTL, &info);
      pos = info.nTrackPos;
      break;
    }
    case SB_TOP: pos = min_; break;
    case SB_BOTTOM: pos = max_; break;
    default: break;
  }
  pos = std::clamp(pos, min_, max_);
  Scroll(code, pos);
  SetPosition(pos);
}

void TScrollBar::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL) {
    DoScroll(Message);
    return;
  }
  inherited::Dispatch(Message);
}
