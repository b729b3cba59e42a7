// Unicode combo and list boxes: the framework's controls with the Unicode auto-complete of
// editable combo boxes, the incremental search of drop-down lists (typing after a pause of
// 1250 ms or more starts a new search), copying a selection into another list control, and
// the Unicode action links.
#pragma once

#include <functional>

#include "framework/CheckLst.h"
#include "framework/ListControls.h"

// A list control that takes Unicode items (the destination of CopySelection).
class IUcListControl {
 public:
  static constexpr const char* IID = "{C1801F41-51E9-4DB5-8DB8-58AC86698C2E}";
  virtual ~IUcListControl() = default;
  virtual void AddItem(const WideString& Item, TObject* AObject) = 0;
};

// A combo box that searches its items itself.
class IUcComboSearch {
 public:
  static constexpr const char* IID = "{63BEBEF4-B1A2-495A-B558-7487B66F6827}";
  virtual ~IUcComboSearch() = default;
  // The first item after Start (from the top for -1) that begins with Text; -1 when none.
  virtual int FindString(const WideString& Text, int Start) = 0;
};

using TUcComboBoxStrings = TComboBoxStrings;
using TUcListBoxStrings = TListBoxStrings;

// The first item after Start (wrapping around) that begins with Text, without regard to
// letter case; -1 when none.
int ComboFindString(TCustomComboBox* Combo, const WideString& Text, int Start);
// The only item that begins with Text; -1 when none or more than one do.
int ComboFindUniqueString(TCustomComboBox* Combo, const WideString& Text);
// Adds an item to a list control: through IUcListControl when it has it.
void UcAddItemTo(TWinControl* Destination, const WideString& Item, TObject* AObject);

class TUcCustomComboBox : public TCustomComboBox, public IUcListControl {
  HV_CLASS(TUcCustomComboBox, TCustomComboBox)
 public:
  explicit TUcCustomComboBox(TComponent* AOwner);

  void AddItem(const WideString& Item, TObject* AObject) override;
  // Adds the selected item to Destination.
  void CopySelection(TWinControl* Destination);
  // Selects the item that begins with SearchText; with KeepTypedText an editable combo shows
  // the typed text followed by the rest of the item, the rest selected. True when found.
  bool AutoSelect(const WideString& SearchText, bool UniqueMatchOnly, bool KeepTypedText);
  // The clock of the incremental search (milliseconds); tests give their own.
  void SetTickSource(std::function<DWORD()> Source) { tick_ = std::move(Source); }
  const WideString& SearchText() const { return searchText_; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  bool EditCharacter(TMessage& Message) override;
  void ChildMessage(HWND Child, WNDPROC Previous, TMessage& Message) override;
  void WMChar(TMessage& Message) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  void CMHintShow(TMessage& Message) override;
  virtual bool UniqueMatchOnly() { return false; }
  virtual bool KeepTypedText() { return true; }

 private:
  bool IncrementalSearch(wchar_t Key);
  void OpenKeepingText();

  WideString searchText_;
  DWORD lastSearchKey_ = 0;
  std::function<DWORD()> tick_;
};

class TUcComboBox : public TUcCustomComboBox {
  HV_CLASS(TUcComboBox, TUcCustomComboBox)
 public:
  explicit TUcComboBox(TComponent* AOwner) : TUcCustomComboBox(AOwner) {}
};

class TUcCustomListBox : public TCustomListBox, public IUcListControl {
  HV_CLASS(TUcCustomListBox, TCustomListBox)
 public:
  explicit TUcCustomListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}

  void AddItem(const WideString& Item, TObject* AObject) override;
  // Adds the selected items (every one with MultiSelect) to Destination.
  void CopySelection(TWinControl* Destination);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  void CMHintShow(TMessage& Message) override;
};

class TUcListBox : public TUcCustomListBox {
  HV_CLASS(TUcListBox, TUcCustomListBox)
 public:
  explicit TUcListBox(TComponent* AOwner) : TUcCustomListBox(AOwner) {}
};

class TUcCheckListBox : public TCheckListBox, public IUcListControl {
  HV_CLASS(TUcCheckListBox, TCheckListBox)
 public:
  explicit TUcCheckListBox(TComponent* AOwner) : TCheckListBox(AOwner) {}

  void AddItem(const WideString& Item, TObject* AObject) override;
  void CopySelection(TWinControl* Destination);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TControlActionLink* CreateActionLink() override;
  void CMHintShow(TMessage& Message) override;
};

// Registers the Unicode controls, menus and actions by name for form files.
void RegisterUnicodeControlClasses();
