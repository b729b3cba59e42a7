// The Unicode application: title and hint as wide texts.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/UcControls.h"
#include "controls/UcForms.h"
#include "framework/StdCtrls.h"

TEST(UcApplication, TitleIsTheApplicationWindowsText) {
  TUcApplication* app = UcApplication();
  WideString previous = app->Title();
  const WideString title =
      L"\x0397\x03BB\x03B5\x03BA\x03C4\x03C1\x03B1 \x0420\x0435\x0434\x0430\x043A\x0442\x043E\x0440";
  app->SetTitle(title);
  wchar_t buffer[64] = {};
  GetWindowTextW(Application->Handle(), buffer, 64);
  EXPECT_EQ(WideString(buffer), title);
  app->SetTitle(previous);
}

class UcApplicationHint : public ShownForm {};

TEST_F(UcApplicationHint, HintIsTheLongPartOfTheHintUnderTheMouse) {
  auto* edit = Child<TEdit>();
  UcControl_SetHint(form, L"\x0424\x043E\x0440\x043C\x0430|\x0414\x043B\x0438\x043D\x043D\x0430\x044F");
  SendMessageW(edit->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  UcApplication()->UpdateHint();
  // The edit has no hint of its own: its form's long part stands.
  EXPECT_EQ(UcApplication()->Hint(), L"\x0414\x043B\x0438\x043D\x043D\x0430\x044F");
  UcControl_SetHint(edit, L"\x03A3\x03CD\x03BD\x03C4\x03BF\x03BC\x03B7");
  UcApplication()->UpdateHint();
  EXPECT_EQ(UcApplication()->Hint(), L"\x03A3\x03CD\x03BD\x03C4\x03BF\x03BC\x03B7");
  UcApplication()->SetHint(WideString());
  EXPECT_EQ(Application->Hint(), L"");
}

TEST(UcApplication, LeavingAHookRemovedElsewhereRaisesNothing) {
  auto* app = new TUcApplication(nullptr);
  Application->UnhookMainWindow(TWindowHook(app, &TUcApplication::MainWindowHook));
  EXPECT_NO_THROW(delete app);
}

// Through the program's own message loop, as typed keys arrive.
TEST_F(UcApplicationHint, CharactersThroughTheMessageLoopArriveWhole) {
  auto* edit = Child<TEdit>();
  for (wchar_t c : WideString(L"\x0416A\x03A9\x4E2D")) PostMessageW(edit->Handle(), WM_CHAR, c, 1);
  Pump();
  EXPECT_EQ(edit->Text(), L"\x0416A\x03A9\x4E2D");
}
