// Command names, key strokes, the default key map and key translation.
#include "editor/TxtEditKeyCmds.h"

#include <array>
#include <memory>

#include "framework/CodePages.h"
#include "framework/FormFiles.h"
#include "framework/ScopeGuards.h"
#include "framework/UpdateBracket.h"
#include "framework/Win.h"

namespace {

// The order is part of what users see (command lists) and must not change.
constexpr std::array<TTxtEditorCommandIdent, 101> commandIdents{{
    {ecNone, "ecNone"},
    {ecLeft, "ecLeft"},
    {ecRight, "ecRight"},
    {ecUp, "ecUp"},
    {ecDown, "ecDown"},
    {ecWordLeft, "ecWordLeft"},
    {ecWordRight, "ecWordRight"},
    {ecLineStart, "ecLineStart"},
    {ecLineEnd, "ecLineEnd"},
    {ecPageUp, "ecPageUp"},
    {ecPageDown, "ecPageDown"},
    {ecPageLeft, "ecPageLeft"},
    {ecPageRight, "ecPageRight"},
    {ecPageTop, "ecPageTop"},
    {ecPageBottom, "ecPageBottom"},
    {ecEditorTop, "ecEditorTop"},
    {ecEditorBottom, "ecEditorBottom"},
    {ecGotoXY, "ecGotoXY"},
    {ecSelLeft, "ecSelLeft"},
    {ecSelRight, "ecSelRight"},
    {ecSelUp, "ecSelUp"},
    {ecSelDown, "ecSelDown"},
    {ecSelWordLeft, "ecSelWordLeft"},
    {ecSelWordRight, "ecSelWordRight"},
    {ecSelLineStart, "ecSelLineStart"},
    {ecSelLineEnd, "ecSelLineEnd"},
    {ecSelPageUp, "ecSelPageUp"},
    {ecSelPageDown, "ecSelPageDown"},
    {ecSelPageLeft, "ecSelPageLeft"},
    {ecSelPageRight, "ecSelPageRight"},
    {ecSelPageTop, "ecSelPageTop"},
    {ecSelPageBottom, "ecSelPageBottom"},
    {ecSelEditorTop, "ecSelEditorTop"},
    {ecSelEditorBottom, "ecSelEditorBottom"},
    {ecSelGotoXY, "ecSelGotoXY"},
    {ecSelWord, "ecSelWord"},
    {ecSelectAll, "ecSelectAll"},
    {ecDeleteLastChar, "ecDeleteLastChar"},
    {ecDeleteChar, "ecDeleteChar"},
    {ecDeleteWord, "ecDeleteWord"},
    {ecDeleteLastWord, "ecDeleteLastWord"},
    {ecDeleteBOL, "ecDeleteBOL"},
    {ecDeleteEOL, "ecDeleteEOL"},
    {ecDeleteLine, "ecDeleteLine"},
    {ecClearAll, "ecClearAll"},
    {ecLineBreak, "ecLineBreak"},
    {ecInsertLine, "ecInsertLine"},
    {ecChar, "ecChar"},
    {ecImeStr, "ecImeStr"},
    {ecUndo, "ecUndo"},
    {ecRedo, "ecRedo"},
    {ecCut, "ecCut"},
    {ecCopy, "ecCopy"},
    {ecPaste, "ecPaste"},
    {ecScrollUp, "ecScrollUp"},
    {ecScrollDown, "ecScrollDown"},
    {ecScrollLeft, "ecScrollLeft"},
    {ecScrollRight, "ecScrollRight"},
    {ecInsertMode, "ecInsertMode"},
    {ecOverwriteMode, "ecOverwriteMode"},
    {ecToggleMode, "ecToggleMode"},
    {ecBlockIndent, "ecBlockIndent"},
    {ecBlockUnindent, "ecBlockUnindent"},
    {ecTab, "ecTab"},
    {ecShiftTab, "ecShiftTab"},
    {ecMatchBracket, "ecMatchBracket"},
    {ecCommentBlock, "ecCommentBlock"},
    {ecNormalSelect, "ecNormalSelect"},
    {ecColumnSelect, "ecColumnSelect"},
    {ecLineSelect, "ecLineSelect"},
    {ecAutoCompletion, "ecAutoCompletion"},
    {ecUserFirst, "ecUserFirst"},
    {ecContextHelp, "ecContextHelp"},
    {ecGotoMarker0, "ecGotoMarker0"},
    {ecGotoMarker1, "ecGotoMarker1"},
    {ecGotoMarker2, "ecGotoMarker2"},
    {ecGotoMarker3, "ecGotoMarker3"},
    {ecGotoMarker4, "ecGotoMarker4"},
    {ecGotoMarker5, "ecGotoMarker5"},
    {ecGotoMarker6, "ecGotoMarker6"},
    {ecGotoMarker7, "ecGotoMarker7"},
    {ecGotoMarker8, "ecGotoMarker8"},
    {ecGotoMarker9, "ecGotoMarker9"},
    {ecSetMarker0, "ecSetMarker0"},
    {ecSetMarker1, "ecSetMarker1"},
    {ecSetMarker2, "ecSetMarker2"},
    {ecSetMarker3, "ecSetMarker3"},
    {ecSetMarker4, "ecSetMarker4"},
    {ecSetMarker5, "ecSetMarker5"},
    {ecSetMarker6, "ecSetMarker6"},
    {ecSetMarker7, "ecSetMarker7"},
    {ecSetMarker8, "ecSetMarker8"},
    {ecSetMarker9, "ecSetMarker9"},
    {ecUpperCase, "ecUpperCase"},
    {ecLowerCase, "ecLowerCase"},
    {ecToggleCase, "ecToggleCase"},
    {ecTitleCase, "ecTitleCase"},
    {ecUpperCaseBlock, "ecUpperCaseBlock"},
    {ecLowerCaseBlock, "ecLowerCaseBlock"},
    {ecToggleCaseBlock, "ecToggleCaseBlock"},
    {ecString, "ecString"},
}};

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool IdentToIntConv(std::string_view ident, int32_t& value) { return IdentToEditorCommand(ident, value); }
bool IntToIdentConv(int32_t value, std::string& ident) { return EditorCommandToIdent(value, ident); }

// The default key map, in the order it is built.
struct TDefaultStroke {
  TTxtEditorCommand Command;
  Word Key;
  uint8_t Shift;  // bit 0 Shift, bit 1 Alt, bit 2 Ctrl
};
constexpr uint8_t kS = 1, kA = 2, kC = 4;

constexpr TDefaultStroke defaultStrokes[] = {
    {ecUp, VK_UP, 0},
    {ecSelUp, VK_UP, kS},
    {ecScrollUp, VK_UP, kC},
    {ecDown, VK_DOWN, 0},
    {ecSelDown, VK_DOWN, kS},
    {ecScrollDown, VK_DOWN, kC},
    {ecLeft, VK_LEFT, 0},
    {ecSelLeft, VK_LEFT, kS},
    {ecWordLeft, VK_LEFT, kC},
    {ecSelWordLeft, VK_LEFT, kS | kC},
    {ecRight, VK_RIGHT, 0},
    {ecSelRight, VK_RIGHT, kS},
    {ecWordRight, VK_RIGHT, kC},
    {ecSelWordRight, VK_RIGHT, kS | kC},
    {ecPageDown, VK_NEXT, 0},
    {ecSelPageDown, VK_NEXT, kS},
    {ecPageBottom, VK_NEXT, kC},
    {ecSelPageBottom, VK_NEXT, kS | kC},
    {ecPageUp, VK_PRIOR, 0},
    {ecSelPageUp, VK_PRIOR, kS},
    {ecPageTop, VK_PRIOR, kC},
    {ecSelPageTop, VK_PRIOR, kS | kC},
    {ecLineStart, VK_HOME, 0},
    {ecSelLineStart, VK_HOME, kS},
    {ecEditorTop, VK_HOME, kC},
    {ecSelEditorTop, VK_HOME, kS | kC},
    {ecLineEnd, VK_END, 0},
    {ecSelLineEnd, VK_END, kS},
    {ecEditorBottom, VK_END, kC},
    {ecSelEditorBottom, VK_END, kS | kC},
    {ecToggleMode, VK_INSERT, 0},
    {ecCopy, VK_INSERT, kC},
    {ecCut, VK_DELETE, kS},
    {ecPaste, VK_INSERT, kS},
    {ecDeleteChar, VK_DELETE, 0},
    {ecDeleteLastChar, VK_BACK, 0},
    {ecDeleteLastChar, VK_BACK, kS},
    {ecDeleteLastWord, VK_BACK, kC},
    {ecUndo, VK_BACK, kA},
    {ecRedo, VK_BACK, kA | kS},
    {ecLineBreak, VK_RETURN, 0},
    {ecLineBreak, VK_RETURN, kS},
    {ecTab, VK_TAB, 0},
    {ecShiftTab, VK_TAB, kS},
    {ecContextHelp, VK_F1, 0},
    {ecSelectAll, 'A', kC},
    {ecCopy, 'C', kC},
    {ecPaste, 'V', kC},
    {ecCut, 'X', kC},
    {ecBlockIndent, 'I', kC | kS},
    {ecBlockUnindent, 'U', kC | kS},
    {ecLineBreak, 'M', kC},
    {ecInsertLine, 'N', kC},
    {ecDeleteWord, 'T', kC},
    {ecDeleteLine, 'Y', kC},
    {ecDeleteEOL, 'Y', kC | kS},
    {ecUndo, 'Z', kC},
    {ecRedo, 'Z', kC | kS},
    {ecGotoMarker0, '0', kC},
    {ecGotoMarker1, '1', kC},
    {ecGotoMarker2, '2', kC},
    {ecGotoMarker3, '3', kC},
    {ecGotoMarker4, '4', kC},
    {ecGotoMarker5, '5', kC},
    {ecGotoMarker6, '6', kC},
    {ecGotoMarker7, '7', kC},
    {ecGotoMarker8, '8', kC},
    {ecGotoMarker9, '9', kC},
    {ecSetMarker0, '0', kC | kS},
    {ecSetMarker1, '1', kC | kS},
    {ecSetMarker2, '2', kC | kS},
    {ecSetMarker3, '3', kC | kS},
    {ecSetMarker4, '4', kC | kS},
    {ecSetMarker5, '5', kC | kS},
    {ecSetMarker6, '6', kC | kS},
    {ecSetMarker7, '7', kC | kS},
    {ecSetMarker8, '8', kC | kS},
    {ecSetMarker9, '9', kC | kS},
    {ecNormalSelect, 'N', kC | kS},
    {ecColumnSelect, 'C', kC | kS},
    {ecLineSelect, 'L', kC | kS},
    {ecMatchBracket, 'B', kC | kS},
};

TShiftState ShiftFromBits(uint8_t bits) {
  TShiftState s;
  if (bits & kS) s.Include(ssShift);
  if (bits & kA) s.Include(ssAlt);
  if (bits & kC) s.Include(ssCtrl);
  return s;
}

// Key strokes compare their modifiers only; mouse-button flags of a shift state do not count.
TShiftState KeyModifiers(TShiftState s) { return s * TShiftState{ssShift, ssAlt, ssCtrl}; }

// A key that may start a two-key chord when nothing is bound to it alone.
constexpr Word chordKeyFirst = 0x1E;
constexpr Word chordKeyLast = 0x91;

}  // namespace

// ---- command names ----

int EditorCommandIdentCount() { return static_cast<int>(commandIdents.size()); }

const TTxtEditorCommandIdent& EditorCommandIdent(int Index) { return commandIdents.at(static_cast<size_t>(Index)); }

bool EditorCommandToIdent(int32_t Command, std::string& Ident) {
  for (const TTxtEditorCommandIdent& e : commandIdents)
    if (e.Value == Command) {
      Ident = e.Name;
      return true;
    }
  return false;
}

bool IdentToEditorCommand(std::string_view Ident, int32_t& Command) {
  for (const TTxtEditorCommandIdent& e : commandIdents)
    if (SameAsciiNoCase(Ident, e.Name)) {
      Command = e.Value;
      return true;
    }
  return false;
}

std::string EditorCommandToCodeString(TTxtEditorCommand Command) {
  std::string ident;
  if (EditorCommandToIdent(Command, ident)) return ident;
  return std::to_string(Command);
}

const TTypeInfo& TxtEditorCommandTypeInfo() {
  static const TTypeInfo& info = []() -> const TTypeInfo& {
    static TTypeInfo t;
    t.Kind = tkInteger;
    t.Name = "TTxtEditorCommand";
    t.OrdType = otUWord;
    t.MinValue = 0;
    t.MaxValue = 65535;
    RegisterIntegerConsts(t, &IdentToIntConv, &IntToIdentConv);
    return t;
  }();
  return info;
}

// ---- TTxtEditKeyStroke ----

HV_PUBLISH(TTxtEditKeyStroke) {
  p.Prop("Command", &T::Command, &T::SetCommand).Type(TxtEditorCommandTypeInfo()).NoDefault();
  p.Prop("ShortCut", &T::ShortCut, &T::SetShortCut).Default(0);
  p.Prop("ShortCut2", &T::ShortCut2, &T::SetShortCut2).Default(0);
}

void TTxtEditKeyStroke::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TTxtEditKeyStroke*>(Source)) {
    command_ = src->command_;
    key_ = src->key_;
    key2_ = src->key2_;
    shift_ = src->shift_;
    shift2_ = src->shift2_;
    return;
  }
  inherited::Assign(Source);
}

std::string TTxtEditKeyStroke::GetDisplayName() {
  std::string result = EditorCommandToCodeString(command_) + " - " + WideToUtf8(ShortCutToText(ShortCut()));
  if (ShortCut2() != 0) result += " " + WideToUtf8(ShortCutToText(ShortCut2()));
  if (result.empty()) result = inherited::GetDisplayName();
  return result;
}

TShortCut TTxtEditKeyStroke::ShortCut() const { return ::ShortCut(key_, shift_); }
TShortCut TTxtEditKeyStroke::ShortCut2() const { return ::ShortCut(key2_, shift2_); }

TTxtEditKeyStrokes* TTxtEditKeyStroke::Strokes() const { return dynamic_cast<TTxtEditKeyStrokes*>(Collection()); }

void TTxtEditKeyStroke::SetShortCut(TShortCut Value) {
  TTxtEditKeyStrokes* map = Strokes();
  if (Value != 0 && map && map->UpdateCount() == 0) {
    int dup = map->FindShortcutPair(Value, ShortCut2());
    if (dup >= 0 && map->Items(dup) != this) throw ETxtKeyError("Shortcut already exists");
  }
  Word key;
  TShiftState shift;
  ShortCutToKey(Value, key, shift);
  if (key != key_) key_ = key;
  if (!(shift == shift_)) shift_ = shift;
}

void TTxtEditKeyStroke::SetShortCut2(TShortCut Value) {
  TTxtEditKeyStrokes* map = Strokes();
  if (Value != 0 && map && map->UpdateCount() == 0) {
    int dup = map->FindShortcutPair(ShortCut(), Value);
    if (dup >= 0 && map->Items(dup) != this) throw ETxtKeyError("Shortcut already exists");
  }
  Word key;
  TShiftState shift;
  ShortCutToKey(Value, key, shift);
  if (key != key2_) key2_ = key;
  if (!(shift == shift2_)) shift2_ = shift;
}

// ---- TTxtEditKeyStrokes ----

HV_PUBLISH(TTxtEditKeyStrokes) {}

TTxtEditKeyStrokes::TTxtEditKeyStrokes(TPersistent* AOwner)
    : TCollection(TTxtEditKeyStroke::StaticClassInfo()), owner_(AOwner) {}

TTxtEditKeyStroke* TTxtEditKeyStrokes::AddKeyStroke(TTxtEditorCommand ACmd, Word AKey, TShiftState AShift) {
  TTxtEditKeyStroke* stroke = Add();
  TScopeFail dropStroke([stroke] { delete stroke; });
  stroke->SetKey(AKey);
  stroke->SetShift(AShift);
  stroke->SetCommand(ACmd);
  return stroke;
}

void TTxtEditKeyStrokes::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TTxtEditKeyStrokes*>(Source)) {
    if (src == this) return;
    WithinUpdate(*this, [&] {
      Clear();
      for (int i = 0; i < src->Count(); ++i) Add()->Assign(src->Items(i));
    });
    return;
  }
  inherited::Assign(Source);
}

int TTxtEditKeyStrokes::FindSingleKey(Word AKey, TShiftState AShift) const {
  AShift = KeyModifiers(AShift);
  for (int i = 0; i < Count(); ++i) {
    const TTxtEditKeyStroke* s = Items(i);
    if (s->Key() == AKey && s->Shift() == AShift && s->Key2() == 0) return i;
  }
  return -1;
}

int TTxtEditKeyStrokes::FindKeyPair(Word AKey1, TShiftState AShift1, Word AKey2, TShiftState AShift2) const {
  AShift1 = KeyModifiers(AShift1);
  AShift2 = KeyModifiers(AShift2);
  for (int i = 0; i < Count(); ++i) {
    const TTxtEditKeyStroke* s = Items(i);
    if (s->Key() == AKey1 && s->Shift() == AShift1 && s->Key2() == AKey2 && s->Shift2() == AShift2) return i;
  }
  return -1;
}

int TTxtEditKeyStrokes::FindShortcutPair(TShortCut ASC1, TShortCut ASC2) const {
  for (int i = 0; i < Count(); ++i) {
    const TTxtEditKeyStroke* s = Items(i);
    if (s->ShortCut() == ASC1 && s->ShortCut2() == ASC2) return i;
  }
  return -1;
}

void TTxtEditKeyStrokes::ResetDefaults() {
  WithinUpdate(*this, [&] {
    Clear();
    for (const TDefaultStroke& d : defaultStrokes) AddKeyStroke(d.Command, d.Key, ShiftFromBits(d.Shift));
  });
}

bool TTxtEditKeyStrokes::SameAs(const TTxtEditKeyStrokes& Other) const {
  if (Count() != Other.Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    const TTxtEditKeyStroke* a = Items(i);
    const TTxtEditKeyStroke* b = Other.Items(i);
    if (a->Command() != b->Command() || a->ShortCut() != b->ShortCut() || a->ShortCut2() != b->ShortCut2())
      return false;
  }
  return true;
}

// ---- key translation ----

TTxtEditorCommand TranslateKeyStroke(const TTxtEditKeyStrokes& Strokes, Word Key, TShiftState Shift, Word& LastKey,
                                     TShiftState& LastShift) {
  TTxtEditorCommand result = ecNone;
  int i = Strokes.FindKeyPair(LastKey, LastShift, Key, Shift);
  if (i >= 0) {
    result = Strokes.Items(i)->Command();
  } else {
    i = Strokes.FindSingleKey(Key, Shift);
    if (i >= 0) result = Strokes.Items(i)->Command();
  }
  if (result == ecNone && Key >= chordKeyFirst && Key <= chordKeyLast) {
    LastKey = Key;
    LastShift = KeyModifiers(Shift);
  } else {
    LastKey = 0;
    LastShift = TShiftState();
  }
  return result;
}

// ---- stored differences ----

namespace {

// The stroke of Map with the shortcut pair and the command of Stroke.
bool HasSameStroke(const TTxtEditKeyStrokes& map, const TTxtEditKeyStroke& stroke) {
  int i = map.FindShortcutPair(stroke.ShortCut(), stroke.ShortCut2());
  return i >= 0 && map.Items(i)->Command() == stroke.Command();
}

void WriteRemoved(TWriter& writer, const TTxtEditKeyStrokes& strokes, const TTxtEditKeyStrokes& reference) {
  TTxtEditKeyStrokes removed(nullptr);
  for (int i = 0; i < reference.Count(); ++i)
    if (!HasSameStroke(strokes, *reference.Items(i))) removed.Add()->Assign(reference.Items(i));
  writer.WriteCollection(&removed);
}

void WriteAdded(TWriter& writer, const TTxtEditKeyStrokes& strokes, const TTxtEditKeyStrokes& reference) {
  TTxtEditKeyStrokes added(nullptr);
  for (int i = 0; i < strokes.Count(); ++i)
    if (!HasSameStroke(reference, *strokes.Items(i))) added.Add()->Assign(strokes.Items(i));
  writer.WriteCollection(&added);
}

// A stored value that is not a collection is passed over.
bool ReadStrokes(TReader& reader, TTxtEditKeyStrokes& into) {
  if (reader.NextValue() != vaCollection) {
    reader.SkipValue();
    return false;
  }
  reader.ReadCollection(&into);
  return true;
}

void ReadRemoved(TReader& reader, TTxtEditKeyStrokes& strokes) {
  TTxtEditKeyStrokes removed(nullptr);
  if (!ReadStrokes(reader, removed)) return;
  for (int i = 0; i < removed.Count(); ++i) {
    const TTxtEditKeyStroke* r = removed.Items(i);
    int j = strokes.FindShortcutPair(r->ShortCut(), r->ShortCut2());
    if (j >= 0 && strokes.Items(j)->Command() == r->Command()) strokes.Delete(j);
  }
}

// A stroke whose keys the map (or an earlier added stroke) already has would be stored twice or
// never run, so the whole difference is refused before anything is appended.
void ReadAdded(TReader& reader, TTxtEditKeyStrokes& strokes) {
  TTxtEditKeyStrokes added(nullptr);
  if (!ReadStrokes(reader, added)) return;
  for (int i = 0; i < added.Count(); ++i) {
    const TTxtEditKeyStroke* a = added.Items(i);
    const int earlier = added.FindShortcutPair(a->ShortCut(), a->ShortCut2());
    if (strokes.FindShortcutPair(a->ShortCut(), a->ShortCut2()) >= 0 || earlier < i)
      throw ETxtKeyError("Shortcut already exists");
  }
  WithinUpdate(strokes, [&] {
    for (int i = 0; i < added.Count(); ++i) strokes.Add()->Assign(added.Items(i));
  });
}

}  // namespace

void DefineKeyStrokeDifferences(TFiler* Filer, TTxtEditKeyStrokes* Strokes, const TTxtEditKeyStrokes* Reference) {
  std::unique_ptr<TTxtEditKeyStrokes> defaults;
  if (!Reference) {
    defaults = std::make_unique<TTxtEditKeyStrokes>(nullptr);
    defaults->ResetDefaults();
    Reference = defaults.get();
  }
  const TTxtEditKeyStrokes& reference = *Reference;
  bool differs = !Strokes->SameAs(reference);
  Filer->DefineProperty(
      "RemovedKeystrokes", [Strokes](TReader& r) { ReadRemoved(r, *Strokes); },
      [Strokes, &reference](TWriter& w) { WriteRemoved(w, *Strokes, reference); }, differs);
  Filer->DefineProperty(
      "AddedKeystrokes", [Strokes](TReader& r) { ReadAdded(r, *Strokes); },
      [Strokes, &reference](TWriter& w) { WriteAdded(w, *Strokes, reference); }, differs);
}
