// Editor commands and the key map: the command numbers with their names (for display and for
// stored key maps), the key strokes that bind one key or a two-key chord to a command, the
// default key map, and the translation of a key press into a command.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Exceptions.h"
#include "framework/Lists.h"
#include "framework/ShortCuts.h"
#include "framework/TypeInfo.h"

// An editor command: 0 none, 1..1000 the control's own, from 1001 on the application's.
using TTxtEditorCommand = uint16_t;

// ---- caret movement; the selecting twin of each is the value + 100 ----
inline constexpr TTxtEditorCommand ecNone = 0;
inline constexpr TTxtEditorCommand ecLeft = 1;
inline constexpr TTxtEditorCommand ecRight = 2;
inline constexpr TTxtEditorCommand ecUp = 3;
inline constexpr TTxtEditorCommand ecDown = 4;
inline constexpr TTxtEditorCommand ecWordLeft = 5;
inline constexpr TTxtEditorCommand ecWordRight = 6;
inline constexpr TTxtEditorCommand ecLineStart = 7;
inline constexpr TTxtEditorCommand ecLineEnd = 8;
inline constexpr TTxtEditorCommand ecPageUp = 9;
inline constexpr TTxtEditorCommand ecPageDown = 10;
inline constexpr TTxtEditorCommand ecPageLeft = 11;
inline constexpr TTxtEditorCommand ecPageRight = 12;
inline constexpr TTxtEditorCommand ecPageTop = 13;
inline constexpr TTxtEditorCommand ecPageBottom = 14;
inline constexpr TTxtEditorCommand ecEditorTop = 15;
inline constexpr TTxtEditorCommand ecEditorBottom = 16;
inline constexpr TTxtEditorCommand ecGotoXY = 17;

inline constexpr TTxtEditorCommand ecSelection = 100;  // the distance of a selecting twin
inline constexpr TTxtEditorCommand ecSelLeft = ecLeft + ecSelection;
inline constexpr TTxtEditorCommand ecSelRight = ecRight + ecSelection;
inline constexpr TTxtEditorCommand ecSelUp = ecUp + ecSelection;
inline constexpr TTxtEditorCommand ecSelDown = ecDown + ecSelection;
inline constexpr TTxtEditorCommand ecSelWordLeft = ecWordLeft + ecSelection;
inline constexpr TTxtEditorCommand ecSelWordRight = ecWordRight + ecSelection;
inline constexpr TTxtEditorCommand ecSelLineStart = ecLineStart + ecSelection;
inline constexpr TTxtEditorCommand ecSelLineEnd = ecLineEnd + ecSelection;
inline constexpr TTxtEditorCommand ecSelPageUp = ecPageUp + ecSelection;
inline constexpr TTxtEditorCommand ecSelPageDown = ecPageDown + ecSelection;
inline constexpr TTxtEditorCommand ecSelPageLeft = ecPageLeft + ecSelection;
inline constexpr TTxtEditorCommand ecSelPageRight = ecPageRight + ecSelection;
inline constexpr TTxtEditorCommand ecSelPageTop = ecPageTop + ecSelection;
inline constexpr TTxtEditorCommand ecSelPageBottom = ecPageBottom + ecSelection;
inline constexpr TTxtEditorCommand ecSelEditorTop = ecEditorTop + ecSelection;
inline constexpr TTxtEditorCommand ecSelEditorBottom = ecEditorBottom + ecSelection;
inline constexpr TTxtEditorCommand ecSelGotoXY = ecGotoXY + ecSelection;

inline constexpr TTxtEditorCommand ecSelWord = 198;
inline constexpr TTxtEditorCommand ecSelectAll = 199;
inline constexpr TTxtEditorCommand ecCopy = 201;

inline constexpr TTxtEditorCommand ecScrollUp = 211;
inline constexpr TTxtEditorCommand ecScrollDown = 212;
inline constexpr TTxtEditorCommand ecScrollLeft = 213;
inline constexpr TTxtEditorCommand ecScrollRight = 214;

inline constexpr TTxtEditorCommand ecInsertMode = 221;
inline constexpr TTxtEditorCommand ecOverwriteMode = 222;
inline constexpr TTxtEditorCommand ecToggleMode = 223;

inline constexpr TTxtEditorCommand ecNormalSelect = 231;
inline constexpr TTxtEditorCommand ecColumnSelect = 232;
inline constexpr TTxtEditorCommand ecLineSelect = 233;

inline constexpr TTxtEditorCommand ecMatchBracket = 250;
inline constexpr TTxtEditorCommand ecCommentBlock = 251;

inline constexpr TTxtEditorCommand ecGotoMarker0 = 301;  // .. ecGotoMarker0 + 9
inline constexpr TTxtEditorCommand ecGotoMarker1 = 302;
inline constexpr TTxtEditorCommand ecGotoMarker2 = 303;
inline constexpr TTxtEditorCommand ecGotoMarker3 = 304;
inline constexpr TTxtEditorCommand ecGotoMarker4 = 305;
inline constexpr TTxtEditorCommand ecGotoMarker5 = 306;
inline constexpr TTxtEditorCommand ecGotoMarker6 = 307;
inline constexpr TTxtEditorCommand ecGotoMarker7 = 308;
inline constexpr TTxtEditorCommand ecGotoMarker8 = 309;
inline constexpr TTxtEditorCommand ecGotoMarker9 = 310;
inline constexpr TTxtEditorCommand ecSetMarker0 = 351;  // .. ecSetMarker0 + 9
inline constexpr TTxtEditorCommand ecSetMarker1 = 352;
inline constexpr TTxtEditorCommand ecSetMarker2 = 353;
inline constexpr TTxtEditorCommand ecSetMarker3 = 354;
inline constexpr TTxtEditorCommand ecSetMarker4 = 355;
inline constexpr TTxtEditorCommand ecSetMarker5 = 356;
inline constexpr TTxtEditorCommand ecSetMarker6 = 357;
inline constexpr TTxtEditorCommand ecSetMarker7 = 358;
inline constexpr TTxtEditorCommand ecSetMarker8 = 359;
inline constexpr TTxtEditorCommand ecSetMarker9 = 360;

inline constexpr TTxtEditorCommand ecGotFocus = 480;
inline constexpr TTxtEditorCommand ecLostFocus = 481;
inline constexpr TTxtEditorCommand ecContextHelp = 490;

inline constexpr TTxtEditorCommand ecDeleteLastChar = 501;
inline constexpr TTxtEditorCommand ecDeleteChar = 502;
inline constexpr TTxtEditorCommand ecDeleteWord = 503;
inline constexpr TTxtEditorCommand ecDeleteLastWord = 504;
inline constexpr TTxtEditorCommand ecDeleteBOL = 505;
inline constexpr TTxtEditorCommand ecDeleteEOL = 506;
inline constexpr TTxtEditorCommand ecDeleteLine = 507;
inline constexpr TTxtEditorCommand ecClearAll = 508;
inline constexpr TTxtEditorCommand ecLineBreak = 509;
inline constexpr TTxtEditorCommand ecInsertLine = 510;
inline constexpr TTxtEditorCommand ecChar = 511;
inline constexpr TTxtEditorCommand ecImeStr = 550;

inline constexpr TTxtEditorCommand ecUndo = 601;
inline constexpr TTxtEditorCommand ecRedo = 602;
inline constexpr TTxtEditorCommand ecCut = 603;
inline constexpr TTxtEditorCommand ecPaste = 604;

inline constexpr TTxtEditorCommand ecBlockIndent = 610;
inline constexpr TTxtEditorCommand ecBlockUnindent = 611;
inline constexpr TTxtEditorCommand ecTab = 612;
inline constexpr TTxtEditorCommand ecShiftTab = 613;

inline constexpr TTxtEditorCommand ecUpperCase = 620;
inline constexpr TTxtEditorCommand ecLowerCase = 621;
inline constexpr TTxtEditorCommand ecToggleCase = 622;
inline constexpr TTxtEditorCommand ecTitleCase = 623;
inline constexpr TTxtEditorCommand ecUpperCaseBlock = 625;
inline constexpr TTxtEditorCommand ecLowerCaseBlock = 626;
inline constexpr TTxtEditorCommand ecToggleCaseBlock = 627;
inline constexpr TTxtEditorCommand ecString = 630;

inline constexpr TTxtEditorCommand ecAutoCompletion = 650;
inline constexpr TTxtEditorCommand ecUserFirst = 1001;

// ---- command names ----

// The command table in its fixed order: the order lists of commands are shown and stored in.
struct TTxtEditorCommandIdent {
  TTxtEditorCommand Value;
  const char* Name;
};
int EditorCommandIdentCount();
const TTxtEditorCommandIdent& EditorCommandIdent(int Index);

// The name of a command ("ecCopy"); false for a value without one.
bool EditorCommandToIdent(int32_t Command, std::string& Ident);
// The command a name stands for (letter case ignored); false for an unknown name.
bool IdentToEditorCommand(std::string_view Ident, int32_t& Command);
// The name, or the decimal number for a value without one.
std::string EditorCommandToCodeString(TTxtEditorCommand Command);

// The descriptor under which commands are stored (an unsigned 16-bit integer). Asking for it
// registers the name conversions, so that stored key maps read and write names.
const TTypeInfo& TxtEditorCommandTypeInfo();

// ---- key strokes ----

HV_DECLARE_EXCEPTION(ETxtKeyError, Exception);

class TTxtEditKeyStrokes;

// One binding: a key with modifiers, optionally followed by a second key with modifiers, and
// the command it gives.
class TTxtEditKeyStroke : public TCollectionItem {
  HV_CLASS(TTxtEditKeyStroke, TCollectionItem)
 public:
  explicit TTxtEditKeyStroke(TCollection* Collection) : TCollectionItem(Collection) {}

  void Assign(TPersistent* Source) override;
  // "ecCopy - Ctrl+C", with " " and the second key's text for a chord.
  std::string GetDisplayName() override;

  TTxtEditorCommand Command() const { return command_; }
  void SetCommand(TTxtEditorCommand Value) { command_ = Value; }
  Word Key() const { return key_; }
  void SetKey(Word Value) { key_ = Value; }
  TShiftState Shift() const { return shift_; }
  void SetShift(TShiftState Value) { shift_ = Value; }
  Word Key2() const { return key2_; }
  void SetKey2(Word Value) { key2_ = Value; }
  TShiftState Shift2() const { return shift2_; }
  void SetShift2(TShiftState Value) { shift2_ = Value; }

  // The first / second key in menu-shortcut form (0 for none, or for a key code above 255).
  TShortCut ShortCut() const;
  TShortCut ShortCut2() const;
  // Raise ETxtKeyError "Shortcut already exists", changing nothing, when another stroke of the
  // same map has the pair that would result. While the map is being filled (inside its
  // BeginUpdate, as when it is read from a form file) a stroke may pass through a pair that its
  // next key makes unique, so no check is made then.
  void SetShortCut(TShortCut Value);
  void SetShortCut2(TShortCut Value);

 private:
  TTxtEditKeyStrokes* Strokes() const;

  Word key_ = 0;
  TShiftState shift_;
  Word key2_ = 0;
  TShiftState shift2_;
  TTxtEditorCommand command_ = ecNone;
};

// A key map.
class TTxtEditKeyStrokes : public TCollection {
  HV_CLASS(TTxtEditKeyStrokes, TCollection)
 public:
  // AOwner: the editor control, or null for a map of its own.
  explicit TTxtEditKeyStrokes(TPersistent* AOwner);

  TTxtEditKeyStroke* Add() { return TCollection::Add<TTxtEditKeyStroke>(); }
  // Appends a stroke without a second key.
  TTxtEditKeyStroke* AddKeyStroke(TTxtEditorCommand ACmd, Word AKey, TShiftState AShift);
  // From another key map: a copy of each of its strokes, in order.
  void Assign(TPersistent* Source) override;

  // The first stroke with that key and no second key; -1 when none.
  int FindSingleKey(Word AKey, TShiftState AShift) const;
  int FindKeyPair(Word AKey1, TShiftState AShift1, Word AKey2, TShiftState AShift2) const;
  int FindShortcutPair(TShortCut ASC1, TShortCut ASC2) const;
  TTxtEditKeyStroke* Items(int Index) const { return static_cast<TTxtEditKeyStroke*>(TCollection::Items(Index)); }

  // Replaces the map with the default one.
  void ResetDefaults();
  // Same number of strokes with the same command and shortcuts, in the same order.
  bool SameAs(const TTxtEditKeyStrokes& Other) const;

 protected:
  TPersistent* GetOwner() override { return owner_; }

 private:
  TPersistent* owner_;
};

// Declares the key map's stored form: two differences against a reference map (a fresh default
// map when Reference is null), "RemovedKeystrokes" (strokes of the reference that the map lacks)
// and "AddedKeystrokes" (strokes of the map that the reference lacks), written only when the
// map differs from the reference. Reading applies them to the map as it stands.
void DefineKeyStrokeDifferences(TFiler* Filer, TTxtEditKeyStrokes* Strokes, const TTxtEditKeyStrokes* Reference);

// The command for a key press. LastKey and LastShift hold the first key of a possible chord:
// an unbound key between 0x1E and 0x91 is remembered there, anything else clears them.
TTxtEditorCommand TranslateKeyStroke(const TTxtEditKeyStrokes& Strokes, Word Key, TShiftState Shift, Word& LastKey,
                                     TShiftState& LastShift);
