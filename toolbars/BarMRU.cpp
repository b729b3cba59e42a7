// The recent-files list and its names.
#include "toolbars/BarMRU.h"

#include <commdlg.h>

#include <algorithm>

#include "framework/FileRoutines.h"
#include "framework/Mnemonics.h"

HV_PUBLISH(TBarMRUListStrings) {}
HV_PUBLISH(TBarMRUList) {
  p.Prop("AddFullPath", &T::AddFullPath, &T::SetAddFullPath).Default(true);
  p.Prop("HidePathExtension", &T::HidePathExtension, &T::SetHidePathExtension).Default(true);
  p.Prop("MaxItems", &T::MaxItems, &T::SetMaxItems).Default(4);
  p.Prop("Prefix", &T::Prefix, &T::SetPrefix);
  p.Prop("Items", &T::Items, &T::SetItems);
  p.Event("OnChange", &T::OnChange);
  p.Event("OnClick", &T::OnClick);
}

namespace {

WideString SystemFileTitle(const WideString& FileName) {
  wchar_t buffer[260];
  if (GetFileTitleW(FileName.c_str(), buffer, 260) != 0) return FileName;
  return buffer;
}

TBarMRUList::TFileTitleProc fileTitleProc = &SystemFileTitle;

WideString LowerFileName(const WideString& S) {
  WideString r = S;
  if (!r.empty()) CharLowerBuffW(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

}  // namespace

TBarMRUList::TFileTitleProc TBarMRUList::SetFileTitleProc(TFileTitleProc Proc) {
  TFileTitleProc old = fileTitleProc;
  fileTitleProc = Proc ? Proc : &SystemFileTitle;
  return old;
}

// ---- the names ----

TBarMRUListStrings::TBarMRUListStrings(TBarMRUList* AOwner)
    : owner_(AOwner), names_(std::make_unique<TStringListW>()) {}

TBarMRUListStrings::~TBarMRUListStrings() = default;

WideString TBarMRUListStrings::Get(int Index) const { return names_->Strings(Index); }

int TBarMRUListStrings::GetCount() const { return names_->Count(); }

void TBarMRUListStrings::Changed() {
  owner_->RebuildItems();
  owner_->Change();
}

void TBarMRUListStrings::Put(int Index, const WideString& S) {
  names_->SetStrings(Index, S);
  Changed();
}

void TBarMRUListStrings::Insert(int Index, const WideString& S) {
  TBarCustomItem* item = owner_->CreateFileItem();
  item->OnClick = TNotifyEvent(owner_, &TBarMRUList::ClickHandler);
  owner_->Container()->Insert(Index, item);
  names_->Insert(Index, S);
  Changed();
}

void TBarMRUListStrings::Delete(int Index) {
  delete owner_->Container()->Items(Index);
  names_->Delete(Index);
  Changed();
}

void TBarMRUListStrings::Clear() {
  for (int i = GetCount(); i-- > 0;) Delete(i);
}

void TBarMRUListStrings::Move(int CurIndex, int NewIndex) {
  // A move to the same place still rebuilds and tells the change; a place that is not there
  // is refused as any move to it is.
  if (CurIndex == NewIndex) (void)names_->Strings(CurIndex);
  names_->Move(CurIndex, NewIndex);
  owner_->Container()->Move(CurIndex, NewIndex);
  Changed();
}

int TBarMRUListStrings::IndexOf(const WideString& S) const {
  WideString key = LowerFileName(S);
  for (int i = 0; i < GetCount(); ++i) {
    WideString name = LowerFileName(Get(i));
    if (CompareStringW(LOCALE_USER_DEFAULT, 0, name.c_str(), static_cast<int>(name.size()), key.c_str(),
                       static_cast<int>(key.size())) == CSTR_EQUAL)
      return i;
  }
  return -1;
}

// ---- the list ----

TBarMRUList::TBarMRUList(TComponent* AOwner) : TBarMRUList(AOwner, std::make_unique<TBarCustomItem>(nullptr)) {}

TBarMRUList::TBarMRUList(TComponent* AOwner, std::unique_ptr<TBarCustomItem> AContainer)
    : TComponent(AOwner), container_(std::move(AContainer)), items_(std::make_unique<TBarMRUListStrings>(this)) {}

TBarMRUList::~TBarMRUList() {
  OnChange = {};
  container_.reset();
}

void TBarMRUList::SetMaxItems(int Value) {
  // A negative limit holds nothing, like 0.
  maxItems_ = std::max(Value, 0);
  RebuildItems();
}

void TBarMRUList::SetHidePathExtension(bool Value) {
  if (hidePathExtension_ == Value) return;
  hidePathExtension_ = Value;
  RebuildItems();
}

void TBarMRUList::SetItems(TStringsW* Value) { items_->Assign(Value); }

void TBarMRUList::Add(const WideString& Filename) {
  WideString name = addFullPath_ ? ExpandFileName(Filename) : Filename;
  int i = items_->IndexOf(name);
  if (i < 0) {
    items_->Insert(0, name);
    return;
  }
  if (i > 0) items_->Move(i, 0);
  items_->SetStrings(0, name);
}

void TBarMRUList::RebuildItems() {
  if (rebuilding_) return;
  rebuilding_ = true;
  try {
    while (items_->Count() > maxItems_) items_->Delete(items_->Count() - 1);
  } catch (...) {
    rebuilding_ = false;
    throw;
  }
  rebuilding_ = false;
  for (int i = 0; i < container_->Count() && i < items_->Count(); ++i) {
    WideString full = items_->Strings(i);
    WideString s = hidePathExtension_ ? fileTitleProc(full) : full;
    TBarCustomItem* item = container_->Items(i);
    item->SetCaption(EscapeAmpersands(s));
    item->SetHint(full);
    item->SetOptions(item->Options() + tboShowHint);
  }
}

void TBarMRUList::ClickHandler(TObject* Sender) {
  int i = container_->IndexOf(dynamic_cast<TBarCustomItem*>(Sender));
  if (i < 0) return;
  if (i > 0) items_->Move(i, 0);
  if (OnClick) OnClick(this, items_->Strings(0));
}

void TBarMRUList::Change() {
  if (!IsLoading() && OnChange) OnChange(this);
}
