// Keyboard shortcuts of menus, actions and key maps: a virtual key and its modifiers packed in
// 16 bits, the text shown for one ("Shift+Ctrl+S") and the way back from such a text.
//
// Encoding: the virtual-key code in the low byte, plus scShift (0x2000), scCtrl (0x4000) and
// scAlt (0x8000). Texts put the modifier names "Shift+", "Ctrl+", "Alt+" in that order before
// the key name; reading a text accepts the modifiers in any order and any letter case.
#pragma once

#include <cstdint>

#include "framework/Sets.h"
#include "framework/TypeInfo.h"
#include "framework/Types.h"

// Modifier keys and mouse buttons held while a key or mouse message arrived (bit 0 Shift,
// bit 1 Alt, bit 2 Ctrl).
HV_ENUM(TShiftStateFlag, ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble)
using TShiftState = TSet<TShiftStateFlag>;

enum TShortCut : uint16_t {};
HV_INTEGER_TYPE(TShortCut, 0, 65535, otUWord)

constexpr uint16_t scShift = 0x2000;
constexpr uint16_t scCtrl = 0x4000;
constexpr uint16_t scAlt = 0x8000;
constexpr uint16_t scNone = 0;

// The shortcut of a key with modifiers; 0 for a key code above 255. Mouse-button flags of
// Shift are ignored.
TShortCut ShortCut(Word Key, TShiftState Shift);
// Splits a shortcut into its key (the shortcut without the modifier bits) and modifiers.
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);

// The name of the key in the low byte: the framework's own names ("BkSp", "Tab", "Enter",
// "Esc", "Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down", "Ins", "Del",
// "F1".."F24", letters, digits), other keys as the keyboard layout names them; "" when the key
// has no name.
WideString ShortCutKeyName(Word Key);
// "" for 0 and for keys without a name.
WideString ShortCutToText(TShortCut ShortCut);
// The shortcut a text names; 0 for an empty or unknown text. Blanks around the text are
// ignored; modifiers may repeat and come in any order.
TShortCut TextToShortCut(const WideString& Text);
TShortCut TextToShortCut(const AnsiString& Text);
