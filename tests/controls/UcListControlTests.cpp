// Unicode combo, list and check-list boxes in real windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/UcStdCtrls.h"
#include "framework/Exceptions.h"

namespace {

const WideString Alphabet = L"\x0410\x043B\x0444\x0430\x0432\x0438\x0442";  // Алфавит
const WideString Word2 = L"\x0410\x0440\x0431\x0443\x0437";                 // Арбуз
const WideString Alpha = L"\x0391\x03BB\x03C6\x03B1";                       // Αλφα
const WideString Beta = L"\x0392\x03B7\x03C4\x03B1";                        // Βητα

class UcListControl : public ShownForm {
 protected:
  TUcComboBox* NewCombo(TComboBoxStyle Style) {
    auto* combo = new TUcComboBox(form);
    combo->SetStyle(Style);
    combo->SetParent(form);
    for (const WideString& s : {Alphabet, Word2, Alpha, Beta}) combo->Items()->Add(s);
    return combo;
  }
  TUcListBox* NewList() {
    auto* list = Child<TUcListBox>();
    list->SetLeft(160);
    return list;
  }
};

}  // namespace

TEST_F(UcListControl, RecreatedComboKeepsItemsSelectionAndText) {
  auto* combo = NewCombo(csDropDown);
  combo->SetItemIndex(2);
  combo->SetText(Alpha + L"!");
  combo->SetSorted(true);                                                            // a new window
  EXPECT_TRUE(combo->Items()->Strings(0) == Alpha && combo->Items()->Count() == 4);  // sorted now
  EXPECT_EQ(combo->Text(), Alpha + L"!");
  EXPECT_EQ(combo->Items()->IndexOf(L"\x03B2\x03B7\x03C4\x03B1"), 1);  // without regard to case
  combo->SetStyle(csDropDownList);
  EXPECT_GE(combo->ItemIndex(), 0);
  EXPECT_EQ(combo->Text(), combo->Items()->Strings(combo->ItemIndex()));
}

TEST_F(UcListControl, SavedIndexPastTheEndSelectsNothing) {
  struct Case {
    int items, index, expected;
  } cases[] = {{3, 10, -1}, {3, 3, -1}, {3, 2, 2}, {3, 1, 1}, {0, 4, -1}, {2, -1, -1}};
  for (const Case& c : cases) {
    auto* combo = new TUcComboBox(form);
    for (int i = 0; i < c.items; ++i) combo->Items()->Add(Alpha + WideString(1, L'0' + i));
    combo->SetItemIndex(c.index);
    combo->SetParent(form);
    combo->HandleNeeded();
    EXPECT_EQ(combo->ItemIndex(), c.expected) << c.items << " " << c.index;
    delete combo;
  }
}

TEST_F(UcListControl, ItemListErrorsAreExact) {
  auto* list = NewList();
  list->Items()->Add(Alpha);
  EXPECT_EQ(MessageOf<EStringListError>([&] { (void)list->Items()->Strings(5); }), L"List index out of bounds (5)");
  EXPECT_EQ(NewCombo(csDropDown)->Items()->Strings(9), L"");  // a combo answers nothing for a bad index
  // A window that refuses an item.
  TWndMethod previous = list->WindowProc;
  TFn<void(TMessage&)> refuse([&](TMessage& m) {
    if (m.Msg == LB_ADDSTRING || m.Msg == LB_INSERTSTRING)
      m.Result = LB_ERRSPACE;
    else
      previous(m);
  });
  list->WindowProc = refuse.Event();
  EXPECT_EQ(MessageOf<EOutOfResources>([&] { list->Items()->Insert(0, Beta); }), L"Unable to insert a line");
  list->WindowProc = previous;
  EXPECT_EQ(list->Items()->Count(), 1);
}

TEST_F(UcListControl, TypingCompletesFromTheItemsKeepingTheTypedCase) {
  auto* combo = NewCombo(csDropDown);
  int selects = 0;
  TFn<void(TObject*)> onSelect([&](TObject*) { ++selects; });
  combo->OnSelect = onSelect.Event();
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  TypeChars(edit, L"\x0430\x043B");  // "ал"
  EXPECT_EQ(combo->Text(), L"\x0430\x043B" + Alphabet.substr(2));
  EXPECT_TRUE(combo->SelStart() == 2 && combo->SelLength() == static_cast<int>(Alphabet.size()) - 2);
  EXPECT_EQ(combo->ItemIndex(), 0);
  // Each key changed the text away from the item's own letter case: each one selected.
  EXPECT_EQ(selects, 2);
  // Backspace is the edit's own: it takes the selected rest away.
  TypeChars(edit, L"\b");
  EXPECT_EQ(combo->Text(), L"\x0430\x043B");
  // No item begins with the text: the character is typed as it is.
  TypeChars(edit, L"z");
  EXPECT_EQ(combo->Text(), L"\x0430\x043Bz");
  combo->SetAutoComplete(false);
  combo->SetText(L"");
  TypeChars(edit, L"\x0430");
  EXPECT_TRUE(combo->Text() == L"\x0430" && combo->ItemIndex() == -1);
}

TEST_F(UcListControl, IncrementalSearchStartsAgainAfterAPause) {
  auto* combo = NewCombo(csDropDownList);
  combo->Items()->Add(L"\x0391\x03C1\x03C4\x03B1");  // Αρτα
  DWORD now = 1000;
  combo->SetTickSource([&] { return now; });
  HWND wnd = combo->Handle();
  TypeChars(wnd, L"\x03B1");  // α
  EXPECT_EQ(combo->Text(), Alpha);
  now += 300;
  TypeChars(wnd, L"\x03C1");  // αρ, within the pause
  EXPECT_EQ(combo->Text(), L"\x0391\x03C1\x03C4\x03B1");
  now += 1300;
  TypeChars(wnd, L"\x03B2");  // β alone
  EXPECT_EQ(combo->Text(), Beta);
  now += 1249;
  TypeChars(wnd, L"\x03B7");  // βη, just inside the pause
  EXPECT_EQ(combo->SearchText(), L"\x03B2\x03B7");
  TypeChars(wnd, L"\b");
  EXPECT_EQ(combo->SearchText(), L"\x03B2");
}

// The search of a drop-down list takes its characters before the key events: only a character
// it does not take reaches OnKeyPress, and a handler that clears it cannot stop the search.
TEST_F(UcListControl, TheSearchTakesItsCharactersBeforeTheKeyEvents) {
  auto* combo = NewCombo(csDropDownList);
  DWORD now = 1000;
  combo->SetTickSource([&] { return now; });
  std::vector<wchar_t> pressed;
  TFn<void(TObject*, wchar_t&)> onKeyPress([&](TObject*, wchar_t& Key) {
    pressed.push_back(Key);
    Key = 0;
  });
  combo->OnKeyPress = onKeyPress.Event();
  HWND wnd = combo->Handle();
  TypeChars(wnd, L"\x03B2");  // Beta: taken by the search
  TypeChars(wnd, L"q");       // no item: goes on to the key events
  now += 2000;
  TypeChars(wnd, L"\x03B1");  // Alpha, after a pause
  EXPECT_EQ(pressed, std::vector<wchar_t>{L'q'});
  EXPECT_EQ(combo->Text(), Alpha);
}

TEST_F(UcListControl, UniqueSearchFindsOnlyASingleMatch) {
  auto* combo = NewCombo(csDropDown);
  combo->HandleNeeded();
  EXPECT_EQ(ComboFindString(combo, L"\x0430", -1), 0);
  EXPECT_EQ(ComboFindString(combo, L"\x0430", 0), 1);
  EXPECT_EQ(ComboFindUniqueString(combo, L"\x0430"), -1);  // Алфавит and Арбуз
  EXPECT_EQ(ComboFindUniqueString(combo, L"\x0430\x0440"), 1);
  EXPECT_EQ(ComboFindUniqueString(combo, L"x"), -1);
}

TEST_F(UcListControl, ListKeepsItemsObjectsAndSelectionThroughEditsAndANewWindow) {
  auto* list = NewList();
  list->SetHeight(40);
  TObject* marks[3] = {list, form, Application};
  for (int i = 0; i < 20; ++i) list->Items()->AddObject(WideString(1, static_cast<wchar_t>(0x0391 + i)), marks[i % 3]);
  list->SetItemIndex(12);
  list->SetTopIndex(10);
  list->SetItemHeight(15);  // a new window
  EXPECT_TRUE(list->Items()->Strings(12) == L"\x039D" && list->Items()->Objects(12) == marks[0]);
  EXPECT_TRUE(list->Items()->Count() == 20 && list->ItemIndex() == 12 && list->TopIndex() == 10);
  list->SetItemIndex(0);
  list->Items()->SetStrings(1, Beta);
  EXPECT_TRUE(list->Items()->Strings(1) == Beta && list->Items()->Objects(1) == marks[1] && list->ItemIndex() == 0);
  list->Items()->Exchange(0, 2);
  EXPECT_TRUE(list->Items()->Objects(2) == marks[0] && list->ItemIndex() == 2);  // the selection went with its item
  list->Items()->Move(2, 0);
  EXPECT_TRUE(list->Items()->Strings(0) == L"\x0391" && list->Items()->Objects(0) == marks[0]);
}

TEST_F(UcListControl, VirtualListAsksForItsTexts) {
  auto* list = NewList();
  list->SetStyle(lbVirtual);
  TFn<void(TWinControl*, int, WideString&)> data(
      [](TWinControl*, int Index, WideString& Data) { Data = Alpha + std::to_wstring(Index); });
  list->OnData = data.Event();
  list->SetCount(1000);
  list->HandleNeeded();
  EXPECT_EQ(list->Items()->Strings(999), Alpha + L"999");
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, 1000, 0), LB_ERR);
  list->SetStyle(lbVirtualOwnerDraw);  // a new window
  list->OnData = TLBGetDataEvent();
  EXPECT_EQ(SendMessageW(list->Handle(), LB_GETTEXTLEN, 3, 0), LB_ERR);
  list->SetStyle(lbStandard);
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(UcListControl, CheckListKeepsMarksThroughChangesAndANewWindow) {
  auto* check = Child<TUcCheckListBox>();
  for (const WideString& s : {Alphabet, Word2, Alpha, Beta}) check->Items()->Add(s);
  check->SetAllowGrayed(true);
  check->SetState(0, cbGrayed);
  check->SetChecked(2, true);
  check->SetItemEnabled(3, false);
  check->SetHeader(1, true);
  check->SetItemHeight(18);  // a new window
  EXPECT_TRUE(check->State(0) == cbGrayed && check->Checked(2) && !check->ItemEnabled(3) && check->Header(1));
  check->Items()->Delete(0);
  check->Items()->Exchange(1, 2);
  EXPECT_TRUE(!check->ItemEnabled(1) && check->Checked(2));
  EXPECT_EQ(MessageOf<EStringListError>([&] { (void)check->State(7); }), L"List index out of bounds (7)");
  int clicks = 0;
  TFn<void(TObject*)> onClickCheck([&](TObject*) { ++clicks; });
  check->OnClickCheck = onClickCheck.Event();
  check->Toggle(0);  // a header has no box
  check->Toggle(1);  // nor does a disabled item change
  check->Toggle(2);
  EXPECT_TRUE(clicks == 1 && check->State(2) == cbUnchecked);
}

TEST_F(UcListControl, SelectionCopiesIntoAnyListControl) {
  auto* combo = NewCombo(csDropDownList);
  combo->SetItemIndex(3);
  auto* list = NewList();
  list->SetMultiSelect(true);
  combo->CopySelection(list);
  auto* check = Child<TUcCheckListBox>();
  list->Items()->Add(Alpha);
  list->SetSelected(0, true);
  list->SetSelected(1, true);
  list->CopySelection(check);
  EXPECT_EQ(check->Items()->Text(), Beta + L"\r\n" + Alpha + L"\r\n");
  // A check list copies like a list: every selected item with MultiSelect.
  check->Items()->Add(Word2);
  check->SetMultiSelect(true);
  check->SetSelected(0, true);
  check->SetSelected(2, true);
  auto* other = NewList();
  check->CopySelection(other);
  EXPECT_EQ(other->Items()->Text(), Beta + L"\r\n" + Word2 + L"\r\n");
}

// A character of the input method reaches the key handlers and the auto-complete at once.
TEST_F(UcListControl, InputMethodCharactersAreTypedCharacters) {
  auto* combo = NewCombo(csDropDown);
  std::vector<wchar_t> pressed;
  TFn<void(TObject*, wchar_t&)> onKeyPress([&](TObject*, wchar_t& Key) { pressed.push_back(Key); });
  combo->OnKeyPress = onKeyPress.Event();
  SendMessageW(combo->EditHandle(), WM_IME_CHAR, 0x0430, 1);  // а
  EXPECT_EQ(pressed, std::vector<wchar_t>{0x0430});
  EXPECT_EQ(combo->Text(), L"\x0430" + Alphabet.substr(1));
}

TEST_F(UcListControl, TypingOpensTheListAndAWholeItemClosesIt) {
  auto* combo = NewCombo(csDropDown);
  combo->SetAutoDropDown(true);
  combo->SetAutoCloseUp(true);
  HWND edit = combo->EditHandle();
  TypeChars(edit, L"\x03B2");
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_EQ(combo->Text(), L"\x03B2" + Beta.substr(1));
  TypeChars(edit, L"\t");  // Tab closes the list and is not consumed
  EXPECT_FALSE(combo->DroppedDown());
  combo->SetText(L"");
  TypeChars(edit, L"\x03B1\x03BB\x03C6");
  EXPECT_TRUE(combo->DroppedDown());
  TypeChars(edit, L"\x03B1");  // the whole of Αλφα
  EXPECT_TRUE(!combo->DroppedDown() && combo->ItemIndex() == 2);
}

// A multi-select list with extended select (the default) selects the clicked item alone; without
// it each click toggles the item clicked and leaves the others (a list of check marks). The
// switch recreates the window and keeps the items.
TEST_F(UcListControl, ExtendedSelectDecidesWhatAClickDoes) {
  auto* list = NewList();
  EXPECT_TRUE(list->ExtendedSelect());
  list->SetMultiSelect(true);
  const struct {
    bool Extended;
    std::vector<int> Clicks;
    const char* Marks;
    LONG_PTR Style;
  } cases[] = {{true, {0}, "x...", LBS_EXTENDEDSEL},        {true, {0, 2}, "..x.", LBS_EXTENDEDSEL},
               {false, {0}, "x...", LBS_MULTIPLESEL},       {false, {0, 2}, "x.x.", LBS_MULTIPLESEL},
               {false, {0, 2, 0}, "..x.", LBS_MULTIPLESEL}, {false, {3, 3}, "....", LBS_MULTIPLESEL}};
  for (const auto& c : cases) {
    list->SetExtendedSelect(c.Extended);
    list->Items()->Clear();
    for (const WideString& s : {Alphabet, Word2, Alpha, Beta}) list->Items()->Add(s);
    const LONG_PTR style = GetWindowLongPtrW(list->Handle(), GWL_STYLE);
    EXPECT_EQ(style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL), c.Style) << c.Marks;
    for (int i : c.Clicks) {
      const TRect r = list->ItemRect(i);
      const LPARAM at = MAKELPARAM(r.Left + 4, (r.Top + r.Bottom) / 2);
      SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(list->Handle(), WM_LBUTTONUP, 0, at);
    }
    std::string marks;
    for (int i = 0; i < 4; ++i) marks += list->Selected(i) ? 'x' : '.';
    EXPECT_EQ(marks, c.Marks) << (c.Extended ? "extended" : "toggling");
  }
}
