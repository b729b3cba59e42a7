// The open and save dialogs of text files: the system's dialogs with one more row, "Encoding:"
// and a list of encodings, taken from the child template "TEXTFILEDLG" of the program's resources
// and lined up under the file-type row.
#pragma once

#include <memory>
#include <vector>

#include "framework/Dialogs.h"
#include "framework/StringLists.h"

// Control ids of the row in the template.
constexpr int EncodingLabelId = 1201;
constexpr int EncodingComboId = 1202;

// Where the row goes, in the template window's client coordinates, from the system dialog's
// controls in the same coordinates: the file-type label (stc2) and list (cmb1), the read-only box
// (chx1) when it shows. The row lies one row below the file-type row, label under label and list
// under list, as wide as the file-type list; a read-only box that shows moves below the row.
struct TEncodingRowLayout {
  TRect Label;
  TRect Combo;
  bool MoveReadOnly = false;
  TRect ReadOnly;
};
TEncodingRowLayout LayOutEncodingRow(const TRect& TypeLabel, const TRect& TypeCombo, const TRect* ReadOnlyBox,
                                     int LabelHeight, int ComboHeight);

class TNSTextOpenDialog : public TOpenDialog {
  HV_CLASS(TNSTextOpenDialog, TOpenDialog)
 public:
  explicit TNSTextOpenDialog(TComponent* AOwner);

  // OnBeforeExecute, then the system dialog, with the encoding row unless the old-style option
  // is set.
  bool Execute() override;

  const WideString& EncodingsCaption() const { return encodingsCaption_; }
  void SetEncodingsCaption(const WideString& Value) { encodingsCaption_ = Value; }
  std::vector<WideString> Encodings() const;
  void SetEncodings(const std::vector<WideString>& Value);
  // The names as a list, as form files keep them: written only when they are not the four names
  // a new dialog offers (compared without regard to case).
  TStringsW* EncodingsList() const { return encodings_.get(); }
  void SetEncodingsList(TStringsW* Value) { encodings_->Assign(Value); }
  bool IsEncodingsStored() const;
  // The chosen line of Encodings; after Execute the one chosen when the dialog closed. While a
  // dialog shows, setting it moves the list's choice too.
  int EncodingIndex() const { return encodingIndex_; }
  void SetEncodingIndex(int Value);
  bool EncodingsVisible() const { return encodingsVisible_; }
  void SetEncodingsVisible(bool Value) { encodingsVisible_ = Value; }
  // The template window while a dialog with the row shows, else null.
  HWND RowWindow() const { return rowWindow_; }

  TNotifyEvent OnBeforeExecute;

  bool HookMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) override;

  // Whether any dialog with an encoding row shows.
  static bool Showing();

 protected:
  void PrepareOpenFileName(tagOFNW& Ofn) override;
  bool ExecuteAs(bool Save);

 private:
  void ArrangeRow(HWND Wnd);
  void FillRow(HWND Wnd);

  WideString encodingsCaption_ = L"Encoding:";
  std::unique_ptr<TStringListW> encodings_;
  int encodingIndex_ = 0;
  bool encodingsVisible_ = true;
  HWND rowWindow_ = nullptr;
};

class TNSTextSaveDialog : public TNSTextOpenDialog {
  HV_CLASS(TNSTextSaveDialog, TNSTextOpenDialog)
 public:
  explicit TNSTextSaveDialog(TComponent* AOwner) : TNSTextOpenDialog(AOwner) {}
  bool Execute() override;
};
