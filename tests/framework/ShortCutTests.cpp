// Shortcut encoding, texts of shortcuts and reading them back.
#include <gtest/gtest.h>

#include <utility>

#include "framework/Object.h"
#include "framework/ShortCuts.h"
#include "framework/Win.h"

namespace {

// Every key the framework names itself, with its name.
struct NamedKey {
  Word Key;
  const wchar_t* Name;
};
const NamedKey fixedKeys[] = {
    {0x08, L"BkSp"}, {0x09, L"Tab"},   {0x0D, L"Enter"}, {0x1B, L"Esc"},  {0x20, L"Space"},
    {0x21, L"PgUp"}, {0x22, L"PgDn"},  {0x23, L"End"},   {0x24, L"Home"}, {0x25, L"Left"},
    {0x26, L"Up"},   {0x27, L"Right"}, {0x28, L"Down"},  {0x2D, L"Ins"},  {0x2E, L"Del"},
};

std::vector<Word> AllTableKeys() {
  std::vector<Word> keys;
  for (const NamedKey& k : fixedKeys) keys.push_back(k.Key);
  for (Word k = '0'; k <= '9'; ++k) keys.push_back(k);
  for (Word k = 'A'; k <= 'Z'; ++k) keys.push_back(k);
  for (Word k = VK_F1; k <= VK_F24; ++k) keys.push_back(k);
  return keys;
}

class TShortCutHolder : public TObject {
  HV_CLASS(TShortCutHolder, TObject)
 public:
  TShortCut Key() const { return key_; }
  void SetKey(TShortCut v) { key_ = v; }

 private:
  TShortCut key_ = TShortCut(0);
};

}  // namespace

HV_PUBLISH(TShortCutHolder) { p.Prop("Key", &T::Key, &T::SetKey).Default(0); }

TEST(ShortCut, EncodesKeyAndModifiersAndDecodesThemBack) {
  // The values are what form files store.
  const std::pair<TShortCut, TShiftState> cases[] = {
      {TShortCut(0x4053), {ssCtrl}}, {TShortCut(0x604B), {ssCtrl, ssShift}},
      {TShortCut(0x8074), {ssAlt}},  {TShortCut(0xE02E), {ssShift, ssAlt, ssCtrl}},
      {TShortCut(0x0041), {}},
  };
  for (const auto& [value, shift] : cases) {
    Word key = static_cast<Word>(value & 0xFF);
    EXPECT_EQ(ShortCut(key, shift), value);
    Word decodedKey = 0;
    TShiftState decoded{ssLeft};
    ShortCutToKey(value, decodedKey, decoded);
    EXPECT_EQ(decodedKey, key);
    EXPECT_TRUE(decoded == shift) << value;
  }
  // Mouse buttons and double clicks are no part of a shortcut; keys above one byte give none.
  EXPECT_EQ(ShortCut('A', {ssLeft, ssRight, ssMiddle, ssDouble}), 'A');
  EXPECT_EQ(ShortCut(0x100, {ssCtrl}), 0);
  EXPECT_EQ(ShortCut(0xFF, {}), 0xFF);
}

TEST(ShortCutText, EveryTableKeyHasItsFixedName) {
  for (const NamedKey& k : fixedKeys) EXPECT_EQ(ShortCutToText(TShortCut(k.Key)), k.Name) << k.Key;
  EXPECT_EQ(ShortCutToText(TShortCut(VK_F1)), L"F1");
  EXPECT_EQ(ShortCutToText(TShortCut(VK_F12)), L"F12");
  EXPECT_EQ(ShortCutToText(TShortCut(VK_F24)), L"F24");
  EXPECT_EQ(ShortCutToText(TShortCut('Q')), L"Q");
  EXPECT_EQ(ShortCutToText(TShortCut('0')), L"0");
}

TEST(ShortCutText, NothingForZeroOrAKeyWithoutName) {
  EXPECT_EQ(ShortCutToText(TShortCut(0)), L"");
  // Modifiers alone name no key.
  EXPECT_EQ(ShortCutToText(TShortCut(scCtrl | scShift)), L"");
  // Mouse buttons have no key name.
  EXPECT_EQ(ShortCutToText(TShortCut(VK_LBUTTON | scCtrl)), L"");
}

TEST(ShortCutText, RoundTripOverTheWholeTableWithEveryModifierCombination) {
  const uint16_t modifierSets[] = {
      0, scShift, scCtrl, scAlt, scShift | scCtrl, scShift | scAlt, scCtrl | scAlt, scShift | scCtrl | scAlt};
  for (Word key : AllTableKeys())
    for (uint16_t mods : modifierSets) {
      TShortCut sc = TShortCut(key | mods);
      WideString text = ShortCutToText(sc);
      ASSERT_FALSE(text.empty()) << key;
      EXPECT_EQ(TextToShortCut(text), sc) << std::string(text.begin(), text.end());
    }
}

TEST(ShortCutText, ReadingAcceptsAnyOrderAndAnyLetterCase) {
  EXPECT_EQ(TextToShortCut(L"Alt+Ctrl+F2"), ShortCut(VK_F2, {ssCtrl, ssAlt}));
  EXPECT_EQ(TextToShortCut(L"ctrl+shift+k"), ShortCut('K', {ssCtrl, ssShift}));
  EXPECT_EQ(TextToShortCut(L"ALT+SHIFT+ctrl+pgdn"), ShortCut(VK_NEXT, {ssCtrl, ssShift, ssAlt}));
  EXPECT_EQ(TextToShortCut(L"  Ctrl+S "), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(TextToShortCut(L"Ctrl+Ctrl+S"), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(TextToShortCut(std::string("Shift+Del")), ShortCut(VK_DELETE, {ssShift}));
  EXPECT_EQ(TextToShortCut(L"f12"), TShortCut(VK_F12));
}

TEST(ShortCutText, TheKeysOfCtrlPlusAndMinusKeepTheirCodes) {
  // Wine names a vendor key (0x92) "=" as well; the text must come back to the key that is typed.
  for (Word key : {Word(VK_OEM_PLUS), Word(VK_OEM_MINUS)}) {
    const TShortCut sc = TShortCut(key | scCtrl);
    EXPECT_EQ(TextToShortCut(ShortCutToText(sc)), sc) << key;
  }
}

TEST(ShortCutText, UnknownOrIncompleteTextGivesZero) {
  EXPECT_EQ(TextToShortCut(L""), 0);
  EXPECT_EQ(TextToShortCut(L"   "), 0);
  EXPECT_EQ(TextToShortCut(L"Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut(L"Ctrl+Shift+"), 0);
  EXPECT_EQ(TextToShortCut(L"Ctrl+NoSuchKey"), 0);
  EXPECT_EQ(TextToShortCut(L"Hyper+S"), 0);
  EXPECT_EQ(TextToShortCut(L"F25"), 0);
  EXPECT_EQ(TextToShortCut(L"Ctrl S"), 0);
  EXPECT_EQ(TextToShortCut(std::string("0")), TShortCut('0'));
}
