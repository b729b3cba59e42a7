// The open and save dialogs of text files with their encoding row.
#include "app/NSTextDialogs.h"

#include <commdlg.h>
#include <dlgs.h>

#include "framework/ScopeGuards.h"

namespace {

int showing = 0;

// The names a new dialog offers.
const wchar_t* const defaultEncodings[] = {L"ANSI", L"Unicode", L"Big Endian Unicode", L"UTF-8"};

const bool registered = [] {
  RegisterClasses({&TNSTextOpenDialog::StaticClassInfo(), &TNSTextSaveDialog::StaticClassInfo()});
  return true;
}();

// A control of the system dialog in the template window's client coordinates; false when the
// dialog has no such control.
bool ControlRect(HWND Dialog, HWND Template, int Id, TRect& R, bool* Visible = nullptr) {
  HWND control = GetDlgItem(Dialog, Id);
  if (!control) return false;
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, Template, reinterpret_cast<POINT*>(&r), 2);
  R = Rect(r.left, r.top, r.right, r.bottom);
  if (Visible) *Visible = IsWindowVisible(control) != FALSE;
  return true;
}

}  // namespace

TEncodingRowLayout LayOutEncodingRow(const TRect& TypeLabel, const TRect& TypeCombo, const TRect* ReadOnlyBox,
                                     int LabelHeight, int ComboHeight) {
  TEncodingRowLayout layout;
  const int pitch = ComboHeight + 6;
  const int top = TypeCombo.Top + pitch;
  layout.Combo = Bounds(TypeCombo.Left, top, TypeCombo.Width(), ComboHeight);
  // The label keeps the file-type label's offset from its list.
  layout.Label =
      Bounds(TypeLabel.Left, top + (TypeLabel.Top - TypeCombo.Top), TypeCombo.Left - TypeLabel.Left, LabelHeight);
  if (ReadOnlyBox) {
    layout.MoveReadOnly = true;
    layout.ReadOnly = Bounds(ReadOnlyBox->Left, top + ComboHeight + 6, ReadOnlyBox->Width(), ReadOnlyBox->Height());
  }
  return layout;
}

HV_PUBLISH(TNSTextOpenDialog) {
  p.Prop("EncodingsCaption", &T::EncodingsCaption, &T::SetEncodingsCaption);
  p.Prop("Encodings", &T::EncodingsList, &T::SetEncodingsList).Stored(&T::IsEncodingsStored);
  p.Prop("EncodingIndex", &T::EncodingIndex, &T::SetEncodingIndex).Default(0);
  p.Prop("EncodingsVisible", &T::EncodingsVisible, &T::SetEncodingsVisible).Default(true);
  p.Event("OnBeforeExecute", &T::OnBeforeExecute);
}

TNSTextOpenDialog::TNSTextOpenDialog(TComponent* AOwner)
    : TOpenDialog(AOwner), encodings_(std::make_unique<TStringListW>()) {
  for (const wchar_t* name : defaultEncodings) encodings_->Add(name);
}

std::vector<WideString> TNSTextOpenDialog::Encodings() const {
  std::vector<WideString> names;
  for (int i = 0; i < encodings_->Count(); ++i) names.push_back(encodings_->Strings(i));
  return names;
}

void TNSTextOpenDialog::SetEncodings(const std::vector<WideString>& Value) {
  encodings_->Clear();
  for (const WideString& name : Value) encodings_->Add(name);
}

bool TNSTextOpenDialog::IsEncodingsStored() const {
  if (encodings_->Count() != static_cast<int>(std::size(defaultEncodings))) return true;
  for (int i = 0; i < encodings_->Count(); ++i)
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, encodings_->Strings(i).c_str(), -1, defaultEncodings[i],
                       -1) != CSTR_EQUAL)
      return true;
  return false;
}

bool TNSTextOpenDialog::Showing() { return showing > 0; }

void TNSTextOpenDialog::SetEncodingIndex(int Value) {
  encodingIndex_ = Value;
  if (rowWindow_) SendDlgItemMessageW(rowWindow_, EncodingComboId, CB_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

void TNSTextOpenDialog::PrepareOpenFileName(tagOFNW& Ofn) {
  if (Options().Contains(ofOldStyleDialog)) return;
  Ofn.Flags |= OFN_ENABLETEMPLATE;
  Ofn.hInstance = GetModuleHandleW(nullptr);
  Ofn.lpTemplateName = L"TEXTFILEDLG";
}

bool TNSTextOpenDialog::ExecuteAs(bool Save) {
  if (OnBeforeExecute) OnBeforeExecute(this);
  TScopeExit forget([this] { rowWindow_ = nullptr; });
  return DoExecute(Save);
}

bool TNSTextOpenDialog::Execute() { return ExecuteAs(false); }

HV_PUBLISH(TNSTextSaveDialog) {}

bool TNSTextSaveDialog::Execute() { return ExecuteAs(true); }

void TNSTextOpenDialog::FillRow(HWND Wnd) {
  SetDlgItemTextW(Wnd, EncodingLabelId, encodingsCaption_.c_str());
  HWND combo = GetDlgItem(Wnd, EncodingComboId);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < encodings_->Count(); ++i)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(encodings_->Strings(i).c_str()));
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(encodingIndex_), 0);
  const int show = encodingsVisible_ ? SW_SHOW : SW_HIDE;
  ShowWindow(combo, show);
  ShowWindow(GetDlgItem(Wnd, EncodingLabelId), show);
}

void TNSTextOpenDialog::ArrangeRow(HWND Wnd) {
  HWND dialog = GetParent(Wnd);
  TRect typeLabel, typeCombo, readOnly;
  if (!ControlRect(dialog, Wnd, stc2, typeLabel) || !ControlRect(dialog, Wnd, cmb1, typeCombo)) return;
  bool readOnlyShown = false;
  const bool hasReadOnly = ControlRect(dialog, Wnd, chx1, readOnly, &readOnlyShown) && readOnlyShown;
  RECT labelRect, comboRect;
  GetWindowRect(GetDlgItem(Wnd, EncodingLabelId), &labelRect);
  GetWindowRect(GetDlgItem(Wnd, EncodingComboId), &comboRect);
  const TEncodingRowLayout layout =
      LayOutEncodingRow(typeLabel, typeCombo, hasReadOnly ? &readOnly : nullptr, labelRect.bottom - labelRect.top,
                        comboRect.bottom - comboRect.top);
  auto place = [](HWND Control, const TRect& R) {
    SetWindowPos(Control, nullptr, R.Left, R.Top, R.Width(), R.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(GetDlgItem(Wnd, EncodingLabelId), layout.Label);
  place(GetDlgItem(Wnd, EncodingComboId), layout.Combo);
  if (layout.MoveReadOnly) {
    // The read-only box belongs to the system dialog: back into its coordinates.
    RECT r{layout.ReadOnly.Left, layout.ReadOnly.Top, layout.ReadOnly.Right, layout.ReadOnly.Bottom};
    MapWindowPoints(Wnd, dialog, reinterpret_cast<POINT*>(&r), 2);
    SetWindowPos(GetDlgItem(dialog, chx1), nullptr, r.left, r.top, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  }
}

bool TNSTextOpenDialog::HookMessage(HWND Wnd, UINT Msg, WPARAM, LPARAM LParam) {
  switch (Msg) {
    case WM_NOTIFY:
      if (reinterpret_cast<NMHDR*>(LParam)->code == CDN_INITDONE) {
        rowWindow_ = Wnd;
        ++showing;
        FillRow(Wnd);
        ArrangeRow(Wnd);
      }
      return false;
    case WM_SIZE:
      if (rowWindow_ == Wnd) ArrangeRow(Wnd);
      return false;
    case WM_DESTROY:
      if (rowWindow_ == Wnd) {
        const LRESULT chosen = SendDlgItemMessageW(Wnd, EncodingComboId, CB_GETCURSEL, 0, 0);
        if (chosen != CB_ERR) encodingIndex_ = static_cast<int>(chosen);
        rowWindow_ = nullptr;
        --showing;
      }
      return false;
    default: return false;
  }
}
