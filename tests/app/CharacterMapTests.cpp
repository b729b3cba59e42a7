// The character map's code labels and its skinned context menu: the labels format the code as
// the status bar does, the grid draws in the Cyrillic character set, and the menu's items run
// the map's actions on the current cell.
#include "app/CharacterFrm.h"
#include "app/NSStringGrid.h"
#include "foundation/ApStrHolder.h"
#include "framework/Actions.h"
#include "framework/StdCtrls.h"
#include "tests/app/DocumentTestSupport.h"
#include "tests/common/LabelPicture.h"
#include "themes/SkinItem.h"
#include "themes/SkinToolbar.h"

namespace {

using CharacterMap = DocumentTest;

struct TCodeCase {
  int Code;
  const wchar_t* CharCode;
  const wchar_t* ShortcutKeys;
};

const TCodeCase codeCases[] = {
    {32, L"Char code: 32 (0x20)", L"Shortcut keys: Alt+032"},
    {171, L"Char code: 171 (0xAB)", L"Shortcut keys: Alt+0171"},
    {233, L"Char code: 233 (0xE9)", L"Shortcut keys: Alt+0233"},
    {255, L"Char code: 255 (0xFF)", L"Shortcut keys: Alt+0255"},
};

}  // namespace

TEST_F(CharacterMap, TheLabelsWriteTheCodeAsTheStatusBarDoes) {
  Make();
  std::unique_ptr<TCharacterForm> form(New<TCharacterForm>(nullptr, Doc(0)));
  for (const TCodeCase& c : codeCases) {
    form->strngrdCharacter->SetCurrent(c.Code % 16, c.Code / 16 - 2);
    EXPECT_EQ(form->CurrentCode(), c.Code);
    EXPECT_EQ(form->lblCharCode->Caption(), c.CharCode);
    EXPECT_EQ(form->lblShortcutKey->Caption(), c.ShortcutKeys);
  }
}

// Translations too long for the room beside the buttons end in "..." there; the English texts
// are shown whole.
TEST_F(CharacterMap, CodeLabelsTooLongForTheirRoomEndInAnEllipsis) {
  Make();
  std::unique_ptr<TCharacterForm> form(New<TCharacterForm>(nullptr, Doc(0)));
  form->strngrdCharacter->SetCurrent(233 % 16, 233 / 16 - 2);
  auto paint = [&](TLabel* Label, bool Shortened) {
    EXPECT_LE(Label->Left() + Label->Width(), form->btnInsert->Left());
    Label->SetColor(clWhite);
    TLabelFont font(*Label);
    EXPECT_EQ(font.Width(Label->Caption()) > Label->Width(), Shortened);
    TLabelPicture picture(*Label);
    EXPECT_EQ(picture.EndsInDots(font.Width(L"..."), 0, Label->Height()), Shortened) << Label->Name();
    EXPECT_LT(picture.RightmostInk(0, Label->Height()), Label->Width());
  };
  for (TLabel* label : {form->lblCharCode, form->lblShortcutKey}) paint(label, false);
  form->mltstrnghldrCharacter->GetStringsByName("sCharCode")
      ->SetText("Code of this character in the ANSI code page of the system: %d (0x%x)");
  form->mltstrnghldrCharacter->GetStringsByName("sShortcutKeys")
      ->SetText("Keys that type it in any program with the numeric keypad: Alt+0%d");
  form->strngrdCharacter->SetCurrent(0, 0);
  form->strngrdCharacter->SetCurrent(233 % 16, 233 / 16 - 2);
  for (TLabel* label : {form->lblCharCode, form->lblShortcutKey}) paint(label, true);
}

// A language file is outside input: a translation that does not take the code falls back to the
// English text instead of raising.
TEST_F(CharacterMap, HostileTranslationsOfTheLabelsShowTheEnglishText) {
  Make();
  std::unique_ptr<TCharacterForm> form(New<TCharacterForm>(nullptr, Doc(0)));
  for (const char* hostile : {"%s", "%d %d %d", "%", "%-*.*s", "%.99999999d"}) {
    form->mltstrnghldrCharacter->GetStringsByName("sCharCode")->SetText(hostile);
    form->mltstrnghldrCharacter->GetStringsByName("sShortcutKeys")->SetText(hostile);
    form->strngrdCharacter->SetCurrent(233 % 16, 233 / 16 - 2);
    EXPECT_EQ(form->lblCharCode->Caption(), L"Char code: 233 (0xE9)") << hostile;
    EXPECT_EQ(form->lblShortcutKey->Caption(), L"Shortcut keys: Alt+0233") << hostile;
    form->strngrdCharacter->SetCurrent(0, 0);
  }
}

TEST_F(CharacterMap, TheGridDrawsTahomaInTheCyrillicCharacterSet) {
  Make();
  std::unique_ptr<TCharacterForm> form(New<TCharacterForm>(nullptr, Doc(0)));
  TFont* font = form->strngrdCharacter->Font();
  EXPECT_EQ(font->Name(), L"Tahoma");
  EXPECT_EQ(font->Height(), -19);
  EXPECT_EQ(font->Charset(), RUSSIAN_CHARSET);
}

// The grid's menu is a skinned popup menu: Copy (Ctrl+C), a separator, Insert code and Insert
// HTML-code, each driven by the map's action.
TEST_F(CharacterMap, TheGridsMenuIsASkinnedPopupMenuOfTheMapsActions) {
  Make();
  Editor(0)->Lines()->SetText("");
  std::unique_ptr<TCharacterForm> form(New<TCharacterForm>(nullptr, Doc(0)));
  TSkinPopupMenu* menu = form->pmnCharacter;
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(form->strngrdCharacter->PopupMenu(), static_cast<TPopupMenu*>(menu));
  const struct {
    const char* Action;  // null: a separator
    const wchar_t* Caption;
  } rows[] = {{"actnCopy", L"Copy"},
              {nullptr, L""},
              {"actnInsertCode", L"Insert code"},
              {"actnInsertHTMLCode", L"Insert HTML-code"}};
  TBarCustomItem* items = menu->Items();
  ASSERT_EQ(items->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    if (!rows[i].Action) {
      EXPECT_NE(dynamic_cast<TSkinSeparatorItem*>(items->Items(i)), nullptr);
      continue;
    }
    auto* item = dynamic_cast<TSkinItem*>(items->Items(i));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Action(), form->FindComponent(rows[i].Action));
    EXPECT_EQ(item->Caption(), rows[i].Caption);
  }
  EXPECT_EQ(form->actnCopy->ShortCut(), 16451);
  // The items act on the current cell.
  form->strngrdCharacter->SetCurrent(233 % 16, 233 / 16 - 2);
  form->actnInsertHTMLCode->Update();
  items->Items(3)->Click();
  items->Items(2)->Click();
  EXPECT_EQ(Editor(0)->Lines()->Text(), "&#233;233");
}
