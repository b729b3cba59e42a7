// The open and save dialogs of text files: the encoding row's layout beside the system dialog's
// controls, and the real dialog with the row, closed by a posted message.
#include "framework/Win.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include "app/NSTextDialogs.h"

namespace {

struct TLayoutCase {
  TRect TypeLabel, TypeCombo;
  bool ReadOnly;
  TRect Label, Combo, ReadOnlyBox;
};

// The row lies one combo height and 6 pixels below the file-type row, label and list in their
// columns; a read-only box that shows goes below the new row.
const TLayoutCase layoutCases[] = {
    {Rect(10, 203, 80, 216), Rect(90, 200, 300, 221), false, Rect(10, 230, 90, 243), Rect(90, 227, 300, 248), {}},
    {Rect(5, 52, 60, 65), Rect(70, 50, 270, 71), true, Rect(5, 79, 70, 92), Rect(70, 77, 270, 98),
     Rect(70, 104, 170, 118)},
};

// Takes the row's place once the dialog is up, chooses another encoding and cancels.
class TScriptedDialog : public TNSTextSaveDialog {
 public:
  using TNSTextSaveDialog::TNSTextSaveDialog;
  bool HookMessage(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) override {
    const bool result = TNSTextSaveDialog::HookMessage(Wnd, Msg, WParam, LParam);
    if (Msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(LParam)->code == CDN_INITDONE) {
      HWND combo = GetDlgItem(Wnd, EncodingComboId);
      GetWindowRect(combo, &Combo);
      GetWindowRect(GetDlgItem(GetParent(Wnd), cmb1), &TypeCombo);
      Items = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
      ShownIndex = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
      WasShowing = Showing();
      SetEncodingIndex(6);
      PostMessageW(GetParent(Wnd), WM_COMMAND, IDCANCEL, 0);
    }
    return result;
  }
  RECT Combo{}, TypeCombo{};
  int Items = 0, ShownIndex = -1;
  bool WasShowing = false;
};

struct TDialogEvents {
  void Before(TObject*) { ++BeforeCount; }
  void CancelOnShow(TObject* Sender) {
    PostMessageW(static_cast<TCommonDialog*>(Sender)->Handle(), WM_COMMAND, IDCANCEL, 0);
  }
  int BeforeCount = 0;
};

}  // namespace

TEST(TextFileDialogs, TheEncodingRowLinesUpWithTheFileTypeRow) {
  for (const TLayoutCase& c : layoutCases) {
    const TRect readOnly = Rect(70, 80, 170, 94);
    const TEncodingRowLayout layout = LayOutEncodingRow(c.TypeLabel, c.TypeCombo, c.ReadOnly ? &readOnly : nullptr,
                                                        c.TypeLabel.Height(), c.TypeCombo.Height());
    EXPECT_EQ(layout.Label, c.Label);
    EXPECT_EQ(layout.Combo, c.Combo);
    EXPECT_EQ(layout.MoveReadOnly, c.ReadOnly);
    if (c.ReadOnly) {
      EXPECT_EQ(layout.ReadOnly, c.ReadOnlyBox);
    }
  }
}

TEST(TextFileDialogs, TheRealDialogShowsTheRowAndGivesTheChoice) {
  TScriptedDialog dialog(nullptr);
  TDialogEvents events;
  dialog.OnBeforeExecute = TNotifyEvent(&events, &TDialogEvents::Before);
  dialog.SetEncodings({L"Auto-select", L"ANSI", L"Unicode", L"Big Endian Unicode", L"UTF-8", L"Cyrillic (DOS)",
                       L"Cyrillic (ISO)", L"Cyrillic (KOI8-R)"});
  dialog.SetEncodingIndex(2);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(events.BeforeCount, 1);
  EXPECT_TRUE(dialog.WasShowing && !TNSTextOpenDialog::Showing());
  EXPECT_EQ(dialog.Items, 8);
  EXPECT_EQ(dialog.ShownIndex, 2);
  EXPECT_EQ(dialog.EncodingIndex(), 6) << "the list's choice when the dialog closed";
  EXPECT_EQ(dialog.Combo.left, dialog.TypeCombo.left);
  EXPECT_EQ(dialog.Combo.right - dialog.Combo.left, dialog.TypeCombo.right - dialog.TypeCombo.left);
  EXPECT_GT(dialog.Combo.top, dialog.TypeCombo.bottom);
}

TEST(TextFileDialogs, TheOldStyleDialogHasNoRow) {
  TNSTextOpenDialog dialog(nullptr);
  dialog.SetOptions({ofOldStyleDialog});
  dialog.SetEncodingIndex(4);
  TDialogEvents events;
  dialog.OnShow = TNotifyEvent(&events, &TDialogEvents::CancelOnShow);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.RowWindow(), nullptr);
  EXPECT_EQ(dialog.EncodingIndex(), 4);
}

TEST(TextFileDialogs, FormFilesKeepTheEncodingsOnlyWhenTheyDifferFromTheFourANewDialogOffers) {
  struct TCase {
    std::vector<WideString> Names;
    bool Stored;
  };
  const TCase cases[] = {
      {{L"ANSI", L"Unicode", L"Big Endian Unicode", L"UTF-8"}, false},
      {{L"ansi", L"UNICODE", L"big endian unicode", L"utf-8"}, false},
      {{L"ANSI", L"Unicode", L"Big Endian Unicode"}, true},
      {{L"ANSI", L"Unicode", L"Big Endian Unicode", L"UTF-7"}, true},
      {{L"Auto-select", L"ANSI", L"Unicode", L"Big Endian Unicode", L"UTF-8"}, true},
      {{}, true},
  };
  TNSTextOpenDialog fresh(nullptr);
  EXPECT_FALSE(IsStoredProp(&fresh, FindPropInfo(&fresh, "Encodings")));
  for (const TCase& c : cases) {
    TNSTextOpenDialog dialog(nullptr);
    dialog.SetEncodings(c.Names);
    EXPECT_EQ(IsStoredProp(&dialog, FindPropInfo(&dialog, "Encodings")), c.Stored) << c.Names.size();
    EXPECT_EQ(dialog.Encodings(), c.Names);
  }
}
