// The standard controls over the system's window classes: edits and memos ("EDIT"), labels
// (painted on the parent), push buttons, check boxes and radio buttons ("BUTTON"), group boxes
// and scroll bars ("SCROLLBAR"). Each keeps its state in the object, so that it survives the
// re-creation of its window, and reports the system's notifications as events.
#pragma once

#include <memory>

#include "framework/Alignment.h"
#include "framework/Controls.h"
#include "framework/ScrollStyle.h"
#include "framework/StringLists.h"

HV_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
HV_ENUM(TEllipsisPosition, epNone, epPathEllipsis, epEndEllipsis, epWordEllipsis)
HV_ENUM(TEditCharCase, ccNormal, ccUpperCase, ccLowerCase)
HV_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)

using TScrollCode = int;  // SB_LINEUP ... SB_ENDSCROLL
using TScrollBarEvent = TEvent<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

// An edit control: one line (TEdit) or several (TMemo).
class TCustomEdit : public TWinControl {
  HV_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* AOwner);

  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool Value) { autoSelect_ = Value; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  // 0: no limit.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  // Whether the user changed the text since Modified was last cleared.
  bool Modified();
  void SetModified(bool Value);
  wchar_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(wchar_t Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);

  // The selection in UTF-16 units of the text.
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  WideString SelText();
  // Replaces the selection (undoable).
  void SetSelText(const WideString& Value);
  void SelectAll();
  void Clear() { SetText(WideString()); }
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo();
  void Undo();

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void DoEnter() override;
  virtual void Change();

 private:
  bool autoSelect_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TEditCharCase charCase_ = ccNormal;
  bool hideSelection_ = true;
  int maxLength_ = 0;
  bool modified_ = false;
  wchar_t passwordChar_ = 0;
  bool readOnly_ = false;
  bool creating_ = false;
};

class TEdit : public TCustomEdit {
  HV_CLASS(TEdit, TCustomEdit)
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomMemo;

// The lines of a memo, read from and written to its text.
class TMemoStrings : public TStringsW {
  HV_CLASS(TMemoStrings, TStringsW)
 public:
  explicit TMemoStrings(TCustomMemo* Memo) : memo_(Memo) {}
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const WideString& S) override;

 protected:
  WideString Get(int Index) const override;
  int GetCount() const override;
  void Put(int Index, const WideString& S) override;
  WideString GetTextStr() const override;
  void SetTextStr(const WideString& Value) override;

 private:
  std::vector<WideString> Split() const;
  void Join(const std::vector<WideString>& Lines);
  TCustomMemo* memo_;
};

class TCustomMemo : public TCustomEdit {
  HV_CLASS(TCustomMemo, TCustomEdit)
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  TStringsW* Lines() const { return lines_.get(); }
  void SetLines(TStringsW* Value) { lines_->Assign(Value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool Value) { wantReturns_ = Value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool Value) { wantTabs_ = Value; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WMGetDlgCode(TMessage& Message) override;

 private:
  std::unique_ptr<TMemoStrings> lines_;
  TAlignment alignment_ = taLeftJustify;
  TScrollStyle scrollBars_ = ssNone;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  bool wordWrap_ = true;
};

class TMemo : public TCustomMemo {
  HV_CLASS(TMemo, TCustomMemo)
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// A text painted on the parent; "&" marks the key that focuses FocusControl.
class TCustomLabel : public TGraphicControl {
  HV_CLASS(TCustomLabel, TGraphicControl)
 public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // The label takes the size of its text (not with WordWrap: then only the height).
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  // Where a text that does not fit loses its part and shows "..." instead: at the end, inside a
  // path, or per word; epNone cuts it. With WordWrap, epEndEllipsis shortens the text so that
  // its lines fit the height and the last shown one ends in "...".
  TEllipsisPosition EllipsisPosition() const { return ellipsisPosition_; }
  void SetEllipsisPosition(TEllipsisPosition Value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);

 protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  // The flags the text is drawn with.
  unsigned DrawFlags() const;
  // The caption as drawn in Rect with the canvas's font: shortened to the height when the
  // end ellipsis meets word wrap, else the caption itself.
  WideString FittedCaption(TCanvas* Canvas, const TRect& Rect);
  void AdjustBounds();

 private:
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TEllipsisPosition ellipsisPosition_ = epNone;
  TWinControl* focusControl_ = nullptr;
  TTextLayout layout_ = tlTop;
  bool showAccelChar_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
};

class TLabel : public TCustomLabel {
  HV_CLASS(TLabel, TCustomLabel)
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// A control made from the system's "BUTTON" class.
class TButtonControl : public TWinControl {
  HV_CLASS(TButtonControl, TWinControl)
 public:
  explicit TButtonControl(TComponent* AOwner);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  // BN_CLICKED of the window.
  virtual void ButtonClicked() { Click(); }
};

class TButton : public TButtonControl {
  HV_CLASS(TButton, TButtonControl)
 public:
  explicit TButton(TComponent* AOwner);

  // Enter in the form clicks the default button, Escape the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  // Set into the form when clicked (ends a modal form).
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int Value) { modalResult_ = Value; }
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CMDialogKey(TMessage& Message) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = 0;
};

// A box with a check mark: clicking steps through unchecked, checked and (with AllowGrayed)
// grayed; each change of the state is a Click.
class TCustomCheckBox : public TButtonControl {
  HV_CLASS(TCustomCheckBox, TButtonControl)
 public:
  explicit TCustomCheckBox(TComponent* AOwner);

  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);
  bool Checked() const { return state_ == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  // The next state of a click.
  virtual void Toggle();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void ButtonClicked() override { Toggle(); }

 private:
  bool allowGrayed_ = false;
  TCheckBoxState state_ = cbUnchecked;
};

class TCheckBox : public TCustomCheckBox {
  HV_CLASS(TCheckBox, TCustomCheckBox)
 public:
  explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

// Checking a radio button unchecks the other radio buttons of its parent.
class TRadioButton : public TButtonControl {
  HV_CLASS(TRadioButton, TButtonControl)
 public:
  explicit TRadioButton(TComponent* AOwner);

  bool Checked() const { return checked_; }
  void SetChecked(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void ButtonClicked() override { SetChecked(true); }

 private:
  bool checked_ = false;
};

// A frame with a caption around other controls.
class TCustomGroupBox : public TCustomControl {
  HV_CLASS(TCustomGroupBox, TCustomControl)
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
  HV_CLASS(TGroupBox, TCustomGroupBox)
 public:
  explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};

class TScrollBar : public TWinControl {
  HV_CLASS(TScrollBar, TWinControl)
 public:
  explicit TScrollBar(TComponent* AOwner);

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind Value);
  int Min() const { return min_; }
  void SetMin(int Value) { SetParams(position_, Value, max_); }
  int Max() const { return max_; }
  void SetMax(int Value) { SetParams(position_, min_, Value); }
  int Position() const { return position_; }
  void SetPosition(int Value) { SetParams(Value, min_, max_); }
  int PageSize() const { return pageSize_; }
  void SetPageSize(int Value);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int Value) { smallChange_ = Value; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int Value) { largeChange_ = Value; }
  // The position is kept inside Min..Max; EInvalidOperation "Scroll bar property out of
  // range" when Max is below Min.
  void SetParams(int APosition, int AMin, int AMax);

  TNotifyEvent OnChange;
  TScrollBarEvent OnScroll;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
  virtual void Change();

 private:
  void ApplyInfo();
  void DoScroll(TMessage& Message);

  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0;
  int smallChange_ = 1, largeChange_ = 1;
};
