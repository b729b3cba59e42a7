// The wide string lists of the user interface and language files, their streams and companions.
#include "foundation/UcStringLists.h"

#include <algorithm>
#include <cstring>

#include "foundation/UcWideSys.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/FormFiles.h"
#include "framework/StrRoutines.h"
#include "framework/UpdateBracket.h"

namespace {

// The rest of the stream.
std::string ReadRest(TStream* Stream) {
  int64_t size = Stream->Size() - Stream->Position();
  if (size <= 0) return std::string();
  if (size > 0x7FFFFFFF) throw EReadError("Stream read error");
  std::string bytes(static_cast<size_t>(size), '\0');
  Stream->ReadBuffer(bytes.data(), static_cast<int>(size));
  return bytes;
}

// Items of a "W" list: each is UTF-8. Texts that the form file already gave as characters
// (not as bytes that form valid UTF-8) are taken as they are.
WideString FromStoredUtf8(const WideString& S) {
  std::string bytes;
  bytes.reserve(S.size());
  for (wchar_t c : S) {
    if (static_cast<uint16_t>(c) > 0xFF) return S;
    bytes += static_cast<char>(c);
  }
  WideString decoded = ucutf8::Decode(bytes.data(), bytes.size(), false);
  if (decoded.find(L'\xFFFD') != WideString::npos && S.find(L'\xFFFD') == WideString::npos) return S;
  return decoded;
}

}  // namespace

TextCharSet DetectStreamCharSet(TStream* Stream) {
  int64_t remaining = Stream->Size() - Stream->Position();
  unsigned char mark[3] = {};
  if (remaining >= 2) {
    int n = Stream->Read(mark, 2);
    if (n == 2 && mark[0] == 0xFF && mark[1] == 0xFE) return csUnicode;
    if (n == 2 && mark[0] == 0xFE && mark[1] == 0xFF) return csUnicodeSwapped;
    Stream->Seek(-n, soCurrent);
  }
  if (remaining >= 3) {
    int n = Stream->Read(mark, 3);
    if (n == 3 && mark[0] == 0xEF && mark[1] == 0xBB && mark[2] == 0xBF) return csUtf8;
    Stream->Seek(-n, soCurrent);
  }
  return csAnsi;
}

// ---- the 8-bit view ----

TAnsiStringsForWideStringsAdapter::TAnsiStringsForWideStringsAdapter(TStringsW* WideStrings, uint32_t CodePage)
    : wideStrings_(WideStrings), codePage_(CodePage) {}

uint32_t TAnsiStringsForWideStringsAdapter::Effective(uint32_t CodePage) const {
  if (CodePage != 0) return CodePage;
  return codePage_ != 0 ? codePage_ : DefaultCodePage;
}

AnsiString TAnsiStringsForWideStringsAdapter::Get(int Index) const {
  return WideStringToStringEx(wideStrings_->Strings(Index), Effective(0));
}

int TAnsiStringsForWideStringsAdapter::GetCount() const { return wideStrings_->Count(); }

TObject* TAnsiStringsForWideStringsAdapter::GetObject(int Index) const { return wideStrings_->Objects(Index); }

void TAnsiStringsForWideStringsAdapter::Put(int Index, const AnsiString& S) {
  wideStrings_->SetStrings(Index, StringToWideStringEx(S, Effective(0)));
}

void TAnsiStringsForWideStringsAdapter::PutObject(int Index, TObject* AObject) {
  wideStrings_->SetObjects(Index, AObject);
}

void TAnsiStringsForWideStringsAdapter::SetUpdateState(bool Updating) {
  if (Updating)
    wideStrings_->BeginUpdate();
  else
    wideStrings_->EndUpdate();
}

void TAnsiStringsForWideStringsAdapter::Clear() { wideStrings_->Clear(); }

void TAnsiStringsForWideStringsAdapter::Delete(int Index) { wideStrings_->Delete(Index); }

void TAnsiStringsForWideStringsAdapter::Insert(int Index, const AnsiString& S) {
  wideStrings_->Insert(Index, StringToWideStringEx(S, Effective(0)));
}

void TAnsiStringsForWideStringsAdapter::LoadFromStreamEx(TStream* Stream, uint32_t CodePage) {
  WideString text = StringToWideStringEx(ReadRest(Stream), Effective(CodePage));
  WithinUpdate(*wideStrings_, [&] { wideStrings_->SetText(text); });
}

void TAnsiStringsForWideStringsAdapter::SaveToStreamEx(TStream* Stream, uint32_t CodePage) {
  AnsiString bytes = WideStringToStringEx(wideStrings_->Text(), Effective(CodePage));
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

// ---- TUcStrings ----

TUcStrings::TUcStrings() : ansiStrings_(std::make_unique<TAnsiStringsForWideStringsAdapter>(this, 0)) {}

TUcStrings::~TUcStrings() = default;

void TUcStrings::LoadFromFile(const WideString& FileName) {
  TUcFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  loadedCharSet_ = DetectStreamCharSet(&stream);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

void TUcStrings::SaveToFile(const WideString& FileName) {
  TUcFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TUcStrings::LoadFromStream_BOM(TStream* Stream, bool WithBOM) {
  WithinUpdate(*this, [&] {
    TextCharSet charSet = WithBOM ? DetectStreamCharSet(Stream) : csUnicode;
    std::string bytes = ReadRest(Stream);
    WideString text;
    switch (charSet) {
      case csUnicode:
      case csUnicodeSwapped:
        text.resize(bytes.size() / 2);  // an odd last byte is no character
        if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * 2);
        if (charSet == csUnicodeSwapped) WideSwapByteOrder(text);
        break;
      case csUtf8: text = UTF8ToWideString(bytes); break;
      default: text = AnsiToWide(bytes, DefaultCodePage); break;
    }
    SetTextStr(text);
  });
}

void TUcStrings::SaveToStream_BOM(TStream* Stream, bool WithBOM) {
  if (WithBOM) Stream->WriteBuffer("\xFF\xFE", 2);
  WideString text = GetTextStr();
  if (text.size() > 0x3FFFFFFF) throw EWriteError("Stream write error");
  if (!text.empty()) Stream->WriteBuffer(text.data(), static_cast<int>(text.size() * 2));
}

void TUcStrings::DefineProperties(TFiler* Filer) {
  TStringsW::DefineProperties(Filer);
  Filer->DefineProperty(
      "WideStrings", [this](TReader& r) { ReadWideStrings(r); }, nullptr, false);
  Filer->DefineProperty(
      "WideStringsW", [this](TReader& r) { ReadWideStringsW(r); }, nullptr, false);
  Filer->DefineProperty(
      "WideStrings_UTF7", [](TReader& r) { r.SkipValue(); }, nullptr, false);
}

void TUcStrings::ReadWideStrings(TReader& Reader) {
  if (Reader.NextValue() != vaList) {
    SetTextStr(Reader.ReadWideString());
    return;
  }
  std::vector<WideString> items;
  Reader.ReadListBegin();
  while (!Reader.EndOfList()) items.push_back(Reader.ReadWideString());
  Reader.ReadListEnd();
  WithinUpdate(*this, [&] {
    Clear();
    for (const WideString& s : items) Add(s);
  });
}

void TUcStrings::ReadWideStringsW(TReader& Reader) {
  std::vector<WideString> items;
  Reader.ReadListBegin();
  while (!Reader.EndOfList()) items.push_back(FromStoredUtf8(Reader.ReadWideString()));
  Reader.ReadListEnd();
  if (Count() != 0) return;
  WithinUpdate(*this, [&] {
    for (const WideString& s : items) Add(s);
  });
}

// ---- TUcStringList ----

TUcStringList::~TUcStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TUcStringList::Changed() {
  if (!updating_ && OnChange) OnChange(this);
}

void TUcStringList::Changing() {
  if (!updating_ && OnChanging) OnChanging(this);
}

void TUcStringList::SetUpdateState(bool Updating) {
  // The flag is set first: a bracket that opens announces nothing, one that closes announces
  // the change once.
  updating_ = Updating;
  if (Updating)
    Changing();
  else
    Changed();
}

WideString TUcStringList::Get(int Index) const {
  items_.Check(Index);
  return items_.At(Index).Text;
}

TObject* TUcStringList::GetObject(int Index) const {
  items_.Check(Index);
  return items_.At(Index).Object;
}

void TUcStringList::Put(int Index, const WideString& S) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  items_.Check(Index);
  Changing();
  items_.At(Index).Text = S;
  Changed();
}

void TUcStringList::PutObject(int Index, TObject* AObject) {
  items_.Check(Index);
  Changing();
  items_.At(Index).Object = AObject;
  Changed();
}

int TUcStringList::CompareStrings(const WideString& S1, const WideString& S2) const {
  return caseSensitive_ ? WideCompareStr(S1, S2) : WideCompareText(S1, S2);
}

bool TUcStringList::Find(const WideString& S, int& Index) const {
  return items_.Find([&](const WideString& item) { return CompareStrings(item, S); }, duplicates_ == dupAccept, Index);
}

int TUcStringList::AddObject(const WideString& S, TObject* AObject) {
  int index = items_.Count();
  if (sorted_ && Find(S, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EStringListError("String list does not allow duplicates");
  }
  InsertItem(index, S, AObject);
  return index;
}

void TUcStringList::InsertObject(int Index, const WideString& S, TObject* AObject) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  items_.CheckInsert(Index);
  InsertItem(Index, S, AObject);
}

void TUcStringList::InsertItem(int Index, const WideString& S, TObject* AObject) {
  Changing();
  items_.Insert(Index, S, AObject);
  Changed();
}

void TUcStringList::Delete(int Index) {
  items_.Check(Index);
  Changing();
  items_.Delete(Index);
  Changed();
}

void TUcStringList::Clear() {
  if (items_.Count() == 0) return;
  Changing();
  items_.Clear();
  Changed();
}

void TUcStringList::Exchange(int Index1, int Index2) {
  items_.Check(Index1);
  items_.Check(Index2);
  Changing();
  items_.Exchange(Index1, Index2);
  Changed();
}

int TUcStringList::IndexOf(const WideString& S) const {
  if (!sorted_) return TUcStrings::IndexOf(S);
  int index = -1;
  return Find(S, index) ? index : -1;
}

int TUcStringList::IndexOfName(const WideString& Name) const {
  if (!sorted_) return TUcStrings::IndexOfName(Name);
  WideString s = Name + NameValueSeparator();
  int index = 0;
  Find(s, index);
  if (index < items_.Count()) {
    const WideString& item = items_.At(index).Text;
    if (CompareStrings(item.substr(0, s.size()), s) == 0) return index;
  }
  return -1;
}

void TUcStringList::SetCapacity(int NewCapacity) { items_.SetCapacity(std::max(NewCapacity, items_.Count())); }

void TUcStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TUcStringList::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TUcStringList::Sort() {
  CustomSort([](TUcStringList& list, int i, int j) {
    return list.CompareStrings(list.items_.At(i).Text, list.items_.At(j).Text);
  });
}

void TUcStringList::CustomSort(const TCompare& Compare) {
  if (sorted_ || items_.Count() <= 1) return;
  Changing();
  QuickSort(0, items_.Count() - 1, Compare);
  Changed();
}

void TUcStringList::QuickSort(int L, int R, const TCompare& Compare) {
  int i;
  do {
    i = L;
    int j = R, p = (L + R) / 2;
    do {
      while (Compare(*this, i, p) < 0) ++i;
      while (Compare(*this, j, p) > 0) --j;
      if (i <= j) {
        items_.Exchange(i, j);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (L < j) QuickSort(L, j, Compare);
    L = i;
  } while (i < R);
}

// ---- stored properties of wide texts ----

namespace {

void ReadWideCharW(TReader& Reader, TObject* Instance, const TPropInfo* Prop) {
  TFormValueType kind = Reader.NextValue();
  if (kind != vaString && kind != vaLString && kind != vaWString && kind != vaUTF8String)
    throw EReadError("Invalid property value");
  WideString s = Reader.ReadWideString();
  if (s.size() >= 2) throw EReadError("Invalid property value");
  if (Prop->SetOrd) Prop->SetOrd(Instance, s.empty() ? 0 : static_cast<uint16_t>(s[0]));
}

void ReadWideCharUtf7(TReader& Reader, TObject* Instance, const TPropInfo* Prop) {
  WideString s = UTF7ToWideString(Reader.ReadString());
  if (Prop->SetOrd) Prop->SetOrd(Instance, s.empty() ? 0 : static_cast<uint16_t>(s[0]));
}

}  // namespace

void DefineWideStringProperties(TFiler* Filer, TObject* Instance) {
  for (const TPropInfo* prop : GetPropList(Instance)) {
    if (prop->Kind() == tkWString) {
      Filer->DefineProperty(
          prop->Name + "W", [](TReader& r) { r.SkipValue(); }, nullptr, false);
      Filer->DefineProperty(
          prop->Name + "_UTF7", [](TReader& r) { r.SkipValue(); }, nullptr, false);
    } else if (prop->Kind() == tkWChar) {
      Filer->DefineProperty(
          prop->Name + "W", [Instance, prop](TReader& r) { ReadWideCharW(r, Instance, prop); }, nullptr, false);
      Filer->DefineProperty(
          prop->Name + "_UTF7", [Instance, prop](TReader& r) { ReadWideCharUtf7(r, Instance, prop); }, nullptr, false);
    }
  }
}

WideString SyncWideTextFromAnsi(WideString& WideText, const AnsiString& AnsiText) {
  if (WideToAnsi(WideText, DefaultCodePage, true) != AnsiText) WideText = AnsiToWide(AnsiText, DefaultCodePage);
  return WideText;
}

void SetSyncedWideText(const WideString& Value, WideString& WideText, const AnsiString& AnsiText,
                       const std::function<void(const AnsiString&)>& SetAnsi) {
  if (Value == SyncWideTextFromAnsi(WideText, AnsiText)) return;
  AnsiString ansi = WideToAnsi(Value, DefaultCodePage, true);
  // A wide text that the code page cannot hold may have the 8-bit form the control already
  // shows; clearing it first makes the 8-bit setter see a change.
  if (AnsiToWide(ansi, DefaultCodePage) != Value && AnsiText == ansi) SetAnsi(AnsiString());
  WideText = Value;
  SetAnsi(ansi);
}

// ---- streams ----

TUcFileStream::TUcFileStream(const WideString& FileName, uint16_t Mode) : THandleStream(INVALID_HANDLE_VALUE) {
  handle_ = Mode == fmCreate ? WideFileCreate(FileName) : WideFileOpen(FileName, Mode);
  if (handle_ != INVALID_HANDLE_VALUE) return;
  // Taken before the name is expanded, which may set an error of its own.
  const WideString reason = WideSysErrorMessage(GetLastError());
  const WideString name = WideExpandFileName(FileName);
  if (Mode == fmCreate) throw EFCreateError(L"Cannot create file \"" + name + L"\". " + reason);
  throw EFOpenError(L"Cannot open file \"" + name + L"\". " + reason);
}

TUcFileStream::~TUcFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

TUcResourceStream::TUcResourceStream(HINSTANCE Instance, const WideString& ResName, const wchar_t* ResType) {
  Initialize(Instance, ResName.c_str(), ResType, ResName);
}

TUcResourceStream::TUcResourceStream(HINSTANCE Instance, int ResID, const wchar_t* ResType) {
  Initialize(Instance, MAKEINTRESOURCEW(ResID), ResType, std::to_wstring(ResID));
}

void TUcResourceStream::Initialize(HINSTANCE Instance, const wchar_t* Name, const wchar_t* ResType,
                                   const WideString& Shown) {
  resInfo_ = FindResourceW(Instance, Name, ResType);
  if (!resInfo_) throw EResNotFound(L"Resource " + Shown + L" not found");
  handle_ = LoadResource(Instance, resInfo_);
  void* data = handle_ ? LockResource(handle_) : nullptr;
  if (!data) throw EResNotFound(L"Resource " + Shown + L" not found");
  SetPointer(data, SizeofResource(Instance, resInfo_), true);
}

TUcResourceStream::~TUcResourceStream() {
  if (handle_) FreeResource(handle_);
}

int TUcResourceStream::Write(const void*, int) { throw EStreamError("Can't write to a read-only resource stream"); }

void TUcResourceStream::SetSize(int64_t) { throw EStreamError("Can't write to a read-only resource stream"); }

// ---- companions ----

TWideComponentHelper::TWideComponentHelper(TComponent* AOwner) : TComponent(AOwner) {
  throw EUcInternalError("UC Internal Error: TWideComponentHelper.Create should never be encountered.");
}

TWideComponentHelper::TWideComponentHelper(TComponent* Component, TList* CompanionList)
    : TComponent(nullptr), component_(Component), companionList_(CompanionList) {
  int index = 0;
  FindWideComponentHelperIndex(CompanionList, Component, index);
  CompanionList->Insert(index, this);
  Component->FreeNotification(this);
}

TWideComponentHelper* TWideComponentHelper::CreateHelper(TComponent* Component, TList* CompanionList) {
  return new TWideComponentHelper(Component, CompanionList);
}

TWideComponentHelper::~TWideComponentHelper() {
  if (companionList_) companionList_->Remove(this);
  if (component_) component_->RemoveFreeNotification(this);
}

void TWideComponentHelper::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == component_ && component_) {
    component_ = nullptr;
    delete this;
  }
}

bool FindWideComponentHelperIndex(TList* CompanionList, TComponent* Component, int& Index) {
  auto key = reinterpret_cast<uintptr_t>(Component);
  int l = 0, h = CompanionList->Count() - 1;
  while (l <= h) {
    int i = (l + h) / 2;
    auto* helper = static_cast<TWideComponentHelper*>(CompanionList->Items(i));
    auto value = reinterpret_cast<uintptr_t>(helper->Component());
    if (value == key) {
      Index = i;
      return true;
    }
    if (value < key)
      l = i + 1;
    else
      h = i - 1;
  }
  Index = l;
  return false;
}

TWideComponentHelper* FindWideComponentHelper(TList* CompanionList, TComponent* Component) {
  int index = 0;
  if (!FindWideComponentHelperIndex(CompanionList, Component, index)) return nullptr;
  auto* helper = static_cast<TWideComponentHelper*>(CompanionList->Items(index));
  if (helper->Component() != Component)
    throw EUcInternalError("UC Internal Error: FindWideComponentHelperIndex failed.");
  return helper;
}

HV_PUBLISH(TAnsiStrings) {}
HV_PUBLISH(TAnsiStringsForWideStringsAdapter) {}
HV_PUBLISH(TUcStrings) {}
HV_PUBLISH(TUcStringList) {}
HV_PUBLISH(TUcFileStream) {}
HV_PUBLISH(TUcResourceStream) {}
HV_PUBLISH(TWideComponentHelper) {}
