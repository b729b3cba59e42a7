// The highlighter base, token attributes and the highlighter class register.
#include "editor/TxtEditHighlighter.h"

#include "framework/CodePages.h"
#include "framework/Conversions.h"
#include "framework/Registry.h"
#include "framework/StrRoutines.h"

HV_PUBLISH(TTxtHighlighterAttributes) {
  p.Prop("Background", &T::Background, &T::SetBackground).NoDefault().Stored(&T::IsBackgroundStored);
  p.Prop("Foreground", &T::Foreground, &T::SetForeground).NoDefault().Stored(&T::IsForegroundStored);
  p.Prop("Style", &T::Style, &T::SetStyle).NoDefault().Stored(&T::IsStyleStored);
}

HV_PUBLISH(TTxtCustomHighlighter) {
  p.Prop("DefaultFilter", &T::DefaultFilter, &T::SetDefaultFilter).Stored(&T::IsFilterStored);
  p.Prop("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
}

HV_PUBLISH(TTxtHighlighterList) {}

const TColor StandardColorTable[16] = {clBlack, clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clSilver,
                                       clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

// ---- TTxtHighlighterAttributes ----

TTxtHighlighterAttributes::TTxtHighlighterAttributes(const AnsiString& AName) : name_(AName) {}

void TTxtHighlighterAttributes::Changed() {
  if (OnChange) OnChange(this);
}

void TTxtHighlighterAttributes::SetBackground(TColor Value) {
  if (Value == background_) return;
  background_ = Value;
  Changed();
}

void TTxtHighlighterAttributes::SetForeground(TColor Value) {
  if (Value == foreground_) return;
  foreground_ = Value;
  Changed();
}

void TTxtHighlighterAttributes::SetStyle(TFontStyles Value) {
  if (Value == style_) return;
  style_ = Value;
  Changed();
}

void TTxtHighlighterAttributes::AssignColorAndStyle(TTxtHighlighterAttributes* Source) {
  bool differs =
      background_ != Source->background_ || foreground_ != Source->foreground_ || !(style_ == Source->style_);
  background_ = Source->background_;
  foreground_ = Source->foreground_;
  style_ = Source->style_;
  if (differs) Changed();
}

void TTxtHighlighterAttributes::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtHighlighterAttributes*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  name_ = src->name_;
  AssignColorAndStyle(src);
}

int TTxtHighlighterAttributes::GetStyleFromInt() const {
  return (style_.Contains(fsBold) ? 1 : 0) | (style_.Contains(fsItalic) ? 2 : 0) |
         (style_.Contains(fsUnderline) ? 4 : 0) | (style_.Contains(fsStrikeOut) ? 8 : 0);
}

void TTxtHighlighterAttributes::SetStyleFromInt(int Value) {
  SetStyle((Value & 1) ? TFontStyles{fsBold} : TFontStyles{});
  if (Value & 2) SetStyle(style_ + fsItalic);
  if (Value & 4) SetStyle(style_ + fsUnderline);
  if (Value & 8) SetStyle(style_ + fsStrikeOut);
}

bool TTxtHighlighterAttributes::SaveToRegistry(TRegistry& Reg) {
  WideString saved = Reg.CurrentPath();
  try {
    if (!Reg.OpenKey(AnsiToWide(name_), true)) return false;
    Reg.WriteInteger(L"Background", static_cast<int>(background_));
    Reg.WriteInteger(L"Foreground", static_cast<int>(foreground_));
    Reg.WriteInteger(L"Style", GetStyleFromInt());
    Reg.OpenKey(L"\\" + saved, false);
  } catch (const ERegistryException&) {
    Reg.OpenKey(L"\\" + saved, false);
    return false;
  }
  return true;
}

bool TTxtHighlighterAttributes::LoadFromRegistry(TRegistry& Reg) {
  WideString saved = Reg.CurrentPath();
  try {
    if (!Reg.OpenKeyReadOnly(AnsiToWide(name_))) return false;
    if (Reg.ValueExists(L"Background")) SetBackground(TColor(Reg.ReadInteger(L"Background")));
    if (Reg.ValueExists(L"Foreground")) SetForeground(TColor(Reg.ReadInteger(L"Foreground")));
    if (Reg.ValueExists(L"Style")) SetStyleFromInt(Reg.ReadInteger(L"Style"));
    Reg.OpenKeyReadOnly(L"\\" + saved);
  } catch (const ERegistryException&) {
    Reg.OpenKeyReadOnly(L"\\" + saved);
    return false;
  }
  return true;
}

namespace {

// A colour of the basic table by its index; raises for anything else.
TColor TableColor(const AnsiString& index) {
  int i = StrToInt(index);
  if (i < 0 || i > 15) throw EConvertError("colour index out of range");
  return StandardColorTable[i];
}

// True unless the text is "FALSE" in any letter case or exactly "0".
bool IsTrueText(const WideString& text) { return !(WideSameText(text, L"FALSE") || text == L"0"); }

// A colour from the integer value Name (a table index) or else from the text value Name + " New"
// (a colour name or number); false when neither exists.
bool ReadColor(TRegistry& reg, const WideString& name, TColor& color) {
  if (reg.ValueExists(name)) {
    int index = reg.ReadInteger(name);
    if (index < 0 || index > 15) throw EConvertError("colour index out of range");
    color = StandardColorTable[index];
    return true;
  }
  if (reg.ValueExists(name + L" New")) {
    color = StringToColor(WideToAnsi(reg.ReadString(name + L" New")));
    return true;
  }
  return false;
}

}  // namespace

bool TTxtHighlighterAttributes::LoadFromIdeRegistry(HKEY RootKey, const WideString& Key, const WideString& AttrKey,
                                                    bool OldStyle) {
  try {
    return OldStyle ? LoadOldLayout(RootKey, Key, AttrKey) : LoadNewLayout(RootKey, Key, AttrKey);
  } catch (const Exception&) {
    return false;
  }
}

// One text value, seven comma-separated fields: -, -, style letters, default foreground,
// default background, foreground index, background index.
bool TTxtHighlighterAttributes::LoadOldLayout(HKEY RootKey, const WideString& Key, const WideString& AttrKey) {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(RootKey);
  if (!reg.OpenKeyReadOnly(Key) || !reg.ValueExists(AttrKey)) return false;
  AnsiString rest = WideToAnsi(reg.ReadString(AttrKey));
  AnsiString field[8];
  for (int i = 1; i <= 7; ++i) {
    size_t comma = rest.find(',');
    field[i] = rest.substr(0, comma);
    rest = comma == AnsiString::npos ? AnsiString() : rest.substr(comma + 1);
  }
  SetBackground(field[5] == "1" ? clWindow : TableColor(field[7]));
  SetForeground(field[4] == "1" ? clWindowText : TableColor(field[6]));
  TFontStyles style;
  if (field[3].find('B') != AnsiString::npos) style.Include(fsBold);
  if (field[3].find('I') != AnsiString::npos) style.Include(fsItalic);
  if (field[3].find('U') != AnsiString::npos) style.Include(fsUnderline);
  SetStyle(style);
  return true;
}

bool TTxtHighlighterAttributes::LoadNewLayout(HKEY RootKey, const WideString& Key, const WideString& AttrKey) {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(RootKey);
  if (!reg.OpenKeyReadOnly(Key + L"\\" + AttrKey)) return false;
  TColor foreground, background;
  if (!ReadColor(reg, L"Foreground Color", foreground)) return false;
  if (!ReadColor(reg, L"Background Color", background)) return false;
  for (const wchar_t* name : {L"Bold", L"Italic", L"Underline", L"Default Foreground", L"Default Background"})
    if (!reg.ValueExists(name)) return false;
  bool bold = IsTrueText(reg.ReadString(L"Bold"));
  bool italic = IsTrueText(reg.ReadString(L"Italic"));
  bool underline = IsTrueText(reg.ReadString(L"Underline"));
  bool defaultForeground = IsTrueText(reg.ReadString(L"Default Foreground"));
  bool defaultBackground = IsTrueText(reg.ReadString(L"Default Background"));
  SetBackground(defaultBackground ? clWindow : background);
  SetForeground(defaultForeground ? clWindowText : foreground);
  TFontStyles style;
  if (bold) style.Include(fsBold);
  if (italic) style.Include(fsItalic);
  if (underline) style.Include(fsUnderline);
  SetStyle(style);
  return true;
}

// ---- TTxtCustomHighlighter ----

TTxtCustomHighlighter::TTxtCustomHighlighter(TComponent* AOwner) : TComponent(AOwner) {
  for (unsigned char c :
       {'!', '"', '\'', '(', ')', '*', '+', ',', '-', '.', '/', ':', ';', '=', '?', '[', '\\', ']', '^', '{', '|', '}'})
    wordBreakChars_.Include(c);
  TState::Attributes.SetSorted(true);
  TState::Attributes.SetDuplicates(dupError);
  AttrChangeHooks.SetSender(this);
}

// The attributes are freed with TState, after the component part: whoever is told of the
// destruction may still unhook from the change chain.
TTxtCustomHighlighter::~TTxtCustomHighlighter() = default;

void TTxtCustomHighlighter::FreeHighlighterAttributes() { FreeAttributes(); }

namespace highlighter_detail {

TState::~TState() { FreeAttributes(); }

void TState::FreeAttributes() {
  for (int i = Attributes.Count() - 1; i >= 0; --i) delete Attributes.Objects(i);
  Attributes.Clear();
}

}  // namespace highlighter_detail

void TTxtCustomHighlighter::AddAttribute(TTxtHighlighterAttributes* AAttrib) {
  std::unique_ptr<TTxtHighlighterAttributes> owned(AAttrib);
  TState::Attributes.AddObject(AAttrib->Name(), AAttrib);
  owned.release();
  AAttrib->OnChange = TNotifyEvent(this, &TTxtCustomHighlighter::AttributeChanged);
}

void TTxtCustomHighlighter::AttributeChanged(TObject* Sender) { DefHighlightChange(Sender); }

void TTxtCustomHighlighter::DefHighlightChange(TObject* Sender) {
  if (IsLoading()) return;
  AttrChangeHooks.SetSender(Sender);
  AttrChangeHooks.Fire();
}

void TTxtCustomHighlighter::HookAttrChangeEvent(const TNotifyEvent& ANotifyEvent) { AttrChangeHooks.Add(ANotifyEvent); }

void TTxtCustomHighlighter::UnhookAttrChangeEvent(const TNotifyEvent& ANotifyEvent) {
  AttrChangeHooks.Remove(ANotifyEvent);
}

void TTxtCustomHighlighter::Loaded() {
  inherited::Loaded();
  DefHighlightChange(nullptr);
}

void TTxtCustomHighlighter::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  DefHighlightChange(nullptr);
}

void TTxtCustomHighlighter::NextToEol() {
  while (!GetEol()) Next();
}

void TTxtCustomHighlighter::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TTxtCustomHighlighter*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  for (int i = 0; i < GetAttribCount(); ++i) {
    TTxtHighlighterAttributes* own = GetAttribute(i);
    for (int j = 0; j < src->GetAttribCount(); ++j) {
      TTxtHighlighterAttributes* other = src->GetAttribute(j);
      if (other && own && other->Name() == own->Name()) {
        own->Assign(other);
        break;
      }
    }
  }
  if (src->InheritsFrom(ClassInfo())) SetSampleSource(src->GetSampleSource());
  wordBreakChars_ = src->wordBreakChars_;
  SetDefaultFilter(src->GetDefaultFilter());
  SetEnabled(src->Enabled());
}

int TTxtCustomHighlighter::GetAttribCount() const { return TState::Attributes.Count(); }

TTxtHighlighterAttributes* TTxtCustomHighlighter::GetAttribute(int Index) const {
  if (Index < 0 || Index >= TState::Attributes.Count()) return nullptr;
  return static_cast<TTxtHighlighterAttributes*>(TState::Attributes.Objects(Index));
}

AnsiString TTxtCustomHighlighter::GetDefaultFilter() const { return defaultFilter_; }

TTxtCharSet TTxtCustomHighlighter::GetIdentChars() const {
  TTxtCharSet chars;
  for (int c = 33; c <= 255; ++c) chars.Include(static_cast<unsigned char>(c));
  return chars;
}

AnsiString TTxtCustomHighlighter::GetSampleSource() const { return AnsiString(); }
bool TTxtCustomHighlighter::IsFilterStored() const { return true; }
void TTxtCustomHighlighter::SetDefaultFilter(const AnsiString& Value) { defaultFilter_ = Value; }
void TTxtCustomHighlighter::SetSampleSource(const AnsiString&) {}
void TTxtCustomHighlighter::SetWordBreakChars(const TTxtCharSet& Chars) { wordBreakChars_ = Chars; }
uint32_t TTxtCustomHighlighter::GetCapabilities() const { return 2; }
AnsiString TTxtCustomHighlighter::GetLanguageName() const { return "<Unknown>"; }
void* TTxtCustomHighlighter::GetRange() const { return nullptr; }
bool TTxtCustomHighlighter::IsKeyword(const AnsiString&) const { return false; }
void TTxtCustomHighlighter::SetRange(void*) {}
void TTxtCustomHighlighter::ResetRange() {}
bool TTxtCustomHighlighter::UseUserSettings(int) { return false; }

void TTxtCustomHighlighter::EnumUserSettings(TStrings* Settings) {
  if (Settings) Settings->Clear();
}

// Every attribute is attempted, even after one failed.
bool TTxtCustomHighlighter::SaveToRegistry(HKEY RootKey, const WideString& Key) {
  TRegistry reg;
  reg.SetRootKey(RootKey);
  try {
    if (!reg.OpenKey(Key, true)) return false;
  } catch (const ERegistryException&) {
    return false;
  }
  bool result = true;
  for (int i = 0; i < GetAttribCount(); ++i)
    if (!GetAttribute(i)->SaveToRegistry(reg)) result = false;
  return result;
}

bool TTxtCustomHighlighter::LoadFromRegistry(HKEY RootKey, const WideString& Key) {
  TRegistry reg(KEY_READ);
  reg.SetRootKey(RootKey);
  if (!reg.OpenKeyReadOnly(Key)) return false;
  bool result = true;
  for (int i = 0; i < GetAttribCount(); ++i)
    if (!GetAttribute(i)->LoadFromRegistry(reg)) result = false;
  return result;
}

// ---- TTxtHighlighterList ----

TTxtHighlighterList& GetPlaceableHighlighters() {
  static TTxtHighlighterList list;
  return list;
}

int RegisterPlaceableHighlighter(const TClassInfo& Highlighter) {
  TTxtHighlighterList& list = GetPlaceableHighlighters();
  void* item = const_cast<TClassInfo*>(&Highlighter);
  int index = list.IndexOf(item);
  return index >= 0 ? index : list.Add(item);
}
