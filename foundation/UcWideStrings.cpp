// The wide string lists of the text-file encodings.
#include "foundation/UcWideStrings.h"

#include <cstring>

#include "foundation/UcWideSys.h"
#include "framework/CodePages.h"
#include "framework/Exceptions.h"
#include "framework/FormFiles.h"
#include "framework/Streams.h"
#include "framework/UpdateBracket.h"

namespace {

[[noreturn]] void ListError(const char* Message) { throw EStringListError(Message); }

// A stream over a file handle that this unit opened and closes.
class TOwnedHandleStream : public THandleStream {
 public:
  explicit TOwnedHandleStream(HANDLE Handle) : THandleStream(Handle) {}
  ~TOwnedHandleStream() override { CloseHandle(handle_); }
};

HANDLE OpenOrRaise(HANDLE Handle) {
  if (Handle == INVALID_HANDLE_VALUE) RaiseLastOSError();
  return Handle;
}

}  // namespace

int WideStringsCompare(LCID Language, const WideString& S1, const WideString& S2) {
  int r = CompareStringW(Language, NORM_IGNORECASE, S1.data(), static_cast<int>(S1.size()), S2.data(),
                         static_cast<int>(S2.size()));
  if (r != 0) return r - 2;
  // The system could not compare (an unknown locale): an ordinal order keeps sorting sound.
  return S1.compare(S2) < 0 ? -1 : (S1 == S2 ? 0 : 1);
}

// ---- TWideStrings ----

TWideStrings::TWideStrings() : language_(GetUserDefaultLCID()) {}

void TWideStrings::Assign(TPersistent* Source) {
  if (Source == this) return;
  // Each step announces its own change: the clearing, then every string added.
  if (auto* wide = dynamic_cast<TWideStrings*>(Source)) {
    Clear();
    AddStrings(wide);
    return;
  }
  if (auto* ansi = dynamic_cast<TStrings*>(Source)) {
    Clear();
    AddStrings(ansi);
    return;
  }
  TPersistent::Assign(Source);
}

void TWideStrings::AssignTo(TPersistent* Dest) {
  if (auto* ansi = dynamic_cast<TStrings*>(Dest)) {
    uint32_t codePage = CodePageFromLocale(language_);
    ansi->Clear();
    for (int i = 0, n = Count(); i < n; ++i) ansi->AddObject(WideStringToStringEx(Get(i), codePage), GetObject(i));
    return;
  }
  if (auto* wide = dynamic_cast<TWideStrings*>(Dest)) {
    wide->Assign(this);
    return;
  }
  TPersistent::AssignTo(Dest);
}

int TWideStrings::Add(const WideString& S) {
  int index = Count();
  Insert(index, S);
  return index;
}

int TWideStrings::AddObject(const WideString& S, TObject* AObject) {
  int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TWideStrings::AddStrings(TStrings* Strings) {
  uint32_t codePage = CodePageFromLocale(language_);
  for (int i = 0, n = Strings->Count(); i < n; ++i)
    AddObject(StringToWideStringEx(Strings->Strings(i), codePage), Strings->Objects(i));
}

void TWideStrings::AddStrings(TWideStrings* Strings) {
  // The strings are UTF-16 on both sides, so another language changes nothing of them.
  for (int i = 0, n = Strings->Count(); i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
}

void TWideStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TWideStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TWideStrings::SetUpdateState(bool) {}

void TWideStrings::SetCapacity(int) {}

void TWideStrings::SetLanguage(LCID Value) { language_ = Value; }

TObject* TWideStrings::GetObject(int) const { return nullptr; }

void TWideStrings::DoConfirmConversion(bool& Allowed) {
  if (OnConfirmConversion) OnConfirmConversion(this, Allowed);
}

void TWideStrings::Exchange(int Index1, int Index2) {
  WideString s = Get(Index1);
  TObject* o = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s);
  PutObject(Index2, o);
}

int TWideStrings::IndexOf(const WideString& S) {
  WideString s = Normalized(S);
  for (int i = 0, n = Count(); i < n; ++i)
    if (Compare(Get(i), s) == 0) return i;
  return -1;
}

void TWideStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  WideString s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  Delete(CurIndex);
  Insert(NewIndex, s);
  PutObject(NewIndex, o);
}

WideString TWideStrings::GetSeparatedText(const WideString& Separator) const {
  WideString result;
  int n = Count();
  size_t size = 0;
  for (int i = 0; i < n; ++i) size += Get(i).size() + Separator.size();
  result.reserve(size);
  for (int i = 0; i < n; ++i) {
    if (i > 0) result += Separator;
    result += Get(i);
  }
  return result;
}

void TWideStrings::AddLines(const WideString& Text, bool FileBreaks) {
  const wchar_t* p = Text.data();
  const wchar_t* end = p + Text.size();
  auto isBreak = [FileBreaks](wchar_t c) {
    if (c == L'\r' || c == L'\n') return true;
    return !FileBreaks && (c == L'\v' || c == L'\f' || c == L'\x2028' || c == L'\x2029');
  };
  while (p < end) {
    const wchar_t* start = p;
    while (p < end && !isBreak(*p)) ++p;
    Add(WideString(start, p));
    if (p < end) {
      if (*p == L'\r' && p + 1 < end && p[1] == L'\n') ++p;
      ++p;
    }
  }
}

void TWideStrings::SetText(const WideString& Text) {
  Clear();
  AddLines(Text, false);
}

void TWideStrings::SetFileText(const WideString& Text) {
  Clear();
  AddLines(Text, true);
}

void TWideStrings::LoadFromFile(const WideString& FileName) {
  HANDLE h = OpenOrRaise(WideFileOpen(FileName, fmOpenRead | fmShareDenyNone));
  TOwnedHandleStream stream(h);
  LoadFromStream(&stream);
}

void TWideStrings::SaveToFile(const WideString& FileName) {
  HANDLE h = OpenOrRaise(WideFileCreate(FileName));
  TOwnedHandleStream stream(h);
  SaveToStream(&stream);
}

void TWideStrings::LoadFromStream(TStream* Stream) {
  // The whole load is one change.
  WithinUpdate(*this, [&] { LoadText(Stream); });
}

void TWideStrings::LoadText(TStream* Stream) {
  int64_t size = Stream->Size() - Stream->Position();
  if (size < 0) size = 0;
  if (size > 0x7FFFFFFF) throw EStreamError("Stream read error");
  std::string bytes(static_cast<size_t>(size), '\0');
  if (size > 0) Stream->ReadBuffer(bytes.data(), static_cast<int>(size));
  auto at = [&bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
  WideString text;
  if (bytes.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF))) {
    bool swapped = at(0) == 0xFE;
    size_t units = (bytes.size() - 2) / 2;
    text.resize(units);
    if (units) std::memcpy(text.data(), bytes.data() + 2, units * 2);
    if (swapped) SwapWideCharBytes(text);
    saveFormat_ = swapped ? sfUnicodeMSB : sfUnicodeLSB;
  } else if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    text = ucutf8::Decode(bytes.data() + 3, bytes.size() - 3, true);
    saveFormat_ = sfUTF8;
  } else {
    text = AnsiToWide(bytes, DefaultCodePage);
    saveFormat_ = sfAnsi;
  }
  SetFileText(text);
}

void TWideStrings::SaveToStream(TStream* Stream) {
  WideString text = GetTextStr();
  bool allowed = true;
  if (saveFormat_ == sfAnsi && OnConfirmConversion) {
    for (wchar_t c : text)
      if (c < 1 || c > 255) {
        DoConfirmConversion(allowed);
        break;
      }
  }
  if (!allowed) {
    saved_ = false;
    return;
  }
  std::string bytes;
  switch (saveFormat_) {
    case sfUnicodeLSB:
    case sfUnicodeMSB: {
      if (saveFormat_ == sfUnicodeMSB) SwapWideCharBytes(text);
      bytes = saveFormat_ == sfUnicodeLSB ? "\xFF\xFE" : "\xFE\xFF";
      bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
      break;
    }
    case sfUTF8: bytes = "\xEF\xBB\xBF" + EncodeWideToUtf8(text); break;
    default: bytes = WideStringToStringEx(text, CodePageFromLocale(language_)); break;
  }
  if (!bytes.empty()) Stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  saved_ = true;
}

void TWideStrings::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  bool hasData = Count() > 0;
  if (auto* ancestor = dynamic_cast<TWideStrings*>(Filer->Ancestor())) hasData = ancestor->GetTextStr() != GetTextStr();
  Filer->DefineProperty(
      "WideStrings", [this](TReader& r) { SetText(r.ReadWideString()); },
      [this](TWriter& w) { w.WriteWideString(GetTextStr()); }, hasData);
}

// ---- TWideStringList ----

TWideStringList::~TWideStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TWideStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TWideStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TWideStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

WideString TWideStringList::Get(int Index) const {
  items_.Check(Index);
  return items_.At(Index).Text;
}

TObject* TWideStringList::GetObject(int Index) const {
  items_.Check(Index);
  return items_.At(Index).Object;
}

void TWideStringList::Put(int Index, const WideString& S) {
  if (sorted_) ListError("Operation not allowed on sorted list");
  items_.Check(Index);
  Changing();
  items_.At(Index).Text = Normalized(S);
  Changed();
}

void TWideStringList::PutObject(int Index, TObject* AObject) {
  items_.Check(Index);
  Changing();
  items_.At(Index).Object = AObject;
  Changed();
}

bool TWideStringList::Find(const WideString& S, int& Index) {
  WideString s = Normalized(S);
  return items_.Find([&](const WideString& item) { return Compare(item, s); }, duplicates_ == dupAccept, Index);
}

int TWideStringList::Add(const WideString& S) {
  int index = items_.Count();
  if (sorted_ && Find(S, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) ListError("String list does not allow duplicates");
  }
  InsertItem(index, S);
  return index;
}

void TWideStringList::Insert(int Index, const WideString& S) {
  if (sorted_) ListError("Operation not allowed on sorted list");
  items_.CheckInsert(Index);
  InsertItem(Index, S);
}

void TWideStringList::InsertItem(int Index, const WideString& S) {
  Changing();
  items_.Insert(Index, Normalized(S), nullptr);
  Changed();
}

void TWideStringList::Delete(int Index) {
  items_.Check(Index);
  Changing();
  items_.Delete(Index);
  Changed();
}

void TWideStringList::Clear() {
  if (items_.Count() == 0) return;
  Changing();
  items_.Clear();
  Changed();
}

int TWideStringList::IndexOf(const WideString& S) {
  if (!sorted_) return TWideStrings::IndexOf(S);
  int index = -1;
  return Find(S, index) ? index : -1;
}

void TWideStringList::SetCapacity(int NewCapacity) { items_.SetCapacity(NewCapacity); }

void TWideStringList::SetLanguage(LCID Value) { TWideStrings::SetLanguage(Value); }

void TWideStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TWideStringList::Sort() {
  if (sorted_ || items_.Count() <= 1) return;
  Changing();
  QuickSort(0, items_.Count() - 1);
  Changed();
}

void TWideStringList::QuickSort(int L, int R) {
  while (L < R) {
    int i = L, j = R;
    WideString pivot = items_.At((L + R) / 2).Text;
    while (i <= j) {
      while (Compare(items_.At(i).Text, pivot) < 0) ++i;
      while (Compare(items_.At(j).Text, pivot) > 0) --j;
      if (i <= j) {
        items_.Exchange(i, j);
        ++i;
        --j;
      }
    }
    if (L < j) QuickSort(L, j);
    L = i;
  }
}

HV_PUBLISH(TWideStrings) {}
HV_PUBLISH(TWideStringList) {}
