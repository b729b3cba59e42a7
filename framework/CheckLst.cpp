// The check-list box: an owner-drawn list box that draws a check box before each item.
#include "framework/CheckLst.h"

#include <algorithm>
#include <string>

#include "framework/Exceptions.h"

#include "framework/Win.h"

HV_PUBLISH(TCheckListBox) {
  p.Prop("AllowGrayed", &T::AllowGrayed, &T::SetAllowGrayed).Default(0);
  p.Event("OnClickCheck", &T::OnClickCheck);
}

TCheckListBox::TCheckListBox(TComponent* AOwner) : TCustomListBox(AOwner) { SetStyle(lbOwnerDrawFixed); }

void TCheckListBox::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  // Owner drawn in any case: the boxes are ours to draw.
  if (!(Params.Style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE))) Params.Style |= LBS_OWNERDRAWFIXED;
}

int TCheckListBox::CheckWidth() { return GetSystemMetrics(SM_CXMENUCHECK) + 2; }

const TCheckListBox::TItemState& TCheckListBox::At(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(states_.size()))
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
  return states_[static_cast<size_t>(Index)];
}

TCheckListBox::TItemState& TCheckListBox::At(int Index) {
  return const_cast<TItemState&>(static_cast<const TCheckListBox*>(this)->At(Index));
}

TCheckBoxState TCheckListBox::State(int Index) const { return At(Index).State; }

void TCheckListBox::SetState(int Index, TCheckBoxState Value) {
  TItemState& s = At(Index);
  if (s.State == Value) return;
  s.State = Value;
  InvalidateItem(Index);
}

bool TCheckListBox::ItemEnabled(int Index) const { return At(Index).Enabled; }

void TCheckListBox::SetItemEnabled(int Index, bool Value) {
  TItemState& s = At(Index);
  if (s.Enabled == Value) return;
  s.Enabled = Value;
  InvalidateItem(Index);
}

bool TCheckListBox::Header(int Index) const { return At(Index).Header; }

void TCheckListBox::SetHeader(int Index, bool Value) {
  TItemState& s = At(Index);
  if (s.Header == Value) return;
  s.Header = Value;
  InvalidateItem(Index);
}

void TCheckListBox::CheckAll(TCheckBoxState AState, bool AllowDisabled, bool AllowHeader) {
  for (int i = 0; i < static_cast<int>(states_.size()); ++i) {
    const TItemState& s = states_[static_cast<size_t>(i)];
    if ((s.Enabled || AllowDisabled) && (!s.Header || AllowHeader)) SetState(i, AState);
  }
}

void TCheckListBox::Toggle(int Index) {
  const TItemState& s = At(Index);
  if (!s.Enabled || s.Header) return;
  switch (s.State) {
    case cbUnchecked: SetState(Index, allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(Index, cbUnchecked); break;
    case cbGrayed: SetState(Index, cbChecked); break;
  }
  ClickCheck();
}

void TCheckListBox::ClickCheck() {
  if (OnClickCheck) OnClickCheck(this);
}

void TCheckListBox::InvalidateItem(int Index) {
  if (!HandleAllocated()) return;
  TRect r = ItemRect(Index);
  RECT rect = ToRECT(r);
  InvalidateRect(Handle(), &rect, FALSE);
}

uint32_t TCheckListBox::ItemExtra(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(states_.size())) return 0;
  const TItemState& s = states_[static_cast<size_t>(Index)];
  return static_cast<uint32_t>(s.State) | (s.Enabled ? 0u : 0x100u) | (s.Header ? 0x200u : 0u);
}

void TCheckListBox::SetItemExtra(int Index, uint32_t Value) {
  if (Index < 0 || Index >= static_cast<int>(states_.size())) return;
  TItemState& s = states_[static_cast<size_t>(Index)];
  s.State = static_cast<TCheckBoxState>(std::min<uint32_t>(Value & 0xFF, cbGrayed));
  s.Enabled = !(Value & 0x100u);
  s.Header = (Value & 0x200u) != 0;
}

void TCheckListBox::ItemInserted(int Index) {
  Index = std::clamp(Index, 0, static_cast<int>(states_.size()));
  states_.insert(states_.begin() + Index, TItemState());
}

void TCheckListBox::ItemDeleted(int Index) {
  if (Index >= 0 && Index < static_cast<int>(states_.size())) states_.erase(states_.begin() + Index);
}

void TCheckListBox::ItemsCleared() { states_.clear(); }

void TCheckListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      int x = static_cast<short>(LOWORD(Message.LParam));
      int y = static_cast<short>(HIWORD(Message.LParam));
      int index = ItemAtPos({x, y}, true);
      inherited::Dispatch(Message);
      if (index >= 0 && x < CheckWidth()) Toggle(index);
      return;
    }
    case WM_CHAR:
      if (Message.WParam == L' ') {
        int index = ItemIndex();
        if (index >= 0) Toggle(index);
        return;
      }
      break;
    default: break;
  }
  inherited::Dispatch(Message);
}

void TCheckListBox::DrawCheck(TCanvas* Canvas, const TRect& Rect, TCheckBoxState AState, bool AEnabled) {
  int size = GetSystemMetrics(SM_CXMENUCHECK) - 2;
  RECT box{Rect.Left + 1, Rect.Top + (Rect.Height() - size) / 2, 0, 0};
  box.right = box.left + size;
  box.bottom = box.top + size;
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
  if (AState == cbChecked) state |= DFCS_CHECKED;
  if (AState == cbGrayed) state |= DFCS_BUTTON3STATE | DFCS_CHECKED;
  if (!AEnabled) state |= DFCS_INACTIVE;
  DrawFrameControl(Canvas->Handle(), &box, DFC_BUTTON, state);
}

void TCheckListBox::DrawItemText(TCanvas* Canvas, int Index, const TRect& Rect, TOwnerDrawState State) {
  (void)State;
  if (Index < 0 || Index >= Items()->Count()) return;
  TRect r = Rect;
  r.Left += 2;
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->DrawText(r, Items()->Strings(Index), DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void TCheckListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  TCanvas* canvas = Canvas();
  if (Index < 0 || Index >= static_cast<int>(states_.size())) {
    canvas->FillRect(Rect);
    return;
  }
  const TItemState& s = states_[static_cast<size_t>(Index)];
  TRect text = Rect;
  if (!s.Header) {
    // The box stands on the list's own background, outside the selection.
    TRect box(Rect.Left, Rect.Top, Rect.Left + CheckWidth(), Rect.Bottom);
    TColor selected = canvas->Brush()->Color();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(box);
    DrawCheck(canvas, box, s.State, s.Enabled && Enabled());
    canvas->Brush()->SetColor(selected);
    text.Left = box.Right;
  }
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(text);
  if (!s.Enabled) canvas->Font()->SetColor(clGrayText);
  if (s.Header) canvas->Font()->SetStyle(canvas->Font()->Style() + fsBold);
  DrawItemText(canvas, Index, text, State);
}
